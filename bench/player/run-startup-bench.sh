#!/usr/bin/env bash
# Start-up of each engine of the player frame, from Load + Play of a loopback
# file to IsPlaying, beside the engine's own command-line player on the same
# file and server (to its first frame, or to a 0.1 s play for cvlc).
#   bench/player/run-startup-bench.sh [BUILD_DIR] [RUNS]
set -euo pipefail
build=${1:-$(cd "$(dirname "$0")/../.." && pwd)/build}
runs=${2:-9}
bench=$build/bench/player/bench_player_startup
[ -x "$bench" ] || { echo "build bench_player_startup first (cmake --build $build --target bench_player_startup)"; exit 2; }

work=$(mktemp -d)
server_pid=
cleanup() { [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT

lavfi=(-f lavfi -i testsrc=size=320x240:rate=25:duration=4 -f lavfi -i sine=frequency=440:duration=4)
ffmpeg -loglevel error -y "${lavfi[@]}" -c:v libx264 -pix_fmt yuv420p -c:a aac -movflags +faststart -shortest "$work/clip.mp4"
ffmpeg -loglevel error -y "${lavfi[@]}" -shortest -f rm "$work/clip.rm"
chmod -R a+rX "$work"

export QT_QPA_PLATFORM=offscreen QT_MEDIA_BACKEND=gstreamer
"$bench" serve "$work" > "$work/base" 2>/dev/null &
server_pid=$!
for _ in $(seq 50); do [ -s "$work/base" ] && break; sleep 0.1; done
base=$(head -1 "$work/base")

# VLC refuses to run as root; its own player then runs as nobody.
as_user=()
if [ "$(id -u)" = 0 ] && id nobody >/dev/null 2>&1; then as_user=(runuser -u nobody --); fi

echo "# runs: $runs, server: $base, $(nproc) cores"
echo "## the frame, in process: ms from Load + Play"
printf '%-42s %14s %14s %14s %14s\n' "engine" "IsPlaying 1st" "IsPlaying med" "moving 1st" "moving med"
"$bench" time "$base" "$runs" 2>/dev/null | while IFS=$'\t' read -r _ name p1 pm m1 mm; do
    printf '%-42s %14s %14s %14s %14s\n' "$name" "$p1" "$pm" "$m1" "$mm"
done
echo "## the engines' own players, whole process: ms"
printf '%-42s %14s %14s %14s %14s\n' "player" "first" "median" "min" "max"

cli() { # name, command...
    local name=$1; shift
    hyperfine -N --style none --runs "$runs" --export-json "$work/h.json" -- "$(printf '%q ' "$@")" >/dev/null 2>&1 || true
    python3 - "$name" "$work/h.json" <<'PY'
import json, sys, statistics
name, path = sys.argv[1], sys.argv[2]
try:
    r = json.load(open(path))["results"][0]
    t = [x * 1000 for x in r["times"]]
    print(f"{name:<42} {t[0]:14.1f} {statistics.median(t):14.1f} {min(t):14.1f} {max(t):14.1f}")
except Exception as e:
    print(f"{name:<42} {'failed':>14}")
PY
}
cli "gst-launch-1.0 playbin (fakesinks, 1 buf)" gst-launch-1.0 -q playbin "uri=${base}clip.mp4" \
    "video-sink=fakesink num-buffers=1" "audio-sink=fakesink num-buffers=1"
cli "mpv --vo=null --ao=null --frames=1" mpv --no-config --vo=null --ao=null --frames=1 "${base}clip.rm"
cli "cvlc dummy outputs --run-time=0.1" "${as_user[@]}" cvlc -q --play-and-exit --vout=dummy --aout=dummy \
    --run-time=0.1 "${base}clip.mp4"
