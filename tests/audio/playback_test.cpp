// Song playback on the worker thread and the hand-over of the sound between the threads.
#include <gtest/gtest.h>

#include "audio/live_output.h"
#include "support/play_rig.h"

namespace tonforge {
namespace {

using testing::PlayRig;
using testing::WaitFor;

constexpr auto kSong = PlaybackMode::Song;

TEST(Playback, PlayButtonTogglesAndAnEndLetsTheIdleStepStop) {
  PlayRig rig;
  Studio& app = *rig.app;
  rig.End(2);
  app.playback.highPriority = 1;  // refused without privileges; playback goes on regardless
  for (bool pressAgain : {true, false}) {
    app.live.voices[0].liveFlag = 1;
    StartSongPlayback(app);
    ASSERT_EQ(app.playback.mode.load(), kSong);
    EXPECT_TRUE(app.playback.playButtonPressed == 1 && app.live.voices[0].liveFlag == 0);
    ASSERT_TRUE(WaitFor([&] { return app.playback.songEndReached.load() == 1; }));
    EXPECT_EQ(app.playback.mode.load(), kSong) << "the worker runs on with the song chain's tails";
    pressAgain ? StartSongPlayback(app) : StopPlayback(app);  // what the idle step does on the End
    EXPECT_TRUE(IsPlaybackIdle(app) && app.playback.workerRunning.load() == 0) << pressAgain;
    EXPECT_EQ(app.playback.playButtonPressed, 0u);
    EXPECT_FALSE(app.playback.worker.joinable());
  }
}

TEST(Playback, WorkerKeepsTwoBlocksAheadOfThePlayCursor) {
  for (const uint32_t frames : {4096u, 256u}) {
  SCOPED_TRACE(frames);
  PlayRig rig;
  rig.app->ring.blockFrames = frames;
  rig.device.blockBytes = frames * kFrameBytes;
  StartSongPlayback(*rig.app);
  // The device stands still between steps: exactly one block is written per block the cursor moves on.
  size_t writes = 0;
  for (const auto& [playBlock, target] : {std::pair{0u, 2u}, {1u, 3u}, {2u, 4u}, {6u, 0u}, {7u, 1u}}) {
    rig.device.PlayInBlock(playBlock);
    ++writes;
    ASSERT_TRUE(WaitFor([&] { return rig.device.WriteCount() >= writes; })) << playBlock;
    std::this_thread::sleep_for(std::chrono::milliseconds(30));  // room for a wrong extra write to show
    ASSERT_EQ(rig.device.WriteCount(), writes) << playBlock;
    EXPECT_EQ(rig.device.Write(writes - 1).offset, target * frames * kFrameBytes);
    EXPECT_EQ(rig.device.Write(writes - 1).samples.size(), 2 * frames);
  }
  StopPlayback(*rig.app);
  EXPECT_EQ(rig.app->ring.writeBlock, 1u) << "the idle step carries on from the worker's ring position";
  }
}

TEST(Playback, RefusedStartsLeaveTheSongIdle) {
  for (const auto& [endTick, cursor, failingStarts, message] :
       {std::tuple{5, 10, 0, "Song Stopped Before Cursor Position"}, {-1, 0, 1, "Could Not Start Playback"}}) {
    PlayRig rig;
    if (endTick >= 0) rig.End(endTick);
    rig.app->editCursor = cursor;
    FailWorkerStartsForTesting(failingStarts);
    StartSongPlayback(*rig.app);
    EXPECT_TRUE(IsPlaybackIdle(*rig.app) && rig.app->playback.playButtonPressed == 0) << message;
    ASSERT_EQ(rig.dialogs.shown.size(), 1u) << message;
    EXPECT_EQ(rig.dialogs.shown[0].caption + ": " + rig.dialogs.shown[0].text, std::string("Error: ") + message);
    EXPECT_EQ(rig.device.WriteCount(), 0u) << message;
    // The live output owns the sound again, and a later start works.
    EXPECT_EQ(ServeLiveOutput(*rig.app), LiveOutputStep::Rendered);
    rig.app->editCursor = 0;
    StartSongPlayback(*rig.app);
    EXPECT_EQ(rig.app->playback.mode.load(), kSong) << message;
  }
}

TEST(Playback, StartPreparesAndStopRestsEveryTrack) {
  PlayRig rig;
  Track& track = rig.AddTrack();
  Engine& delay = rig.SetTrackEngine(track, 4, EngineTypeId::BasicDelay);
  Engine& reverb = rig.SetTrackEngine(rig.Global(), 1, EngineTypeId::BasicReverb);
  Program& p = rig.AddProgram({0, 0, testing::kGain});
  p.engineCount = 9;
  rig.SetTempo(60);
  track.phraseCursor = track.events.First();
  track.volumeSlide = 0.5f;
  rig.app->song.tempoSlide = 2.0f;
  PrepareSongStart(*rig.app);
  EXPECT_TRUE(track.chainLength == 5 && p.engineCount == 3u && track.phraseCursor == nullptr);
  EXPECT_FLOAT_EQ(track.volumeSlide, 0.0f);
  EXPECT_FLOAT_EQ(rig.app->song.tempoSlide, 0.0f);
  EXPECT_FLOAT_EQ(rig.app->song.tickAccumulator, 918.75f) << "tick 0 falls on the first sample";
  EXPECT_EQ(rig.Channel(1).silenceCounter, 44100u) << "every channel starts out silent";

  // Echoes must not carry into the next start; voices and values go back to rest.
  std::fill_n(delay.left.get(), delay.bufferLength, 0.5f);
  std::fill_n(reverb.right.get(), reverb.bufferLength, 0.5f);
  track.volume = 0.2f, track.gate = 1, track.pitchOffset = 300, track.runningRandom = 5;
  rig.app->song.tempo = 200.0f;
  rig.app->playback.mode.store(kSong);  // as if a worker had just ended
  StopPlayback(*rig.app);
  EXPECT_EQ(std::count(delay.left.get(), delay.left.get() + delay.bufferLength, 0.0f), 44104);
  EXPECT_EQ(std::count(reverb.right.get(), reverb.right.get() + reverb.bufferLength, 0.0f), 19416);
  EXPECT_FLOAT_EQ(track.volume, 1.0f);
  EXPECT_TRUE(track.gate == 0 && track.pitchOffset == 0 && track.runningRandom == track.seed);
  EXPECT_FLOAT_EQ(rig.app->song.tempo, 60.0f) << "tempo from the song's first event";
}

}  // namespace
}  // namespace tonforge
