#!/usr/bin/env bash
# The real game binary with its start options, as players and level designers use them.
# Usage: run_start_options.sh PATH/TO/tavo MODE   (run from the folder holding resources/ and shaders/)
#   level     --level with an absolute path to a level outside the game's folders: the game skips
#             the menu, loads that very file ("Level changed in"), and ESC ends it with status 0
#   badlevel  --level with a file that does not exist: the error is said and the game exits with
#             status 1 on its own (no ESC), without a farewell
#   windowed  --windowed 800x600 on a 16:9 screen: the menu shows the 4:3 ("_43") pictures; with a
#             settings file the software renderer's hint is not given
#   badoption anything the game does not know: the usage line and exit status 2, no window
#   replay    --replay with a recording (made by TAVO_REPLAY, the third argument) from another
#             folder, content by --data: shown at the pace it was played, then the game ends with
#             status 0 and saves no recording of its own; ESC ends a long one early
#   recorded  a player's run (level 1 from the keypad, walking, running, the mouse turning the
#             camera and holding the push box, a screenshot, ESC) is saved as a recording, which
#             TAVO_REPLAY plays back to the same lines and the very same screenshot
set -u
bin=$1
mode=$2
replay_bin=${3:-}
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
    # A player who has a settings file has been to the options: no software-rendering hint.
    export XDG_CONFIG_HOME="$work/config"
    mkdir -p "$XDG_CONFIG_HOME/tavo" && echo "music_volume = 90" > "$XDG_CONFIG_HOME/tavo/settings.ini"
    play 1280x720 "Starting game loop" --windowed 800x600
    expect_status $? 0
    grep -q "^Software rendering: " "$work/out" && failed "the software-rendering hint was given with a settings file"
    drawn "menu_43.jpg" || failed "the 4:3 menu picture was not drawn in the 800x600 window"
    drawn "menu_169.jpg" && failed "the screen's 16:9 picture was drawn"
    expect_farewell
    ;;
  badoption)
    for args in "--bogus" "--windowed" "--windowed 800by600" "--windowed 10x10" "--level" "extra" "--quality ultra"; do
      # shellcheck disable=SC2086
      DISPLAY= "$bin" $args >"$work/out" 2>"$work/err"
      status=$?
      expect_status "$status" 2
      expect_err "usage: tavo [--help] [--version] [--windowed WIDTHxHEIGHT | --fullscreen] [--quality Q] [--level FILE] [--data DIR] [--replay FILE]"
      [ -s "$work/out" ] && failed "'$args' wrote to standard output"
    done
    DISPLAY= "$bin" --help >"$work/out" 2>"$work/err"
    expect_status $? 0
    grep -q -F -- "--level FILE" "$work/out" || failed "--help does not list --level"
    DISPLAY= "$bin" --version >"$work/out" 2>"$work/err"
    expect_status $? 0
    grep -q "^tavo [0-9]" "$work/out" || failed "--version printed no version"
    ;;
  replay)
    root=$(pwd)
    export XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config" XDG_STATE_HOME="$work/state"
    # A recording of 30 frames of a tenth of a second each: three seconds of level 1.
    printf 'frametime 0.1\n2 key KP_1\n5 keydown W\n15 keyup W\nframes 30\n' >"$work/short.replay"
    (TAVO_RECORD_REPLAYS=1 "$here/../support/with_xvfb.sh" 320x240 "$replay_bin" --no-play-draw "$work/short.replay" \
      >"$work/rec.out" 2>"$work/rec.err")
    recording=$(sed -n 's/^Replay saved: //p' "$work/rec.out")
    [ -f "$recording" ] || { failed "no recording was made"; finish ""; }
    mkdir -p "$work/elsewhere"
    cp "$recording" "$work/elsewhere/run.replay"
    rm -rf "$work/data"
    started=$(date +%s.%N)
    (cd "$work/elsewhere" && "$here/../support/with_xvfb.sh" 640x480 timeout 120 "$bin" --replay run.replay \
      --windowed 320x240 --data "$root" >"$work/out" 2>"$work/err")
    expect_status $? 0
    took=$(echo "$(date +%s.%N) - $started" | bc)
    [ "$(echo "$took >= 3" | bc)" -eq 1 ] || failed "the three seconds recorded were shown in $took s"
    expect_out "Showing the recorded run run.replay (SPACE pauses, the wheel or keypad + and - set the speed, ESC ends)"
    expect_out "Trying to switch to level 'level1.dae'"
    grep -q "^Replay saved" "$work/out" && failed "watching a recording recorded it again"
    [ -d "$work/data/tavo/replays" ] && failed "watching a recording wrote to the replays folder"
    expect_farewell
    no_errors
    # A long one (a minute) ends at ESC.
    sed 's/^frames 30$/frames 600/' "$work/elsewhere/run.replay" >"$work/elsewhere/long.replay"
    (cd "$work/elsewhere" && play_to_esc 640x480 "$work/out" "$work/err" "Level changed in" 1 "$bin" \
      --replay long.replay --windowed 320x240 --data "$root")
    expect_status $? 0
    expect_farewell
    ;;
  recorded)
    root=$(pwd)
    export XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config" XDG_STATE_HOME="$work/state"
    mkdir -p "$work/game" "$work/playback"
    ln -s "$root/resources" "$root/shaders" "$work/game/"
    ln -s "$root/resources" "$root/shaders" "$work/playback/"
    (cd "$work/game" && "$here/../support/with_xvfb.sh" 640x480 bash -c '
      source "$1"; shift
      "$@" >out 2>err & pid=$!
      wait_for out "Starting game loop" 120; sleep 0.3; press KP_1 0.1; wait_for out "Level changed in" 120
      xdotool keydown w; sleep 1.5; xdotool mousemove 100 100; sleep 0.3; xdotool mousemove 300 200
      xdotool keydown shift; sleep 1; xdotool keyup w keyup shift; xdotool click 1; sleep 0.5
      xdotool keydown d; sleep 0.8; xdotool keyup d; press F12 0.1; quit_from_play out' _ "$here/drive.sh" \
      "$bin" --windowed 640x480)
    expect_status $? 0
    recording=$(sed -n 's/^Replay saved: //p' "$work/game/out")
    case "$recording" in
      "$work/data/tavo/replays/"*_level1.replay) ;;
      *) failed "no 'Replay saved:' line naming the replays folder"; finish "" ;;
    esac
    (cd "$work/playback" && "$here/../support/with_xvfb.sh" 640x480 "$replay_bin" --no-play-draw "$recording" >out 2>err)
    expect_status $? 0
    # The clock's own figures (frame rates, load and start-up times) and file names aside.
    filter() { grep -v -e "fps/" -e "Tris rendered" -e "^Screenshot '" -e "^Replay saved" -e "^Level changed in" -e "^Game init in" "$1"; }
    diff <(filter "$work/game/out") <(filter "$work/playback/out") >"$work/diff" \
      || { failed "the playback printed other lines:"; head -20 "$work/diff"; }
    grep -q "^Activating push box" "$work/game/out" || failed "the run did not go as driven"
    a=$(ls "$work/game"/screen-*.png 2>/dev/null | tail -1); b=$(ls "$work/playback"/screen-*.png 2>/dev/null | tail -1)
    if [ -z "$a" ] || [ -z "$b" ]; then failed "a run took no screenshot"
    elif ! cmp -s "$a" "$b"; then failed "the playback's screenshot differs from the run's"; fi
    cp "$work/game/out" "$work/out"; cp "$work/game/err" "$work/err"
    expect_farewell
    no_errors
    ;;
  *)
    echo "unknown mode $mode"; exit 2 ;;
esac

finish "tavo $mode: as expected"
