// Song files: encoding and decoding a song of many tracks and events, in bytes of file per second, and the
// demo song rendered on the calling thread, as a multiple of real time.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "audio/render.h"
#include "bench_support.h"
#include "programs/program_list.h"
#include "sequencer/song.h"
#include "sequencer/song_file.h"

namespace tonforge {
namespace {

using bench::SilentDialogs;

// `tracks` tracks of 1000 events each and four programs of one second of sample data.
void BuildSong(Studio& app, int32_t tracks) {
  StartCore(app, "/");
  NewSong(app);
  for (int i = 0; i < 4; ++i) {
    Engine& e = NewProgram(app)->engines[0];
    InitProgramEngine(e, static_cast<uint32_t>(EngineTypeId::BasicWave));
    e.slots[0].data = AllocateSamples(44100);
    e.slots[0].length = 44100;
    e.slots[0].loaded = 1;
  }
  for (int32_t t = 0; t < tracks; ++t) {
    app.song.currentTrack = app.song.tracks.Count() - 1;
    Track& track = *InsertTrack(app);
    for (int32_t i = 0; i < 1000; ++i) AppendEvent(app, track, {i * 24, 2, 2450 + i % 12 * 100, i % 4});
  }
}

void BM_EncodeSong(benchmark::State& state) {
  SilentDialogs dialogs;
  Studio app(dialogs);
  BuildSong(app, static_cast<int32_t>(state.range(0)));
  std::size_t bytes = 0;
  for (auto _ : state) {
    auto image = EncodeSong(app);
    bytes = image.size();
    benchmark::DoNotOptimize(image.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_EncodeSong)->Arg(1)->Arg(16)->Unit(benchmark::kMillisecond);

void BM_DecodeSong(benchmark::State& state) {
  SilentDialogs dialogs;
  Studio app(dialogs);
  BuildSong(app, static_cast<int32_t>(state.range(0)));
  const auto image = EncodeSong(app);
  for (auto _ : state) {
    auto decoded = DecodeSong(image, dialogs);
    benchmark::DoNotOptimize(decoded);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * image.size()));
}
BENCHMARK(BM_DecodeSong)->Arg(1)->Arg(16)->Unit(benchmark::kMillisecond);

// The committed demo song (77 seconds of sound, 13 tracks) rendered to a file; "x real time" is seconds of sound per
// second of rendering.
void BM_RenderDemoSong(benchmark::State& state) {
  const auto demo = std::filesystem::path(TONFORGE_SOURCE_DIR) / "app" / "Songs" / "Demo.tes";
  const auto out = std::filesystem::temp_directory_path() / "tonforge-bench-demo.wav";
  SilentDialogs dialogs;
  Studio app(dialogs);
  StartCore(app, "/");
  NewSong(app);
  if (LoadSongFile(app, demo.string()) != SongFileResult::Done) {
    state.SkipWithError("the demo song did not load");
    return;
  }
  app.render.quality = static_cast<uint32_t>(state.range(0));
  for (auto _ : state) RenderSongToFile(app, out.string());
  const double frames = app.render.samplesRendered.load() / 2.0;
  state.counters["x real time"] =
      benchmark::Counter(frames / app.rate.rateHz * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  std::filesystem::remove(out);
}
BENCHMARK(BM_RenderDemoSong)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tonforge
