#include "engines/catalog.h"

#include <algorithm>

#include "engines/family_rows.h"

namespace tonforge {

namespace {

using RowList = std::span<const TypeRow> (*)();

// The catalog is the families' rows; a type's index is its EngineTypeId.
constexpr std::array<RowList, 7> kFamilies = {WavePlayerRows, OscillatorRows, ModulatorRows, FilterRows,
                                              DelayRows,      ChorusRows,     ReverbRows};

TypeList ListAt(const std::array<EngineType, kEngineTypeCount>& types, uint32_t bit) {
  TypeList list;
  for (uint32_t i = 0; i < kEngineTypeCount; ++i)
    if (types[i].levelFlags & bit) list.types[list.count++] = i;
  return list;
}

struct Assembled {
  Assembled() {
    EngineType& thru = catalog.types[0];
    thru.levelFlags = kEveryLevel;
    thru.name = RowText<32>("Thru");
    for (RowList rows : kFamilies)
      for (const TypeRow& row : rows()) {
        const auto i = static_cast<uint32_t>(row.id);
        catalog.types[i] = row.type;
        prepare[i] = row.prepare;
      }
    catalog.songEngineTypes = ListAt(catalog.types, kLevelSong);
    catalog.trackEngineTypes = ListAt(catalog.types, kLevelTrack);
    catalog.programEngineTypes = ListAt(catalog.types, kLevelProgram);
  }
  EngineCatalog catalog;
  std::array<Prepare, kEngineTypeCount> prepare{};
};

const Assembled& AssembledTables() {
  static const Assembled tables;
  return tables;
}

}  // namespace

const EngineCatalog& BuildEngineCatalog() { return AssembledTables().catalog; }

Prepare PreparationOf(uint32_t type) { return IsKnownType(type) ? AssembledTables().prepare[type] : nullptr; }

bool IsKnownType(uint32_t type) { return type < kEngineTypeCount; }

uint32_t TypeLevelFlags(uint32_t type) { return IsKnownType(type) ? BuildEngineCatalog().types[type].levelFlags : 0; }

std::string_view OptionLabel(uint32_t type, int option, uint32_t value) {
  if (!IsKnownType(type) || option < 0 || option >= kOptionCount) return {};
  const OptionSpec& o = BuildEngineCatalog().types[type].options[option];
  if (o.present == 0) return {};
  const uint32_t choice = o.kind == OptionKind::Choice && o.count > 0 ? std::min(value, o.count - 1) : 0;
  const auto& label = o.labels[choice];
  return std::string_view(label.data(), std::find(label.begin(), label.end(), '\0') - label.begin());
}

}  // namespace tonforge
