#pragma once
// The chain editor: which chain it shows (the current program's or the current track's), the engine at its
// selected position, and the commands that replace, move, copy and paste engines.
#include <array>
#include <cstdint>

#include "song/session.h"

namespace tonforge {

// The chain the editor works on, or no engines when its program or track does not exist.
struct EditedChain {
  std::array<Engine, kChainLength>* engines = nullptr;
  Program* program = nullptr;  // set in program mode
  Track* track = nullptr;      // set in track mode
  uint32_t levelBit = 0;       // kLevelProgram, kLevelTrack, or kLevelSong for the GlobalTrack's chain
};
EditedChain CurrentChain(Session& session);
// The engine types offered for the edited chain.
const TypeList& EngineTypesFor(Session& session);

// Switching the mode returns the engine type list to its first row.
void SetChainMode(Session& session, ChainMode mode);
void SelectProgramChainPosition(Session& session, int32_t position);
void SelectTrackChainPosition(Session& session, int32_t position);

// Replaces the engine at the selected position with a new one of the type list's selected type.
void SetEngineType(Session& session);
// Swap the selected engine with its neighbour; the selection goes with it.
void MoveEngineUp(Session& session);
void MoveEngineDown(Session& session);

void CopyEngine(Session& session);
// Only when the clipboard's engine is allowed at the edited chain's level.
void PasteEngine(Session& session);
void ClearEngineClipboard(Session& session);

}  // namespace tonforge
