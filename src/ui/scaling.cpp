#include "ui/scaling.h"

#include <algorithm>

namespace tonforge {

namespace {

// Floor division, so that a position left of or above the picture maps left of or above the interface.
int32_t FloorDiv(int32_t a, int32_t b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

}  // namespace

Placement PlaceInterface(int32_t windowWidth, int32_t windowHeight, int32_t interfaceWidth, int32_t interfaceHeight,
                         int32_t forced) {
  Placement p;
  if (forced >= 1) {
    p.scale = std::min(forced, kLargestScale);
  } else if (interfaceWidth > 0 && interfaceHeight > 0) {
    p.scale = std::clamp(std::min(windowWidth / interfaceWidth, windowHeight / interfaceHeight), 1, kLargestScale);
  }
  p.origin = {std::max((windowWidth - interfaceWidth * p.scale) / 2, 0),
              std::max((windowHeight - interfaceHeight * p.scale) / 2, 0)};
  return p;
}

Point ToInterface(const Placement& placement, Point window) {
  return {FloorDiv(window.x - placement.origin.x, placement.scale),
          FloorDiv(window.y - placement.origin.y, placement.scale)};
}

Rect ToWindow(const Placement& placement, Rect area) {
  const int32_t s = placement.scale;
  return {placement.origin.x + area.left * s, placement.origin.y + area.top * s, placement.origin.x + area.right * s,
          placement.origin.y + area.bottom * s};
}

Rect CopyScaled(const uint32_t* interface, int32_t width, int32_t height, Rect area, const Placement& placement,
                uint32_t* window, int32_t windowWidth, int32_t windowHeight) {
  const Rect source = Intersect(area, {0, 0, width, height});
  const Rect dest = Intersect(ToWindow(placement, source), {0, 0, windowWidth, windowHeight});
  if (source.Empty() || dest.Empty() || area.Empty()) return {};
  const int32_t s = placement.scale;
  for (int32_t y = dest.top; y < dest.bottom; ++y) {
    const int32_t fromY = (y - placement.origin.y) / s;
    uint32_t* row = window + static_cast<size_t>(y) * static_cast<size_t>(windowWidth);
    const uint32_t* from = interface + static_cast<size_t>(fromY) * static_cast<size_t>(width);
    for (int32_t x = dest.left; x < dest.right; ++x) row[x] = from[(x - placement.origin.x) / s];
  }
  return dest;
}

}  // namespace tonforge
