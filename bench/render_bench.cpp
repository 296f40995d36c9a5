// Whole-song render speed as a multiple of real time, for the reference song (reference_song.h). Measured with
// 1, 4, 16 and 64 tracks, with the standard engine routines (playback) and the interpolating ones (high-quality
// render), frame by frame, in tick-bounded stretches channel by channel and in stretches with channels in vector
// lanes, on one thread and on every core, side by side in one run. Times are wall-clock times, since the block
// mix spreads its work over threads.
#include <benchmark/benchmark.h>

#include "bench_support.h"
#include "reference_song.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>

#include "audio/block_mix.h"
#include "audio/playback.h"
#include "audio/voice.h"
#include "shell/devices/dialogs.h"
#include "sequencer/song_clock.h"
#include "song/voice_loading.h"
#include "audio/studio.h"

namespace tonforge {
namespace {

using bench::ReferenceSong;
using bench::SilentDialogs;

uint32_t TypeOf(EngineTypeId t) { return static_cast<uint32_t>(t); }

// Arguments: tracks, quality, method (0 frame by frame, 1 in stretches channel by channel, 2 in stretches with
// channels of the same chains in vector lanes), threads (0 every core).
void BM_RenderSong(benchmark::State& state) {
  SilentDialogs dialogs;
  const auto tracks = static_cast<int32_t>(state.range(0));
  const bool quality = state.range(1) != 0;
  auto app = ReferenceSong(dialogs, tracks);
  constexpr MixMethod kMethods[] = {MixMethod::Frame, MixMethod::Block, MixMethod::Lanes};
  app->mixer.method = kMethods[state.range(2)];
  app->mixer.threads = static_cast<int32_t>(state.range(3));
  PrepareSongStart(*app);
  SampleContext ctx = MakeSampleContext(*app);
  const int32_t lastTick = (bench::kReferenceBeats - 1) * bench::kReferenceTicksPerBeat;
  int64_t frames = 0;
  Frame16 out[2 * kMaxStretch];
  for (auto _ : state) {
    if (app->currentTick >= lastTick) {  // keep every track playing notes
      FinishHeldStretch(*app, ctx, out, quality);
      PrepareSongStart(*app);
    }
    // As a render mixes: the song chain of each stretch beside the channels of the next.
    for (uint32_t f = 0; f < 4096;) {
      FinishBeforeSongTrackActs(*app, ctx, out, quality);
      const Stretch s = StepStretchClock(*app, std::min(4096 - f, kMaxStretch), false);
      MixStretchAhead(*app, ctx, s.frames, out, quality);
      benchmark::DoNotOptimize(out);
      f += s.frames;
    }
    frames += 4096;
  }
  state.SetItemsProcessed(frames);
  state.counters["x_realtime"] =
      benchmark::Counter(static_cast<double>(frames) / app->rate.rateHz, benchmark::Counter::kIsRate);
}

void RenderSongArguments(benchmark::internal::Benchmark* b) {
  b->ArgNames({"tracks", "quality", "method", "threads"});
  for (const int64_t tracks : {1, 4, 16, 64})
    for (const int64_t quality : {0, 1}) {
      b->Args({tracks, quality, 0, 1});
      for (const int64_t method : {1, 2}) {
        b->Args({tracks, quality, method, 1});
        b->Args({tracks, quality, method, 0});
      }
    }
}
BENCHMARK(BM_RenderSong)->Apply(RenderSongArguments)->UseRealTime()->Unit(benchmark::kMillisecond);

// Starting a note copies the program and clears the delay buffers of every engine with delay lines: cheap
// for a Chorus (176 samples a side), a third of a megabyte for a Basic Delay in the program.
void BM_LoadVoice(benchmark::State& state) {
  Program program;
  for (Engine& e : program.engines) InitProgramEngine(e, 0);
  InitProgramEngine(program.engines[0], TypeOf(EngineTypeId::UpSawGenerator));
  InitProgramEngine(program.engines[1], static_cast<uint32_t>(state.range(0)));
  std::array<uint32_t, kChainLength> sizes{};
  PositionBuffers buffers;
  for (int p = 0; p < kChainLength; ++p) {
    sizes[p] = program.engines[p].bufferLength;
    buffers.left[p] = AllocateSamples(sizes[p]);
    buffers.right[p] = AllocateSamples(sizes[p]);
  }
  Program voice;
  for (auto _ : state) {
    LoadVoice(voice, buffers, sizes, program);
    benchmark::DoNotOptimize(voice);
  }
}
BENCHMARK(BM_LoadVoice)
    ->Arg(static_cast<int64_t>(EngineTypeId::Chorus))
    ->Arg(static_cast<int64_t>(EngineTypeId::BasicDelay));

}  // namespace
}  // namespace tonforge
