// Themed popups as real windows: a menu dropped down from a themed menu bar, with the theme's
// shadows (OfficeXP) or the system's (Default), its view kind, its border drawn by the theme and
// its shadow pictures rendered into memory; the placement at a control; the popup menu.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "runtime/ui/forms.h"
#include "tests/support/support.h"
#include "tests/themes/skin_test_support.h"
#include "themes/skin_default.h"
#include "themes/skin_officexp.h"
#include "themes/skin_popups.h"

namespace movra::skin {
namespace {

using movra::testing::TestPicture;

bool Meets(const RECT& a, const RECT& b) {
  RECT r;
  return IntersectRect(&r, &a, &b) != FALSE;
}
RECT WindowRect(HWND window) {
  RECT r;
  GetWindowRect(window, &r);
  return r;
}

bool IsShadowWindow(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  const std::wstring cls(name);
  return cls.rfind(L"MovraTVertShadow", 0) == 0 || cls.rfind(L"MovraTHorzShadow", 0) == 0;
}

// The thread's shadow windows, shown or hidden.
std::vector<HWND> ThreadShadows() {
  std::vector<HWND> found;
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND window, LPARAM list) -> BOOL {
        if (IsShadowWindow(window)) reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

// A viewer that adds to the hint its window has filled in.
class HintedViewer : public TSkinItemViewer {
 public:
  using TSkinItemViewer::TSkinItemViewer;
  void Dispatch(ui::TMessage& message) override {
    if (message.Msg == ui::CM_HINTSHOW) reinterpret_cast<ui::THintInfo*>(message.LParam)->HintStr += " (and more)";
  }
};
class HintedItem : public TSkinItem {
 public:
  using TSkinItem::TSkinItem;
  bars::TBarItemViewerClass ViewerClass() override { return bars::ViewerClassOf<HintedViewer>(); }
};

struct SkinPopups : ::testing::Test {
  test::ClassicColors colors;
  ui::TForm* form = nullptr;
  TSkinDock* dock = nullptr;
  TSkinToolbar* bar = nullptr;
  TSkinSubmenuItem* file = nullptr;
  TSkinSubmenuItem* recent = nullptr;

  void SetUp() override {
    SkinStart();
    SkinOfficeXPStart();
    SetManagerParam(2, 1);
    form = new ui::TForm(nullptr);
    form->SetBounds(200, 150, 420, 300);
    dock = new TSkinDock(form);
    dock->SetParent(form);
    bar = new TSkinToolbar(form);
    bar->SetMenuBar(true);
    file = new TSkinSubmenuItem(nullptr);
    file->SetCaption("&File");
    bar->Items()->Add(file);
    for (const char* caption : {"&New", "&Open"}) {
      auto* item = new TSkinItem(nullptr);
      item->SetCaption(caption);
      file->Add(item);
    }
    recent = new TSkinSubmenuItem(nullptr);
    recent->SetCaption("&Recent");
    recent->Add(new TSkinItem(nullptr));
    recent->ChildAt(0)->SetCaption("one.txt");
    file->Add(recent);
    bar->SetParent(dock);
    form->Show();
  }
  void TearDown() override {
    ui::Free(form);
    SelectTheme("Default");
    SetManagerParam(2, 0);
    SkinEnd();
  }

  // Drops the File menu down as the menu bar would, without tracking it.
  TSkinPopupWindow* DropDown() {
    bars::TBarView* view = bar->View();
    bars::TBarItemViewer* viewer = view->Find(file);
    return dynamic_cast<TSkinPopupWindow*>(file->OpenSubmenuPopup(view, viewer, false, false, false, {0, 0}, 0));
  }
  RECT ItemOnScreen() {
    bars::TBarView* view = bar->View();
    const RECT b = view->Find(file)->BoundsRect;
    const POINT a = view->ClientToScreen({b.left, b.top}), z = view->ClientToScreen({b.right, b.bottom});
    return {a.x, a.y, z.x, z.y};
  }
};

TEST_F(SkinPopups, AMenuBarDropDownCastsTheThemesShadowsAroundItsItem) {
  SelectTheme("OfficeXP");
  ASSERT_EQ(ActiveTheme()->GetShadowKind(), 2);
  // The shadow's windows are made ahead, at the thread's first quiet moment after the choice.
  std::vector<HWND> ahead;
  for (const double end = movra::testing::NowMs() + 2000; ahead.empty() && movra::testing::NowMs() < end;) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    movra::testing::DrainMessages();
    ahead = ThreadShadows();
  }
  ASSERT_FALSE(ahead.empty());
  TSkinPopupWindow* popup = DropDown();
  ASSERT_NE(popup, nullptr);
  HWND window = popup->Handle();
  EXPECT_TRUE(IsWindowVisible(window));
  EXPECT_EQ(QueryViewKind(static_cast<ui::TControl*>(popup)), vkPopupMenu);
  EXPECT_TRUE(GetWindowLongPtrW(window, GWL_STYLE) & WS_POPUP);
  EXPECT_FALSE(GetClassLongPtrW(window, GCL_STYLE) & CS_DROPSHADOW);
  // The frame is the theme's border of a popup menu.
  SIZE border{};
  ActiveTheme()->GetViewBorderSize(vkPopupMenu, border);
  RECT client;
  GetClientRect(window, &client);
  const RECT bounds = WindowRect(window);
  EXPECT_EQ(bounds.right - bounds.left - client.right, 2 * border.cx);
  EXPECT_EQ(bounds.bottom - bounds.top - client.bottom, 2 * border.cy);

  // Shadows below the item and around the popup, none over the item.
  TShadows* shadows = popup->Shadows();
  ASSERT_NE(shadows, nullptr);
  const RECT item = ItemOnScreen();
  const RECT opening = popup->ShadowOpeningRect();
  EXPECT_TRUE(EqualRect(&opening, &item));
  const TShadowGeometry g = ShadowGeometry(bounds, item, 4);
  int parts = 0;
  for (int slot = 0; slot < 6; ++slot) {
    TShadow* part = shadows->Part(slot);
    ASSERT_EQ(part != nullptr, g[static_cast<size_t>(slot)].Present) << slot;
    if (!part) continue;
    ++parts;
    const RECT r = WindowRect(part->Handle());
    EXPECT_TRUE(EqualRect(&r, &g[static_cast<size_t>(slot)].Bounds)) << slot;
    EXPECT_FALSE(Meets(r, item)) << slot;
    EXPECT_TRUE(IsWindowVisible(part->Handle()));
    EXPECT_NE(std::find(ahead.begin(), ahead.end(), part->Handle()), ahead.end()) << slot;
    EXPECT_EQ(part->Opacity(), 61);
  }
  EXPECT_GE(parts, 2);

  // The popup and its border as the theme draws them, and the shadow bands as they blend.
  TestPicture picture(bounds.right - bounds.left + 8, bounds.bottom - bounds.top + 8);
  popup->PaintTo(picture.Dc(), 0, 0);
  for (int slot = 0; slot < 6; ++slot) {
    TShadow* part = shadows->Part(slot);
    if (!part) continue;
    const RECT r = WindowRect(part->Handle());
    const int w = r.right - r.left, h = r.bottom - r.top;
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    part->FillAlpha(static_cast<uint32_t*>(bits), w, h);
    HDC source = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(source, bitmap);
    SkinEntryPoints().AlphaBlend(picture.Dc(), r.left - bounds.left, r.top - bounds.top, w, h, source, 0, 0, w, h,
                                 {AC_SRC_OVER, 0, 61, AC_SRC_ALPHA});
    SelectObject(source, old);
    DeleteDC(source);
    DeleteObject(bitmap);
  }
  GdiFlush();
  picture.Save("skin_popups_officexp_menu_with_shadow");
  // The background at the client's right edge is the theme's; beside the popup's lower right
  // the shadow darkens the white.
  const COLORREF back = ResolveColor(ActiveTheme()->GetViewBackColor(vkPopupMenu));
  EXPECT_EQ(picture.Pixel(client.right + border.cx - 1, client.bottom / 2 + border.cy), back);
  const COLORREF under = picture.Pixel(bounds.right - bounds.left + 1, bounds.bottom - bounds.top - 10);
  EXPECT_LT(GetRValue(under), 255);

  // Moving the popup moves its shadows with it.
  popup->SetBounds(popup->Left() + 30, popup->Top() + 20, popup->Width(), popup->Height());
  ASSERT_NE(popup->Shadows(), nullptr);
  const RECT moved = WindowRect(popup->Handle());
  const TShadowGeometry again = ShadowGeometry(moved, item, 4);
  for (int slot = 0; slot < 6; ++slot) {
    if (TShadow* part = popup->Shadows()->Part(slot)) {
      const RECT r = WindowRect(part->Handle());
      EXPECT_TRUE(EqualRect(&r, &again[static_cast<size_t>(slot)].Bounds)) << slot;
    }
  }
  bar->View()->CancelChildPopups();
}

TEST_F(SkinPopups, TheHintIsTheSelectedItemsAndItsViewerHasTheLastWord) {
  auto* save = new HintedItem(nullptr);
  save->SetCaption("&Save");
  save->SetHint("Save it|Saves the file");
  file->Add(save);
  TSkinPopupWindow* popup = DropDown();
  ASSERT_NE(popup, nullptr);
  bars::TBarView* view = popup->View();
  bars::TBarItemViewer* viewer = view->Find(save);
  ASSERT_NE(viewer, nullptr);
  view->SetSelected(viewer, false);
  ui::THintInfo info;
  EXPECT_EQ(popup->Perform(ui::CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info)), 0);
  EXPECT_EQ(info.HintStr, "Save it (and more)");
  EXPECT_TRUE(EqualRect(&info.CursorRect, &viewer->BoundsRect));
  // No selection, no hint.
  view->SetSelected(nullptr, false);
  info.HintStr = "left over";
  popup->Perform(ui::CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info));
  EXPECT_EQ(info.HintStr, "");
}

TEST_F(SkinPopups, ASubmenuOfAPopupMenuCastsItsOwnShadowOnly) {
  SelectTheme("OfficeXP");
  TSkinPopupWindow* popup = DropDown();
  ASSERT_NE(popup, nullptr);
  bars::TBarView* view = popup->View();
  auto* sub = dynamic_cast<TSkinPopupWindow*>(
      recent->OpenSubmenuPopup(view, view->Find(recent), true, false, false, {0, 0}, 0));
  ASSERT_NE(sub, nullptr);
  ASSERT_NE(sub->Shadows(), nullptr);
  const RECT opening = sub->ShadowOpeningRect();
  EXPECT_TRUE(IsRectEmpty(&opening));
  const RECT bounds = WindowRect(sub->Handle());
  EXPECT_NE(sub->Shadows()->Part(shV1), nullptr);
  EXPECT_NE(sub->Shadows()->Part(shH1), nullptr);
  EXPECT_EQ(sub->Shadows()->Part(shV2), nullptr);
  const RECT right = WindowRect(sub->Shadows()->Part(shV1)->Handle());
  EXPECT_EQ(right.left, bounds.right);
  EXPECT_EQ(right.top, bounds.top + 4);
  bar->View()->CancelChildPopups();
}

TEST_F(SkinPopups, TheDefaultThemeLeavesShadowsToTheSystem) {
  ASSERT_EQ(CurrentThemeName(), "Default");
  SetManagerParam(1, 2);  // flat menus whatever the desktop says
  TSkinPopupWindow* popup = DropDown();
  ASSERT_NE(popup, nullptr);
  EXPECT_EQ(popup->Shadows(), nullptr);
  HWND window = popup->Handle();
  EXPECT_TRUE(GetClassLongPtrW(window, GCL_STYLE) & CS_DROPSHADOW);
  EXPECT_FALSE(GetClassLongPtrW(window, GCL_STYLE) & CS_DBLCLKS);
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  EXPECT_EQ(std::wstring(name), L"MovraTSkinPopupWindowS");
  TestPicture picture(popup->Width(), popup->Height());
  popup->PaintTo(picture.Dc(), 0, 0);
  GdiFlush();
  picture.Save("skin_popups_default_menu");
  // Flat menus: a shadow-coloured line, then the menu colour.
  EXPECT_EQ(picture.Pixel(0, 0), RGB(128, 128, 128));
  EXPECT_EQ(picture.Pixel(1, 1), RGB(192, 192, 192));
  EXPECT_EQ(picture.Pixel(popup->Width() - 1, popup->Height() / 2), RGB(128, 128, 128));
  bar->View()->CancelChildPopups();
  SetManagerParam(1, 0);
}

TEST(SkinPopupPlacement, APopupAtAControlKeepsOutOfItsWayAndOnTheMonitor) {
  bars::TBarPopupPlacement p;
  p.MonitorRect = {0, 0, 1280, 1024};
  p.W = 150;
  p.H = 100;
  p.X = 100;
  p.Y = 1020;
  PlaceAtControl(RECT{100, 1000, 200, 1020}, p);
  EXPECT_EQ(p.Y, 900);  // above the control: below it would pass the bottom
  EXPECT_EQ(p.X, 100);
  const RECT control{100, 1000, 200, 1020};
  EXPECT_TRUE(EqualRect(&p.ParentItemRect, &control));
  p.Alignment = bars::bpaRight;
  p.Y = 300;
  PlaceAtControl({1200, 280, 1270, 300}, p);
  EXPECT_EQ(p.Y, 300);
  EXPECT_EQ(p.X, 1270 - 150);
  p.Alignment = bars::bpaLeft;
  p.X = 1250;
  PlaceAtControl({1250, 280, 1270, 300}, p);
  EXPECT_EQ(p.X, 1280 - 150);
}

TEST(SkinPopupMenu, IsAPopupMenuOfThemedRootItems) {
  SkinStart();
  ui::TOwned<TSkinPopupMenu> menu = ui::MakeOwned<TSkinPopupMenu>(nullptr);
  EXPECT_EQ(QueryViewKind(static_cast<TSkinListener*>(menu.get())), vkPopupMenu);
  EXPECT_NE(dynamic_cast<TSkinRootItem*>(menu->Items()), nullptr);
  EXPECT_EQ(menu->Items()->PopupWindowClass().Info, &TSkinPopupWindow::Class());
  SkinEnd();
}

// What a timer saw while a popup menu was tracked: the popup and the shadow windows of the thread.
struct TTrackedSight {
  bool Seen = false;
  RECT Popup{};
  std::vector<RECT> Shadows;
  bool WatchdogFired = false;
};
TTrackedSight sight;

BOOL CALLBACK CollectWindow(HWND window, LPARAM) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  const std::wstring cls(name);
  if (!IsWindowVisible(window)) return TRUE;
  if (cls.rfind(L"MovraTSkinPopupWindow", 0) == 0) {
    sight.Seen = true;
    GetWindowRect(window, &sight.Popup);
  } else if (IsShadowWindow(window)) {
    RECT r;
    GetWindowRect(window, &r);
    sight.Shadows.push_back(r);
  }
  return TRUE;
}

void EndTracking() {
  HWND captured = GetCapture();
  ReleaseCapture();
  if (captured) PostMessageW(captured, WM_CANCELMODE, 0, 0);
}

void CALLBACK LookAndClose(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  EnumThreadWindows(GetCurrentThreadId(), &CollectWindow, 0);
  EndTracking();
}

void CALLBACK Watchdog(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  sight.WatchdogFired = true;
  EndTracking();
}

TEST(SkinPopupMenu, ATrackedMenuOpensWithItsShadows) {
  SkinStart();
  SkinOfficeXPStart();
  SelectTheme("OfficeXP");
  {
    ui::TOwned<TSkinPopupMenu> menu = ui::MakeOwned<TSkinPopupMenu>(nullptr);
    for (const char* caption : {"Cut", "Copy", "Paste"}) {
      auto* item = new TSkinItem(nullptr);
      item->SetCaption(caption);
      menu->Items()->Add(item);
    }
    sight = {};
    const UINT_PTR look = SetTimer(nullptr, 0, 300, &LookAndClose);
    const UINT_PTR dog = SetTimer(nullptr, 0, 8000, &Watchdog);
    menu->Popup(300, 250);
    KillTimer(nullptr, look);
    KillTimer(nullptr, dog);
  }
  SelectTheme("Default");
  SkinEnd();
  EXPECT_FALSE(sight.WatchdogFired);
  ASSERT_TRUE(sight.Seen);
  // At the point, or a pixel in where the theme lets popups touch what they open from.
  EXPECT_LE(std::abs(sight.Popup.left - 300), 1);
  EXPECT_LE(std::abs(sight.Popup.top - 250), 1);
  // Opened at a point, the menu casts the two bands of a lone rectangle.
  const TShadowGeometry g = ShadowGeometry(sight.Popup, {}, 4);
  ASSERT_EQ(sight.Shadows.size(), 2u);
  for (const RECT& r : sight.Shadows)
    EXPECT_TRUE(EqualRect(&r, &g[shV1].Bounds) || EqualRect(&r, &g[shH1].Bounds));
}

}  // namespace
}  // namespace movra::skin
