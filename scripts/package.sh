#!/usr/bin/env bash
# Builds the Debian package (quillet_<version>-1_<arch>.deb) into build/, with
# the dependencies found in the binary by dpkg-shlibdeps, and shows its fields.
# Install it with: sudo apt-get install ./build/quillet_1.01-1_amd64.deb
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/setup.sh" Release

cd "$root/build"
log="$(cpack -G DEB)" || { echo "$log" >&2; exit 1; }
deb="$(sed -n 's/^CPack: - package: \(.*\.deb\) generated\.$/\1/p' <<<"$log")"
[ -f "$deb" ] || { echo "$log" >&2; echo "No package was made." >&2; exit 1; }
dpkg-deb --info "$deb" | sed -n '/^ [A-Z][A-Za-z-]*:/,$p'
echo "Package: $deb ($(du -k "$deb" | cut -f1) KiB)"
