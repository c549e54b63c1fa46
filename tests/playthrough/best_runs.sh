#!/usr/bin/env bash
# The best run of a level is kept beside the last runs: a run that sets the level's best time is
# saved as best_LEVEL.replay (said on a "Best run saved:" line) and plays back to the same
# "Level complete:" time and life; a better run replaces it, a worse one leaves it. Only the
# last 20 runs are kept, and pruning them never takes a best run.
# Usage: best_runs.sh TAVO_REPLAY WIN_SCRIPT   (from the folder holding resources/ and shaders/;
# WIN_SCRIPT wins level 1)
set -u
replay=$1
win=$2
root=$(pwd)
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config" XDG_STATE_HOME="$work/state"
replays="$XDG_DATA_HOME/tavo/replays"
best="$replays/best_level1.replay"
mkdir -p "$replays"
for n in $(seq 10 34); do echo "# an old run" >"$replays/2020-01-01_00-00-${n}_level1.replay"; done
echo "# another level's best" >"$replays/best_level9.replay"
# The same route, setting off two seconds later: a worse time.
awk '$1 ~ /^[0-9]+$/ && $1 >= 5 { $1 += 20 } $1 == "frames" { $2 += 20 } { print }' "$win" >"$work/slow.replay"
fail=0
play() {  # folder, record (1 or 0), script
  mkdir -p "$1"
  ln -sf "$root/resources" "$root/shaders" "$1/"
  (cd "$1" && TAVO_RECORD_REPLAYS=$2 "$here/../support/with_xvfb.sh" 640x480 "$replay" --no-play-draw "$3" >out 2>err) ||
    { echo "FAIL: $1 ended with status $?"; tail -3 "$1/err"; fail=1; }
}
result() { sed -n 's/^\(Level complete: .* life\) .*/\1/p' "$1"; }
bests_said() { grep -c "^Best run saved: $best\$" "$1"; }
check_best_plays() {  # run folder: the best file plays back to the run's time and life
  play "$work/$1-best" 0 "$best"
  [ -n "$(result "$work/$1/out")" ] && [ "$(result "$work/$1/out")" = "$(result "$work/$1-best/out")" ] ||
    { echo "FAIL: the best file of run $1 played '$(result "$work/$1-best/out")', the run '$(result "$work/$1/out")'"; fail=1; }
}

play "$work/slow" 1 "$work/slow.replay"
[ "$(bests_said "$work/slow/out")" -eq 1 ] || { echo "FAIL: the first win saved no best run"; cat "$work/slow/out"; fail=1; }
cp "$best" "$work/slow-best.replay" 2>/dev/null
check_best_plays slow
recent=$(ls "$replays" | grep -c '^20.*\.replay$')
[ "$recent" -eq 20 ] || { echo "FAIL: $recent recent runs kept, not 20"; fail=1; }
grep -q "another level's best" "$replays/best_level9.replay" 2>/dev/null || { echo "FAIL: pruning took another best run"; fail=1; }

play "$work/fast" 1 "$win"
[ "$(bests_said "$work/fast/out")" -eq 1 ] || { echo "FAIL: a better run saved no best run"; fail=1; }
cmp -s "$best" "$work/slow-best.replay" && { echo "FAIL: a better run did not replace the best"; fail=1; }
check_best_plays fast
cp "$best" "$work/fast-best.replay"

play "$work/slow-again" 1 "$work/slow.replay"
[ "$(bests_said "$work/slow-again/out")" -eq 0 ] || { echo "FAIL: a worse run said it saved a best run"; fail=1; }
cmp -s "$best" "$work/fast-best.replay" || { echo "FAIL: a worse run replaced the best"; fail=1; }
[ -f "$best" ] && [ -f "$replays/best_level9.replay" ] || { echo "FAIL: a best run is gone"; fail=1; }
[ "$fail" -eq 0 ] || exit 1
echo "best runs: saved, replaced by a better run only, kept through pruning, and played back to the same result"
