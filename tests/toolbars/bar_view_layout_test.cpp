#include "toolbars/bar_view_layout.h"

#include <gtest/gtest.h>

#include <vector>

namespace movra::bars {
namespace {

TBarLayoutEntry Button(int width, int height) {
  TBarLayoutEntry e;
  e.Show = true;
  e.ToolbarSized = true;
  e.Width = width;
  e.Height = height;
  return e;
}

TBarLayoutEntry Separator() {
  TBarLayoutEntry e = Button(6, 6);
  e.Separator = true;
  return e;
}

TBarLayoutEntry MenuRow(int width, int height) {
  TBarLayoutEntry e = Button(width, height);
  e.ToolbarSized = false;
  return e;
}

void ExpectRect(const RECT& r, int left, int top, int right, int bottom) {
  EXPECT_EQ(r.left, left);
  EXPECT_EQ(r.top, top);
  EXPECT_EQ(r.right, right);
  EXPECT_EQ(r.bottom, bottom);
}

TBarLayoutResult Arrange(std::vector<TBarLayoutEntry>& entries, const TBarLayoutParams& params) {
  HideRedundantSeparators(entries, params.Orientation);
  TBarLayoutResult result;
  ArrangeEntries(entries, params, result);
  return result;
}

TEST(BarViewLayout, SeparatorsAtTheEdgesAndInPairsAreHidden) {
  std::vector<TBarLayoutEntry> entries{Separator(), Button(20, 20), Separator(), Separator(),
                                       Button(20, 20), Separator()};
  EXPECT_EQ(HideRedundantSeparators(entries, bvoHorizontal), 18);
  std::vector<bool> shown;
  for (const auto& e : entries) shown.push_back(e.Show);
  EXPECT_EQ(shown, (std::vector<bool>{false, true, true, false, true, false}));

  // A control item is a non-separator: the separator after it stays.
  std::vector<TBarLayoutEntry> withControl{Button(20, 20), Separator(), Button(20, 20)};
  withControl[0].Control = true;
  EXPECT_EQ(HideRedundantSeparators(withControl, bvoHorizontal), 0);
  EXPECT_TRUE(withControl[1].Show);
}

TEST(BarViewLayout, OneLineSpansSeparatorsAndCentresTheRest) {
  std::vector<TBarLayoutEntry> entries{Button(20, 22), Separator(), Button(30, 18)};
  TBarLayoutParams params;
  auto result = Arrange(entries, params);
  ExpectRect(entries[0].Bounds, 0, 0, 20, 22);
  ExpectRect(entries[1].Bounds, 20, 0, 26, 22);
  ExpectRect(entries[2].Bounds, 26, 2, 56, 20);
  EXPECT_EQ(result.Size.x, 56);
  EXPECT_EQ(result.Size.y, 22);
  EXPECT_EQ(result.BaseSize.x, 56);  // every shown viewer along the line
  EXPECT_EQ(result.BaseSize.y, 22);
  EXPECT_EQ(result.WrappedLines, 1);

  // A toolbar given a taller size centres its one line across all of it.
  params.StartSize = {0, 30};
  result = Arrange(entries, params);
  ExpectRect(entries[0].Bounds, 0, 4, 20, 26);
  ExpectRect(entries[1].Bounds, 20, 0, 26, 30);
  ExpectRect(entries[2].Bounds, 26, 6, 56, 24);
  EXPECT_EQ(result.Size.y, 30);

  // A floating line keeps its own thickness and sits inside the margins.
  params.Orientation = bvoFloating;
  params.StartSize = {};
  params.Margins = {4, 2, 4, 1};
  result = Arrange(entries, params);
  ExpectRect(entries[0].Bounds, 4, 2, 24, 24);
  ExpectRect(entries[2].Bounds, 30, 4, 60, 22);
  EXPECT_EQ(result.Size.x, 64);
  EXPECT_EQ(result.Size.y, 25);
}

TEST(BarViewLayout, AnEmptyViewHasTheSmallestSize) {
  std::vector<TBarLayoutEntry> entries{Separator(), Separator()};
  auto result = Arrange(entries, {});
  EXPECT_EQ(result.BaseSize.x, 23);
  EXPECT_EQ(result.BaseSize.y, 22);
  EXPECT_EQ(result.Size.x, 23);
  EXPECT_EQ(result.Size.y, 22);
}

TEST(BarViewLayout, WrapsWhenTheNextViewerPassesTheLimit) {
  std::vector<TBarLayoutEntry> entries{Button(20, 20), Button(20, 20), Button(20, 20), Button(20, 20)};
  TBarLayoutParams params;
  params.WrapOffset = 60;
  auto result = Arrange(entries, params);
  ExpectRect(entries[2].Bounds, 40, 0, 60, 20);  // ends exactly at the limit: stays
  ExpectRect(entries[3].Bounds, 0, 20, 20, 40);
  EXPECT_EQ(result.WrappedLines, 2);
  EXPECT_EQ(result.Size.x, 60);  // a wrapped view is as long as the limit
  EXPECT_EQ(result.Size.y, 40);

  // The right margin shortens the limit.
  params.Margins = {0, 0, 5, 0};
  result = Arrange(entries, params);
  ExpectRect(entries[2].Bounds, 0, 20, 20, 40);
  EXPECT_EQ(result.Size.x, 60);  // the limit 55 plus the margin
}

TEST(BarViewLayout, ASeparatorBeforeARunThatDoesNotFitBecomesALineBreak) {
  std::vector<TBarLayoutEntry> entries{Button(20, 20), Button(20, 20), Separator(), Button(20, 20),
                                       Button(20, 20)};
  TBarLayoutParams params;
  params.WrapOffset = 60;
  auto result = Arrange(entries, params);
  EXPECT_TRUE(entries[2].LineBreak);
  ExpectRect(entries[2].Bounds, 0, 20, 60, 26);  // 6 across, stretched over the whole width
  ExpectRect(entries[3].Bounds, 0, 26, 20, 46);
  ExpectRect(entries[4].Bounds, 20, 26, 40, 46);
  EXPECT_EQ(result.WrappedLines, 2);
  EXPECT_EQ(result.Size.y, 46);

  // When the run fits, the separator stays in the line.
  params.WrapOffset = 100;
  result = Arrange(entries, params);
  EXPECT_FALSE(entries[2].LineBreak);
  ExpectRect(entries[2].Bounds, 40, 0, 46, 20);
  EXPECT_EQ(result.WrappedLines, 1);
}

TEST(BarViewLayout, AfterAnOverflowWrapSeparatorsBreakUnlessTheyRefuse) {
  std::vector<TBarLayoutEntry> entries{Button(20, 20), Button(20, 20), Button(20, 20), Separator(),
                                       Button(10, 20)};
  TBarLayoutParams params;
  params.WrapOffset = 50;
  auto result = Arrange(entries, params);
  ExpectRect(entries[2].Bounds, 0, 20, 20, 40);
  EXPECT_TRUE(entries[3].LineBreak);
  ExpectRect(entries[3].Bounds, 0, 40, 50, 46);
  ExpectRect(entries[4].Bounds, 0, 46, 10, 66);
  EXPECT_EQ(result.WrappedLines, 3);

  // isNoLineBreak: only the run test may break it, and the run fits.
  entries[3].NoLineBreak = true;
  result = Arrange(entries, params);
  EXPECT_FALSE(entries[3].LineBreak);
  ExpectRect(entries[3].Bounds, 20, 20, 26, 40);
  ExpectRect(entries[4].Bounds, 26, 20, 36, 40);
  EXPECT_EQ(result.WrappedLines, 2);
  EXPECT_EQ(result.Size.y, 40);
}

TEST(BarViewLayout, RightAlignedViewersMoveToTheLineEnd) {
  std::vector<TBarLayoutEntry> entries{Button(20, 20), Button(20, 20), Button(20, 20)};
  entries[1].RightAligned = true;
  TBarLayoutParams params;
  params.StartSize = {100, 0};
  Arrange(entries, params);
  ExpectRect(entries[0].Bounds, 0, 0, 20, 20);
  ExpectRect(entries[1].Bounds, 60, 0, 80, 20);
  ExpectRect(entries[2].Bounds, 80, 0, 100, 20);

  // The wrap limit caps the line end.
  params.WrapOffset = 90;
  Arrange(entries, params);
  ExpectRect(entries[1].Bounds, 50, 0, 70, 20);
  ExpectRect(entries[2].Bounds, 70, 0, 90, 20);

  // Nothing moves when the line already fills its length.
  params = {};
  Arrange(entries, params);
  ExpectRect(entries[1].Bounds, 20, 0, 40, 20);
}

TEST(BarViewLayout, SameWidthViewersTakeTheWidestWidth) {
  std::vector<TBarLayoutEntry> entries{Button(20, 20), Button(35, 20), Button(10, 20)};
  entries[0].SameWidth = entries[1].SameWidth = true;
  auto result = Arrange(entries, {});
  ExpectRect(entries[0].Bounds, 0, 0, 35, 20);
  ExpectRect(entries[1].Bounds, 35, 0, 70, 20);
  ExpectRect(entries[2].Bounds, 70, 0, 80, 20);
  EXPECT_EQ(result.BaseSize.x, 80);
}

std::vector<TBarLayoutEntry> FourButtons() {
  return {Button(30, 20), Button(30, 20), Button(30, 20), Button(30, 20)};
}

std::vector<bool> Shown(const std::vector<TBarLayoutEntry>& entries) {
  std::vector<bool> shown;
  for (const auto& e : entries) shown.push_back(e.Show);
  return shown;
}

TEST(BarViewLayout, TheChevronTakesTheLastViewersUntilTheRestFits) {
  auto entries = FourButtons();
  TBarLayoutParams params;
  params.HasChevron = true;
  params.ChevronOffset = 100;
  params.ChevronSize = 12;
  auto result = Arrange(entries, params);
  EXPECT_EQ(Shown(entries), (std::vector<bool>{true, true, false, false}));
  EXPECT_TRUE(entries[2].HiddenByChevron);
  EXPECT_TRUE(entries[3].HiddenByChevron);
  EXPECT_TRUE(result.ChevronEnabled);
  ExpectRect(result.ChevronBounds, 88, 0, 100, 20);  // at the available length
  EXPECT_EQ(result.BaseSize.x, 120);                 // the whole length, before the chevron
  EXPECT_EQ(result.Size.x, 60);

  EXPECT_TRUE(result.ChevronShown);

  // Everything fits, exactly or with room to spare, or the offset is 0: no chevron.
  for (int offset : {120, 200, 0}) {
    SCOPED_TRACE(offset);
    entries = FourButtons();
    params.ChevronOffset = offset;
    result = Arrange(entries, params);
    EXPECT_EQ(Shown(entries), (std::vector<bool>{true, true, true, true}));
    EXPECT_FALSE(result.ChevronEnabled);
    EXPECT_FALSE(result.ChevronShown);
  }
}

TEST(BarViewLayout, TheChevronNeverLeavesFewerThanTwoViewers) {
  auto entries = FourButtons();
  TBarLayoutParams params;
  params.HasChevron = true;
  params.ChevronOffset = 40;
  params.ChevronSize = 12;
  auto result = Arrange(entries, params);
  EXPECT_EQ(Shown(entries), (std::vector<bool>{true, true, false, false}));
  ExpectRect(result.ChevronBounds, 60, 0, 72, 20);  // past the two that stay

  // Separators do not count towards the two.
  std::vector<TBarLayoutEntry> withSeparator{Button(30, 20), Separator(), Button(30, 20), Button(30, 20)};
  result = Arrange(withSeparator, params);
  EXPECT_EQ(Shown(withSeparator), (std::vector<bool>{true, true, true, false}));
}

TEST(BarViewLayout, TheChevronHidesInReversePriorityOrder) {
  auto entries = FourButtons();
  const std::vector<int> priority{3, 0, 1, 2};  // highest first
  TBarLayoutParams params;
  params.HasChevron = true;
  params.ChevronOffset = 100;
  params.ChevronSize = 12;
  params.Priority = &priority;
  Arrange(entries, params);
  EXPECT_EQ(Shown(entries), (std::vector<bool>{true, false, false, true}));
  ExpectRect(entries[3].Bounds, 30, 0, 60, 20);
}

TEST(BarViewLayout, SeparatorsThatMeetWhenTheChevronTakesTheViewersBetweenThemGoToo) {
  std::vector<TBarLayoutEntry> entries{Button(30, 20), Separator(), Button(30, 20), Separator(),
                                       Button(30, 20), Separator(), Button(30, 20), Button(30, 20)};
  const std::vector<int> priority{0, 6, 7, 4, 2};  // the two between the separators go first
  TBarLayoutParams params;
  params.HasChevron = true;
  params.ChevronOffset = 120;
  params.ChevronSize = 12;
  params.Priority = &priority;
  // 168 long: taking 2 doubles the separators 1 and 3 (132 left), taking 4 then doubles 1 and 5
  // (96 left), which fits in 108.
  Arrange(entries, params);
  EXPECT_EQ(Shown(entries), (std::vector<bool>{true, true, false, false, false, false, true, true}));
  EXPECT_TRUE(entries[2].HiddenByChevron);
  EXPECT_TRUE(entries[4].HiddenByChevron);
  EXPECT_FALSE(entries[3].HiddenByChevron);
  EXPECT_FALSE(entries[5].HiddenByChevron);
  ExpectRect(entries[6].Bounds, 36, 0, 66, 20);
}

TEST(BarViewLayout, TheChevronDropsSeparatorsLeftAtTheEnd) {
  std::vector<TBarLayoutEntry> entries{Button(30, 20), Button(30, 20), Separator(), Button(30, 20),
                                       Button(30, 20)};
  TBarLayoutParams params;
  params.HasChevron = true;
  params.ChevronOffset = 100;
  params.ChevronSize = 12;
  Arrange(entries, params);
  EXPECT_EQ(Shown(entries), (std::vector<bool>{true, true, false, false, false}));
  EXPECT_FALSE(entries[2].HiddenByChevron);
}

TEST(BarViewLayout, TheChevronStaysDisabledWhenOnlyControlsWentIntoIt) {
  auto entries = FourButtons();
  entries[2].Control = entries[3].Control = true;
  TBarLayoutParams params;
  params.HasChevron = true;
  params.ChevronOffset = 100;
  params.ChevronSize = 12;
  auto result = Arrange(entries, params);
  EXPECT_TRUE(entries[3].HiddenByChevron);
  EXPECT_FALSE(result.ChevronEnabled);
  entries = FourButtons();
  entries[2].Control = true;
  result = Arrange(entries, params);
  EXPECT_TRUE(result.ChevronEnabled);
}

TEST(BarViewLayout, AVerticalViewStacksAndMirrorsItsColumns) {
  std::vector<TBarLayoutEntry> entries{Button(22, 20), Button(22, 20), Button(22, 20)};
  TBarLayoutParams params;
  params.Orientation = bvoVertical;
  params.WrapOffset = 50;
  auto result = Arrange(entries, params);
  EXPECT_EQ(result.WrappedLines, 2);
  EXPECT_EQ(result.Size.x, 44);
  EXPECT_EQ(result.Size.y, 50);
  ExpectRect(entries[0].Bounds, 22, 0, 44, 20);  // the first column ends up on the right
  ExpectRect(entries[1].Bounds, 22, 20, 44, 40);
  ExpectRect(entries[2].Bounds, 0, 0, 22, 20);
  EXPECT_EQ(result.BaseSize.x, 22);
  EXPECT_EQ(result.BaseSize.y, 60);

  // One column centres narrower viewers across it.
  std::vector<TBarLayoutEntry> column{Button(22, 20), Button(18, 25)};
  params.WrapOffset = 0;
  Arrange(column, params);
  ExpectRect(column[1].Bounds, 2, 20, 20, 45);
}

TEST(BarViewLayout, PopupMenuRowsStackAndTakeTheWidestWidthBetweenLinesOfToolbarSizedViewers) {
  std::vector<TBarLayoutEntry> entries{Button(30, 16), Button(40, 16), MenuRow(50, 20), MenuRow(80, 20),
                                       MenuRow(60, 9),  Button(30, 16), Button(20, 10)};
  TBarLayoutParams params;
  params.IsToolbar = false;
  auto result = Arrange(entries, params);
  ExpectRect(entries[0].Bounds, 0, 0, 30, 16);
  ExpectRect(entries[1].Bounds, 30, 0, 70, 16);
  ExpectRect(entries[2].Bounds, 0, 16, 80, 36);
  ExpectRect(entries[3].Bounds, 0, 36, 80, 56);
  ExpectRect(entries[4].Bounds, 0, 56, 80, 65);
  // Below the rows, a line of their own, centred in it.
  ExpectRect(entries[5].Bounds, 0, 65, 30, 81);
  ExpectRect(entries[6].Bounds, 30, 68, 50, 78);
  EXPECT_EQ(result.Size.x, 80);
  EXPECT_EQ(result.Size.y, 81);
}

TEST(BarViewLayout, AChevronPopupWrapsWithoutWideningToTheLimit) {
  std::vector<TBarLayoutEntry> entries{Button(30, 20), Button(30, 20)};
  TBarLayoutParams params;
  params.IsToolbar = false;
  params.ChevronPopup = true;
  params.WrapOffset = 50;
  auto result = Arrange(entries, params);
  ExpectRect(entries[1].Bounds, 0, 20, 30, 40);
  EXPECT_EQ(result.Size.x, 30);
}

std::vector<TBarLayoutEntry> TenRows() { return std::vector<TBarLayoutEntry>(10, MenuRow(100, 20)); }

TEST(BarViewLayout, ATallPopupScrollsBetweenItsArrows) {
  auto entries = TenRows();
  TBarLayoutParams params;
  params.IsToolbar = false;
  params.MaxHeight = 181;  // 19 short: one arrow
  auto result = Arrange(entries, params);
  EXPECT_FALSE(result.ShowUpArrow);
  EXPECT_TRUE(result.ShowDownArrow);
  EXPECT_EQ(result.Size.y, 181);
  EXPECT_TRUE(entries[7].Show);  // bottom 160, above the arrow at 162
  EXPECT_FALSE(entries[8].Show);
  EXPECT_TRUE(entries[8].Clipped);
  EXPECT_TRUE(entries[9].Clipped);

  entries = TenRows();
  params.ScrollOffset = 50;  // clamped to the 19 there is
  result = Arrange(entries, params);
  EXPECT_EQ(result.ScrollOffset, 19);
  EXPECT_TRUE(result.ShowUpArrow);
  EXPECT_FALSE(result.ShowDownArrow);
  EXPECT_TRUE(entries[0].Clipped);
  EXPECT_TRUE(entries[1].Clipped);  // top 1 is under the up arrow
  EXPECT_TRUE(entries[2].Show);
  ExpectRect(entries[9].Bounds, 0, 161, 100, 181);
  EXPECT_TRUE(entries[9].Show);

  // Content that fits never scrolls and forgets the offset.
  entries = TenRows();
  params.MaxHeight = 200;
  result = Arrange(entries, params);
  EXPECT_EQ(result.ScrollOffset, 0);
  EXPECT_FALSE(result.ShowUpArrow || result.ShowDownArrow);
}

}  // namespace
}  // namespace movra::bars
