// Wave players: sample playback at the voice pitch.
//
// Each player reads its DataSlots through one of two slot readers: the standard one takes the sample at the
// integer part of the play position, the high-quality one averages the area of every sample the step passes.
// Both read only inside [0, length): a slot whose loop points are damaged (loop end at or past the data, or a
// loop start not below the loop end) plays as if it had no loop, so it runs once to its end and stops.
#include "engines/contract.h"
#include "engines/families.h"
#include "engines/family_rows.h"

namespace tonforge {

namespace {

// Every player's one parameter.
enum WaveParameter : int { kWet };

// A slot's value for one output sample; false when the slot has ended or holds nothing to read.
using SlotReader = bool (*)(DataSlot& slot, int32_t pitch, const SampleContext& ctx, float& value);

bool HasUsableLoop(const DataSlot& slot) {
  return slot.looped != 0 && slot.loopStart < slot.loopEnd && slot.loopEnd < slot.length;
}

// The integer sample index of the play position, or false when the position lies outside the data (ended,
// or a damaged negative or non-numeric position) or the slot holds no data.
bool PlayIndex(const DataSlot& slot, uint32_t& index) {
  if (slot.loaded == 0 || !slot.data || slot.length == 0) return false;
  const float position = slot.playPosition;
  if (!(position >= 0.0f) || position >= static_cast<float>(slot.length)) return false;
  index = static_cast<uint32_t>(position);
  return index < slot.length;
}

bool HasEnded(const DataSlot& slot) {
  uint32_t index = 0;
  return !PlayIndex(slot, index);
}

// Play-position step for pitch p: rate factor times the ratio of p to the slot's root pitch.
float PitchStep(const DataSlot& slot, int32_t p, const SampleContext& ctx) {
  return ctx.rate->rateFactor * ctx.tables->Pitch(p - ClampPitch(slot.rootOrRate.i));
}

void AdvancePlayPosition(DataSlot& slot, float step, bool loop) {
  slot.playPosition += step;
  if (loop && slot.playPosition >= static_cast<float>(slot.loopEnd))
    slot.playPosition = static_cast<float>(slot.loopStart);
}

bool ReadStandard(DataSlot& slot, int32_t p, const SampleContext& ctx, float& value) {
  uint32_t i = 0;
  if (!PlayIndex(slot, i)) return false;
  value = slot.data[i] * slot.gain;
  AdvancePlayPosition(slot, PitchStep(slot, p, ctx), HasUsableLoop(slot));
  return true;
}

// Area average over the span [position, position + step): partial samples at either end count by the
// share of them that the span covers.
bool ReadQuality(DataSlot& slot, int32_t p, const SampleContext& ctx, float& value) {
  uint32_t i = 0;
  if (!PlayIndex(slot, i)) return false;
  const bool loop = HasUsableLoop(slot);
  const float* data = slot.data.get();
  const float gain = slot.gain;
  const float step = PitchStep(slot, p, ctx);
  const float frac = slot.playPosition - static_cast<float>(i);
  float acc = 0.0f;
  float weight = 0.0f;
  float rest = step;
  const auto nextIndex = [&] {
    ++i;
    if (loop && i >= slot.loopEnd) i = slot.loopStart;
  };
  if (frac > 0.0f) {
    weight = 1.0f - frac;
    acc = data[i] * gain * (1.0f - frac);
    rest = step - frac;
    nextIndex();
  }
  while (rest >= 1.0f && i < slot.length) {
    weight += 1.0f;
    acc += data[i] * gain;
    rest -= 1.0f;
    nextIndex();
  }
  if (rest > 0.0f && i < slot.length) {
    weight += rest;
    acc += data[i] * gain * rest;
  }
  value = weight > 0.0f ? acc / weight : 0.0f;
  AdvancePlayPosition(slot, step, loop);
  return true;
}

// Slot 0 on both channels; an ended slot leaves the bus exactly as it was.
template <SlotReader read>
void BasicWave(Engine& e, int32_t pitch, SampleContext& ctx) {
  DataSlot& slot = e.slots[0];
  if (HasEnded(slot)) return;
  const MixBus in = ctx.bus;
  float v = 0.0f;
  read(slot, ClampPitch(pitch), ctx, v);
  ctx.bus.left += v;
  ctx.bus.right += v;
  WetDryMix(ctx.bus, in, e, kWet);
}

// The first slot whose key range reaches the pitch plays; no other slot is considered, even when it has ended.
template <SlotReader read>
void MultisampledWave(Engine& e, int32_t pitch, SampleContext& ctx) {
  const int32_t p = ClampPitch(pitch);
  for (uint32_t s = 0; s < e.loadedSlotCount && s < kDataSlotCount; ++s) {
    DataSlot& slot = e.slots[s];
    if (slot.upperPitch < p) continue;
    const MixBus in = ctx.bus;
    float v = 0.0f;
    if (!read(slot, p, ctx, v)) return;
    ctx.bus.left += v;
    ctx.bus.right += v;
    WetDryMix(ctx.bus, in, e, kWet);
    return;
  }
}

// Every loaded slot, each at its own root pitch; the wet/dry mix applies even when all have ended.
template <SlotReader read>
void CombinedWave(Engine& e, int32_t pitch, SampleContext& ctx) {
  const int32_t p = ClampPitch(pitch);
  const MixBus in = ctx.bus;
  for (uint32_t s = 0; s < e.loadedSlotCount && s < kDataSlotCount; ++s) {
    float v = 0.0f;
    if (!read(e.slots[s], p, ctx, v)) continue;
    ctx.bus.left += v;
    ctx.bus.right += v;
  }
  WetDryMix(ctx.bus, in, e, kWet);
}

// Slot 0 to the left channel, slot 1 to the right.
template <SlotReader read>
void StereoWave(Engine& e, int32_t pitch, SampleContext& ctx) {
  const int32_t p = ClampPitch(pitch);
  const MixBus in = ctx.bus;
  float v = 0.0f;
  if (read(e.slots[0], p, ctx, v)) ctx.bus.left += v;
  if (read(e.slots[1], p, ctx, v)) ctx.bus.right += v;
  WetDryMix(ctx.bus, in, e, kWet);
}

}  // namespace

void ProcessBasicWave(Engine& e, VoiceRef, int32_t pitch, SampleContext& ctx) { BasicWave<ReadStandard>(e, pitch, ctx); }
void ProcessMultisampledWave(Engine& e, VoiceRef, int32_t pitch, SampleContext& ctx) {
  MultisampledWave<ReadStandard>(e, pitch, ctx);
}
void ProcessCombinedWave(Engine& e, VoiceRef, int32_t pitch, SampleContext& ctx) {
  CombinedWave<ReadStandard>(e, pitch, ctx);
}
void ProcessStereoWave(Engine& e, VoiceRef, int32_t pitch, SampleContext& ctx) { StereoWave<ReadStandard>(e, pitch, ctx); }

void ProcessBasicWaveQuality(Engine& e, VoiceRef, int32_t pitch, SampleContext& ctx) {
  BasicWave<ReadQuality>(e, pitch, ctx);
}
void ProcessMultisampledWaveQuality(Engine& e, VoiceRef, int32_t pitch, SampleContext& ctx) {
  MultisampledWave<ReadQuality>(e, pitch, ctx);
}
void ProcessCombinedWaveQuality(Engine& e, VoiceRef, int32_t pitch, SampleContext& ctx) {
  CombinedWave<ReadQuality>(e, pitch, ctx);
}
void ProcessStereoWaveQuality(Engine& e, VoiceRef, int32_t pitch, SampleContext& ctx) {
  StereoWave<ReadQuality>(e, pitch, ctx);
}

// The block mix's loops, with each routine inlined.
TONFORGE_OVER_FRAMES(ProcessBasicWave);
TONFORGE_OVER_FRAMES(ProcessMultisampledWave);
TONFORGE_OVER_FRAMES(ProcessCombinedWave);
TONFORGE_OVER_FRAMES(ProcessStereoWave);
TONFORGE_OVER_FRAMES(ProcessBasicWaveQuality);
TONFORGE_OVER_FRAMES(ProcessMultisampledWaveQuality);
TONFORGE_OVER_FRAMES(ProcessCombinedWaveQuality);
TONFORGE_OVER_FRAMES(ProcessStereoWaveQuality);

std::span<const TypeRow> WavePlayerRows() {
  using T = EngineTypeId;
  static constexpr std::array kRows = [] {
    RowBuilder<4> b;
    b.Row(T::BasicWave, kProgramOnly, "Basic Wave", "WvB").Param(kWet, "Wet", 0, 100, 100).Waves({"Sample"});
    b.Row(T::MultisampledWave, kProgramOnly, "Multisampled Wave", "WvM").Param(kWet, "Wet", 0, 100, 100)
        .Waves({"Lowest Sample", "Second Sample", "Third Sample", "Highest Sample"});
    b.Row(T::CombinedWave, kProgramOnly, "Combined Wave", "WvC").Param(kWet, "Wet", 0, 100, 100)
        .Waves({"Sample 1", "Sample 2", "Sample 3", "Sample 4"});
    b.Row(T::StereoWave, kProgramOnly, "Stereo Wave", "WvS").Param(kWet, "Wet", 0, 100, 100)
        .Waves({"Left Sample", "Right Sample"});
    return b.Finish();
  }();
  return kRows;
}

}  // namespace tonforge
