#pragma once
// Small pieces the track list, event list, engine editor and engine type list panels share: showing and
// hiding controls, running a core command from a control and drawing what it changed at once, and the
// switch between the track chain and song chain panels that follows the current track.
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>

#include "ui/ui.h"

namespace tonforge {

struct AppState;

inline void ShowButton(Button& b, bool shown) {
  b.flags = shown ? (b.flags | ButtonFlag::Enabled) : (b.flags & ~ButtonFlag::Enabled);
}
inline void ShowControl(ValueControl& v, bool shown) {
  v.flags = shown ? (v.flags | ValueFlag::Enabled) : (v.flags & ~ValueFlag::Enabled);
}
inline void ShowLabel(Label& l, bool shown) { l.enabled = shown ? 1u : 0u; }

// The track chain panel belongs to normal tracks, the song chain panel to the GlobalTrack: whichever of the
// two is open is swapped for the other when the current track has crossed between them. The main loop
// calls it after keyboard commands too; the track list panel calls it on every refresh.
void FollowTrackPanels(Ui& ui);

// After a command: swaps the chain panels when needed and runs the refresh of every panel the command asked
// to redraw, so the screen shows the result before the next message.
void ShowCommandResult(Ui& ui, AppState& app);

// A handler that runs `command` with the control's argument, then shows what it changed.
ControlHandler Command(Ui& ui, AppState& app, std::function<void(AppState&, uint32_t)> command);

// Sets a value control's range and value and places its knob.
void SetRange(ValueControl& v, int32_t start, int32_t end, int32_t value);

// A panel shows its own copy of a record's name: the record may be freed (a deleted track, a replaced
// engine) and the panel drawn again before the refresh that follows. Names need not end in a NUL.
template <std::size_t N, std::size_t M>
const char* KeepText(std::array<char, N>& kept, const std::array<char, M>& name) {
  static_assert(N > M, "room for the closing NUL");
  std::size_t n = 0;
  for (; n < M && name[n] != '\0'; ++n) kept[n] = name[n];
  kept[n] = '\0';
  return kept.data();
}

// The chosen place's first row follows a selection so that it stays among `rows` visible rows.
int32_t FollowSelection(int32_t selection, int32_t firstVisible, int32_t rows);

}  // namespace tonforge
