#!/usr/bin/env bash
# Downloads 512 MB in file mode from a loopback server, with TNMHTTP
# (bench_download) and with curl -o, alternately, and prints the throughput of
# both, their ratio and the memory growth of bench_download. Builds nothing.
#
#   bench/portal/run-download-bench.sh [BUILD_DIR] [ROUNDS]
#
# BUILD_DIR defaults to ./build (a RelWithDebInfo or Release build gives the
# meaningful figures); ROUNDS (default 3) runs of each, the best one counts.
set -euo pipefail
build=${1:-build}
rounds=${2:-3}
size=$((512 * 1024 * 1024))
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

best_nmh=0 best_curl=0 growth_kb=0 line=""
for round in $(seq "$rounds"); do
  out=$("$client" "$url" "$work/nmh.bin")
  [ "$(stat -c %s "$work/nmh.bin")" -eq "$size" ] || { echo "bench_download wrote a wrong size" >&2; exit 1; }
  rm -f "$work/nmh.bin"
  mbps=$(sed -E 's/.*MBps=([0-9.]+).*/\1/' <<<"$out")
  before=$(sed -E 's/.*rss_before_kB=([0-9]+).*/\1/' <<<"$out")
  peak=$(sed -E 's/.*rss_peak_kB=([0-9]+).*/\1/' <<<"$out")
  g=$((peak - before)); [ "$g" -gt "$growth_kb" ] && growth_kb=$g

  speed=$(curl -s -o "$work/curl.bin" -w '%{speed_download}' "http://$url")
  [ "$(stat -c %s "$work/curl.bin")" -eq "$size" ] || { echo "curl wrote a wrong size" >&2; exit 1; }
  rm -f "$work/curl.bin"
  cmbps=$(awk -v s="$speed" 'BEGIN { printf "%.1f", s / 1e6 }')
  echo "round $round: TNMHTTP $mbps MB/s (rss +$((g / 1024)) MB), curl $cmbps MB/s"
  best_nmh=$(awk -v a="$best_nmh" -v b="$mbps" 'BEGIN { print (b > a) ? b : a }')
  best_curl=$(awk -v a="$best_curl" -v b="$cmbps" 'BEGIN { print (b > a) ? b : a }')
  line=$out
done
echo "last bench_download: $line"
ratio=$(awk -v a="$best_nmh" -v b="$best_curl" 'BEGIN { printf "%.2f", a / b }')
echo "best of $rounds, 512 MB file mode: TNMHTTP $best_nmh MB/s, curl $best_curl MB/s, ratio ${ratio}x (goal >= 0.8)"
echo "memory growth during the download (peak VmRSS - VmRSS before): $((growth_kb / 1024)) MB ($growth_kb kB; goal < 20 MB)"
