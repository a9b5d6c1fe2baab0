# The theme pictures are drawn by a small program of ours at build time and
# embedded into zv_gui as the resource "zvthemes" (under :/themes).
file(GLOB zv_themegen_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/gen/*.cpp ${CMAKE_CURRENT_LIST_DIR}/gen/*.h)
add_executable(zv_themegen ${zv_themegen_sources} ${CMAKE_CURRENT_LIST_DIR}/looks.h)
target_include_directories(zv_themegen PRIVATE ${PROJECT_SOURCE_DIR})
target_link_libraries(zv_themegen PRIVATE Qt6::Gui)

set(zv_theme_dir ${CMAKE_CURRENT_BINARY_DIR}/themes-pictures)
set(zv_theme_qrc ${zv_theme_dir}/themes.qrc)
set(zv_theme_cpp ${CMAKE_CURRENT_BINARY_DIR}/qrc_zvthemes.cpp)
add_custom_command(
  OUTPUT ${zv_theme_qrc}
  COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen $<TARGET_FILE:zv_themegen> ${zv_theme_dir}
  DEPENDS zv_themegen
  COMMENT "Drawing the theme pictures"
  VERBATIM)
add_custom_command(
  OUTPUT ${zv_theme_cpp}
  COMMAND $<TARGET_FILE:Qt6::rcc> --name zvthemes --output ${zv_theme_cpp} ${zv_theme_qrc}
  DEPENDS ${zv_theme_qrc} Qt6::rcc
  COMMENT "Embedding the theme pictures"
  VERBATIM)
set_source_files_properties(${zv_theme_cpp} PROPERTIES GENERATED TRUE SKIP_AUTOGEN TRUE)
target_sources(zv_gui PRIVATE ${zv_theme_cpp})
