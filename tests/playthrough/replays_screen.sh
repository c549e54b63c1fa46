#!/usr/bin/env bash
# The menu's Replays screen, played by tavo-replay (replays_screen.replay) on a replays folder laid
# out here: the best run of level 1 (the level 1 win, with a recording's header), a recent run
# recorded on another level 1 (refused: its checksum is not the file's) and a file of the
# player's own. The refused run must be said on standard error with the game going on; the best
# run must be watched from a fresh start to the very lines tavo-replay prints for it alone; then
# the script goes on at the Replays screen (its ESC back to the menu, the menu's ESC ends the game
# at the frame the script says). The game records its sessions (TAVO_RECORD_REPLAYS=1) but makes
# no recording of the watched run, and the watched run, which carries no progress of its own and
# plays with the player's, writes none: progress.ini stays byte for byte.
# Usage: replays_screen.sh TAVO_REPLAY ARTIFACTS   (from the folder holding resources/ and shaders/)
set -u
source "$(dirname "$0")/common.sh"
replay=$(absolute "$1")
artifacts=$2
mkdir -p "$artifacts"
# Level 1 won before with worse records: the watched win would set new ones.
progress='level1.dae.completed = yes\nlevel1.dae.best_time = 999.00\nlevel1.dae.best_life = 0.01\n'
play() {  # folder, script
  mkdir -p "$1/home/data/tavo/replays" "$1/home/config" "$1/home/state"
  printf "$progress" >"$1/home/data/tavo/progress.ini"
  game_folder "$1"
  (cd "$1" && XDG_CONFIG_HOME="$1/home/config" XDG_DATA_HOME="$1/home/data" XDG_STATE_HOME="$1/home/state" \
     TAVO_RECORD_REPLAYS=1 "$here/../support/with_xvfb.sh" 640x480 "$replay" --no-play-draw "$2" >out 2>err)
}
fail=0
failed() { echo "FAIL: $*"; fail=1; }
best="$work/best_level1.replay"
{ printf 'seed 7\nwindow 640 480\nmousespeed 100\ninvertlook no\n'; cat "$here/level1_win.replay"; } >"$best"

# The run alone, for the lines it must print when watched.
play "$work/alone" "$best" || failed "the best run alone ended with status $?"
lines() { grep -E "^(Level complete: |Trying to switch to level |You were reduced)"; }
lines <"$work/alone/out" | grep -q "^Level complete: level1.dae" || failed "the best run alone won no level"

folder="$work/menu/home/data/tavo/replays"
mkdir -p "$folder"
cp "$best" "$folder/"
printf 'level 0123456789abcdef level1.dae\nframes 5\n' >"$folder/2026-01-02_10-00-00_level1.replay"
echo "the player's notes" >"$folder/notes.txt"
play "$work/menu" "$here/replays_screen.replay"
status=$?
out=$work/menu/out
err=$work/menu/err
cp "$out" "$artifacts/replays_screen.out"; cp "$err" "$artifacts/replays_screen.err"
keep_shots "$work/menu" "$artifacts/replays_screen"

[ "$status" -eq 0 ] || failed "exit status $status"
[ "$(tail -1 "$out")" = "Main thread end. Cya!" ] || failed "the last line is not the farewell"
grep -q -F "tavo: input script '$folder/2026-01-02_10-00-00_level1.replay' was recorded on level level1.dae as it was then" "$err" \
  || failed "the run on another level 1 was not refused on standard error"
shown=$(grep -n -F "Showing the recorded run $folder/best_level1.replay" "$out" | cut -d: -f1)
[ -n "$shown" ] || failed "the best run was not shown"
if ! diff <(lines <"$work/alone/out") <(tail -n +"${shown:-1}" "$out" | lines) >"$work/diff"; then
  failed "the watched run printed other lines than the run alone:"; cat "$work/diff"
fi
# Session after session: the menu's, the watched run's and the Replays screen's.
[ "$(grep -c '^Changing to menu...$' "$out")" -eq 3 ] || failed "not three sessions"
# 17 frames to the choice, then 9 on the Replays screen and the menu: the ESC of frame 22 went
# back to the menu (on the menu it would have ended the game 4 frames earlier).
grep -q -x "Replay ended after 26 frames" "$err" || failed "the game did not end on the menu's ESC: $(grep 'Replay ended' "$err")"
[ "$(ls "$folder")" = "$(printf '2026-01-02_10-00-00_level1.replay\nbest_level1.replay\nnotes.txt')" ] \
  || failed "the replays folder changed: $(ls "$folder")"
cmp -s "$work/menu/home/data/tavo/progress.ini" <(printf "$progress") || failed "the watched run wrote the player's progress"
[ "$fail" -eq 0 ] || exit 1
echo "the Replays screen refused a bad run, showed the best run exactly and came back"
