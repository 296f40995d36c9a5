// The editor's single-value commands while the playback thread plays the same song. Run in the
// ThreadSanitizer build, this is where a new race between the two threads shows itself.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "audio/playback.h"
#include "programs/program_list.h"
#include "sequencer/editing.h"
#include "sequencer/track_commands.h"
#include "support/fake_sound_device.h"
#include "support/song_rig.h"

namespace tonforge {
namespace {

using testing::Id;
using testing::Type;

TEST(EditDuringPlayback, LevelsPansAndNotesChangeWhileTheSongPlays) {
  testing::SongRig rig(2, 3);
  testing::FakeSoundDevice device;
  rig.app.sound = &device;
  StartCore(rig.app, "/nonexistent");
  for (int32_t program = 0; program < 2; ++program) {
    SelectProgram(rig.app, program);
    rig.SetProgramType(0, Id(EngineTypeId::SineWaveGenerator));
  }
  for (int32_t track = 1; track < 3; ++track)
    for (int32_t tick = 0; tick < 4000; tick += 24) rig.Add(track, {{tick, Type(EventType::NoteOn), 2450, track - 1}});

  StartSongPlayback(rig.app);
  ASSERT_EQ(rig.app.playback.mode.load(), PlaybackMode::Song);
  for (int32_t i = 0; i < 400; ++i) {
    device.PlayInBlock(static_cast<uint32_t>(i) % kRingBlocks);
    SelectTrack(rig.app, 1 + i % 2);
    SetTrackPan(rig.app, i % 200 - 100);
    SetTrackLevel(rig.app, i % 100);
    SetSongLevel(rig.app, 100 - i % 100);
    SelectProgram(rig.app, i % 2);
    SetProgramLevel(rig.app, i % 100);
    SetProgramPan(rig.app, 100 - i % 200);
    SelectEventIndex(rig.app, i % 8);
    (i % 2 == 0 ? TransposeUp : TransposeDown)(rig.app);
    InsertEvent(rig.app, rig.TrackNo(1 + i % 2), {4000 + i, Type(EventType::NoteOn), 2450, i % 2});
    std::this_thread::sleep_for(std::chrono::microseconds(500));
  }
  EXPECT_EQ(rig.app.playback.mode.load(), PlaybackMode::Song) << "the edits never stop the song";
  EXPECT_GT(device.WriteCount(), 8u);
  StopPlayback(rig.app);
  EXPECT_TRUE(IsPlaybackIdle(rig.app) && rig.app.playback.workerRunning.load() == 0);
  EXPECT_EQ(rig.TrackNo(1).eventCount, 167 + 200);
}

}  // namespace
}  // namespace tonforge
