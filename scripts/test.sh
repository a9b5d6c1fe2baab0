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
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZV_FUZZ=ON \
  -DZV_BUILD_UI=OFF -DZV_BUILD_SERVER=OFF -DZV_BUILD_TESTS=OFF -DZV_BUILD_BENCH=OFF >/dev/null
cmake --build build-fuzz -j"$jobs"
shopt -s nullglob
fuzz_findings=()
for f in build-fuzz/fuzz/fuzz_*; do
  [ -f "$f" ] && [ -x "$f" ] || continue
  name=$(basename "$f")
  corpus=build-fuzz/corpus/$name
  mkdir -p "$corpus"
  seeds=fuzz/seeds/${name#fuzz_}
  [ -d "$seeds" ] && cp -n "$seeds"/* "$corpus"/ 2>/dev/null || true
  echo "-- $name for ${fuzz_seconds}s"
  if ! ASAN_OPTIONS=detect_leaks=0 "$f" -max_total_time="$fuzz_seconds" -artifact_prefix=build-fuzz/ \
      "$corpus" >build-fuzz/$name.log 2>&1; then
    fuzz_findings+=("$name")
  fi
  tail -n 2 build-fuzz/$name.log
done
if [ ${#fuzz_findings[@]} -gt 0 ]; then
  echo "fuzz: findings in ${fuzz_findings[*]} (inputs saved as build-fuzz/crash-*); see build-fuzz/*.log"
fi
echo "== all tests done"
