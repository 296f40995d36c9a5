#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "shell/folders.h"
#include "shell/random.h"
#include "shell/tables.h"

namespace tonforge {
namespace {

TEST(Tables, PitchSineStepAndPanValues) {
  Tables t;
  BuildTables(t);
  EXPECT_EQ(t.Pitch(0), 1.0f);
  EXPECT_EQ(t.Pitch(1200), 2.0f);
  EXPECT_EQ(t.Pitch(-1200), 0.5f);
  EXPECT_FLOAT_EQ(t.Pitch(kPitchSpan), static_cast<float>(std::pow(2.0, 6099 / 1200.0)));
  EXPECT_FLOAT_EQ(t.Pitch(-kPitchSpan), static_cast<float>(std::pow(2.0, -6099 / 1200.0)));
  EXPECT_FLOAT_EQ(t.SineStep(0), static_cast<float>(2.0 * std::sin(261.63 * 7.123793e-05)));
  EXPECT_NEAR(t.SineStep(1200) / t.SineStep(0), 2.0, 1e-3);  // an octave up nearly doubles the step at low pitch
  // Centre is the identity; hard left puts half the sum on the left only, hard right on the right.
  const struct { int position; float inL, inR, outL, outR; } pans[] = {
      {100, 0.3f, -0.7f, 0.3f, -0.7f}, {0, 1.0f, 1.0f, 1.0f, 0.0f}, {0, 0.4f, 0.2f, 0.3f, 0.0f},
      {200, 1.0f, 1.0f, 0.0f, 1.0f},   {150, 1.0f, 0.0f, 0.5f, 0.25f}};
  for (const auto& c : pans) {
    float l = c.inL, r = c.inR;
    PanStereo(t, c.position, l, r);
    EXPECT_FLOAT_EQ(l, c.outL) << "pan " << c.position;
    EXPECT_FLOAT_EQ(r, c.outR) << "pan " << c.position;
  }
}

TEST(Random, BoundsStepAndSeed) {
  uint32_t s = 0;
  EXPECT_EQ(RandomBounded(s, 0), 0u);
  EXPECT_EQ(s, 907633515u);  // the state moves even with bound 0
  EXPECT_EQ(RandomStep(1u), 196314165u + 907633515u);

  RandomGenerator g;
  g.general = 12345;
  std::set<uint32_t> seen;
  for (int i = 0; i < 2000; ++i) seen.insert(RandomNext(g, 9));
  EXPECT_EQ(seen, (std::set<uint32_t>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));

  // The unit draw maps the state modulo 100000 into 0..0.99999 and never reaches 1.
  uint32_t e = 0;
  float largest = 0.0f;
  for (int i = 0; i < 300000; ++i) largest = std::max(largest, EngineRandomUnit(e));
  EXPECT_LT(largest, 1.0f);
  EXPECT_FLOAT_EQ(largest, 0.99999f);

  SeedRandom(g);  // milliseconds of the clock
  EXPECT_LT(g.general, 1000u);
  EXPECT_EQ(g.engine, 0u);
}

TEST(Folders, RememberAndStore) {
  Folders f;
  SetUpFolders(f, "/home/u/tonforge");
  EXPECT_EQ(f.songs, "/home/u/tonforge/Songs/");
  EXPECT_EQ(f.instrumentPrograms, "/home/u/tonforge/Programs/Instruments/");
  EXPECT_EQ(f.trackPrograms, "/home/u/tonforge/Programs/Tracks/");
  EXPECT_EQ(f.tracks, "/home/u/tonforge/Tracks/");
  const struct { const char *path, *folder; } cases[] = {{"/a/b/song.tes", "/a/b/"}, {"song.tes", ""}, {"/x/", "/x/"},
                                                         {"", ""}};
  for (const auto& c : cases) {
    RememberFolder(f, c.path);
    StoreFolder(f, f.waves);
    EXPECT_EQ(f.waves, c.folder) << c.path;
  }
}

}  // namespace
}  // namespace tonforge
