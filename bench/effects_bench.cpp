// Nanoseconds per sample of the filter, delay, chorus, flange and reverb engines on one second of stereo
// noise at 44100 Hz: with the defaults, with every modulator slot the type offers loaded (a 10 Hz sine
// stepping one sample per output sample, so a filter's cutoff moves every sample), and the high-quality
// reverbs of the offline render; and, as the block mix runs them, over stretches of a tick (460 frames) in
// one call each, with the modulators loaded.
//
// What keeping NaN and infinity out of recursive state costs: configure a second tree with
//   cmake -S . -B build-unguarded -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS=-DTONFORGE_UNGUARDED_STATE
// build tonforge_bench there and compare the same benchmarks (filter "Effect/").
#include <benchmark/benchmark.h>

#include "bench_support.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "engines/engine.h"
#include "shell/tables.h"

namespace tonforge {
namespace {

constexpr int kSamples = 44100;
constexpr int kLfoLength = 4410;

using bench::SilentDialogs;

struct EffectRig : bench::EngineBench {
  EffectRig() : left(kSamples), right(kSamples) {
    std::minstd_rand gen(1);
    std::uniform_real_distribution<float> u(-0.5f, 0.5f);
    for (int i = 0; i < kSamples; ++i) {
      left[i] = u(gen);
      right[i] = u(gen);
    }
  }

  void LoadModulators(Engine& e) {
    const EngineType& t = BuildEngineCatalog()[e.type];
    for (int s = 0; s < kDataSlotCount; ++s) {
      if (t.dataSlots[s].kind != SlotKind::Modulator) continue;
      DataSlot& slot = e.slots[s];
      slot.data = AllocateSamples(kLfoLength);
      for (int i = 0; i < kLfoLength; ++i)
        slot.data[i] = static_cast<float>(std::sin(2.0 * M_PI * (i + 1000 * s) / kLfoLength));
      slot.length = kLfoLength;
      slot.loopEnd = kLfoLength - 1;
      slot.loaded = slot.looped = 1;
      slot.gain = 0.2f;
      slot.rootOrRate.f = 1.0f;
      e.loadedSlotCount = static_cast<uint32_t>(s + 1);
    }
  }

  SilentDialogs dialogs;
  std::vector<float> left, right;
};

enum class Variant { Defaults, Modulated, Quality, Run };

constexpr uint32_t kTickFrames = 460;

void RunEffect(benchmark::State& state, uint32_t type, Variant variant) {
  EffectRig rig;
  Engine& e = rig.chain[0];
  if (!InitTrackEngine(e, type, rig.dialogs)) {
    state.SkipWithError("out of memory");
    return;
  }
  PrepareEngine(e, rig.rate);
  if (variant == Variant::Modulated || variant == Variant::Run) rig.LoadModulators(e);
  const VoiceRef voice{rig.chain, &rig.transpose};
  float sink = 0.0f;
  std::vector<MixBus> frames(kTickFrames);
  for (auto _ : state) {
    if (variant == Variant::Run) {
      for (uint32_t i = 0; i < kSamples;) {
        const uint32_t n = std::min<uint32_t>(kTickFrames, kSamples - i);
        for (uint32_t f = 0; f < n; ++f) frames[f] = {rig.left[i + f], rig.right[i + f]};
        ProcessEngineOver(e, voice, kDefaultRootPitch, frames.data(), n, rig.ctx);
        sink += frames[n - 1].left;
        i += n;
      }
      benchmark::DoNotOptimize(sink);
      continue;
    }
    for (int i = 0; i < kSamples; ++i) {
      rig.ctx.bus = {rig.left[i], rig.right[i]};
      if (variant == Variant::Quality)
        ProcessEngineQuality(e, voice, kDefaultRootPitch, rig.ctx);
      else
        ProcessEngine(e, voice, kDefaultRootPitch, rig.ctx);
      sink += rig.ctx.bus.left;
    }
    benchmark::DoNotOptimize(sink);
  }
  state.counters["per_sample"] =
      benchmark::Counter(kSamples, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  ReleaseTrackEngine(e);
}

bool HasModulators(uint32_t type) {
  for (const DataSlotSpec& s : BuildEngineCatalog()[type].dataSlots)
    if (s.kind == SlotKind::Modulator) return true;
  return false;
}

std::string Name(uint32_t type, const char* variant) {
  return "Effect/" + std::to_string(type) + "_" + BuildEngineCatalog()[type].abbreviation.data() + "/" + variant;
}

[[maybe_unused]] const int kRegistered = [] {
  using T = EngineTypeId;
  const T types[] = {T::StereoSpatializer, T::MoogVcf,        T::LowPassFilter,  T::HighPassFilter,
                     T::BandPassFilter,    T::BandExcludeFilter, T::LowShelfFilter, T::HighShelfFilter,
                     T::PeakingFilter,     T::BasicDelay,     T::CombFilter,     T::SingleTapDelay,
                     T::MultiTapDelay,     T::VariableSpeedDelay, T::BasicReverb, T::StereoReverbXY,
                     T::StereoReverbYX,    T::PlateReverb,    T::Chorus,         T::Flange,
                     T::Inverter,          T::StereoChorus,   T::StereoFlange};
  for (T id : types) {
    const auto type = static_cast<uint32_t>(id);
    benchmark::RegisterBenchmark(Name(type, "defaults").c_str(),
                                 [type](benchmark::State& s) { RunEffect(s, type, Variant::Defaults); });
    if (HasModulators(type))
      benchmark::RegisterBenchmark(Name(type, "modulated").c_str(),
                                   [type](benchmark::State& s) { RunEffect(s, type, Variant::Modulated); });
    benchmark::RegisterBenchmark(Name(type, "run").c_str(),
                                 [type](benchmark::State& s) { RunEffect(s, type, Variant::Run); });
    if (id == T::BasicReverb || id == T::StereoReverbXY || id == T::StereoReverbYX)
      benchmark::RegisterBenchmark(Name(type, "quality").c_str(),
                                   [type](benchmark::State& s) { RunEffect(s, type, Variant::Quality); });
  }
  return 0;
}();

}  // namespace
}  // namespace tonforge
