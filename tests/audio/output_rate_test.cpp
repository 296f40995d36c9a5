#include <gtest/gtest.h>

#include "audio/output_rate.h"
#include "support/play_rig.h"

namespace tonforge {
namespace {

using testing::PlayRig;

TEST(OutputRateSwitch, SetsTheRateFiguresAndReopensTheDevice) {
  // Samples per beat: rate x 60 / 90 beats per minute; per tick: that / 24 ticks per beat.
  const struct { int32_t rate; float factor; int32_t step; float samplesPerBeat, samplesPerTick; } rates[] = {
      {11025, 4.0f, 4, 7350.0f, 306.25f}, {22050, 2.0f, 2, 14700.0f, 612.5f}, {44100, 1.0f, 1, 29400.0f, 1225.0f}};
  for (const auto& c : rates) {
    PlayRig rig(c.rate == 44100 ? 22050 : 44100);
    Studio& app = *rig.app;
    app.song.tempo = 90.0f;
    app.song.ticksPerBeat = 24;
    app.ring.staging.fill(77);
    app.ring.blockPending = 1;
    SwitchOutputRate(app, c.rate);
    const OutputRate& r = app.rate;
    EXPECT_TRUE(r.sampleRate == c.rate && r.rateHz == static_cast<float>(c.rate) && r.rateFactor == c.factor &&
                r.rateStep == c.step) << c.rate;
    EXPECT_EQ(r.samplesPerBeat, c.samplesPerBeat) << c.rate;
    EXPECT_EQ(r.samplesPerTick, c.samplesPerTick) << c.rate;
    EXPECT_EQ(rig.device.recreatedAt, std::vector<int32_t>{c.rate});
    EXPECT_TRUE(app.ring.staging[0] == 0 && app.ring.staging.back() == 0 && app.ring.blockPending == 0);
    EXPECT_TRUE(app.changes.Has(Change::Output));
    EXPECT_TRUE(rig.dialogs.shown.empty());
  }
}

TEST(OutputRateSwitch, StopsPlaybackIgnoresOtherRatesAndReportsADeviceThatWillNotReopen) {
  PlayRig rig;
  Studio& app = *rig.app;
  rig.Add(rig.Global(), 100000, EventType::End);
  StartSongPlayback(app);
  ASSERT_EQ(app.playback.mode.load(), PlaybackMode::Song);
  for (int32_t other : {48000, 0, -44100, 88200}) SwitchOutputRate(app, other);
  EXPECT_EQ(app.playback.mode.load(), PlaybackMode::Song);
  EXPECT_EQ(app.rate.sampleRate, 44100);
  EXPECT_TRUE(rig.device.recreatedAt.empty());

  rig.device.refuseRecreate = true;
  SwitchOutputRate(app, 11025);
  EXPECT_TRUE(IsPlaybackIdle(app));
  EXPECT_EQ(app.playback.workerRunning.load(), 0u);
  EXPECT_EQ(app.rate.sampleRate, 11025);
  EXPECT_EQ(app.rate.samplesPerTick, 11025.0f * 60.0f / 120.0f / 48.0f);
  ASSERT_EQ(rig.dialogs.shown.size(), 1u);
  EXPECT_EQ(rig.dialogs.shown[0].text, "Could Not Create Mix Sound Buffer");

  // Without a device (the headless renderer) only the figures change.
  app.sound = nullptr;
  rig.dialogs.shown.clear();
  SwitchOutputRate(app, 22050);
  EXPECT_EQ(app.rate.rateFactor, 2.0f);
  EXPECT_TRUE(rig.dialogs.shown.empty());
}

}  // namespace
}  // namespace tonforge
