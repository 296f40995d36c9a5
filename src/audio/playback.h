#pragma once
// Ownership of the sound between the main thread and the one worker thread.
#include "shell/app_state.h"

namespace tonforge {

// Ends the current worker, whatever its mode, and puts the song back at rest. Safe to call when idle.
void StopPlayback(AppState& app);

}  // namespace tonforge
