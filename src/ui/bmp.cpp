#include "ui/bmp.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
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
constexpr std::string_view kNotAPicture = "Not an uncompressed BMP picture (1, 4, 8, 24 or 32 bits), or a damaged one";

constexpr uint32_t kWrittenHeaderSize = kFileHeaderSize + 40;
constexpr uint32_t kPixelsPerMetre = 2835;  // 72 dots per inch

uint32_t Read16(std::span<const uint8_t> b, size_t at) { return GetU16(b.data() + at); }
uint32_t Read32(std::span<const uint8_t> b, size_t at) { return GetU32(b.data() + at); }

}  // namespace

namespace {

constexpr size_t kReadHeaderSize = kFileHeaderSize + 40;

// Where the pixels of a file lie, from its headers alone.
struct BmpLayout {
  int32_t width = 0;
  int32_t height = 0;
  bool topDown = false;
  uint32_t bits = 0;
  size_t rowBytes = 0;
  size_t dataOffset = 0;
  size_t paletteOffset = 0;  // palette pictures: the 4-byte BGR0 entries
  uint32_t paletteSize = 0;
  size_t End() const { return dataOffset + rowBytes * static_cast<size_t>(height); }
};

// The layout when the headers describe a picture we can read that fits in fileSize bytes.
std::optional<BmpLayout> ReadLayout(std::span<const uint8_t> header, uint64_t fileSize) {
  if (header.size() < kReadHeaderSize || header[0] != 'B' || header[1] != 'M') return std::nullopt;
  const uint32_t dataOffset = Read32(header, 10);
  const uint32_t infoSize = Read32(header, 14);
  if (infoSize < 40 || kFileHeaderSize + infoSize > fileSize) return std::nullopt;
  const int32_t width = static_cast<int32_t>(Read32(header, 18));
  const int32_t rawHeight = static_cast<int32_t>(Read32(header, 22));
  const uint32_t planes = Read16(header, 26);
  const uint32_t bits = Read16(header, 28);
  const uint32_t compression = Read32(header, 30);
  const int64_t height = std::llabs(static_cast<int64_t>(rawHeight));
  const bool paletted = bits == 1 || bits == 4 || bits == 8;
  if (planes != 1 || !(paletted || bits == 24 || bits == 32)) return std::nullopt;
  // 32-bit files written with bit fields use the usual BGRA layout; other layouts are not skins.
  if (compression != kPlainRgb && !(compression == kBitFields && bits == 32)) return std::nullopt;
  if (width <= 0 || height <= 0 || width > kMaximumSide || height > kMaximumSide) return std::nullopt;
  BmpLayout l;
  l.width = width;
  l.height = static_cast<int32_t>(height);
  l.topDown = rawHeight < 0;
  l.bits = bits;
  l.rowBytes = ((static_cast<size_t>(width) * bits + 31) / 32) * 4;
  l.dataOffset = dataOffset;
  if (paletted) {
    // A palette of 0 entries means all 2^bits of them.
    const uint32_t used = Read32(header, 46);
    l.paletteSize = used == 0 || used > (1u << bits) ? 1u << bits : used;
    l.paletteOffset = kFileHeaderSize + infoSize;
  }
  if (dataOffset < l.paletteOffset + 4 * size_t{l.paletteSize} || dataOffset < kFileHeaderSize + infoSize ||
      l.End() > fileSize)
    return std::nullopt;
  return l;
}

uint32_t Bgr(const uint8_t* p) { return (static_cast<uint32_t>(p[2]) << 16) | (p[1] << 8) | p[0]; }

// The palette entry of pixel x of a row of 1-, 4- or 8-bit indices; an index past the palette reads entry 0.
uint32_t PaletteColour(std::span<const uint8_t> bytes, const BmpLayout& l, const uint8_t* row, int32_t x) {
  const size_t bit = static_cast<size_t>(x) * l.bits;
  const uint32_t index = (row[bit / 8] >> (8 - l.bits - bit % 8)) & ((1u << l.bits) - 1);
  return Bgr(bytes.data() + l.paletteOffset + 4 * size_t{index < l.paletteSize ? index : 0});
}

Pixels DecodePixels(std::span<const uint8_t> bytes, const BmpLayout& l) {
  Pixels picture(l.width, l.height);
  const size_t step = l.bits / 8;
  const bool paletted = l.paletteSize > 0;
  for (int32_t y = 0; y < picture.height; ++y) {
    const int32_t fileRow = l.topDown ? y : picture.height - 1 - y;
    const uint8_t* row = bytes.data() + l.dataOffset + l.rowBytes * static_cast<size_t>(fileRow);
    for (int32_t x = 0; x < l.width; ++x) {
      picture.At(x, y) = paletted ? PaletteColour(bytes, l, row, x) : Bgr(row + step * static_cast<size_t>(x));
    }
  }
  return picture;
}

bool ReadAt(int fd, uint8_t* to, size_t count, off_t offset) {
  while (count > 0) {
    const ssize_t n = pread(fd, to, count, offset);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    to += n, count -= static_cast<size_t>(n), offset += n;
  }
  return true;
}

}  // namespace

std::optional<Pixels> DecodeBmp(std::span<const uint8_t> bytes) {
  const auto layout = ReadLayout(bytes, bytes.size());
  if (!layout) return std::nullopt;
  return DecodePixels(bytes, *layout);
}

std::optional<Pixels> ReadBmpFileAtSize(const std::string& path, int32_t width, int32_t height, FileFailure* failure) {
  FileFailure why;
  const int fd = OpenRegularFile(path, why);
  std::optional<Pixels> picture;
  struct stat st {};
  std::vector<uint8_t> bytes(kReadHeaderSize);
  if (fd >= 0 && fstat(fd, &st) == 0 && ReadAt(fd, bytes.data(), bytes.size(), 0)) {
    const auto layout = ReadLayout(bytes, static_cast<uint64_t>(st.st_size));
    if (!layout) {
      why.reason = kNotAPicture;
    } else if (layout->width != width || layout->height != height) {
      // Refused from the header: a picture of the wrong size is never read, however large it claims to be.
      why.reason = "The picture is " + std::to_string(layout->width) + " x " + std::to_string(layout->height) +
                   " pixels; " + std::to_string(width) + " x " + std::to_string(height) + " are required";
    } else {
      bytes.resize(layout->End());
      if (ReadAt(fd, bytes.data(), bytes.size(), 0)) picture = DecodePixels(bytes, *layout);
      else why.reason = kNotAPicture;
    }
  } else if (fd >= 0) {
    why.reason = kNotAPicture;
  }
  if (fd >= 0) close(fd);
  if (!picture && failure) *failure = why;
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
