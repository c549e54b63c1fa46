#!/usr/bin/env bash
# Builds the Debian package tavo_VERSION_ARCH.deb from a fresh clone of this repository's
# committed state (so nothing uncommitted or built here slips in) and puts it into OUT_DIR
# (default: the repository root). Installs the build's packages first, like setup.sh.
#   scripts/package.sh [OUT_DIR]
# Then: apt-get install ./tavo_*.deb, and start `tavo` from anywhere or from the desktop menu.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
out=$(mkdir -p "${1:-$repo}" && cd "${1:-$repo}" && pwd)
# Below the repository (and ignored by git), so that ccache's base folder covers the clone and
# compiles already made for build/ are reused.
work="$repo/build-package"
rm -rf "$work"
mkdir -p "$work"
trap 'rm -rf "$work"' EXIT

git clone -q "$repo" "$work/tavo"
"$work/tavo/scripts/setup.sh" --packages
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
cmake -S "$work/tavo" -B "$work/tavo/build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF "${launcher[@]}" >/dev/null
cmake --build "$work/tavo/build" -j"$(nproc)" --target tavo tavo-levelcheck tavo_manual_pages tavo_changelog
(cd "$work/tavo/build" && cpack -G DEB >/dev/null)
deb=$(ls "$work/tavo/build"/tavo_*.deb)
cp "$deb" "$out/"
echo "Built $out/$(basename "$deb")"
dpkg-deb -f "$out/$(basename "$deb")" Package Version Architecture Depends
