#include "ui/ui.h"

#include "ui/draw.h"
#include "ui/name_edit.h"
#include "ui/panels.h"

namespace tonforge {

namespace {

// Beyond this many rectangles the platform is handed their bounding box instead.
constexpr size_t kMostChangedRects = 32;

}  // namespace

void StartUi(Ui& ui, int32_t screenWidth, int32_t screenHeight, const std::string& programFolder,
             TextRasterizer& text) {
  ui.screen = Pixels(screenWidth, screenHeight, kDesktopColour);
  ui.text = &text;
  (void)LoadSkins(ui.skins, programFolder);
  ui.captions = ReadCaptionFile(programFolder.empty() ? std::string("Captions.txt") : programFolder + "/Captions.txt");
  BuildPanels(ui);
}

void OpenStartupPanels(Ui& ui) {
  for (int32_t p : {1, 4, 8, 9, 0}) OpenPanel(ui, p);
  ui.splash = true;
  DrawAll(ui);
}

void DrawAll(Ui& ui) { RepaintArea(ui, ui.screen.Bounds()); }

void TakeRedraws(Ui& ui, RedrawRequests& requests) {
  FollowNameEdit(ui);
  const uint32_t pending = requests.Take();
  for (int32_t p = 0; p < kPanelCount; ++p)
    if ((pending >> p) & 1u) RequestRedraw(ui, p);
}

std::vector<Rect> TakeChangedRects(Ui& ui) {
  std::vector<Rect> rects;
  rects.swap(ui.changed);
  if (rects.size() > kMostChangedRects) {
    Rect all;
    for (const Rect& r : rects) all = Union(all, r);
    rects.assign(1, all);
  }
  return rects;
}

}  // namespace tonforge
