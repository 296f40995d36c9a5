// Choruses and flanges.
#include "engines/contract.h"
#include "engines/families.h"

namespace tonforge {

void ProcessChorus(Engine&, VoiceRef, int32_t, SampleContext&) {}
void ProcessFlange(Engine&, VoiceRef, int32_t, SampleContext&) {}
void ProcessStereoChorus(Engine&, VoiceRef, int32_t, SampleContext&) {}
void ProcessStereoFlange(Engine&, VoiceRef, int32_t, SampleContext&) {}

}  // namespace tonforge
