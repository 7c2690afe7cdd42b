#!/usr/bin/env bash
# Runs a Windows program under Wine in the project's own prefix
# (build-windows/wine, made on first use), with no install dialogs and no
# Wine debug output. The program's exit code is this script's.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
export WINEPREFIX="${WINEPREFIX:-$root/build-windows/wine}"
export WINEARCH=win64
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    # One boot at a time: parallel first runs would race on the new prefix.
    (
        flock 9
        if [ ! -f "$WINEPREFIX/system.reg" ]; then
            DISPLAY= wine wineboot --init > /dev/null 2>&1 || true
            wineserver --wait
        fi
    ) 9> "$WINEPREFIX.lock"
fi
exec wine "$@"
