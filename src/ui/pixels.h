#pragma once
// The interface's own pictures: the frame buffer it draws into and the skin, deck and splash it copies from,
// all 32-bit 0x00RRGGBB. Every copy is clipped to one rectangle of the screen and skips the screen areas that
// lie in front of what is being drawn, so a panel never paints over a panel above it.
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "shell/devices/text.h"
#include "ui/geometry.h"

namespace tonforge {

// Skin pixels of exactly this colour are transparent.
inline constexpr uint32_t kColourKey = 0xFF00FF;

struct Pixels {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint32_t> data;

  Pixels() = default;
  Pixels(int32_t w, int32_t h, uint32_t fill = 0) : width(w), height(h), data(static_cast<size_t>(w) * h, fill) {}
  uint32_t At(int32_t x, int32_t y) const { return data[static_cast<size_t>(y) * width + x]; }
  uint32_t& At(int32_t x, int32_t y) { return data[static_cast<size_t>(y) * width + x]; }
  Rect Bounds() const { return {0, 0, width, height}; }
};

// Where drawing lands: the screen, the clip (a panel's client area in screen coordinates), the areas in front
// of it, and the list of changed rectangles the platform presents.
struct DrawTarget {
  Pixels& screen;
  Rect clip;
  std::span<const Rect> covers;
  std::vector<Rect>& changed;
};

enum class CopyKind { Plain, Keyed };

// Copies `source` of `from` onto `dest` of the screen; a source of another size is stretched (nearest pixel).
// Source pixels outside `from` are left out.
void CopyPixels(DrawTarget& target, Rect dest, const Pixels& from, Rect source, CopyKind kind);
void FillPixels(DrawTarget& target, Rect dest, uint32_t colour);
// One line of text with its top-left at `at` (screen coordinates).
void DrawTextLine(DrawTarget& target, TextRasterizer& text, Point at, std::string_view line, uint32_t colour);
// One line centred horizontally in `box`, its top at the box's top.
void DrawTextCentred(DrawTarget& target, TextRasterizer& text, Rect box, std::string_view line, uint32_t colour);

}  // namespace tonforge
