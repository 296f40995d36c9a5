// A song recorded in real time while it plays is an ordinary song: saved, loaded and rendered in the program it
// gives the same bytes as tonforge-render gives for the saved file, and the recorded notes sound in it.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "audio/playback.h"
#include "audio/render.h"
#include "sequencer/editing.h"
#include "sequencer/play_along.h"
#include "sequencer/song_file.h"
#include "support/fake_devices.h"
#include "support/file_rig.h"
#include "support/song_rig.h"
#include "tool_paths.h"

namespace tonforge {
namespace {

using testing::Id;
using testing::Type;

TEST(RecordedSong, SavedLoadedAndRenderedEqualsTheRenderTool) {
  testing::TempDir dir;
  testing::SongRig rig(1, 2);
  testing::FakeSoundDevice device;
  Studio& app = rig.app;
  StartCore(app, dir.Root());
  app.sound = &device;
  app.ring.blockFrames = 256;
  device.blockBytes = 256 * kFrameBytes;
  rig.SetProgramType(0, Id(EngineTypeId::SineWaveGenerator));
  InsertEvent(app, rig.TrackNo(0), {200, Type(EventType::End), 0, 0});
  SelectTrack(app, 1);
  app.editor.editMode = 1;

  StartSongPlayback(app);
  for (uint32_t block = 0; block < 40; ++block) {
    device.PlayInBlock(block % kRingBlocks);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    if (block == 3 || block == 20) PlayAlongNote(app, 2450 + 100 * static_cast<int32_t>(block), 44);  // held by the Z key
    if (block == 12 || block == 30) ReleasePlayAlongNote(app, 44);
    EnterHeardNotes(app);
  }
  StopPlayback(app);
  ASSERT_EQ(rig.Column(1, 1), (std::vector<int32_t>{Type(EventType::NoteOn), Type(EventType::NoteOff),
                                                     Type(EventType::NoteOn), Type(EventType::NoteOff)}));
  ASSERT_EQ(SaveSongFile(app, dir.File("recorded.tes")), SongFileResult::Done);

  testing::FakeDialogs dialogs;
  Studio loaded(dialogs);
  StartCore(loaded, dir.Root());
  ASSERT_EQ(LoadSongFile(loaded, dir.File("recorded.tes")), SongFileResult::Done);
  ASSERT_EQ(RenderSongToFile(loaded, dir.File("program.wav")), RenderResult::Done);
  const std::string tool = "cd '" + dir.Root() + "' && '" TONFORGE_RENDER_TOOL "' recorded.tes tool.wav >/dev/null";
  ASSERT_EQ(std::system(tool.c_str()), 0);
  const std::vector<uint8_t> expected = testing::ReadBytes(dir.File("tool.wav"));
  EXPECT_EQ(testing::FirstDifference(testing::ReadBytes(dir.File("program.wav")), expected), -1);
  EXPECT_GT(std::count_if(expected.begin() + 44, expected.end(), [](uint8_t b) { return b != 0; }), 1000)
      << "the recorded notes sound";
}

}  // namespace
}  // namespace tonforge
