#include "toolbars/bar_anim.h"

#include <algorithm>
#include <atomic>

namespace movra::bars {

namespace {

using TUpdateLayeredWindow = BOOL(WINAPI*)(HWND, HDC, POINT*, SIZE*, HDC, POINT*, COLORREF, BLENDFUNCTION*,
                                          DWORD);

TUpdateLayeredWindow UpdateLayeredWindowFunction() {
  static const TUpdateLayeredWindow function = [] {
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    return user32 ? reinterpret_cast<TUpdateLayeredWindow>(
                        reinterpret_cast<void*>(GetProcAddress(user32, "UpdateLayeredWindow")))
                  : nullptr;
  }();
  return function;
}

// The one animation of the process. The thread reads the fields set before it starts and
// writes only the atomics; everything else belongs to the window's thread.
struct TAnimation {
  HANDLE Thread = nullptr;
  HANDLE StopEvent = nullptr;  // wakes the thread from its pauses
  int Serial = 0;

  HWND Window = nullptr;
  int Duration = 0;
  bool Fade = false;
  unsigned Directions = 0;

  HDC ImageDc = nullptr;
  HBITMAP Image = nullptr;
  HGDIOBJ OldImage = nullptr;
  int Width = 0;
  int Height = 0;

  RECT ScreenClient{};
  POINT LastCursor{};

  std::atomic<int> Level{0};
  std::atomic<bool> StopRequested{false};
  std::atomic<bool> Finished{false};
  std::atomic<int> PaintPending{0};
  // Between the start and the end of the window's finishing: steps are drawn only then.
  bool Active = false;
};

TAnimation& Animation() {
  static TAnimation animation;
  return animation;
}

int64_t Now(const TAnimationClock& clock) {
  if (clock.TickCount) return GetTickCount();
  LARGE_INTEGER count;
  QueryPerformanceCounter(&count);
  return count.QuadPart;
}

DWORD WINAPI AnimationThread(void*) {
  TAnimation& a = Animation();
  LARGE_INTEGER frequency{};
  const bool counterWorks = QueryPerformanceFrequency(&frequency) != FALSE;
  const TAnimationClock clock = ChooseAnimationClock(counterWorks, frequency.QuadPart);
  const int64_t start = Now(clock);
  const int serial = a.Serial;
  while (!a.StopRequested.load()) {
    const int64_t elapsed = (Now(clock) - start) / clock.CountsPerMs;
    const int level = AnimationLevel(elapsed, a.Duration);
    if (level < 0) break;
    const int step = level / 16 * 16;
    if (step > 240 || elapsed >= a.Duration) break;
    POINT cursor;
    if (GetCursorPos(&cursor) && (cursor.x != a.LastCursor.x || cursor.y != a.LastCursor.y)) {
      // The user reaches for the popup: show it whole now.
      if (PtInRect(&a.ScreenClient, cursor)) break;
      a.LastCursor = cursor;
    }
    if (a.Level.load() < step) {
      a.Level.store(step);
      if (a.PaintPending.exchange(1) == 0) SendNotifyMessageW(a.Window, WM_POPUP_ANIM_STEP, 0, serial);
      continue;
    }
    WaitForSingleObject(a.StopEvent, static_cast<DWORD>(AnimationPause(a.Level.load(), level, a.Duration)));
  }
  a.Finished.store(true);
  SendNotifyMessageW(a.Window, WM_POPUP_ANIM_STEP, 0, serial);
  return 0;
}

HDC WindowDc(HWND window) { return GetDCEx(window, nullptr, DCX_WINDOW | DCX_CACHE | DCX_CLIPSIBLINGS); }

void CopyImage(int x, int y) {
  TAnimation& a = Animation();
  HDC dc = WindowDc(a.Window);
  if (!dc) return;
  BitBlt(dc, x, y, a.Width, a.Height, a.ImageDc, 0, 0, SRCCOPY);
  ReleaseDC(a.Window, dc);
}

// Shows the window whole and as it normally is, frees the picture and says so.
void Finish() {
  TAnimation& a = Animation();
  HWND window = a.Window;
  a.Active = false;
  if (a.Fade)
    SetWindowLongPtrW(window, GWL_EXSTYLE, GetWindowLongPtrW(window, GWL_EXSTYLE) & ~static_cast<LONG_PTR>(WS_EX_LAYERED));
  else
    SetWindowRgn(window, nullptr, FALSE);
  if (a.ImageDc) {
    CopyImage(0, 0);
    SelectObject(a.ImageDc, a.OldImage);
    DeleteDC(a.ImageDc);
    a.ImageDc = nullptr;
  }
  if (a.Image) DeleteObject(a.Image);
  a.Image = nullptr;
  a.Window = nullptr;
  SendNotifyMessageW(window, WM_POPUP_ANIM_DONE, 0, 0);
}

}  // namespace

TAnimationClock ChooseAnimationClock(bool counterWorks, int64_t frequency) {
  if (counterWorks && frequency / 1000 > 0) return {false, frequency / 1000};
  return {true, 1};
}

int AnimationLevel(int64_t elapsedMs, int durationMs) {
  if (elapsedMs > 0x7FFFFFFF) return -1;
  return MulDiv(255, static_cast<int>(elapsedMs), durationMs);
}

int AnimationPause(int currentLevel, int level, int durationMs) {
  return std::max(1, MulDiv(currentLevel - level + 16, durationMs, 255));
}

POINT SlideOffset(int level, int width, int height, unsigned directions) {
  POINT offset{0, 0};
  if (directions & padDown)
    offset.y = MulDiv(height, level, 255) - height;
  else if (directions & padUp)
    offset.y = height - MulDiv(height, level, 255);
  if (directions & padRight)
    offset.x = MulDiv(width, level, 255) - width;
  else if (directions & padLeft)
    offset.x = width - MulDiv(width, level, 255);
  return offset;
}

void StartPopupAnimation(HWND window, int durationMs, bool fade, unsigned directions) {
  StopPopupAnimation(nullptr);
  TAnimation& a = Animation();
  TUpdateLayeredWindow update = UpdateLayeredWindowFunction();
  a.Window = window;
  a.Duration = durationMs;
  a.Directions = directions;
  a.Fade = fade && update;
  a.Level.store(0);
  a.StopRequested.store(false);
  a.Finished.store(false);
  a.PaintPending.store(0);

  GetCursorPos(&a.LastCursor);
  GetClientRect(window, &a.ScreenClient);
  MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&a.ScreenClient), 2);

  RECT bounds;
  GetWindowRect(window, &bounds);
  a.Width = bounds.right - bounds.left;
  a.Height = bounds.bottom - bounds.top;
  HDC windowDc = WindowDc(window);
  a.ImageDc = CreateCompatibleDC(windowDc);
  a.Image = CreateCompatibleBitmap(windowDc, a.Width, a.Height);
  ReleaseDC(window, windowDc);
  a.OldImage = SelectObject(a.ImageDc, a.Image);
  SendMessageW(window, WM_PRINT, reinterpret_cast<WPARAM>(a.ImageDc),
               PRF_NONCLIENT | PRF_CLIENT | PRF_ERASEBKGND | PRF_CHILDREN);
  a.Active = true;

  if (a.Fade) {
    SetWindowLongPtrW(window, GWL_EXSTYLE, GetWindowLongPtrW(window, GWL_EXSTYLE) | WS_EX_LAYERED);
    a.Level.store(32);
    POINT position{bounds.left, bounds.top};
    SIZE size{a.Width, a.Height};
    POINT source{0, 0};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 32, 0};
    update(window, nullptr, &position, &size, a.ImageDc, &source, 0, &blend, ULW_ALPHA);
  } else {
    SetWindowRgn(window, CreateRectRgn(0, 0, 0, 0), FALSE);
  }
  SetWindowPos(window, nullptr, 0, 0, 0, 0,
               SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOREDRAW | SWP_NOACTIVATE | SWP_SHOWWINDOW |
                   SWP_NOOWNERZORDER | SWP_ASYNCWINDOWPOS);

  if (!a.StopEvent) a.StopEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (a.StopEvent) ResetEvent(a.StopEvent);
  a.Thread = a.StopEvent ? CreateThread(nullptr, 0, AnimationThread, nullptr, CREATE_SUSPENDED, nullptr) : nullptr;
  if (!a.Thread) {
    Finish();
    return;
  }
  ++a.Serial;
  ResumeThread(a.Thread);
}

void StopPopupAnimation(HWND window) {
  TAnimation& a = Animation();
  if (!a.Thread || (window && window != a.Window)) return;
  a.StopRequested.store(true);
  SetEvent(a.StopEvent);
  WaitForSingleObject(a.Thread, INFINITE);
  CloseHandle(a.Thread);
  a.Thread = nullptr;
  Finish();
}

void PopupAnimationStep(LPARAM serial) {
  TAnimation& a = Animation();
  // A step that arrives after its animation was stopped finds nothing left to draw on.
  if (serial != a.Serial || !a.Active || !a.Thread) return;
  if (a.Finished.load()) {
    StopPopupAnimation(a.Window);
    return;
  }
  const int level = a.Level.load();
  if (a.Fade) {
    BLENDFUNCTION blend{AC_SRC_OVER, 0, static_cast<BYTE>(std::clamp(level, 0, 255)), 0};
    UpdateLayeredWindowFunction()(a.Window, nullptr, nullptr, nullptr, nullptr, nullptr, 0, &blend, ULW_ALPHA);
  } else {
    const POINT offset = SlideOffset(level, a.Width, a.Height, a.Directions);
    SetWindowRgn(a.Window, CreateRectRgn(offset.x, offset.y, offset.x + a.Width, offset.y + a.Height), FALSE);
    CopyImage(offset.x, offset.y);
  }
  a.PaintPending.store(0);
}

bool PopupAnimationRunning() { return Animation().Thread != nullptr; }

int PopupAnimationSerial() { return Animation().Serial; }

namespace {

// A running animation ends with the module: its thread must not outlive the picture.
struct TFinalizer {
  // Made first, so that the animation's state outlives this finaliser.
  TFinalizer() { Animation(); }
  ~TFinalizer() { StopPopupAnimation(nullptr); }
} finalizer;

}  // namespace

}  // namespace movra::bars
