#pragma once
// Rules shared by many engine types: parameter conversions, slot stepping, modulator sums, the wet/dry mix,
// pitch lookup and delay-line addressing.
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "engines/engine.h"

namespace tonforge {

// The integer the user set, recovered from its stored fraction.
inline int32_t ParameterInteger(float fraction) {
  const float t = fraction * 100.0f;
  return static_cast<int32_t>(fraction >= 0.0f ? t + 0.002f : t - 0.002f);
}

// Milliseconds held as a fraction (ms / 100) to samples at the output rate.
inline int32_t MsToSamples(float fraction, const OutputRate& rate) {
  return static_cast<int32_t>(rate.rateHz * fraction * 0.1f);
}

inline constexpr int32_t kMaxTickDelay = 44100;

// Ticks held as a fraction (ticks / 100) to samples, capped at 44100.
inline int32_t TicksToSamples(float fraction, const OutputRate& rate) {
  const auto samples = static_cast<int64_t>(rate.samplesPerTick * fraction * 100.0f);
  return static_cast<int32_t>(std::min<int64_t>(samples, kMaxTickDelay));
}

inline int32_t ClampPitch(int32_t pitch) { return std::clamp(pitch, 0, kHighestPitch); }

// The step of a modulator slot per output sample.
inline float SlotStep(const DataSlot& slot, const OutputRate& rate) {
  return slot.tempoSync != 0 ? slot.rootOrRate.f / rate.samplesPerBeat : rate.rateFactor * slot.rootOrRate.f;
}

// Moves a play position back to the loop start once it reaches the loop end (the overshoot is dropped).
inline void WrapLoop(const DataSlot& slot, float& position) {
  if (slot.looped != 0 && position >= static_cast<float>(slot.loopEnd)) position = static_cast<float>(slot.loopStart);
}

inline void AdvanceSlot(DataSlot& slot, const OutputRate& rate) {
  slot.playPosition += SlotStep(slot, rate);
  WrapLoop(slot, slot.playPosition);
}

// The index of the sample at play position p in data `length` long, or `length` once it has run out (a
// position that is negative or not a number counts as run out).
inline uint32_t PlayIndex(float p, uint32_t length) {
  return p >= 0.0f && p < static_cast<float>(length) ? static_cast<uint32_t>(p) : length;
}

// The sample of modulator data at `position` times the gain; advance(position) steps it unless it has run out
// (then the last sample is held).
template <class Advance>
inline float ModulatorValue(const float* data, uint32_t length, float gain, float& position, Advance advance) {
  if (!(position >= 0.0f)) position = 0.0f;  // a damaged record's position restarts the slot
  const uint32_t i = PlayIndex(position, length);
  if (i < length) {
    const float v = data[i] * gain;
    advance(position);
    return v;
  }
  return data[length - 1] * gain;
}

// The current value of a modulator slot times its gain, stepping it.
inline float ReadModulator(DataSlot& slot, const OutputRate& rate) {
  return ModulatorValue(slot.data.get(), slot.length, slot.gain, slot.playPosition,
                        [&slot, &rate](float&) { AdvanceSlot(slot, rate); });
}

// base plus every loaded modulator slot.
inline float ModulatorSum(Engine& engine, float base, const OutputRate& rate) {
  float v = base;
  for (uint32_t s = 0; s < engine.loadedSlotCount && s < kDataSlotCount; ++s) {
    DataSlot& slot = engine.slots[s];
    if (slot.length == 0 || !slot.data) continue;
    v += ReadModulator(slot, rate);
  }
  return v;
}

// bus = result * F[k] + input * C[k], each shared value read once.
inline void WetDryMix(MixBus& bus, const MixBus& input, const Engine& engine, int k) {
  const float wet = engine.F[k], dry = engine.C[k];
  bus.left = bus.left * wet + input.left * dry;
  bus.right = bus.right * wet + input.right * dry;
}

// Delay lines: line i of a buffer holds [start, end); reading at delay d looks d samples behind the write
// position, wrapping into the line.
inline uint32_t LineReadIndex(const Engine& engine, int line, uint32_t delay) {
  const uint32_t start = engine.lineStart[line];
  const uint32_t pos = engine.linePosition[line];
  return pos >= start + delay ? pos - delay : pos + engine.lineLength - delay;
}

inline float ReadLine(const Engine& engine, const float* buffer, int line, uint32_t delay) {
  return buffer[LineReadIndex(engine, line, delay)];
}

inline void WriteLine(const Engine& engine, float* buffer, int line, float value) {
  buffer[engine.linePosition[line]] = value;
}

inline void AdvanceLine(Engine& engine, int line) {
  if (++engine.linePosition[line] >= engine.lineEnd[line]) engine.linePosition[line] = engine.lineStart[line];
}

// A value that can no longer be heard sensibly: recursive state holding it is reset to silence.
inline bool IsFiniteSample(float v) { return std::isfinite(v); }

}  // namespace tonforge
