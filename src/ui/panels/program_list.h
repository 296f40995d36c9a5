#pragma once
// Panel 1, the program list: New, Delete, Copy, Load and Save Program, nine rows of program names and the list
// slider with its arrows.
#include "ui/ui.h"

namespace tonforge {

struct AppState;

void BuildProgramListPanel(Ui& ui, AppState& app);

}  // namespace tonforge
