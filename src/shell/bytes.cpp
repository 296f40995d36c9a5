#include "shell/bytes.h"

#include <bit>
#include <cstring>

namespace tonforge {

void ByteWriter::U16(uint16_t v) {
  out_.push_back(static_cast<uint8_t>(v));
  out_.push_back(static_cast<uint8_t>(v >> 8));
}

void ByteWriter::U32(uint32_t v) {
  const std::size_t at = out_.size();
  out_.resize(at + 4);
  PutU32(out_.data() + at, v);
}

void ByteWriter::F32(float v) { U32(std::bit_cast<uint32_t>(v)); }

void ByteWriter::Floats(const float* data, std::size_t count) {
  const std::size_t at = out_.size();
  out_.resize(at + 4 * count);
  uint8_t* p = out_.data() + at;
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(p, data, 4 * count);
  } else {
    for (std::size_t i = 0; i < count; ++i, p += 4) {
      const uint32_t v = std::bit_cast<uint32_t>(data[i]);
      for (int k = 0; k < 4; ++k) p[k] = static_cast<uint8_t>(v >> (8 * k));
    }
  }
}

void ByteWriter::Bytes(const void* data, std::size_t count) {
  const auto* p = static_cast<const uint8_t*>(data);
  out_.insert(out_.end(), p, p + count);
}

bool ByteReader::Take(std::size_t count) {
  if (failed_ || count > Remaining()) {
    failed_ = true;
    return false;
  }
  return true;
}

uint16_t ByteReader::U16() {
  if (!Take(2)) return 0;
  const uint16_t v = GetU16(bytes_.data() + position_);
  position_ += 2;
  return v;
}

uint32_t ByteReader::U32() {
  if (!Take(4)) return 0;
  const uint32_t v = GetU32(bytes_.data() + position_);
  position_ += 4;
  return v;
}

float ByteReader::F32() { return std::bit_cast<float>(U32()); }

void ByteReader::Bytes(void* out, std::size_t count) {
  if (!Take(count)) {
    std::memset(out, 0, count);
    return;
  }
  std::memcpy(out, bytes_.data() + position_, count);
  position_ += count;
}

void ByteReader::Skip(std::size_t count) {
  if (Take(count)) position_ += count;
}

bool ByteReader::Floats(float* out, std::size_t count) {
  if (count > Remaining() / 4) {
    failed_ = true;
    return false;
  }
  for (std::size_t i = 0; i < count; ++i) out[i] = F32();
  return true;
}

std::optional<uint32_t> U32At(std::span<const uint8_t> bytes, std::size_t offset) {
  if (offset > bytes.size() || bytes.size() - offset < 4) return std::nullopt;
  return GetU32(bytes.data() + offset);
}

std::optional<uint16_t> U16At(std::span<const uint8_t> bytes, std::size_t offset) {
  if (offset > bytes.size() || bytes.size() - offset < 2) return std::nullopt;
  return GetU16(bytes.data() + offset);
}

}  // namespace tonforge
