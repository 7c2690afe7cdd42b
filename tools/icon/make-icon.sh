#!/usr/bin/env bash
# Remakes the program's icon from the demo itself: frame 2400 (act 4, trees
# under the day sky) drawn offscreen at 256 × 256, as a PNG for the Linux
# package and as a Windows .ico of 16, 32, 48 and 256 pixels. Needs the Linux
# build (tools/build.sh) and ImageMagick.
set -euo pipefail
cd "$(dirname "$0")/../.."
frames=$(mktemp -d)
trap 'rm -rf "$frames"' EXIT
build/bin/demo-tool capture --out "$frames" --frames 2400 --at 2400 --size 256x256 --fast-forward > /dev/null
convert "$frames/frame-02400.png" -strip tools/icon/landscape-demo.png
convert "$frames/frame-02400.png" -define icon:auto-resize=256,48,32,16 tools/icon/landscape-demo.ico
