#pragma once
// One engine over a run of frames. The block mix calls an engine once per stretch instead of once per
// frame: OverFrames<R> is instantiated in R's own source file, where R's body is in sight and is inlined
// into the loop, so the frames pay neither the type switch nor a call each.
#include <cstdint>

#include "engines/engine.h"

namespace tonforge {

using Routine = void (*)(Engine&, VoiceRef, int32_t, SampleContext&);

// Runs R on each of the n frames in place, with the same operations in the same order as n calls of R.
template <Routine R>
[[gnu::flatten]] void OverFrames(Engine& e, VoiceRef voice, int32_t pitch, MixBus* frames, uint32_t n,
                                 SampleContext& ctx) {
  // A context of the loop's own, which the compiler may keep in registers: the caller's could be reached
  // through any of the float pointers the routine writes through.
  SampleContext local = ctx;
  for (uint32_t f = 0; f < n; ++f) {
    local.bus = frames[f];
    R(e, voice, pitch, local);
    frames[f] = local.bus;
  }
  ctx = local;
}

// Declares, in a header, the instantiation that R's source file provides.
#define TONFORGE_OVER_FRAMES_DECLARED(R) \
  extern template void OverFrames<R>(Engine&, VoiceRef, int32_t, MixBus*, uint32_t, SampleContext&)

// Provides, in R's source file, the instantiation with R inlined.
#define TONFORGE_OVER_FRAMES(R) template void OverFrames<R>(Engine&, VoiceRef, int32_t, MixBus*, uint32_t, SampleContext&)

}  // namespace tonforge
