// Set as a hook on the thread of a window of another process, this library draws that thread's
// windows there, where their painting lives, each by itself, and writes the picture. The tests
// share one desktop: a copy of the screen would show whatever window of another test lies over
// them.
#include "tests/app/window_printer.h"

#include <algorithm>
#include <cwchar>
#include <string>
#include <vector>

#include "runtime/text.h"
#include "tests/support/support.h"

namespace {

void PrintThreadWindows(const RECT& area, const std::string& path) {
  // Front first, as the system keeps them.
  std::vector<HWND> windows;
  for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT)) {
    RECT r, meet;
    GetWindowRect(w, &r);
    if (GetWindowThreadProcessId(w, nullptr) == GetCurrentThreadId() && IsWindowVisible(w) &&
        IntersectRect(&meet, &r, &area))
      windows.push_back(w);
  }
  movra::testing::TestPicture picture(std::max<LONG>(1, area.right - area.left), std::max<LONG>(1, area.bottom - area.top));
  for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
    RECT r;
    GetWindowRect(*it, &r);
    picture.Print(*it, r.left - area.left, r.top - area.top);
  }
  picture.SaveAs(path);
}

}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK PrintThreadWindowsHook(int code, WPARAM wparam, LPARAM lparam) {
  static const UINT message = RegisterWindowMessageW(movra::testing::kPrintThreadWindowsMessage);
  const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lparam);
  if (code == HC_ACTION && sent->message == message) {
    wchar_t text[256] = {};
    RECT area{};
    int used = 0;
    if (GlobalGetAtomNameW(static_cast<ATOM>(sent->wParam), text, 256) &&
        swscanf(text, L"%ld %ld %ld %ld %n", &area.left, &area.top, &area.right, &area.bottom, &used) == 4) {
      // Nothing may cross into the program's window procedure.
      try {
        PrintThreadWindows(area, movra::WideToUtf8(text + used));
      } catch (...) {
      }
    }
  }
  return CallNextHookEx(nullptr, code, wparam, lparam);
}
