// Every engine type reaches its own routine: run each through ProcessEngine and check that something a
// listener or the sequencer could notice happened. A type left out of the dispatch would do nothing. And no
// type left at its defaults grows without end.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <map>
#include <tuple>
#include <vector>

#include "support/engine_harness.h"

namespace tonforge {
namespace {

using testing::EngineRig;
using T = EngineTypeId;

// Working words, slot positions and delay-line positions.
std::vector<uint32_t> State(const Engine& e) {
  std::vector<uint32_t> state;
  for (const Word& w : e.W) state.push_back(w.u);
  for (const DataSlot& s : e.slots) state.push_back(std::bit_cast<uint32_t>(s.playPosition));
  state.insert(state.end(), e.linePosition.begin(), e.linePosition.end());
  return state;
}

// What a listener or the sequencer hears (the bus, transpose, tempo and random state), and whether the
// engine's own state moved.
using Heard = std::tuple<std::vector<float>, int32_t, float, uint32_t>;

std::pair<Heard, bool> RunType(T type, bool quality) {
  // Identity defaults would hide a routine: move the parameters that are identity at their defaults.
  static const std::map<T, int32_t> moved = {
      {T::Amplifier, 50}, {T::Clipper, 10}, {T::PitchShift, 300}, {T::SongSpeedModulator, 90}};
  EngineRig rig;
  Engine& e = rig.Make(type, moved.count(type) ? testing::Settings{{0, moved.at(type)}} : testing::Settings{});
  std::vector<float> ramp(400), bus;
  for (size_t i = 0; i < ramp.size(); ++i) ramp[i] = std::sin(0.05f * static_cast<float>(i));
  for (int s = 0; s < kDataSlotCount; ++s) {
    const SlotKind kind = BuildEngineCatalog()[static_cast<uint32_t>(type)].dataSlots[s].kind;
    if (kind != SlotKind::None) rig.LoadSlot(e, s, ramp, kind == SlotKind::Modulator);
  }
  const std::vector<uint32_t> before = State(e);
  for (int i = 0; i < 600; ++i) {
    const float in = 0.3f * std::sin(0.013f * static_cast<float>(i));
    const MixBus out = rig.Step(e, in, -in, kDefaultRootPitch, quality);
    bus.insert(bus.end(), {out.left, out.right});
  }
  return {{bus, rig.transpose, rig.tempo, rig.ctx.engineRandom}, State(e) != before};
}

TEST(EngineDispatch, EveryTypeReachesItsRoutine) {
  for (bool quality : {false, true}) {
    const Heard thru = RunType(T::Thru, quality).first;
    for (uint32_t type = 1; type < kEngineTypeCount; ++type) {
      // Types that act only on their own state (an arpeggiator stepping between equal notes) show it there.
      const auto [heard, stateMoved] = RunType(static_cast<T>(type), quality);
      EXPECT_TRUE(heard != thru || stateMoved) << static_cast<T>(type) << (quality ? " (high quality)" : "");
    }
  }
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
  // must not touch memory it does not have.
  std::vector<Engine> engines(4);
  engines[1].type = 48;
  engines[2].type = 100;
  engines[3].type = 0xFFFFFFFFu;
  EngineRig rig;
  for (uint32_t type = 1; type < kEngineTypeCount; ++type) {
    if (BuildEngineCatalog()[type].delayLineCount == 0) continue;
    InitProgramEngine(engines.emplace_back(), type);
    PrepareEngine(engines.back(), rig.rate);
  }
  for (Engine& e : engines) {
    for (bool quality : {false, true}) {
      const MixBus out = rig.Step(e, 0.25f, -0.5f, kDefaultRootPitch, quality);
      EXPECT_TRUE(out.left == 0.25f && out.right == -0.5f) << e.type << (quality ? " (high quality)" : "");
    }
  }
}

}  // namespace
}  // namespace tonforge
