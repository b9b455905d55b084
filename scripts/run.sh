#!/usr/bin/env bash
# Installs what is missing, builds, and starts Tidewell on its default embedded database.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
bash scripts/build.sh
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "Tidewell is a desktop program and needs a display, but DISPLAY is not set." >&2
    echo "To run it without one, start it under a virtual X server:" >&2
    echo "    xvfb-run -a -s \"-screen 0 1280x1024x24\" bash scripts/run.sh" >&2
    exit 1
fi
# Chromium (the HTML view) refuses to run as root with its sandbox on.
if [ "$(id -u)" -eq 0 ]; then
    export QTWEBENGINE_DISABLE_SANDBOX=1
fi
exec "${TIDEWELL_BUILD_DIR:-build}/src/app/tidewell" "$@"
