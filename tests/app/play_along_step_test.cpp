// The idle step while a song plays: the note keys play along and are recorded as the song worker hears them,
// while the editing keys held with them do nothing. Under the thread sanitizer this is where the main thread's
// inserts of recorded notes meet the worker walking the same track.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "app/run.h"
#include "audio/playback.h"
#include "sequencer/track_commands.h"
#include "support/fake_host.h"
#include "support/song_rig.h"

namespace tonforge {
namespace {

using testing::Type;

TEST(PlayAlongStep, NoteKeysPlayAndRecordWhileTheEditingKeysRest) {
  testing::SongRigOf<AppState> rig(1, 2);
  AppState& app = rig.app;
  rig.SetProgramType(0, testing::Id(EngineTypeId::SineWaveGenerator));
  InsertEvent(app, rig.TrackNo(0), {2000, Type(EventType::End), 0, 0});
  app.song.currentTrack = 1;
  testing::FakeSoundDevice device;
  app.sound = &device;
  app.ring.blockFrames = 256;
  device.blockBytes = 256 * kFrameBytes;
  testing::FakeKeyboard keyboard;
  testing::FakeShell shell;
  KeyboardHandler keys(keyboard, shell, ProgramKeyboardHooks(app));
  app.editor.editMode = 1;

  StartSongPlayback(app);
  for (uint32_t i = 0; i < 200; ++i) {
    device.PlayInBlock(i % kRingBlocks);
    if (i % 20 == 0) keyboard.Hold({key::C, key::Right, key::Insert, key::Delete});  // a note and editing keys
    if (i % 20 == 10) keyboard.Hold({});
    RunIdleStep(app, keys);
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  StopPlayback(app);

  std::vector<int32_t> expected;
  for (int n = 0; n < 10; ++n) expected.insert(expected.end(), {Type(EventType::NoteOn), Type(EventType::NoteOff)});
  EXPECT_EQ(rig.Column(1, 1), expected);
  const std::vector<int32_t> ticks = rig.Column(1, 0);
  EXPECT_TRUE(std::is_sorted(ticks.begin(), ticks.end()) && std::adjacent_find(ticks.begin(), ticks.end()) == ticks.end());
  EXPECT_EQ(app.editCursor, 0) << "Right rested";
  EXPECT_EQ(app.editor.editMode, 1u) << "Insert rested";
}

// Ctrl+Z and Ctrl+Y while the song plays take a level change back and forth as the edit itself went in: at
// once, the song playing on, and no note for the Z or the Y.
TEST(PlayAlongStep, UndoAndRedoKeysWorkWhileTheSongPlays) {
  testing::SongRigOf<AppState> rig(1, 2);
  AppState& app = rig.app;
  InsertEvent(app, rig.TrackNo(0), {20000, Type(EventType::End), 0, 0});
  app.song.currentTrack = 1;
  testing::FakeSoundDevice device;
  app.sound = &device;
  testing::FakeKeyboard keyboard;
  testing::FakeShell shell;
  KeyboardHandler keys(keyboard, shell, ProgramKeyboardHooks(app));
  app.editor.editMode = 1;
  StartHistory(app.history, app);
  const float before = app.song.songLevel.Load();
  SetSongLevel(app, 12);
  FollowEdits(app.history, app);
  const float after = app.song.songLevel.Load();

  StartSongPlayback(app);
  const auto press = [&](std::initializer_list<uint8_t> held) {
    keyboard.Hold(held);
    RunIdleStep(app, keys);
    keyboard.Hold({});
    RunIdleStep(app, keys);
  };
  press({key::LeftControl, key::Z});
  EXPECT_EQ(app.song.songLevel.Load(), before) << "undone";
  press({key::RightControl, key::Y});
  EXPECT_EQ(app.song.songLevel.Load(), after) << "redone";
  press({key::LeftControl, key::LeftShift, key::Z});
  EXPECT_EQ(app.song.songLevel.Load(), after) << "nothing more to redo";
  EXPECT_FALSE(IsPlaybackIdle(app)) << "the song played on";
  StopPlayback(app);
  EXPECT_EQ(rig.Column(1, 1), std::vector<int32_t>{}) << "no note recorded";
}

}  // namespace
}  // namespace tonforge
