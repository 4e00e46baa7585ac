#include "runtime/ui/forms.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <functional>

#include "runtime/text.h"
#include "runtime/ui/actions.h"
#include "runtime/ui/menus.h"
#include "runtime/ui/stdctrls.h"

namespace movra::ui {

// --- TCustomForm -----------------------------------------------------------------------------

TCustomForm::TCustomForm(TComponent* owner) : TWinControl(owner) {
  visible_ = false;
  parentColor_ = false;
  parentFont_ = false;
  color_ = clBtnFace;
  width_ = 320;
  height_ = 240;
  Screen().AddForm(this);
}

TCustomForm::~TCustomForm() {
  TCustomForm::BeforeDestruction();
  Screen().RemoveForm(this);
}

void TCustomForm::BeforeDestruction() {
  if (!IsDestroying()) {
    Destroying();
    if (OnDestroy) {
      try {
        OnDestroy(this);
      } catch (...) {
        Application().HandleException(this);
      }
    }
  }
  if (Application().MainForm() == this) Application().SetMainForm(nullptr);
  TWinControl::BeforeDestruction();
}

void TCustomForm::Loaded() {
  TWinControl::Loaded();
  Realign();
  if (!created_) {
    created_ = true;
    DoCreate();
  }
}

void TCustomForm::DoCreate() {
  if (OnCreate) OnCreate(this);
}

void TCustomForm::SetBorderStyle(TFormBorderStyle style) {
  if (style == borderStyle_) return;
  borderStyle_ = style;
  RecreateWnd();
}

void TCustomForm::SetBorderIcons(unsigned icons) {
  if (icons == borderIcons_) return;
  borderIcons_ = icons;
  RecreateWnd();
}

void TCustomForm::SetFormStyle(TFormStyle style) {
  formStyle_ = style;
  if (handle_)
    SetWindowPos(handle_, style == TFormStyle::fsStayOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TCustomForm::SetIcon(HICON icon) {
  icon_ = icon;
  if (handle_) {
    SendMessageW(handle_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    SendMessageW(handle_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
  }
}

TWindowState TCustomForm::WindowState() const {
  if (handle_ && IsWindowVisible(handle_)) {
    if (IsIconic(handle_)) return TWindowState::wsMinimized;
    if (IsZoomed(handle_)) return TWindowState::wsMaximized;
    return TWindowState::wsNormal;
  }
  return windowState_;
}

void TCustomForm::SetWindowState(TWindowState state) {
  windowState_ = state;
  if (!handle_ || !IsWindowVisible(handle_)) return;
  ShowWindow(handle_, state == TWindowState::wsMinimized   ? SW_MINIMIZE
                      : state == TWindowState::wsMaximized ? SW_MAXIMIZE
                                                           : SW_RESTORE);
}

void TCustomForm::SetMenu(TMainMenu* menu) {
  if (menu_) menu_->RemoveFreeNotification(this);
  menu_ = menu;
  if (menu) menu->FreeNotification(this);
  MenuChanged();
}

void TCustomForm::MenuChanged() {
  if (!handle_) return;
  ::SetMenu(handle_, menu_ ? menu_->Handle() : nullptr);
  DrawMenuBar(handle_);
  Realign();
}

void TCustomForm::Notification(TComponent* component, TOperation operation) {
  TWinControl::Notification(component, operation);
  if (operation != TOperation::opRemove) return;
  if (component == menu_) {
    menu_ = nullptr;
    if (handle_ && !IsDestroying()) ::SetMenu(handle_, nullptr);
  }
  if (component == activeControl_) activeControl_ = nullptr;
}

void TCustomForm::SetActiveControl(TWinControl* control) {
  activeControl_ = control;
  ShowDefaultButton(control);
  if (control && active_ && control->CanFocus() && !control->Focused()) control->SetFocus();
}

void TCustomForm::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.Style &= ~(WS_CHILD | WS_VISIBLE | WS_TABSTOP);
  params.Style |= WS_CLIPCHILDREN;
  params.ExStyle |= WS_EX_CONTROLPARENT;
  unsigned icons = borderIcons_;
  switch (borderStyle_) {
    case TFormBorderStyle::bsNone:
      params.Style |= WS_POPUP;
      icons = 0;
      break;
    case TFormBorderStyle::bsSingle:
    case TFormBorderStyle::bsToolWindow:
      params.Style |= WS_CAPTION | WS_BORDER;
      break;
    case TFormBorderStyle::bsSizeable:
    case TFormBorderStyle::bsSizeToolWin:
      params.Style |= WS_CAPTION | WS_THICKFRAME;
      break;
    case TFormBorderStyle::bsDialog:
      params.Style |= WS_POPUP | WS_CAPTION | DS_MODALFRAME;
      params.ExStyle |= WS_EX_DLGMODALFRAME;
      icons &= biSystemMenu;
      break;
  }
  if (borderStyle_ == TFormBorderStyle::bsToolWindow || borderStyle_ == TFormBorderStyle::bsSizeToolWin) {
    params.ExStyle |= WS_EX_TOOLWINDOW;
    icons &= biSystemMenu;
  }
  if (icons & biSystemMenu) params.Style |= WS_SYSMENU;
  if (icons & biMinimize) params.Style |= WS_MINIMIZEBOX;
  if (icons & biMaximize) params.Style |= WS_MAXIMIZEBOX;
  if (formStyle_ == TFormStyle::fsStayOnTop) params.ExStyle |= WS_EX_TOPMOST;
  params.WndParent = nullptr;
  TCustomForm* main = Application().MainForm();
  if (main == this || !main) {
    params.ExStyle |= WS_EX_APPWINDOW;
  } else if (main->HandleAllocated()) {
    params.WndParent = main->Handle();
  } else {
    params.WndParent = Application().Handle();
  }
  params.Menu = menu_ ? menu_->Handle() : nullptr;
}

void TCustomForm::CreateWnd() {
  TWinControl::CreateWnd();
  if (icon_) SetIcon(icon_);
}

void TCustomForm::PlaceWindow() {
  if (placed_) return;
  placed_ = true;
  RECT area = Screen().WorkAreaRect();
  TCustomForm* main = Application().MainForm();
  switch (position_) {
    case TPosition::poScreenCenter:
      SetBounds(area.left + (area.right - area.left - width_) / 2, area.top + (area.bottom - area.top - height_) / 2,
                width_, height_);
      break;
    case TPosition::poMainFormCenter:
    case TPosition::poOwnerFormCenter: {
      auto* ownerForm = position_ == TPosition::poOwnerFormCenter ? dynamic_cast<TCustomForm*>(Owner()) : main;
      if (!ownerForm || ownerForm == this) ownerForm = main;
      if (ownerForm && ownerForm != this)
        SetBounds(ownerForm->Left() + (ownerForm->Width() - width_) / 2,
                  ownerForm->Top() + (ownerForm->Height() - height_) / 2, width_, height_);
      break;
    }
    default:
      break;
  }
}

void TCustomForm::VisibleChanged() {
  if (visible_) {
    PlaceWindow();
    HandleNeeded();
    int cmd = windowState_ == TWindowState::wsMinimized   ? SW_SHOWMINIMIZED
              : windowState_ == TWindowState::wsMaximized ? SW_SHOWMAXIMIZED
                                                          : SW_SHOWNORMAL;
    ShowWindow(handle_, cmd);
    UpdateShowing();
    FocusActiveControl(true);
    if (OnShow) OnShow(this);
  } else if (handle_) {
    ShowWindow(handle_, SW_HIDE);
    UpdateShowing();
    if (OnHide) OnHide(this);
  }
}

void TCustomForm::Show() {
  SetVisible(true);
  if (handle_) {
    BringWindowToTop(handle_);
    SetForegroundWindow(handle_);
  }
}

bool TCustomForm::CloseQuery() {
  bool canClose = true;
  if (OnCloseQuery) OnCloseQuery(this, canClose);
  return canClose;
}

void TCustomForm::DoClose(TCloseAction& action) {
  if (OnClose) OnClose(this, action);
}

void TCustomForm::Close() {
  if (modal_) {
    modalResult_ = mrCancel;
    return;
  }
  if (!CloseQuery()) return;
  TCloseAction action = Application().MainForm() == this ? TCloseAction::caFree : TCloseAction::caHide;
  DoClose(action);
  switch (action) {
    case TCloseAction::caNone:
      break;
    case TCloseAction::caHide:
      Hide();
      break;
    case TCloseAction::caMinimize:
      SetWindowState(TWindowState::wsMinimized);
      break;
    case TCloseAction::caFree:
      if (Application().MainForm() == this)
        Application().Terminate();
      else
        Release();
      break;
  }
}

void TCustomForm::Release() {
  if (handle_)
    PostMessageW(handle_, CM_RELEASE, 0, 0);
  else
    Free(this);
}

namespace {

struct DisabledWindows {
  HWND except;
  std::vector<HWND> windows;
};

BOOL CALLBACK DisableOne(HWND window, LPARAM param) {
  auto* state = reinterpret_cast<DisabledWindows*>(param);
  if (window != state->except && IsWindowVisible(window) && IsWindowEnabled(window)) {
    EnableWindow(window, FALSE);
    state->windows.push_back(window);
  }
  return TRUE;
}

bool OwnedBy(HWND window, HWND owner) {
  for (HWND w = GetWindow(window, GW_OWNER); w; w = GetWindow(w, GW_OWNER))
    if (w == owner) return true;
  return false;
}

bool IsToolWindow(HWND window) { return GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW; }

HWND FrontOwnedWindow(HWND owner);

// A floating toolbar or panel is owned by the form too, yet never what the form hands its
// activation to; nor is a disabled window with no dialog of its own to hand it on to.
bool StandsFor(HWND window, HWND owner) {
  return IsWindowVisible(window) && OwnedBy(window, owner) && !IsToolWindow(window) &&
         (IsWindowEnabled(window) || FrontOwnedWindow(window));
}

// The window owned by `owner` that could take its activation and lies in front of the others.
HWND FrontOwnedWindow(HWND owner) {
  for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT))
    if (StandsFor(w, owner)) return w;
  return nullptr;
}

}  // namespace

HWND ActivationTarget(HWND window) {
  // Each step goes one dialog further; a chain of owners is short.
  for (int depth = 0; window && IsWindow(window) && depth < 16; ++depth) {
    if (IsWindowEnabled(window)) return window;
    HWND popup = GetLastActivePopup(window);
    if (popup == window || !StandsFor(popup, window)) popup = FrontOwnedWindow(window);
    window = popup;
  }
  return nullptr;
}

HWND DialogOwner() {
  HWND owner = GetActiveWindow();
  if (!owner || owner == Application().Handle() || !IsWindowVisible(owner) || IsToolWindow(owner)) {
    TCustomForm* main = Application().MainForm();
    owner = main && main->HandleAllocated() ? main->Handle() : nullptr;
  }
  if (HWND target = ActivationTarget(owner)) owner = target;
  return owner;
}

TModalResult TCustomForm::ShowModal() {
  if (visible_ || !enabled_ || modal_) throw Exception("Cannot make a visible window modal");
  if (GetCapture()) ReleaseCapture();
  HWND previous = GetActiveWindow();
  DisabledWindows disabled{nullptr, {}};
  HWND ownerBefore = nullptr;
  bool ownerChanged = false;
  modal_ = true;
  modalResult_ = mrNone;
  auto finish = [&] {
    for (HWND w : disabled.windows)
      if (IsWindow(w)) EnableWindow(w, TRUE);
    if (handle_) SetWindowPos(handle_, nullptr, 0, 0, 0, 0, SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    // The form outlives its owner of this time: an owner's end would take the window along.
    if (ownerChanged && handle_)
      SetWindowLongPtrW(handle_, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(IsWindow(ownerBefore) ? ownerBefore : nullptr));
    visible_ = false;
    if (handle_) UpdateShowing();
    modal_ = false;
    if (previous && IsWindow(previous)) SetActiveWindow(previous);
  };
  try {
    HandleNeeded();
    // Owned by the window it goes over, it is the one that window hands its activation to; the
    // system keeps it above its owner too (Wine not when the owner itself is activated).
    HWND owner = DialogOwner();
    ownerBefore = GetWindow(handle_, GW_OWNER);
    if (owner && owner != handle_ && owner != ownerBefore && !OwnedBy(owner, handle_)) {
      SetWindowLongPtrW(handle_, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
      ownerChanged = true;
    }
    disabled.except = handle_;
    EnumThreadWindows(GetCurrentThreadId(), DisableOne, reinterpret_cast<LPARAM>(&disabled));
    Show();
    do {
      Application().HandleMessage();
      if (Application().Terminated()) {
        modalResult_ = mrCancel;
      } else if (modalResult_ != mrNone) {
        TCloseAction action = TCloseAction::caHide;
        if (!CloseQuery()) {
          modalResult_ = mrNone;
        } else {
          DoClose(action);
          if (action == TCloseAction::caNone) modalResult_ = mrNone;
        }
      }
    } while (modalResult_ == mrNone);
  } catch (...) {
    finish();
    throw;
  }
  finish();
  if (OnHide) OnHide(this);
  return modalResult_;
}

bool TCustomForm::IsShortCut(uint16_t shortcut) {
  if (menu_ && menu_->IsShortCut(shortcut)) return true;
  for (int i = 0; i < ComponentCount(); ++i)
    if (auto* list = dynamic_cast<TCustomActionList*>(Components(i)); list && list->IsShortCut(shortcut)) return true;
  return false;
}

namespace {

// Every visible action client under `parent`; a hidden control hides its children too.
void UpdateActionClients(TWinControl* parent) {
  for (int i = 0; i < parent->ControlCount(); ++i) {
    TControl* child = parent->Controls(i);
    if (!child->Visible()) continue;
    if (child->ControlStyle() & csActionClient) child->InitiateAction();
    if (auto* win = dynamic_cast<TWinControl*>(child)) UpdateActionClients(win);
  }
}

}  // namespace

void TCustomForm::UpdateActions() {
  for (int i = 0; i < ComponentCount(); ++i)
    if (auto* list = dynamic_cast<TCustomActionList*>(Components(i))) list->UpdateAll();
  UpdateActionClients(this);
}

namespace {

// Every window control under `root`, depth first, until `visit` answers true; that one is
// returned.
TWinControl* FindWinControl(const TWinControl* root, const std::function<bool(TWinControl&)>& visit) {
  std::vector<const TWinControl*> pending{root};
  while (!pending.empty()) {
    const TWinControl* c = pending.back();
    pending.pop_back();
    for (int i = 0; i < c->ControlCount(); ++i) {
      auto* child = dynamic_cast<TWinControl*>(c->Controls(i));
      if (!child) continue;
      if (visit(*child)) return child;
      pending.push_back(child);
    }
  }
  return nullptr;
}

}  // namespace

// Enter presses the button that shows the default frame (the system's dialog navigation asks the
// focused button for it): a button with the focus shows it, and any other control leaves it to
// the form's Default button, so Enter on a focused Cancel cancels.
void TCustomForm::ShowDefaultButton(TWinControl* focused) {
  const bool onButton = dynamic_cast<TButton*>(focused) != nullptr;
  FindWinControl(this, [&](TWinControl& control) {
    if (auto* button = dynamic_cast<TButton*>(&control))
      button->ShowAsDefault(onButton ? button == focused : button->Default());
    return false;
  });
}

TWinControl* TCustomForm::FindButton(bool defaultButton) const {
  return FindWinControl(this, [&](TWinControl& control) {
    auto* button = dynamic_cast<TButton*>(&control);
    return button && button->Showing() && button->Enabled() &&
           (defaultButton ? button->Default() : button->Cancel());
  });
}

// The control that had the focus last takes it again; a form none has had yet gives it to its
// first control in the order Tab walks, since keys typed into the form's own window go nowhere.
// A form that opens gives it as the keyboard does, an edit's text selected.
void TCustomForm::FocusActiveControl(bool opening) {
  HWND target = nullptr;
  if (activeControl_ && activeControl_->CanFocus()) {
    target = activeControl_->Handle();
  } else if (handle_) {
    const HWND focus = GetFocus();
    if (focus && focus != handle_ && IsChild(handle_, focus))
      target = opening ? focus : nullptr;
    else
      target = GetNextDlgTabItem(handle_, nullptr, FALSE);
  }
  if (!target) return;
  if (opening)
    FocusByKeyboard(target);
  else
    ::SetFocus(target);
}

bool TCustomForm::SelectNextTabStop(bool backward) {
  const HWND focus = GetFocus();
  if (!handle_ || !focus || (focus != handle_ && !IsChild(handle_, focus))) return false;
  const HWND next = FindNextTabStop(handle_, focus, backward);
  if (!next) return false;
  FocusByKeyboard(next);
  return true;
}

void TCustomForm::ActivatePopup() {
  if (!handle_ || IsWindowEnabled(handle_)) return;
  HWND target = ActivationTarget(handle_);
  if (target && target != handle_ && IsWindowVisible(target)) SetForegroundWindow(target);
}

void TCustomForm::Activated(bool active) {
  active_ = active;
  if (active) {
    Screen().FormActivated(this);
    FocusActiveControl();
    if (OnActivate) OnActivate(this);
  } else if (OnDeactivate) {
    OnDeactivate(this);
  }
}

void TCustomForm::WndProc(TMessage& m) {
  switch (m.Msg) {
    case WM_CLOSE:
      Close();
      return;
    case CM_RELEASE:
      Free(this);
      return;
    case CM_SHOWINGCHANGED:
      // A form shows itself (with its window state) when it becomes visible.
      return;
    case WM_ACTIVATE:
      DefaultHandler(m);
      // Made active while a dialog keeps it disabled (brought back from the tray, or to the front
      // by another program): the dialog comes up in front of it with the keyboard, once the
      // activation has settled.
      if (LOWORD(m.WParam) != WA_INACTIVE && !IsWindowEnabled(handle_)) PostMessageW(handle_, CM_ACTIVATEPOPUP, 0, 0);
      Activated(LOWORD(m.WParam) != WA_INACTIVE);
      return;
    case CM_ACTIVATEPOPUP:
      if (GetActiveWindow() == handle_) ActivatePopup();
      return;
    case WM_SETCURSOR:
      // A click on a window that a dialog keeps disabled goes to the dialog.
      if (static_cast<short>(LOWORD(m.LParam)) == HTERROR && !IsWindowEnabled(handle_)) {
        const UINT button = HIWORD(m.LParam);
        if (button == WM_LBUTTONDOWN || button == WM_RBUTTONDOWN || button == WM_MBUTTONDOWN) ActivatePopup();
      }
      break;
    case WM_ENABLE:
      // A form kept disabled around a dialog may be made active before it is enabled again,
      // and a disabled form's control cannot take the focus: it takes it now.
      DefaultHandler(m);
      if (m.WParam && GetActiveWindow() == handle_) FocusActiveControl();
      return;
    case WM_SYSCOMMAND:
      // Left to the system, the menu key starts its own menu loop; a menu bar of the
      // application's own may take it first.
      if ((m.WParam & 0xFFF0) == SC_KEYMENU && Application().Handle() &&
          SendMessageW(Application().Handle(), CM_APPSYSCOMMAND, 0, reinterpret_cast<LPARAM>(&m)) != 0) {
        m.Result = 0;
        return;
      }
      break;
    case CM_DIALOGKEY:
      // Tab walks the form's tab stops round, whatever holds them (panels, docks, pages), when
      // no control took it.
      TWinControl::WndProc(m);
      if (m.Result == 0 && m.WParam == VK_TAB && GetKeyState(VK_MENU) >= 0 && SelectNextTabStop(GetKeyState(VK_SHIFT) < 0))
        m.Result = 1;
      return;
    case DM_GETDEFID:
      if (TWinControl* button = FindButton(true)) {
        m.Result = MAKELRESULT(GetDlgCtrlID(button->Handle()), DC_HASDEFID);
        return;
      }
      m.Result = 0;
      return;
    case WM_COMMAND:
      if (m.LParam == 0 || !FindControl(reinterpret_cast<HWND>(m.LParam))) {
        UINT id = LOWORD(m.WParam);
        if (id == IDOK || id == IDCANCEL) {
          if (TWinControl* button = FindButton(id == IDOK)) button->Click();
          return;
        }
        if (m.LParam == 0 && menu_ && menu_->DispatchCommand(id)) return;
      }
      break;
    case WM_SIZE:
      TWinControl::WndProc(m);
      if (m.WParam == SIZE_MINIMIZED) {
        windowState_ = TWindowState::wsMinimized;
        if (Application().MainForm() == this) Application().MainFormMinimized();
      } else {
        bool wasMinimized = windowState_ == TWindowState::wsMinimized;
        windowState_ = m.WParam == SIZE_MAXIMIZED ? TWindowState::wsMaximized : TWindowState::wsNormal;
        if (wasMinimized && Application().MainForm() == this) Application().MainFormRestored();
      }
      return;
    default:
      break;
  }
  TWinControl::WndProc(m);
}

// --- TApplication ----------------------------------------------------------------------------

namespace {
// Set before the application window exists: its first messages arrive while the application
// object is still being constructed.
TApplication* theApplication = nullptr;
}  // namespace

namespace {

constexpr UINT_PTR kHintShowTimer = 0x4801;
constexpr UINT_PTR kHintHideTimer = 0x4802;
constexpr UINT_PTR kHintReshowTimer = 0x4803;

// The layer's control whose window is at `p` on the screen (a system control's inner window
// counts as its owner's), or nullptr.
TWinControl* ControlAtPoint(POINT p) {
  for (HWND window = WindowFromPoint(p); window; window = GetParent(window))
    if (TWinControl* control = FindControl(window)) return control;
  return nullptr;
}

// The control's hint, or the nearest parent's when it has none.
const std::string& HintOf(TControl* control) {
  static const std::string none;
  for (TControl* c = control; c; c = c->Parent())
    if (!c->Hint().empty()) return c->Hint();
  return none;
}

bool IsCancellingHint(UINT msg) {
  switch (msg) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_NCLBUTTONDOWN:
    case WM_NCRBUTTONDOWN:
    case WM_MOUSEWHEEL:
      return true;
    default:
      return false;
  }
}

}  // namespace

LRESULT CALLBACK AppWndProc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam) {
  if (!theApplication || !theApplication->handle_) return DefWindowProcW(window, msg, wparam, lparam);
  TApplication& app = *theApplication;
  try {
    return app.WndProc(msg, wparam, lparam);
  } catch (...) {
    app.HandleException(&app);
    return 0;
  }
}

TApplication::TApplication() : TComponent(nullptr) {
  theApplication = this;
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = AppWndProc;
  wc.hInstance = instance;
  wc.lpszClassName = L"MovraTApplication";
  RegisterClassExW(&wc);
  handle_ = CreateWindowExW(WS_EX_TOOLWINDOW, wc.lpszClassName, L"", WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS |
                            WS_SYSMENU | WS_MINIMIZEBOX, 0, 0, 0, 0, nullptr, nullptr, instance, nullptr);
}

TApplication::~TApplication() { TApplication::BeforeDestruction(); }

void TApplication::BeforeDestruction() {
  TComponent::BeforeDestruction();
  CancelHint();
  if (hintWindow_) {
    DestroyWindow(hintWindow_);
    hintWindow_ = nullptr;
  }
  if (handle_) {
    HWND window = handle_;
    handle_ = nullptr;
    DestroyWindow(window);
  }
}

void TApplication::SetTitle(const std::string& title) {
  title_ = title;
  if (handle_) SetWindowTextW(handle_, Utf8ToWide(title).c_str());
}

LRESULT TApplication::WndProc(UINT msg, WPARAM wparam, LPARAM lparam) {
  TMessage m{msg, wparam, lparam, 0};
  for (const TWindowHook& hook : std::vector<TWindowHook>(hooks_)) {
    bool handled = false;
    hook(m, handled);
    if (handled) return m.Result;
  }
  switch (msg) {
    case CM_SYNCHRONIZE:
      CheckSynchronize();
      return 0;
    case CM_APPKEYDOWN:
    case CM_APPSYSCOMMAND:
      return 0;
    case WM_TIMER:
      switch (wparam) {
        case kHintShowTimer:
        case kHintReshowTimer: {
          KillTimer(handle_, wparam);
          POINT p;
          GetCursorPos(&p);
          // Only while the mouse is still over the control the pause began on.
          if (hintControl_ && ControlAtPoint(p) == hintControl_) ActivateHintFor(hintControl_, p);
          return 0;
        }
        case kHintHideTimer:
          KillTimer(handle_, wparam);
          HideHintWindow();
          return 0;
        default:
          break;
      }
      return DefWindowProcW(handle_, msg, wparam, lparam);
    case WM_ACTIVATEAPP:
      if (!wparam) CancelHint();
      return DefWindowProcW(handle_, msg, wparam, lparam);
    case WM_CLOSE:
      if (mainForm_) mainForm_->Close();
      return 0;
    case WM_ENDSESSION:
      if (wparam) Terminate();
      return 0;
    default:
      return DefWindowProcW(handle_, msg, wparam, lparam);
  }
}

// --- Hints -----------------------------------------------------------------------------------

void TApplication::SetHint(const std::string& hint) {
  if (hint == hint_) return;
  hint_ = hint;
  if (OnHint) OnHint(this);
}

void TApplication::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == TOperation::opRemove && component == hintControl_) {
    hintControl_ = nullptr;
    CancelHint();
  }
}

void TApplication::SetHintControl(TControl* control) {
  if (control == hintControl_) return;
  if (hintControl_) hintControl_->RemoveFreeNotification(this);
  hintControl_ = control;
  if (control) control->FreeNotification(this);
}

void TApplication::StartHintTimer(UINT id, int delayMs) {
  if (handle_) SetTimer(handle_, id, static_cast<UINT>(std::max(delayMs, 1)), nullptr);
}

void TApplication::HintMouseMessage(TControl* control, TMessage& message) {
  if (message.Msg != WM_MOUSEMOVE) {
    CancelHint();
    return;
  }
  if (!control) return;
  const POINT p = control->ClientToScreen({GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam)});
  SetHint(GetLongHint(HintOf(control)));
  if (!ShowHint || !control->ShowHint()) {
    CancelHint();
    return;
  }
  const bool left = hintRectValid_ && !PtInRect(&hintCursorRect_, p);
  if (control == hintControl_ && !left) return;
  // Moving on from a hint that shows brings the next one sooner.
  const int pause = hintShowing_ ? HintShortPause : HintPause;
  HideHintWindow();
  hintRectValid_ = false;
  if (handle_) KillTimer(handle_, kHintReshowTimer);
  SetHintControl(control);
  if (pause <= 0)
    ActivateHintFor(control, p);
  else
    StartHintTimer(kHintShowTimer, pause);
}

void TApplication::ActivateHint(POINT cursorPos) {
  TWinControl* control = ControlAtPoint(cursorPos);
  SetHintControl(control);
  if (control) ActivateHintFor(control, cursorPos);
}

void TApplication::ActivateHintFor(TControl* control, POINT cursorPos) {
  if (handle_) KillTimer(handle_, kHintShowTimer);
  if (!ShowHint || !control->ShowHint()) return;
  THintInfo info;
  info.HintControl = control;
  info.CursorPos = control->ScreenToClient(cursorPos);
  info.CursorRect = control->ClientRect();
  info.HintStr = GetShortHint(HintOf(control));
  // Below the cursor, so that the hint does not cover what it is about.
  info.HintPos = {cursorPos.x, cursorPos.y + GetSystemMetrics(SM_CYCURSOR) / 2 + 4};
  info.HintMaxWidth = Screen().Width();
  info.HideTimeout = HintHidePause;
  bool canShow = control->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info)) == 0;
  if (canShow && OnShowHint) OnShowHint(info.HintStr, canShow, info);
  const POINT corner = control->ClientToScreen({info.CursorRect.left, info.CursorRect.top});
  hintCursorRect_ = {corner.x, corner.y, corner.x + info.CursorRect.right - info.CursorRect.left,
                     corner.y + info.CursorRect.bottom - info.CursorRect.top};
  hintRectValid_ = true;
  if (!canShow || info.HintStr.empty()) {
    HideHintWindow();
    return;
  }
  if (!hintWindow_) {
    InitCommonControlClasses();
    hintWindow_ = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, TOOLTIPS_CLASSW, nullptr,
                                  WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, 0, 0, 0, 0, handle_, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    if (!hintWindow_) return;
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_TRACK | TTF_ABSOLUTE;
    tool.hwnd = handle_;
    tool.uId = 1;
    tool.lpszText = const_cast<wchar_t*>(L"");
    SendMessageW(hintWindow_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  }
  std::wstring text = Utf8ToWide(info.HintStr);
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof(tool);
  tool.hwnd = handle_;
  tool.uId = 1;
  tool.lpszText = text.data();
  SendMessageW(hintWindow_, TTM_SETMAXTIPWIDTH, 0, info.HintMaxWidth);
  SendMessageW(hintWindow_, TTM_SETTIPBKCOLOR, ColorToRGB(info.HintColor), 0);
  SendMessageW(hintWindow_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
  SendMessageW(hintWindow_, TTM_TRACKPOSITION, 0, MAKELPARAM(info.HintPos.x, info.HintPos.y));
  SendMessageW(hintWindow_, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&tool));
  hintShowing_ = true;
  shownHint_ = info.HintStr;
  if (handle_) KillTimer(handle_, kHintHideTimer);
  if (info.HideTimeout > 0) StartHintTimer(kHintHideTimer, info.HideTimeout);
  if (info.ReshowTimeout > 0) StartHintTimer(kHintReshowTimer, info.ReshowTimeout);
}

void TApplication::HideHintWindow() {
  if (hintShowing_ && hintWindow_) {
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.hwnd = handle_;
    tool.uId = 1;
    SendMessageW(hintWindow_, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&tool));
  }
  hintShowing_ = false;
  shownHint_.clear();
  if (handle_) KillTimer(handle_, kHintHideTimer);
}

void TApplication::CancelHint() {
  if (handle_) {
    KillTimer(handle_, kHintShowTimer);
    KillTimer(handle_, kHintReshowTimer);
  }
  HideHintWindow();
  hintRectValid_ = false;
  SetHintControl(nullptr);
}

void TApplication::HookMainWindow(const TWindowHook& hook) { hooks_.push_back(hook); }

void TApplication::UnhookMainWindow(const TWindowHook& hook) {
  auto it = std::find(hooks_.begin(), hooks_.end(), hook);
  if (it != hooks_.end()) hooks_.erase(it);
}

void TApplication::MainFormMinimized() {
  TMessage m{WM_SIZE, SIZE_MINIMIZED, 0, 0};
  for (const TWindowHook& hook : std::vector<TWindowHook>(hooks_)) {
    bool handled = false;
    hook(m, handled);
    if (handled) break;
  }
  if (OnMinimize) OnMinimize(this);
}

void TApplication::MainFormRestored() {
  if (OnRestore) OnRestore(this);
}

void TApplication::Minimize() {
  if (mainForm_ && mainForm_->HandleAllocated()) ShowWindow(mainForm_->Handle(), SW_MINIMIZE);
}

void TApplication::Restore() {
  if (mainForm_ && mainForm_->HandleAllocated() && IsIconic(mainForm_->Handle()))
    ShowWindow(mainForm_->Handle(), SW_RESTORE);
}

void TApplication::BringToFront() {
  if (!mainForm_ || !mainForm_->HandleAllocated()) return;
  HWND window = ActivationTarget(mainForm_->Handle());
  if (window && IsWindowVisible(window)) SetForegroundWindow(window);
}

bool TApplication::IsShortCutMessage(const MSG& msg) {
  if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN) return false;
  // Whoever hooks the application window hears of the key before the form's shortcuts.
  if (handle_ && SendMessageW(handle_, CM_APPKEYDOWN, msg.wParam, msg.lParam) != 0) return true;
  HWND root = GetAncestor(msg.hwnd, GA_ROOT);
  auto* form = dynamic_cast<TCustomForm*>(FindControl(root));
  if (!form || !form->Enabled()) return false;
  TShortCut shortcut = ShortCut(static_cast<uint16_t>(msg.wParam), KeyboardShiftState());
  if (shortcut == 0) return false;
  return form->IsShortCut(shortcut);
}

namespace {

bool IsDialogKey(WPARAM key) {
  switch (key) {
    case VK_TAB:
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
    case VK_RETURN:
    case VK_ESCAPE:
    case VK_EXECUTE:
    case VK_CANCEL:
      return true;
    default:
      return false;
  }
}

// Whether the window the key message is for takes it itself (its dialog code says so).
bool WindowWantsKey(MSG& msg) {
  const LRESULT code = SendMessageW(msg.hwnd, WM_GETDLGCODE, msg.wParam, reinterpret_cast<LPARAM>(&msg));
  if (code & (DLGC_WANTALLKEYS | DLGC_WANTMESSAGE)) return true;
  if (msg.message == WM_CHAR) return code & DLGC_WANTCHARS;
  if (msg.message != WM_KEYDOWN) return false;
  if (msg.wParam == VK_TAB) return code & DLGC_WANTTAB;
  if (msg.wParam >= VK_LEFT && msg.wParam <= VK_DOWN) return code & DLGC_WANTARROWS;
  return false;
}

}  // namespace

bool TApplication::IsDialogKeyMessage(MSG& msg) {
  const UINT kind = msg.message;
  const bool down = kind == WM_KEYDOWN || kind == WM_SYSKEYDOWN;
  const bool pageKey = down && PageTurnOf(msg.wParam) != 0;
  const bool key = down && (pageKey || IsDialogKey(msg.wParam));
  if (!key && kind != WM_SYSCHAR && kind != WM_CHAR) return false;
  auto* form = dynamic_cast<TCustomForm*>(FindControl(GetAncestor(msg.hwnd, GA_ROOT)));
  if (!form || !form->Enabled()) return false;
  // Alt+letter always goes to the controls first (toolbars' accelerators), and so do the keys
  // that turn pages (a combo box would take Ctrl+PgDn, a memo Ctrl+Tab); other keys and
  // characters only when the focused window does not take them.
  if (kind != WM_SYSCHAR && !pageKey && WindowWantsKey(msg)) return false;
  return form->Perform(key ? CM_DIALOGKEY : CM_DIALOGCHAR, msg.wParam, msg.lParam) != 0;
}

bool TApplication::IsDialogMsg(MSG& msg) {
  if (msg.message < WM_KEYFIRST || msg.message > WM_KEYLAST) return false;
  HWND root = GetAncestor(msg.hwnd, GA_ROOT);
  if (!root || !dynamic_cast<TCustomForm*>(FindControl(root))) return false;
  return IsDialogMessageW(root, &msg);
}

bool TApplication::ProcessMessage(MSG& msg) {
  if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
  if (msg.message == WM_QUIT) {
    terminated_ = true;
    return true;
  }
  if (hintControl_ && IsCancellingHint(msg.message)) CancelHint();
  bool handled = false;
  if (OnMessage) OnMessage(msg, handled);
  if (!handled && !IsShortCutMessage(msg) && !IsDialogKeyMessage(msg) && !IsDialogMsg(msg)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return true;
}

void TApplication::ProcessMessages() {
  MSG msg;
  try {
    while (ProcessMessage(msg)) {
    }
  } catch (...) {
    HandleException(this);
  }
  CheckSynchronize();
}

void TApplication::Idle() {
  for (int i = 0; i < Screen().FormCount(); ++i) {
    TCustomForm* form = Screen().Forms(i);
    if (form->Visible()) form->UpdateActions();
  }
  if (OnIdle) OnIdle(this);
}

void TApplication::HandleMessage() {
  MSG msg;
  try {
    if (!ProcessMessage(msg)) {
      Idle();
      if (!CheckSynchronize() && !terminated_) WaitMessage();
    }
  } catch (...) {
    HandleException(this);
  }
}

void TApplication::Run() {
  if (mainForm_ && ShowMainForm) mainForm_->Show();
  while (!terminated_) HandleMessage();
}

void TApplication::Terminate() {
  if (!terminated_) PostQuitMessage(0);
}

void TApplication::HandleException(TObject* sender) {
  try {
    throw;
  } catch (const std::exception& e) {
    if (OnException)
      OnException(sender, e);
    else
      ShowException(e);
  } catch (...) {
    Exception unknown("Unknown error");
    if (OnException)
      OnException(sender, unknown);
    else
      ShowException(unknown);
  }
}

void TApplication::ShowException(const std::exception& error) {
  std::string text = error.what();
  if (!text.empty() && text.back() != '.') text += '.';
  MessageBox(text, title_, MB_OK | MB_ICONSTOP);
}

int TApplication::MessageBox(const std::string& text, const std::string& caption, UINT flags) {
  return ::MessageBoxW(DialogOwner(), Utf8ToWide(text).c_str(), Utf8ToWide(caption.empty() ? title_ : caption).c_str(), flags);
}

TApplication& Application() {
  static TApplication app;
  return app;
}

// --- TScreen ---------------------------------------------------------------------------------

TScreen& Screen() {
  static auto* screen = new TScreen;
  return *screen;
}

void TScreen::AddForm(TCustomForm* form) { forms_.push_back(form); }

void TScreen::RemoveForm(TCustomForm* form) { std::erase(forms_, form); }

void TScreen::FormActivated(TCustomForm* form) {
  auto it = std::find(forms_.begin(), forms_.end(), form);
  if (it == forms_.end()) return;
  forms_.erase(it);
  forms_.insert(forms_.begin(), form);
}

TCustomForm* TScreen::ActiveForm() const {
  for (TCustomForm* form : forms_)
    if (form->Active()) return form;
  return nullptr;
}

int TScreen::MonitorCount() const { return GetSystemMetrics(SM_CMONITORS); }

RECT TScreen::WorkAreaRect() const {
  RECT r{0, 0, Width(), Height()};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0);
  return r;
}

RECT TScreen::DesktopRect() const {
  int x = GetSystemMetrics(SM_XVIRTUALSCREEN), y = GetSystemMetrics(SM_YVIRTUALSCREEN);
  return {x, y, x + GetSystemMetrics(SM_CXVIRTUALSCREEN), y + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

void TScreen::SetCursor(HCURSOR cursor) {
  cursor_ = cursor;
  POINT p;
  GetCursorPos(&p);
  SetCursorPos(p.x, p.y);
}

}  // namespace movra::ui
