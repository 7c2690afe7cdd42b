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
if [ ! -f "$WINEPREFIX/.ready" ]; then
    mkdir -p "$WINEPREFIX"
    # One set-up at a time: parallel first runs would race on the new prefix.
    (
        flock 9
        if [ ! -f "$WINEPREFIX/.ready" ]; then
            DISPLAY= wine wineboot --init > /dev/null 2>&1 || true
            # A crashing program ends with its exit code instead of waiting
            # in Wine's crash dialog.
            DISPLAY= wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
                > /dev/null 2>&1
            wineserver --wait
            touch "$WINEPREFIX/.ready"
        fi
    ) 9> "$WINEPREFIX.lock"
fi
exec wine "$@"
