// Wave file playback: Select Wave, the worker that streams the file into the ring, and its end.
#include <gtest/gtest.h>

#include <filesystem>

#include "audio/wave_playback.h"
#include "support/file_rig.h"
#include "support/play_rig.h"
#include "support/wave_files.h"

namespace tonforge {
namespace {

using testing::MakeWave;
using testing::PlayRig;
using testing::TempDir;
using testing::WaitFor;
using testing::WriteBytes;

// Interleaved stereo samples that differ from frame to frame and from side to side.
std::vector<int16_t> StereoRamp(uint32_t frames) {
  std::vector<int16_t> s(frames * 2);
  for (uint32_t i = 0; i < s.size(); ++i) s[i] = static_cast<int16_t>(static_cast<int32_t>(i * 7919 % 65521) - 32760);
  return s;
}

// Moves the play cursor one block at a time, each time once the worker has written its block, until the worker
// has ended. Returns the number of blocks the cursor moved through.
uint32_t PlayToTheEnd(PlayRig& rig) {
  uint32_t moves = 0;
  while (!IsPlaybackIdle(*rig.app) && moves < 40) {
    rig.device.PlayInBlock(moves % kRingBlocks);
    ++moves;
    if (!WaitFor([&] { return rig.device.WriteCount() >= moves || IsPlaybackIdle(*rig.app); })) break;
  }
  EXPECT_TRUE(WaitFor([&] { return IsPlaybackIdle(*rig.app) && rig.app->playback.workerRunning.load() == 0; }));
  return moves;
}

TEST(WavePlayback, PlaysTheFileBlockByBlockAtItsRateAndEndsAtItsEnd) {
  // Frames in the file; what the data chunk claims, in bytes; bytes of another chunk after the data; frames
  // handed to the ring.
  const struct { const char* what; uint32_t rate, frames; std::optional<uint32_t> stated; uint32_t trailing, played; }
  cases[] = {
      {"a block and a bit", 22050, 4196, std::nullopt, 0, 4196},
      {"exactly two blocks", 11025, 8192, std::nullopt, 0, 8192},
      {"the data chunk claims more than the file holds", 22050, 3000, 1000000, 0, 3000},
      {"a chunk after the data", 44100, 5000, std::nullopt, 64, 5000},
      {"an odd stated size drops the cut frame", 22050, 100, 4 * 99 + 3, 0, 99},
  };
  for (const auto& c : cases) {
    PlayRig rig;
    Studio& app = *rig.app;
    TempDir dir;
    const std::vector<int16_t> samples = StereoRamp(c.frames);
    auto bytes = MakeWave({.channels = 2, .rate = c.rate, .samples = samples, .statedDataBytes = c.stated});
    bytes.insert(bytes.end(), c.trailing, 0x7f);
    WriteBytes(dir.File("take.wav"), bytes);
    rig.dialogs.paths = {dir.File("take.wav")};
    rig.device.PlayInBlock(6);  // the block after it is the ring's write block: the worker waits with its first

    EXPECT_TRUE(SelectWave(app)) << c.what;
    const FileDialogRequest& asked = rig.dialogs.requests.at(0);
    EXPECT_EQ(asked.title + "|" + asked.startFolder + "|" + asked.filters.at(0).description + "|" + asked.filters.back().pattern,
              "Select Wave|/nonexistent-program-folder/Tracks/|Sound Files (*.wav *.aif *.aiff *.flac *.ogg *.oga *.mp3)|*.*") << c.what;
    EXPECT_EQ(app.folders.tracks, dir.Root() + "/") << "the renders folder follows the chosen file";
    EXPECT_EQ(app.rate.sampleRate, static_cast<int32_t>(c.rate)) << c.what;
    EXPECT_EQ(app.rate.rateFactor, 44100.0f / static_cast<float>(c.rate)) << c.what;
    EXPECT_EQ(rig.device.recreatedAt, c.rate == 44100 ? std::vector<int32_t>{} : std::vector<int32_t>{static_cast<int32_t>(c.rate)})
        << c.what;
    EXPECT_EQ(app.playback.playButtonPressed, 1u) << c.what;
    app.changes.Take();

    PlayToTheEnd(rig);
    // Every block two ahead of the cursor, holding the file's samples in order and silence after the last.
    const uint32_t blocks = (c.played + kBlockFrames - 1) / kBlockFrames;
    ASSERT_EQ(rig.device.WriteCount(), blocks) << c.what;
    std::vector<int16_t> heard;
    for (uint32_t k = 0; k < blocks; ++k) {
      const auto block = rig.device.Write(k);
      EXPECT_EQ(block.offset, (k + 2) % kRingBlocks * kBlockBytes) << c.what << " block " << k;
      heard.insert(heard.end(), block.samples.begin(), block.samples.end());
    }
    std::vector<int16_t> expected(samples.begin(), samples.begin() + 2 * c.played);
    expected.resize(blocks * kBlockFrames * 2, 0);
    EXPECT_TRUE(heard == expected) << c.what;

    EXPECT_TRUE(app.playback.playButtonPressed == 0 && app.changes.Has(Change::Transport)) << c.what;
    EXPECT_FALSE(app.wavePlayback.stream) << "closed by the worker";
    StopPlayback(app);  // what the next command does first
    EXPECT_FALSE(app.playback.worker.joinable()) << c.what;
    EXPECT_EQ(app.rate.sampleRate, static_cast<int32_t>(c.rate)) << "the file's rate stays after it ends";
    EXPECT_TRUE(rig.dialogs.shown.empty()) << c.what;
  }
}

TEST(WavePlayback, RefusedFilesChangeNothing) {
  const auto damage = [](std::size_t at, const char* with) {
    return [=](std::vector<uint8_t>& b) { std::copy_n(with, 4, b.begin() + static_cast<long>(at)); };
  };
  // `message` is "" when nothing is said.
  const struct { const char* what; testing::WaveLayout layout; std::function<void(std::vector<uint8_t>&)> change;
                 const char* message; } cases[] = {
      {"not WAVE", {.channels = 2, .rate = 22050}, damage(8, "AVI "), "Invalid File"},
      {"shorter than a header", {.channels = 2}, [](auto& b) { b.resize(10); }, "Invalid File"},
      {"no fmt chunk", {.channels = 2, .rate = 22050}, damage(12, "fmx "), "Invalid File"},
      {"no data chunk", {.channels = 2, .rate = 22050, .withData = false}, nullptr, "Invalid File"},
      {"empty file", {}, [](auto& b) { b.clear(); }, "Invalid File"},
      {"no such file", {}, nullptr, "Invalid File"},
      {"dialog cancelled", {}, nullptr, ""},
      {"no thread to play it", {.channels = 2, .rate = 44100}, [](auto&) { FailWorkerStartsForTesting(1); },
       "Could Not Start Playback"},
  };
  for (const auto& c : cases) {
    PlayRig rig;
    Studio& app = *rig.app;
    TempDir dir;
    auto bytes = MakeWave(c.layout);
    if (c.change) c.change(bytes);
    if (std::string_view(c.what) != "no such file") WriteBytes(dir.File("w.wav"), bytes);
    if (std::string_view(c.what) != "dialog cancelled") rig.dialogs.paths = {dir.File("w.wav")};

    EXPECT_FALSE(SelectWave(app)) << c.what;
    std::string said;
    for (const auto& box : rig.dialogs.shown) said += box.caption + ": " + box.text.substr(0, box.text.find('\n'));
    EXPECT_EQ(said, *c.message ? std::string("Error: ") + c.message : "") << c.what;
    EXPECT_TRUE(IsPlaybackIdle(app) && !app.playback.worker.joinable() && app.playback.playButtonPressed == 0) << c.what;
    EXPECT_TRUE(app.rate.sampleRate == 44100 && rig.device.recreatedAt.empty()) << c.what;
    EXPECT_EQ(rig.device.WriteCount(), 0u) << c.what;
    EXPECT_FALSE(app.wavePlayback.stream) << c.what;
  }
}

TEST(WavePlayback, StopAFileCutShortOrAnotherSelectEndsTheWorker) {
  PlayRig rig;
  Studio& app = *rig.app;
  TempDir dir;
  const auto bytes = MakeWave({.channels = 2, .rate = 22050, .samples = StereoRamp(10 * kBlockFrames)});
  WriteBytes(dir.File("long.wav"), bytes);

  // Stop while the worker waits with its next block.
  rig.dialogs.paths = {dir.File("long.wav"), dir.File("long.wav")};
  ASSERT_TRUE(SelectWave(app));
  ASSERT_TRUE(WaitFor([&] { return rig.device.WriteCount() == 1; }));
  app.changes.Take();
  StopPlayback(app);
  EXPECT_TRUE(IsPlaybackIdle(app) && app.playback.workerRunning.load() == 0 && !app.playback.worker.joinable());
  EXPECT_TRUE(app.playback.playButtonPressed == 0 && app.changes.Has(Change::Transport));
  EXPECT_FALSE(app.wavePlayback.stream);
  EXPECT_EQ(rig.device.WriteCount(), 1u);

  // Selecting a file while one plays starts it afresh from its first sample.
  ASSERT_TRUE(SelectWave(app));
  ASSERT_TRUE(WaitFor([&] { return rig.device.WriteCount() == 2; }));
  ASSERT_TRUE(SelectWave(app) == false && IsPlaybackIdle(app)) << "cancelled: the playing file is stopped";
  EXPECT_EQ(rig.device.Write(1).samples, rig.device.Write(0).samples);

  // A file cut short while it plays (two blocks and a half are left, the worker has read two) ends there.
  rig.dialogs.paths = {dir.File("long.wav")};
  rig.device.PlayInBlock(0);
  ASSERT_TRUE(SelectWave(app));
  ASSERT_TRUE(WaitFor([&] { return rig.device.WriteCount() == 3; }));
  std::filesystem::resize_file(dir.File("long.wav"), bytes.size() - static_cast<std::size_t>(7.5 * kBlockBytes));
  for (uint32_t b = 1; b <= 3; ++b) {
    rig.device.PlayInBlock(b);
    ASSERT_TRUE(WaitFor([&] { return rig.device.WriteCount() == 3 + b || IsPlaybackIdle(app); })) << b;
  }
  ASSERT_TRUE(WaitFor([&] { return IsPlaybackIdle(app) && app.playback.workerRunning.load() == 0; }));
  ASSERT_EQ(rig.device.WriteCount(), 5u);
  const auto last = rig.device.Write(4).samples;
  EXPECT_TRUE(last[kBlockFrames - 2] != 0 && last[kBlockFrames] == 0 && last.back() == 0) << "half a block, then silence";
  EXPECT_TRUE(rig.dialogs.shown.empty());
}

}  // namespace
}  // namespace tonforge
