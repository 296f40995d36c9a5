// Reverbs: banks of parallel feedback combs (eight per channel, lengths scaled by the rate) with an
// optional chain of four all-pass stages for the offline render, and the plate: four combs per channel
// whose lengths are its parameters, followed by a one-pole low-pass.
#include <array>
#include <cmath>
#include <initializer_list>

#include "engines/effect_lines.h"
#include "engines/families.h"
#include "engines/family_rows.h"
#include "engines/held_state.h"

namespace tonforge {

namespace {

namespace basic {
enum Parameter : int { kDecay, kDry, kWet };
}
// The stereo reverbs keep their low-pass's history in W0..W7 and its coefficients in W8..W12.
namespace stereo {
enum Parameter : int { kDecay, kCutoff, kQ, kDry, kWet };
enum WorkingWord : int { kB0 = 8, kB1, kB2, kA1, kA2 };
}  // namespace stereo
// The plate: the left low-pass's previous input and output in W0 and W1, the right one's in W2 and W3,
// its two coefficients in W4 and W5, the left comb lengths in W6..W9 and the right ones in W10..W13.
namespace plate {
enum Parameter : int { kPlate1, kDecay = 4, kDry, kWet };
enum WorkingWord : int { kLeftLowPass, kRightLowPass = 2, kLowPassGain = 4, kLowPassPole, kLeftLengths, kRightLengths = 10 };
}  // namespace plate
static_assert(static_cast<int>(basic::kDecay) == stereo::kDecay);

constexpr int kCombs = 8;
constexpr int kAllPasses = 4;
constexpr int kFirstAllPassLine = 8;
constexpr int kPlates = 4;

// Lengths in samples by rate: 44100, 22050 and 11025 Hz.
using CombLengths = std::array<int32_t, kCombs>;
using CombSet = std::array<CombLengths, 3>;

constexpr CombSet kSetA = {{{1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617},
                            {558, 594, 639, 678, 711, 745, 779, 808},
                            {279, 297, 319, 339, 355, 373, 389, 404}}};
constexpr CombSet kSetB = {{{1117, 1188, 1278, 1356, 1423, 1491, 1558, 1617},
                            {558, 594, 639, 678, 711, 745, 779, 808},
                            {279, 297, 319, 339, 355, 373, 389, 404}}};
constexpr CombSet kSetC = {{{1116, 1189, 1277, 1357, 1422, 1492, 1557, 1618},
                            {558, 594, 638, 678, 711, 746, 778, 809},
                            {279, 297, 319, 339, 356, 373, 389, 404}}};
constexpr std::array<std::array<int32_t, kAllPasses>, 3> kAllPassLengths = {
    {{556, 441, 341, 225}, {278, 221, 171, 112}, {139, 110, 86, 56}}};

int RateIndex(const OutputRate& rate) { return rate.rateStep == 4 ? 2 : rate.rateStep == 2 ? 1 : 0; }

// "Decay" 1..100 gives a comb feedback of 0.703..1.0.
float CombDecay(const Engine& e) { return e.F[basic::kDecay] * 0.3f + 0.7f; }

// The comb reverbs, written as runs over frames with the twelve lines and the low-pass history held in
// locals (held_state.h); one sample is a run of one. Eight combs per channel with negative feedback give
// (x + Σ y) × 0.11 − x, optionally through four all-pass stages; the comb and all-pass lines (and the
// stereo reverbs' low-pass history) are guarded together, once per sample.
//
// Every comb is longer than a tick's stretch, so over a piece of frames no longer than the shortest comb no
// comb hears what the piece feeds it: the combs then run over the piece one after the other, each a few
// vector operations per frame on contiguous samples, and only the all-passes, the low-pass and the guard go
// frame by frame.
constexpr uint32_t kMostPiece = 512;

// The comb sums of a piece: x + y_0 + ... + y_7 on each side, added in comb order.
struct CombSums {
  float left[kMostPiece];
  float right[kMostPiece];
};

struct HeldCombReverb {
  HeldCombReverb(const Engine& e, const CombLengths& left, const CombLengths& right)
      : lines{HeldLine(e, 0), HeldLine(e, 1), HeldLine(e, 2), HeldLine(e, 3), HeldLine(e, 4), HeldLine(e, 5),
              HeldLine(e, 6), HeldLine(e, 7), HeldLine(e, 8), HeldLine(e, 9), HeldLine(e, 10), HeldLine(e, 11)},
        decay(CombDecay(e)) {
    for (int j = 0; j < kCombs; ++j) {
      leftDelay[j] = HeldDelay(e, left[j]);
      rightDelay[j] = HeldDelay(e, right[j]);
    }
  }

  // The next piece's length, at most `left` frames.
  uint32_t PieceLength(uint32_t left) const {
    uint32_t m = std::min(left, kMostPiece);
    for (int j = 0; j < kCombs; ++j)
      m = std::min({m, lines[j].Reach(leftDelay[j]), lines[j].Reach(rightDelay[j])});
    return m;
  }

  // The combs over the piece's m frames: y = x − decay × tap, written to the comb's line and added to sums.
  void Combs(const MixBus* in, uint32_t m, CombSums& sums) {
    float x[2][kMostPiece];
    for (uint32_t f = 0; f < m; ++f) {
      x[0][f] = sums.left[f] = in[f].left;
      x[1][f] = sums.right[f] = in[f].right;
    }
    for (int j = 0; j < kCombs; ++j) {
      Comb(lines[j], lines[j].left, leftDelay[j], x[0], sums.left, m);
      Comb(lines[j], lines[j].right, rightDelay[j], x[1], sums.right, m);
      lines[j].Skip(m);
    }
  }

  void Comb(const HeldLine& line, float* buffer, uint32_t delay, const float* x, float* sum, uint32_t m) const {
    float y[kMostPiece];
    const auto run = [&](const float* taps, uint32_t from, uint32_t to) {
      for (uint32_t f = from; f < to; ++f) {
        y[f] = x[f] - decay * taps[f - from];
        sum[f] += y[f];
      }
    };
    const HeldLine::Span span = line.ReadSpan(delay, m);
    run(buffer + span.at, 0, span.first);
    run(buffer + line.start, span.first, m);
    line.WriteRun(buffer, y, m);
  }

  // (x + Σ y) × 0.11 − x for frame f of the piece; `stored` takes what the combs wrote.
  static MixBus CombOutput(const CombSums& sums, uint32_t f, MixBus in, float& stored) {
    stored += sums.left[f] + sums.right[f];
    return {sums.left[f] * 0.11f - in.left, sums.right[f] * 0.11f - in.right};
  }

  MixBus AllPasses(const Engine& e, MixBus x, int rate, float& stored) {
    for (int j = 0; j < kAllPasses; ++j) {
      HeldLine& line = lines[kFirstAllPassLine + j];
      const uint32_t n = HeldDelay(e, kAllPassLengths[rate][j]);
      const float dL = line.TapLeft(n);
      const float dR = line.TapRight(n);
      const MixBus w = {x.left + 0.8f * dL, x.right + 0.8f * dR};
      line.Push(w.left, w.right);
      stored += w.left + w.right;
      x = {(x.left - 0.5f * dL) * 0.775f, (x.right - 0.5f * dR) * 0.775f};
    }
    return x;
  }

  // What frame f of the piece of m frames wrote, if not finite, becomes silence: the combs' samples and the
  // all-passes' last ones.
  [[gnu::cold, gnu::noinline]] void ScrubWrites(uint32_t m, uint32_t f) {
    for (int j = 0; j < kCombs; ++j) lines[j].ScrubAt(lines[j].RunIndex(m, f));
    for (int j = kFirstAllPassLine; j < kCombs + kAllPasses; ++j) lines[j].ScrubLast();
  }

  void Store(Engine& e) const {
    for (const HeldLine& line : lines) line.Store(e);
  }

  std::array<HeldLine, kCombs + kAllPasses> lines;
  std::array<uint32_t, kCombs> leftDelay{}, rightDelay{};
  float decay;
};

// The basic reverb mixes the combs' output straight; the stereo reverbs pass it through the prepared low-pass,
// with b2 = b0 folded into (x + x2) × b0, whose history the guard covers too.
struct NoLowPass {
  MixBus Run(MixBus x) { return x; }
  float Guarded(float stored, MixBus) const { return stored; }
  void ClearNonFinite() {}
  void Store(Engine&) const {}
};

struct HeldCombLowPass {
  explicit HeldCombLowPass(const Engine& e)
      : history(e), b0(e.W[stereo::kB0].f), b1(e.W[stereo::kB1].f), a1(e.W[stereo::kA1].f), a2(e.W[stereo::kA2].f) {}
  float Run(int ch, float x) {
    const HeldHistory& h = history;
    const float y = (x + h.x2[ch]) * b0 + b1 * h.x1[ch] - a1 * h.y1[ch] - a2 * h.y2[ch];
    history.Shift(ch, x, y);
    return y;
  }
  MixBus Run(MixBus x) { return {Run(0, x.left), Run(1, x.right)}; }
  float Guarded(float stored, MixBus filtered) const { return stored + filtered.left + filtered.right; }
  void ClearNonFinite() { history.ClearNonFinite(); }
  void Store(Engine& e) const { history.Store(e); }
  HeldHistory history;
  float b0, b1, a1, a2;
};

template <bool allPasses, class LowPass>
void CombReverbRun(Engine& e, MixBus* frames, uint32_t n, int rate, HeldCombReverb& reverb, LowPass& lowPass,
                   float dry, const Blend& blend) {
  CombSums sums;
  for (uint32_t done = 0, m = 0; done < n; done += m) {
    m = reverb.PieceLength(n - done);
    MixBus* piece = frames + done;
    reverb.Combs(piece, m, sums);
    for (uint32_t f = 0; f < m; ++f) {
      const MixBus in = piece[f];
      float stored = 0.0f;
      MixBus out = HeldCombReverb::CombOutput(sums, f, in, stored);
      if (allPasses) out = reverb.AllPasses(e, out, rate, stored);
      const MixBus filtered = lowPass.Run(out);
      piece[f] = blend({filtered.left + in.left * dry, filtered.right + in.right * dry}, in);
      if (Poisoned(lowPass.Guarded(stored, filtered))) [[unlikely]] {
        reverb.ScrubWrites(m, f);
        lowPass.ClearNonFinite();
      }
    }
  }
  reverb.Store(e);
  lowPass.Store(e);
}

template <bool allPasses>
void BasicReverbRun(Engine& e, int32_t, MixBus* frames, uint32_t n, const SampleContext& ctx) {
  if (!HasLines(e)) return;
  const int rate = RateIndex(*ctx.rate);
  HeldCombReverb reverb(e, kSetA[rate], kSetA[rate]);
  NoLowPass none;
  CombReverbRun<allPasses>(e, frames, n, rate, reverb, none, e.F[basic::kDry], Blend(e, basic::kWet));
}

template <bool xy, bool allPasses>
void StereoReverbRun(Engine& e, int32_t, MixBus* frames, uint32_t n, const SampleContext& ctx) {
  if (!HasLines(e)) return;
  const int rate = RateIndex(*ctx.rate);
  HeldCombReverb reverb(e, (xy ? kSetB : kSetC)[rate], (xy ? kSetC : kSetB)[rate]);
  HeldCombLowPass lowPass(e);
  CombReverbRun<allPasses>(e, frames, n, rate, reverb, lowPass, e.F[stereo::kDry], Blend(e, stereo::kWet));
}

// The plate's one-pole low-pass; W[p] holds the previous input and W[p + 1] the previous output.
float PlateLowPass(Engine& e, int p, float x) {
  const float y = (x + e.W[p].f) * e.W[plate::kLowPassGain].f + e.W[p + 1].f * e.W[plate::kLowPassPole].f;
  e.W[p].f = x;
  e.W[p + 1].f = y;
  return y;
}

[[gnu::cold, gnu::noinline]] void ScrubPlateReverb(Engine& e) {
  ScrubLastWrites(e, 0, kPlates);
  for (int p : {plate::kLeftLowPass, plate::kRightLowPass})
    if (Poisoned(e.W[p].f) || Poisoned(e.W[p + 1].f)) e.W[p].f = e.W[p + 1].f = 0.0f;
}

// The low-pass after the combs: the Low Pass Filter's coefficients from "LPF Cutoff" and "LPF Q".
void PrepareStereoReverb(Engine& e, const OutputRate& rate) {
  using namespace stereo;
  const float cutoff = e.F[kCutoff];
  const float f = std::clamp(cutoff * cutoff * rate.rateFactor, 0.0001f, 0.999f);
  const float w = static_cast<float>(M_PI) * f;
  const float alpha = std::sin(w) / (16.0f * e.F[kQ]);
  const float a0 = 1.0f + alpha;
  const float cw = std::cos(w);
  e.W[kB0].f = (1.0f - cw) / (2.0f * a0);
  e.W[kB1].f = (1.0f - cw) / a0;
  e.W[kB2].f = e.W[kB0].f;
  e.W[kA1].f = -2.0f * cw / a0;
  e.W[kA2].f = (1.0f - alpha) / a0;
}

// The comb lengths from the four "Plate" times, the right channel's one sample off the left's.
void PreparePlateReverb(Engine& e, const OutputRate& rate) {
  using namespace plate;
  const float r = rate.rateFactor;
  auto length = [&](int k) { return static_cast<int32_t>((e.F[kPlate1 + k] * 100.0f + 0.002f) / r); };
  auto& left = e.W;
  for (int j = 0; j < kPlates; ++j) left[kLeftLengths + j].i = length(j) + (j % 2);
  for (int j = 0; j < kPlates; ++j) e.W[kRightLengths + j].i = left[kLeftLengths + j].i + (j % 2 == 0 ? 1 : -1);
  const double t = std::atan(0.6283185482025146 * r);
  const double k = (1.0 - t) / (1.0 + t);
  e.W[kLowPassGain].f = static_cast<float>((1.0 - k) * 0.5);
  e.W[kLowPassPole].f = static_cast<float>(k);
}

}  // namespace

// Four combs per channel with positive feedback.
void ProcessPlateReverb(Engine& e, VoiceRef, int32_t, SampleContext& ctx) {
  using namespace plate;
  if (!HasLines(e)) return;
  const MixBus in = ctx.bus;
  const float g = e.F[kDecay] * 0.2f + 0.8f;
  MixBus sum = in;
  for (int j = 0; j < kPlates; ++j) {
    const float yL = in.left + g * TapLeft(e, j, HeldDelay(e, e.W[kLeftLengths + j].i));
    const float yR = in.right + g * TapRight(e, j, HeldDelay(e, e.W[kRightLengths + j].i));
    Push(e, j, yL, yR);
    sum.left += yL;
    sum.right += yR;
  }
  const MixBus out = {PlateLowPass(e, kLeftLowPass, sum.left * 0.2f - in.left),
                      PlateLowPass(e, kRightLowPass, sum.right * 0.2f - in.right)};
  if (Poisoned(out.left + out.right)) [[unlikely]]  // the low-pass passes on any non-finite comb value
    ScrubPlateReverb(e);
  const float dry = e.F[kDry];
  ctx.bus = {out.left + in.left * dry, out.right + in.right * dry};
  WetDryMix(ctx.bus, in, e, kWet);
}

TONFORGE_HELD_RUN_ONLY(ProcessBasicReverb, BasicReverbRun<false>)
TONFORGE_HELD_RUN_ONLY(ProcessBasicReverbQuality, BasicReverbRun<true>)
TONFORGE_HELD_RUN_ONLY(ProcessStereoReverbXY, (StereoReverbRun<true, false>))
TONFORGE_HELD_RUN_ONLY(ProcessStereoReverbYX, (StereoReverbRun<false, false>))
TONFORGE_HELD_RUN_ONLY(ProcessStereoReverbXYQuality, (StereoReverbRun<true, true>))
TONFORGE_HELD_RUN_ONLY(ProcessStereoReverbYXQuality, (StereoReverbRun<false, true>))

// The block mix's loops, with each routine inlined.
TONFORGE_OVER_FRAMES(ProcessPlateReverb);


std::span<const TypeRow> ReverbRows() {
  using T = EngineTypeId;
  static constexpr std::array kRows = [] {
    RowBuilder<4> b;
    b.Row(T::BasicReverb, kEveryLevel, "Basic Reverb", "RvB").Param(basic::kDecay, "Decay", 1, 100, 50)
        .Param(basic::kDry, "Dry", 0, 100, 100).Param(basic::kWet, "Wet", 0, 100, 100).Lines(12, 1618);
    for (auto id : {T::StereoReverbXY, T::StereoReverbYX}) {
      using namespace stereo;
      const bool xy = id == T::StereoReverbXY;
      b.Row(id, kEveryLevel, xy ? "Stereo Reverb XY" : "Stereo Reverb YX", xy ? "RvX" : "RvY", PrepareStereoReverb)
          .Param(kDecay, "Decay", 1, 100, 50).Param(kCutoff, "LPF Cutoff", 1, 100, 75).Param(kQ, "LPF Q", 1, 100, 1)
          .Param(kDry, "Dry", 0, 100, 100).Param(kWet, "Wet", 0, 100, 100).Lines(12, 1618);
    }
    using namespace plate;
    b.Row(T::PlateReverb, kEveryLevel, "Plate Reverb", "RvP", PreparePlateReverb)
        .Param(kPlate1, "Plate 1", 1, 500, 500).Param(kPlate1 + 1, "Plate 2", 1, 500, 449)
        .Param(kPlate1 + 2, "Plate 3", 1, 500, 376).Param(kPlate1 + 3, "Plate 4", 1, 500, 303)
        .Param(kDecay, "Decay", 1, 100, 50).Param(kDry, "Dry", 0, 100, 100).Param(kWet, "Wet", 0, 100, 100)
        .Lines(4, 501);
    return b.Finish();
  }();
  return kRows;
}

}  // namespace tonforge
