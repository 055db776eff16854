#!/usr/bin/env bash
# Builds everything and runs the whole test suite: the normal build (warnings are errors),
# then the suite again under AddressSanitizer/UndefinedBehaviorSanitizer and the threaded
# tests under ThreadSanitizer, then a short run of every fuzz target.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
ctest --test-dir build --output-on-failure -j2
bash scripts/sanitize.sh
bash scripts/fuzz.sh 12
