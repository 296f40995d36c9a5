// Filters.
#include "engines/contract.h"
#include "engines/families.h"

namespace tonforge {

void ProcessMoogVcf(Engine&, VoiceRef, int32_t, SampleContext&) {}
void ProcessLowPassFilter(Engine&, VoiceRef, int32_t, SampleContext&) {}
void ProcessHighPassFilter(Engine&, VoiceRef, int32_t, SampleContext&) {}
void ProcessBandPassFilter(Engine&, VoiceRef, int32_t, SampleContext&) {}
void ProcessBandExcludeFilter(Engine&, VoiceRef, int32_t, SampleContext&) {}
void ProcessLowShelfFilter(Engine&, VoiceRef, int32_t, SampleContext&) {}
void ProcessHighShelfFilter(Engine&, VoiceRef, int32_t, SampleContext&) {}
void ProcessPeakingFilter(Engine&, VoiceRef, int32_t, SampleContext&) {}

}  // namespace tonforge
