// Moving a track walks every event of the song to exchange Phrase sources; it runs on the main thread while
// the song may be playing, so its cost against the song's size matters.
#include <benchmark/benchmark.h>

#include "bench_support.h"

#include <memory>

#include "audio/studio.h"
#include "sequencer/song.h"
#include "sequencer/track_commands.h"

namespace tonforge {
namespace {

// Arguments: track count, events per track (every fourth a Phrase).
void BM_MoveTrackUpAndDown(benchmark::State& state) {
  bench::SilentDialogs dialogs{true};
  auto app = std::make_unique<Studio>(dialogs);
  NewSong(*app);
  const auto tracks = static_cast<int32_t>(state.range(0));
  const auto events = static_cast<int32_t>(state.range(1));
  for (app->song.currentTrack = 0; app->song.tracks.Count() < tracks; app->song.currentTrack++) InsertTrack(*app);
  for (int32_t t = 1; t < tracks; ++t) {
    for (int32_t i = 0; i < events; ++i) {
      const bool phrase = i % 4 == 0;
      AppendEvent(*app, *TrackAt(app->song, t),
                  {i, static_cast<int32_t>(phrase ? EventType::Phrase : EventType::Empty), 1 + i % (tracks - 1), 0});
    }
  }
  app->song.currentTrack = tracks / 2;
  for (auto _ : state) {
    MoveTrackUp(*app);
    MoveTrackDown(*app);
  }
  state.SetItemsProcessed(state.iterations() * 2 * (tracks - 1) * events);
}
BENCHMARK(BM_MoveTrackUpAndDown)->Args({16, 256})->Args({64, 1024})->Args({512, 1024});

}  // namespace
}  // namespace tonforge
