#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "engines/catalog.h"

namespace tonforge {
namespace {

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
  const std::set<uint32_t> programOnly = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 15, 16, 17, 43};
  for (uint32_t t = 0; t < 48; ++t) {
    const bool p = Contains(c.programEngineTypes, t), tr = Contains(c.trackEngineTypes, t),
               s = Contains(c.songEngineTypes, t);
    if (t == 45) {
      EXPECT_TRUE(s && !tr && !p) << t;
    } else if (programOnly.count(t)) {
      EXPECT_TRUE(p && !tr && !s) << t;
    } else {
      EXPECT_TRUE(p && tr && s) << t;
    }
  }
}

TEST(EngineCatalog, RowsAsTabled) {
  const EngineCatalog& c = BuildEngineCatalog();
  struct Row {
    uint32_t type;
    const char* name;
    const char* abbr;
    uint32_t lines, buffer;
  } rows[] = {
      {0, "Thru", "", 0, 0},
      {2, "Multisampled Wave", "WvM", 0, 0},
      {12, "Oscillator Synchronisation", "Osc", 0, 0},
      {21, "Stereo Spatializer", "PnS", 1, 11026},
      {22, "Moog VCF (Mono)", "VCF", 0, 0},
      {30, "Basic Delay", "DyB", 1, 44104},
      {31, "Comb Filter", "DyC", 2, 88204},
      {35, "Basic Reverb", "RvB", 12, 19416},
      {37, "Stereo Reverb YX", "RvY", 12, 19416},
      {38, "Plate Reverb", "RvP", 4, 2004},
      {39, "Chorus", "Cho", 1, 176},
      {44, "Inverter", "Inv", 1, 408},
      {45, "Song Speed Modulator", "SpM", 0, 0},
      {47, "Stereo Flange", "SFl", 1, 176},
  };
  for (const auto& r : rows) {
    const EngineType& t = c[r.type];
    EXPECT_STREQ(t.name.data(), r.name);
    EXPECT_STREQ(t.abbreviation.data(), r.abbr);
    EXPECT_EQ(t.delayLineCount, r.lines) << r.name;
    EXPECT_EQ(t.delayBufferLength, r.buffer) << r.name;
  }
  for (const EngineType& t : c.types) {
    if (t.delayLineCount) {
      EXPECT_EQ(t.delayBufferLength % t.delayLineCount, 0u) << t.name.data();
    }
    // Slots are listed from 0 without gaps.
    for (int s = 1; s < kDataSlotCount; ++s) {
      if (t.dataSlots[s].kind != SlotKind::None) {
        EXPECT_NE(t.dataSlots[s - 1].kind, SlotKind::None);
      }
    }
  }
  EXPECT_EQ(c[0].parameters[0].present, 0u);
}

TEST(EngineCatalog, ParameterOptionAndSlotDetails) {
  const EngineCatalog& c = BuildEngineCatalog();
  EXPECT_EQ(c[34].options[0].defaultValue, 0u);  // "Quieter"
  EXPECT_STREQ(c[34].options[0].labels[1].data(), "Louder");
  EXPECT_EQ(c[17].options[0].defaultValue, 1u);  // "3 Tones"
  EXPECT_EQ(c[17].options[0].count, 4u);
  EXPECT_EQ(c[17].options[1].kind, OptionKind::Toggle);
  EXPECT_STREQ(c[17].options[1].labels[0].data(), "Ticks");
  EXPECT_EQ(c[12].options[0].defaultValue, 1u);  // "Oct 2"
  EXPECT_STREQ(c[12].options[0].labels[3].data(), "Oct 4");

  const struct {
    uint32_t type;
    int k;
    const char* label;
    int32_t min, max, def;
  } params[] = {
      {14, 0, "Left", -1000, 1000, 100}, {22, 1, "Q", 0, 100, 0},       {23, 1, "Q", 1, 100, 1},
      {29, 2, "Gain", 1, 100, 1},        {30, 1, "L Gain", -100, 100, -50}, {33, 6, "Wet", 0, 100, 100},
      {38, 1, "Plate 2", 1, 500, 449},   {45, 0, "Base", 1, 1000, 120},  {7, 0, "Tuning", -2400, 1200, 0},
      {5, 0, "Tuning", -1200, 1200, 0},  {17, 5, "Speed", 0, 100, 25},   {19, 0, "Delay", 0, 1000, 0},
  };
  for (const auto& p : params) {
    const ParameterSpec& s = c[p.type].parameters[p.k];
    EXPECT_EQ(s.present, 1u);
    EXPECT_STREQ(s.label.data(), p.label);
    EXPECT_EQ(s.minimum, p.min);
    EXPECT_EQ(s.maximum, p.max);
    EXPECT_EQ(s.defaultValue, p.def);
  }
  // Wave slots offer Reverse and Invert; modulator slots also Sync, except the tempo modulator's.
  EXPECT_EQ(c[1].dataSlots[0].kind, SlotKind::Wave);
  EXPECT_EQ(c[1].dataSlots[0].offersSync, 0u);
  EXPECT_EQ(c[13].dataSlots[3].offersSync, 1u);
  EXPECT_STREQ(c[13].dataSlots[3].label.data(), "Modulator 4");
  EXPECT_EQ(c[45].dataSlots[0].kind, SlotKind::Modulator);
  EXPECT_EQ(c[45].dataSlots[0].offersSync, 0u);
  EXPECT_STREQ(c[46].dataSlots[1].label.data(), "Right Modulator");
  EXPECT_EQ(c[46].dataSlots[2].kind, SlotKind::None);
  EXPECT_STREQ(c[34].dataSlots[0].label.data(), "Speed Modulator");
}

// Option values come from files as saved: the name shown for one never reads past the labels.
TEST(Catalog, OptionLabelsStayWithinTheChoices) {
  const auto arp = static_cast<uint32_t>(EngineTypeId::Arpeggiator);
  const struct {
    uint32_t type;
    int option;
    uint32_t value;
    const char* label;
  } cases[] = {
      {arp, 0, 0, "2 Tones"},  {arp, 0, 3, "5 Tones"},       {arp, 0, 4, "5 Tones"}, {arp, 0, 0xffffffffu, "5 Tones"},
      {arp, 1, 0, "Ticks"},    {arp, 1, 7, "Ticks"},         {arp, 2, 0, ""},        {arp, -1, 0, ""},
      {arp, 4, 0, ""},         {kEngineTypeCount, 0, 0, ""}, {static_cast<uint32_t>(EngineTypeId::VariableSpeedDelay), 0, 1, "Louder"},
  };
  for (const auto& c : cases) EXPECT_EQ(OptionLabel(c.type, c.option, c.value), c.label) << c.type << " " << c.option << " " << c.value;
}

}  // namespace
}  // namespace tonforge
