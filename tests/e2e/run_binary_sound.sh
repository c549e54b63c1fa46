#!/usr/bin/env bash
# The real game's sound, end to end, under its own Xvfb screen.
# Usage: run_binary_sound.sh PATH/TO/tavo PATH/TO/sound_trace WIDTHxHEIGHT wave|nodevice
#   (run from the folder holding resources/ and shaders/)
#
# wave:     OpenAL Soft records the game's mix into a WAV file (its wave-file output); the game
#           sits in the menu for a few seconds and ends on ESC; the menu music must be in the
#           recording from where the sound starts to the end.
# nodevice: OpenAL Soft's only device cannot open; the game must say so once, run silently
#           and end normally.
set -u
bin=$1
trace=$2
screen=$3
mode=$4
work=$(mktemp -d)
# Every run starts without progress, so the menu's first entry is "Start".
export XDG_DATA_HOME="$work/data"
trap 'rm -rf "$work"' EXIT

mix="$work/mix.wav"
[ "$mode" = nodevice ] && mix="$work/no-such-folder/mix.wav"
cat >"$work/alsoft.conf" <<EOF
[general]
drivers = wave
channels = stereo
sample-type = int16
frequency = 44100
dither = false
output-limiter = false
[wave]
file = $mix
EOF
export ALSOFT_CONF="$work/alsoft.conf"
unset ALSOFT_DRIVERS

here=$(cd "$(dirname "$0")" && pwd)
source "$here/drive.sh"
# The player listens to the menu for a while, then leaves.
play_to_esc "$screen" "$work/out" "$work/err" "Starting game loop" 3 "$bin"
status=$?

expect_status "$status" 0
# The sound start-up's own lines are checked by sound_tests for each output.
expect_out "LOADING sound (streamed): mainmenu.mp3"
expect_farewell
expected_errors=
if [ "$mode" = nodevice ]; then
  expected_errors="ERROR: OpenAL Soft found no suitable sound devices for playpack! No sounds can be played ..."
  grep -q "Available sound drivers:" "$work/out" && failed "drivers listed without a device"
else
  # The menu music, from its beginning until the game ended.
  "$trace" "$mix" resources/sounds/mainmenu.mp3 2.5 || failed "the menu music is not the whole mix"
fi
[ "$(grep "^ERROR:" "$work/err")" = "$expected_errors" ] || failed "errors other than the expected ones"
finish "tavo sound ($mode) at $screen: OK"
