#pragma once
// All of the running program's state: the studio (song, programs, voices, sound) and what only the running
// program has. main creates one and passes it by reference.
#include <atomic>
#include <cstdint>

#include "audio/studio.h"
#include "sequencer/autosave.h"
#include "history/history.h"

namespace tonforge {

struct AppState : Studio {
  using Studio::Studio;

  std::atomic<uint32_t> quitRequested{0};
  AutosaveState autosave;
  History history;  // undo and redo of the song's edits
};

}  // namespace tonforge
