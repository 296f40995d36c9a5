// tonforge-render: renders a song file, or one note of a program file, to a WAV file without a display or a
// sound card. Exit status 0 on success, 1 when the synthesizer refused (its message is on standard error),
// 2 for arguments it does not understand (after a line that says what is wrong, and the usage).
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "audio/output_rate.h"
#include "audio/render.h"
#include "programs/program_file.h"
#include "sequencer/song.h"
#include "sequencer/song_file.h"
#include "audio/studio.h"
#include "shell/command_line.h"
#include "shell/files.h"

namespace {

using namespace tonforge;

constexpr char kUsage[] =
    "usage: tonforge-render [OPTIONS] SONG OUT.wav\n"
    "       tonforge-render --program PROGRAM.tep --pitch CENTS --frames N [OPTIONS] OUT.wav\n"
    "Renders a song file to its End, or one note of a program file, into a 16-bit stereo WAV file.\n"
    "  --rate R         output rate 44100, 22050 or 11025 (default: the song's own rate)\n"
    "  --quality        the interpolating engine routines of the high-quality render\n"
    "  --from TICK      start at this tick, 0 to 99999, as from the EditCursor (song only)\n"
    "  --threads N      threads that share the mix, 1 to 64 (default: one per core); the bytes are the same\n"
    "  --program FILE   render one note of this program file instead of a song\n"
    "  --pitch CENTS    the note's pitch in cents, 2450 = middle C (with --program)\n"
    "  --frames N       how many frames to render (with --program)\n"
    "  --help           print this help and exit\n"
    "  --version        print the version and exit\n";

constexpr int32_t kMostThreads = 64;

// Every box the synthesizer would show becomes one line on standard error; nobody answers questions. The
// messages about a file name it, and the system's reason when it gave one.
class ConsoleDialogs : public Dialogs {
public:
  void ShowMessage(std::string_view, std::string_view text, BoxIcon) override {
    std::string line(text);
    if (const auto second = line.find('\n'); second != std::string::npos) line.replace(second, 1, ": ");
    else if (text == "Invalid File" && !input.empty()) line += ": " + input;
    std::fprintf(stderr, "%s\n", line.c_str());
  }
  bool AskYesNo(std::string_view, std::string_view) override { return false; }
  std::optional<std::string> OpenFile(const FileDialogRequest&) override { return std::nullopt; }
  std::optional<std::string> SaveFile(const FileDialogRequest&) override { return std::nullopt; }

  std::string input;               // the song or program being read
};

struct Arguments {
  std::optional<int32_t> rate;
  bool quality = false;
  int32_t from = 0;
  int32_t threads = 0;
  std::optional<std::string> program;
  std::optional<int32_t> pitch;
  std::optional<uint64_t> frames;
  std::vector<std::string> files;
};

constexpr CommandOption kOptions[] = {{"rate", true},    {"quality", false}, {"from", true},  {"threads", true},
                                   {"program", true}, {"pitch", true},    {"frames", true}};

// The arguments, or what is wrong with them.
struct Parsed {
  Arguments arguments;
  std::string wrong;
};

Parsed Parse(const CommandLine& line) {
  Parsed p;
  Arguments& a = p.arguments;
  auto wrong = [&p](std::string what) {
    if (p.wrong.empty()) p.wrong = std::move(what);
  };
  a.files = line.operands;
  a.quality = line.Has("quality");
  if (const auto rate = line.Value("rate")) {
    a.rate = static_cast<int32_t>(WholeNumber(*rate, 0, 1 << 30).value_or(0));
    if (!IsOutputRate(*a.rate)) wrong("--rate must be 44100, 22050 or 11025");
  }
  if (const auto from = line.Value("from")) {
    const auto tick = WholeNumber(*from, 0, kMaxTick);
    if (!tick) wrong("--from needs a tick from 0 to 99999");
    a.from = static_cast<int32_t>(tick.value_or(0));
  }
  if (const auto threads = line.Value("threads")) {
    const auto n = WholeNumber(*threads, 1, kMostThreads);
    if (!n) wrong("--threads needs a number from 1 to 64");
    a.threads = static_cast<int32_t>(n.value_or(0));
  }
  if ((a.program = line.Value("program")) && a.program->empty()) wrong("--program needs a program file");
  if (const auto pitch = line.Value("pitch")) {
    if (const auto cents = WholeNumber(*pitch, INT32_MIN, INT32_MAX)) a.pitch = static_cast<int32_t>(*cents);
    else wrong("--pitch needs a pitch in cents");
  }
  if (const auto frames = line.Value("frames")) {
    if (const auto n = WholeNumber(*frames, 0, INT64_MAX)) a.frames = static_cast<uint64_t>(*n);
    else wrong("--frames needs a number of frames");
  }
  if (!p.wrong.empty()) return p;
  const size_t wanted = a.program ? 1 : 2;
  if (a.program && !a.pitch) wrong("--program needs --pitch");
  if (a.program && !a.frames) wrong("--program needs --frames");
  if (a.program && line.Has("from")) wrong("--from is for songs, not --program");
  if (!a.program && a.pitch) wrong("--pitch is for --program");
  if (!a.program && a.frames) wrong("--frames is for --program");
  if (a.files.empty() && !a.program) wrong("missing SONG and OUT.wav");
  if (a.files.size() + 1 == wanted) wrong("missing OUT.wav");
  if (a.files.size() > wanted) wrong("too many files: " + a.files[wanted]);
  return p;
}

// Why a file cannot be read, or nothing when it can.
std::optional<std::string> CannotRead(const std::string& path) {
  FileFailure failure;
  const int fd = OpenRegularFile(path, failure);
  if (fd < 0) return failure.reason;
  close(fd);
  return std::nullopt;
}

// A bar on standard error, redrawn only when the percentage moves.
class ProgressBar {
public:
  ProgressBar() : shown_(isatty(STDERR_FILENO) != 0) {}
  void Show(int64_t percent) {
    if (!shown_ || percent == last_) return;
    last_ = percent;
    const int filled = static_cast<int>(std::clamp<int64_t>(percent, 0, 100) * kWidth / 100);
    std::fprintf(stderr, "\r[%.*s%*s] %3d%%", filled, kBar, kWidth - filled, "", static_cast<int>(percent));
    std::fflush(stderr);
  }
  void Close() {
    if (shown_ && last_ >= 0) std::fprintf(stderr, "\n");
  }

private:
  static constexpr int kWidth = 40;
  static constexpr char kBar[] = "########################################";
  bool shown_;
  int64_t last_ = -1;
};

int Render(Studio& app, ConsoleDialogs& dialogs, const Arguments& a) {
  const std::string& input = a.program ? *a.program : a.files[0];
  if (const auto reason = CannotRead(input)) {
    std::fprintf(stderr, "Cannot Open %s: %s\n", input.c_str(), reason->c_str());
    return 1;
  }
  dialogs.input = input;
  if (a.program) {
    if (!LoadProgramFileNew(app, *a.program)) return 1;
    Track* track = InsertTrack(app);
    if (track == nullptr || !AppendEvent(app, *track, {0, static_cast<int32_t>(EventType::NoteOn), *a.pitch, 0})) return 1;
  } else {
    FileFailure failure;
    switch (LoadSongFileAsNamed(app, input, &failure)) {
      case SongFileResult::Done:
        break;
      case SongFileResult::CannotOpen:
        std::fprintf(stderr, "Cannot Open %s: %s\n", input.c_str(), failure.reason.c_str());
        return 1;
      case SongFileResult::Invalid:
      case SongFileResult::Failed:
        return 1;
    }
    app.editCursor = a.from;
  }
  if (a.rate) SwitchOutputRate(app, *a.rate);
  app.render.quality = a.quality ? 1 : 0;
  app.mixer.threads = a.threads;

  ProgressBar bar;
  const RenderBeatHook onBeat = [&bar](int64_t percent) { bar.Show(percent); };
  const std::string& out = a.files.back();
  const RenderResult result =
      a.program ? RenderFramesToFile(app, out, *a.frames, onBeat) : RenderSongToFile(app, out, onBeat);
  bar.Close();
  if (result != RenderResult::Done) return 1;
  ShowRenderStatistics(app);
  for (int line = 0; line < 3; ++line) std::printf("%s\n", app.render.text.LineText(line).c_str());
  return std::fflush(stdout) == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  const CommandLine line = ReadCommandLine(argc, argv, kOptions);
  if (const auto early = AnswerEarly(line, "tonforge-render", kUsage)) return Finish(*early);
  const Parsed parsed = Parse(line);
  if (!parsed.wrong.empty()) return Finish(Refuse("tonforge-render", parsed.wrong, kUsage));
  ConsoleDialogs dialogs;
  tonforge::Studio app(dialogs);
  std::error_code ec;
  tonforge::StartCore(app, std::filesystem::current_path(ec).string());
  tonforge::NewSong(app);
  return Render(app, dialogs, parsed.arguments);
}
