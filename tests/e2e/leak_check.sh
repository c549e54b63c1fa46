#!/usr/bin/env bash
# Leak check of a real run: tavo-replay plays an input script with the real window, GL context
# and content under Xvfb, and the run must end by the script's own choice with nothing of ours
# leaked. In the sanitizer build (third argument ON) LeakSanitizer checks every block at exit and
# any AddressSanitizer or UndefinedBehaviorSanitizer report fails the run; a plain build checks
# the run alone.
# Usage: leak_check.sh PATH/TO/tavo-replay SCRIPT SANITIZED [N:TEXT ...]
#        (from the folder holding resources/); each N:TEXT asks for exactly N lines of standard
#        output that contain TEXT, to show the script really got where it meant to.
set -u
bin=$1
script=$2
sanitized=$3
shift 3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

frames=$(sed -n 's/^frames[[:space:]]\+\([0-9]\+\).*/\1/p' "$script")
fail=0
case "$sanitized" in
  ON|on|1|TRUE|true)
    # Whatever the caller's environment says, leaks are checked here.
    export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=1"
    if ! ASAN_OPTIONS="$ASAN_OPTIONS:help=1" "$bin" 2>&1 | grep -q detect_leaks; then
      echo "FAIL: $bin carries no AddressSanitizer runtime"; exit 1
    fi ;;
  *) echo "note: not a sanitizer build; leaks are checked by scripts/test-sanitizers.sh" ;;
esac

"$(dirname "$0")/../support/with_xvfb.sh" 640x480 "$bin" "$script" >"$work/out" 2>"$work/err"
status=$?

[ "$status" -eq 0 ] || { echo "FAIL: exit status $status"; fail=1; }
# tavo-replay keeps standard output to the game's own lines: its end line is on standard error.
ended=$(sed -n 's/^Replay ended after \([0-9]\+\) frames$/\1/p' "$work/err")
if [ -z "$ended" ]; then
  echo "FAIL: the replay did not end normally"; fail=1
elif [ "$ended" -ge "$frames" ]; then
  echo "FAIL: the game ran all $frames scripted frames instead of ending by itself (Quit or ESC)"; fail=1
fi
grep -q "Starting game loop" "$work/out" || { echo "FAIL: the main loop never started"; fail=1; }
for check in "$@"; do
  want=${check%%:*}; text=${check#*:}
  got=$(grep -c -F -- "$text" "$work/out")
  [ "$got" -eq "$want" ] || { echo "FAIL: $got lines with '$text', expected $want"; fail=1; }
done
if grep -q -E "^ERROR:|LeakSanitizer|AddressSanitizer|runtime error:" "$work/err"; then
  echo "FAIL: errors or sanitizer reports on standard error"; fail=1
fi
if [ "$fail" -ne 0 ]; then
  echo "--- stdout"; tail -40 "$work/out"; echo "--- stderr"; head -150 "$work/err"
  exit 1
fi
echo "scripted run of $(basename "$script"): ended after $ended frames, clean"
