#include "ui/name_edit.h"

#include <algorithm>

#include "app/app_state.h"
#include "ui/control_model.h"
#include "ui/draw.h"
#include "ui/panels.h"

namespace tonforge {

namespace {

Button* Target(Ui& ui, ButtonRef ref) {
  if (ref.panel < 0 || ref.panel >= kPanelCount) return nullptr;
  std::vector<Button>& buttons = ui.panels[ref.panel].buttons;
  return ref.button >= 0 && ref.button < static_cast<int32_t>(buttons.size()) ? &buttons[ref.button] : nullptr;
}

ValueControl* ValueTarget(Ui& ui) {
  const int32_t panel = ui.nameEdit.valuePanel, control = ui.nameEdit.valueControl;
  if (panel < 0 || panel >= kPanelCount) return nullptr;
  std::vector<ValueControl>& controls = ui.panels[panel].valueControls;
  return control >= 0 && control < static_cast<int32_t>(controls.size()) ? &controls[control] : nullptr;
}

// The typed number, within the control's range, as a drag would have left it.
void TakeTypedValue(ValueControl& v, std::string_view typed) {
  if (typed.empty()) return;
  v.value = std::clamp(ReadTypedNumber(typed), std::min(v.start, v.end), std::max(v.start, v.end));
  PlaceKnob(v);
  const ControlHandler handler = v.handler;
  if (handler) handler(v.argument);
}

}  // namespace

void StartNameEdit(Ui& ui, AppState& app, TextField field, int32_t target, int32_t maximum, ButtonRef shown,
                   ButtonRef row) {
  // A previous edit ends as Enter would end it, and its fields turn back before the new ones light up.
  EndTextEntry(app);
  FollowNameEdit(ui);
  StartTextEntry(app, field, target, maximum);
  ui.nameEdit.active = true;
  ui.nameEdit.targets = {shown, row};
  for (const ButtonRef& ref : ui.nameEdit.targets) {
    Button* b = Target(ui, ref);
    if (b == nullptr) continue;
    b->text = app.textEntry.text.data();
    b->style = ButtonStyle::Editing;
    DrawButton(ui, ref.panel, ref.button);
  }
}

void FollowNameEdit(Ui& ui) {
  if (!ui.nameEdit.active) return;
  ValueControl* value = ValueTarget(ui);
  if (ui.links.nameEditActive()) {
    // The number being typed is drawn in the knob's place key by key.
    if (value != nullptr) DrawValueControl(ui, ui.nameEdit.valuePanel, ui.nameEdit.valueControl);
    return;
  }
  ui.nameEdit.active = false;
  if (value != nullptr) {
    const int32_t panel = ui.nameEdit.valuePanel;
    ui.nameEdit.valuePanel = ui.nameEdit.valueControl = -1;
    TakeTypedValue(*value, ui.links.entryText());
    RequestRedraw(ui, panel);
    return;
  }
  for (const ButtonRef& ref : ui.nameEdit.targets) {
    Button* b = Target(ui, ref);
    if (b == nullptr) continue;
    // The refresh routine points the field at the record's name again.
    b->text = kNoText;
    b->style = ButtonStyle::Push;
  }
  const auto [first, second] = ui.nameEdit.targets;
  RequestRedraw(ui, first.panel);
  if (second.panel != first.panel) RequestRedraw(ui, second.panel);
  ui.nameEdit.targets = {};
}

bool StartValueEditAt(Ui& ui, int32_t panel, Point screen) {
  if (panel < 0 || panel >= kPanelCount) return false;
  const PanelWindow& p = ui.panels[panel];
  const Point at{screen.x - p.left, screen.y - p.top};
  for (int32_t i = 0; i < static_cast<int32_t>(p.valueControls.size()); ++i) {
    const ValueControl& v = p.valueControls[i];
    if (!(v.flags & ValueFlag::Enabled) || v.knob.Empty() || !Contains(v.knob.Offset(v.x, v.y), at)) continue;
    ui.links.endNameEdit();
    FollowNameEdit(ui);
    ui.links.startValueEntry();
    ui.nameEdit.active = true;
    ui.nameEdit.targets = {};
    ui.nameEdit.valuePanel = panel;
    ui.nameEdit.valueControl = i;
    DrawValueControl(ui, panel, i);
    return true;
  }
  return false;
}

bool IsValueEditTarget(const Ui& ui, int32_t panel, int32_t control) {
  return ui.nameEdit.active && ui.nameEdit.valuePanel == panel && ui.nameEdit.valueControl == control;
}

bool IsNameEditTarget(const Ui& ui, int32_t panel, int32_t button) {
  if (!ui.nameEdit.active) return false;
  for (const ButtonRef& ref : ui.nameEdit.targets)
    if (ref.panel == panel && ref.button == button) return true;
  return false;
}

}  // namespace tonforge
