#pragma once
// Little-endian byte images. Every stored record and every file header is written and read through these,
// field by field, so no file layout depends on how the compiler lays out a struct.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "shell/shared_value.h"

namespace tonforge {

inline void PutU16(uint8_t* at, uint16_t v) {
  at[0] = static_cast<uint8_t>(v);
  at[1] = static_cast<uint8_t>(v >> 8);
}
inline void PutU32(uint8_t* at, uint32_t v) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(v >> (8 * i));
}
inline uint16_t GetU16(const uint8_t* at) { return static_cast<uint16_t>(at[0] | (at[1] << 8)); }
inline uint32_t GetU32(const uint8_t* at) {
  uint32_t v = 0;
  for (int i = 0; i < 4; ++i) v |= static_cast<uint32_t>(at[i]) << (8 * i);
  return v;
}

// Little-endian field at an offset of a byte span, or nothing when the field is not wholly inside it.
std::optional<uint32_t> U32At(std::span<const uint8_t> bytes, std::size_t offset);
std::optional<uint16_t> U16At(std::span<const uint8_t> bytes, std::size_t offset);

// Appends little-endian fields to a byte vector. Field() takes the same field list as ByteReader::Field(), so a
// record's layout is written down once and walked in both directions.
class ByteWriter {
public:
  explicit ByteWriter(std::vector<uint8_t>& out) : out_(out) {}
  void U16(uint16_t v);
  void U32(uint32_t v);
  void I32(int32_t v) { U32(static_cast<uint32_t>(v)); }
  void F32(float v);
  // Sample data: count floats at once, as count F32 calls would write them.
  void Floats(const float* data, std::size_t count);
  void Bytes(const void* data, std::size_t count);
  void Zeros(std::size_t count) { out_.insert(out_.end(), count, uint8_t{0}); }
  std::size_t Size() const { return out_.size(); }

  void Field(const uint32_t& v) { U32(v); }
  void Field(const int32_t& v) { I32(v); }
  void Field(const float& v) { F32(v); }
  template <std::size_t N>
  void Field(const std::array<char, N>& text) { Bytes(text.data(), N); }
  template <class T>
  void Field(const Shared<T>& v) {
    Field(v.Load());
  }
  // A stored pointer: written as zero, meaningless on reading.
  void Reference() { Zeros(4); }

private:
  std::vector<uint8_t>& out_;
};

// Reads little-endian fields from a byte span and refuses to read past its end: a read that does not fit
// yields zeros, consumes nothing more and marks the reader failed, so a caller can check once at the end.
class ByteReader {
public:
  explicit ByteReader(std::span<const uint8_t> bytes) : bytes_(bytes) {}
  uint16_t U16();
  uint32_t U32();
  int32_t I32() { return static_cast<int32_t>(U32()); }
  float F32();
  void Bytes(void* out, std::size_t count);
  void Skip(std::size_t count);
  // Reads count floats; false (and nothing read) when they are not all there.
  bool Floats(float* out, std::size_t count);

  void Field(uint32_t& v) { v = U32(); }
  void Field(int32_t& v) { v = I32(); }
  void Field(float& v) { v = F32(); }
  // A stored text always ends in a NUL once read, whatever the file holds.
  template <std::size_t N>
  void Field(std::array<char, N>& text) {
    Bytes(text.data(), N);
    text[N - 1] = '\0';
  }
  template <class T>
  void Field(Shared<T>& v) {
    T value{};
    Field(value);
    v.Store(value);
  }
  void Reference() { Skip(4); }

  bool Has(uint64_t count) const { return count <= Remaining(); }
  std::size_t Remaining() const { return bytes_.size() - position_; }
  std::size_t Position() const { return position_; }
  bool Failed() const { return failed_; }

private:
  bool Take(std::size_t count);
  std::span<const uint8_t> bytes_;
  std::size_t position_ = 0;
  bool failed_ = false;
};

// A stored text up to its NUL (or its whole width when it has none).
template <std::size_t N>
std::string_view StoredText(const std::array<char, N>& text) {
  return std::string_view(text.data(), static_cast<std::size_t>(std::find(text.begin(), text.end(), '\0') - text.begin()));
}

}  // namespace tonforge
