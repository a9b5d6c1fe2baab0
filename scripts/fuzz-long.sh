#!/usr/bin/env bash
# The long fuzz run: every target (or those named) for ZV_FUZZ_SECONDS each
# (default an hour), one after the other, at the lowest priority so that it can
# run beside other work. Same findings and reproducers as CI's short run.
#   ZV_FUZZ_SECONDS=600 scripts/fuzz-long.sh [TARGET...]
set -uo pipefail
cd "$(dirname "$0")/.."
export ZV_FUZZ_SECONDS=${ZV_FUZZ_SECONDS:-3600}
exec nice -n 19 bash scripts/fuzz.sh "$@"
