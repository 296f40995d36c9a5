#include "audio/voice.h"

#include "engines/contract.h"

namespace tonforge {

SampleContext MakeSampleContext(Studio& studio) {
  SampleContext ctx;
  ctx.tables = &studio.tables;
  ctx.rate = &studio.rate;
  ctx.tempo = &studio.song.tempo;
  ctx.ticksPerBeat = &studio.song.ticksPerBeat;
  ctx.engineRandom = studio.random.engine;
  return ctx;
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

Frame16 MixSongSample(Studio& studio, SampleContext& ctx, uint32_t* clipped) {
  StandardRoutines run;
  return MixSongSampleWith(studio, ctx, clipped, run);
}

Frame16 MixSongSampleQuality(Studio& studio, SampleContext& ctx, uint32_t* clipped) {
  QualityRoutines run;
  return MixSongSampleWith(studio, ctx, clipped, run);
}

Frame16 MixLiveSample(Studio& studio, SampleContext& ctx) {
  StandardRoutines run;
  return MixLiveSampleWith(studio, ctx, run);
}

void AutoLevelProgram(Studio& studio) {
  const int32_t index = studio.song.currentProgram;
  if (index < 0 || index >= static_cast<int32_t>(studio.song.programs.size())) return;
  StandardRoutines run;
  AutoLevelProgramWith(studio, *studio.song.programs[index], run);
  studio.changes.Report(Change::Program);
}

}  // namespace tonforge
