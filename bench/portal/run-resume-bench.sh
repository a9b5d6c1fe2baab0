#!/usr/bin/env bash
# A download cut at half and then resumed, TNMHTTP (bench_download, the fetch
# component the download window uses) beside curl -C -, against the same
# loopback server in the same run. Prints the body bytes the server had to
# send for each, against the file's size (goal: at most 1.05x), and checks
# that both files came out whole and equal. Builds nothing.
#
#   bench/portal/run-resume-bench.sh [BUILD_DIR] [SIZE_MB]
#
# BUILD_DIR defaults to ./build; SIZE_MB (default 256) the size of the file.
set -euo pipefail
build=${1:-build}
size=$((${2:-256} * 1024 * 1024))
half=$((size / 2))
source "$(dirname "$0")/bench-tools.sh"
"$server" > "$work/port" 2> "$work/sent" &
server_pid=$!
trap 'kill "$server_pid" 2>/dev/null || true; rm -rf "$work"' EXIT
for _ in $(seq 50); do [ -s "$work/port" ] && break; sleep 0.1; done
port=$(cat "$work/port")
# The remembered validators of partial downloads: this run's own.
export XDG_DATA_HOME=$work/data

sent_for() { awk -v id="id=$1" 'index($2, id) { s += $3 } END { print s + 0 }' "$work/sent"; }

url="127.0.0.1:$port/gen?n=$size&cut=$half&id=zevalo"
"$client" "$url" "$work/zevalo.bin" > /dev/null 2>&1 && { echo "the first download was not cut" >&2; exit 1; }
[ -f "$work/zevalo.bin.part" ] || { echo "no .part kept after the cut" >&2; exit 1; }
"$client" "$url" "$work/zevalo.bin" > /dev/null

url="http://127.0.0.1:$port/gen?n=$size&cut=$half&id=curl"
curl -s -o "$work/curl.bin" "$url" && { echo "curl's first download was not cut" >&2; exit 1; }
curl -s -C - -o "$work/curl.bin" "$url"

for f in zevalo curl; do
  [ "$(stat -c %s "$work/$f.bin")" -eq "$size" ] || { echo "$f.bin has a wrong size" >&2; exit 1; }
done
cmp -s "$work/zevalo.bin" "$work/curl.bin" || { echo "the two files differ" >&2; exit 1; }

mb=$((size / 1024 / 1024))
ours=$(sent_for zevalo)
theirs=$(sent_for curl)
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", a / b }'; }
echo "${mb} MB file cut at half, then fetched again; body bytes the server sent in all:"
echo "  TNMHTTP: $ours ($(ratio "$ours" "$size")x the file; goal <= 1.05)"
echo "  curl -C -: $theirs ($(ratio "$theirs" "$size")x the file)"
echo "  both files whole and equal"
