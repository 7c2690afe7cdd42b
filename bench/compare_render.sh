#!/usr/bin/env bash
# Before/after table of the software-rendered frame: two checkouts, each built
# (bin/demo-tool, bin/demo, the first-swap shim) and with its own data/,
# measured alternately in the same run so that both see the same load.
#
# Usage: bench/compare_render.sh OLD_CHECKOUT NEW_CHECKOUT [rounds]
#   A checkout is a repository root whose build/ holds the binaries.
#   rounds: alternations per figure (default 3); the table gives medians.
#
# Figures:
#   render 1920x1080   capture's render median over frames 1-6 of act 0
#   render 64x64       capture's render median over 120 frames
#   cpu/frame          processor time per frame, all threads (the run's user
#                      and system time less that of a one-frame run, divided
#                      by the extra frames): steadier than wall time on a
#                      machine that is doing other work
#   exec to first swap the real demo at 1920x1080 under Xvfb
#                      (bench/first_frame/first_frame.sh)
set -euo pipefail
old="$(realpath "$1")"
new="$(realpath "$2")"
rounds="${3:-3}"

# capture CHECKOUT FRAMES SIZE -> "renderMedianMs cpuSeconds"
capture() {
    local root="$1" frames="$2" size="$3" out start end json
    out="$(mktemp -d)"
    json=$(cd "$root" && TIMEFORMAT='%U %S' && { time build/bin/demo-tool capture --out "$out" \
        --frames "$frames" --size "$size" 2>/dev/null | tail -n 1; } 2>"$out/time")
    rm -f "$out"/*.png
    local cpu
    cpu=$(awk '{print $1 + $2}' "$out/time")
    rm -rf "$out"
    echo "$(echo "$json" | sed -n 's/.*"renderMs": {"median": \([0-9.]*\).*/\1/p') $cpu"
}

median() { sort -g | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }

declare -A wall cpu
figure() {  # name frames size
    local name="$1" frames="$2" size="$3" root tag one many
    for _ in $(seq "$rounds"); do
        for tag in old new; do
            root=${!tag}
            many=$(capture "$root" "$frames" "$size")
            one=$(capture "$root" 1 "$size")
            wall[$tag,$name]+="${many%% *} "
            cpu[$tag,$name]+="$(awk -v a="${many##* }" -v b="${one##* }" -v n="$frames" \
                'BEGIN {printf "%.1f", (a - b) * 1000 / (n - 1)}') "
        done
    done
}

firstSwap() {  # checkout -> median ms; each checkout's own script, data and shaders
    (cd "$1" && bench/first_frame/first_frame.sh build "$rounds") | sed -n 's/^median: \([0-9]*\) ms/\1/p'
}

figure 1080 6 1920x1080
figure 64 120 64x64
swapOld=$(firstSwap "$old")
swapNew=$(firstSwap "$new")

row() {  # label old new
    awk -v l="$1" -v a="$2" -v b="$3" 'BEGIN {printf "| %s | %.1f | %.1f | %.2fx |\n", l, a, b, (b > 0 ? a / b : 0)}'
}
echo "| Figure (median of $rounds) | before ms | after ms | speed-up |"
echo "| --- | --- | --- | --- |"
for name in 1080 64; do
    label=$([ $name = 1080 ] && echo "1920x1080, frames 1-6" || echo "64x64, 120 frames")
    row "render $label" "$(echo ${wall[old,$name]} | tr ' ' '\n' | median)" \
        "$(echo ${wall[new,$name]} | tr ' ' '\n' | median)"
    row "cpu/frame $label" "$(echo ${cpu[old,$name]} | tr ' ' '\n' | median)" \
        "$(echo ${cpu[new,$name]} | tr ' ' '\n' | median)"
done
row "exec to first swap, 1920x1080" "$swapOld" "$swapNew"
