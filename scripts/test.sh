#!/usr/bin/env bash
# Installs what is missing, builds with warnings as errors, runs every test
# headless, then checks the desktop entry and metadata, the install layout, a
# project that embeds this one, and the Debian package.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export QUILLET_WERROR=ON
"$root/scripts/setup.sh" Release

export QT_QPA_PLATFORM=offscreen
export QTEST_FUNCTION_TIMEOUT=20000
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"

(cd "$root/build" && ctest --output-on-failure -j2)

echo "== Desktop entry and AppStream metadata"
desktop-file-validate "$root/data/quillet.desktop"
appstreamcli validate --no-net "$root"/build/*.metainfo.xml

echo "== Install layout"
DESTDIR="$work/stage" cmake --install "$root/build" --prefix /usr >/dev/null
expected="./usr/bin/quillet
./usr/bin/quillet-report
./usr/share/applications/quillet.desktop
./usr/share/icons/hicolor/64x64/apps/quillet.png
./usr/share/icons/hicolor/scalable/apps/quillet.svg
./usr/share/metainfo/org.example.quillet.metainfo.xml
./usr/share/quillet/ReadMe.txt"
installed="$(cd "$work/stage" && find . ! -type d | sort)"
diff <(echo "$expected") <(echo "$installed") || { echo "The install layout changed." >&2; exit 1; }
version="$("$work/stage/usr/bin/quillet" --version)"
[ "$version" = "Quillet 1.01" ] || { echo "--version printed: $version" >&2; exit 1; }
version="$("$work/stage/usr/bin/quillet-report" --version)"
[ "$version" = "quillet-report 1.01" ] || { echo "quillet-report printed: $version" >&2; exit 1; }

echo "== A project that embeds this one with add_subdirectory"
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S "$root/tests/consumer" -B "$root/build/consumer" -G Ninja \
    -DQUILLET_SOURCE_DIR="$root" "${launcher[@]}" >/dev/null
cmake --build "$root/build/consumer" -j "${QUILLET_JOBS:-$(nproc)}" >/dev/null
embedded="$("$root/build/consumer/consumer")"
[ "$embedded" = "未命名 - Quillet|icon|1.01" ] || { echo "The consumer printed: $embedded" >&2; exit 1; }

echo "== Debian package"
"$root/scripts/package.sh" | tee "$work/package.txt"
for field in "Depends: .*libqt6widgets6" "Depends: .*qt6-translations-l10n" "Recommends: .*fonts-"; do
    grep -q "^ $field" "$work/package.txt" || { echo "The package lacks $field" >&2; exit 1; }
done
deb="$(sed -n 's/^Package: \(.*\.deb\) (.*$/\1/p' "$work/package.txt")"
packaged="$(dpkg-deb --contents "$deb" | awk '$1 !~ /^d/ {print $6}' | sort)"
diff <(echo "$expected") <(echo "$packaged") || { echo "The package holds other files." >&2; exit 1; }
echo "All checks passed."
