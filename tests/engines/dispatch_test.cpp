// What every engine relies on (parameter conversions, initialisation, prepared words, slots and modulators,
// the catalog rows and lists), and every engine type reaching its own routine: each is run
// through ProcessEngine (and the high-quality dispatch) on a probe where its own behaviour gives a number no other
// routine gives. And no type left at its defaults grows without end.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "engines/catalog.h"
#include "engines/contract.h"
#include "engines/engine.h"
#include "support/engine_harness.h"

namespace tonforge::testing {
namespace {

using T = EngineTypeId;

// The probe on the bus: silence; an impulse of (1, 0.5) or (1, 1) at sample 0; DC 0.25 on the left and half
// the rate on the right; a tone of an eighth of the rate on the left and DC on the right (both 0.25).
enum class In { Silence, Impulse, Both, DcNyquist, EighthDc };

MixBus Probe(In in, int n) {
  const float pulse = n == 0 ? 1.0f : 0.0f, half = n % 2 == 0 ? 0.25f : -0.25f;
  const float eighth = 0.25f * std::cos(0.78539816f * static_cast<float>(n % 8));
  const MixBus probes[] = {{}, {pulse, 0.5f * pulse}, {pulse, pulse}, {0.25f, half}, {eighth, 0.25f}};
  return probes[static_cast<int>(in)];
}

// Runs samples 0..at and returns what marks the type: the bus; left minus right for the stereo reverbs; the
// transpose for the pitch controllers; the tempo for the song speed modulator; for the synchronisation the
// phase of the saw at chain position 1, which starts at 100.
std::pair<float, float> Fingerprint(T type, const testing::Settings& params, In in, int at, bool quality) {
  EngineRig rig;
  Engine& e = rig.Make(type, params);
  // Every wave player gets four slots; slot s holds (0.5^(s+1), 0) at root pitch 1250, so pitch 2450 steps 2
  // samples at a time; slot 0 plays up to pitch 2000 only. The choruses and flanges hold modulators 0 and 0.5:
  // taps 50 and 75 samples back.
  for (int s = 0; s < kDataSlotCount && type >= T::BasicWave && type <= T::StereoWave; ++s) {
    rig.LoadSlot(e, s, {std::ldexp(1.0f, -1 - s), 0.0f});
    e.slots[s].rootOrRate.i = 1250;
    e.slots[s].upperPitch = s == 0 ? 2000 : kHighestPitch;
  }
  const bool chorus = type == T::Chorus || type == T::Flange || type == T::StereoChorus || type == T::StereoFlange;
  for (int s = 0; chorus && s < 2; ++s) rig.Hold(e, s, 0.5f * static_cast<float>(s));
  rig.Make(T::DownSawGenerator, {}, 1).W[0].f = 100.0f;
  MixBus out;
  for (int n = 0; n <= at; ++n) out = rig.Step(e, Probe(in, n).left, Probe(in, n).right, kDefaultRootPitch, quality);
  if (type == T::StereoReverbXY || type == T::StereoReverbYX) return {out.left - out.right, 0.0f};
  if (type == T::PitchModulation || type == T::PitchShift || type == T::Arpeggiator)
    return {static_cast<float>(rig.transpose), 0.0f};
  if (type == T::SongSpeedModulator) return {rig.tempo, 0.0f};
  if (type == T::OscillatorSynchronisation) return {rig.chain[1].W[0].f, 0.0f};
  return {out.left, out.right};
}

TEST(EngineDispatch, EveryTypeReachesItsOwnRoutine) {
  // What the high-quality dispatch gives where it has a routine of its own (NaN: the standard result).
  const struct { T type; testing::Settings params; In in; int at; float left, right, qualityLeft = NAN,
                 qualityRight = NAN; } cases[] = {
      // Wave players at a step of 2: the standard routine takes the sample at the position, the high-quality
      // one averages the two it passes. Basic plays slot 0, multisampled the first slot reaching the pitch
      // (slot 1), combined all four, stereo slot 0 left and slot 1 right.
      {T::BasicWave, {}, In::Silence, 0, 0.5f, 0.5f, 0.25f, 0.25f},
      {T::MultisampledWave, {}, In::Silence, 0, 0.25f, 0.25f, 0.125f, 0.125f},
      {T::CombinedWave, {}, In::Silence, 0, 0.9375f, 0.9375f, 0.46875f, 0.46875f},
      {T::StereoWave, {}, In::Silence, 0, 0.5f, 0.25f, 0.25f, 0.125f},
      // Coupled form from amplitude 0.75 with e = 2 sin(2π · 261.63 / 88200) = 0.0372738: the sine's first
      // sample is -0.75 e, the cosine's +0.75 e.
      {T::SineWaveGenerator, {}, In::Silence, 0, -0.0279554f, -0.0279554f},
      {T::CosineWaveGenerator, {}, In::Silence, 0, 0.0279554f, 0.0279554f},
      // Saws step s = 2^(500/1200) = 1.3348399 of 225 per sample: the second sample is ±0.75 (1 - s / 112.5);
      // sixteen-fold on a phase of 3600 it averages the phases 16 s to 31 s: ±0.75 (1 - 23.5 s / 1800).
      {T::DownSawGenerator, {}, In::Silence, 1, 0.7411011f, 0.7411011f, 0.7369297f, 0.7369297f},
      {T::UpSawGenerator, {}, In::Silence, 1, -0.7411011f, -0.7411011f, -0.7369297f, -0.7369297f},
      // Sample 84 starts at phase 84 s = 112.13, below the switch at 112.5; sixteen-fold it spans 1794.0 to
      // 1814.0 of 3600, five sub-steps before the switch at 1800: ±0.75 × (5 - 11) / 16.
      {T::PulseWaveGenerator, {}, In::Silence, 84, 0.75f, 0.75f, -0.28125f, -0.28125f},
      {T::InversePulseWaveGenerator, {}, In::Silence, 84, -0.75f, -0.75f, 0.28125f, 0.28125f},
      // The engine state 0 steps to 907633515: the unit draw 0.33515 gives (2 × 0.33515 - 1) × 0.75. "Oct 2"
      // restarts every 900 of a phase stepping 2^(1700/1200) = 2.66968: in the 338th sample.
      {T::WhiteNoiseGenerator, {}, In::Silence, 0, -0.247275f, -0.247275f},
      {T::OscillatorSynchronisation, {{0, 2}}, In::Silence, 337, 0.0f, 0.0f},
      // Half of a range of 100 cents; pan 0 puts (1 + 0.5) / 2 on the left; the first random position is
      // 907633515 mod 201 = 126: left 1 × 0.74, right 1 × 0.13 + 0.5 × 0.87. Drive 200 clips at 1; the
      // positor turns silence into -1.
      {T::AmplitudeModulation, {{0, 50}}, In::Impulse, 0, 0.5f, 0.25f},
      {T::Amplifier, {{0, 150}, {1, -200}}, In::Impulse, 0, 1.5f, -1.0f},
      {T::PitchModulation, {{0, 50}}, In::Silence, 0, 50.0f, 0.0f},
      {T::PitchShift, {{0, -300}}, In::Silence, 0, -300.0f, 0.0f},
      {T::Arpeggiator, {{0, 4}}, In::Silence, 0, 400.0f, 0.0f},
      {T::PanningModulation, {{0, -100}}, In::Impulse, 0, 0.75f, 0.0f},
      {T::RandomPanning, {}, In::Impulse, 0, 0.74f, 0.565f},
      {T::PingPong, {}, In::Impulse, 0, 0.5f, 1.0f},
      {T::Distortion, {}, In::Impulse, 0, 1.0f, 1.0f},
      {T::Clipper, {{0, 40}}, In::Impulse, 0, 0.4f, 0.4f},
      {T::Positor, {}, In::Impulse, 1, -1.0f, -1.0f},
      {T::SongSpeedModulator, {{0, 90}}, In::Silence, 0, 90.0f, 0.0f},
      // Echoes: the spatializer's right line read 440 - 1 samples late; 50 ms is 2205 samples, 100 ms 4410,
      // 200 ms 8820, 300 ms 13230; the basic delay's left -0.5 recirculated, the comb's right 0.5 + 0.5 × 0.5.
      // The choruses read after the write; the flange feeds back 0.5 × 1.5625 × 0.64 × 0.64 = 0.32, the stereo
      // flange "Feedback" 0.5.
      {T::StereoSpatializer, {}, In::Impulse, 439, 0.0f, 0.5f},
      {T::BasicDelay, {{0, 50}, {2, 100}}, In::Impulse, 4410, 0.25f, -0.25f},
      {T::CombFilter, {{0, 100}, {2, 50}}, In::Impulse, 2205, 0.0f, 0.75f},
      {T::SingleTapDelay, {{0, 200}}, In::Impulse, 8820, 0.5f, 0.0f},
      {T::MultiTapDelay, {}, In::Impulse, 13230, 0.25f, 0.125f},
      {T::VariableSpeedDelay, {}, In::Impulse, 4410, 0.75f, 0.375f},
      {T::Inverter, {}, In::Impulse, 4, -1.0f, -0.5f},
      {T::Chorus, {}, In::Impulse, 49, 1.0f, 0.5f},
      {T::Flange, {}, In::Impulse, 50, 0.32f, 0.16f},
      {T::StereoChorus, {}, In::Impulse, 49, 1.0f, 0.0f},
      {T::StereoFlange, {}, In::Impulse, 50, 0.5f, 0.0f},
      // Filters at "Cutoff"/"Centre" 50, an eighth of the rate: the low pass keeps DC and removes half the
      // rate, the high pass the reverse; the band pass keeps its centre and removes DC, the band exclude filter
      // the reverse (read off the tone's peak, where a low pass would answer too); shelves at "Gain" 50 (A = 2)
      // gain A² = 4 on their side; the peaking filter at "Gain" 100 (A = 3) gains 9 at its centre. The Moog
      // filters the left (DC gain 1.3⁴ × 0.35013 = 1.00001) onto both channels. Odd samples: half the rate is
      // negative there.
      {T::MoogVcf, {}, In::DcNyquist, 2001, 0.25f, 0.25f},
      {T::LowPassFilter, {{0, 50}}, In::DcNyquist, 2001, 0.25f, 0.0f},
      {T::HighPassFilter, {{0, 50}}, In::DcNyquist, 2001, 0.0f, -0.25f},
      {T::BandPassFilter, {{0, 50}}, In::EighthDc, 2000, 0.25f, 0.0f},
      {T::BandExcludeFilter, {{0, 50}}, In::EighthDc, 2001, 0.0f, 0.25f},
      {T::LowShelfFilter, {{0, 50}}, In::DcNyquist, 2001, 1.0f, -0.25f},
      {T::HighShelfFilter, {{0, 50}}, In::DcNyquist, 2001, 0.25f, -1.0f},
      {T::PeakingFilter, {{0, 50}, {2, 100}}, In::EighthDc, 2000, 2.25f, 0.25f},
      // Reverbs: first samples 0.11 × 9 - 1 + 1 (the all-passes scale the comb part by 0.775⁴). The stereo
      // pairs differ first at sample 1116, where only the 1116-sample comb (right for XY, left for YX) answers
      // the impulse: 0.85 × 0.11 through the all-passes and the low pass's b0 = 0.0838083. The right plate of
      // 303 samples echoes 0.9 × 0.5, × 0.2 through the sum, × 0.35937768 through the low pass.
      {T::BasicReverb, {}, In::Impulse, 0, 0.99f, 0.495f, 0.9963925f, 0.4981962f},
      {T::StereoReverbXY, {}, In::Both, 1116, 0.0078361f, 0.0f, 0.0028269f, 0.0f},
      {T::StereoReverbYX, {}, In::Both, 1116, -0.0078361f, 0.0f, -0.0028269f, 0.0f},
      {T::PlateReverb, {}, In::Impulse, 303, 0.0f, 0.0323440f}};
  std::vector<bool> covered(kEngineTypeCount);
  for (const auto& c : cases) {
    covered[static_cast<uint32_t>(c.type)] = true;
    for (bool quality : {false, true}) {
      const auto [left, right] = Fingerprint(c.type, c.params, c.in, c.at, quality);
      const bool own = quality && !std::isnan(c.qualityLeft);
      EXPECT_NEAR(left, own ? c.qualityLeft : c.left, 1e-4) << c.type << (quality ? " (high quality)" : "");
      EXPECT_NEAR(right, own ? c.qualityRight : c.right, 1e-4) << c.type << (quality ? " (high quality)" : "");
    }
  }
  EXPECT_EQ(std::count(covered.begin() + 1, covered.end(), false), 0);
}

TEST(EngineDispatch, NoTypeGrowsAtItsDefaults) {
  // Two seconds of a saw through every type at its default settings, at every rate: the last tenth of a second
  // peaks no higher than the first second did (10 % more for echoes still building up). The saw is B2
  // (123.47 Hz), whose period fits none of the default delays a whole number of times, so echoes do not pile
  // up in phase.
  for (int32_t rate : {44100, 22050, 11025}) {
    for (uint32_t type = 0; type < kEngineTypeCount; ++type) {
      EngineRig rig(rate);
      Engine& e = rig.Make(static_cast<T>(type));
      const int n = 2 * rate, tenth = rate / 10;
      float firstSecond = 0.0f, last = 0.0f;
      for (int i = 0; i < n; ++i) {
        const float x = 0.5f - static_cast<float>(std::fmod(123.47 * i / rate, 1.0));
        const MixBus out = rig.Step(e, x, x);
        const float peak = std::max(std::fabs(out.left), std::fabs(out.right));
        if (i < rate) firstSecond = std::max(firstSecond, peak);
        if (i >= n - tenth) last = std::max(last, peak);
      }
      EXPECT_TRUE(std::isfinite(last) && last <= 1.1f * firstSecond)
          << static_cast<T>(type) << " at " << rate << " Hz: " << firstSecond << " then " << last;
    }
  }
}


TEST(EngineDispatch, EnginesThatCannotActPassTheBus) {
  // Thru and unknown types do nothing; a program engine that never got its chain position's delay buffers
  // must not touch memory it does not have; a wave player whose slot 0 cannot be read adds nothing.
  std::vector<std::pair<Engine, std::string>> engines(1);
  for (uint32_t type : {48u, 100u, 0xFFFFFFFFu}) engines.emplace_back().first.type = type;
  EngineRig rig;
  for (uint32_t type = 1; type < kEngineTypeCount; ++type) {
    if (BuildEngineCatalog()[type].delayLineCount == 0) continue;
    InitProgramEngine(engines.emplace_back().first, type);
    PrepareEngine(engines.back().first, rig.rate);
  }
  const struct { const char* name; uint32_t loaded; bool data; uint32_t length; float position; } damages[] = {
      {"no data", 1, false, 6, 0.0f}, {"length 0", 1, true, 0, 0.0f}, {"not loaded", 0, true, 6, 0.0f},
      {"negative position", 1, true, 6, -3.0f}, {"position not a number", 1, true, 6, NAN}};
  for (T type : {T::BasicWave, T::MultisampledWave, T::CombinedWave, T::StereoWave}) {
    for (const auto& d : damages) {
      Engine& e = rig.Make(type);
      rig.LoadSlot(e, 0, {1, 2, 4, 8, 16, 32});
      DataSlot& slot = e.slots[0];
      std::tie(slot.loaded, slot.length, slot.playPosition) = std::tuple(d.loaded, d.length, d.position);
      if (!d.data) slot.data.reset();
      engines.emplace_back(std::move(e), d.name);
    }
  }
  for (auto& [e, damage] : engines) {
    for (bool quality : {false, true}) {
      const MixBus out = rig.Step(e, 0.25f, -0.5f, kDefaultRootPitch, quality);
      EXPECT_TRUE(out.left == 0.25f && out.right == -0.5f) << e.type << " " << damage << (quality ? " (high quality)" : "");
    }
  }
}

TEST(EngineDispatch, NonFiniteInputIsHeardOnce) {
  // A NaN or an infinity arrives on the bus: it is heard that sample but never stored. A filter behaves like a
  // fresh one from the next sample on; an engine built on delay lines gives finite output and keeps its lines
  // (combs and all-passes too) clean for a full turn.
  for (uint32_t type = 1; type < kEngineTypeCount; ++type) {
    const bool filter = type >= static_cast<uint32_t>(T::MoogVcf) && type <= static_cast<uint32_t>(T::PeakingFilter);
    if (!filter && BuildEngineCatalog()[type].delayLineCount == 0) continue;
    for (bool quality : {false, true}) {
      for (float b : {NAN, INFINITY, -INFINITY}) {
        EngineRig rig;
        const testing::Settings params = filter ? testing::Settings{{0, 30}, {1, 50}} : testing::Settings{};
        Engine &hit = rig.Make(static_cast<T>(type), params, 0), &fresh = rig.Make(static_cast<T>(type), params, 2);
        if (!filter) rig.Hold(hit, 0, 0.3f), rig.Hold(hit, 1, -0.4f);
        const uint32_t end = filter ? 600 : hit.lineLength + 20;
        const std::vector<float> noise = testing::Noise(2 * static_cast<int>(end), 3);
        for (int n = 0; n < 10; ++n) rig.Step(hit, noise[2 * n], noise[2 * n + 1], kDefaultRootPitch, quality);
        rig.Step(hit, b, b, kDefaultRootPitch, quality);
        bool heardOnce = true;
        for (uint32_t n = 10; n < end && heardOnce; ++n) {
          const MixBus out = rig.Step(hit, noise[2 * n], noise[2 * n + 1], kDefaultRootPitch, quality);
          heardOnce = std::isfinite(out.left) && std::isfinite(out.right);
          if (!filter) continue;
          const MixBus f = rig.Step(fresh, noise[2 * n], noise[2 * n + 1], kDefaultRootPitch, quality);
          heardOnce = heardOnce && out.left == f.left && out.right == f.right;
        }
        for (uint32_t i = 0; i < hit.bufferLength; ++i)
          heardOnce = heardOnce && std::isfinite(hit.left[i]) && std::isfinite(hit.right[i]);
        EXPECT_TRUE(heardOnce) << static_cast<T>(type) << " after " << b << (quality ? " (high quality)" : "");
      }
    }
  }
}

TEST(EngineContract, ParameterConversions) {
  // A value is kept as hundredths with its complement, and the integer the user set comes back exactly.
  const struct { int32_t value; float f, c; } values[] = {
      {50, 0.5f, 0.5f},    {-50, -0.5f, 1.5f},  {0, 0.0f, 1.0f},        {1, 0.01f, 0.99f},
      {-7, -0.07f, 1.07f}, {999, 9.99f, -8.99f}, {-1200, -12.0f, 13.0f}, {1200, 12.0f, -11.0f}};
  for (const auto& v : values) {
    Engine e;
    SetParameter(e, 0, v.value);
    EXPECT_EQ(ParameterInteger(e.F[0]), v.value);
    EXPECT_FLOAT_EQ(e.F[0], v.f) << v.value;
    EXPECT_FLOAT_EQ(e.C[0], v.c) << v.value;
  }
  // A delay of 1000 ticks is capped at a second; milliseconds and shorter delays in ticks are pinned where the
  // delays and the hold periods echo.
  OutputRate rate;
  SetOutputRate(rate, 44100, 120.0f, 48);
  Engine e;
  SetParameter(e, 0, 1000);
  EXPECT_EQ(TicksToSamples(e.F[0], rate), 44100);
}

TEST(EngineContract, InitialisationDefaultsLinesAndOutOfMemory) {
  EngineRig rig;
  Engine comb;
  ASSERT_TRUE(InitTrackEngine(comb, static_cast<uint32_t>(T::CombFilter), rig.dialogs));
  EXPECT_EQ((std::array{comb.delayLineCount, comb.lineStart[0], comb.lineEnd[0], comb.lineStart[1], comb.lineEnd[1],
                        comb.linePosition[1]}),
            (std::array<uint32_t, 6>{2, 0, 44102, 44102, 88204, 44102}));
  ASSERT_TRUE(comb.left && comb.right);  // cleared, as every delay's impulse response from silence shows
  EXPECT_EQ(std::tuple(comb.F[1], comb.C[4], comb.C[6]), std::tuple(0.5f, 0.0f, 1.0f));  // C6: absent parameter
  for (const DataSlot& s : comb.slots) EXPECT_TRUE(s.gain == 1.0f && s.rootOrRate.i == 2450 && s.upperPitch == 6099);

  Engine arp, reverb;
  InitProgramEngine(arp, static_cast<uint32_t>(T::Arpeggiator));
  EXPECT_EQ(arp.options[0], 1u);
  InitProgramEngine(reverb, static_cast<uint32_t>(T::BasicReverb));
  EXPECT_TRUE(reverb.lineLength == 1618u && reverb.lineStart[11] == 11u * 1618u);
  EXPECT_FALSE(reverb.left);  // program engines own no buffers

  ReleaseTrackEngine(comb);
  EXPECT_TRUE(!comb.left && comb.delayLineCount == 0 && comb.linePosition[1] == 0);
  EXPECT_TRUE(rig.dialogs.shown.empty());
  for (int skip : {0, 1}) {  // left buffer fails, then right buffer fails
    Engine e;
    FailAllocationsForTesting(skip, 1);
    EXPECT_FALSE(InitTrackEngine(e, static_cast<uint32_t>(T::BasicDelay), rig.dialogs));
    FailAllocationsForTesting(0, 0);
    EXPECT_TRUE(e.type == 0 && e.delayLineCount == 0 && e.bufferLength == 0 && !e.left && !e.right) << skip;
  }
  ASSERT_EQ(rig.dialogs.shown.size(), 2u);
  const auto& box = rig.dialogs.shown[0];
  EXPECT_TRUE(box.caption == "Error" && box.text == "Out Of Memory - Cannot Initialise Track Engine" &&
              box.icon == BoxIcon::Error);
}

TEST(EngineContract, PreparedWords) {
  // Words the engines' own tests would not pin exactly (integer words compare exactly); "Louder" inverts the
  // variable speed delay's gain.
  const struct { T type; int32_t rate; int word; bool integer; double value; uint32_t option0 = 0; } words[] = {
      {T::Inverter, 22050, 0, true, 3}, {T::Inverter, 11025, 0, true, 1}, {T::PlateReverb, 44100, 5, false, 0.28124464},
      {T::PlateReverb, 11025, 5, false, -0.08763808}, {T::VariableSpeedDelay, 44100, 1, false, 1.0f / 0.75f, 1}};
  for (const auto& c : words) {
    EngineRig rig(c.rate);
    Engine& e = rig.Make(c.type);
    e.options[0] = c.option0;
    PrepareEngine(e, rig.rate);
    const Word w = e.W[c.word];
    EXPECT_NEAR(c.integer ? w.i : w.f, c.value, c.integer ? 0.0 : 1e-6) << c.type << " W" << c.word << " at " << c.rate;
  }
}

TEST(EngineContract, SlotsAndModulators) {
  EngineRig rig;
  Engine& e = rig.Make(T::AmplitudeModulation);
  rig.LoadSlot(e, 0, {0.1f, 0.2f, 0.3f}, true);
  e.slots[0].rootOrRate.f = 1.0f;
  // Base plus the slot, stepping one sample each time; a run-out slot holds its last sample.
  for (float sum : {1.1f, 1.2f, 1.3f, 1.3f}) EXPECT_FLOAT_EQ(ModulatorSum(e, 1.0f, rig.rate), sum);
  EXPECT_EQ(e.slots[0].playPosition, 3.0f);
  // A damaged record's position restarts the slot or holds its end; it never reads outside.
  const struct { float position, sum; } damaged[] = {{-3.0f, 1.1f}, {NAN, 1.1f}, {1e30f, 1.3f}, {3.0f, 1.3f}};
  for (const auto& d : damaged) {
    e.slots[0].playPosition = d.position;
    EXPECT_FLOAT_EQ(ModulatorSum(e, 1.0f, rig.rate), d.sum) << d.position;
  }

  DataSlot loop = e.slots[0];  // looped from 1 to 2, at 1.5, stepping 0.75
  std::tie(loop.looped, loop.loopStart, loop.loopEnd, loop.playPosition) = std::tuple(1, 1, 2, 1.5f);
  loop.rootOrRate.f = 0.75f;
  AdvanceSlot(loop, rig.rate);  // 2.25 reaches the loop end: back to the start exactly
  EXPECT_EQ(loop.playPosition, 1.0f);
  std::tie(loop.tempoSync, loop.rootOrRate.f) = std::tuple(1, 22050.0f);
  AdvanceSlot(loop, rig.rate);  // tempo sync: rate / samples per beat, 22050 / 22050
  EXPECT_EQ(loop.playPosition, 2.0f - 1.0f);
}

bool Contains(const TypeList& list, uint32_t type) {
  for (uint32_t i = 0; i < list.count; ++i)
    if (list.types[i] == type) return true;
  return false;
}

TEST(EngineCatalog, RowsTheEnginesRelyOnAndTheLists) {
  // Every type has a row of its own; the stored images carry the delay buffers' figures (which divide into their
  // lines, or the build stops), and a buffer shorter than a default delay would cut the echo; slots are listed
  // from 0 without gaps; wave slots offer Reverse and Invert, modulator slots also Sync, except the tempo
  // modulator's.
  const EngineCatalog& c = BuildEngineCatalog();
  // (The reverbs' lines are pinned by their comb lengths.)
  const struct { T type; uint32_t lines, buffer; } delays[] = {
      {T::StereoSpatializer, 1, 11026}, {T::BasicDelay, 1, 44104}, {T::CombFilter, 2, 88204},
      {T::Chorus, 1, 176},              {T::Inverter, 1, 408},     {T::StereoFlange, 1, 176}};
  for (const auto& d : delays) {
    const EngineType& t = c[static_cast<uint32_t>(d.type)];
    EXPECT_EQ(std::pair(t.delayLineCount, t.delayBufferLength), std::pair(d.lines, d.buffer)) << d.type;
  }
  std::set<std::string> names;
  for (uint32_t type = 0; type < kEngineTypeCount; ++type) {
    const EngineType& t = c[type];
    EXPECT_TRUE(names.insert(t.name.data()).second) << type << " " << t.name.data();
    for (int s = 0; s < kDataSlotCount; ++s) {
      const DataSlotSpec& d = t.dataSlots[s];
      EXPECT_TRUE(s == 0 || d.kind == SlotKind::None || t.dataSlots[s - 1].kind != SlotKind::None) << t.name.data();
      const bool offered = d.kind != SlotKind::None;
      const bool sync = d.kind == SlotKind::Modulator && type != static_cast<uint32_t>(T::SongSpeedModulator);
      EXPECT_TRUE(d.offersReverse == offered && d.offersInvert == offered && d.offersSync == sync)
          << t.name.data() << " slot " << s;
    }
  }
  EXPECT_EQ(names.count(""), 0u);
  // Each list starts with Thru and goes up. The tempo modulator belongs to songs alone; the sources and voice
  // pitch controllers to programs alone.
  for (const TypeList* list : {&c.songEngineTypes, &c.trackEngineTypes, &c.programEngineTypes}) {
    EXPECT_EQ(list->types[0], 0u);
    for (uint32_t i = 1; i < list->count; ++i) EXPECT_LT(list->types[i - 1], list->types[i]);
  }
  const std::set<uint32_t> programOnly = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 15, 16, 17, 43};
  for (uint32_t t = 0; t < kEngineTypeCount; ++t) {
    EXPECT_EQ(Contains(c.programEngineTypes, t), t != 45) << t;
    EXPECT_EQ(Contains(c.trackEngineTypes, t), t != 45 && !programOnly.count(t)) << t;
    EXPECT_EQ(Contains(c.songEngineTypes, t), !programOnly.count(t)) << t;
  }
}

// Option values come from files as saved: the name shown for one never reads past the labels.
TEST(Catalog, OptionLabelsStayWithinTheChoices) {
  const auto arp = static_cast<uint32_t>(T::Arpeggiator);
  const auto delay = static_cast<uint32_t>(T::VariableSpeedDelay);
  const struct { uint32_t type; int option; uint32_t value; const char* label; } cases[] = {
      {arp, 0, 3, "5 Tones"}, {arp, 0, 4, "5 Tones"}, {arp, 1, 7, "Ticks"}, {arp, 2, 0, ""}, {arp, -1, 0, ""},
      {arp, 4, 0, ""}, {kEngineTypeCount, 0, 0, ""}, {delay, 0, 1, "Louder"}};
  for (const auto& c : cases)
    EXPECT_EQ(OptionLabel(c.type, c.option, c.value), c.label) << c.type << " " << c.option << " " << c.value;
}

}  // namespace
}  // namespace tonforge::testing
