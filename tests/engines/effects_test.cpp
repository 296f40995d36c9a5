// The effects measured as a listener would: filter responses, delay and echo impulse responses, and the
// reverbs' first samples and line lengths at every rate.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <set>
#include <vector>

#include "support/engine_harness.h"

namespace tonforge::testing {
namespace {

using T = EngineTypeId;

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
      {T::LowPassFilter, 44100, {{0, 10}, {1, 25}}, 0.2f, 9.0, 2.0, 0.03},  // the corner of cutoff 30
      {T::HighPassFilter, 22050, {{0, 10}}, NAN, 1.0, 2.0, 0.02},
      // "Cutoff" 1 is f = 0.0001, about 2.2 Hz; single precision moves the peak up to about 2.5 Hz.
      {T::HighPassFilter, 44100, {}, NAN, 1.15, 2.0, 0.1},
      {T::BandPassFilter, 11025, {{0, 15}, {1, 50}}, NAN, 1.0, 1.0, 0.02},
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
      {T::HighShelfFilter, 11025, {{0, 50}, {1, 100}}, 0.0f, 0},
      {T::LowShelfFilter, 22050, {{0, 71}, {1, 5}}, 0.0f, 0},
      {T::HighPassFilter, 44100, {{0, 100}}, 0.0f, 0},
      {T::HighPassFilter, 11025, {{0, 100}}, 0.5f, 0},  // swept down to a quarter of the range and back
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
    EXPECT_TRUE(c.pinned == 0 || bits == c.pinned) << c.type << " at " << c.rate << " below the bound: " << bits;
  }
}

struct Echo { int at; float left, right; };

TEST(DelayEngines, ImpulseResponses) {
  // An impulse of 1 on the marked channels at sample 0; every sample not listed must be silent. Held
  // modulator values go to slots 0, 1, ...; NaN leaves a slot empty.
  const struct { const char* what; T type; testing::Settings params; bool left, right; int length;
                 std::vector<Echo> echoes; std::vector<float> modulators = {}; uint32_t option0 = 0;
                 int32_t rate = 44100; } cases[] = {
      {"basic delay: -0.5, +0.25, -0.125 every 500 ms", T::BasicDelay, {}, true, true, 70000,
       {{0, 1, 1}, {22050, -0.5f, -0.5f}, {44100, 0.25f, 0.25f}, {66150, -0.125f, -0.125f}}},
      {"comb at gain 0 is x[n] + x[n-d]; the right one feeds back at 0.5", T::CombFilter, {{0, 10}, {1, 0}, {2, 20}},
       true, true, 2000, {{0, 1, 1}, {440, 1, 0}, {881, 0, 1.5f}, {1762, 0, 0.75f}}},
      {"single tap in ticks swaps the channels", T::SingleTapDelay, {{0, 24}}, true, false, 50000,
       {{0, 0, 1}, {11025, 0, 0.5f}}, {}, 1},
      {"multi tap: three taps before any recirculation", T::MultiTapDelay, {}, true, true, 26000,
       {{0, 1, 1}, {13230, 0.25f, 0.25f}, {17640, 0.25f, 0.25f}, {22050, 0.25f, 0.25f}}},
      // W1 is 440 (10 ms in single precision); read after the write that is 439 samples.
      {"spatializer defaults keep the left and delay the right", T::StereoSpatializer, {}, true, true, 1000,
       {{0, 1, 0}, {439, 0, 1}}},
      {"variable speed delay without a modulator delays by Base", T::VariableSpeedDelay, {}, true, true, 9000,
       {{0, 1, 1}, {4410, 0.75f, 0.75f}, {8820, 0.5625f, 0.5625f}}},
      {"variable speed delay with a modulator adds 0.375 s per unit", T::VariableSpeedDelay, {}, true, false, 25000,
       {{0, 1, 0}, {20947, 0.75f, 0}}, {0.0f}},
      {"inverter at feedback 0", T::Inverter, {}, true, true, 20, {{0, 1, 1}, {4, -1, -1}}},
      {"inverter at feedback 100", T::Inverter, {{1, 100}}, true, false, 14,
       {{0, 1, 0}, {4, -1, 0}, {8, 1, 0}, {12, -1, 0}}},
      {"chorus without modulators", T::Chorus, {{1, 60}}, true, true, 300, {{0, 1, 1}}},
      // A held modulator at 0 reads 50 samples back (plus 0.7 for "Ceiling" 1, truncated away), after the write.
      {"chorus tap is the same time at 22050 Hz", T::Chorus, {}, true, true, 300, {{0, 1, 1}, {24, 1, 1}}, {0.0f}, 0,
       22050},
      {"flange with one modulator feeds back at Feedback", T::Flange, {}, true, true, 300,
       {{0, 1, 1}, {50, 0.5f, 0.5f}, {100, 0.25f, 0.25f}, {150, 0.125f, 0.125f}, {200, 0.0625f, 0.0625f},
        {250, 0.03125f, 0.03125f}}, {0.0f}},
      {"flange with two modulators: 0.64 more per tap", T::Flange, {{1, 100}}, true, false, 120,
       {{0, 1, 0}, {50, 0.64f, 0}, {75, 0.64f, 0}, {100, 0.4096f, 0}}, {0.0f, 0.5f}},
      {"stereo chorus: slot 0 left, slot 1 right", T::StereoChorus, {}, true, true, 300,
       {{0, 1, 1}, {49, 1, 0}, {74, 0, 1}}, {0.0f, 0.5f}},
      {"stereo chorus ignores the loaded count", T::StereoChorus, {}, true, true, 300, {{0, 1, 1}, {74, 0, 1}},
       {NAN, 0.5f}},
      {"stereo flange", T::StereoFlange, {}, true, true, 160,
       {{0, 1, 1}, {50, 0.5f, 0}, {100, 0.25f, 0}, {150, 0.125f, 0}}, {0.0f}}};
  for (const auto& c : cases) {
    EngineRig rig(c.rate);
    Engine& e = rig.Make(c.type, c.params);
    e.options[0] = c.option0;
    PrepareEngine(e, rig.rate);
    for (size_t s = 0; s < c.modulators.size(); ++s)
      if (!std::isnan(c.modulators[s])) rig.Hold(e, static_cast<int>(s), c.modulators[s]);
    size_t next = 0;
    int wrong = -1;  // the first sample off the expected response
    for (int n = 0; n < c.length && wrong < 0; ++n) {
      const MixBus out = rig.Step(e, n == 0 && c.left ? 1.0f : 0.0f, n == 0 && c.right ? 1.0f : 0.0f);
      Echo want{n, 0, 0};
      if (next < c.echoes.size() && c.echoes[next].at == n) want = c.echoes[next++];
      if (std::fabs(out.left - want.left) > 1e-6f || std::fabs(out.right - want.right) > 1e-6f) wrong = n;
    }
    EXPECT_EQ(std::pair(wrong, next), std::pair(-1, c.echoes.size())) << c.what;  // no sample off, every echo heard
  }
}

TEST(DelayEngines, ModulatorOverdriveNeverReadsOutsideTheLine) {
  // Values far outside -1..1, a gain of 40 and non-numbers from a damaged file: every tap stays inside its
  // line (the sanitizer build proves it) and the output stays finite.
  const std::vector<float> wild = {5.0f, -5.0f, NAN, INFINITY, -INFINITY, 1e30f, -1e30f, 0.99f, -0.99f, 3.0f};
  for (int32_t rate : {44100, 22050, 11025}) {
    for (T type : {T::Chorus, T::Flange, T::StereoChorus, T::StereoFlange, T::VariableSpeedDelay}) {
      EngineRig rig(rate);
      Engine& e = rig.Make(type, {{0, 100}});
      for (int s = 0; s < 4; ++s) {
        rig.LoadSlot(e, s, wild, true);
        e.slots[s].looped = 1;
        e.slots[s].gain = 40.0f;
        e.slots[s].rootOrRate.f = 0.37f * static_cast<float>(s + 1);
      }
      bool inside = true;
      for (int n = 0; n < 3000 && inside; ++n) {
        const MixBus out = rig.Step(e, n % 7 == 0 ? 1.0f : -0.25f, 0.5f);
        // The variable speed delay's current delay is W0.
        inside = std::isfinite(out.left) && std::isfinite(out.right) && static_cast<uint32_t>(e.W[0].i) < e.lineLength;
      }
      EXPECT_TRUE(inside) << type << " at " << rate << " Hz";
    }
  }
}

TEST(Reverbs, FirstSampleAndCombLengthsByRate) {
  // The impulse's own sample: each comb passes the new input once before any feedback, 0.11 × (1 + 8) − 1 for
  // the comb reverbs and 0.2 × (1 + 4) − 1 = 0 for the plate, plus "Dry" 100. The stereo reverbs' low pass
  // (Q fraction 0.01) scales the comb part by b0 = (1 − cos w) ÷ 2(1 + sin w ÷ 0.16), w = πf: 0.0838083 at
  // f = 0.75² = 0.5625, 0.9807408 where f reaches its bound 0.999. Then a comb reads the impulse back exactly
  // its length later: the first sample at which each line is written with a nonzero value.
  using Lengths = std::vector<int>;
  const Lengths a44 = {1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617};
  const Lengths b44 = {1117, 1188, 1278, 1356, 1423, 1491, 1558, 1617};
  const Lengths c44 = {1116, 1189, 1277, 1357, 1422, 1492, 1557, 1618};
  const Lengths b22 = {558, 594, 639, 678, 711, 745, 779, 808};
  const Lengths c22 = {558, 594, 638, 678, 711, 746, 778, 809};
  const Lengths b11 = {279, 297, 319, 339, 355, 373, 389, 404};
  const Lengths c11 = {279, 297, 319, 339, 356, 373, 389, 404};
  const struct { T type; int32_t rate; testing::Settings plates; Lengths left, right; float first; } cases[] = {
      {T::BasicReverb, 44100, {}, a44, a44, 0.99f},
      {T::BasicReverb, 22050, {}, b22, b22, 0.99f},  // set A equals set B below 44100 Hz
      {T::BasicReverb, 11025, {}, b11, b11, 0.99f},
      {T::StereoReverbXY, 44100, {}, b44, c44, 0.9991619f},
      {T::StereoReverbXY, 22050, {}, b22, c22, 0.9901926f},
      {T::StereoReverbXY, 11025, {}, b11, c11, 0.9901926f},
      {T::StereoReverbYX, 44100, {}, c44, b44, 0.9991619f},
      {T::PlateReverb, 44100, {}, {500, 450, 376, 304}, {501, 449, 377, 303}, 1.0f},
      {T::PlateReverb, 11025, {}, {125, 113, 94, 76}, {126, 112, 95, 75}, 1.0f},
      // All plates at 500: two combs per channel read the full line of 501.
      {T::PlateReverb, 44100, {{0, 500}, {1, 500}, {2, 500}, {3, 500}}, {500, 501, 500, 501}, {501, 500, 501, 500},
       1.0f}};
  for (const auto& c : cases) {
    EngineRig rig(c.rate);
    Engine& e = rig.Make(c.type, c.plates);
    const size_t lines = c.left.size();
    Lengths left(lines, 0), right(lines, 0);
    const float first = rig.Step(e, 1.0f, 1.0f).left;
    EXPECT_NEAR(first, c.first, 1e-6) << c.type << " at " << c.rate;
    for (int n = 1; n <= 2000; ++n) {
      rig.Step(e, 0.0f, 0.0f);
      for (size_t j = 0; j < lines; ++j) {
        const uint32_t written = e.lineStart[j] + n % e.lineLength;
        if (left[j] == 0 && e.left[written] != 0.0f) left[j] = n;
        if (right[j] == 0 && e.right[written] != 0.0f) right[j] = n;
      }
    }
    EXPECT_EQ(std::pair(left, right), std::pair(c.left, c.right)) << c.type << " at " << c.rate;
  }
}

TEST(Reverbs, HighQualityAllPassLengthsByRate) {
  // Before the first comb echo the output is the all-pass chain's answer to one pulse: nonzero exactly at the
  // sums of multiples of the four all-pass lengths. (The dispatch test pins the first sample.)
  const struct { int32_t rate; std::array<int, 4> lengths; int firstComb; } cases[] = {
      {44100, {556, 441, 341, 225}, 1116}, {22050, {278, 221, 171, 112}, 558}, {11025, {139, 110, 86, 56}, 279}};
  for (const auto& c : cases) {
    std::set<int> expected = {0};
    for (int length : c.lengths)
      for (int n : std::set<int>(expected))
        for (int m = n + length; m < c.firstComb; m += length) expected.insert(m);
    expected.erase(0);
    EngineRig rig(c.rate);
    Engine& e = rig.Make(T::BasicReverb);
    std::set<int> heard;
    rig.Step(e, 1.0f, 1.0f, kDefaultRootPitch, true);
    for (int n = 1; n < c.firstComb; ++n)
      if (rig.Step(e, 0.0f, 0.0f, kDefaultRootPitch, true).left != 0.0f) heard.insert(n);
    EXPECT_EQ(heard, expected) << c.rate;
  }
}

}  // namespace
}  // namespace tonforge::testing
