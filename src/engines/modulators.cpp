// Modulation and utility engines.
#include "engines/contract.h"
#include "engines/families.h"

namespace tonforge {

void ProcessAmplitudeModulation(Engine&, VoiceRef, int32_t, SampleContext&) {}
void ProcessAmplifier(Engine&, VoiceRef, int32_t, SampleContext&) {}
void ProcessPitchModulation(Engine&, VoiceRef, int32_t, SampleContext&) {}
void ProcessPitchShift(Engine&, VoiceRef, int32_t, SampleContext&) {}
void ProcessArpeggiator(Engine&, VoiceRef, int32_t, SampleContext&) {}
void ProcessPanningModulation(Engine&, VoiceRef, int32_t, SampleContext&) {}
void ProcessRandomPanning(Engine&, VoiceRef, int32_t, SampleContext&) {}
void ProcessPingPong(Engine&, VoiceRef, int32_t, SampleContext&) {}
void ProcessDistortion(Engine&, VoiceRef, int32_t, SampleContext&) {}
void ProcessClipper(Engine&, VoiceRef, int32_t, SampleContext&) {}
void ProcessPositor(Engine&, VoiceRef, int32_t, SampleContext&) {}
void ProcessSongSpeedModulator(Engine&, VoiceRef, int32_t, SampleContext&) {}

}  // namespace tonforge
