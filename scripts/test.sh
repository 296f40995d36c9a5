#!/usr/bin/env bash
# Builds Tonforge three ways and runs the test suite in each:
#   build/        Release with the system compiler (gcc): every test, the benchmarks built;
#   build-clang/  clang with the address and undefined-behaviour sanitizers: a second compiler, whose renders
#                 must come out byte for byte the same, and the memory checks in one build;
#   build-tsan/   the thread sanitizer, limited to the suites where a playing thread meets the main thread's
#                 edits: the sound and program suites and the panels worked during playback.
# Every build and every suite runs even when an earlier one failed; the script exits non-zero when anything
# failed.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
jobs=$(nproc 2>/dev/null || echo 2)
# Ninja schedules the many small targets better than make; a build folder keeps the generator it was made with.
export CMAKE_GENERATOR=${CMAKE_GENERATOR:-Ninja}

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1
status=0

# build_and_test DIR CMAKE-OPTIONS...: configures, builds and runs the suite in DIR; marks any failure.
# TONFORGE_TARGETS, when set, limits the build to those targets.
build_and_test() {
  local dir=$1
  shift
  local targets=()
  [ -n "${TONFORGE_TARGETS:-}" ] && targets=(--target ${TONFORGE_TARGETS})
  if cmake -S . -B "$dir" "$@" && cmake --build "$dir" -j"$jobs" "${targets[@]}"; then
    # The test programs left out of a limited build would only report that they were not built.
    (cd "$dir" && ctest --output-on-failure -j"$jobs" -E '_NOT_BUILT$') || status=1
  else
    echo "Build in $dir failed" >&2
    status=1
  fi
}

build_and_test build -DCMAKE_BUILD_TYPE=Release
# The sanitizers want light optimisation and line tables for their reports, no more: full debug information
# would only lengthen the builds.
CC=clang CXX=clang++ build_and_test build-clang -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTONFORGE_SANITIZE=ON \
  -DTONFORGE_BENCH=OFF -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -gline-tables-only -DNDEBUG"
# The playing thread against the main thread's edits: a race shows here as a failure.
TONFORGE_TARGETS="audio_tests app_tests ui_playback_tests" build_and_test build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTONFORGE_THREAD_SANITIZE=ON -DTONFORGE_BENCH=OFF -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG"
exit $status
