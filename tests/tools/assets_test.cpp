// The factory content of app/ as a user meets it: the modulator library imports with the shape, time and loop
// its name promises; the drum samples import, peak where they should and end in silence, each on its own key
// of the Drum Kit; every program file loads cleanly; the demo song plays its minute and more unclipped.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>

#include "programs/wave_import.h"
#include "sequencer/song_file.h"
#include "sound_rig.h"

namespace tonforge {
namespace {

using namespace testing;

constexpr float kPointsPerSecond = 4410.0f;          // a pass of ten seconds at the default Period
constexpr uint32_t kLibraryLength = 44101;            // ten seconds and the closing point of a loop
constexpr float kTolerance = 0.002f;
constexpr float kSixtyDecibels = 0.001f;

struct ModulatorRow {
  const char* file;
  float first, last, low, high;
  float settles;  // seconds after which it holds its last value; 0 when it moves for ever
  int cycles;     // upward zero crossings in ten seconds, for the LFOs; 0 otherwise
  float loopFrom; // seconds; below 0 when it does not loop
};

constexpr ModulatorRow kModulators[] = {
    {"Envelopes/Decay 30ms", 1, 0, 0, 1, 0.03f, 0, -1}, {"Envelopes/Decay 80ms", 1, 0, 0, 1, 0.08f, 0, -1},
    {"Envelopes/Decay 150ms", 1, 0, 0, 1, 0.15f, 0, -1}, {"Envelopes/Decay 300ms", 1, 0, 0, 1, 0.3f, 0, -1},
    {"Envelopes/Decay 600ms", 1, 0, 0, 1, 0.6f, 0, -1}, {"Envelopes/Decay 1s", 1, 0, 0, 1, 1, 0, -1},
    {"Envelopes/Decay 2s", 1, 0, 0, 1, 2, 0, -1}, {"Envelopes/Decay 4s", 1, 0, 0, 1, 4, 0, -1},
    {"Envelopes/Decay 8s", 1, 0, 0, 1, 8, 0, -1},
    {"Envelopes/Linear Decay 100ms", 1, 0, 0, 1, 0.1f, 0, -1}, {"Envelopes/Linear Decay 500ms", 1, 0, 0, 1, 0.5f, 0, -1},
    {"Envelopes/Linear Decay 2s", 1, 0, 0, 1, 2, 0, -1},
    {"Envelopes/Attack 5ms Decay 300ms", 0, 0, 0, 1, 0.305f, 0, -1},
    {"Envelopes/Attack 10ms Decay 1s", 0, 0, 0, 1, 1.01f, 0, -1},
    {"Envelopes/Attack 20ms Decay 3s", 0, 0, 0, 1, 3.02f, 0, -1},
    {"Envelopes/Attack 5ms Sustain 50", 0, 0.5f, 0, 1, 0.205f, 0, -1},
    {"Envelopes/Attack 10ms Sustain 70", 0, 0.7f, 0, 1, 0.51f, 0, -1},
    {"Envelopes/Attack 80ms Sustain 80", 0, 0.8f, 0, 1, 0.48f, 0, -1},
    {"Envelopes/Swell 300ms", 0, 1, 0, 1, 0.3f, 0, -1}, {"Envelopes/Swell 1s", 0, 1, 0, 1, 1, 0, -1},
    {"Envelopes/Swell 3s", 0, 1, 0, 1, 3, 0, -1},
    {"Envelopes/Gate 100ms", 0, 0, 0, 1, 0.102f, 0, -1}, {"Envelopes/Gate 500ms", 0, 0, 0, 1, 0.502f, 0, -1},
    {"LFOs/Sine 10s", 0, 0, -1, 1, 0, 1, 0}, {"LFOs/Sine 2s", 0, 0, -1, 1, 0, 5, 0},
    {"LFOs/Sine 1Hz", 0, 0, -1, 1, 0, 10, 0}, {"LFOs/Sine 2Hz", 0, 0, -1, 1, 0, 20, 0},
    {"LFOs/Sine 5Hz", 0, 0, -1, 1, 0, 50, 0}, {"LFOs/Sine 6Hz", 0, 0, -1, 1, 0, 60, 0},
    {"LFOs/Sine 12Hz", 0, 0, -1, 1, 0, 120, 0},
    {"LFOs/Triangle 5s", -1, -1, -1, 1, 0, 2, 0}, {"LFOs/Triangle 1Hz", -1, -1, -1, 1, 0, 10, 0},
    {"LFOs/Triangle 4Hz", -1, -1, -1, 1, 0, 40, 0},
    {"LFOs/Square 2Hz", 1, 1, -1, 1, 0, 20, 0}, {"LFOs/Square 4Hz", 1, 1, -1, 1, 0, 40, 0},
    {"LFOs/Square 8Hz", 1, 1, -1, 1, 0, 80, 0},
    {"LFOs/Saw Up 1Hz", -1, -1, -1, 1, 0, 10, 0}, {"LFOs/Saw Up 4Hz", -1, -1, -1, 1, 0, 40, 0},
    {"LFOs/Saw Down 2Hz", 1, 1, -1, 1, 0, 20, 0}, {"LFOs/Saw Down 8Hz", 1, 1, -1, 1, 0, 80, 0},
    {"Steps and Random/Random Steps 4Hz", NAN, NAN, NAN, NAN, 0, 0, 0},
    {"Steps and Random/Random Steps 10Hz", NAN, NAN, NAN, NAN, 0, 0, 0},
    {"Steps and Random/Steps Up 4 of 1s", 0, 0, 0, 1, 0, 0, 0},
    {"Steps and Random/Sequence 8 Steps 4Hz", 0, 0, -1, 1, 0, 0, 0},
    {"Steps and Random/Drift Slow", NAN, NAN, NAN, NAN, 0, 0, 0},
    {"Steps and Random/Drift Fast", NAN, NAN, NAN, NAN, 0, 0, 0},
    {"Pitch/Drop Kick", 1, 0, 0, 1, 0.08f, 0, -1}, {"Pitch/Drop Tom", 1, 0, 0, 1, 0.35f, 0, -1},
    {"Pitch/Drop Long", 1, 0, 0, 1, 1.7f, 0, -1},
    {"Pitch/Rise 60ms", -1, 0, -1, 0, 0.06f, 0, -1}, {"Pitch/Rise 200ms", -1, 0, -1, 0, 0.2f, 0, -1},
    {"Pitch/Vibrato Delayed 5Hz", 0, 0, -1, 1, 0, 48, 1}, {"Pitch/Vibrato Delayed 6Hz", 0, 0, -1, 1, 0, 59, 1},
};

TEST(FactoryAssets, ModulatorLibraryImportsWithTheShapeTimeAndLoopOfItsName) {
  int files = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(kFactory / "Modulators"))
    files += entry.path().extension() == ".wav";
  EXPECT_EQ(files, static_cast<int>(std::size(kModulators))) << "every library file has its row";
  EXPECT_GE(files, 40);

  for (const ModulatorRow& m : kModulators) {
    ImportedWave w;
    const auto bytes = ReadBytes((kFactory / "Modulators" / (std::string(m.file) + ".wav")).string());
    if (const auto refusal = ReadImportWave(bytes, w)) {
      ADD_FAILURE() << m.file << ": " << *refusal;
      continue;
    }
    ASSERT_EQ(w.length, kLibraryLength) << m.file;
    const auto at = [&](float seconds) {
      return w.data[std::min<uint32_t>(static_cast<uint32_t>(seconds * kPointsPerSecond), w.length - 1)];
    };
    float low = 1.0f, high = -1.0f;
    int crossings = 0;
    for (uint32_t i = 0; i < w.length; ++i) {
      low = std::min(low, w.data[i]), high = std::max(high, w.data[i]);
      crossings += i > 0 && w.data[i - 1] < 0.0f && w.data[i] >= 0.0f;
    }
    // A random shape stays within -1..1; the others reach their extremes.
    EXPECT_NEAR(low, std::isnan(m.low) ? std::max(low, -1.0f) : m.low, 0.01f) << m.file;
    EXPECT_NEAR(high, std::isnan(m.high) ? std::min(high, 1.0f) : m.high, 0.01f) << m.file;
    if (!std::isnan(m.first)) {
      EXPECT_NEAR(w.data[0], m.first, kTolerance) << m.file;
      EXPECT_NEAR(w.data[w.length - 1], m.last, kTolerance) << m.file;
    }
    if (m.settles > 0.0f) {
      // Settled within -60 dB of the last value at the named time, and not long before.
      EXPECT_NEAR(at(m.settles + 0.001f), m.last, kTolerance) << m.file << " has not settled at its time";
      EXPECT_GT(std::fabs(at(0.9f * m.settles) - m.last), kSixtyDecibels) << m.file << " settles early";
    }
    EXPECT_EQ(w.hasLoop, m.loopFrom >= 0.0f) << m.file;
    if (m.loopFrom >= 0.0f && w.hasLoop) {
      EXPECT_EQ(w.loopStart, static_cast<uint32_t>(m.loopFrom * kPointsPerSecond)) << m.file;
      EXPECT_EQ(w.loopEnd, w.length - 1) << m.file;
    }
    if (m.cycles > 0) {
      EXPECT_NEAR(crossings, m.cycles, 1) << m.file << " runs at the wrong rate";
      EXPECT_NEAR(w.data[w.length - 1], w.data[w.loopStart], 0.01f) << m.file << " loops with a step";
    }
  }
}

struct DrumRow {
  const char* name;
  float peak;
  float seconds;
  int32_t key;  // its key in the Drum Kit
};
constexpr DrumRow kDrums[] = {
    {"Kick Deep", 0.9f, 0.7f, 1250}, {"Kick Punchy", 0.9f, 0.45f, 1450}, {"Snare", 0.85f, 0.5f, 1650},
    {"Snare Tight", 0.85f, 0.35f, 1850}, {"Clap", 0.8f, 0.5f, 2050}, {"Hat Closed", 0.6f, 0.15f, 2250},
    {"Hat Open", 0.6f, 0.8f, 2450}, {"Tom Low", 0.85f, 0.8f, 2650}, {"Tom Mid", 0.85f, 0.7f, 2850},
    {"Tom High", 0.85f, 0.6f, 3050}, {"Rim", 0.75f, 0.12f, 3250}, {"Cowbell", 0.7f, 0.5f, 3450},
    {"Shaker", 0.55f, 0.2f, 3650}, {"Crash", 0.7f, 2.8f, 3850},
};

TEST(FactoryAssets, DrumSamplesEndInSilenceAndPlayUnpitchedOnTheirKeys) {
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(kFactory / "Waves")) files += entry.path().extension() == ".wav";
  EXPECT_EQ(files, static_cast<int>(std::size(kDrums)));

  for (const DrumRow& d : kDrums) {
    ImportedWave w;
    const auto bytes = ReadBytes((kFactory / "Waves" / (std::string(d.name) + ".wav")).string());
    if (const auto refusal = ReadImportWave(bytes, w)) {
      ADD_FAILURE() << d.name << ": " << *refusal;
      continue;
    }
    const std::vector<float> wave(w.data.get(), w.data.get() + w.length);
    EXPECT_EQ(w.length, Frame(d.seconds)) << d.name;
    EXPECT_NEAR(Peak(wave), d.peak, 0.002f) << d.name;
    EXPECT_EQ(wave.back(), 0.0f) << d.name << " stops with a step";
    EXPECT_LT(Peak(wave, d.seconds - 0.01f), 0.001f) << d.name << " is not silent in its last 10 ms";

    // On its key the kit plays this sample at its own speed: the render follows the file's shape.
    const auto heard = RenderFactoryNote("Drum Kit", d.key, 0.05f);
    if (!heard) {
      ADD_FAILURE() << d.name << ": the Drum Kit does not render";
      continue;
    }
    const float scale = Peak(heard->mono) / Peak(wave, 0.0f, 0.05f);
    float worst = 0.0f;
    for (size_t i = 0; i < heard->mono.size(); ++i) worst = std::max(worst, std::fabs(heard->mono[i] - wave[i] * scale));
    EXPECT_LT(worst, 0.01f) << d.name << " is not what its key plays";
  }
}

TEST(FactoryAssets, ProgramFilesLoadAsSavedAndTheDemoSongPlaysAMinuteUnclipped) {
  for (const char* folder : {"Instruments", "Tracks"}) {
    const uint32_t level = folder == std::string("Tracks") ? kLevelTrack : kLevelProgram;
    for (const auto& entry : std::filesystem::directory_iterator(kFactory / "Programs" / folder)) {
      if (entry.path().extension() != ".tep") continue;
      FakeDialogs dialogs;
      const auto bytes = ReadBytes(entry.path().string());
      const auto decoded = DecodeProgramFile(bytes, level, dialogs);
      ASSERT_TRUE(decoded) << entry.path();
      EXPECT_TRUE(!decoded->invalidEnginesRemoved && dialogs.shown.empty()) << entry.path();
      EXPECT_EQ(EncodeProgramFile(*decoded->program), bytes) << entry.path() << ": every value as the panels set it";
    }
  }

  FakeDialogs dialogs;
  TempDir dir;
  Studio app(dialogs);
  StartCore(app, dir.Root());
  NewSong(app);
  ASSERT_EQ(LoadSongFile(app, (kFactory / "Songs" / "Demo.tes").string()), SongFileResult::Done);
  ASSERT_EQ(RenderSongToFile(app, dir.File("demo.wav")), RenderResult::Done);
  EXPECT_TRUE(dialogs.shown.empty());
  // Sixteen bars at 100 beats per minute, then eighteen at 112: 3072 ticks of 551.25 frames and 3456 of
  // 492.1875, to within a tick.
  const double frames = app.render.samplesRendered.load() / 2.0;
  EXPECT_NEAR(frames, 3072 * 551.25 + 3456 * 492.1875, 552.0);
  EXPECT_GT(frames, 60.0 * 44100.0);
  EXPECT_EQ(app.render.samplesClipped.load(), 0u);
}

}  // namespace
}  // namespace tonforge
