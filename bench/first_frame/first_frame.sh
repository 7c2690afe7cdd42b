#!/usr/bin/env bash
# Time from exec of the real demo binary to its first presented frame, under
# a private Xvfb server: the preloaded first-swap shim reports the first
# buffer swap and ends the process. Prints each run, then the median.
#
# Usage: bench/first_frame/first_frame.sh [build folder] [runs] [screen]
#   build folder  holds bin/demo and the shim (default build)
#   runs          default 5
#   screen        Xvfb screen, default 1920x1080x24 (the window covers it)
set -euo pipefail
cd "$(dirname "$0")/../.."
build="${1:-build}"
runs="${2:-5}"
screen="${3:-1920x1080x24}"
if [ -z "${FIRST_FRAME_UNDER_XVFB:-}" ]; then
    FIRST_FRAME_UNDER_XVFB=1 exec xvfb-run -a -s "-screen 0 $screen" "$0" "$build" "$runs" "$screen"
fi

demo="$build/bin/demo"
shim="$(find "$build" -name 'libfirst-swap-shim.so' | head -n 1)"
if [ ! -x "$demo" ] || [ -z "$shim" ]; then
    echo "build the targets demo and first-swap-shim into $build first" >&2
    exit 1
fi
shim="$(realpath "$shim")"
times=()
for i in $(seq "$runs"); do
    start=$(date +%s%N)
    # The shim ends the demo at its first swap; the timeout only guards a run without one.
    swap=$(LD_PRELOAD="$shim" timeout 60 "$demo" 2>&1 >/dev/null | sed -n 's/^first-swap-ns //p' || true)
    if [ -z "$swap" ]; then
        echo "run $i: no frame was presented" >&2
        exit 1
    fi
    ms=$(( (swap - start) / 1000000 ))
    echo "run $i: $ms ms"
    times+=("$ms")
done
printf '%s\n' "${times[@]}" | sort -n | awk '{t[NR] = $1} END {print "median: " t[int((NR + 1) / 2)] " ms"}'
