#include "toolbars/bar_hook.h"

#include <memory>
#include <vector>

namespace movra::bars {

namespace {

struct TRegistration {
  THookProc Proc;
  int RefCount;
  THookProcCodes Codes;
  // Registrations that took Windows hooks; design-mode ones take none, so they give none back.
  int HookRefs;
};

struct THookState {
  HHOOK Handle = nullptr;
  int UseCount = 0;
};

LRESULT CALLBACK CallWndProcHook(int code, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK CbtHook(int code, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK GetMessageHook(int code, WPARAM wParam, LPARAM lParam);

struct THookKind {
  int Id;
  HOOKPROC Proc;
};
constexpr THookKind kHookKinds[3] = {
    {WH_CALLWNDPROC, CallWndProcHook}, {WH_CBT, CbtHook}, {WH_GETMESSAGE, GetMessageHook}};

// Which Windows hooks a set of codes needs: bit 0 call-window-procedure, 1 CBT, 2 get-message.
unsigned HooksFor(THookProcCodes codes) {
  unsigned hooks = 0;
  if (codes & HookCodes(hpAppActivate, hpWindowPosChanged)) hooks |= 1;
  if (codes & HookCodes(hpWindowDestroy)) hooks |= 2;
  if (codes & HookCodes(hpGetMessage)) hooks |= 4;
  return hooks;
}

struct TModule {
  std::unique_ptr<std::vector<TRegistration>> List;
  THookState Hooks[3];
  // Nesting of hook dispatches: the list is freed only when no dispatch walks it.
  int Dispatching = 0;

  ~TModule() {
    for (THookState& hook : Hooks)
      if (hook.Handle) UnhookWindowsHookEx(hook.Handle);
    List.reset();
  }

  TRegistration* Find(THookProc proc) {
    if (List)
      for (TRegistration& r : *List)
        if (r.Proc == proc) return &r;
    return nullptr;
  }

  void TakeHooks(unsigned hooks) {
    for (int i = 0; i < 3; ++i) {
      if (!(hooks & (1u << i))) continue;
      THookState& hook = Hooks[i];
      ++hook.UseCount;
      if (!hook.Handle)
        hook.Handle = SetWindowsHookExW(kHookKinds[i].Id, kHookKinds[i].Proc, nullptr, GetCurrentThreadId());
    }
  }

  void ReleaseHooks(unsigned hooks) {
    for (int i = 0; i < 3; ++i) {
      if (!(hooks & (1u << i))) continue;
      THookState& hook = Hooks[i];
      if (hook.UseCount > 0) --hook.UseCount;
      if (hook.UseCount == 0 && hook.Handle) {
        UnhookWindowsHookEx(hook.Handle);
        hook.Handle = nullptr;
      }
    }
  }

  void FreeListWhenEmpty() {
    if (List && List->empty() && Dispatching == 0) List.reset();
  }

  // Calls the callbacks registered for `code` in registration order. The walk goes over a
  // copy, because a callback may register or unregister callbacks (itself included); one
  // unregistered before its turn is not called any more.
  void Dispatch(THookProcCode code, HWND window, WPARAM wParam, LPARAM lParam) {
    if (!List) return;
    const THookProcCodes bit = HookCodes(code);
    std::vector<THookProc> targets;
    for (const TRegistration& r : *List)
      if (r.Codes & bit) targets.push_back(r.Proc);
    if (targets.empty()) return;
    ++Dispatching;
    for (THookProc proc : targets) {
      const TRegistration* live = Find(proc);
      if (!live || !(live->Codes & bit)) continue;
      try {
        proc(code, window, wParam, lParam);
      } catch (...) {
        // A failing callback must not keep the others or the hook chain from running.
      }
    }
    --Dispatching;
    FreeListWhenEmpty();
  }
};

TModule& Module() {
  static TModule module;
  return module;
}

LRESULT CALLBACK CallWndProcHook(int code, WPARAM wParam, LPARAM lParam) {
  HHOOK self = Module().Hooks[0].Handle;
  if (code == HC_ACTION) {
    const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (call->message == WM_ACTIVATEAPP)
      Module().Dispatch(hpAppActivate, call->hwnd, call->wParam, call->lParam);
    else if (call->message == WM_WINDOWPOSCHANGED)
      Module().Dispatch(hpWindowPosChanged, call->hwnd, call->wParam, call->lParam);
  }
  return CallNextHookEx(self, code, wParam, lParam);
}

LRESULT CALLBACK CbtHook(int code, WPARAM wParam, LPARAM lParam) {
  HHOOK self = Module().Hooks[1].Handle;
  if (code == HCBT_DESTROYWND) Module().Dispatch(hpWindowDestroy, reinterpret_cast<HWND>(wParam), 0, 0);
  return CallNextHookEx(self, code, wParam, lParam);
}

LRESULT CALLBACK GetMessageHook(int code, WPARAM wParam, LPARAM lParam) {
  HHOOK self = Module().Hooks[2].Handle;
  if (code == HC_ACTION) Module().Dispatch(hpGetMessage, nullptr, wParam, lParam);
  return CallNextHookEx(self, code, wParam, lParam);
}

}  // namespace

void RegisterHookCallback(THookProc proc, THookProcCodes codes, bool designMode) {
  if (!proc) return;
  TModule& m = Module();
  TRegistration* entry = m.Find(proc);
  if (entry) {
    ++entry->RefCount;
  } else {
    if (!m.List) m.List = std::make_unique<std::vector<TRegistration>>();
    m.List->push_back({proc, 1, codes, 0});
    entry = &m.List->back();
  }
  if (designMode) return;
  ++entry->HookRefs;
  m.TakeHooks(HooksFor(entry->Codes));
}

void UnregisterHookCallback(THookProc proc) {
  TModule& m = Module();
  TRegistration* entry = m.Find(proc);
  if (!entry) return;
  const unsigned hooks = HooksFor(entry->Codes);
  const bool tookHooks = entry->HookRefs > 0;
  if (tookHooks) --entry->HookRefs;
  if (--entry->RefCount == 0) {
    for (auto it = m.List->begin(); it != m.List->end(); ++it)
      if (it->Proc == proc) {
        m.List->erase(it);
        break;
      }
  }
  if (tookHooks) m.ReleaseHooks(hooks);
  m.FreeListWhenEmpty();
}

bool WindowsHookInstalled(TWindowsHook hook) { return Module().Hooks[static_cast<int>(hook)].Handle != nullptr; }

int WindowsHookUseCount(TWindowsHook hook) { return Module().Hooks[static_cast<int>(hook)].UseCount; }

int RegisteredHookCallbackCount() {
  const TModule& m = Module();
  return m.List ? static_cast<int>(m.List->size()) : 0;
}

bool HookRegistrationListExists() { return Module().List != nullptr; }

}  // namespace movra::bars
