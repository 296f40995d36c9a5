#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "support/engine_harness.h"

namespace tonforge {
namespace {

using testing::EngineRig;
using T = EngineTypeId;

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
    EXPECT_EQ(wrong, -1) << c.what;
    EXPECT_EQ(next, c.echoes.size()) << c.what;
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

}  // namespace
}  // namespace tonforge
