// The editor's commands on a song: the cursor, the Block and its clipboard, bars and gaps, the event and track
// commands, typed values and names, and the song's own event lists.
#include <gtest/gtest.h>

#include <functional>
#include <random>

#include "sequencer/editing.h"
#include "sequencer/text_entry.h"
#include "sequencer/track_commands.h"
#include "support/song_rig.h"

namespace tonforge::testing {
namespace {

using E = EventType;
using Row = testing::EventRow;
using V = std::vector<Row>;
using Command = std::function<void(Studio&)>;
using Sources = std::vector<int32_t>;

const int32_t kParameter2 = Type(EventType::ProgramEngineParameter) + 2;
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

// Track 1 of a 4-track song with 3 programs; program 1 has a low-pass filter at position 2 (Cutoff 1..100, Q 1..100,
// Wet, nothing at 3).
struct FilterRig : EditRig {
  FilterRig() : EditRig(3, 4) {
    SelectProgram(app, 1);
    SetProgramType(2, Id(EngineTypeId::LowPassFilter));
  }
};

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
  EXPECT_EQ(std::tuple(rig.Events(1).back(), rig.Events(2).back(), rig.app.editCursor),
            std::tuple(Row{50, kPhrase, 1, 0}, Row{50, kPhrase, 2, 0}, 60));
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
    EXPECT_EQ(std::pair(rig.Events(1), rig.Events(0)), std::pair(c.after, c.globalAfter)) << c.insert << c.cursor;
    EXPECT_TRUE(rig.Events(2) == played && rig.Events(3) == played);
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
  EditRig rig(1, 2, 0);
  CycleEventType(rig.app, 0);  // the tempo event keeps its type
  EXPECT_EQ(rig.Events(0)[0][1], kTempo);

  // An amplifier has parameters 0 and 1 only: the cycle passes through reset (7). Other values are typed.
  EditRig amp(1, 2, 1);
  amp.SetTrackType(0, testing::Id(EngineTypeId::Amplifier));
  amp.Add(1, {{7, Type(EventType::TrackEngineParameter), 0, 500}, {8, Type(EventType::TrackVolume), 100, 0}});
  for (int32_t expected : {1, 7, 0, 1}) {
    EditValueA(amp.app, 0);
    EXPECT_EQ(std::tuple(amp.Events(1)[0][2], amp.Events(1)[0][3], IsTextEntryActive(amp.app)),
              std::tuple(expected, 0, false));
  }
  for (const auto& [edit, row, field] :
       {std::tuple{&EditValueA, 1, TextField::ValueA}, {&EditValueB, 0, TextField::ValueB}}) {
    edit(amp.app, row);
    const TextEntry& entry = amp.app.textEntry;
    EXPECT_TRUE(entry.active && entry.field == field && entry.target == row && entry.maximum == 7) << row;
    EndTextEntry(amp.app);
  }
  EditValueB(amp.app, 2);  // no such row
  EXPECT_FALSE(IsTextEntryActive(amp.app));
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
      {"InsertBar", InsertBar, true},   {"Paste", Paste, true},  {"DeleteSelected", DeleteSelectedEvent, true},
      {"CycleType", [](Studio& a) { CycleEventType(a, 0); }, false}, {"InsertVolume", InsertVolume, false},
      {"Record", [](Studio& a) { RecordNote(a, 50); }, false},   {"AddEvent", AddEvent, false},
      // Transposing while the song plays is the playback test's.
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

TEST(NewSong, HoldsOnlyTheGlobalTrackWithItsTempoEventAndResetsTheEditor) {
  SongRig rig(2, 4);  // a used song: programs, tracks, buffers, settings, an editor at work
  rig.SetProgramType(2, Id(EngineTypeId::CombFilter));
  rig.app.song.beatsPerBar = 3;
  EditorState& ed = rig.app.editor;
  rig.app.editCursor = 4000;
  ed = {3800, 1, 5, 9, 2, 1, EventGroup::Track, 1, Block{1, 10, 1, 20, 2}, {}, 0, 1};
  ed.clipboard.kind = ClipboardKind::NormalTracks;
  NewSong(rig.app);
  const Song& s = rig.app.song;
  ASSERT_EQ(s.tracks.Count(), 1);
  EXPECT_EQ(rig.Events(0), (V{{0, kTempo, 120, 0}}));  // its name is pinned by the song file test
  EXPECT_TRUE(s.programs.empty() && s.beatsPerBar == 8 && s.ticksPerBeat == 48 && s.seed >= 1 && s.seed <= 10000);
  EXPECT_TRUE(s.positionBufferSize[2] == 0 && !rig.app.live.voices[0].buffers.left[2] && rig.app.chainEditor.chainMode == ChainMode::Track);
  EXPECT_TRUE(rig.app.editCursor == 0 && ed.viewStart == 0 && ed.octave == 0 && ed.eventGroup == EventGroup::Song);
  EXPECT_TRUE(ed.slide == 0 && ed.editMode == 0 && ed.block.active == 0 && ed.snapStep == 12);
  EXPECT_EQ(ed.clipboard.kind, ClipboardKind::NormalTracks);  // the clipboard outlives the song
}

TEST(InsertEvent, KeepsTickOrderAndOneNotePerTickButNeverMovesTheTempoEvent) {
  struct Case { int32_t track; V before; testing::EventRow inserted; V after; };
  const Case cases[] = {
      {1, {{0, 0, 1, 0}, {96, 0, 2, 0}, {96, 0, 3, 0}, {192, 0, 4, 0}}, {96, 0, 9, 0},
       {{0, 0, 1, 0}, {96, 0, 2, 0}, {96, 0, 3, 0}, {96, 0, 9, 0}, {192, 0, 4, 0}}},
      {1, {{48, kNote, 1050, 1}}, {48, kNote, 2050, 2}, {{48, kNote, 2050, 2}}},
      {1, {{48, 1, 0, 0}}, {48, kNote, 1050, 1}, {{48, 1, 0, 0}, {48, kNote, 1050, 1}}},
      {1, {{0, 0, 0, 0}}, {-5, 0, 7, 0}, {{0, 0, 0, 0}, {0, 0, 7, 0}}},
      {0, {}, {0, 33, 50, 0}, {{0, kTempo, 120, 0}, {0, 33, 50, 0}}},
  };
  for (const Case& c : cases) {
    SongRig rig(3, 2);
    rig.Add(c.track, c.before);
    auto [t, type, a, b] = c.inserted;
    EXPECT_TRUE(InsertEvent(rig.app, rig.TrackNo(c.track), {t, type, a, b})) << a;
    EXPECT_EQ(rig.Events(c.track), c.after) << a;
    EXPECT_EQ(rig.TrackNo(c.track).eventCount, static_cast<int32_t>(c.after.size())) << a;
  }
  SongRig rig;
  rig.Add(0, {{48, 38, 0, 0}});
  for (int32_t index : {0, 2, -1, 0, 1}) DeleteEventAt(rig.app.song, rig.TrackNo(0), index);
  EXPECT_EQ(rig.Events(0), (V{{0, kTempo, 120, 0}}));
  EXPECT_EQ(rig.TrackNo(0).eventCount, 1);
}

// The FilterRig with an amplifier at 0 in track 1's chain (Left -1000..1000, Right, nothing at 2).
TEST(ValidateEvents, KeepsNotesOnProgramsAndParametersOnTheirEngines) {
  const testing::EventRow note1{0, kNote, 1050, 1};
  const int32_t p2 = kParameter2, t0 = Type(EventType::TrackEngineParameter);
  const std::vector<std::pair<V, V>> cases = {
      {{{0, p2, 0, 50}}, {{0, p2, 7, 0}}},  // no note before it
      {{{0, kNote, 1050, 5}}, {{0, kNote, 1050, 0}}},
      {{note1, {1, p2, 0, 500}}, {note1, {1, p2, 0, 100}}},
      {{note1, {1, p2, 1, -3}}, {note1, {1, p2, 1, 1}}},
      {{note1, {1, p2, 3, 10}}, {note1, {1, p2, 7, 0}}},
      {{{0, kNote, 1050, 0}, {1, p2, 0, 50}}, {{0, kNote, 1050, 0}, {1, p2, 7, 0}}},
      {{{0, t0, 0, 5000}, {0, t0, 2, 5}}, {{0, t0, 0, 1000}, {0, t0, 7, 0}}},
  };
  for (const auto& [before, after] : cases) {
    FilterRig rig;
    rig.SetTrackType(0, Id(EngineTypeId::Amplifier));
    rig.Add(1, before);
    ValidateEvents(rig.app.song, rig.TrackNo(1));
    EXPECT_EQ(rig.Events(1), after);
  }
}

TEST(InsertTrack, GoesAfterTheCurrentTrackRenumbersPhrasesAndRefusesThe513thOrOneWithoutMemory) {
  SongRig full(0, kMaxTracks), starved(1);
  starved.SetProgramType(3, Id(EngineTypeId::CombFilter));
  FailAllocationsForTesting(1, 1);
  for (SongRig* rig : {&full, &starved}) {
    const int32_t count = rig->app.song.tracks.Count();
    EXPECT_TRUE(InsertTrack(rig->app) == nullptr && rig->app.song.tracks.Count() == count);
  }
  FailAllocationsForTesting(0, 0);
  // The list itself refuses a 513th track however it is inserted, and has no tracks outside 0..511.
  EXPECT_EQ(full.app.song.tracks.Insert(1, std::make_unique<Track>()), nullptr);
  EXPECT_TRUE(TrackAt(full.app.song, -1) == nullptr && TrackAt(full.app.song, kMaxTracks) == nullptr);
  EXPECT_STREQ(full.TrackNo(511).name.data(), "Track 511");
  EXPECT_EQ(full.Messages(), std::vector<std::string>{"Maximum Number Of Tracks Reached"});
  EXPECT_EQ(starved.Messages(), std::vector<std::string>{"Out Of Memory - Cannot Insert Track"});
  // A new track goes after the current one; phrases naming the tracks after it follow them.
  for (const auto& [current, sources] :
       {std::pair{2, std::vector{1, 2, 4, 5}}, {0, {2, 3, 4, 5}}, {4, {1, 2, 3, 4}}}) {
    SongRig rig(0, 5);
    rig.Add(1, {{1, kPhrase, 1, 0}, {2, kPhrase, 2, 0}, {3, kPhrase, 3, 0}, {4, kPhrase, 4, 0}});
    rig.app.song.currentTrack = current;
    EXPECT_NE(InsertTrack(rig.app), nullptr) << current;
    EXPECT_STREQ(rig.TrackNo(current + 1).name.data(), "Track 5") << current;
    EXPECT_EQ(rig.Column(current == 0 ? 2 : 1, 2), sources) << current;
  }
}

// Six tracks; track `holder` gets one Phrase event per source, at ticks 0, 1, 2...
struct TrackRig : SongRig {
  TrackRig(int32_t current, int32_t holder = 1, const Sources& sources = {}, int32_t tracks = 6) : SongRigOf(0, tracks) {
    for (size_t i = 0; i < sources.size(); ++i)
      Add(holder, {{static_cast<int32_t>(i), testing::Type(EventType::Phrase), sources[i], 0}});
    app.song.currentTrack = current;
  }
};

std::vector<std::string> Boxes(const SongRig& rig) {
  std::vector<std::string> out;
  for (const auto& box : rig.dialogs.shown) out.push_back(box.caption + ": " + box.text);
  return out;
}

TEST(DeleteTrackOrSong, AsksTwiceWhenPhrasesUseATrackRenumbersTheRestAndOnTheGlobalTrackDeletesTheSong) {
  struct Case { int32_t current, holder; Sources sources; std::deque<bool> answers; std::vector<std::string> boxes;
                Sources sourcesAfter; int32_t countAfter, currentAfter; };
  const std::string ask = "Delete Track: Are You Sure?";
  const std::string warn = "Warning: Some Phrase Events Use Seleted Track - Still Delete?";
  const Sources all{1, 2, 3, 4, 5};
  const Case cases[] = {
      {3, 1, all, {true, true}, {ask, warn}, {1, 2, 1, 3, 4}, 5, 3},
      {3, 1, all, {true, false}, {ask, warn}, all, 6, 3},
      {3, 1, all, {false}, {ask}, all, 6, 3},
      {2, 5, {2}, {true, false}, {ask, warn}, {2}, 6, 2},  // the last track's Phrase uses track 2
      // Only the deleted track itself replays it: one question; the current track moves back into the list.
      {5, 5, {5}, {true}, {ask}, {}, 5, 4},
  };
  for (const Case& c : cases) {
    TrackRig rig(c.current, c.holder, c.sources);
    rig.app.playback.mode = PlaybackMode::Song;  // a song plays (no worker is needed to see it stopped)
    rig.dialogs.answers = c.answers;
    const bool deleted = c.countAfter == 5;
    EXPECT_EQ(DeleteTrackOrSong(rig.app), deleted ? DeleteResult::TrackDeleted : DeleteResult::Refused);
    EXPECT_TRUE(IsPlaybackIdle(rig.app));
    EXPECT_EQ(std::pair(Boxes(rig), rig.app.song.tracks.Count()), std::pair(c.boxes, c.countAfter)) << c.current;
    const int32_t holderAfter = deleted && c.holder > c.current ? c.holder - 1 : c.holder;
    if (holderAfter < rig.app.song.tracks.Count()) {
      EXPECT_EQ(rig.Column(holderAfter, 2), c.sourcesAfter) << c.current;
    }
    EXPECT_EQ(rig.app.song.currentTrack, c.currentAfter);
    EXPECT_STREQ(rig.TrackNo(3).name.data(), deleted && c.current == 3 ? "Track 4" : "Track 3");
  }
  // The last normal track goes: the GlobalTrack is current and the insert keys produce song events again.
  EditRig one(1, 2, 1);  // on a normal track the insert keys produce program events
  one.dialogs.answers = {true};
  ASSERT_EQ(DeleteTrackOrSong(one.app), DeleteResult::TrackDeleted);
  EXPECT_TRUE(one.app.song.currentTrack == 0 && one.app.editor.eventGroup == EventGroup::Song);

  // On the GlobalTrack the song goes: a new song and empty clipboards when answered Yes.
  for (bool yes : {false, true}) {
    EditRig rig(2, 4, 0);
    rig.SetProgramType(0, testing::Id(EngineTypeId::Amplifier));
    CopyEngine(rig.app);
    rig.app.editor.block = {0, 0, 1, 48, 1};
    ASSERT_TRUE(Copy(rig.app));
    rig.app.changes.MarkSongSaved();  // a modified song asks to be saved instead (the unsaved-changes test)
    rig.dialogs.answers = {yes};
    EXPECT_EQ(DeleteTrackOrSong(rig.app), yes ? DeleteResult::SongDeleted : DeleteResult::Refused);
    EXPECT_EQ(Boxes(rig), std::vector<std::string>{"Delete Song: Are You Sure?"});
    EXPECT_EQ(std::pair(rig.app.song.tracks.Count(), rig.app.song.programs.size()),
              yes ? std::pair(1, 0ul) : std::pair(4, 2ul));
    EXPECT_EQ(std::pair(rig.app.engineClipboard.content == 0, rig.app.editor.clipboard.kind == ClipboardKind::Empty),
              std::pair(yes, yes));
  }
}

TEST(MoveTrack, ExchangesPhraseSourcesAndFollowsTheTrack) {
  struct Case { int32_t current; bool up, moved; int32_t currentAfter; Sources sourcesAfter; };
  const Case cases[] = {
      {4, true, true, 3, {1, 2, 4, 3, 5}},  {2, false, true, 3, {1, 3, 2, 4, 5}},
      {1, true, false, 1, {1, 2, 3, 4, 5}}, {0, true, false, 0, {1, 2, 3, 4, 5}},
      {5, false, false, 5, {1, 2, 3, 4, 5}}, {0, false, false, 0, {1, 2, 3, 4, 5}},
  };
  for (const Case& c : cases) {
    TrackRig rig(c.current, 5, {1, 2, 3, 4, 5});
    rig.app.playback.mode = PlaybackMode::Song;
    const std::string name = rig.TrackNo(c.current).name.data();
    EXPECT_EQ(c.up ? MoveTrackUp(rig.app) : MoveTrackDown(rig.app), c.moved);
    EXPECT_EQ(rig.app.playback.mode.load(), PlaybackMode::Song);  // moving tracks leaves the song playing
    EXPECT_EQ(std::pair(rig.app.song.currentTrack, std::string(rig.TrackNo(c.currentAfter).name.data())),
              std::pair(c.currentAfter, name));
    EXPECT_EQ(rig.Column(5, 2), c.sourcesAfter) << c.current << c.up;
  }
  TrackRig rig(8, 1, {}, 12);
  ASSERT_TRUE(MoveTrackDown(rig.app));
  EXPECT_EQ(rig.app.song.trackListScroll, 1);  // track 9 stays within the nine visible rows
}

TEST(MuteCommands, MuteButtonSwitchOffAndSolo) {
  enum Command { Mute, SwitchOff, Solo };
  struct Case { Command command; int32_t scroll, argument; std::vector<uint32_t> after; };
  // Tracks 1..4 start muted-state 0, 1, 2, 1. The argument is the row (Mute) or the current track.
  const Case cases[] = {
      {Mute, 0, 0, {0, 0, 2, 0}},  // the GlobalTrack's row: muted tracks play, switched-off ones stay off
      {Mute, 0, 1, {1, 1, 2, 1}},  {Mute, 0, 3, {0, 1, 0, 1}},
      {Mute, 1, 0, {1, 1, 2, 1}},  // scrolled: row 0 is track 1
      {Mute, 0, 7, {0, 1, 2, 1}},  // a row without a track
      {SwitchOff, 0, 3, {0, 1, 0, 1}}, {SwitchOff, 0, 1, {2, 1, 2, 1}}, {SwitchOff, 0, 2, {0, 2, 2, 1}},
      {SwitchOff, 0, 0, {0, 1, 2, 1}}, {Solo, 0, 2, {1, 0, 2, 1}},       {Solo, 0, 3, {1, 1, 0, 1}},
  };
  for (const Case& c : cases) {
    TrackRig rig(c.command == Mute ? 4 : c.argument, 1, {}, 5);
    std::vector<uint32_t> after{0, 1, 2, 1};
    for (int32_t i = 1; i <= 4; ++i) rig.TrackNo(i).muteState = after[i - 1];
    rig.app.song.trackListScroll = c.scroll;
    if (c.command == Mute) PressMuteButton(rig.app, c.argument);
    c.command == Solo ? SoloTrack(rig.app) : c.command == SwitchOff ? SwitchOffTrack(rig.app) : void();
    for (int32_t i = 1; i <= 4; ++i) after[i - 1] = rig.TrackNo(i).muteState;
    EXPECT_EQ(after, c.after) << c.command << " " << c.argument;
    EXPECT_EQ(rig.TrackNo(0).muteState, 0u);
  }
}

TEST(PanelSettings, TrackAndSongControlsWithTheirClamps) {
  struct TrackCase { int32_t seed, pan, level; uint32_t seedAfter; int32_t panAfter; float levelAfter; };
  for (const TrackCase& c : {TrackCase{777, -30, 45, 777, 70, 0.45f}, TrackCase{20000, 150, -5, 10000, 200, 0.0f}}) {
    EditRig rig(0, 3, 2);
    SetTrackSeed(rig.app, c.seed);
    SetTrackPan(rig.app, c.pan);
    SetTrackLevel(rig.app, c.level);
    EXPECT_EQ(std::pair(rig.TrackNo(2).seed, rig.TrackNo(2).pan.Load()), std::pair(c.seedAfter, c.panAfter));
    EXPECT_FLOAT_EQ(rig.TrackNo(2).level, c.levelAfter);
    EXPECT_EQ(rig.TrackNo(1).pan, 100);  // only the current track
  }
  SongRig rig;
  // At 120 beats per minute a beat is 22050 samples at 44100 Hz. Snap divisions 9 and 0 are ignored.
  for (const auto& [ticks, division, ticksAfter, snapAfter, samplesPerTick] :
       {std::tuple{24, 5, 24, 4, 918.75f}, {96, 8, 96, 12, 229.6875f}, {5, 1, 16, 16, 1378.125f},
        {500, 3, 100, 33, 220.5f}}) {
    SetSnapDivision(rig.app, division);
    SetTicksPerBeat(rig.app, ticks);
    for (int32_t ignored : {9, 0}) SetSnapDivision(rig.app, ignored);
    EXPECT_EQ(std::tuple(rig.app.song.ticksPerBeat.Load(), rig.app.editor.snapDivision, rig.app.editor.snapStep),
              std::tuple(ticksAfter, division, snapAfter));
    EXPECT_EQ(rig.app.rate.samplesPerTick, samplesPerTick) << ticks;
  }
  rig.app.song.ticksPerBeat = 3;
  SetSnapDivision(rig.app, 8);
  EXPECT_EQ(rig.app.editor.snapStep, 1) << "a snap step is at least a tick";
  SetBeatsPerBar(rig.app, 3);
  SetSongLevel(rig.app, 80);
  EXPECT_EQ(rig.app.song.beatsPerBar, 3);
  EXPECT_FLOAT_EQ(rig.app.song.songLevel, 0.8f);
}

void TypeText(Studio& app, std::string_view keys) {
  for (char c : keys) TypeTextEntryCharacter(app, c);
}
// Starts an entry for a value of event `index` of the current track and types the keys.
void Enter(Studio& app, TextField field, int32_t index, std::string_view keys) {
  StartTextEntry(app, field, index, kEventValueMaximum);
  TypeText(app, keys);
}

TEST(ReadTypedNumber, WeighsEveryCharacterAndReadsALeadingMinus) {
  // Plain numbers, a minus and a character inside are the typed entries' rows below.
  const std::pair<std::string_view, int32_t> cases[] = {
      {"-", 0}, {"", 0}, {"5a", 50}, {"a1", 1}, {"--3", -3}, {"-0012", -12},
      {"99999999999999999999", 2147483647}, {"-9000000000", -2147483647},
  };
  for (const auto& [text, value] : cases) EXPECT_EQ(ReadTypedNumber(text), value) << text;
}

// Track 1 of the FilterRig holds the event typed into (a note 1050 on program 1, anything else 9), then a Cutoff
// event for the filter and a TrackVolume event.
// Enter is "\r", Escape "\x1b".
TEST(TextEntry, ValuesAreReadAtTheEndAndClampedByTypeNotesTakePianoCharacters) {
  const TextField A = TextField::ValueA, B = TextField::ValueB;
  struct Case { E type; TextField field; int32_t index, octave; std::string_view keys; int32_t value; bool activeAfter = false; };
  const Case cases[] = {
      {E::TrackPitch, A, 0, 0, "1-2\r", 102},     {E::ProgramPan, A, 0, 0, "-5\r", -5},
      {E::ProgramVolume, A, 0, 0, "150\r", 100},  {E::ProgramPitch, A, 0, 0, "-1500\x1b", -1200},  // Escape applies
      {E::TrackVolumeSlide, A, 0, 0, "45\b7\r", 47}, {E::Phrase, A, 0, 0, "7\r", 3},
      {E::Phrase, A, 0, 0, "0\r", 1},             {E::TrackPan, A, 0, 0, "12", 9, true},  // not applied while typing
      {E::TrackPitch, A, 0, 0, "123456", 1200},   // the sixth character ends the entry
      {E::TrackPan, A, 0, 0, "\r", 9},            {E::Empty, A, 0, 0, "12\r", 9},  // empty text: no change
      {E::NoteOn, A, 0, 0, "z", 50},  {E::NoteOn, A, 0, 1, "/", 2850},  {E::NoteOn, A, 0, 0, "q", 1250},
      {E::NoteOn, A, 0, 3, "p", 6450}, {E::NoteOn, A, 0, 0, "k", 1050, true}, {E::NoteOn, A, 0, 2, "E", 1050, true},
      {E::NoteOn, A, 0, 1, "kk2", 2550}, {E::NoteOn, A, 0, 0, "123", 1350},  // digits 2 and 3 are upper-row keys
      {E::NoteOn, A, 0, 0, "ka-fk.", 1450}, {E::NoteOn, A, 0, 0, "kaafkk", 1050},  // the sixth ends it unapplied
      // Value B keeps notes on existing programs and parameters in range.
      {E::NoteOn, B, 0, 0, "7\r", 2},  {E::NoteOn, B, 0, 0, "-3\r", 0},  {E::NoteOn, B, 1, 0, "500\r", 100},
      {E::NoteOn, B, 1, 0, "0\r", 1}, {E::NoteOn, B, 2, 0, "9\r", 0},  // no value B to type into
  };
  for (const Case& c : cases) {
    FilterRig rig;
    rig.Add(1, {{0, Type(c.type), c.type == E::NoteOn ? 1050 : 9, c.type == E::NoteOn ? 1 : 0}, {1, kParameter2, 0, 50},
                {2, Type(E::TrackVolume), 50, 0}});
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
}  // namespace tonforge::testing
