// Throughput of the program file images and the sound file import, in bytes or frames of file per second.
#include <benchmark/benchmark.h>

#include "bench_support.h"

#include "programs/program_file.h"
#include "programs/wave_import.h"

namespace tonforge {
namespace {

using bench::SilentDialogs;

// A program of nine modulated engines, each slot holding `samples` samples.
Program MakeProgram(uint32_t samples) {
  Program p;
  for (Engine& e : p.engines) {
    InitProgramEngine(e, static_cast<uint32_t>(EngineTypeId::AmplitudeModulation));
    for (DataSlot& s : e.slots) {
      s.data = AllocateSamples(samples);
      for (uint32_t i = 0; i < samples; ++i) s.data[i] = static_cast<float>(i % 200) * 0.005f - 0.5f;
      s.length = samples;
      s.loaded = 1;
      s.loopEnd = samples - 1;
    }
    e.loadedSlotCount = kDataSlotCount;
  }
  return p;
}

void BM_EncodeProgramFile(benchmark::State& state) {
  const Program p = MakeProgram(static_cast<uint32_t>(state.range(0)));
  std::size_t bytes = 0;
  for (auto _ : state) {
    auto image = EncodeProgramFile(p);
    bytes = image.size();
    benchmark::DoNotOptimize(image.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_EncodeProgramFile)->Arg(0)->Arg(44100);

void BM_DecodeProgramFile(benchmark::State& state) {
  const auto image = EncodeProgramFile(MakeProgram(static_cast<uint32_t>(state.range(0))));
  SilentDialogs dialogs;
  for (auto _ : state) {
    auto decoded = DecodeProgramFile(image, kLevelProgram, dialogs);
    benchmark::DoNotOptimize(decoded);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * image.size()));
}
BENCHMARK(BM_DecodeProgramFile)->Arg(0)->Arg(44100);

// A 16-bit PCM WAV of `frames` frames of `channels` channels at `rate`; sample(i) gives the i-th sample.
template <class Sample>
std::vector<uint8_t> PcmWave(uint32_t rate, uint16_t channels, uint32_t frames, Sample sample) {
  std::vector<uint8_t> file;
  const auto put = [&file](uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) file.push_back(static_cast<uint8_t>(v >> (8 * i)));
  };
  const auto id = [&file](const char* four) { file.insert(file.end(), four, four + 4); };
  const uint32_t size = frames * channels * 2;
  id("RIFF"), put(36 + size, 4), id("WAVE"), id("fmt "), put(16, 4);
  put(1, 2), put(channels, 2), put(rate, 4), put(rate * channels * 2, 4), put(channels * 2, 2), put(16, 2);
  id("data"), put(size, 4);
  for (uint32_t i = 0; i < frames * channels; ++i) put(sample(i), 2);
  return file;
}

// Imports the file into a Basic Wave's first slot once per iteration.
void ImportRepeatedly(benchmark::State& state, const std::vector<uint8_t>& file) {
  SilentDialogs dialogs;
  Engine e;
  InitProgramEngine(e, static_cast<uint32_t>(EngineTypeId::BasicWave));
  for (auto _ : state) {
    const bool ok = ImportWave(e, 0, file, "bench.wav", false, dialogs);
    benchmark::DoNotOptimize(ok);
  }
}

void BM_ImportWave(benchmark::State& state) {
  const auto samples = static_cast<uint32_t>(state.range(0));
  const std::vector<uint8_t> file =
      PcmWave(44100, 1, samples, [](uint32_t i) { return static_cast<uint16_t>((i * 977) % 20000); });
  ImportRepeatedly(state, file);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * file.size()));
}
BENCHMARK(BM_ImportWave)->Arg(44100)->Arg(441000);

// A 48000 Hz 16-bit stereo WAV of `frames` frames through libsndfile, mixed down and converted to 44100 Hz with
// the best sinc converter: the import of a file not in the slot's own format. Items are the file's frames.
void BM_ImportConvertedSound(benchmark::State& state) {
  const auto frames = static_cast<uint32_t>(state.range(0));
  const std::vector<uint8_t> file =
      PcmWave(48000, 2, frames, [](uint32_t i) { return static_cast<uint16_t>((i * 977) % 20000); });
  ImportRepeatedly(state, file);
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * frames));
}
BENCHMARK(BM_ImportConvertedSound)->Arg(48000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tonforge
