#pragma once
// The song view of the track list panel: the ruler, nine track rows with the marked Block, the beat and bar
// lines, the events and the EditCursor, one pixel per tick; and what a press inside it selects.
#include <cstdint>

#include "song/song_records.h"
#include "ui/ui.h"

namespace tonforge {

struct AppState;

// Where the view lies in the panel (outer coordinates) and how it is cut into rows.
inline constexpr int32_t kSongViewLeft = 48;
inline constexpr int32_t kSongViewTop = 88;
inline constexpr int32_t kSongViewRowHeight = 32;
inline constexpr int32_t kRulerTop = 56, kRulerBottom = 72;

// Skin pieces of the view: the row backgrounds and the palette strip of one-pixel columns.
inline constexpr int32_t kCurrentRowSourceTop = 192;
inline constexpr int32_t kOtherRowSourceTop = 224;
inline constexpr int32_t kBlockSourceShift = 64;
inline constexpr int32_t kPaletteTop = 320, kPaletteBottom = 352;
inline constexpr int32_t kCursorColumn = 0, kBeatColumn = 1, kBarColumn = 2;

// The palette column an event is drawn with: notes by program and pitch, phrases by source track, the
// other types by type.
int32_t EventColumn(const EventValues& event);

// Draws the view over the panel's controls (the panel must be open and drawn).
void DrawSongView(Ui& ui, AppState& app, int32_t panel);

// A press at a point of the panel (outer coordinates): inside the view it selects the row's track and the
// tick under the pointer (snapped when snap is on); the cursor, the event selection and the view follow.
// False when the point lies outside the view or on a row without a track.
bool PressSongView(AppState& app, Point at);

}  // namespace tonforge
