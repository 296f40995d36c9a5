#pragma once
// The engine type list: the types allowed in the edited chain (program, track or song plug-ins), nine rows
// at a time, and Set Type, which puts a new engine of the selected type at the chain's selected position.
#include <cstdint>

#include "ui/ui.h"

namespace tonforge {

struct AppState;

namespace EngineTypeListControl {
inline constexpr int32_t SetType = 0, FirstRow = 1, ListUp = 10, ListDown = 11;
inline constexpr int32_t ListSlider = 0;
inline constexpr int32_t Level = 0;  // the label naming the chain level the list offers types for
}  // namespace EngineTypeListControl

void BuildEngineTypeListPanel(Ui& ui, AppState& app);

}  // namespace tonforge
