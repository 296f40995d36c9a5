#include "ui/name_edit.h"

#include "app/app_state.h"
#include "ui/draw.h"
#include "ui/panels.h"

namespace tonforge {

namespace {

Button* Target(Ui& ui, ButtonRef ref) {
  if (ref.panel < 0 || ref.panel >= kPanelCount) return nullptr;
  std::vector<Button>& buttons = ui.panels[ref.panel].buttons;
  return ref.button >= 0 && ref.button < static_cast<int32_t>(buttons.size()) ? &buttons[ref.button] : nullptr;
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
  if (!ui.nameEdit.active || ui.links.nameEditActive()) return;
  ui.nameEdit.active = false;
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

bool IsNameEditTarget(const Ui& ui, int32_t panel, int32_t button) {
  if (!ui.nameEdit.active) return false;
  for (const ButtonRef& ref : ui.nameEdit.targets)
    if (ref.panel == panel && ref.button == button) return true;
  return false;
}

}  // namespace tonforge
