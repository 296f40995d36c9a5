// The factory bank and the track chains, each note rendered as the program renderer plays it: heard, never
// clipped, free of offset, at the pitch played, and either ending within its time or holding steady.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "sound_rig.h"

namespace tonforge {
namespace {

using namespace testing;

constexpr int32_t kPitches[] = {1250, 2450, 3650};
constexpr float kSilence = 0.001f;       // -60 dBFS
constexpr float kHeard = 0.03f;          // -30 dBFS
constexpr float kOffset = 0.00316f;      // -50 dBFS
constexpr float kGrowthDecibels = 4.0f, kFallDecibels = 4.0f;  // between two stretches of a held note
constexpr float kPitchCents = 10.0f;

struct Sound {
  const char* name;
  bool pitched;
  float endsWithin;  // seconds to -60 dBFS; 0 for a sound that holds while the key is down
};

constexpr Sound kBank[] = {
    {"Sub Bass", true, 0}, {"Filter Bass", true, 0}, {"Pluck Bass", true, 1.1f}, {"Acid Bass", true, 0},
    {"Rubber Bass", true, 1.1f},
    {"Saw Lead", true, 0}, {"Square Lead", true, 0}, {"Sync Lead", true, 0}, {"Whistle", true, 0},
    {"Warm Pad", true, 0}, {"Glass Pad", true, 0}, {"Dark Pad", true, 0}, {"Choir Pad", true, 0},
    {"Electric Piano", true, 3.1f}, {"Clavinet", true, 1.1f}, {"Soft Piano", true, 2.3f}, {"Harpsichord", true, 1.6f},
    {"Pluck", true, 0.7f}, {"Harp", true, 2.0f}, {"Nylon Pluck", true, 1.1f}, {"Marimba", true, 0.7f},
    {"Bell", true, 3.1f}, {"Music Box", true, 1.5f}, {"Glockenspiel", true, 2.0f},
    {"Strings", true, 0}, {"Brass", true, 0}, {"Cello", true, 0},
    {"Drawbar Organ", true, 0}, {"Rock Organ", true, 0}, {"Pipe Organ", true, 0},
    {"Drum Kit", false, 0.9f}, {"Synth Kick", false, 0.35f}, {"Synth Snare", false, 0.2f}, {"Synth Hat", false, 0.1f},
    {"Laser Zap", false, 0.7f}, {"Wind", false, 0}, {"Flange Drone", false, 0}, {"Random Bleeps", false, 0},
};

size_t ProgramFiles(const char* folder) {
  size_t files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(kFactory / "Programs" / folder))
    files += entry.path().extension() == ".tep";
  return files;
}

// A held note is judged between these moments, once every swell is over.
constexpr float kHoldFrom = 1.0f, kHoldMiddle = 1.3f, kHoldTo = 1.6f;
constexpr float kTailStretch = 0.1f;

TEST(FactoryBank, EveryProgramIsHeardUnclippedInTuneAndEndsOrHolds) {
  EXPECT_EQ(ProgramFiles("Instruments"), std::size(kBank)) << "every factory program has its row";

  for (const Sound& s : kBank) {
    const bool ends = s.endsWithin > 0.0f;
    const float seconds = ends ? s.endsWithin + kTailStretch : kHoldTo;
    for (int32_t pitch : kPitches) {
      const std::string what = std::string(s.name) + " at " + std::to_string(pitch);
      const auto heard = RenderFactoryNote(s.name, pitch, seconds);
      if (!heard) {
        ADD_FAILURE() << what << " does not load or render";
        continue;
      }
      const std::vector<float>& v = heard->mono;
      EXPECT_EQ(heard->clipped, 0u) << what;
      EXPECT_GT(Peak(v), kHeard) << what;
      EXPECT_LT(std::fabs(Mean(heard->left)), kOffset) << what << " left offset";
      EXPECT_LT(std::fabs(Mean(heard->right)), kOffset) << what << " right offset";
      if (ends) {
        EXPECT_LT(Peak(v, s.endsWithin), kSilence) << what << " still sounds at " << s.endsWithin << " s";
      } else {
        // Chorus sweeps and detuned pairs move the level a little; a held note neither grows nor dies away.
        const float change = Decibels(Rms(v, kHoldMiddle, kHoldTo) / Rms(v, kHoldFrom, kHoldMiddle));
        EXPECT_TRUE(change < kGrowthDecibels && change > -kFallDecibels) << what << " changes by " << change << " dB while held";
      }
      if (s.pitched) {
        const float from = ends ? 0.05f : kHoldFrom, to = ends ? 0.45f : kHoldTo;
        const std::vector<double> stretch = Windowed(v, from, to);
        const Around note = AroundPitch(stretch, pitch);
        EXPECT_LE(std::fabs(note.cents), kPitchCents) << what << " plays " << note.cents << " cents off";
        // Nothing an octave below: the note is the note played.
        EXPECT_LT(AroundPitch(stretch, pitch - 1200).strongest, 0.3f * note.strongest) << what << " sounds an octave down";
      }
    }
  }
}

// Each track chain on a plucked note let go at once: the note comes through unclipped and without offset, and
// the echoes and reverb die away within their time.
struct Chain {
  const char* name;
  float endsWithin;
};
constexpr Chain kChains[] = {
    {"Echo Quarter Note", 3.6f}, {"Stereo Echo", 3.6f}, {"Slapback", 1.0f}, {"Wide Chorus", 1.0f},
    {"Slow Flange", 1.0f}, {"Room Reverb", 1.6f}, {"Hall Reverb", 3.0f}, {"Plate Reverb", 1.6f},
};

TEST(FactoryBank, EveryTrackChainPassesANoteAndDiesAway) {
  EXPECT_EQ(ProgramFiles("Tracks"), std::size(kChains)) << "every track chain has its row";
  for (const Chain& c : kChains) {
    const auto heard = RenderFactoryNote("Pluck", 2450, c.endsWithin + kTailStretch, c.name, 0.3f);
    if (!heard) {
      ADD_FAILURE() << c.name << " does not load or render";
      continue;
    }
    EXPECT_EQ(heard->clipped, 0u) << c.name;
    EXPECT_GT(Peak(heard->mono), kHeard) << c.name;
    EXPECT_LT(std::fabs(Mean(heard->mono)), kOffset) << c.name;
    EXPECT_LT(Peak(heard->mono, c.endsWithin), kSilence) << c.name << " still sounds at " << c.endsWithin << " s";
  }
}

}  // namespace
}  // namespace tonforge
