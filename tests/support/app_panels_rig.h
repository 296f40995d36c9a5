#pragma once
// The program list, render, track, program editor and song panels built on a whole AppState, opened in the
// start-up layout and worked through the window-message layer as the mouse works them: every press is a
// left button down and up in the middle of a control, followed by the main loop's redraw pass.
#include <gtest/gtest.h>

#include "app/app_state.h"
#include "support/song_rig.h"
#include "support/ui_rig.h"
#include "ui/app_link.h"
#include "ui/panels/program_editor.h"
#include "ui/panels/program_list.h"
#include "ui/panels/render_output.h"
#include "ui/panels/song_chain.h"
#include "ui/panels/track_chain.h"
#include "ui/pointer.h"

namespace tonforge::testing {

struct AppPanelsRig {
  explicit AppPanelsRig(int programs = 0, int32_t tracks = 1) : song(programs, tracks) {
    ConnectUi(ui.ui, app());
    BuildProgramListPanel(ui.ui, app());
    BuildRenderOutputPanel(ui.ui, app());
    BuildTrackChainPanel(ui.ui, app());
    BuildProgramEditorPanel(ui.ui, app());
    BuildSongChainPanel(ui.ui, app());
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
    const Point at = ui.Screen(panel, {(r.left + r.right) / 2, (r.top + r.bottom) / 2});
    HandlePointer(ui.ui, {PointerAction::LeftDown, at});
    HandlePointer(ui.ui, {PointerAction::LeftUp, at});
    Redraw();
  }
  // The control centre's toggle of a panel.
  void Toggle(int32_t panel) {
    for (int32_t b = 2; b < 10; ++b)
      if (B(0, b).argument == static_cast<uint32_t>(panel)) Press(0, b);
  }
  void Redraw() { TakeRedraws(ui.ui, app().redraw); }

  SongRigOf<AppState> song;
  UiRig ui;
};

}  // namespace tonforge::testing
