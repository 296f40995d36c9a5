#include "ui/bmp.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <vector>

#include "shell/bytes.h"
#include "shell/files.h"

namespace tonforge {

namespace {

constexpr size_t kFileHeaderSize = 14;
constexpr uint32_t kPlainRgb = 0;
constexpr uint32_t kBitFields = 3;
// Pictures larger than this are not skins; the limit keeps a damaged header from asking for gigabytes.
constexpr int64_t kMaximumSide = 16384;

constexpr uint32_t kWrittenHeaderSize = kFileHeaderSize + 40;
constexpr uint32_t kPixelsPerMetre = 2835;  // 72 dots per inch

uint32_t Read16(std::span<const uint8_t> b, size_t at) { return GetU16(b.data() + at); }
uint32_t Read32(std::span<const uint8_t> b, size_t at) { return GetU32(b.data() + at); }

}  // namespace

std::optional<Pixels> DecodeBmp(std::span<const uint8_t> bytes) {
  if (bytes.size() < kFileHeaderSize + 40 || bytes[0] != 'B' || bytes[1] != 'M') return std::nullopt;
  const uint32_t dataOffset = Read32(bytes, 10);
  const uint32_t infoSize = Read32(bytes, 14);
  if (infoSize < 40 || kFileHeaderSize + infoSize > bytes.size()) return std::nullopt;
  const int32_t width = static_cast<int32_t>(Read32(bytes, 18));
  const int32_t rawHeight = static_cast<int32_t>(Read32(bytes, 22));
  const uint32_t planes = Read16(bytes, 26);
  const uint32_t bits = Read16(bytes, 28);
  const uint32_t compression = Read32(bytes, 30);
  const bool topDown = rawHeight < 0;
  const int64_t height = std::llabs(static_cast<int64_t>(rawHeight));
  if (planes != 1 || (bits != 24 && bits != 32)) return std::nullopt;
  // 32-bit files written with bit fields use the usual BGRA layout; other layouts are not skins.
  if (compression != kPlainRgb && !(compression == kBitFields && bits == 32)) return std::nullopt;
  if (width <= 0 || height <= 0 || width > kMaximumSide || height > kMaximumSide) return std::nullopt;
  const size_t rowBytes = ((static_cast<size_t>(width) * bits / 8) + 3) & ~size_t{3};
  if (dataOffset < kFileHeaderSize + infoSize || dataOffset > bytes.size() ||
      rowBytes * static_cast<size_t>(height) > bytes.size() - dataOffset)
    return std::nullopt;
  Pixels picture(width, static_cast<int32_t>(height));
  const size_t step = bits / 8;
  for (int32_t y = 0; y < picture.height; ++y) {
    const int32_t fileRow = topDown ? y : picture.height - 1 - y;
    const uint8_t* row = bytes.data() + dataOffset + rowBytes * static_cast<size_t>(fileRow);
    for (int32_t x = 0; x < width; ++x) {
      const uint8_t* p = row + step * static_cast<size_t>(x);
      picture.At(x, y) = (static_cast<uint32_t>(p[2]) << 16) | (p[1] << 8) | p[0];
    }
  }
  return picture;
}

std::optional<Pixels> ReadBmpFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return DecodeBmp(bytes);
}

Pixels Stretch(const Pixels& from, int32_t width, int32_t height) {
  Pixels to(width, height);
  for (int32_t y = 0; y < height; ++y)
    for (int32_t x = 0; x < width; ++x)
      to.At(x, y) = from.At(static_cast<int32_t>(static_cast<int64_t>(x) * from.width / width),
                            static_cast<int32_t>(static_cast<int64_t>(y) * from.height / height));
  return to;
}

std::optional<Pixels> ReadBmpFileAtSize(const std::string& path, int32_t width, int32_t height) {
  std::optional<Pixels> picture = ReadBmpFile(path);
  if (picture && (picture->width != width || picture->height != height)) picture = Stretch(*picture, width, height);
  return picture;
}

std::vector<uint8_t> EncodeBmp(const Pixels& picture) {
  const uint32_t rowBytes = (static_cast<uint32_t>(picture.width) * 3 + 3) & ~3u;
  const uint32_t dataSize = rowBytes * static_cast<uint32_t>(picture.height);
  std::vector<uint8_t> out{'B', 'M'};
  ByteWriter w(out);
  w.U32(kWrittenHeaderSize + dataSize);
  w.U32(0);
  w.U32(kWrittenHeaderSize);
  w.U32(kWrittenHeaderSize - kFileHeaderSize);
  w.U32(static_cast<uint32_t>(picture.width));
  w.U32(static_cast<uint32_t>(picture.height));  // bottom-up
  w.U16(1);
  w.U16(24);
  w.U32(kPlainRgb);
  w.U32(dataSize);
  w.U32(kPixelsPerMetre);
  w.U32(kPixelsPerMetre);
  w.U32(0);
  w.U32(0);
  for (int32_t y = picture.height - 1; y >= 0; --y) {
    const size_t rowStart = out.size();
    for (int32_t x = 0; x < picture.width; ++x) {
      const uint32_t p = picture.At(x, y);
      out.push_back(static_cast<uint8_t>(p));
      out.push_back(static_cast<uint8_t>(p >> 8));
      out.push_back(static_cast<uint8_t>(p >> 16));
    }
    while (out.size() - rowStart < rowBytes) out.push_back(0);
  }
  return out;
}

bool WriteBmpFile(const std::string& path, const Pixels& picture) { return ReplaceFile(path, EncodeBmp(picture)); }

}  // namespace tonforge
