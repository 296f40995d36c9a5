#pragma once
// The live output: what the keyboard plays, through the current track's chain and the song chain, rendered a
// block (4096 frames, or fewer for a lower latency) at a time on the main thread and written two blocks ahead of
// the device's play cursor.
// The song playback thread writes the ring with the same block discipline.
#include <cstdint>

#include "audio/voice.h"
#include "song/voice_loading.h"
#include "shell/devices/sound_device.h"
#include "audio/studio.h"

namespace tonforge {

// The ring block to write next: two blocks ahead of the one being played.
inline uint32_t TargetBlock(uint32_t playCursor, uint32_t blockBytes = kBlockBytes) {
  return (playCursor / blockBytes + 2) % kRingBlocks;
}

// Writes the StagingBlock at the target block unless the device has not moved on since the last write; then
// the block is left pending and false is returned.
bool WriteStagingBlock(Studio& studio);
// Writes a pending StagingBlock once the device has moved on; true when it was written.
bool WritePendingBlock(Studio& studio);

enum class LiveOutputStep {
  Polled,    // a block is pending and the device has not moved on: nothing to do yet
  Wrote,     // the pending block was written
  Rendered,  // a new block was rendered (and written, or left pending)
};

// Renders the StagingBlock frame by frame from the live mix.
template <class Routines>
void RenderLiveBlockWith(Studio& studio, Routines& run) {
  SampleContext ctx = MakeSampleContext(studio);
  for (uint32_t f = 0; f < studio.ring.blockFrames; ++f) {
    const Frame16 frame = MixLiveSampleWith(studio, ctx, run);
    studio.ring.staging[2 * f] = frame.left;
    studio.ring.staging[2 * f + 1] = frame.right;
  }
}

// The live part of the idle step (only while no worker owns the sound): hands a pending block to the ring, or
// renders the next one. At most one block is rendered per call.
template <class Routines>
LiveOutputStep ServeLiveOutputWith(Studio& studio, Routines& run) {
  if (studio.ring.blockPending != 0 && studio.live.noteStarted == 0)
    return WritePendingBlock(studio) ? LiveOutputStep::Wrote : LiveOutputStep::Polled;
  studio.live.noteStarted = 0;
  RenderLiveBlockWith(studio, run);
  WriteStagingBlock(studio);
  return LiveOutputStep::Rendered;
}

LiveOutputStep ServeLiveOutput(Studio& studio);

// Opens the mix buffer at the rate, playing the ring in a loop; shows the error and returns false on failure.
bool CreateMixBuffer(Studio& studio, int32_t sampleRate);

}  // namespace tonforge
