// Bounds, the child list notice, the frame before a window exists, re-parenting that keeps
// the window, and the showing notice.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "runtime/ui/controls.h"
#include "runtime/ui/forms.h"
#include "tests/runtime/ui/ui_test_support.h"

using namespace movra::ui;
using movra::ui::test::Pump;

namespace {

// A control that records the library's calls into it.
class TProbe : public TCustomControl {
 public:
  using TCustomControl::TCustomControl;
  std::vector<std::string> log;
  RECT margins{0, 0, 0, 0};
  bool useMargins = false;
  int ncCalcSizes = 0;
  std::vector<bool> showingSeen;         // ShowingState() at each notice
  std::vector<bool> windowVisibleSeen;   // the window's visibility when the notice came

  void SetBounds(int l, int t, int w, int h) override {
    log.push_back("bounds " + std::to_string(l) + "," + std::to_string(t) + "," + std::to_string(w) + "," +
                  std::to_string(h));
    TCustomControl::SetBounds(l, t, w, h);
  }
  RECT NonClientMargins() const override { return useMargins ? margins : TCustomControl::NonClientMargins(); }
  void WndProc(TMessage& m) override {
    if (m.Msg == CM_CONTROLLISTCHANGE) {
      auto* child = reinterpret_cast<TControl*>(m.WParam);
      log.push_back(std::string(m.LParam ? "inserted " : "removing ") + child->Name() +
                    (child->Parent() == this ? " inside" : " outside"));
    }
    if (m.Msg == CM_SHOWINGCHANGED) {
      showingSeen.push_back(ShowingState());
      windowVisibleSeen.push_back(HandleAllocated() && IsWindowVisible(Handle()));
    }
    if (m.Msg == WM_NCCALCSIZE) {
      ++ncCalcSizes;
      if (useMargins) {
        // The rectangle comes alone (creation) or first of three.
        RECT& r = m.WParam ? reinterpret_cast<NCCALCSIZE_PARAMS*>(m.LParam)->rgrc[0] : *reinterpret_cast<RECT*>(m.LParam);
        r.left += margins.left;
        r.top += margins.top;
        r.right -= margins.right;
        r.bottom -= margins.bottom;
        m.Result = 0;
        return;
      }
    }
    TCustomControl::WndProc(m);
  }
};

}  // namespace

TEST(Bounds, EveryPlacementGoesThroughTheOverride) {
  auto probe = MakeOwned<TProbe>(nullptr);
  probe->SetBounds(1, 2, 30, 40);
  probe->SetLeft(5);
  probe->SetWidth(60);
  ASSERT_EQ(probe->log.size(), 3u);
  EXPECT_EQ(probe->log[1], "bounds 5,2,30,40");
  EXPECT_EQ(probe->log[2], "bounds 5,2,60,40");
  EXPECT_EQ(probe->Width(), 60);
}

TEST(ChildList, InsertAndRemoveAreAnnounced) {
  auto parent = MakeOwned<TProbe>(nullptr);
  auto* child = new TProbe(parent.get());
  child->SetName("child");
  child->SetParent(parent.get());
  child->SetParent(nullptr);
  ASSERT_EQ(parent->log.size(), 2u);
  EXPECT_EQ(parent->log[0], "inserted child inside");
  EXPECT_EQ(parent->log[1], "removing child inside");  // told while it is still a child
  EXPECT_EQ(parent->ControlCount(), 0);
}

TEST(NonClient, ClientRectUsesTheFrameBeforeAndAfterTheWindowExists) {
  auto form = MakeOwned<TForm>(nullptr);
  form->SetBounds(100, 100, 300, 200);
  auto* probe = new TProbe(form.get());
  probe->margins = {2, 3, 4, 5};
  probe->useMargins = true;
  probe->SetBounds(0, 0, 100, 50);
  probe->SetParent(form.get());
  RECT before = probe->ClientRect();
  EXPECT_EQ(before.right, 94);
  EXPECT_EQ(before.bottom, 42);
  probe->HandleNeeded();
  RECT after = probe->ClientRect();
  EXPECT_EQ(after.right, 94);
  EXPECT_EQ(after.bottom, 42);
  RECT read = probe->NonClientMargins();
  probe->useMargins = false;
  read = probe->NonClientMargins();  // measured from the window now
  EXPECT_EQ(read.left, 2);
  EXPECT_EQ(read.top, 3);
  EXPECT_EQ(read.right, 4);
  EXPECT_EQ(read.bottom, 5);
}

TEST(Reparenting, TheWindowMovesWithItsFrameRecomputed) {
  auto form = MakeOwned<TForm>(nullptr);
  form->SetBounds(100, 100, 400, 300);
  auto* a = new TProbe(form.get());
  a->SetBounds(0, 0, 200, 300);
  a->SetParent(form.get());
  auto* b = new TProbe(form.get());
  b->SetBounds(200, 0, 200, 300);
  b->SetParent(form.get());
  auto* child = new TProbe(form.get());
  child->SetBounds(10, 10, 50, 20);
  child->SetParent(a);
  form->Show();
  Pump();
  HWND window = child->Handle();
  ASSERT_TRUE(IsWindowVisible(window));
  int calcs = child->ncCalcSizes;
  child->SetParent(b);
  EXPECT_EQ(child->Handle(), window);
  EXPECT_EQ(GetParent(window), b->Handle());
  EXPECT_GT(child->ncCalcSizes, calcs);
  EXPECT_TRUE(IsWindowVisible(window));
  EXPECT_TRUE(child->ShowingState());
  RECT r;
  GetWindowRect(window, &r);
  POINT origin{0, 0};
  ClientToScreen(b->Handle(), &origin);
  EXPECT_EQ(r.left - origin.x, 10);

  // Into a form that has no window yet: the form gets one and the child keeps its own.
  auto other = MakeOwned<TForm>(nullptr);
  child->SetParent(other.get());
  EXPECT_EQ(child->Handle(), window);
  EXPECT_EQ(GetParent(window), other->Handle());
  EXPECT_FALSE(child->ShowingState());  // the new form is hidden
  EXPECT_FALSE(IsWindowVisible(window));
  child->SetParent(a);
  EXPECT_TRUE(IsWindowVisible(window));
}

TEST(Showing, TheNoticeFollowsVisibilityOfTheControlAndItsParents) {
  auto form = MakeOwned<TForm>(nullptr);
  auto* panel = new TProbe(form.get());
  panel->SetBounds(0, 0, 200, 100);
  panel->SetParent(form.get());
  auto* probe = new TProbe(form.get());
  probe->SetBounds(5, 5, 50, 20);
  probe->SetParent(panel);
  probe->HandleNeeded();
  EXPECT_TRUE(probe->showingSeen.empty());  // a window on a hidden form is not showing
  EXPECT_FALSE(IsWindowVisible(probe->Handle()));
  form->Show();
  ASSERT_EQ(probe->showingSeen.size(), 1u);
  EXPECT_TRUE(probe->showingSeen[0]);
  EXPECT_FALSE(probe->windowVisibleSeen[0]);  // the notice comes before the window shows
  EXPECT_TRUE(IsWindowVisible(probe->Handle()));
  panel->Hide();
  ASSERT_EQ(probe->showingSeen.size(), 2u);
  EXPECT_FALSE(probe->showingSeen[1]);
  EXPECT_FALSE(probe->ShowingState());
  probe->Hide();  // hidden while its parent is hidden: no change of showing
  EXPECT_EQ(probe->showingSeen.size(), 2u);
  panel->Show();
  EXPECT_EQ(probe->showingSeen.size(), 2u);
  probe->Show();
  ASSERT_EQ(probe->showingSeen.size(), 3u);
  EXPECT_TRUE(IsWindowVisible(probe->Handle()));
  form->Hide();
  EXPECT_EQ(probe->showingSeen.size(), 4u);
  EXPECT_FALSE(probe->ShowingState());
}
