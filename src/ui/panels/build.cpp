#include "ui/panels/build.h"

#include "app/app_state.h"
#include "ui/panels/engine_editor.h"
#include "ui/panels/engine_types.h"
#include "ui/panels/event_list.h"
#include "ui/panels/panel_kit.h"
#include "ui/panels/track_list.h"
#include "ui/ui.h"

namespace tonforge {

namespace {
constexpr int32_t kTrackListPanel = 7;
}  // namespace

void BuildPanelControls(Ui& ui, AppState& app) {
  BuildEventListPanel(ui, app);
  BuildTrackListPanel(ui, app);
  BuildEngineEditorPanel(ui, app);
  BuildEngineTypeListPanel(ui, app);
}

void ShowPassResult(Ui& ui, AppState& app) {
  app.editor.trackListShown = ui.panels[kTrackListPanel].open ? 1u : 0u;
  ShowCommandResult(ui, app);
}

}  // namespace tonforge
