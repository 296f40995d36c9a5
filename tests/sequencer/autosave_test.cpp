#include <gtest/gtest.h>

#include <sstream>
#include <unistd.h>

#include "sequencer/autosave.h"
#include "sequencer/song.h"
#include "support/file_rig.h"

namespace tonforge {
namespace {

using testing::FileRig;
using testing::ReadBytes;
using testing::WriteBytes;
using namespace std::chrono_literals;

constexpr int32_t kNote = testing::Type(EventType::NoteOn);

struct AutosaveRig : FileRig {
  AutosaveState autosave;
  std::ostringstream said;
  AutosaveClock::time_point start = AutosaveClock::now();
  int32_t edits = 0;

  explicit AutosaveRig(const std::string& folder = {}) {
    autosave.folder = folder.empty() ? dir.File("state/tonforge/autosave") : folder;
    autosave.messages = &said;
    AddTrack();
    app.changes.MarkSongSaved();
  }
  void Edit() { InsertEvent(app, TrackNo(1), {++edits, kNote, 50, 0}); }
  void Tick(int second) {
    RunAutosave(autosave, app, start + std::chrono::seconds(second));
    WaitForAutosave(autosave, app);
  }
  std::string Target() const { return AutosavePath(autosave.folder, app.songFile); }
};

// The copy follows the song on a clock the test drives: at once on the first change after a save, then once an
// interval while it changes, never while a worker owns the song, gone once the song is saved or the program
// ends cleanly; never in the user's own file.
TEST(Autosave, WritesOnTheFirstChangeThenEveryIntervalWhileNothingPlays) {
  enum Act { Wait, Edit, Play, Stop, Save };
  enum Holds { Nothing, TheSong, AnOlderSong };
  struct Step { const char* name; int second; Act act; Holds holds; };
  const Step steps[] = {
      {"an unmodified song is not copied", 0, Wait, Nothing},
      {"the first change is copied at once", 1, Edit, TheSong},
      {"a change within the interval waits", 30, Edit, AnOlderSong},
      {"after the interval it is copied", 61, Wait, TheSong},
      {"nothing new, nothing written", 200, Wait, TheSong},
      {"a change while a song plays waits", 201, Play, AnOlderSong},
      {"still playing past the interval", 400, Wait, AnOlderSong},
      {"copied once playback stops", 401, Stop, TheSong},
      {"a saved song leaves no copy", 402, Save, Nothing},
      {"the first change after the save at once", 403, Edit, TheSong},
  };
  AutosaveRig rig;
  const std::string mine = rig.dir.File("mine.tes");
  ASSERT_EQ(SaveSongFile(rig.app, mine), SongFileResult::Done);
  std::vector<uint8_t> saved = ReadBytes(mine);
  for (const Step& s : steps) {
    if (s.act == Edit || s.act == Play) rig.Edit();
    if (s.act == Play) rig.app.playback.mode.store(PlaybackMode::Song);
    if (s.act == Stop) rig.app.playback.mode.store(PlaybackMode::Idle);
    if (s.act == Save) {
      ASSERT_TRUE(SaveSongToItsFile(rig.app)) << s.name;
      saved = ReadBytes(mine);
    }
    rig.Tick(s.second);
    const bool exists = std::filesystem::exists(rig.Target());
    EXPECT_EQ(exists, s.holds != Nothing) << s.name;
    if (exists) {
      EXPECT_EQ(ReadBytes(rig.Target()) == EncodeSong(rig.app), s.holds == TheSong) << s.name;
    }
    EXPECT_EQ(ReadBytes(mine), saved) << s.name << ": the user's file";
  }
  EXPECT_NE(rig.Target(), mine);
  const std::string owner = std::filesystem::canonical(mine).string() + "\n";  // which file the copy belongs to
  EXPECT_EQ(ReadBytes(rig.Target() + ".song"), std::vector<uint8_t>(owner.begin(), owner.end()));
  EndAutosave(rig.autosave, rig.app);
  EXPECT_FALSE(std::filesystem::exists(rig.Target())) << "a clean end";
  EXPECT_FALSE(std::filesystem::exists(rig.Target() + ".song")) << "a clean end";
  EXPECT_TRUE(rig.said.str().empty()) << rig.said.str();
}

// A folder that cannot be written is said once on the message stream, however often the copy is tried; the song
// stays modified and no box interrupts.
TEST(Autosave, AFolderThatCannotBeWrittenIsSaidOnce) {
  struct Case { const char* name; bool readOnly; };
  for (const Case c : {Case{"below a file", false}, Case{"read-only", true}}) {
    if (c.readOnly && geteuid() == 0) continue;  // the superuser writes anywhere
    testing::TempDir place;
    std::string folder = place.File("autosave");
    if (c.readOnly) {
      std::filesystem::create_directories(folder);
      std::filesystem::permissions(folder, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    } else {
      WriteBytes(place.File("file"), {1});
      folder = place.File("file/autosave");
    }
    AutosaveRig rig(folder);
    for (int second = 0; second < 300; second += 61) {
      rig.Edit();
      rig.Tick(second);
    }
    const std::string said = rig.said.str();
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << c.name << ": " << said;
    EXPECT_NE(said.find("could not be autosaved"), std::string::npos) << c.name << ": " << said;
    EXPECT_TRUE(rig.app.changes.SongModified()) << c.name;
    EXPECT_TRUE(rig.dialogs.shown.empty()) << c.name;
    if (c.readOnly) std::filesystem::permissions(folder, std::filesystem::perms::owner_all);
  }
}

// At start-up an autosave newer than its song file asks to be recovered: Yes installs it as a modified song
// still belonging to the user's file, which Ctrl+S then fills with exactly the autosave's bytes; No deletes it.
// An older autosave is not offered; a damaged one is refused with "Invalid File" and kept.
TEST(Autosave, RecoveryOffersANewerCopyAndRefusesADamagedOne) {
  enum Copy { Newer, Older, Damaged };
  struct Case { const char* name; bool newSong; Copy copy; bool yes; Recovery result; };
  const Case cases[] = {
      {"newer, Yes", false, Newer, true, Recovery::Recovered},
      {"newer, No", false, Newer, false, Recovery::Declined},
      {"older than the file", false, Older, true, Recovery::None},
      {"damaged", false, Damaged, true, Recovery::Invalid},
      {"the new song's, Yes", true, Newer, true, Recovery::Recovered},
  };
  for (const Case& c : cases) {
    AutosaveRig source;
    const std::string mine = c.newSong ? "" : source.dir.File("mine.tes");
    if (!c.newSong) {
      ASSERT_EQ(SaveSongFile(source.app, mine), SongFileResult::Done) << c.name;
    }
    std::copy_n("Tune", 5, source.TrackNo(0).name.begin());
    source.Edit();
    source.Tick(0);
    const std::string copy = source.Target();
    ASSERT_TRUE(std::filesystem::exists(copy)) << c.name;
    if (c.copy == Damaged) WriteBytes(copy, {'U', 'E', 'S', '1', 0});
    const std::vector<uint8_t> copied = ReadBytes(copy);
    if (!c.newSong) {
      const auto fileTime = std::filesystem::last_write_time(mine);
      std::filesystem::last_write_time(copy, fileTime + (c.copy == Older ? -1s : 1s));
    }

    AutosaveRig rig(source.autosave.folder);
    if (!c.newSong) {
      ASSERT_EQ(LoadSongFile(rig.app, mine), SongFileResult::Done) << c.name;
    }
    const std::vector<uint8_t> before = EncodeSong(rig.app);
    rig.dialogs.answers = {c.yes};
    EXPECT_EQ(OfferRecovery(rig.autosave, rig.app, mine, rig.start), c.result) << c.name;
    const std::vector<std::string> boxes = rig.Headlines();
    const bool asked = c.result == Recovery::Recovered || c.result == Recovery::Declined;
    EXPECT_EQ(boxes, asked ? std::vector<std::string>{"Recover Unsaved Changes To Tune?"}
                     : c.copy == Damaged ? std::vector<std::string>{"Invalid File"} : std::vector<std::string>{})
        << c.name;
    EXPECT_EQ(rig.app.changes.SongModified(), c.result == Recovery::Recovered) << c.name;
    EXPECT_EQ(rig.app.songFile, mine) << c.name;
    EXPECT_EQ(std::filesystem::exists(copy), c.copy != Damaged && c.result != Recovery::Declined) << c.name;
    if (c.copy == Damaged) {
      EXPECT_EQ(ReadBytes(copy + ".damaged"), copied) << c.name << ": kept";
    }
    if (c.result != Recovery::Recovered) {
      EXPECT_EQ(EncodeSong(rig.app), before) << c.name << ": the song untouched";
      continue;
    }
    rig.dialogs.paths = {rig.dir.File("new.tes")};  // where Ctrl+S puts a new song
    ASSERT_TRUE(SaveSongToItsFile(rig.app)) << c.name;
    EXPECT_EQ(ReadBytes(c.newSong ? rig.dir.File("new.tes") : mine), copied) << c.name;
  }
}

}  // namespace
}  // namespace tonforge
