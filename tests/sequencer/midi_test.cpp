// A MIDI keyboard through a scripted stream of bytes: what each message does to the LiveVoice, the program
// and the recorded track, and what the stream's oddities (running status, System Exclusive, strays) do not.
#include <gtest/gtest.h>

#include <functional>

#include "sequencer/editing.h"
#include "sequencer/midi_commands.h"
#include "support/fake_midi_input.h"
#include "support/song_rig.h"

namespace tonforge {
namespace {

using testing::Type;
using V = std::vector<testing::EventRow>;
using Bytes = std::initializer_list<uint8_t>;

const int32_t kNote = Type(EventType::NoteOn);
constexpr float kLevel = 0.75f;  // a new program's

struct MidiRig : testing::SongRig {
  MidiRig() : SongRigOf(3, 3) {
    SelectTrack(app, 1);
    SelectProgram(app, 0);
    ToggleEditMode(app);
    app.editor.trackListShown = 1;
  }
  void Send(Bytes bytes) {
    midi.Send(bytes);
    PollMidi(app, handler);
  }
  testing::FakeMidiInput midi;
  MidiHandler handler{midi};
};

// One pass per row, in order: the state after it, and the NoteOns recorded on track 1 so far.
TEST(Midi, MessagesPlayRecordBendAndChooseThePrograms) {
  struct Row {
    const char* what;
    Bytes bytes;
    uint32_t sounds;
    int32_t pitch;      // of the LiveVoice, when it sounds
    float velocity;     // the level's scale, when it sounds
    int32_t program;
    V recorded;
  };
  const Row rows[] = {
      {"middle C at full velocity", {0x90, 60, 127}, 1, 2450, 1.0f, 0, {{0, kNote, 2450, 0}}},
      {"a second note on channel 3 takes over", {0x92, 72, 64}, 1, 3650, 64 / 127.0f, 0,
       {{0, kNote, 2450, 0}, {1, kNote, 3650, 0}}},
      {"the first note's release changes nothing", {0x80, 60, 0}, 1, 3650, 64 / 127.0f, 0, {}},
      {"bend fully up", {0xE0, 0x7F, 0x7F}, 1, 3850, 64 / 127.0f, 0, {}},
      {"bend fully down", {0xE0, 0x00, 0x00}, 1, 3450, 64 / 127.0f, 0, {}},
      {"bend back to the centre", {0xE0, 0x00, 0x40}, 1, 3650, 64 / 127.0f, 0, {}},
      {"velocity 0 releases the sounding note", {0x90, 72, 0}, 0, 0, 0, 0, {}},
      {"program change to an existing program", {0xC5, 2}, 0, 0, 0, 2, {}},
      {"program change past the list", {0xC0, 3}, 0, 0, 0, 2, {}},
      {"a note past the table: recorded, not started", {0x90, 97, 100}, 0, 0, 0, 2,
       {{0, kNote, 2450, 0}, {1, kNote, 3650, 0}, {2, kNote, 6150, 2}}},
      {"controller, aftertouch, pressure, song position", {0xB0, 7, 100, 0xA0, 60, 9, 0xD0, 5, 0xF2, 1, 2}, 0, 0, 0,
       2, {}},
      {"System Exclusive, then its stray data", {0xF0, 0x7E, 0x3C, 0x7F, 0xF7, 0x3C, 0x7F}, 0, 0, 0, 2, {}},
      {"running status: two notes from one status", {0x90, 62, 100, 64, 50}, 1, 2850, 50 / 127.0f, 2,
       {{0, kNote, 2450, 0}, {1, kNote, 3650, 0}, {2, kNote, 6150, 2}, {3, kNote, 2650, 2}, {4, kNote, 2850, 2}}},
      {"a clock byte inside a message", {0x90, 65, 0xF8, 127}, 1, 2950, 1.0f, 2,
       {{0, kNote, 2450, 0}, {1, kNote, 3650, 0}, {2, kNote, 6150, 2}, {3, kNote, 2650, 2}, {4, kNote, 2850, 2},
        {5, kNote, 2950, 2}}},
      {"the sounding note's release", {0x80, 65, 0}, 0, 0, 0, 2, {}},
      {"data after a system common message plays nothing", {0xF6, 60, 100}, 0, 0, 0, 2, {}},
  };
  MidiRig rig;
  V recorded;
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    rig.Send(r.bytes);
    if (!r.recorded.empty()) recorded = r.recorded;
    EXPECT_EQ(rig.app.live.voices[0].liveFlag, r.sounds);
    if (r.sounds != 0) {
      EXPECT_EQ(rig.app.live.voices[0].livePitch, r.pitch);
      EXPECT_FLOAT_EQ(rig.app.live.voices[0].voice.level, kLevel * r.velocity);
    }
    EXPECT_EQ(rig.app.song.currentProgram, r.program);
    EXPECT_EQ(rig.Events(1), recorded);
    EXPECT_EQ(rig.app.editCursor, static_cast<int32_t>(recorded.size()));
  }
  EXPECT_FLOAT_EQ(rig.app.song.programs[2]->level, kLevel) << "velocity scales the LiveVoice, not the program";
}

// Where the note keys do nothing, neither does MIDI; a bend held before a note moves that note.
TEST(Midi, WhereNotesGoNowhere) {
  struct Case {
    const char* what;
    std::function<void(MidiRig&)> before;
    uint32_t sounds;
    size_t recorded;
  };
  const Case cases[] = {
      {"a render running", [](MidiRig& r) { r.app.playback.mode = PlaybackMode::Render; }, 0, 0},
      {"EditMode off: plays, records nothing", [](MidiRig& r) { ToggleEditMode(r.app); }, 1, 0},
      {"the track list hidden", [](MidiRig& r) { r.app.editor.trackListShown = 0; }, 1, 0},
      {"no programs", [](MidiRig& r) { r.app.song.programs.clear(); }, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    MidiRig rig;
    c.before(rig);
    rig.Send({0x90, 60, 100, 0xC0, 1});
    EXPECT_EQ(rig.app.live.voices[0].liveFlag, c.sounds);
    EXPECT_EQ(rig.Events(1).size(), c.recorded);
    EXPECT_TRUE(rig.midi.waiting.empty()) << "the bytes are taken either way";
    rig.app.playback.mode = PlaybackMode::Idle;
    rig.Send({});  // nothing held back plays once the song has stopped
    EXPECT_EQ(rig.app.live.voices[0].liveFlag, c.sounds);
  }
  MidiRig rig;
  std::vector<uint8_t> many(1000, 0xF8);  // more than one take
  rig.midi.waiting = many;
  rig.Send({0xE0, 0x00, 0x60, 0x90, 60, 127});
  EXPECT_EQ(rig.app.live.voices[0].livePitch, 2450 + 100);
}

}  // namespace
}  // namespace tonforge
