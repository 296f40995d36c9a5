#pragma once
// The reference song of the render benches: every track plays a note on every beat through one of four programs
// (an Up Saw, a Pulse Wave, a Sine Wave and an Up Saw again), each through a Low Pass Filter swept by one
// modulator and a Chorus moved by two, into a Basic Delay on the track; the song chain holds a Stereo Reverb XY.
#include <cstdint>
#include <memory>

#include "audio/studio.h"
#include "shell/devices/dialogs.h"

namespace tonforge::bench {

inline constexpr int32_t kReferenceBeats = 2000;
inline constexpr int32_t kReferenceTicksPerBeat = 48;

// The song with `trackCount` tracks besides the song track, prepared to start; withEnd puts an End after the
// last beat, for a song that is to be rendered or played to its end rather than looped by a bench.
std::unique_ptr<Studio> ReferenceSong(Dialogs& dialogs, int32_t trackCount, bool withEnd = false);

}  // namespace tonforge::bench
