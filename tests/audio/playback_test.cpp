// Song playback on the worker thread and the hand-over of the sound between the threads.
#include <gtest/gtest.h>

#include "audio/live_output.h"
#include "audio/playback.h"
#include "support/song_rig.h"

namespace tonforge {
namespace {

using testing::SongRig;
using testing::WaitFor;

bool Playing(AppState& app) { return app.playback.mode.load() == static_cast<uint32_t>(PlaybackMode::Song); }

TEST(Playback, PlayButtonTogglesAndTheWorkerEndsBeforeTheSongIsTouched) {
  SongRig rig;
  rig.app->live.liveFlag = 1;
  for (int round = 0; round < 3; ++round) {
    StartSongPlayback(*rig.app);
    ASSERT_TRUE(Playing(*rig.app)) << round;
    EXPECT_EQ(rig.app->playback.playButtonPressed, 1u);
    EXPECT_EQ(rig.app->live.liveFlag, 0u);
    ASSERT_TRUE(WaitFor([&] { return rig.device.WriteCount() > static_cast<size_t>(round); }));
    StartSongPlayback(*rig.app);  // pressed again: stops
    EXPECT_EQ(rig.app->playback.mode.load(), 0u);
    EXPECT_EQ(rig.app->playback.workerRunning.load(), 0u);
    EXPECT_EQ(rig.app->playback.playButtonPressed, 0u);
    EXPECT_FALSE(rig.app->playback.worker.joinable());
  }
}

TEST(Playback, WorkerKeepsTwoBlocksAheadOfThePlayCursor) {
  SongRig rig;
  struct Step {
    uint32_t playBlock;
    size_t writes;
    uint32_t lastBlock;
  };
  // The device stands still between steps: the worker writes exactly one block per block the cursor moves on.
  const Step steps[] = {{0, 1, 2}, {1, 2, 3}, {2, 3, 4}, {6, 4, 0}, {7, 5, 1}};
  StartSongPlayback(*rig.app);
  for (const Step& s : steps) {
    rig.device.PlayInBlock(s.playBlock);
    ASSERT_TRUE(WaitFor([&] { return rig.device.WriteCount() >= s.writes; })) << s.playBlock;
    std::this_thread::sleep_for(std::chrono::milliseconds(30));  // room for a wrong extra write to show
    ASSERT_EQ(rig.device.WriteCount(), s.writes) << s.playBlock;
    EXPECT_EQ(rig.device.Write(s.writes - 1).offset, s.lastBlock * kBlockBytes);
  }
  StopPlayback(*rig.app);
  EXPECT_EQ(rig.app->ring.writeBlock, 1u) << "the idle step carries on from the worker's ring position";
}

TEST(Playback, RefusedStartsLeaveTheSongIdle) {
  struct Case {
    const char* name;
    int32_t endTick;
    int32_t editCursor;
    int failingStarts;
    const char* message;
  };
  const Case cases[] = {
      {"end before the cursor", 5, 10, 0, "Song Stopped Before Cursor Position"},
      {"no worker thread", -1, 0, 1, "Could Not Start Playback"},
  };
  for (const Case& c : cases) {
    SongRig rig;
    if (c.endTick >= 0) rig.Add(rig.TrackAt(0), c.endTick, EventType::End);
    rig.app->editCursor = c.editCursor;
    FailWorkerStartsForTesting(c.failingStarts);
    StartSongPlayback(*rig.app);
    EXPECT_EQ(rig.app->playback.mode.load(), 0u) << c.name;
    EXPECT_EQ(rig.app->playback.playButtonPressed, 0u) << c.name;
    ASSERT_EQ(rig.dialogs.shown.size(), 1u) << c.name;
    EXPECT_EQ(rig.dialogs.shown[0].caption, "Error");
    EXPECT_EQ(rig.dialogs.shown[0].text, c.message);
    EXPECT_EQ(rig.device.WriteCount(), 0u) << c.name;
    // The live output owns the sound again, and a later start works.
    EXPECT_EQ(ServeLiveOutput(*rig.app), LiveOutputStep::Rendered);
    rig.app->editCursor = 0;
    StartSongPlayback(*rig.app);
    EXPECT_TRUE(Playing(*rig.app)) << c.name;
    StopPlayback(*rig.app);
  }
}

TEST(Playback, EndEventLetsTheIdleStepStopTheSong) {
  SongRig rig;
  rig.Add(rig.TrackAt(0), 2, EventType::End);
  rig.app->playback.highPriority = 1;  // refused without privileges; playback goes on regardless
  StartSongPlayback(*rig.app);
  ASSERT_TRUE(WaitFor([&] { return rig.app->playback.songEndReached.load() == 1; }));
  EXPECT_TRUE(Playing(*rig.app)) << "the worker runs on with the song chain's tails";
  // What the idle step does when it sees the end.
  StopPlayback(*rig.app);
  rig.app->playback.songEndReached.store(0);
  EXPECT_EQ(rig.app->playback.mode.load(), 0u);
  EXPECT_EQ(rig.app->playback.playButtonPressed, 0u);
}

TEST(Playback, StopPutsEveryTrackBackAtRest) {
  SongRig rig;
  Track& track = rig.AddTrack();
  Engine& delay = rig.SetTrackEngine(track, 0, static_cast<uint32_t>(EngineTypeId::BasicDelay));
  Engine& reverb = rig.SetTrackEngine(rig.TrackAt(0), 1, static_cast<uint32_t>(EngineTypeId::BasicReverb));
  rig.Add(rig.TrackAt(0), 0, EventType::Tempo, 90);  // a later tempo than the song's opening one
  StartSongPlayback(*rig.app);
  ASSERT_TRUE(WaitFor([&] { return rig.device.WriteCount() > 0; }));
  StopPlayback(*rig.app);
  // Echoes must not carry into the next start, and the voices and values go back to rest.
  std::fill_n(delay.left.get(), delay.bufferLength, 0.5f);
  std::fill_n(reverb.right.get(), reverb.bufferLength, 0.5f);
  track.volume = 0.2f;
  track.gate = 1;
  track.notePitch = 3000;
  track.pitchOffset = 300;
  track.runningRandom = 5;
  rig.app->live.liveFlag = 1;
  rig.app->playback.mode.store(static_cast<uint32_t>(PlaybackMode::Song));  // as if a worker had just ended
  StopPlayback(*rig.app);
  for (uint32_t i = 0; i < delay.bufferLength; ++i) ASSERT_EQ(delay.left[i], 0.0f);
  for (uint32_t i = 0; i < reverb.bufferLength; ++i) ASSERT_EQ(reverb.right[i], 0.0f);
  EXPECT_FLOAT_EQ(track.volume, 1.0f);
  EXPECT_EQ(track.gate, 0u);
  EXPECT_EQ(track.notePitch, 0);
  EXPECT_EQ(track.pitchOffset, 0);
  EXPECT_EQ(track.runningRandom, track.seed);
  EXPECT_EQ(rig.app->live.liveFlag, 0u);
  EXPECT_FLOAT_EQ(rig.app->song.tempo, 120.0f) << "tempo from the song's first event";
  EXPECT_FLOAT_EQ(rig.app->rate.samplesPerTick, 459.375f);
}

TEST(Playback, StartPreparesEveryTrackAndTheClock) {
  SongRig rig;
  Track& track = rig.AddTrack();
  rig.SetTrackEngine(track, 4, static_cast<uint32_t>(EngineTypeId::Amplifier));
  Program& p = rig.AddProgram({0, 0, static_cast<uint32_t>(EngineTypeId::Amplifier)});
  p.engineCount = 9;
  track.phraseCursor = track.events.First();
  track.gate = 1;
  track.volumeSlide = 0.5f;
  track.playingProgram.panSlide = 3;
  rig.TrackAt(0).events.First()->valueA = 60;
  rig.app->song.volume = 0.3f;
  rig.app->song.tempoSlide = 2.0f;
  PrepareSongStart(*rig.app);
  EXPECT_EQ(track.chainLength, 5);
  EXPECT_EQ(p.engineCount, 3u);
  EXPECT_EQ(track.phraseCursor, nullptr);
  EXPECT_EQ(track.gate, 0u);
  EXPECT_FLOAT_EQ(track.volumeSlide, 0.0f);
  EXPECT_EQ(track.playingProgram.panSlide, 0);
  EXPECT_EQ(rig.app->currentTick, 0);
  EXPECT_FLOAT_EQ(rig.app->song.tempo, 60.0f);
  EXPECT_FLOAT_EQ(rig.app->song.tickAccumulator, 918.75f);
  EXPECT_FLOAT_EQ(rig.app->song.volume, 1.0f);
  EXPECT_FLOAT_EQ(rig.app->song.tempoSlide, 0.0f);
  EXPECT_EQ(rig.app->song.runningRandom, rig.app->song.seed);
  ASSERT_EQ(rig.app->channels.count, 2);
  EXPECT_EQ(rig.Channel(1).silenceCounter, 44100u) << "every channel starts out silent";
}

}  // namespace
}  // namespace tonforge
