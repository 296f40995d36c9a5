#include "app/run.h"

#include <filesystem>
#include <iostream>

#include "app/quit.h"
#include "audio/live_output.h"
#include "audio/output_rate.h"
#include "audio/play_along_voices.h"
#include "programs/chain_editing.h"
#include "programs/program_list.h"
#include "sequencer/play_along.h"
#include "sequencer/song.h"
#include "sequencer/song_clock.h"
#include "sequencer/song_file.h"
#include "shell/command_line.h"
#include "shell/show_error.h"

namespace tonforge {

namespace {

constexpr const char* kUsage =
    "Usage: tonforge [--latency FRAMES] [--scale N] [--voices N] [--hold] [--autosave-seconds N] [--data DIR]\n"
    "                [SONG.tes]\n"
    "Starts the Tonforge synthesizer.\n"
    "  SONG.tes          a song to load at start-up instead of a new one\n"
    "  --latency FRAMES  the live output's block: 256, 512, 1024, 2048 or 4096 frames (4096 unless given);\n"
    "                    a key is heard two to three blocks later (12-17 ms at 256 frames and 44100 Hz)\n"
    "  --scale N         shows the interface N times enlarged (1 to 16); otherwise as large as fits\n"
    "  --voices N        how many notes the keyboard and MIDI play at once, 1 to 64 (16 unless given); when all\n"
    "                    sound, a new note takes the one started first\n"
    "  --hold            a released note key leaves its note sounding until Space (for one-shot sounds)\n"
    "  --autosave-seconds N\n"
    "                    while the song holds unsaved changes, a copy is kept every N seconds (1 to 3600, 60\n"
    "                    unless given) in $XDG_STATE_HOME/tonforge/autosave/ for recovery after a crash\n"
    "  --data DIR        the program folder (skins, captions, help); found by itself otherwise: the current\n"
    "                    folder, the sources' app/ beside the build folder, or the installed share/tonforge/\n"
    "  --help            prints this text\n"
    "  --version         prints the version\n"
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
  static constexpr CommandOption kOptions[] = {{"latency", true}, {"data", true}, {"scale", true}, {"voices", true},
                                               {"hold", false}, {"autosave-seconds", true}};
  const CommandLine line = ReadCommandLine(args, kOptions);
  std::optional<EarlyExit> early = AnswerEarly(line, "tonforge", kUsage);
  StartOptions options;
  if (const auto latency = line.Value("latency"); !early && latency) {
    const auto frames = WholeNumber(*latency, 0, kBlockFrames);
    if (frames && IsLiveBlockFrames(static_cast<uint32_t>(*frames))) options.blockFrames = static_cast<uint32_t>(*frames);
    else early = Refuse("tonforge", "--latency takes 256, 512, 1024, 2048 or 4096 frames, not \"" + *latency + "\"", kUsage);
  }
  if (const auto scale = line.Value("scale"); !early && scale) {
    const auto factor = WholeNumber(*scale, 1, kLargestInterfaceScale);
    if (factor) options.scale = static_cast<int32_t>(*factor);
    else early = Refuse("tonforge", "--scale takes a whole number from 1 to 16, not \"" + *scale + "\"", kUsage);
  }
  if (const auto voices = line.Value("voices"); !early && voices) {
    if (const auto n = WholeNumber(*voices, 1, kMaxLiveVoices)) options.voices = static_cast<int32_t>(*n);
    else early = Refuse("tonforge", "--voices takes a number of voices from 1 to 64, not \"" + *voices + "\"", kUsage);
  }
  if (const auto seconds = line.Value("autosave-seconds"); !early && seconds) {
    if (const auto n = WholeNumber(*seconds, 1, kLongestAutosaveSeconds)) options.autosaveSeconds = static_cast<int32_t>(*n);
    else early = Refuse("tonforge", "--autosave-seconds takes a number of seconds from 1 to 3600, not \"" + *seconds + "\"", kUsage);
  }
  options.hold = line.Has("hold");
  if (!early && line.operands.size() > 1) early = Refuse("tonforge", "only one song, not " + line.operands[1], kUsage);
  if (early) {
    out = early->out;
    err = early->err;
    exitCode = early->status;
    return std::nullopt;
  }
  if (!line.operands.empty()) {
    std::error_code ec;
    const std::filesystem::path song = std::filesystem::absolute(line.operands[0], ec);
    options.songPath = ec ? line.operands[0] : song.string();
  }
  options.dataFolder = line.Value("data").value_or("");
  return options;
}

std::string WindowTitle(const AppState& app) {
  const bool modified = app.changes.SongModified();
  if (!modified && app.songFile.empty()) return "Tonforge";
  return "Tonforge - " + SongName(app) + (modified ? " *" : "");
}

KeyboardHooks ProgramKeyboardHooks(AppState& app) {
  return KeyboardHooks{[&app] { SaveSong(app); }, [&app](int32_t rate) { SwitchOutputRate(app, rate); },
                       [&app] { RequestQuit(app); }, [&app] { Undo(app.history, app); },
                       [&app] { Redo(app.history, app); }};
}

InputDevices StartUp(AppState& app, Host& host, const StartOptions& options, const std::string& programFolder) {
  host.LoadSkins();
  InputDevices inputs;
  inputs.keyboard = host.OpenKeyboard();  // nothing is reported for the keyboard
  inputs.midi = host.OpenMidiInput();     // nor in a box for MIDI: the host says it once
  app.ring.blockFrames = IsLiveBlockFrames(options.blockFrames) ? options.blockFrames : kBlockFrames;
  app.sound = host.OpenSoundDevice(44100, app.ring.blockFrames);
  if (app.sound == nullptr) ShowError(app.dialogs, "Could Not Open Sound Device");
  SetOutputRate(app.rate, 44100, 120.0f, app.song.ticksPerBeat);
  app.song.tempo = 120.0f;
  host.LoadCaptionsAndFont();
  StartCore(app, programFolder, options.workspace);
  SetLiveVoiceCount(app, options.voices);  // before the song: its buffers are then sized for every voice
  app.live.keysHold = options.hold ? 1 : 0;
  NewSong(app);
  FileFailure failure;
  if (!options.songPath.empty() && LoadSongFile(app, options.songPath, &failure) == SongFileResult::CannotOpen)
    std::cerr << "tonforge: cannot open " << failure.path << ": " << failure.reason << "; starting with a new song\n";
  host.BuildPanels(app);
  app.changes.MarkSongSaved();  // building the panels reports what they show; the song is as it was loaded
  app.autosave.folder = options.autosaveFolder;
  app.autosave.interval = std::chrono::seconds(options.autosaveSeconds);
  // The autosave belongs to the file asked for, even when that file could not be read.
  std::string songFile = options.songPath;
  if (!songFile.empty()) ApplyExtensionRule(songFile, kSongExtension);
  OfferRecovery(app.autosave, app, songFile, AutosaveClock::now());
  // A recovered song is where the history starts: an undo never goes back past the crash.
  StartHistory(app.history, app);
  app.autosave.encodeWhilePlaying = [&app] {
    return EncodePicture(app.history.steps.at(app.history.at).picture, app.dialogs);
  };
  return inputs;
}

void RunIdleStep(AppState& app, KeyboardHandler& keys, MidiHandler* midi) {
  PlaybackState& p = app.playback;
  FollowLoopSwitch(app);
  if (!IsPlaybackIdle(app)) {
    // While a song plays the note keys and MIDI play along; during a render or a wave file MIDI is dropped.
    if (IsSongPlaying(app)) {
      PollKeyboard(app, keys);
      FollowCurrentTrack(app);
    }
    if (midi != nullptr) PollMidi(app, *midi);
    EnterHeardNotes(app);
    if (p.songEndReached.load(std::memory_order_acquire) != 0) {
      StopPlayback(app);
      p.songEndReached.store(0, std::memory_order_release);
    }
    return;
  }
  PollKeyboard(app, keys);
  if (midi != nullptr && IsPlaybackIdle(app)) PollMidi(app, *midi);
  // A quit from the keyboard ends the loop before another block is rendered.
  if (app.quitRequested.load(std::memory_order_acquire) == 0) ServeLiveOutput(app);
}

void RunMainLoop(AppState& app, Host& host, KeyboardHandler& keys, MidiHandler* midi) {
  app.quitRequested.store(0, std::memory_order_release);
  while (app.quitRequested.load(std::memory_order_acquire) == 0) {
    if (host.DispatchEvent()) continue;
    RunIdleStep(app, keys, midi);
    const bool gestureOpen = host.GestureOpen();
    FollowEdits(app.history, app, gestureOpen);
    // The history's picture is the song as it stands only once a drag or the typing has ended.
    if (!gestureOpen) RunAutosave(app.autosave, app, AutosaveClock::now());
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
  const InputDevices inputs = StartUp(app, host, options, programFolder);
  NoKeyboard noKeyboard;
  KeyboardHandler keys(inputs.keyboard != nullptr ? *inputs.keyboard : noKeyboard, host.DesktopShell(),
                       ProgramKeyboardHooks(app));
  std::optional<MidiHandler> midi;
  if (inputs.midi != nullptr) midi.emplace(*inputs.midi);
  RunMainLoop(app, host, keys, midi ? &*midi : nullptr);
  EndAutosave(app.autosave, app);
  ShutDown(app, host);
  return 0;
}

}  // namespace tonforge
