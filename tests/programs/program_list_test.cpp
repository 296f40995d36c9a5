// The program list and the chains: names, copies and deletions of programs, the buffers every voice shares,
// engines moved and pasted along a chain, and the question before a modified program is replaced.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>

#include "programs/program_file.h"
#include "programs/program_modified.h"
#include "support/file_rig.h"
#include "support/song_rig.h"

namespace tonforge::testing {
namespace {


TEST(ProgramList, NamesCountTheListAndTheCurrentProgramStaysValid) {
  enum Action { New, NewCurrent, Copy, Select, Delete };
  struct Step { Action action; int32_t index; std::vector<std::string> names; int32_t current; };
  const std::string p0 = "Program 0", p1 = "Program 1";
  const Step steps[] = {
      {New, 0, {p0}, 0},           {New, 0, {p0, p1}, 0},          {Delete, 0, {p1}, 0},
      {New, 0, {p1, p1}, 0},       // named after the count, so names repeat
      {Select, 1, {p1, p1}, 1},    {Copy, 0, {p1, p1, p1}, 1},     // the copy keeps its source's name
      {Select, 2, {p1, p1, p1}, 2}, {Delete, 0, {p1, p1}, 1},      // the one before the last becomes current
      {Select, 7, {p1, p1}, 1},     {NewCurrent, 0, {p1, p1, "Program 2"}, 2},  // Programs › New
  };
  SongRig rig;
  for (const Step& s : steps) {
    rig.dialogs.answers = {true};
    if (s.action == New) NewProgram(rig.app);
    if (s.action == NewCurrent) NewCurrentProgram(rig.app);
    if (s.action == Copy) CopyProgram(rig.app);
    if (s.action == Select) SelectProgram(rig.app, s.index);
    if (s.action == Delete) DeleteProgram(rig.app);
    std::vector<std::string> names;
    for (const auto& p : rig.app.song.programs) names.push_back(p->name.data());
    EXPECT_EQ(names, s.names) << &s - steps;
    EXPECT_EQ(rig.app.song.currentProgram, s.current) << &s - steps;
  }
  while (rig.app.song.programs.size() < 12) NewProgram(rig.app);
  for (auto [index, scroll] : std::vector<std::pair<int32_t, int32_t>>{{11, 3}, {5, 3}, {1, 1}}) {
    SelectProgram(rig.app, index);  // the nine-row window follows
    EXPECT_EQ(rig.app.song.programListScroll, scroll) << index;
  }
}

TEST(CopyProgram, TheCopyOwnsItsSampleBlocks) {
  for (bool memoryRunsOut : {false, true}) {
    SongRig rig(1);
    rig.SetProgramType(0, Id(EngineTypeId::BasicWave));
    FillSlot(rig.ProgramEngine(0, 0), 0, 4);
    FailAllocationsForTesting(0, memoryRunsOut ? 1 : 0);
    CopyProgram(rig.app);
    FailAllocationsForTesting(0, 0);
    const Engine& copy = rig.ProgramEngine(1, 0);
    EXPECT_EQ(copy.type, Id(EngineTypeId::BasicWave));
    EXPECT_EQ(copy.loadedSlotCount, memoryRunsOut ? 0u : 1u);
    EXPECT_EQ(rig.Messages().size(), memoryRunsOut ? 1u : 0u);
    rig.ProgramEngine(0, 0).slots[0].data[3] = -1.0f;
    EXPECT_TRUE(memoryRunsOut || copy.slots[0].data[3] == 4.0f);
  }
}

TEST(DeleteProgram, AsksFirstRemovesItsNotesRenumbersTheLaterOnesAndLeavesAChainThatExists) {
  SongRig rig(5, 3);
  const int32_t note = Type(EventType::NoteOn);
  rig.Add(1, {{0, note, 50, 0}, {10, note, 50, 1}, {20, note, 50, 2}, {30, note, 50, 3}, {40, note, 50, 4}});
  rig.Add(2, {{0, note, 50, 2}});
  SelectProgram(rig.app, 2);
  rig.dialogs.answers = {true};
  DeleteProgram(rig.app);
  EXPECT_EQ(rig.Events(1), (std::vector<testing::EventRow>{{0, note, 50, 0}, {10, note, 50, 1}, {30, note, 50, 2}, {40, note, 50, 3}}));
  EXPECT_EQ(rig.TrackNo(1).eventCount, 4);
  EXPECT_EQ(rig.TrackNo(2).eventCount, 0);

  // It asks first, and leaves the editor on a chain that exists.
  constexpr ChainMode P = ChainMode::Program, T = ChainMode::Track;
  struct Case { int programs; bool answer; ChainMode mode; int32_t countAfter; ChainMode modeAfter; int32_t rowAfter; };
  for (const Case& c : {Case{2, false, P, 2, P, 5}, Case{1, true, P, 0, T, 0}, Case{1, true, T, 0, T, 5},
                        Case{0, true, T, 0, T, 5}}) {
    SongRig rig(c.programs);
    rig.app.chainEditor.chainMode = c.mode;
    rig.app.song.selectedEngineType = 5;
    rig.dialogs.answers = {c.answer};
    DeleteProgram(rig.app);
    EXPECT_EQ(ProgramCount(rig.app.song), c.countAfter);
    EXPECT_EQ(rig.app.chainEditor.chainMode, c.modeAfter);
    EXPECT_EQ(rig.app.song.selectedEngineType, c.rowAfter);
    ASSERT_EQ(rig.dialogs.shown.size(), c.programs > 0 ? 1u : 0u);  // nothing to delete, nothing asked
    for (const auto& box : rig.dialogs.shown) EXPECT_EQ(box.caption + ": " + box.text, "Delete Program: Are You Sure?");
  }
}

TEST(UsedChainLength, HighestFilledPositionPlusOne) {
  for (const auto& [positions, count] :
       std::vector<std::pair<std::vector<int>, int32_t>>{{{}, 0}, {{0, 4}, 5}, {{8}, 9}, {{0}, 1}}) {
    Program p;
    for (int position : positions) InitProgramEngine(p.engines[position], Id(EngineTypeId::Amplifier));
    EXPECT_EQ(UsedChainLength(p.engines), count);
  }
}

// Steps on one song with two programs; sizes are those of positions 0, 1 and 2.
TEST(PositionBuffers, SizedByTheLargestNeedAndSharedByEveryVoice) {
  const uint32_t comb = BuildEngineCatalog()[Id(EngineTypeId::CombFilter)].delayBufferLength;
  const uint32_t delay = BuildEngineCatalog()[Id(EngineTypeId::BasicDelay)].delayBufferLength;
  const std::pair<std::function<void(SongRig&)>, std::array<uint32_t, 3>> steps[] = {
      {[](SongRig& r) { r.SetProgramType(1, Id(EngineTypeId::CombFilter)); }, {0, comb, 0}},
      {[](SongRig& r) { InsertTrack(r.app); }, {0, comb, 0}},
      {[](SongRig& r) { SelectProgram(r.app, 1), r.SetProgramType(1, Id(EngineTypeId::BasicDelay)); }, {0, comb, 0}},
      {[](SongRig& r) { SelectProgram(r.app, 0), r.SetProgramType(1, 0); }, {0, delay, 0}},  // the next largest need
      {[](SongRig& r) { SelectProgram(r.app, 1), MoveEngineDown(r.app); }, {0, 0, delay}},
      {[](SongRig& r) {  // growth without memory changes nothing
         FailAllocationsForTesting(0, 1), r.SetProgramType(0, Id(EngineTypeId::CombFilter)), FailAllocationsForTesting(0, 0);
       }, {0, 0, delay}},
      {[](SongRig& r) { r.dialogs.answers = {true}, DeleteProgram(r.app); }, {0, 0, 0}},
  };
  SongRig rig(2, 2);
  for (const auto& [act, sizes] : steps) {
    act(rig);
    std::vector<std::pair<Program*, PositionBuffers*>> voices = {{&rig.app.live.voices[0].voice, &rig.app.live.voices[0].buffers}};
    for (int32_t t = 1; t < rig.app.song.tracks.Count(); ++t) voices.push_back({&rig.TrackNo(t).playingProgram, &rig.TrackNo(t).voiceBuffers});
    for (int p = 0; p < 3; ++p) {
      EXPECT_EQ(rig.app.song.positionBufferSize[p], sizes[p]) << p;
      for (auto [voice, buffers] : voices) {
        ASSERT_EQ(static_cast<bool>(buffers->left[p]), sizes[p] != 0) << p;
        EXPECT_EQ(voice->engines[p].right, buffers->right[p]);
        if (sizes[p] != 0) buffers->right[p][sizes[p] - 1] = 0.5f;  // the sanitizer build checks the length
      }
    }
  }
  EXPECT_EQ(rig.Messages(), (std::vector<std::string>{"Out Of Memory - Cannot Initialise Program Engine", "Are You Sure?"}));
  EXPECT_FALSE(rig.TrackNo(0).voiceBuffers.left[1]);
}

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


enum class Edit { None, Parameter, ParameterSetBack, Name, SlotData, Played };
enum class SaveTo { Folder, MissingFolder, NoPath };

void Apply(Program& p, Edit edit, const OutputRate& rate) {
  Engine& e = p.engines[1];
  const int32_t was = static_cast<int32_t>(e.F[0].Load() * 100.0f + 0.5f);
  switch (edit) {
    case Edit::None: break;
    case Edit::Parameter: SetParameter(e, 0, was + 10); break;
    case Edit::ParameterSetBack: SetParameter(e, 0, was + 10), SetParameter(e, 0, was); break;
    case Edit::Name: p.name[0] = 'X'; break;
    case Edit::SlotData: testing::FillSlot(e, 0, 16, 0.5f); break;
    // A song start prepares every program's working state: no edit.
    case Edit::Played: for (Engine& x : p.engines) PrepareEngine(x, rate); break;
  }
}

// Load Program over the current program: a program changed since it was created, loaded or saved asks "Save
// Changes To <name>?"; Yes saves it first and goes on only when the save succeeded, Cancel keeps all.
TEST(ProgramQuestion, LoadingOverAModifiedProgramAsksFirst) {
  struct Case { const char* name; Edit edit; Answer answer; SaveTo save; bool asked; bool goesOn; };
  const Case cases[] = {
      {"unmodified", Edit::None, Answer::Cancel, SaveTo::Folder, false, true},
      {"a parameter set back", Edit::ParameterSetBack, Answer::Cancel, SaveTo::Folder, false, true},
      {"only played", Edit::Played, Answer::Cancel, SaveTo::Folder, false, true},
      {"parameter, Cancel", Edit::Parameter, Answer::Cancel, SaveTo::Folder, true, false},
      {"name, Yes", Edit::Name, Answer::Yes, SaveTo::Folder, true, true},
      {"slot data, No", Edit::SlotData, Answer::No, SaveTo::Folder, true, true},
      {"Yes, the save fails", Edit::Parameter, Answer::Yes, SaveTo::MissingFolder, true, false},
      {"Yes, no file chosen", Edit::Parameter, Answer::Yes, SaveTo::NoPath, true, false},
  };
  for (const Case& c : cases) {
    FileRig rig;
    Program& other = rig.AddProgram("Other");
    rig.SetProgramType(0, testing::Id(EngineTypeId::SineWaveGenerator));
    rig.dialogs.paths = {rig.dir.File("other.tep")};
    ASSERT_TRUE(SaveProgram(rig.app)) << c.name;
    Program& lead = rig.AddProgram("Lead");
    SelectProgram(rig.app, 1);
    rig.SetProgramType(0, testing::Id(EngineTypeId::SineWaveGenerator));
    rig.SetProgramType(1, testing::Id(EngineTypeId::LowPassFilter));
    rig.dialogs.paths = {rig.dir.File("lead.tep")};
    ASSERT_TRUE(SaveProgram(rig.app)) << c.name;
    EXPECT_FALSE(IsProgramModified(lead) || IsProgramModified(other)) << c.name << ": saved";

    Apply(lead, c.edit, rig.app.rate);
    const std::vector<uint8_t> edited = EncodeProgramFile(lead);
    const std::string saveAs = rig.dir.File("lead saved.tep");
    rig.dialogs.paths.clear();
    if (c.asked && c.answer == Answer::Yes) {
      if (c.save == SaveTo::NoPath) rig.dialogs.paths.push_back(std::nullopt);
      else rig.dialogs.paths.push_back(c.save == SaveTo::Folder ? saveAs : rig.dir.File("missing/lead.tep"));
    }
    rig.dialogs.paths.push_back(rig.dir.File("other.tep"));
    rig.dialogs.threeWayAnswers = {c.answer};
    EXPECT_EQ(LoadProgramReplace(rig.app), c.goesOn) << c.name;
    const std::string question = std::string("Save Changes To ") + (c.edit == Edit::Name ? "Xead" : "Lead") + "?";
    EXPECT_EQ(std::ranges::count(rig.Messages(), question), c.asked ? 1 : 0) << c.name;
    const bool saved = c.asked && c.answer == Answer::Yes && c.save == SaveTo::Folder;
    EXPECT_EQ(std::filesystem::exists(saveAs), saved) << c.name;
    if (saved) {
      EXPECT_EQ(testing::ReadBytes(saveAs), edited) << c.name;
    }
    const Program& now = *rig.app.song.programs[1];
    EXPECT_EQ(StoredText(now.name), c.goesOn ? "Other" : StoredText(lead.name)) << c.name;
    if (!c.goesOn) {
      EXPECT_EQ(EncodeProgramFile(now), edited) << c.name << ": left as it was";
    }
    EXPECT_EQ(IsProgramModified(now), c.asked && !c.goesOn) << c.name;
  }
}

}  // namespace
}  // namespace tonforge::testing
