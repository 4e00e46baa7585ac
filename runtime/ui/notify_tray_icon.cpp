#include "runtime/ui/notify_tray_icon.h"

#include <algorithm>
#include <map>
#include <vector>

#include "runtime/text.h"
#include "runtime/ui/forms.h"
#include "runtime/ui/menus.h"

namespace movra::ui {

namespace {

UINT RegisterTaskbarCreated() {
  DWORD ignored = 0;
  DWORD size = GetFileVersionInfoSizeW(L"comctl32.dll", &ignored);
  if (!size) return 0;
  std::vector<BYTE> data(size);
  if (!GetFileVersionInfoW(L"comctl32.dll", 0, size, data.data())) return 0;
  VS_FIXEDFILEINFO* info = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&info), &length) || !info) return 0;
  // major * 65536 + minor above 4.70
  if (info->dwFileVersionMS <= 262214) return 0;
  return RegisterWindowMessageW(L"TaskbarCreated");
}

BOOL PlatformShellNotifyIcon(DWORD message, NOTIFYICONDATAW* data) { return Shell_NotifyIconW(message, data); }

TShellNotifyIconFunc shellNotifyIcon = PlatformShellNotifyIcon;

// The handler window and the table of icons by identifier.
struct TTrayIconHandler {
  HWND window = nullptr;
  std::map<UINT, TNotifyTrayIcon*> icons;
  UINT nextId = 1;

  static LRESULT CALLBACK WndProc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam);

  TTrayIconHandler() : window(CreateMessageWindow(L"TTrayIconHandler", WndProc)) {}
  ~TTrayIconHandler() {
    HWND w = window;
    window = nullptr;
    if (w) DestroyWindow(w);
  }
};

std::unique_ptr<TTrayIconHandler>& Handler() {
  static auto* handler = new std::unique_ptr<TTrayIconHandler>;
  return *handler;
}

LRESULT CALLBACK TTrayIconHandler::WndProc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam) {
  switch (msg) {
    case TrayCallbackMessage: {
      if (!Handler()) return 0;
      auto it = Handler()->icons.find(static_cast<UINT>(wparam));
      if (it == Handler()->icons.end()) return 0;
      try {
        it->second->HandleNotification(static_cast<UINT>(lparam));
      } catch (...) {
        Application().HandleException(it->second);
      }
      return 0;
    }
    case WM_DESTROY:
    case WM_CLOSE:
    case WM_QUERYENDSESSION:
    case WM_QUIT:
    case WM_ENDSESSION:
    case WM_NCDESTROY:
      return 1;
    default:
      return DefWindowProcW(window, msg, wparam, lparam);
  }
}

}  // namespace

const UINT TaskbarCreatedMessage = RegisterTaskbarCreated();

TShellNotifyIconFunc SetShellNotifyIconFunction(TShellNotifyIconFunc function) {
  TShellNotifyIconFunc previous = shellNotifyIcon;
  shellNotifyIcon = function ? function : PlatformShellNotifyIcon;
  return previous;
}

HWND TNotifyTrayIcon::HandlerWindow() { return Handler() ? Handler()->window : nullptr; }

TNotifyTrayIcon::TNotifyTrayIcon(TComponent* owner) : TComponent(owner) {
  if (!Handler()) Handler() = std::make_unique<TTrayIconHandler>();
  while (Handler()->icons.count(Handler()->nextId) || Handler()->nextId == 0) ++Handler()->nextId;
  id_ = Handler()->nextId++;
  Handler()->icons[id_] = this;

  icon_.OnChange = TNotifyEvent(this, &TNotifyTrayIcon::IconChanged);
  record_.cbSize = sizeof(record_);
  record_.hWnd = Handler()->window;
  record_.uID = id_;
  record_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  record_.uCallbackMessage = TrayCallbackMessage;
  cycleTimer_ = std::make_unique<TSimpleTimer>(1000, TSimpleTimerEvent(this, &TNotifyTrayIcon::CycleTick));
  clickTimer_ = std::make_unique<TSimpleTimer>(1000, TSimpleTimerEvent(this, &TNotifyTrayIcon::ClickTick));
  exitTimer_ = std::make_unique<TSimpleTimer>(20, TSimpleTimerEvent(this, &TNotifyTrayIcon::ExitTick));

  Application().HookMainWindow(TWindowHook(this, &TNotifyTrayIcon::ApplicationHook));
  if (auto* window = dynamic_cast<TWinControl*>(owner)) {
    subclassed_ = window;
    previousWndProc_ = window->WindowProc;
    window->WindowProc = TWndMethod(this, &TNotifyTrayIcon::OwnerWndProc);
    window->FreeNotification(this);
  }
}

TNotifyTrayIcon::~TNotifyTrayIcon() {
  RemoveIcon();
  cycleTimer_.reset();
  clickTimer_.reset();
  exitTimer_.reset();
  Application().UnhookMainWindow(TWindowHook(this, &TNotifyTrayIcon::ApplicationHook));
  if (subclassed_ && subclassed_->WindowProc == TWndMethod(this, &TNotifyTrayIcon::OwnerWndProc))
    subclassed_->WindowProc = previousWndProc_;
  subclassed_ = nullptr;
  if (Handler()) {
    Handler()->icons.erase(id_);
    if (Handler()->icons.empty()) Handler().reset();
  }
}

void TNotifyTrayIcon::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation != TOperation::opRemove) return;
  if (component == iconList_) SetIconList(nullptr);
  if (component == popupMenu_) popupMenu_ = nullptr;
  if (component == subclassed_) subclassed_ = nullptr;
}

void TNotifyTrayIcon::Loaded() {
  TComponent::Loaded();
  if (subclassed_) {
    bool showMainForm = true;
    if (OnStartup) OnStartup(this, showMainForm);
    if (!showMainForm) {
      Application().ShowMainForm = false;
      HideMainWindow();
    }
  }
  RefreshRecord();
  bool visible = iconVisible_;
  iconVisible_ = false;
  SetIconVisible(visible);
  bool cycle = cycleIcons_;
  cycleIcons_ = false;
  SetCycleIcons(cycle);
  SetWantEnterExitEvents(wantEnterExit_);
  NOTIFYICONDATAW version = record_;
  version.uVersion = behaviour_ == 1 ? 3 : 0;
  shellNotifyIcon(NIM_SETVERSION, &version);
}

// --- Shell calls -----------------------------------------------------------------------------

void TNotifyTrayIcon::RefreshRecord() {
  record_.hIcon = icon_.Handle();
  std::wstring tip;
  if (!hint_.empty() && showHint_) tip = Utf8ToWide(hint_).substr(0, 127);
  std::fill(std::begin(record_.szTip), std::end(record_.szTip), L'\0');
  std::copy(tip.begin(), tip.end(), record_.szTip);
}

void TNotifyTrayIcon::CallShell(DWORD message) {
  RefreshRecord();
  shellNotifyIcon(message, &record_);
}

void TNotifyTrayIcon::AddIcon() {
  iconVisible_ = true;
  CallShell(NIM_ADD);
}

void TNotifyTrayIcon::RemoveIcon() {
  iconVisible_ = false;
  CallShell(NIM_DELETE);
}

void TNotifyTrayIcon::ModifyIcon() { CallShell(NIM_MODIFY); }

void TNotifyTrayIcon::SetIconVisible(bool visible) {
  if (visible)
    AddIcon();
  else
    RemoveIcon();
}

void TNotifyTrayIcon::IconChanged(TObject*) { ModifyIcon(); }

void TNotifyTrayIcon::SetHint(const std::string& hint) {
  if (hint == hint_) return;
  hint_ = hint;
  ModifyIcon();
}

void TNotifyTrayIcon::SetShowHint(bool on) {
  if (on == showHint_) return;
  showHint_ = on;
  ModifyIcon();
}

// --- Images and cycling ----------------------------------------------------------------------

void TNotifyTrayIcon::ShowImage(int index) {
  if (!iconList_ || index < 0 || index >= iconList_->Count()) return;
  // The icon's change event sends the new picture to the shell.
  iconList_->GetIcon(index, icon_);
}

void TNotifyTrayIcon::SetIconList(TCustomImageList* list) {
  if (iconList_) iconList_->RemoveFreeNotification(this);
  iconList_ = list;
  if (list) list->FreeNotification(this);
  SetIconIndex(0);
}

void TNotifyTrayIcon::SetIconIndex(int index) {
  if (!iconList_) {
    iconIndex_ = 0;
    ModifyIcon();
    return;
  }
  iconIndex_ = std::clamp(index, 0, std::max(iconList_->Count() - 1, 0));
  ShowImage(iconIndex_);
  ModifyIcon();
}

void TNotifyTrayIcon::SetCycleIcons(bool on) {
  cycleIcons_ = on;
  if (on) {
    cycleIndex_ = 0;
    cycleTimer_->SetInterval(static_cast<unsigned>(std::max(cycleInterval_, 0)));
    cycleTimer_->SetEnabled(true);
  } else {
    bool wasRunning = cycleTimer_->Enabled();
    cycleTimer_->SetEnabled(false);
    // Stopping the animation shows the icon's own image again.
    if (wasRunning) ShowImage(iconIndex_);
  }
}

void TNotifyTrayIcon::SetCycleInterval(int milliseconds) {
  cycleInterval_ = milliseconds;
  SetCycleIcons(cycleIcons_);
}

void TNotifyTrayIcon::CycleTick(TSimpleTimer*) {
  if (!iconList_ || iconList_->Count() == 0) return;
  if (cycleIndex_ >= iconList_->Count()) cycleIndex_ = 0;
  ShowImage(cycleIndex_);
  int next = cycleIndex_ + 1 >= iconList_->Count() ? 0 : cycleIndex_ + 1;
  CycleIcon(next);
  cycleIndex_ = next;
}

// --- Events ----------------------------------------------------------------------------------

void TNotifyTrayIcon::Click() {
  if (OnClick) OnClick(this);
}
void TNotifyTrayIcon::DblClick() {
  if (OnDblClick) OnDblClick(this);
}
void TNotifyTrayIcon::CycleIcon(int nextIndex) {
  if (OnCycle) OnCycle(this, nextIndex);
}
void TNotifyTrayIcon::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (OnMouseDown) OnMouseDown(this, button, shift, x, y);
}
void TNotifyTrayIcon::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (OnMouseUp) OnMouseUp(this, button, shift, x, y);
}
void TNotifyTrayIcon::MouseMove(TShiftState shift, int x, int y) {
  if (OnMouseMove) OnMouseMove(this, shift, x, y);
}
void TNotifyTrayIcon::MouseEnter() {
  if (OnMouseEnter) OnMouseEnter(this);
}
void TNotifyTrayIcon::MouseExit() {
  if (OnMouseExit) OnMouseExit(this);
}

void TNotifyTrayIcon::SetPopupMenu(TPopupMenu* menu) {
  if (popupMenu_) popupMenu_->RemoveFreeNotification(this);
  popupMenu_ = menu;
  if (menu) menu->FreeNotification(this);
}

void TNotifyTrayIcon::SetWantEnterExitEvents(bool on) {
  wantEnterExit_ = on;
  exitTimer_->SetEnabled(on);
}

void TNotifyTrayIcon::ExitTick(TSimpleTimer*) {
  if (pointerLeft_) return;
  POINT p;
  if (!GetCursorPos(&p)) return;
  if (p.x != lastPointerPos_.x || p.y != lastPointerPos_.y) {
    pointerLeft_ = true;
    MouseExit();
  }
}

void TNotifyTrayIcon::ClickTick(TSimpleTimer*) {
  clickTimer_->SetEnabled(false);
  if (!doubleClicked_ && clickReleased_) {
    clickReleased_ = false;
    Click();
  }
  doubleClicked_ = false;
}

void TNotifyTrayIcon::PopupAtCursor() {
  if (!popupMenu_ || !popupMenu_->AutoPopup) return;
  POINT p;
  if (!GetCursorPos(&p)) return;
  SetForegroundWindow(Application().Handle());
  Application().ProcessMessages();
  if (!popupMenu_) return;
  popupMenu_->PopupComponent = this;
  popupMenu_->Popup(p.x, p.y);
  HWND owner = subclassed_ && subclassed_->HandleAllocated() ? subclassed_->Handle() : Application().Handle();
  PostMessageW(owner, WM_NULL, 0, 0);
  // The menu leaves the hidden application window active: a dialog that is open meanwhile
  // gets the front and the keyboard back.
  TCustomForm* main = Application().MainForm();
  if (GetActiveWindow() == Application().Handle() && main && main->HandleAllocated() && !IsWindowEnabled(main->Handle()))
    Application().BringToFront();
}

void TNotifyTrayIcon::HandleNotification(UINT notification) {
  if (!Enabled) return;
  TShiftState shift = KeyboardShiftState();
  POINT p{};
  GetCursorPos(&p);
  switch (notification) {
    case WM_MOUSEMOVE:
      if (wantEnterExit_ && pointerLeft_) {
        MouseEnter();
        pointerLeft_ = false;
      }
      MouseMove(shift, p.x, p.y);
      lastPointerPos_ = p;
      break;
    case WM_LBUTTONDOWN:
      if (OnDblClick) {
        clickTimer_->SetInterval(GetDoubleClickTime());
        clickTimer_->SetEnabled(true);
      }
      MouseDown(TMouseButton::mbLeft, shift | ssLeft, p.x, p.y);
      clickPending_ = true;
      if (LeftPopup) PopupAtCursor();
      break;
    case WM_LBUTTONUP:
      if (clickPending_) clickReleased_ = true;
      if (clickPending_ && !clickTimer_->Enabled()) {
        clickPending_ = false;
        clickReleased_ = false;
        Click();
      }
      clickPending_ = false;
      MouseUp(TMouseButton::mbLeft, shift | ssLeft, p.x, p.y);
      break;
    case WM_LBUTTONDBLCLK:
      clickReleased_ = false;
      doubleClicked_ = true;
      DblClick();
      if (popupMenu_ && popupMenu_->AutoPopup && !LeftPopup) {
        for (int i = 0; i < popupMenu_->Items()->Count(); ++i) {
          TMenuItem* item = popupMenu_->Items()->Items(i);
          if (item->Default()) {
            item->Click();
            break;
          }
        }
      }
      break;
    case WM_RBUTTONDOWN:
      MouseDown(TMouseButton::mbRight, shift | ssRight, p.x, p.y);
      PopupAtCursor();
      break;
    case WM_RBUTTONUP:
      if (behaviour_ == 0) MouseUp(TMouseButton::mbRight, shift | ssRight, p.x, p.y);
      break;
    case WM_CONTEXTMENU:
    case NIN_SELECT:
    case NIN_KEYSELECT:
      if (behaviour_ == 1) MouseUp(TMouseButton::mbRight, shift | ssRight, p.x, p.y);
      break;
    case WM_MBUTTONDOWN:
      MouseDown(TMouseButton::mbMiddle, shift | ssMiddle, p.x, p.y);
      break;
    case WM_MBUTTONUP:
      MouseUp(TMouseButton::mbMiddle, shift | ssMiddle, p.x, p.y);
      break;
    case NIN_BALLOONSHOW:
      if (OnBalloonHintShow) OnBalloonHintShow(this);
      break;
    case NIN_BALLOONHIDE:
      if (OnBalloonHintHide) OnBalloonHintHide(this);
      break;
    case NIN_BALLOONTIMEOUT:
      if (OnBalloonHintTimeout) OnBalloonHintTimeout(this);
      break;
    case NIN_BALLOONUSERCLICK:
      if (OnBalloonHintClick) OnBalloonHintClick(this);
      break;
    default:
      break;
  }
}

// --- Main window -----------------------------------------------------------------------------

void TNotifyTrayIcon::ShowMainWindow() {
  TCustomForm* main = Application().MainForm();
  if (!subclassed_ || !main) return;
  Application().Restore();
  if (main->WindowState() == TWindowState::wsMinimized) main->SetWindowState(TWindowState::wsNormal);
  main->Show();
  if (main->HandleAllocated()) ShowWindow(main->Handle(), SW_RESTORE);
  SetForegroundWindow(Application().Handle());
  // The main form, or the dialog open over it, which would otherwise stay behind.
  Application().BringToFront();
}

void TNotifyTrayIcon::HideMainWindow() {
  if (TCustomForm* main = Application().MainForm()) main->Hide();
  if (IsWindowVisible(Application().Handle())) ShowWindow(Application().Handle(), SW_HIDE);
}

void TNotifyTrayIcon::DoMinimizeToTray() {
  HideMainWindow();
  SetIconVisible(true);
}

void TNotifyTrayIcon::ApplicationHook(TMessage& m, bool&) {
  if (m.Msg == WM_SIZE && m.WParam == SIZE_MINIMIZED && MinimizeToTray) {
    DoMinimizeToTray();
  } else if (m.Msg == WM_SYSCOMMAND && (m.WParam & 0xFFF0) == SC_RESTORE) {
    ShowMainWindow();
  } else if (TaskbarCreatedMessage && m.Msg == TaskbarCreatedMessage) {
    if (iconVisible_) AddIcon();
  }
  startupCheck_ = false;
}

void TNotifyTrayIcon::OwnerWndProc(TMessage& m) {
  if (m.Msg == WM_SHOWWINDOW && m.WParam == 1 && m.LParam == 0) {
    SetForegroundWindow(Application().Handle());
    if (subclassed_ && subclassed_->HandleAllocated()) SetForegroundWindow(subclassed_->Handle());
  } else if ((m.Msg == WM_SHOWWINDOW && m.WParam == 0 && m.LParam == SW_PARENTCLOSING && !Application().Terminated()) ||
             (m.Msg == WM_SYSCOMMAND && (m.WParam & 0xFFF0) == SC_MINIMIZE)) {
    if (MinimizeToTray && OnMinimizeToTray) {
      OnMinimizeToTray(this);
      DoMinimizeToTray();
      m.Result = 1;
      return;
    }
  }
  previousWndProc_(m);
}

}  // namespace movra::ui
