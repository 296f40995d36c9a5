#pragma once
// All of the program's state in one place. Whoever runs the program (the synthesizer, the headless renderer,
// a test) creates one AppState and passes it by reference; nothing else is global.
#include <atomic>
#include <cstdint>
#include <string_view>

#include "engines/catalog.h"
#include "engines/context.h"
#include "platform/dialogs.h"
#include "shell/folders.h"
#include "shell/random.h"
#include "shell/tables.h"

namespace tonforge {

struct AppState {
  explicit AppState(Dialogs& dialogs) : dialogs(dialogs) {}
  AppState(const AppState&) = delete;
  AppState& operator=(const AppState&) = delete;

  Dialogs& dialogs;
  const EngineCatalog& catalog = BuildEngineCatalog();
  Tables tables;
  RandomGenerator random;
  Folders folders;
  OutputRate rate;
  std::atomic<uint32_t> quitRequested{0};
};

// The core's share of start-up: tables, random seed, folders and the 44100 Hz rate at 120 beats per minute.
void StartCore(AppState& app, std::string_view programFolder);

}  // namespace tonforge
