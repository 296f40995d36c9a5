// Undo and redo while the playback thread plays the song: values go back at once and the song plays on; a
// change of the song's structure stops it first. Run in the ThreadSanitizer build, a picture taken or restored
// under the worker shows its races here.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "audio/playback.h"
#include "history/history.h"
#include "programs/program_list.h"
#include "sequencer/editing.h"
#include "sequencer/track_commands.h"
#include "support/fake_devices.h"
#include "support/song_rig.h"

namespace tonforge {
namespace {

using testing::Type;

TEST(HistoryDuringPlayback, ValuesGoBackWhileTheSongPlaysAndStructureStopsIt) {
  testing::SongRig rig(2, 3);
  testing::FakeSoundDevice device;
  rig.app.sound = &device;
  StartCore(rig.app, "/nonexistent");
  rig.SetTrackType(0, testing::Id(EngineTypeId::LowPassFilter));
  for (int32_t tick = 0; tick < 4000; tick += 24) rig.Add(1, {{tick, Type(EventType::NoteOn), 2450, 0}});
  History history;
  StartHistory(history, rig.app);
  const float level = rig.TrackNo(1).level;
  StartSongPlayback(rig.app);
  for (int32_t i = 0; i < 40; ++i) {
    device.PlayInBlock(static_cast<uint32_t>(i) % kRingBlocks);
    SelectTrack(rig.app, 1);
    SetTrackLevel(rig.app, i);
    SetProgramPan(rig.app, i - 20);
    SetParameter(rig.TrackNo(1).chain[0], 0, i);
    rig.app.changes.Report(Change::Engine);
    FollowEdits(history, rig.app);
    std::this_thread::sleep_for(std::chrono::microseconds(300));
  }
  EXPECT_EQ(history.at, 40u);
  while (Undo(history, rig.app)) device.PlayInBlock(history.at % kRingBlocks);
  EXPECT_EQ(rig.app.playback.mode.load(), PlaybackMode::Song) << "undoing values never stops the song";
  EXPECT_EQ(rig.TrackNo(1).level, level);
  while (Redo(history, rig.app)) {}
  EXPECT_EQ(rig.TrackNo(1).level, 0.39f);
  EXPECT_EQ(rig.app.playback.mode.load(), PlaybackMode::Song);

  InsertTrackCommand(rig.app);
  FollowEdits(history, rig.app);
  ASSERT_EQ(rig.app.song.tracks.Count(), 4);
  Undo(history, rig.app);
  EXPECT_EQ(rig.app.song.tracks.Count(), 3);
  EXPECT_EQ(rig.app.playback.mode.load(), PlaybackMode::Idle) << "a track taken away stops the song first";
}

}  // namespace
}  // namespace tonforge
