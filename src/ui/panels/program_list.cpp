#include "ui/panels/program_list.h"

#include "app/app_state.h"
#include "programs/program_file.h"
#include "programs/program_list.h"
#include "ui/draw.h"
#include "ui/name_edit.h"
#include "ui/panels.h"
#include "ui/panels/panel_parts.h"

namespace tonforge {

namespace {

constexpr int32_t kPanel = PanelIndex(Panel::ProgramList);
constexpr int32_t kDelete = 1, kCopy = 2, kSave = 4, kFirstRow = 5, kUpArrow = 14, kDownArrow = 15;
constexpr int32_t kRowTop = 72, kRowHeight = 16;

using RowTexts = PanelTexts<kProgramListRows>;

// What a change of the list or of the current program shows in.
void RequestProgramPanels(AppState& app) {
  app.changes.Report(Change::Selection);
}

void RefreshProgramList(Ui& ui, AppState& app, RowTexts& texts) {
  PanelWindow& panel = ui.panels[kPanel];
  if (!panel.open) return;
  const Song& song = app.song;
  const int32_t count = ProgramCount(song);
  for (int32_t r = 0; r < kProgramListRows; ++r) {
    Button& row = panel.buttons[kFirstRow + r];
    const int32_t index = song.programListScroll + r;
    const bool shown = index >= 0 && index < count;
    SetEnabled(row, shown);
    if (!shown || IsNameEditTarget(ui, kPanel, kFirstRow + r)) continue;
    SetText((*texts)[r], song.programs[index]->name.data());
    row.text = (*texts)[r].data();
    row.style = index == song.currentProgram ? ButtonStyle::Push : ButtonStyle::ListRow;
  }
  // A list of one has nothing to scroll.
  const bool scrolls = count >= 2;
  ValueControl& slider = panel.valueControls[0];
  ShowValue(slider, song.currentProgram, 0, scrolls ? count - 1 : 0);
  SetEnabled(slider, scrolls);
  SetEnabled(panel.buttons[kUpArrow], scrolls);
  SetEnabled(panel.buttons[kDownArrow], scrolls);
  const bool any = count >= 1;
  for (int32_t b : {kDelete, kCopy, kSave}) SetEnabled(panel.buttons[b], any);
  SetEnabled(panel.labels[0], any);
  DrawPanel(ui, kPanel);
}

}  // namespace

void BuildProgramListPanel(Ui& ui, AppState& app) {
  PanelWindow& panel = ui.panels[kPanel];
  const auto command = [&app](void (*run)(AppState&)) {
    return [&app, run](uint32_t) {
      run(app);
      RequestProgramPanels(app);
    };
  };
  AddButton(panel, MakeButton(29, {16, 28, 64, 44}, 2, ButtonStyle::Push, command([](AppState& a) { NewCurrentProgram(a); })));
  AddButton(panel, MakeButton(30, {128, 28, 176, 44}, 2, ButtonStyle::Push, command([](AppState& a) { DeleteProgram(a); })));
  AddButton(panel, MakeButton(73, {72, 28, 120, 44}, 2, ButtonStyle::Push, command([](AppState& a) { CopyProgram(a); })));
  AddButton(panel, MakeButton(31, {16, 48, 64, 64}, 2, ButtonStyle::Push, command([](AppState& a) { LoadProgramNew(a); })));
  AddButton(panel, MakeButton(32, {72, 48, 120, 64}, 2, ButtonStyle::Push, command([](AppState& a) { SaveProgram(a); })));
  for (int32_t r = 0; r < kProgramListRows; ++r) {
    const int32_t top = kRowTop + r * kRowHeight;
    AddButton(panel, MakeButton(0, {16, top, 208, top + kRowHeight}, 4, ButtonStyle::ListRow,
                                [&app](uint32_t row) {
                                  SelectProgramRow(app, static_cast<int32_t>(row));
                                  RequestProgramPanels(app);
                                },
                                static_cast<uint32_t>(r)));
  }
  // The slider and its arrows follow the list: the slider's value becomes the current program.
  panel.wheelScroll = 0;
  AddVerticalSlider(panel, {208, 88, 112, 0, 0, 0}, [&ui, &app](uint32_t) {
    SelectProgram(app, ui.panels[kPanel].valueControls[0].value);
    RequestProgramPanels(app);
  });
  AddLabel(panel, 56, {128, 48, 240, 64});
  RowTexts texts = MakePanelTexts<kProgramListRows>();
  panel.refresh = [&ui, &app, texts]() mutable { RefreshProgramList(ui, app, texts); };
}

}  // namespace tonforge
