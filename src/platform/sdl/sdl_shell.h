#pragma once
// The desktop's shell: documents open in the user's chosen program through xdg-open.
#include <string>

#include "devices/shell.h"

namespace tonforge {

class SdlShell : public Shell {
public:
  // `opener` is the program that opens a document given as its one argument.
  explicit SdlShell(std::string opener = "xdg-open") : opener_(std::move(opener)) {}
  // Starts the opener and returns without waiting for it.
  bool OpenDocument(std::string_view path) override;

private:
  std::string opener_;
};

// The bell: a BEL written to the controlling terminal when there is one; silently nothing otherwise.
void RingBell();

}  // namespace tonforge
