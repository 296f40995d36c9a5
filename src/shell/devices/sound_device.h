#pragma once
// The seam between the core and the sound card: a looping ring of eight blocks of 16-bit stereo frames that
// the device plays from a moving play cursor. The core only ever writes whole blocks into it. A block is 4096
// frames (131072-byte ring) unless a lower latency was chosen at start-up.
#include <cstdint>

namespace tonforge {

inline constexpr uint32_t kRingBytes = 131072;
inline constexpr uint32_t kRingBlocks = 8;
inline constexpr uint32_t kBlockFrames = 4096;
inline constexpr uint32_t kBlockBytes = kRingBytes / kRingBlocks;  // 16384: 4096 frames of 2 x i16
inline constexpr uint32_t kFrameBytes = 4;

// The block sizes the live output can run at: the latency a player feels is two to three blocks.
inline constexpr uint32_t kLiveBlockFrames[] = {256, 512, 1024, 2048, 4096};

constexpr bool IsLiveBlockFrames(uint32_t frames) {
  for (uint32_t f : kLiveBlockFrames)
    if (f == frames) return true;
  return false;
}
constexpr uint32_t RingBytesFor(uint32_t blockFrames) { return kRingBlocks * blockFrames * kFrameBytes; }

// A 16-bit stereo PCM format: the device buffers and rendered WAV files use the one for the OutputRate.
struct PcmFormat {
  uint16_t formatTag = 1;
  uint16_t channels = 2;
  uint32_t samplesPerSecond = 44100;
  uint32_t averageBytesPerSecond = 176400;
  uint16_t blockAlign = 4;
  uint16_t bitsPerSample = 16;
};

inline PcmFormat OutputFormat(int32_t sampleRate) {
  PcmFormat f;
  f.samplesPerSecond = static_cast<uint32_t>(sampleRate);
  f.averageBytesPerSecond = f.samplesPerSecond * f.blockAlign;
  return f;
}

class SoundDevice {
public:
  virtual ~SoundDevice() = default;
  // The byte offset in the ring that the device is playing, 0 up to the ring's size. Any thread may ask.
  virtual uint32_t PlayCursor() = 0;
  // Copies bytes into the ring at offset (offset + bytes never passes the end). False when the ring could not
  // be written; the block is then simply lost.
  virtual bool WriteBlock(uint32_t offset, const int16_t* samples, uint32_t bytes) = 0;
  // Closes the device and opens it again at sampleRate, playing the ring in a loop from position 0.
  virtual bool Recreate(int32_t sampleRate) = 0;
};

}  // namespace tonforge
