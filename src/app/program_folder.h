#pragma once
// Where the program's own files are (skins, captions, help and the factory content) and where the user's
// files live, wherever the program is started from.
#include <string>
#include <vector>

namespace tonforge {

// The places a program folder may be, as the start-up knows them.
struct FolderSearch {
  std::string dataOption;        // --data DIR; when given, the only place looked at
  std::string currentFolder;     // where the command was started
  std::string executableFolder;  // the folder of the running executable: a build folder or PREFIX/bin
  std::string installedFolder;   // PREFIX/share/tonforge of the build's install prefix
};

// A folder holding Skins/ and Captions.txt.
bool IsProgramFolder(const std::string& path);

struct FoundFolder {
  std::string path;                   // empty when none of the places holds a program folder
  std::vector<std::string> lookedIn;  // every place looked at, in order
  bool installed = false;             // found as an installed share/tonforge/: never the user's workspace
};
// In order: --data DIR alone when given; else the current folder; the source tree's app/ beside the
// executable's build folder; the installed share/tonforge/ beside the executable's bin/; the build's
// installed folder.
FoundFolder FindProgramFolder(const FolderSearch& search);
// The one line said when none was found.
std::string NoProgramFolderMessage(const FoundFolder& found);

// The folders a user writes into, beneath the workspace.
inline constexpr const char* kUserFolders[] = {"Songs", "Programs/Instruments", "Programs/Tracks", "Waves",
                                               "Modulators", "Tracks"};

// $XDG_DATA_HOME/tonforge, or ~/.local/share/tonforge when XDG_DATA_HOME is unset or not absolute.
std::string UserWorkspaceFolder(const std::string& xdgDataHome, const std::string& home);

struct Workspace {
  std::string path;     // where songs, programs, waves, modulators and renders are read and written
  std::string problem;  // why the workspace could not be made ready; empty when it was
  int copied = 0;       // factory files copied in this time
};
// A writable program folder is its own workspace. Otherwise the user's workspace is created when missing,
// and every factory file of the user folders not offered before is copied in; a file already there is never
// overwritten, and one the user deleted is not brought back. The files offered are listed in the
// workspace's `.factory-files`.
Workspace PrepareWorkspace(const std::string& programFolder, bool programFolderWritable,
                           const std::string& userWorkspace);

// True when files can be created in the folder.
bool IsWritableFolder(const std::string& path);

}  // namespace tonforge
