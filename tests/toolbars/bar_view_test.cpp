// Views over real items: viewers kept in step with change notices, layout with viewers of fixed
// sizes, selection and keyboard navigation, accelerators, scrolling, timers, the tracking entry
// and painting into memory pictures.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "runtime/ui/controls.h"
#include "runtime/ui/forms.h"
#include "tests/support/support.h"
#include "tests/toolbars/bar_fixed_items.h"
#include "toolbars/bar_common.h"
#include "toolbars/bar_item.h"
#include "toolbars/bar_view.h"
#include "toolbars/bar_viewer.h"

namespace movra::bars {
namespace {

using movra::testing::TestPicture;
using test::ChevronView;
using test::FixedItem;
using test::FixedSeparator;
using test::FixedViewer;

class GroupItem : public TBarItem {
 public:
  explicit GroupItem(ui::TComponent* owner) : TBarItem(owner) { SetItemStyle(ItemStyle() | isEmbeddedGroup); }
};

struct Views : ::testing::Test {
  ui::TOwned<ui::TComponent> owner = ui::MakeOwned<ui::TComponent>(nullptr);
  TBarRootItem* root = new TBarRootItem(owner.get());

  FixedItem* Add(int width, int height, TBarCustomItem* parent = nullptr) {
    auto* item = new FixedItem(owner.get(), width, height);
    (parent ? parent : root)->Add(item);
    return item;
  }
  FixedSeparator* AddSeparator(TBarCustomItem* parent = nullptr) {
    auto* item = new FixedSeparator(owner.get());
    (parent ? parent : root)->Add(item);
    return item;
  }
  TBarView* NewView(bool toolbar = true, ui::TWinControl* window = nullptr) {
    return new TBarView(owner.get(), nullptr, root, window, toolbar, false, true);
  }
  static std::vector<TBarCustomItem*> ItemsOf(const TBarView& view) {
    std::vector<TBarCustomItem*> items;
    for (TBarItemViewer* v : view.Viewers()) items.push_back(v->Item());
    return items;
  }
};

void ExpectRect(const RECT& r, int left, int top, int right, int bottom) {
  EXPECT_EQ(r.left, left);
  EXPECT_EQ(r.top, top);
  EXPECT_EQ(r.right, right);
  EXPECT_EQ(r.bottom, bottom);
}

TEST_F(Views, ChangeNoticesKeepOneViewerPerChild) {
  FixedItem* a = Add(20, 20);
  FixedItem* c = Add(20, 20);
  TBarView* view = NewView();
  EXPECT_EQ(ItemsOf(*view), (std::vector<TBarCustomItem*>{a, c}));

  auto* b = new FixedItem(owner.get(), 20, 20);
  root->Insert(1, b);
  EXPECT_EQ(ItemsOf(*view), (std::vector<TBarCustomItem*>{a, b, c}));
  EXPECT_EQ(view->Find(b), view->ViewerAt(1));
  // New viewers go to the front of the chevron priority list.
  EXPECT_EQ(view->PriorityList()->front(), view->ViewerAt(1));

  TBarItemViewer* keptA = view->ViewerAt(0);
  TBarItemViewer* oldB = view->ViewerAt(1);
  view->SetSelected(oldB, false);
  root->NotifyChange(ickRecreateViewers, 1, b);
  EXPECT_NE(view->ViewerAt(1), oldB);  // a new viewer in the old one's place
  EXPECT_EQ(view->ViewerAt(1)->Item(), b);
  EXPECT_EQ(view->ViewerAt(0), keptA);
  EXPECT_EQ(view->Selected(), nullptr);
  EXPECT_EQ(view->PriorityList()->front(), view->ViewerAt(1));

  root->Remove(b);
  EXPECT_EQ(ItemsOf(*view), (std::vector<TBarCustomItem*>{a, c}));
  EXPECT_EQ(view->PriorityList()->size(), 2u);
  try {
    view->Find(b);
    ADD_FAILURE() << "a removed item's viewer was found";
  } catch (const EBarItemError& e) {
    // The message as the system has always worded it; callers may match on it.
    EXPECT_STREQ(e.what(), "An item viewer associated the specified item could not be found");
  }
  ui::Free(b);

  // Hiding an item lays the view out again at once.
  EXPECT_TRUE(view->ViewerAt(1)->Show);
  c->SetVisible(false);
  EXPECT_TRUE(view->Validated());
  EXPECT_FALSE(view->ViewerAt(1)->Show);
}

TEST_F(Views, LinkedAndEmbeddedChildrenAreShownInline) {
  FixedItem* a = Add(20, 20);
  auto* group = new GroupItem(owner.get());
  root->Add(group);
  FixedItem* g1 = Add(10, 20, group);
  FixedItem* b = Add(20, 20);
  TBarView* view = NewView();
  ASSERT_EQ(ItemsOf(*view), (std::vector<TBarCustomItem*>{a, group, g1, b}));
  EXPECT_EQ(view->ViewerAt(2)->GroupLevel(), 1);

  // An item inserted into the group lands in its inline run, before the run's next sibling.
  auto* g0 = new FixedItem(owner.get(), 10, 20);
  group->Insert(0, g0);
  EXPECT_EQ(ItemsOf(*view), (std::vector<TBarCustomItem*>{a, group, g0, g1, b}));
  EXPECT_EQ(view->ViewerAt(2)->GroupLevel(), 1);

  // Deleting the group takes its inline viewers with it.
  root->Remove(group);
  EXPECT_EQ(ItemsOf(*view), (std::vector<TBarCustomItem*>{a, b}));
  root->Add(group);

  // The group itself takes no room; its children sit between its neighbours.
  POINT size = view->ContentSize();
  EXPECT_FALSE(view->Find(group)->Show);
  ExpectRect(view->Find(g0)->BoundsRect, 40, 0, 50, 20);
  EXPECT_EQ(size.x, 60);

  // A link shows the target's children instead.
  auto* other = new TBarItem(owner.get());
  FixedItem* x = Add(30, 20, other);
  root->SetLinkSubitems(other);
  EXPECT_EQ(view->CurParentItem(), other);
  EXPECT_EQ(ItemsOf(*view), (std::vector<TBarCustomItem*>{x}));
  root->SetLinkSubitems(nullptr);
  EXPECT_EQ(view->CurParentItem(), root);
  EXPECT_EQ(view->ViewerCount(), 5);
}

TEST_F(Views, LayoutPlacesFixedViewersWithWrappingAndLineBreaks) {
  FixedItem* a = Add(20, 20);
  FixedItem* b = Add(20, 20);
  FixedSeparator* s = AddSeparator();
  FixedItem* c = Add(20, 20);
  FixedItem* d = Add(20, 20);
  TBarView* view = NewView();
  view->SetWrapOffset(60);
  POINT size = view->ContentSize();
  ExpectRect(view->Find(a)->BoundsRect, 0, 0, 20, 20);
  ExpectRect(view->Find(b)->BoundsRect, 20, 0, 40, 20);
  ExpectRect(view->Find(s)->BoundsRect, 0, 20, 60, 26);
  EXPECT_TRUE(view->Find(s)->Flags & bvfLineBreak);
  ExpectRect(view->Find(c)->BoundsRect, 0, 26, 20, 46);
  ExpectRect(view->Find(d)->BoundsRect, 20, 26, 40, 46);
  EXPECT_EQ(size.x, 60);
  EXPECT_EQ(size.y, 46);

  // A layout that is not committed leaves the viewers alone.
  int lines = 0;
  POINT probe{}, base{};
  EXPECT_FALSE(view->Layout(false, bvoHorizontal, lines, probe, base, 0, 0, 0));
  EXPECT_EQ(lines, 1);
  EXPECT_EQ(probe.x, 86);
  EXPECT_TRUE(view->Find(s)->Flags & bvfLineBreak);

  // A right-aligned viewer goes to the end of its line.
  d->SetStyle(d->ItemStyle() | isRightAligned);
  view->SetWrapOffset(200);
  view->InvalidateLayout();
  size = {200, 0};
  view->ArrangeViewers(size);
  ExpectRect(view->Find(d)->BoundsRect, 180, 0, 200, 20);
  ExpectRect(view->Find(c)->BoundsRect, 46, 0, 66, 20);
}

TEST_F(Views, TheChevronFollowsThePriorityListAndKeepsTwoViewers) {
  FixedItem* items[4];
  for (auto*& item : items) item = Add(30, 20);
  auto* chevron = new TBarItem(owner.get());
  auto* view = new ChevronView(owner.get(), root, chevron);
  view->SetChevronSize(12);
  view->SetChevronOffset(100);
  ASSERT_EQ(view->ViewerCount(), 5);
  EXPECT_EQ(view->InternalViewersAtEnd(), 1);
  view->ContentSize();
  EXPECT_TRUE(view->Find(items[3])->OffEdge);
  EXPECT_TRUE(view->Find(items[2])->OffEdge);
  EXPECT_FALSE(view->Find(items[1])->OffEdge);
  EXPECT_TRUE(chevron->Enabled());
  ExpectRect(view->Find(chevron)->BoundsRect, 88, 0, 100, 20);
  EXPECT_EQ(view->HighestPriorityViewer(), view->Find(items[0]));

  // Running a hidden viewer's item promotes it: it is laid out again, in front.
  view->PromoteViewer(view->Find(items[3]));
  EXPECT_FALSE(view->Find(items[3])->OffEdge);
  EXPECT_TRUE(view->Find(items[1])->OffEdge);
  ExpectRect(view->Find(items[3])->BoundsRect, 30, 0, 60, 20);
  EXPECT_EQ(view->HighestPriorityViewer(), view->Find(items[3]));

  // A chevron popup's view shows exactly what the toolbar hid, and writes no width limit.
  auto* popup = new TBarView(owner.get(), view, root, nullptr, false, false, false);
  popup->SetChevronParentView(view);
  popup->InvalidateLayout();
  popup->ContentSize();
  EXPECT_TRUE(popup->Find(items[1])->Show);
  EXPECT_TRUE(popup->Find(items[2])->Show);
  EXPECT_FALSE(popup->Find(items[0])->Show);
  EXPECT_FALSE(popup->Find(items[3])->Show);
  // Running an item there promotes the toolbar's viewer of it.
  popup->PromoteViewer(popup->Find(items[2]));
  EXPECT_EQ(view->HighestPriorityViewer(), view->Find(items[2]));
  EXPECT_FALSE(view->Find(items[2])->OffEdge);

  // However little room there is, two viewers stay.
  view->SetChevronOffset(20);
  view->InvalidateLayout();
  view->ContentSize();
  int shown = 0;
  for (auto* item : items) shown += view->Find(item)->Show;
  EXPECT_EQ(shown, 2);
}

TEST_F(Views, NavigationWrapsAndSkipsWhatCannotBeSelected) {
  FixedItem* a = Add(20, 20);
  AddSeparator();
  FixedItem* b = Add(20, 20);
  FixedItem* hidden = Add(20, 20);
  FixedItem* c = Add(20, 20);
  b->SetEnabled(false);  // disabled items can still be reached
  hidden->SetVisible(false);
  TBarView* view = NewView(false);
  view->ValidatePositions();
  auto viewer = [&](TBarCustomItem* item) { return view->Find(item); };
  EXPECT_EQ(view->NextSelectable(nullptr, true), viewer(a));
  EXPECT_EQ(view->NextSelectable(viewer(a), true), viewer(b));
  EXPECT_EQ(view->NextSelectable(viewer(b), true), viewer(c));
  EXPECT_EQ(view->NextSelectable(viewer(c), true), viewer(a));  // round the end
  EXPECT_EQ(view->NextSelectable(viewer(a), false), viewer(c));
  EXPECT_EQ(view->NextSelectable(nullptr, false), viewer(c));

  a->SetStyle(a->ItemStyle() | isSkipFirstSelect);
  EXPECT_EQ(view->FirstSelectable(), viewer(b));

  WORD key = VK_TAB;
  view->SetSelected(viewer(c), false);
  view->ProcessNavigationKey(key);
  EXPECT_EQ(key, 0);
  EXPECT_EQ(view->Selected(), viewer(a));
  key = VK_END;
  view->ProcessNavigationKey(key);
  EXPECT_EQ(view->Selected(), viewer(c));
  key = VK_UP;  // a popup moves up and down
  view->ProcessNavigationKey(key);
  EXPECT_EQ(view->Selected(), viewer(b));
  key = 'Q';
  view->ProcessNavigationKey(key);
  EXPECT_EQ(key, 'Q');  // not a navigation key
}

TEST_F(Views, KeysRecordTheDoneActionOnTheRootView) {
  FixedItem* a = Add(20, 20);
  FixedItem* b = Add(20, 20);
  b->SetHelpContext(77);
  TBarView* view = NewView(false);
  view->SetSelected(view->Find(b), false);
  WORD key = VK_F1;
  view->ProcessNavigationKey(key);
  EXPECT_EQ(view->DoneAction().Kind, bdaHelp);
  EXPECT_EQ(view->DoneAction().Extra, 77);

  view->SetSelected(view->Find(a), false);
  key = VK_RETURN;
  view->ProcessNavigationKey(key);
  EXPECT_EQ(view->DoneAction().Kind, bdaClickItem);
  EXPECT_EQ(view->DoneAction().ClickItem, a);
  EXPECT_EQ(view->DoneAction().Extra, 1);  // chosen in a popup

  a->SetEnabled(false);
  key = VK_RETURN;
  view->ProcessNavigationKey(key);
  EXPECT_EQ(view->DoneAction().Kind, bdaEndTracking);

  // A child view writes to its root.
  auto* child = new TBarView(owner.get(), view, root, nullptr, false, false, false);
  view->DoneAction() = {};
  key = VK_ESCAPE;
  view->SetOpenViewer(view->Find(b), child, nullptr);
  child->ProcessNavigationKey(key);
  EXPECT_EQ(view->OpenViewerView(), nullptr);  // Escape closed the child
  key = VK_MENU;
  child->ProcessNavigationKey(key);
  EXPECT_EQ(view->DoneAction().Kind, bdaEndTracking);
  EXPECT_EQ(child->RootView(), view);
}

TEST_F(Views, AcceleratorsComeBeforeFirstLettersAndEnabledBeforeDisabled) {
  FixedItem* file = Add(20, 20);
  file->SetCaption("&File");
  FixedItem* edit = Add(20, 20);
  edit->SetCaption("&Edit");
  FixedItem* format = Add(20, 20);
  format->SetCaption("Fo&rmat");
  FixedItem* find = Add(20, 20);
  find->SetCaption("Find");
  FixedItem* fax = Add(20, 20);
  fax->SetCaption("Fax");
  FixedItem* space = Add(20, 20);
  space->SetCaption(" Spaced");
  TBarView* view = NewView(false);
  bool unique = false;
  EXPECT_EQ(view->FindAccelViewer(nullptr, 'f', unique, false), view->Find(file));
  EXPECT_TRUE(unique);
  EXPECT_EQ(view->FindAccelViewer(nullptr, 'R', unique, false), view->Find(format));
  // No accelerator "d": first letters of items without one, starting after the given viewer.
  EXPECT_EQ(view->FindAccelViewer(nullptr, 'd', unique, false), nullptr);
  file->SetCaption("File");
  EXPECT_EQ(view->FindAccelViewer(view->Find(file), 'f', unique, false), view->Find(find));
  EXPECT_FALSE(unique);  // Find, Fax and File all start with it
  EXPECT_EQ(view->FindAccelViewer(view->Find(file), 'f', unique, true), nullptr);
  EXPECT_EQ(view->FindAccelViewer(nullptr, ' ', unique, false), nullptr);
  // Disabled items are found only when no enabled one matches, and always count as unique.
  edit->SetEnabled(false);
  EXPECT_EQ(view->FindAccelViewer(nullptr, 'E', unique, false), view->Find(edit));
  EXPECT_TRUE(unique);
}

TEST_F(Views, ATallPopupScrollsByWholeViewers) {
  std::vector<FixedItem*> rows;
  for (int i = 0; i < 10; ++i) rows.push_back(Add(100, 20));
  TBarView* view = NewView(false);
  view->SetMaxHeight(181);
  POINT size = view->ContentSize();
  EXPECT_EQ(size.y, 181);
  EXPECT_TRUE(view->ShowDownArrow());
  EXPECT_TRUE(view->Find(rows[8])->Clipped);

  view->ScrollStep(false);  // nothing above: no scrolling
  EXPECT_EQ(view->ScrollOffset(), 0);
  view->ScrollStep(true);   // the first clipped row ends just above the arrow
  EXPECT_EQ(view->ScrollOffset(), 18);
  EXPECT_TRUE(view->Find(rows[8])->Show);
  EXPECT_EQ(view->Find(rows[8])->BoundsRect.bottom, 162);
  EXPECT_TRUE(view->ShowUpArrow());

  // Keyboard navigation reaches clipped rows and scrolls them into view.
  view->SetSelected(view->Find(rows[8]), false);
  view->SelectNext(true);
  EXPECT_EQ(view->Selected(), view->Find(rows[9]));
  EXPECT_EQ(view->ScrollOffset(), 19);
  EXPECT_TRUE(view->Find(rows[9])->Show);
  view->SetSelected(view->Find(rows[1]), false);
  view->ScrollSelectedIntoView();  // its top comes to the edge of the up arrow
  EXPECT_EQ(view->ScrollOffset(), 1);
  EXPECT_TRUE(view->Find(rows[1])->Show);
  EXPECT_EQ(view->Find(rows[1])->BoundsRect.top, 19);
}

// Opens child popups as bare views and remembers what it was asked, in place of the popup unit.
struct FakePopupHost : IBarPopupHost {
  ui::TComponent* owner = nullptr;
  std::vector<TBarCustomItem*> opened;
  std::vector<bool> selectFirst;
  TBarPopupWindowClass DefaultPopupWindowClass() override { return {}; }
  TBarPopupWindow* OpenPopupWindow(TBarCustomItem& item, const TBarPopupRequest& request) override {
    auto* parent = static_cast<TBarView*>(request.ParentView);
    auto* view = new TBarView(owner, parent, &item, nullptr, false, false, false);
    parent->SetOpenViewer(request.ParentViewer, view, nullptr);
    if (parent->IsToolbar()) parent->IncludeState(vsDropDownMode);
    opened.push_back(&item);
    selectFirst.push_back(request.SelectFirst);
    return nullptr;
  }
  TBarDoneAction TrackPopup(TBarCustomItem&, const TBarPopupRequest&, bool) override { return {}; }
};

TEST_F(Views, LeftInTheFirstSubmenuOfAMenuBarOpensThePreviousButtonsPopup) {
  FixedItem* file = Add(30, 20);
  FixedItem* edit = Add(30, 20);
  for (FixedItem* menu : {file, edit}) {
    menu->SetStyle(menu->ItemStyle() | isSubmenu);
    Add(80, 20, menu);
  }
  FakePopupHost host;
  host.owner = owner.get();
  SetBarPopupHost(&host);
  TBarView* bar = NewView(true);
  bar->SetStyle(vstMenuBar);
  bar->IncludeState(vsTracking);
  bar->SetSelected(bar->Find(edit), false);
  ASSERT_TRUE(bar->OpenChildPopup(true));
  TBarView* submenu = bar->OpenViewerView();
  ASSERT_NE(submenu, nullptr);
  EXPECT_EQ(submenu->ParentView(), bar);

  WORD key = VK_LEFT;
  submenu->ProcessNavigationKey(key);
  SetBarPopupHost(nullptr);
  EXPECT_EQ(key, 0);
  EXPECT_EQ(bar->Selected(), bar->Find(file));
  EXPECT_EQ(host.opened, (std::vector<TBarCustomItem*>{edit, file}));
  EXPECT_EQ(host.selectFirst, (std::vector<bool>{true, true}));  // chosen by keyboard
  EXPECT_EQ(bar->OpenViewer(), bar->Find(file));
  EXPECT_NE(bar->OpenViewerView(), submenu);

  // Left again wraps round to the last button.
  key = VK_LEFT;
  bar->OpenViewerView()->ProcessNavigationKey(key);
  EXPECT_EQ(bar->Selected(), bar->Find(edit));
}

// A plain window for views that need a handle: it erases in its colour and paints its view.
class ViewWindow : public ui::TCustomControl {
 public:
  explicit ViewWindow(ui::TComponent* owner) : TCustomControl(owner) {}
  TBarView* View = nullptr;

 protected:
  void Paint() override {
    if (View) View->DrawAll(Canvas());
  }
};

struct WindowViews : Views {
  ui::TForm* form = nullptr;
  ViewWindow* window = nullptr;
  WindowViews() {
    form = new ui::TForm(owner.get());
    form->SetBounds(0, 0, 300, 200);
    window = new ViewWindow(owner.get());
    window->SetParent(form);
    window->SetBounds(10, 10, 200, 120);
    window->SetColor(RGB(0, 128, 0));
    window->HandleNeeded();
  }
};

// Pumps messages until `done` or a time limit; false when the limit came first.
template <class F>
bool PumpUntil(F done, DWORD limitMs = 5000) {
  const DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > limitMs) return false;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    Sleep(5);
  }
  return true;
}

TEST_F(WindowViews, PopupTimersRunOnTheWindow) {
  Add(20, 20);
  TBarView* view = NewView(false, window);
  view->StartTimer(vtScrollDown, 10);
  EXPECT_EQ(view->RunningTimers(), 1u << vtScrollDown);
  MSG msg;
  bool arrived = PumpUntil([&] {
    return PeekMessageW(&msg, window->Handle(), WM_TIMER, WM_TIMER, PM_REMOVE) &&
           msg.wParam == kViewTimerIdBase + vtScrollDown;
  });
  EXPECT_TRUE(arrived);
  view->StopAllTimers();
  EXPECT_EQ(view->RunningTimers(), 0u);

  // A toolbar view runs no timers.
  TBarView* toolbar = NewView(true, window);
  toolbar->StartTimer(vtOpenSubmenu, 10);
  EXPECT_EQ(toolbar->RunningTimers(), 0u);
}

// A tracking loop that stands in for the popup unit's: it records how it was started and
// chooses the view's selected item.
struct FakeLoop : IBarModalLoop {
  static inline int runs = 0;
  static inline bool mousePress = false, execute = false, fromAcc = false;
  static inline bool sawTracking = false;
  void Loop(TBarView& root, bool press, bool exec, bool acc, bool) override {
    ++runs;
    mousePress = press;
    execute = exec;
    fromAcc = acc;
    sawTracking = root.State() & vsTracking;
    root.ExecuteSelected(false);
  }
  static std::unique_ptr<IBarModalLoop> Make(HWND) { return std::make_unique<FakeLoop>(); }
};

TEST_F(WindowViews, TheToolbarLoopRunsTheChosenItemAfterwards) {
  FixedItem* a = Add(20, 20);
  int clicks = 0;
  struct Counter {
    int* count;
    void Clicked(ui::TObject*) { ++*count; }
  } counter{&clicks};
  a->OnClick = ui::TNotifyEvent(&counter, &Counter::Clicked);
  TBarView* view = NewView(true, window);
  view->SetSelected(view->Find(a), true);
  SetBarModalLoopFactory(&FakeLoop::Make, nullptr);
  view->EnterToolbarLoop(tloMousePress | tloFromAccessibility);
  SetBarModalLoopFactory(nullptr, nullptr);
  EXPECT_EQ(FakeLoop::runs, 1);
  EXPECT_TRUE(FakeLoop::mousePress);
  EXPECT_FALSE(FakeLoop::execute);
  EXPECT_TRUE(FakeLoop::fromAcc);
  EXPECT_TRUE(FakeLoop::sawTracking);
  EXPECT_FALSE(view->State() & vsTracking);
  EXPECT_EQ(view->Selected(), nullptr);
  // The click was queued, not run inside the loop.
  EXPECT_EQ(clicks, 0);
  EXPECT_TRUE(PumpUntil([&] { return clicks == 1; }));
}

TEST_F(WindowViews, ViewersPaintInTheirBoundsWithTheViewsColours) {
  FixedItem* a = Add(40, 20);
  FixedItem* b = Add(40, 20);
  FixedItem* c = Add(40, 20);
  c->SetEnabled(false);
  TBarView* view = NewView(false, window);
  window->View = view;
  view->ValidatePositions();
  view->SetSelected(view->Find(b), false);

  TestPicture picture(60, 70);
  ui::TCanvas canvas;
  canvas.SetHandle(picture.Dc());
  view->DrawAll(canvas);
  canvas.SetHandle(nullptr);
  picture.Save("bar_view_menu_rows");

  const COLORREF highlight = FlatMenusOn() ? GetSysColor(COLOR_MENUHILIGHT) : GetSysColor(COLOR_HIGHLIGHT);
  // Unselected rows get a clear brush: only their corner pixel is drawn, in the menu text colour.
  EXPECT_EQ(picture.Pixel(0, 0), GetSysColor(COLOR_MENUTEXT));
  EXPECT_EQ(picture.Pixel(20, 10), RGB(255, 255, 255));
  // The selected row is filled with the highlight and its text is highlight text.
  EXPECT_EQ(picture.Pixel(20, 30), highlight);
  EXPECT_EQ(picture.Pixel(39, 39), highlight);
  EXPECT_EQ(picture.Pixel(0, 20), GetSysColor(COLOR_HIGHLIGHTTEXT));
  // Nothing outside the rows' bounds.
  EXPECT_EQ(picture.Pixel(45, 30), RGB(255, 255, 255));
  // A disabled row is grey; on a window that is neither button face nor grey, without shadow.
  EXPECT_EQ(picture.Pixel(0, 40), GetSysColor(COLOR_GRAYTEXT));
  auto* cv = static_cast<FixedViewer*>(view->Find(c));
  EXPECT_FALSE(cv->LastShadow);
  ExpectRect(cv->LastRect, 0, 0, 40, 20);  // origin-based
  EXPECT_TRUE(static_cast<FixedViewer*>(view->Find(b))->LastSelected);

  // Off-screen: the window's background goes under the viewer first.
  view->Find(a)->Flags |= bvfPaintOffscreen;
  picture.Fill(RGB(255, 255, 255));
  canvas.SetHandle(picture.Dc());
  view->DrawViewer(view->Find(a), canvas, false);
  canvas.SetHandle(nullptr);
  picture.Save("bar_view_offscreen_row");
  EXPECT_EQ(view->Find(a)->Flags & bvfPaintOffscreen, 0u);
  EXPECT_EQ(picture.Pixel(20, 10), RGB(0, 128, 0));
  EXPECT_EQ(picture.Pixel(0, 0), GetSysColor(COLOR_MENUTEXT));
  EXPECT_EQ(picture.Pixel(20, 30), RGB(255, 255, 255));  // the next row is not touched
}

TEST_F(WindowViews, InvalidatingAViewerMarksItsBoundsForAnOffscreenPaint) {
  FixedItem* a = Add(40, 20);
  FixedItem* b = Add(40, 20);
  TBarView* view = NewView(false, window);
  window->View = view;
  view->ValidatePositions();
  form->Show();
  MSG msg;
  PumpUntil([&] { return !PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE); }, 2000);
  ValidateRect(window->Handle(), nullptr);
  view->Find(b)->Flags &= ~bvfPaintOffscreen;
  view->InvalidateViewer(view->Find(b));
  RECT update{};
  EXPECT_TRUE(GetUpdateRect(window->Handle(), &update, FALSE));
  ExpectRect(update, 0, 20, 40, 40);
  EXPECT_TRUE(view->Find(b)->Flags & bvfPaintOffscreen);
  EXPECT_FALSE(view->Find(a)->Flags & bvfPaintOffscreen);
}

}  // namespace
}  // namespace movra::bars
