#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <vector>

#include "support/engine_harness.h"

namespace tonforge {
namespace {

using testing::EngineRig;
using T = EngineTypeId;
using testing::Noise;

// The corner in Hz that the perceptual cutoff F[0] stands for, c² × 22050 at every rate.
double CornerHz(const Engine& e) { return static_cast<double>(e.F[0]) * e.F[0] * 22050.0; }

// Amplitude gain of a sine at hz on the left channel, measured by correlation after the filter settles.
double ToneGain(EngineRig& rig, Engine& e, double hz, double seconds = 0.5) {
  const double w = 2.0 * M_PI * hz / rig.rate.rateHz;
  const int settle = static_cast<int>(rig.rate.rateHz * seconds);
  const int n = static_cast<int>(rig.rate.rateHz * seconds * 2.0);
  double re = 0.0, im = 0.0;
  for (int i = 0; i < settle + n; ++i) {
    const float x = static_cast<float>(0.5 * std::sin(w * i));
    const float y = rig.Step(e, x, x).left;
    if (i >= settle) {
      re += y * std::cos(w * i);
      im += y * std::sin(w * i);
    }
  }
  return 2.0 * std::hypot(re, im) / n / 0.5;
}

TEST(Filters, ToneResponsesPinCornerAndShape) {
  // At the corner the low pass gains Q = 8 × "Q"/100, the high pass its fixed Q of 2, the band pass 1 and the
  // peaking filter A² with A = 3 × "Gain"/100; away from its centre the band exclude filter passes (its notch
  // and the pass bands at DC and half the rate are pinned by the dispatch test). A held modulator adds to the
  // cutoff (NaN for none); the tone is a multiple of the corner.
  const struct { T type; int32_t rate; testing::Settings params; float modulator; double atCorner, gain, tolerance; }
  cases[] = {
      {T::LowPassFilter, 44100, {{0, 30}, {1, 25}}, NAN, 1.0, 2.0, 0.02},
      {T::LowPassFilter, 22050, {{0, 20}, {1, 9}}, NAN, 1.0, 0.72, 0.02},
      {T::LowPassFilter, 11025, {{0, 20}, {1, 25}}, NAN, 1.0, 2.0, 0.02},
      {T::LowPassFilter, 44100, {{0, 10}, {1, 25}}, 0.2f, 9.0, 2.0, 0.03},  // the corner of cutoff 30
      {T::HighPassFilter, 22050, {{0, 10}}, NAN, 1.0, 2.0, 0.02},
      // "Cutoff" 1 is f = 0.0001, about 2.2 Hz; single precision moves the peak up to about 2.5 Hz.
      {T::HighPassFilter, 44100, {}, NAN, 1.15, 2.0, 0.1},
      {T::BandPassFilter, 11025, {{0, 15}, {1, 50}}, NAN, 1.0, 1.0, 0.02},
      {T::BandPassFilter, 44100, {{0, 30}, {1, 50}}, NAN, 2.0, 0.316, 0.03},  // Q = 4 × (1 − 0.5) = 2
      {T::BandPassFilter, 44100, {{0, 30}, {1, 90}}, NAN, 2.0, 0.857, 0.03},  // wider band, Q = 0.4
      {T::BandExcludeFilter, 44100, {{0, 30}, {1, 50}}, NAN, 0.1, 0.927, 0.01},  // Q = C[1] / 2
      {T::PeakingFilter, 44100, {{0, 30}, {1, 50}}, NAN, 1.0, 0.0009, 0.001},  // "Gain" 1 cuts deeply
  };
  for (const auto& c : cases) {
    EngineRig rig(c.rate);
    Engine& e = rig.Make(c.type, c.params);
    if (!std::isnan(c.modulator)) rig.Hold(e, 0, c.modulator);
    const double hz = c.atCorner * CornerHz(e);
    EXPECT_NEAR(ToneGain(rig, e, hz, hz < 20.0 ? 4.0 : 0.5), c.gain, c.tolerance)
        << c.type << " at " << c.rate << " Hz, tone " << hz << " Hz";
  }
}

TEST(Filters, ShelvesAtGain25PassTheSignal) {
  // A = 4 × "Gain"/100: the low shelf gains A² at DC and 1 at half the rate, the high shelf the reverse.
  const struct { T type; int32_t gain; double dc, nyquist; } cases[] = {
      {T::LowShelfFilter, 25, 1.0, 1.0}, {T::HighShelfFilter, 25, 1.0, 1.0},
      {T::LowShelfFilter, 50, 4.0, 1.0}, {T::HighShelfFilter, 10, 1.0, 0.16}};
  for (const auto& c : cases) {
    EngineRig rig;
    Engine& e = rig.Make(c.type, {{0, 10}, {1, c.gain}});
    float furthest = 0.0f;  // from the input, where the gain is 1 at every frequency
    for (float x : Noise(c.gain == 25 ? 4000 : 0)) furthest = std::max(furthest, std::fabs(rig.Step(e, x, -x).right + x));
    EXPECT_LE(furthest, 5e-5f) << c.type << " gain " << c.gain;
    float dc = 0.0f, nyquist = 0.0f;
    for (int i = 0; i < 20000; ++i) dc = rig.Step(e, 0.25f, 0.25f).left;
    for (int i = 0; i < 20000; ++i) nyquist = rig.Step(e, i % 2 ? 0.25f : -0.25f, 0.0f).left;
    EXPECT_NEAR(dc / 0.25, c.dc, 0.01 * c.dc) << c.type << " gain " << c.gain;
    EXPECT_NEAR(std::abs(nyquist) / 0.25, c.nyquist, 0.01 * c.nyquist) << c.type << " gain " << c.gain;
  }
}

TEST(Filters, RunsThatMustAgreeOrDiffer) {
  // At 11025 Hz the rate factor 4 brings f to the bound already at c = 0.5: cutoffs 50, 60 and 100 give the
  // same output there and differ at 44100 Hz. Preparing after a parameter change while the cutoff stays the
  // same: only the marker PrepareEngine sets can bring in the new Q, gain or width, as in a fresh engine.
  const struct { T type; int32_t rate; int k; int32_t before, after; bool same; } cases[] = {
      {T::LowPassFilter, 11025, 0, 50, 0, true}, {T::HighPassFilter, 11025, 0, 50, 0, true},
      {T::PeakingFilter, 11025, 0, 50, 0, true}, {T::MoogVcf, 11025, 0, 50, 0, true},
      {T::LowPassFilter, 44100, 0, 50, 0, false}, {T::MoogVcf, 44100, 0, 50, 0, false},
      {T::LowPassFilter, 44100, 1, 1, 40, true}, {T::PeakingFilter, 44100, 2, 1, 60, true},
      {T::LowShelfFilter, 44100, 1, 50, 5, true}, {T::MoogVcf, 44100, 1, 0, 70, true}};
  const std::vector<float> noise = Noise(2000);
  for (const auto& c : cases) {
    const bool clamp = c.k == 0;
    for (int32_t other : clamp ? std::vector<int32_t>{60, 100} : std::vector<int32_t>{c.after}) {
      EngineRig rig(c.rate);
      const int32_t cutoff = clamp ? c.before : 40;
      Engine& a = rig.Make(c.type, {{0, cutoff}, {2, 50}, {c.k, c.before}}, 0);
      if (!clamp) {
        for (int i = 0; i < 1000; ++i) rig.Step(a, noise[i], noise[i]);
        SetParameter(a, c.k, c.after);
        PrepareEngine(a, rig.rate);
      }
      Engine& b = rig.Make(c.type, {{0, clamp ? other : cutoff}, {2, 50}, {c.k, clamp ? other : c.after}}, 1);
      bool same = true;
      for (int i = clamp ? 0 : 1000; i < 2000; ++i)
        same = same && rig.Step(a, noise[i], noise[i]).left == rig.Step(b, noise[i], noise[i]).left;
      EXPECT_EQ(same, c.same) << c.type << " at " << c.rate << " parameter " << c.k << " " << c.before << " / " << other;
    }
  }
}

// Middle C (261.63 Hz) at amplitude 0.5: a sine, or a falling saw whose harmonics reach the top of the band.
float Tone(bool saw, int i, int32_t rate) {
  const double phase = std::fmod(261.63 * i / rate, 1.0);
  return static_cast<float>(saw ? 0.5 - phase : 0.5 * std::sin(2.0 * M_PI * phase));
}

// Slot 0 moves the control value by gain × sin, one cycle every tenth of a second at every rate.
void Sweep(EngineRig& rig, Engine& e, float gain) {
  constexpr int kCycle = 1000;
  std::vector<float> cycle(kCycle);
  for (int i = 0; i < kCycle; ++i) cycle[i] = static_cast<float>(std::sin(2.0 * M_PI * i / (kCycle - 1)));
  rig.LoadSlot(e, 0, cycle, true);
  e.slots[0].looped = 1;
  e.slots[0].gain = gain;
  e.slots[0].rootOrRate.f = (kCycle - 1) / 4410.0f;
}

TEST(Filters, ShelvesAndHighPassStaySteadyToTheTopOfTheirRange) {
  // Up to the top of their range, reached at 22050 and 11025 Hz by much lower cutoffs, the shelves and the
  // high pass stay steady over two seconds of a sine and of a saw: the last tenth of a second peaks no higher
  // than the first, and the saw still comes through. Rows with `pinned` stay below the bound and must give
  // exactly the bits they always gave (FNV-1a over both channels of both tones).
  const struct { T type; int32_t rate; testing::Settings params; float sweep; uint64_t pinned; } cases[] = {
      {T::HighShelfFilter, 44100, {}, 0.0f, 0},  // the defaults: "Cutoff" 100, "Gain" 50
      {T::HighShelfFilter, 22050, {{0, 71}}, 0.0f, 0},
      {T::HighShelfFilter, 11025, {{0, 50}, {1, 100}}, 0.0f, 0},
      {T::LowShelfFilter, 44100, {{0, 100}}, 0.0f, 0},
      {T::LowShelfFilter, 22050, {{0, 71}, {1, 5}}, 0.0f, 0},
      {T::LowShelfFilter, 11025, {{0, 50}}, 0.0f, 0},
      {T::HighPassFilter, 44100, {{0, 100}}, 0.0f, 0},
      {T::HighPassFilter, 44100, {{0, 100}}, 0.5f, 0},  // swept down to a quarter of the range and back
      {T::HighPassFilter, 22050, {{0, 100}}, 0.5f, 0},
      {T::HighPassFilter, 11025, {{0, 100}}, 0.5f, 0},
      {T::HighShelfFilter, 44100, {{0, 99}}, 0.0f, 0x92930bbb40cff57fu},
      {T::HighShelfFilter, 11025, {{0, 49}, {1, 100}}, 0.0f, 0x6a01f5b8167a7863u},
      {T::LowShelfFilter, 22050, {{0, 70}, {1, 10}}, 0.0f, 0x268420d13ed70a49u},
      {T::HighPassFilter, 44100, {{0, 60}}, 0.35f, 0x501ec4b08e74dc5fu},
      {T::HighPassFilter, 11025, {{0, 30}}, 0.15f, 0x022a4042d9df0983u},
  };
  for (const auto& c : cases) {
    uint64_t bits = 0xcbf29ce484222325u;
    for (bool saw : {false, true}) {
      EngineRig rig(c.rate);
      Engine& e = rig.Make(c.type, c.params);
      if (c.sweep != 0.0f) Sweep(rig, e, c.sweep);
      const int n = 2 * c.rate, tenth = c.rate / 10;
      float first = 0.0f, last = 0.0f;
      for (int i = 0; i < n; ++i) {
        const float x = Tone(saw, i, c.rate);
        const MixBus out = rig.Step(e, x, -x);
        const float peak = std::max(std::fabs(out.left), std::fabs(out.right));
        if (i < tenth) first = std::max(first, peak);
        if (i >= n - tenth) last = std::max(last, peak);
        for (float v : {out.left, out.right}) bits = (bits ^ std::bit_cast<uint32_t>(v)) * 0x100000001b3u;
      }
      const char* tone = saw ? " saw" : " sine";
      EXPECT_TRUE(std::isfinite(last) && last <= first * 1.01f)
          << c.type << " at " << c.rate << tone << ": " << first << " then " << last;
      EXPECT_TRUE(!saw || last > 0.001f) << c.type << " at " << c.rate << " silences a saw";
    }
    if (c.pinned != 0) {
      EXPECT_EQ(bits, c.pinned) << c.type << " at " << c.rate << " below the bound";
    }
  }
}

}  // namespace
}  // namespace tonforge
