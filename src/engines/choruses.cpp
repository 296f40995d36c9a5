// Choruses and flanges: taps on one short line whose delays follow modulator slots. A modulator sweeps
// 0 to 100 samples at 44100 Hz (a constant time at every rate) and "Ceiling" adds 0.7 to 70 samples.
#include "engines/effect_lines.h"
#include "engines/families.h"

namespace tonforge {

namespace {

// The tap delay for modulator sample m, kept inside the line whatever the slot's data and gain.
uint32_t TapDelay(const Engine& e, float m, const OutputRate& rate) {
  return ModulatedDelay(e, (m + 1.0f) * 50.0f / rate.rateFactor + e.F[0] * 70.0f);
}

// Adds the left tap of slot s (if it has not ended) to `left` and the right tap to `right`, and steps the
// slot. Returns whether the slot took part.
bool AddTap(Engine& e, int s, const OutputRate& rate, float* left, float* right) {
  DataSlot& slot = e.slots[s];
  float m = 0.0f;
  if (!SlotSample(slot, m)) return false;
  const uint32_t d = TapDelay(e, m, rate);
  if (left) *left += TapLeft(e, 0, d);
  if (right) *right += TapRight(e, 0, d);
  AdvanceSlot(slot, rate);
  return true;
}

uint32_t ActiveSlotLimit(const Engine& e) { return std::min<uint32_t>(e.loadedSlotCount, kDataSlotCount); }

}  // namespace

// Taps read after the write, so a delay D sounds D − 1 samples late.
void ProcessChorus(Engine& e, VoiceRef, int32_t, SampleContext& ctx) {
  if (!HasLines(e)) return;
  const MixBus in = ctx.bus;
  Push(e, 0, in.left, in.right);
  for (uint32_t s = 0; s < ActiveSlotLimit(e); ++s)
    AddTap(e, static_cast<int>(s), *ctx.rate, &ctx.bus.left, &ctx.bus.right);
  WetDryMix(ctx.bus, in, e, 1);
  GuardLines(e, in.left + in.right, 0, 1);
}

// Taps read before the write; the sum is fed back at 1.5625 × "Feedback", times 0.64 per active tap.
void ProcessFlange(Engine& e, VoiceRef, int32_t, SampleContext& ctx) {
  if (!HasLines(e)) return;
  const MixBus in = ctx.bus;
  float g = e.F[1] * 1.5625f;
  for (uint32_t s = 0; s < ActiveSlotLimit(e); ++s)
    if (AddTap(e, static_cast<int>(s), *ctx.rate, &ctx.bus.left, &ctx.bus.right)) g *= 0.64f;
  const MixBus z = {ctx.bus.left * g, ctx.bus.right * g};
  Push(e, 0, z.left, z.right);
  WetDryMix(ctx.bus, in, e, 2);
  GuardLines(e, z.left + z.right, 0, 1);
}

// Slot 0 moves the left tap and slot 1 the right one, whatever the loaded slot count says.
void ProcessStereoChorus(Engine& e, VoiceRef, int32_t, SampleContext& ctx) {
  if (!HasLines(e)) return;
  const MixBus in = ctx.bus;
  Push(e, 0, in.left, in.right);
  AddTap(e, 0, *ctx.rate, &ctx.bus.left, nullptr);
  AddTap(e, 1, *ctx.rate, nullptr, &ctx.bus.right);
  WetDryMix(ctx.bus, in, e, 1);
  GuardLines(e, in.left + in.right, 0, 1);
}

void ProcessStereoFlange(Engine& e, VoiceRef, int32_t, SampleContext& ctx) {
  if (!HasLines(e)) return;
  const MixBus in = ctx.bus;
  AddTap(e, 0, *ctx.rate, &ctx.bus.left, nullptr);
  AddTap(e, 1, *ctx.rate, nullptr, &ctx.bus.right);
  const MixBus z = {ctx.bus.left * e.F[1], ctx.bus.right * e.F[1]};
  Push(e, 0, z.left, z.right);
  WetDryMix(ctx.bus, in, e, 2);
  GuardLines(e, z.left + z.right, 0, 1);
}

// The block mix's loops, with each routine inlined.
TONFORGE_OVER_FRAMES(ProcessChorus);
TONFORGE_OVER_FRAMES(ProcessFlange);
TONFORGE_OVER_FRAMES(ProcessStereoChorus);
TONFORGE_OVER_FRAMES(ProcessStereoFlange);

}  // namespace tonforge
