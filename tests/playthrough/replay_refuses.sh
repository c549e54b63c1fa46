#!/usr/bin/env bash
# tavo-replay refuses a script it cannot play with status 2 and a message that names the line
# (or the level) at fault, before the game starts; a recording made by another version plays,
# with a warning. One row per bad file: its name, its bytes (printf format), the message.
# Usage: replay_refuses.sh PATH/TO/tavo-replay   (from the folder holding resources/ and shaders/)
set -u
replay=$1
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail=0
while IFS='|' read -r name bytes message; do
  [ -z "$name" ] && continue
  printf "$bytes" >"$work/$name.replay"
  "$replay" --no-play-draw "$work/$name.replay" >"$work/out" 2>"$work/err"
  status=$?
  [ "$status" -eq 2 ] || { echo "FAIL: $name: status $status, expected 2"; fail=1; }
  grep -q -F -- "$message" "$work/err" || { echo "FAIL: $name: no message '$message' in:"; cat "$work/err"; fail=1; }
  [ -s "$work/out" ] && { echo "FAIL: $name: the game started"; fail=1; }
done <<'ROWS'
truncated|frametime 0.1\n2 keydown W\n3 key|line 3: unknown key
not_text|frames 4\n\000\001\377ELF\002\n|line 2: not a text line
huge_number|frames 99999999999999999999999\n|line 1: expected a frame count from 1 to 5184000
negative_frame|frames 5\n-5 key W\n|line 2: expected a frame number from 0 to 5184000
negative_wheel|3 wheel -9999999999\n|line 1: expected wheel steps
ten_million_frames|frametime 0.01\nframes 10000000\n|line 2: expected a frame count from 1 to 5184000 (a day at 60 frames a second)
event_past_a_day|6000000 key W\n|line 1: expected a frame number from 0 to 5184000
unknown_directive|frames 5\nspeed 3\n|line 2: unknown directive
unknown_event|2 jump W\n|line 1: unknown event
zero_frame_time|frametime 0\n|line 1: expected a frame time from 0.0001 to 60 seconds
hour_frame_time|frames 9\n5 frametime 3600\n|line 2: expected a frame time from 0.0001 to 60 seconds
nan_frame_time|frametime nan\n|line 1: expected a frame time
frame_times_out_of_order|5 frametime 0.1\n3 frametime 0.2\n|line 2: frame times must come in frame order
frame_times_zero|2 frametimes 167 0 167\n|line 1: expected frame times in tenths of a millisecond from 1 to 600000, as TICKS or TICKS*FRAMES
frame_times_no_count|2 frametimes 167*0\n|line 1: expected frame times in tenths of a millisecond
frame_times_none|2 frametimes\n|line 1: expected frame times after frametimes
frame_times_overlap|0 frametimes 167*10\n5 frametime 0.1\n|line 2: frame times must come in frame order
frame_times_past_a_day|5183990 frametimes 167*20\n|line 1: frame times past frame 5184000
words_left_over|2 key W now\n|line 1: unexpected words after the event
pad_axis_out_of_range|1 padplug\n2 padaxis LY -2\n|line 2: expected a position from -1 to 1
bad_checksum|level 12zz level1.dae\n|line 1: expected a checksum of 16 hex digits
mouse_speed|mousespeed 1000\n|line 1: expected a mouse speed from 10 to 400
record_without_progress|frames 5\nrecord yes 21.5 0.9 level1.dae\n|line 2: a record line before the progress line
zero_best_time|progress\nrecord yes 0 0.9 level1.dae\n|line 2: expected a best time above 0 and at most 999999.99 seconds
changed_level|version 0.1.0\nlevel 0000000000000000 level1.dae\nframes 5\n|was recorded on level level1.dae as it was then; its file resources/levels/level1.dae has changed since
missing_level|level 0123456789abcdef nosuchlevel.dae\nframes 5\n|plays level nosuchlevel.dae, whose file resources/levels/nosuchlevel.dae cannot be read
ROWS
"$replay" "$work/no such file.replay" >"$work/out" 2>"$work/err"
status=$?
[ "$status" -eq 2 ] && grep -q "cannot read input script" "$work/err" || { echo "FAIL: a missing file: status $status"; cat "$work/err"; fail=1; }

# Another version's recording plays, with one warning. It is recorded again, into a data folder
# that is a plain file: one warning that the recording cannot be saved, and the game ends as
# usual.
printf 'version 0.0.1-older\n2 key KP_1\nframes 5\n' >"$work/older.replay"
: >"$work/not-a-folder"
XDG_DATA_HOME="$work/not-a-folder" TAVO_RECORD_REPLAYS=1 \
  "$here/../support/with_xvfb.sh" 320x240 "$replay" --no-play-draw "$work/older.replay" >"$work/out" 2>"$work/err"
status=$?
[ "$status" -eq 0 ] || { echo "FAIL: another version's recording: status $status"; fail=1; }
[ "$(grep -c "recorded by tavo 0.0.1-older, this is tavo" "$work/err")" -eq 1 ] || { echo "FAIL: no single version warning"; cat "$work/err"; fail=1; }
grep -q "Replay ended after 5 frames" "$work/err" || { echo "FAIL: another version's recording did not play"; fail=1; }
grep -q "Trying to switch to level 'level1.dae'" "$work/out" || { echo "FAIL: the level was not played"; fail=1; }
[ "$(grep -c "not-a-folder/tavo" "$work/err")" -eq 1 ] || { echo "FAIL: not one warning about the replays folder:"; cat "$work/err"; fail=1; }
grep -q "^Replay saved" "$work/out" && { echo "FAIL: a recording was said to be saved"; fail=1; }
[ "$(tail -1 "$work/out")" = "Main thread end. Cya!" ] || { echo "FAIL: the game did not end as usual"; fail=1; }
[ "$fail" -eq 0 ] || exit 1
echo "tavo-replay refuses every bad file with status 2 and the line or level at fault"
