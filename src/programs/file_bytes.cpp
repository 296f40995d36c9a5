#include "programs/file_bytes.h"

#include <bit>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <new>
#include <system_error>

namespace tonforge {

void ByteWriter::U32(uint32_t v) {
  for (int shift = 0; shift < 32; shift += 8) out_.push_back(static_cast<uint8_t>(v >> shift));
}

void ByteWriter::F32(float v) { U32(std::bit_cast<uint32_t>(v)); }

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

uint32_t ByteReader::U32() {
  if (!Take(4)) return 0;
  uint32_t v = 0;
  for (int i = 0; i < 4; ++i) v |= static_cast<uint32_t>(bytes_[position_ + i]) << (8 * i);
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
  ByteReader r(bytes.subspan(offset, 4));
  return r.U32();
}

std::optional<uint16_t> U16At(std::span<const uint8_t> bytes, std::size_t offset) {
  if (offset > bytes.size() || bytes.size() - offset < 2) return std::nullopt;
  return static_cast<uint16_t>(bytes[offset] | (bytes[offset + 1] << 8));
}

FileReadStatus ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes) {
  std::ifstream in(path, std::ios::binary);
  std::error_code ec;
  if (!in || std::filesystem::is_directory(path, ec)) return FileReadStatus::CannotOpen;
  const auto size = std::filesystem::file_size(path, ec);
  if (ec) return FileReadStatus::CannotOpen;
  try {
    bytes.assign(static_cast<std::size_t>(size), 0);
  } catch (const std::bad_alloc&) {
    return FileReadStatus::OutOfMemory;
  } catch (const std::length_error&) {
    return FileReadStatus::OutOfMemory;
  }
  in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  // A file that shrank while it was read keeps only what was there.
  bytes.resize(static_cast<std::size_t>(in.gcount()));
  return FileReadStatus::Ok;
}

bool ReplaceFile(const std::string& path, std::span<const uint8_t> bytes) {
  const std::string temporary = path + ".saving";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
      std::remove(temporary.c_str());
      return false;
    }
  }
  std::error_code ec;
  std::filesystem::rename(temporary, path, ec);
  if (ec) {
    std::filesystem::remove(temporary, ec);
    return false;
  }
  return true;
}

}  // namespace tonforge
