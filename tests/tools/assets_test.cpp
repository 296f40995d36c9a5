// The demo song and factory programs committed in app/: they load cleanly and the song plays to its End.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "audio/render.h"
#include "programs/file_fixtures.h"
#include "programs/program_file.h"
#include "sequencer/song.h"
#include "sequencer/song_file.h"

namespace tonforge {
namespace {

const std::filesystem::path kApp = std::filesystem::path(TONFORGE_SOURCE_DIR) / "app";

TEST(FactoryAssets, ProgramsLoadWithEveryEngineAndSample) {
  const struct {
    const char* file;
    uint32_t engines;       // positions in use
    uint32_t loadedSlots;   // over the whole chain
  } programs[] = {
      {"Electric Piano.tep", 5, 2},
      {"Warm Pad.tep", 6, 3},
      {"Filter Bass.tep", 4, 2},
      {"Drum Kit.tep", 1, 4},
  };
  for (const auto& p : programs) {
    testing::FakeDialogs dialogs;
    const auto bytes = testing::ReadBytes((kApp / "Programs" / "Instruments" / p.file).string());
    const auto decoded = DecodeProgramFile(bytes, kLevelProgram, dialogs);
    ASSERT_TRUE(decoded) << p.file;
    EXPECT_FALSE(decoded->invalidEnginesRemoved) << p.file;
    EXPECT_TRUE(dialogs.shown.empty()) << p.file;
    EXPECT_EQ(decoded->program->engineCount, p.engines) << p.file;
    uint32_t loaded = 0;
    for (const Engine& e : decoded->program->engines) loaded += e.loadedSlotCount;
    EXPECT_EQ(loaded, p.loadedSlots) << p.file;
    EXPECT_EQ(EncodeProgramFile(*decoded->program), bytes) << p.file << " reads back as it was written";
  }
}

TEST(FactoryAssets, DemoSongRendersToItsEndWithoutClipping) {
  testing::FakeDialogs dialogs;
  testing::TempDir dir;
  AppState app(dialogs);
  StartCore(app, dir.Root());
  NewSong(app);
  ASSERT_EQ(LoadSongFile(app, (kApp / "Songs" / "Demo.tes").string()), SongFileResult::Done);
  EXPECT_EQ(app.song.tracks.Count(), 7);
  EXPECT_EQ(app.song.programs.size(), 4u);
  ASSERT_EQ(RenderSongToFile(app, dir.File("demo.wav")), RenderResult::Done);
  EXPECT_TRUE(dialogs.shown.empty());
  // Nine bars of four beats at 100 beats per minute: 1728 ticks of 551.25 samples.
  EXPECT_EQ(app.render.samplesRendered.load(), 2u * 952560u);
  EXPECT_LT(app.render.samplesClipped.load() * 10000u, app.render.samplesRendered.load()) << "under 0.01% clipped";
  const auto wav = testing::ReadBytes(dir.File("demo.wav"));
  double energy = 0.0;
  for (std::size_t i = 44; i + 1 < wav.size(); i += 2) {
    const auto v = static_cast<int16_t>(wav[i] | wav[i + 1] << 8);
    energy += static_cast<double>(v) * v;
  }
  const double rms = std::sqrt(energy / ((wav.size() - 45) / 2)) / 32767.0;
  EXPECT_GT(rms, 0.05) << "the demo is heard";
}

}  // namespace
}  // namespace tonforge
