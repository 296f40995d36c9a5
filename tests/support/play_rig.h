#pragma once
// Builds an Studio with a song by hand (a GlobalTrack "Song" opening with Tempo 120, tracks, programs,
// events) and plays it frame by frame with stand-in engine routines whose effect is known:
//   White Noise Generator (11): a steady source adding F[0] to both sides;
//   Amplifier (14): left times F[0], right times F[1];
//   Pitch Shift (16): sets the voice's transpose to W0;
//   Random Panning (19): steps the engine random state once.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "audio/studio.h"
#include "audio/playback.h"
#include "audio/render.h"
#include "audio/voice.h"
#include "sequencer/song_clock.h"
#include "support/fake_dialogs.h"
#include "support/fake_devices.h"

namespace tonforge::testing {

// gcc says it with a macro, clang with a feature test.
#if defined(__SANITIZE_THREAD__)
#define TONFORGE_TESTS_UNDER_TSAN 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define TONFORGE_TESTS_UNDER_TSAN 1
#endif
#endif
#ifdef TONFORGE_TESTS_UNDER_TSAN
inline constexpr bool kUnderThreadSanitizer = true;
#else
inline constexpr bool kUnderThreadSanitizer = false;
#endif

struct FakeRoutines {
  void operator()(Engine& e, VoiceRef v, int32_t pitch, SampleContext& c) {
    if (log) pitches.push_back(pitch);
    switch (static_cast<EngineTypeId>(e.type)) {
      case EngineTypeId::WhiteNoiseGenerator: c.bus.left += e.F[0], c.bus.right += e.F[0]; break;
      case EngineTypeId::Amplifier: c.bus.left *= e.F[0], c.bus.right *= e.F[1]; break;
      case EngineTypeId::PitchShift: *v.transpose = e.W[0].i; break;
      case EngineTypeId::RandomPanning: c.engineRandom = RandomStep(c.engineRandom); break;
      default: break;
    }
  }
  bool log = false;
  std::vector<int32_t> pitches;
};

inline constexpr uint32_t kSource = static_cast<uint32_t>(EngineTypeId::WhiteNoiseGenerator);
inline constexpr uint32_t kGain = static_cast<uint32_t>(EngineTypeId::Amplifier);

class PlayRig {
public:
  explicit PlayRig(int32_t sampleRate = 44100) : app(std::make_unique<Studio>(dialogs)) {
    StartCore(*app, "/nonexistent-program-folder");
    SetOutputRate(app->rate, sampleRate, 120.0f, 48);
    app->sound = &device;
    app->song.seed = 1234;
    Add(AddTrack("Song"), 0, EventType::Tempo, 120);
  }
  ~PlayRig() { StopPlayback(*app); }

  Track& AddTrack(const std::string& name = "Track") {
    auto t = std::make_unique<Track>();
    std::copy_n(name.c_str(), std::min<size_t>(name.size(), 31), t->name.begin());
    t->seed = 100 + static_cast<uint32_t>(app->song.tracks.Count());
    for (Engine& e : t->chain) InitTrackEngine(e, 0, dialogs);
    return *app->song.tracks.Insert(app->song.tracks.Count(), std::move(t));
  }
  Track& TrackAt(int32_t i) { return *app->song.tracks.At(i); }
  Track& Global() { return TrackAt(0); }
  void SetTempo(int32_t bpm) { Global().events.First()->valueA = bpm; }
  void End(int32_t tick) { Add(Global(), tick, EventType::End); }

  // Adds an event after those already at its tick.
  void Add(Track& t, int32_t tick, EventType type, int32_t a = 0, int32_t b = 0) {
    Event* previous = nullptr;
    for (Event* e = t.events.First(); e && e->tick <= tick; e = EventList::Next(e)) previous = e;
    ++t.eventCount;
    t.events.InsertAfter(previous, {tick, static_cast<int32_t>(type), a, b});
  }

  // A program whose chain holds the given types from position 0.
  Program& AddProgram(std::initializer_list<uint32_t> types, float level = 1.0f) {
    auto p = std::make_unique<Program>();
    int pos = 0;
    for (Engine& e : p->engines) InitProgramEngine(e, 0);
    for (uint32_t type : types) InitProgramEngine(p->engines[pos++], type);
    p->level = level;
    app->song.programs.push_back(std::move(p));
    return *app->song.programs.back();
  }

  Engine& SetTrackEngine(Track& t, int position, uint32_t type) {
    InitTrackEngine(t.chain[position], type, dialogs);
    return t.chain[position];
  }
  Engine& SetTrackEngine(Track& t, int position, EngineTypeId type) {
    return SetTrackEngine(t, position, static_cast<uint32_t>(type));
  }
  // A new track playing, from tick 0, a note on a new program that is a steady source of `source`.
  Track& NoteTrack(float source) {
    AddProgram({kSource}).engines[0].F[0] = source;
    Track& t = AddTrack();
    Add(t, 0, EventType::NoteOn, 2450, 0);
    return t;
  }

  void Start() {
    PrepareSongStart(*app);
    ctx = MakeSampleContext(*app);
  }
  // One sample of playback: the clock, then the mix.
  Frame16 Frame(uint32_t* clipped = nullptr) {
    SongClockStep(*app);
    return MixSongSampleWith(*app, ctx, clipped, routines);
  }
  std::vector<Frame16> Render(int n) {
    std::vector<Frame16> out;
    for (int i = 0; i < n; ++i) out.push_back(Frame());
    return out;
  }
  // Runs the clock alone until tick `tick` has been processed.
  void RunClockThrough(int32_t tick) {
    while (app->currentTick <= tick) SongClockStep(*app);
  }
  ChannelEntry& Channel(int32_t i) { return app->channels.entries[i]; }

  FakeDialogs dialogs;
  FakeSoundDevice device;
  std::unique_ptr<Studio> app;
  FakeRoutines routines;
  SampleContext ctx;
};

// Polls a condition every millisecond for up to five seconds.
template <class Condition>
bool WaitFor(Condition condition) {
  for (int i = 0; i < 5000 && !condition(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  return condition();
}

// Renders the song into `path` and returns the file's bytes, then each channel's silence count where the render
// stopped: what must match when two ways of mixing are compared.
inline std::vector<uint8_t> RenderedBytes(Studio& app, const std::string& path) {
  EXPECT_EQ(RenderSongToFile(app, path), RenderResult::Done);
  std::ifstream file(path, std::ios::binary);
  std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  for (int32_t c = 0; c < app.channels.count; ++c) {
    const uint32_t silence = app.channels.entries[c].silenceCounter;
    for (int b = 0; b < 4; ++b) bytes.push_back(static_cast<uint8_t>(silence >> (8 * b)));
  }
  return bytes;
}

// The samples of a rendered WAV file louder than 300: a comparison of silence proves nothing.
inline int64_t LoudSamples(const std::vector<uint8_t>& wav) {
  int64_t loud = 0;
  for (size_t i = 44; i + 1 < wav.size(); i += 2)
    loud += std::abs(static_cast<int16_t>(wav[i] | wav[i + 1] << 8)) > 300;
  return loud;
}

}  // namespace tonforge::testing
