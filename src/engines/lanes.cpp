// Which engine types run in lanes, and how wide.
#include "engines/lanes.h"

namespace tonforge {

// The runs of the family files.
TONFORGE_LANE_RUNS_DECLARED(LowPassLanes);
TONFORGE_LANE_RUNS_DECLARED(HighPassLanes);
TONFORGE_LANE_RUNS_DECLARED(BandPassLanes);
TONFORGE_LANE_RUNS_DECLARED(BandExcludeLanes);
TONFORGE_LANE_RUNS_DECLARED(LowShelfLanes);
TONFORGE_LANE_RUNS_DECLARED(HighShelfLanes);
TONFORGE_LANE_RUNS_DECLARED(PeakingLanes);
TONFORGE_LANE_RUNS_DECLARED(ChorusLanes);
TONFORGE_LANE_RUNS_DECLARED(FlangeLanes);
TONFORGE_LANE_RUNS_DECLARED(StereoChorusLanes);
TONFORGE_LANE_RUNS_DECLARED(StereoFlangeLanes);
void BasicDelayLanes8(const LaneSet&, float*, float*, uint32_t, const SampleContext&);
TONFORGE_LANE_RUNS_DECLARED(SineLanes);
TONFORGE_LANE_RUNS_DECLARED(CosineLanes);
TONFORGE_LANE_RUNS_DECLARED(DownSawLanes);
TONFORGE_LANE_RUNS_DECLARED(UpSawLanes);
TONFORGE_LANE_RUNS_DECLARED(PulseLanes);
TONFORGE_LANE_RUNS_DECLARED(InversePulseLanes);
TONFORGE_LANE_RUNS_DECLARED(DownSawQualityLanes);
TONFORGE_LANE_RUNS_DECLARED(UpSawQualityLanes);
TONFORGE_LANE_RUNS_DECLARED(PulseQualityLanes);
TONFORGE_LANE_RUNS_DECLARED(InversePulseQualityLanes);

namespace {

struct RunPair {
  LaneRun four = nullptr, eight = nullptr;
};

#define TONFORGE_PAIR(name) RunPair{name##4, name##8}

RunPair StandardRuns(uint32_t type) {
  using T = EngineTypeId;
  switch (static_cast<T>(type)) {
    case T::LowPassFilter: return TONFORGE_PAIR(LowPassLanes);
    case T::HighPassFilter: return TONFORGE_PAIR(HighPassLanes);
    case T::BandPassFilter: return TONFORGE_PAIR(BandPassLanes);
    case T::BandExcludeFilter: return TONFORGE_PAIR(BandExcludeLanes);
    case T::LowShelfFilter: return TONFORGE_PAIR(LowShelfLanes);
    case T::HighShelfFilter: return TONFORGE_PAIR(HighShelfLanes);
    case T::PeakingFilter: return TONFORGE_PAIR(PeakingLanes);
    case T::Chorus: return TONFORGE_PAIR(ChorusLanes);
    case T::Flange: return TONFORGE_PAIR(FlangeLanes);
    case T::StereoChorus: return TONFORGE_PAIR(StereoChorusLanes);
    case T::StereoFlange: return TONFORGE_PAIR(StereoFlangeLanes);
    // A channel's basic delay is a few loads and stores a frame; in 4 lanes moving its values between the
    // vector and the lines costs more than the lanes save (bench/lanes_bench.cpp), so 4 channels run it one by one.
    case T::BasicDelay: return RunPair{nullptr, BasicDelayLanes8};
    case T::SineWaveGenerator: return TONFORGE_PAIR(SineLanes);
    case T::CosineWaveGenerator: return TONFORGE_PAIR(CosineLanes);
    case T::DownSawGenerator: return TONFORGE_PAIR(DownSawLanes);
    case T::UpSawGenerator: return TONFORGE_PAIR(UpSawLanes);
    case T::PulseWaveGenerator: return TONFORGE_PAIR(PulseLanes);
    case T::InversePulseWaveGenerator: return TONFORGE_PAIR(InversePulseLanes);
    default: return {};
  }
}

// The types whose interpolating routine differs from the standard one.
RunPair QualityRuns(uint32_t type, bool& differs) {
  using T = EngineTypeId;
  differs = true;
  switch (static_cast<T>(type)) {
    case T::BasicWave:
    case T::MultisampledWave:
    case T::CombinedWave:
    case T::StereoWave: return {};
    case T::DownSawGenerator: return TONFORGE_PAIR(DownSawQualityLanes);
    case T::UpSawGenerator: return TONFORGE_PAIR(UpSawQualityLanes);
    case T::PulseWaveGenerator: return TONFORGE_PAIR(PulseQualityLanes);
    case T::InversePulseWaveGenerator: return TONFORGE_PAIR(InversePulseQualityLanes);
    case T::BasicReverb:
    case T::StereoReverbXY:
    case T::StereoReverbYX:
      return {};
    default:
      differs = false;
      return {};
  }
}

#undef TONFORGE_PAIR

}  // namespace

LaneRun LaneRoutine(uint32_t type, bool quality, int width) {
  bool differs = false;
  const RunPair runs = quality ? QualityRuns(type, differs) : RunPair{};
  const RunPair chosen = differs ? runs : StandardRuns(type);
  return width == 8 ? chosen.eight : width == 4 ? chosen.four : nullptr;
}

int WidestLanes() {
#if defined(__x86_64__) || defined(__i386__)
  static const int widest = __builtin_cpu_supports("avx2") ? 8 : 4;
  return widest;
#else
  return 4;
#endif
}

}  // namespace tonforge
