#include "shell/folders.h"

#include <algorithm>
#include <cctype>

namespace tonforge {

void MakeFolderPath(Folders& folders, std::string_view name) {
  folders.scratch = folders.workspace;
  folders.scratch += name;
}

void StoreFolder(const Folders& folders, std::string& field) { field = folders.scratch; }

void RememberFolder(Folders& folders, std::string_view path) {
  const auto slash = path.rfind('/');
  folders.scratch = slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash + 1));
}

void SetUpFolders(Folders& folders, std::string_view programFolder, std::string_view workspace) {
  folders.programFolder = programFolder;
  folders.workspace = workspace.empty() ? programFolder : workspace;
  const struct {
    std::string_view name;
    std::string Folders::*field;
  } kFolders[] = {
      {"/Songs/", &Folders::songs},
      {"/Waves/", &Folders::waves},
      {"/Modulators/", &Folders::modulators},
      {"/Programs/Instruments/", &Folders::instrumentPrograms},
      {"/Programs/Tracks/", &Folders::trackPrograms},
      {"/Tracks/", &Folders::tracks},
  };
  for (const auto& f : kFolders) {
    MakeFolderPath(folders, f.name);
    StoreFolder(folders, folders.*f.field);
  }
}

void ApplyExtensionRule(std::string& path, std::string_view extension) {
  const std::size_t n = path.size();
  const auto sameLetter = [](char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
  };
  const auto tail = path.end() - static_cast<std::ptrdiff_t>(std::min(n, extension.size()));
  if (n >= extension.size() && std::equal(extension.begin(), extension.end(), tail, sameLetter)) return;
  if (n >= kLongNameLimit) return;
  if (n >= 4 && path[n - 4] == '.') path.resize(n - 4);
  path += extension;
}

}  // namespace tonforge
