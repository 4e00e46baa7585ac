#include "toolbars/bar_dock_support.h"

#include <algorithm>

#include "runtime/ui/forms.h"

namespace movra::bars {

// --- TModalCapture ---------------------------------------------------------------------------

TModalCapture::TModalCapture(HWND window) : window_(window) {
  GetClipCursor(&clip_);
  SetCapture(window);
}

TModalCapture::~TModalCapture() {
  if (GetCapture() == window_) ReleaseCapture();
  ClipCursor(&clip_);
}

bool TModalCapture::Next(MSG& msg) {
  for (;;) {
    if (stopped_ || GetCapture() != window_) return false;
    if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        PostQuitMessage(static_cast<int>(msg.wParam));
        return false;
      }
      return true;
    }
    // Woken by input, or now and then to notice a capture taken without a message.
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
  }
}

// --- Helpers ---------------------------------------------------------------------------------

bool ThreadHasActiveWindow() { return GetActiveWindow() != nullptr; }

RECT NearestMonitorWorkArea(const RECT& r) {
  MONITORINFO info{};
  info.cbSize = sizeof(info);
  if (GetMonitorInfoW(MonitorFromRect(&r, MONITOR_DEFAULTTONEAREST), &info)) return info.rcWork;
  RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  return area;
}

RECT NearestMonitorWorkArea(POINT p) {
  RECT r{p.x, p.y, p.x + 1, p.y + 1};
  return NearestMonitorWorkArea(r);
}

void ClipToFrameUpdateRegion(HWND window, HDC dc, HRGN region) {
  if (reinterpret_cast<UINT_PTR>(region) <= 1) return;
  RECT w;
  GetWindowRect(window, &w);
  HRGN copy = CreateRectRgn(0, 0, 1, 1);
  if (CombineRgn(copy, region, nullptr, RGN_COPY) == ERROR) {
    SetRectRgn(copy, w.left, w.top, w.right, w.bottom);
  }
  OffsetRgn(copy, -w.left, -w.top);
  SelectClipRgn(dc, copy);
  DeleteObject(copy);
}

void AnswerPrint(movra::ui::TWinControl* control, movra::ui::TMessage& m, const std::function<void(HDC)>& paintFrame) {
  HWND window = control->Handle();
  HDC dc = reinterpret_cast<HDC>(m.WParam);
  LPARAM flags = m.LParam;
  m.Result = 1;
  if ((flags & PRF_CHECKVISIBLE) && !IsWindowVisible(window)) return;
  if (flags & PRF_NONCLIENT) paintFrame(dc);
  if (!(flags & PRF_CLIENT)) return;
  POINT origin{0, 0};
  if (flags & PRF_NONCLIENT) {
    RECT wr;
    GetWindowRect(window, &wr);
    MapWindowPoints(window, nullptr, &origin, 1);
    origin.x -= wr.left;
    origin.y -= wr.top;
  }
  POINT old;
  OffsetWindowOrgEx(dc, -origin.x, -origin.y, &old);
  if (flags & PRF_ERASEBKGND) SendMessageW(window, WM_ERASEBKGND, m.WParam, 0);
  SendMessageW(window, WM_PRINTCLIENT, m.WParam, flags);
  if (flags & PRF_CHILDREN) {
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
      if (!IsWindowVisible(child)) continue;
      RECT cr;
      GetWindowRect(child, &cr);
      MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&cr), 2);
      int saved = SaveDC(dc);
      IntersectClipRect(dc, cr.left, cr.top, cr.right, cr.bottom);
      POINT o2;
      OffsetWindowOrgEx(dc, -cr.left, -cr.top, &o2);
      SendMessageW(child, WM_PRINT, m.WParam, PRF_NONCLIENT | PRF_CLIENT | PRF_ERASEBKGND | PRF_CHILDREN);
      RestoreDC(dc, saved);
    }
  }
  SetWindowOrgEx(dc, old.x, old.y, nullptr);
}

void MoveDragFrame(HDC dc, const RECT* newRect, const RECT* oldRect, SIZE newSize, SIZE oldSize) {
  auto ring = [](const RECT* r, SIZE s) {
    HRGN outer = CreateRectRgn(0, 0, 0, 0);
    if (!r || IsRectEmpty(r)) return outer;
    SetRectRgn(outer, r->left, r->top, r->right, r->bottom);
    RECT in = *r;
    InflateRect(&in, -s.cx, -s.cy);
    if (in.right > in.left && in.bottom > in.top) {
      HRGN inner = CreateRectRgnIndirect(&in);
      CombineRgn(outer, outer, inner, RGN_DIFF);
      DeleteObject(inner);
    }
    return outer;
  };
  HRGN a = ring(newRect, newSize);
  HRGN b = ring(oldRect, oldSize);
  CombineRgn(a, a, b, RGN_XOR);
  static const WORD pattern[8] = {0x5555, 0xAAAA, 0x5555, 0xAAAA, 0x5555, 0xAAAA, 0x5555, 0xAAAA};
  HBITMAP bits = CreateBitmap(8, 8, 1, 1, pattern);
  HBRUSH brush = CreatePatternBrush(bits);
  int saved = SaveDC(dc);
  SelectClipRgn(dc, a);
  RECT box;
  GetClipBox(dc, &box);
  HGDIOBJ old = SelectObject(dc, brush);
  PatBlt(dc, box.left, box.top, box.right - box.left, box.bottom - box.top, PATINVERT);
  SelectObject(dc, old);
  RestoreDC(dc, saved);
  DeleteObject(brush);
  DeleteObject(bits);
  DeleteObject(a);
  DeleteObject(b);
}

void DispatchQueuedPaints() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    DispatchMessageW(&msg);
  }
}

// --- The floating windows' hook --------------------------------------------------------------

namespace {

struct HookState {
  int users = 0;
  HHOOK callWndProc = nullptr;
  HHOOK cbt = nullptr;
};

HookState& Hooks() {
  static HookState state;
  return state;
}

LRESULT CALLBACK CallWndProcHook(int code, WPARAM wparam, LPARAM lparam) {
  if (code == HC_ACTION) {
    auto* cwp = reinterpret_cast<const CWPSTRUCT*>(lparam);
    try {
      if (cwp->message == WM_ACTIVATEAPP) FloatingHookEvent(0, cwp->hwnd, cwp->wParam, cwp->lParam);
      if (cwp->message == WM_WINDOWPOSCHANGED) FloatingHookEvent(1, cwp->hwnd, cwp->wParam, cwp->lParam);
    } catch (...) {
    }
  }
  return CallNextHookEx(Hooks().callWndProc, code, wparam, lparam);
}

LRESULT CALLBACK CbtHook(int code, WPARAM wparam, LPARAM lparam) {
  if (code == HCBT_DESTROYWND) {
    try {
      FloatingHookEvent(2, reinterpret_cast<HWND>(wparam), 0, 0);
    } catch (...) {
    }
  }
  return CallNextHookEx(Hooks().cbt, code, wparam, lparam);
}

}  // namespace

void RegisterFloatingHook(TBarCustomDockableWindow*) {
  HookState& h = Hooks();
  if (h.users++ > 0) return;
  h.callWndProc = SetWindowsHookExW(WH_CALLWNDPROC, CallWndProcHook, nullptr, GetCurrentThreadId());
  h.cbt = SetWindowsHookExW(WH_CBT, CbtHook, nullptr, GetCurrentThreadId());
}

void UnregisterFloatingHook(TBarCustomDockableWindow*) {
  HookState& h = Hooks();
  if (h.users == 0 || --h.users > 0) return;
  if (h.callWndProc) UnhookWindowsHookEx(h.callWndProc);
  if (h.cbt) UnhookWindowsHookEx(h.cbt);
  h.callWndProc = h.cbt = nullptr;
}

}  // namespace movra::bars
