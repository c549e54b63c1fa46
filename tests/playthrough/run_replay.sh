#!/usr/bin/env bash
# Plays one input script with tavo-replay under its own Xvfb server and checks the game's lines.
# Usage: run_replay.sh TAVO_REPLAY SCRIPT ARTIFACTS [CHECK ...]   (from the folder holding
# resources/ and shaders/)
#
# Always checked: exit status 0, the farewell as the last line and no "ERROR:" line. Each CHECK:
#   +TEXT         a line of standard output contains TEXT
#   -TEXT         no line of standard output contains TEXT
#   =N:TEXT       exactly N lines of standard output contain TEXT
#   ~N:REGEX      exactly N lines of standard output match the extended regular expression REGEX
#                 (whole lines)
#   picture:NAME  the picture NAME (e.g. stage_complete) was shown: its first use shows up as
#                 its one-time upload on standard error
#   nopicture:NAME  the picture NAME was never shown
#   drawn         every frame is drawn (by default play frames are not: tavo-replay --no-play-draw)
#   twice         the script is played a second time with every frame drawn; both runs must print
#                 the same lines (frame statistics and screenshot names aside) and take identical
#                 last screenshots: the game replays identically, and its updates do not depend on
#                 drawing
# Screenshots (F12 in the script) are kept as ARTIFACTS/SCRIPTNAME-N.png, with the output.
set -u
replay=$1
script=$2
artifacts=$3
shift 3
name=$(basename "$script" .replay)
source "$(dirname "$0")/common.sh"
mkdir -p "$artifacts"
script=$(absolute "$script")
replay=$(absolute "$replay")
# The game writes its screenshots and log into its working folder: give it its own, and its own
# empty player folders, so that every run starts without progress (its records are new).
play() {
  game_folder "$1"
  (cd "$1" && XDG_CONFIG_HOME="$1/home/config" XDG_DATA_HOME="$1/home/data" XDG_STATE_HOME="$1/home/state" \
     "$here/../support/with_xvfb.sh" 640x480 "$replay" $2 "$script" >out 2>err)
}
mode=--no-play-draw
for check in "$@"; do [ "$check" = drawn ] && mode=; done

fail=0
play "$work/a" "$mode"
status=$?
out=$work/a/out
err=$work/a/err
cp "$out" "$artifacts/$name.out"; cp "$err" "$artifacts/$name.err"
keep_shots "$work/a" "$artifacts/$name"

[ "$status" -eq 0 ] || { echo "FAIL: exit status $status"; fail=1; }
[ "$(tail -1 "$out")" = "Main thread end. Cya!" ] || { echo "FAIL: last line is not the farewell"; fail=1; }
if grep -q "^ERROR:" "$err"; then echo "FAIL: errors on standard error:"; grep "^ERROR:" "$err" | sort | uniq -c; fail=1; fi
for check in "$@"; do
  case "$check" in
    +*) grep -q -F -- "${check#+}" "$out" || { echo "FAIL: no line with '${check#+}'"; fail=1; } ;;
    -*) if grep -q -F -- "${check#-}" "$out"; then echo "FAIL: a line with '${check#-}'"; fail=1; fi ;;
    =*) spec=${check#=}; want=${spec%%:*}; text=${spec#*:}
        got=$(grep -c -F -- "$text" "$out")
        [ "$got" -eq "$want" ] || { echo "FAIL: $got lines with '$text', expected $want"; fail=1; } ;;
    ~*) spec=${check#\~}; want=${spec%%:*}; pattern=${spec#*:}
        got=$(grep -c -E -x -- "$pattern" "$out")
        [ "$got" -eq "$want" ] || { echo "FAIL: $got lines match '$pattern', expected $want"; fail=1; } ;;
    picture:*) pic=${check#picture:}
        grep -q -F "Late VRAM loading of Diff texture '${pic}_43." "$err" \
          || { echo "FAIL: picture $pic never shown"; fail=1; } ;;
    nopicture:*) pic=${check#nopicture:}
        if grep -q -F "Late VRAM loading of Diff texture '${pic}_43." "$err"; then
          echo "FAIL: picture $pic shown"; fail=1; fi ;;
    twice)
      play "$work/b" ""
      # Timings, what was drawn and screenshot names (the wall clock) may differ; nothing else may.
      filter() { grep -v -e "fps/" -e "Tris rendered last frame" -e "^Screenshot '" "$1"; }
      if ! diff <(filter "$work/a/out") <(filter "$work/b/out") >"$work/diff"; then
        echo "FAIL: the second run printed other lines:"; head -20 "$work/diff"; fail=1
      fi
      a=$(ls -tr "$work/a"/screen-*.png 2>/dev/null | tail -1); b=$(ls -tr "$work/b"/screen-*.png 2>/dev/null | tail -1)
      if [ -z "$a" ] || [ -z "$b" ]; then echo "FAIL: a run took no screenshot"; fail=1
      elif ! cmp -s "$a" "$b"; then echo "FAIL: the last screenshots differ"; fail=1; fi ;;
    drawn) ;;
    *) echo "FAIL: unknown check '$check'"; fail=1 ;;
  esac
done
if [ "$fail" -ne 0 ]; then
  echo "--- stdout (last lines)"; tail -25 "$out"; echo "--- stderr (first lines)"; head -30 "$err"
  exit 1
fi
echo "$name: passed ($(grep -c . "$out") lines; screenshots in $artifacts)"
