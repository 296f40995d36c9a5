// tonforge-make-assets APP_FOLDER: writes the factory content of the program folder (the modulator library,
// the drum samples, the program bank with its track chains and the demo song) with the synthesizer's own
// records and file writers, so it always matches the file formats. Every sample is computed; nothing is
// recorded, and every run writes the same bytes.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>

#include "assets.h"
#include "shell/command_line.h"
#include "shell/files.h"
#include "sequencer/song.h"
#include "sequencer/song_file.h"
#include "shell/random.h"

namespace tonforge::assets {

float NoiseAt(uint32_t& state) {
  state = RandomStep(state);
  return static_cast<float>(state >> 8) / 8388608.0f - 1.0f;
}

float HashedUnit(uint32_t seed, uint32_t index) {
  uint32_t state = seed * 2654435761u ^ (index + 1) * 40503u;
  for (int i = 0; i < 3; ++i) state = RandomStep(state);
  return NoiseAt(state);
}

namespace {
void Put16(std::vector<uint8_t>& b, uint32_t v) { b.insert(b.end(), {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8)}); }
void Put32(std::vector<uint8_t>& b, uint32_t v) { Put16(b, v & 0xFFFFu), Put16(b, v >> 16); }
void PutId(std::vector<uint8_t>& b, const char* id) {
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(id[i]));
}
}  // namespace

std::vector<uint8_t> EncodeMonoWave(std::span<const float> samples, std::optional<std::pair<uint32_t, uint32_t>> loop) {
  constexpr uint32_t kFmtSize = 16, kSmplSize = 60;
  const auto dataSize = static_cast<uint32_t>(samples.size() * 2);
  std::vector<uint8_t> b;
  b.reserve(12 + 8 + kFmtSize + 8 + dataSize + 8 + kSmplSize);
  PutId(b, "RIFF");
  Put32(b, 4 + 8 + kFmtSize + 8 + dataSize + (loop ? 8 + kSmplSize : 0));
  PutId(b, "WAVE");
  PutId(b, "fmt ");
  Put32(b, kFmtSize);
  Put16(b, 1);  // PCM
  Put16(b, 1);  // mono
  Put32(b, 44100);
  Put32(b, 44100 * 2);
  Put16(b, 2);
  Put16(b, 16);
  PutId(b, "data");
  Put32(b, dataSize);
  for (float v : samples) {
    const float scaled = std::clamp(v, -1.0f, 1.0f) * (v < 0.0f ? 32768.0f : 32767.0f);
    Put16(b, static_cast<uint16_t>(static_cast<int16_t>(std::lround(std::clamp(scaled, -32768.0f, 32767.0f)))));
  }
  if (loop) {
    PutId(b, "smpl");
    Put32(b, kSmplSize);
    for (uint32_t v : {0u, 0u, 22676u, 60u, 0u, 0u, 0u, 1u, 0u})  // sample period in ns, unity note 60, one loop
      Put32(b, v);
    for (uint32_t v : {0u, 0u, loop->first, loop->second, 0u, 0u}) Put32(b, v);
  }
  return b;
}

bool WriteFileBytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
  if (ReplaceFile(path.string(), bytes)) return true;
  std::fprintf(stderr, "Could Not Save File %s\n", path.string().c_str());
  return false;
}

void CopyName(std::span<char> field, std::string_view name) {
  std::fill(field.begin(), field.end(), '\0');
  std::copy_n(name.data(), std::min(name.size(), field.size() - 1), field.begin());
}

namespace {

class SilentDialogs : public Dialogs {
public:
  void ShowMessage(std::string_view, std::string_view text, BoxIcon) override {
    std::fprintf(stderr, "%.*s\n", static_cast<int>(text.size()), text.data());
    failed = true;
  }
  bool AskYesNo(std::string_view, std::string_view) override { return false; }
  std::optional<std::string> OpenFile(const FileDialogRequest&) override { return std::nullopt; }
  std::optional<std::string> SaveFile(const FileDialogRequest&) override { return std::nullopt; }
  bool failed = false;
};

}  // namespace
}  // namespace tonforge::assets

constexpr char kUsage[] =
    "usage: tonforge-make-assets PROGRAM_FOLDER\n"
    "Writes the factory content into the folder: the modulator library (Modulators/), the drum samples\n"
    "(Waves/), the program bank and track chains (Programs/) and the demo song (Songs/Demo.tes).\n"
    "  --help     print this help and exit\n"
    "  --version  print the version and exit\n";

int main(int argc, char** argv) {
  using namespace tonforge;
  using namespace tonforge::assets;
  const CommandLine line = ReadCommandLine(argc, argv, {});
  if (const auto early = AnswerEarly(line, "tonforge-make-assets", kUsage)) return Finish(*early);
  if (line.operands.size() != 1)
    return Finish(Refuse("tonforge-make-assets", line.operands.empty() ? "missing PROGRAM_FOLDER" : "too many folders",
                         kUsage));
  const std::filesystem::path app(line.operands[0]);
  std::error_code ec;
  for (const char* folder : {"Modulators", "Waves", "Songs", "Programs"})
    std::filesystem::create_directories(app / folder, ec);

  SilentDialogs dialogs;
  Studio state(dialogs);
  StartCore(state, app.string());
  state.random.general = 2024;  // the same seeds, so the same files, on every run
  NewSong(state);

  bool written = WriteModulatorLibrary(app / "Modulators");
  written = WriteDrumSamples(app / "Waves") && written;
  written = WriteBank(state, app / "Programs") && written;
  WriteDemoSong(state);
  written = SaveSongFile(state, (app / "Songs" / "Demo.tes").string()) == SongFileResult::Done && written;
  return written && !dialogs.failed ? 0 : 1;
}
