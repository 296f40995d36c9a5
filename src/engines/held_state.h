#pragma once
// Engine state copied into locals for a run of frames. The routines that weigh most in a song's mix work on
// these: a local stays in a register, where a field of the Engine record has to be written back and read
// again on every frame, since any store through a sample pointer might reach it. Each holder gives the
// values the record's own helpers give, and Store puts what moved back into the record.
#include <algorithm>
#include <array>
#include <cstdint>

#include "engines/effect_lines.h"

namespace tonforge {

// The wet/dry mix of parameter k: result × F[k] + input × C[k].
struct Blend {
  Blend(const Engine& e, int k) : wet(e.F[k]), dry(e.C[k]) {}
  MixBus operator()(MixBus result, MixBus input) const {
    return {result.left * wet + input.left * dry, result.right * wet + input.right * dry};
  }
  float wet, dry;
};

// The direct-form-I history of a stereo second-order section, as ShiftHistory keeps it in W0..W7: y1, y2,
// x2 and x1 of each channel.
struct HeldHistory {
  explicit HeldHistory(const Engine& e) {
    for (int ch = 0; ch < 2; ++ch) {
      y1[ch] = e.W[ch].f;
      y2[ch] = e.W[2 + ch].f;
      x2[ch] = e.W[4 + ch].f;
      x1[ch] = e.W[6 + ch].f;
    }
  }
  void Shift(int ch, float x, float y) {
    y2[ch] = y1[ch], y1[ch] = y, x2[ch] = x1[ch], x1[ch] = x;
  }
  // ClearNonFiniteHistory: a channel holding a non-finite value starts again from silence.
  void ClearNonFinite() {
    for (int ch = 0; ch < 2; ++ch)
      if (Poisoned(y1[ch]) || Poisoned(y2[ch]) || Poisoned(x2[ch]) || Poisoned(x1[ch]))
        y1[ch] = y2[ch] = x2[ch] = x1[ch] = 0.0f;
  }
  void Store(Engine& e) const {
    for (int ch = 0; ch < 2; ++ch) {
      e.W[ch].f = y1[ch];
      e.W[2 + ch].f = y2[ch];
      e.W[4 + ch].f = x2[ch];
      e.W[6 + ch].f = x1[ch];
    }
  }
  float y1[2], y2[2], x2[2], x1[2];
};

// Line `line` of an engine's two buffers.
struct HeldLine {
  HeldLine(const Engine& e, int line)
      : left(e.left.get()),
        right(e.right.get()),
        start(e.lineStart[line]),
        end(e.lineEnd[line]),
        length(e.lineLength),
        position(e.linePosition[line]),
        index(line) {}

  uint32_t ReadIndex(uint32_t delay) const {
    return position >= start + delay ? position - delay : position + length - delay;
  }
  float TapLeft(uint32_t delay) const { return left[ReadIndex(delay)]; }
  float TapRight(uint32_t delay) const { return right[ReadIndex(delay)]; }

  // Writes one sample into both buffers and advances.
  void Push(float l, float r) {
    left[position] = l;
    right[position] = r;
    if (++position >= end) position = start;
  }

  // Runs without feedback. Over m frames read at a delay of at least m samples, no read reaches a sample the
  // run writes, so the m reads may all come first and the m writes after them, each a copy of contiguous
  // samples. Reach is the longest such run (a delay of 0 reads the oldest sample, as the full length does); a
  // line a damaged record lays out otherwise goes frame by frame.
  uint32_t Reach(uint32_t delay) const {
    if (end - start != length || position < start || position >= end) return 1;
    return delay == 0 ? length : delay;
  }
  // Where the next m frames read at `delay`: `first` samples from index `at` on, the rest from the start.
  struct Span {
    uint32_t at, first;
  };
  Span ReadSpan(uint32_t delay, uint32_t m) const {
    const uint32_t at = ReadIndex(delay);
    return {at, std::min(m, end - at)};
  }
  // The samples of the next m frames written from the write position on; Skip(m) then moves past them.
  void WriteRun(float* buffer, const float* values, uint32_t m) const {
    const uint32_t first = std::min(m, end - position);
    float* const at = buffer + position;
    float* const wrapped = buffer + start - first;
    for (uint32_t f = 0; f < first; ++f) at[f] = values[f];
    for (uint32_t f = first; f < m; ++f) wrapped[f] = values[f];
  }
  void Skip(uint32_t m) {
    position += m;
    if (position >= end) position = m == 1 ? start : position - length;
  }
  // Where frame f of the run that ended at the write position wrote (f < m <= the line length).
  uint32_t RunIndex(uint32_t m, uint32_t f) const {
    const uint32_t back = m - f;
    return position >= start + back ? position - back : end - (start + back - position);
  }
  // ScrubLast for the sample at index i.
  [[gnu::cold, gnu::noinline]] void ScrubAt(uint32_t i) {
    if (end <= start) return;
    left[i] = KeepFinite(left[i]);
    right[i] = KeepFinite(right[i]);
  }

  // GuardLines for this line alone: `stored` is the sum of what the frame wrote.
  void Guard(float stored) {
    if (Poisoned(stored)) [[unlikely]]
      ScrubLast();
  }
  // ScrubLastWrites for this line: the sample behind the write position, if not finite, becomes silence.
  [[gnu::cold, gnu::noinline]] void ScrubLast() {
    if (end <= start) return;
    const uint32_t last = (position == start ? end : position) - 1;
    left[last] = KeepFinite(left[last]);
    right[last] = KeepFinite(right[last]);
  }

  void Store(Engine& e) const { e.linePosition[index] = position; }

  float* left;
  float* right;
  uint32_t start, end, length, position;
  int index;
};

// A modulator slot read as SlotSample and AdvanceSlot read it: silent once it has ended. The step of a slot
// that will not move is left alone: an unused slot's rate word may hold a denormal, and multiplying one costs
// more than the whole frame.
struct HeldSweep {
  HeldSweep(const DataSlot& slot, const OutputRate& rate, bool moves)
      : data(slot.data.get()),
        length(slot.length),
        loaded(Loaded(slot)),
        looped(slot.looped != 0),
        gain(slot.gain),
        step(moves ? SlotStep(slot, rate) : 0.0f),
        loopStart(static_cast<float>(slot.loopStart)),
        loopEnd(static_cast<float>(slot.loopEnd)),
        position(slot.playPosition) {}

  // Whether the slot has not ended; i is then the index of its current sample.
  bool Index(uint32_t& i) const {
    if (!loaded) return false;
    i = PlayIndex(position, length);
    return i < length;
  }
  float Value(uint32_t i) const { return data[i] * gain; }
  void Advance() {
    position += step;
    if (looped && position >= loopEnd) position = loopStart;
  }
  void Store(DataSlot& slot) const { slot.playPosition = position; }

  const float* data;
  uint32_t length;
  bool loaded, looped;
  float gain, step, loopStart, loopEnd, position;
};

// A modulator slot read as ReadModulator reads it: the last sample holds once it has ended. Slots without
// data add nothing.
struct HeldModulator {
  HeldModulator(const DataSlot& slot, const OutputRate& rate)
      : sweep(slot, rate, Present(slot)), present(Present(slot)) {}
  static bool Present(const DataSlot& slot) { return slot.length != 0 && slot.data; }

  float Read() {
    return ModulatorValue(sweep.data, sweep.length, sweep.gain, sweep.position, [this](float&) { sweep.Advance(); });
  }

  HeldSweep sweep;
  bool present;
};

// ModulatorSum over held slots: base plus every slot with data among the loaded count.
struct HeldModulators {
  HeldModulators(const Engine& e, const OutputRate& rate)
      : slots{HeldModulator(e.slots[0], rate), HeldModulator(e.slots[1], rate), HeldModulator(e.slots[2], rate),
              HeldModulator(e.slots[3], rate)},
        count(std::min<uint32_t>(e.loadedSlotCount, kDataSlotCount)) {}

  float Sum(float base) {
    float v = base;
    for (uint32_t s = 0; s < static_cast<uint32_t>(kDataSlotCount); ++s)
      if (s < count && slots[s].present) v += slots[s].Read();
    return v;
  }
  void Store(Engine& e) const {
    for (uint32_t s = 0; s < count; ++s)
      if (slots[s].present) slots[s].sweep.Store(e.slots[s]);
  }

  std::array<HeldModulator, kDataSlotCount> slots;
  uint32_t count;
};

}  // namespace tonforge
