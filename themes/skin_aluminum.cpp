#include "themes/skin_aluminum.h"

#include <algorithm>

namespace movra::skin {
namespace {

using ui::clBlack;
using ui::clBtnFace;
using ui::clHighlight;
using ui::clNone;
using ui::clWindow;

constexpr TColor kLight = kAluminumLight, kMedium = kAluminumMedium, kDark = kAluminumDark;
constexpr TColor kEngraved = 0x3F3F3F;

RECT Inset(RECT r, int d) {
  InflateRect(&r, -d, -d);
  return r;
}

void Triangle(HDC dc, POINT a, POINT b, POINT c, TColor color) {
  const POINT points[3] = {a, b, c};
  PolygonColor(dc, points, 2, color, color);
}

bool IsToolbarFamily(int kind) { return (kind & vkToolbarFamily) != 0; }
bool IsMenuBar(int kind) { return (kind & vkMenuBar) == vkMenuBar; }
bool IsPanelFamily(int kind) { return (kind & 0x4000) != 0 && !IsPopupView(kind); }
bool LowColor() { return SkinSystem().LowColorDisplay; }

// A shape engraved on `ground`: a light copy below-right, a dark one above-left, then the shape
// in dark grey (black when hot). `draw` paints the shape offset by (dx, dy).
template <class F>
void Engrave(TColor ground, bool hot, F draw) {
  draw(1, 1, ColorAddLight(ground, 24));
  draw(-1, -1, ColorAddLight(ground, -32));
  draw(0, 0, hot ? clBlack : kEngraved);
}

// The pixels of a corner, counted inward from it: (dx, dy, weight).
struct CornerPixel {
  int dx, dy, weight;
};

// Where a corner at (x, y) counts inward: sx, sy are +1 or -1.
void BlendCorner(HDC dc, int x, int y, int sx, int sy, int radius, TColor color) {
  static constexpr CornerPixel kRadius1[] = {{1, 1, 63}};
  static constexpr CornerPixel kRadius2[] = {{0, 0, 31}, {1, 0, 127}, {0, 1, 127}, {1, 1, 159}};
  static constexpr CornerPixel kRadius3[] = {{1, 0, 47}, {0, 1, 47}, {2, 0, 143}, {0, 2, 143},
                                             {1, 1, 175}, {2, 1, 63}, {1, 2, 63}};
  auto paint = [&](const CornerPixel* pixels, int n) {
    for (int i = 0; i < n; ++i) BlendPixel(dc, x + sx * pixels[i].dx, y + sy * pixels[i].dy, color, pixels[i].weight);
  };
  switch (radius) {
    case 0: SetPixelV(dc, x, y, ResolveColor(color)); break;
    case 1: paint(kRadius1, 1); break;
    case 2: paint(kRadius2, 4); break;
    case 3: paint(kRadius3, 7); break;
    default: break;
  }
}

// A colour for a toolbar item state's part, `fallback` where the table has none.
TColor Or(TColor color, TColor fallback) { return color == clNone ? fallback : color; }

TSkinThemeUnitState aluminumUnit;

}  // namespace

// --- Colours ---------------------------------------------------------------------------------

TColor AluminumHighlightBase() {
  double h = 0, s = 0, l = 0;
  ColorToHsl(clHighlight, h, s, l);
  return HslToColor(h, s, std::max(l, 0.4));
}

TSkinAluminumColors AluminumColors() {
  TSkinAluminumColors c;
  const TColor c1 = AluminumHighlightBase();
  const TColor b = ColorBlend(c1, clWindow, 30);
  c.TextureDepth = 12;
  c.DarkFaceColor = ColorAddLight(kLight, -24);
  c.MenuBarBackColor = kLight;
  c.ToolbarBackColor = kLight;
  c.DimFaceColor = ColorAddLight(kLight, -16);
  c.PopupBackColor = ColorBlend(c.DarkFaceColor, clWindow, 100);
  c.DockPanelBackColor = c.PopupBackColor;
  TSkinItemRecipe recipe = BlendWindowColors({clBlack, kDark, kMedium, kLight}, c.ToolbarBackColor, c.PopupBackColor,
                                             c.PopupFrameColor, c.ToolbarWindowColors, c.PanelWindowColors);
  recipe.DisabledText = kDark;
  recipe.Highlight = c1;
  recipe.Hot = b;
  recipe.PopupOpenBack = ColorBlend(c.ToolbarBackColor, c.PopupBackColor, 50);
  BuildItemTables(recipe, c.Items);
  c.SeparatorColor = ContrastedColor(kDark, c.ToolbarBackColor, 50);

  // What the screen can show, the two face colours excepted.
  const TColor darkFace = c.DarkFaceColor, dimFace = c.DimFaceColor;
  auto nearest = [](TColor& color) { color = NearestColor(color); };
  for (TColor* color : {&c.MenuBarBackColor, &c.ToolbarBackColor, &c.PopupBackColor, &c.DockPanelBackColor,
                        &c.PopupFrameColor, &c.SeparatorColor})
    nearest(*color);
  for (auto* table : {&c.ToolbarWindowColors, &c.PanelWindowColors})
    for (TSkinWindowColors& row : *table)
      for (TColor* color : {&row.Border, &row.Caption, &row.CaptionText}) nearest(*color);
  for (auto& entry : c.Items.MenuItemColors)
    for (TColor& color : entry) nearest(color);
  for (auto& entry : c.Items.ToolbarItemColors)
    for (TColor& color : entry) nearest(color);
  c.DarkFaceColor = darkFace;
  c.DimFaceColor = dimFace;
  c.Items.ToolbarBackColor = c.ToolbarBackColor;
  c.Items.TransparentFrameColor = kDark;
  return c;
}

// --- Primitives --------------------------------------------------------------------------------

void DrawRoundFrame(HDC dc, const RECT& rect, int topLeft, TColor color, int bottomRight, int bottomLeft,
                    int topRight) {
  if (color == clNone || rect.right - rect.left < 2 || rect.bottom - rect.top < 2) return;
  const int l = rect.left, t = rect.top, r = rect.right - 1, b = rect.bottom - 1;
  FillRectColor(dc, {l + topLeft, t, r - topRight + 1, t + 1}, color);
  FillRectColor(dc, {l + bottomLeft, b, r - bottomRight + 1, b + 1}, color);
  FillRectColor(dc, {l, t + topLeft, l + 1, b - bottomLeft + 1}, color);
  FillRectColor(dc, {r, t + topRight, r + 1, b - bottomRight + 1}, color);
  if (topLeft) BlendCorner(dc, l, t, 1, 1, topLeft, color);
  if (topRight) BlendCorner(dc, r, t, -1, 1, topRight, color);
  if (bottomLeft) BlendCorner(dc, l, b, 1, -1, bottomLeft, color);
  if (bottomRight) BlendCorner(dc, r, b, -1, -1, bottomRight, color);
}

void FillRoundRect(HDC dc, const RECT& rect, int topLeft, TColor color, int bottomRight, int bottomLeft,
                   int topRight) {
  if (color == clNone) return;
  const int l = rect.left, t = rect.top, r = rect.right - 1, b = rect.bottom - 1;
  const POINT points[8] = {{l + topLeft, t},     {r - topRight, t},    {r, t + topRight}, {r, b - bottomRight},
                           {r - bottomRight, b}, {l + bottomLeft, b}, {l, b - bottomLeft}, {l, t + topLeft}};
  PolygonColor(dc, points, 7, color, color);
}

void Draw3DRoundFrame(HDC dc, const RECT& rect, int topLeft, TColor fill, TColor light, TColor dark,
                      int bottomRight, int bottomLeft, int topRight) {
  const int l = rect.left, t = rect.top, r = rect.right - 1, b = rect.bottom - 1;
  if (r <= l || b <= t) return;
  FillRectColor(dc, {l + topLeft, t, r - topRight + 1, t + 1}, light);
  FillRectColor(dc, {l, t + topLeft, l + 1, b - bottomLeft + 1}, light);
  FillRectColor(dc, {l + bottomLeft, b, r - bottomRight + 1, b + 1}, dark);
  FillRectColor(dc, {r, t + topRight, r + 1, b - bottomRight + 1}, dark);
  // Each corner in the colour of its edges: the light and dark corners plain, the two between a
  // light and a dark edge in their mixes, leaning toward the edge each pixel continues.
  struct Corner {
    int x, y, sx, sy, radius;
    TColor across, along, middle;  // the pixel beside it on the horizontal edge, on the vertical one
  };
  const TColor half = ColorMix(light, dark, 127);
  const Corner corners[4] = {{l, t, 1, 1, topLeft, light, light, light},
                             {r, t, -1, 1, topRight, ColorMix(light, dark, 191), ColorMix(light, dark, 63), half},
                             {l, b, 1, -1, bottomLeft, ColorMix(light, dark, 63), ColorMix(light, dark, 191), half},
                             {r, b, -1, -1, bottomRight, dark, dark, dark}};
  for (const Corner& c : corners) {
    if (c.radius == 0) {
      SetPixelV(dc, c.x, c.y, ResolveColor(c.middle));
      continue;
    }
    auto put = [&](int dx, int dy, TColor color, int weight) {
      const int x = c.x + c.sx * dx, y = c.y + c.sy * dy;
      if (fill == clNone)
        BlendPixel(dc, x, y, color, weight);
      else
        SetPixelV(dc, x, y, ResolveColor(ColorMix(color, fill, weight)));
    };
    if (c.radius == 1) {
      put(0, 0, c.middle, fill == clNone ? 63 : 127);
      if (fill == clNone) put(1, 1, c.middle, 63);
    } else {
      put(0, 0, c.middle, 31);
      put(1, 0, c.across, fill == clNone ? 143 : 175);
      put(0, 1, c.along, fill == clNone ? 143 : 175);
      if (fill == clNone) put(1, 1, c.middle, 207);
    }
  }
}

void DrawDotGrid(HDC dc, const RECT& rect, TColor color, int inset) {
  const RECT area = Inset(rect, inset);
  const int cellsX = (area.right - area.left) / 4, cellsY = (area.bottom - area.top) / 4;
  if (cellsX < 1 || cellsY < 1) return;
  const int x0 = area.left + (area.right - area.left - 4 * cellsX) / 2;
  const int y0 = area.top + (area.bottom - area.top - 4 * cellsY) / 2;
  const CornerPixel dot[] = {{1, 1, -96}, {0, 0, -24}, {0, 1, -32}, {1, 0, -32}, {2, 1, 24}, {1, 2, 24}, {2, 2, 18}};
  COLORREF shades[7];
  for (int i = 0; i < 7; ++i) shades[i] = ResolveColor(NearestColorAddLight(color, dot[i].weight));
  for (int cy = 0; cy < cellsY; ++cy)
    for (int cx = 0; cx < cellsX; ++cx)
      for (int i = 0; i < 7; ++i) SetPixelV(dc, x0 + 4 * cx + dot[i].dx, y0 + 4 * cy + dot[i].dy, shades[i]);
}

void FillGradientHalves(HDC dc, const RECT& rect, TColor color, bool vertical) {
  RECT first = rect, rest = rect;
  if (vertical)
    first.bottom = rest.top = rect.top + (rect.bottom - rect.top) / 3;
  else
    first.right = rest.left = rect.left + (rect.right - rect.left) / 3;
  const int direction = vertical ? gdVertical : gdHorizontal;
  GradientFillRect(dc, first, ColorAddLight(color, 24), color, direction);
  GradientFillRect(dc, rest, color, ColorAddLight(color, -8), direction);
}

void DrawEngravedCross(HDC dc, const RECT& rect, TColor color, bool hot) {
  Engrave(color, hot, [&](int dx, int dy, TColor c) {
    RECT r = rect;
    OffsetRect(&r, dx, dy);
    DrawCloseCross(dc, r, c);
  });
}

// --- Life ------------------------------------------------------------------------------------

TSkinAluminumTheme::TSkinAluminumTheme(const std::string& name) : TSkinDefaultTheme(name) {
  aluminumUnit.Acquire();
  // The base constructor reached only the Default colours.
  RebuildColors();
}

TSkinAluminumTheme::~TSkinAluminumTheme() { aluminumUnit.Release(); }

TSkinThemeUnitState& TSkinAluminumTheme::UnitState() { return aluminumUnit; }

void TSkinAluminumTheme::RebuildColors() {
  colors_ = AluminumColors();
  toolbarBackColor_ = colors_.ToolbarBackColor;
  dockPanelBackColor_ = colors_.DockPanelBackColor;
  statusBarBackColor_ = colors_.DimFaceColor;
}

// --- Colours, sizes and flags ----------------------------------------------------------------

void TSkinAluminumTheme::GetGlyphShift(ui::TCanvas&, const TItemDrawState&, POINT& offset) { offset = {0, 0}; }

TColor TSkinAluminumTheme::GetItemBackColor(const TItemDrawState& state) {
  return Or(ItemColor(state, sicBack), GetViewBackColor(state.ViewKind));
}

TColor TSkinAluminumTheme::GetItemCaptionColor(const TItemDrawState& state) { return ItemColor(state, sicText); }

TColor TSkinAluminumTheme::GetGlyphBackColor(const TItemDrawState& state) {
  return Or(ButtonColor(state, sicBack), GetViewBackColor(state.ViewKind));
}

int TSkinAluminumTheme::GetShadowKind() { return 2; }

void TSkinAluminumTheme::GetViewBorderSize(int viewKind, SIZE& size) {
  if (IsPopupView(viewKind)) {
    size = {2, 2};
  } else if (IsToolbarFamily(viewKind) || IsPanelFamily(viewKind)) {
    size = {2, 2};
    if (viewKind & vkFloating) {
      TSkinDefaultTheme::GetViewBorderSize(viewKind, size);
      size = {size.cx - 1, size.cy - 1};
    }
  } else {
    size = {0, 0};
  }
}

TColor TSkinAluminumTheme::GetViewBackColor(int viewKind) {
  if (IsToolbarFamily(viewKind)) return IsMenuBar(viewKind) ? colors_.MenuBarBackColor : colors_.ToolbarBackColor;
  if (IsPopupView(viewKind)) return IsListPopupView(viewKind) ? clWindow : colors_.PopupBackColor;
  if (IsPanelFamily(viewKind)) return colors_.DockPanelBackColor;
  return colors_.ToolbarBackColor;
}

int TSkinAluminumTheme::GetMetric(int id) {
  switch (id) {
    case smSplitDropDownWidth: return 12;
    case 36:
    case 62: return 1;
    case 37:
    case smEditBoxInset:
    case 61: return 2;
    case 65: return 14;
    case 66: return 0;
    default: return TSkinDefaultTheme::GetMetric(id);
  }
}

bool TSkinAluminumTheme::GetFlag(int id) {
  switch (id) {
    case 1:
    case 3:
    case 5:
    case 6:
    case 7: return true;
    case 4: return false;
    default: return TSkinDefaultTheme::GetFlag(id);
  }
}

// --- Backgrounds -----------------------------------------------------------------------------

void TSkinAluminumTheme::DrawViewBackground(ui::TCanvas& canvas, const RECT& reference, const RECT& paint,
                                            const RECT& clip, TColor backColor, bool paintedUnderneath,
                                            int viewKind) {
  if (LowColor()) {
    TSkinDefaultTheme::DrawViewBackground(canvas, reference, paint, clip, backColor, paintedUnderneath, viewKind);
    return;
  }
  if (paintedUnderneath) return;
  HDC dc = canvas.Handle();
  RECT area;
  if (!IntersectRect(&area, &paint, &clip) || !RectVisible(dc, &area)) return;
  if (IsPopupView(viewKind) || IsTransparentToolbar(viewKind)) {
    FillRectColor(dc, area, backColor);
    return;
  }
  const POINT origin{reference.left, reference.top};
  DitherTextureRect(dc, &origin, area, backColor, colors_.TextureDepth);
}

void TSkinAluminumTheme::DrawDockBackground(ui::TCanvas& canvas, const RECT& client, const RECT& clip, int) {
  if (LowColor()) return;
  RECT area;
  if (!IntersectRect(&area, &client, &clip)) return;
  const POINT origin{client.left, client.top};
  DitherTextureRect(canvas.Handle(), &origin, area, canvas.Brush().Color(), 8);
}

// --- Items -----------------------------------------------------------------------------------

void TSkinAluminumTheme::DrawButtonFace(ui::TCanvas& canvas, const RECT& rect, const TItemDrawState& state) {
  HDC dc = canvas.Handle();
  RECT r = rect;
  if (state.Part == 3) --r.left;
  if ((state.Options & idoDesigning) && !state.Checked) {
    DrawRoundFrame(dc, r, 1, NearestColor(ColorMix(kDark, kMedium, 100)), 1, 1, 1);
  } else {
    const int radius = state.PopupOpen ? 1 : 2;
    const int left = state.Part == 3 ? 0 : radius, right = state.Part == 2 ? 0 : radius;
    FillRoundRect(dc, r, left, ButtonColor(state, sicBack), right, left, right);
    DrawRoundFrame(dc, r, left, ButtonColor(state, sicFrame), right, left, right);
    if (state.Part == 3 && state.PopupOpen)
      DrawLineColor(dc, r.left, r.top, r.left, r.bottom, Or(ButtonColor(state, sicBack), colors_.ToolbarBackColor));
  }
  if (state.Part == 3) DrawDropArrow(canvas, rect, state);
}

void TSkinAluminumTheme::DrawItemCaption(ui::TCanvas& canvas, const RECT& rect, const TItemDrawState& state,
                                         const std::string& caption, UINT format, bool rotated) {
  TColor color = canvas.Font().Color();
  if (color == clNone) color = GetItemCaptionColor(state);
  HDC dc = canvas.Handle();
  HFONT font = canvas.Font().Handle();
  TColor light = clNone;
  if (state.Options & idoToolbarStyle)
    light = ColorAddLight(Or(ButtonColor(state, sicBack), colors_.ToolbarBackColor), 16);
  else if (state.ViewKind & vkStatusBar)
    light = ColorAddLight(colors_.DimFaceColor, 16);
  if (light != clNone) {
    RECT r = rect;
    OffsetRect(&r, 1, 1);
    DrawSkinText(dc, font, caption, r, format, light, rotated);
  }
  DrawSkinText(dc, font, caption, rect, format, color, rotated);
}

void TSkinAluminumTheme::DrawCheckGlyph(ui::TCanvas& canvas, const RECT& rect, const TItemDrawState& state) {
  const int x = (rect.left + rect.right) / 2, y = (rect.top + rect.bottom) / 2;
  const POINT points[] = {{x - 4, y - 1}, {x - 2, y + 1}, {x + 2, y - 3}, {x + 2, y - 2},
                          {x - 2, y + 2}, {x - 4, y},     {x - 4, y - 1}};
  PolylineColor(canvas.Handle(), points, 6, ButtonColor(state, sicText));
}

void TSkinAluminumTheme::DrawDropArrow(ui::TCanvas& canvas, const RECT& rect, const TItemDrawState& state) {
  const int x = (rect.left + rect.right) / 2, y = (rect.top + rect.bottom) / 2;
  const TColor color = ItemColor(state, sicText);
  if (state.Vertical)
    Triangle(canvas.Handle(), {x, y + 1}, {x, y - 3}, {x - 2, y - 1}, color);
  else
    Triangle(canvas.Handle(), {x - 2, y - 1}, {x + 2, y - 1}, {x, y + 1}, color);
}

void TSkinAluminumTheme::DrawChevronGlyph(ui::TCanvas& canvas, const RECT& rect, const TItemDrawState& state) {
  DrawButtonFace(canvas, rect, state);
  HDC dc = canvas.Handle();
  Engrave(Or(ButtonColor(state, sicBack), colors_.ToolbarBackColor), state.Hover != 0,
          [&](int dx, int dy, TColor c) { DrawChevronPattern(dc, rect, state.Vertical, dx, dy, c); });
}

void TSkinAluminumTheme::DrawGlyph(ui::TCanvas& canvas, const RECT& rect, const TItemDrawState& state,
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
      DrawImageSilhouette(canvas, rect, *images, index, kDark);
    else
      DrawImageDisabled(canvas, rect, *images, index, 0);
    return;
  }
  if (state.Hover != 0 && !state.Checked) {
    if (!state.Pushed || state.PopupOpen) {
      DrawImageDisabled(canvas, at(1, 1), *images, index, 1);
    } else {
      DrawImageDisabled(canvas, at(-1, -1), *images, index, 1);
      const TColor pushed = colors_.Items.ToolbarItemColors[tisPushed][sicBack];
      DrawImageSolidSilhouette(canvas, at(1, 1), *images, index, ColorAddLight(pushed, 24));
    }
    DrawImageBrightened(canvas, rect, *images, index, bright);
  } else if (!state.Checked && !state.Pushed && luminance > 79 && !SkinSystem().ButtonFaceIsWhite) {
    DrawImageFaded(canvas, rect, *images, index, 200);
  } else {
    DrawImageBrightened(canvas, rect, *images, index, bright);
  }
}

void TSkinAluminumTheme::DrawSelectionFill(ui::TCanvas& canvas, const RECT& rect, const TItemDrawState& state) {
  HDC dc = canvas.Handle();
  FillRoundRect(dc, rect, 1, ItemColor(state, sicBack), 1, 1, 1);
  DrawRoundFrame(dc, rect, 1, ItemColor(state, sicFrame), 1, 1, 1);
}

void TSkinAluminumTheme::DrawMenuItemFace(ui::TCanvas& canvas, const RECT& rect, const TItemDrawState& state) {
  HDC dc = canvas.Handle();
  const int w = GetSystemMetrics(SM_CXMENUCHECK);
  DrawSelectionFill(canvas, rect, state);
  const TColor text = ItemColor(state, sicText);
  if (state.Options & idoSplit) {
    const int x = rect.right - w - 1;
    TColor color = text;
    if (state.Enabled) color = state.Hover == 2 ? ItemColor(state, sicFrame) : colors_.SeparatorColor;
    DrawLineColor(dc, x, rect.top + 1, x, rect.bottom - 1, color);
  }
  if (state.Options & idoSubmenu) {
    const int c = (rect.top + rect.bottom) / 2, e = rect.right - 2 * w / 3;
    Triangle(dc, {e - 1, c - 3}, {e - 1, c + 3}, {e + 2, c}, text);
  }
  if (state.Checked && state.Enabled) {
    const RECT box = Inset({rect.left + 1, rect.top, rect.left + 1 + state.ImageColumnWidth, rect.bottom}, 1);
    FillRoundRect(dc, box, 1, ButtonColor(state, sicBack), 1, 1, 1);
    DrawRoundFrame(dc, box, 1, ButtonColor(state, sicFrame), 1, 1, 1);
  }
}

void TSkinAluminumTheme::DrawSeparatorLine(ui::TCanvas& canvas, const RECT& rect, const TItemDrawState& state,
                                           bool horizontal, bool) {
  if (!state.Enabled) return;
  HDC dc = canvas.Handle();
  if (horizontal) {
    const int y = (rect.top + rect.bottom) / 2;
    DrawLineColor(dc, rect.left + 2, y, rect.right - 2, y, colors_.SeparatorColor);
  } else {
    const int x = (rect.left + rect.right) / 2;
    DrawLineColor(dc, x, rect.top + 2, x, rect.bottom - 2, colors_.SeparatorColor);
  }
}

// --- Edit items ------------------------------------------------------------------------------

void TSkinAluminumTheme::DrawFieldFrame(ui::TCanvas& canvas, const RECT& rect, const TItemDrawState& state) {
  HDC dc = canvas.Handle();
  const TColor light = ColorAddLight(colors_.ToolbarBackColor, 16), dark = ColorAddLight(colors_.ToolbarBackColor, -16);
  const RECT inner = Inset(rect, 1);
  if (!state.Enabled && state.Hover != 1) {
    Draw3DRoundFrame(dc, rect, 1, clNone, dark, light, 1, 1, 1);
    Draw3DRoundFrame(dc, inner, 1, clNone, light, dark, 1, 1, 1);
    return;
  }
  if (state.Enabled &&
      (state.Pushed || state.Checked || state.Hover != 0 || (state.Options & idoDesigning))) {
    RECT r = inner;
    FrameRectColor(dc, r, clWindow, false);
    DrawRoundFrame(dc, rect, 2, ButtonColor(state, sicFrame), 2, 2, 2);
    return;
  }
  if (!IsTransparentToolbar(state.ViewKind) && !IsPopupView(state.ViewKind))
    Draw3DRoundFrame(dc, rect, 1, clNone, dark, light, 1, 1, 1);
  DrawRoundFrame(dc, inner, 1, kDark, 1, 1, 1);
}

void TSkinAluminumTheme::DrawEditBox(ui::TCanvas& canvas, const RECT& rect, const TItemDrawState& state,
                                     const TSkinEditBoxInfo& info) {
  const int inset = GetMetric(smEditBoxInset);
  RECT button = Inset(rect, inset);
  button.left = button.right - info.RightButtonWidth;
  DrawFieldFrame(canvas, rect, state);
  // The white field has round corners of its own, so the frame's rounding shows through them.
  RECT field = Inset(rect, inset);
  const int w = info.RightButtonWidth;
  if (w > 0) field.right += 2 - w;
  if (state.Enabled) {
    FillRectColor(canvas.Handle(), Inset(field, 1), clWindow);
    DrawRoundFrame(canvas.Handle(), field, 1, clWindow, 1, 1, 1);
  }
  if (w >= 1) DrawEditBoxButton(canvas, button, state, info.Button);
}

void TSkinAluminumTheme::DrawEditBoxButton(ui::TCanvas& canvas, const RECT& rect, const TItemDrawState& state,
                                           const TSkinEditButtonInfo& info) {
  HDC dc = canvas.Handle();
  const bool disabled = (info.State & 1) || !state.Enabled, hot = info.State & 2;
  const bool spin = info.Kind == 2;
  const TColor base = 0xDFDFDF;
  auto face = [&](const RECT& part, bool pressed) {
    if (!disabled && (pressed || hot)) {
      TItemDrawState s = state;
      s.Pushed = pressed;
      s.Hover = 2;
      const TColor back = ItemColor(s, sicBack);
      FillRoundRect(dc, part, 1, back, 1, 1, 1);
      if (back != clNone)
        for (POINT p : {POINT{part.left, part.top}, POINT{part.right - 1, part.top}, POINT{part.left, part.bottom - 1},
                        POINT{part.right - 1, part.bottom - 1}})
          BlendPixel(dc, p.x, p.y, back, 127);
      return;
    }
    GradientFillRect(dc, part, ColorAddLight(base, 16), ColorAddLight(base, -16), gdVertical);
    Draw3DRoundFrame(dc, part, 0, clNone, ColorAddLight(base, 24), ColorAddLight(base, -24), 1, 0, 1);
  };
  TItemDrawState arrow = state;
  if (disabled) arrow.Enabled = 0;
  if (!spin) {
    face(rect, info.State & 4);
    DrawDropArrow(canvas, rect, arrow);
    return;
  }
  const int middle = (rect.top + rect.bottom) / 2;
  const RECT up{rect.left, rect.top, rect.right, middle}, down{rect.left, middle, rect.right, rect.bottom};
  face(up, info.State & 4);
  face(down, info.State & 8);
  const TColor color = ItemColor(arrow, sicText);
  const int x = (rect.left + rect.right) / 2, uy = (up.top + up.bottom) / 2, dy = (down.top + down.bottom) / 2;
  Triangle(dc, {x - 2, uy + 1}, {x + 2, uy + 1}, {x, uy - 1}, color);
  Triangle(dc, {x - 2, dy - 1}, {x + 2, dy - 1}, {x, dy + 1}, color);
}

// --- Buttons of captions, scrollers and check controls ---------------------------------------

void TSkinAluminumTheme::DrawCaptionButton(ui::TCanvas& canvas, const RECT& rect, const TSkinCaptionButtonInfo& info,
                                           int kind) {
  HDC dc = canvas.Handle();
  Engrave(colors_.ToolbarBackColor, info.Pushed || info.Hover, [&](int dx, int dy, TColor c) {
    RECT r = rect;
    OffsetRect(&r, dx, dy);
    aluminumUnit.DrawCaptionGlyph(dc, r, kind, c);
  });
}

void TSkinAluminumTheme::DrawScrollerButton(ui::TCanvas& canvas, const RECT& rect, int direction, bool active) {
  HDC dc = canvas.Handle();
  const TSkinItemColors& hot = colors_.Items.ToolbarItemColors[tisHot];
  if (active) {
    FillRoundRect(dc, rect, 1, hot[sicBack], 1, 1, 1);
    DrawRoundFrame(dc, rect, 1, hot[sicFrame], 1, 1, 1);
  } else {
    GradientFillRect(dc, Inset(rect, 1), ColorAddLight(colors_.ToolbarBackColor, 12), colors_.ToolbarBackColor,
                     gdVertical);
    DrawRoundFrame(dc, rect, 1, kDark, 1, 1, 1);
  }
  DrawScrollerArrow(dc, rect, direction, colors_.Items.ToolbarItemColors[active ? tisHot : tisNormal][sicText]);
}

void TSkinAluminumTheme::DrawCheckControl(ui::TCanvas& canvas, const RECT& rect, int kind, int state) {
  if (kind != 1 && kind != 2) {
    TSkinDefaultTheme::DrawCheckControl(canvas, rect, kind, state);
    return;
  }
  const auto& t = colors_.Items.ToolbarItemColors;
  const bool checked = state & 1, mixed = (state & 2) && kind == 1, disabled = state & 4, hot = state & 8,
             pressed = state & 0x10;
  TColor pen = kDark, mark = t[tisNormal][sicText];
  HBRUSH brush = nullptr;
  if (disabled) {
    mark = t[tisDisabled][sicText];
  } else if (pressed) {
    pen = t[tisPushed][sicFrame];
    brush = MakeBrush(t[tisPushed][sicBack]);
    mark = t[tisPushed][sicText];
  } else if (hot) {
    pen = t[tisHot][sicFrame];
    brush = MakeBrush(t[tisHot][sicBack]);
    mark = mixed ? kDark : t[tisHot][sicText];
  } else {
    brush = mixed ? MakeDitherBrush(clWindow, clBtnFace) : MakeBrush(clWindow);
    if (mixed) mark = kDark;
  }
  DrawFlatCheckControl(canvas.Handle(), rect, kind, checked || mixed, pen, brush, mark);
  if (brush) DeleteObject(brush);
}

// --- Frames ----------------------------------------------------------------------------------

void TSkinAluminumTheme::DrawPopupBorder(ui::TCanvas& canvas, const RECT& rect, const TSkinPopupBorderInfo& info) {
  HDC dc = canvas.Handle();
  RECT r = rect;
  FrameRectColor(dc, r, colors_.PopupFrameColor, true);
  FillRectColor(dc, r, colors_.PopupBackColor);
  const RECT& item = info.OpeningItem;
  if (IsRectEmpty(&item)) return;
  // The frame segment shared with the opener, clipped to the popup, ends pulled in.
  const int left = std::max(item.left, rect.left) + 1, right = std::min(item.right, rect.right) - 1;
  const int top = std::max(item.top, rect.top) + 1, bottom = std::min(item.bottom, rect.bottom) - 1;
  RECT joint{};
  if (item.bottom == rect.top)
    joint = {left, rect.top, right, rect.top + 1};
  else if (item.top == rect.bottom)
    joint = {left, rect.bottom - 1, right, rect.bottom};
  else if (item.right == rect.left)
    joint = {rect.left, top, rect.left + 1, bottom};
  else if (item.left == rect.right)
    joint = {rect.right - 1, top, rect.right, bottom};
  if (joint.right > joint.left && joint.bottom > joint.top)
    FillRectDither(dc, joint, colors_.PopupBackColor, colors_.PopupFrameColor);
}

void TSkinAluminumTheme::DrawCloseButton(HDC dc, const RECT& rect, int itemState, int radius, TColor ground) {
  const TSkinItemColors& colors = colors_.Items.ToolbarItemColors[itemState];
  FillRoundRect(dc, rect, radius, colors[sicBack], radius, radius, radius);
  DrawRoundFrame(dc, rect, radius, colors[sicFrame], radius, radius, radius);
  DrawEngravedCross(dc, rect, Or(colors[sicBack], ground), itemState == tisPushed || itemState == tisHot);
}

namespace {
int CloseState(int bits) { return (bits & 4) ? tisPushed : (bits & 2) ? tisHot : tisNormal; }
}  // namespace

void TSkinAluminumTheme::DrawToolbarNonClient(ui::TCanvas& canvas, const RECT& rect, const TSkinToolbarNCInfo& info) {
  HDC dc = canvas.Handle();
  const TColor c = info.EffectiveColor;
  const POINT origin{rect.left, rect.top};
  if (info.BorderStyle == 1) {
    DitherTextureRect(dc, &origin, Inset(rect, 1), c, 12);
    Draw3DRoundFrame(dc, rect, 2, colors_.DarkFaceColor, ColorAddLight(c, 32), ColorAddLight(c, -96), 2, 2, 2);
  } else {
    DitherTextureRect(dc, &origin, rect, c, 12);
  }
  const RECT r = Inset(rect, 2);
  const int d = ToolbarDragHandleSize(info);
  if (d <= 0) return;
  const bool vertical = info.Vertical != 0, close = info.CloseButtonState & 1;
  if (info.DragHandleStyle != 1) {
    RECT grip = r;
    if (vertical) {
      grip.bottom = r.top + d - 2;
      if (close) grip.right -= d - 2;
    } else {
      grip.right = r.left + d - 2;
      if (close) grip.top += d - 2;
    }
    DrawDotGrid(dc, Inset(grip, 1), c, 1);
  }
  if (close) {
    RECT button = ToolbarCloseButtonRect(info, rect);
    OffsetRect(&button, vertical ? 0 : -1, vertical ? -1 : 0);
    DrawCloseButton(dc, button, CloseState(info.CloseButtonState), 1, c);
  }
}

void TSkinAluminumTheme::DrawFloatingFrame(ui::TCanvas& canvas, const RECT& rect, const TSkinFloatingFrameInfo& info) {
  HDC dc = canvas.Handle();
  const TColor f = NearestColorMix(kDark, clBlack, 220), w = info.BackgroundColor;
  const RECT inner{rect.left + info.BorderSize.cx, rect.top + info.BorderSize.cy, rect.right - info.BorderSize.cx,
                   rect.bottom - info.BorderSize.cy};
  if (info.RedrawParts & 1) {
    RECT r = rect;
    for (int i = 1; i < info.BorderSize.cx; ++i) FrameRectColor(dc, r, f, true);
    FrameRectColor(dc, r, w, false);
    const COLORREF corner = ResolveColor(NearestColorMix(f, w, 127));
    for (POINT p : {POINT{r.left, r.top}, POINT{r.right - 1, r.top}, POINT{r.left, r.bottom - 1},
                    POINT{r.right - 1, r.bottom - 1}})
      SetPixelV(dc, p.x, p.y, corner);
  }
  if (!info.CaptionShown) return;
  const int height = GetSystemMetrics(SM_CYSMCAPTION);
  const TColor back = colors_.ToolbarBackColor;
  const RECT band{inner.left, inner.top, inner.left + info.ClientWidth, inner.top + height - 2};
  // A caption repaint leaves the button's square alone: the button repaints itself.
  const bool shown = info.CloseButtonState & 1;
  const bool close = shown && (info.RedrawParts & 4);
  const RECT square{band.right - height, band.top, band.right, band.bottom};
  if (info.RedrawParts & 2) {
    const int saved = SaveDC(dc);
    if (shown) ExcludeClipRect(dc, square.left, square.top, square.right, square.bottom);
    FillGradientHalves(dc, band, back, true);
    Draw3DRoundFrame(dc, Inset(band, -1), 2, f, ColorAddLight(back, 32), ColorAddLight(back, -16), 0, 0, 2);
    DrawLineColor(dc, band.left, band.bottom, band.right, band.bottom, f);
    DrawLineColor(dc, band.left, band.bottom + 1, band.right, band.bottom + 1, w);
    RECT text = Inset(band, 2);
    if (shown) text.right -= height;
    DrawSkinText(dc, UtilsCaptionFont(), info.Caption, text,
                 DT_CENTER | DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_HIDEPREFIX, clBlack, false);
    RestoreDC(dc, saved);
  }
  if (close) {
    FillGradientHalves(dc, square, back, true);
    const RECT button{square.left + 3, square.top + 1, square.right - 1, square.bottom - 1};
    const int state = !info.Active ? tisDisabled : CloseState(info.CloseButtonState);
    DrawCloseButton(dc, button, state, 2, back);
  }
}

void TSkinAluminumTheme::DrawPanelNonClient(ui::TCanvas& canvas, const RECT& rect, const TSkinPanelNCInfo& info) {
  HDC dc = canvas.Handle();
  const TColor w = info.Color, back = colors_.ToolbarBackColor;
  const bool rotated = info.VerticalCaption;
  RECT r = rect;
  FrameRectColor(dc, r, colors_.DarkFaceColor, true);
  FrameRectColor(dc, r, w, false);
  const COLORREF corner = ResolveColor(colors_.DarkFaceColor);
  for (POINT p : {POINT{r.left, r.top}, POINT{r.right - 1, r.top}, POINT{r.left, r.bottom - 1},
                  POINT{r.right - 1, r.bottom - 1}})
    SetPixelV(dc, p.x, p.y, corner);
  if (!info.CaptionShown) return;
  const int c = GetSystemMetrics(SM_CYSMCAPTION);
  RECT strip = r;
  if (rotated) {
    strip.right = strip.left + c;
    DrawLineColor(dc, strip.right - 1, strip.top, strip.right - 1, strip.bottom, w);
    --strip.right;
  } else {
    strip.bottom = strip.top + c;
    DrawLineColor(dc, strip.left, strip.bottom - 1, strip.right, strip.bottom - 1, w);
    --strip.bottom;
  }
  const RECT fill = Inset(strip, 1);
  FillGradientHalves(dc, fill, back, !rotated);
  if (rotated)
    Draw3DRoundFrame(dc, strip, 2, colors_.DarkFaceColor, ColorAddLight(back, 32), ColorAddLight(back, -64), 0, 2, 0);
  else
    Draw3DRoundFrame(dc, strip, 2, colors_.DarkFaceColor, ColorAddLight(back, 32), ColorAddLight(back, -64), 0, 0, 2);
  RECT text = fill;
  if (info.CloseButtonState & 1) {
    const int side = c - 2;
    const RECT button = rotated ? RECT{fill.left, fill.bottom - side, fill.left + side, fill.bottom}
                                : RECT{fill.right - side, fill.top, fill.right, fill.top + side};
    (rotated ? text.bottom : text.right) = rotated ? button.top : button.left;
    DrawCloseButton(dc, Inset(button, 1), CloseState(info.CloseButtonState), 1, back);
  }
  DrawSkinText(dc, UtilsCaptionFont(), info.Caption, text,
               DT_CENTER | DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX, clBlack, rotated);
  canvas.Pen().SetColor(w);
}

void TSkinAluminumTheme::DrawStatusBarPart(ui::TCanvas& canvas, const RECT& rect, int part) {
  HDC dc = canvas.Handle();
  const TColor face = colors_.DimFaceColor;
  switch (part) {
    case 0: {
      RECT top = rect, rest = rect;
      top.bottom = rest.top = rect.top + (rect.bottom - rect.top) / 3;
      GradientFillRect(dc, top, ColorAddLight(face, 16), face, gdVertical);
      const POINT origin{rect.left, rect.top};
      DitherTextureRect(dc, &origin, rest, face, 8);
      return;
    }
    default:
      DrawLinedStatusPart(dc, rect, part, colors_.SeparatorColor, ColorAddLight(face, -64), ColorAddLight(face, 32), 1);
      return;
  }
}

// --- Registration ---------------------------------------------------------------------------

void SkinAluminumStart() {
  if (!ThemeClassExists("Aluminum")) AddThemeClass("Aluminum", &MakeSkinTheme<TSkinAluminumTheme>);
}

}  // namespace movra::skin
