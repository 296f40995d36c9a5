#pragma once
// What the track chain, program editor and song chain panels share: the chain of nine position buttons, the
// engine operations (Copy, Paste, Up, Down), and the grid they are laid out on: a column of row labels on the
// left, three rows of buttons, the chain along the bottom and sliders with arrows on the right.
#include <array>
#include <cstdint>

#include "song/program.h"
#include "ui/panels/panel_parts.h"
#include "ui/ui.h"

namespace tonforge {

struct AppState;
struct EngineCatalog;

// Captions of the row and slider labels.
namespace ChainCaption {
inline constexpr int32_t Name = 24;
inline constexpr int32_t Engine = 19;
inline constexpr int32_t Program = 23;
inline constexpr int32_t Song = 22;
inline constexpr int32_t Mute = 37;
inline constexpr int32_t Chain = 51;
inline constexpr int32_t Seed = 52;
inline constexpr int32_t Pan = 53;
inline constexpr int32_t Level = 54;
inline constexpr int32_t Volume = 55;
inline constexpr int32_t Beats = 48;
inline constexpr int32_t Ticks = 49;
inline constexpr int32_t Looks = 44;
inline constexpr int32_t OutputRate = 98;
}  // namespace ChainCaption

// Rows of 16-pixel buttons, each row a label and seven places of 52 pixels (a push button and a gap).
inline constexpr int32_t kRowLabelLeft = 6;
inline constexpr int32_t kRowLeft = 64;
inline constexpr int32_t kSlotWidth = 52;
inline constexpr int32_t kPushWidth = 48;
inline constexpr std::array<int32_t, 3> kRowTop{28, 52, 76};
inline constexpr int32_t kChainTop = 104;
inline constexpr int32_t kChainButtonSize = 32;
// Slider columns at the right edge; the song panel has all three, the program editor the last two.
inline constexpr std::array<int32_t, 3> kSliderColumns{432, 468, 504};
inline constexpr int32_t kSliderTop = 56;
inline constexpr int32_t kSliderLength = 64;

// Places `first` to `last` of a row as one rectangle: a push button, or a wider field over several places.
Rect RowPlace(int32_t row, int32_t first, int32_t last);
inline Rect RowPlace(int32_t row, int32_t slot) { return RowPlace(row, slot, slot); }
// A name field at the start of a row.
Rect RowField(int32_t row, int32_t width);
// A label over the given places of a row, or in the row's label column when `slot` is -1.
int32_t AddRowLabel(PanelWindow& panel, int32_t caption, int32_t row, int32_t slot = -1);
// A labelled vertical slider in a column: the label over the upper arrow, the slider, the lower arrow.
// Adds the label and the slider's two arrows; returns the slider's index.
int32_t AddSliderColumn(PanelWindow& panel, int32_t column, int32_t caption, int32_t top, int32_t bottom,
                        ControlHandler handler);

// The nine chain position buttons along the bottom; each runs `select` with its position. Returns the first.
int32_t AddChainButtons(PanelWindow& panel, ControlHandler select);
// Each button shows the abbreviation of its engine's type; the selected one (-1 for none) in style 1.
void ShowChain(PanelWindow& panel, int32_t first, const Chain& chain, const EngineCatalog& catalog, int32_t selected);

// Copy Engine, Paste Engine, move up and move down in the first four places of the third row. Returns the
// first button's index.
int32_t AddEngineOperations(PanelWindow& panel, AppState& app);
// Shows the four buttons and their label when the panel's chain is the one being edited; Paste only when the
// clipboard holds an engine allowed at the panel's level.
void ShowEngineOperations(PanelWindow& panel, int32_t first, int32_t label, bool editing, uint32_t levelFlag,
                          const AppState& app);

// After a chain command: every panel that shows chains, engines or the events that name them.
void RequestChainPanels(AppState& app);

// The track panel stands for a normal track and the song panel for the GlobalTrack: when the current track
// changed sides while one of them is open, it is replaced by the other. True when it switched (the panel
// that opened has drawn itself).
bool FollowTrackSide(Ui& ui, AppState& app);

}  // namespace tonforge
