// Nanoseconds per sample of the engine families that run in lanes: 8 channels of one type over a tick of
// 460 frames, channel by channel (lanes 0) and 4 or 8 at a time in vector lanes where the type has such runs. Each channel's engine is set
// up as the reference song of render_bench.cpp sets it: the filter swept by one modulator, the chorus and the
// flange moved by two.
#include <benchmark/benchmark.h>

#include "bench_support.h"

#include <cmath>
#include <vector>

#include "engines/lanes.h"

namespace tonforge {
namespace {

constexpr int kChannels = 8;
constexpr uint32_t kTick = 460;
constexpr uint32_t kSweepLength = 4410;

void LoadSweep(Engine& e, int s) {
  DataSlot& slot = e.slots[s];
  slot.data = AllocateSamples(kSweepLength);
  for (uint32_t i = 0; i < kSweepLength; ++i)
    slot.data[i] = 0.4f * static_cast<float>(std::sin(2.0 * M_PI * i / kSweepLength));
  slot.length = kSweepLength, slot.loaded = 1, slot.looped = 1, slot.loopEnd = kSweepLength - 1;
  slot.rootOrRate.f = static_cast<float>(kSweepLength) * 2.2675738e-6f * static_cast<float>(1 + s);
  e.loadedSlotCount = static_cast<uint32_t>(s + 1);
}

// Arguments: engine type, quality, lanes (0: channel by channel).
void BM_EngineLanes(benchmark::State& state) {
  const auto type = static_cast<uint32_t>(state.range(0));
  const bool quality = state.range(1) != 0;
  const int width = static_cast<int>(state.range(2));
  if (width > WidestLanes()) return state.SkipWithError("the processor has no AVX2");
  bench::SilentDialogs dialogs;
  bench::EngineBench rig;
  std::vector<Engine> engines(kChannels);
  LaneSet lanes;
  for (int c = 0; c < kChannels; ++c) {
    Engine& e = engines[c];
    InitTrackEngine(e, type, dialogs);
    SetParameter(e, 0, 40 + c);
    const int sweeps = type == static_cast<uint32_t>(EngineTypeId::LowPassFilter) ? 1 : 2;
    for (int s = 0; s < sweeps && BuildEngineCatalog()[type].dataSlots[s].kind == SlotKind::Modulator; ++s)
      LoadSweep(e, s);
    PrepareEngine(e, rig.rate);
    lanes.engine[c] = &e, lanes.pitch[c] = 2000 + 100 * c, lanes.writes[c] = true;
  }
  std::vector<MixBus> frames(kChannels * kTick);
  std::vector<float> left(kChannels * kTick), right(kChannels * kTick);
  const LaneRun run = width != 0 ? LaneRoutine(type, quality, width) : nullptr;
  for (auto _ : state) {
    if (width == 0) {
      for (int c = 0; c < kChannels; ++c) {
        MixBus* f = frames.data() + c * kTick;
        for (uint32_t i = 0; i < kTick; ++i) f[i] = {0.25f, -0.25f};
        if (quality)
          ProcessEngineOverQuality(engines[c], rig.Voice(), lanes.pitch[c], f, kTick, rig.ctx);
        else
          ProcessEngineOver(engines[c], rig.Voice(), lanes.pitch[c], f, kTick, rig.ctx);
      }
    } else {
      for (int c = 0; c < kChannels; c += width) {
        LaneSet part;
        part.count = width;
        for (int l = 0; l < width; ++l)
          part.engine[l] = lanes.engine[c + l], part.pitch[l] = lanes.pitch[c + l], part.writes[l] = true;
        std::fill(left.begin(), left.end(), 0.25f);
        std::fill(right.begin(), right.end(), -0.25f);
        run(part, left.data(), right.data(), kTick, rig.ctx);
      }
    }
    benchmark::DoNotOptimize(frames.data());
    benchmark::DoNotOptimize(left.data());
  }
  state.SetItemsProcessed(state.iterations() * kChannels * kTick);
}

void EngineLanesArguments(benchmark::internal::Benchmark* b) {
  using T = EngineTypeId;
  b->ArgNames({"type", "quality", "lanes"});
  const struct { T type; bool quality; } families[] = {
      {T::LowPassFilter, false}, {T::Chorus, false}, {T::Flange, false}, {T::BasicDelay, false},
      {T::UpSawGenerator, false}, {T::UpSawGenerator, true}, {T::SineWaveGenerator, false},
  };
  for (const auto& f : families)
    for (const int64_t width : {0, 4, 8})
      if (width == 0 || LaneRoutine(static_cast<uint32_t>(f.type), f.quality, static_cast<int>(width)))
        b->Args({static_cast<int64_t>(f.type), f.quality, width});
}
BENCHMARK(BM_EngineLanes)->Apply(EngineLanesArguments);

}  // namespace
}  // namespace tonforge
