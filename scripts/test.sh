#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite under a virtual X server.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
bash scripts/build.sh
bash scripts/fuzz.sh replay
cd "${TIDEWELL_BUILD_DIR:-build}"
xvfb-run -a -s "-screen 0 1280x1024x24" ctest --output-on-failure -j "$(nproc)" "$@"
