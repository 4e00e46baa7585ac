// Colour arithmetic with exact numbers, and the drawing routines checked pixel by pixel in
// memory pictures.
#include "themes/skin_utils.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "support.h"
#include "tests/themes/skin_test_support.h"

namespace movra::skin {
namespace {

using movra::testing::TestPicture;
using test::ClassicColors;
using ui::clBlack;
using ui::clNone;
using ui::clWhite;

// Expects the call to stop with the unit's assertion at `line`.
template <typename F>
void ExpectAssertion(F call, int line) {
  try {
    call();
    ADD_FAILURE() << "no assertion for line " << line;
  } catch (const ESkinAssertion& e) {
    EXPECT_EQ(e.Message(), "Assertion failure (SkinUtils, line " + std::to_string(line) + ")");
  }
}

TEST(SkinColorArithmetic, MixAddLightLuminanceAndBlendGiveExactChannels) {
  EXPECT_EQ(ColorMix(0x0000FF, 0xFF0000, 128), 0x7E007F);
  // The weights add up to 255: mixing a colour with itself darkens 255 by one step.
  EXPECT_EQ(ColorMix(0xFFFFFF, 0xFFFFFF, 255), 0xFEFEFE);
  EXPECT_EQ(ColorMix(0xFFFFFF, 0xFFFFFF, 0), 0xFEFEFE);
  EXPECT_EQ(ColorMix(0x404040, 0x404040, 200), 0x3F3F3F);
  ExpectAssertion([] { ColorMix(0, 0, 256); }, 422);

  EXPECT_EQ(ColorAddLight(0x10F080, 32), 0x30FFA0);
  EXPECT_EQ(ColorAddLight(0x10F080, -32), 0x00D060);

  EXPECT_EQ(ColorLuminance(0xFFFFFF), 255);  // the weights add up to 256
  EXPECT_EQ(ColorLuminance(0x0000FF), 75);
  EXPECT_TRUE(ColorIsDark(0x0000FF, 76));
  EXPECT_FALSE(ColorIsDark(0x0000FF, 75));

  // Below 100 a percentage of c1, from 100 on per mille.
  EXPECT_EQ(ColorBlend(0xC8C8C8, 0x000000, 99), 0xC6C6C6);
  EXPECT_EQ(ColorBlend(0xC8C8C8, 0x000000, 100), 0x141414);
  EXPECT_EQ(ColorBlend(0xC8C8C8, 0x646464, 0), 0x646464);
  EXPECT_EQ(ColorBlend(0xFFFFFF, 0x000000, 143), 0x242424);
  EXPECT_EQ(ColorBlend(0xFFFFFF, 0x000000, 1000), 0xFFFFFF);
  ExpectAssertion([] { ColorBlend(0xFFFFFF, 0, 1001); }, 431);
  ExpectAssertion([] { ColorBlend(0xFFFFFF, 0, -1); }, 431);

  EXPECT_EQ(SwapRedBlue(0x12345678), 0x00785634u);
  EXPECT_EQ(SwapRedBlue(SwapRedBlue(0x00ABCDEF)), 0x00ABCDEFu);
}

TEST(SkinColorArithmetic, EverySystemColourResolvesByItsLowByte) {
  ClassicColors classic;
  EXPECT_EQ(ResolveColor(static_cast<TColor>(0xFF00000F)), RGB(192, 192, 192));
  EXPECT_EQ(ResolveColor(static_cast<TColor>(0x8000000F)), RGB(192, 192, 192));
  EXPECT_EQ(ResolveColor(ui::clHotLight), RGB(0, 0, 128));
  EXPECT_EQ(ResolveColor(static_cast<TColor>(0x00ABCDEF)), 0xABCDEFu);
  EXPECT_EQ(ColorMix(ui::clBtnFace, ui::clWindow, 128), 0xDEDEDE);
  EXPECT_EQ(ColorLuminance(ui::clHighlight), ColorLuminance(0x800000));
}

TEST(SkinColorArithmetic, ContrastMovesAwayFromTheReferenceOnlyWhenTooClose) {
  TColor c = clBlack;
  EnsureContrast(c, clBlack, 50);
  EXPECT_EQ(c, 0x3A3A3A);
  c = clWhite;
  EnsureContrast(c, clWhite, 50);
  EXPECT_EQ(c, 0xE2E2E2);
  c = clBlack;
  EnsureContrast(c, clWhite, 180);
  EXPECT_EQ(c, clBlack);  // far enough already
  EXPECT_NEAR(ColorDistance(clBlack, clWhite), 441.0f, 1.0f);

  // Moved colours reach the asked distance (up to rounding to bytes), doubled near black.
  const TColor references[] = {0x000000, 0x202020, 0x808080, 0xC0C0C0, 0xFFFFFF, 0x0000FF, 0x996633};
  for (TColor ref : references) {
    for (TColor start : {ref, static_cast<TColor>(ColorAddLight(ref, 8)), static_cast<TColor>(0x7F7F7F)}) {
      TColor moved = start;
      EnsureContrast(moved, ref, 60);
      const float r = ColorDistance(ref, clBlack);
      const float wanted = r >= 220 ? 60 : 60 * (2 - r / 220);
      const float before = ColorDistance(ref, start);
      if (before > wanted) {
        EXPECT_EQ(moved, start);
      } else {
        EXPECT_GE(ColorDistance(ref, moved), wanted - 2.0f) << std::hex << ref << " " << start;
      }
    }
  }
}

TEST(SkinColorArithmetic, HslConversionBothWays) {
  EXPECT_EQ(HslToColor(0, 1, 0.5), 0x0000FF);
  EXPECT_EQ(HslToColor(0, 0, 0.5), 0x808080);
  EXPECT_EQ(HslToColor(1.0 / 3, 1, 0.5), 0x00FF00);
  EXPECT_EQ(HslToColor(2.0 / 3, 1, 0.25), 0x800000);
  double h, s, l;
  ColorToHsl(0xFF0000, h, s, l);  // blue
  EXPECT_NEAR(h, 2.0 / 3, 1e-9);
  EXPECT_DOUBLE_EQ(s, 1);
  EXPECT_DOUBLE_EQ(l, 0.5);
  ColorToHsl(0xFF00FF, h, s, l);  // magenta: the hue wraps below 0
  EXPECT_NEAR(h, 5.0 / 6, 1e-9);
  ColorToHsl(0x808080, h, s, l);
  EXPECT_EQ(h, 0);
  EXPECT_EQ(s, 0);
  for (TColor c : {0x0000FF, 0x336699, 0x99CCFF, 0x102030, 0xC0C0C0, 0x00FF80}) {
    ColorToHsl(c, h, s, l);
    EXPECT_EQ(HslToColor(h, s, l), c) << std::hex << c;
  }
}

TEST(SkinDrawing, BlendPixelMixesWithWhatIsThere) {
  TestPicture picture(4, 1, RGB(0, 0, 0));
  BlendPixel(picture.Dc(), 0, 0, clWhite, 128);
  BlendPixel(picture.Dc(), 1, 0, clWhite, 64);
  BlendPixel(picture.Dc(), 2, 0, clWhite, 0);
  BlendPixel(picture.Dc(), 3, 0, static_cast<TColor>(0x123456), 255);
  EXPECT_EQ(picture.Pixel(0, 0), 0x808080u);
  EXPECT_EQ(picture.Pixel(1, 0), 0x404040u);
  EXPECT_EQ(picture.Pixel(2, 0), 0u);
  EXPECT_EQ(picture.Pixel(3, 0), 0x123456u);
  BlendPixel(picture.Dc(), 50, 50, clWhite, 128);  // outside: GetPixel fails, nothing drawn
}

TEST(SkinDrawing, NoColourDrawsNothingAndFramesStillShrink) {
  ClassicColors classic;
  TestPicture picture(20, 20, RGB(10, 20, 30));
  HDC dc = picture.Dc();
  RECT r{2, 2, 18, 18};
  EXPECT_FALSE(FillRectColor(dc, r, clNone));
  EXPECT_FALSE(FrameRectColor(dc, r, clNone, true));
  EXPECT_EQ(r.left, 3);
  EXPECT_EQ(r.bottom, 17);
  DrawLineColor(dc, 0, 0, 19, 19, clNone);
  const POINT triangle[3] = {{1, 1}, {18, 1}, {1, 18}};
  PolygonColor(dc, triangle, 2, clNone, clNone);
  PolylineColor(dc, triangle, 2, clNone);
  GradientFillRect(dc, r, clNone, clWhite, gdHorizontal);
  DitherTextureRect(dc, nullptr, r, clNone, 8);
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 20; ++x) ASSERT_EQ(picture.Pixel(x, y), RGB(10, 20, 30)) << x << "," << y;

  // A no-colour pen and hollow brush are real objects that draw nothing.
  HBRUSH hollow = MakeBrush(clNone);
  LOGBRUSH info{};
  GetObjectW(hollow, sizeof info, &info);
  EXPECT_EQ(info.lbStyle, static_cast<UINT>(BS_NULL));
  DeleteObject(hollow);
  EXPECT_EQ(MakePen(clNone), GetStockObject(NULL_PEN));
}

TEST(SkinDrawing, FillsFramesLinesAndPolygonsLandWhereTheRulesSay) {
  ClassicColors classic;
  TestPicture picture(24, 24, RGB(255, 255, 255));
  HDC dc = picture.Dc();
  RECT fill{1, 1, 5, 5};
  EXPECT_TRUE(FillRectColor(dc, fill, ui::clBtnFace));
  EXPECT_EQ(picture.Pixel(1, 1), RGB(192, 192, 192));
  EXPECT_EQ(picture.Pixel(4, 4), RGB(192, 192, 192));
  EXPECT_EQ(picture.Pixel(5, 5), RGB(255, 255, 255));

  RECT frame{6, 1, 12, 7};
  EXPECT_TRUE(FrameRectColor(dc, frame, static_cast<TColor>(0x0000FF), false));
  EXPECT_EQ(frame.left, 6);  // not asked to shrink
  EXPECT_EQ(picture.Pixel(6, 1), RGB(255, 0, 0));
  EXPECT_EQ(picture.Pixel(11, 6), RGB(255, 0, 0));
  EXPECT_EQ(picture.Pixel(8, 3), RGB(255, 255, 255));

  // The end point of a line is not drawn.
  DrawLineColor(dc, 1, 10, 6, 10, ui::clHighlight);
  EXPECT_EQ(picture.Pixel(1, 10), RGB(0, 0, 128));
  EXPECT_EQ(picture.Pixel(5, 10), RGB(0, 0, 128));
  EXPECT_EQ(picture.Pixel(6, 10), RGB(255, 255, 255));

  const POINT square[4] = {{12, 12}, {20, 12}, {20, 20}, {12, 20}};
  PolygonColor(dc, square, 3, clNone, static_cast<TColor>(0x00FF00));
  EXPECT_EQ(picture.Pixel(16, 16), RGB(0, 255, 0));
  PolygonColor(dc, square, 3, static_cast<TColor>(0xFF0000), clNone);
  EXPECT_EQ(picture.Pixel(12, 16), RGB(0, 0, 255));  // outline over the earlier fill
  EXPECT_EQ(picture.Pixel(16, 16), RGB(0, 255, 0));  // hollow inside
  picture.Save("skin_fills_frames_lines");
}

TEST(SkinDrawing, BevelFrameAndItsShrunkRect) {
  TestPicture picture(12, 12, RGB(0, 0, 0));
  RECT r{1, 1, 9, 9};
  DrawBevelFrame(picture.Dc(), r, clWhite, static_cast<TColor>(0x0000FF), true);
  const COLORREF tl = RGB(255, 255, 255), br = RGB(255, 0, 0);
  EXPECT_EQ(picture.Pixel(1, 1), tl);
  EXPECT_EQ(picture.Pixel(1, 7), tl);  // left column above the bottom row
  EXPECT_EQ(picture.Pixel(7, 1), tl);  // top row up to the right column
  EXPECT_EQ(picture.Pixel(8, 1), br);
  EXPECT_EQ(picture.Pixel(8, 8), br);
  EXPECT_EQ(picture.Pixel(1, 8), br);  // the bottom row reaches the left edge
  EXPECT_EQ(picture.Pixel(4, 4), RGB(0, 0, 0));
  EXPECT_EQ(picture.Pixel(9, 9), RGB(0, 0, 0));
  EXPECT_EQ(r.left, 2);
  EXPECT_EQ(r.top, 2);
  EXPECT_EQ(r.right, 8);
  EXPECT_EQ(r.bottom, 8);
  RECT outer{1, 1, 9, 9};
  DrawBevelFrame(picture.Dc(), outer, clWhite, clWhite, false);
  EXPECT_EQ(outer.left, 1);
  EXPECT_EQ(outer.right, 7);
  EXPECT_EQ(outer.bottom, 7);
}

TEST(SkinDrawing, SplitterDragFrameIsThreeWideAndTwoHighAndErasesItself) {
  TestPicture picture(40, 30, RGB(255, 255, 255));
  const RECT r{5, 5, 35, 25};
  DrawSplitterDragFrame(picture.Dc(), &r, nullptr);
  auto changedIn = [&](int x0, int x1, int y0, int y1) {
    int changed = 0;
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x) changed += picture.Pixel(x, y) != RGB(255, 255, 255);
    return changed;
  };
  EXPECT_GT(changedIn(5, 8, 10, 20), 0);    // left strip, 3 wide
  EXPECT_GT(changedIn(10, 30, 5, 7), 0);    // top strip, 2 high
  EXPECT_EQ(changedIn(8, 32, 7, 23), 0);    // inside the ring
  EXPECT_EQ(changedIn(0, 40, 0, 5), 0);     // outside the rect
  picture.Save("skin_splitter_drag_frame");
  // Moving it one pixel right and back, then erasing, leaves the picture as it was.
  const RECT moved{6, 5, 36, 25};
  DrawSplitterDragFrame(picture.Dc(), &moved, &r);
  DrawSplitterDragFrame(picture.Dc(), &r, &moved);
  DrawSplitterDragFrame(picture.Dc(), nullptr, &r);
  EXPECT_EQ(changedIn(0, 40, 0, 30), 0);
}

TEST(SkinDrawing, DitherBrushIsATwoColourChecker) {
  TestPicture picture(16, 16);
  RECT all{0, 0, 16, 16};
  FillRectDither(picture.Dc(), all, static_cast<TColor>(0x0000FF), static_cast<TColor>(0x00FF00));
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x)
      ASSERT_EQ(picture.Pixel(x, y), ((x + y) & 1) ? RGB(0, 255, 0) : RGB(255, 0, 0)) << x << "," << y;
}

TEST(SkinDrawing, DwordHelpersLeaveCountsOfZeroAlone) {
  uint32_t words[6] = {1, 2, 3, 4, 5, 6};
  FillDwords(words, 0, 9);
  FillDwords(words, -3, 9);
  EXPECT_EQ(words[0], 1u);
  FillDwords(words + 1, 2, 9);
  EXPECT_EQ(words[1], 9u);
  EXPECT_EQ(words[2], 9u);
  EXPECT_EQ(words[3], 4u);
  CopyDwords(words, words + 2, 3);  // overlapping moves
  EXPECT_EQ(words[2], 1u);
  EXPECT_EQ(words[4], 9u);
  CopyDwords(words, words, 6);
  EXPECT_EQ(words[0], 1u);
}

// Runs with the gradient entry point unbound, so the stripe fallback paints.
class StripeGradient {
 public:
  StripeGradient() : saved_(SkinEntryPoints().GradientFill) { SkinEntryPoints().GradientFill = nullptr; }
  ~StripeGradient() { SkinEntryPoints().GradientFill = saved_; }
  StripeGradient(const StripeGradient&) = delete;
  StripeGradient& operator=(const StripeGradient&) = delete;

 private:
  TGradientFillFunc saved_;
};

TEST(SkinGradient, StripesEndOnBothColoursAndOnePixelIsTheMean) {
  StripeGradient stripes;
  TestPicture picture(8, 8, RGB(1, 1, 1));
  HDC dc = picture.Dc();
  RECT three{0, 0, 3, 1};
  GradientFillRect(dc, three, static_cast<TColor>(0x0000FF), static_cast<TColor>(0xFF0000), gdHorizontal);
  EXPECT_EQ(picture.Pixel(0, 0), RGB(255, 0, 0));
  EXPECT_EQ(picture.Pixel(1, 0), RGB(128, 0, 128));
  EXPECT_EQ(picture.Pixel(2, 0), RGB(0, 0, 255));
  // Again, now from the cache.
  picture.Fill(RGB(1, 1, 1));
  GradientFillRect(dc, three, static_cast<TColor>(0x0000FF), static_cast<TColor>(0xFF0000), gdHorizontal);
  EXPECT_EQ(picture.Pixel(1, 0), RGB(128, 0, 128));
  EXPECT_EQ(picture.Pixel(2, 0), RGB(0, 0, 255));

  RECT one{0, 1, 1, 2};
  GradientFillRect(dc, one, clBlack, clWhite, gdHorizontal);
  EXPECT_EQ(picture.Pixel(0, 1), RGB(127, 127, 127));
  GradientFillRect(dc, one, clWhite, clBlack, gdHorizontal);
  EXPECT_EQ(picture.Pixel(0, 1), RGB(127, 127, 127));

  RECT column{4, 0, 5, 8};
  GradientFillRect(dc, column, static_cast<TColor>(0x204060), static_cast<TColor>(0x204060), gdVertical);
  for (int y = 0; y < 8; ++y) EXPECT_EQ(picture.Pixel(4, y), RGB(0x60, 0x40, 0x20));

  RECT tall{6, 0, 8, 8};  // 0..0xE0 over 8 rows: 0x20 a row
  GradientFillRect(dc, tall, clBlack, static_cast<TColor>(0xE0E0E0), gdVertical);
  for (int y = 0; y < 8; ++y) {
    EXPECT_EQ(picture.Pixel(6, y), RGB(0x20 * y, 0x20 * y, 0x20 * y));
    EXPECT_EQ(picture.Pixel(7, y), picture.Pixel(6, y));
  }
}

TEST(SkinGradient, CacheKeepsEveryTableApartAcrossTheRing) {
  StripeGradient stripes;
  TestPicture first(40, 1), again(40, 1);
  RECT r{0, 0, 40, 1};
  GradientFillRect(first.Dc(), r, static_cast<TColor>(0x00FF00), static_cast<TColor>(0x0000FF), gdHorizontal);
  // Same length and start, other end: a cache keyed by length and first colour alone mixes them.
  TestPicture other(40, 1);
  GradientFillRect(other.Dc(), r, static_cast<TColor>(0x00FF00), static_cast<TColor>(0xFF0000), gdHorizontal);
  EXPECT_EQ(other.Pixel(39, 0), RGB(0, 0, 255));
  for (int i = 0; i < 20; ++i) {
    TestPicture scratch(40, 1);
    GradientFillRect(scratch.Dc(), r, static_cast<TColor>(i), static_cast<TColor>(0xFFFFFF - i), gdHorizontal);
  }
  GradientFillRect(again.Dc(), r, static_cast<TColor>(0x00FF00), static_cast<TColor>(0x0000FF), gdHorizontal);
  for (int x = 0; x < 40; ++x) ASSERT_EQ(again.Pixel(x, 0), first.Pixel(x, 0)) << x;
  EXPECT_EQ(first.Pixel(0, 0), RGB(0, 255, 0));
  EXPECT_EQ(first.Pixel(39, 0), RGB(255, 0, 0));
}

TEST(SkinGradient, BoundEntryPointRunsFromTheFirstColourInTheAskedDirection) {
  ASSERT_NE(SkinEntryPoints().GradientFill, nullptr);
  TestPicture picture(64, 32);
  RECT left{0, 0, 32, 32}, right{32, 0, 64, 32};
  GradientFillRect(picture.Dc(), left, clBlack, clWhite, gdHorizontal);
  GradientFillRect(picture.Dc(), right, clWhite, clBlack, gdVertical);
  EXPECT_EQ(picture.Pixel(0, 0), RGB(0, 0, 0));
  EXPECT_EQ(picture.Pixel(0, 31), RGB(0, 0, 0));
  EXPECT_GT(GetRValue(picture.Pixel(31, 5)), 0xE0);
  EXPECT_LT(GetRValue(picture.Pixel(10, 5)), GetRValue(picture.Pixel(20, 5)));
  EXPECT_EQ(picture.Pixel(32, 0), RGB(255, 255, 255));
  EXPECT_EQ(picture.Pixel(63, 0), RGB(255, 255, 255));
  EXPECT_GT(GetRValue(picture.Pixel(40, 10)), GetRValue(picture.Pixel(40, 20)));
  picture.Save("skin_gradients");
}

TEST(SkinTexture, LightSurfacesStopAt239AndTheTextureIsIrregular) {
  TestPicture flat(40, 8), brushed(120, 60, RGB(0, 0, 0));
  RECT r{0, 0, 40, 8};
  DitherTextureRect(flat.Dc(), nullptr, r, clWhite, 0);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 40; ++x) ASSERT_EQ(flat.Pixel(x, y), RGB(239, 239, 239)) << x << "," << y;

  RECT all{0, 0, 120, 60};
  DitherTextureRect(brushed.Dc(), nullptr, all, static_cast<TColor>(0xC0C0C0), 8);
  std::set<COLORREF> seen;
  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < 120; ++x) {
      const COLORREF p = brushed.Pixel(x, y);
      seen.insert(p);
      ASSERT_LE(GetRValue(p), 239);
      ASSERT_EQ(GetRValue(p), GetBValue(p));  // a grey stays grey
    }
  EXPECT_GT(seen.size(), 4u);
  brushed.Save("skin_brushed_texture");
}

TEST(SkinTexture, CoversAnyRectAndFollowsItsOrigin) {
  // White never comes out of the texture (at most 239), so any white pixel is a gap.
  TestPicture a(100, 40), b(100, 40);
  RECT r{5, 3, 95, 37};
  // The origin right of the left edge and far above the rect.
  const POINT anchor{60, -70000};
  DitherTextureRect(a.Dc(), &anchor, r, clWhite, 8);
  for (int y = 3; y < 37; ++y)
    for (int x = 5; x < 95; ++x) ASSERT_NE(a.Pixel(x, y), RGB(255, 255, 255)) << x << "," << y;
  EXPECT_EQ(a.Pixel(4, 3), RGB(255, 255, 255));  // nothing outside the rect
  EXPECT_EQ(a.Pixel(95, 36), RGB(255, 255, 255));

  // Moving the origin with the rect moves the picture with it.
  const POINT shifted{anchor.x + 7, anchor.y + 5 + 1024 * 3};
  RECT moved{12, 8, 95, 37};
  DitherTextureRect(b.Dc(), &shifted, moved, clWhite, 8);
  for (int y = 8; y < 37; ++y)
    for (int x = 12; x < 95; ++x) ASSERT_EQ(b.Pixel(x, y), a.Pixel(x - 7, y - 5)) << x << "," << y;
}

TEST(SkinTexture, RowsRepeatEvery1024Lines) {
  TestPicture picture(16, 1100);
  RECT all{0, 0, 16, 1100};
  const POINT origin{3, 2};
  DitherTextureRect(picture.Dc(), &origin, all, static_cast<TColor>(0x808080), 10);
  for (int y = 0; y < 1100 - 1024; ++y)
    for (int x = 0; x < 16; ++x) ASSERT_EQ(picture.Pixel(x, y + 1024), picture.Pixel(x, y)) << x << "," << y;
  ClearDitherCache();
  TestPicture again(16, 4);
  DitherTextureRect(again.Dc(), &origin, RECT{0, 0, 16, 4}, static_cast<TColor>(0x808080), 10);
  for (int x = 0; x < 16; ++x) EXPECT_EQ(again.Pixel(x, 2), picture.Pixel(x, 2));
}

// An image list of one 16 x 16 image on a fuchsia (transparent) ground: a red block at
// columns 2..5, a grey block at 6..9 and a near-white block at 10..13, rows 4..11.
class SkinImages : public ::testing::Test {
 protected:
  static constexpr COLORREF kGround = RGB(0, 128, 128);
  SkinImages() : images(nullptr, 16, 16) {
    ui::TBitmap strip;
    strip.SetSize(16, 16);
    HDC dc = strip.Canvas().Handle();
    Fill(dc, {0, 0, 16, 16}, RGB(255, 0, 255));
    Fill(dc, {2, 4, 6, 12}, RGB(255, 0, 0));
    Fill(dc, {6, 4, 10, 12}, RGB(128, 128, 128));
    Fill(dc, {10, 4, 14, 12}, RGB(254, 254, 254));
    images.AddMasked(strip, static_cast<TColor>(0xFF00FF));
  }
  static void Fill(HDC dc, RECT r, COLORREF c) {
    HBRUSH b = CreateSolidBrush(c);
    ::FillRect(dc, &r, b);
    DeleteObject(b);
  }
  // A picture on the ground colour with a canvas over it.
  struct Scene {
    TestPicture picture{20, 20, kGround};
    ui::TCanvas canvas;
    Scene() { canvas.SetHandle(picture.Dc()); }
    ~Scene() { canvas.SetHandle(nullptr); }
  };
  static constexpr RECT kAt{2, 2, 20, 20};  // image pixel (x, y) lands at (x + 2, y + 2)
  ui::TImageList images;
};

TEST_F(SkinImages, FadedBlendedAndDisabledTouchOnlyTheImage) {
  {
    Scene s;
    DrawImageFaded(s.canvas, kAt, images, 0, 128);
    // (q·127 + p·128) shr 8 per channel, q the teal ground.
    EXPECT_EQ(s.picture.Pixel(5, 8), RGB((255 * 128) >> 8, (128 * 127) >> 8, (128 * 127) >> 8));
    EXPECT_EQ(s.picture.Pixel(2, 2), kGround);
    EXPECT_EQ(s.picture.Pixel(17, 8), kGround);
    s.picture.Save("skin_image_faded");
  }
  {
    Scene s;
    DrawImageBlended(s.canvas, kAt, images, 0, clWhite, 0);
    EXPECT_EQ(s.picture.Pixel(5, 8), RGB(254, 254, 254));
    EXPECT_EQ(s.picture.Pixel(9, 8), RGB(254, 254, 254));
    EXPECT_EQ(s.picture.Pixel(3, 3), kGround);
  }
  {
    Scene s;
    DrawImageDisabled(s.canvas, kAt, images, 0, 0);
    // Red: f = 75 div 3 + 170 = 195, applied to the ground.
    EXPECT_EQ(s.picture.Pixel(5, 8), RGB(0, (128 * 195) >> 8, (128 * 195) >> 8));
    EXPECT_EQ(s.picture.Pixel(3, 3), kGround);
    ExpectAssertion([&] { DrawImageDisabled(s.canvas, kAt, images, 0, 3); }, 1133);
  }
}

TEST_F(SkinImages, BrightenedTurnsDarkLightAndLightDark) {
  Scene s;
  DrawImageBrightened(s.canvas, kAt, images, 0, true);
  EXPECT_EQ(s.picture.Pixel(5, 8), RGB(255, 255, 255));   // red is dark: white
  EXPECT_EQ(s.picture.Pixel(9, 8), RGB(160, 160, 160));   // grey + 32
  EXPECT_EQ(s.picture.Pixel(13, 8), RGB(32, 32, 32));     // near white: black + 32
  EXPECT_EQ(s.picture.Pixel(3, 3), kGround);
  s.picture.Save("skin_image_brightened");
  Scene plain;
  DrawImageBrightened(plain.canvas, kAt, images, 0, false);
  EXPECT_EQ(plain.picture.Pixel(5, 8), RGB(255, 0, 0));
}

TEST_F(SkinImages, SilhouettesPaintDarkPartsOrTheWholeShape) {
  {
    Scene s;
    DrawImageSilhouette(s.canvas, kAt, images, 0, static_cast<TColor>(0xFF0000));
    EXPECT_EQ(s.picture.Pixel(5, 8), RGB(0, 0, 255));   // red is below the threshold
    EXPECT_EQ(s.picture.Pixel(9, 8), RGB(0, 0, 255));   // grey too
    EXPECT_EQ(s.picture.Pixel(13, 8), kGround);         // light parts stay
    EXPECT_EQ(s.picture.Pixel(3, 3), kGround);
    s.picture.Save("skin_image_silhouette");
  }
  {
    Scene s;
    DrawImageSolidSilhouette(s.canvas, kAt, images, 0, static_cast<TColor>(0x00FF00));
    EXPECT_EQ(s.picture.Pixel(5, 8), RGB(0, 255, 0));
    EXPECT_EQ(s.picture.Pixel(13, 8), RGB(0, 255, 0));
    EXPECT_EQ(s.picture.Pixel(3, 3), kGround);
    EXPECT_EQ(s.picture.Pixel(5, 14), kGround);
  }
  {
    // The drawn size is the smaller of image and rect.
    Scene s;
    DrawImageSolidSilhouette(s.canvas, RECT{2, 2, 9, 20}, images, 0, static_cast<TColor>(0x00FF00));
    EXPECT_EQ(s.picture.Pixel(8, 8), RGB(0, 255, 0));
    EXPECT_EQ(s.picture.Pixel(9, 8), kGround);
  }
}

TEST_F(SkinImages, MaskAndPatternGlyphsPaintTheirShapeCentred) {
  TestPicture picture(40, 20, kGround);
  DrawImageMask(picture.Dc(), 0, 0, images, 0, static_cast<TColor>(0x0000FF));
  EXPECT_EQ(picture.Pixel(3, 5), RGB(255, 0, 0));
  EXPECT_EQ(picture.Pixel(12, 10), RGB(255, 0, 0));
  EXPECT_EQ(picture.Pixel(1, 5), kGround);
  EXPECT_EQ(picture.Pixel(3, 2), kGround);
  const COLORREF text = SetTextColor(picture.Dc(), RGB(1, 2, 3));
  // Centred in 16..40 x 0..20: (16 + 40 − 16 + 1) div 2 = 20, (0 + 20 − 16 + 1) div 2 = 2.
  DrawImageMaskCentred(picture.Dc(), RECT{16, 0, 40, 20}, images, 0, static_cast<TColor>(0xFF0000));
  EXPECT_EQ(picture.Pixel(22, 6), RGB(0, 0, 255));
  EXPECT_EQ(picture.Pixel(21, 6), kGround);
  EXPECT_EQ(picture.Pixel(22, 5), kGround);
  EXPECT_EQ(GetTextColor(picture.Dc()), RGB(1, 2, 3));  // the DC's colours are put back
  SetTextColor(picture.Dc(), text);
  picture.Save("skin_image_mask");

  // A 3 x 2 glyph 101 / 010 centred in a 9 x 6 rect at (0, 0): corner (3, 2).
  TestPicture glyph(9, 6, RGB(255, 255, 255));
  const uint8_t rows[2] = {0xA0, 0x40};
  DrawPatternGlyph(glyph.Dc(), RECT{0, 0, 9, 6}, 3, 2, rows, clBlack);
  EXPECT_EQ(glyph.Pixel(3, 2), RGB(0, 0, 0));
  EXPECT_EQ(glyph.Pixel(4, 2), RGB(255, 255, 255));
  EXPECT_EQ(glyph.Pixel(5, 2), RGB(0, 0, 0));
  EXPECT_EQ(glyph.Pixel(4, 3), RGB(0, 0, 0));
  EXPECT_EQ(glyph.Pixel(3, 3), RGB(255, 255, 255));
  EXPECT_EQ(glyph.Pixel(6, 2), RGB(255, 255, 255));
}

TEST(SkinModule, StartsAreCountedAndSharedObjectsComeBack) {
  SkinUtilsStart();
  SkinUtilsStart();
  const HFONT font0 = UtilsCaptionFont();
  EXPECT_NE(font0, nullptr);
  SkinUtilsEnd();
  EXPECT_EQ(UtilsCaptionFont(), font0);  // one start still holds the module as it was
  EXPECT_NE(SkinEntryPoints().GradientFill, nullptr);
  RecreateSharedObjects();
  EXPECT_NE(UtilsCaptionFont(), nullptr);
  LOGFONTW font{};
  EXPECT_GT(GetObjectW(UtilsCaptionFont(), sizeof font, &font), 0);
  EXPECT_NE(NearestColor(static_cast<TColor>(0x123456)), clNone);
  EXPECT_EQ(NearestColor(clNone), clNone);
  SkinUtilsEnd();
}

}  // namespace
}  // namespace movra::skin
