#!/usr/bin/env bash
# File-mode downloads from a loopback server, TNMHTTP (bench_download) against
# curl, in the same run: one download alone, then three at once (each started
# inside the wait of the one before, as the program's download windows are;
# curl fetches its three in parallel with -Z). Prints the throughput of each,
# the ratios and the memory growth of bench_download. Builds nothing.
#
#   bench/portal/run-download-bench.sh [BUILD_DIR] [ROUNDS] [SIZE_MB]
#
# BUILD_DIR defaults to ./build (a RelWithDebInfo or Release build gives the
# meaningful figures); ROUNDS (default 3) runs of each, the best one counts;
# SIZE_MB (default 256) the size of each file.
set -euo pipefail
build=${1:-build}
rounds=${2:-3}
size=$((${3:-256} * 1024 * 1024))
client=$build/bench/portal/bench_download
server=$build/bench/portal/bench_stream_server
for f in "$client" "$server"; do
  [ -x "$f" ] || { echo "missing $f (build the bench targets first)" >&2; exit 1; }
done
command -v curl >/dev/null || { echo "curl is needed" >&2; exit 1; }

work=$(mktemp -d)
"$server" > "$work/port" &
server_pid=$!
trap 'kill "$server_pid" 2>/dev/null || true; rm -rf "$work"' EXIT
for _ in $(seq 50); do [ -s "$work/port" ] && break; sleep 0.1; done
port=$(cat "$work/port")
url="127.0.0.1:$port/gen?n=$size"

field() { sed -E "s/.*[ ^]$1=([0-9.,]+).*/\\1/" <<<" $2"; }
check_sizes() {
  for f in "$@"; do
    [ "$(stat -c %s "$f")" -eq "$size" ] || { echo "$f has a wrong size" >&2; exit 1; }
  done
  rm -f "$@"
}
max() { awk -v a="$1" -v b="$2" 'BEGIN { print (b > a) ? b : a }'; }
now() { date +%s.%N; }

best_one=0 best_three=0 best_curl_one=0 best_curl_three=0 growth_kb=0 last=""
for round in $(seq "$rounds"); do
  out=$("$client" "$url" "$work/a.bin")
  check_sizes "$work/a.bin"
  one=$(field MBps "$out")

  out=$("$client" "$url" "$work/a.bin" "$url" "$work/b.bin" "$url" "$work/c.bin")
  check_sizes "$work/a.bin" "$work/b.bin" "$work/c.bin"
  three=$(field MBps "$out")
  g=$(( $(field rss_peak_kB "$out") - $(field rss_before_kB "$out") ))
  [ "$g" -gt "$growth_kb" ] && growth_kb=$g
  last=$out

  speed=$(curl -s -o "$work/a.bin" -w '%{speed_download}' "http://$url")
  check_sizes "$work/a.bin"
  curl_one=$(awk -v s="$speed" 'BEGIN { printf "%.1f", s / 1e6 }')

  t0=$(now)
  curl -s --no-progress-meter -Z --parallel-max 3 -o "$work/a.bin" "http://$url" -o "$work/b.bin" "http://$url" \
    -o "$work/c.bin" "http://$url"
  t1=$(now)
  check_sizes "$work/a.bin" "$work/b.bin" "$work/c.bin"
  curl_three=$(awk -v t0="$t0" -v t1="$t1" -v n="$size" 'BEGIN { printf "%.1f", 3 * n / 1e6 / (t1 - t0) }')

  echo "round $round: one TNMHTTP $one MB/s, curl $curl_one MB/s;" \
    "three at once TNMHTTP $three MB/s (rss +$((g / 1024)) MB), curl -Z $curl_three MB/s"
  best_one=$(max "$best_one" "$one")
  best_three=$(max "$best_three" "$three")
  best_curl_one=$(max "$best_curl_one" "$curl_one")
  best_curl_three=$(max "$best_curl_three" "$curl_three")
done
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
mb=$((size / 1024 / 1024))
echo "last three-at-once bench_download: $last"
echo "best of $rounds, ${mb} MB files, file mode:"
echo "  one alone:     TNMHTTP $best_one MB/s, curl $best_curl_one MB/s, ratio $(ratio "$best_one" "$best_curl_one")x"
echo "  three at once: TNMHTTP $best_three MB/s in all, curl -Z $best_curl_three MB/s," \
  "ratio $(ratio "$best_three" "$best_curl_three")x (goal >= 0.8); against one alone $(ratio "$best_three" "$best_one")x"
echo "memory growth during three at once (peak VmRSS - VmRSS before): $((growth_kb / 1024)) MB ($growth_kb kB; goal < 20 MB)"
