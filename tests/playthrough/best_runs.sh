#!/usr/bin/env bash
# The best run of a level is kept beside the last runs: a run that sets the level's best time is
# saved as best_LEVEL.replay (said on a "Best run saved:" line) and plays back to the same
# "Level complete:" line; a better run replaces it, a worse one leaves it. Only the last 20 runs
# are kept, and pruning them never takes a best run. A recording carries the progress its run
# started with, so a best run plays back to the same line in another player's folders, whatever
# their progress (a run from the menu's Start with none, one from Continue with level 1 won, one
# from the keypad with records), and leaves them as they were: progress.ini byte for byte, no
# best run of its own; recorded again (TAVO_RECORD_REPLAYS=1), it carries the progress it played.
# Usage: best_runs.sh TAVO_REPLAY WIN_SCRIPT WIN2_SCRIPT   (from the folder holding resources/ and
# shaders/; WIN_SCRIPT wins level 1 and WIN2_SCRIPT level 2, each from its keypad key at frame 2)
set -u
replay=$1
win=$2
win2=$3
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
# The same route from the menu's Start (no progress yet), setting off two seconds later: a worse
# time.
awk '$1 ~ /^[0-9]+$/ && $1 >= 5 { $1 += 20 } $1 == 2 && $3 == "KP_1" { $3 = "ENTER" } $1 == "frames" { $2 += 20 }
     { print }' "$win" >"$work/slow.replay"
# Level 2 from the menu's Continue, once level 1 is won.
sed 's/^2 key KP_2$/2 key ENTER/' "$win2" >"$work/continue.replay"
fail=0
play() {  # folder, record (1 or 0), script[, the player's data folder]
  mkdir -p "$1"
  ln -sf "$root/resources" "$root/shaders" "$1/"
  (cd "$1" && XDG_DATA_HOME=${4:-$XDG_DATA_HOME} TAVO_RECORD_REPLAYS=$2 \
     "$here/../support/with_xvfb.sh" 640x480 "$replay" --no-play-draw "$3" >out 2>err) ||
    { echo "FAIL: $1 ended with status $?"; tail -3 "$1/err"; fail=1; }
}
result() { grep '^Level complete: ' "$1"; }
bests_said() { grep -c "^Best run saved: $best\$" "$1"; }
carried() { grep -E '^(progress|record) ?' "$1"; }
check_best_plays() {  # run folder, best file, another player's progress.ini ("" for none)
  local other=$work/$1-best home=$work/$1-best/home
  mkdir -p "$home/tavo/replays"
  [ -z "$3" ] || printf "$3" >"$home/tavo/progress.ini"
  cp -r "$home" "$work/$1-before"
  play "$other" 1 "$2" "$home"
  [ -n "$(result "$work/$1/out")" ] && [ "$(result "$work/$1/out")" = "$(result "$other/out")" ] ||
    { echo "FAIL: the best file of run $1 played '$(result "$other/out")', the run '$(result "$work/$1/out")'"; fail=1; }
  grep -q '^Best run saved' "$other/out" && { echo "FAIL: the playback of run $1 saved a best run of itself"; fail=1; }
  local again; again=$(sed -n 's/^Replay saved: //p' "$other/out")
  [ -f "$again" ] && diff <(carried "$2") <(carried "$again") >/dev/null && [ -n "$(carried "$2")" ] ||
    { echo "FAIL: the recording of run $1's playback does not carry the progress it played with"; fail=1; }
  rm -f "$again"
  diff -r "$work/$1-before" "$home" >/dev/null ||
    { echo "FAIL: the playback of run $1 changed the player's files:"; diff -r "$work/$1-before" "$home" | head -5; fail=1; }
}

play "$work/slow" 1 "$work/slow.replay"
[ "$(bests_said "$work/slow/out")" -eq 1 ] || { echo "FAIL: the first win saved no best run"; cat "$work/slow/out"; fail=1; }
cp "$best" "$work/slow-best.replay" 2>/dev/null
# Played where level 1 is won with worse records: the menu says Continue, not Start.
check_best_plays slow "$best" 'level1.dae.completed = yes\nlevel1.dae.best_time = 999.00\nlevel1.dae.best_life = 0.01\n'

recent=$(ls "$replays" | grep -c '^20.*\.replay$')
[ "$recent" -eq 20 ] || { echo "FAIL: $recent recent runs kept, not 20"; fail=1; }
grep -q "another level's best" "$replays/best_level9.replay" 2>/dev/null || { echo "FAIL: pruning took another best run"; fail=1; }

play "$work/fast" 1 "$win"
[ "$(bests_said "$work/fast/out")" -eq 1 ] || { echo "FAIL: a better run saved no best run"; fail=1; }
cmp -s "$best" "$work/slow-best.replay" && { echo "FAIL: a better run did not replace the best"; fail=1; }
# Played where nothing is won yet: the records it reports are those it was played against.
check_best_plays fast "$best" ""
cp "$best" "$work/fast-best.replay"

play "$work/slow-again" 1 "$work/slow.replay"
[ "$(bests_said "$work/slow-again/out")" -eq 0 ] || { echo "FAIL: a worse run said it saved a best run"; fail=1; }
cmp -s "$best" "$work/fast-best.replay" || { echo "FAIL: a worse run replaced the best"; fail=1; }
[ -f "$best" ] && [ -f "$replays/best_level9.replay" ] || { echo "FAIL: a best run is gone"; fail=1; }

play "$work/continue" 1 "$work/continue.replay"
grep -q "^Level complete: level2.dae" "$work/continue/out" || { echo "FAIL: Continue did not lead to level 2"; fail=1; }
# Played where nothing is won yet: the menu says Start, which leads to level 1.
check_best_plays continue "$replays/best_level2.replay" ""
[ "$fail" -eq 0 ] || exit 1
echo "best runs: saved, replaced by a better run only, kept through pruning, and played back to the same line with the progress they were played with"
