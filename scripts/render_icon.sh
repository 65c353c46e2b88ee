#!/usr/bin/env bash
# Renders the 64 x 64 PNG icon (24-bit colour) from the SVG beside it. Run it
# after changing data/icons/quillet.svg and commit both files.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
for tool in rsvg-convert:librsvg2-bin convert:imagemagick; do
    command -v "${tool%%:*}" >/dev/null || { echo "Needs ${tool%%:*} (apt-get install ${tool#*:})" >&2; exit 1; }
done
rsvg-convert -w 64 -h 64 "$root/data/icons/quillet.svg" |
    convert png:- -background '#2b4a6f' -alpha remove -alpha off -strip PNG24:"$root/data/icons/quillet.png"
echo "Wrote $root/data/icons/quillet.png"
