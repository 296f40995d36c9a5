// Notes played along with a playing song: heard on the device, recorded in real time where they sounded, never
// in the song's render; and the Loop switch's clock. Run in the ThreadSanitizer build, this is where a race on the
// played-notes path between the main thread and the song worker shows itself.
#include <gtest/gtest.h>

#include "audio/play_along_voices.h"
#include "audio/render.h"
#include "programs/program_list.h"
#include "sequencer/keyboard_commands.h"
#include "sequencer/midi_commands.h"
#include "sequencer/play_along.h"
#include "support/fake_devices.h"
#include "support/play_rig.h"

namespace tonforge::testing {
namespace {


constexpr uint32_t kFrames = 256;
constexpr int32_t kFramesPerTick = 441;  // 44100 Hz, 125 beats per minute, 48 ticks per beat

// A song of silence on track 1 (current, with a delay in its chain) and a sine note on track 2, played on a
// device whose cursor the test moves a block at a time.
struct AlongRig : PlayRig {
  AlongRig() {
    app->ring.blockFrames = kFrames;
    device.blockBytes = kFrames * kFrameBytes;
    SetTempo(125);
    End(4000);
    AddProgram({static_cast<uint32_t>(EngineTypeId::SineWaveGenerator)}, 0.5f);
    SetTrackEngine(AddTrack(), 0, EngineTypeId::BasicDelay);
    Add(AddTrack(), 30, EventType::NoteOn, 1450, 0);
    SetLiveVoiceCount(*app, 16);
    app->song.currentTrack = 1;
  }
  // Moves the play cursor into block c and waits until the worker has written block c and rendered the next.
  void PlayInto(uint32_t c) {
    device.PlayInBlock(c % kRingBlocks);
    ASSERT_TRUE(WaitFor([&] { return device.WriteCount() >= c + 1; }));
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
  }
  // The first written block holding a sound, or -1.
  int FirstSoundingBlock() {
    for (size_t i = 0; i < device.WriteCount(); ++i)
      for (int16_t s : device.Write(i).samples)
        if (s != 0) return static_cast<int>(i);
    return -1;
  }
};

int32_t OnTickOf(uint32_t cursorBlock) { return static_cast<int32_t>((cursorBlock + 2) * kFrames) / kFramesPerTick; }

// A key struck while the cursor plays block c sounds from block c + 2 (the worker renders two blocks ahead) and
// is recorded at the tick where that block starts, rounded to the snap step; its release likewise, at least a
// tick after. The keyboard and a MIDI keyboard alike; a song with nothing on the track stays silent before.
TEST(PlayAlong, SoundsTwoBlocksOnAndIsRecordedWhereItSounded) {
  // ticks: NoteOn, NoteOff, ...; again: the block in which the key goes up and down again before the worker
  // hears it.
  struct Case { const char* name; bool midi; uint32_t snap, press, release; int32_t pitch; std::vector<int32_t> ticks;
                uint32_t again = 0; };
  const Case cases[] = {
      {"keys", false, 0, 3, 9, 50, {OnTickOf(3), OnTickOf(9)}},               // ticks 2 and 6
      {"keys snapped", false, 1, 3, 9, 50, {0, 12}},                         // 2 -> 0, 6 -> 12
      {"midi", true, 0, 5, 6, 2450, {OnTickOf(5), OnTickOf(5) + 1}},         // ticks 4 and 4: one after
      {"midi snapped", true, 1, 20, 21, 2450, {12, 13}},                     // 12, 12: one after its NoteOn
      {"keys struck again", false, 0, 3, 9, 50, {OnTickOf(3), OnTickOf(6), OnTickOf(6), OnTickOf(9)}, 6},
  };
  for (const Case& c : cases) {
    AlongRig rig;
    Studio& app = *rig.app;
    testing::FakeKeyboard keyboard;
    testing::FakeShell shell;
    KeyboardHandler keys(keyboard, shell, {});
    testing::FakeMidiInput midiInput;
    MidiHandler midi(midiInput);
    app.editor.editMode = 1;
    app.editor.snap = c.snap;
    const auto play = [&](bool down) {
      if (c.midi) {
        midiInput.Send({static_cast<uint8_t>(down ? 0x90 : 0x80), 60, 100});
        PollMidi(app, midi);
      } else {
        keyboard.Hold(down ? std::initializer_list<uint8_t>{key::Z} : std::initializer_list<uint8_t>{});
        PollKeyboard(app, keys);
      }
    };
    StartSongPlayback(app);
    // Until what Snap put ahead of the song has been passed by it: only then does it go in, or the track would
    // play it a second time.
    for (uint32_t block = 0; block <= c.release + 3 || (!app.playback.heardAhead.empty() && block < 100); ++block) {
      rig.PlayInto(block);
      if (block == c.press) play(true);
      const bool again = c.again > 0 && block == c.again;
      if (block == c.release || again) play(false);
      if (again) play(true);
      EnterHeardNotes(app);
      for (Event* e = rig.TrackAt(1).events.First(); e; e = EventList::Next(e))
        EXPECT_LT(e->tick, app.playback.playheadTick.Load()) << c.name << ": entered ahead of the song";
    }
    EXPECT_EQ(rig.TrackAt(1).eventCount, static_cast<int32_t>(c.ticks.size())) << c.name << ": shown while playing";
    StopPlayback(app);
    EXPECT_EQ(rig.FirstSoundingBlock(), static_cast<int>(c.press + 2)) << c.name;
    std::vector<std::array<int32_t, 4>> expected;
    for (size_t i = 0; i < c.ticks.size(); ++i)
      expected.push_back(i % 2 == 0 ? std::array{c.ticks[i], 2, c.pitch, 0} : std::array{c.ticks[i], 1, 0, 0});
    std::vector<std::array<int32_t, 4>> recorded;
    for (Event* e = rig.TrackAt(1).events.First(); e; e = EventList::Next(e))
      recorded.push_back({e->tick, e->type, e->valueA, e->valueB});
    EXPECT_EQ(recorded, expected) << c.name;
  }
}

// The song's own output is the same to the bit but for the blocks the note sounds in (struck in block 4, silenced
// in block 6, each heard two blocks on), and the song renders to the same bytes as before. On the GlobalTrack
// nothing is recorded; a track chosen while the song plays takes the notes through its own chain and level.
TEST(PlayAlong, LeavesTheSongAndItsRenderAlone) {
  // chosenTrack: made current in block 2.
  struct Case { const char* name; bool along; int32_t chosenTrack; std::vector<size_t> differing; };
  const Case cases[] = {
      {"alone", false, 0, {}},
      {"along on the GlobalTrack", true, 0, {6, 7}},
      {"along on a silent track chosen while playing", true, 1, {}},
  };
  const std::string dir = ::testing::TempDir();
  std::vector<std::vector<int16_t>> alone;
  for (const Case& c : cases) {
    AlongRig rig;
    Studio& app = *rig.app;
    rig.Add(rig.TrackAt(2), 0, EventType::NoteOn, 2450, 0);  // the song sounds from the start
    rig.TrackAt(1).level = 0.0f;
    const std::vector<uint8_t> before = RenderedBytes(app, dir + "/before.wav");
    app.editor.editMode = c.chosenTrack == 0 ? 1 : 0;
    app.song.currentTrack = 0;
    StartSongPlayback(app);
    for (uint32_t block = 0; block < 12; ++block) {
      rig.PlayInto(block);
      if (block == 2) app.song.currentTrack = c.chosenTrack;
      FollowCurrentTrack(app);
      if (c.along && block == 4) PlayAlongNote(app, 1450, key::Z);
      if (c.along && block == 6) SendToPlayAlong(app, PlayedKind::Silence);
      if (c.along && block == 7) ReleasePlayAlongNote(app, key::Z);
    }
    StopPlayback(app);
    std::vector<size_t> differing;
    for (size_t i = 0; i < 12; ++i) {
      if (!c.along) alone.push_back(rig.device.Write(i).samples);
      else if (rig.device.Write(i).samples != alone[i]) differing.push_back(i);
    }
    EXPECT_EQ(differing, c.differing) << c.name;
    EXPECT_EQ(rig.TrackAt(0).eventCount + rig.TrackAt(1).eventCount, 2) << c.name << ": only Tempo and End";
    EXPECT_EQ(RenderedBytes(app, dir + "/after.wav"), before) << c.name;
  }
}

// Loop the Block: the clock goes from the Block's last tick back to its first, and the events there act again;
// a render, or Loop without a Block, plays straight on.
TEST(PlayAlong, LoopRepeatsTheBlocksTicksOnlyWhilePlaying) {
  // ticks: the ticks processed, in order; volume: the track's volume after them.
  struct Case { const char* name; PlaybackMode mode; int32_t first, last; std::vector<int32_t> ticks; float volume; };
  const std::vector<int32_t> looped{0, 1, 2, 3, 4, 5, 3, 4, 5, 3, 4, 5}, straight{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
  const Case cases[] = {
      {"playing", PlaybackMode::Song, 3, 5, looped, 0.5f},
      {"rendering", PlaybackMode::Render, 3, 5, straight, 0.1f},
      {"no Block", PlaybackMode::Song, 0, -1, straight, 0.1f},
  };
  for (const Case& c : cases) {
    PlayRig rig;
    Track& track = rig.AddTrack();
    rig.Add(track, 4, EventType::TrackVolume, 50);
    rig.Add(track, 9, EventType::TrackVolume, 10);
    rig.Start();
    rig.app->playback.loopFirst = c.first;
    rig.app->playback.loopLast = c.last;
    rig.app->playback.mode.store(c.mode);  // the clock as the worker of that mode runs it
    std::vector<int32_t> ticks;
    while (ticks.size() < 12) {
      const int32_t tick = rig.app->currentTick;
      if (SongClockStep(*rig.app) == ClockStep::Tick) ticks.push_back(tick);
    }
    rig.app->playback.mode.store(PlaybackMode::Idle);
    EXPECT_EQ(ticks, c.ticks) << c.name;
    EXPECT_FLOAT_EQ(track.volume, c.volume) << c.name;
  }
}

}  // namespace
}  // namespace tonforge::testing
