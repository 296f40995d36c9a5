#include "ui/control_centre.h"

#include <array>

#include "ui/draw.h"
#include "ui/panels.h"

namespace tonforge {

namespace {

using P = Panel;
constexpr int32_t kControlCentre = PanelIndex(P::ControlCentre);
constexpr uint32_t kTrackChain = static_cast<uint32_t>(P::TrackChain);
constexpr int32_t kSongChain = PanelIndex(P::SongChain);

// The toggles, top to bottom on the left, then on the right, the panels they toggle and their labels.
constexpr std::array<Point, 8> kTogglePlaces{{{16, 40}, {16, 56}, {16, 72}, {16, 88},
                                              {224, 40}, {224, 56}, {224, 72}, {224, 88}}};
constexpr std::array<Panel, 8> kToggledPanels{P::TrackList, P::TrackChain, P::EventList, P::RenderOutput,
                                              P::EngineEditor, P::ProgramEditor, P::EngineTypeList, P::ProgramList};
constexpr std::array<int32_t, 8> kToggleLabels{18, 14, 16, 13, 19, 15, 20, 12};

void RefreshControlCentre(Ui& ui) {
  PanelWindow& centre = ui.panels[kControlCentre];
  for (Button& b : centre.buttons) {
    if (b.frameKind != 0) continue;  // only the toggles show what is open
    bool lit = ui.panels[b.argument].open;
    if (b.argument == kTrackChain) lit = lit || ui.panels[kSongChain].open;
    b.style = lit ? ButtonStyle::ToggleOn : ButtonStyle::ToggleOff;
  }
  DrawPanel(ui, kControlCentre);
}

}  // namespace

void BuildControlCentrePanel(Ui& ui) {
  PanelWindow& centre = ui.panels[kControlCentre];
  AddButton(centre, MakeButton(22, {16, 24, 64, 40}, 2, ButtonStyle::Push, [&ui](uint32_t) { ShowSongLayout(ui); }));
  AddButton(centre,
            MakeButton(23, {192, 24, 240, 40}, 2, ButtonStyle::Push, [&ui](uint32_t) { ShowProgramLayout(ui); }));
  for (size_t i = 0; i < kTogglePlaces.size(); ++i) {
    const Point at = kTogglePlaces[i];
    AddButton(centre, MakeButton(0, {at.x, at.y, at.x + 16, at.y + 16}, 0, ButtonStyle::ToggleOff,
                                 [&ui](uint32_t panel) { TogglePanel(ui, static_cast<int32_t>(panel)); },
                                 static_cast<uint32_t>(kToggledPanels[i])));
    // Left toggles have their label to the right, right toggles to the left.
    const int32_t labelLeft = at.x < 128 ? at.x + 16 : at.x - 96;
    AddLabel(centre, kToggleLabels[i], {labelLeft, at.y, labelLeft + 96, at.y + 16});
  }
  centre.refresh = [&ui] { RefreshControlCentre(ui); };
}

}  // namespace tonforge
