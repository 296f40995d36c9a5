#pragma once
// Data for the slots of the songs that compare two ways of mixing: the comparison holds only if every kind of
// slot plays.
#include <cmath>
#include <cstdint>

#include "engines/catalog.h"
#include "programs/program_list.h"
#include "support/song_rig.h"

namespace tonforge::testing {

// Sine data in every slot the engine's type has, a little different for every salt: a sweep of ±0.3 in a
// modulator slot (slot 1 plays once, the others loop; some follow the tempo), a looped wave of ±0.8 in a wave
// slot.
inline void FillSlots(Engine& e, uint32_t salt) {
  constexpr uint32_t kLength = 882;
  const EngineType& type = BuildEngineCatalog()[e.type];
  for (int s = 0; s < kDataSlotCount; ++s) {
    const SlotKind kind = type.dataSlots[s].kind;
    if (kind == SlotKind::None) continue;
    FillSlot(e, s, kLength, 0.0f, 0.0f);
    DataSlot& slot = e.slots[s];
    const double amplitude = kind == SlotKind::Modulator ? 0.3 : 0.8;
    for (uint32_t i = 0; i < kLength; ++i)
      slot.data[i] = static_cast<float>(amplitude * std::sin(2.0 * M_PI * (i * (1 + s + salt % 3)) / kLength));
    slot.looped = kind == SlotKind::Modulator && s == 1 ? 0 : 1;
    if (kind == SlotKind::Modulator) {
      slot.rootOrRate.f = 1.0f + 0.25f * static_cast<float>(s);
      slot.tempoSync = (s + salt) % 3 == 2 ? 1 : 0;
      if (slot.tempoSync != 0) slot.rootOrRate.f = 2000.0f;
    }
  }
  RecountLoadedSlots(e);
}

}  // namespace tonforge::testing
