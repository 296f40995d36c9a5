// The synthesizer's entry point: opens the main window (or says in one line why it cannot), then runs the
// program from the current folder, the program folder.
#include <SDL.h>

#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "app/run.h"
#include "platform/sdl/sdl_dialogs.h"
#include "platform/sdl/sdl_host.h"

int main(int argc, char** argv) {
  using namespace tonforge;
  std::string out, err;
  int exitCode = 0;
  const std::optional<StartOptions> options =
      ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc), out, err, exitCode);
  if (!options) {
    std::cout << out;
    std::cerr << err;
    return exitCode;
  }

  std::string reason;
  std::unique_ptr<SdlWindow> window = SdlWindow::Open(reason);
  if (!window) {
    std::cerr << "tonforge: " << kCouldNotOpenDisplay << " (" << reason
              << "); to render songs without a display use tonforge-render\n";
    return 1;
  }
  std::error_code ec;
  std::string programFolder = std::filesystem::current_path(ec).string();
  SdlDialogs dialogs;
  SdlHost host(std::move(window), programFolder, dialogs);
  auto app = std::make_unique<AppState>(dialogs);
  const int status = RunTonforge(*app, host, *options, programFolder);
  if (!host.SoundProblem().empty()) std::cerr << "tonforge: no sound device: " << host.SoundProblem() << "\n";
  app.reset();
  SDL_Quit();
  return status;
}
