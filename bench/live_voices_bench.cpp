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

// The demo song with room for `voices` live notes, its first track current. False (the run skipped) when it
// does not load.
bool LoadDemo(Studio& app, int32_t voices, benchmark::State& state) {
  const auto demo = std::filesystem::path(TONFORGE_SOURCE_DIR) / "app" / "Songs" / "Demo.tes";
  StartCore(app, "/");
  SetLiveVoiceCount(app, voices);
  NewSong(app);
  if (LoadSongFile(app, demo.string()) != SongFileResult::Done || app.song.programs.empty()) {
    state.SkipWithError("the demo song did not load");
    return false;
  }
  app.song.currentTrack = std::min(1, app.song.tracks.Count() - 1);
  return true;
}

// How many times real time one block per iteration is.
void CountRealTime(benchmark::State& state, const Studio& app) {
  const double seconds = static_cast<double>(app.ring.blockFrames) / app.rate.rateHz;
  state.counters["of real time"] =
      benchmark::Counter(seconds * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate |
                                                                                benchmark::Counter::kInvert);
}

void BM_HeldLiveVoices(benchmark::State& state) {
  bench::SilentDialogs dialogs;
  Studio app(dialogs);
  const auto voices = static_cast<int32_t>(state.range(0));
  if (!LoadDemo(app, voices, state)) return;
  const auto programs = static_cast<int32_t>(app.song.programs.size());
  // A held chord spread over the programs, a semitone apart from middle C.
  for (int32_t n = 0; n < voices; ++n) StartLiveNote(app, 2450 + 100 * n, n % programs, n);
  StandardRoutines run;
  for (auto _ : state) RenderLiveBlockWith(app, run);
  CountRealTime(state, app);
}
BENCHMARK(BM_HeldLiveVoices)->Arg(1)->Arg(4)->Arg(16)->Unit(benchmark::kMillisecond);

// What the song worker adds to each block for the held notes (the song's own mix is measured in song_bench).
void BM_PlayAlongVoices(benchmark::State& state) {
  bench::SilentDialogs dialogs;
  Studio app(dialogs);
  const auto voices = static_cast<int32_t>(state.range(0));
  if (!LoadDemo(app, voices, state)) return;
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
  CountRealTime(state, app);
}
BENCHMARK(BM_PlayAlongVoices)->Arg(16)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tonforge
