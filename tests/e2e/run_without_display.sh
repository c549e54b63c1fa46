#!/usr/bin/env bash
# Without a display the game must say so and exit with the window error value (-1 -> 255).
set -u
bin=$1
out=$(mktemp); err=$(mktemp)
trap 'rm -f "$out" "$err"' EXIT
env -u DISPLAY -u WAYLAND_DISPLAY "$bin" >"$out" 2>"$err"
status=$?
fail=0
[ "$status" -eq 255 ] || { echo "FAIL: exit status $status, expected 255"; fail=1; }
[ "$(tail -1 "$out")" = "Window system threw an error." ] || { echo "FAIL: stdout does not end with the window error"; fail=1; }
grep -q -x "Error while initialization. Error value was -1. Exiting..." "$err" || { echo "FAIL: no error line on stderr"; fail=1; }
grep -q "HUD initialized\|Renderer init" "$out" && { echo "FAIL: start-up went on after the window failed"; fail=1; }
[ "$fail" -eq 0 ] || { cat "$out" "$err"; exit 1; }
echo "no display: reported, exit 255 OK"
