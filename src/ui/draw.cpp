#include "ui/draw.h"

#include <array>
#include <cstdio>

#include "ui/control_model.h"
#include "ui/name_edit.h"

namespace tonforge {

namespace {

// The frame's own colours: a dark slate body with a brighter title and an amber rule under it, matching the
// default skin. A restyled skin keeps them; they belong to the window frame, not to the panels' surface.
constexpr uint32_t kFrameOuter = 0x07080A;
constexpr uint32_t kFrameBody = 0x2B313B;
constexpr uint32_t kTitleFill = 0x1F242C;
constexpr uint32_t kTitleRule = 0xD9913A;
constexpr uint32_t kTitleText = 0xE6EAF0;
constexpr uint32_t kCloseFill = 0x3A414D;
constexpr uint32_t kCloseMark = 0xE6EAF0;
constexpr int32_t kCloseSize = 13;

// The screen areas that lie in front of a panel: the panels above it and the splash while it shows.
struct Covers {
  std::array<Rect, kPanelCount + 1> rects{};
  size_t count = 0;
};

Covers CoversAbove(const Ui& ui, int32_t panel) {
  Covers covers;
  bool above = false;
  for (int32_t p : ui.stacking) {
    if (above) covers.rects[covers.count++] = PanelFrame(ui.panels[p]);
    if (p == panel) above = true;
  }
  if (ui.splash) covers.rects[covers.count++] = kSplashPlace;
  return covers;
}

template <typename Draw>
void OnPanel(Ui& ui, int32_t panel, Rect clip, Draw draw) {
  if (panel < 0 || panel >= kPanelCount || !ui.panels[panel].open) return;
  const Covers covers = CoversAbove(ui, panel);
  DrawTarget target{ui.screen, clip, std::span<const Rect>(covers.rects.data(), covers.count), ui.changed};
  draw(target, ui.panels[panel]);
}


Rect ToScreen(const PanelWindow& p, Rect outer) { return outer.Offset(p.left, p.top); }

Rect KnobOnScreen(const PanelWindow& p, const ValueControl& v) { return ToScreen(p, v.knob.Offset(v.x, v.y)); }

bool IsVertical(const ValueControl& v) { return (v.flags & ValueFlag::Vertical) != 0; }

}  // namespace

Rect PanelFrame(const PanelWindow& p) { return {p.left, p.top, p.left + p.width, p.top + p.height}; }

Rect ClientArea(const PanelWindow& p) {
  const int32_t x = p.left + p.clientOffset.x, y = p.top + p.clientOffset.y;
  return {x, y, x + p.clientWidth, y + p.clientHeight};
}

Rect TitleBar(const PanelWindow& p) {
  return {p.left + kFrameBorder, p.top + kFrameBorder, p.left + p.width - kFrameBorder, p.top + p.clientOffset.y};
}

Rect CloseBox(const PanelWindow& p) {
  const Rect bar = TitleBar(p);
  const int32_t top = bar.top + (bar.Height() - kCloseSize) / 2;
  return {bar.right - 3 - kCloseSize, top, bar.right - 3, top + kCloseSize};
}

std::string ButtonText(const Ui& ui, const Button& b) {
  if (b.text != nullptr && b.text[0] != '\0') return b.text;
  if (b.flags & ButtonFlag::ShowNumber) return std::to_string(b.captionOrValue);
  if (b.flags & ButtonFlag::ShowNoteName) return NoteName(b.captionOrValue);
  if (b.flags & ButtonFlag::ShowBarBeat) return BarBeatText(b.captionOrValue, ui.links.beats());
  return std::string(Caption(ui.captions, b.captionOrValue));
}

std::string KnobText(const ValueControl& v) {
  return (v.flags & ValueFlag::ShowNoteName) ? NoteName(v.value) : std::to_string(v.value);
}

void DrawPanelFrame(Ui& ui, int32_t panel) {
  OnPanel(ui, panel, ui.screen.Bounds(), [&](DrawTarget& t, PanelWindow& p) {
    const Rect frame = PanelFrame(p);
    const Rect client = ClientArea(p);
    FillPixels(t, frame, kFrameOuter);
    FillPixels(t, {frame.left + 1, frame.top + 1, frame.right - 1, frame.bottom - 1}, kFrameBody);
    const Rect bar = TitleBar(p);
    FillPixels(t, {bar.left, bar.top, bar.right, bar.bottom - 1}, kTitleFill);
    FillPixels(t, {bar.left, bar.bottom - 1, bar.right, bar.bottom}, kTitleRule);
    // The client area itself is drawn by DrawPanel; here only its edge is kept dark.
    FillPixels(t, {client.left - 1, client.top, client.left, client.bottom}, kFrameOuter);
    if (ui.text != nullptr) {
      const std::string_view title = p.title.empty() ? Caption(ui.captions, p.captionId) : std::string_view(p.title);
      const Rect close = CloseBox(p);
      DrawTarget inBar{t.screen, Intersect(t.clip, {bar.left, bar.top, close.left - 2, bar.bottom}), t.covers, t.changed};
      DrawTextLine(inBar, *ui.text, {bar.left + 5, bar.top + (bar.Height() - 1 - ui.text->LineHeight()) / 2}, title,
                   kTitleText);
    }
    const Rect close = CloseBox(p);
    FillPixels(t, close, kCloseFill);
    for (int32_t i = 3; i < kCloseSize - 3; ++i) {
      FillPixels(t, {close.left + i, close.top + i, close.left + i + 1, close.top + i + 1}, kCloseMark);
      FillPixels(t, {close.right - 1 - i, close.top + i, close.right - i, close.top + i + 1}, kCloseMark);
    }
  });
}

void CopySkinToPanel(Ui& ui, int32_t panel, Rect dest, Rect source, CopyKind kind) {
  if (panel < 0 || panel >= kPanelCount) return;
  OnPanel(ui, panel, ClientArea(ui.panels[panel]), [&](DrawTarget& t, PanelWindow& p) {
    CopyPixels(t, ToScreen(p, dest), ui.skins.skin, source, kind);
  });
}

void DrawPanelText(Ui& ui, int32_t panel, Rect box, std::string_view text, uint32_t colour) {
  if (ui.text == nullptr || panel < 0 || panel >= kPanelCount) return;
  OnPanel(ui, panel, ClientArea(ui.panels[panel]), [&](DrawTarget& t, PanelWindow& p) {
    DrawTextCentred(t, *ui.text, ToScreen(p, box), text, colour);
  });
}

void DrawButton(Ui& ui, int32_t panel, int32_t button) {
  if (panel < 0 || panel >= kPanelCount) return;
  PanelWindow& p = ui.panels[panel];
  if (button < 0 || button >= static_cast<int32_t>(p.buttons.size())) return;
  const Button& b = p.buttons[button];
  if (!(b.flags & ButtonFlag::Enabled)) return;
  CopySkinToPanel(ui, panel, b.rect, ButtonSource(b.style, b.frameKind, (b.flags & ButtonFlag::Pressed) != 0),
                  CopyKind::Keyed);
  const int32_t drop = b.frameKind == 5 ? 8 : 1;
  DrawPanelText(ui, panel, {b.rect.left, b.rect.top + drop, b.rect.right, b.rect.bottom}, ButtonText(ui, b),
                ui.skins.colours.button);
}

void DrawKnob(Ui& ui, int32_t panel, int32_t control) {
  if (panel < 0 || panel >= kPanelCount) return;
  PanelWindow& p = ui.panels[panel];
  if (control < 0 || control >= static_cast<int32_t>(p.valueControls.size())) return;
  const ValueControl& v = p.valueControls[control];
  if (!(v.flags & ValueFlag::Enabled) || v.knob.Empty()) return;
  const bool dragged = (v.flags & ValueFlag::Dragged) != 0;
  const Rect knob = v.knob.Offset(v.x, v.y);
  CopySkinToPanel(ui, panel, knob, IsVertical(v) ? VerticalKnobSource(dragged) : HorizontalKnobSource(dragged),
                  CopyKind::Keyed);
  const std::string text = IsValueEditTarget(ui, panel, control) ? std::string(ui.links.entryText()) : KnobText(v);
  DrawPanelText(ui, panel, {knob.left, knob.top + 1, knob.right, knob.bottom}, text, ui.skins.colours.button);
}

void EraseKnob(Ui& ui, int32_t panel, int32_t control) {
  if (panel < 0 || panel >= kPanelCount) return;
  PanelWindow& p = ui.panels[panel];
  if (control < 0 || control >= static_cast<int32_t>(p.valueControls.size())) return;
  const ValueControl& v = p.valueControls[control];
  if (!(v.flags & ValueFlag::Enabled) || v.knob.Empty()) return;
  OnPanel(ui, panel, ClientArea(p), [&](DrawTarget& t, PanelWindow& pw) {
    const Rect underKnob = v.knob.Offset(v.x - pw.clientOffset.x, v.y - pw.clientOffset.y);
    CopyPixels(t, KnobOnScreen(pw, v), ui.skins.deck, underKnob, CopyKind::Plain);
  });
  const Rect knob = v.knob.Offset(v.x, v.y);
  if (IsVertical(v))
    CopySkinToPanel(ui, panel, {knob.left + 8, knob.top, knob.right - 8, knob.bottom}, kVerticalTrackUnderKnob,
                    CopyKind::Keyed);
  else
    CopySkinToPanel(ui, panel, knob, kHorizontalTrackUnderKnob, CopyKind::Keyed);
}

void DrawValueControl(Ui& ui, int32_t panel, int32_t control) {
  if (panel < 0 || panel >= kPanelCount) return;
  PanelWindow& p = ui.panels[panel];
  if (control < 0 || control >= static_cast<int32_t>(p.valueControls.size())) return;
  const ValueControl& v = p.valueControls[control];
  if (!(v.flags & ValueFlag::Enabled)) return;
  if (IsVertical(v))
    CopySkinToPanel(ui, panel, {v.x + 8, v.y, v.x + 24, v.y + v.length}, VerticalTrackSource(v.length),
                    CopyKind::Keyed);
  else
    CopySkinToPanel(ui, panel, {v.x, v.y, v.x + v.length, v.y + kKnobHeight}, HorizontalTrackSource(v.length),
                    CopyKind::Keyed);
  DrawKnob(ui, panel, control);
}

void DrawLabel(Ui& ui, int32_t panel, int32_t label) {
  if (panel < 0 || panel >= kPanelCount) return;
  PanelWindow& p = ui.panels[panel];
  if (label < 0 || label >= static_cast<int32_t>(p.labels.size())) return;
  const Label& l = p.labels[label];
  if (!(l.enabled & 1u)) return;
  const std::string_view text = l.text != nullptr && l.text[0] != '\0' ? std::string_view(l.text)
                                                                        : Caption(ui.captions, l.caption);
  DrawPanelText(ui, panel, l.rect, text, ui.skins.colours.label);
}

void DrawPanel(Ui& ui, int32_t panel) {
  if (panel < 0 || panel >= kPanelCount || !ui.panels[panel].open) return;
  DrawPanelFrame(ui, panel);
  OnPanel(ui, panel, ClientArea(ui.panels[panel]), [&](DrawTarget& t, PanelWindow& p) {
    CopyPixels(t, ClientArea(p), ui.skins.deck, {0, 0, p.clientWidth, p.clientHeight}, CopyKind::Plain);
  });
  PanelWindow& p = ui.panels[panel];
  for (int32_t i = 0; i < static_cast<int32_t>(p.buttons.size()); ++i) DrawButton(ui, panel, i);
  for (int32_t i = 0; i < static_cast<int32_t>(p.valueControls.size()); ++i) DrawValueControl(ui, panel, i);
  for (int32_t i = 0; i < static_cast<int32_t>(p.labels.size()); ++i) DrawLabel(ui, panel, i);
  if (p.drawExtra) p.drawExtra();
}

void DrawSplash(Ui& ui) {
  if (!ui.splash) return;
  DrawTarget t{ui.screen, ui.screen.Bounds(), {}, ui.changed};
  CopyPixels(t, kSplashPlace, ui.skins.splash, ui.skins.splash.Bounds(), CopyKind::Plain);
  if (ui.text == nullptr) return;
  DrawTextLine(t, *ui.text, kSplashProductLine, kProductLine, ui.skins.colours.splash);
  DrawTextLine(t, *ui.text, kSplashCaptionLine, Caption(ui.captions, kSplashCaption), ui.skins.colours.splash);
}

void RepaintArea(Ui& ui, Rect area) {
  Covers panels;
  for (int32_t p : ui.stacking) panels.rects[panels.count++] = PanelFrame(ui.panels[p]);
  DrawTarget desktop{ui.screen, area, std::span<const Rect>(panels.rects.data(), panels.count), ui.changed};
  FillPixels(desktop, area, kDesktopColour);
  const std::vector<int32_t> stacking = ui.stacking;
  for (int32_t p : stacking)
    if (!Intersect(PanelFrame(ui.panels[p]), area).Empty()) DrawPanel(ui, p);
  if (ui.splash && !Intersect(kSplashPlace, area).Empty()) DrawSplash(ui);
}

}  // namespace tonforge
