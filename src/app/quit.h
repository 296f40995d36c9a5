#pragma once
#include "app/app_state.h"

namespace tonforge {

// Ends the main loop after its present pass: the worker, if any, is stopped first so that shutdown runs
// with none.
void RequestQuit(AppState& app);

}  // namespace tonforge
