#pragma once
// Pieces the panels share: showing and hiding controls, vertical sliders with their two arrows, and texts that
// controls point at which live as long as the panel does.
#include <array>
#include <cstdint>
#include <memory>
#include <string_view>

#include "ui/ui.h"

namespace tonforge {

// The captions of the arrow buttons beside sliders.
inline constexpr int32_t kArrowUpCaption = 1;
inline constexpr int32_t kArrowDownCaption = 2;
// And beside horizontal sliders.
inline constexpr int32_t kArrowLeftCaption = 4;
inline constexpr int32_t kArrowRightCaption = 5;
// The frame kind of those arrows: the small square one.
inline constexpr uint32_t kArrowFrame = 0;

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

}  // namespace tonforge
