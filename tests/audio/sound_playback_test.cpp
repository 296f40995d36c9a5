// Select Wave on sound files of other kinds and rates: played at their own rate when it is an output rate,
// converted to the output's rate otherwise, the tone kept.
#include <gtest/gtest.h>

#include "audio/output_rate.h"
#include "audio/wave_playback.h"
#include "support/file_rig.h"
#include "support/play_rig.h"
#include "support/sound_files.h"

namespace tonforge {
namespace {

using testing::ToneFile;

TEST(SoundPlayback, AnyFileStreamsAtAnOutputRateWithItsTone) {
  const struct {
    const char* what;
    ToneFile file;
    int32_t outputBefore, outputAfter;
    bool bothSidesEqual;  // a mono file is heard on both sides
  } cases[] = {
      {"48000 Hz FLAC stereo converted to 44100", {.format = SF_FORMAT_FLAC | SF_FORMAT_PCM_16, .rate = 48000, .channels = 2}, 44100, 44100, false},
      {"22050 Hz 24-bit mono at its own rate", {.format = SF_FORMAT_WAV | SF_FORMAT_PCM_24, .rate = 22050}, 44100, 22050, true},
      {"96000 Hz float converted to 11025", {.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT, .rate = 96000, .channels = 2}, 11025, 11025, false},
      {"OGG Vorbis", {.format = SF_FORMAT_OGG | SF_FORMAT_VORBIS, .rate = 44100}, 22050, 44100, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    testing::PlayRig rig(c.outputBefore);
    Studio& app = *rig.app;
    testing::TempDir dir;
    ASSERT_TRUE(testing::WriteTone(dir.File("tone"), c.file));
    rig.device.PlayInBlock(6);
    ASSERT_TRUE(StartWavePlayback(app, dir.File("tone")));
    EXPECT_EQ(app.rate.sampleRate, c.outputAfter);
    std::vector<int16_t> heard;
    for (uint32_t moves = 0; moves < 40 && !IsPlaybackIdle(app); ++moves) {
      rig.device.PlayInBlock(moves % kRingBlocks);
      testing::WaitFor([&] { return rig.device.WriteCount() > moves || IsPlaybackIdle(app); });
    }
    ASSERT_TRUE(testing::WaitFor([&] { return IsPlaybackIdle(app); }));
    for (std::size_t k = 0; k < rig.device.WriteCount(); ++k) {
      const auto block = rig.device.Write(k).samples;
      heard.insert(heard.end(), block.begin(), block.end());
    }
    // The blocks end in silence after the file: the tone is judged over the file's length at the new rate.
    const auto frames = static_cast<std::size_t>(c.file.seconds * c.outputAfter);
    ASSERT_GE(heard.size(), 2 * frames);
    const auto left = testing::Channel(heard.data(), 2 * frames, 2, 1.0f / 32768);
    const auto right = testing::Channel(heard.data() + 1, 2 * frames, 2, 1.0f / 32768);
    EXPECT_NEAR(testing::ToneFrequency(left, c.outputAfter), 1000.0, 6.0);
    EXPECT_NEAR(testing::Peak(left), 0.5f, 0.03f);
    EXPECT_NEAR(testing::Peak(right), c.bothSidesEqual ? 0.5f : 0.25f, 0.03f);
    EXPECT_TRUE(rig.dialogs.shown.empty());
  }
}

}  // namespace
}  // namespace tonforge
