#!/usr/bin/env bash
# A killed synthesizer loses nothing: start build/tonforge on a virtual display with a copy of the demo song and
# an autosave every 2 seconds, make a change (F9 inserts a volume event), wait for the autosave, kill the
# program with SIGKILL, start it again, answer Yes to "Recover Unsaved Changes To ...?", save with Ctrl+S and
# quit with Escape and Yes. Passes when the song file then holds exactly the last autosave's bytes and the
# clean quit left no autosave. Exit 77 (skipped) without Xvfb or xdotool.
# Usage: recovery_test.sh TONFORGE PROGRAM_FOLDER (KEEP_WORK=1 keeps the scratch folder for a look afterwards)
set -u
tonforge=$1
folder=$2
for tool in xvfb-run xdotool; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
work=$(mktemp -d)
trap '[ -n "${KEEP_WORK:-}" ] || rm -rf "$work"' EXIT
cp "$folder/Songs/Demo.tes" "$work/song.tes"

cat >"$work/session.sh" <<'SESSION'
#!/usr/bin/env bash
set -u
tonforge=$1; folder=$2; work=$3
cd "$work"
export SDL_AUDIODRIVER=dummy XDG_STATE_HOME="$work/state" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data"
autosaves="$work/state/tonforge/autosave"
fail() { echo "$1"; kill -KILL "$pid" 2>/dev/null; exit 1; }
press() { xdotool keydown "$@"; sleep 0.3; xdotool keyup "$@"; }
# A box's window: focus it and choose Yes (No has the focus; Tab moves to Yes).
answer_yes() {
  local box
  box=$(timeout 30 xdotool search --sync --name "$1" | head -n 1)
  [ -n "$box" ] || fail "no box named $1 appeared"
  xdotool windowfocus --sync "$box"; sleep 0.3
  xdotool key Tab; sleep 0.2; xdotool key Return
}
focus_main() {
  win=$(timeout 30 xdotool search --sync --name "$1" | head -n 1)
  [ -n "$win" ] || fail "no window titled $1"
  xdotool windowfocus --sync "$win" 2>/dev/null
  sleep 1
}

"$tonforge" --data "$folder" --autosave-seconds 2 song.tes >"$work/first.log" 2>&1 &
pid=$!
focus_main '^Tonforge - '
sleep 1
press F9
for _ in $(seq 1 100); do ls "$autosaves"/song-*.tes >/dev/null 2>&1 && break; sleep 0.1; done
copy=$(ls "$autosaves"/song-*.tes 2>/dev/null | head -n 1)
[ -n "$copy" ] || fail "no autosave within 10 seconds"
sleep 3  # past the interval: nothing more changed, so nothing more is written
cp "$copy" "$work/last-autosave.tes"
kill -KILL "$pid"; wait "$pid" 2>/dev/null
cmp -s song.tes "$work/last-autosave.tes" && fail "the autosave holds the song without its change"

"$tonforge" --data "$folder" --autosave-seconds 2 song.tes >"$work/second.log" 2>&1 &
pid=$!
answer_yes '^Recover Unsaved Changes$'
focus_main '^Tonforge - .* \*$'  # recovered as a modified song
xdotool keydown ctrl; press s; xdotool keyup ctrl
for _ in $(seq 1 100); do
  case $(xdotool getwindowname "$win") in *' *') sleep 0.1 ;; *) break ;; esac
done
case $(xdotool getwindowname "$win") in *' *') fail "Ctrl+S did not save the recovered song" ;; esac
press Escape
answer_yes '^Quit Program$'
for _ in $(seq 1 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$pid" 2>/dev/null && fail "still running after Yes"
wait "$pid"
echo "exit status $?" >"$work/status"
SESSION
chmod +x "$work/session.sh"

timeout 150 xvfb-run -a -s "-screen 0 1280x800x24" "$work/session.sh" "$tonforge" "$folder" "$work" || {
  echo "session failed"; cat "$work"/*.log; exit 1; }
cat "$work"/*.log
status=$(cat "$work/status" 2>/dev/null)
[ "$status" = "exit status 0" ] || { echo "tonforge ended with: ${status:-nothing}"; exit 1; }
cmp "$work/song.tes" "$work/last-autosave.tes" || { echo "the saved song differs from the last autosave"; exit 1; }
if ls "$work/state/tonforge/autosave/"*.tes >/dev/null 2>&1; then echo "a clean quit left the autosave"; exit 1; fi
echo "1 passed, 0 failed"
