#!/usr/bin/env bash
# Runs the Windows test programs of build-windows/ (tools/build-windows.sh)
# under Wine, on a private Xvfb server for their OpenGL context.
set -euo pipefail
cd "$(dirname "$0")/.."
exec 3< <(exec Xvfb -displayfd 1 -screen 0 640x480x24 -nolisten tcp 2> /dev/null)
xvfb_pid=$!
trap 'kill "$xvfb_pid" 2> /dev/null || true' EXIT
read -r -t 20 display <&3 || { echo "Xvfb did not start" >&2; exit 1; }
# A Wine session still running in the prefix (the end-to-end test's last run
# has no display) would lend its display, or its lack of one, to these
# programs: wait for it to end first.
if [ -d build-windows/wine ]; then
    WINEPREFIX="$PWD/build-windows/wine" wineserver --wait 2> /dev/null || true
fi
DISPLAY=":$display" ctest --test-dir build-windows --output-on-failure
