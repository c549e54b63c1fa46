#!/usr/bin/env bash
# The game installed into a temporary prefix (cmake --install) and started from an empty folder
# elsewhere, as a player starts an installed game:
#   - it finds its content beside the program (PREFIX/share/games/tavo), plays into level 1
#     from the menu (ENTER), and ESC ends it with status 0, without errors, its files (the
#     importer's log) written to the folder it was started in;
#   - with the data folder renamed it says where it looked, in one line, and exits with 1;
#   - --data names the renamed folder, from anywhere, and it plays again.
# Usage: run_installed.sh BUILD_DIR
set -u
build=$1
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail=0

cmake --install "$build" --prefix "$work/prefix" >/dev/null || { echo "FAIL: install"; exit 1; }
bin="$work/prefix/games/tavo"
data="$work/prefix/share/games/tavo"
[ -x "$bin" ] && [ -d "$data/resources" ] && [ -d "$data/shaders" ] \
  || { echo "FAIL: the install lacks the program or its content"; exit 1; }
mkdir "$work/elsewhere"

# Runs the installed game from `elsewhere` at 640x480: the menu, ENTER into level 1, ESC.
play() {
  (cd "$work/elsewhere" && "$here/../support/with_xvfb.sh" 640x480 bash -c '
    source "$1"; bin=$2; out=$3; err=$4; shift 4
    start_game "$out" "$err" "$bin" --windowed 640x480 "$@" || { kill "$pid" 2>/dev/null; exit 98; }
    sleep 1
    xdotool mousemove 5 5 mousemove 320 240
    press Return
    wait_for "$out" "Level changed in" 180 || { kill "$pid" 2>/dev/null; exit 97; }
    end_game Escape' _ "$here/drive.sh" "$bin" "$work/out" "$work/err" "$@")
}
check_played() {
  local status=$1 root=$2
  [ "$status" -eq 0 ] || { echo "FAIL: exit status $status"; fail=1; }
  grep -q -F -x "Content from $root/" "$work/out" || { echo "FAIL: no 'Content from $root/' line"; fail=1; }
  grep -q -F -x "LOADING Level file $root/resources/levels/level1.dae" "$work/out" \
    || { echo "FAIL: level 1 was not loaded from $root"; fail=1; }
  grep -q "^Level changed in" "$work/out" || { echo "FAIL: level 1 did not load"; fail=1; }
  if grep -q -E "^ERROR:|not found!|Cannot use shader" "$work/err"; then
    echo "FAIL: errors:"; grep -E "^ERROR:|not found!|Cannot use shader" "$work/err" | sort | uniq -c | head; fail=1
  fi
  [ -f "$work/elsewhere/AssimpLog.txt" ] || { echo "FAIL: the importer's log is not in the working folder"; fail=1; }
  rm -f "$work/elsewhere/AssimpLog.txt"
}

play
check_played $? "$data"

mv "$data" "$work/prefix/share/games/moved"
(cd "$work/elsewhere" && "$bin" --windowed 640x480 >"$work/out" 2>"$work/err")
status=$?
[ "$status" -eq 1 ] || { echo "FAIL: exit status $status without content, expected 1"; fail=1; }
expected="tavo: the game's content (resources/ and shaders/) is not in '$work/elsewhere', '$data'; name the folder that holds it with --data DIR"
[ "$(cat "$work/err")" = "$expected" ] || { echo "FAIL: standard error was:"; cat "$work/err"; echo "expected: $expected"; fail=1; }
[ -s "$work/out" ] && { echo "FAIL: output without content:"; cat "$work/out"; fail=1; }

play --data "$work/prefix/share/games/moved"
check_played $? "$work/prefix/share/games/moved"

[ "$fail" -eq 0 ] && echo "PASS"
exit "$fail"
