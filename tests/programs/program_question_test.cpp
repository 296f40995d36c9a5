#include <gtest/gtest.h>

#include <filesystem>

#include "programs/program_file.h"
#include "programs/program_modified.h"
#include "support/file_rig.h"

namespace tonforge {
namespace {

using testing::FileRig;

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
      {"parameter, Yes", Edit::Parameter, Answer::Yes, SaveTo::Folder, true, true},
      {"parameter, No", Edit::Parameter, Answer::No, SaveTo::Folder, true, true},
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
    const bool asked = std::any_of(rig.dialogs.shown.begin(), rig.dialogs.shown.end(),
                                   [&](const testing::ShownBox& b) { return b.text == question; });
    EXPECT_EQ(asked, c.asked) << c.name;
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
}  // namespace tonforge
