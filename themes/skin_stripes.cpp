#include "themes/skin_stripes.h"

#include <algorithm>

#include "runtime/text.h"
#include "themes/skin_officexp.h"
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
constexpr TColor clMenuText = ui::SystemColor(COLOR_MENUTEXT);

const TSkinSystemState& Sys() { return SkinSystem(); }
bool LowColor() { return Sys().LowColorDisplay; }
bool ToolbarStyle(const TItemDrawState& s) { return (s.Options & idoToolbarStyle) != 0; }
bool Hot(const TItemDrawState& s) { return s.Enabled ? s.Hover == 2 : s.Hover == 1; }
bool IsMenuBar(int kind) { return (kind & vkMenuBar) == vkMenuBar; }
bool IsPanelFamily(int kind) { return (kind & 0x4000) != 0 && !IsPopupView(kind); }
bool IsToolbarFamily(int kind) { return (kind & vkToolbarFamily) != 0; }
bool IsTransparent(int kind) { return IsToolbarFamily(kind) && (kind & vkTransparentItems) != 0; }

RECT Inset(RECT r, int d) {
  InflateRect(&r, -d, -d);
  return r;
}

void Triangle(HDC dc, POINT a, POINT b, POINT c, TColor color) {
  const POINT points[3] = {a, b, c};
  PolygonColor(dc, points, 2, color, color);
}

// The frame colour of a popup or floating window: the shadow halfway to black.
TColor DarkFrameColor() { return NearestColor(ColorMix(clBtnShadow, ui::clBlack, 127)); }

// Text on a clear background with the small-caption font, centred on one line.
void DrawCaptionText(HDC dc, const std::string& text, RECT rect, TColor color, bool rotated, UINT extra) {
  DrawSkinText(dc, SmallCaptionFont(), text, rect, DT_CENTER | DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | extra,
               color, rotated);
}

int CaptionTextWidth(HDC dc, const std::string& text) {
  HGDIOBJ oldFont = SelectObject(dc, SmallCaptionFont());
  const std::wstring w = Utf8ToWide(text);
  SIZE size{};
  GetTextExtentPoint32W(dc, w.c_str(), static_cast<int>(w.size()), &size);
  SelectObject(dc, oldFont);
  return size.cx;
}

// The three faces of the theme's buttons: pressed, hot, and (for checked items) down.
void PressedFace(HDC dc, const RECT& r) {
  FillRectDither(dc, r, LowColor() ? clBtnHighlight : ColorMix(clBtnHighlight, clBtnFace, 126), clBtnHighlight);
}
void HotFace(HDC dc, const RECT& r, bool nearest) {
  const TColor light = ColorMix(clBtnHighlight, clBtnFace, 192);
  FillRectDither(dc, r, clBtnFace, LowColor() ? clBtnFace : nearest ? NearestColor(light) : light);
}

TSkinThemeUnitState stripesUnit;

}  // namespace

// --- Shared unit state ----------------------------------------------------------------------

void TSkinThemeUnitState::Acquire() {
  if (instances_++ > 0) return;
  pattern_ = new ui::TBitmap(8, 8);
  glyphs_ = new ui::TCustomImageList(nullptr, 16, 16);
  glyphs_->ResourceLoad(GetModuleHandleW(nullptr), kSkinGlyphsResource, ui::clWhite);
}

void TSkinThemeUnitState::Release() {
  if (instances_ <= 0 || --instances_ > 0) return;
  delete pattern_;
  pattern_ = nullptr;
  delete glyphs_;
  glyphs_ = nullptr;
}

void TSkinThemeUnitState::DrawCaptionGlyph(HDC dc, const RECT& rect, int kind, TColor color) const {
  // The resource holds close, maximise, minimise, restore.
  static constexpr int kGlyphOfKind[4] = {0, 2, 1, 3};
  if (!glyphs_ || kind < 0 || kind > 3 || glyphs_->Count() <= kGlyphOfKind[kind]) return;
  DrawImageMaskCentred(dc, rect, *glyphs_, kGlyphOfKind[kind], color);
}

void DrawChamferFrame(HDC dc, const RECT& rect, int a, TColor color, int b) {
  const int l = rect.left, t = rect.top, r = rect.right - 1, bt = rect.bottom - 1;
  const POINT points[9] = {{l + a, t},      {r - b, t},  {r, t + b},  {r, bt - b}, {r - b, bt},
                           {l + a, bt},     {l, bt - a}, {l, t + a},  {l + a, t}};
  PolylineColor(dc, points, 8, color);
}

void DrawFlatCheckControl(HDC dc, const RECT& rect, int kind, bool marked, TColor pen, HBRUSH brush, TColor mark) {
  const RECT r = Inset(rect, 1);
  HPEN outline = MakePen(pen);
  HGDIOBJ oldPen = SelectObject(dc, outline);
  HGDIOBJ oldBrush = SelectObject(dc, brush ? static_cast<HGDIOBJ>(brush) : GetStockObject(NULL_BRUSH));
  if (kind == 1)
    ::Rectangle(dc, r.left, r.top, r.right, r.bottom);
  else
    ::Ellipse(dc, r.left, r.top, r.right, r.bottom);
  SelectObject(dc, oldPen);
  SelectObject(dc, oldBrush);
  DeleteObject(outline);
  if (!marked) return;
  const int x = (rect.left + rect.right) / 2, y = (rect.top + rect.bottom) / 2;
  if (kind == 1) {
    const POINT points[7] = {{x - 3, y + 1}, {x - 1, y + 3}, {x + 3, y - 1}, {x + 3, y - 3},
                             {x - 1, y + 1}, {x - 3, y - 1}, {x - 3, y + 1}};
    PolygonColor(dc, points, 6, mark, mark);
    return;
  }
  const RECT dot = Inset(r, 3);
  HPEN p = MakePen(mark);
  HBRUSH b = MakeBrush(mark);
  HGDIOBJ op = SelectObject(dc, p), ob = SelectObject(dc, b);
  ::Ellipse(dc, dot.left, dot.top, dot.right, dot.bottom);
  SelectObject(dc, op);
  SelectObject(dc, ob);
  DeleteObject(p);
  DeleteObject(b);
}

void DrawLinedStatusPart(HDC dc, const RECT& rect, int part, TColor separator, TColor dark, TColor light, int gap) {
  if (part == 1 || part == 2) {
    const int x = rect.right - (part == 1 ? 3 : 1);
    DrawLineColor(dc, x, rect.top + 4, x, rect.bottom - 3, separator);
    return;
  }
  if (part != 3) return;
  int n = 0;
  for (int round = 0; round < 3; ++round) {
    n += gap;
    for (TColor color : {dark, light}) {
      DrawLineColor(dc, rect.right - n - 2, rect.bottom - 2, rect.right - 1, rect.bottom - n - 3, color);
      ++n;
    }
  }
}

// --- Life ------------------------------------------------------------------------------------

TSkinStripesTheme::TSkinStripesTheme(const std::string& name) : TSkinDefaultTheme(name) {
  stripesUnit.Acquire();
  // The base constructor reached only the Default colours.
  RebuildColors();
}

TSkinStripesTheme::~TSkinStripesTheme() { stripesUnit.Release(); }

TSkinThemeUnitState& TSkinStripesTheme::UnitState() { return stripesUnit; }

void TSkinStripesTheme::RebuildColors() {
  panelColor_ = NearestColorMix(clBtnFace, clWindow, 64);
  softShadowColor_ = LowColor() ? clBtnShadow : ColorMix(clBtnShadow, clBtnFace, 210);
  toolbarBackColor_ = clBtnFace;
}

// --- Colours, sizes and flags ----------------------------------------------------------------

TColor TSkinStripesTheme::GetItemCaptionColor(const TItemDrawState& state) {
  if (!state.Enabled) return (!ToolbarStyle(state) && state.Hover == 1) ? clBtnShadow : softShadowColor_;
  const bool menuBar = IsMenuBar(state.ViewKind);
  if (!ToolbarStyle(state) || menuBar) {
    if (state.Hover != 0) return clHighlightText;
    if (menuBar && !(state.Options & idoAppActive)) return clGrayText;
    return clMenuText;
  }
  return clBtnText;
}

int TSkinStripesTheme::GetShadowKind() { return 3; }

void TSkinStripesTheme::GetViewBorderSize(int viewKind, SIZE& size) {
  if ((IsToolbarFamily(viewKind) || IsPanelFamily(viewKind)) && (viewKind & vkFloating)) {
    TSkinDefaultTheme::GetViewBorderSize(viewKind, size);
  } else if (IsToolbarFamily(viewKind) || IsPanelFamily(viewKind) || IsListPopupView(viewKind)) {
    size = {2, 2};
  } else if (IsPopupView(viewKind)) {
    size = {3, 3};
  } else {
    size = {0, 0};
  }
}

TColor TSkinStripesTheme::GetViewBackColor(int viewKind) {
  if (IsToolbarFamily(viewKind)) return clBtnFace;
  if (IsPopupView(viewKind)) return TSkinDefaultTheme::GetViewBackColor(viewKind);
  if (IsPanelFamily(viewKind)) return panelColor_;
  return toolbarBackColor_;
}

int TSkinStripesTheme::GetMetric(int id) {
  switch (id) {
    case smSplitDropDownWidth: return 12;
    case 36:
    case 62: return 1;
    case 37:
    case smEditBoxInset:
    case 61: return 2;
    case 65: return 14;
    default: return TSkinDefaultTheme::GetMetric(id);
  }
}

bool TSkinStripesTheme::GetFlag(int id) { return id >= 4 && id <= 7 ? false : TSkinDefaultTheme::GetFlag(id); }

// --- Backgrounds -----------------------------------------------------------------------------

void TSkinStripesTheme::DrawViewBackground(ui::TCanvas& canvas, const RECT& reference, const RECT& paint,
                                           const RECT& clip, TColor backColor, bool paintedUnderneath,
                                           int viewKind) {
  if (LowColor()) {
    TSkinDefaultTheme::DrawViewBackground(canvas, reference, paint, clip, backColor, paintedUnderneath, viewKind);
    return;
  }
  HDC dc = canvas.Handle();
  RECT area;
  if (!IntersectRect(&area, &paint, &clip) || !RectVisible(dc, &area)) return;
  if (paintedUnderneath) return;
  if (IsMenuBar(viewKind) || (viewKind & 0x4000) || IsTransparent(viewKind)) {
    FillRectColor(dc, area, backColor);
    return;
  }
  const int luminance = ColorLuminance(backColor);
  const TColor light = NearestColor(ColorAddLight(backColor, luminance < 200 ? (200 - luminance) / 20 + 16 : 16));
  const TColor dark = NearestColor(ColorAddLight(backColor, -16));
  FillRectColor(dc, area, backColor);
  // Counted from the view's top, so that a partial repaint meets the stripes already there.
  int offset = (area.top - reference.top) % 5;
  if (offset < 0) offset += 5;
  for (int y = area.top - offset; y < reference.bottom && y < area.bottom; y += 5) {
    if (y >= area.top) FillRectColor(dc, {area.left, y, area.right, y + 1}, dark);
    if (y + 1 >= area.top && y + 1 < area.bottom) FillRectColor(dc, {area.left, y + 1, area.right, y + 2}, light);
  }
}

void TSkinStripesTheme::DrawDockBackground(ui::TCanvas&, const RECT&, const RECT&, int) {}

void TSkinStripesTheme::DrawDotPattern(HDC dc, const RECT& rect, TColor color, int inset) {
  if (color != clNone) FillRectColor(dc, rect, color);
  RECT area = Inset(rect, inset);
  const int w = area.right - area.left, h = area.bottom - area.top;
  // A narrow area keeps one column or row of dots: no whole cell, the two pixels of the dots.
  if (w < 2 || h < 2) return;
  const int cellsX = (w - 2) / 4, cellsY = (h - 2) / 4;
  area.left += (w - (4 * cellsX + 2)) / 2;
  area.top += (h - (4 * cellsY + 2)) / 2;
  area.right = area.left + 4 * cellsX + 2;
  area.bottom = area.top + 4 * cellsY + 2;
  if (color == clNone) {
    const COLORREF light = ResolveColor(clBtnHighlight), dark = ResolveColor(clBtnShadow);
    for (int y = area.top; y + 2 < area.bottom; y += 4)
      for (int x = area.left; x + 2 < area.right; x += 4) {
        SetPixelV(dc, x + 1, y + 1, light);
        SetPixelV(dc, x + 2, y + 2, dark);
      }
    return;
  }
  const uint32_t base = SwapRedBlue(ResolveColor(color));
  const uint32_t light = SwapRedBlue(ResolveColor(NearestColor(ColorMix(color, clBtnHighlight, 32))));
  const uint32_t dark = SwapRedBlue(ResolveColor(NearestColor(ColorMix(color, clBtnShadow, 64))));
  HBRUSH brush = stripesUnit.PatternBrush([&](uint32_t* bits) {
    std::fill(bits, bits + 64, base);
    for (int y : {0, 4})
      for (int x : {0, 4}) {
        bits[y * 8 + x] = light;
        bits[(y + 1) * 8 + x + 1] = dark;
      }
  });
  if (!brush) return;
  POINT old;
  SetBrushOrgEx(dc, area.left, area.top, &old);
  ::FillRect(dc, &area, brush);
  SetBrushOrgEx(dc, old.x, old.y, nullptr);
  DeleteObject(brush);
}

// --- Items -----------------------------------------------------------------------------------

void TSkinStripesTheme::DrawButtonFace(ui::TCanvas& canvas, const RECT& rect, const TItemDrawState& state) {
  HDC dc = canvas.Handle();
  const bool hot = Hot(state);
  const bool down = (state.Pushed || state.Checked) && state.Enabled;
  RECT r = rect;
  if (IsMenuBar(state.ViewKind)) {
    if (down || hot) FillRectColor(dc, r, clHighlight);
    return;
  }
  int a = 2, b = 2;
  if (state.Part == 3) {
    a = 1;
    --r.left;
  }
  if (state.Part == 2) b = 1;
  if (!ToolbarStyle(state)) a = b = 1;
  const bool low = LowColor();
  if (IsTransparent(state.ViewKind) && !hot) {
    if (state.Enabled) {
      FillRectColor(dc, Inset(r, 1), NearestColorMix(clWindow, clBtnFace, 16));
      DrawChamferFrame(dc, r, a, NearestColorMix(clWindow, clBtnShadow, 64), b);
    } else {
      DrawChamferFrame(dc, r, a, clBtnFace, b);
    }
  }
  if (down) {
    const RECT inner = Inset(r, 1);
    TColor face = clWindow;
    if (state.Pushed || state.Hover != 0) face = low ? clBtnHighlight : ColorMix(clBtnHighlight, clBtnFace, 128);
    FillRectDither(dc, inner, face, clBtnHighlight);
    const POINT edge[3] = {{inner.left, inner.bottom - 1}, {inner.left, inner.top}, {inner.right, inner.top}};
    PolylineColor(dc, edge, 2, clBtnFace);
    DrawChamferFrame(dc, r, a, clBtnShadow, b);
  } else if (hot || (state.Options & idoDesigning)) {
    if (state.Hover != 0) HotFace(dc, Inset(r, 1), false);
    DrawChamferFrame(dc, r, a, low ? clBtnShadow : ColorMix(clBtnShadow, clBtnFace, 192), b);
  }
  if (state.Part == 3) DrawDropArrow(canvas, rect, state);
}

void TSkinStripesTheme::DrawItemCaption(ui::TCanvas& canvas, const RECT& rect, const TItemDrawState& state,
                                        const std::string& caption, UINT format, bool rotated) {
  TColor color = canvas.Font().Color();
  if (color == clNone) color = GetItemCaptionColor(state);
  RECT r = rect;
  if (state.Enabled && ToolbarStyle(state) && (state.Pushed || state.Checked) && !IsMenuBar(state.ViewKind))
    OffsetRect(&r, 1, 1);
  DrawSkinText(canvas.Handle(), canvas.Font().Handle(), caption, r, format, color, rotated);
}

void TSkinStripesTheme::DrawDropArrow(ui::TCanvas& canvas, const RECT& rect, const TItemDrawState& state) {
  const bool down = state.Pushed || state.Checked;
  const int x = (rect.left + rect.right) / 2 + (down ? 1 : 0);
  const int y = (rect.top + rect.bottom) / 2 + (down ? 1 : -1);
  TColor color = softShadowColor_;
  if (state.Enabled) color = ToolbarStyle(state) ? clBtnText : clMenuText;
  if (state.Vertical)
    Triangle(canvas.Handle(), {x, y + 2}, {x, y - 2}, {x - 2, y}, color);
  else
    Triangle(canvas.Handle(), {x - 2, y}, {x + 2, y}, {x, y + 2}, color);
}

void TSkinStripesTheme::DrawGlyph(ui::TCanvas& canvas, const RECT& rect, const TItemDrawState& state,
                                  ui::TCustomImageList* images, int index) {
  if (!images || index < 0 || index >= images->Count()) return;
  const int luminance = ColorLuminance(GetGlyphBackColor(state));
  const bool bright = luminance < 80;
  auto at = [&](int dx, int dy) {
    RECT r = rect;
    OffsetRect(&r, dx, dy);
    return r;
  };
  if (!state.Enabled) {
    if (bright)
      DrawImageSilhouette(canvas, rect, *images, index, clBtnShadow);
    else
      DrawImageDisabled(canvas, rect, *images, index, 0);
  } else if (state.Pushed || state.Checked) {
    DrawImageBrightened(canvas, at(1, 1), *images, index, bright);
  } else if (state.Hover != 0) {
    DrawImageDisabled(canvas, at(1, 1), *images, index, 1);
    DrawImageDisabled(canvas, at(2, 2), *images, index, 1);
    DrawImageBrightened(canvas, rect, *images, index, bright);
  } else if (luminance > 79 && !Sys().ButtonFaceIsWhite) {
    DrawImageFaded(canvas, rect, *images, index, 200);
  } else {
    DrawImageBrightened(canvas, rect, *images, index, bright);
  }
}

void TSkinStripesTheme::DrawSelectionFill(ui::TCanvas& canvas, const RECT& rect, const TItemDrawState& state) {
  if (Hot(state)) DrawViewBackground(canvas, rect, rect, rect, clHighlight, false, 0);
}

void TSkinStripesTheme::DrawMenuItemFace(ui::TCanvas& canvas, const RECT& rect, const TItemDrawState& state) {
  HDC dc = canvas.Handle();
  const int w = GetSystemMetrics(SM_CXMENUCHECK);
  const bool column = state.ImageWidth > 0 || state.Checked;
  const bool split = (state.Options & idoSplit) != 0;
  RECT selection = rect;
  if (column) selection.left = rect.left + GetMetric(smMenuItemGap1) + state.ImageColumnWidth;
  if (split) selection.right = rect.right - w - 1;
  DrawSelectionFill(canvas, selection, state);
  if (split) {
    const RECT zone{rect.right - w, rect.top, rect.right, rect.bottom};
    if (state.Enabled && state.Hover != 0)
      DrawViewBackground(canvas, zone, zone, zone, clHighlight, false, 0);
    else
      DrawLineColor(dc, zone.left - 1, rect.top, zone.left - 1, rect.bottom, softShadowColor_);
  }
  if (state.Options & idoSubmenu) {
    const int x = rect.right - 2 * w / 3, y = (rect.top + rect.bottom) / 2;
    TColor color = softShadowColor_;
    if (state.Enabled)
      color = state.Hover != 0 ? clHighlightText : clMenuText;
    else if (state.Hover == 1)
      color = clBtnShadow;
    Triangle(dc, {x, y - 3}, {x, y + 3}, {x + 3, y}, color);
  }
  if (column && (state.Hover != 0 || state.Checked))
    DrawButtonFace(canvas, {rect.left, rect.top, rect.left + state.ImageColumnWidth, rect.bottom}, state);
}

void TSkinStripesTheme::DrawSeparatorLine(ui::TCanvas& canvas, const RECT& rect, const TItemDrawState& state,
                                          bool horizontal, bool) {
  if (!state.Enabled) return;
  HDC dc = canvas.Handle();
  if (horizontal) {
    const int y = (rect.top + rect.bottom) / 2;
    DrawLineColor(dc, rect.left + 1, y, rect.right - 1, y, softShadowColor_);
  } else {
    const int x = (rect.left + rect.right) / 2;
    DrawLineColor(dc, x, rect.top + 1, x, rect.bottom - 1, softShadowColor_);
  }
}

// --- Edit items ------------------------------------------------------------------------------

void TSkinStripesTheme::DrawFieldFrame(ui::TCanvas& canvas, const RECT& rect, const TItemDrawState& state) {
  HDC dc = canvas.Handle();
  const bool live = state.Enabled || state.Hover == 1;
  const bool active = state.Pushed || state.Checked || state.Hover != 0 || (state.Options & idoDesigning);
  RECT inner = Inset(rect, 1);
  if (live && active) {
    FrameRectColor(dc, inner, clWindow, false);
    DrawChamferFrame(dc, rect, 1, softShadowColor_, 1);
  } else {
    FrameRectColor(dc, inner, softShadowColor_, false);
  }
}

void TSkinStripesTheme::DrawEditBox(ui::TCanvas& canvas, const RECT& rect, const TItemDrawState& state,
                                    const TSkinEditBoxInfo& info) {
  // The button takes the whole height of the field, its frame included.
  RECT button = rect;
  button.left = rect.right - info.RightButtonWidth - GetMetric(smEditBoxInset);
  DrawEditBoxWith(canvas, rect, state, info, button);
}

void TSkinStripesTheme::DrawEditBoxButton(ui::TCanvas& canvas, const RECT& rect, const TItemDrawState& state,
                                          const TSkinEditButtonInfo& info) {
  HDC dc = canvas.Handle();
  const bool disabled = info.State & 1, hot = info.State & 2;
  const bool transparent = IsTransparent(state.ViewKind);
  const bool spin = info.Kind == 2;
  const bool upPressed = info.State & 4, downPressed = spin && (info.State & 8);
  RECT r = rect;
  ++r.left;
  r = Inset(r, (upPressed || downPressed || hot) ? 1 : 2);
  // A half's face and the line that parts it from the field.
  auto face = [&](const RECT& part, bool pressed) {
    if (disabled) return;
    if (pressed)
      PressedFace(dc, part);
    else if (hot)
      HotFace(dc, part, true);
    else if (transparent)
      FillRectColor(dc, part, clBtnFace);
    DrawLineColor(dc, part.left - 1, part.top, part.left - 1, part.bottom, softShadowColor_);
  };
  if (!spin) {
    face(r, upPressed);
    TItemDrawState s = state;
    s.Pushed = upPressed;
    if (disabled) s.Enabled = 0;
    DrawDropArrow(canvas, r, s);
    return;
  }
  const int middle = (r.top + r.bottom) / 2, quarter = (r.bottom - r.top) / 4;
  const RECT up{r.left, r.top, r.right, middle}, low{r.left, middle, r.right, r.bottom};
  face(up, upPressed);
  face(low, downPressed);
  if (!disabled) DrawLineColor(dc, r.left, middle, r.right, middle, softShadowColor_);
  TColor color = softShadowColor_;
  if (!disabled && state.Enabled) color = ToolbarStyle(state) ? clBtnText : clMenuText;
  const int x = (r.left + r.right) / 2;
  const int ux = x + (upPressed ? 1 : 0), uy = r.top + quarter;
  Triangle(dc, {ux - 2, uy + 1}, {ux + 2, uy + 1}, {ux, uy - 1}, color);
  const int dx = x + (downPressed ? 1 : 0), dy = r.bottom - 1 - quarter;
  Triangle(dc, {dx - 2, dy - 1}, {dx + 2, dy - 1}, {dx, dy + 1}, color);
}

// --- Buttons of captions, scrollers and check controls ---------------------------------------

void TSkinStripesTheme::DrawCaptionButton(ui::TCanvas& canvas, const RECT& rect, const TSkinCaptionButtonInfo& info,
                                          int kind) {
  TItemDrawState state{};
  state.ViewKind = vkToolbar;
  state.Options = idoToolbarStyle;
  state.Enabled = 1;
  state.Pushed = info.Pushed;
  state.Hover = info.Hover ? 2 : 0;
  DrawButtonFace(canvas, rect, state);
  stripesUnit.DrawCaptionGlyph(canvas.Handle(), rect, kind, clBtnText);
}

void TSkinStripesTheme::DrawScrollerButton(ui::TCanvas& canvas, const RECT& rect, int direction, bool active) {
  HDC dc = canvas.Handle();
  const RECT inner = Inset(rect, 1);
  if (active)
    FillRectDither(dc, inner, clBtnFace, clBtnHighlight);
  else
    FillRectColor(dc, inner, clBtnFace);
  DrawChamferFrame(dc, rect, 1, NearestColorMix(clWindow, clBtnShadow, 64), 1);
  const COLORREF face = ResolveColor(clBtnFace);
  for (POINT p : {POINT{rect.left, rect.top}, POINT{rect.right - 1, rect.top}, POINT{rect.left, rect.bottom - 1},
                  POINT{rect.right - 1, rect.bottom - 1}})
    SetPixelV(dc, p.x, p.y, face);
  DrawScrollerArrow(dc, rect, direction, clBtnText);
}

void TSkinStripesTheme::DrawCheckControl(ui::TCanvas& canvas, const RECT& rect, int kind, int state) {
  if (kind != 1 && kind != 2) {
    TSkinDefaultTheme::DrawCheckControl(canvas, rect, kind, state);
    return;
  }
  HDC dc = canvas.Handle();
  const bool checked = state & 1, mixed = (state & 2) && kind == 1, disabled = state & 4, hot = state & 8,
             pressed = state & 0x10;
  const bool low = LowColor();
  const TColor pen = (disabled || (!pressed && !hot)) ? clBtnShadow : clBtnText;
  HBRUSH brush = nullptr;
  if (disabled)
    brush = nullptr;
  else if (pressed)
    brush = MakeDitherBrush(low ? clBtnHighlight : ColorMix(clBtnHighlight, clBtnFace, 126), clBtnHighlight);
  else if (hot)
    brush = MakeDitherBrush(clBtnFace, low ? clBtnFace : ColorMix(clBtnHighlight, clBtnFace, 192));
  else if (mixed)
    brush = MakeDitherBrush(clWindow, clBtnFace);
  const TColor mark = disabled ? clBtnFace : mixed ? clBtnShadow : clBtnText;
  DrawFlatCheckControl(dc, rect, kind, checked || mixed, pen, brush, mark);
  if (brush) DeleteObject(brush);
}

// --- Frames ----------------------------------------------------------------------------------

void TSkinStripesTheme::DrawPopupBorder(ui::TCanvas& canvas, const RECT& rect, const TSkinPopupBorderInfo& info) {
  HDC dc = canvas.Handle();
  RECT r = rect;
  FrameRectColor(dc, r, DarkFrameColor(), true);
  if (IsListPopupView(info.ViewKind)) {
    FillRectColor(dc, r, clWindow);
  } else if (Sys().FlatMenusActive && !IsToolboxPopupView(info.ViewKind)) {
    FillRectColor(dc, r, Sys().MenuBackColor);
  } else {
    DrawSkinEdge(dc, r, BDR_RAISEDINNER, BF_RECT | BF_ADJUST);
    FillRectColor(dc, r, toolbarBackColor_);
  }
}

void TSkinStripesTheme::DrawCloseButton(HDC dc, RECT rect, int bits, bool vertical) {
  OffsetRect(&rect, vertical ? 0 : -1, vertical ? -1 : 0);
  rect = Inset(rect, 1);
  const bool pressed = bits & 4, hot = bits & 2;
  if (pressed || hot) {
    const RECT inner = Inset(rect, 1);
    if (pressed)
      FillRectDither(dc, inner, clBtnHighlight, ColorMix(clBtnHighlight, clBtnFace, 126));
    else
      HotFace(dc, inner, false);
    const TColor frame = (pressed && LowColor()) ? clBtnShadow : NearestColorMix(clBtnShadow, clBtnFace, 191);
    DrawChamferFrame(dc, rect, 1, frame, 1);
  }
  if (pressed) OffsetRect(&rect, 1, 1);
  DrawCloseCross(dc, rect, clBtnText);
}

void TSkinStripesTheme::DrawDottedCaption(HDC dc, const RECT& strip, int textWidth, int inset, bool dotted,
                                          bool rotated) {
  const int length = rotated ? strip.bottom - strip.top : strip.right - strip.left;
  if (!dotted || textWidth > length) {
    FillRectColor(dc, strip, clBtnFace);
    return;
  }
  const int start = (length - textWidth) / 2;
  RECT before = strip, band = strip, after = strip;
  if (rotated) {
    before.bottom = band.top = strip.top + start;
    band.bottom = after.top = band.top + textWidth;
  } else {
    before.right = band.left = strip.left + start;
    band.right = after.left = band.left + textWidth;
  }
  DrawDotPattern(dc, before, clBtnFace, inset);
  FillRectColor(dc, band, clBtnFace);
  DrawDotPattern(dc, after, clBtnFace, inset);
}

void TSkinStripesTheme::DrawToolbarNonClient(ui::TCanvas& canvas, const RECT& rect, const TSkinToolbarNCInfo& info) {
  HDC dc = canvas.Handle();
  RECT r = rect;
  if (info.BorderStyle == 1) DrawSkinEdge(dc, r, BDR_RAISEDINNER, BF_RECT | BF_ADJUST);
  canvas.FillRect(r);
  r = Inset(r, 1);
  const int d = ToolbarDragHandleSize(info);
  if (d <= 0) return;
  const bool vertical = info.Vertical != 0, close = info.CloseButtonState & 1;
  const TColor brush = canvas.Brush().Style() == ui::TBrushStyle::bsClear ? clNone : canvas.Brush().Color();
  if (info.DragHandleStyle != 1) {
    const TColor line = NearestColorMix(clBtnShadow, clBtnFace, 96);
    RECT grip = r;
    if (vertical) {
      grip.bottom = r.top + d - 2;
      DrawLineColor(dc, r.left, grip.bottom, r.right, grip.bottom, line);
      if (close) grip.right -= d - 2;
    } else {
      grip.right = r.left + d - 2;
      DrawLineColor(dc, grip.right, r.top, grip.right, r.bottom, line);
      if (close) grip.top += d - 2;
    }
    canvas.FillRect(grip);
    DrawDotPattern(dc, Inset(grip, 1), brush, 1);
  }
  if (close) DrawCloseButton(dc, ToolbarCloseButtonRect(info, rect), info.CloseButtonState, vertical);
}

void TSkinStripesTheme::DrawFloatingFrame(ui::TCanvas& canvas, const RECT& rect, const TSkinFloatingFrameInfo& info) {
  HDC dc = canvas.Handle();
  const RECT inner = {rect.left + info.BorderSize.cx, rect.top + info.BorderSize.cy,
                      rect.right - info.BorderSize.cx, rect.bottom - info.BorderSize.cy};
  if (info.RedrawParts & 1) {
    RECT r = rect;
    FrameRectColor(dc, r, DarkFrameColor(), true);
    DrawSkinEdge(dc, r, BDR_RAISEDINNER, BF_RECT | BF_ADJUST);
    FrameRectColor(dc, r, clBtnFace, true);
    FrameRectColor(dc, r, clBtnFace, true);
    const int saved = SaveDC(dc);
    ExcludeClipRect(dc, inner.left, inner.top, inner.right, inner.bottom);
    FillRectColor(dc, r, GetViewBackColor(info.ViewKind));
    RestoreDC(dc, saved);
  }
  if (!info.CaptionShown) return;
  const int height = GetSystemMetrics(SM_CYSMCAPTION);
  const RECT band{inner.left, inner.top, inner.left + info.ClientWidth, inner.top + height};
  // A caption repaint leaves the button's square alone: the button repaints itself.
  const bool shown = info.CloseButtonState & 1;
  const bool close = shown && (info.RedrawParts & 4);
  RECT caption{band.left, band.top, band.right, band.bottom - 2};
  if (shown) caption.right -= height - 2;
  if (info.RedrawParts & 2) {
    DrawLineColor(dc, band.left, band.bottom - 1, band.right, band.bottom - 1, clBtnFace);
    DrawLineColor(dc, band.left, band.bottom - 2, band.right, band.bottom - 2, softShadowColor_);
    DrawDottedCaption(dc, caption, CaptionTextWidth(dc, info.Caption) + 16, 2, info.Active, false);
    DrawCaptionText(dc, info.Caption, caption, clBtnText, false, DT_HIDEPREFIX);
  }
  if (close) {
    const RECT square{caption.right, band.top, band.right, band.bottom - 2};
    FillRectColor(dc, square, clBtnFace);
    DrawLineColor(dc, square.left, square.bottom, square.right, square.bottom, softShadowColor_);
    DrawCloseButton(dc, square, info.CloseButtonState, false);
  }
}

void TSkinStripesTheme::DrawPanelNonClient(ui::TCanvas& canvas, const RECT& rect, const TSkinPanelNCInfo& info) {
  HDC dc = canvas.Handle();
  const int c = GetSystemMetrics(SM_CYSMCAPTION);
  const bool rotated = info.VerticalCaption;
  RECT r = rect;
  FrameRectColor(dc, r, toolbarBackColor_, true);
  RECT client = r;
  if (info.CaptionShown) (rotated ? client.left : client.top) += c;
  FrameRectColor(dc, client, info.Color, false);
  if (!info.CaptionShown) return;
  RECT strip = r;
  if (rotated)
    strip.right = strip.left + c;
  else
    strip.bottom = strip.top + c;
  const RECT outer = strip;
  DrawSkinEdge(dc, strip, BDR_RAISEDINNER, BF_RECT | BF_ADJUST | BF_MIDDLE);
  RECT text = strip;
  if (info.CloseButtonState & 1) {
    const RECT square = rotated ? RECT{outer.left, outer.bottom - c, outer.left + c, outer.bottom}
                                : RECT{outer.right - c, outer.top, outer.right, outer.top + c};
    (rotated ? text.bottom : text.right) = rotated ? square.top : square.left;
    DrawCloseButton(dc, square, info.CloseButtonState, rotated);
  }
  DrawDottedCaption(dc, text, CaptionTextWidth(dc, info.Caption) + 12, 1, true, rotated);
  DrawCaptionText(dc, info.Caption, text, clBtnText, rotated, DT_NOPREFIX);
}

void TSkinStripesTheme::DrawStatusBarPart(ui::TCanvas& canvas, const RECT& rect, int part) {
  HDC dc = canvas.Handle();
  switch (part) {
    case 0:
      FillRectColor(dc, rect, clBtnFace);
      DrawLineColor(dc, rect.left, rect.top + 2, rect.right, rect.top + 2, NearestColorMix(clBtnShadow, clBtnFace, 96));
      return;
    default: {
      const int side = std::min(rect.right - rect.left, rect.bottom - rect.top);
      DrawLinedStatusPart(dc, rect, part, softShadowColor_, NearestColorMix(clBtnFace, clBtnShadow, 64),
                          NearestColorMix(clBtnFace, clBtnHighlight, 64), (side >= 9 ? 1 : 0) + (side >= 13 ? 1 : 0));
      return;
    }
  }
}

// --- Registration ---------------------------------------------------------------------------

void SkinStripesStart() {
  if (!ThemeClassExists("Stripes")) AddThemeClass("Stripes", &MakeSkinTheme<TSkinStripesTheme>);
}

}  // namespace movra::skin
