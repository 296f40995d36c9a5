// Every engine type reaches its own routine: run each through ProcessEngine and check that something a
// listener or the sequencer could notice happened. A type left out of the dispatch would do nothing.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <map>
#include <vector>

#include "support/engine_harness.h"

namespace tonforge {
namespace {

using testing::EngineRig;
using T = EngineTypeId;

struct Observed {
  std::vector<float> bus;
  int32_t transpose = 0;
  float tempo = 0.0f;
  uint32_t random = 0;
  bool stateMoved = false;  // working words, slot positions or delay-line positions changed
  bool operator==(const Observed& o) const {
    return bus == o.bus && transpose == o.transpose && tempo == o.tempo && random == o.random;
  }
};

std::vector<uint32_t> State(const Engine& e) {
  std::vector<uint32_t> state;
  for (const Word& w : e.W) state.push_back(w.u);
  for (const DataSlot& s : e.slots) state.push_back(std::bit_cast<uint32_t>(s.playPosition));
  state.insert(state.end(), e.linePosition.begin(), e.linePosition.end());
  return state;
}

Observed RunType(T type, bool quality) {
  // Identity defaults would hide a routine: move the parameters that are identity at their defaults.
  static const std::map<T, int32_t> moved = {
      {T::Amplifier, 50}, {T::Clipper, 10}, {T::PitchShift, 300}, {T::SongSpeedModulator, 90}};
  EngineRig rig;
  Engine& e = rig.Make(type, moved.count(type) ? testing::Settings{{0, moved.at(type)}} : testing::Settings{});
  std::vector<float> ramp(400);
  for (size_t i = 0; i < ramp.size(); ++i) ramp[i] = std::sin(0.05f * static_cast<float>(i));
  for (int s = 0; s < kDataSlotCount; ++s) {
    const SlotKind kind = BuildEngineCatalog()[static_cast<uint32_t>(type)].dataSlots[s].kind;
    if (kind != SlotKind::None) rig.LoadSlot(e, s, ramp, kind == SlotKind::Modulator);
  }
  const std::vector<uint32_t> before = State(e);
  Observed o;
  for (int i = 0; i < 600; ++i) {
    const float in = 0.3f * std::sin(0.013f * static_cast<float>(i));
    const MixBus out = rig.Step(e, in, -in, kDefaultRootPitch, quality);
    o.bus.insert(o.bus.end(), {out.left, out.right});
  }
  o.transpose = rig.transpose;
  o.tempo = rig.tempo;
  o.random = rig.ctx.engineRandom;
  o.stateMoved = State(e) != before;
  return o;
}

TEST(EngineDispatch, EveryTypeReachesItsRoutine) {
  for (bool quality : {false, true}) {
    const Observed thru = RunType(T::Thru, quality);
    for (uint32_t type = 1; type < kEngineTypeCount; ++type) {
      // Types that act only on their own state (an arpeggiator stepping between equal notes) show it there.
      const Observed o = RunType(static_cast<T>(type), quality);
      EXPECT_TRUE(!(o == thru) || o.stateMoved) << static_cast<T>(type) << (quality ? " (high quality)" : "");
    }
  }
}

TEST(EngineDispatch, UnknownAndThruTypesDoNothing) {
  EngineRig rig;
  for (uint32_t type : {0u, 48u, 100u, 0xFFFFFFFFu}) {
    for (bool quality : {false, true}) {
      Engine e;
      e.type = type;
      const MixBus out = rig.Step(e, 0.25f, -0.5f, kDefaultRootPitch, quality);
      EXPECT_TRUE(out.left == 0.25f && out.right == -0.5f) << type << (quality ? " (high quality)" : "");
    }
  }
}

}  // namespace
}  // namespace tonforge
