// The running program without a display: start-up, the main loop's idle step, quitting and shutdown, on fake
// devices.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/quit.h"
#include "shell/command_line.h"
#include "app/run.h"
#include "audio/playback.h"
#include "support/fake_dialogs.h"
#include "support/fake_host.h"
#include "support/song_rig.h"

namespace tonforge {
namespace {

using testing::FakeHost;

// A song with a sine program on track 1, as the keyboard plays it.
struct AppRig : testing::SongRigOf<AppState> {
  AppRig() : SongRigOf(1, 2) {
    SetProgramType(0, testing::Id(EngineTypeId::SineWaveGenerator));
    app.song.currentTrack = 1;
  }
  int Run() { return RunTonforge(app, host, {}, "/nonexistent"); }
  FakeHost host;
};

bool AnyLoudBlock(testing::FakeSoundDevice& device) {
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
    testing::FakeDialogs dialogs;
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
    EXPECT_EQ(host.blockFrames, blockFrames);
    EXPECT_EQ(dialogs.shown.size(), soundFails ? 1u : 0u);
    if (soundFails) {
      EXPECT_EQ(dialogs.shown[0].text, "Could Not Open Sound Device");
    }
    EXPECT_EQ(app->rate.sampleRate, 44100);
    EXPECT_EQ(app->song.tracks.Count(), 0) << "shutdown freed the song";
    EXPECT_EQ(host.sound.WriteCount() > 0, !soundFails) << "the idle step served the live output";
    if (!soundFails) {
      EXPECT_EQ(host.sound.Write(0).samples.size(), 2 * blockFrames);
    }
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
    ASSERT_LT(pass, 200) << "the loop never ended";
  };
  // The rig's song is the one StartUp replaces with a new one: give the new one the rig's program again.
  StartOptions oneVoice;
  oneVoice.voices = 1;  // the second note takes the first one's voice
  StartUp(rig.app, rig.host, oneVoice, "/nonexistent");
  NewProgram(rig.app);
  SelectProgram(rig.app, 0);
  rig.SetProgramType(0, testing::Id(EngineTypeId::SineWaveGenerator));
  rig.app.changes.MarkSongSaved();  // the plain question: a modified song asks to be saved instead
  KeyboardHandler keys(rig.host.keyboard, rig.host.shell, ProgramKeyboardHooks(rig.app));
  MidiHandler midi(rig.host.midi);
  RunMainLoop(rig.app, rig.host, keys, &midi);
  EXPECT_EQ(rig.app.live.voices[0].livePitch, 3650);
  EXPECT_EQ(questions, 2);
  EXPECT_EQ(rig.dialogs.shown.size(), 2u);
  EXPECT_TRUE(AnyLoudBlock(rig.host.sound));
  ShutDown(rig.app, rig.host);
}

TEST(Run, RequestQuitStopsTheSongFirst) {
  AppRig rig;
  testing::FakeSoundDevice device;
  rig.app.sound = &device;
  StartSongPlayback(rig.app);
  ASSERT_EQ(rig.app.playback.mode.load(), PlaybackMode::Song);
  RequestQuit(rig.app);
  EXPECT_TRUE(IsPlaybackIdle(rig.app) && rig.app.playback.workerRunning.load() == 0);
  EXPECT_EQ(rig.app.quitRequested.load(), 1u);
}

TEST(Run, ProgramKeysSaveAndSwitchTheRate) {
  AppRig rig;
  testing::FakeKeyboard keys;
  testing::FakeShell shell;
  KeyboardHandler handler(keys, shell, ProgramKeyboardHooks(rig.app));
  for (const auto& [key, rate] : {std::pair{key::F3, 22050}, {key::F2, 11025}, {key::F4, 44100}}) {
    keys.Hold({key});
    PollKeyboard(rig.app, handler);
    keys.Hold({});
    PollKeyboard(rig.app, handler);
    EXPECT_EQ(rig.app.rate.sampleRate, rate);
  }
  keys.Hold({key::ScrollLock});
  PollKeyboard(rig.app, handler);
  ASSERT_EQ(rig.dialogs.requests.size(), 1u);  // cancelled: nothing written
  EXPECT_EQ(rig.dialogs.requests[0].title, "Save Song");
}

// Under the sanitizers this is where a worker that is not joined, or state left behind, shows itself.
TEST(Run, StartingAndStoppingTheSongAThousandTimes) {
  AppRig rig;
  testing::FakeSoundDevice device;
  rig.app.sound = &device;
  for (int i = 0; i < 1000; ++i) {
    StartSongPlayback(rig.app);
    ASSERT_EQ(rig.app.playback.mode.load(), PlaybackMode::Song) << i;
    StopPlayback(rig.app);
    ASSERT_TRUE(IsPlaybackIdle(rig.app)) << i;
  }
}

TEST(Run, CommandLine) {
  struct Case { std::vector<std::string> args; bool runs; int exitCode; std::string song; uint32_t frames = 4096;
                int32_t scale = 0; int32_t voices = 16; bool hold = false; int32_t autosave = 60; };
  for (const Case& c : {Case{{}, true, 0, ""}, Case{{"My Song.tes"}, true, 0, "My Song.tes"},
                        Case{{"--help"}, false, 0, ""}, Case{{"--bogus"}, false, 2, ""},
                        Case{{"a.tes", "b.tes"}, false, 2, ""},
                        Case{{"--latency", "256", "a.tes"}, true, 0, "a.tes", 256},
                        Case{{"a.tes", "--latency", "1024"}, true, 0, "a.tes", 1024},
                        Case{{"--latency", "300"}, false, 2, ""}, Case{{"--latency"}, false, 2, ""},
                        Case{{"--latency", "4096k"}, false, 2, ""},
                        Case{{"--latency=512", "a.tes"}, true, 0, "a.tes", 512},
                        Case{{"--version"}, false, 0, ""},
                        Case{{"--scale", "3", "a.tes"}, true, 0, "a.tes", 4096, 3},
                        Case{{"--scale=0"}, false, 2, ""}, Case{{"--scale", "17"}, false, 2, ""},
                        Case{{"--scale", "2x"}, false, 2, ""},
                        Case{{"--voices", "1", "--hold"}, true, 0, "", 4096, 0, 1, true},
                        Case{{"--voices=64"}, true, 0, "", 4096, 0, 64},
                        Case{{"--voices", "0"}, false, 2, ""}, Case{{"--voices", "65"}, false, 2, ""},
                        Case{{"--hold=yes"}, false, 2, ""},
                        Case{{"--autosave-seconds", "2"}, true, 0, "", 4096, 0, 16, false, 2},
                        Case{{"--autosave-seconds=0"}, false, 2, ""}, Case{{"--autosave-seconds", "3601"}, false, 2, ""},
                        Case{{"/songs/a.tes", "--data=/opt/tf"}, true, 0, "/songs/a.tes"}}) {
    std::string out, err;
    int exitCode = -1;
    const auto options = ParseCommandLine(c.args, out, err, exitCode);
    ASSERT_EQ(options.has_value(), c.runs);
    // A relative song is taken from the folder the command was started in.
    const std::string song = c.song.empty() ? "" : (std::filesystem::current_path() / c.song).string();
    if (options) {
      EXPECT_TRUE(options->songPath == song && options->blockFrames == c.frames) << c.song;
      EXPECT_TRUE(options->scale == c.scale && options->voices == c.voices && options->hold == c.hold) << c.args.size();
      EXPECT_EQ(options->autosaveSeconds, c.autosave) << c.args.size();
      EXPECT_EQ(options->dataFolder, c.args.size() > 1 && c.args[1] == "--data=/opt/tf" ? "/opt/tf" : "") << c.song;
    } else {
      EXPECT_EQ(exitCode, c.exitCode);
    }
    EXPECT_EQ(out.find(c.args == std::vector<std::string>{"--version"} ? "tonforge " + std::string(TonforgeVersion()) : "Usage: tonforge") != std::string::npos,
              !c.runs && c.exitCode == 0);
    EXPECT_EQ(err.find("Usage: tonforge") != std::string::npos, !c.runs && c.exitCode == 2);
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

}  // namespace
}  // namespace tonforge
