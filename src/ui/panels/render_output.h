#pragma once
// Panel 2, render and output: the render quality and the Render button, the three statistics lines, the
// three OutputRate buttons, and wave file playback (Select Wave, Stop).
#include "ui/ui.h"

namespace tonforge {

struct AppState;

void BuildRenderOutputPanel(Ui& ui, AppState& app);

}  // namespace tonforge
