#pragma once
// The track list panel: the song view with its transport, editor switches, insert and reset buttons, track
// commands, mute buttons and the snap, view, track list and cursor sliders.
#include <cstdint>

#include "ui/ui.h"

namespace tonforge {

struct AppState;

namespace TrackListControl {
// Buttons.
inline constexpr int32_t Play = 0, Stop = 1, NewTrack = 2, DeleteTrack = 3, Snap = 4;
inline constexpr int32_t SnapDivisionDown = 5, SnapDivisionUp = 6, Octave = 7, TrackUp = 8, TrackDown = 9;
inline constexpr int32_t Group = 10, Slide = 11;
inline constexpr int32_t InsertVolume = 12, InsertPitch = 13, InsertPan = 14, InsertTempo = 15;
inline constexpr int32_t FirstReset = 16;  // nine: one per chain position
inline constexpr int32_t EditMode = 25, ViewDown = 26, ViewUp = 27, CursorPosition = 28;
inline constexpr int32_t TrackListUp = 29, TrackListDown = 30, CursorDown = 31, CursorUp = 32;
inline constexpr int32_t FirstMute = 33;  // nine: one per visible row
inline constexpr int32_t Loop = 42;
// Value controls.
inline constexpr int32_t SnapDivisionSlider = 0, ViewSlider = 1, TrackListSlider = 2, CursorSlider = 3;
// The label shows the current track's name.
inline constexpr int32_t TrackName = 0;
}  // namespace TrackListControl

// Captions of the four insert buttons.
inline constexpr int32_t kInsertVolumeCaption = 99, kInsertPitchCaption = 100, kInsertPanCaption = 101,
                         kInsertTempoCaption = 102;

void BuildTrackListPanel(Ui& ui, AppState& app);

}  // namespace tonforge
