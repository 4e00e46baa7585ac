#include "themes/skin_default.h"

#include <algorithm>
#include <string>
#include <vector>

#include "runtime/text.h"
#include "themes/skin_utils.h"
#include "themes/skin_uxthemes.h"
#include "toolbars/bar_common.h"

namespace movra::skin {
namespace {

using ui::clBtnFace;
using ui::clBtnHighlight;
using ui::clBtnShadow;
using ui::clBtnText;
using ui::clGrayText;
using ui::clHighlight;
using ui::clHighlightText;
using ui::clNone;
using ui::clWindow;
using ui::SystemColor;

constexpr TColor clWindowFrame = SystemColor(COLOR_WINDOWFRAME);

constexpr int kFillColorProperty = 3802;       // TMT_FILLCOLOR
constexpr int kTextColorProperty = 3803;       // TMT_TEXTCOLOR
constexpr int kContentMarginsProperty = 3603;  // TMT_CONTENTMARGINS

// The one-bit glyphs, a byte a row, most significant bit leftmost.
constexpr uint8_t kCloseCross[6] = {0xC6, 0x6C, 0x38, 0x38, 0x6C, 0xC6};            // 7 x 6
constexpr uint8_t kChevronHorizontal[5] = {0xCC, 0x66, 0x33, 0x66, 0xCC};           // 8 x 5
constexpr uint8_t kChevronVertical[8] = {0x88, 0xD8, 0x70, 0x20, 0x88, 0xD8, 0x70, 0x20};  // 5 x 8
constexpr uint8_t kSmallCross[7] = {0x00, 0xCC, 0x78, 0x30, 0x78, 0xCC, 0x00};      // 7 x 7

// The TOOLBAR button part by the state's combo part.
constexpr int kButtonPart[4] = {1, 2, 3, 4};

const TSkinSystemState& Sys() { return SkinSystem(); }
bool FlatMenus() { return Sys().FlatMenusActive; }
TColor MenuColor() { return Sys().MenuBackColor; }
TColor MenuTextColor() { return Sys().MenuTextColor; }

bool ToolbarStyle(const TItemDrawState& s) { return (s.Options & idoToolbarStyle) != 0; }
// Hot: hovered while enabled, or the highlight of a disabled menu item.
bool Hot(const TItemDrawState& s) { return s.Enabled ? s.Hover == 2 : s.Hover == 1; }
bool IsToolbarFamily(int kind) { return (kind & vkToolbarFamily) != 0; }
bool IsMenuBar(int kind) { return (kind & vkMenuBar) == vkMenuBar; }
bool IsChevronPopup(int kind) { return (kind & vkChevronPopup) == vkChevronPopup; }
bool IsTransparentToolbar(int kind) { return IsToolbarFamily(kind) && (kind & vkTransparentItems) != 0; }
bool IsFloating(int kind) { return (kind & vkFloating) != 0; }
// An item of a popup menu proper, drawn as a menu item.
bool IsMenuItem(const TItemDrawState& s) { return IsPopupMenuView(s.ViewKind) && !ToolbarStyle(s); }

RECT Inset(RECT r, int d) {
  InflateRect(&r, -d, -d);
  return r;
}

// Draws a shape in `color`, or embossed when `embossed`: a light copy one pixel down and right,
// then the shape in place in the shadow colour. `draw` paints the shape offset by (dx, dy).
template <class F>
void DrawMaybeEmbossed(bool embossed, TColor color, F draw) {
  if (embossed) {
    draw(1, 1, clBtnHighlight);
    draw(0, 0, clBtnShadow);
  } else {
    draw(0, 0, color);
  }
}

void FilledTriangle(HDC dc, POINT a, POINT b, POINT c, int dx, int dy, TColor color) {
  const POINT points[3] = {{a.x + dx, a.y + dy}, {b.x + dx, b.y + dy}, {c.x + dx, c.y + dy}};
  PolygonColor(dc, points, 2, color, color);
}

// The colour of an enabled arrow: the menu text colour on toolbar-style items (the menu bar's
// among them), the button text elsewhere.
TColor ArrowColor(const TItemDrawState& s) { return ToolbarStyle(s) ? MenuTextColor() : clBtnText; }

// A visual-styles state number from the usual four: disabled 4, pressed 3, hot 2, normal 1.
int PartState(bool disabled, bool pressed, bool hot) { return disabled ? 4 : pressed ? 3 : hot ? 2 : 1; }

// A rounded or elliptic shape outlined in `pen` and filled with `brush` (either may be clNone).
void ShapeColor(HDC dc, const RECT& r, TColor pen, TColor brush, bool ellipse, int cornerW = 0, int cornerH = 0) {
  HPEN p = pen == clNone ? static_cast<HPEN>(GetStockObject(NULL_PEN)) : MakePen(pen);
  HBRUSH b = MakeBrush(brush);
  HGDIOBJ oldPen = SelectObject(dc, p), oldBrush = SelectObject(dc, b);
  if (ellipse)
    ::Ellipse(dc, r.left, r.top, r.right, r.bottom);
  else
    ::RoundRect(dc, r.left, r.top, r.right, r.bottom, cornerW, cornerH);
  SelectObject(dc, oldPen);
  SelectObject(dc, oldBrush);
  DeleteObject(p);
  DeleteObject(b);
}

// A colour of a theme part, or `fallback` when it cannot be read.
TColor ThemeColorOr(HTHEME data, int property, TColor fallback) {
  if (!data || !UxTheme().GetThemeColor) return fallback;
  COLORREF color = 0;
  if (UxTheme().GetThemeColor(data, 0, 0, property, &color) != S_OK) return fallback;
  return static_cast<TColor>(color & 0xFFFFFF);
}

int defaultStarts = 0;

}  // namespace

// --- Edges in the resolved system colours ----------------------------------------------------

void DrawSkinEdge(HDC dc, RECT& rect, UINT edge, UINT flags) {
  const bool left = flags & BF_LEFT, top = flags & BF_TOP, right = flags & BF_RIGHT, bottom = flags & BF_BOTTOM;
  struct Ring {
    bool drawn;
    int topLeft, bottomRight;
  };
  // Outer then inner ring, with the system's colour pairs.
  Ring rings[2] = {
      {(edge & BDR_OUTER) != 0, (edge & BDR_RAISEDOUTER) ? COLOR_3DLIGHT : COLOR_BTNSHADOW,
       (edge & BDR_RAISEDOUTER) ? COLOR_3DDKSHADOW : COLOR_BTNHIGHLIGHT},
      {(edge & BDR_INNER) != 0, (edge & BDR_RAISEDINNER) ? COLOR_BTNHIGHLIGHT : COLOR_3DDKSHADOW,
       (edge & BDR_RAISEDINNER) ? COLOR_BTNSHADOW : COLOR_3DLIGHT},
  };
  if (flags & (BF_FLAT | BF_MONO)) {
    const bool mono = flags & BF_MONO;
    bool first = true;
    for (Ring& ring : rings) {
      if (!ring.drawn) continue;
      const int c = first ? (mono ? COLOR_WINDOWFRAME : COLOR_BTNSHADOW) : (mono ? COLOR_WINDOW : COLOR_BTNFACE);
      ring.topLeft = ring.bottomRight = c;
      first = false;
    }
  }
  RECT r = rect;
  for (const Ring& ring : rings) {
    if (!ring.drawn || r.right <= r.left || r.bottom <= r.top) continue;
    const TColor tl = SystemColor(ring.topLeft), br = SystemColor(ring.bottomRight);
    // The bottom and right lines run the full length; the top and left ones stop short of them.
    if (top) FillRectColor(dc, {r.left, r.top, right ? r.right - 1 : r.right, r.top + 1}, tl);
    if (left) FillRectColor(dc, {r.left, r.top, r.left + 1, bottom ? r.bottom - 1 : r.bottom}, tl);
    if (bottom) FillRectColor(dc, {r.left, r.bottom - 1, r.right, r.bottom}, br);
    if (right) FillRectColor(dc, {r.right - 1, r.top, r.right, r.bottom}, br);
    if (left) ++r.left;
    if (top) ++r.top;
    if (right) --r.right;
    if (bottom) --r.bottom;
  }
  if ((flags & BF_MIDDLE) && r.right > r.left && r.bottom > r.top)
    FillRectColor(dc, r, SystemColor((flags & BF_MONO) ? COLOR_WINDOW : COLOR_BTNFACE));
  if (flags & BF_ADJUST) rect = r;
}

HFONT SmallCaptionFont() { return UtilsCaptionFont(); }

void DrawSkinText(HDC dc, HFONT font, const std::string& text, RECT rect, UINT format, TColor color, bool rotated) {
  HGDIOBJ oldFont = SelectObject(dc, font);
  const int oldMode = SetBkMode(dc, TRANSPARENT);
  const COLORREF oldColor = SetTextColor(dc, ResolveColor(color));
  if (rotated) {
    bars::DrawVerticalCaption(dc, text, rect, format);
  } else {
    const std::wstring w = Utf8ToWide(text);
    DrawTextW(dc, w.c_str(), static_cast<int>(w.size()), &rect, format);
  }
  SetTextColor(dc, oldColor);
  SetBkMode(dc, oldMode);
  SelectObject(dc, oldFont);
}

void DrawScrollerArrow(HDC dc, const RECT& rect, int direction, TColor color) {
  const int cx = (rect.left + rect.right) / 2, cy = (rect.top + rect.bottom) / 2;
  const int s = std::min(cx - rect.left, cy - rect.top) * 3 / 4;
  switch (direction) {
    case 1: {
      const int y = cy + s / 2;
      FilledTriangle(dc, {cx + s, y}, {cx, y - s}, {cx - s, y}, 0, 0, color);
      break;
    }
    case 2: {
      const int y = (rect.top + rect.bottom - 1) / 2 - s / 2;
      FilledTriangle(dc, {cx + s, y}, {cx, y + s}, {cx - s, y}, 0, 0, color);
      break;
    }
    case 3: {
      const int x = cx + s / 2;
      FilledTriangle(dc, {x, cy + s}, {x - s, cy}, {x, cy - s}, 0, 0, color);
      break;
    }
    default: {
      const int x = (rect.left + rect.right - 1) / 2 - s / 2;
      FilledTriangle(dc, {x, cy + s}, {x + s, cy}, {x, cy - s}, 0, 0, color);
      break;
    }
  }
}

void DrawChevronPattern(HDC dc, const RECT& rect, bool vertical, int dx, int dy, TColor color) {
  RECT r = rect;
  if (vertical) {
    r.left = r.right - 9;
    r.right = r.right - 4;
  } else {
    r.top += 4;
    r.bottom = r.top + 5;
  }
  OffsetRect(&r, dx, dy);
  if (vertical)
    DrawPatternGlyph(dc, r, 5, 8, kChevronVertical, color);
  else
    DrawPatternGlyph(dc, r, 8, 5, kChevronHorizontal, color);
}

void DrawCloseCross(HDC dc, const RECT& rect, TColor color) { DrawPatternGlyph(dc, rect, 7, 6, kCloseCross, color); }

// --- Life ------------------------------------------------------------------------------------

TSkinDefaultTheme::TSkinDefaultTheme(const std::string& name) : TSkinTheme(name) {
  ThemeManagerListen(this);
  TSkinDefaultTheme::RebuildColors();
}

TSkinDefaultTheme::~TSkinDefaultTheme() { ThemeManagerUnlisten(this); }

void TSkinDefaultTheme::Dispatch(TMessage& message) {
  if (message.Msg == SKM_SYSTEMCHANGE && message.WParam == scpChange) RebuildColors();
}

void TSkinDefaultTheme::RebuildColors() {
  const bool styled = UsesVisualStyles();
  toolbarBackColor_ = styled ? ThemeColorOr(ThemeData(tdcToolbar), kFillColorProperty, clBtnFace) : clBtnFace;
  toolbarForeColor_ = styled ? ThemeColorOr(ThemeData(tdcToolbar), kTextColorProperty, clBtnText) : clBtnText;
  dockPanelBackColor_ = NearestColorMix(toolbarBackColor_, clWindow, 64);
  statusBarBackColor_ = styled ? ThemeColorOr(ThemeData(tdcStatus), kFillColorProperty, clBtnFace) : clBtnFace;
}

bool TSkinDefaultTheme::UsesVisualStyles() const { return Sys().VisualStylesActive; }

HTHEME TSkinDefaultTheme::ThemeData(TSkinThemeDataClass dataClass) { return Sys().ThemeData[dataClass]; }

bool TSkinDefaultTheme::DrawThemePart(TSkinThemeDataClass dataClass, HDC dc, int part, int state, const RECT& rect) {
  HTHEME data = ThemeData(dataClass);
  if (!data || !UxTheme().DrawThemeBackground) return false;
  return UxTheme().DrawThemeBackground(data, dc, part, state, &rect, nullptr) == S_OK;
}

// --- Colours, sizes and flags ----------------------------------------------------------------

void TSkinDefaultTheme::GetGlyphShift(ui::TCanvas&, const TItemDrawState& state, POINT& offset) {
  offset = (state.Pushed || state.Checked) ? POINT{1, 1} : POINT{0, 0};
}

TColor TSkinDefaultTheme::GetViewBackColor(int viewKind) {
  if (IsToolbarFamily(viewKind)) return toolbarBackColor_;
  if (IsPopupView(viewKind)) {
    if (IsPopupMenuView(viewKind)) return MenuColor();
    if (IsListPopupView(viewKind)) return clWindow;
    if (IsToolboxPopupView(viewKind)) return toolbarBackColor_;
    if (IsChevronPopup(viewKind)) return MenuColor();
    return toolbarBackColor_;
  }
  if (viewKind & 0x4000) return dockPanelBackColor_;
  if (viewKind & vkStatusBar) return statusBarBackColor_;
  return clBtnFace;
}

TColor TSkinDefaultTheme::GetItemBackColor(const TItemDrawState& state) {
  if (!UsesVisualStyles() && IsMenuItem(state) && state.Hover != 0) return clHighlight;
  return GetViewBackColor(state.ViewKind);
}

TColor TSkinDefaultTheme::GetItemCaptionColor(const TItemDrawState& state) {
  if (!state.Enabled) return clGrayText;
  const bool menuBar = IsMenuBar(state.ViewKind);
  const bool inactiveMenuBar = menuBar && !(state.Options & idoAppActive);
  if (!ToolbarStyle(state) || (menuBar && FlatMenus())) {
    if (Hot(state)) return clHighlightText;
    if (inactiveMenuBar) return clGrayText;
    return MenuTextColor();
  }
  return inactiveMenuBar ? clGrayText : clBtnText;
}

TColor TSkinDefaultTheme::GetGlyphBackColor(const TItemDrawState& state) {
  const bool flat = FlatMenus();
  if (IsMenuBar(state.ViewKind) && flat && state.Hover != 0) return clHighlight;
  if ((IsChevronPopup(state.ViewKind) && flat) || (IsMenuItem(state) && flat && state.Hover != 0))
    return toolbarBackColor_;
  return GetViewBackColor(state.ViewKind);
}

void TSkinDefaultTheme::GetItemMargins(int kind, TSkinMargins& margins) {
  const bool styled = UsesVisualStyles();
  switch (kind) {
    case smkToolbarItem: {
      margins = {2, 2, 2, 2};
      HTHEME toolbar = ThemeData(tdcToolbar);
      if (styled && toolbar && UxTheme().GetThemeMargins) {
        HDC dc = CreateCompatibleDC(nullptr);
        MARGINS m{};
        // The call can fail and zero the record (it does under Wine): keep the defaults then.
        if (UxTheme().GetThemeMargins(toolbar, dc, 1, 2, kContentMarginsProperty, nullptr, &m) == S_OK)
          margins = {m.cxLeftWidth, m.cxRightWidth, m.cyTopHeight, m.cyBottomHeight};
        DeleteDC(dc);
      }
      return;
    }
    case smkMenuItem:
      margins = {0, 0, 2, 2};
      return;
    case smkStatusPanel: {
      margins = {1, 3, 1, 1};
      HTHEME status = ThemeData(tdcStatus);
      if (styled && status && UxTheme().GetThemeBackgroundContentRect) {
        const RECT bounds{0, 0, 100, 100};
        RECT content{};
        HDC dc = CreateCompatibleDC(nullptr);
        if (UxTheme().GetThemeBackgroundContentRect(status, dc, 1, 0, &bounds, &content) == S_OK)
          margins = {content.left, 100 - content.right, content.top, 100 - content.bottom};
        DeleteDC(dc);
      }
      return;
    }
    default:
      margins = {0, 0, 0, 0};
  }
}

int TSkinDefaultTheme::GetShadowKind() { return 1; }

void TSkinDefaultTheme::GetViewBorderSize(int viewKind, SIZE& size) {
  if (IsToolbarFamily(viewKind) || ((viewKind & 0x4000) && !IsPopupView(viewKind))) {
    if (!IsFloating(viewKind))
      size = {2, 2};
    else if (viewKind & vkResizable)
      size = {GetSystemMetrics(SM_CXFRAME), GetSystemMetrics(SM_CYFRAME)};
    else
      size = {GetSystemMetrics(SM_CXDLGFRAME), GetSystemMetrics(SM_CYDLGFRAME)};
    return;
  }
  if (IsPopupView(viewKind)) {
    size = IsListPopupView(viewKind) ? SIZE{1, 1} : SIZE{3, 3};
    return;
  }
  size = {0, 0};
}

void TSkinDefaultTheme::GetViewPadding(int viewKind, TSkinMargins& margins) {
  if (IsToolbarFamily(viewKind) && IsFloating(viewKind))
    margins = {4, 4, 2, 1};
  else
    margins = {0, 0, 0, 0};
}

int TSkinDefaultTheme::GetMetric(int id) {
  switch (id) {
    case smSplitDropDownWidth: {
      HTHEME toolbar = ThemeData(tdcToolbar);
      if (UsesVisualStyles() && toolbar && UxTheme().GetThemePartSize) {
        SIZE size{};
        HDC dc = CreateCompatibleDC(nullptr);
        const HRESULT result = UxTheme().GetThemePartSize(toolbar, dc, 4, 1, nullptr, TS_TRUE, &size);
        DeleteDC(dc);
        if (result == S_OK) return size.cx + 2;
      }
      return 11;
    }
    case 20: return 8;
    case 21: return 3;
    case 32:
    case 62: return 1;
    case 33:
    case 34:
    case 36:
    case 60:
    case 61: return 2;
    case 37: return 4;
    case 50: return 6;
    case 65: return 13;
    case 66: return 0;
    default: return -1;
  }
}

bool TSkinDefaultTheme::GetFlag(int id) { return id == sfPaintsDockBackground && UsesVisualStyles(); }

// --- Views and docks -------------------------------------------------------------------------

void TSkinDefaultTheme::DrawViewBackground(ui::TCanvas& canvas, const RECT&, const RECT& paint, const RECT& clip,
                                           TColor backColor, bool paintedUnderneath, int) {
  if (paintedUnderneath) return;
  RECT area;
  if (IntersectRect(&area, &paint, &clip)) FillRectColor(canvas.Handle(), area, backColor);
}

void TSkinDefaultTheme::DrawDockBackground(ui::TCanvas& canvas, const RECT&, const RECT& clip, int dockKind) {
  if (!UsesVisualStyles()) return;
  RECT r = clip;
  if (dockKind == 3 || dockKind == 4) ++r.bottom;
  DrawThemePart(tdcRebar, canvas.Handle(), 0, 0, r);
}

// --- Items -----------------------------------------------------------------------------------

void TSkinDefaultTheme::DrawButtonFace(ui::TCanvas& canvas, const RECT& rect, const TItemDrawState& state) {
  HDC dc = canvas.Handle();
  const bool hot = Hot(state);
  const bool transparent = IsTransparentToolbar(state.ViewKind);
  const bool menuBar = IsMenuBar(state.ViewKind);
  const bool down = (state.Pushed || state.Checked) && state.Enabled;
  const int comboPart = std::min<int>(state.Part, 3);

  if (!menuBar && UsesVisualStyles()) {
    int number;
    if (!state.Enabled)
      number = state.Hover == 1 ? 2 : 4;
    else if (state.Pushed)
      number = 3;
    else if (state.Checked)
      number = hot ? 6 : 5;
    else
      number = hot ? 2 : 1;
    const int part = kButtonPart[comboPart];
    HTHEME toolbar = ThemeData(tdcToolbar);
    if ((transparent || (state.Options & idoDesigning)) && toolbar && UxTheme().GetThemeBackgroundRegion) {
      RECT r = rect;
      if (comboPart == 3) --r.left;
      HRGN region = nullptr;
      if (UxTheme().GetThemeBackgroundRegion(toolbar, dc, part, 2, &r, &region) == S_OK && region) {
        if (transparent) {
          HBRUSH fill = MakeBrush(toolbarBackColor_);
          FillRgn(dc, region, fill);
          DeleteObject(fill);
        }
        HBRUSH frame = MakeBrush(clBtnShadow);
        FrameRgn(dc, region, frame, 1, 1);
        DeleteObject(frame);
        DeleteObject(region);
      }
    }
    DrawThemePart(tdcToolbar, dc, part, number, rect);
    return;
  }

  if (menuBar && FlatMenus()) {
    if (down || hot) FillRectColor(dc, rect, clHighlight);
    return;
  }

  RECT r = rect;
  if (comboPart == 3 && !menuBar) r.right -= 2;
  const RECT arrowRect = r;
  if (FlatMenus() && (down || hot)) FillRectColor(dc, r, toolbarBackColor_);
  if (transparent) {
    UINT flags = BF_RECT | BF_MIDDLE | BF_ADJUST;
    if (!(hot && state.Enabled && !state.Pushed && !state.Checked)) flags |= BF_FLAT;
    const bool wider = comboPart == 2 && !hot && !state.Pushed;
    if (wider) ++r.right;
    DrawSkinEdge(dc, r, EDGE_RAISED, flags);
    if (wider) --r.right;
    if (state.Checked && state.Enabled && state.Hover == 0) FillRectDither(dc, r, toolbarBackColor_, clBtnHighlight);
  } else if (down) {
    DrawSkinEdge(dc, r, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
    if (state.Checked && !state.Pushed && state.Hover == 0) FillRectDither(dc, r, toolbarBackColor_, clBtnHighlight);
  } else if (hot || (state.Options & idoDesigning)) {
    DrawSkinEdge(dc, r, BDR_RAISEDINNER, BF_RECT);
  }
  if (comboPart == 3) DrawDropArrow(canvas, arrowRect, state);
}

void TSkinDefaultTheme::DrawItemCaption(ui::TCanvas& canvas, const RECT& rect, const TItemDrawState& state,
                                        const std::string& caption, UINT format, bool rotated) {
  TColor color = canvas.Font().Color();
  if (color == clNone) color = GetItemCaptionColor(state);
  RECT r = rect;
  bool embossed = false;
  if (state.Enabled || ToolbarStyle(state) || state.Hover != 1) {
    if (state.Enabled && ToolbarStyle(state) && (state.Pushed || state.Checked) &&
        !(IsMenuBar(state.ViewKind) && FlatMenus()))
      OffsetRect(&r, 1, 1);
    embossed = !state.Enabled && !UsesVisualStyles();
  }
  canvas.Brush().SetStyle(ui::TBrushStyle::bsClear);
  HDC dc = canvas.Handle();
  HFONT font = canvas.Font().Handle();
  DrawMaybeEmbossed(embossed, color, [&](int dx, int dy, TColor c) {
    RECT t = r;
    OffsetRect(&t, dx, dy);
    DrawSkinText(dc, font, caption, t, format, c, rotated);
  });
  canvas.Brush().SetStyle(ui::TBrushStyle::bsSolid);
}

void TSkinDefaultTheme::DrawCheckGlyph(ui::TCanvas& canvas, const RECT& rect, const TItemDrawState& state) {
  HDC dc = canvas.Handle();
  const int x = (rect.left + rect.right) / 2 - 1, y = (rect.top + rect.bottom) / 2 + 2;
  const POINT mark[7] = {{x - 2, y - 2}, {x, y}, {x + 4, y - 4}, {x + 4, y - 3}, {x, y + 1}, {x - 2, y - 1}, {x - 2, y - 2}};
  PolylineColor(dc, mark, 6, state.Enabled ? clBtnText : clGrayText);
  if (state.Enabled) {
    const POINT light[5] = {{x - 3, y - 2}, {x - 3, y - 1}, {x, y + 2}, {x + 5, y - 3}, {x + 5, y - 5}};
    PolylineColor(dc, light, 4, clBtnHighlight);
  }
}

void TSkinDefaultTheme::DrawDropArrow(ui::TCanvas& canvas, const RECT& rect, const TItemDrawState& state) {
  int x = (rect.left + rect.right) / 2, y = (rect.top + rect.bottom) / 2 - 1;
  if ((state.Pushed || state.Checked) && state.Part != 3) {
    ++x;
    ++y;
  }
  HDC dc = canvas.Handle();
  DrawMaybeEmbossed(!state.Enabled, ArrowColor(state), [&](int dx, int dy, TColor c) {
    if (state.Vertical)
      FilledTriangle(dc, {x, y + 2}, {x, y - 2}, {x - 2, y}, dx, dy, c);
    else
      FilledTriangle(dc, {x - 2, y}, {x + 2, y}, {x, y + 2}, dx, dy, c);
  });
}

void TSkinDefaultTheme::DrawChevronGlyph(ui::TCanvas& canvas, const RECT& rect, const TItemDrawState& state) {
  DrawButtonFace(canvas, rect, state);
  const int shift = state.Pushed ? 1 : 0;
  HDC dc = canvas.Handle();
  DrawMaybeEmbossed(!state.Enabled, clBtnText, [&](int dx, int dy, TColor c) {
    DrawChevronPattern(dc, rect, state.Vertical, shift + dx, shift + dy, c);
  });
}

void TSkinDefaultTheme::DrawGlyph(ui::TCanvas& canvas, const RECT& rect, const TItemDrawState& state,
                                  ui::TCustomImageList* images, int index) {
  if (!images || index < 0 || index >= images->Count()) return;
  const bool menuItem = IsMenuItem(state);
  const bool effects = menuItem ? FlatMenus() : UsesVisualStyles();
  RECT r = rect;
  if (state.Pushed || state.Checked) OffsetRect(&r, 1, 1);
  if (!effects) {
    images->Draw(canvas, r.left, r.top, index, state.Enabled != 0);
    return;
  }
  const bool dark = !menuItem && ColorIsDark(GetGlyphBackColor(state), 100);
  if (!state.Enabled)
    DrawImageDisabled(canvas, r, *images, index, 0);
  else if (state.Checked || state.Pushed || state.Hover != 0 || dark || Sys().ButtonFaceIsWhite ||
           Sys().LowColorDisplay)
    DrawImageBrightened(canvas, r, *images, index, dark);
  else
    DrawImageBlended(canvas, r, *images, index, clWindow, 178);
}

void TSkinDefaultTheme::DrawSelectionFill(ui::TCanvas& canvas, const RECT& rect, const TItemDrawState& state) {
  if (Hot(state)) FillRectColor(canvas.Handle(), rect, clHighlight);
}

void TSkinDefaultTheme::DrawMenuItemFace(ui::TCanvas& canvas, const RECT& rect, const TItemDrawState& state) {
  HDC dc = canvas.Handle();
  const int w = GetSystemMetrics(SM_CXMENUCHECK);
  const bool column = state.ImageWidth > 0 || state.Checked;
  const bool split = (state.Options & idoSplit) != 0;
  RECT selection = rect;
  if (column) selection.left = rect.left + GetMetric(smMenuItemGap1) + state.ImageColumnWidth;
  if (split && state.Enabled) selection.right -= w;
  DrawSelectionFill(canvas, selection, state);
  if (split) {
    RECT zone{rect.right - w, rect.top, rect.right, rect.bottom};
    if (state.Enabled && state.Hover != 0) {
      DrawSkinEdge(dc, zone, BDR_SUNKENOUTER, BF_RECT);
    } else {
      --zone.left;
      DrawSkinEdge(dc, zone, Hot(state) ? BDR_SUNKENOUTER : EDGE_ETCHED, BF_LEFT);
    }
  }
  if (state.Options & idoSubmenu) {
    // The middle of the item; the rectangle need not start at 0.
    const int y = (rect.top + rect.bottom) / 2, x = rect.right - 2 * w / 3 - 2;
    const POINT a{x, y - 3}, b{x, y + 3}, c{x + 3, y};
    if (state.Enabled) {
      FilledTriangle(dc, a, b, c, 0, 0, (state.Hover == 0 || split) ? MenuTextColor() : clHighlightText);
    } else {
      if (state.Hover != 1) FilledTriangle(dc, a, b, c, 1, 1, clBtnHighlight);
      FilledTriangle(dc, a, b, c, 0, 0, clBtnShadow);
    }
  }
  if (state.Enabled && column && (state.Hover != 0 || state.Checked)) {
    const RECT imageColumn{rect.left, rect.top, rect.left + state.ImageColumnWidth, rect.bottom};
    if (FlatMenus()) FillRectColor(dc, imageColumn, toolbarBackColor_);
    DrawButtonFace(canvas, imageColumn, state);
  }
}

void TSkinDefaultTheme::DrawSeparatorLine(ui::TCanvas& canvas, const RECT& rect, const TItemDrawState& state,
                                          bool horizontal, bool lineBreak) {
  if (!state.Enabled) return;
  HDC dc = canvas.Handle();
  if (UsesVisualStyles() && !IsPopupMenuView(state.ViewKind)) {
    DrawThemePart(tdcToolbar, dc, horizontal ? 6 : 5, 1, rect);
    return;
  }
  const int e = lineBreak ? (IsFloating(state.ViewKind) ? 1 : 4) : 0;
  RECT r = rect;
  if (horizontal) {
    r.top = (rect.top + rect.bottom) / 2 - 1;
    const int pull = ToolbarStyle(state) ? e : 12;
    r.left += pull;
    r.right -= pull;
    DrawSkinEdge(dc, r, EDGE_ETCHED, BF_TOP);
  } else {
    r.left = (rect.left + rect.right) / 2 - 1;
    r.top += e;
    r.bottom -= e;
    DrawSkinEdge(dc, r, EDGE_ETCHED, BF_LEFT);
  }
}

// --- Edit items ------------------------------------------------------------------------------

void TSkinDefaultTheme::DrawFieldFrame(ui::TCanvas& canvas, const RECT& rect, const TItemDrawState& state) {
  HDC dc = canvas.Handle();
  const bool active = state.Pushed || state.Checked || Hot(state);
  const bool transparent = IsTransparentToolbar(state.ViewKind);
  if (UsesVisualStyles()) {
    RECT r = Inset(rect, 1);
    FrameRectColor(dc, r, transparent ? clBtnShadow : toolbarBackColor_, false);
    if (active || (state.Options & idoDesigning)) DrawThemePart(tdcComboBox, dc, 0, 0, rect);
    return;
  }
  // Every classic variant leaves the field's own white frame two pixels in, where the edit
  // box's inside starts.
  if (transparent) {
    if (active) {
      RECT r = rect;
      DrawSkinEdge(dc, r, EDGE_SUNKEN, BF_RECT);
    } else {
      RECT r = Inset(rect, 1);
      DrawSkinEdge(dc, r, BDR_SUNKENOUTER, BF_RECT | BF_FLAT);
    }
  } else {
    if (active || (state.Options & idoDesigning)) {
      RECT r = rect;
      DrawSkinEdge(dc, r, BDR_SUNKENOUTER, BF_RECT);
    }
    RECT r = Inset(rect, 1);
    FrameRectColor(dc, r, toolbarBackColor_, false);
  }
  RECT inner = Inset(rect, 2);
  FrameRectColor(dc, inner, clWindow, false);
}

void TSkinDefaultTheme::DrawEditBox(ui::TCanvas& canvas, const RECT& rect, const TItemDrawState& state,
                                    const TSkinEditBoxInfo& info) {
  RECT button = Inset(rect, GetMetric(smEditBoxInset));
  button.left = button.right - info.RightButtonWidth;
  DrawEditBoxWith(canvas, rect, state, info, button);
}

void TSkinDefaultTheme::DrawEditBoxWith(ui::TCanvas& canvas, const RECT& rect, const TItemDrawState& state,
                                        const TSkinEditBoxInfo& info, const RECT& button) {
  DrawFieldFrame(canvas, rect, state);
  RECT r = Inset(rect, GetMetric(smEditBoxInset));
  const int w = info.RightButtonWidth;
  if (w > 0) r.right += 2 - w;
  if (state.Enabled) FillRectColor(canvas.Handle(), r, clWindow);
  if (w >= 1) DrawEditBoxButton(canvas, button, state, info.Button);
}

void TSkinDefaultTheme::DrawEditBoxButton(ui::TCanvas& canvas, const RECT& rect, const TItemDrawState& state,
                                          const TSkinEditButtonInfo& info) {
  HDC dc = canvas.Handle();
  const bool disabled = info.State & 1, hot = info.State & 2;
  const bool transparent = IsTransparentToolbar(state.ViewKind);
  const bool spin = info.Kind == 2;
  const bool upPressed = info.State & 4, downPressed = spin && (info.State & 8);
  const bool pressed = spin ? (upPressed || downPressed) : upPressed;

  if (UsesVisualStyles()) {
    RECT r = rect;
    if (hot) InflateRect(&r, 1, 1);
    if (!spin) {
      DrawThemePart(tdcComboBox, dc, 1, PartState(disabled, pressed, hot), r);
      return;
    }
    RECT up = r, down = r;
    up.bottom = (r.top + r.bottom - 1) / 2;
    down.top = (r.top + r.bottom) / 2;
    DrawThemePart(tdcSpin, dc, 1, PartState(disabled, upPressed, hot), up);
    DrawThemePart(tdcSpin, dc, 2, PartState(disabled, downPressed, hot), down);
    return;
  }

  RECT r = rect;
  r.left += 2;
  // A pressed button sinks, a hot one rises, an idle one sits in a white frame.
  auto frame = [&](RECT& b, bool down) {
    if (down)
      DrawSkinEdge(dc, b, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
    else if (hot)
      DrawSkinEdge(dc, b, BDR_RAISEDINNER, BF_RECT | BF_ADJUST);
    else
      FrameRectColor(dc, b, clWindow, true);
  };
  if (!disabled) {
    if (!spin && transparent) FillRectColor(dc, r, clBtnFace);
    const TColor line = (pressed || hot) ? toolbarBackColor_ : transparent ? clBtnShadow : clWindow;
    DrawLineColor(dc, r.left - 1, r.top, r.left - 1, r.bottom + ((pressed || hot) ? 1 : 0), line);
  }
  if (!spin) {
    if (!disabled) frame(r, pressed);
    DrawDropArrow(canvas, r, state);
    return;
  }
  RECT up = r, down = r;
  up.bottom = (r.top + r.bottom + 1) / 2 - ((upPressed || hot) ? 1 : 0);
  down.top = (r.top + r.bottom) / 2 + ((downPressed || hot) ? 1 : 0);
  const int x = (r.left + r.right) / 2;
  struct Half {
    RECT* rect;
    bool pressed;
    int y, tip;
  } halves[2] = {{&up, upPressed, (3 * r.top + r.bottom + 3) / 4, -2}, {&down, downPressed, (r.top + 3 * r.bottom - 4) / 4, 2}};
  for (Half& half : halves) {
    if (!disabled) frame(*half.rect, half.pressed);
    const int shift = half.pressed ? 1 : 0;
    const int ax = x + shift, ay = half.y + shift;
    DrawMaybeEmbossed(disabled || !state.Enabled, ArrowColor(state), [&](int dx, int dy, TColor c) {
      FilledTriangle(dc, {ax - 2, ay}, {ax + 2, ay}, {ax, ay + half.tip}, dx, dy, c);
    });
  }
}

// --- Buttons of captions, scrollers and check controls ---------------------------------------

void TSkinDefaultTheme::DrawCaptionButton(ui::TCanvas& canvas, const RECT& rect, const TSkinCaptionButtonInfo& info,
                                          int kind) {
  HDC dc = canvas.Handle();
  if (UsesVisualStyles()) {
    const int part = kind == 0 ? 20 : kind == 1 ? 16 : kind == 3 ? 22 : 0;
    DrawThemePart(tdcWindow, dc, part, info.Pushed ? 3 : info.Hover ? 2 : 1, rect);
    return;
  }
  static constexpr UINT kButtons[4] = {DFCS_CAPTIONCLOSE, DFCS_CAPTIONMIN, DFCS_CAPTIONMAX, DFCS_CAPTIONRESTORE};
  RECT r = rect;
  DrawFrameControl(dc, &r, DFC_CAPTION, kButtons[std::clamp(kind, 0, 3)] | (info.Pushed ? DFCS_PUSHED : 0));
}

void TSkinDefaultTheme::DrawScrollerButton(ui::TCanvas& canvas, const RECT& rect, int direction, bool active) {
  HDC dc = canvas.Handle();
  if (!UsesVisualStyles()) {
    static constexpr UINT kCodes[4] = {DFCS_SCROLLUP, DFCS_SCROLLDOWN, DFCS_SCROLLLEFT, DFCS_SCROLLRIGHT};
    RECT r = rect;
    DrawFrameControl(dc, &r, DFC_SCROLL, kCodes[std::clamp(direction, 1, 4) - 1] | (active ? DFCS_FLAT : 0));
    return;
  }
  DrawThemePart(tdcToolbar, dc, 1, active ? 3 : 2, rect);
  DrawScrollerArrow(dc, rect, direction, active ? clBtnText : canvas.Pen().Color());
}

void TSkinDefaultTheme::DrawCheckControl(ui::TCanvas& canvas, const RECT& rect, int kind, int state) {
  HDC dc = canvas.Handle();
  const bool checked = state & 1, mixed = (state & 2) && kind == 1, disabled = state & 4, hot = state & 8,
             pressed = state & 0x10;
  if (UsesVisualStyles()) {
    const int base = mixed ? 9 : checked ? 5 : 1;
    const int number = base + (disabled ? 3 : pressed ? 2 : hot ? 1 : 0);
    DrawThemePart(tdcButton, dc, kind == 1 ? 3 : 2, number, rect);
    return;
  }
  const TColor frame = (!disabled && (hot || pressed)) ? clNone : clBtnShadow;
  if (frame == clNone) {
    UINT flags = kind == 1 ? DFCS_BUTTONCHECK : DFCS_BUTTONRADIO;
    if (kind == 1 && mixed) flags |= DFCS_BUTTON3STATE | DFCS_CHECKED;
    if (checked) flags |= DFCS_CHECKED;
    if (pressed) flags |= DFCS_PUSHED;
    RECT r = rect;
    DrawFrameControl(dc, &r, DFC_BUTTON, flags);
    return;
  }
  if (kind == 1) {
    RECT r = Inset(rect, 1);
    FrameRectColor(dc, r, frame, true);
    if (disabled || pressed)
      FillRectColor(dc, r, clBtnFace);
    else if (mixed)
      FillRectDither(dc, r, clWindow, clBtnFace);
    else
      FillRectColor(dc, r, clWindow);
    if (checked || mixed) {
      const int x = (rect.left + rect.right) / 2 - 1, y = (rect.top + rect.bottom) / 2;
      const POINT mark[7] = {{x - 2, y + 1}, {x, y + 3}, {x + 4, y - 1}, {x + 4, y - 3}, {x, y + 1}, {x - 2, y - 1}, {x - 2, y + 1}};
      const TColor c = disabled ? clGrayText : mixed ? clBtnShadow : clBtnText;
      PolygonColor(dc, mark, 6, c, c);
    }
    return;
  }
  RECT r = Inset(rect, 1);
  ++r.left;
  --r.bottom;
  ShapeColor(dc, r, frame, (disabled || pressed) ? clBtnFace : clWindow, false, r.right - r.left - 2,
             r.bottom - r.top - 2);
  if (checked) ShapeColor(dc, Inset(r, 3), clBtnText, clBtnText, true);
}

// --- Frames ----------------------------------------------------------------------------------

void TSkinDefaultTheme::DrawPopupBorder(ui::TCanvas& canvas, const RECT& rect, const TSkinPopupBorderInfo& info) {
  HDC dc = canvas.Handle();
  RECT r = rect;
  auto frames = [&](TColor a, TColor b, TColor c) {
    for (TColor color : {a, b, c}) FrameRectColor(dc, r, color, true);
  };
  if (IsListPopupView(info.ViewKind)) {
    frames(clWindowFrame, clWindow, clWindow);
  } else if (FlatMenus() && !IsToolboxPopupView(info.ViewKind)) {
    frames(clBtnShadow, MenuColor(), MenuColor());
  } else {
    DrawSkinEdge(dc, r, EDGE_RAISED, BF_RECT | BF_ADJUST);
    FrameRectColor(dc, r, IsToolboxPopupView(info.ViewKind) ? toolbarBackColor_ : MenuColor(), true);
  }
}

void TSkinDefaultTheme::DrawToolbarNonClient(ui::TCanvas& canvas, const RECT& rect, const TSkinToolbarNCInfo& info) {
  HDC dc = canvas.Handle();
  const bool styled = UsesVisualStyles();
  canvas.FillRect(rect);
  if (info.BorderStyle) {
    RECT r = rect;
    if (styled)
      DrawBevelFrame(dc, r, ColorAddLight(info.EffectiveColor, 24), ColorAddLight(info.EffectiveColor, -32), true);
    else
      DrawSkinEdge(dc, r, BDR_RAISEDINNER, BF_RECT | BF_ADJUST);
  }
  const int d = ToolbarDragHandleSize(info);
  if (d <= 0) return;
  const bool close = info.CloseButtonState & 1;
  // The handle strip inside the border: along the top of a vertical toolbar, down the left of
  // a horizontal one.
  RECT strip = rect;
  strip.left += info.BorderSize.cx;
  strip.top += info.BorderSize.cy;
  strip.right -= info.BorderSize.cx;
  strip.bottom -= info.BorderSize.cy;
  if (info.Vertical)
    strip.bottom = strip.top + d;
  else
    strip.right = strip.left + d;
  if (info.DragHandleStyle != 1) {
    RECT grip = strip;
    if (close) {
      if (info.Vertical)
        grip.right = grip.right - d + 1;
      else
        grip.top = grip.top + d - 1;
    }
    if (styled) {
      if (info.Vertical) {
        grip.top += (d - 6) / 2;
        grip.bottom = grip.top + 6;
      } else {
        grip.left += (d - 6) / 2;
        grip.right = grip.left + 6;
      }
      DrawThemePart(tdcRebar, dc, info.Vertical ? 2 : 1, 0, grip);
    } else {
      const int offset = !close ? 2 : info.DragHandleStyle == 0 ? 3 : 5;
      const int bars = info.DragHandleStyle == 0 ? 2 : 1;
      for (int i = 0; i < bars; ++i) {
        RECT bar = grip;
        if (info.Vertical) {
          bar.top = grip.top + offset + 3 * i;
          bar.bottom = bar.top + 3;
          ++bar.left;
          --bar.right;
        } else {
          bar.left = grip.left + offset + 3 * i;
          bar.right = bar.left + 3;
          ++bar.top;
          --bar.bottom;
        }
        RECT edge = bar;
        DrawSkinEdge(dc, edge, BDR_RAISEDINNER, BF_RECT);
        FillRectColor(dc, {bar.left, bar.bottom - 1, bar.left + 1, bar.bottom}, clBtnHighlight);
      }
    }
  }
  if (!close) return;
  RECT button = Inset(ToolbarCloseButtonRect(info, rect), styled ? 1 : 2);
  const bool pressed = info.CloseButtonState & 4, hot = info.CloseButtonState & 2;
  if (styled) {
    DrawThemePart(tdcToolbar, dc, 1, pressed ? 3 : hot ? 2 : 1, button);
  } else if (pressed) {
    RECT e = button;
    DrawSkinEdge(dc, e, BDR_SUNKENOUTER, BF_RECT);
  } else if (hot) {
    RECT e = button;
    DrawSkinEdge(dc, e, BDR_RAISEDINNER, BF_RECT);
  }
  if (pressed) OffsetRect(&button, 1, 1);
  DrawPatternGlyph(dc, button, 7, 7, kSmallCross, clBtnText);
}

void TSkinDefaultTheme::DrawFloatingFrame(ui::TCanvas& canvas, const RECT& rect, const TSkinFloatingFrameInfo& info) {
  HDC dc = canvas.Handle();
  const int bx = info.BorderSize.cx, by = info.BorderSize.cy;
  const int smallCaption = GetSystemMetrics(SM_CYSMCAPTION);
  const bool drawBorder = info.RedrawParts & 1, drawCaption = (info.RedrawParts & 2) && info.CaptionShown;
  const bool closeShown = (info.CloseButtonState & 1) && (info.RedrawParts & 4);
  const RECT inner{rect.left + bx, rect.top + by, rect.right - bx, rect.bottom - by};
  // The caption lies inside the border, above the client area.
  RECT caption{inner.left, inner.top, inner.right, inner.bottom - info.ClientHeight};
  RECT closeButton{caption.right - (caption.bottom - caption.top), caption.top, caption.right, caption.bottom};
  const bool pressed = info.CloseButtonState & 4, hot = info.CloseButtonState & 2;

  if (UsesVisualStyles()) {
    const int state = info.Active ? 1 : 2;
    if (drawBorder) {
      const int band = rect.top + by + (info.CaptionShown ? smallCaption : 0);
      DrawThemePart(tdcWindow, dc, 12, state, {rect.left, rect.bottom - by, rect.right, rect.bottom});
      DrawThemePart(tdcWindow, dc, 2, state, {rect.left, rect.top, rect.right, band});
      DrawThemePart(tdcWindow, dc, 10, state, {rect.left, band, rect.left + bx, rect.bottom - by});
      DrawThemePart(tdcWindow, dc, 11, state, {rect.right - bx, band, rect.right, rect.bottom - by});
    }
    if (drawCaption) {
      RECT text = caption;
      if (closeShown) text.right -= smallCaption;
      DrawSkinText(dc, SmallCaptionFont(), info.Caption, text,
                 DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_HIDEPREFIX,
                 SystemColor(info.Active ? COLOR_CAPTIONTEXT : COLOR_INACTIVECAPTIONTEXT), false);
    }
    if (closeShown) DrawThemePart(tdcWindow, dc, 19, pressed ? 3 : hot ? 2 : 1, Inset(closeButton, 2));
    return;
  }

  if (drawBorder) {
    const int saved = SaveDC(dc);
    ExcludeClipRect(dc, inner.left, inner.top, inner.right, inner.bottom);
    RECT r = rect;
    DrawSkinEdge(dc, r, EDGE_RAISED, BF_RECT | BF_MIDDLE);
    RestoreDC(dc, saved);
  }
  if (!drawCaption || caption.bottom <= caption.top) return;
  RECT bar = caption;
  --bar.bottom;
  BOOL gradient = FALSE;
  SystemParametersInfoW(SPI_GETGRADIENTCAPTIONS, 0, &gradient, 0);
  {
    const int saved = SaveDC(dc);
    if (closeShown) ExcludeClipRect(dc, closeButton.left, closeButton.top, closeButton.right, closeButton.bottom);
    UINT flags = DC_SMALLCAP | DC_TEXT;
    if (info.Active) flags |= DC_ACTIVE;
    if (gradient) flags |= DC_GRADIENT;
    DrawCaption(info.FloatingWindow, dc, &bar, flags);
    RestoreDC(dc, saved);
  }
  FillRectColor(dc, {caption.left, caption.bottom - 1, caption.right, caption.bottom}, clBtnFace);
  if (closeShown) {
    const int index = info.Active ? (gradient ? COLOR_GRADIENTACTIVECAPTION : COLOR_ACTIVECAPTION)
                                  : (gradient ? COLOR_GRADIENTINACTIVECAPTION : COLOR_INACTIVECAPTION);
    FillRectColor(dc, {closeButton.left, bar.top, closeButton.right, bar.bottom}, SystemColor(index));
    RECT button = Inset(RECT{closeButton.left, bar.top, closeButton.right, bar.bottom}, 2);
    DrawFrameControl(dc, &button, DFC_CAPTION, DFCS_CAPTIONCLOSE | (pressed ? DFCS_PUSHED : 0));
  }
}

void TSkinDefaultTheme::DrawPanelNonClient(ui::TCanvas& canvas, const RECT& rect, const TSkinPanelNCInfo& info) {
  HDC dc = canvas.Handle();
  const int c = GetSystemMetrics(SM_CYSMCAPTION);
  const bool styled = UsesVisualStyles();
  const bool rotated = info.VerticalCaption;
  RECT r = rect;
  FrameRectColor(dc, r, toolbarBackColor_, true);
  RECT client = r;
  if (info.CaptionShown) (rotated ? client.left : client.top) += c;
  FrameRectColor(dc, client, clWindow, false);
  if (!info.CaptionShown) return;

  RECT strip = r;
  if (rotated)
    strip.right = strip.left + c;
  else
    strip.bottom = strip.top + c;
  const RECT outer = strip;
  DrawSkinEdge(dc, strip, BDR_RAISEDINNER, BF_RECT | BF_ADJUST);
  auto fill = [&](const RECT& area) {
    if (styled)
      GradientFillRect(dc, area, ColorAddLight(toolbarBackColor_, 12), ColorAddLight(toolbarBackColor_, -12),
                       rotated ? gdHorizontal : gdVertical);
    else
      FillRectColor(dc, area, toolbarBackColor_);
  };
  RECT text = strip;
  if (info.CloseButtonState & 1) {
    // A square at the far end of the strip: the right of a top caption, the bottom of a side one.
    RECT square = rotated ? RECT{outer.left, outer.bottom - c, outer.left + c, outer.bottom}
                          : RECT{outer.right - c, outer.top, outer.right, outer.top + c};
    RECT rest = strip;
    (rotated ? rest.bottom : rest.right) = rotated ? square.top : square.left;
    fill(rest);
    // The square's fill stays inside the strip's edge.
    RECT inside;
    if (IntersectRect(&inside, &square, &strip)) fill(inside);
    RECT button = Inset(square, 1);
    OffsetRect(&button, rotated ? 0 : -1, rotated ? -1 : 0);
    const bool pressed = info.CloseButtonState & 4, hot = info.CloseButtonState & 2;
    if (styled) {
      DrawThemePart(tdcToolbar, dc, 1, pressed ? 3 : hot ? 2 : 1, button);
    } else if (pressed || hot) {
      RECT e = button;
      DrawSkinEdge(dc, e, pressed ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
    }
    DrawCloseCross(dc, Inset(button, 2), clBtnText);
    text = rest;
  } else {
    fill(strip);
  }
  if (rotated) {
    text.top += 2;
    text.bottom -= 2;
  } else {
    text.left += 2;
    text.right -= 2;
  }
  DrawSkinText(dc, SmallCaptionFont(), info.Caption, text, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX,
             clBtnText, rotated);
}

void TSkinDefaultTheme::DrawStatusBarPart(ui::TCanvas& canvas, const RECT& rect, int part) {
  HDC dc = canvas.Handle();
  if (UsesVisualStyles()) {
    DrawThemePart(tdcStatus, dc, std::clamp(part, 0, 3), 0, rect);
    return;
  }
  if (part == 0) {
    FillRectColor(dc, rect, statusBarBackColor_);
    return;
  }
  if (part == 1 || part == 2) {
    RECT r = rect;
    if (part == 1) r.right -= 2;
    DrawBevelFrame(dc, r, clBtnShadow, clBtnHighlight, true);
    return;
  }
  if (part == 3) DrawSizeGrip(dc, rect, statusBarBackColor_, true);
}

void DrawSizeGrip(HDC dc, const RECT& rect, TColor back, bool closeEdge) {
  // Diagonal lines from the bottom-right corner, each one pixel further out.
  const int s = std::min(rect.right - rect.left, rect.bottom - rect.top);
  int n = 0;
  auto line = [&](TColor color) {
    DrawLineColor(dc, rect.right - n - 2, rect.bottom - 2, rect.right - 1, rect.bottom - n - 3, color);
    ++n;
  };
  for (int round = 0; round < 3; ++round) {
    if (s > 8) {
      if (s >= 15) line(back);
      line(s < 12 ? back : clBtnShadow);
    }
    line(clBtnShadow);
    line(clBtnHighlight);
  }
  if (!closeEdge) return;
  const POINT edge[3] = {{rect.right - n - 1, rect.bottom - 1}, {rect.right - 1, rect.bottom - 1}, {rect.right - 1, rect.bottom - n - 2}};
  PolylineColor(dc, edge, 2, back);
}

// --- Start-up --------------------------------------------------------------------------------

void RegisterDefaultTheme() {
  if (!ThemeClassExists("Default")) AddThemeClass("Default", &MakeSkinTheme<TSkinDefaultTheme>);
}

void SkinStart() {
  if (defaultStarts++ > 0) return;
  SkinThemesStart();
  RegisterDefaultTheme();
  SkinNexusStart();
}

void SkinEnd() {
  if (defaultStarts <= 0 || --defaultStarts > 0) return;
  SkinNexusEnd();
  SkinThemesEnd();
}

}  // namespace movra::skin
