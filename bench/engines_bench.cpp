// Nanoseconds per sample of the engine routines.
#include <benchmark/benchmark.h>

#include <memory>

#include "engines/engine.h"
#include "shell/tables.h"

namespace tonforge {
namespace {

struct BenchRig {
  BenchRig() {
    BuildTables(*tables);
    ctx.tables = tables.get();
    ctx.rate = &rate;
    ctx.tempo = &tempo;
    ctx.ticksPerBeat = &ticksPerBeat;
  }
  std::unique_ptr<Tables> tables = std::make_unique<Tables>();
  OutputRate rate;
  float tempo = 120.0f;
  int32_t ticksPerBeat = 48;
  SampleContext ctx;
  Engine chain[kChainLength]{};
  int32_t transpose = 0;
};

void BM_DispatchThru(benchmark::State& state) {
  BenchRig rig;
  Engine& e = rig.chain[0];
  InitProgramEngine(e, 0);
  VoiceRef voice{rig.chain, &rig.transpose};
  for (auto _ : state) {
    rig.ctx.bus = {0.5f, -0.5f};
    ProcessEngine(e, voice, 2450, rig.ctx);
    benchmark::DoNotOptimize(rig.ctx.bus);
  }
}
BENCHMARK(BM_DispatchThru);

}  // namespace
}  // namespace tonforge
