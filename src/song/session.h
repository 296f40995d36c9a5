#pragma once
// Everything one run of the synthesizer works on below the sound side: the song with its tracks and
// programs, the LiveVoice, who owns the sound, the editors' records and the services they report through.
// Whoever runs the program (the synthesizer, the headless renderer, a test) creates one and passes it by
// reference; nothing else is global. The sound side extends it with the device and the render (audio/studio.h),
// the application with what only the running program has (app/app_state.h).
#include <array>
#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "engines/catalog.h"
#include "engines/context.h"
#include "shell/devices/dialogs.h"
#include "shell/folders.h"
#include "shell/random.h"
#include "shell/changes.h"
#include "shell/shared_value.h"
#include "shell/spsc_queue.h"
#include "shell/tables.h"
#include "song/editor_state.h"
#include "song/program.h"
#include "song/song_records.h"

namespace tonforge {

inline constexpr int32_t kNoHolder = -1;
// Holders of live voices: the note keys by their key code, MIDI notes from here on.
inline constexpr int32_t kMidiNoteHolder = 256;
inline constexpr int32_t kMaxLiveVoices = 64;
inline constexpr int32_t kReleaseFadeMilliseconds = 5;

// One voice the computer keyboard or a MIDI note plays: a Program image with its gate, pitch and own delay
// buffers.
struct LiveVoice {
  Program voice;
  uint32_t liveFlag = 0;  // 1 while its key is held, or the pedal holds it
  int32_t livePitch = 0;
  int32_t notePitch = 0;           // the pitch played, before any pitch bend
  int32_t holder = kNoHolder;      // the key or MIDI note that started it
  uint32_t startOrder = 0;         // when all voices sound, the one started first is taken
  uint32_t sustained = 0;          // released while the sustain pedal was down
  uint32_t fadeLeft = 0;           // samples of the release fade still to play once liveFlag fell
  uint32_t fadeLength = 1;
  PositionBuffers buffers;
};

// The live voices. One voice whose note the keyboard's keys leave sounding until Space is the plain
// instrument; the running program asks for more voices and for notes that end with their keys.
struct LiveVoiceState {
  std::vector<LiveVoice> voices = std::vector<LiveVoice>(1);
  uint32_t keysHold = 1;      // a released note key leaves its note sounding until Space
  uint32_t sustainPedal = 0;  // MIDI controller 64 is down: released notes sound on until it is lifted
  uint32_t nextOrder = 0;
  // Set when a note starts; the live output then renders afresh instead of handing over a block made before
  // the key went down, so the note is heard one block sooner.
  uint32_t noteStarted = 0;
};

// Who owns the sound. The main thread prepares all playing state, then sets mode and starts the worker; to
// stop it clears mode and waits for workerRunning to fall to 0 before touching the song again.
enum class PlaybackMode : uint32_t { Idle = 0, Song = 1, Render = 2, WaveFile = 3 };

struct Session;

// What the keyboard or MIDI did to the live voices while a song plays: the main thread puts it on a queue
// and the song worker, which then owns the live voices, carries it out at the start of its next block.
enum class PlayedKind : uint32_t { Start, Release, Pedal, Silence, Bend, Chain };

struct PlayedNote {
  PlayedKind kind = PlayedKind::Start;
  int32_t holder = kNoHolder;
  int32_t pitch = 0;      // Start: the pitch played; Pedal: 1 down, 0 up; Bend: the bend of MIDI notes;
                          // Chain: the play-along chain to sound through from now on
  int32_t program = 0;
  float level = 1.0f;     // Start: the velocity's share of the program's level
  int32_t bend = 0;       // Start: the MIDI pitch wheel's bend, added to the pitch
  int32_t track = -1;     // Start and Release: the track recorded on, -1 when not recording
  uint32_t serial = 0;    // Start and Release of a recorded note: which one (see OpenRecordedNote)
};

// What the worker heard: a recorded note's start or release at the song tick where its block began. The
// worker hands it back to the main thread, which alone edits the event lists.
struct HeardNote {
  PlayedKind kind = PlayedKind::Start;
  int32_t holder = kNoHolder;
  int32_t pitch = 0;
  int32_t program = 0;
  int32_t track = 0;
  int32_t tick = 0;
  uint32_t serial = 0;
};

inline constexpr size_t kPlayedNoteQueue = 256;

struct PlaybackState {
  std::atomic<PlaybackMode> mode{PlaybackMode::Idle};
  std::atomic<uint32_t> workerRunning{0};
  std::atomic<uint32_t> songEndReached{0};
  uint32_t highPriority = 0;
  std::thread worker;
  // The play button shows pressed while a song or a wave file plays or a song renders. A wave file that runs out
  // releases it from the worker.
  Shared<uint32_t> playButtonPressed = 0;
  // The tick the song clock has reached, for the song view's playhead: written by the worker, read by the UI.
  Shared<int32_t> playheadTick = 0;
  // Notes played along while the song plays (main thread to worker), and the recorded ones the worker heard
  // (worker to main thread).
  SpscQueue<PlayedNote, kPlayedNoteQueue> played;
  SpscQueue<HeardNote, kPlayedNoteQueue> heard;
  // Main thread only: heard notes that Snap put ahead of the tick the worker has reached, waiting until it has
  // passed them, so that the track does not play again what was just played along.
  std::vector<HeardNote> heardAhead;
  // The ticks playback repeats, first and last inclusive, while the Loop switch is on and a Block marked;
  // loopLast < loopFirst when nothing loops. Written by the main thread, read by the worker at each tick.
  Shared<int32_t> loopFirst = 0;
  Shared<int32_t> loopLast = -1;
};

// What the commands on the floors below the sound side ask of it: they stop workers and load songs that
// carry a rate, but the workers, the device and the render file belong to the sound side. A Studio
// (audio/studio.h) fills these in; a bare Session has no sound side, no worker, and keeps only the figures.
struct SoundSide {
  // Puts the song, the render file or the wave file at rest once StopPlayback has ended the worker.
  void (*putAtRest)(Session&, PlaybackMode ended) = nullptr;
  // Reopens the device at the rate and sets the rate figures.
  void (*switchOutputRate)(Session&, int32_t sampleRate) = nullptr;
};

// What the chain editor works on.
enum class ChainMode : uint32_t { Track = 0, Program = 1 };

struct ChainEditorState {
  ChainMode chainMode = ChainMode::Track;
  int32_t selectedPosition = 0;
};

struct EngineClipboard {
  uint32_t content = 0;  // the copied type's level flags; 0 = empty
  Engine engine;
};

// One track taking part in playback, with the count of consecutive silent samples at its output.
// A line of its own: the threads of the mix write the silence counters of neighbouring channels.
struct alignas(64) ChannelEntry {
  Track* track = nullptr;
  uint32_t silenceCounter = 0;
};

// Entry 0 is always the GlobalTrack. Fixed storage: building it at every start allocates nothing.
struct ChannelTable {
  std::array<ChannelEntry, kMaxTracks> entries{};
  int32_t count = 0;
};

struct Session {
  explicit Session(Dialogs& dialogs) : dialogs(dialogs) {}
  // Stops a worker that is still running, so that nothing it uses is destroyed under it.
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  Dialogs& dialogs;
  SoundSide soundSide;
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
  ChangeReports changes;
  TextEntry textEntry;  // the one name or value being typed, if any
  std::string songFile;  // the file the song was last loaded from or saved to; empty for a new song

  // The sequencer clock.
  ChannelTable channels;
  int32_t currentTick = 0;  // ticks reached since the start of the song
  int32_t editCursor = 0;   // the EditCursor tick: playback and rendering start there
  // The ticks per beat that the clock's samples per tick were worked out for. The song panel may change the
  // song's figure while a song plays; the clock then works out its own at the next tick.
  int32_t clockTicksPerBeat = 48;
};

// The core's share of start-up: tables, random seed, folders and the 44100 Hz rate at 120 beats per minute.
void StartCore(Session& session, std::string_view programFolder, std::string_view workspace = {});

// Ends the current worker, whatever its mode, and puts the song back at rest. Safe to call when idle. Every
// command that frees, replaces or moves what a worker plays calls it first.
void StopPlayback(Session& session);

inline bool IsPlaybackIdle(const Session& session) {
  return session.playback.mode.load(std::memory_order_acquire) == PlaybackMode::Idle;
}

}  // namespace tonforge
