// The live output: block-ahead writes into the device ring and live notes.
#include <gtest/gtest.h>

#include "audio/live_output.h"
#include "programs/program_list.h"
#include "support/play_rig.h"

namespace tonforge {
namespace {

using testing::kSource;
using testing::PlayRig;

// At every latency: block sizes in frames, the smallest and the largest.
constexpr uint32_t kBlockSizes[] = {4096, 256};

TEST(OutputRing, TargetIsTwoBlocksAheadOfThePlayCursor) {
  for (const uint32_t frames : kBlockSizes) {
    const uint32_t block = frames * kFrameBytes;
    const std::pair<uint32_t, uint32_t> cases[] = {
        {5 * block, 7}, {5 * block + block - 1, 7}, {6 * block + 4, 0}, {7 * block, 1},
        {0, 2},         {block, 3},                 {RingBytesFor(frames) - 1, 1},
    };
    for (const auto& [cursor, target] : cases) EXPECT_EQ(TargetBlock(cursor, block), target) << frames << " " << cursor;
  }
  EXPECT_EQ(RingBytesFor(kBlockFrames), kRingBytes);
}

TEST(LiveOutput, RendersOneBlockAheadAndWaitsForTheDevice) {
  for (const uint32_t frames : kBlockSizes) {
  SCOPED_TRACE(frames);
  struct Step { uint32_t playBlock; LiveOutputStep result; size_t writes; uint32_t lastBlock; };
  const Step steps[] = {
      {0, LiveOutputStep::Rendered, 1, 2},  // renders and writes two blocks ahead
      {0, LiveOutputStep::Rendered, 1, 2},  // renders the next block and leaves it pending
      {0, LiveOutputStep::Polled, 1, 2},    // only polls until the device moves on
      {1, LiveOutputStep::Wrote, 2, 3},     // the pending block goes out; nothing is rendered
      {1, LiveOutputStep::Rendered, 2, 3},
      {6, LiveOutputStep::Wrote, 3, 0},     // the ring wraps
  };
  PlayRig rig;
  rig.app->ring.blockFrames = frames;
  rig.device.blockBytes = frames * kFrameBytes;
  for (const Step& s : steps) {
    rig.device.PlayInBlock(s.playBlock);
    EXPECT_EQ(ServeLiveOutput(*rig.app), s.result) << s.writes;
    ASSERT_EQ(rig.device.WriteCount(), s.writes);
    EXPECT_EQ(rig.device.Write(s.writes - 1).offset, s.lastBlock * frames * kFrameBytes);
  }
  // With no note and empty chains every block is silence, a whole block of it.
  const auto block = rig.device.Write(2).samples;
  EXPECT_EQ(std::count(block.begin(), block.end(), 0), static_cast<long>(frames * 2));
  }
}

TEST(LiveOutput, NoteKeyDropsThePendingBlock) {
  PlayRig rig;
  rig.AddProgram({kSource}).engines[0].F[0] = 0.5f;
  Engine& gain = rig.SetTrackEngine(rig.AddTrack(), 0, testing::kGain);
  gain.F[0] = gain.F[1] = 0.5f;
  rig.app->song.currentTrack = 1;
  rig.app->song.songLevel = 0.1f;  // never applied to the live output
  ServeLiveOutputWith(*rig.app, rig.routines);
  ServeLiveOutputWith(*rig.app, rig.routines);  // a silent block now waits
  StartLiveNote(*rig.app, 2450, 0);
  EXPECT_EQ(ServeLiveOutputWith(*rig.app, rig.routines), LiveOutputStep::Rendered);
  rig.device.PlayInBlock(1);
  ServeLiveOutputWith(*rig.app, rig.routines);
  ASSERT_EQ(rig.device.WriteCount(), 2u);
  // The note from the block's first frame, through the current track's chain.
  EXPECT_EQ(rig.device.Write(1).samples.front(), 8191);
}

TEST(LiveOutput, StartLiveNoteIgnoresImpossibleNotes) {
  for (const auto& [pitch, program, starts] : {std::tuple{6100, 0, false}, {2450, 1, false}, {2450, -1, false},
                                               {6099, 0, true}}) {
    PlayRig rig;
    rig.AddProgram({kSource}).transpose = 30;
    StartLiveNote(*rig.app, pitch, program);
    EXPECT_EQ(rig.app->live.voices[0].liveFlag, starts ? 1u : 0u) << pitch << " " << program;
    EXPECT_EQ(rig.app->live.noteStarted, starts ? 1u : 0u);
    EXPECT_EQ(rig.app->live.voices[0].voice.transpose, starts ? 30 : 0);
  }
}

// A chord sums its voices before the track's chain; a released voice fades out in 5 ms without a step.
TEST(LiveOutput, ChordSumsAndReleasedVoiceFadesOut) {
  PlayRig rig;
  rig.AddProgram({kSource}).engines[0].F[0] = 0.5f;
  Engine& gain = rig.SetTrackEngine(rig.AddTrack(), 0, testing::kGain);
  gain.F[0] = gain.F[1] = 0.5f;
  rig.app->song.currentTrack = 1;
  ASSERT_TRUE(SetLiveVoiceCount(*rig.app, 4));
  rig.app->live.keysHold = 0;
  StartLiveNote(*rig.app, 2450, 0, 1);
  StartLiveNote(*rig.app, 2850, 0, 2);
  SampleContext ctx = MakeSampleContext(*rig.app);
  auto next = [&] { return MixLiveSampleWith(*rig.app, ctx, rig.routines).left; };
  EXPECT_EQ(next(), 16383);  // two voices of 0.25 each after the track's gain
  ReleaseLiveNote(*rig.app, 2);
  const int fade = 44100 * kReleaseFadeMilliseconds / 1000;
  int previous = 16383, largestStep = 0, frames = 0;
  for (int sample = next(); sample != 8191 && frames < 1000; sample = next(), ++frames) {
    largestStep = std::max(largestStep, std::abs(sample - previous));
    previous = sample;
  }
  EXPECT_EQ(frames, fade);
  EXPECT_LE(largestStep, 8192 / fade + 1);
  EXPECT_EQ(next(), 8191);  // the held voice alone
  EXPECT_FALSE(rig.app->live.voices[1].fadeLeft != 0 || rig.app->live.voices[1].liveFlag != 0);
}

}  // namespace
}  // namespace tonforge
