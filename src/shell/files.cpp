#include "shell/files.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <new>
#include <system_error>

namespace tonforge {

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
