#include "audio/wave_playback.h"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <span>
#include <string_view>

#include "audio/live_output.h"
#include "audio/output_rate.h"
#include "audio/playback.h"
#include "shell/bytes.h"
#include "shell/files.h"
#include "shell/folders.h"
#include "shell/show_error.h"
#include "shell/wave_file.h"

namespace tonforge {

namespace {

constexpr std::string_view kStereoRequired = "16-Bit Stereo PCM Waves Are Required";
constexpr std::string_view kRateRequired = "44100hz, 22050hz or 11025hz Sample Rate Required";

// Chunk identifiers are looked for in the first 1000 bytes of the file only. The fields of a chunk found near
// that limit lie a little beyond it, so a few more bytes are read.
constexpr std::size_t kHeaderScan = 1000;
constexpr std::size_t kHeaderBytes = 1024;

struct PlayableWave {
  int32_t sampleRate = 0;
  long dataStart = 0;      // file offset of the first sample
  uint32_t dataBytes = 0;  // as the data chunk states it; the file may hold fewer
};

// Checks the opening bytes of a file to be played; the message to show when it is refused.
std::optional<std::string_view> ReadPlaybackHeader(std::span<const uint8_t> header, PlayableWave& wave) {
  if (!IsWaveForm(header)) return kNotAWave;
  const auto scanned = header.first(std::min(header.size(), kHeaderScan));
  const auto fmt = FindChunk(scanned, "fmt ");
  if (!fmt) return kInvalidFile;
  const WaveFormat f = ReadWaveFormat(header, *fmt);
  if (f.formatTag != 1 || f.bitsPerSample != 16 || f.channels != 2) return kStereoRequired;
  if (!IsOutputRate(f.sampleRate)) return kRateRequired;
  const auto data = FindChunk(scanned, "data");
  if (!data) return kNoDataChunk;
  wave.sampleRate = static_cast<int32_t>(f.sampleRate);
  wave.dataStart = static_cast<long>(*data + kChunkHeader);
  wave.dataBytes = U32At(header, *data + 4).value_or(0);  // a size cut off by the end of the file: nothing to play
  return std::nullopt;
}

// Fills the StagingBlock with the next block of samples, silence after the last one, and returns the bytes of
// whole frames read. Fewer than a block means the data has ended: the chunk's stated size is reached, the file
// is shorter than the chunk claims, or it could not be read any further.
uint32_t ReadWaveBlock(WavePlaybackState& w, OutputRing& ring) {
  auto* bytes = reinterpret_cast<uint8_t*>(ring.staging.data());
  const uint32_t blockBytes = ring.BlockBytes();  // the live block size chosen at start-up
  const uint32_t wanted = std::min(blockBytes, w.remainingBytes);
  auto got = static_cast<uint32_t>(wanted > 0 && w.file ? std::fread(bytes, 1, wanted, w.file.get()) : 0);
  got -= got % kFrameBytes;  // a frame cut off by the end of the file is not played
  w.remainingBytes = got == wanted ? w.remainingBytes - got : 0;
  std::memset(bytes + got, 0, blockBytes - got);
  if constexpr (std::endian::native == std::endian::big) {
    for (int16_t& s : ring.staging) {
      const auto u = static_cast<uint16_t>(s);
      s = static_cast<int16_t>(static_cast<uint16_t>(u >> 8 | u << 8));
    }
  }
  return got;
}

}  // namespace

bool SelectWave(Studio& studio) {
  StopPlayback(studio);
  FileDialogRequest request;
  request.title = "Select Wave";
  request.startFolder = studio.folders.tracks;  // shared with the render's save dialog
  request.filters = WaveFileFilters();
  const auto path = studio.dialogs.OpenFile(request);
  if (!path) return false;
  RememberFolder(studio.folders, *path);
  StoreFolder(studio.folders, studio.folders.tracks);
  return StartWavePlayback(studio, *path);
}

bool StartWavePlayback(Studio& studio, const std::string& path) {
  StopPlayback(studio);
  FileFailure failure;
  const int fd = OpenRegularFile(path, failure);
  std::unique_ptr<std::FILE, FileCloser> file(fd >= 0 ? fdopen(fd, "rb") : nullptr);
  if (!file) {
    if (fd >= 0) close(fd);
    ShowError(studio.dialogs, FailureText(kInvalidFile, failure));
    return false;
  }
  // Blocks are read straight into the StagingBlock: the worker needs no buffer of its own.
  std::setvbuf(file.get(), nullptr, _IONBF, 0);
  std::array<uint8_t, kHeaderBytes> header{};
  const std::size_t got = std::fread(header.data(), 1, header.size(), file.get());
  if (got == 0) return false;
  PlayableWave wave;
  if (const auto refusal = ReadPlaybackHeader(std::span(header).first(got), wave)) {
    ShowError(studio.dialogs, *refusal);
    return false;
  }
  if (std::fseek(file.get(), wave.dataStart, SEEK_SET) != 0) return false;

  if (wave.sampleRate != studio.rate.sampleRate) SwitchOutputRate(studio, wave.sampleRate);
  WavePlaybackState& w = studio.wavePlayback;
  w.file = std::move(file);
  w.remainingBytes = wave.dataBytes - wave.dataBytes % kFrameBytes;
  studio.ring.blockPending = 0;
  studio.ring.writeBlock = 0;
  PlaybackState& p = studio.playback;
  p.playButtonPressed = 1;
  studio.changes.Report(Change::Transport);
  if (!StartWorker(studio, PlaybackMode::WaveFile, WavePlaybackThread)) {
    p.playButtonPressed = 0;
    w.file.reset();
    ShowError(studio.dialogs, "Could Not Start Playback");
    return false;
  }
  return true;
}

void WavePlaybackThread(Studio& studio) {
  PlaybackState& p = studio.playback;
  WavePlaybackState& w = studio.wavePlayback;
  p.workerRunning.store(1, std::memory_order_release);
  while (p.mode.load(std::memory_order_acquire) != PlaybackMode::Idle) {
    if (studio.ring.blockPending != 0) {
      if (!WritePendingBlock(studio)) WaitForPlayCursor();
      continue;
    }
    // Once a short block has been written the data has ended, and the next read finds nothing.
    if (ReadWaveBlock(w, studio.ring) == 0) break;
    WriteStagingBlock(studio);
  }
  // From here on the ring is the idle step's again: it may resume the live output as soon as the mode is 0.
  w.file.reset();
  p.playButtonPressed = 0;
  studio.changes.Report(Change::Transport);
  p.mode.store(PlaybackMode::Idle, std::memory_order_release);
  p.workerRunning.store(0, std::memory_order_release);
}

}  // namespace tonforge
