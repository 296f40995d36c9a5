#pragma once
// Names typed in place: a button turns into a field (style 5) that shows the text being typed with its
// caret, while the TextEntry of the sequencer takes the keys and writes the name.
#include <cstdint>

#include "sequencer/text_entry.h"
#include "ui/ui.h"

namespace tonforge {

struct AppState;

// Starts the entry and shows it on up to two buttons: the field, and for a program name its list row.
void StartNameEdit(Ui& ui, AppState& app, TextField field, int32_t target, int32_t maximum, ButtonRef shown,
                   ButtonRef row = {});
// Once the entry has ended: the fields become push buttons again and their panels are redrawn. Called by
// TakeRedraws on every pass.
void FollowNameEdit(Ui& ui);
bool IsNameEditTarget(const Ui& ui, int32_t panel, int32_t button);

// A double click on the knob of an enabled value control at a screen point: a number is typed in its place, and
// when the entry ends (Enter, or a press anywhere) the control takes it within its range and reports as at the
// end of a drag; an empty entry leaves it as it was. False when no knob is there.
bool StartValueEditAt(Ui& ui, int32_t panel, Point screen);
// The control whose number is being typed.
bool IsValueEditTarget(const Ui& ui, int32_t panel, int32_t control);

}  // namespace tonforge
