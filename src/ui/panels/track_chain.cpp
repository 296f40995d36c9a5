#include "ui/panels/track_chain.h"

#include "app/app_state.h"
#include "programs/chain_editing.h"
#include "programs/program_file.h"
#include "sequencer/track_commands.h"
#include "ui/draw.h"
#include "ui/name_edit.h"
#include "ui/panels.h"
#include "ui/panels/chain_display.h"

namespace tonforge {

namespace {

constexpr int32_t kPanel = PanelIndex(Panel::TrackChain);
constexpr int32_t kName = 0, kSwitchOff = 1, kFirstOperation = 5, kFirstPosition = 15;
constexpr int32_t kEngineLabel = 3;
constexpr int32_t kSeed = 0, kPan = 1, kLevel = 2;

using NameText = PanelTexts<1>;

void RefreshTrackChain(Ui& ui, AppState& app, NameText& name) {
  if (FollowTrackSide(ui, app)) return;
  PanelWindow& panel = ui.panels[kPanel];
  if (!panel.open) return;
  const Track* track = TrackAt(app.song, app.song.currentTrack);
  SetAllEnabled(panel, track != nullptr);
  if (track == nullptr) {
    DrawPanel(ui, kPanel);
    return;
  }
  if (!IsNameEditTarget(ui, kPanel, kName)) {
    SetText((*name)[0], track->name.data());
    panel.buttons[kName].text = (*name)[0].data();
  }
  panel.buttons[kSwitchOff].style = track->muteState == 2 ? ButtonStyle::ToggleOn : ButtonStyle::ToggleOff;
  ShowValue(panel.valueControls[kSeed], static_cast<int32_t>(track->seed));
  ShowValue(panel.valueControls[kPan], track->pan - 100);
  ShowValue(panel.valueControls[kLevel], static_cast<int32_t>(track->level * 100.0f + 0.002f));
  const bool editing = app.chainEditor.chainMode == ChainMode::Track && app.song.currentTrack != 0;
  ShowEngineOperations(panel, kFirstOperation, kEngineLabel, editing, kLevelTrack, app);
  ShowChain(panel, kFirstPosition, track->chain, app.catalog, editing ? app.chainEditor.selectedPosition : -1);
  DrawPanel(ui, kPanel);
}

}  // namespace

void BuildTrackChainPanel(Ui& ui, AppState& app) {
  PanelWindow& panel = ui.panels[kPanel];
  const auto command = [&app](void (*run)(AppState&)) {
    return [&app, run](uint32_t) {
      run(app);
      RequestChainPanels(app);
    };
  };
  AddButton(panel, MakeButton(34, RowField(0, 192), 4, ButtonStyle::Push, [&ui, &app](uint32_t) {
    if (TrackAt(app.song, app.song.currentTrack) == nullptr) return;
    StartNameEdit(ui, app, TextField::TrackName, app.song.currentTrack, kTrackNameMaximum, {kPanel, kName});
  }));
  AddButton(panel, MakeButton(91, RowPlace(1, 3), 2, ButtonStyle::ToggleOff, command([](AppState& a) { SwitchOffTrack(a); })));
  AddButton(panel, MakeButton(38, RowPlace(1, 4), 2, ButtonStyle::Push, command([](AppState& a) { SoloTrack(a); })));
  AddButton(panel, MakeButton(31, RowPlace(1, 0), 2, ButtonStyle::Push, command([](AppState& a) { LoadProgramChain(a); })));
  AddButton(panel, MakeButton(32, RowPlace(1, 1), 2, ButtonStyle::Push, command([](AppState& a) { SaveProgramChain(a); })));
  AddEngineOperations(panel, app);
  AddRowLabel(panel, ChainCaption::Name, 0);
  AddRowLabel(panel, ChainCaption::Program, 1);
  AddRowLabel(panel, ChainCaption::Mute, 1, 2);
  AddRowLabel(panel, ChainCaption::Engine, 2);
  AddLabel(panel, ChainCaption::Chain, {kRowLabelLeft, kChainTop + 8, kRowLeft, kChainTop + 24});
  PanelWindow* self = &panel;
  AddSliderColumn(panel, 0, ChainCaption::Seed, 10000, 0,
                  [&app, self](uint32_t) { SetTrackSeed(app, self->valueControls[kSeed].value); });
  AddSliderColumn(panel, 1, ChainCaption::Pan, 100, -100,
                  [&app, self](uint32_t) { SetTrackPan(app, self->valueControls[kPan].value); });
  AddSliderColumn(panel, 2, ChainCaption::Level, 100, 0,
                  [&app, self](uint32_t) { SetTrackLevel(app, self->valueControls[kLevel].value); });
  AddChainButtons(panel, [&app](uint32_t position) {
    SelectTrackChainPosition(app, static_cast<int32_t>(position));
    RequestChainPanels(app);
  });
  NameText name = MakePanelTexts<1>();
  panel.refresh = [&ui, &app, name]() mutable { RefreshTrackChain(ui, app, name); };
}

}  // namespace tonforge
