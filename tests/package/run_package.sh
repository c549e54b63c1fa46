#!/usr/bin/env bash
# The Debian package made by CPack from this build (cpack -G DEB, as scripts/package.sh does from
# a fresh clone): its files, its Depends computed by dpkg-shlibdeps, its control fields, and the
# desktop entry checked by desktop-file-validate.
# Usage: run_package.sh BUILD_DIR
set -u
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail=0

(cd "$build" && cpack -G DEB -B "$work" >"$work/cpack.log" 2>&1) || { echo "FAIL: cpack:"; cat "$work/cpack.log"; exit 1; }
deb=$(ls "$work"/tavo_*_*.deb 2>/dev/null | head -1)
[ -n "$deb" ] || { echo "FAIL: no tavo_VERSION_ARCH.deb"; ls "$work"; exit 1; }
[ "$(basename "$deb")" = "tavo_$(dpkg-deb -f "$deb" Version)_$(dpkg --print-architecture).deb" ] \
  || { echo "FAIL: file name $(basename "$deb")"; fail=1; }

dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|' >"$work/files"
for f in /usr/games/tavo /usr/games/tavo-levelcheck \
         /usr/share/games/tavo/resources/levels/level1.dae /usr/share/games/tavo/resources/textures/menu_169.jpg \
         /usr/share/games/tavo/resources/models/schoko.dae /usr/share/games/tavo/resources/sounds/mainmenu.mp3 \
         /usr/share/games/tavo/shaders/orthoshader.vert /usr/share/applications/tavo.desktop \
         /usr/share/icons/hicolor/256x256/apps/tavo.png /usr/share/icons/hicolor/48x48/apps/tavo.png \
         /usr/share/man/man6/tavo.6.gz /usr/share/doc/tavo/copyright /usr/share/doc/tavo/README.md; do
  grep -q -x -F "$f" "$work/files" || { echo "FAIL: not in the package: $f"; fail=1; }
done
# Only what a player needs: no tests, benchmarks or build files.
if grep -E "test|bench|replay|CMake" "$work/files"; then echo "FAIL: build-only files in the package"; fail=1; fi

depends=$(dpkg-deb -f "$deb" Depends)
for lib in libglfw3 libglew2 libbullet libassimp libdevil libopenal1 libsndfile1; do
  echo "$depends" | grep -q -E "(^|, )$lib" || { echo "FAIL: Depends lacks $lib: $depends"; fail=1; }
done
[ "$(dpkg-deb -f "$deb" Section)" = "games" ] || { echo "FAIL: section $(dpkg-deb -f "$deb" Section)"; fail=1; }
description=$(dpkg-deb -f "$deb" Description)
[ "$(echo "$description" | wc -l)" -ge 3 ] || { echo "FAIL: no long description: $description"; fail=1; }

dpkg-deb -x "$deb" "$work/root"
# The documentation is the players' README, not the developers' one of the repository's root.
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
doc="$work/root/usr/share/doc/tavo"
cmp -s "$doc/README.md" "$source_dir/packaging/README.player.md" || { echo "FAIL: README.md is not the players' README"; fail=1; }
for f in "$doc"/*; do
  cmp -s "$f" "$source_dir/README.md" && { echo "FAIL: the developers' README is installed as $(basename "$f")"; fail=1; }
done
desktop-file-validate "$work/root/usr/share/applications/tavo.desktop" || { echo "FAIL: desktop-file-validate"; fail=1; }
grep -q -x "Categories=Game;ActionGame;" "$work/root/usr/share/applications/tavo.desktop" \
  || { echo "FAIL: categories"; fail=1; }
for size in 256 48; do
  # A PNG's width and height are the two big-endian words after its signature and IHDR header.
  icon="$work/root/usr/share/icons/hicolor/${size}x${size}/apps/tavo.png"
  [ "$(od -An -j16 -N8 --endian=big -tu4 "$icon" | xargs)" = "$size $size" ] || { echo "FAIL: icon at $size"; fail=1; }
done
[ "$fail" -eq 0 ] && echo "PASS"
exit "$fail"
