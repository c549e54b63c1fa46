#!/usr/bin/env bash
# The frame benchmark's yardstick still runs and says what it measured: two frames of
# baseline-renderer at its defaults must print their one line with the whole scene, the 4096 map
# and 4x multisampling (a display without multisampled visuals would make it silently cheaper).
# Usage: baseline_line.sh BASELINE_RENDERER
set -u
root=$(cd "$(dirname "$0")/../.." && pwd)
out=$(env -u SM -u SAMPLES "$root/tests/support/with_xvfb.sh" 320x180 "$1" 2) || { echo "exit status $?: $out"; exit 1; }
echo "$out"
echo "$out" | grep -Eq '^baseline 320x180: [0-9.]+ ms/frame \(2 frames, 4802 triangles, shadow 4096, samples 4\), CPU [0-9.]+ ms/frame$'
