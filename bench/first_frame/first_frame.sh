#!/usr/bin/env bash
# Time from exec of the real demo binary to its first presented frame, under
# a private Xvfb server: a preloaded shim reports the first buffer swap and
# ends the process. Prints each run's milliseconds, then the median.
# Usage: bench/first_frame/first_frame.sh [build folder] [runs]
set -euo pipefail
cd "$(dirname "$0")/../.."
build="${1:-build}"
runs="${2:-5}"
if [ "${3:-}" != "--inside-xvfb" ]; then
    exec xvfb-run -a -s "-screen 0 1920x1080x24" "$0" "$build" "$runs" --inside-xvfb
fi

shim="$(find "$build" -name 'libfirst-swap-shim.so' | head -n 1)"
if [ ! -x "$build/bin/demo" ] || [ -z "$shim" ]; then
    echo "build the targets demo and first-swap-shim into $build first" >&2
    exit 1
fi
times=()
for i in $(seq "$runs"); do
    start=$(date +%s%N)
    end=$(LD_PRELOAD="$PWD/$shim" "$build/bin/demo" 2>&1 >/dev/null | sed -n 's/^first-swap-ns //p')
    ms=$(( (end - start) / 1000000 ))
    echo "run $i: $ms ms"
    times+=("$ms")
done
printf '%s\n' "${times[@]}" | sort -n | awk '{a[NR] = $1} END {print "median: " a[int((NR + 1) / 2)] " ms"}'
