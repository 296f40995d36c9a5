#pragma once
// A song and a Ui joined as the program joins them, with the panels' own controls built, worked through the
// pointer messages with no display.
#include <algorithm>
#include <vector>

#include "app/app_state.h"
#include "support/song_rig.h"
#include "support/ui_rig.h"
#include "ui/app_link.h"
#include "ui/pointer.h"

namespace tonforge::testing {

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
