#include "ui/panels/panel_kit.h"

#include "app/app_state.h"
#include "ui/control_model.h"
#include "ui/panels.h"

namespace tonforge {

namespace {

constexpr int32_t kTrackChain = static_cast<int32_t>(Panel::TrackChain);
constexpr int32_t kSongChain = static_cast<int32_t>(Panel::SongChain);

}  // namespace

void FollowTrackPanels(Ui& ui) {
  const bool global = ui.links.globalTrackCurrent();
  const int32_t stale = global ? kTrackChain : kSongChain;
  if (!ui.panels[stale].open) return;
  ClosePanel(ui, stale);
  OpenPanel(ui, global ? kSongChain : kTrackChain);
}

void ShowCommandResult(Ui& ui, AppState& app) {
  FollowTrackPanels(ui);
  TakeRedraws(ui, app.redraw);
}

ControlHandler Command(Ui& ui, AppState& app, std::function<void(AppState&, uint32_t)> command) {
  return [&ui, &app, command = std::move(command)](uint32_t argument) {
    command(app, argument);
    ShowCommandResult(ui, app);
  };
}

void SetRange(ValueControl& v, int32_t start, int32_t end, int32_t value) {
  v.start = start;
  v.end = end;
  v.value = value;
  PlaceKnob(v);
}

int32_t FollowSelection(int32_t selection, int32_t firstVisible, int32_t rows) {
  if (selection < firstVisible) return selection;
  if (selection - firstVisible > rows - 1) return selection - (rows - 1);
  return firstVisible;
}

}  // namespace tonforge
