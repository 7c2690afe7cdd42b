#!/usr/bin/env bash
# Installs the Debian packages the project needs, only those missing.
set -euo pipefail

packages=(cmake g++ make pkg-config libsdl2-dev libglew-dev libpng-dev zlib1g-dev libfreetype-dev
          libgtest-dev libbenchmark-dev libgl1-mesa-dri libegl-mesa0 libegl-dev
          libmeshoptimizer-dev xvfb xdotool x11-apps imagemagick fonts-liberation
          icoutils  # reads the icon and version back from the Windows programs
          libavcodec-dev libavformat-dev libswscale-dev libswresample-dev libavutil-dev  # demo-tool record (libx264 comes with libavcodec)
          clang libclang-rt-14-dev llvm  # sanitizer build, libFuzzer, symbolised reports
          clang-format git)  # tools/check-architecture.sh

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
"${sudo_cmd[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
