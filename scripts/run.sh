#!/usr/bin/env bash
# Installs what is missing, builds, starts the demo portal in the background and
# the client in front; the portal stops when the client exits.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"${ZV_JOBS:-2}"
exec build/app/zevalo "$@"
