#pragma once
// The fixed table of the 48 engine types. A type's index is stored in files, so the order never changes.
#include <array>
#include <cstdint>
#include <string_view>

namespace tonforge {

inline constexpr uint32_t kEngineTypeCount = 48;
inline constexpr int kParameterCount = 7;
inline constexpr int kOptionCount = 4;
inline constexpr int kDataSlotCount = 4;
inline constexpr int kChainLength = 9;
inline constexpr int kMaxDelayLines = 16;

enum class EngineTypeId : uint32_t {
  Thru = 0, BasicWave, MultisampledWave, CombinedWave, StereoWave,
  SineWaveGenerator, CosineWaveGenerator, DownSawGenerator, UpSawGenerator,
  PulseWaveGenerator, InversePulseWaveGenerator, WhiteNoiseGenerator, OscillatorSynchronisation,
  AmplitudeModulation, Amplifier, PitchModulation, PitchShift, Arpeggiator,
  PanningModulation, RandomPanning, PingPong, StereoSpatializer,
  MoogVcf, LowPassFilter, HighPassFilter, BandPassFilter, BandExcludeFilter,
  LowShelfFilter, HighShelfFilter, PeakingFilter,
  BasicDelay, CombFilter, SingleTapDelay, MultiTapDelay, VariableSpeedDelay,
  BasicReverb, StereoReverbXY, StereoReverbYX, PlateReverb,
  Chorus, Flange, Distortion, Clipper, Positor, Inverter, SongSpeedModulator,
  StereoChorus, StereoFlange,
};

// Chain levels a type may be used at.
enum LevelFlag : uint32_t { kLevelProgram = 1, kLevelTrack = 2, kLevelSong = 4 };

enum class OptionKind : uint32_t { Toggle = 0, Choice = 1 };
enum class SlotKind : uint32_t { None = 0, Modulator = 1, Wave = 2 };

struct ParameterSpec {
  uint32_t present = 0;
  int32_t minimum = 0;
  int32_t maximum = 0;
  int32_t defaultValue = 0;
  std::array<char, 12> label{};
};

struct OptionSpec {
  uint32_t present = 0;
  OptionKind kind = OptionKind::Toggle;
  uint32_t count = 0;  // choices; 0 for a toggle
  uint32_t defaultValue = 0;
  std::array<std::array<char, 8>, 8> labels{};
};

struct DataSlotSpec {
  SlotKind kind = SlotKind::None;
  uint32_t offersReverse = 0;
  uint32_t offersInvert = 0;
  uint32_t offersSync = 0;
  std::array<char, 24> label{};
};

struct EngineType {
  uint32_t levelFlags = 0;
  uint32_t delayLineCount = 0;
  uint32_t delayBufferLength = 0;  // floats in each of the left and right buffers
  std::array<char, 32> name{};
  std::array<char, 4> abbreviation{};
  std::array<ParameterSpec, kParameterCount> parameters{};
  std::array<OptionSpec, kOptionCount> options{};
  std::array<DataSlotSpec, kDataSlotCount> dataSlots{};
};

struct TypeList {
  std::array<uint32_t, kEngineTypeCount> types{};
  uint32_t count = 0;
};

struct EngineCatalog {
  uint32_t count = kEngineTypeCount;
  std::array<EngineType, kEngineTypeCount> types{};
  TypeList programEngineTypes, trackEngineTypes, songEngineTypes;

  const EngineType& operator[](uint32_t type) const { return types[type]; }
};

// The catalog is assembled once from the compiled-in rows of the engine families: building it cannot fail.
const EngineCatalog& BuildEngineCatalog();

// Safe lookups for values that come from files or events.
bool IsKnownType(uint32_t type);
// Flags of a type, 0 for an unknown one.
uint32_t TypeLevelFlags(uint32_t type);

// The name an option button shows for a stored value: the choice it selects, or a toggle's caption. Option
// values come from files as they were saved, so a choice at or beyond the count shows the last choice's name
// instead of reading past the labels; an absent option or an unknown type has no name.
std::string_view OptionLabel(uint32_t type, int option, uint32_t value);

inline std::string_view TextOf(const char* text) { return std::string_view(text); }

}  // namespace tonforge
