#pragma once
// A Ui on an 800 x 560 screen with made-up skin pictures whose every pixel is known, captions from a string,
// and a stand-in font that paints a block per character, so drawing is checked pixel by pixel.
#include <algorithm>
#include <string>
#include <vector>

#include "support/file_rig.h"
#include "ui/control_model.h"
#include "ui/draw.h"
#include "ui/panels.h"
#include "ui/pointer.h"
#include "ui/ui.h"

namespace tonforge::testing {

// The panels' places in the Ui's array.
namespace panels {
inline constexpr int32_t kCentre = PanelIndex(Panel::ControlCentre), kProgramList = PanelIndex(Panel::ProgramList),
                         kProgramEditor = PanelIndex(Panel::ProgramEditor), kTrackList = PanelIndex(Panel::TrackList),
                         kTrackChain = PanelIndex(Panel::TrackChain), kSongChain = PanelIndex(Panel::SongChain),
                         kEventList = PanelIndex(Panel::EventList), kEngineEditor = PanelIndex(Panel::EngineEditor),
                         kEngineTypes = PanelIndex(Panel::EngineTypeList), kRender = PanelIndex(Panel::RenderOutput);
}  // namespace panels

// Every character is a 6 x 12 cell whose upper-left 4 x 8 pixels take the colour.
class BlockText : public TextRasterizer {
public:
  int TextWidth(std::string_view text) override { return 6 * static_cast<int>(text.size()); }
  int LineHeight() override { return 12; }
  void DrawText(PixelView view, int x, int y, std::string_view text, uint32_t colour) override {
    for (size_t i = 0; i < text.size(); ++i)
      for (int dy = 0; dy < 8; ++dy)
        for (int dx = 0; dx < 4; ++dx) {
          const int px = x + 6 * static_cast<int>(i) + dx, py = y + dy;
          if (px >= 0 && py >= 0 && px < view.width && py < view.height) view.pixels[py * view.stride + px] = colour;
        }
  }
};

// Never magenta, and different from the deck's pattern.
inline uint32_t SkinPattern(int32_t x, int32_t y) {
  return (static_cast<uint32_t>((x * 7 + y * 13) & 0x7F) << 16) | ((x & 0xFF) << 8) | (y & 0xFF);
}
inline uint32_t DeckPattern(int32_t x, int32_t y) { return 0x800000u | ((x & 0xFF) << 8) | ((x + y) & 0xFF); }

inline void PaintPatterns(Skins& skins) {
  for (int32_t y = 0; y < kSkinHeight; ++y)
    for (int32_t x = 0; x < kSkinWidth; ++x) skins.skin.At(x, y) = SkinPattern(x, y);
  for (int32_t y = 0; y < kDeckHeight; ++y)
    for (int32_t x = 0; x < kDeckWidth; ++x) skins.deck.At(x, y) = DeckPattern(x, y);
  SampleColours(skins);
}

// An uncompressed BMP image of the picture, bottom-up or top-down: 24 or 32 bits, or 4 or 8 bits of palette
// indices for a picture of at most 2^bits colours.
inline std::vector<uint8_t> BmpBytes(const Pixels& p, int bits = 24, bool topDown = false) {
  std::vector<uint32_t> palette;
  for (uint32_t c : bits <= 8 ? p.data : std::vector<uint32_t>{})
    if (std::find(palette.begin(), palette.end(), c) == palette.end()) palette.push_back(c);
  const auto rowBytes = static_cast<uint32_t>((p.width * bits + 31) / 32 * 4);
  const auto dataOffset = static_cast<uint32_t>(54 + 4 * palette.size());
  std::vector<uint8_t> out{'B', 'M'};
  ByteWriter put(out);
  for (uint32_t v : {dataOffset + rowBytes * p.height, 0u, dataOffset, 40u, static_cast<uint32_t>(p.width),
                     static_cast<uint32_t>(topDown ? -p.height : p.height)})
    put.U32(v);
  put.U16(1);
  put.U16(static_cast<uint16_t>(bits));
  for (uint32_t v : {0u, rowBytes * p.height, 0u, 0u, static_cast<uint32_t>(palette.size()), 0u}) put.U32(v);
  for (uint32_t c : palette) put.U32(c);
  for (int32_t row = 0; row < p.height; ++row) {
    std::vector<uint8_t> line(rowBytes);
    for (int32_t x = 0; x < p.width; ++x) {
      const uint32_t v = p.At(x, topDown ? row : p.height - 1 - row);
      const auto bit = static_cast<size_t>(x * bits);
      if (bits > 8) {
        for (int i = 0; i < bits / 8; ++i) line[bit / 8 + i] = static_cast<uint8_t>(v >> (8 * i));
      } else {
        const auto index = static_cast<uint32_t>(std::find(palette.begin(), palette.end(), v) - palette.begin());
        line[bit / 8] |= static_cast<uint8_t>(index << (8 - bits - bit % 8));
      }
    }
    out.insert(out.end(), line.begin(), line.end());
  }
  return out;
}

inline std::string WriteTempFile(const std::string& name, const std::vector<uint8_t>& bytes) {
  const std::string path = ::testing::TempDir() + name;
  WriteBytes(path, bytes);
  return path;
}

struct UiRig {
  UiRig() {
    ui.screen = Pixels(800, 560, kDesktopColour);
    ui.text = &text;
    PaintPatterns(ui.skins);
    // Caption 0 is empty so that buttons without a caption draw no text.
    ui.captions = ParseCaptions("\nOne\nTwo\nThree\nFour\n");
    BuildPanels(ui);
  }

  // Outer panel coordinates to the client coordinates the window messages take.
  Point Client(int32_t panel, Point outer) const {
    const Point o = ui.panels[panel].clientOffset;
    return {outer.x - o.x, outer.y - o.y};
  }
  Point Screen(int32_t panel, Point outer) const {
    return {ui.panels[panel].left + outer.x, ui.panels[panel].top + outer.y};
  }
  uint32_t ScreenAt(int32_t panel, Point outer) const {
    const Point s = Screen(panel, outer);
    return ui.screen.At(s.x, s.y);
  }
  // The deck pixel that shows at a place of a panel (the deck is aligned with the client corner).
  uint32_t DeckAt(int32_t panel, Point outer) const {
    const Point c = Client(panel, outer);
    return DeckPattern(c.x, c.y);
  }
  // Opens the event list's panel, which the rig leaves without controls, with controls of the test's own.
  PanelWindow& OpenWith(std::vector<ValueControl> controls, std::vector<Button> buttons = {}) {
    PanelWindow& p = ui.panels[panels::kEventList];
    for (ValueControl& v : controls) AddValueControl(p, std::move(v));
    for (Button& b : buttons) AddButton(p, std::move(b));
    OpenPanel(ui, panels::kEventList);
    return p;
  }
  // A click straight to the panel's window messages, with the left or the right button.
  void Click(int32_t panel, Point outer, bool right = false) {
    const Point at = Client(panel, outer);
    right ? RightPressPanel(ui, panel, at) : PressPanel(ui, panel, at);
    right ? RightReleasePanel(ui, panel, at) : ReleasePanel(ui, panel, at);
  }
  // A click at a point of the screen, as the platform delivers it; `clicks` 2 for a double click's second.
  void ClickAt(Point screen, bool right = false, int32_t clicks = 1) {
    HandlePointer(ui, {right ? PointerAction::RightDown : PointerAction::LeftDown, screen, 0, false, clicks});
    HandlePointer(ui, {right ? PointerAction::RightUp : PointerAction::LeftUp, screen});
  }

  BlockText text;
  Ui ui;
};

}  // namespace tonforge::testing
