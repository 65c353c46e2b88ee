#!/usr/bin/env bash
# Installs the Debian packages Quillet needs (only those missing) and builds it.
# Usage: scripts/setup.sh [Release|Debug]   (sourced by run.sh and test.sh)
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
packages=(cmake ninja-build g++ qt6-base-dev libgl-dev fonts-noto-cjk xvfb xauth imagemagick
          fortunes-zh) # real Chinese text for the encoding detection test

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    sudo_cmd=()
    [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
    "${sudo_cmd[@]}" apt-get update -q
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -q "${missing[@]}"
fi

build_type="${1:-Release}"
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE="$build_type" >/dev/null
cmake --build "$root/build"
