#!/usr/bin/env bash
# Installs build/landscape-demo_*.deb (tools/package-linux.sh) with apt into a
# copy of a clean Debian 12 system (debootstrap --variant=minbase with Xvfb,
# made once and kept in /var/cache/landscape-demo/, LANDSCAPE_DEMO_CACHE
# overrides), then: landscape-demo under that system's Xvfb shows what
# `demo-tool capture` of the build tree draws and ends on Escape with 0;
# landscape-demo-tool capture there writes the build tree's frame exactly;
# purging the package and what it pulled in leaves the system's files as
# they were. Needs root (chroot); the screenshot is kept in build/package-test/.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "$(id -u)" -ne 0 ]; then exec sudo "$0" "$@"; fi
release=bookworm
cache=${LANDSCAPE_DEMO_CACHE:-/var/cache/landscape-demo}
package=$(ls build/landscape-demo_*.deb)
out=$PWD/build/package-test
source tools/debian-sources.sh
install_missing_packages debootstrap debian-archive-keyring imagemagick
source tools/debian/clean-system.sh

seconds() { date +%s.%N; }
elapsed() { awk -v from="$1" -v to="$(seconds)" 'BEGIN { printf "%.1f", to - from }'; }
fail() { echo "package test: $*" >&2; exit 1; }

start=$(seconds)
make_clean_system "$release" "$cache/debian-$release"
root=$cache/run-$release
rm -rf "$out"
mkdir -p "$out"
trap 'set +e; remove_system "$root"' EXIT
copy_system "$cache/debian-$release" "$root" "$release"
in_system() { chroot "$root" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root DEBIAN_FRONTEND=noninteractive "$@"; }
as_user() { chroot --userspec=nobody:nogroup "$root" env -i PATH=/usr/bin:/bin HOME=/tmp "$@"; }
# Every path of the system but the package manager's state, logs, caches,
# run-time state and the backups of /etc/passwd and friends (a dependency
# adds a system user).
system_files() {
    (cd "$root" && find . -xdev \( -path ./proc -o -path ./dev -o -path ./tmp -o -path ./run -o -path ./var/cache \
        -o -path ./var/log -o -path ./var/lib/apt -o -path ./var/lib/dpkg -o -path './etc/*-' \) -prune -o -print | sort)
}
system_files > "$out/files-before.txt"
echo "Clean system ready in $(elapsed "$start") s"

cp "$package" "$root/tmp/"
start=$(seconds)
in_system apt-get update -qq
in_system apt-get install -y -qq "/tmp/$(basename "$package")" > "$out/install.log" 2>&1 ||
    { tail -n 30 "$out/install.log"; fail "apt-get install failed"; }
echo "Installed $(basename "$package") ($(stat -c %s "$package") bytes) in $(elapsed "$start") s"

# The build tree's frames to compare with, at the screen's size.
width=320 height=180
at=$(seq -s, 60 60 480)
build/bin/demo-tool capture --out "$out/build-frames" --frames 480 --at "$at" --size ${width}x$height \
    --fast-forward > /dev/null 2>&1 || fail "demo-tool capture failed in the build tree"

# landscape-demo-tool from the installed folder draws the same frame 240.
as_user sh -c "cd /usr/lib/landscape-demo && landscape-demo-tool capture --out /tmp/frames --frames 240 --at 240 \
    --size ${width}x$height --fast-forward" > /dev/null 2> "$out/tool.log" || { cat "$out/tool.log"; fail "landscape-demo-tool capture failed"; }
differing=$(compare -metric AE "$root/tmp/frames/frame-00240.png" "$out/build-frames/frame-00240.png" null: 2>&1 || true)
[ "$differing" = 0 ] || fail "the installed landscape-demo-tool's frame 240 differs in $differing pixels"

# The demo on the system's own X server, whose screen is the file Xvfb_screen0.
# The display number is the first free one, as the host's X servers share the
# abstract socket names.
in_system Xvfb -displayfd 3 -screen 0 ${width}x${height}x24 -fbdir /tmp -nolisten tcp -noreset \
    3> "$out/display" > "$out/xvfb.log" 2>&1 &
for _ in $(seq 100); do [ -s "$out/display" ] && break; sleep 0.1; done
[ -s "$out/display" ] || { cat "$out/xvfb.log"; fail "Xvfb did not start"; }
display=:$(cat "$out/display")
screen() { convert "xwd:$root/tmp/Xvfb_screen0" "$1" 2> /dev/null; }
luminance() { convert "$1" -colorspace Gray -format '%[fx:int(255*mean)]' info: 2> /dev/null || echo 0; }
as_user DISPLAY="$display" SDL_AUDIODRIVER=dummy landscape-demo > /dev/null 2> "$out/demo.log" &
demo_pid=$!
for _ in $(seq 400); do  # the first frame, after start-up
    screen "$out/screen.png" && [ "$(luminance "$out/screen.png")" -gt 20 ] && break
    sleep 0.1
done
sleep 3
screen "$out/screen.png" || fail "no screenshot"
in_system DISPLAY="$display" xdotool mousemove $((width / 2)) $((height / 2)) key Escape || fail "xdotool failed"
status=0
wait "$demo_pid" || status=$?
[ "$status" = 0 ] || { cat "$out/demo.log"; fail "landscape-demo ended with $status, not 0 on Escape"; }
best=255
for frame in "$out"/build-frames/frame-*.png; do
    # compare prints "ABSOLUTE (NORMALISED)" and exits with 1 when the pictures differ.
    difference=$(compare -metric MAE "$out/screen.png" "$frame" null: 2>&1 || true)
    difference=$(echo "$difference" | awk -F'[()]' 'NF >= 2 { print int($2 * 255); exit } { print 255 }')
    if [ "$difference" -lt "$best" ]; then best=$difference; fi
done
echo "The screen differs from the nearest build-tree frame by $best of 255 on average"
[ "$best" -lt 25 ] || fail "the installed demo's screen is none of the build tree's frames ($out/screen.png)"

# Purging leaves no file of the package, and removing what it pulled in
# leaves the system as it was.
in_system dpkg -L landscape-demo > "$out/package-files.txt"
in_system apt-get purge -y -qq landscape-demo > "$out/purge.log" 2>&1
while read -r path; do
    if [ -e "$root$path" ] && [ ! -d "$root$path" ]; then fail "$path is left after the purge"; fi
done < "$out/package-files.txt"
[ ! -e "$root/usr/lib/landscape-demo" ] || fail "/usr/lib/landscape-demo is left after the purge"
in_system apt-get autoremove --purge -y -qq >> "$out/purge.log" 2>&1
system_files > "$out/files-after.txt"
diff "$out/files-before.txt" "$out/files-after.txt" || fail "the system's files changed after the purge"
echo "Package test passed"
