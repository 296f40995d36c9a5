#pragma once
// Drawing the panels: every piece is copied from the skin or the deck into the screen, clipped to the
// panel's client area and kept off whatever lies in front of the panel. Only what changed is drawn again.
#include <cstdint>
#include <string>

#include "ui/ui.h"

namespace tonforge {

Rect PanelFrame(const PanelWindow& panel);   // outer rectangle on the screen
Rect ClientArea(const PanelWindow& panel);   // client rectangle on the screen
Rect CloseBox(const PanelWindow& panel);     // on the screen
Rect TitleBar(const PanelWindow& panel);     // on the screen, close box included

// The texts a button or a knob shows.
std::string ButtonText(const Ui& ui, const Button& button);
std::string KnobText(const ValueControl& control);

// Each does nothing while its panel is closed.
void DrawPanel(Ui& ui, int32_t panel);
void DrawPanelFrame(Ui& ui, int32_t panel);
void DrawButton(Ui& ui, int32_t panel, int32_t button);
void DrawValueControl(Ui& ui, int32_t panel, int32_t control);
void DrawKnob(Ui& ui, int32_t panel, int32_t control);
// Puts the deck and the track piece back where the knob was.
void EraseKnob(Ui& ui, int32_t panel, int32_t control);
void DrawLabel(Ui& ui, int32_t panel, int32_t label);
// Copies a skin rectangle into a panel: `dest` in outer coordinates, keyed or plain (the song view's pieces).
void CopySkinToPanel(Ui& ui, int32_t panel, Rect dest, Rect source, CopyKind kind);
// A line of text centred in `box` (outer coordinates) of a panel.
void DrawPanelText(Ui& ui, int32_t panel, Rect box, std::string_view text, uint32_t colour);

void DrawSplash(Ui& ui);
// Redraws a screen area from the back: the desktop, every open panel that meets it, the splash.
void RepaintArea(Ui& ui, Rect area);

}  // namespace tonforge
