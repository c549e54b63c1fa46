#!/usr/bin/env bash
# Long play: MINUTES (default 30) of game time in level 4 (tools/bench/long_play_script.py:
# walking the route with the push box held, power-ups, turning the camera, back to the start,
# drowning and loading the level again, at uneven frame times about 1/60 s), played undrawn by
# tavo-replay with recording on, under Xvfb. Samples the process's resident memory
# (/proc/PID/status) every second and reports its peak against the value once the first minute
# of game time has been played (target: within 5 MB), and the size of the recording (target:
# under 5 MB for 30 minutes). Run it from the repository root after a build:
#
#   tools/bench/long_play.sh [MINUTES]      (REPLAY=path/to/tavo-replay, default build/tavo-replay)
#
# The script, the game's output, the samples (wall seconds, levels loaded, VmRSS kB) and the
# recording stay in the folder it names at the end.
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$PWD
minutes=${1:-30}
replay=$(realpath "${REPLAY:-build/tavo-replay}")
work=$(mktemp -d /tmp/tavo-long-play.XXXXXX)
export XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config" XDG_STATE_HOME="$work/state"
python3 tools/bench/long_play_script.py "$minutes" "$work/loads.txt" >"$work/long_play.replay"
echo "long play: $minutes minutes of game time, $(grep -c . "$work/loads.txt") level loads; in $work"

# Under Xvfb: the game in the background, its memory sampled while it runs.
cat >"$work/sample.sh" <<'INNER'
set -u
work=$1 replay=$2
TAVO_RECORD_REPLAYS=1 ALSOFT_DRIVERS=null "$replay" --no-play-draw "$work/long_play.replay" >"$work/out" 2>"$work/err" &
pid=$!
start=$(date +%s.%N)
while kill -0 "$pid" 2>/dev/null; do
  rss=$(awk '/^VmRSS:/ { print $2 }' "/proc/$pid/status" 2>/dev/null || true)
  loads=$(grep -c "^Trying to switch to level" "$work/out" 2>/dev/null || true)
  [ -n "$rss" ] && echo "$(echo "$(date +%s.%N) - $start" | bc) ${loads:-0} $rss" >>"$work/samples"
  sleep 1
done
wait "$pid"
INNER
status=0
tests/support/with_xvfb.sh 640x480 bash "$work/sample.sh" "$work" "$replay" || status=$?
[ "$status" -eq 0 ] || { echo "the run ended with status $status:"; tail -5 "$work/err"; exit 1; }
recording=$(sed -n 's/^Replay saved: //p' "$work/out")
[ -n "$recording" ] || { echo "no recording saved"; tail -5 "$work/err"; exit 1; }

# The memory once a minute of game time was played: the first sample after the level load
# that came a minute or more into the run.
python3 - "$work" "$recording" <<'PY'
import os, sys
work, recording = sys.argv[1], sys.argv[2]
loads = [float(l) for l in open(os.path.join(work, 'loads.txt')) if l.strip()]
samples = [tuple(map(float, l.split())) for l in open(os.path.join(work, 'samples')) if len(l.split()) == 3]
after = next(i + 1 for i, t in enumerate(loads) if t >= 60.0)  # loads seen once a minute has gone
base = next((rss for _, n, rss in samples if n >= after), None)
peak = max(rss for _, _, rss in samples)
last = samples[-1][2]
size = os.path.getsize(recording)
print('wall time %.0f s, %d samples; level loads %d' % (samples[-1][0], len(samples), int(samples[-1][1])))
if base is None:
    print('the run ended before a minute of game time')
    sys.exit(1)
grow = (peak - base) / 1024.0
print('RSS after the first minute of game time %.1f MB, peak %.1f MB, at the end %.1f MB: %+.2f MB (target within 5 MB) %s'
      % (base / 1024.0, peak / 1024.0, last / 1024.0, grow, 'OK' if grow <= 5.0 else 'OVER'))
print('recording %s: %.2f MB (target under 5 MB for 30 minutes) %s'
      % (os.path.basename(recording), size / 1e6, 'OK' if size < 5e6 else 'OVER'))
PY
