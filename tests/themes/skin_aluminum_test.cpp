// The Aluminum theme in classic colours: its tables, what it answers itself and what it leaves
// to the Default theme (never styled), its rounded primitives and where it lays its texture.
#include "themes/skin_aluminum.h"

#include <gtest/gtest.h>

#include <array>
#include <set>

#include "tests/themes/skin_default_test_support.h"

namespace movra::skin {
namespace {
using namespace test;

constexpr COLORREF Grey(int v) { return RGB(v, v, v); }

class Aluminum : public SkinDefault {
 public:
  void SetUp() override {
    SkinDefault::SetUp();
    SkinAluminumStart();
    SkinAluminumStart();  // a second start leaves the one registration
    theme_ = ObtainTheme("aluminum");
    t = dynamic_cast<TSkinAluminumTheme*>(theme_);
    ASSERT_NE(t, nullptr);
  }
  void TearDown() override {
    if (theme_) DropTheme(theme_);
    SkinDefault::TearDown();
  }
  TSkinTheme* theme_ = nullptr;
  TSkinAluminumTheme* t = nullptr;
};

TEST_F(Aluminum, TablesAroundFixedGreysAndAHighlightNeverTooDark) {
  EXPECT_EQ(t->Name(), "Aluminum");
  const TSkinAluminumColors& c = t->Colors();
  EXPECT_EQ(c.DarkFaceColor, static_cast<TColor>(0xC7C7C7));
  EXPECT_EQ(c.DimFaceColor, static_cast<TColor>(0xCFCFCF));
  EXPECT_EQ(c.ToolbarBackColor, static_cast<TColor>(0xDFDFDF));
  EXPECT_EQ(t->ToolbarBackColor(), c.ToolbarBackColor);
  EXPECT_EQ(ResolveColor(c.PopupBackColor), Grey(0xF9));
  EXPECT_EQ(c.DockPanelBackColor, c.PopupBackColor);
  EXPECT_EQ(ResolveColor(c.PopupFrameColor), Grey(0x7F));
  EXPECT_EQ(c.TextureDepth, 12);
  // The hot menu item is the hot toolbar item.
  EXPECT_EQ(c.Items.MenuItemColors[misHot], c.Items.ToolbarItemColors[tisHot]);
  EXPECT_EQ(c.Items.ToolbarItemColors[tisNormal][sicText], static_cast<TColor>(0));
  // Navy (lightness 0.25) is raised to 0.4 before anything is blended from it.
  double h, s, l;
  ColorToHsl(AluminumHighlightBase(), h, s, l);
  EXPECT_NEAR(l, 0.4, 0.01);
  ColorToHsl(c.Items.ToolbarItemColors[tisPushed][sicBack], h, s, l);
  EXPECT_GE(l, 0.4);
  // Transparent toolbars fall back to the toolbar colour and the dark grey.
  TItemDrawState s0 = State(vkToolbar | vkTransparentItems, idoToolbarStyle);
  EXPECT_EQ(c.Items.ItemColor(s0, sicBack), c.ToolbarBackColor);
  EXPECT_EQ(c.Items.ItemColor(s0, sicFrame), kAluminumDark);
  // The glyphs live while an instance does.
  ASSERT_NE(TSkinAluminumTheme::UnitState().Glyphs(), nullptr);
  EXPECT_EQ(TSkinAluminumTheme::UnitState().Glyphs()->Count(), 4);
  DropTheme(theme_);
  EXPECT_EQ(TSkinAluminumTheme::UnitState().Instances(), 0);
}

TEST_F(Aluminum, OwnAnswersAndTheClassicDefaultOnesEvenWithVisualStylesOn) {
  Styles(true);
  for (int id = 0; id < 10; ++id) EXPECT_EQ(t->GetFlag(id), id == 1 || id == 3 || (id >= 5 && id <= 7)) << id;
  TSkinMargins m{};
  t->GetItemMargins(smkToolbarItem, m);
  EXPECT_EQ((std::array{m.Left, m.Right, m.Top, m.Bottom}), (std::array{2, 2, 2, 2}));
  t->GetItemMargins(smkStatusPanel, m);
  EXPECT_EQ((std::array{m.Left, m.Right, m.Top, m.Bottom}), (std::array{1, 3, 1, 1}));
  const std::pair<int, int> metrics[] = {{10, 12}, {36, 1}, {62, 1}, {37, 2}, {60, 2},
                                         {61, 2},  {65, 14}, {66, 0}, {20, 8}, {99, -1}};
  for (auto [id, value] : metrics) EXPECT_EQ(t->GetMetric(id), value) << id;
  EXPECT_EQ(t->GetShadowKind(), 2);
  ui::TCanvas canvas;
  for (int look = 0; look < 16; ++look) {
    TItemDrawState s = State(vkToolbar, idoToolbarStyle);
    s.Pushed = look & 1;
    s.Checked = (look >> 1) & 1;
    s.Hover = (look >> 2) & 1 ? 2 : 0;
    s.Enabled = !((look >> 3) & 1);
    POINT shift{5, 5};
    t->GetGlyphShift(canvas, s, shift);
    EXPECT_EQ(shift.x, 0);
    EXPECT_EQ(shift.y, 0);
  }
  const std::pair<int, SIZE> borders[] = {
      {vkPopupMenu, {2, 2}}, {vkListPopup, {2, 2}}, {vkToolbar, {2, 2}}, {vkDockablePanel, {2, 2}}, {0, {0, 0}},
      {vkToolbar | vkFloating | vkResizable, {GetSystemMetrics(SM_CXFRAME) - 1, GetSystemMetrics(SM_CYFRAME) - 1}}};
  for (auto [kind, size] : borders) {
    SIZE got{};
    t->GetViewBorderSize(kind, got);
    EXPECT_EQ(got.cx, size.cx) << kind;
    EXPECT_EQ(got.cy, size.cy) << kind;
  }
  const TSkinAluminumColors& c = t->Colors();
  EXPECT_EQ(t->GetViewBackColor(vkMenuBar), c.MenuBarBackColor);
  EXPECT_EQ(t->GetViewBackColor(vkListPopup), ui::clWindow);
  EXPECT_EQ(t->GetViewBackColor(vkPopupMenu), c.PopupBackColor);
  EXPECT_EQ(t->GetViewBackColor(vkDockablePanel), c.DockPanelBackColor);
  // Item colours from the tables; none falls back to the view colour.
  TItemDrawState hot = State(vkPopupMenu);
  hot.Hover = 2;
  EXPECT_EQ(t->GetItemBackColor(hot), c.Items.ToolbarItemColors[tisHot][sicBack]);
  EXPECT_EQ(t->GetItemBackColor(State(vkPopupMenu)), c.PopupBackColor);
  EXPECT_EQ(t->GetItemCaptionColor(hot), c.Items.ToolbarItemColors[tisHot][sicText]);
  EXPECT_EQ(t->GetGlyphBackColor(State(vkToolbar, idoToolbarStyle)), c.ToolbarBackColor);
}

TEST_F(Aluminum, RoundFrameCornersAreBlendedPixels) {
  Scene two(10, 10, kWhite);
  DrawRoundFrame(two.picture.Dc(), {0, 0, 10, 10}, 2, ui::clBlack, 2, 2, 2);
  EXPECT_EQ(two.At(0, 0), Grey(224));  // 31 parts black
  EXPECT_EQ(two.At(1, 0), Grey(128));  // 127 parts
  EXPECT_EQ(two.At(0, 1), Grey(128));
  EXPECT_EQ(two.At(1, 1), Grey(96));   // 159 parts
  EXPECT_EQ(two.At(2, 0), kBlack);
  EXPECT_EQ(two.At(7, 0), kBlack);
  EXPECT_EQ(two.At(8, 0), Grey(128));
  EXPECT_EQ(two.At(9, 9), Grey(224));
  EXPECT_EQ(two.At(5, 5), kWhite);
  Scene one(10, 10, kWhite);
  DrawRoundFrame(one.picture.Dc(), {0, 0, 10, 10}, 1, ui::clBlack, 0, 1, 1);
  EXPECT_EQ(one.At(0, 0), kWhite);
  EXPECT_EQ(one.At(1, 1), Grey(192));  // 63 parts
  EXPECT_EQ(one.At(1, 0), kBlack);
  EXPECT_EQ(one.At(9, 9), kBlack);  // radius 0: a square corner
  EXPECT_EQ(one.At(8, 8), kWhite);
  // A filled round rect leaves its cut corners.
  Scene fill(10, 10, kWhite);
  FillRoundRect(fill.picture.Dc(), {0, 0, 10, 10}, 2, ui::clBlack, 2, 2, 2);
  EXPECT_EQ(fill.At(0, 0), kWhite);
  EXPECT_EQ(fill.At(5, 5), kBlack);
  EXPECT_EQ(fill.At(2, 0), kBlack);
}

TEST_F(Aluminum, EditFieldsHaveRoundCornersAndHotButtonsBlendedOnes) {
  Scene s(60, 20);
  TSkinEditBoxInfo info{};
  info.RightButtonWidth = 13;
  info.Button.Kind = 1;
  info.Button.State = 2;  // hot
  t->DrawEditBox(s.canvas, {0, 0, 60, 20}, State(vkToolbar, idoToolbarStyle), info);
  s.picture.Save("skin_aluminum_edit_box");
  // The field (2, 2)-(47, 18): white but for its corner pixels, where the frame's rounding shows.
  EXPECT_EQ(s.At(10, 10), kWhite);
  EXPECT_EQ(s.At(3, 2), kWhite);
  EXPECT_EQ(s.At(2, 3), kWhite);
  EXPECT_NE(s.At(2, 2), kWhite);
  EXPECT_NE(s.At(2, 17), kWhite);
  // The hot button (45, 2)-(58, 18) in the hot colour, its corners half way into what is under.
  TItemDrawState hot = State(vkToolbar, idoToolbarStyle);
  hot.Hover = 2;
  const COLORREF back = ResolveColor(t->Colors().Items.ItemColor(hot, sicBack));
  EXPECT_EQ(s.At(46, 2), back);
  EXPECT_EQ(s.At(47, 15), back);
  const COLORREF corner = s.At(45, 2);
  EXPECT_NE(corner, back);
  EXPECT_NEAR(GetRValue(corner), (GetRValue(back) + 255) / 2, 2);  // over the white field
}

TEST_F(Aluminum, PopupsAreNeverTexturedToolbarsAndDocksAlways) {
  auto distinct = [](const Scene& s) {
    std::set<COLORREF> colors;
    for (int y = 0; y < s.picture.Height(); ++y)
      for (int x = 0; x < s.picture.Width(); ++x) colors.insert(s.At(x, y));
    return colors.size();
  };
  const RECT r{0, 0, 40, 40};
  Scene popup(40, 40), bar(40, 40), dock(40, 40), under(40, 40);
  t->DrawViewBackground(popup.canvas, r, r, r, t->GetViewBackColor(vkPopupMenu), false, vkPopupMenu);
  EXPECT_EQ(popup.Count(Grey(0xF9)), 1600);
  t->DrawViewBackground(bar.canvas, r, r, r, t->GetViewBackColor(vkToolbar), false, vkToolbar);
  EXPECT_GT(distinct(bar), 1u);
  EXPECT_EQ(bar.Count(kGround), 0);
  dock.canvas.Brush().SetColor(t->ToolbarBackColor());
  t->DrawDockBackground(dock.canvas, r, {0, 0, 40, 20}, 1);
  EXPECT_GT(distinct(dock), 2u);
  EXPECT_EQ(dock.Count(kGround), 800);  // only the clip
  t->DrawViewBackground(under.canvas, r, r, r, t->GetViewBackColor(vkToolbar), true, vkToolbar);
  EXPECT_EQ(under.Count(kGround), 1600);
}

TEST_F(Aluminum, PopupFrameJoinsItsOpenerAndSeparatorsArePulledIn) {
  Scene s(60, 40);
  TSkinPopupBorderInfo info{};
  info.ViewKind = vkPopupMenu;
  info.OpeningItem = {0, -20, 30, 0};
  t->DrawPopupBorder(s.canvas, {0, 0, 60, 40}, info);
  EXPECT_EQ(s.At(0, 10), Grey(0x7F));
  EXPECT_EQ(s.At(40, 0), Grey(0x7F));
  EXPECT_EQ(s.At(10, 10), Grey(0xF9));
  // The shared segment is a checker of the two; its ends keep the frame.
  EXPECT_NE(s.At(10, 0), s.At(11, 0));
  EXPECT_EQ(s.At(0, 0), Grey(0x7F));
  EXPECT_EQ(s.At(29, 0), Grey(0x7F));
  Scene sep(20, 9);
  t->DrawSeparatorLine(sep.canvas, {0, 0, 20, 9}, State(vkToolbar, idoToolbarStyle), true, false);
  EXPECT_EQ(sep.At(1, 4), kGround);
  EXPECT_EQ(sep.At(2, 4), ResolveColor(t->Colors().SeparatorColor));
  EXPECT_EQ(sep.At(17, 4), ResolveColor(t->Colors().SeparatorColor));
  EXPECT_EQ(sep.At(18, 4), kGround);
}

TEST_F(Aluminum, FloatingFrameAndPanelFrames) {
  Scene s(160, 80, kWhite);
  TSkinFloatingFrameInfo info{};
  info.ViewKind = vkToolbar | vkFloating;
  info.BorderSize = {3, 3};
  info.ClientWidth = 154;
  info.ClientHeight = 40;
  info.CaptionShown = 1;
  info.RedrawParts = 7;
  info.CloseButtonState = 1;
  info.Active = true;
  info.Caption = "Tools";
  info.BackgroundColor = t->Colors().ToolbarBackColor;
  t->DrawFloatingFrame(s.canvas, {0, 0, 160, 80}, info);
  s.picture.Save("skin_aluminum_floating_frame");
  const COLORREF f = Grey(159 * 220 >> 8), w = Grey(0xDF);
  EXPECT_EQ(s.At(0, 40), f);
  EXPECT_EQ(s.At(1, 40), f);
  EXPECT_EQ(s.At(2, 40), w);
  EXPECT_EQ(s.At(2, 77), Grey((136 * 127 + 0xDF * 128) >> 8));  // the window frame's corner
  const int bottom = 3 + GetSystemMetrics(SM_CYSMCAPTION);
  EXPECT_EQ(s.At(40, bottom - 2), f);
  EXPECT_EQ(s.At(40, bottom - 1), w);

  Scene p(100, 60, kWhite);
  TSkinPanelNCInfo panel{};
  panel.CaptionShown = 1;
  panel.CloseButtonState = 1;
  panel.Caption = "Panel";
  panel.Color = t->Colors().DockPanelBackColor;
  t->DrawPanelNonClient(p.canvas, {0, 0, 100, 60}, panel);
  p.picture.Save("skin_aluminum_panel_frame");
  EXPECT_EQ(p.At(0, 30), Grey(0xC7));
  EXPECT_EQ(p.At(1, 30), Grey(0xF9));
  EXPECT_EQ(p.At(1, 58), Grey(0xC7));  // the inner frame's corner
}

TEST_F(Aluminum, PictureOfTheParts) {
  Scene sheet(300, 180, kWhite);
  DrawPartsSheet(*t, sheet);
  sheet.picture.Save("skin_aluminum_parts");
  EXPECT_GT(sheet.Count(Grey(0x7F)), 0);
}

}  // namespace
}  // namespace movra::skin
