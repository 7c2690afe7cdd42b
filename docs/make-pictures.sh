#!/usr/bin/env bash
# Remakes the README's pictures with demo-tool: the nine acts (one frame from
# the middle of each), a contact sheet of the fifteen models and an animated
# preview across the acts. Needs a
# built tree (BIN, default build/bin), data/ and ImageMagick; run from anywhere.
set -euo pipefail
cd "$(dirname "$0")/.."
bin=${BIN:-build/bin}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$bin/demo-tool" capture --out "$work/acts" --frames 4080 --at 240,720,1200,1680,2160,2640,3120,3600,4080 \
    --size 320x180 --fast-forward --sheet "$work/acts.png" > /dev/null
# 256 colours keep the pictures small.
convert "$work/acts.png" -colors 256 PNG8:docs/acts.png

models=(Tree Pine DeadTree SnowTree SnowPine PlantsA RockA RockB RockC
        RockADessert RockBDessert RockCDessert RockASnow RockBSnow RockCSnow)
files=()
for model in "${models[@]}"; do
    "$bin/demo-tool" thumbnail "data/Ultimate Models/$model.bin" --out "$work/$model.png" --size 128x128
    files+=("$work/$model.png")
done
montage "${files[@]}" -set label '%t' -geometry +2+2 -tile 5x -background '#202020' -fill white -font Liberation-Sans \
    -pointsize 12 "$work/models.png"
convert "$work/models.png" -colors 256 PNG8:docs/models.png
# The preview: from the middle of each act, 0.8 s at 10 frames a second
# (every 6th iteration), drawn offscreen and joined into a looping GIF.
at=()
for act in 0 1 2 3 4 5 6 7 8; do
    for step in 0 1 2 3 4 5 6 7; do at+=($((act * 480 + 216 + step * 6))); done
done
"$bin/demo-tool" capture --out "$work/preview" --frames "${at[-1]}" --at "$(IFS=,; echo "${at[*]}")" \
    --size 320x180 --fast-forward > /dev/null
convert -delay 10 -loop 0 "$work"/preview/frame-*.png +dither -colors 128 -layers Optimize \
    docs/preview.gif
ls -l docs/*.png docs/preview.gif
