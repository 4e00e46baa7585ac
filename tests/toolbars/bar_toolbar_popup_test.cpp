// Toolbars and menu bars with the real popups and tracking loop: the chevron's list of the items
// that did not fit, opened by a click, and a menu bar's menu opened by its Alt letter, each under a
// watchdog.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support.h"
#include "tests/runtime/ui/ui_test_support.h"
#include "tests/toolbars/bar_toolbar_test_support.h"
#include "tests/toolbars/dock_test_support.h"
#include "toolbars/bar_popup.h"
#include "toolbars/bar_toolbar.h"

using namespace movra::bars;
using namespace movra::bars::test;

using movra::testing::TestPicture;
using movra::ui::test::After;
using movra::ui::test::Pump;
using movra::ui::test::PumpUntil;

namespace {

TBarItem* AddItem(TBarCustomItem* parent, const std::string& caption) {
  auto* item = new TBarItem(nullptr);
  item->SetCaption(caption);
  parent->Add(item);
  return item;
}

bool Tracking(TBarCustomToolbar* bar) { return (bar->View()->State() & vsTracking) != 0; }

// The popup window open from the bar's view, or nullptr.
HWND OpenPopup(TBarCustomToolbar* bar) {
  movra::ui::TWinControl* window = bar->View()->OpenViewerWindow();
  return window && window->HandleAllocated() && IsWindowVisible(window->Handle()) ? window->Handle() : nullptr;
}

// The bar and its open popup painted together, each at its place on the screen.
void SaveBarWithPopup(TBarCustomToolbar* bar, HWND popup, const std::string& name) {
  RECT barRect = WindowRect(bar->Handle()), popupRect = WindowRect(popup), all;
  UnionRect(&all, &barRect, &popupRect);
  TestPicture picture(all.right - all.left, all.bottom - all.top, RGB(255, 0, 255));
  bar->PaintTo(picture.Dc(), barRect.left - all.left, barRect.top - all.top);
  movra::ui::FindControl(popup)->PaintTo(picture.Dc(), popupRect.left - all.left, popupRect.top - all.top);
  GdiFlush();
  picture.Save(name);
}

}  // namespace

TEST(ChevronPopup, TheChevronListsTheItemsThatDidNotFit) {
  InstallBarPopups();
  TDockForm f;
  auto* bar = new TBarToolbar(f.Form);
  for (int i = 0; i < 12; ++i) AddItem(bar->Items(), "Button " + std::to_string(i + 1));
  bar->SetParent(f.Top);
  f.Form->Show();
  ASSERT_TRUE(PumpUntil([&] { return f.Form->Active(); }, 3000));
  TBarToolbarView* view = bar->View();
  int hidden = 0;
  for (int i = 0; i < 12; ++i) hidden += view->ViewerAt(i)->OffEdge ? 1 : 0;
  ASSERT_GT(hidden, 0);
  ASSERT_TRUE(bar->ChevronItem()->Enabled());
  TBarItemViewer* chevron = view->Find(bar->ChevronItem());

  TWatchdog watchdog(15000);
  int shownInPopup = -1;
  bool fromChevron = false, sameItems = true;
  bool done = false;
  TMouseScript script;
  After(100, [&] {
    HWND popup = OpenPopup(bar);
    // The popup opens on the press; until the release has reached the loop it takes no key
    // but F1, so the Escapes wait for it.
    if (!popup || !script.Done() || GetKeyState(VK_LBUTTON) < 0) return true;
    auto* popupView = dynamic_cast<TBarView*>(view->OpenViewerView());
    fromChevron = view->OpenViewer() == chevron && popupView && popupView->ChevronParentView() == view;
    if (popupView) {
      shownInPopup = 0;
      for (int i = 0; i < popupView->ViewerCount(); ++i) {
        TBarItemViewer* v = popupView->ViewerAt(i);
        if (!v->Show) continue;
        ++shownInPopup;
        // The popup shows the very items the toolbar hid.
        if (!view->Find(v->Item())->OffEdge) sameItems = false;
      }
    }
    SaveBarWithPopup(bar, popup, "bar_toolbar_chevron_popup");
    PostMessageW(bar->Handle(), WM_KEYDOWN, VK_ESCAPE, 0);
    PostMessageW(bar->Handle(), WM_KEYDOWN, VK_ESCAPE, 0);
    done = true;
    return false;
  });
  script.MoveTo(bar->ClientToScreen(movra::bars::test::Centre(chevron->BoundsRect)));
  script.Down();
  script.Up();
  script.Start();
  ASSERT_TRUE(PumpUntil([&] { return done && script.Done() && !Tracking(bar); }, 10000));
  EXPECT_FALSE(watchdog.Fired());
  EXPECT_TRUE(fromChevron);
  EXPECT_EQ(shownInPopup, hidden);
  EXPECT_TRUE(sameItems);
  EXPECT_EQ(OpenPopup(bar), nullptr);
}

namespace {

// An item that opens a popup of its children, as the entries of a menu bar do.
class TMenuEntry : public TBarItem {
 public:
  explicit TMenuEntry(movra::ui::TComponent* owner) : TBarItem(owner) { SetItemStyle(ItemStyle() | isSubmenu); }
};

TMenuEntry* AddMenu(TBarCustomItem* parent, const std::string& caption) {
  auto* item = new TMenuEntry(nullptr);
  item->SetCaption(caption);
  parent->Add(item);
  return item;
}

}  // namespace

TEST(MenuBarPopup, TheMenuKeyOpensTheNamedMenuAndEscapeClosesIt) {
  InstallBarPopups();
  TDockForm f;
  auto* bar = new TBarToolbar(f.Form);
  TMenuEntry* file = AddMenu(bar->Items(), "&File");
  std::vector<TBarItem*> fileItems{AddItem(file, "&Open"), AddItem(file, "&Save"), AddItem(file, "E&xit")};
  TMenuEntry* edit = AddMenu(bar->Items(), "&Edit");
  AddItem(edit, "&Copy");
  bar->SetMenuBar(true);
  bar->SetParent(f.Top);
  f.Form->Show();
  ASSERT_TRUE(PumpUntil([&] { return f.Form->Active(); }, 3000));
  TBarToolbarView* view = bar->View();
  TBarItemViewer* fileViewer = view->Find(file);
  ASSERT_NE(fileViewer, nullptr);

  TWatchdog watchdog(15000);
  int stage = 0;
  bool openedFile = false, popupVisible = false, firstSelected = false;
  std::vector<TBarCustomItem*> shown;
  bool trackingAfterFirst = false, fileStillSelected = false, captureKept = false, popupGone = false;
  After(50, [&] {
    if (stage == 0) {
      HWND popup = OpenPopup(bar);
      if (!popup) return true;
      openedFile = view->OpenViewer() == fileViewer;
      popupVisible = IsWindowVisible(popup) != 0;
      if (auto* popupView = dynamic_cast<TBarView*>(view->OpenViewerView())) {
        for (int i = 0; i < popupView->ViewerCount(); ++i)
          if (popupView->ViewerAt(i)->Show) shown.push_back(popupView->ViewerAt(i)->Item());
        // Opened from the keyboard, the menu starts on its first entry.
        firstSelected = popupView->Selected() && popupView->Selected()->Item() == fileItems[0];
      }
      SaveBarWithPopup(bar, popup, "bar_toolbar_menubar_file_popup");
      PostMessageW(bar->Handle(), WM_KEYDOWN, VK_ESCAPE, 0);
      stage = 1;
      return true;
    }
    // The first Escape closes the drop-down only: the bar goes on tracking, File still chosen.
    if (view->OpenViewerWindow()) return true;
    popupGone = true;
    trackingAfterFirst = Tracking(bar);
    fileStillSelected = view->Selected() == fileViewer;
    captureKept = GetCapture() == bar->Handle();
    PostMessageW(bar->Handle(), WM_KEYDOWN, VK_ESCAPE, 0);
    stage = 2;
    return false;
  });
  // Alt+F as the system delivers it to the form.
  PostMessageW(f.Form->Handle(), WM_SYSCOMMAND, SC_KEYMENU, 'f');
  ASSERT_TRUE(PumpUntil([&] { return stage == 2 && !Tracking(bar); }, 10000));
  Pump();
  EXPECT_FALSE(watchdog.Fired());
  EXPECT_TRUE(openedFile);
  EXPECT_TRUE(popupVisible);
  EXPECT_EQ(shown, (std::vector<TBarCustomItem*>{fileItems[0], fileItems[1], fileItems[2]}));
  EXPECT_TRUE(firstSelected);
  EXPECT_TRUE(popupGone);
  EXPECT_TRUE(trackingAfterFirst);
  EXPECT_TRUE(fileStillSelected);
  EXPECT_TRUE(captureKept);
  // The second Escape ends tracking: no selection, no capture, nothing open.
  EXPECT_EQ(view->Selected(), nullptr);
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(OpenPopup(bar), nullptr);
}

TEST(MenuBarPopup, AMenuBarFreedByAMessageItsTrackingDispatchesEndsTheTrackingCleanly) {
  InstallBarPopups();
  TDockForm f;
  auto* bar = new TBarToolbar(f.Form);
  TMenuEntry* file = AddMenu(bar->Items(), "&File");
  AddItem(file, "&Open");
  AddItem(file, "&Save");
  bar->SetMenuBar(true);
  bar->SetParent(f.Top);
  f.Form->Show();
  ASSERT_TRUE(PumpUntil([&] { return f.Form->Active(); }, 3000));

  TWatchdog watchdog(15000);
  bool freed = false;
  HWND popup = nullptr;
  // A timer message, dispatched by the tracking loop, frees the bar with its open menu.
  After(50, [&] {
    popup = OpenPopup(bar);
    if (!popup) return true;
    movra::ui::Free(bar);
    freed = true;
    return false;
  });
  PostMessageW(f.Form->Handle(), WM_SYSCOMMAND, SC_KEYMENU, 'f');
  ASSERT_TRUE(PumpUntil([&] { return freed; }, 10000));
  Pump();
  EXPECT_FALSE(watchdog.Fired());
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_FALSE(IsWindow(popup));
  // The form goes on working: a new menu bar tracks and ends as ever.
  auto* again = new TBarToolbar(f.Form);
  TMenuEntry* edit = AddMenu(again->Items(), "&Edit");
  AddItem(edit, "&Copy");
  again->SetMenuBar(true);
  again->SetParent(f.Top);
  bool opened = false;
  After(50, [&] {
    if (!OpenPopup(again)) return true;
    opened = true;
    PostMessageW(again->Handle(), WM_KEYDOWN, VK_ESCAPE, 0);
    PostMessageW(again->Handle(), WM_KEYDOWN, VK_ESCAPE, 0);
    return false;
  });
  PostMessageW(f.Form->Handle(), WM_SYSCOMMAND, SC_KEYMENU, 'e');
  ASSERT_TRUE(PumpUntil([&] { return opened && !Tracking(again); }, 10000));
  EXPECT_FALSE(watchdog.Fired());
  EXPECT_EQ(GetCapture(), nullptr);
}
