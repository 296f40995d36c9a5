#pragma once
// What a family file writes down for each of its types besides the routines: the catalog row (names,
// parameters, options, data slots, delay lines) and the preparation that derives working words from the
// parameters, options and rate. The catalog (catalog.cpp) is the list of the families' rows.
#include <array>
#include <cstddef>
#include <initializer_list>
#include <span>
#include <string_view>

#include "engines/engine.h"

namespace tonforge {

// Recomputes a type's derived working words; PrepareEngine has cleared W0..W7 before.
using Prepare = void (*)(Engine&, const OutputRate&);

struct TypeRow {
  EngineTypeId id = EngineTypeId::Thru;
  EngineType type{};
  Prepare prepare = nullptr;  // none where every word starts at 0
};

inline constexpr uint32_t kProgramOnly = kLevelProgram;
inline constexpr uint32_t kEveryLevel = kLevelProgram | kLevelTrack | kLevelSong;
inline constexpr uint32_t kSongOnly = kLevelSong;

template <std::size_t N>
constexpr std::array<char, N> RowText(std::string_view s) {
  std::array<char, N> a{};
  for (std::size_t i = 0; i < s.size() && i + 1 < N; ++i) a[i] = s[i];
  return a;
}

// Writes a family's rows one after the other: Row starts a type, the calls after it fill it in.
template <std::size_t N>
struct RowBuilder {
  constexpr RowBuilder& Row(EngineTypeId id, uint32_t levels, std::string_view name, std::string_view abbr,
                            Prepare prepare = nullptr) {
    current = &rows[count++];
    current->id = id;
    current->prepare = prepare;
    current->type.levelFlags = levels;
    current->type.name = RowText<32>(name);
    current->type.abbreviation = RowText<4>(abbr);
    return *this;
  }
  constexpr RowBuilder& Param(int k, std::string_view label, int32_t min, int32_t max, int32_t def) {
    current->type.parameters[k] = ParameterSpec{1, min, max, def, RowText<12>(label)};
    return *this;
  }
  constexpr RowBuilder& Toggle(int g, std::string_view label) {
    OptionSpec& o = current->type.options[g];
    o = OptionSpec{1, OptionKind::Toggle, 0, 0, {}};
    o.labels[0] = RowText<8>(label);
    return *this;
  }
  constexpr RowBuilder& Choice(int g, std::initializer_list<std::string_view> labels, uint32_t def) {
    OptionSpec& o = current->type.options[g];
    o = OptionSpec{1, OptionKind::Choice, static_cast<uint32_t>(labels.size()), def, {}};
    int i = 0;
    for (auto l : labels) o.labels[i++] = RowText<8>(l);
    return *this;
  }
  constexpr RowBuilder& Waves(std::initializer_list<std::string_view> labels) {
    int s = 0;
    for (auto l : labels) current->type.dataSlots[s++] = DataSlotSpec{SlotKind::Wave, 1, 1, 0, RowText<24>(l)};
    return *this;
  }
  constexpr RowBuilder& Modulators(std::initializer_list<std::string_view> labels, uint32_t sync = 1) {
    int s = 0;
    for (auto l : labels) current->type.dataSlots[s++] = DataSlotSpec{SlotKind::Modulator, 1, 1, sync, RowText<24>(l)};
    return *this;
  }
  constexpr RowBuilder& FourModulators(uint32_t sync = 1) {
    return Modulators({"Modulator 1", "Modulator 2", "Modulator 3", "Modulator 4"}, sync);
  }
  constexpr RowBuilder& Lines(uint32_t lines, uint32_t lineLength) {
    current->type.delayLineCount = lines;
    current->type.delayBufferLength = lines * lineLength;
    return *this;
  }

  // The rows, once every one is written and each delay buffer divides into lines the engine can address
  // (anything else stops the build here).
  constexpr std::array<TypeRow, N> Finish() const {
    if (count != N) throw "a family declares more rows than it writes";
    for (const TypeRow& r : rows) {
      const EngineType& t = r.type;
      if (t.delayLineCount > kMaxDelayLines || (t.delayLineCount != 0 && t.delayBufferLength % t.delayLineCount != 0))
        throw "a delay buffer does not divide into its lines";
    }
    return rows;
  }

  std::array<TypeRow, N> rows{};
  std::size_t count = 0;
  TypeRow* current = nullptr;
};

// The rows of each family, defined in its file.
std::span<const TypeRow> WavePlayerRows();
std::span<const TypeRow> OscillatorRows();
std::span<const TypeRow> ModulatorRows();
std::span<const TypeRow> FilterRows();
std::span<const TypeRow> DelayRows();
std::span<const TypeRow> ChorusRows();
std::span<const TypeRow> ReverbRows();

// Each type's preparation, from its family's row.
Prepare PreparationOf(uint32_t type);

}  // namespace tonforge
