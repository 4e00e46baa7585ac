#include "themes/skin_officexp.h"

#include <algorithm>
#include <vector>

#include "runtime/text.h"
#include "themes/skin_default.h"
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
using ui::clWindowText;
constexpr TColor clMenuText = ui::SystemColor(COLOR_MENUTEXT);
constexpr TColor clWindowFrame = ui::SystemColor(COLOR_WINDOWFRAME);

}  // namespace

// --- Item states and tables ------------------------------------------------------------------

bool IsPopupMenuItem(const TItemDrawState& state) {
  return IsPopupMenuView(state.ViewKind) && (state.Options & idoToolbarStyle) == 0;
}

int ToolbarItemState(const TItemDrawState& state) {
  if (!state.Enabled) return state.Hover == 1 ? tisDisabledHot : tisDisabled;
  if (state.PopupOpen) return tisPopupOpen;
  if (state.Pushed) return tisPushed;
  if (state.Checked) return state.Hover != 0 ? tisCheckedHot : tisChecked;
  if (state.Hover != 0) return tisHot;
  return tisNormal;
}

int MenuItemState(const TItemDrawState& state) {
  if (state.Enabled) return state.Hover != 0 ? misHot : misNormal;
  return state.Hover == 1 ? misDisabledHot : misDisabled;
}

TColor TSkinItemPalette::ItemColor(const TItemDrawState& state, int part) const {
  if (IsPopupMenuItem(state)) return MenuItemColors[MenuItemState(state)][part];
  const TColor color = ToolbarItemColors[ToolbarItemState(state)][part];
  if (color == clNone && IsTransparentToolbar(state.ViewKind)) {
    if (part == sicBack) return ToolbarBackColor;
    if (part == sicFrame) return TransparentFrameColor;
  }
  return color;
}

TColor TSkinItemPalette::ButtonColor(const TItemDrawState& state, int part) const {
  const TColor color = ToolbarItemColors[ToolbarItemState(state)][part];
  if (!IsTransparentToolbar(state.ViewKind)) return color;
  if (part == sicBack && color == clNone) return ToolbarBackColor;
  if (part == sicFrame) {
    if (state.Checked) return clWindowFrame;
    if (color == clNone) return TransparentFrameColor;
  }
  return color;
}

void BuildItemTables(const TSkinItemRecipe& r, TSkinItemPalette& palette) {
  auto& t = palette.ToolbarItemColors;
  const TColor normalText = ContrastedColor(r.NormalText, r.ToolbarBack, 180);
  t[tisNormal] = {clNone, normalText, clNone};
  t[tisDisabled] = {clNone, ContrastedColor(r.DisabledText, r.ToolbarBack, 80), clNone};
  t[tisChecked] = {
      ContrastedColor(ColorBlend(r.Highlight, ColorBlend(r.CheckedFace, clWindow, 50), 10), r.ToolbarBack, 5),
      normalText, clHighlight};
  t[tisPushed] = {ColorBlend(r.Highlight, clWindow, 50), clHighlightText, clHighlight};
  t[tisHot] = {r.Hot, ContrastedColor(clMenuText, r.Hot, 180), ContrastedColor(clHighlight, r.ToolbarBack, 100)};
  t[tisDisabledHot] = {r.Hot, r.DisabledHotText, clHighlight};
  const TColor checkedHot = ContrastedColor(ColorBlend(r.Highlight, clWindow, 50), r.ToolbarBack, 30);
  t[tisCheckedHot] = {checkedHot, ContrastedColor(clHighlightText, checkedHot, 180),
                      ContrastedColor(clHighlight, checkedHot, 100)};
  t[tisPopupOpen] = {r.PopupOpenBack, normalText, r.PopupFrame};

  auto& m = palette.MenuItemColors;
  const TColor grey = ColorBlend(clGrayText, clWindow, 70);
  m[misNormal] = {clNone, ContrastedColor(clWindowText, r.PopupBack, 180), clNone};
  m[misDisabled] = {clNone, ContrastedColor(grey, r.PopupBack, 80), clNone};
  m[misHot] = t[tisHot];
  m[misDisabledHot] = {r.PopupBack, grey, clHighlight};
  palette.ToolbarBackColor = r.ToolbarBack;
}

TSkinItemRecipe BlendWindowColors(const TSkinGreys& greys, TColor toolbarBack, TColor popupBack, TColor& popupFrame,
                                  std::array<TSkinWindowColors, 2>& toolbarWindows,
                                  std::array<TSkinWindowColors, 2>& panelWindows) {
  const TColor dim = ColorBlend(greys.Shadow, clWindow, 90);
  popupFrame = ContrastedColor(ColorBlend(greys.Text, greys.Shadow, 20), popupBack, 100);
  const TColor border = ContrastedColor(ColorBlend(greys.Text, greys.Shadow, 15), toolbarBack, 120);
  const TColor inactiveText = ContrastedColor(dim, greys.Face, 120);
  toolbarWindows[swrActive] = {border, greys.Shadow, ContrastedColor(greys.Light, greys.Shadow, 180)};
  toolbarWindows[swrInactive] = {border, greys.Face, inactiveText};
  panelWindows[swrActive] = {greys.Shadow, greys.Face, greys.Text};
  panelWindows[swrInactive] = {greys.Shadow, greys.Face, inactiveText};

  TSkinItemRecipe recipe{};
  recipe.ToolbarBack = toolbarBack;
  recipe.PopupBack = popupBack;
  recipe.PopupFrame = popupFrame;
  recipe.NormalText = greys.Text;
  recipe.CheckedFace = greys.Face;
  recipe.DisabledHotText = dim;
  return recipe;
}

// --- The theme's colours -------------------------------------------------------------------

namespace {

TSkinOfficeXPColors LowColorTable() {
  TSkinOfficeXPColors c;
  c.MenuBarBackColor = clBtnFace;
  c.ToolbarBackColor = clBtnFace;
  c.PopupBackColor = clWindow;
  c.DockPanelBackColor = clWindow;
  c.PopupFrameColor = clBtnText;
  c.ToolbarWindowColors[swrActive] = {clBtnShadow, clBtnShadow, clBtnHighlight};
  c.ToolbarWindowColors[swrInactive] = {clBtnShadow, clBtnShadow, clBtnHighlight};
  c.PanelWindowColors[swrActive] = {clBtnShadow, clBtnFace, clBtnText};
  c.PanelWindowColors[swrInactive] = {clBtnShadow, clBtnFace, clBtnText};
  c.Items.MenuItemColors = {{{clNone, clWindowText, clNone},
                             {clNone, clGrayText, clNone},
                             {clWindow, clWindowText, clHighlight},
                             {clWindow, clGrayText, clHighlight}}};
  c.Items.ToolbarItemColors = {{{clNone, clBtnText, clNone},
                                {clNone, clBtnShadow, clNone},
                                {clWindow, clWindowText, clHighlight},
                                {clHighlight, clHighlightText, clHighlight},
                                {clWindow, clWindowText, clHighlight},
                                {clWindow, clBtnShadow, clHighlight},
                                {clHighlight, clHighlightText, clHighlight},
                                {clBtnFace, clBtnText, clBtnText}}};
  c.DragHandleColor = clBtnText;
  c.ToolbarSeparatorColor = clBtnShadow;
  c.MenuSeparatorColor = clBtnShadow;
  c.ImageShadowColor = clBtnFace;
  c.StatusPanelFrameColor = clBtnShadow;
  return c;
}

TSkinOfficeXPColors BlendedTable() {
  TSkinOfficeXPColors c;
  c.MenuBarBackColor = clBtnFace;
  c.ToolbarBackColor = ColorBlend(clWindow, clBtnFace, 165);
  const TColor h = ContrastedColor(ColorBlend(clHighlight, clWindow, 30), c.ToolbarBackColor, 50);
  c.PopupBackColor = ColorBlend(clBtnFace, clWindow, 143);
  c.DockPanelBackColor = c.PopupBackColor;
  TSkinItemRecipe recipe =
      BlendWindowColors({clBtnText, clBtnShadow, clBtnFace, clBtnHighlight}, c.ToolbarBackColor, c.PopupBackColor,
                        c.PopupFrameColor, c.ToolbarWindowColors, c.PanelWindowColors);
  recipe.DisabledText = recipe.DisabledHotText;
  recipe.Highlight = clHighlight;
  recipe.Hot = h;
  recipe.PopupOpenBack = c.ToolbarBackColor;
  BuildItemTables(recipe, c.Items);

  c.DragHandleColor = ContrastedColor(ColorBlend(clBtnShadow, clWindow, 75), c.ToolbarBackColor, 85);
  c.ToolbarSeparatorColor = ContrastedColor(ColorBlend(clBtnShadow, clWindow, 70), c.ToolbarBackColor, 50);
  c.MenuSeparatorColor = c.ToolbarSeparatorColor;
  c.ImageShadowColor = ColorBlend(ui::clBlack, h, 25);
  c.StatusPanelFrameColor = ContrastedColor(ColorBlend(clWindow, clBtnFace, 30), clBtnFace, 30);

  // What the screen can show; clNone entries stay clNone.
  c.ForEachColor([](TColor& color) { color = NearestColor(color); });
  c.Items.ToolbarBackColor = c.ToolbarBackColor;
  return c;
}

}  // namespace

TSkinOfficeXPColors OfficeXPColors(bool lowColor) { return lowColor ? LowColorTable() : BlendedTable(); }

// --- The theme -----------------------------------------------------------------------------

namespace {

// Glyph patterns, one byte a row, most significant bit leftmost.
constexpr uint8_t kCloseCross[] = {0xC3, 0x66, 0x3C, 0x18, 0x3C, 0x66, 0xC3};            // 8 x 7

// The caption-button glyphs, shared by the live instances.
int liveInstances = 0;
ui::TCustomImageList* captionGlyphs = nullptr;

RECT Inset(RECT r, int dx, int dy) {
  InflateRect(&r, -dx, -dy);
  return r;
}

void FillTriangle(HDC dc, POINT a, POINT b, POINT c, TColor color) {
  const POINT points[3] = {a, b, c};
  PolygonColor(dc, points, 2, color, color);
}

// Paints a one-pixel ring of `rect` with the checker of two colours.
void DitherRing(HDC dc, const RECT& rect, TColor c1, TColor c2) {
  HBRUSH brush = MakeDitherBrush(c1, c2);
  ::FrameRect(dc, &rect, brush);
  DeleteObject(brush);
}

// Fills `rect` except for `inner`.
void FillRing(HDC dc, const RECT& rect, const RECT& inner, TColor color) {
  const int saved = SaveDC(dc);
  ExcludeClipRect(dc, inner.left, inner.top, inner.right, inner.bottom);
  FillRectColor(dc, rect, color);
  RestoreDC(dc, saved);
}

// Text in one colour on a clear background, with the DC's current font.
void DrawTextColor(HDC dc, const std::string& text, const RECT& rect, UINT format, TColor color, bool rotated) {
  const COLORREF oldColor = SetTextColor(dc, ResolveColor(color));
  const int oldMode = SetBkMode(dc, TRANSPARENT);
  if (rotated) {
    bars::DrawVerticalCaption(dc, text, rect, format);
  } else {
    std::wstring wide = Utf8ToWide(text);
    RECT r = rect;
    DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &r, format);
  }
  SetBkMode(dc, oldMode);
  SetTextColor(dc, oldColor);
}

void DrawCaptionText(HDC dc, const std::string& text, const RECT& rect, TColor color, bool rotated) {
  HGDIOBJ oldFont = SelectObject(dc, UtilsCaptionFont());
  DrawTextColor(dc, text, rect, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX, color, rotated);
  SelectObject(dc, oldFont);
}

bool IsToolbarView(int viewKind) { return (viewKind & vkToolbarFamily) != 0; }
bool IsPanelView(int viewKind) { return (viewKind & 0x4000) != 0; }
bool IsMenuBarView(int viewKind) { return (viewKind & vkMenuBar) == vkMenuBar; }

// The toolbar item state of a close button from the bits of a frame record (1 shown, 2 hot,
// 4 pressed).
int CloseButtonItemState(int bits) {
  if (bits & 4) return tisPushed;
  if (bits & 2) return tisHot;
  return tisNormal;
}

}  // namespace

TSkinOfficeXPTheme::TSkinOfficeXPTheme(const std::string& name) : TSkinTheme(name) {
  if (liveInstances++ == 0) {
    captionGlyphs = new ui::TCustomImageList(nullptr, 16, 16);
    captionGlyphs->ResourceLoad(GetModuleHandleW(nullptr), kSkinGlyphsResource, ui::clWhite);
  }
  ThemeManagerListen(this);
  RebuildColors();
}

TSkinOfficeXPTheme::~TSkinOfficeXPTheme() {
  ThemeManagerUnlisten(this);
  if (--liveInstances == 0) {
    delete captionGlyphs;
    captionGlyphs = nullptr;
  }
}

ui::TCustomImageList* TSkinOfficeXPTheme::CaptionGlyphs() { return captionGlyphs; }

void TSkinOfficeXPTheme::RebuildColors() { colors_ = OfficeXPColors(SkinSystem().LowColorDisplay); }

void TSkinOfficeXPTheme::Dispatch(TMessage& message) {
  if (message.Msg == SKM_SYSTEMCHANGE && message.WParam == scpChange) RebuildColors();
}

// --- Queries --------------------------------------------------------------------------------

void TSkinOfficeXPTheme::GetGlyphShift(ui::TCanvas&, const TItemDrawState& state, POINT& offset) {
  const bool lifted = state.Enabled && state.Hover != 0 && !state.Checked && (!state.Pushed || state.PopupOpen);
  offset = lifted ? POINT{-1, -1} : POINT{0, 0};
}

TColor TSkinOfficeXPTheme::GetItemBackColor(const TItemDrawState& state) {
  const TColor color = ItemColor(state, sicBack);
  return color == clNone ? GetViewBackColor(state.ViewKind) : color;
}

TColor TSkinOfficeXPTheme::GetItemCaptionColor(const TItemDrawState& state) { return ItemColor(state, sicText); }

TColor TSkinOfficeXPTheme::GetGlyphBackColor(const TItemDrawState& state) {
  const TColor color = ButtonColor(state, sicBack);
  return color == clNone ? GetViewBackColor(state.ViewKind) : color;
}

void TSkinOfficeXPTheme::GetItemMargins(int kind, TSkinMargins& margins) {
  switch (kind) {
    case smkToolbarItem: margins = {2, 2, 2, 2}; break;
    case smkMenuItem: margins = {1, 1, 3, 3}; break;
    case smkStatusPanel: margins = {1, 3, 1, 1}; break;
    default: margins = {0, 0, 0, 0};
  }
}

int TSkinOfficeXPTheme::GetShadowKind() { return 2; }

void TSkinOfficeXPTheme::GetViewBorderSize(int viewKind, SIZE& size) {
  if ((IsToolbarView(viewKind) || IsPanelView(viewKind)) && !IsPopupView(viewKind)) {
    if (viewKind & vkFloating) {
      if (viewKind & vkResizable)
        size = {GetSystemMetrics(SM_CXFRAME) - 1, GetSystemMetrics(SM_CYFRAME) - 1};
      else
        size = {GetSystemMetrics(SM_CXDLGFRAME) - 1, GetSystemMetrics(SM_CYDLGFRAME) - 1};
    } else {
      size = {2, 2};
    }
  } else if (IsPopupView(viewKind)) {
    size = IsPopupMenuView(viewKind) ? SIZE{1, 2} : SIZE{2, 2};
  } else {
    size = {0, 0};
  }
}

TColor TSkinOfficeXPTheme::GetViewBackColor(int viewKind) {
  if (IsToolbarView(viewKind)) return IsMenuBarView(viewKind) ? colors_.MenuBarBackColor : colors_.ToolbarBackColor;
  if (IsPopupView(viewKind)) return IsListPopupView(viewKind) ? clWindow : colors_.PopupBackColor;
  if (IsPanelView(viewKind)) return colors_.DockPanelBackColor;
  return clBtnFace;
}

void TSkinOfficeXPTheme::GetViewPadding(int, TSkinMargins& margins) { margins = {0, 0, 0, 0}; }

int TSkinOfficeXPTheme::GetMetric(int id) {
  switch (id) {
    case 10: return 12;
    case 20: return 8;
    case 21: case 33: case 34: case 35: return 3;
    case 32: return 5;
    case 36: case 37: case 61: case 62: return 2;
    case 50: return 6;
    case 60: case 66: return 1;
    case 65: return 14;
    default: return -1;
  }
}

bool TSkinOfficeXPTheme::GetFlag(int id) { return id == 1 || id == 3 || id == 7; }

// --- Items ----------------------------------------------------------------------------------

void TSkinOfficeXPTheme::DrawViewBackground(ui::TCanvas& canvas, const RECT&, const RECT& paint, const RECT& clip,
                                            TColor backColor, bool paintedUnderneath, int) {
  if (paintedUnderneath) return;
  RECT r;
  if (IntersectRect(&r, &paint, &clip)) FillRectColor(canvas.Handle(), r, backColor);
}

void TSkinOfficeXPTheme::DrawButtonFace(ui::TCanvas& canvas, const RECT& rect, const TItemDrawState& state) {
  HDC dc = canvas.Handle();
  RECT r = rect;
  if (state.Part == 3) r.left -= 1;
  if ((state.Options & idoDesigning) && !state.Checked) {
    FrameRectColor(dc, r, NearestColor(ColorMix(clBtnShadow, clBtnFace, 100)), false);
  } else {
    if (state.Part == 2 && state.PopupOpen) r.right += 1;
    FrameRectColor(dc, r, ButtonColor(state, sicFrame), true);
    FillRectColor(dc, r, ButtonColor(state, sicBack));
  }
  if (state.Part == 3) DrawDropArrow(canvas, rect, state);
}

void TSkinOfficeXPTheme::DrawItemCaption(ui::TCanvas& canvas, const RECT& rect, const TItemDrawState& state,
                                         const std::string& caption, UINT format, bool rotated) {
  TColor color = canvas.Font().Color();
  if (color == clNone) color = ItemColor(state, sicText);
  HDC dc = canvas.Handle();
  HGDIOBJ oldFont = SelectObject(dc, canvas.Font().Handle());
  DrawTextColor(dc, caption, rect, format, color, rotated);
  SelectObject(dc, oldFont);
}

void TSkinOfficeXPTheme::DrawCheckGlyph(ui::TCanvas& canvas, const RECT& rect, const TItemDrawState& state) {
  const int x = (rect.left + rect.right) / 2, y = (rect.top + rect.bottom) / 2;
  const POINT points[] = {{x - 4, y - 1}, {x - 2, y + 1}, {x + 2, y - 3}, {x + 2, y - 2},
                          {x - 2, y + 2}, {x - 4, y},     {x - 4, y - 1}};
  PolylineColor(canvas.Handle(), points, 6, ButtonColor(state, sicText));
}

void TSkinOfficeXPTheme::DrawDropArrow(ui::TCanvas& canvas, const RECT& rect, const TItemDrawState& state) {
  const int x = (rect.left + rect.right) / 2, y = (rect.top + rect.bottom) / 2;
  const TColor color = ItemColor(state, sicText);
  if (state.Vertical)
    FillTriangle(canvas.Handle(), {x, y + 1}, {x, y - 3}, {x - 2, y - 1}, color);
  else
    FillTriangle(canvas.Handle(), {x - 2, y - 1}, {x + 2, y - 1}, {x, y + 1}, color);
}

void TSkinOfficeXPTheme::DrawChevronGlyph(ui::TCanvas& canvas, const RECT& rect, const TItemDrawState& state) {
  DrawButtonFace(canvas, rect, state);
  DrawChevronPattern(canvas.Handle(), rect, state.Vertical, 0, 0, ItemColor(state, sicText));
}

void TSkinOfficeXPTheme::DrawFieldFrame(ui::TCanvas& canvas, const RECT& rect, const TItemDrawState& state) {
  RECT r = rect;
  FrameRectColor(canvas.Handle(), r, ItemColor(state, sicFrame), true);
  FillRectColor(canvas.Handle(), r, ItemColor(state, sicBack));
}

void TSkinOfficeXPTheme::DrawEditBox(ui::TCanvas& canvas, const RECT& rect, const TItemDrawState& state,
                                     const TSkinEditBoxInfo& info) {
  HDC dc = canvas.Handle();
  DrawFieldFrame(canvas, rect, state);
  const int inset = GetMetric(smEditBoxInset);
  RECT r = Inset(rect, inset, inset);
  const bool transparent = IsTransparentToolbar(state.ViewKind);
  if (!state.Enabled && !transparent) FrameRectColor(dc, r, colors_.Items.ToolbarItemColors[tisDisabled][sicText], false);
  const int w = info.RightButtonWidth;
  if (w > 0) r.right += 2 - w;
  if (state.Enabled) {
    const bool toolbar = IsToolbarView(state.ViewKind);
    const TColor itemFrame = ItemColor(state, sicFrame);
    FrameRectColor(dc, r, toolbar || itemFrame != clNone ? clWindow : colors_.ToolbarBackColor, true);
    FillRectColor(dc, r, clWindow);
    if (!toolbar && itemFrame == clNone) {
      RECT outer = Inset(rect, 1, 1);
      FrameRectColor(dc, outer, colors_.ToolbarBackColor, false);
    }
  }
  if (w >= 1) {
    RECT button = Inset(rect, inset, inset);
    button.left = button.right - w;
    DrawEditBoxButton(canvas, button, state, info.Button);
  }
}

void TSkinOfficeXPTheme::DrawEditBoxButton(ui::TCanvas& canvas, const RECT& rect, const TItemDrawState& state,
                                           const TSkinEditButtonInfo& info) {
  HDC dc = canvas.Handle();
  RECT r = Inset(rect, -1, -1);
  r.left += 1;
  const bool disabled = (info.State & 1) || !state.Enabled;
  const bool hot = (info.State & 2) != 0;
  const bool transparent = IsTransparentToolbar(state.ViewKind);
  auto face = [&](const RECT& part, bool pressed) {
    if (disabled) return;
    if (pressed || hot || transparent) {
      TItemDrawState s = state;
      s.Pushed = pressed;
      DrawButtonFace(canvas, part, s);
    } else if (IsToolbarView(state.ViewKind)) {
      RECT around = rect;
      FrameRectColor(dc, around, clWindow, false);
      DrawLineColor(dc, part.left - 1, part.top, part.left - 1, part.bottom, clWindow);
    }
  };
  if (info.Kind == 1) {
    face(r, (info.State & 4) != 0);
    DrawDropArrow(canvas, r, state);
  } else if (info.Kind == 2) {
    const int middle = (r.top + r.bottom) / 2;
    const TColor color = ItemColor(state, sicText);
    RECT upper = r, lower = r;
    upper.bottom = middle;
    lower.top = middle;
    face(upper, (info.State & 4) != 0);
    int x = (upper.left + upper.right) / 2, y = (upper.top + upper.bottom) / 2;
    FillTriangle(dc, {x - 2, y + 1}, {x + 2, y + 1}, {x, y - 1}, color);
    face(lower, (info.State & 8) != 0);
    x = (lower.left + lower.right) / 2;
    y = (lower.top + lower.bottom) / 2;
    FillTriangle(dc, {x - 2, y - 1}, {x + 2, y - 1}, {x, y + 1}, color);
  }
}

void TSkinOfficeXPTheme::DrawGlyph(ui::TCanvas& canvas, const RECT& rect, const TItemDrawState& state,
                                   ui::TCustomImageList* images, int index) {
  if (!images || index < 0 || index >= images->Count()) return;
  const bool dark = ColorIsDark(GetGlyphBackColor(state), 64);
  if (!state.Enabled) {
    DrawImageSilhouette(canvas, rect, *images, index, colors_.Items.ToolbarItemColors[tisDisabled][sicText]);
    return;
  }
  if (state.Checked || state.Pushed || state.Hover != 0) {
    RECT r = rect;
    if (state.Hover != 0 && !state.Checked && (!state.Pushed || state.PopupOpen)) {
      RECT shadow = rect;
      OffsetRect(&shadow, 1, 1);
      DrawImageSilhouette(canvas, shadow, *images, index, colors_.ImageShadowColor);
      OffsetRect(&r, -1, -1);
    }
    DrawImageBrightened(canvas, r, *images, index, dark);
    return;
  }
  const TSkinSystemState& system = SkinSystem();
  if (!dark && !system.ButtonFaceIsWhite && !system.LowColorDisplay)
    DrawImageBlended(canvas, rect, *images, index, clWindow, 178);
  else
    DrawImageBrightened(canvas, rect, *images, index, dark);
}

void TSkinOfficeXPTheme::DrawCaptionButton(ui::TCanvas& canvas, const RECT& rect, const TSkinCaptionButtonInfo& info,
                                           int kind) {
  TItemDrawState state{};
  state.ViewKind = vkToolbar;
  state.Options = idoToolbarStyle;
  state.Enabled = 1;
  state.Pushed = info.Pushed;
  state.Hover = info.Hover ? 2 : 0;
  DrawButtonFace(canvas, rect, state);
  // Kinds 0 close, 1 minimise, 2 maximise, 3 restore; the resource holds close, maximise,
  // minimise, restore.
  static constexpr int kGlyphOfKind[] = {0, 2, 1, 3};
  if (kind < 0 || kind > 3 || !captionGlyphs || captionGlyphs->Count() < 4) return;
  RECT r = rect;
  r.bottom -= 1;
  DrawImageMaskCentred(canvas.Handle(), r, *captionGlyphs, kGlyphOfKind[kind], ItemColor(state, sicText));
}

void TSkinOfficeXPTheme::DrawSelectionFill(ui::TCanvas& canvas, const RECT& rect, const TItemDrawState& state) {
  RECT r = rect;
  if (!IsToolboxPopupView(state.ViewKind)) {
    const RECT gutter{rect.left, rect.top, rect.left + state.ImageColumnWidth + 2, rect.bottom};
    FillRectColor(canvas.Handle(), gutter, colors_.ToolbarBackColor);
    r.left += 1;
    r.right -= 1;
  }
  DrawFieldFrame(canvas, r, state);
}

void TSkinOfficeXPTheme::DrawMenuItemFace(ui::TCanvas& canvas, const RECT& rect, const TItemDrawState& state) {
  HDC dc = canvas.Handle();
  const int w = GetSystemMetrics(SM_CXMENUCHECK);
  DrawSelectionFill(canvas, rect, state);
  const TColor text = ItemColor(state, sicText);
  if (state.Options & idoSplit) {
    const int x = rect.right - w - 1;
    TColor color = text;
    if (state.Enabled) color = state.Hover == 2 ? ItemColor(state, sicFrame) : colors_.MenuSeparatorColor;
    DrawLineColor(dc, x, rect.top + 1, x, rect.bottom - 1, color);
  }
  if (state.Options & idoSubmenu) {
    // Centred on the item whatever the canvas origin.
    const int c = (rect.top + rect.bottom) / 2, e = rect.right - 2 * w / 3;
    FillTriangle(dc, {e - 1, c - 3}, {e - 1, c + 3}, {e + 2, c}, text);
  }
  if (state.Checked && state.Enabled) {
    RECT box{rect.left + 1, rect.top, rect.left + 1 + state.ImageColumnWidth, rect.bottom};
    box = Inset(box, 1, 1);
    FrameRectColor(dc, box, ButtonColor(state, sicFrame), true);
    FillRectColor(dc, box, ButtonColor(state, sicBack));
  }
}

void TSkinOfficeXPTheme::DrawSeparatorLine(ui::TCanvas& canvas, const RECT& rect, const TItemDrawState& state,
                                           bool horizontal, bool) {
  HDC dc = canvas.Handle();
  if (!horizontal) {
    const int x = (rect.left + rect.right) / 2;
    if (state.Enabled) DrawLineColor(dc, x, rect.top, x, rect.bottom, colors_.ToolbarSeparatorColor);
    return;
  }
  int left = rect.left;
  TColor color = colors_.ToolbarSeparatorColor;
  if (!(state.Options & idoToolbarStyle) && !IsToolboxPopupView(state.ViewKind)) {
    const RECT gutter{rect.left, rect.top, rect.left + state.ImageColumnWidth + 2, rect.bottom};
    FillRectColor(dc, gutter, colors_.ToolbarBackColor);
    left = rect.left + state.ImageColumnWidth + 9;
    color = colors_.MenuSeparatorColor;
  }
  const int y = (rect.top + rect.bottom) / 2;
  if (state.Enabled) DrawLineColor(dc, left, y, rect.right, y, color);
}

void TSkinOfficeXPTheme::DrawScrollerButton(ui::TCanvas& canvas, const RECT& rect, int direction, bool active) {
  HDC dc = canvas.Handle();
  const TSkinItemColors& hot = colors_.Items.ToolbarItemColors[tisHot];
  RECT r = rect;
  FrameRectColor(dc, r, active ? hot[sicFrame] : clBtnShadow, true);
  FillRectColor(dc, r, active ? hot[sicBack] : clBtnFace);
  const TColor color = active ? hot[sicText] : colors_.Items.ToolbarItemColors[tisNormal][sicText];
  const int cx = (rect.left + rect.right) / 2, cy = (rect.top + rect.bottom) / 2;
  const int least = std::min(cx - rect.left, cy - rect.top);
  const int s = 3 * least / 4, m = 3 * least / 8;
  switch (direction) {
    case 1: FillTriangle(dc, {cx + s, cy + m}, {cx, cy + m - s}, {cx - s, cy + m}, color); break;
    case 2: {
      const int y = (rect.top + rect.bottom - 1) / 2 - m;
      FillTriangle(dc, {cx + s, y}, {cx, y + s}, {cx - s, y}, color);
      break;
    }
    case 3: FillTriangle(dc, {cx + m, cy + s}, {cx + m - s, cy}, {cx + m, cy - s}, color); break;
    case 4: {
      const int x = (rect.left + rect.right - 1) / 2 - m;
      FillTriangle(dc, {x, cy + s}, {x + s, cy}, {x, cy - s}, color);
      break;
    }
    default: break;
  }
}

void TSkinOfficeXPTheme::DrawCheckControl(ui::TCanvas& canvas, const RECT& rect, int kind, int bits) {
  HDC dc = canvas.Handle();
  const auto& t = colors_.Items.ToolbarItemColors;
  const bool checked = bits & 1, mixed = bits & 2, disabled = bits & 4, hot = bits & 8, pressed = bits & 0x10;
  TColor frame = clBtnShadow, fill = clNone, mark = t[tisNormal][sicText];
  if (disabled) {
    mark = t[tisDisabled][sicText];
  } else if (pressed) {
    frame = t[tisPushed][sicFrame];
    fill = t[tisPushed][sicBack];
    mark = t[tisPushed][sicText];
  } else if (hot) {
    frame = t[tisHot][sicFrame];
    fill = t[tisHot][sicBack];
    mark = mixed ? clBtnShadow : t[tisHot][sicText];
  } else if (mixed) {
    mark = clBtnShadow;
  }
  const bool checker = !disabled && !pressed && !hot && mixed;
  const int x = (rect.left + rect.right) / 2, y = (rect.top + rect.bottom) / 2;
  RECT r = Inset(rect, 1, 1);
  if (kind == 1) {
    FrameRectColor(dc, r, frame, true);
    if (checker)
      FillRectDither(dc, r, clWindow, clBtnFace);
    else
      FillRectColor(dc, r, fill);
    if (checked || mixed) {
      const POINT points[] = {{x - 3, y + 1}, {x - 1, y + 3}, {x + 3, y - 1}, {x + 3, y - 3},
                              {x - 1, y + 1}, {x - 3, y - 1}, {x - 3, y + 1}};
      PolygonColor(dc, points, 6, mark, mark);
    }
  } else if (kind == 2) {
    HPEN pen = MakePen(frame);
    HBRUSH brush = checker ? MakeDitherBrush(clWindow, clBtnFace) : MakeBrush(fill);
    HGDIOBJ oldPen = SelectObject(dc, pen), oldBrush = SelectObject(dc, brush);
    Ellipse(dc, r.left, r.top, r.right, r.bottom);
    if (checked) {
      DeleteObject(SelectObject(dc, MakePen(mark)));
      DeleteObject(SelectObject(dc, MakeBrush(mark)));
      const RECT dot = Inset(r, 3, 3);
      Ellipse(dc, dot.left, dot.top, dot.right, dot.bottom);
    }
    DeleteObject(SelectObject(dc, oldPen));
    DeleteObject(SelectObject(dc, oldBrush));
  }
}

// --- Windows --------------------------------------------------------------------------------

void TSkinOfficeXPTheme::DrawDockBackground(ui::TCanvas&, const RECT&, const RECT&, int) {}

void TSkinOfficeXPTheme::DrawPopupBorder(ui::TCanvas& canvas, const RECT& rect, const TSkinPopupBorderInfo& info) {
  HDC dc = canvas.Handle();
  RECT r = rect;
  FrameRectColor(dc, r, colors_.PopupFrameColor, true);
  FillRectColor(dc, r, colors_.PopupBackColor);
  const RECT& item = info.OpeningItem;
  if (IsRectEmpty(&item)) return;
  // The frame segment the popup shares with its opener, clipped to the popup, ends pulled in.
  const int left = std::max(item.left, rect.left) + 1, right = std::min(item.right, rect.right) - 1;
  const int top = std::max(item.top, rect.top) + 1, bottom = std::min(item.bottom, rect.bottom) - 1;
  const TColor joint = colors_.ToolbarBackColor;
  if (item.bottom == rect.top) {
    if (left < right) DrawLineColor(dc, left, rect.top, right, rect.top, joint);
  } else if (item.top == rect.bottom) {
    if (left < right) DrawLineColor(dc, left, rect.bottom - 1, right, rect.bottom - 1, joint);
  } else if (item.right == rect.left) {
    if (top < bottom) DrawLineColor(dc, rect.left, top, rect.left, bottom, joint);
  } else if (item.left == rect.right) {
    if (top < bottom) DrawLineColor(dc, rect.right - 1, top, rect.right - 1, bottom, joint);
  }
}

void TSkinOfficeXPTheme::DrawCloseButton(HDC dc, const RECT& rect, int itemState) {
  const TSkinItemColors& colors = colors_.Items.ToolbarItemColors[itemState];
  RECT r = rect;
  FrameRectColor(dc, r, colors[sicFrame], true);
  FillRectColor(dc, r, colors[sicBack]);
  DrawPatternGlyph(dc, r, 8, 7, kCloseCross, colors[sicText]);
}

void TSkinOfficeXPTheme::DrawFloatingFrame(ui::TCanvas& canvas, const RECT& rect, const TSkinFloatingFrameInfo& info) {
  HDC dc = canvas.Handle();
  const TColor previous = canvas.Brush().Color();
  const int row = info.Active ? swrActive : swrInactive;
  const bool panel = IsPanelView(info.ViewKind);
  const TSkinWindowColors& frame = (panel ? colors_.PanelWindowColors : colors_.ToolbarWindowColors)[row];
  const RECT inner = Inset(rect, info.BorderSize.cx, info.BorderSize.cy);
  if (info.RedrawParts & 1) {
    FillRing(dc, rect, inner, frame.Border);
    const int x = inner.left, y = inner.top, r = inner.right, b = inner.bottom;
    if (panel) {
      const POINT points[] = {{x, y - 1}, {r - 1, y - 1}, {r, y}, {r, b}, {x - 1, b}, {x - 1, y}, {x, y - 1}};
      PolylineColor(dc, points, 6, previous);
    } else {
      const POINT points[] = {{x, y - 1},     {r - 1, y - 1}, {r, y},     {r, b - 1}, {r - 1, b},
                              {x, b},         {x - 1, b - 1}, {x - 1, y}, {x, y - 1}};
      PolylineColor(dc, points, 8, previous);
    }
  }
  if (!info.CaptionShown) return;
  const TSkinWindowColors& caption =
      (IsToolbarView(info.ViewKind) ? colors_.ToolbarWindowColors : colors_.PanelWindowColors)[row];
  const int height = GetSystemMetrics(SM_CYSMCAPTION) - 1;
  const RECT bar{inner.left, inner.top, inner.left + info.ClientWidth, inner.top + height};
  // A caption repaint leaves the button's square alone: the button repaints itself.
  const bool shown = info.CloseButtonState & 1;
  const bool close = shown && (info.RedrawParts & 4);
  if (info.RedrawParts & 2) {
    DrawLineColor(dc, bar.left, bar.bottom - 1, bar.right, bar.bottom - 1, previous);
    RECT fill{bar.left, bar.top, bar.right, bar.bottom - 1};
    if (shown) fill.right -= height;
    FillRectColor(dc, fill, caption.Caption);
    fill = Inset(fill, 2, 0);
    DrawCaptionText(dc, info.Caption, fill, caption.CaptionText, false);
  }
  if (close) {
    const int state = info.Active ? CloseButtonItemState(info.CloseButtonState) : tisDisabled;
    // An idle button has neither frame nor fill: it stands on the caption, laid again under it
    // so that a hot or pushed face goes.
    const RECT button{bar.right - height, bar.top, bar.right, bar.bottom - 1};
    FillRectColor(dc, button, caption.Caption);
    DrawCloseButton(dc, button, state);
  }
}

void TSkinOfficeXPTheme::DrawToolbarNonClient(ui::TCanvas& canvas, const RECT& rect, const TSkinToolbarNCInfo& info) {
  HDC dc = canvas.Handle();
  const TColor brush = canvas.Brush().Style() == ui::TBrushStyle::bsClear ? clNone : canvas.Brush().Color();
  RECT r = Inset(rect, 1, 1);
  if (info.BorderStyle == 1) {
    const int luminance = ColorLuminance(clBtnFace);
    const bool low = SkinSystem().LowColorDisplay;
    if ((!low && luminance >= 50 && luminance <= 254) || IsMenuBarView(info.ViewKind)) {
      const int x = r.left, y = r.top, right = r.right - 1, bottom = r.bottom - 1;
      const POINT points[] = {{x + 1, y},      {right - 1, y}, {right, y + 1}, {right, bottom - 1},
                              {right - 1, bottom}, {x + 1, bottom}, {x, bottom - 1}, {x, y + 1}};
      PolygonColor(dc, points, 7, canvas.Brush().Color(), brush);
    } else {
      DitherRing(dc, r, colors_.ToolbarBackColor, colors_.Items.ToolbarItemColors[tisDisabled][sicText]);
      FillRectColor(dc, Inset(r, 1, 1), brush);
    }
  }
  r = Inset(r, 1, 1);
  const bool closeShown = (info.CloseButtonState & 1) != 0;
  const int style = info.DragHandleStyle;
  const int d = ToolbarDragHandleSize(info);
  if (d <= 0) return;
  const bool vertical = info.Vertical != 0;
  // The grip: a band three pixels wide across the handle strip, dashed every second pixel.
  if (style != 1) {
    const int offset = closeShown ? 5 : (style == 0 ? 2 : 1);
    const int start = closeShown ? d - 2 : 0;
    if (vertical) {
      // The close button sits at the right end here: the band stops short of it.
      const int y0 = r.top + offset;
      for (int x = r.left + 3; x < r.right - start - 3; x += 2)
        DrawLineColor(dc, x, y0, x, y0 + 3, colors_.DragHandleColor);
    } else {
      const int x0 = r.left + offset;
      for (int y = r.top + start + 3; y < r.bottom - 3; y += 2)
        DrawLineColor(dc, x0, y, x0 + 3, y, colors_.DragHandleColor);
    }
  }
  if (closeShown) {
    const RECT button = ToolbarCloseButtonRect(info, rect);
    DrawCloseButton(dc, button, CloseButtonItemState(info.CloseButtonState));
  }
}

void TSkinOfficeXPTheme::DrawPanelNonClient(ui::TCanvas& canvas, const RECT& rect, const TSkinPanelNCInfo& info) {
  HDC dc = canvas.Handle();
  const TColor c = info.Color;
  const bool rotated = info.VerticalCaption != 0;
  RECT r = rect;
  const int luminance = ColorLuminance(clBtnFace);
  // The two outer corners at the caption's end.
  auto captionCorners = [&](const RECT& ring, TColor color) {
    if (rotated) {
      SetPixelV(dc, ring.left, ring.top, ResolveColor(color));
      SetPixelV(dc, ring.left, ring.bottom - 1, ResolveColor(color));
    } else {
      SetPixelV(dc, ring.left, ring.top, ResolveColor(color));
      SetPixelV(dc, ring.right - 1, ring.top, ResolveColor(color));
    }
  };
  if (SkinSystem().LowColorDisplay || luminance < 64 || luminance > 250) {
    FrameRectColor(dc, r, c, true);
    DitherRing(dc, r, c, luminance >= 64 ? clBtnShadow : ui::clWhite);
    captionCorners(r, c);
    r = Inset(r, 1, 1);
    FrameRectColor(dc, r, c, false);
  } else {
    FrameRectColor(dc, r, clBtnFace, true);
    FrameRectColor(dc, r, c, false);
    captionCorners(r, clBtnFace);
  }
  if (!info.CaptionShown) return;
  const RECT inner = Inset(rect, info.BorderSize.cx, info.BorderSize.cy);
  const int size = GetSystemMetrics(SM_CYSMCAPTION);
  RECT strip = inner;
  if (rotated) {
    strip.right = strip.left + size;
    DrawLineColor(dc, strip.right - 1, strip.top, strip.right - 1, strip.bottom, c);
    strip.right -= 1;
  } else {
    strip.bottom = strip.top + size;
    DrawLineColor(dc, strip.left, strip.bottom - 1, strip.right, strip.bottom - 1, c);
    strip.bottom -= 1;
  }
  FillRectColor(dc, strip, clBtnFace);
  RECT text = strip;
  if (info.CloseButtonState & 1) {
    const int side = size - 1;
    RECT button;
    if (rotated) {
      button = {strip.left, strip.bottom - side, strip.left + side, strip.bottom};
      text.bottom -= side;
    } else {
      button = {strip.right - side, strip.top, strip.right, strip.top + side};
      text.right -= side;
    }
    DrawCloseButton(dc, button, CloseButtonItemState(info.CloseButtonState));
  }
  if (rotated)
    text = Inset(text, 0, 4);
  else
    text = Inset(text, 4, 0);
  DrawCaptionText(dc, info.Caption, text, colors_.PanelWindowColors[swrActive].CaptionText, rotated);
}

void TSkinOfficeXPTheme::DrawStatusBarPart(ui::TCanvas& canvas, const RECT& rect, int part) {
  HDC dc = canvas.Handle();
  RECT r = rect;
  switch (part) {
    case 0: FillRectColor(dc, r, clBtnFace); break;
    case 1: r.right -= 2; [[fallthrough]];
    case 2: FrameRectColor(dc, r, colors_.StatusPanelFrameColor, false); break;
    case 3: DrawSizeGrip(dc, rect, clBtnFace, false); break;
    default: break;
  }
}

// --- Registration ---------------------------------------------------------------------------

void SkinOfficeXPStart() {
  if (!ThemeClassExists("OfficeXP")) AddThemeClass("OfficeXP", &MakeSkinTheme<TSkinOfficeXPTheme>);
}

}  // namespace movra::skin
