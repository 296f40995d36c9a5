// The drum and percussion samples: every hit is a swept sine (the body), filtered noise (the snap, the
// hiss) and a cluster of square waves at unrelated frequencies (the metal of hats, cymbals and the cowbell),
// each with its own exponential decay, set by one row of numbers. Every sample is normalised to its peak and
// faded to exact silence over its last quarter.
#include <algorithm>
#include <cmath>

#include "assets.h"
#include "programs/data_slot_commands.h"
#include "programs/program_list.h"

namespace tonforge::assets {
namespace {

enum class Band { LowPass, BandPass, HighPass };

struct DrumRecipe {
  const char* name;
  float seconds;
  float peak;  // the sample's peak after normalising
  // Body: a sine sweeping from `hzFrom` to `hzTo` with time constant `sweep`, decaying with `bodyDecay`.
  float hzFrom, hzTo, sweep, bodyDecay, body;
  // Noise through a resonant filter at `noiseHz`; `bursts` repeats the attack 11 ms apart (hand claps).
  float noiseDecay, noise, noiseHz;
  Band band;
  int bursts;
  // Metal: six square waves at fixed ratios of `metalHz`.
  float metalHz, metalDecay, metal;
};

constexpr float kMetalRatios[6] = {1.0f, 1.342f, 1.2312f, 1.6532f, 1.9523f, 2.1523f};
constexpr float kBurstGap = 0.011f, kBurstDecay = 0.004f;
constexpr float kFadeShare = 0.25f;  // the last quarter of a sample fades out along a half cosine

constexpr DrumRecipe kDrums[] = {
    // name             len   peak  hzFrom hzTo  sweep   bodyDec body  noiseDec noise noiseHz band           b  metalHz dec   metal
    {"Kick Deep",       0.7f, 0.9f, 170.f, 46.f, 0.035f, 0.22f,  1.0f, 0.004f,  0.3f, 3000.f, Band::LowPass,  1, 0.f,    0.f,  0.f},
    {"Kick Punchy",     0.45f, 0.9f, 260.f, 58.f, 0.02f, 0.12f,  1.0f, 0.006f,  0.5f, 5000.f, Band::BandPass, 1, 0.f,    0.f,  0.f},
    {"Snare",           0.5f, 0.85f, 240.f, 185.f, 0.02f, 0.06f, 0.7f, 0.09f,   0.9f, 4500.f, Band::BandPass, 1, 0.f,    0.f,  0.f},
    {"Snare Tight",     0.35f, 0.85f, 300.f, 230.f, 0.01f, 0.04f, 0.5f, 0.05f,  1.0f, 6500.f, Band::HighPass, 1, 0.f,    0.f,  0.f},
    {"Clap",            0.5f, 0.8f, 0.f,   0.f,  0.01f,  0.01f,  0.0f, 0.08f,   1.0f, 1400.f, Band::BandPass, 4, 0.f,    0.f,  0.f},
    {"Hat Closed",      0.15f, 0.6f, 0.f,  0.f,  0.01f,  0.01f,  0.0f, 0.02f,   0.6f, 9000.f, Band::HighPass, 1, 410.f, 0.015f, 0.5f},
    {"Hat Open",        0.8f, 0.6f, 0.f,   0.f,  0.01f,  0.01f,  0.0f, 0.16f,   0.6f, 9000.f, Band::HighPass, 1, 410.f, 0.14f, 0.5f},
    {"Tom Low",         0.8f, 0.85f, 150.f, 90.f, 0.06f, 0.2f,   1.0f, 0.01f,   0.2f, 2000.f, Band::LowPass,  1, 0.f,    0.f,  0.f},
    {"Tom Mid",         0.7f, 0.85f, 210.f, 130.f, 0.05f, 0.17f, 1.0f, 0.01f,   0.2f, 2500.f, Band::LowPass,  1, 0.f,    0.f,  0.f},
    {"Tom High",        0.6f, 0.85f, 290.f, 185.f, 0.04f, 0.14f, 1.0f, 0.01f,   0.2f, 3000.f, Band::LowPass,  1, 0.f,    0.f,  0.f},
    {"Rim",             0.12f, 0.75f, 1800.f, 1650.f, 0.005f, 0.012f, 0.8f, 0.006f, 0.6f, 3500.f, Band::BandPass, 1, 0.f, 0.f, 0.f},
    {"Cowbell",         0.5f, 0.7f, 0.f,   0.f,  0.01f,  0.01f,  0.0f, 0.01f,   0.0f, 1000.f, Band::BandPass, 1, 560.f, 0.09f, 1.0f},
    {"Shaker",          0.2f, 0.55f, 0.f,  0.f,  0.01f,  0.01f,  0.0f, 0.035f,  1.0f, 7000.f, Band::HighPass, 2, 0.f,    0.f,  0.f},
    {"Crash",           2.8f, 0.7f, 0.f,   0.f,  0.01f,  0.01f,  0.0f, 0.5f,    0.7f, 6000.f, Band::HighPass, 1, 330.f, 0.45f, 0.4f},
};

// A Chamberlin state-variable filter: one resonant section that gives low, band and high pass at once.
struct Svf {
  float low = 0, band = 0;
  float Run(float x, float f, float q, Band out) {
    low += f * band;
    const float high = x - low - q * band;
    band += f * high;
    return out == Band::LowPass ? low : out == Band::BandPass ? band : high;
  }
};

std::vector<float> Synthesize(const DrumRecipe& d) {
  const auto n = static_cast<uint32_t>(d.seconds * kRate);
  std::vector<float> out(n);
  uint32_t noiseState = 1234567u;
  Svf filter;
  const float f = 2.0f * std::sin(kPi * std::min(d.noiseHz, 11000.0f) / kRate);
  float bodyPhase = 0.0f;
  float metalPhase[6] = {};
  for (uint32_t i = 0; i < n; ++i) {
    const float t = static_cast<float>(i) / kRate;
    const float hz = d.hzTo + (d.hzFrom - d.hzTo) * std::exp(-t / d.sweep);
    bodyPhase += hz / kRate;
    const float body = d.body * std::sin(kTwoPi * bodyPhase) * std::exp(-t / d.bodyDecay);
    // A clap's bursts: the noise restarts every 11 ms for its first hits, then the last one rings out.
    const float burstsEnd = kBurstGap * static_cast<float>(d.bursts - 1);
    const float noiseEnvelope = (t < burstsEnd ? std::exp(-std::fmod(t, kBurstGap) / kBurstDecay)
                                               : std::exp(-(t - burstsEnd) / d.noiseDecay)) *
                                std::min(1.0f, t / 0.0005f);
    const float noise = d.noise * filter.Run(NoiseAt(noiseState), f, 0.7f, d.band) * noiseEnvelope;
    float metal = 0.0f;
    for (int k = 0; k < 6 && d.metal > 0.0f; ++k) {
      metalPhase[k] += d.metalHz * kMetalRatios[k] / kRate;
      metal += metalPhase[k] - std::floor(metalPhase[k]) < 0.5f ? 1.0f : -1.0f;
    }
    out[i] = body + noise + d.metal * metal / 6.0f * std::exp(-t / std::max(d.metalDecay, 0.001f));
  }
  // The metal and noise need their low end taken off (a first difference keeps the hiss).
  if (d.metal > 0.0f)
    for (uint32_t i = n - 1; i > 0; --i) out[i] -= 0.9f * out[i - 1];
  float peak = 0.0f;
  for (float v : out) peak = std::max(peak, std::fabs(v));
  const auto fade = static_cast<uint32_t>(kFadeShare * static_cast<float>(n));
  for (uint32_t i = 0; i < n; ++i) {
    const float rest = i + fade >= n ? static_cast<float>(n - 1 - i) / static_cast<float>(fade) : 1.0f;
    out[i] *= d.peak / peak * (0.5f - 0.5f * std::cos(kPi * rest));
  }
  return out;
}

// Kit layout: seven multisampled players share the fourteen drums, a whole tone apart from C3; a one-sample
// silent slot fences each player's keys, so every key plays its own sample at its own speed and no other.
constexpr int kSlotsPerPlayer = 4;
constexpr int32_t kKeyStep = 200;  // a whole tone: each drum answers its key and the semitone either side

}  // namespace

bool WriteDrumSamples(const std::filesystem::path& waves) {
  bool written = true;
  for (const DrumRecipe& d : kDrums)
    written = WriteFileBytes(waves / (std::string(d.name) + ".wav"), EncodeMonoWave(Synthesize(d), std::nullopt)) && written;
  return written;
}

int32_t DrumKey(std::string_view name) {
  for (size_t i = 0; i < std::size(kDrums); ++i)
    if (name == kDrums[i].name) return kC3 + kKeyStep * static_cast<int32_t>(i);
  std::fprintf(stderr, "no drum %.*s\n", static_cast<int>(name.size()), name.data());
  std::exit(1);
}

void BuildDrumKit(std::span<Engine> chain) {
  // Two drums per player between two fences of silence a key below and above, so no drum answers beyond the
  // keys next to its own.
  size_t next = 0;
  for (Engine& player : chain) {
    if (next >= std::size(kDrums)) break;
    InitProgramEngine(player, static_cast<uint32_t>(EngineTypeId::MultisampledWave));
    int slot = 0;
    const auto put = [&](const std::vector<float>& samples, std::string_view name, int32_t root) {
      DataSlot& s = player.slots[slot++];
      s.data = AllocateSamples(static_cast<uint32_t>(samples.size()));
      for (size_t i = 0; i < samples.size() && s.data; ++i) s.data[i] = samples[i];
      s.loaded = s.data ? 1 : 0;
      s.length = static_cast<uint32_t>(samples.size());
      s.loopEnd = s.length - 1;
      s.gain = 1.0f;
      s.rootOrRate.i = root;
      CopyName(s.name, name);
    };
    const auto key = [](size_t index) { return kC3 + kKeyStep * static_cast<int32_t>(index); };
    put({0.0f}, "Silence", key(next) - kKeyStep);
    while (slot < kSlotsPerPlayer - 1 && next < std::size(kDrums)) {
      put(Synthesize(kDrums[next]), kDrums[next].name, key(next));
      ++next;
    }
    put({0.0f}, "Silence", key(next));
    SlotContentChanged(player);
  }
}

}  // namespace tonforge::assets
