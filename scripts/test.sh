#!/usr/bin/env bash
# Builds and runs every test twice: with g++, then with clang under
# AddressSanitizer and UndefinedBehaviorSanitizer, followed by the fuzz targets
# of that build within one total time budget. A third clang build runs the
# whole-program, platform and threading tests under ThreadSanitizer.
#   ZANDREL_JOBS          parallel jobs (default: all processors)
#   ZANDREL_FUZZ_SECONDS  the fuzzing budget in seconds (default: 120)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
scripts/setup-deps.sh

jobs=${ZANDREL_JOBS:-$(nproc)}
fuzz_budget=${ZANDREL_FUZZ_SECONDS:-120}

# shellcheck source=scripts/lib/quietly.sh
source scripts/lib/quietly.sh

# Builds the targets of $targets (all when empty) and runs the tests ctest
# selects with $tests (all when empty).
targets=()
tests=()
configure_and_test() {
  local dir=$1
  shift
  mkdir -p "$dir"
  quietly "$dir/configure.log" cmake -S . -B "$dir" -G Ninja "$@"
  quietly "$dir/build.log" cmake --build "$dir" -j "$jobs" ${targets[@]+--target "${targets[@]}"}
  # Only failures and the summary are shown.
  local status=0
  ctest --test-dir "$dir" -j "$jobs" --output-on-failure --timeout 600 ${tests[@]+"${tests[@]}"} \
    >"$dir/ctest.log" 2>&1 || status=$?
  grep -Ev '^ *Start +[0-9]+:|Test +#[0-9]+: .* Passed|^Internal ctest changing' "$dir/ctest.log" || true
  return $status
}

echo "== g++ build"
configure_and_test build/gcc -DCMAKE_C_COMPILER=gcc -DCMAKE_CXX_COMPILER=g++ -DCMAKE_BUILD_TYPE=RelWithDebInfo

echo "== clang build with sanitizers"
export ASAN_OPTIONS=halt_on_error=1:detect_leaks=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
export LSAN_OPTIONS=suppressions=$root/tests/lsan.supp:print_suppressions=0
configure_and_test build/asan -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZANDREL_SANITIZE=ON -DZANDREL_FUZZ=ON -DZANDREL_BENCH=OFF

fuzzers=()
if [[ -d build/asan/fuzz ]]; then
  mapfile -t fuzzers < <(find build/asan/fuzz -maxdepth 1 -type f -name 'fuzz_*' -executable | sort)
fi
if [[ ${#fuzzers[@]} -eq 0 ]]; then
  echo "== no fuzz targets"
else
  per_target=$((fuzz_budget / ${#fuzzers[@]}))
  [[ $per_target -ge 1 ]] || per_target=1
  echo "== fuzzing ${#fuzzers[@]} targets, ${per_target}s each"
  for target in "${fuzzers[@]}"; do
    name=$(basename "$target")
    corpus=$root/build/asan/fuzz-corpus/$name
    artifacts=$root/build/asan/fuzz-artifacts/$name/
    mkdir -p "$corpus" "$artifacts"
    if [[ -d fuzz/corpus/$name ]]; then cp -r "fuzz/corpus/$name/." "$corpus/"; fi
    echo "-- $name"
    (cd build/asan && quietly "$name.log" "$root/$target" -max_total_time="$per_target" -timeout=10 \
      -rss_limit_mb=2048 -print_final_stats=0 -artifact_prefix="$artifacts" "$corpus")
  done
fi
echo "== clang build with ThreadSanitizer: whole-program, platform and threading tests"
export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:suppressions=$root/tests/tsan.supp"
targets=(zandrel sample_project test_e2e test_platform test_library)
tests=(-L 'e2e|platform')
configure_and_test build/tsan -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZANDREL_TSAN=ON -DZANDREL_BENCH=OFF
# The library's tests that start threads: workers, the frame clock, music and sound.
quietly build/tsan/ctest-threads.log ctest --test-dir build/tsan -j "$jobs" --output-on-failure --timeout 600 \
  -L library -R '^(ThreadTest|FrameTimingTest|BgmTest|MidiPlayerTest|SoundEffects|LogTest)\.'
echo "== all tests passed"
