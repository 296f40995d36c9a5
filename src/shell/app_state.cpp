#include "shell/app_state.h"

namespace tonforge {

void StartCore(AppState& app, std::string_view programFolder) {
  SetOutputRate(app.rate, 44100, 120.0f, 48);
  SeedRandom(app.random);
  BuildTables(app.tables);
  SetUpFolders(app.folders, programFolder);
}

AppState::~AppState() {
  playback.mode.store(0, std::memory_order_release);
  if (playback.worker.joinable()) playback.worker.join();
}

}  // namespace tonforge
