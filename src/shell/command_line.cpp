#include "shell/command_line.h"

#include <getopt.h>

#include <charconv>
#include <cstdio>
#include <mutex>

#ifndef TONFORGE_VERSION
#error "TONFORGE_VERSION comes from the build"
#endif

namespace tonforge {

namespace {

// Above every character, so that getopt's optopt tells a short option from one of ours.
constexpr int kHelp = 1000, kVersion = 1001, kFirstOption = 1002;

// getopt_long keeps its place in globals; two readings at once would trip over each other.
std::mutex readingLock;

}  // namespace

bool CommandLine::Has(std::string_view name) const {
  for (const Given& g : options)
    if (g.name == name) return true;
  return false;
}

std::optional<std::string> CommandLine::Value(std::string_view name) const {
  std::optional<std::string> value;
  for (const Given& g : options)
    if (g.name == name) value = g.value;
  return value;
}

CommandLine ReadCommandLine(const std::vector<std::string>& args, std::span<const CommandOption> options) {
  std::vector<std::string> names;
  names.reserve(options.size());
  std::vector<option> table;
  table.push_back({"help", no_argument, nullptr, kHelp});
  table.push_back({"version", no_argument, nullptr, kVersion});
  for (const CommandOption& o : options) names.emplace_back(o.name);
  for (size_t i = 0; i < options.size(); ++i)
    table.push_back({names[i].c_str(), options[i].takesValue ? required_argument : no_argument, nullptr,
                     kFirstOption + static_cast<int>(i)});
  table.push_back({nullptr, 0, nullptr, 0});

  std::vector<std::string> words;
  words.reserve(args.size() + 1);
  words.emplace_back("tonforge");
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);

  CommandLine line;
  const std::lock_guard<std::mutex> hold(readingLock);
  optind = 0;  // 0, not 1: getopt starts afresh, forgetting the last reading
  opterr = 0;
  const int argc = static_cast<int>(words.size());
  // The long name of one of our options by its getopt value.
  auto longName = [&names](int val) {
    if (val == kHelp) return std::string("--help");
    if (val == kVersion) return std::string("--version");
    return "--" + names[static_cast<size_t>(val - kFirstOption)];
  };
  for (;;) {
    const int c = getopt_long(argc, argv.data(), ":h", table.data(), nullptr);
    if (c == -1) break;
    if (c == kHelp || c == 'h') {
      line.help = true;
    } else if (c == kVersion) {
      line.version = true;
    } else if (c == ':' || c == '?') {
      std::string what;
      if (c == ':') what = longName(optopt) + " needs a value";
      else if (optopt >= kHelp) what = longName(optopt) + " takes no value";
      else if (optopt != 0) what = std::string("unknown option -") + static_cast<char>(optopt);
      else what = "unknown option " + std::string(argv[static_cast<size_t>(optind - 1)]);
      if (line.wrong.empty()) line.wrong = what.substr(0, what.find('='));
    } else {
      line.options.push_back({names[static_cast<size_t>(c - kFirstOption)], optarg != nullptr ? optarg : ""});
    }
  }
  // getopt_long has moved the operands behind the options, keeping their order.
  for (int i = optind; i < argc; ++i) line.operands.emplace_back(argv[static_cast<size_t>(i)]);
  return line;
}

CommandLine ReadCommandLine(int argc, char** argv, std::span<const CommandOption> options) {
  return ReadCommandLine(std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc), options);
}

std::optional<int64_t> WholeNumber(std::string_view text, int64_t low, int64_t high) {
  int64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  if (value < low || value > high) return std::nullopt;
  return value;
}

EarlyExit Refuse(std::string_view tool, std::string_view what, std::string_view usage) {
  EarlyExit e;
  e.status = 2;
  e.err = std::string(tool) + ": " + std::string(what) + "\n" + std::string(usage);
  return e;
}

std::optional<EarlyExit> AnswerEarly(const CommandLine& line, std::string_view tool, std::string_view usage) {
  if (!line.wrong.empty()) return Refuse(tool, line.wrong, usage);
  EarlyExit e;
  if (line.help) e.out = std::string(usage);
  else if (line.version) e.out = std::string(tool) + " " + std::string(TonforgeVersion()) + "\n";
  else return std::nullopt;
  return e;
}

int Finish(const EarlyExit& exit) {
  std::fputs(exit.err.c_str(), stderr);
  std::fputs(exit.out.c_str(), stdout);
  return std::fflush(stdout) == 0 ? exit.status : 1;
}

std::string_view TonforgeVersion() { return TONFORGE_VERSION; }

}  // namespace tonforge
