#!/usr/bin/env bash
# The synthesizer as a person runs it: start build/tonforge on a virtual display with the demo song, play a
# note from the computer keyboard into SDL's disk audio driver, quit with Escape and Yes. Passes when the disk
# output holds sound and the program ends with status 0. Exit 77 (skipped) without Xvfb, xdotool or zenity.
# Usage: synthesizer_test.sh TONFORGE PROGRAM_FOLDER
set -u
tonforge=$1
folder=$2
source "$(dirname "$0")/e2e_common.sh"
require_tools xvfb-run xdotool zenity

cat >"$work/session.sh" <<'SESSION'
#!/usr/bin/env bash
set -u
tonforge=$1; folder=$2; work=$3
cd "$folder"
SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$work/out.raw" "$tonforge" Songs/Demo.tes >"$work/log" 2>&1 &
pid=$!
win=$(xdotool search --sync --name '^Tonforge( - .*)?$' | head -n 1)
# A loaded machine may take a while to show the first picture and read the keyboard: give the key focus, then
# hold it long enough for several passes of the main loop.
xdotool windowfocus --sync "$win" 2>/dev/null
sleep 2
xdotool keydown z; sleep 1; xdotool keyup z  # a note of the current program
sleep 1
xdotool keydown Escape; sleep 0.2; xdotool keyup Escape
box=$(timeout 20 xdotool search --sync --name '^Quit Program$' | head -n 1)
if [ -z "$box" ]; then echo "no quit question appeared"; kill "$pid"; exit 1; fi
xdotool windowfocus --sync "$box"; sleep 0.3
xdotool key Tab; sleep 0.2; xdotool key Return  # No has the focus; Tab moves to Yes
for _ in $(seq 1 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$pid" 2>/dev/null; then echo "still running after Yes"; kill "$pid"; exit 1; fi
wait "$pid"
echo "exit status $?" >"$work/status"
SESSION
chmod +x "$work/session.sh"

timeout 120 xvfb-run -a -s "-screen 0 1280x800x24" "$work/session.sh" "$tonforge" "$folder" "$work" || {
  echo "session failed"; cat "$work/log"; exit 1; }
cat "$work/log"
status=$(cat "$work/status" 2>/dev/null)
[ "$status" = "exit status 0" ] || { echo "tonforge ended with: ${status:-nothing}"; exit 1; }
[ -s "$work/out.raw" ] || { echo "no audio reached the device"; exit 1; }
if ! od -An -tx1 -v "$work/out.raw" | tr -d ' \n' | grep -q '[1-9a-f]'; then
  echo "the device played only silence"; exit 1
fi
echo "1 passed, 0 failed"
