#!/usr/bin/env bash
# Plays the menu of the real game binary like a player: it first leaves the menu alone for a
# few seconds, in which the game must use at most a tenth of one core (the display gives no
# vertical sync, so a menu that draws again and again takes all it can get), then DOWN, UP, UP
# (Options, Start, and round to Quit: the game has no progress here, so no Continue), then ENTER
# on Quit, which must end the game with exit status 0. The menu picture's and the pills' first
# use shows up as their one-time upload on standard error. The player has no settings file yet
# and Xvfb's GL is Mesa's llvmpipe, so the game says where the faster graphics quality is.
# Usage: run_menu.sh PATH/TO/tavo WIDTHxHEIGHT SUFFIX   (run from the folder holding resources/ and shaders/)
set -u
bin=$1
screen=$2
suffix=$3
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
# Every run starts without progress, so the menu's first entry is "Start".
export XDG_DATA_HOME="$work/data"
# ... and without a settings file.
export XDG_CONFIG_HOME="$work/config"
trap 'rm -rf "$work"' EXIT
idle_seconds=4
source "$here/drive.sh"

"$here/../support/with_xvfb.sh" "$screen" bash -c '
  source "$1"; bin=$2; out=$3; err=$4; cpu=$5; idle_seconds=$6
  start_game "$out" "$err" "$bin"
  sleep 1
  # CPU time (user + system, all threads) in clock ticks over an idle stretch.
  before=$(awk "{print \$14 + \$15}" /proc/$pid/stat)
  sleep "$idle_seconds"
  after=$(awk "{print \$14 + \$15}" /proc/$pid/stat)
  echo $((after - before)) > "$cpu"
  for key in Down Up Up; do press "$key"; done
  end_game Return' _ "$here/drive.sh" "$bin" "$work/out" "$work/err" "$work/cpu" "$idle_seconds"
status=$?

expect_status "$status" 0
ticks=$(cat "$work/cpu" 2>/dev/null || echo missing)
hz=$(getconf CLK_TCK)
if ! [ "$ticks" -ge 0 ] 2>/dev/null; then
  failed "no CPU time measured on the idle menu"
elif [ $((ticks * 10)) -gt $((idle_seconds * hz)) ]; then
  # A tenth rather than a quarter: on a machine busy with other work a spinning menu gets only
  # a share of a core, and must still be caught.
  failed "the idle menu used $ticks/$hz CPU seconds in $idle_seconds s (more than a tenth of a core)"
else
  echo "idle menu: $ticks/$hz CPU seconds in $idle_seconds s"
fi
expect_farewell
expect_out "Software rendering: a faster graphics quality is in Options"
for picture in "menu$suffix.jpg" menu_entry.png menu_entry_selected.png; do
  drawn "$picture" || failed "$picture was never drawn"
done
no_errors
finish "tavo at $screen: menu entries chosen round and ENTER on Quit quit with status 0"
