#pragma once
// The desktop's shell: opening a document with the program the user has chosen for its kind.
#include <string_view>

namespace tonforge {

class Shell {
public:
  virtual ~Shell() = default;
  // Opens the file at `path` with the desktop's default program, shown normally. False when nothing could
  // be started.
  virtual bool OpenDocument(std::string_view path) = 0;
};

}  // namespace tonforge
