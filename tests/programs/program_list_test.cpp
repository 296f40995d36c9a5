#include <gtest/gtest.h>

#include <functional>

#include "support/song_rig.h"

namespace tonforge {
namespace {

using testing::FillSlot;
using testing::Id;
using testing::SongRig;
using testing::Type;

std::vector<std::string> Names(const Song& song) {
  std::vector<std::string> out;
  for (const auto& p : song.programs) out.push_back(p->name.data());
  return out;
}

TEST(ProgramList, NamesCountTheListAndTheCurrentProgramStaysValid) {
  enum Action { New, Copy, Select, Delete };
  struct Step {
    Action action;
    int32_t index;
    std::vector<std::string> names;
    int32_t current;
  };
  const Step steps[] = {
      {New, 0, {"Program 0"}, 0},
      {New, 0, {"Program 0", "Program 1"}, 0},
      {Copy, 0, {"Program 0", "Program 1", "Program 0"}, 0},
      {Select, 1, {"Program 0", "Program 1", "Program 0"}, 1},
      {Delete, 0, {"Program 0", "Program 0"}, 1},
      {New, 0, {"Program 0", "Program 0", "Program 2"}, 1},
      {Select, 2, {"Program 0", "Program 0", "Program 2"}, 2},
      {Delete, 0, {"Program 0", "Program 0"}, 1},  // the last one gone: the one before becomes current
      {Select, 7, {"Program 0", "Program 0"}, 1},  // no such program
  };
  SongRig rig;
  for (const Step& s : steps) {
    SCOPED_TRACE(&s - steps);
    switch (s.action) {
      case New: NewProgram(rig.app); break;
      case Copy: CopyProgram(rig.app); break;
      case Select: SelectProgram(rig.app, s.index); break;
      case Delete:
        rig.dialogs.answers = {true};
        DeleteProgram(rig.app);
        break;
    }
    EXPECT_EQ(Names(rig.app.song), s.names);
    EXPECT_EQ(rig.app.song.currentProgram, s.current);
  }
}

TEST(ProgramList, CopyOwnsItsSampleBlocks) {
  for (bool memoryRunsOut : {false, true}) {
    SCOPED_TRACE(memoryRunsOut);
    SongRig rig;
    rig.AddPrograms(1);
    rig.SetType(1, 0, Id(EngineTypeId::BasicWave));
    Engine& source = rig.app.song.programs[0]->engines[0];
    FillSlot(source, 0, 4);
    if (memoryRunsOut) FailAllocationsForTesting(0, 1);
    CopyProgram(rig.app);
    FailAllocationsForTesting(0, 0);
    ASSERT_EQ(rig.app.song.programs.size(), 2u);
    const Engine& copy = rig.app.song.programs[1]->engines[0];
    EXPECT_EQ(copy.type, Id(EngineTypeId::BasicWave));
    if (memoryRunsOut) {
      EXPECT_EQ(rig.Messages(), std::vector<std::string>{"Out Of Memory - Cannot Create New Program"});
      EXPECT_EQ(copy.slots[0].loaded, 0u);
      EXPECT_EQ(copy.loadedSlotCount, 0u);
      EXPECT_EQ(source.slots[0].data[3], 4.0f);
      continue;
    }
    ASSERT_EQ(copy.loadedSlotCount, 1u);
    source.slots[0].data[0] = -1.0f;
    source.slots[0].data.reset();
    EXPECT_EQ(copy.slots[0].data[0], 1.0f);
    EXPECT_EQ(copy.slots[0].data[3], 4.0f);
  }
}

TEST(DeleteProgram, RemovesItsNotesAndRenumbersTheLaterOnes) {
  SongRig rig;
  rig.AddPrograms(5);
  rig.GrowTo(3);
  for (int32_t program = 0; program < 5; ++program)
    InsertEvent(rig.app, rig.TrackNo(1), {program * 10, Type(EventType::NoteOn), 1050, program});
  InsertEvent(rig.app, rig.TrackNo(2), {0, Type(EventType::NoteOn), 1050, 2});
  rig.TrackNo(2).selectedEvent = 0;
  SelectProgram(rig.app, 2);
  rig.dialogs.answers = {true};
  DeleteProgram(rig.app);

  std::vector<std::pair<int32_t, int32_t>> notes;
  for (const EventValues& v : SongRig::Events(rig.TrackNo(1))) notes.push_back({v.tick, v.valueB});
  EXPECT_EQ(notes, (std::vector<std::pair<int32_t, int32_t>>{{0, 0}, {10, 1}, {30, 2}, {40, 3}}));
  EXPECT_EQ(rig.TrackNo(1).eventCount, 4);
  EXPECT_EQ(rig.TrackNo(2).eventCount, 0);
  EXPECT_EQ(rig.TrackNo(2).events.First(), nullptr);
}

TEST(DeleteProgram, AsksFirstAndLeavesTheChainEditorOnAChainThatExists) {
  struct Case {
    const char* what;
    int programs;
    int32_t current;
    bool answer;
    uint32_t chainMode;
    int programsLeft;
    int32_t currentAfter;
    uint32_t chainModeAfter;
    int32_t engineRowAfter;
  };
  const Case cases[] = {
      {"answered No", 2, 1, false, 1, 2, 1, 1, 5},
      {"last program while a program chain is shown", 1, 0, true, 1, 0, -1, 0, 0},
      {"last program while a track chain is shown", 1, 0, true, 0, 0, -1, 0, 5},
      {"empty list", 0, 0, true, 0, 0, 0, 0, 5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SongRig rig;
    rig.AddPrograms(c.programs);
    SelectProgram(rig.app, c.current);
    rig.app.chainEditor.chainMode = c.chainMode;
    rig.app.song.selectedEngineType = 5;
    rig.dialogs.answers = {c.answer};
    DeleteProgram(rig.app);
    EXPECT_EQ(ProgramCount(rig.app.song), c.programsLeft);
    EXPECT_EQ(rig.app.song.currentProgram, c.currentAfter);
    EXPECT_EQ(rig.app.chainEditor.chainMode, c.chainModeAfter);
    EXPECT_EQ(rig.app.song.selectedEngineType, c.engineRowAfter);
    if (c.programs > 0) {
      ASSERT_EQ(rig.dialogs.shown.size(), 1u);
      EXPECT_EQ(rig.dialogs.shown[0].caption, "Delete Program");
      EXPECT_EQ(rig.dialogs.shown[0].text, "Are You Sure?");
    } else {
      EXPECT_TRUE(rig.dialogs.shown.empty());
    }
  }
}

TEST(ProgramList, WindowFollowsTheCurrentProgram) {
  struct Case {
    int32_t scroll;
    bool byRow;
    int32_t value;
    int32_t current;
    int32_t scrollAfter;
  };
  const Case cases[] = {
      {0, false, 10, 10, 2}, {5, false, 3, 3, 3}, {2, true, 4, 6, 2}, {0, false, 12, 0, 0}, {0, true, 9, 0, 0},
      {3, true, 8, 11, 3},
  };
  for (const Case& c : cases) {
    SongRig rig;
    rig.AddPrograms(12);
    rig.app.song.programListScroll = c.scroll;
    if (c.byRow)
      SelectProgramRow(rig.app, c.value);
    else
      SelectProgram(rig.app, c.value);
    EXPECT_EQ(rig.app.song.currentProgram, c.current) << c.value;
    EXPECT_EQ(rig.app.song.programListScroll, c.scrollAfter) << c.value;
  }
}

TEST(ProgramList, LevelAndPanFromPanelValues) {
  const std::vector<std::pair<int32_t, float>> levels = {{50, 0.5f}, {100, 1.0f}, {150, 1.0f}, {-3, 0.0f}};
  const std::vector<std::pair<int32_t, int32_t>> pans = {{-100, 0}, {0, 100}, {100, 200}, {300, 200}};
  SongRig rig;
  SetProgramLevel(rig.app, 50);  // no program: nothing to touch
  rig.AddPrograms(1);
  Program& p = *rig.app.song.programs[0];
  EXPECT_EQ(p.level, 0.75f);
  for (auto [value, level] : levels) {
    SetProgramLevel(rig.app, value);
    EXPECT_FLOAT_EQ(p.level, level) << value;
  }
  for (auto [value, pan] : pans) {
    SetProgramPan(rig.app, value);
    EXPECT_EQ(p.pan, pan) << value;
  }
}

TEST(CountUsedEngines, HighestFilledPositionPlusOne) {
  const std::vector<std::pair<std::vector<int>, uint32_t>> cases = {{{}, 0}, {{0, 4}, 5}, {{8}, 9}, {{0}, 1}};
  for (const auto& [positions, count] : cases) {
    Program p;
    for (int position : positions) InitProgramEngine(p.engines[position], Id(EngineTypeId::Amplifier));
    EXPECT_EQ(CountUsedEngines(p), count);
    EXPECT_EQ(p.engineCount, count);
  }
}

TEST(IsEngineValidAt, FollowsTheLevelFlags) {
  struct Case {
    uint32_t type;
    uint32_t level;
    bool valid;
  };
  const Case cases[] = {
      {0, kLevelProgram, true},
      {Id(EngineTypeId::BasicWave), kLevelTrack, false},
      {Id(EngineTypeId::SongSpeedModulator), kLevelSong, true},
      {Id(EngineTypeId::SongSpeedModulator), kLevelProgram, false},
      {Id(EngineTypeId::CombFilter), kLevelTrack, true},
      {48, kLevelProgram, false},
      {0xFFFFFFFFu, kLevelSong, false},
  };
  for (const Case& c : cases) EXPECT_EQ(IsEngineValidAt(c.type, c.level), c.valid) << c.type << " at " << c.level;
}

// Each step acts on a song with two programs and two tracks; the sizes are those of positions 0, 1 and 2.
TEST(PositionBuffers, SizedByTheLargestNeedAndSharedByEveryVoice) {
  const uint32_t comb = BuildEngineCatalog()[Id(EngineTypeId::CombFilter)].delayBufferLength;
  const uint32_t delay = BuildEngineCatalog()[Id(EngineTypeId::BasicDelay)].delayBufferLength;
  struct Step {
    const char* what;
    std::function<void(SongRig&)> act;
    std::array<uint32_t, 3> sizes;
    std::vector<std::string> messages;
  };
  const Step steps[] = {
      {"comb filter in program 0",
       [](SongRig& r) { r.SetType(1, 1, Id(EngineTypeId::CombFilter)); }, {0, comb, 0}, {}},
      {"smaller delay in program 1",
       [](SongRig& r) {
         SelectProgram(r.app, 1);
         r.SetType(1, 1, Id(EngineTypeId::BasicDelay));
       },
       {0, comb, 0}, {}},
      {"comb filter replaced: the next largest need",
       [](SongRig& r) {
         SelectProgram(r.app, 0);
         r.SetType(1, 1, 0);
       },
       {0, delay, 0}, {}},
      {"delay moved down",
       [](SongRig& r) {
         SelectProgram(r.app, 1);
         MoveEngineDown(r.app);
       },
       {0, 0, delay}, {}},
      {"growth without memory changes nothing",
       [](SongRig& r) {
         FailAllocationsForTesting(0, 1);
         r.SetType(1, 0, Id(EngineTypeId::CombFilter));
         FailAllocationsForTesting(0, 0);
       },
       {0, 0, delay}, {"Out Of Memory - Cannot Initialise Program Engine"}},
      {"program holding the delay deleted",
       [](SongRig& r) {
         r.dialogs.answers = {true};
         DeleteProgram(r.app);
       },
       {0, 0, 0}, {"Are You Sure?"}},
  };
  SongRig rig;
  rig.AddPrograms(2);
  rig.GrowTo(2);
  for (const Step& s : steps) {
    SCOPED_TRACE(s.what);
    rig.dialogs.shown.clear();
    s.act(rig);
    EXPECT_EQ(rig.Messages(), s.messages);
    for (int p = 0; p < 3; ++p) {
      EXPECT_EQ(rig.app.song.positionBufferSize[p], s.sizes[p]) << p;
      for (auto [voice, buffers] : {std::pair{&rig.app.live.voice, &rig.app.live.buffers},
                                    std::pair{&rig.TrackNo(1).playingProgram, &rig.TrackNo(1).voiceBuffers}}) {
        ASSERT_EQ(static_cast<bool>(buffers->left[p]), s.sizes[p] != 0) << p;
        EXPECT_EQ(voice->engines[p].right, buffers->right[p]);
        if (s.sizes[p] != 0) buffers->right[p][s.sizes[p] - 1] = 0.5f;  // the sanitizer build checks the length
      }
    }
    EXPECT_FALSE(rig.TrackNo(0).voiceBuffers.left[1]);
  }
}

}  // namespace
}  // namespace tonforge
