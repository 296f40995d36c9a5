#include <gtest/gtest.h>

#include <set>
#include <string>

#include "programs/chain_editing.h"
#include "programs/data_slot_commands.h"
#include "sequencer/text_entry.h"
#include "support/panel_rig.h"
#include "ui/name_edit.h"
#include "ui/panels/engine_editor.h"
#include "ui/panels/engine_types.h"

namespace tonforge {
namespace {

using testing::FillSlot;
using testing::Id;
using testing::PanelRig;
namespace E = EngineEditorControl;
namespace T = EngineTypeListControl;

constexpr int32_t kEngineEditor = PanelIndex(Panel::EngineEditor), kEngineTypes = PanelIndex(Panel::EngineTypeList);

struct EngineRig : PanelRig {
  EngineRig() : PanelRig(1, 2) {
    App().song.currentTrack = 0;
    BuildEngineEditorPanel(UI(), App());
    BuildEngineTypeListPanel(UI(), App());
    OpenPanel(UI(), kEngineEditor);
    OpenPanel(UI(), kEngineTypes);
  }
  // An engine of the type at position 2 of the program's chain (or of the song chain), with slots filled.
  Engine& Show(uint32_t type, std::set<int> loaded, ChainMode mode = ChainMode::Program) {
    song.SetType(mode, 2, type);
    Engine& e = *SelectedEngine(App());
    for (int s : loaded) FillSlot(e, s, 480);
    Redraw(kEngineEditor);
    return e;
  }
  std::set<int32_t> SlotButtons(int k) {
    std::set<int32_t> out;
    for (int32_t b = 0; b < E::SlotButtonCount; ++b)
      if (Shown(kEngineEditor, E::SlotButtonIndex(k, static_cast<E::SlotButton>(b)))) out.insert(b);
    return out;
  }
  std::set<int32_t> SlotControls(int k) {
    std::set<int32_t> out;
    for (int32_t c = 0; c < E::SlotControlCount; ++c)
      if (ControlShown(kEngineEditor, E::SlotControlIndex(k, static_cast<E::SlotControl>(c)))) out.insert(c);
    return out;
  }
  ValueControl& SlotControl(int k, E::SlotControl c) { return P(kEngineEditor).valueControls[E::SlotControlIndex(k, c)]; }
  void ClickSlot(int k, E::SlotButton b) { ClickButton(kEngineEditor, E::SlotButtonIndex(k, b)); }
};

// The editor shows exactly the controls the engine's type allows, slot by slot.
TEST(EngineEditorPanel, ShowsExactlyTheControlsTheTypeAllows) {
  using B = E::SlotButton;
  using V = E::SlotControl;
  const std::set<int32_t> wave{B::Clear, B::Name, B::Loop, B::Invert, B::Reverse, B::GainUp, B::GainDown,
                               B::RootDown, B::RootUp};
  const std::set<int32_t> modulator{B::Clear, B::Name, B::Invert, B::Reverse, B::Sync, B::PeriodDown, B::PeriodUp};
  std::set<int32_t> modulatorNoSync = modulator;
  modulatorNoSync.erase(B::Sync);
  struct Case {
    EngineTypeId type;
    ChainMode mode;
    std::set<int> loaded;
    const char* title;
    int parameters;
    std::set<int32_t> options;
    std::array<std::set<int32_t>, kDataSlotCount> buttons;
    std::array<std::set<int32_t>, kDataSlotCount> controls;
  };
  const Case cases[] = {
      {EngineTypeId::Thru, ChainMode::Program, {}, "Thru", 0, {}, {}, {}},
      {EngineTypeId::BasicWave, ChainMode::Program, {}, "Basic Wave", 1, {}, {{{B::LoadWave}}}, {}},
      {EngineTypeId::BasicWave, ChainMode::Program, {0}, "Basic Wave", 1, {}, {wave}, {{{V::Gain, V::RootPitch}}}},
      {EngineTypeId::AmplitudeModulation, ChainMode::Program, {1}, "Amplitude Modulation", 2, {},
       {{{B::LoadModulator}, modulator, {B::LoadModulator}, {B::LoadModulator}}}, {{{}, {V::Period}, {}, {}}}},
      {EngineTypeId::SongSpeedModulator, ChainMode::Track, {0}, "Song Speed Modulator", 3, {},
       {{modulatorNoSync, {B::LoadModulator}, {B::LoadModulator}, {B::LoadModulator}}}, {{{V::Period}}}},
      {EngineTypeId::Arpeggiator, ChainMode::Program, {}, "Arpeggiator", 6, {0, 1}, {}, {}},
  };
  for (const Case& c : cases) {
    EngineRig r;
    r.Show(Id(c.type), c.loaded, c.mode);
    EXPECT_EQ(r.P(kEngineEditor).title, c.title);
    for (int k = 0; k < kParameterCount; ++k) {
      EXPECT_EQ(r.ControlShown(kEngineEditor, k), k < c.parameters) << c.title << " parameter " << k;
      EXPECT_EQ(r.Shown(kEngineEditor, E::ParameterUp + 2 * k), k < c.parameters) << c.title << " parameter " << k;
    }
    for (int g = 0; g < kOptionCount; ++g)
      EXPECT_EQ(r.Shown(kEngineEditor, E::FirstOption + g), c.options.count(g) == 1) << c.title << " option " << g;
    for (int k = 0; k < kDataSlotCount; ++k) {
      EXPECT_EQ(r.SlotButtons(k), c.buttons[k]) << c.title << " slot " << k;
      EXPECT_EQ(r.SlotControls(k), c.controls[k]) << c.title << " slot " << k;
      const bool emptySlotNamed = c.buttons[k].count(B::LoadWave) + c.buttons[k].count(B::LoadModulator) > 0;
      EXPECT_EQ(r.P(kEngineEditor).labels[E::SlotLabelIndex(k, E::SlotName)].enabled, emptySlotNamed ? 1u : 0u);
    }
  }
}

TEST(EngineEditorPanel, ControlsShowAndChangeTheEngine) {
  EngineRig r;
  Engine& wave = r.Show(Id(EngineTypeId::BasicWave), {0});
  wave.slots[0].gain = 0.5f;
  wave.slots[0].rootOrRate.i = 4850;
  wave.F[0] = 0.29f;  // shows 29, not 28
  r.Redraw(kEngineEditor);
  EXPECT_EQ(r.SlotControl(0, E::Gain).value, 50);
  EXPECT_EQ(r.SlotControl(0, E::RootPitch).value, 4850);
  EXPECT_EQ(r.P(kEngineEditor).valueControls[0].value, 29);
  EXPECT_EQ(r.P(kEngineEditor).valueControls[0].start, 100);  // the parameter's maximum at the top
  r.ClickSlot(0, E::Loop);
  EXPECT_EQ(wave.slots[0].looped, 1u);
  EXPECT_EQ(r.B(kEngineEditor, E::SlotButtonIndex(0, E::Loop)).style, ButtonStyle::ToggleOn);
  r.ClickSlot(0, E::GainDown);
  EXPECT_FLOAT_EQ(wave.slots[0].gain, 0.49f);
  r.ClickSlot(0, E::RootDown);
  EXPECT_EQ(wave.slots[0].rootOrRate.i, 3650);
  r.ClickButton(kEngineEditor, E::ParameterDown);
  EXPECT_FLOAT_EQ(wave.F[0], 0.28f);
  EXPECT_FLOAT_EQ(wave.C[0], 0.72f);
  r.ClickSlot(0, E::Name);
  EXPECT_TRUE(IsNameEditTarget(r.UI(), kEngineEditor, E::SlotButtonIndex(0, E::Name)));
  EndTextEntry(r.App());
  r.ClickSlot(0, E::Clear);
  EXPECT_EQ(wave.slots[0].loaded, 0u);
  EXPECT_EQ(r.SlotButtons(0), std::set<int32_t>{E::LoadWave});

  // Modulator periods: milliseconds at 44100 Hz, or ticks with tempo sync.
  EngineRig m;
  Engine& mod = m.Show(Id(EngineTypeId::AmplitudeModulation), {0});
  mod.slots[0].length = 22050;
  mod.slots[0].rootOrRate.f = 0.05f;
  m.Redraw(kEngineEditor);
  EXPECT_EQ(m.SlotControl(0, E::Period).value, 10000);
  m.SlotControl(0, E::Period).value = 96;
  m.ClickSlot(0, E::Sync);
  EXPECT_EQ(mod.slots[0].tempoSync, 1u);
  EXPECT_FLOAT_EQ(mod.slots[0].rootOrRate.f, 22050.0f * 48 / 96);
  EXPECT_EQ(m.SlotControl(0, E::Period).value, 96);

  // Options with choices step and wrap; options without toggle.
  EngineRig a;
  Engine& arp = a.Show(Id(EngineTypeId::Arpeggiator), {});
  arp.options = {3, 0, 0, 0};
  a.Redraw(kEngineEditor);
  EXPECT_STREQ(a.B(kEngineEditor, E::FirstOption).text, "5 Tones");
  a.ClickButton(kEngineEditor, E::FirstOption);
  a.ClickButton(kEngineEditor, E::FirstOption + 1);
  EXPECT_EQ(arp.options[0], 0u);
  EXPECT_EQ(arp.options[1], 1u);
  EXPECT_STREQ(a.B(kEngineEditor, E::FirstOption).text, "2 Tones");
  EXPECT_EQ(a.B(kEngineEditor, E::FirstOption + 1).style, ButtonStyle::ToggleOn);
}

TEST(EngineTypeListPanel, ListsTheTypesOfTheEditedChainLevel) {
  struct Case {
    ChainMode mode;
    int32_t track;
    uint32_t levelBit;
    int32_t levelCaption;
  };
  const Case cases[] = {
      {ChainMode::Program, 0, kLevelProgram, 106},
      {ChainMode::Track, 0, kLevelSong, 104},
      {ChainMode::Track, 1, kLevelTrack, 105},
  };
  for (const Case& c : cases) {
    EngineRig r;
    r.App().chainEditor.chainMode = c.mode;
    r.App().song.currentTrack = c.track;
    r.Redraw(kEngineTypes);
    const TypeList& list = EngineTypesFor(r.App());
    ASSERT_GE(list.count, 10u);
    for (uint32_t i = 0; i < list.count; ++i) EXPECT_NE(r.App().catalog[list.types[i]].levelFlags & c.levelBit, 0u);
    EXPECT_EQ(r.P(kEngineTypes).labels[T::Level].caption, c.levelCaption);
    EXPECT_STREQ(r.B(kEngineTypes, T::FirstRow + 8).text, r.App().catalog[list.types[8]].name.data());
    EXPECT_EQ(r.P(kEngineTypes).valueControls[T::ListSlider].end, static_cast<int32_t>(list.count) - 1);

    // A row selects its type; the slider's arrow keeps the selection among the nine rows; Set Type uses it.
    r.ClickButton(kEngineTypes, T::FirstRow + 8);
    EXPECT_EQ(r.App().song.selectedEngineType, 8);
    EXPECT_EQ(r.B(kEngineTypes, T::FirstRow + 8).style, ButtonStyle::Push);
    EXPECT_EQ(r.B(kEngineTypes, T::FirstRow + 7).style, ButtonStyle::ListRow);
    r.ClickButton(kEngineTypes, T::ListDown);
    EXPECT_EQ(r.App().song.selectedEngineType, 9);
    EXPECT_EQ(r.App().song.engineListScroll, 1);
    r.ClickButton(kEngineTypes, T::SetType);
    EXPECT_EQ(SelectedEngine(r.App())->type, list.types[9]);
    EXPECT_EQ(r.P(kEngineEditor).title, r.App().catalog[list.types[9]].name.data());
  }
}

}  // namespace
}  // namespace tonforge
