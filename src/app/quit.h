#pragma once
#include "app/app_state.h"

namespace tonforge {

// Ends the main loop after its present pass: the worker, if any, is stopped first so that shutdown runs
// with none.
void RequestQuit(AppState& app);
// The Control Centre's close box and the window manager's close: quits unless a modified song's question
// was cancelled or its save failed.
void QuitUnlessChangesWouldBeLost(AppState& app);

}  // namespace tonforge
