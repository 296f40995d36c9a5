#include "platform/sdl/sdl_shell.h"

#include <SDL.h>
#include <fcntl.h>
#include <unistd.h>

#include <filesystem>

#include "platform/sdl/child_process.h"

namespace tonforge {

std::string FileUrl(std::string_view path) {
  std::error_code ec;
  const std::string absolute = std::filesystem::absolute(std::filesystem::path(path), ec).string();
  constexpr char kHex[] = "0123456789ABCDEF";
  std::string url = "file://";
  for (const char c : ec ? std::string(path) : absolute) {
    const auto b = static_cast<unsigned char>(c);
    if (std::isalnum(b) != 0 && b < 0x80) url += c;
    else if (c == '/' || c == '-' || c == '_' || c == '.' || c == '~') url += c;
    else url += {'%', kHex[b >> 4], kHex[b & 15]};
  }
  return url;
}

bool SdlShell::OpenDocument(std::string_view path) {
  const std::string file(path);
  std::error_code ec;
  std::string problem;
  if (!std::filesystem::exists(file, ec)) problem = "the file is missing";
  // SDL hands the URL to xdg-open from a grandchild it does not wait for, so a missing opener would pass
  // unnoticed: look for it first.
  else if (!ProgramExists("xdg-open")) problem = "xdg-open, the desktop's document opener, is not installed";
  else if (SDL_OpenURL(FileUrl(file).c_str()) != 0) problem = SDL_GetError();
  if (problem.empty()) return true;
  dialogs_.ShowMessage("Error", "Could Not Open " + file + " (" + problem + ")", BoxIcon::Error);
  return false;
}

void RingBell() {
  const int tty = open("/dev/tty", O_WRONLY | O_NOCTTY | O_CLOEXEC);
  if (tty < 0) return;
  const char bell = '\a';
  (void)!write(tty, &bell, 1);
  close(tty);
}

}  // namespace tonforge
