#pragma once
// What the Default theme's tests share: classic colours with the edge colours, the themed
// extension started with "Default" current, and pictures to draw into.
#include <windows.h>

#include <gtest/gtest.h>

#include "support.h"
#include "tests/themes/skin_test_support.h"
#include "themes/skin_default.h"

namespace movra::skin::test {

using movra::testing::TestPicture;

inline constexpr COLORREF kFace = RGB(192, 192, 192), kShadow = RGB(128, 128, 128), kWhite = RGB(255, 255, 255),
                   kBlack = RGB(0, 0, 0), kNavy = RGB(0, 0, 128), kLight = RGB(223, 223, 223),
                   kDark = RGB(64, 64, 64), kGround = RGB(0, 128, 128);

// The classic scheme with the edge colours an exact check needs.
inline COLORREF EdgeSysColor(int index) {
  switch (index) {
    case COLOR_3DLIGHT: return kLight;
    case COLOR_3DDKSHADOW: return kDark;
    case COLOR_WINDOWFRAME: return kBlack;
    default: return ClassicSysColor(index);
  }
}

// The themed extension started with the Default theme current, classic colours injected and
// visual styles switched as the test asks.
class SkinDefault : public ::testing::Test {
 public:
  void SetUp() override {
    SetSysColorSource(&EdgeSysColor);
    SkinStart();
    Styles(false);
    SetManagerParam(1, 1);  // no flat menus unless a test asks
  }
  void TearDown() override {
    SkinEnd();
    SetSysColorSource(nullptr);
  }
  // Switches visual styles; the themes rebuild their colours in the change phase.
  static void Styles(bool on) { SetManagerParam(2, on ? 0 : 1); }
  static bool StylesActive() { return SkinSystem().VisualStylesActive; }
  static TSkinDefaultTheme& Theme() { return *dynamic_cast<TSkinDefaultTheme*>(ActiveTheme()); }
  static TItemDrawState State(int viewKind, uint32_t options = 0) {
    TItemDrawState s{};
    s.ViewKind = viewKind;
    s.Options = options;
    s.Enabled = 1;
    return s;
  }
};

// A picture on the ground colour with a canvas over it.
struct Scene {
  TestPicture picture;
  ui::TCanvas canvas;
  Scene(int w, int h, COLORREF ground = kGround) : picture(w, h, ground) { canvas.SetHandle(picture.Dc()); }
  ~Scene() { canvas.SetHandle(nullptr); }
  COLORREF At(int x, int y) const { return picture.Pixel(x, y); }
  int Count(COLORREF color, RECT area) const {
    int n = 0;
    for (int y = area.top; y < area.bottom; ++y)
      for (int x = area.left; x < area.right; ++x) n += picture.Pixel(x, y) == color;
    return n;
  }
  int Count(COLORREF color) const { return Count(color, {0, 0, picture.Width(), picture.Height()}); }
};

// A sheet of a theme's parts in their states, for a reviewer to look at (300 x 180). Every
// theme that derives from the Default one draws the same sheet.
inline void DrawPartsSheet(TSkinDefaultTheme& t, Scene& s) {
  auto State = &SkinDefault::State;
  ui::TCanvas& c = s.canvas;
  TSkinToolbarNCInfo bar{};
  bar.BorderStyle = 1;
  bar.BorderSize = {2, 2};
  bar.DragAllowed = 1;
  bar.CloseButtonState = 1;
  bar.EffectiveColor = t.ToolbarBackColor();
  c.Brush().SetColor(static_cast<TColor>(ResolveColor(t.ToolbarBackColor())));
  t.DrawToolbarNonClient(c, {0, 0, 300, 28}, bar);
  // The toolbar's client, right of the handle strip.
  const RECT barClient{16, 2, 298, 26};
  t.DrawViewBackground(c, barClient, barClient, barClient, t.GetViewBackColor(vkToolbar), false, vkToolbar);
  const uint8_t looks[][4] = {{1, 0, 0, 0}, {1, 0, 2, 0}, {1, 1, 2, 0}, {1, 0, 0, 1}, {1, 0, 2, 1}, {0, 0, 0, 0}};
  int x = 18;
  for (const auto& look : looks) {
    TItemDrawState st = State(vkToolbar, idoToolbarStyle | idoAppActive);
    st.Enabled = look[0];
    st.Pushed = look[1];
    st.Hover = look[2];
    st.Checked = look[3];
    t.DrawButtonFace(c, {x, 3, x + 24, 25}, st);
    t.DrawItemCaption(c, {x, 3, x + 24, 25}, st, "A", DT_SINGLELINE | DT_CENTER | DT_VCENTER, false);
    x += 26;
  }
  TItemDrawState split = State(vkToolbar, idoToolbarStyle);
  split.Hover = 2;
  split.Part = 2;
  t.DrawButtonFace(c, {x, 3, x + 24, 25}, split);
  split.Part = 3;
  t.DrawButtonFace(c, {x + 24, 3, x + 24 + t.GetMetric(10), 25}, split);
  TItemDrawState sep = State(vkToolbar, idoToolbarStyle);
  t.DrawSeparatorLine(c, {x + 40, 3, x + 46, 25}, sep, false, false);
  t.DrawChevronGlyph(c, {280, 3, 296, 25}, State(vkToolbar, idoToolbarStyle));

  TSkinPopupBorderInfo popup{};
  popup.ViewKind = vkPopupMenu;
  t.DrawPopupBorder(c, {0, 32, 160, 120}, popup);
  const RECT popupClient{3, 35, 157, 117};
  t.DrawViewBackground(c, popupClient, popupClient, popupClient, t.GetViewBackColor(vkPopupMenu), false,
                       vkPopupMenu);
  TItemDrawState item = State(vkPopupMenu, idoAppActive);
  item.ImageColumnWidth = 20;
  item.ImageWidth = 16;
  t.DrawMenuItemFace(c, {3, 35, 157, 55}, item);
  item.Hover = 2;
  item.Options |= idoSubmenu;
  t.DrawMenuItemFace(c, {3, 55, 157, 75}, item);
  t.DrawSeparatorLine(c, {3, 75, 157, 84}, item, true, false);
  TItemDrawState checked = State(vkPopupMenu, idoAppActive | idoSplit);
  checked.Checked = 1;
  checked.ImageColumnWidth = 20;
  t.DrawMenuItemFace(c, {3, 84, 157, 104}, checked);
  t.DrawCheckGlyph(c, {3, 84, 23, 104}, checked);

  TSkinPanelNCInfo panel{};
  panel.CaptionShown = 1;
  panel.CloseButtonState = 1;
  panel.Caption = "Panel";
  t.DrawPanelNonClient(c, {170, 32, 300, 120}, panel);

  TSkinEditBoxInfo edit{};
  edit.RightButtonWidth = 13;
  edit.Button.Kind = 1;
  t.DrawEditBox(c, {0, 126, 100, 148}, State(vkToolbar, idoToolbarStyle), edit);
  edit.Button.Kind = 2;
  TItemDrawState hot = State(vkToolbar, idoToolbarStyle);
  hot.Hover = 2;
  t.DrawEditBox(c, {110, 126, 210, 148}, hot, edit);
  t.DrawCheckControl(c, {220, 128, 236, 144}, 1, 1);
  t.DrawCheckControl(c, {240, 128, 256, 144}, 2, 1);
  t.DrawCaptionButton(c, {260, 128, 276, 144}, {}, 0);
  t.DrawScrollerButton(c, {280, 128, 296, 144}, 2, true);

  t.DrawStatusBarPart(c, {0, 154, 300, 176}, 0);
  t.DrawStatusBarPart(c, {2, 156, 150, 174}, 1);
  t.DrawStatusBarPart(c, {150, 156, 280, 174}, 2);
  t.DrawStatusBarPart(c, {280, 156, 298, 174}, 3);
}

}  // namespace movra::skin::test
