#include "platform/sdl/sdl_shell.h"

#include <fcntl.h>
#include <unistd.h>

#include "platform/sdl/child_process.h"

namespace tonforge {

bool SdlShell::OpenDocument(std::string_view path) { return StartDetached({opener_, std::string(path)}); }

void RingBell() {
  const int tty = open("/dev/tty", O_WRONLY | O_NOCTTY | O_CLOEXEC);
  if (tty < 0) return;
  const char bell = '\a';
  (void)!write(tty, &bell, 1);
  close(tty);
}

}  // namespace tonforge
