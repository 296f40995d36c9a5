#!/usr/bin/env bash
# Remakes every picture of the interface from the real skins, captions and font, with no display: the ten
# panel pictures of the help page (app/Help/panel-N.png) and the README's start-up picture (docs/start-up.png).
# Builds the snapshot tool first when it is missing or out of date; the build folder is the first argument
# (build by default).
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DTONFORGE_BENCH=OFF
fi
cmake --build "$build" -j2 --target tonforge-snapshot
snapshot="$(cd "$build" && pwd)/tonforge-snapshot"
cd app
for panel in 0 1 2 3 4 5 6 7 8 9; do
  "$snapshot" "Help/panel-$panel.png" --panel "$panel"
done
"$snapshot" ../docs/start-up.png
echo "Pictures written: app/Help/panel-0.png to panel-9.png, docs/start-up.png"
