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
#
# To check more sounds, add key presses to the `player` steps below (xdotool keydown/keyup,
# with a pause between them as a player would) and an `expect_sound FILE FROM TO` line for
# each sound that must be heard starting between FROM and TO seconds of the recording.
set -u
bin=$1
trace=$2
screen=$3
mode=$4
work=$(mktemp -d)
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

fail=0
expect_out() {
  grep -q -F -x -- "$1" "$work/out" || { echo "FAIL: missing line on standard output: $1"; fail=1; }
}
errors_other_than() {
  grep "^ERROR:" "$work/err" | grep -v -F -x -- "$1"
}

[ "$status" -eq 0 ] || { echo "FAIL: exit status $status"; fail=1; }
# The sound start-up's own lines are checked by sound_tests for each output.
expect_out "LOADING sound (streamed): mainmenu.mp3"
expect_out "Main thread end. Cya!"

if [ "$mode" = nodevice ]; then
  line="ERROR: OpenAL Soft found no suitable sound devices for playpack! No sounds can be played ..."
  [ "$(grep -c -F -x -- "$line" "$work/err")" -eq 1 ] || { echo "FAIL: the no-device line is not there once"; fail=1; }
  grep -q "Available sound drivers:" "$work/out" && { echo "FAIL: drivers listed without a device"; fail=1; }
  if errors_other_than "$line" >/dev/null; then echo "FAIL: errors:"; errors_other_than "$line"; fail=1; fi
else
  if grep -q "^ERROR:" "$work/err"; then echo "FAIL: errors:"; grep "^ERROR:" "$work/err"; fail=1; fi
  # FILE must be heard, starting between FROM and TO seconds of the recording.
  expect_sound() {
    "$trace" "$mix" "$1@$2-$3" | grep -E "^(found|NOT found)" || { echo "FAIL: $1 not heard between $2 and $3 s"; fail=1; }
  }
  # FILE starts where the first sounding stretch of the recording starts, which lasts MIN seconds.
  expect_first_stretch() {
    awk -v name="$1" -v min="$2" '
      /^sounding / && !stretch { split($2, se, "-"); start = se[1]; end = se[2]; stretch = 1 }
      $1 == "found" && $2 == name { at = $4 }
      END {
        if (!stretch || at == "") exit 1
        d = at - start; if (d < 0) d = -d
        if (d > 0.05) { print "FAIL: " name " starts at " at ", the sound at " start; exit 1 }
        if (end - start < min) { print "FAIL: the sound lasts " end - start " s, less than " min; exit 1 }
      }' "$work/trace" || fail=1
  }
  "$trace" "$mix" resources/sounds/mainmenu.mp3 >"$work/trace" || { echo "FAIL: menu music not found"; fail=1; }
  cat "$work/trace"
  # The menu music, from its beginning until the game ended.
  expect_first_stretch resources/sounds/mainmenu.mp3 2.5
fi

if [ "$fail" -ne 0 ]; then
  echo "--- stdout"; head -60 "$work/out"; echo "--- stderr"; head -40 "$work/err"
  exit 1
fi
echo "tavo sound ($mode) at $screen: OK"
