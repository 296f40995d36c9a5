#include "app/program_folder.h"

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>

namespace tonforge {

namespace fs = std::filesystem;

namespace {

constexpr const char* kFactoryList = ".factory-files";

std::string Tidy(const fs::path& path) {
  std::error_code ec;
  const fs::path tidy = fs::weakly_canonical(path, ec);
  return (ec ? path.lexically_normal() : tidy).string();
}

std::set<std::string> ReadLines(const fs::path& path) {
  std::set<std::string> lines;
  std::ifstream in(path);
  for (std::string line; std::getline(in, line);)
    if (!line.empty()) lines.insert(line);
  return lines;
}

}  // namespace

bool IsProgramFolder(const std::string& path) {
  std::error_code ec;
  return !path.empty() && fs::is_directory(fs::path(path) / "Skins", ec) &&
         fs::is_regular_file(fs::path(path) / "Captions.txt", ec);
}

FoundFolder FindProgramFolder(const FolderSearch& search) {
  struct Place {
    std::string path;
    bool installed;
  };
  std::vector<Place> places;
  if (!search.dataOption.empty()) {
    places.push_back({search.dataOption, false});
  } else {
    places.push_back({search.currentFolder, false});
    if (!search.executableFolder.empty()) {
      places.push_back({(fs::path(search.executableFolder) / ".." / "app").string(), false});
      places.push_back({(fs::path(search.executableFolder) / ".." / "share" / "tonforge").string(), true});
    }
    places.push_back({search.installedFolder, true});
  }
  FoundFolder found;
  for (const auto& [place, installed] : places) {
    if (place.empty()) continue;
    const std::string tidy = Tidy(place);
    if (std::find(found.lookedIn.begin(), found.lookedIn.end(), tidy) != found.lookedIn.end()) continue;
    found.lookedIn.push_back(tidy);
    if (IsProgramFolder(tidy)) {
      found.path = tidy;
      found.installed = installed;
      break;
    }
  }
  return found;
}

std::string NoProgramFolderMessage(const FoundFolder& found) {
  std::string line = "tonforge: no program folder (one holding Skins/ and Captions.txt) in ";
  for (size_t i = 0; i < found.lookedIn.size(); ++i) line += (i > 0 ? ", " : "") + found.lookedIn[i];
  return line + "; name one with --data DIR";
}

std::string UserWorkspaceFolder(const std::string& xdgDataHome, const std::string& home) {
  const fs::path base = xdgDataHome.starts_with('/') ? fs::path(xdgDataHome) : fs::path(home) / ".local" / "share";
  return (base / "tonforge").string();
}

Workspace PrepareWorkspace(const std::string& programFolder, bool programFolderWritable,
                           const std::string& userWorkspace) {
  Workspace w;
  w.path = programFolderWritable ? programFolder : userWorkspace;
  if (programFolderWritable) return w;
  std::error_code ec;
  const fs::path root(userWorkspace);
  for (const char* folder : kUserFolders) {
    fs::create_directories(root / folder, ec);
    if (ec) {
      w.problem = "Could not create " + (root / folder).string() + ": " + ec.message();
      return w;
    }
  }
  std::set<std::string> offered = ReadLines(root / kFactoryList);
  std::vector<std::string> newlyOffered;
  for (const char* folder : kUserFolders) {
    const fs::path factory = fs::path(programFolder) / folder;
    if (!fs::is_directory(factory, ec)) continue;
    for (const fs::directory_entry& entry : fs::directory_iterator(factory, ec)) {
      if (!entry.is_regular_file(ec) || entry.path().filename().string().starts_with('.')) continue;
      const std::string name = (fs::path(folder) / entry.path().filename()).string();
      if (offered.contains(name)) continue;
      const fs::path target = root / name;
      if (!fs::exists(target, ec)) {
        if (!fs::copy_file(entry.path(), target, fs::copy_options::skip_existing, ec) || ec) {
          w.problem = "Could not copy " + entry.path().string() + " to " + target.string() + ": " + ec.message();
          break;
        }
        ++w.copied;
      }
      newlyOffered.push_back(name);
    }
  }
  if (!newlyOffered.empty()) {
    std::ofstream list(root / kFactoryList, std::ios::app);
    for (const std::string& name : newlyOffered) list << name << "\n";
    if (!list.flush() && w.problem.empty()) w.problem = "Could not write " + (root / kFactoryList).string();
  }
  return w;
}

bool IsWritableFolder(const std::string& path) { return access(path.c_str(), W_OK) == 0; }

}  // namespace tonforge
