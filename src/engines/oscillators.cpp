// Oscillators, white noise and oscillator synchronisation.
#include "engines/contract.h"
#include "engines/families.h"

namespace tonforge {

void ProcessSineWaveGenerator(Engine&, VoiceRef, int32_t, SampleContext&) {}
void ProcessCosineWaveGenerator(Engine&, VoiceRef, int32_t, SampleContext&) {}
void ProcessDownSawGenerator(Engine&, VoiceRef, int32_t, SampleContext&) {}
void ProcessUpSawGenerator(Engine&, VoiceRef, int32_t, SampleContext&) {}
void ProcessPulseWaveGenerator(Engine&, VoiceRef, int32_t, SampleContext&) {}
void ProcessInversePulseWaveGenerator(Engine&, VoiceRef, int32_t, SampleContext&) {}
void ProcessDownSawGeneratorQuality(Engine&, VoiceRef, int32_t, SampleContext&) {}
void ProcessUpSawGeneratorQuality(Engine&, VoiceRef, int32_t, SampleContext&) {}
void ProcessPulseWaveGeneratorQuality(Engine&, VoiceRef, int32_t, SampleContext&) {}
void ProcessInversePulseWaveGeneratorQuality(Engine&, VoiceRef, int32_t, SampleContext&) {}
void ProcessWhiteNoiseGenerator(Engine&, VoiceRef, int32_t, SampleContext&) {}
void ProcessOscillatorSynchronisation(Engine&, VoiceRef, int32_t, SampleContext&) {}

}  // namespace tonforge
