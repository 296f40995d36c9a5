#include "engines/families.h"

namespace tonforge {

void ProcessEngine(Engine& e, VoiceRef v, int32_t p, SampleContext& c) {
  if (e.type >= kEngineTypeCount) return;
  using T = EngineTypeId;
  // No default: -Werror=switch refuses a build that leaves a type out.
  switch (static_cast<T>(e.type)) {
    case T::Thru: return;
    case T::BasicWave: return ProcessBasicWave(e, v, p, c);
    case T::MultisampledWave: return ProcessMultisampledWave(e, v, p, c);
    case T::CombinedWave: return ProcessCombinedWave(e, v, p, c);
    case T::StereoWave: return ProcessStereoWave(e, v, p, c);
    case T::SineWaveGenerator: return ProcessSineWaveGenerator(e, v, p, c);
    case T::CosineWaveGenerator: return ProcessCosineWaveGenerator(e, v, p, c);
    case T::DownSawGenerator: return ProcessDownSawGenerator(e, v, p, c);
    case T::UpSawGenerator: return ProcessUpSawGenerator(e, v, p, c);
    case T::PulseWaveGenerator: return ProcessPulseWaveGenerator(e, v, p, c);
    case T::InversePulseWaveGenerator: return ProcessInversePulseWaveGenerator(e, v, p, c);
    case T::WhiteNoiseGenerator: return ProcessWhiteNoiseGenerator(e, v, p, c);
    case T::OscillatorSynchronisation: return ProcessOscillatorSynchronisation(e, v, p, c);
    case T::AmplitudeModulation: return ProcessAmplitudeModulation(e, v, p, c);
    case T::Amplifier: return ProcessAmplifier(e, v, p, c);
    case T::PitchModulation: return ProcessPitchModulation(e, v, p, c);
    case T::PitchShift: return ProcessPitchShift(e, v, p, c);
    case T::Arpeggiator: return ProcessArpeggiator(e, v, p, c);
    case T::PanningModulation: return ProcessPanningModulation(e, v, p, c);
    case T::RandomPanning: return ProcessRandomPanning(e, v, p, c);
    case T::PingPong: return ProcessPingPong(e, v, p, c);
    case T::StereoSpatializer: return ProcessStereoSpatializer(e, v, p, c);
    case T::MoogVcf: return ProcessMoogVcf(e, v, p, c);
    case T::LowPassFilter: return ProcessLowPassFilter(e, v, p, c);
    case T::HighPassFilter: return ProcessHighPassFilter(e, v, p, c);
    case T::BandPassFilter: return ProcessBandPassFilter(e, v, p, c);
    case T::BandExcludeFilter: return ProcessBandExcludeFilter(e, v, p, c);
    case T::LowShelfFilter: return ProcessLowShelfFilter(e, v, p, c);
    case T::HighShelfFilter: return ProcessHighShelfFilter(e, v, p, c);
    case T::PeakingFilter: return ProcessPeakingFilter(e, v, p, c);
    case T::BasicDelay: return ProcessBasicDelay(e, v, p, c);
    case T::CombFilter: return ProcessCombFilter(e, v, p, c);
    case T::SingleTapDelay: return ProcessSingleTapDelay(e, v, p, c);
    case T::MultiTapDelay: return ProcessMultiTapDelay(e, v, p, c);
    case T::VariableSpeedDelay: return ProcessVariableSpeedDelay(e, v, p, c);
    case T::BasicReverb: return ProcessBasicReverb(e, v, p, c);
    case T::StereoReverbXY: return ProcessStereoReverbXY(e, v, p, c);
    case T::StereoReverbYX: return ProcessStereoReverbYX(e, v, p, c);
    case T::PlateReverb: return ProcessPlateReverb(e, v, p, c);
    case T::Chorus: return ProcessChorus(e, v, p, c);
    case T::Flange: return ProcessFlange(e, v, p, c);
    case T::Distortion: return ProcessDistortion(e, v, p, c);
    case T::Clipper: return ProcessClipper(e, v, p, c);
    case T::Positor: return ProcessPositor(e, v, p, c);
    case T::Inverter: return ProcessInverter(e, v, p, c);
    case T::SongSpeedModulator: return ProcessSongSpeedModulator(e, v, p, c);
    case T::StereoChorus: return ProcessStereoChorus(e, v, p, c);
    case T::StereoFlange: return ProcessStereoFlange(e, v, p, c);
  }
}

void ProcessEngineQuality(Engine& e, VoiceRef v, int32_t p, SampleContext& c) {
  using T = EngineTypeId;
  switch (static_cast<T>(e.type)) {
    case T::BasicWave: return ProcessBasicWaveQuality(e, v, p, c);
    case T::MultisampledWave: return ProcessMultisampledWaveQuality(e, v, p, c);
    case T::CombinedWave: return ProcessCombinedWaveQuality(e, v, p, c);
    case T::StereoWave: return ProcessStereoWaveQuality(e, v, p, c);
    case T::DownSawGenerator: return ProcessDownSawGeneratorQuality(e, v, p, c);
    case T::UpSawGenerator: return ProcessUpSawGeneratorQuality(e, v, p, c);
    case T::PulseWaveGenerator: return ProcessPulseWaveGeneratorQuality(e, v, p, c);
    case T::InversePulseWaveGenerator: return ProcessInversePulseWaveGeneratorQuality(e, v, p, c);
    case T::BasicReverb: return ProcessBasicReverbQuality(e, v, p, c);
    case T::StereoReverbXY: return ProcessStereoReverbXYQuality(e, v, p, c);
    case T::StereoReverbYX: return ProcessStereoReverbYXQuality(e, v, p, c);
    default: return ProcessEngine(e, v, p, c);
  }
}

}  // namespace tonforge
