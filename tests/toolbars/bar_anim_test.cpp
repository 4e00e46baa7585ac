#include "toolbars/bar_anim.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <thread>
#include <vector>

#include "support.h"

namespace movra::bars {
namespace {

TEST(BarAnimArithmetic, ClockLevelsPausesAndOffsets) {
  const TAnimationClock counter = ChooseAnimationClock(true, 10'000'000);
  EXPECT_FALSE(counter.TickCount);
  EXPECT_EQ(10'000, counter.CountsPerMs);
  EXPECT_FALSE(ChooseAnimationClock(true, 1000).TickCount);
  // A counter slower than 1 kHz would give 0 counts per millisecond.
  const TAnimationClock slow = ChooseAnimationClock(true, 999);
  EXPECT_TRUE(slow.TickCount);
  EXPECT_EQ(1, slow.CountsPerMs);
  EXPECT_TRUE(ChooseAnimationClock(false, 10'000'000).TickCount);
  EXPECT_TRUE(ChooseAnimationClock(true, 0).TickCount);

  EXPECT_EQ(0, AnimationLevel(0, 150));
  EXPECT_EQ(128, AnimationLevel(75, 150));
  EXPECT_EQ(255, AnimationLevel(150, 150));
  EXPECT_EQ(17, AnimationLevel(10, 150));
  EXPECT_LT(AnimationLevel(10, 0), 0);
  EXPECT_LT(AnimationLevel(0, 0), 0);
  EXPECT_LT(AnimationLevel(int64_t{1} << 40, 150), 0);

  EXPECT_EQ(9, AnimationPause(16, 16, 150));
  EXPECT_EQ(5, AnimationPause(32, 40, 150));
  EXPECT_EQ(1, AnimationPause(32, 47, 150));
  EXPECT_EQ(1, AnimationPause(0, 0, 0));

  auto offset = [](int level, unsigned directions) {
    const POINT p = SlideOffset(level, 100, 50, directions);
    return std::make_pair(static_cast<int>(p.x), static_cast<int>(p.y));
  };
  EXPECT_EQ(std::make_pair(0, -50), offset(0, padDown));
  EXPECT_EQ(std::make_pair(0, 50), offset(0, padUp));
  EXPECT_EQ(std::make_pair(-100, 0), offset(0, padRight));
  EXPECT_EQ(std::make_pair(100, 0), offset(0, padLeft));
  EXPECT_EQ(std::make_pair(0, -25), offset(128, padDown));
  EXPECT_EQ(std::make_pair(50, 25), offset(128, padLeft | padUp));
  EXPECT_EQ(std::make_pair(-50, -25), offset(128, padDown | padUp | padRight | padLeft));
  EXPECT_EQ(std::make_pair(0, 0), offset(255, padDown | padRight));
  EXPECT_EQ(std::make_pair(0, 0), offset(64, 0));
}

// Ends the test process when a threaded test hangs, so that it fails instead of stalling.
class Watchdog {
 public:
  explicit Watchdog(int limitMs) : done_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    thread_ = std::thread([this, limitMs] {
      if (WaitForSingleObject(done_, static_cast<DWORD>(limitMs)) == WAIT_TIMEOUT) {
        std::fprintf(stderr, "watchdog: the animation test hung\n");
        std::fflush(stderr);
        TerminateProcess(GetCurrentProcess(), 3);
      }
    });
  }
  ~Watchdog() {
    SetEvent(done_);
    thread_.join();
    CloseHandle(done_);
  }

 private:
  HANDLE done_;
  std::thread thread_;
};

constexpr COLORREF kPopupColour = RGB(30, 160, 90);

// What the popup window heard.
struct TPopupLog {
  int steps = 0;
  int done = 0;
  std::vector<LPARAM> serials;
  bool forward = true;  // answer steps as a popup does
};
TPopupLog g_log;

LRESULT CALLBACK PopupProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_POPUP_ANIM_STEP:
      ++g_log.steps;
      g_log.serials.push_back(lParam);
      if (g_log.forward) PopupAnimationStep(lParam);
      return 0;
    case WM_POPUP_ANIM_DONE:
      ++g_log.done;
      return 0;
    case WM_ERASEBKGND:
    case WM_PRINTCLIENT: {
      RECT r;
      GetClientRect(window, &r);
      HBRUSH brush = CreateSolidBrush(kPopupColour);
      FillRect(reinterpret_cast<HDC>(wParam), &r, brush);
      DeleteObject(brush);
      return 1;
    }
  }
  return DefWindowProcW(window, msg, wParam, lParam);
}

HWND MakePopup(int x, int y) {
  static const ATOM atom = [] {
    WNDCLASSW wc{};
    wc.lpfnWndProc = PopupProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"MovraAnimTestPopup";
    return RegisterClassW(&wc);
  }();
  (void)atom;
  return CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, L"MovraAnimTestPopup", L"",
                         WS_POPUP | WS_BORDER, x, y, 120, 80, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

// Handles messages until `done` holds or `limitMs` pass.
template <class Done>
bool PumpUntil(Done done, int limitMs) {
  const DWORD start = GetTickCount();
  MSG msg;
  while (!done()) {
    if (static_cast<int>(GetTickCount() - start) > limitMs) return false;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  }
  return true;
}

// The type and box of the window's region (ERROR when it has none).
int RegionOf(HWND window, RECT* box) {
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  int kind = GetWindowRgn(window, region);
  if (kind != ERROR && box) GetRgnBox(region, box);
  DeleteObject(region);
  return kind;
}

void ResetLog() { g_log = TPopupLog{}; }

TEST(BarAnimWindow, SlideShowsStepsAndRestoresTheWindow) {
  Watchdog watchdog(30000);
  ResetLog();
  SetCursorPos(5, 5);
  HWND popup = MakePopup(400, 300);
  const int before = PopupAnimationSerial();
  StartPopupAnimation(popup, 2000, false, padDown);
  ASSERT_TRUE(PopupAnimationRunning());
  EXPECT_EQ(before + 1, PopupAnimationSerial());
  EXPECT_TRUE(IsWindowVisible(popup));
  EXPECT_EQ(0, GetWindowLongPtrW(popup, GWL_EXSTYLE) & WS_EX_LAYERED);
  // Nothing of it shows yet.
  EXPECT_EQ(NULLREGION, RegionOf(popup, nullptr));

  // Let the thread move on without answering it: its steps wait in the queue.
  Sleep(400);
  PopupAnimationStep(PopupAnimationSerial() - 1);
  EXPECT_EQ(NULLREGION, RegionOf(popup, nullptr)) << "a stale step is ignored";
  PopupAnimationStep(PopupAnimationSerial());
  RECT box{};
  ASSERT_EQ(SIMPLEREGION, RegionOf(popup, &box));
  // Coming down from above: the region is the whole window moved up, its lower part inside.
  EXPECT_EQ(0, box.left);
  EXPECT_EQ(120, box.right);
  EXPECT_LT(box.top, 0);
  EXPECT_GT(box.bottom, 0);
  EXPECT_EQ(80, box.bottom - box.top);

  // Stopping for another window changes nothing.
  HWND other = MakePopup(10, 10);
  StopPopupAnimation(other);
  EXPECT_TRUE(PopupAnimationRunning());
  DestroyWindow(other);

  ASSERT_TRUE(PumpUntil([] { return g_log.steps >= 3; }, 5000));
  ASSERT_EQ(SIMPLEREGION, RegionOf(popup, &box));
  EXPECT_LE(box.top, 0);
  StopPopupAnimation(popup);
  EXPECT_FALSE(PopupAnimationRunning());
  EXPECT_EQ(1, g_log.done);
  EXPECT_EQ(ERROR, RegionOf(popup, nullptr)) << "the region is gone";
  for (LPARAM serial : g_log.serials) EXPECT_EQ(PopupAnimationSerial(), serial);

  // Late steps of the ended animation, with its own serial, draw nothing.
  const int steps = g_log.steps;
  PumpUntil([] { return false; }, 100);
  PopupAnimationStep(PopupAnimationSerial());
  EXPECT_EQ(ERROR, RegionOf(popup, nullptr));
  EXPECT_EQ(1, g_log.done);
  EXPECT_GE(g_log.steps, steps);
  DestroyWindow(popup);
}

TEST(BarAnimWindow, FadeRunsToTheEndAndShowsThePicture) {
  Watchdog watchdog(30000);
  ResetLog();
  SetCursorPos(5, 5);
  HWND popup = MakePopup(500, 400);
  StartPopupAnimation(popup, 300, true, padDown);
  EXPECT_NE(0, GetWindowLongPtrW(popup, GWL_EXSTYLE) & WS_EX_LAYERED);
  EXPECT_EQ(ERROR, RegionOf(popup, nullptr)) << "a fade needs no region";
  ASSERT_TRUE(PumpUntil([] { return g_log.done > 0; }, 5000));
  EXPECT_FALSE(PopupAnimationRunning());
  EXPECT_EQ(0, GetWindowLongPtrW(popup, GWL_EXSTYLE) & WS_EX_LAYERED);
  // At most one step per 16 levels, and the last message says it is over.
  EXPECT_LE(g_log.steps, 16);
  EXPECT_GE(g_log.steps, 1);
  EXPECT_EQ(1, g_log.done);
  // The captured picture is on the screen, the client colour inside the border.
  movra::testing::TestPicture shown(120, 80);
  HDC screen = GetDC(nullptr);
  BitBlt(shown.Dc(), 0, 0, 120, 80, screen, 500, 400, SRCCOPY);
  ReleaseDC(nullptr, screen);
  movra::testing::TestPicture(popup).Save("bar_anim_popup_after_fade");
  EXPECT_EQ(kPopupColour, shown.Pixel(60, 40));
  EXPECT_EQ(kPopupColour, shown.Pixel(2, 77));
  DestroyWindow(popup);
}

TEST(BarAnimWindow, ZeroDurationEndsOnTheFirstTurn) {
  Watchdog watchdog(30000);
  ResetLog();
  HWND popup = MakePopup(300, 500);
  StartPopupAnimation(popup, 0, false, padUp | padLeft);
  ASSERT_TRUE(PumpUntil([] { return g_log.done > 0; }, 5000));
  // Only the closing step: no level was ever drawn.
  EXPECT_EQ(1, g_log.steps);
  EXPECT_EQ(ERROR, RegionOf(popup, nullptr));
  EXPECT_TRUE(IsWindowVisible(popup));
  DestroyWindow(popup);
}

TEST(BarAnimWindow, CursorIntoTheClientAreaEndsTheAnimation) {
  Watchdog watchdog(30000);
  ResetLog();
  SetCursorPos(5, 5);
  HWND popup = MakePopup(600, 200);
  StartPopupAnimation(popup, 20000, false, padRight);
  ASSERT_TRUE(PumpUntil([] { return g_log.steps >= 1; }, 5000));
  EXPECT_EQ(0, g_log.done);
  const DWORD moved = GetTickCount();
  SetCursorPos(660, 240);
  ASSERT_TRUE(PumpUntil([] { return g_log.done > 0; }, 10000));
  EXPECT_LT(GetTickCount() - moved, 5000u) << "ended long before its 20 s";
  EXPECT_EQ(ERROR, RegionOf(popup, nullptr));
  SetCursorPos(5, 5);
  DestroyWindow(popup);
}

TEST(BarAnimWindow, ANewStartStopsTheOldOne) {
  Watchdog watchdog(30000);
  ResetLog();
  g_log.forward = false;
  HWND first = MakePopup(100, 600);
  HWND second = MakePopup(300, 600);
  StartPopupAnimation(first, 5000, false, padDown);
  const int serial = PopupAnimationSerial();
  StartPopupAnimation(second, 5000, false, padDown);
  EXPECT_EQ(serial + 1, PopupAnimationSerial());
  EXPECT_EQ(1, g_log.done) << "the first one was finished";
  EXPECT_EQ(ERROR, RegionOf(first, nullptr));
  EXPECT_EQ(NULLREGION, RegionOf(second, nullptr));
  // The first one's steps, still queued, are ignored when answered.
  PumpUntil([] { return false; }, 300);
  for (LPARAM s : g_log.serials)
    if (s == serial) PopupAnimationStep(s);
  EXPECT_EQ(ERROR, RegionOf(first, nullptr));
  EXPECT_EQ(NULLREGION, RegionOf(second, nullptr));
  StopPopupAnimation(nullptr);
  EXPECT_EQ(2, g_log.done);
  EXPECT_FALSE(PopupAnimationRunning());
  DestroyWindow(first);
  DestroyWindow(second);
}

}  // namespace
}  // namespace movra::bars
