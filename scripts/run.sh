#!/usr/bin/env bash
# Builds the player and the sample-project generator, writes the sample project
# and plays it in a window. The terminal shows the build's progress; the whole
# output of configuring and building is kept in build/release/build.log, and a
# step that fails prints the last lines of it.
set -euo pipefail
cd "$(dirname "$0")/.."
# shellcheck source=scripts/lib/quietly.sh
source scripts/lib/quietly.sh
scripts/setup-deps.sh
mkdir -p build/release
log=build/release/build.log

# Ninja's "[n/m] ..." lines become one progress counter.
show_progress() {
  local line
  while IFS= read -r line; do
    echo "$line" >>"$log"
    if [[ $line =~ ^\[([0-9]+/[0-9]+)\] ]]; then printf '\rbuilding %s' "${BASH_REMATCH[1]}"; fi
  done
  echo
}

quietly "$log" cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DZANDREL_BENCH=OFF
build=(cmake --build build/release -j "$(nproc)" --target zandrel mkproject)
if ! "${build[@]}" 2>&1 | show_progress; then
  show_failure "$log" "${build[@]}"
  exit 1
fi
project=build/sample-project
build/release/tools/mkproject "$project"
cd "$project"
exec ../release/src/zandrel "$@"
