// Oscillators, white noise and oscillator synchronisation.
#include <algorithm>
#include <array>
#include <cstdint>

#include "engines/contract.h"
#include "engines/families.h"
#include "engines/family_rows.h"
#include "engines/lanes.h"
#include "shell/random.h"

namespace tonforge {

namespace {

// The sine and cosine: W0 and W1 are the coupled form's two states, W2 the pitch offset (root - tuning).
namespace coupled {
enum Parameter : int { kTuning, kWet };
enum WorkingWord : int { kY0, kY1, kPitchOffset };
}  // namespace coupled
// The saws and pulses: W0 is the phase, W1 the pitch offset (1950 - tuning).
namespace shape {
enum Parameter : int { kTuning, kSawWet = 1, kPulse = 1, kPulseWet = 2 };
enum WorkingWord : int { kPhase, kPitchOffset };
}  // namespace shape
namespace noise {
enum Parameter : int { kWet };
}
// Synchronisation: the phase is DataSlot 0's play position, W0 the target chain position.
namespace sync {
enum Parameter : int { kEngine };
enum Option : int { kOctave };
enum WorkingWord : int { kTarget };
}  // namespace sync

// Table lookups for a clamped pitch against an offset; offsets are clamped too, so a damaged record can
// never index outside the tables.
float PitchRatio(const SampleContext& ctx, int32_t p, int32_t offset) {
  return ctx.tables->Pitch(p - ClampPitch(offset));
}

void AddToBoth(MixBus& bus, float v) {
  bus.left += v;
  bus.right += v;
}

// At 11025 Hz the scaled coefficient of the highest pitches reaches 2, where the coupled form stops
// oscillating and grows without bound; held just below 2 it stays a bounded tone near the Nyquist frequency.
constexpr float kLargestStableCoefficient = 1.99f;

// Coupled-form oscillator: y1 -= e * y0, then y0 += e * y1. W0 and W1 carry the two states; the sine
// starts from (A, 0), the cosine from (0, A).
float CoupledCoefficient(const Engine& e, int32_t pitch, const SampleContext& ctx) {
  const int32_t p = ClampPitch(pitch);
  const int32_t offset = ClampPitch(e.W[coupled::kPitchOffset].i);
  return std::min(ctx.rate->rateFactor * ctx.tables->SineStep(p - offset), kLargestStableCoefficient);
}

void StepCoupledForm(float coefficient, float& y0, float& y1) {
  y1 = y1 - coefficient * y0;
  y0 = y0 + coefficient * y1;
}

// The sine (output y1) or the cosine (output y0) over a run, its state held in locals.
template <bool sine>
void CoupledFormRun(Engine& e, int32_t pitch, MixBus* frames, uint32_t n, const SampleContext& ctx) {
  const float coefficient = CoupledCoefficient(e, pitch, ctx);
  float y0 = e.W[coupled::kY0].f, y1 = e.W[coupled::kY1].f;
  for (uint32_t f = 0; f < n; ++f) {
    StepCoupledForm(coefficient, y0, y1);
    AddToBoth(frames[f], sine ? y1 : y0);
  }
  e.W[coupled::kY0].f = y0;
  e.W[coupled::kY1].f = y1;
}

// The saw and pulse shapes over one cycle of the phase range: 0..225 in the standard routine, 0..3600 in
// the 16 times oversampled one.
struct Cycle {
  float length;
  float inverse;  // 1 / length, as the constant the shapes multiply by
};
constexpr Cycle kStandardCycle{225.0f, 0.008888889f};
constexpr Cycle kOversampledCycle{3600.0f, 0.00055555557f};
constexpr int kOversampling = 16;
constexpr float kOversamplingScale = 0.0625f;

enum class Shape { DownSaw, UpSaw, Pulse, InversePulse };

// What a shape reads of its engine: the amplitude "Wet" and, for the pulses, the width "Pulse" as a fraction
// of the cycle.
template <Shape shape>
struct ShapeSettings {
  ShapeSettings(const Engine& e, const Cycle& c)
      : cycle(c), amplitude(shape == Shape::DownSaw || shape == Shape::UpSaw ? e.F[shape::kSawWet] : e.F[shape::kPulseWet]),
        width(e.F[shape::kPulse] * c.length) {}

  float Value(float phase) const {
    const float a = amplitude;
    switch (shape) {
      case Shape::DownSaw: return (1.0f - phase * cycle.inverse) * a;
      case Shape::UpSaw: return (phase * cycle.inverse - 1.0f) * a;
      case Shape::Pulse: return phase < width ? a : -a;
      case Shape::InversePulse: return phase < width ? -a : a;
    }
    return 0.0f;
  }

  Cycle cycle;
  float amplitude, width;
};

// The value comes from the phase before it moves;
// the wrap keeps the overshoot so the period is exact.
float StandardStep(const Engine& e, int32_t pitch, const SampleContext& ctx) {
  return ctx.rate->rateFactor * PitchRatio(ctx, ClampPitch(pitch), e.W[shape::kPitchOffset].i);
}

template <Shape shape>
float NextStandardValue(const ShapeSettings<shape>& settings, float step, float& phase) {
  const float v = settings.Value(phase);
  phase += step;
  if (phase >= kStandardCycle.length) phase -= kStandardCycle.length;
  return v;
}

// The saws and pulses over a run, the phase held in a local.
template <Shape shape>
void ShapeStandardRun(Engine& e, int32_t pitch, MixBus* frames, uint32_t n, const SampleContext& ctx) {
  const ShapeSettings<shape> settings(e, kStandardCycle);
  const float step = StandardStep(e, pitch, ctx);
  float phase = e.W[shape::kPhase].f;
  for (uint32_t f = 0; f < n; ++f) AddToBoth(frames[f], NextStandardValue(settings, step, phase));
  e.W[shape::kPhase].f = phase;
}

// Sixteen sub-steps over a phase range sixteen times longer, averaged; the wrap drops the overshoot.
template <Shape shape>
void ShapeOversampled(Engine& e, int32_t pitch, SampleContext& ctx) {
  const int32_t p = ClampPitch(pitch);
  const float step = ctx.rate->rateFactor * PitchRatio(ctx, p, e.W[shape::kPitchOffset].i);
  const ShapeSettings<shape> settings(e, kOversampledCycle);
  float& phase = e.W[shape::kPhase].f;
  float acc = 0.0f;
  for (int k = 0; k < kOversampling; ++k) {
    acc += settings.Value(phase);
    phase += step;
    if (phase >= kOversampledCycle.length) phase = 0.0f;
  }
  AddToBoth(ctx.bus, acc * kOversamplingScale);
}

// Synchronisation periods for "Oct 1" .. "Oct 4" on the phase scale of PitchTable[p - 750].
constexpr std::array<float, 4> kSyncPeriods{1800.0f, 900.0f, 450.0f, 225.0f};
constexpr int32_t kSyncOffset = 750;
constexpr uint32_t kFirstUnsyncedType = static_cast<uint32_t>(EngineTypeId::WhiteNoiseGenerator);

// Restarts a source: its slots from the start, its phase or oscillator state from the beginning.
void Restart(Engine& target) {
  if (target.type >= kFirstUnsyncedType) return;
  for (DataSlot& slot : target.slots) slot.playPosition = 0.0f;
  target.W[shape::kPhase].f = 0.0f;
  if (target.type == static_cast<uint32_t>(EngineTypeId::SineWaveGenerator))
    target.W[coupled::kY0].f = target.F[coupled::kWet];
  if (target.type == static_cast<uint32_t>(EngineTypeId::CosineWaveGenerator))
    target.W[coupled::kY1].f = target.F[coupled::kWet];
}

// The sine starts from (A, 0), the cosine from (0, A).
template <coupled::WorkingWord start>
void PrepareCoupledForm(Engine& e, const OutputRate&) {
  e.W[start].f = e.F[coupled::kWet];
  e.W[coupled::kPitchOffset].i = kDefaultRootPitch - ParameterInteger(e.F[coupled::kTuning]);
}

void PrepareShape(Engine& e, const OutputRate&) {
  e.W[shape::kPitchOffset].i = 1950 - ParameterInteger(e.F[shape::kTuning]);
}

void PrepareSynchronisation(Engine& e, const OutputRate&) {
  e.W[sync::kTarget].i = static_cast<int32_t>(e.F[sync::kEngine] * 100.0f + 0.002f - 1.0f);
}

// The oscillators in lanes: each lane's pitch gives its step or coefficient, looked up lane by lane once a
// run; the phases and the coupled form's states step as vectors.
template <class L>
TONFORGE_LANE_INLINE void AddToBoth(float* left, float* right, const typename L::F& v) {
  Store<L>(left, Load<L>(left) + v);
  Store<L>(right, Load<L>(right) + v);
}

template <class L, bool sine>
TONFORGE_LANE_INLINE void CoupledFormLanes(const LaneSet& lanes, float* left, float* right, uint32_t n, const SampleContext& ctx) {
  using F = typename L::F;
  constexpr int W = L::kWidth;
  const F coefficient = PerLane<L>(lanes, [&](const Engine& e, int l) { return CoupledCoefficient(e, lanes.pitch[l], ctx); });
  F y0 = PerLane<L>(lanes, [](const Engine& e, int) { return e.W[coupled::kY0].f; });
  F y1 = PerLane<L>(lanes, [](const Engine& e, int) { return e.W[coupled::kY1].f; });
  for (uint32_t f = 0; f < n; ++f) {
    y1 = y1 - coefficient * y0;
    y0 = y0 + coefficient * y1;
    AddToBoth<L>(left + f * W, right + f * W, sine ? y1 : y0);
  }
  for (int l = 0; l < W; ++l)
    if (lanes.writes[l]) lanes.engine[l]->W[coupled::kY0].f = y0[l], lanes.engine[l]->W[coupled::kY1].f = y1[l];
}

// ShapeSettings::Value in every lane.
template <class L, Shape shape>
struct LaneShape {
  using F = typename L::F;
  TONFORGE_LANE_INLINE LaneShape(const LaneSet& lanes, const Cycle& c) : inverse(c.inverse) {
    for (int l = 0; l < L::kWidth; ++l) {
      const ShapeSettings<shape> s(*lanes.engine[l], c);
      amplitude[l] = s.amplitude, width[l] = s.width;
    }
  }
  TONFORGE_LANE_INLINE F Value(const F& phase) const {
    switch (shape) {
      case Shape::DownSaw: return (1.0f - phase * inverse) * amplitude;
      case Shape::UpSaw: return (phase * inverse - 1.0f) * amplitude;
      case Shape::Pulse: return phase < width ? amplitude : -amplitude;
      case Shape::InversePulse: return phase < width ? -amplitude : amplitude;
    }
    return F{};
  }
  float inverse;
  F amplitude, width;
};

template <class L, Shape shape, bool oversampled>
TONFORGE_LANE_INLINE void ShapeLanes(const LaneSet& lanes, float* left, float* right, uint32_t n, const SampleContext& ctx) {
  using F = typename L::F;
  using I = typename L::I;
  constexpr int W = L::kWidth;
  constexpr Cycle cycle = oversampled ? kOversampledCycle : kStandardCycle;
  const LaneShape<L, shape> settings(lanes, cycle);
  const F step = PerLane<L>(lanes, [&](const Engine& e, int l) { return StandardStep(e, lanes.pitch[l], ctx); });
  F phase = PerLane<L>(lanes, [](const Engine& e, int) { return e.W[shape::kPhase].f; });
  for (uint32_t f = 0; f < n; ++f) {
    if (oversampled) {
      // Sixteen sub-steps averaged; the wrap drops the overshoot. In most frames no lane wraps: the phases are
      // then the plain sums, stepped without a compare between one sub-step and the next, and a frame in which
      // a lane does wrap is stepped again with the wrap.
      F acc{};
      F next = phase;
      I wraps{};
      for (int k = 0; k < kOversampling; ++k) {
        acc += settings.Value(next);
        next += step;
        wraps |= next >= cycle.length;
      }
      if (Any<L>(wraps)) {
        acc = F{};
        next = phase;
        for (int k = 0; k < kOversampling; ++k) {
          acc += settings.Value(next);
          next += step;
          next = next >= cycle.length ? F{} : next;
        }
      }
      phase = next;
      AddToBoth<L>(left + f * W, right + f * W, acc * kOversamplingScale);
    } else {
      // The value comes from the phase before it moves; the wrap keeps the overshoot.
      const F v = settings.Value(phase);
      phase += step;
      phase = phase >= cycle.length ? phase - cycle.length : phase;
      AddToBoth<L>(left + f * W, right + f * W, v);
    }
  }
  for (int l = 0; l < W; ++l)
    if (lanes.writes[l]) lanes.engine[l]->W[shape::kPhase].f = phase[l];
}

}  // namespace

void ProcessDownSawGeneratorQuality(Engine& e, VoiceRef, int32_t pitch, SampleContext& ctx) {
  ShapeOversampled<Shape::DownSaw>(e, pitch, ctx);
}
void ProcessUpSawGeneratorQuality(Engine& e, VoiceRef, int32_t pitch, SampleContext& ctx) {
  ShapeOversampled<Shape::UpSaw>(e, pitch, ctx);
}
void ProcessPulseWaveGeneratorQuality(Engine& e, VoiceRef, int32_t pitch, SampleContext& ctx) {
  ShapeOversampled<Shape::Pulse>(e, pitch, ctx);
}
void ProcessInversePulseWaveGeneratorQuality(Engine& e, VoiceRef, int32_t pitch, SampleContext& ctx) {
  ShapeOversampled<Shape::InversePulse>(e, pitch, ctx);
}

// One draw per sample whatever the level, so engines after it see the same random sequence at any "Wet".
void ProcessWhiteNoiseGenerator(Engine& e, VoiceRef, int32_t, SampleContext& ctx) {
  const float v = (2.0f * EngineRandomUnit(ctx.engineRandom) - 1.0f) * e.F[noise::kWet];
  AddToBoth(ctx.bus, v);
}

// Follows the note without the transpose the pitch controllers write.
void ProcessOscillatorSynchronisation(Engine& e, VoiceRef voice, int32_t pitch, SampleContext& ctx) {
  const int64_t transpose = voice.transpose != nullptr ? *voice.transpose : 0;
  const auto p = static_cast<int32_t>(std::clamp<int64_t>(pitch - transpose, 0, kHighestPitch));
  const float period = kSyncPeriods[std::min<uint32_t>(e.options[sync::kOctave], kSyncPeriods.size() - 1)];
  float& phase = e.slots[0].playPosition;
  phase += ctx.tables->Pitch(p - kSyncOffset) * ctx.rate->rateFactor;
  if (phase < period) return;
  phase -= period;
  const int32_t target = e.W[sync::kTarget].i;
  if (voice.chain == nullptr || target < 0 || target >= kChainLength) return;
  Restart(voice.chain[target]);
}

// The block mix's loops, with each routine inlined.
TONFORGE_OVER_FRAMES(ProcessDownSawGeneratorQuality);
TONFORGE_OVER_FRAMES(ProcessUpSawGeneratorQuality);
TONFORGE_OVER_FRAMES(ProcessPulseWaveGeneratorQuality);
TONFORGE_OVER_FRAMES(ProcessInversePulseWaveGeneratorQuality);
TONFORGE_OVER_FRAMES(ProcessWhiteNoiseGenerator);
TONFORGE_OVER_FRAMES(ProcessOscillatorSynchronisation);

TONFORGE_LANE_RUNS(SineLanes, CoupledFormLanes<L, true>)
TONFORGE_LANE_RUNS(CosineLanes, CoupledFormLanes<L, false>)
TONFORGE_LANE_RUNS(DownSawLanes, ShapeLanes<L, Shape::DownSaw, false>)
TONFORGE_LANE_RUNS(UpSawLanes, ShapeLanes<L, Shape::UpSaw, false>)
TONFORGE_LANE_RUNS(PulseLanes, ShapeLanes<L, Shape::Pulse, false>)
TONFORGE_LANE_RUNS(InversePulseLanes, ShapeLanes<L, Shape::InversePulse, false>)
TONFORGE_LANE_RUNS(DownSawQualityLanes, ShapeLanes<L, Shape::DownSaw, true>)
TONFORGE_LANE_RUNS(UpSawQualityLanes, ShapeLanes<L, Shape::UpSaw, true>)
TONFORGE_LANE_RUNS(PulseQualityLanes, ShapeLanes<L, Shape::Pulse, true>)
TONFORGE_LANE_RUNS(InversePulseQualityLanes, ShapeLanes<L, Shape::InversePulse, true>)

TONFORGE_HELD_RUN_ONLY(ProcessSineWaveGenerator, CoupledFormRun<true>)
TONFORGE_HELD_RUN_ONLY(ProcessCosineWaveGenerator, CoupledFormRun<false>)
TONFORGE_HELD_RUN_ONLY(ProcessDownSawGenerator, ShapeStandardRun<Shape::DownSaw>)
TONFORGE_HELD_RUN_ONLY(ProcessUpSawGenerator, ShapeStandardRun<Shape::UpSaw>)
TONFORGE_HELD_RUN_ONLY(ProcessPulseWaveGenerator, ShapeStandardRun<Shape::Pulse>)
TONFORGE_HELD_RUN_ONLY(ProcessInversePulseWaveGenerator, ShapeStandardRun<Shape::InversePulse>)

std::span<const TypeRow> OscillatorRows() {
  using T = EngineTypeId;
  static constexpr std::array kRows = [] {
    using namespace coupled;
    RowBuilder<8> b;
    b.Row(T::SineWaveGenerator, kProgramOnly, "Sine Wave Generator", "GnS", PrepareCoupledForm<kY0>)
        .Param(kTuning, "Tuning", -1200, 1200, 0).Param(kWet, "Wet", 0, 100, 75);
    b.Row(T::CosineWaveGenerator, kProgramOnly, "Cosine Wave Generator", "GnC", PrepareCoupledForm<kY1>)
        .Param(kTuning, "Tuning", -1200, 1200, 0).Param(kWet, "Wet", 0, 100, 75);
    b.Row(T::DownSawGenerator, kProgramOnly, "Down Saw Generator", "GnD", PrepareShape)
        .Param(shape::kTuning, "Tuning", -2400, 1200, 0).Param(shape::kSawWet, "Wet", 0, 100, 75);
    b.Row(T::UpSawGenerator, kProgramOnly, "Up Saw Generator", "GnU", PrepareShape)
        .Param(shape::kTuning, "Tuning", -2400, 1200, 0).Param(shape::kSawWet, "Wet", 0, 100, 75);
    b.Row(T::PulseWaveGenerator, kProgramOnly, "Pulse Wave Generator", "GnP", PrepareShape)
        .Param(shape::kTuning, "Tuning", -2400, 1200, 0).Param(shape::kPulse, "Pulse", 1, 99, 50)
        .Param(shape::kPulseWet, "Wet", 0, 100, 75);
    b.Row(T::InversePulseWaveGenerator, kProgramOnly, "Inverse Pulse Wave Generator", "GnI", PrepareShape)
        .Param(shape::kTuning, "Tuning", -2400, 1200, 0).Param(shape::kPulse, "Pulse", 1, 99, 50)
        .Param(shape::kPulseWet, "Wet", 0, 100, 75);
    b.Row(T::WhiteNoiseGenerator, kProgramOnly, "White Noise Generator", "GnW").Param(noise::kWet, "Wet", 0, 100, 75);
    b.Row(T::OscillatorSynchronisation, kProgramOnly, "Oscillator Synchronisation", "Osc", PrepareSynchronisation)
        .Param(sync::kEngine, "Engine", 1, 9, 1).Choice(sync::kOctave, {"Oct 1", "Oct 2", "Oct 3", "Oct 4"}, 1);
    return b.Finish();
  }();
  return kRows;
}

}  // namespace tonforge
