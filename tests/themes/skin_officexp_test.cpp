// The flat theme as the registry makes it: its answers, and what it paints into memory pictures
// at the pixels its rules fix (classic colours injected).
#include "themes/skin_officexp.h"

#include <gtest/gtest.h>

#include "support.h"
#include "tests/themes/skin_test_support.h"

namespace movra::skin {
namespace {

using movra::testing::TestPicture;
using ui::clNone;

constexpr COLORREF kPaper = RGB(255, 255, 255);
COLORREF Grey(int v) { return RGB(v, v, v); }
COLORREF Rgb(TColor color) { return ResolveColor(color); }

TItemDrawState State(int viewKind, bool enabled, int hover, bool pushed = false, bool checked = false) {
  TItemDrawState s{};
  s.ViewKind = viewKind;
  s.Options = IsPopupMenuView(viewKind) ? 0u : static_cast<uint32_t>(idoToolbarStyle);
  s.Enabled = enabled;
  s.Hover = static_cast<uint8_t>(hover);
  s.Pushed = pushed;
  s.Checked = checked;
  return s;
}

// A canvas on a picture for the length of a test.
class PictureCanvas {
 public:
  PictureCanvas(int width, int height) : picture(width, height, kPaper) { canvas.SetHandle(picture.Dc()); }
  ~PictureCanvas() { canvas.SetHandle(nullptr); }
  TestPicture picture;
  ui::TCanvas canvas;
};

class OfficeXPTheme : public ::testing::Test {
 protected:
  void SetUp() override {
    SkinThemesStart();
    SkinOfficeXPStart();
    SkinOfficeXPStart();  // a second start leaves the one registration
    theme_ = ObtainTheme("officexp");
    xp = dynamic_cast<TSkinOfficeXPTheme*>(theme_);
    ASSERT_NE(xp, nullptr);
  }
  void TearDown() override {
    if (theme_) DropTheme(theme_);
    SkinThemesEnd();
  }
  const TSkinItemColors& Bar(int state) const { return xp->Colors().Items.ToolbarItemColors[state]; }

  test::ClassicColors classic;
  TSkinTheme* theme_ = nullptr;
  TSkinOfficeXPTheme* xp = nullptr;
};

TEST_F(OfficeXPTheme, RegisteredUnderItsNameAndFollowsSystemColourChanges) {
  EXPECT_EQ(xp->Name(), "OfficeXP");
  EXPECT_EQ(xp->Colors().ToolbarBackColor, static_cast<TColor>(Grey(202)));
  // A changed scheme reaches the tables in the change phase of the manager's notice.
  SetSysColorSource([](int index) -> COLORREF {
    return index == COLOR_BTNFACE ? RGB(0xF5, 0xF5, 0xF5) : test::ClassicSysColor(index);
  });
  ThemeManagerInstance()->Broadcast(SKM_SYSTEMCHANGE, scpBefore, 0);
  EXPECT_EQ(xp->Colors().ToolbarBackColor, static_cast<TColor>(Grey(202)));
  ThemeManagerInstance()->Broadcast(SKM_SYSTEMCHANGE, scpChange, 0);
  EXPECT_EQ(xp->Colors().MenuBarBackColor, static_cast<TColor>(Grey(0xF5)));
  EXPECT_NE(xp->Colors().ToolbarBackColor, static_cast<TColor>(Grey(202)));
  // The caption glyphs came with the program.
  ASSERT_NE(TSkinOfficeXPTheme::CaptionGlyphs(), nullptr);
  EXPECT_EQ(TSkinOfficeXPTheme::CaptionGlyphs()->Count(), 4);
}

TEST_F(OfficeXPTheme, MetricsFlagsMarginsBordersAndViewColours) {
  const std::pair<int, int> metrics[] = {{10, 12}, {20, 8}, {21, 3}, {32, 5}, {33, 3}, {34, 3}, {35, 3},
                                         {36, 2},  {37, 2}, {50, 6}, {60, 1}, {61, 2}, {62, 2}, {65, 14},
                                         {66, 1},  {0, -1}, {11, -1}};
  for (auto [id, value] : metrics) EXPECT_EQ(xp->GetMetric(id), value) << id;
  for (int id = 0; id < 10; ++id) EXPECT_EQ(xp->GetFlag(id), id == 1 || id == 3 || id == 7) << id;
  EXPECT_EQ(xp->GetShadowKind(), 2);

  TSkinMargins m{};
  xp->GetItemMargins(smkMenuItem, m);
  EXPECT_EQ((std::array{m.Left, m.Right, m.Top, m.Bottom}), (std::array{1, 1, 3, 3}));
  xp->GetItemMargins(smkStatusPanel, m);
  EXPECT_EQ((std::array{m.Left, m.Right, m.Top, m.Bottom}), (std::array{1, 3, 1, 1}));
  xp->GetItemMargins(9, m);
  EXPECT_EQ((std::array{m.Left, m.Right, m.Top, m.Bottom}), (std::array{0, 0, 0, 0}));
  for (int kind : {vkToolbar | vkFloating | vkResizable, vkDockablePanel | vkFloating, vkPopupMenu, vkMenuBar}) {
    m = {9, 9, 9, 9};
    xp->GetViewPadding(kind, m);
    EXPECT_EQ((std::array{m.Left, m.Right, m.Top, m.Bottom}), (std::array{0, 0, 0, 0})) << kind;
  }

  SIZE size{};
  xp->GetViewBorderSize(vkToolbar, size);
  EXPECT_EQ((std::pair{size.cx, size.cy}), (std::pair{2L, 2L}));
  xp->GetViewBorderSize(vkToolbar | vkFloating | vkResizable, size);
  EXPECT_EQ((std::pair{size.cx, size.cy}),
            (std::pair{long(GetSystemMetrics(SM_CXFRAME) - 1), long(GetSystemMetrics(SM_CYFRAME) - 1)}));
  xp->GetViewBorderSize(vkDockablePanel | vkFloating, size);
  EXPECT_EQ((std::pair{size.cx, size.cy}),
            (std::pair{long(GetSystemMetrics(SM_CXDLGFRAME) - 1), long(GetSystemMetrics(SM_CYDLGFRAME) - 1)}));
  xp->GetViewBorderSize(vkPopupMenu, size);
  EXPECT_EQ((std::pair{size.cx, size.cy}), (std::pair{1L, 2L}));
  xp->GetViewBorderSize(vkChevronPopup, size);
  EXPECT_EQ((std::pair{size.cx, size.cy}), (std::pair{2L, 2L}));
  xp->GetViewBorderSize(vkStatusBar, size);
  EXPECT_EQ((std::pair{size.cx, size.cy}), (std::pair{0L, 0L}));

  const TSkinOfficeXPColors& c = xp->Colors();
  EXPECT_EQ(xp->GetViewBackColor(vkMenuBar | vkFloating), c.MenuBarBackColor);
  EXPECT_EQ(xp->GetViewBackColor(vkToolbar), c.ToolbarBackColor);
  EXPECT_EQ(xp->GetViewBackColor(vkListPopup), ui::clWindow);
  EXPECT_EQ(xp->GetViewBackColor(vkChevronPopup), c.PopupBackColor);
  EXPECT_EQ(xp->GetViewBackColor(vkDockablePanel), c.DockPanelBackColor);
  EXPECT_EQ(xp->GetViewBackColor(vkStatusBar), ui::clBtnFace);
  // An idle item shows its view's colour; a disabled menu item under the mouse the popup's.
  EXPECT_EQ(xp->GetItemBackColor(State(vkToolbar, true, 0)), c.ToolbarBackColor);
  EXPECT_EQ(xp->GetItemBackColor(State(vkPopupMenu, false, 1)), c.PopupBackColor);
  EXPECT_EQ(xp->GetItemCaptionColor(State(vkPopupMenu, false, 1)), static_cast<TColor>(Grey(166)));
  EXPECT_EQ(xp->GetGlyphBackColor(State(vkToolbar, true, 0, true)), static_cast<TColor>(RGB(128, 128, 192)));
}

TEST_F(OfficeXPTheme, OnlyAHoveredButtonThatIsNeitherCheckedNorHeldDownIsLifted) {
  ui::TCanvas canvas;
  auto shift = [&](TItemDrawState s, bool popupOpen = false) {
    s.PopupOpen = popupOpen;
    POINT p{7, 7};
    xp->GetGlyphShift(canvas, s, p);
    return std::pair{p.x, p.y};
  };
  EXPECT_EQ(shift(State(vkToolbar, true, 2)), (std::pair{-1L, -1L}));
  EXPECT_EQ(shift(State(vkToolbar, true, 2, true), true), (std::pair{-1L, -1L}));
  EXPECT_EQ(shift(State(vkToolbar, true, 2, true)), (std::pair{0L, 0L}));
  EXPECT_EQ(shift(State(vkToolbar, true, 2, false, true)), (std::pair{0L, 0L}));
  EXPECT_EQ(shift(State(vkToolbar, true, 0)), (std::pair{0L, 0L}));
  EXPECT_EQ(shift(State(vkToolbar, false, 1)), (std::pair{0L, 0L}));
}

TEST_F(OfficeXPTheme, ButtonFacesAreAFrameAndAFillInTheStatesColours) {
  PictureCanvas p(200, 24);
  const struct {
    TItemDrawState state;
    int state_index;
  } cases[] = {{State(vkToolbar, true, 2), tisHot},
               {State(vkToolbar, true, 2, true), tisPushed},
               {State(vkToolbar, true, 0, false, true), tisChecked},
               {State(vkToolbar, true, 2, false, true), tisCheckedHot}};
  int left = 0;
  for (const auto& c : cases) {
    xp->DrawButtonFace(p.canvas, {left, 0, left + 30, 24}, c.state);
    EXPECT_EQ(p.picture.Pixel(left, 0), Rgb(Bar(c.state_index)[sicFrame])) << c.state_index;
    EXPECT_EQ(p.picture.Pixel(left + 29, 23), Rgb(Bar(c.state_index)[sicFrame])) << c.state_index;
    EXPECT_EQ(p.picture.Pixel(left + 15, 12), Rgb(Bar(c.state_index)[sicBack])) << c.state_index;
    left += 32;
  }
  EXPECT_EQ(p.picture.Pixel(32 + 15, 12), RGB(128, 128, 192));
  // An idle button draws nothing; one framed even when idle only a grey frame.
  xp->DrawButtonFace(p.canvas, {130, 0, 160, 24}, State(vkToolbar, true, 0));
  EXPECT_EQ(p.picture.Pixel(130, 0), kPaper);
  TItemDrawState framed = State(vkToolbar, true, 0);
  framed.Options |= idoDesigning;
  xp->DrawButtonFace(p.canvas, {162, 0, 192, 24}, framed);
  EXPECT_EQ(p.picture.Pixel(162, 0), Grey(166));
  EXPECT_EQ(p.picture.Pixel(170, 12), kPaper);
  p.picture.Save("officexp_button_faces");
}

TEST_F(OfficeXPTheme, MenuItemsHaveAGutterAndASelectionThatCoversIt) {
  PictureCanvas p(120, 66);
  const TSkinOfficeXPColors& c = xp->Colors();
  TItemDrawState idle = State(vkPopupMenu, true, 0);
  idle.ImageColumnWidth = 20;
  TItemDrawState hot = idle;
  hot.Hover = 2;
  TItemDrawState disabledHot = idle;
  disabledHot.Enabled = 0;
  disabledHot.Hover = 1;
  xp->DrawMenuItemFace(p.canvas, {0, 0, 120, 20}, idle);
  xp->DrawMenuItemFace(p.canvas, {0, 22, 120, 42}, hot);
  xp->DrawMenuItemFace(p.canvas, {0, 44, 120, 64}, disabledHot);
  // The idle item: the gutter runs two pixels past the image column, nothing else.
  EXPECT_EQ(p.picture.Pixel(0, 10), Rgb(c.ToolbarBackColor));
  EXPECT_EQ(p.picture.Pixel(21, 10), Rgb(c.ToolbarBackColor));
  EXPECT_EQ(p.picture.Pixel(22, 10), kPaper);
  // The hot item: the gutter's first column, then the hot frame and fill over the rest.
  EXPECT_EQ(p.picture.Pixel(0, 32), Rgb(c.ToolbarBackColor));
  EXPECT_EQ(p.picture.Pixel(1, 32), Rgb(Bar(tisHot)[sicFrame]));
  EXPECT_EQ(p.picture.Pixel(60, 22), Rgb(Bar(tisHot)[sicFrame]));
  EXPECT_EQ(p.picture.Pixel(118, 32), Rgb(Bar(tisHot)[sicFrame]));
  EXPECT_EQ(p.picture.Pixel(119, 32), kPaper);
  EXPECT_EQ(p.picture.Pixel(10, 32), Rgb(Bar(tisHot)[sicBack]));
  EXPECT_EQ(p.picture.Pixel(60, 32), Rgb(Bar(tisHot)[sicBack]));
  // A disabled item under the mouse: the popup's colour in a highlight frame.
  EXPECT_EQ(p.picture.Pixel(1, 54), RGB(0, 0, 128));
  EXPECT_EQ(p.picture.Pixel(60, 54), Grey(246));
  p.picture.Save("officexp_menu_items");
}

TEST_F(OfficeXPTheme, CheckedMenuItemsGetABoxAndSubmenusAnArrow) {
  PictureCanvas p(120, 20);
  TItemDrawState s = State(vkPopupMenu, true, 0, false, true);
  s.ImageColumnWidth = 20;
  s.Options |= idoSubmenu;
  xp->DrawMenuItemFace(p.canvas, {0, 0, 120, 20}, s);
  // The box: the image column from left + 1, shrunk by one, framed and filled.
  EXPECT_EQ(p.picture.Pixel(2, 1), Rgb(Bar(tisChecked)[sicFrame]));
  EXPECT_EQ(p.picture.Pixel(10, 10), Rgb(Bar(tisChecked)[sicBack]));
  EXPECT_EQ(p.picture.Pixel(1, 10), Rgb(xp->Colors().ToolbarBackColor));
  // The arrow points right, its tip on the middle row.
  const int w = GetSystemMetrics(SM_CXMENUCHECK), e = 120 - 2 * w / 3;
  EXPECT_EQ(p.picture.Pixel(e, 10), Grey(0));
  EXPECT_EQ(p.picture.Pixel(e - 1, 7), Grey(0));
  EXPECT_EQ(p.picture.Pixel(e + 3, 10), kPaper);
}

TEST_F(OfficeXPTheme, PopupBordersLeaveOutTheSideTheyShareWithTheirOpener) {
  PictureCanvas p(160, 50);
  const TSkinOfficeXPColors& c = xp->Colors();
  // Dropped down from a toolbar button above it.
  TSkinPopupBorderInfo below{};
  below.ViewKind = vkPopupMenu;
  below.OpeningItem = {10, -20, 40, 0};
  xp->DrawPopupBorder(p.canvas, {0, 0, 60, 50}, below);
  EXPECT_EQ(p.picture.Pixel(5, 0), Rgb(c.PopupFrameColor));
  EXPECT_EQ(p.picture.Pixel(10, 0), Rgb(c.PopupFrameColor));
  EXPECT_EQ(p.picture.Pixel(11, 0), Rgb(c.ToolbarBackColor));
  EXPECT_EQ(p.picture.Pixel(38, 0), Rgb(c.ToolbarBackColor));
  EXPECT_EQ(p.picture.Pixel(39, 0), Rgb(c.PopupFrameColor));
  EXPECT_EQ(p.picture.Pixel(20, 49), Rgb(c.PopupFrameColor));
  EXPECT_EQ(p.picture.Pixel(0, 25), Rgb(c.PopupFrameColor));
  EXPECT_EQ(p.picture.Pixel(30, 25), Rgb(c.PopupBackColor));
  // Opened to the right of an item that reaches past the popup's top: clipped to the popup.
  TSkinPopupBorderInfo right{};
  right.ViewKind = vkPopupMenu;
  right.OpeningItem = {-30, -5, 0, 15};
  PictureCanvas q(60, 50);
  xp->DrawPopupBorder(q.canvas, {0, 0, 60, 50}, right);
  EXPECT_EQ(q.picture.Pixel(0, 0), Rgb(c.PopupFrameColor));
  EXPECT_EQ(q.picture.Pixel(0, 1), Rgb(c.ToolbarBackColor));
  EXPECT_EQ(q.picture.Pixel(0, 13), Rgb(c.ToolbarBackColor));
  EXPECT_EQ(q.picture.Pixel(0, 14), Rgb(c.PopupFrameColor));
  EXPECT_EQ(q.picture.Pixel(59, 5), Rgb(c.PopupFrameColor));
  // No opener, or one that does not touch: the whole frame.
  TSkinPopupBorderInfo apart{};
  apart.OpeningItem = {100, 100, 120, 120};
  xp->DrawPopupBorder(p.canvas, {80, 0, 140, 50}, apart);
  EXPECT_EQ(p.picture.Pixel(100, 0), Rgb(c.PopupFrameColor));
  p.picture.Save("officexp_popup_borders");
}

TEST_F(OfficeXPTheme, HotImagesAreLiftedOverTheirShadowAndPushedOnesStay) {
  ui::TCustomImageList images(nullptr, 16, 16);
  ui::TBitmap square(16, 16);
  FillRectColor(square.Canvas().Handle(), {0, 0, 16, 16}, ui::clWhite);
  FillRectColor(square.Canvas().Handle(), {4, 4, 12, 12}, ui::clBlack);
  ASSERT_EQ(images.AddMasked(square, ui::clWhite), 0);

  PictureCanvas p(80, 30);
  xp->DrawGlyph(p.canvas, {10, 10, 26, 26}, State(vkToolbar, true, 2), &images, 0);
  // The square covers 4..11 of the image: drawn from 13, its shadow reaches 22.
  EXPECT_EQ(p.picture.Pixel(13, 13), Grey(0));
  EXPECT_EQ(p.picture.Pixel(20, 20), Grey(0));
  EXPECT_EQ(p.picture.Pixel(21, 21), Rgb(xp->Colors().ImageShadowColor));
  EXPECT_EQ(p.picture.Pixel(22, 22), Rgb(xp->Colors().ImageShadowColor));
  EXPECT_EQ(p.picture.Pixel(23, 23), kPaper);
  EXPECT_EQ(p.picture.Pixel(12, 12), kPaper);

  xp->DrawGlyph(p.canvas, {40, 10, 56, 26}, State(vkToolbar, true, 2, true), &images, 0);
  EXPECT_EQ(p.picture.Pixel(43, 13), kPaper);
  EXPECT_EQ(p.picture.Pixel(44, 14), Grey(0));
  EXPECT_EQ(p.picture.Pixel(51, 21), Grey(0));
  EXPECT_EQ(p.picture.Pixel(52, 22), kPaper);
  // Disabled: the shape in the disabled text colour.
  PictureCanvas d(20, 20);
  xp->DrawGlyph(d.canvas, {0, 0, 16, 16}, State(vkToolbar, false, 0), &images, 0);
  EXPECT_EQ(d.picture.Pixel(8, 8), Rgb(Bar(tisDisabled)[sicText]));
  EXPECT_EQ(d.picture.Pixel(1, 1), kPaper);
  // An index outside the list paints nothing.
  xp->DrawGlyph(d.canvas, {0, 0, 16, 16}, State(vkToolbar, true, 0), &images, 3);
  xp->DrawGlyph(d.canvas, {0, 0, 16, 16}, State(vkToolbar, true, 0), nullptr, 0);
  EXPECT_EQ(d.picture.Pixel(1, 1), kPaper);
}

TEST_F(OfficeXPTheme, SeparatorsAreOneLineAndTheMenuOnesStartAfterTheGutter) {
  PictureCanvas p(100, 40);
  const TSkinOfficeXPColors& c = xp->Colors();
  TItemDrawState menu = State(vkPopupMenu, true, 0);
  menu.ImageColumnWidth = 20;
  xp->DrawSeparatorLine(p.canvas, {0, 0, 100, 6}, menu, true, false);
  EXPECT_EQ(p.picture.Pixel(0, 0), Rgb(c.ToolbarBackColor));
  EXPECT_EQ(p.picture.Pixel(21, 3), Rgb(c.ToolbarBackColor));
  EXPECT_EQ(p.picture.Pixel(28, 3), kPaper);
  EXPECT_EQ(p.picture.Pixel(29, 3), Rgb(c.MenuSeparatorColor));
  EXPECT_EQ(p.picture.Pixel(99, 3), Rgb(c.MenuSeparatorColor));
  EXPECT_EQ(p.picture.Pixel(50, 2), kPaper);
  // A disabled (blank) one keeps the gutter and draws no line.
  menu.Enabled = 0;
  xp->DrawSeparatorLine(p.canvas, {0, 10, 100, 16}, menu, true, false);
  EXPECT_EQ(p.picture.Pixel(5, 13), Rgb(c.ToolbarBackColor));
  EXPECT_EQ(p.picture.Pixel(50, 13), kPaper);
  // On a toolbar: a vertical line down the middle.
  xp->DrawSeparatorLine(p.canvas, {40, 20, 46, 40}, State(vkToolbar, true, 0), false, false);
  EXPECT_EQ(p.picture.Pixel(43, 20), Rgb(c.ToolbarSeparatorColor));
  EXPECT_EQ(p.picture.Pixel(43, 39), Rgb(c.ToolbarSeparatorColor));
  EXPECT_EQ(p.picture.Pixel(42, 30), kPaper);
}

TEST_F(OfficeXPTheme, DockedToolbarsHaveACutCornerBorderADottedGripAndACloseButton) {
  const TSkinOfficeXPColors& c = xp->Colors();
  PictureCanvas p(120, 26);
  p.canvas.Brush().SetColor(c.ToolbarBackColor);
  TSkinToolbarNCInfo info{};
  info.ViewKind = vkToolbar;
  info.DragAllowed = 1;
  info.BorderStyle = 1;
  info.BorderSize = {2, 2};
  info.DragHandleStyle = 2;  // single
  xp->DrawToolbarNonClient(p.canvas, {0, 0, 120, 26}, info);
  // The border is inset by one, its corners cut.
  EXPECT_EQ(p.picture.Pixel(0, 10), kPaper);
  EXPECT_EQ(p.picture.Pixel(1, 10), Rgb(c.ToolbarBackColor));
  EXPECT_EQ(p.picture.Pixel(1, 1), kPaper);
  EXPECT_EQ(p.picture.Pixel(2, 1), Rgb(c.ToolbarBackColor));
  EXPECT_EQ(p.picture.Pixel(118, 24), kPaper);
  // Grip: dashes three pixels long at offset 1 in the handle strip, every second row.
  EXPECT_EQ(p.picture.Pixel(3, 5), Rgb(c.DragHandleColor));
  EXPECT_EQ(p.picture.Pixel(5, 5), Rgb(c.DragHandleColor));
  EXPECT_EQ(p.picture.Pixel(6, 5), Rgb(c.ToolbarBackColor));
  EXPECT_EQ(p.picture.Pixel(3, 6), Rgb(c.ToolbarBackColor));
  EXPECT_EQ(p.picture.Pixel(3, 7), Rgb(c.DragHandleColor));
  EXPECT_EQ(p.picture.Pixel(3, 20), Rgb(c.ToolbarBackColor));  // 3 before the band's end
  p.picture.Save("officexp_toolbar_frame");

  // With a hot close button: the square at the strip's start in the hot colours, the grip
  // further along.
  PictureCanvas q(120, 26);
  q.canvas.Brush().SetColor(c.ToolbarBackColor);
  info.CloseButtonState = 3;
  xp->DrawToolbarNonClient(q.canvas, {0, 0, 120, 26}, info);
  EXPECT_EQ(q.picture.Pixel(2, 2), Rgb(Bar(tisHot)[sicFrame]));
  EXPECT_EQ(q.picture.Pixel(14, 14), Rgb(Bar(tisHot)[sicFrame]));
  EXPECT_EQ(q.picture.Pixel(3, 3), Rgb(Bar(tisHot)[sicBack]));
  EXPECT_EQ(q.picture.Pixel(15, 15), Rgb(c.ToolbarBackColor));
  q.picture.Save("officexp_toolbar_frame_close");

  // On a vertical dock the button is at the strip's right end, and the grip stops short of it.
  PictureCanvas v(26, 120);
  v.canvas.Brush().SetColor(c.ToolbarBackColor);
  info.Vertical = 1;
  info.CloseButtonState = 1;
  xp->DrawToolbarNonClient(v.canvas, {0, 0, 26, 120}, info);
  EXPECT_EQ(v.picture.Pixel(5, 7), Rgb(c.DragHandleColor));
  EXPECT_EQ(v.picture.Pixel(5, 9), Rgb(c.DragHandleColor));
  EXPECT_EQ(v.picture.Pixel(6, 7), Rgb(c.ToolbarBackColor));
  for (int x = 10; x < 26; ++x)
    for (int y = 7; y < 10; ++y) EXPECT_NE(v.picture.Pixel(x, y), Rgb(c.DragHandleColor)) << x << "," << y;
  int cross = 0;
  for (int x = 11; x < 24; ++x)
    for (int y = 2; y < 15; ++y) cross += v.picture.Pixel(x, y) == Rgb(Bar(tisNormal)[sicText]);
  EXPECT_EQ(cross, 26);
  v.picture.Save("officexp_toolbar_frame_vertical");
}

TEST_F(OfficeXPTheme, FloatingFramesAreFlatRingsWithACaptionInTheWindowColours) {
  const TSkinOfficeXPColors& c = xp->Colors();
  PictureCanvas p(100, 60);
  p.canvas.Brush().SetColor(c.ToolbarBackColor);
  TSkinFloatingFrameInfo info{};
  info.ViewKind = vkToolbar | vkFloating;
  info.BorderSize = {3, 3};
  info.ClientWidth = 94;
  info.ClientHeight = 40;
  info.CaptionShown = 1;
  info.RedrawParts = 7;
  info.CloseButtonState = 1;
  info.Caption = "Tools";
  info.Active = true;
  xp->DrawFloatingFrame(p.canvas, {0, 0, 100, 60}, info);
  const TSkinWindowColors& active = c.ToolbarWindowColors[swrActive];
  EXPECT_EQ(p.picture.Pixel(0, 30), Rgb(active.Border));
  EXPECT_EQ(p.picture.Pixel(1, 30), Rgb(active.Border));
  EXPECT_EQ(p.picture.Pixel(2, 30), Rgb(c.ToolbarBackColor));  // the rounding line
  EXPECT_EQ(p.picture.Pixel(2, 2), Rgb(active.Border));        // the corner it leaves out
  EXPECT_EQ(p.picture.Pixel(99, 59), Rgb(active.Border));
  const int height = GetSystemMetrics(SM_CYSMCAPTION) - 1;
  EXPECT_EQ(p.picture.Pixel(4, 4), Rgb(active.Caption));
  EXPECT_EQ(p.picture.Pixel(20, 3 + height - 1), Rgb(c.ToolbarBackColor));  // the line under it
  // The close button at the caption's right end: an idle one is just its cross on the caption.
  EXPECT_EQ(p.picture.Pixel(97 - height, 3), Rgb(active.Caption));
  int ink = 0;
  for (int y = 3; y < 2 + height; ++y)
    for (int x = 97 - height; x < 97; ++x) ink += p.picture.Pixel(x, y) == Rgb(Bar(tisNormal)[sicText]);
  EXPECT_EQ(ink, 26);  // the set bits of the 8 x 7 cross
  p.picture.Save("officexp_floating_frame");
  // Pressed: the button in the pushed colours.
  info.CloseButtonState = 5;
  info.RedrawParts = 4;
  xp->DrawFloatingFrame(p.canvas, {0, 0, 100, 60}, info);
  EXPECT_EQ(p.picture.Pixel(97 - height, 3), Rgb(Bar(tisPushed)[sicFrame]));
  EXPECT_EQ(p.picture.Pixel(98 - height, 4), Rgb(Bar(tisPushed)[sicBack]));
}

TEST_F(OfficeXPTheme, PanelFramesCaptionsAndStatusBarParts) {
  const TSkinOfficeXPColors& c = xp->Colors();
  PictureCanvas p(100, 60);
  TSkinPanelNCInfo info{};
  info.ViewKind = vkDockablePanel;
  info.Color = c.DockPanelBackColor;
  info.BorderSize = {2, 2};
  info.CaptionShown = 1;
  info.CloseButtonState = 1;
  info.Caption = "Log";
  xp->DrawPanelNonClient(p.canvas, {0, 0, 100, 60}, info);
  // A face-coloured ring, then one in the panel's colour with face-coloured corners.
  EXPECT_EQ(p.picture.Pixel(0, 30), Grey(192));
  EXPECT_EQ(p.picture.Pixel(1, 30), Rgb(c.DockPanelBackColor));
  EXPECT_EQ(p.picture.Pixel(1, 1), Grey(192));
  const int size = GetSystemMetrics(SM_CYSMCAPTION);
  EXPECT_EQ(p.picture.Pixel(50, 2 + size - 1), Rgb(c.DockPanelBackColor));  // the caption's closing line
  EXPECT_EQ(p.picture.Pixel(50, 2), Grey(192));
  p.picture.Save("officexp_panel_frame");

  PictureCanvas s(60, 20);
  xp->DrawStatusBarPart(s.canvas, {0, 0, 60, 20}, 0);
  EXPECT_EQ(s.picture.Pixel(30, 10), Grey(192));
  xp->DrawStatusBarPart(s.canvas, {0, 0, 30, 20}, 1);
  EXPECT_EQ(s.picture.Pixel(0, 10), Rgb(c.StatusPanelFrameColor));
  EXPECT_EQ(s.picture.Pixel(27, 10), Rgb(c.StatusPanelFrameColor));  // two pixels narrower
  EXPECT_EQ(s.picture.Pixel(29, 10), Grey(192));
  xp->DrawStatusBarPart(s.canvas, {30, 0, 60, 20}, 3);
  EXPECT_EQ(s.picture.Pixel(58, 18), Grey(192));   // the first line of a round, in the face colour
}

TEST_F(OfficeXPTheme, CaptionButtonsCheckMarksArrowsAndCheckControls) {
  PictureCanvas p(120, 20);
  TSkinCaptionButtonInfo hot{0, 1};
  xp->DrawCaptionButton(p.canvas, {0, 0, 18, 17}, hot, 0);
  EXPECT_EQ(p.picture.Pixel(0, 0), Rgb(Bar(tisHot)[sicFrame]));
  EXPECT_EQ(p.picture.Pixel(2, 2), Rgb(Bar(tisHot)[sicBack]));
  // The close glyph's middle lands on the button's middle, in the hot text colour.
  EXPECT_EQ(p.picture.Pixel(9, 8), Rgb(Bar(tisHot)[sicText]));
  // Maximise: its glyph (a window with a thick title bar) on the face too.
  xp->DrawCaptionButton(p.canvas, {20, 0, 38, 17}, hot, 2);
  EXPECT_EQ(p.picture.Pixel(22, 2), Rgb(Bar(tisHot)[sicBack]));
  int ink = 0;
  for (int y = 0; y < 17; ++y)
    for (int x = 20; x < 38; ++x) ink += p.picture.Pixel(x, y) == Rgb(Bar(tisHot)[sicText]);
  EXPECT_GT(ink, 20);

  xp->DrawCheckGlyph(p.canvas, {40, 0, 60, 20}, State(vkPopupMenu, true, 0, false, true));
  EXPECT_EQ(p.picture.Pixel(50 - 2, 10 + 1), Rgb(Bar(tisChecked)[sicText]));
  EXPECT_EQ(p.picture.Pixel(50 + 2, 10 - 3), Rgb(Bar(tisChecked)[sicText]));

  xp->DrawDropArrow(p.canvas, {60, 0, 70, 20}, State(vkToolbar, true, 0));
  EXPECT_EQ(p.picture.Pixel(65, 10), Grey(0));
  EXPECT_EQ(p.picture.Pixel(63, 9), Grey(0));
  EXPECT_EQ(p.picture.Pixel(65, 12), kPaper);

  xp->DrawCheckControl(p.canvas, {80, 0, 93, 13}, 1, 0x10 | 1);  // pressed, checked
  EXPECT_EQ(p.picture.Pixel(81, 1), Rgb(Bar(tisPushed)[sicFrame]));
  EXPECT_EQ(p.picture.Pixel(83, 3), Rgb(Bar(tisPushed)[sicBack]));
  EXPECT_EQ(p.picture.Pixel(86, 6), Rgb(Bar(tisPushed)[sicText]));
  xp->DrawCheckControl(p.canvas, {100, 0, 113, 13}, 1, 4);  // disabled: a shadow frame, no fill
  EXPECT_EQ(p.picture.Pixel(101, 6), Grey(128));
  EXPECT_EQ(p.picture.Pixel(104, 4), kPaper);
  p.picture.Save("officexp_small_parts");
}

TEST_F(OfficeXPTheme, DockBackgroundsAreLeftAloneAndViewBackgroundsFilledWhereAsked) {
  PictureCanvas p(40, 40);
  xp->DrawDockBackground(p.canvas, {0, 0, 40, 40}, {0, 0, 40, 40}, 1);
  EXPECT_EQ(p.picture.Pixel(20, 20), kPaper);
  xp->DrawViewBackground(p.canvas, {}, {0, 0, 40, 20}, {10, 0, 40, 40}, ui::clBtnFace, true, vkToolbar);
  EXPECT_EQ(p.picture.Pixel(20, 10), kPaper);
  xp->DrawViewBackground(p.canvas, {}, {0, 0, 40, 20}, {10, 0, 40, 40}, ui::clBtnFace, false, vkToolbar);
  EXPECT_EQ(p.picture.Pixel(20, 10), Grey(192));
  EXPECT_EQ(p.picture.Pixel(5, 10), kPaper);
  EXPECT_EQ(p.picture.Pixel(20, 30), kPaper);
}

TEST_F(OfficeXPTheme, OnAWhiteFaceBordersAreDitheredRings) {
  // Button faces of pure white leave no room for a solid border colour.
  SetSysColorSource([](int index) -> COLORREF {
    return index == COLOR_BTNFACE ? RGB(255, 255, 255) : test::ClassicSysColor(index);
  });
  xp->RebuildColors();
  const TSkinOfficeXPColors& c = xp->Colors();
  PictureCanvas p(60, 26);
  p.canvas.Brush().SetColor(c.ToolbarBackColor);
  TSkinToolbarNCInfo info{};
  info.ViewKind = vkToolbar;
  info.BorderStyle = 1;
  info.BorderSize = {2, 2};
  xp->DrawToolbarNonClient(p.canvas, {0, 0, 60, 26}, info);
  const COLORREF a = p.picture.Pixel(10, 1), b = p.picture.Pixel(11, 1);
  EXPECT_NE(a, b);
  EXPECT_TRUE((a == Rgb(c.ToolbarBackColor) && b == Rgb(Bar(tisDisabled)[sicText])) ||
              (b == Rgb(c.ToolbarBackColor) && a == Rgb(Bar(tisDisabled)[sicText])));
  EXPECT_EQ(p.picture.Pixel(1, 1), a == Rgb(c.ToolbarBackColor) ? a : b);  // the corner is not cut
  EXPECT_EQ(p.picture.Pixel(30, 12), Rgb(c.ToolbarBackColor));
  EXPECT_EQ(p.picture.Pixel(0, 12), kPaper);
  p.picture.Save("officexp_toolbar_frame_white_face");

  // The panel: a ring in its colour, a checker of it with the shadow colour, a ring again.
  PictureCanvas q(60, 40);
  TSkinPanelNCInfo panel{};
  panel.ViewKind = vkDockablePanel;
  panel.Color = c.DockPanelBackColor;
  panel.BorderSize = {3, 3};
  xp->DrawPanelNonClient(q.canvas, {0, 0, 60, 40}, panel);
  EXPECT_EQ(q.picture.Pixel(0, 20), Rgb(c.DockPanelBackColor));
  EXPECT_NE(q.picture.Pixel(1, 20), q.picture.Pixel(1, 21));
  EXPECT_TRUE(q.picture.Pixel(1, 20) == Grey(128) || q.picture.Pixel(1, 21) == Grey(128));
  EXPECT_EQ(q.picture.Pixel(1, 1), Rgb(c.DockPanelBackColor));  // a corner at the caption's end
  EXPECT_EQ(q.picture.Pixel(2, 20), Rgb(c.DockPanelBackColor));
}

}  // namespace
}  // namespace movra::skin
