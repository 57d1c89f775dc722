#!/usr/bin/env bash
# Builds the Qt-free suites with AddressSanitizer and UndefinedBehaviorSanitizer
# and runs them: the model, the readers (including their fuzz tests over
# random and truncated files) and the computation. Any report fails the run.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${VEMRA_SANITIZE_DIR:-$root/build-sanitize}"
suites=(model_tests formats_tests commands_tests compute_tests)

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVEMRA_BUILD_GUI=OFF -DVEMRA_BUILD_BENCH=OFF \
  -DCMAKE_CXX_FLAGS="-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined"
cmake --build "$build" -j "$(nproc)" --target "${suites[@]}"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
for suite in "${suites[@]}"; do
  echo "== $suite (address and undefined-behaviour sanitizers)"
  LC_ALL=de_DE.UTF-8 "$build/bin/$suite" --gtest_brief=1
done
