// Delays: the spatializer, the recirculating, comb, single-tap, multi-tap and variable-speed delays, and the
// inverter. The left buffer holds left history and the right buffer right history; whether a line is read
// before or after its write decides whether a delay d sounds d or d − 1 samples late.
#include <utility>

#include "engines/contract.h"

#include "engines/effect_lines.h"
#include "engines/families.h"
#include "engines/family_rows.h"
#include "engines/held_state.h"
#include "engines/lane_state.h"

namespace tonforge {

namespace {

// The delays in samples that preparation works out: left and right, or the multi-tap's three taps.
enum DelayWord : int { kLeftSamples, kRightSamples };

namespace spatial {
enum Parameter : int { kLeftDelay, kRightDelay, kWet };
}
// The basic delay and the comb filter.
namespace recirculating {
enum Parameter : int { kLeftDelay, kLeftGain, kRightDelay, kRightGain, kWet };
enum Option : int { kTicks };
}  // namespace recirculating
namespace single_tap {
enum Parameter : int { kLeftDelay, kRightDelay, kLevel, kWet };
enum Option : int { kTicks };
}  // namespace single_tap
// Tap t's delay is parameter 2t and its gain 2t + 1.
namespace multi_tap {
enum Parameter : int { kDelay1, kGain1, kWet = 6 };
constexpr int kTaps = 3;
}  // namespace multi_tap
namespace variable {
enum Parameter : int { kBase, kGain, kWet };
enum Option : int { kLouder };
enum WorkingWord : int { kCurrentDelay, kFeedback };
}  // namespace variable
namespace inverter {
enum Parameter : int { kDelay, kFeedback, kWet };
}

}  // namespace

// Each channel with a nonzero delay is replaced by its line read after the write, mixed on "Wet"; a
// channel whose delay is 0 passes unchanged.
void ProcessStereoSpatializer(Engine& e, VoiceRef, int32_t, SampleContext& ctx) {
  const float wet = e.F[spatial::kWet], dry = e.C[spatial::kWet];
  if (!HasLines(e)) return;
  const MixBus in = ctx.bus;
  Push(e, 0, in.left, in.right);
  const int32_t left = e.W[kLeftSamples].i, right = e.W[kRightSamples].i;
  if (left != 0) ctx.bus.left = TapLeft(e, 0, HeldDelay(e, left)) * wet + in.left * dry;
  if (right != 0) ctx.bus.right = TapRight(e, 0, HeldDelay(e, right)) * wet + in.right * dry;
  GuardLines(e, in.left + in.right, 0, 1);
}

// y[n] = x[n] + g·y[n − d] on each channel.
void ProcessBasicDelay(Engine& e, VoiceRef, int32_t, SampleContext& ctx) {
  if (!HasLines(e)) return;
  const MixBus in = ctx.bus;
  const float dL = TapLeft(e, 0, HeldDelay(e, e.W[kLeftSamples].i));
  const float dR = TapRight(e, 0, HeldDelay(e, e.W[kRightSamples].i));
  const MixBus y = {in.left + dL * e.F[recirculating::kLeftGain], in.right + dR * e.F[recirculating::kRightGain]};
  Push(e, 0, y.left, y.right);
  ctx.bus = y;
  WetDryMix(ctx.bus, in, e, recirculating::kWet);
  GuardLines(e, y.left + y.right, 0, 1);
}

// y[n] = x[n] + x[n − d] + g·y[n − d]: line 0 holds outputs, line 1 inputs.
void ProcessCombFilter(Engine& e, VoiceRef, int32_t, SampleContext& ctx) {
  const float leftGain = e.F[recirculating::kLeftGain], rightGain = e.F[recirculating::kRightGain];
  const Blend blend(e, recirculating::kWet);
  if (!HasLines(e)) return;
  const MixBus in = ctx.bus;
  const uint32_t left = HeldDelay(e, e.W[kLeftSamples].i);
  const uint32_t right = HeldDelay(e, e.W[kRightSamples].i);
  const float dL0 = TapLeft(e, 0, left), dR0 = TapRight(e, 0, right);
  const float dL1 = TapLeft(e, 1, left), dR1 = TapRight(e, 1, right);
  Push(e, 1, in.left, in.right);
  const MixBus y = {dL0 * leftGain + in.left + dL1, dR1 + dR0 * rightGain + in.right};
  Push(e, 0, y.left, y.right);
  ctx.bus = blend(y, in);
  GuardLines(e, in.left + in.right + y.left + y.right, 0, 2);
}

// One echo at "Level", no feedback; with "Ticks" on the channels of the result change places.
void ProcessSingleTapDelay(Engine& e, VoiceRef, int32_t, SampleContext& ctx) {
  const float level = e.F[single_tap::kLevel];
  const bool swapped = e.options[single_tap::kTicks] != 0;
  const Blend blend(e, single_tap::kWet);
  if (!HasLines(e)) return;
  const MixBus in = ctx.bus;
  const float dL = TapLeft(e, 0, HeldDelay(e, e.W[kLeftSamples].i));
  const float dR = TapRight(e, 0, HeldDelay(e, e.W[kRightSamples].i));
  Push(e, 0, in.left, in.right);
  MixBus y = {in.left + dL * level, in.right + dR * level};
  if (swapped) std::swap(y.left, y.right);
  ctx.bus = blend(y, in);
  GuardLines(e, in.left + in.right, 0, 1);
}

// Three taps summed in order into one recirculating line.
void ProcessMultiTapDelay(Engine& e, VoiceRef, int32_t, SampleContext& ctx) {
  float gains[multi_tap::kTaps];
  for (int t = 0; t < multi_tap::kTaps; ++t) gains[t] = e.F[multi_tap::kGain1 + 2 * t];
  const Blend blend(e, multi_tap::kWet);
  if (!HasLines(e)) return;
  const MixBus in = ctx.bus;
  MixBus y = in;
  for (int t = 0; t < multi_tap::kTaps; ++t) {
    const uint32_t d = HeldDelay(e, e.W[t].i);
    y.left += TapLeft(e, 0, d) * gains[t];
    y.right += TapRight(e, 0, d) * gains[t];
  }
  Push(e, 0, y.left, y.right);
  ctx.bus = blend(y, in);
  GuardLines(e, y.left + y.right, 0, 1);
}

// A recirculating delay of "Base" plus 0 to 750 ms from the speed modulator (its data shifted into 0..2).
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
  const uint32_t d = ModulatedDelay(e, (e.F[variable::kBase] * 0.1f + m * 0.375f) * ctx.rate->rateHz);
  e.W[variable::kCurrentDelay].i = static_cast<int32_t>(d);
  const MixBus in = ctx.bus;
  const float gain = e.W[variable::kFeedback].f;
  const MixBus y = {in.left + TapLeft(e, 0, d) * gain, in.right + TapRight(e, 0, d) * gain};
  Push(e, 0, y.left, y.right);
  ctx.bus = y;
  WetDryMix(ctx.bus, in, e, variable::kWet);
  GuardLines(e, y.left + y.right, 0, 1);
}

// y[n] = x[n] − z[n − d], where the line keeps z = y × "Feedback" + x × (1 − "Feedback").
void ProcessInverter(Engine& e, VoiceRef, int32_t, SampleContext& ctx) {
  const Blend feedback(e, inverter::kFeedback), blend(e, inverter::kWet);
  if (!HasLines(e)) return;
  const MixBus in = ctx.bus;
  const uint32_t d = HeldDelay(e, e.W[kLeftSamples].i);
  const MixBus y = {in.left - TapLeft(e, 0, d), in.right - TapRight(e, 0, d)};
  const MixBus z = feedback(y, in);  // y × "Feedback" + x × (1 − "Feedback")
  Push(e, 0, z.left, z.right);
  ctx.bus = blend(y, in);
  GuardLines(e, z.left + z.right, 0, 1);
}

namespace {

// ProcessBasicDelay over a run of frames, its line held in locals.
void BasicDelayRun(Engine& e, int32_t, MixBus* frames, uint32_t n, const SampleContext&) {
  if (!HasLines(e)) return;
  HeldLine line(e, 0);
  const uint32_t left = HeldDelay(e, e.W[kLeftSamples].i), right = HeldDelay(e, e.W[kRightSamples].i);
  const float feedbackLeft = e.F[recirculating::kLeftGain], feedbackRight = e.F[recirculating::kRightGain];
  const Blend blend(e, recirculating::kWet);
  for (uint32_t f = 0; f < n; ++f) {
    const MixBus in = frames[f];
    const MixBus y = {in.left + line.TapLeft(left) * feedbackLeft, in.right + line.TapRight(right) * feedbackRight};
    line.Push(y.left, y.right);
    frames[f] = blend(y, in);
    line.Guard(y.left + y.right);
  }
  line.Store(e);
}

// ProcessCombFilter over a run of frames: line 0 holds outputs, line 1 inputs.
void CombFilterRun(Engine& e, int32_t, MixBus* frames, uint32_t n, const SampleContext&) {
  if (!HasLines(e)) return;
  HeldLine outputs(e, 0), inputs(e, 1);
  const uint32_t left = HeldDelay(e, e.W[kLeftSamples].i), right = HeldDelay(e, e.W[kRightSamples].i);
  const float leftGain = e.F[recirculating::kLeftGain], rightGain = e.F[recirculating::kRightGain];
  const Blend blend(e, recirculating::kWet);
  for (uint32_t f = 0; f < n; ++f) {
    const MixBus in = frames[f];
    const float dL0 = outputs.TapLeft(left), dR0 = outputs.TapRight(right);
    const float dL1 = inputs.TapLeft(left), dR1 = inputs.TapRight(right);
    inputs.Push(in.left, in.right);
    const MixBus y = {dL0 * leftGain + in.left + dL1, dR1 + dR0 * rightGain + in.right};
    outputs.Push(y.left, y.right);
    frames[f] = blend(y, in);
    if (Poisoned(in.left + in.right + y.left + y.right)) [[unlikely]] {
      outputs.ScrubLast();
      inputs.ScrubLast();
    }
  }
  outputs.Store(e);
  inputs.Store(e);
}

// ProcessSingleTapDelay over a run of frames.
void SingleTapRun(Engine& e, int32_t, MixBus* frames, uint32_t n, const SampleContext&) {
  if (!HasLines(e)) return;
  HeldLine line(e, 0);
  const uint32_t left = HeldDelay(e, e.W[kLeftSamples].i), right = HeldDelay(e, e.W[kRightSamples].i);
  const float level = e.F[single_tap::kLevel];
  const bool swapped = e.options[single_tap::kTicks] != 0;
  const Blend blend(e, single_tap::kWet);
  for (uint32_t f = 0; f < n; ++f) {
    const MixBus in = frames[f];
    const float dL = line.TapLeft(left), dR = line.TapRight(right);
    line.Push(in.left, in.right);
    MixBus y = {in.left + dL * level, in.right + dR * level};
    if (swapped) std::swap(y.left, y.right);
    frames[f] = blend(y, in);
    line.Guard(in.left + in.right);
  }
  line.Store(e);
}

// ProcessMultiTapDelay over a run of frames.
void MultiTapRun(Engine& e, int32_t, MixBus* frames, uint32_t n, const SampleContext&) {
  if (!HasLines(e)) return;
  HeldLine line(e, 0);
  uint32_t delays[multi_tap::kTaps];
  float gains[multi_tap::kTaps];
  for (int t = 0; t < multi_tap::kTaps; ++t) {
    delays[t] = HeldDelay(e, e.W[t].i);
    gains[t] = e.F[multi_tap::kGain1 + 2 * t];
  }
  const Blend blend(e, multi_tap::kWet);
  for (uint32_t f = 0; f < n; ++f) {
    const MixBus in = frames[f];
    MixBus y = in;
    for (int t = 0; t < multi_tap::kTaps; ++t) {
      y.left += line.TapLeft(delays[t]) * gains[t];
      y.right += line.TapRight(delays[t]) * gains[t];
    }
    line.Push(y.left, y.right);
    frames[f] = blend(y, in);
    line.Guard(y.left + y.right);
  }
  line.Store(e);
}

void PrepareSpatializer(Engine& e, const OutputRate& rate) {
  e.W[kLeftSamples].i = MsToSamples(e.F[spatial::kLeftDelay], rate);
  e.W[kRightSamples].i = MsToSamples(e.F[spatial::kRightDelay], rate);
}

// The left and right delays in milliseconds, or in ticks with the "Ticks" option (option 0 of each type).
template <int leftDelay, int rightDelay>
void PrepareTwoDelays(Engine& e, const OutputRate& rate) {
  const bool ticks = e.options[0] != 0;
  const auto samples = [&](int k) { return ticks ? TicksToSamples(e.F[k], rate) : MsToSamples(e.F[k], rate); };
  e.W[kLeftSamples].i = samples(leftDelay);
  e.W[kRightSamples].i = samples(rightDelay);
}

void PrepareMultiTap(Engine& e, const OutputRate& rate) {
  for (int t = 0; t < multi_tap::kTaps; ++t) e.W[t].i = MsToSamples(e.F[multi_tap::kDelay1 + 2 * t], rate);
}

// "Louder" feeds back the inverse of "Gain".
void PrepareVariableSpeed(Engine& e, const OutputRate&) {
  const float gain = e.F[variable::kGain];
  e.W[variable::kFeedback].f = e.options[variable::kLouder] == 0 ? gain : 1.0f / gain;
}

// "Delay" counts steps of 4 samples at 44100 Hz, 3 at 22050 and 1 at 11025.
void PrepareInverter(Engine& e, const OutputRate& rate) {
  e.W[kLeftSamples].i = ParameterInteger(e.F[inverter::kDelay]) * (5 - rate.rateStep);
}

}  // namespace

namespace {

// BasicDelayRun in lanes; a lane whose engine has no buffers passes its frames.
template <class L>
TONFORGE_LANE_INLINE void BasicDelayLanes(const LaneSet& lanes, float* left, float* right, uint32_t n, const SampleContext&) {
  using F = typename L::F;
  using I = typename L::I;
  constexpr int W = L::kWidth;
  LaneSet own;
  I passes;
  if (!LanesWithLines<L>(lanes, own, passes)) return;
  LaneLine<L> line(own, 0);
  const I delayLeft = PerLane<L>(own, [](const Engine& e, int) { return static_cast<int32_t>(HeldDelay(e, e.W[kLeftSamples].i)); });
  const I delayRight = PerLane<L>(own, [](const Engine& e, int) { return static_cast<int32_t>(HeldDelay(e, e.W[kRightSamples].i)); });
  const F feedbackLeft = PerLane<L>(own, [](const Engine& e, int) { return static_cast<float>(e.F[recirculating::kLeftGain]); });
  const F feedbackRight = PerLane<L>(own, [](const Engine& e, int) { return static_cast<float>(e.F[recirculating::kRightGain]); });
  const LaneBlend<L> blend(own, recirculating::kWet);
  uint32_t f = 0;
  // Delays longer than a few frames let the stretch go in runs of contiguous reads and writes per lane (see
  // HeldLine::Reach). A scrubbed write is the value kept finite on each side: a frame whose two values sum to
  // something finite holds two finite values.
  const uint32_t reach = std::min(line.Reach(delayLeft), line.Reach(delayRight));
  if (reach >= kLeastRun) {
    alignas(32) float yLeft[kMostRun * W], yRight[kMostRun * W];
    for (uint32_t m = 0; f < n; f += m) {
      m = std::min({n - f, reach, kMostRun});
      line.ReadRuns(line.left, delayLeft, m, yLeft);
      line.ReadRuns(line.right, delayRight, m, yRight);
      for (uint32_t k = 0; k < m; ++k) {
        float* const l = left + (f + k) * W;
        float* const r = right + (f + k) * W;
        const F inLeft = Load<L>(l), inRight = Load<L>(r);
        const F y0 = inLeft + Load<L>(yLeft + k * W) * feedbackLeft;
        const F y1 = inRight + Load<L>(yRight + k * W) * feedbackRight;
        Store<L>(l, passes ? inLeft : blend(y0, inLeft));
        Store<L>(r, passes ? inRight : blend(y1, inRight));
        Store<L>(yLeft + k * W, KeepFinite<L>(y0));
        Store<L>(yRight + k * W, KeepFinite<L>(y1));
      }
      line.WriteRuns(yLeft, yRight, m);
    }
  }
  // Both sides usually have the same delay: each lane's read position is then worked out once.
  const bool sameDelays = !Any<L>(delayLeft != delayRight);
  for (; f < n; ++f) {
    const F inLeft = Load<L>(left + f * W), inRight = Load<L>(right + f * W);
    F tapLeft, tapRight;
    if (sameDelays) {
      line.Taps(delayLeft, tapLeft, tapRight);
    } else {
      tapLeft = line.TapLeft(delayLeft);
      tapRight = line.TapRight(delayRight);
    }
    const F yLeft = inLeft + tapLeft * feedbackLeft;
    const F yRight = inRight + tapRight * feedbackRight;
    line.Push(yLeft, yRight);
    Store<L>(left + f * W, passes ? inLeft : blend(yLeft, inLeft));
    Store<L>(right + f * W, passes ? inRight : blend(yRight, inRight));
    line.Guard(yLeft + yRight);
  }
  line.Store();
}

}  // namespace

// Only at 8 lanes: see lanes.cpp.
[[gnu::target("avx2"), gnu::flatten]] void BasicDelayLanes8(const LaneSet& s, float* l, float* r, uint32_t n,
                                                            const SampleContext& c) {
  BasicDelayLanes<Lanes<8>>(s, l, r, n, c);
}

TONFORGE_HELD_RUN(ProcessBasicDelay, BasicDelayRun)
TONFORGE_HELD_RUN(ProcessCombFilter, CombFilterRun)
TONFORGE_HELD_RUN(ProcessSingleTapDelay, SingleTapRun)
TONFORGE_HELD_RUN(ProcessMultiTapDelay, MultiTapRun)

// The block mix's loops, with each routine inlined.
TONFORGE_OVER_FRAMES(ProcessStereoSpatializer);
TONFORGE_OVER_FRAMES(ProcessVariableSpeedDelay);
TONFORGE_OVER_FRAMES(ProcessInverter);


std::span<const TypeRow> DelayRows() {
  using T = EngineTypeId;
  using namespace recirculating;
  static constexpr std::array kRows = [] {
    RowBuilder<7> b;
    b.Row(T::StereoSpatializer, kEveryLevel, "Stereo Spatializer", "PnS", PrepareSpatializer)
        .Param(spatial::kLeftDelay, "L Delay", 0, 250, 0).Param(spatial::kRightDelay, "R Delay", 0, 250, 10)
        .Param(spatial::kWet, "Wet", 0, 100, 100).Lines(1, 11026);
    b.Row(T::BasicDelay, kEveryLevel, "Basic Delay", "DyB", PrepareTwoDelays<kLeftDelay, kRightDelay>)
        .Param(kLeftDelay, "L Delay", 1, 1000, 500).Param(kLeftGain, "L Gain", -100, 100, -50)
        .Param(kRightDelay, "R Delay", 1, 1000, 500).Param(kRightGain, "R Gain", -100, 100, -50)
        .Param(kWet, "Wet", 0, 100, 100).Toggle(kTicks, "Ticks").Lines(1, 44104);
    b.Row(T::CombFilter, kEveryLevel, "Comb Filter", "DyC", PrepareTwoDelays<kLeftDelay, kRightDelay>)
        .Param(kLeftDelay, "L Delay", 1, 1000, 500).Param(kLeftGain, "L Gain", -100, 100, 50)
        .Param(kRightDelay, "R Delay", 1, 1000, 500).Param(kRightGain, "R Gain", -100, 100, 50)
        .Param(kWet, "Wet", 0, 100, 100).Toggle(kTicks, "Ticks").Lines(2, 44102);
    b.Row(T::SingleTapDelay, kEveryLevel, "Single Tap Delay", "DyS",
          PrepareTwoDelays<single_tap::kLeftDelay, single_tap::kRightDelay>)
        .Param(single_tap::kLeftDelay, "L Delay", 1, 1000, 500).Param(single_tap::kRightDelay, "R Delay", 1, 1000, 500)
        .Param(single_tap::kLevel, "Level", 1, 100, 50).Param(single_tap::kWet, "Wet", 0, 100, 100)
        .Toggle(single_tap::kTicks, "Ticks").Lines(1, 44104);
    b.Row(T::MultiTapDelay, kEveryLevel, "Multi Tap Delay", "DyM", PrepareMultiTap)
        .Param(multi_tap::kDelay1, "Delay 1", 1, 1000, 500).Param(multi_tap::kGain1, "Gain 1", -100, 100, 25)
        .Param(multi_tap::kDelay1 + 2, "Delay 2", 1, 1000, 400).Param(multi_tap::kGain1 + 2, "Gain 2", -100, 100, 25)
        .Param(multi_tap::kDelay1 + 4, "Delay 3", 1, 1000, 300).Param(multi_tap::kGain1 + 4, "Gain 3", -100, 100, 25)
        .Param(multi_tap::kWet, "Wet", 0, 100, 100).Lines(1, 44104);
    b.Row(T::VariableSpeedDelay, kEveryLevel, "Variable Speed Delay", "DyV", PrepareVariableSpeed)
        .Param(variable::kBase, "Base", 1, 250, 100).Param(variable::kGain, "Gain", 1, 100, 75)
        .Param(variable::kWet, "Wet", 0, 100, 100).Choice(variable::kLouder, {"Quieter", "Louder"}, 0)
        .Modulators({"Speed Modulator"}).Lines(1, 44104);
    b.Row(T::Inverter, kEveryLevel, "Inverter", "Inv", PrepareInverter).Param(inverter::kDelay, "Delay", 1, 100, 1)
        .Param(inverter::kFeedback, "Feedback", 0, 100, 0).Param(inverter::kWet, "Wet", 0, 100, 100).Lines(1, 408);
    return b.Finish();
  }();
  return kRows;
}

}  // namespace tonforge
