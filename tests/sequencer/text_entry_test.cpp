#include <gtest/gtest.h>

#include "sequencer/editing.h"
#include "sequencer/text_entry.h"
#include "sequencer/track_commands.h"
#include "support/song_rig.h"

namespace tonforge {
namespace {

using testing::SongRig;
using testing::Type;

void TypeText(AppState& app, std::string_view keys) {
  for (char c : keys) TypeTextEntryCharacter(app, c);
}

TEST(ReadTypedNumber, WeighsEveryCharacterAndReadsALeadingMinus) {
  const std::pair<std::string_view, int32_t> cases[] = {
      {"1-2", 102}, {"-5", -5}, {"120", 120}, {"-", 0}, {"", 0}, {"5a", 50}, {"a1", 1}, {"--3", -3},
      {"-0012", -12}, {"99999999999999999999", 2147483647}, {"-9000000000", -2147483647},
  };
  for (const auto& [text, value] : cases) EXPECT_EQ(ReadTypedNumber(text), value) << text;
}

// Track 1 of a 4-track song with 3 programs holds the one event typed into; Enter is "\r", Escape "\x1b".
TEST(TextEntry, NumericValueAIsReadAtTheEndAndClampedByType) {
  struct Case { EventType type; std::string_view keys; int32_t valueA; bool activeAfter; };
  const Case cases[] = {
      {EventType::TrackPitch, "1-2\r", 102, false},
      {EventType::ProgramPan, "-5\r", -5, false},
      {EventType::ProgramVolume, "150\r", 100, false},
      {EventType::ProgramPitch, "-1500\x1b", -1200, false},  // Escape ends and applies like Enter
      {EventType::TrackVolumeSlide, "45\b7\r", 47, false},
      {EventType::Phrase, "7\r", 3, false},
      {EventType::Phrase, "0\r", 1, false},
      {EventType::TrackPan, "12", 9, true},  // not applied while still typing
      {EventType::TrackPitch, "123456", 1200, false},  // the sixth character ends the entry
      {EventType::TrackPan, "\r", 9, false},  // an empty text changes nothing
      {EventType::Empty, "12\r", 9, false},
  };
  for (const Case& c : cases) {
    SongRig rig(3, 4);
    rig.Add(1, {{0, Type(c.type), 9, 0}});
    rig.app.song.currentTrack = 1;
    StartTextEntry(rig.app, TextField::ValueA, 0, kEventValueMaximum);
    TypeText(rig.app, c.keys);
    EXPECT_EQ(rig.Events(1)[0][2], c.valueA) << c.keys;
    EXPECT_EQ(IsTextEntryActive(rig.app), c.activeAfter) << c.keys;
  }
}

TEST(TextEntry, PianoCharactersSetANotesPitchAndEndTheEntry) {
  struct Case { std::string_view keys; int32_t octave, pitch; bool activeAfter; };
  const Case cases[] = {
      {"e", 2, 4050, false}, {"z", 0, 50, false}, {"/", 1, 2850, false}, {"q", 0, 1250, false},
      {"p", 3, 6450, false}, {"k", 0, 1050, true}, {"E", 2, 1050, true}, {"kkA", 0, 1050, true},
      {"kk2", 1, 2550, false}, {"123", 0, 1350, false},  // digits 2 and 3 are keys of the upper row
      {"ka-fk.", 0, 1450, false}, {"kaafkk", 0, 1050, false},  // the sixth character ends it unapplied
  };
  for (const Case& c : cases) {
    SongRig rig(1, 2);
    rig.Add(1, {{0, Type(EventType::NoteOn), 1050, 0}});
    rig.app.song.currentTrack = 1;
    SetOctave(rig.app, c.octave);
    StartTextEntry(rig.app, TextField::ValueA, 0, kEventValueMaximum);
    TypeText(rig.app, c.keys);
    EXPECT_EQ(rig.Events(1)[0][2], c.pitch) << c.keys;
    EXPECT_EQ(IsTextEntryActive(rig.app), c.activeAfter) << c.keys;
  }
}

TEST(TextEntry, ValueBKeepsNotesOnExistingProgramsAndParametersInRange) {
  // Program 1 has a low-pass filter at position 2 (Cutoff 1..100).
  const int32_t kNote = Type(EventType::NoteOn), kCutoff = Type(EventType::ProgramEngineParameter) + 2;
  struct Case { int32_t index; std::string_view keys; testing::EventRow after; };
  const Case cases[] = {
      {0, "2\r", {0, kNote, 1050, 2}},  {0, "7\r", {0, kNote, 1050, 2}},  {0, "-3\r", {0, kNote, 1050, 0}},
      {1, "500\r", {1, kCutoff, 0, 100}}, {1, "0\r", {1, kCutoff, 0, 1}}, {1, "64\r", {1, kCutoff, 0, 64}},
      {2, "9\r", {2, Type(EventType::TrackVolume), 50, 0}},  // no value B to type into
  };
  for (const Case& c : cases) {
    SongRig rig(3, 2);
    SelectProgram(rig.app, 1);
    rig.SetType(1, 2, testing::Id(EngineTypeId::LowPassFilter));
    rig.Add(1, {{0, kNote, 1050, 1}, {1, kCutoff, 0, 50}, {2, Type(EventType::TrackVolume), 50, 0}});
    rig.app.song.currentTrack = 1;
    StartTextEntry(rig.app, TextField::ValueB, c.index, kEventValueMaximum);
    TypeText(rig.app, c.keys);
    EXPECT_EQ(rig.Events(1)[c.index], c.after) << c.keys;
  }
}

TEST(TextEntry, NamesFollowEveryKeyAndEndAtTheirLength) {
  struct Case { TextField field; int32_t maximum; std::string_view keys, name; bool activeAfter; };
  const std::string_view alphabet = "abcdefghijklmnopqrstuvwxyz0123456789";
  const Case cases[] = {
      {TextField::TrackName, kTrackNameMaximum, alphabet, alphabet.substr(0, 23), false},
      {TextField::TrackName, kTrackNameMaximum, "Bass\b\bSs", "BaSs", true},
      {TextField::TrackName, kTrackNameMaximum, "\b\r", "", false},
      {TextField::ProgramName, kProgramNameMaximum, alphabet, alphabet.substr(0, 31), false},
      {TextField::ProgramName, kProgramNameMaximum, "\r", "", false},  // Enter at once leaves the name empty
      {TextField::DataSlotName, kDataSlotNameMaximum, alphabet, alphabet.substr(0, 15), false},
      {TextField::DataSlotName, kDataSlotNameMaximum, "Kick ~1\x7f\x1b", "Kick ~1", false},  // DEL is no character
  };
  for (const Case& c : cases) {
    SongRig rig(2, 3);
    SelectProgram(rig.app, 1);
    rig.app.chainEditor = {1, 0};  // the chain editor shows program 1, position 0
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
  rig.app.playback.mode = 1;
  StartTextEntry(rig.app, TextField::ValueA, 0, kEventValueMaximum);
  EXPECT_EQ(rig.app.playback.mode.load(), 0u);  // starting an entry stops the song
  rig.app.redraw.Take();
  TypeText(rig.app, "90\r");
  EXPECT_EQ(rig.Events(0)[0][2], 90);
  EXPECT_FLOAT_EQ(rig.app.song.tempo, 90.0f);
  EXPECT_FLOAT_EQ(rig.app.rate.samplesPerBeat, 29400.0f);
  EXPECT_FLOAT_EQ(rig.app.rate.samplesPerTick, 612.5f);
  EXPECT_TRUE(rig.app.redraw.IsPending(Panel::EventList));

  // A second Tempo event is only a value; starting another entry ends the running one, applying it.
  rig.Add(0, {{48, Type(EventType::Tempo), 120, 0}});
  StartTextEntry(rig.app, TextField::ValueA, 1, kEventValueMaximum);
  TypeText(rig.app, "2000");
  StartTextEntry(rig.app, TextField::ValueB, 1, kEventValueMaximum);
  EXPECT_EQ(rig.Events(0)[1][2], 1000);
  EXPECT_FLOAT_EQ(rig.app.rate.samplesPerTick, 612.5f);
}

}  // namespace
}  // namespace tonforge
