// The ground floor: tables, the random sequence, folders and file names, the command-line reader every
// program shares, the window settings file and the single-producer queue.
#include <gtest/gtest.h>

#include <thread>
#include <unistd.h>

#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "shell/command_line.h"
#include "shell/folders.h"
#include "shell/random.h"
#include "shell/spsc_queue.h"
#include "shell/tables.h"
#include "shell/window_settings.h"

namespace tonforge {
namespace {



TEST(Tables, PitchAndSineStepValues) {
  Tables t;
  BuildTables(t);
  // 2^(k/1200) and 2 sin(2π · 261.63 · 2^(k/1200) / 88200): unison, octaves, a semitone and the table's ends.
  const struct { int cents; float pitch, sineStep; } spots[] = {
      {0, 1.0f, 0.0372738f},         {1200, 2.0f, 0.0745347f},       {-1200, 0.5f, 0.0186377f},
      {100, 1.0594631f, 0.0394899f}, {6099, 33.883242f, 1.1807367f}, {-6099, 0.029513115f, 0.0011001f}};
  for (const auto& c : spots) {
    EXPECT_FLOAT_EQ(t.Pitch(c.cents), c.pitch) << c.cents;
    EXPECT_NEAR(t.SineStep(c.cents), c.sineStep, 2e-7) << c.cents;
  }
  // The pan tables are pinned by the mix's levels and pans and by the panning engines.
}

TEST(Random, BoundsStepAndSeed) {
  uint32_t s = 0;
  EXPECT_EQ(RandomBounded(s, 0), 0u);
  EXPECT_EQ(s, 907633515u);  // the state moves even with bound 0
  EXPECT_EQ(RandomStep(1u), 196314165u + 907633515u);

  RandomGenerator g;
  g.general = 12345;
  std::set<uint32_t> seen;
  for (int i = 0; i < 2000; ++i) seen.insert(RandomNext(g, 9));
  EXPECT_EQ(seen, (std::set<uint32_t>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));

  // The unit draw maps the state modulo 100000 into 0..0.99999 and never reaches 1.
  uint32_t e = 0;
  float largest = 0.0f;
  for (int i = 0; i < 300000; ++i) largest = std::max(largest, EngineRandomUnit(e));
  EXPECT_FLOAT_EQ(largest, 0.99999f);  // within four float steps of it, so below 1

  SeedRandom(g);  // milliseconds of the clock
  EXPECT_LT(g.general, 1000u);
  EXPECT_EQ(g.engine, 0u);
}

TEST(Folders, RememberAndStore) {
  Folders f;
  SetUpFolders(f, "/home/u/tonforge");
  EXPECT_EQ(std::tuple(f.songs, f.instrumentPrograms, f.trackPrograms, f.tracks),
            std::tuple("/home/u/tonforge/Songs/", "/home/u/tonforge/Programs/Instruments/",
                       "/home/u/tonforge/Programs/Tracks/", "/home/u/tonforge/Tracks/"));
  // An installed copy: the user's folders in the workspace, help and skins still read from the program folder.
  SetUpFolders(f, "/usr/share/tonforge", "/home/u/.local/share/tonforge");
  EXPECT_EQ(std::tuple(f.programFolder, f.songs, f.modulators),
            std::tuple("/usr/share/tonforge", "/home/u/.local/share/tonforge/Songs/",
                       "/home/u/.local/share/tonforge/Modulators/"));
  const struct { const char *path, *folder; } cases[] = {{"/a/b/song.tes", "/a/b/"}, {"song.tes", ""}, {"/x/", "/x/"},
                                                         {"", ""}};
  for (const auto& c : cases) {
    RememberFolder(f, c.path);
    StoreFolder(f, f.waves);
    EXPECT_EQ(f.waves, c.folder) << c.path;
  }
}

// The extension every saved file gets: added, or put in place of a three-letter one, unless the name already
// ends with it in any case or is too long to grow.
TEST(Folders, ExtensionRule) {
  const std::string long249(249, 'a'), long250(250, 'a'), long249abc = std::string(245, 'n') + ".abc";
  const struct { std::string path, extension, expected; } paths[] = {
      {"/x/Bass", ".tep", "/x/Bass.tep"},  {"/x/tune.wav", ".tep", "/x/tune.tep"}, {"/x/a.b.c", ".tep", "/x/a.tep"},
      {"abc", ".tep", "abc.tep"},          {".wav", ".tep", ".tep"},               {long250, ".tep", long250},
      {long249, ".tep", long249 + ".tep"}, {"/x/y.tep", ".tep", "/x/y.tep"},       {".wav", ".wav", ".wav"},
      {"/x/UPPER.TES", ".tes", "/x/UPPER.TES"}, {"take.wave", ".wav", "take.wave.wav"},  // any case is kept
      {long249abc, ".wav", long249abc.substr(0, 245) + ".wav"},
  };
  for (const auto& c : paths) {
    std::string path = c.path;
    ApplyExtensionRule(path, c.extension);
    EXPECT_EQ(path, c.expected) << c.path;
  }
}

TEST(CommandLine, ReadsBothValueFormsAndRefusesWhatItDoesNotKnow) {
  constexpr CommandOption kOptions[] = {{"rate", true}, {"quality", false}, {"from", true}};
  const struct {
    const char* name;
    std::vector<std::string> args;
    std::string rate;  // the value read for --rate, "-" when none
    std::vector<std::string> operands;
    bool quality, help, version;
    std::string wrong;
  } cases[] = {
      {"=value", {"--rate=22050", "a.tes"}, "22050", {"a.tes"}, false, false, false, ""},
      {"value after the operands", {"a.tes", "b.wav", "--rate", "11025"}, "11025", {"a.tes", "b.wav"}, false, false, false, ""},
      {"last value counts", {"--rate=1", "--rate=2"}, "2", {}, false, false, false, ""},
      {"empty =value", {"--rate="}, "", {}, false, false, false, ""},
      {"a value that looks like an option", {"--from", "-1"}, "-", {}, false, false, false, ""},
      {"flag", {"--quality", "x"}, "-", {"x"}, true, false, false, ""},
      {"-- ends the options", {"--", "--quality"}, "-", {"--quality"}, false, false, false, ""},
      {"lone dash is an operand", {"-"}, "-", {"-"}, false, false, false, ""},
      {"unknown option", {"--bogus", "a.tes"}, "-", {"a.tes"}, false, false, false, "unknown option --bogus"},
      {"unknown option with =value", {"--bogus=3"}, "-", {}, false, false, false, "unknown option --bogus"},
      {"unknown short option", {"-x"}, "-", {}, false, false, false, "unknown option -x"},
      {"missing value", {"a.tes", "--rate"}, "-", {"a.tes"}, false, false, false, "--rate needs a value"},
      {"flag given a value", {"--quality=yes"}, "-", {}, false, false, false, "--quality takes no value"},
      {"--help", {"--help", "--bogus"}, "-", {}, false, true, false, "unknown option --bogus"},
      {"-h", {"-h"}, "-", {}, false, true, false, ""},
      {"--version", {"--version"}, "-", {}, false, false, true, ""},
  };
  for (const auto& c : cases) {
    const CommandLine line = ReadCommandLine(c.args, kOptions);
    EXPECT_EQ(std::tuple(line.Value("rate").value_or("-"), line.operands, line.Has("quality"), line.help, line.version,
                         line.wrong),
              std::tuple(c.rate, c.operands, c.quality, c.help, c.version, c.wrong)) << c.name;
  }
  // The value of "--from -1" is read as given; judging it is the tool's.
  EXPECT_EQ(ReadCommandLine({"--from", "-1"}, kOptions).Value("from"), "-1");
}

TEST(CommandLine, EarlyAnswersAndWholeNumbers) {
  // What --help and --version print is every tool's test; a wrong option is answered before --help.
  const auto early = AnswerEarly(ReadCommandLine({"--help", "--nope"}, {}), "t", "usage: t X\n");
  ASSERT_TRUE(early);
  EXPECT_EQ(std::tuple(early->status, early->out, early->err), std::tuple(2, "", "t: unknown option --nope\nusage: t X\n"));
  EXPECT_FALSE(AnswerEarly(ReadCommandLine({"x"}, {}), "t", "usage: t X\n"));
  EXPECT_FALSE(TonforgeVersion().empty());
  const struct {
    const char* text;
    std::optional<int64_t> value;
  } numbers[] = {{"256", 256}, {"0", 0}, {"4096k", std::nullopt}, {"", std::nullopt}, {"-1", std::nullopt},
                 {"70000", std::nullopt}, {" 5", std::nullopt}};
  for (const auto& n : numbers) EXPECT_EQ(WholeNumber(n.text, 0, 65536), n.value) << n.text;
}

std::string WriteSettings(const std::string& text) {
  const std::string path = ::testing::TempDir() + "settings_" + std::to_string(::getpid()) + ".ini";
  std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
  return path;
}

TEST(WindowSettings, WrittenSettingsComeBackAndDamagedOnesMeanTheDefaults) {
  struct Case { const char* name; std::string text; WindowSettings expected; };
  const Case cases[] = {
      {"as written", WindowSettingsText({1600, 1120, 2}), {1600, 1120, 2}},
      {"defaults written", WindowSettingsText({}), {}},
      {"spaces, comments, unknown names", "# mine\n[window]\n width = 900 \nheight=700\r\ntheme=dark\n", {900, 700, 0}},
      {"not a number", "width=wide\nheight=700\n", {}},
      {"too small", "width=10\nheight=700\n", {}},
      {"too large", "width=900\nheight=99999\n", {}},
      {"negative", "width=-900\nheight=700\n", {}},
      {"scale past the largest", "scale=17\n", {}},
      {"half a size", "width=900\n", {}},
      {"no equals sign", "width 900\n", {}},
  };
  for (const Case& c : cases) {
    const WindowSettings s = ReadWindowSettings(WriteSettings(c.text));
    EXPECT_EQ(std::tuple(s.width, s.height, s.scale), std::tuple(c.expected.width, c.expected.height, c.expected.scale))
        << c.name;
  }
  EXPECT_EQ(ReadWindowSettings(::testing::TempDir() + "no/such/settings.ini").width, 0);
  // The folder is made on the first save.
  const std::string fresh = ::testing::TempDir() + "config_" + std::to_string(::getpid()) + "/tonforge/settings.ini";
  ASSERT_TRUE(WriteWindowSettings(fresh, {1024, 700, 1}));
  EXPECT_EQ(ReadWindowSettings(fresh).height, 700);
  EXPECT_EQ(WindowSettingsPath("/x/cfg", "/home/u"), "/x/cfg/tonforge/settings.ini");
  EXPECT_EQ(WindowSettingsPath("", "/home/u"), "/home/u/.config/tonforge/settings.ini");
  EXPECT_EQ(WindowSettingsPath("relative", ""), "");
}

// A full ring refuses, wrapping keeps the order, and a value crossing threads arrives whole and in order.
TEST(SpscQueue, KeepsOrderRefusesWhenFullAndCrossesThreads) {
  SpscQueue<int, 4> q;
  int out = 0;
  EXPECT_FALSE(q.Pop(out)) << "empty";
  for (int i = 0; i < 4; ++i) EXPECT_TRUE(q.Push(i));
  EXPECT_FALSE(q.Push(4)) << "full";
  for (int round = 0; round < 10; ++round) {  // the counters wrap round the four slots
    ASSERT_TRUE(q.Pop(out));
    EXPECT_EQ(out, round);
    EXPECT_TRUE(q.Push(round + 4));
  }
  q.Drain();
  EXPECT_FALSE(q.Pop(out)) << "drained";

  struct Pair {
    int a, b;
  };
  SpscQueue<Pair, 64> shared;
  constexpr int kCount = 100000;
  std::thread producer([&shared] {
    for (int i = 0; i < kCount;)
      if (shared.Push({i, -i})) ++i;
  });
  int expected = 0;
  bool whole = true;
  for (Pair p{}; expected < kCount;)
    if (shared.Pop(p)) {
      whole = whole && p.a == expected && p.b == -expected;
      ++expected;
    }
  producer.join();
  EXPECT_TRUE(whole);
}

}  // namespace
}  // namespace tonforge
