// The dockable window: joining and leaving docks and floating parents, its docked frame, the
// close button and the rule that decides when a floating window is shown.
#include <windowsx.h>

#include <algorithm>
#include <cstdio>

#include "runtime/text.h"
#include "runtime/ui/resstrings.h"
#include "toolbars/bar_common.h"
#include "toolbars/bar_dock.h"
#include "toolbars/bar_dock_support.h"
#include "toolbars/bar_hook.h"

namespace movra::bars {

using namespace movra::ui;

namespace {

std::vector<TBarCustomDockableWindow*>& FloatingList() {
  static auto* list = new std::vector<TBarCustomDockableWindow*>;
  return *list;
}

void FloatingHookEvent(THookProcCode code, HWND window, WPARAM wparam, LPARAM lparam);
constexpr THookProcCodes FloatingHookCodes = HookCodes(hpAppActivate, hpWindowPosChanged, hpWindowDestroy);

// The hooks that tell floating windows of activation and of their forms' changes run on every
// message the thread sends, which is dear under Wine: they are held only while some window
// floats, one registration for each.
void JoinFloating(TBarCustomDockableWindow* window) {
  auto& list = FloatingList();
  if (std::find(list.begin(), list.end(), window) != list.end()) return;
  list.push_back(window);
  RegisterHookCallback(FloatingHookEvent, FloatingHookCodes);
}

void LeaveFloating(TBarCustomDockableWindow* window) {
  auto& list = FloatingList();
  auto it = std::find(list.begin(), list.end(), window);
  if (it == list.end()) return;
  list.erase(it);
  UnregisterHookCallback(FloatingHookEvent);
}

}  // namespace

const std::vector<TBarCustomDockableWindow*>& FloatingWindows() { return FloatingList(); }

int DragHandleSize(bool closeButtonWhenDocked, TBarDragHandleStyle style) {
  static constexpr int sizes[2][3] = {{9, 0, 6}, {14, 14, 14}};
  return sizes[closeButtonWhenDocked ? 1 : 0][static_cast<int>(style)];
}

int FirstGripOffset(bool closeButtonWhenDocked, TBarDragHandleStyle style) {
  static constexpr int offsets[2][3] = {{2, 0, 1}, {3, 0, 5}};
  return offsets[closeButtonWhenDocked ? 1 : 0][static_cast<int>(style)];
}

TBarCustomDockableWindow::TBarCustomDockableWindow(TComponent* owner) : TCustomControl(owner) {
  SetControlStyle((ControlStyle() | csAcceptsControls | csClickEvents | csSetCaption | csDoubleClicks) &
                  ~(csCaptureMouse | csOpaque));
  SetColor(clBtnFace);
}

TBarCustomDockableWindow::~TBarCustomDockableWindow() { TBarCustomDockableWindow::BeforeDestruction(); }

void TBarCustomDockableWindow::BeforeDestruction() {
  if (!IsDestroying()) {
    LeaveFloating(this);
    // The docks that list this window forget it now, while it is still whole.
    for (TBarDock* dock : {currentDock_, lastDock_}) {
      if (!dock) continue;
      std::erase(dock->dockList_, this);
      std::erase(dock->visibleList_, this);
      if (dock->draggedBar_ == this) dock->draggedBar_ = nullptr;
    }
    TBarFloatingWindowParent* parent = floatingParent_;
    floatingParent_ = nullptr;
    TCustomControl::BeforeDestruction();
    extraForms_.clear();
    if (parent) {
      // The parent would free a child without an owner with itself: this one is going already.
      parent->RemoveControl(this);
      parent->window_ = nullptr;
      Free(parent);
    }
    return;
  }
  TCustomControl::BeforeDestruction();
}

int TBarCustomDockableWindow::DockType() const {
  if (floating_) return dtFloating;
  if (!docked_ || !currentDock_) return dtNotDocked;
  return currentDock_->IsSideDock() ? dtLeftRight : dtTopBottom;
}

int TBarCustomDockableWindow::DragHandleSize() const {
  return movra::bars::DragHandleSize(closeButtonWhenDocked_, dragHandleStyle_);
}

// --- Virtual operations ----------------------------------------------------------------------

void TBarCustomDockableWindow::NonClientSizes(SIZE& size) {
  if (!docked_ || !currentDock_) {
    size = {0, 0};
    return;
  }
  size = {4, 4};
  if (currentDock_->AllowDrag()) {
    if (currentDock_->IsSideDock())
      size.cy = DragHandleSize() + 4;
    else
      size.cx = DragHandleSize() + 4;
  }
}

bool TBarCustomDockableWindow::AcceptsDock(TBarDock* dock) {
  return dock && (dockableTo_ & DockableBit(dock->Position()));
}

bool TBarCustomDockableWindow::PointOnChildControl(POINT p) {
  for (int i = 0; i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    if (!c->Visible() || IsInternalControl(c)) continue;
    RECT r = c->BoundsRect();
    if (PtInRect(&r, p)) return true;
  }
  return false;
}

void TBarCustomDockableWindow::CloseButtonRect(bool vertical, RECT& rect) {
  int s = DragHandleSize() - 3;
  if (vertical) {
    int x = ClientWidth() - s + 2;
    rect = {x, 3, x + s, 3 + s};
  } else {
    rect = {3, 2, 3 + s, 2 + s};
  }
}

void TBarCustomDockableWindow::MinimumShrunkLength(int&) {}
void TBarCustomDockableWindow::SizingLimits(int&, int&, int&, int&) {}
TBarShrinkMode TBarCustomDockableWindow::CurrentShrinkMode() { return TBarShrinkMode::tbsmNone; }
void TBarCustomDockableWindow::SizeChanging(int, int) {}

void TBarCustomDockableWindow::FloatingBorderSize(SIZE& size) {
  if (resizable_)
    size = {GetSystemMetrics(SM_CXFRAME), GetSystemMetrics(SM_CYFRAME)};
  else
    size = {GetSystemMetrics(SM_CXDLGFRAME), GetSystemMetrics(SM_CYDLGFRAME)};
}

bool TBarCustomDockableWindow::IsInternalControl(TControl*) { return false; }

void TBarCustomDockableWindow::DockChangingHidden(bool floating, TBarDock* dock) {
  if (!IsDestroying() && OnDockChangingHidden) OnDockChangingHidden(this, floating, dock);
}

TBarFloatingWindowParent* TBarCustomDockableWindow::CreateFloatingParent() {
  return new TBarFloatingWindowParent(nullptr);
}

void TBarCustomDockableWindow::SizingBegin(int) {}
void TBarCustomDockableWindow::SizingTrack(RECT&, const RECT&) {}

// --- Properties ------------------------------------------------------------------------------

void TBarCustomDockableWindow::SetAutoResize(bool on) {
  if (on == autoResize_) return;
  autoResize_ = on;
  if (on) RecomputeSize();
}

void TBarCustomDockableWindow::RecalcNonClient() {
  if (HandleAllocated())
    SetWindowPos(Handle(), nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  if (docked_) RecomputeSize();
}

void TBarCustomDockableWindow::RepaintFrame() {
  if (floating_ && floatingParent_ && floatingParent_->HandleAllocated())
    RedrawWindow(floatingParent_->Handle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_NOERASE | RDW_NOCHILDREN);
  else if (HandleAllocated())
    RedrawWindow(Handle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_NOERASE | RDW_NOCHILDREN);
}

// A docked window moved over a dock background shows the background of its new place at
// once: painted whole into a bitmap and copied in one step, so that nothing flickers. When all
// of the client area waits for a paint anyway, only the frame is asked for.
void TBarCustomDockableWindow::RepaintOverBackground() {
  if (!HandleAllocated() || !IsWindowVisible(Handle())) return;
  RECT client;
  GetClientRect(Handle(), &client);
  HRGN update = NewEmptyRegion();
  HRGN whole = CreateRectRgnIndirect(&client);
  const int kind = GetUpdateRgn(Handle(), update, FALSE);
  const bool allInvalid = kind != ERROR && kind != NULLREGION && EqualRgn(update, whole);
  DeleteObject(whole);
  DeleteObject(update);
  if (allInvalid) {
    RepaintFrame();
    return;
  }
  RECT wr;
  GetWindowRect(Handle(), &wr);
  const int width = wr.right - wr.left, height = wr.bottom - wr.top;
  if (width <= 0 || height <= 0) return;
  HDC windowDc = GetWindowDC(Handle());
  HDC memory = CreateCompatibleDC(windowDc);
  HBITMAP bitmap = CreateCompatibleBitmap(windowDc, width, height);
  HGDIOBJ old = SelectObject(memory, bitmap);
  SendMessageW(Handle(), WM_PRINT, reinterpret_cast<WPARAM>(memory), PRF_NONCLIENT | PRF_ERASEBKGND | PRF_CLIENT);
  BitBlt(windowDc, 0, 0, width, height, memory, 0, 0, SRCCOPY);
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(Handle(), windowDc);
  ValidateRect(Handle(), nullptr);
}

void TBarCustomDockableWindow::SetBorderStyle(TBorderStyle style) {
  if (style == borderStyle_) return;
  borderStyle_ = style;
  if (docked_) RecalcNonClient();
}

void TBarCustomDockableWindow::SetCloseButton(bool on) {
  if (on == closeButton_) return;
  closeButton_ = on;
  if (floating_ && floatingParent_) floatingParent_->PaintFrame(false, nullptr, 2 | 4, nullptr);
}

void TBarCustomDockableWindow::SetCloseButtonWhenDocked(bool on) {
  if (on == closeButtonWhenDocked_) return;
  closeButtonWhenDocked_ = on;
  if (docked_) RecalcNonClient();
}

void TBarCustomDockableWindow::SetDragHandleStyle(TBarDragHandleStyle style) {
  if (style == dragHandleStyle_) return;
  dragHandleStyle_ = style;
  if (docked_) RecalcNonClient();
}

void TBarCustomDockableWindow::SetCurrentDock(TBarDock* dock) {
  if (IsLoading()) return;
  if (dock)
    SetParent(dock);
  else
    SetParent(TopForm());
}

void TBarCustomDockableWindow::SetDefaultDock(TBarDock* dock) {
  if (dock == defaultDock_) return;
  if (defaultDock_) defaultDock_->RemoveFreeNotification(this);
  defaultDock_ = dock;
  if (dock) dock->FreeNotification(this);
}

void TBarCustomDockableWindow::SetDockPos(int pos) {
  dockPos_ = pos;
  if (docked_ && currentDock_) currentDock_->ArrangeBars();
}

void TBarCustomDockableWindow::SetDockRow(int row) {
  dockRow_ = row;
  if (docked_ && currentDock_) currentDock_->ArrangeBars();
}

void TBarCustomDockableWindow::SetFloatingMode(TBarFloatingMode mode) {
  if (mode == floatingMode_) return;
  floatingMode_ = mode;
  // The owner and the topmost state follow the mode even when the window stays shown.
  showingKnown_ = false;
  UpdateShowing();
}

void TBarCustomDockableWindow::SetFullSize(bool on) {
  if (on == fullSize_) return;
  fullSize_ = on;
  if (docked_ && currentDock_) currentDock_->ArrangeBars();
}

void TBarCustomDockableWindow::SetStretch(bool on) {
  if (on == stretch_) return;
  stretch_ = on;
  if (docked_ && currentDock_) currentDock_->ArrangeBars();
}

void TBarCustomDockableWindow::SetHideWhenInactive(bool on) {
  if (on == hideWhenInactive_) return;
  hideWhenInactive_ = on;
  UpdateShowing();
}

void TBarCustomDockableWindow::SetResizable(bool on) {
  if (on == resizable_) return;
  resizable_ = on;
  if (floating_ && floatingParent_ && floatingParent_->HandleAllocated()) {
    // The frame style changes: the floating parent's window is made again around this one.
    LONG_PTR style = GetWindowLongPtrW(floatingParent_->Handle(), GWL_STYLE);
    style = on ? (style | WS_THICKFRAME) : (style & ~WS_THICKFRAME);
    SetWindowLongPtrW(floatingParent_->Handle(), GWL_STYLE, style);
    SetWindowPos(floatingParent_->Handle(), nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    RecomputeSize();
  }
}

void TBarCustomDockableWindow::SetShowCaption(bool on) {
  if (on == showCaption_) return;
  showCaption_ = on;
  if (floating_ && floatingParent_ && floatingParent_->HandleAllocated()) {
    SetWindowPos(floatingParent_->Handle(), nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    RecomputeSize();
  }
}

void TBarCustomDockableWindow::SetLastDock(TBarDock* dock) {
  if (useLastDock_ && currentDock_) dock = currentDock_;
  if (dock == lastDock_) return;
  if (lastDock_) {
    if (lastDock_ != Parent()) lastDock_->RemoveFromDockList(this);
    lastDock_->RemoveFreeNotification(this);
  }
  lastDock_ = dock;
  if (dock) {
    useLastDock_ = true;
    dock->FreeNotification(this);
    dock->AddToDockList(this);
  }
}

void TBarCustomDockableWindow::SetUseLastDock(bool on) {
  if (on == useLastDock_) return;
  useLastDock_ = on;
  SetLastDock(on ? currentDock_ : nullptr);
}

// --- Placement -------------------------------------------------------------------------------

TCustomForm* TBarCustomDockableWindow::TopForm() const {
  const TControl* c = this;
  while (c->Parent()) {
    if (auto* fp = dynamic_cast<TBarFloatingWindowParent*>(c->Parent())) return fp->ownerForm_;
    c = c->Parent();
  }
  return dynamic_cast<TCustomForm*>(const_cast<TControl*>(c));
}

RECT TBarCustomDockableWindow::ClientRect() const {
  if (HandleAllocated()) return TCustomControl::ClientRect();
  SIZE nc{0, 0};
  const_cast<TBarCustomDockableWindow*>(this)->NonClientSizes(nc);
  return {0, 0, std::max<LONG>(0, Width() - nc.cx), std::max<LONG>(0, Height() - nc.cy)};
}

void TBarCustomDockableWindow::SetBounds(int left, int top, int width, int height) {
  bool resized = width != Width() || height != Height();
  if (resized && boundsUpdate_ == 0) SizeChanging(width, height);
  if (floating_ && floatingParent_) {
    SIZE nc = floatingParent_->NonClientSize();
    TControl::SetBounds(0, 0, width, height);
    floatingParent_->SetBounds(floatingParent_->Left(), floatingParent_->Top(), width + nc.cx, height + nc.cy);
    return;
  }
  TControl::SetBounds(left, top, width, height);
}

void TBarCustomDockableWindow::ResumeArrange() {
  if (arrangeSuspend_ <= 0) return;
  if (--arrangeSuspend_ == 0 && arrangeNeeded_) RecomputeSize();
}

void TBarCustomDockableWindow::RecomputeSize() {
  if (arrangeSuspend_ > 0 || IsLoading() || !Parent()) {
    arrangeNeeded_ = true;
    return;
  }
  arrangeNeeded_ = false;
  SIZE size{Width(), Height()};
  ComputeLayout(true, DockType(), size, currentDock_, floating_);
  if (!(autoResize_ || docked_ || floating_)) return;
  if (docked_ && currentDock_) {
    currentDock_->ArrangeBars();
    return;
  }
  SIZE nc{0, 0};
  NonClientSizes(nc);
  int width = size.cx + nc.cx, height = size.cy + nc.cy;
  if (!floating_) {
    if ((Anchors() & (akLeft | akRight)) == (akLeft | akRight)) width = Width();
    if ((Anchors() & (akTop | akBottom)) == (akTop | akBottom)) height = Height();
  }
  ++boundsUpdate_;
  try {
    SetBounds(Left(), Top(), width, height);
  } catch (...) {
    --boundsUpdate_;
    throw;
  }
  --boundsUpdate_;
}

void TBarCustomDockableWindow::SetFloatingPosition(POINT p) {
  floatingPosition_ = p;
  if (floating_ && floatingParent_)
    floatingParent_->SetBounds(p.x, p.y, floatingParent_->Width(), floatingParent_->Height());
}

void TBarCustomDockableWindow::KeepOnScreen(bool onlyIfOffScreen) {
  if (!floating_ || !floatingParent_) return;
  RECT r = floatingParent_->BoundsRect();
  RECT area = NearestMonitorRectForRect(r, true);
  RECT overlap;
  if (onlyIfOffScreen && IntersectRect(&overlap, &r, &area)) return;
  int dx = 0, dy = 0;
  if (r.right > area.right) dx = area.right - r.right;
  if (r.bottom > area.bottom) dy = area.bottom - r.bottom;
  if (r.left + dx < area.left) dx = area.left - r.left;
  if (r.top + dy < area.top) dy = area.top - r.top;
  if (dx == 0 && dy == 0) return;
  SetFloatingPosition({r.left + dx, r.top + dy});
}

bool TBarCustomDockableWindow::CanBeDragged() const {
  return (docked_ && currentDock_ && currentDock_->AllowDrag()) || floating_;
}

void TBarCustomDockableWindow::Close() {
  bool canClose = true;
  if (OnCloseQuery) OnCloseQuery(this, canClose);
  if (!canClose) return;
  Hide();
  if (OnClose) OnClose(this);
}

void TBarCustomDockableWindow::ToggleDocking() {
  if (docked_) {
    if (dblClickUndock_ && dockMode_ == TBarDockMode::dmCanFloat) {
      SetFloating(true);
      KeepOnScreen(false);
    }
  } else if (floating_) {
    if (lastDock_) {
      SetParent(lastDock_);
    } else if (defaultDock_) {
      dockRow_ = 0;
      dockPos_ = -8;
      SetParent(defaultDock_);
    }
  }
}

void TBarCustomDockableWindow::SetFloating(bool on) {
  if (!on) {
    SetParent(TopForm());
    return;
  }
  if (floating_) return;
  TCustomForm* form = TopForm();
  if (!form) throw EInvalidOperation(Format(LoadResString(res::ErrNoParentWindow), {Name()}));
  if (!floatingParent_ || floatingParent_->ownerForm_ != form) {
    if (floatingParent_) FreeFloatingParent();
    TBarFloatingWindowParent* parent = CreateFloatingParent();
    // Placing the new parent is no move of this window yet.
    ++moveSuspend_;
    try {
      static unsigned serial = 0;
      char name[64];
      std::snprintf(name, sizeof(name), "BarFloatingWindowParent_%.8x", ++serial);
      parent->ownerForm_ = form;
      parent->window_ = this;
      parent->SetName(name);
      parent->SetCaption(GetText());
      parent->SetBorderStyle(TFormBorderStyle::bsToolWindow);
      RECT client = ClientRect();
      SIZE nc = parent->NonClientSize();
      parent->SetBounds(floatingPosition_.x, floatingPosition_.y, client.right + nc.cx, client.bottom + nc.cy);
      parent->SetShowHint(true);
      parent->SetVisible(true);
    } catch (...) {
      --moveSuspend_;
      parent->window_ = nullptr;
      Free(parent);
      throw;
    }
    --moveSuspend_;
    floatingParent_ = parent;
    form->FreeNotification(this);
  }
  SetParent(floatingParent_);
  // Re-parenting computed the floating size already (a toolbar's floating margins differ from
  // its docked frame): the floating parent is fitted to that size.
  SetBounds(0, 0, Width(), Height());
}

void TBarCustomDockableWindow::FreeFloatingParent() {
  TBarFloatingWindowParent* parent = floatingParent_;
  if (!parent) return;
  floatingParent_ = nullptr;
  parent->window_ = nullptr;
  LeaveFloating(this);
  // It may be the one whose button handler runs now: it goes once that handler is done.
  if (parent->HandleAllocated()) {
    ShowWindow(parent->Handle(), SW_HIDE);
    parent->Release();
  } else {
    Free(parent);
  }
}

void TBarCustomDockableWindow::RefreshDockState() {
  TWinControl* p = Parent();
  currentDock_ = dynamic_cast<TBarDock*>(p);
  docked_ = currentDock_ != nullptr;
  floating_ = dynamic_cast<TBarFloatingWindowParent*>(p) != nullptr;
}

void TBarCustomDockableWindow::UpdateFloatingRegistration() {
  auto* fp = dynamic_cast<TBarFloatingWindowParent*>(Parent());
  if (fp) {
    JoinFloating(this);
    fp->SetBounds(floatingPosition_.x, floatingPosition_.y, fp->Width(), fp->Height());
  } else {
    LeaveFloating(this);
  }
}

void TBarCustomDockableWindow::SetParent(TWinControl* parent) {
  if (parent == Parent()) {
    RefreshDockState();
    UpdateFloatingRegistration();
    return;
  }
  auto* newDock = dynamic_cast<TBarDock*>(parent);
  auto* newFloating = dynamic_cast<TBarFloatingWindowParent*>(parent);
  const bool destroying = IsDestroying();
  const bool hadParent = Parent() != nullptr;
  if (!destroying && parent) {
    if (OnDockChanging) OnDockChanging(this, newFloating != nullptr, newDock);
    if (OnRecreating) OnRecreating(this);
  }
  ++hidden_;
  ++moveSuspend_;
  UpdateShowing();
  TBarDock* oldDock = docked_ ? currentDock_ : nullptr;
  auto* oldFloating = dynamic_cast<TBarFloatingWindowParent*>(Parent());
  if (oldDock) oldDock->SuspendArrange();
  if (newDock) newDock->SuspendArrange();
  ++boundsUpdate_;
  if (parent) DockChangingHidden(newFloating != nullptr, newDock);
  SuspendArrange();
  currentSize_ = 0;
  auto finish = [&] {
    ResumeArrange();
    --boundsUpdate_;
    if (newDock) newDock->ResumeArrange();
    if (oldDock) oldDock->ResumeArrange();
    --hidden_;
    --moveSuspend_;
  };
  try {
    if (oldDock) {
      if (!(useLastDock_ && lastDock_ == oldDock)) std::erase(oldDock->dockList_, this);
      oldDock->UpdateVisibleList(this);
    }
    inReparent_ = true;
    try {
      TCustomControl::SetParent(parent);
    } catch (...) {
      inReparent_ = false;
      RefreshDockState();
      throw;
    }
    inReparent_ = false;
    if (HandleAllocated())
      SetWindowPos(Handle(), nullptr, 0, 0, 0, 0,
                   SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    RefreshDockState();
    effectiveRow_ = -1;
    if (!dragging_ && oldFloating && oldFloating != parent) {
      if (oldFloating == floatingParent_) {
        FreeFloatingParent();
      } else {
        oldFloating->window_ = nullptr;
        oldFloating->Release();
      }
    }
    if (newDock) {
      if (useLastDock_ && !dragging_) {
        SetLastDock(newDock);
        newDock->AddToDockList(this);
      } else {
        newDock->AddToDockList(this);
      }
    }
    UpdateFloatingRegistration();
    RecomputeSize();
  } catch (...) {
    finish();
    UpdateShowing();
    throw;
  }
  finish();
  UpdateShowing();
  if (hadParent) DoMove();
  if (!destroying && parent) {
    if (OnRecreated) OnRecreated(this);
    if (OnDockChanged) OnDockChanged(this);
  }
}

void TBarCustomDockableWindow::DoMove() {
  if (moveSuspend_ == 0 && !IsLoading() && OnMove) OnMove(this);
}

void TBarCustomDockableWindow::Loaded() {
  TCustomControl::Loaded();
  AfterLoadHook();
  RecomputeSize();
}

void TBarCustomDockableWindow::Notification(TComponent* component, TOperation operation) {
  TCustomControl::Notification(component, operation);
  if (operation != TOperation::opRemove) return;
  if (component == defaultDock_) defaultDock_ = nullptr;
  if (component == lastDock_) lastDock_ = nullptr;
  if (component == currentDock_) {
    currentDock_ = nullptr;
    docked_ = false;
  }
  if (floatingParent_ && component == floatingParent_->ownerForm_) {
    TBarFloatingWindowParent* fp = floatingParent_;
    if (Parent() != fp) {
      FreeFloatingParent();
    } else if (floatingMode_ == TBarFloatingMode::fmOnTopOfAllForms) {
      fp->ownerForm_ = nullptr;
    } else {
      SetParent(nullptr);
    }
  }
  if (component == floatingParent_) floatingParent_ = nullptr;
  std::erase(extraForms_, component);
}

void TBarCustomDockableWindow::VisibleChanged() {
  // Whether the window shows is the showing rule's to say.
  if (Visible() && Parent() && Parent()->HandleAllocated()) HandleNeeded();
  UpdateShowing();
  if (docked_ && currentDock_ && !IsLoading()) currentDock_->UpdateVisibleList();
  if (OnVisibleChanged) OnVisibleChanged(this);
}

// --- The showing rule ------------------------------------------------------------------------

bool TBarCustomDockableWindow::ComputeShown() {
  bool shown = Visible() && Parent() != nullptr && hidden_ == 0;
  if (shown && floating_) {
    TCustomForm* owner = floatingParent_ ? floatingParent_->ownerForm_ : nullptr;
    if (floatingMode_ == TBarFloatingMode::fmOnTopOfParentForm) {
      if (!owner || !owner->HandleAllocated())
        shown = false;
      else if (Application().Handle() && IsIconic(Application().Handle()))
        shown = false;
      else if (!IsWindowVisible(owner->Handle()) || IsIconic(owner->Handle()))
        shown = false;
    }
    if (hideWhenInactive_ && !ThreadHasActiveWindow()) shown = false;
  }
  bool inactive = floating_ && !hideWhenInactive_ && !ThreadHasActiveWindow();
  if (inactive != inactiveCaption_) {
    inactiveCaption_ = inactive;
    if (floatingParent_) floatingParent_->PaintFrame(false, nullptr, 1 | 2 | 4, nullptr);
  }
  return shown;
}

void TBarCustomDockableWindow::UpdateShowing() {
  bool shown = ComputeShown();
  if (showingKnown_ && shown == shownByRule_ && !inReparent_) {
    // The rule did not change, but re-parenting may have hidden the window behind it.
    if (HandleAllocated() && shown == ((GetWindowLongPtrW(Handle(), GWL_STYLE) & WS_VISIBLE) != 0)) return;
  }
  showingKnown_ = true;
  shownByRule_ = shown;
  ApplyShowing(shown);
}

void TBarCustomDockableWindow::ApplyShowing(bool shown) {
  TBarFloatingWindowParent* fp = dynamic_cast<TBarFloatingWindowParent*>(Parent());
  if (fp) {
    if (shown && fp->HandleAllocated()) {
      HWND owner = nullptr;
      if (floatingMode_ == TBarFloatingMode::fmOnTopOfAllForms)
        owner = Application().Handle();
      else if (fp->ownerForm_ && fp->ownerForm_->HandleAllocated())
        owner = fp->ownerForm_->Handle();
      HWND current = GetWindow(fp->Handle(), GW_OWNER);
      if (owner && owner != current) {
        SetWindowLongPtrW(fp->Handle(), GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
        if (owner != Application().Handle())
          SetWindowPos(fp->Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
      }
    }
    SyncTopmost();
    fp->shouldShow_ = shown;
    fp->UpdateWindowShowing();
  }
  if (!HandleAllocated()) return;
  bool wasActive = false;
  if (!shown) {
    HWND active = GetActiveWindow();
    wasActive = active && (active == Handle() || (fp && fp->HandleAllocated() && active == fp->Handle()));
  }
  SetWindowPos(Handle(), nullptr, 0, 0, 0, 0,
               SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | (shown ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
  if (wasActive) PassActivation();
}

void TBarCustomDockableWindow::SyncTopmost() {
  auto* fp = dynamic_cast<TBarFloatingWindowParent*>(Parent());
  if (!fp || !fp->HandleAllocated()) return;
  bool topmost;
  if (floatingMode_ == TBarFloatingMode::fmOnTopOfAllForms) {
    topmost = Enabled();
  } else {
    HWND owner = GetWindow(fp->Handle(), GW_OWNER);
    topmost = owner && (GetWindowLongPtrW(owner, GWL_EXSTYLE) & WS_EX_TOPMOST);
  }
  bool is = GetWindowLongPtrW(fp->Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST;
  if (topmost != is)
    SetWindowPos(fp->Handle(), topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

namespace {

struct ActivationSearch {
  HWND except1, except2;
  HWND plain = nullptr, topmost = nullptr;
};

BOOL CALLBACK FindActivationTarget(HWND w, LPARAM param) {
  auto* s = reinterpret_cast<ActivationSearch*>(param);
  if (w == s->except1 || w == s->except2 || w == Application().Handle()) return TRUE;
  if (!IsWindowVisible(w) || !IsWindowEnabled(w)) return TRUE;
  if (GetWindowLongPtrW(w, GWL_EXSTYLE) & WS_EX_TOPMOST) {
    if (!s->topmost) s->topmost = w;
    return TRUE;
  }
  s->plain = w;
  return FALSE;
}

}  // namespace

void PassActivationFrom(HWND self, HWND other) {
  ActivationSearch s{self, other};
  EnumThreadWindows(GetCurrentThreadId(), FindActivationTarget, reinterpret_cast<LPARAM>(&s));
  HWND target = s.plain ? s.plain : s.topmost;
  if (target) SetActiveWindow(target);
}

void TBarCustomDockableWindow::PassActivation() {
  HWND parent = floatingParent_ && floatingParent_->HandleAllocated() ? floatingParent_->Handle() : nullptr;
  PassActivationFrom(HandleAllocated() ? Handle() : nullptr, parent);
}

namespace {

// Non-client leave notices exist from Windows 98 and 2000 on.
bool NonClientLeaveTracking() {
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof(info);
  static const bool later = GetVersionExW(&info) &&
                            (info.dwMajorVersion > 4 || (info.dwMajorVersion == 4 && info.dwMinorVersion > 9));
  return later;
}

void FloatingHookEvent(THookProcCode code, HWND window, WPARAM, LPARAM lparam) {
  auto list = FloatingList();
  switch (code) {
    case hpAppActivate:
      for (TBarCustomDockableWindow* w : list) w->UpdateShowing();
      break;
    case hpWindowPosChanged: {
      auto* pos = reinterpret_cast<const WINDOWPOS*>(lparam);
      if (!pos || !(pos->flags & (SWP_SHOWWINDOW | SWP_HIDEWINDOW | SWP_FRAMECHANGED))) break;
      for (TBarCustomDockableWindow* w : list) {
        if (w->FloatingMode() != TBarFloatingMode::fmOnTopOfParentForm || !w->HandleAllocated()) continue;
        TCustomForm* top = w->TopForm();
        if (!top || !top->HandleAllocated()) continue;
        HWND topWindow = top->Handle();
        if (topWindow == window || IsChild(window, topWindow)) w->UpdateShowing();
      }
      break;
    }
    case hpWindowDestroy:
      for (TBarCustomDockableWindow* w : list) {
        TBarFloatingWindowParent* fp = w->FloatingParent();
        if (fp && fp->HandleAllocated() && GetWindow(fp->Handle(), GW_OWNER) == window && Application().Handle())
          SetWindowLongPtrW(fp->Handle(), GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(Application().Handle()));
      }
      break;
    default:
      break;
  }
}

}  // namespace

// --- The docked frame ------------------------------------------------------------------------

void TBarCustomDockableWindow::PaintNonClient(bool useGivenDc, HDC givenDc, HRGN updateRegion) {
  if (!docked_ || !currentDock_ || !HandleAllocated()) return;
  HDC dc = givenDc;
  if (!useGivenDc) {
    dc = GetWindowDC(Handle());
    ClipDCToFrameUpdateRegion(Handle(), dc, updateRegion);
  }
  RECT window;
  GetWindowRect(Handle(), &window);
  OffsetRect(&window, -window.left, -window.top);
  RECT client;
  GetClientRect(Handle(), &client);
  HBRUSH brush = CreateSolidBrush(ColorToRGB(Color()));
  const bool dockBackground = currentDock_->BackgroundInUse() && currentDock_->BackgroundOnToolbars();
  RECT r = window;
  if (borderStyle_ == TBorderStyle::bsSingle)
    DrawEdge(dc, &r, BDR_RAISEDINNER, BF_RECT);
  else
    FrameRect(dc, &r, brush);
  InflateRect(&r, -1, -1);
  if (dockBackground) {
    int saved = SaveDC(dc);
    POINT origin{0, 0};
    MapWindowPoints(Handle(), nullptr, &origin, 1);
    RECT wr;
    GetWindowRect(Handle(), &wr);
    int cx = origin.x - wr.left, cy = origin.y - wr.top;
    ExcludeClipRect(dc, cx, cy, cx + client.right, cy + client.bottom);
    RECT bg = window;
    if (currentDock_->Parent() && currentDock_->Parent()->HandleAllocated()) {
      POINT p{0, 0};
      MapWindowPoints(currentDock_->Parent()->Handle(), nullptr, &p, 1);
      bg.left = p.x - wr.left;
      bg.top = p.y - wr.top;
    }
    IntersectClipRect(dc, 1, 1, window.right - 1, window.bottom - 1);
    currentDock_->PaintBackground(dc, bg);
    RestoreDC(dc, saved);
  } else {
    FrameRect(dc, &r, brush);
  }
  const bool side = currentDock_->IsSideDock();
  const int handle = DragHandleSize();
  if (currentDock_->AllowDrag()) {
    if (!dockBackground) {
      RECT area = side ? RECT{2, 2, client.right + 2, handle + 2} : RECT{2, 2, handle + 2, client.bottom + 2};
      FillRect(dc, &area, brush);
    }
    if (dragHandleStyle_ != TBarDragHandleStyle::dhNone || closeButtonWhenDocked_) {
      int bars = dragHandleStyle_ == TBarDragHandleStyle::dhDouble ? 2 : dragHandleStyle_ == TBarDragHandleStyle::dhSingle ? 1 : 0;
      int at = FirstGripOffset(closeButtonWhenDocked_, dragHandleStyle_) + 2;
      int inset = dragHandleStyle_ == TBarDragHandleStyle::dhSingle ? 1 : 0;
      int closeSkip = closeButtonWhenDocked_ ? DragHandleSize() - 3 + 2 : 0;
      for (int i = 0; i < bars; ++i, at += 3) {
        RECT bar;
        if (side)
          bar = {2 + inset, at, client.right + 2 - inset - closeSkip, at + 3};
        else
          bar = {at, 2 + inset + closeSkip, at + 3, client.bottom + 2 - inset};
        DrawEdge(dc, &bar, BDR_RAISEDINNER, BF_RECT | BF_MIDDLE);
        if (side)
          SetPixelV(dc, bar.right - 1, bar.top, GetSysColor(COLOR_BTNHIGHLIGHT));
        else
          SetPixelV(dc, bar.left, bar.bottom - 1, GetSysColor(COLOR_BTNHIGHLIGHT));
      }
    }
    if (closeButtonWhenDocked_) {
      RECT button;
      CloseButtonRect(side, button);
      if (closePressed_)
        DrawEdge(dc, &button, BDR_SUNKENOUTER, BF_RECT);
      else if (closeHover_)
        DrawEdge(dc, &button, BDR_RAISEDINNER, BF_RECT);
      static constexpr unsigned char glyph[8] = {0x00, 0xCC, 0x78, 0x30, 0x78, 0xCC, 0x00, 0x00};
      int gx = button.left + 2 + (closePressed_ ? 1 : 0), gy = button.top + 2 + (closePressed_ ? 1 : 0);
      COLORREF text = GetSysColor(COLOR_BTNTEXT);
      for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
          if (glyph[y] & (0x80 >> x)) SetPixelV(dc, gx + x, gy + y, text);
    }
  }
  DeleteObject(brush);
  if (!useGivenDc) ReleaseDC(Handle(), dc);
}

// --- The close-button loop -------------------------------------------------------------------

void TBarCustomDockableWindow::RunCloseButtonLoop(HWND window, const std::function<bool(POINT)>& inside,
                                                  const std::function<void()>& repaint) {
  bool accepted = false;
  {
    TModalCapture capture(window);
    const DWORD pressed = GetMessagePos();
    closePressed_ = inside({GET_X_LPARAM(pressed), GET_Y_LPARAM(pressed)});
    if (floatingParent_ && Parent() == floatingParent_) floatingParent_->closePressed_ = closePressed_;
    repaint();
    const bool released = capture.Run(nullptr, [&](const MSG& msg) {
      const bool now = inside(msg.pt);
      if (now == closePressed_) return;
      closePressed_ = now;
      if (floatingParent_ && Parent() == floatingParent_) floatingParent_->closePressed_ = now;
      repaint();
    });
    accepted = released && inside(capture.ReleasePoint());
  }
  closePressed_ = false;
  if (floatingParent_) floatingParent_->closePressed_ = false;
  repaint();
  if (accepted) Close();
}

// --- Messages --------------------------------------------------------------------------------

void TBarCustomDockableWindow::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  TCustomControl::MouseDown(button, shift, x, y);
  if (button != TMouseButton::mbLeft || !CanBeDragged() || PointOnChildControl({x, y})) return;
  if (shift & ssDouble) {
    ToggleDocking();
    return;
  }
  BeginDrag({x, y});
  TCustomControl::MouseUp(TMouseButton::mbLeft, 0, -1, -1);
}

void TBarCustomDockableWindow::WndProc(TMessage& m) {
  switch (m.Msg) {
    case WM_NCCALCSIZE:
      if (docked_ && currentDock_) {
        auto* r = reinterpret_cast<RECT*>(m.LParam);
        InflateRect(r, -2, -2);
        if (currentDock_->AllowDrag()) {
          if (currentDock_->IsSideDock())
            r->top += DragHandleSize();
          else
            r->left += DragHandleSize();
        }
        if (r->right < r->left) r->right = r->left;
        if (r->bottom < r->top) r->bottom = r->top;
      }
      m.Result = 0;
      return;
    case WM_NCHITTEST: {
      TCustomControl::WndProc(m);
      if (m.Result == HTCLIENT || !docked_) return;
      RECT wr;
      GetWindowRect(Handle(), &wr);
      POINT p{GET_X_LPARAM(m.LParam) - wr.left, GET_Y_LPARAM(m.LParam) - wr.top};
      m.Result = HT_BAR_DRAGHANDLE;
      if (closeButtonWhenDocked_ && currentDock_ && currentDock_->AllowDrag()) {
        RECT button;
        CloseButtonRect(currentDock_->IsSideDock(), button);
        if (PtInRect(&button, p)) m.Result = HT_BAR_CLOSE;
      }
      return;
    }
    case WM_SETCURSOR:
      if (LOWORD(m.LParam) == HT_BAR_DRAGHANDLE && DockAllowsDrag() && DragHandleSize() > 0) {
        POINT p;
        GetCursorPos(&p);
        RECT wr;
        GetWindowRect(Handle(), &wr);
        int distance = currentDock_->IsSideDock() ? p.y - wr.top : p.x - wr.left;
        if (distance < DragHandleSize() + 2) {
          ::SetCursor(LoadCursorW(nullptr, IDC_SIZEALL));
          m.Result = 1;
          return;
        }
      }
      break;
    case WM_NCPAINT:
      PaintNonClient(false, nullptr, reinterpret_cast<HRGN>(m.WParam));
      m.Result = 0;
      return;
    case WM_PRINT:
      m.Result = AnswerPrintMessage(
          Handle(), reinterpret_cast<HDC>(m.WParam), static_cast<UINT>(m.LParam),
          [](HWND, HDC dc, void* w) { static_cast<TBarCustomDockableWindow*>(w)->PaintNonClient(true, dc, nullptr); },
          this);
      return;
    case WM_ERASEBKGND:
      if (docked_ && currentDock_ && currentDock_->BackgroundInUse() && currentDock_->BackgroundOnToolbars()) {
        HDC dc = reinterpret_cast<HDC>(m.WParam);
        RECT client;
        GetClientRect(Handle(), &client);
        RECT r = client;
        if (currentDock_->Parent() && currentDock_->Parent()->HandleAllocated()) {
          POINT origin{0, 0};
          MapWindowPoints(currentDock_->Parent()->Handle(), Handle(), &origin, 1);
          r.left = origin.x;
          r.top = origin.y;
        }
        int saved = SaveDC(dc);
        IntersectClipRect(dc, client.left, client.top, client.right, client.bottom);
        currentDock_->PaintBackground(dc, r);
        RestoreDC(dc, saved);
        m.Result = 1;
        return;
      }
      break;
    case WM_NCMOUSEMOVE: {
      if (NonClientLeaveTracking()) RequestMouseTracking(Handle(), TME_LEAVE | TME_NONCLIENT);
      bool hover = m.WParam == HT_BAR_CLOSE;
      if (hover != closeHover_) {
        closeHover_ = hover;
        RepaintFrame();
      }
      break;
    }
    case WM_NCMOUSELEAVE:
      if (!GetCapture() && closeHover_) {
        closeHover_ = false;
        RepaintFrame();
      }
      break;
    case WM_MOUSEMOVE:
    case CM_MOUSELEAVE:
      if (closeHover_) {
        closeHover_ = false;
        RepaintFrame();
      }
      break;
    case WM_NCLBUTTONDOWN:
      if (m.WParam == HT_BAR_CLOSE) {
        RunCloseButtonLoop(
            Handle(),
            [this](POINT p) {
              RECT wr, button;
              GetWindowRect(Handle(), &wr);
              CloseButtonRect(currentDock_ && currentDock_->IsSideDock(), button);
              OffsetRect(&button, wr.left, wr.top);
              return PtInRect(&button, p) != FALSE;
            },
            [this] { RepaintFrame(); });
        m.Result = 0;
        return;
      }
      if (m.WParam == HT_BAR_DRAGHANDLE) {
        if (CanBeDragged()) BeginDrag(ScreenToClient({GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)}));
        m.Result = 0;
        return;
      }
      break;
    case WM_NCLBUTTONDBLCLK:
      if (m.WParam == HT_BAR_DRAGHANDLE) {
        if (CanBeDragged()) ToggleDocking();
        m.Result = 0;
        return;
      }
      break;
    case WM_CLOSE:
      // A close message does what the close button does, through the same handlers, and
      // nothing on a window that offers no close.
      if (docked_ ? closeButtonWhenDocked_ : closeButton_) Close();
      m.Result = 0;
      return;
    case WM_NCRBUTTONUP:
      SendMessageW(Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(Handle()), m.LParam);
      m.Result = 0;
      return;
    case WM_MOVE:
      TCustomControl::WndProc(m);
      moved_ = true;
      if (docked_ && currentDock_ && currentDock_->BackgroundInUse()) RepaintOverBackground();
      DoMove();
      return;
    case WM_ENABLE:
      TCustomControl::WndProc(m);
      SyncTopmost();
      return;
    case CM_TEXTCHANGED:
      if (floatingParent_) floatingParent_->SetCaption(GetText());
      break;
    case CM_COLORCHANGED:
      TCustomControl::WndProc(m);
      if (HandleAllocated())
        RedrawWindow(Handle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_ERASE);
      return;
    default:
      break;
  }
  TCustomControl::WndProc(m);
}

}  // namespace movra::bars
