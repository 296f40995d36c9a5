// The offline render: the WAV file it writes, its refusals and the render panel's lines.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "audio/playback.h"
#include "audio/render.h"
#include "support/song_rig.h"

namespace tonforge {
namespace {

namespace fs = std::filesystem;
using testing::kSource;
using testing::SongRig;
using testing::WaitFor;

// A scratch folder of its own for each test.
struct ScratchFolder {
  ScratchFolder() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    path = fs::temp_directory_path() / (std::string("tonforge-") + info->name() + "-" + std::to_string(getpid()));
    fs::create_directories(path);
  }
  ~ScratchFolder() { fs::remove_all(path); }
  std::string File(const std::string& name) const { return (path / name).string(); }
  fs::path path;
};

std::vector<uint8_t> ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

uint32_t U32(const std::vector<uint8_t>& b, size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}
uint16_t U16(const std::vector<uint8_t>& b, size_t at) { return static_cast<uint16_t>(b[at] | b[at + 1] << 8); }

// What the idle step does once the render's End has been reached.
void FinishLikeTheIdleStep(AppState& app) {
  ASSERT_TRUE(WaitFor([&] { return app.playback.songEndReached.load() == 1; }));
  StopPlayback(app);
  app.playback.songEndReached.store(0);
}

TEST(Render, WaveFileLayout) {
  struct Case {
    int32_t rate, tempo, ticksPerBeat, endTick;
    uint32_t quality;
    uint32_t frames;
  };
  const Case cases[] = {
      {44100, 875, 189, 1024, 0, 16384},  // exactly 16 samples per tick: the End tick falls on frame 16384
      {44100, 875, 189, 1024, 1, 16384},
      {44100, 441, 60, 1, 0, 100},        // 100 samples per tick
      {22050, 120, 48, 1, 0, 230},        // 229.6875 per tick
      {11025, 120, 48, 1, 0, 115},
  };
  for (const Case& c : cases) {
    SongRig rig(c.rate);
    ScratchFolder folder;
    rig.TrackAt(0).events.First()->valueA = c.tempo;
    rig.app->song.ticksPerBeat = c.ticksPerBeat;
    rig.Add(rig.TrackAt(0), c.endTick, EventType::End);
    rig.app->render.quality = c.quality;
    rig.dialogs.paths.push_back(folder.File("take"));
    StartRender(*rig.app);
    ASSERT_EQ(rig.app->playback.mode.load(), static_cast<uint32_t>(PlaybackMode::Render));
    FinishLikeTheIdleStep(*rig.app);

    const auto b = ReadAll(folder.File("take.wav"));
    const uint32_t data = c.frames * 4;
    ASSERT_EQ(b.size(), 44 + data + 1) << c.frames;
    EXPECT_EQ(std::string(b.begin(), b.begin() + 4), "RIFF");
    EXPECT_EQ(U32(b, 4), data + 37);
    EXPECT_EQ(std::string(b.begin() + 8, b.begin() + 16), "WAVEfmt ");
    EXPECT_EQ(U32(b, 16), 16u);
    EXPECT_EQ(U16(b, 20), 1);
    EXPECT_EQ(U16(b, 22), 2);
    EXPECT_EQ(U32(b, 24), static_cast<uint32_t>(c.rate));
    EXPECT_EQ(U32(b, 28), static_cast<uint32_t>(c.rate) * 4);
    EXPECT_EQ(U16(b, 32), 4);
    EXPECT_EQ(U16(b, 34), 16);
    EXPECT_EQ(std::string(b.begin() + 36, b.begin() + 40), "data");
    EXPECT_EQ(U32(b, 40), data);
    EXPECT_EQ(b.back(), 0);
    EXPECT_EQ(rig.app->render.samplesRendered.load(), 2 * c.frames);
    ASSERT_EQ(rig.dialogs.shown.size(), 1u);
    EXPECT_EQ(rig.dialogs.shown[0].caption, "Rendering Complete");
    EXPECT_EQ(rig.dialogs.shown[0].icon, BoxIcon::Information);
    EXPECT_EQ(rig.dialogs.shown[0].text.rfind("Time 0 Hours 0 Minutes ", 0), 0u);
  }
}

TEST(Render, SaveDialogAndFileNames) {
  struct Case {
    std::string in, out;
  };
  const std::string long250(250, 'n');
  const std::string long249 = std::string(245, 'n') + ".abc";
  const Case names[] = {
      {"take.mp3", "take.wav"}, {"take", "take.wav"},       {"take.wave", "take.wave.wav"},
      {"a.b", "a.b.wav"},       {".wav", ".wav"},           {"", ".wav"},
      {long250, long250},       {long249, long249.substr(0, 245) + ".wav"},
  };
  for (const Case& c : names) EXPECT_EQ(WithWaveExtension(c.in), c.out) << c.in;

  SongRig rig(22050);
  ScratchFolder folder;
  rig.app->folders.tracks = "/start/here/";
  rig.Add(rig.TrackAt(0), 1, EventType::End);
  rig.dialogs.paths.push_back(folder.File("mix.mp3"));
  StartRender(*rig.app);
  FinishLikeTheIdleStep(*rig.app);
  ASSERT_EQ(rig.dialogs.requests.size(), 1u);
  const FileDialogRequest& r = rig.dialogs.requests[0];
  EXPECT_EQ(r.title, "22050hz Render");
  EXPECT_EQ(r.defaultName, "Song.wav");
  EXPECT_EQ(r.startFolder, "/start/here/");
  ASSERT_EQ(r.filters.size(), 2u);
  EXPECT_EQ(r.filters[0].description, "Wave Files (*.wav)");
  EXPECT_EQ(r.filters[0].pattern, "*.wav");
  EXPECT_EQ(r.filters[1].description, "All Files (*.*)");
  EXPECT_EQ(r.filters[1].pattern, "*.*");
  EXPECT_TRUE(fs::exists(folder.File("mix.wav")));
  EXPECT_FALSE(fs::exists(folder.File("mix.mp3")));
  EXPECT_EQ(rig.app->folders.tracks, folder.path.string() + "/") << "the next render opens where this one saved";
}

TEST(Render, RefusalsAndEmptyRenders) {
  struct Case {
    const char* name;
    std::vector<int32_t> endTicks;
    int32_t editCursor;
    bool choosePath;
    const char* file;  // where the dialog points, relative to the scratch folder
    const char* caption;
    const char* text;
    int64_t fileSize;  // -1: no file
  };
  const Case cases[] = {
      {"no End", {}, 0, true, "a", "Error", "You Must Insert An End Event At The End Of The Song", -1},
      {"only an End before the cursor", {5}, 10, true, "a", "Error",
       "You Must Insert An End Event At The End Of The Song", -1},
      {"dialog cancelled", {5}, 0, false, "a", nullptr, nullptr, -1},
      {"an End before the cursor stops the advance", {5, 20}, 10, true, "a", "Error",
       "Song Stopped Before Cursor Position", 45},
      {"End at the cursor: nothing to render", {10}, 10, true, "a", "Rendering Complete",
       "Time 0 Hours 0 Minutes 0 Seconds", 45},
      {"file cannot be created", {5}, 0, true, "no-such-folder/a", "Error", "Could Not Create Wave File", -1},
  };
  for (const Case& c : cases) {
    SongRig rig;
    ScratchFolder folder;
    for (int32_t t : c.endTicks) rig.Add(rig.TrackAt(0), t, EventType::End);
    rig.app->editCursor = c.editCursor;
    if (c.choosePath) rig.dialogs.paths.push_back(folder.File(c.file));
    StartRender(*rig.app);
    EXPECT_EQ(rig.app->playback.mode.load(), 0u) << c.name;
    EXPECT_EQ(rig.app->playback.playButtonPressed, 0u) << c.name;
    EXPECT_EQ(rig.app->render.samplesRendered.load(), 0u) << c.name;
    if (c.caption) {
      ASSERT_EQ(rig.dialogs.shown.size(), 1u) << c.name;
      EXPECT_EQ(rig.dialogs.shown[0].caption, c.caption) << c.name;
      EXPECT_EQ(rig.dialogs.shown[0].text, c.text) << c.name;
    } else {
      EXPECT_TRUE(rig.dialogs.shown.empty()) << c.name;
    }
    const std::string file = folder.File(std::string(c.file) + ".wav");
    if (c.fileSize < 0) {
      EXPECT_FALSE(fs::exists(file)) << c.name;
    } else {
      const auto b = ReadAll(file);
      ASSERT_EQ(static_cast<int64_t>(b.size()), c.fileSize) << c.name;
      EXPECT_EQ(U32(b, 4), 37u);
      EXPECT_EQ(U32(b, 40), 0u);
    }
  }
}

TEST(Render, NoWorkerThreadMeansNoRenderAndAFinishedFile) {
  SongRig rig;
  ScratchFolder folder;
  rig.Add(rig.TrackAt(0), 4, EventType::End);
  rig.dialogs.paths.push_back(folder.File("a.wav"));
  FailWorkerStartsForTesting(1);
  StartRender(*rig.app);
  EXPECT_EQ(rig.app->playback.mode.load(), 0u);
  EXPECT_EQ(rig.app->playback.playButtonPressed, 0u);
  ASSERT_EQ(rig.dialogs.shown.size(), 1u);
  EXPECT_EQ(rig.dialogs.shown[0].text, "Could Not Start Playback");
  EXPECT_EQ(ReadAll(folder.File("a.wav")).size(), 45u);
}

TEST(Render, FailedWriteIsReportedWhenTheRenderEnds) {
  SongRig rig;
  ScratchFolder folder;
  rig.TrackAt(0).events.First()->valueA = 875;
  rig.app->song.ticksPerBeat = 189;
  rig.Add(rig.TrackAt(0), 1024, EventType::End);  // 16384 frames: two full buffer writes
  rig.dialogs.paths.push_back(folder.File("full.wav"));
  // A file size limit makes the first 32768-byte write fail as a full disk would.
  rlimit saved{};
  getrlimit(RLIMIT_FSIZE, &saved);
  const auto previous = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = saved;
  small.rlim_cur = 10000;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  StartRender(*rig.app);
  FinishLikeTheIdleStep(*rig.app);
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previous);
  ASSERT_EQ(rig.dialogs.shown.size(), 1u);
  EXPECT_EQ(rig.dialogs.shown[0].caption, "Error");
  EXPECT_EQ(rig.dialogs.shown[0].text, "Could Not Write Wave File");
  EXPECT_LT(rig.app->render.samplesRendered.load(), 2u * 16384) << "the render stops at the failed write";
}

TEST(Render, StoppingARenderLeavesAValidShorterFile) {
  SongRig rig;
  ScratchFolder folder;
  rig.TrackAt(0).events.First()->valueA = 1;
  rig.Add(rig.TrackAt(0), 99999, EventType::End);
  rig.dialogs.paths.push_back(folder.File("long"));
  StartRender(*rig.app);
  ASSERT_TRUE(WaitFor([&] { return rig.app->render.samplesRendered.load() > 100000; }));
  StartSongPlayback(*rig.app);  // the play button stops the render
  EXPECT_EQ(rig.app->playback.mode.load(), 0u);
  const auto b = ReadAll(folder.File("long.wav"));
  ASSERT_GE(b.size(), 45u);
  const uint32_t data = U32(b, 40);
  EXPECT_EQ(data, rig.app->render.samplesRendered.load() * 2);
  EXPECT_EQ(b.size(), 44u + data + 1);
  EXPECT_EQ(U32(b, 4), data + 37);
  ASSERT_EQ(rig.dialogs.shown.size(), 1u);
  EXPECT_EQ(rig.dialogs.shown[0].caption, "Rendering Complete");
}

TEST(Render, PanelLines) {
  // Every left value clips and no right value does: half the samples clip.
  SongRig rig;
  Track& track = rig.AddTrack();
  rig.AddProgram({kSource}).engines[0].F[0] = 0.75f;
  rig.Add(track, 0, EventType::NoteOn, 2450, 0);
  rig.Add(track, 0, EventType::TrackPan, -100);
  rig.app->song.songLevel = 2.0f;
  rig.Start();
  uint32_t clipped = 0;
  for (int i = 0; i < 100; ++i) rig.Frame(&clipped);
  rig.app->render.samplesRendered = 200;
  rig.app->render.samplesClipped = clipped;
  ShowRenderStatistics(*rig.app);
  const RenderPanelText& text = rig.app->render.text;
  EXPECT_EQ(text.LineText(0), "Samples Rendered 200");
  EXPECT_EQ(text.LineText(1), "Samples Clipped 100");
  EXPECT_EQ(text.LineText(2), "Percent Clipped 50");
  rig.app->render.samplesRendered = 0;
  rig.app->render.samplesClipped = 0;
  ShowRenderStatistics(*rig.app);
  EXPECT_EQ(text.LineText(2), "Percent Clipped 0");

  struct Progress {
    int32_t tick, cursor, end, beatsPerBar;
    const char* beat;
    const char* percent;
  };
  const Progress cases[] = {
      {480, 0, 960, 4, "Last Beat Rendered 2:2", "Percent Complete 50"},
      {480, 0, 960, 8, "Last Beat Rendered 1:2", "Percent Complete 50"},
      {47, 0, 96, 8, "Last Beat Rendered 0:0", "Percent Complete 48"},
      {300, 200, 600, 8, "Last Beat Rendered 0:6", "Percent Complete 25"},
  };
  for (const Progress& p : cases) {
    rig.app->currentTick = p.tick;
    rig.app->editCursor = p.cursor;
    rig.app->render.endTick = p.end;
    rig.app->song.beatsPerBar = p.beatsPerBar;
    ShowRenderProgress(*rig.app);
    EXPECT_EQ(text.LineText(0), p.beat);
    EXPECT_EQ(text.LineText(2), p.percent);
  }
}

TEST(Render, ElapsedTimeText) {
  struct Case {
    int64_t ms;
    const char* text;
  };
  for (const Case& c : {Case{0, "Time 0 Hours 0 Minutes 0 Seconds"}, Case{59999, "Time 0 Hours 0 Minutes 59 Seconds"},
                        Case{3723000, "Time 1 Hours 2 Minutes 3 Seconds"},
                        Case{7261500, "Time 2 Hours 1 Minutes 1 Seconds"}})
    EXPECT_EQ(ElapsedTimeText(c.ms), c.text);
}

}  // namespace
}  // namespace tonforge
