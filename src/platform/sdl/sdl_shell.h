#pragma once
// The desktop's shell: documents open in the user's chosen program through SDL_OpenURL (xdg-open on Linux).
#include <string>
#include <string_view>

#include "shell/devices/dialogs.h"
#include "shell/devices/shell.h"

namespace tonforge {

class SdlShell : public Shell {
public:
  // `dialogs` shows the box when a document cannot be opened.
  explicit SdlShell(Dialogs& dialogs) : dialogs_(dialogs) {}
  // Hands the document to the desktop and returns without waiting. When the file is missing or the desktop
  // has no opener, a box says so and names the file.
  bool OpenDocument(std::string_view path) override;

private:
  Dialogs& dialogs_;
};

// The file: URL of a path, every byte outside the unreserved letters percent-encoded.
std::string FileUrl(std::string_view path);

// The bell: a BEL written to the controlling terminal when there is one; silently nothing otherwise.
void RingBell();

}  // namespace tonforge
