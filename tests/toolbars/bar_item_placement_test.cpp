// Where popups open: the start position by kind of parent, and the fit on a monitor (synthetic
// monitor rectangles, so that the rules' arithmetic is checked exactly).
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "tests/toolbars/bar_item_fake_view.h"
#include "toolbars/bar_item.h"
#include "toolbars/bar_viewer.h"

namespace movra::bars {
namespace {

constexpr RECT kMonitor{0, 0, 1000, 800};

TBarPopupPlacement Placement(RECT item, int x, int y, int w, int h, bool asSubmenu = false, int alignment = 0) {
  TBarPopupPlacement p;
  p.AsSubmenu = asSubmenu;
  p.Alignment = alignment;
  p.MonitorRect = kMonitor;
  p.ParentItemRect = item;
  p.FrameSize = {3, 3};
  p.X = x;
  p.Y = y;
  p.W = w;
  p.H = h;
  return p;
}

RECT PointRect(int x, int y) { return {x, y, x, y}; }

struct Placing : ::testing::Test {
  TBarItem item{nullptr};
  void Place(IBarView* parent, TBarPopupPlacement& p) { item.PlacePopup(parent, nullptr, p); }
};

TEST_F(Placing, StartPositionFollowsTheKindOfParent) {
  struct Case {
    TBarPopupOrigin origin;
    bool asSubmenu;
    int alignment;
    POINT expected;
  };
  const RECT item{100, 200, 180, 220};
  // W 50, H 60, frame 3 x 3.
  Case cases[] = {
      {{false, false, false, false, {400, 300}, false}, false, bpaLeft, {400, 300}},
      {{false, false, false, false, {400, 300}, false}, false, bpaRight, {350, 300}},
      {{false, false, false, false, {400, 300}, false}, false, bpaCentre, {375, 300}},
      {{true, false, false, false, {}, false}, true, bpaLeft, {177, 197}},
      {{true, false, true, true, {}, false}, false, bpaLeft, {50, 200}},
      {{true, false, true, false, {}, false}, false, bpaLeft, {130, 220}},
      {{true, true, false, false, {}, false}, false, bpaLeft, {50, 200}},
      {{true, false, false, false, {}, false}, false, bpaLeft, {100, 220}},
      {{true, false, false, false, {}, true}, false, bpaLeft, {130, 220}},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    TBarPopupPlacement p = Placement(item, 0, 0, 50, 60, cases[i].asSubmenu, cases[i].alignment);
    PopupStartPosition(cases[i].origin, p);
    EXPECT_EQ(p.X, cases[i].expected.x) << "case " << i;
    EXPECT_EQ(p.Y, cases[i].expected.y) << "case " << i;
  }
}

TEST_F(Placing, APopupAtAPointStaysOnTheMonitor) {
  // Fits: opens down and to the right of the point.
  auto p = Placement(PointRect(100, 100), 100, 100, 200, 300);
  Place(nullptr, p);
  EXPECT_EQ(p.X, 100);
  EXPECT_EQ(p.Y, 100);
  EXPECT_EQ(p.AnimateDirections, bpdDown | bpdRight);

  // Past the right edge: a left-aligned popup flips to the point's left.
  p = Placement(PointRect(900, 100), 900, 100, 200, 300);
  Place(nullptr, p);
  EXPECT_EQ(p.X, 700);
  EXPECT_EQ(p.AnimateDirections, bpdDown | bpdLeft);
  // A centred one is pushed in.
  p = Placement(PointRect(950, 100), 850, 100, 200, 300, false, bpaCentre);
  Place(nullptr, p);
  EXPECT_EQ(p.X, 800);
  // A right-aligned one past the left edge flips to the point's right.
  p = Placement(PointRect(150, 100), -50, 100, 200, 300, false, bpaRight);
  Place(nullptr, p);
  EXPECT_EQ(p.X, 150);

  // Past the bottom: above the point when it fits there.
  p = Placement(PointRect(100, 700), 100, 700, 200, 300);
  Place(nullptr, p);
  EXPECT_EQ(p.Y, 400);
  EXPECT_EQ(p.AnimateDirections, bpdUp | bpdRight);
  // Taller than the monitor: at its top.
  p = Placement(PointRect(100, 700), 100, 700, 200, 1000);
  Place(nullptr, p);
  EXPECT_EQ(p.Y, 0);
  EXPECT_FALSE(p.OpensSubmenusLeft);
}

TEST_F(Placing, ADropDownThatWouldPassTheBottomOpensAboveItsButton) {
  test::FakeView bar;
  const RECT button{100, 760, 150, 780};
  auto p = Placement(button, 100, 780, 120, 200);
  Place(&bar, p);
  EXPECT_EQ(p.Y, 560);
  EXPECT_EQ(p.X, 100);
  EXPECT_EQ(p.AnimateDirections, bpdUp);
}

TEST_F(Placing, ADropDownMovesAboveWhenBelowItCoversMoreOfTheBar) {
  // A wrapped toolbar of two rows at y 400: below the first row's button lie buttons of the
  // second row, above it none.
  test::FakeView bar;
  bar.origin = {0, 400};
  std::vector<std::unique_ptr<TBarItem>> buttons;
  for (int i = 0; i < 8; ++i) {
    buttons.push_back(std::make_unique<TBarItem>(nullptr));
    bar.AddViewer(buttons.back().get(), {(i % 4) * 50, (i / 4) * 20, (i % 4) * 50 + 50, (i / 4) * 20 + 20});
  }
  const RECT button{100, 400, 150, 420};
  auto p = Placement(button, 100, 420, 120, 200);
  Place(&bar, p);
  EXPECT_EQ(p.Y, 200);
  EXPECT_EQ(p.AnimateDirections, bpdUp);

  // Hidden viewers do not count: below is as good as above, and the popup stays below.
  for (auto& viewer : bar.viewers) viewer->Show = false;
  p = Placement(button, 100, 420, 120, 200);
  Place(&bar, p);
  EXPECT_EQ(p.Y, 420);
  EXPECT_EQ(p.AnimateDirections, bpdDown);
}

TEST_F(Placing, APopupOfAVerticalBarGoesBesideItsButton) {
  test::FakeView bar;
  bar.vertical = true;
  const RECT button{0, 100, 30, 130};
  // The start is left of the button, off the monitor: clamped onto the button, then beside it.
  auto p = Placement(button, -200, 100, 200, 150);
  Place(&bar, p);
  EXPECT_EQ(p.X, 30);
  EXPECT_EQ(p.Y, 100);
  EXPECT_EQ(p.AnimateDirections, bpdRight);

  // A vertical bar at the right edge: no room right of the button, so the popup goes below it.
  const RECT right{970, 100, 1000, 130};
  p = Placement(right, 770, 100, 200, 150);
  Place(&bar, p);
  EXPECT_EQ(p.X, 770);
  EXPECT_EQ(p.Y, 100);  // left of the button, no overlap: kept
  p = Placement(right, 900, 100, 200, 150);
  Place(&bar, p);
  EXPECT_EQ(p.X, 800);  // pushed in, now over the button
  EXPECT_EQ(p.Y, 130);
  EXPECT_EQ(p.AnimateDirections, bpdDown);
}

TEST_F(Placing, SubmenusFlipToTheLeftAndBackWhenThereIsNoRoom) {
  test::FakeView menu;
  menu.toolbar = false;
  // Past the right edge: to the left of the parent item, and its own submenus follow.
  const RECT closeToEdge{800, 100, 990, 120};
  auto p = Placement(closeToEdge, 987, 97, 200, 300, true);
  Place(&menu, p);
  EXPECT_EQ(p.X, 603);
  EXPECT_TRUE(p.OpensSubmenusLeft);
  EXPECT_EQ(p.AnimateDirections, bpdLeft);

  // Opening to the left already, with room there: stays left.
  const RECT middle{500, 100, 700, 120};
  p = Placement(middle, 697, 97, 200, 300, true);
  p.Opposite = true;
  Place(&menu, p);
  EXPECT_EQ(p.X, 303);
  EXPECT_TRUE(p.OpensSubmenusLeft);

  // Opening to the left with no room there: back to the right.
  const RECT edge{10, 100, 200, 120};
  p = Placement(edge, 197, 97, 200, 300, true);
  p.Opposite = true;
  Place(&menu, p);
  EXPECT_EQ(p.X, 197);
  EXPECT_FALSE(p.Opposite);
  EXPECT_FALSE(p.OpensSubmenusLeft);
  EXPECT_EQ(p.AnimateDirections, bpdRight);

  // No room on either side: left of the item, clamped to the monitor.
  const RECT wide{50, 100, 950, 120};
  p = Placement(wide, 947, 97, 200, 300, true);
  Place(&menu, p);
  EXPECT_EQ(p.X, 0);
  EXPECT_TRUE(p.OpensSubmenusLeft);

  // A submenu past the bottom moves up to end at the item's bottom plus the frame.
  const RECT low{500, 600, 690, 620};
  p = Placement(low, 687, 597, 200, 300, true);
  Place(&menu, p);
  EXPECT_EQ(p.Y, 620 + 3 - 300);
  // Where even that does not fit, the popup ends at the monitor's bottom.
  p = Placement(closeToEdge, 687, 700, 200, 300, true);
  Place(&menu, p);
  EXPECT_EQ(p.Y, 500);
}

}  // namespace
}  // namespace movra::bars
