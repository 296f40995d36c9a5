// One output frame: levels, pans, silence detection, clipping, random states and the pitch each engine gets.
#include <gtest/gtest.h>

#include <limits>

#include "support/play_rig.h"

namespace tonforge {
namespace {

using testing::kGain;
using testing::kSource;
using testing::PlayRig;
using E = EventType;

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr uint32_t kRandomPan = static_cast<uint32_t>(EngineTypeId::RandomPanning);

// One track playing a note at tick 0 on a program that is a steady source.
struct OneNote : PlayRig {
  explicit OneNote(float source, int32_t rate = 44100) : PlayRig(rate), track(AddTrack()) {
    AddProgram({kSource}).engines[0].F[0] = source;
    Add(track, 0, E::NoteOn, 2450, 0);
  }
  Track& track;
};

TEST(Mix, LevelsAndPansFromProgramTrackAndSong) {
  struct Case {
    float source, programLevel, trackLevel, songLevel, rightGain;
    E event;
    int32_t value;
    int16_t left, right;
  };
  const Case cases[] = {
      {0.5f, 1.0f, 1.0f, 1.0f, 1.0f, E::Empty, 0, 16383, 16383},
      {0.5f, 0.5f, 0.8f, 0.5f, 1.0f, E::Empty, 0, 3276, 3276},
      {0.8f, 0.5f, 0.5f, 1.0f, 1.0f, E::ProgramVolume, 50, 3276, 3276},
      {0.8f, 0.5f, 1.0f, 0.5f, 1.0f, E::TrackVolume, 50, 3276, 3276},
      {0.8f, 0.5f, 0.5f, 1.0f, 1.0f, E::SongVolume, 50, 3276, 3276},
      {0.5f, 1.0f, 1.0f, 1.0f, 1.0f, E::TrackPan, -100, 16383, 0},  // pan 0: half of each side to the left
      {0.5f, 1.0f, 1.0f, 1.0f, 1.0f, E::TrackPan, 100, 0, 16383},
      {0.5f, 1.0f, 1.0f, 1.0f, 1.0f, E::ProgramPan, -100, 16383, 0},
      {0.5f, 1.0f, 1.0f, 1.0f, 1.0f, E::TrackPan, 50, 8191, 16383},
      {0.5f, 1.0f, 1.0f, 1.0f, 0.0f, E::TrackPan, -100, 8191, 0},
      {0.5f, 1.0f, 1.0f, 1.0f, 1.0f, E::TrackPan, 500, 0, 16383},   // a damaged pan plays as 200
  };
  for (const Case& c : cases) {
    OneNote rig(c.source);
    rig.app->song.programs[0]->level = c.programLevel;
    rig.track.level = c.trackLevel;
    rig.app->song.songLevel = c.songLevel;
    Engine& gain = rig.SetTrackEngine(rig.track, 0, kGain);
    gain.F[0] = 1.0f;
    gain.F[1] = c.rightGain;
    rig.Add(c.event == E::SongVolume ? rig.Global() : rig.track, 0, c.event, c.value);
    rig.Start();
    const Frame16 f = rig.Frame();
    EXPECT_EQ(f.left, c.left) << static_cast<int>(c.event) << " " << c.value;
    EXPECT_EQ(f.right, c.right) << static_cast<int>(c.event) << " " << c.value;
  }
}

TEST(Mix, ClippingAndConversionTo16Bits) {
  struct Case {
    float value;
    int16_t sample;
    uint32_t clipped;
  };
  for (const Case& c : {Case{1.0f, 32767, 0}, Case{1.5f, 32767, 1}, Case{-1.0f, -32767, 0}, Case{-7.0f, -32767, 1},
                        Case{-0.5f, -16383, 0}, Case{0.9999f / 32767, 0, 0}, Case{kNaN, 0, 0}, Case{kInf, 32767, 1}}) {
    uint32_t clipped = 0;
    EXPECT_EQ(ToSample16(c.value, &clipped), c.sample) << c.value;
    EXPECT_EQ(clipped, c.clipped) << c.value;
  }
  // Through a whole frame: each clipped side counts once; a NaN level comes out as silence.
  for (const Case& c : {Case{2.0f, 32767, 2}, Case{kNaN, 0, 0}, Case{1.0f, 24575, 0}}) {
    OneNote rig(0.75f);
    rig.app->song.songLevel = c.value;
    rig.Start();
    uint32_t clipped = 0;
    const Frame16 f = rig.Frame(&clipped);
    EXPECT_EQ(f.left, c.sample) << c.value;
    EXPECT_EQ(f.right, c.sample) << c.value;
    EXPECT_EQ(clipped, c.clipped) << c.value;
  }
}

TEST(Mix, ChannelFallsSilentAfterOneSecondAndItsModulatorsMoveOn) {
  struct Case {
    int32_t rate;
    float trackLevel;  // the voice sounds, but the track's output is below one 16-bit step when this is tiny
    bool goesSilent;
  };
  for (const Case& c : {Case{44100, 1e-6f, true}, Case{22050, 1e-6f, true}, Case{44100, 1.0f, false}}) {
    OneNote rig(0.5f, c.rate);
    rig.track.level = c.trackLevel;
    Engine& filter = rig.SetTrackEngine(rig.track, 0, static_cast<uint32_t>(EngineTypeId::LowPassFilter));
    DataSlot& slot = filter.slots[0];
    slot.data = AllocateSamples(1000);
    slot.length = 1000;
    slot.loaded = 1;
    slot.rootOrRate.f = 0.5f;
    filter.loadedSlotCount = 1;
    rig.Start();
    rig.Render(c.rate);  // the NoteOn sample and rate - 1 more
    EXPECT_EQ(rig.Channel(1).silenceCounter, c.goesSilent ? static_cast<uint32_t>(c.rate) : 0u);
    EXPECT_EQ(rig.track.gate, 1u);
    const auto after = rig.Render(10);
    EXPECT_EQ(rig.track.gate, c.goesSilent ? 0u : 1u) << c.rate;
    // While its chain sleeps the slot steps by rate x rate factor per sample (the chain's engine does it else).
    EXPECT_FLOAT_EQ(slot.playPosition, c.goesSilent ? 10 * 0.5f * rig.app->rate.rateFactor : 0.0f) << c.rate;
    for (const Frame16& f : after) EXPECT_EQ(f.left, c.goesSilent ? 0 : 16383) << "nothing of the voice leaks out";
  }
}

TEST(Mix, SilentMutedAndEndedChannelsRunNoChain) {
  struct Case {
    const char* name;
    uint32_t mute;
    int32_t noteTick, endTick;
    std::vector<int16_t> left;  // at samples 1, 1379 (tick 3), 1838 (tick 4)
  };
  // The track's chain holds a source of 0.25 and the song chain one of 0.125: a channel that runs its chain
  // is heard. Every channel starts out silent until a NoteOn; after the End only the song chain plays.
  const Case cases[] = {
      {"note at tick 3", 0, 3, -1, {4095, 8191, 8191}},
      {"muted", 1, 3, -1, {4095, 4095, 4095}},
      {"ended at tick 4", 0, 3, 4, {4095, 8191, 4095}},
  };
  for (const Case& c : cases) {
    PlayRig rig;
    rig.AddProgram({});
    Track& track = rig.AddTrack();
    track.muteState = c.mute;
    rig.SetTrackEngine(track, 0, kSource).F[0] = 0.25f;
    rig.SetTrackEngine(rig.Global(), 0, kSource).F[0] = 0.125f;
    rig.Add(track, c.noteTick, E::NoteOn, 2450, 0);
    rig.Add(track, 0, E::TrackVolume, 50);
    if (c.endTick >= 0) rig.Add(rig.Global(), c.endTick, E::End);
    rig.Start();
    const auto frames = rig.Render(1838);
    EXPECT_EQ((std::vector<int16_t>{frames[0].left, frames[1378].left, frames[1837].left}), c.left) << c.name;
    EXPECT_FLOAT_EQ(track.volume, c.mute ? 1.0f : 0.5f) << c.name << ": events of muted tracks are not processed";
  }
}

TEST(Mix, EachTrackAndTheSongKeepTheirOwnRandomSequence) {
  OneNote rig(0.5f);
  Track& second = rig.AddTrack();
  rig.Add(second, 0, E::NoteOn, 2450, 0);
  rig.SetTrackEngine(rig.track, 0, kRandomPan);
  rig.SetTrackEngine(second, 0, kRandomPan);
  rig.SetTrackEngine(second, 1, kRandomPan);
  rig.SetTrackEngine(rig.Global(), 0, kRandomPan);
  rig.Start();
  rig.Render(10);
  auto stepped = [](uint32_t x, int n) {
    while (n-- > 0) x = RandomStep(x);
    return x;
  };
  EXPECT_EQ(rig.track.runningRandom, stepped(rig.track.seed, 10));
  EXPECT_EQ(second.runningRandom, stepped(second.seed, 20));
  EXPECT_EQ(rig.app->song.runningRandom, stepped(rig.app->song.seed, 10));
}

TEST(Mix, PitchShiftChangesTheEnginesAfterItWithinTheSample) {
  PlayRig rig;
  Program& p = rig.AddProgram({kSource, kSource, kSource, static_cast<uint32_t>(EngineTypeId::PitchShift), kSource,
                               kSource, kSource, kSource, kSource});
  SetParameter(p.engines[3], 0, 300);
  Track& track = rig.AddTrack();
  rig.Add(track, 0, E::NoteOn, 2450, 0);
  rig.Add(track, 0, E::TrackPitch, 100);
  rig.Add(track, 0, E::ProgramPitch, 7);
  rig.Start();
  rig.routines.log = true;
  rig.Frame();
  EXPECT_EQ(rig.routines.pitches, (std::vector<int32_t>{2557, 2557, 2557, 2557, 2857, 2857, 2857, 2857, 2857}));
  rig.routines.pitches.clear();
  rig.Frame();
  EXPECT_EQ(rig.routines.pitches, std::vector<int32_t>(9, 2857)) << "the transpose stays in the voice";
}

TEST(Voice, LoadKeepsTheVoicesBuffersAndClearsThem) {
  struct Case {
    bool allocate;
    uint32_t size, type;  // the buffer given, and the voice engine's type afterwards
  };
  const uint32_t chorus = static_cast<uint32_t>(EngineTypeId::Chorus);
  for (const Case& c : {Case{true, 176, chorus}, Case{true, 100, 0}, Case{false, 176, 0}}) {
    Program program;
    program.name[0] = 'P';
    program.transpose = 40;
    InitProgramEngine(program.engines[2], chorus);
    PositionBuffers buffers;
    std::array<uint32_t, kChainLength> sizes{};
    sizes[2] = c.size;
    if (c.allocate) {
      buffers.left[2] = AllocateSamples(c.size);
      buffers.right[2] = AllocateSamples(c.size);
      std::fill_n(buffers.left[2].get(), c.size, 1.0f);
    }
    Program voice;
    LoadVoice(voice, buffers, sizes, program);
    EXPECT_EQ(voice.name[0], '\0');
    EXPECT_EQ(voice.transpose, 40);
    EXPECT_EQ(voice.engines[2].type, c.type) << c.size;
    EXPECT_EQ(voice.engines[2].left, buffers.left[2]);
    if (c.type == chorus) {
      EXPECT_EQ(std::count(buffers.left[2].get(), buffers.left[2].get() + c.size, 0.0f), 176);
    }
  }
}

TEST(Voice, AutoLevelFindsTheHighestLevelThatDoesNotClip) {
  // 1.5 x 0.67 clips, 1.5 x 0.66 does not; a source that clips even at 0.01 leaves 0.01 and the search ends.
  for (const auto& [source, level] : {std::pair{0.75f, 1.0f}, std::pair{1.0f, 1.0f}, std::pair{1.5f, 0.66f},
                                      std::pair{200.0f, 0.01f}}) {
    PlayRig rig;
    Program& p = rig.AddProgram({kSource}, 0.2f);
    p.engines[0].F[0] = source;
    AutoLevelProgramWith(*rig.app, p, rig.routines);
    EXPECT_FLOAT_EQ(p.level, level) << source;
  }
}

}  // namespace
}  // namespace tonforge
