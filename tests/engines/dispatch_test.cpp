// Every engine type reaches its own routine: run each through ProcessEngine and check that something a
// listener or the sequencer could notice happened. A type left out of the dispatch would do nothing.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "support/engine_harness.h"

namespace tonforge {
namespace {

using testing::EngineRig;

struct Observed {
  std::vector<float> bus;
  int32_t transpose = 0;
  float tempo = 0.0f;
  uint32_t random = 0;
  std::vector<uint32_t> state;  // working words, slot positions and delay-line positions of the engine
};

Observed RunType(uint32_t type, bool quality) {
  EngineRig rig;
  Engine& e = rig.chain[0];
  InitTrackEngine(e, type, rig.dialogs);
  const EngineType& t = BuildEngineCatalog()[type];
  // Identity defaults would hide a routine: move the parameters that are identity at their defaults.
  if (type == static_cast<uint32_t>(EngineTypeId::Amplifier)) SetParameter(e, 0, 50);
  if (type == static_cast<uint32_t>(EngineTypeId::Clipper)) SetParameter(e, 0, 10);
  if (type == static_cast<uint32_t>(EngineTypeId::PitchShift)) SetParameter(e, 0, 300);
  if (type == static_cast<uint32_t>(EngineTypeId::SongSpeedModulator)) SetParameter(e, 0, 90);
  std::vector<float> ramp(400);
  for (size_t i = 0; i < ramp.size(); ++i) ramp[i] = std::sin(0.05f * static_cast<float>(i));
  for (int s = 0; s < kDataSlotCount; ++s)
    if (t.dataSlots[s].kind != SlotKind::None) rig.LoadSlot(e, s, ramp, t.dataSlots[s].kind == SlotKind::Modulator);
  PrepareEngine(e, rig.rate);

  Observed o;
  for (int i = 0; i < 600; ++i) {
    const float in = 0.3f * std::sin(0.013f * static_cast<float>(i));
    const MixBus out = rig.Step(e, in, -in, kDefaultRootPitch, quality);
    o.bus.push_back(out.left);
    o.bus.push_back(out.right);
  }
  o.transpose = rig.transpose;
  o.tempo = rig.tempo;
  o.random = rig.ctx.engineRandom;
  for (const Word& w : e.W) o.state.push_back(w.u);
  for (const DataSlot& s : e.slots) {
    uint32_t bits;
    std::memcpy(&bits, &s.playPosition, sizeof bits);
    o.state.push_back(bits);
  }
  o.state.insert(o.state.end(), e.linePosition.begin(), e.linePosition.end());
  return o;
}

bool SameAsThru(const Observed& o, const Observed& thru) {
  return o.bus == thru.bus && o.transpose == thru.transpose && o.tempo == thru.tempo && o.random == thru.random;
}

TEST(EngineDispatch, EveryTypeReachesItsRoutine) {
  for (bool quality : {false, true}) {
    const Observed thru = RunType(0, quality);
    for (uint32_t type = 1; type < kEngineTypeCount; ++type) {
      const Observed o = RunType(type, quality);
      // Types that act only on their own state (an arpeggiator stepping between equal notes) show it there.
      const Observed fresh = [&] {
        Observed f = o;
        EngineRig rig;
        Engine e;
        InitTrackEngine(e, type, rig.dialogs);
        PrepareEngine(e, rig.rate);
        f.state.clear();
        for (const Word& w : e.W) f.state.push_back(w.u);
        for (int s = 0; s < kDataSlotCount; ++s) f.state.push_back(0);
        f.state.insert(f.state.end(), e.linePosition.begin(), e.linePosition.end());
        return f;
      }();
      EXPECT_TRUE(!SameAsThru(o, thru) || o.state != fresh.state)
          << BuildEngineCatalog()[type].name.data() << (quality ? " (high quality)" : "");
    }
  }
}

}  // namespace
}  // namespace tonforge
