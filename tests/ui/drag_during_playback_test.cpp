// Every kind of value control worked with the mouse while the song plays: engine parameters and options of a
// program and of a track chain, program and track levels and pans, event values, beats per bar, ticks per beat
// and the song level. In the ThreadSanitizer build a value that the playing thread reads while the
// interface writes it unguarded shows here as a failure.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "audio/playback.h"
#include "sequencer/editing.h"
#include "support/app_panels_rig.h"
#include "support/fake_devices.h"
#include "ui/panels/event_list.h"

namespace tonforge {
namespace {

using testing::Id;
using testing::Type;
namespace E = EventListControl;

using namespace testing::panels;
// The chain squares' first buttons, the engine editor's first option button and the chain panels' value
// controls, as their panels lay them out.
constexpr int32_t kProgramPositions = 12, kTrackPositions = 15, kFirstOption = 14;
constexpr int32_t kProgramPan = 0, kProgramLevel = 1, kTrackPan = 1, kTrackLevel = 2;
constexpr int32_t kBeatsPerBar = 0, kTicksPerBeat = 1, kSongLevel = 2;

TEST(DragDuringPlayback, EveryKindOfValueControlMovesWhileTheSongPlays) {
  testing::AppPanelsRig rig(1, 2);
  testing::FakeSoundDevice device;
  AppState& app = rig.app();
  app.sound = &device;
  rig.song.SetProgramType(0, Id(EngineTypeId::SineWaveGenerator));
  rig.song.SetProgramType(1, Id(EngineTypeId::LowPassFilter));
  rig.song.SetProgramType(2, Id(EngineTypeId::Arpeggiator));
  app.song.currentTrack = 1;
  rig.song.SetTrackType(0, Id(EngineTypeId::StereoChorus));
  rig.song.SetTrackType(1, Id(EngineTypeId::BasicDelay));
  for (int32_t tick = 0; tick < 4000; tick += 24) rig.song.Add(1, {{tick, Type(EventType::NoteOn), 2450, 0}});
  rig.Redraw();

  // One drag of a value control up and down by turns, with the device playing on.
  int32_t step = 0;
  const auto drag = [&](int32_t panel, int32_t control) {
    device.PlayInBlock(static_cast<uint32_t>(step) % kRingBlocks);
    rig.Drag(panel, control, {0, ++step % 2 == 0 ? 9 : -9});
    std::this_thread::sleep_for(std::chrono::microseconds(300));
  };
  // Every parameter and every option of the engine at a chain square.
  const auto workEngine = [&](int32_t panel, int32_t square) {
    rig.Press(panel, square);
    for (int32_t k = 0; k < kParameterCount; ++k) drag(kEngineEditor, k);
    for (int32_t g = 0; g < kOptionCount; ++g)
      if (rig.Shown(kEngineEditor, kFirstOption + g)) rig.Press(kEngineEditor, kFirstOption + g);
  };
  StartSongPlayback(app);
  for (int32_t round = 0; round < 3; ++round) {
    // The program layout: the program's engines, its level and pan.
    for (int32_t p = 0; p < 3; ++p) workEngine(kProgramEditor, kProgramPositions + p);
    drag(kProgramEditor, kProgramLevel);
    drag(kProgramEditor, kProgramPan);

    // The song layout on track 1: the track chain's engines, the track's level and pan, a note's pitch.
    rig.Toggle(kTrackChain);
    SelectTrack(app, 1);
    rig.Redraw();
    for (int32_t p = 0; p < 2; ++p) workEngine(kTrackChain, kTrackPositions + p);
    drag(kTrackChain, kTrackLevel);
    drag(kTrackChain, kTrackPan);
    if (!rig.Open(kEventList)) rig.Toggle(kEventList);
    rig.Press(kEventList, E::FieldIndex(round, E::Time));
    rig.Press(kEventList, E::TransposeUp);

    // The song chain on the GlobalTrack: beats per bar, ticks per beat and the song level.
    SelectTrack(app, 0);
    rig.Redraw();
    ASSERT_TRUE(rig.Open(kSongChain));
    drag(kSongChain, kBeatsPerBar);
    drag(kSongChain, kTicksPerBeat);
    drag(kSongChain, kSongLevel);
    rig.Toggle(kProgramEditor);
  }
  EXPECT_EQ(app.playback.mode.load(), PlaybackMode::Song) << "no drag stops the song";
  EXPECT_GT(device.WriteCount(), 8u);
  StopPlayback(app);
  EXPECT_EQ(rig.song.Column(1, 2)[2], 2450 + 100 * 3) << "every round's transpose reached the notes";
}

}  // namespace
}  // namespace tonforge
