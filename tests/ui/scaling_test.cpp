#include <gtest/gtest.h>

#include <vector>

#include "support/ui_rig.h"
#include "ui/pointer.h"
#include "ui/scaling.h"

namespace tonforge {
namespace {

constexpr int32_t kEvents = PanelIndex(Panel::EventList);

TEST(Scaling, TheLargestWholeFactorThatFitsCentred) {
  struct Case { int32_t width, height, forced, scale, x, y; };
  const Case cases[] = {
      {800, 560, 0, 1, 0, 0},     {1280, 800, 0, 1, 240, 120},  {1920, 1080, 0, 1, 560, 260},
      {1600, 1120, 0, 2, 0, 0},   {2560, 1440, 0, 2, 480, 160}, {3840, 2160, 0, 3, 720, 240},
      {640, 480, 0, 1, 0, 0},     {800, 560, 3, 3, 0, 0},       {3840, 2160, 1, 1, 1520, 800},
      {800, 560, 99, kLargestScale, 0, 0},
  };
  for (const Case& c : cases) {
    const Placement p = PlaceInterface(c.width, c.height, 800, 560, c.forced);
    EXPECT_EQ(p.scale, c.scale) << c.width << "x" << c.height << " forced " << c.forced;
    EXPECT_EQ(p.origin.x, c.x) << c.width << "x" << c.height;
    EXPECT_EQ(p.origin.y, c.y) << c.width << "x" << c.height;
  }
}

// A click anywhere on a button's enlarged picture reaches the button; a click beside the picture reaches
// nothing of the interface.
TEST(Scaling, AClickAtScaledCoordinatesReachesTheSameControl) {
  for (int32_t scale : {1, 2, 3}) {
    testing::UiRig rig;
    int calls = 0;
    AddButton(rig.ui.panels[kEvents], MakeButton(0, {16, 48, 64, 64}, 1, ButtonStyle::Push, [&](uint32_t) { ++calls; }));
    OpenPanel(rig.ui, kEvents);
    const Placement p = PlaceInterface(800 * scale + 101, 560 * scale + 51, 800, 560);
    ASSERT_EQ(p.scale, scale);
    const Rect onScreen = ToWindow(p, {rig.Screen(kEvents, {17, 49}).x, rig.Screen(kEvents, {17, 49}).y,
                                       rig.Screen(kEvents, {63, 63}).x, rig.Screen(kEvents, {63, 63}).y});
    for (Point at : {Point{onScreen.left, onScreen.top}, Point{onScreen.right - 1, onScreen.bottom - 1}}) {
      const Point inside = ToInterface(p, at);
      HandlePointer(rig.ui, {PointerAction::LeftDown, inside});
      HandlePointer(rig.ui, {PointerAction::LeftUp, inside});
    }
    EXPECT_EQ(calls, 2) << scale;
    const Point beside = ToInterface(p, {p.origin.x - 1, p.origin.y - 1});
    EXPECT_EQ(beside.x, -1) << scale;
    EXPECT_EQ(beside.y, -1) << scale;
  }
}

TEST(Scaling, TheTwicePictureIsTheOncePictureWithEachPixelDoubled) {
  testing::UiRig rig;
  OpenPanel(rig.ui, kEvents);
  const Pixels& once = rig.ui.screen;
  const Placement p = PlaceInterface(1700, 1200, once.width, once.height);
  ASSERT_EQ(p.scale, 2);
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
  // Spot check by hand: the picture's first pixel fills the 2 x 2 square at the origin.
  for (Point d : {Point{0, 0}, Point{1, 0}, Point{0, 1}, Point{1, 1}})
    EXPECT_EQ(window[static_cast<size_t>(p.origin.y + d.y) * 1700 + p.origin.x + d.x], once.At(0, 0));
}

}  // namespace
}  // namespace tonforge
