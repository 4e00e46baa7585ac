#include "tests/toolbars/dock_test_support.h"

namespace movra::bars::test {

using namespace movra::ui;

TDockForm::TDockForm() {
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

TMouseScript::~TMouseScript() {
  if (thread_.joinable()) thread_.join();
}

namespace {

void SendMouse(DWORD flags) {
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dwFlags = flags;
  SendInput(1, &in, sizeof(in));
}

}  // namespace

void TMouseScript::MoveTo(POINT p) {
  // Injected input only: placing the cursor directly leaves the display's pointer behind, and
  // the next injected button would come from where it still is.
  steps_.push_back([p] {
    INPUT in{};
    in.type = INPUT_MOUSE;
    int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    in.mi.dx = (p.x * 65536 + w - 1) / w;
    in.mi.dy = (p.y * 65536 + h - 1) / h;
    in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &in, sizeof(in));
    for (int i = 0; i < 25; ++i) {
      POINT now;
      GetCursorPos(&now);
      if (now.x == p.x && now.y == p.y) break;
      Sleep(20);
    }
    Sleep(40);
  });
}

void TMouseScript::Down() {
  steps_.push_back([] {
    SendMouse(MOUSEEVENTF_LEFTDOWN);
    Sleep(60);
  });
}

void TMouseScript::Up() {
  steps_.push_back([] {
    SendMouse(MOUSEEVENTF_LEFTUP);
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

RECT WindowRect(HWND window) {
  RECT r;
  GetWindowRect(window, &r);
  return r;
}

POINT Centre(const RECT& r) { return {(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

}  // namespace movra::bars::test
