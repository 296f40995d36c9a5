// A double click on a value control's number types a new one: one row per kind of control, then the whole way
// through the program's own text entry.
#include <gtest/gtest.h>

#include "sequencer/text_entry.h"
#include "support/app_panels_rig.h"
#include "support/ui_rig.h"
#include "ui/name_edit.h"
#include "ui/pointer.h"

namespace tonforge {
namespace {

using namespace testing::panels;

TEST(DoubleClick, TypesTheNumberOfEveryKindOfValueControl) {
  constexpr uint32_t kVertical = ValueFlag::Enabled | ValueFlag::Vertical | ValueFlag::StartIsUpper;
  constexpr uint32_t kHorizontal = ValueFlag::Enabled | ValueFlag::Horizontal | ValueFlag::StartIsLower;
  // typed: nullptr when no entry is to start.
  const struct { const char* what; uint32_t flags; int32_t start, end, value; int clicks; const char* typed;
                 int32_t expected, reports; } cases[] = {
      {"vertical knob", kVertical, 100, 0, 60, 2, "45", 45, 1},
      {"vertical knob with a signed range", kVertical, 100, -100, 0, 2, "-35", -35, 1},
      {"horizontal slider", kHorizontal, 1, 10000, 500, 2, "2500", 2500, 1},
      {"pitch shown as a note name", kHorizontal | ValueFlag::ShowNoteName, 0, 6099, 2450, 2, "4850", 4850, 1},
      {"beyond the range stops at its end", kVertical, 100, 0, 60, 2, "900", 100, 1},
      {"an empty entry leaves it", kVertical, 100, 0, 60, 2, "", 60, 0},
      {"a single click types nothing", kVertical, 100, 0, 60, 1, nullptr, 60, 1},
      {"a disabled control types nothing", kVertical & ~ValueFlag::Enabled, 100, 0, 60, 2, nullptr, 60, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    testing::UiRig rig;
    bool typing = false;
    std::string text;
    rig.ui.links.startValueEntry = [&] {
      typing = true;
      text.assign(1, '|');
    };
    rig.ui.links.nameEditActive = [&] { return typing; };
    rig.ui.links.endNameEdit = [&] { typing = false; };
    rig.ui.links.entryText = [&] { return std::string_view(text); };
    PanelWindow& p = rig.ui.panels[kEventList];
    int reports = 0;
    AddValueControl(p, MakeValueControl(c.flags, 16, 40, 128, c.start, c.end, c.value, [&](uint32_t) { ++reports; }));
    OpenPanel(rig.ui, kEventList);
    const ValueControl& v = p.valueControls[0];
    const Point knob = rig.Screen(kEventList, {v.x + v.knob.left + 4, v.y + v.knob.top + 4});
    HandlePointer(rig.ui, {PointerAction::LeftDown, knob, 0, false, c.clicks});
    HandlePointer(rig.ui, {PointerAction::LeftUp, knob});
    EXPECT_EQ(typing, c.typed != nullptr);
    EXPECT_EQ(IsValueEditTarget(rig.ui, kEventList, 0), c.typed != nullptr);
    if (c.typed != nullptr) {
      text.assign(c.typed);
      typing = false;  // Enter
      FollowNameEdit(rig.ui);
    }
    EXPECT_EQ(v.value, c.expected);
    EXPECT_EQ(reports, c.reports);
    EXPECT_FALSE(IsValueEditTarget(rig.ui, kEventList, 0));
  }
}

// The program's Level knob typed through the program's own entry: the keys go to it, the knob shows them, and
// Enter sets the program's level.
TEST(DoubleClick, TheProgramLevelTakesATypedNumber) {
  testing::AppPanelsRig rig(1);
  constexpr int32_t kLevel = 1;
  ASSERT_TRUE(rig.Open(kProgramEditor));
  const ValueControl& v = rig.P(kProgramEditor).valueControls[kLevel];
  const Point knob = rig.ui.Screen(kProgramEditor, {v.x + v.knob.left + 4, v.y + v.knob.top + 4});
  HandlePointer(rig.ui.ui, {PointerAction::LeftDown, knob, 0, false, 2});
  HandlePointer(rig.ui.ui, {PointerAction::LeftUp, knob});
  ASSERT_TRUE(IsTextEntryActive(rig.app()));
  for (char ch : std::string("35")) TypeTextEntryCharacter(rig.app(), ch);
  rig.Redraw();
  EXPECT_EQ(rig.ui.ui.links.entryText(), "35|");
  TypeTextEntryCharacter(rig.app(), kEnterCharacter);
  rig.Redraw();
  EXPECT_EQ(v.value, 35);
  EXPECT_FLOAT_EQ(rig.app().song.programs[0]->level, 0.35f);
}

}  // namespace
}  // namespace tonforge
