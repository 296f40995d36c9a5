// Engines in vector lanes: every type with a lane run gives, in each lane, the bits its channel's own run gives
// and leaves the same state, at 4 and 8 lanes, with lanes to spare, in pieces of any length.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "engines/lanes.h"
#include "support/engine_harness.h"

namespace tonforge {
namespace {

using T = EngineTypeId;

TEST(EngineLanes, EachLaneRunsAsItsOwnChannel) {
  constexpr uint32_t kFrames = 1545;  // every piece length once, then again from the start
  const uint32_t pieces[] = {1, 3, 5, 64, 460, 512};
  struct Shape { int width, count; };
  std::vector<Shape> shapes = {{4, 4}, {4, 3}};
  if (WidestLanes() == 8) shapes.insert(shapes.end(), {{8, 8}, {8, 5}});
  int covered = 0;
  for (uint32_t type = 1; type < kEngineTypeCount; ++type) {
    for (const bool quality : {false, true}) {
      for (const Shape shape : shapes) {
        const LaneRun run = LaneRoutine(type, quality, shape.width);
        if (!run) continue;
        covered += shape.width == 4 && shape.count == 4;
        // Lane l: its own engine, slots, pitch and noise; lane 2 has option 0 on and meets an infinity.
        std::vector<std::unique_ptr<testing::EngineRig>> byChannel, inLanes;
        std::vector<std::vector<MixBus>> expected(shape.count);
        LaneSet lanes;
        lanes.count = shape.count;
        for (int l = 0; l < shape.count; ++l) {
          for (auto* rigs : {&byChannel, &inLanes}) {
            auto& rig = *rigs->emplace_back(std::make_unique<testing::EngineRig>());
            Engine& e = rig.Make(static_cast<T>(type), {{1, 40 + 10 * l}});
            e.options[0] = l == 2 ? 1 : 0;
            PrepareEngine(e, rig.rate);
            rig.LoadEverySlot(e, 11 + static_cast<unsigned>(l));
          }
          lanes.engine[l] = &inLanes.back()->chain[0];
          lanes.pitch[l] = 2000 + 150 * l;
          lanes.writes[l] = true;
          const auto left = testing::Noise(kFrames, 3 + l), right = testing::Noise(kFrames, 40 + l);
          expected[l].resize(kFrames);
          for (uint32_t f = 0; f < kFrames; ++f) expected[l][f] = {left[f], l == 2 && f == 700 ? INFINITY : right[f]};
        }
        for (int l = shape.count; l < shape.width; ++l) lanes.engine[l] = lanes.engine[0], lanes.pitch[l] = lanes.pitch[0];
        std::vector<float> left(kMostLanes * 512), right(kMostLanes * 512);
        std::vector<std::vector<MixBus>> got = expected;
        for (uint32_t f = 0, p = 0; f < kFrames; f += pieces[p++ % std::size(pieces)]) {
          const uint32_t n = std::min(pieces[p % std::size(pieces)], kFrames - f);
          for (int l = 0; l < shape.count; ++l) {
            testing::EngineRig& rig = *byChannel[l];
            if (quality)
              ProcessEngineOverQuality(rig.chain[0], rig.Voice(), lanes.pitch[l], expected[l].data() + f, n, rig.ctx);
            else
              ProcessEngineOver(rig.chain[0], rig.Voice(), lanes.pitch[l], expected[l].data() + f, n, rig.ctx);
          }
          for (uint32_t k = 0; k < n; ++k)
            for (int l = 0; l < shape.width; ++l) {
              const MixBus in = got[l < shape.count ? l : 0][f + k];
              left[k * shape.width + l] = in.left, right[k * shape.width + l] = in.right;
            }
          run(lanes, left.data(), right.data(), n, inLanes[0]->ctx);
          for (uint32_t k = 0; k < n; ++k)
            for (int l = 0; l < shape.count; ++l) got[l][f + k] = {left[k * shape.width + l], right[k * shape.width + l]};
        }
        for (int l = 0; l < shape.count; ++l) {
          EXPECT_EQ(std::memcmp(expected[l].data(), got[l].data(), kFrames * sizeof(MixBus)), 0)
              << static_cast<T>(type) << (quality ? " (high quality)" : "") << ", " << shape.count << " in "
              << shape.width << " lanes, lane " << l;
          EXPECT_EQ(testing::EngineBits(byChannel[l]->chain[0]), testing::EngineBits(inLanes[l]->chain[0]))
              << static_cast<T>(type) << (quality ? " (high quality)" : "") << ", " << shape.count << " in "
              << shape.width << " lanes, lane " << l;
        }
      }
    }
  }
  EXPECT_GE(covered, 18) << "the filters, choruses, basic delay and oscillators have lane runs";
}

}  // namespace
}  // namespace tonforge
