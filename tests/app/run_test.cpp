// The running program without a display: finding its program folder and filling the user's workspace,
// start-up, the main loop's idle step while a song plays, files dropped on the window, quitting and shutdown,
// on fake devices.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "app/dropped_file.h"
#include "app/program_folder.h"
#include "app/quit.h"
#include "app/run.h"
#include "audio/playback.h"
#include "programs/program_file.h"
#include "sequencer/track_commands.h"
#include "shell/command_line.h"
#include "support/fake_dialogs.h"
#include "support/fake_host.h"
#include "support/file_rig.h"
#include "support/song_rig.h"
#include "support/sound_files.h"

namespace tonforge {
namespace {

using namespace testing;

namespace fs = std::filesystem;

void MakeProgramFolder(const std::string& path) {
  fs::create_directories(fs::path(path) / "Skins");
  std::ofstream(fs::path(path) / "Captions.txt") << "caption\n";
}

TEST(ProgramFolder, FoundInOrderAndEveryPlaceNamedWhenNot) {
  TempDir t;
  const std::string root = t.Root();
  // A source tree (app/ beside build/), an installed prefix (bin/ beside share/tonforge/), a bare folder, a
  // folder with captions but no skins, and a program folder started from.
  for (const char* folder : {"/src/app", "/prefix/share/tonforge", "/here", "/built-for"})
    MakeProgramFolder(root + folder);
  for (const char* folder : {"/src/build", "/prefix/bin", "/bare", "/half"}) fs::create_directories(root + folder);
  std::ofstream(root + "/half/Captions.txt") << "x\n";
  // found: relative to the root, empty for none.
  const struct { const char* name; FolderSearch search; std::string found; size_t looked; bool installed; } cases[] = {
      {"--data wins over the current folder", {root + "/src/app", root + "/here", "", ""}, "/src/app", 1, false},
      {"--data is the only place", {root + "/bare", root + "/here", root + "/src/build", ""}, "", 1, false},
      {"the current folder", {"", root + "/here", root + "/src/build", ""}, "/here", 1, false},
      {"a folder without skins is none", {"", root + "/half", root + "/src/build", ""}, "/src/app", 2, false},
      {"the sources' app/ beside build/", {"", root + "/bare", root + "/src/build", ""}, "/src/app", 2, false},
      {"share/ beside bin/", {"", root + "/bare", root + "/prefix/bin", ""}, "/prefix/share/tonforge", 3, true},
      {"the build's install prefix", {"", root + "/bare", root + "/bare", root + "/built-for"}, "/built-for", 4, true},
      {"nowhere", {"", root + "/bare", root + "/bare/x", root + "/none"}, "", 4, false},
  };
  for (const auto& c : cases) {
    const FoundFolder found = FindProgramFolder(c.search);
    const std::string path = c.found.empty() ? "" : fs::weakly_canonical(root + c.found).string();
    EXPECT_EQ(std::tuple(found.path, found.lookedIn.size(), found.installed), std::tuple(path, c.looked, c.installed))
        << c.name;
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
  TempDir t;
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
  EXPECT_EQ(std::tuple(first.path, first.problem, first.copied), std::tuple(user.string(), "", 2));
  for (const char* folder : kUserFolders) EXPECT_TRUE(fs::is_directory(user / folder)) << folder;
  EXPECT_EQ(Read(user / "Songs" / "Demo.tes"), "factory demo");
  EXPECT_FALSE(fs::exists(user / "Songs" / ".gitkeep"));

  // The user changes the demo and deletes the pad; a new version brings a new factory song.
  std::ofstream(user / "Songs" / "Demo.tes") << "my demo";
  fs::remove(user / "Programs" / "Instruments" / "Pad.tep");
  std::ofstream(factory / "Songs" / "Demo.tes") << "factory demo 2";
  std::ofstream(factory / "Songs" / "New.tes") << "factory new";
  const Workspace second = PrepareWorkspace(factory.string(), false, user.string());
  EXPECT_EQ(std::pair(second.problem, second.copied), std::pair(std::string(), 1));
  EXPECT_EQ(Read(user / "Songs" / "Demo.tes"), "my demo");
  EXPECT_EQ(Read(user / "Songs" / "New.tes"), "factory new");
  EXPECT_FALSE(fs::exists(user / "Programs" / "Instruments" / "Pad.tep"));

  // A workspace that cannot be made says where and why, and is never reported as ready.
  std::ofstream(fs::path(t.Root()) / "file") << "in the way";
  const Workspace blocked = PrepareWorkspace(factory.string(), false, t.File("file/tonforge"));
  EXPECT_NE(blocked.problem.find(t.File("file/tonforge")), std::string::npos) << blocked.problem;
}

// A song with a sine program on track 1, on fake devices, its keyboard read as the program reads it.
struct AppRig : SongRigOf<AppState> {
  AppRig() : SongRigOf(1, 2) {
    SetProgramType(0, Id(EngineTypeId::SineWaveGenerator));
    app.song.currentTrack = 1;
    app.sound = &device;
  }
  // Presses the keys and lets them go, an idle step each.
  void Tap(std::initializer_list<uint8_t> held) {
    keyboard.Hold(held);
    RunIdleStep(app, keys);
    keyboard.Hold({});
    RunIdleStep(app, keys);
  }
  FakeHost host;
  FakeSoundDevice device;
  FakeKeyboard keyboard;
  FakeShell shell;
  KeyboardHandler keys{keyboard, shell, ProgramKeyboardHooks(app)};
};

bool AnyLoudBlock(FakeSoundDevice& device) {
  for (size_t i = 0; i < device.WriteCount(); ++i)
    for (int16_t s : device.Write(i).samples)
      if (s != 0) return true;
  return false;
}

// Without sound or MIDI the program starts all the same; only the sound device's absence is reported in a box.
// The latency option sets the ring's block, and the device is asked for a ring of that block.
TEST(Run, StartUpOrderAndShutdownWithOrWithoutDevices) {
  for (const auto& [soundFails, midiFails, blockFrames] :
       {std::tuple{false, false, 4096u}, {true, false, 4096u}, {false, true, 256u}}) {
    FakeDialogs dialogs;
    auto app = std::make_unique<AppState>(dialogs);
    FakeHost host;
    host.soundFails = soundFails;
    host.midiFails = midiFails;
    host.sound.blockBytes = blockFrames * kFrameBytes;
    const uint32_t frames = blockFrames;  // clang before 16 cannot capture a structured binding
    host.onIdle = [&, frames](int pass) {
      EXPECT_EQ(app->ring.blockFrames, frames);
      if (pass == 3) RequestQuit(*app);
    };
    StartOptions options;
    options.blockFrames = blockFrames;
    EXPECT_EQ(RunTonforge(*app, host, options, "/nonexistent"), 0);
    EXPECT_EQ(host.steps, (std::vector<std::string>{"skins", "keyboard", "midi", "sound", "captions", "panels",
                                                     "free panels", "close devices"}));
    EXPECT_EQ(std::pair(host.blockFrames, app->rate.sampleRate), std::pair(blockFrames, 44100));
    EXPECT_EQ(dialogs.shown.size(), soundFails ? 1u : 0u);
    EXPECT_EQ(dialogs.shown.empty() ? "" : dialogs.shown[0].text, soundFails ? "Could Not Open Sound Device" : "");
    EXPECT_EQ(app->song.tracks.Count(), 0) << "shutdown freed the song";
    EXPECT_EQ(host.sound.WriteCount() > 0, !soundFails) << "the idle step served the live output";
    EXPECT_TRUE(soundFails || host.sound.Write(0).samples.size() == 2 * blockFrames) << "a block of the ring";
  }
}

// Escape asks first; No plays on, Yes ends the loop. A note key and a MIDI note reach the device in between.
TEST(Run, EscapeAnsweredNoKeepsRunningYesQuits) {
  AppRig rig;
  rig.dialogs.answers = {false, true};
  int questions = 0;
  rig.host.onIdle = [&](int pass) {
    rig.host.sound.PlayInBlock(static_cast<uint32_t>(pass / 4) % kRingBlocks);
    if (pass % 20 == 0) {
      rig.host.keyboard.Hold({});
    } else if (pass % 20 == 10) {
      rig.host.keyboard.Hold({key::Escape});
      ++questions;
    } else if (pass == 5) {
      rig.host.keyboard.Hold({key::I});  // middle C
    } else if (pass == 7) {
      rig.host.midi.Send({0x90, 72, 127});  // the C above
    }
    if (pass >= 200) {
      ADD_FAILURE() << "the loop never ended";
      rig.app.quitRequested.store(1);  // ended here, so that the failure shows rather than a hang
    }
  };
  // The rig's song is the one StartUp replaces with a new one: give the new one the rig's program again.
  StartOptions oneVoice;
  oneVoice.voices = 1;  // the second note takes the first one's voice
  StartUp(rig.app, rig.host, oneVoice, "/nonexistent");
  NewProgram(rig.app);
  SelectProgram(rig.app, 0);
  rig.SetProgramType(0, Id(EngineTypeId::SineWaveGenerator));
  rig.app.changes.MarkSongSaved();  // the plain question: a modified song asks to be saved instead
  KeyboardHandler hostKeys(rig.host.keyboard, rig.host.shell, ProgramKeyboardHooks(rig.app));
  MidiHandler midi(rig.host.midi);
  RunMainLoop(rig.app, rig.host, hostKeys, &midi);
  EXPECT_EQ(std::tuple(rig.app.live.voices[0].livePitch, questions, rig.dialogs.shown.size()), std::tuple(3650, 2, 2u));
  EXPECT_TRUE(AnyLoudBlock(rig.host.sound));
  ShutDown(rig.app, rig.host);
}

TEST(Run, ProgramKeysSaveAndSwitchTheRate) {
  AppRig rig;
  for (const auto& [key, rate] : {std::pair{key::F3, 22050}, {key::F2, 11025}, {key::F4, 44100}}) {
    rig.Tap({key});
    EXPECT_EQ(rig.app.rate.sampleRate, rate);
  }
  rig.Tap({key::ScrollLock});
  ASSERT_EQ(rig.dialogs.requests.size(), 1u);  // cancelled: nothing written
  EXPECT_EQ(rig.dialogs.requests[0].title, "Save Song");
}

// Under the sanitizers this is where a worker that is not joined, or state left behind, shows itself. A quit
// stops the song first.
TEST(Run, StartingAndStoppingTheSongAThousandTimesAndQuitting) {
  AppRig rig;
  for (int i = 0; i < 1000; ++i) {
    StartSongPlayback(rig.app);
    ASSERT_EQ(rig.app.playback.mode.load(), PlaybackMode::Song) << i;
    StopPlayback(rig.app);
    ASSERT_TRUE(IsPlaybackIdle(rig.app)) << i;
  }
  StartSongPlayback(rig.app);
  RequestQuit(rig.app);
  EXPECT_TRUE(IsPlaybackIdle(rig.app) && rig.app.playback.workerRunning.load() == 0);
  EXPECT_EQ(rig.app.quitRequested.load(), 1u);
}

// The program's own options and their ranges; --help, --version and unknown options are the tools test's, the
// reader's forms the command-line reader's. A refusal exits 2 with the usage.
TEST(Run, CommandLine) {
  struct Case { std::vector<std::string> args; bool runs; std::string song; uint32_t frames = 4096; int32_t scale = 0;
                int32_t voices = 16; bool hold = false; std::string data = ""; int32_t autosave = 60; };
  const Case cases[] = {
      {{}, true, ""}, {{"My Song.tes"}, true, "My Song.tes"}, {{"a.tes", "b.tes"}, false, ""},
      {{"--latency", "256", "a.tes"}, true, "a.tes", 256}, {{"a.tes", "--latency", "1024"}, true, "a.tes", 1024},
      {{"--latency", "300"}, false, ""}, {{"--latency", "4096k"}, false, ""},
      {{"--latency=512", "a.tes"}, true, "a.tes", 512}, {{"--scale", "3", "a.tes"}, true, "a.tes", 4096, 3},
      {{"--scale=0"}, false, ""}, {{"--scale", "17"}, false, ""}, {{"--scale", "2x"}, false, ""},
      {{"--voices", "1", "--hold"}, true, "", 4096, 0, 1, true}, {{"--voices=64"}, true, "", 4096, 0, 64},
      {{"--voices", "0"}, false, ""}, {{"--voices", "65"}, false, ""},
      {{"--autosave-seconds", "2"}, true, "", 4096, 0, 16, false, "", 2},
      {{"--autosave-seconds=0"}, false, ""}, {{"--autosave-seconds", "3601"}, false, ""},
      {{"/songs/a.tes", "--data=/opt/tf"}, true, "/songs/a.tes", 4096, 0, 16, false, "/opt/tf"},
  };
  for (const Case& c : cases) {
    std::string out, err;
    int exitCode = -1;
    const auto options = ParseCommandLine(c.args, out, err, exitCode);
    const std::string name = ::testing::PrintToString(c.args);
    EXPECT_EQ(options.has_value(), c.runs) << name;
    // A relative song is taken from the folder the command was started in.
    const std::string song = c.song.empty() ? "" : (std::filesystem::current_path() / c.song).string();
    if (options) {
      EXPECT_EQ(std::tuple(options->songPath, options->blockFrames, options->scale, options->voices, options->hold,
                           options->dataFolder, options->autosaveSeconds),
                std::tuple(song, c.frames, c.scale, c.voices, c.hold, c.data, c.autosave)) << name;
    } else {
      EXPECT_TRUE(exitCode == 2 && out.empty() && err.find("Usage: tonforge") != std::string::npos) << name;
    }
  }
}

// The title names the song and marks unsaved changes; a new song not yet changed keeps the plain title.
TEST(Run, WindowTitleNamesTheSongAndMarksItsChanges) {
  AppRig rig;
  NewSong(rig.app);
  EXPECT_EQ(WindowTitle(rig.app), "Tonforge");
  InsertTrack(rig.app);
  EXPECT_EQ(WindowTitle(rig.app), "Tonforge - Song *");
  rig.app.songFile = "/songs/Song.tes";
  rig.app.changes.MarkSongSaved();
  EXPECT_EQ(WindowTitle(rig.app), "Tonforge - Song");
}

// The idle step while a song plays: the note keys play along and are recorded as the song worker hears them,
// while the editing keys held with them do nothing. Under the thread sanitizer this is where the main thread's
// inserts of recorded notes meet the worker walking the same track.
TEST(PlayAlongStep, NoteKeysPlayAndRecordWhileTheEditingKeysRest) {
  AppRig rig;
  AppState& app = rig.app;
  InsertEvent(app, rig.TrackNo(0), {2000, Type(EventType::End), 0, 0});
  app.ring.blockFrames = 256;
  rig.device.blockBytes = 256 * kFrameBytes;
  app.editor.editMode = 1;

  StartSongPlayback(app);
  for (uint32_t i = 0; i < 200; ++i) {
    rig.device.PlayInBlock(i % kRingBlocks);
    if (i % 20 == 0) rig.keyboard.Hold({key::C, key::Right, key::Insert, key::Delete});  // a note and editing keys
    if (i % 20 == 10) rig.keyboard.Hold({});
    RunIdleStep(app, rig.keys);
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  StopPlayback(app);

  std::vector<int32_t> expected;
  for (int n = 0; n < 10; ++n) expected.insert(expected.end(), {Type(EventType::NoteOn), Type(EventType::NoteOff)});
  EXPECT_EQ(rig.Column(1, 1), expected);
  const std::vector<int32_t> ticks = rig.Column(1, 0);
  EXPECT_EQ(std::adjacent_find(ticks.begin(), ticks.end(), std::greater_equal<>()), ticks.end()) << "strictly rising";
  EXPECT_EQ(std::pair(app.editCursor, app.editor.editMode), std::pair(0, 1u)) << "Right and Insert rested";
}

// Ctrl+Z and Ctrl+Y while the song plays take a level change back and forth as the edit itself went in: at
// once, the song playing on, and no note for the Z or the Y.
TEST(PlayAlongStep, UndoAndRedoKeysWorkWhileTheSongPlays) {
  AppRig rig;
  AppState& app = rig.app;
  InsertEvent(app, rig.TrackNo(0), {20000, Type(EventType::End), 0, 0});
  app.editor.editMode = 1;
  StartHistory(app.history, app);
  const float before = app.song.songLevel.Load();
  SetSongLevel(app, 12);
  FollowEdits(app.history, app);
  const float after = app.song.songLevel.Load();

  StartSongPlayback(app);
  rig.Tap({key::LeftControl, key::Z});
  EXPECT_EQ(app.song.songLevel.Load(), before) << "undone";
  rig.Tap({key::RightControl, key::Y});
  EXPECT_EQ(app.song.songLevel.Load(), after) << "redone";
  rig.Tap({key::LeftControl, key::LeftShift, key::Z});
  EXPECT_EQ(app.song.songLevel.Load(), after) << "nothing more to redo";
  EXPECT_FALSE(IsPlaybackIdle(app)) << "the song played on";
  StopPlayback(app);
  EXPECT_EQ(rig.Column(1, 1), std::vector<int32_t>{}) << "no note recorded";
}

// A file dropped on the window, as the platform hands it up: one row per kind and per place.
TEST(DroppedFile, SongsProgramsAndSoundsGoWhereTheyBelong) {
  TempDir dir;
  {
    SongRigOf<AppState> maker(2, 3);
    ASSERT_EQ(SaveSongFile(maker.app, dir.File("Other.tes")), SongFileResult::Done);
    maker.SetProgramType(0, Id(EngineTypeId::SineWaveGenerator));
    WriteBytes(dir.File("Bass.TEP"), EncodeProgramFile(*maker.app.song.programs[maker.app.song.currentProgram]));
  }
  ASSERT_TRUE(WriteTone(dir.File("tone.flac"), {.format = SF_FORMAT_FLAC | SF_FORMAT_PCM_16, .amplitude = 0.25}));
  WriteBytes(dir.File("broken.ogg"), {'O', 'g', 'g', 'S', 0, 2, 0, 0});

  // position: the chain position the Engine panel shows, 0 holding a Multisampled Wave and 1 nothing; said: the
  // first line of the first box; slot: the slot that took the sound.
  const struct { const char *what, *file; DropPlace place; int position = 0; bool modified = false;
                 Answer answer = Answer::No; bool opened = true; const char* said = ""; int slot = -1;
                 float peak = 0.25f; } cases[] = {
      {"a song asks about the changes first", "Other.tes", {}, 0, true, Answer::No, true, "Save Changes To Song?"},
      {"a song kept on Cancel", "Other.tes", {}, 0, true, Answer::Cancel, false, "Save Changes To Song?"},
      {"a program joins the list", "Bass.TEP", {}},
      {"a sound into the first empty slot", "tone.flac", {}, 0, false, Answer::No, true, "Import", 0},
      {"a sound dropped on the third slot", "tone.flac", {2}, 0, false, Answer::No, true, "Import", 2},
      {"Shift scales it to full range", "tone.flac", {1, true}, 0, false, Answer::No, true, "Import", 1, 1.0f},
      {"an engine without slots", "tone.flac", {}, 1, false, Answer::No, false,
       "The Selected Engine Takes No Sound Files"},
      {"an unreadable sound", "broken.ogg", {}, 0, false, Answer::No, false, "Invalid File"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    SongRigOf<AppState> rig(1, 1);
    rig.SetProgramType(0, Id(EngineTypeId::MultisampledWave));
    rig.app.chainEditor.selectedPosition = c.position;
    if (c.modified) rig.app.changes.MarkSongModified();
    rig.dialogs.threeWayAnswers = {c.answer};
    rig.app.changes.Take();

    EXPECT_EQ(OpenDroppedFile(rig.app, dir.File(c.file), c.place), c.opened);
    const std::vector<ShownBox>& shown = rig.dialogs.shown;
    const std::string said = shown.empty() ? "" : shown[0].caption == "Import" ? "Import" : rig.Headlines()[0];
    EXPECT_EQ(said, c.said) << (rig.dialogs.shown.empty() ? "" : rig.dialogs.shown[0].text);
    const bool song = KindOfDroppedFile(c.file) == DroppedKind::Song;
    EXPECT_EQ(rig.app.song.tracks.Count(), song && c.opened ? 3 : 1);
    EXPECT_EQ(rig.app.song.programs.size(), song && c.opened ? 2u : c.file == std::string("Bass.TEP") ? 2u : 1u);
    if (c.slot >= 0) {
      const DataSlot& s = rig.ProgramEngine(0, 0).slots[c.slot];
      ASSERT_TRUE(s.loaded != 0 && s.length > 0);
      EXPECT_NEAR(Peak(std::vector<float>(s.data.get(), s.data.get() + s.length)), c.peak, 0.01f);
      EXPECT_TRUE(rig.app.changes.Has(Change::Engine));
    }
    EXPECT_TRUE(c.opened || rig.ProgramEngine(0, 0).loadedSlotCount == 0u) << "a refused file loads nothing";
  }
}

}  // namespace
}  // namespace tonforge
