#!/usr/bin/env bash
# Builds Tonforge (installing the build packages when they are missing) and renders the demo song of the
# program folder to a WAV file: app/Tracks/Demo.wav, or the path given as the first argument.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
jobs=$(nproc 2>/dev/null || echo 2)
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release
cmake --build build -j"$jobs" --target tonforge-programs
out="${1:-app/Tracks/Demo.wav}"
./build/tonforge-render app/Songs/Demo.tes "$out"
echo "Rendered $out"
