#include <gtest/gtest.h>

#include <functional>
#include <random>

#include "sequencer/editing.h"
#include "sequencer/text_entry.h"
#include "support/song_rig.h"

namespace tonforge {
namespace {

using testing::Type;
using Row = testing::EventRow;
using V = std::vector<Row>;
using Command = std::function<void(Studio&)>;

const int32_t kNote = Type(EventType::NoteOn), kTempo = Type(EventType::Tempo), kPhrase = Type(EventType::Phrase);
const int32_t kEnd = Type(EventType::End), kSongVolume = Type(EventType::SongVolume);
const Row kTempoRow{0, kTempo, 120, 0};

// A song of `tracks` tracks with the editor on a track.
struct EditRig : testing::SongRig {
  explicit EditRig(int programs = 1, int32_t tracks = 4, int32_t current = 1) : SongRigOf(programs, tracks) {
    app.song.currentTrack = current;
    app.editor.eventGroup = current == 0 ? EventGroup::Song : EventGroup::Program;
  }
  EditorState& ed() { return app.editor; }
  void At(int32_t tick) { SetCursorFromSlider(app, tick); }
  void Shift(bool held) { app.editor.shiftHeld = held ? 1u : 0u; }
  void Move(int32_t ticks) { ticks > 0 ? MoveCursorRight(app, ticks) : MoveCursorLeft(app, -ticks); }
  std::array<int32_t, 5> Rect() {
    const Block& b = app.editor.block;
    return {static_cast<int32_t>(b.active), b.startTick, b.firstTrack, b.endTick, b.lastTrack};
  }
};

TEST(EditorState, SnapStepFollowsDivisionAndANewSongResetsTheEditor) {
  struct Case { int32_t ticksPerBeat, division, step; };
  for (const Case& c : {Case{48, 5, 9}, {48, 8, 6}, {48, 4, 12}, {3, 8, 1}, {96, 1, 96}}) {
    EditRig rig;
    rig.app.song.ticksPerBeat = c.ticksPerBeat;
    for (int32_t division : {c.division, 9, 0}) SetSnapDivision(rig.app, division);  // 9 and 0 are ignored
    EXPECT_EQ(std::pair(rig.ed().snapStep, rig.ed().snapDivision), std::pair(c.step, c.division)) << c.division;
  }
  EditRig rig;
  EditorState& ed = rig.ed();
  rig.app.editCursor = 4000;
  ed = {3800, 1, 5, 9, 2, 1, EventGroup::Track, 1, Block{1, 10, 1, 20, 2}, {}, 0, 1};
  ed.clipboard.kind = ClipboardKind::NormalTracks;
  NewSong(rig.app);
  EXPECT_TRUE(rig.app.editCursor == 0 && ed.viewStart == 0 && ed.octave == 0 && ed.eventGroup == EventGroup::Song);
  EXPECT_TRUE(ed.slide == 0 && ed.editMode == 0 && ed.block.active == 0 && ed.snapStep == 12);
  EXPECT_EQ(ed.clipboard.kind, ClipboardKind::NormalTracks);  // the clipboard outlives the song
}

TEST(Cursor, ClampsToTheSongAndTheViewContainsIt) {
  struct Case { int32_t cursor, view, delta, cursorAfter, viewAfter; };
  for (const Case& c : {Case{99995, 99536, 12, 99999, 99536}, {5, 0, -12, 0, 0}, {460, 0, 10, 470, 7},
                        {500, 100, -450, 50, 50}, {0, 0, 463, 463, 0}, {0, 0, 464, 464, 1}}) {
    EditRig rig;
    rig.app.editCursor = c.cursor;
    rig.ed().viewStart = c.view;
    rig.Move(c.delta);
    EXPECT_EQ(std::pair(rig.app.editCursor, rig.ed().viewStart), std::pair(c.cursorAfter, c.viewAfter)) << c.cursor;
  }
  // The selection follows: the last event at or before the cursor, scrolled into the ten rows.
  EditRig rig;
  for (int32_t t = 0; t < 15; ++t) rig.Add(1, {{t * 10, 0, 0, 0}});
  for (const auto& [cursor, selected, scroll] : {std::array{125, 12, 3}, {25, 2, 2}, {9, 0, 0}, {99999, 14, 5}}) {
    rig.At(cursor);
    SelectionFollowsCursor(rig.app);
    EXPECT_EQ(std::pair(rig.TrackNo(1).selectedEvent, rig.TrackNo(1).eventListScroll), std::pair(selected, scroll));
  }
  GoToBar(rig.app, 3);
  EXPECT_TRUE(rig.app.editCursor == 3 * 384 && rig.ed().viewStart == 3 * 384);
  GoToBar(rig.app, 1000);
  EXPECT_EQ(rig.app.editCursor, kMaxTick);
}

TEST(Block, ShiftMovesMarkAndExtendItsEnds) {
  struct Case { std::vector<int32_t> moves; int32_t start, end; };
  for (const Case& c : {Case{{24}, 96, 120}, {{24, 24}, 96, 144}, {{-24}, 72, 96}, {{24, -24}, 96, 96},
                        {{24, -48}, 72, 96}, {{-24, 48}, 96, 120}}) {
    EditRig rig(1, 4, 2);
    rig.At(96);
    rig.Shift(true);
    for (int32_t m : c.moves) rig.Move(m);
    EXPECT_EQ(rig.Rect(), (std::array{1, c.start, 2, c.end, 2})) << c.moves.size();
  }
  struct Tracks { int32_t start; std::vector<int32_t> path; int32_t first, last, current; };
  for (const Tracks& t : {Tracks{2, {3, 4, 3}, 2, 3, 3}, {2, {1, 0}, 1, 2, 0}, {0, {1, 2}, 0, 0, 2},
                          {3, {2, 3}, 3, 3, 3}}) {
    EditRig rig(1, 5, t.start);
    rig.Shift(true);
    for (int32_t to : t.path) SelectTrack(rig.app, to);
    EXPECT_EQ(std::pair(rig.Rect()[2], rig.Rect()[4]), std::pair(t.first, t.last)) << t.start;
    EXPECT_EQ(rig.app.song.currentTrack, t.current);
  }
  EditRig rig(1, 5, 2);
  rig.Shift(true);
  rig.Move(10);
  rig.Shift(false);
  rig.Move(10);  // without Shift the Block goes, its rectangle stays
  EXPECT_EQ(rig.Rect(), (std::array{0, 0, 2, 10, 2}));
}

TEST(Block, PasteRefusesTheWrongKindOfTrackAndClampsPhrases) {
  for (const auto& [from, to, message] : {std::tuple{0, 1, "Cannot Copy Global Track Data To Normal Tracks"},
                                          {1, 0, "Cannot Copy Normal Track Data To The Global Track"}}) {
    EditRig rig(1, 3, from);
    rig.Add(from, {{10, 0, 5, 0}});
    rig.Shift(true);
    rig.Move(20);
    Copy(rig.app);
    rig.Shift(false);
    SelectTrack(rig.app, to);
    const V before = rig.Events(to);
    Paste(rig.app);
    EXPECT_EQ(rig.Messages(), std::vector<std::string>{message});
    EXPECT_TRUE(rig.Events(to) == before && rig.app.editCursor == 20) << message;
  }
  // A fresh song's Block is tick 0 of the GlobalTrack.
  EditRig fresh(0, 2, 0);
  ASSERT_TRUE(Copy(fresh.app));
  const EventClipboard& clip = fresh.ed().clipboard;
  EXPECT_TRUE(clip.kind == ClipboardKind::GlobalTrack && clip.length == 0 && clip.tracks.at(0).size() == 1u);

  // Three copied tracks onto the last two: the third is dropped. A phrase naming a track this song lacks
  // plays track 1.
  EditRig rig(0, 6, 1);
  for (int32_t t = 1; t <= 3; ++t) rig.Add(t, {{0, kPhrase, t == 1 ? 5 : 2, 0}});
  rig.ed().block = {0, 0, 1, 10, 3};
  Copy(rig.app);
  while (rig.app.song.tracks.Count() > 3) rig.app.song.tracks.Remove(3);
  rig.app.song.currentTrack = 1;
  rig.At(50);
  Paste(rig.app);
  EXPECT_EQ(rig.Events(1).back(), (Row{50, kPhrase, 1, 0}));
  EXPECT_EQ(rig.Events(2).back(), (Row{50, kPhrase, 2, 0}));
  EXPECT_EQ(rig.app.editCursor, 60);
}

TEST(Bars, MoveOnlyPlayingTracksAndLeaveTheTempoEventAtZero) {
  struct Case { bool insert; int32_t cursor; V global, after, globalAfter; };
  const V played{{0, 0, 1, 0}, {96, 0, 2, 0}, {200, 0, 3, 0}, {480, 0, 4, 0}, {99900, 0, 5, 0}};
  const Case cases[] = {
      {true, 96, {{96, kEnd, 0, 0}}, {{0, 0, 1, 0}, {480, 0, 2, 0}, {584, 0, 3, 0}, {864, 0, 4, 0}, {99999, 0, 5, 0}},
       {kTempoRow, {480, kEnd, 0, 0}}},
      {true, 0, {{0, kEnd, 0, 0}}, {{384, 0, 1, 0}, {480, 0, 2, 0}, {584, 0, 3, 0}, {864, 0, 4, 0}, {99999, 0, 5, 0}},
       {kTempoRow, {384, kEnd, 0, 0}}},
      {false, 96, {{100, kEnd, 0, 0}, {500, kEnd, 0, 0}}, {{0, 0, 1, 0}, {96, 0, 4, 0}, {99516, 0, 5, 0}},
       {kTempoRow, {116, kEnd, 0, 0}}},
      {false, 0, {{0, kEnd, 0, 0}}, {{96, 0, 4, 0}, {99516, 0, 5, 0}}, {kTempoRow}},
  };
  for (const Case& c : cases) {
    EditRig rig(0, 4);
    rig.Add(0, c.global);
    for (int32_t t = 1; t <= 3; ++t) rig.Add(t, played);
    rig.TrackNo(2).muteState = 1;
    rig.TrackNo(3).muteState = 2;
    rig.At(c.cursor);
    c.insert ? InsertBar(rig.app) : DeleteBar(rig.app);
    EXPECT_EQ(rig.Events(1), c.after) << c.insert << c.cursor;
    EXPECT_EQ(rig.Events(0), c.globalAfter) << c.insert << c.cursor;
    EXPECT_TRUE(rig.Events(2) == played && rig.Events(3) == played);
    EXPECT_EQ(rig.TrackNo(1).eventCount, static_cast<int32_t>(c.after.size()));
  }
}

TEST(Gaps, CloseAndOpenAroundTheCursorOrTheBlock) {
  struct Case { bool open; int32_t track, cursor; bool snap; Block block; V before, after; };
  const V t1{{90, 0, 1, 0}, {96, 0, 2, 0}, {120, 0, 3, 0}, {121, 0, 4, 0}, {200, 0, 5, 0}};
  const Block block{1, 96, 1, 120, 2};
  const Case cases[] = {
      // At tick 0 of the GlobalTrack the tempo event stays and everything else on the tick goes.
      {false, 0, 0, false, {}, {{0, kSongVolume, 50, 0}, {0, kEnd, 0, 0}, {30, kEnd, 0, 0}},
       {kTempoRow, {29, kEnd, 0, 0}}},
      // Events less than a step after the cursor land on it, in order.
      {false, 1, 10, true, {}, {{0, 0, 1, 0}, {10, 0, 2, 0}, {12, 0, 3, 0}, {15, 0, 4, 0}, {30, 0, 5, 0}},
       {{0, 0, 1, 0}, {10, 0, 3, 0}, {10, 0, 4, 0}, {18, 0, 5, 0}}},
      {false, 1, 0, false, block, t1, {{90, 0, 1, 0}, {97, 0, 4, 0}, {176, 0, 5, 0}}},
      {true, 1, 96, false, block, t1, {{90, 0, 1, 0}, {120, 0, 2, 0}, {144, 0, 3, 0}, {145, 0, 4, 0}, {224, 0, 5, 0}}},
      {true, 1, 100, true, {}, t1, {{90, 0, 1, 0}, {96, 0, 2, 0}, {132, 0, 3, 0}, {133, 0, 4, 0}, {212, 0, 5, 0}}},
      {true, 1, 0, false, {}, {{99999, 0, 1, 0}}, {{99999, 0, 1, 0}}},
      {true, 0, 0, false, {}, {{5, kEnd, 0, 0}}, {{1, kTempo, 120, 0}, {6, kEnd, 0, 0}}},  // the tempo event too
  };
  for (const Case& c : cases) {
    EditRig rig(0, 3, c.track);
    rig.Add(c.track, c.before);
    if (c.track != 0) rig.Add(2, c.before);
    if (c.snap) ToggleSnap(rig.app);
    rig.At(c.cursor);
    rig.ed().block = c.block;
    c.open ? OpenGap(rig.app) : CloseGap(rig.app);
    EXPECT_EQ(rig.Events(c.track), c.after) << c.track << " " << c.cursor;
    if (c.track != 0) {
      EXPECT_EQ(rig.Events(2), c.block.active ? c.after : c.before);
    }
  }
}

TEST(Gaps, EveryListStaysInTickOrderWhateverTheGapAndBarCommands) {
  std::mt19937 random(20240611);
  const auto pick = [&](int32_t lo, int32_t hi) { return std::uniform_int_distribution<int32_t>(lo, hi)(random); };
  const auto anyTick = [&](int32_t lo, int32_t hi) { return pick(0, 1) ? pick(lo, hi) : pick(99000, kMaxTick); };
  const Command commands[] = {CloseGap, OpenGap, DeleteBar, InsertBar};
  for (int round = 0; round < 40; ++round) {
    EditRig rig(0, 5, pick(0, 4));
    rig.app.song.beatsPerBar = pick(1, 8);
    rig.app.song.ticksPerBeat = pick(1, 96);
    SetSnapDivision(rig.app, pick(1, 8));
    for (int32_t t = 0; t < 5; ++t) {
      rig.TrackNo(t).muteState = static_cast<uint32_t>(pick(0, 2));
      for (int n = 0; n < 30; ++n) InsertEvent(rig.app, rig.TrackNo(t), {anyTick(0, 600), 0, n, 0});
    }
    for (int step = 0; step < 30; ++step) {
      rig.ed().snap = static_cast<uint32_t>(pick(0, 1));
      rig.app.editCursor = anyTick(0, 700);
      const int32_t first = pick(0, 4), start = pick(0, 700);
      const int32_t last = first == 0 ? 0 : pick(first, 4);
      rig.ed().block = {static_cast<uint32_t>(pick(0, 1)), start, first, start + pick(0, 300), last};
      commands[pick(0, 3)](rig.app);
      for (int32_t t = 0; t < 5; ++t) {
        const V events = rig.Events(t);
        // The tempo event heads the GlobalTrack wherever the shifts put it.
        for (std::size_t i = t == 0 ? 2 : 1; i < events.size(); ++i)
          ASSERT_LE(events[i - 1][0], events[i][0]) << "round " << round << " step " << step << " track " << t;
        ASSERT_EQ(rig.TrackNo(t).eventCount, static_cast<int32_t>(events.size()));
        ASSERT_TRUE(events.empty() || (events.front()[0] >= 0 && events.back()[0] <= kMaxTick));
      }
      ASSERT_EQ(rig.Events(0).front()[1], kTempo);
    }
  }
}

TEST(EventCommands, TransposeReplaceMoveAndDeleteTheSelection) {
  const V notes{{0, kNote, 6000, 0}, {10, kNote, 100, 0}, {20, kNote, 3000, 1}, {30, kNote, 6450, 0}};
  struct Case { Command command; int32_t selected; V after; };
  const Case cases[] = {
      {TransposeUp, 0, {{0, kNote, 6050, 0}, {10, kNote, 200, 0}, {20, kNote, 3000, 1}, {30, kNote, 6450, 0}}},
      {TransposeDown, 1, {{0, kNote, 5900, 0}, {10, kNote, 50, 0}, {20, kNote, 3000, 1}, {30, kNote, 6350, 0}}},
      {TransposeUp, 2, {{0, kNote, 6000, 0}, {10, kNote, 100, 0}, {20, kNote, 3100, 1}, {30, kNote, 6450, 0}}},
      {ReplaceProgram, 0, {{0, kNote, 6000, 1}, {10, kNote, 100, 1}, {20, kNote, 3000, 1}, {30, kNote, 6450, 1}}},
  };
  for (const Case& c : cases) {
    EditRig rig(2);
    SelectProgram(rig.app, 1);
    rig.Add(1, notes);
    rig.TrackNo(1).selectedEvent = c.selected;
    c.command(rig.app);
    EXPECT_EQ(rig.Events(1), c.after) << c.selected;
  }

  struct Move { int32_t track, selected; bool up; int32_t selectedAfter; std::vector<int32_t> valuesAfter; };
  const Move moves[] = {
      {1, 2, true, 1, {1, 3, 2}}, {1, 1, true, 1, {1, 2, 3}},  // ticks differ: refused
      {1, 1, false, 2, {1, 3, 2}}, {1, 2, false, 2, {1, 2, 3}},
      {0, 1, true, 1, {120, 2, 3}}, {0, 0, false, 0, {120, 2, 3}},  // the tempo event keeps its place
  };
  const int32_t kVolume = Type(EventType::TrackVolume);
  for (const Move& m : moves) {
    EditRig rig(1, 2, m.track);
    rig.Add(m.track, m.track == 0 ? V{{0, kSongVolume, 2, 0}, {0, kSongVolume, 3, 0}}
                                  : V{{0, kVolume, 1, 0}, {10, kVolume, 2, 0}, {10, kVolume, 3, 0}});
    rig.TrackNo(m.track).selectedEvent = m.selected;
    m.up ? MoveSelectedEventUp(rig.app) : MoveSelectedEventDown(rig.app);
    EXPECT_EQ(rig.Column(m.track, 2), m.valuesAfter) << m.track << m.selected << m.up;
    EXPECT_EQ(rig.TrackNo(m.track).selectedEvent, m.selectedAfter);
  }

  EditRig rig(1, 2, 0);
  rig.Add(0, {{0, kEnd, 0, 0}});
  DeleteSelectedEvent(rig.app);  // the tempo event is selected: refused
  EXPECT_EQ(rig.Events(0).size(), 2u);
  rig.TrackNo(0).selectedEvent = 1;
  DeleteSelectedEvent(rig.app);
  EXPECT_EQ(rig.Events(0), V{kTempoRow});
}

TEST(EventCommands, TypesCycleThroughThoseTheTrackAllows) {
  std::vector<int32_t> global{0}, normal;
  for (int32_t t = 24; t <= 36; ++t) global.push_back(t);
  for (int32_t t = 0; t <= 32; ++t) normal.push_back(t);
  global.insert(global.end(), {38, 0});
  normal.insert(normal.end(), {37, 0});
  // Without programs, or on a tick that holds a note already, NoteOn is passed over.
  const std::vector<int32_t> skipsNote{0, 1, 3, 4};
  struct Case { int programs; int32_t track; bool noteOnTick; std::vector<int32_t> sequence; };
  for (const Case& c :
       {Case{1, 0, false, global}, {1, 1, false, normal}, {0, 1, false, skipsNote}, {1, 1, true, skipsNote}}) {
    EditRig rig(c.programs, 2, c.track);
    rig.Add(c.track, {{5, 0, 0, 0}});
    if (c.noteOnTick) rig.Add(c.track, {{5, kNote, 50, 0}});
    const int32_t row = c.track == 0 ? 1 : 0;
    std::vector<int32_t> seen{rig.Events(c.track)[row][1]};
    for (std::size_t i = 1; i < c.sequence.size(); ++i) {
      CycleEventType(rig.app, row);
      const Row e = rig.Events(c.track)[row];
      seen.push_back(e[1]);
      EXPECT_EQ(e[2], DefaultValueA(e[1]));
    }
    EXPECT_EQ(seen, c.sequence) << c.track << " " << c.programs;
  }
  using E = EventType;
  for (const auto& [type, a] : {std::pair{E::NoteOn, 50}, {E::TrackVolume, 100}, {E::Tempo, 120}, {E::Phrase, 1},
                                {E::TrackEngineParameter, 7}, {E::TempoSlide, 0}})
    EXPECT_EQ(DefaultValueA(Type(type)), a);

  EditRig rig(1, 2, 0);
  CycleEventType(rig.app, 0);  // the tempo event keeps its type
  EXPECT_EQ(rig.Events(0)[0][1], kTempo);

  // An amplifier has parameters 0 and 1 only: the cycle passes through reset (7). Other values are typed.
  EditRig amp(1, 2, 1);
  amp.SetTrackType(0, testing::Id(EngineTypeId::Amplifier));
  amp.Add(1, {{7, Type(EventType::TrackEngineParameter), 0, 500}, {8, Type(EventType::TrackVolume), 100, 0}});
  for (int32_t expected : {1, 7, 0, 1}) {
    EditValueA(amp.app, 0);
    EXPECT_EQ(std::pair(amp.Events(1)[0][2], amp.Events(1)[0][3]), std::pair(expected, 0));
    EXPECT_FALSE(IsTextEntryActive(amp.app));
  }
  for (const auto& [edit, row, field] :
       {std::tuple{&EditValueA, 1, TextField::ValueA}, {&EditValueB, 0, TextField::ValueB}}) {
    edit(amp.app, row);
    EXPECT_TRUE(IsTextEntryActive(amp.app)) << row;
    const TextEntry& entry = amp.app.textEntry;
    EXPECT_TRUE(entry.field == field && entry.target == row && entry.maximum == 7) << row;
    EndTextEntry(amp.app);
  }
  EditValueB(amp.app, 2);  // no such row
  EXPECT_FALSE(IsTextEntryActive(amp.app));
  SelectEventRow(amp.app, 1);
  EXPECT_TRUE(amp.app.editCursor == 8 && amp.TrackNo(1).selectedEvent == 1);
}

TEST(InsertCommands, GroupAndSlideChooseTheType) {
  struct Case { int32_t track; EventGroup group; bool slide; Command command; int32_t type, a; };
  const auto reset3 = [](Studio& a) { InsertEngineReset(a, 3); };
  const EventGroup song = EventGroup::Song, track = EventGroup::Track, program = EventGroup::Program;
  const Case cases[] = {
      {0, song, false, InsertVolume, 33, 100}, {0, song, true, InsertVolume, 34, 0},
      {0, song, false, InsertTempo, 35, 120},  {0, song, true, InsertTempo, 36, 0},
      {0, song, false, InsertPitch, -1, 0},    {0, song, false, InsertPan, -1, 0},
      {1, track, false, InsertVolume, 18, 100}, {1, program, false, InsertVolume, 3, 100},
      {1, track, true, InsertPitch, 23, 0},    {1, program, false, InsertPan, 5, 0},
      {1, program, true, InsertPan, 6, 0},     {1, track, false, InsertTempo, -1, 0},
      {1, song, false, InsertVolume, -1, 0},   {0, song, true, reset3, 27, 7},
      {1, track, false, reset3, 27, 7},        {1, program, false, reset3, 12, 7},
  };
  for (const Case& c : cases) {
    EditRig rig(1, 2, c.track);
    rig.ed().eventGroup = c.group;
    rig.ed().slide = c.slide ? 1 : 0;
    rig.At(30);
    c.command(rig.app);
    // The GlobalTrack holds its tempo event first.
    V expected = c.track == 0 ? V{kTempoRow} : V{};
    if (c.type >= 0) expected.push_back({30, c.type, c.a, 0});
    EXPECT_EQ(rig.Events(c.track), expected) << c.track << " " << static_cast<int>(c.group) << " " << c.type;
    if (c.type >= 0) {
      EXPECT_EQ(std::pair(rig.app.editCursor, rig.TrackNo(c.track).selectedEvent),
                std::pair(30, int32_t(expected.size()) - 1)) << c.type;
    }
  }
}

TEST(Recording, NoteNoteOffAndPhraseKeysInsertAndStep) {
  struct Case { int32_t track; bool editMode, shown; Command key; V added; int32_t cursorAfter; };
  const auto note = [](Studio& a) { RecordNote(a, 1650); };
  const Case cases[] = {
      {1, true, true, note, {{48, kNote, 4050, 0}}, 60},
      {1, false, true, note, {}, 48},
      {1, true, false, note, {}, 48},
      {0, true, true, note, {}, 60},
      {1, true, true, RecordNoteOff, {{48, Type(EventType::NoteOff), 0, 0}}, 60},
      {0, true, true, RecordNoteOff, {{48, kEnd, 0, 0}}, 60},
      {1, true, true, RecordPhrase, {{48, kPhrase, 3, 0}}, 60},
      {0, true, true, RecordPhrase, {}, 60},
      {2, true, true, RecordPhrase, {{48, kPhrase, 1, 0}}, 60},  // no phrase before the cursor: source 1
  };
  for (const Case& c : cases) {
    EditRig rig(2, 4, c.track);
    if (c.track == 1) rig.Add(c.track, {{40, kPhrase, 3, 0}, {50, kPhrase, 2, 0}});
    SetOctave(rig.app, 2);
    ToggleSnap(rig.app);
    rig.ed().editMode = c.editMode;
    rig.ed().trackListShown = c.shown;
    rig.At(48);
    const V before = rig.Events(c.track);
    c.key(rig.app);
    V added;
    for (const Row& e : rig.Events(c.track))
      if (std::find(before.begin(), before.end(), e) == before.end()) added.push_back(e);
    EXPECT_EQ(added, c.added) << c.track << c.editMode << c.shown;
    EXPECT_EQ(rig.app.editCursor, c.cursorAfter);
  }
}

TEST(SelectTrack, SetsTheEventGroupAndFitsTheEngineTypeList) {
  EditRig rig(1, 3, 0);
  for (const auto& [track, before, group] : {std::tuple{1, Command{}, EventGroup::Program},
                                             {2, CycleEventGroup, EventGroup::Track}, {0, nullptr, EventGroup::Song},
                                             {0, CycleEventGroup, EventGroup::Song}}) {
    if (before) before(rig.app);
    SelectTrack(rig.app, track);
    EXPECT_EQ(rig.ed().eventGroup, group) << track;
  }
  // A song plug-in row beyond the track plug-in list returns to the top when a normal track is chosen.
  rig.app.song.selectedEngineType = static_cast<int32_t>(rig.app.catalog.trackEngineTypes.count);
  rig.app.song.engineListScroll = 4;
  SelectTrack(rig.app, 1);
  EXPECT_TRUE(rig.app.song.selectedEngineType == 0 && rig.app.song.engineListScroll == 0);
  SelectTrack(rig.app, 3);  // no such track
  EXPECT_EQ(rig.app.song.currentTrack, 1);
}

TEST(Playback, StopsForCommandsThatFreeOrMoveEventsOnly) {
  struct Case { const char* name; Command command; bool stops; };
  const Case cases[] = {
      {"Delete", Delete, true},         {"DeleteBlock", DeleteBlock, true},  {"Cut", Cut, true},
      {"CloseGap", CloseGap, true},     {"OpenGap", OpenGap, true},          {"DeleteBar", DeleteBar, true},
      {"InsertBar", InsertBar, true},   {"Paste", Paste, true},              {"AddEvent", AddEvent, false},
      {"DeleteSelected", DeleteSelectedEvent, true}, {"InsertVolume", InsertVolume, false},
      {"TransposeUp", TransposeUp, false}, {"CycleType", [](Studio& a) { CycleEventType(a, 0); }, false},
      {"Record", [](Studio& a) { RecordNote(a, 50); }, false},
  };
  for (const Case& c : cases) {
    EditRig rig(1, 3, 1);
    rig.Add(1, {{0, kNote, 1050, 0}, {10, kNote, 1150, 0}});
    rig.ed().editMode = 1;
    rig.ed().block = {1, 0, 1, 5, 1};
    Copy(rig.app);
    rig.app.playback.mode.store(PlaybackMode::Song);
    c.command(rig.app);
    EXPECT_EQ(IsPlaybackIdle(rig.app), c.stops) << c.name;
    rig.app.playback.mode.store(PlaybackMode::Idle);
  }
}

}  // namespace
}  // namespace tonforge
