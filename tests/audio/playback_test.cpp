// Song playback on the worker thread and the hand-over of the sound between the threads.
#include <gtest/gtest.h>

#include "audio/live_output.h"
#include "support/play_rig.h"

namespace tonforge {
namespace {

using testing::PlayRig;
using testing::WaitFor;

uint32_t Mode(AppState& app) { return app.playback.mode.load(); }
constexpr auto kSong = static_cast<uint32_t>(PlaybackMode::Song);

TEST(Playback, PlayButtonTogglesAndAnEndLetsTheIdleStepStop) {
  PlayRig rig;
  rig.Add(rig.Global(), 2, EventType::End);
  rig.app->playback.highPriority = 1;  // refused without privileges; playback goes on regardless
  for (int round = 0; round < 2; ++round) {
    rig.app->live.liveFlag = 1;
    StartSongPlayback(*rig.app);
    ASSERT_EQ(Mode(*rig.app), kSong);
    EXPECT_EQ(rig.app->playback.playButtonPressed, 1u);
    EXPECT_EQ(rig.app->live.liveFlag, 0u);
    ASSERT_TRUE(WaitFor([&] { return rig.app->playback.songEndReached.load() == 1; }));
    EXPECT_EQ(Mode(*rig.app), kSong) << "the worker runs on with the song chain's tails";
    if (round == 0) {
      StartSongPlayback(*rig.app);  // pressed again: stops
    } else {
      StopPlayback(*rig.app);  // what the idle step does on the End
    }
    EXPECT_EQ(Mode(*rig.app), 0u);
    EXPECT_EQ(rig.app->playback.workerRunning.load(), 0u);
    EXPECT_EQ(rig.app->playback.playButtonPressed, 0u);
    EXPECT_FALSE(rig.app->playback.worker.joinable());
  }
}

TEST(Playback, WorkerKeepsTwoBlocksAheadOfThePlayCursor) {
  PlayRig rig;
  // The device stands still between steps: exactly one block is written per block the cursor moves on.
  const std::pair<uint32_t, uint32_t> steps[] = {{0, 2}, {1, 3}, {2, 4}, {6, 0}, {7, 1}};
  StartSongPlayback(*rig.app);
  size_t writes = 0;
  for (const auto& [playBlock, target] : steps) {
    rig.device.PlayInBlock(playBlock);
    ++writes;
    ASSERT_TRUE(WaitFor([&] { return rig.device.WriteCount() >= writes; })) << playBlock;
    std::this_thread::sleep_for(std::chrono::milliseconds(30));  // room for a wrong extra write to show
    ASSERT_EQ(rig.device.WriteCount(), writes) << playBlock;
    EXPECT_EQ(rig.device.Write(writes - 1).offset, target * kBlockBytes);
  }
  StopPlayback(*rig.app);
  EXPECT_EQ(rig.app->ring.writeBlock, 1u) << "the idle step carries on from the worker's ring position";
}

TEST(Playback, RefusedStartsLeaveTheSongIdle) {
  struct Case {
    int32_t endTick, editCursor;
    int failingStarts;
    const char* message;
  };
  for (const Case& c : {Case{5, 10, 0, "Song Stopped Before Cursor Position"}, Case{-1, 0, 1, "Could Not Start Playback"}}) {
    PlayRig rig;
    if (c.endTick >= 0) rig.Add(rig.Global(), c.endTick, EventType::End);
    rig.app->editCursor = c.editCursor;
    FailWorkerStartsForTesting(c.failingStarts);
    StartSongPlayback(*rig.app);
    EXPECT_EQ(Mode(*rig.app), 0u) << c.message;
    EXPECT_EQ(rig.app->playback.playButtonPressed, 0u) << c.message;
    ASSERT_EQ(rig.dialogs.shown.size(), 1u) << c.message;
    EXPECT_EQ(rig.dialogs.shown[0].caption, "Error");
    EXPECT_EQ(rig.dialogs.shown[0].text, c.message);
    EXPECT_EQ(rig.device.WriteCount(), 0u) << c.message;
    // The live output owns the sound again, and a later start works.
    EXPECT_EQ(ServeLiveOutput(*rig.app), LiveOutputStep::Rendered);
    rig.app->editCursor = 0;
    StartSongPlayback(*rig.app);
    EXPECT_EQ(Mode(*rig.app), kSong) << c.message;
  }
}

TEST(Playback, StartPreparesAndStopRestsEveryTrack) {
  PlayRig rig;
  Track& track = rig.AddTrack();
  Engine& delay = rig.SetTrackEngine(track, 4, static_cast<uint32_t>(EngineTypeId::BasicDelay));
  Engine& reverb = rig.SetTrackEngine(rig.Global(), 1, static_cast<uint32_t>(EngineTypeId::BasicReverb));
  Program& p = rig.AddProgram({0, 0, static_cast<uint32_t>(EngineTypeId::Amplifier)});
  p.engineCount = 9;
  rig.Global().events.First()->valueA = 60;
  track.phraseCursor = track.events.First();
  track.volumeSlide = 0.5f;
  rig.app->song.tempoSlide = 2.0f;
  PrepareSongStart(*rig.app);
  EXPECT_EQ(track.chainLength, 5);
  EXPECT_EQ(p.engineCount, 3u);
  EXPECT_EQ(track.phraseCursor, nullptr);
  EXPECT_FLOAT_EQ(track.volumeSlide, 0.0f);
  EXPECT_FLOAT_EQ(rig.app->song.tempoSlide, 0.0f);
  EXPECT_FLOAT_EQ(rig.app->song.tickAccumulator, 918.75f) << "tick 0 falls on the first sample";
  EXPECT_EQ(rig.Channel(1).silenceCounter, 44100u) << "every channel starts out silent";

  // Echoes must not carry into the next start; voices and values go back to rest.
  std::fill_n(delay.left.get(), delay.bufferLength, 0.5f);
  std::fill_n(reverb.right.get(), reverb.bufferLength, 0.5f);
  track.volume = 0.2f;
  track.gate = 1;
  track.pitchOffset = 300;
  track.runningRandom = 5;
  rig.app->song.tempo = 200.0f;
  rig.app->playback.mode.store(kSong);  // as if a worker had just ended
  StopPlayback(*rig.app);
  EXPECT_EQ(std::count(delay.left.get(), delay.left.get() + delay.bufferLength, 0.0f), 44104);
  EXPECT_EQ(std::count(reverb.right.get(), reverb.right.get() + reverb.bufferLength, 0.0f), 19416);
  EXPECT_FLOAT_EQ(track.volume, 1.0f);
  EXPECT_EQ(track.gate, 0u);
  EXPECT_EQ(track.pitchOffset, 0);
  EXPECT_EQ(track.runningRandom, track.seed);
  EXPECT_FLOAT_EQ(rig.app->song.tempo, 60.0f) << "tempo from the song's first event";
}

}  // namespace
}  // namespace tonforge
