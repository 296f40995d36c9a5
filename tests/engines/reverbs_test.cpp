#include <gtest/gtest.h>

#include <array>
#include <set>
#include <vector>

#include "support/engine_harness.h"

namespace tonforge {
namespace {

using testing::EngineRig;
using T = EngineTypeId;

TEST(Reverbs, FirstSampleAndCombLengthsByRate) {
  // The impulse's own sample: each comb passes the new input once before any feedback, 0.11 × (1 + 8) − 1 for
  // the comb reverbs and 0.2 × (1 + 4) − 1 = 0 for the plate, plus "Dry" 100. The stereo reverbs' low pass
  // (Q fraction 0.01) scales the comb part by b0 = (1 − cos w) ÷ 2(1 + sin w ÷ 0.16), w = πf: 0.0838083 at
  // f = 0.75² = 0.5625, 0.9807408 where f reaches its bound 0.999. Then a comb reads the impulse back exactly
  // its length later: the first sample at which each line is written with a nonzero value.
  using Lengths = std::vector<int>;
  const Lengths a44 = {1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617};
  const Lengths b44 = {1117, 1188, 1278, 1356, 1423, 1491, 1558, 1617};
  const Lengths c44 = {1116, 1189, 1277, 1357, 1422, 1492, 1557, 1618};
  const Lengths b22 = {558, 594, 639, 678, 711, 745, 779, 808};
  const Lengths c22 = {558, 594, 638, 678, 711, 746, 778, 809};
  const Lengths b11 = {279, 297, 319, 339, 355, 373, 389, 404};
  const Lengths c11 = {279, 297, 319, 339, 356, 373, 389, 404};
  const struct { T type; int32_t rate; testing::Settings plates; Lengths left, right; float first; } cases[] = {
      {T::BasicReverb, 44100, {}, a44, a44, 0.99f},
      {T::BasicReverb, 22050, {}, b22, b22, 0.99f},  // set A equals set B below 44100 Hz
      {T::BasicReverb, 11025, {}, b11, b11, 0.99f},
      {T::StereoReverbXY, 44100, {}, b44, c44, 0.9991619f},
      {T::StereoReverbXY, 22050, {}, b22, c22, 0.9901926f},
      {T::StereoReverbXY, 11025, {}, b11, c11, 0.9901926f},
      {T::StereoReverbYX, 44100, {}, c44, b44, 0.9991619f},
      {T::StereoReverbYX, 22050, {}, c22, b22, 0.9901926f},
      {T::StereoReverbYX, 11025, {}, c11, b11, 0.9901926f},
      {T::PlateReverb, 44100, {}, {500, 450, 376, 304}, {501, 449, 377, 303}, 1.0f},
      {T::PlateReverb, 22050, {}, {250, 225, 188, 152}, {251, 224, 189, 151}, 1.0f},
      {T::PlateReverb, 11025, {}, {125, 113, 94, 76}, {126, 112, 95, 75}, 1.0f},
      // All plates at 500: two combs per channel read the full line of 501.
      {T::PlateReverb, 44100, {{0, 500}, {1, 500}, {2, 500}, {3, 500}}, {500, 501, 500, 501}, {501, 500, 501, 500},
       1.0f}};
  for (const auto& c : cases) {
    EngineRig rig(c.rate);
    Engine& e = rig.Make(c.type, c.plates);
    const size_t lines = c.left.size();
    Lengths left(lines, 0), right(lines, 0);
    const float first = rig.Step(e, 1.0f, 1.0f).left;
    EXPECT_NEAR(first, c.first, 1e-6) << c.type << " at " << c.rate;
    for (int n = 1; n <= 2000; ++n) {
      rig.Step(e, 0.0f, 0.0f);
      for (size_t j = 0; j < lines; ++j) {
        const uint32_t written = e.lineStart[j] + n % e.lineLength;
        if (left[j] == 0 && e.left[written] != 0.0f) left[j] = n;
        if (right[j] == 0 && e.right[written] != 0.0f) right[j] = n;
      }
    }
    EXPECT_EQ(left, c.left) << c.type << " left at " << c.rate;
    EXPECT_EQ(right, c.right) << c.type << " right at " << c.rate;
  }
}

TEST(Reverbs, HighQualityAllPassLengthsByRate) {
  // Before the first comb echo the output is the all-pass chain's answer to one pulse: nonzero exactly at the
  // sums of multiples of the four all-pass lengths. (The dispatch test pins the first sample.)
  const struct { int32_t rate; std::array<int, 4> lengths; int firstComb; } cases[] = {
      {44100, {556, 441, 341, 225}, 1116}, {22050, {278, 221, 171, 112}, 558}, {11025, {139, 110, 86, 56}, 279}};
  for (const auto& c : cases) {
    std::set<int> expected = {0};
    for (int length : c.lengths)
      for (int n : std::set<int>(expected))
        for (int m = n + length; m < c.firstComb; m += length) expected.insert(m);
    expected.erase(0);
    EngineRig rig(c.rate);
    Engine& e = rig.Make(T::BasicReverb);
    std::set<int> heard;
    rig.Step(e, 1.0f, 1.0f, kDefaultRootPitch, true);
    for (int n = 1; n < c.firstComb; ++n)
      if (rig.Step(e, 0.0f, 0.0f, kDefaultRootPitch, true).left != 0.0f) heard.insert(n);
    EXPECT_EQ(heard, expected) << c.rate;
  }
}

}  // namespace
}  // namespace tonforge
