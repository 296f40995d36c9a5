#include "engines/families.h"

namespace tonforge {

namespace {

void ProcessThru(Engine&, VoiceRef, int32_t, SampleContext&) {}

using T = EngineTypeId;

// Calls with<R>() for the standard routine R of the type, inlined so that the dispatch stays one switch. No
// default: -Werror=switch refuses a build that leaves a type out.
template <class With>
[[gnu::always_inline]] inline void WithStandardRoutine(uint32_t type, With&& with) {
  switch (static_cast<T>(type)) {
    case T::Thru: return with.template operator()<ProcessThru>();
    case T::BasicWave: return with.template operator()<ProcessBasicWave>();
    case T::MultisampledWave: return with.template operator()<ProcessMultisampledWave>();
    case T::CombinedWave: return with.template operator()<ProcessCombinedWave>();
    case T::StereoWave: return with.template operator()<ProcessStereoWave>();
    case T::SineWaveGenerator: return with.template operator()<ProcessSineWaveGenerator>();
    case T::CosineWaveGenerator: return with.template operator()<ProcessCosineWaveGenerator>();
    case T::DownSawGenerator: return with.template operator()<ProcessDownSawGenerator>();
    case T::UpSawGenerator: return with.template operator()<ProcessUpSawGenerator>();
    case T::PulseWaveGenerator: return with.template operator()<ProcessPulseWaveGenerator>();
    case T::InversePulseWaveGenerator: return with.template operator()<ProcessInversePulseWaveGenerator>();
    case T::WhiteNoiseGenerator: return with.template operator()<ProcessWhiteNoiseGenerator>();
    case T::OscillatorSynchronisation: return with.template operator()<ProcessOscillatorSynchronisation>();
    case T::AmplitudeModulation: return with.template operator()<ProcessAmplitudeModulation>();
    case T::Amplifier: return with.template operator()<ProcessAmplifier>();
    case T::PitchModulation: return with.template operator()<ProcessPitchModulation>();
    case T::PitchShift: return with.template operator()<ProcessPitchShift>();
    case T::Arpeggiator: return with.template operator()<ProcessArpeggiator>();
    case T::PanningModulation: return with.template operator()<ProcessPanningModulation>();
    case T::RandomPanning: return with.template operator()<ProcessRandomPanning>();
    case T::PingPong: return with.template operator()<ProcessPingPong>();
    case T::StereoSpatializer: return with.template operator()<ProcessStereoSpatializer>();
    case T::MoogVcf: return with.template operator()<ProcessMoogVcf>();
    case T::LowPassFilter: return with.template operator()<ProcessLowPassFilter>();
    case T::HighPassFilter: return with.template operator()<ProcessHighPassFilter>();
    case T::BandPassFilter: return with.template operator()<ProcessBandPassFilter>();
    case T::BandExcludeFilter: return with.template operator()<ProcessBandExcludeFilter>();
    case T::LowShelfFilter: return with.template operator()<ProcessLowShelfFilter>();
    case T::HighShelfFilter: return with.template operator()<ProcessHighShelfFilter>();
    case T::PeakingFilter: return with.template operator()<ProcessPeakingFilter>();
    case T::BasicDelay: return with.template operator()<ProcessBasicDelay>();
    case T::CombFilter: return with.template operator()<ProcessCombFilter>();
    case T::SingleTapDelay: return with.template operator()<ProcessSingleTapDelay>();
    case T::MultiTapDelay: return with.template operator()<ProcessMultiTapDelay>();
    case T::VariableSpeedDelay: return with.template operator()<ProcessVariableSpeedDelay>();
    case T::BasicReverb: return with.template operator()<ProcessBasicReverb>();
    case T::StereoReverbXY: return with.template operator()<ProcessStereoReverbXY>();
    case T::StereoReverbYX: return with.template operator()<ProcessStereoReverbYX>();
    case T::PlateReverb: return with.template operator()<ProcessPlateReverb>();
    case T::Chorus: return with.template operator()<ProcessChorus>();
    case T::Flange: return with.template operator()<ProcessFlange>();
    case T::Distortion: return with.template operator()<ProcessDistortion>();
    case T::Clipper: return with.template operator()<ProcessClipper>();
    case T::Positor: return with.template operator()<ProcessPositor>();
    case T::Inverter: return with.template operator()<ProcessInverter>();
    case T::SongSpeedModulator: return with.template operator()<ProcessSongSpeedModulator>();
    case T::StereoChorus: return with.template operator()<ProcessStereoChorus>();
    case T::StereoFlange: return with.template operator()<ProcessStereoFlange>();
  }
}

// The same with the interpolating routines where a type has one; false where it has none.
template <class With>
[[gnu::always_inline]] inline bool WithQualityRoutine(uint32_t type, With&& with) {
  switch (static_cast<T>(type)) {
    case T::BasicWave: return with.template operator()<ProcessBasicWaveQuality>(), true;
    case T::MultisampledWave: return with.template operator()<ProcessMultisampledWaveQuality>(), true;
    case T::CombinedWave: return with.template operator()<ProcessCombinedWaveQuality>(), true;
    case T::StereoWave: return with.template operator()<ProcessStereoWaveQuality>(), true;
    case T::DownSawGenerator: return with.template operator()<ProcessDownSawGeneratorQuality>(), true;
    case T::UpSawGenerator: return with.template operator()<ProcessUpSawGeneratorQuality>(), true;
    case T::PulseWaveGenerator: return with.template operator()<ProcessPulseWaveGeneratorQuality>(), true;
    case T::InversePulseWaveGenerator: return with.template operator()<ProcessInversePulseWaveGeneratorQuality>(), true;
    case T::BasicReverb: return with.template operator()<ProcessBasicReverbQuality>(), true;
    case T::StereoReverbXY: return with.template operator()<ProcessStereoReverbXYQuality>(), true;
    case T::StereoReverbYX: return with.template operator()<ProcessStereoReverbYXQuality>(), true;
    default: return false;
  }
}

}  // namespace

void ProcessEngine(Engine& e, VoiceRef v, int32_t p, SampleContext& c) {
  if (e.type >= kEngineTypeCount) return;
  WithStandardRoutine(e.type, [&]<Routine R>() { R(e, v, p, c); });
}

void ProcessEngineQuality(Engine& e, VoiceRef v, int32_t p, SampleContext& c) {
  if (!WithQualityRoutine(e.type, [&]<Routine R>() { R(e, v, p, c); })) ProcessEngine(e, v, p, c);
}

void ProcessEngineOver(Engine& e, VoiceRef v, int32_t p, MixBus* frames, uint32_t n, SampleContext& c) {
  if (e.type >= kEngineTypeCount || e.type == static_cast<uint32_t>(T::Thru)) return;
  WithStandardRoutine(e.type, [&]<Routine R>() { OverFrames<R>(e, v, p, frames, n, c); });
}

void ProcessEngineOverQuality(Engine& e, VoiceRef v, int32_t p, MixBus* frames, uint32_t n, SampleContext& c) {
  if (!WithQualityRoutine(e.type, [&]<Routine R>() { OverFrames<R>(e, v, p, frames, n, c); }))
    ProcessEngineOver(e, v, p, frames, n, c);
}

}  // namespace tonforge
