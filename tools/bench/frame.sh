#!/usr/bin/env bash
# Frame benchmark: one rendered play frame of each level (tools/bench/FrameBench.cpp, median) beside
# the minimal shadow-mapped floor renderer of ../shared/floor-renderer (built and run as its README
# says, nothing of it copied here), at 1280x720 and 1920x1080, each program in its own Xvfb, in one
# run. The machines are noisy: the ratio to the floor renderer taken in the same run is what counts.
# The floor is run before and after each size's levels and their mean is the size's floor. The
# table also gives frame-bench's peak RSS and its processor time per frame (all threads), which
# other programs on a busy machine disturb less than the wall-clock medians.
#
# Usage (repository root, after building):
#   tools/bench/frame.sh [FRAMES] [LEVEL ...]      (30 frames; all five shipped levels)
# Environment: SHOTS=DIR saves the last frame of each level and size as DIR/LEVEL-WxH.png
# (compare two such folders with tools/bench/compare_shots.py); SIZES="1280x720 1920x1080";
# FRAME_BENCH=path of another frame-bench binary.
set -eu
frames=${1:-30}
shift || true
levels=("$@")
[ ${#levels[@]} -gt 0 ] || levels=(level1.dae level2.dae level3.dae level4.dae level5.dae)
sizes=${SIZES:-1280x720 1920x1080}
root=$(cd "$(dirname "$0")/../.." && pwd)
floor_src="$root/../shared/floor-renderer/floor.cpp"
if [ ! -f "$floor_src" ]; then
  echo "frame.sh: the floor renderer is not at ../shared/floor-renderer/floor.cpp (from the repository root)" >&2
  exit 1
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
g++ -O2 -std=c++17 -o "$work/floor" "$floor_src" $(pkg-config --cflags --libs glfw3 glew) -lGL
xvfb="$root/tests/support/with_xvfb.sh"
bench="${FRAME_BENCH:-$root/build/frame-bench}"
shots=${SHOTS:-}
[ -z "$shots" ] || mkdir -p "$shots"
cd "$root"
# No sound card here: a silent sound device keeps the driver's complaints out of the report.
export ALSOFT_DRIVERS=null

floor_ms() {
  local line
  line=$("$xvfb" "$1" "$work/floor" "$frames" | tail -1)
  echo "$line" >&2
  echo "$line" | sed -E 's/.*: ([0-9.]+) ms\/frame.*/\1/'
}

printf '%-10s %-11s %10s %10s %6s %9s %10s\n' level size median floor ratio "peak RSS" "CPU/frame" > "$work/table"
for size in $sizes; do
  before=$(floor_ms "$size")
  medians=()
  rss=()
  cpu=()
  for level in "${levels[@]}"; do
    args=(--frames "$frames" --level "$level")
    [ -z "$shots" ] || args+=(--screenshot "$shots/${level%.dae}-$size.png")
    line=$("$xvfb" "$size" "$bench" "${args[@]}" | tail -1)
    echo "$line" >&2
    medians+=("$(echo "$line" | sed -E 's/.*median ([0-9.]+) ms.*/\1/')")
    rss+=("$(echo "$line" | sed -nE 's/.*peak RSS ([0-9]+) MB.*/\1/p')")
    cpu+=("$(echo "$line" | sed -nE 's/.*CPU ([0-9.]+) ms\/frame.*/\1/p')")
  done
  after=$(floor_ms "$size")
  floor=$(echo "scale=1; ($before + $after) / 2" | bc)
  for i in "${!levels[@]}"; do
    printf '%-10s %-11s %7s ms %7s ms %6s %6s MB %7s ms\n' "${levels[$i]%.dae}" "$size" "${medians[$i]}" "$floor" \
      "$(echo "scale=2; ${medians[$i]} / $floor" | bc)" "${rss[$i]:-?}" "${cpu[$i]:-?}" >> "$work/table"
  done
done
cat "$work/table"
