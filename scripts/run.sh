#!/usr/bin/env bash
# Builds Tonforge (installing what it needs on Debian or Ubuntu) and starts the synthesizer in the program folder
# app/ with the demo song loaded. Where no display can be opened (a remote shell, a container) the synthesizer
# says so in one line, and the demo song is rendered to app/Tracks/Demo.wav with tonforge-render instead.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
jobs=$(nproc 2>/dev/null || echo 2)
# Ninja schedules the many small targets better than make; a build folder keeps the generator it was made with.
export CMAKE_GENERATOR=${CMAKE_GENERATOR:-Ninja}
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release
cmake --build build -j"$jobs" --target tonforge-programs
cd app
status=0
../build/tonforge Songs/Demo.tes || status=$?
if [ "$status" -eq 1 ]; then
  echo "Rendering the demo song to app/Tracks/Demo.wav instead."
  ../build/tonforge-render Songs/Demo.tes Tracks/Demo.wav
  exit 0
fi
exit "$status"
