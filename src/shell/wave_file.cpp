#include "shell/wave_file.h"

#include <cerrno>
#include <cstring>
#include <limits>

#include "shell/devices/sound_device.h"
#include "shell/bytes.h"

namespace tonforge {

namespace {

// Offsets of the "fmt " fields from the chunk data.
constexpr std::size_t kFmtTag = 0, kFmtChannels = 2, kFmtRate = 4, kFmtBits = 14;

}  // namespace

// Reading.

std::vector<FileFilter> WaveFileFilters() { return {{"Wave Files (*.wav)", "*.wav"}, {"All Files (*.*)", "*.*"}}; }

bool IsWaveForm(std::span<const uint8_t> bytes) {
  return bytes.size() >= 12 && std::memcmp(bytes.data() + 8, "WAVE", 4) == 0;
}

std::optional<std::size_t> FindChunk(std::span<const uint8_t> bytes, std::string_view id, std::size_t from) {
  if (bytes.size() < 4) return std::nullopt;
  for (std::size_t i = from; i + 4 <= bytes.size(); ++i) {
    if (std::memcmp(bytes.data() + i, id.data(), 4) == 0) return i;
  }
  return std::nullopt;
}

WaveFormat ReadWaveFormat(std::span<const uint8_t> bytes, std::size_t fmt) {
  const std::size_t data = fmt + kChunkHeader;
  WaveFormat f;
  f.formatTag = U16At(bytes, data + kFmtTag).value_or(0);
  f.channels = U16At(bytes, data + kFmtChannels).value_or(0);
  f.sampleRate = U32At(bytes, data + kFmtRate).value_or(0);
  f.bitsPerSample = U16At(bytes, data + kFmtBits).value_or(0);
  return f;
}

// Writing.

namespace {

constexpr uint32_t kRiffSizeOffset = 4;
constexpr uint32_t kDataSizeOffset = 40;
// The RIFF size counts everything after its own field, the trailing zero byte included.
constexpr uint32_t kRiffOverhead = 37;
constexpr uint32_t kUnfinishedSize = 0x20202020;  // "    "

bool WriteBytes(WaveWriter& w, const void* data, size_t bytes) {
  if (!w.file.IsOpen() || w.failed) return false;
  if (!w.file.Write(data, bytes)) w.failed = true;
  return !w.failed;
}

// The sample data must stay addressable by the 32-bit sizes of the header.
bool RoomFor(const WaveWriter& w, uint32_t bytes) {
  return static_cast<uint64_t>(w.dataBytes) + bytes + kRiffOverhead <= std::numeric_limits<uint32_t>::max();
}

bool FlushBuffer(WaveWriter& w) {
  const uint32_t bytes = w.fill * 2;
  if (bytes == 0) return !w.failed;
  if (!RoomFor(w, bytes)) w.failed = !w.file.Fail(EFBIG);
  uint8_t raw[kRenderBufferValues * 2];
  for (uint32_t i = 0; i < w.fill; ++i) PutU16(raw + 2 * i, static_cast<uint16_t>(w.buffer[i]));
  if (WriteBytes(w, raw, bytes)) w.dataBytes += bytes;
  w.fill = 0;
  return !w.failed;
}

bool PatchU32(WaveWriter& w, uint32_t offset, uint32_t value) {
  uint8_t raw[4];
  PutU32(raw, value);
  if (!w.failed && !w.file.WriteAt(offset, raw, 4)) w.failed = true;
  return !w.failed;
}

}  // namespace

bool CreateWaveFile(WaveWriter& w, const std::string& path, int32_t sampleRate) {
  w.fill = 0;
  w.dataBytes = 0;
  w.failed = false;
  // Every 32768-byte piece goes straight to the file, so a full disk shows at the write that hit it.
  if (!w.file.Begin(path)) return false;
  const PcmFormat f = OutputFormat(sampleRate);
  uint8_t h[kWaveHeaderBytes];
  std::memcpy(h, "RIFF", 4);
  PutU32(h + 4, kUnfinishedSize);
  std::memcpy(h + 8, "WAVEfmt ", 8);
  PutU32(h + 16, 16);
  PutU16(h + 20, f.formatTag);
  PutU16(h + 22, f.channels);
  PutU32(h + 24, f.samplesPerSecond);
  PutU32(h + 28, f.averageBytesPerSecond);
  PutU16(h + 32, f.blockAlign);
  PutU16(h + 34, f.bitsPerSample);
  std::memcpy(h + 36, "data", 4);
  PutU32(h + 40, kUnfinishedSize);
  if (!WriteBytes(w, h, sizeof h)) {
    w.file.Abandon();
    return false;
  }
  return true;
}

bool AppendWaveFrame(WaveWriter& w, int16_t left, int16_t right) {
  w.buffer[w.fill] = left;
  w.buffer[w.fill + 1] = right;
  w.fill += 2;
  if (w.fill == kRenderBufferValues) return FlushBuffer(w);
  return !w.failed;
}

bool FinishWaveFile(WaveWriter& w) {
  if (!w.file.IsOpen()) return false;
  FlushBuffer(w);
  const uint8_t zero = 0;
  WriteBytes(w, &zero, 1);
  PatchU32(w, kRiffSizeOffset, w.dataBytes + kRiffOverhead);
  PatchU32(w, kDataSizeOffset, w.dataBytes);
  if (w.failed) {
    w.file.Abandon();
    return false;
  }
  if (!w.file.Commit()) w.failed = true;
  return !w.failed;
}

bool IsWaveFileOpen(const WaveWriter& w) { return w.file.IsOpen(); }

}  // namespace tonforge
