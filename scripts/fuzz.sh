#!/usr/bin/env bash
# Builds the libFuzzer targets (clang) and runs each one for a while, starting
# from its committed seeds and the corpus kept from earlier runs.
#   scripts/fuzz.sh [TARGET...]        e.g. scripts/fuzz.sh jeux portalserver
# ZV_FUZZ_SECONDS (default 30) per target; ZV_FUZZ_BUILD (default build-fuzz).
# Fails when a target crashes, hangs, runs out of memory, leaks or prints any
# sanitizer report, and prints each reproducer (path, hex dump and base64).
set -uo pipefail
cd "$(dirname "$0")/.."

jobs=${ZV_JOBS:-2}
seconds=${ZV_FUZZ_SECONDS:-30}
build=${ZV_FUZZ_BUILD:-build-fuzz}

# Assertions on, but optimised: a fuzzer's worth is in its executions.
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-g -O1" \
  -DZV_FUZZ=ON -DZV_BUILD_UI=OFF -DZV_BUILD_SERVER=ON -DZV_BUILD_TESTS=OFF -DZV_BUILD_BENCH=OFF >/dev/null || exit 1
cmake --build "$build" -j"$jobs" || exit 1

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for f in "$build"/fuzz/fuzz_*; do
    [ -f "$f" ] && [ -x "$f" ] && targets+=("$(basename "$f")")
  done
fi

# Every sanitizer report stops the target, so that it counts as a finding.
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:symbolize=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1

show_reproducer() {
  local input=$1 exe=$2
  echo "   reproducer: $input ($(stat -c %s "$input") bytes)"
  echo "   run again:  $exe $input"
  echo "   hex dump (first 1 KB):"
  head -c 1024 "$input" | od -A x -t x1z -v | sed 's/^/     /'
  echo "   base64:"
  base64 -w 100 "$input" | sed 's/^/     /'
}

# Runs one target; what it found goes to its report file, its line of the
# summary to its summary file, so that targets can run side by side.
run_target() {
  local name=$1
  local exe=$build/fuzz/fuzz_$name corpus=$build/corpus/$name artifacts=$build/artifacts/$name/
  local log=$build/fuzz_$name.log report=$build/fuzz_$name.report line
  mkdir -p "$corpus" "$artifacts"
  [ -d "fuzz/seeds/$name" ] && cp -n fuzz/seeds/"$name"/* "$corpus"/ 2>/dev/null
  rm -f "$artifacts"*
  "$exe" -max_total_time="$seconds" -timeout=25 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$artifacts" "$corpus" >"$log" 2>&1
  local status=$?
  local runs reports slow
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  line=$(printf '%-14s %12s executions' "$name" "${runs:-?}")
  reports=$(grep -cE 'ERROR: (AddressSanitizer|LeakSanitizer|UndefinedBehaviorSanitizer|libFuzzer)|runtime error:' "$log")
  # Slow units are only noted: a busy machine makes any unit slow.
  slow=$(find "$artifacts" -name 'slow-unit-*' | wc -l)
  [ "$slow" -gt 0 ] && line+="  ($slow slow units noted)"
  local inputs=() input
  for input in "$artifacts"{crash,leak,timeout,oom}-*; do
    [ -f "$input" ] && inputs+=("$input")
  done
  {
    echo "-- $name for ${seconds}s"
    if [ "$status" -ne 0 ] || [ "$reports" -gt 0 ] || [ ${#inputs[@]} -gt 0 ]; then
      line+="  FINDING (exit $status)"
      echo "!! $name: finding; the report (log $log):"
      grep -E -m 5 -A 25 'ERROR: |runtime error:|==ERROR|deadly signal|Test unit written' "$log" | head -n 80 | sed 's/^/   /'
      for input in "${inputs[@]}"; do
        show_reproducer "$input" "$exe"
      done
    else
      grep -E '^#[0-9]+' "$log" | tail -n 1 | sed 's/^/   /'
    fi
  } >"$report"
  echo "$line" >"$build/fuzz_$name.summary"
}

# Each target runs on one core: as many at once as there are jobs.
names=()
for t in "${targets[@]}"; do
  name=${t#fuzz_}
  names+=("$name")
  rm -f "$build/fuzz_$name.report" "$build/fuzz_$name.summary"
  while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do
    wait -n
  done
  run_target "$name" &
done
wait

findings=()
summary=()
for name in "${names[@]}"; do
  cat "$build/fuzz_$name.report" 2>/dev/null || echo "!! $name: did not report"
  line=$(cat "$build/fuzz_$name.summary" 2>/dev/null || echo "$name  FINDING (no summary)")
  summary+=("$line")
  case $line in *FINDING*) findings+=("$name") ;; esac
done

echo "== fuzz summary (${seconds}s per target)"
printf '   %s\n' "${summary[@]}"
if [ ${#findings[@]} -gt 0 ]; then
  echo "fuzz: findings in ${findings[*]}"
  exit 1
fi
