// What opening a popup costs: the time from the open call to the popup's first paint against
// showing a plain window of the same size, and whether a thousand open-close cycles leave
// handles or memory behind. Ratios and counts are printed; nothing here is timed against a limit.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <string>

#include "tests/support/support.h"
#include "toolbars/bar_item.h"
#include "toolbars/bar_popup.h"
#include "toolbars/bar_view.h"

namespace movra::bars {
namespace {

using movra::testing::DrainMessages;
using movra::testing::NowMs;

// A plain window that says when it first painted.
class PlainWindow : public ui::TCustomControl {
 public:
  explicit PlainWindow(ui::TComponent* owner) : TCustomControl(owner) { visible_ = false; }
  bool Painted = false;

 protected:
  void CreateParams(ui::TCreateParams& params) override {
    TCustomControl::CreateParams(params);
    params.Style = WS_POPUP;
    params.ExStyle = WS_EX_TOPMOST | WS_EX_TOOLWINDOW;
    params.Menu = nullptr;
  }
  void Paint() override { Painted = true; }
};

struct PopupCost : ::testing::Test {
  ui::TOwned<ui::TComponent> owner = ui::MakeOwned<ui::TComponent>(nullptr);
  TBarRootItem* root = new TBarRootItem(owner.get());
  PopupCost() {
    InstallBarPopups();
    for (int i = 0; i < 20; ++i) {
      auto* item = new TBarItem(owner.get());
      item->SetCaption("Command " + std::to_string(i));
      root->Add(item);
    }
  }
  // Opens the items as a popup and waits for its first paint; the window is left open.
  TBarPopupWindow* OpenAndPaint() {
    TBarPopupWindow* window = root->OpenSubmenuPopup(nullptr, nullptr, false, false, false, {200, 200}, 0);
    UpdateWindow(window->Handle());
    return window;
  }
};

TEST_F(PopupCost, OpeningAPopupToItsFirstPaintAgainstAPlainWindow) {
  TBarPopupWindow* sample = OpenAndPaint();
  EXPECT_FALSE(sample->View()->State() & vsFirstPaintPending) << "the popup painted";
  const int width = sample->Width(), height = sample->Height();
  ui::Free(sample);

  constexpr int kRounds = 200;
  double popup = 0, plain = 0;
  for (int i = 0; i < kRounds; ++i) {
    double start = NowMs();
    TBarPopupWindow* window = OpenAndPaint();
    popup += NowMs() - start;
    EXPECT_FALSE(window->View()->State() & vsFirstPaintPending);
    ui::Free(window);

    start = NowMs();
    auto* other = new PlainWindow(owner.get());
    other->SetBounds(200, 200, width, height);
    other->HandleNeeded();
    other->Show();
    UpdateWindow(other->Handle());
    plain += NowMs() - start;
    EXPECT_TRUE(other->Painted);
    ui::Free(other);
    DrainMessages();
  }
  std::printf("popup of 20 items, open to first paint: %.3f ms; plain window of %dx%d: %.3f ms; ratio %.2f\n",
              popup / kRounds, width, height, plain / kRounds, plain > 0 ? popup / plain : 0.0);
}

// Where the system counts nothing (Wine answers 0 for the handle and object counts), the
// windows of the thread and the framework's live items and viewers still tell a leak.
struct Usage : movra::testing::ProcessUsage {
  int Windows = 0, BarObjects = 0;
};
Usage Measure() {
  Usage u;
  static_cast<movra::testing::ProcessUsage&>(u) = movra::testing::MeasureProcess();
  EnumThreadWindows(
      GetCurrentThreadId(), [](HWND, LPARAM count) -> BOOL { return ++*reinterpret_cast<int*>(count), TRUE; },
      reinterpret_cast<LPARAM>(&u.Windows));
  u.BarObjects = BarLiveObjectCount();
  return u;
}

TEST_F(PopupCost, AThousandOpenCloseCyclesLeaveNothingBehind) {
  // Warm up first: fonts, classes and caches are made once.
  for (int i = 0; i < 20; ++i) {
    ui::Free(OpenAndPaint());
    DrainMessages();
  }
  const Usage before = Measure();
  for (int i = 0; i < 1000; ++i) {
    ui::Free(OpenAndPaint());
    DrainMessages();
  }
  const Usage after = Measure();
  std::printf("1000 cycles: handles %lu -> %lu, GDI objects %lu -> %lu, USER objects %lu -> %lu, private bytes %zu -> "
              "%zu, windows %d -> %d, items and viewers %d -> %d\n",
              before.Handles, after.Handles, before.Gdi, after.Gdi, before.User, after.User, before.Private,
              after.Private, before.Windows, after.Windows, before.BarObjects, after.BarObjects);
  EXPECT_GT(before.BarObjects, 0);
  EXPECT_EQ(after.Windows, before.Windows);
  EXPECT_EQ(after.BarObjects, before.BarObjects);
  // A leak of one object a cycle would show as a thousand; the margins allow the system's own
  // caches to settle.
  movra::testing::ExpectSettled(before, after, 20, 2 * 1024 * 1024);
}

}  // namespace
}  // namespace movra::bars
