#!/usr/bin/env bash
# Configures and builds Tidewell in build/ (or $TIDEWELL_BUILD_DIR).
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir="${TIDEWELL_BUILD_DIR:-build}"
build_type="${CMAKE_BUILD_TYPE:-RelWithDebInfo}"
# Makefiles rather than Ninja: with Ninja, moc misses a header with Q_OBJECT that is newly listed in a
# subfolder's CMakeLists.txt (the targets are defined one folder up).
if [ ! -f "$build_dir/CMakeCache.txt" ]; then
    cmake -S . -B "$build_dir" -G "Unix Makefiles" -DCMAKE_BUILD_TYPE="$build_type" -DTIDEWELL_WERROR=ON "$@"
fi
cmake --build "$build_dir" -j "$(nproc)"
