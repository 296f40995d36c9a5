// Engines run over stretches of frames and in vector lanes: every type, standard and high quality, gives the bits
// of one call per frame and leaves the same state, over frames in pieces of any length, and in each lane at 4 and
// 8 lanes, with lanes to spare, as its channel alone.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "engines/lanes.h"
#include "support/engine_harness.h"

namespace tonforge::testing {
namespace {

using T = EngineTypeId;

constexpr uint32_t Id(T type) { return static_cast<uint32_t>(type); }

constexpr uint32_t kFrames = 1545;  // every piece length once, then again from the start
constexpr uint32_t kPieces[] = {1, 3, 5, 64, 460, 512};

// Calls run(first frame, frame count) over all the frames, piece after piece.
template <class Run>
void InPieces(Run run) {
  for (uint32_t f = 0, p = 0; f < kFrames; f += kPieces[p++ % std::size(kPieces)])
    run(f, std::min(kPieces[p % std::size(kPieces)], kFrames - f));
}

// The delays whose lines a piece reads back (and whose lines wrap within the frames): channel l delays 10 + 3l ms on the left (channel 3 1 ms, fewer samples
// at 11025 Hz than a run of whole lines takes) and 12 + 3l on the right, so channel 2's infinity comes back within
// the frames. The reverbs and these delays run at 11025 Hz too, where the shortest comb is shorter than a tick.
bool ShortDelays(uint32_t type) { return type == Id(T::BasicDelay) || type == Id(T::CombFilter); }
std::vector<int32_t> Rates(uint32_t type) {
  const bool byRate = ShortDelays(type) || (type >= Id(T::BasicReverb) && type <= Id(T::StereoReverbYX));
  return byRate ? std::vector<int32_t>{44100, 11025} : std::vector<int32_t>{44100};
}

// Channel l of a type: its own settings, slots, pitch and noise, with a saw at position 1 for the
// synchronisation to restart; channel 2 has option 0 on and meets an infinity.
struct Channel {
  Channel(uint32_t type, int l, int32_t rate) : rig(rate), pitch(2000 + 150 * l), frames(kFrames) {
    rig.Make(T::DownSawGenerator, {}, 1);
    Settings settings = {{1, 40 + 10 * l}};
    if (ShortDelays(type)) settings = {{0, l == 3 ? 1 : 10 + 3 * l}, {1, 40 + 10 * l}, {2, 12 + 3 * l}};
    Engine& e = rig.Make(static_cast<T>(type), settings);
    e.options[0] = l == 2 ? 1 : 0;
    PrepareEngine(e, rig.rate);
    // The delays' lines wrap within the frames, at a different frame in each channel.
    if (ShortDelays(type)) e.linePosition[0] = e.lineEnd[0] - 700 - 37 * static_cast<uint32_t>(l);
    rig.LoadEverySlot(e, 11 + static_cast<unsigned>(l));
    const auto left = testing::Noise(kFrames, 3 + l), right = testing::Noise(kFrames, 40 + l);
    for (uint32_t f = 0; f < kFrames; ++f) frames[f] = {left[f], l == 2 && f == 700 ? INFINITY : right[f]};
  }
  Engine& engine() { return rig.chain[0]; }
  // What the run leaves behind, bit for bit: the engine, the saw, and what the voice and the context carry.
  std::vector<uint32_t> State() {
    std::vector<uint32_t> bits = testing::EngineBits(engine());
    const auto add = [&bits](const void* p, size_t bytes) { testing::AppendBits(bits, p, bytes); };
    add(rig.chain[1].W.data(), sizeof rig.chain[1].W);
    add(&rig.transpose, sizeof rig.transpose);
    add(&rig.tempo, sizeof rig.tempo);
    add(&rig.rate, sizeof rig.rate);
    add(&rig.ctx.engineRandom, sizeof rig.ctx.engineRandom);
    return bits;
  }

  testing::EngineRig rig;
  int32_t pitch;
  std::vector<MixBus> frames;  // the input, then the output
};

TEST(EngineRuns, OverFramesAndInLanesGiveTheBitsOfFrameAfterFrame) {
  struct Shape { int width, count; };
  std::vector<Shape> shapes = {{4, 4}, {4, 3}};
  if (WidestLanes() == 8) shapes.insert(shapes.end(), {{8, 8}, {8, 5}});
  int covered = 0;
  for (uint32_t type = 1; type < kEngineTypeCount; ++type) {
    for (const int32_t rate : Rates(type)) {
      for (const bool quality : {false, true}) {
        const std::string name = std::string(BuildEngineCatalog()[type].name.data()) +
                                 (quality ? " (high quality)" : "") + " at " + std::to_string(rate) + " Hz";
        std::vector<std::vector<MixBus>> expected;
        std::vector<std::vector<uint32_t>> expectedState, expectedBits;
        for (int l = 0; l < kMostLanes; ++l) {
          Channel c(type, l, rate);
          for (MixBus& f : c.frames) f = c.rig.Step(c.engine(), f.left, f.right, c.pitch, quality);
          expected.push_back(c.frames);
          expectedState.push_back(c.State());
          expectedBits.push_back(testing::EngineBits(c.engine()));
        }
        // The block mix's loops, option 0 off and on.
        for (int l : {0, 2}) {
          Channel c(type, l, rate);
          InPieces([&](uint32_t f, uint32_t n) {
            c.rig.ctx.bus = {};
            if (quality)
              ProcessEngineOverQuality(c.engine(), c.rig.Voice(), c.pitch, c.frames.data() + f, n, c.rig.ctx);
            else
              ProcessEngineOver(c.engine(), c.rig.Voice(), c.pitch, c.frames.data() + f, n, c.rig.ctx);
          });
          const std::string where = name + ", channel " + std::to_string(l);
          EXPECT_EQ(std::memcmp(expected[l].data(), c.frames.data(), kFrames * sizeof(MixBus)), 0) << where;
          EXPECT_EQ(c.State(), expectedState[l]) << where;
        }
        for (const Shape shape : shapes) {
          const LaneRun run = LaneRoutine(type, quality, shape.width);
          if (!run) continue;
          covered += shape.width == 4 && shape.count == 4 && rate == 44100;
          std::vector<std::unique_ptr<Channel>> channels;
          LaneSet lanes;
          lanes.count = shape.count;
          for (int l = 0; l < shape.width; ++l) {
            if (l < shape.count) channels.push_back(std::make_unique<Channel>(type, l, rate));
            Channel& c = *channels[l < shape.count ? l : 0];
            lanes.engine[l] = &c.engine();
            lanes.pitch[l] = c.pitch;
            lanes.writes[l] = l < shape.count;
          }
          std::vector<float> left(kMostLanes * 512), right(kMostLanes * 512);
          InPieces([&](uint32_t f, uint32_t n) {
            for (uint32_t k = 0; k < n; ++k)
              for (int l = 0; l < shape.width; ++l) {
                const MixBus in = channels[l < shape.count ? l : 0]->frames[f + k];
                left[k * shape.width + l] = in.left, right[k * shape.width + l] = in.right;
              }
            run(lanes, left.data(), right.data(), n, channels[0]->rig.ctx);
            for (uint32_t k = 0; k < n; ++k)
              for (int l = 0; l < shape.count; ++l)
                channels[l]->frames[f + k] = {left[k * shape.width + l], right[k * shape.width + l]};
          });
          for (int l = 0; l < shape.count; ++l) {
            const std::string at = name + ", " + std::to_string(shape.count) + " in " + std::to_string(shape.width) +
                                   " lanes, lane " + std::to_string(l);
            EXPECT_EQ(std::memcmp(expected[l].data(), channels[l]->frames.data(), kFrames * sizeof(MixBus)), 0) << at;
            EXPECT_EQ(testing::EngineBits(channels[l]->engine()), expectedBits[l]) << at;
          }
        }
      }
    }
  }
  EXPECT_GE(covered, 18) << "the filters, choruses, basic delay and oscillators have lane runs";
}

}  // namespace
}  // namespace tonforge::testing
