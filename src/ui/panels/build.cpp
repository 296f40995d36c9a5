#include "ui/panels/build.h"

#include "app/app_state.h"
#include "sequencer/editing.h"
#include "ui/panels.h"
#include "ui/panels/engine_editor.h"
#include "ui/panels/engine_types.h"
#include "ui/panels/event_list.h"
#include "ui/panels/panel_parts.h"
#include "ui/panels/program_editor.h"
#include "ui/panels/program_list.h"
#include "ui/panels/render_output.h"
#include "ui/panels/song_chain.h"
#include "ui/panels/track_chain.h"
#include "ui/panels/track_list.h"
#include "ui/ui.h"

namespace tonforge {

namespace {

constexpr int32_t kTrackListPanel = PanelIndex(Panel::TrackList);
constexpr int32_t kUndoCaption = 151, kRedoCaption = 152;
constexpr uint32_t kPushFrame = 2;

// Undo and Redo stand in the control centre's top row, between the two layouts, where every layout shows them.
void AddUndoButtons(Ui& ui, AppState& app) {
  PanelWindow& centre = ui.panels[PanelIndex(Panel::ControlCentre)];
  AddButton(centre, MakeButton(kUndoCaption, {80, 24, 128, 40}, kPushFrame, ButtonStyle::Push,
                               Command(ui, app, [](AppState& a, uint32_t) { Undo(a.history, a); })));
  AddButton(centre, MakeButton(kRedoCaption, {128, 24, 176, 40}, kPushFrame, ButtonStyle::Push,
                               Command(ui, app, [](AppState& a, uint32_t) { Redo(a.history, a); })));
}

}  // namespace

void BuildPanelControls(Ui& ui, AppState& app) {
  // The control centre's controls come with the panel records: opening a panel lights its opener there.
  BuildProgramListPanel(ui, app);
  BuildRenderOutputPanel(ui, app);
  BuildTrackChainPanel(ui, app);
  BuildProgramEditorPanel(ui, app);
  BuildEventListPanel(ui, app);
  BuildSongChainPanel(ui, app);
  BuildTrackListPanel(ui, app);
  BuildEngineEditorPanel(ui, app);
  BuildEngineTypeListPanel(ui, app);
  AddUndoButtons(ui, app);
}

void ShowPassResult(Ui& ui, AppState& app) {
  app.editor.trackListShown = ui.panels[kTrackListPanel].open ? 1u : 0u;
  if (FollowPlayhead(app)) app.changes.Report(Change::Editor);
  ShowCommandResult(ui, app);
}

}  // namespace tonforge
