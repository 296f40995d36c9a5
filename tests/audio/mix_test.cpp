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

TEST(Mix, LevelsAndPansFromProgramTrackAndSong) {
  struct Case { float source, programLevel, trackLevel, songLevel, rightGain; E event; int32_t value; Frame16 f; };
  const Case cases[] = {
      {0.5f, 1.0f, 1.0f, 1.0f, 1.0f, E::Empty, 0, {16383, 16383}},
      {0.5f, 0.5f, 0.8f, 0.5f, 1.0f, E::Empty, 0, {3276, 3276}},
      {0.8f, 0.5f, 0.5f, 1.0f, 1.0f, E::ProgramVolume, 50, {3276, 3276}},
      {0.8f, 0.5f, 1.0f, 0.5f, 1.0f, E::TrackVolume, 50, {3276, 3276}},
      {0.8f, 0.5f, 0.5f, 1.0f, 1.0f, E::SongVolume, 50, {3276, 3276}},
      {0.5f, 1.0f, 1.0f, 1.0f, 1.0f, E::TrackPan, -100, {16383, 0}},  // pan 0: half of each side to the left
      {0.5f, 1.0f, 1.0f, 1.0f, 1.0f, E::TrackPan, 100, {0, 16383}},
      {0.5f, 1.0f, 1.0f, 1.0f, 1.0f, E::ProgramPan, -100, {16383, 0}},
      {0.5f, 1.0f, 1.0f, 1.0f, 1.0f, E::TrackPan, 50, {8191, 16383}},
      {0.5f, 1.0f, 1.0f, 1.0f, 0.0f, E::TrackPan, -100, {8191, 0}},
      {0.5f, 1.0f, 1.0f, 1.0f, 1.0f, E::TrackPan, 500, {0, 16383}},  // a damaged pan plays as 200
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
    const Frame16 f = rig.Frame();
    EXPECT_EQ(std::pair(f.left, f.right), std::pair(c.f.left, c.f.right)) << int(c.event) << " " << c.value;
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
  // Through a whole frame (the value is the song level): each clipped side counts once; a NaN level is silence.
  for (const Case& c : {Case{2.0f, 32767, 2}, {kNaN, 0, 0}, {1.0f, 24575, 0}}) {
    PlayRig rig;
    rig.NoteTrack(0.75f);
    rig.app->song.songLevel = c.value;
    rig.Start();
    uint32_t clipped = 0;
    const Frame16 f = rig.Frame(&clipped);
    EXPECT_TRUE(f.left == c.sample && f.right == c.sample && clipped == c.clipped) << c.value;
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

}  // namespace
}  // namespace tonforge
