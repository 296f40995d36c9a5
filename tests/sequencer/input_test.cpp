// The computer keyboard and a MIDI keyboard as the idle step reads them: the notes they play and record, the
// commands the keys run, the voices several notes take, and the questions before a modified song is dropped.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <optional>

#include "programs/program_list.h"
#include "sequencer/editing.h"
#include "sequencer/keyboard_commands.h"
#include "sequencer/midi_commands.h"
#include "sequencer/song_file.h"
#include "sequencer/text_entry.h"
#include "sequencer/track_commands.h"
#include "support/fake_devices.h"
#include "support/file_rig.h"
#include "support/song_rig.h"

namespace tonforge::testing {
namespace {

using V = std::vector<testing::EventRow>;
using Keys = std::vector<uint8_t>;
using Bytes = std::vector<uint8_t>;
using Pitches = std::vector<int32_t>;

constexpr float kLevel = 0.75f;  // a new program's
// Key pitches at the first octave, and MIDI notes 60 and 64.
constexpr int32_t kZ = 50, kC = 450, kB = 750, kM = 1150, kNote60 = 2450, kNote64 = 2850;

// A song with the editor on a track, and the keyboards the idle step reads.
struct InputRig : testing::SongRig {
  explicit InputRig(int programs = 1, int32_t tracks = 3, int32_t current = 1) : SongRigOf(programs, tracks) {
    StartCore(app, "/opt/tonforge");
    SelectTrack(app, current);
  }
  // One pass of the idle step with exactly these keys down; a tap is a press and a release.
  void Poll(const Keys& down) { keyboard.Hold(down), PollKeyboard(app, handler); }
  void Tap(const Keys& down) { Poll(down), Poll({}); }
  void Send(const Bytes& bytes) { midi.Send(bytes), PollMidi(app, midiHandler); }
  Pitches Sounding() const {
    Pitches p;
    for (const LiveVoice& v : app.live.voices)
      if (v.liveFlag != 0) p.push_back(v.livePitch);
    std::sort(p.begin(), p.end());
    return p;
  }
  int Fading() const {
    return static_cast<int>(std::count_if(app.live.voices.begin(), app.live.voices.end(),
                                          [](const LiveVoice& v) { return v.liveFlag == 0 && v.fadeLeft != 0; }));
  }

  testing::FakeKeyboard keyboard;
  testing::FakeShell shell;
  int quits = 0;
  KeyboardHandler handler{keyboard, shell, {{}, {}, [this] { ++quits; }, {}, {}}};
  testing::FakeMidiInput midi;
  MidiHandler midiHandler{midi};
};

// Three programs, program 0 chosen, recording into track 1.
struct MidiRig : InputRig {
  MidiRig() : InputRig(3) {
    SelectProgram(app, 0);
    ToggleEditMode(app);
    app.editor.trackListShown = 1;
  }
};

TEST(Keyboard, HoldingANoteKeyPlaysAndRecordsOnce) {
  InputRig rig;
  ToggleEditMode(rig.app);
  rig.Poll({key::Z});
  EXPECT_TRUE(rig.app.live.voices[0].liveFlag == 1 && rig.app.live.voices[0].livePitch == 50);
  rig.app.live.voices[0].liveFlag = 0;
  for (int i = 0; i < 50; ++i) rig.Poll({key::Z});
  rig.keyboard.failReads = 3;
  for (int i = 0; i < 3; ++i) rig.Poll({});  // the device fails: the keys look as they were
  rig.Poll({key::Z});                         // still held at the next good read: no press
  EXPECT_EQ(rig.app.live.voices[0].liveFlag, 0u);
  EXPECT_EQ(std::pair(rig.Events(1), rig.app.editCursor), std::pair(V{{0, kNote, 50, 0}}, 1));
  rig.Poll({});
  rig.Poll({key::Z});  // a new press is a new note
  EXPECT_EQ(rig.Events(1), (V{{0, kNote, 50, 0}, {1, kNote, 50, 0}}));

  // A pitch beyond the table does not sound but is recorded as typed; without programs the keys do nothing.
  for (const auto& [programs, octave, recorded] : {std::tuple{1, 3, V{{0, kNote, 6450, 0}}}, {0, 0, V{}}}) {
    InputRig other(programs);
    ToggleEditMode(other.app);
    SetOctave(other.app, octave);
    other.Poll({programs ? key::P : key::Q});
    EXPECT_EQ(other.app.live.voices[0].liveFlag, 0u) << programs;
    EXPECT_EQ(std::pair(other.Events(1), other.app.editCursor), std::pair(recorded, programs)) << programs;
  }
  // The note rows share their ends: COMMA and Q are both 1250, SLASH and E both 1650.
  for (const auto& [code, pitch] : {std::pair{key::Comma, 1250}, {key::Q, 1250}, {key::Slash, 1650}, {key::E, 1650},
                                    {key::Digit0, 2750}, {key::A, -1}})
    EXPECT_EQ(NoteKeyPitch(code), pitch) << int(code);
}

TEST(Keyboard, TextEntryTakesEveryKeyWhileItRunsThenEscapeAsksBeforeQuitting) {
  InputRig rig;
  StartTextEntry(rig.app, TextField::TrackName, 1, kTrackNameMaximum);
  for (Keys keys : {Keys{key::Z}, {key::LeftShift, key::A}, {key::RightShift, key::Digit2}, {key::Minus},
                    {key::LeftShift, key::Slash}})
    rig.Tap(keys);
  EXPECT_EQ(TypedText(rig.app.textEntry), "zA\"-?");
  EXPECT_EQ(rig.app.live.voices[0].liveFlag, 0u);
  rig.Tap({key::Escape});
  EXPECT_STREQ(rig.TrackNo(1).name.data(), "zA\"-?");
  // Escape ended the entry and asked nothing.
  EXPECT_TRUE(!IsTextEntryActive(rig.app) && rig.dialogs.shown.empty() && rig.quits == 0);
  rig.Tap({key::Z});  // the keys play again
  EXPECT_EQ(rig.app.live.voices[0].liveFlag, 1u);
  // The plain question of a song without changes, answered No; Yes is the unsaved-changes test's.
  rig.app.changes.MarkSongSaved();
  rig.Tap({key::Escape});
  EXPECT_EQ(rig.quits, 0);
  EXPECT_EQ(rig.Messages(), std::vector<std::string>{"Are You Sure?"});
  EXPECT_EQ(rig.dialogs.shown.at(0).caption, "Quit Program");
}

TEST(Keyboard, CursorKeysMoveByStepBeatBarAndTrack) {
  struct Case { int32_t track, from; uint8_t code; bool snap; int32_t trackAfter, to; };
  // The cursor's clamps at the song's ends are the editing test's; SelectTrack itself ignores a track past the list.
  for (const Case& c : {Case{1, 400, key::Home, false, 1, 384}, {1, 384, key::Home, false, 1, 0},
                        {1, 400, key::End, false, 1, 768}, {1, 384, key::End, false, 1, 768},
                        {1, 400, key::Prior, false, 1, 352}, {1, 400, key::Next, false, 1, 448},
                        {1, 400, key::Right, false, 1, 401}, {1, 400, key::Left, true, 1, 388},
                        {1, 0, key::Up, false, 0, 0}, {1, 0, key::Down, false, 2, 0}}) {
    InputRig rig(1, 3, c.track);
    if (c.snap) ToggleSnap(rig.app);
    SetCursorFromSlider(rig.app, c.from);
    rig.Tap({c.code});
    EXPECT_EQ(std::pair(rig.app.song.currentTrack, rig.app.editCursor), std::pair(c.trackAfter, c.to))
        << c.track << ":" << c.from << " key " << int(c.code);
  }
}

// How Shift moves the Block's ends is the editing test's; here the keys that do it and the copy and paste keys.
TEST(Keyboard, ShiftMarksTheBlockAndControlCopiesAndPastesIt) {
  InputRig rig(1, 4, 2);
  rig.Add(2, {{90, 0, 1, 0}, {96, kNote, 1050, 0}, {100, 0, 2, 0}, {120, kNote, 1150, 0}, {121, 0, 3, 0}});
  ToggleSnap(rig.app);
  SetSnapDivision(rig.app, 2);
  SetCursorFromSlider(rig.app, 96);
  const Block& b = rig.app.editor.block;
  for (const Keys& keys : {Keys{key::LeftShift}, {key::LeftShift, key::Right}, {key::RightShift}, {key::RightShift, key::Down},
                           {key::RightShift}, {key::RightShift, key::Up}})
    rig.Poll(keys);
  EXPECT_EQ(rig.app.editor.shiftHeld, 1u);
  EXPECT_TRUE(b.active == 1 && b.startTick == 96 && b.endTick == 120 && b.firstTrack == 2 && b.lastTrack == 2);
  rig.Poll({});
  rig.Tap({key::RightControl, key::C});
  EXPECT_TRUE(b.active == 0 && rig.app.editor.shiftHeld == 0);  // the copy drops the Block
  SetCursorFromSlider(rig.app, 480);
  rig.Tap({key::LeftControl, key::V});
  const V all = rig.Events(2);
  EXPECT_EQ(V(all.begin() + 5, all.end()), (V{{480, kNote, 1050, 0}, {484, 0, 2, 0}, {504, kNote, 1150, 0}}));
  EXPECT_EQ(rig.app.editCursor, 504);
}

TEST(Keyboard, CommandTablesRunTheirCommands) {
  const V two{{0, 0, 7, 0}, {50, 0, 8, 0}};
  using Done = std::function<bool(InputRig&)>;
  const auto track1 = [](V expected) { return Done([expected](InputRig& r) { return r.Events(1) == expected; }); };
  struct Case { const char* name; Keys keys; V events; uint32_t live; Done done; };  // events: track 1 before
  const Case cases[] = {
      {"help", {key::F1}, {}, 0,
       [](InputRig& r) { return r.shell.opened == std::vector<std::string>{"/opt/tonforge/Help/Help.html"}; }},
      {"record switch", {key::Insert}, {}, 0, [](InputRig& r) { return r.app.editor.editMode == 1; }},
      {"snap", {key::Numpad0}, {}, 0, [](InputRig& r) { return r.app.editor.snap == 1; }},
      {"snap 5", {key::Numpad5}, {}, 0,
       [](InputRig& r) { return r.app.editor.snapDivision == 5 && r.app.editor.snapStep == 9; }},
      {"snap 7", {key::Numpad7}, {}, 0, [](InputRig& r) { return r.app.editor.snapDivision == 7; }},
      {"octave", {key::F7}, {}, 0, [](InputRig& r) { return r.app.editor.octave == 2; }},
      {"next program", {key::Equals}, {}, 0, [](InputRig& r) { return r.app.song.currentProgram == 1; }},
      {"none before the first", {key::Minus}, {}, 0, [](InputRig& r) { return r.app.song.currentProgram == 0; }},
      {"volume", {key::F9}, {}, 0, track1({{0, Type(EventType::ProgramVolume), 100, 0}})},
      {"space", {key::Space}, {}, 1, [](InputRig& r) { return r.app.live.voices[0].liveFlag == 0; }},
      {"note-off", {key::Add, key::Insert}, {}, 1,
       [](InputRig& r) { return r.app.live.voices[0].liveFlag == 0 && r.Events(1) == V{{0, Type(EventType::NoteOff), 0, 0}}; }},
      {"phrase", {key::NumpadEnter, key::Insert}, {}, 0, track1({{0, Type(EventType::Phrase), 1, 0}})},
      {"a phrase repeats the source of the last one up to the cursor", {key::NumpadEnter, key::Insert},
       {{0, kPhrase, 3, 0}, {50, kPhrase, 2, 0}}, 0,
       track1({{0, kPhrase, 3, 0}, {0, kPhrase, 3, 0}, {50, kPhrase, 2, 0}})},
      {"record switch before the note", {key::Insert, key::X}, {}, 0,
       [](InputRig& r) { return r.Events(1) == V{{0, kNote, 250, 0}} && r.app.editCursor == 1; }},
      {"delete", {key::Delete}, two, 0, track1({{50, 0, 8, 0}})},
      {"cut with the last Block", {key::LeftControl, key::X}, two, 0, track1({})},
      {"delete bar", {key::LeftControl, key::Delete}, two, 0, track1({})},
      {"insert bar", {key::RightControl, key::Insert}, two, 0, track1({{384, 0, 7, 0}, {434, 0, 8, 0}})},
      {"close gap", {key::LeftShift, key::Delete}, two, 0, track1({{49, 0, 8, 0}})},
      {"open gap", {key::RightShift, key::Insert}, two, 0, track1({{1, 0, 7, 0}, {51, 0, 8, 0}})},
      {"control hides the plain keys", {key::LeftControl, key::Space, key::Z}, {}, 1,
       [](InputRig& r) { return r.app.live.voices[0].liveFlag == 1 && r.app.editor.editMode == 0; }},
  };
  for (const Case& c : cases) {
    InputRig rig(2);
    rig.Add(1, c.events);
    rig.app.editor.block = {0, 0, 1, 60, 1};  // dropped, but Cut still uses its rectangle
    rig.app.live.voices[0].liveFlag = c.live;
    rig.Tap(c.keys);
    EXPECT_TRUE(c.done(rig)) << c.name;
  }
  // On the GlobalTrack the volume and tempo keys insert song events. Recording with snap on, the note-off key
  // puts an End there and notes and phrases put nothing, the cursor stepping on for each.
  InputRig global(1, 2, 0);
  ToggleSnap(global.app);
  for (const Keys& keys : {Keys{key::F9}, {key::F12}, {key::Insert}, {key::Z}, {key::Add}, {key::NumpadEnter}})
    global.Tap(keys);
  EXPECT_EQ(global.Events(0),
            (V{{0, kTempo, 120, 0}, {0, kSongVolume, 100, 0}, {0, kTempo, 120, 0}, {12, kEnd, 0, 0}}));
  EXPECT_EQ(global.app.editCursor, 36);
}

// Quit (Escape), Load Song and New Song (Delete on the GlobalTrack) before a song is dropped: a modified song
// asks "Save Changes To <name>?"; Yes saves first and goes on only when the save succeeded, Cancel keeps all.
TEST(UnsavedChanges, QuitLoadAndNewAskBeforeDroppingAModifiedSong) {
  enum Action { Quit, Load, New };
  enum Save { Works, Fails };
  // Each command meets the same answers.
  struct Case { bool modified; Answer answer; Save save; bool goesOn; bool saved; };
  const Case cases[] = {
      {false, Answer::Yes, Works, true, false}, {true, Answer::Yes, Works, true, true},
      {true, Answer::No, Works, true, false},   {true, Answer::Cancel, Works, false, false},
      {true, Answer::Yes, Fails, false, false},
  };
  testing::TempDir dir;
  const std::string other = dir.File("other.tes");
  {
    InputRig source;
    ASSERT_EQ(SaveSongFile(source.app, other), SongFileResult::Done);
  }
  for (const Action action : {Quit, Load, New}) {
    for (const Case& c : cases) {
      const std::string name = "command " + std::to_string(action) + ", case " + std::to_string(&c - cases);
      InputRig rig;
      const std::string mine = dir.File("mine.tes");
      std::filesystem::remove(mine);
      rig.app.songFile = c.save == Works ? mine : dir.File("no such folder/mine.tes");
      SelectTrack(rig.app, 0);  // where Delete means New Song
      rig.app.changes.MarkSongSaved();
      if (c.modified) InsertEvent(rig.app, rig.TrackNo(1), {5, kNote, 50, 0});
      const int32_t events = rig.TrackNo(1).events.Count();
      rig.dialogs.threeWayAnswers = {c.answer};
      rig.dialogs.answers = {true};      // the plain confirmation of an unmodified song
      rig.dialogs.paths = {other};       // the file Load Song picks
      bool wentOn = false;
      if (action == Quit) rig.Tap({key::Escape}), wentOn = rig.quits == 1;
      if (action == Load) wentOn = LoadSong(rig.app);
      if (action == New) wentOn = DeleteTrackOrSong(rig.app) == DeleteResult::SongDeleted;
      EXPECT_EQ(std::pair(wentOn, std::filesystem::exists(mine)), std::pair(c.goesOn, c.saved)) << name;
      EXPECT_EQ(std::ranges::count(rig.Messages(), "Save Changes To Song?"), c.modified ? 1 : 0) << name;
      // Whatever stopped the command left the song as it was, still modified.
      if (!c.goesOn) {
        EXPECT_TRUE(rig.app.changes.SongModified() && rig.TrackNo(1).events.Count() == events) << name;
      } else if (action != Quit) {
        EXPECT_FALSE(rig.app.changes.SongModified()) << name;
      }
    }
  }
}

// Ctrl+S saves to the song's own file without a question; Ctrl+Shift+S always asks for a new name.
TEST(UnsavedChanges, ControlSSavesToTheSongsFileAndWithShiftUnderANewName) {
  testing::TempDir dir;
  InputRig rig;
  StartCore(rig.app, dir.Root());
  const struct { const char* name; Keys keys; std::string songFile; std::optional<std::string> picked; std::string written; } rows[] = {
      {"a new song asks for its name", {key::LeftControl, key::S}, "", dir.File("first.tes"), dir.File("first.tes")},
      {"then saves to it", {key::LeftControl, key::S}, dir.File("first.tes"), std::nullopt, dir.File("first.tes")},
      {"under a new name", {key::LeftControl, key::LeftShift, key::S}, dir.File("first.tes"), dir.File("second.tes"), dir.File("second.tes")},
  };
  for (const auto& r : rows) {
    std::filesystem::remove(r.written);
    InsertEvent(rig.app, rig.TrackNo(1), {5, kNote, 50, 0});
    rig.dialogs.requests.clear();
    rig.dialogs.paths = {r.picked};
    EXPECT_EQ(rig.app.songFile, r.songFile) << r.name;
    rig.Tap(r.keys);
    EXPECT_EQ(rig.dialogs.requests.size(), r.picked ? 1u : 0u) << r.name;
    EXPECT_TRUE(std::filesystem::exists(r.written) && !rig.app.changes.SongModified()) << r.name;
  }
}

// One pass per row, in order: the state after it, and the NoteOns recorded on track 1 so far.
TEST(Midi, MessagesPlayRecordBendAndChooseThePrograms) {
  // pitch: of the LiveVoice, and velocity: the level's scale, both when it sounds; recorded: the NoteOns it adds.
  struct Row { const char* what; Bytes bytes; uint32_t sounds; int32_t pitch; float velocity; int32_t program;
               V recorded; };
  const Row rows[] = {
      {"middle C at full velocity", {0x90, 60, 127}, 1, 2450, 1.0f, 0, {{0, kNote, 2450, 0}}},
      {"a second note on channel 3 takes over", {0x92, 72, 64}, 1, 3650, 64 / 127.0f, 0, {{1, kNote, 3650, 0}}},
      {"the first note's release changes nothing", {0x80, 60, 0}, 1, 3650, 64 / 127.0f, 0, {}},
      {"bend fully up", {0xE0, 0x7F, 0x7F}, 1, 3850, 64 / 127.0f, 0, {}},
      {"bend fully down", {0xE0, 0x00, 0x00}, 1, 3450, 64 / 127.0f, 0, {}},
      {"bend back to the centre", {0xE0, 0x00, 0x40}, 1, 3650, 64 / 127.0f, 0, {}},
      {"velocity 0 releases the sounding note", {0x90, 72, 0}, 0, 0, 0, 0, {}},
      {"program change to an existing program", {0xC5, 2}, 0, 0, 0, 2, {}},
      {"program change past the list", {0xC0, 3}, 0, 0, 0, 2, {}},
      {"a note past the table: recorded, not started", {0x90, 97, 100}, 0, 0, 0, 2, {{2, kNote, 6150, 2}}},
      {"controller, aftertouch, pressure, song position", {0xB0, 7, 100, 0xA0, 60, 9, 0xD0, 5, 0xF2, 1, 2}, 0, 0, 0,
       2, {}},
      {"System Exclusive, then its stray data", {0xF0, 0x7E, 0x3C, 0x7F, 0xF7, 0x3C, 0x7F}, 0, 0, 0, 2, {}},
      {"running status: two notes from one status", {0x90, 62, 100, 64, 50}, 1, 2850, 50 / 127.0f, 2,
       {{3, kNote, 2650, 2}, {4, kNote, 2850, 2}}},
      {"a clock byte inside a message", {0x90, 65, 0xF8, 127}, 1, 2950, 1.0f, 2, {{5, kNote, 2950, 2}}},
      {"the sounding note's release", {0x80, 65, 0}, 0, 0, 0, 2, {}},
      {"data after a system common message plays nothing", {0xF6, 60, 100}, 0, 0, 0, 2, {}},
  };
  MidiRig rig;
  V recorded;
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    rig.Send(r.bytes);
    recorded.insert(recorded.end(), r.recorded.begin(), r.recorded.end());
    EXPECT_EQ(rig.app.live.voices[0].liveFlag, r.sounds);
    if (r.sounds != 0) {
      EXPECT_EQ(rig.app.live.voices[0].livePitch, r.pitch);
      EXPECT_FLOAT_EQ(rig.app.live.voices[0].voice.level, kLevel * r.velocity);
    }
    EXPECT_EQ(std::tuple(rig.app.song.currentProgram, rig.Events(1), rig.app.editCursor),
              std::tuple(r.program, recorded, static_cast<int32_t>(recorded.size())));
  }
  EXPECT_FLOAT_EQ(rig.app.song.programs[2]->level, kLevel) << "velocity scales the LiveVoice, not the program";
}

// Where the note keys do nothing, neither does MIDI; a bend held before a note moves that note.
TEST(Midi, WhereNotesGoNowhere) {
  struct Case { const char* what; std::function<void(MidiRig&)> before; uint32_t sounds; size_t recorded; };
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
    EXPECT_EQ(std::pair(rig.Events(1).size(), rig.app.editCursor), std::pair(c.recorded, int32_t(c.recorded)))
        << "the cursor steps only for what is recorded";
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

// Each script runs pass by pass (the keys down, then the MIDI bytes); after each pass the pitches still held
// and the count of fading voices.
TEST(LiveVoices, NotesTakeReleaseStealAndSustainVoices) {
  struct Step { Keys down; Bytes midi; Pitches sounding; int fading; };
  struct Script { const char* name; int32_t voices; bool keysHold; std::vector<Step> steps; };
  const Script scripts[] = {
      {"a chord on three voices; a fourth note takes the oldest", 3, false,
       {{{key::Z}, {}, {kZ}, 0}, {{key::Z, key::C}, {}, {kZ, kC}, 0}, {{key::Z, key::C, key::B}, {}, {kZ, kC, kB}, 0},
        {{key::Z, key::C, key::B, key::M}, {}, {kC, kB, kM}, 0},
        {{key::C, key::B, key::M}, {}, {kC, kB, kM}, 0},  // Z's voice now belongs to M
        {{key::B, key::M}, {}, {kB, kM}, 1}, {{}, {}, {}, 3}}},
      {"a released key's fading voice is taken only when none is free", 2, false,
       {{{key::Z}, {}, {kZ}, 0}, {{}, {}, {}, 1}, {{key::C}, {}, {kC}, 1}, {{key::C, key::B}, {}, {kC, kB}, 0}}},
      {"the sustain pedal holds released notes (a key's release is the same call) until it is lifted", 4, false,
       {{{}, {0x90, 60, 100}, {kNote60}, 0}, {{}, {0xB0, 64, 100}, {kNote60}, 0}, {{}, {0x80, 60, 0}, {kNote60}, 0},
        {{}, {0x90, 64, 100}, {kNote60, kNote64}, 0}, {{}, {0xB0, 64, 10}, {kNote64}, 1},
        {{}, {0x90, 67, 0}, {kNote64}, 1},  // a release of a note not played changes nothing
        {{}, {0x90, 64, 0}, {}, 2}}},
      {"all-notes-off, all-sound-off and Space silence every voice at once", 4, false,
       {{{key::Z, key::C}, {0x90, 60, 100}, {kZ, kC, kNote60}, 0}, {{key::Z, key::C}, {0xB0, 123, 0}, {}, 0},
        {{}, {0x90, 60, 100, 0x90, 64, 90}, {kNote60, kNote64}, 0}, {{}, {0xB3, 120, 0}, {}, 0},
        {{key::B}, {0x90, 60, 100}, {kB, kNote60}, 0}, {{key::B, key::Space}, {}, {}, 0}}},
      {"one voice held by the keys, as the plain instrument plays", 1, true,
       {{{key::Z}, {}, {kZ}, 0}, {{key::Z, key::C}, {}, {kC}, 0}, {{}, {}, {kC}, 0},
        {{}, {0x90, 60, 100}, {kNote60}, 0}, {{}, {0x80, 60, 0}, {}, 1}}},
  };
  for (const Script& s : scripts) {
    InputRig rig;
    EXPECT_TRUE(SetLiveVoiceCount(rig.app, s.voices));
    rig.app.live.keysHold = s.keysHold ? 1 : 0;
    for (size_t n = 0; n < s.steps.size(); ++n) {
      rig.Poll(s.steps[n].down), rig.Send(s.steps[n].midi);
      EXPECT_EQ(std::pair(rig.Sounding(), rig.Fading()), std::pair(s.steps[n].sounding, s.steps[n].fading))
          << s.name << ", pass " << n;
    }
  }
  // The count the command line can ask for is held to 1..64.
  InputRig rig;
  for (const auto& [asked, got] : {std::pair{0, 1}, {5, 5}, {64, 64}, {65, 64}}) {
    EXPECT_TRUE(SetLiveVoiceCount(rig.app, asked));
    EXPECT_EQ(rig.app.live.voices.size(), static_cast<size_t>(got)) << asked;
  }
}

}  // namespace
}  // namespace tonforge::testing
