#pragma once
// Whole files in and out of memory.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tonforge {

// The messages every file command shows: a file that fails its checks, and a save that did not complete.
inline constexpr std::string_view kInvalidFile = "Invalid File";
inline constexpr std::string_view kSaveFailed = "Could Not Save File";

enum class FileReadStatus { Ok, CannotOpen, OutOfMemory };

// The whole file in memory.
FileReadStatus ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes);
// Writes bytes to a temporary file beside path and renames it over path, so a failed write never leaves a
// half-written file in place of a good one. False when any step failed (the old file is then untouched).
bool ReplaceFile(const std::string& path, std::span<const uint8_t> bytes);

}  // namespace tonforge
