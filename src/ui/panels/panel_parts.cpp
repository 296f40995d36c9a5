#include "ui/panels/panel_parts.h"

#include <algorithm>

#include "app/app_state.h"
#include "ui/control_model.h"
#include "ui/panels.h"

namespace tonforge {

namespace {

constexpr int32_t kTrackChain = PanelIndex(Panel::TrackChain);
constexpr int32_t kSongChain = PanelIndex(Panel::SongChain);

}  // namespace

void SetAllEnabled(PanelWindow& panel, bool on) {
  for (Button& b : panel.buttons) SetEnabled(b, on);
  for (ValueControl& v : panel.valueControls) SetEnabled(v, on);
  for (Label& l : panel.labels) SetEnabled(l, on);
}

void ShowValue(ValueControl& v, int32_t value) { ShowValue(v, value, v.start, v.end); }

void ShowValue(ValueControl& v, int32_t value, int32_t start, int32_t end) {
  if (v.flags & ValueFlag::Dragged) return;
  v.start = start;
  v.end = end;
  v.value = std::clamp(value, std::min(start, end), std::max(start, end));
  PlaceKnob(v);
}

void SetRange(ValueControl& v, int32_t start, int32_t end, int32_t value) {
  v.start = start;
  v.end = end;
  v.value = value;
  PlaceKnob(v);
}

int32_t AddVerticalSlider(PanelWindow& panel, const VerticalSliderPlace& place, ControlHandler handler,
                          uint32_t argument) {
  // The larger value at the top counts down the track; a list counts up from 0 at the top.
  const bool upperAtTop = place.top > place.bottom;
  const uint32_t bound = upperAtTop ? ValueFlag::StartIsUpper : ValueFlag::StartIsLower;
  const int32_t control =
      AddValueControl(panel, MakeValueControl(ValueFlag::Enabled | ValueFlag::Vertical | bound, place.x, place.y,
                                              place.length, place.top, place.bottom, place.value, handler, argument));
  // The arrows sit over the track strip, which is drawn 8 pixels right of the slider.
  const int32_t left = place.x + 8;
  Button up = MakeButton(kArrowUpCaption, {left, place.y - 16, left + 16, place.y}, kArrowFrame, ButtonStyle::Push,
                         handler, argument);
  up.flags |= upperAtTop ? ButtonFlag::StepUp : ButtonFlag::StepDown;
  up.attachedControl = static_cast<uint32_t>(control);
  const int32_t bottom = place.y + place.length;
  Button down = MakeButton(kArrowDownCaption, {left, bottom, left + 16, bottom + 16}, kArrowFrame, ButtonStyle::Push,
                           std::move(handler), argument);
  down.flags |= upperAtTop ? ButtonFlag::StepDown : ButtonFlag::StepUp;
  down.attachedControl = static_cast<uint32_t>(control);
  AddButton(panel, std::move(up));
  AddButton(panel, std::move(down));
  return control;
}

void SetText(TextBuffer& buffer, std::string_view text) {
  buffer.fill('\0');
  std::copy_n(text.begin(), std::min(text.size(), buffer.size() - 1), buffer.begin());
}

int32_t FollowSelection(int32_t selection, int32_t firstVisible, int32_t rows) {
  if (selection < firstVisible) return selection;
  if (selection - firstVisible > rows - 1) return selection - (rows - 1);
  return firstVisible;
}

void FollowTrackPanels(Ui& ui) {
  const bool global = ui.links.globalTrackCurrent();
  const int32_t stale = global ? kTrackChain : kSongChain;
  if (!ui.panels[stale].open) return;
  ClosePanel(ui, stale);
  OpenPanel(ui, global ? kSongChain : kTrackChain);
}

void ShowCommandResult(Ui& ui, AppState& app) {
  FollowTrackPanels(ui);
  TakeRedraws(ui, app.changes);
}

ControlHandler Command(Ui& ui, AppState& app, std::function<void(AppState&, uint32_t)> command) {
  return [&ui, &app, command = std::move(command)](uint32_t argument) {
    command(app, argument);
    ShowCommandResult(ui, app);
  };
}

}  // namespace tonforge
