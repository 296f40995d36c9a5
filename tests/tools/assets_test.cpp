// The demo song and factory programs committed in app/: they load cleanly and the song plays to its End.
#include <gtest/gtest.h>

#include <filesystem>

#include "audio/render.h"
#include "support/file_rig.h"
#include "programs/program_file.h"
#include "sequencer/song.h"
#include "sequencer/song_file.h"

namespace tonforge {
namespace {

const std::filesystem::path kApp = std::filesystem::path(TONFORGE_SOURCE_DIR) / "app";

TEST(FactoryAssets, ProgramsAndDemoSongLoadAndPlay) {
  int programs = 0;
  for (const auto& entry : std::filesystem::directory_iterator(kApp / "Programs" / "Instruments")) {
    if (entry.path().extension() != ".tep") continue;
    testing::FakeDialogs dialogs;
    const auto bytes = testing::ReadBytes(entry.path().string());
    const auto decoded = DecodeProgramFile(bytes, kLevelProgram, dialogs);
    ASSERT_TRUE(decoded) << entry.path();
    EXPECT_TRUE(!decoded->invalidEnginesRemoved && dialogs.shown.empty()) << entry.path();
    EXPECT_EQ(EncodeProgramFile(*decoded->program), bytes) << entry.path() << ": every value as the panels set it";
    ++programs;
  }
  EXPECT_EQ(programs, 4);

  testing::FakeDialogs dialogs;
  testing::TempDir dir;
  Studio app(dialogs);
  StartCore(app, dir.Root());
  NewSong(app);
  ASSERT_EQ(LoadSongFile(app, (kApp / "Songs" / "Demo.tes").string()), SongFileResult::Done);
  ASSERT_EQ(RenderSongToFile(app, dir.File("demo.wav")), RenderResult::Done);
  EXPECT_TRUE(dialogs.shown.empty());
  // Nine bars of four beats at 100 beats per minute: 1728 ticks of 551.25 samples, hardly any clipped.
  EXPECT_EQ(app.render.samplesRendered.load(), 2u * 952560u);
  EXPECT_LT(app.render.samplesClipped.load() * 10000u, app.render.samplesRendered.load());
}

}  // namespace
}  // namespace tonforge
