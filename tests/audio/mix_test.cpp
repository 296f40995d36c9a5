// The song mix: one output frame (levels, pans, silence, clipping, random states, the pitch each engine gets),
// and the mix in tick-bounded stretches, channel by channel on several threads, which writes exactly the bytes
// the frame-by-frame mix writes: songs with every engine type, every kind of event, phrases, muted tracks and an
// End in the middle, at every rate and with both sets of engine routines.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <limits>
#include <iterator>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "audio/mix_workers.h"
#include "audio/render.h"
#include "programs/program_list.h"
#include "sequencer/song.h"
#include "sequencer/track_commands.h"
#include "support/file_rig.h"
#include "support/mix_songs.h"
#include "support/play_rig.h"

namespace tonforge::testing {
namespace {

using E = EventType;
using T = EngineTypeId;

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

// One frame: each side clipped counts once; a NaN level is silence.
TEST(Mix, LevelsPansAndClippingFromProgramTrackAndSong) {
  struct Case { float source, programLevel, trackLevel, songLevel, rightGain; E event; int32_t value; Frame16 f;
                uint32_t clipped = 0; };
  const Case cases[] = {
      {0.5f, 1.0f, 1.0f, 1.0f, 1.0f, E::Empty, 0, {16383, 16383}},
      {0.8f, 0.5f, 0.5f, 1.0f, 1.0f, E::ProgramVolume, 50, {3276, 3276}},
      {0.8f, 0.5f, 1.0f, 0.5f, 1.0f, E::TrackVolume, 50, {3276, 3276}},
      {0.8f, 0.5f, 0.5f, 1.0f, 1.0f, E::SongVolume, 50, {3276, 3276}},
      {0.5f, 1.0f, 1.0f, 1.0f, 1.0f, E::TrackPan, -100, {16383, 0}},  // pan 0: half of each side to the left
      {0.5f, 1.0f, 1.0f, 1.0f, 1.0f, E::ProgramPan, -100, {16383, 0}},
      {0.5f, 1.0f, 1.0f, 1.0f, 1.0f, E::TrackPan, 50, {8191, 16383}},
      {0.5f, 1.0f, 1.0f, 1.0f, 0.0f, E::TrackPan, -100, {8191, 0}},
      {0.5f, 1.0f, 1.0f, 1.0f, 1.0f, E::TrackPan, 500, {0, 16383}},  // a damaged pan plays as 200
      {0.75f, 1.0f, 1.0f, 2.0f, 1.0f, E::Empty, 0, {32767, 32767}, 2},
      {0.75f, 1.0f, 1.0f, kNaN, 1.0f, E::Empty, 0, {0, 0}},
  };
  for (const Case& c : cases) {
    PlayRig rig;
    Track& track = rig.NoteTrack(c.source);
    rig.app->song.programs[0]->level = c.programLevel;
    track.level = c.trackLevel;
    rig.app->song.songLevel = c.songLevel;
    Engine& gain = rig.SetTrackEngine(track, 0, kGain);
    gain.F[0] = 1.0f, gain.F[1] = c.rightGain;
    rig.Add(c.event == E::SongVolume ? rig.Global() : track, 0, c.event, c.value);
    rig.Start();
    uint32_t clipped = 0;
    const Frame16 f = rig.Frame(&clipped);
    EXPECT_EQ(std::tuple(f.left, f.right, clipped), std::tuple(c.f.left, c.f.right, c.clipped))
        << int(c.event) << " " << c.value << " at song level " << c.songLevel;
  }
}

TEST(Mix, ClippingAndConversionTo16Bits) {
  struct Case { float value; int16_t sample; uint32_t clipped; };
  for (const Case& c : {Case{1.0f, 32767, 0}, {1.5f, 32767, 1}, {-1.0f, -32767, 0}, {-7.0f, -32767, 1},
                        {-0.5f, -16383, 0}, {0.9999f / 32767, 0, 0}, {kNaN, 0, 0}, {kInf, 32767, 1}}) {
    uint32_t clipped = 0;
    EXPECT_EQ(ToSample16(c.value, &clipped), c.sample) << c.value;
    EXPECT_EQ(clipped, c.clipped) << c.value;
  }
}

TEST(Mix, ChannelFallsSilentAfterOneSecondAndItsModulatorsMoveOn) {
  // The voice sounds, but with a tiny track level its output is below one 16-bit step.
  // While its chain sleeps the slot steps by rate x rate factor per sample (the chain's engine does it else):
  // 10 samples at rate 0.5 take it to 5 at 44100 Hz and to 10 at 22050 Hz.
  for (const auto& [rate, trackLevel, goesSilent, position] :
       {std::tuple{44100, 1e-6f, true, 5.0f}, {22050, 1e-6f, true, 10.0f}, {44100, 1.0f, false, 0.0f}}) {
    PlayRig rig(rate);
    Track& track = rig.NoteTrack(0.5f);
    track.level = trackLevel;
    Engine& filter = rig.SetTrackEngine(track, 0, EngineTypeId::LowPassFilter);
    DataSlot& slot = filter.slots[0];
    slot.data = AllocateSamples(1000);
    slot.length = 1000, slot.loaded = 1, slot.rootOrRate.f = 0.5f, filter.loadedSlotCount = 1;
    rig.Start();
    rig.Render(rate);  // the NoteOn sample and rate - 1 more
    EXPECT_EQ(rig.Channel(1).silenceCounter, goesSilent ? static_cast<uint32_t>(rate) : 0u);
    EXPECT_EQ(track.gate, 1u);
    const auto after = rig.Render(10);
    EXPECT_EQ(track.gate, goesSilent ? 0u : 1u) << rate;
    EXPECT_EQ(slot.playPosition, position) << rate;
    for (const Frame16& f : after) EXPECT_EQ(f.left, goesSilent ? 0 : 16383) << "nothing of the voice leaks out";
  }
}

TEST(Mix, SilentMutedAndEndedChannelsRunNoChain) {
  // The track's chain holds a source of 0.25 and the song chain one of 0.125: a channel that runs its chain
  // is heard. Every channel starts out silent until a NoteOn; after the End only the song chain plays.
  struct Case { const char* name; uint32_t mute; int32_t endTick; std::vector<int16_t> left; };
  for (const Case& c : {Case{"note at tick 3", 0, -1, {4095, 8191, 8191}}, {"muted", 1, -1, {4095, 4095, 4095}},
                        {"ended at tick 4", 0, 4, {4095, 8191, 4095}}}) {
    PlayRig rig;
    rig.AddProgram({});
    Track& track = rig.AddTrack();
    track.muteState = c.mute;
    rig.SetTrackEngine(track, 0, kSource).F[0] = 0.25f;
    rig.SetTrackEngine(rig.Global(), 0, kSource).F[0] = 0.125f;
    rig.Add(track, 3, E::NoteOn, 2450, 0);
    rig.Add(track, 0, E::TrackVolume, 50);
    if (c.endTick >= 0) rig.End(c.endTick);
    rig.Start();
    const auto frames = rig.Render(1838);  // samples 1, 1379 (tick 3) and 1838 (tick 4) are checked
    EXPECT_EQ((std::vector<int16_t>{frames[0].left, frames[1378].left, frames[1837].left}), c.left) << c.name;
    EXPECT_FLOAT_EQ(track.volume, c.mute ? 1.0f : 0.5f) << c.name << ": events of muted tracks are not processed";
  }
}

TEST(Mix, EachTrackAndTheSongKeepTheirOwnRandomSequenceAndPitchShiftActsWithinTheSample) {
  PlayRig rig;
  Track& first = rig.NoteTrack(0.5f);
  Track& second = rig.AddTrack();
  rig.Add(second, 0, E::NoteOn, 2450, 0);
  for (auto [track, position] : {std::pair{&first, 0}, {&second, 0}, {&second, 1}, {&rig.Global(), 0}})
    rig.SetTrackEngine(*track, position, EngineTypeId::RandomPanning);
  rig.Start();
  rig.Render(10);
  const auto stepped = [](uint32_t x, int n) {
    while (n-- > 0) x = RandomStep(x);
    return x;
  };
  EXPECT_EQ(first.runningRandom, stepped(first.seed, 10));
  EXPECT_EQ(second.runningRandom, stepped(second.seed, 20));
  EXPECT_EQ(rig.app->song.runningRandom, stepped(rig.app->song.seed, 10));

  // A Pitch Shift at position 3 changes the pitch of positions 4 to 8 only, and stays in the voice.
  PlayRig shift;
  const uint32_t kShift = static_cast<uint32_t>(EngineTypeId::PitchShift);
  Program& p = shift.AddProgram({kSource, kSource, kSource, kShift, kSource, kSource, kSource, kSource, kSource});
  SetParameter(p.engines[3], 0, 300);
  Track& track = shift.AddTrack();
  for (auto [type, value] : {std::pair{E::NoteOn, 2450}, {E::TrackPitch, 100}, {E::ProgramPitch, 7}})
    shift.Add(track, 0, type, value);
  shift.Start();
  shift.routines.log = true;
  shift.Frame();
  EXPECT_EQ(shift.routines.pitches, (std::vector<int32_t>{2557, 2557, 2557, 2557, 2857, 2857, 2857, 2857, 2857}));
  shift.routines.pitches.clear();
  shift.Frame();
  EXPECT_EQ(shift.routines.pitches, std::vector<int32_t>(9, 2857));
}

TEST(Voice, LoadKeepsTheVoicesBuffersAndClearsThem) {
  const uint32_t chorus = static_cast<uint32_t>(EngineTypeId::Chorus);
  // The buffer given, and the voice engine's type afterwards.
  for (const auto& [allocate, size, type] : {std::tuple{true, 176u, chorus}, {true, 100u, 0u}, {false, 176u, 0u}}) {
    Program program, voice;
    program.name[0] = 'P';
    program.transpose = 40;
    InitProgramEngine(program.engines[2], chorus);
    PositionBuffers buffers;
    std::array<uint32_t, kChainLength> sizes{};
    sizes[2] = size;
    if (allocate) {
      buffers.left[2] = AllocateSamples(size), buffers.right[2] = AllocateSamples(size);
      std::fill_n(buffers.left[2].get(), size, 1.0f);
    }
    LoadVoice(voice, buffers, sizes, program);
    EXPECT_TRUE(voice.name[0] == '\0' && voice.transpose == 40 && voice.engines[2].left == buffers.left[2]);
    EXPECT_EQ(voice.engines[2].type, type) << size;
    if (type == chorus) {
      EXPECT_EQ(std::count(buffers.left[2].get(), buffers.left[2].get() + size, 0.0f), 176);
    }
  }
}

TEST(Voice, AutoLevelFindsTheHighestLevelThatDoesNotClip) {
  // 1.5 x 0.67 clips, 1.5 x 0.66 does not; a source that clips even at 0.01 leaves 0.01 and the search ends.
  for (const auto& [source, level] : {std::pair{0.75f, 1.0f}, {1.0f, 1.0f}, {1.5f, 0.66f}, {200.0f, 0.01f}}) {
    PlayRig rig;
    Program& p = rig.AddProgram({kSource}, 0.2f);
    p.engines[0].F[0] = source;
    AutoLevelProgramWith(*rig.app, p, rig.routines);
    EXPECT_FLOAT_EQ(p.level, level) << source;
  }
}

// speedModulator: a Song Speed Modulator in the song chain; randomPans: Random Panning engines in the song chain,
// with two their draws decide the order.
struct Variant { int32_t rate; bool quality, speedModulator, solo; int randomPans; };

struct SongUnderTest {
  explicit SongUnderTest(const Variant& v) : app(std::make_unique<Studio>(dialogs)) {
    StartCore(*app, "/nonexistent");
    NewSong(*app);
    app->song.seed = 99;
    const EngineCatalog& catalog = BuildEngineCatalog();
    std::vector<uint32_t> programTypes, trackTypes;
    for (uint32_t t = 1; t < kEngineTypeCount; ++t) {
      if (catalog[t].levelFlags & kLevelProgram) programTypes.push_back(t);
      if (catalog[t].levelFlags & kLevelTrack) trackTypes.push_back(t);
    }
    // Programs of a saw and five more types each; every program-level type plays in one of them.
    for (size_t first = 0, n = 0; first < programTypes.size(); first += 5, ++n) {
      Program& p = *NewProgram(*app);
      InitProgramEngine(p.engines[0], Id(T::DownSawGenerator));
      for (size_t k = 0; k < 5 && first + k < programTypes.size(); ++k) {
        Engine& e = p.engines[k + 1];
        InitProgramEngine(e, programTypes[first + k]);
        FillSlots(e, static_cast<uint32_t>(n + k));
      }
      p.level = 0.3f;
      FitProgramBuffers(*app, p);
    }
    const auto programs = static_cast<int32_t>(app->song.programs.size());
    // One track per program, with a track chain of four track-level types; every type stands in one.
    for (int32_t n = 0; n < programs; ++n) {
      Track& t = NewTrack();
      for (int k = 0; k < 4; ++k) {
        const uint32_t type = trackTypes[(4 * n + k) % trackTypes.size()];
        InitTrackEngine(t.chain[k], type, dialogs);
        FillSlots(t.chain[k], static_cast<uint32_t>(n + k));
      }
      for (int32_t tick = 0; tick < 400; tick += 24 + 6 * n)
        Add(t, {{tick, Type(E::NoteOn), 1850 + 150 * ((tick / 24 + n) % 12), n}});
      Add(t, {{5, Type(E::ProgramVolumeSlide), -20, 0}, {30, Type(E::ProgramPanSlide), 15 - 10 * n, 0},
              {31, Type(E::ProgramPitchSlide), 3, 0}, {40, Type(E::TrackVolumeSlide), -10, 0},
              {41, Type(E::TrackPan), 60 - 30 * n, 0}, {42, Type(E::TrackPanSlide), 20, 0},
              {43, Type(E::TrackPitch), -200, 0}, {44, Type(E::TrackPitchSlide), 5, 0},
              {50, Type(E::ProgramEngineParameter) + 1 + n % 5, 0, 40},
              {51, Type(E::ProgramEngineParameter) + 2, 7, 0},  // Reset: the slots start again
              {60, Type(E::TrackEngineParameter) + n % 4, 0, 30}, {61, Type(E::TrackEngineParameter) + 1, 7, 0},
              {70, Type(E::ProgramVolume), 90, 0}, {71, Type(E::ProgramPan), -40, 0},
              {72, Type(E::ProgramPitch), 120, 0}, {80, Type(E::TrackVolume), 80, 0}});
    }
    // A track that falls silent early, so that its chain sleeps and only its modulators move.
    Track& quiet = *TrackAt(app->song, 1);
    Add(quiet, {{3, Type(E::NoteOff), 0, 0}});
    quiet.events.First()->valueA = 2450;
    for (Event* e = EventList::Next(quiet.events.First()); e; e = EventList::Next(e))
      if (e->type == Type(EventType::NoteOn)) e->type = Type(EventType::Empty);
    // A muted phrase source and the track that plays it twice; a track switched off.
    Track& source = NewTrack();
    Add(source, {{0, Type(E::NoteOn), 2450, 1}, {12, Type(E::ProgramPitchSlide), -8, 0}, {20, Type(E::NoteOff), 0, 0},
                 {22, Type(E::NoteOn), 2650, 2}});
    source.muteState = 1;
    const int32_t sourceIndex = app->song.tracks.Count() - 1;
    Track& phrases = NewTrack();
    InitTrackEngine(phrases.chain[0], Id(T::StereoChorus), dialogs);
    FillSlots(phrases.chain[0], 1);
    Add(phrases, {{10, Type(E::Phrase), sourceIndex, 0}, {100, Type(E::Phrase), sourceIndex, 0}});
    Track& off = NewTrack();
    Add(off, {{0, Type(E::NoteOn), 2450, 0}});
    off.muteState = 2;
    // The song chain and the song's own events; the render ends at the first End.
    Track& global = *TrackAt(app->song, 0);
    InitTrackEngine(global.chain[0], Id(T::StereoReverbXY), dialogs);
    InitTrackEngine(global.chain[1], Id(T::BasicDelay), dialogs);
    if (v.speedModulator) {
      InitTrackEngine(global.chain[2], Id(T::SongSpeedModulator), dialogs);
      FillSlots(global.chain[2], 0);
    } else {
      // A sweep bound to the tempo, which the tempo slide moves from tick to tick.
      InitTrackEngine(global.chain[2], Id(T::StereoChorus), dialogs);
      FillSlots(global.chain[2], 2);
    }
    for (int k = 0; k < v.randomPans; ++k) {
      InitTrackEngine(global.chain[3 + k], Id(T::RandomPanning), dialogs);
      SetParameter(global.chain[3 + k], 0, 1 + 2 * k);  // a new place every 1 or 3 ms
    }
    global.chainLength = std::max(global.chainLength, 3 + v.randomPans);
    Add(global, {{8, Type(E::SongVolume), 90, 0}, {9, Type(E::SongVolumeSlide), -4, 0},
                 {20, Type(E::TempoSlide), 30, 0}, {90, Type(E::Tempo), 150, 0},
                 {95, Type(E::TrackEngineParameter) + 0, 0, 70}, {310, Type(E::End), 0, 0}, {380, Type(E::End), 0, 0}});
    if (v.solo) {
      app->song.currentTrack = 2;
      SoloTrack(*app);
    }
    SetOutputRate(app->rate, v.rate, app->song.tempo, app->song.ticksPerBeat);
    app->render.quality = v.quality ? 1 : 0;
  }

  Track& NewTrack() {
    app->song.currentTrack = app->song.tracks.Count() - 1;
    Track& t = *InsertTrack(*app);
    t.seed = 500 + static_cast<uint32_t>(app->song.tracks.Count());
    return t;
  }
  void Add(Track& t, std::initializer_list<EventValues> events) {
    for (const EventValues& e : events) ASSERT_TRUE(InsertEvent(*app, t, e));
  }

  std::vector<uint8_t> Render(MixMethod method, int32_t threads, const std::string& path) {
    app->mixer.method = method;
    app->mixer.threads = threads;
    return RenderedBytes(*app, path);
  }

  testing::FakeDialogs dialogs;
  std::unique_ptr<Studio> app;
};

TEST(BlockMix, WritesTheBytesOfTheFrameByFrameMix) {
  const Variant variants[] = {
      {44100, false, false, false, 1}, {22050, true, false, false, 0}, {11025, false, false, false, 2},
      {44100, true, true, false, 0},   {22050, false, false, true, 0},
  };
  // Under the thread sanitizer what counts is the mix threads meeting, which the first song shows as well as
  // all five; the other builds compare the bytes of every variant.
  const size_t variantCount = testing::kUnderThreadSanitizer ? 1 : std::size(variants);
  TempDir dir;
  std::vector<uint8_t> first;  // the frame-by-frame render of the first variant
  for (const Variant& v : std::span(variants, variantCount)) {
    const std::string name = std::to_string(v.rate) + (v.quality ? " quality" : "") +
                             (v.speedModulator ? " speed modulator" : "") + (v.solo ? " solo" : "") +
                             " " + std::to_string(v.randomPans) + " random pans";
    const auto expected = SongUnderTest(v).Render(MixMethod::Frame, 1, dir.File("frame.wav"));
    // 310 ticks from 120 beats per minute, rising by 0.375 a tick from tick 21: over two seconds.
    ASSERT_GT(expected.size(), 44u + 4u * v.rate * 2) << name;
    EXPECT_GT(LoudSamples(expected), v.rate / 2) << name;
    if (first.empty()) first = expected;
    for (const int32_t threads : {1, 3}) {
      const auto block = SongUnderTest(v).Render(MixMethod::Block, threads, dir.File("block.wav"));
      EXPECT_TRUE(block == expected) << name << ", " << threads << " threads: " << block.size() << " bytes, "
                                     << expected.size() << " expected";
    }
  }

  // Playback mixes the same way: the blocks it writes for the sound card hold the render's frames.
  testing::FakeSoundDevice device;
  SongUnderTest song(variants[0]);
  song.app->sound = &device;
  song.app->mixer.threads = 3;
  StartSongPlayback(*song.app);
  constexpr uint32_t kBlocks = 3;
  for (uint32_t block = 0; block < kBlocks; ++block) {
    device.PlayInBlock(block);
    ASSERT_TRUE(testing::WaitFor([&] { return device.WriteCount() > block; })) << block;
  }
  StopPlayback(*song.app);
  int differing = 0;
  for (uint32_t block = 0; block < kBlocks; ++block) {
    const std::vector<int16_t> played = device.Write(block).samples;
    ASSERT_EQ(played.size(), 2u * kBlockFrames);
    for (size_t i = 0; i < played.size(); ++i) {
      const size_t at = 44 + 2 * (block * played.size() + i);
      differing += played[i] != static_cast<int16_t>(first.at(at) | first.at(at + 1) << 8);
    }
  }
  EXPECT_EQ(differing, 0);
}

TEST(BlockMix, WorkersRunEveryItemOnceARound) {
  // Rounds of every size, with the pool resized between them (fewer helpers, more, and a round larger than it
  // was sized for): each item runs exactly once in its round, whichever thread takes it, and so does the
  // calling thread's work beside them.
  struct Job { std::vector<std::atomic<int32_t>> runs; };
  Job job{std::vector<std::atomic<int32_t>>(81)};
  const auto task = [](void* j, int32_t item) { static_cast<Job*>(j)->runs[item].fetch_add(1); };
  const auto meanwhile = [](void* j, int32_t) { static_cast<Job*>(j)->runs[80].fetch_add(1); };
  MixWorkers workers;
  const struct { int32_t helpers, items; } sizes[] = {{2, 17}, {1, 17}, {3, 64}, {0, 5}, {2, 40}};
  for (const auto& size : sizes) {
    workers.Resize(size.helpers, false, size.items);
    for (int32_t count : {1, 2, 3, 16, 17, 40, 64, 80}) {
      for (int round = 0; round < 50; ++round) {
        for (auto& r : job.runs) r.store(0);
        workers.Run(task, &job, count, meanwhile, &job);
        for (int32_t i = 0; i <= 80; ++i)
          ASSERT_EQ(job.runs[i].load(), i < count || i == 80 ? 1 : 0)
              << size.helpers << " helpers for " << size.items << ", round of " << count << ", item " << i;
      }
    }
  }
}

}  // namespace
}  // namespace tonforge::testing
