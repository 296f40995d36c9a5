#pragma once
// The routines of every engine type, one source file per family: a family file holds its types' catalog
// rows (family_rows.h), their preparation and their routines, with named parameter and working-word
// indices. All routines share ProcessEngine's arguments so the dispatch (dispatch.cpp) stays a plain switch.
//
// A type's maths is written as its per-sample routine; the block mix's loop, OverFrames<R>, calls it frame
// after frame with the routine inlined. A held type (TONFORGE_HELD_ROUTINE), one that weighs in a song's
// mix, has its loop written out as a run over frames with the state copied to locals (held_state.h):
// - where one sample as a run of one frame costs the same (the oscillators and the comb reverbs, measured
//   with bench/), the run is the only body and the routine is that run over one frame
//   (TONFORGE_HELD_RUN_ONLY);
// - the filters, the recirculating, comb, single- and multi-tap delays, the choruses and the flanges keep a per-sample routine beside their run
//   (TONFORGE_HELD_RUN): setting up the held state for a single frame costs them 1.3 to 3 times as much.
// The reference is frame after frame: ProcessEngine once per frame, as the live output and the channels
// with pitch controllers, arpeggiators or synchronisation run. ProcessEngineOver is tested against it bit
// for bit (EngineDispatch.RunsOverFramesAsFrameAfterFrame for every type, BlockMix for whole songs), which
// for a held type checks that the run keeps its state across stretches of any length.
#include "engines/engine.h"
#include "engines/over_frames.h"

namespace tonforge {

#define TONFORGE_ROUTINE(name)                                                     \
  void name(Engine& engine, VoiceRef voice, int32_t pitch, SampleContext& ctx); \
  TONFORGE_OVER_FRAMES_DECLARED(name)

// A routine whose block mix loop is written out by hand, with its state held in locals.
#define TONFORGE_HELD_ROUTINE(name)                                             \
  void name(Engine& engine, VoiceRef voice, int32_t pitch, SampleContext& ctx); \
  template <>                                                                   \
  void OverFrames<name>(Engine&, VoiceRef, int32_t, MixBus*, uint32_t, SampleContext&)

// Makes run(engine, pitch, frames, n, ctx) the block mix's loop of routine `name`.
#define TONFORGE_HELD_RUN(name, run)                                                                      \
  template <>                                                                                             \
  void OverFrames<name>(Engine & engine, VoiceRef, int32_t pitch, MixBus * frames, uint32_t n, SampleContext & ctx) { \
    run(engine, pitch, frames, n, ctx);                                                                   \
  }

// The same, and the routine `name` itself as a run of one frame: one body of maths for the type.
#define TONFORGE_HELD_RUN_ONLY(name, run)                                                                   \
  void name(Engine& engine, VoiceRef, int32_t pitch, SampleContext& ctx) { run(engine, pitch, &ctx.bus, 1, ctx); } \
  TONFORGE_HELD_RUN(name, run)

// Wave players (wave_players.cpp).
TONFORGE_ROUTINE(ProcessBasicWave);
TONFORGE_ROUTINE(ProcessMultisampledWave);
TONFORGE_ROUTINE(ProcessCombinedWave);
TONFORGE_ROUTINE(ProcessStereoWave);
TONFORGE_ROUTINE(ProcessBasicWaveQuality);
TONFORGE_ROUTINE(ProcessMultisampledWaveQuality);
TONFORGE_ROUTINE(ProcessCombinedWaveQuality);
TONFORGE_ROUTINE(ProcessStereoWaveQuality);

// Oscillators, noise and synchronisation (oscillators.cpp).
TONFORGE_HELD_ROUTINE(ProcessSineWaveGenerator);
TONFORGE_HELD_ROUTINE(ProcessCosineWaveGenerator);
TONFORGE_HELD_ROUTINE(ProcessDownSawGenerator);
TONFORGE_HELD_ROUTINE(ProcessUpSawGenerator);
TONFORGE_HELD_ROUTINE(ProcessPulseWaveGenerator);
TONFORGE_HELD_ROUTINE(ProcessInversePulseWaveGenerator);
TONFORGE_ROUTINE(ProcessDownSawGeneratorQuality);
TONFORGE_ROUTINE(ProcessUpSawGeneratorQuality);
TONFORGE_ROUTINE(ProcessPulseWaveGeneratorQuality);
TONFORGE_ROUTINE(ProcessInversePulseWaveGeneratorQuality);
TONFORGE_ROUTINE(ProcessWhiteNoiseGenerator);
TONFORGE_ROUTINE(ProcessOscillatorSynchronisation);

// Modulation and utilities (modulators.cpp).
TONFORGE_ROUTINE(ProcessAmplitudeModulation);
TONFORGE_ROUTINE(ProcessAmplifier);
TONFORGE_ROUTINE(ProcessPitchModulation);
TONFORGE_ROUTINE(ProcessPitchShift);
TONFORGE_ROUTINE(ProcessArpeggiator);
TONFORGE_ROUTINE(ProcessPanningModulation);
TONFORGE_ROUTINE(ProcessRandomPanning);
TONFORGE_ROUTINE(ProcessPingPong);
TONFORGE_ROUTINE(ProcessDistortion);
TONFORGE_ROUTINE(ProcessClipper);
TONFORGE_ROUTINE(ProcessPositor);
TONFORGE_ROUTINE(ProcessSongSpeedModulator);

// Filters (filters.cpp).
TONFORGE_ROUTINE(ProcessMoogVcf);
TONFORGE_HELD_ROUTINE(ProcessLowPassFilter);
TONFORGE_HELD_ROUTINE(ProcessHighPassFilter);
TONFORGE_HELD_ROUTINE(ProcessBandPassFilter);
TONFORGE_HELD_ROUTINE(ProcessBandExcludeFilter);
TONFORGE_HELD_ROUTINE(ProcessLowShelfFilter);
TONFORGE_HELD_ROUTINE(ProcessHighShelfFilter);
TONFORGE_HELD_ROUTINE(ProcessPeakingFilter);

// Delays (delays.cpp).
TONFORGE_ROUTINE(ProcessStereoSpatializer);
TONFORGE_HELD_ROUTINE(ProcessBasicDelay);
TONFORGE_HELD_ROUTINE(ProcessCombFilter);
TONFORGE_HELD_ROUTINE(ProcessSingleTapDelay);
TONFORGE_HELD_ROUTINE(ProcessMultiTapDelay);
TONFORGE_ROUTINE(ProcessVariableSpeedDelay);
TONFORGE_ROUTINE(ProcessInverter);

// Choruses and flanges (choruses.cpp).
TONFORGE_HELD_ROUTINE(ProcessChorus);
TONFORGE_HELD_ROUTINE(ProcessFlange);
TONFORGE_HELD_ROUTINE(ProcessStereoChorus);
TONFORGE_HELD_ROUTINE(ProcessStereoFlange);

// Reverbs (reverbs.cpp).
TONFORGE_HELD_ROUTINE(ProcessBasicReverb);
TONFORGE_HELD_ROUTINE(ProcessStereoReverbXY);
TONFORGE_HELD_ROUTINE(ProcessStereoReverbYX);
TONFORGE_ROUTINE(ProcessPlateReverb);
TONFORGE_HELD_ROUTINE(ProcessBasicReverbQuality);
TONFORGE_HELD_ROUTINE(ProcessStereoReverbXYQuality);
TONFORGE_HELD_ROUTINE(ProcessStereoReverbYXQuality);

#undef TONFORGE_ROUTINE
#undef TONFORGE_HELD_ROUTINE

}  // namespace tonforge
