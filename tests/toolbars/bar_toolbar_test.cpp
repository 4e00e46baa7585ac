// Toolbars: floating-width candidates and the resize that snaps to them as numbers, then real
// toolbars in docks (sizes, the chevron, control items) and menu bars (full size, wrapping).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support.h"
#include "tests/runtime/ui/ui_test_support.h"
#include "tests/toolbars/bar_fixed_items.h"
#include "tests/toolbars/bar_toolbar_test_support.h"
#include "tests/toolbars/dock_test_support.h"
#include "toolbars/bar_hook.h"
#include "toolbars/bar_toolbar.h"

using namespace movra::bars;
using namespace movra::bars::test;

using movra::testing::TestPicture;
using movra::ui::test::Pump;

namespace {

// The wrapping of `count` items of 23 x 22 between floating margins 4, 2, 4, 1, as the view's
// layout does it: a line takes the items that end within the limit (width - 4); a wrapped
// layout is at least as wide as the limit.
POINT WrapItems(int count, int floatingWidth, int& lines) {
  const int limit = floatingWidth > 0 ? floatingWidth - 4 : 0;
  int perLine = count;
  if (limit > 0) perLine = std::max(1, std::min(count, (limit - 4) / 23));
  lines = (count + perLine - 1) / perLine;
  int width = 4 + perLine * 23;
  if (lines > 1) width = std::max(width, limit);
  if (limit > 0 && 4 + 23 > limit) width = std::max(width, limit + 1);
  return {width + 4, 2 + lines * 22 + 1};
}

}  // namespace

TEST(FloatingWidths, OneCandidatePerLineCountEachWithItsOwnWidth) {
  auto layout = [](int width, int& lines) { return WrapItems(4, width, lines); };
  std::vector<TBarFloatingWidth> list = CollectFloatingWidthCandidates(layout, 8);
  // One line 100 wide; two lines from 2 + 2 items at 54; four lines at 31 (three lines never
  // come: 3 + 1 items are as tall as 2 + 2).
  ASSERT_EQ(list.size(), 3u);
  EXPECT_EQ(list[0].Size.x, 100);
  EXPECT_EQ(list[0].Size.y, 25);
  EXPECT_EQ(list[0].Lines, 1);
  EXPECT_EQ(list[0].FloatingWidth, 0);
  EXPECT_EQ(list[1].Size.x, 54);
  EXPECT_EQ(list[1].Size.y, 47);
  EXPECT_EQ(list[1].Lines, 2);
  EXPECT_EQ(list[1].FloatingWidth, 54);
  EXPECT_EQ(list[2].Size.x, 31);
  EXPECT_EQ(list[2].Size.y, 91);
  EXPECT_EQ(list[2].Lines, 4);
  EXPECT_EQ(list[2].FloatingWidth, 31);

  // A layout that comes out narrower than asked skips the widths in between; one wider than
  // asked ends the search.
  std::vector<int> asked;
  auto stepping = [&asked](int width, int& lines) {
    asked.push_back(width);
    lines = width == 0 ? 1 : 2;
    if (width == 0) return POINT{50, 10};
    if (width > 30) return POINT{30, 20};
    if (width > 20) return POINT{width, 20};
    return POINT{width + 1, 30};
  };
  list = CollectFloatingWidthCandidates(stepping, 0);
  EXPECT_EQ(asked, (std::vector<int>{0, 49, 30, 29, 28, 27, 26, 25, 24, 23, 22, 21, 20}));
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[1].Size.x, 21);
  EXPECT_EQ(list[1].FloatingWidth, 21);
}

TEST(FloatingWidths, ResizeSnapsToCandidatesAndKeepsEachOnesWidth) {
  auto layout = [](int width, int& lines) { return WrapItems(4, width, lines); };
  const std::vector<TBarFloatingWidth> base = CollectFloatingWidthCandidates(layout, 8);

  // By width (the right edge), starting one line wide: 100 -> 54 -> 31.
  TBarSizingCandidates byWidth;
  byWidth.List = base;
  byWidth.StartSize = 100;
  PrepareSizingCandidates(byWidth);
  EXPECT_EQ(byWidth.List.front().Size.x, 31);
  EXPECT_EQ(byWidth.List.back().Size.x, 100);
  EXPECT_EQ(byWidth.Snap, 12);
  EXPECT_EQ(PickSizingCandidate(byWidth, 95), -1);  // within the snap distance
  EXPECT_EQ(PickSizingCandidate(byWidth, 88), -1);
  int pick = PickSizingCandidate(byWidth, 87);
  ASSERT_GE(pick, 0);
  EXPECT_EQ(byWidth.List[pick].Size.x, 54);
  EXPECT_EQ(byWidth.List[pick].FloatingWidth, 54);
  pick = PickSizingCandidate(byWidth, 40);
  EXPECT_EQ(byWidth.List[pick].Size.x, 31);
  pick = PickSizingCandidate(byWidth, 5);
  EXPECT_EQ(byWidth.List[pick].Size.x, 31);
  pick = PickSizingCandidate(byWidth, 400);
  EXPECT_EQ(byWidth.List[pick].FloatingWidth, 0);

  // From 54 the neighbours are 23 below and 46 above: the snap stays 12. Growing walks up from
  // the small end to the first that holds the wanted width.
  byWidth.StartSize = 54;
  PrepareSizingCandidates(byWidth);
  EXPECT_EQ(byWidth.Snap, 12);
  pick = PickSizingCandidate(byWidth, 67);
  EXPECT_EQ(byWidth.List[pick].Size.x, 100);
  // Close neighbours make the snap smaller: 5 to the next one gives 4.
  TBarSizingCandidates close;
  close.List = {{{40, 10}, 1, 0}, {{45, 20}, 2, 45}};
  close.StartSize = 40;
  PrepareSizingCandidates(close);
  EXPECT_EQ(close.Snap, 4);

  // By height (the top or bottom edge) the tallest candidate is the narrowest: it keeps its own
  // floating width, 31, and does not turn into one line.
  TBarSizingCandidates byHeight;
  byHeight.List = base;
  byHeight.ByHeight = true;
  byHeight.StartSize = 25;
  PrepareSizingCandidates(byHeight);
  EXPECT_EQ(byHeight.List.back().Size.y, 91);
  EXPECT_EQ(byHeight.Snap, 12);
  pick = PickSizingCandidate(byHeight, 200);
  ASSERT_EQ(pick, 2);
  EXPECT_EQ(byHeight.List[pick].FloatingWidth, 31);
  pick = PickSizingCandidate(byHeight, 40);
  EXPECT_EQ(byHeight.List[pick].Size.y, 47);
  EXPECT_EQ(byHeight.List[pick].FloatingWidth, 54);
}

TEST(Toolbar, ConstructionDefaultsAndTheChevronItem) {
  TDockForm f;
  auto* bar = new TBarToolbar(f.Form);
  EXPECT_EQ(bar->Width(), 22);
  EXPECT_EQ(bar->Height(), 23);
  EXPECT_EQ(bar->ShrinkMode(), TBarShrinkMode::tbsmChevron);
  EXPECT_TRUE(bar->SystemFont());
  EXPECT_TRUE(bar->ChevronMoveItems());
  EXPECT_FALSE(bar->MenuBar());
  EXPECT_EQ(bar->Color(), movra::ui::clBtnFace);
  EXPECT_EQ(bar->View()->BackgroundColor(), movra::ui::clBtnFace);
  EXPECT_FALSE(bar->ControlStyle() & movra::ui::csCaptureMouse);
  EXPECT_TRUE(bar->ControlStyle() & movra::ui::csAcceptsControls);
  EXPECT_EQ(bar->DockableStyle() & 3u, 0u);
  EXPECT_EQ(bar->GetRootItem(), bar->Items());
  EXPECT_EQ(bar->Items()->ParentComponent(), bar);
  EXPECT_TRUE(bar->View()->UsePriorityList());

  TBarChevronItem* chevron = bar->ChevronItem();
  EXPECT_EQ(chevron->ItemStyle() & (isSubmenu | isNoAutoOpen), isSubmenu | isNoAutoOpen);
  EXPECT_EQ(chevron->LinkSubitems(), bar->Items());
  EXPECT_EQ(chevron->ChevronSourceView(), static_cast<IBarView*>(bar->View()));
  EXPECT_EQ(chevron->Hint(), "More Buttons|");
  EXPECT_EQ(chevron->Caption(), "More Buttons");
  bar->SetChevronHint("Rock & Roll|more");
  EXPECT_EQ(chevron->Hint(), "Rock & Roll|more");
  EXPECT_EQ(chevron->Caption(), "Rock && Roll");
  // The chevron's viewer sits at the end of the view's viewers.
  ASSERT_GE(bar->View()->ViewerCount(), 1);
  EXPECT_EQ(bar->View()->ViewerAt(bar->View()->ViewerCount() - 1)->Item(), chevron);
  EXPECT_EQ(bar->View()->InternalViewersAtEnd(), 1);

  bar->SetChevronPriorityForNewItems(true);
  EXPECT_FALSE(bar->View()->NewViewersGetHighestPriority());
  bar->SetChevronMoveItems(false);
  EXPECT_FALSE(bar->View()->UsePriorityList());
}

TEST(Toolbar, DockedSizesAndTheFloatingWidthsOfRealItems) {
  TDockForm f;
  TBarToolbar* bar = AddFixedToolbar(f.Top, 3, 0, 0);
  // Content 3 x 23 by 22; docked frame 4 + drag handle 6 along, 4 across; the row is 22 + 4.
  EXPECT_EQ(bar->Width(), 69 + 10);
  EXPECT_EQ(bar->Height(), 26);
  EXPECT_EQ(bar->ClientWidth(), 69);
  EXPECT_EQ(bar->ClientHeight(), 22);
  EXPECT_EQ(f.Top->Height(), 26);
  SIZE base{};
  bar->BaseSize(base);
  EXPECT_EQ(base.cx, 69);
  EXPECT_EQ(base.cy, 22);
  int shrunk = 0;
  bar->MinimumShrunkLength(shrunk);
  EXPECT_EQ(shrunk, 23 + 10 + 12);
  for (int i = 0; i < 3; ++i) {
    const RECT r = bar->View()->ViewerAt(i)->BoundsRect;
    EXPECT_EQ(r.left, 23 * i);
    EXPECT_EQ(r.right, 23 * i + 23);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.bottom, 22);
  }

  // On a side dock the items stack; floating they get the floating margins.
  SIZE size{};
  bar->ComputeLayout(false, bar->DockType(), size, f.Left, false);
  EXPECT_EQ(size.cx, 23);
  EXPECT_EQ(size.cy, 66);
  bar->ComputeLayout(false, bar->DockType(), size, nullptr, true);
  EXPECT_EQ(size.cx, 4 + 69 + 4);
  EXPECT_EQ(size.cy, 2 + 22 + 1);

  // A fourth item: the candidates are those of the arithmetic above.
  bar->Items()->Add(new FixedItem(nullptr, 23, 22));
  std::vector<TBarFloatingWidth> list;
  bar->CollectFloatingWidths(list);
  ASSERT_EQ(list.size(), 3u);
  EXPECT_EQ(list[0].Size.x, 100);
  EXPECT_EQ(list[0].Size.y, 25);
  EXPECT_EQ(list[1].Size.x, 54);
  EXPECT_EQ(list[1].Size.y, 47);
  EXPECT_EQ(list[2].Size.x, 31);
  EXPECT_EQ(list[2].Size.y, 91);
  EXPECT_EQ(list[2].FloatingWidth, 31);
  EXPECT_EQ(bar->FloatingWidth(), 0);  // restored after the search
  EXPECT_EQ(bar->Width(), 92 + 10);    // the new item widened the docked toolbar
}

TEST(Toolbar, ChevronCollectsWhatDoesNotFit) {
  TDockForm f;
  // 25 items of 23 need 575 + 10; the dock row has 500.
  TBarToolbar* bar = AddFixedToolbar(f.Top, 25, 0, 0);
  EXPECT_EQ(bar->Width(), 500);
  EXPECT_EQ(bar->CurrentSize(), 500);
  TBarToolbarView* view = bar->View();
  EXPECT_EQ(view->ChevronOffset(), 490);
  EXPECT_EQ(view->ChevronSize(), kChevronSize);
  // 490 - 12 leaves room for 20 items (460); the last five went into the chevron.
  int shown = 0, hidden = 0;
  for (int i = 0; i < 25; ++i) {
    TBarItemViewer* v = view->ViewerAt(i);
    if (v->Show) ++shown;
    if (v->OffEdge) ++hidden;
    // The newest items have the highest priority: the first five went.
    EXPECT_EQ(v->OffEdge, i < 5) << i;
  }
  EXPECT_EQ(shown, 20);
  EXPECT_EQ(hidden, 5);
  EXPECT_TRUE(bar->ChevronItem()->Enabled());
  TBarItemViewer* chevron = view->Find(bar->ChevronItem());
  EXPECT_TRUE(chevron->Show);
  EXPECT_EQ(chevron->BoundsRect.left, 478);
  EXPECT_EQ(chevron->BoundsRect.right, 490);
  EXPECT_EQ(chevron->BoundsRect.top, 0);
  EXPECT_EQ(chevron->BoundsRect.bottom, 22);

  // The picture: the chevron glyph is two arrows in the button-text colour at the chevron's
  // left + 2, top + 4 (rows 0xCC, 0x66, 0x33, 0x66, 0xCC).
  TestPicture picture(bar->Width(), bar->Height(), RGB(255, 0, 255));
  PaintToolbarInto(bar, picture);
  picture.Save("bar_toolbar_chevron");
  const RECT inner = ClientInWindow(bar);
  const int gx = inner.left + chevron->BoundsRect.left + 2, gy = inner.top + chevron->BoundsRect.top + 4;
  const COLORREF text = GetSysColor(COLOR_BTNTEXT);
  EXPECT_EQ(picture.Pixel(gx, gy), text);
  EXPECT_EQ(picture.Pixel(gx + 1, gy), text);
  EXPECT_NE(picture.Pixel(gx + 2, gy), text);
  EXPECT_EQ(picture.Pixel(gx + 4, gy), text);
  EXPECT_EQ(picture.Pixel(gx + 6, gy + 2), text);
  EXPECT_NE(picture.Pixel(gx, gy + 2), text);
  EXPECT_NE(picture.Pixel(gx, gy + 5), text);

  // Making room shows everything again and disables the chevron.
  for (int i = 24; i >= 18; --i) movra::ui::Free(bar->Items()->ChildAt(i));
  EXPECT_EQ(bar->Width(), 18 * 23 + 10);
  EXPECT_FALSE(bar->ChevronItem()->Enabled());
  for (int i = 0; i < 18; ++i) EXPECT_FALSE(view->ViewerAt(i)->OffEdge);
}

TEST(Toolbar, ChildControlsBecomeControlItems) {
  TDockForm f;
  TBarToolbar* bar = AddFixedToolbar(f.Top, 1, 0, 0);
  auto* control = new TFixedControl(f.Form, 40, 18);
  control->SetParent(bar);
  ASSERT_EQ(bar->Items()->Count(), 2);
  auto* item = dynamic_cast<TBarControlItem*>(bar->Items()->ChildAt(1));
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(item->Control(), control);
  // After the 23-pixel item, centred across the 22-pixel line.
  EXPECT_EQ(control->Left(), 23);
  EXPECT_EQ(control->Top(), 2);
  EXPECT_EQ(control->Width(), 40);
  EXPECT_EQ(bar->Width(), 23 + 40 + 10);
  // A control item is not a place to start a drag or a tracking loop from; its control is.
  EXPECT_TRUE(bar->PointOnChildControl({30, 5}));
  EXPECT_TRUE(bar->PointOnChildControl({5, 5}));

  // The control goes: its item goes with it; an item freed takes its control along.
  movra::ui::Free(control);
  EXPECT_EQ(bar->Items()->Count(), 1);
  EXPECT_EQ(bar->Width(), 23 + 10);
  auto* other = new TFixedControl(f.Form, 30, 18);
  other->SetParent(bar);
  ASSERT_EQ(bar->Items()->Count(), 2);
  std::weak_ptr<void> otherAlive = other->Lifetime();
  movra::ui::Free(bar->Items()->ChildAt(1));
  EXPECT_TRUE(otherAlive.expired());
  EXPECT_EQ(bar->ControlCount(), 0);
  EXPECT_EQ(bar->Width(), 23 + 10);

  // Only control items in the chevron: it stays disabled, and the hidden control moves out of
  // sight. The newest item has the highest priority, so the first control goes first; two
  // always stay.
  auto* onlyControls = new TBarToolbar(f.Form);
  onlyControls->SetDockRow(1);
  onlyControls->SetParent(f.Top);
  auto* a = new TFixedControl(f.Form, 200, 18);
  auto* b = new TFixedControl(f.Form, 200, 18);
  auto* c = new TFixedControl(f.Form, 200, 18);
  a->SetParent(onlyControls);
  b->SetParent(onlyControls);
  c->SetParent(onlyControls);
  EXPECT_EQ(onlyControls->Width(), 500);
  EXPECT_EQ(onlyControls->CurrentSize(), 500);
  EXPECT_EQ(onlyControls->View()->ChevronOffset(), 490);
  EXPECT_FALSE(onlyControls->ChevronItem()->Enabled());
  EXPECT_TRUE(onlyControls->View()->Find(onlyControls->Items()->ChildAt(0))->OffEdge);
  EXPECT_FALSE(onlyControls->View()->Find(onlyControls->Items()->ChildAt(1))->OffEdge);
  EXPECT_GE(a->Left(), onlyControls->ClientWidth());
  EXPECT_EQ(b->Left(), 0);
  EXPECT_EQ(c->Left(), 200);
}

// Items less thick than an empty bar (22), as menu captions are: the row is as thick as the
// items plus the frame, whether the bar never wrapped or has wrapped and unwrapped again.
TEST(MenuBar, UnwrappingGivesBackTheThicknessOfTheFirstArrangement) {
  TDockForm f;
  auto* bar = new TBarToolbar(f.Form);
  for (int i = 0; i < 6; ++i) bar->Items()->Add(new FixedItem(nullptr, 23, 16));
  bar->SetParent(f.Top);
  bar->SetMenuBar(true);
  Pump();
  ASSERT_EQ(f.Top->Width(), 500);
  EXPECT_EQ(bar->Height(), 16 + 4);
  EXPECT_EQ(f.Top->Height(), 16 + 4);
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    f.Form->SetClientSize(100, 300);
    Pump();
    EXPECT_EQ(bar->Height(), 2 * 16 + 4);
    EXPECT_EQ(f.Top->Height(), 2 * 16 + 4);
    f.Form->SetClientSize(500, 300);
    Pump();
    EXPECT_EQ(bar->Width(), 500);
    EXPECT_EQ(bar->Height(), 16 + 4);
    EXPECT_EQ(bar->ClientHeight(), 16);
    EXPECT_EQ(f.Top->Height(), 16 + 4);
    EXPECT_EQ(bar->View()->ViewerAt(5)->BoundsRect.top, 0);
  }
}

TEST(MenuBar, FullSizeWrappingNoCloseButtonAndShortcuts) {
  TDockForm f;
  TBarToolbar* bar = AddFixedToolbar(f.Top, 6, 0, 0);
  const int hookUses = WindowsHookUseCount(TWindowsHook::GetMessage);
  bar->SetMenuBar(true);
  EXPECT_TRUE(bar->FullSize());
  EXPECT_EQ(bar->ShrinkMode(), TBarShrinkMode::tbsmWrap);
  EXPECT_FALSE(bar->CloseButton());
  EXPECT_TRUE(bar->ProcessShortCuts());
  EXPECT_TRUE(bar->ShortCutsRegistered());
  EXPECT_TRUE(bar->MenuBarHookInstalled());
  EXPECT_TRUE(ShortCutHookInstalled());
  EXPECT_EQ(WindowsHookUseCount(TWindowsHook::GetMessage), hookUses + 1);
  EXPECT_TRUE(bar->ControlStyle() & movra::ui::csMenuEvents);
  EXPECT_TRUE(bar->View()->IsMenuBar());
  // Full size: the whole row, 500; one line of 6 x 23 items.
  EXPECT_EQ(bar->Width(), 500);
  EXPECT_EQ(bar->Height(), 26);
  EXPECT_EQ(bar->View()->WrapOffset(), 490);

  // Narrow: the dock is 100 wide, the items wrap three to a line (limit 90).
  f.Form->SetClientSize(100, 300);
  Pump();
  EXPECT_EQ(f.Top->Width(), 100);
  EXPECT_EQ(bar->Width(), 100);
  EXPECT_EQ(bar->View()->WrapOffset(), 90);
  EXPECT_EQ(bar->Height(), 2 * 22 + 4);
  EXPECT_EQ(f.Top->Height(), 2 * 22 + 4);
  EXPECT_EQ(bar->View()->ViewerAt(3)->BoundsRect.left, 0);
  EXPECT_EQ(bar->View()->ViewerAt(3)->BoundsRect.top, 22);
  EXPECT_FALSE(bar->View()->ViewerAt(5)->OffEdge);

  bar->SetMenuBar(false);
  EXPECT_FALSE(bar->FullSize());
  EXPECT_EQ(bar->ShrinkMode(), TBarShrinkMode::tbsmChevron);
  EXPECT_TRUE(bar->CloseButton());
  EXPECT_FALSE(bar->ProcessShortCuts());
  EXPECT_FALSE(bar->ShortCutsRegistered());
  EXPECT_FALSE(bar->MenuBarHookInstalled());
  EXPECT_FALSE(ShortCutHookInstalled());
  EXPECT_EQ(WindowsHookUseCount(TWindowsHook::GetMessage), hookUses);
  EXPECT_FALSE(bar->View()->IsMenuBar());
  // Back to one line with a chevron.
  EXPECT_EQ(bar->Height(), 26);
  EXPECT_TRUE(bar->ChevronItem()->Enabled());
}

TEST(ToolbarPictures, AMenuBarAndAToolbarDockedTogether) {
  TDockForm f;
  auto* menu = new TBarToolbar(f.Form);
  for (const char* caption : {"&File", "&Edit", "&View", "&Help"}) {
    auto* item = new TBarItem(nullptr);
    item->SetCaption(caption);
    menu->Items()->Add(item);
  }
  menu->SetMenuBar(true);
  menu->SetParent(f.Top);
  auto* tools = new TBarToolbar(f.Form);
  for (const char* caption : {"Run", "Stop", "Options"}) {
    auto* item = new TBarItem(nullptr);
    item->SetCaption(caption);
    tools->Items()->Add(item);
  }
  tools->SetDockRow(1);
  tools->SetParent(f.Top);
  f.Form->Show();
  Pump();
  // The menu bar spans the row; the toolbar sits below it in a row of its own.
  EXPECT_EQ(menu->Width(), 500);
  EXPECT_EQ(menu->Top(), 0);
  EXPECT_EQ(tools->Top(), menu->Height());
  EXPECT_EQ(f.Top->Height(), menu->Height() + tools->Height());
  // Menu-bar items follow one another along the line, none hidden.
  for (int i = 1; i < 4; ++i)
    EXPECT_EQ(menu->View()->ViewerAt(i)->BoundsRect.left, menu->View()->ViewerAt(i - 1)->BoundsRect.right);

  TestPicture picture(500, f.Top->Height(), RGB(255, 0, 255));
  PaintToolbarInto(menu, picture, menu->Left(), menu->Top());
  PaintToolbarInto(tools, picture, tools->Left(), tools->Top());
  picture.Save("bar_toolbar_menubar_and_toolbar");
  // Each docked bar has its raised one-pixel frame and a grip bar at its leading edge.
  for (TBarToolbar* bar : {menu, tools}) {
    const int x = bar->Left(), y = bar->Top();
    EXPECT_EQ(picture.Pixel(x, y), GetSysColor(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(picture.Pixel(x + bar->Width() - 1, y + bar->Height() - 1), GetSysColor(COLOR_BTNSHADOW));
    // The single grip starts at offset 1 + 2, 3 pixels wide: highlight, face, shadow.
    EXPECT_EQ(picture.Pixel(x + 3, y + 10), GetSysColor(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(picture.Pixel(x + 5, y + 10), GetSysColor(COLOR_BTNSHADOW));
  }
  // Captions are drawn in the button-text colour somewhere inside each item.
  auto hasText = [&](TBarToolbar* bar, int index) {
    const RECT r = bar->View()->ViewerAt(index)->BoundsRect;
    const RECT inner = ClientInWindow(bar);
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x)
        if (picture.Pixel(bar->Left() + inner.left + x, bar->Top() + inner.top + y) == GetSysColor(COLOR_BTNTEXT))
          return true;
    return false;
  };
  EXPECT_TRUE(hasText(menu, 0));
  EXPECT_TRUE(hasText(tools, 2));

  // Narrow, the menu bar wraps its items into more lines and stays as wide as the dock.
  const int oneLine = menu->Height();
  f.Form->SetClientSize(90, 300);
  Pump();
  ASSERT_LT(f.Top->Width(), 200);  // the system may keep the form a little wider than asked
  EXPECT_EQ(menu->Width(), f.Top->Width());
  EXPECT_GT(menu->Height(), oneLine);
  int lines = 0, lastTop = -1;
  for (int i = 0; i < 4; ++i) {
    TBarItemViewer* v = menu->View()->ViewerAt(i);
    EXPECT_TRUE(v->Show);
    EXPECT_LE(v->BoundsRect.right, menu->ClientWidth());
    if (v->BoundsRect.top != lastTop) ++lines, lastTop = v->BoundsRect.top;
  }
  EXPECT_GE(lines, 2);
  TestPicture narrow(f.Top->Width(), f.Top->Height(), RGB(255, 0, 255));
  PaintToolbarInto(menu, narrow, menu->Left(), menu->Top());
  PaintToolbarInto(tools, narrow, tools->Left(), tools->Top());
  narrow.Save("bar_toolbar_menubar_wrapped");
}

TEST(ChevronViewer, EdgesAndGlyphsByState) {
  TDockForm f;
  TBarToolbar* bar = AddFixedToolbar(f.Top, 1, 0, 0);
  std::unique_ptr<TBarItemViewer> viewer = bar->ChevronItem()->ViewerClass().Create(bar->View(), bar->ChevronItem(), 0);
  ASSERT_TRUE(viewer->ClassType().InheritsFrom(TBarChevronItemViewer::Class()));
  const COLORREF face = RGB(0x10, 0x20, 0x30);
  const COLORREF text = GetSysColor(COLOR_BTNTEXT), light = GetSysColor(COLOR_BTNHIGHLIGHT),
                 dark = GetSysColor(COLOR_BTNSHADOW);
  const RECT r{0, 0, 12, 22};
  auto paint = [&](bool pushed, bool selected, TestPicture& picture) {
    movra::ui::TCanvas canvas;
    canvas.SetHandle(picture.Dc());
    viewer->Paint(canvas, r, false, pushed, selected);
    canvas.SetHandle(nullptr);
    GdiFlush();
  };
  bar->ChevronItem()->SetEnabled(true);

  // Hot: a raised inner edge (light top-left, dark bottom-right); the glyph at left + 2, top + 4.
  TestPicture hot(12, 22, face);
  paint(false, true, hot);
  EXPECT_EQ(hot.Pixel(0, 0), light);
  EXPECT_EQ(hot.Pixel(11, 21), dark);
  EXPECT_EQ(hot.Pixel(2, 4), text);
  EXPECT_EQ(hot.Pixel(4, 4), face);
  EXPECT_EQ(hot.Pixel(4, 6), text);   // row 0x33: the tip
  EXPECT_EQ(hot.Pixel(2, 10), face);  // below the six rows
  // Pushed: a sunken edge and the glyph one pixel right and down.
  TestPicture pushed(12, 22, face);
  paint(true, true, pushed);
  EXPECT_EQ(pushed.Pixel(0, 0), dark);
  EXPECT_EQ(pushed.Pixel(11, 21), light);
  EXPECT_EQ(pushed.Pixel(3, 5), text);
  EXPECT_EQ(pushed.Pixel(2, 4), face);
  // Neither: no edge.
  TestPicture plain(12, 22, face);
  paint(false, false, plain);
  EXPECT_EQ(plain.Pixel(0, 0), face);
  EXPECT_EQ(plain.Pixel(2, 4), text);
  // Disabled: no edge even when hot, the glyph embossed: highlight one pixel lower, shadow on top.
  bar->ChevronItem()->SetEnabled(false);
  TestPicture disabled(12, 22, face);
  paint(false, true, disabled);
  EXPECT_EQ(disabled.Pixel(0, 0), face);
  EXPECT_EQ(disabled.Pixel(2, 4), dark);
  EXPECT_EQ(disabled.Pixel(2, 5), light);  // row 0x66 has no pixel at 2: the highlight shows
  EXPECT_EQ(disabled.Pixel(3, 5), dark);

  // In a vertical view the glyph points down, 5 wide from right - 9, top + 2.
  TestPicture vertical(22, 12, face);
  DrawChevronGlyph(vertical.Dc(), RECT{0, 0, 22, 12}, true, false, text);
  GdiFlush();
  EXPECT_EQ(vertical.Pixel(13, 2), text);   // row 0x88: 1 0 0 0 1
  EXPECT_EQ(vertical.Pixel(14, 2), face);
  EXPECT_EQ(vertical.Pixel(17, 2), text);
  EXPECT_EQ(vertical.Pixel(15, 5), text);   // row 0x20: the tip
  EXPECT_EQ(vertical.Pixel(18, 3), face);   // never past 5 pixels
  vertical.Save("bar_toolbar_chevron_vertical");
}

TEST(Toolbar, AsAPlainControlItShrinksToItsWidthUnlessItSizesItself) {
  TDockForm f;
  auto* bar = new TBarToolbar(f.Form);
  for (int i = 0; i < 10; ++i) bar->Items()->Add(new FixedItem(nullptr, 23, 22));
  bar->SetParent(f.Form);
  // It sizes itself: one line of everything, no chevron.
  EXPECT_EQ(bar->Width(), 230);
  EXPECT_EQ(bar->View()->ChevronOffset(), 0);
  // Fixed at 100: the chevron takes over at its width.
  bar->SetAutoResize(false);
  bar->SetBounds(0, 200, 100, 22);
  bar->View()->InvalidateLayout();
  bar->RecomputeSize();
  EXPECT_EQ(bar->View()->ChevronOffset(), 100);
  EXPECT_TRUE(bar->View()->ViewerAt(0)->OffEdge);
  EXPECT_TRUE(bar->ChevronItem()->Enabled());
  // Wrapping instead: lines of four.
  bar->SetShrinkMode(TBarShrinkMode::tbsmWrap);
  EXPECT_EQ(bar->View()->ChevronOffset(), 0);
  EXPECT_EQ(bar->View()->WrapOffset(), 100);
  EXPECT_EQ(bar->View()->ViewerAt(4)->BoundsRect.left, 0);
  EXPECT_EQ(bar->View()->ViewerAt(4)->BoundsRect.top, 22);
  // Stretched left and right it shrinks even while sizing itself.
  bar->SetAnchors(movra::ui::akLeft | movra::ui::akRight | movra::ui::akTop);
  bar->SetAutoResize(true);
  EXPECT_EQ(bar->Width(), 100);
  EXPECT_EQ(bar->Height(), 3 * 22);
}
