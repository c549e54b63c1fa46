#!/usr/bin/env bash
# The real game binary with its start options, as players and level designers use them.
# Usage: run_start_options.sh PATH/TO/tavo MODE   (run from the folder holding resources/ and shaders/)
#   level     --level with an absolute path to a level outside the game's folders: the game skips
#             the menu, loads that very file ("Level changed in"), and ESC ends it with status 0
#   badlevel  --level with a file that does not exist: the error is said and the game exits with
#             status 1 on its own (no ESC), without a farewell
#   windowed  --windowed 800x600 on a 16:9 screen: the menu shows the 4:3 ("_43") pictures
#   badoption anything the game does not know: the usage line and exit status 2, no window
set -u
bin=$1
mode=$2
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
# Every run starts without progress, so the menu's first entry is "Start".
export XDG_DATA_HOME="$work/data"
trap 'rm -rf "$work"' EXIT
source "$here/drive.sh"
# Runs the game with the given arguments, waits for the line `ready`, then ESC must end it.
play() {
  local screen=$1 ready=$2
  shift 2
  play_to_esc "$screen" "$work/out" "$work/err" "$ready" 1 "$bin" "$@"
}
expect_err() { grep -q -F -x -- "$1" "$work/err" || failed "no line on standard error: $1"; }

case "$mode" in
  level)
    mkdir -p "$work/my levels"
    cp docs/examples/yard1.dae "$work/my levels/yard1.dae"
    level="$work/my levels/yard1.dae"
    play 640x480 "Level changed in" --level "$level"
    expect_status $? 0
    expect_out "Trying to switch to level '$level'"
    expect_out "LOADING Level file $level"
    grep -q "^Level changed in [0-9.e+-]* secs$" "$work/out" || failed "the level did not load"
    drawn "menu_43.jpg" && failed "the menu was drawn"  # straight into the level
    expect_farewell
    no_errors
    ;;
  badlevel)
    # The game must end by itself: no ESC is sent, and two minutes are plenty for start-up.
    "$here/../support/with_xvfb.sh" 640x480 timeout 120 "$bin" --level "$work/nowhere/missing.dae" \
      >"$work/out" 2>"$work/err"
    expect_status $? 1
    expect_out "LOADING Level file $work/nowhere/missing.dae"
    grep -q -F "ERROR: Could not load level scene $work/nowhere/missing.dae, error was: " "$work/err" \
      || failed "the failed load was not reported"
    expect_err "ERROR: Could not start in level file $work/nowhere/missing.dae, exiting"
    grep -q "^Level changed in" "$work/out" && failed "a level was loaded"
    grep -q "^Starting game loop" "$work/out" && failed "the game loop ran"
    grep -q -F -x "Main thread end. Cya!" "$work/out" && failed "the failed start ended like a normal one"
    ;;
  windowed)
    play 1280x720 "Starting game loop" --windowed 800x600
    expect_status $? 0
    drawn "menu_43.jpg" || failed "the 4:3 menu picture was not drawn in the 800x600 window"
    drawn "menu_169.jpg" && failed "the screen's 16:9 picture was drawn"
    expect_farewell
    ;;
  badoption)
    for args in "--bogus" "--windowed" "--windowed 800by600" "--windowed 10x10" "--level" "extra"; do
      # shellcheck disable=SC2086
      DISPLAY= "$bin" $args >"$work/out" 2>"$work/err"
      status=$?
      expect_status "$status" 2
      expect_err "usage: tavo [--help] [--version] [--windowed WIDTHxHEIGHT | --fullscreen] [--level FILE] [--data DIR]"
      [ -s "$work/out" ] && failed "'$args' wrote to standard output"
    done
    DISPLAY= "$bin" --help >"$work/out" 2>"$work/err"
    expect_status $? 0
    grep -q -F -- "--level FILE" "$work/out" || failed "--help does not list --level"
    DISPLAY= "$bin" --version >"$work/out" 2>"$work/err"
    expect_status $? 0
    grep -q "^tavo [0-9]" "$work/out" || failed "--version printed no version"
    ;;
  *)
    echo "unknown mode $mode"; exit 2 ;;
esac

finish "tavo $mode: as expected"
