#!/usr/bin/env bash
# tavo-replay must print exactly what the game prints and end with the game's exit status: here
# both fail to start without a display (the window error value, -1 -> 255, said on both streams),
# and a script that cannot be read is refused with status 2 and the line at fault.
# Usage: replay_like_game.sh PATH/TO/tavo PATH/TO/tavo-replay
set -u
game=$1
replay=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf 'frametime 0.1\n2 key ENTER\nframes 5\n' >"$work/ok.replay"
env -u DISPLAY -u WAYLAND_DISPLAY "$game" >"$work/game.out" 2>"$work/game.err"
game_status=$?
env -u DISPLAY -u WAYLAND_DISPLAY "$replay" "$work/ok.replay" >"$work/replay.out" 2>"$work/replay.err"
replay_status=$?
fail=0
[ "$game_status" -eq 255 ] || { echo "FAIL: the game's status $game_status, expected 255"; fail=1; }
grep -q -x "Error while initialization. Error value was -1. Exiting..." "$work/game.err" || { echo "FAIL: no error line"; fail=1; }
[ "$(tail -1 "$work/game.out")" = "Window system threw an error." ] || { echo "FAIL: stdout does not end with the window error"; fail=1; }
[ "$replay_status" -eq "$game_status" ] || { echo "FAIL: replay status $replay_status, the game's $game_status"; fail=1; }
diff "$work/game.out" "$work/replay.out" || { echo "FAIL: standard output differs from the game's"; fail=1; }
diff "$work/game.err" "$work/replay.err" || { echo "FAIL: standard error differs from the game's"; fail=1; }

printf 'frametime 0.1\n3 keydown NOSUCHKEY\n' >"$work/bad.replay"
"$replay" "$work/bad.replay" >"$work/bad.out" 2>"$work/bad.err"
status=$?
[ "$status" -eq 2 ] || { echo "FAIL: a bad script gave status $status, expected 2"; fail=1; }
grep -q "line 2: unknown key" "$work/bad.err" || { echo "FAIL: the bad line is not named"; cat "$work/bad.err"; fail=1; }
[ -s "$work/bad.out" ] && { echo "FAIL: the game started on a bad script"; fail=1; }
[ "$fail" -eq 0 ] || exit 1
echo "tavo-replay prints the game's lines and ends with its status"
