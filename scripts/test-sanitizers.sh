#!/usr/bin/env bash
# Builds the game, its tools and every test with AddressSanitizer, UndefinedBehaviorSanitizer
# (any report is fatal) and LeakSanitizer into build-asan/, and runs the whole suite there: unit
# tests, GL tests under Xvfb, the real binary and the leak check of a scripted run. Needs the
# packages that scripts/setup.sh installs. Reports name our own frames; library leaks that are
# not ours are listed, each with its reason, in tools/sanitizers/lsan.supp.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVO_SANITIZE=ON \
  -DTAVO_WARNINGS_AS_ERRORS=OFF >/dev/null
cmake --build build-asan -j"$jobs"
ctest --test-dir build-asan --output-on-failure -j"$jobs" "$@"
