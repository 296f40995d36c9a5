#pragma once
// The 16-bit stereo PCM WAV file the offline render streams into. The two sizes in the header hold four
// spaces until the file is finished, so a file cut short by a crash is recognisably unfinished.
#include <array>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

namespace tonforge {

inline constexpr uint32_t kWaveHeaderBytes = 44;
inline constexpr uint32_t kRenderBufferValues = 16384;  // i16 values, 32768 bytes per write

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

struct WaveWriter {
  std::unique_ptr<std::FILE, FileCloser> file;
  std::array<int16_t, kRenderBufferValues> buffer{};  // interleaved left, right
  uint32_t fill = 0;        // values in buffer, always even
  uint32_t dataBytes = 0;   // sample bytes written to the file so far
  bool failed = false;      // a write went wrong; the file is not to be trusted
  int systemError = 0;      // the system's error number when creating or writing failed, 0 when it gave none
};

// Creates (or replaces) the file and writes the header with both sizes as four spaces. False when the file
// cannot be created or the header cannot be written; nothing is left open then.
bool CreateWaveFile(WaveWriter& wave, const std::string& path, int32_t sampleRate);

// Buffers one frame and writes the buffer when it is full. False once any write has failed.
bool AppendWaveFrame(WaveWriter& wave, int16_t left, int16_t right);

// Writes what is buffered, the trailing zero byte and the two sizes, and closes the file. False when any write
// of this file failed (including earlier ones); the file is closed either way.
bool FinishWaveFile(WaveWriter& wave);

bool IsWaveFileOpen(const WaveWriter& wave);

}  // namespace tonforge
