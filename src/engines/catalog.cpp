#include "engines/catalog.h"

#include <algorithm>

namespace tonforge {

namespace {

template <std::size_t N>
constexpr std::array<char, N> Text(std::string_view s) {
  std::array<char, N> a{};
  for (std::size_t i = 0; i < s.size() && i + 1 < N; ++i) a[i] = s[i];
  return a;
}

constexpr uint32_t P = kLevelProgram, PTS = kLevelProgram | kLevelTrack | kLevelSong, S = kLevelSong;

struct Builder {
  std::array<EngineType, kEngineTypeCount> types{};

  constexpr Builder& Row(EngineTypeId id, uint32_t levels, std::string_view name, std::string_view abbr) {
    current = &types[static_cast<uint32_t>(id)];
    current->levelFlags = levels;
    current->name = Text<32>(name);
    current->abbreviation = Text<4>(abbr);
    return *this;
  }
  constexpr Builder& Param(int k, std::string_view label, int32_t min, int32_t max, int32_t def) {
    current->parameters[k] = ParameterSpec{1, min, max, def, Text<12>(label)};
    return *this;
  }
  constexpr Builder& Toggle(int g, std::string_view label) {
    OptionSpec& o = current->options[g];
    o = OptionSpec{1, OptionKind::Toggle, 0, 0, {}};
    o.labels[0] = Text<8>(label);
    return *this;
  }
  constexpr Builder& Choice(int g, std::initializer_list<std::string_view> labels, uint32_t def) {
    OptionSpec& o = current->options[g];
    o = OptionSpec{1, OptionKind::Choice, static_cast<uint32_t>(labels.size()), def, {}};
    int i = 0;
    for (auto l : labels) o.labels[i++] = Text<8>(l);
    return *this;
  }
  constexpr Builder& Waves(std::initializer_list<std::string_view> labels) {
    int s = 0;
    for (auto l : labels) current->dataSlots[s++] = DataSlotSpec{SlotKind::Wave, 1, 1, 0, Text<24>(l)};
    return *this;
  }
  constexpr Builder& Modulators(std::initializer_list<std::string_view> labels, uint32_t sync = 1) {
    int s = 0;
    for (auto l : labels) current->dataSlots[s++] = DataSlotSpec{SlotKind::Modulator, 1, 1, sync, Text<24>(l)};
    return *this;
  }
  constexpr Builder& FourModulators(uint32_t sync = 1) {
    return Modulators({"Modulator 1", "Modulator 2", "Modulator 3", "Modulator 4"}, sync);
  }
  constexpr Builder& Lines(uint32_t count, uint32_t lineLength) {
    current->delayLineCount = count;
    current->delayBufferLength = count * lineLength;
    return *this;
  }
  // Tuning and amplitude of the oscillators.
  constexpr Builder& Tuning(int32_t lowest) { return Param(0, "Tuning", lowest, 1200, 0); }

  EngineType* current = nullptr;
};

constexpr std::array<EngineType, kEngineTypeCount> MakeTypes() {
  using T = EngineTypeId;
  Builder b;
  b.Row(T::Thru, PTS, "Thru", "");
  b.Row(T::BasicWave, P, "Basic Wave", "WvB").Param(0, "Wet", 0, 100, 100).Waves({"Sample"});
  b.Row(T::MultisampledWave, P, "Multisampled Wave", "WvM").Param(0, "Wet", 0, 100, 100)
      .Waves({"Lowest Sample", "Second Sample", "Third Sample", "Highest Sample"});
  b.Row(T::CombinedWave, P, "Combined Wave", "WvC").Param(0, "Wet", 0, 100, 100)
      .Waves({"Sample 1", "Sample 2", "Sample 3", "Sample 4"});
  b.Row(T::StereoWave, P, "Stereo Wave", "WvS").Param(0, "Wet", 0, 100, 100).Waves({"Left Sample", "Right Sample"});
  b.Row(T::SineWaveGenerator, P, "Sine Wave Generator", "GnS").Param(0, "Tuning", -1200, 1200, 0).Param(1, "Wet", 0, 100, 75);
  b.Row(T::CosineWaveGenerator, P, "Cosine Wave Generator", "GnC").Param(0, "Tuning", -1200, 1200, 0).Param(1, "Wet", 0, 100, 75);
  b.Row(T::DownSawGenerator, P, "Down Saw Generator", "GnD").Tuning(-2400).Param(1, "Wet", 0, 100, 75);
  b.Row(T::UpSawGenerator, P, "Up Saw Generator", "GnU").Tuning(-2400).Param(1, "Wet", 0, 100, 75);
  b.Row(T::PulseWaveGenerator, P, "Pulse Wave Generator", "GnP").Tuning(-2400).Param(1, "Pulse", 1, 99, 50)
      .Param(2, "Wet", 0, 100, 75);
  b.Row(T::InversePulseWaveGenerator, P, "Inverse Pulse Wave Generator", "GnI").Tuning(-2400)
      .Param(1, "Pulse", 1, 99, 50).Param(2, "Wet", 0, 100, 75);
  b.Row(T::WhiteNoiseGenerator, P, "White Noise Generator", "GnW").Param(0, "Wet", 0, 100, 75);
  b.Row(T::OscillatorSynchronisation, P, "Oscillator Synchronisation", "Osc").Param(0, "Engine", 1, 9, 1)
      .Choice(0, {"Oct 1", "Oct 2", "Oct 3", "Oct 4"}, 1);
  b.Row(T::AmplitudeModulation, PTS, "Amplitude Modulation", "AmM").Param(0, "Base", 0, 100, 100)
      .Param(1, "Wet", 0, 100, 100).FourModulators();
  b.Row(T::Amplifier, PTS, "Amplifier", "AmS").Param(0, "Left", -1000, 1000, 100).Param(1, "Right", -1000, 1000, 100);
  b.Row(T::PitchModulation, P, "Pitch Modulation", "PtM").Param(0, "Base", -100, 100, 0).Param(1, "Wet", 0, 100, 100)
      .Param(2, "Range", 1, 12, 1).FourModulators();
  b.Row(T::PitchShift, P, "Pitch Shift", "PtS").Param(0, "Cents", -1200, 1200, 0);
  b.Row(T::Arpeggiator, P, "Arpeggiator", "PtA").Param(0, "Note 1", -12, 12, 0).Param(1, "Note 2", -12, 12, 0)
      .Param(2, "Note 3", -12, 12, 0).Param(3, "Note 4", -12, 12, 0).Param(4, "Note 5", -12, 12, 0)
      .Param(5, "Speed", 0, 100, 25).Choice(0, {"2 Tones", "3 Tones", "4 Tones", "5 Tones"}, 1).Toggle(1, "Ticks");
  b.Row(T::PanningModulation, PTS, "Panning Modulation", "PnM").Param(0, "Base", -100, 100, 0)
      .Param(1, "Wet", 0, 100, 100).FourModulators();
  b.Row(T::RandomPanning, PTS, "Random Panning", "PnR").Param(0, "Delay", 0, 1000, 0).Param(1, "Wet", 0, 100, 100);
  b.Row(T::PingPong, PTS, "Ping Pong", "PnP").Param(0, "Delay", 0, 1000, 500).Param(1, "Wet", 0, 100, 100);
  b.Row(T::StereoSpatializer, PTS, "Stereo Spatializer", "PnS").Param(0, "L Delay", 0, 250, 0)
      .Param(1, "R Delay", 0, 250, 10).Param(2, "Wet", 0, 100, 100).Lines(1, 11026);
  b.Row(T::MoogVcf, PTS, "Moog VCF (Mono)", "VCF").Param(0, "Cutoff", 1, 100, 100).Param(1, "Q", 0, 100, 0)
      .Param(2, "Wet", 0, 100, 100).FourModulators();
  b.Row(T::LowPassFilter, PTS, "Low Pass Filter", "LPF").Param(0, "Cutoff", 1, 100, 100).Param(1, "Q", 1, 100, 1)
      .Param(2, "Wet", 0, 100, 100).FourModulators();
  b.Row(T::HighPassFilter, PTS, "High Pass Filter", "HPF").Param(0, "Cutoff", 1, 100, 1).Param(1, "Wet", 0, 100, 100)
      .FourModulators();
  b.Row(T::BandPassFilter, PTS, "Band Pass Filter", "BPF").Param(0, "Centre", 1, 100, 100)
      .Param(1, "Bandwidth", 1, 99, 99).Param(2, "Wet", 0, 100, 100).FourModulators();
  b.Row(T::BandExcludeFilter, PTS, "Band Exclude Filter", "BEF").Param(0, "Centre", 1, 100, 100)
      .Param(1, "Bandwidth", 1, 99, 1).Param(2, "Wet", 0, 100, 100).FourModulators();
  b.Row(T::LowShelfFilter, PTS, "Low Shelf Filter", "LSF").Param(0, "Cutoff", 1, 100, 1).Param(1, "Gain", 1, 100, 50)
      .Param(2, "Wet", 0, 100, 100);
  b.Row(T::HighShelfFilter, PTS, "High Shelf Filter", "HSF").Param(0, "Cutoff", 1, 100, 100)
      .Param(1, "Gain", 1, 100, 50).Param(2, "Wet", 0, 100, 100);
  b.Row(T::PeakingFilter, PTS, "Peaking Filter", "PKF").Param(0, "Cutoff", 1, 100, 100)
      .Param(1, "Bandwidth", 1, 99, 1).Param(2, "Gain", 1, 100, 1).Param(3, "Wet", 0, 100, 100).FourModulators();
  b.Row(T::BasicDelay, PTS, "Basic Delay", "DyB").Param(0, "L Delay", 1, 1000, 500).Param(1, "L Gain", -100, 100, -50)
      .Param(2, "R Delay", 1, 1000, 500).Param(3, "R Gain", -100, 100, -50).Param(4, "Wet", 0, 100, 100)
      .Toggle(0, "Ticks").Lines(1, 44104);
  b.Row(T::CombFilter, PTS, "Comb Filter", "DyC").Param(0, "L Delay", 1, 1000, 500).Param(1, "L Gain", -100, 100, 50)
      .Param(2, "R Delay", 1, 1000, 500).Param(3, "R Gain", -100, 100, 50).Param(4, "Wet", 0, 100, 100)
      .Toggle(0, "Ticks").Lines(2, 44102);
  b.Row(T::SingleTapDelay, PTS, "Single Tap Delay", "DyS").Param(0, "L Delay", 1, 1000, 500)
      .Param(1, "R Delay", 1, 1000, 500).Param(2, "Level", 1, 100, 50).Param(3, "Wet", 0, 100, 100)
      .Toggle(0, "Ticks").Lines(1, 44104);
  b.Row(T::MultiTapDelay, PTS, "Multi Tap Delay", "DyM").Param(0, "Delay 1", 1, 1000, 500)
      .Param(1, "Gain 1", -100, 100, 25).Param(2, "Delay 2", 1, 1000, 400).Param(3, "Gain 2", -100, 100, 25)
      .Param(4, "Delay 3", 1, 1000, 300).Param(5, "Gain 3", -100, 100, 25).Param(6, "Wet", 0, 100, 100)
      .Lines(1, 44104);
  b.Row(T::VariableSpeedDelay, PTS, "Variable Speed Delay", "DyV").Param(0, "Base", 1, 250, 100)
      .Param(1, "Gain", 1, 100, 75).Param(2, "Wet", 0, 100, 100).Choice(0, {"Quieter", "Louder"}, 0)
      .Modulators({"Speed Modulator"}).Lines(1, 44104);
  b.Row(T::BasicReverb, PTS, "Basic Reverb", "RvB").Param(0, "Decay", 1, 100, 50).Param(1, "Dry", 0, 100, 100)
      .Param(2, "Wet", 0, 100, 100).Lines(12, 1618);
  for (auto id : {T::StereoReverbXY, T::StereoReverbYX}) {
    b.Row(id, PTS, id == T::StereoReverbXY ? "Stereo Reverb XY" : "Stereo Reverb YX",
          id == T::StereoReverbXY ? "RvX" : "RvY")
        .Param(0, "Decay", 1, 100, 50).Param(1, "LPF Cutoff", 1, 100, 75).Param(2, "LPF Q", 1, 100, 1)
        .Param(3, "Dry", 0, 100, 100).Param(4, "Wet", 0, 100, 100).Lines(12, 1618);
  }
  b.Row(T::PlateReverb, PTS, "Plate Reverb", "RvP").Param(0, "Plate 1", 1, 500, 500).Param(1, "Plate 2", 1, 500, 449)
      .Param(2, "Plate 3", 1, 500, 376).Param(3, "Plate 4", 1, 500, 303).Param(4, "Decay", 1, 100, 50)
      .Param(5, "Dry", 0, 100, 100).Param(6, "Wet", 0, 100, 100).Lines(4, 501);
  b.Row(T::Chorus, PTS, "Chorus", "Cho").Param(0, "Ceiling", 1, 100, 1).Param(1, "Wet", 0, 100, 100)
      .FourModulators().Lines(1, 176);
  b.Row(T::Flange, PTS, "Flange", "Fla").Param(0, "Ceiling", 1, 100, 1).Param(1, "Feedback", 0, 100, 50)
      .Param(2, "Wet", 0, 100, 100).FourModulators().Lines(1, 176);
  b.Row(T::Distortion, PTS, "Distortion", "Dst").Param(0, "Power", 0, 100, 100).Param(1, "Clip", 0, 100, 100)
      .Param(2, "Wet", 0, 100, 100);
  b.Row(T::Clipper, PTS, "Clipper", "Clp").Param(0, "Clip", 0, 100, 100);
  b.Row(T::Positor, P, "Positor", "Pos").Param(0, "Wet", 0, 100, 100);
  b.Row(T::Inverter, PTS, "Inverter", "Inv").Param(0, "Delay", 1, 100, 1).Param(1, "Feedback", 0, 100, 0)
      .Param(2, "Wet", 0, 100, 100).Lines(1, 408);
  b.Row(T::SongSpeedModulator, S, "Song Speed Modulator", "SpM").Param(0, "Base", 1, 1000, 120)
      .Param(1, "Range", 1, 1000, 100).Param(2, "Wet", 0, 100, 100).FourModulators(0);
  b.Row(T::StereoChorus, PTS, "Stereo Chorus", "SCh").Param(0, "Ceiling", 1, 100, 1).Param(1, "Wet", 0, 100, 100)
      .Modulators({"Left Modulator", "Right Modulator"}).Lines(1, 176);
  b.Row(T::StereoFlange, PTS, "Stereo Flange", "SFl").Param(0, "Ceiling", 1, 100, 1).Param(1, "Feedback", 0, 100, 50)
      .Param(2, "Wet", 0, 100, 100).Modulators({"Left Modulator", "Right Modulator"}).Lines(1, 176);
  return b.types;
}

constexpr TypeList MakeList(const std::array<EngineType, kEngineTypeCount>& types, uint32_t bit) {
  TypeList list;
  for (uint32_t i = 0; i < kEngineTypeCount; ++i)
    if (types[i].levelFlags & bit) list.types[list.count++] = i;
  return list;
}

constexpr EngineCatalog MakeCatalog() {
  EngineCatalog c;
  c.types = MakeTypes();
  c.songEngineTypes = MakeList(c.types, kLevelSong);
  c.trackEngineTypes = MakeList(c.types, kLevelTrack);
  c.programEngineTypes = MakeList(c.types, kLevelProgram);
  return c;
}

constexpr EngineCatalog kCatalog = MakeCatalog();

constexpr bool EveryBufferDividesIntoLines() {
  for (const auto& t : kCatalog.types)
    if (t.delayLineCount != 0 && (t.delayBufferLength % t.delayLineCount != 0 || t.delayLineCount > kMaxDelayLines))
      return false;
  return true;
}
static_assert(EveryBufferDividesIntoLines());

}  // namespace

const EngineCatalog& BuildEngineCatalog() { return kCatalog; }

bool IsKnownType(uint32_t type) { return type < kEngineTypeCount; }

uint32_t TypeLevelFlags(uint32_t type) { return IsKnownType(type) ? kCatalog.types[type].levelFlags : 0; }

std::string_view OptionLabel(uint32_t type, int option, uint32_t value) {
  if (!IsKnownType(type) || option < 0 || option >= kOptionCount) return {};
  const OptionSpec& o = kCatalog.types[type].options[option];
  if (o.present == 0) return {};
  const uint32_t choice = o.kind == OptionKind::Choice && o.count > 0 ? std::min(value, o.count - 1) : 0;
  const auto& label = o.labels[choice];
  return std::string_view(label.data(), std::find(label.begin(), label.end(), '\0') - label.begin());
}

}  // namespace tonforge
