#!/usr/bin/env bash
# A run is recorded and its recording plays back exactly. The script SCRIPT is played by
# tavo-replay with recording on (TAVO_RECORD_REPLAYS=1), which saves the run in the player's
# replays folder like the game does; that recording is then played undrawn and drawn. All three
# runs must print the same lines (frame statistics, screenshot names and the saved file's name
# aside) and take identical last screenshots, and the recording made of the undrawn playback
# must be the very file it played.
# Usage: record_replay.sh TAVO_REPLAY SCRIPT ARTIFACTS [+TEXT ...]   (from the folder holding
# resources/ and shaders/); each +TEXT is a line the first run must print, so that the run
# compared is the one meant.
set -u
replay=$1
script=$2
artifacts=$3
shift 3
name=$(basename "$script" .replay)
source "$(dirname "$0")/common.sh"
mkdir -p "$artifacts"
script=$(absolute "$script")
replay=$(absolute "$replay")
# A clean player's data folder of our own: the recordings land there.
export XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config" XDG_STATE_HOME="$work/state"
play() {  # folder, record (1 or 0), drawing option, script
  game_folder "$1"
  (cd "$1" && TAVO_RECORD_REPLAYS=$2 "$here/../support/with_xvfb.sh" 640x480 "$replay" $3 "$4" >out 2>err)
}
fail=0
play "$work/a" 1 --no-play-draw "$script" || { echo "FAIL: the recorded run ended with status $?"; fail=1; }
saved=$(sed -n 's/^Replay saved: //p' "$work/a/out")
case "$saved" in
  "$XDG_DATA_HOME"/tavo/replays/*_level1.replay) ;;
  *) echo "FAIL: no 'Replay saved:' line naming a file in the replays folder ($saved)"; cat "$work/a/err" | tail -5; exit 1 ;;
esac
[ -f "$saved" ] || { echo "FAIL: $saved is not there"; exit 1; }
cp "$saved" "$work/recorded.replay"
cp "$saved" "$artifacts/$name.recorded.replay"
for check in "$@"; do
  grep -q -F -- "${check#+}" "$work/a/out" || { echo "FAIL: the recorded run printed no line with '${check#+}'"; fail=1; }
done
grep -q "^[0-9]* frametimes [0-9]" "$work/recorded.replay" || { echo "FAIL: the recording holds no frame times in ticks"; fail=1; }
grep -q "^[0-9]* frametime " "$work/recorded.replay" && { echo "FAIL: the recording holds frame times in seconds"; fail=1; }

play "$work/b" 1 --no-play-draw "$work/recorded.replay" || { echo "FAIL: the undrawn playback ended with status $?"; fail=1; }
play "$work/c" 0 "" "$work/recorded.replay" || { echo "FAIL: the drawn playback ended with status $?"; fail=1; }
cp "$work/a/out" "$artifacts/$name.out"; cp "$work/b/out" "$artifacts/$name.playback.out"

# The software-rendering hint depends on whether the player folders held settings yet, not on the run.
filter() { grep -v -e "fps/" -e "Tris rendered last frame" -e "^Screenshot '" -e "^Replay saved: " -e "^Software rendering: " "$1"; }
for run in b c; do
  if ! diff <(filter "$work/a/out") <(filter "$work/$run/out") >"$work/diff"; then
    echo "FAIL: playback $run printed other lines than the recorded run:"; head -20 "$work/diff"; fail=1
  fi
  a=$(ls -tr "$work/a"/screen-*.png 2>/dev/null | tail -1); other=$(ls -tr "$work/$run"/screen-*.png 2>/dev/null | tail -1)
  if [ -z "$a" ] || [ -z "$other" ]; then echo "FAIL: a run took no screenshot"; fail=1
  elif ! cmp -s "$a" "$other"; then echo "FAIL: the last screenshots of the recorded run and playback $run differ"; fail=1; fi
done
again=$(sed -n 's/^Replay saved: //p' "$work/b/out")
if [ -z "$again" ] || ! cmp -s "$work/recorded.replay" "$again"; then
  echo "FAIL: the recording of the playback is not the recording it played"; diff "$work/recorded.replay" "$again" | head; fail=1
fi
[ "$fail" -eq 0 ] || exit 1
echo "the recording of $name plays back to the same lines and the same last screenshot"
