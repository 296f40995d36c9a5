#pragma once
// The three kinds of controls a panel holds, with the flag bits that say how each is shown and stepped.
#include <cstdint>
#include <functional>

#include "ui/geometry.h"

namespace tonforge {

// What a control runs when the user has used it; the argument is the control's own (a row, slot, position or
// window number).
using ControlHandler = std::function<void(uint32_t argument)>;

// The text a control shows when it has none of its own.
inline constexpr const char* kNoText = "";

namespace ButtonFlag {
inline constexpr uint32_t Enabled = 1;
inline constexpr uint32_t ShowNumber = 4;
inline constexpr uint32_t StepDown = 8;
inline constexpr uint32_t StepUp = 16;
inline constexpr uint32_t Pressed = 32;
inline constexpr uint32_t ShowNoteName = 128;
inline constexpr uint32_t ShowBarBeat = 256;
inline constexpr uint32_t BeatDown = 512;
inline constexpr uint32_t BeatUp = 1024;
inline constexpr uint32_t OctaveDown = 2048;
inline constexpr uint32_t OctaveUp = 4096;
}  // namespace ButtonFlag

// Button styles by convention: the skin block each is drawn from.
namespace ButtonStyle {
inline constexpr uint32_t ListRow = 0;
inline constexpr uint32_t Push = 1;
inline constexpr uint32_t ToggleOff = 2;
inline constexpr uint32_t ToggleOn = 3;
inline constexpr uint32_t Field = 4;
inline constexpr uint32_t Editing = 5;
}  // namespace ButtonStyle

struct Button {
  int32_t captionOrValue = 0;
  const char* text = kNoText;  // shown instead of the caption when not empty
  uint32_t style = ButtonStyle::Push;
  uint32_t flags = ButtonFlag::Enabled;
  Rect rect;  // in the panel's outer coordinates
  uint32_t frameKind = 2;
  uint32_t attachedControl = 0;
  ControlHandler handler;
  uint32_t argument = 0;
};

namespace ValueFlag {
inline constexpr uint32_t Enabled = 1;
inline constexpr uint32_t StartIsUpper = 4;
inline constexpr uint32_t Vertical = 8;
inline constexpr uint32_t Horizontal = 16;
inline constexpr uint32_t Dragged = 32;
inline constexpr uint32_t StartIsLower = 64;
inline constexpr uint32_t ShowNoteName = 128;
}  // namespace ValueFlag

inline constexpr int32_t kHorizontalKnobWidth = 48;
inline constexpr int32_t kVerticalKnobWidth = 32;
inline constexpr int32_t kKnobHeight = 16;

struct ValueControl {
  uint32_t flags = ValueFlag::Enabled;
  int32_t x = 0, y = 0;  // top-left in the panel's outer coordinates
  int32_t length = 0;
  int32_t start = 0;  // value at the top or left end
  int32_t end = 0;    // value at the bottom or right end
  int32_t value = 0;
  Rect knob;  // relative to x, y
  ControlHandler handler;
  uint32_t argument = 0;
};

struct Label {
  uint32_t enabled = 1;
  int32_t caption = 0;
  const char* text = kNoText;
  Rect rect;  // in outer coordinates, one row below the top it was built with
};

}  // namespace tonforge
