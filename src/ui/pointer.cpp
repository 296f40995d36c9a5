#include "ui/pointer.h"

#include <algorithm>

#include "ui/control_model.h"
#include "ui/draw.h"
#include "ui/name_edit.h"
#include "ui/panels.h"

namespace tonforge {

namespace {

constexpr int32_t kKeptOnScreen = 48;

Point ToClient(const PanelWindow& p, Point screen) {
  const Rect area = ClientArea(p);
  return {screen.x - area.left, screen.y - area.top};
}

// A press anywhere ends a name being typed before it acts, so the edit never goes on unseen behind a closed
// panel or swallows the clicks that follow.
void EndNameEditFirst(Ui& ui) {
  if (!ui.links.nameEditActive()) return;
  ui.links.endNameEdit();
  FollowNameEdit(ui);
}

}  // namespace

void HandlePointer(Ui& ui, const PointerEvent& event) {
  PointerState& s = ui.pointer;
  const int32_t panel = PanelAt(ui, event.at);
  const bool inClient = panel >= 0 && Contains(ClientArea(ui.panels[panel]), event.at);
  if (event.action != PointerAction::Move && event.action != PointerAction::Wheel) s.shift = event.shift;
  switch (event.action) {
    case PointerAction::Move:
      if (s.movedPanel >= 0) {
        const PanelWindow& moved = ui.panels[s.movedPanel];
        // Some of the title bar always stays on the screen, so the panel can be fetched back.
        const Point corner{std::clamp(event.at.x - s.grab.x, kKeptOnScreen - moved.width, ui.screen.width - kKeptOnScreen),
                           std::clamp(event.at.y - s.grab.y, 0, std::max(ui.screen.height - moved.clientOffset.y, 0))};
        MovePanel(ui, s.movedPanel, {corner.x + moved.clientOffset.x, corner.y + moved.clientOffset.y});
        s.last = event.at;
      } else {
        MovePointer(ui, event.at, event.shift);
      }
      return;
    case PointerAction::Wheel:
      if (inClient) WheelPanel(ui, panel, ToClient(ui.panels[panel], event.at), event.notches, event.shift);
      return;
    case PointerAction::LeftDown:
      // Knobs follow the motion from here on, even when no move came before the press.
      s.last = event.at;
      EndNameEditFirst(ui);
      if (panel < 0) return;
      RaisePanel(ui, panel);
      if (inClient) {
        // A double click on a value control's number types a new one instead.
        if (event.clicks >= 2 && StartValueEditAt(ui, panel, event.at)) return;
        PressPanel(ui, panel, ToClient(ui.panels[panel], event.at));
      } else if (Contains(CloseBox(ui.panels[panel]), event.at)) {
        s.closingPanel = panel;
      } else if (Contains(TitleBar(ui.panels[panel]), event.at)) {
        s.movedPanel = panel;
        s.grab = {event.at.x - ui.panels[panel].left, event.at.y - ui.panels[panel].top};
      }
      return;
    case PointerAction::LeftUp: {
      const int32_t closing = s.closingPanel;
      s.closingPanel = -1;
      s.movedPanel = -1;
      if (inClient) {
        ReleasePanel(ui, panel, ToClient(ui.panels[panel], event.at));
        return;
      }
      ReleaseAll(ui);
      if (closing >= 0 && closing == panel && Contains(CloseBox(ui.panels[panel]), event.at)) ClosePanel(ui, panel);
      return;
    }
    case PointerAction::RightDown:
      EndNameEditFirst(ui);
      if (inClient) RightPressPanel(ui, panel, ToClient(ui.panels[panel], event.at));
      return;
    case PointerAction::RightUp:
      if (inClient)
        RightReleasePanel(ui, panel, ToClient(ui.panels[panel], event.at));
      else
        ClearPressed(ui);
      return;
  }
}

}  // namespace tonforge
