// Saves and renders that keep what was there when they cannot finish, and loaders that refuse at once what is
// not a regular file.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <random>

#include "audio/render.h"
#include "audio/wave_playback.h"
#include "programs/program_file.h"
#include "programs/wave_import.h"
#include "sequencer/song.h"
#include "shell/files.h"
#include "support/file_rig.h"

namespace tonforge {
namespace {

namespace fs = std::filesystem;
using testing::FileRig;
using testing::ReadBytes;
using testing::WriteBytes;

const std::vector<uint8_t> kOldBytes{'o', 'l', 'd', ' ', 'f', 'i', 'l', 'e'};

std::vector<std::string> Leftovers(const std::string& folder) {
  std::vector<std::string> found;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(folder, ec))
    if (entry.path().filename().string().starts_with(kTemporaryPrefix)) found.push_back(entry.path().string());
  return found;
}

unsigned ModeOf(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

// Lets writes of the calling process reach only `bytes` into any file, as a nearly full disk would.
class FileSizeLimit {
public:
  explicit FileSizeLimit(rlim_t bytes) {
    signal(SIGXFSZ, SIG_IGN);
    getrlimit(RLIMIT_FSIZE, &old_);
    rlimit limited = old_;
    limited.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limited);
  }
  ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &old_); }

private:
  rlimit old_{};
};

// A song with one program, a track that plays it and an End a few beats on: every writer has something to
// write, and the render more than a few kilobytes.
void MakeSong(FileRig& rig) {
  testing::Put(rig.AddProgram("lead").engines[0], EngineTypeId::SineWaveGenerator);
  Track& t = rig.AddTrack();
  AppendEvent(rig.app, t, {0, testing::Type(EventType::NoteOn), 2450, 0});
  AppendEvent(rig.app, rig.TrackNo(0), {96, testing::Type(EventType::End), 0, 0});
}

enum class Kind { Song, Program, Render };

bool Write(FileRig& rig, Kind kind, const std::string& path) {
  switch (kind) {
    case Kind::Song: return SaveSongFile(rig.app, path) == SongFileResult::Done;
    case Kind::Program: rig.dialogs.paths.push_back(path); return SaveProgram(rig.app);
    case Kind::Render: break;
  }
  return RenderSongToFile(rig.app, path) == RenderResult::Done;
}

TEST(SafeFiles, EveryWriterKeepsTheOldFileAndSaysWhyWhenItCannotReplaceIt) {
  struct Target {
    const char* name;
    bool written;
    const char* reason;                                       // the end of the box's second line when refused
    std::function<std::string(const std::string& folder, const std::string& file)> prepare;  // the path to save to
  };
  const auto plain = [](const std::string& folder, const std::string& file) {
    WriteBytes(folder + "/" + file, kOldBytes);
    return folder + "/" + file;
  };
  const auto withMode = [plain](unsigned mode) {
    return [plain, mode](const std::string& folder, const std::string& file) {
      const std::string path = plain(folder, file);
      chmod(path.c_str(), mode);
      return path;
    };
  };
  const Target targets[] = {
      {"plain", true, "", plain},
      {"symbolic link", true, "",
       [plain](const std::string& folder, const std::string& file) {
         fs::create_directory(folder + "/real");
         plain(folder + "/real", file);
         fs::create_symlink("real/" + file, folder + "/" + file);
         return folder + "/" + file;
       }},
      {"private 0600", true, "", withMode(0600)},
      {"read-only 0444", false, "The file is read-only", withMode(0444)},
      {"read-only folder", false, "Permission denied",
       [plain](const std::string& folder, const std::string& file) {
         const std::string path = plain(folder, file);
         chmod(folder.c_str(), 0555);
         return path;
       }},
      {"full disk", false, "File too large", plain},
      {"251-character name", true, "",
       [plain](const std::string& folder, const std::string& file) {
         return plain(folder, std::string(251 - file.size(), 'n') + file);
       }},
      {"vanished folder", false, "No such file or directory",
       [](const std::string& folder, const std::string& file) { return folder + "/gone/" + file; }},
  };
  const std::pair<Kind, const char*> kinds[] = {{Kind::Song, "x.tes"}, {Kind::Program, "x.tep"}, {Kind::Render, "x.wav"}};
  for (const Target& t : targets) {
    for (const auto& [kind, file] : kinds) {
      const std::string name = std::string(t.name) + " " + file;
      FileRig rig;
      MakeSong(rig);
      const std::string folder = rig.dir.File("target");
      fs::create_directory(folder);
      const std::string path = t.prepare(folder, file);
      const fs::path real = fs::exists(path) ? fs::canonical(path) : fs::path(path);
      const unsigned mode = ModeOf(path);
      bool written;
      {
        std::optional<FileSizeLimit> limit;
        if (std::string_view(t.name) == "full disk") limit.emplace(4096);
        written = Write(rig, kind, path);
      }
      chmod(folder.c_str(), 0755);
      EXPECT_EQ(written, t.written) << name;
      if (t.written) {
        EXPECT_TRUE(rig.Messages().empty()) << name << ": " << ::testing::PrintToString(rig.Messages());
        EXPECT_NE(ReadBytes(real.string()), kOldBytes) << name;
        EXPECT_GT(ReadBytes(real.string()).size(), 4096u) << name;
        EXPECT_EQ(fs::is_symlink(path), std::string_view(t.name) == "symbolic link") << name;
      } else {
        EXPECT_EQ(ReadBytes(real.string()), fs::exists(real) ? kOldBytes : std::vector<uint8_t>{}) << name;
        const std::string box = rig.Messages().empty() ? "" : rig.Messages().back();
        EXPECT_TRUE(box.ends_with("\n" + path + ": " + t.reason)) << name << ": " << box;
      }
      if (mode != 0) {
        EXPECT_EQ(ModeOf(path), mode) << name;
      }
      EXPECT_TRUE(Leftovers(folder).empty() && Leftovers(real.parent_path().string()).empty()) << name;
    }
  }
}

TEST(SafeFiles, AKilledSaveLeavesALoadableSongAndItsLeftoversGoAtTheNextSave) {
  FileRig rig;
  MakeSong(rig);
  const std::string path = rig.dir.File("big.tes");
  ASSERT_EQ(SaveSongFile(rig.app, path), SongFileResult::Done);
  const std::vector<uint8_t> small = ReadBytes(path);
  testing::FillSlot(rig.app.song.programs[0]->engines[0], 0, 8u << 20, 0.25f);  // 32 MB of samples
  const std::vector<uint8_t> big = EncodeSong(rig.app);
  std::mt19937 random(27);
  for (int kill = 0; kill < 6; ++kill) {
    const pid_t child = fork();
    if (child == 0) {
      for (int i = 0;; ++i) ReplaceFile(path, i % 2 == 0 ? big : small);
    }
    usleep(20000 + random() % 200000);
    ::kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    const std::vector<uint8_t> left = ReadBytes(path);
    EXPECT_TRUE(left == small || left == big) << "kill " << kill << " left " << left.size() << " bytes";
  }
  EXPECT_EQ(LoadSongFile(rig.app, path), SongFileResult::Done);
  ASSERT_EQ(SaveSongFile(rig.app, path), SongFileResult::Done);
  EXPECT_TRUE(Leftovers(rig.dir.Root()).empty()) << ::testing::PrintToString(Leftovers(rig.dir.Root()));
}

TEST(SafeFiles, EveryLoaderRefusesWhatIsNotARegularFileAtOnce) {
  FileRig rig;
  const std::string fifo = rig.dir.File("pipe.tes");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
  fs::create_directory(rig.dir.File("folder.tes"));
  struct Special { const char* name; std::string path; const char* reason; };
  const Special specials[] = {
      {"named pipe", fifo, "Not a regular file"},
      {"device", "/dev/null", "Not a regular file"},
      {"folder", rig.dir.File("folder.tes"), "Is a directory"},
  };
  struct Loader { const char* name; std::function<bool(const std::string&)> load; };
  const Loader loaders[] = {
      {"song", [&](const std::string& p) {
         FileFailure failure;
         const bool loaded = LoadSongFileAsNamed(rig.app, p, &failure) == SongFileResult::Done;
         rig.dialogs.shown.push_back({"", FailureText(kInvalidFile, failure), BoxIcon::Error});
         return loaded;
       }},
      {"program", [&](const std::string& p) { return LoadProgramFileNew(rig.app, p); }},
      {"wave", [&](const std::string& p) {
         rig.dialogs.paths.push_back(p);
         return LoadWave(rig.app, 0);
       }},
      {"wave playback", [&](const std::string& p) { return StartWavePlayback(rig.app, p); }},
  };
  NewProgram(rig.app);
  for (const Loader& l : loaders) {
    for (const Special& s : specials) {
      rig.dialogs.shown.clear();
      EXPECT_FALSE(l.load(s.path)) << l.name << " " << s.name;
      const std::string box = rig.dialogs.shown.empty() ? "" : rig.dialogs.shown.back().text;
      EXPECT_EQ(box, std::string(kInvalidFile) + "\n" + s.path + ": " + s.reason) << l.name << " " << s.name;
    }
  }
}

}  // namespace
}  // namespace tonforge
