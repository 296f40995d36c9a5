#pragma once
// Pieces the panels share: showing and hiding controls, giving sliders their values, vertical sliders with their
// two arrows, texts that controls point at which live as long as the panel does, running a core command from a
// control and drawing what it changed at once, and the switch between the track chain and song chain panels
// that follows the current track.
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>

#include "ui/ui.h"

namespace tonforge {

struct AppState;

// The captions of the arrow buttons beside sliders.
inline constexpr int32_t kArrowUpCaption = 1;
inline constexpr int32_t kArrowDownCaption = 2;
// And beside horizontal sliders.
inline constexpr int32_t kArrowLeftCaption = 4;
inline constexpr int32_t kArrowRightCaption = 5;
// The frame kind of those arrows: the small square one.
inline constexpr uint32_t kArrowFrame = 0;

// Shows or hides one control; a hidden control is neither drawn nor pressed.
inline void SetEnabled(Button& b, bool on) { b.flags = on ? (b.flags | ButtonFlag::Enabled) : (b.flags & ~ButtonFlag::Enabled); }
inline void SetEnabled(ValueControl& v, bool on) {
  v.flags = on ? (v.flags | ValueFlag::Enabled) : (v.flags & ~ValueFlag::Enabled);
}
inline void SetEnabled(Label& l, bool on) { l.enabled = on ? 1u : 0u; }
// Shows or hides every control of a panel.
void SetAllEnabled(PanelWindow& panel, bool on);

// Gives a slider its range and value and places its knob, except while the user drags it: the knob then
// stays under the pointer and the value it reports on release is the user's.
void ShowValue(ValueControl& v, int32_t value);
void ShowValue(ValueControl& v, int32_t value, int32_t start, int32_t end);
// Sets a value control's range and value and places its knob even while it is dragged: for lists whose
// slider follows the selection, so the knob snaps to the row the selection landed on.
void SetRange(ValueControl& v, int32_t start, int32_t end, int32_t value);

struct VerticalSliderPlace {
  int32_t x = 0, y = 0, length = 0;
  int32_t top = 0, bottom = 0;  // values at the two ends
  int32_t value = 0;
};
// A vertical slider with an arrow above it and one below, the arrows added as the panel's next two buttons
// (up, then down). An arrow moves the knob one step toward its end and then runs the slider's handler.
// Returns the slider's index.
int32_t AddVerticalSlider(PanelWindow& panel, const VerticalSliderPlace& place, ControlHandler handler,
                          uint32_t argument = 0);

// A text a control points at. Names are copied in, so a control never points into a record that a command
// may free before the panel is refreshed.
using TextBuffer = std::array<char, 64>;
void SetText(TextBuffer& buffer, std::string_view text);

// Texts for a panel's controls, kept alive by the panel's routines.
template <size_t N>
using PanelTexts = std::shared_ptr<std::array<TextBuffer, N>>;
template <size_t N>
PanelTexts<N> MakePanelTexts() {
  return std::make_shared<std::array<TextBuffer, N>>();
}

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

// The track chain panel belongs to normal tracks, the song chain panel to the GlobalTrack: whichever of the
// two is open is swapped for the other when the current track has crossed between them. The main loop
// calls it after keyboard commands too; the track list panel calls it on every refresh.
void FollowTrackPanels(Ui& ui);

// After a command: swaps the chain panels when needed and runs the refresh of every panel the command asked
// to redraw, so the screen shows the result before the next message.
void ShowCommandResult(Ui& ui, AppState& app);

// A handler that runs `command` with the control's argument, then shows what it changed.
ControlHandler Command(Ui& ui, AppState& app, std::function<void(AppState&, uint32_t)> command);

}  // namespace tonforge
