// Delays.
#include "engines/contract.h"
#include "engines/families.h"

namespace tonforge {

void ProcessStereoSpatializer(Engine&, VoiceRef, int32_t, SampleContext&) {}
void ProcessBasicDelay(Engine&, VoiceRef, int32_t, SampleContext&) {}
void ProcessCombFilter(Engine&, VoiceRef, int32_t, SampleContext&) {}
void ProcessSingleTapDelay(Engine&, VoiceRef, int32_t, SampleContext&) {}
void ProcessMultiTapDelay(Engine&, VoiceRef, int32_t, SampleContext&) {}
void ProcessVariableSpeedDelay(Engine&, VoiceRef, int32_t, SampleContext&) {}
void ProcessInverter(Engine&, VoiceRef, int32_t, SampleContext&) {}

}  // namespace tonforge
