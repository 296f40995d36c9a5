#include <gtest/gtest.h>

#include "support/ui_rig.h"
#include "ui/pointer.h"

namespace tonforge {
namespace {

using testing::UiRig;

constexpr int32_t kEvents = PanelIndex(Panel::EventList);

TEST(ControlTexts, NoteNamesAndBarBeat) {
  const std::pair<int32_t, const char*> notes[] = {
      {4850, "C 4"}, {4950, "C#4"}, {5950, "B 4"}, {4800, "C 4-50"}, {4849, "C 4-01"}, {4851, "C 4+01"},
      {4899, "C 4+49"}, {2450, "C 2"}, {0, "C 0-50"}, {6099, "C 5+49"}, {1150, "B 0"},
  };
  for (const auto& [pitch, name] : notes) EXPECT_EQ(NoteName(pitch), name) << pitch;
  const BeatFigures beats{48, 8};
  EXPECT_EQ(BarBeatText(0, beats), "0:0");
  EXPECT_EQ(BarBeatText(47, beats), "0:0");
  EXPECT_EQ(BarBeatText(48 * 9 + 10, beats), "1:1");
  EXPECT_EQ(BarBeatText(96, {16, 2}), "3:0");
}

TEST(ValueControls, KnobAndValueArithmeticTruncates) {
  constexpr uint32_t H = ValueFlag::Enabled | ValueFlag::Horizontal | ValueFlag::StartIsLower;
  constexpr uint32_t V = ValueFlag::Enabled | ValueFlag::Vertical | ValueFlag::StartIsUpper;
  struct Case { uint32_t flags; int32_t length, start, end, offset, value; };
  const Case fromKnob[] = {
      {H, 64, 0, 100, 1, 6}, {H, 64, 0, 100, 16, 100}, {H, 64, 0, 100, 0, 0}, {H, 64, 0, 100, 7, 43},
      {V, 64, 100, -100, 24, 0}, {V, 64, 100, -100, 1, 96}, {V, 64, 100, -100, 47, -95}, {V, 64, 100, -100, 48, -100},
  };
  for (const Case& c : fromKnob) {
    ValueControl v = MakeValueControl(c.flags, 0, 0, c.length, c.start, c.end, c.start);
    v.knob = (c.flags & ValueFlag::Vertical) ? Rect{0, c.offset, 32, c.offset + 16} : Rect{c.offset, 0, c.offset + 48, 16};
    EXPECT_EQ(ValueFromKnob(v), c.value) << c.offset;
  }
  const Case toKnob[] = {
      {V, 64, 100, -100, 24, 0}, {H, 64, 0, 100, 0, 5}, {H, 64, 0, 100, 16, 100}, {V, 112, 100, 0, 96, 0},
      {V, 64, 100, -100, 0, 100}, {H, 112, 0, 99999, 0, 1562},
  };
  for (const Case& c : toKnob) {
    const ValueControl v = MakeValueControl(c.flags, 0, 0, c.length, c.start, c.end, c.value);
    const Rect want = (c.flags & ValueFlag::Vertical) ? Rect{0, c.offset, 32, c.offset + 16} : Rect{c.offset, 0, c.offset + 48, 16};
    EXPECT_EQ(v.knob, want) << c.value;
  }
  EXPECT_TRUE(MakeValueControl(H, 0, 0, 64, 5, 5, 5).knob.Empty());
}

// Step buttons worked with the mouse: left and right clicks on beat, octave and plain arrows.
TEST(StepButtons, BeatOctaveAndArrowsStepTheAttachedControl) {
  namespace F = ButtonFlag;
  constexpr uint32_t Lower = ValueFlag::StartIsLower, Upper = ValueFlag::StartIsUpper;
  struct Case { uint32_t buttonFlag; bool right; uint32_t bound; int32_t start, end, before, after; };
  const Case cases[] = {
      {F::BeatUp, false, Lower, 1, 10000, 1, 48},      {F::BeatUp, false, Lower, 1, 10000, 48, 96},
      {F::BeatDown, false, Lower, 1, 10000, 96, 48},   {F::BeatDown, false, Lower, 1, 10000, 48, 1},
      {F::BeatUp, false, Lower, 1, 100, 90, 100},      {F::BeatUp, true, Lower, 1, 10000, 48, 49},
      {F::BeatDown, true, Lower, 1, 10000, 48, 47},    {F::OctaveUp, false, Lower, 0, 6099, 4850, 6050},
      {F::OctaveUp, false, Lower, 0, 6099, 5000, 6099}, {F::OctaveDown, false, Lower, 0, 6099, 1000, 0},
      {F::OctaveDown, true, Lower, 0, 6099, 1000, 999}, {F::StepUp, false, Upper, 100, 0, 99, 100},
      {F::StepUp, false, Upper, 100, 0, 100, 100},     {F::StepDown, false, Upper, 100, 0, 1, 0},
      {F::StepDown, true, Upper, 100, 0, 50, 50},      {F::StepUp, true, Upper, 100, -100, 50, 50},
  };
  for (const Case& c : cases) {
    UiRig rig;
    PanelWindow& p = rig.ui.panels[kEvents];
    int calls = 0;
    int32_t seen = 0;
    AddValueControl(p, MakeValueControl(ValueFlag::Enabled | ValueFlag::Horizontal | c.bound, 16, 100, 200, c.start,
                                        c.end, c.before));
    Button b = MakeButton(0, {16, 40, 32, 56}, 0, ButtonStyle::Push, [&](uint32_t) {
      ++calls;
      seen = rig.ui.panels[kEvents].valueControls[0].value;
    });
    b.flags |= c.buttonFlag;
    AddButton(p, b);
    OpenPanel(rig.ui, kEvents);
    const Point at = rig.Client(kEvents, {24, 48});
    if (c.right) {
      RightPressPanel(rig.ui, kEvents, at);
      RightReleasePanel(rig.ui, kEvents, at);
    } else {
      PressPanel(rig.ui, kEvents, at);
      ReleasePanel(rig.ui, kEvents, at);
    }
    EXPECT_EQ(p.valueControls[0].value, c.after) << c.buttonFlag << (c.right ? " right" : " left") << " " << c.before;
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(seen, c.after);  // the handler reads the stepped value
    EXPECT_EQ(p.buttons[0].flags & F::Pressed, 0u);
  }
}

// A press and a release, each inside or outside the button (16, 40)-(64, 56), its border lines being outside.
TEST(Buttons, HitTestsAreStrictAndOnlyAReleaseInsideRuns) {
  struct Case { Point press, release; bool pressedAfterPress; int calls; };
  const Case cases[] = {
      {{17, 41}, {63, 55}, true, 1},  {{40, 48}, {40, 48}, true, 1},  {{16, 48}, {16, 48}, false, 0},
      {{64, 48}, {64, 48}, false, 0}, {{40, 40}, {40, 40}, false, 0}, {{40, 56}, {40, 56}, false, 0},
      {{40, 48}, {80, 48}, true, 0},  {{40, 48}, {40, 56}, true, 0},
  };
  for (const Case& c : cases) {
    UiRig rig;
    int calls = 0;
    AddButton(rig.ui.panels[kEvents], MakeButton(1, {16, 40, 64, 56}, 2, ButtonStyle::Push, [&](uint32_t) { ++calls; }));
    OpenPanel(rig.ui, kEvents);
    const uint32_t& flags = rig.ui.panels[kEvents].buttons[0].flags;
    PressPanel(rig.ui, kEvents, rig.Client(kEvents, c.press));
    EXPECT_EQ((flags & ButtonFlag::Pressed) != 0, c.pressedAfterPress) << c.press.x << "," << c.press.y;
    ReleasePanel(rig.ui, kEvents, rig.Client(kEvents, c.release));
    EXPECT_EQ(calls, c.calls) << c.release.x << "," << c.release.y;
    EXPECT_EQ(flags & ButtonFlag::Pressed, 0u);
    // The normal look is back.
    EXPECT_EQ(rig.ScreenAt(kEvents, {20, 50}), testing::SkinPattern(128 + 4, 64 + 16 + 10));
  }
}

TEST(ValueControls, ADragFollowsTheMotionClampsAndReportsOnRelease) {
  UiRig rig;
  int calls = 0;
  int32_t reported = -1;
  PanelWindow& p = rig.ui.panels[kEvents];
  AddValueControl(p, MakeValueControl(ValueFlag::Enabled | ValueFlag::Vertical | ValueFlag::StartIsUpper, 16, 40, 64,
                                      100, -100, 100, [&](uint32_t) {
                                        ++calls;
                                        reported = p.valueControls[0].value;
                                      }));
  OpenPanel(rig.ui, kEvents);
  auto move = [&](Point outer) { HandlePointer(rig.ui, {PointerAction::Move, rig.Screen(kEvents, outer)}); };
  auto button = [&](PointerAction a, Point outer) { HandlePointer(rig.ui, {a, rig.Screen(kEvents, outer)}); };
  move({30, 45});
  button(PointerAction::LeftDown, {30, 45});
  EXPECT_EQ(rig.ui.pointer.draggedControl, 0);
  move({300, 46});  // only the vertical motion counts
  EXPECT_EQ(p.valueControls[0].knob.top, 1);
  EXPECT_EQ(p.valueControls[0].value, 96);
  move({30, 500});  // clamped at the bottom
  EXPECT_EQ(p.valueControls[0].value, -100);
  move({30, 480});  // and back by the motion, not to the pointer
  EXPECT_EQ(p.valueControls[0].knob.top, 28);
  EXPECT_EQ(calls, 0);
  button(PointerAction::LeftUp, {400, 400});  // anywhere
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(reported, -16);
  EXPECT_EQ(p.valueControls[0].knob.top, 27);  // placed again from the value: -116 x 48 / -200
  EXPECT_EQ(rig.ui.pointer.draggedControl, -1);
  EXPECT_EQ(p.valueControls[0].flags & ValueFlag::Dragged, 0u);
}

TEST(Panels, OpenersFollowOpenCloseAndToggle) {
  UiRig rig;
  bool quit = false;
  rig.ui.links.requestQuit = [&] { quit = true; };
  rig.ui.links.globalTrackCurrent = [] { return false; };
  OpenStartupPanels(rig.ui);
  const std::vector<Button>& centre = rig.ui.panels[PanelIndex(Panel::ControlCentre)].buttons;
  auto lit = [&](int32_t opener) { return centre[opener].style == ButtonStyle::ToggleOn; };
  for (int32_t p : {1, 4, 8, 9}) EXPECT_TRUE(rig.ui.panels[p].open && lit(OpenerButton(p))) << p;
  EXPECT_FALSE(OpenPanel(rig.ui, PanelIndex(Panel::ProgramEditor)));  // already open: its opener is lit

  // The toggles of the control centre, clicked: opening a panel closes the one sharing its place.
  auto toggle = [&](int32_t panel) {
    for (int32_t i = 2; i < 10; ++i)
      if (centre[i].argument == static_cast<uint32_t>(panel)) rig.Click(0, {centre[i].rect.left + 8, centre[i].rect.top + 8});
  };
  toggle(7);
  EXPECT_TRUE(rig.ui.panels[PanelIndex(Panel::TrackList)].open && !rig.ui.panels[PanelIndex(Panel::EngineEditor)].open && lit(2) && !lit(6));
  rig.Click(0, {40, 32});  // song layout
  for (int32_t p : {7, 3, 5}) EXPECT_TRUE(rig.ui.panels[p].open) << p;
  for (int32_t p : {8, 4, 9}) EXPECT_FALSE(rig.ui.panels[p].open) << p;
  EXPECT_FALSE(quit);
  const Rect close = CloseBox(rig.ui.panels[PanelIndex(Panel::ControlCentre)]);
  for (PointerAction a : {PointerAction::LeftDown, PointerAction::LeftUp}) HandlePointer(rig.ui, {a, {close.left + 4, close.top + 4}});
  EXPECT_TRUE(quit);
}

TEST(Panels, TitleBarsMoveAndTheFirstClickClearsTheSplash) {
  UiRig rig;
  OpenStartupPanels(rig.ui);
  EXPECT_TRUE(rig.ui.splash);
  const Rect splash = kSplashPlace;
  EXPECT_EQ(rig.ui.screen.At(splash.left + 10, splash.top + 10), rig.ui.skins.splash.At(10, 10));
  // A click on the title bar moves nothing by itself and leaves the splash.
  const PanelWindow& types = rig.ui.panels[PanelIndex(Panel::EngineTypeList)];
  const Point grab{types.left + 40, types.top + 8};
  HandlePointer(rig.ui, {PointerAction::LeftDown, grab});
  HandlePointer(rig.ui, {PointerAction::Move, {grab.x + 30, grab.y - 20}});
  HandlePointer(rig.ui, {PointerAction::LeftUp, {grab.x + 30, grab.y - 20}});
  EXPECT_EQ(types.left, 30);
  EXPECT_EQ(types.top, 336 - 20);
  EXPECT_TRUE(rig.ui.splash);
  // A left click in a client area clears it; the engine editor is drawn where it lay.
  rig.Click(1, {100, 100});
  EXPECT_FALSE(rig.ui.splash);
  const PanelWindow& engine = rig.ui.panels[PanelIndex(Panel::EngineEditor)];
  EXPECT_EQ(rig.ui.screen.At(splash.left + 10, splash.top + 10),
            testing::DeckPattern(splash.left + 10 - engine.left - engine.clientOffset.x,
                                 splash.top + 10 - engine.top - engine.clientOffset.y));
}

}  // namespace
}  // namespace tonforge

namespace tonforge {
namespace {

// The wheel steps the control under the pointer (ten with Shift) or scrolls the panel's list or view; a
// Shift-drag moves a step every two pixels. Each reports once, as a finished drag does.
TEST(ValueControls, TheWheelAndAShiftDragStepByValues) {
  enum class Role { Control, List, View };
  enum class Gesture { Wheel, ShiftDrag };
  struct Case {
    const char* name;
    bool vertical;
    int32_t start, end, value;
    Role role;
    Gesture gesture;
    int32_t amount;  // notches, or pixels dragged up or right
    bool shift;
    int32_t expected, reports;
  };
  const Case cases[] = {
      {"vertical slider, a notch up", true, 100, -100, 0, Role::Control, Gesture::Wheel, 1, false, 1, 1},
      {"vertical slider, Shift", true, 100, -100, 0, Role::Control, Gesture::Wheel, -2, true, -20, 1},
      {"horizontal knob, a notch down", false, 0, 100, 50, Role::Control, Gesture::Wheel, -1, false, 49, 1},
      {"horizontal knob, Shift", false, 0, 100, 50, Role::Control, Gesture::Wheel, 1, true, 60, 1},
      {"knob at its end", false, 0, 100, 100, Role::Control, Gesture::Wheel, 3, false, 100, 0},
      {"list, away from the user", true, 0, 20, 5, Role::List, Gesture::Wheel, 1, false, 4, 1},
      {"list, toward the user", true, 0, 20, 5, Role::List, Gesture::Wheel, -2, false, 7, 1},
      {"view sideways with Shift", false, 0, 50, 10, Role::View, Gesture::Wheel, -1, true, 11, 1},
      {"view, plain wheel scrolls the list", false, 0, 50, 10, Role::View, Gesture::Wheel, -1, false, 10, 0},
      {"Shift-drag up a vertical slider", true, 100, -100, 0, Role::Control, Gesture::ShiftDrag, 11, true, 5, 1},
      {"Shift-drag right a horizontal knob", false, 0, 100, 50, Role::Control, Gesture::ShiftDrag, 6, true, 53, 1},
  };
  for (const Case& c : cases) {
    UiRig rig;
    PanelWindow& p = rig.ui.panels[kEvents];
    int reports = 0;
    const uint32_t flags = ValueFlag::Enabled | (c.vertical ? ValueFlag::Vertical : 0u) |
                           (c.start > c.end ? ValueFlag::StartIsUpper : 0u);
    AddValueControl(p, MakeValueControl(flags, 16, 40, 64, c.start, c.end, c.value, [&](uint32_t) { ++reports; }));
    if (c.role == Role::List) p.wheelScroll = 0;
    if (c.role == Role::View) p.wheelScrollSideways = 0;
    OpenPanel(rig.ui, kEvents);
    const Point knob = rig.Screen(kEvents, {p.valueControls[0].knob.left + 16 + 2, p.valueControls[0].knob.top + 40 + 2});
    const Point empty = rig.Screen(kEvents, {150, 100});
    if (c.gesture == Gesture::Wheel) {
      HandlePointer(rig.ui, {PointerAction::Wheel, c.role == Role::Control ? knob : empty, c.amount, c.shift});
    } else {
      HandlePointer(rig.ui, {PointerAction::LeftDown, knob});
      for (int32_t i = 1; i <= c.amount; ++i)
        HandlePointer(rig.ui, {PointerAction::Move, {knob.x + (c.vertical ? 0 : i), knob.y - (c.vertical ? i : 0)}, 0,
                               true});
      HandlePointer(rig.ui, {PointerAction::LeftUp, knob});
    }
    EXPECT_EQ(p.valueControls[0].value, c.expected) << c.name;
    EXPECT_EQ(reports, c.reports) << c.name;
  }
}

}  // namespace
}  // namespace tonforge
