#pragma once
// The one reading of a command line every program and tool shares: long options as `--name value` or
// `--name=value`, `--help` (or `-h`) and `--version` always, the rest as operands in their order. Built on
// getopt_long, so options and operands may come in any order and `--` ends the options.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tonforge {

struct CommandOption {
  std::string_view name;  // without the dashes
  bool takesValue = false;
};

struct CommandLine {
  struct Given {
    std::string name, value;
  };
  std::vector<Given> options;  // in the order given; a repeated option appears each time
  std::vector<std::string> operands;
  bool help = false, version = false;
  std::string wrong;  // the first thing not understood, as a user reads it; empty when all was

  bool Has(std::string_view name) const;
  // The last value given for the option, if it was given.
  std::optional<std::string> Value(std::string_view name) const;
};

// `args` is the command line without the program's own name.
CommandLine ReadCommandLine(const std::vector<std::string>& args, std::span<const CommandOption> options);
CommandLine ReadCommandLine(int argc, char** argv, std::span<const CommandOption> options);

// A whole decimal number from `low` to `high`, nothing else in the text.
std::optional<int64_t> WholeNumber(std::string_view text, int64_t low, int64_t high);

// What a tool does before its own work: the usage on --help, "TOOL VERSION" on --version (exit 0), or the
// line saying what is wrong and the usage on standard error (exit 2). Nothing when the tool is to go on.
struct EarlyExit {
  int status = 0;
  std::string out, err;
};
std::optional<EarlyExit> AnswerEarly(const CommandLine& line, std::string_view tool, std::string_view usage);
// Writes an early answer where it belongs; the exit status, 1 when standard output could not be written.
int Finish(const EarlyExit& exit);

// A refusal found after reading, in the same words and with the same status as the reader's own.
EarlyExit Refuse(std::string_view tool, std::string_view what, std::string_view usage);

// The version all the programs share.
std::string_view TonforgeVersion();

}  // namespace tonforge
