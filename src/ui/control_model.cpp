#include "ui/control_model.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "ui/draw.h"
#include "ui/panels.h"

namespace tonforge {

namespace {

constexpr int32_t kOctave = 1200;
constexpr std::array<const char*, 12> kNoteNames{"C ", "C#", "D ", "D#", "E ", "F ", "F#", "G ", "G#", "A ", "A#", "B "};

bool IsVertical(const ValueControl& v) { return (v.flags & ValueFlag::Vertical) != 0; }
int32_t Travel(const ValueControl& v) { return v.length - (IsVertical(v) ? kKnobHeight : kHorizontalKnobWidth); }

struct Bounds {
  int32_t lower;
  int32_t upper;
};

Bounds BoundsOf(const ValueControl& v) {
  if (v.flags & ValueFlag::StartIsUpper) return {v.end, v.start};
  return {v.start, v.end};
}

Point ToOuter(const PanelWindow& p, Point client) { return {client.x + p.clientOffset.x, client.y + p.clientOffset.y}; }

bool ValidPanel(int32_t panel) { return panel >= 0 && panel < kPanelCount; }

void RedrawKnobAt(Ui& ui, int32_t panel, int32_t control) {
  EraseKnob(ui, panel, control);
  PlaceKnob(ui.panels[panel].valueControls[control]);
  DrawKnob(ui, panel, control);
}

void StepAttached(Ui& ui, int32_t panel, const Button& b, bool rightButton) {
  PanelWindow& p = ui.panels[panel];
  if (b.attachedControl >= p.valueControls.size()) return;
  const int32_t control = static_cast<int32_t>(b.attachedControl);
  if (ApplyStepFlags(p.valueControls[control], b.flags, ui.links.beats().ticksPerBeat, rightButton))
    RedrawKnobAt(ui, panel, control);
}

// Release and right release differ only in how the steps go.
void ReleaseButtons(Ui& ui, int32_t panel, Point client, bool rightButton) {
  if (!ValidPanel(panel)) return;
  const Point at = ToOuter(ui.panels[panel], client);
  for (size_t i = 0; i < ui.panels[panel].buttons.size(); ++i) {
    Button& b = ui.panels[panel].buttons[i];
    if (!(b.flags & ButtonFlag::Pressed) || !StrictlyInside(b.rect, at)) continue;
    StepAttached(ui, panel, b, rightButton);
    b.flags &= ~ButtonFlag::Pressed;
    // A copy, so that a handler may rebuild the button it was called from.
    const ControlHandler handler = b.handler;
    const uint32_t argument = b.argument;
    if (handler) handler(argument);
    DrawButton(ui, panel, static_cast<int32_t>(i));
  }
}

// The place the knob runs along, in outer coordinates.
Rect TrackOf(const ValueControl& v) {
  return IsVertical(v) ? Rect{v.x, v.y, v.x + kVerticalKnobWidth, v.y + v.length}
                       : Rect{v.x, v.y, v.x + v.length, v.y + kKnobHeight};
}

// Moves a control's knob by `steps` values toward its top or right end (negative: the other way), and
// reports the new value as a finished drag does.
void StepValue(Ui& ui, int32_t panel, int32_t control, int32_t steps) {
  ValueControl& v = ui.panels[panel].valueControls[control];
  if (!(v.flags & ValueFlag::Enabled) || v.start == v.end) return;
  const int32_t towardEnd = v.end > v.start ? 1 : -1;
  const int32_t delta = IsVertical(v) ? -steps * towardEnd : steps * towardEnd;
  const Bounds b = BoundsOf(v);
  const int32_t value = std::clamp(v.value + delta, b.lower, b.upper);
  if (value == v.value) return;
  v.value = value;
  RedrawKnobAt(ui, panel, control);
  const ControlHandler handler = v.handler;
  if (handler) handler(v.argument);
}

}  // namespace

std::string NoteName(int32_t pitch) {
  const int32_t p = std::max(pitch, 0);
  std::string name = kNoteNames[(p / 100) % 12];
  name += static_cast<char>('0' + (p / kOctave) % 10);
  const int32_t cents = p % 100;
  if (cents != 50) {
    char deviation[8];
    std::snprintf(deviation, sizeof deviation, "%c%02d", cents < 51 ? '-' : '+', cents < 51 ? 50 - cents : cents - 50);
    name += deviation;
  }
  return name;
}

std::string BarBeatText(int32_t ticks, BeatFigures beats) {
  const int32_t beat = ticks / std::max(beats.ticksPerBeat, 1);
  const int32_t perBar = std::max(beats.beatsPerBar, 1);
  return std::to_string(beat / perBar) + ":" + std::to_string(beat % perBar);
}

int32_t ValueFromKnob(const ValueControl& v) {
  const int32_t travel = Travel(v);
  if (travel <= 0) return v.start;
  const int32_t offset = IsVertical(v) ? v.knob.top : v.knob.left;
  return static_cast<int32_t>(static_cast<int64_t>(v.end - v.start) * offset / travel + v.start);
}

void PlaceKnob(ValueControl& v) {
  if (v.start == v.end) {
    v.knob = {};
    return;
  }
  const int32_t offset =
      static_cast<int32_t>(static_cast<int64_t>(v.value - v.start) * Travel(v) / (static_cast<int64_t>(v.end) - v.start));
  v.knob = IsVertical(v) ? Rect{0, offset, kVerticalKnobWidth, offset + kKnobHeight}
                         : Rect{offset, 0, offset + kHorizontalKnobWidth, kKnobHeight};
}

bool ApplyStepFlags(ValueControl& v, uint32_t flags, int32_t ticksPerBeat, bool rightButton) {
  namespace F = ButtonFlag;
  const Bounds b = BoundsOf(v);
  const auto down = [&](int32_t by) { v.value = std::max(v.value - by, b.lower); };
  const auto up = [&](int32_t by) { v.value = std::min(v.value + by, b.upper); };
  if (rightButton) {
    if (flags & (F::BeatDown | F::OctaveDown)) down(1);
    if (flags & (F::BeatUp | F::OctaveUp)) up(1);
  } else {
    if ((flags & F::StepDown) && v.value > b.lower) v.value -= 1;
    if ((flags & F::StepUp) && v.value < b.upper) v.value += 1;
    if (flags & F::BeatDown) down(ticksPerBeat);
    // A period of 1 tick steps to one beat rather than to one beat and a tick.
    if (flags & F::BeatUp) v.value = std::min(v.value == 1 ? ticksPerBeat : v.value + ticksPerBeat, b.upper);
    if (flags & F::OctaveDown) down(kOctave);
    if (flags & F::OctaveUp) up(kOctave);
  }
  return (flags & (F::StepDown | F::StepUp | F::BeatDown | F::BeatUp | F::OctaveDown | F::OctaveUp)) != 0;
}

void PressPanel(Ui& ui, int32_t panel, Point client) {
  if (!ValidPanel(panel) || ui.links.nameEditActive()) return;
  if (ui.splash) {
    ui.splash = false;
    RepaintArea(ui, kSplashPlace);
    RequestRedraw(ui, PanelIndex(Panel::EngineEditor));
  }
  PanelWindow& p = ui.panels[panel];
  const Point at = ToOuter(p, client);
  for (size_t i = 0; i < p.valueControls.size(); ++i) {
    ValueControl& v = p.valueControls[i];
    if (!(v.flags & ValueFlag::Enabled) || !StrictlyInside(v.knob.Offset(v.x, v.y), at)) continue;
    EraseKnob(ui, panel, static_cast<int32_t>(i));
    v.flags |= ValueFlag::Dragged;
    DrawKnob(ui, panel, static_cast<int32_t>(i));
    ui.pointer.draggedControl = static_cast<int32_t>(i);
    ui.pointer.draggedPanel = panel;
  }
  for (size_t i = 0; i < p.buttons.size(); ++i) {
    Button& b = p.buttons[i];
    if (!(b.flags & ButtonFlag::Enabled) || !StrictlyInside(b.rect, at)) continue;
    b.flags |= ButtonFlag::Pressed;
    DrawButton(ui, panel, static_cast<int32_t>(i));
  }
  if (p.pressExtra) p.pressExtra(at);
}

void WheelPanel(Ui& ui, int32_t panel, Point client, int32_t notches, bool shift) {
  if (!ValidPanel(panel) || notches == 0 || ui.links.nameEditActive()) return;
  PanelWindow& p = ui.panels[panel];
  const Point at = ToOuter(p, client);
  constexpr int32_t kShiftSteps = 10;
  for (size_t i = 0; i < p.valueControls.size(); ++i) {
    const ValueControl& v = p.valueControls[i];
    if (!(v.flags & ValueFlag::Enabled) || !Contains(TrackOf(v), at)) continue;
    StepValue(ui, panel, static_cast<int32_t>(i), notches * (shift ? kShiftSteps : 1));
    return;
  }
  const int32_t scroll = shift && p.wheelScrollSideways >= 0 ? p.wheelScrollSideways : p.wheelScroll;
  if (scroll < 0 || scroll >= static_cast<int32_t>(p.valueControls.size())) return;
  // A list scrolls toward its start as the wheel turns away from the user; a view sideways goes back in time.
  StepValue(ui, panel, scroll, IsVertical(p.valueControls[scroll]) ? notches : -notches);
}

void ReleasePanel(Ui& ui, int32_t panel, Point client) {
  ReleaseButtons(ui, panel, client, false);
  ReleaseAll(ui);
}

void RightPressPanel(Ui& ui, int32_t panel, Point client) {
  if (!ValidPanel(panel) || ui.links.nameEditActive()) return;
  PanelWindow& p = ui.panels[panel];
  const Point at = ToOuter(p, client);
  for (size_t i = 0; i < p.buttons.size(); ++i) {
    Button& b = p.buttons[i];
    if (!(b.flags & ButtonFlag::Enabled) || !StrictlyInside(b.rect, at)) continue;
    b.flags |= ButtonFlag::Pressed;
    DrawButton(ui, panel, static_cast<int32_t>(i));
  }
}

void RightReleasePanel(Ui& ui, int32_t panel, Point client) {
  ReleaseButtons(ui, panel, client, true);
  ClearPressed(ui);
}

void MovePointer(Ui& ui, Point screen, bool fine) {
  PointerState& s = ui.pointer;
  if (s.draggedControl >= 0 && ValidPanel(s.draggedPanel) &&
      s.draggedControl < static_cast<int32_t>(ui.panels[s.draggedPanel].valueControls.size())) {
    ValueControl& v = ui.panels[s.draggedPanel].valueControls[s.draggedControl];
    EraseKnob(ui, s.draggedPanel, s.draggedControl);
    if (fine) {
      // Two pixels a step; the knob shows the value rather than the pointer. Leftover pixels carry over.
      constexpr int32_t kPixelsPerFineStep = 2;
      s.fineCarry += IsVertical(v) ? s.last.y - screen.y : screen.x - s.last.x;
      const int32_t steps = s.fineCarry / kPixelsPerFineStep;
      s.fineCarry -= steps * kPixelsPerFineStep;
      const int32_t towardEnd = v.end > v.start ? 1 : -1;
      const Bounds b = BoundsOf(v);
      v.value = std::clamp(v.value + (IsVertical(v) ? -steps : steps) * towardEnd, b.lower, b.upper);
      PlaceKnob(v);
      DrawKnob(ui, s.draggedPanel, s.draggedControl);
      s.last = screen;
      return;
    }
    s.fineCarry = 0;
    const int32_t travel = std::max(Travel(v), 0);
    if (IsVertical(v)) {
      const int32_t top = std::clamp(v.knob.top + screen.y - s.last.y, 0, travel);
      v.knob = {v.knob.left, top, v.knob.right, top + kKnobHeight};
    } else {
      const int32_t left = std::clamp(v.knob.left + screen.x - s.last.x, 0, travel);
      v.knob = {left, v.knob.top, left + kHorizontalKnobWidth, v.knob.bottom};
    }
    v.value = ValueFromKnob(v);
    DrawKnob(ui, s.draggedPanel, s.draggedControl);
  }
  s.last = screen;
}

void MovePointerOnPanel(Ui& ui, int32_t panel, Point client) {
  if (!ValidPanel(panel)) return;
  const Rect area = ClientArea(ui.panels[panel]);
  MovePointer(ui, {client.x + area.left, client.y + area.top});
}

void ReleaseAll(Ui& ui) {
  PointerState& s = ui.pointer;
  if (s.draggedControl >= 0 && ValidPanel(s.draggedPanel) &&
      s.draggedControl < static_cast<int32_t>(ui.panels[s.draggedPanel].valueControls.size())) {
    const int32_t panel = s.draggedPanel, control = s.draggedControl;
    s.draggedControl = -1;
    s.draggedPanel = -1;
    ValueControl& v = ui.panels[panel].valueControls[control];
    EraseKnob(ui, panel, control);
    v.flags &= ~ValueFlag::Dragged;
    PlaceKnob(v);
    DrawKnob(ui, panel, control);
    const ControlHandler handler = v.handler;
    if (handler) handler(v.argument);
  }
  s.draggedControl = -1;
  s.draggedPanel = -1;
  ClearPressed(ui);
}

void ClearPressed(Ui& ui) {
  for (int32_t panel = 0; panel < kPanelCount; ++panel) {
    PanelWindow& p = ui.panels[panel];
    if (!p.open) continue;
    for (size_t i = 0; i < p.buttons.size(); ++i) {
      if (!(p.buttons[i].flags & ButtonFlag::Pressed)) continue;
      p.buttons[i].flags &= ~ButtonFlag::Pressed;
      DrawButton(ui, panel, static_cast<int32_t>(i));
    }
  }
}

}  // namespace tonforge
