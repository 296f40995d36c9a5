// The live output: block-ahead writes into the device ring and live notes.
#include <gtest/gtest.h>

#include "audio/live_output.h"
#include "support/song_rig.h"

namespace tonforge {
namespace {

using testing::kSource;
using testing::SongRig;

TEST(OutputRing, TargetIsTwoBlocksAheadOfThePlayCursor) {
  struct Case {
    uint32_t cursor;
    uint32_t target;
  };
  const Case cases[] = {
      {5 * kBlockBytes, 7}, {5 * kBlockBytes + 16383, 7}, {6 * kBlockBytes + 4, 0}, {7 * kBlockBytes, 1},
      {0, 2},               {16383, 2},                   {16384, 3},             {kRingBytes - 1, 1},
  };
  for (const Case& c : cases) EXPECT_EQ(TargetBlock(c.cursor), c.target) << c.cursor;
}

TEST(LiveOutput, RendersOneBlockAheadAndWaitsForTheDevice) {
  struct Step {
    uint32_t playBlock;
    LiveOutputStep result;
    size_t writes;
    uint32_t lastBlock;  // ring block of the latest write
  };
  const Step steps[] = {
      {0, LiveOutputStep::Rendered, 1, 2},  // renders and writes two blocks ahead
      {0, LiveOutputStep::Rendered, 1, 2},  // renders the next block and leaves it pending
      {0, LiveOutputStep::Polled, 1, 2},    // only polls until the device moves on
      {0, LiveOutputStep::Polled, 1, 2},
      {1, LiveOutputStep::Wrote, 2, 3},     // the pending block goes out, nothing is rendered
      {1, LiveOutputStep::Rendered, 2, 3},
      {6, LiveOutputStep::Wrote, 3, 0},     // the ring wraps
  };
  SongRig rig;
  int n = 0;
  for (const Step& s : steps) {
    rig.device.PlayInBlock(s.playBlock);
    EXPECT_EQ(ServeLiveOutput(*rig.app), s.result) << "step " << n;
    ASSERT_EQ(rig.device.WriteCount(), s.writes) << "step " << n;
    EXPECT_EQ(rig.device.Write(s.writes - 1).offset, s.lastBlock * kBlockBytes) << "step " << n;
    ++n;
  }
  EXPECT_FALSE(rig.device.overrun);
  // With no note and empty chains every block is silence.
  for (size_t i = 0; i < rig.device.WriteCount(); ++i) {
    const auto block = rig.device.Write(i).samples;
    ASSERT_EQ(block.size(), kBlockFrames * 2);
    EXPECT_EQ(std::count(block.begin(), block.end(), 0), static_cast<long>(block.size()));
  }
}

TEST(LiveOutput, NoteKeyDropsThePendingBlock) {
  SongRig rig;
  rig.AddProgram({kSource}).engines[0].F[0] = 0.5f;
  ServeLiveOutputWith(*rig.app, rig.routines);
  ServeLiveOutputWith(*rig.app, rig.routines);  // a silent block now waits
  ASSERT_EQ(rig.app->ring.blockPending, 1u);
  StartLiveNote(*rig.app, 2450, 0);
  EXPECT_EQ(rig.app->ring.blockPending, 0u);
  EXPECT_EQ(ServeLiveOutputWith(*rig.app, rig.routines), LiveOutputStep::Rendered);
  rig.device.PlayInBlock(1);
  ServeLiveOutputWith(*rig.app, rig.routines);
  ASSERT_EQ(rig.device.WriteCount(), 2u);
  const auto block = rig.device.Write(1).samples;
  EXPECT_EQ(block.front(), 16383) << "the block written carries the new note from its first frame";
  EXPECT_EQ(block.back(), 16383);
}

TEST(LiveOutput, StartLiveNoteIgnoresImpossibleNotes) {
  struct Case {
    int32_t pitch;
    int32_t program;
    bool starts;
  };
  for (const Case& c : {Case{6100, 0, false}, Case{2450, 1, false}, Case{2450, -1, false}, Case{6099, 0, true},
                        Case{0, 0, true}}) {
    SongRig rig;
    Program& p = rig.AddProgram({kSource}, 0.5f);
    p.transpose = 30;
    rig.app->ring.blockPending = 1;
    StartLiveNote(*rig.app, c.pitch, c.program);
    EXPECT_EQ(rig.app->live.liveFlag, c.starts ? 1u : 0u) << c.pitch << " " << c.program;
    EXPECT_EQ(rig.app->ring.blockPending, c.starts ? 0u : 1u);
    EXPECT_EQ(rig.app->live.livePitch, c.starts ? c.pitch : 0);
    EXPECT_EQ(rig.app->live.voice.transpose, c.starts ? 30 : 0);
  }
}

TEST(LiveOutput, MixBufferFailureIsReported) {
  struct Case {
    bool device;
    bool refuse;
    bool created;
  };
  for (const Case& c : {Case{true, false, true}, Case{true, true, false}, Case{false, false, false}}) {
    SongRig rig;
    rig.device.refuseRecreate = c.refuse;
    if (!c.device) rig.app->sound = nullptr;
    EXPECT_EQ(CreateMixBuffer(*rig.app, 22050), c.created);
    EXPECT_EQ(rig.dialogs.shown.size(), c.created ? 0u : 1u);
    if (!c.created) {
      EXPECT_EQ(rig.dialogs.shown[0].text, "Could Not Create Mix Sound Buffer");
    }
    // Without a device the live output renders once, keeps the block and only polls after that.
    if (!c.device) {
      EXPECT_EQ(ServeLiveOutput(*rig.app), LiveOutputStep::Rendered);
      EXPECT_EQ(ServeLiveOutput(*rig.app), LiveOutputStep::Polled);
    }
  }
}

}  // namespace
}  // namespace tonforge
