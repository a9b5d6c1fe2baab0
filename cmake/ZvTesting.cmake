# zv_add_test(NAME SOURCES a.cpp ... LIBS lib ... [DISPLAY] [TIMEOUT s] [LABELS l ...]
#             [LAUNCHER command ...] [COST seconds])
# A QtTest executable registered with CTest. Widget tests run offscreen; DISPLAY
# tests need a real X server (the test script runs the suite under xvfb-run).
# LAUNCHER runs the test through a command (dbus-run-session --). COST, about
# how long the test takes: the long ones start first, so that the tests run
# side by side end together even where CTest has not timed them yet.
function(zv_add_test name)
  cmake_parse_arguments(T "DISPLAY" "TIMEOUT;COST" "SOURCES;LIBS;LABELS;LAUNCHER" ${ARGN})
  # A test whose sources are not written yet is left out rather than breaking the build.
  foreach(src ${T_SOURCES})
    if(NOT IS_ABSOLUTE ${src})
      set(src ${CMAKE_CURRENT_SOURCE_DIR}/${src})
    endif()
    if(NOT EXISTS ${src})
      message(STATUS "${name}: ${src} missing, test left out")
      return()
    endif()
  endforeach()
  add_executable(${name} ${T_SOURCES})
  # The program keeps its settings beside itself: tests that share a folder
  # would read and erase each other's config.ini when CTest runs them at once.
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/test-bin/${name})
  target_link_libraries(${name} PRIVATE Qt6::Test ${T_LIBS})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests)
  add_test(NAME ${name} COMMAND ${T_LAUNCHER} $<TARGET_FILE:${name}>)
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  # Each test has its own instance locks: a copy of the program the developer
  # runs, or another test's, must not take its starts over.
  set(runtime ${PROJECT_BINARY_DIR}/test-runtime/${name})
  file(MAKE_DIRECTORY ${runtime})
  file(CHMOD ${runtime} DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)
  # What the program remembers for the user (partial downloads, positions)
  # and its caches are each test's own, never the developer's.
  set(home ${PROJECT_BINARY_DIR}/test-home/${name})
  set(env "QTWEBENGINE_DISABLE_SANDBOX=1" "QT_MEDIA_BACKEND=gstreamer"
          "ZV_SOURCE_DIR=${PROJECT_SOURCE_DIR}" "ZV_BINARY_DIR=${PROJECT_BINARY_DIR}" "XDG_RUNTIME_DIR=${runtime}"
          "XDG_DATA_HOME=${home}/data" "XDG_CACHE_HOME=${home}/cache")
  if(NOT T_DISPLAY)
    list(APPEND env "QT_QPA_PLATFORM=offscreen")
  else()
    list(APPEND T_LABELS display)
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT} ENVIRONMENT "${env}" LABELS "${T_LABELS}")
  if(T_COST)
    set_tests_properties(${name} PROPERTIES COST ${T_COST})
  endif()
endfunction()
