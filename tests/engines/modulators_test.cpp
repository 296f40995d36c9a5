#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "engines/engine.h"
#include "programs/program_file.h"
#include "shell/random.h"
#include "support/engine_harness.h"

namespace tonforge {
namespace {

using testing::EngineRig;
using testing::Settings;
using T = EngineTypeId;

constexpr int32_t kKept = 12345;  // a transpose no controller writes

TEST(Modulators, OneSampleThroughEachController) {
  // Held modulators on slots 0, 1, ...; the pitch and tempo controllers must pass the bus as it is.
  const struct { const char* name; T type; Settings params; std::vector<float> modulators; MixBus in, out;
                 int32_t transpose = kKept; float startTempo = 120.0f, tempo = 120.0f; } cases[] = {
      {"amplitude base 0 is silence", T::AmplitudeModulation, {{0, 0}}, {}, {0.5f, -0.5f}, {0.0f, 0.0f}},
      {"amplitude below 0 is silence", T::AmplitudeModulation, {{0, 50}}, {-1.0f}, {0.5f, -0.5f}, {0.0f, 0.0f}},
      {"amplitude base plus modulators", T::AmplitudeModulation, {{0, 25}}, {0.25f, 0.5f}, {0.8f, 0.4f}, {0.8f, 0.4f}},
      {"amplifier gains", T::Amplifier, {{0, 1000}, {1, -1000}}, {}, {0.5f, 0.25f}, {5.0f, -2.5f}},
      {"pan base 100 is right", T::PanningModulation, {{0, 100}}, {}, {0.6f, 0.2f}, {0.0f, 0.4f}},
      {"pan centre passes", T::PanningModulation, {}, {}, {0.6f, 0.2f}, {0.6f, 0.2f}},
      {"pan beyond right holds right", T::PanningModulation, {{0, 100}}, {1.0f}, {0.6f, 0.2f}, {0.0f, 0.4f}},
      {"positor rectifies", T::Positor, {}, {}, {-0.75f, 0.25f}, {0.5f, -0.5f}},
      {"distortion clips", T::Distortion, {{0, 0}, {1, 50}}, {}, {0.8f, -0.3f}, {0.5f, -0.3f}},
      {"distortion drives", T::Distortion, {{0, 50}, {1, 100}}, {}, {0.01f, -0.5f}, {0.141421f, -1.0f}},
      {"clipper", T::Clipper, {{0, 20}}, {}, {0.5f, -0.5f}, {0.2f, -0.2f}},
      {"range 12 full modulator", T::PitchModulation, {{2, 12}}, {1.0f}, {0.3f, -0.3f}, {0.3f, -0.3f}, 1200},
      {"pitch base only, half wet", T::PitchModulation, {{0, -50}, {1, 50}, {2, 2}}, {}, {0.3f, 0}, {0.3f, 0}, -50},
      {"pitch modulators sum", T::PitchModulation, {{2, 1}}, {0.5f, -0.25f}, {0.3f, -0.3f}, {0.3f, -0.3f}, 25},
      {"shift down", T::PitchShift, {{0, -700}}, {}, {0.3f, -0.3f}, {0.3f, -0.3f}, -700},
      {"tempo defaults", T::SongSpeedModulator, {}, {}, {0.1f, 0.2f}, {0.1f, 0.2f}, kKept, 100.0f, 120.0f},
      {"tempo half wet glides", T::SongSpeedModulator, {{0, 200}, {2, 50}}, {}, {0.1f, 0}, {0.1f, 0}, kKept, 100, 150},
      {"tempo range scales modulators", T::SongSpeedModulator, {{1, 30}}, {0.5f, 0.25f}, {0.1f, 0.2f}, {0.1f, 0.2f},
       kKept, 90.0f, 142.5f},
      {"tempo capped at 1000", T::SongSpeedModulator, {{0, 1000}}, {1.0f}, {0.1f, 0}, {0.1f, 0}, kKept, 100, 1000},
      {"tempo floored at 1", T::SongSpeedModulator, {{0, 1}}, {-1.0f}, {0.1f, 0}, {0.1f, 0}, kKept, 100, 1}};
  for (const auto& c : cases) {
    EngineRig rig;
    Engine& e = rig.Make(c.type, c.params);
    for (size_t s = 0; s < c.modulators.size(); ++s) rig.Hold(e, static_cast<int>(s), c.modulators[s]);
    rig.transpose = kKept;
    rig.tempo = c.startTempo;
    const MixBus out = rig.Step(e, c.in.left, c.in.right);
    const float tolerance = c.in.left == c.out.left && c.in.right == c.out.right ? 0.0f : 1e-5f;  // passed as it is
    EXPECT_NEAR(out.left, c.out.left, tolerance) << c.name;
    EXPECT_NEAR(out.right, c.out.right, tolerance) << c.name;
    EXPECT_EQ(rig.transpose, c.transpose) << c.name;
    EXPECT_FLOAT_EQ(rig.tempo, c.tempo) << c.name;
    EXPECT_FLOAT_EQ(rig.rate.samplesPerTick * c.tempo, 55125.0f) << c.name;  // 44100 × 60 / 48 ticks per beat
  }
}

TEST(Modulators, ArpeggiatorSteps) {
  // Notes 3, 7, 11, -5, 1 semitones; "Speed" 25 is a step of 40 ms (1764 samples at 44100 Hz). Tones 0 is
  // "2 Tones"; `expected` lists (sample, transpose). A stored step read from a program file is where the voice
  // starts, as it is when the program was built in memory.
  const struct { const char* name; int32_t rate; uint32_t tones, ticks; int32_t speed; uint32_t storedStep;
                 std::vector<std::pair<int, int32_t>> expected; bool fromFile = false; } cases[] = {
      {"two tones", 44100, 0, 0, 25, 0, {{0, 300}, {1762, 300}, {1764, 700}, {3526, 700}, {3529, 300}, {5300, 700}}},
      {"same time at 22050", 22050, 0, 0, 25, 0, {{0, 300}, {880, 300}, {883, 700}, {1765, 300}}},
      {"five tones", 44100, 3, 0, 100, 0, {{0, 300}, {441, 700}, {882, 1100}, {1323, -500}, {1764, 100}, {2205, 300}}},
      {"stored step kept", 44100, 1, 0, 25, 2, {{0, 1100}, {1764, 300}}},
      {"stored step read from a file", 44100, 0, 0, 100, 1, {{0, 700}, {441, 300}, {882, 700}}, true},
      {"stored step beyond tones", 44100, 0, 0, 25, 4, {{0, 300}, {1764, 700}}},
      {"stored step beyond tones from a file", 44100, 1, 0, 25, 3, {{0, 300}, {1764, 700}}, true},
      {"ticks", 44100, 0, 1, 25, 0, {{1800, 300}, {1840, 700}}},
      {"speed 0 holds", 44100, 0, 0, 0, 1, {{0, 700}, {20000, 700}}},
      {"stored choice beyond five plays five", 44100, 0xfffffffeu, 0, 100, 0,
       {{0, 300}, {441, 700}, {1764, 100}, {2205, 300}}}};
  for (const auto& c : cases) {
    EngineRig rig(c.rate);
    Engine& e = rig.Make(T::Arpeggiator, {{0, 3}, {1, 7}, {2, 11}, {3, -5}, {4, 1}, {5, c.speed}});
    e.options = {c.tones, c.ticks, c.storedStep};
    if (c.fromFile) {
      Program stored;
      stored.engines[0] = e;
      stored.engineCount = 1;
      auto decoded = DecodeProgramFile(EncodeProgramFile(stored), kLevelProgram, rig.dialogs);
      EXPECT_TRUE(decoded) << c.name;
      if (!decoded) continue;
      e = decoded->program->engines[0];  // a voice takes the program's engines as they are
      PrepareEngine(e, rig.rate);
    }
    int sample = 0;
    for (auto [at, transpose] : c.expected) {
      for (; sample <= at; ++sample) rig.Step(e, 0.0f, 0.0f);
      EXPECT_EQ(rig.transpose, transpose) << c.name << " at sample " << at;
      EXPECT_LT(e.options[2], std::min(c.tones, 3u) + 2) << c.name;
    }
  }
}

TEST(Modulators, HoldPeriods) {
  // Ping Pong: exchanged for the first period, straight for the next. "Delay" 0 never ends its period.
  const struct { int32_t rate, delayMs, period; } pingPongs[] = {
      {44100, 500, 22050}, {11025, 500, 5512}, {44100, 0, 1 << 30},
      {44100, 10, 440}};  // 10 ms is 440 samples: the stored fraction rounds down
  for (const auto& c : pingPongs) {
    EngineRig rig(c.rate);
    Engine& e = rig.Make(T::PingPong, {{0, c.delayMs}});
    int wrong = -1;  // the first sample on the wrong side
    for (int i = 0; i < 3 * std::min(c.period, 5000) && wrong < 0; ++i) {
      const bool exchanged = (i / c.period) % 2 == 0;
      const MixBus out = rig.Step(e, 1.0f, 0.0f);
      if (out.left != (exchanged ? 0.0f : 1.0f) || out.right != (exchanged ? 1.0f : 0.0f)) wrong = i;
    }
    EXPECT_EQ(wrong, -1) << c.rate << " Hz, " << c.delayMs << " ms";
  }
  // Random Panning draws a new position at the start of each period.
  const struct { int32_t delayMs; int samples, draws; } pans[] = {{10, 4400, 10}, {10, 4401, 11}, {0, 5000, 1},
                                                                   {1000, 44100, 1}};
  for (const auto& c : pans) {
    EngineRig rig;
    Engine& e = rig.Make(T::RandomPanning, {{0, c.delayMs}});
    uint32_t state = rig.ctx.engineRandom = 777u;
    for (int d = 0; d < c.draws; ++d) state = RandomStep(state);
    for (int i = 0; i < c.samples; ++i) rig.Step(e, 0.5f, 0.5f);
    EXPECT_EQ(rig.ctx.engineRandom, state) << "delay " << c.delayMs << " samples " << c.samples;
  }
}

}  // namespace
}  // namespace tonforge
