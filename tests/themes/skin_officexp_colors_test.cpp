// The flat theme's colour tables from injected classic colours, the low-colour column, the item
// states and the two table lookups, and the caption-button glyph resource.
#include <gtest/gtest.h>

#include <set>

#include "tests/themes/skin_test_support.h"
#include "themes/skin_officexp.h"

namespace movra::skin {
namespace {

using ui::clNone;

constexpr TColor Grey(int v) { return static_cast<TColor>(RGB(v, v, v)); }

TItemDrawState State(int viewKind, bool enabled, int hover, bool pushed = false, bool checked = false,
                     bool popupOpen = false, uint32_t options = 0) {
  TItemDrawState s{};
  s.ViewKind = viewKind;
  s.Options = options;
  s.Enabled = enabled;
  s.Hover = static_cast<uint8_t>(hover);
  s.Pushed = pushed;
  s.Checked = checked;
  s.PopupOpen = popupOpen;
  return s;
}

class OfficeXPColorTables : public ::testing::Test {
 protected:
  test::ClassicColors classic;
};

TEST_F(OfficeXPColorTables, ClassicColoursGiveTheBlendsOfTheRules) {
  const TSkinOfficeXPColors c = OfficeXPColors(false);
  const auto& menu = c.Items.MenuItemColors;
  const auto& bar = c.Items.ToolbarItemColors;
  EXPECT_EQ(c.MenuBarBackColor, Grey(192));
  EXPECT_EQ(c.ToolbarBackColor, Grey(202));
  EXPECT_EQ(c.PopupBackColor, Grey(246));
  EXPECT_EQ(c.DockPanelBackColor, Grey(246));
  EXPECT_EQ(c.PopupFrameColor, Grey(102));
  EXPECT_EQ(menu[misDisabled][sicText], Grey(166));
  EXPECT_EQ(menu[misDisabledHot][sicText], Grey(166));
  EXPECT_EQ(menu[misDisabledHot][sicBack], Grey(246));
  EXPECT_EQ(menu[misDisabledHot][sicFrame], static_cast<TColor>(RGB(0, 0, 128)));
  EXPECT_EQ(bar[tisPushed][sicBack], static_cast<TColor>(RGB(128, 128, 192)));
  EXPECT_EQ(bar[tisPushed][sicText], Grey(255));
  EXPECT_EQ(bar[tisNormal][sicText], Grey(0));
  EXPECT_EQ(bar[tisChecked][sicText], Grey(0));
  EXPECT_EQ(bar[tisPopupOpen][sicText], Grey(0));
  EXPECT_EQ(bar[tisPopupOpen][sicBack], Grey(202));
  EXPECT_EQ(bar[tisPopupOpen][sicFrame], Grey(102));
  EXPECT_EQ(bar[tisDisabled][sicText], Grey(141));     // blend of shadow and window, far enough
  EXPECT_EQ(bar[tisDisabledHot][sicText], Grey(141));  // the same blend, uncorrected
  EXPECT_EQ(menu[misNormal][sicText], Grey(0));
  EXPECT_EQ(c.ToolbarWindowColors[swrActive].Caption, Grey(128));
  EXPECT_EQ(c.ToolbarWindowColors[swrInactive].Caption, Grey(192));
  EXPECT_EQ(c.ToolbarWindowColors[swrInactive].Border, c.ToolbarWindowColors[swrActive].Border);
  EXPECT_EQ(c.PanelWindowColors[swrActive].Border, Grey(128));
  EXPECT_EQ(c.PanelWindowColors[swrActive].Caption, Grey(192));
  EXPECT_EQ(c.PanelWindowColors[swrActive].CaptionText, Grey(0));
  EXPECT_EQ(c.ToolbarSeparatorColor, Grey(166));
  EXPECT_EQ(c.MenuSeparatorColor, Grey(166));
  EXPECT_EQ(c.StatusPanelFrameColor, Grey(211));
  // Entries that were too close to their background were moved away from it (up to the
  // rounding of the channels to whole bytes).
  EXPECT_GE(ColorDistance(bar[tisHot][sicBack], c.ToolbarBackColor), 49.f);
  EXPECT_GE(ColorDistance(c.DragHandleColor, c.ToolbarBackColor), 84.f);
  EXPECT_GE(ColorDistance(bar[tisCheckedHot][sicText], bar[tisCheckedHot][sicBack]), 179.f);
}

TEST_F(OfficeXPColorTables, HotMenuItemsTakeTheHotToolbarItemsColours) {
  const TSkinOfficeXPColors c = OfficeXPColors(false);
  const TSkinItemColors& hot = c.Items.ToolbarItemColors[tisHot];
  EXPECT_EQ(c.Items.MenuItemColors[misHot], hot);
  // The hot highlight is a light tint of the selection colour, with dark text and a dark frame.
  EXPECT_NE(hot[sicBack], ui::clBlack);
  EXPECT_GT(ColorLuminance(hot[sicBack]), 150);
  EXPECT_LT(ColorLuminance(hot[sicText]), 60);
  EXPECT_EQ(hot[sicFrame], static_cast<TColor>(RGB(0, 0, 128)));
  // The disabled item under the mouse shares the hot background.
  EXPECT_EQ(c.Items.ToolbarItemColors[tisDisabledHot][sicBack], hot[sicBack]);
  // The image shadow is a quarter black over that background.
  EXPECT_EQ(c.ImageShadowColor, ColorBlend(ui::clBlack, hot[sicBack], 25));
}

TEST_F(OfficeXPColorTables, FiftyEightColoursAreAllPlainValuesButTheEmptyOnes) {
  TSkinOfficeXPColors c = OfficeXPColors(false);
  int count = 0, none = 0;
  c.ForEachColor([&](TColor& color) {
    ++count;
    if (color == clNone) ++none;
    else EXPECT_FALSE(IsSystemColor(color)) << count;  // resolved and turned into a screen colour
  });
  EXPECT_EQ(count, 58);
  // Normal and disabled items have neither background nor frame, in both tables.
  EXPECT_EQ(none, 8);
  for (int state : {tisNormal, tisDisabled}) {
    EXPECT_EQ(c.Items.ToolbarItemColors[state][sicBack], clNone);
    EXPECT_EQ(c.Items.ToolbarItemColors[state][sicFrame], clNone);
  }
  for (int state : {misNormal, misDisabled}) {
    EXPECT_EQ(c.Items.MenuItemColors[state][sicBack], clNone);
    EXPECT_EQ(c.Items.MenuItemColors[state][sicFrame], clNone);
  }
}

TEST_F(OfficeXPColorTables, LowColourDisplaysTakePlainSystemColours) {
  TSkinOfficeXPColors c = OfficeXPColors(true);
  std::set<TColor> seen;
  c.ForEachColor([&](TColor& color) {
    EXPECT_TRUE(color == clNone || IsSystemColor(color)) << std::hex << color;
    seen.insert(color);
  });
  EXPECT_EQ(c.ToolbarBackColor, ui::clBtnFace);
  EXPECT_EQ(c.PopupBackColor, ui::clWindow);
  EXPECT_EQ(c.PopupFrameColor, ui::clBtnText);
  EXPECT_EQ(c.ToolbarWindowColors[swrInactive].Caption, ui::clBtnShadow);
  EXPECT_EQ(c.PanelWindowColors[swrInactive].CaptionText, ui::clBtnText);
  const TSkinItemColors popupOpen{ui::clBtnFace, ui::clBtnText, ui::clBtnText};
  EXPECT_EQ(c.Items.ToolbarItemColors[tisPopupOpen], popupOpen);
  const TSkinItemColors hot{ui::clWindow, ui::clWindowText, ui::clHighlight};
  EXPECT_EQ(c.Items.ToolbarItemColors[tisHot], hot);
  EXPECT_EQ(c.Items.MenuItemColors[misHot], hot);
  EXPECT_EQ(c.Items.MenuItemColors[misDisabled][sicText], ui::clGrayText);
  EXPECT_EQ(c.Items.ToolbarItemColors[tisDisabledHot][sicText], ui::clBtnShadow);
  EXPECT_EQ(c.DragHandleColor, ui::clBtnText);
  EXPECT_EQ(c.ImageShadowColor, ui::clBtnFace);
  EXPECT_EQ(c.StatusPanelFrameColor, ui::clBtnShadow);
}

TEST(OfficeXPItemStates, ToolbarStatesAreChosenInTheirOrder) {
  const int bar = vkToolbar;
  EXPECT_EQ(ToolbarItemState(State(bar, true, 0)), tisNormal);
  EXPECT_EQ(ToolbarItemState(State(bar, true, 2)), tisHot);
  EXPECT_EQ(ToolbarItemState(State(bar, true, 0, false, true)), tisChecked);
  EXPECT_EQ(ToolbarItemState(State(bar, true, 2, false, true)), tisCheckedHot);
  EXPECT_EQ(ToolbarItemState(State(bar, true, 2, true, true)), tisPushed);        // pushed before checked
  EXPECT_EQ(ToolbarItemState(State(bar, true, 2, true, true, true)), tisPopupOpen);  // open popup first
  EXPECT_EQ(ToolbarItemState(State(bar, false, 0, true, true, true)), tisDisabled);   // disabled wins
  EXPECT_EQ(ToolbarItemState(State(bar, false, 1)), tisDisabledHot);
  EXPECT_EQ(ToolbarItemState(State(bar, false, 2)), tisDisabled);
}

TEST(OfficeXPItemStates, MenuStatesAndWhichItemsTheyAreFor) {
  EXPECT_EQ(MenuItemState(State(vkPopupMenu, true, 0)), misNormal);
  EXPECT_EQ(MenuItemState(State(vkPopupMenu, true, 1)), misHot);
  EXPECT_EQ(MenuItemState(State(vkPopupMenu, true, 2)), misHot);
  EXPECT_EQ(MenuItemState(State(vkPopupMenu, false, 0)), misDisabled);
  EXPECT_EQ(MenuItemState(State(vkPopupMenu, false, 1)), misDisabledHot);
  EXPECT_EQ(MenuItemState(State(vkPopupMenu, false, 2)), misDisabled);
  EXPECT_TRUE(IsPopupMenuItem(State(vkPopupMenu, true, 0)));
  EXPECT_FALSE(IsPopupMenuItem(State(vkPopupMenu, true, 0, false, false, false, idoToolbarStyle)));
  EXPECT_FALSE(IsPopupMenuItem(State(vkToolboxPopup, true, 0)));
  EXPECT_FALSE(IsPopupMenuItem(State(vkMenuBar, true, 0)));
}

TEST_F(OfficeXPColorTables, LookupsPickTheTableAndFillInForTransparentToolbars) {
  const TSkinItemPalette p = OfficeXPColors(false).Items;
  const int transparent = vkToolbar | vkTransparentItems;
  // A hot menu item reads the menu table for its item colour, the toolbar table for buttons.
  const TItemDrawState menuDisabledHot = State(vkPopupMenu, false, 1);
  EXPECT_EQ(p.ItemColor(menuDisabledHot, sicBack), Grey(246));
  EXPECT_EQ(p.ButtonColor(menuDisabledHot, sicBack), p.ToolbarItemColors[tisDisabledHot][sicBack]);
  // Idle items show nothing on an ordinary toolbar...
  const TItemDrawState idle = State(vkToolbar, true, 0);
  EXPECT_EQ(p.ItemColor(idle, sicBack), clNone);
  EXPECT_EQ(p.ButtonColor(idle, sicFrame), clNone);
  // ...and the toolbar's own colour and a shadow frame on a transparent one.
  const TItemDrawState clear = State(transparent, true, 0);
  EXPECT_EQ(p.ItemColor(clear, sicBack), Grey(202));
  EXPECT_EQ(p.ItemColor(clear, sicFrame), ui::clBtnShadow);
  EXPECT_EQ(p.ItemColor(clear, sicText), Grey(0));
  EXPECT_EQ(p.ButtonColor(clear, sicBack), Grey(202));
  EXPECT_EQ(p.ButtonColor(clear, sicFrame), ui::clBtnShadow);
  // A checked button on a transparent toolbar is framed in the window-frame colour.
  const TItemDrawState checked = State(transparent, true, 0, false, true);
  EXPECT_EQ(p.ButtonColor(checked, sicFrame), ui::SystemColor(COLOR_WINDOWFRAME));
  EXPECT_EQ(p.ItemColor(checked, sicFrame), p.ToolbarItemColors[tisChecked][sicFrame]);
  EXPECT_EQ(p.ButtonColor(checked, sicBack), p.ToolbarItemColors[tisChecked][sicBack]);
}

TEST(OfficeXPTableBuilder, AnotherThemesBaseColoursFlowThroughTheSameRecipe) {
  test::ClassicColors classic;
  TSkinItemRecipe r{};
  r.ToolbarBack = Grey(0xDF);
  r.PopupBack = Grey(0xF2);
  r.PopupFrame = Grey(0x40);
  r.NormalText = ui::clBlack;
  r.DisabledText = Grey(0x9F);
  r.Highlight = static_cast<TColor>(RGB(0, 0, 200));
  r.CheckedFace = Grey(0xC7);
  r.Hot = static_cast<TColor>(RGB(180, 180, 230));
  r.DisabledHotText = Grey(0xA0);
  r.PopupOpenBack = Grey(0xE8);
  TSkinItemPalette p;
  BuildItemTables(r, p);
  const auto& t = p.ToolbarItemColors;
  EXPECT_EQ(t[tisPushed][sicBack], ColorBlend(r.Highlight, ui::clWindow, 50));
  EXPECT_EQ(t[tisHot][sicBack], r.Hot);
  EXPECT_EQ(t[tisDisabledHot][sicText], Grey(0xA0));
  EXPECT_EQ(t[tisPopupOpen][sicBack], Grey(0xE8));
  EXPECT_EQ(t[tisPopupOpen][sicFrame], Grey(0x40));
  EXPECT_EQ(p.MenuItemColors[misHot], t[tisHot]);
  EXPECT_EQ(p.MenuItemColors[misDisabledHot][sicBack], Grey(0xF2));
  EXPECT_EQ(p.ToolbarBackColor, Grey(0xDF));
}

TEST(OfficeXPGlyphs, TheProgramCarriesFourCaptionGlyphsWithWhiteTransparent) {
  ui::TCustomImageList glyphs(nullptr, 16, 16);
  ASSERT_TRUE(glyphs.ResourceLoad(GetModuleHandleW(nullptr), kSkinGlyphsResource, ui::clWhite));
  ASSERT_EQ(glyphs.Count(), 4);
  ui::TBitmap mask;
  // Close is a cross through the middle; minimise a bar low down, nothing in the middle.
  ASSERT_TRUE(glyphs.GetMask(0, mask));
  auto covered = [&](int x, int y) { return (GetPixel(mask.Canvas().Handle(), x, y) & 0xFFFFFF) == 0; };
  EXPECT_TRUE(covered(7, 7));
  EXPECT_FALSE(covered(0, 0));
  EXPECT_FALSE(covered(7, 4));
  ASSERT_TRUE(glyphs.GetMask(2, mask));
  EXPECT_FALSE(covered(7, 7));
  EXPECT_TRUE(covered(6, 10));
  ASSERT_TRUE(glyphs.GetMask(1, mask));
  EXPECT_TRUE(covered(3, 3));
  EXPECT_FALSE(covered(7, 7));
  ASSERT_TRUE(glyphs.GetMask(3, mask));
  EXPECT_TRUE(covered(3, 6));
  EXPECT_TRUE(covered(12, 3));
}

}  // namespace
}  // namespace movra::skin
