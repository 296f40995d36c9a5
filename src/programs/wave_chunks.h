#pragma once
// The RIFF WAVE reading shared by the import into DataSlots and by wave file playback. Chunks are found by
// scanning byte by byte for their four-character identifier rather than by walking the chunk list, and only the
// "WAVE" form type at offset 8 is checked. A chunk's u32 size follows its identifier; its data begins 8 bytes
// after the identifier. All values are little-endian.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "devices/dialogs.h"

namespace tonforge {

inline constexpr std::string_view kNotAWave = "Not A Wave File";
inline constexpr std::string_view kNoDataChunk = "Could Not Find Data Chunk";

inline constexpr std::size_t kChunkHeader = 8;  // identifier and u32 size

// The fields of a "fmt " chunk that decide whether a file can be used.
struct WaveFormat {
  uint16_t formatTag = 0;  // 1 for PCM
  uint16_t channels = 0;
  uint32_t sampleRate = 0;
  uint16_t bitsPerSample = 0;
};

// The filters of every dialog that asks for a WAV file.
std::vector<FileFilter> WaveFileFilters();

// At least 12 bytes with "WAVE" at offset 8.
bool IsWaveForm(std::span<const uint8_t> bytes);
// The first occurrence of a four-character chunk identifier, scanning byte by byte from `from`.
std::optional<std::size_t> FindChunk(std::span<const uint8_t> bytes, std::string_view id, std::size_t from = 0);
// The format of the "fmt " chunk whose identifier is at `fmt`. Fields the bytes do not hold read as zero, which
// no usable format has.
WaveFormat ReadWaveFormat(std::span<const uint8_t> bytes, std::size_t fmt);

}  // namespace tonforge
