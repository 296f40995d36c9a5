#pragma once
// Panel 4, the program editor: the current program's name, Auto Level, Load (replace) and Save, its chain of
// nine engines with the engine operations, and its pan and level.
#include "ui/ui.h"

namespace tonforge {

struct AppState;

void BuildProgramEditorPanel(Ui& ui, AppState& app);

}  // namespace tonforge
