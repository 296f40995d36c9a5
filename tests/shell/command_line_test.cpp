// The command-line reader every program shares.
#include <gtest/gtest.h>

#include "shell/command_line.h"

namespace tonforge {
namespace {

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
      {"space value", {"--rate", "22050", "a.tes"}, "22050", {"a.tes"}, false, false, false, ""},
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
      {"--help alone", {"a.tes", "--help"}, "-", {"a.tes"}, false, true, false, ""},
      {"-h", {"-h"}, "-", {}, false, true, false, ""},
      {"--version", {"--version"}, "-", {}, false, false, true, ""},
  };
  for (const auto& c : cases) {
    const CommandLine line = ReadCommandLine(c.args, kOptions);
    EXPECT_EQ(line.Value("rate").value_or("-"), c.rate) << c.name;
    EXPECT_EQ(line.operands, c.operands) << c.name;
    EXPECT_EQ(line.Has("quality"), c.quality) << c.name;
    EXPECT_EQ(line.help, c.help) << c.name;
    EXPECT_EQ(line.version, c.version) << c.name;
    EXPECT_EQ(line.wrong, c.wrong) << c.name;
  }
  // The value of "--from -1" is read as given; judging it is the tool's.
  EXPECT_EQ(ReadCommandLine({"--from", "-1"}, kOptions).Value("from"), "-1");
}

TEST(CommandLine, EarlyAnswersAndWholeNumbers) {
  const struct {
    const char* name;
    std::vector<std::string> args;
    int status;  // -1: the tool goes on
    std::string out, err;
  } cases[] = {
      {"help", {"--help"}, 0, "usage: t X\n", ""},
      {"version", {"--version"}, 0, "t " + std::string(TonforgeVersion()) + "\n", ""},
      {"wrong before help", {"--help", "--nope"}, 2, "", "t: unknown option --nope\nusage: t X\n"},
      {"nothing to answer", {"x"}, -1, "", ""},
  };
  for (const auto& c : cases) {
    const auto early = AnswerEarly(ReadCommandLine(c.args, {}), "t", "usage: t X\n");
    EXPECT_EQ(early ? early->status : -1, c.status) << c.name;
    if (early) {
      EXPECT_EQ(early->out, c.out) << c.name;
      EXPECT_EQ(early->err, c.err) << c.name;
    }
  }
  EXPECT_FALSE(TonforgeVersion().empty());
  const struct {
    const char* text;
    std::optional<int64_t> value;
  } numbers[] = {{"256", 256}, {"0", 0}, {"4096k", std::nullopt}, {"", std::nullopt}, {"-1", std::nullopt},
                 {"70000", std::nullopt}, {" 5", std::nullopt}};
  for (const auto& n : numbers) EXPECT_EQ(WholeNumber(n.text, 0, 65536), n.value) << n.text;
}

}  // namespace
}  // namespace tonforge
