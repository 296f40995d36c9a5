// tonforge-render: renders a song file, or one note of a program file, to a WAV file without a display or a
// sound card. Exit status 0 on success, 1 when the synthesizer refused (its message is on standard error),
// 2 for arguments it does not understand.
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdio>
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

namespace {

using namespace tonforge;

constexpr char kUsage[] =
    "usage: tonforge-render [--rate 44100|22050|11025] [--quality] [--from TICK] SONG.tes OUT.wav\n"
    "       tonforge-render --program PROGRAM.tep --pitch CENTS --frames N [--rate R] [--quality] OUT.wav\n";

// Every box the synthesizer would show becomes one line on standard error; nobody answers questions.
class ConsoleDialogs : public Dialogs {
public:
  void ShowMessage(std::string_view, std::string_view text, BoxIcon) override {
    std::fprintf(stderr, "%.*s\n", static_cast<int>(text.size()), text.data());
  }
  bool AskYesNo(std::string_view, std::string_view) override { return false; }
  std::optional<std::string> OpenFile(const FileDialogRequest&) override { return std::nullopt; }
  std::optional<std::string> SaveFile(const FileDialogRequest&) override { return std::nullopt; }
};

struct Arguments {
  std::optional<int32_t> rate;
  bool quality = false;
  int32_t from = 0;
  std::optional<std::string> program;
  std::optional<int32_t> pitch;
  std::optional<uint64_t> frames;
  std::vector<std::string> files;
  bool sawFrom = false;
};

template <typename T>
std::optional<T> Number(std::string_view text) {
  T value{};
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::optional<Arguments> Parse(int argc, char** argv) {
  Arguments a;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    const bool takesValue = arg == "--rate" || arg == "--from" || arg == "--program" || arg == "--pitch" || arg == "--frames";
    if (takesValue && i + 1 >= argc) return std::nullopt;
    const std::string_view value = takesValue ? argv[++i] : std::string_view();
    if (arg == "--quality") {
      a.quality = true;
    } else if (arg == "--rate") {
      a.rate = Number<int32_t>(value);
      if (!a.rate || (*a.rate != 44100 && *a.rate != 22050 && *a.rate != 11025)) return std::nullopt;
    } else if (arg == "--from") {
      const auto tick = Number<int32_t>(value);
      if (!tick || *tick < 0 || *tick > kMaxTick) return std::nullopt;
      a.from = *tick;
      a.sawFrom = true;
    } else if (arg == "--program") {
      if (value.empty()) return std::nullopt;
      a.program = std::string(value);
    } else if (arg == "--pitch") {
      if (!(a.pitch = Number<int32_t>(value))) return std::nullopt;
    } else if (arg == "--frames") {
      if (!(a.frames = Number<uint64_t>(value))) return std::nullopt;
    } else if (arg.size() > 1 && arg[0] == '-') {
      return std::nullopt;
    } else {
      a.files.emplace_back(arg);
    }
  }
  const bool programMode = a.program.has_value();
  if (programMode && (!a.pitch || !a.frames || a.sawFrom || a.files.size() != 1)) return std::nullopt;
  if (!programMode && (a.pitch || a.frames || a.files.size() != 2)) return std::nullopt;
  return a;
}

bool Readable(const std::string& path) {
  std::error_code ec;
  return std::ifstream(path, std::ios::binary).good() && !std::filesystem::is_directory(path, ec);
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

int Render(Studio& app, const Arguments& a) {
  if (a.program) {
    if (!Readable(*a.program)) {
      std::fprintf(stderr, "Cannot Open %s\n", a.program->c_str());
      return 1;
    }
    if (!LoadProgramFileNew(app, *a.program)) return 1;
    Track* track = InsertTrack(app);
    if (track == nullptr || !AppendEvent(app, *track, {0, static_cast<int32_t>(EventType::NoteOn), *a.pitch, 0})) return 1;
  } else {
    switch (LoadSongFile(app, a.files[0])) {
      case SongFileResult::Done:
        break;
      case SongFileResult::CannotOpen:
        std::fprintf(stderr, "Cannot Open %s\n", a.files[0].c_str());
        return 1;
      case SongFileResult::Invalid:
      case SongFileResult::Failed:
        return 1;
    }
    app.editCursor = a.from;
  }
  if (a.rate) SwitchOutputRate(app, *a.rate);
  app.render.quality = a.quality ? 1 : 0;

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
  const std::optional<Arguments> arguments = Parse(argc, argv);
  if (!arguments) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  ConsoleDialogs dialogs;
  tonforge::Studio app(dialogs);
  std::error_code ec;
  tonforge::StartCore(app, std::filesystem::current_path(ec).string());
  tonforge::NewSong(app);
  return Render(app, *arguments);
}
