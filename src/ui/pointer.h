#pragma once
// The platform's mouse, in main-window coordinates, turned into the window messages of the panels: presses
// and releases in a client area go to its controls, the title bar moves the panel, the close box closes it.
#include <cstdint>

#include "ui/ui.h"

namespace tonforge {

enum class PointerAction { LeftDown, LeftUp, RightDown, RightUp, Move, Wheel };

struct PointerEvent {
  PointerAction action = PointerAction::Move;
  Point at;  // main-window coordinates
  int32_t notches = 0;  // Wheel: positive away from the user
  bool shift = false;   // Shift held: the wheel steps ten or scrolls sideways, a drag moves finely
  int32_t clicks = 1;   // LeftDown: 2 for the second press of a double click
};

void HandlePointer(Ui& ui, const PointerEvent& event);

}  // namespace tonforge
