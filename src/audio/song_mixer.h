#pragma once
// How the song mix is run, and what it keeps for running it: the channels' frames of the current stretch
// and the helper threads. Lives in the Studio; sized at every playback or render start.
#include <cstdint>
#include <vector>

#include "audio/mix_workers.h"
#include "engines/context.h"

namespace tonforge {

enum class MixMethod {
  Frame,  // every frame walks every channel and then the song chain
  Block,  // between two ticks every channel runs over the whole stretch, then the song chain frame by frame
  Lanes,  // as Block, with channels whose chains hold the same types run side by side in vector lanes
};

// One piece of work of a stretch: `count` channels listed from laneOrder[first], run in `width` lanes, or one
// channel on its own (width 0).
struct MixItem {
  int32_t first = 0;
  int16_t count = 1;
  int16_t width = 0;
};

// The longest stretch mixed at once. A tick at 44100 Hz, 120 beats per minute and 48 ticks per beat lasts
// 460 frames, so one stretch usually covers a whole tick; slower tempos cut theirs into pieces.
inline constexpr uint32_t kMaxStretch = 512;

// A stretch whose channels are mixed and whose song chain is still to run (see MixStretchAheadWith): the
// set of channel frames that holds it, and what its chain reads that the ticks after it may change.
struct HeldStretch {
  uint32_t frames = 0;  // 0: none is held
  uint32_t frameSet = 0;
  float gain = 0.0f;    // the song level times the song volume
  OutputRate rate;
};

struct SongMixer {
  MixMethod method = MixMethod::Lanes;
  int32_t threads = 0;  // threads that share the channels, the calling one included; 0: one per core
  // The song holds an engine that changes the tempo every frame (and so where the next tick falls and what
  // every channel's tempo-bound engines read): the mix then runs frame by frame.
  bool tempoMoves = false;
  // Two sets of kMaxStretch frames per channel, channel after channel: the channels of a stretch are mixed
  // into one set while the song chain of the stretch before reads the other.
  std::vector<MixBus> channelFrames;
  uint32_t frameSet = 0;  // the set the channels are mixed into
  HeldStretch held;
  int32_t widestLanes = 8;            // the widest lanes to use (4 runs the SSE2 code on any processor)
  int32_t laneWidth = 4;              // the widest lanes used: the processor's, at most widestLanes
  std::vector<int32_t> laneOrder;     // the channels of the items of the current stretch
  std::vector<MixItem> items;         // the pieces of work of the current stretch, sized at the start
  std::vector<int32_t> laneLeads;     // the first channel of each group
  std::vector<int32_t> laneGroup;     // each channel's group (its first channel), -1 for none
  MixWorkers workers;
};

}  // namespace tonforge
