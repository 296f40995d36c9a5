// The panels built as the program builds them and worked with the mouse: which controls each shows for what it
// edits, what pressing and dragging them does, and what the song view, the lists and the fields draw.
#include <gtest/gtest.h>

#include <functional>
#include <set>

#include "programs/data_slot_commands.h"
#include "sequencer/editing.h"
#include "sequencer/track_commands.h"
#include "support/app_panels_rig.h"
#include "support/play_rig.h"
#include "ui/name_edit.h"
#include "ui/panels/engine_editor.h"
#include "ui/panels/engine_types.h"
#include "ui/panels/event_list.h"
#include "ui/panels/track_list.h"

namespace tonforge {
namespace {

using namespace testing;

namespace C = TrackListControl;
namespace L = EventListControl;
namespace E = EngineEditorControl;
namespace T = EngineTypeListControl;

using namespace testing::panels;

struct TrackListRig : PanelRig {
  explicit TrackListRig(int32_t tracks, int programs = 1) : PanelRig(programs, tracks) {
    BuildTrackListPanel(ui.ui, app());
    OpenPanel(ui.ui, kTrackList);
  }
  uint32_t Pixel(Point outer) { return ui.ScreenAt(kTrackList, outer); }
};

// Presses in the song view select the row's track and the tick; the chain panel follows the track.
TEST(TrackListPanel, PressesInTheSongViewSelectTrackAndTick) {
  struct Case { const char* what; int32_t current, openChain; uint32_t snap; int32_t row, tick, track, cursor, chain; };
  const Case cases[] = {
      {"track 0 replaces the track panel by the song panel", 2, kTrackChain, 0, 0, 100, 0, 100, kSongChain},
      {"a normal track replaces the song panel by the track panel", 0, kSongChain, 0, 2, 30, 2, 30, kTrackChain},
      {"the same kind of track keeps the panel", 1, kTrackChain, 0, 2, 463, 2, 463, kTrackChain},
      {"snap takes the tick down to the step", 1, kTrackChain, 1, 1, 30, 1, 24, kTrackChain},
      {"a row with no track selects nothing", 1, kTrackChain, 0, 5, 200, 1, 0, kTrackChain},
  };
  for (const Case& c : cases) {
    TrackListRig r(3);
    r.app().song.currentTrack = c.current;
    r.app().editor.snap = c.snap;
    OpenPanel(r.ui.ui, c.openChain);
    r.ui.ClickAt(r.ui.Screen(kTrackList, r.ViewPoint(c.row, c.tick)));
    EXPECT_EQ(std::pair(r.app().song.currentTrack, r.app().editCursor), std::pair(c.track, c.cursor)) << c.what;
    EXPECT_TRUE(r.Open(c.chain) && !r.Open(c.chain == kSongChain ? kTrackChain : kSongChain)) << c.what;
    EXPECT_EQ(r.P(0).buttons[OpenerButton(kTrackChain)].style, ButtonStyle::ToggleOn) << c.what;
  }
}

TEST(TrackListPanel, InsertButtonsAreShownExactlyWhereTheyAct) {
  struct Case { int32_t track; EventGroup group; std::vector<int32_t> shown; };
  const Case cases[] = {
      {0, EventGroup::Song, {C::InsertVolume, C::InsertTempo}}, {1, EventGroup::Song, {}},
      {1, EventGroup::Track, {C::InsertVolume, C::InsertPitch, C::InsertPan}},
      {1, EventGroup::Program, {C::InsertVolume, C::InsertPitch, C::InsertPan}},
  };
  for (const Case& c : cases) {
    TrackListRig r(2);
    r.app().song.currentTrack = c.track;
    r.app().editor.eventGroup = c.group;
    r.Redraw(kTrackList);
    EXPECT_EQ(r.ShownButtons(kTrackList, C::InsertVolume, C::InsertTempo + 1), c.shown) << c.track;
  }
  // A shown insert button inserts at the cursor; a hidden one takes no click.
  TrackListRig r(2);
  r.app().song.currentTrack = 1;
  r.app().editor.eventGroup = EventGroup::Track;
  r.app().editCursor = 96;
  r.Redraw(kTrackList);
  r.ClickButton(kTrackList, C::InsertPan);
  r.ClickButton(kTrackList, C::InsertTempo);
  EXPECT_EQ(r.song.Events(1), (std::vector<EventRow>{{96, Type(EventType::TrackPan), 0, 0}}));
  // The switches show the editor: octave 2, the track group, slide and snap on, recording off.
  std::tie(r.app().editor.octave, r.app().editor.slide, r.app().editor.snap) = std::tuple(2, 1, 1);
  r.Redraw(kTrackList);
  EXPECT_EQ((std::array{r.B(kTrackList, C::Octave).captionOrValue, r.B(kTrackList, C::Group).captionOrValue,
                        r.B(kTrackList, C::Slide).captionOrValue}), (std::array{110, 105, 95}));
  EXPECT_EQ(std::pair(r.B(kTrackList, C::Snap).style, r.B(kTrackList, C::EditMode).style),
            std::pair(ButtonStyle::ToggleOn, ButtonStyle::ToggleOff));
}

TEST(TrackListPanel, MuteButtonsFollowTheVisibleTracks) {
  // muteStates: of tracks 1 and up; styles: of the rows with a track, the other rows being hidden.
  struct Case { std::vector<uint32_t> muteStates; int32_t scroll; std::vector<uint32_t> styles; };
  constexpr uint32_t kHidden = ~0u;
  const Case cases[] = {
      {{}, 0, {ButtonStyle::ToggleOff}}, {{1, 0}, 1, {ButtonStyle::ToggleOn, ButtonStyle::ToggleOff}},
      {{0, 2}, 0, {ButtonStyle::Editing, ButtonStyle::ToggleOff, ButtonStyle::Field}},
      {{1, 0}, 0, {ButtonStyle::ToggleOn, ButtonStyle::ToggleOn, ButtonStyle::ToggleOff}},
  };
  for (const Case& c : cases) {
    TrackListRig r(static_cast<int32_t>(c.muteStates.size()) + 1);
    for (size_t t = 0; t < c.muteStates.size(); ++t) r.song.TrackNo(int32_t(t) + 1).muteState = c.muteStates[t];
    r.app().song.trackListScroll = c.scroll;
    r.Redraw(kTrackList);
    std::vector<uint32_t> styles = c.styles, shown;
    styles.resize(kTrackListRowCount, kHidden);
    for (int32_t row = 0; row < kTrackListRowCount; ++row)
      shown.push_back(r.Shown(kTrackList, C::FirstMute + row) ? r.B(kTrackList, C::FirstMute + row).style : kHidden);
    EXPECT_EQ(shown, styles) << c.muteStates.size() << " tracks, scrolled by " << c.scroll;
  }
  // The GlobalTrack's mute button lets the muted track play again.
  TrackListRig r(2);
  r.song.TrackNo(1).muteState = 1;
  r.Redraw(kTrackList);
  r.ClickButton(kTrackList, C::FirstMute);
  EXPECT_EQ(std::pair(r.song.TrackNo(1).muteState, r.B(kTrackList, C::FirstMute).style),
            std::pair(0u, ButtonStyle::Editing));
}

// One pixel per tick from x 48; every piece from the skin: row strips, block strips, palette columns.
TEST(TrackListPanel, TheSongViewIsDrawnFromTheSkin) {
  TrackListRig r(3, 2);
  r.song.Add(1, {{100, Type(EventType::NoteOn), 2450, 1}, {130, Type(EventType::TrackPan), 0, 0}});
  r.song.Add(2, {{140, Type(EventType::Phrase), 13, 0}});
  r.app().song.currentTrack = 1;
  r.app().editCursor = 200;
  r.app().editor.block = {1, 300, 2, 310, 2};
  r.Redraw(kTrackList);
  struct Case { const char* what; int32_t row, tick; int32_t sourceX, sourceTop; };
  const Case cases[] = {
      {"current row background", 1, 5, 5, 192}, {"note of program 1 at pitch 2450", 1, 100, 42 + 31 + 24, 320},
      {"track pan event", 1, 130, Type(EventType::TrackPan) + 3, 320}, {"phrase of source 13", 2, 140, 228 + 3, 320},
      {"beat line", 2, 48, 1, 320}, {"bar line", 2, 384, 2, 320},
      {"cursor on the current row", 1, 200, 0, 320}, {"no cursor on other rows", 2, 200, 200, 224},
      {"block on its track", 2, 305, 305, 224 + 64}, {"block ends with its end tick", 2, 311, 311, 224},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(r.Pixel(r.ViewPoint(c.row, c.tick)), SkinPattern(c.sourceX, c.sourceTop + r.kViewPointDown)) << c.what;
  }
  // The mute column stands where the deck draws it, from (512, 88) one row every 32 pixels, in its style's skin.
  for (int32_t row : {0, 2}) {
    const Button& mute = r.B(kTrackList, C::FirstMute + row);
    const Rect source = ButtonSource(mute.style, mute.frameKind, false);
    EXPECT_EQ(r.Pixel({512 + 1, 88 + 32 * row + 1}), SkinPattern(source.left + 1, source.top + 1)) << "mute " << row;
  }
  // The ruler names bars in the second colour, other beats in the first (block glyphs of the stand-in font).
  EXPECT_EQ(r.Pixel({48 - 9 + 1, 58}), r.ui.ui.skins.colours.songViewBar);
  EXPECT_EQ(r.Pixel({96 - 9 + 1, 58}), r.ui.ui.skins.colours.songView);
}

// While a song plays the playhead crosses every row in the cursor's colour, the position field shows its tick
// and the view turns a page when the playhead leaves it; once playing ends the view returns to the EditCursor.
TEST(TrackListPanel, ThePlayheadMovesWithTheSongAndTurnsTheView) {
  TrackListRig r(3);
  r.app().song.currentTrack = 1;
  r.app().editCursor = 200;
  PlaybackState& p = r.app().playback;
  p.mode.store(PlaybackMode::Song);  // as the worker runs it; the clock's tick comes from the test
  struct Step { int32_t tick, viewStart; };
  for (const Step s : {Step{250, 0}, {463, 0}, {464, 464}, {700, 464}, {1000, 1000}}) {
    p.playheadTick = s.tick;
    EXPECT_TRUE(FollowPlayhead(r.app())) << s.tick;
    EXPECT_FALSE(FollowPlayhead(r.app())) << s.tick;  // nothing new to draw until the clock moves
    r.Redraw(kTrackList);
    EXPECT_EQ(std::pair(r.app().editor.viewStart, r.B(kTrackList, C::CursorPosition).captionOrValue),
              std::pair(s.viewStart, s.tick)) << s.tick;
    for (int32_t row : {0, 2})
      EXPECT_EQ(r.Pixel(r.ViewPoint(row, s.tick)), SkinPattern(0, 320 + r.kViewPointDown)) << s.tick;
  }
  p.mode.store(PlaybackMode::Idle);
  EXPECT_TRUE(FollowPlayhead(r.app()));
  r.Redraw(kTrackList);
  EXPECT_EQ(std::tuple(r.app().editCursor, r.app().editor.viewStart, r.B(kTrackList, C::CursorPosition).captionOrValue),
            std::tuple(200, 200, 200));
}

struct EventListRig : PanelRig {
  EventListRig() : PanelRig(1, 2) {
    BuildEventListPanel(ui.ui, app());
    song.SetProgramType(0, Id(EngineTypeId::BasicWave));
    song.SetTrackType(0, Id(EngineTypeId::LowPassFilter));
    app().song.currentTrack = 1;
    OpenPanel(ui.ui, kEventList);
  }
  Button& Field(int32_t row, L::Field f) { return B(kEventList, L::FieldIndex(row, f)); }
  // What a field shows, or "-" when it is hidden.
  std::string Shows(int32_t row, L::Field f) {
    return Shown(kEventList, L::FieldIndex(row, f)) ? ButtonText(ui.ui, Field(row, f)) : "-";
  }
};

TEST(EventListPanel, FieldsShowEachKindOfEvent) {
  EventListRig r;
  const int32_t programParameter = Type(EventType::ProgramEngineParameter);
  const int32_t trackParameter = Type(EventType::TrackEngineParameter);
  r.song.Add(1, {{0, programParameter, 0, 50}, {48, Type(EventType::NoteOn), 2450, 0}, {60, programParameter, 0, 40},
                 {70, trackParameter, 1, 10}, {80, Type(EventType::TrackVolume), 80, 0},
                 {90, Type(EventType::NoteOff), 0, 0}, {400, trackParameter, 7, 0}});
  r.song.TrackNo(1).selectedEvent = 1;
  r.Redraw(kEventList);
  struct Case { std::string time, valueA, valueB; };
  // The stand-in captions name only captions 1 to 4; the kind field's caption number is checked apart.
  const Case cases[] = {
      {"0:0", kResetText, "-"},  // a program parameter before any note can only restart its engine
      {"0:1", "C 2", "0"}, {"0:1", "Wet", "40"}, {"0:1", "Q", "10"}, {"0:1", "80", "-"}, {"0:1", "-", "-"},
      {"1:0", kResetText, "-"}, {"-", "-", "-"},
  };
  for (int32_t row = 0; row < 8; ++row)
    EXPECT_EQ(std::tuple(r.Shows(row, L::Time), r.Shows(row, L::ValueA), r.Shows(row, L::ValueB)),
              std::tuple(cases[row].time, cases[row].valueA, cases[row].valueB)) << row;
  EXPECT_EQ(r.Field(4, L::Kind).captionOrValue, 112 + Type(EventType::TrackVolume));
  // The kind field, the selected event's time and another event's time.
  EXPECT_EQ(std::tuple(r.Field(4, L::Kind).style, r.Field(1, L::Time).style, r.Field(2, L::Time).style),
            std::tuple(ButtonStyle::Field, ButtonStyle::Push, ButtonStyle::ListRow));
  EXPECT_FALSE(r.Shown(kEventList, L::FieldIndex(9, L::Time)));
}

TEST(EventListPanel, ControlsFollowTheNumberOfEvents) {
  for (int32_t events : {0, 1, 2, 12}) {
    EventListRig r;
    for (int32_t i = 0; i < events; ++i) r.song.Add(1, {{10 * i, Type(EventType::TrackPan), 100, 0}});
    r.Redraw(kEventList);
    EXPECT_TRUE(r.Shown(kEventList, L::Add)) << events;
    for (int32_t b = L::Delete; b <= L::TransposeDown; ++b) EXPECT_EQ(r.Shown(kEventList, b), events > 0) << events;
    EXPECT_EQ(std::pair(r.ControlShown(kEventList, L::ListSlider), r.Shown(kEventList, L::ListDown)),
              std::pair(events >= 2, events >= 2)) << events;
    if (events >= 2) {
      EXPECT_EQ(r.P(kEventList).valueControls[L::ListSlider].end, events - 1);
    }
    EXPECT_EQ(r.P(kEventList).labels[L::TrackName].enabled, events > 0 ? 1u : 0u);
    EXPECT_EQ(r.Shown(kEventList, L::FieldIndex(std::min(events, kEventListRowCount) - 1, L::Time)), events > 0);
  }
}

TEST(EventListPanel, FieldsSelectAndEditTheirEvent) {
  EventListRig r;
  r.app().editCursor = 30;
  r.ClickButton(kEventList, L::Add);
  EXPECT_EQ(r.song.Events(1), (std::vector<EventRow>{{30, 0, 0, 0}}));
  r.song.Add(1, {{96, Type(EventType::TrackVolume), 100, 0}});
  r.Redraw(kEventList);

  r.ClickButton(kEventList, L::FieldIndex(1, L::Time));
  EXPECT_EQ(std::tuple(r.song.TrackNo(1).selectedEvent, r.app().editCursor, r.Field(1, L::Time).style),
            std::tuple(1, 96, ButtonStyle::Push));

  // A typed value shows in its field while it is typed and lands in the event at Enter.
  r.ClickButton(kEventList, L::FieldIndex(1, L::ValueA));
  r.Type("55");
  EXPECT_EQ(std::pair(std::string(r.Field(1, L::ValueA).text), r.Field(1, L::ValueA).style),
            std::pair(std::string("55|"), ButtonStyle::Editing));
  r.Type("\r");
  EXPECT_EQ(std::tuple(r.song.Events(1)[1][2], r.Shows(1, L::ValueA), r.Field(1, L::ValueA).style),
            std::tuple(55, std::string("55"), ButtonStyle::Push));

  // The list slider's arrow selects the next event.
  r.ClickButton(kEventList, L::ListUp);
  EXPECT_EQ(std::pair(r.song.TrackNo(1).selectedEvent, r.app().editCursor), std::pair(0, 30));
}

// Changes made elsewhere reach the list: a renamed track, and times read again in new beats and bars.
TEST(EventListPanel, FollowsRenamesAndNewBeatFigures) {
  struct Case { const char* name; std::function<void(AppState&)> change; std::string trackName, time; };
  const Case cases[] = {
      {"track renamed", [](AppState& app) {
         RenameTrack(app);
         for (char c : std::string("Lead\r")) TypeTextEntryCharacter(app, c);
       }, "Lead", "0:2"},
      {"beats per bar", [](AppState& app) { SetBeatsPerBar(app, 2); }, "", "1:0"},
      {"ticks per beat", [](AppState& app) { SetTicksPerBeat(app, 24); }, "", "0:4"},
  };
  for (const Case& c : cases) {
    EventListRig r;
    r.song.Add(1, {{100, Type(EventType::TrackPan), 100, 0}});
    r.Redraw(kEventList);
    r.app().changes.Take();
    const std::string before = r.P(kEventList).labels[L::TrackName].text;
    c.change(r.app());
    TakeRedraws(r.ui.ui, r.app().changes);
    EXPECT_EQ(std::string(r.P(kEventList).labels[L::TrackName].text), c.trackName.empty() ? before : c.trackName)
        << c.name;
    EXPECT_EQ(r.Shows(0, L::Time), c.time) << c.name;
  }
}

struct EngineRig : PanelRig {
  EngineRig() : PanelRig(1, 2) {
    app().song.currentTrack = 0;
    BuildEngineEditorPanel(ui.ui, app());
    BuildEngineTypeListPanel(ui.ui, app());
    OpenPanel(ui.ui, kEngineEditor);
    OpenPanel(ui.ui, kEngineTypes);
  }
  // An engine of the type at position 2 of the program's chain (or of the song chain), with slots filled.
  Engine& Show(uint32_t type, std::set<int> loaded, ChainMode mode = ChainMode::Program) {
    song.SetType(mode, 2, type);
    Engine& e = *SelectedEngine(app());
    for (int s : loaded) FillSlot(e, s, 480);
    Redraw(kEngineEditor);
    return e;
  }
  std::set<int32_t> SlotButtons(int k) {
    std::set<int32_t> out;
    for (int32_t b = 0; b < E::SlotButtonCount; ++b)
      if (Shown(kEngineEditor, E::SlotButtonIndex(k, static_cast<E::SlotButton>(b)))) out.insert(b);
    return out;
  }
  std::set<int32_t> SlotControls(int k) {
    std::set<int32_t> out;
    for (int32_t c = 0; c < E::SlotControlCount; ++c)
      if (ControlShown(kEngineEditor, E::SlotControlIndex(k, static_cast<E::SlotControl>(c)))) out.insert(c);
    return out;
  }
  ValueControl& SlotControl(int k, E::SlotControl c) {
    return P(kEngineEditor).valueControls[E::SlotControlIndex(k, c)];
  }
  void ClickSlot(int k, E::SlotButton b) { ClickButton(kEngineEditor, E::SlotButtonIndex(k, b)); }
};

// The editor shows exactly the controls the engine's type allows, slot by slot.
TEST(EngineEditorPanel, ShowsExactlyTheControlsTheTypeAllows) {
  using B = E::SlotButton;
  using V = E::SlotControl;
  const std::set<int32_t> wave{B::Clear, B::Name, B::Loop, B::Invert, B::Reverse, B::GainUp, B::GainDown,
                               B::RootDown, B::RootUp};
  const std::set<int32_t> modulator{B::Clear, B::Name, B::Invert, B::Reverse, B::Sync, B::PeriodDown, B::PeriodUp};
  const std::set<int32_t> modulatorNoSync{B::Clear, B::Name, B::Invert, B::Reverse, B::PeriodDown, B::PeriodUp};
  using PerSlot = std::array<std::set<int32_t>, kDataSlotCount>;
  struct Case { EngineTypeId type; ChainMode mode; std::set<int> loaded; const char* title; int parameters;
                std::set<int32_t> options; PerSlot buttons, controls; };
  const Case cases[] = {
      {EngineTypeId::Thru, ChainMode::Program, {}, "Thru", 0, {}, {}, {}},
      {EngineTypeId::BasicWave, ChainMode::Program, {}, "Basic Wave", 1, {}, {{{B::LoadWave}}}, {}},
      {EngineTypeId::BasicWave, ChainMode::Program, {0}, "Basic Wave", 1, {}, {wave}, {{{V::Gain, V::RootPitch}}}},
      {EngineTypeId::AmplitudeModulation, ChainMode::Program, {1}, "Amplitude Modulation", 2, {},
       {{{B::LoadModulator}, modulator, {B::LoadModulator}, {B::LoadModulator}}}, {{{}, {V::Period}, {}, {}}}},
      {EngineTypeId::SongSpeedModulator, ChainMode::Track, {0}, "Song Speed Modulator", 3, {},
       {{modulatorNoSync, {B::LoadModulator}, {B::LoadModulator}, {B::LoadModulator}}}, {{{V::Period}}}},
      {EngineTypeId::Arpeggiator, ChainMode::Program, {}, "Arpeggiator", 6, {0, 1}, {}, {}},
  };
  for (const Case& c : cases) {
    EngineRig r;
    r.Show(Id(c.type), c.loaded, c.mode);
    EXPECT_EQ(r.P(kEngineEditor).title, c.title);
    for (int k = 0; k < kParameterCount; ++k)  // the knob and its step buttons
      EXPECT_EQ(std::pair(r.ControlShown(kEngineEditor, k), r.Shown(kEngineEditor, E::ParameterUp + 2 * k)),
                std::pair(k < c.parameters, k < c.parameters)) << c.title << " parameter " << k;
    for (int g = 0; g < kOptionCount; ++g)
      EXPECT_EQ(r.Shown(kEngineEditor, E::FirstOption + g), c.options.count(g) == 1) << c.title << " option " << g;
    for (int k = 0; k < kDataSlotCount; ++k) {
      EXPECT_EQ(r.SlotButtons(k), c.buttons[k]) << c.title << " slot " << k;
      EXPECT_EQ(r.SlotControls(k), c.controls[k]) << c.title << " slot " << k;
      const bool emptySlotNamed = c.buttons[k].count(B::LoadWave) + c.buttons[k].count(B::LoadModulator) > 0;
      EXPECT_EQ(r.P(kEngineEditor).labels[E::SlotLabelIndex(k, E::SlotName)].enabled, emptySlotNamed ? 1u : 0u);
    }
  }
}

TEST(EngineEditorPanel, ControlsShowAndChangeTheEngine) {
  EngineRig r;
  Engine& wave = r.Show(Id(EngineTypeId::BasicWave), {0});
  wave.slots[0].gain = 0.5f;
  wave.slots[0].rootOrRate.i = 4850;
  wave.F[0] = 0.29f;  // shows 29, not 28
  r.Redraw(kEngineEditor);
  // The parameter's maximum at the top.
  const ValueControl& parameter = r.P(kEngineEditor).valueControls[0];
  EXPECT_EQ(std::tuple(r.SlotControl(0, E::Gain).value, r.SlotControl(0, E::RootPitch).value, parameter.value,
                       parameter.start), std::tuple(50, 4850, 29, 100));
  r.ClickSlot(0, E::Loop);
  EXPECT_EQ(std::pair(wave.slots[0].looped, r.B(kEngineEditor, E::SlotButtonIndex(0, E::Loop)).style),
            std::pair(1u, ButtonStyle::ToggleOn));
  r.ClickSlot(0, E::GainDown);
  EXPECT_FLOAT_EQ(wave.slots[0].gain, 0.49f);
  r.ClickSlot(0, E::RootDown);
  EXPECT_EQ(wave.slots[0].rootOrRate.i, 3650);
  r.ClickButton(kEngineEditor, E::ParameterDown);
  EXPECT_FLOAT_EQ(wave.F[0], 0.28f);
  r.ClickSlot(0, E::Name);
  EXPECT_TRUE(IsNameEditTarget(r.ui.ui, kEngineEditor, E::SlotButtonIndex(0, E::Name)));
  EndTextEntry(r.app());
  r.ClickSlot(0, E::Clear);
  EXPECT_EQ(r.SlotButtons(0), std::set<int32_t>{E::LoadWave});

  // Modulator periods: milliseconds at 44100 Hz, or ticks with tempo sync.
  Engine& mod = r.Show(Id(EngineTypeId::AmplitudeModulation), {0});
  mod.slots[0].length = 22050;
  mod.slots[0].rootOrRate.f = 0.05f;
  r.Redraw(kEngineEditor);
  EXPECT_EQ(r.SlotControl(0, E::Period).value, 10000);
  r.SlotControl(0, E::Period).value = 96;
  r.ClickSlot(0, E::Sync);
  EXPECT_EQ(std::pair(mod.slots[0].tempoSync, r.SlotControl(0, E::Period).value), std::pair(1u, 96));

  // Options with choices step and wrap; options without toggle.
  Engine& arp = r.Show(Id(EngineTypeId::Arpeggiator), {});
  arp.options = {3, 0, 0, 0};
  r.Redraw(kEngineEditor);
  EXPECT_STREQ(r.B(kEngineEditor, E::FirstOption).text, "5 Tones");
  r.ClickButton(kEngineEditor, E::FirstOption);
  r.ClickButton(kEngineEditor, E::FirstOption + 1);
  const Button& choice = r.B(kEngineEditor, E::FirstOption);
  EXPECT_EQ(std::tuple(arp.options[0].Load(), arp.options[1].Load(), std::string(choice.text),
                       r.B(kEngineEditor, E::FirstOption + 1).style),
            std::tuple(0u, 1u, std::string("2 Tones"), ButtonStyle::ToggleOn));
}

TEST(EngineTypeListPanel, ListsTheTypesOfTheEditedChainLevel) {
  struct Case { ChainMode mode; int32_t track; uint32_t levelBit; int32_t levelCaption; };
  const Case cases[] = {
      {ChainMode::Program, 0, kLevelProgram, 106}, {ChainMode::Track, 0, kLevelSong, 104},
      {ChainMode::Track, 1, kLevelTrack, 105},
  };
  for (const Case& c : cases) {
    EngineRig r;
    r.app().chainEditor.chainMode = c.mode;
    r.app().song.currentTrack = c.track;
    r.Redraw(kEngineTypes);
    const TypeList& list = EngineTypesFor(r.app());
    for (uint32_t i = 0; i < list.count; ++i) EXPECT_NE(r.app().catalog[list.types[i]].levelFlags & c.levelBit, 0u);
    EXPECT_EQ(r.P(kEngineTypes).labels[T::Level].caption, c.levelCaption);
    EXPECT_STREQ(r.B(kEngineTypes, T::FirstRow + 8).text, r.app().catalog[list.types[8]].name.data());
    EXPECT_EQ(r.P(kEngineTypes).valueControls[T::ListSlider].end, static_cast<int32_t>(list.count) - 1);

    // A row selects its type; the slider's arrow keeps the selection among the nine rows.
    r.ClickButton(kEngineTypes, T::FirstRow + 8);
    EXPECT_EQ(r.app().song.selectedEngineType, 8);
    EXPECT_EQ(std::pair(r.B(kEngineTypes, T::FirstRow + 8).style, r.B(kEngineTypes, T::FirstRow + 7).style),
              std::pair(ButtonStyle::Push, ButtonStyle::ListRow));
    r.ClickButton(kEngineTypes, T::ListDown);
    EXPECT_EQ(std::pair(r.app().song.selectedEngineType, r.app().song.engineListScroll), std::pair(9, 1));
  }
}

// Program list buttons.
constexpr int32_t kNew = 0, kDelete = 1, kCopy = 2, kLoad = 3, kSave = 4, kRow0 = 5, kUp = 14, kDown = 15;

// The program list and the program editor as the list grows, shrinks and scrolls under the mouse.
TEST(ProgramPanels, ListAndEditorFollowThePrograms) {
  // presses: program list buttons; the visible rows show "Program <n>" for n in [first, first + rows).
  struct Case { int programs; std::vector<int32_t> presses; bool answerYes;
                int32_t count, current, scroll, first, rows; };
  const Case cases[] = {
      {0, {}, false, 0, 0, 0, 0, 0}, {0, {kNew}, false, 1, 0, 0, 0, 1},
      {1, {kNew}, false, 2, 1, 0, 0, 2},  // New makes the new program current
      {2, {kDelete}, true, 1, 0, 0, 1, 1}, {2, {kDelete}, false, 2, 0, 0, 0, 2}, {1, {kDelete}, true, 0, -1, 0, 0, 0},
      {12, {kRow0 + 3}, false, 12, 3, 0, 0, 9},
      // The down arrow steps the list slider and the current program with it; the rows follow from the ninth.
      {12, std::vector<int32_t>(10, kDown), false, 12, 10, 2, 2, 9},
      {12, {kDown, kDown, kUp}, false, 12, 1, 0, 0, 9},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.programs) + " programs, " + std::to_string(c.presses.size()) + " presses");
    AppPanelsRig rig(c.programs);
    if (c.answerYes) rig.song.dialogs.answers = {true};
    for (int32_t b : c.presses) rig.Press(kProgramList, b);
    const Song& song = rig.app().song;
    EXPECT_EQ(std::tuple(ProgramCount(song), song.currentProgram, song.programListScroll),
              std::tuple(c.count, c.current, c.scroll));
    // Each row's name and whether it is marked current, or "-" when it is hidden.
    std::vector<std::string> rows, wanted;
    for (int32_t r = 0; r < kProgramListRows; ++r) {
      const Button& row = rig.B(kProgramList, kRow0 + r);
      const char* mark = row.style == ButtonStyle::Push ? " current" : row.style == ButtonStyle::ListRow ? "" : " ?";
      rows.push_back(rig.Shown(kProgramList, kRow0 + r) ? row.text + std::string(mark) : "-");
      const std::string name = "Program " + std::to_string(c.first + r);
      wanted.push_back(r >= c.rows ? "-" : name + (c.scroll + r == c.current ? " current" : ""));
    }
    EXPECT_EQ(rows, wanted);
    // New and Load always; the rest only with a program; the slider and its arrows only with two.
    const std::vector<int32_t> always{kNew, kLoad}, all{kNew, kDelete, kCopy, kLoad, kSave};
    EXPECT_EQ(rig.ShownButtons(kProgramList, kNew, kRow0), c.count >= 1 ? all : always);
    EXPECT_EQ(rig.P(kProgramList).labels[0].enabled != 0, c.count >= 1);
    const ValueControl& slider = rig.P(kProgramList).valueControls[0];
    EXPECT_EQ(rig.ControlShown(kProgramList, 0), c.count >= 2);
    const std::vector<int32_t> arrows{kUp, kDown};
    EXPECT_EQ(rig.ShownButtons(kProgramList, kUp, kDown + 1), c.count >= 2 ? arrows : std::vector<int32_t>{});
    if (c.count >= 2) {
      EXPECT_EQ(std::pair(slider.end, slider.value), std::pair(c.count - 1, c.current));
    }
    // With no program the editor shows nothing at all: its name field is not even drawn.
    const Point inField{rig.B(kProgramEditor, 0).rect.left + 2, rig.B(kProgramEditor, 0).rect.top + 2};
    EXPECT_EQ(rig.ui.ScreenAt(kProgramEditor, inField) == rig.ui.DeckAt(kProgramEditor, inField), c.count == 0);
    if (c.count >= 1) {
      EXPECT_STREQ(rig.B(kProgramEditor, 0).text, song.programs[c.current]->name.data());
    }
  }
  AppPanelsRig copy(3);  // Copy adds a copy under its source's name; the source stays current
  copy.Press(kProgramList, kRow0 + 2), copy.Press(kProgramList, kCopy);
  EXPECT_EQ(std::tuple(ProgramCount(copy.app().song), copy.app().song.currentProgram), std::tuple(4, 2));
  EXPECT_STREQ(copy.B(kProgramList, kRow0 + 3).text, "Program 2");
}

// A double click on the program's Level knob types its number: the knob shows the keys, and Enter sets the level.
TEST(ProgramPanels, TheLevelTakesATypedNumber) {
  AppPanelsRig rig(1);
  rig.ui.ClickAt(rig.KnobMiddle(kProgramEditor, 1), false, 2);  // the Level knob
  rig.Type("35");
  EXPECT_EQ(rig.ui.ui.links.entryText(), "35|");
  rig.Type("\r");
  EXPECT_FLOAT_EQ(rig.app().song.programs[0]->level, 0.35f);
}

constexpr uint32_t kReverb = Id(EngineTypeId::BasicReverb);  // allowed in every chain

// Which of a chain panel's engine operations (Copy, Paste, Up, Down from `first`) are shown.
std::string Operations(AppPanelsRig& rig, int32_t panel, int32_t first) {
  std::string shown;
  for (int32_t b = first; b < first + 4; ++b) shown += rig.Shown(panel, b) ? '1' : '0';
  return shown;
}

// The track, program and song panels worked through one session: the chain buttons pick the chain being
// edited, the engine operations follow it and the clipboard, the controls set the track and the song, and the
// track and song panels replace each other as the current track changes sides.
TEST(ChainPanels, ChainsTrackAndSongSettingsUnderTheMouse) {
  AppPanelsRig rig(1, 3);
  rig.app().song.currentTrack = 1;
  rig.song.SetTrackType(2, kReverb);
  rig.app().chainEditor = {ChainMode::Program, 0};
  Track& track = rig.song.TrackNo(1);

  rig.Press(kCentre, 0);  // the song layout: the program's chain is still the one edited
  EXPECT_EQ(Operations(rig, kTrackChain, 5), "0000");
  EXPECT_EQ(rig.P(kTrackChain).labels[3].enabled, 0u);

  rig.Press(kTrackChain, 15 + 2);  // the track chain's position 2
  EXPECT_EQ(std::pair(rig.app().chainEditor.chainMode, rig.app().chainEditor.selectedPosition),
            std::pair(ChainMode::Track, 2));
  for (int32_t p = 0; p < kChainLength; ++p)
    EXPECT_EQ(rig.B(kTrackChain, 15 + p).style, p == 2 ? ButtonStyle::Push : ButtonStyle::ListRow) << p;
  EXPECT_EQ(Operations(rig, kTrackChain, 5), "1011");  // nothing to paste yet

  rig.Press(kTrackChain, 5), rig.Press(kTrackChain, 8);  // copy the engine, move it down
  EXPECT_EQ(std::pair(std::string(rig.B(kTrackChain, 15 + 3).text), rig.B(kTrackChain, 15 + 3).style),
            std::pair(std::string(rig.app().catalog[kReverb].abbreviation.data()), ButtonStyle::Push));

  for (int32_t button : {1, 14, 11}) rig.Press(kTrackChain, button);  // switch off, level down, pan up a step
  EXPECT_STREQ(rig.B(kTrackChain, 0).text, track.name.data());
  EXPECT_EQ(std::tuple(track.muteState, rig.B(kTrackChain, 1).style, track.pan),
            std::tuple(2u, ButtonStyle::ToggleOn, 101));
  EXPECT_FLOAT_EQ(track.level, 0.99f);

  rig.Toggle(kProgramEditor);
  EXPECT_EQ(Operations(rig, kProgramEditor, 4), "0000");
  rig.Press(kProgramEditor, 12 + 1), rig.Press(kProgramEditor, 5);  // the program chain's position 1, paste
  EXPECT_EQ(rig.song.ProgramEngine(0, 1).type, kReverb);
  EXPECT_EQ(Operations(rig, kProgramEditor, 4), "1111");

  // Back to the track, then the GlobalTrack becomes current: the song panel; the track toggle gives it back.
  rig.Toggle(kTrackChain), SelectTrack(rig.app(), 0), rig.Redraw();
  EXPECT_TRUE(rig.Open(kSongChain) && !rig.Open(kTrackChain));
  rig.Toggle(kProgramEditor), rig.Toggle(kTrackChain);
  EXPECT_TRUE(rig.Open(kSongChain) && !rig.Open(kProgramEditor) && !rig.Open(kTrackChain));

  rig.Press(kSongChain, 21);  // the song chain's position 0: the reverb may be pasted there
  EXPECT_EQ(Operations(rig, kSongChain, 5), "1111");

  // 22050 Hz, high priority, one more beat per bar, song level down.
  for (int32_t button : {16, 20, 9, 14}) rig.Press(kSongChain, button);
  EXPECT_EQ(std::tuple(rig.app().rate.sampleRate, rig.app().playback.highPriority, rig.app().song.beatsPerBar),
            std::tuple(22050, 1u, 9));
  EXPECT_EQ(std::pair(rig.B(kSongChain, 16).style, rig.B(kSongChain, 20).style),
            std::pair(ButtonStyle::ToggleOn, ButtonStyle::ToggleOn));
  EXPECT_FLOAT_EQ(rig.app().song.songLevel, 0.99f);

  rig.Press(kCentre, 1);  // the program layout closes the song panel
  EXPECT_TRUE(rig.Open(kProgramEditor) && !rig.Open(kSongChain) && !rig.Open(kTrackChain));
}

constexpr int32_t kQuality = 0, kFirstRate = 1, kRenderButton = 4, kStop = 6, kFirstLine = 3;

std::string Lines(AppPanelsRig& rig) {
  std::string all;
  for (int i = 0; i < 3; ++i) all += std::string(rig.P(kRender).labels[kFirstLine + i].text) + (i < 2 ? ", " : "");
  return all;
}

// The render panel under the mouse: the quality and rate buttons show what they set, a render without an End
// is refused, and a real render's statistics reach the panel once the idle step has stopped its worker.
TEST(RenderPanel, QualityRatesRenderAndItsStatistics) {
  AppPanelsRig rig;
  rig.Toggle(kRender);
  ASSERT_TRUE(rig.Open(kRender) && !rig.Open(kProgramList));
  EXPECT_EQ(Lines(rig), "Samples Rendered 0, Samples Clipped 0, Percent Clipped 0.00");

  struct Case { int32_t press; uint32_t quality; int32_t caption; int32_t rate; };
  const Case cases[] = {
      {-1, 0, 96, 44100}, {kQuality, 1, 97, 44100}, {kFirstRate, 1, 97, 11025},
      {kFirstRate + 1, 1, 97, 22050}, {kQuality, 0, 96, 22050}, {kFirstRate + 2, 0, 96, 44100},
  };
  for (const Case& c : cases) {
    if (c.press >= 0) rig.Press(kRender, c.press);
    EXPECT_EQ(std::tuple(rig.app().render.quality, rig.B(kRender, kQuality).captionOrValue, rig.app().rate.sampleRate),
              std::tuple(c.quality, c.caption, c.rate)) << c.press;
    for (int32_t i = 0; i < 3; ++i)
      EXPECT_EQ(rig.B(kRender, kFirstRate + i).style,
                rig.app().rate.sampleRate == (11025 << i) ? ButtonStyle::ToggleOn : ButtonStyle::ToggleOff);
  }

  // One beat of song to its End, rendered by the worker; the main loop's idle step stops it.
  rig.song.Add(0, {{48, Type(EventType::End), 0, 0}});
  rig.song.dialogs.paths = {::testing::TempDir() + "render_panel.wav"};
  rig.Press(kRender, kRenderButton);
  ASSERT_TRUE(WaitFor([&] { return rig.app().playback.songEndReached.load() == 1; }));
  ASSERT_TRUE(WaitFor([&] { return rig.app().playback.workerRunning.load() == 0; }));
  // The worker only asked for the redraw; the main loop's pass draws its progress.
  rig.Redraw();
  EXPECT_EQ(Lines(rig), "Last Beat Rendered 0:1, Samples Clipped 0, Percent Complete 100");
  rig.Press(kRender, kStop);
  EXPECT_TRUE(IsPlaybackIdle(rig.app()));
  EXPECT_EQ(rig.song.dialogs.shown.back().caption, "Rendering Complete");
  // One beat at 120 beats per minute: 22050 frames of two channels at 44100 Hz.
  EXPECT_EQ(Lines(rig), "Samples Rendered 44100, Samples Clipped 0, Percent Clipped 0.00");
}

// A point of a place, `right` pixels in from its left and 2 down.
Point Near(Rect place, int32_t right) { return {place.left + right, place.top + 2}; }

// Whatever is pressed while a program's name is typed ends the edit first, keeps what was typed, and then acts.
// While it is typed, the name shows in the editor's field and in the program's list row.
TEST(NameEdit, APressAnywhereEndsTheEditFirstAndThenActs) {
  using Place = std::function<Point(AppPanelsRig&, const PanelWindow&)>;
  const Place newProgram = [](AppPanelsRig& r, const PanelWindow&) {
    return r.Middle(kProgramList, r.B(kProgramList, kNew).rect);
  };
  // programs: how many there are afterwards, New having acted or not.
  struct Case { const char* name; Place place; bool right; int32_t programs; bool editorOpen; };
  const Case cases[] = {
      {"control", newProgram, false, 2, true},
      {"right press on a control", newProgram, true, 2, true},
      {"close box", [](AppPanelsRig&, const PanelWindow& e) { return Near(CloseBox(e), 2); }, false, 1, false},
      {"title bar", [](AppPanelsRig&, const PanelWindow& e) { return Near(TitleBar(e), 20); }, false, 1, true},
      {"desktop, where the engine editor was", [](AppPanelsRig& r, const PanelWindow&) {
         ClosePanel(r.ui.ui, kEngineEditor);
         return Point{799, 559};
       }, false, 1, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    AppPanelsRig rig(1);
    rig.Press(kProgramEditor, 0);
    rig.Type("Pad");
    const Button& row = rig.B(kProgramList, kRow0);
    EXPECT_EQ(std::pair(std::string(row.text), row.style), std::pair(std::string("Pad|"), ButtonStyle::Editing));
    rig.ui.ClickAt(c.place(rig, rig.P(kProgramEditor)), c.right);
    rig.Redraw();
    // The edit ended with the typed name kept, and then the press acted.
    EXPECT_EQ(std::tuple(IsTextEntryActive(rig.app()), rig.B(kProgramEditor, 0).style,
                         std::string(rig.app().song.programs[0]->name.data()), std::string(row.text)),
              std::tuple(false, ButtonStyle::Push, std::string("Pad"), std::string("Pad")));
    if (c.editorOpen) {
      EXPECT_STREQ(rig.B(kProgramEditor, 0).text, CurrentProgram(rig.app())->name.data());
    }
    EXPECT_EQ(std::pair(ProgramCount(rig.app().song), rig.Open(kProgramEditor)), std::pair(c.programs, c.editorOpen));
  }
}

TEST(SkinCommands, AnUnusableFileSaysInvalidFileAndKeepsThePicture) {
  AppPanelsRig n;
  FakeDialogs& dialogs = n.song.dialogs;
  Pixels replacement(kDeckWidth, kDeckHeight, 0x224466);
  dialogs.paths = {WriteTempFile("not_a_bitmap.bmp", {'B', 'M', 1, 2, 3}),
                   WriteTempFile("good_deck.bmp", BmpBytes(replacement)), std::nullopt};
  const Pixels before = n.ui.ui.skins.deck;
  SelectDeckFile(n.ui.ui, n.app());
  EXPECT_EQ(n.song.Headlines(), std::vector<std::string>{"Invalid File"});
  EXPECT_EQ(dialogs.shown.back().caption, "Error");
  EXPECT_EQ(n.ui.ui.skins.deck.data, before.data);
  SelectDeckFile(n.ui.ui, n.app());
  EXPECT_EQ(n.ui.ScreenAt(kProgramList, {100, 150}), 0x224466u);  // every panel drawn again
  SelectSkinFile(n.ui.ui, n.app());                             // cancelled: nothing said
  EXPECT_EQ(dialogs.shown.size(), 1u);
  EXPECT_EQ(dialogs.requests[0].filters[0].pattern, "*.bmp");
}

}  // namespace
}  // namespace tonforge
