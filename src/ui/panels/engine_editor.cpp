#include "ui/panels/engine_editor.h"

#include <algorithm>
#include <array>
#include <memory>
#include <cmath>

#include "app/app_state.h"
#include "programs/data_slot_commands.h"
#include "programs/wave_import.h"
#include "ui/draw.h"
#include "ui/name_edit.h"
#include "ui/panels.h"
#include "ui/panels/panel_parts.h"

namespace tonforge {

namespace {

namespace C = EngineEditorControl;
constexpr int32_t kPanel = PanelIndex(Panel::EngineEditor);

constexpr int32_t kLoadCaption = 31, kClearCaption = 69, kLoopCaption = 70, kInvertCaption = 71,
                  kReverseCaption = 72, kSyncCaption = 83;
constexpr uint32_t kArrow = 0, kPush = 2, kWide = 3;

constexpr int32_t kParameterLeft = 16, kParameterSpacing = 48, kParameterTop = 56, kParameterLength = 64;
constexpr int32_t kOptionLeft = 464, kOptionTop = 40;
// Upper left corners of the four DataSlot blocks.
constexpr Point kBlockCorners[kDataSlotCount] = {{8, 152}, {280, 152}, {8, 280}, {280, 280}};
constexpr int32_t kSliderRow = 48;  // the period and root pitch sliders share a row: a slot has one kind

constexpr uint32_t kVertical = ValueFlag::Enabled | ValueFlag::Vertical | ValueFlag::StartIsUpper;
constexpr uint32_t kHorizontal = ValueFlag::Enabled | ValueFlag::Horizontal | ValueFlag::StartIsLower;

Rect At(int32_t x, int32_t y, int32_t w, int32_t h) { return {x, y, x + w, y + h}; }

// What a control shows of a stored fraction: x 100, moved 0.002 away from zero, truncated toward zero.
int32_t Percent(float fraction) {
  const double v = static_cast<double>(fraction) * 100.0;
  return static_cast<int32_t>(v < 0 ? v - 0.002 : v + 0.002);
}

// The period a modulator slot's rate stands for: milliseconds at 44100 Hz, or ticks with tempo sync.
int32_t SlotPeriod(const DataSlot& s, int32_t ticksPerBeat) {
  const double rate = s.rootOrRate.f;
  if (!(rate > 0.0)) return kMaxSlotPeriod;
  const double period = s.tempoSync != 0 ? static_cast<double>(s.length) * ticksPerBeat / rate
                                         : static_cast<double>(s.length) * 10000.0 / (rate * 441000.0);
  if (!std::isfinite(period)) return kMaxSlotPeriod;
  return static_cast<int32_t>(std::clamp(period + 0.002, 1.0, static_cast<double>(kMaxSlotPeriod)));
}

uint32_t ToggleStyle(uint32_t flag) { return flag != 0 ? ButtonStyle::ToggleOn : ButtonStyle::ToggleOff; }

using SlotNames = std::array<std::array<char, 17>, kDataSlotCount>;

void RefreshSlotBlock(Ui& ui, AppState& app, PanelWindow& p, const Engine* e, int k, SlotNames& names) {
  for (int32_t b = 0; b < C::SlotButtonCount; ++b) {
    const int32_t index = C::FirstSlotButton + C::SlotButtonCount * k + b;
    if (!IsNameEditTarget(ui, kPanel, index)) SetEnabled(p.buttons[index], false);
  }
  for (int32_t c = 0; c < C::SlotControlCount; ++c)
    SetEnabled(p.valueControls[C::FirstSlotControl + C::SlotControlCount * k + c], false);
  for (int32_t l = 0; l < C::SlotLabelCount; ++l)
    SetEnabled(p.labels[C::FirstSlotLabel + C::SlotLabelCount * k + l], false);
  if (e == nullptr) return;
  const DataSlotSpec& slotType = app.catalog[e->type].dataSlots[k];
  if (slotType.kind == SlotKind::None) return;
  const DataSlot& s = e->slots[k];
  const bool wave = slotType.kind == SlotKind::Wave;
  const auto button = [&](C::SlotButton b) -> Button& { return p.buttons[C::SlotButtonIndex(k, b)]; };
  const auto control = [&](C::SlotControl c) -> ValueControl& { return p.valueControls[C::SlotControlIndex(k, c)]; };
  const auto label = [&](C::SlotLabel l) -> Label& { return p.labels[C::SlotLabelIndex(k, l)]; };
  if (s.loaded == 0) {
    SetEnabled(button(wave ? C::LoadWave : C::LoadModulator), true);
    Label& name = label(C::SlotName);
    name.text = slotType.label.data();
    SetEnabled(name, true);
    return;
  }
  SetEnabled(button(C::Clear), true);
  Button& name = button(C::Name);
  if (!IsNameEditTarget(ui, kPanel, C::SlotButtonIndex(k, C::Name))) {
    name.text = KeepText(names[k], s.name);
    SetEnabled(name, true);
  }
  const auto toggle = [&](C::SlotButton b, bool shown, uint32_t flag) {
    SetEnabled(button(b), shown);
    button(b).style = ToggleStyle(flag);
  };
  toggle(C::Loop, wave, s.looped);
  toggle(C::Invert, slotType.offersInvert != 0, s.inverted);
  toggle(C::Reverse, slotType.offersReverse != 0, s.reversed);
  toggle(C::Sync, slotType.offersSync != 0, s.tempoSync);
  if (wave) {
    SetRange(control(C::Gain), 100, 0, std::clamp(Percent(s.gain), 0, 100));
    SetRange(control(C::RootPitch), 0, kHighestPitch, std::clamp(s.rootOrRate.i, 0, kHighestPitch));
    SetEnabled(control(C::Gain), true);
    SetEnabled(control(C::RootPitch), true);
    for (C::SlotButton b : {C::GainUp, C::GainDown, C::RootDown, C::RootUp}) SetEnabled(button(b), true);
    SetEnabled(label(C::GainName), true);
    SetEnabled(label(C::RootName), true);
  } else {
    SetRange(control(C::Period), 1, kMaxSlotPeriod, SlotPeriod(s, app.song.ticksPerBeat));
    SetEnabled(control(C::Period), true);
    SetEnabled(button(C::PeriodDown), true);
    SetEnabled(button(C::PeriodUp), true);
    SetEnabled(label(C::PeriodName), true);
  }
}

void RefreshEngineEditor(Ui& ui, AppState& app, SlotNames& names) {
  PanelWindow& p = ui.panels[kPanel];
  if (!p.open) return;
  const Engine* e = SelectedEngine(app);
  const EngineType* type = e != nullptr && IsKnownType(e->type) ? &app.catalog[e->type] : nullptr;
  if (type == nullptr) e = nullptr;
  p.title = type != nullptr ? std::string(type->name.data()) : std::string();
  for (int k = 0; k < kParameterCount; ++k) {
    const ParameterSpec* param = type != nullptr && type->parameters[k].present != 0 ? &type->parameters[k] : nullptr;
    ValueControl& v = p.valueControls[k];
    SetEnabled(v, param != nullptr);
    SetEnabled(p.buttons[C::ParameterUp + 2 * k], param != nullptr);
    SetEnabled(p.buttons[C::ParameterDown + 2 * k], param != nullptr);
    SetEnabled(p.labels[k], param != nullptr);
    if (param == nullptr) continue;
    SetRange(v, param->maximum, param->minimum, std::clamp(Percent(e->F[k]), param->minimum, param->maximum));
    p.labels[k].text = param->label.data();
  }
  bool anyOption = false;
  for (int g = 0; g < kOptionCount; ++g) {
    Button& b = p.buttons[C::FirstOption + g];
    const OptionSpec* option = type != nullptr && type->options[g].present != 0 ? &type->options[g] : nullptr;
    SetEnabled(b, option != nullptr);
    if (option == nullptr) continue;
    anyOption = true;
    const uint32_t value = e->options[g];
    if (option->kind == OptionKind::Choice && option->count > 0) {
      b.text = option->labels[std::min(value, option->count - 1)].data();
      b.style = ButtonStyle::Push;
    } else {
      b.text = option->labels[0].data();
      b.style = ToggleStyle(value);
    }
  }
  SetEnabled(p.labels[C::OptionsLabel], anyOption);
  for (int k = 0; k < kDataSlotCount; ++k) RefreshSlotBlock(ui, app, p, e, k, names);
  DrawPanel(ui, kPanel);
}

// An option with choices steps to the next one, wrapping; one without toggles.
void StepOption(AppState& app, int g) {
  Engine* e = SelectedEngine(app);
  if (e == nullptr || !IsKnownType(e->type)) return;
  const OptionSpec& option = app.catalog[e->type].options[g];
  if (option.present == 0) return;
  const uint32_t value = e->options[g];  // the playback thread reads the option while it changes
  if (option.kind == OptionKind::Choice && option.count > 0)
    e->options[g] = value + 1 >= option.count ? 0 : value + 1;
  else
    e->options[g] = value != 0 ? 0 : 1;
}

void BuildSlotBlock(Ui& ui, AppState& app, PanelWindow& p, int k) {
  const Point o = kBlockCorners[k];
  const auto at = [o](int32_t x, int32_t y, int32_t w, int32_t h) { return At(o.x + x, o.y + y, w, h); };
  const auto slotCommand = [&ui, &app](auto run) {
    return Command(ui, app, [run](AppState& a, uint32_t slot) {
      run(a, static_cast<int>(slot));
      a.changes.Report(Change::Engine);
    });
  };
  const auto controlValue = [&p, k](C::SlotControl c) { return p.valueControls[C::SlotControlIndex(k, c)].value; };
  const auto run = [&](SlotCommand command, C::SlotControl valueFrom) {
    return slotCommand([command, valueFrom, controlValue](AppState& a, int slot) {
      RunSlotCommand(a, command, slot, controlValue(valueFrom));
    });
  };
  const auto add = [&](int32_t caption, Rect rect, uint32_t frame, uint32_t style, ControlHandler handler,
                       uint32_t flags = 0, int32_t attached = 0) {
    Button b = MakeButton(caption, rect, frame, style, std::move(handler), static_cast<uint32_t>(k));
    b.flags |= flags;
    b.attachedControl = static_cast<uint32_t>(C::SlotControlIndex(k, static_cast<C::SlotControl>(attached)));
    return AddButton(p, std::move(b));
  };
  const Rect loadPlace = at(136, 0, 48, 16);
  // Shift held on Load scales the file to full range.
  const auto level = [&ui] { return ui.pointer.shift ? ImportLevel::FullRange : ImportLevel::AsRecorded; };
  add(kLoadCaption, loadPlace, kPush, ButtonStyle::Push,
      slotCommand([level](AppState& a, int slot) { LoadWave(a, slot, level()); }));
  add(kLoadCaption, loadPlace, kPush, ButtonStyle::Push,
      slotCommand([level](AppState& a, int slot) { LoadModulator(a, slot, level()); }));
  add(kClearCaption, loadPlace, kPush, ButtonStyle::Push, run(SlotCommand::Clear, C::Gain));
  const int32_t nameButton = C::SlotButtonIndex(k, C::Name);
  add(0, at(0, 0, 128, 16), kWide, ButtonStyle::Push, [&ui, &app, nameButton](uint32_t slot) {
    StartNameEdit(ui, app, TextField::DataSlotName, static_cast<int32_t>(slot), kDataSlotNameMaximum,
                  {kPanel, nameButton});
  });
  add(kLoopCaption, at(0, 24, 48, 16), kPush, ButtonStyle::ToggleOff, run(SlotCommand::Loop, C::Gain));
  add(kInvertCaption, at(48, 24, 48, 16), kPush, ButtonStyle::ToggleOff, run(SlotCommand::Invert, C::Gain));
  add(kReverseCaption, at(96, 24, 48, 16), kPush, ButtonStyle::ToggleOff, run(SlotCommand::Reverse, C::Gain));
  add(kSyncCaption, at(144, 24, 48, 16), kPush, ButtonStyle::ToggleOff, run(SlotCommand::Sync, C::Period));
  const ControlHandler gain = run(SlotCommand::Gain, C::Gain);
  const ControlHandler period = run(SlotCommand::Period, C::Period);
  const ControlHandler root = run(SlotCommand::RootPitch, C::RootPitch);
  add(kArrowUpCaption, at(224, 0, 16, 16), kArrow, ButtonStyle::Push, gain, ButtonFlag::StepUp, C::Gain);
  add(kArrowDownCaption, at(224, 80, 16, 16), kArrow, ButtonStyle::Push, gain, ButtonFlag::StepDown, C::Gain);
  add(kArrowLeftCaption, at(48, kSliderRow, 16, 16), kArrow, ButtonStyle::Push, period, ButtonFlag::BeatDown, C::Period);
  add(kArrowRightCaption, at(192, kSliderRow, 16, 16), kArrow, ButtonStyle::Push, period, ButtonFlag::BeatUp, C::Period);
  add(kArrowLeftCaption, at(48, kSliderRow, 16, 16), kArrow, ButtonStyle::Push, root, ButtonFlag::OctaveDown,
      C::RootPitch);
  add(kArrowRightCaption, at(192, kSliderRow, 16, 16), kArrow, ButtonStyle::Push, root, ButtonFlag::OctaveUp,
      C::RootPitch);

  AddValueControl(p, MakeValueControl(kVertical, o.x + 216, o.y + 16, 64, 100, 0, 100, gain, static_cast<uint32_t>(k)));
  AddValueControl(p, MakeValueControl(kHorizontal, o.x + 64, o.y + kSliderRow, 128, 1, kMaxSlotPeriod, 1, period,
                                      static_cast<uint32_t>(k)));
  AddValueControl(p, MakeValueControl(kHorizontal | ValueFlag::ShowNoteName, o.x + 64, o.y + kSliderRow, 128, 0,
                                      kHighestPitch, kDefaultRootPitch, root, static_cast<uint32_t>(k)));
  AddLabel(p, 0, at(0, 0, 128, 16));
  AddLabel(p, kGainCaption, at(208, 96, 48, 16));
  AddLabel(p, kPeriodCaption, at(0, kSliderRow, 48, 16));
  AddLabel(p, kRootPitchCaption, at(0, kSliderRow, 48, 16));
}

}  // namespace

int EngineSlotAt(const Ui& ui, Point screen) {
  const PanelWindow& p = ui.panels[kPanel];
  if (!p.open || PanelAt(ui, screen) != kPanel) return -1;
  // A block holds its controls within this much of its corner.
  constexpr int32_t kBlockWidth = 264, kBlockHeight = 120;
  const Point at{screen.x - p.left, screen.y - p.top};
  for (int k = 0; k < kDataSlotCount; ++k)
    if (Contains(At(kBlockCorners[k].x, kBlockCorners[k].y, kBlockWidth, kBlockHeight), at)) return k;
  return -1;
}

void BuildEngineEditorPanel(Ui& ui, AppState& app) {
  PanelWindow& p = ui.panels[kPanel];
  const auto command = [&ui, &app](auto run) {
    return Command(ui, app, [run](AppState& a, uint32_t argument) {
      run(a, static_cast<int>(argument));
      a.changes.Report(Change::Engine);
    });
  };
  const auto setParameter = command([&p](AppState& a, int k) {
    if (Engine* e = SelectedEngine(a)) SetParameter(*e, k, p.valueControls[k].value);
  });
  for (int k = 0; k < kParameterCount; ++k) {
    const int32_t x = kParameterLeft + kParameterSpacing * k;
    for (uint32_t step : {ButtonFlag::StepUp, ButtonFlag::StepDown}) {
      const int32_t y = step == ButtonFlag::StepUp ? kParameterTop - 16 : kParameterTop + kParameterLength;
      Button b = MakeButton(step == ButtonFlag::StepUp ? kArrowUpCaption : kArrowDownCaption, At(x + 8, y, 16, 16),
                            kArrow, ButtonStyle::Push, setParameter, static_cast<uint32_t>(k));
      b.flags |= step;
      b.attachedControl = static_cast<uint32_t>(k);
      AddButton(p, std::move(b));
    }
  }
  for (int g = 0; g < kOptionCount; ++g)
    AddButton(p, MakeButton(0, At(kOptionLeft, kOptionTop + 16 * g, 48, 16), kPush, ButtonStyle::ToggleOff,
                            command([](AppState& a, int option) { StepOption(a, option); }), static_cast<uint32_t>(g)));
  for (int k = 0; k < kParameterCount; ++k)
    AddValueControl(p, MakeValueControl(kVertical, kParameterLeft + kParameterSpacing * k, kParameterTop,
                                        kParameterLength, 100, 0, 0, setParameter, static_cast<uint32_t>(k)));
  for (int k = 0; k < kParameterCount; ++k) {
    const int32_t x = kParameterLeft + kParameterSpacing * k;
    AddLabel(p, 0, At(x - 8, 24, 48, 16));
  }
  for (int k = 0; k < kDataSlotCount; ++k) BuildSlotBlock(ui, app, p, k);
  AddLabel(p, kOptionsCaption, At(kOptionLeft, 24, 48, 16));
  p.refresh = [&ui, &app, names = std::make_shared<SlotNames>()] { RefreshEngineEditor(ui, app, *names); };
}

}  // namespace tonforge
