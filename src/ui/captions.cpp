#include "ui/captions.h"

#include <unistd.h>

#include "shell/files.h"

namespace tonforge {

namespace {

// Longer than any field can show; the rest of a line is dropped as it is read.
constexpr std::size_t kLongestCaption = 256;
constexpr std::size_t kReadPiece = 1 << 16;

// Lines split at CR, LF or CR LF, taken piece by piece.
struct CaptionParser {
  CaptionTable table;
  std::string line;
  bool afterReturn = false;

  void Feed(std::string_view text) {
    for (char c : text) {
      if (c == '\n' && afterReturn) {
        afterReturn = false;
        continue;
      }
      afterReturn = c == '\r';
      if (c == '\r' || c == '\n') {
        table.lines.push_back(std::move(line));
        line.clear();
      } else if (line.size() < kLongestCaption) {
        line += c;
      }
    }
  }
  CaptionTable Finish() {
    if (!line.empty()) table.lines.push_back(std::move(line));
    return std::move(table);
  }
};

}  // namespace

CaptionTable ParseCaptions(std::string_view text) {
  CaptionParser parser;
  parser.Feed(text);
  return parser.Finish();
}

CaptionTable ReadCaptionFile(const std::string& path) {
  FileFailure failure;
  const int fd = OpenRegularFile(path, failure);
  if (fd < 0) return {};
  CaptionParser parser;
  std::string piece(kReadPiece, '\0');
  for (ssize_t n; (n = read(fd, piece.data(), piece.size())) > 0;) parser.Feed(std::string_view(piece.data(), static_cast<std::size_t>(n)));
  close(fd);
  return parser.Finish();
}

std::string_view Caption(const CaptionTable& table, int32_t id) {
  if (id < 0 || static_cast<size_t>(id) >= table.lines.size()) return {};
  return table.lines[static_cast<size_t>(id)];
}

}  // namespace tonforge
