#include "themes/skin_windows.h"

#include <windowsx.h>

#include <optional>

#include "runtime/ui/comctrls.h"
#include "themes/skin_popups.h"
#include "themes/skin_uxthemes.h"
#include "toolbars/bar_common.h"

namespace movra::skin {

using bars::TBarDock;
using bars::TBarDockPosition;

namespace {

TColor ThemeViewBackColor(int kind) { return ActiveTheme() ? ActiveTheme()->GetViewBackColor(kind) : ui::clBtnFace; }

SIZE ThemeBorderSize(int kind) {
  SIZE size{0, 0};
  if (ActiveTheme()) ActiveTheme()->GetViewBorderSize(kind, size);
  return size;
}

bool ThemeFlag(int id) { return ActiveTheme() && ActiveTheme()->GetFlag(id); }

// Leave notices for the frame: on Windows versions above 4.9.
bool FrameLeaveNotices() {
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof(info);
  static const bool above = GetVersionExW(&info) &&
                            (info.dwMajorVersion > 4 || (info.dwMajorVersion == 4 && info.dwMinorVersion > 9));
  return above;
}

// A window's rectangle from its own top-left corner.
RECT ZeroBasedWindowRect(HWND window) {
  RECT r;
  GetWindowRect(window, &r);
  OffsetRect(&r, -r.left, -r.top);
  return r;
}

// The offset of `from`'s client origin inside `to`'s window rectangle.
POINT ClientOriginInWindow(HWND from, HWND to) {
  POINT origin{0, 0};
  MapWindowPoints(from, nullptr, &origin, 1);
  RECT wr;
  GetWindowRect(to, &wr);
  return {origin.x - wr.left, origin.y - wr.top};
}

}  // namespace

// --- Shared routines --------------------------------------------------------------------------

TNonClientDC::TNonClientDC(HWND window, HRGN updateRegion) : window_(window) {
  if (!window) return;
  if (reinterpret_cast<uintptr_t>(updateRegion) <= 1) {
    dc_ = GetWindowDC(window);
    return;
  }
  // The system owns a region it was given; the message's own region stays the sender's.
  HRGN copy = CreateRectRgn(0, 0, 0, 0);
  if (CombineRgn(copy, updateRegion, nullptr, RGN_COPY) == ERROR) {
    DeleteObject(copy);
    dc_ = GetWindowDC(window);
    return;
  }
  dc_ = GetDCEx(window, copy, DCX_WINDOW | DCX_INTERSECTRGN | DCX_CACHE | DCX_CLIPSIBLINGS);
  if (!dc_) DeleteObject(copy);
}

TNonClientDC::~TNonClientDC() {
  if (dc_) ReleaseDC(window_, dc_);
}

void TNexusMembership::Join(TSkinListener* listener) {
  Leave();
  NexusListen(listener);
  listener_ = listener;
}

void TNexusMembership::Leave() {
  if (!listener_) return;
  TSkinListener* listener = listener_;
  listener_ = nullptr;
  NexusUnlisten(listener);
}

void AnswerEffectiveColor(ui::TMessage& message, TColor color) {
  message.WParam = ColorToWParam(color);
  message.Result = 1;
}

void PaintParentBackground(ui::TControl* control, HDC dc, const RECT& rect) {
  ui::TWinControl* parent = control ? control->Parent() : nullptr;
  if (!parent) {
    FillRectColor(dc, rect, ui::clBtnFace);
    return;
  }
  POINT old{};
  OffsetWindowOrgEx(dc, control->Left(), control->Top(), &old);
  const LRESULT handled = parent->Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(dc));
  SetWindowOrgEx(dc, old.x, old.y, nullptr);
  if (handled) return;
  if (auto* dock = dynamic_cast<TBarDock*>(parent)) {
    RECT r = rect;
    OffsetRect(&r, -control->Left(), -control->Top());
    const RECT client = dock->ClientRect();
    RECT area{-control->Left(), -control->Top(), client.right - control->Left(), client.bottom - control->Top()};
    dock->PaintBackground(dc, area);
    return;
  }
  if (dynamic_cast<ui::TTabSheet*>(parent) && SkinSystem().VisualStylesActive && UxTheme().OpenThemeData &&
      UxTheme().DrawThemeBackground && parent->HandleAllocated()) {
    HTHEME tab = UxTheme().OpenThemeData(parent->Handle(), L"TAB");
    if (tab) {
      const RECT client = parent->ClientRect();
      RECT body = client;
      OffsetRect(&body, -control->Left(), -control->Top());
      UxTheme().DrawThemeBackground(tab, dc, 10, 0, &body, &rect);
      if (UxTheme().CloseThemeData) UxTheme().CloseThemeData(tab);
      return;
    }
  }
  FillRectColor(dc, rect, QueryEffectiveColor(parent));
}

void RelayoutWindow(ui::TWinControl* control) {
  if (!control) return;
  control->SetClientSize(control->ClientWidth(), control->ClientHeight());
  if (control->HandleAllocated())
    SetWindowPos(control->Handle(), nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  control->Invalidate();
}

void RedrawFrame(ui::TWinControl* control) {
  if (control && control->HandleAllocated())
    RedrawWindow(control->Handle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_NOERASE | RDW_NOCHILDREN);
}

// --- Toolbar view and chevron -----------------------------------------------------------------

void TSkinToolbarView::ContentMargins(bars::TBarViewOrientation orientation, RECT& margins) {
  TSkinTheme* theme = ActiveTheme();
  if (!theme) {
    bars::TBarToolbarView::ContentMargins(orientation, margins);
    return;
  }
  int kind = ViewKindOf(this);
  if ((kind & (vkToolbarFamily | 0x4000)) != 0) {
    if (orientation == bars::bvoFloating)
      kind |= vkFloating;
    else
      kind &= ~vkFloating;
  }
  TSkinMargins m{};
  theme->GetViewPadding(kind, m);
  margins = {m.Left, m.Top, m.Right, m.Bottom};
}

bars::TBarItemViewerClass TSkinChevronItem::ViewerClass() { return bars::ViewerClassOf<TSkinChevronItemViewer>(); }

void TSkinChevronItem::PlacePopup(IBarView* parentView, bars::TBarPopupWindow* window,
                                  bars::TBarPopupPlacement& placement) {
  PlaceThemedPopup(*this, parentView, window, placement);
}

TItemDrawState TSkinChevronItemViewer::ChevronState(bool pushed, bool selected) {
  TItemDrawState state{};
  state.ViewKind = ViewKindOf(View());
  state.Options = idoToolbarStyle;
  const bool enabled = Item()->Enabled() || View()->Customizing();
  state.Enabled = enabled;
  state.Pushed = pushed;
  state.Hover = !selected ? 0 : enabled ? 2 : !View()->MouseOverSelected() ? 1 : 0;
  state.Vertical = View()->IsVertical();
  return state;
}

void TSkinChevronItemViewer::Paint(ui::TCanvas& canvas, const RECT& clientRect, bool disabledShadow, bool pushed,
                                   bool selected) {
  TSkinTheme* theme = ActiveTheme();
  if (!theme) {
    bars::TBarChevronItemViewer::Paint(canvas, clientRect, disabledShadow, pushed, selected);
    return;
  }
  theme->DrawChevronGlyph(canvas, clientRect, ChevronState(pushed, selected));
}

// --- Toolbar ----------------------------------------------------------------------------------

namespace {

bars::TBarToolbarClasses SkinToolbarClasses() {
  bars::TBarToolbarClasses classes;
  classes.RootItem = [](ui::TComponent* owner) -> bars::TBarCustomItem* { return new TSkinRootItem(owner); };
  classes.ChevronItem = [](ui::TComponent* owner) -> bars::TBarCustomItem* { return new TSkinChevronItem(owner); };
  classes.View = bars::ViewClassOf<TSkinToolbarView>();
  return classes;
}

}  // namespace

TSkinToolbar::TSkinToolbar(ui::TComponent* owner) : TBarCustomToolbar(owner, SkinToolbarClasses()) {
  nexus_.Join(this);
  effectiveColor_ = Color();
  SetColor(ui::clNone);
  SetControlStyle(ControlStyle() & ~ui::csOpaque);
  SetDblClickUndock(false);
}

TSkinToolbar::~TSkinToolbar() { nexus_.Leave(); }

void TSkinToolbar::BeforeDestruction() {
  nexus_.Leave();
  TBarCustomToolbar::BeforeDestruction();
}

int TSkinToolbar::ViewKind() const {
  int kind = MenuBar() ? vkMenuBar : vkToolbar;
  if (Floating()) kind += vkFloating;
  if (Resizable()) kind += vkResizable;
  if (itemTransparency_ == itDisable || (itemTransparency_ == itAuto && !Floating() && !Docked()))
    kind += vkTransparentItems;
  return kind;
}

void TSkinToolbar::SetItemTransparency(TSkinItemTransparency value) {
  itemTransparency_ = value;
  Invalidate();
}

void TSkinToolbar::SetSnapDistance(int distance) {
  snapDistance_ = distance < 0 ? 0 : distance;
  if (auto* parent = dynamic_cast<TSkinFloatingWindowParent*>(Parent())) parent->SetSnapDistance(snapDistance_);
}

void TSkinToolbar::SetParent(ui::TWinControl* parent) {
  TBarCustomToolbar::SetParent(parent);
  if (auto* floating = dynamic_cast<TSkinFloatingWindowParent*>(parent)) floating->SetSnapDistance(snapDistance_);
}

bars::TBarFloatingWindowParent* TSkinToolbar::CreateFloatingParent() {
  auto* parent = new TSkinFloatingWindowParent(nullptr);
  parent->SetSnapDistance(snapDistance_);
  return parent;
}

void TSkinToolbar::FloatingBorderSize(SIZE& size) {
  if (!ActiveTheme()) {
    TBarCustomToolbar::FloatingBorderSize(size);
    return;
  }
  size = ThemeBorderSize(ViewKind() | vkFloating);
}

void TSkinToolbar::UpdateEffectiveColor() {
  if (Color() != ui::clNone)
    effectiveColor_ = Color();
  else if (!Docked() && !Floating() && Parent())
    effectiveColor_ = QueryEffectiveColor(Parent());
  else
    effectiveColor_ = ThemeViewBackColor(ViewKind());
}

void TSkinToolbar::BroadcastColor() {
  ui::TMessage m{ui::CM_PARENTCOLORCHANGED, 1, static_cast<LPARAM>(static_cast<int32_t>(effectiveColor_)), 0};
  NotifyControls(m);
}

void TSkinToolbar::GetNonClientInfo(TSkinToolbarNCInfo& info) {
  info = TSkinToolbarNCInfo{};
  info.Window = HandleAllocated() ? Handle() : nullptr;
  info.ViewKind = ViewKind();
  TBarDock* dock = CurrentDock();
  info.Vertical = dock && dock->IsSideDock();
  info.DragAllowed = dock && dock->AllowDrag();
  info.BorderStyle = BorderStyle() == bars::TBorderStyle::bsSingle;
  info.BorderSize = ThemeBorderSize(info.ViewKind);
  info.ClientWidth = ClientWidth();
  info.ClientHeight = ClientHeight();
  info.DragHandleStyle = static_cast<int32_t>(DragHandleStyle());
  if (CloseButtonWhenDocked())
    info.CloseButtonState = 1 | (CloseButtonHover() ? 2 : 0) | (CloseButtonPressed() ? 4 : 0);
  info.EffectiveColor = effectiveColor_;
}

void TSkinToolbar::PaintNonClient(bool useGivenDc, HDC givenDc, HRGN updateRegion) {
  TSkinTheme* theme = ActiveTheme();
  if (!theme) {
    TBarCustomToolbar::PaintNonClient(useGivenDc, givenDc, updateRegion);
    return;
  }
  TBarDock* dock = CurrentDock();
  if (!Docked() || !dock || !HandleAllocated()) return;
  std::optional<TNonClientDC> own;
  HDC dc = givenDc;
  if (!useGivenDc) {
    own.emplace(Handle(), updateRegion);
    dc = own->Handle();
  }
  if (!dc) return;
  TSkinToolbarNCInfo info;
  GetNonClientInfo(info);
  const RECT window = ZeroBasedWindowRect(Handle());
  const int saved = SaveDC(dc);
  if (!useGivenDc) {
    RECT client{window.left + info.BorderSize.cx, window.top + info.BorderSize.cy, window.right - info.BorderSize.cx,
                window.bottom - info.BorderSize.cy};
    const int handle = ToolbarDragHandleSize(info);
    (info.Vertical ? client.top : client.left) += handle;
    ExcludeClipRect(dc, client.left, client.top, client.right, client.bottom);
  }
  PaintOnCanvas(dc, [&](ui::TCanvas& canvas) {
    const COLORREF solid = ResolveColor(effectiveColor_);
    canvas.Brush().SetColor(static_cast<TColor>(solid));
    if (!theme->GetFlag(sfToolbarNonClientOnSolidBrush)) {
      if (dock->BackgroundInUse()) {
        const int inner = SaveDC(dc);
        const POINT origin = ClientOriginInWindow(dock->Handle(), Handle());
        const RECT dockClient = dock->ClientRect();
        dock->PaintBackground(dc, {origin.x, origin.y, origin.x + dockClient.right, origin.y + dockClient.bottom});
        RestoreDC(dc, inner);
        if (Color() == ui::clNone && dock->BackgroundOnToolbars()) canvas.Brush().SetStyle(ui::TBrushStyle::bsClear);
      } else {
        TColor dockColor = QueryEffectiveColor(dock);
        FillRectColor(dc, window, dockColor);
      }
    }
    theme->DrawToolbarNonClient(canvas, window, info);
  });
  RestoreDC(dc, saved);
}

bool TSkinToolbar::EraseBackground(HDC dc) {
  TSkinTheme* theme = ActiveTheme();
  const RECT client = ClientRect();
  RECT dockRect{0, 0, 0, 0};
  bool paintedUnderneath = false;
  TBarDock* dock = CurrentDock();
  // A docked toolbar's view is its dock: striped and textured backgrounds line up across the
  // toolbars of one dock, and stripes need the view's height to be drawn at all.
  if (Docked() && dock) {
    const RECT dockClient = dock->ClientRect();
    POINT origin{0, 0};
    if (dock->HandleAllocated() && HandleAllocated()) MapWindowPoints(dock->Handle(), Handle(), &origin, 1);
    dockRect = {origin.x, origin.y, origin.x + dockClient.right, origin.y + dockClient.bottom};
  }
  if (Color() == ui::clNone) {
    if (Docked() && dock && dock->BackgroundInUse() && dock->BackgroundOnToolbars() &&
        !theme->GetFlag(sfToolbarHidesDockBackground)) {
      const int saved = SaveDC(dc);
      IntersectClipRect(dc, client.left, client.top, client.right, client.bottom);
      dock->PaintBackground(dc, dockRect);
      RestoreDC(dc, saved);
      paintedUnderneath = true;
    } else if (!Docked() && !Floating()) {
      PaintParentBackground(this, dc, client);
      paintedUnderneath = true;
    }
  }
  PaintOnCanvas(dc, [&](ui::TCanvas& canvas) {
    theme->DrawViewBackground(canvas, dockRect, client, client, effectiveColor_, paintedUnderneath, ViewKind());
  });
  return true;
}

void TSkinToolbar::RepaintItemBackground() {
  if (!HandleAllocated() || !View()) return;
  bars::TBarView* view = View();
  std::vector<RECT> items;
  for (int i = 0; i < view->ViewerCount(); ++i) {
    bars::TBarItemViewer* viewer = view->ViewerAt(i);
    if (!viewer->Show || dynamic_cast<bars::TBarControlItem*>(viewer->Item())) continue;
    items.push_back(viewer->BoundsRect);
    InvalidateRect(Handle(), &viewer->BoundsRect, FALSE);
  }
  UpdateWindow(Handle());
  InvalidateRect(Handle(), nullptr, TRUE);
  for (const RECT& r : items) ValidateRect(Handle(), &r);
}

void TSkinToolbar::ThemeChanged(WPARAM phase) {
  switch (phase) {
    case scpBefore:
      if (View()) View()->BeginUpdate();
      break;
    case scpAfter:
      if (View()) View()->EndUpdate();
      UpdateEffectiveColor();
      if (Floating() && FloatingParent())
        RelayoutWindow(FloatingParent());
      else
        RelayoutWindow(this);
      Invalidate();
      RecomputeSize();
      BroadcastColor();
      break;
    case scpAppActivated:
    case scpAppDeactivated:
      if (MenuBar()) Invalidate();
      break;
    default:
      break;
  }
}

void TSkinToolbar::WndProc(ui::TMessage& m) {
  if (!ActiveTheme()) {
    TBarCustomToolbar::WndProc(m);
    return;
  }
  switch (m.Msg) {
    case SKM_GETVIEWKIND:
      m.Result = ViewKind();
      return;
    case SKM_GETEFFECTIVECOLOR:
      AnswerEffectiveColor(m, effectiveColor_);
      return;
    case SKM_THEMECHANGE:
      ThemeChanged(m.WParam);
      return;
    case WM_ERASEBKGND:
      m.Result = EraseBackground(reinterpret_cast<HDC>(m.WParam)) ? 1 : 0;
      return;
    case ui::CM_COLORCHANGED:
      TBarCustomToolbar::WndProc(m);
      UpdateEffectiveColor();
      if (Docked()) RedrawFrame(this);
      BroadcastColor();
      Invalidate();
      return;
    case ui::CM_PARENTCOLORCHANGED:
      if (!Docked() && !Floating() && Color() == ui::clNone) {
        UpdateEffectiveColor();
        ui::TMessage carried{ui::CM_PARENTCOLORCHANGED, 1, static_cast<LPARAM>(static_cast<int32_t>(effectiveColor_)), 0};
        NotifyControls(carried);
        Invalidate();
        m.Result = 0;
        return;
      }
      break;
    case ui::CM_CONTROLLISTCHANGE:
      TBarCustomToolbar::WndProc(m);
      if (m.LParam && Color() == ui::clNone && m.WParam)
        reinterpret_cast<ui::TControl*>(m.WParam)->Perform(ui::CM_PARENTCOLORCHANGED, 1,
                                                           static_cast<LPARAM>(static_cast<int32_t>(effectiveColor_)));
      return;
    case WM_SIZE: {
      TBarCustomToolbar::WndProc(m);
      auto* dock = dynamic_cast<TSkinDock*>(CurrentDock());
      if (Docked() && dock && dock->BackgroundInUse() && dock->BackgroundOnToolbars() && !dock->Sizing())
        RepaintItemBackground();
      return;
    }
    default:
      break;
  }
  TBarCustomToolbar::WndProc(m);
}

// --- Dock -------------------------------------------------------------------------------------

TSkinDock::TSkinDock(ui::TComponent* owner) : TBarDock(owner) {
  SetColor(ui::clNone);
  nexus_.Join(this);
}

TSkinDock::~TSkinDock() { nexus_.Leave(); }

void TSkinDock::BeforeDestruction() {
  nexus_.Leave();
  TBarDock::BeforeDestruction();
}

int TSkinDock::DockKind() const {
  switch (Position()) {
    case TBarDockPosition::dpTop: return 1;
    case TBarDockPosition::dpBottom: return 2;
    case TBarDockPosition::dpLeft: return 3;
    case TBarDockPosition::dpRight: return 4;
  }
  return 1;
}

bool TSkinDock::ThemePaintsBackground() {
  return !Background() && Color() == ui::clNone && ThemeFlag(sfPaintsDockBackground);
}

bool TSkinDock::BackgroundInUse() {
  return useParentBackground_ || (ThemePaintsBackground() && !moving_) || TBarDock::BackgroundInUse();
}

void TSkinDock::PaintBackground(HDC dc, const RECT& rect) {
  if (useParentBackground_) {
    PaintParentBackground(this, dc, rect);
    return;
  }
  if (ThemePaintsBackground()) {
    // `rect` is where the dock's client lies in the DC: a toolbar painting the dock under itself
    // passes it offset, and a texture stays anchored to the dock.
    RECT clip;
    if (GetClipBox(dc, &clip) == ERROR || !IntersectRect(&clip, &clip, &rect)) clip = rect;
    const TColor color = EffectiveColor();
    PaintOnCanvas(dc, [&](ui::TCanvas& canvas) {
      canvas.Brush().SetColor(color);
      ActiveTheme()->DrawDockBackground(canvas, rect, clip, DockKind());
    });
    return;
  }
  TBarDock::PaintBackground(dc, rect);
}

TColor TSkinDock::EffectiveColor() {
  if (Color() != ui::clNone) return Color();
  if (Parent()) return QueryEffectiveColor(Parent());
  return ui::clBtnFace;
}

void TSkinDock::SetUseParentBackground(bool on) {
  if (on == useParentBackground_) return;
  useParentBackground_ = on;
  if (HandleAllocated())
    RedrawWindow(Handle(), nullptr, nullptr, RDW_FRAME | RDW_ALLCHILDREN | RDW_ERASE | RDW_INVALIDATE);
}

void TSkinDock::Resize() {
  TBarDock::Resize();
  if (!BackgroundInUse()) return;
  for (int i = 0; i < DockListCount(); ++i) {
    bars::TBarCustomDockableWindow* window = DockListAt(i);
    if (!window->Docked()) continue;
    window->Invalidate();
    if (auto* toolbar = dynamic_cast<TSkinToolbar*>(window)) {
      toolbar->RepaintItemBackground();
      RedrawFrame(toolbar);
    } else if (QueryViewKind(window) == vkDockablePanel || (QueryViewKind(window) & 0x4000)) {
      RedrawFrame(window);
    }
  }
}

void TSkinDock::WndProc(ui::TMessage& m) {
  switch (m.Msg) {
    case SKM_GETEFFECTIVECOLOR:
      AnswerEffectiveColor(m, EffectiveColor());
      return;
    case SKM_THEMECHANGE:
      if (m.WParam == scpAfter) Invalidate();
      return;
    case WM_ERASEBKGND: {
      if (!ActiveTheme()) break;
      HDC dc = reinterpret_cast<HDC>(m.WParam);
      const RECT client = ClientRect();
      if (BackgroundInUse()) {
        const int saved = SaveDC(dc);
        IntersectClipRect(dc, client.left, client.top, client.right, client.bottom);
        PaintBackground(dc, client);
        RestoreDC(dc, saved);
      } else {
        FillRectColor(dc, client, EffectiveColor());
      }
      m.Result = 1;
      return;
    }
    case WM_MOVE:
      moving_ = true;
      try {
        TBarDock::WndProc(m);
      } catch (...) {
        moving_ = false;
        throw;
      }
      moving_ = false;
      return;
    case WM_SIZE:
      sizing_ = true;
      try {
        TBarDock::WndProc(m);
      } catch (...) {
        sizing_ = false;
        throw;
      }
      sizing_ = false;
      return;
    case ui::CM_COLORCHANGED:
      TBarDock::WndProc(m);
      for (int i = 0; i < ControlCount(); ++i)
        if (auto* child = dynamic_cast<ui::TWinControl*>(Controls(i))) RedrawFrame(child);
      return;
    default:
      break;
  }
  TBarDock::WndProc(m);
}

// --- Floating tool window ---------------------------------------------------------------------

void TSkinFloatingWindowParent::GetFrameInfo(TSkinFloatingFrameInfo& info, unsigned parts) {
  info = TSkinFloatingFrameInfo{};
  bars::TBarCustomDockableWindow* docked = DockableWindow();
  info.FloatingWindow = HandleAllocated() ? Handle() : nullptr;
  info.DockedWindow = docked && docked->HandleAllocated() ? docked->Handle() : nullptr;
  info.ViewKind = docked ? QueryViewKind(docked) : 0;
  const SIZE nc = NonClientSize();
  info.ClientWidth = Width() - nc.cx;
  info.ClientHeight = Height() - nc.cy;
  info.CaptionShown = docked && docked->ShowCaption();
  info.BorderSize = BorderSize();
  if (docked && docked->CloseButton() && docked->ShowCaption())
    info.CloseButtonState = 1 | (closeHover_ ? 2 : 0) | (CloseButtonPressed() ? 4 : 0);
  info.RedrawParts = static_cast<int32_t>(parts);
  info.Caption = docked ? docked->GetText() : GetText();
  info.BackgroundColor = docked ? QueryEffectiveColor(docked) : ui::clBtnFace;
  info.Active = !(docked && docked->InactiveCaption());
}

void TSkinFloatingWindowParent::PaintFrame(bool useGivenDc, HDC givenDc, unsigned parts, HRGN updateRegion) {
  TSkinTheme* theme = ActiveTheme();
  if (!theme) {
    TBarFloatingWindowParent::PaintFrame(useGivenDc, givenDc, parts, updateRegion);
    return;
  }
  if (!HandleAllocated()) return;
  std::optional<TNonClientDC> own;
  HDC dc = givenDc;
  if (!useGivenDc) {
    own.emplace(Handle(), updateRegion);
    dc = own->Handle();
  }
  if (!dc) return;
  const RECT window{0, 0, Width(), Height()};
  const int saved = SaveDC(dc);
  IntersectClipRect(dc, window.left, window.top, window.right, window.bottom);
  TSkinFloatingFrameInfo info;
  GetFrameInfo(info, parts);
  PaintOnCanvas(dc, [&](ui::TCanvas& canvas) {
    canvas.Brush().SetColor(static_cast<TColor>(ResolveColor(info.BackgroundColor)));
    theme->DrawFloatingFrame(canvas, window, info);
  });
  RestoreDC(dc, saved);
}

void TSkinFloatingWindowParent::SetCloseHover(bool hover) {
  if (hover == closeHover_) return;
  closeHover_ = hover;
  PaintFrame(false, nullptr, 4, nullptr);
}

void TSkinFloatingWindowParent::SnapToWorkArea(WINDOWPOS& p, const RECT& area, int distance) {
  if (distance <= 0) return;
  if (std::abs(p.x + p.cx - area.right) < distance) p.x = area.right - p.cx;
  if (std::abs(p.y + p.cy - area.bottom) < distance) p.y = area.bottom - p.cy;
  if (std::abs(p.x - area.left) < distance) p.x = area.left;
  if (std::abs(p.y - area.top) < distance) p.y = area.top;
}

void TSkinFloatingWindowParent::WndProc(ui::TMessage& m) {
  switch (m.Msg) {
    case WM_ERASEBKGND:
      m.Result = 1;
      return;
    case WM_NCMOUSEMOVE:
      TBarFloatingWindowParent::WndProc(m);
      if (FrameLeaveNotices()) bars::RequestMouseTracking(Handle(), TME_LEAVE | TME_NONCLIENT);
      SetCloseHover(m.WParam == static_cast<WPARAM>(bars::HT_BAR_CLOSE));
      return;
    case WM_NCMOUSELEAVE:
      if (!GetCapture()) SetCloseHover(false);
      break;
    case ui::CM_MOUSELEAVE:
      SetCloseHover(false);
      break;
    case WM_WINDOWPOSCHANGING: {
      auto* p = reinterpret_cast<WINDOWPOS*>(m.LParam);
      const bool sameSize = (p->flags & SWP_NOSIZE) || (p->cx == Width() && p->cy == Height());
      if (snapDistance_ > 0 && !(p->flags & SWP_NOMOVE) && sameSize) {
        WINDOWPOS sized = *p;
        sized.cx = Width();
        sized.cy = Height();
        const RECT bounds{sized.x, sized.y, sized.x + sized.cx, sized.y + sized.cy};
        SnapToWorkArea(sized, bars::NearestMonitorRectForRect(bounds, true), snapDistance_);
        p->x = sized.x;
        p->y = sized.y;
      }
      break;
    }
    default:
      break;
  }
  TBarFloatingWindowParent::WndProc(m);
}

}  // namespace movra::skin
