// Nanoseconds per sample of the sources (wave players, oscillators, noise, synchronisation) and of the
// modulation and utility engines, standard and high-quality routines.
#include <benchmark/benchmark.h>

#include "bench_support.h"

#include <cmath>
#include <memory>
#include <numbers>
#include <string>

#include "engines/engine.h"
#include "shell/tables.h"

namespace tonforge {
namespace {

constexpr int kBlock = 256;               // samples per benchmark iteration
constexpr uint32_t kSlotLength = 44100;   // one second of wave or modulator data
constexpr int32_t kPitch = 2950;          // five semitones above the root: a fractional step

struct SourceRig : bench::EngineBench {
  explicit SourceRig(uint32_t type) {
    // The engine under test sits at position 1; position 0 holds a saw for the synchronisation to restart.
    InitProgramEngine(chain[0], static_cast<uint32_t>(EngineTypeId::DownSawGenerator));
    Engine& e = chain[1];
    InitProgramEngine(e, type);
    const EngineType& engineType = BuildEngineCatalog()[type];
    for (int s = 0; s < kDataSlotCount; ++s) {
      if (engineType.dataSlots[s].kind == SlotKind::None) break;
      LoadLoopedSlot(e.slots[s], engineType.dataSlots[s].kind == SlotKind::Modulator);
      e.loadedSlotCount = static_cast<uint32_t>(s + 1);
    }
    PrepareEngine(chain[0], rate);
    PrepareEngine(e, rate);
  }

  // A looped one-second sine of 441 cycles, as a wave (root 2450) or as a modulator (the import's rate).
  static void LoadLoopedSlot(DataSlot& slot, bool modulator) {
    slot.data = AllocateSamples(kSlotLength);
    for (uint32_t i = 0; i < kSlotLength; ++i)
      slot.data[i] = 0.5f * static_cast<float>(std::sin(2.0 * std::numbers::pi * 441.0 * i / kSlotLength));
    slot.length = kSlotLength;
    slot.loaded = 1;
    slot.looped = 1;
    slot.loopStart = 0;
    slot.loopEnd = kSlotLength - 1;
    slot.playPosition = 0.0f;
    if (modulator) slot.rootOrRate.f = static_cast<float>(kSlotLength) * 2.2675738e-6f;
  }

};

void BM_Sources(benchmark::State& state) {
  const auto type = static_cast<uint32_t>(state.range(0));
  const bool quality = state.range(1) != 0;
  SourceRig rig(type);
  Engine& e = rig.chain[1];
  const VoiceRef voice{rig.chain, &rig.transpose};
  for (auto _ : state) {
    for (int i = 0; i < kBlock; ++i) {
      rig.ctx.bus = {0.25f, -0.25f};
      if (quality)
        ProcessEngineQuality(e, voice, kPitch, rig.ctx);
      else
        ProcessEngine(e, voice, kPitch, rig.ctx);
      benchmark::DoNotOptimize(rig.ctx.bus);
    }
  }
  state.SetLabel(std::string(BuildEngineCatalog()[type].name.data()) + (quality ? " (high quality)" : ""));
  // Seconds per sample, shown with an SI prefix (n = nanoseconds).
  state.counters["per_sample"] = benchmark::Counter(static_cast<double>(state.iterations()) * kBlock,
                                                    benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void SourceAndModulatorTypes(benchmark::internal::Benchmark* b) {
  b->ArgNames({"type", "hq"});
  for (int type : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 41, 42, 43, 45}) b->Args({type, 0});
  for (int type : {1, 2, 3, 4, 7, 8, 9, 10}) b->Args({type, 1});
}
BENCHMARK(BM_Sources)->Apply(SourceAndModulatorTypes);

}  // namespace
}  // namespace tonforge
