#pragma once
// Three Windows hooks of the user-interface thread, shared by any number of framework objects
// that want to hear about application activation, window moves, window destruction and
// messages taken from the queue. Each hook is installed while someone needs it.
#include <windows.h>

namespace movra::bars {

enum THookProcCode : unsigned {
  hpAppActivate = 0,       // WM_ACTIVATEAPP reached a window procedure (window, wParam, lParam)
  hpWindowPosChanged = 1,  // WM_WINDOWPOSCHANGED reached a window procedure (window, wParam, lParam)
  hpWindowDestroy = 2,     // the window is about to be destroyed (window, 0, 0)
  hpGetMessage = 3,        // a message was retrieved (0, removal flag, the MSG record)
};

// A set of THookProcCode, one bit each.
using THookProcCodes = unsigned;
constexpr THookProcCodes HookCodes(THookProcCode code) { return 1u << code; }
template <class... Codes>
constexpr THookProcCodes HookCodes(THookProcCode code, Codes... more) {
  return HookCodes(code) | HookCodes(more...);
}

using THookProc = void (*)(THookProcCode code, HWND window, WPARAM wParam, LPARAM lParam);

// Registers `proc` for `codes`, or counts one more registration when it is known already (its
// codes then stay as they were). Unless `designMode`, the Windows hooks the codes need are
// taken (and installed for this thread when nobody had them).
void RegisterHookCallback(THookProc proc, THookProcCodes codes, bool designMode = false);
// One registration fewer; the callback is forgotten at the last one. Each Windows hook its
// codes need loses one use and is removed at the last.
void UnregisterHookCallback(THookProc proc);

// What the hooks look like now, for diagnosis.
enum class TWindowsHook { CallWndProc, Cbt, GetMessage };
bool WindowsHookInstalled(TWindowsHook hook);
int WindowsHookUseCount(TWindowsHook hook);
// The number of callbacks registered (0 when the list is freed).
int RegisteredHookCallbackCount();
// False before the first registration and after the list was freed.
bool HookRegistrationListExists();

}  // namespace movra::bars
