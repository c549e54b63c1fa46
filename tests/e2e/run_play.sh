#!/usr/bin/env bash
# Plays the real game binary like a player with xdotool: ENTER on the menu into level 1, L (no
# sunlight damage, see below), W held down the street until the stage-complete picture, ENTER
# into level 2, ESC. Checks the game's lines, the exit status and that a screenshot (F12) taken
# during play shows a real scene with the HUD in its place (tavo-shot-check); the screenshot is
# kept as SHOTS/play-level1.png.
# Usage: run_play.sh PATH/TO/tavo PATH/TO/tavo-shot-check WIDTHxHEIGHT SUFFIX SHOTS
#        (from the folder holding resources/)
set -u
bin=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
shot_check=$2
screen=$3
suffix=$4
shots=$5
root=$(pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/run" "$shots"
# The game writes its screenshots into its working folder: give it its own.
ln -s "$root/resources" "$root/shaders" "$work/run/"

(cd "$work/run" && "$root/tests/support/with_xvfb.sh" "$screen" bash -c '
  source "$1"; bin=$2; out=$3; err=$4; suffix=$5
  start_game "$out" "$err" "$bin" || { echo "no main loop" >&2; kill "$pid"; exit 99; }
  sleep 1
  press Return
  wait_for "$out" "Level changed in" 120 || { echo "level 1 did not load" >&2; kill "$pid"; exit 99; }
  sleep 1
  # On the software renderer (and a busy machine) a frame can take longer than the 7/60 s the
  # physics walks of it (by design) while the sun would burn all of it, so sunlight damage goes
  # off (debug key L) and the walk is what is tested here. The play-throughs by script test the
  # sun at a steady frame time.
  press l
  wait_for "$out" "Light damage disabled" 60 || { echo "light damage not turned off" >&2; kill "$pid"; exit 99; }
  xdotool keydown w
  sleep 3
  press F12 0.3
  wait_for "$err" "stage_complete$suffix.png" 480 || { echo "no stage-complete picture" >&2; xdotool keyup w; kill "$pid"; exit 99; }
  xdotool keyup w
  sleep 1
  press Return
  # The second level change: level 2 is in.
  for _ in $(seq 1 1200); do
    [ "$(grep -c "Level changed in" "$out")" -ge 2 ] && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  sleep 1
  end_game Escape' _ "$root/tests/e2e/drive.sh" "$bin" "$work/out" "$work/err" "$suffix")
status=$?

fail=0
out=$work/out
[ "$status" -eq 0 ] || { echo "FAIL: exit status $status"; fail=1; }
[ "$(tail -1 "$out")" = "Main thread end. Cya!" ] || { echo "FAIL: last line is not the farewell"; fail=1; }
grep -q -F "Trying to switch to level 'level1.dae'" "$out" || { echo "FAIL: level 1 never asked for"; fail=1; }
grep -q -F "Trying to switch to level 'level2.dae'" "$out" || { echo "FAIL: level 2 never asked for"; fail=1; }
[ "$(grep -c "Level changed in" "$out")" -eq 2 ] || { echo "FAIL: not exactly two level changes"; fail=1; }
grep -q -F "Powerup hit! 0" "$out" || { echo "FAIL: the milk on the street was not picked up"; fail=1; }
grep -q -F "You were reduced to a puddle of mud..." "$out" && { echo "FAIL: the player melted"; fail=1; }
grep -q -F "death$suffix.png" "$work/err" && { echo "FAIL: the death picture was shown"; fail=1; }
shot=$(ls "$work/run"/screen-*.png 2>/dev/null | head -1)
if [ -z "$shot" ]; then
  echo "FAIL: no screenshot during play"; fail=1
else
  cp "$shot" "$shots/play-level1.png"
  "$shot_check" "$shot" resources/textures/hud_life.png || fail=1
fi
if grep -q "^ERROR:" "$work/err"; then echo "FAIL: errors on standard error:"; grep "^ERROR:" "$work/err" | sort | uniq -c | head; fail=1; fi
if [ "$fail" -ne 0 ]; then
  echo "--- stdout"; grep -v "^LOADING" "$out" | tail -30; echo "--- stderr"; head -30 "$work/err"
  exit 1
fi
echo "tavo at $screen: level 1 won by holding W, level 2 entered, ESC quit with status 0"
