#pragma once
// The interface is drawn at its own 800 x 560 pixels and shown in a window of any size, enlarged by the
// largest whole factor that fits (or a chosen one) and centred; every pixel becomes a square of pixels, so
// the picture stays sharp. The pointer's window positions are mapped back to interface positions.
#include <cstdint>

#include "shell/window_settings.h"
#include "ui/geometry.h"
#include "ui/pixels.h"

namespace tonforge {

inline constexpr int32_t kInterfaceWidth = 800;
inline constexpr int32_t kInterfaceHeight = 560;
inline constexpr int32_t kLargestScale = kLargestInterfaceScale;

struct Placement {
  int32_t scale = 1;
  Point origin;  // where the interface's top-left pixel lands in the window
};

// The largest whole factor at which `interface` fits in `window` (1 when even 1 does not fit); a `forced`
// factor of 1 or more is taken as it is, up to kLargestScale.
Placement PlaceInterface(int32_t windowWidth, int32_t windowHeight, int32_t interfaceWidth, int32_t interfaceHeight,
                         int32_t forced = 0);
// Window position to interface position (outside the picture it lands outside the interface too).
Point ToInterface(const Placement& placement, Point window);
// The window rectangle an interface rectangle covers.
Rect ToWindow(const Placement& placement, Rect area);
// Copies `area` of the interface (width x height pixels, rows packed), enlarged, into a window-sized 32-bit
// buffer of `windowWidth` pixels a row and `windowHeight` rows; what falls outside the buffer is left out.
// Returns the window rectangle written.
Rect CopyScaled(const uint32_t* interface, int32_t width, int32_t height, Rect area, const Placement& placement,
                uint32_t* window, int32_t windowWidth, int32_t windowHeight);

}  // namespace tonforge
