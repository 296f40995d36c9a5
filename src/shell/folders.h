#pragma once
// The last folder used for each kind of file, remembered for the rest of the run.
#include <string>
#include <string_view>

namespace tonforge {

struct Folders {
  std::string programFolder;  // the current directory at start-up
  std::string scratch;        // work buffer in which folder paths are built
  std::string songs, waves, modulators, instrumentPrograms, trackPrograms, tracks;
};

// scratch = program folder + name.
void MakeFolderPath(Folders& folders, std::string_view name);
// field = scratch.
void StoreFolder(const Folders& folders, std::string& field);
// scratch = the folder part of path, with its trailing '/'; empty when the path has no '/'.
void RememberFolder(Folders& folders, std::string_view path);
// Sets the program folder and the six folders beneath it.
void SetUpFolders(Folders& folders, std::string_view programFolder);

}  // namespace tonforge
