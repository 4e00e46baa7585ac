// The tray icon and the shared message timer, with the shell calls recorded instead of made.
#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "runtime/ui/forms.h"
#include "runtime/ui/menus.h"
#include "runtime/ui/notify_tray_icon.h"
#include "runtime/ui/simple_timer.h"
#include "tests/runtime/ui/ui_test_support.h"

using namespace movra::ui;
using movra::ui::test::Pump;
using movra::ui::test::PumpUntil;

namespace {

struct ShellCall {
  DWORD message;
  UINT id;
  HWND window;
  UINT callback;
  bool hasIcon;
  std::wstring tip;
};
std::vector<ShellCall> shellCalls;

BOOL RecordShellCall(DWORD message, NOTIFYICONDATAW* data) {
  shellCalls.push_back({message, data->uID, data->hWnd, data->uCallbackMessage, data->hIcon != nullptr, data->szTip});
  return TRUE;
}

int CountCalls(DWORD message) {
  int n = 0;
  for (const auto& c : shellCalls) n += c.message == message;
  return n;
}

// Icons of three colours for the image list.
void FillImages(TImageList& list, int count) {
  for (int i = 0; i < count; ++i) {
    TBitmap image(16, 16);
    image.Canvas().Brush().SetColor(i == 0 ? clRed : i == 1 ? clGreen : clBlue);
    image.Canvas().FillRect({0, 0, 16, 16});
    list.AddMasked(image, clWhite);
  }
}

struct Events : TObject {
  int clicks = 0, doubleClicks = 0, downs = 0, ups = 0, restores = 0;
  std::vector<TMouseButton> buttons;
  std::vector<int> cycles;
  void Click(TObject*) { ++clicks; }
  void DblClick(TObject*) { ++doubleClicks; }
  void Down(TObject*, TMouseButton b, TShiftState, int, int) { ++downs, buttons.push_back(b); }
  void Up(TObject*, TMouseButton b, TShiftState, int, int) { ++ups, buttons.push_back(b); }
  void Cycle(TObject*, int next) { cycles.push_back(next); }
  void Restore(TObject*) { ++restores; }
};

class TrayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    shellCalls.clear();
    SetShellNotifyIconFunction(RecordShellCall);
    form = MakeOwned<TForm>(nullptr);
    form->SetCaption("Tray test");
    Application().SetMainForm(form.get());
    tray = new TNotifyTrayIcon(form.get());
  }
  void TearDown() override {
    form.reset();
    SetShellNotifyIconFunction(nullptr);
  }
  // What the shell would post for a mouse action on the icon.
  void Notify(UINT mouseMessage) {
    PostMessageW(TNotifyTrayIcon::HandlerWindow(), TrayCallbackMessage, tray->Id(), mouseMessage);
    Pump();
  }

  TOwned<TForm> form;
  TNotifyTrayIcon* tray = nullptr;
  Events events;
};

}  // namespace

TEST_F(TrayTest, RecordIdentifiesTheIconBySmallNumber) {
  tray->SetHint("Movra File Defragmentor");
  tray->SetIconVisible(true);
  ASSERT_EQ(CountCalls(NIM_ADD), 1);
  const ShellCall& add = shellCalls.back();
  EXPECT_EQ(add.id, tray->Id());
  EXPECT_LT(add.id, 0x10000u);
  EXPECT_EQ(add.window, TNotifyTrayIcon::HandlerWindow());
  EXPECT_EQ(add.callback, 2048u);
  EXPECT_EQ(add.tip, L"Movra File Defragmentor");
  tray->SetShowHint(false);
  EXPECT_EQ(shellCalls.back().message, static_cast<DWORD>(NIM_MODIFY));
  EXPECT_EQ(shellCalls.back().tip, L"");
  tray->SetIconVisible(false);
  EXPECT_EQ(shellCalls.back().message, static_cast<DWORD>(NIM_DELETE));
}

TEST_F(TrayTest, LongHintIsCutTo127Characters) {
  tray->SetHint(std::string(200, 'x'));
  EXPECT_EQ(shellCalls.back().tip.size(), 127u);
}

TEST_F(TrayTest, ClickWithoutDoubleClickHandlerFiresOnRelease) {
  tray->OnClick = TNotifyEvent(&events, &Events::Click);
  Notify(WM_LBUTTONDOWN);
  EXPECT_EQ(events.clicks, 0);
  Notify(WM_LBUTTONUP);
  EXPECT_EQ(events.clicks, 1);
}

TEST_F(TrayTest, DoubleClickFiresOnlyTheDoubleClick) {
  tray->OnClick = TNotifyEvent(&events, &Events::Click);
  tray->OnDblClick = TNotifyEvent(&events, &Events::DblClick);
  Notify(WM_LBUTTONDOWN);
  Notify(WM_LBUTTONUP);
  Notify(WM_LBUTTONDBLCLK);
  Notify(WM_LBUTTONUP);
  EXPECT_EQ(events.doubleClicks, 1);
  // Wait out the double-click time: the pending single click must not come.
  ASSERT_TRUE(PumpUntil([] { return TSimpleTimer::RunningCount() == 0; }, 5000));
  EXPECT_EQ(events.clicks, 0);
}

TEST_F(TrayTest, SingleClickWithDoubleClickHandlerWaitsForTheDoubleClickTime) {
  tray->OnClick = TNotifyEvent(&events, &Events::Click);
  tray->OnDblClick = TNotifyEvent(&events, &Events::DblClick);
  Notify(WM_LBUTTONDOWN);
  Notify(WM_LBUTTONUP);
  EXPECT_EQ(events.clicks, 0);
  EXPECT_TRUE(PumpUntil([&] { return events.clicks == 1; }, 5000));
  EXPECT_EQ(events.doubleClicks, 0);
}

TEST_F(TrayTest, ButtonEventsReportTheirButtons) {
  tray->OnMouseDown = TMouseEvent(&events, &Events::Down);
  tray->OnMouseUp = TMouseEvent(&events, &Events::Up);
  Notify(WM_RBUTTONDOWN);
  Notify(WM_RBUTTONUP);
  Notify(WM_MBUTTONDOWN);
  Notify(WM_MBUTTONUP);
  // Behaviour 0: the context-menu notification is not a button release.
  Notify(WM_CONTEXTMENU);
  EXPECT_EQ(events.downs, 2);
  EXPECT_EQ(events.ups, 2);
  EXPECT_EQ(events.buttons, (std::vector<TMouseButton>{TMouseButton::mbRight, TMouseButton::mbRight,
                                                       TMouseButton::mbMiddle, TMouseButton::mbMiddle}));
}

TEST_F(TrayTest, DisabledIconIgnoresTheMouse) {
  tray->OnClick = TNotifyEvent(&events, &Events::Click);
  tray->Enabled = false;
  Notify(WM_LBUTTONDOWN);
  Notify(WM_LBUTTONUP);
  EXPECT_EQ(events.clicks, 0);
}

TEST_F(TrayTest, NotificationForAFreedIconIsIgnored) {
  UINT staleId = tray->Id();
  auto* second = new TNotifyTrayIcon(form.get());
  Free(tray);
  tray = second;
  PostMessageW(TNotifyTrayIcon::HandlerWindow(), TrayCallbackMessage, staleId, WM_LBUTTONUP);
  Pump();
  EXPECT_NE(second->Id(), staleId);
}

TEST_F(TrayTest, DoubleClickRunsTheMenusDefaultItem) {
  auto* menu = new TPopupMenu(form.get());
  auto* restore = new TMenuItem(form.get());
  restore->SetCaption("Restore");
  restore->SetDefault(true);
  restore->OnClick = TNotifyEvent(&events, &Events::Restore);
  auto* other = new TMenuItem(form.get());
  other->SetCaption("Exit");
  menu->Items()->Add(other);
  menu->Items()->Add(restore);
  tray->SetPopupMenu(menu);
  Notify(WM_LBUTTONDBLCLK);
  EXPECT_EQ(events.restores, 1);
  // With LeftPopup on the double click leaves the menu alone.
  tray->LeftPopup = true;
  Notify(WM_LBUTTONDBLCLK);
  EXPECT_EQ(events.restores, 1);
  // Freeing the menu clears the reference.
  Free(menu);
  EXPECT_EQ(tray->PopupMenu(), nullptr);
}

TEST_F(TrayTest, MinimisingHidesTheWindowAndAddsTheIcon) {
  tray->MinimizeToTray = true;
  form->Show();
  ASSERT_TRUE(IsWindowVisible(form->Handle()));
  Application().Minimize();
  EXPECT_TRUE(PumpUntil([&] { return !IsWindowVisible(form->Handle()); }));
  EXPECT_TRUE(tray->IconVisible());
  EXPECT_EQ(CountCalls(NIM_ADD), 1);
  // Back from the tray.
  tray->ShowMainWindow();
  tray->SetIconVisible(false);
  EXPECT_TRUE(IsWindowVisible(form->Handle()));
  EXPECT_FALSE(IsIconic(form->Handle()));
}

TEST_F(TrayTest, MinimiseCommandWithHandlerGoesToTheTray) {
  struct Seen : TObject {
    int n = 0;
    void On(TObject*) { ++n; }
  } seen;
  tray->MinimizeToTray = true;
  tray->OnMinimizeToTray = TNotifyEvent(&seen, &Seen::On);
  form->Show();
  SendMessageW(form->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
  EXPECT_EQ(seen.n, 1);
  EXPECT_FALSE(IsWindowVisible(form->Handle()));
  EXPECT_FALSE(IsIconic(form->Handle()));  // the command itself was not carried out
  EXPECT_TRUE(tray->IconVisible());
}

TEST_F(TrayTest, TaskbarCreatedBroadcastReaddsAVisibleIcon) {
  ASSERT_NE(TaskbarCreatedMessage, 0u);
  tray->SetIconVisible(true);
  ASSERT_EQ(CountCalls(NIM_ADD), 1);
  PostMessageW(HWND_BROADCAST, TaskbarCreatedMessage, 0, 0);
  EXPECT_TRUE(PumpUntil([] { return CountCalls(NIM_ADD) == 2; }));
  tray->SetIconVisible(false);
  // A hidden icon stays hidden.
  SendMessageW(Application().Handle(), TaskbarCreatedMessage, 0, 0);
  EXPECT_EQ(CountCalls(NIM_ADD), 2);
}

TEST_F(TrayTest, IconIndexClampsToTheList) {
  TImageList images(form.get());
  FillImages(images, 3);
  tray->SetIconList(&images);
  EXPECT_EQ(tray->IconIndex(), 0);
  EXPECT_FALSE(tray->Icon().Empty());
  tray->SetIconIndex(9);
  EXPECT_EQ(tray->IconIndex(), 2);
  tray->SetIconIndex(-4);
  EXPECT_EQ(tray->IconIndex(), 0);
  tray->SetIconList(nullptr);
  tray->SetIconIndex(2);
  EXPECT_EQ(tray->IconIndex(), 0);
}

TEST_F(TrayTest, CyclingStepsThroughTheListAndStopsOnTheOwnImage) {
  auto* images = new TImageList(form.get());
  FillImages(*images, 3);
  tray->SetIconList(images);
  tray->SetIconIndex(1);
  tray->SetIconVisible(true);
  tray->OnCycle = TCycleEvent(&events, &Events::Cycle);
  tray->SetCycleInterval(10);
  tray->SetCycleIcons(true);
  ASSERT_TRUE(PumpUntil([&] { return events.cycles.size() >= 4; }));
  tray->SetCycleIcons(false);
  EXPECT_EQ(std::vector<int>(events.cycles.begin(), events.cycles.begin() + 4), (std::vector<int>{1, 2, 0, 1}));
  // The icon shows the image of its own index again.
  TIcon own;
  images->GetIcon(1, own);
  ICONINFO a{}, b{};
  ASSERT_TRUE(GetIconInfo(tray->Icon().Handle(), &a));
  ASSERT_TRUE(GetIconInfo(own.Handle(), &b));
  COLORREF shown = 0, expected = 0;
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, a.hbmColor);
  shown = GetPixel(dc, 8, 8);
  SelectObject(dc, b.hbmColor);
  expected = GetPixel(dc, 8, 8);
  SelectObject(dc, old);
  DeleteDC(dc);
  for (HBITMAP h : {a.hbmColor, a.hbmMask, b.hbmColor, b.hbmMask}) DeleteObject(h);
  EXPECT_EQ(shown, expected);
  // Removing the image list from the form clears the reference.
  Free(images);
  EXPECT_EQ(tray->IconList(), nullptr);
}

namespace {

// The shared timer window of this process (other test processes have their own).
HWND OwnTimerWindow() {
  for (HWND w = nullptr; (w = FindWindowExW(HWND_MESSAGE, w, L"TSimpleTimerHandler", nullptr));) {
    DWORD process = 0;
    GetWindowThreadProcessId(w, &process);
    if (process == GetCurrentProcessId()) return w;
  }
  return nullptr;
}

struct TimerCounter : TObject {
  int ticks = 0;
  void Tick(TSimpleTimer*) { ++ticks; }
};

}  // namespace

TEST(SimpleTimer, AutoDisableStopsBeforeTheCall) {
  TimerCounter counter;
  TSimpleTimer timer(5, TSimpleTimerEvent(&counter, &TimerCounter::Tick));
  timer.AutoDisable = true;
  timer.SetEnabled(true);
  ASSERT_TRUE(PumpUntil([&] { return counter.ticks == 1; }));
  EXPECT_FALSE(timer.Enabled());
  EXPECT_EQ(TSimpleTimer::RunningCount(), 0);
}

TEST(SimpleTimer, IntervalZeroStopsButKeepsItEnabled) {
  TimerCounter counter;
  TSimpleTimer timer(5, TSimpleTimerEvent(&counter, &TimerCounter::Tick));
  timer.SetEnabled(true);
  EXPECT_EQ(TSimpleTimer::RunningCount(), 1);
  timer.SetInterval(0);
  EXPECT_TRUE(timer.Enabled());
  EXPECT_EQ(TSimpleTimer::RunningCount(), 0);
  timer.SetInterval(5);
  EXPECT_EQ(TSimpleTimer::RunningCount(), 1);
  ASSERT_TRUE(PumpUntil([&] { return counter.ticks >= 2; }));
  // A disabled timer with interval 0 does not start.
  TSimpleTimer idle;
  idle.SetInterval(0);
  idle.SetEnabled(true);
  EXPECT_FALSE(idle.Enabled());
}

TEST(SimpleTimer, MessageForADestroyedTimerIsIgnored) {
  TimerCounter counter;
  TSimpleTimer keeper;  // keeps the shared window alive
  UINT_PTR staleId;
  HWND window = nullptr;
  {
    TSimpleTimer gone(1000, TSimpleTimerEvent(&counter, &TimerCounter::Tick));
    staleId = gone.Id();
    EXPECT_EQ(TSimpleTimer::RegisteredCount(), 2);
  }
  window = OwnTimerWindow();
  ASSERT_TRUE(window);
  PostMessageW(window, WM_TIMER, staleId, 0);
  Pump();
  EXPECT_EQ(counter.ticks, 0);
  EXPECT_EQ(TSimpleTimer::RegisteredCount(), 1);
}

TEST(SimpleTimer, HandlerWindowGoesWithTheLastTimer) {
  { TSimpleTimer only; }
  EXPECT_EQ(TSimpleTimer::RegisteredCount(), 0);
  EXPECT_EQ(OwnTimerWindow(), nullptr);
}
