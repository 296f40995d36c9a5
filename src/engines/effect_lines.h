#pragma once
// What the filter, delay, chorus and reverb families share beyond the engine contract: taps that can never
// leave their line, modulator samples read safely, and the rule that keeps a NaN or an infinity arriving
// on the bus out of recursive state.
#include <algorithm>
#include <cstdint>

#include "engines/contract.h"

namespace tonforge {

// Building with TONFORGE_UNGUARDED_STATE drops the guard; only the benchmark uses that, to show its cost.
#ifdef TONFORGE_UNGUARDED_STATE
inline constexpr bool kGuardState = false;
#else
inline constexpr bool kGuardState = true;
#endif

// True when a value may not stay in recursive state. A non-finite sample is heard once and then replaced
// by silence, instead of sounding (or silencing the chain) for ever.
//
// The check costs one test per engine and sample: a routine sums what it stored (the sum is non-finite
// whenever one of its terms is) and only when that sum trips does a cold path look at each stored value.
inline bool Poisoned(float v) { return kGuardState && !IsFiniteSample(v); }

inline float KeepFinite(float v) { return Poisoned(v) ? 0.0f : v; }

// An engine whose buffers are missing passes the bus through instead of touching memory it does not have.
inline bool HasLines(const Engine& e) { return e.left && e.right && e.lineLength != 0; }

// A delay held in the record, limited to the line length so that a damaged record cannot send a read out
// of its line. A delay of the full line length reads the oldest sample of the line.
inline uint32_t HeldDelay(const Engine& e, int32_t samples) {
  return std::min(static_cast<uint32_t>(std::max(samples, 0)), e.lineLength);
}

// A delay computed from modulator data, truncated and limited to 0 .. line length - 1: a gain above 1 or
// out-of-range samples from a damaged file still read inside the line, and NaN reads at delay 0.
inline uint32_t ModulatedDelay(const Engine& e, float samples) {
  const uint32_t longest = e.lineLength - 1;
  if (!(samples >= 0.0f)) return 0;
  return samples < static_cast<float>(longest) ? static_cast<uint32_t>(samples) : longest;
}

inline float TapLeft(const Engine& e, int line, uint32_t delay) { return e.left[LineReadIndex(e, line, delay)]; }
inline float TapRight(const Engine& e, int line, uint32_t delay) { return e.right[LineReadIndex(e, line, delay)]; }

// Writes one sample into line `line` of both buffers and advances it. The routine guards what it wrote
// with GuardLines as its last step, where the check costs least.
inline void Push(Engine& e, int line, float left, float right) {
  WriteLine(e, e.left.get(), line, left);
  WriteLine(e, e.right.get(), line, right);
  AdvanceLine(e, line);
}

// Replaces a non-finite value among the samples last written to lines [first, first + count) by silence.
[[gnu::cold, gnu::noinline]] inline void ScrubLastWrites(Engine& e, int first, int count) {
  for (int line = first; line < first + count; ++line) {
    if (e.lineEnd[line] <= e.lineStart[line]) continue;  // a line the type does not lay out
    const uint32_t pos = e.linePosition[line];
    const uint32_t last = (pos == e.lineStart[line] ? e.lineEnd[line] : pos) - 1;
    e.left[last] = KeepFinite(e.left[last]);
    e.right[last] = KeepFinite(e.right[last]);
  }
}

// `stored` is the sum of every value this sample wrote to lines [first, first + count).
inline void GuardLines(Engine& e, float stored, int first, int count) {
  if (Poisoned(stored)) [[unlikely]]
    ScrubLastWrites(e, first, count);
}

inline bool Loaded(const DataSlot& slot) { return slot.loaded != 0 && slot.data && slot.length != 0; }

// The index of a loaded slot's current sample, or its length once it has run out (a position that is
// negative or not a number counts as run out).
inline uint32_t SlotIndex(const DataSlot& slot) { return PlayIndex(slot.playPosition, slot.length); }

// Whether a modulator slot has not ended; m is then its current sample times the gain.
inline bool SlotSample(const DataSlot& slot, float& m) {
  if (!Loaded(slot)) return false;
  const uint32_t i = SlotIndex(slot);
  if (i >= slot.length) return false;
  m = slot.data[i] * slot.gain;
  return true;
}

// The direct-form-I history of channel ch (0 left, 1 right) of a second-order section: y1 in W0/W1, y2 in
// W2/W3, x2 in W4/W5, x1 in W6/W7.
inline void ShiftHistory(Engine& e, int ch, float x, float y) {
  e.W[2 + ch] = e.W[ch];
  e.W[ch].f = y;
  e.W[4 + ch] = e.W[6 + ch];
  e.W[6 + ch].f = x;
}

// Clears the history of a channel that holds a non-finite value.
[[gnu::cold, gnu::noinline]] inline void ClearNonFiniteHistory(Engine& e) {
  for (int ch = 0; ch < 2; ++ch) {
    auto& W = e.W;
    if (Poisoned(W[ch].f) || Poisoned(W[2 + ch].f) || Poisoned(W[4 + ch].f) || Poisoned(W[6 + ch].f))
      W[ch].f = W[2 + ch].f = W[4 + ch].f = W[6 + ch].f = 0.0f;
  }
}

// `outputs` is the sum of the two channels' new outputs (non-finite whenever a new input was too).
inline void GuardHistory(Engine& e, float outputs) {
  if (Poisoned(outputs)) [[unlikely]]
    ClearNonFiniteHistory(e);
}

}  // namespace tonforge
