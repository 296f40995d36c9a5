#pragma once
// The OutputRate switch: the render panel's and song panel's rate buttons, a loaded song's stored rate and
// a played wave file's rate all go through it.
#include <cstdint>

#include "audio/studio.h"

namespace tonforge {

// Switches to 11025, 22050 or 44100 Hz; any other value is ignored. Stops playback, clears the StagingBlock
// (a block rendered at the old rate is never written), recreates the device ring at the new rate when there is
// a device, recomputes the rate and beat figures from the song's tempo and ticks per beat, and reports the change
// of output. A device that cannot be reopened is reported and the figures are set all the same.
void SwitchOutputRate(Studio& studio, int32_t sampleRate);

}  // namespace tonforge
