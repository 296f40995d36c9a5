#include "engines/engine.h"

#include <algorithm>
#include <cmath>

#include "engines/contract.h"
#include "engines/families.h"
#include "shell/show_error.h"

namespace tonforge {

namespace {

// The parts of initialisation that program and track engines share: a zeroed record with the type's
// defaults and delay-line figures, but no buffers.
void InitRecord(Engine& e, uint32_t type) {
  e = Engine{};
  e.type = type;
  const EngineType& t = BuildEngineCatalog()[type];
  e.delayLineCount = t.delayLineCount;
  e.bufferLength = t.delayBufferLength;
  LayOutDelayLines(e);
  for (int k = 0; k < kParameterCount; ++k) SetParameter(e, k, t.parameters[k].defaultValue);
  for (int g = 0; g < kOptionCount; ++g) e.options[g] = t.options[g].defaultValue;
  for (DataSlot& s : e.slots) {
    s.gain = 1.0f;
    s.rootOrRate.i = kDefaultRootPitch;
    s.upperPitch = kHighestPitch;
  }
}

}  // namespace

void SetParameter(Engine& e, int k, int32_t value) {
  e.F[k] = static_cast<float>(static_cast<double>(value) * static_cast<double>(0.01f));
  e.C[k] = 1.0f - e.F[k];
}

void LayOutDelayLines(Engine& e) {
  e.lineLength = e.delayLineCount != 0 ? e.bufferLength / e.delayLineCount : 0;
  for (uint32_t i = 0; i < kMaxDelayLines; ++i) {
    const bool used = i < e.delayLineCount;
    e.lineStart[i] = used ? i * e.lineLength : 0;
    e.lineEnd[i] = used ? e.lineStart[i] + e.lineLength : 0;
    e.linePosition[i] = e.lineStart[i];
  }
}

void InitProgramEngine(Engine& e, uint32_t type) { InitRecord(e, IsKnownType(type) ? type : 0); }

bool InitTrackEngine(Engine& e, uint32_t type, Dialogs& dialogs) {
  InitRecord(e, IsKnownType(type) ? type : 0);
  if (e.delayLineCount != 0) {
    e.left = AllocateSamples(e.bufferLength);
    if (e.left) e.right = AllocateSamples(e.bufferLength);
    if (!e.left || !e.right) {
      ShowError(dialogs, "Out Of Memory - Cannot Initialise Track Engine");
      e.left.reset();
      e.right.reset();
      e.type = 0;
      e.delayLineCount = 0;
      e.bufferLength = 0;
      LayOutDelayLines(e);
      return false;
    }
  }
  ClearEngineBuffers(e);
  return true;
}

void ReleaseTrackEngine(Engine& e) {
  if (e.delayLineCount != 0) {
    e.left.reset();
    e.right.reset();
    e.delayLineCount = 0;
    e.bufferLength = 0;
    e.lineLength = 0;
    e.linePosition.fill(0);
  }
  for (DataSlot& s : e.slots) {
    if (s.loaded != 0) {
      s.data.reset();
      s.loaded = 0;
    }
  }
}

void ClearEngineBuffers(Engine& e) {
  if (e.left) std::fill_n(e.left.get(), e.bufferLength, 0.0f);
  if (e.right) std::fill_n(e.right.get(), e.bufferLength, 0.0f);
}

void PrepareEngine(Engine& e, const OutputRate& rate) {
  std::fill_n(e.W.begin(), 8, Word{});
  using T = EngineTypeId;
  if (!IsKnownType(e.type)) return;
  switch (static_cast<T>(e.type)) {
    case T::SineWaveGenerator:
      e.W[0].f = e.F[1];
      e.W[2].i = kDefaultRootPitch - ParameterInteger(e.F[0]);
      break;
    case T::CosineWaveGenerator:
      e.W[1].f = e.F[1];
      e.W[2].i = kDefaultRootPitch - ParameterInteger(e.F[0]);
      break;
    case T::DownSawGenerator:
    case T::UpSawGenerator:
    case T::PulseWaveGenerator:
    case T::InversePulseWaveGenerator:
      e.W[1].i = 1950 - ParameterInteger(e.F[0]);
      break;
    case T::OscillatorSynchronisation:
      e.W[0].i = static_cast<int32_t>(e.F[0] * 100.0f + 0.002f - 1.0f);
      break;
    case T::PitchModulation:
      e.W[0].f = static_cast<float>(static_cast<int32_t>(e.F[2] * 10000.0f + 0.002f));
      break;
    case T::PitchShift:
      e.W[0].i = ParameterInteger(e.F[0]);
      break;
    case T::Arpeggiator:
      for (int k = 0; k < 5; ++k) e.W[k].i = ParameterInteger(e.F[k]);
      break;
    case T::RandomPanning:
    case T::PingPong:
      e.W[0].i = MsToSamples(e.F[0], rate);
      break;
    case T::StereoSpatializer:
      e.W[0].i = MsToSamples(e.F[0], rate);
      e.W[1].i = MsToSamples(e.F[1], rate);
      break;
    case T::MoogVcf:
    case T::LowPassFilter:
    case T::HighPassFilter:
    case T::BandPassFilter:
    case T::BandExcludeFilter:
    case T::LowShelfFilter:
    case T::HighShelfFilter:
    case T::PeakingFilter:
      e.W[13].i = 999;  // no computed cutoff has this bit pattern, so the first sample recomputes
      break;
    case T::BasicDelay:
    case T::CombFilter:
    case T::SingleTapDelay: {
      const int second = e.type == static_cast<uint32_t>(T::SingleTapDelay) ? 1 : 2;
      const bool ticks = e.options[0] != 0;
      e.W[0].i = ticks ? TicksToSamples(e.F[0], rate) : MsToSamples(e.F[0], rate);
      e.W[1].i = ticks ? TicksToSamples(e.F[second], rate) : MsToSamples(e.F[second], rate);
      break;
    }
    case T::MultiTapDelay:
      e.W[0].i = MsToSamples(e.F[0], rate);
      e.W[1].i = MsToSamples(e.F[2], rate);
      e.W[2].i = MsToSamples(e.F[4], rate);
      break;
    case T::VariableSpeedDelay:
      e.W[1].f = e.options[0] == 0 ? e.F[1].Load() : 1.0f / e.F[1];
      break;
    case T::StereoReverbXY:
    case T::StereoReverbYX:
      PrepareStereoReverb(e, rate);
      break;
    case T::PlateReverb:
      PreparePlateReverb(e, rate);
      break;
    case T::Distortion:
      e.W[0].f = std::pow(200.0f, e.F[0]);
      break;
    case T::Inverter:
      e.W[0].i = ParameterInteger(e.F[0]) * (5 - rate.rateStep);
      break;
    case T::Thru:
    case T::BasicWave:
    case T::MultisampledWave:
    case T::CombinedWave:
    case T::StereoWave:
    case T::WhiteNoiseGenerator:
    case T::AmplitudeModulation:
    case T::Amplifier:
    case T::PanningModulation:
    case T::BasicReverb:
    case T::Chorus:
    case T::Flange:
    case T::Clipper:
    case T::Positor:
    case T::SongSpeedModulator:
    case T::StereoChorus:
    case T::StereoFlange:
      break;
  }
}

}  // namespace tonforge
