#!/usr/bin/env bash
# Sets Tavo up (packages and a Release build) and starts the game from the repository root,
# where resources/ and shaders/ live.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "Tavo is built (build/tavo), but there is no display to open its window on." >&2
  echo "Run this from a desktop session, or try it headless: xvfb-run -a -s '-screen 0 1280x720x24' build/tavo" >&2
  exit 1
fi
exec ./build/tavo
