#include <gtest/gtest.h>

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
  // The tempo modulator belongs to songs alone; the sources and voice pitch controllers to programs alone.
  const std::set<uint32_t> programOnly = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 15, 16, 17, 43};
  for (uint32_t t = 0; t < 48; ++t) {
    EXPECT_EQ(Contains(c.programEngineTypes, t), t != 45) << t;
    EXPECT_EQ(Contains(c.trackEngineTypes, t), t != 45 && !programOnly.count(t)) << t;
    EXPECT_EQ(Contains(c.songEngineTypes, t), !programOnly.count(t)) << t;
  }
}

TEST(EngineCatalog, RowsParametersOptionsAndSlots) {
  const EngineCatalog& c = BuildEngineCatalog();
  const struct { uint32_t type; const char *name, *abbr; uint32_t lines, buffer; } rows[] = {
      {0, "Thru", "", 0, 0},                           {2, "Multisampled Wave", "WvM", 0, 0},
      {12, "Oscillator Synchronisation", "Osc", 0, 0}, {21, "Stereo Spatializer", "PnS", 1, 11026},
      {22, "Moog VCF (Mono)", "VCF", 0, 0},            {30, "Basic Delay", "DyB", 1, 44104},
      {31, "Comb Filter", "DyC", 2, 88204},            {35, "Basic Reverb", "RvB", 12, 19416},
      {37, "Stereo Reverb YX", "RvY", 12, 19416},      {38, "Plate Reverb", "RvP", 4, 2004},
      {39, "Chorus", "Cho", 1, 176},                   {44, "Inverter", "Inv", 1, 408},
      {45, "Song Speed Modulator", "SpM", 0, 0},       {47, "Stereo Flange", "SFl", 1, 176}};
  for (const auto& r : rows) {
    const EngineType& t = c[r.type];
    EXPECT_STREQ(t.name.data(), r.name);
    EXPECT_STREQ(t.abbreviation.data(), r.abbr);
    EXPECT_EQ(t.delayLineCount, r.lines) << r.name;
    EXPECT_EQ(t.delayBufferLength, r.buffer) << r.name;
  }
  for (const EngineType& t : c.types) {
    EXPECT_TRUE(t.delayLineCount == 0 || t.delayBufferLength % t.delayLineCount == 0) << t.name.data();
    for (int s = 1; s < kDataSlotCount; ++s)  // slots are listed from 0 without gaps
      EXPECT_TRUE(t.dataSlots[s].kind == SlotKind::None || t.dataSlots[s - 1].kind != SlotKind::None) << s;
  }
  EXPECT_EQ(c[0].parameters[0].present, 0u);

  const struct { uint32_t type; int k; const char* label; int32_t min, max, def; } params[] = {
      {14, 0, "Left", -1000, 1000, 100}, {22, 1, "Q", 0, 100, 0},         {23, 1, "Q", 1, 100, 1},
      {29, 2, "Gain", 1, 100, 1},        {30, 1, "L Gain", -100, 100, -50}, {33, 6, "Wet", 0, 100, 100},
      {38, 1, "Plate 2", 1, 500, 449},   {45, 0, "Base", 1, 1000, 120},    {7, 0, "Tuning", -2400, 1200, 0},
      {5, 0, "Tuning", -1200, 1200, 0},  {17, 5, "Speed", 0, 100, 25},     {19, 0, "Delay", 0, 1000, 0},
      {20, 0, "Delay", 0, 1000, 500}};
  for (const auto& p : params) {
    const ParameterSpec& s = c[p.type].parameters[p.k];
    EXPECT_STREQ(s.label.data(), p.label);
    EXPECT_TRUE(s.present == 1 && s.minimum == p.min && s.maximum == p.max && s.defaultValue == p.def) << p.label;
  }
  const struct { uint32_t type; int g; OptionKind kind; uint32_t count, def; int i; const char* label; } options[] = {
      {34, 0, OptionKind::Choice, 2, 0, 1, "Louder"}, {17, 0, OptionKind::Choice, 4, 1, 0, "2 Tones"},
      {17, 1, OptionKind::Toggle, 0, 0, 0, "Ticks"},  {12, 0, OptionKind::Choice, 4, 1, 3, "Oct 4"}};
  for (const auto& o : options) {
    const OptionSpec& s = c[o.type].options[o.g];
    EXPECT_TRUE(s.kind == o.kind && s.count == o.count && s.defaultValue == o.def) << o.type << " option " << o.g;
    EXPECT_STREQ(s.labels[o.i].data(), o.label);
  }
  // Wave slots offer Reverse and Invert; modulator slots also Sync, except the tempo modulator's.
  const struct { uint32_t type; int s; SlotKind kind; uint32_t sync; const char* label; } slots[] = {
      {1, 0, SlotKind::Wave, 0, "Sample"},            {13, 3, SlotKind::Modulator, 1, "Modulator 4"},
      {45, 0, SlotKind::Modulator, 0, "Modulator 1"}, {46, 1, SlotKind::Modulator, 1, "Right Modulator"},
      {46, 2, SlotKind::None, 0, ""},                 {34, 0, SlotKind::Modulator, 1, "Speed Modulator"}};
  for (const auto& s : slots) {
    const DataSlotSpec& d = c[s.type].dataSlots[s.s];
    EXPECT_TRUE(d.kind == s.kind && d.offersSync == s.sync && d.offersReverse == (s.kind != SlotKind::None) &&
                d.offersInvert == d.offersReverse)
        << s.type << " slot " << s.s;
    EXPECT_STREQ(d.label.data(), s.label);
  }
}

// Option values come from files as saved: the name shown for one never reads past the labels.
TEST(Catalog, OptionLabelsStayWithinTheChoices) {
  const auto arp = static_cast<uint32_t>(EngineTypeId::Arpeggiator);
  const uint32_t delay = static_cast<uint32_t>(EngineTypeId::VariableSpeedDelay);
  const struct { uint32_t type; int option; uint32_t value; const char* label; } cases[] = {
      {arp, 0, 0, "2 Tones"}, {arp, 0, 3, "5 Tones"}, {arp, 0, 4, "5 Tones"}, {arp, 0, 0xffffffffu, "5 Tones"},
      {arp, 1, 0, "Ticks"},   {arp, 1, 7, "Ticks"},   {arp, 2, 0, ""},        {arp, -1, 0, ""},
      {arp, 4, 0, ""},        {kEngineTypeCount, 0, 0, ""}, {delay, 0, 1, "Louder"}};
  for (const auto& c : cases)
    EXPECT_EQ(OptionLabel(c.type, c.option, c.value), c.label) << c.type << " " << c.option << " " << c.value;
}

}  // namespace
}  // namespace tonforge
