// The sound sources and the controllers: oscillator frequency, shape and synchronisation, the wave players,
// and one sample through each modulator, the arpeggiator and held periods.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <tuple>
#include <utility>
#include <vector>

#include "engines/engine.h"
#include "programs/program_file.h"
#include "shell/random.h"
#include "support/engine_harness.h"

namespace tonforge::testing {
namespace {

using T = EngineTypeId;

// Frequency from the rising zero crossings, each placed between its two samples by linear interpolation.
double MeasuredFrequency(const std::vector<float>& y, double sampleRate) {
  double first = -1.0, last = -1.0;
  int crossings = 0;
  for (size_t i = 1; i < y.size(); ++i) {
    if (y[i - 1] > 0.0f || y[i] <= 0.0f) continue;
    last = static_cast<double>(i - 1) + y[i - 1] / (y[i - 1] - y[i]);
    if (crossings++ == 0) first = last;
  }
  return crossings > 1 ? (crossings - 1) / (last - first) * sampleRate : 0.0;
}

TEST(Sources, FrequencyFollowsPitchAtEveryRate) {
  // One of each routine: the cosine, the rising saw and the inverse pulse take their step as their siblings do.
  const struct { T type; bool quality; } sources[] = {{T::SineWaveGenerator, false}, {T::DownSawGenerator, false},
      {T::PulseWaveGenerator, false}, {T::DownSawGenerator, true}, {T::PulseWaveGenerator, true}};
  for (const auto& s : sources) {
    for (int32_t rate : {44100, 22050}) {
      for (int32_t pitch : {2450, 1250, 3650}) {
        EngineRig rig(rate);
        const double expected = 261.63 * std::pow(2.0, (pitch - 2450) / 1200.0);
        const double measured = MeasuredFrequency(rig.RunLeft(rig.Make(s.type), rate, pitch, s.quality), rate);
        EXPECT_NEAR(measured / expected, 1.0, 0.002) << s.type << (s.quality ? " hq " : " ") << rate << " " << pitch;
      }
    }
  }
}

TEST(Sources, CoupledFormStaysBoundedAtTheHighestPitches) {
  // Tuning +1200 at pitch 6099 scales the coefficient past 2, furthest at 11025 Hz, where the recursion would
  // diverge.
  for (T type : {T::SineWaveGenerator, T::CosineWaveGenerator}) {
    EngineRig rig(11025);
    float loudest = 0.0f;
    for (float v : rig.RunLeft(rig.Make(type, {{0, 1200}}), 11025, 6099)) loudest = std::max(loudest, std::fabs(v));
    EXPECT_TRUE(std::isfinite(loudest) && loudest < 20.0f) << type << ": " << loudest;
  }
}

TEST(Sources, PulseDutyAndNoiseLevel) {
  // Pitch 1950 steps the phase by exactly 1, so a cycle is 225 samples. The inverse pulse reads the same width.
  const struct { T type; int32_t pulse, positivePerCycle; } pulses[] = {
      {T::PulseWaveGenerator, 50, 113}, {T::PulseWaveGenerator, 1, 3}};
  for (const auto& c : pulses) {
    EngineRig rig;
    int positive = 0, levels = 0;
    for (float v : rig.RunLeft(rig.Make(c.type, {{1, c.pulse}}), 4 * 225, 1950)) {
      levels += std::fabs(v) == 0.75f;
      positive += v > 0.0f;
    }
    EXPECT_EQ(levels, 4 * 225) << c.type << " pulse " << c.pulse;
    EXPECT_EQ(positive, 4 * c.positivePerCycle) << c.type << " pulse " << c.pulse;
  }
  // Noise draws once per sample at any level, so later random engines see the same sequence.
  for (int32_t wet : {0, 75, 100}) {
    EngineRig rig;
    Engine& e = rig.Make(T::WhiteNoiseGenerator, {{0, wet}});
    uint32_t expectedState = rig.ctx.engineRandom = 12345u;
    float lowest = 1.0f, highest = -1.0f, apart = 0.0f;  // the same noise on both channels
    for (int i = 0; i < 1000; ++i, expectedState = RandomStep(expectedState)) {
      const MixBus out = rig.Step(e, 0.25f, -0.25f);
      apart = std::max(apart, std::fabs((out.left - 0.25f) - (out.right + 0.25f)));
      lowest = std::min(lowest, out.left - 0.25f);
      highest = std::max(highest, out.left - 0.25f);
    }
    EXPECT_EQ(rig.ctx.engineRandom, expectedState) << "wet " << wet;
    EXPECT_LE(apart, 1e-6f) << "wet " << wet;
    EXPECT_GE(lowest, -wet * 0.01f);
    EXPECT_NEAR(highest - lowest, wet * 0.02f, wet * 0.002f + 1e-6f) << "wet " << wet;
  }
}

TEST(Sources, SynchronisationRestartsAtTheOctavePeriod) {
  const struct { uint32_t octave; int32_t rate, pitch, transpose; int restartsPerSecond, firstRestart; } cases[] = {
      {0, 44100, 2450, 0, 65, 674}, {1, 44100, 2450, 0, 130, 337}, {2, 44100, 2450, 0, 261, 168},
      {3, 44100, 2450, 0, 523, 84}, {2, 22050, 2450, 0, 261, 84},  {2, 44100, 3650, 1200, 261, 168},
      {3, 44100, 1250, 0, 261, 168}};
  for (const auto& c : cases) {
    EngineRig rig(c.rate);
    Engine& sine = rig.Make(T::SineWaveGenerator, {}, 0);
    Engine& sync = rig.Make(T::OscillatorSynchronisation, {}, 1);
    sync.options[0] = c.octave;
    rig.transpose = c.transpose;
    std::vector<int> at;
    for (int i = 0; i < c.rate; ++i) {
      sine.W[0].f = 0.0f;  // a restart sets it to the amplitude
      rig.Step(sync, 0.0f, 0.0f, c.pitch);
      if (sine.W[0].f != 0.0f) at.push_back(i);
    }
    EXPECT_NEAR(static_cast<int>(at.size()), c.restartsPerSecond, 1) << "octave " << c.octave << " at " << c.rate;
    EXPECT_EQ(at.empty() ? -1 : at[0], c.firstRestart) << "octave " << c.octave << " at " << c.rate;
  }
}

TEST(Sources, SynchronisationRestartsSourcesOnly) {
  // The target sits at position 0 with W0 0.3, W1 0.4 and slot 2 at 7; the synchronisation engine at 1 aims at
  // position `aim`. A restarted sine starts at its amplitude ("Wet" 75), a cosine likewise in W1.
  const struct { T target; int32_t aim; float w0, w1, position; } cases[] = {
      {T::SineWaveGenerator, 0, 0.75f, 0.4f, 0},  {T::CosineWaveGenerator, 0, 0, 0.75f, 0},
      {T::DownSawGenerator, 0, 0, 0.4f, 0},       {T::BasicWave, 0, 0, 0.4f, 0},
      {T::Amplifier, 0, 0.3f, 0.4f, 7},           {T::WhiteNoiseGenerator, 0, 0.3f, 0.4f, 7},
      {T::SineWaveGenerator, 1, 0.3f, 0.4f, 7},   {T::SineWaveGenerator, 2, 0.3f, 0.4f, 7}};
  for (const auto& c : cases) {
    EngineRig rig;
    Engine& target = rig.Make(c.target, {}, 0);
    Engine& sync = rig.Make(T::OscillatorSynchronisation, {}, 1);
    sync.W[0].i = c.aim;
    sync.options[0] = 2;                  // "Oct 3": a period of 450
    sync.slots[0].playPosition = 449.9f;  // the next sample completes it
    std::tie(target.W[0].f, target.W[1].f, target.slots[2].playPosition) = std::tuple(0.3f, 0.4f, 7.0f);
    EXPECT_EQ(rig.Step(sync, 0.1f, 0.2f).left, 0.1f);  // the bus passes untouched
    const auto after = std::tuple(target.W[0].f, target.W[1].f, target.slots[2].playPosition);
    EXPECT_EQ(after, std::tuple(c.w0, c.w1, c.position)) << c.target << " aim " << c.aim;
    EXPECT_NEAR(sync.slots[0].playPosition, 449.9f + 2.66968f - 450.0f, 1e-3f);  // the phase keeps its overshoot
  }
}

const std::vector<float> kRamp{1, 2, 4, 8, 16, 32};
constexpr int32_t kRoot = 3000;

void LoadWave(EngineRig& rig, Engine& e, int s, const std::vector<float>& data, int32_t upper = 6099) {
  rig.LoadSlot(e, s, data);
  e.slots[s].rootOrRate.i = kRoot;
  e.slots[s].upperPitch = upper;
}

TEST(WavePlayers, PlaybackStepLoopAndDamagedLoops) {
  // Offset is the pitch less the root; a loop end at or past the length, or a start above the end, plays as no
  // loop. At the root both routines give the samples themselves.
  using Out = std::vector<float>;
  const Out ramp = {1, 2, 4, 8, 16, 32, 0, 0};
  const struct { const char* name; int32_t rate, offset; uint32_t looped, loopStart, loopEnd; Out standard, hq; }
  cases[] = {
      {"root", 44100, 0, 0, 0, 5, ramp, ramp},
      {"root at 22050", 22050, -1200, 0, 0, 5, ramp, ramp},
      {"octave up", 44100, 1200, 0, 0, 5, {1, 4, 16, 0, 0, 0, 0, 0}, {1.5f, 6, 24, 0, 0, 0, 0, 0}},
      {"loop", 44100, 1200, 1, 1, 4, {1, 4, 2, 8, 2, 8, 2, 8}, {1.5f, 6, 3, 5, 3, 5, 3, 5}},
      {"loop end at length", 44100, 1200, 1, 0, 6, {1, 4, 16, 0, 0, 0, 0, 0}, {1.5f, 6, 24, 0, 0, 0, 0, 0}},
      {"loop end past length", 44100, 2400, 1, 0, 100, {1, 16, 0, 0, 0, 0, 0, 0}, {3.75f, 24, 0, 0, 0, 0, 0, 0}},
      {"loop start above end", 44100, 0, 1, 4, 2, ramp, ramp}};
  for (const auto& c : cases) {
    for (bool quality : {false, true}) {
      EngineRig rig(c.rate);
      Engine& e = rig.Make(T::BasicWave);
      LoadWave(rig, e, 0, kRamp);
      DataSlot& slot = e.slots[0];
      std::tie(slot.looped, slot.loopStart, slot.loopEnd) = std::tuple(c.looped, c.loopStart, c.loopEnd);
      const Out out = rig.RunLeft(e, 8, kRoot + c.offset, quality);
      for (size_t i = 0; i < out.size(); ++i)
        EXPECT_FLOAT_EQ(out[i], (quality ? c.hq : c.standard)[i]) << c.name << (quality ? " hq " : " ") << i;
    }
  }
}

TEST(WavePlayers, MultisampledChoosesFirstSlotWhoseRangeReaches) {
  // Slots 0, 1, 2 reach up to pitches 2000, 3000, 6099 and play 0.1, 0.2, 0.3; an ended choice plays nothing.
  const struct { int32_t pitch; int slot; bool chosenEnded; } cases[] = {
      {2000, 0, false}, {2001, 1, false}, {-40, 0, false}, {9000, 2, false}, {1000, 0, true}};
  const float values[] = {0.1f, 0.2f, 0.3f};
  const int32_t upper[] = {2000, 3000, 6099};
  for (const auto& c : cases) {
    EngineRig rig;
    Engine& e = rig.Make(T::MultisampledWave);
    for (int s = 0; s < 3; ++s) LoadWave(rig, e, s, std::vector<float>(8, values[s]), upper[s]);
    if (c.chosenEnded) e.slots[c.slot].playPosition = 8.0f;
    EXPECT_EQ(rig.Step(e, 0.0f, 0.0f, c.pitch).left, c.chosenEnded ? 0.0f : values[c.slot]) << "pitch " << c.pitch;
    for (int s = 0; s < 3; ++s) {
      const float before = c.chosenEnded && s == c.slot ? 8.0f : 0.0f;
      EXPECT_EQ(e.slots[s].playPosition != before, s == c.slot && !c.chosenEnded) << c.pitch << " slot " << s;
    }
  }
  EngineRig rig;  // no slot's range reaches the pitch
  Engine& e = rig.Make(T::MultisampledWave);
  LoadWave(rig, e, 0, kRamp, 2000);
  EXPECT_EQ(rig.Step(e, 0.5f, 0.5f, 2001).left, 0.5f);
}

TEST(WavePlayers, EndedSlotsAndWetDryMix) {
  // "Wet" 9 on input (0.4, -0.2): mixing the input with itself then differs from the input in the last bit,
  // so an ended player that still mixes can be told from one that leaves the bus alone.
  const struct { T type; bool ended, untouched; float addLeft, addRight; } cases[] = {
      {T::BasicWave, true, true, 0, 0},   {T::MultisampledWave, true, true, 0, 0}, {T::CombinedWave, true, false, 0, 0},
      {T::StereoWave, true, false, 0, 0}, {T::BasicWave, false, false, 1, 1},     {T::CombinedWave, false, false, 3, 3},
      {T::StereoWave, false, false, 1, 2}};
  const MixBus in{0.4f, -0.2f};
  for (const auto& c : cases) {
    EngineRig rig;
    Engine& e = rig.Make(c.type, {{0, 9}});
    LoadWave(rig, e, 0, {1.0f, 1.0f});
    LoadWave(rig, e, 1, {2.0f, 2.0f});
    if (c.ended) e.slots[0].playPosition = e.slots[1].playPosition = 2.0f;
    const auto mix = [&](float input, float add) { return (input + add) * e.F[0] + input * e.C[0]; };
    const MixBus expected = c.untouched ? in : MixBus{mix(in.left, c.addLeft), mix(in.right, c.addRight)};
    EXPECT_TRUE(!c.ended || c.untouched || expected.left != in.left) << c.type;  // the case tells the two apart
    const MixBus out = rig.Step(e, in.left, in.right, kRoot);
    EXPECT_TRUE(out.left == expected.left && out.right == expected.right) << c.type << " ended " << c.ended;
  }
}

constexpr int32_t kKept = 12345;  // a transpose no controller writes

TEST(Modulators, OneSampleThroughEachController) {
  // Held modulators on slots 0, 1, ...; the pitch and tempo controllers must pass the bus as it is.
  const struct { const char* name; T type; Settings params; std::vector<float> modulators; MixBus in, out;
                 int32_t transpose = kKept; float startTempo = 120.0f, tempo = 120.0f; } cases[] = {
      {"amplitude below 0 is silence", T::AmplitudeModulation, {{0, 50}}, {-1.0f}, {0.5f, -0.5f}, {0.0f, 0.0f}},
      {"amplitude base plus modulators", T::AmplitudeModulation, {{0, 25}}, {0.25f, 0.5f}, {0.8f, 0.4f}, {0.8f, 0.4f}},
      {"pan centre passes", T::PanningModulation, {}, {}, {0.6f, 0.2f}, {0.6f, 0.2f}},
      {"pan beyond right holds right", T::PanningModulation, {{0, 100}}, {1.0f}, {0.6f, 0.2f}, {0.0f, 0.4f}},
      {"positor rectifies", T::Positor, {}, {}, {-0.75f, 0.25f}, {0.5f, -0.5f}},
      {"distortion clips", T::Distortion, {{0, 0}, {1, 50}}, {}, {0.8f, -0.3f}, {0.5f, -0.3f}},
      {"distortion drives", T::Distortion, {{0, 50}, {1, 100}}, {}, {0.01f, -0.5f}, {0.141421f, -1.0f}},
      {"clipper", T::Clipper, {{0, 20}}, {}, {0.5f, -0.5f}, {0.2f, -0.2f}},
      {"range 12 full modulator", T::PitchModulation, {{2, 12}}, {1.0f}, {0.3f, -0.3f}, {0.3f, -0.3f}, 1200},
      {"pitch base only, half wet", T::PitchModulation, {{0, -50}, {1, 50}, {2, 2}}, {}, {0.3f, 0}, {0.3f, 0}, -50},
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
}  // namespace tonforge::testing
