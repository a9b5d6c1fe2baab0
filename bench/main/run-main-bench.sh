#!/usr/bin/env bash
# Runs the main window benches from a build folder (default build/).
#   bench/main/run-main-bench.sh [BUILD_DIR]
set -euo pipefail
build=${1:-build}
export QTWEBENGINE_DISABLE_SANDBOX=1 QT_MEDIA_BACKEND=gstreamer
echo "== bouquets of 1,000,000 channels: record list and M3U"
QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} "$build/bench/main/bench_bouquet" 1000000 3
echo "== section switches, everything loaded once"
if [ -n "${DISPLAY:-}" ]; then
  "$build/bench/main/bench_sections" "$build/tests/main/zv_fake_portal" 15
else
  QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} "$build/bench/main/bench_sections" "$build/tests/main/zv_fake_portal" 15
fi
echo "== start-up and memory at rest"
"$build/bench/main/bench_startup" "$build/app/zevalo" "$build/bench/main/bare_webview" 5
