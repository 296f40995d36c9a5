#include "engines/context.h"

namespace tonforge {

void SetOutputRate(OutputRate& rate, int32_t sampleRate, float tempo, int32_t ticksPerBeat) {
  const int32_t step = sampleRate == 22050 ? 2 : sampleRate == 11025 ? 4 : 1;
  rate.sampleRate = 44100 / step;
  rate.rateHz = static_cast<float>(rate.sampleRate);
  rate.rateFactor = static_cast<float>(step);
  rate.rateStep = step;
  UpdateBeatFigures(rate, tempo, ticksPerBeat);
}

void UpdateBeatFigures(OutputRate& rate, float tempo, int32_t ticksPerBeat) {
  rate.samplesPerBeat = rate.rateHz * 60.0f / tempo;
  rate.samplesPerTick = rate.samplesPerBeat / static_cast<float>(ticksPerBeat > 0 ? ticksPerBeat : 1);
}

}  // namespace tonforge
