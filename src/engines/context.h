#pragma once
// What the per-sample routines read and write besides their own Engine record.
#include <cstdint>

#include "shell/shared_value.h"
#include "shell/tables.h"

namespace tonforge {

struct MixBus {
  float left = 0.0f;
  float right = 0.0f;
};

// The song's tempo range in beats per minute: tempo events, slides, loaded songs and the Song Speed Modulator
// all stay inside it.
inline constexpr float kMinTempo = 1.0f;
inline constexpr float kMaxTempo = 1000.0f;

// The output rate and the beat figures that follow the tempo.
struct OutputRate {
  int32_t sampleRate = 44100;
  float rateHz = 44100.0f;
  float rateFactor = 1.0f;  // 1, 2 or 4 for 44100, 22050, 11025 Hz
  int32_t rateStep = 1;
  float samplesPerBeat = 22050.0f;
  float samplesPerTick = 459.375f;
};

// The three rates the output runs at.
inline constexpr bool IsOutputRate(int64_t sampleRate) {
  return sampleRate == 11025 || sampleRate == 22050 || sampleRate == 44100;
}

// Sets the rate figures for 44100, 22050 or 11025 Hz and recomputes the beat figures from the tempo.
void SetOutputRate(OutputRate& rate, int32_t sampleRate, float tempo, int32_t ticksPerBeat);
// samples per beat = rate * 60 / tempo; samples per tick = that / ticks per beat.
void UpdateBeatFigures(OutputRate& rate, float tempo, int32_t ticksPerBeat);

// The per-sample context: one per audio thread at a time. It refers to the tables, the rate and the song
// tempo that live in the Session, and carries the MixBus and the engine random state.
struct SampleContext {
  MixBus bus;
  uint32_t engineRandom = 0;
  const Tables* tables = nullptr;
  OutputRate* rate = nullptr;
  float* tempo = nullptr;              // written only by the song speed modulator
  const Shared<int32_t>* ticksPerBeat = nullptr;
};

}  // namespace tonforge
