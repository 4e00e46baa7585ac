#pragma once
// What the Default theme's tests share: classic colours with the edge colours, the themed
// extension started with "Default" current, and pictures to draw into.
#include <windows.h>

#include <gtest/gtest.h>

#include "support.h"
#include "tests/themes/skin_test_support.h"
#include "themes/skin_default.h"

namespace movra::skin::test {

using movra::testing::TestPicture;

inline constexpr COLORREF kFace = RGB(192, 192, 192), kShadow = RGB(128, 128, 128), kWhite = RGB(255, 255, 255),
                   kBlack = RGB(0, 0, 0), kNavy = RGB(0, 0, 128), kLight = RGB(223, 223, 223),
                   kDark = RGB(64, 64, 64), kGround = RGB(0, 128, 128);

// The classic scheme with the edge colours an exact check needs.
inline COLORREF EdgeSysColor(int index) {
  switch (index) {
    case COLOR_3DLIGHT: return kLight;
    case COLOR_3DDKSHADOW: return kDark;
    case COLOR_WINDOWFRAME: return kBlack;
    default: return ClassicSysColor(index);
  }
}

// The themed extension started with the Default theme current, classic colours injected and
// visual styles switched as the test asks.
class SkinDefault : public ::testing::Test {
 public:
  void SetUp() override {
    SetSysColorSource(&EdgeSysColor);
    SkinStart();
    Styles(false);
    SetManagerParam(1, 1);  // no flat menus unless a test asks
  }
  void TearDown() override {
    SkinEnd();
    SetSysColorSource(nullptr);
  }
  // Switches visual styles; the themes rebuild their colours in the change phase.
  static void Styles(bool on) { SetManagerParam(2, on ? 0 : 1); }
  static bool StylesActive() { return SkinSystem().VisualStylesActive; }
  static TSkinDefaultTheme& Theme() { return *dynamic_cast<TSkinDefaultTheme*>(ActiveTheme()); }
  static TItemDrawState State(int viewKind, uint32_t options = 0) {
    TItemDrawState s{};
    s.ViewKind = viewKind;
    s.Options = options;
    s.Enabled = 1;
    return s;
  }
};

// A picture on the ground colour with a canvas over it.
struct Scene {
  TestPicture picture;
  ui::TCanvas canvas;
  Scene(int w, int h, COLORREF ground = kGround) : picture(w, h, ground) { canvas.SetHandle(picture.Dc()); }
  ~Scene() { canvas.SetHandle(nullptr); }
  COLORREF At(int x, int y) const { return picture.Pixel(x, y); }
  int Count(COLORREF color, RECT area) const {
    int n = 0;
    for (int y = area.top; y < area.bottom; ++y)
      for (int x = area.left; x < area.right; ++x) n += picture.Pixel(x, y) == color;
    return n;
  }
  int Count(COLORREF color) const { return Count(color, {0, 0, picture.Width(), picture.Height()}); }
};

}  // namespace movra::skin::test
