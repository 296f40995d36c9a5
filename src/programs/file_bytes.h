#pragma once
// Little-endian byte images and the files that hold them. Every stored record is written and read through
// these, field by field, so the file layout never depends on how the compiler lays out a struct.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tonforge {

// The messages every file command shows: a file that fails its checks, and a save that did not complete.
inline constexpr std::string_view kInvalidFile = "Invalid File";
inline constexpr std::string_view kSaveFailed = "Could Not Save File";

// Appends little-endian fields to a byte vector.
class ByteWriter {
public:
  explicit ByteWriter(std::vector<uint8_t>& out) : out_(out) {}
  void U32(uint32_t v);
  void I32(int32_t v) { U32(static_cast<uint32_t>(v)); }
  void F32(float v);
  void Bytes(const void* data, std::size_t count);
  void Zeros(std::size_t count) { out_.insert(out_.end(), count, uint8_t{0}); }
  std::size_t Size() const { return out_.size(); }

private:
  std::vector<uint8_t>& out_;
};

// Reads little-endian fields from a byte span and refuses to read past its end: a read that does not fit
// yields zeros, consumes nothing more and marks the reader failed, so a caller can check once at the end.
class ByteReader {
public:
  explicit ByteReader(std::span<const uint8_t> bytes) : bytes_(bytes) {}
  uint32_t U32();
  int32_t I32() { return static_cast<int32_t>(U32()); }
  float F32();
  void Bytes(void* out, std::size_t count);
  void Skip(std::size_t count);
  // Reads count floats; false (and nothing read) when they are not all there.
  bool Floats(float* out, std::size_t count);

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

// Little-endian field at an offset of a byte span, or nothing when the field is not wholly inside it.
std::optional<uint32_t> U32At(std::span<const uint8_t> bytes, std::size_t offset);
std::optional<uint16_t> U16At(std::span<const uint8_t> bytes, std::size_t offset);

// A stored text up to its NUL (or its whole width when it has none).
template <std::size_t N>
std::string_view StoredText(const std::array<char, N>& text) {
  return std::string_view(text.data(), static_cast<std::size_t>(std::find(text.begin(), text.end(), '\0') - text.begin()));
}

enum class FileReadStatus { Ok, CannotOpen, OutOfMemory };

// The whole file in memory.
FileReadStatus ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes);
// Writes bytes to a temporary file beside path and renames it over path, so a failed write never leaves a
// half-written file in place of a good one. False when any step failed (the old file is then untouched).
bool ReplaceFile(const std::string& path, std::span<const uint8_t> bytes);

}  // namespace tonforge
