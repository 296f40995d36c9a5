#include "ui/panels/engine_types.h"

#include <algorithm>

#include "app/app_state.h"
#include "programs/chain_editing.h"
#include "ui/draw.h"
#include "ui/panels.h"
#include "ui/panels/panel_parts.h"

namespace tonforge {

namespace {

namespace C = EngineTypeListControl;
constexpr int32_t kPanel = PanelIndex(Panel::EngineTypeList);
constexpr int32_t kRows = 9;
constexpr int32_t kSetTypeCaption = 92;
constexpr int32_t kSongCaption = 104, kTrackCaption = 105, kProgramCaption = 106;
constexpr int32_t kRowLeft = 8, kRowTop = 72, kRowWidth = 192, kRowHeight = 16;
constexpr uint32_t kWide = 3, kRow = 4;

Rect At(int32_t x, int32_t y, int32_t w, int32_t h) { return {x, y, x + w, y + h}; }

int32_t LevelCaption(AppState& app) {
  if (app.chainEditor.chainMode == ChainMode::Program) return kProgramCaption;
  return app.song.currentTrack == 0 ? kSongCaption : kTrackCaption;
}

void RefreshEngineTypeList(Ui& ui, AppState& app) {
  PanelWindow& p = ui.panels[kPanel];
  if (!p.open) return;
  const TypeList& list = EngineTypesFor(app);
  const int32_t count = static_cast<int32_t>(list.count);
  Song& song = app.song;
  song.selectedEngineType = std::clamp(song.selectedEngineType, 0, std::max(count - 1, 0));
  song.engineListScroll = std::clamp(song.engineListScroll, 0, std::max(count - kRows, 0));
  song.engineListScroll = FollowSelection(song.selectedEngineType, song.engineListScroll, kRows);
  for (int32_t r = 0; r < kRows; ++r) {
    Button& row = p.buttons[C::FirstRow + r];
    const int32_t index = song.engineListScroll + r;
    SetEnabled(row, index < count);
    if (index >= count) continue;
    row.text = app.catalog[list.types[index]].name.data();
    row.style = index == song.selectedEngineType ? ButtonStyle::Push : ButtonStyle::ListRow;
  }
  const bool scrolls = count >= 2;
  SetRange(p.valueControls[C::ListSlider], 0, std::max(count - 1, 0), song.selectedEngineType);
  SetEnabled(p.valueControls[C::ListSlider], scrolls);
  SetEnabled(p.buttons[C::ListUp], scrolls);
  SetEnabled(p.buttons[C::ListDown], scrolls);
  p.labels[C::Level].caption = LevelCaption(app);
  DrawPanel(ui, kPanel);
}

void SelectType(AppState& app, int32_t index) {
  const int32_t count = static_cast<int32_t>(EngineTypesFor(app).count);
  if (index < 0 || index >= count) return;
  app.song.selectedEngineType = index;
  app.song.engineListScroll = FollowSelection(index, app.song.engineListScroll, kRows);
  app.changes.Report(Change::Selection);
}

}  // namespace

void BuildEngineTypeListPanel(Ui& ui, AppState& app) {
  PanelWindow& p = ui.panels[kPanel];
  // "Set Type" is wider than a push button: it takes the wide frame, and the level label moves over.
  AddButton(p, MakeButton(kSetTypeCaption, At(kRowLeft, 40, 64, 16), kWide, ButtonStyle::Push,
                          Command(ui, app, [](AppState& a, uint32_t) { SetEngineType(a); })));
  for (int32_t r = 0; r < kRows; ++r)
    AddButton(p, MakeButton(0, At(kRowLeft, kRowTop + kRowHeight * r, kRowWidth, kRowHeight), kRow, ButtonStyle::ListRow,
                            Command(ui, app, [](AppState& a, uint32_t row) {
                              SelectType(a, a.song.engineListScroll + static_cast<int32_t>(row));
                            }),
                            static_cast<uint32_t>(r)));
  const ControlHandler followSlider = Command(ui, app, [&p](AppState& a, uint32_t) {
    SelectType(a, p.valueControls[C::ListSlider].value);
  });
  p.wheelScroll = C::ListSlider;
  AddVerticalSlider(p, {208, 88, 112, 0, 1, 0}, followSlider);
  AddLabel(p, kProgramCaption, At(80, 40, 120, 16));
  p.refresh = [&ui, &app] { RefreshEngineTypeList(ui, app); };
}

}  // namespace tonforge
