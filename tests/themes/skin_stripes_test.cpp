// The Stripes theme in classic colours: its own colours, what it answers itself and what it
// leaves to the Default theme (never styled), and the pixels its drawing rules fix.
#include "themes/skin_stripes.h"

#include <gtest/gtest.h>

#include <array>

#include "tests/themes/skin_default_test_support.h"

namespace movra::skin {
namespace {
using namespace test;

constexpr COLORREF Grey(int v) { return RGB(v, v, v); }

class Stripes : public SkinDefault {
 public:
  void SetUp() override {
    SkinDefault::SetUp();
    SkinStripesStart();
    SkinStripesStart();  // a second start leaves the one registration
    theme_ = ObtainTheme("stripes");
    t = dynamic_cast<TSkinStripesTheme*>(theme_);
    ASSERT_NE(t, nullptr);
  }
  void TearDown() override {
    if (theme_) DropTheme(theme_);
    SkinDefault::TearDown();
  }
  TSkinTheme* theme_ = nullptr;
  TSkinStripesTheme* t = nullptr;
};

TEST_F(Stripes, ColoursFromTheSystemColoursAndTheSharedUnitState) {
  EXPECT_EQ(t->Name(), "Stripes");
  EXPECT_EQ(ResolveColor(t->PanelColor()), Grey(238));
  EXPECT_EQ(ResolveColor(t->SoftShadowColor()), Grey(138));
  EXPECT_EQ(t->ToolbarBackColor(), ui::clBtnFace);
  // A changed scheme is taken in the change phase.
  SetSysColorSource([](int index) { return index == COLOR_BTNFACE ? Grey(0xF5) : EdgeSysColor(index); });
  ThemeManagerInstance()->Broadcast(SKM_SYSTEMCHANGE, scpChange, 0);
  EXPECT_EQ(ResolveColor(t->SoftShadowColor()), Grey((128 * 210 + 0xF5 * 45) >> 8));
  SetSysColorSource(&EdgeSysColor);
  // The pattern and the glyphs live while an instance does.
  TSkinThemeUnitState& unit = TSkinStripesTheme::UnitState();
  EXPECT_EQ(unit.Instances(), 1);
  ASSERT_NE(unit.Glyphs(), nullptr);
  EXPECT_EQ(unit.Glyphs()->Count(), 4);
  {
    TSkinStripesTheme second("Second");
    EXPECT_EQ(unit.Instances(), 2);
  }
  EXPECT_EQ(unit.Instances(), 1);
  DropTheme(theme_);
  EXPECT_EQ(unit.Instances(), 0);
  EXPECT_EQ(unit.Glyphs(), nullptr);
}

TEST_F(Stripes, OwnAnswersAndTheClassicDefaultOnesEvenWithVisualStylesOn) {
  Styles(true);
  // Never styled: flag 5 and the inherited margins and metrics stay classic.
  for (int id = 0; id < 10; ++id) EXPECT_FALSE(t->GetFlag(id)) << id;
  TSkinMargins m{};
  t->GetItemMargins(smkToolbarItem, m);
  EXPECT_EQ((std::array{m.Left, m.Right, m.Top, m.Bottom}), (std::array{2, 2, 2, 2}));
  t->GetItemMargins(smkMenuItem, m);
  EXPECT_EQ((std::array{m.Left, m.Right, m.Top, m.Bottom}), (std::array{0, 0, 2, 2}));
  t->GetItemMargins(smkStatusPanel, m);
  EXPECT_EQ((std::array{m.Left, m.Right, m.Top, m.Bottom}), (std::array{1, 3, 1, 1}));
  const std::pair<int, int> metrics[] = {{10, 12}, {36, 1}, {62, 1}, {37, 2}, {60, 2}, {61, 2}, {65, 14},
                                         {20, 8},  {21, 3}, {32, 1}, {33, 2}, {50, 6}, {66, 0}, {99, -1}};
  for (auto [id, value] : metrics) EXPECT_EQ(t->GetMetric(id), value) << id;
  EXPECT_EQ(t->GetShadowKind(), 3);
  // Inherited: the glyph shift, the padding of a floating toolbar, the hovered menu item.
  TItemDrawState s = State(vkToolbar, idoToolbarStyle);
  s.Pushed = 1;
  POINT shift{};
  ui::TCanvas canvas;
  t->GetGlyphShift(canvas, s, shift);
  EXPECT_EQ(shift.x, 1);
  t->GetViewPadding(vkToolbar | vkFloating, m);
  EXPECT_EQ((std::array{m.Left, m.Right, m.Top, m.Bottom}), (std::array{4, 4, 2, 1}));
  TItemDrawState menu = State(vkPopupMenu);
  menu.Hover = 2;
  EXPECT_EQ(t->GetItemBackColor(menu), ui::clHighlight);

  const std::pair<int, SIZE> borders[] = {
      {vkToolbar, {2, 2}},     {vkDockablePanel, {2, 2}}, {vkListPopup, {2, 2}}, {vkPopupMenu, {3, 3}},
      {vkChevronPopup, {3, 3}}, {0, {0, 0}},
      {vkToolbar | vkFloating | vkResizable, {GetSystemMetrics(SM_CXFRAME), GetSystemMetrics(SM_CYFRAME)}},
      {vkDockablePanel | vkFloating, {GetSystemMetrics(SM_CXDLGFRAME), GetSystemMetrics(SM_CYDLGFRAME)}}};
  for (auto [kind, size] : borders) {
    SIZE got{};
    t->GetViewBorderSize(kind, got);
    EXPECT_EQ(got.cx, size.cx) << kind;
    EXPECT_EQ(got.cy, size.cy) << kind;
  }
  EXPECT_EQ(t->GetViewBackColor(vkMenuBar), ui::clBtnFace);
  EXPECT_EQ(t->GetViewBackColor(vkPopupMenu), SkinSystem().MenuBackColor);
  EXPECT_EQ(t->GetViewBackColor(vkChevronPopup), SkinSystem().MenuBackColor);
  EXPECT_EQ(t->GetViewBackColor(vkListPopup), ui::clWindow);
  EXPECT_EQ(t->GetViewBackColor(vkToolboxPopup), ui::clBtnFace);
  EXPECT_EQ(t->GetViewBackColor(vkDockablePanel), t->PanelColor());
  EXPECT_EQ(t->GetViewBackColor(vkStatusBar), ui::clBtnFace);

  // Caption colours.
  TItemDrawState off = State(vkPopupMenu);
  off.Enabled = 0;
  off.Hover = 1;
  EXPECT_EQ(t->GetItemCaptionColor(off), ui::clBtnShadow);
  off.Hover = 0;
  EXPECT_EQ(t->GetItemCaptionColor(off), t->SoftShadowColor());
  EXPECT_EQ(t->GetItemCaptionColor(menu), ui::clHighlightText);
  EXPECT_EQ(t->GetItemCaptionColor(State(vkMenuBar, idoToolbarStyle)), ui::clGrayText);
  EXPECT_EQ(t->GetItemCaptionColor(State(vkMenuBar, idoToolbarStyle | idoAppActive)),
            ui::SystemColor(COLOR_MENUTEXT));
  EXPECT_EQ(t->GetItemCaptionColor(State(vkToolbar, idoToolbarStyle)), ui::clBtnText);
}

TEST_F(Stripes, StripesEveryFivePixelsFromTheViewTopUnderAnyPartialRepaint) {
  const RECT view{0, 0, 12, 30};
  Scene whole(12, 30);
  t->DrawViewBackground(whole.canvas, view, view, view, ui::clBtnFace, false, vkToolbar);
  for (int y = 0; y < 30; ++y) {
    const COLORREF want = y % 5 == 0 ? Grey(0xB0) : y % 5 == 1 ? Grey(0xD0) : kFace;
    EXPECT_EQ(whole.At(6, y), want) << y;
  }
  // Repaints that start inside a period meet the stripes already there; nothing outside.
  for (int top : {1, 6, 7, 13}) {
    Scene part(12, 30);
    const RECT paint{0, top, 12, 30}, clip{2, 0, 10, 30};
    t->DrawViewBackground(part.canvas, view, paint, clip, ui::clBtnFace, false, vkToolbar);
    for (int y = 0; y < 30; ++y) {
      EXPECT_EQ(part.At(1, y), kGround);
      EXPECT_EQ(part.At(5, y), y < top ? kGround : whole.At(5, y)) << top << " " << y;
    }
  }
  // The stripes count from the view's own top.
  Scene moved(12, 30);
  const RECT lower{0, 3, 12, 30};
  t->DrawViewBackground(moved.canvas, lower, lower, lower, ui::clBtnFace, false, vkPopupMenu);
  EXPECT_EQ(moved.At(4, 3), Grey(0xB0));
  EXPECT_EQ(moved.At(4, 9), Grey(0xD0));
  // Painted underneath: nothing at all. Menu bars and panels: a plain fill.
  Scene none(12, 30);
  t->DrawViewBackground(none.canvas, view, view, view, ui::clBtnFace, true, vkToolbar);
  EXPECT_EQ(none.Count(kGround), 12 * 30);
  for (int kind : {vkMenuBar, vkDockablePanel, vkToolbar | vkTransparentItems}) {
    Scene plain(12, 30);
    t->DrawViewBackground(plain.canvas, view, view, view, ui::clBtnFace, false, kind);
    EXPECT_EQ(plain.Count(kFace), 12 * 30) << kind;
  }
}

TEST_F(Stripes, ChamferFramesDotPatternsAndButtonFaces) {
  Scene frame(10, 10, kWhite);
  DrawChamferFrame(frame.picture.Dc(), {0, 0, 10, 10}, 2, ui::clBlack, 1);
  EXPECT_EQ(frame.At(0, 0), kWhite);
  EXPECT_EQ(frame.At(1, 0), kWhite);
  EXPECT_EQ(frame.At(1, 1), kBlack);  // the cut of 2
  EXPECT_EQ(frame.At(2, 0), kBlack);
  EXPECT_EQ(frame.At(8, 0), kBlack);
  EXPECT_EQ(frame.At(9, 0), kWhite);  // the cut of 1
  EXPECT_EQ(frame.At(9, 1), kBlack);
  EXPECT_EQ(frame.At(0, 8), kWhite);
  EXPECT_EQ(frame.At(1, 8), kBlack);
  EXPECT_EQ(frame.At(5, 5), kWhite);

  // Light dots at each 4 x 4 cell's corner, dark ones below-right, aligned to the area.
  Scene dots(20, 20);
  TSkinStripesTheme::DrawDotPattern(dots.picture.Dc(), {3, 3, 19, 19}, ui::clBtnFace, 1);
  const COLORREF light = Grey((192 * 32 + 255 * 223) >> 8), dark = Grey((192 * 64 + 128 * 191) >> 8);
  EXPECT_EQ(dots.At(3, 3), kFace);  // the inset keeps the fill
  EXPECT_EQ(dots.At(4, 4), light);
  EXPECT_EQ(dots.At(5, 5), dark);
  EXPECT_EQ(dots.At(6, 6), kFace);
  EXPECT_EQ(dots.At(8, 4), light);
  EXPECT_EQ(dots.At(13, 13), dark);
  EXPECT_EQ(dots.At(2, 2), kGround);
  Scene bare(14, 14);
  TSkinStripesTheme::DrawDotPattern(bare.picture.Dc(), {0, 0, 14, 14}, ui::clNone, 0);
  EXPECT_EQ(bare.At(1, 1), kWhite);
  EXPECT_EQ(bare.At(2, 2), kShadow);
  EXPECT_EQ(bare.At(5, 5), kWhite);
  EXPECT_EQ(bare.At(0, 0), kGround);
  EXPECT_EQ(bare.Count(kGround), 14 * 14 - 2 * 9);

  // Pushed: a shadow chamfer around a checker with a face-coloured inner edge.
  TItemDrawState pushed = State(vkToolbar, idoToolbarStyle);
  pushed.Pushed = 1;
  Scene p(20, 20);
  t->DrawButtonFace(p.canvas, {0, 0, 20, 20}, pushed);
  EXPECT_EQ(p.At(0, 0), kGround);
  EXPECT_EQ(p.At(2, 0), kShadow);
  EXPECT_EQ(p.At(1, 5), kFace);
  EXPECT_EQ(p.At(5, 1), kFace);
  const COLORREF mixed = Grey((255 * 128 + 192 * 127) >> 8);
  EXPECT_TRUE((p.At(5, 5) == mixed && p.At(6, 5) == kWhite) || (p.At(5, 5) == kWhite && p.At(6, 5) == mixed));
  // At low colour the mix is the highlight itself: the checker is plain highlight.
  SetScreenBitsSource([] { return 8; });
  ThemeManagerInstance()->ReRead();
  ASSERT_TRUE(SkinSystem().LowColorDisplay);
  Scene low(20, 20);
  t->DrawButtonFace(low.canvas, {0, 0, 20, 20}, pushed);
  SetScreenBitsSource(nullptr);
  ThemeManagerInstance()->ReRead();
  EXPECT_EQ(low.At(2, 0), kShadow);
  EXPECT_EQ(low.At(5, 5), kWhite);
  EXPECT_EQ(low.At(6, 5), kWhite);
  // Hot: a lighter checker and a softer chamfer; idle: nothing.
  TItemDrawState hot = State(vkToolbar, idoToolbarStyle);
  hot.Hover = 2;
  Scene h(20, 20);
  t->DrawButtonFace(h.canvas, {0, 0, 20, 20}, hot);
  EXPECT_EQ(h.At(5, 0), Grey((128 * 192 + 192 * 63) >> 8));
  EXPECT_GT(h.Count(Grey((255 * 192 + 192 * 63) >> 8)), 100);
  Scene idle(20, 20);
  t->DrawButtonFace(idle.canvas, {0, 0, 20, 20}, State(vkToolbar, idoToolbarStyle));
  EXPECT_EQ(idle.Count(kGround), 400);
  // A hot menu-bar item is a highlight fill.
  TItemDrawState bar = State(vkMenuBar, idoToolbarStyle);
  bar.Hover = 2;
  Scene m(20, 20);
  t->DrawButtonFace(m.canvas, {0, 0, 20, 20}, bar);
  EXPECT_EQ(m.Count(kNavy), 400);
}

TEST_F(Stripes, SeparatorsPopupFramesStatusPartsAndArrows) {
  Scene sep(20, 9);
  t->DrawSeparatorLine(sep.canvas, {0, 0, 20, 9}, State(vkPopupMenu), true, false);
  EXPECT_EQ(sep.At(1, 4), Grey(138));
  EXPECT_EQ(sep.At(18, 4), Grey(138));
  EXPECT_EQ(sep.At(0, 4), kGround);
  EXPECT_EQ(sep.At(19, 4), kGround);
  TItemDrawState off = State(vkPopupMenu);
  off.Enabled = 0;
  Scene none(20, 9);
  t->DrawSeparatorLine(none.canvas, {0, 0, 20, 9}, off, true, false);
  EXPECT_EQ(none.Count(kGround), 180);

  Scene popup(30, 30);
  TSkinPopupBorderInfo info{};
  info.ViewKind = vkPopupMenu;
  t->DrawPopupBorder(popup.canvas, {0, 0, 30, 30}, info);
  EXPECT_EQ(popup.At(0, 0), Grey(63));
  EXPECT_EQ(popup.At(1, 1), kWhite);
  EXPECT_EQ(popup.At(28, 28), kShadow);
  EXPECT_EQ(popup.At(15, 15), kFace);
  info.ViewKind = vkListPopup;
  t->DrawPopupBorder(popup.canvas, {0, 0, 30, 30}, info);
  EXPECT_EQ(popup.At(1, 1), kWhite);
  EXPECT_EQ(popup.At(28, 28), kWhite);

  Scene status(40, 20);
  t->DrawStatusBarPart(status.canvas, {0, 0, 40, 20}, 0);
  EXPECT_EQ(status.At(10, 2), Grey((128 * 96 + 192 * 159) >> 8));
  EXPECT_EQ(status.At(10, 5), kFace);
  t->DrawStatusBarPart(status.canvas, {0, 0, 20, 20}, 1);
  EXPECT_EQ(status.At(17, 4), Grey(138));
  EXPECT_EQ(status.At(17, 3), kFace);
  EXPECT_EQ(status.At(17, 17), kFace);

  // Drop arrows: text colour when enabled, the soft shadow when not, one pixel lower pushed.
  Scene arrow(20, 20);
  TItemDrawState s = State(vkToolbar, idoToolbarStyle);
  t->DrawDropArrow(arrow.canvas, {0, 0, 20, 20}, s);
  EXPECT_EQ(arrow.At(10, 9), kBlack);
  EXPECT_EQ(arrow.At(10, 11), kBlack);
  EXPECT_EQ(arrow.At(10, 12), kGround);
  s.Enabled = 0;
  Scene grey(20, 20);
  t->DrawDropArrow(grey.canvas, {0, 0, 20, 20}, s);
  EXPECT_EQ(grey.At(10, 10), Grey(138));
  EXPECT_EQ(grey.Count(kBlack), 0);
}

TEST_F(Stripes, ToolbarGripIsDottedAndTheMenuSelectionStriped) {
  TSkinToolbarNCInfo bar{};
  bar.BorderStyle = 1;
  bar.BorderSize = {2, 2};
  bar.DragAllowed = 1;
  bar.DragHandleStyle = 0;
  Scene s(100, 26);
  s.canvas.Brush().SetColor(ui::clBtnFace);
  t->DrawToolbarNonClient(s.canvas, {0, 0, 100, 26}, bar);
  EXPECT_EQ(s.At(0, 0), kWhite);  // the raised edge
  EXPECT_EQ(s.At(2 + 9 - 2, 12), Grey((128 * 96 + 192 * 159) >> 8));  // the line ending the handle
  EXPECT_GT(s.Count(Grey((192 * 32 + 255 * 223) >> 8), {2, 2, 9, 24}), 4);
  EXPECT_EQ(s.Count(Grey((192 * 32 + 255 * 223) >> 8), {12, 0, 100, 26}), 0);

  TItemDrawState item = State(vkPopupMenu, idoAppActive | idoSubmenu);
  item.Hover = 2;
  item.ImageWidth = 16;
  item.ImageColumnWidth = 20;
  Scene menu(120, 20);
  t->DrawMenuItemFace(menu.canvas, {0, 0, 120, 20}, item);
  const int left = t->GetMetric(smMenuItemGap1) + 20;
  EXPECT_EQ(menu.At(left + 5, 0), RGB(0, 0, 0x70));   // dark stripe of the highlight
  EXPECT_EQ(menu.At(left + 5, 2), kNavy);
  EXPECT_EQ(menu.At(left - 1, 10), kGround);  // the selection starts after the image column
  EXPECT_NE(menu.At(10, 10), kGround);        // where the hovered item's image column has a face
  EXPECT_GT(menu.Count(kWhite, {100, 0, 120, 20}), 3);  // the submenu arrow in highlight text
}

TEST_F(Stripes, FloatingFrameEtchedWithADottedCaption) {
  Scene s(160, 80, kWhite);
  TSkinFloatingFrameInfo info{};
  info.ViewKind = vkToolbar | vkFloating;
  info.BorderSize = {4, 4};
  info.ClientWidth = 152;
  info.ClientHeight = 40;
  info.CaptionShown = 1;
  info.RedrawParts = 7;
  info.CloseButtonState = 1;
  info.Active = true;
  info.Caption = "Tools";
  t->DrawFloatingFrame(s.canvas, {0, 0, 160, 80}, info);
  s.picture.Save("skin_stripes_floating_frame");
  EXPECT_EQ(s.At(0, 40), Grey(63));     // the dark frame
  EXPECT_EQ(s.At(1, 40), kWhite);       // the raised edge
  EXPECT_EQ(s.At(2, 40), kFace);        // two face frames
  EXPECT_EQ(s.At(3, 40), kFace);
  const int bottom = 4 + GetSystemMetrics(SM_CYSMCAPTION);
  EXPECT_EQ(s.At(20, bottom - 1), kFace);
  EXPECT_EQ(s.At(20, bottom - 2), Grey(138));
  // Dots on both sides of the text band.
  const COLORREF light = Grey((192 * 32 + 255 * 223) >> 8);
  EXPECT_GT(s.Count(light, {4, 4, 40, bottom}), 0);
  EXPECT_GT(s.Count(light, {110, 4, 140, bottom}), 0);
  EXPECT_EQ(s.Count(light, {70, 4, 90, bottom}), 0);
  // Inactive: a plain caption.
  info.Active = false;
  Scene plain(160, 80, kWhite);
  t->DrawFloatingFrame(plain.canvas, {0, 0, 160, 80}, info);
  EXPECT_EQ(plain.Count(light, {4, 4, 156, bottom}), 0);
}

TEST_F(Stripes, PictureOfTheParts) {
  Scene sheet(300, 180, kWhite);
  DrawPartsSheet(*t, sheet);
  sheet.picture.Save("skin_stripes_parts");
  EXPECT_GT(sheet.Count(Grey(138)), 0);
  EXPECT_GT(sheet.Count(Grey(0xB0)), 0);
}

}  // namespace
}  // namespace movra::skin
