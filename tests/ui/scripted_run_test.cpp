// The synthesizer worked as a person works it, through the window messages with no display: the mouse at the
// screen places of the real controls, the computer keyboard through the idle step.
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <numeric>
#include <string_view>

#include "app/run.h"
#include "sequencer/keyboard_commands.h"
#include "support/app_panels_rig.h"
#include "support/play_rig.h"
#include "ui/name_edit.h"
#include "ui/panels/engine_editor.h"
#include "ui/panels/engine_types.h"
#include "ui/panels/event_list.h"
#include "ui/panels/track_list.h"
#include "tool_paths.h"

namespace tonforge {
namespace {

using testing::AppPanelsRig;
using testing::Type;
namespace Tracks = TrackListControl;
namespace Events = EventListControl;
namespace Types = EngineTypeListControl;
namespace Engine = EngineEditorControl;

using namespace testing::panels;
constexpr int32_t kNewProgram = 0;                   // program list
constexpr int32_t kFirstChainPosition = 12;          // program editor
constexpr int32_t kRenderStart = 4;                 // render panel
constexpr int32_t kLoadSong = 1, kSaveSong = 2;      // song panel
constexpr int32_t kSongLayout = 0;                   // control centre

// The keyboard the idle step reads.
struct Keys {
  explicit Keys(AppState& app) : handler(keyboard, shell, ProgramKeyboardHooks(app)) {}
  // One key down for a pass of the main loop, then up for another.
  void Tap(AppPanelsRig& rig, uint8_t code) {
    for (const bool down : {true, false}) {
      down ? keyboard.Hold({code}) : keyboard.Hold({});
      RunIdleStep(rig.app(), handler);
      rig.Redraw();
    }
  }
  testing::FakeKeyboard keyboard;
  testing::FakeShell shell;
  KeyboardHandler handler;
};

// Steps down the engine type list until the named type shows in a row, picks it and sets it.
void SetTypeByName(AppPanelsRig& rig, std::string_view name) {
  for (int step = 0; step < 48; ++step) {
    for (int32_t r = 0; r < 9; ++r)
      if (rig.Shown(kEngineTypes, Types::FirstRow + r) && name == rig.B(kEngineTypes, Types::FirstRow + r).text) {
        rig.Press(kEngineTypes, Types::FirstRow + r);
        rig.Press(kEngineTypes, Types::SetType);
        return;
      }
    rig.Press(kEngineTypes, Types::ListDown);
  }
  FAIL() << name << " never showed in the engine type list";
}

// Waits for the render's End, then lets the idle step stop the worker and finish the file.
void FinishRender(AppPanelsRig& rig, Keys& keys) {
  ASSERT_TRUE(testing::WaitFor([&] { return rig.app().playback.songEndReached.load() == 1; }));
  RunIdleStep(rig.app(), keys.handler);
  rig.Redraw();
  ASSERT_TRUE(IsPlaybackIdle(rig.app()));
  EXPECT_EQ(rig.song.dialogs.shown.back().caption, "Rendering Complete");
}

// A first song from nothing: a saw through a low pass filter whose cutoff is dragged, three notes recorded
// from the keyboard, an End put in with the event list, rendered, saved, loaded and rendered again. Both
// renders are byte for byte what the headless renderer makes of the saved song.
TEST(ScriptedRun, FirstSongRendersAsTheHeadlessRendererRendersItsFile) {
  testing::TempDir dir;
  AppPanelsRig rig;
  StartCore(rig.app(), dir.Root());  // the tables and folders, as at start-up
  Keys keys(rig.app());

  rig.Press(kProgramList, kNewProgram);
  rig.Press(kProgramEditor, kFirstChainPosition);
  SetTypeByName(rig, "Up Saw Generator");
  rig.Press(kProgramEditor, kFirstChainPosition + 1);
  SetTypeByName(rig, "Low Pass Filter");
  ASSERT_EQ(rig.song.ProgramEngine(0, 0).type, testing::Id(EngineTypeId::UpSawGenerator));
  ASSERT_EQ(rig.P(kEngineEditor).title, "Low Pass Filter");
  int32_t cutoff = 0;
  while (cutoff < kParameterCount && std::string_view(rig.P(kEngineEditor).labels[cutoff].text) != "Cutoff") ++cutoff;
  ASSERT_LT(cutoff, kParameterCount);
  rig.Drag(kEngineEditor, cutoff, {0, 24});

  // A track, snap, record, three notes and a note-off.
  rig.Press(kCentre, kSongLayout);
  rig.Press(kTrackList, Tracks::NewTrack);
  rig.Click(rig.ui.Screen(kTrackList, rig.ViewPoint(1, 0)));
  rig.Press(kTrackList, Tracks::Snap);
  rig.Press(kTrackList, Tracks::EditMode);
  const int32_t step = rig.app().editor.snapStep;
  for (uint8_t code : {key::Z, key::C, key::B, key::Add}) keys.Tap(rig, code);
  const int32_t noteOn = Type(EventType::NoteOn);
  EXPECT_EQ(rig.song.Events(1), (std::vector<testing::EventRow>{{0, noteOn, NoteKeyPitch(key::Z), 0},
                                                                {step, noteOn, NoteKeyPitch(key::C), 0},
                                                                {2 * step, noteOn, NoteKeyPitch(key::B), 0},
                                                                {3 * step, Type(EventType::NoteOff), 0, 0}}));

  // The song's End two beats in: the GlobalTrack's row and the tick picked in the song view, a new event
  // turned into an End in the event list.
  const int32_t endTick = 2 * rig.app().song.ticksPerBeat;
  rig.Click(rig.ui.Screen(kTrackList, rig.ViewPoint(0, endTick)));
  rig.Press(kEventList, Events::Add);
  const auto timeShows = [&](int32_t row, int32_t tick) {
    const int32_t time = Events::FieldIndex(row, Events::Time);
    return rig.Shown(kEventList, time) && rig.B(kEventList, time).captionOrValue == tick;
  };
  int32_t row = 0;
  while (row < kEventListRowCount && !timeShows(row, endTick)) ++row;
  ASSERT_LT(row, kEventListRowCount);
  const int32_t kind = Events::FieldIndex(row, Events::Kind);
  const int32_t endCaption = 112 + Type(EventType::End);  // the kind captions start at 112
  for (int press = 0; press < 40 && rig.B(kEventList, kind).captionOrValue != endCaption; ++press)
    rig.Press(kEventList, kind);
  EXPECT_EQ(rig.song.Events(0).back(), (testing::EventRow{endTick, Type(EventType::End), 0, 0}));

  // Back to the start with the cursor slider, then Render, Save Song, Load Song and Render.
  rig.Drag(kTrackList, Tracks::CursorSlider, {-400, 0});
  ASSERT_EQ(rig.app().editCursor, 0);
  rig.Toggle(kRender);
  // The render's file, the song saved and loaded, the second render's file.
  const std::string song = dir.File("first.tes");
  rig.song.dialogs.paths = {dir.File("first.wav"), song, song, dir.File("second.wav")};
  rig.Press(kRender, kRenderStart);
  FinishRender(rig, keys);
  rig.Press(kSongChain, kSaveSong);
  rig.Press(kSongChain, kLoadSong);
  rig.Press(kRender, kRenderStart);
  FinishRender(rig, keys);

  const std::string tool = "cd '" + dir.Root() + "' && '" TONFORGE_RENDER_TOOL "' first.tes tool.wav >/dev/null";
  ASSERT_EQ(std::system(tool.c_str()), 0);
  const std::vector<uint8_t> expected = testing::ReadBytes(dir.File("tool.wav"));
  EXPECT_EQ(testing::FirstDifference(testing::ReadBytes(dir.File("first.wav")), expected), -1);
  EXPECT_EQ(testing::FirstDifference(testing::ReadBytes(dir.File("second.wav")), expected), -1);
  EXPECT_EQ(rig.song.Messages().size(), 2u) << "only the two Rendering Complete boxes";
}

// Every panel at a place of its own on a screen that holds them all.
constexpr int32_t kWideScreen = 1344, kTallScreen = 1008;
constexpr std::array<Point, kPanelCount> kSpread{{
    {0, 0}, {0, 112}, {0, 336}, {256, 0}, {256, 144}, {0, 560}, {256, 288}, {256, 432}, {800, 0}, {0, 784}}};

// With the demo song and every panel open, each control that is shown is clicked once in its middle (value
// controls are dragged a little), every question answered No and every file dialog cancelled. Nothing may
// crash, every control lies inside its panel's client area, and every drawing lands inside a panel.
TEST(ScriptedRun, EveryShownControlOfEveryPanelClickedOnceWithTheDemoSong) {
  AppPanelsRig rig;
  StartCore(rig.app(), TONFORGE_SOURCE_DIR "/app");
  Keys keys(rig.app());
  ASSERT_EQ(LoadSongFile(rig.app(), TONFORGE_SOURCE_DIR "/app/Songs/Demo.tes"), SongFileResult::Done);
  Ui& ui = rig.ui.ui;
  ui.screen = Pixels(kWideScreen, kTallScreen, kDesktopColour);
  for (int32_t p = 0; p < kPanelCount; ++p)
    std::tie(ui.panels[p].left, ui.panels[p].top) = std::pair(kSpread[p].x, kSpread[p].y);
  ui.splash = false;
  DrawAll(ui);

  const auto insidePanel = [&](Rect r) {
    const auto holds = [r](const PanelWindow& p) { return Intersect(PanelFrame(p), r) == r; };
    return std::any_of(ui.panels.begin(), ui.panels.end(), holds);
  };
  // The track panel stands for a normal track, the song panel for the GlobalTrack: the one that does not
  // apply stays closed.
  const auto openAll = [&](int32_t panel) {
    Song& song = rig.app().song;
    if (panel == kSongChain) song.currentTrack = 0;
    if (panel == kTrackChain && song.currentTrack == 0) song.currentTrack = 1;
    rig.Redraw();
    for (int32_t p = 0; p < kPanelCount; ++p)
      if (p != (song.currentTrack == 0 ? kTrackChain : kSongChain)) OpenPanel(ui, p);
    rig.Redraw();
    ui.changed.clear();
  };
  std::vector<std::string> faults;
  int clicks = 0;
  const auto check = [&](int32_t panel, const std::string& control, Rect place) {
    const std::string what = "panel " + std::to_string(panel) + " " + control;
    const PanelWindow& p = ui.panels[panel];
    const Rect client{p.clientOffset.x, p.clientOffset.y, p.width - kFrameBorder, p.height - kFrameBorder};
    if (Intersect(client, place) != place) faults.push_back(what + " lies outside");
    // A name or value being typed ends with Enter.
    if (ui.links.nameEditActive()) keys.Tap(rig, key::Return);
    if (ui.links.nameEditActive()) faults.push_back(what + " left a name edit");
    rig.Redraw();
    ++clicks;
    for (const Rect& r : ui.changed)
      if (!insidePanel(r)) faults.push_back(what + " drew outside");
  };
  // Value controls first, then the buttons; a DataSlot's Clear last, as the slot's other controls go with it.
  const auto walk = [&](int32_t panel) {
    for (size_t c = 0; c < rig.P(panel).valueControls.size(); ++c) {
      openAll(panel);
      const ValueControl v = rig.P(panel).valueControls[c];
      if (!(v.flags & ValueFlag::Enabled)) continue;
      rig.Drag(panel, static_cast<int32_t>(c), {3, 3});
      const bool vertical = (v.flags & ValueFlag::Vertical) != 0;
      const Rect track{v.x, v.y, v.x + (vertical ? v.knob.Width() : v.length),
                       v.y + (vertical ? v.length : v.knob.Height())};
      check(panel, "value control " + std::to_string(c), track);
    }
    std::vector<int32_t> order(rig.P(panel).buttons.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_partition(order.begin(), order.end(), [panel](int32_t b) {
      return !(panel == kEngineEditor && b >= Engine::FirstSlotButton &&
               (b - Engine::FirstSlotButton) % Engine::SlotButtonCount == Engine::Clear);
    });
    for (int32_t b : order) {
      openAll(panel);
      const Button button = rig.B(panel, b);
      if (!(button.flags & ButtonFlag::Enabled)) continue;
      rig.Click(rig.Middle(panel, button.rect));
      check(panel, "button " + std::to_string(b), button.rect);
    }
  };
  for (int32_t panel = 0; panel < kPanelCount; ++panel) {
    if (panel != kEngineEditor) {
      walk(panel);
      continue;
    }
    // The engine editor twice: on the drum kit's four waves and on the pad's chorus with its two modulators.
    for (const auto& [programName, position] : {std::pair{"Drum Kit", 0}, std::pair{"Warm Pad", 4}}) {
      const std::string_view name = programName;  // clang before 16 cannot capture a structured binding
      const auto& programs = rig.app().song.programs;
      const auto found = std::find_if(programs.begin(), programs.end(),
                                      [name](const auto& p) { return std::string_view(p->name.data()) == name; });
      ASSERT_NE(found, programs.end()) << name;
      SelectProgram(rig.app(), static_cast<int32_t>(found - programs.begin()));
      rig.app().chainEditor = {ChainMode::Program, position};
      rig.app().changes.ReportAll();
      walk(kEngineEditor);
    }
  }
  StopPlayback(rig.app());
  EXPECT_EQ(faults, std::vector<std::string>{});
  EXPECT_GT(clicks, 250);
  for (int32_t y = 0; y < kTallScreen; ++y)
    for (int32_t x = 0; x < kWideScreen; ++x)
      if (!insidePanel({x, y, x + 1, y + 1})) {
        ASSERT_EQ(ui.screen.At(x, y), kDesktopColour) << x << ", " << y;
      }
}

}  // namespace
}  // namespace tonforge
