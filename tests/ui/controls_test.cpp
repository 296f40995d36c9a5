// The controls and their drawing: buttons, knobs and sliders under the pointer, numbers typed after a double
// click, the panels' openers and title bars, pixels from the skin, text in its fields, bitmaps that cannot be used,
// and the whole interface enlarged.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include "support/app_panels_rig.h"
#include "ui/bmp.h"
#include "ui/captions.h"
#include "ui/name_edit.h"
#include "ui/pixels.h"
#include "ui/scaling.h"
#include "ui/skin_drawing.h"

namespace tonforge {
namespace {

using namespace testing;
using namespace testing::panels;

// Bar and beat texts are left to the event list's time fields, which show them in every figure.
TEST(ControlTexts, NoteNamesWithTheirCents) {
  const std::pair<int32_t, const char*> notes[] = {
      {4850, "C 4"}, {4950, "C#4"}, {5950, "B 4"}, {4800, "C 4-50"}, {4849, "C 4-01"}, {4851, "C 4+01"},
      {4899, "C 4+49"}, {2450, "C 2"}, {0, "C 0-50"}, {6099, "C 5+49"}, {1150, "B 0"},
  };
  for (const auto& [pitch, name] : notes) EXPECT_EQ(NoteName(pitch), name) << pitch;
}

TEST(ValueControls, KnobAndValueArithmeticTruncates) {
  constexpr uint32_t H = ValueFlag::Enabled | ValueFlag::Horizontal | ValueFlag::StartIsLower;
  constexpr uint32_t V = ValueFlag::Enabled | ValueFlag::Vertical | ValueFlag::StartIsUpper;
  struct Case { uint32_t flags; int32_t length, start, end, offset, value; };
  const auto knobAt = [](uint32_t flags, int32_t offset) {
    return (flags & ValueFlag::Vertical) ? Rect{0, offset, 32, offset + 16} : Rect{offset, 0, offset + 48, 16};
  };
  const Case fromKnob[] = {
      {H, 64, 0, 100, 1, 6}, {H, 64, 0, 100, 16, 100}, {H, 64, 0, 100, 0, 0}, {H, 64, 0, 100, 7, 43},
      {V, 64, 100, -100, 24, 0}, {V, 64, 100, -100, 1, 96}, {V, 64, 100, -100, 47, -95}, {V, 64, 100, -100, 48, -100},
  };
  for (const Case& c : fromKnob) {
    ValueControl v = MakeValueControl(c.flags, 0, 0, c.length, c.start, c.end, c.start);
    v.knob = knobAt(c.flags, c.offset);
    EXPECT_EQ(ValueFromKnob(v), c.value) << c.offset;
  }
  const Case toKnob[] = {
      {V, 64, 100, -100, 24, 0}, {H, 64, 0, 100, 0, 5}, {H, 64, 0, 100, 16, 100}, {V, 112, 100, 0, 96, 0},
      {V, 64, 100, -100, 0, 100}, {H, 112, 0, 99999, 0, 1562},
  };
  for (const Case& c : toKnob) {
    const ValueControl v = MakeValueControl(c.flags, 0, 0, c.length, c.start, c.end, c.value);
    EXPECT_EQ(v.knob, knobAt(c.flags, c.offset)) << c.value;
  }
  EXPECT_TRUE(MakeValueControl(H, 0, 0, 64, 5, 5, 5).knob.Empty());
}

// Step buttons worked with the mouse: left and right clicks on beat, octave and plain arrows.
TEST(StepButtons, BeatOctaveAndArrowsStepTheAttachedControl) {
  namespace F = ButtonFlag;
  struct Case { uint32_t buttonFlag; bool right; int32_t start, end, before, after; };
  const Case cases[] = {
      {F::BeatUp, false, 1, 10000, 1, 48}, {F::BeatUp, false, 1, 10000, 48, 96}, {F::BeatDown, false, 1, 10000, 48, 1},
      {F::BeatUp, false, 1, 100, 90, 100}, {F::BeatUp, true, 1, 10000, 48, 49}, {F::BeatDown, true, 1, 10000, 48, 47},
      {F::OctaveUp, false, 0, 6099, 5000, 6099}, {F::OctaveDown, false, 0, 6099, 1000, 0},
      {F::OctaveDown, true, 0, 6099, 1000, 999}, {F::StepUp, false, 100, 0, 99, 100},
      {F::StepUp, false, 100, 0, 100, 100}, {F::StepDown, false, 100, 0, 1, 0}, {F::StepDown, true, 100, 0, 50, 50},
      {F::StepUp, true, 100, -100, 50, 50},
  };
  for (const Case& c : cases) {
    UiRig rig;
    int calls = 0;
    int32_t seen = 0;
    Button b = MakeButton(0, {16, 40, 32, 56}, 0, ButtonStyle::Push, [&](uint32_t) {
      ++calls;
      seen = rig.ui.panels[kEventList].valueControls[0].value;
    });
    b.flags |= c.buttonFlag;
    const uint32_t flags = ValueFlag::Enabled | ValueFlag::Horizontal |
                           (c.start > c.end ? ValueFlag::StartIsUpper : ValueFlag::StartIsLower);
    rig.OpenWith({MakeValueControl(flags, 16, 100, 200, c.start, c.end, c.before)}, {b});
    rig.Click(kEventList, {24, 48}, c.right);
    // Called once, and it reads the stepped value.
    EXPECT_EQ(std::pair(calls, seen), std::pair(1, c.after)) << c.buttonFlag << " " << c.right << " " << c.before;
  }
}

// A press and a release, each inside or outside the button (16, 40)-(64, 56), its border lines being outside.
TEST(Buttons, HitTestsAreStrictAndOnlyAReleaseInsideRuns) {
  struct Case { Point press, release; bool pressedAfterPress; int calls; };
  const Case cases[] = {
      {{17, 41}, {63, 55}, true, 1},  {{16, 48}, {16, 48}, false, 0}, {{64, 48}, {64, 48}, false, 0},
      {{40, 40}, {40, 40}, false, 0}, {{40, 56}, {40, 56}, false, 0}, {{40, 48}, {40, 56}, true, 0},
  };
  for (const Case& c : cases) {
    UiRig rig;
    int calls = 0;
    const uint32_t& flags =
        rig.OpenWith({}, {MakeButton(1, {16, 40, 64, 56}, 2, ButtonStyle::Push, [&](uint32_t) { ++calls; })})
            .buttons[0].flags;
    PressPanel(rig.ui, kEventList, rig.Client(kEventList, c.press));
    EXPECT_EQ((flags & ButtonFlag::Pressed) != 0, c.pressedAfterPress) << c.press.x << "," << c.press.y;
    ReleasePanel(rig.ui, kEventList, rig.Client(kEventList, c.release));
    EXPECT_EQ(calls, c.calls) << c.release.x << "," << c.release.y;
    // The normal look is back: the button is no longer pressed.
    EXPECT_EQ(rig.ScreenAt(kEventList, {20, 50}), SkinPattern(128 + 4, 64 + 16 + 10));
  }
}

TEST(ValueControls, ADragFollowsTheMotionClampsAndReportsOnRelease) {
  UiRig rig;
  int calls = 0;
  int32_t reported = -1;
  const ValueControl& v = rig.OpenWith({MakeValueControl(
      ValueFlag::Enabled | ValueFlag::Vertical | ValueFlag::StartIsUpper, 16, 40, 64, 100, -100, 100, [&](uint32_t) {
        ++calls;
        reported = rig.ui.panels[kEventList].valueControls[0].value;
      })}).valueControls[0];
  auto move = [&](Point outer) { HandlePointer(rig.ui, {PointerAction::Move, rig.Screen(kEventList, outer)}); };
  auto button = [&](PointerAction a, Point outer) { HandlePointer(rig.ui, {a, rig.Screen(kEventList, outer)}); };
  move({30, 45});
  button(PointerAction::LeftDown, {30, 45});
  move({300, 46});  // only the vertical motion counts
  EXPECT_EQ(std::pair(v.knob.top, v.value), std::pair(1, 96));
  move({30, 500});  // clamped at the bottom
  EXPECT_EQ(v.value, -100);
  move({30, 480});  // and back by the motion, not to the pointer
  EXPECT_EQ(std::pair(v.knob.top, calls), std::pair(28, 0));
  button(PointerAction::LeftUp, {400, 400});  // anywhere
  // The knob placed again from the value: -116 x 48 / -200.
  EXPECT_EQ(std::tuple(calls, reported, v.knob.top), std::tuple(1, -16, 27));
  EXPECT_EQ(std::pair(rig.ui.pointer.draggedControl, v.flags & ValueFlag::Dragged), std::pair(-1, 0u));
}

TEST(Panels, OpenersFollowOpenCloseAndToggle) {
  UiRig rig;
  bool quit = false;
  rig.ui.links.requestQuit = [&] { quit = true; };
  rig.ui.links.globalTrackCurrent = [] { return false; };
  OpenStartupPanels(rig.ui);
  const std::vector<Button>& centre = rig.ui.panels[kCentre].buttons;
  auto lit = [&](int32_t opener) { return centre[opener].style == ButtonStyle::ToggleOn; };
  for (int32_t p : {1, 4, 8, 9}) EXPECT_TRUE(rig.ui.panels[p].open && lit(OpenerButton(p))) << p;
  EXPECT_FALSE(OpenPanel(rig.ui, kProgramEditor));  // already open: its opener is lit

  // The track list's toggle in the control centre, clicked: opening a panel closes the one sharing its place.
  const Rect toggle = centre[OpenerButton(kTrackList)].rect;
  rig.Click(kCentre, {toggle.left + 8, toggle.top + 8});
  EXPECT_TRUE(rig.ui.panels[kTrackList].open && !rig.ui.panels[kEngineEditor].open && lit(2) && !lit(6));
  rig.Click(0, {40, 32});  // song layout
  for (int32_t p : {7, 3, 5}) EXPECT_TRUE(rig.ui.panels[p].open) << p;
  for (int32_t p : {8, 4, 9}) EXPECT_FALSE(rig.ui.panels[p].open) << p;
  EXPECT_FALSE(quit);
  const Rect close = CloseBox(rig.ui.panels[kCentre]);
  rig.ClickAt({close.left + 4, close.top + 4});
  EXPECT_TRUE(quit);
}

TEST(Panels, TitleBarsMoveAndTheFirstClickClearsTheSplash) {
  UiRig rig;
  OpenStartupPanels(rig.ui);
  const Rect splash = kSplashPlace;
  EXPECT_EQ(rig.ui.screen.At(splash.left + 10, splash.top + 10), rig.ui.skins.splash.At(10, 10));
  // A click on the title bar moves nothing by itself and leaves the splash.
  const PanelWindow& types = rig.ui.panels[kEngineTypes];
  const Point grab{types.left + 40, types.top + 8};
  HandlePointer(rig.ui, {PointerAction::LeftDown, grab});
  HandlePointer(rig.ui, {PointerAction::Move, {grab.x + 30, grab.y - 20}});
  HandlePointer(rig.ui, {PointerAction::LeftUp, {grab.x + 30, grab.y - 20}});
  EXPECT_EQ(std::tuple(types.left, types.top, rig.ui.splash), std::tuple(30, 336 - 20, true));
  // A left click in a client area clears it; the engine editor is drawn where it lay.
  rig.Click(1, {100, 100});
  EXPECT_FALSE(rig.ui.splash);
  const PanelWindow& engine = rig.ui.panels[kEngineEditor];
  const Point inEngine{splash.left + 10 - engine.left, splash.top + 10 - engine.top};
  EXPECT_EQ(rig.ui.screen.At(splash.left + 10, splash.top + 10), rig.DeckAt(kEngineEditor, inEngine));
}

// The wheel steps the control under the pointer (ten with Shift) or scrolls the panel's list or view; a
// Shift-drag moves a step every two pixels; a double click on the number types a new one through the program's
// own text entry. Each reports once, as a finished drag does.
TEST(ValueControls, TheWheelAShiftDragAndATypedNumberSetTheValue) {
  constexpr uint32_t V = ValueFlag::Enabled | ValueFlag::Vertical | ValueFlag::StartIsUpper;
  constexpr uint32_t H = ValueFlag::Enabled | ValueFlag::Horizontal | ValueFlag::StartIsLower;
  constexpr uint32_t L = ValueFlag::Enabled | ValueFlag::Vertical | ValueFlag::StartIsLower;
  enum class Role { Control, List, View };
  enum class Gesture { Wheel, ShiftDrag, Type };
  // amount: notches, pixels dragged up or right, or clicks before `typed` (nullptr: no entry is to start).
  struct Case { const char* name; uint32_t flags; int32_t start, end, value; Role role; Gesture gesture; int32_t amount;
                bool shift; int32_t expected, reports; const char* typed = nullptr; };
  const Case cases[] = {
      {"vertical slider, Shift", V, 100, -100, 0, Role::Control, Gesture::Wheel, -2, true, -20, 1},
      {"horizontal knob, a notch down", H, 0, 100, 50, Role::Control, Gesture::Wheel, -1, false, 49, 1},
      {"knob at its end", H, 0, 100, 100, Role::Control, Gesture::Wheel, 3, false, 100, 0},
      {"list, toward the user", L, 0, 20, 5, Role::List, Gesture::Wheel, -2, false, 7, 1},
      {"view sideways with Shift", H, 0, 50, 10, Role::View, Gesture::Wheel, -1, true, 11, 1},
      {"view, plain wheel scrolls the list", H, 0, 50, 10, Role::View, Gesture::Wheel, -1, false, 10, 0},
      {"Shift-drag up a vertical slider", V, 100, -100, 0, Role::Control, Gesture::ShiftDrag, 11, true, 5, 1},
      {"Shift-drag right a horizontal knob", H, 0, 100, 50, Role::Control, Gesture::ShiftDrag, 6, true, 53, 1},
      {"typed into a signed range", V, 100, -100, 0, Role::Control, Gesture::Type, 2, false, -35, 1, "-35"},
      {"typed into a horizontal slider", H, 1, 10000, 500, Role::Control, Gesture::Type, 2, false, 2500, 1, "2500"},
      {"typed beyond the range", V, 100, 0, 60, Role::Control, Gesture::Type, 2, false, 100, 1, "900"},
      {"an empty entry", V, 100, 0, 60, Role::Control, Gesture::Type, 2, false, 60, 0, ""},
      {"a single click types nothing", V, 100, 0, 60, Role::Control, Gesture::Type, 1, false, 60, 1},
      {"a disabled control types nothing", V & ~ValueFlag::Enabled, 100, 0, 60, Role::Control, Gesture::Type, 2,
       false, 60, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PanelRig rig;
    Ui& ui = rig.ui.ui;
    int reports = 0;
    PanelWindow& p =
        rig.ui.OpenWith({MakeValueControl(c.flags, 16, 40, 64, c.start, c.end, c.value, [&](uint32_t) { ++reports; })});
    if (c.role == Role::List) p.wheelScroll = 0;
    if (c.role == Role::View) p.wheelScrollSideways = 0;
    const Point knob = rig.KnobMiddle(kEventList, 0);
    const bool vertical = (c.flags & ValueFlag::Vertical) != 0;
    if (c.gesture == Gesture::Wheel) {
      const Point at = c.role == Role::Control ? knob : rig.ui.Screen(kEventList, {150, 100});
      HandlePointer(ui, {PointerAction::Wheel, at, c.amount, c.shift});
    } else if (c.gesture == Gesture::ShiftDrag) {
      HandlePointer(ui, {PointerAction::LeftDown, knob});
      for (int32_t i = 1; i <= c.amount; ++i)
        HandlePointer(ui, {PointerAction::Move, {knob.x + (vertical ? 0 : i), knob.y - (vertical ? i : 0)}, 0, true});
      HandlePointer(ui, {PointerAction::LeftUp, knob});
    } else {
      rig.ui.ClickAt(knob, false, c.amount);
      EXPECT_EQ(std::pair(IsTextEntryActive(rig.app()), IsValueEditTarget(ui, kEventList, 0)),
                std::pair(c.typed != nullptr, c.typed != nullptr));
      if (c.typed != nullptr) rig.Type(std::string(c.typed) + "\r");
      EXPECT_FALSE(IsValueEditTarget(ui, kEventList, 0));
    }
    EXPECT_EQ(std::pair(p.valueControls[0].value, reports), std::pair(c.expected, c.reports));
  }
}

// Every pixel of the button's place equals its skin source, except the one magenta pixel planted in the
// source, where the deck shows through.
TEST(Drawing, ButtonsComeFromTheirStyleBlockAndMagentaShowsTheDeck) {
  struct Case { uint32_t style, kind; bool pressed; Rect source; };
  // Style block 3 is the second column's first row; pressed is 32 lower.
  const Case cases[] = {
      {3, 2, true, {368, 48, 416, 64}},     {0, 4, false, {0, 0, 192, 16}},       {1, 0, true, {192, 96, 208, 112}},
      {5, 5, false, {448, 128, 480, 160}}, {2, 6, false, {208, 128, 224, 160}}, {4, 3, true, {240, 112, 368, 128}},
      {2, 1, false, {176, 144, 208, 160}},
  };
  for (const Case& c : cases) {
    UiRig rig;
    const Point planted{c.source.left + 2, c.source.top + 3};
    rig.ui.skins.skin.At(planted.x, planted.y) = kColourKey;
    Button b = MakeButton(0, {20, 40, 20 + c.source.Width(), 40 + c.source.Height()}, c.kind, c.style);
    if (c.pressed) b.flags |= ButtonFlag::Pressed;
    rig.OpenWith({}, {b});
    int mismatches = 0;
    for (int32_t y = 0; y < c.source.Height(); ++y)
      for (int32_t x = 0; x < c.source.Width(); ++x) {
        const Point at{20 + x, 40 + y};
        const bool isPlanted = x == 2 && y == 3;
        const uint32_t skin = SkinPattern(c.source.left + x, c.source.top + y);
        const uint32_t want = isPlanted ? rig.DeckAt(kEventList, at) : skin;
        mismatches += rig.ScreenAt(kEventList, at) != want;
      }
    EXPECT_EQ(mismatches, 0) << "style " << c.style << " kind " << c.kind;
  }
}

// Knob, track and the erase under a moved knob; only the knob's place is presented again.
TEST(Drawing, KnobsMoveByEraseAndRedrawOfTheirOwnPlace) {
  UiRig rig;
  const PanelWindow& p = rig.OpenWith(
      {MakeValueControl(ValueFlag::Enabled | ValueFlag::Horizontal | ValueFlag::StartIsLower, 16, 60, 112, 0, 64, 0)});
  EXPECT_EQ(rig.ScreenAt(kEventList, {16 + 5, 60 + 3}), SkinPattern(128 + 5, 80 + 3));  // the knob
  EXPECT_EQ(rig.ScreenAt(kEventList, {16 + 100, 60 + 3}), SkinPattern(100, 352 + 3));  // the track
  TakeChangedRects(rig.ui);
  MovePointer(rig.ui, rig.Screen(kEventList, {30, 68}));
  PressPanel(rig.ui, kEventList, rig.Client(kEventList, {30, 68}));
  EXPECT_EQ(rig.ScreenAt(kEventList, {16 + 5, 60 + 3}), SkinPattern(128 + 5, 112 + 3));  // dragged look
  MovePointer(rig.ui, rig.Screen(kEventList, {30 + 64, 68}));
  EXPECT_EQ(std::pair(p.valueControls[0].knob, p.valueControls[0].value), std::pair(Rect{64, 0, 112, 16}, 64));
  // Where the knob was, the track piece under a knob (0, 352)-(48, 368) is drawn again.
  EXPECT_EQ(rig.ScreenAt(kEventList, {16 + 5, 60 + 3}), SkinPattern(5, 352 + 3));
  const Rect knobArea = Rect{16, 60, 16 + 112, 76}.Offset(p.left, p.top);
  for (const Rect& r : TakeChangedRects(rig.ui)) EXPECT_EQ(Intersect(r, knobArea), r);
}

TEST(Drawing, TextColoursAreSampledAgainWhenTheSkinIsReplaced) {
  UiRig rig;
  rig.ui.skins.skin.At(352, 336) = 0x123456;
  rig.ui.skins.skin.At(384, 336) = 0x654321;
  SampleColours(rig.ui.skins);
  AddLabel(rig.ui.panels[kEventList], 2, {16, 80, 112, 96});
  rig.OpenWith({}, {MakeButton(1, {16, 40, 64, 56}, 2, ButtonStyle::Push)});
  // The stand-in font paints the first character's block at the text's left edge, one row below the top.
  const int32_t buttonTextLeft = 16 + (48 - 6 * 3) / 2;
  const int32_t labelTextLeft = 16 + (96 - 6 * 3) / 2;
  EXPECT_EQ(rig.ScreenAt(kEventList, {buttonTextLeft, 41}), 0x654321u);
  EXPECT_EQ(rig.ScreenAt(kEventList, {labelTextLeft, 81}), 0x123456u);
}

// Every file the skin cannot use leaves the picture as it was and says why; a file of another size is refused
// from its header, however many pixels it claims.
TEST(Bitmaps, UnusableFilesLeaveThePictureAndSayWhy) {
  const Pixels exact = DrawSkinPicture(SkinPicture::Skin);
  Pixels sixteen(kSkinWidth, kSkinHeight);
  for (int32_t y = 0; y < sixteen.height; ++y)
    for (int32_t x = 0; x < sixteen.width; ++x) sixteen.At(x, y) = 0x110F0Du * uint32_t((x / 7 + y / 5) % 16);
  std::vector<uint8_t> truncated = BmpBytes(exact);
  truncated.resize(truncated.size() - 10);
  // The picture's file with one 32-bit header field set to another value.
  const auto withField = [&exact](int bits, size_t at, uint32_t value) {
    std::vector<uint8_t> bytes = BmpBytes(exact, bits);
    PutU32(&bytes[at], value);
    return bytes;
  };
  // A 16000 x 16000 picture's header, its 768 MB of pixels a hole in a sparse file.
  std::vector<uint8_t> huge = BmpBytes(Pixels(1, 1));
  PutU32(&huge[18], 16000), PutU32(&huge[22], 16000);
  const std::string hugePath = WriteTempFile("huge.bmp", huge);
  ASSERT_EQ(truncate(hugePath.c_str(), 54 + 48000LL * 16000), 0);
  const std::string notPicture = "Not an uncompressed BMP picture (1, 4, 8, 24 or 32 bits), or a damaged one";
  struct Case { const char* name; std::string path; std::string reason; const Pixels* picture = nullptr; };
  const Case cases[] = {
      {"empty", WriteTempFile("empty.bmp", {}), notPicture},
      {"truncated", WriteTempFile("truncated.bmp", truncated), notPicture},
      {"eight bits without a palette", WriteTempFile("eight_bit.bmp", withField(24, 28, 8)), notPicture},
      {"compressed", WriteTempFile("compressed.bmp", withField(32, 30, 1)), notPicture},
      {"no width", WriteTempFile("no_width.bmp", withField(24, 18, 0)), notPicture},
      {"16000 x 16000", hugePath, "The picture is 16000 x 16000 pixels; 480 x 368 are required"},
      {"missing", ::testing::TempDir() + "no_such_file.bmp", "No such file or directory"},
      {"bottom-up 24 bits", WriteTempFile("bottom_up_24.bmp", BmpBytes(exact, 24, false)), ""},
      {"top-down 32 bits", WriteTempFile("top_down_32.bmp", BmpBytes(exact, 32, true)), ""},
      {"8-bit palette", WriteTempFile("palette_8.bmp", BmpBytes(sixteen, 8)), "", &sixteen},
      {"4-bit palette", WriteTempFile("palette_4.bmp", BmpBytes(sixteen, 4)), "", &sixteen},
  };
  for (const Case& c : cases) {
    Skins skins;
    PaintPatterns(skins);
    const Pixels before = skins.skin;
    FileFailure failure;
    EXPECT_EQ(LoadSkinPicture(skins, SkinPicture::Skin, c.path, &failure), c.reason.empty()) << c.name;
    EXPECT_EQ(failure.reason, c.reason) << c.name;
    EXPECT_EQ(skins.skin.data, c.reason.empty() ? (c.picture ? c.picture : &exact)->data : before.data) << c.name;
  }
  unlink(hugePath.c_str());
}

// Records the pieces of text handed to the rasteriser, and the longest it was asked to measure or draw.
class RecordingText : public BlockText {
public:
  int TextWidth(std::string_view text) override {
    longest = std::max(longest, text.size());
    return BlockText::TextWidth(text);
  }
  void DrawText(PixelView view, int x, int y, std::string_view text, uint32_t colour) override {
    longest = std::max(longest, text.size());
    drawn.emplace_back(text);
    BlockText::DrawText(view, x, y, text, colour);
  }
  std::vector<std::string> drawn;
  std::size_t longest = 0;
};

// However long a line, the font is handed no more letters than the screen is pixels wide.
TEST(Drawing, TextCostsNoMoreThanTheScreenItCovers) {
  RecordingText font;
  Pixels screen(640, 48);
  std::vector<Rect> changed;
  DrawTarget target{screen, {0, 0, 640, 48}, {}, changed};
  const std::string line(2 << 20, 'x');
  DrawTextLine(target, font, {-100, 0}, line, 0xFFFFFF);
  DrawTextCentred(target, font, {0, 20, 640, 40}, line, 0xFFFFFF);
  EXPECT_LE(font.longest, 640u);
  EXPECT_EQ(screen.At(639, 1), 0xFFFFFFu) << "the line still reaches the right edge";
}

TEST(Bitmaps, AnUnusableSkinIsNamedAndTheDrawnOneTakesItsPlace) {
  Skins skins;
  PaintPatterns(skins);
  const std::vector<FileFailure> unusable = LoadSkins(skins, ::testing::TempDir() + "no_program_folder");
  ASSERT_EQ(unusable.size(), 3u);
  EXPECT_EQ(unusable[1].path + ": " + unusable[1].reason,
            ::testing::TempDir() + "no_program_folder/Skins/Deck.bmp: No such file or directory");
  EXPECT_EQ(skins.skin.data, DrawSkinPicture(SkinPicture::Skin).data);
  EXPECT_EQ(skins.deck.data, DrawSkinPicture(SkinPicture::Deck).data);
}

TEST(Captions, ALineLongerThanAnyFieldIsCutWhenRead) {
  std::string text = "first\r\n" + std::string(2 << 20, 'x') + "\nlast";
  const std::string path = WriteTempFile("Captions.txt", std::vector<uint8_t>(text.begin(), text.end()));
  const CaptionTable table = ReadCaptionFile(path);
  EXPECT_EQ(table.lines, (std::vector<std::string>{"first", std::string(256, 'x'), "last"}));
  const std::string fifo = ::testing::TempDir() + "captions_fifo.txt";
  unlink(fifo.c_str());
  ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
  EXPECT_TRUE(ReadCaptionFile(fifo).lines.empty()) << "a named pipe is refused without waiting for a writer";
  unlink(fifo.c_str());
}

TEST(Drawing, APanelInFrontIsNeverPaintedOver) {
  UiRig rig;
  OpenPanel(rig.ui, kProgramList);
  OpenPanel(rig.ui, kEventList);
  // The event list is dragged up over the lower half of the program list, then the program list redraws.
  MovePanel(rig.ui, kEventList, {kClientOffset.x, 220 + kClientOffset.y});
  const Pixels before = rig.ui.screen;
  RequestRedraw(rig.ui, 1);
  const Rect front = PanelFrame(rig.ui.panels[kEventList]);
  int changedInFront = 0;
  for (int32_t y = front.top; y < front.bottom; ++y)
    for (int32_t x = front.left; x < front.right; ++x) changedInFront += rig.ui.screen.At(x, y) != before.At(x, y);
  EXPECT_EQ(changedInFront, 0);
  EXPECT_EQ(rig.ScreenAt(1, {100, 100}), rig.DeckAt(1, {100, 100}));
}

// Letters are 6 pixels apart in the stand-in font; the box runs from x 10 to 10 + width.
TEST(Drawing, TextWiderThanItsFieldKeepsItsStartAndFiguresStayWhole) {
  struct Case { const char* line; int32_t width; std::vector<std::string> drawn; std::vector<int32_t> lefts; };
  const Case cases[] = {
      {"Bass", 60, {"Bass"}, {28}},                                  // fits: centred
      {"Song Vol Slide", 60, {"Song Vo..."}, {10}},                  // a word: its start and an ellipsis
      {"-1200", 24, {"-", "1", "2", "0", "0"}, {10, 14, 19, 23, 28}},  // a figure: letters drawn closer
      {"-1200", 30, {"-1200"}, {10}},
  };
  for (const Case& c : cases) {
    Pixels screen(100, 20);
    std::vector<Rect> changed;
    DrawTarget target{screen, screen.Bounds(), {}, changed};
    RecordingText text;
    DrawTextCentred(target, text, {10, 0, 10 + c.width, 12}, c.line, 0xFFFFFF);
    EXPECT_EQ(text.drawn, c.drawn) << c.line;
    std::vector<int32_t> lefts;
    for (const Rect& r : changed) {
      lefts.push_back(r.left);
      EXPECT_LE(r.right, 10 + c.width) << c.line;
    }
    EXPECT_EQ(lefts, c.lefts) << c.line;
  }
}

TEST(Scaling, TheLargestWholeFactorThatFitsCentred) {
  struct Case { int32_t width, height, forced, scale, x, y; };
  const Case cases[] = {
      {800, 560, 0, 1, 0, 0},   {1280, 800, 0, 1, 240, 120},  {1600, 1120, 0, 2, 0, 0},
      {2560, 1440, 0, 2, 480, 160}, {3840, 2160, 0, 3, 720, 240}, {640, 480, 0, 1, 0, 0},
      {800, 560, 3, 3, 0, 0},   {3840, 2160, 1, 1, 1520, 800}, {800, 560, 99, kLargestScale, 0, 0},
  };
  for (const Case& c : cases) {
    const Placement p = PlaceInterface(c.width, c.height, 800, 560, c.forced);
    EXPECT_EQ(std::tuple(p.scale, p.origin.x, p.origin.y), std::tuple(c.scale, c.x, c.y))
        << c.width << "x" << c.height << " forced " << c.forced;
  }
}

// Every window pixel shows the interface pixel that a click there reaches: the enlarged picture and the way
// back from the window's coordinates agree, and beside the picture lies the desktop.
TEST(Scaling, TheTwicePictureIsTheOncePictureWithEachPixelDoubled) {
  UiRig rig;
  rig.OpenWith({});
  const Pixels& once = rig.ui.screen;
  const Placement p = PlaceInterface(1700, 1200, once.width, once.height);  // twice, at (50, 40)
  std::vector<uint32_t> window(1700 * 1200, kDesktopColour);
  CopyScaled(once.data.data(), once.width, once.height, once.Bounds(), p, window.data(), 1700, 1200);
  int32_t wrong = 0;
  for (int32_t y = 0; y < 1200; ++y)
    for (int32_t x = 0; x < 1700; ++x) {
      const Point i = ToInterface(p, {x, y});
      const bool inside = i.x >= 0 && i.y >= 0 && i.x < once.width && i.y < once.height;
      const uint32_t expected = inside ? once.At(i.x, i.y) : kDesktopColour;
      wrong += window[static_cast<size_t>(y) * 1700 + x] != expected;
    }
  EXPECT_EQ(wrong, 0);
}

}  // namespace
}  // namespace tonforge
