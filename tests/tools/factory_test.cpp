// The factory content of app/ as a user meets it: the modulator library imports with the shape, time and loop
// its name promises; the drum samples end in silence, each on its own key of the Drum Kit; every program file
// loads as saved; the demo song plays its minute unclipped; and every program and track chain of the bank,
// each note rendered as the program renderer plays it, is heard, never clipped, free of offset, at the pitch
// played, and either ends within its time or holds steady.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <numbers>
#include <optional>
#include <string>
#include <vector>

#include "audio/render.h"
#include "programs/program_file.h"
#include "programs/wave_import.h"
#include "sequencer/song.h"
#include "sequencer/song_file.h"
#include "support/fake_dialogs.h"
#include "support/file_rig.h"
#include "tool_paths.h"

namespace tonforge {
namespace {

using namespace testing;

// Renders one note of a factory program (optionally through a factory track chain) with the program
// renderer, in the process, and measures what a listener would: level, tail, pitch and offset.
inline const std::filesystem::path kFactory = std::filesystem::path(TONFORGE_SOURCE_DIR) / "app";

// The left plus right halves of a render, frame by frame, and what the render counted.
struct Heard {
  std::vector<float> mono;  // (L + R) / 2
  std::vector<float> left, right;
  uint32_t clipped = 0;
};

// One note of `program` at `pitch` for `seconds`; `chain` names a track chain of Programs/Tracks to play it
// through, and `noteSeconds` lets the note go after that long (0 holds it). A note that does not load or render
// fails the test and gives nothing.
inline std::optional<Heard> RenderFactoryNote(const std::string& program, int32_t pitch, float seconds,
                                              const std::string& chain = {}, float noteSeconds = 0.0f) {
  const auto fail = [&] {
    ADD_FAILURE() << program << " at " << pitch << " " << chain << " does not load or render";
    return std::nullopt;
  };
  FakeDialogs dialogs;
  TempDir dir;
  Studio app(dialogs);
  StartCore(app, dir.Root());
  NewSong(app);
  const std::string file = (kFactory / "Programs" / "Instruments" / (program + ".tep")).string();
  Track* track = LoadProgramFileNew(app, file) ? InsertTrack(app) : nullptr;
  if (track == nullptr) return fail();
  if (!chain.empty()) {
    dialogs.paths.push_back((kFactory / "Programs" / "Tracks" / (chain + ".tep")).string());
    app.song.currentTrack = 1;
    if (!LoadProgramChain(app)) return fail();
  }
  AppendEvent(app, *track, {0, static_cast<int32_t>(EventType::NoteOn), pitch, 0});
  if (noteSeconds > 0.0f) {
    const auto tick = static_cast<int32_t>(noteSeconds * 44100.0f / app.rate.samplesPerTick);
    AppendEvent(app, *track, {tick, static_cast<int32_t>(EventType::NoteOff), 0, 0});
  }
  const auto frames = static_cast<uint64_t>(seconds * 44100.0f);
  if (RenderFramesToFile(app, dir.File("note.wav"), frames) != RenderResult::Done || !dialogs.shown.empty())
    return fail();
  const auto bytes = ReadBytes(dir.File("note.wav"));
  constexpr size_t kHeader = 44;
  Heard h;
  h.clipped = app.render.samplesClipped.load();
  for (size_t i = kHeader; i + 3 < bytes.size(); i += 4) {
    const auto l = static_cast<int16_t>(bytes[i] | bytes[i + 1] << 8);
    const auto r = static_cast<int16_t>(bytes[i + 2] | bytes[i + 3] << 8);
    h.left.push_back(l / 32768.0f);
    h.right.push_back(r / 32768.0f);
    h.mono.push_back((h.left.back() + h.right.back()) * 0.5f);
  }
  return h;
}

// A factory file imported as a slot imports it; a refused file fails the test and gives nothing.
std::optional<ImportedWave> ImportFactoryWave(const std::filesystem::path& path) {
  ImportedWave w;
  if (const auto refusal = ReadImportWave(ReadBytes(path.string()), w)) {
    ADD_FAILURE() << path << ": " << *refusal;
    return std::nullopt;
  }
  return w;
}

size_t FilesIn(const std::filesystem::path& folder, const char* extension) {
  size_t files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) files += entry.path().extension() == extension;
  return files;
}

inline size_t Frame(float seconds) { return static_cast<size_t>(seconds * 44100.0f); }

inline float Peak(const std::vector<float>& v, float from = 0.0f, float to = 1e9f) {
  float p = 0.0f;
  for (size_t i = Frame(from); i < std::min(v.size(), Frame(to)); ++i) p = std::max(p, std::fabs(v[i]));
  return p;
}
inline float Rms(const std::vector<float>& v, float from, float to) {
  double sum = 0.0;
  const size_t a = Frame(from), b = std::min(v.size(), Frame(to));
  for (size_t i = a; i < b; ++i) sum += double{v[i]} * v[i];
  return b > a ? static_cast<float>(std::sqrt(sum / static_cast<double>(b - a))) : 0.0f;
}
inline float Mean(const std::vector<float>& v) {
  double sum = 0.0;
  for (float x : v) sum += x;
  return v.empty() ? 0.0f : static_cast<float>(sum / static_cast<double>(v.size()));
}
inline float Decibels(float level) { return 20.0f * std::log10(std::max(level, 1e-9f)); }
// A Hann-windowed stretch of the sound, and the strength of one frequency in it (Goertzel's recurrence).
inline std::vector<double> Windowed(const std::vector<float>& v, float from, float to) {
  const size_t a = Frame(from), n = std::min(v.size(), Frame(to)) - a;
  std::vector<double> w(n);
  for (size_t i = 0; i < n; ++i)
    w[i] = v[a + i] * (0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * static_cast<double>(i) / static_cast<double>(n)));
  return w;
}
inline float Strength(const std::vector<double>& windowed, double hz) {
  const double k = 2.0 * std::cos(2.0 * std::numbers::pi * hz / 44100.0);
  double s1 = 0.0, s2 = 0.0;
  for (double x : windowed) {
    const double s0 = x + k * s1 - s2;
    s2 = s1;
    s1 = s0;
  }
  return static_cast<float>(std::sqrt(std::max(0.0, s1 * s1 + s2 * s2 - k * s1 * s2)));
}

// The frequency of pitch p in cents (2450 is middle C, 261.63 Hz).
inline double PitchHz(int32_t pitch) { return 261.63 * std::pow(2.0, (pitch - 2450) / 1200.0); }

// The energy within half a semitone either side of `pitch`: where it is centred, in cents (a detuned pair
// or a vibrato counts as the pitch between its extremes), and its strongest component.
struct Around { float cents = 100.0f; float strongest = 0.0f; };
inline Around AroundPitch(const std::vector<double>& windowed, int32_t pitch) {
  double weighted = 0.0, total = 0.0;
  Around a;
  for (int32_t c = -50; c <= 50; c += 2) {
    const double s = Strength(windowed, PitchHz(pitch + c));
    weighted += s * s * c;
    total += s * s;
    a.strongest = std::max(a.strongest, static_cast<float>(s));
  }
  if (total > 0.0) a.cents = static_cast<float>(weighted / total);
  return a;
}

constexpr float kPointsPerSecond = 4410.0f;          // a pass of ten seconds at the default Period
constexpr uint32_t kLibraryLength = 44101;            // ten seconds and the closing point of a loop
constexpr float kTolerance = 0.002f;
constexpr float kSixtyDecibels = 0.001f;

// settles: seconds after which it holds its last value, 0 when it moves for ever; cycles: upward zero crossings in
// ten seconds, for the LFOs, 0 otherwise; loopFrom: seconds, below 0 when it does not loop.
struct ModulatorRow { const char* file; float first, last, low, high, settles; int cycles; float loopFrom; };

// One file of each shape; every file of the library imports at its length.
constexpr ModulatorRow kModulators[] = {
    {"Envelopes/Decay 30ms", 1, 0, 0, 1, 0.03f, 0, -1}, {"Envelopes/Decay 8s", 1, 0, 0, 1, 8, 0, -1},
    {"Envelopes/Linear Decay 500ms", 1, 0, 0, 1, 0.5f, 0, -1},
    {"Envelopes/Attack 10ms Decay 1s", 0, 0, 0, 1, 1.01f, 0, -1},
    {"Envelopes/Attack 80ms Sustain 80", 0, 0.8f, 0, 1, 0.48f, 0, -1},
    {"Envelopes/Swell 3s", 0, 1, 0, 1, 3, 0, -1}, {"Envelopes/Gate 100ms", 0, 0, 0, 1, 0.102f, 0, -1},
    {"LFOs/Sine 10s", 0, 0, -1, 1, 0, 1, 0}, {"LFOs/Sine 12Hz", 0, 0, -1, 1, 0, 120, 0},
    {"LFOs/Triangle 4Hz", -1, -1, -1, 1, 0, 40, 0}, {"LFOs/Square 8Hz", 1, 1, -1, 1, 0, 80, 0},
    {"LFOs/Saw Up 1Hz", -1, -1, -1, 1, 0, 10, 0}, {"LFOs/Saw Down 2Hz", 1, 1, -1, 1, 0, 20, 0},
    {"Steps and Random/Random Steps 10Hz", NAN, NAN, NAN, NAN, 0, 0, 0},
    {"Steps and Random/Steps Up 4 of 1s", 0, 0, 0, 1, 0, 0, 0},
    {"Steps and Random/Sequence 8 Steps 4Hz", 0, 0, -1, 1, 0, 0, 0},
    {"Steps and Random/Drift Slow", NAN, NAN, NAN, NAN, 0, 0, 0},
    {"Pitch/Drop Tom", 1, 0, 0, 1, 0.35f, 0, -1}, {"Pitch/Rise 200ms", -1, 0, -1, 0, 0.2f, 0, -1},
    {"Pitch/Vibrato Delayed 6Hz", 0, 0, -1, 1, 0, 59, 1},
};

TEST(FactoryAssets, ModulatorLibraryImportsWithTheShapeTimeAndLoopOfItsName) {
  int files = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(kFactory / "Modulators")) {
    if (entry.path().extension() != ".wav") continue;
    const auto w = ImportFactoryWave(entry.path());
    EXPECT_EQ(w ? w->length : 0, kLibraryLength) << entry.path();
    ++files;
  }
  EXPECT_GE(files, 40);

  for (const ModulatorRow& m : kModulators) {
    const auto imported = ImportFactoryWave(kFactory / "Modulators" / (std::string(m.file) + ".wav"));
    if (!imported) continue;
    const ImportedWave& w = *imported;  // of the library's length, as every file of it
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

struct DrumRow { const char* name; float peak, seconds; int32_t key; };  // key: its key in the Drum Kit
constexpr DrumRow kDrums[] = {
    {"Kick Deep", 0.9f, 0.7f, 1250}, {"Kick Punchy", 0.9f, 0.45f, 1450}, {"Snare", 0.85f, 0.5f, 1650},
    {"Snare Tight", 0.85f, 0.35f, 1850}, {"Clap", 0.8f, 0.5f, 2050}, {"Hat Closed", 0.6f, 0.15f, 2250},
    {"Hat Open", 0.6f, 0.8f, 2450}, {"Tom Low", 0.85f, 0.8f, 2650}, {"Tom Mid", 0.85f, 0.7f, 2850},
    {"Tom High", 0.85f, 0.6f, 3050}, {"Rim", 0.75f, 0.12f, 3250}, {"Cowbell", 0.7f, 0.5f, 3450},
    {"Shaker", 0.55f, 0.2f, 3650}, {"Crash", 0.7f, 2.8f, 3850},
};

TEST(FactoryAssets, DrumSamplesEndInSilenceAndPlayUnpitchedOnTheirKeys) {
  EXPECT_EQ(FilesIn(kFactory / "Waves", ".wav"), std::size(kDrums));

  for (const DrumRow& d : kDrums) {
    const auto w = ImportFactoryWave(kFactory / "Waves" / (std::string(d.name) + ".wav"));
    if (!w) continue;
    const std::vector<float> wave(w->data.get(), w->data.get() + w->length);
    EXPECT_EQ(w->length, Frame(d.seconds)) << d.name;
    EXPECT_NEAR(Peak(wave), d.peak, 0.002f) << d.name;
    EXPECT_EQ(wave.back(), 0.0f) << d.name << " stops with a step";
    EXPECT_LT(Peak(wave, d.seconds - 0.01f), 0.001f) << d.name << " is not silent in its last 10 ms";

    // On its key the kit plays this sample at its own speed: the render follows the file's shape.
    const auto heard = RenderFactoryNote("Drum Kit", d.key, 0.05f);
    if (!heard) continue;
    const float scale = Peak(heard->mono) / Peak(wave, 0.0f, 0.05f);
    float worst = 0.0f;
    for (size_t i = 0; i < heard->mono.size(); ++i)
      worst = std::max(worst, std::fabs(heard->mono[i] - wave[i] * scale));
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
  // 492.1875 (over a minute), to within a tick.
  const double frames = app.render.samplesRendered.load() / 2.0;
  EXPECT_NEAR(frames, 3072 * 551.25 + 3456 * 492.1875, 552.0);
  EXPECT_EQ(app.render.samplesClipped.load(), 0u);
}

constexpr int32_t kPitches[] = {1250, 2450, 3650};
constexpr float kSilence = 0.001f;       // -60 dBFS
constexpr float kHeard = 0.03f;          // -30 dBFS
constexpr float kOffset = 0.00316f;      // -50 dBFS
constexpr float kGrowthDecibels = 4.0f, kFallDecibels = 4.0f;  // between two stretches of a held note
constexpr float kPitchCents = 10.0f;

// endsWithin: seconds to -60 dBFS; 0 for a sound that holds while the key is down.
struct Sound { const char* name; bool pitched; float endsWithin; };

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


// A held note is judged between these moments, once every swell is over.
constexpr float kHoldFrom = 1.0f, kHoldMiddle = 1.3f, kHoldTo = 1.6f;
constexpr float kTailStretch = 0.1f;

TEST(FactoryBank, EveryProgramIsHeardUnclippedInTuneAndEndsOrHolds) {
  EXPECT_EQ(FilesIn(kFactory / "Programs" / "Instruments", ".tep"), std::size(kBank)) << "a row for every program";

  for (const Sound& s : kBank) {
    const bool ends = s.endsWithin > 0.0f;
    const float seconds = ends ? s.endsWithin + kTailStretch : kHoldTo;
    for (int32_t pitch : kPitches) {
      const std::string what = std::string(s.name) + " at " + std::to_string(pitch);
      const auto heard = RenderFactoryNote(s.name, pitch, seconds);
      if (!heard) continue;
      const std::vector<float>& v = heard->mono;
      EXPECT_EQ(heard->clipped, 0u) << what;
      EXPECT_GT(Peak(v), kHeard) << what;
      EXPECT_LT(std::max(std::fabs(Mean(heard->left)), std::fabs(Mean(heard->right))), kOffset) << what << " offset";
      if (ends) {
        EXPECT_LT(Peak(v, s.endsWithin), kSilence) << what << " still sounds at " << s.endsWithin << " s";
      } else {
        // Chorus sweeps and detuned pairs move the level a little; a held note neither grows nor dies away.
        const float change = Decibels(Rms(v, kHoldMiddle, kHoldTo) / Rms(v, kHoldFrom, kHoldMiddle));
        EXPECT_TRUE(change < kGrowthDecibels && change > -kFallDecibels) << what << " changes by " << change << " dB";
      }
      if (s.pitched) {
        const float from = ends ? 0.05f : kHoldFrom, to = ends ? 0.45f : kHoldTo;
        const std::vector<double> stretch = Windowed(v, from, to);
        const Around note = AroundPitch(stretch, pitch);
        EXPECT_LE(std::fabs(note.cents), kPitchCents) << what << " plays " << note.cents << " cents off";
        // Nothing an octave below: the note is the note played.
        EXPECT_LT(AroundPitch(stretch, pitch - 1200).strongest, 0.3f * note.strongest) << what << " an octave down";
      }
    }
  }
}

// Each track chain on a plucked note let go at once: the note comes through unclipped and without offset, and
// the echoes and reverb die away within their time.
struct Chain { const char* name; float endsWithin; };
constexpr Chain kChains[] = {
    {"Echo Quarter Note", 3.6f}, {"Stereo Echo", 3.6f}, {"Slapback", 1.0f}, {"Wide Chorus", 1.0f},
    {"Slow Flange", 1.0f}, {"Room Reverb", 1.6f}, {"Hall Reverb", 3.0f}, {"Plate Reverb", 1.6f},
};

TEST(FactoryBank, EveryTrackChainPassesANoteAndDiesAway) {
  EXPECT_EQ(FilesIn(kFactory / "Programs" / "Tracks", ".tep"), std::size(kChains)) << "every track chain has its row";
  for (const Chain& c : kChains) {
    const auto heard = RenderFactoryNote("Pluck", 2450, c.endsWithin + kTailStretch, c.name, 0.3f);
    if (!heard) continue;
    EXPECT_EQ(heard->clipped, 0u) << c.name;
    EXPECT_GT(Peak(heard->mono), kHeard) << c.name;
    EXPECT_LT(std::fabs(Mean(heard->mono)), kOffset) << c.name;
    EXPECT_LT(Peak(heard->mono, c.endsWithin), kSilence) << c.name << " still sounds at " << c.endsWithin << " s";
  }
}

}  // namespace
}  // namespace tonforge
