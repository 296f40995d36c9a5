// Whole-song render speed as a multiple of real time. The reference song: every track plays a note on every
// beat through one of four programs (an Up Saw, a Pulse Wave, a Sine Wave and an Up Saw again), each through a
// Low Pass Filter swept by one modulator and a Chorus moved by two, into a Basic Delay on the track; the song
// chain holds a Stereo Reverb XY. Measured with 1, 4, 16 and 64 tracks, with the standard engine routines
// (playback) and the interpolating ones (high-quality render), frame by frame, in tick-bounded stretches
// channel by channel and in stretches with channels in vector lanes, on one thread and on every core, side by
// side in one run. Times are wall-clock times, since the block mix
// spreads its work over threads.
#include <benchmark/benchmark.h>

#include "bench_support.h"

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

using bench::SilentDialogs;

constexpr int32_t kBeats = 2000;
constexpr int32_t kTicksPerBeat = 48;
constexpr uint32_t kModulatorLength = 4410;

uint32_t TypeOf(EngineTypeId t) { return static_cast<uint32_t>(t); }

void AddEvent(Track& t, Event*& last, int32_t tick, EventType type, int32_t a = 0, int32_t b = 0) {
  last = t.events.InsertAfter(last, {tick, static_cast<int32_t>(type), a, b});
  ++t.eventCount;
}

// A looped sine sweep in slot s, as a modulator import would leave it.
void LoadSweep(Engine& e, int s) {
  DataSlot& slot = e.slots[s];
  slot.data = AllocateSamples(kModulatorLength);
  for (uint32_t i = 0; i < kModulatorLength; ++i)
    slot.data[i] = 0.4f * static_cast<float>(std::sin(2.0 * M_PI * i / kModulatorLength));
  slot.length = kModulatorLength;
  slot.loaded = 1;
  slot.looped = 1;
  slot.loopEnd = kModulatorLength - 1;
  slot.rootOrRate.f = static_cast<float>(kModulatorLength) * 2.2675738e-6f * static_cast<float>(1 + s);
  e.loadedSlotCount = static_cast<uint32_t>(s + 1);
}

std::unique_ptr<Studio> ReferenceSong(SilentDialogs& dialogs, int32_t trackCount) {
  auto app = std::make_unique<Studio>(dialogs);
  StartCore(*app, ".");
  Song& song = app->song;
  song.seed = 77;

  for (const EngineTypeId source : {EngineTypeId::UpSawGenerator, EngineTypeId::PulseWaveGenerator,
                                    EngineTypeId::SineWaveGenerator, EngineTypeId::UpSawGenerator}) {
    auto program = std::make_unique<Program>();
    for (Engine& e : program->engines) InitProgramEngine(e, 0);
    InitProgramEngine(program->engines[0], TypeOf(source));
    InitProgramEngine(program->engines[1], TypeOf(EngineTypeId::LowPassFilter));
    SetParameter(program->engines[1], 0, 40);
    SetParameter(program->engines[1], 1, 30);
    LoadSweep(program->engines[1], 0);
    InitProgramEngine(program->engines[2], TypeOf(EngineTypeId::Chorus));
    LoadSweep(program->engines[2], 0);
    LoadSweep(program->engines[2], 1);
    program->level = 0.1f;
    for (int p = 0; p < kChainLength; ++p)
      song.positionBufferSize[p] = std::max(song.positionBufferSize[p], program->engines[p].bufferLength);
    song.programs.push_back(std::move(program));
  }

  for (int32_t n = 0; n <= trackCount; ++n) {
    auto t = std::make_unique<Track>();
    t->seed = 1 + static_cast<uint32_t>(n);
    for (Engine& e : t->chain) InitTrackEngine(e, 0, dialogs);
    Event* last = nullptr;
    if (n == 0) {
      std::copy_n("Song", 4, t->name.begin());
      InitTrackEngine(t->chain[0], TypeOf(EngineTypeId::StereoReverbXY), dialogs);
      AddEvent(*t, last, 0, EventType::Tempo, 120);
    } else {
      InitTrackEngine(t->chain[0], TypeOf(EngineTypeId::BasicDelay), dialogs);
      for (int p = 0; p < kChainLength; ++p) {
        if (song.positionBufferSize[p] == 0) continue;
        t->voiceBuffers.left[p] = AllocateSamples(song.positionBufferSize[p]);
        t->voiceBuffers.right[p] = AllocateSamples(song.positionBufferSize[p]);
      }
      for (int32_t beat = 0; beat < kBeats; ++beat)
        AddEvent(*t, last, beat * kTicksPerBeat, EventType::NoteOn, 1850 + 100 * ((beat + n) % 24), n % 4);
    }
    song.tracks.Insert(n, std::move(t));
  }
  PrepareSongStart(*app);
  return app;
}

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
  const int32_t lastTick = (kBeats - 1) * kTicksPerBeat;
  int64_t frames = 0;
  Frame16 out[kMaxStretch];
  for (auto _ : state) {
    if (app->currentTick >= lastTick) PrepareSongStart(*app);  // keep every track playing notes
    for (uint32_t f = 0; f < 4096;) {
      const Stretch s = StepStretchClock(*app, std::min(4096 - f, kMaxStretch), false);
      if (quality)
        MixStretchQuality(*app, ctx, s.frames, out, nullptr);
      else
        MixStretch(*app, ctx, s.frames, out);
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
