#!/usr/bin/env bash
# Frame benchmark: one rendered play frame of each level (tools/bench/FrameBench.cpp, median) beside
# our baseline renderer (tools/bench/BaselineRenderer.cpp: the same passes with nothing of the
# game, at its defaults of 4x multisampling and a 4096 shadow map), at 1280x720 and 1920x1080,
# each program in its own Xvfb, in one run. The machines are noisy: the ratio to the baseline
# taken in the same run is what counts. The baseline is run before and after each size's levels
# and their mean is the size's baseline. The table also gives frame-bench's peak RSS and its
# processor time per frame (all threads) and its ratio to the baseline's (printed by ours, not by
# the shared one), which other programs on a busy machine disturb far less than the wall-clock
# medians.
# Where the shared floor renderer is present (../shared/floor-renderer/floor.cpp from the
# repository root) it is built and run beside ours the same way, and the table gives the ratio to
# it too, with a line per size on how far apart the two baselines are.
#
# Usage (repository root, after the normal build):
#   tools/bench/frame.sh [--quality "high medium low"] [FRAMES] [LEVEL ...]
#     (30 frames; all five shipped levels; quality high)
# Environment: QUALITY="high medium low" as --quality; SHOTS=DIR saves the last frame of each
# level, size and quality as DIR/LEVEL-WxH.png (DIR/LEVEL-Q-WxH.png for a quality other than high;
# compare two such folders with build/shot-compare); SIZES="1280x720 1920x1080";
# FRAME_BENCH, BASELINE: paths of other frame-bench and baseline-renderer binaries.
set -eu
qualities=${QUALITY:-high}
if [ "${1:-}" = --quality ]; then
  qualities=$2
  shift 2
fi
frames=${1:-30}
shift || true
levels=("$@")
[ ${#levels[@]} -gt 0 ] || levels=(level1.dae level2.dae level3.dae level4.dae level5.dae)
sizes=${SIZES:-1280x720 1920x1080}
root=$(cd "$(dirname "$0")/../.." && pwd)
xvfb="$root/tests/support/with_xvfb.sh"
bench="${FRAME_BENCH:-$root/build/frame-bench}"
baseline="${BASELINE:-$root/build/baseline-renderer}"
for program in "$bench" "$baseline"; do
  [ -x "$program" ] || { echo "frame.sh: $program is missing: build first (scripts/setup.sh)" >&2; exit 1; }
done
# frame-bench is given --quality only for a preset other than high, so a frame-bench from before
# that option still measures the default. One without it would ignore the option and measure high
# under another name, so other presets are refused there.
for quality in $qualities; do
  if [ "$quality" != high ] && ! grep -qa -- --quality "$bench"; then
    echo "frame.sh: $bench has no --quality option; only high can be measured" >&2
    exit 1
  fi
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
floor_src="$root/../shared/floor-renderer/floor.cpp"
floor=
if [ -f "$floor_src" ]; then
  floor="$work/floor"
  g++ -O2 -std=c++17 -o "$floor" "$floor_src" $(pkg-config --cflags --libs glfw3 glew) -lGL
fi
shots=${SHOTS:-}
[ -z "$shots" ] || mkdir -p "$shots"
cd "$root"
# No sound card here: a silent sound device keeps the driver's complaints out of the report.
export ALSOFT_DRIVERS=null

# "MS CPU" of a baseline program at its defaults: its median ms/frame and its processor ms/frame
# ("?" where it gives none); its one line also goes to standard error.
baseline_ms() {
  local line cpu
  line=$(SM=4096 SAMPLES=4 "$xvfb" "$1" "$2" "$frames" | tail -1)
  echo "$line" >&2
  cpu=$(echo "$line" | sed -nE 's/.*CPU ([0-9.]+) ms\/frame.*/\1/p')
  echo "$(echo "$line" | sed -E 's/.*: ([0-9.]+) ms\/frame.*/\1/') ${cpu:-?}"
}

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
mean() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.1f", (a + b) / 2 }'; }

printf '%-8s %-7s %-10s %10s %10s %6s' level quality size median baseline ratio > "$work/table"
[ -z "$floor" ] || printf ' %10s %6s' floor "ratio" >> "$work/table"
printf ' %9s %10s %10s\n' "peak RSS" "CPU/frame" "CPU ratio" >> "$work/table"
: > "$work/agreement"
for size in $sizes; do
  read -r ours_before ours_cpu_before <<< "$(baseline_ms "$size" "$baseline")"
  [ -z "$floor" ] || read -r floor_before _ <<< "$(baseline_ms "$size" "$floor")"
  rows=()
  for quality in $qualities; do
    for level in "${levels[@]}"; do
      args=(--frames "$frames" --level "$level")
      [ "$quality" = high ] || args+=(--quality "$quality")
      name=${level%.dae}
      [ "$quality" = high ] || name+="-$quality"
      [ -z "$shots" ] || args+=(--screenshot "$shots/$name-$size.png")
      line=$("$xvfb" "$size" "$bench" "${args[@]}" | tail -1)
      echo "$line" >&2
      median=$(echo "$line" | sed -E 's/.*median ([0-9.]+) ms.*/\1/')
      rss=$(echo "$line" | sed -nE 's/.*peak RSS ([0-9]+) MB.*/\1/p')
      cpu=$(echo "$line" | sed -nE 's/.*CPU ([0-9.]+) ms\/frame.*/\1/p')
      rows+=("${level%.dae}|$quality|$median|$rss|$cpu")
    done
  done
  read -r ours_after ours_cpu_after <<< "$(baseline_ms "$size" "$baseline")"
  ours=$(mean "$ours_before" "$ours_after")
  ours_cpu=$(mean "$ours_cpu_before" "$ours_cpu_after")
  if [ -n "$floor" ]; then
    read -r floor_after _ <<< "$(baseline_ms "$size" "$floor")"
    shared=$(mean "$floor_before" "$floor_after")
    echo "$size: baseline $ours ms ($ours_before, $ours_after), floor $shared ms ($floor_before, $floor_after), floor / baseline $(ratio "$shared" "$ours")" >> "$work/agreement"
  fi
  for row in "${rows[@]}"; do
    IFS='|' read -r level quality median rss cpu <<< "$row"
    printf '%-8s %-7s %-10s %7s ms %7s ms %6s' "$level" "$quality" "$size" "$median" "$ours" "$(ratio "$median" "$ours")" >> "$work/table"
    [ -z "$floor" ] || printf ' %7s ms %6s' "$shared" "$(ratio "$median" "$shared")" >> "$work/table"
    printf ' %6s MB %7s ms %10s\n' "${rss:-?}" "${cpu:-?}" "$(ratio "${cpu:-0}" "$ours_cpu")" >> "$work/table"
  done
done
cat "$work/table" "$work/agreement"
