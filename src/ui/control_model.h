#pragma once
// How the mouse works the controls: hit tests, pressing and releasing, dragging knobs, the arithmetic
// between knob places and values, and the step buttons attached to value controls. The window messages take
// a panel and a point in that panel's client coordinates.
#include <cstdint>
#include <string>

#include "ui/ui.h"

namespace tonforge {

// "C 4" for 4850; a pitch off the semitone's centre adds "-nn" or "+nn".
std::string NoteName(int32_t pitch);
// "bar:beat", both from 0.
std::string BarBeatText(int32_t ticks, BeatFigures beats);

// Integer arithmetic that truncates toward zero, as the knobs have always moved.
int32_t ValueFromKnob(const ValueControl& control);
// Places the knob for the control's value (all zero when start = end).
void PlaceKnob(ValueControl& control);
// The step flags of a button applied to its attached control; the right button steps the beat and octave
// buttons by 1 and the plain arrows not at all. True when the button carries any step flag.
bool ApplyStepFlags(ValueControl& control, uint32_t buttonFlags, int32_t ticksPerBeat, bool rightButton);

// The window messages.
void PressPanel(Ui& ui, int32_t panel, Point client);
// Release on the panel, then release-all.
void ReleasePanel(Ui& ui, int32_t panel, Point client);
void RightPressPanel(Ui& ui, int32_t panel, Point client);
// Right release on the panel, then clear-pressed.
void RightReleasePanel(Ui& ui, int32_t panel, Point client);
// Wheel notches (positive away from the user) over a panel: the value control under the pointer moves its
// knob up or right by a step a notch, ten with Shift; elsewhere the panel's list or view scrolls, sideways
// with Shift. The control then reports as at the end of a drag.
void WheelPanel(Ui& ui, int32_t panel, Point client, int32_t notches, bool shift);
// A mouse move anywhere, in screen coordinates: drags the knob by the motion since the last move.
// With `fine` (Shift held) a dragged knob moves its value by one step for every two pixels instead of
// following the pointer.
void MovePointer(Ui& ui, Point screen, bool fine = false);
void MovePointerOnPanel(Ui& ui, int32_t panel, Point client);
// After every left button up, on a panel or not: ends a knob drag and lifts every pressed button.
void ReleaseAll(Ui& ui);
// Lifts every pressed button of the open panels.
void ClearPressed(Ui& ui);

}  // namespace tonforge
