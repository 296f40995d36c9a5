#include "programs/wave_chunks.h"

#include <cstring>

#include "programs/file_bytes.h"

namespace tonforge {

namespace {

// Offsets of the "fmt " fields from the chunk data.
constexpr std::size_t kFmtTag = 0, kFmtChannels = 2, kFmtRate = 4, kFmtBits = 14;

}  // namespace

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

}  // namespace tonforge
