#!/usr/bin/env bash
# Builds the player and the sample-project generator, writes the sample project
# and plays it in a window. The terminal shows the build's progress and errors;
# the whole build output is kept in build/release/build.log.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup-deps.sh
mkdir -p build/release
log=build/release/build.log

# Ninja's "[n/m] ..." lines become one progress counter; error lines pass through.
show_progress() {
  local line
  while IFS= read -r line; do
    echo "$line" >>"$log"
    if [[ $line =~ ^\[([0-9]+/[0-9]+)\] ]]; then
      printf '\rbuilding %s' "${BASH_REMATCH[1]}"
    elif [[ $line == *error* || $line == FAILED* ]]; then
      printf '\n%s\n' "$line"
    fi
  done
  echo
}

: >"$log"
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DZANDREL_BENCH=OFF >>"$log" 2>&1
if ! cmake --build build/release -j "$(nproc)" --target zandrel mkproject 2>&1 | show_progress; then
  echo "build failed (whole output in $log)"
  exit 1
fi
project=build/sample-project
build/release/tools/mkproject "$project"
cd "$project"
exec ../release/src/zandrel "$@"
