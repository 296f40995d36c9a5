#pragma once
// The event list: the current track's events ten rows at a time, each row four fields (time, kind, value A,
// value B) that select, retype and edit the event, and the event commands above them.
#include <cstdint>

#include "ui/ui.h"

namespace tonforge {

struct AppState;

namespace EventListControl {
inline constexpr int32_t Add = 0, Delete = 1, MoveUp = 2, MoveDown = 3, Replace = 4, TransposeUp = 5,
                         TransposeDown = 6;
inline constexpr int32_t FirstField = 7, FieldsPerRow = 4;
enum Field : int32_t { Time = 0, Kind, ValueA, ValueB };
inline constexpr int32_t ListUp = 47, ListDown = 48;
inline constexpr int32_t ListSlider = 0;
inline constexpr int32_t TrackName = 0;
inline constexpr int32_t FieldIndex(int32_t row, Field f) { return FirstField + FieldsPerRow * row + f; }
}  // namespace EventListControl

// What the value A field of an engine parameter event shows when the event restarts its engine.
inline constexpr const char* kResetText = "Reset";

void BuildEventListPanel(Ui& ui, AppState& app);

}  // namespace tonforge
