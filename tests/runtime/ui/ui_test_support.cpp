#include "tests/runtime/ui/ui_test_support.h"

#include <windows.h>

#include <map>

namespace movra::ui::test {

bool PumpUntil(const std::function<bool()>& done, int limitMs) {
  DWORD start = GetTickCount();
  while (!done()) {
    if (static_cast<int>(GetTickCount() - start) > limitMs) return done();
    Application().ProcessMessages();
    Sleep(2);
  }
  return true;
}

namespace {

std::map<UINT_PTR, std::function<bool()>>& Pending() {
  static std::map<UINT_PTR, std::function<bool()>> pending;
  return pending;
}

void CALLBACK Fire(HWND, UINT, UINT_PTR id, DWORD) {
  auto it = Pending().find(id);
  if (it == Pending().end()) {
    KillTimer(nullptr, id);
    return;
  }
  auto call = it->second;
  if (!call()) {
    KillTimer(nullptr, id);
    Pending().erase(id);
  }
}

}  // namespace

void After(unsigned delayMs, std::function<bool()> call) {
  UINT_PTR id = SetTimer(nullptr, 0, delayMs, Fire);
  Pending()[id] = std::move(call);
}

void Pump() { Application().ProcessMessages(); }

ExceptionTrap::ExceptionTrap() { Application().OnException = TExceptionEvent(this, &ExceptionTrap::Handle); }

ExceptionTrap::~ExceptionTrap() { Application().OnException = nullptr; }

void ExceptionTrap::Handle(TObject*, const std::exception& e) {
  ++count;
  lastMessage = e.what();
}

}  // namespace movra::ui::test
