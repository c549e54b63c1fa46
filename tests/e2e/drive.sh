# Drives the real game binary like a player, with xdotool on the Xvfb screen that
# tests/support/with_xvfb.sh started. Sourced by the e2e scripts, inside that screen:
#   start_game OUT ERR BIN [ARGS]   starts the game in the background ($pid), its output in OUT
#                                   and ERR, and waits up to two minutes for "Starting game loop"
#   wait_for FILE TEXT SECONDS      waits until a line of FILE holds TEXT; fails if the game ends
#   press KEY [SECONDS]             key down, held a while (0.4 s), key up, a short pause
#   end_game KEY                    presses KEY, which must end the game within 30 s; returns
#                                   the game's exit status, or 99 (the game killed) if it did not

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
