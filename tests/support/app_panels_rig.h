#pragma once
// Songs and panels joined as the program joins them. PanelRig: a song and a Ui connected, each test building
// the panels it works. AppPanelsRig: all ten panels built on a whole AppState as the program builds them,
// opened in the start-up layout and worked through the window-message layer as the mouse works them: every
// press is a left button down and up in the middle of a control, followed by the main loop's redraw pass.
#include <gtest/gtest.h>

#include "app/app_state.h"
#include "sequencer/text_entry.h"
#include "support/song_rig.h"
#include "support/ui_rig.h"
#include "ui/app_link.h"
#include "ui/panels/build.h"
#include "ui/panels/song_view.h"

namespace tonforge::testing {

struct PanelRig {
  explicit PanelRig(int programs = 0, int32_t tracks = 1) : song(programs, tracks) { ConnectUi(ui.ui, app()); }

  AppState& app() { return song.app; }
  PanelWindow& P(int32_t panel) { return ui.ui.panels[panel]; }
  Button& B(int32_t panel, int32_t button) { return P(panel).buttons.at(button); }
  bool Shown(int32_t panel, int32_t button) { return (B(panel, button).flags & ButtonFlag::Enabled) != 0; }
  bool ControlShown(int32_t panel, int32_t control) {
    return (P(panel).valueControls.at(control).flags & ValueFlag::Enabled) != 0;
  }
  bool Open(int32_t panel) { return P(panel).open; }
  // The buttons of a panel that are shown, by index.
  std::vector<int32_t> ShownButtons(int32_t panel, int32_t from, int32_t to) {
    std::vector<int32_t> out;
    for (int32_t b = from; b < to; ++b)
      if (Shown(panel, b)) out.push_back(b);
    return out;
  }
  void Redraw(int32_t panel) { RequestRedraw(ui.ui, panel); }
  // Keys typed into the text entry ('\r' is Enter), then the redraws they asked for.
  void Type(std::string_view keys) {
    for (char c : keys) TypeTextEntryCharacter(app(), c);
    TakeRedraws(ui.ui, app().changes);
  }

  // The screen point in the middle of a place of a panel (outer coordinates).
  Point Middle(int32_t panel, Rect r) const {
    return ui.Screen(panel, {(r.left + r.right) / 2, (r.top + r.bottom) / 2});
  }
  void ClickButton(int32_t panel, int32_t button) { ui.ClickAt(Middle(panel, B(panel, button).rect)); }
  // The screen point in the middle of a value control's knob.
  Point KnobMiddle(int32_t panel, int32_t control) {
    const ValueControl& v = P(panel).valueControls.at(control);
    return Middle(panel, v.knob.Offset(v.x, v.y));
  }
  // A point of the track list's song view (outer coordinates): the tick's column on a visible row, kViewPointDown
  // pixels into the row.
  static constexpr int32_t kViewPointDown = 10;
  Point ViewPoint(int32_t row, int32_t tick) {
    return {kSongViewLeft + tick - app().editor.viewStart, kSongViewTop + kSongViewRowHeight * row + kViewPointDown};
  }

  SongRigOf<AppState> song;  // outlives the Ui, whose handlers point into it
  UiRig ui;
};

struct AppPanelsRig : PanelRig {
  explicit AppPanelsRig(int programs = 0, int32_t tracks = 1) : PanelRig(programs, tracks) {
    BuildPanelControls(ui.ui, app());
    OpenStartupPanels(ui.ui);
  }

  // A click in the middle of a button that is there to be clicked.
  void Press(int32_t panel, int32_t button) {
    ASSERT_TRUE(Open(panel) && Shown(panel, button)) << "panel " << panel << " button " << button;
    Click(Middle(panel, B(panel, button).rect));
  }
  void Click(Point screen) {
    ui.ClickAt(screen);
    Redraw();
  }
  // Takes a value control's knob by its middle and lets go of it `by` pixels further.
  void Drag(int32_t panel, int32_t control, Point by) {
    const Point from = KnobMiddle(panel, control);
    const Point to{from.x + by.x, from.y + by.y};
    HandlePointer(ui.ui, {PointerAction::LeftDown, from});
    HandlePointer(ui.ui, {PointerAction::Move, to});
    HandlePointer(ui.ui, {PointerAction::LeftUp, to});
    Redraw();
  }
  // The control centre's toggle of a panel.
  void Toggle(int32_t panel) { Press(0, OpenerButton(panel)); }
  // The main loop's pass after a message: the commands' redraws and the chain panel that follows the track.
  void Redraw() { ShowPassResult(ui.ui, app()); }
};

}  // namespace tonforge::testing
