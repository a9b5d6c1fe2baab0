#!/usr/bin/env bash
# Runs Zevalo Multimédia against its demo portal: installs what is missing,
# builds, makes the demo media once, starts zevalo-portal in the background and
# the client in front; the portal stops when the client exits.
#   ZV_BUILD_DIR   build folder (default build)
#   ZV_JOBS        parallel build jobs (default 2)
#   ZV_BUILD_TARGETS  what to build (default everything)
#   ZV_PORTAL_LISTEN  where the portal listens (default: the build's portal host)
# Arguments are passed to the client (for instance /info for the popup agent).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${ZV_BUILD_DIR:-build}
case "$build" in /*) ;; *) build="$root/$build" ;; esac

bash scripts/install-deps.sh
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
targets=()
for t in ${ZV_BUILD_TARGETS:-}; do targets+=(--target "$t"); done
cmake --build "$build" -j"${ZV_JOBS:-2}" "${targets[@]}"

# Quick when the media are already there.
"$build/server/zevalo-gencontent" --out "$root/server/content/generated" --quiet

portal_out=$(mktemp)
portal_pid=
client_pid=
stop_portal() {
    if [ -n "$client_pid" ]; then
        kill "$client_pid" 2>/dev/null || true
        wait "$client_pid" 2>/dev/null || true
    fi
    if [ -n "$portal_pid" ] && kill -0 "$portal_pid" 2>/dev/null; then
        kill "$portal_pid" 2>/dev/null || true
        for _ in $(seq 100); do
            kill -0 "$portal_pid" 2>/dev/null || break
            sleep 0.1
        done
        kill -9 "$portal_pid" 2>/dev/null || true
        wait "$portal_pid" 2>/dev/null || true
    fi
    rm -f "$portal_out"
}
trap stop_portal EXIT
trap 'exit 130' INT TERM

# Starts the portal and waits for its "listening on" line; false if it exits.
start_portal() {
    : >"$portal_out"
    "$build/server/zevalo-portal" "$@" --log "$build/server/portal.log" >"$portal_out" 2>>"$build/server/portal.log" &
    portal_pid=$!
    for _ in $(seq 100); do
        grep -q 'listening on' "$portal_out" && return 0
        kill -0 "$portal_pid" 2>/dev/null || { portal_pid=; return 1; }
        sleep 0.1
    done
    return 1
}

mkdir -p "$build/server"
listen_args=()
[ -n "${ZV_PORTAL_LISTEN:-}" ] && listen_args=(--listen "$ZV_PORTAL_LISTEN")
if ! start_portal "${listen_args[@]}"; then
    # The usual port is taken (another portal running?): take any free one.
    echo "run: the portal's usual port is busy, using a free one" >&2
    start_portal --listen 127.0.0.1:0 || { echo "run: zevalo-portal did not start, see $build/server/portal.log" >&2; exit 1; }
    listen_args=(--listen 127.0.0.1:0)
fi
if [ ${#listen_args[@]} -gt 0 ]; then
    # The client asks the portal where it really listens.
    export ZEVALO_PORTAL_HOST=$(sed -n 's#.*listening on http://\([^/]*\)/.*#\1#p' "$portal_out")
fi
echo "run: demo portal on http://$(sed -n 's#.*listening on http://\([^/]*\)/.*#\1#p' "$portal_out")/ (log: $build/server/portal.log)"

# Chromium refuses to run as root with its sandbox on.
[ "$(id -u)" -eq 0 ] && export QTWEBENGINE_DISABLE_SANDBOX=${QTWEBENGINE_DISABLE_SANDBOX:-1}
export QT_MEDIA_BACKEND=${QT_MEDIA_BACKEND:-gstreamer}

# In the background and waited for, so that a stop signal reaches the traps
# at once and both programs end.
"$build/app/zevalo" "$@" &
client_pid=$!
status=0
wait "$client_pid" || status=$?
client_pid=
exit "$status"
