#!/usr/bin/env bash
# Installs what is missing, builds Release and starts Quillet, with the file named
# on the command line if any (scripts/run.sh [FILE]). Without a display it runs
# on a virtual X display and saves a screenshot to build/screenshot.png.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/setup.sh" Release

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
    exec "$root/build/quillet" "$@"
fi

echo "No display found: starting Quillet on a virtual X display."
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}"
chmod 700 "$XDG_RUNTIME_DIR"
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    "$1/build/quillet" "${@:2}" &
    app=$!
    sleep 3
    import -window root "$1/build/screenshot.png"
    kill "$app"
' _ "$root" "$@"
echo "Screenshot of the window saved to $root/build/screenshot.png"
