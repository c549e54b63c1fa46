#!/usr/bin/env bash
# Starts the real game binary under its own Xvfb screen, waits until the main loop runs,
# presses ESC like a player would, and checks the first and last lines, the exit status and
# that the shipped content loads without errors (the start-up lines themselves: game_test).
# Usage: run_binary.sh PATH/TO/tavo WIDTHxHEIGHT   (run from the folder holding resources/ and shaders/)
set -u
bin=$1
screen=$2
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

source "$here/drive.sh"
play_to_esc "$screen" "$work/out" "$work/err" "Starting game loop" 1 "$bin"
status=$?

fail=0
[ "$(head -1 "$work/out")" = "Tavo" ] || { echo "FAIL: first line is not the title"; fail=1; }
[ "$(tail -1 "$work/out")" = "Main thread end. Cya!" ] || { echo "FAIL: last line is not the farewell"; fail=1; }
[ "$status" -eq 0 ] || { echo "FAIL: exit status $status"; fail=1; }
if grep -q -E "^ERROR:|shader failed|linking failed|not found!|Cannot use shader" "$work/err"; then
  echo "FAIL: errors on standard error:"; grep -E "^ERROR:|shader failed|linking failed|not found!|Cannot use shader" "$work/err" | sort | uniq -c | head -20; fail=1
fi
if [ "$fail" -ne 0 ]; then
  echo "--- stdout"; head -80 "$work/out"; echo "--- stderr"; head -40 "$work/err"
  exit 1
fi
echo "tavo at $screen: start-up, loop and ESC exit OK"
