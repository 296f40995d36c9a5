#pragma once
// The playing state of the sound side: the output ring, the
// offline render and the wave file being played. Lives in Studio; only the thread that owns the sound (PlaybackMode) touches it.
#include <array>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>

#include "shell/devices/sound_device.h"
#include "shell/sound_file.h"
#include "shell/wave_file.h"
#include "song/song_records.h"

namespace tonforge {

// The StagingBlock and the bookkeeping of the block-ahead writes into the device ring.
struct OutputRing {
  // Frames per block, chosen once at start-up (the latency option) before the device opens; the ring holds
  // eight such blocks. The offline render does not use the ring.
  uint32_t blockFrames = kBlockFrames;
  std::array<int16_t, kBlockFrames * 2> staging{};  // left, right; the first blockFrames frames are used
  uint32_t writeBlock = 0;                           // ring block written last
  uint32_t blockPending = 0;                         // staging holds a block not yet written

  uint32_t BlockBytes() const { return blockFrames * kFrameBytes; }
};

// The render panel's three text lines. The render thread rewrites them once per beat while the main thread
// draws them, so they are exchanged under a lock (never on the per-sample path).
class RenderPanelText {
public:
  using Line = std::array<char, 64>;
  // printf-style into line 0..2.
  void Format(int line, const char* format, ...) __attribute__((format(printf, 3, 4)));
  std::array<Line, 3> Lines() const;
  std::string LineText(int line) const;

private:
  mutable std::mutex lock_;
  std::array<Line, 3> lines_{};
};

struct RenderState {
  WaveWriter wave;
  int32_t endTick = -1;
  std::atomic<uint32_t> samplesRendered{0};  // 2 per frame
  std::atomic<uint32_t> samplesClipped{0};
  int64_t startTimeMs = 0;
  uint32_t quality = 0;    // RenderQuality: 1 renders with the interpolating engine routines
  std::string fileName;    // the chosen path, with its .wav extension
  RenderPanelText text;
};

// The sound file being played. Select Wave opens it; from then on the worker alone reads it and closes it when
// it ends.
struct WavePlaybackState {
  std::unique_ptr<SoundStream> stream;
};

// What the notes played along with a song sound through: a copy of the current track's chain, with delay lines
// and a random sequence of its own, so that the song's chains and everything a render of the song computes stay
// untouched.
struct PlayAlongChain {
  std::array<Engine, kChainLength> chain{};
  PositionBuffers buffers;                      // the copies' delay lines, kept from one playback to the next
  std::array<uint32_t, kChainLength> bufferLength{};
  const Track* track = nullptr;                 // whose level and pan it follows (tracks outlive a worker)
  bool global = false;                          // the chain is the song chain: no track level, as live
  uint32_t random = 0;
};

// Two chains, so that the main thread can copy a newly chosen track's chain while the worker plays through the
// other; it hands the new one over on the played-notes queue and touches the old one again only once the
// worker has said (inUse, released after its last use) that it has taken the new one.
struct PlayAlongState {
  std::array<PlayAlongChain, 2> chains;
  uint32_t playing = 0;                // worker: the chain the notes sound through
  std::atomic<uint32_t> inUse{0};      // worker to main: the chain the worker has taken last
  uint32_t requested = 0;              // main: the chain handed over last
  bool sounding = false;               // worker: a note was played along since Play, so the chain runs
};

}  // namespace tonforge
