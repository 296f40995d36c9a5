#include <gtest/gtest.h>

#include "support/song_rig.h"

namespace tonforge {
namespace {

using testing::FillSlot;
using testing::Id;
using testing::SongRig;
using testing::Type;

constexpr uint32_t kProgramChain = 1, kTrackChain = 0;

// Row 29 of the song plug-in list is the song speed modulator; the track list has the stereo chorus there.
TEST(SetEngineType, TakesTheTypeFromTheEditedChainsListAndRevalidates) {
  struct Case {
    const char* what;
    uint32_t mode;
    int32_t track;
    int32_t row;
    uint32_t type;
    int32_t parameterValueAfter;  // of a parameter-0 event for position 4 holding 5000
  };
  const Case cases[] = {
      {"program chain", kProgramChain, 1, 1, Id(EngineTypeId::BasicWave), 100},
      {"song chain", kTrackChain, 0, 29, Id(EngineTypeId::SongSpeedModulator), 1000},
      {"track chain", kTrackChain, 1, 29, Id(EngineTypeId::StereoChorus), 100},
      {"row beyond the list", kProgramChain, 1, 999, 0, 5000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SongRig rig;
    rig.AddPrograms(1);
    rig.GrowTo(2);
    rig.app.song.currentTrack = c.track;
    Track& track = rig.TrackNo(c.track);
    const int32_t eventType = Type(c.mode == kProgramChain ? EventType::ProgramEngineParameter
                                                           : EventType::TrackEngineParameter) + 4;
    AppendEvent(rig.app, track, {0, Type(EventType::NoteOn), 1050, 0});
    AppendEvent(rig.app, track, {1, eventType, 0, 5000});
    rig.app.chainEditor.chainMode = c.mode;
    rig.app.chainEditor.selectedPosition = 4;
    rig.app.song.selectedEngineType = c.row;
    SetEngineType(rig.app);
    const Engine& e = c.mode == kProgramChain ? rig.app.song.programs[0]->engines[4] : track.chain[4];
    EXPECT_EQ(e.type, c.type);
    EXPECT_EQ(EventAt(track, track.eventCount - 1)->valueB, c.parameterValueAfter);
  }
}

TEST(ChainMode, SwitchingReturnsTheTypeListToItsFirstRow) {
  struct Case {
    uint32_t mode;
    bool program;
    int32_t position;
    uint32_t modeAfter;
    int32_t positionAfter;
    int32_t rowAfter;
  };
  const Case cases[] = {
      {kTrackChain, true, 3, kProgramChain, 3, 0},  {kProgramChain, true, 4, kProgramChain, 4, 7},
      {kProgramChain, false, 8, kTrackChain, 8, 0}, {kProgramChain, false, 9, kProgramChain, 2, 7},
  };
  for (const Case& c : cases) {
    SongRig rig;
    rig.app.chainEditor = {c.mode, 2};
    rig.app.song.engineListScroll = 5;
    rig.app.song.selectedEngineType = 7;
    (c.program ? SelectProgramChainPosition : SelectTrackChainPosition)(rig.app, c.position);
    EXPECT_EQ(rig.app.chainEditor.chainMode, c.modeAfter) << c.position;
    EXPECT_EQ(rig.app.chainEditor.selectedPosition, c.positionAfter) << c.position;
    EXPECT_EQ(rig.app.song.selectedEngineType, c.rowAfter) << c.position;
    EXPECT_EQ(rig.app.song.engineListScroll, c.rowAfter == 0 ? 0 : 5) << c.position;
  }
}

// Program 0 holds a wave at 0 and a filter at 2; track 1 holds a comb filter at 5.
TEST(MoveEngine, SwapsNeighboursAndTheSelectionFollows) {
  struct Case {
    uint32_t mode;
    int32_t from;
    int32_t step;
    int32_t selectedAfter;
    std::array<uint32_t, 9> typesAfter;
  };
  const uint32_t W = Id(EngineTypeId::BasicWave), F = Id(EngineTypeId::LowPassFilter), C = Id(EngineTypeId::CombFilter);
  const Case cases[] = {
      {kProgramChain, 0, -1, 0, {W, 0, F, 0, 0, 0, 0, 0, 0}},
      {kProgramChain, 8, +1, 8, {W, 0, F, 0, 0, 0, 0, 0, 0}},
      {kProgramChain, 2, +1, 3, {W, 0, 0, F, 0, 0, 0, 0, 0}},
      {kProgramChain, 2, -1, 1, {W, F, 0, 0, 0, 0, 0, 0, 0}},
      {kTrackChain, 5, -1, 4, {0, 0, 0, 0, C, 0, 0, 0, 0}},
      {kTrackChain, 8, +1, 8, {0, 0, 0, 0, 0, C, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.mode << " " << c.from << " " << c.step);
    SongRig rig;
    rig.AddPrograms(1);
    rig.SetType(kProgramChain, 0, W);
    rig.SetType(kProgramChain, 2, F);
    rig.GrowTo(2);
    rig.app.song.currentTrack = 1;
    rig.SetType(kTrackChain, 5, C);
    const SampleBlock combBuffer = rig.TrackNo(1).chain[5].left;
    rig.app.chainEditor = {c.mode, c.from};
    (c.step < 0 ? MoveEngineUp : MoveEngineDown)(rig.app);
    const auto& chain = c.mode == kProgramChain ? rig.app.song.programs[0]->engines : rig.TrackNo(1).chain;
    std::array<uint32_t, 9> types{};
    for (int p = 0; p < kChainLength; ++p) types[p] = chain[p].type;
    EXPECT_EQ(types, c.typesAfter);
    EXPECT_EQ(rig.app.chainEditor.selectedPosition, c.selectedAfter);
    for (int p = 0; p < kChainLength; ++p) {
      if (chain[p].type == C) {
        EXPECT_EQ(chain[p].left, combBuffer);  // a track engine's buffers travel with it
      }
    }
  }
}

// The clipboard holds either a chorus (any chain; one delay line, a modulator in slot 0) copied from track 1,
// or a wave player (programs only) copied from program 0. Pastes go to position 2, which holds an amplifier.
TEST(PasteEngine, CopiesOwnDataOrLeavesTheChainAsItWas) {
  struct Case {
    const char* what;
    bool copyWave;
    bool clearClipboard;
    uint32_t targetMode;
    int failAfter;  // successful allocations of the paste before memory runs out; -1 never
    uint32_t typeAfter;
    uint32_t slotLoadedAfter;
    std::vector<std::string> messages;
  };
  const uint32_t Ch = Id(EngineTypeId::Chorus), A = Id(EngineTypeId::Amplifier), W = Id(EngineTypeId::BasicWave);
  const Case cases[] = {
      {"into a track", false, false, kTrackChain, -1, Ch, 1, {}},
      {"into a track, no memory for its buffers", false, false, kTrackChain, 0, A, 0,
       {"Out Of Memory - Cannot Paste Engine"}},
      {"into a track, no memory for its data", false, false, kTrackChain, 2, Ch, 0,
       {"Out Of Memory - Cannot Paste Modulator Data"}},
      {"into a program", false, false, kProgramChain, -1, Ch, 1, {}},
      {"into a program, no memory for the voices", false, false, kProgramChain, 1, A, 0,
       {"Out Of Memory - Cannot Paste Engine"}},
      {"program-only engine into a track", true, false, kTrackChain, -1, A, 0, {}},
      {"program-only engine into a program", true, false, kProgramChain, -1, W, 1, {}},
      {"cleared clipboard", false, true, kProgramChain, -1, A, 0, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SongRig rig;
    rig.AddPrograms(1);
    rig.GrowTo(2);
    rig.app.song.currentTrack = 1;
    rig.SetType(kProgramChain, 0, W);
    rig.SetType(kProgramChain, 2, A);
    rig.SetType(kTrackChain, 0, Ch);
    rig.SetType(kTrackChain, 2, A);
    Engine& chorus = rig.TrackNo(1).chain[0];
    FillSlot(chorus, 0, 8);
    FillSlot(rig.app.song.programs[0]->engines[0], 0, 8);
    rig.app.chainEditor = {c.copyWave ? kProgramChain : kTrackChain, 0};
    CopyEngine(rig.app);
    if (c.clearClipboard) ClearEngineClipboard(rig.app);
    rig.app.chainEditor = {c.targetMode, 2};
    if (c.failAfter >= 0) FailAllocationsForTesting(c.failAfter, 1);
    PasteEngine(rig.app);
    FailAllocationsForTesting(0, 0);

    const Engine& pasted =
        c.targetMode == kProgramChain ? rig.app.song.programs[0]->engines[2] : rig.TrackNo(1).chain[2];
    EXPECT_EQ(rig.Messages(), c.messages);
    EXPECT_EQ(pasted.type, c.typeAfter);
    EXPECT_EQ(pasted.slots[0].loaded, c.slotLoadedAfter);
    EXPECT_EQ(pasted.loadedSlotCount, c.slotLoadedAfter);
    if (c.slotLoadedAfter == 1) {
      EXPECT_NE(pasted.slots[0].data, chorus.slots[0].data);
      EXPECT_EQ(pasted.slots[0].data[7], 8.0f);
    }
    if (c.typeAfter == Ch && c.targetMode == kTrackChain) {
      ASSERT_TRUE(pasted.left && pasted.right);
      EXPECT_NE(pasted.left, chorus.left);
      pasted.right[pasted.bufferLength - 1] = 0.0f;  // the sanitizer build checks the length
    }
    if (c.targetMode == kProgramChain) {
      EXPECT_FALSE(pasted.left);
      EXPECT_EQ(rig.app.song.positionBufferSize[2], pasted.bufferLength);
    }
  }
}

}  // namespace
}  // namespace tonforge
