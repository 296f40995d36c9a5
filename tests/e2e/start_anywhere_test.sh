#!/usr/bin/env bash
# The synthesizer started from folders other than its program folder, on a virtual display: its window must
# show the skins (the splash's many colours), never a black window of empty panels. Exit 77 (skipped) without
# Xvfb or xdotool.
# Usage: start_anywhere_test.sh TONFORGE FOLDER...
set -u
tonforge=$1
shift
source "$(dirname "$0")/e2e_common.sh"
require_tools xvfb-run xdotool od

cat >"$work/session.sh" <<'SESSION'
#!/usr/bin/env bash
set -u
tonforge=$1; folder=$2; work=$3; skinned=$4
cd "$folder"
SDL_AUDIODRIVER=dummy XDG_DATA_HOME="$work/xdg" "$tonforge" >"$work/log" 2>&1 &
pid=$!
timeout 30 xdotool search --sync --name '^Tonforge( - .*)?$' >/dev/null || { echo "no window"; kill "$pid"; exit 1; }
# Xvfb keeps the screen in an XWD file; the pixels follow its header and colour map. A loaded machine may take
# a while over the first picture, so the screen is looked at again each second, for up to twenty seconds.
for _ in $(seq 20); do
  sleep 1
  cp "$work/fb/Xvfb_screen0" "$work/screen"
  [ "$(od -An -v -tx4 -w4 "$work/screen" | sort -u | wc -l)" -ge "$skinned" ] && break
done
kill "$pid"
wait "$pid" 2>/dev/null
exit 0
SESSION
chmod +x "$work/session.sh"

# Fewer colours than this is a window without its skins.
skinned=1000
failures=0
for folder in "$@"; do
  rm -rf "$work/fb" && mkdir -p "$work/fb"
  if ! timeout 90 xvfb-run -a -s "-screen 0 1024x768x24 -fbdir $work/fb" "$work/session.sh" "$tonforge" "$folder" "$work" "$skinned"; then
    echo "FAIL from $folder: $(cat "$work/log" 2>/dev/null)"; failures=$((failures + 1)); continue
  fi
  colours=$(od -An -v -tx4 -w4 "$work/screen" | sort -u | wc -l)
  if [ "$colours" -lt "$skinned" ]; then
    echo "FAIL from $folder: only $colours colours on the screen (no skins?): $(cat "$work/log")"
    failures=$((failures + 1))
  else
    echo "from $folder: $colours colours"
  fi
done
exit $((failures > 0))
