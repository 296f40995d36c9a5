// Files written and read back: the offline render's WAV file, its refusals and the render panel's lines;
// saves and renders that keep what was there when they cannot finish, and loaders that refuse at once what is
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

#include "audio/live_output.h"
#include "audio/playback.h"
#include "audio/render.h"
#include "audio/wave_playback.h"
#include "programs/program_file.h"
#include "programs/wave_import.h"
#include "sequencer/song.h"
#include "shell/files.h"
#include "support/file_rig.h"
#include "support/play_rig.h"

namespace tonforge::testing {
namespace {

// Lets writes of the calling process reach only `bytes` into any file, as a nearly full disk would.
struct FileSizeLimit {
  explicit FileSizeLimit(rlim_t bytes) {
    signal(SIGXFSZ, SIG_IGN);
    getrlimit(RLIMIT_FSIZE, &old);
    const rlimit limited{bytes, old.rlim_max};
    setrlimit(RLIMIT_FSIZE, &limited);
  }
  ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &old); }
  rlimit old{};
};

namespace fs = std::filesystem;

// Starts a render into `path` (if given) and finishes it as the idle step does once the End has been reached.
void RenderTo(PlayRig& rig, const std::string& path) {
  rig.dialogs.paths.push_back(path);
  StartRender(*rig.app);
  ASSERT_TRUE(testing::WaitFor([&] { return rig.app->playback.songEndReached.load() == 1; }));
  StopPlayback(*rig.app);
  rig.app->playback.songEndReached.store(0);
}
std::string Box(PlayRig& rig) { return rig.dialogs.shown.at(0).caption + ": " + rig.dialogs.shown[0].text; }

// A note of noise on every render: the data chunk holds sound. The latency option is the live ring's alone: a
// render is the same file at every block size.
TEST(Render, WaveFileLayoutTheSaveDialogAndTheSameBytesAtEveryLatency) {
  struct Case { int32_t rate, tempo, ticksPerBeat, endTick; uint32_t quality, frames, blockFrames = 4096; };
  const Case cases[] = {
      {44100, 875, 189, 1024, 0, 16384},  // exactly 16 samples per tick: the End tick falls on frame 16384
      {44100, 875, 189, 1024, 1, 16384},  {44100, 441, 60, 1, 0, 100},  // 100 samples per tick
      {22050, 120, 48, 1, 0, 230},        {11025, 120, 48, 1, 0, 115},  // 229.6875 and 114.84375 per tick
      {44100, 875, 189, 1024, 0, 16384, 256},                          // the first at the smallest block size
  };
  std::vector<std::vector<uint8_t>> files;
  for (const Case& c : cases) {
    PlayRig rig(c.rate);
    TempDir folder;
    rig.SetTempo(c.tempo);
    rig.app->song.ticksPerBeat = c.ticksPerBeat;
    rig.End(c.endTick);
    rig.NoteTrack(0.5f);
    rig.app->ring.blockFrames = c.blockFrames;
    rig.app->render.quality = c.quality;
    rig.app->folders.tracks = "/start/here/";
    RenderTo(rig, folder.File("take.mp3"));
    ASSERT_EQ(rig.dialogs.requests.size(), 1u);
    EXPECT_EQ(Describe(rig.dialogs.requests[0]),
              std::to_string(c.rate) + "hz Render|Song.wav|/start/here/|Wave Files (*.wav)|*.wav");
    EXPECT_EQ(rig.app->folders.tracks, folder.Root() + "/") << "the next render opens where this one saved";
    const auto& b = files.emplace_back(ReadBytes(folder.File("take.wav")));
    const uint32_t data = c.frames * 4;
    ASSERT_EQ(b.size(), 44 + data + 1) << c.frames;
    EXPECT_GT(LoudSamples(b), c.frames) << c.frames;
    auto text = [&](size_t at, size_t n) { return std::string(b.begin() + at, b.begin() + at + n); };
    EXPECT_EQ(text(0, 4) + text(8, 8) + text(36, 4), "RIFFWAVEfmt data");
    EXPECT_EQ((std::vector<uint32_t>{GetU32(&b[4]), GetU32(&b[16]), GetU16(&b[20]), GetU16(&b[22]), GetU32(&b[24]),
                                     GetU32(&b[28]), GetU16(&b[32]), GetU16(&b[34]), GetU32(&b[40]), b.back()}),
              (std::vector<uint32_t>{data + 37, 16, 1, 2, uint32_t(c.rate), uint32_t(c.rate) * 4, 4, 16, data, 0}));
    EXPECT_EQ(rig.app->render.samplesRendered.load(), 2 * c.frames);
    ASSERT_EQ(rig.dialogs.shown.size(), 1u);
    EXPECT_EQ(Box(rig).substr(0, 43), "Rendering Complete: Time 0 Hours 0 Minutes ");
    EXPECT_EQ(rig.dialogs.shown[0].icon, BoxIcon::Information);
  }
  EXPECT_EQ(files[0], files.back());
}

// The render's and the playback's refusals, and the renders that end at once. After each the live output owns
// the sound again and a later start works.
TEST(Render, RefusalsAndEmptyRendersAndRefusedPlayback) {
  // `file`: where the dialog points, relative to the scratch folder (null: cancelled or none); `fileSize` -1: no
  // file.
  struct Case { void (*start)(Studio&); std::vector<int32_t> endTicks; int32_t editCursor; const char* file;
                std::string box; int64_t fileSize; int failingStarts = 0; };
  const std::string noEnd = "Error: You Must Insert An End Event At The End Of The Song";
  const std::string stopped = "Error: Song Stopped Before Cursor Position", noStart = "Error: Could Not Start Playback";
  const Case cases[] = {
      {StartRender, {5}, 10, "a", noEnd, -1},  // only an End before the cursor
      {StartRender, {5}, 0, nullptr, "", -1},
      {StartRender, {5, 20}, 10, "a", stopped, 45},  // an End before the cursor stops it
      {StartRender, {10}, 10, "a", "Rendering Complete: Time 0 Hours 0 Minutes 0 Seconds", 45},  // nothing to render
      {StartRender, {5}, 0, "a", noStart, 45, 1},
      {StartSongPlayback, {5}, 10, nullptr, stopped, -1},
      {StartSongPlayback, {}, 0, nullptr, noStart, -1, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.box);
    PlayRig rig;
    TempDir folder;
    for (int32_t t : c.endTicks) rig.End(t);
    rig.app->editCursor = c.editCursor;
    if (c.file) rig.dialogs.paths.push_back(folder.File(c.file));
    FailWorkerStartsForTesting(c.failingStarts);
    c.start(*rig.app);
    EXPECT_TRUE(IsPlaybackIdle(*rig.app));
    EXPECT_EQ(rig.app->playback.playButtonPressed, 0u);
    EXPECT_EQ(rig.app->render.samplesRendered.load(), 0u);
    EXPECT_EQ(rig.dialogs.shown.size(), c.box.empty() ? 0u : 1u);
    if (!rig.dialogs.shown.empty()) {
      EXPECT_EQ(Box(rig), c.box);
    }
    const std::string file = folder.File(std::string(c.file ? c.file : "a") + ".wav");
    if (c.fileSize < 0) {
      EXPECT_FALSE(fs::exists(file));
    } else {
      const auto b = ReadBytes(file);
      EXPECT_EQ(static_cast<int64_t>(b.size()), c.fileSize);
      EXPECT_TRUE(b.size() >= 44 && GetU32(&b[4]) == 37u && GetU32(&b[40]) == 0u);
    }
    EXPECT_EQ(rig.device.WriteCount(), 0u);
    EXPECT_EQ(ServeLiveOutput(*rig.app), LiveOutputStep::Rendered);
    rig.app->editCursor = 0;
    StartSongPlayback(*rig.app);
    EXPECT_EQ(rig.app->playback.mode.load(), PlaybackMode::Song);
  }
}

// How the clipped samples are counted is the mix test's; here the lines that show them.
TEST(Render, PanelLines) {
  PlayRig rig;
  const RenderPanelText& text = rig.app->render.text;
  for (const auto& [rendered, clips, percent] : {std::tuple{200u, 100u, "50.00"}, {0u, 0u, "0.00"},
                                                 {968788u, 6394u, "0.66"}, {3u, 1u, "33.33"}, {3u, 2u, "66.67"}}) {
    rig.app->render.samplesRendered = rendered;
    rig.app->render.samplesClipped = clips;
    ShowRenderStatistics(*rig.app);
    EXPECT_EQ(text.LineText(0) + ", " + text.LineText(1) + ", " + text.LineText(2),
              "Samples Rendered " + std::to_string(rendered) + ", Samples Clipped " + std::to_string(clips) +
                  ", Percent Clipped " + percent) << rendered;
  }
  struct Progress { int32_t tick, cursor, end, beatsPerBar; const char *beat, *percent; };
  for (const Progress& p : {Progress{480, 0, 960, 4, "Last Beat Rendered 2:2", "Percent Complete 50"},
                            {47, 0, 96, 8, "Last Beat Rendered 0:0", "Percent Complete 48"},
                            {300, 200, 600, 8, "Last Beat Rendered 0:6", "Percent Complete 25"}}) {
    rig.app->currentTick = p.tick;
    rig.app->editCursor = p.cursor;
    rig.app->render.endTick = p.end;
    rig.app->song.beatsPerBar = p.beatsPerBar;
    ShowRenderProgress(*rig.app);
    EXPECT_EQ(text.LineText(0) + ", " + text.LineText(2), std::string(p.beat) + ", " + p.percent);
  }
  for (const auto& [ms, elapsed] : {std::pair<int64_t, const char*>{59999, "Time 0 Hours 0 Minutes 59 Seconds"},
                                    {7261500, "Time 2 Hours 1 Minutes 1 Seconds"}})
    EXPECT_EQ(ElapsedTimeText(ms), elapsed);
}

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
  // reason: the end of the box's second line when refused; prepare: returns the path to save to.
  struct Target { const char* name; bool written; const char* reason;
                  std::function<std::string(const std::string& folder, const std::string& file)> prepare; };
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
        EXPECT_GT(ReadBytes(real.string()).size(), 4096u) << name << ": the old file's 8 bytes replaced";
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
}  // namespace tonforge::testing
