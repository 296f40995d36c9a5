#pragma once
// A Shell that records what it was asked to open.
#include <string>
#include <vector>

#include "shell/devices/shell.h"

namespace tonforge::testing {

class FakeShell : public Shell {
public:
  bool OpenDocument(std::string_view path) override {
    opened.emplace_back(path);
    return true;
  }
  std::vector<std::string> opened;
};

}  // namespace tonforge::testing
