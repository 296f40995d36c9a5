// File choosers run as child processes, the document opener through SDL_OpenURL from argument vectors: the vectors each
// chooser gets, and odd paths making the whole trip through a real child and back.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "platform/sdl/sdl_dialogs.h"
#include "platform/sdl/sdl_shell.h"
#include "support/fake_dialogs.h"
#include "support/file_rig.h"

namespace tonforge {
namespace {

using Argv = std::vector<std::string>;

TEST(SdlDialogs, EachChooserGetsTitleStartPathAndFilters) {
  const std::vector<FileFilter> songFilters = {{"Song Files (*.tes)", "*.tes"}, {"All Files (*.*)", "*.*"}};
  const FileDialogRequest load{"Load Song", "/home/u/Songs/", "", songFilters};
  const FileDialogRequest save{"Save Song", "/home/u/Songs", "tune.tes", songFilters};
  const FileDialogRequest bare{"Select Wave", "", "", {}};
  const std::string kdialogFilter = "*.tes|Song Files (*.tes)\n*|All Files (*.*)";
  struct Case { bool zenity; const FileDialogRequest& request; FileDialogKind kind; Argv expected; } cases[] = {
      {true, load, FileDialogKind::Open,
       {"zenity", "--file-selection", "--title=Load Song", "--filename=/home/u/Songs/",
        "--file-filter=Song Files (*.tes) | *.tes", "--file-filter=All Files (*.*) | *"}},
      {true, save, FileDialogKind::Save,
       {"zenity", "--file-selection", "--title=Save Song", "--filename=/home/u/Songs/tune.tes",
        "--file-filter=Song Files (*.tes) | *.tes", "--file-filter=All Files (*.*) | *", "--save",
        "--confirm-overwrite"}},
      {true, bare, FileDialogKind::Open, {"zenity", "--file-selection", "--title=Select Wave"}},
      {false, load, FileDialogKind::Open,
       {"kdialog", "--title", "Load Song", "--getopenfilename", "/home/u/Songs/", kdialogFilter}},
      {false, save, FileDialogKind::Save,
       {"kdialog", "--title", "Save Song", "--getsavefilename", "/home/u/Songs/tune.tes", kdialogFilter}},
      {false, bare, FileDialogKind::Open, {"kdialog", "--title", "Select Wave", "--getopenfilename", "."}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.request.title + (c.zenity ? " zenity" : " kdialog"));
    const Argv argv = c.zenity ? ZenityArguments("zenity", c.request, c.kind)
                               : KdialogArguments("kdialog", c.request, c.kind);
    EXPECT_EQ(argv, c.expected);
  }
}

std::string Script(const testing::TempDir& dir, const std::string& name, const std::string& body) {
  const std::string path = dir.File(name);
  std::ofstream(path) << "#!/bin/sh\n" << body << "\n";
  std::filesystem::permissions(path, std::filesystem::perms::owner_all);
  return path;
}

std::string WaitForFile(const std::string& path) {
  const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!std::filesystem::exists(path) && std::chrono::steady_clock::now() < giveUp)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  const std::vector<uint8_t> bytes = testing::ReadBytes(path);
  std::filesystem::remove(path);
  return {bytes.begin(), bytes.end()};
}

// The fake choosers answer with the start path they were given, as a user would who just presses OK, so the
// answer must come back exactly as it went out; a non-zero exit is a cancel whatever was printed.
TEST(SdlDialogs, OddPathsRoundTripThroughChildProcesses) {
  testing::TempDir dir;
  const std::string zenity = Script(dir, "fake-zenity",
      "for a in \"$@\"; do case \"$a\" in --filename=*) printf '%s\\n' \"${a#--filename=}\";; esac; done");
  const std::string kdialog = Script(dir, "fake-kdialog", "printf '%s\\n' \"$4\"");
  const std::string cancel = Script(dir, "fake-cancel", "echo /chosen/anyway.tes; exit 1");
  const std::string missing = dir.File("not-installed");

  struct Case { std::string folder, name; } cases[] = {
      {"/home/u/My Songs/", "tune one.tes"},
      {"/home/u/it's \"quoted\"/", "a$b`c` \\n.tes"},
      {"/home/u/Müller/", "Ärger ß 日本.tes"},
      {"/home/u/-dash/", " semi;colon|pipe& *.tes"},
  };
  for (const Case& c : cases) {
    const std::string path = c.folder + c.name;
    SCOPED_TRACE(path);
    const FileDialogRequest request{"Save Song", c.folder, c.name, {{"Song Files (*.tes)", "*.tes"}}};
    EXPECT_EQ(SdlDialogs(FileChoosers{zenity, kdialog}).SaveFile(request), path);
    EXPECT_EQ(SdlDialogs(FileChoosers{missing, kdialog}).SaveFile(request), path);
    EXPECT_EQ(SdlDialogs(FileChoosers{cancel, kdialog}).SaveFile(request), std::nullopt);
    EXPECT_EQ(SdlDialogs(FileChoosers{missing, cancel}).OpenFile(request), std::nullopt);
  }
}

// Help opens through SDL_OpenURL, which runs the xdg-open found along PATH: a stand-in one receives the
// file's URL, which must decode to the path, odd letters and all. Without an opener, or without the file, a
// box says so and names the file.
TEST(SdlShell, OpensDocumentsByUrlAndSaysWhenItCannot) {
  testing::TempDir dir, bin;
  const std::string opened = dir.File("opened");
  Script(bin, "xdg-open", "printf '%s' \"$1\" > '" + opened + ".part' && /bin/mv '" + opened + ".part' '" + opened + "'");
  const std::string oldPath = getenv("PATH") != nullptr ? getenv("PATH") : "";
  setenv("PATH", (bin.Root() + ":" + oldPath).c_str(), 1);
  auto decode = [](const std::string& url) {
    std::string path;
    for (size_t i = 0; i < url.size(); ++i) {
      if (url[i] != '%' || i + 2 >= url.size()) {
        path += url[i];
        continue;
      }
      path += static_cast<char>(std::stoi(url.substr(i + 1, 2), nullptr, 16));
      i += 2;
    }
    return path;
  };
  const struct { const char* name; bool exists, opener; bool opens; } cases[] = {
      {"Help.html", true, true, true},
      {"My Help/it's \"quoted\" #1?.html", true, true, true},
      {"Müller/Ärger ß 日本 100%.html", true, true, true},
      {"missing.html", false, true, false},
      {"Help.html", true, false, false},
  };
  for (const auto& c : cases) {
    const std::string path = dir.File(c.name);
    if (c.exists) {
      std::filesystem::create_directories(std::filesystem::path(path).parent_path());
      std::ofstream(path) << "<html></html>";
    }
    setenv("PATH", ((c.opener ? bin.Root() + ":" : std::string()) + "/nowhere").c_str(), 1);
    testing::FakeDialogs dialogs;
    EXPECT_EQ(SdlShell(dialogs).OpenDocument(path), c.opens) << c.name;
    if (c.opens) {
      EXPECT_EQ(decode(WaitForFile(opened)), "file://" + path) << c.name;
      EXPECT_TRUE(dialogs.shown.empty()) << c.name;
    } else {
      EXPECT_EQ(dialogs.shown.size(), 1u) << c.name;
      EXPECT_NE(dialogs.shown.empty() ? std::string::npos : dialogs.shown[0].text.find(path), std::string::npos) << c.name;
    }
  }
  setenv("PATH", oldPath.c_str(), 1);
}

}  // namespace
}  // namespace tonforge
