#pragma once
// Small RIFF WAVE files built in memory for the import and playback tests.
#include <cstdint>
#include <optional>
#include <vector>

namespace tonforge::testing {

struct SmplChunk { uint32_t size = 60; uint32_t unityNote = 60; uint32_t loopStart = 0; uint32_t loopEnd = 0; };

struct WaveLayout {
  uint16_t format = 1;
  uint16_t channels = 1;
  uint32_t rate = 44100;
  std::vector<int16_t> samples{0, 1, 2, 3};  // interleaved when there are two channels
  std::optional<SmplChunk> smpl = std::nullopt;
  bool withData = true;
  std::optional<uint32_t> statedDataBytes = std::nullopt;  // what the data chunk claims; its real size otherwise
};

inline void Put16(std::vector<uint8_t>& b, uint16_t v) { b.insert(b.end(), {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8)}); }
inline void Put32(std::vector<uint8_t>& b, uint32_t v) { Put16(b, static_cast<uint16_t>(v)), Put16(b, static_cast<uint16_t>(v >> 16)); }
// Byte by byte: gcc's overflow warning misreads a four-byte insert from a string literal.
inline void PutId(std::vector<uint8_t>& b, const char* id) { for (int k = 0; k < 4; ++k) b.push_back(static_cast<uint8_t>(id[k])); }

// A RIFF WAVE file of 16-bit samples: "fmt ", an optional "smpl" and the "data" chunk, in that order.
inline std::vector<uint8_t> MakeWave(const WaveLayout& w) {
  std::vector<uint8_t> b;
  PutId(b, "RIFF"), Put32(b, 0);  // the RIFF size is never consulted
  PutId(b, "WAVE");
  PutId(b, "fmt "), Put32(b, 16);
  Put16(b, w.format);
  Put16(b, w.channels);
  Put32(b, w.rate);
  Put32(b, w.rate * w.channels * 2);  // 16-bit samples
  Put16(b, static_cast<uint16_t>(w.channels * 2));
  Put16(b, 16);
  if (w.smpl) {
    const std::size_t start = b.size();
    PutId(b, "smpl"), Put32(b, w.smpl->size);
    b.resize(start + 20, 0), Put32(b, w.smpl->unityNote);
    b.resize(start + 52, 0), Put32(b, w.smpl->loopStart), Put32(b, w.smpl->loopEnd);
    b.resize(start + 8 + w.smpl->size, 0);
  }
  if (w.withData) {
    PutId(b, "data"), Put32(b, w.statedDataBytes.value_or(static_cast<uint32_t>(w.samples.size() * 2)));
    for (int16_t s : w.samples) Put16(b, static_cast<uint16_t>(s));
  }
  return b;
}

}  // namespace tonforge::testing
