#!/usr/bin/env bash
# Fuzzes the readers of untrusted files with libFuzzer under AddressSanitizer and
# UndefinedBehaviorSanitizer: the level-name and level-path readers, the level reader, the
# model reader and the input script (recording) reader (tools/fuzz). Builds them with clang in build-fuzz/ and runs each for SECONDS
# (default 60). Exits non-zero when any target finds something; the input that did it is left
# in build-fuzz/findings/TARGET/ (crash-*, leak-*, timeout-*, oom-*; the next run of the target
# replaces them), and the target's output in build-fuzz/findings/TARGET.log. The corpus grows in
# build-fuzz/corpus/TARGET/ from run to run.
#
#   scripts/fuzz.sh [SECONDS]            all targets, one after the other
#   FUZZ_TARGETS="level_file" scripts/fuzz.sh 3600
#                                        one target for an hour (names: level_names, level_file,
#                                        model_file, replay_file)
#   FUZZ_ARGS="-jobs=2 -workers=2" ...   more libFuzzer options for every target
#
# Replay a finding: build-fuzz/tools/fuzz/fuzz_TARGET build-fuzz/findings/TARGET/crash-...
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
seconds=${1:-60}
targets=${FUZZ_TARGETS:-level_names level_file model_file replay_file}
extra=${FUZZ_ARGS:-}

# libFuzzer ships with clang's runtime libraries; install them when they are missing.
fuzzer_links() {
  echo 'extern "C" int LLVMFuzzerTestOneInput(const char*, unsigned long) { return 0; }' |
    clang++ -x c++ -fsanitize=fuzzer,address,undefined - -o /dev/null 2>/dev/null
}
if ! command -v clang++ >/dev/null || ! fuzzer_links; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  $sudo apt-get install -y --no-install-recommends clang libclang-rt-14-dev
fi

# Clang warns about more than GCC (signedness of every conversion); the plain build keeps our
# code clean of what GCC reports, as the sanitizer build does.
cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DTAVO_FUZZ=ON -DBUILD_TESTING=OFF -DTAVO_WARNINGS_AS_ERRORS=OFF >/dev/null
build_targets=()
for t in $targets; do build_targets+=(--target "fuzz_$t"); done
cmake --build build-fuzz -j"$(nproc)" "${build_targets[@]}"

# Seeds: the shipped files and the suite's kinds of broken file; the dictionaries hold Collada's
# elements and attributes and the node-name keys.
seeds_of() {
  case $1 in
    level_names) echo "$root/tools/fuzz/seeds/names" ;;
    level_file) echo "$root/tools/fuzz/seeds/collada $root/resources/levels" ;;
    model_file) echo "$root/tools/fuzz/seeds/collada $root/resources/models" ;;
    replay_file) echo "$root/tools/fuzz/seeds/replay $root/tests/playthrough" ;;
  esac
}
dict_of() {
  case $1 in
    level_names) echo "$root/tools/fuzz/names.dict" ;;
    replay_file) echo "$root/tools/fuzz/replay.dict" ;;
    *) echo "$root/tools/fuzz/collada.dict" ;;
  esac
}

failed=()
for t in $targets; do
  corpus=$root/build-fuzz/corpus/$t
  findings=$root/build-fuzz/findings/$t
  # A run's findings replace the last run's: add each to the suite's bad files once mended.
  rm -rf "$findings" "$root/build-fuzz/tmp"
  mkdir -p "$corpus" "$findings" "$root/build-fuzz/tmp"
  echo "== fuzz_$t for ${seconds} s"
  # Absolute paths throughout: the model target works in a folder of its own. A file the
  # readers take longer than 30 s over counts as a hang.
  # shellcheck disable=SC2046,SC2086
  if ! (cd build-fuzz && TMPDIR=$root/build-fuzz/tmp ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0} \
        UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1} \
        LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$root/tools/sanitizers/lsan.supp:print_suppressions=0} \
        "$root/build-fuzz/tools/fuzz/fuzz_$t" "$corpus" $(seeds_of "$t") -dict="$(dict_of "$t")" \
        -max_total_time="$seconds" -timeout=30 -artifact_prefix="$findings/" -print_final_stats=1 $extra \
        >"$findings.log" 2>&1); then
    failed+=("$t")
  fi
  grep -E '^#[0-9]+ +DONE|stat::number_of_executed_units|stat::peak_rss_mb' "$findings.log" || true
  # A finding that left no input behind (a crash in start-up, say) still fails the run.
  if ls "$findings"/* >/dev/null 2>&1; then
    echo "fuzz_$t: finding(s) in $findings:"
    ls "$findings"
    [[ " ${failed[*]-} " == *" $t "* ]] || failed+=("$t")
  fi
done

if [ ${#failed[@]} -gt 0 ]; then
  echo "FUZZING FOUND SOMETHING in: ${failed[*]} (inputs in build-fuzz/findings/, output in build-fuzz/findings/*.log)"
  for t in "${failed[@]}"; do tail -n 40 "$root/build-fuzz/findings/$t.log"; done
  exit 1
fi
echo "fuzzing: no findings"
