// The live output's figures at every block size, on the sound device SDL gives (set SDL_AUDIODRIVER, e.g.
// dummy or disk, where there is no sound card). Run in the program folder:
//   build/tonforge-latency [--latency FRAMES] [SONG.tes] [SECONDS]
// For each block size: how far ahead of the play cursor a fresh block is written (what a key press waits
// before it is heard, plus the device's own buffer), the blocks the device played stale (underruns) while the
// song plays with notes played along, how long those notes wait to be heard, and the processor time of the
// live output with a note held.
#include <sys/resource.h>

#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "audio/live_output.h"
#include "audio/output_rate.h"
#include "audio/playback.h"
#include "platform/sdl/sdl_sound_device.h"
#include "sequencer/play_along.h"
#include "sequencer/song.h"
#include "sequencer/song_file.h"
#include "shell/command_line.h"

namespace {

using namespace tonforge;
using Clock = std::chrono::steady_clock;

constexpr char kUsage[] =
    "usage: tonforge-latency [--latency FRAMES] [SONG.tes] [SECONDS]\n"
    "Measures the live output at every block size on the sound device SDL gives (SDL_AUDIODRIVER=dummy where\n"
    "there is no sound card), run in the program folder: how long a key waits to be heard, the underruns while\n"
    "the song plays and the processor time.\n"
    "  SONG.tes   the song played (default: Songs/Demo.tes)\n"
    "  SECONDS    how long each measurement runs, 1 to 3600 (default: 5)\n"
    "  --latency FRAMES  measure only this block: 256, 512, 1024, 2048 or 4096 frames (default: every one)\n"
    "  --help     print this help and exit\n"
    "  --version  print the version and exit\n";

class QuietDialogs : public Dialogs {
public:
  void ShowMessage(std::string_view caption, std::string_view text, BoxIcon) override {
    std::fprintf(stderr, "%.*s: %.*s\n", int(caption.size()), caption.data(), int(text.size()), text.data());
  }
  bool AskYesNo(std::string_view, std::string_view) override { return true; }
  std::optional<std::string> OpenFile(const FileDialogRequest&) override { return std::nullopt; }
  std::optional<std::string> SaveFile(const FileDialogRequest&) override { return std::nullopt; }
};

// Passes every write on to the device, noting how far ahead of the cursor it lands and the blocks it skipped:
// a skipped block is one the device played again from the lap before.
class MeasuringDevice : public SoundDevice {
public:
  MeasuringDevice(SoundDevice& device, uint32_t blockBytes) : device_(device), blockBytes_(blockBytes) {}
  uint32_t PlayCursor() override { return device_.PlayCursor(); }
  bool WriteBlock(uint32_t offset, const int16_t* samples, uint32_t bytes) override {
    const uint32_t ring = kRingBlocks * blockBytes_;
    const uint32_t ahead = (offset + ring - device_.PlayCursor()) % ring;
    std::lock_guard<std::mutex> hold(lock);  // the song worker writes while the main thread reads
    aheadFrames.push_back(ahead / kFrameBytes);
    writtenAt.push_back(Clock::now());
    const uint32_t block = offset / blockBytes_;
    if (last_ >= 0) skipped += (block + kRingBlocks - static_cast<uint32_t>(last_) - 1) % kRingBlocks;
    last_ = static_cast<int32_t>(block);
    return device_.WriteBlock(offset, samples, bytes);
  }
  bool Recreate(int32_t rate) override { return device_.Recreate(rate); }
  size_t Written() {
    std::lock_guard<std::mutex> hold(lock);
    return aheadFrames.size();
  }
  // The frames from `pressed` until write `index` is heard: until it was written, plus its distance ahead.
  std::optional<uint32_t> HeardAfter(size_t index, Clock::time_point pressed) {
    std::lock_guard<std::mutex> hold(lock);
    if (index >= aheadFrames.size()) return std::nullopt;
    const double waited = std::chrono::duration<double>(writtenAt[index] - pressed).count();
    return aheadFrames[index] + static_cast<uint32_t>(std::max(waited, 0.0) * 44100.0);
  }
  void Reset() {
    writtenAt.clear();
    aheadFrames.clear();
    skipped = 0;
    last_ = -1;
  }

  std::mutex lock;
  std::vector<uint32_t> aheadFrames;
  std::vector<Clock::time_point> writtenAt;
  uint32_t skipped = 0;

private:
  SoundDevice& device_;
  uint32_t blockBytes_;
  int32_t last_ = -1;
};

double CpuSeconds() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// The idle step's live part for a while, as the main loop runs it: serve, then wait up to 1 ms. With
// `keyToSound`, a key goes down at odd moments (every 20 to 60 ms) and the frames until the device plays the
// note are noted: the time until the first block written after it (the one that carries the note) went out,
// plus that block's distance ahead of the play cursor.
void ServeFor(Studio& app, MeasuringDevice& device, double seconds, std::vector<uint32_t>* keyToSound) {
  const auto end = Clock::now() + std::chrono::duration<double>(seconds);
  uint32_t random = 12345;
  auto nextKey = Clock::now();
  std::optional<size_t> waitingFor;
  Clock::time_point pressed;
  while (Clock::now() < end) {
    if (keyToSound != nullptr && !waitingFor && Clock::now() >= nextKey) {
      pressed = Clock::now();
      StartLiveNote(app, 2450, app.song.currentProgram);
      waitingFor = device.aheadFrames.size();
      random = random * 1103515245u + 12345u;
      nextKey = Clock::now() + std::chrono::microseconds(20000 + (random >> 8) % 40000);
    }
    ServeLiveOutput(app);
    if (waitingFor && device.aheadFrames.size() > *waitingFor) {
      const double waited = std::chrono::duration<double>(Clock::now() - pressed).count();
      keyToSound->push_back(device.aheadFrames[*waitingFor] + static_cast<uint32_t>(waited * 44100.0));
      waitingFor.reset();
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

// The song from the start on the playback thread while notes are played along: a key goes down at odd moments
// (every 20 to 60 ms) and up 150 ms later. The worker takes a note just before it renders a block, when every
// block before has been written, so the note sounds in the block whose index is the count of writes at the
// moment the queue is seen empty. Returns the frames from each key to its sound.
std::vector<uint32_t> PlayAlongFor(Studio& app, MeasuringDevice& device, double seconds) {
  std::vector<uint32_t> keyToSound;
  const auto end = Clock::now() + std::chrono::duration<double>(seconds);
  uint32_t random = 12345;
  int32_t key = 0;
  auto nextKey = Clock::now();
  std::vector<std::pair<int32_t, Clock::time_point>> held;
  while (Clock::now() < end && app.playback.songEndReached.load() == 0) {
    const auto now = Clock::now();
    for (auto it = held.begin(); it != held.end();)
      if (now - it->second > std::chrono::milliseconds(150)) {
        ReleasePlayAlongNote(app, it->first);
        it = held.erase(it);
      } else {
        ++it;
      }
    if (now >= nextKey) {
      key = (key + 1) % 16;
      PlayAlongNote(app, 2050 + 100 * key, key);
      held.emplace_back(key, now);
      while (!app.playback.played.Empty() && app.playback.mode.load() != PlaybackMode::Idle) std::this_thread::yield();
      const size_t index = device.Written();
      std::optional<uint32_t> frames;
      while (!(frames = device.HeardAfter(index, now)) && Clock::now() < end)
        std::this_thread::sleep_for(std::chrono::microseconds(200));
      if (frames) keyToSound.push_back(*frames);
      random = random * 1103515245u + 12345u;
      nextKey = now + std::chrono::microseconds(20000 + (random >> 8) % 40000);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return keyToSound;
}

struct Spread {
  double lo = 0, hi = 0, mean = 0;  // milliseconds
};

Spread MillisecondsOf(const std::vector<uint32_t>& frames) {
  if (frames.empty()) return {};
  const auto [lo, hi] = std::minmax_element(frames.begin(), frames.end());
  double sum = 0;
  for (uint32_t f : frames) sum += f;
  return {1000.0 * *lo / 44100.0, 1000.0 * *hi / 44100.0, 1000.0 * sum / double(frames.size()) / 44100.0};
}

}  // namespace

int main(int argc, char** argv) {
  static constexpr CommandOption kOptions[] = {{"latency", true}};
  const CommandLine line = ReadCommandLine(argc, argv, kOptions);
  if (const auto early = AnswerEarly(line, "tonforge-latency", kUsage)) return Finish(*early);
  std::vector<uint32_t> blocks(std::begin(kLiveBlockFrames), std::end(kLiveBlockFrames));
  if (const auto latency = line.Value("latency")) {
    const auto frames = WholeNumber(*latency, 0, kLiveBlockFrames[std::size(kLiveBlockFrames) - 1]);
    if (!frames || !IsLiveBlockFrames(static_cast<uint32_t>(*frames)))
      return Finish(Refuse("tonforge-latency",
                           "--latency takes 256, 512, 1024, 2048 or 4096 frames, not \"" + *latency + "\"", kUsage));
    blocks = {static_cast<uint32_t>(*frames)};
  }
  if (line.operands.size() > 2) return Finish(Refuse("tonforge-latency", "too many arguments: " + line.operands[2], kUsage));
  const std::string songPath = !line.operands.empty() ? line.operands[0] : "Songs/Demo.tes";
  const auto wholeSeconds = line.operands.size() > 1 ? WholeNumber(line.operands[1], 1, 3600) : 5;
  if (!wholeSeconds) return Finish(Refuse("tonforge-latency", "SECONDS must be a whole number from 1 to 3600", kUsage));
  const double seconds = static_cast<double>(*wholeSeconds);
  std::printf("audio driver: %s\n", SDL_getenv("SDL_AUDIODRIVER") ? SDL_getenv("SDL_AUDIODRIVER") : "(default)");
  std::printf("%6s %7s %22s %26s %11s %4s %9s %28s\n", "block", "device", "key to sound (frames)",
              "key to sound (ms) (+device)", "song under", "live", "live CPU", "along key to sound (ms)");
  for (const uint32_t frames : blocks) {
    QuietDialogs dialogs;
    auto app = std::make_unique<Studio>(dialogs);
    std::error_code ec;
    StartCore(*app, std::filesystem::current_path(ec).string());
    NewSong(*app);
    SetOutputRate(app->rate, 44100, 120.0f, app->song.ticksPerBeat);
    if (LoadSongFile(*app, songPath) != SongFileResult::Done) {
      std::fprintf(stderr, "cannot load %s\n", songPath.c_str());
      return 1;
    }
    std::string reason;
    std::unique_ptr<SdlSoundDevice> device = SdlSoundDevice::Open(44100, reason, frames);
    if (!device) {
      std::fprintf(stderr, "no sound device: %s\n", reason.c_str());
      return 1;
    }
    app->ring.blockFrames = frames;
    MeasuringDevice measuring(*device, frames * kFrameBytes);
    app->sound = &measuring;

    // A note held on the current program: the distance of each fresh block, and the processor time.
    StartLiveNote(*app, 2450, app->song.currentProgram);
    ServeFor(*app, measuring, 0.5, nullptr);
    measuring.Reset();
    const double cpu0 = CpuSeconds();
    const auto wall0 = Clock::now();
    ServeFor(*app, measuring, seconds, nullptr);
    const double cpu = (CpuSeconds() - cpu0) / std::chrono::duration<double>(Clock::now() - wall0).count();
    const uint32_t liveSkipped = measuring.skipped;
    std::vector<uint32_t> ahead;
    ServeFor(*app, measuring, seconds, &ahead);
    const auto [lo, hi] = std::minmax_element(ahead.begin(), ahead.end());
    double mean = 0;
    for (uint32_t a : ahead) mean += a;
    mean /= double(std::max<size_t>(ahead.size(), 1));

    // The song from the start on the playback thread, with notes played along on the current program.
    SilenceLiveVoices(*app);
    measuring.Reset();
    StartSongPlayback(*app);
    const Spread along = MillisecondsOf(PlayAlongFor(*app, measuring, seconds));
    StopPlayback(*app);
    const auto songBlocks = static_cast<uint32_t>(measuring.aheadFrames.size());
    const double added = 1000.0 * device->DeviceBufferFrames() / 44100.0;
    std::printf("%6u %7u %6u..%-6u mean %6.0f %6.1f..%-5.1f (+%4.1f) %5u/%-5u %4u %8.1f%% %7.1f..%-6.1f mean %6.1f\n",
                frames, device->DeviceBufferFrames(), *lo, *hi, mean, 1000.0 * *lo / 44100.0, 1000.0 * *hi / 44100.0,
                added, measuring.skipped, songBlocks, liveSkipped, 100.0 * cpu, along.lo, along.hi, along.mean);
    app->sound = nullptr;
  }
  return 0;
}
