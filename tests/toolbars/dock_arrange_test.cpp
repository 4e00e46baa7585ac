// The arrangement of docked bars in rows, measured on a real dock with bars of fixed sizes.
// A bar on a top dock with the default single drag handle is 10 pixels longer than its content
// (2 + 2 frame, 6 handle) and its row is 4 pixels thicker than the thickest content.
#include <gtest/gtest.h>

#include "tests/toolbars/dock_test_support.h"

using namespace movra::bars;
using namespace movra::bars::test;

namespace {

// Content width that gives a full length of `length` on a top dock.
int Content(int length) { return length - 10; }

}  // namespace

TEST(DockArrange, EmptyDockThicknessFollowsFixAlign) {
  TDockForm f;
  EXPECT_EQ(f.Top->Height(), 0);
  EXPECT_EQ(f.Left->Width(), 0);
  f.Top->SetFixAlign(true);
  EXPECT_EQ(f.Top->Height(), 1);
  f.Top->SetFixAlign(false);
  EXPECT_EQ(f.Top->Height(), 0);
}

TEST(DockArrange, BarsThatDoNotFitWrapToNewRowsUnlessLimitedToOneRow) {
  TDockForm f;
  ASSERT_EQ(f.Top->Width(), 500);
  auto* a = f.AddBar(f.Top, Content(200), 22, 0, 0);
  auto* b = f.AddBar(f.Top, Content(200), 22, 0, 200);
  auto* c = f.AddBar(f.Top, Content(200), 22, 0, 400);
  EXPECT_EQ(a->BoundsRect().left, 0);
  EXPECT_EQ(a->Width(), 200);
  EXPECT_EQ(a->Height(), 26);  // 22 plus the docked frame
  EXPECT_EQ(b->Left(), 200);
  EXPECT_EQ(b->EffectiveRow(), 0);
  EXPECT_EQ(c->EffectiveRow(), 1);
  EXPECT_EQ(c->Left(), 300);  // as near its wished 400 as the row end lets it
  EXPECT_EQ(c->Top(), 26);
  EXPECT_EQ(f.Top->Height(), 52);
  // The wished row stays what it was: only the effective row moved.
  EXPECT_EQ(c->DockRow(), 0);

  // A single bar wider than the row is never moved: it is the first of its row.
  auto* wide = f.AddBar(f.Bottom, Content(700), 22, 0, 0);
  EXPECT_EQ(wide->EffectiveRow(), 0);
  EXPECT_EQ(f.Bottom->Height(), 26);

  f.Top->SetLimitToOneRow(true);
  EXPECT_EQ(c->EffectiveRow(), 0);
  EXPECT_EQ(c->Top(), 0);
  EXPECT_EQ(c->Left(), 400);
  EXPECT_EQ(f.Top->Height(), 26);
}

TEST(DockArrange, ChevronBarsCountTheirShrunkLengthAndShrink) {
  TDockForm f;
  f.Form->SetClientSize(400, 300);
  ASSERT_EQ(f.Top->Width(), 400);
  f.Top->SuspendArrange();
  auto* a = f.AddBar(f.Top, Content(300), 22, 0, 0);
  a->Mode = TBarShrinkMode::tbsmChevron;
  a->Shrunk = 100;
  auto* b = f.AddBar(f.Top, Content(200), 22, 0, 300);
  f.Top->ResumeArrange();
  // 100 + 200 fits in 400, so both share the row; the chevron bar gives the 100 missing.
  EXPECT_EQ(b->EffectiveRow(), 0);
  EXPECT_EQ(a->Width(), 200);
  EXPECT_EQ(b->Left(), 200);
  EXPECT_EQ(f.Top->Height(), 26);
  EXPECT_GE(a->Layouts, 1);  // its shrunk state changed: laid out for it

  // The same bar without a shrink mode counts its full length: the second bar wraps.
  a->Mode = TBarShrinkMode::tbsmNone;
  f.Top->ArrangeBars();
  EXPECT_EQ(b->EffectiveRow(), 1);
  EXPECT_EQ(a->Width(), 300);
}

TEST(DockArrange, WrapBarsShrinkOnlyWhenAloneInTheirRow) {
  TDockForm f;
  f.Form->SetClientSize(400, 300);
  auto* a = f.AddBar(f.Top, Content(600), 22, 0, 0);
  a->Mode = TBarShrinkMode::tbsmWrap;
  a->Shrunk = 150;
  f.Top->ArrangeBars();
  EXPECT_EQ(a->Width(), 400);

  auto* c = f.AddBar(f.Bottom, Content(300), 22, 0, 0);
  c->Mode = TBarShrinkMode::tbsmWrap;
  c->Shrunk = 50;
  auto* d = f.AddBar(f.Bottom, Content(150), 22, 0, 300);
  d->Mode = TBarShrinkMode::tbsmChevron;
  d->Shrunk = 100;
  f.Bottom->ArrangeBars();
  // 300 + 100 fits; the wrap bar shares its row, so only the chevron bar gives way.
  EXPECT_EQ(d->EffectiveRow(), 0);
  EXPECT_EQ(c->Width(), 300);
  EXPECT_EQ(d->Width(), 100);
  EXPECT_EQ(d->Left(), 300);
}

TEST(DockArrange, FullSizeBarsTakeARowOfTheirOwnAndSpanIt) {
  TDockForm f;
  auto* a = f.AddBar(f.Top, Content(100), 22, 0, 0);
  auto* full = f.AddBar(f.Top, Content(100), 18, 0, 150);
  auto* b = f.AddBar(f.Top, Content(100), 22, 0, 300);
  full->SetFullSize(true);
  EXPECT_EQ(full->EffectiveRow(), 0);
  EXPECT_EQ(full->Left(), 0);
  EXPECT_EQ(full->Width(), 500);
  EXPECT_EQ(full->Height(), 22);
  EXPECT_EQ(a->EffectiveRow(), 1);
  EXPECT_EQ(b->EffectiveRow(), 1);
  EXPECT_EQ(a->Top(), 22);
  EXPECT_EQ(b->Left(), 300);
  EXPECT_EQ(f.Top->Height(), 48);
  bool fullRow = false;
  EXPECT_EQ(f.Top->RowThickness(0, fullRow), 22);
  EXPECT_TRUE(fullRow);
  EXPECT_EQ(f.Top->RowThickness(1, fullRow), 26);
  EXPECT_FALSE(fullRow);
  EXPECT_EQ(f.Top->RowThickness(-1, fullRow), 0);
}

TEST(DockArrange, StretchBarsFillUpToTheNextBarOrTheRowEnd) {
  TDockForm f;
  auto* a = f.AddBar(f.Top, Content(100), 22, 0, 40);
  auto* b = f.AddBar(f.Top, Content(100), 22, 0, 300);
  a->SetStretch(true);
  // A stretch bar at the start of the row starts at 0 and takes the gap before the next bar.
  EXPECT_EQ(a->Left(), 0);
  EXPECT_EQ(a->Width(), 300);
  EXPECT_EQ(b->Left(), 300);
  EXPECT_EQ(b->Width(), 100);
  // A stretch bar also takes the gap before it: the last one spans from the previous bar to the
  // row end.
  a->SetStretch(false);
  b->SetStretch(true);
  EXPECT_EQ(a->Left(), 40);
  EXPECT_EQ(a->Width(), 100);
  EXPECT_EQ(b->Left(), 140);
  EXPECT_EQ(b->Width(), 360);
}

TEST(DockArrange, GapsSurviveWhileTheRowHasRoomAndArePackedWhenItOverflows) {
  TDockForm f;
  auto* a = f.AddBar(f.Top, Content(100), 22, 0, 20);
  auto* b = f.AddBar(f.Top, Content(100), 22, 0, 250);
  EXPECT_EQ(a->Left(), 20);
  EXPECT_EQ(b->Left(), 250);
  f.Top->ArrangeBars();
  EXPECT_EQ(b->Left(), 250);
  // A bar wished beyond the row end is pulled back so that it ends at the row end.
  b->SetDockPos(450);
  EXPECT_EQ(b->Left(), 400);
  // Wished inside the previous bar: it follows it.
  b->SetDockPos(50);
  EXPECT_EQ(b->Left(), 120);

  // Overflowing: every bar is packed against the previous one.
  f.Form->SetClientSize(380, 300);
  f.Top->SuspendArrange();
  a->SetDockPos(0);
  a->Mode = TBarShrinkMode::tbsmChevron;
  a->Shrunk = 50;
  a->Base.cx = Content(300);
  b->SetDockPos(330);
  f.Top->ResumeArrange();
  EXPECT_EQ(a->Width(), 280);
  EXPECT_EQ(b->Left(), 280);
}

TEST(DockArrange, AnOverlapBehindAPackedGapShrinksTheBarItOverlaps) {
  // Three chevron bars in a row of 400: 200 at 0, 100 wished at 260, 150 wished at 300. The
  // row overflows by 50, so the second bar is packed to 200; the third keeps its distance to
  // it and so still overlaps it by 60: the second bar gives the 50, the third keeps its size.
  TDockForm f;
  f.Form->SetClientSize(400, 300);
  f.Top->SuspendArrange();
  auto* a = f.AddBar(f.Top, Content(200), 22, 0, 0);
  auto* b = f.AddBar(f.Top, Content(100), 22, 0, 260);
  auto* c = f.AddBar(f.Top, Content(150), 22, 0, 300);
  for (TTestBar* bar : {a, b, c}) {
    bar->Mode = TBarShrinkMode::tbsmChevron;
    bar->Shrunk = 50;
  }
  f.Top->ResumeArrange();
  EXPECT_EQ(c->EffectiveRow(), 0);
  EXPECT_EQ(a->Width(), 200);
  EXPECT_EQ(b->Left(), 200);
  EXPECT_EQ(b->Width(), 50);
  EXPECT_EQ(b->CurrentSize(), 50);
  EXPECT_EQ(c->CurrentSize(), 0);  // not shrunk
  EXPECT_EQ(c->Left(), 250);
  EXPECT_EQ(c->Width(), 150);
}

TEST(DockArrange, ADraggedBarInAnOverflowingRowMaySplitItWhicheverBarTakesTheOverflow) {
  // A chevron bar of 300 at 0, a bar of 60 wished at 200 and the dragged bar of 60 at 360 in a
  // row of 400: the second bar overlaps the first by 100, and the first gives the whole
  // overflow of 20 before the dragged bar is reached.
  TDockForm f;
  f.Form->SetClientSize(400, 300);
  f.Top->SuspendArrange();
  auto* a = f.AddBar(f.Top, Content(300), 22, 0, 0);
  a->Mode = TBarShrinkMode::tbsmChevron;
  a->Shrunk = 50;
  auto* b = f.AddBar(f.Top, Content(60), 22, 0, 200);
  auto* dragged = f.AddBar(f.Top, Content(60), 22, 0, 360);
  f.Top->SetDraggedBar(dragged);
  f.Top->ResumeArrange();
  EXPECT_EQ(a->Width(), 280);
  EXPECT_EQ(b->Left(), 280);
  EXPECT_EQ(dragged->Left(), 340);
  EXPECT_TRUE(f.Top->DragCanSplit());

  // A row with room has nothing to split.
  f.Top->SetDragCanSplit(false);
  f.Form->SetClientSize(500, 300);
  EXPECT_EQ(a->Width(), 300);
  EXPECT_FALSE(f.Top->DragCanSplit());
  f.Top->SetDraggedBar(nullptr);
}

TEST(DockArrange, RowsWithoutBarsCloseUpAndRowsAreAsThickAsTheirThickestBarPlusFour) {
  TDockForm f;
  f.Top->SuspendArrange();
  auto* a = f.AddBar(f.Top, Content(100), 22, 0, 0);
  auto* b = f.AddBar(f.Top, Content(100), 30, 2, 0);
  auto* c = f.AddBar(f.Top, Content(100), 16, 5, 0);
  auto* d = f.AddBar(f.Top, Content(100), 20, 5, 200);
  f.Top->ResumeArrange();
  EXPECT_EQ(a->EffectiveRow(), 0);
  EXPECT_EQ(b->EffectiveRow(), 1);
  EXPECT_EQ(c->EffectiveRow(), 2);
  EXPECT_EQ(d->EffectiveRow(), 2);
  EXPECT_EQ(b->Top(), 26);
  EXPECT_EQ(b->Height(), 34);
  EXPECT_EQ(c->Top(), 60);
  EXPECT_EQ(c->Height(), 24);  // the thicker bar of the row decides, plus 4
  EXPECT_EQ(d->Height(), 24);
  EXPECT_EQ(f.Top->Height(), 84);
  EXPECT_EQ(f.Top->HighestRow(true), 2);
  EXPECT_EQ(f.Top->HighestRow(false), 5);
  EXPECT_EQ(f.Top->RowAt(0), 0);
  EXPECT_EQ(f.Top->RowAt(25), 0);
  EXPECT_EQ(f.Top->RowAt(26), 1);
  EXPECT_EQ(f.Top->RowAt(83), 2);
  EXPECT_EQ(f.Top->RowAt(84), 3);
  EXPECT_EQ(f.Top->RowAt(500), 3);
  EXPECT_EQ(f.Top->LargestOtherRowSize(2, c), 20);

  // Hiding the thick bar closes its row.
  b->Hide();
  EXPECT_EQ(c->Top(), 26);
  EXPECT_EQ(f.Top->Height(), 50);
}

TEST(DockArrange, SideDocksArrangeAlongTheHeightAndFarEdgesStay) {
  TDockForm f;
  auto* a = f.AddBar(f.Bottom, Content(100), 22, 0, 0);
  EXPECT_EQ(f.Bottom->Height(), 26);
  EXPECT_EQ(f.Bottom->Top() + f.Bottom->Height(), 300);
  f.AddBar(f.Bottom, Content(100), 22, 1, 0);
  EXPECT_EQ(f.Bottom->Height(), 52);
  EXPECT_EQ(f.Bottom->Top(), 248);
  EXPECT_EQ(a->Top(), 0);

  // On a side dock the length is the height: the handle (6) and frame (4) add to it.
  auto* s = f.AddBar(f.Right, 22, 90, 0, 10);
  EXPECT_EQ(s->Width(), 26);
  EXPECT_EQ(s->Height(), 100);
  EXPECT_EQ(s->Top(), 10);
  EXPECT_EQ(f.Right->Width(), 26);
  EXPECT_EQ(f.Right->Left() + f.Right->Width(), 500);
  f.AddBar(f.Right, 30, 90, 1, 0);
  EXPECT_EQ(f.Right->Width(), 60);
  EXPECT_EQ(f.Right->Left(), 440);
}

TEST(DockArrange, InsertAndRemoveAreReportedAndPositionChangesNeedAnEmptyDock) {
  TDockForm f;
  std::vector<std::pair<bool, TBarCustomDockableWindow*>> log;
  struct Listener : movra::ui::TObject {
    std::vector<std::pair<bool, TBarCustomDockableWindow*>>* log;
    void Handle(TObject*, bool inserting, TBarCustomDockableWindow* bar) { log->push_back({inserting, bar}); }
  } listener;
  listener.log = &log;
  f.Top->OnInsertRemoveBar = TBarInsertRemoveEvent(&listener, &Listener::Handle);
  auto* a = f.AddBar(f.Top, Content(100), 22, 0, 0);
  ASSERT_EQ(log.size(), 1u);
  EXPECT_TRUE(log[0].first);
  EXPECT_EQ(log[0].second, a);
  EXPECT_EQ(f.Top->VisibleBarCount(), 1);
  EXPECT_THROW(f.Top->SetPosition(TBarDockPosition::dpLeft), EInvalidOperation);
  a->Hide();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_FALSE(log[1].first);
  EXPECT_EQ(f.Top->VisibleBarCount(), 0);
  EXPECT_EQ(f.Top->Height(), 0);
  a->SetParent(f.Left);
  EXPECT_EQ(f.Top->DockListCount(), 0);
  EXPECT_EQ(f.Left->DockListCount(), 1);
  EXPECT_EQ(a->LastDock(), f.Left);
  EXPECT_EQ(a->CurrentDock(), f.Left);
  EXPECT_EQ(a->DockType(), dtLeftRight);

  auto* inner = new TBarDock(f.Form);
  EXPECT_THROW(inner->SetParent(a), EInvalidOperation);
  EXPECT_THROW(inner->SetParent(f.Top), EInvalidOperation);
  f.Top->OnInsertRemoveBar = nullptr;
}
