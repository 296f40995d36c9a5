#pragma once
// Songs and panels joined as the program joins them. AppPanelsRig: all ten panels built on a whole AppState as
// the program builds them, opened in the start-up layout and worked through the window-message layer as the
// mouse works them: every press is a left button down and up in the middle of a control, followed by the main
// loop's redraw pass.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "app/app_state.h"
#include "support/song_rig.h"
#include "support/ui_rig.h"
#include "ui/app_link.h"
#include "ui/panels/build.h"
#include "ui/pointer.h"

namespace tonforge::testing {

struct AppPanelsRig {
  explicit AppPanelsRig(int programs = 0, int32_t tracks = 1) : song(programs, tracks) {
    ConnectUi(ui.ui, app());
    BuildPanelControls(ui.ui, app());
    OpenStartupPanels(ui.ui);
  }

  AppState& app() { return song.app; }
  PanelWindow& P(int32_t panel) { return ui.ui.panels[panel]; }
  Button& B(int32_t panel, int32_t button) { return P(panel).buttons.at(button); }
  bool Shown(int32_t panel, int32_t button) { return (B(panel, button).flags & ButtonFlag::Enabled) != 0; }
  bool Open(int32_t panel) { return P(panel).open; }

  // A click in the middle of a button that is there to be clicked.
  void Press(int32_t panel, int32_t button) {
    ASSERT_TRUE(Open(panel) && Shown(panel, button)) << "panel " << panel << " button " << button;
    const Rect r = B(panel, button).rect;
    Click(ui.Screen(panel, {(r.left + r.right) / 2, (r.top + r.bottom) / 2}));
  }
  void Click(Point screen) {
    HandlePointer(ui.ui, {PointerAction::LeftDown, screen});
    HandlePointer(ui.ui, {PointerAction::LeftUp, screen});
    Redraw();
  }
  // Takes a value control's knob by its middle and lets go of it `by` pixels further.
  void Drag(int32_t panel, int32_t control, Point by) {
    const ValueControl& v = P(panel).valueControls.at(control);
    const Rect knob = v.knob.Offset(v.x, v.y);
    const Point from = ui.Screen(panel, {(knob.left + knob.right) / 2, (knob.top + knob.bottom) / 2});
    const Point to{from.x + by.x, from.y + by.y};
    HandlePointer(ui.ui, {PointerAction::LeftDown, from});
    HandlePointer(ui.ui, {PointerAction::Move, to});
    HandlePointer(ui.ui, {PointerAction::LeftUp, to});
    Redraw();
  }
  // The control centre's toggle of a panel.
  void Toggle(int32_t panel) {
    for (int32_t b = 2; b < 10; ++b)
      if (B(0, b).argument == static_cast<uint32_t>(panel)) Press(0, b);
  }
  // The main loop's pass after a message: the commands' redraws and the chain panel that follows the track.
  void Redraw() { ShowPassResult(ui.ui, app()); }

  SongRigOf<AppState> song;
  UiRig ui;
};

// A song and a Ui joined as the program joins them, with the panels' own controls built, worked through the
// pointer messages with no display.
struct PanelRig {
  PanelRig(int programs, int32_t tracks) : song(programs, tracks) { ConnectUi(rig.ui, song.app); }

  AppState& App() { return song.app; }
  Track& TrackNo(int32_t i) { return song.TrackNo(i); }
  Ui& UI() { return rig.ui; }
  PanelWindow& P(int32_t panel) { return rig.ui.panels[panel]; }
  Button& B(int32_t panel, int32_t button) { return rig.ui.panels[panel].buttons[button]; }
  bool Shown(int32_t panel, int32_t button) { return (B(panel, button).flags & ButtonFlag::Enabled) != 0; }
  bool ControlShown(int32_t panel, int32_t control) {
    return (P(panel).valueControls[control].flags & ValueFlag::Enabled) != 0;
  }
  // The buttons of a panel that are shown, by index.
  std::vector<int32_t> ShownButtons(int32_t panel, int32_t from, int32_t to) {
    std::vector<int32_t> out;
    for (int32_t b = from; b < to; ++b)
      if (Shown(panel, b)) out.push_back(b);
    return out;
  }
  void Redraw(int32_t panel) { RequestRedraw(rig.ui, panel); }

  // A left click at a point of a panel (outer coordinates), as the platform delivers it.
  void Click(int32_t panel, Point outer) {
    const Point at = rig.Screen(panel, outer);
    HandlePointer(rig.ui, {PointerAction::LeftDown, at});
    HandlePointer(rig.ui, {PointerAction::LeftUp, at});
  }
  void ClickButton(int32_t panel, int32_t button) {
    const Rect r = B(panel, button).rect;
    Click(panel, {(r.left + r.right) / 2, (r.top + r.bottom) / 2});
  }

  SongRigOf<AppState> song;  // outlives the Ui, whose handlers point into it
  UiRig rig;
};

}  // namespace tonforge::testing
