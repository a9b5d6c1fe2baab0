#!/usr/bin/env bash
# Builds everything and runs the whole test suite: the tests (under a virtual X
# display), every test that needs no display again with AddressSanitizer and
# UndefinedBehaviorSanitizer, and each fuzz target for a short while. Fails on
# the first stage that fails.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

jobs=${ZV_JOBS:-2}
# The tests spend most of their time waiting (on the loopback server, on the
# timers of the window, on the web engine's processes): twice as many run at
# once as there are cores.
test_jobs=${ZV_TEST_JOBS:-$((jobs * 2))}
fuzz_seconds=${ZV_FUZZ_SECONDS:-30}

echo "== build"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$jobs"

echo "== tests"
xvfb-run -a -s "-screen 0 1280x1024x24" ctest --test-dir build --output-on-failure -j"$test_jobs"

echo "== tests with sanitizers"
# AddressSanitizer and UndefinedBehaviorSanitizer over our code, the windows
# included (Qt, its web engine and the media libraries run as shipped): every
# test that needs no display. Without a display the web engine draws without
# the GL driver, whose memory the leak check could not name once it is
# unloaded. Third-party findings are named in tests/sanitizers/.
# The package test packs the build tree: not this one. The contrast test's
# runs at other scales go through the same code as its first run.
asan_skip='^tst_package$|^tst_contrast_.*x$'
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZV_SANITIZE=ON -DZV_BUILD_BENCH=OFF >/dev/null
# Only what those tests run is built: their own programs (with what they depend on).
mapfile -t asan_targets < <(comm -12 \
  <(ctest --test-dir build-asan -N -LE display -E "$asan_skip" 2>/dev/null \
    | sed -n 's/^ *Test *#[0-9]*: *\([A-Za-z0-9_]*\)$/\1/p' | sort) \
  <(ninja -C build-asan -t targets all | sed -n 's/^\([A-Za-z0-9_]*\): phony$/\1/p' | sort))
cmake --build build-asan -j"$jobs" --target zevalo-gencontent "${asan_targets[@]}"
(
  source tests/sanitizers/sanitizers.sh
  env -u DISPLAY ctest --test-dir build-asan -LE display -E "$asan_skip" --output-on-failure -j"$test_jobs"
)

echo "== fuzz"
# Fails the run on any finding, after printing its reproducer.
ZV_FUZZ_SECONDS=$fuzz_seconds bash scripts/fuzz.sh
echo "== all tests done"
