// A toolbar's keyboard: accelerators (Alt+letter, F10, Alt alone), the shortcut registry shared
// by every toolbar that processes shortcuts, and the menu bar's get-message hook.
#include <algorithm>

#include "toolbars/bar_common.h"
#include "toolbars/bar_hook.h"
#include "toolbars/bar_toolbar.h"

namespace movra::bars {

using namespace movra::ui;

// --- Opening from the keyboard ---------------------------------------------------------------

bool TBarCustomToolbar::KeyboardOpen(char32_t key, bool requirePrimary) {
  if (!view_) return false;
  view_->UpdateKeyboardCues(true);
  if (key == 0) {
    TBarItemViewer* first = view_->FirstSelectable();
    if (!first) {
      view_->UpdateKeyboardCues(false);
      return false;
    }
    view_->SetSelected(first, false);
    view_->EnterToolbarLoop(0);
    return true;
  }
  bool unique = false;
  TBarItemViewer* viewer = view_->FindAccelViewer(nullptr, key, unique, requirePrimary);
  if (!viewer || !viewer->Item()->Enabled() || (!unique && !menuBar_)) {
    view_->UpdateKeyboardCues(false);
    return false;
  }
  view_->SetSelected(viewer, false);
  // A key that names one item runs or opens it at once; a shared one only moves there.
  view_->EnterToolbarLoop(unique ? tloExecuteSelected : 0);
  return true;
}

bool TBarCustomToolbar::DialogChar(char32_t key) {
  if (menuBar_ || key == 0 || !Enabled() || !Showing()) return false;
  return KeyboardOpen(key, true);
}

void TBarCustomToolbar::AltPressed() {
  if (menuBar_ && view_) view_->UpdateKeyboardCues(true);
}

bool TBarCustomToolbar::HandleSysCommand(TMessage& m) {
  if ((m.WParam & 0xFFF0) != SC_KEYMENU || !menuBar_ || !Enabled() || !Showing() || GetCapture()) return false;
  // The character comes as UTF-16; the captions it is compared with are Unicode too.
  const char32_t key = static_cast<char32_t>(LOWORD(m.LParam));
  if (key == U' ' || (key >= 0xD800 && key <= 0xDFFF)) return false;
  if (KeyboardOpen(key, false)) return true;
  // Alt+- is left to the window it was typed in (a child window's system menu).
  if (key == U'-') return false;
  MessageBeep(0);
  return true;
}

bool TBarCustomToolbar::HandleShortCutKey(WPARAM keyCode, LPARAM keyData) {
  if (OnShortCut) {
    bool handled = false;
    OnShortCut(this, keyCode, keyData, handled);
    return handled;
  }
  return rootItem_ && rootItem_->HandleShortCut(keyCode, keyData);
}

// --- The shortcut registry -------------------------------------------------------------------

namespace {

std::vector<TBarCustomToolbar*>& Registered() {
  static auto* list = new std::vector<TBarCustomToolbar*>;
  return *list;
}
bool hookInstalled = false;

void ApplicationHook(TMessage& m, bool& handled);

bool FormTakesShortCut(TCustomForm* form, WPARAM keyCode, LPARAM keyData) {
  if (!form || !form->HandleAllocated() || !IsWindowEnabled(form->Handle())) return false;
  const bool altAlone = keyCode == VK_MENU && !(keyData & 0x40000000);
  for (TBarCustomToolbar* toolbar : std::vector<TBarCustomToolbar*>(Registered())) {
    if (std::find(Registered().begin(), Registered().end(), toolbar) == Registered().end()) continue;
    if (toolbar->TopForm() != form) continue;
    if (altAlone) {
      toolbar->AltPressed();
      continue;
    }
    if (toolbar->HandleShortCutKey(keyCode, keyData)) return true;
  }
  return false;
}

bool SendSysCommandTo(TWinControl* parent, TMessage& m) {
  for (int i = 0; i < parent->ControlCount(); ++i) {
    auto* control = dynamic_cast<TWinControl*>(parent->Controls(i));
    if (!control || !control->Visible() || !control->Enabled()) continue;
    if (dynamic_cast<TBarDock*>(control) || dynamic_cast<TBarCustomToolbar*>(control)) {
      if (control->Perform(m.Msg, m.WParam, m.LParam) != 0) return true;
    }
    if (SendSysCommandTo(control, m)) return true;
  }
  return false;
}

}  // namespace

void RegisterShortCutToolbar(TBarCustomToolbar* toolbar) {
  std::vector<TBarCustomToolbar*>& list = Registered();
  if (std::find(list.begin(), list.end(), toolbar) != list.end()) return;
  if (list.empty() && !hookInstalled) {
    Application().HookMainWindow(TWindowHook(&ApplicationHook));
    hookInstalled = true;
  }
  list.push_back(toolbar);
}

void UnregisterShortCutToolbar(TBarCustomToolbar* toolbar) {
  std::vector<TBarCustomToolbar*>& list = Registered();
  std::erase(list, toolbar);
  if (list.empty() && hookInstalled) {
    Application().UnhookMainWindow(TWindowHook(&ApplicationHook));
    hookInstalled = false;
  }
}

const std::vector<TBarCustomToolbar*>& ShortCutToolbars() { return Registered(); }
bool ShortCutHookInstalled() { return hookInstalled; }

bool ProcessShortCutKeyDown(WPARAM keyCode, LPARAM keyData) {
  if (Registered().empty()) return false;
  TCustomForm* active = Screen().ActiveForm();
  if (FormTakesShortCut(active, keyCode, keyData)) return true;
  TCustomForm* main = Application().MainForm();
  return main != active && FormTakesShortCut(main, keyCode, keyData);
}

bool ProcessSysCommandNotice(TMessage& m) {
  TCustomForm* form = Screen().ActiveForm();
  if (!form) return false;
  return SendSysCommandTo(form, m);
}

namespace {

void ApplicationHook(TMessage& m, bool& handled) {
  bool taken = false;
  if (m.Msg == CM_APPKEYDOWN)
    taken = ProcessShortCutKeyDown(m.WParam, m.LParam);
  else if (m.Msg == CM_APPSYSCOMMAND && m.LParam)
    taken = ProcessSysCommandNotice(*reinterpret_cast<TMessage*>(m.LParam));
  if (!taken) return;
  m.Result = 1;
  handled = true;
}

}  // namespace

// --- The menu bar's get-message hook ---------------------------------------------------------

void MenuBarGetMessageHook(THookProcCode code, HWND, WPARAM, LPARAM lParam) {
  if (code != hpGetMessage || !lParam) return;
  MSG* msg = reinterpret_cast<MSG*>(lParam);
  if (msg->message != WM_SYSCHAR) return;
  TCustomForm* main = Application().MainForm();
  if (!main || !main->HandleAllocated() || GetCapture()) return;
  HWND client = FindWindowExW(main->Handle(), nullptr, L"MDICLIENT", nullptr);
  if (!client) return;
  // Alt+letter in the MDI client, or Alt+- in one of its children, belongs to the menu bar.
  if (msg->hwnd == client || (msg->wParam == '-' && GetParent(msg->hwnd) == client)) msg->hwnd = main->Handle();
}

}  // namespace movra::bars
