#pragma once
// The RIFF WAVE file: the chunk reading of the import of 44100 Hz 16-bit mono files into DataSlots (every other
// sound file is read through shell/sound_file.h), and the 16-bit stereo PCM file the offline render streams into.
//
// Reading: chunks are found by scanning byte by byte for their four-character identifier rather than by walking
// the chunk list, and only the "WAVE" form type at offset 8 is checked. A chunk's u32 size follows its
// identifier; its data begins 8 bytes after the identifier. All values are little-endian.
//
// Writing: the file is streamed into a temporary file that replaces the target only when it is finished, so a
// failed render leaves the old file at that path as it was. The two sizes in the header hold four spaces until
// the file is finished.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "shell/devices/dialogs.h"
#include "shell/files.h"

namespace tonforge {

inline constexpr std::string_view kNotAWave = "Not A Wave File";
inline constexpr std::string_view kNoDataChunk = "Could Not Find Data Chunk";
inline constexpr std::string_view kWaveCreateFailed = "Could Not Create Wave File";
inline constexpr std::string_view kWaveWriteFailed = "Could Not Write Wave File";

inline constexpr std::size_t kChunkHeader = 8;  // identifier and u32 size

// The fields of a "fmt " chunk that decide whether a file can be used.
struct WaveFormat {
  uint16_t formatTag = 0;  // 1 for PCM
  uint16_t channels = 0;
  uint32_t sampleRate = 0;
  uint16_t bitsPerSample = 0;
};

// The filters of the dialog that names a WAV file to render into.
std::vector<FileFilter> WaveFileFilters();

// At least 12 bytes with "WAVE" at offset 8.
bool IsWaveForm(std::span<const uint8_t> bytes);
// The first occurrence of a four-character chunk identifier, scanning byte by byte from `from`.
std::optional<std::size_t> FindChunk(std::span<const uint8_t> bytes, std::string_view id, std::size_t from = 0);
// The format of the "fmt " chunk whose identifier is at `fmt`. Fields the bytes do not hold read as zero, which
// no usable format has.
WaveFormat ReadWaveFormat(std::span<const uint8_t> bytes, std::size_t fmt);

inline constexpr uint32_t kWaveHeaderBytes = 44;
inline constexpr uint32_t kRenderBufferValues = 16384;  // i16 values, 32768 bytes per write

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

struct WaveWriter {
  SafeWriter file;
  std::array<int16_t, kRenderBufferValues> buffer{};  // interleaved left, right
  uint32_t fill = 0;        // values in buffer, always even
  uint32_t dataBytes = 0;   // sample bytes written to the file so far
  bool failed = false;      // a write went wrong; the file is not to be trusted
};

// Starts the file and writes the header with both sizes as four spaces. False when the file cannot be created
// or the header cannot be written; nothing is left open then, and file.Failure() says why.
bool CreateWaveFile(WaveWriter& wave, const std::string& path, int32_t sampleRate);

// Buffers one frame and writes the buffer when it is full. False once any write has failed.
bool AppendWaveFrame(WaveWriter& wave, int16_t left, int16_t right);

// Writes what is buffered, the trailing zero byte and the two sizes, and puts the file in place of the target.
// False when any write of this file failed (including earlier ones): the target is then as it was before.
bool FinishWaveFile(WaveWriter& wave);

bool IsWaveFileOpen(const WaveWriter& wave);

}  // namespace tonforge
