#include <gtest/gtest.h>

#include <set>
#include <string>

#include "engines/catalog.h"
#include "support/engine_harness.h"

namespace tonforge {
namespace {

using T = EngineTypeId;

bool Contains(const TypeList& list, uint32_t type) {
  for (uint32_t i = 0; i < list.count; ++i)
    if (list.types[i] == type) return true;
  return false;
}

TEST(EngineCatalog, ListsAndMembership) {
  const EngineCatalog& c = BuildEngineCatalog();
  EXPECT_EQ(c.count, 48u);
  EXPECT_EQ(c.songEngineTypes.count, 32u);
  EXPECT_EQ(c.trackEngineTypes.count, 31u);
  EXPECT_EQ(c.programEngineTypes.count, 47u);
  for (const TypeList* list : {&c.songEngineTypes, &c.trackEngineTypes, &c.programEngineTypes}) {
    EXPECT_EQ(list->types[0], 0u);
    for (uint32_t i = 1; i < list->count; ++i) EXPECT_LT(list->types[i - 1], list->types[i]);
  }
  // The tempo modulator belongs to songs alone; the sources and voice pitch controllers to programs alone.
  const std::set<uint32_t> programOnly = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 15, 16, 17, 43};
  for (uint32_t t = 0; t < 48; ++t) {
    EXPECT_EQ(Contains(c.programEngineTypes, t), t != 45) << t;
    EXPECT_EQ(Contains(c.trackEngineTypes, t), t != 45 && !programOnly.count(t)) << t;
    EXPECT_EQ(Contains(c.songEngineTypes, t), !programOnly.count(t)) << t;
  }
}

TEST(EngineCatalog, RowsTheEnginesRelyOn) {
  // Every type has a row of its own; delay buffers divide into their lines, whose figures the stored images
  // carry (a buffer shorter than a default delay would cut the echo); slots are listed from 0 without gaps;
  // wave slots offer Reverse and Invert, modulator slots also Sync, except the tempo modulator's.
  const EngineCatalog& c = BuildEngineCatalog();
  const struct { T type; uint32_t lines, buffer; } delays[] = {
      {T::StereoSpatializer, 1, 11026}, {T::BasicDelay, 1, 44104}, {T::CombFilter, 2, 88204},
      {T::BasicReverb, 12, 19416},      {T::StereoReverbYX, 12, 19416}, {T::PlateReverb, 4, 2004},
      {T::Chorus, 1, 176},              {T::Inverter, 1, 408},          {T::StereoFlange, 1, 176}};
  for (const auto& d : delays) {
    EXPECT_EQ(c[static_cast<uint32_t>(d.type)].delayLineCount, d.lines) << d.type;
    EXPECT_EQ(c[static_cast<uint32_t>(d.type)].delayBufferLength, d.buffer) << d.type;
  }
  std::set<std::string> names;
  for (uint32_t type = 0; type < kEngineTypeCount; ++type) {
    const EngineType& t = c[type];
    EXPECT_TRUE(names.insert(t.name.data()).second) << type << " " << t.name.data();
    EXPECT_TRUE(t.delayLineCount == 0 || t.delayBufferLength % t.delayLineCount == 0) << t.name.data();
    for (int s = 0; s < kDataSlotCount; ++s) {
      const DataSlotSpec& d = t.dataSlots[s];
      EXPECT_TRUE(s == 0 || d.kind == SlotKind::None || t.dataSlots[s - 1].kind != SlotKind::None) << t.name.data();
      const bool offered = d.kind != SlotKind::None;
      const bool sync = d.kind == SlotKind::Modulator && type != static_cast<uint32_t>(T::SongSpeedModulator);
      EXPECT_TRUE(d.offersReverse == offered && d.offersInvert == offered && d.offersSync == sync)
          << t.name.data() << " slot " << s;
    }
  }
  EXPECT_EQ(names.count(""), 0u);
}

// Option values come from files as saved: the name shown for one never reads past the labels.
TEST(Catalog, OptionLabelsStayWithinTheChoices) {
  const auto arp = static_cast<uint32_t>(T::Arpeggiator);
  const auto delay = static_cast<uint32_t>(T::VariableSpeedDelay);
  const struct { uint32_t type; int option; uint32_t value; const char* label; } cases[] = {
      {arp, 0, 0, "2 Tones"}, {arp, 0, 3, "5 Tones"}, {arp, 0, 4, "5 Tones"}, {arp, 0, 0xffffffffu, "5 Tones"},
      {arp, 1, 0, "Ticks"},   {arp, 1, 7, "Ticks"},   {arp, 2, 0, ""},        {arp, -1, 0, ""},
      {arp, 4, 0, ""},        {kEngineTypeCount, 0, 0, ""}, {delay, 0, 1, "Louder"}};
  for (const auto& c : cases)
    EXPECT_EQ(OptionLabel(c.type, c.option, c.value), c.label) << c.type << " " << c.option << " " << c.value;
}

}  // namespace
}  // namespace tonforge
