// Nanoseconds per sample of the engine routines.
#include <benchmark/benchmark.h>

#include "bench_support.h"

#include <memory>

#include "engines/engine.h"
#include "shell/tables.h"

namespace tonforge {
namespace {


void BM_DispatchThru(benchmark::State& state) {
  bench::EngineBench rig;
  Engine& e = rig.chain[0];
  InitProgramEngine(e, 0);
  const VoiceRef voice = rig.Voice();
  for (auto _ : state) {
    rig.ctx.bus = {0.5f, -0.5f};
    ProcessEngine(e, voice, 2450, rig.ctx);
    benchmark::DoNotOptimize(rig.ctx.bus);
  }
}
BENCHMARK(BM_DispatchThru);

}  // namespace
}  // namespace tonforge
