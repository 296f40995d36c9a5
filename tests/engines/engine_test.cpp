#include <gtest/gtest.h>

#include <bit>
#include <cmath>

#include "engines/contract.h"
#include "engines/engine.h"
#include "support/engine_harness.h"

namespace tonforge {
namespace {

using testing::EngineRig;

TEST(EngineContract, ParameterConversions) {
  const struct {
    int32_t value;
    int32_t integer;
  } cases[] = {{50, 50}, {-50, -50}, {0, 0}, {1, 1}, {-1200, -1200}, {1200, 1200}, {999, 999}, {-7, -7}};
  for (const auto& c : cases) {
    Engine e;
    SetParameter(e, 0, c.value);
    EXPECT_EQ(ParameterInteger(e.F[0]), c.integer) << c.value;
    EXPECT_FLOAT_EQ(e.F[0] + e.C[0], 1.0f);
  }
  EXPECT_EQ(ParameterInteger(0.5f), 50);
  EXPECT_EQ(ParameterInteger(-0.5f), -50);

  OutputRate r44, r22, r11;
  SetOutputRate(r44, 44100, 120.0f, 48);
  SetOutputRate(r22, 22050, 120.0f, 48);
  SetOutputRate(r11, 11025, 120.0f, 48);
  EXPECT_EQ(r44.samplesPerTick, 459.375f);
  EXPECT_EQ(r22.rateFactor, 2.0f);
  EXPECT_EQ(r11.rateStep, 4);
  Engine pingPong;
  InitProgramEngine(pingPong, static_cast<uint32_t>(EngineTypeId::PingPong));
  EXPECT_EQ(MsToSamples(pingPong.F[0], r44), 22050);
  EXPECT_EQ(MsToSamples(pingPong.F[0], r11), 5512);
  Engine ticks;
  SetParameter(ticks, 0, 1000);
  EXPECT_EQ(TicksToSamples(ticks.F[0], r44), 44100);  // capped
  SetParameter(ticks, 0, 48);
  EXPECT_EQ(TicksToSamples(ticks.F[0], r44), 22050);  // one beat
}

TEST(EngineContract, InitialisationDefaultsAndLines) {
  EngineRig rig;
  Engine comb;
  ASSERT_TRUE(InitTrackEngine(comb, static_cast<uint32_t>(EngineTypeId::CombFilter), rig.dialogs));
  EXPECT_EQ(comb.delayLineCount, 2u);
  EXPECT_EQ(comb.lineLength, 44102u);
  EXPECT_EQ(comb.lineStart[0], 0u);
  EXPECT_EQ(comb.lineEnd[0], 44102u);
  EXPECT_EQ(comb.lineStart[1], 44102u);
  EXPECT_EQ(comb.lineEnd[1], 88204u);
  EXPECT_EQ(comb.linePosition[1], 44102u);
  ASSERT_TRUE(comb.left && comb.right);
  EXPECT_EQ(comb.left[88203], 0.0f);
  EXPECT_FLOAT_EQ(comb.F[1], 0.5f);
  EXPECT_FLOAT_EQ(comb.C[4], 0.0f);
  EXPECT_FLOAT_EQ(comb.C[6], 1.0f);  // absent parameter
  for (const DataSlot& s : comb.slots) {
    EXPECT_EQ(s.gain, 1.0f);
    EXPECT_EQ(s.rootOrRate.i, 2450);
    EXPECT_EQ(s.upperPitch, 6099);
  }

  Engine arp;
  InitProgramEngine(arp, static_cast<uint32_t>(EngineTypeId::Arpeggiator));
  EXPECT_EQ(arp.options[0], 1u);
  Engine reverb;
  InitProgramEngine(reverb, static_cast<uint32_t>(EngineTypeId::BasicReverb));
  EXPECT_EQ(reverb.lineLength, 1618u);
  EXPECT_EQ(reverb.lineStart[11], 11u * 1618u);
  EXPECT_FALSE(reverb.left);  // program engines own no buffers

  ReleaseTrackEngine(comb);
  EXPECT_FALSE(comb.left);
  EXPECT_EQ(comb.delayLineCount, 0u);
  EXPECT_EQ(comb.linePosition[1], 0u);
  EXPECT_TRUE(rig.dialogs.shown.empty());
}

TEST(EngineContract, OutOfMemoryLeavesThru) {
  EngineRig rig;
  for (int skip : {0, 1}) {  // left buffer fails, then right buffer fails
    Engine e;
    FailAllocationsForTesting(skip, 1);
    EXPECT_FALSE(InitTrackEngine(e, static_cast<uint32_t>(EngineTypeId::BasicDelay), rig.dialogs));
    FailAllocationsForTesting(0, 0);
    EXPECT_EQ(e.type, 0u);
    EXPECT_EQ(e.delayLineCount, 0u);
    EXPECT_EQ(e.bufferLength, 0u);
    EXPECT_FALSE(e.left);
    EXPECT_FALSE(e.right);
  }
  ASSERT_EQ(rig.dialogs.shown.size(), 2u);
  EXPECT_EQ(rig.dialogs.shown[0].caption, "Error");
  EXPECT_EQ(rig.dialogs.shown[0].text, "Out Of Memory - Cannot Initialise Track Engine");
  EXPECT_EQ(rig.dialogs.shown[0].icon, BoxIcon::Error);
}

TEST(EngineContract, PreparedWords) {
  using T = EngineTypeId;
  const struct {
    T type;
    int32_t sampleRate;
    int word;
    int32_t expected;
  } ints[] = {
      {T::SineWaveGenerator, 44100, 2, 2450},   {T::DownSawGenerator, 44100, 1, 1950},
      {T::OscillatorSynchronisation, 44100, 0, 0}, {T::PingPong, 44100, 0, 22050},
      {T::PingPong, 11025, 0, 5512},           {T::StereoSpatializer, 44100, 1, 440},
      {T::BasicDelay, 44100, 0, 22050},        {T::MultiTapDelay, 44100, 2, 13230},
      {T::Inverter, 44100, 0, 4},              {T::Inverter, 22050, 0, 3},
      {T::Inverter, 11025, 0, 1},              {T::LowPassFilter, 44100, 13, 999},
      {T::MoogVcf, 44100, 13, 999},            {T::PlateReverb, 44100, 6, 500},
      {T::PlateReverb, 44100, 7, 450},         {T::PlateReverb, 44100, 13, 303},
      {T::PlateReverb, 22050, 6, 250},
  };
  for (const auto& c : ints) {
    EngineRig rig(c.sampleRate);
    Engine& e = rig.Make(static_cast<uint32_t>(c.type));
    EXPECT_EQ(e.W[c.word].i, c.expected) << static_cast<int>(c.type) << " W" << c.word << " at " << c.sampleRate;
  }
  const struct {
    T type;
    int32_t sampleRate;
    int word;
    float expected;
  } floats[] = {
      {T::SineWaveGenerator, 44100, 0, 0.75f}, {T::CosineWaveGenerator, 44100, 1, 0.75f},
      {T::PitchModulation, 44100, 0, 100.0f}, {T::Distortion, 44100, 0, 200.0f},
      {T::VariableSpeedDelay, 44100, 1, 0.75f}, {T::PlateReverb, 44100, 5, 0.28124464f},
      {T::PlateReverb, 44100, 4, 0.35937768f}, {T::PlateReverb, 22050, 5, 0.05338719f},
      {T::PlateReverb, 11025, 5, -0.08763808f},
  };
  for (const auto& c : floats) {
    EngineRig rig(c.sampleRate);
    Engine& e = rig.Make(static_cast<uint32_t>(c.type));
    EXPECT_NEAR(e.W[c.word].f, c.expected, 1e-6) << static_cast<int>(c.type) << " W" << c.word;
  }
  // Preparing again clears the signal words but re-marks the filter for a recompute.
  EngineRig rig;
  Engine& lpf = rig.Make(static_cast<uint32_t>(T::LowPassFilter));
  lpf.W[0].f = 0.5f;
  lpf.W[13].f = 0.25f;
  PrepareEngine(lpf, rig.rate);
  EXPECT_EQ(lpf.W[0].f, 0.0f);
  EXPECT_EQ(lpf.W[13].i, 999);
  // "Louder" inverts the gain.
  Engine& vsd = rig.Make(static_cast<uint32_t>(T::VariableSpeedDelay));
  vsd.options[0] = 1;
  PrepareEngine(vsd, rig.rate);
  EXPECT_NEAR(vsd.W[1].f, 1.0f / 0.75f, 1e-6);
}

TEST(EngineContract, SlotsAndModulators) {
  EngineRig rig;
  Engine& e = rig.Make(static_cast<uint32_t>(EngineTypeId::AmplitudeModulation));
  rig.LoadSlot(e, 0, {0.1f, 0.2f, 0.3f}, true);
  e.slots[0].rootOrRate.f = 1.0f;
  // Base plus the slot, stepping one sample each time; a run-out slot holds its last sample.
  EXPECT_FLOAT_EQ(ModulatorSum(e, 1.0f, rig.rate), 1.1f);
  EXPECT_FLOAT_EQ(ModulatorSum(e, 1.0f, rig.rate), 1.2f);
  EXPECT_FLOAT_EQ(ModulatorSum(e, 1.0f, rig.rate), 1.3f);
  EXPECT_FLOAT_EQ(ModulatorSum(e, 1.0f, rig.rate), 1.3f);
  EXPECT_EQ(e.slots[0].playPosition, 3.0f);

  DataSlot loop = e.slots[0];
  loop.looped = 1;
  loop.loopStart = 1;
  loop.loopEnd = 2;
  loop.playPosition = 1.5f;
  loop.rootOrRate.f = 0.75f;
  AdvanceSlot(loop, rig.rate);  // 2.25 reaches the loop end: back to the start exactly
  EXPECT_EQ(loop.playPosition, 1.0f);
  loop.tempoSync = 1;
  loop.rootOrRate.f = 22050.0f;
  AdvanceSlot(loop, rig.rate);  // tempo sync: rate / samples per beat
  EXPECT_EQ(loop.playPosition, 2.0f - 1.0f);
}

TEST(EngineContract, DelayLineAddressing) {
  EngineRig rig;
  Engine& e = rig.Make(static_cast<uint32_t>(EngineTypeId::CombFilter));
  float* buf = e.left.get();
  // Write 1, 2, 3 into line 1 and read behind the write position.
  for (float v : {1.0f, 2.0f, 3.0f}) {
    WriteLine(e, buf, 1, v);
    AdvanceLine(e, 1);
  }
  EXPECT_EQ(ReadLine(e, buf, 1, 1), 3.0f);
  EXPECT_EQ(ReadLine(e, buf, 1, 3), 1.0f);
  // A delay of 0 read before the write is the sample written a whole line earlier.
  e.linePosition[1] = e.lineStart[1];
  EXPECT_EQ(LineReadIndex(e, 1, 0), e.lineStart[1]);
  EXPECT_EQ(LineReadIndex(e, 1, 1), e.lineEnd[1] - 1);
  // The position wraps at the end of its own line, never into the next.
  e.linePosition[0] = e.lineEnd[0] - 1;
  AdvanceLine(e, 0);
  EXPECT_EQ(e.linePosition[0], e.lineStart[0]);
}

TEST(EngineDispatch, UnknownAndThruTypesDoNothing) {
  EngineRig rig;
  for (uint32_t type : {0u, 48u, 100u, 0xFFFFFFFFu}) {
    Engine e;
    e.type = type;
    const MixBus out = rig.Step(e, 0.25f, -0.5f);
    EXPECT_EQ(out.left, 0.25f) << type;
    EXPECT_EQ(out.right, -0.5f) << type;
    const MixBus hq = rig.Step(e, 0.25f, -0.5f, 2450, true);
    EXPECT_EQ(hq.left, 0.25f) << type;
  }
}

}  // namespace
}  // namespace tonforge

namespace tonforge {
namespace {

TEST(EngineContract, DamagedModulatorPositionsStayInside) {
  testing::EngineRig rig;
  Engine& e = rig.Make(static_cast<uint32_t>(EngineTypeId::AmplitudeModulation));
  rig.LoadSlot(e, 0, {0.5f, 0.25f}, true);
  e.slots[0].rootOrRate.f = 1.0f;
  const struct {
    float position;
    float value;
  } cases[] = {{-3.0f, 1.5f}, {NAN, 1.5f}, {1e30f, 1.25f}, {2.0f, 1.25f}};
  for (const auto& c : cases) {
    e.slots[0].playPosition = c.position;
    EXPECT_FLOAT_EQ(ModulatorSum(e, 1.0f, rig.rate), c.value) << c.position;
  }
}

}  // namespace
}  // namespace tonforge
