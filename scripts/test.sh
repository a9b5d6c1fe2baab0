#!/usr/bin/env bash
# Builds everything and runs the whole test suite: the tests (under a virtual X
# display), the suite again with AddressSanitizer and UndefinedBehaviorSanitizer,
# and each fuzz target for a short while.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

jobs=${ZV_JOBS:-2}
fuzz_seconds=${ZV_FUZZ_SECONDS:-30}

echo "== build"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$jobs"

echo "== tests"
xvfb-run -a -s "-screen 0 1280x1024x24" ctest --test-dir build --output-on-failure -j"$jobs"

echo "== tests with sanitizers"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZV_SANITIZE=ON -DZV_BUILD_UI=OFF \
  -DZV_BUILD_BENCH=OFF >/dev/null
cmake --build build-asan -j"$jobs"
ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-asan --output-on-failure -j"$jobs"

echo "== fuzz"
# Fails the run on any finding, after printing its reproducer.
ZV_FUZZ_SECONDS=$fuzz_seconds bash scripts/fuzz.sh
echo "== all tests done"
