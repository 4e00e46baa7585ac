// The themed status bar painted through the Default theme in the classic colours, printed from
// its window into a memory picture: background, panel frames, the frame at the right edge,
// captions, images, the simple text and the size grip; saved for review.
#include <gtest/gtest.h>

#include "runtime/ui/forms.h"
#include "tests/themes/skin_default_test_support.h"
#include "themes/skin_status.h"

namespace movra::skin {
namespace {

using test::kBlack;
using test::kFace;
using test::kShadow;
using test::kWhite;
using test::SkinDefault;
using test::kGround;
using test::Scene;

constexpr COLORREF kRed = RGB(200, 0, 0);

// The main window's bar: a form 500 wide with the activity and queue panels, the first given
// what the queue panel's 200 pixels leave.
struct SkinStatusDrawing : SkinDefault {
  ui::TOwned<ui::TForm> form = ui::MakeOwned<ui::TForm>(nullptr);
  TSkinStatusBar* bar = nullptr;
  TSkinStatusPanel* activity = nullptr;
  TSkinStatusPanel* queue = nullptr;
  ui::TCustomImageList* images = nullptr;

  void SetUp() override {
    SkinDefault::SetUp();
    form->SetBorderStyle(ui::TFormBorderStyle::bsNone);
    form->SetBounds(0, 0, 500, 100);
    bar = new TSkinStatusBar(form.get());
    bar->SetParent(form.get());
    activity = bar->Panels().Add();
    activity->SetSize(350);
    activity->SetCaption("Defragmenting profile 'Mail' ...");
    queue = bar->Panels().Add();
    queue->SetSize(200);
    queue->SetCaption("In queue: 2 profile(s)");
    activity->SetSize(bar->ClientWidth() - 200);
    images = new ui::TCustomImageList(form.get());
    ui::TBitmap red(16, 16);
    red.Canvas().Brush().SetColor(static_cast<TColor>(kRed));
    red.Canvas().FillRect({0, 0, 16, 16});
    images->Add(red, nullptr);
    form->HandleNeeded();
  }
  void TearDown() override {
    form.reset();
    SkinDefault::TearDown();
  }
  void Print(Scene& scene) {
    scene.picture.Fill(kGround);
    bar->PaintTo(scene.picture.Dc(), 0, 0);
  }
  // A sunken panel frame from column `left` to column `right`, rows 2 to 21.
  static void ExpectFrame(const Scene& scene, int left, int right) {
    const int middle = (left + right) / 2;
    EXPECT_EQ(scene.At(left, 10), kShadow);
    EXPECT_EQ(scene.At(middle, 2), kShadow);
    EXPECT_EQ(scene.At(right, 10), kWhite);
    EXPECT_EQ(scene.At(middle, 21), kWhite);
  }
};

TEST_F(SkinStatusDrawing, PanelsFramesCaptionsAndTheGrip) {
  ASSERT_EQ(bar->ClientWidth(), 500);
  ASSERT_EQ(bar->ClientHeight(), 22);
  ASSERT_TRUE(bar->GripShown()) << "the bar ends at the form's corner";
  bar->SetImages(images);
  activity->SetImageIndex(0);
  queue->SetEnabled(false);
  Scene picture(500, 22);
  Print(picture);
  picture.picture.Save("skin_status_bar");

  // The background above the panels.
  EXPECT_EQ(picture.At(100, 0), kFace);
  EXPECT_EQ(picture.At(400, 1), kFace);
  // The activity panel, 0..300: a sunken frame two pixels short of its right edge.
  ExpectFrame(picture, 0, 297);
  EXPECT_EQ(picture.At(298, 10), kFace);
  EXPECT_EQ(picture.At(299, 10), kFace);
  // The queue panel ends at the bar's edge: its frame runs to the last column.
  EXPECT_EQ(picture.At(300, 10), kShadow);
  EXPECT_EQ(picture.At(400, 2), kShadow);
  EXPECT_EQ(picture.At(499, 2), kWhite);
  EXPECT_EQ(picture.At(400, 21), kWhite);

  // The image, centred on the content rectangle's height at one pixel inside its left edge
  // (content: the panel less the theme's margins 1, 3, 1, 1).
  const TSkinMargins m = bar->ContentMargins();
  const int imageLeft = m.Left + 1, imageTop = (2 + m.Top + 22 - m.Bottom - 16) / 2;
  EXPECT_EQ(picture.At(imageLeft, imageTop), kRed);
  EXPECT_EQ(picture.At(imageLeft + 15, imageTop + 15), kRed);
  EXPECT_NE(picture.At(imageLeft - 1, imageTop), kRed);
  EXPECT_NE(picture.At(imageLeft + 16, imageTop), kRed);
  // Captions: black text right of the image; the disabled panel's text is embossed, not black.
  const RECT grip = bar->GripRect();
  EXPECT_GT(picture.Count(kBlack, {imageLeft + 20, 3, 296, 21}), 10);
  const RECT queueText{301, 3, grip.left, 21};
  EXPECT_EQ(picture.Count(kBlack, queueText), 0);
  EXPECT_GT(picture.Count(kWhite, queueText) + picture.Count(kShadow, queueText), 10);

  // The grip: diagonal lines from the corner, in shadow and highlight.
  EXPECT_GT(picture.Count(kShadow, grip), 5);
  if (std::min<int>(grip.right - grip.left, grip.bottom - grip.top) >= 15) {
    EXPECT_EQ(picture.At(grip.right - 3, grip.bottom - 2), kShadow);
    EXPECT_EQ(picture.At(grip.right - 5, grip.bottom - 2), kWhite);
  }
  bar->SetSizeGrip(false);
  Print(picture);
  EXPECT_EQ(picture.Count(kShadow, grip), 0) << "no grip, no grip lines";

  // Right and centre alignment move the image to the text rectangle's right edge or middle.
  const int textLeft = m.Left + 1, textRight = 300 - m.Right - 1;
  activity->SetAlignment(TAlignment::taRightJustify);
  Print(picture);
  EXPECT_EQ(picture.At(textRight - 16, imageTop), kRed);
  EXPECT_NE(picture.At(textRight - 17, imageTop), kRed);
  EXPECT_NE(picture.At(textRight, imageTop), kRed);
  activity->SetAlignment(TAlignment::taCenter);
  Print(picture);
  const int centred = (textLeft + textRight - 16) / 2;
  EXPECT_EQ(picture.At(centred, imageTop), kRed);
  EXPECT_NE(picture.At(centred - 1, imageTop), kRed);
  // A disabled panel's image goes through the theme's disabled drawing.
  activity->SetEnabled(false);
  Print(picture);
  EXPECT_EQ(picture.Count(kRed, {0, 0, 300, 22}), 0);
}

TEST_F(SkinStatusDrawing, TheSimpleTextReplacesThePanels) {
  bar->SetSimplePanel(true);
  Scene picture(500, 22);
  Print(picture);
  const RECT grip = bar->GripRect();
  // An empty simple text: the background and the grip only.
  EXPECT_EQ(picture.Count(kFace, {0, 0, grip.left, 22}), grip.left * 22);
  EXPECT_GT(picture.Count(kShadow, grip), 5);
  bar->SetSimpleText("Ready");
  Print(picture);
  picture.picture.Save("skin_status_simple");
  EXPECT_EQ(picture.Count(kBlack, {0, 0, 4, 22}), 0) << "four pixels in from the left";
  EXPECT_GT(picture.Count(kBlack, {4, 2, grip.left, 22}), 10);
  EXPECT_EQ(picture.Count(kShadow, {0, 0, grip.left, 22}), 0) << "no panel frames";
}

TEST_F(SkinStatusDrawing, TheScreenIsNeverErasedBeforeTheBufferedPaint) {
  Scene picture(500, 22);
  EXPECT_EQ(SendMessageW(bar->Handle(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(picture.picture.Dc()), 0), 1);
  EXPECT_EQ(picture.Count(kGround, {0, 0, 500, 22}), 500 * 22) << "answered, not painted";
  EXPECT_TRUE(bar->DoubleBuffered());
  WNDCLASSEXW info{};
  info.cbSize = sizeof(info);
  ASSERT_TRUE(GetClassInfoExW(GetModuleHandleW(nullptr), L"MovraTSkinStatusBar", &info));
  EXPECT_EQ(info.style & (CS_HREDRAW | CS_VREDRAW), 0u);
}

TEST_F(SkinStatusDrawing, VisualStylesDrawTheStatusParts) {
  Styles(true);
  if (!StylesActive()) GTEST_SKIP() << "no visual styles here";
  Scene picture(500, 22);
  Print(picture);
  picture.picture.Save("skin_status_bar_styled");
  EXPECT_EQ(picture.Count(kGround, {0, 0, 500, 22}), 0) << "every pixel painted by the styled parts";
}

}  // namespace
}  // namespace movra::skin
