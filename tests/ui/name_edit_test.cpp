#include <gtest/gtest.h>

#include <string>

#include "app/app_state.h"
#include "support/song_rig.h"
#include "support/ui_rig.h"
#include "ui/app_link.h"
#include "ui/name_edit.h"
#include "ui/panels.h"
#include "ui/pointer.h"

namespace tonforge {
namespace {

constexpr int32_t kProgramList = PanelIndex(Panel::ProgramList), kProgramEditor = PanelIndex(Panel::ProgramEditor);

struct NameRig {
  NameRig() {
    ConnectUi(rig.ui, song.app);
    field = AddButton(rig.ui.panels[kProgramEditor], MakeButton(0, {16, 24, 208, 40}, 4, ButtonStyle::Push));
    row = AddButton(rig.ui.panels[kProgramList], MakeButton(0, {16, 72, 208, 88}, 4, ButtonStyle::ListRow));
    OpenPanel(rig.ui, kProgramList);
    OpenPanel(rig.ui, kProgramEditor);
  }
  Button& Field() { return rig.ui.panels[kProgramEditor].buttons[field]; }
  std::string ProgramName() const { return song.app.song.programs[0]->name.data(); }
  void Type(std::string_view keys) {
    for (char c : keys) TypeTextEntryCharacter(song.app, c);
    TakeRedraws(rig.ui, song.app.changes);
  }

  testing::SongRigOf<AppState> song{1};
  testing::UiRig rig;
  int32_t field = 0, row = 0;
};

TEST(NameEdit, ProgramNamesAreTypedInPlaceAndEndByThemselves) {
  struct Case { std::string keys; std::string name; bool stillEditing; };
  const Case cases[] = {
      {"Bass\b\bs", "Bas", true},
      {std::string(31, 'y'), std::string(31, 'y'), false},  // a full name ends the entry
  };
  for (const Case& c : cases) {
    NameRig n;
    StartNameEdit(n.rig.ui, n.song.app, TextField::ProgramName, 0, kProgramNameMaximum, {kProgramEditor, n.field},
                  {kProgramList, n.row});
    EXPECT_EQ(n.Field().style, ButtonStyle::Editing);
    EXPECT_STREQ(n.Field().text, "|");
    n.Type(c.keys);
    EXPECT_EQ(n.ProgramName(), c.name) << c.keys;
    EXPECT_EQ(n.Field().style, c.stillEditing ? ButtonStyle::Editing : ButtonStyle::Push) << c.keys;
    EXPECT_EQ(n.rig.ui.panels[kProgramList].buttons[n.row].style,
              c.stillEditing ? ButtonStyle::Editing : ButtonStyle::Push);
    if (c.stillEditing) {
      EXPECT_EQ(std::string(n.Field().text), c.name + "|");
    }
  }
}

// Whatever is pressed during a name edit ends the edit first, keeps what was typed, and then acts.
TEST(NameEdit, APressAnywhereEndsTheEditFirstAndThenActs) {
  enum class Where { Control, RightOnControl, CloseBox, TitleBar, Desktop };
  struct Case { const char* name; Where where; int calls; bool editorOpen; };
  const Case cases[] = {
      {"control", Where::Control, 1, true},
      {"right press on a control", Where::RightOnControl, 1, true},
      {"close box", Where::CloseBox, 0, false},
      {"title bar", Where::TitleBar, 0, true},
      {"desktop", Where::Desktop, 0, true},
  };
  for (const Case& c : cases) {
    NameRig n;
    int calls = 0;
    AddButton(n.rig.ui.panels[kProgramEditor],
              MakeButton(1, {16, 48, 64, 64}, 2, ButtonStyle::Push, [&](uint32_t) { ++calls; }));
    StartNameEdit(n.rig.ui, n.song.app, TextField::ProgramName, 0, kProgramNameMaximum, {kProgramEditor, n.field});
    n.Type("Pad");
    const PanelWindow& editor = n.rig.ui.panels[kProgramEditor];
    Point at{};
    PointerAction down = PointerAction::LeftDown, up = PointerAction::LeftUp;
    switch (c.where) {
      case Where::Control: at = n.rig.Screen(kProgramEditor, {40, 56}); break;
      case Where::RightOnControl:
        at = n.rig.Screen(kProgramEditor, {40, 56});
        down = PointerAction::RightDown;
        up = PointerAction::RightUp;
        break;
      case Where::CloseBox: at = {CloseBox(editor).left + 2, CloseBox(editor).top + 2}; break;
      case Where::TitleBar: at = {TitleBar(editor).left + 20, TitleBar(editor).top + 2}; break;
      case Where::Desktop: at = {799, 559}; break;
    }
    HandlePointer(n.rig.ui, {down, at});
    HandlePointer(n.rig.ui, {up, at});
    TakeRedraws(n.rig.ui, n.song.app.changes);
    EXPECT_FALSE(IsTextEntryActive(n.song.app)) << c.name;
    EXPECT_EQ(n.Field().style, ButtonStyle::Push) << c.name;
    EXPECT_EQ(n.ProgramName(), "Pad") << c.name;
    EXPECT_EQ(calls, c.calls) << c.name;
    EXPECT_EQ(editor.open, c.editorOpen) << c.name;
  }
}

TEST(SkinCommands, AnUnusableFileSaysInvalidFileAndKeepsThePicture) {
  NameRig n;
  testing::FakeDialogs& dialogs = n.song.dialogs;
  Pixels replacement(kDeckWidth, kDeckHeight, 0x224466);
  dialogs.paths = {testing::WriteTempFile("not_a_bitmap.bmp", {'B', 'M', 1, 2, 3}),
                   testing::WriteTempFile("good_deck.bmp", testing::BmpBytes(replacement)), std::nullopt};
  const Pixels before = n.rig.ui.skins.deck;
  SelectDeckFile(n.rig.ui, n.song.app);
  EXPECT_EQ(n.song.Headlines(), std::vector<std::string>{"Invalid File"});
  EXPECT_EQ(dialogs.shown.back().caption, "Error");
  EXPECT_EQ(n.rig.ui.skins.deck.data, before.data);
  SelectDeckFile(n.rig.ui, n.song.app);
  EXPECT_EQ(n.rig.ui.skins.deck.At(5, 5), 0x224466u);
  EXPECT_EQ(n.rig.ScreenAt(kProgramList, {100, 150}), 0x224466u);  // every panel drawn again
  SelectSkinFile(n.rig.ui, n.song.app);                             // cancelled: nothing said
  EXPECT_EQ(dialogs.shown.size(), 1u);
  EXPECT_EQ(dialogs.requests[0].filters[0].pattern, "*.bmp");
}

}  // namespace
}  // namespace tonforge
