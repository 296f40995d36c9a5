// The headless renderer run as a user runs it: its output file, its three lines, its messages and exit codes.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <thread>

#include "audio/playback.h"
#include "audio/render.h"
#include "audio/voice.h"
#include "support/file_rig.h"
#include "programs/program_file.h"
#include "programs/program_list.h"
#include "sequencer/song.h"
#include "sequencer/song_clock.h"
#include "sequencer/song_file.h"
#include "shell/command_line.h"
#include "tool_paths.h"

namespace tonforge {
namespace {

using testing::FakeDialogs;
using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

using testing::Type;

struct ToolRun { int status = -1; std::string out; std::string err; };

ToolRun RunTool(const TempDir& dir, const std::string& arguments, const char* tool = TONFORGE_RENDER_TOOL) {
  const std::string errors = dir.File("stderr.txt");
  const std::string command = "cd '" + dir.Root() + "' && '" + tool + "' " + arguments + " 2>'" + errors + "'";
  ToolRun run;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return run;
  char buffer[256];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) run.out.append(buffer, n);
  const int status = pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  const auto bytes = ReadBytes(errors);
  run.err.assign(bytes.begin(), bytes.end());
  return run;
}

// Writes the tiny song and program the runs use: a sine program, one note, End at `endTick` (none when -1),
// a second End at tick 20 when `earlyEnd`, and the given stored rate.
void WriteTinySong(const std::string& path, int32_t endTick, bool earlyEnd, int32_t rate) {
  testing::SongRig rig(1);
  testing::Put(rig.ProgramEngine(0, 0), EngineTypeId::SineWaveGenerator);
  testing::Put(rig.ProgramEngine(0, 1), EngineTypeId::BasicReverb);
  ASSERT_TRUE(FitAllPositionBuffers(rig.app));
  AppendEvent(rig.app, *InsertTrack(rig.app), {0, Type(EventType::NoteOn), 2450, 0});
  rig.Add(1, {{30, Type(EventType::NoteOff), 0, 0}});
  if (earlyEnd) rig.Add(0, {{20, Type(EventType::End), 0, 0}});
  if (endTick >= 0) rig.Add(0, {{endTick, Type(EventType::End), 0, 0}});
  SetOutputRate(rig.app.rate, rate, 120.0f, 48);
  ASSERT_EQ(SaveSongFile(rig.app, path), SongFileResult::Done);
  WriteBytes(path + ".tep", EncodeProgramFile(*rig.app.song.programs[0]));
}

// What the synthesizer writes for Load Song and then the render button, through its dialogs and its worker.
std::vector<uint8_t> RenderButtonFile(const TempDir& dir, const std::string& song, int32_t rate, bool quality,
                                      int32_t from, std::string& lines) {
  FakeDialogs dialogs;
  Studio app(dialogs);
  StartCore(app, dir.Root());
  NewSong(app);
  dialogs.paths = {dir.File(song), dir.File("button.wav")};
  EXPECT_TRUE(LoadSong(app));
  if (rate != 0) SetOutputRate(app.rate, rate, app.song.tempo, app.song.ticksPerBeat);
  app.render.quality = quality ? 1 : 0;
  app.editCursor = from;
  StartRender(app);
  for (int waited = 0; !IsPlaybackIdle(app) && app.playback.songEndReached.load() == 0 && waited < 20000; ++waited)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  StopPlayback(app);
  ShowRenderStatistics(app);
  for (int i = 0; i < 3; ++i) lines += app.render.text.LineText(i) + "\n";
  return ReadBytes(dir.File("button.wav"));
}

TEST(RenderTool, SongModeWritesTheRenderButtonsFile) {
  TempDir dir;
  WriteTinySong(dir.File("tiny.tes"), 96, false, 22050);
  WriteTinySong(dir.File("at44.tes"), 96, false, 48000);  // not a rate of ours: 44100
  // The tool opens exactly the file it is given, whatever its name ends with.
  WriteBytes(dir.File("tiny.TES"), ReadBytes(dir.File("tiny.tes")));
  WriteBytes(dir.File("tiny song"), ReadBytes(dir.File("tiny.tes")));
  // rate 0: the song's own. The reader's forms (=values, options among the files) are the shell test's.
  const struct { const char *arguments, *song; int32_t rate; bool quality; int32_t from; uint32_t fileRate; }
  cases[] = {
      {"tiny.tes out.wav", "tiny.tes", 0, false, 0, 22050},
      {"--rate 11025 --quality --from 48 tiny.tes out.wav", "tiny.tes", 11025, true, 48, 11025},
      {"--from 96 at44.tes out.wav", "at44.tes", 0, false, 96, 44100},
      {"--threads 1 tiny.TES out.wav", "tiny.tes", 0, false, 0, 22050},
      {"--threads 3 --quality 'tiny song' out.wav", "tiny.tes", 0, true, 0, 22050},
  };
  for (const auto& c : cases) {
    const ToolRun run = RunTool(dir, c.arguments);
    EXPECT_EQ(std::pair(run.status, run.err), std::pair(0, std::string())) << c.arguments;
    std::string lines;
    const auto expected = RenderButtonFile(dir, c.song, c.rate, c.quality, c.from, lines);
    const auto written = ReadBytes(dir.File("out.wav"));
    ASSERT_GE(written.size(), 44u) << c.arguments;
    EXPECT_EQ(GetU32(&written[24]), c.fileRate) << c.arguments;
    EXPECT_TRUE(written == expected) << c.arguments << ": " << written.size() << " bytes, expected " << expected.size();
    EXPECT_EQ(run.out, lines) << c.arguments;
    EXPECT_TRUE(run.out.starts_with("Samples Rendered ")) << c.arguments;
  }
}

TEST(RenderTool, ProgramModeRendersExactlyTheFramesOfOneNote) {
  TempDir dir;
  WriteTinySong(dir.File("tiny.tes"), 96, false, 44100);
  const std::string program = dir.File("tiny.tes.tep");
  for (const bool quality : {false, true}) {
    const ToolRun run = RunTool(dir, std::string("--program tiny.tes.tep --pitch 3650 --frames 5000 --rate 22050") +
                                     (quality ? " --quality" : "") + " note.wav");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "Samples Rendered 10000\nSamples Clipped 0\nPercent Clipped 0.00\n");

    // The same note built by hand: program 0, one track holding only the NoteOn, 5000 clock steps and mixes.
    FakeDialogs dialogs;
    Studio app(dialogs);
    StartCore(app, dir.Root());
    NewSong(app);
    ASSERT_TRUE(LoadProgramFileNew(app, program));
    AppendEvent(app, *InsertTrack(app), {0, Type(EventType::NoteOn), 3650, 0});
    SetOutputRate(app.rate, 22050, app.song.tempo, app.song.ticksPerBeat);
    PrepareSongStart(app);
    SampleContext ctx = MakeSampleContext(app);
    const auto written = ReadBytes(dir.File("note.wav"));
    ASSERT_EQ(written.size(), 44u + 4 * 5000 + 1);
    EXPECT_EQ(GetU32(&written[24]), 22050u);
    int differing = 0;
    for (std::size_t f = 0; f < 5000; ++f) {
      SongClockStep(app);
      const Frame16 frame = quality ? MixSongSampleQuality(app, ctx, nullptr) : MixSongSample(app, ctx);
      const auto left = static_cast<int16_t>(written[44 + 4 * f] | written[45 + 4 * f] << 8);
      const auto right = static_cast<int16_t>(written[46 + 4 * f] | written[47 + 4 * f] << 8);
      differing += left != frame.left || right != frame.right;
    }
    EXPECT_EQ(differing, 0) << quality;
    EXPECT_NE(GetU32(&written[44 + 4 * 2000]), 0u) << "the note sounds";
  }
}

TEST(RenderTool, RefusalsAndBadArguments) {
  TempDir dir;
  WriteTinySong(dir.File("noend.tes"), -1, false, 44100);
  WriteTinySong(dir.File("early.tes"), 96, true, 44100);
  WriteBytes(dir.File("junk.tes"), {'U', 'E', 'S', '1', 1, 2, 3});
  mkfifo(dir.File("fifo.tes").c_str(), 0644);
  // error: the start of standard error.
  const struct { const char* arguments; int status; const char* error; } cases[] = {
      {"noend.tes out.wav", 1, "You Must Insert An End Event At The End Of The Song\n"},
      {"--from 40 early.tes out.wav", 1, "Song Stopped Before Cursor Position\n"},
      {"junk.tes out.wav", 1, "Invalid File: junk.tes: Not a song file, or a damaged one\n"},
      {"fifo.tes out.wav", 1, "Cannot Open fifo.tes: Not a regular file\n"},
      {"missing.tes out.wav", 1, "Cannot Open missing.tes: No such file or directory\n"},
      {"--program junk.tes --pitch 1 --frames 1 out.wav", 1,
       "Invalid File: junk.tes: Not a program file, or a damaged one\n"},
      {"early.tes nowhere/out.wav", 1, "Could Not Create Wave File: nowhere/out.wav: No such file or directory\n"},
      {"", 2, "tonforge-render: missing SONG and OUT.wav\nusage: tonforge-render"},
      {"early.tes", 2, "tonforge-render: missing OUT.wav\nusage:"},
      {"--rate 48000 early.tes out.wav", 2, "tonforge-render: --rate must be 44100, 22050 or 11025\nusage:"},
      {"--from -1 early.tes out.wav", 2, "tonforge-render: --from needs a tick from 0 to 99999\nusage:"},
      {"--threads 0 early.tes out.wav", 2, "tonforge-render: --threads needs a number from 1 to 64\nusage:"},
      {"--program p.tep --pitch 1 out.wav", 2, "tonforge-render: --program needs --frames\nusage:"},
      {"--program p.tep --pitch 1 --frames 9 --from 3 out.wav", 2,
       "tonforge-render: --from is for songs, not --program\n"},
  };
  for (const auto& c : cases) {
    const ToolRun run = RunTool(dir, c.arguments);
    EXPECT_EQ(std::pair(run.status, run.out), std::pair(c.status, std::string())) << c.arguments;
    EXPECT_TRUE(run.err.starts_with(c.error)) << c.arguments << ": " << run.err;
  }
}

// Every program reads its command line the same way: --help and --version on standard output, an unknown
// option refused with its name and the usage, exit status 2. The renderer's usage lists every option.
TEST(Tools, AnswerHelpAndVersionAndRefuseUnknownOptions) {
  TempDir dir;
  for (const char* tool : {TONFORGE_RENDER_TOOL, TONFORGE_SNAPSHOT_TOOL, TONFORGE_LATENCY_TOOL, TONFORGE_SKINS_TOOL,
                           TONFORGE_ASSETS_TOOL, TONFORGE_PROGRAM}) {
    const std::string name = std::string(tool).substr(std::string(tool).rfind('/') + 1);
    const ToolRun version = RunTool(dir, "--version x", tool);
    EXPECT_EQ(std::pair(version.status, version.out), std::pair(0, name + " " + std::string(TonforgeVersion()) + "\n"));
    const ToolRun help = RunTool(dir, "--help", tool);
    EXPECT_EQ(help.status, 0) << name;
    EXPECT_NE(help.out.find("sage: " + name), std::string::npos) << name << ": " << help.out;
    EXPECT_NE(help.out.find("--version"), std::string::npos) << name;
    const bool render = name == "tonforge-render";  // whose usage lists every option
    for (const char* option : {"--rate R ", "--quality ", "--from TICK ", "--threads N ", "--program FILE ",
                               "--pitch CENTS ", "--frames N ", "--help ", "--version "})
      EXPECT_TRUE(!render || help.out.find(std::string("\n  ") + option) != std::string::npos) << option;
    const ToolRun bogus = RunTool(dir, "--bogus", tool);
    EXPECT_EQ(std::pair(bogus.status, bogus.out), std::pair(2, std::string())) << name;
    EXPECT_TRUE(bogus.err.starts_with(name + ": unknown option --bogus\n")) << name << ": " << bogus.err;
  }
}

}  // namespace
}  // namespace tonforge
