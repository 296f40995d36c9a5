#pragma once
// Panel 3, the track panel: the current track's name, switch off and solo, its plug-in chain with Load and
// Save Program and the engine operations, and its seed, pan and level.
#include "ui/ui.h"

namespace tonforge {

struct AppState;

void BuildTrackChainPanel(Ui& ui, AppState& app);

}  // namespace tonforge
