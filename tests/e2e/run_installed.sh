#!/usr/bin/env bash
# The game installed into a temporary prefix (cmake --install) and started from an empty folder
# elsewhere, as a player starts an installed game:
#   - it finds its content beside the program (PREFIX/share/games/tavo), plays into level 1
#     from the menu (ENTER), and ESC ends it with status 0, without errors, its files (the
#     importer's log) written to the player's state folder, none to the folder it was started in;
#   - with the data folder renamed it says where it looked, in one line, and exits with 1;
#   - --data names the renamed folder, from anywhere, and it plays again;
#   - the installed tavo-levelcheck, run from the same folder, finds the installed content as the
#     game does: the shipped chain has no error.
# Usage: run_installed.sh BUILD_DIR
set -u
build=$1
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
source "$here/drive.sh"

cmake --install "$build" --prefix "$work/prefix" >/dev/null || { echo "FAIL: install"; exit 1; }
bin="$work/prefix/games/tavo"
data="$work/prefix/share/games/tavo"
[ -x "$bin" ] && [ -d "$data/resources" ] && [ -d "$data/shaders" ] \
  || { echo "FAIL: the install lacks the program or its content"; exit 1; }
mkdir "$work/elsewhere"
# The player's folders, here and never in the real home.
export HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" XDG_STATE_HOME="$work/state"

# Runs the installed game from `elsewhere` at 640x480: the menu, ENTER into level 1, ESC.
play() {
  (cd "$work/elsewhere" && "$here/../support/with_xvfb.sh" 640x480 bash -c '
    source "$1"; bin=$2; out=$3; err=$4; shift 4
    start_game "$out" "$err" "$bin" --windowed 640x480 "$@" || { kill "$pid" 2>/dev/null; exit 98; }
    sleep 1
    xdotool mousemove 5 5 mousemove 320 240
    press Return
    wait_for "$out" "Level changed in" 180 || { kill "$pid" 2>/dev/null; exit 97; }
    quit_from_play "$out"' _ "$here/drive.sh" "$bin" "$work/out" "$work/err" "$@")
}
check_played() {
  local status=$1 root=$2
  expect_status "$status" 0
  expect_out "Content from $root/"
  expect_out "LOADING Level file $root/resources/levels/level1.dae"
  grep -q "^Level changed in" "$work/out" || failed "level 1 did not load"
  no_errors "^ERROR:|not found!|Cannot use shader"
  [ -f "$work/state/tavo/AssimpLog.txt" ] || failed "the importer's log is not in the player's state folder"
  [ -z "$(ls -A "$work/elsewhere")" ] || failed "the installed game wrote into the folder it was started from"
  rm -f "$work/state/tavo/AssimpLog.txt"
}

play
check_played $? "$data"

(cd "$work/elsewhere" && "$work/prefix/games/tavo-levelcheck" "$data/resources/levels/level1.dae" >"$work/out" 2>&1)
expect_status $? 0
grep -q -x "5 levels, 0 errors, 1 warning" "$work/out" || failed "the installed checker did not pass the shipped chain"

mv "$data" "$work/prefix/share/games/moved"
(cd "$work/elsewhere" && "$bin" --windowed 640x480 >"$work/out" 2>"$work/err")
status=$?
expect_status "$status" 1
expected="tavo: the game's content (resources/ and shaders/) is not in '$work/elsewhere', '$data'; name the folder \
that holds it with --data DIR"
[ "$(cat "$work/err")" = "$expected" ] || failed "standard error without content is not: $expected"
[ -s "$work/out" ] && failed "output without content"

play --data "$work/prefix/share/games/moved"
check_played $? "$work/prefix/share/games/moved"

finish PASS
