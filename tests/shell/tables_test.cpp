#include <gtest/gtest.h>

#include <set>

#include "shell/folders.h"
#include "shell/random.h"
#include "shell/tables.h"

namespace tonforge {
namespace {

TEST(Tables, PitchSineStepAndPanValues) {
  Tables t;
  BuildTables(t);
  // 2^(k/1200) and 2 sin(2π · 261.63 · 2^(k/1200) / 88200): unison, octaves, a semitone and the table's ends.
  const struct { int cents; float pitch, sineStep; } spots[] = {
      {0, 1.0f, 0.0372738f},         {1200, 2.0f, 0.0745347f},       {-1200, 0.5f, 0.0186377f},
      {100, 1.0594631f, 0.0394899f}, {6099, 33.883242f, 1.1807367f}, {-6099, 0.029513115f, 0.0011001f}};
  for (const auto& c : spots) {
    EXPECT_FLOAT_EQ(t.Pitch(c.cents), c.pitch) << c.cents;
    EXPECT_NEAR(t.SineStep(c.cents), c.sineStep, 2e-7) << c.cents;
  }
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
  // An installed copy: the user's folders in the workspace, help and skins still read from the program folder.
  SetUpFolders(f, "/usr/share/tonforge", "/home/u/.local/share/tonforge");
  EXPECT_EQ(f.programFolder, "/usr/share/tonforge");
  EXPECT_EQ(f.songs, "/home/u/.local/share/tonforge/Songs/");
  EXPECT_EQ(f.modulators, "/home/u/.local/share/tonforge/Modulators/");
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
