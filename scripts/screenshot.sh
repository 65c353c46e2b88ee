#!/usr/bin/env bash
# Makes docs/screenshot.png from the real program on a virtual X display: a
# poem opened from the command line, the toolbox shown (Ctrl+T) and the
# frequency report made (F5). Usage: scripts/screenshot.sh [output.png]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/setup.sh" Release
out="$(realpath -m "${1:-$root/docs/screenshot.png}")"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
# 静夜思 (Li Bai), in GBK as a Chinese user's file would be.
printf '床前明月光，疑是地上霜。\r\n举头望明月，低头思故乡。\r\n' | iconv -f UTF-8 -t GBK >"$work/静夜思.txt"

xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    set -euo pipefail
    "$1" "$2" &
    app=$!
    trap "kill $app 2>/dev/null || true" EXIT
    window=""
    for _ in $(seq 100); do
        window="$(xdotool search --onlyvisible --name " - Quillet\$" 2>/dev/null | head -n1)" || true
        [ -n "$window" ] && break
        sleep 0.1
    done
    [ -n "$window" ] || { echo "The window did not appear." >&2; exit 1; }
    xdotool windowsize --sync "$window" 860 560 windowmove --sync "$window" 0 0 windowfocus --sync "$window"
    sleep 0.5
    xdotool key ctrl+t
    sleep 0.5
    xdotool key F5
    sleep 1
    import -window "$window" "$3"
' _ "$root/build/quillet" "$work/静夜思.txt" "$out"
echo "Screenshot saved to $out"
