#!/usr/bin/env bash
# Builds Tonforge three times (Release in build/, Debug with address and undefined-behaviour sanitizers in
# build-asan/, Release with clang in build-clang/) and runs the whole test suite in each; then builds the
# sound and program tests with the thread sanitizer (build-tsan/) and runs them, the edit-during-playback
# stress among them. Every build and every suite runs even when an earlier one failed; the script exits
# non-zero when anything failed.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
jobs=$(nproc 2>/dev/null || echo 2)

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
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
build_and_test build-asan -DCMAKE_BUILD_TYPE=Debug -DTONFORGE_SANITIZE=ON -DTONFORGE_BENCH=OFF
# A second compiler: renders must come out byte for byte the same whoever compiled them.
CC=clang CXX=clang++ build_and_test build-clang -DCMAKE_BUILD_TYPE=Release -DTONFORGE_BENCH=OFF
# The playback thread against the main thread's edits: a race shows here as a failure.
export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1
TONFORGE_TARGETS="audio_tests app_tests" build_and_test build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTONFORGE_THREAD_SANITIZE=ON -DTONFORGE_BENCH=OFF
exit $status
