// The live output with many held notes: the demo song's programs on 1, 4 and 16 voices through the current
// track's chain and the song chain; and the same notes played along with a playing song, through the song
// worker's copy of the current track's chain. "of real time" is the share of a core one second of sound costs.
#include <benchmark/benchmark.h>

#include "bench_support.h"

#include <filesystem>
#include <vector>

#include "audio/live_output.h"
#include "audio/play_along_voices.h"
#include "audio/studio.h"
#include "programs/program_list.h"
#include "sequencer/song.h"
#include "sequencer/song_file.h"
#include "song/voice_loading.h"

namespace tonforge {
namespace {

void BM_HeldLiveVoices(benchmark::State& state) {
  const auto demo = std::filesystem::path(TONFORGE_SOURCE_DIR) / "app" / "Songs" / "Demo.tes";
  bench::SilentDialogs dialogs;
  Studio app(dialogs);
  StartCore(app, "/");
  const auto voices = static_cast<int32_t>(state.range(0));
  SetLiveVoiceCount(app, voices);
  NewSong(app);
  if (LoadSongFile(app, demo.string()) != SongFileResult::Done || app.song.programs.empty()) {
    state.SkipWithError("the demo song did not load");
    return;
  }
  app.song.currentTrack = std::min(1, app.song.tracks.Count() - 1);
  const auto programs = static_cast<int32_t>(app.song.programs.size());
  // A held chord spread over the programs, a semitone apart from middle C.
  for (int32_t n = 0; n < voices; ++n) StartLiveNote(app, 2450 + 100 * n, n % programs, n);
  StandardRoutines run;
  for (auto _ : state) RenderLiveBlockWith(app, run);
  const double seconds = static_cast<double>(app.ring.blockFrames) / app.rate.rateHz;
  state.counters["of real time"] =
      benchmark::Counter(seconds * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate |
                                                                                benchmark::Counter::kInvert);
}
BENCHMARK(BM_HeldLiveVoices)->Arg(1)->Arg(4)->Arg(16)->Unit(benchmark::kMillisecond);

// What the song worker adds to each block for the held notes (the song's own mix is measured in song_bench).
void BM_PlayAlongVoices(benchmark::State& state) {
  const auto demo = std::filesystem::path(TONFORGE_SOURCE_DIR) / "app" / "Songs" / "Demo.tes";
  bench::SilentDialogs dialogs;
  Studio app(dialogs);
  StartCore(app, "/");
  const auto voices = static_cast<int32_t>(state.range(0));
  SetLiveVoiceCount(app, voices);
  NewSong(app);
  if (LoadSongFile(app, demo.string()) != SongFileResult::Done || app.song.programs.empty()) {
    state.SkipWithError("the demo song did not load");
    return;
  }
  app.song.currentTrack = std::min(1, app.song.tracks.Count() - 1);
  PreparePlayAlong(app);
  const auto programs = static_cast<int32_t>(app.song.programs.size());
  for (int32_t n = 0; n < voices; ++n) StartLiveNote(app, 2450 + 100 * n, n % programs, n, LiveChains::PlayAlong);
  app.playAlong.sounding = true;
  SampleContext ctx = MakeSampleContext(app);
  std::vector<Frame16> frames(app.ring.blockFrames);
  for (auto _ : state) {
    AddPlayAlong(app, ctx, frames.data(), static_cast<uint32_t>(frames.size()));
    benchmark::DoNotOptimize(frames.data());
  }
  const double seconds = static_cast<double>(app.ring.blockFrames) / app.rate.rateHz;
  state.counters["of real time"] =
      benchmark::Counter(seconds * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate |
                                                                                benchmark::Counter::kInvert);
}
BENCHMARK(BM_PlayAlongVoices)->Arg(16)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tonforge
