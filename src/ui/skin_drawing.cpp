#include "ui/skin_drawing.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "ui/controls.h"
#include "ui/skin.h"

namespace tonforge {
namespace {

// ---- Palette: dark slate with one warm accent. ----
constexpr uint32_t kAccent = 0xE39B3F;
constexpr uint32_t kLabelText = 0x9DAEC2;
constexpr uint32_t kButtonText = 0xEEF1F5;
constexpr uint32_t kSongViewText = 0x8697AC;
constexpr uint32_t kSongViewBarText = 0xF0B45A;
constexpr uint32_t kSplashText = 0xF2F4F7;
constexpr uint32_t kBeatLine = 0x2C333E;
constexpr uint32_t kBarLine = 0x4D5869;

uint32_t Rgb(int r, int g, int b) {
  return (static_cast<uint32_t>(std::clamp(r, 0, 255)) << 16) | (static_cast<uint32_t>(std::clamp(g, 0, 255)) << 8) |
         static_cast<uint32_t>(std::clamp(b, 0, 255));
}
int R(uint32_t c) { return (c >> 16) & 0xFF; }
int G(uint32_t c) { return (c >> 8) & 0xFF; }
int B(uint32_t c) { return c & 0xFF; }
uint32_t Mix(uint32_t a, uint32_t b, double t) {
  return Rgb(static_cast<int>(std::lround(R(a) + (R(b) - R(a)) * t)), static_cast<int>(std::lround(G(a) + (G(b) - G(a)) * t)),
             static_cast<int>(std::lround(B(a) + (B(b) - B(a)) * t)));
}
uint32_t Hsv(double h, double s, double v) {
  h = std::fmod(h, 360.0) / 60.0;
  const int i = static_cast<int>(h);
  const double f = h - i, p = v * (1 - s), q = v * (1 - s * f), t = v * (1 - s * (1 - f));
  double r = v, g = t, b = p;
  switch (i) {
    case 1: r = q, g = v, b = p; break;
    case 2: r = p, g = v, b = t; break;
    case 3: r = p, g = q, b = v; break;
    case 4: r = t, g = p, b = v; break;
    case 5: r = v, g = p, b = q; break;
    default: break;
  }
  return Rgb(static_cast<int>(r * 255), static_cast<int>(g * 255), static_cast<int>(b * 255));
}

// The interface's own fill, over the whole picture with nothing in front of it.
void Fill(Pixels& p, Rect r, uint32_t c) {
  std::vector<Rect> changed;
  DrawTarget whole{p, p.Bounds(), {}, changed};
  FillPixels(whole, r, c);
}
void Put(Pixels& p, int x, int y, uint32_t c) {
  if (x >= 0 && y >= 0 && x < p.width && y < p.height) p.At(x, y) = c;
}
void Blend(Pixels& p, int x, int y, uint32_t c, double a) {
  if (x >= 0 && y >= 0 && x < p.width && y < p.height) p.At(x, y) = Mix(p.At(x, y), c, std::clamp(a, 0.0, 1.0));
}
void VerticalGradient(Pixels& p, Rect r, uint32_t top, uint32_t bottom) {
  for (int y = r.top; y < r.bottom; ++y)
    Fill(p, {r.left, y, r.right, y + 1}, Mix(top, bottom, r.Height() > 1 ? double(y - r.top) / (r.Height() - 1) : 0));
}

// ---- Button looks. ----
struct Look {
  uint32_t top, bottom;          // body gradient
  uint32_t border;
  uint32_t highlight;            // first row inside the border
  uint32_t pressedTop, pressedBottom;
  bool rounded;
  bool inset;                    // fields: dark inside, light lower edge
  int led;                       // 0 none, 1 off, 2 lit
};

constexpr std::array<Look, 6> kLooks{{
    // 0 list row: flat, square, so that rows stack
    {0x20252D, 0x1B1F26, 0x2A303A, 0x262C35, 0x33404F, 0x2B3644, false, false, 0},
    // 1 push button (and the knobs)
    {0x4D576B, 0x343B49, 0x0C0E12, 0x6B7790, 0x262B34, 0x303744, true, false, 0},
    // 2 toggle off
    {0x3C4351, 0x2C323D, 0x0C0E12, 0x525B6D, 0x23272F, 0x2B3039, true, false, 1},
    // 3 toggle on
    {0x574A36, 0x3D3326, 0x0C0E12, 0x7A6646, 0x2D261C, 0x3A3124, true, false, 2},
    // 4 framed field
    {0x12151A, 0x161A20, 0x060709, 0x0E1014, 0x1A1F26, 0x1D222A, false, true, 0},
    // 5 field being edited
    {0x1B1F26, 0x1F242C, kAccent, 0x1B1F26, 0x1F242C, 0x232830, false, false, 0},
}};

void DrawLed(Pixels& p, int cx, int cy, bool lit, int size) {
  const uint32_t core = lit ? 0xFFC35A : 0x4A3A22;
  for (int dy = -size; dy <= size; ++dy)
    for (int dx = -size; dx <= size; ++dx) {
      const double d = std::sqrt(double(dx * dx + dy * dy));
      if (d <= size - 0.5) Put(p, cx + dx, cy + dy, d < size * 0.45 && lit ? 0xFFF0C8 : core);
      else if (lit && d <= size + 0.8) Blend(p, cx + dx, cy + dy, kAccent, 0.45);
    }
}

void DrawFace(Pixels& p, Rect r, const Look& look, bool pressed) {
  const uint32_t top = pressed ? look.pressedTop : look.top, bottom = pressed ? look.pressedBottom : look.bottom;
  VerticalGradient(p, r, top, bottom);
  // border
  Fill(p, {r.left, r.top, r.right, r.top + 1}, look.border);
  Fill(p, {r.left, r.bottom - 1, r.right, r.bottom}, look.inset ? 0x3A4250 : look.border);
  Fill(p, {r.left, r.top, r.left + 1, r.bottom}, look.border);
  Fill(p, {r.right - 1, r.top, r.right, r.bottom}, look.inset ? 0x3A4250 : look.border);
  if (!look.inset) {
    const uint32_t line = pressed ? Mix(top, 0x000000, 0.35) : look.highlight;
    Fill(p, {r.left + 1, r.top + 1, r.right - 1, r.top + 2}, line);
  }
  if (look.rounded) {
    for (Point c : {Point{r.left, r.top}, Point{r.right - 1, r.top}, Point{r.left, r.bottom - 1}, Point{r.right - 1, r.bottom - 1}})
      Put(p, c.x, c.y, kColourKey);
  }
  if (look.led != 0) {
    const bool lit = look.led == 2;
    if (r.Width() == 16 && r.Height() == 16) {
      DrawLed(p, r.left + 8, r.top + 8, lit, 4);
    } else if (r.Height() >= 32) {
      DrawLed(p, r.left + 8, r.top + 6, lit, 2);
    } else {
      DrawLed(p, r.left + 5, r.top + r.Height() / 2, lit, 2);
    }
  }
}

void DrawStyleBlocks(Pixels& skin) {
  for (uint32_t style = 0; style < 6; ++style)
    for (bool pressed : {false, true})
      for (uint32_t kind : {0u, 1u, 2u, 3u, 4u, 5u}) {
        const Rect r = ButtonSource(style, kind, pressed);
        DrawFace(skin, r, kLooks[style], pressed);
      }
}

// A groove the knob rides in; magenta around it so the deck shows.
void DrawTracks(Pixels& skin) {
  constexpr std::array<uint32_t, 4> groove{0x07080A, 0x111419, 0x15191F, 0x343B47};
  // The vertical strip runs through the right edge of the second column of style blocks, where no frame kind
  // in use lies.
  Fill(skin, {464, 0, 480, 352}, kColourKey);
  for (int i = 0; i < 4; ++i) {
    Fill(skin, {0, 352 + 6 + i, kSkinWidth, 352 + 7 + i}, groove[i]);
    Fill(skin, {464 + 6 + i, 0, 464 + 7 + i, 352}, groove[i]);
  }
}

void DrawSongViewRows(Pixels& skin) {
  struct Row {
    int top;
    uint32_t upper, lower, line;
  };
  const std::array<Row, 4> rows{{
      {192, 0x1F2C3B, 0x192431, 0x34506C},  // the current track
      {224, 0x191D24, 0x14171C, 0x232832},  // other tracks
      {256, 0x3A3121, 0x2E271B, 0x6A5634},  // the current track inside the Block
      {288, 0x2A251C, 0x221E17, 0x4A3F2C},  // other tracks inside the Block
  }};
  for (const Row& r : rows) {
    VerticalGradient(skin, {0, r.top, 464, r.top + 32}, r.upper, r.lower);
    Fill(skin, {0, r.top, 464, r.top + 1}, r.line);
    Fill(skin, {0, r.top + 31, 464, r.top + 32}, 0x0A0C0F);
  }
}

uint32_t EventTypeColour(int type) {
  if (type == 0) return 0x6B7380;                                           // Empty
  if (type == 1) return 0xE0625A;                                           // NoteOff
  if (type == 2) return 0x7BD88F;                                           // NoteOn
  if (type <= 8) return Hsv(205 + (type - 3) * 6, 0.65, type % 2 ? 0.98 : 0.78);    // program values and slides
  if (type <= 17) return Hsv(178, 0.70, 0.60 + (type - 9) * 0.045);          // program engine parameters
  if (type <= 23) return Hsv(95 + (type - 18) * 6, 0.62, type % 2 ? 0.80 : 0.95);   // track values and slides
  if (type <= 32) return Hsv(52, 0.70, 0.58 + (type - 24) * 0.05);           // track engine parameters
  if (type <= 34) return Hsv(265, 0.50, type == 33 ? 0.98 : 0.80);          // song volume
  if (type <= 36) return Hsv(320, 0.48, type == 35 ? 1.0 : 0.82);           // tempo
  if (type == 37) return 0xFF9F43;                                           // Phrase
  return 0xFF3B3B;                                                           // End
}

void DrawPaletteStrip(Pixels& skin) {
  Fill(skin, {0, 320, 238, 352}, kColourKey);
  auto column = [&](int x, uint32_t c) { Fill(skin, {x, 320, x + 1, 352}, c); };
  column(0, 0xFFC85A);
  column(1, kBeatLine);
  column(2, kBarLine);
  for (int type = 0; type < 39; ++type) column(3 + type, EventTypeColour(type));
  constexpr std::array<double, 6> kProgramHues{145, 195, 40, 280, 340, 95};
  for (int program = 0; program < 6; ++program)
    for (int k = 0; k < 31; ++k) {
      const int x = 42 + 31 * program + k;
      if (x < 228) column(x, Hsv(kProgramHues[program], 0.62 - k * 0.008, 0.62 + k * 0.0125));
    }
  for (int k = 0; k < 10; ++k) column(228 + k, Hsv(20 + k * 36, 0.55, 0.98));
}

void DrawSampledColours(Pixels& skin) {
  const std::array<uint32_t, 5> colours{kBeatLine, kLabelText, kButtonText, kSongViewText, kSongViewBarText};
  for (size_t i = 0; i < colours.size(); ++i) Put(skin, 320 + 32 * static_cast<int>(i), 336, colours[i]);
}

Pixels MakeSkin() {
  Pixels skin(kSkinWidth, kSkinHeight, kColourKey);
  DrawStyleBlocks(skin);
  DrawTracks(skin);
  DrawSongViewRows(skin);
  DrawPaletteStrip(skin);
  DrawSampledColours(skin);
  return skin;
}

// A quiet woven surface: every panel's background, aligned with its client corner. The grain is the sum of a
// column pattern and a row pattern, which keeps pictures of the interface small.
Pixels MakeDeck() {
  Pixels deck(kDeckWidth, kDeckHeight);
  uint32_t seed = 12345;
  auto grain = [&seed] {
    seed = seed * 196314165u + 907633515u;
    return static_cast<int>((seed >> 30) & 1);
  };
  std::array<int, kDeckWidth> columns{};
  for (int& g : columns) g = grain();
  for (int y = 0; y < kDeckHeight; ++y) {
    const uint32_t base = Mix(0x222831, 0x171B21, double(y) / (kDeckHeight - 1));
    const int row = grain();
    for (int x = 0; x < kDeckWidth; ++x) {
      const int g = columns[x] + row - 1;
      deck.At(x, y) = Rgb(R(base) + g, G(base) + g, B(base) + g + 1);
    }
  }
  Fill(deck, {0, 0, kDeckWidth, 1}, 0x2F3642);
  return deck;
}

// A 5 x 7 block font for the product name.
constexpr std::array<std::pair<char, std::array<const char*, 7>>, 7> kGlyphs{{
    {'T', {"#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."}},
    {'O', {".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."}},
    {'N', {"#...#", "##..#", "#.#.#", "#.#.#", "#..##", "#...#", "#...#"}},
    {'F', {"#####", "#....", "#....", "####.", "#....", "#....", "#...."}},
    {'R', {"####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"}},
    {'G', {".###.", "#...#", "#....", "#.###", "#...#", "#...#", ".####"}},
    {'E', {"#####", "#....", "#....", "####.", "#....", "#....", "#####"}},
}};

void DrawWord(Pixels& p, int x, int y, const char* word, int scale, uint32_t top, uint32_t bottom) {
  for (; *word != '\0'; ++word, x += 6 * scale) {
    for (const auto& [c, rows] : kGlyphs) {
      if (c != *word) continue;
      for (int gy = 0; gy < 7; ++gy)
        for (int gx = 0; gx < 5; ++gx)
          if (rows[gy][gx] == '#')
            Fill(p, {x + gx * scale, y + gy * scale, x + (gx + 1) * scale, y + (gy + 1) * scale},
                 Mix(top, bottom, double(gy) / 6));
    }
  }
}


// The emblem: a ring with one period of a wave through it, drawn at any size into the columns left of
// `right` (the splash's has radius 44; every width scales with the radius).
void DrawEmblem(Pixels& p, double cx, double cy, double radius, int right) {
  const double scale = radius / 44;
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < right; ++x) {
      const double d = std::hypot(x - cx, y - cy);
      const double ring = 1.0 - std::abs(d - radius) / (2.2 * scale);
      if (ring > 0) Blend(p, x, y, kAccent, ring);
      const double glow = 1.0 - std::abs(d - radius) / (9.0 * scale);
      if (glow > 0 && ring <= 0) Blend(p, x, y, kAccent, glow * 0.18);
    }
  const double inset = 6 * scale;
  const int half = std::max(1, static_cast<int>(std::lround(scale)));
  for (double x = cx - radius + inset; x <= cx + radius - inset; x += 0.25) {
    const double y = cy - std::sin((x - (cx - radius + inset)) / (2 * radius - 2 * inset) * 2 * M_PI) * 22 * scale;
    for (int t = -half; t <= half; ++t)
      Blend(p, static_cast<int>(x), static_cast<int>(y) + t, 0xFFE2B0, std::abs(t) < half ? 1.0 : 0.5);
  }
}

Pixels MakeSplash() {
  Pixels splash(kSplashWidth, kSplashHeight);
  for (int y = 0; y < kSplashHeight; ++y)
    for (int x = 0; x < kSplashWidth; ++x)
      splash.At(x, y) = Mix(0x262E3A, 0x0F1217, std::min(1.0, (x * 0.4 + y) / (kSplashHeight + kSplashWidth * 0.4)));
  DrawEmblem(splash, 64, 80, 44, 130);
  DrawWord(splash, 132, 62, "TONFORGE", 3, 0xFFFFFF, 0xC9D2DE);
  Fill(splash, {132, 90, 132 + 141, 92}, kAccent);
  // A faint wave along the foot.
  for (int x = 2; x < kSplashWidth - 2; ++x) {
    const double y = 140 + std::sin(x / 13.0) * 8 * std::sin(x / 97.0 + 0.6);
    for (int t = -3; t <= 3; ++t) Blend(splash, x, static_cast<int>(y) + t, kAccent, 0.55 - std::abs(t) * 0.16);
  }
  // The frame is in the text colour; its first pixel is where the program samples it.
  Fill(splash, {0, 0, kSplashWidth, 1}, kSplashText);
  Fill(splash, {0, kSplashHeight - 1, kSplashWidth, kSplashHeight}, kSplashText);
  Fill(splash, {0, 0, 1, kSplashHeight}, kSplashText);
  Fill(splash, {kSplashWidth - 1, 0, kSplashWidth, kSplashHeight}, kSplashText);
  return splash;
}

}  // namespace

Pixels DrawSkinPicture(SkinPicture which) {
  switch (which) {
    case SkinPicture::Skin: return MakeSkin();
    case SkinPicture::Deck: return MakeDeck();
    case SkinPicture::Splash: break;
  }
  return MakeSplash();
}

// The desktop icon: the splash's emblem on the splash's background, filling a square of `size` pixels.
Pixels DrawIcon(int size) {
  Pixels icon(size, size);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) icon.At(x, y) = Mix(0x262E3A, 0x0F1217, (x * 0.4 + y) / (size * 1.4));
  DrawEmblem(icon, (size - 1) / 2.0, (size - 1) / 2.0, size * 0.38, size);
  return icon;
}

}  // namespace tonforge
