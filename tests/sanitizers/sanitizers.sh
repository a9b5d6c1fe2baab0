# Sanitizer settings for running the tests of a ZV_SANITIZE build:
#   source tests/sanitizers/sanitizers.sh; ctest --test-dir build-asan ...
# Every report stops the test. The only exceptions are findings inside
# third-party libraries, each named and justified here or in lsan.supp.
zv_sanitizers_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

# new_delete_type_mismatch=0: Qt WebEngine (Chromium) frees some of its own
# objects with a sized delete whose size differs from the allocation's, inside
# libQt6WebEngineCore; the check cannot be limited to one library.
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:new_delete_type_mismatch=0
export LSAN_OPTIONS=suppressions=$zv_sanitizers_dir/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
