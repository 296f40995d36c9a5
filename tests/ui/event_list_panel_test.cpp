#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "sequencer/text_entry.h"
#include "sequencer/track_commands.h"
#include "support/panel_rig.h"
#include "ui/draw.h"
#include "ui/panels/event_list.h"

namespace tonforge {
namespace {

using testing::EventRow;
using testing::Id;
using testing::PanelRig;
using testing::Type;
namespace C = EventListControl;

constexpr int32_t kEventList = PanelIndex(Panel::EventList);

struct EventListRig : PanelRig {
  EventListRig() : PanelRig(1, 2) {
    BuildEventListPanel(UI(), App());
    song.SetProgramType(0, Id(EngineTypeId::BasicWave));
    song.SetTrackType(0, Id(EngineTypeId::LowPassFilter));
    App().song.currentTrack = 1;
    OpenPanel(UI(), kEventList);
  }
  Button& Field(int32_t row, C::Field f) { return B(kEventList, C::FieldIndex(row, f)); }
  // What a field shows, or "-" when it is hidden.
  std::string Shows(int32_t row, C::Field f) {
    return Shown(kEventList, C::FieldIndex(row, f)) ? ButtonText(UI(), Field(row, f)) : "-";
  }
};

TEST(EventListPanel, FieldsShowEachKindOfEvent) {
  EventListRig r;
  const int32_t programParameter = Type(EventType::ProgramEngineParameter);
  const int32_t trackParameter = Type(EventType::TrackEngineParameter);
  r.song.Add(1, {{0, programParameter, 0, 50},
                 {48, Type(EventType::NoteOn), 2450, 0},
                 {60, programParameter, 0, 40},
                 {70, trackParameter, 1, 10},
                 {80, Type(EventType::TrackVolume), 80, 0},
                 {90, Type(EventType::NoteOff), 0, 0},
                 {400, trackParameter, 7, 0}});
  r.TrackNo(1).selectedEvent = 1;
  r.Redraw(kEventList);
  struct Case {
    std::string time, valueA, valueB;
  };
  // The stand-in captions name only captions 1 to 4; the kind field's caption number is checked apart.
  const Case cases[] = {
      {"0:0", kResetText, "-"},  // a program parameter before any note can only restart its engine
      {"0:1", "C 2", "0"},
      {"0:1", "Wet", "40"},
      {"0:1", "Q", "10"},
      {"0:1", "80", "-"},
      {"0:1", "-", "-"},
      {"1:0", kResetText, "-"},
      {"-", "-", "-"},
  };
  for (int32_t row = 0; row < 8; ++row) {
    EXPECT_EQ(r.Shows(row, C::Time), cases[row].time) << row;
    EXPECT_EQ(r.Shows(row, C::ValueA), cases[row].valueA) << row;
    EXPECT_EQ(r.Shows(row, C::ValueB), cases[row].valueB) << row;
  }
  EXPECT_EQ(r.song.Events(1)[0], (EventRow{0, programParameter, kResetParameter, 0}));
  EXPECT_EQ(r.Field(4, C::Kind).captionOrValue, 112 + Type(EventType::TrackVolume));
  EXPECT_EQ(r.Field(4, C::Kind).style, ButtonStyle::Field);
  EXPECT_EQ(r.Field(1, C::Time).style, ButtonStyle::Push);
  EXPECT_EQ(r.Field(2, C::Time).style, ButtonStyle::ListRow);
  EXPECT_FALSE(r.Shown(kEventList, C::FieldIndex(9, C::Time)));
}

TEST(EventListPanel, ControlsFollowTheNumberOfEvents) {
  for (int32_t events : {0, 1, 2, 12}) {
    EventListRig r;
    for (int32_t i = 0; i < events; ++i) r.song.Add(1, {{10 * i, Type(EventType::TrackPan), 100, 0}});
    r.Redraw(kEventList);
    EXPECT_TRUE(r.Shown(kEventList, C::Add)) << events;
    for (int32_t b = C::Delete; b <= C::TransposeDown; ++b) EXPECT_EQ(r.Shown(kEventList, b), events > 0) << events;
    EXPECT_EQ(r.ControlShown(kEventList, C::ListSlider), events >= 2) << events;
    EXPECT_EQ(r.Shown(kEventList, C::ListDown), events >= 2) << events;
    if (events >= 2) {
      EXPECT_EQ(r.P(kEventList).valueControls[C::ListSlider].end, events - 1);
    }
    EXPECT_EQ(r.P(kEventList).labels[C::TrackName].enabled, events > 0 ? 1u : 0u);
    EXPECT_EQ(r.Shown(kEventList, C::FieldIndex(std::min(events, kEventListRowCount) - 1, C::Time)), events > 0);
  }
}

TEST(EventListPanel, FieldsSelectRetypeAndEditTheirEvent) {
  EventListRig r;
  r.App().editCursor = 30;
  r.ClickButton(kEventList, C::Add);
  EXPECT_EQ(r.song.Events(1), (std::vector<EventRow>{{30, 0, 0, 0}}));
  r.song.Add(1, {{96, Type(EventType::TrackVolume), 100, 0}});
  r.Redraw(kEventList);

  r.ClickButton(kEventList, C::FieldIndex(1, C::Time));
  EXPECT_EQ(r.TrackNo(1).selectedEvent, 1);
  EXPECT_EQ(r.App().editCursor, 96);
  EXPECT_EQ(r.Field(1, C::Time).style, ButtonStyle::Push);

  r.ClickButton(kEventList, C::FieldIndex(0, C::Kind));
  EXPECT_EQ(r.song.Events(1)[0][1], Type(EventType::NoteOff));

  // A typed value shows in its field while it is typed and lands in the event at Enter.
  r.ClickButton(kEventList, C::FieldIndex(1, C::ValueA));
  EXPECT_EQ(r.Field(1, C::ValueA).style, ButtonStyle::Editing);
  for (char c : std::string("55")) TypeTextEntryCharacter(r.App(), c);
  r.Redraw(kEventList);
  EXPECT_STREQ(r.Field(1, C::ValueA).text, "55|");
  TypeTextEntryCharacter(r.App(), kEnterCharacter);
  TakeRedraws(r.UI(), r.App().changes);
  EXPECT_EQ(r.song.Events(1)[1][2], 55);
  EXPECT_EQ(r.Shows(1, C::ValueA), "55");
  EXPECT_EQ(r.Field(1, C::ValueA).style, ButtonStyle::Push);

  // The list slider's arrow selects the next event.
  r.ClickButton(kEventList, C::ListUp);
  EXPECT_EQ(r.TrackNo(1).selectedEvent, 0);
  EXPECT_EQ(r.App().editCursor, 30);
}

// Changes made elsewhere reach the list: a renamed track, and times read again in new beats and bars.
TEST(EventListPanel, FollowsRenamesAndNewBeatFigures) {
  struct Case { const char* name; std::function<void(AppState&)> change; std::string trackName, time; };
  const Case cases[] = {
      {"unchanged", [](AppState&) {}, "", "0:2"},
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
    r.App().changes.Take();
    const std::string before = r.P(kEventList).labels[C::TrackName].text;
    c.change(r.App());
    TakeRedraws(r.UI(), r.App().changes);
    EXPECT_EQ(std::string(r.P(kEventList).labels[C::TrackName].text), c.trackName.empty() ? before : c.trackName)
        << c.name;
    EXPECT_EQ(r.Shows(0, C::Time), c.time) << c.name;
  }
}

}  // namespace
}  // namespace tonforge
