#!/usr/bin/env bash
# Plays the real game binary like a player with xdotool: ENTER on the menu into level 1, W held
# down the street in the sun until the stage-complete picture, ENTER into level 2, ESC. On the
# software renderer at this size a frame takes half a second or more, of which the physics walks
# 7/60 s; the sun burns by the same simulated time, so the walk costs the life it costs at 60
# frames a second and the figure must arrive unmelted. Checks the game's lines, the exit status
# and that a screenshot (F12) taken during play shows a real scene with the HUD in its place
# (tavo-shot-check); the screenshot is kept as SHOTS/play-level1.png.
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
# Every run starts without progress, so the menu's first entry is "Start".
export XDG_DATA_HOME="$work/data"
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
  quit_from_play "$out"' _ "$root/tests/e2e/drive.sh" "$bin" "$work/out" "$work/err" "$suffix")
status=$?

source "$root/tests/e2e/drive.sh"
expect_status "$status" 0
expect_farewell
for level in 1 2; do
  grep -q -F "Trying to switch to level 'level$level.dae'" "$work/out" || failed "level $level never asked for"
done
[ "$(grep -c "Level changed in" "$work/out")" -eq 2 ] || failed "not exactly two level changes"
grep -q -F "Powerup hit! 0" "$work/out" || failed "the milk on the street was not picked up"
grep -q -F "You were reduced to a puddle of mud..." "$work/out" && failed "the player melted"
grep -q -F "death$suffix.png" "$work/err" && failed "the death picture was shown"
shot=$(ls "$work/run"/screen-*.png 2>/dev/null | head -1)
if [ -z "$shot" ]; then
  failed "no screenshot during play"
else
  cp "$shot" "$shots/play-level1.png"
  "$shot_check" "$shot" resources/textures/hud_life.png || fail=1
fi
no_errors
finish "tavo at $screen: level 1 won by holding W, level 2 entered, ESC quit with status 0"
