#include "themes/skin_officexp.h"

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
  const TColor g = ColorBlend(clBtnShadow, clWindow, 90);
  c.MenuBarBackColor = clBtnFace;
  c.ToolbarBackColor = ColorBlend(clWindow, clBtnFace, 165);
  const TColor h = ContrastedColor(ColorBlend(clHighlight, clWindow, 30), c.ToolbarBackColor, 50);
  c.PopupBackColor = ColorBlend(clBtnFace, clWindow, 143);
  c.DockPanelBackColor = c.PopupBackColor;
  c.PopupFrameColor = ContrastedColor(ColorBlend(clBtnText, clBtnShadow, 20), c.PopupBackColor, 100);

  const TColor border = ContrastedColor(ColorBlend(clBtnText, clBtnShadow, 15), c.ToolbarBackColor, 120);
  const TColor inactiveText = ContrastedColor(g, clBtnFace, 120);
  c.ToolbarWindowColors[swrActive] = {border, clBtnShadow, ContrastedColor(clBtnHighlight, clBtnShadow, 180)};
  c.ToolbarWindowColors[swrInactive] = {border, clBtnFace, inactiveText};
  c.PanelWindowColors[swrActive] = {clBtnShadow, clBtnFace, clBtnText};
  c.PanelWindowColors[swrInactive] = {clBtnShadow, clBtnFace, inactiveText};

  TSkinItemRecipe recipe{};
  recipe.ToolbarBack = c.ToolbarBackColor;
  recipe.PopupBack = c.PopupBackColor;
  recipe.PopupFrame = c.PopupFrameColor;
  recipe.NormalText = clBtnText;
  recipe.DisabledText = g;
  recipe.Highlight = clHighlight;
  recipe.CheckedFace = clBtnFace;
  recipe.Hot = h;
  recipe.DisabledHotText = g;
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

}  // namespace movra::skin
