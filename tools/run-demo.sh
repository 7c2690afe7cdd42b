#!/usr/bin/env bash
# Sets up, builds and starts the demo. Without a display, runs the demo
# offscreen instead and writes a sheet with one frame from the middle of each
# of its nine acts. With --windows, starts build-windows/bin/demo.exe (from
# tools/build-windows.sh) under Wine instead; with --web, builds the web
# version (tools/build-web.sh) and serves it on 127.0.0.1 at a free port.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "${1:-}" = "--windows" ]; then
    [ -x build-windows/bin/demo.exe ] || tools/build-windows.sh
    exec tools/windows/wine-run.sh build-windows/bin/demo.exe
fi
if [ "${1:-}" = "--web" ]; then
    tools/build-web.sh
    exec python3 tools/serve_web.py build-web/bin
fi
tools/setup.sh
tools/build.sh
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
    exec build/bin/demo
fi

echo "No display is available: capturing the nine acts offscreen instead (under a minute)."
mkdir -p build/capture
build/bin/demo-tool capture --out build/capture --frames 4080 --at 240,720,1200,1680,2160,2640,3120,3600,4080 \
    --size 480x270 --fast-forward --sheet build/capture/acts.png > build/capture/timings.json
echo "The sheet of the nine acts is build/capture/acts.png (frames in build/capture/)."
