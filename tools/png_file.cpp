#include "png_file.h"

#include <array>
#include <cstdlib>
#include <cstdint>
#include <vector>

#include <zlib.h>

#include "shell/files.h"

namespace tonforge {

namespace {

void PutBig32(std::vector<uint8_t>& out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(v >> shift));
}

uint32_t Crc32(const uint8_t* data, size_t size, uint32_t crc = 0) {
  static const std::array<uint32_t, 256> table = [] {
    std::array<uint32_t, 256> t{};
    for (uint32_t n = 0; n < 256; ++n) {
      uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[n] = c;
    }
    return t;
  }();
  crc = ~crc;
  for (size_t i = 0; i < size; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

void PutChunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data) {
  PutBig32(out, static_cast<uint32_t>(data.size()));
  std::vector<uint8_t> typed(type, type + 4);
  typed.insert(typed.end(), data.begin(), data.end());
  out.insert(out.end(), typed.begin(), typed.end());
  PutBig32(out, Crc32(typed.data(), typed.size()));
}

}  // namespace

bool WritePngFile(const std::string& path, const Pixels& picture) {
  // Each row takes the filter (none, Sub, Up or Paeth) whose bytes sum smallest, as most encoders choose.
  const size_t rowBytes = static_cast<size_t>(picture.width) * 3;
  std::vector<uint8_t> previous(rowBytes, 0), current(rowBytes), raw;
  std::array<std::vector<uint8_t>, 4> filtered;
  for (auto& f : filtered) f.resize(rowBytes);
  for (int32_t y = 0; y < picture.height; ++y) {
    for (int32_t x = 0; x < picture.width; ++x) {
      const uint32_t p = picture.At(x, y);
      current[3 * x] = static_cast<uint8_t>(p >> 16);
      current[3 * x + 1] = static_cast<uint8_t>(p >> 8);
      current[3 * x + 2] = static_cast<uint8_t>(p);
    }
    for (size_t i = 0; i < rowBytes; ++i) {
      const int a = i >= 3 ? current[i - 3] : 0, b = previous[i], c = i >= 3 ? previous[i - 3] : 0;
      const int pa = std::abs(b - c), pb = std::abs(a - c), pc = std::abs(a + b - 2 * c);
      const int paeth = pa <= pb && pa <= pc ? a : (pb <= pc ? b : c);
      filtered[0][i] = current[i];
      filtered[1][i] = static_cast<uint8_t>(current[i] - a);
      filtered[2][i] = static_cast<uint8_t>(current[i] - b);
      filtered[3][i] = static_cast<uint8_t>(current[i] - paeth);
    }
    constexpr std::array<uint8_t, 4> kFilterTypes{0, 1, 2, 4};
    size_t best = 0;
    long bestSum = -1;
    for (size_t f = 0; f < filtered.size(); ++f) {
      long sum = 0;
      for (uint8_t v : filtered[f]) sum += v < 128 ? v : 256 - v;
      if (bestSum < 0 || sum < bestSum) bestSum = sum, best = f;
    }
    raw.push_back(kFilterTypes[best]);
    raw.insert(raw.end(), filtered[best].begin(), filtered[best].end());
    previous.swap(current);
  }
  uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
  std::vector<uint8_t> zlib(packedSize);
  if (compress2(zlib.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()), Z_BEST_COMPRESSION) != Z_OK)
    return false;
  zlib.resize(packedSize);

  std::vector<uint8_t> out{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<uint8_t> header;
  PutBig32(header, static_cast<uint32_t>(picture.width));
  PutBig32(header, static_cast<uint32_t>(picture.height));
  header.insert(header.end(), {8, 2, 0, 0, 0});  // 8-bit RGB
  PutChunk(out, "IHDR", header);
  PutChunk(out, "IDAT", zlib);
  PutChunk(out, "IEND", {});
  return ReplaceFile(path, out);
}

}  // namespace tonforge
