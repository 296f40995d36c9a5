// One output frame: levels, pans, silence detection, clipping and the pitch each engine is given.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "audio/voice.h"
#include "support/song_rig.h"

namespace tonforge {
namespace {

using testing::kGain;
using testing::kSource;
using testing::SongRig;

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

// A song with one track playing a note at tick 0 on a program that is a steady source of `source`.
struct OneNote : SongRig {
  explicit OneNote(float source, int32_t rate = 44100) : SongRig(rate), track(AddTrack()) {
    Program& p = AddProgram({kSource});
    SetParameter(p.engines[0], 0, 0);
    p.engines[0].F[0] = source;
    Add(track, 0, EventType::NoteOn, 2450, 0);
  }
  Track& track;
};

TEST(Mix, LevelsMultiplyThroughProgramTrackAndSong) {
  struct Case {
    float source, programLevel, trackLevel, songLevel;
    int32_t programVolume, trackVolume, songVolume;  // event values in percent, -1 for none
    int16_t expected;
  };
  const Case cases[] = {
      {0.5f, 1.0f, 1.0f, 1.0f, -1, -1, -1, 16383},
      {0.5f, 0.5f, 0.8f, 0.5f, -1, -1, -1, 3276},
      {0.8f, 1.0f, 1.0f, 1.0f, 50, 50, 50, 3276},
      {0.5f, 1.0f, 1.0f, 1.0f, 0, -1, -1, 0},
      {0.5f, 1.0f, 0.0f, 1.0f, -1, -1, -1, 0},
  };
  for (const Case& c : cases) {
    OneNote rig(c.source);
    rig.app->song.programs[0]->level = c.programLevel;
    rig.track.level = c.trackLevel;
    rig.app->song.songLevel = c.songLevel;
    if (c.programVolume >= 0) rig.Add(rig.track, 0, EventType::ProgramVolume, c.programVolume);
    if (c.trackVolume >= 0) rig.Add(rig.track, 0, EventType::TrackVolume, c.trackVolume);
    if (c.songVolume >= 0) rig.Add(rig.TrackAt(0), 0, EventType::SongVolume, c.songVolume);
    rig.Start();
    const Frame16 f = rig.Frame();
    EXPECT_EQ(f.left, c.expected) << c.source << " " << c.programLevel;
    EXPECT_EQ(f.right, c.expected) << c.source << " " << c.programLevel;
  }
}

TEST(Mix, PansSendBothSidesWhereThePanTablesSay) {
  struct Case {
    const char* name;
    EventType event;
    int32_t value;
    float rightGain;  // Amplifier's right gain in the track chain
    int16_t left, right;
  };
  const Case cases[] = {
      {"centre", EventType::TrackPan, 0, 1.0f, 16383, 16383},
      {"track pan 0: half of both to the left", EventType::TrackPan, -100, 1.0f, 16383, 0},
      {"track pan 200", EventType::TrackPan, 100, 1.0f, 0, 16383},
      {"program pan 0", EventType::ProgramPan, -100, 1.0f, 16383, 0},
      {"track pan 150", EventType::TrackPan, 50, 1.0f, 8191, 16383},
      {"pan 0 of a left-only signal", EventType::TrackPan, -100, 0.0f, 8191, 0},
      {"a pan beyond 200 from a damaged file plays as 200", EventType::TrackPan, 500, 1.0f, 0, 16383},
  };
  for (const Case& c : cases) {
    OneNote rig(0.5f);
    Engine& gain = rig.SetTrackEngine(rig.track, 0, kGain);
    gain.F[0] = 1.0f;
    gain.F[1] = c.rightGain;
    rig.Add(rig.track, 0, c.event, c.value);
    rig.Start();
    const Frame16 f = rig.Frame();
    EXPECT_EQ(f.left, c.left) << c.name;
    EXPECT_EQ(f.right, c.right) << c.name;
  }
}

TEST(Mix, ClippingAndConversionTo16Bits) {
  struct Case {
    float value;
    int16_t sample;
    uint32_t clipped;
  };
  const Case cases[] = {
      {1.0f, 32767, 0},  {1.5f, 32767, 1},   {-1.0f, -32767, 0}, {-7.0f, -32767, 1}, {0.5f, 16383, 0},
      {-0.5f, -16383, 0}, {0.9999f / 32767, 0, 0}, {kNaN, 0, 0}, {kInf, 32767, 1}, {-kInf, -32767, 1},
  };
  for (const Case& c : cases) {
    uint32_t clipped = 0;
    EXPECT_EQ(ToSample16(c.value, &clipped), c.sample) << c.value;
    EXPECT_EQ(clipped, c.clipped) << c.value;
  }
  // Through a whole frame: each clipped side counts once; a NaN level comes out as silence.
  struct FrameCase {
    float songLevel;
    int16_t sample;
    uint32_t clipped;
  };
  for (const FrameCase& c : {FrameCase{2.0f, 32767, 2}, FrameCase{kNaN, 0, 0}, FrameCase{1.0f, 24575, 0}}) {
    OneNote rig(0.75f);
    rig.app->song.songLevel = c.songLevel;
    rig.Start();
    uint32_t clipped = 0;
    const Frame16 f = rig.Frame(&clipped);
    EXPECT_EQ(f.left, c.sample) << c.songLevel;
    EXPECT_EQ(f.right, c.sample) << c.songLevel;
    EXPECT_EQ(clipped, c.clipped) << c.songLevel;
  }
}

TEST(Mix, ChannelFallsSilentAfterOneSecondAndItsModulatorsMoveOn) {
  struct Case {
    int32_t rate;
    float source;
    bool goesSilent;
  };
  for (const Case& c : {Case{44100, 1e-5f, true}, Case{22050, 1e-5f, true}, Case{44100, 0.5f, false}}) {
    OneNote rig(c.source, c.rate);
    Engine& filter = rig.SetTrackEngine(rig.track, 0, static_cast<uint32_t>(EngineTypeId::LowPassFilter));
    DataSlot& slot = filter.slots[0];
    slot.data = AllocateSamples(1000);
    slot.length = 1000;
    slot.loaded = 1;
    slot.loopEnd = 999;
    slot.rootOrRate.f = 0.5f;
    filter.loadedSlotCount = 1;
    rig.Start();
    rig.Render(c.rate);  // the NoteOn sample and rate - 1 more: rate silent samples counted
    EXPECT_EQ(rig.Channel(1).silenceCounter, c.goesSilent ? static_cast<uint32_t>(c.rate) : 0u);
    EXPECT_EQ(rig.track.gate, 1u);
    EXPECT_FLOAT_EQ(slot.playPosition, 0.0f) << "the chain's own engine steps it while the chain runs";
    const auto after = rig.Render(10);
    EXPECT_EQ(rig.track.gate, c.goesSilent ? 0u : 1u) << c.rate;
    // While silent the slot steps by rate x rate factor per sample.
    const float step = 0.5f * rig.app->rate.rateFactor;
    EXPECT_FLOAT_EQ(slot.playPosition, c.goesSilent ? 10 * step : 0.0f) << c.rate;
    if (c.goesSilent) {
      for (const Frame16& f : after) EXPECT_EQ(f.left, 0);
    }
  }
}

TEST(Mix, SilentChannelRunsNoChainUntilItsNextNote) {
  SongRig rig;
  rig.AddProgram({});
  Track& track = rig.AddTrack();
  rig.SetTrackEngine(track, 0, kSource).F[0] = 0.25f;  // would sound if the chain ran
  rig.Add(track, 3, EventType::NoteOn, 2450, 0);
  rig.Start();
  // Every channel starts out silent: nothing until the NoteOn of tick 3 resets the counter.
  EXPECT_EQ(rig.Render(1378).back().left, 0);  // tick 3 falls on sample 1379
  EXPECT_EQ(rig.Frame().left, 8191);
}

TEST(Mix, MutedTrackMakesNoSound) {
  OneNote rig(0.5f);
  rig.track.muteState = 1;
  rig.Start();
  for (const Frame16& f : rig.Render(5)) EXPECT_EQ(f.left, 0);
  EXPECT_EQ(rig.track.gate, 0u);
}

TEST(Mix, AfterTheEndOnlyTheSongChainSounds) {
  OneNote rig(0.5f);
  rig.SetTrackEngine(rig.TrackAt(0), 0, kSource).F[0] = 0.125f;
  rig.Add(rig.TrackAt(0), 1, EventType::End);
  rig.Start();
  EXPECT_EQ(rig.Frame().left, 20479);  // 0.625
  EXPECT_EQ(rig.Render(459).back().left, 4095) << "tick 1 on sample 460 ends the song: only 0.125 remains";
}

TEST(Mix, PitchShiftChangesTheEnginesAfterItWithinTheSample) {
  SongRig rig;
  Program& p = rig.AddProgram({kSource, kSource, kSource, static_cast<uint32_t>(EngineTypeId::PitchShift), kSource,
                               kSource, kSource, kSource, kSource});
  SetParameter(p.engines[3], 0, 300);
  Track& track = rig.AddTrack();
  rig.Add(track, 0, EventType::NoteOn, 2450, 0);
  rig.Add(track, 0, EventType::TrackPitch, 100);
  rig.Add(track, 0, EventType::ProgramPitch, 7);
  rig.Start();
  rig.routines.log = true;
  auto pitches = [&] {
    std::vector<int32_t> out;
    for (const auto& call : rig.routines.calls) out.push_back(call.pitch);
    rig.routines.calls.clear();
    return out;
  };
  rig.Frame();
  EXPECT_EQ(pitches(), (std::vector<int32_t>{2557, 2557, 2557, 2557, 2857, 2857, 2857, 2857, 2857}));
  rig.Frame();
  EXPECT_EQ(pitches(), (std::vector<int32_t>(9, 2857))) << "the transpose stays in the voice";
}

TEST(Mix, LiveVoicePlaysThroughTheCurrentTrackAndTheSongChain) {
  struct Case {
    int32_t currentTrack;
    float trackGain;
    int16_t left;
    int32_t pitch;
  };
  // The GlobalTrack's chain runs once, as the song chain, even when it is the current track.
  for (const Case& c : {Case{1, 0.5f, 8191, 3060}, Case{0, 0.5f, 16383, 3060}}) {
    SongRig rig;
    Program& p = rig.AddProgram({kSource});
    p.engines[0].F[0] = 0.5f;
    p.pitchOffset = 10;
    Track& track = rig.AddTrack();
    Engine& gain = rig.SetTrackEngine(track, 0, kGain);
    gain.F[0] = gain.F[1] = c.trackGain;
    rig.app->song.currentTrack = c.currentTrack;
    rig.app->live.voice = p;
    rig.app->live.liveFlag = 1;
    rig.app->live.livePitch = 3050;
    rig.app->song.songLevel = 0.1f;  // never applied to the live output
    SampleContext ctx = MakeSampleContext(*rig.app);
    rig.routines.log = true;
    const Frame16 f = MixLiveSampleWith(*rig.app, ctx, rig.routines);
    EXPECT_EQ(f.left, c.left) << c.currentTrack;
    EXPECT_EQ(rig.routines.calls.front().pitch, c.pitch);
    rig.app->live.liveFlag = 0;
    EXPECT_EQ(MixLiveSampleWith(*rig.app, ctx, rig.routines).left, 0);
  }
}

TEST(Voice, LoadKeepsTheVoicesBuffersAndClearsThem) {
  struct Case {
    bool allocate;
    uint32_t size;
    uint32_t type;  // the voice's type afterwards
  };
  const uint32_t chorus = static_cast<uint32_t>(EngineTypeId::Chorus);
  for (const Case& c : {Case{true, 176, chorus}, Case{true, 100, 0}, Case{false, 176, 0}}) {
    Program program;
    program.name[0] = 'P';
    program.level = 0.3f;
    program.transpose = 40;
    for (Engine& e : program.engines) InitProgramEngine(e, 0);
    InitProgramEngine(program.engines[2], chorus);
    CountUsedEngines(program);
    PositionBuffers buffers;
    std::array<uint32_t, kChainLength> sizes{};
    sizes[2] = c.size;
    if (c.allocate) {
      buffers.left[2] = AllocateSamples(c.size);
      buffers.right[2] = AllocateSamples(c.size);
      std::fill_n(buffers.left[2].get(), c.size, 1.0f);
      std::fill_n(buffers.right[2].get(), c.size, 1.0f);
    }
    Program voice;
    LoadVoice(voice, buffers, sizes, program);
    EXPECT_EQ(voice.name[0], '\0');
    EXPECT_FLOAT_EQ(voice.level, 0.3f);
    EXPECT_EQ(voice.transpose, 40);
    EXPECT_EQ(voice.engineCount, 3u);
    EXPECT_EQ(voice.engines[2].type, c.type) << c.size;
    EXPECT_EQ(voice.engines[2].left, buffers.left[2]);
    if (c.type == chorus) {
      for (uint32_t i = 0; i < c.size; ++i) ASSERT_EQ(buffers.left[2][i] + buffers.right[2][i], 0.0f);
    }
  }
}

TEST(Voice, AutoLevelFindsTheHighestLevelThatDoesNotClip) {
  struct Case {
    float source;
    float level;
  };
  // 1.5 x 0.67 clips, 1.5 x 0.66 does not; a source that clips even at 0.01 leaves 0.01 and the search ends.
  for (const Case& c : {Case{0.75f, 1.0f}, Case{1.0f, 1.0f}, Case{1.5f, 0.66f}, Case{200.0f, 0.01f}}) {
    SongRig rig;
    Program& p = rig.AddProgram({kSource}, 0.2f);
    p.engines[0].F[0] = c.source;
    AutoLevelProgramWith(*rig.app, p, rig.routines);
    EXPECT_FLOAT_EQ(p.level, c.level) << c.source;
    EXPECT_EQ(rig.app->live.liveFlag, 0u);
  }
}

}  // namespace
}  // namespace tonforge
