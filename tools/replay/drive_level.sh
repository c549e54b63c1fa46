#!/usr/bin/env bash
# Plays level 1 to its end in the real game as a player would, with xdotool keys on a private
# Xvfb screen (keypad 1, then LSHIFT and W held up the shaded street until the "Level
# complete:" line), leaves it with ESC on the picture, and plays the run's recording back with
# tavo-replay --no-play-draw in fresh player folders, and the best run it saved likewise. Prints
# the three "Level complete:" lines and the recording's first lines; exits 1 when they differ or
# the level was not won.
#
#   tools/replay/drive_level.sh [BUILD_DIR]    (from the repository root; default build)
#
# Needs xdotool and Xvfb. Everything stays in the folder it names.
set -u
cd "$(dirname "$0")/../.."
root=$PWD
build=$(realpath "${1:-build}")
work=$(mktemp -d /tmp/tavo-drive.XXXXXX)
mkdir -p "$work/game" "$work/playback"
ln -s "$root/resources" "$root/shaders" "$work/game/"
ln -s "$root/resources" "$root/shaders" "$work/playback/"
export ALSOFT_DRIVERS=null
(cd "$work/game" && XDG_DATA_HOME="$work/game/data" XDG_CONFIG_HOME="$work/game/config" \
  XDG_STATE_HOME="$work/game/state" "$root/tests/support/with_xvfb.sh" 640x480 bash -c '
  source "$1"; shift
  start_game out err "$@" || exit 3
  sleep 0.3; press KP_1 0.1
  wait_for out "Level changed in" 120 || exit 4
  sleep 0.5
  xdotool keydown shift keydown w
  wait_for out "Level complete:" 120; won=$?
  xdotool keyup w keyup shift
  [ "$won" -eq 0 ] || { kill "$pid"; exit 5; }
  sleep 1
  end_game Escape' _ "$root/tests/e2e/drive.sh" "$build/tavo" --windowed 640x480)
status=$?
[ "$status" -eq 0 ] || { echo "the driven run failed (status $status); see $work/game"; exit 1; }
recording=$(sed -n 's/^Replay saved: //p' "$work/game/out")
[ -n "$recording" ] || { echo "the run saved no recording; see $work/game"; exit 1; }
cp "$recording" "$work/run.replay"
(cd "$work/playback" && XDG_DATA_HOME="$work/playback/data" XDG_CONFIG_HOME="$work/playback/config" \
  XDG_STATE_HOME="$work/playback/state" "$root/tests/support/with_xvfb.sh" 640x480 \
  "$build/tavo-replay" --no-play-draw "$work/run.replay" >out 2>err) || { echo "the playback failed; see $work/playback"; exit 1; }
best=$(sed -n 's/^Best run saved: //p' "$work/game/out")
if [ -n "$best" ]; then
  mkdir -p "$work/best"
  ln -s "$root/resources" "$root/shaders" "$work/best/"
  (cd "$work/best" && XDG_DATA_HOME="$work/best/data" XDG_CONFIG_HOME="$work/best/config" \
    XDG_STATE_HOME="$work/best/state" "$root/tests/support/with_xvfb.sh" 640x480 \
    "$build/tavo-replay" --no-play-draw "$best" >out 2>err) || { echo "the best run's playback failed"; exit 1; }
fi
played=$(grep "^Level complete:" "$work/game/out")
replayed=$(grep "^Level complete:" "$work/playback/out")
echo "driven run: $played"
echo "playback:   $replayed"
[ -n "$best" ] && echo "best run:   $(grep "^Level complete:" "$work/best/out")  ($(basename "$best"))"
echo "the recording ($(wc -c <"$work/run.replay") bytes, $(grep -c . "$work/run.replay") lines) begins:"
head -14 "$work/run.replay"
echo "(all in $work)"
[ -n "$played" ] && [ "$played" = "$replayed" ] || { echo "the playback's Level complete line differs"; exit 1; }
[ -n "$best" ] && [ "$played" = "$(grep "^Level complete:" "$work/best/out")" ] ||
  { echo "the best run was not saved or plays to another line"; exit 1; }
