// The synthesizer's entry point: finds the program folder and the user's workspace, opens the main window (or
// says in one line why it cannot), then runs the program.
#include <SDL.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "app/program_folder.h"
#include "app/run.h"
#include "platform/sdl/sdl_dialogs.h"
#include "platform/sdl/sdl_host.h"
#include "shell/window_settings.h"

namespace {

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

// The line goes to standard error; where a desktop is at hand it also shows in a box, since a program started
// from the menu has no terminal to read.
void SayBeforeWindow(const std::string& line) {
  std::cerr << line << "\n";
  if (Environment("DISPLAY").empty() && Environment("WAYLAND_DISPLAY").empty()) return;
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return;
  SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, "Tonforge", line.c_str(), nullptr);
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

}  // namespace

int main(int argc, char** argv) {
  using namespace tonforge;
  std::string out, err;
  int exitCode = 0;
  std::optional<StartOptions> options =
      ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc), out, err, exitCode);
  if (!options) {
    std::cout << out;
    std::cerr << err;
    return exitCode;
  }

  std::error_code ec;
  FolderSearch search;
  search.dataOption = options->dataFolder;
  search.currentFolder = std::filesystem::current_path(ec).string();
  search.executableFolder = std::filesystem::read_symlink("/proc/self/exe", ec).parent_path().string();
  search.installedFolder = TONFORGE_INSTALLED_DATA;
  const FoundFolder found = FindProgramFolder(search);
  if (found.path.empty()) {
    SayBeforeWindow(NoProgramFolderMessage(found));
    return 1;
  }
  const std::string& programFolder = found.path;
  // An installed folder is never written into, even by a user (root) who could.
  const bool ownWorkspace = !found.installed && IsWritableFolder(programFolder);
  const Workspace workspace = PrepareWorkspace(programFolder, ownWorkspace,
                                               UserWorkspaceFolder(Environment("XDG_DATA_HOME"), Environment("HOME")));
  options->workspace = workspace.path;
  options->autosaveFolder = AutosaveFolder(Environment("XDG_STATE_HOME"), Environment("HOME"));

  // The window comes back as it was left; a --scale given now wins and is remembered.
  const std::string settingsPath = WindowSettingsPath(Environment("XDG_CONFIG_HOME"), Environment("HOME"));
  const WindowSettings remembered = ReadWindowSettings(settingsPath);
  std::string reason;
  std::unique_ptr<SdlWindow> window = SdlWindow::Open(reason, options->scale > 0 ? options->scale : remembered.scale,
                                                      remembered.width, remembered.height);
  if (!window) {
    std::cerr << "tonforge: " << kCouldNotOpenDisplay << " (" << reason
              << "); to render songs without a display use tonforge-render\n";
    return 1;
  }
  SdlDialogs dialogs;
  // The workspace's trouble is shown but does not stop the program: its saves then say where they failed.
  if (!workspace.problem.empty()) dialogs.ShowMessage("Error", workspace.problem, BoxIcon::Error);
  SdlHost host(std::move(window), programFolder, dialogs);
  auto app = std::make_unique<AppState>(dialogs);
  const int status = RunTonforge(*app, host, *options, programFolder);
  FileFailure failure;
  if (!settingsPath.empty() && !WriteWindowSettings(settingsPath, host.WindowSettingsNow(), &failure))
    std::cerr << "tonforge: the window's size is not remembered: " << failure.path << ": " << failure.reason << "\n";
  if (!host.SoundProblem().empty()) std::cerr << "tonforge: no sound device: " << host.SoundProblem() << "\n";
  app.reset();
  SDL_Quit();
  return status;
}
