// Delays: the spatializer, the recirculating, comb, single-tap, multi-tap and variable-speed delays, and the
// inverter. The left buffer holds left history and the right buffer right history; whether a line is read
// before or after its write decides whether a delay d sounds d or d − 1 samples late.
#include <utility>

#include "engines/effect_lines.h"
#include "engines/families.h"
#include "engines/held_state.h"

namespace tonforge {

// Each channel with a nonzero delay is replaced by its line read after the write, mixed on "Wet"; a
// channel whose delay is 0 passes unchanged.
void ProcessStereoSpatializer(Engine& e, VoiceRef, int32_t, SampleContext& ctx) {
  if (!HasLines(e)) return;
  const MixBus in = ctx.bus;
  Push(e, 0, in.left, in.right);
  if (e.W[0].i != 0) ctx.bus.left = TapLeft(e, 0, HeldDelay(e, e.W[0].i)) * e.F[2] + in.left * e.C[2];
  if (e.W[1].i != 0) ctx.bus.right = TapRight(e, 0, HeldDelay(e, e.W[1].i)) * e.F[2] + in.right * e.C[2];
  GuardLines(e, in.left + in.right, 0, 1);
}

// y[n] = x[n] + g·y[n − d] on each channel.
void ProcessBasicDelay(Engine& e, VoiceRef, int32_t, SampleContext& ctx) {
  if (!HasLines(e)) return;
  const MixBus in = ctx.bus;
  const float dL = TapLeft(e, 0, HeldDelay(e, e.W[0].i));
  const float dR = TapRight(e, 0, HeldDelay(e, e.W[1].i));
  const MixBus y = {in.left + dL * e.F[1], in.right + dR * e.F[3]};
  Push(e, 0, y.left, y.right);
  ctx.bus = y;
  WetDryMix(ctx.bus, in, e, 4);
  GuardLines(e, y.left + y.right, 0, 1);
}

// y[n] = x[n] + x[n − d] + g·y[n − d]: line 0 holds outputs, line 1 inputs.
void ProcessCombFilter(Engine& e, VoiceRef, int32_t, SampleContext& ctx) {
  if (!HasLines(e)) return;
  const MixBus in = ctx.bus;
  const uint32_t left = HeldDelay(e, e.W[0].i);
  const uint32_t right = HeldDelay(e, e.W[1].i);
  const float dL0 = TapLeft(e, 0, left), dR0 = TapRight(e, 0, right);
  const float dL1 = TapLeft(e, 1, left), dR1 = TapRight(e, 1, right);
  Push(e, 1, in.left, in.right);
  const MixBus y = {dL0 * e.F[1] + in.left + dL1, dR1 + dR0 * e.F[3] + in.right};
  Push(e, 0, y.left, y.right);
  ctx.bus = y;
  WetDryMix(ctx.bus, in, e, 4);
  GuardLines(e, in.left + in.right + y.left + y.right, 0, 2);
}

// One echo at "Level", no feedback; with "Ticks" on the channels of the result change places.
void ProcessSingleTapDelay(Engine& e, VoiceRef, int32_t, SampleContext& ctx) {
  if (!HasLines(e)) return;
  const MixBus in = ctx.bus;
  const float dL = TapLeft(e, 0, HeldDelay(e, e.W[0].i));
  const float dR = TapRight(e, 0, HeldDelay(e, e.W[1].i));
  Push(e, 0, in.left, in.right);
  ctx.bus = {in.left + dL * e.F[2], in.right + dR * e.F[2]};
  if (e.options[0] != 0) std::swap(ctx.bus.left, ctx.bus.right);
  WetDryMix(ctx.bus, in, e, 3);
  GuardLines(e, in.left + in.right, 0, 1);
}

// Three taps summed in order into one recirculating line.
void ProcessMultiTapDelay(Engine& e, VoiceRef, int32_t, SampleContext& ctx) {
  if (!HasLines(e)) return;
  const MixBus in = ctx.bus;
  MixBus y = in;
  for (int t = 0; t < 3; ++t) {
    const uint32_t d = HeldDelay(e, e.W[t].i);
    y.left += TapLeft(e, 0, d) * e.F[2 * t + 1];
    y.right += TapRight(e, 0, d) * e.F[2 * t + 1];
  }
  Push(e, 0, y.left, y.right);
  ctx.bus = y;
  WetDryMix(ctx.bus, in, e, 6);
  GuardLines(e, y.left + y.right, 0, 1);
}

// A recirculating delay of "Base" plus 0 to 750 ms from the speed modulator (its data shifted into 0..2).
// W0 holds the current delay, W1 the feedback gain.
void ProcessVariableSpeedDelay(Engine& e, VoiceRef, int32_t, SampleContext& ctx) {
  if (!HasLines(e)) return;
  float m = 0.0f;
  DataSlot& slot = e.slots[0];
  if (Loaded(slot)) {
    const uint32_t i = SlotIndex(slot);
    if (i < slot.length) {
      m = (slot.data[i] + 1.0f) * slot.gain;
      AdvanceSlot(slot, *ctx.rate);
    } else {
      m = (slot.data[slot.length - 1] + 1.0f) * slot.gain;  // run out: the last sample holds
    }
  }
  const uint32_t d = ModulatedDelay(e, (e.F[0] * 0.1f + m * 0.375f) * ctx.rate->rateHz);
  e.W[0].i = static_cast<int32_t>(d);
  const MixBus in = ctx.bus;
  const float gain = e.W[1].f;
  const MixBus y = {in.left + TapLeft(e, 0, d) * gain, in.right + TapRight(e, 0, d) * gain};
  Push(e, 0, y.left, y.right);
  ctx.bus = y;
  WetDryMix(ctx.bus, in, e, 2);
  GuardLines(e, y.left + y.right, 0, 1);
}

// y[n] = x[n] − z[n − d], where the line keeps z = y × "Feedback" + x × (1 − "Feedback").
void ProcessInverter(Engine& e, VoiceRef, int32_t, SampleContext& ctx) {
  if (!HasLines(e)) return;
  const MixBus in = ctx.bus;
  const uint32_t d = HeldDelay(e, e.W[0].i);
  const MixBus y = {in.left - TapLeft(e, 0, d), in.right - TapRight(e, 0, d)};
  const MixBus z = {y.left * e.F[1] + in.left * e.C[1], y.right * e.F[1] + in.right * e.C[1]};
  Push(e, 0, z.left, z.right);
  ctx.bus = y;
  WetDryMix(ctx.bus, in, e, 2);
  GuardLines(e, z.left + z.right, 0, 1);
}

namespace {

// ProcessBasicDelay over a run of frames, its line held in locals.
void BasicDelayRun(Engine& e, int32_t, MixBus* frames, uint32_t n, const SampleContext&) {
  if (!HasLines(e)) return;
  HeldLine line(e, 0);
  const uint32_t left = HeldDelay(e, e.W[0].i), right = HeldDelay(e, e.W[1].i);
  const float feedbackLeft = e.F[1], feedbackRight = e.F[3];
  const Blend blend(e, 4);
  for (uint32_t f = 0; f < n; ++f) {
    const MixBus in = frames[f];
    const MixBus y = {in.left + line.TapLeft(left) * feedbackLeft, in.right + line.TapRight(right) * feedbackRight};
    line.Push(y.left, y.right);
    frames[f] = blend(y, in);
    line.Guard(y.left + y.right);
  }
  line.Store(e);
}

}  // namespace

TONFORGE_HELD_RUN(ProcessBasicDelay, BasicDelayRun)

// The block mix's loops, with each routine inlined.
TONFORGE_OVER_FRAMES(ProcessStereoSpatializer);
TONFORGE_OVER_FRAMES(ProcessCombFilter);
TONFORGE_OVER_FRAMES(ProcessSingleTapDelay);
TONFORGE_OVER_FRAMES(ProcessMultiTapDelay);
TONFORGE_OVER_FRAMES(ProcessVariableSpeedDelay);
TONFORGE_OVER_FRAMES(ProcessInverter);

}  // namespace tonforge
