#!/usr/bin/env bash
# Sets up, builds and starts the demo.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup.sh
tools/build.sh
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display is available, so the demo window cannot open here."
    exit 1
fi
exec build/bin/demo
