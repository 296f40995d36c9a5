#pragma once
// The chain editor: which chain it shows (the current program's or the current track's), the engine at its
// selected position, and the commands that replace, move, copy and paste engines.
#include <array>
#include <cstdint>

#include "shell/app_state.h"

namespace tonforge {

// The chain the editor works on, or no engines when its program or track does not exist.
struct EditedChain {
  std::array<Engine, kChainLength>* engines = nullptr;
  Program* program = nullptr;  // set in program mode
  Track* track = nullptr;      // set in track mode
  uint32_t levelBit = 0;       // kLevelProgram, kLevelTrack, or kLevelSong for the GlobalTrack's chain
};
EditedChain CurrentChain(AppState& app);
// The engine types offered for the edited chain.
const TypeList& EngineTypesFor(AppState& app);

// Switching the mode returns the engine type list to its first row.
void SetChainMode(AppState& app, uint32_t mode);
void SelectProgramChainPosition(AppState& app, int32_t position);
void SelectTrackChainPosition(AppState& app, int32_t position);

// Replaces the engine at the selected position with a new one of the type list's selected type.
void SetEngineType(AppState& app);
// Swap the selected engine with its neighbour; the selection goes with it.
void MoveEngineUp(AppState& app);
void MoveEngineDown(AppState& app);

void CopyEngine(AppState& app);
// Only when the clipboard's engine is allowed at the edited chain's level.
void PasteEngine(AppState& app);
void ClearEngineClipboard(AppState& app);

}  // namespace tonforge
