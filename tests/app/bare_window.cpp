// The baseline for the desktop program's start-up and menu benchmark: a bare window of the main
// window's size, centred as it is, painted with one fill and a line of text; Alt+F shows a plain
// popup window of the size given on the command line ("bare_window.exe <width> <height>") below
// the client area's top edge, and Escape or Alt+F again takes it away. Nothing but the system.
#include <windows.h>

#include <cwchar>

namespace {

int popupWidth = 120;
int popupHeight = 80;
HWND popup = nullptr;

LRESULT CALLBACK PopupProc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam) {
  if (msg == WM_PAINT) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT rect;
    GetClientRect(window, &rect);
    FillRect(dc, &rect, GetSysColorBrush(COLOR_MENU));
    FrameRect(dc, &rect, GetSysColorBrush(COLOR_BTNSHADOW));
    EndPaint(window, &paint);
    return 0;
  }
  return DefWindowProcW(window, msg, wparam, lparam);
}

void TogglePopup(HWND owner) {
  if (popup) {
    DestroyWindow(popup);
    popup = nullptr;
    return;
  }
  POINT at{0, 23};
  ClientToScreen(owner, &at);
  popup = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, L"BareWindowPopup", L"", WS_POPUP, at.x, at.y,
                          popupWidth, popupHeight, owner, nullptr, GetModuleHandleW(nullptr), nullptr);
  ShowWindow(popup, SW_SHOWNOACTIVATE);
  UpdateWindow(popup);
}

LRESULT CALLBACK MainProc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam) {
  switch (msg) {
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      RECT rect;
      GetClientRect(window, &rect);
      FillRect(dc, &rect, GetSysColorBrush(COLOR_BTNFACE));
      SetBkMode(dc, TRANSPARENT);
      DrawTextW(dc, L"Bare window", -1, &rect, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
      EndPaint(window, &paint);
      return 0;
    }
    case WM_SYSCHAR:
      if (wparam == L'f' || wparam == L'F') {
        TogglePopup(window);
        return 0;
      }
      break;
    case WM_KEYDOWN:
      if (wparam == VK_ESCAPE && popup) TogglePopup(window);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(window, msg, wparam, lparam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR commandLine, int show) {
  int width = 0, height = 0;
  if (swscanf(commandLine, L"%d %d", &width, &height) == 2 && width > 0 && height > 0) {
    popupWidth = width;
    popupHeight = height;
  }
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = MainProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.lpszClassName = L"BareWindow";
  RegisterClassExW(&wc);
  wc.lpfnWndProc = PopupProc;
  wc.lpszClassName = L"BareWindowPopup";
  RegisterClassExW(&wc);

  const int w = 684, h = 554;
  const int x = (GetSystemMetrics(SM_CXSCREEN) - w) / 2, y = (GetSystemMetrics(SM_CYSCREEN) - h) / 2;
  HWND window = CreateWindowExW(0, L"BareWindow", L"Bare window", WS_OVERLAPPEDWINDOW, x, y, w, h, nullptr, nullptr,
                                instance, nullptr);
  ShowWindow(window, show);
  UpdateWindow(window);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}
