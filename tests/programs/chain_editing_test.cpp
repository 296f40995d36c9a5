#include <gtest/gtest.h>

#include "support/song_rig.h"

namespace tonforge {
namespace {

using testing::FillSlot;
using testing::Id;
using testing::SongRig;

constexpr ChainMode P = ChainMode::Program, T = ChainMode::Track;
const uint32_t W = Id(EngineTypeId::BasicWave), F = Id(EngineTypeId::LowPassFilter), C = Id(EngineTypeId::CombFilter),
               Ch = Id(EngineTypeId::Chorus), A = Id(EngineTypeId::Amplifier);

// Program 0 holds a wave at 0 and a filter at 2, track 1 a comb filter at 5. Mode 1 edits the program.
TEST(MoveEngine, SwapsNeighboursAndTheSelectionFollows) {
  struct Case { ChainMode mode; int32_t from, step, selectedAfter; std::array<uint32_t, 9> types; };
  for (const Case& c : {Case{P, 0, -1, 0, {W, 0, F}}, Case{P, 8, +1, 8, {W, 0, F}}, Case{P, 2, -1, 1, {W, F, 0}},
                        Case{T, 5, -1, 4, {0, 0, 0, 0, C}}, Case{T, 8, +1, 8, {0, 0, 0, 0, 0, C}}}) {
    SongRig rig(1, 2);
    rig.SetProgramType(0, W), rig.SetProgramType(2, F), rig.SetTrackType(5, C);
    const SampleBlock combBuffer = rig.TrackNo(1).chain[5].left;
    rig.app.chainEditor = {c.mode, c.from};
    (c.step < 0 ? MoveEngineUp : MoveEngineDown)(rig.app);
    const auto& chain = c.mode == P ? rig.app.song.programs[0]->engines : rig.TrackNo(1).chain;
    for (int p = 0; p < kChainLength; ++p) EXPECT_EQ(chain[p].type, c.types[p]) << static_cast<int>(c.mode) << c.from << " at " << p;
    EXPECT_EQ(rig.app.chainEditor.selectedPosition, c.selectedAfter);
    for (const Engine& e : chain) EXPECT_TRUE(e.type != C || e.left == combBuffer);  // a track engine's buffers travel
  }
}

// The clipboard holds a chorus (any chain; one delay line, a modulator in slot 0) from track 1, or a wave
// player (programs only) from program 0. The paste goes to position 2, which holds an amplifier.
TEST(PasteEngine, CopiesOwnDataOrLeavesTheChainAsItWas) {
  struct Case { bool copyWave; ChainMode target; int failAfter; uint32_t typeAfter, slotsAfter; const char* message; };
  const Case cases[] = {
      {false, T, -1, Ch, 1, nullptr},
      {false, T, 0, A, 0, "Out Of Memory - Cannot Paste Engine"},  // no memory for its buffers
      {false, T, 2, Ch, 0, "Out Of Memory - Cannot Paste Modulator Data"},
      {false, P, -1, Ch, 1, nullptr},
      {false, P, 1, A, 0, "Out Of Memory - Cannot Paste Engine"},  // no memory for the voices' buffers
      {true, T, -1, A, 0, nullptr},                                // a program-only engine stays out of tracks
      {true, P, -1, W, 1, nullptr},
  };
  for (const Case& c : cases) {
    SongRig rig(1, 2);
    rig.SetProgramType(0, W), rig.SetProgramType(2, A), rig.SetTrackType(0, Ch), rig.SetTrackType(2, A);
    FillSlot(rig.TrackNo(1).chain[0], 0, 8);
    FillSlot(rig.ProgramEngine(0, 0), 0, 8);
    rig.app.chainEditor = {c.copyWave ? P : T, 0};
    CopyEngine(rig.app);
    rig.app.chainEditor = {c.target, 2};
    FailAllocationsForTesting(std::max(c.failAfter, 0), c.failAfter >= 0 ? 1 : 0);
    PasteEngine(rig.app);
    FailAllocationsForTesting(0, 0);
    const Engine& pasted = c.target == P ? rig.ProgramEngine(0, 2) : rig.TrackNo(1).chain[2];
    EXPECT_EQ(rig.Messages(), c.message ? std::vector<std::string>{c.message} : std::vector<std::string>{}) << &c - cases;
    EXPECT_EQ(pasted.type, c.typeAfter) << &c - cases;
    EXPECT_EQ(pasted.loadedSlotCount, c.slotsAfter) << &c - cases;
    if (c.slotsAfter == 1) {
      EXPECT_NE(pasted.slots[0].data, rig.app.engineClipboard.engine.slots[0].data);
      EXPECT_EQ(pasted.slots[0].data[7], 8.0f);
    }
    const bool ownBuffers = c.typeAfter == Ch && c.target == T;
    EXPECT_EQ(static_cast<bool>(pasted.right), ownBuffers);
    if (ownBuffers) pasted.right[pasted.bufferLength - 1] = 0.0f;  // the sanitizer build checks the length
    EXPECT_TRUE(c.target == T || rig.app.song.positionBufferSize[2] == pasted.bufferLength);
  }
}

}  // namespace
}  // namespace tonforge
