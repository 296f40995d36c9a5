#pragma once
// Panel 6, the song panel: the song's name with Load and Save Song, the song plug-in chain with Load and Save
// Program and the engine operations, the OutputRate, the skin and deck, HighPriority, and the beats per bar,
// ticks per beat and song level.
#include "ui/ui.h"

namespace tonforge {

struct AppState;

void BuildSongChainPanel(Ui& ui, AppState& app);

}  // namespace tonforge
