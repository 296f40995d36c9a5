#!/usr/bin/env bash
# Builds Tonforge twice (Release in build/, Debug with address and undefined-behaviour sanitizers in
# build-asan/) and runs the whole test suite in both. Exits non-zero when anything fails.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
jobs=$(nproc 2>/dev/null || echo 2)

cmake -S . -B build -DCMAKE_BUILD_TYPE=Release
cmake --build build -j"$jobs"
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DTONFORGE_SANITIZE=ON -DTONFORGE_BENCH=OFF
cmake --build build-asan -j"$jobs"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
status=0
(cd build && ctest --output-on-failure -j"$jobs") || status=1
(cd build-asan && ctest --output-on-failure -j"$jobs") || status=1
exit $status
