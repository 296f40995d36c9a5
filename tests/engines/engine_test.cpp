// What every engine relies on: parameter conversions, initialisation, prepared words, wet and dry weights,
// slots and modulators, and the catalog rows and lists the engines and panels read.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <set>
#include <string>
#include <tuple>

#include "engines/catalog.h"
#include "engines/contract.h"
#include "engines/engine.h"
#include "support/engine_harness.h"

namespace tonforge {
namespace {

using testing::EngineRig;
using T = EngineTypeId;

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
  std::array<OutputRate, 3> r;  // 44100, 22050 and 11025 Hz (their figures are pinned with the rate switch)
  for (int i = 0; i < 3; ++i) SetOutputRate(r[i], 44100 >> i, 120.0f, 48);
  // 500 ms at 44100 and 11025 Hz; 1000 ticks capped at 44100 samples and 48 ticks, one beat.
  const struct { bool ticks; int32_t value; const OutputRate& rate; int32_t samples; } delays[] = {
      {false, 500, r[0], 22050}, {false, 500, r[2], 5512}, {true, 1000, r[0], 44100}, {true, 48, r[0], 22050}};
  for (const auto& d : delays) {
    Engine e;
    SetParameter(e, 0, d.value);
    EXPECT_EQ(d.ticks ? TicksToSamples(e.F[0], d.rate) : MsToSamples(e.F[0], d.rate), d.samples) << d.value;
  }
}

TEST(EngineContract, InitialisationDefaultsLinesAndOutOfMemory) {
  EngineRig rig;
  Engine comb;
  ASSERT_TRUE(InitTrackEngine(comb, static_cast<uint32_t>(T::CombFilter), rig.dialogs));
  EXPECT_EQ(comb.delayLineCount, 2u);
  EXPECT_EQ((std::array{comb.lineStart[0], comb.lineEnd[0], comb.lineStart[1], comb.lineEnd[1], comb.linePosition[1]}),
            (std::array<uint32_t, 5>{0, 44102, 44102, 88204, 44102}));
  ASSERT_TRUE(comb.left && comb.right);  // cleared, as every delay's impulse response from silence shows
  EXPECT_FLOAT_EQ(comb.F[1], 0.5f);
  EXPECT_FLOAT_EQ(comb.C[4], 0.0f);
  EXPECT_FLOAT_EQ(comb.C[6], 1.0f);  // absent parameter
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
      {T::Inverter, 22050, 0, true, 3},               {T::Inverter, 11025, 0, true, 1},
      {T::PlateReverb, 44100, 5, false, 0.28124464},  {T::PlateReverb, 22050, 5, false, 0.05338719},
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

TEST(EngineContract, WetAndDryWeightsAtAnAsymmetricSetting) {
  // At "Wet" 30 every family mixes its result × 0.3 with its input × 0.7, and the reverbs first add their input
  // × "Dry" 60: first samples of an empty engine, worked out from the definitions. (The wave players' mix is
  // pinned with the ended slots in the wave player tests.)
  const struct { T type; testing::Settings params; MixBus in, out; } cases[] = {
      // The left × 1.16⁴ × 0.35013 = 0.6339592 onto both channels (four stages, no history yet).
      {T::MoogVcf, {{2, 30}}, {1.0f, 0.5f}, {0.8901877f, 0.5401877f}},
      // Delays of 100 and 50 ms: both lines are still empty, so each channel is its dry part alone.
      {T::StereoSpatializer, {{0, 100}, {1, 50}, {2, 30}}, {1.0f, 0.5f}, {0.7f, 0.35f}},
      // Combs 0.11 × 9 − 1 = −0.01 per unit of input, plus 0.6: (0.59 × 0.3 + 0.7, half of it).
      {T::BasicReverb, {{1, 60}, {2, 30}}, {1.0f, 0.5f}, {0.877f, 0.4385f}},
      // The combs' −0.01 through the low pass's b0 = 0.0838083, plus 0.6: (0.5991619 × 0.3 + 0.7, half).
      {T::StereoReverbXY, {{3, 60}, {4, 30}}, {1.0f, 0.5f}, {0.8797486f, 0.4398743f}},
      // Plates (1 + 4) × 0.2 − 1 = 0, so only the dry part: (0.6 × 0.3 + 0.7, half).
      {T::PlateReverb, {{5, 60}, {6, 30}}, {1.0f, 0.5f}, {0.88f, 0.44f}},
      {T::AmplitudeModulation, {{0, 50}, {1, 30}}, {1.0f, 0.5f}, {0.85f, 0.425f}},  // 0.5 × 0.3 + 0.7
      // The first period exchanges the channels: (0.5 × 0.3 + 1 × 0.7, 1 × 0.3 + 0.5 × 0.7).
      {T::PingPong, {{1, 30}}, {1.0f, 0.5f}, {0.85f, 0.65f}}};
  for (const auto& c : cases) {
    EngineRig rig;
    const MixBus out = rig.Step(rig.Make(c.type, c.params), c.in.left, c.in.right);
    EXPECT_NEAR(out.left, c.out.left, 1e-6) << c.type;
    EXPECT_NEAR(out.right, c.out.right, 1e-6) << c.type;
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

TEST(EngineCatalog, ListsAndMembership) {
  const EngineCatalog& c = BuildEngineCatalog();
  for (const TypeList* list : {&c.songEngineTypes, &c.trackEngineTypes, &c.programEngineTypes}) {
    EXPECT_EQ(list->types[0], 0u);
    for (uint32_t i = 1; i < list->count; ++i) EXPECT_LT(list->types[i - 1], list->types[i]);
  }
  // The tempo modulator belongs to songs alone; the sources and voice pitch controllers to programs alone.
  const std::set<uint32_t> programOnly = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 15, 16, 17, 43};
  for (uint32_t t = 0; t < kEngineTypeCount; ++t) {
    EXPECT_EQ(Contains(c.programEngineTypes, t), t != 45) << t;
    EXPECT_EQ(Contains(c.trackEngineTypes, t), t != 45 && !programOnly.count(t)) << t;
    EXPECT_EQ(Contains(c.songEngineTypes, t), !programOnly.count(t)) << t;
  }
}

TEST(EngineCatalog, RowsTheEnginesRelyOn) {
  // Every type has a row of its own; delay buffers divide into their lines (the buffers' lengths are pinned
  // with the engines that fill them); slots are listed from 0 without gaps; wave slots offer Reverse and
  // Invert, modulator slots also Sync, except the tempo modulator's.
  const EngineCatalog& c = BuildEngineCatalog();
  std::set<std::string> names;
  for (uint32_t type = 0; type < kEngineTypeCount; ++type) {
    const EngineType& t = c[type];
    EXPECT_TRUE(names.insert(t.name.data()).second) << type << " " << t.name.data();
    EXPECT_TRUE(t.delayLineCount == 0 || t.delayBufferLength % t.delayLineCount == 0) << t.name.data();
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
}

// Option values come from files as saved: the name shown for one never reads past the labels.
TEST(Catalog, OptionLabelsStayWithinTheChoices) {
  const auto arp = static_cast<uint32_t>(T::Arpeggiator);
  const auto delay = static_cast<uint32_t>(T::VariableSpeedDelay);
  const struct { uint32_t type; int option; uint32_t value; const char* label; } cases[] = {
      {arp, 0, 0, "2 Tones"}, {arp, 0, 3, "5 Tones"}, {arp, 0, 4, "5 Tones"}, {arp, 0, 0xffffffffu, "5 Tones"},
      {arp, 1, 0, "Ticks"},   {arp, 1, 7, "Ticks"},   {arp, 2, 0, ""},        {arp, -1, 0, ""},
      {arp, 4, 0, ""},        {kEngineTypeCount, 0, 0, ""}, {delay, 0, 1, "Louder"}};
  for (const auto& c : cases)
    EXPECT_EQ(OptionLabel(c.type, c.option, c.value), c.label) << c.type << " " << c.option << " " << c.value;
}

}  // namespace
}  // namespace tonforge
