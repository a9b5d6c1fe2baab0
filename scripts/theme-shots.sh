#!/usr/bin/env bash
# Screenshots of every theme at 1x and 2x against the demo portal: each
# section, the settings menu, message boxes, the file and address dialogs, the
# game window (a Flash and an HTML game), the sponsor, download and connection
# windows. Needs a build (zv_main_shots, zevalo-portal, zevalo-gencontent), Xvfb.
#   scripts/theme-shots.sh OUTDIR [THEMES] [SCALES]   (default: "1 2 3 4 5", "1 2")
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${ZV_BUILD_DIR:-build}
case "$build" in /*) ;; *) build="$root/$build" ;; esac
out=${1:?OUTDIR}
themes=${2:-1 2 3 4 5}
scales=${3:-1 2}
mkdir -p "$out"

"$build/server/zevalo-gencontent" --out "$root/server/content/generated" --quiet
portal_out=$(mktemp)
"$build/server/zevalo-portal" --listen 127.0.0.1:0 --content "$root/server/content" \
    --log "$out/portal.log" >"$portal_out" 2>>"$out/portal.log" &
portal_pid=$!
xvfb_pid=
cleanup() {
    kill "$portal_pid" 2>/dev/null || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    rm -f "$portal_out"
}
trap cleanup EXIT
for _ in $(seq 100); do grep -q 'listening on' "$portal_out" && break; sleep 0.1; done
host=$(sed -n 's#.*listening on http://\([^/]*\)/.*#\1#p' "$portal_out")
[ -n "$host" ] || { echo "theme-shots: the portal did not start" >&2; exit 1; }

[ "$(id -u)" -eq 0 ] && export QTWEBENGINE_DISABLE_SANDBOX=1
export QT_MEDIA_BACKEND=${QT_MEDIA_BACKEND:-gstreamer}
for scale in $scales; do
    # A screen of 1100 x 820 logical pixels: the dialogs open near the window.
    for n in $(seq 90 140); do [ -e /tmp/.X$n-lock ] || break; done
    Xvfb :$n -screen 0 $((1100 * scale))x$((820 * scale))x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    sleep 0.5
    for theme in $themes; do
        echo "theme $theme at ${scale}x"
        DISPLAY=:$n QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR=$scale \
            timeout 300 "$build/tests/main/zv_main_shots" walk "$theme" "$out/theme$theme-${scale}x" "$host" \
            >"$out/theme$theme-${scale}x.log" 2>&1 || echo "theme $theme at ${scale}x: exit $?" >&2
    done
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
    xvfb_pid=
done
