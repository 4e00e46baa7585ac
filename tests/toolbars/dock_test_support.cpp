#include "tests/toolbars/dock_test_support.h"

#include <gtest/gtest.h>

#include "tests/runtime/ui/ui_test_support.h"
#include "tests/support/support.h"

namespace movra::bars::test {

using namespace movra::ui;
using movra::testing::SendMouseAt;

TDockForm::TDockForm() {
  ParkCursor();
  Form = new TForm(nullptr);
  Form->SetBounds(100, 100, 520, 340);
  Form->SetClientSize(500, 300);
  auto make = [this](TBarDockPosition p, const char* name) {
    auto* d = new TBarDock(Form);
    d->SetName(name);
    d->SetPosition(p);
    d->SetParent(Form);
    return d;
  };
  Top = make(TBarDockPosition::dpTop, "DockTop");
  Bottom = make(TBarDockPosition::dpBottom, "DockBottom");
  Left = make(TBarDockPosition::dpLeft, "DockLeft");
  Right = make(TBarDockPosition::dpRight, "DockRight");
}

TDockForm::~TDockForm() { Free(Form); }

TTestBar* TDockForm::AddBar(TBarDock* dock, int width, int height, int row, int pos, const std::string& name) {
  auto* bar = new TTestBar(Form, width, height);
  if (!name.empty()) bar->SetName(name);
  bar->SetDockRow(row);
  bar->SetDockPos(pos);
  bar->SetParent(dock);
  return bar;
}

namespace {

bool SamePlace(POINT a, POINT b) { return a.x == b.x && a.y == b.y; }

constexpr UINT WM_PROBE_CURSOR = WM_APP + 0x3A1;

struct TProbe {
  POINT Cursor{-1, -1};
  POINT LastMove{-1, -1};
  bool MouseWaiting = true;
};

// Where the last mouse move the test's thread took from its queue came from.
std::atomic<LONG> lastMoveX{-1}, lastMoveY{-1};
HHOOK moveHook = nullptr;
int moveHookUsers = 0;

LRESULT CALLBACK TakenMessageHook(int code, WPARAM wparam, LPARAM lparam) {
  if (code == HC_ACTION && wparam == PM_REMOVE) {
    const MSG* msg = reinterpret_cast<const MSG*>(lparam);
    if (msg->message == WM_MOUSEMOVE) {
      lastMoveX = msg->pt.x;
      lastMoveY = msg->pt.y;
    }
  }
  return CallNextHookEx(moveHook, code, wparam, lparam);
}

LRESULT CALLBACK ProbeProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message != WM_PROBE_CURSOR) return DefWindowProcW(window, message, wparam, lparam);
  auto* probe = reinterpret_cast<TProbe*>(lparam);
  GetCursorPos(&probe->Cursor);
  probe->MouseWaiting = HIWORD(GetQueueStatus(QS_MOUSE)) != 0;
  probe->LastMove = {lastMoveX, lastMoveY};
  return 1;
}

}  // namespace

void ParkCursor() {
  const POINT corner{1250, 1000};
  SendMouseAt(corner, 0);
  POINT now{};
  for (int i = 0; i < 100 && !(GetCursorPos(&now) && SamePlace(now, corner)); ++i) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    Sleep(10);
  }
}

TMouseScript::TMouseScript() {
  static const ATOM atom = [] {
    WNDCLASSW c{};
    c.lpfnWndProc = ProbeProc;
    c.hInstance = GetModuleHandleW(nullptr);
    c.lpszClassName = L"MovraCursorProbe";
    return RegisterClassW(&c);
  }();
  probe_ = CreateWindowExW(0, reinterpret_cast<LPCWSTR>(static_cast<UINT_PTR>(atom)), L"", 0, 0, 0, 0, 0,
                           HWND_MESSAGE, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (moveHookUsers++ == 0)
    moveHook = SetWindowsHookExW(WH_GETMESSAGE, TakenMessageHook, nullptr, GetCurrentThreadId());
}

TMouseScript::~TMouseScript() {
  if (thread_.joinable()) thread_.join();
  if (probe_) DestroyWindow(probe_);
  if (--moveHookUsers == 0 && moveHook) {
    UnhookWindowsHookEx(moveHook);
    moveHook = nullptr;
  }
}

int TMouseScript::SeenByTestThread(POINT p) const {
  TProbe probe;
  DWORD_PTR r = 0;
  if (!SendMessageTimeoutW(probe_, WM_PROBE_CURSOR, 0, reinterpret_cast<LPARAM>(&probe), SMTO_NORMAL, 2000, &r))
    return 0;
  if (probe.MouseWaiting) return 0;
  if (SamePlace(probe.Cursor, p) && SamePlace(probe.LastMove, p)) return 1;
  return -1;
}

bool TMouseScript::ReachedAndStays(POINT p) const {
  for (int i = 0; i < 25; ++i) {
    POINT now;
    GetCursorPos(&now);
    if (now.x == p.x && now.y == p.y) break;
    Sleep(10);
  }
  // The display reports where it moved the pointer to the thread whose windows lie under it,
  // and an earlier place reported late brings a move from there (and the cursor back there for
  // a moment): the place counts once the test's thread has seen it for a while, has taken
  // every mouse message up to it and the last move it took came from there (so that what the
  // script does next comes after them).
  for (int i = 0, seen = 0; i < 40; ++i) {
    Sleep(30);
    const int state = SeenByTestThread(p);
    if (state < 0) return false;
    seen = state > 0 ? seen + 1 : 0;
    if (seen == 6) return true;
  }
  return false;
}

void TMouseScript::MoveTo(POINT p) {
  steps_.push_back([this, p] {
    at_ = p;
    for (int attempt = 0; attempt < 10; ++attempt) {
      SendMouseAt(p, 0);
      if (ReachedAndStays(p)) break;
    }
  });
}

void TMouseScript::Down() {
  steps_.push_back([this] {
    SendMouseAt(at_, MOUSEEVENTF_LEFTDOWN);
    Sleep(60);
  });
}

void TMouseScript::Up() {
  steps_.push_back([this] {
    SendMouseAt(at_, MOUSEEVENTF_LEFTUP);
    Sleep(60);
  });
}

void TMouseScript::Key(WORD vk, bool down) {
  steps_.push_back([vk, down] {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
    SendInput(1, &in, sizeof(in));
    Sleep(60);
  });
}

void TMouseScript::PostKey(HWND window, WORD vk, bool down) {
  steps_.push_back([window, vk, down] {
    PostMessageW(window, down ? WM_KEYDOWN : WM_KEYUP, vk, down ? 1 : 0xC0000001);
    Sleep(60);
  });
}

void TMouseScript::Wait(int ms) {
  steps_.push_back([ms] { Sleep(static_cast<DWORD>(ms)); });
}

void TMouseScript::Do(std::function<void()> call) { steps_.push_back(std::move(call)); }

void TMouseScript::Start() {
  thread_ = std::thread([this] {
    for (auto& step : steps_) step();
    done_ = true;
  });
}

bool TWatchdog::fired_ = false;

TWatchdog::TWatchdog(unsigned ms) {
  fired_ = false;
  timer_ = SetTimer(nullptr, 0, ms, &TWatchdog::Fire);
}

TWatchdog::~TWatchdog() { KillTimer(nullptr, timer_); }

void CALLBACK TWatchdog::Fire(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  fired_ = true;
  HWND captured = GetCapture();
  ReleaseCapture();
  if (captured) PostMessageW(captured, WM_CANCELMODE, 0, 0);
}

std::vector<COLORREF> ScreenPixels(POINT from, int count) {
  std::vector<COLORREF> row;
  HDC screen = GetDC(nullptr);
  for (int i = 0; i < count; ++i) row.push_back(GetPixel(screen, from.x + i, from.y));
  ReleaseDC(nullptr, screen);
  return row;
}

int Differing(const std::vector<COLORREF>& a, const std::vector<COLORREF>& b) {
  int n = 0;
  for (size_t i = 0; i < a.size() && i < b.size(); ++i)
    if (a[i] != b[i]) ++n;
  return n;
}

RECT WindowRect(HWND window) {
  RECT r;
  GetWindowRect(window, &r);
  return r;
}

POINT Centre(const RECT& r) { return {(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

void Play(TMouseScript& script, unsigned limitMs) {
  TWatchdog dog(limitMs);
  script.Start();
  EXPECT_TRUE(movra::ui::test::PumpUntil([&] { return script.Done(); }, static_cast<int>(limitMs) + 2000));
  movra::ui::test::Pump();
  EXPECT_FALSE(dog.Fired()) << "a loop had to be broken";
  EXPECT_EQ(GetCapture(), nullptr);
}

void NewClick(TMouseScript& script) { script.Wait(static_cast<int>(GetDoubleClickTime()) + 100); }

}  // namespace movra::bars::test
