#pragma once
// Text for the user interface. The interface draws everything else itself into its own pixels; only the
// shapes of letters come from the platform's font machinery, behind this small interface (no SDL types).
#include <cstdint>
#include <string_view>

namespace tonforge {

// A window onto 32-bit pixels (0x00RRGGBB), rows `stride` pixels apart. Drawing stays inside it.
struct PixelView {
  uint32_t* pixels = nullptr;
  int width = 0;
  int height = 0;
  int stride = 0;
};

class TextRasterizer {
public:
  virtual ~TextRasterizer() = default;
  // Width in pixels of the text on one line.
  virtual int TextWidth(std::string_view text) = 0;
  // Height of one line: the rows DrawText may touch below its y.
  virtual int LineHeight() = 0;
  // Blends the text in the colour onto the view with its top-left corner at (x, y); the background shows
  // through between the letters. Parts outside the view are left out.
  virtual void DrawText(PixelView view, int x, int y, std::string_view text, uint32_t colour) = 0;
};

}  // namespace tonforge
