#!/usr/bin/env bash
# Installs the Debian packages Quillet needs (only those missing) and builds it.
# Usage: scripts/setup.sh [Release|Debug]   (run by run.sh, test.sh and package.sh)
# QUILLET_WERROR=ON makes every warning an error (the test script sets it);
# QUILLET_JOBS limits the parallel compile jobs (default: one per processor).
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
packages=(cmake ninja-build g++ qt6-base-dev libgl-dev fonts-noto-cjk xvfb xauth imagemagick)
# Qt's own dialogs and menus in Chinese.
packages+=(qt6-translations-l10n)
# Readings, strokes and list levels of the characters: Unicode's Han database.
packages+=(libbz2-dev unicode-data)
# Checks of the desktop entry and metadata, the Debian package, the screenshot script.
packages+=(desktop-file-utils appstream dpkg-dev file xdotool)
# Real Chinese text for the encoding detection test.
packages+=(fortunes-zh)
# The cluster test of quillet-report (a Dask LocalCluster) and its README example.
packages+=(python3 python3-dask python3-distributed)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    sudo_cmd=()
    [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
    # Through env, since sudo drops the caller's environment.
    "${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q
    "${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q "${missing[@]}"
fi

build_type="${1:-Release}"
options=()
command -v ccache >/dev/null && options+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
# Left as the build directory has it when unset, so that run.sh after test.sh
# does not rebuild everything.
[ -n "${QUILLET_WERROR:-}" ] && options+=(-DCMAKE_COMPILE_WARNING_AS_ERROR="$QUILLET_WERROR")
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE="$build_type" "${options[@]}" >/dev/null
cmake --build "$root/build" -j "${QUILLET_JOBS:-$(nproc)}"
