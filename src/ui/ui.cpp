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
  for (Panel p : {Panel::ProgramList, Panel::ProgramEditor, Panel::EngineEditor, Panel::EngineTypeList,
                  Panel::ControlCentre})
    OpenPanel(ui, PanelIndex(p));
  ui.splash = true;
  DrawAll(ui);
}

void DrawAll(Ui& ui) { RepaintArea(ui, ui.screen.Bounds()); }

namespace {

constexpr uint32_t Bits(std::initializer_list<Panel> panels) {
  uint32_t bits = 0;
  for (Panel p : panels) bits |= 1u << static_cast<uint32_t>(p);
  return bits;
}

using P = Panel;

// Which panels show each kind of change, in the order of Change.
constexpr std::array<uint32_t, kChangeKindCount> kPanelsShowing{
    Bits({P::SongChain, P::TrackList, P::EventList}),                                    // Song
    Bits({P::TrackList, P::TrackChain, P::SongChain, P::EventList}),                     // TrackList
    Bits({P::EventList, P::TrackList}),                                                  // Events
    Bits({P::TrackList, P::EventList, P::TrackChain, P::SongChain, P::EngineEditor,
          P::EngineTypeList}),                                                           // CurrentTrack
    Bits({P::ProgramList}),                                                              // ProgramList
    Bits({P::ProgramList, P::ProgramEditor, P::EngineEditor, P::EventList, P::TrackList}), // Program
    Bits({P::EngineEditor}),                                                             // Engine
    Bits({P::ProgramEditor, P::TrackChain, P::SongChain, P::EngineEditor, P::EngineTypeList}),  // Chain
    Bits({P::RenderOutput, P::SongChain}),                                               // Output
    Bits({P::TrackList, P::RenderOutput}),                                               // Transport
    Bits({P::TrackList, P::EventList}),                                                  // Editor
    Bits({P::ProgramList, P::ProgramEditor, P::EngineEditor, P::EngineTypeList, P::TrackChain, P::SongChain,
          P::EventList, P::TrackList}),                                                  // Selection
};

}  // namespace

uint32_t PanelsShowing(uint32_t changes) {
  uint32_t panels = 0;
  for (int c = 0; c < kChangeKindCount; ++c)
    if ((changes >> c) & 1u) panels |= kPanelsShowing[static_cast<size_t>(c)];
  return panels;
}

void TakeRedraws(Ui& ui, ChangeReports& changes) {
  FollowNameEdit(ui);
  const uint32_t pending = PanelsShowing(changes.Take());
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
