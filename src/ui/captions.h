#pragma once
// Every fixed text of the panels is a caption addressed by number: line n of the caption file.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tonforge {

struct CaptionTable {
  std::vector<std::string> lines;
};

// A line ends at a carriage return, a line feed, or the pair of them, so files written on either kind of
// system read the same, and is cut at 256 characters, more than any field shows. A missing file, or one that
// is not a regular file, gives an empty table.
CaptionTable ParseCaptions(std::string_view text);
CaptionTable ReadCaptionFile(const std::string& path);
// Empty for a number the table does not have.
std::string_view Caption(const CaptionTable& table, int32_t id);

}  // namespace tonforge
