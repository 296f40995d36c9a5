// Filters: a four-stage resonant low-pass on the left channel, and seven stereo second-order sections
// whose coefficients follow a cutoff that modulators may move every sample.
#include <bit>
#include <cmath>

#include "engines/effect_lines.h"
#include "engines/families.h"
#include "engines/held_state.h"

namespace tonforge {

namespace {

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

bool SameCutoff(const Engine& e, float f) { return std::bit_cast<uint32_t>(f) == e.W[13].u; }

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

// Recomputes W8..W12 only when the cutoff's bit pattern differs from the last one.
template <class Design>
void UpdateSection(Engine& e, float f, float upper, Design design) {
  if (SameCutoff(e, f)) return;
  e.W[13].f = f;
  const Coefficients c = SectionCoefficients(f, upper, design);
  e.W[8].f = c.b0;
  e.W[9].f = c.b1;
  e.W[10].f = c.b2;
  e.W[11].f = c.a1;
  e.W[12].f = c.a2;
}

// Direct form I: one output from the input, the two inputs and the two outputs before it.
float DirectFormI(const Coefficients& c, float x, float x1, float x2, float y1, float y2) {
  return c.b0 * x + c.b1 * x1 + c.b2 * x2 - c.a1 * y1 - c.a2 * y2;
}

// Direct form I on channel ch, from the history in W0..W7.
float Filter(const Engine& e, int ch, float x) {
  const auto& W = e.W;
  return DirectFormI({W[8].f, W[9].f, W[10].f, W[11].f, W[12].f}, x, W[6 + ch].f, W[4 + ch].f, W[ch].f,
                     W[2 + ch].f);
}

template <class Design>
void RunSection(Engine& e, SampleContext& ctx, float c, float upper, int wet, Design design) {
  UpdateSection(e, NormalisedCutoff(c, *ctx.rate), upper, design);
  const MixBus in = ctx.bus;
  const float left = Filter(e, 0, in.left);
  ShiftHistory(e, 0, in.left, left);
  const float right = Filter(e, 1, in.right);
  ShiftHistory(e, 1, in.right, right);
  ctx.bus = {left, right};
  WetDryMix(ctx.bus, in, e, wet);
  GuardHistory(e, left + right);
}

// The seven sections: each gives its coefficients for s = sin w, k = cos w, and says where its cutoff comes
// from, how high it may go and which parameter mixes it.
struct LowPass {
  static constexpr bool kModulated = true;
  static constexpr float kTop = kLowPassTop;
  static constexpr int kWet = 2;
  explicit LowPass(const Engine& e) : q(e.F[1]) {}
  Section operator()(float s, float k) const {
    const float alpha = s / (16.0f * q);
    return Section{(1.0f - k) / 2.0f, 1.0f - k, (1.0f - k) / 2.0f, 1.0f + alpha, -2.0f * k, 1.0f - alpha};
  }
  float q;
};

struct HighPass {
  static constexpr bool kModulated = true;
  static constexpr float kTop = kSectionTop;
  static constexpr int kWet = 1;
  explicit HighPass(const Engine&) {}
  Section operator()(float s, float k) const {
    const float alpha = s * 0.25f;
    return Section{(1.0f + k) / 2.0f, -(1.0f + k), (1.0f + k) / 2.0f, 1.0f + alpha, -2.0f * k, 1.0f - alpha};
  }
};

struct BandPass {
  static constexpr bool kModulated = true;
  static constexpr float kTop = kSectionTop;
  static constexpr int kWet = 2;
  explicit BandPass(const Engine& e) : width(e.C[1]) {}
  Section operator()(float s, float k) const {
    const float alpha = s / (8.0f * width);
    return Section{alpha, 0.0f, -alpha, 1.0f + alpha, -2.0f * k, 1.0f - alpha};
  }
  float width;
};

struct BandExclude {
  static constexpr bool kModulated = true;
  static constexpr float kTop = kSectionTop;
  static constexpr int kWet = 2;
  explicit BandExclude(const Engine& e) : width(e.C[1]) {}
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
  static constexpr int kWet = 2;
  explicit LowShelf(const Engine& e) : a(4.0f * e.F[1]) {}
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
  static constexpr int kWet = 2;
  explicit HighShelf(const Engine& e) : a(4.0f * e.F[1]) {}
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
  static constexpr int kWet = 3;
  explicit Peaking(const Engine& e) : a(3.0f * e.F[2]), width(e.C[1]) {}
  Section operator()(float s, float k) const {
    const float alpha = s / (8.0f * width);
    return Section{1.0f + alpha * a, -2.0f * k, 1.0f - alpha * a, 1.0f + alpha / a, -2.0f * k, 1.0f - alpha / a};
  }
  float a, width;
};

float Modulated(Engine& e, const SampleContext& ctx) { return ModulatorSum(e, e.F[0], *ctx.rate); }

template <class Design>
void ProcessSection(Engine& e, SampleContext& ctx) {
  const float cutoff = Design::kModulated ? Modulated(e, ctx) : e.F[0].Load();
  RunSection(e, ctx, cutoff, Design::kTop, Design::kWet, Design(e));
}

// A section's history and coefficients held over a run (the words RunSection works on).
struct HeldSection {
  explicit HeldSection(const Engine& e)
      : history(e), c{e.W[8].f, e.W[9].f, e.W[10].f, e.W[11].f, e.W[12].f}, cutoffBits(e.W[13].u) {}

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
    e.W[8].f = c.b0, e.W[9].f = c.b1, e.W[10].f = c.b2, e.W[11].f = c.a1, e.W[12].f = c.a2;
    e.W[13].u = cutoffBits;
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
  const float base = e.F[0], rateFactor = rate.rateFactor;
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
  for (int i = 0; i < 8; ++i) e.W[i].f = 0.0f;
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

// Moog VCF: W0 previous scaled input, W1..W3 previous outputs of stages 1..3 (the inputs of stages 2..4),
// W4..W7 the outputs of stages 1..4, W8 fc, W9 1 − fc, W10 input gain, W11 feedback, W13 the cutoff.
void ProcessMoogVcf(Engine& e, VoiceRef, int32_t, SampleContext& ctx) {
  auto& W = e.W;
  const float f = ClampCutoff(NormalisedCutoff(Modulated(e, ctx), *ctx.rate), 1.0f);
  if (!SameCutoff(e, f)) {
    const float fc = f * 1.16f;
    W[13].f = f;
    W[8].f = fc;
    W[9].f = 1.0f - fc;
    W[10].f = fc * fc * fc * fc * 0.35013f;
    W[11].f = (1.0f - fc * fc * 0.15f) * e.F[1] * 4.0f;
  }
  const MixBus in = ctx.bus;
  const float pole = W[9].f;
  const float x = (in.left - W[11].f * W[7].f) * W[10].f;
  const float s1 = x + 0.3f * W[0].f + pole * W[4].f;
  const float s2 = s1 + 0.3f * W[1].f + pole * W[5].f;
  const float s3 = s2 + 0.3f * W[2].f + pole * W[6].f;
  const float s4 = s3 + 0.3f * W[3].f + pole * W[7].f;
  W[0].f = x;
  W[1].f = W[4].f = s1;
  W[2].f = W[5].f = s2;
  W[3].f = W[6].f = s3;
  W[7].f = s4;
  ctx.bus = {s4, s4};
  WetDryMix(ctx.bus, in, e, 2);
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
}  // namespace tonforge
