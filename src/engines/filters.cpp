// Filters: a four-stage resonant low-pass on the left channel, and seven stereo second-order sections
// whose coefficients follow a cutoff that modulators may move every sample.
#include <bit>
#include <cmath>
#include <utility>

#include "engines/effect_lines.h"
#include "engines/families.h"
#include "engines/family_rows.h"
#include "engines/held_state.h"
#include "engines/lane_state.h"

namespace tonforge {

namespace {

// The second-order sections keep their direct-form-I history in W0..W7 (as HeldHistory reads it), the
// coefficients b0, b1, b2, a1, a2 in W8..W12 and the bits of the cutoff they were made for in W13.
enum SectionWord : int { kB0 = 8, kB1, kB2, kA1, kA2, kSectionCutoff };

// The Moog VCF: W0..W3 the inputs of its four stages a sample ago (the scaled input, then the outputs of
// stages 1..3), W4..W7 the stages' outputs a sample ago, then fc, 1 - fc, the input gain, the feedback and
// the cutoff they were made for.
namespace moog {
enum Parameter : int { kCutoff, kQ, kWet };
enum WorkingWord : int { kStageInput, kStageOutput = 4, kLastOutput = 7, kFc, kPole, kGain, kFeedback, kCutoffBits = 13 };
}  // namespace moog

constexpr float kPi = 3.1415927f;
constexpr float kLowestCutoff = 0.0001f;
// Upper bounds of f for the second-order sections. At f = 1 a section's two poles meet on the unit circle at
// half the rate and its output grows instead of decaying, so every section stops below it: the high pass and
// the shelves where the band sections do.
constexpr float kLowPassTop = 0.999f;
constexpr float kSectionTop = 0.995f;

// The normalised cutoff f = c² × rate factor (1 is 22050 Hz at every rate).
float NormalisedCutoff(float c, const OutputRate& rate) { return c * c * rate.rateFactor; }

// Keeps f in [0.0001, upper]; a NaN cutoff (damaged modulator data) becomes the lowest one.
float ClampCutoff(float f, float upper) {
  if (!(f >= kLowestCutoff)) return kLowestCutoff;
  return f > upper ? upper : f;
}

// Coefficients of a section before the division by a0.
struct Section {
  float b0, b1, b2, a0, a1, a2;
};

// The normalised coefficients b0, b1, b2, a1, a2 (a0 divided out).
struct Coefficients {
  float b0, b1, b2, a1, a2;
};

// The coefficients for normalised cutoff f; design(s, k) gives the section for s = sin w, k = cos w.
template <class Design>
Coefficients SectionCoefficients(float f, float upper, const Design& design) {
  const float w = ClampCutoff(f, upper) * kPi;
  const Section s = design(std::sin(w), std::cos(w));
  const float inv = 1.0f / s.a0;
  return {s.b0 * inv, s.b1 * inv, s.b2 * inv, s.a1 * inv, s.a2 * inv};
}

// Direct form I: one output from the input, the two inputs and the two outputs before it.
float DirectFormI(const Coefficients& c, float x, float x1, float x2, float y1, float y2) {
  return c.b0 * x + c.b1 * x1 + c.b2 * x2 - c.a1 * y1 - c.a2 * y2;
}

// The seven sections: each names its parameters, gives its coefficients for s = sin w, k = cos w, and says
// whether modulators move its cutoff and how high that may go.
struct LowPass {
  static constexpr bool kModulated = true;
  static constexpr float kTop = kLowPassTop;
  enum Parameter : int { kCutoff, kQ, kWet };
  explicit LowPass(const Engine& e) : q(e.F[kQ]) {}
  Section operator()(float s, float k) const {
    const float alpha = s / (16.0f * q);
    return Section{(1.0f - k) / 2.0f, 1.0f - k, (1.0f - k) / 2.0f, 1.0f + alpha, -2.0f * k, 1.0f - alpha};
  }
  float q;
};

struct HighPass {
  static constexpr bool kModulated = true;
  static constexpr float kTop = kSectionTop;
  enum Parameter : int { kCutoff, kWet };
  explicit HighPass(const Engine&) {}
  Section operator()(float s, float k) const {
    const float alpha = s * 0.25f;
    return Section{(1.0f + k) / 2.0f, -(1.0f + k), (1.0f + k) / 2.0f, 1.0f + alpha, -2.0f * k, 1.0f - alpha};
  }
};

struct BandPass {
  static constexpr bool kModulated = true;
  static constexpr float kTop = kSectionTop;
  enum Parameter : int { kCentre, kBandwidth, kWet };
  explicit BandPass(const Engine& e) : width(e.C[kBandwidth]) {}
  Section operator()(float s, float k) const {
    const float alpha = s / (8.0f * width);
    return Section{alpha, 0.0f, -alpha, 1.0f + alpha, -2.0f * k, 1.0f - alpha};
  }
  float width;
};

struct BandExclude {
  static constexpr bool kModulated = true;
  static constexpr float kTop = kSectionTop;
  enum Parameter : int { kCentre, kBandwidth, kWet };
  explicit BandExclude(const Engine& e) : width(e.C[kBandwidth]) {}
  Section operator()(float s, float k) const {
    const float alpha = s / width;
    return Section{1.0f, -2.0f * k, 1.0f, 1.0f + alpha, -2.0f * k, 1.0f - alpha};
  }
  float width;
};

// The shelves share B = √(2A) × s, written as the slope-1 form (A² + 1) − (A − 1)².
float ShelfB(float a, float s) { return std::sqrt((a * a + 1.0f) - (a - 1.0f) * (a - 1.0f)) * s; }

struct LowShelf {
  static constexpr bool kModulated = false;
  static constexpr float kTop = kSectionTop;
  enum Parameter : int { kCutoff, kGain, kWet };
  explicit LowShelf(const Engine& e) : a(4.0f * e.F[kGain]) {}
  Section operator()(float s, float k) const {
    const float b = ShelfB(a, s);
    return Section{a * ((a + 1.0f) - (a - 1.0f) * k + b), 2.0f * a * ((a - 1.0f) - (a + 1.0f) * k),
                   a * ((a + 1.0f) - (a - 1.0f) * k - b), (a + 1.0f) + (a - 1.0f) * k + b,
                   -2.0f * ((a - 1.0f) + (a + 1.0f) * k), (a + 1.0f) + (a - 1.0f) * k - b};
  }
  float a;
};

struct HighShelf {
  static constexpr bool kModulated = false;
  static constexpr float kTop = kSectionTop;
  enum Parameter : int { kCutoff, kGain, kWet };
  explicit HighShelf(const Engine& e) : a(4.0f * e.F[kGain]) {}
  Section operator()(float s, float k) const {
    const float b = ShelfB(a, s);
    return Section{a * ((a + 1.0f) + (a - 1.0f) * k + b), -2.0f * a * ((a - 1.0f) + (a + 1.0f) * k),
                   a * ((a + 1.0f) + (a - 1.0f) * k - b), (a + 1.0f) - (a - 1.0f) * k + b,
                   2.0f * ((a - 1.0f) - (a + 1.0f) * k), (a + 1.0f) - (a - 1.0f) * k - b};
  }
  float a;
};

struct Peaking {
  static constexpr bool kModulated = true;
  static constexpr float kTop = kSectionTop;
  enum Parameter : int { kCutoff, kBandwidth, kGain, kWet };
  explicit Peaking(const Engine& e) : a(3.0f * e.F[kGain]), width(e.C[kBandwidth]) {}
  Section operator()(float s, float k) const {
    const float alpha = s / (8.0f * width);
    return Section{1.0f + alpha * a, -2.0f * k, 1.0f - alpha * a, 1.0f + alpha / a, -2.0f * k, 1.0f - alpha / a};
  }
  float a, width;
};

// Every section's first parameter is its cutoff (or centre).
constexpr int kCutoffParameter = 0;

// The frame-by-frame routine, working on the words in the record.

bool SameCutoff(const Engine& e, float f) { return std::bit_cast<uint32_t>(f) == e.W[kSectionCutoff].u; }

// Recomputes the coefficients only when the cutoff's bit pattern differs from the last one.
template <class Design>
void UpdateSection(Engine& e, float f, float upper, const Design& design) {
  if (SameCutoff(e, f)) return;
  e.W[kSectionCutoff].f = f;
  const Coefficients c = SectionCoefficients(f, upper, design);
  e.W[kB0].f = c.b0;
  e.W[kB1].f = c.b1;
  e.W[kB2].f = c.b2;
  e.W[kA1].f = c.a1;
  e.W[kA2].f = c.a2;
}

// Direct form I on channel ch, from the history in W0..W7.
float Filter(const Engine& e, int ch, float x) {
  const auto& W = e.W;
  return DirectFormI({W[kB0].f, W[kB1].f, W[kB2].f, W[kA1].f, W[kA2].f}, x, W[6 + ch].f, W[4 + ch].f, W[ch].f,
                     W[2 + ch].f);
}

template <class Design>
void ProcessSection(Engine& e, SampleContext& ctx) {
  const float base = e.F[kCutoffParameter];
  const float c = Design::kModulated ? ModulatorSum(e, base, *ctx.rate) : base;
  UpdateSection(e, NormalisedCutoff(c, *ctx.rate), Design::kTop, Design(e));
  const MixBus in = ctx.bus;
  const float left = Filter(e, 0, in.left);
  ShiftHistory(e, 0, in.left, left);
  const float right = Filter(e, 1, in.right);
  ShiftHistory(e, 1, in.right, right);
  ctx.bus = {left, right};
  WetDryMix(ctx.bus, in, e, Design::kWet);
  GuardHistory(e, left + right);
}

// A section's history and coefficients held over a run.
struct HeldSection {
  explicit HeldSection(const Engine& e)
      : history(e),
        c{e.W[kB0].f, e.W[kB1].f, e.W[kB2].f, e.W[kA1].f, e.W[kA2].f},
        cutoffBits(e.W[kSectionCutoff].u) {}

  // Recomputes the coefficients only when the cutoff's bit pattern differs from the last one.
  template <class Design>
  void Update(float f, float upper, const Design& design) {
    if (std::bit_cast<uint32_t>(f) == cutoffBits) return;
    cutoffBits = std::bit_cast<uint32_t>(f);
    c = SectionCoefficients(f, upper, design);
  }

  float Run(int ch, float x) {
    const HeldHistory& h = history;
    const float y = DirectFormI(c, x, h.x1[ch], h.x2[ch], h.y1[ch], h.y2[ch]);
    history.Shift(ch, x, y);
    return y;
  }

  void Guard(float outputs) {
    if (Poisoned(outputs)) [[unlikely]]
      history.ClearNonFinite();
  }

  void Store(Engine& e) const {
    history.Store(e);
    e.W[kB0].f = c.b0, e.W[kB1].f = c.b1, e.W[kB2].f = c.b2, e.W[kA1].f = c.a1, e.W[kA2].f = c.a2;
    e.W[kSectionCutoff].u = cutoffBits;
  }

  HeldHistory history;
  Coefficients c;
  uint32_t cutoffBits;
};

// ProcessSection over a run of frames, its state held in locals.
template <class Design>
void SectionRun(Engine& e, int32_t, MixBus* frames, uint32_t n, const SampleContext& ctx) {
  const OutputRate& rate = *ctx.rate;
  const Design design(e);
  const Blend blend(e, Design::kWet);
  HeldSection section(e);
  HeldModulators modulators(e, rate);
  const float base = e.F[kCutoffParameter], rateFactor = rate.rateFactor;
  for (uint32_t f = 0; f < n; ++f) {
    const float c = Design::kModulated ? modulators.Sum(base) : base;
    section.Update(c * c * rateFactor, Design::kTop, design);
    const MixBus in = frames[f];
    const float left = section.Run(0, in.left);
    const float right = section.Run(1, in.right);
    frames[f] = blend({left, right}, in);
    section.Guard(left + right);
  }
  section.Store(e);
  if (Design::kModulated) modulators.Store(e);
}

// Every stage feeds the next, so a non-finite value anywhere shows in the fourth stage's output.
[[gnu::cold, gnu::noinline]] void ClearMoogHistory(Engine& e) {
  for (int i = moog::kStageInput; i <= moog::kLastOutput; ++i) e.W[i].f = 0.0f;
}

}  // namespace

void ProcessLowPassFilter(Engine& e, VoiceRef, int32_t, SampleContext& ctx) { ProcessSection<LowPass>(e, ctx); }
void ProcessHighPassFilter(Engine& e, VoiceRef, int32_t, SampleContext& ctx) { ProcessSection<HighPass>(e, ctx); }
void ProcessBandPassFilter(Engine& e, VoiceRef, int32_t, SampleContext& ctx) { ProcessSection<BandPass>(e, ctx); }
void ProcessBandExcludeFilter(Engine& e, VoiceRef, int32_t, SampleContext& ctx) {
  ProcessSection<BandExclude>(e, ctx);
}
void ProcessLowShelfFilter(Engine& e, VoiceRef, int32_t, SampleContext& ctx) { ProcessSection<LowShelf>(e, ctx); }
void ProcessHighShelfFilter(Engine& e, VoiceRef, int32_t, SampleContext& ctx) { ProcessSection<HighShelf>(e, ctx); }
void ProcessPeakingFilter(Engine& e, VoiceRef, int32_t, SampleContext& ctx) { ProcessSection<Peaking>(e, ctx); }

// Four one-pole stages in series with feedback from the last; only the left channel is filtered.
void ProcessMoogVcf(Engine& e, VoiceRef, int32_t, SampleContext& ctx) {
  using namespace moog;
  auto& W = e.W;
  const float cutoff = ModulatorSum(e, e.F[kCutoff], *ctx.rate);
  const float f = ClampCutoff(NormalisedCutoff(cutoff, *ctx.rate), 1.0f);
  if (!SameCutoff(e, f)) {
    const float fc = f * 1.16f;
    W[kCutoffBits].f = f;
    W[kFc].f = fc;
    W[kPole].f = 1.0f - fc;
    W[kGain].f = fc * fc * fc * fc * 0.35013f;
    W[kFeedback].f = (1.0f - fc * fc * 0.15f) * e.F[kQ] * 4.0f;
  }
  const MixBus in = ctx.bus;
  const float pole = W[kPole].f;
  const float x = (in.left - W[kFeedback].f * W[kLastOutput].f) * W[kGain].f;
  // Each stage: its input, 0.3 of its input a sample ago, and its own output a sample ago on the pole.
  const float s1 = x + 0.3f * W[kStageInput].f + pole * W[kStageOutput].f;
  const float s2 = s1 + 0.3f * W[kStageInput + 1].f + pole * W[kStageOutput + 1].f;
  const float s3 = s2 + 0.3f * W[kStageInput + 2].f + pole * W[kStageOutput + 2].f;
  const float s4 = s3 + 0.3f * W[kStageInput + 3].f + pole * W[kLastOutput].f;
  W[kStageInput].f = x;
  W[kStageInput + 1].f = W[kStageOutput].f = s1;
  W[kStageInput + 2].f = W[kStageOutput + 1].f = s2;
  W[kStageInput + 3].f = W[kStageOutput + 2].f = s3;
  W[kLastOutput].f = s4;
  ctx.bus = {s4, s4};
  WetDryMix(ctx.bus, in, e, kWet);
  if (Poisoned(s4)) [[unlikely]]
    ClearMoogHistory(e);
}

// The block mix's loops, with each routine inlined.
TONFORGE_OVER_FRAMES(ProcessMoogVcf);

TONFORGE_HELD_RUN(ProcessLowPassFilter, SectionRun<LowPass>)
TONFORGE_HELD_RUN(ProcessHighPassFilter, SectionRun<HighPass>)
TONFORGE_HELD_RUN(ProcessBandPassFilter, SectionRun<BandPass>)
TONFORGE_HELD_RUN(ProcessBandExcludeFilter, SectionRun<BandExclude>)
TONFORGE_HELD_RUN(ProcessLowShelfFilter, SectionRun<LowShelf>)
TONFORGE_HELD_RUN(ProcessHighShelfFilter, SectionRun<HighShelf>)
TONFORGE_HELD_RUN(ProcessPeakingFilter, SectionRun<Peaking>)

// The sections in lanes: SectionRun in each lane. The recursion and the blend are vector operations; a lane
// whose cutoff moved gets its new coefficients from the scalar SectionCoefficients, sine and cosine included.
namespace {

template <class Design, size_t... l>
TONFORGE_LANE_INLINE std::array<Design, sizeof...(l)> LaneDesigns(const LaneSet& lanes, std::index_sequence<l...>) {
  return {Design(*lanes.engine[l])...};
}

// HeldHistory of one channel in every lane.
template <class L>
struct LaneHistory {
  using F = typename L::F;
  TONFORGE_LANE_INLINE LaneHistory(const LaneSet& lanes, int ch)
      : y1(PerLane<L>(lanes, [ch](const Engine& e, int) { return e.W[ch].f; })),
        y2(PerLane<L>(lanes, [ch](const Engine& e, int) { return e.W[2 + ch].f; })),
        x2(PerLane<L>(lanes, [ch](const Engine& e, int) { return e.W[4 + ch].f; })),
        x1(PerLane<L>(lanes, [ch](const Engine& e, int) { return e.W[6 + ch].f; })) {}

  // DirectFormI and HeldHistory::Shift.
  template <class C>
  TONFORGE_LANE_INLINE F Run(const C& c, const F& x) {
    const F y = c.b0 * x + c.b1 * x1 + c.b2 * x2 - c.a1 * y1 - c.a2 * y2;
    y2 = y1, y1 = y, x2 = x1, x1 = x;
    return y;
  }

  // HeldHistory::ClearNonFinite in the lanes of `hit`.
  TONFORGE_LANE_INLINE void ClearNonFinite(const typename L::I& hit) {
    const auto bad = hit & ~(Finite<L>(y1) & Finite<L>(y2) & Finite<L>(x2) & Finite<L>(x1));
    y1 = bad ? F{} : y1, y2 = bad ? F{} : y2, x2 = bad ? F{} : x2, x1 = bad ? F{} : x1;
  }

  TONFORGE_LANE_INLINE void Store(const LaneSet& lanes, int ch) const {
    for (int l = 0; l < L::kWidth; ++l)
      if (lanes.writes[l]) {
        Engine& e = *lanes.engine[l];
        e.W[ch].f = y1[l], e.W[2 + ch].f = y2[l], e.W[4 + ch].f = x2[l], e.W[6 + ch].f = x1[l];
      }
  }

  F y1, y2, x2, x1;
};

template <class L, class Design>
TONFORGE_LANE_INLINE void SectionLanes(const LaneSet& lanes, float* left, float* right, uint32_t n, const SampleContext& ctx) {
  using F = typename L::F;
  using I = typename L::I;
  constexpr int W = L::kWidth;
  const OutputRate& rate = *ctx.rate;
  const auto design = LaneDesigns<Design>(lanes, std::make_index_sequence<W>());
  const LaneBlend<L> blend(lanes, Design::kWet);
  LaneHistory<L> historyLeft(lanes, 0), historyRight(lanes, 1);
  struct {
    F b0, b1, b2, a1, a2;
  } c;
  c.b0 = PerLane<L>(lanes, [](const Engine& e, int) { return e.W[kB0].f; });
  c.b1 = PerLane<L>(lanes, [](const Engine& e, int) { return e.W[kB1].f; });
  c.b2 = PerLane<L>(lanes, [](const Engine& e, int) { return e.W[kB2].f; });
  c.a1 = PerLane<L>(lanes, [](const Engine& e, int) { return e.W[kA1].f; });
  c.a2 = PerLane<L>(lanes, [](const Engine& e, int) { return e.W[kA2].f; });
  I cutoffBits = PerLane<L>(lanes, [](const Engine& e, int) { return e.W[kSectionCutoff].i; });
  LaneModulators<L> modulators(lanes, rate);
  const F base = PerLane<L>(lanes, [](const Engine& e, int) { return static_cast<float>(e.F[kCutoffParameter]); });
  const float rateFactor = rate.rateFactor;
  for (uint32_t f = 0; f < n; ++f) {
    const F cut = Design::kModulated ? modulators.Sum(base) : base;
    const F fc = cut * cut * rateFactor;
    const I moved = (I)fc != cutoffBits;
    if (Any<L>(moved)) {
      const LaneArray<L, I> m(moved);
      const LaneArray<L, F> at(fc);
      for (int l = 0; l < W; ++l) {
        if (!m.at[l]) continue;
        const Coefficients k = SectionCoefficients(at.at[l], Design::kTop, design[l]);
        c.b0[l] = k.b0, c.b1[l] = k.b1, c.b2[l] = k.b2, c.a1[l] = k.a1, c.a2[l] = k.a2;
      }
      cutoffBits = (I)fc;
    }
    const F inLeft = Load<L>(left + f * W), inRight = Load<L>(right + f * W);
    const F outLeft = historyLeft.Run(c, inLeft);
    const F outRight = historyRight.Run(c, inRight);
    Store<L>(left + f * W, blend(outLeft, inLeft));
    Store<L>(right + f * W, blend(outRight, inRight));
    const I hit = ~Finite<L>(outLeft + outRight);
    if (kGuardState && Any<L>(hit)) [[unlikely]] {
      historyLeft.ClearNonFinite(hit);
      historyRight.ClearNonFinite(hit);
    }
  }
  historyLeft.Store(lanes, 0);
  historyRight.Store(lanes, 1);
  for (int l = 0; l < W; ++l)
    if (lanes.writes[l]) {
      Engine& e = *lanes.engine[l];
      e.W[kB0].f = c.b0[l], e.W[kB1].f = c.b1[l], e.W[kB2].f = c.b2[l], e.W[kA1].f = c.a1[l], e.W[kA2].f = c.a2[l];
      e.W[kSectionCutoff].i = cutoffBits[l];
    }
  if (Design::kModulated) modulators.Store();
}

}  // namespace

TONFORGE_LANE_RUNS(LowPassLanes, SectionLanes<L, LowPass>)
TONFORGE_LANE_RUNS(HighPassLanes, SectionLanes<L, HighPass>)
TONFORGE_LANE_RUNS(BandPassLanes, SectionLanes<L, BandPass>)
TONFORGE_LANE_RUNS(BandExcludeLanes, SectionLanes<L, BandExclude>)
TONFORGE_LANE_RUNS(LowShelfLanes, SectionLanes<L, LowShelf>)
TONFORGE_LANE_RUNS(HighShelfLanes, SectionLanes<L, HighShelf>)
TONFORGE_LANE_RUNS(PeakingLanes, SectionLanes<L, Peaking>)

namespace {

// No computed cutoff has this bit pattern, so the first sample computes the coefficients.
void PrepareFilter(Engine& e, const OutputRate&) { e.W[kSectionCutoff].i = 999; }

}  // namespace

std::span<const TypeRow> FilterRows() {
  using T = EngineTypeId;
  static constexpr std::array kRows = [] {
    RowBuilder<8> b;
    b.Row(T::MoogVcf, kEveryLevel, "Moog VCF (Mono)", "VCF", PrepareFilter).Param(moog::kCutoff, "Cutoff", 1, 100, 100)
        .Param(moog::kQ, "Q", 0, 100, 0).Param(moog::kWet, "Wet", 0, 100, 100).FourModulators();
    b.Row(T::LowPassFilter, kEveryLevel, "Low Pass Filter", "LPF", PrepareFilter)
        .Param(LowPass::kCutoff, "Cutoff", 1, 100, 100).Param(LowPass::kQ, "Q", 1, 100, 1)
        .Param(LowPass::kWet, "Wet", 0, 100, 100).FourModulators();
    b.Row(T::HighPassFilter, kEveryLevel, "High Pass Filter", "HPF", PrepareFilter)
        .Param(HighPass::kCutoff, "Cutoff", 1, 100, 1).Param(HighPass::kWet, "Wet", 0, 100, 100).FourModulators();
    b.Row(T::BandPassFilter, kEveryLevel, "Band Pass Filter", "BPF", PrepareFilter)
        .Param(BandPass::kCentre, "Centre", 1, 100, 100).Param(BandPass::kBandwidth, "Bandwidth", 1, 99, 99)
        .Param(BandPass::kWet, "Wet", 0, 100, 100).FourModulators();
    b.Row(T::BandExcludeFilter, kEveryLevel, "Band Exclude Filter", "BEF", PrepareFilter)
        .Param(BandExclude::kCentre, "Centre", 1, 100, 100).Param(BandExclude::kBandwidth, "Bandwidth", 1, 99, 1)
        .Param(BandExclude::kWet, "Wet", 0, 100, 100).FourModulators();
    b.Row(T::LowShelfFilter, kEveryLevel, "Low Shelf Filter", "LSF", PrepareFilter)
        .Param(LowShelf::kCutoff, "Cutoff", 1, 100, 1).Param(LowShelf::kGain, "Gain", 1, 100, 50)
        .Param(LowShelf::kWet, "Wet", 0, 100, 100);
    b.Row(T::HighShelfFilter, kEveryLevel, "High Shelf Filter", "HSF", PrepareFilter)
        .Param(HighShelf::kCutoff, "Cutoff", 1, 100, 100).Param(HighShelf::kGain, "Gain", 1, 100, 50)
        .Param(HighShelf::kWet, "Wet", 0, 100, 100);
    b.Row(T::PeakingFilter, kEveryLevel, "Peaking Filter", "PKF", PrepareFilter)
        .Param(Peaking::kCutoff, "Cutoff", 1, 100, 100).Param(Peaking::kBandwidth, "Bandwidth", 1, 99, 1)
        .Param(Peaking::kGain, "Gain", 1, 100, 1).Param(Peaking::kWet, "Wet", 0, 100, 100).FourModulators();
    return b.Finish();
  }();
  return kRows;
}

}  // namespace tonforge
