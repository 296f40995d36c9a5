#include "ui/panels.h"

#include <algorithm>

#include "ui/control_model.h"
#include "ui/draw.h"
#include "ui/control_centre.h"

namespace tonforge {

namespace {

using P = Panel;
constexpr int32_t kControlCentre = PanelIndex(P::ControlCentre), kProgramList = PanelIndex(P::ProgramList),
                  kRenderOutput = PanelIndex(P::RenderOutput), kTrackChain = PanelIndex(P::TrackChain),
                  kProgramEditor = PanelIndex(P::ProgramEditor), kEventList = PanelIndex(P::EventList),
                  kSongChain = PanelIndex(P::SongChain), kTrackList = PanelIndex(P::TrackList),
                  kEngineEditor = PanelIndex(P::EngineEditor), kEngineTypeList = PanelIndex(P::EngineTypeList);

// Each panel's toggle among the control centre's buttons (the song chain shares the track chain's).
constexpr std::array<int32_t, kPanelCount> kOpeners{-1, 9, 5, 3, 7, 4, 3, 2, 6, 8};

bool Valid(int32_t panel) { return panel >= 0 && panel < kPanelCount; }

void ForgetPointerOn(Ui& ui, int32_t panel) {
  if (ui.pointer.draggedPanel == panel) {
    ui.pointer.draggedPanel = -1;
    ui.pointer.draggedControl = -1;
  }
  if (ui.pointer.movedPanel == panel) ui.pointer.movedPanel = -1;
}

}  // namespace

int32_t OpenerButton(int32_t panel) { return Valid(panel) ? kOpeners[panel] : -1; }

Button MakeButton(int32_t caption, Rect rect, uint32_t frameKind, uint32_t style, ControlHandler handler,
                  uint32_t argument) {
  Button b;
  b.captionOrValue = caption;
  b.rect = rect;
  b.frameKind = frameKind;
  b.style = style;
  b.handler = std::move(handler);
  b.argument = argument;
  return b;
}

int32_t AddButton(PanelWindow& panel, Button button) {
  panel.buttons.push_back(std::move(button));
  return static_cast<int32_t>(panel.buttons.size()) - 1;
}

ValueControl MakeValueControl(uint32_t flags, int32_t x, int32_t y, int32_t length, int32_t start, int32_t end,
                              int32_t value, ControlHandler handler, uint32_t argument) {
  ValueControl v;
  v.flags = flags;
  v.x = x;
  v.y = y;
  v.length = length;
  v.start = start;
  v.end = end;
  v.value = value;
  v.knob = {0, 0, (flags & ValueFlag::Horizontal) ? kHorizontalKnobWidth : kVerticalKnobWidth, kKnobHeight};
  v.handler = std::move(handler);
  v.argument = argument;
  PlaceKnob(v);
  return v;
}

int32_t AddValueControl(PanelWindow& panel, ValueControl control) {
  panel.valueControls.push_back(std::move(control));
  return static_cast<int32_t>(panel.valueControls.size()) - 1;
}

int32_t AddLabel(PanelWindow& panel, int32_t caption, Rect rect) {
  Label l;
  l.caption = caption;
  l.rect = {rect.left, rect.top + 1, rect.right, rect.bottom};
  panel.labels.push_back(l);
  return static_cast<int32_t>(panel.labels.size()) - 1;
}

void BuildPanels(Ui& ui) {
  for (int32_t i = 0; i < kPanelCount; ++i) {
    PanelWindow& p = ui.panels[i];
    const PanelPlace& place = kPanelPlaces[i];
    p = PanelWindow{};
    p.index = static_cast<uint32_t>(i);
    p.captionId = place.title;
    p.left = place.left;
    p.top = place.top;
    p.width = place.width;
    p.height = place.height;
    p.clientOffset = kClientOffset;
    p.clientWidth = place.width - 2 * kFrameBorder;
    p.clientHeight = place.height - kClientOffset.y - kFrameBorder;
  }
  ui.stacking.clear();
  BuildControlCentrePanel(ui);
}

bool OpenPanel(Ui& ui, int32_t panel) {
  if (!Valid(panel) || ui.panels[panel].open) return false;
  const int32_t opener = OpenerButton(panel);
  std::vector<Button>& centre = ui.panels[kControlCentre].buttons;
  if (opener >= 0) {
    if (opener >= static_cast<int32_t>(centre.size()) || centre[opener].style != ButtonStyle::ToggleOff) return false;
    centre[opener].style = ButtonStyle::ToggleOn;
    DrawButton(ui, kControlCentre, opener);
  }
  ui.panels[panel].open = true;
  ui.stacking.push_back(panel);
  RequestRedraw(ui, panel);
  return true;
}

void ClosePanel(Ui& ui, int32_t panel) {
  if (!Valid(panel) || !ui.panels[panel].open) return;
  PanelWindow& p = ui.panels[panel];
  p.open = false;
  std::erase(ui.stacking, panel);
  ForgetPointerOn(ui, panel);
  const int32_t opener = OpenerButton(panel);
  std::vector<Button>& centre = ui.panels[kControlCentre].buttons;
  if (opener >= 0 && opener < static_cast<int32_t>(centre.size())) {
    centre[opener].style = ButtonStyle::ToggleOff;
    DrawButton(ui, kControlCentre, opener);
  }
  RepaintArea(ui, PanelFrame(p));
  if (panel == kControlCentre) ui.links.requestQuit();
}

void TogglePanel(Ui& ui, int32_t panel) {
  if (!Valid(panel)) return;
  if (panel == kTrackChain && ui.links.globalTrackCurrent()) panel = kSongChain;
  if (ui.panels[panel].open) {
    ClosePanel(ui, panel);
    return;
  }
  switch (panel) {
    case kProgramList: ClosePanel(ui, kRenderOutput); break;
    case kRenderOutput: ClosePanel(ui, kProgramList); break;
    case kTrackChain: ClosePanel(ui, kProgramEditor); break;
    case kProgramEditor:
      ClosePanel(ui, kTrackChain);
      ClosePanel(ui, kSongChain);
      break;
    case kEventList: ClosePanel(ui, kEngineTypeList); break;
    case kEngineTypeList: ClosePanel(ui, kEventList); break;
    case kSongChain: ClosePanel(ui, kProgramEditor); break;
    case kTrackList: ClosePanel(ui, kEngineEditor); break;
    case kEngineEditor: ClosePanel(ui, kTrackList); break;
    default: break;
  }
  OpenPanel(ui, panel);
}

void ShowSongLayout(Ui& ui) {
  for (int32_t p : {kEngineEditor, kProgramEditor, kEngineTypeList}) ClosePanel(ui, p);
  OpenPanel(ui, kTrackList);
  OpenPanel(ui, ui.links.globalTrackCurrent() ? kSongChain : kTrackChain);
  OpenPanel(ui, kEventList);
}

void ShowProgramLayout(Ui& ui) {
  for (int32_t p : {kTrackList, kTrackChain, kEventList, kSongChain}) ClosePanel(ui, p);
  for (int32_t p : {kEngineEditor, kProgramEditor, kEngineTypeList}) OpenPanel(ui, p);
}

void RequestRedraw(Ui& ui, int32_t panel) {
  if (!Valid(panel)) return;
  // A copy: a refresh routine may replace itself.
  const std::function<void()> refresh = ui.panels[panel].refresh;
  if (refresh)
    refresh();
  else
    DrawPanel(ui, panel);
}

void MovePanel(Ui& ui, int32_t panel, Point clientOrigin) {
  if (!Valid(panel)) return;
  PanelWindow& p = ui.panels[panel];
  const Rect before = PanelFrame(p);
  p.left = clientOrigin.x - p.clientOffset.x;
  p.top = clientOrigin.y - p.clientOffset.y;
  if (!p.open) return;
  RepaintArea(ui, before);
  DrawPanel(ui, panel);
}

void RaisePanel(Ui& ui, int32_t panel) {
  if (!Valid(panel) || !ui.panels[panel].open || (!ui.stacking.empty() && ui.stacking.back() == panel)) return;
  std::erase(ui.stacking, panel);
  ui.stacking.push_back(panel);
  DrawPanel(ui, panel);
}

int32_t PanelAt(const Ui& ui, Point screen) {
  for (auto it = ui.stacking.rbegin(); it != ui.stacking.rend(); ++it)
    if (Contains(PanelFrame(ui.panels[*it]), screen)) return *it;
  return -1;
}

}  // namespace tonforge
