#pragma once
// The ten panel windows: their places, building their controls, opening, closing, toggling, moving and the
// redraw requests that run their refresh routines.
#include <array>
#include <cstdint>

#include "ui/ui.h"

namespace tonforge {

struct PanelPlace {
  int32_t left, top, width, height;
  int32_t title;  // caption number
};

inline constexpr std::array<PanelPlace, kPanelCount> kPanelPlaces{{
    {0, 0, 256, 112, 11},     // control centre
    {0, 112, 256, 224, 12},   // program list
    {0, 112, 256, 224, 13},   // render and output
    {256, 0, 544, 144, 14},   // track chain
    {256, 0, 544, 144, 15},   // program editor
    {0, 336, 256, 224, 16},   // event list
    {256, 0, 544, 144, 17},   // song chain
    {256, 144, 544, 416, 18}, // track list with the song view
    {256, 144, 544, 416, 19}, // engine editor
    {0, 336, 256, 224, 20},   // engine type list
}};

// The opener buttons on the control centre for panels 1 to 9 (the track and song chains share one);
// -1 for the control centre itself.
int32_t OpenerButton(int32_t panel);

// Builders: each returns the new control's index in its panel.
Button MakeButton(int32_t caption, Rect rect, uint32_t frameKind, uint32_t style, ControlHandler handler = {},
                  uint32_t argument = 0);
int32_t AddButton(PanelWindow& panel, Button button);
// A new value control takes its knob size from its direction and is placed for its value.
ValueControl MakeValueControl(uint32_t flags, int32_t x, int32_t y, int32_t length, int32_t start, int32_t end,
                              int32_t value, ControlHandler handler = {}, uint32_t argument = 0);
int32_t AddValueControl(PanelWindow& panel, ValueControl control);
// The label's rectangle starts one row below the top it is given.
int32_t AddLabel(PanelWindow& panel, int32_t caption, Rect rect);

// The ten records at their places, closed, and the control centre's own controls.
void BuildPanels(Ui& ui);

// Opens a closed panel whose opener shows style 2: lights the opener, puts the panel in front and draws it.
// False when nothing happened.
bool OpenPanel(Ui& ui, int32_t panel);
// Closes an open panel: the opener goes dark again and what lay under the panel is drawn. Closing the
// control centre ends the program.
void ClosePanel(Ui& ui, int32_t panel);
// The control centre's toggle: panel 3 means panel 6 while the GlobalTrack is current; opening a panel
// closes the one that shares its place.
void TogglePanel(Ui& ui, int32_t panel);
// The two layouts of the control centre.
void ShowSongLayout(Ui& ui);
void ShowProgramLayout(Ui& ui);
// Runs the panel's refresh routine (which draws it when open); without one, draws the panel.
void RequestRedraw(Ui& ui, int32_t panel);
// The window moved: its client area now starts at `clientOrigin` on the screen.
void MovePanel(Ui& ui, int32_t panel, Point clientOrigin);
// Puts an open panel in front of the others and draws it.
void RaisePanel(Ui& ui, int32_t panel);
// The front-most open panel whose frame holds the screen point, or -1.
int32_t PanelAt(const Ui& ui, Point screen);

}  // namespace tonforge
