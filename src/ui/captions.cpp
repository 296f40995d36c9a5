#include "ui/captions.h"

#include <fstream>
#include <iterator>

namespace tonforge {

CaptionTable ParseCaptions(std::string_view text) {
  CaptionTable table;
  std::string line;
  bool afterReturn = false;
  for (char c : text) {
    if (c == '\n' && afterReturn) {
      afterReturn = false;
      continue;
    }
    afterReturn = c == '\r';
    if (c == '\r' || c == '\n') {
      table.lines.push_back(std::move(line));
      line.clear();
    } else {
      line += c;
    }
  }
  if (!line.empty()) table.lines.push_back(std::move(line));
  return table;
}

CaptionTable ReadCaptionFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return {};
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return ParseCaptions(text);
}

std::string_view Caption(const CaptionTable& table, int32_t id) {
  if (id < 0 || static_cast<size_t>(id) >= table.lines.size()) return {};
  return table.lines[static_cast<size_t>(id)];
}

}  // namespace tonforge
