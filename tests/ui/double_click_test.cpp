// A double click on a value control's number types a new one through the program's own text entry: one row per
// kind of control, then the program's Level knob.
#include <gtest/gtest.h>

#include "sequencer/text_entry.h"
#include "support/app_panels_rig.h"
#include "ui/name_edit.h"
#include "ui/pointer.h"

namespace tonforge {
namespace {

using namespace testing::panels;

// Types the keys into the entry; Enter ends it, and the main loop's pass hands the number to its control.
void TypeNumber(testing::PanelRig& rig, std::string_view keys) {
  for (char ch : keys) TypeTextEntryCharacter(rig.app(), ch);
  TypeTextEntryCharacter(rig.app(), kEnterCharacter);
  TakeRedraws(rig.ui.ui, rig.app().changes);
}

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
    testing::PanelRig rig;
    int reports = 0;
    AddValueControl(rig.P(kEventList),
                    MakeValueControl(c.flags, 16, 40, 128, c.start, c.end, c.value, [&](uint32_t) { ++reports; }));
    OpenPanel(rig.ui.ui, kEventList);
    rig.ClickAt(rig.KnobMiddle(kEventList, 0), false, c.clicks);
    EXPECT_EQ(IsTextEntryActive(rig.app()), c.typed != nullptr);
    EXPECT_EQ(IsValueEditTarget(rig.ui.ui, kEventList, 0), c.typed != nullptr);
    if (c.typed != nullptr) TypeNumber(rig, c.typed);
    EXPECT_EQ(rig.P(kEventList).valueControls[0].value, c.expected);
    EXPECT_EQ(reports, c.reports);
    EXPECT_FALSE(IsValueEditTarget(rig.ui.ui, kEventList, 0));
  }
}

// The program's Level knob shows the keys as they are typed, and Enter sets the program's level.
TEST(DoubleClick, TheProgramLevelTakesATypedNumber) {
  testing::AppPanelsRig rig(1);
  constexpr int32_t kLevel = 1;
  rig.ClickAt(rig.KnobMiddle(kProgramEditor, kLevel), false, 2);
  ASSERT_TRUE(IsTextEntryActive(rig.app()));
  for (char ch : std::string("35")) TypeTextEntryCharacter(rig.app(), ch);
  rig.Redraw();
  EXPECT_EQ(rig.ui.ui.links.entryText(), "35|");
  TypeNumber(rig, "");
  EXPECT_EQ(rig.P(kProgramEditor).valueControls[kLevel].value, 35);
  EXPECT_FLOAT_EQ(rig.app().song.programs[0]->level, 0.35f);
}

}  // namespace
}  // namespace tonforge
