#!/usr/bin/env bash
# Checks that an engine change leaves the pictures as they were: the new build
# draws with the old build's data folder (and its own shaders), and frames
# 240, 1200 and 2640 at 480x270 must match the old build's frames: mean
# absolute error at most 1 %, and at most 1 % of pixels off by more than 3 %.
#
# Usage: bench/compare_pictures.sh OLD_CHECKOUT NEW_CHECKOUT [out folder] [new options]
#   A checkout is a repository root whose build/bin holds demo-tool; the old
#   one also holds data/. Needs ImageMagick's compare. Exits 1 on a mismatch.
#   new options: extra capture options for the new build, e.g. --full-detail
#   (the same pictures as before levels of detail: then byte for byte), or
#   with the same checkout twice, what the levels of detail change.
set -euo pipefail
old="$(realpath "$1")"
new="$(realpath "$2")"
out="${3:-$(mktemp -d)}"
newOptions="${4:-}"
mkdir -p "$out/old" "$out/new" "$out/run"

# The new build reads shaders from its own checkout and data from the old one.
ln -sfn "$new/shaders" "$out/run/shaders"
ln -sfn "$old/data" "$out/run/data"
rm -f "$out/run/a.raw"
if [ -f "$old/a.raw" ]; then ln -s "$old/a.raw" "$out/run/a.raw"; fi  # the heights act 5 loads

frames=240,1200,2640
capture() {  # working folder, demo-tool, output folder, options...
    local folder="$1" tool="$2" to="$3"
    shift 3
    (cd "$folder" && "$tool" capture --out "$to" --frames 2640 --at "$frames" --size 480x270 --fast-forward "$@" > /dev/null)
}
capture "$old" "$old/build/bin/demo-tool" "$out/old"
# shellcheck disable=SC2086 # the options are words
capture "$out/run" "$new/build/bin/demo-tool" "$out/new" $newOptions

failed=0
pixels=$((480 * 270))
for frame in ${frames//,/ }; do
    name=$(printf 'frame-%05d.png' "$frame")
    # compare prints its metric on standard error and exits 1 when images differ.
    mae=$(compare -metric MAE "$out/old/$name" "$out/new/$name" null: 2>&1 | sed -n 's/.*(\(.*\))/\1/p' || true)
    off=$(compare -metric AE -fuzz 3% "$out/old/$name" "$out/new/$name" null: 2>&1 || true)
    verdict=$(awk -v m="$mae" -v o="$off" -v n="$pixels" \
        'BEGIN {ok = (m <= 0.01 && o / n <= 0.01); printf "%s MAE %.4f %%, %.4f %% of pixels off by > 3 %%", ok ? "ok  " : "FAIL", m * 100, o * 100 / n}')
    echo "frame $frame: $verdict"
    case "$verdict" in FAIL*) failed=1 ;; esac
done
echo "frames in $out"
exit "$failed"
