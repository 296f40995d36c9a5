#include "app/run.h"

#include <iostream>

#include "app/quit.h"
#include "audio/live_output.h"
#include "audio/output_rate.h"
#include "programs/chain_editing.h"
#include "programs/program_list.h"
#include "sequencer/song.h"
#include "sequencer/song_clock.h"
#include "sequencer/song_file.h"
#include "shell/show_error.h"

namespace tonforge {

namespace {

constexpr const char* kUsage =
    "Usage: tonforge [SONG.tes]\n"
    "Starts the Tonforge synthesizer in the current folder, the program folder (app/ in the sources).\n"
    "  SONG.tes  a song to load at start-up instead of a new one\n"
    "  --help    prints this text\n"
    "Without a display, tonforge-render renders songs to WAV files.\n";

constexpr int kIdleWaitMilliseconds = 1;

// Stands in for a keyboard that could not be opened: no key is ever down.
class NoKeyboard : public Keyboard {
public:
  bool ReadState(KeyStates&) override { return false; }
};

}  // namespace

std::optional<StartOptions> ParseCommandLine(const std::vector<std::string>& args, std::string& out,
                                             std::string& err, int& exitCode) {
  StartOptions options;
  for (const std::string& arg : args) {
    if (arg == "--help" || arg == "-h") {
      out = kUsage;
      exitCode = 0;
      return std::nullopt;
    }
    if (arg.starts_with("-") || !options.songPath.empty()) {
      err = "tonforge: " + (arg.starts_with("-") ? "unknown option " + arg : "only one song, not " + arg) + "\n" +
            kUsage;
      exitCode = 2;
      return std::nullopt;
    }
    options.songPath = arg;
  }
  return options;
}

KeyboardHooks ProgramKeyboardHooks(AppState& app) {
  return KeyboardHooks{[&app] { SaveSong(app); }, [&app](int32_t rate) { SwitchOutputRate(app, rate); },
                       [&app] { RequestQuit(app); }};
}

Keyboard* StartUp(AppState& app, Host& host, const StartOptions& options, const std::string& programFolder) {
  host.LoadSkins();
  Keyboard* keyboard = host.OpenKeyboard();  // nothing is reported for the keyboard
  app.sound = host.OpenSoundDevice(44100);
  if (app.sound == nullptr) ShowError(app.dialogs, "Could Not Open Sound Device");
  SetOutputRate(app.rate, 44100, 120.0f, app.song.ticksPerBeat);
  app.song.tempo = 120.0f;
  host.LoadCaptionsAndFont();
  StartCore(app, programFolder);
  NewSong(app);
  if (!options.songPath.empty() && LoadSongFile(app, options.songPath) == SongFileResult::CannotOpen)
    std::cerr << "tonforge: cannot open " << options.songPath << "; starting with a new song\n";
  host.BuildPanels(app);
  return keyboard;
}

void RunIdleStep(AppState& app, KeyboardHandler& keys) {
  PlaybackState& p = app.playback;
  if (!IsPlaybackIdle(app)) {
    if (p.songEndReached.load(std::memory_order_acquire) != 0) {
      StopPlayback(app);
      p.songEndReached.store(0, std::memory_order_release);
    }
    return;
  }
  PollKeyboard(app, keys);
  // A quit from the keyboard ends the loop before another block is rendered.
  if (app.quitRequested.load(std::memory_order_acquire) == 0) ServeLiveOutput(app);
}

void RunMainLoop(AppState& app, Host& host, KeyboardHandler& keys) {
  app.quitRequested.store(0, std::memory_order_release);
  while (app.quitRequested.load(std::memory_order_acquire) == 0) {
    if (host.DispatchEvent()) continue;
    RunIdleStep(app, keys);
    host.Refresh(app);
    if (app.quitRequested.load(std::memory_order_acquire) == 0) host.WaitForEvent(kIdleWaitMilliseconds);
  }
}

void ShutDown(AppState& app, Host& host) {
  StopPlayback(app);  // RequestQuit has stopped it already; a loop ended otherwise must not leave a worker
  host.FreePanels();
  FreeAllPrograms(app);
  DeleteAllTracks(app);
  ClearEngineClipboard(app);
  app.editor.clipboard = EventClipboard{};
  app.sound = nullptr;
  host.CloseDevices();
}

int RunTonforge(AppState& app, Host& host, const StartOptions& options, const std::string& programFolder) {
  Keyboard* keyboard = StartUp(app, host, options, programFolder);
  NoKeyboard noKeyboard;
  KeyboardHandler keys(keyboard != nullptr ? *keyboard : noKeyboard, host.DesktopShell(), ProgramKeyboardHooks(app));
  RunMainLoop(app, host, keys);
  ShutDown(app, host);
  return 0;
}

}  // namespace tonforge
