#include <gtest/gtest.h>

#include <functional>

#include "sequencer/editing.h"
#include "sequencer/keyboard_commands.h"
#include "sequencer/text_entry.h"
#include "support/fake_keyboard.h"
#include "support/fake_shell.h"
#include "support/song_rig.h"

namespace tonforge {
namespace {

using testing::Type;
using V = std::vector<testing::EventRow>;

const int32_t kNote = Type(EventType::NoteOn);

struct KeyRig : testing::SongRig {
  explicit KeyRig(int programs = 1, int32_t tracks = 3, int32_t current = 1) : SongRig(programs, tracks) {
    StartCore(app, "/opt/tonforge");
    SelectTrack(app, current);
  }
  // One pass of the idle step with exactly these keys down.
  void Poll(std::initializer_list<uint8_t> down) {
    keyboard.Hold(down);
    PollKeyboard(app, handler);
  }
  // Press and release: two passes.
  void Tap(std::initializer_list<uint8_t> down) {
    Poll(down);
    Poll({});
  }

  testing::FakeKeyboard keyboard;
  testing::FakeShell shell;
  int saves = 0;
  std::vector<int32_t> rates;
  KeyboardHandler handler{keyboard, shell,
                          {[this](AppState&) { ++saves; }, [this](AppState&, int32_t r) { rates.push_back(r); }}};
};

TEST(Keyboard, HoldingANoteKeyPlaysAndRecordsOnce) {
  KeyRig rig;
  ToggleEditMode(rig.app);
  rig.Poll({key::Z});
  EXPECT_EQ(rig.app.live.liveFlag, 1u);
  EXPECT_EQ(rig.app.live.livePitch, 50);
  rig.app.live.liveFlag = 0;
  for (int i = 0; i < 50; ++i) rig.Poll({key::Z});
  EXPECT_EQ(rig.app.live.liveFlag, 0u);  // no second start while held
  EXPECT_EQ(rig.Events(1), (V{{0, kNote, 50, 0}}));
  EXPECT_EQ(rig.app.editCursor, 1);
  rig.Poll({});
  rig.Poll({key::Z});  // a new press is a new note
  EXPECT_EQ(rig.Events(1), (V{{0, kNote, 50, 0}, {1, kNote, 50, 0}}));

  // A pitch beyond the table does not sound but is recorded as typed.
  KeyRig high;
  ToggleEditMode(high.app);
  SetOctave(high.app, 3);
  high.Poll({key::P});
  EXPECT_EQ(high.app.live.liveFlag, 0u);
  EXPECT_EQ(high.Events(1), (V{{0, kNote, 6450, 0}}));

  // Without programs the note keys do nothing at all.
  KeyRig silent(0);
  ToggleEditMode(silent.app);
  silent.Poll({key::Q, key::Slash});
  EXPECT_EQ(silent.app.live.liveFlag, 0u);
  EXPECT_TRUE(silent.Events(1).empty());
  EXPECT_EQ(silent.app.editCursor, 0);

  // The note rows share their ends: COMMA and Q are both 1250, SLASH and E both 1650.
  const std::pair<uint8_t, int32_t> pitches[] = {{key::Comma, 1250}, {key::Q, 1250}, {key::Slash, 1650},
                                                 {key::E, 1650},     {key::Digit0, 2750}, {key::A, -1}};
  for (const auto& [code, pitch] : pitches) EXPECT_EQ(NoteKeyPitch(code), pitch) << int(code);
}

TEST(Keyboard, TextEntryTakesEveryKeyWhileItRuns) {
  KeyRig rig;
  StartTextEntry(rig.app, TextField::TrackName, 1, kTrackNameMaximum);
  rig.Tap({key::Z});
  rig.Tap({key::LeftShift, key::A});
  rig.Tap({key::RightShift, key::Digit2});
  rig.Tap({key::Minus});
  rig.Tap({key::LeftShift, key::Slash});
  EXPECT_EQ(TypedText(rig.app.textEntry), "zA\"-?");
  EXPECT_EQ(rig.app.live.liveFlag, 0u);
  rig.Tap({key::Escape});
  EXPECT_FALSE(IsTextEntryActive(rig.app));
  EXPECT_STREQ(rig.TrackNo(1).name.data(), "zA\"-?");
  EXPECT_TRUE(rig.dialogs.shown.empty());  // Escape ended the entry and asked nothing
  EXPECT_EQ(rig.app.quitRequested.load(), 0u);
  rig.Tap({key::Z});  // the keys play again
  EXPECT_EQ(rig.app.live.liveFlag, 1u);
}

TEST(Keyboard, CursorKeysMoveByStepBeatAndBar) {
  struct Case { int32_t from; uint8_t code; bool snap; int32_t to; };
  const Case cases[] = {
      {400, key::Home, false, 384}, {384, key::Home, false, 0}, {0, key::Home, false, 0},
      {400, key::End, false, 768},  {384, key::End, false, 768}, {400, key::Prior, false, 352},
      {400, key::Next, false, 448}, {400, key::Right, false, 401}, {400, key::Left, true, 388},
      {99999, key::End, false, 99999},
  };
  for (const Case& c : cases) {
    KeyRig rig;
    if (c.snap) ToggleSnap(rig.app);
    SetCursorFromSlider(rig.app, c.from);
    rig.Tap({c.code});
    EXPECT_EQ(rig.app.editCursor, c.to) << c.from << " key " << int(c.code);
  }
  struct TrackCase { int32_t from; uint8_t code; int32_t to; };
  for (const TrackCase& t : {TrackCase{1, key::Up, 0}, {0, key::Up, 0}, {1, key::Down, 2}, {2, key::Down, 2}}) {
    KeyRig rig(1, 3, t.from);
    rig.Tap({t.code});
    EXPECT_EQ(rig.app.song.currentTrack, t.to) << t.from << " key " << int(t.code);
  }
}

TEST(Keyboard, ShiftMarksTheBlockAndControlCopiesTheLastOne) {
  KeyRig rig(1, 4, 2);
  rig.Add(2, {{96, 0, 1, 0}, {110, 0, 2, 0}, {121, 0, 3, 0}});
  ToggleSnap(rig.app);
  SetSnapDivision(rig.app, 2);
  SetCursorFromSlider(rig.app, 96);
  rig.Poll({key::LeftShift});
  rig.Poll({key::LeftShift, key::Right});
  EXPECT_EQ(rig.app.editor.shiftHeld, 1u);
  const Block& b = rig.app.editor.block;
  EXPECT_TRUE(b.active == 1 && b.startTick == 96 && b.endTick == 120 && b.firstTrack == 2 && b.lastTrack == 2);
  rig.Poll({key::LeftShift, key::Down});
  EXPECT_EQ(b.lastTrack, 3);
  rig.Poll({});
  rig.Tap({key::Right});  // no Shift: the Block goes
  EXPECT_EQ(b.active, 0u);
  rig.Tap({key::RightControl, key::C});
  EXPECT_EQ(rig.app.editor.clipboard.kind, ClipboardKind::NormalTracks);
  EXPECT_EQ(rig.app.editor.clipboard.tracks.size(), 2u);
  EXPECT_EQ(rig.app.editor.clipboard.tracks[0].size(), 2u);
  EXPECT_EQ(rig.app.editor.shiftHeld, 0u);
}

TEST(Keyboard, CommandTablesRunTheirCommands) {
  const V two{{0, 0, 7, 0}, {50, 0, 8, 0}};
  struct Case {
    const char* name;
    std::initializer_list<uint8_t> keys;
    V events;           // track 1 before the keys
    uint32_t live;      // the live voice sounds before the keys
    std::function<bool(KeyRig&)> done;
  };
  const Case cases[] = {
      {"save", {key::ScrollLock}, {}, 0, [](KeyRig& r) { return r.saves == 1; }},
      {"rates in table order", {key::F2, key::F4, key::F3}, {}, 0,
       [](KeyRig& r) { return r.rates == std::vector<int32_t>{11025, 22050, 44100}; }},
      {"help", {key::F1}, {}, 0,
       [](KeyRig& r) { return r.shell.opened == std::vector<std::string>{"/opt/tonforge/Help/Help.html"}; }},
      {"record switch", {key::Insert}, {}, 0, [](KeyRig& r) { return r.app.editor.editMode == 1; }},
      {"snap", {key::Numpad0}, {}, 0, [](KeyRig& r) { return r.app.editor.snap == 1; }},
      {"snap 5", {key::Numpad5}, {}, 0,
       [](KeyRig& r) { return r.app.editor.snapDivision == 5 && r.app.editor.snapStep == 9; }},
      {"snap 7", {key::Numpad7}, {}, 0, [](KeyRig& r) { return r.app.editor.snapDivision == 7; }},
      {"octave", {key::F7}, {}, 0, [](KeyRig& r) { return r.app.editor.octave == 2; }},
      {"next program", {key::Equals}, {}, 0, [](KeyRig& r) { return r.app.song.currentProgram == 1; }},
      {"none before the first", {key::Minus}, {}, 0, [](KeyRig& r) { return r.app.song.currentProgram == 0; }},
      {"volume", {key::F9}, {}, 0,
       [](KeyRig& r) { return r.Events(1) == V{{0, Type(EventType::ProgramVolume), 100, 0}}; }},
      {"space", {key::Space}, {}, 1, [](KeyRig& r) { return r.app.live.liveFlag == 0; }},
      {"note-off", {key::Add, key::Insert}, {}, 1,
       [](KeyRig& r) { return r.app.live.liveFlag == 0 && r.Events(1) == V{{0, Type(EventType::NoteOff), 0, 0}}; }},
      {"phrase", {key::NumpadEnter, key::Insert}, {}, 0,
       [](KeyRig& r) { return r.Events(1) == V{{0, Type(EventType::Phrase), 1, 0}}; }},
      {"record switch before the note", {key::Insert, key::X}, {}, 0,
       [](KeyRig& r) { return r.Events(1) == V{{0, kNote, 250, 0}} && r.app.editCursor == 1; }},
      {"delete", {key::Delete}, two, 0, [](KeyRig& r) { return r.Events(1) == V{{50, 0, 8, 0}}; }},
      {"cut", {key::LeftControl, key::X}, two, 0, [](KeyRig& r) { return r.Events(1).empty(); }},
      {"delete bar", {key::LeftControl, key::Delete}, two, 0, [](KeyRig& r) { return r.Events(1).empty(); }},
      {"insert bar", {key::RightControl, key::Insert}, two, 0,
       [](KeyRig& r) { return r.Events(1) == V{{384, 0, 7, 0}, {434, 0, 8, 0}}; }},
      {"close gap", {key::LeftShift, key::Delete}, two, 0, [](KeyRig& r) { return r.Events(1) == V{{49, 0, 8, 0}}; }},
      {"open gap", {key::RightShift, key::Insert}, two, 0,
       [](KeyRig& r) { return r.Events(1) == V{{1, 0, 7, 0}, {51, 0, 8, 0}}; }},
      {"control hides the plain keys", {key::LeftControl, key::Space, key::Z}, {}, 1,
       [](KeyRig& r) { return r.app.live.liveFlag == 1 && r.app.editor.editMode == 0; }},
  };
  for (const Case& c : cases) {
    KeyRig rig(2);
    rig.Add(1, c.events);
    rig.app.editor.block = {0, 0, 1, 60, 1};  // the last marked rectangle, for Cut
    rig.app.live.liveFlag = c.live;
    rig.Tap(c.keys);
    EXPECT_TRUE(c.done(rig)) << c.name;
  }
  KeyRig global(1, 2, 0);
  global.Tap({key::F9});
  global.Tap({key::F12});
  const int32_t kTempo = Type(EventType::Tempo);
  EXPECT_EQ(global.Events(0), (V{{0, kTempo, 120, 0}, {0, Type(EventType::SongVolume), 100, 0}, {0, kTempo, 120, 0}}));
}

TEST(Keyboard, EscapeAsksBeforeQuitting) {
  for (bool yes : {false, true}) {
    KeyRig rig;
    rig.dialogs.answers = {yes};
    rig.app.playback.mode.store(static_cast<uint32_t>(PlaybackMode::Song));
    rig.Tap({key::Escape});
    ASSERT_EQ(rig.dialogs.shown.size(), 1u);
    EXPECT_EQ(rig.dialogs.shown[0].caption, "Quit Program");
    EXPECT_EQ(rig.dialogs.shown[0].text, "Are You Sure?");
    EXPECT_EQ(rig.app.quitRequested.load(), yes ? 1u : 0u);
    EXPECT_EQ(rig.app.playback.mode.load(), yes ? 0u : 1u);  // playback ends before the loop does
    rig.app.playback.mode.store(0);
  }
}

TEST(Keyboard, AFailedReadRepeatsNothing) {
  KeyRig rig;
  ToggleEditMode(rig.app);
  rig.Poll({key::Z});
  rig.keyboard.failReads = 3;
  for (int i = 0; i < 3; ++i) rig.Poll({});  // the device fails: the keys look as they were
  EXPECT_EQ(rig.Events(1).size(), 1u);
  rig.Poll({key::Z});  // still held at the next good read: no press
  EXPECT_EQ(rig.Events(1).size(), 1u);
}

}  // namespace
}  // namespace tonforge
