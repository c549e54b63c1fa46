#!/usr/bin/env bash
# What recording a run costs: a play-through played by tavo-replay with and without recording
# (TAVO_RECORD_REPLAYS=1, as the game records every session), alternated ROUNDS times in one
# run, drawn and undrawn (--no-play-draw), each under Xvfb in fresh player folders. Reports per
# frame the wall-clock time and the processor time (user + system, which other programs on a
# busy machine disturb less), the median of the rounds, and the difference recording makes.
# Start-up is in every figure alike; the difference is the recording's.
#
#   tools/bench/record_cost.sh [ROUNDS] [SCRIPT]   (from the repository root after a build;
#                                                   3 rounds, tests/playthrough/level4_win.replay)
set -eu
cd "$(dirname "$0")/../.."
root=$PWD
rounds=${1:-3}
script=$(realpath "${2:-tests/playthrough/level4_win.replay}")
replay=$(realpath "${REPLAY:-build/tavo-replay}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
frames=$(sed -n 's/^frames \([0-9]*\).*/\1/p' "$script" | tail -1)
export ALSOFT_DRIVERS=null
one() {  # record (0 or 1), drawing option: prints wall and processor seconds
  local dir
  dir=$(mktemp -d "$work/run.XXXX")
  XDG_DATA_HOME="$dir/data" XDG_CONFIG_HOME="$dir/config" XDG_STATE_HOME="$dir/state" TAVO_RECORD_REPLAYS=$1 \
    /usr/bin/time -f "%e %U %S" -o "$dir/time" "$root/tests/support/with_xvfb.sh" 640x480 \
    "$replay" $2 "$script" >"$dir/out" 2>"$dir/err"
  if [ "$1" = 1 ] && ! grep -q "^Replay saved" "$dir/out"; then echo "no recording saved" >&2; exit 1; fi
  awk '{ print $1, $2 + $3 }' "$dir/time"
}
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
echo "record_cost: $(basename "$script"), $frames frames, $rounds rounds each, with and without recording alternated"
for mode in --no-play-draw ""; do
  : >"$work/off"; : >"$work/on"
  for _ in $(seq 1 "$rounds"); do
    one 0 "$mode" >>"$work/off"
    one 1 "$mode" >>"$work/on"
  done
  for kind in wall cpu; do
    col=1; [ "$kind" = cpu ] && col=2
    off=$(awk -v c=$col '{ print $c }' "$work/off" | median)
    on=$(awk -v c=$col '{ print $c }' "$work/on" | median)
    echo "  ${mode:-drawn} $kind seconds without: $(awk -v c=$col '{ printf "%s ", $c }' "$work/off")with: $(awk -v c=$col '{ printf "%s ", $c }' "$work/on")"
    awk -v off="$off" -v on="$on" -v n="$frames" -v k="$kind" -v m="${mode:-drawn}" 'BEGIN {
      printf "%-14s %-4s per frame: without recording %.3f ms, with %.3f ms, difference %+.3f ms (%+.1f%%)\n",
             m, k, off / n * 1000, on / n * 1000, (on - off) / n * 1000, (off > 0 ? (on - off) / off * 100 : 0) }'
  done
done
