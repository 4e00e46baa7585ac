// Themed items laid out and painted by real views through the Default theme, in the classic
// colours and without visual styles: a toolbar row and a popup menu, checked at the points the
// theme's rules fix and saved for review.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/support.h"
#include "tests/themes/skin_test_support.h"
#include "themes/skin_default.h"
#include "themes/skin_items.h"
#include "toolbars/bar_view.h"

namespace movra::skin {
namespace {

using bars::TBarView;
using movra::testing::TestPicture;

constexpr COLORREF kFace = RGB(192, 192, 192);
constexpr COLORREF kShadow = RGB(128, 128, 128);
constexpr COLORREF kLight = RGB(255, 255, 255);
constexpr COLORREF kText = RGB(0, 0, 0);
constexpr COLORREF kHighlight = RGB(0, 0, 128);

struct SkinItemPictures : ::testing::Test {
  test::ClassicColors colors;
  ui::TOwned<ui::TComponent> owner = ui::MakeOwned<ui::TComponent>(nullptr);
  bars::TBarRootItem* root = new bars::TBarRootItem(owner.get());
  ui::TCustomImageList* images = new ui::TCustomImageList(owner.get());

  void SetUp() override {
    SkinStart();
    SetManagerParam(2, 1);  // the classic drawing, whose colours the rules fix
    SetManagerParam(1, 2);  // flat menus whatever the desktop says
    ui::TBitmap bitmap(16, 16);
    bitmap.Canvas().Brush().SetColor(RGB(200, 0, 0));
    bitmap.Canvas().FillRect({0, 0, 16, 16});
    images->Add(bitmap, nullptr);
  }
  void TearDown() override {
    SetManagerParam(1, 0);
    SetManagerParam(2, 0);
    SkinEnd();
  }

  test::TKindWindow* Window(int kind) {
    auto* window = new test::TKindWindow(owner.get());
    window->kind = kind;
    return window;
  }
  template <class T = TSkinItem>
  T* Add(const std::string& caption) {
    auto* item = new T(owner.get());
    item->SetCaption(caption);
    root->Add(item);
    return item;
  }
  // The view's background as the theme paints it, then every viewer.
  void Draw(TBarView& view, TestPicture& picture, int kind) {
    ui::TCanvas canvas;
    canvas.SetHandle(picture.Dc());
    const RECT all{0, 0, picture.Width(), picture.Height()};
    ActiveTheme()->DrawViewBackground(canvas, all, all, all, ActiveTheme()->GetViewBackColor(kind), false, kind);
    view.DrawAll(canvas);
    canvas.SetHandle(nullptr);
  }
  static RECT BoundsOf(TBarView& view, TBarCustomItem* item) { return view.Find(item)->BoundsRect; }
};

TEST_F(SkinItemPictures, AToolbarRowDrawnThroughTheDefaultTheme) {
  TSkinItem* open = Add("Open");
  open->SetImages(images);
  open->SetImageIndex(0);
  open->SetDisplayMode(bars::bdmImageAndText);
  root->Add(new TSkinSeparatorItem(owner.get()));
  TSkinItem* bold = Add("Bold");
  bold->SetChecked(true);
  auto* undo = Add<TSkinSubmenuItem>("Undo");
  undo->SetDropdownCombo(true);
  auto* window = Window(vkToolbar);
  auto* view = new TBarView(owner.get(), nullptr, root, window, true, false, false);
  const POINT size = view->ContentSize();
  view->SetSelected(view->Find(open), false);

  TestPicture picture(size.x + 4, size.y + 4);
  Draw(*view, picture, vkToolbar);
  picture.Save("skin_items_toolbar_default");

  // The hot button: a raised inner edge around the toolbar colour.
  const RECT hot = BoundsOf(*view, open);
  EXPECT_EQ(picture.Pixel(hot.left, hot.top), kLight);
  EXPECT_EQ(picture.Pixel(hot.right - 1, hot.bottom - 1), kShadow);
  EXPECT_EQ(picture.Pixel(hot.left + 1, hot.bottom - 2), kFace);
  // Its image: 16 x 16 in an image cell of width + 2 at the left of the inset rectangle.
  EXPECT_EQ(picture.Pixel(hot.left + 3 + 8, (hot.top + hot.bottom) / 2), RGB(200, 0, 0));
  // The checked button: sunken, its inside dithered with the button highlight.
  const RECT checked = BoundsOf(*view, bold);
  EXPECT_EQ(picture.Pixel(checked.left, checked.top), kShadow);
  EXPECT_EQ(picture.Pixel(checked.right - 1, checked.bottom - 1), kLight);
  const COLORREF a = picture.Pixel(checked.left + 1, checked.top + 1);
  const COLORREF b = picture.Pixel(checked.left + 2, checked.top + 1);
  EXPECT_NE(a, b);
  EXPECT_TRUE((a == kFace && b == kLight) || (a == kLight && b == kFace));
  // The split button at rest: no frame, the toolbar colour.
  const RECT split = BoundsOf(*view, undo);
  EXPECT_EQ(picture.Pixel(split.left, split.top), kFace);
  EXPECT_EQ(picture.Pixel(split.right - 1, split.bottom - 1), kFace);
}

TEST_F(SkinItemPictures, APopupMenuDrawnThroughTheDefaultTheme) {
  TSkinItem* save = Add("&Save\tCtrl+S");
  save->SetImages(images);
  save->SetImageIndex(0);
  TSkinItem* wrap = Add("Word &wrap");
  wrap->SetChecked(true);
  root->Add(new TSkinSeparatorItem(owner.get()));
  auto* recent = Add<TSkinSubmenuItem>("&Recent");
  auto* window = Window(vkPopupMenu);
  auto* view = new TBarView(owner.get(), nullptr, root, window, false, false, false);
  const POINT size = view->ContentSize();
  view->SetSelected(view->Find(save), false);

  TestPicture picture(size.x, size.y);
  Draw(*view, picture, vkPopupMenu);
  picture.Save("skin_items_menu_default");

  // Flat menus: the menu colour behind the rows.
  EXPECT_EQ(picture.Pixel(size.x - 1, size.y - 1), kFace);
  // The hot row with an image: the selection fills the row after the image column; the column
  // is a raised button in the toolbar colour.
  const RECT hot = BoundsOf(*view, save);
  const int column = PopupImageColumnWidth(view->Find(save));
  EXPECT_EQ(picture.Pixel(hot.right - 2, hot.top + 1), kHighlight);
  EXPECT_EQ(picture.Pixel(hot.left + column + 2, hot.bottom - 1), kHighlight);
  EXPECT_EQ(picture.Pixel(hot.left, hot.top), kLight);
  EXPECT_EQ(picture.Pixel(hot.left + column - 1, hot.bottom - 1), kShadow);
  // The checked row without an image: the check mark's corner at the middle of the square cell.
  const RECT checked = BoundsOf(*view, wrap);
  const int side = checked.bottom - checked.top;
  const int x = checked.left + side / 2 - 1;
  const int y = checked.top + side / 2 + 2;
  EXPECT_EQ(picture.Pixel(x, y), kText);
  EXPECT_EQ(picture.Pixel(checked.right - 2, checked.top + 1), kFace);  // not selected
  // The separator: an etched line across the middle, pulled in by 12.
  const RECT line = view->Viewers()[2]->BoundsRect;
  const int middle = (line.top + line.bottom) / 2 - 1;
  EXPECT_EQ(picture.Pixel(line.left + 20, middle), kShadow);
  EXPECT_EQ(picture.Pixel(line.left + 20, middle + 1), kLight);
  EXPECT_EQ(picture.Pixel(line.left + 5, middle), kFace);
  // The submenu arrow: a triangle pointing right in the menu text colour.
  const RECT sub = BoundsOf(*view, recent);
  const int arrowX = sub.right - 2 * GetSystemMetrics(SM_CXMENUCHECK) / 3 - 2;
  EXPECT_EQ(picture.Pixel(arrowX + 1, (sub.top + sub.bottom) / 2), kText);
}

}  // namespace
}  // namespace movra::skin
