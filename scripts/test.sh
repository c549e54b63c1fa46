#!/usr/bin/env bash
# Sets Tavo up (packages and a Release build) and runs the whole test suite. Tests that need
# OpenGL start their own Xvfb server and render with Mesa's llvmpipe.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
ctest --test-dir build --output-on-failure -j"$(nproc)" "$@"
