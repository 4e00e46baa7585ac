// The Default theme: its tables of metrics, flags, margins and colours with visual styles off
// and on, and its drawing checked pixel by pixel in memory pictures, in injected classic
// colours for the exact checks and against the visual-styles parts where styles are in use.
#include "themes/skin_default.h"

#include <gtest/gtest.h>

#include <array>
#include <map>
#include <memory>
#include <string>

#include "support.h"
#include "tests/themes/skin_default_test_support.h"
#include "themes/skin_uxthemes.h"

namespace movra::skin {
namespace {
using namespace test;

using ui::clBtnFace;

std::array<int, 4> Sides(const TSkinMargins& m) { return {m.Left, m.Right, m.Top, m.Bottom}; }

// A theme that keeps the classic look even where visual styles are in use.
class TClassicOnlyTheme : public TSkinDefaultTheme {
 public:
  // The base constructor built the colours with its own answer; a derived theme builds again.
  explicit TClassicOnlyTheme(const std::string& name) : TSkinDefaultTheme(name) { RebuildColors(); }

 protected:
  bool UsesVisualStyles() const override { return false; }
};

TEST_F(SkinDefault, StartRegistersDefaultAndSelectingItWorks) {
  ASSERT_TRUE(ThemeClassExists("Default"));
  EXPECT_EQ(CurrentThemeName(), "Default");
  ASSERT_NE(dynamic_cast<TSkinDefaultTheme*>(ActiveTheme()), nullptr);
  RegisterDefaultTheme();  // a second registration is no error
  SelectTheme("default");
  EXPECT_EQ(CurrentThemeName(), "Default");
  EXPECT_EQ(ThemeReferenceCount("Default"), 1);
  // Counted: an inner start and end leave the theme in place.
  SkinStart();
  SkinEnd();
  EXPECT_EQ(CurrentThemeName(), "Default");
}

TEST_F(SkinDefault, ClassicMetricFlagAndMarginTables) {
  TSkinDefaultTheme& t = Theme();
  const std::map<int, int> metrics = {{10, 11}, {20, 8},  {21, 3},  {32, 1},  {62, 1}, {33, 2}, {34, 2},
                                      {36, 2},  {60, 2},  {61, 2},  {37, 4},  {50, 6}, {65, 13}, {66, 0},
                                      {35, -1}, {0, -1},  {99, -1}, {-5, -1}};
  for (auto [id, value] : metrics) EXPECT_EQ(t.GetMetric(id), value) << "metric " << id;
  for (int id = -1; id <= 10; ++id) EXPECT_FALSE(t.GetFlag(id)) << "flag " << id;
  EXPECT_EQ(t.GetShadowKind(), 1);

  TSkinMargins m{9, 9, 9, 9};
  t.GetItemMargins(1, m);
  EXPECT_EQ(Sides(m), (std::array<int, 4>{2, 2, 2, 2}));
  t.GetItemMargins(2, m);
  EXPECT_EQ(Sides(m), (std::array<int, 4>{0, 0, 2, 2}));
  t.GetItemMargins(3, m);
  EXPECT_EQ(Sides(m), (std::array<int, 4>{1, 3, 1, 1}));
  t.GetItemMargins(7, m);
  EXPECT_EQ(Sides(m), (std::array<int, 4>{0, 0, 0, 0}));

  // Padding only for a floating toolbar.
  t.GetViewPadding(vkToolbar | vkFloating, m);
  EXPECT_EQ(Sides(m), (std::array<int, 4>{4, 4, 2, 1}));
  for (int kind : {vkToolbar, vkDockablePanel | vkFloating, vkPopupMenu | vkFloating, 0}) {
    t.GetViewPadding(kind, m);
    EXPECT_EQ(Sides(m), (std::array<int, 4>{0, 0, 0, 0})) << kind;
  }

  SIZE size{};
  t.GetViewBorderSize(vkToolbar, size);
  EXPECT_EQ(size.cx, 2);
  EXPECT_EQ(size.cy, 2);
  t.GetViewBorderSize(vkDockablePanel, size);
  EXPECT_EQ(size.cx, 2);
  t.GetViewBorderSize(vkToolbar | vkFloating | vkResizable, size);
  EXPECT_EQ(size.cx, GetSystemMetrics(SM_CXFRAME));
  EXPECT_EQ(size.cy, GetSystemMetrics(SM_CYFRAME));
  t.GetViewBorderSize(vkDockablePanel | vkFloating, size);
  EXPECT_EQ(size.cx, GetSystemMetrics(SM_CXDLGFRAME));
  EXPECT_EQ(size.cy, GetSystemMetrics(SM_CYDLGFRAME));
  t.GetViewBorderSize(vkListPopup, size);
  EXPECT_EQ(size.cx, 1);
  for (int kind : {vkPopupMenu, vkToolboxPopup, vkChevronPopup}) {
    t.GetViewBorderSize(kind, size);
    EXPECT_EQ(size.cx, 3);
    EXPECT_EQ(size.cy, 3);
  }
  t.GetViewBorderSize(vkStatusBar, size);
  EXPECT_EQ(size.cx, 0);
}

TEST_F(SkinDefault, StyledTablesFollowTheVisualStylesParts) {
  Styles(true);
  if (!StylesActive()) GTEST_SKIP() << "no visual styles on this system";
  TSkinDefaultTheme& t = Theme();
  EXPECT_TRUE(t.GetFlag(5));
  EXPECT_FALSE(t.GetFlag(6));

  HTHEME toolbar = SkinSystem().ThemeData[tdcToolbar];
  SIZE part{};
  HDC dc = CreateCompatibleDC(nullptr);
  const bool sized = UxTheme().GetThemePartSize(toolbar, dc, 4, 1, nullptr, TS_TRUE, &part) == S_OK;
  MARGINS themeMargins{};
  const bool margined = UxTheme().GetThemeMargins(toolbar, dc, 1, 2, 3603, nullptr, &themeMargins) == S_OK;
  const RECT bounds{0, 0, 100, 100};
  RECT content{};
  const bool contented =
      UxTheme().GetThemeBackgroundContentRect(SkinSystem().ThemeData[tdcStatus], dc, 1, 0, &bounds, &content) == S_OK;
  DeleteDC(dc);

  EXPECT_EQ(t.GetMetric(10), sized ? part.cx + 2 : 11);
  if (movra::testing::RunningUnderWine()) {
    EXPECT_EQ(t.GetMetric(10), 7);  // the part is 5 wide here
  }

  TSkinMargins m{};
  t.GetItemMargins(1, m);
  // A failing call zeroes its record; the defaults stay then.
  if (margined) {
    EXPECT_EQ(m.Left, themeMargins.cxLeftWidth);
  } else {
    EXPECT_EQ(Sides(m), (std::array<int, 4>{2, 2, 2, 2}));
  }
  t.GetItemMargins(3, m);
  if (contented) {
    EXPECT_EQ(Sides(m),
              (std::array<int, 4>{content.left, 100 - content.right, content.top, 100 - content.bottom}));
  }

  // The cached colours come from the TOOLBAR and STATUS parts when they have them.
  COLORREF fill = 0;
  if (UxTheme().GetThemeColor(toolbar, 0, 0, 3802, &fill) == S_OK) {
    EXPECT_EQ(t.ToolbarBackColor(), static_cast<TColor>(fill));
  }

  // A theme that answers "not styled" keeps the classic answers while styles are in use.
  TClassicOnlyTheme classic("Classic");
  EXPECT_EQ(classic.GetMetric(10), 11);
  EXPECT_FALSE(classic.GetFlag(5));
  classic.GetItemMargins(3, m);
  EXPECT_EQ(Sides(m), (std::array<int, 4>{1, 3, 1, 1}));
  EXPECT_EQ(classic.ToolbarBackColor(), clBtnFace);
}

TEST_F(SkinDefault, ColoursOfViewsAndItems) {
  TSkinDefaultTheme& t = Theme();
  const TColor menu = SkinSystem().MenuBackColor, menuText = SkinSystem().MenuTextColor;
  EXPECT_EQ(t.ToolbarBackColor(), clBtnFace);
  EXPECT_EQ(t.ToolbarForeColor(), ui::clBtnText);
  EXPECT_EQ(t.StatusBarBackColor(), clBtnFace);
  // 64 parts of C0 to 191 of FF.
  EXPECT_EQ(t.DockPanelBackColor(), 0xEEEEEE);

  EXPECT_EQ(t.GetViewBackColor(vkToolbar), clBtnFace);
  EXPECT_EQ(t.GetViewBackColor(vkMenuBar | vkFloating), clBtnFace);
  EXPECT_EQ(t.GetViewBackColor(vkPopupMenu), menu);
  EXPECT_EQ(t.GetViewBackColor(vkListPopup), ui::clWindow);
  EXPECT_EQ(t.GetViewBackColor(vkToolboxPopup), t.ToolbarBackColor());
  EXPECT_EQ(t.GetViewBackColor(vkChevronPopup), menu);
  EXPECT_EQ(t.GetViewBackColor(vkPopupFamily), t.ToolbarBackColor());
  EXPECT_EQ(t.GetViewBackColor(vkDockablePanel), 0xEEEEEE);
  EXPECT_EQ(t.GetViewBackColor(vkStatusBar), clBtnFace);
  EXPECT_EQ(t.GetViewBackColor(0), clBtnFace);

  TItemDrawState item = State(vkPopupMenu);
  EXPECT_EQ(t.GetItemBackColor(item), menu);
  item.Hover = 2;
  EXPECT_EQ(t.GetItemBackColor(item), ui::clHighlight);
  EXPECT_EQ(t.GetItemCaptionColor(item), ui::clHighlightText);
  item.Hover = 0;
  EXPECT_EQ(t.GetItemCaptionColor(item), menuText);
  // A highlighted disabled menu item: grey text.
  item.Enabled = 0;
  item.Hover = 1;
  EXPECT_EQ(t.GetItemCaptionColor(item), ui::clGrayText);

  TItemDrawState button = State(vkToolbar, idoToolbarStyle | idoAppActive);
  EXPECT_EQ(t.GetItemCaptionColor(button), ui::clBtnText);
  button.Hover = 2;
  EXPECT_EQ(t.GetItemBackColor(button), clBtnFace);
  EXPECT_EQ(t.GetGlyphBackColor(button), clBtnFace);

  // A menu-bar item goes grey while the application is inactive.
  TItemDrawState bar = State(vkMenuBar, idoToolbarStyle);
  EXPECT_EQ(t.GetItemCaptionColor(bar), ui::clGrayText);
  bar.Options |= idoAppActive;
  EXPECT_EQ(t.GetItemCaptionColor(bar), ui::clBtnText);

  SetManagerParam(1, 2);  // flat menus
  ASSERT_TRUE(SkinSystem().FlatMenusActive);
  bar.Hover = 2;
  EXPECT_EQ(t.GetItemCaptionColor(bar), ui::clHighlightText);
  EXPECT_EQ(t.GetGlyphBackColor(bar), ui::clHighlight);
  bar.Options &= ~idoAppActive;
  bar.Hover = 0;
  EXPECT_EQ(t.GetItemCaptionColor(bar), ui::clGrayText);
  item = State(vkPopupMenu);
  EXPECT_EQ(t.GetGlyphBackColor(item), SkinSystem().MenuBackColor);
  item.Hover = 2;
  EXPECT_EQ(t.GetGlyphBackColor(item), t.ToolbarBackColor());
  EXPECT_EQ(t.GetGlyphBackColor(State(vkChevronPopup)), t.ToolbarBackColor());
}

TEST_F(SkinDefault, ColoursAreRebuiltInTheChangePhaseOnly) {
  TSkinDefaultTheme& t = Theme();
  ASSERT_EQ(t.DockPanelBackColor(), 0xEEEEEE);
  SetSysColorSource([](int index) -> COLORREF {
    return index == COLOR_BTNFACE ? RGB(0, 0, 0) : EdgeSysColor(index);
  });
  TMessage before{SKM_SYSTEMCHANGE, scpBefore, 0, 0};
  t.Dispatch(before);
  EXPECT_EQ(t.DockPanelBackColor(), 0xEEEEEE);
  // A change of the manager's parameters runs the three phases.
  SetManagerParam(1, 2);
  EXPECT_EQ(t.DockPanelBackColor(), NearestColor(0xBEBEBE));
  SetSysColorSource(&EdgeSysColor);
}

TEST_F(SkinDefault, ToolbarHandleGeometry) {
  TSkinToolbarNCInfo info{};
  info.BorderSize = {2, 2};
  EXPECT_EQ(ToolbarDragHandleSize(info), 0);  // the dock does not allow dragging
  info.DragAllowed = 1;
  const std::map<int, int> sizes = {{0, 9}, {1, 0}, {2, 6}};
  for (auto [style, size] : sizes) {
    info.DragHandleStyle = style;
    EXPECT_EQ(ToolbarDragHandleSize(info), size);
  }
  info.CloseButtonState = 1;
  EXPECT_EQ(ToolbarDragHandleSize(info), 14);
  const RECT window{0, 0, 200, 30};
  RECT r = ToolbarCloseButtonRect(info, window);
  EXPECT_EQ(r.left, 2);
  EXPECT_EQ(r.top, 2);
  EXPECT_EQ(r.right - r.left, 13);
  EXPECT_EQ(r.bottom - r.top, 13);
  info.Vertical = 1;
  r = ToolbarCloseButtonRect(info, {0, 0, 30, 200});
  EXPECT_EQ(r.right, 28);
  EXPECT_EQ(r.left, 15);
  EXPECT_EQ(r.top, 2);
}

}  // namespace
}  // namespace movra::skin
