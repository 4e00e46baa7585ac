// The drag and sizing loops: their rules as plain functions, then real drags by injected input.
#include <gtest/gtest.h>

#include "tests/runtime/ui/ui_test_support.h"
#include "tests/toolbars/dock_test_support.h"
#include "toolbars/bar_drag.h"

using namespace movra::bars;
using namespace movra::bars::test;

TEST(DragRules, RowPickSplitsRowsIntoQuartersOrHalves) {
  const std::vector<int> rows{26, 26};
  auto pick = [&](int c) { return PickDockRow(c, rows, false); };
  EXPECT_EQ(pick(0).Row, 0);
  EXPECT_TRUE(pick(5).NewRowBefore);
  EXPECT_EQ(pick(6).Row, 0);
  EXPECT_FALSE(pick(6).NewRowBefore);
  EXPECT_FALSE(pick(19).NewRowBefore);
  // The lower quarter of a row is a new row before the next one.
  EXPECT_EQ(pick(20).Row, 1);
  EXPECT_TRUE(pick(20).NewRowBefore);
  EXPECT_EQ(pick(45).Row, 1);
  EXPECT_FALSE(pick(45).NewRowBefore);
  EXPECT_EQ(pick(46).Row, 2);
  EXPECT_TRUE(pick(46).NewRowBefore);
  EXPECT_EQ(pick(-40).Row, 0);
  EXPECT_TRUE(pick(-40).NewRowBefore);

  // A full-size window never joins a row: each row splits at its half.
  EXPECT_EQ(PickDockRow(12, {26}, true).Row, 0);
  EXPECT_TRUE(PickDockRow(12, {26}, true).NewRowBefore);
  EXPECT_EQ(PickDockRow(13, {26}, true).Row, 1);
  EXPECT_TRUE(PickDockRow(13, {26}, true).NewRowBefore);
  // Nor does any window join a row that holds a full-size bar.
  const std::vector<int> withFull{22 | RowHasFullSizeBar, 26};
  EXPECT_TRUE(PickDockRow(10, withFull, false).NewRowBefore);
  EXPECT_EQ(PickDockRow(11, withFull, false).Row, 1);
  EXPECT_TRUE(PickDockRow(11, withFull, false).NewRowBefore);
  EXPECT_EQ(PickDockRow(30, withFull, false).Row, 1);
  EXPECT_FALSE(PickDockRow(30, withFull, false).NewRowBefore);
  // Empty rows are passed over; no rows at all give a new row 0.
  EXPECT_EQ(PickDockRow(10, {0, 26}, false).Row, 1);
  EXPECT_FALSE(PickDockRow(10, {0, 26}, false).NewRowBefore);
  EXPECT_EQ(PickDockRow(10, {}, false).Row, 0);
}

TEST(DragRules, DockingZoneReachesBeyondTheDockOnTheGrabbedSide) {
  const RECT dock{0, 0, 500, 30};
  const SIZE ref{99, 25};
  auto in = [&](POINT cursor, POINT grab, bool side = false) {
    RECT target = PlaceAtGrab(cursor, {100, 26}, grab, ref);
    return InDockingZone(cursor, dock, side, grab, ref, target);
  };
  // Grabbed at the top-left corner: 25 pixels beyond the inflated left and top edges.
  EXPECT_TRUE(in({-28, 10}, {0, 0}));
  EXPECT_FALSE(in({-29, 10}, {0, 0}));
  EXPECT_TRUE(in({502, 10}, {0, 0}));
  EXPECT_FALSE(in({503, 10}, {0, 0}));
  EXPECT_TRUE(in({10, -28}, {0, 0}));
  EXPECT_FALSE(in({10, -29}, {0, 0}));
  EXPECT_FALSE(in({10, 33}, {0, 0}));
  // Grabbed at the bottom-right corner: the zone moves to the right and down.
  EXPECT_TRUE(in({527, 57}, {99, 25}));
  EXPECT_FALSE(in({528, 10}, {99, 25}));
  EXPECT_FALSE(in({-4, 10}, {99, 25}));
  EXPECT_FALSE(in({10, 58}, {99, 25}));
  // A side dock also wants the cursor within its own height.
  EXPECT_TRUE(in({10, 32}, {0, 0}, true));
  EXPECT_FALSE(in({10, -4}, {0, 0}, true));
  EXPECT_TRUE(in({10, -3}, {0, 0}, true));
  // The rectangle the window would take must touch the dock.
  EXPECT_FALSE(InDockingZone({10, 10}, dock, false, {0, 0}, ref, RECT{900, 900, 1000, 926}));
}

TEST(DragRules, PlacementKeepsTheGrabProportionAndFloatingTargetsStayReachable) {
  EXPECT_EQ(PlaceAtGrab({100, 100}, {51, 21}, {10, 5}, {100, 20}).left, 95);
  EXPECT_EQ(PlaceAtGrab({100, 100}, {51, 21}, {10, 5}, {100, 20}).top, 95);
  RECT r = PlaceAtGrab({100, 100}, {51, 21}, {100, 20}, {100, 20});
  EXPECT_EQ(r.right - 1, 100);  // grabbed at the far corner, the far corner follows
  EXPECT_EQ(r.bottom - 1, 100);
  EXPECT_EQ(PlaceAtGrab({7, 7}, {10, 10}, {3, 3}, {0, 0}).left, 7);  // no reference: no share

  const RECT area{0, 0, 1280, 1024};
  RECT left = KeepFloatingTargetOnArea({-200, 100, -100, 150}, area, 4, 19);
  EXPECT_EQ(left.right, 8);
  EXPECT_EQ(left.top, 100);
  RECT high = KeepFloatingTargetOnArea({100, -50, 200, 0}, area, 4, 19);
  EXPECT_EQ(high.top, -15);
  RECT low = KeepFloatingTargetOnArea({1275, 1100, 1375, 1150}, area, 4, 19);
  EXPECT_EQ(low.left, 1272);
  EXPECT_EQ(low.top, 1016);
  const RECT wanted{10, 10, 110, 60};
  RECT inside = KeepFloatingTargetOnArea(wanted, area, 4, 19);
  EXPECT_TRUE(EqualRect(&inside, &wanted) != FALSE);
}

TEST(DragRules, SizingGivesWayAtTheDraggedEdge) {
  const RECT start{100, 100, 300, 250};
  RECT r = SizedRect(start, 0, {150, 40}, {100, 50}, {0, 0});
  EXPECT_EQ(r.left, 200);
  EXPECT_EQ(r.right, 300);
  EXPECT_EQ(r.top, 100);  // a left edge leaves the height alone
  EXPECT_EQ(r.bottom, 250);
  r = SizedRect(start, 7, {-500, -500}, {100, 50}, {0, 0});
  EXPECT_EQ(r.left, 100);
  EXPECT_EQ(r.right, 200);
  EXPECT_EQ(r.top, 100);
  EXPECT_EQ(r.bottom, 150);
  r = SizedRect(start, 1, {500, 0}, {100, 50}, {300, 0});
  EXPECT_EQ(r.right, 400);
  r = SizedRect(start, 2, {50, 20}, {10, 10}, {0, 0});
  EXPECT_EQ(r.left, 100);
  EXPECT_EQ(r.top, 120);
  r = SizedRect(start, 3, {-20, 200}, {10, 100}, {0, 0});
  EXPECT_EQ(r.left, 80);
  EXPECT_EQ(r.top, 150);  // the top edge stops 100 above the bottom
  r = SizedRect(start, 6, {30, 30}, {10, 10}, {0, 100});
  EXPECT_EQ(r.left, 130);
  EXPECT_EQ(r.bottom, 200);  // at most 100 high: the bottom edge gives way
}
