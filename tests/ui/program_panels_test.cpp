#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "programs/program_list.h"
#include "sequencer/text_entry.h"
#include "support/app_panels_rig.h"

namespace tonforge {
namespace {

using testing::AppPanelsRig;

constexpr int32_t kList = PanelIndex(Panel::ProgramList), kEditor = PanelIndex(Panel::ProgramEditor);
// Program list buttons.
constexpr int32_t kNew = 0, kDelete = 1, kCopy = 2, kLoad = 3, kSave = 4, kRow0 = 5, kUp = 14, kDown = 15;

struct Press {
  int32_t panel, button;
};

// The program list and the program editor as the list grows, shrinks and scrolls under the mouse.
TEST(ProgramPanels, ListAndEditorFollowThePrograms) {
  struct Case {
    int programs;
    std::vector<Press> presses;
    bool answerYes;
    int32_t count, current, scroll;
    std::vector<std::string> rows;  // the names the visible rows show
  };
  const Case cases[] = {
      {0, {}, false, 0, 0, 0, {}},
      {0, {{kList, kNew}}, false, 1, 0, 0, {"Program 0"}},
      {1, {{kList, kNew}}, false, 2, 1, 0, {"Program 0", "Program 1"}},  // New makes the new program current
      {2, {{kList, kDelete}}, true, 1, 0, 0, {"Program 1"}},
      {2, {{kList, kDelete}}, false, 2, 0, 0, {"Program 0", "Program 1"}},
      {1, {{kList, kDelete}}, true, 0, -1, 0, {}},
      {3, {{kList, kRow0 + 2}, {kList, kCopy}}, false, 4, 2, 0, {"Program 0", "Program 1", "Program 2", "Program 2"}},
      {12, {{kList, kRow0 + 3}}, false, 12, 3, 0,
       {"Program 0", "Program 1", "Program 2", "Program 3", "Program 4", "Program 5", "Program 6", "Program 7",
        "Program 8"}},
      // The down arrow steps the list slider and the current program with it; the rows follow from the ninth.
      {12, std::vector<Press>(10, {kList, kDown}), false, 12, 10, 2,
       {"Program 2", "Program 3", "Program 4", "Program 5", "Program 6", "Program 7", "Program 8", "Program 9",
        "Program 10"}},
      {12, {{kList, kDown}, {kList, kDown}, {kList, kUp}}, false, 12, 1, 0,
       {"Program 0", "Program 1", "Program 2", "Program 3", "Program 4", "Program 5", "Program 6", "Program 7",
        "Program 8"}},
  };
  for (const Case& c : cases) {
    AppPanelsRig rig(c.programs);
    const std::string where = std::to_string(c.programs) + " programs, " + std::to_string(c.presses.size()) + " presses";
    if (c.answerYes) rig.song.dialogs.answers = {true};
    for (const Press& p : c.presses) rig.Press(p.panel, p.button);
    const Song& song = rig.app().song;
    EXPECT_EQ(ProgramCount(song), c.count) << where;
    EXPECT_EQ(song.currentProgram, c.current) << where;
    EXPECT_EQ(song.programListScroll, c.scroll) << where;
    for (int32_t r = 0; r < kProgramListRows; ++r) {
      const bool shown = r < static_cast<int32_t>(c.rows.size());
      EXPECT_EQ(rig.Shown(kList, kRow0 + r), shown) << where << " row " << r;
      if (!shown) continue;
      EXPECT_STREQ(rig.B(kList, kRow0 + r).text, c.rows[r].c_str()) << where << " row " << r;
      EXPECT_EQ(rig.B(kList, kRow0 + r).style, c.scroll + r == c.current ? ButtonStyle::Push : ButtonStyle::ListRow)
          << where << " row " << r;
    }
    // New and Load always; the rest only with a program; the slider and its arrows only with two.
    EXPECT_TRUE(rig.Shown(kList, kNew) && rig.Shown(kList, kLoad)) << where;
    for (int32_t b : {kDelete, kCopy, kSave}) EXPECT_EQ(rig.Shown(kList, b), c.count >= 1) << where << " button " << b;
    EXPECT_EQ(rig.P(kList).labels[0].enabled != 0, c.count >= 1) << where;
    const ValueControl& slider = rig.P(kList).valueControls[0];
    EXPECT_EQ((slider.flags & ValueFlag::Enabled) != 0, c.count >= 2) << where;
    EXPECT_EQ(rig.Shown(kList, kUp) && rig.Shown(kList, kDown), c.count >= 2) << where;
    if (c.count >= 2) {
      EXPECT_EQ(slider.end, c.count - 1) << where;
      EXPECT_EQ(slider.value, c.current) << where;
    }
    // With no program the editor shows nothing at all: its name field is not even drawn. With one, everything
    // but the engine operations (buttons 4 to 7 and their label), which wait for its chain to be edited.
    PanelWindow& editor = rig.P(kEditor);
    for (size_t b = 0; b < editor.buttons.size(); ++b) {
      const bool operation = b >= 4 && b <= 7;
      EXPECT_EQ((editor.buttons[b].flags & ButtonFlag::Enabled) != 0, c.count >= 1 && !operation) << where << " " << b;
    }
    for (const ValueControl& v : editor.valueControls) EXPECT_EQ((v.flags & ValueFlag::Enabled) != 0, c.count >= 1);
    for (size_t l = 0; l < editor.labels.size(); ++l)
      EXPECT_EQ(editor.labels[l].enabled != 0, c.count >= 1 && l != 3) << where << " label " << l;
    const Point inField{editor.buttons[0].rect.left + 2, editor.buttons[0].rect.top + 2};
    EXPECT_EQ(rig.ui.ScreenAt(kEditor, inField) == rig.ui.DeckAt(kEditor, inField), c.count == 0) << where;
    if (c.count >= 1) {
      EXPECT_STREQ(editor.buttons[0].text, song.programs[c.current]->name.data()) << where;
    }
  }
}

// The editor's name field types the current program's name, shown in its list row as it is typed.
TEST(ProgramPanels, TheNameFieldRenamesTheCurrentProgram) {
  AppPanelsRig rig(3);
  rig.Press(kList, kRow0 + 1);
  rig.Press(kEditor, 0);
  for (char c : std::string("Bells")) TypeTextEntryCharacter(rig.app(), c);
  rig.Redraw();
  EXPECT_STREQ(rig.B(kList, kRow0 + 1).text, "Bells|");
  EXPECT_EQ(rig.B(kList, kRow0 + 1).style, ButtonStyle::Editing);
  TypeTextEntryCharacter(rig.app(), '\r');
  rig.Redraw();
  EXPECT_STREQ(rig.app().song.programs[1]->name.data(), "Bells");
  EXPECT_STREQ(rig.B(kList, kRow0 + 1).text, "Bells");
  EXPECT_STREQ(rig.B(kEditor, 0).text, "Bells");
  EXPECT_EQ(rig.B(kEditor, 0).style, ButtonStyle::Push);
}

}  // namespace
}  // namespace tonforge
