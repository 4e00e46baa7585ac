// The Default theme's drawing: pixels at the points its rules fix, in injected classic colours
// with visual styles off, and the visual-styles parts it must pick where styles are in use.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "tests/themes/skin_default_test_support.h"
#include "themes/skin_default.h"
#include "themes/skin_uxthemes.h"

namespace movra::skin {
namespace {
using namespace test;

class SkinDefaultDrawing : public SkinDefault {};

// The leftmost column holding `color`, or -1.
int LeftmostOf(const Scene& s, COLORREF color) {
  for (int x = 0; x < s.picture.Width(); ++x)
    for (int y = 0; y < s.picture.Height(); ++y)
      if (s.At(x, y) == color) return x;
  return -1;
}

// One 4 x 4 image, all red.
void AddRedSquare(ui::TImageList& images) {
  ui::TBitmap red;
  red.SetSize(4, 4);
  HBRUSH b = CreateSolidBrush(RGB(255, 0, 0));
  RECT all{0, 0, 4, 4};
  FillRect(red.Canvas().Handle(), &all, b);
  DeleteObject(b);
  images.AddMasked(red, static_cast<TColor>(0xFF00FF));
}

bool SamePixels(const Scene& a, const Scene& b) {
  for (int y = 0; y < a.picture.Height(); ++y)
    for (int x = 0; x < a.picture.Width(); ++x)
      if (a.At(x, y) != b.At(x, y)) return false;
  return true;
}

// A visual-styles part drawn directly, to compare the theme's choice of part and state with.
void DrawReference(Scene& s, TSkinThemeDataClass data, int part, int state, const RECT& r) {
  UxTheme().DrawThemeBackground(SkinSystem().ThemeData[data], s.picture.Dc(), part, state, &r, nullptr);
}

TEST_F(SkinDefaultDrawing, ClassicButtonFacesFollowTheItemState) {
  TSkinDefaultTheme& t = Theme();
  const RECT r{0, 0, 20, 20};
  auto face = [&](TItemDrawState s) {
    auto scene = std::make_unique<Scene>(20, 20);
    t.DrawButtonFace(scene->canvas, r, s);
    return scene;
  };
  TItemDrawState s = State(vkToolbar, idoToolbarStyle);
  EXPECT_EQ(face(s)->Count(kGround), 400);  // an idle button has no face
  s.Hover = 2;
  {
    auto hot = face(s);
    EXPECT_EQ(hot->At(0, 0), kWhite);
    EXPECT_EQ(hot->At(19, 0), kShadow);
    EXPECT_EQ(hot->At(0, 19), kShadow);
    EXPECT_EQ(hot->At(19, 19), kShadow);
    EXPECT_EQ(hot->At(10, 10), kGround);
  }
  s.Hover = 0;
  s.Pushed = 1;
  {
    auto pushed = face(s);
    EXPECT_EQ(pushed->At(0, 0), kShadow);
    EXPECT_EQ(pushed->At(19, 19), kWhite);
    EXPECT_EQ(pushed->At(10, 10), kGround);
  }
  s.Pushed = 0;
  s.Checked = 1;
  {
    // Checked and not hovered: the inside is a checker of the face and white.
    auto checked = face(s);
    EXPECT_EQ(checked->At(0, 0), kShadow);
    EXPECT_NE(checked->At(5, 5), checked->At(6, 5));
    EXPECT_EQ(checked->Count(kWhite, {1, 1, 19, 19}) + checked->Count(kFace, {1, 1, 19, 19}), 18 * 18);
    EXPECT_EQ(checked->Count(kWhite, {1, 1, 19, 19}), 18 * 18 / 2);
  }
  // A disabled checked button shows nothing.
  s.Enabled = 0;
  EXPECT_EQ(face(s)->Count(kGround), 400);

  // On a transparent toolbar every item is framed flat on the face; a hot one stands up.
  s = State(vkToolbar | vkTransparentItems, idoToolbarStyle);
  {
    auto idle = face(s);
    EXPECT_EQ(idle->At(0, 0), kShadow);
    EXPECT_EQ(idle->At(19, 19), kShadow);
    EXPECT_EQ(idle->At(1, 1), kFace);
    EXPECT_EQ(idle->At(10, 10), kFace);
  }
  s.Hover = 2;
  {
    auto hot = face(s);
    EXPECT_EQ(hot->At(0, 0), kLight);
    EXPECT_EQ(hot->At(19, 19), kDark);
    EXPECT_EQ(hot->At(1, 1), kWhite);
    EXPECT_EQ(hot->At(18, 18), kShadow);
    EXPECT_EQ(hot->At(10, 10), kFace);
    hot->picture.Save("skin_default_button_transparent_hot");
  }

  // The drop-down part of a split button: the face stops 2 pixels short, the arrow sits in it.
  s = State(vkToolbar, idoToolbarStyle);
  s.Part = 3;
  s.Hover = 2;
  {
    auto drop = face(s);
    EXPECT_EQ(drop->At(17, 10), kShadow);
    EXPECT_EQ(drop->At(18, 10), kGround);
    EXPECT_EQ(drop->At(9, 10), kBlack);  // the arrow's middle row below its centre (9, 9)
  }

  // Menu bar: flat menus fill a hot item with the highlight and draw no edge.
  s = State(vkMenuBar, idoToolbarStyle | idoAppActive);
  s.Hover = 2;
  EXPECT_EQ(face(s)->At(0, 0), kWhite);
  SetManagerParam(1, 2);
  {
    auto flat = face(s);
    EXPECT_EQ(flat->At(0, 0), kNavy);
    EXPECT_EQ(flat->Count(kNavy), 400);
  }
}

TEST_F(SkinDefaultDrawing, ArrowsChevronsAndChecksInTheirColours) {
  TSkinDefaultTheme& t = Theme();
  SetManagerParam(1, 2);  // flat menus: the menu text is the system's
  // Whichever system colour the menus take for their text, it is told apart from button text.
  SetSysColorSource([](int index) -> COLORREF {
    return index == COLOR_MENUTEXT || index == COLOR_WINDOWTEXT ? RGB(200, 0, 0) : EdgeSysColor(index);
  });
  const RECT r{0, 0, 20, 20};
  const int x = 10, y = 9;
  const COLORREF menuText = ResolveColor(SkinSystem().MenuTextColor);
  ASSERT_NE(menuText, kBlack);
  {
    // A toolbar-style item's arrow takes the menu text colour, any other the button text.
    Scene s(20, 20);
    t.DrawDropArrow(s.canvas, r, State(vkToolbar, idoToolbarStyle));
    EXPECT_EQ(s.At(x, y + 1), menuText);
    EXPECT_EQ(s.At(x - 2, y), menuText);
    EXPECT_EQ(s.At(x + 2, y), menuText);
    EXPECT_EQ(s.At(x, y + 3), kGround);
  }
  {
    Scene s(20, 20);
    t.DrawDropArrow(s.canvas, r, State(vkPopupMenu));
    EXPECT_EQ(s.At(x, y + 1), kBlack);
  }
  {
    Scene s(20, 20);
    TItemDrawState st = State(vkToolbar, idoToolbarStyle);
    st.Pushed = 1;
    t.DrawDropArrow(s.canvas, r, st);
    EXPECT_EQ(s.At(x + 1, y + 2), menuText);
    EXPECT_EQ(s.At(x - 2, y), kGround);
  }
  {
    // Disabled: a light copy one pixel down and right under the shadow-coloured arrow.
    Scene s(20, 20);
    TItemDrawState st = State(vkToolbar, idoToolbarStyle);
    st.Enabled = 0;
    t.DrawDropArrow(s.canvas, r, st);
    EXPECT_EQ(s.At(x, y), kShadow);
    EXPECT_EQ(s.At(x + 3, y + 1), kWhite);
    EXPECT_EQ(s.Count(kBlack), 0);
  }
  {
    // A vertical view points the arrow left.
    Scene s(20, 20);
    TItemDrawState st = State(vkToolbar, idoToolbarStyle);
    st.Vertical = 1;
    t.DrawDropArrow(s.canvas, r, st);
    EXPECT_EQ(s.At(x - 1, y), menuText);
    EXPECT_EQ(s.At(x + 1, y), kGround);
  }
  SetSysColorSource(&EdgeSysColor);
  {
    // The chevron patterns have 20 set pixels each.
    Scene s(24, 24);
    t.DrawChevronGlyph(s.canvas, {0, 0, 24, 24}, State(vkToolbar, idoToolbarStyle));
    EXPECT_EQ(s.Count(kBlack), 20);
    EXPECT_EQ(s.Count(kBlack, {0, 4, 24, 9}), 20);  // in the band 4 pixels below the top
    Scene v(24, 24);
    TItemDrawState st = State(vkToolbar, idoToolbarStyle);
    st.Vertical = 1;
    t.DrawChevronGlyph(v.canvas, {0, 0, 24, 24}, st);
    EXPECT_EQ(v.Count(kBlack, {15, 0, 20, 24}), 20);  // 9 to 4 pixels left of the right edge
    Scene d(24, 24);
    st = State(vkToolbar, idoToolbarStyle);
    st.Enabled = 0;
    t.DrawChevronGlyph(d.canvas, {0, 0, 24, 24}, st);
    EXPECT_EQ(d.Count(kBlack), 0);
    EXPECT_EQ(d.Count(kShadow), 20);
    EXPECT_GT(d.Count(kWhite), 0);
  }
  {
    Scene s(20, 20, kFace);
    t.DrawCheckGlyph(s.canvas, r, State(vkPopupMenu));
    const int cx = 9, cy = 12;
    EXPECT_EQ(s.At(cx, cy), kBlack);
    EXPECT_EQ(s.At(cx + 4, cy - 4), kBlack);
    EXPECT_EQ(s.At(cx - 3, cy - 2), kWhite);
    EXPECT_EQ(s.At(cx + 5, cy - 4), kWhite);
    Scene d(20, 20, kFace);
    TItemDrawState st = State(vkPopupMenu);
    st.Enabled = 0;
    t.DrawCheckGlyph(d.canvas, r, st);
    EXPECT_EQ(d.At(cx, cy), kShadow);  // grey text
    EXPECT_EQ(d.Count(kWhite), 0);
  }
}

TEST_F(SkinDefaultDrawing, CaptionsMoveWhenPushedAndEmbossWhenDisabled) {
  TSkinDefaultTheme& t = Theme();
  const RECT r{0, 0, 60, 24};
  auto caption = [&](TItemDrawState st) {
    auto s = std::make_unique<Scene>(60, 24);
    s->canvas.Font().SetColor(ui::clNone);  // the theme picks the colour
    t.DrawItemCaption(s->canvas, r, st, "WM", DT_SINGLELINE | DT_CENTER | DT_VCENTER, false);
    return s;
  };
  TItemDrawState st = State(vkToolbar, idoToolbarStyle);
  auto plain = caption(st);
  ASSERT_GT(plain->Count(kBlack), 0);
  st.Pushed = 1;
  EXPECT_EQ(LeftmostOf(*caption(st), kBlack), LeftmostOf(*plain, kBlack) + 1);
  st = State(vkToolbar, idoToolbarStyle);
  st.Enabled = 0;
  {
    auto disabled = caption(st);
    EXPECT_EQ(disabled->Count(kBlack), 0);
    EXPECT_GT(disabled->Count(kWhite), 0);
    EXPECT_GT(disabled->Count(kShadow), 0);
  }
  // A highlighted disabled menu item: plain grey.
  st = State(vkPopupMenu);
  st.Enabled = 0;
  st.Hover = 1;
  {
    auto grey = caption(st);
    EXPECT_GT(grey->Count(kShadow), 0);
    EXPECT_EQ(grey->Count(kWhite), 0);
  }
  // With visual styles a disabled caption is not embossed either.
  Styles(true);
  if (StylesActive()) {
    st = State(vkToolbar, idoToolbarStyle);
    st.Enabled = 0;
    auto styled = caption(st);
    EXPECT_GT(styled->Count(kShadow), 0);
    EXPECT_EQ(styled->Count(kWhite), 0);
  }
}

TEST_F(SkinDefaultDrawing, MenuItemFaceSelectionColumnAndSplitZone) {
  TSkinDefaultTheme& t = Theme();
  const int w = GetSystemMetrics(SM_CXMENUCHECK);
  const RECT r{0, 0, 100, 20};
  TItemDrawState st = State(vkPopupMenu, idoSubmenu);
  st.ImageWidth = 16;
  st.ImageColumnWidth = 20;
  st.Hover = 2;
  const int ax = 100 - 2 * w / 3 - 2, ay = 10;
  {
    Scene s(100, 20);
    t.DrawMenuItemFace(s.canvas, r, st);
    // The selection starts one pixel after the image column.
    EXPECT_EQ(s.At(21, 10), kNavy);
    EXPECT_EQ(s.At(99, 10), kNavy);
    // The image column of a hovered item stands up as a button.
    EXPECT_EQ(s.At(0, 0), kWhite);
    EXPECT_EQ(s.At(19, 19), kShadow);
    EXPECT_EQ(s.At(20, 10), kGround);
    EXPECT_EQ(s.At(ax + 1, ay), kWhite);  // a hovered submenu arrow in the highlight text colour
    s.picture.Save("skin_default_menu_item_hot");
  }
  st.Hover = 0;
  {
    Scene s(100, 20);
    t.DrawMenuItemFace(s.canvas, r, st);
    EXPECT_EQ(s.At(50, 10), kGround);
    EXPECT_EQ(s.At(0, 0), kGround);
    EXPECT_EQ(s.At(ax + 1, ay), ResolveColor(SkinSystem().MenuTextColor));
  }
  // A split item: the selection ends before the zone, which is sunk while hovered.
  st = State(vkPopupMenu, idoSplit);
  st.Hover = 2;
  {
    Scene s(100, 20);
    t.DrawMenuItemFace(s.canvas, r, st);
    EXPECT_EQ(s.At(100 - w - 1, 10), kNavy);
    EXPECT_EQ(s.At(100 - w, 0), kShadow);
    EXPECT_EQ(s.At(99, 19), kWhite);
  }
  st.Hover = 0;
  {
    // Idle: an etched line one pixel left of the zone.
    Scene s(100, 20);
    t.DrawMenuItemFace(s.canvas, r, st);
    EXPECT_EQ(s.At(100 - w - 1, 10), kShadow);
    EXPECT_EQ(s.At(100 - w, 10), kWhite);
  }
}

TEST_F(SkinDefaultDrawing, SeparatorsAreEtchedLinesUnlessDisabled) {
  TSkinDefaultTheme& t = Theme();
  {
    Scene s(100, 9);
    t.DrawSeparatorLine(s.canvas, {0, 0, 100, 9}, State(vkPopupMenu), true, false);
    EXPECT_EQ(s.At(50, 3), kShadow);
    EXPECT_EQ(s.At(50, 4), kWhite);
    EXPECT_EQ(s.At(11, 3), kGround);  // menu separators keep 12 pixels from either side
    EXPECT_EQ(s.At(12, 3), kShadow);
    EXPECT_EQ(s.At(87, 4), kWhite);
    EXPECT_EQ(s.At(88, 3), kGround);
  }
  {
    Scene s(6, 20);
    t.DrawSeparatorLine(s.canvas, {0, 0, 6, 20}, State(vkToolbar, idoToolbarStyle), false, false);
    EXPECT_EQ(s.At(2, 0), kShadow);
    EXPECT_EQ(s.At(3, 19), kWhite);
    EXPECT_EQ(s.At(1, 10), kGround);
  }
  {
    // A line break is pulled in by 4 on a docked toolbar, by 1 on a floating one.
    Scene s(40, 6), f(40, 6);
    t.DrawSeparatorLine(s.canvas, {0, 0, 40, 6}, State(vkToolbar, idoToolbarStyle), true, true);
    t.DrawSeparatorLine(f.canvas, {0, 0, 40, 6}, State(vkToolbar | vkFloating, idoToolbarStyle), true, true);
    EXPECT_EQ(s.At(3, 2), kGround);
    EXPECT_EQ(s.At(4, 2), kShadow);
    EXPECT_EQ(f.At(0, 2), kGround);
    EXPECT_EQ(f.At(1, 2), kShadow);
  }
  {
    Scene s(40, 6);
    TItemDrawState st = State(vkToolbar, idoToolbarStyle);
    st.Enabled = 0;
    t.DrawSeparatorLine(s.canvas, {0, 0, 40, 6}, st, true, false);
    EXPECT_EQ(s.Count(kGround), 240);
  }
}

TEST_F(SkinDefaultDrawing, PopupBordersByKind) {
  TSkinDefaultTheme& t = Theme();
  const RECT r{0, 0, 30, 30};
  TSkinPopupBorderInfo info{};
  info.ViewKind = vkListPopup;
  {
    Scene s(30, 30);
    t.DrawPopupBorder(s.canvas, r, info);
    EXPECT_EQ(s.At(0, 0), kBlack);
    EXPECT_EQ(s.At(1, 1), kWhite);
    EXPECT_EQ(s.At(2, 28), kWhite);
    EXPECT_EQ(s.At(3, 3), kGround);
  }
  info.ViewKind = vkPopupMenu;
  const COLORREF menu = ResolveColor(SkinSystem().MenuBackColor);
  {
    Scene s(30, 30);
    t.DrawPopupBorder(s.canvas, r, info);
    EXPECT_EQ(s.At(0, 0), kLight);
    EXPECT_EQ(s.At(29, 29), kDark);
    EXPECT_EQ(s.At(1, 1), kWhite);
    EXPECT_EQ(s.At(28, 28), kShadow);
    EXPECT_EQ(s.At(2, 2), menu);
    EXPECT_EQ(s.At(3, 3), kGround);
  }
  SetManagerParam(1, 2);
  const COLORREF flatMenu = ResolveColor(SkinSystem().MenuBackColor);
  {
    Scene s(30, 30);
    t.DrawPopupBorder(s.canvas, r, info);
    EXPECT_EQ(s.At(0, 0), kShadow);
    EXPECT_EQ(s.At(1, 1), flatMenu);
    EXPECT_EQ(s.At(2, 2), flatMenu);
    EXPECT_EQ(s.At(3, 3), kGround);
  }
  info.ViewKind = vkToolboxPopup;
  {
    // A toolbox popup keeps the raised edge and the toolbar colour even with flat menus.
    Scene s(30, 30);
    t.DrawPopupBorder(s.canvas, r, info);
    EXPECT_EQ(s.At(0, 0), kLight);
    EXPECT_EQ(s.At(2, 2), kFace);
  }
}

TEST_F(SkinDefaultDrawing, StatusBarPanelsAndSizeGrip) {
  TSkinDefaultTheme& t = Theme();
  {
    Scene s(40, 20);
    t.DrawStatusBarPart(s.canvas, {0, 0, 40, 20}, 1);
    EXPECT_EQ(s.At(0, 0), kShadow);
    EXPECT_EQ(s.At(0, 18), kShadow);
    EXPECT_EQ(s.At(37, 0), kWhite);
    EXPECT_EQ(s.At(37, 19), kWhite);
    EXPECT_EQ(s.At(38, 10), kGround);  // the first panel is 2 pixels narrower
    Scene p(40, 20);
    t.DrawStatusBarPart(p.canvas, {0, 0, 40, 20}, 2);
    EXPECT_EQ(p.At(39, 19), kWhite);
    Scene b(40, 20);
    t.DrawStatusBarPart(b.canvas, {0, 0, 40, 20}, 0);
    EXPECT_EQ(b.Count(kFace), 800);
  }
  {
    // A small grip: shadow and highlight lines by turns, the outer row and column erased.
    Scene s(8, 8);
    t.DrawStatusBarPart(s.canvas, {0, 0, 8, 8}, 3);
    EXPECT_EQ(s.At(6, 6), kShadow);   // line 0
    EXPECT_EQ(s.At(6, 5), kWhite);    // line 1
    EXPECT_EQ(s.At(5, 5), kShadow);   // line 2
    EXPECT_EQ(s.At(4, 5), kWhite);    // line 3
    EXPECT_EQ(s.At(3, 7), kFace);
    EXPECT_EQ(s.At(7, 3), kFace);
    EXPECT_EQ(s.At(0, 0), kGround);
  }
  {
    // From 12 pixels on every round starts with one more shadow line.
    Scene s(12, 12);
    t.DrawStatusBarPart(s.canvas, {0, 0, 12, 12}, 3);
    EXPECT_EQ(s.At(10, 10), kShadow);  // line 0
    EXPECT_EQ(s.At(10, 9), kShadow);   // line 1
    EXPECT_EQ(s.At(9, 9), kWhite);     // line 2
    s.picture.Save("skin_default_size_grip");
  }
}

TEST_F(SkinDefaultDrawing, DockedToolbarFrameGripAndCloseButton) {
  TSkinDefaultTheme& t = Theme();
  TSkinToolbarNCInfo info{};
  info.BorderStyle = 1;
  info.BorderSize = {2, 2};
  info.DragAllowed = 1;
  info.DragHandleStyle = 0;
  const RECT r{0, 0, 100, 26};
  {
    Scene s(100, 26);
    s.canvas.Brush().SetColor(static_cast<TColor>(kFace));
    t.DrawToolbarNonClient(s.canvas, r, info);
    EXPECT_EQ(s.At(0, 0), kWhite);
    EXPECT_EQ(s.At(99, 25), kShadow);
    EXPECT_EQ(s.At(50, 12), kFace);
    // Two raised bars, 3 pixels wide, 2 pixels into the handle strip, one pixel shorter at
    // either end, each with a light lower-left pixel.
    EXPECT_EQ(s.At(4, 12), kWhite);
    EXPECT_EQ(s.At(5, 12), kFace);
    EXPECT_EQ(s.At(6, 12), kShadow);
    EXPECT_EQ(s.At(7, 12), kWhite);
    EXPECT_EQ(s.At(9, 12), kShadow);
    EXPECT_EQ(s.At(4, 2), kFace);
    EXPECT_EQ(s.At(4, 3), kWhite);
    EXPECT_EQ(s.At(4, 22), kWhite);
    EXPECT_EQ(s.At(5, 22), kShadow);
    EXPECT_EQ(s.At(10, 12), kFace);
    s.picture.Save("skin_default_toolbar_frame");
  }
  info.DragHandleStyle = 1;
  {
    Scene s(100, 26);
    s.canvas.Brush().SetColor(static_cast<TColor>(kFace));
    t.DrawToolbarNonClient(s.canvas, r, info);
    EXPECT_EQ(s.Count(kWhite, {2, 2, 98, 24}), 0);  // no grip
  }
  info.DragHandleStyle = 0;
  info.CloseButtonState = 1 | 2;  // shown, hot
  {
    Scene s(100, 26);
    s.canvas.Brush().SetColor(static_cast<TColor>(kFace));
    t.DrawToolbarNonClient(s.canvas, r, info);
    // The close button (2, 2)-(15, 15) less 2 pixels stands up, with its cross inside.
    EXPECT_EQ(s.At(4, 4), kWhite);
    EXPECT_EQ(s.At(12, 12), kShadow);
    EXPECT_EQ(s.Count(kBlack, {5, 5, 12, 12}), 18);
    // The grip starts below it, 3 pixels in.
    EXPECT_EQ(s.At(5, 20), kWhite);
    EXPECT_EQ(s.At(7, 20), kShadow);
    EXPECT_EQ(s.At(5, 14), kFace);
  }
}

TEST_F(SkinDefaultDrawing, PanelFrameCaptionAndCloseButton) {
  TSkinDefaultTheme& t = Theme();
  const int c = GetSystemMetrics(SM_CYSMCAPTION);
  TSkinPanelNCInfo info{};
  info.CaptionShown = 1;
  info.CloseButtonState = 1 | 2;
  info.Caption = "Log";
  {
    Scene s(120, 80);
    t.DrawPanelNonClient(s.canvas, {0, 0, 120, 80}, info);
    EXPECT_EQ(s.At(0, 0), kFace);
    EXPECT_EQ(s.At(119, 79), kFace);
    EXPECT_EQ(s.At(1, 1 + c), kWhite);  // the client area's frame below the caption
    EXPECT_EQ(s.At(118, 78), kWhite);
    EXPECT_EQ(s.At(2, 40), kGround);
    EXPECT_EQ(s.At(1, 1), kWhite);  // the caption strip's raised edge
    EXPECT_EQ(s.At(118, c), kShadow);
    EXPECT_EQ(s.At(2, 2), kFace);
    // The hot close button at the right end with its 22-pixel cross.
    const RECT button{119 - c, 2, 117, c};
    EXPECT_EQ(s.At(button.left, button.top), kWhite);
    EXPECT_EQ(s.At(button.right - 1, button.bottom - 1), kShadow);
    EXPECT_EQ(s.Count(kBlack, button), 22);
    s.picture.Save("skin_default_panel_frame");
  }
  info.VerticalCaption = 1;
  info.CloseButtonState = 0;
  {
    Scene s(80, 120);
    t.DrawPanelNonClient(s.canvas, {0, 0, 80, 120}, info);
    EXPECT_EQ(s.At(1 + c, 1), kWhite);
    EXPECT_EQ(s.At(c, 118), kShadow);
    EXPECT_EQ(s.At(40, 2), kGround);
  }
  info.CaptionShown = 0;
  {
    Scene s(80, 60);
    t.DrawPanelNonClient(s.canvas, {0, 0, 80, 60}, info);
    EXPECT_EQ(s.At(1, 1), kWhite);
    EXPECT_EQ(s.At(2, 2), kGround);
  }
}

TEST_F(SkinDefaultDrawing, EditFieldsAndTheirButtons) {
  TSkinDefaultTheme& t = Theme();
  const RECT r{0, 0, 60, 20};
  TSkinEditBoxInfo info{};
  TItemDrawState st = State(vkToolbar, idoToolbarStyle);
  {
    Scene s(60, 20);
    t.DrawEditBox(s.canvas, r, st, info);
    EXPECT_EQ(s.At(0, 0), kGround);
    EXPECT_EQ(s.At(1, 1), kFace);
    EXPECT_EQ(s.At(2, 2), kWhite);
    EXPECT_EQ(s.At(30, 10), kWhite);
  }
  st.Hover = 2;
  {
    Scene s(60, 20);
    t.DrawFieldFrame(s.canvas, r, st);
    EXPECT_EQ(s.At(0, 0), kShadow);
    EXPECT_EQ(s.At(59, 19), kWhite);
    EXPECT_EQ(s.At(1, 1), kFace);
    EXPECT_EQ(s.At(2, 2), kWhite);
    EXPECT_EQ(s.At(30, 10), kGround);  // the frame alone leaves the inside
  }
  st.Hover = 0;
  info.RightButtonWidth = 15;
  info.Button.Kind = 1;
  {
    Scene s(60, 20);
    t.DrawEditBox(s.canvas, r, st, info);
    // The button takes (43, 2)-(58, 18): two pixels of field, a white line and frame, the arrow.
    EXPECT_EQ(s.At(44, 10), kWhite);
    EXPECT_EQ(s.At(45, 3), kWhite);
    EXPECT_EQ(s.At(51, 10), kBlack);
    EXPECT_EQ(s.At(47, 5), kGround);
  }
  info.Button.State = 2;  // hot
  {
    Scene s(60, 20);
    t.DrawEditBox(s.canvas, r, st, info);
    EXPECT_EQ(s.At(45, 2), kWhite);
    EXPECT_EQ(s.At(57, 17), kShadow);
    EXPECT_EQ(s.At(44, 10), kFace);  // the line takes the toolbar colour
  }
  info.Button = {2, 4};  // spin, upper half pressed
  {
    Scene s(60, 20);
    t.DrawEditBox(s.canvas, r, st, info);
    EXPECT_EQ(s.At(45, 2), kShadow);  // the pressed upper half is sunk
    EXPECT_EQ(s.At(45, 10), kWhite);  // the lower half sits in a white frame
    s.picture.Save("skin_default_edit_spin");
  }
}

TEST_F(SkinDefaultDrawing, BackgroundsAndGlyphs) {
  TSkinDefaultTheme& t = Theme();
  {
    Scene s(20, 20);
    t.DrawViewBackground(s.canvas, {0, 0, 20, 20}, {0, 0, 10, 20}, {5, 0, 20, 20}, static_cast<TColor>(kNavy),
                         false, vkToolbar);
    EXPECT_EQ(s.Count(kNavy), 100);
    EXPECT_EQ(s.At(5, 0), kNavy);
    EXPECT_EQ(s.At(4, 0), kGround);
    Scene u(20, 20);
    t.DrawViewBackground(u.canvas, {0, 0, 20, 20}, {0, 0, 20, 20}, {0, 0, 20, 20}, static_cast<TColor>(kNavy),
                         true, vkToolbar);
    EXPECT_EQ(u.Count(kGround), 400);
    Scene d(20, 20);
    t.DrawDockBackground(d.canvas, {0, 0, 20, 20}, {0, 0, 20, 20}, 1);
    EXPECT_EQ(d.Count(kGround), 400);  // classic docks keep their own fill
  }
  ui::TImageList images(nullptr, 4, 4);
  AddRedSquare(images);
  TItemDrawState st = State(vkToolbar, idoToolbarStyle);
  POINT shift{};
  ui::TCanvas any;
  t.GetGlyphShift(any, st, shift);
  {
    Scene s(10, 10);
    t.DrawGlyph(s.canvas, {2, 2, 10, 10}, st, &images, 0);
    EXPECT_EQ(s.At(2, 2), RGB(255, 0, 0));
    EXPECT_EQ(s.At(6, 6), kGround);
    EXPECT_EQ(shift.x, 0);
    t.DrawGlyph(s.canvas, {2, 2, 10, 10}, st, &images, 1);  // no such image: nothing
    t.DrawGlyph(s.canvas, {2, 2, 10, 10}, st, nullptr, 0);
  }
  st.Checked = 1;
  t.GetGlyphShift(any, st, shift);
  EXPECT_EQ(shift.x, 1);
  EXPECT_EQ(shift.y, 1);
  {
    Scene s(10, 10);
    t.DrawGlyph(s.canvas, {2, 2, 10, 10}, st, &images, 0);
    EXPECT_EQ(s.At(2, 2), kGround);
    EXPECT_EQ(s.At(3, 3), RGB(255, 0, 0));
    EXPECT_EQ(s.At(6, 6), RGB(255, 0, 0));
  }
}

TEST_F(SkinDefaultDrawing, StyledPartsAreTheVisualStylesPartsOfTheState) {
  Styles(true);
  if (!StylesActive()) GTEST_SKIP() << "no visual styles on this system";
  TSkinDefaultTheme& t = Theme();
  const RECT r{0, 0, 24, 22};
  struct Case {
    uint8_t enabled, pushed, hover, checked, part;
    int themePart, themeState;
  };
  const Case cases[] = {{1, 0, 0, 0, 0, 1, 1}, {1, 0, 2, 0, 0, 1, 2}, {1, 1, 2, 0, 0, 1, 3}, {1, 0, 0, 1, 0, 1, 5},
                        {1, 0, 2, 1, 0, 1, 6}, {0, 0, 1, 0, 0, 1, 2}, {0, 0, 0, 0, 0, 1, 4}, {1, 0, 2, 0, 1, 2, 2},
                        {1, 0, 0, 0, 2, 3, 1}, {1, 1, 0, 0, 3, 4, 3}};
  for (const Case& c : cases) {
    TItemDrawState st = State(vkToolbar, idoToolbarStyle);
    st.Enabled = c.enabled;
    st.Pushed = c.pushed;
    st.Hover = c.hover;
    st.Checked = c.checked;
    st.Part = c.part;
    Scene mine(24, 22), reference(24, 22);
    t.DrawButtonFace(mine.canvas, r, st);
    DrawReference(reference, tdcToolbar, c.themePart, c.themeState, r);
    EXPECT_TRUE(SamePixels(mine, reference)) << "part " << c.themePart << " state " << c.themeState;
  }
  for (int part = 0; part <= 3; ++part) {
    Scene mine(24, 22), reference(24, 22);
    t.DrawStatusBarPart(mine.canvas, r, part);
    DrawReference(reference, tdcStatus, part, 0, r);
    EXPECT_TRUE(SamePixels(mine, reference)) << "status part " << part;
  }
  {
    Scene mine(24, 22), reference(24, 22), vertical(24, 22), verticalReference(24, 22);
    t.DrawSeparatorLine(mine.canvas, r, State(vkToolbar, idoToolbarStyle), true, false);
    DrawReference(reference, tdcToolbar, 6, 1, r);
    EXPECT_TRUE(SamePixels(mine, reference));
    t.DrawSeparatorLine(vertical.canvas, r, State(vkToolbar, idoToolbarStyle), false, false);
    DrawReference(verticalReference, tdcToolbar, 5, 1, r);
    EXPECT_TRUE(SamePixels(vertical, verticalReference));
    // Popup menus keep the etched line.
    Scene menu(40, 22);
    t.DrawSeparatorLine(menu.canvas, {0, 0, 40, 22}, State(vkPopupMenu), true, false);
    EXPECT_EQ(menu.At(20, 10), kShadow);
    EXPECT_EQ(menu.At(20, 11), kWhite);
  }
  {
    Scene mine(24, 22), reference(24, 22);
    t.DrawCheckControl(mine.canvas, r, 1, 1 | 8);  // checked, hot
    DrawReference(reference, tdcButton, 3, 6, r);
    EXPECT_TRUE(SamePixels(mine, reference));
    Scene radio(24, 22), radioReference(24, 22);
    t.DrawCheckControl(radio.canvas, r, 2, 4);  // disabled
    DrawReference(radioReference, tdcButton, 2, 4, r);
    EXPECT_TRUE(SamePixels(radio, radioReference));
  }
  {
    TSkinFloatingFrameInfo info{};
    info.BorderSize = {4, 4};
    info.RedrawParts = 1;
    info.Active = false;
    Scene mine(60, 50), reference(60, 50);
    t.DrawFloatingFrame(mine.canvas, {0, 0, 60, 50}, info);
    DrawReference(reference, tdcWindow, 12, 2, {0, 46, 60, 50});
    DrawReference(reference, tdcWindow, 2, 2, {0, 0, 60, 4});
    DrawReference(reference, tdcWindow, 10, 2, {0, 4, 4, 46});
    DrawReference(reference, tdcWindow, 11, 2, {56, 4, 60, 46});
    EXPECT_TRUE(SamePixels(mine, reference));
  }
  {
    Scene mine(24, 22), reference(24, 22);
    t.DrawDockBackground(mine.canvas, r, {0, 0, 24, 10}, 3);
    DrawReference(reference, tdcRebar, 0, 0, {0, 0, 24, 11});  // a side dock's clip reaches one lower
    EXPECT_TRUE(SamePixels(mine, reference));
  }
}

TEST_F(SkinDefaultDrawing, FlatMenuImagesAreBlendedAndFloatingFramesClassic) {
  TSkinDefaultTheme& t = Theme();
  ui::TImageList images(nullptr, 4, 4);
  AddRedSquare(images);
  // With flat menus an idle menu image is 178 parts image over the window colour.
  SetManagerParam(1, 2);
  TItemDrawState st = State(vkPopupMenu);
  {
    Scene s(8, 8);
    t.DrawGlyph(s.canvas, {0, 0, 8, 8}, st, &images, 0);
    EXPECT_EQ(s.At(1, 1), RGB(254, 76, 76));
  }
  st.Hover = 2;
  {
    Scene s(8, 8);
    t.DrawGlyph(s.canvas, {0, 0, 8, 8}, st, &images, 0);
    EXPECT_EQ(s.At(1, 1), RGB(255, 0, 0));  // hovered: the image as it is
  }
  st = State(vkPopupMenu);
  st.Enabled = 0;
  {
    Scene s(8, 8);
    t.DrawGlyph(s.canvas, {0, 0, 8, 8}, st, &images, 0);
    // Disabled: the ground darkened under the image's shape, by 195 parts of 256 for red.
    EXPECT_EQ(s.At(1, 1), RGB(0, 128 * 195 >> 8, 128 * 195 >> 8));
  }

  // A classic floating frame: a raised edge on the face around an untouched inside; a line of
  // the face under the caption; the caption colour around the close button.
  TSkinFloatingFrameInfo info{};
  info.BorderSize = {3, 3};
  info.ClientHeight = 30;
  info.CaptionShown = 1;
  info.CloseButtonState = 1;
  info.RedrawParts = 1;
  info.Active = true;
  {
    Scene s(100, 60);
    t.DrawFloatingFrame(s.canvas, {0, 0, 100, 60}, info);
    EXPECT_EQ(s.At(0, 0), kLight);
    EXPECT_EQ(s.At(1, 1), kWhite);
    EXPECT_EQ(s.At(2, 2), kFace);
    EXPECT_EQ(s.At(99, 59), kDark);
    EXPECT_EQ(s.At(98, 58), kShadow);
    EXPECT_EQ(s.At(50, 30), kGround);
    EXPECT_EQ(s.At(50, 10), kGround);  // the caption is not asked for
  }
  info.RedrawParts = 2 | 4;
  {
    Scene s(100, 60);
    t.DrawFloatingFrame(s.canvas, {0, 0, 100, 60}, info);
    EXPECT_EQ(s.At(0, 0), kGround);
    EXPECT_EQ(s.At(50, 26), kFace);                // the caption spans 3..27, its last row the line
    EXPECT_EQ(s.At(74, 4), EdgeSysColor(0));       // the close square: 24 wide at the right end
    EXPECT_EQ(s.At(50, 40), kGround);
  }

  // A classic disabled check box is flat: shadow frame, face inside, grey mark.
  {
    Scene s(16, 16);
    t.DrawCheckControl(s.canvas, {0, 0, 16, 16}, 1, 1 | 4);
    EXPECT_EQ(s.At(0, 0), kGround);
    EXPECT_EQ(s.At(1, 1), kShadow);
    EXPECT_EQ(s.At(2, 2), kFace);
    EXPECT_EQ(s.At(7, 10), kShadow);  // the mark, below its centre (7, 8)
    EXPECT_EQ(s.Count(kBlack), 0);
  }
}

TEST_F(SkinDefaultDrawing, PicturesOfThePartsClassicAndStyled) {
  TSkinDefaultTheme& t = Theme();
  Scene classic(300, 180, kWhite);
  DrawPartsSheet(t, classic);
  classic.picture.Save("skin_default_parts_classic");
  EXPECT_GT(classic.Count(kShadow), 0);
  EXPECT_EQ(classic.At(0, 0), kWhite);  // the toolbar's raised edge
  Styles(true);
  if (!StylesActive()) GTEST_SKIP() << "no visual styles on this system";
  Scene styled(300, 180, kWhite);
  DrawPartsSheet(t, styled);
  styled.picture.Save("skin_default_parts_styled");
  EXPECT_FALSE(SamePixels(classic, styled));
}

}  // namespace
}  // namespace movra::skin
