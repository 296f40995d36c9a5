#pragma once
// The last folder used for each kind of file, remembered for the rest of the run.
#include <cstddef>
#include <string>
#include <string_view>

namespace tonforge {

struct Folders {
  std::string programFolder;  // the program's own folder: skins, captions and help
  std::string workspace;      // the folder holding the user's songs, programs, waves, modulators and renders
  std::string scratch;        // work buffer in which folder paths are built
  std::string songs, waves, modulators, instrumentPrograms, trackPrograms, tracks;
};

// scratch = workspace + name.
void MakeFolderPath(Folders& folders, std::string_view name);
// field = scratch.
void StoreFolder(const Folders& folders, std::string& field);
// scratch = the folder part of path, with its trailing '/'; empty when the path has no '/'.
void RememberFolder(Folders& folders, std::string_view path);
// The file-name rule of every save and load dialog and of the render's file: names shorter than
// kLongNameLimit get the extension (a full stop four characters from the end starts an extension that is
// replaced, otherwise it is appended); longer names, and names that already end in the extension in any case
// ("SONG.TES"), are left as they are.
inline constexpr std::size_t kLongNameLimit = 250;
void ApplyExtensionRule(std::string& path, std::string_view extension);
// Sets the program folder, the workspace (the program folder itself when empty) and the six folders beneath
// the workspace.
void SetUpFolders(Folders& folders, std::string_view programFolder, std::string_view workspace = {});

}  // namespace tonforge
