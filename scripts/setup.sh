#!/usr/bin/env bash
# Installs what Tavo needs on Debian 12 (as root, through sudo when needed) and builds it in
# Release into build/. Safe to run again: apt and CMake only do what is missing.
# With --packages it installs the packages only (scripts/package.sh builds elsewhere).
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
  build-essential cmake pkg-config
  libglew-dev libglfw3-dev libbullet-dev libassimp-dev libdevil-dev libopenal-dev libsndfile1-dev zlib1g-dev
  libgtest-dev xvfb xauth xdotool libgl1-mesa-dri
  # the Debian package: dpkg-shlibdeps for its Depends, desktop-file-validate for its menu entry
  dpkg-dev desktop-file-utils
  # the content tools in tools/content (plan drawer, route scripts, the pictures and the glyph atlas)
  python3 python3-numpy python3-pil fonts-dejavu-core
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ "${#missing[@]}" -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
fi

[ "${1:-}" = "--packages" ] && exit 0

cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$(nproc)"
