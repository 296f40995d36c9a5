// Finding the program folder from wherever the program starts, and the user's workspace beside an installed
// copy.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/program_folder.h"
#include "support/file_rig.h"

namespace tonforge {
namespace {

namespace fs = std::filesystem;

void MakeProgramFolder(const std::string& path) {
  fs::create_directories(fs::path(path) / "Skins");
  std::ofstream(fs::path(path) / "Captions.txt") << "caption\n";
}

TEST(ProgramFolder, FoundInOrderAndEveryPlaceNamedWhenNot) {
  testing::TempDir t;
  const std::string root = t.Root();
  // A source tree (app/ beside build/), an installed prefix (bin/ beside share/tonforge/), a bare folder, a
  // folder with captions but no skins, and a program folder started from.
  MakeProgramFolder(root + "/src/app");
  fs::create_directories(root + "/src/build");
  MakeProgramFolder(root + "/prefix/share/tonforge");
  fs::create_directories(root + "/prefix/bin");
  fs::create_directories(root + "/bare");
  fs::create_directories(root + "/half");
  std::ofstream(root + "/half/Captions.txt") << "x\n";
  MakeProgramFolder(root + "/here");
  MakeProgramFolder(root + "/built-for");
  const struct {
    const char* name;
    FolderSearch search;
    std::string found;  // relative to the root; empty: none
    size_t placesLooked;
    bool installed;
  } cases[] = {
      {"--data wins over the current folder", {root + "/src/app", root + "/here", "", ""}, "/src/app", 1, false},
      {"--data is the only place", {root + "/bare", root + "/here", root + "/src/build", ""}, "", 1, false},
      {"the current folder", {"", root + "/here", root + "/src/build", ""}, "/here", 1, false},
      {"a folder without skins is none", {"", root + "/half", root + "/src/build", ""}, "/src/app", 2, false},
      {"the sources' app/ beside the build folder", {"", root + "/bare", root + "/src/build", ""}, "/src/app", 2, false},
      {"the installed share/tonforge/ beside bin/", {"", root + "/bare", root + "/prefix/bin", ""}, "/prefix/share/tonforge", 3, true},
      {"the build's install prefix", {"", root + "/bare", root + "/bare", root + "/built-for"}, "/built-for", 4, true},
      {"nowhere", {"", root + "/bare", root + "/bare/x", root + "/none"}, "", 4, false},
  };
  for (const auto& c : cases) {
    const FoundFolder found = FindProgramFolder(c.search);
    EXPECT_EQ(found.path, c.found.empty() ? "" : fs::weakly_canonical(root + c.found).string()) << c.name;
    EXPECT_EQ(found.lookedIn.size(), c.placesLooked) << c.name;
    EXPECT_EQ(found.installed, c.installed) << c.name;
    if (c.found.empty()) {
      const std::string line = NoProgramFolderMessage(found);
      EXPECT_EQ(line.find('\n'), std::string::npos) << c.name;
      for (const std::string& place : found.lookedIn) EXPECT_NE(line.find(place), std::string::npos) << c.name;
    }
  }
  EXPECT_EQ(UserWorkspaceFolder("/x/data", "/home/u"), "/x/data/tonforge");
  EXPECT_EQ(UserWorkspaceFolder("", "/home/u"), "/home/u/.local/share/tonforge");
  EXPECT_EQ(UserWorkspaceFolder("relative", "/home/u"), "/home/u/.local/share/tonforge");
}

std::string Read(const fs::path& path) {
  std::ifstream in(path);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(Workspace, FirstStartCopiesTheFactoryAndLaterStartsOnlyAddNewFiles) {
  testing::TempDir t;
  const fs::path factory = fs::path(t.Root()) / "share";
  const fs::path user = fs::path(t.Root()) / "home" / "tonforge";
  MakeProgramFolder(factory.string());
  for (const char* folder : kUserFolders) fs::create_directories(factory / folder);
  std::ofstream(factory / "Songs" / "Demo.tes") << "factory demo";
  std::ofstream(factory / "Programs" / "Instruments" / "Pad.tep") << "factory pad";
  std::ofstream(factory / "Songs" / ".gitkeep") << "";

  // A writable program folder is its own workspace: nothing is made elsewhere.
  const Workspace own = PrepareWorkspace(factory.string(), true, user.string());
  EXPECT_EQ(own.path, factory.string());
  EXPECT_FALSE(fs::exists(user));

  const Workspace first = PrepareWorkspace(factory.string(), false, user.string());
  EXPECT_EQ(first.path, user.string());
  EXPECT_EQ(first.problem, "");
  EXPECT_EQ(first.copied, 2);
  for (const char* folder : kUserFolders) EXPECT_TRUE(fs::is_directory(user / folder)) << folder;
  EXPECT_EQ(Read(user / "Songs" / "Demo.tes"), "factory demo");
  EXPECT_FALSE(fs::exists(user / "Songs" / ".gitkeep"));

  // The user changes the demo and deletes the pad; a new version brings a new factory song.
  std::ofstream(user / "Songs" / "Demo.tes") << "my demo";
  fs::remove(user / "Programs" / "Instruments" / "Pad.tep");
  std::ofstream(factory / "Songs" / "Demo.tes") << "factory demo 2";
  std::ofstream(factory / "Songs" / "New.tes") << "factory new";
  const Workspace second = PrepareWorkspace(factory.string(), false, user.string());
  EXPECT_EQ(second.problem, "");
  EXPECT_EQ(second.copied, 1);
  EXPECT_EQ(Read(user / "Songs" / "Demo.tes"), "my demo");
  EXPECT_EQ(Read(user / "Songs" / "New.tes"), "factory new");
  EXPECT_FALSE(fs::exists(user / "Programs" / "Instruments" / "Pad.tep"));

  // A workspace that cannot be made says where and why, and is never reported as ready.
  std::ofstream(fs::path(t.Root()) / "file") << "in the way";
  const Workspace blocked = PrepareWorkspace(factory.string(), false, t.File("file/tonforge"));
  EXPECT_NE(blocked.problem.find(t.File("file/tonforge")), std::string::npos) << blocked.problem;
}

}  // namespace
}  // namespace tonforge
