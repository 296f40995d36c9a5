// The modulator library: envelopes, looping LFOs, steps and random shapes and pitch shapes, each a formula
// with a few numbers. A library file spans the ten seconds an imported modulator takes per pass at its
// default Period (10000 ms), at one point per ten output samples, so the times in the names are the times
// heard; the files of looping shapes carry the loop in a "smpl" chunk.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "assets.h"
#include "programs/program_list.h"

namespace tonforge::assets {
namespace {

constexpr float kLibraryPointsPerSecond = 4410.0f;
constexpr float kLibrarySeconds = 10.0f;  // one pass at the import's default Period
constexpr uint32_t kShapePoints = 1024;        // a program's copy of a smooth shape
constexpr float kSteppedPointsPerSecond = 100.0f;  // and of a stepped one
constexpr float kSixtyDecibels = 6.9077553f;  // ln(1000): an exponential decay reaching -60 dB

enum class Shape {
  DecayExp,    // a: time to -60 dB, then silence (also the pitch drops: a full Range falling to none)
  DecayLinear, // a: time to 0
  AttackDecay, // a: linear attack, b: exponential decay to -60 dB
  Ads,         // a: attack, b: decay time to the sustain, c: sustain level
  Swell,       // a: a raised-cosine rise to 1
  Gate,        // a: open time, with 2 ms edges
  Sine, Triangle, Square, SawUp, SawDown,  // hz: LFO rate, -1..1
  SampleHold,  // hz: new random value per step
  StepsUp,     // hz: step rate, c: number of steps, 0..1
  Sequence,    // hz: step rate, eight fixed steps
  Drift,       // hz: a smooth random wander through a new point per period
  PitchRise,   // a: time, from -1 to 0
  Vibrato,     // hz: rate, a: onset delay, b: fade-in time
};

struct ModulatorRecipe {
  const char* kind;  // the sub-folder
  const char* name;
  Shape shape;
  float a = 0, b = 0, c = 0, hz = 0;
  float active = 0;     // seconds of movement before the last value holds (envelopes and pitch shapes)
  float loopFrom = -1;  // seconds: where the loop starts; below 0 no loop
};

// The sequence of the stepped pattern (eighths of a bar, -1..1).
constexpr float kSequence[8] = {0.0f, 1.0f, 0.5f, -0.5f, 0.75f, -1.0f, 0.25f, -0.25f};

constexpr ModulatorRecipe kLibrary[] = {
    {"Envelopes", "Decay 30ms", Shape::DecayExp, 0.03f, 0, 0, 0, 0.03f},
    {"Envelopes", "Decay 80ms", Shape::DecayExp, 0.08f, 0, 0, 0, 0.08f},
    {"Envelopes", "Decay 150ms", Shape::DecayExp, 0.15f, 0, 0, 0, 0.15f},
    {"Envelopes", "Decay 300ms", Shape::DecayExp, 0.3f, 0, 0, 0, 0.3f},
    {"Envelopes", "Decay 600ms", Shape::DecayExp, 0.6f, 0, 0, 0, 0.6f},
    {"Envelopes", "Decay 1s", Shape::DecayExp, 1.0f, 0, 0, 0, 1.0f},
    {"Envelopes", "Decay 2s", Shape::DecayExp, 2.0f, 0, 0, 0, 2.0f},
    {"Envelopes", "Decay 4s", Shape::DecayExp, 4.0f, 0, 0, 0, 4.0f},
    {"Envelopes", "Decay 8s", Shape::DecayExp, 8.0f, 0, 0, 0, 8.0f},
    {"Envelopes", "Linear Decay 100ms", Shape::DecayLinear, 0.1f, 0, 0, 0, 0.1f},
    {"Envelopes", "Linear Decay 500ms", Shape::DecayLinear, 0.5f, 0, 0, 0, 0.5f},
    {"Envelopes", "Linear Decay 2s", Shape::DecayLinear, 2.0f, 0, 0, 0, 2.0f},
    {"Envelopes", "Attack 5ms Decay 300ms", Shape::AttackDecay, 0.005f, 0.3f, 0, 0, 0.305f},
    {"Envelopes", "Attack 10ms Decay 1s", Shape::AttackDecay, 0.01f, 1.0f, 0, 0, 1.01f},
    {"Envelopes", "Attack 20ms Decay 3s", Shape::AttackDecay, 0.02f, 3.0f, 0, 0, 3.02f},
    {"Envelopes", "Attack 5ms Sustain 50", Shape::Ads, 0.005f, 0.2f, 0.5f, 0, 0.205f},
    {"Envelopes", "Attack 10ms Sustain 70", Shape::Ads, 0.01f, 0.5f, 0.7f, 0, 0.51f},
    {"Envelopes", "Attack 80ms Sustain 80", Shape::Ads, 0.08f, 0.4f, 0.8f, 0, 0.48f},
    {"Envelopes", "Swell 300ms", Shape::Swell, 0.3f, 0, 0, 0, 0.3f},
    {"Envelopes", "Swell 1s", Shape::Swell, 1.0f, 0, 0, 0, 1.0f},
    {"Envelopes", "Swell 3s", Shape::Swell, 3.0f, 0, 0, 0, 3.0f},
    {"Envelopes", "Gate 100ms", Shape::Gate, 0.1f, 0, 0, 0, 0.104f},
    {"Envelopes", "Gate 500ms", Shape::Gate, 0.5f, 0, 0, 0, 0.504f},
    {"LFOs", "Sine 10s", Shape::Sine, 0, 0, 0, 0.1f, 0, 0},
    {"LFOs", "Sine 2s", Shape::Sine, 0, 0, 0, 0.5f, 0, 0},
    {"LFOs", "Sine 1Hz", Shape::Sine, 0, 0, 0, 1.0f, 0, 0},
    {"LFOs", "Sine 2Hz", Shape::Sine, 0, 0, 0, 2.0f, 0, 0},
    {"LFOs", "Sine 5Hz", Shape::Sine, 0, 0, 0, 5.0f, 0, 0},
    {"LFOs", "Sine 6Hz", Shape::Sine, 0, 0, 0, 6.0f, 0, 0},
    {"LFOs", "Sine 12Hz", Shape::Sine, 0, 0, 0, 12.0f, 0, 0},
    {"LFOs", "Triangle 5s", Shape::Triangle, 0, 0, 0, 0.2f, 0, 0},
    {"LFOs", "Triangle 1Hz", Shape::Triangle, 0, 0, 0, 1.0f, 0, 0},
    {"LFOs", "Triangle 4Hz", Shape::Triangle, 0, 0, 0, 4.0f, 0, 0},
    {"LFOs", "Square 2Hz", Shape::Square, 0, 0, 0, 2.0f, 0, 0},
    {"LFOs", "Square 4Hz", Shape::Square, 0, 0, 0, 4.0f, 0, 0},
    {"LFOs", "Square 8Hz", Shape::Square, 0, 0, 0, 8.0f, 0, 0},
    {"LFOs", "Saw Up 1Hz", Shape::SawUp, 0, 0, 0, 1.0f, 0, 0},
    {"LFOs", "Saw Up 4Hz", Shape::SawUp, 0, 0, 0, 4.0f, 0, 0},
    {"LFOs", "Saw Down 2Hz", Shape::SawDown, 0, 0, 0, 2.0f, 0, 0},
    {"LFOs", "Saw Down 8Hz", Shape::SawDown, 0, 0, 0, 8.0f, 0, 0},
    {"Steps and Random", "Random Steps 4Hz", Shape::SampleHold, 0, 0, 0, 4.0f, 0, 0},
    {"Steps and Random", "Random Steps 10Hz", Shape::SampleHold, 0, 0, 0, 10.0f, 0, 0},
    {"Steps and Random", "Steps Up 4 of 1s", Shape::StepsUp, 0, 0, 4, 4.0f, 0, 0},
    {"Steps and Random", "Sequence 8 Steps 4Hz", Shape::Sequence, 0, 0, 0, 4.0f, 0, 0},
    {"Steps and Random", "Drift Slow", Shape::Drift, 0, 0, 0, 0.5f, 0, 0},
    {"Steps and Random", "Drift Fast", Shape::Drift, 0, 0, 0, 4.0f, 0, 0},
    {"Pitch", "Drop Kick", Shape::DecayExp, 0.08f, 0, 0, 0, 0.08f},
    {"Pitch", "Drop Tom", Shape::DecayExp, 0.35f, 0, 0, 0, 0.35f},
    {"Pitch", "Drop Long", Shape::DecayExp, 1.7f, 0, 0, 0, 1.7f},
    {"Pitch", "Rise 60ms", Shape::PitchRise, 0.06f, 0, 0, 0, 0.06f},
    {"Pitch", "Rise 200ms", Shape::PitchRise, 0.2f, 0, 0, 0, 0.2f},
    {"Pitch", "Vibrato Delayed 5Hz", Shape::Vibrato, 0.4f, 0.4f, 0, 5.0f, 0, 1.0f},
    {"Pitch", "Vibrato Delayed 6Hz", Shape::Vibrato, 0.3f, 0.5f, 0, 6.0f, 0, 1.0f},
};

bool Loops(const ModulatorRecipe& m) { return m.hz > 0.0f; }
// Where the loop starts (seconds): an LFO loops from its start, a vibrato once its fade-in is over.
float LoopStart(const ModulatorRecipe& m) { return m.loopFrom > 0.0f ? m.loopFrom : 0.0f; }

float Smooth(float x) { return 0.5f - 0.5f * std::cos(kPi * std::clamp(x, 0.0f, 1.0f)); }

// The value of a shape t seconds after the note starts.
float ShapeAt(const ModulatorRecipe& m, float t) {
  const float cycle = t * m.hz - std::floor(t * m.hz);  // LFO phase 0..1
  const auto step = static_cast<uint32_t>(t * m.hz);
  switch (m.shape) {
    case Shape::DecayExp: return t < m.a ? std::exp(-kSixtyDecibels * t / m.a) : 0.0f;
    case Shape::DecayLinear: return std::max(0.0f, 1.0f - t / m.a);
    case Shape::AttackDecay:
      return t < m.a ? t / m.a : (t < m.a + m.b ? std::exp(-kSixtyDecibels * (t - m.a) / m.b) : 0.0f);
    case Shape::Ads:  // the decay is within 1 % of the sustain at its time, then holds it exactly
      if (t < m.a) return t / m.a;
      return t < m.a + m.b ? m.c + (1.0f - m.c) * std::exp(-5.0f * (t - m.a) / m.b) : m.c;
    case Shape::Swell: return Smooth(t / m.a);
    case Shape::Gate: return std::min({1.0f, t / 0.002f, std::max(0.0f, (m.a + 0.002f - t) / 0.002f)});
    case Shape::Sine: return std::sin(kTwoPi * cycle);
    case Shape::Triangle: return 1.0f - 4.0f * std::fabs(cycle - 0.5f);
    case Shape::Square: return cycle < 0.5f ? 1.0f : -1.0f;
    case Shape::SawUp: return 2.0f * cycle - 1.0f;
    case Shape::SawDown: return 1.0f - 2.0f * cycle;
    case Shape::SampleHold: return HashedUnit(7, step);
    case Shape::StepsUp: return static_cast<float>(step % static_cast<uint32_t>(m.c)) / (m.c - 1.0f);
    case Shape::Sequence: return kSequence[step % 8];
    case Shape::Drift: {
      // Wraps after ten seconds' worth of points, so the loop closes without a step.
      const auto points = static_cast<uint32_t>(kLibrarySeconds * m.hz);
      const float from = HashedUnit(11, step % points), to = HashedUnit(11, (step + 1) % points);
      return from + (to - from) * Smooth(cycle);
    }
    case Shape::PitchRise: return t < m.a ? -1.0f + Smooth(t / m.a) : 0.0f;
    case Shape::Vibrato: return Smooth((t - m.a) / m.b) * std::sin(kTwoPi * cycle);
  }
  return 0.0f;
}

const ModulatorRecipe* Find(std::string_view name) {
  for (const ModulatorRecipe& m : kLibrary)
    if (name == m.name) return &m;
  return nullptr;
}

}  // namespace

bool WriteModulatorLibrary(const std::filesystem::path& modulators) {
  const auto last = static_cast<uint32_t>(kLibrarySeconds * kLibraryPointsPerSecond);
  bool written = true;
  for (const ModulatorRecipe& m : kLibrary) {
    // One point more than ten seconds' worth: the loop end is never played, so it closes the cycle exactly.
    std::vector<float> points(last + 1);
    for (uint32_t i = 0; i <= last; ++i) points[i] = ShapeAt(m, static_cast<float>(i) / kLibraryPointsPerSecond);
    std::optional<std::pair<uint32_t, uint32_t>> loop;
    if (Loops(m)) loop = std::pair{static_cast<uint32_t>(LoopStart(m) * kLibraryPointsPerSecond), last};
    std::error_code ec;
    std::filesystem::create_directories(modulators / m.kind, ec);
    written = WriteFileBytes(modulators / m.kind / (std::string(m.name) + ".wav"), EncodeMonoWave(points, loop)) && written;
  }
  return written;
}

void LoadLibraryModulator(Engine& engine, int k, std::string_view name, float gain, float timeScale) {
  const ModulatorRecipe* m = Find(name);
  if (m == nullptr) {
    std::fprintf(stderr, "no modulator %.*s in the library\n", static_cast<int>(name.size()), name.data());
    std::exit(1);
  }
  DataSlot& s = engine.slots[k];
  // A looping shape keeps one cycle after its loop start (all ten seconds of a stepped or random one, whose
  // steps fall on whole hundredths); the others their movement, after which the last point holds.
  const bool stepped = m->shape == Shape::Drift || m->shape == Shape::SampleHold || m->shape == Shape::Sequence ||
                       m->shape == Shape::StepsUp;
  const float span = Loops(*m) ? LoopStart(*m) + (stepped ? kLibrarySeconds - LoopStart(*m) : 1.0f / m->hz) : m->active;
  const uint32_t intervals = stepped ? static_cast<uint32_t>(span * kSteppedPointsPerSecond) : kShapePoints;
  s.data = AllocateSamples(intervals + 1);
  for (uint32_t i = 0; i <= intervals && s.data; ++i)
    s.data[i] = ShapeAt(*m, span * static_cast<float>(i) / static_cast<float>(intervals));
  s.loaded = s.data ? 1 : 0;
  s.length = intervals + 1;
  s.looped = Loops(*m) ? 1 : 0;
  s.loopStart = static_cast<uint32_t>(LoopStart(*m) / span * static_cast<float>(intervals));
  s.loopEnd = intervals;
  s.gain = gain;
  s.tempoSync = 0;
  s.rootOrRate.f = static_cast<float>(intervals) / (span * timeScale * kRate);
  CopyName(s.name, m->name);
  RecountLoadedSlots(engine);
}

}  // namespace tonforge::assets
