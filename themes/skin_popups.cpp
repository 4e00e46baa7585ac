#include "themes/skin_popups.h"

#include <algorithm>
#include <optional>

#include "toolbars/bar_anim.h"
#include "toolbars/bar_common.h"

namespace movra::skin {

namespace {

constexpr uint8_t kShadowOpacity = 61;
constexpr int kShadowSize = 4;

bool RunningNT5OrLater() {
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof(info);
  static const bool later =
      GetVersionExW(&info) && info.dwPlatformId == VER_PLATFORM_WIN32_NT && info.dwMajorVersion >= 5;
  return later;
}

RECT ScreenRect(bars::TBarView& view, const RECT& client) {
  const POINT a = view.ClientToScreen({client.left, client.top});
  const POINT b = view.ClientToScreen({client.right, client.bottom});
  return {a.x, a.y, b.x, b.y};
}

int ShadowKind() { return ActiveTheme() ? ActiveTheme()->GetShadowKind() : 0; }

}  // namespace

// --- The popup window -------------------------------------------------------------------------

TSkinPopupWindow::TSkinPopupWindow(ui::TComponent* owner) : TBarPopupWindow(owner) {}

TSkinPopupWindow::~TSkinPopupWindow() {
  destroying_ = true;
  DestroyShadows();
}

void TSkinPopupWindow::BeforeDestruction() {
  destroying_ = true;
  DestroyShadows();
  TBarPopupWindow::BeforeDestruction();
}

void TSkinPopupWindow::DestroyWnd() {
  DestroyShadows();
  TBarPopupWindow::DestroyWnd();
}

int TSkinPopupWindow::ViewKind() {
  bars::TBarView* view = View();
  if (IsChevronPopup() || (view && view->ChevronParentView() != nullptr)) return vkChevronPopup;
  bars::TBarCustomItem* parent = view ? view->ParentItem() : nullptr;
  if (auto* themed = dynamic_cast<TSkinCustomItem*>(parent); themed && themed->ToolBoxPopup()) return vkToolboxPopup;
  return vkPopupMenu;
}

bool TSkinPopupWindow::ShadowsWanted() { return !IsListPopupView(ViewKind()); }

void TSkinPopupWindow::FrameSize(POINT& size) {
  if (!ActiveTheme()) {
    TBarPopupWindow::FrameSize(size);
    return;
  }
  SIZE border{0, 0};
  ActiveTheme()->GetViewBorderSize(ViewKind(), border);
  size = {border.cx, border.cy};
}

bars::TBarViewClass TSkinPopupWindow::PopupViewClass() { return bars::ViewClassOf<TSkinPopupView>(); }

void TSkinPopupWindow::CreateParams(ui::TCreateParams& params) {
  TBarPopupWindow::CreateParams(params);
  params.ClassStyle &= ~(CS_DROPSHADOW | CS_DBLCLKS);
  if (ShadowsWanted() && ShadowKind() == 1 && bars::RunningWinXPOrLater()) {
    // A window class keeps one style: the popups with the system's shadow have their own.
    params.ClassStyle |= CS_DROPSHADOW;
    params.WinClassName += L"S";
  }
}

RECT TSkinPopupWindow::ShadowOpeningRect() {
  if (ShadowKind() != 2) return {};
  bars::TBarView* parent = ParentView();
  if (!parent) return controlRect_;
  bars::TBarItemViewer* opener = parent->OpenViewer();
  if (!opener) return {};
  const bool themed = dynamic_cast<TSkinItemViewer*>(opener) != nullptr;
  if ((themed || IsChevronPopup()) && (IsChevronPopup() || !IsPopupMenuView(ViewKindOf(parent))))
    return ScreenRect(*parent, opener->BoundsRect);
  return {};
}

void TSkinPopupWindow::CreateShadows() {
  DestroyShadows();
  const int kind = ShadowKind();
  if (kind == 3 && !RunningNT5OrLater()) return;
  if (!HandleAllocated()) return;
  RECT bounds;
  GetWindowRect(Handle(), &bounds);
  shadows_ = std::make_unique<TShadows>(bounds, ShadowOpeningRect(), SkinSystem().LowColorDisplay, kShadowOpacity,
                                        kShadowSize);
  shadows_->Show(Handle());
}

void TSkinPopupWindow::DestroyShadows() { shadows_.reset(); }

TSkinPopupBorderInfo TSkinPopupWindow::BorderInfo() {
  TSkinPopupBorderInfo info{};
  info.Window = HandleAllocated() ? Handle() : nullptr;
  info.ViewKind = ViewKind();
  RECT opening{};
  if (bars::TBarView* parent = ParentView()) {
    bars::TBarItemViewer* opener = parent->OpenViewer();
    auto* themed = dynamic_cast<TSkinItemViewer*>(opener);
    if (opener && ((themed && themed->UsesToolbarStyle()) || IsChevronPopup()))
      opening = ScreenRect(*parent, opener->BoundsRect);
  } else {
    opening = controlRect_;
  }
  if (!IsRectEmpty(&opening) && info.Window) {
    RECT window;
    GetWindowRect(info.Window, &window);
    OffsetRect(&opening, -window.left, -window.top);
    info.OpeningItem = opening;
  }
  return info;
}

void TSkinPopupWindow::PaintBorder(HWND window, HDC dc, void* self) {
  auto* popup = static_cast<TSkinPopupWindow*>(self);
  TSkinTheme* theme = ActiveTheme();
  if (!theme || !dc) return;
  RECT r;
  GetWindowRect(window, &r);
  OffsetRect(&r, -r.left, -r.top);
  const TSkinPopupBorderInfo info = popup->BorderInfo();
  SIZE border{0, 0};
  theme->GetViewBorderSize(info.ViewKind, border);
  const int saved = SaveDC(dc);
  ExcludeClipRect(dc, r.left + border.cx, r.top + border.cy, r.right - border.cx, r.bottom - border.cy);
  try {
    PaintOnCanvas(dc, [&](ui::TCanvas& canvas) { theme->DrawPopupBorder(canvas, r, info); });
  } catch (...) {
    RestoreDC(dc, saved);
    throw;
  }
  RestoreDC(dc, saved);
}

bool TSkinPopupWindow::EraseBackground(HDC dc) {
  bars::StopPopupAnimation(Handle());
  TSkinTheme* theme = ActiveTheme();
  const int kind = ViewKind();
  const TColor back = theme->GetViewBackColor(kind);
  if (View()) View()->SetBackgroundColor(back);
  const RECT client = ClientRect();
  PaintOnCanvas(dc, [&](ui::TCanvas& canvas) {
    theme->DrawViewBackground(canvas, client, client, client, back, false, kind);
  });
  return true;
}

void TSkinPopupWindow::ShowHint(ui::TMessage& message) {
  auto* info = reinterpret_cast<ui::THintInfo*>(message.LParam);
  bars::TBarItemViewer* viewer = View() ? View()->Selected() : nullptr;
  if (!info) return;
  if (!viewer) {
    info->HintStr.clear();
    return;
  }
  info->CursorRect = viewer->BoundsRect;
  info->HintStr = viewer->HintText();
  if (auto* themed = dynamic_cast<TSkinItemViewer*>(viewer)) themed->Dispatch(message);
}

void TSkinPopupWindow::WndProc(ui::TMessage& m) {
  if (!ActiveTheme()) {
    TBarPopupWindow::WndProc(m);
    return;
  }
  switch (m.Msg) {
    case SKM_GETVIEWKIND:
      m.Result = ViewKind();
      return;
    case ui::CM_HINTSHOW:
      m.Result = 0;
      ShowHint(m);
      return;
    case WM_ERASEBKGND:
      m.Result = EraseBackground(reinterpret_cast<HDC>(m.WParam)) ? 1 : 0;
      return;
    case WM_NCPAINT: {
      // WParam 1 is the whole frame; a region is the sender's and is copied for the DC.
      TNonClientDC dc(Handle(), reinterpret_cast<HRGN>(m.WParam));
      if (dc.Handle()) PaintBorder(Handle(), dc.Handle(), this);
      m.Result = 0;
      return;
    }
    case WM_PRINT:
      m.Result = bars::AnswerPrintMessage(Handle(), reinterpret_cast<HDC>(m.WParam), static_cast<UINT>(m.LParam),
                                          &PaintBorder, this);
      return;
    case WM_WINDOWPOSCHANGED: {
      TBarPopupWindow::WndProc(m);
      const auto* p = reinterpret_cast<const WINDOWPOS*>(m.LParam);
      if (shadows_ && p && !(p->flags & (SWP_SHOWWINDOW | SWP_HIDEWINDOW))) CreateShadows();
      return;
    }
    case bars::WM_POPUP_NOTIFY:
      if ((m.WParam == bars::pnAnimationDone || m.WParam == bars::pnShownWithoutAnimation) && !destroying_ &&
          !IsDestroying() && ShadowsWanted()) {
        const int kind = ShadowKind();
        if (kind == 2 || kind == 3) {
          // The shadows' windows take a while to make: the popup's items are drawn first,
          // so the menu is readable before its shadows come.
          UpdateWindow(Handle());
          CreateShadows();
        }
      }
      break;
    default:
      break;
  }
  TBarPopupWindow::WndProc(m);
}

// --- Root item ------------------------------------------------------------------------------

void PlaceAtControl(const RECT& control, bars::TBarPopupPlacement& p) {
  const RECT& monitor = p.MonitorRect;
  p.ParentItemRect = control;
  if (p.Y + p.H > monitor.bottom && control.top - p.H >= monitor.top) p.Y = control.top - p.H;
  p.Y = std::max<int>(monitor.top, std::min<int>(p.Y, monitor.bottom - p.H));
  if (p.Alignment == bars::bpaRight) p.X = control.right - p.W;
  p.X = std::max<int>(monitor.left, std::min<int>(p.X, monitor.right - p.W));
}

void TSkinRootItem::PlacePopup(IBarView* parentView, bars::TBarPopupWindow* window,
                               bars::TBarPopupPlacement& placement) {
  if (!IsRectEmpty(&controlRect_)) {
    if (auto* themed = dynamic_cast<TSkinPopupWindow*>(window)) themed->SetControlRect(controlRect_);
    PlaceAtControl(controlRect_, placement);
  }
  PlaceThemedPopup(*this, parentView, window, placement);
}

bars::TBarPopupWindowClass TSkinRootItem::PopupWindowClass() {
  return bars::PopupWindowClassOf<TSkinPopupWindow>();
}

void TSkinRootItem::PopupAtControl(const RECT& control, bool selectFirst, bool trackRightButton, int alignment) {
  const RECT stored = controlRect_;
  controlRect_ = control;
  try {
    PopupAtPoint({alignment == bars::bpaRight ? control.right : control.left, control.bottom}, selectFirst,
                 trackRightButton, alignment);
  } catch (...) {
    controlRect_ = stored;
    throw;
  }
  controlRect_ = stored;
}

// --- Popup menu -----------------------------------------------------------------------------

void TSkinPopupMenu::Dispatch(ui::TMessage& message) {
  if (message.Msg == SKM_GETVIEWKIND) message.Result = vkPopupMenu;
}

bars::TBarRootItemClass TSkinPopupMenu::RootItemClass() {
  return [](ui::TComponent* owner) -> bars::TBarRootItem* { return new TSkinRootItem(owner); };
}

// --- Popup classes of the themed items ------------------------------------------------------

bars::TBarPopupWindowClass TSkinCustomItem::PopupWindowClass() {
  return bars::PopupWindowClassOf<TSkinPopupWindow>();
}

bars::TBarPopupWindowClass TSkinChevronItem::PopupWindowClass() {
  return bars::PopupWindowClassOf<TSkinChevronPopupWindow>();
}

}  // namespace movra::skin
