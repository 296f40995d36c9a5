#include "ui/pixels.h"

#include <string>

#include <algorithm>

namespace tonforge {

namespace {

bool Covered(const DrawTarget& target, int32_t x, int32_t y) {
  for (const Rect& r : target.covers)
    if (Contains(r, {x, y})) return true;
  return false;
}

bool AnyCoverMeets(const DrawTarget& target, const Rect& area) {
  for (const Rect& r : target.covers)
    if (!Intersect(r, area).Empty()) return true;
  return false;
}

Rect Visible(const DrawTarget& target, const Rect& dest) {
  return Intersect(Intersect(dest, target.clip), target.screen.Bounds());
}

}  // namespace

void CopyPixels(DrawTarget& target, Rect dest, const Pixels& from, Rect source, CopyKind kind) {
  const Rect area = Visible(target, dest);
  if (area.Empty() || source.Empty()) return;
  const bool checkCovers = AnyCoverMeets(target, area);
  const int64_t dw = dest.Width(), dh = dest.Height(), sw = source.Width(), sh = source.Height();
  for (int32_t y = area.top; y < area.bottom; ++y) {
    const int32_t sy = source.top + static_cast<int32_t>((y - dest.top) * sh / dh);
    if (sy < 0 || sy >= from.height) continue;
    uint32_t* row = &target.screen.At(0, y);
    for (int32_t x = area.left; x < area.right; ++x) {
      const int32_t sx = source.left + static_cast<int32_t>((x - dest.left) * sw / dw);
      if (sx < 0 || sx >= from.width) continue;
      const uint32_t pixel = from.At(sx, sy) & 0xFFFFFFu;
      if (kind == CopyKind::Keyed && pixel == kColourKey) continue;
      if (checkCovers && Covered(target, x, y)) continue;
      row[x] = pixel;
    }
  }
  target.changed.push_back(area);
}

void FillPixels(DrawTarget& target, Rect dest, uint32_t colour) {
  const Rect area = Visible(target, dest);
  if (area.Empty()) return;
  const bool checkCovers = AnyCoverMeets(target, area);
  for (int32_t y = area.top; y < area.bottom; ++y)
    for (int32_t x = area.left; x < area.right; ++x)
      if (!checkCovers || !Covered(target, x, y)) target.screen.At(x, y) = colour;
  target.changed.push_back(area);
}

// Every letter is at least a pixel wide, so no more letters than the screen is wide can ever show: a longer
// line is cut before it is measured, and drawing costs what the screen holds, not what the line holds.
std::string_view ShowableText(const DrawTarget& target, std::string_view line) {
  return line.substr(0, static_cast<std::size_t>(std::max(target.screen.width, 0)));
}

void DrawTextLine(DrawTarget& target, TextRasterizer& text, Point at, std::string_view line, uint32_t colour) {
  line = ShowableText(target, line);
  if (line.empty()) return;
  const Rect box{at.x, at.y, at.x + text.TextWidth(line), at.y + text.LineHeight()};
  const Rect area = Visible(target, box);
  if (area.Empty()) return;
  // The rasteriser draws into a copy of the area; the copy goes back except where something lies in front.
  Pixels scratch(area.Width(), area.Height());
  for (int32_t y = 0; y < scratch.height; ++y)
    for (int32_t x = 0; x < scratch.width; ++x) scratch.At(x, y) = target.screen.At(area.left + x, area.top + y);
  text.DrawText(PixelView{scratch.data.data(), scratch.width, scratch.height, scratch.width}, at.x - area.left,
                at.y - area.top, line, colour);
  const bool checkCovers = AnyCoverMeets(target, area);
  for (int32_t y = 0; y < scratch.height; ++y)
    for (int32_t x = 0; x < scratch.width; ++x)
      if (!checkCovers || !Covered(target, area.left + x, area.top + y))
        target.screen.At(area.left + x, area.top + y) = scratch.At(x, y);
  target.changed.push_back(area);
}

namespace {

constexpr std::string_view kEllipsis = "...";

bool IsFigure(std::string_view line) {
  return line.find_first_not_of("0123456789+-.:% ") == std::string_view::npos;
}

// A figure must stay whole to mean anything: its letters are drawn closer together until it fits the box.
void DrawFigureSqueezed(DrawTarget& target, TextRasterizer& text, Rect box, std::string_view line, uint32_t colour) {
  const int32_t full = std::max(text.TextWidth(line), 1);
  const int32_t last = text.TextWidth(line.substr(line.size() - 1));
  const int32_t room = std::max(box.Width() - last, 0), span = std::max(full - last, 1);
  for (std::size_t i = 0; i < line.size(); ++i) {
    const int32_t before = text.TextWidth(line.substr(0, i));
    DrawTextLine(target, text, {box.left + before * room / span, box.top}, line.substr(i, 1), colour);
  }
}

}  // namespace

void DrawTextCentred(DrawTarget& target, TextRasterizer& text, Rect box, std::string_view line, uint32_t colour) {
  line = ShowableText(target, line);
  if (line.empty()) return;
  DrawTarget inBox{target.screen, Intersect(target.clip, box), target.covers, target.changed};
  if (text.TextWidth(line) > box.Width()) {
    if (IsFigure(line)) {
      DrawFigureSqueezed(inBox, text, box, line, colour);
      return;
    }
    // A word too long for its field keeps its start and says that it goes on: the longest start that fits
    // with the ellipsis, found by halving (every letter is a pixel wide at least, which bounds the search).
    if (text.TextWidth(kEllipsis) > box.Width()) {
      DrawTextLine(inBox, text, {box.left, box.top}, line, colour);
      return;
    }
    auto withEllipsis = [&](std::size_t count) { return std::string(line.substr(0, count)) + std::string(kEllipsis); };
    std::size_t fits = 0;
    const auto room = static_cast<std::size_t>(std::max(box.Width() - static_cast<int32_t>(kEllipsis.size()), 0));
    std::size_t tooLong = std::min(line.size(), room) + 1;
    while (tooLong - fits > 1) {
      const std::size_t mid = (fits + tooLong) / 2;
      (text.TextWidth(withEllipsis(mid)) <= box.Width() ? fits : tooLong) = mid;
    }
    const std::string shown = withEllipsis(fits);
    DrawTextLine(inBox, text, {box.left + (box.Width() - text.TextWidth(shown)) / 2, box.top}, shown, colour);
    return;
  }
  const int32_t x = box.left + (box.Width() - text.TextWidth(line)) / 2;
  DrawTextLine(inBox, text, {x, box.top}, line, colour);
}

}  // namespace tonforge
