#include "audio/voice.h"

#include "engines/contract.h"

namespace tonforge {

SampleContext MakeSampleContext(AppState& app) {
  SampleContext ctx;
  ctx.tables = &app.tables;
  ctx.rate = &app.rate;
  ctx.tempo = &app.song.tempo;
  ctx.ticksPerBeat = &app.song.ticksPerBeat;
  ctx.engineRandom = app.random.engine;
  return ctx;
}

int32_t UsedChainLength(const std::array<Engine, kChainLength>& chain) {
  for (int32_t p = kChainLength; p > 0; --p)
    if (chain[p - 1].type != 0) return p;
  return 0;
}


void LoadVoice(Program& voice, const PositionBuffers& buffers, const std::array<uint32_t, kChainLength>& bufferSize,
               const Program& program) {
  voice.level = program.level;
  voice.volume = program.volume;
  voice.volumeSlide = program.volumeSlide;
  voice.transpose = program.transpose;
  voice.pitchOffset = program.pitchOffset;
  voice.pitchSlide = program.pitchSlide;
  voice.pan = program.pan;
  voice.panSlide = program.panSlide;
  voice.engineCount = program.engineCount;
  for (int p = 0; p < kChainLength; ++p) {
    Engine& e = voice.engines[p];
    e = program.engines[p];
    e.left = buffers.left[p];
    e.right = buffers.right[p];
    if (!IsKnownType(e.type)) continue;
    const uint32_t needed = BuildEngineCatalog()[e.type].delayBufferLength;
    if (BuildEngineCatalog()[e.type].delayLineCount == 0) continue;
    if (!e.left || !e.right || bufferSize[p] < needed) {
      e.type = 0;
      continue;
    }
    std::fill_n(e.left.get(), needed, 0.0f);
    std::fill_n(e.right.get(), needed, 0.0f);
  }
}

void StepSilentModulators(Track& track, const OutputRate& rate) {
  const int32_t n = std::clamp(track.chainLength, 0, kChainLength);
  for (int32_t p = 0; p < n; ++p) {
    Engine& e = track.chain[p];
    const uint32_t slots = std::min<uint32_t>(e.loadedSlotCount, kDataSlotCount);
    for (uint32_t s = 0; s < slots; ++s) {
      DataSlot& slot = e.slots[s];
      if (static_cast<uint32_t>(slot.playPosition) < slot.length) AdvanceSlot(slot, rate);
    }
  }
}

Frame16 MixSongSample(AppState& app, SampleContext& ctx, uint32_t* clipped) {
  StandardRoutines run;
  return MixSongSampleWith(app, ctx, clipped, run);
}

Frame16 MixSongSampleQuality(AppState& app, SampleContext& ctx, uint32_t* clipped) {
  QualityRoutines run;
  return MixSongSampleWith(app, ctx, clipped, run);
}

Frame16 MixLiveSample(AppState& app, SampleContext& ctx) {
  StandardRoutines run;
  return MixLiveSampleWith(app, ctx, run);
}

void AutoLevelProgram(AppState& app) {
  const int32_t index = app.song.currentProgram;
  if (index < 0 || index >= static_cast<int32_t>(app.song.programs.size())) return;
  StandardRoutines run;
  AutoLevelProgramWith(app, *app.song.programs[index], run);
}

}  // namespace tonforge
