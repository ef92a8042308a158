#!/usr/bin/env bash
# Builds the player and plays the generated sample project in a window.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup-deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DZANDREL_BENCH=OFF >/dev/null
cmake --build build/release -j "$(nproc)"
project=build/sample-project
if [[ -x build/release/tools/mkproject ]]; then
  build/release/tools/mkproject "$project"
fi
mkdir -p "$project"
cd "$project"
exec ../release/src/zandrel "$@"
