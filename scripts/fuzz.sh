#!/usr/bin/env bash
# Coverage-guided fuzzing (libFuzzer) of every input Vemra reads from outside.
#
#   scripts/fuzz.sh --list                 the target names
#   scripts/fuzz.sh TARGET SECONDS [OPT]   builds and fuzzes one target (0: no
#                                          time limit; OPT: more libFuzzer
#                                          options, e.g. -runs=10000000)
#   scripts/fuzz.sh --all SECONDS          every target in turn (the smoke run
#                                          of scripts/test.sh)
#   scripts/fuzz.sh --merge TARGET         minimises what the runs found into
#                                          tests/fuzz/corpus/TARGET
#
# Builds with clang and the address and undefined-behaviour sanitizers into
# its own folder (build-fuzz, or $VEMRA_FUZZ_DIR), only what the targets need.
# Each run starts from the corpus kept in the tree and the sample files; new
# inputs go to the build folder, findings to build-fuzz/artifacts/TARGET/.
# The exit status is not zero on any crash, leak, timeout or out-of-memory.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${VEMRA_FUZZ_DIR:-$root/build-fuzz}"
fuzz="$root/tests/fuzz"

targets() {
  local f
  for f in "$fuzz"/*.cpp; do basename "$f" .cpp; done
}

usage() {
  sed -n '4,12p' "$0" | sed 's/^# \{0,1\}//' >&2
  exit 1
}

is_target() {
  [[ " $(targets | tr '\n' ' ') " == *" $1 "* ]]
}

configure_and_build() {
  "$root/scripts/install-deps.sh"
  local launcher=()
  if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  fi
  local flags="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
  local wanted=()
  local t
  for t in "$@"; do wanted+=("fuzz_$t"); done
  mkdir -p "$build"
  # Runs of other targets may be going on: one build at a time.
  (
    flock 9
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DCMAKE_CXX_COMPILER=clang++-14 "${launcher[@]}" -DCMAKE_CXX_FLAGS="$flags" \
      -DVEMRA_BUILD_GUI=OFF -DVEMRA_BUILD_TESTS=OFF -DVEMRA_BUILD_BENCH=OFF -DVEMRA_BUILD_FUZZ=ON >/dev/null
    cmake --build "$build" -j "$(nproc)" --target "${wanted[@]}"
  ) 9>"$build/.build-lock"
}

# The sample files a target starts from besides its corpus in the tree.
seed_files() {
  case "$1" in
    project_file | project_roundtrip)
      echo "$root"/examples/*.r4p "$root"/tests/data/r4p/*.r4p "$root"/tests/data/rtf/*.r4p ;;
    rx4_import | module_input | synthesis) echo "$root"/tests/data/rx4/*.rx4 ;;
    rxe_import) echo "$root"/tests/data/rxe/*.rxe ;;
    rxw_import) echo "$root"/tests/data/rxw/*.rxw ;;
    rtf_reader) echo "$root"/tests/data/rtf/*.rtf ;;
  esac
}

# Longest input (0: as long as the longest sample). The RTF reader runs
# through Qt, and a whole report takes it a twentieth of a second; projects
# with results are read with their actual values. Parts of the samples cover
# the same code several times faster.
max_len() {
  case "$1" in
    rtf_reader | project_file | project_roundtrip) echo 4096 ;;
    *) echo 0 ;;
  esac
}

dictionary() {
  case "$1" in
    project_file | project_roundtrip) echo "$fuzz/dict/project_file.dict" ;;
    rx4_import | module_input | synthesis) echo "$fuzz/dict/module_input.dict" ;;
    *) echo "$fuzz/dict/$1.dict" ;;
  esac
}

# The corpus folders of a run: the build folder's own (written) first.
prepare_corpus() {
  local t="$1"
  local seeds="$build/seeds/$t"
  mkdir -p "$build/corpus/$t" "$build/artifacts/$t" "$seeds" "$fuzz/corpus/$t"
  local f
  for f in $(seed_files "$t"); do
    [ -f "$f" ] && cp -f "$f" "$seeds/"
  done
  echo "$build/corpus/$t" "$fuzz/corpus/$t" "$seeds"
}

run_target() {
  local t="$1" seconds="$2"
  shift 2
  local corpus dict
  corpus=$(prepare_corpus "$t")
  local options=(-max_total_time="$seconds" -timeout=60 -rss_limit_mb=2048 -malloc_limit_mb=512
    -max_len="$(max_len "$t")" -print_final_stats=1 -artifact_prefix="$build/artifacts/$t/")
  dict=$(dictionary "$t")
  [ -f "$dict" ] && options+=(-dict="$dict")
  echo "== fuzz_$t ($seconds s)"
  # Short allocation stacks and a smaller quarantine: the targets allocate
  # much, and full stacks for every allocation halve their speed.
  # shellcheck disable=SC2086
  ASAN_OPTIONS=malloc_context_size=4:quarantine_size_mb=16 \
    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 LSAN_OPTIONS="suppressions=$fuzz/lsan.supp" \
    "$build/bin/fuzz_$t" "${options[@]}" "$@" $corpus
}

merge_target() {
  local t="$1" corpus
  corpus=$(prepare_corpus "$t")
  local merged="$build/merged/$t"
  rm -rf "$merged" && mkdir -p "$merged"
  # shellcheck disable=SC2086
  "$build/bin/fuzz_$t" -merge=1 -timeout=60 -rss_limit_mb=2048 "$merged" $corpus
  rm -rf "${fuzz:?}/corpus/$t" && mv "$merged" "$fuzz/corpus/$t"
  echo "tests/fuzz/corpus/$t: $(ls "$fuzz/corpus/$t" | wc -l) files, $(du -sk "$fuzz/corpus/$t" | cut -f1) KiB"
}

[ $# -ge 1 ] || usage
case "$1" in
  --list) targets ;;
  --all)
    [ $# -eq 2 ] || usage
    mapfile -t all < <(targets)
    configure_and_build "${all[@]}"
    passed=0 failed=()
    for t in "${all[@]}"; do
      if run_target "$t" "$2"; then passed=$((passed + 1)); else failed+=("$t"); fi
    done
    [ ${#failed[@]} -eq 0 ] || echo "Findings (see $build/artifacts/): ${failed[*]}"
    echo "fuzz: $passed passed, ${#failed[@]} failed"
    [ ${#failed[@]} -eq 0 ] ;;
  --merge)
    [ $# -eq 2 ] && is_target "$2" || usage
    configure_and_build "$2"
    merge_target "$2" ;;
  -*) usage ;;
  *)
    [ $# -ge 2 ] && is_target "$1" || usage
    t="$1" seconds="$2"
    shift 2
    configure_and_build "$t"
    run_target "$t" "$seconds" "$@" ;;
esac
