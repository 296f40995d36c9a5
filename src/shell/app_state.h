#pragma once
// All of the program's state in one place. Whoever runs the program (the synthesizer, the headless renderer,
// a test) creates one AppState and passes it by reference; nothing else is global.
#include <atomic>
#include <cstdint>
#include <string_view>
#include <thread>

#include "audio/audio_state.h"
#include "engines/catalog.h"
#include "engines/context.h"
#include "platform/dialogs.h"
#include "platform/sound_device.h"
#include "programs/program.h"
#include "sequencer/editor_state.h"
#include "sequencer/song_records.h"
#include "sequencer/text_entry.h"
#include "shell/folders.h"
#include "shell/random.h"
#include "shell/redraw.h"
#include "shell/tables.h"

namespace tonforge {

// The Program image the computer keyboard plays, with its gate and pitch and its own delay buffers.
struct LiveVoiceState {
  Program voice;
  uint32_t liveFlag = 0;
  int32_t livePitch = 0;
  PositionBuffers buffers;
};

// Who owns the sound. The main thread prepares all playing state, then sets mode and starts the worker; to
// stop it clears mode and waits for workerRunning to fall to 0 before touching the song again.
enum class PlaybackMode : uint32_t { Idle = 0, Song = 1, Render = 2, WaveFile = 3 };

struct PlaybackState {
  std::atomic<uint32_t> mode{0};
  std::atomic<uint32_t> workerRunning{0};
  std::atomic<uint32_t> songEndReached{0};
  uint32_t highPriority = 0;
  std::thread worker;
  uint32_t playButtonPressed = 0;  // the arrange view's play button shows pressed while a song plays or renders
};

// What the chain editor works on: 1 = the current program's chain, 0 = the current track's chain.
struct ChainEditorState {
  uint32_t chainMode = 0;
  int32_t selectedPosition = 0;
};

struct EngineClipboard {
  uint32_t content = 0;  // the copied type's level flags; 0 = empty
  Engine engine;
};

struct AppState {
  explicit AppState(Dialogs& dialogs) : dialogs(dialogs) {}
  // Stops a worker that is still running, so that nothing it uses is destroyed under it.
  ~AppState();
  AppState(const AppState&) = delete;
  AppState& operator=(const AppState&) = delete;

  Dialogs& dialogs;
  const EngineCatalog& catalog = BuildEngineCatalog();
  Tables tables;
  RandomGenerator random;
  Folders folders;
  OutputRate rate;
  Song song;
  LiveVoiceState live;
  PlaybackState playback;
  ChainEditorState chainEditor;
  EngineClipboard engineClipboard;
  EditorState editor;
  RedrawRequests redraw;
  TextEntry textEntry;  // the one name or value being typed, if any
  std::atomic<uint32_t> quitRequested{0};

  // Sound output and the sequencer clock.
  SoundDevice* sound = nullptr;  // not owned; null when no device could be opened
  OutputRing ring;
  ChannelTable channels;
  int32_t currentTick = 0;       // ticks reached since the start of the song
  int32_t editCursor = 0;        // the EditCursor tick: playback and rendering start there
  RenderState render;
};

// The core's share of start-up: tables, random seed, folders and the 44100 Hz rate at 120 beats per minute.
void StartCore(AppState& app, std::string_view programFolder);

}  // namespace tonforge
