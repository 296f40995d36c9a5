// A file dropped on the window, as the platform hands it up: one row per kind and per place.
#include <gtest/gtest.h>

#include "app/dropped_file.h"
#include "programs/program_file.h"
#include "support/file_rig.h"
#include "support/song_rig.h"
#include "support/sound_files.h"

namespace tonforge {
namespace {

TEST(DroppedFile, SongsProgramsAndSoundsGoWhereTheyBelong) {
  testing::TempDir dir;
  {
    testing::SongRigOf<AppState> maker(2, 3);
    ASSERT_EQ(SaveSongFile(maker.app, dir.File("Other.tes")), SongFileResult::Done);
    maker.SetProgramType(0, testing::Id(EngineTypeId::SineWaveGenerator));
    testing::WriteBytes(dir.File("Bass.TEP"), EncodeProgramFile(*maker.app.song.programs[maker.app.song.currentProgram]));
  }
  ASSERT_TRUE(testing::WriteTone(dir.File("tone.flac"), {.format = SF_FORMAT_FLAC | SF_FORMAT_PCM_16, .amplitude = 0.25}));
  testing::WriteBytes(dir.File("broken.ogg"), {'O', 'g', 'g', 'S', 0, 2, 0, 0});

  const struct {
    const char* what;
    const char* file;
    DropPlace place;
    int position = 0;  // the chain position the Engine panel shows: 0 holds a Multisampled Wave, 1 nothing
    bool modified = false;
    Answer answer = Answer::No;
    bool opened = true;
    const char* said = "";  // the first line of the first box
    int slot = -1;          // the slot that took the sound
    float peak = 0.25f;
  } cases[] = {
      {"a song asks about the changes first", "Other.tes", {}, 0, true, Answer::No, true, "Save Changes To Song?"},
      {"a song kept on Cancel", "Other.tes", {}, 0, true, Answer::Cancel, false, "Save Changes To Song?"},
      {"a program joins the list", "Bass.TEP", {}},
      {"a sound into the first empty slot", "tone.flac", {}, 0, false, Answer::No, true, "Import", 0},
      {"a sound dropped on the third slot", "tone.flac", {2}, 0, false, Answer::No, true, "Import", 2},
      {"Shift scales it to full range", "tone.flac", {1, true}, 0, false, Answer::No, true, "Import", 1, 1.0f},
      {"an engine without slots", "tone.flac", {}, 1, false, Answer::No, false, "The Selected Engine Takes No Sound Files"},
      {"an unreadable sound", "broken.ogg", {}, 0, false, Answer::No, false, "Invalid File"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    testing::SongRigOf<AppState> rig(1, 1);
    rig.SetProgramType(0, testing::Id(EngineTypeId::MultisampledWave));
    rig.app.chainEditor.selectedPosition = c.position;
    if (c.modified) rig.app.changes.MarkSongModified();
    rig.dialogs.threeWayAnswers = {c.answer};
    rig.app.changes.Take();

    EXPECT_EQ(OpenDroppedFile(rig.app, dir.File(c.file), c.place), c.opened);
    const std::string said = rig.dialogs.shown.empty() ? "" : rig.dialogs.shown[0].caption == "Import" ? "Import"
                                                                                                     : rig.Headlines()[0];
    EXPECT_EQ(said, c.said) << (rig.dialogs.shown.empty() ? "" : rig.dialogs.shown[0].text);
    const bool song = KindOfDroppedFile(c.file) == DroppedKind::Song;
    EXPECT_EQ(rig.app.song.tracks.Count(), song && c.opened ? 3 : 1);
    EXPECT_EQ(rig.app.song.programs.size(), song && c.opened ? 2u : c.file == std::string("Bass.TEP") ? 2u : 1u);
    if (c.slot >= 0) {
      const DataSlot& s = rig.ProgramEngine(0, 0).slots[c.slot];
      ASSERT_TRUE(s.loaded != 0 && s.length > 0);
      EXPECT_NEAR(testing::Peak(std::vector<float>(s.data.get(), s.data.get() + s.length)), c.peak, 0.01f);
      EXPECT_TRUE(rig.app.changes.Has(Change::Engine));
    }
    if (!c.opened) {
      EXPECT_EQ(rig.ProgramEngine(0, 0).loadedSlotCount, 0u);
    }
  }
}

}  // namespace
}  // namespace tonforge
