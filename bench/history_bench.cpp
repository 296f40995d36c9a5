// The undo history: the memory it holds after 1,000 edits of a song holding 20 MB of sample data, and the time
// of one undo on the demo song.
#include <benchmark/benchmark.h>

#include "audio/studio.h"
#include "bench_support.h"
#include "history/history.h"
#include "programs/program_list.h"
#include "sequencer/editing.h"
#include "sequencer/song.h"
#include "sequencer/song_file.h"
#include "sequencer/track_commands.h"

namespace tonforge {
namespace {

using bench::SilentDialogs;

const std::string kDemo = std::string(TONFORGE_SOURCE_DIR) + "/app/Songs/Demo.tes";

// The demo song with five more programs of a million samples each: 20 MB of sample data beside its own.
void LoadBigSong(Studio& app) {
  StartCore(app, "/");
  LoadSongFileAsNamed(app, kDemo);
  for (int i = 0; i < 5; ++i) {
    Engine& e = NewProgram(app)->engines[0];
    InitProgramEngine(e, static_cast<uint32_t>(EngineTypeId::BasicWave));
    e.slots[0].data = AllocateSamples(1'000'000);
    e.slots[0].length = 1'000'000;
    e.slots[0].loaded = 1;
  }
}

// Edits of every weight in turn: an event, a program's level, a track's level, an engine parameter.
void Edit(Studio& app, int n) {
  switch (n % 4) {
    case 0:
      SelectTrack(app, 1 + n % (app.song.tracks.Count() - 1));
      MoveCursorRight(app, 12);
      AddEvent(app);
      break;
    case 1: SetProgramLevel(app, n % 100); break;
    case 2: SetTrackLevel(app, n % 100); break;
    default:
      SetParameter(app.song.programs[static_cast<std::size_t>(n) % app.song.programs.size()]->engines[0], 0, n % 100);
      app.changes.Report(Change::Engine);
  }
}

void BM_HistoryOf1000Edits(benchmark::State& state) {
  for (auto _ : state) {
    SilentDialogs dialogs;
    Studio app(dialogs);
    LoadBigSong(app);
    History history;
    StartHistory(history, app);
    for (int n = 0; n < 1000; ++n) {
      Edit(app, n);
      FollowEdits(history, app);
    }
    state.counters["steps"] = static_cast<double>(history.at);
    state.counters["history_MiB"] = static_cast<double>(HistoryBytes(history, app)) / (1 << 20);
  }
}
BENCHMARK(BM_HistoryOf1000Edits)->Unit(benchmark::kMillisecond)->Iterations(1);

// One undo of a deleted event on the demo song (the redo that sets it up again is not timed).
void BM_UndoOnDemoSong(benchmark::State& state) {
  SilentDialogs dialogs;
  Studio app(dialogs);
  StartCore(app, "/");
  LoadSongFileAsNamed(app, kDemo);
  History history;
  StartHistory(history, app);
  SelectTrack(app, 2);
  DeleteSelectedEvent(app);
  FollowEdits(history, app);
  for (auto _ : state) {
    Undo(history, app);
    state.PauseTiming();
    Redo(history, app);
    state.ResumeTiming();
  }
}
BENCHMARK(BM_UndoOnDemoSong)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tonforge
