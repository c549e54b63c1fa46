#!/usr/bin/env bash
# Frame benchmark: one rendered play frame (tools/bench/FrameBench.cpp, median and p99) beside the
# minimal shadow-mapped floor renderer of ../shared/floor-renderer (built and run as its README
# says, nothing of it copied here), at 1280x720 and 1920x1080, each in its own Xvfb, in one run.
# The machines are noisy: compare the ratio of the two, taken in the same run.
#
# Usage (repository root, after building): tools/bench/frame.sh [FRAMES] [LEVEL]
set -eu
frames=${1:-30}
level=${2:-level1.dae}
root=$(cd "$(dirname "$0")/../.." && pwd)
floor_src="$root/../shared/floor-renderer/floor.cpp"
[ -f "$floor_src" ] || floor_src=/work/shared/floor-renderer/floor.cpp
floor_bin=$(mktemp -d)/floor
g++ -O2 -std=c++17 -o "$floor_bin" "$floor_src" $(pkg-config --cflags --libs glfw3 glew) -lGL
xvfb="$root/tests/support/with_xvfb.sh"
bench="${FRAME_BENCH:-$root/build/frame-bench}"
cd "$root"
# No sound card here: a silent sound device keeps the driver's complaints out of the report.
export ALSOFT_DRIVERS=null
for size in 1280x720 1920x1080; do
  floor_line=$("$xvfb" "$size" "$floor_bin" "$frames" | tail -1)
  game_line=$("$xvfb" "$size" "$bench" --frames "$frames" --level "$level" | tail -1)
  echo "$floor_line"
  echo "$game_line"
  floor_ms=$(echo "$floor_line" | sed -E 's/.*: ([0-9.]+) ms\/frame.*/\1/')
  game_ms=$(echo "$game_line" | sed -E 's/.*median ([0-9.]+) ms.*/\1/')
  echo "ratio $size: game median / floor = $(echo "scale=2; $game_ms / $floor_ms" | bc)"
done
