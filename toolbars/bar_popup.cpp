#include "toolbars/bar_popup.h"

#include <mmsystem.h>
// The placement record has a field of this name.
#undef PlaySound

#include <utility>

#include "runtime/ui/forms.h"
#include "toolbars/bar_anim.h"
#include "toolbars/bar_common.h"
#include "toolbars/bar_modal.h"

namespace movra::bars {

using ui::TComponent;
using ui::TMessage;

namespace {

constexpr int kPopupAnimationMs = 150;

void PlayMenuSound(const wchar_t* name) {
  PlaySoundW(name, nullptr, SND_ALIAS | SND_ASYNC | SND_NODEFAULT | SND_NOSTOP);
}

bool SystemFlag(UINT action) {
  BOOL on = FALSE;
  return SystemParametersInfoW(action, 0, &on, 0) && on;
}

RECT ScreenRectOf(const TBarView& view, const RECT& client) {
  const POINT a = view.ClientToScreen({client.left, client.top});
  const POINT b = view.ClientToScreen({client.right, client.bottom});
  return {a.x, a.y, b.x, b.y};
}

void ShowPopupWindow(TBarPopupWindow* window) {
  window->HandleNeeded();
  window->Show();
}

// The first popup of the process shows before its sound starts: loading the sound must not
// hold the first menu back. Later popups start their sound first.
void ShowWithSound(TBarPopupWindow* window, bool playSound) {
  static bool firstSound = true;
  if (!playSound || !SoundSchemeHasEvent("MenuPopup")) {
    ShowPopupWindow(window);
  } else if (firstSound) {
    firstSound = false;
    ShowPopupWindow(window);
    window->Update();
    PlayMenuSound(L"MenuPopup");
  } else {
    PlayMenuSound(L"MenuPopup");
    ShowPopupWindow(window);
  }
}

// The popup windows and their tracking loop, as items ask for them.
class TBarPopupHost final : public IBarPopupHost {
 public:
  TBarPopupWindowClass DefaultPopupWindowClass() override { return PopupWindowClassOf<TBarPopupWindow>(); }

  TBarPopupWindow* OpenPopupWindow(TBarCustomItem& item, const TBarPopupRequest& request) override {
    TBarView* parentView = dynamic_cast<TBarView*>(request.ParentView);
    TBarView* chevron = dynamic_cast<TBarView*>(item.ChevronSourceView());
    TBarCustomItem* shown = chevron ? chevron->ParentItem() : &item;
    const TBarPopupWindowClass windowClass = item.PopupWindowClass();
    if (!windowClass.Create) return nullptr;
    TBarPopupWindow* window = windowClass.Create(nullptr, request.ParentView, shown, request.Customizing);
    try {
      Open(item, request, parentView, chevron, window);
    } catch (...) {
      ui::Free(window);
      throw;
    }
    return window;
  }

  TBarDoneAction TrackPopup(TBarCustomItem& item, const TBarPopupRequest& request, bool trackRightButton) override {
    TBarModalHandler handler(nullptr);
    TBarPopupWindow* window = item.OpenSubmenuPopup(nullptr, nullptr, false, request.SelectFirst, false,
                                                    request.Point, request.Alignment);
    if (!window) return {};
    std::weak_ptr<void> alive = window->Lifetime();
    auto close = [&] {
      if (alive.expired()) return;
      if (TBarView* view = window->View()) view->ExcludeState(vsTracking);
      ui::Free(window);
    };
    TBarDoneAction done;
    try {
      TBarView* view = window->View();
      view->IncludeState(vsModalRootPopup);
      handler.Loop(*view, false, false, false, trackRightButton);
      if (!alive.expired()) done = window->View()->DoneAction();
    } catch (...) {
      close();
      throw;
    }
    close();
    return done;
  }

 private:
  static void Open(TBarCustomItem& item, const TBarPopupRequest& request, TBarView* parentView, TBarView* chevron,
                   TBarPopupWindow* window) {
    TBarView* view = window->View();
    if (chevron) {
      view->SetChevronParentView(chevron);
      view->SetToolbarLayout(true);
      view->SetStyle((view->Style() & ~vstShowHints) | (chevron->Style() & vstShowHints));
      window->SetColor(ui::clBtnFace);
    }

    TBarPopupPlacement p;
    if (parentView) {
      parentView->ValidatePositions();
      p.ParentItemRect = request.ParentViewer ? ScreenRectOf(*parentView, request.ParentViewer->BoundsRect) : RECT{};
      p.MonitorRect = IsRectEmpty(&parentView->MonitorRect()) ? NearestMonitorRectForRect(p.ParentItemRect, false)
                                                              : parentView->MonitorRect();
    } else {
      p.ParentItemRect = {request.Point.x, request.Point.y, request.Point.x, request.Point.y};
      p.MonitorRect = NearestMonitorRectForPoint(request.Point, false);
    }
    view->SetMonitorRect(p.MonitorRect);
    window->FrameSize(p.FrameSize);
    if (!chevron)
      view->SetMaxHeight(p.MonitorRect.bottom - p.MonitorRect.top - 2 * p.FrameSize.y);
    else
      view->SetWrapOffset(p.MonitorRect.right - p.MonitorRect.left - 2 * p.FrameSize.x);
    if (request.SelectFirst) view->SetSelected(view->FirstSelectable(), false);
    POINT content{};
    view->ArrangeViewers(content);

    TBarPopupOrigin origin;
    origin.HasParentView = parentView != nullptr;
    origin.ParentVertical = parentView && parentView->IsVertical();
    origin.FromChevron = chevron != nullptr;
    origin.ChevronVertical = chevron && chevron->IsVertical();
    origin.Point = request.Point;
    origin.MenuDropRight = GetSystemMetrics(SM_MENUDROPALIGNMENT) != 0;
    p.AsSubmenu = request.AsSubmenu;
    p.Alignment = request.Alignment;
    p.Opposite = parentView && (parentView->State() & vsSubmenusLeft);
    p.W = window->Width();
    p.H = window->Height();
    PopupStartPosition(origin, p);
    p.AnimateDirections = 0;
    p.PlaySound = true;
    item.PlacePopup(request.ParentView, window, p);
    if (p.OpensSubmenusLeft) view->IncludeState(vsSubmenusLeft);
    window->SetAnimateDirections(p.AnimateDirections);
    window->SetBounds(p.X, p.Y, p.W, p.H);

    if (parentView) {
      parentView->SetOpenViewer(request.ParentViewer, view, window);
      if (parentView->IsToolbar()) {
        parentView->IncludeState(vsDropDownMode);
        parentView->InvalidateViewer(request.ParentViewer);
        if (ui::TWinControl* parentWindow = parentView->Window(); parentWindow && parentWindow->HandleAllocated())
          UpdateWindow(parentWindow->Handle());
      }
    }

    view->IncludeState(vsFirstPaintPending);
    ShowWithSound(window, p.PlaySound);
    NotifyBarWinEvent(EVENT_SYSTEM_MENUPOPUPSTART, window->Handle(), OBJID_CLIENT, CHILDID_SELF);
    if (view->Selected()) view->NotifyFocus();
  }
};

TBarPopupHost popupHost;

std::unique_ptr<IBarModalLoop> NewModalLoop(HWND window) { return std::make_unique<TBarModalHandler>(window); }

// Linked in with any user of popups, so items open them without further set-up.
struct TInstaller {
  TInstaller() { InstallBarPopups(); }
} installer;

}  // namespace

void InstallBarPopups() {
  SetBarPopupHost(&popupHost);
  SetBarModalLoopFactory(&NewModalLoop, &InvalidateTrackedCursorPos);
}

// --- TBarPopupView ---------------------------------------------------------------------------

void TBarPopupView::FitWindowToContent(int width, int height) {
  auto* window = dynamic_cast<TBarPopupWindow*>(Window());
  if (!window) return;
  POINT frame{};
  window->FrameSize(frame);
  window->SetBounds(window->Left(), window->Top(), width + 2 * frame.x, height + 2 * frame.y);
}

ui::TFont& TBarPopupView::FontForDrawing() { return Window() ? Window()->Font() : TBarView::FontForDrawing(); }

// --- TBarPopupWindow: life -------------------------------------------------------------------

TBarPopupWindow::TBarPopupWindow(TComponent* owner) : TCustomControl(owner) {
  visible_ = false;
  SetBounds(0, 0, 320, 240);
  SetControlStyle(ControlStyle() & ~ui::csCaptureMouse);
  SetShowHint(true);
  SetColor(ui::SystemColor(COLOR_MENU));
  SetParentFont(false);
}

void TBarPopupWindow::Initialize(IBarView* parentView, TBarCustomItem* item, bool customizing) {
  parentView_ = dynamic_cast<TBarView*>(parentView);
  const TBarViewClass viewClass = PopupViewClass();
  Font().Assign(parentView_ ? parentView_->FontForDrawing() : BarMenuFont());
  view_ = viewClass.Create(this, parentView_, item, this, false, customizing, false);
  view_->IncludeState(vsTracking);
  if (parentView_) {
    view_->SetStyle((view_->Style() & ~vstHideAccelerators) | (parentView_->Style() & vstHideAccelerators));
    if (parentView_->AcceleratorsShown()) view_->IncludeState(vsAcceleratorsShown);
  } else {
    view_->SetStyle(view_->Style() | vstHideAccelerators);
  }
}

TBarPopupWindow::~TBarPopupWindow() { Teardown(); }

void TBarPopupWindow::BeforeDestruction() {
  Teardown();
  TCustomControl::BeforeDestruction();
}

void TBarPopupWindow::Teardown() {
  if (tornDown_) return;
  tornDown_ = true;
  // The submenus go before this window, and the window before its view.
  if (view_) view_->CloseChildPopups();
  if (HandleAllocated()) DestroyHandle();
  if (TBarView* view = std::exchange(view_, nullptr)) ui::Free(view);
}

TBarViewClass TBarPopupWindow::PopupViewClass() { return ViewClassOf<TBarPopupView>(); }

void TBarPopupWindow::FrameSize(POINT& size) { size = {3, 3}; }

RECT TBarPopupWindow::NonClientMargins() const {
  POINT frame{};
  const_cast<TBarPopupWindow*>(this)->FrameSize(frame);
  return {frame.x, frame.y, frame.x, frame.y};
}

// --- TBarPopupWindow: the window -------------------------------------------------------------

void TBarPopupWindow::CreateParams(ui::TCreateParams& params) {
  TCustomControl::CreateParams(params);
  params.Style = (params.Style | WS_POPUP) & ~(WS_CHILD | 0x30000u);
  params.ExStyle = WS_EX_TOPMOST | WS_EX_TOOLWINDOW;
  params.ClassStyle = CS_SAVEBITS | (RunningWinXPOrLater() ? CS_DROPSHADOW : 0);
  HWND application = ui::Application().Handle();
  params.WndParent = application ? application : GetDesktopWindow();
  params.Menu = nullptr;
}

void TBarPopupWindow::CreateWnd() {
  TCustomControl::CreateWnd();
  if (parentView_ || cuesQueried_ || !view_) return;
  cuesQueried_ = true;
  SendMessageW(handle_, WM_CHANGEUISTATE, MAKEWPARAM(UIS_INITIALIZE, 0), 0);
  const LRESULT state = SendMessageW(handle_, WM_QUERYUISTATE, 0, 0);
  if (state & UISF_HIDEACCEL)
    view_->ExcludeState(vsAcceleratorsShown);
  else
    view_->IncludeState(vsAcceleratorsShown);
}

void TBarPopupWindow::DestroyWnd() {
  StopPopupAnimation(handle_);
  if (view_) view_->StopAllTimers();
  NotifyBarWinEvent(EVENT_SYSTEM_MENUPOPUPEND, handle_, OBJID_CLIENT, CHILDID_SELF);
  TCustomControl::DestroyWnd();
}

void TBarPopupWindow::ShowingChanged() {
  HWND window = handle_;
  if (!window) return;
  const bool showing = ShowingState();
  if (showing && !IsWindowVisible(window) && view_ && !view_->Selected() &&
      !(parentView_ && (parentView_->State() & vsChildPopupDestroyed)) && SystemFlag(SPI_GETMENUANIMATION)) {
    const bool fade = SystemFlag(SPI_GETMENUFADE);
    if ((fade || animateDirections_) && Perform(WM_POPUP_NOTIFY, pnMayAnimate) == 0) {
      StartPopupAnimation(window, kPopupAnimationMs, fade, animateDirections_);
      return;
    }
  }
  if (!showing) StopPopupAnimation(window);
  SetWindowPos(window, nullptr, 0, 0, 0, 0,
               SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | (showing ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
  if (showing) SendNotifyMessageW(window, WM_POPUP_NOTIFY, pnShownWithoutAnimation, 0);
}

// --- TBarPopupWindow: painting ---------------------------------------------------------------

void TBarPopupWindow::Paint() {
  if (view_) view_->DrawAll(Canvas());
  PaintScrollArrows();
}

void TBarPopupWindow::PaintInto(HDC dc) {
  // The canvas goes back to the DC it had: a paint into a picture may run inside the
  // window's own paint, which then goes on drawing.
  const int saved = SaveDC(dc);
  try {
    PaintWindow(dc);
  } catch (...) {
    RestoreDC(dc, saved);
    throw;
  }
  RestoreDC(dc, saved);
}

void TBarPopupWindow::PaintScrollArrows() {
  if (!view_ || (!view_->ShowUpArrow() && !view_->ShowDownArrow())) return;
  HDC dc = Canvas().Handle();
  if (!dc) return;
  const RECT client = ClientRect();
  const COLORREF color = ui::ColorToRGB(ui::SystemColor(COLOR_MENUTEXT));
  HPEN pen = CreatePen(PS_SOLID, 1, color);
  HBRUSH brush = CreateSolidBrush(color);
  HGDIOBJ oldPen = SelectObject(dc, pen);
  HGDIOBJ oldBrush = SelectObject(dc, brush);
  auto triangle = [&](const RECT& band, bool up) {
    const int cx = (band.left + band.right) / 2;
    const int cy = (band.top + band.bottom) / 2 - 1;
    const POINT upward[3] = {{cx, cy}, {cx - 3, cy + 3}, {cx + 3, cy + 3}};
    const POINT downward[3] = {{cx - 3, cy}, {cx + 3, cy}, {cx, cy + 3}};
    Polygon(dc, up ? upward : downward, 3);
  };
  if (view_->ShowUpArrow()) triangle({client.left, client.top, client.right, client.top + kScrollArrowHeight}, true);
  if (view_->ShowDownArrow())
    triangle({client.left, client.bottom - kScrollArrowHeight, client.right, client.bottom}, false);
  SelectObject(dc, oldPen);
  SelectObject(dc, oldBrush);
  DeleteObject(pen);
  DeleteObject(brush);
}

// Flat menus: a shadow-coloured line with two lines of the window's colour inside; else a
// raised edge with a button-face line inside.
void TBarPopupWindow::PaintFrame(HWND window, HDC dc, void* self) {
  auto* popup = static_cast<TBarPopupWindow*>(self);
  RECT r;
  GetWindowRect(window, &r);
  OffsetRect(&r, -r.left, -r.top);
  auto frame = [&](COLORREF color) {
    HBRUSH brush = CreateSolidBrush(color);
    FrameRect(dc, &r, brush);
    DeleteObject(brush);
    InflateRect(&r, -1, -1);
  };
  if (FlatMenusOn()) {
    frame(GetSysColor(COLOR_BTNSHADOW));
    const COLORREF inner = ui::ColorToRGB(popup->Color());
    frame(inner);
    frame(inner);
  } else {
    DrawEdge(dc, &r, EDGE_RAISED, BF_RECT | BF_ADJUST);
    frame(GetSysColor(COLOR_BTNFACE));
  }
}

// --- TBarPopupWindow: messages ---------------------------------------------------------------

void TBarPopupWindow::WndProc(TMessage& m) {
  switch (m.Msg) {
    case WM_NCCALCSIZE: {
      POINT frame{};
      FrameSize(frame);
      auto* r = reinterpret_cast<RECT*>(m.LParam);
      r->left += frame.x;
      r->top += frame.y;
      r->right = std::max(r->left, r->right - frame.x);
      r->bottom = std::max(r->top, r->bottom - frame.y);
      m.Result = 0;
      return;
    }
    case WM_NCPAINT: {
      HWND window = Handle();
      HDC dc = GetDCEx(window, nullptr, DCX_WINDOW | DCX_CACHE | DCX_CLIPSIBLINGS);
      if (dc) {
        ClipDCToFrameUpdateRegion(window, dc, reinterpret_cast<HRGN>(m.WParam));
        PaintFrame(window, dc, this);
        ReleaseDC(window, dc);
      }
      m.Result = 0;
      return;
    }
    case WM_PRINT:
      m.Result = AnswerPrintMessage(Handle(), reinterpret_cast<HDC>(m.WParam), static_cast<UINT>(m.LParam), &PaintFrame,
                                    this);
      return;
    case WM_PRINTCLIENT:
      PaintInto(reinterpret_cast<HDC>(m.WParam));
      m.Result = 0;
      return;
    case WM_ERASEBKGND:
      StopPopupAnimation(handle_);
      break;
    case WM_PAINT:
      StopPopupAnimation(handle_);
      if (m.WParam) {
        PaintInto(reinterpret_cast<HDC>(m.WParam));
        m.Result = 0;
        return;
      }
      break;
    case WM_POPUP_ANIM_STEP:
      PopupAnimationStep(m.LParam);
      return;
    case WM_POPUP_ANIM_DONE:
      SendNotifyMessageW(handle_, WM_POPUP_NOTIFY, pnAnimationDone, 0);
      return;
    case WM_POPUP_NOTIFY:
      m.Result = 0;
      return;
    case ui::CM_SHOWINGCHANGED:
      ShowingChanged();
      return;
    case WM_GETOBJECT:
      if (view_ && AnswerViewObjectRequest(*view_, m.WParam, m.LParam, m.Result)) return;
      break;
    case WM_CLOSE:
      return;
    case ui::CM_HINTSHOW:
      // The hint is the selected item's, for as long as the cursor stays on it.
      if (auto* info = reinterpret_cast<ui::THintInfo*>(m.LParam)) {
        info->HintStr.clear();
        if (TBarItemViewer* selected = view_ ? view_->Selected() : nullptr) {
          info->CursorRect = selected->BoundsRect;
          info->HintStr = selected->HintText();
        }
      }
      m.Result = 0;
      return;
    default:
      break;
  }
  TCustomControl::WndProc(m);
}

// --- TBarPopupMenu ---------------------------------------------------------------------------

TBarPopupMenu::TBarPopupMenu(TComponent* owner) : TPopupMenu(owner) { InstallBarPopups(); }

TBarPopupMenu::~TBarPopupMenu() { Teardown(); }

void TBarPopupMenu::BeforeDestruction() {
  Teardown();
  TPopupMenu::BeforeDestruction();
}

void TBarPopupMenu::Teardown() {
  if (tornDown_) return;
  tornDown_ = true;
  if (TBarRootItem* root = std::exchange(root_, nullptr)) ui::Free(root);
}

TBarRootItemClass TBarPopupMenu::RootItemClass() {
  return [](TComponent* owner) -> TBarRootItem* { return new TBarRootItem(owner); };
}

TBarRootItem* TBarPopupMenu::Items() {
  if (!root_ && !tornDown_) {
    root_ = RootItemClass()(nullptr);
    root_->SetParentComponent(this);
    root_->OnClick = ui::TNotifyEvent(this, &TBarPopupMenu::RootItemClick);
  }
  return root_;
}

// The root item is clicked when its popup opens: that is the menu's own popup event.
void TBarPopupMenu::RootItemClick(ui::TObject* sender) {
  if (OnPopup) OnPopup(sender == root_ ? static_cast<ui::TObject*>(this) : sender);
}

void TBarPopupMenu::Popup(int x, int y) {
  PopupPoint = {x, y};
  Items()->Popup(x, y, TrackButton == ui::tbRightButton, static_cast<int>(Alignment));
}

bool TBarPopupMenu::IsShortCut(ui::TShortCut shortcut) { return Items()->HandleShortCut(shortcut); }

}  // namespace movra::bars
