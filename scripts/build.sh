#!/usr/bin/env bash
# Configures and builds the tree into build/ (warnings are errors): every target, or only
# the targets named.
#
#   bash scripts/build.sh [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKESTROVA_WERROR=ON
targets=()
(($# == 0)) || targets=(--target "$@")
cmake --build build "${targets[@]}"
