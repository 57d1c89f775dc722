#!/usr/bin/env bash
# Installs the dependencies, builds, and runs every test: the layer check,
# all CTest suites, the Qt-free suites again under the sanitizers, and a
# short run of every fuzz target.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${VEMRA_BUILD_DIR:-$root/build}"
"$root/scripts/install-deps.sh"
"$root/scripts/check-layers.sh"
"$root/scripts/build.sh"
(cd "$build" && LC_ALL=de_DE.UTF-8 QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j 2 --timeout 600)
"$root/scripts/sanitize.sh"
"$root/scripts/fuzz.sh" --all "${VEMRA_FUZZ_SECONDS:-10}"
