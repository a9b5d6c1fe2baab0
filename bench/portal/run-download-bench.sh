#!/usr/bin/env bash
# File-mode downloads from a loopback server, TNMHTTP (bench_download) against
# curl, in the same run: one download alone, then three at once (each started
# inside the wait of the one before, as the program's download windows are;
# curl fetches its three in parallel with -Z), and one alone over TLS (a
# loopback TLS server with a certificate authority made for the run). Prints
# the throughput of each, the ratios and the memory growth of bench_download.
# Builds nothing.
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
source "$(dirname "$0")/bench-tools.sh"
"$server" > "$work/port" 2>/dev/null &
server_pid=$!
# A certificate authority and a server certificate for 127.0.0.1, for this run only.
openssl req -x509 -newkey rsa:2048 -nodes -days 1 -subj "/CN=bench CA" -keyout "$work/ca.key" -out "$work/ca.pem" \
  -addext basicConstraints=critical,CA:TRUE 2>/dev/null
openssl req -newkey rsa:2048 -nodes -subj "/CN=127.0.0.1" -keyout "$work/tls.key" -out "$work/tls.csr" 2>/dev/null
printf 'subjectAltName=IP:127.0.0.1\n' > "$work/ext"
openssl x509 -req -days 1 -in "$work/tls.csr" -CA "$work/ca.pem" -CAkey "$work/ca.key" -CAcreateserial \
  -extfile "$work/ext" -out "$work/tls.pem" 2>/dev/null
"$server" --tls "$work/tls.pem" "$work/tls.key" > "$work/tls-port" 2>/dev/null &
tls_pid=$!
trap 'kill "$server_pid" "$tls_pid" 2>/dev/null || true; rm -rf "$work"' EXIT
for _ in $(seq 50); do [ -s "$work/port" ] && [ -s "$work/tls-port" ] && break; sleep 0.1; done
port=$(cat "$work/port")
url="127.0.0.1:$port/gen?n=$size"
tls_url="https://127.0.0.1:$(cat "$work/tls-port")/gen?n=$size"
export XDG_DATA_HOME=$work/data

field() { sed -E "s/.*[ ^]$1=([0-9.,]+).*/\\1/" <<<" $2"; }
check_sizes() {
  for f in "$@"; do
    [ "$(stat -c %s "$f")" -eq "$size" ] || { echo "$f has a wrong size" >&2; exit 1; }
  done
  rm -f "$@"
}
max() { awk -v a="$1" -v b="$2" 'BEGIN { print (b > a) ? b : a }'; }
now() { date +%s.%N; }

best_one=0 best_three=0 best_curl_one=0 best_curl_three=0 best_tls=0 best_curl_tls=0 growth_kb=0 last=""
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

  out=$("$client" --trust "$work/ca.pem" "$tls_url" "$work/a.bin")
  check_sizes "$work/a.bin"
  tls=$(field MBps "$out")
  speed=$(curl -s --cacert "$work/ca.pem" -o "$work/a.bin" -w '%{speed_download}' "$tls_url")
  check_sizes "$work/a.bin"
  curl_tls=$(awk -v s="$speed" 'BEGIN { printf "%.1f", s / 1e6 }')

  echo "round $round: one TNMHTTP $one MB/s, curl $curl_one MB/s;" \
    "three at once TNMHTTP $three MB/s (rss +$((g / 1024)) MB), curl -Z $curl_three MB/s;" \
    "TLS TNMHTTP $tls MB/s, curl $curl_tls MB/s"
  best_one=$(max "$best_one" "$one")
  best_three=$(max "$best_three" "$three")
  best_curl_one=$(max "$best_curl_one" "$curl_one")
  best_curl_three=$(max "$best_curl_three" "$curl_three")
  best_tls=$(max "$best_tls" "$tls")
  best_curl_tls=$(max "$best_curl_tls" "$curl_tls")
done
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
mb=$((size / 1024 / 1024))
echo "last three-at-once bench_download: $last"
echo "best of $rounds, ${mb} MB files, file mode:"
echo "  one alone:     TNMHTTP $best_one MB/s, curl $best_curl_one MB/s, ratio $(ratio "$best_one" "$best_curl_one")x"
echo "  three at once: TNMHTTP $best_three MB/s in all, curl -Z $best_curl_three MB/s," \
  "ratio $(ratio "$best_three" "$best_curl_three")x (goal >= 0.8); against one alone $(ratio "$best_three" "$best_one")x"
echo "  over TLS:      TNMHTTP $best_tls MB/s, curl $best_curl_tls MB/s, ratio $(ratio "$best_tls" "$best_curl_tls")x (goal >= 0.9)"
echo "memory growth during three at once (peak VmRSS - VmRSS before): $((growth_kb / 1024)) MB ($growth_kb kB; goal < 20 MB)"
