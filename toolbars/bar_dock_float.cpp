// The tool window around a floating dockable window: its frame, caption and close button,
// sizing handles, and the way it keeps its owner form's caption active.
#include <windowsx.h>

#include <algorithm>

#include "runtime/text.h"
#include "toolbars/bar_common.h"
#include "toolbars/bar_dock.h"
#include "toolbars/bar_dock_support.h"

namespace movra::bars {

using namespace movra::ui;

TBarFloatingWindowParent::TBarFloatingWindowParent(TComponent* owner) : TCustomForm(owner) {}

TBarFloatingWindowParent::~TBarFloatingWindowParent() {
  if (window_ && window_->floatingParent_ == this) window_->floatingParent_ = nullptr;
}

void TBarFloatingWindowParent::CreateParams(TCreateParams& params) {
  TCustomForm::CreateParams(params);
  params.ClassStyle &= ~(CS_HREDRAW | CS_VREDRAW);
  params.Style = WS_POPUP | WS_BORDER | WS_CLIPCHILDREN;
  if (!window_ || window_->Resizable()) params.Style |= WS_THICKFRAME;
  params.ExStyle = WS_EX_TOOLWINDOW;
  params.WndParent = ownerForm_ && ownerForm_->HandleAllocated() ? ownerForm_->Handle() : Application().Handle();
}

void TBarFloatingWindowParent::VisibleChanged() {
  // Shown by the dockable window's showing rule, never activated.
  if (Visible()) HandleNeeded();
  UpdateWindowShowing();
}

SIZE TBarFloatingWindowParent::BorderSize() const {
  SIZE s{0, 0};
  if (window_) window_->FloatingBorderSize(s);
  return s;
}

int TBarFloatingWindowParent::CaptionHeight() const {
  return window_ && window_->ShowCaption() ? GetSystemMetrics(SM_CYSMCAPTION) - 1 : 0;
}

SIZE TBarFloatingWindowParent::NonClientSize() const {
  SIZE b = BorderSize();
  return {2 * b.cx, 2 * b.cy + CaptionHeight()};
}

RECT TBarFloatingWindowParent::CaptionRect() const {
  SIZE b = BorderSize();
  SIZE nc = NonClientSize();
  int clientWidth = std::max<int>(0, Width() - nc.cx);
  int h = GetSystemMetrics(SM_CYSMCAPTION) - 1;
  RECT r{b.cx, b.cy, b.cx + clientWidth, b.cy + h};
  if (window_ && window_->CloseButton()) r.right -= h;
  return r;
}

RECT TBarFloatingWindowParent::CloseButtonRect() const {
  RECT c = CaptionRect();
  int h = GetSystemMetrics(SM_CYSMCAPTION) - 1;
  return {c.right, c.top, c.right + h, c.bottom};
}

int TBarFloatingWindowParent::HitTest(int x, int y) const {
  if (window_ && window_->ShowCaption()) {
    RECT caption = CaptionRect();
    RECT close = CloseButtonRect();
    if (window_->CloseButton() && PtInRect(&close, POINT{x, y})) return HT_BAR_CLOSE;
    if (PtInRect(&caption, POINT{x, y})) return HT_BAR_CAPTION;
  }
  if (!window_ || !window_->Resizable()) return HTNOWHERE;
  SIZE b = BorderSize();
  const int width = Width(), height = Height();
  const bool top = y < b.cy, bottom = y >= height - b.cy - 1, left = x < b.cx, right = x >= width - b.cx - 1;
  if (!(window_->DockableStyle() & 1)) {
    if (top) return HTTOP;
    if (bottom) return HTBOTTOM;
    if (left) return HTLEFT;
    if (right) return HTRIGHT;
    return HTNOWHERE;
  }
  const int k = GetSystemMetrics(SM_CYSMCAPTION) - 1 + b.cx;
  if (left) return y < k ? HTTOPLEFT : y >= height - k ? HTBOTTOMLEFT : HTLEFT;
  if (right) return y < k ? HTTOPRIGHT : y >= height - k ? HTBOTTOMRIGHT : HTRIGHT;
  if (top) return x < k ? HTTOPLEFT : x >= width - k ? HTTOPRIGHT : HTTOP;
  if (bottom) return x < k ? HTBOTTOMLEFT : x >= width - k ? HTBOTTOMRIGHT : HTBOTTOM;
  return HTNOWHERE;
}

void TBarFloatingWindowParent::UpdateWindowShowing() {
  if (!HandleAllocated()) return;
  bool show = Visible() && shouldShow_;
  bool is = (GetWindowLongPtrW(Handle(), GWL_STYLE) & WS_VISIBLE) != 0;
  if (show == is) return;
  SetWindowPos(Handle(), nullptr, 0, 0, 0, 0,
               SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | (show ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
}

void TBarFloatingWindowParent::PaintFrame(bool useGivenDc, HDC givenDc, unsigned parts, HRGN updateRegion) {
  if (!HandleAllocated() || !window_) return;
  HDC dc = givenDc;
  if (!useGivenDc) {
    dc = GetWindowDC(Handle());
    ClipDCToFrameUpdateRegion(Handle(), dc, updateRegion);
  }
  RECT window{0, 0, Width(), Height()};
  IntersectClipRect(dc, 0, 0, window.right, window.bottom);
  SIZE b = BorderSize();
  const int captionHeight = CaptionHeight();
  if (parts & 1) {
    RECT r = window;
    DrawEdge(dc, &r, EDGE_RAISED, BF_RECT);
    RECT client{b.cx, b.cy + captionHeight, window.right - b.cx, window.bottom - b.cy};
    HRGN ring = CreateRectRgn(2, 2, window.right - 2, window.bottom - 2);
    HRGN hole = CreateRectRgnIndirect(&client);
    CombineRgn(ring, ring, hole, RGN_DIFF);
    FillRgn(dc, ring, GetSysColorBrush(COLOR_BTNFACE));
    DeleteObject(hole);
    DeleteObject(ring);
  }
  if (window_->ShowCaption()) {
    RECT caption = CaptionRect();
    RECT close = CloseButtonRect();
    bool gradient = false;
    BOOL g = FALSE;
    if (SystemParametersInfoW(SPI_GETGRADIENTCAPTIONS, 0, &g, 0)) gradient = g != FALSE;
    const bool active = !window_->InactiveCaption();
    if (parts & 2) {
      // The caption rectangle stops before the close button, whose area is painted below.
      RECT text = caption;
      UINT flags = DC_SMALLCAP | DC_TEXT | (active ? DC_ACTIVE : 0) | (gradient ? DC_GRADIENT : 0);
      DrawCaption(Handle(), dc, &text, flags);
      RECT line{b.cx, caption.bottom, window.right - b.cx, caption.bottom + 1};
      FillRect(dc, &line, GetSysColorBrush(COLOR_BTNFACE));
      if (window_->CloseButton()) {
        int index = active ? (gradient ? COLOR_GRADIENTACTIVECAPTION : COLOR_ACTIVECAPTION)
                           : (gradient ? COLOR_GRADIENTINACTIVECAPTION : COLOR_INACTIVECAPTION);
        HRGN area = CreateRectRgnIndirect(&close);
        HRGN button = CreateRectRgn(close.left, close.top + 2, close.right - 2, close.bottom - 2);
        CombineRgn(area, area, button, RGN_DIFF);
        FillRgn(dc, area, GetSysColorBrush(index));
        DeleteObject(button);
        DeleteObject(area);
      }
    }
    if ((parts & 4) && window_->CloseButton()) {
      RECT button{close.left, close.top + 2, close.right - 2, close.bottom - 2};
      DrawFrameControl(dc, &button, DFC_CAPTION, DFCS_CAPTIONCLOSE | (closePressed_ ? DFCS_PUSHED : 0));
    }
  }
  if (!useGivenDc) ReleaseDC(Handle(), dc);
}

void TBarFloatingWindowParent::WndProc(TMessage& m) {
  switch (m.Msg) {
    case WM_GETMINMAXINFO: {
      auto* info = reinterpret_cast<MINMAXINFO*>(m.LParam);
      info->ptMinTrackSize = {1, 1};
      info->ptMaxTrackSize = {32767, 32767};
      m.Result = 0;
      return;
    }
    case WM_NCCALCSIZE: {
      auto* r = reinterpret_cast<RECT*>(m.LParam);
      SIZE b = BorderSize();
      r->left += b.cx;
      r->right -= b.cx;
      r->top += b.cy + CaptionHeight();
      r->bottom -= b.cy;
      if (r->right < r->left) r->right = r->left;
      if (r->bottom < r->top) r->bottom = r->top;
      m.Result = 0;
      return;
    }
    case WM_NCHITTEST: {
      TCustomForm::WndProc(m);
      if (m.Result == HTCLIENT) return;
      RECT wr;
      GetWindowRect(Handle(), &wr);
      m.Result = HitTest(GET_X_LPARAM(m.LParam) - wr.left, GET_Y_LPARAM(m.LParam) - wr.top);
      return;
    }
    case WM_NCPAINT:
      PaintFrame(false, nullptr, 1 | 2 | 4, reinterpret_cast<HRGN>(m.WParam));
      m.Result = 0;
      return;
    case WM_NCACTIVATE:
      // The caption shows the owner form's activity, not this window's.
      m.Result = 1;
      return;
    case WM_PRINT:
      m.Result = AnswerPrintMessage(
          Handle(), reinterpret_cast<HDC>(m.WParam), static_cast<UINT>(m.LParam),
          [](HWND, HDC dc, void* fp) { static_cast<TBarFloatingWindowParent*>(fp)->PaintFrame(true, dc, 1 | 2 | 4, nullptr); },
          this);
      return;
    case WM_NCLBUTTONDOWN: {
      TBarCustomDockableWindow* w = window_;
      if (!w) break;
      if (m.WParam >= HTLEFT && m.WParam <= HTBOTTOMRIGHT) {
        if (w->Resizable()) w->BeginSizing(static_cast<int>(m.WParam) - HTLEFT);
        m.Result = 0;
        return;
      }
      if (m.WParam == HT_BAR_CLOSE) {
        w->RunCloseButtonLoop(
            Handle(),
            [this](POINT p) {
              RECT wr;
              GetWindowRect(Handle(), &wr);
              RECT button = CloseButtonRect();
              OffsetRect(&button, wr.left, wr.top);
              return PtInRect(&button, p) != FALSE;
            },
            [this] { PaintFrame(false, nullptr, 4, nullptr); });
        m.Result = 0;
        return;
      }
      if (m.WParam == HT_BAR_CAPTION) {
        POINT p{GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)};
        w->BeginDrag(w->ScreenToClient(p));
        m.Result = 0;
        return;
      }
      break;
    }
    case WM_NCLBUTTONDBLCLK:
      if (m.WParam == HT_BAR_CAPTION && window_) {
        window_->ToggleDocking();
        m.Result = 0;
        return;
      }
      break;
    case WM_NCRBUTTONUP:
      if (window_ && window_->HandleAllocated()) {
        SendMessageW(window_->Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(window_->Handle()), m.LParam);
        m.Result = 0;
        return;
      }
      break;
    case WM_ACTIVATE:
      if (ownerForm_ && ownerForm_->HandleAllocated()) {
        SendMessageW(ownerForm_->Handle(), WM_NCACTIVATE, LOWORD(m.WParam) != WA_INACTIVE, 0);
        if (LOWORD(m.WParam) != WA_INACTIVE) {
          if (!IsWindowVisible(Handle()))
            PassActivationFrom(Handle(), window_ && window_->HandleAllocated() ? window_->Handle() : nullptr);
          else if (ownerForm_->Handle() != reinterpret_cast<HWND>(m.LParam))
            SetActiveWindow(ownerForm_->Handle());
        }
      }
      m.Result = 0;
      return;
    case WM_MOUSEACTIVATE:
      SetWindowPos(Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
      if (window_ && window_->FloatingMode() == TBarFloatingMode::fmOnTopOfParentForm && window_->ActivateParent() &&
          ownerForm_ && ownerForm_->HandleAllocated() && GetActiveWindow() != ownerForm_->Handle())
        SetActiveWindow(ownerForm_->Handle());
      m.Result = MA_NOACTIVATE;
      return;
    case WM_CLOSE:
      if (ownerForm_ && ownerForm_->HandleAllocated()) PostMessageW(ownerForm_->Handle(), WM_CLOSE, 0, 0);
      m.Result = 0;
      return;
    case WM_MOVE:
      TCustomForm::WndProc(m);
      if (window_) window_->DoMove();
      return;
    case CM_TEXTCHANGED:
      PaintFrame(false, nullptr, 2, nullptr);
      break;
    case CM_SHOWINGCHANGED:
      UpdateWindowShowing();
      return;
    case CM_DIALOGKEY:
      // Escape leaves the tool window for the form it belongs to.
      if (m.WParam == VK_ESCAPE && GetKeyState(VK_SHIFT) >= 0 && ownerForm_ && ownerForm_->CanFocus()) {
        ownerForm_->SetFocus();
        m.Result = 1;
        return;
      }
      break;
    default:
      break;
  }
  TCustomForm::WndProc(m);
}

}  // namespace movra::bars
