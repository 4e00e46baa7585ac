#include "toolbars/bar_hook.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace movra::bars {
namespace {

// What the callbacks saw, as "name:code" entries.
std::vector<std::string> g_calls;
HWND g_watched = nullptr;

void Note(const char* name, THookProcCode code, HWND window) {
  if (code != hpGetMessage && window != g_watched) return;
  g_calls.push_back(std::string(name) + ":" + std::to_string(code));
}

void ProcA(THookProcCode code, HWND window, WPARAM, LPARAM) { Note("A", code, window); }
void ProcB(THookProcCode code, HWND window, WPARAM wParam, LPARAM lParam) {
  if (code == hpGetMessage) {
    const MSG* msg = reinterpret_cast<const MSG*>(lParam);
    if (msg->message != WM_APP + 7 || wParam != PM_REMOVE) return;
  }
  Note("B", code, window);
}

// Unregisters itself on its first event.
void ProcSelf(THookProcCode code, HWND window, WPARAM, LPARAM) {
  if (window != g_watched) return;
  Note("S", code, window);
  // The list is walked by this very dispatch: it has to outlive the call.
  g_calls.push_back(HookRegistrationListExists() ? "list" : "no list");
  UnregisterHookCallback(ProcSelf);
}

void ProcLater(THookProcCode code, HWND window, WPARAM, LPARAM) { Note("L", code, window); }
// Unregisters the callback registered after it, before that one's turn.
void ProcRemovesLater(THookProcCode code, HWND window, WPARAM, LPARAM) {
  Note("R", code, window);
  if (window == g_watched) UnregisterHookCallback(ProcLater);
}

void ProcThrows(THookProcCode code, HWND window, WPARAM, LPARAM) {
  Note("X", code, window);
  if (window == g_watched) throw std::runtime_error("callback failure");
}

HWND MakeWindow() {
  HWND window = CreateWindowExW(0, L"STATIC", L"hook test", WS_POPUP, 10, 10, 50, 50, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
  g_watched = window;
  g_calls.clear();
  return window;
}

struct HookCounts {
  int callWnd, cbt, getMsg;
  bool operator==(const HookCounts&) const = default;
};
std::ostream& operator<<(std::ostream& os, const HookCounts& c) {
  return os << "{" << c.callWnd << "," << c.cbt << "," << c.getMsg << "}";
}
HookCounts Counts() {
  return {WindowsHookUseCount(TWindowsHook::CallWndProc), WindowsHookUseCount(TWindowsHook::Cbt),
          WindowsHookUseCount(TWindowsHook::GetMessage)};
}
HookCounts Installed() {
  return {WindowsHookInstalled(TWindowsHook::CallWndProc), WindowsHookInstalled(TWindowsHook::Cbt),
          WindowsHookInstalled(TWindowsHook::GetMessage)};
}

TEST(BarHook, HooksFollowTheReferenceCountsOfTheirKinds) {
  ASSERT_FALSE(HookRegistrationListExists());
  RegisterHookCallback(ProcA, HookCodes(hpAppActivate, hpWindowPosChanged, hpWindowDestroy));
  EXPECT_EQ((HookCounts{1, 1, 0}), Counts());
  EXPECT_EQ((HookCounts{1, 1, 0}), Installed());

  // A second registration counts, but its kinds are ignored: no get-message hook.
  RegisterHookCallback(ProcA, HookCodes(hpGetMessage));
  EXPECT_EQ(1, RegisteredHookCallbackCount());
  EXPECT_EQ((HookCounts{2, 2, 0}), Counts());
  EXPECT_EQ((HookCounts{1, 1, 0}), Installed());

  RegisterHookCallback(ProcB, HookCodes(hpGetMessage));
  EXPECT_EQ((HookCounts{2, 2, 1}), Counts());
  EXPECT_EQ((HookCounts{1, 1, 1}), Installed());

  UnregisterHookCallback(ProcA);
  EXPECT_EQ(2, RegisteredHookCallbackCount());
  EXPECT_EQ((HookCounts{1, 1, 1}), Counts());
  EXPECT_EQ((HookCounts{1, 1, 1}), Installed());

  // Still registered once: it still hears its events.
  HWND window = MakeWindow();
  SetWindowPos(window, nullptr, 20, 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  EXPECT_EQ(std::vector<std::string>{"A:1"}, g_calls);

  UnregisterHookCallback(ProcA);
  EXPECT_EQ(1, RegisteredHookCallbackCount());
  EXPECT_EQ((HookCounts{0, 0, 1}), Counts());
  EXPECT_EQ((HookCounts{0, 0, 1}), Installed());
  g_calls.clear();
  SetWindowPos(window, nullptr, 30, 30, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  DestroyWindow(window);
  EXPECT_TRUE(g_calls.empty());

  UnregisterHookCallback(ProcB);
  EXPECT_EQ((HookCounts{0, 0, 0}), Installed());
  EXPECT_FALSE(HookRegistrationListExists());
  // Unknown callbacks are ignored.
  UnregisterHookCallback(ProcB);
  EXPECT_EQ((HookCounts{0, 0, 0}), Counts());
}

TEST(BarHook, EachKindReachesItsCallbacksInRegistrationOrder) {
  RegisterHookCallback(ProcB, HookCodes(hpGetMessage, hpWindowDestroy));
  RegisterHookCallback(ProcA, HookCodes(hpAppActivate, hpWindowPosChanged, hpWindowDestroy));
  HWND window = MakeWindow();
  SendMessageW(window, WM_ACTIVATEAPP, TRUE, 0);
  SetWindowPos(window, nullptr, 40, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  // Only a message taken off the queue counts, and B filters for its own.
  PostMessageW(window, WM_APP + 7, 0, 0);
  MSG msg;
  EXPECT_TRUE(PeekMessageW(&msg, window, WM_APP + 7, WM_APP + 7, PM_NOREMOVE));
  EXPECT_TRUE(PeekMessageW(&msg, window, WM_APP + 7, WM_APP + 7, PM_REMOVE));
  DestroyWindow(window);
  EXPECT_EQ((std::vector<std::string>{"A:0", "A:1", "B:3", "B:2", "A:2"}), g_calls);
  UnregisterHookCallback(ProcA);
  UnregisterHookCallback(ProcB);
  EXPECT_FALSE(HookRegistrationListExists());
}

TEST(BarHook, DesignModeTakesNoWindowsHook) {
  RegisterHookCallback(ProcA, HookCodes(hpWindowDestroy), true);
  EXPECT_EQ(1, RegisteredHookCallbackCount());
  EXPECT_EQ((HookCounts{0, 0, 0}), Installed());
  // Another user's hook is not given back by the design-mode registration.
  RegisterHookCallback(ProcB, HookCodes(hpWindowDestroy));
  UnregisterHookCallback(ProcA);
  EXPECT_EQ((HookCounts{0, 1, 0}), Counts());
  EXPECT_EQ((HookCounts{0, 1, 0}), Installed());
  UnregisterHookCallback(ProcB);
  EXPECT_EQ((HookCounts{0, 0, 0}), Counts());
  EXPECT_FALSE(HookRegistrationListExists());
}

TEST(BarHook, CallbacksMayUnregisterDuringDispatch) {
  RegisterHookCallback(ProcSelf, HookCodes(hpWindowDestroy));
  RegisterHookCallback(ProcA, HookCodes(hpWindowDestroy));
  HWND window = MakeWindow();
  DestroyWindow(window);
  EXPECT_EQ((std::vector<std::string>{"S:2", "list", "A:2"}), g_calls);
  EXPECT_EQ(1, RegisteredHookCallbackCount());

  // One removed before its turn is not called.
  RegisterHookCallback(ProcRemovesLater, HookCodes(hpWindowDestroy));
  RegisterHookCallback(ProcLater, HookCodes(hpWindowDestroy));
  window = MakeWindow();
  DestroyWindow(window);
  EXPECT_EQ((std::vector<std::string>{"A:2", "R:2"}), g_calls);
  UnregisterHookCallback(ProcRemovesLater);
  UnregisterHookCallback(ProcA);
  EXPECT_FALSE(HookRegistrationListExists());

  // The last callback leaving during dispatch: its hook goes at once, the list after the walk.
  RegisterHookCallback(ProcSelf, HookCodes(hpWindowDestroy));
  window = MakeWindow();
  DestroyWindow(window);
  EXPECT_EQ((std::vector<std::string>{"S:2", "list"}), g_calls);
  EXPECT_FALSE(WindowsHookInstalled(TWindowsHook::Cbt));
  EXPECT_FALSE(HookRegistrationListExists());
  // The hook really is gone: nothing hears a further destruction.
  window = MakeWindow();
  DestroyWindow(window);
  EXPECT_TRUE(g_calls.empty());
}

TEST(BarHook, AFailingCallbackIsSkipped) {
  RegisterHookCallback(ProcThrows, HookCodes(hpWindowDestroy));
  RegisterHookCallback(ProcA, HookCodes(hpWindowDestroy));
  HWND window = MakeWindow();
  EXPECT_TRUE(DestroyWindow(window));
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ((std::vector<std::string>{"X:2", "A:2"}), g_calls);
  UnregisterHookCallback(ProcThrows);
  UnregisterHookCallback(ProcA);
  EXPECT_FALSE(HookRegistrationListExists());
}

}  // namespace
}  // namespace movra::bars
