// Reverbs.
#include "engines/contract.h"
#include "engines/families.h"

#include <cmath>

namespace tonforge {

void PrepareStereoReverb(Engine& e, const OutputRate& rate) {
  // The low-pass after the combs: the Low Pass Filter's coefficients from "LPF Cutoff" and "LPF Q".
  const float f = std::clamp(e.F[1] * e.F[1] * rate.rateFactor, 0.0001f, 0.999f);
  const float w = static_cast<float>(M_PI) * f;
  const float alpha = std::sin(w) / (16.0f * e.F[2]);
  const float a0 = 1.0f + alpha;
  const float cw = std::cos(w);
  e.W[8].f = (1.0f - cw) / (2.0f * a0);
  e.W[9].f = (1.0f - cw) / a0;
  e.W[10].f = e.W[8].f;
  e.W[11].f = -2.0f * cw / a0;
  e.W[12].f = (1.0f - alpha) / a0;
}

void PreparePlateReverb(Engine& e, const OutputRate& rate) {
  const float r = rate.rateFactor;
  auto plate = [&](int k) { return static_cast<int32_t>((e.F[k] * 100.0f + 0.002f) / r); };
  e.W[6].i = plate(0);
  e.W[7].i = plate(1) + 1;
  e.W[8].i = plate(2);
  e.W[9].i = plate(3) + 1;
  e.W[10].i = e.W[6].i + 1;
  e.W[11].i = e.W[7].i - 1;
  e.W[12].i = e.W[8].i + 1;
  e.W[13].i = e.W[9].i - 1;
  const double t = std::atan(0.6283185482025146 * r);
  const double k = (1.0 - t) / (1.0 + t);
  e.W[4].f = static_cast<float>((1.0 - k) * 0.5);
  e.W[5].f = static_cast<float>(k);
}

void ProcessBasicReverb(Engine&, VoiceRef, int32_t, SampleContext&) {}
void ProcessStereoReverbXY(Engine&, VoiceRef, int32_t, SampleContext&) {}
void ProcessStereoReverbYX(Engine&, VoiceRef, int32_t, SampleContext&) {}
void ProcessPlateReverb(Engine&, VoiceRef, int32_t, SampleContext&) {}
void ProcessBasicReverbQuality(Engine&, VoiceRef, int32_t, SampleContext&) {}
void ProcessStereoReverbXYQuality(Engine&, VoiceRef, int32_t, SampleContext&) {}
void ProcessStereoReverbYXQuality(Engine&, VoiceRef, int32_t, SampleContext&) {}

}  // namespace tonforge
