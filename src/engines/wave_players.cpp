// Wave players: sample playback at the voice pitch.
#include "engines/contract.h"
#include "engines/families.h"

namespace tonforge {

void ProcessBasicWave(Engine&, VoiceRef, int32_t, SampleContext&) {}
void ProcessMultisampledWave(Engine&, VoiceRef, int32_t, SampleContext&) {}
void ProcessCombinedWave(Engine&, VoiceRef, int32_t, SampleContext&) {}
void ProcessStereoWave(Engine&, VoiceRef, int32_t, SampleContext&) {}
void ProcessBasicWaveQuality(Engine&, VoiceRef, int32_t, SampleContext&) {}
void ProcessMultisampledWaveQuality(Engine&, VoiceRef, int32_t, SampleContext&) {}
void ProcessCombinedWaveQuality(Engine&, VoiceRef, int32_t, SampleContext&) {}
void ProcessStereoWaveQuality(Engine&, VoiceRef, int32_t, SampleContext&) {}

}  // namespace tonforge
