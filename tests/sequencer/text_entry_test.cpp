#include <gtest/gtest.h>

#include "sequencer/editing.h"
#include "sequencer/text_entry.h"
#include "sequencer/track_commands.h"
#include "support/song_rig.h"

namespace tonforge {
namespace {

using testing::SongRig;
using testing::Type;
using E = EventType;

void TypeText(Studio& app, std::string_view keys) {
  for (char c : keys) TypeTextEntryCharacter(app, c);
}
// Starts an entry for a value of event `index` of the current track and types the keys.
void Enter(Studio& app, TextField field, int32_t index, std::string_view keys) {
  StartTextEntry(app, field, index, kEventValueMaximum);
  TypeText(app, keys);
}

TEST(ReadTypedNumber, WeighsEveryCharacterAndReadsALeadingMinus) {
  const std::pair<std::string_view, int32_t> cases[] = {
      {"1-2", 102}, {"-5", -5}, {"120", 120}, {"-", 0}, {"", 0}, {"5a", 50}, {"a1", 1}, {"--3", -3},
      {"-0012", -12}, {"99999999999999999999", 2147483647}, {"-9000000000", -2147483647},
  };
  for (const auto& [text, value] : cases) EXPECT_EQ(ReadTypedNumber(text), value) << text;
}

// Track 1 of a 4-track song with 3 programs holds the event typed into (a note 1050 on program 1, anything
// else 9), then a Cutoff event for program 1's low-pass filter at position 2 (1..100) and a TrackVolume event.
// Enter is "\r", Escape "\x1b".
TEST(TextEntry, ValuesAreReadAtTheEndAndClampedByTypeNotesTakePianoCharacters) {
  const TextField A = TextField::ValueA, B = TextField::ValueB;
  const int32_t kCutoff = Type(E::ProgramEngineParameter) + 2;
  struct Case { E type; TextField field; int32_t index, octave; std::string_view keys; int32_t value; bool activeAfter = false; };
  const Case cases[] = {
      {E::TrackPitch, A, 0, 0, "1-2\r", 102},     {E::ProgramPan, A, 0, 0, "-5\r", -5},
      {E::ProgramVolume, A, 0, 0, "150\r", 100},  {E::ProgramPitch, A, 0, 0, "-1500\x1b", -1200},  // Escape applies
      {E::TrackVolumeSlide, A, 0, 0, "45\b7\r", 47}, {E::Phrase, A, 0, 0, "7\r", 3},
      {E::Phrase, A, 0, 0, "0\r", 1},             {E::TrackPan, A, 0, 0, "12", 9, true},  // not applied while typing
      {E::TrackPitch, A, 0, 0, "123456", 1200},   // the sixth character ends the entry
      {E::TrackPan, A, 0, 0, "\r", 9},            {E::Empty, A, 0, 0, "12\r", 9},  // empty text: no change
      {E::NoteOn, A, 0, 2, "e", 4050},  {E::NoteOn, A, 0, 0, "z", 50},  {E::NoteOn, A, 0, 1, "/", 2850},
      {E::NoteOn, A, 0, 0, "q", 1250},  {E::NoteOn, A, 0, 3, "p", 6450}, {E::NoteOn, A, 0, 0, "k", 1050, true},
      {E::NoteOn, A, 0, 2, "E", 1050, true},   {E::NoteOn, A, 0, 0, "kkA", 1050, true}, {E::NoteOn, A, 0, 1, "kk2", 2550},
      {E::NoteOn, A, 0, 0, "123", 1350},  // digits 2 and 3 are keys of the upper row
      {E::NoteOn, A, 0, 0, "ka-fk.", 1450}, {E::NoteOn, A, 0, 0, "kaafkk", 1050},  // the sixth ends it unapplied
      // Value B keeps notes on existing programs and parameters in range.
      {E::NoteOn, B, 0, 0, "2\r", 2},  {E::NoteOn, B, 0, 0, "7\r", 2},  {E::NoteOn, B, 0, 0, "-3\r", 0},
      {E::NoteOn, B, 1, 0, "500\r", 100}, {E::NoteOn, B, 1, 0, "0\r", 1}, {E::NoteOn, B, 1, 0, "64\r", 64},
      {E::NoteOn, B, 2, 0, "9\r", 0},  // no value B to type into
  };
  for (const Case& c : cases) {
    SongRig rig(3, 4);
    SelectProgram(rig.app, 1);
    rig.SetProgramType(2, testing::Id(EngineTypeId::LowPassFilter));
    rig.Add(1, {{0, Type(c.type), c.type == E::NoteOn ? 1050 : 9, c.type == E::NoteOn ? 1 : 0}, {1, kCutoff, 0, 50},
                {2, Type(E::TrackVolume), 50, 0}});
    rig.app.song.currentTrack = 1;
    SetOctave(rig.app, c.octave);
    testing::EventRow expected = rig.Events(1)[c.index];
    expected[c.field == A ? 2 : 3] = c.value;
    Enter(rig.app, c.field, c.index, c.keys);
    EXPECT_EQ(rig.Events(1)[c.index], expected) << c.keys;
    EXPECT_EQ(IsTextEntryActive(rig.app), c.activeAfter) << c.keys;
  }
}

TEST(TextEntry, NamesFollowEveryKeyAndEndAtTheirLength) {
  struct Case { TextField field; int32_t maximum; std::string_view keys, name; bool activeAfter; };
  const std::string_view abc = "abcdefghijklmnopqrstuvwxyz0123456789";
  const Case cases[] = {
      {TextField::TrackName, kTrackNameMaximum, abc, abc.substr(0, 23), false},
      {TextField::TrackName, kTrackNameMaximum, "Bass\b\bSs", "BaSs", true},
      {TextField::TrackName, kTrackNameMaximum, "\b\r", "", false},
      {TextField::ProgramName, kProgramNameMaximum, abc, abc.substr(0, 31), false},
      {TextField::ProgramName, kProgramNameMaximum, "\r", "", false},  // Enter at once leaves the name empty
      {TextField::DataSlotName, kDataSlotNameMaximum, abc, abc.substr(0, 15), false},
      {TextField::DataSlotName, kDataSlotNameMaximum, "Kick ~1\x7f\x1b", "Kick ~1", false},  // DEL is no character
  };
  for (const Case& c : cases) {
    SongRig rig(2, 3);
    SelectProgram(rig.app, 1);
    rig.app.chainEditor = {ChainMode::Program, 0};  // the chain editor shows program 1, position 0
    const char* names[] = {rig.app.song.programs[1]->name.data(), rig.TrackNo(2).name.data(),
                           rig.ProgramEngine(1, 0).slots[2].name.data()};
    const int32_t targets[] = {1, 2, 2};
    StartTextEntry(rig.app, c.field, targets[static_cast<int>(c.field)], c.maximum);
    TypeText(rig.app, c.keys);
    EXPECT_EQ(std::string_view(names[static_cast<int>(c.field)]), c.name) << c.keys;
    EXPECT_EQ(IsTextEntryActive(rig.app), c.activeAfter) << c.keys;
    EXPECT_EQ(std::string_view(rig.app.textEntry.text.data()), std::string(c.name) + (c.activeAfter ? "|" : ""));
  }
  SongRig rig(0, 2);
  rig.app.song.currentTrack = 1;
  RenameTrack(rig.app);
  TypeText(rig.app, "Lead");
  EXPECT_STREQ(rig.TrackNo(1).name.data(), "Lead");
}

TEST(TextEntry, ATypedTempoOnTheFirstGlobalEventActsAtOnce) {
  SongRig rig(0, 2);
  rig.app.song.currentTrack = 0;
  rig.app.playback.mode = PlaybackMode::Song;
  StartTextEntry(rig.app, TextField::ValueA, 0, kEventValueMaximum);
  EXPECT_TRUE(IsPlaybackIdle(rig.app));  // starting an entry stops the song
  rig.app.changes.Take();
  TypeText(rig.app, "90\r");
  EXPECT_EQ(rig.Events(0)[0][2], 90);
  EXPECT_FLOAT_EQ(rig.app.song.tempo, 90.0f);
  EXPECT_FLOAT_EQ(rig.app.rate.samplesPerBeat, 29400.0f);
  EXPECT_FLOAT_EQ(rig.app.rate.samplesPerTick, 612.5f);
  EXPECT_TRUE(rig.app.changes.Has(Change::Events));

  // A second Tempo event is only a value; starting another entry ends the running one, applying it.
  rig.Add(0, {{48, Type(E::Tempo), 120, 0}});
  Enter(rig.app, TextField::ValueA, 1, "2000");
  StartTextEntry(rig.app, TextField::ValueB, 1, kEventValueMaximum);
  EXPECT_EQ(rig.Events(0)[1][2], 1000);
  EXPECT_FLOAT_EQ(rig.app.rate.samplesPerTick, 612.5f);
}

}  // namespace
}  // namespace tonforge
