// Toolbars with the real popups and tracking loop: the chevron's list of the items that did not
// fit, opened by a click under a watchdog.
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
  After(100, [&] {
    HWND popup = OpenPopup(bar);
    if (!popup) return true;
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
  TMouseScript script;
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
