#!/usr/bin/env bash
# Configures and builds Tidewell in build/ (or $TIDEWELL_BUILD_DIR).
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir="${TIDEWELL_BUILD_DIR:-build}"
build_type="${CMAKE_BUILD_TYPE:-RelWithDebInfo}"
if [ ! -f "$build_dir/CMakeCache.txt" ]; then
    cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE="$build_type" -DTIDEWELL_WERROR=ON "$@"
fi
cmake --build "$build_dir" -j "$(nproc)"
