# Drives the real game binary like a player, with xdotool on the Xvfb screen that
# tests/support/with_xvfb.sh started. Sourced by the e2e scripts, inside that screen:
#   start_game OUT ERR BIN [ARGS]   starts the game in the background ($pid), its output in OUT
#                                   and ERR, and waits up to two minutes for "Starting game loop"
#   wait_for FILE TEXT SECONDS      waits until a line of FILE holds TEXT; fails if the game ends
#   press KEY [SECONDS]             key down, held a while (0.4 s), key up, a short pause
#   end_game KEY                    presses KEY, which must end the game within 30 s; returns
#                                   the game's exit status, or 99 (the game killed) if it did not
#   quit_from_play OUT              as a player leaves a level: ESC pauses ("Game paused" in
#                                   OUT), UP goes round from Resume to Quit, ENTER ends the game
#   leave_game OUT                  ESC, which ends the game on the menu and the pictures; when
#                                   it paused a level instead, Quit from the pause screen
# and, outside the screen, the skeleton of most runs:
#   play_to_esc SCREEN OUT ERR READY PAUSE BIN [ARGS]
#                                   in a private Xvfb screen of size SCREEN, starts BIN, waits for
#                                   a line with READY, lets it run PAUSE seconds and ends it with
#                                   leave_game; returns the game's exit status
# and the checks of the game's output in $work/out and $work/err, which set fail=1 and say why:
#   failed TEXT, expect_status GOT WANTED, expect_out LINE, expect_farewell, drawn PICTURE (its
#   one-time upload is on standard error), no_errors [ERE] (default ^ERROR:), and finish TEXT,
#   which ends the script: the output's ends and status 1 after a failure, else TEXT.

wait_for() {
  local _
  for _ in $(seq 1 $(($3 * 10))); do
    grep -q -F -- "$2" "$1" && return 0
    kill -0 "$pid" 2>/dev/null || return 1
    sleep 0.1
  done
  return 1
}

start_game() {
  local out=$1 err=$2
  shift 2
  "$@" >"$out" 2>"$err" &
  pid=$!
  wait_for "$out" "Starting game loop" 120
}

press() {
  xdotool keydown "$1"; sleep "${2:-0.4}"; xdotool keyup "$1"; sleep 0.4
}

end_game() {
  local _
  press "$1"
  for _ in $(seq 1 300); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  if kill -0 "$pid" 2>/dev/null; then echo "game did not end on $1" >&2; kill "$pid"; return 99; fi
  wait "$pid"
}

quit_from_play() {
  press Escape
  wait_for "$1" "Game paused" 30 || { echo "ESC did not pause the game" >&2; kill "$pid" 2>/dev/null; return 98; }
  press Up
  end_game Return
}

leave_game() {
  local _
  press Escape
  for _ in $(seq 1 50); do
    kill -0 "$pid" 2>/dev/null || { wait "$pid"; return; }
    grep -q -x "Game paused" "$1" && break
    sleep 0.1
  done
  if grep -q -x "Game paused" "$1"; then
    press Up
    end_game Return
  else
    end_game Escape
  fi
}

play_to_esc() {
  local screen=$1 drive
  shift
  drive=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/drive.sh
  "$(dirname "$drive")/../support/with_xvfb.sh" "$screen" bash -c '
    source "$1"; out=$2; err=$3; ready=$4; pause=$5; shift 5
    "$@" >"$out" 2>"$err" &
    pid=$!
    wait_for "$out" "$ready" 180
    sleep "$pause"
    xdotool mousemove 5 5 mousemove 400 300
    leave_game "$out"' _ "$drive" "$@"
}

fail=0
failed() { echo "FAIL: $*"; fail=1; }
expect_status() { [ "$1" -eq "$2" ] || failed "exit status $1, expected $2"; }
expect_out() { grep -q -F -x -- "$1" "$work/out" || failed "no line on standard output: $1"; }
expect_farewell() { [ "$(tail -1 "$work/out")" = "Main thread end. Cya!" ] || failed "last line is not the farewell"; }
drawn() { grep -q -F "WARNING: Late VRAM loading of Diff texture '$1'!" "$work/err"; }
no_errors() {
  if grep -q -E "${1:-^ERROR:}" "$work/err"; then
    failed "errors on standard error:"; grep -E "${1:-^ERROR:}" "$work/err" | sort | uniq -c | head -20
  fi
}
finish() {
  if [ "$fail" -ne 0 ]; then
    echo "--- stdout"; grep -v "^LOADING" "$work/out" | tail -40; echo "--- stderr"; head -40 "$work/err"; exit 1
  fi
  echo "$1"
}
