#pragma once
// Where the interface meets the program's state: what the panels read from it, and the skin commands that
// stop playback before they change the pictures.
#include "ui/ui.h"

namespace tonforge {

struct AppState;

// Points the interface's links at the song (beat figures, current track), the text entry and RequestQuit.
// The AppState must outlive the Ui's use of them.
void ConnectUi(Ui& ui, AppState& app);

// "Select Skin File" and "Select Deck File": a file that is not a usable BMP shows "Invalid File" and keeps
// the old picture; a good one replaces it (stretched to size), the colours are sampled again and every panel
// is drawn again.
void SelectSkinFile(Ui& ui, AppState& app);
void SelectDeckFile(Ui& ui, AppState& app);

}  // namespace tonforge
