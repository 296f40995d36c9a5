#include "ui/panels/program_editor.h"

#include "app/app_state.h"
#include "audio/voice.h"
#include "programs/chain_editing.h"
#include "programs/program_file.h"
#include "programs/program_list.h"
#include "ui/draw.h"
#include "ui/name_edit.h"
#include "ui/panels.h"
#include "ui/panels/chain_display.h"

namespace tonforge {

namespace {

constexpr int32_t kPanel = PanelIndex(Panel::ProgramEditor);
constexpr int32_t kProgramList = PanelIndex(Panel::ProgramList);
constexpr int32_t kName = 0, kFirstOperation = 4, kFirstPosition = 12;
constexpr int32_t kEngineLabel = 3;
constexpr int32_t kPan = 0, kLevel = 1;
constexpr int32_t kFirstListRow = 5;  // the program list's first row button

using NameText = PanelTexts<1>;

void RefreshProgramEditor(Ui& ui, AppState& app, NameText& name) {
  PanelWindow& panel = ui.panels[kPanel];
  if (!panel.open) return;
  const Program* program = CurrentProgram(app);
  SetAllEnabled(panel, program != nullptr);
  if (program == nullptr) {
    DrawPanel(ui, kPanel);
    return;
  }
  if (!IsNameEditTarget(ui, kPanel, kName)) {
    SetText((*name)[0], program->name.data());
    panel.buttons[kName].text = (*name)[0].data();
  }
  ShowValue(panel.valueControls[kPan], program->pan - 100);
  ShowValue(panel.valueControls[kLevel], static_cast<int32_t>(program->level * 100.0f + 0.002f));
  const bool editing = app.chainEditor.chainMode == ChainMode::Program;
  ShowEngineOperations(panel, kFirstOperation, kEngineLabel, editing, kLevelProgram, app);
  ShowChain(panel, kFirstPosition, program->engines, app.catalog, editing ? app.chainEditor.selectedPosition : -1);
  DrawPanel(ui, kPanel);
}

// The name is typed into the field and shows in the program's list row as well, when that row is visible.
void StartProgramNameEdit(Ui& ui, AppState& app) {
  const Song& song = app.song;
  if (CurrentProgram(app) == nullptr) return;
  const int32_t row = song.currentProgram - song.programListScroll;
  const ButtonRef listRow =
      row >= 0 && row < kProgramListRows ? ButtonRef{kProgramList, kFirstListRow + row} : ButtonRef{};
  StartNameEdit(ui, app, TextField::ProgramName, song.currentProgram, kProgramNameMaximum, {kPanel, kName}, listRow);
}

}  // namespace

void BuildProgramEditorPanel(Ui& ui, AppState& app) {
  PanelWindow& panel = ui.panels[kPanel];
  const auto command = [&app](void (*run)(AppState&)) {
    return [&app, run](uint32_t) {
      run(app);
      RequestChainPanels(app);
    };
  };
  AddButton(panel, MakeButton(0, RowField(0, 192), 4, ButtonStyle::Push,
                              [&ui, &app](uint32_t) { StartProgramNameEdit(ui, app); }));
  AddButton(panel, MakeButton(26, RowPlace(1, 3, 4), 3, ButtonStyle::Push, command([](AppState& a) { AutoLevelProgram(a); })));
  AddButton(panel, MakeButton(31, RowPlace(1, 0), 2, ButtonStyle::Push, command([](AppState& a) { LoadProgramReplace(a); })));
  AddButton(panel, MakeButton(32, RowPlace(1, 1), 2, ButtonStyle::Push, command([](AppState& a) { SaveProgram(a); })));
  AddEngineOperations(panel, app);
  AddRowLabel(panel, ChainCaption::Name, 0);
  AddRowLabel(panel, ChainCaption::Program, 1);
  AddRowLabel(panel, ChainCaption::Volume, 1, 2);
  AddRowLabel(panel, ChainCaption::Engine, 2);
  AddLabel(panel, ChainCaption::Chain, {kRowLabelLeft, kChainTop + 8, kRowLeft, kChainTop + 24});
  PanelWindow* self = &panel;
  AddSliderColumn(panel, 1, ChainCaption::Pan, 100, -100,
                  [&app, self](uint32_t) { SetProgramPan(app, self->valueControls[kPan].value); });
  AddSliderColumn(panel, 2, ChainCaption::Level, 100, 0,
                  [&app, self](uint32_t) { SetProgramLevel(app, self->valueControls[kLevel].value); });
  AddChainButtons(panel, [&app](uint32_t position) {
    SelectProgramChainPosition(app, static_cast<int32_t>(position));
    RequestChainPanels(app);
  });
  NameText name = MakePanelTexts<1>();
  panel.refresh = [&ui, &app, name]() mutable { RefreshProgramEditor(ui, app, name); };
}

}  // namespace tonforge
