// Editing costs that grow with the song: building long event lists and resizing every voice's buffers.
#include <benchmark/benchmark.h>

#include "bench_support.h"

#include <memory>

#include "audio/studio.h"
#include "programs/chain_editing.h"
#include "programs/program_list.h"
#include "sequencer/song.h"

namespace tonforge {
namespace {

struct SongBench {
  explicit SongBench(int32_t tracks) {
    NewSong(*app);
    for (app->song.currentTrack = 0; app->song.tracks.Count() < tracks; app->song.currentTrack++) InsertTrack(*app);
  }
  bench::SilentDialogs dialogs{true};
  std::unique_ptr<Studio> app = std::make_unique<Studio>(dialogs);
};

// A loaded song's events arrive in order and are appended.
void BM_AppendEvents(benchmark::State& state) {
  SongBench bench(2);
  Track& track = *TrackAt(bench.app->song, 1);
  const int32_t n = static_cast<int32_t>(state.range(0));
  for (auto _ : state) {
    DeleteAllEvents(track);
    for (int32_t i = 0; i < n; ++i) AppendEvent(*bench.app, track, {i % kMaxTick, 0, 0, 0});
  }
  state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_AppendEvents)->Arg(1000)->Arg(100000);

// Recording walks the list to the insertion point, so a growing track costs more per event.
void BM_InsertEventsAtTheEnd(benchmark::State& state) {
  SongBench bench(2);
  Track& track = *TrackAt(bench.app->song, 1);
  const int32_t n = static_cast<int32_t>(state.range(0));
  for (auto _ : state) {
    DeleteAllEvents(track);
    for (int32_t i = 0; i < n; ++i) InsertEvent(*bench.app, track, {i, 0, 0, 0});
  }
  state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_InsertEventsAtTheEnd)->Arg(1000)->Arg(10000);

// Putting a comb filter into a program and taking it out again resizes that position's buffers for the
// LiveVoice and every track.
void BM_SetLargestEngineType(benchmark::State& state) {
  SongBench bench(static_cast<int32_t>(state.range(0)));
  Studio& app = *bench.app;
  NewProgram(app);
  const TypeList& types = app.catalog.programEngineTypes;
  const uint32_t comb = static_cast<uint32_t>(EngineTypeId::CombFilter);
  int32_t combRow = 0;
  while (types.types[combRow] != comb) ++combRow;
  app.chainEditor = {ChainMode::Program, 0};
  for (auto _ : state) {
    app.song.selectedEngineType = combRow;
    SetEngineType(app);
    state.counters["size"] = app.song.positionBufferSize[0];
    app.song.selectedEngineType = 0;
    SetEngineType(app);
  }
}
BENCHMARK(BM_SetLargestEngineType)->Arg(1)->Arg(64)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tonforge
