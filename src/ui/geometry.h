#pragma once
#include <algorithm>
#include <cstdint>

namespace tonforge {

struct Point {
  int32_t x = 0;
  int32_t y = 0;
};

// Left and top inside, right and bottom one past, as the skin's source rectangles are written.
struct Rect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;

  int32_t Width() const { return right - left; }
  int32_t Height() const { return bottom - top; }
  bool Empty() const { return right <= left || bottom <= top; }
  Rect Offset(int32_t dx, int32_t dy) const { return {left + dx, top + dy, right + dx, bottom + dy}; }
  bool operator==(const Rect&) const = default;
};

inline Rect Intersect(const Rect& a, const Rect& b) {
  return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
}

inline Rect Union(const Rect& a, const Rect& b) {
  if (a.Empty()) return b;
  if (b.Empty()) return a;
  return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right), std::max(a.bottom, b.bottom)};
}

// Hit test of controls: the border lines themselves are outside.
inline bool StrictlyInside(const Rect& r, Point p) { return r.left < p.x && p.x < r.right && r.top < p.y && p.y < r.bottom; }

// Hit test of window areas (title bar, close box, client area): the ordinary half-open test.
inline bool Contains(const Rect& r, Point p) { return r.left <= p.x && p.x < r.right && r.top <= p.y && p.y < r.bottom; }

}  // namespace tonforge
