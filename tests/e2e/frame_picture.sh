#!/usr/bin/env bash
# The play frame's picture against a committed reference made by the same path: frame-bench's
# screenshot of a shipped level at a small window size, compared with shot-compare. llvmpipe
# draws the same picture run after run (differences, if any, are single levels on a few pixels,
# far above 60 dB); a change to the lit shaders' look, such as a minimum ambient of 0.26
# instead of 0.25, comes out near 56 dB and fails.
#
# Usage (repository root): frame_picture.sh FRAME_BENCH SHOT_COMPARE REFERENCE.png LEVEL WxH
# After a deliberate change of the look, make the reference again with
#   tests/support/with_xvfb.sh WxH build/frame-bench --frames 1 --level LEVEL --screenshot REFERENCE.png
set -eu
bench=$1
compare=$2
reference=$3
level=$4
size=$5
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$root"
export ALSOFT_DRIVERS=null
"$root/tests/support/with_xvfb.sh" "$size" "$bench" --frames 1 --level "$level" --screenshot "$work/shot.png"
"$compare" "$reference" "$work/shot.png" --min-psnr 60
