#pragma once
// A run of the synthesizer: start-up, the main loop with its idle step, and shutdown.
#include <optional>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "app/host.h"
#include "sequencer/keyboard_commands.h"
#include "sequencer/midi_commands.h"
#include "shell/window_settings.h"

namespace tonforge {

struct StartOptions {
  std::string songPath;                 // a song to load at start-up instead of the new one, made absolute
  std::string dataFolder;               // --data DIR: the program folder to use, empty when not given
  std::string workspace;                // where the user's folders are; the program folder when empty
  uint32_t blockFrames = kBlockFrames;  // the live output's and song playback's block: the latency
  int32_t scale = 0;                    // --scale N: the interface enlarged N times; 0 for what fits
  int32_t voices = 16;                  // live voices: notes played at once
  bool hold = false;                    // released note keys leave their notes sounding
  std::string autosaveFolder;           // where modified songs are autosaved; empty for no autosave
  int32_t autosaveSeconds = kAutosaveSeconds;  // --autosave-seconds N: the time between autosaves
};

// The command line: `tonforge [--latency FRAMES] [--scale N] [--voices N] [--hold] [--autosave-seconds N]
// [--data DIR] [SONG.tes]`; a relative SONG is taken from the current folder. Nothing (after writing the usage
// or the fault to `out` or `err`) when the program is to end at once; `exitCode` is then 0 for --help and 2 for
// a wrong argument.
std::optional<StartOptions> ParseCommandLine(const std::vector<std::string>& args, std::string& out,
                                             std::string& err, int& exitCode);

// The window's title: "Tonforge" for a new song not yet changed, otherwise "Tonforge - <song name>" with " *"
// while the song holds changes not saved.
std::string WindowTitle(const AppState& app);

// What the keyboard reaches in the running program: Save Song, the OutputRate switch and RequestQuit.
KeyboardHooks ProgramKeyboardHooks(AppState& app);

// The devices and tables in the order the rest depends on, a new song (or the given one), the panels and the
// splash, then the offer to recover the song's autosave. A device that cannot be opened is reported and left
// out; the steps after it do without.
struct InputDevices {
  Keyboard* keyboard = nullptr;  // null when there is none
  MidiInput* midi = nullptr;     // null when there is none
};
InputDevices StartUp(AppState& app, Host& host, const StartOptions& options, const std::string& programFolder);

// Once per pass of the main loop when no event waits. While a worker owns the sound it only watches for the
// end of the song (and drops what the MIDI keyboard sent); otherwise it carries out the keys, then the MIDI
// messages, and serves the live output.
void RunIdleStep(AppState& app, KeyboardHandler& keys, MidiHandler* midi = nullptr);

// Until RequestQuit: one event if one waits, otherwise the idle step, the autosave, the redraws, and a wait
// of at most 1 ms for the next event so that an idle synthesizer does not hold a core.
void RunMainLoop(AppState& app, Host& host, KeyboardHandler& keys, MidiHandler* midi = nullptr);

// Frees the panels, programs, tracks and clipboards, then closes the devices. Runs with no worker.
void ShutDown(AppState& app, Host& host);

// All of it, the autosave removed at the clean end; the exit status of the program.
int RunTonforge(AppState& app, Host& host, const StartOptions& options, const std::string& programFolder);

}  // namespace tonforge
