// The flat theme as the current theme behind the themed item viewers: a popup menu and a
// toolbar painted item by item into memory pictures (classic colours injected), checked at the
// pixels the theme's rules fix and saved for review.
#include <gtest/gtest.h>

#include "tests/support/support.h"
#include "tests/themes/skin_test_support.h"
#include "tests/toolbars/bar_item_fake_view.h"
#include "themes/skin_items.h"
#include "themes/skin_officexp.h"

namespace movra::skin {
namespace {

using bars::TBarRootItem;
using movra::testing::TestPicture;

COLORREF Rgb(TColor color) { return ResolveColor(color); }

struct OfficeXPItems : ::testing::Test {
  test::ClassicColors classic;
  ui::TOwned<ui::TComponent> owner = ui::MakeOwned<ui::TComponent>(nullptr);
  TBarRootItem* root = new TBarRootItem(owner.get());
  test::TKindWindow* window = new test::TKindWindow(owner.get());
  ui::TCustomImageList* images = new ui::TCustomImageList(owner.get());
  bars::test::FakeView view;
  TSkinOfficeXPTheme* xp = nullptr;

  void SetUp() override {
    SkinThemesStart();
    AddThemeClass("Default", &MakeSkinTheme<test::TBlankTheme>);
    SkinOfficeXPStart();
    SkinNexusStart();
    SelectTheme("OfficeXP");
    xp = dynamic_cast<TSkinOfficeXPTheme*>(ActiveTheme());
    view.parentItem = root;
    view.window = window;
    // One image: a dark square on a transparent white ground.
    ui::TBitmap square(16, 16);
    FillRectColor(square.Canvas().Handle(), {0, 0, 16, 16}, ui::clWhite);
    FillRectColor(square.Canvas().Handle(), {3, 3, 13, 13}, static_cast<TColor>(RGB(0, 0, 160)));
    images->AddMasked(square, ui::clWhite);
  }
  void TearDown() override {
    SkinNexusEnd();
    SkinThemesEnd();
  }
  template <class T = TSkinItem>
  T* NewItem(const std::string& caption) {
    auto* item = new T(owner.get());
    item->SetCaption(caption);
    root->Add(item);
    return item;
  }
  const TSkinItemColors& Bar(int state) const { return xp->Colors().Items.ToolbarItemColors[state]; }
};

TEST_F(OfficeXPItems, APopupMenuShowsItsGutterAHotRowInTheHotToolbarColoursAndAJoinedFrame) {
  ASSERT_NE(xp, nullptr);
  view.toolbar = false;
  window->kind = vkPopupMenu;
  TSkinItem* open = NewItem("&Open\tCtrl+O");
  open->SetImages(images);
  open->SetImageIndex(0);
  NewItem("&Save");
  TSkinItem* print = NewItem("&Print");
  print->SetEnabled(false);
  NewItem<TSkinSeparatorItem>("");
  TSkinItem* wrap = NewItem("&Wrap lines");
  wrap->SetChecked(true);
  NewItem<TSkinSubmenuItem>("&Recent");

  const int width = 160, border = 1, top = 2;
  ui::TCanvas measure;
  TestPicture scratch(8, 8);
  measure.SetHandle(scratch.Dc());
  std::vector<RECT> rows;
  int y = top;
  for (int i = 0; i < root->Count(); ++i) {
    int w = 0, h = 0;
    TBarItemViewer* viewer = view.AddViewer(root->ChildAt(i), {});
    viewer->MeasureSize(measure, w, h);
    viewer->BoundsRect = {border, y, width - border, y + h};
    rows.push_back(viewer->BoundsRect);
    y += h;
  }
  measure.SetHandle(nullptr);
  const int height = y + top;

  TestPicture picture(width, height + 20);
  ui::TCanvas canvas;
  canvas.SetHandle(picture.Dc());
  // The popup hangs below a menu-bar item of 20 pixels drawn above it.
  TSkinPopupBorderInfo info{};
  info.ViewKind = vkPopupMenu;
  info.OpeningItem = {10, -20, 60, 0};
  SetViewportOrgEx(picture.Dc(), 0, 20, nullptr);
  FillRectColor(picture.Dc(), {10, -20, 60, 0}, xp->Colors().ToolbarBackColor);
  xp->DrawPopupBorder(canvas, {0, 0, width, height}, info);
  view.selected = view.ViewerAt(1);  // "Save" under the mouse
  view.mouseOverSelected = true;
  for (int i = 0; i < view.ViewerCount(); ++i) {
    TBarItemViewer* viewer = view.ViewerAt(i);
    viewer->Paint(canvas, viewer->BoundsRect, false, false, viewer == view.selected);
  }
  SetViewportOrgEx(picture.Dc(), 0, 0, nullptr);
  canvas.SetHandle(nullptr);
  picture.Save("officexp_popup_menu");

  const TSkinOfficeXPColors& c = xp->Colors();
  auto at = [&](int x, int yy) { return picture.Pixel(x, yy + 20); };
  // The frame, open where the menu-bar item sits on it.
  EXPECT_EQ(at(0, 10), Rgb(c.PopupFrameColor));
  EXPECT_EQ(at(5, 0), Rgb(c.PopupFrameColor));
  EXPECT_EQ(at(30, 0), Rgb(c.ToolbarBackColor));
  EXPECT_EQ(at(width - 1, 10), Rgb(c.PopupFrameColor));
  // Idle rows: the gutter at the left, the popup's colour at the right end.
  const RECT& idle = rows[0];
  const int middle = (idle.top + idle.bottom) / 2;
  EXPECT_EQ(at(border, middle), Rgb(c.ToolbarBackColor));
  EXPECT_EQ(at(width - border - 2, middle), Rgb(c.PopupBackColor));
  // The hot row: the hot toolbar item's frame and fill (not black), gutter column first.
  const RECT& hot = rows[1];
  const int hotMiddle = (hot.top + hot.bottom) / 2;
  EXPECT_NE(Rgb(Bar(tisHot)[sicBack]), RGB(0, 0, 0));
  EXPECT_EQ(at(border, hotMiddle), Rgb(c.ToolbarBackColor));
  EXPECT_EQ(at(border + 1, hotMiddle), Rgb(Bar(tisHot)[sicFrame]));
  EXPECT_EQ(at(width / 2, hot.top), Rgb(Bar(tisHot)[sicFrame]));
  EXPECT_EQ(at(width - border - 6, hotMiddle), Rgb(Bar(tisHot)[sicBack]));
  EXPECT_EQ(at(border + 4, hotMiddle), Rgb(Bar(tisHot)[sicBack]));
  // The separator's line starts past the gutter.
  const RECT& line = rows[3];
  const int lineY = (line.top + line.bottom) / 2;
  EXPECT_EQ(at(width - border - 2, lineY), Rgb(c.MenuSeparatorColor));
  EXPECT_EQ(at(border + 1, lineY), Rgb(c.ToolbarBackColor));
  // The checked row: its box in the checked button's colours.
  const RECT& checked = rows[4];
  EXPECT_EQ(at(border + 2, checked.top + 1), Rgb(Bar(tisChecked)[sicFrame]));
}

TEST_F(OfficeXPItems, AToolbarShowsItsButtonsFlatWithTheHotOneFramedAndItsImageLifted) {
  ASSERT_NE(xp, nullptr);
  window->kind = vkToolbar;
  TSkinItem* items[3];
  for (int i = 0; i < 3; ++i) {
    items[i] = NewItem("");
    items[i]->SetImages(images);
    items[i]->SetImageIndex(0);
  }
  items[2]->SetChecked(true);
  TestPicture picture(3 * 24 + 4, 26);
  ui::TCanvas canvas;
  canvas.SetHandle(picture.Dc());
  FillRectColor(picture.Dc(), {0, 0, picture.Width(), picture.Height()}, xp->Colors().ToolbarBackColor);
  for (int i = 0; i < 3; ++i) view.AddViewer(items[i], {2 + 24 * i, 2, 2 + 24 * (i + 1), 24});
  view.selected = view.ViewerAt(1);
  view.mouseOverSelected = true;
  for (int i = 0; i < 3; ++i) {
    TBarItemViewer* viewer = view.ViewerAt(i);
    viewer->Paint(canvas, viewer->BoundsRect, false, false, viewer == view.selected);
  }
  canvas.SetHandle(nullptr);
  picture.Save("officexp_toolbar_buttons");

  const TSkinOfficeXPColors& c = xp->Colors();
  // Idle: no frame. Hot: frame and fill. Checked: its own frame and fill.
  EXPECT_EQ(picture.Pixel(2, 2), Rgb(c.ToolbarBackColor));
  EXPECT_EQ(picture.Pixel(26, 2), Rgb(Bar(tisHot)[sicFrame]));
  EXPECT_EQ(picture.Pixel(27, 3), Rgb(Bar(tisHot)[sicBack]));
  EXPECT_EQ(picture.Pixel(50, 2), Rgb(Bar(tisChecked)[sicFrame]));
  EXPECT_EQ(picture.Pixel(51, 3), Rgb(Bar(tisChecked)[sicBack]));
  // The idle image is paled toward the window colour; the checked one is drawn as it is, where
  // every image sits; the hot one is one pixel up and left of that, its shadow below and right.
  auto firstInk = [&](int left) {
    for (int yy = 0; yy < picture.Height(); ++yy)
      for (int x = left; x < left + 24; ++x)
        if (picture.Pixel(x, yy) == RGB(0, 0, 160)) return POINT{x - left, yy};
    return POINT{-1, -1};
  };
  EXPECT_EQ(firstInk(2).x, -1);
  const POINT idle = firstInk(50), lifted = firstInk(26);
  ASSERT_GE(idle.x, 0);
  EXPECT_EQ(lifted.x, idle.x - 1);
  EXPECT_EQ(lifted.y, idle.y - 1);
  EXPECT_EQ(picture.Pixel(26 + lifted.x + 11, lifted.y + 11), Rgb(c.ImageShadowColor));
}

}  // namespace
}  // namespace movra::skin
