// One window with every kind of themed control, shown in each of the four themes: a picture of
// it with its File menu open per theme, checked on the pixels each theme's colour table fixes;
// and a walk through the four themes by the window's switcher, after which every themed control
// must have been repainted and show the new theme's colours on screen.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "tests/themes/skin_theme_window.h"
#include "toolbars/bar_common.h"

namespace movra::skin {
namespace {

using movra::testing::TestPicture;
using test::kFourThemes;

// The largest difference of one channel.
int Distance(COLORREF a, COLORREF b) {
  return std::max({std::abs(GetRValue(a) - GetRValue(b)), std::abs(GetGValue(a) - GetGValue(b)),
                   std::abs(GetBValue(a) - GetBValue(b))});
}
std::string Hex(COLORREF c) {
  char text[16];
  std::snprintf(text, sizeof text, "%06lX", static_cast<unsigned long>(c));
  return text;
}

struct SkinThemeWindow : ::testing::Test {
  void SetUp() override {
    test::StartFourThemes();
    window = std::make_unique<test::TThemedTestWindow>();
  }
  void TearDown() override {
    window.reset();
    test::EndFourThemes();
  }
  std::unique_ptr<test::TThemedTestWindow> window;

  COLORREF Pixel(const TestPicture& picture, ui::TWinControl* control, POINT client) const {
    const POINT p = window->At(control, client);
    return picture.Pixel(p.x, p.y);
  }
  // The pixels down one column of `control`'s client area, from `top` to `bottom`.
  std::vector<COLORREF> Column(const TestPicture& picture, ui::TWinControl* control, int x, int top, int bottom) const {
    std::vector<COLORREF> column;
    for (int y = top; y < bottom; ++y) column.push_back(Pixel(picture, control, {x, y}));
    return column;
  }

  // The window's controls in `picture` against what the current theme's rules fix for them.
  void ExpectThemedControls(const TestPicture& picture) {
    const std::string name = CurrentThemeName();
    SCOPED_TRACE(name);
    TSkinTheme* theme = ActiveTheme();
    auto* aluminum = dynamic_cast<TSkinAluminumTheme*>(theme);
    const bool stripes = name == "Stripes";
    const test::TThemedTestWindow& w = *window;

    // The menu bar behind its last menu: the theme's menu-bar colour, brushed in Aluminum.
    const COLORREF menuBack = ResolveColor(theme->GetViewBackColor(w.MenuBar->ViewKind()));
    EXPECT_EQ(ResolveColor(w.MenuBar->EffectiveColor()), menuBack);
    bars::TBarView* menus = w.MenuBar->View();
    const RECT lastMenu = menus->Find(w.ViewMenu)->BoundsRect;
    ASSERT_LT(lastMenu.right + 8, w.MenuBar->ClientWidth()) << lastMenu.left << " " << menus->ViewerCount();
    const std::vector<COLORREF> behindMenus =
        Column(picture, w.MenuBar, lastMenu.right + 4, lastMenu.top, lastMenu.bottom);
    for (COLORREF c : behindMenus) EXPECT_LE(Distance(c, menuBack), aluminum ? 12 : 0) << "menu bar " << Hex(c);

    // The toolbar down the near edge of its separator: the theme's toolbar colour, striped
    // every five rows in Stripes, brushed in Aluminum.
    const COLORREF barBack = ResolveColor(theme->GetViewBackColor(w.Toolbar->ViewKind()));
    EXPECT_EQ(ResolveColor(w.Toolbar->EffectiveColor()), barBack);
    const RECT separator = w.Toolbar->View()->ViewerAt(1)->BoundsRect;
    const std::vector<COLORREF> behindItems =
        Column(picture, w.Toolbar, separator.left, separator.top, separator.bottom);
    const std::set<COLORREF> barShades(behindItems.begin(), behindItems.end());
    if (stripes) {
      EXPECT_TRUE(barShades.count(barBack));
      EXPECT_TRUE(barShades.count(
          ResolveColor(NearestColor(ColorAddLight(theme->GetViewBackColor(w.Toolbar->ViewKind()), -16)))))
          << "a dark stripe";
      EXPECT_EQ(barShades.size(), 3u) << "the colour and its dark and light stripes";
    } else {
      for (COLORREF c : behindItems) EXPECT_LE(Distance(c, barBack), aluminum ? 12 : 0) << "toolbar " << Hex(c);
      EXPECT_EQ(barShades.size() > 1, aluminum != nullptr) << "a texture";
    }

    // The dock right of the toolbar: its colour, brushed by Aluminum.
    const COLORREF dockBack = ResolveColor(w.Top->EffectiveColor());
    const POINT dockPoint{w.Top->ClientWidth() - 3, w.Toolbar->Top() + w.Toolbar->Height() / 2};
    ASSERT_GT(dockPoint.x, w.Toolbar->Left() + w.Toolbar->Width());
    EXPECT_LE(Distance(Pixel(picture, w.Top, dockPoint), dockBack), aluminum ? 8 : 0) << "dock";

    // The panel's client area: plain in the theme's panel colour.
    const COLORREF panelBack = ResolveColor(theme->GetViewBackColor(w.Panel->ViewKind()));
    EXPECT_EQ(ResolveColor(w.Panel->EffectiveColor()), panelBack);
    EXPECT_EQ(Pixel(picture, w.Panel, {w.Panel->ClientWidth() / 2, w.Panel->ClientHeight() / 2}), panelBack) << "panel";

    // The status bar: its top row and the first panel's frame.
    const int middle = w.Status->ClientWidth() / 2;
    const RECT first = w.Status->Panels().Items(0)->PanelRect();
    const COLORREF face = ResolveColor(ui::clBtnFace);
    const COLORREF top = Pixel(picture, w.Status, {middle, 0});
    const COLORREF edge = Pixel(picture, w.Status, {first.left, (first.top + first.bottom) / 2});
    if (aluminum) {
      EXPECT_EQ(top, ResolveColor(ColorAddLight(aluminum->Colors().DimFaceColor, 16))) << "status gradient";
    } else {
      EXPECT_EQ(top, face) << "status background";
    }
    if (name == "Default") {
      EXPECT_EQ(edge, ResolveColor(ui::clBtnShadow)) << "sunken panel";
    }
    if (auto* xp = dynamic_cast<TSkinOfficeXPTheme*>(theme)) {
      EXPECT_EQ(edge, ResolveColor(xp->Colors().StatusPanelFrameColor)) << "flat panel frame";
    }
    if (stripes) {
      const COLORREF rule = ResolveColor(NearestColorMix(ui::clBtnShadow, ui::clBtnFace, 96));
      EXPECT_EQ(Pixel(picture, w.Status, {middle, 2}), rule) << "status rule";
    }
  }

  // The open popup's frame colour in `picture` against the theme's; returns it.
  COLORREF ExpectPopupFrame(const TestPicture& picture, TSkinPopupWindow* popup) {
    SCOPED_TRACE(CurrentThemeName());
    TSkinTheme* theme = ActiveTheme();
    const std::string name = CurrentThemeName();
    RECT outer;
    GetWindowRect(popup->Handle(), &outer);
    RECT form;
    GetWindowRect(window->Form->Handle(), &form);
    const int x = outer.left - form.left, y = (outer.top + outer.bottom) / 2 - form.top;
    const COLORREF left = picture.Pixel(x, y);
    COLORREF wantFrame = 0, wantInside = ResolveColor(SkinSystem().MenuBackColor);
    if (auto* xp = dynamic_cast<TSkinOfficeXPTheme*>(theme)) {
      wantFrame = ResolveColor(xp->Colors().PopupFrameColor);
    } else if (auto* al = dynamic_cast<TSkinAluminumTheme*>(theme)) {
      wantFrame = ResolveColor(al->Colors().PopupFrameColor);
      wantInside = ResolveColor(al->Colors().PopupBackColor);
    } else if (name == "Stripes") {
      wantFrame = ResolveColor(NearestColor(ColorMix(ui::clBtnShadow, ui::clBlack, 127)));
    } else {
      wantFrame = ResolveColor(ui::clBtnShadow);
    }
    EXPECT_EQ(Hex(left), Hex(wantFrame)) << "popup frame";
    // Inside the frame: the fill of a frame wider than a pixel (the flat theme's is one pixel,
    // and its image gutter follows).
    SIZE border{};
    theme->GetViewBorderSize(popup->ViewKind(), border);
    if (border.cx > 1) {
      EXPECT_EQ(Hex(picture.Pixel(x + 1, y)), Hex(wantInside)) << "popup inside its frame";
    }
    // Right of the first command: the popup's background, striped in Stripes.
    const RECT item = popup->View()->ViewerAt(0)->BoundsRect;
    const COLORREF back = Pixel(picture, popup, {popup->ClientWidth() - 1, (item.top + item.bottom) / 2});
    if (name != "Stripes") {
      EXPECT_EQ(Hex(back), Hex(ResolveColor(theme->GetViewBackColor(popup->ViewKind())))) << "popup background";
    }
    return left;
  }
};

TEST_F(SkinThemeWindow, EachThemeDrawsTheWindowWithItsOpenMenuInItsOwnColours) {
  window->Show();
  ASSERT_TRUE(SkinSystem().FlatMenusActive) << "the desktop's flat menus";
  std::set<COLORREF> frames;
  for (const char* name : kFourThemes) {
    window->Switcher->SetTheme(name);
    ASSERT_EQ(CurrentThemeName(), name);
    window->Repaint();
    TSkinPopupWindow* popup = window->OpenFileMenu();
    ASSERT_NE(popup, nullptr);
    UpdateWindow(popup->Handle());
    const SIZE size = window->FormSize();
    TestPicture picture(size.cx, size.cy, RGB(1, 2, 3));
    // The controls first, with nothing over them; then the menu printed over the window.
    window->Print(picture);
    ExpectThemedControls(picture);
    window->Print(picture, popup);
    picture.Save(std::string("themes_window_") + name);
    frames.insert(ExpectPopupFrame(picture, popup));
    window->CloseMenus();
  }
  EXPECT_EQ(frames.size(), kFourThemes.size()) << "each theme frames its popups in its own colour";
}

// What was painted while hooks watched: WM_PAINT taken from the queue or sent by an immediate
// repaint, WM_NCPAINT as it was sent.
std::map<HWND, int> paints, framePaints;
LRESULT CALLBACK WatchTaken(int code, WPARAM removal, LPARAM message) {
  const MSG* m = reinterpret_cast<const MSG*>(message);
  if (code == HC_ACTION && removal == PM_REMOVE && m->message == WM_PAINT) ++paints[m->hwnd];
  return CallNextHookEx(nullptr, code, removal, message);
}
LRESULT CALLBACK WatchSent(int code, WPARAM current, LPARAM message) {
  const CWPSTRUCT* m = reinterpret_cast<const CWPSTRUCT*>(message);
  if (code == HC_ACTION && m->message == WM_NCPAINT) ++framePaints[m->hwnd];
  if (code == HC_ACTION && m->message == WM_PAINT) ++paints[m->hwnd];
  return CallNextHookEx(nullptr, code, current, message);
}

struct ThemeChangeCounter : ui::TObject {
  int count = 0;
  void Count(ui::TObject*) { ++count; }
};

TEST_F(SkinThemeWindow, EverySwitchRepaintsEveryThemedControlInTheNewColours) {
  window->Show();
  ThemeChangeCounter notices;
  window->Switcher->OnThemeChange = ui::TNotifyEvent(&notices, &ThemeChangeCounter::Count);
  const DWORD thread = GetCurrentThreadId();
  HHOOK taken = SetWindowsHookExW(WH_GETMESSAGE, &WatchTaken, nullptr, thread);
  HHOOK sent = SetWindowsHookExW(WH_CALLWNDPROC, &WatchSent, nullptr, thread);
  ASSERT_NE(taken, nullptr);
  ASSERT_NE(sent, nullptr);
  // Round the four and back to the first, so that every switch changes the theme.
  std::vector<std::string> order(kFourThemes.begin(), kFourThemes.end());
  std::rotate(order.begin(), order.begin() + 1, order.end());
  order.push_back(order.front());
  for (const std::string& name : order) {
    window->Repaint();
    paints.clear();
    framePaints.clear();
    notices.count = 0;
    window->Switcher->SetTheme(name);
    ASSERT_EQ(CurrentThemeName(), name);
    EXPECT_EQ(notices.count, 3) << name;
    bars::DispatchPendingPaints();
    for (ui::TWinControl* control : window->ThemedControls()) {
      EXPECT_GE(paints[control->Handle()], 1) << name << ": " << control->ClassName() << " repainted";
    }
    // The themes draw the frames of the bars and the panel too.
    for (ui::TWinControl* control :
         {static_cast<ui::TWinControl*>(window->MenuBar), static_cast<ui::TWinControl*>(window->Toolbar),
          static_cast<ui::TWinControl*>(window->Panel)}) {
      EXPECT_GE(framePaints[control->Handle()], 1) << name << ": " << control->ClassName() << " frame repainted";
    }
    // What the window now shows is the new theme's: the system keeps each top-level window's
    // picture, so this reads what was painted even where another window lies over it.
    const SIZE size = window->FormSize();
    TestPicture screen(size.cx, size.cy, RGB(1, 2, 3));
    HDC dc = GetWindowDC(window->Form->Handle());
    BitBlt(screen.Dc(), 0, 0, size.cx, size.cy, dc, 0, 0, SRCCOPY);
    ReleaseDC(window->Form->Handle(), dc);
    GdiFlush();
    ExpectThemedControls(screen);
  }
  UnhookWindowsHookEx(taken);
  UnhookWindowsHookEx(sent);
  // The switcher hears of the application's deactivation when the window goes.
  window->Switcher->OnThemeChange = nullptr;
}

}  // namespace
}  // namespace movra::skin
