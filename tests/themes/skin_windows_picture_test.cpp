// A themed toolbar in a themed dock, drawn whole (frame, background, items) through the Default
// theme in the classic colours and through the OfficeXP theme, checked where the rules fix the
// pixels and saved for review.
#include <gtest/gtest.h>

#include <cstdlib>

#include "runtime/ui/forms.h"
#include "tests/support/support.h"
#include "tests/themes/skin_test_support.h"
#include "themes/skin_aluminum.h"
#include "themes/skin_default.h"
#include "themes/skin_officexp.h"
#include "themes/skin_windows.h"

namespace movra::skin {
namespace {

using movra::testing::TestPicture;

constexpr COLORREF kFace = RGB(192, 192, 192);
constexpr COLORREF kShadow = RGB(128, 128, 128);
constexpr COLORREF kLight = RGB(255, 255, 255);

struct SkinToolbarPictures : ::testing::Test {
  test::ClassicColors colors;
  ui::TForm* form = nullptr;
  TSkinDock* dock = nullptr;
  TSkinToolbar* bar = nullptr;

  void SetUp() override {
    SkinStart();
    SkinOfficeXPStart();
    SetManagerParam(2, 1);  // the classic drawing, whose colours the rules fix
    form = new ui::TForm(nullptr);
    form->SetBounds(100, 100, 420, 200);
    dock = new TSkinDock(form);
    dock->SetParent(form);
    bar = new TSkinToolbar(form);
    for (const char* caption : {"Open", "Save", "Print"}) {
      auto* item = new TSkinItem(nullptr);
      item->SetCaption(caption);
      bar->Items()->Add(item);
    }
    bar->SetParent(dock);
    form->Show();
  }
  void TearDown() override {
    ui::Free(form);
    SelectTheme("Default");
    SetManagerParam(2, 0);
    SkinEnd();
  }

  // The dock with its toolbar, as the screen would show them.
  void Draw(TestPicture& picture) {
    dock->PaintTo(picture.Dc(), 0, 0);
    bar->PaintTo(picture.Dc(), bar->Left(), bar->Top());
    GdiFlush();
  }
  // A client point of the toolbar right of its last item, in picture coordinates.
  POINT BehindItems() {
    const RECT last = bar->View()->ViewerAt(bar->View()->ViewerCount() - 1)->BoundsRect;
    POINT p{last.right + 1, 1};
    MapWindowPoints(bar->Handle(), dock->Handle(), &p, 1);
    return p;
  }
};

TEST_F(SkinToolbarPictures, TheDefaultThemeFramesTheDockedToolbarAndFillsItsBackground) {
  ASSERT_TRUE(bar->Docked());
  TestPicture picture(dock->Width(), dock->Height(), RGB(1, 1, 1));
  Draw(picture);
  picture.Save("skin_windows_default_toolbar_in_dock");
  const int x = bar->Left(), y = bar->Top(), w = bar->Width(), h = bar->Height();
  // The raised one-pixel border.
  EXPECT_EQ(picture.Pixel(x, y), kLight);
  EXPECT_EQ(picture.Pixel(x + w - 1, y + h - 1), kShadow);
  EXPECT_EQ(picture.Pixel(x + 1, y + 1), kFace);
  // The single grip inside the 2-pixel border: two pixels on, three wide, raised.
  EXPECT_EQ(picture.Pixel(x + 4, y + h / 2), kLight);
  EXPECT_EQ(picture.Pixel(x + 6, y + h / 2), kShadow);
  // The client background behind the items is the effective colour, the dock's the parent's.
  const POINT behind = BehindItems();
  if (behind.x < x + w - 2) {
    EXPECT_EQ(picture.Pixel(behind.x, behind.y), kFace);
  }
  EXPECT_EQ(picture.Pixel(dock->Width() - 1, 1), kFace);
  // Some caption text shows in the first item.
  const RECT first = bar->View()->ViewerAt(0)->BoundsRect;
  bool text = false;
  for (int py = first.top; py < first.bottom && !text; ++py)
    for (int px = first.left; px < first.right && !text; ++px) {
      POINT p{px, py};
      MapWindowPoints(bar->Handle(), dock->Handle(), &p, 1);
      text = picture.Pixel(p.x, p.y) == RGB(0, 0, 0);
    }
  EXPECT_TRUE(text);
}

TEST_F(SkinToolbarPictures, TheOfficeXPThemeRoundsTheFrameOverTheDockColour) {
  SelectTheme("OfficeXP");
  ASSERT_EQ(CurrentThemeName(), "OfficeXP");
  form->SetColor(RGB(40, 80, 120));
  dock->Perform(ui::CM_PARENTCOLORCHANGED);
  const COLORREF effective = ResolveColor(bar->EffectiveColor());
  EXPECT_EQ(bar->EffectiveColor(), ActiveTheme()->GetViewBackColor(bar->ViewKind()));
  ASSERT_NE(effective, RGB(40, 80, 120));
  TestPicture picture(dock->Width(), dock->Height(), RGB(1, 1, 1));
  Draw(picture);
  picture.Save("skin_windows_officexp_toolbar_in_dock");
  const int x = bar->Left(), y = bar->Top();
  // Outside the rounded frame the dock's colour shows; the frame itself is the toolbar's.
  EXPECT_EQ(picture.Pixel(x, y), RGB(40, 80, 120));
  EXPECT_EQ(picture.Pixel(x + 1, y + 1), RGB(40, 80, 120));
  EXPECT_EQ(picture.Pixel(x + 2, y + 1), effective);
  const POINT behind = BehindItems();
  if (behind.x < x + bar->Width() - 2) {
    EXPECT_EQ(picture.Pixel(behind.x, behind.y), effective);
  }
  EXPECT_EQ(picture.Pixel(dock->Width() - 1, 1), RGB(40, 80, 120));
}

TEST_F(SkinToolbarPictures, TheAluminumThemeTexturesTheDockInItsColourAnchoredWhereItsClientLies) {
  SkinAluminumStart();
  SelectTheme("Aluminum");
  ASSERT_EQ(CurrentThemeName(), "Aluminum");
  form->SetColor(RGB(40, 80, 120));
  ASSERT_TRUE(dock->BackgroundInUse());
  const int w = dock->Width(), h = dock->Height();
  TestPicture whole(w, h, RGB(1, 1, 1)), shifted(w, h, RGB(1, 1, 1));
  dock->Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(whole.Dc()), 0);
  // Given its client 5 pixels left and 3 up, the dock paints the same texture moved with it.
  dock->PaintBackground(shifted.Dc(), {-5, -3, w - 5, h - 3});
  GdiFlush();
  whole.Save("skin_windows_aluminum_dock");
  int textured = 0, moved = 0;
  for (int y = 0; y < h - 3; ++y)
    for (int x = 0; x < w - 5; ++x) {
      const COLORREF c = whole.Pixel(x, y);
      EXPECT_LE(std::abs(GetRValue(c) - 40) + std::abs(GetGValue(c) - 80) + std::abs(GetBValue(c) - 120), 48)
          << x << "," << y;
      textured += c != RGB(40, 80, 120);
      moved += shifted.Pixel(x, y) == whole.Pixel(x + 5, y + 3);
      if (HasFailure()) return;
    }
  EXPECT_GT(textured, 0);
  EXPECT_EQ(moved, (w - 5) * (h - 3));
}

TEST_F(SkinToolbarPictures, ADockOnItsParentsBackgroundShowsItBehindItsToolbars) {
  form->SetColor(RGB(40, 80, 120));
  dock->SetUseParentBackground(true);
  EXPECT_TRUE(dock->BackgroundInUse());
  TestPicture picture(dock->Width(), dock->Height(), RGB(1, 1, 1));
  Draw(picture);
  picture.Save("skin_windows_dock_on_parent_background");
  EXPECT_EQ(picture.Pixel(dock->Width() - 1, 1), RGB(40, 80, 120));
  const POINT behind = BehindItems();
  if (behind.x < bar->Left() + bar->Width() - 2) {
    EXPECT_EQ(picture.Pixel(behind.x, behind.y), RGB(40, 80, 120));
  }
  // The frame is drawn over the parent's background, not over the toolbar's colour.
  EXPECT_EQ(picture.Pixel(bar->Left(), bar->Top()), kLight);
  EXPECT_EQ(picture.Pixel(bar->Left() + 1, bar->Top() + 1), RGB(40, 80, 120));
}

}  // namespace
}  // namespace movra::skin
