#!/usr/bin/env bash
# The real game binary with its start options, as players and level designers use them.
# Usage: run_start_options.sh PATH/TO/tavo MODE   (run from the folder holding resources/ and shaders/)
#   level     --level with an absolute path to a level outside the game's folders: the game skips
#             the menu, loads that very file ("Level changed in"), and ESC ends it with status 0
#   badlevel  --level with a file that does not exist: the error is said and the menu shows
#   windowed  --windowed 800x600 on a 16:9 screen: the menu shows the 4:3 ("_43") pictures
#   badoption anything the game does not know: the usage line and exit status 2, no window
set -u
bin=$1
mode=$2
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail=0

source "$here/drive.sh"
# Runs the game with the given arguments, waits for the line `ready`, then ESC must end it.
play() {
  local screen=$1 ready=$2
  shift 2
  play_to_esc "$screen" "$work/out" "$work/err" "$ready" 1 "$bin" "$@"
}

expect_out() { grep -q -F -x -- "$1" "$work/out" || { echo "FAIL: no line on standard output: $1"; fail=1; }; }
expect_err() { grep -q -F -x -- "$1" "$work/err" || { echo "FAIL: no line on standard error: $1"; fail=1; }; }
expect_status() { [ "$1" -eq "$2" ] || { echo "FAIL: exit status $1, expected $2"; fail=1; }; }
drawn() { grep -q -F "WARNING: Late VRAM loading of Diff texture '$1'!" "$work/err"; }

case "$mode" in
  level)
    mkdir -p "$work/my levels"
    cp docs/examples/yard1.dae "$work/my levels/yard1.dae"
    level="$work/my levels/yard1.dae"
    play 640x480 "Level changed in" --level "$level"
    expect_status $? 0
    expect_out "Trying to switch to level '$level'"
    expect_out "LOADING Level file $level"
    grep -q "^Level changed in [0-9.e+-]* secs$" "$work/out" || { echo "FAIL: the level did not load"; fail=1; }
    # Straight into the level: the menu never showed.
    if drawn "menustart_43.jpg"; then echo "FAIL: the menu was drawn"; fail=1; fi
    expect_out "Main thread end. Cya!"
    if grep -q "^ERROR:" "$work/err"; then echo "FAIL: errors:"; grep "^ERROR:" "$work/err" | sort | uniq -c; fail=1; fi
    ;;
  badlevel)
    play 640x480 "Starting game loop" --level "$work/nowhere/missing.dae"
    expect_status $? 0
    expect_out "LOADING Level file $work/nowhere/missing.dae"
    grep -q -F "ERROR: Could not load level scene $work/nowhere/missing.dae, error was: " "$work/err" \
      || { echo "FAIL: the failed load was not reported"; fail=1; }
    drawn "menustart_43.jpg" || { echo "FAIL: the menu did not show after the failed load"; fail=1; }
    if grep -q "^Level changed in" "$work/out"; then echo "FAIL: a level was loaded"; fail=1; fi
    expect_out "Main thread end. Cya!"
    ;;
  windowed)
    play 1280x720 "Starting game loop" --windowed 800x600
    expect_status $? 0
    drawn "menustart_43.jpg" || { echo "FAIL: the 4:3 menu picture was not drawn in the 800x600 window"; fail=1; }
    if drawn "menustart_169.jpg"; then echo "FAIL: the screen's 16:9 picture was drawn"; fail=1; fi
    expect_out "Main thread end. Cya!"
    ;;
  badoption)
    for args in "--bogus" "--windowed" "--windowed 800by600" "--windowed 10x10" "--level" "extra"; do
      # shellcheck disable=SC2086
      DISPLAY= "$bin" $args >"$work/out" 2>"$work/err"
      status=$?
      expect_status "$status" 2
      expect_err "usage: tavo [--help] [--version] [--windowed WIDTHxHEIGHT] [--level FILE] [--data DIR]"
      [ -s "$work/out" ] && { echo "FAIL: '$args' wrote to standard output"; fail=1; }
      grep -q "Window initialized" "$work/out" && { echo "FAIL: '$args' started the game"; fail=1; }
    done
    DISPLAY= "$bin" --help >"$work/out" 2>"$work/err"
    expect_status $? 0
    grep -q -F -- "--level FILE" "$work/out" || { echo "FAIL: --help does not list --level"; fail=1; }
    DISPLAY= "$bin" --version >"$work/out" 2>"$work/err"
    expect_status $? 0
    grep -q "^tavo [0-9]" "$work/out" || { echo "FAIL: --version printed no version"; fail=1; }
    ;;
  *)
    echo "unknown mode $mode"; exit 2 ;;
esac

if [ "$fail" -ne 0 ]; then
  echo "--- stdout"; tail -25 "$work/out"; echo "--- stderr"; head -40 "$work/err"
  exit 1
fi
echo "tavo $mode: as expected"
