#!/usr/bin/env bash
# Static analysis: clang-tidy (Debian's clang-tidy, 14) with the checks in .clang-tidy over every
# source file in src/, using the compile commands of the build/ folder (configured here if it
# is missing). Any finding is an error. Give file names to check only those:
#   scripts/clang-tidy.sh [src/scene/Level.cpp ...]
set -euo pipefail
cd "$(dirname "$0")/.."
if ! command -v run-clang-tidy-14 >/dev/null || ! command -v clang-tidy-14 >/dev/null; then
  echo "clang-tidy 14 is missing: apt-get install clang-tidy" >&2
  exit 2
fi
[ -f build/compile_commands.json ] || cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
if [ "$#" -gt 0 ]; then
  files=()
  for f in "$@"; do files+=("$(realpath "$f")"); done
else
  files=("$PWD/src/")
fi
# Headers of src/ are checked through the files that include them (HeaderFilterRegex).
run-clang-tidy-14 -clang-tidy-binary clang-tidy-14 -p build -j"$(nproc)" -quiet "${files[@]}"
