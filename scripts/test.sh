#!/usr/bin/env bash
# Builds and runs every test twice: with g++, then with clang under
# AddressSanitizer and UndefinedBehaviorSanitizer, followed by the fuzz targets.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
scripts/setup-deps.sh

jobs=$(nproc)
fuzz_budget=${ZANDREL_FUZZ_SECONDS:-120}

configure_and_test() {
  local dir=$1
  shift
  cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
  cmake --build "$dir" -j "$jobs"
  ctest --test-dir "$dir" -j "$jobs" --output-on-failure --timeout 600
}

echo "== g++ build"
configure_and_test build/gcc -DCMAKE_C_COMPILER=gcc -DCMAKE_CXX_COMPILER=g++ -DCMAKE_BUILD_TYPE=RelWithDebInfo

echo "== clang build with sanitizers"
export ASAN_OPTIONS=halt_on_error=1:detect_leaks=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
export LSAN_OPTIONS=suppressions=$root/tests/lsan.supp:print_suppressions=0
configure_and_test build/asan -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZANDREL_SANITIZE=ON -DZANDREL_FUZZ=ON -DZANDREL_BENCH=OFF

echo "== fuzzing (${fuzz_budget}s in all)"
mapfile -t targets < <(find build/asan/fuzz -maxdepth 1 -type f -name 'fuzz_*' -executable | sort)
if [[ ${#targets[@]} -gt 0 ]]; then
  per_target=$((fuzz_budget / ${#targets[@]}))
  [[ $per_target -ge 1 ]] || per_target=1
  for target in "${targets[@]}"; do
    name=$(basename "$target")
    corpus=build/asan/fuzz-corpus/$name
    mkdir -p "$corpus"
    [[ -d fuzz/corpus/$name ]] && cp -r "fuzz/corpus/$name/." "$corpus/"
    echo "-- $name (${per_target}s)"
    (cd build/asan && "$root/$target" -max_total_time="$per_target" -timeout=10 -rss_limit_mb=2048 \
      -print_final_stats=0 "$root/$corpus" 2>&1 | tail -n 3)
    [[ ${PIPESTATUS[0]} -eq 0 ]] || exit 1
  done
fi
echo "== all tests passed"
