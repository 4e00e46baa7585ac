#include "runtime/ui/controls.h"

#include <windowsx.h>
#include <commctrl.h>

#include <algorithm>
#include <deque>
#include <mutex>
#include <unordered_map>

#include "runtime/text.h"
#include "runtime/ui/actions.h"
#include "runtime/ui/forms.h"
#include "runtime/ui/menus.h"

namespace movra::ui {

namespace {

// Never destroyed: the application object outlives every other static and still needs it.
std::unordered_map<HWND, TWinControl*>& ControlMap() {
  static auto* map = new std::unordered_map<HWND, TWinControl*>;
  return *map;
}

UINT NextControlId() {
  static UINT next = 100;
  return next++;
}

// The control whose CreateWindowEx is running: its first messages arrive before the map
// knows the window.
thread_local TWinControl* creatingControl = nullptr;

DWORD mainThreadId = GetCurrentThreadId();

}  // namespace

DWORD MainThreadId() { return mainThreadId; }

HWND CreateMessageWindow(const wchar_t* className, WNDPROC procedure) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = procedure;
  wc.hInstance = instance;
  wc.lpszClassName = className;
  RegisterClassExW(&wc);
  return CreateWindowExW(0, className, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, nullptr);
}

void InitCommonControlClasses() {
  static bool done = [] {
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES | ICC_DATE_CLASSES | ICC_STANDARD_CLASSES |
                                              ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES | ICC_TAB_CLASSES |
                                              ICC_UPDOWN_CLASS | ICC_ANIMATE_CLASS};
    return InitCommonControlsEx(&icc) != FALSE;
  }();
  (void)done;
}

TShiftState KeyboardShiftState() {
  TShiftState s = 0;
  if (GetKeyState(VK_SHIFT) < 0) s |= ssShift;
  if (GetKeyState(VK_CONTROL) < 0) s |= ssCtrl;
  if (GetKeyState(VK_MENU) < 0) s |= ssAlt;
  return s;
}

TShiftState MouseShiftState(WPARAM keys) {
  TShiftState s = 0;
  if (keys & MK_SHIFT) s |= ssShift;
  if (keys & MK_CONTROL) s |= ssCtrl;
  if (keys & MK_LBUTTON) s |= ssLeft;
  if (keys & MK_RBUTTON) s |= ssRight;
  if (keys & MK_MBUTTON) s |= ssMiddle;
  if (GetKeyState(VK_MENU) < 0) s |= ssAlt;
  return s;
}

TWinControl* FindControl(HWND window) {
  auto it = ControlMap().find(window);
  return it == ControlMap().end() ? nullptr : it->second;
}

LRESULT CALLBACK StdWndProc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam) {
  TWinControl* control = FindControl(window);
  if (!control && creatingControl) {
    control = creatingControl;
    creatingControl = nullptr;
    control->handle_ = window;
    ControlMap()[window] = control;
  }
  if (!control) return DefWindowProcW(window, msg, wparam, lparam);
  TMessage message{msg, wparam, lparam, 0};
  try {
    control->WindowProc(message);
  } catch (...) {
    Application().HandleException(control);
  }
  if (msg == WM_NCDESTROY) {
    // The system has destroyed the window: forget it whatever the handlers did.
    if (FindControl(window) == control) control->DetachHandle();
  }
  return message.Result;
}

// --- Synchronised calls ----------------------------------------------------------------------

namespace {

struct SyncCall {
  std::function<void()> call;
  HANDLE done = nullptr;  // signalled after the call when the caller waits
  std::exception_ptr error;
};

std::mutex& syncMutex = *new std::mutex;
std::deque<std::shared_ptr<SyncCall>>& syncQueue = *new std::deque<std::shared_ptr<SyncCall>>;

void WakeMainThread() {
  HWND app = Application().Handle();
  if (app) PostMessageW(app, CM_SYNCHRONIZE, 0, 0);
}

}  // namespace

bool CheckSynchronize() {
  if (GetCurrentThreadId() != mainThreadId) return false;
  bool ran = false;
  for (;;) {
    std::shared_ptr<SyncCall> next;
    {
      std::lock_guard lock(syncMutex);
      if (syncQueue.empty()) break;
      next = syncQueue.front();
      syncQueue.pop_front();
    }
    ran = true;
    try {
      next->call();
    } catch (...) {
      if (next->done)
        next->error = std::current_exception();
      else
        Application().HandleException(nullptr);
    }
    if (next->done) SetEvent(next->done);
  }
  return ran;
}

void Synchronize(const std::function<void()>& call) {
  if (GetCurrentThreadId() == mainThreadId) {
    call();
    return;
  }
  auto item = std::make_shared<SyncCall>();
  item->call = call;
  item->done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  {
    std::lock_guard lock(syncMutex);
    syncQueue.push_back(item);
  }
  WakeMainThread();
  WaitForSingleObject(item->done, INFINITE);
  CloseHandle(item->done);
  if (item->error) std::rethrow_exception(item->error);
}

void Queue(std::function<void()> call) {
  auto item = std::make_shared<SyncCall>();
  item->call = std::move(call);
  {
    std::lock_guard lock(syncMutex);
    syncQueue.push_back(item);
  }
  WakeMainThread();
}

std::string GetShortHint(const std::string& hint) { return hint.substr(0, hint.find('|')); }

std::string GetLongHint(const std::string& hint) {
  const size_t bar = hint.find('|');
  return bar == std::string::npos ? hint : hint.substr(bar + 1);
}

// --- TControl --------------------------------------------------------------------------------

TControl::TControl(TComponent* owner) : TComponent(owner), font_(std::make_unique<TFont>()) {
  WindowProc = TWndMethod(this, &TControl::WndProc);
  font_->OnChange = TNotifyEvent(this, &TControl::FontChange);
}

TControl::~TControl() {
  actionLink_.reset();
  if (parent_) parent_->RemoveControl(this);
}

void TControl::SetParent(TWinControl* parent) {
  if (parent == parent_) return;
  if (parent == this) throw EComponentError("A control cannot have itself as its parent");
  if (parent_) parent_->RemoveControl(this);
  if (parent) parent->InsertControl(this);
}

void TControl::SetBounds(int left, int top, int width, int height) {
  SetBoundsCore(left, top, width, height);
  RememberAnchors();
  RequestAlign();
}

void TControl::SetBoundsCore(int left, int top, int width, int height) {
  bool resized = width != width_ || height != height_;
  left_ = left;
  top_ = top;
  width_ = std::max(width, 0);
  height_ = std::max(height, 0);
  if (resized) Resize();
}

void TControl::SetClientSize(int width, int height) { SetBounds(left_, top_, width, height); }

void TControl::RememberAnchors() {
  if (!parent_) return;
  RECT r = parent_->ClientRect();
  anchorBase_ = {true, r.right, r.bottom, left_, top_, width_, height_};
}

namespace {

// One axis of an anchored control: both edges anchored stretch it, the far edge alone moves
// it, neither keeps it centred.
void AnchorAxis(bool nearEdge, bool farEdge, int delta, int& position, int& size) {
  if (farEdge) {
    if (nearEdge)
      size += delta;
    else
      position += delta;
  } else if (!nearEdge) {
    position += delta / 2;
  }
}

}  // namespace

void TControl::ApplyAnchors(int parentWidth, int parentHeight) {
  if (!anchorBase_.set || anchors_ == (akLeft | akTop)) return;
  const AnchorBase& b = anchorBase_;
  int left = b.left, top = b.top, width = b.width, height = b.height;
  AnchorAxis(anchors_ & akLeft, anchors_ & akRight, parentWidth - b.parentWidth, left, width);
  AnchorAxis(anchors_ & akTop, anchors_ & akBottom, parentHeight - b.parentHeight, top, height);
  SetBoundsCore(left, top, width, height);
}

void TControl::RequestAlign() {
  if (parent_ && (align_ != TAlign::alNone || anchors_ != (akLeft | akTop))) parent_->Realign();
}

void TControl::SetAlign(TAlign align) {
  if (align == align_) return;
  align_ = align;
  if (parent_) parent_->Realign();
}

void TControl::SetAnchors(TAnchors anchors) {
  anchors_ = anchors;
  RememberAnchors();
}

POINT TControl::ClientToScreen(POINT p) const {
  POINT origin{0, 0};
  if (auto* win = dynamic_cast<const TWinControl*>(this); win && win->HandleAllocated()) {
    ::ClientToScreen(const_cast<TWinControl*>(win)->Handle(), &origin);
  } else if (parent_) {
    origin = parent_->ClientToScreen({left_, top_});
  }
  return {p.x + origin.x, p.y + origin.y};
}

POINT TControl::ScreenToClient(POINT p) const {
  POINT origin = ClientToScreen({0, 0});
  return {p.x - origin.x, p.y - origin.y};
}

void TControl::SetVisible(bool visible) {
  if (visible == visible_) return;
  visible_ = visible;
  VisibleChanged();
  Perform(CM_VISIBLECHANGED, visible ? 1 : 0);
  if (parent_) parent_->Realign();
}

void TControl::VisibleChanged() {}

bool TControl::Showing() const { return visible_ && parent_ && parent_->Showing(); }

void TControl::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  EnabledChanged();
  Perform(CM_ENABLEDCHANGED);
}

void TControl::SetColor(TColor color) {
  parentColor_ = false;
  if (color == color_) return;
  color_ = color;
  ColorChanged();
}

void TControl::ColorChanged() { Perform(CM_COLORCHANGED); }

void TControl::SetParentColor(bool on) {
  parentColor_ = on;
  if (on && parent_ && parent_->Color() != color_) {
    color_ = parent_->Color();
    ColorChanged();
  }
}

void TControl::FontChange(TObject*) {
  if (!updatingParentFont_) parentFont_ = false;
  FontChanged();
}

void TControl::FontChanged() { Perform(CM_FONTCHANGED); }

void TControl::SetParentFont(bool on) {
  parentFont_ = on;
  if (on && parent_) {
    updatingParentFont_ = true;
    font_->Assign(parent_->Font());
    updatingParentFont_ = false;
  }
}

void TControl::SetText(const std::string& text) {
  if (text == text_) return;
  text_ = text;
  TextChanged();
  Perform(CM_TEXTCHANGED);
}

void TControl::SetHint(const std::string& hint) {
  if (hint == hint_) return;
  hint_ = hint;
  Perform(CM_SHOWHINTCHANGED);
}

void TControl::SetShowHint(bool on) {
  parentShowHint_ = false;
  if (on == showHint_) return;
  showHint_ = on;
  Perform(CM_SHOWHINTCHANGED);
}

void TControl::SetParentShowHint(bool on) {
  parentShowHint_ = on;
  if (on && parent_) {
    showHint_ = parent_->ShowHint();
    Perform(CM_SHOWHINTCHANGED);
  }
}

void TControl::SetPopupMenu(TPopupMenu* menu) {
  if (popupMenu_) popupMenu_->RemoveFreeNotification(this);
  popupMenu_ = menu;
  if (menu) menu->FreeNotification(this);
}

TBasicAction* TControl::Action() const { return actionLink_ ? actionLink_->Action() : nullptr; }

std::unique_ptr<TActionLink> TControl::CreateActionLink() { return movra::ui::CreateActionLink<TControlActionLink>(this); }

void TControl::SetAction(TBasicAction* action) {
  if (!action) {
    actionLink_.reset();
    return;
  }
  if (!actionLink_) actionLink_ = CreateActionLink();
  controlStyle_ |= csActionClient;
  // Later changes arrive property by property through the link, which passes on only what
  // the control still shows of the action.
  actionLink_->SetAction(action);
  ActionChange(action, action->IsLoading());
  action->FreeNotification(this);
}

void TControl::ActionChange(TObject* sender, bool checkDefaults) {
  auto* action = dynamic_cast<TCustomAction*>(sender);
  if (!action) return;
  if (!checkDefaults || Caption().empty()) SetCaption(action->Caption());
  if (!checkDefaults || enabled_) SetEnabled(action->Enabled());
  if (!checkDefaults || hint_.empty()) SetHint(action->Hint());
  if (!checkDefaults || visible_) SetVisible(action->Visible());
}

// --- TControlActionLink ----------------------------------------------------------------------

void TControlActionLink::AssignClient(TObject* client) {
  TActionLink::AssignClient(client);
  control_ = dynamic_cast<TControl*>(client);
}

bool TControlActionLink::IsCaptionLinked() {
  return TActionLink::IsCaptionLinked() && control_->Caption() == CustomAction()->Caption();
}
bool TControlActionLink::IsEnabledLinked() {
  return TActionLink::IsEnabledLinked() && control_->Enabled() == CustomAction()->Enabled();
}
bool TControlActionLink::IsHintLinked() {
  return TActionLink::IsHintLinked() && control_->Hint() == CustomAction()->Hint();
}
bool TControlActionLink::IsVisibleLinked() {
  return TActionLink::IsVisibleLinked() && control_->Visible() == CustomAction()->Visible();
}
bool TControlActionLink::IsOnExecuteLinked() {
  return TActionLink::IsOnExecuteLinked() && Action() && control_->OnClick == Action()->OnExecute;
}
void TControlActionLink::SetCaption(const std::string& value) {
  if (IsCaptionLinked()) control_->SetCaption(value);
}
void TControlActionLink::SetEnabled(bool value) {
  if (IsEnabledLinked()) control_->SetEnabled(value);
}
void TControlActionLink::SetHint(const std::string& value) {
  if (IsHintLinked()) control_->SetHint(value);
}
void TControlActionLink::SetVisible(bool value) {
  if (IsVisibleLinked()) control_->SetVisible(value);
}
void TControlActionLink::SetOnExecute(const TNotifyEvent& value) {
  if (IsOnExecuteLinked()) control_->OnClick = value;
}

void TControl::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation != TOperation::opRemove) return;
  if (component == popupMenu_) popupMenu_ = nullptr;
  if (actionLink_ && component == actionLink_->Action()) actionLink_.reset();
}

void TControl::Loaded() {
  TComponent::Loaded();
  if (actionLink_ && actionLink_->Action()) ActionChange(actionLink_->Action(), true);
  RememberAnchors();
}

LRESULT TControl::Perform(UINT msg, WPARAM wparam, LPARAM lparam) {
  TMessage message{msg, wparam, lparam, 0};
  WindowProc(message);
  return message.Result;
}

void TControl::DefaultHandler(TMessage&) {}

void TControl::WndProc(TMessage& message) {
  switch (message.Msg) {
    case CM_PARENTCOLORCHANGED: {
      if (!parentColor_) return;
      const TColor colour = message.WParam ? static_cast<TColor>(message.LParam) : parent_ ? parent_->Color() : color_;
      if (colour != color_) {
        color_ = colour;
        ColorChanged();
      }
      return;
    }
    case CM_PARENTFONTCHANGED:
      if (parentFont_ && parent_) {
        updatingParentFont_ = true;
        font_->Assign(parent_->Font());
        updatingParentFont_ = false;
      }
      return;
    case CM_PARENTSHOWHINTCHANGED:
      if (parentShowHint_ && parent_ && parent_->ShowHint() != showHint_) {
        showHint_ = parent_->ShowHint();
        Perform(CM_SHOWHINTCHANGED);
      }
      return;
    case CM_MOUSEENTER:
      if (OnMouseEnter) OnMouseEnter(this);
      return;
    case CM_MOUSELEAVE:
      if (OnMouseLeave) OnMouseLeave(this);
      return;
    default:
      break;
  }
  DefaultHandler(message);
}

void TControl::Resize() {
  if (OnResize) OnResize(this);
}

void TControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (OnMouseDown) OnMouseDown(this, button, shift, x, y);
}

void TControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (OnMouseUp) OnMouseUp(this, button, shift, x, y);
}

void TControl::MouseMove(TShiftState shift, int x, int y) {
  if (OnMouseMove) OnMouseMove(this, shift, x, y);
}

bool TControl::IsActionClick() const {
  if (!actionLink_ || !actionLink_->Action()) return false;
  return !OnClick || OnClick == actionLink_->Action()->OnExecute;
}

void TControl::Click() {
  if (IsActionClick())
    actionLink_->Execute();
  else if (OnClick)
    OnClick(this);
}

void TControl::InitiateAction() {
  if (actionLink_) actionLink_->Update();
}

void TControl::DblClick() {
  if (OnDblClick) OnDblClick(this);
}

void TControl::BringToFront() {
  if (auto* win = dynamic_cast<TWinControl*>(this); win && win->HandleAllocated())
    SetWindowPos(win->Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

TCustomForm* TControl::ParentForm() const {
  const TControl* c = this;
  while (c->parent_) c = c->parent_;
  return dynamic_cast<TCustomForm*>(const_cast<TControl*>(c));
}

void TControl::GetProperties(TPropertyList& properties) {
  TComponent::GetProperties(properties);
  if (HasCaption())
    properties.AddText(
        "Caption", [this] { return GetText(); }, [this](const std::string& s) { SetText(s); });
  properties.AddText(
      "Hint", [this] { return hint_; }, [this](const std::string& s) { SetHint(s); });
  properties.AddObject("Font", font_.get());
}

// --- TWinControl -----------------------------------------------------------------------------

TWinControl::TWinControl(TComponent* owner) : TControl(owner), controlId_(NextControlId()) {}

void TWinControl::SetInputDefaults(int width, int height) {
  tabStop_ = true;
  parentColor_ = false;
  color_ = clWindow;
  width_ = width;
  height_ = height;
}

TWinControl::~TWinControl() {
  TWinControl::BeforeDestruction();
}

void TWinControl::BeforeDestruction() {
  if (!IsDestroying()) Destroying();
  if (handle_) DestroyHandle();
  // Children without another owner go with their parent; the others leave it.
  while (!controls_.empty()) {
    TControl* child = controls_.back();
    RemoveControl(child);
    if (!child->Owner()) Free(child);
  }
  TControl::BeforeDestruction();
}

void TWinControl::CreateParams(TCreateParams& params) {
  params.Caption = Utf8ToWide(text_);
  params.Style = WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
  // Windows are created hidden; the showing notice shows them.
  if (!enabled_) params.Style |= WS_DISABLED;
  if (tabStop_) params.Style |= WS_TABSTOP;
  // Tab walks into the controls a control holds: a panel's, a page's, a dock's.
  if (controlStyle_ & csAcceptsControls) params.ExStyle |= WS_EX_CONTROLPARENT;
  params.X = left_;
  params.Y = top_;
  params.Width = width_;
  params.Height = height_;
  if (parent_) params.WndParent = parent_->Handle();
  params.Menu = reinterpret_cast<HMENU>(static_cast<UINT_PTR>(controlId_));
  params.WinClassName = L"Movra" + Utf8ToWide(ClassName());
}

void TWinControl::CreateWindowHandle(const TCreateParams& params) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  std::wstring className = params.WinClassName;
  if (!params.SysClassName.empty()) {
    InitCommonControlClasses();
    className = params.SysClassName;
  } else {
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof(existing);
    if (!GetClassInfoExW(instance, className.c_str(), &existing)) {
      WNDCLASSEXW wc{};
      wc.cbSize = sizeof(wc);
      wc.style = params.ClassStyle;
      wc.lpfnWndProc = StdWndProc;
      wc.hInstance = instance;
      wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
      wc.lpszClassName = className.c_str();
      if (!RegisterClassExW(&wc)) throw Exception("Cannot register window class " + WideToUtf8(className));
    }
    creatingControl = this;
  }
  HWND window = CreateWindowExW(params.ExStyle, className.c_str(), params.Caption.c_str(), params.Style, params.X,
                                params.Y, params.Width, params.Height, params.WndParent, params.Menu, instance,
                                nullptr);
  creatingControl = nullptr;
  if (!window) throw Exception("Error creating window (" + ClassName() + " " + Name() + ")");
  if (!params.SysClassName.empty()) {
    handle_ = window;
    ControlMap()[window] = this;
    defWndProc_ = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(StdWndProc)));
  } else {
    defWndProc_ = DefWindowProcW;
    handle_ = window;
    ControlMap()[window] = this;
  }
}

void TWinControl::CreateWnd() {
  TCreateParams params;
  CreateParams(params);
  CreateWindowHandle(params);
  SendMessageW(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(font_->Handle()), 0);
  if (!(params.Style & WS_CHILD)) {
    // Top-level windows: the system may have adjusted the size.
    UpdateBounds();
  }
}

HWND TWinControl::Handle() {
  if (!handle_ && !creating_) {
    if (parent_) parent_->HandleNeeded();
    if (handle_) return handle_;  // the parent created ours with its children
    creating_ = true;
    try {
      CreateWnd();
    } catch (...) {
      creating_ = false;
      throw;
    }
    creating_ = false;
    for (TControl* child : std::vector<TControl*>(controls_))
      if (auto* win = dynamic_cast<TWinControl*>(child); win && win->Visible()) win->HandleNeeded();
    Realign();
    if (!parent_ || parent_->showing_) UpdateShowing();
  }
  return handle_;
}

void TWinControl::UpdateShowing() {
  bool showing = handle_ && visible_ && (!parent_ || parent_->showing_);
  if (auto* form = dynamic_cast<TCustomForm*>(this); form && !parent_) showing = handle_ && IsWindowVisible(handle_);
  if (showing != showing_) {
    showing_ = showing;
    try {
      Perform(CM_SHOWINGCHANGED);
    } catch (...) {
      showing_ = !showing;
      throw;
    }
  }
  for (TControl* child : std::vector<TControl*>(controls_))
    if (auto* win = dynamic_cast<TWinControl*>(child); win && win->handle_) win->UpdateShowing();
}

void TWinControl::SetParent(TWinControl* parent) {
  if (parent == parent_) return;
  if (parent == this) throw EComponentError("A control cannot have itself as its parent");
  // The window stays while the control changes hands; InsertControl moves it.
  reparenting_ = handle_ && parent && !IsDestroying();
  try {
    TControl::SetParent(parent);
  } catch (...) {
    reparenting_ = false;
    throw;
  }
  reparenting_ = false;
}

RECT TWinControl::NonClientMargins() const {
  if (handle_) {
    RECT window, client;
    GetWindowRect(handle_, &window);
    GetClientRect(handle_, &client);
    POINT origin{0, 0};
    ::ClientToScreen(handle_, &origin);
    return {origin.x - window.left, origin.y - window.top, window.right - origin.x - client.right,
            window.bottom - origin.y - client.bottom};
  }
  TCreateParams params;
  const_cast<TWinControl*>(this)->CreateParamsForMeasure(params);
  RECT frame{0, 0, 0, 0};
  AdjustWindowRectEx(&frame, params.Style & ~WS_VISIBLE, !(params.Style & WS_CHILD) && params.Menu, params.ExStyle);
  return {-frame.left, -frame.top, frame.right, frame.bottom};
}

void TWinControl::DetachHandle() {
  if (!handle_) return;
  ControlMap().erase(handle_);
  if (defWndProc_ && defWndProc_ != DefWindowProcW && IsWindow(handle_))
    SetWindowLongPtrW(handle_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(defWndProc_));
  handle_ = nullptr;
  showing_ = false;
}

void TWinControl::DestroyWnd() {
  text_ = TWinControl::GetText();
  HWND window = handle_;
  DestroyWindow(window);
  // Children lost theirs with it.
  if (handle_ == window) DetachHandle();
}

void TWinControl::DestroyHandle() {
  if (!handle_) return;
  for (TControl* child : controls_)
    if (auto* win = dynamic_cast<TWinControl*>(child); win && win->HandleAllocated()) win->DestroyHandle();
  DestroyWnd();
}

void TWinControl::RecreateWnd() {
  if (!handle_) return;
  DestroyHandle();
  HandleNeeded();
}

void TWinControl::InsertControl(TControl* control) {
  controls_.push_back(control);
  control->parent_ = this;
  if (control->parentColor_) control->Perform(CM_PARENTCOLORCHANGED);
  if (control->parentFont_) control->Perform(CM_PARENTFONTCHANGED);
  if (control->parentShowHint_) control->Perform(CM_PARENTSHOWHINTCHANGED);
  control->RememberAnchors();
  if (auto* win = dynamic_cast<TWinControl*>(control)) {
    if (win->HandleAllocated()) {
      bool wasChild = GetWindowLongPtrW(win->handle_, GWL_STYLE) & WS_CHILD;
      // A form without a window yet gets one rather than cost the child its window.
      if (wasChild && !handle_ && !parent_ && dynamic_cast<TCustomForm*>(this)) HandleNeeded();
      if (wasChild && handle_) {
        // Moving between parents keeps the window; its frame may differ in the new place.
        ::SetParent(win->handle_, handle_);
        SetWindowPos(win->handle_, nullptr, 0, 0, 0, 0,
                     SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
        SetWindowPos(win->handle_, nullptr, win->left_, win->top_, win->width_, win->height_,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        win->UpdateShowing();
      } else {
        win->DestroyHandle();
        if (handle_ && win->Visible()) win->HandleNeeded();
      }
    } else if (handle_ && win->Visible() && !IsLoading()) {
      win->HandleNeeded();
    }
  }
  Realign();
  Perform(CM_CONTROLLISTCHANGE, reinterpret_cast<WPARAM>(control), 1);
}

void TWinControl::RemoveControl(TControl* control) {
  if (std::find(controls_.begin(), controls_.end(), control) == controls_.end()) return;
  if (!IsDestroying()) Perform(CM_CONTROLLISTCHANGE, reinterpret_cast<WPARAM>(control), 0);
  auto it = std::find(controls_.begin(), controls_.end(), control);
  if (it == controls_.end()) return;
  controls_.erase(it);
  control->parent_ = nullptr;
  if (auto* win = dynamic_cast<TWinControl*>(control); win && win->HandleAllocated() && !IsDestroying()) {
    // A child window cannot live without a parent window: until it gets a new parent it
    // waits under the application window, hidden unless it is only changing parents.
    if (!win->reparenting_) win->UpdateShowing();
    ::SetParent(win->handle_, Application().Handle());
  }
  Realign();
}

RECT TWinControl::ClientRect() const {
  RECT r{0, 0, width_, height_};
  if (handle_) {
    GetClientRect(handle_, &r);
    return r;
  }
  RECT frame = NonClientMargins();
  r.right = std::max<LONG>(0, width_ - frame.left - frame.right);
  r.bottom = std::max<LONG>(0, height_ - frame.top - frame.bottom);
  return r;
}

void TWinControl::CreateParamsForMeasure(TCreateParams& params) {
  // Measuring must not create the parent's window.
  TWinControl* parent = parent_;
  parent_ = nullptr;
  CreateParams(params);
  parent_ = parent;
}

void TWinControl::SetClientSize(int width, int height) {
  RECT client = ClientRect();
  SetBounds(left_, top_, width_ - client.right + width, height_ - client.bottom + height);
}

void TWinControl::SetBoundsCore(int left, int top, int width, int height) {
  if (left == left_ && top == top_ && width == width_ && height == height_) return;
  bool resized = width != width_ || height != height_;
  left_ = left;
  top_ = top;
  width_ = std::max(width, 0);
  height_ = std::max(height, 0);
  if (handle_) {
    // The window's size message finds the fields already set, so the resize is told here.
    SetWindowPos(handle_, nullptr, left_, top_, width_, height_, SWP_NOZORDER | SWP_NOACTIVATE);
    if (resized) Resize();
  } else if (resized) {
    Realign();
    Resize();
  }
}

void TWinControl::UpdateBounds() {
  if (!handle_) return;
  RECT r;
  GetWindowRect(handle_, &r);
  HWND parent = GetParent(handle_);
  if ((GetWindowLongPtrW(handle_, GWL_STYLE) & WS_CHILD) && parent) MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  bool resized = (r.right - r.left) != width_ || (r.bottom - r.top) != height_;
  left_ = r.left;
  top_ = r.top;
  width_ = r.right - r.left;
  height_ = r.bottom - r.top;
  if (resized) {
    Realign();
    Resize();
  }
}

void TWinControl::Loaded() {
  TControl::Loaded();
  if (alignPending_) Realign();
}

void TWinControl::EnableAlign() {
  if (alignDisabled_ > 0 && --alignDisabled_ == 0 && alignPending_) Realign();
}

void TWinControl::Realign() {
  if (alignDisabled_ > 0 || IsLoading() || IsDestroying()) {
    alignPending_ = true;
    return;
  }
  if (realigning_) return;
  alignPending_ = false;
  realigning_ = true;
  try {
    RECT r = ClientRect();
    AdjustClientRect(r);
    AlignControls(r);
  } catch (...) {
    realigning_ = false;
    throw;
  }
  realigning_ = false;
}

void TWinControl::AlignControls(RECT rect) {
  RECT client = ClientRect();
  for (TControl* c : controls_)
    if (c->align_ == TAlign::alNone) c->ApplyAnchors(client.right, client.bottom);
  static constexpr TAlign order[] = {TAlign::alTop, TAlign::alBottom, TAlign::alLeft, TAlign::alRight,
                                     TAlign::alClient};
  for (TAlign a : order) {
    for (TControl* c : controls_) {
      if (c->align_ != a || !c->visible_) continue;
      int w = c->width_, h = c->height_;
      switch (a) {
        case TAlign::alTop:
          c->SetBoundsCore(rect.left, rect.top, rect.right - rect.left, h);
          rect.top += h;
          break;
        case TAlign::alBottom:
          c->SetBoundsCore(rect.left, rect.bottom - h, rect.right - rect.left, h);
          rect.bottom -= h;
          break;
        case TAlign::alLeft:
          c->SetBoundsCore(rect.left, rect.top, w, rect.bottom - rect.top);
          rect.left += w;
          break;
        case TAlign::alRight:
          c->SetBoundsCore(rect.right - w, rect.top, w, rect.bottom - rect.top);
          rect.right -= w;
          break;
        case TAlign::alClient:
          c->SetBoundsCore(rect.left, rect.top, std::max<LONG>(0, rect.right - rect.left),
                           std::max<LONG>(0, rect.bottom - rect.top));
          break;
        case TAlign::alNone:
          break;
      }
    }
  }
}

bool TWinControl::Showing() const {
  if (!visible_) return false;
  if (parent_) return parent_->Showing();
  return handle_ && IsWindowVisible(handle_);
}

void TWinControl::SetVisible(bool visible) { TControl::SetVisible(visible); }

void TWinControl::VisibleChanged() {
  if (visible_ && parent_ && parent_->HandleAllocated()) HandleNeeded();
  if (handle_) UpdateShowing();
}

void TWinControl::SetEnabled(bool enabled) {
  TControl::SetEnabled(enabled);
  if (handle_) EnableWindow(handle_, enabled);
}

std::string TWinControl::GetText() const {
  if (!handle_) return text_;
  int length = GetWindowTextLengthW(handle_);
  std::wstring buffer(static_cast<size_t>(length) + 1, L'\0');
  int got = GetWindowTextW(handle_, buffer.data(), length + 1);
  buffer.resize(static_cast<size_t>(std::max(got, 0)));
  return WideToUtf8(buffer);
}

void TWinControl::SetText(const std::string& text) {
  if (text == GetText()) return;
  text_ = text;
  if (handle_) SetWindowTextW(handle_, Utf8ToWide(text).c_str());
  TextChanged();
  Perform(CM_TEXTCHANGED);
}

void TWinControl::SetTabStop(bool on) {
  tabStop_ = on;
  if (handle_) {
    LONG_PTR style = GetWindowLongPtrW(handle_, GWL_STYLE);
    SetWindowLongPtrW(handle_, GWL_STYLE, on ? (style | WS_TABSTOP) : (style & ~WS_TABSTOP));
  }
}

bool TWinControl::Focused() const { return handle_ && GetFocus() == handle_; }

bool TWinControl::CanFocus() const {
  for (const TWinControl* c = this; c; c = c->parent_)
    if (!c->visible_ || !c->enabled_) return false;
  return true;
}

void TWinControl::SetFocus() {
  if (!CanFocus()) throw Exception("Cannot focus a disabled or invisible window");
  ::SetFocus(Handle());
}

void TWinControl::Invalidate() {
  if (handle_) InvalidateRect(handle_, nullptr, TRUE);
}

void TWinControl::Update() {
  if (handle_) UpdateWindow(handle_);
}

HBRUSH TWinControl::BackgroundBrush() {
  if (!brush_) brush_ = std::make_unique<TBrush>();
  brush_->SetColor(color_);
  return brush_->Handle();
}

void TWinControl::FontChanged() {
  TControl::FontChanged();
  if (handle_) {
    SendMessageW(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(font_->Handle()), TRUE);
    Invalidate();
  }
  for (TControl* c : controls_) c->Perform(CM_PARENTFONTCHANGED);
}

void TWinControl::ColorChanged() {
  TControl::ColorChanged();
  Invalidate();
  for (TControl* c : controls_) c->Perform(CM_PARENTCOLORCHANGED);
}

bool TWinControl::DoKeyDown(WORD& key, TShiftState shift) {
  if (OnKeyDown) OnKeyDown(this, key, shift);
  return key == 0;
}

bool TWinControl::DoKeyPress(wchar_t& key) {
  if (OnKeyPress) OnKeyPress(this, key);
  return key == 0;
}

void TWinControl::DefaultHandler(TMessage& message) {
  if (!handle_) return;
  if (defWndProc_)
    message.Result = CallWindowProcW(defWndProc_, handle_, message.Msg, message.WParam, message.LParam);
  else
    message.Result = DefWindowProcW(handle_, message.Msg, message.WParam, message.LParam);
}

namespace {

bool IsReflected(UINT msg) {
  switch (msg) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC:
      return true;
    default:
      return false;
  }
}

HWND ReflectTarget(const TMessage& m) {
  switch (m.Msg) {
    case WM_COMMAND:
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC:
      return reinterpret_cast<HWND>(m.LParam);
    case WM_NOTIFY:
      return reinterpret_cast<NMHDR*>(m.LParam)->hwndFrom;
    case WM_DRAWITEM:
      return reinterpret_cast<DRAWITEMSTRUCT*>(m.LParam)->hwndItem;
    case WM_MEASUREITEM: {
      auto* mi = reinterpret_cast<MEASUREITEMSTRUCT*>(m.LParam);
      for (auto& [hwnd, control] : ControlMap())
        if (GetWindowLongPtrW(hwnd, GWLP_ID) == static_cast<LONG_PTR>(mi->CtlID) && control->Parent() &&
            control->Parent()->HandleAllocated() && GetParent(hwnd) == control->Parent()->Handle())
          return hwnd;
      return nullptr;
    }
    default:
      return nullptr;
  }
}

TMouseButton ButtonOf(UINT msg) {
  switch (msg) {
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
      return TMouseButton::mbRight;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MBUTTONDBLCLK:
      return TMouseButton::mbMiddle;
    default:
      return TMouseButton::mbLeft;
  }
}

}  // namespace

void TWinControl::NotifyControls(TMessage& message) {
  for (TControl* child : std::vector<TControl*>(controls_)) {
    if (std::find(controls_.begin(), controls_.end(), child) == controls_.end()) continue;
    TMessage copy{message.Msg, message.WParam, message.LParam, 0};
    child->WindowProc(copy);
  }
}

namespace {

// The system message a relayed control message stands for.
UINT SystemMessageOf(UINT relayed) {
  switch (relayed) {
    case CM_SYSCOLORCHANGE:
      return WM_SYSCOLORCHANGE;
    case CM_WININICHANGE:
      return WM_SETTINGCHANGE;
    default:
      return WM_CANCELMODE;
  }
}

}  // namespace

void TWinControl::WndProc(TMessage& m) {
  const int x = GET_X_LPARAM(m.LParam), y = GET_Y_LPARAM(m.LParam);
  if (IsReflected(m.Msg) && m.LParam) {
    HWND target = ReflectTarget(m);
    if (TWinControl* child = target ? FindControl(target) : nullptr; child && child != this) {
      m.Result = child->Perform(CN_BASE + m.Msg, m.WParam, m.LParam);
      return;
    }
  }
  switch (m.Msg) {
    case CN_CTLCOLOREDIT:
    case CN_CTLCOLORLISTBOX:
    case CN_CTLCOLORBTN:
    case CN_CTLCOLORSTATIC: {
      HDC dc = reinterpret_cast<HDC>(m.WParam);
      SetTextColor(dc, ColorToRGB(font_->Color()));
      SetBkColor(dc, ColorToRGB(color_));
      m.Result = reinterpret_cast<LRESULT>(BackgroundBrush());
      return;
    }
    case WM_ERASEBKGND:
      // A double-buffered control erases only into its buffer (which passes it in both
      // parameters); erasing the screen first would show as flicker.
      if (doubleBuffered_ && m.WParam != static_cast<WPARAM>(m.LParam)) {
        m.Result = 1;
        return;
      }
      if (defWndProc_ == DefWindowProcW) {
        RECT r;
        GetClientRect(handle_, &r);
        FillRect(reinterpret_cast<HDC>(m.WParam), &r, BackgroundBrush());
        m.Result = 1;
        return;
      }
      break;
    case WM_SIZE:
    case WM_MOVE:
      DefaultHandler(m);
      UpdateBounds();
      if (m.Msg == WM_SIZE) Realign();
      return;
    case WM_SETCURSOR:
      if (cursor_ && LOWORD(m.LParam) == HTCLIENT) {
        ::SetCursor(cursor_);
        m.Result = 1;
        return;
      }
      if (Screen().Cursor() && LOWORD(m.LParam) == HTCLIENT) {
        ::SetCursor(Screen().Cursor());
        m.Result = 1;
        return;
      }
      break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      DefaultHandler(m);
      if (m.Msg == WM_LBUTTONDOWN && (controlStyle_ & csCaptureMouse) && defWndProc_ == DefWindowProcW) SetCapture(handle_);
      MouseDown(ButtonOf(m.Msg), MouseShiftState(m.WParam), x, y);
      return;
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK:
      DefaultHandler(m);
      if (m.Msg == WM_LBUTTONDBLCLK && (controlStyle_ & csDoubleClicks)) DblClick();
      MouseDown(ButtonOf(m.Msg), MouseShiftState(m.WParam) | ssDouble, x, y);
      return;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP: {
      bool captured = m.Msg == WM_LBUTTONUP && GetCapture() == handle_ && defWndProc_ == DefWindowProcW;
      DefaultHandler(m);
      if (captured) {
        ReleaseCapture();
        RECT r;
        GetClientRect(handle_, &r);
        if ((controlStyle_ & csClickEvents) && PtInRect(&r, POINT{x, y})) Click();
      }
      MouseUp(ButtonOf(m.Msg), MouseShiftState(m.WParam), x, y);
      return;
    }
    case WM_MOUSEMOVE:
      DefaultHandler(m);
      if (!mouseInside_) {
        mouseInside_ = true;
        TRACKMOUSEEVENT tme{sizeof(tme), TME_LEAVE, handle_, 0};
        TrackMouseEvent(&tme);
        Perform(CM_MOUSEENTER);
      }
      MouseMove(MouseShiftState(m.WParam), x, y);
      Application().HintMouseMessage(this, m);
      return;
    case WM_MOUSELEAVE:
      mouseInside_ = false;
      if (Application().HintControl() == this) Application().CancelHint();
      Perform(CM_MOUSELEAVE);
      DefaultHandler(m);
      return;
    case WM_CONTEXTMENU:
      if (popupMenu_ && popupMenu_->AutoPopup) {
        POINT p{x, y};
        if (m.LParam == -1) p = ClientToScreen(KeyboardPopupPoint());
        popupMenu_->PopupComponent = this;
        popupMenu_->Popup(p.x, p.y);
        m.Result = 0;
        return;
      }
      break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
      WORD key = static_cast<WORD>(m.WParam);
      if (DoKeyDown(key, KeyboardShiftState())) return;
      m.WParam = key;
      break;
    }
    case WM_KEYUP:
    case WM_SYSKEYUP: {
      WORD key = static_cast<WORD>(m.WParam);
      if (OnKeyUp) OnKeyUp(this, key, KeyboardShiftState());
      if (key == 0) return;
      break;
    }
    case WM_CHAR: {
      wchar_t ch = static_cast<wchar_t>(m.WParam);
      if (DoKeyPress(ch)) return;
      m.WParam = ch;
      break;
    }
    case WM_SETFOCUS:
      DefaultHandler(m);
      if (TCustomForm* form = ParentForm(); form && form != this) form->SetActiveControl(this);
      DoEnter();
      return;
    case WM_KILLFOCUS:
      DefaultHandler(m);
      DoExit();
      return;
    case WM_SYSCOLORCHANGE:
      m.Result = Perform(CM_SYSCOLORCHANGE, m.WParam, m.LParam);
      return;
    case WM_SETTINGCHANGE:
      m.Result = Perform(CM_WININICHANGE, m.WParam, m.LParam);
      return;
    case WM_CANCELMODE:
      m.Result = Perform(CM_CANCELMODE, m.WParam, m.LParam);
      return;
    case CM_SYSCOLORCHANGE:
    case CM_WININICHANGE:
    case CM_CANCELMODE: {
      // The control's class learns of it the system's way (a system control keeps colours
      // and metrics of its own; the default ends menus and capture), then the children do.
      if (handle_) {
        TMessage system{SystemMessageOf(m.Msg), m.WParam, m.LParam, 0};
        DefaultHandler(system);
      }
      NotifyControls(m);
      if (m.Msg == CM_SYSCOLORCHANGE) Invalidate();
      m.Result = 0;
      return;
    }
    case CM_DIALOGKEY:
    case CM_DIALOGCHAR:
      m.Result = 0;
      Broadcast(m);
      return;
    case WM_SYSCOMMAND:
      // Alt+letter typed in a control is the form's menu key, whichever control has the
      // focus: the form hands it to its menu bar.
      if ((m.WParam & 0xFFF0) == SC_KEYMENU) {
        if (TCustomForm* form = ParentForm(); form && form != this && form->HandleAllocated()) {
          m.Result = SendMessageW(form->Handle(), WM_SYSCOMMAND, m.WParam, m.LParam);
          return;
        }
      }
      break;
    case WM_CLOSE:
      // A control's window lives as long as its object: a close message (a system control's
      // Escape, another program) must not destroy it under the form that still uses it.
      if (parent_) {
        m.Result = 0;
        return;
      }
      break;
    case WM_PAINT:
      PaintHandler(m);
      return;
    case WM_PRINTCLIENT:
      if (OwnWindowClass() && m.WParam) {
        PaintHandler(m);
        return;
      }
      break;
    case WM_PRINT:
      PrintHandler(m);
      return;
    case CM_SHOWHINTCHANGED:
      for (TControl* c : controls_) c->Perform(CM_PARENTSHOWHINTCHANGED);
      return;
    case CM_RECREATEWND:
      RecreateWnd();
      return;
    case CM_SHOWINGCHANGED:
      if (handle_)
        SetWindowPos(handle_, nullptr, 0, 0, 0, 0,
                     SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE |
                         (showing_ ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
      return;
    default:
      break;
  }
  TControl::WndProc(m);
}

// --- Painting into a DC ----------------------------------------------------------------------

namespace {

// A screen-compatible bitmap of `width` x `height` selected into its own memory DC.
class TPaintBuffer {
 public:
  TPaintBuffer(HDC like, int width, int height)
      : dc_(CreateCompatibleDC(like)), bitmap_(CreateCompatibleBitmap(like, std::max(width, 1), std::max(height, 1))) {
    old_ = SelectObject(dc_, bitmap_);
  }
  ~TPaintBuffer() {
    SelectObject(dc_, old_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  TPaintBuffer(const TPaintBuffer&) = delete;
  TPaintBuffer& operator=(const TPaintBuffer&) = delete;
  HDC Dc() const { return dc_; }

 private:
  HDC dc_;
  HBITMAP bitmap_;
  HGDIOBJ old_;
};

// The DC's state comes back whatever the painting does.
class TSavedDc {
 public:
  explicit TSavedDc(HDC dc) : dc_(dc), saved_(SaveDC(dc)) {}
  ~TSavedDc() { RestoreDC(dc_, saved_); }
  TSavedDc(const TSavedDc&) = delete;
  TSavedDc& operator=(const TSavedDc&) = delete;

 private:
  HDC dc_;
  int saved_;
};

constexpr UINT kPrintAll = PRF_NONCLIENT | PRF_CLIENT | PRF_ERASEBKGND | PRF_CHILDREN;

// The buttons at the right end of `caption` that the window's styles give it: close, and
// maximize and minimize when it has either, the one it lacks shown unavailable. Returns where
// the buttons begin.
LONG PrintCaptionButtons(HWND window, HDC dc, const RECT& caption, LONG_PTR style, bool tool) {
  if (!(style & WS_SYSMENU)) return caption.right;
  const int width = GetSystemMetrics(tool ? SM_CXSMSIZE : SM_CXSIZE) - 2;
  const int height = GetSystemMetrics(tool ? SM_CYSMSIZE : SM_CYSIZE) - 4;
  RECT button{caption.right - 2 - width, caption.top + 2, caption.right - 2, caption.top + 2 + height};
  DrawFrameControl(dc, &button, DFC_CAPTION, DFCS_CAPTIONCLOSE);
  if (tool || !(style & (WS_MAXIMIZEBOX | WS_MINIMIZEBOX))) return button.left;
  // A gap between close and the pair.
  OffsetRect(&button, -width - 2, 0);
  DrawFrameControl(dc, &button, DFC_CAPTION,
                   (IsZoomed(window) ? DFCS_CAPTIONRESTORE : DFCS_CAPTIONMAX) |
                       ((style & WS_MAXIMIZEBOX) ? 0 : DFCS_INACTIVE));
  OffsetRect(&button, -width, 0);
  DrawFrameControl(dc, &button, DFC_CAPTION, DFCS_CAPTIONMIN | ((style & WS_MINIMIZEBOX) ? 0 : DFCS_INACTIVE));
  return button.left;
}

// The scroll bar `object` (OBJID_VSCROLL or OBJID_HSCROLL) as the system places it: its
// arrows, track and thumb. `origin` is the window's corner on the screen.
void PrintScrollBar(HWND window, HDC dc, LONG object, POINT origin) {
  SCROLLBARINFO info{};
  info.cbSize = sizeof(info);
  if (!GetScrollBarInfo(window, object, &info) || (info.rgstate[0] & (STATE_SYSTEM_INVISIBLE | STATE_SYSTEM_OFFSCREEN)))
    return;
  RECT bar = info.rcScrollBar;
  OffsetRect(&bar, -origin.x, -origin.y);
  if (IsRectEmpty(&bar)) return;
  const bool vertical = object == OBJID_VSCROLL;
  const bool unavailable = info.rgstate[0] & STATE_SYSTEM_UNAVAILABLE;
  // Square arrows, as the system's metrics size them, sharing a bar too short for two.
  const int length = vertical ? bar.bottom - bar.top : bar.right - bar.left;
  const int arrow = std::min<int>(GetSystemMetrics(vertical ? SM_CYVSCROLL : SM_CXHSCROLL), length / 2);
  FillRect(dc, &bar, GetSysColorBrush(COLOR_SCROLLBAR));
  RECT first = bar, last = bar;
  if (vertical) {
    first.bottom = first.top + arrow;
    last.top = last.bottom - arrow;
  } else {
    first.right = first.left + arrow;
    last.left = last.right - arrow;
  }
  const UINT inactive = unavailable ? DFCS_INACTIVE : 0;
  DrawFrameControl(dc, &first, DFC_SCROLL, (vertical ? DFCS_SCROLLUP : DFCS_SCROLLLEFT) | inactive);
  DrawFrameControl(dc, &last, DFC_SCROLL, (vertical ? DFCS_SCROLLDOWN : DFCS_SCROLLRIGHT) | inactive);
  if (unavailable || info.xyThumbBottom <= info.xyThumbTop) return;
  RECT thumb = bar;
  if (vertical) {
    thumb.top = bar.top + info.xyThumbTop;
    thumb.bottom = bar.top + info.xyThumbBottom;
  } else {
    thumb.left = bar.left + info.xyThumbTop;
    thumb.right = bar.left + info.xyThumbBottom;
  }
  DrawFrameControl(dc, &thumb, DFC_BUTTON, DFCS_BUTTONPUSH);
}

}  // namespace

void PrintSystemFrame(HWND window, HDC dc, const RECT& margins) {
  RECT wr;
  GetWindowRect(window, &wr);
  RECT r{0, 0, wr.right - wr.left, wr.bottom - wr.top};
  const RECT client{margins.left, margins.top, r.right - margins.right, r.bottom - margins.bottom};
  if (EqualRect(&r, &client)) return;
  const LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE), exStyle = GetWindowLongPtrW(window, GWL_EXSTYLE);
  // Only the frames the system makes; a control that makes its own answers WM_PRINT itself.
  const bool outer = (style & (WS_BORDER | WS_DLGFRAME | WS_THICKFRAME)) || (exStyle & WS_EX_DLGMODALFRAME);
  if (!outer && !(exStyle & (WS_EX_CLIENTEDGE | WS_EX_STATICEDGE)) && !(style & (WS_HSCROLL | WS_VSCROLL))) return;
  ExcludeClipRect(dc, client.left, client.top, client.right, client.bottom);
  FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
  if ((style & (WS_DLGFRAME | WS_THICKFRAME)) || (exStyle & WS_EX_DLGMODALFRAME)) {
    DrawEdge(dc, &r, EDGE_RAISED, BF_RECT | BF_ADJUST);
  } else if (style & WS_BORDER) {
    FrameRect(dc, &r, GetSysColorBrush(COLOR_WINDOWFRAME));
    InflateRect(&r, -1, -1);
  }
  if ((style & WS_CAPTION) == WS_CAPTION) {
    const bool tool = exStyle & WS_EX_TOOLWINDOW;
    // The caption lies inside the frame, whose width the side margin shows.
    RECT caption{client.left, margins.left, client.right,
                 margins.left + GetSystemMetrics(tool ? SM_CYSMCAPTION : SM_CYCAPTION) - 1};
    caption.bottom = std::min(caption.bottom, client.top);
    GUITHREADINFO thread{};
    thread.cbSize = sizeof(thread);
    const bool active = GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &thread) && thread.hwndActive == window;
    const UINT look = (active ? DC_ACTIVE : 0) | (tool ? DC_SMALLCAP : 0);
    DrawCaption(window, dc, &caption, look);
    // The title ends before the buttons, as it shows on screen.
    RECT title = caption;
    title.right = PrintCaptionButtons(window, dc, caption, style, tool);
    DrawCaption(window, dc, &title, look | DC_TEXT | DC_ICON);
  }
  if (style & (WS_HSCROLL | WS_VSCROLL)) {
    const POINT origin{wr.left, wr.top};
    if (style & WS_VSCROLL) PrintScrollBar(window, dc, OBJID_VSCROLL, origin);
    if (style & WS_HSCROLL) PrintScrollBar(window, dc, OBJID_HSCROLL, origin);
  }
  RECT inner{client.left, client.top, client.right, client.bottom};
  if (exStyle & WS_EX_CLIENTEDGE) {
    InflateRect(&inner, 2, 2);
    DrawEdge(dc, &inner, EDGE_SUNKEN, BF_RECT);
  } else if (exStyle & WS_EX_STATICEDGE) {
    InflateRect(&inner, 1, 1);
    DrawEdge(dc, &inner, BDR_SUNKENOUTER, BF_RECT);
  }
}

void PrintWindowAt(HWND window, HDC dc, int x, int y, UINT flags) {
  RECT r;
  GetWindowRect(window, &r);
  const int width = r.right - r.left, height = r.bottom - r.top;
  TSavedDc saved(dc);
  OffsetViewportOrgEx(dc, x, y, nullptr);
  IntersectClipRect(dc, 0, 0, width, height);
  // Wine's buttons clip their painting to their client rectangle taken as device units in
  // the DC they are given, so with its origin moved to their place they print nothing, or a
  // corner. Each window is printed into a buffer of its own at the origin, over a copy of
  // what lies under it for those that leave their background, and then copied to its place.
  TPaintBuffer buffer(dc, width, height);
  BitBlt(buffer.Dc(), 0, 0, width, height, dc, 0, 0, SRCCOPY);
  SendMessageW(window, WM_PRINT, reinterpret_cast<WPARAM>(buffer.Dc()), flags);
  BitBlt(dc, 0, 0, width, height, buffer.Dc(), 0, 0, SRCCOPY);
}

void PrintChildWindows(HWND window, HDC dc, UINT flags) {
  POINT origin{0, 0};
  if (flags & PRF_NONCLIENT) {
    RECT r;
    GetWindowRect(window, &r);
    origin = {r.left, r.top};
  } else {
    ::ClientToScreen(window, &origin);
  }
  HWND first = GetWindow(window, GW_CHILD);
  // Bottom of the z-order first, so that the windows on top are drawn last.
  for (HWND child = first ? GetWindow(first, GW_HWNDLAST) : nullptr; child; child = GetWindow(child, GW_HWNDPREV)) {
    // A control of the layer is printed when it would show with its parent, so a window
    // that is still hidden can be captured whole.
    TWinControl* control = FindControl(child);
    if (control ? !control->Visible() : !(GetWindowLongPtrW(child, GWL_STYLE) & WS_VISIBLE)) continue;
    RECT r;
    GetWindowRect(child, &r);
    PrintWindowAt(child, dc, r.left - origin.x, r.top - origin.y, kPrintAll);
  }
}

void TWinControl::PaintWindow(HDC dc) {
  if (OwnWindowClass()) return;
  TMessage own{WM_PAINT, reinterpret_cast<WPARAM>(dc), 0, 0};
  DefaultHandler(own);
}

void TWinControl::PaintHandler(TMessage& m) {
  HDC given = reinterpret_cast<HDC>(m.WParam);
  if (!given && !doubleBuffered_ && !OwnWindowClass()) {
    DefaultHandler(m);
    return;
  }
  PAINTSTRUCT ps{};
  HDC target = given;
  if (!given) target = BeginPaint(handle_, &ps);
  struct TEnd {
    HWND window;
    PAINTSTRUCT* ps;
    ~TEnd() {
      if (ps) EndPaint(window, ps);
    }
  } end{handle_, given ? nullptr : &ps};
  if (!doubleBuffered_) {
    PaintWindow(target);
    return;
  }
  RECT client;
  GetClientRect(handle_, &client);
  RECT area = given ? client : ps.rcPaint;
  if (IsRectEmpty(&area)) return;
  TPaintBuffer buffer(target, client.right, client.bottom);
  HDC memory = buffer.Dc();
  struct TBufferMark {
    HDC& field;
    HDC outer;
    ~TBufferMark() { field = outer; }
  } mark{bufferDc_, bufferDc_};
  bufferDc_ = memory;
  IntersectClipRect(memory, area.left, area.top, area.right, area.bottom);
  Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(memory), reinterpret_cast<LPARAM>(memory));
  PaintWindow(memory);
  BitBlt(target, area.left, area.top, area.right - area.left, area.bottom - area.top, memory, area.left, area.top,
         SRCCOPY);
}

void TWinControl::PrintHandler(TMessage& m) {
  HDC dc = reinterpret_cast<HDC>(m.WParam);
  const UINT flags = static_cast<UINT>(m.LParam);
  m.Result = 0;
  if (!dc || !handle_) return;
  if ((flags & PRF_CHECKVISIBLE) && !IsWindowVisible(handle_)) return;
  RECT frame = NonClientMargins();
  if (flags & PRF_NONCLIENT) {
    TSavedDc saved(dc);
    PrintSystemFrame(handle_, dc, frame);
  }
  if (flags & PRF_CLIENT) {
    TSavedDc saved(dc);
    RECT client;
    GetClientRect(handle_, &client);
    if (flags & PRF_NONCLIENT) OffsetViewportOrgEx(dc, frame.left, frame.top, nullptr);
    IntersectClipRect(dc, 0, 0, client.right, client.bottom);
    // A double-buffered control erases into its buffer when it paints.
    if ((flags & PRF_ERASEBKGND) && !doubleBuffered_) Perform(WM_ERASEBKGND, m.WParam, 0);
    Perform(WM_PRINTCLIENT, m.WParam, static_cast<LPARAM>(flags));
  }
  if ((flags & PRF_CHILDREN) && (flags & PRF_CLIENT)) PrintChildWindows(handle_, dc, flags);
  m.Result = 1;
}

void TWinControl::PaintTo(HDC dc, int x, int y) { PrintWindowAt(Handle(), dc, x, y, kPrintAll); }

void TWinControl::Broadcast(TMessage& message) {
  for (TControl* child : std::vector<TControl*>(controls_)) {
    // A child that an earlier one removed gets nothing.
    if (std::find(controls_.begin(), controls_.end(), child) == controls_.end()) continue;
    child->WindowProc(message);
    if (message.Result != 0) return;
  }
}

namespace {

bool TakesPartInTabOrder(HWND window) {
  const LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
  return (style & WS_VISIBLE) && !(style & WS_DISABLED);
}

void CollectTabOrder(HWND parent, std::vector<HWND>& windows) {
  for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (!TakesPartInTabOrder(child)) continue;
    windows.push_back(child);
    if (GetWindowLongPtrW(child, GWL_EXSTYLE) & WS_EX_CONTROLPARENT) CollectTabOrder(child, windows);
  }
}

}  // namespace

HWND FindNextTabStop(HWND root, HWND from, bool backward) {
  std::vector<HWND> windows;
  CollectTabOrder(root, windows);
  const size_t count = windows.size();
  // A window that is no stop of its own (the edit inside a combo box) counts where the
  // nearest of its parents in the order stands.
  size_t at = count;
  for (HWND w = from; w && w != root && at == count; w = GetParent(w))
    at = static_cast<size_t>(std::find(windows.begin(), windows.end(), w) - windows.begin());
  for (size_t step = 1; step <= count; ++step) {
    size_t i;
    if (at == count)
      i = backward ? count - step : step - 1;
    else
      i = backward ? (at + count - step) % count : (at + step) % count;
    if (GetWindowLongPtrW(windows[i], GWL_STYLE) & WS_TABSTOP) return windows[i];
  }
  return nullptr;
}

void FocusByKeyboard(HWND window) {
  if (!window) return;
  const LRESULT code = SendMessageW(window, WM_GETDLGCODE, 0, 0);
  if ((code & DLGC_HASSETSEL) && !(GetWindowLongPtrW(window, GWL_STYLE) & ES_MULTILINE))
    SendMessageW(window, EM_SETSEL, 0, -1);
  ::SetFocus(window);
}

int PageTurnOf(WPARAM key) {
  if (GetKeyState(VK_CONTROL) >= 0 || GetKeyState(VK_MENU) < 0) return 0;
  switch (key) {
    case VK_TAB:
      return GetKeyState(VK_SHIFT) < 0 ? -1 : 1;
    case VK_NEXT:
      return 1;
    case VK_PRIOR:
      return -1;
    default:
      return 0;
  }
}

// --- TCustomControl --------------------------------------------------------------------------

TCustomControl::TCustomControl(TComponent* owner) : TWinControl(owner) {}

void TCustomControl::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.ClassStyle = CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
}

void TCustomControl::Paint() {}

void TCustomControl::PaintWindow(HDC dc) {
  // Painting may nest (a control printing another into its picture): the canvas goes back
  // to the DC it had.
  HDC outer = canvas_.Handle();
  canvas_.SetHandle(dc);
  canvas_.Font().Assign(Font());
  canvas_.Brush().SetColor(color_);
  try {
    Paint();
  } catch (...) {
    canvas_.SetHandle(outer);
    throw;
  }
  canvas_.SetHandle(outer);
}

}  // namespace movra::ui
