#!/usr/bin/env bash
# Starts the real game binary under its own Xvfb screen, waits until the main loop runs,
# presses ESC like a player would, and checks the start-up lines, the exit status and that
# the shipped content loads without errors.
# Usage: run_binary.sh PATH/TO/tavo WIDTHxHEIGHT   (run from the folder holding resources/ and shaders/)
set -u
bin=$1
screen=$2
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$here/../support/with_xvfb.sh" "$screen" bash -c '
  source "$1"; bin=$2; out=$3; err=$4
  start_game "$out" "$err" "$bin"
  sleep 1
  end_game Escape' _ "$here/drive.sh" "$bin" "$work/out" "$work/err"
status=$?

fail=0
expect_in_order() {
  local line=0 needle found
  for needle in "$@"; do
    found=$(tail -n +"$((line + 1))" "$work/out" | grep -n -F -x -- "$needle" | head -1 | cut -d: -f1)
    if [ -z "$found" ]; then
      found=$(tail -n +"$((line + 1))" "$work/out" | grep -n -F -- "$needle" | head -1 | cut -d: -f1)
    fi
    if [ -z "$found" ]; then echo "FAIL: missing (in order): $needle"; fail=1; return; fi
    line=$((line + found))
  done
}

expect_in_order "Tavo" "Window initialized" "HUD initialized" "Renderer init" "OpenGL 3.3 is supported. Yay!" \
  "Renderer initialized" "Loading shader 'textureshaderphong'" "LOADING texture 'brickwall.jpg'" \
  "LOADING cubemap 'sky.jpg'" "Game init in " "Changing to menu..." "Starting game loop" "Main thread end. Cya!"
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
