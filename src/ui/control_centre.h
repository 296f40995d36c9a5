#pragma once
// Panel 0, the control centre: the song and program layouts (Undo and Redo between them come with the
// application's panels) and the eight toggles that open and close the
// other panels. Its toggles are the openers every other panel is opened through, so BuildPanels builds it
// together with the ten panel records, before any other panel's controls.
#include "ui/ui.h"

namespace tonforge {

void BuildControlCentrePanel(Ui& ui);

}  // namespace tonforge
