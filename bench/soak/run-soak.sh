#!/usr/bin/env bash
# Runs the soak from a build folder (default build/): makes the demo portal's
# media if they are missing, then runs bench_soak under a virtual display.
#   bench/soak/run-soak.sh [BUILD_DIR] [CYCLES] [PARTS]
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build}
cycles=${2:-50}
if [ ! -d server/content/generated ]; then
  "$build/server/zevalo-gencontent" --out server/content/generated --quiet
fi
export QTWEBENGINE_DISABLE_SANDBOX=1 QT_MEDIA_BACKEND=gstreamer
# Pictures go to the virtual display; sound nowhere, as the machine may have no device.
export ZV_MPV_OPTIONS=${ZV_MPV_OPTIONS:-ao=null} ZV_VLC_OPTIONS=${ZV_VLC_OPTIONS:---aout=dummy}
xvfb-run -a -s "-screen 0 1280x1024x24" "$build/bench/soak/bench_soak" "$cycles" "${@:3}"
