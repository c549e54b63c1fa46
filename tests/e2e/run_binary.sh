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
# Every run starts without progress, so the menu's first entry is "Start".
export XDG_DATA_HOME="$work/data"
trap 'rm -rf "$work"' EXIT

source "$here/drive.sh"
play_to_esc "$screen" "$work/out" "$work/err" "Starting game loop" 1 "$bin"
status=$?

[ "$(head -1 "$work/out")" = "Tavo" ] || failed "first line is not the title"
expect_farewell
expect_status "$status" 0
no_errors "^ERROR:|shader failed|linking failed|not found!|Cannot use shader"
finish "tavo at $screen: start-up, loop and ESC exit OK"
