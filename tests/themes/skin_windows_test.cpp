// Shadows of popups (their geometry, their pictures rendered into memory and their windows),
// and the themed toolbar, dock and floating window: view kinds, effective colours, snapping and
// the frame's DC.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "runtime/ui/forms.h"
#include "tests/support/support.h"
#include "tests/themes/skin_test_support.h"
#include "themes/skin_default.h"
#include "themes/skin_aluminum.h"
#include "themes/skin_officexp.h"
#include "themes/skin_shadows.h"
#include "themes/skin_stripes.h"
#include "themes/skin_windows.h"
#include "toolbars/bar_common.h"

namespace movra::skin {
namespace {

using movra::testing::TestPicture;

// The view kind a control answers (a themed window is both a control and a listener).
int Kind(ui::TControl* control) { return QueryViewKind(control); }

bool Same(const RECT& a, const RECT& b) { return EqualRect(&a, &b) != FALSE; }
bool Meets(const RECT& a, const RECT& b) {
  RECT r;
  return IntersectRect(&r, &a, &b) != FALSE;
}
std::vector<RECT> PresentParts(const TShadowGeometry& g) {
  std::vector<RECT> parts;
  for (const TShadowPartSpec& part : g)
    if (part.Present) parts.push_back(part.Bounds);
  return parts;
}
void ExpectPart(const TShadowGeometry& g, int slot, RECT bounds, uint8_t edges, bool horizontal) {
  const TShadowPartSpec& part = g[static_cast<size_t>(slot)];
  ASSERT_TRUE(part.Present) << "slot " << slot;
  EXPECT_TRUE(Same(part.Bounds, bounds)) << "slot " << slot << ": " << part.Bounds.left << "," << part.Bounds.top
                                         << "," << part.Bounds.right << "," << part.Bounds.bottom;
  EXPECT_EQ(part.Edges, edges) << "slot " << slot;
  EXPECT_EQ(part.Horizontal, horizontal) << "slot " << slot;
}

TEST(ShadowGeometry, OneRectangleGetsABandOnTheRightAndOneBelow) {
  const RECT r{100, 100, 200, 150};
  for (const TShadowGeometry& g : {ShadowGeometry(r, {}, 4), ShadowGeometry({}, r, 4)}) {
    ExpectPart(g, shV1, {200, 104, 204, 150}, seStartCorner, false);
    ExpectPart(g, shH1, {104, 150, 204, 154}, seStartCorner | seEndCorner, true);
    EXPECT_EQ(PresentParts(g).size(), 2u);
  }
  EXPECT_TRUE(PresentParts(ShadowGeometry({}, {}, 4)).empty());
}

TEST(ShadowGeometry, ASubmenuToTheRightOfItsItemCastsAnLShapeThatLeavesTheItemOut) {
  const RECT item{10, 20, 110, 40}, popup{110, 15, 210, 100};
  const TShadowGeometry g = ShadowGeometry(popup, item, 4);
  // The popup starts above the item's shadow line: nothing runs up the item's right side.
  EXPECT_FALSE(g[shV1].Present);
  ExpectPart(g, shV2, {210, 19, 214, 104}, seStartCorner | seEndCorner, false);
  ExpectPart(g, shH1, {14, 40, 110, 44}, seStartCorner, true);
  EXPECT_FALSE(g[shV3].Present);
  ExpectPart(g, shH2, {114, 100, 210, 104}, seStartCorner, true);
  for (const RECT& part : PresentParts(g)) {
    EXPECT_FALSE(Meets(part, item));
    EXPECT_FALSE(Meets(part, popup));
  }
  // The same pair given the other way round is exchanged first.
  EXPECT_TRUE(Same(ShadowGeometry(item, popup, 4)[shV2].Bounds, g[shV2].Bounds));

  // A popup beside a taller item: bands run down the item's side above and below the popup.
  const RECT tall{10, 10, 110, 200}, beside{110, 50, 210, 150};
  const TShadowGeometry l = ShadowGeometry(beside, tall, 4);
  ExpectPart(l, shV1, {110, 14, 114, 50}, seStartCorner, false);
  ExpectPart(l, shV2, {210, 54, 214, 154}, seStartCorner | seEndCorner, false);
  ExpectPart(l, shH1, {14, 200, 110, 204}, seStartCorner, true);
  ExpectPart(l, shV3, {110, 150, 114, 204}, seStartCorner | seEndCorner, false);
  ExpectPart(l, shH2, {110, 150, 210, 154}, 0, true);
}

TEST(ShadowGeometry, AMenuBarDropDownHasShadowsUnderTheItemAndPopupButNoneOverTheItem) {
  const RECT item{10, 0, 60, 20}, popup{10, 20, 150, 120};
  const TShadowGeometry g = ShadowGeometry(popup, item, 4);
  EXPECT_FALSE(g[shH1].Present);
  ExpectPart(g, shH2, {14, 120, 154, 124}, seStartCorner | seEndCorner, true);
  ExpectPart(g, shV1, {60, 4, 64, 20}, seStartCorner, false);
  EXPECT_FALSE(g[shH3].Present);
  ExpectPart(g, shV2, {150, 24, 154, 120}, seStartCorner, false);
  for (const RECT& part : PresentParts(g)) {
    EXPECT_FALSE(Meets(part, item));
    EXPECT_FALSE(Meets(part, popup));
  }
  // A popup no wider than its item: the popup's right band starts at its top.
  const TShadowGeometry narrow = ShadowGeometry({10, 20, 62, 120}, item, 4);
  ExpectPart(narrow, shV2, {62, 21, 66, 120}, 0, false);
}

TEST(ShadowGeometry, PartsWithoutAreaAreLeftOut) {
  // An opener narrower than the shadow: its band below would run backwards.
  const TShadowGeometry g = ShadowGeometry({13, 15, 100, 100}, {10, 20, 13, 40}, 4);
  EXPECT_FALSE(g[shH1].Present);
  for (const RECT& part : PresentParts(g)) EXPECT_TRUE(part.right > part.left && part.bottom > part.top);
  // A popup shorter than the shadow gets no right band.
  const TShadowGeometry flat = ShadowGeometry({0, 0, 50, 3}, {}, 4);
  EXPECT_FALSE(flat[shV1].Present);
  EXPECT_TRUE(flat[shH1].Present);
  // Overlapping rectangles that are not side by side get none at all.
  EXPECT_TRUE(PresentParts(ShadowGeometry({0, 0, 100, 100}, {50, 50, 150, 150}, 4)).empty());
}

// A shadow bitmap blended over white, as the screen would show it: 255 − alpha per channel.
std::vector<int> RenderedShadow(int w, int h, bool horizontal, uint8_t edges, TestPicture& picture, int x0, int y0) {
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  FillShadowAlpha(static_cast<uint32_t*>(bits), w, h, horizontal, edges);
  std::vector<int> alpha(static_cast<size_t>(w * h));
  for (int i = 0; i < w * h; ++i) alpha[static_cast<size_t>(i)] = static_cast<int>(static_cast<uint32_t*>(bits)[i] >> 24);
  HDC source = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(source, bitmap);
  SkinEntryPoints().AlphaBlend(picture.Dc(), x0, y0, w, h, source, 0, 0, w, h, {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA});
  GdiFlush();
  SelectObject(source, old);
  DeleteDC(source);
  DeleteObject(bitmap);
  return alpha;
}

TEST(ShadowPicture, BandsFadeOutwardsAndCornersRoundOff) {
  SkinUtilsStart();
  ASSERT_NE(SkinEntryPoints().AlphaBlend, nullptr);
  TestPicture picture(40, 24);
  // A band of height 4: rows 255, 191, 127, 63 whatever the column.
  const std::vector<int> h = RenderedShadow(10, 4, true, 0, picture, 1, 1);
  const int rows[4] = {255, 191, 127, 63};
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 10; ++x) {
      EXPECT_EQ(h[static_cast<size_t>(y * 10 + x)], rows[y]);
      const int v = 255 - rows[y];
      EXPECT_EQ(picture.Pixel(1 + x, 1 + y), RGB(v, v, v)) << x << "," << y;
    }
  // A vertical band fades across its width.
  const std::vector<int> v = RenderedShadow(4, 6, false, 0, picture, 14, 1);
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(v[static_cast<size_t>(y * 4 + x)], rows[x]);
  // Soft corners at both ends of a 12 x 4 band: the corner meets the band at full strength and
  // fades to nothing in its far corner.
  const std::vector<int> c = RenderedShadow(12, 4, true, seStartCorner | seEndCorner, picture, 1, 8);
  auto at = [&](int x, int y) { return c[static_cast<size_t>(y * 12 + x)]; };
  EXPECT_EQ(at(3, 0), 255);
  EXPECT_EQ(at(0, 0), 63);  // e = (3 + 3 + 0)·128 div 4 = 192
  EXPECT_EQ(at(0, 3), 0);
  EXPECT_EQ(at(8, 0), 255);
  EXPECT_EQ(at(11, 0), 63);
  EXPECT_EQ(at(11, 3), 0);
  EXPECT_EQ(at(5, 2), 127);
  EXPECT_EQ(picture.Pixel(1, 8), RGB(192, 192, 192));
  // A vertical band's start corner sits at its top.
  const std::vector<int> t = RenderedShadow(4, 10, false, seStartCorner, picture, 20, 1);
  EXPECT_EQ(t[static_cast<size_t>(3 * 4 + 0)], 255);
  EXPECT_EQ(t[static_cast<size_t>(0 * 4 + 0)], 63);
  EXPECT_EQ(t[static_cast<size_t>(0 * 4 + 3)], 0);
  EXPECT_EQ(t[static_cast<size_t>(9 * 4 + 0)], 255);
  // Corners wider than the band share it: half each.
  const std::vector<int> s = RenderedShadow(6, 4, true, seStartCorner | seEndCorner, picture, 26, 1);
  EXPECT_EQ(s[2], s[3]);
  EXPECT_LT(s[0], s[2]);
  picture.Save("skin_shadow_bands");
  SkinUtilsEnd();
}

TEST(ShadowStyle, FollowsTheDisplayAndTheBoundEntryPoints) {
  EXPECT_EQ(ShadowStyleFor(true, true, true), shsPlain);
  EXPECT_EQ(ShadowStyleFor(false, true, true), shsLayered);
  EXPECT_EQ(ShadowStyleFor(false, false, true), shsAlphaBlended);
  EXPECT_EQ(ShadowStyleFor(false, true, false), shsPlain);
  EXPECT_EQ(ShadowStyleFor(false, false, false), shsPlain);
}

struct ShadowWindows : ::testing::Test {
  HWND popup = nullptr;
  void SetUp() override {
    SkinUtilsStart();
    // Owned like a popup of the framework, by the application's window.
    popup = CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"popup", WS_POPUP | WS_VISIBLE, 110, 15, 100, 85,
                            ui::Application().Handle(), nullptr, nullptr, nullptr);
  }
  void TearDown() override {
    FreeKeptShadows();
    DestroyWindow(popup);
    SkinUtilsEnd();
  }
};

TEST_F(ShadowWindows, PartsAreTransparentToolWindowsBehindThePopup) {
  const RECT item{10, 20, 110, 40}, popupRect{110, 15, 210, 100};
  TShadows shadows(popupRect, item, false, 61, 4);
  EXPECT_TRUE(shadows.SaveBits());
  const TShadowGeometry g = ShadowGeometry(popupRect, item, 4);
  // Nothing shows before the parts hold their pictures and stand behind the popup.
  for (int slot = 0; slot < 6; ++slot) {
    if (TShadow* part = shadows.Part(slot)) {
      EXPECT_FALSE(IsWindowVisible(part->Handle())) << slot;
    }
  }
  shadows.Show(popup);
  int count = 0;
  for (int slot = 0; slot < 6; ++slot) {
    TShadow* part = shadows.Part(slot);
    ASSERT_EQ(part != nullptr, g[static_cast<size_t>(slot)].Present) << slot;
    if (!part) continue;
    ++count;
    HWND window = part->Handle();
    RECT r;
    GetWindowRect(window, &r);
    EXPECT_TRUE(Same(r, g[static_cast<size_t>(slot)].Bounds)) << slot;
    const LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE), ex = GetWindowLongPtrW(window, GWL_EXSTYLE);
    EXPECT_TRUE(style & WS_POPUP);
    EXPECT_FALSE(style & (WS_CHILD | WS_TABSTOP));
    EXPECT_TRUE(ex & WS_EX_TOOLWINDOW);
    EXPECT_TRUE(ex & WS_EX_LAYERED);  // both entry points bind here
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_EQ(SendMessageW(window, WM_NCHITTEST, 0, MAKELPARAM(r.left, r.top)), HTTRANSPARENT);
    EXPECT_EQ(part->Style(), shsLayered);
    EXPECT_EQ(part->Opacity(), 61);
    EXPECT_TRUE(part->SaveBits());
    EXPECT_EQ(part->IsHorizontal(), g[static_cast<size_t>(slot)].Horizontal);
  }
  EXPECT_EQ(count, 3);
  // Every part lies directly below the popup in the z-order.
  std::vector<HWND> below;
  for (HWND w = GetWindow(popup, GW_HWNDNEXT); w && below.size() < 3; w = GetWindow(w, GW_HWNDNEXT)) below.push_back(w);
  for (int slot = 0; slot < 6; ++slot) {
    if (TShadow* part = shadows.Part(slot)) {
      EXPECT_NE(std::find(below.begin(), below.end(), part->Handle()), below.end()) << slot;
    }
  }
}

TEST_F(ShadowWindows, APopupTakesTheWindowsTheLastOneLeftHidden) {
  std::vector<HWND> left;
  {
    TShadows shadows({110, 15, 210, 100}, {10, 20, 110, 40}, false, 61, 4);
    shadows.Show(popup);
    for (int slot = 0; slot < 6; ++slot)
      if (TShadow* part = shadows.Part(slot)) left.push_back(part->Handle());
  }
  ASSERT_EQ(left.size(), 3u);
  for (HWND window : left) {
    EXPECT_TRUE(IsWindow(window));
    EXPECT_FALSE(IsWindowVisible(window));
  }
  // Another popup elsewhere casts its two bands with two of them, moved and made over.
  const RECT other{300, 200, 380, 260};
  const TShadowGeometry g = ShadowGeometry(other, {}, 4);
  {
    TShadows shadows(other, {}, false, 61, 4);
    shadows.Show(popup);
    for (int slot : {shV1, shH1}) {
      TShadow* part = shadows.Part(slot);
      ASSERT_NE(part, nullptr) << slot;
      EXPECT_NE(std::find(left.begin(), left.end(), part->Handle()), left.end()) << slot;
      EXPECT_TRUE(IsWindowVisible(part->Handle()));
      RECT r;
      GetWindowRect(part->Handle(), &r);
      EXPECT_TRUE(Same(r, g[static_cast<size_t>(slot)].Bounds)) << slot;
      EXPECT_EQ(part->Edges(), g[static_cast<size_t>(slot)].Edges) << slot;
    }
  }
  FreeKeptShadows();
  for (HWND window : left) EXPECT_FALSE(IsWindow(window));
}

TEST_F(ShadowWindows, ALowColourDisplayGetsHalfSizeSolidShadows) {
  TShadows shadows({100, 100, 200, 150}, {}, true, 61, 4);
  TShadow* right = shadows.Part(shV1);
  ASSERT_NE(right, nullptr);
  EXPECT_EQ(right->Style(), shsPlain);
  RECT r;
  GetWindowRect(right->Handle(), &r);
  EXPECT_TRUE(Same(r, {200, 102, 202, 150}));
  EXPECT_FALSE(GetWindowLongPtrW(right->Handle(), GWL_EXSTYLE) & WS_EX_LAYERED);
  EXPECT_EQ(right->Color(), ui::clBtnShadow);
}

// --- Themed toolbar, dock and floating window ------------------------------------------------

struct SkinWindows : ::testing::Test {
  test::ClassicColors colors;
  ui::TForm* form = nullptr;
  TSkinDock* dock = nullptr;
  void SetUp() override {
    SkinStart();
    SetManagerParam(2, 1);
    form = new ui::TForm(nullptr);
    form->SetBounds(100, 100, 520, 340);
    dock = new TSkinDock(form);
    dock->SetParent(form);
  }
  void TearDown() override {
    ui::Free(form);
    SetManagerParam(2, 0);
    SkinEnd();
  }
  TSkinToolbar* Toolbar(ui::TWinControl* parent) {
    auto* bar = new TSkinToolbar(form);
    bar->Items()->Add(new TSkinItem(nullptr));
    bar->Items()->ChildAt(0)->SetCaption("Open");
    bar->SetParent(parent);
    return bar;
  }
};

TEST_F(SkinWindows, ToolbarsAnswerTheirViewKind) {
  TSkinToolbar* free = Toolbar(form);
  free->SetResizable(false);
  EXPECT_EQ(Kind(free), vkToolbar | vkTransparentItems);
  free->SetItemTransparency(itEnable);
  EXPECT_EQ(Kind(free), vkToolbar);
  free->SetItemTransparency(itAuto);
  free->SetResizable(true);
  EXPECT_EQ(Kind(free), vkToolbar | vkResizable | vkTransparentItems);

  TSkinToolbar* docked = Toolbar(dock);
  ASSERT_TRUE(docked->Docked());
  docked->SetResizable(false);
  EXPECT_EQ(Kind(docked), vkToolbar);
  docked->SetItemTransparency(itDisable);
  EXPECT_EQ(Kind(docked), vkToolbar | vkTransparentItems);
  docked->SetItemTransparency(itAuto);
  docked->SetMenuBar(true);
  EXPECT_EQ(Kind(docked), vkMenuBar);

  docked->SetFloating(true);
  ASSERT_TRUE(docked->Floating());
  EXPECT_EQ(Kind(docked), vkMenuBar | vkFloating);
  EXPECT_NE(dynamic_cast<TSkinFloatingWindowParent*>(docked->FloatingParent()), nullptr);
  // The floating frame is the theme's border of the floating kind.
  SIZE border{}, expected{};
  docked->FloatingBorderSize(border);
  ActiveTheme()->GetViewBorderSize(vkMenuBar | vkFloating, expected);
  EXPECT_EQ(border.cx, expected.cx);
  EXPECT_EQ(border.cy, expected.cy);
  // The floating view gets the theme's floating padding, in the framework's order.
  RECT margins{};
  docked->View()->ContentMargins(bars::bvoFloating, margins);
  EXPECT_TRUE(Same(margins, {4, 2, 4, 1}));
  docked->View()->ContentMargins(bars::bvoHorizontal, margins);
  EXPECT_TRUE(Same(margins, {0, 0, 0, 0}));
}

TEST_F(SkinWindows, EffectiveColoursComeFromTheColourTheParentOrTheTheme) {
  form->SetColor(RGB(10, 20, 30));
  TSkinToolbar* free = Toolbar(form);
  EXPECT_EQ(free->Color(), ui::clNone);
  EXPECT_FALSE(free->ControlStyle() & ui::csOpaque);
  EXPECT_FALSE(free->DblClickUndock());
  free->Perform(ui::CM_COLORCHANGED);
  EXPECT_EQ(QueryEffectiveColor(free), RGB(10, 20, 30));

  TSkinToolbar* docked = Toolbar(dock);
  EXPECT_EQ(QueryEffectiveColor(docked), ActiveTheme()->GetViewBackColor(Kind(docked)));
  // A system colour survives the trip through WParam.
  docked->SetColor(ui::clHighlight);
  EXPECT_EQ(QueryEffectiveColor(docked), ui::clHighlight);
  docked->SetColor(RGB(1, 2, 3));
  EXPECT_EQ(QueryEffectiveColor(docked), RGB(1, 2, 3));

  // A control inserted into a toolbar without a colour of its own takes the effective colour.
  free->SetColor(ui::clNone);
  auto* child = new ui::TCustomControl(form);
  child->SetParentColor(true);
  child->SetBounds(0, 0, 20, 20);
  child->SetParent(free);
  EXPECT_EQ(child->Color(), RGB(10, 20, 30));

  // The dock blends with its parent; without one with the button face.
  EXPECT_EQ(QueryEffectiveColor(dock), RGB(10, 20, 30));
  dock->SetColor(ui::clHighlight);
  EXPECT_EQ(QueryEffectiveColor(dock), ui::clHighlight);
  ui::TOwned<TSkinDock> lone = ui::MakeOwned<TSkinDock>(nullptr);
  EXPECT_EQ(QueryEffectiveColor(lone.get()), ui::clBtnFace);
  EXPECT_EQ(lone->DockKind(), 1);
  lone->SetPosition(bars::TBarDockPosition::dpRight);
  EXPECT_EQ(lone->DockKind(), 4);
}

TEST_F(SkinWindows, ThemedWindowsFollowThemeSwitchesUntilFreed) {
  SkinOfficeXPStart();
  TSkinToolbar* bar = Toolbar(dock);
  EXPECT_EQ(bar->EffectiveColor(), ActiveTheme()->GetViewBackColor(bar->ViewKind()));
  SelectTheme("OfficeXP");
  ASSERT_EQ(CurrentThemeName(), "OfficeXP");
  // The hub told the toolbar: it blends with the new theme's colour now.
  EXPECT_EQ(bar->EffectiveColor(), ActiveTheme()->GetViewBackColor(bar->ViewKind()));
  EXPECT_NE(ResolveColor(bar->EffectiveColor()), ResolveColor(ui::clBtnFace));
  // Freed windows leave the hub: the next switch must not reach them.
  ui::Free(bar);
  ui::Free(dock);
  dock = nullptr;
  SelectTheme("Default");
  EXPECT_EQ(CurrentThemeName(), "Default");
}

TEST_F(SkinWindows, AFloatingWindowSnapsToTheWorkAreaWithinTheDistance) {
  const RECT area{0, 0, 1280, 1024};
  WINDOWPOS p{nullptr, nullptr, 9, 300, 200, 50, 0};
  TSkinFloatingWindowParent::SnapToWorkArea(p, area, 10);
  EXPECT_EQ(p.x, 0);
  p.x = 10;
  TSkinFloatingWindowParent::SnapToWorkArea(p, area, 10);
  EXPECT_EQ(p.x, 10);
  p.x = 1280 - 200 - 9;
  p.y = 1024 - 50 + 5;
  TSkinFloatingWindowParent::SnapToWorkArea(p, area, 10);
  EXPECT_EQ(p.x, 1080);
  EXPECT_EQ(p.y, 974);
  // The left edge wins over the right when both are near.
  WINDOWPOS wide{nullptr, nullptr, 3, 300, 1275, 50, 0};
  TSkinFloatingWindowParent::SnapToWorkArea(wide, area, 10);
  EXPECT_EQ(wide.x, 0);

  // Dragging a floating toolbar: the parent hears of every move before it happens.
  TSkinToolbar* bar = Toolbar(dock);
  bar->SetSnapDistance(-5);
  EXPECT_EQ(bar->SnapDistance(), 0);
  bar->SetSnapDistance(10);
  bar->SetFloating(true);
  auto* parent = dynamic_cast<TSkinFloatingWindowParent*>(bar->FloatingParent());
  ASSERT_NE(parent, nullptr);
  EXPECT_EQ(parent->SnapDistance(), 10);
  const RECT work = bars::NearestMonitorRectForRect(parent->BoundsRect(), true);
  for (int gap : {9, 10}) {
    WINDOWPOS move{parent->Handle(), nullptr, work.left + gap, work.top + 200, parent->Width(), parent->Height(),
                   SWP_NOZORDER};
    parent->Perform(WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&move));
    EXPECT_EQ(move.x, gap == 9 ? work.left : work.left + gap);
  }
  // A change of size never snaps.
  WINDOWPOS sized{parent->Handle(), nullptr, work.left + 3, work.top + 200, parent->Width() + 5, parent->Height(),
                  SWP_NOZORDER};
  parent->Perform(WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&sized));
  EXPECT_EQ(sized.x, work.left + 3);
}

TEST_F(SkinWindows, TheChevronAndTheFloatingCloseButtonTellTheThemeTheirState) {
  TSkinToolbar* bar = Toolbar(dock);
  bars::TBarItemViewer* viewer = bar->View()->Find(bar->ChevronItem());
  auto* chevron = dynamic_cast<TSkinChevronItemViewer*>(viewer);
  ASSERT_NE(chevron, nullptr);
  // Nothing is hidden, so the chevron is disabled: selected it shows hot-but-disabled.
  ASSERT_FALSE(bar->ChevronItem()->Enabled());
  TItemDrawState state = chevron->ChevronState(false, true);
  EXPECT_EQ(state.ViewKind, bar->ViewKind());
  EXPECT_EQ(state.Options, static_cast<uint32_t>(idoToolbarStyle));
  EXPECT_EQ(state.Enabled, 0);
  EXPECT_EQ(state.Hover, 1);
  EXPECT_EQ(chevron->ChevronState(true, false).Hover, 0);
  EXPECT_EQ(chevron->ChevronState(true, false).Pushed, 1);
  bar->ChevronItem()->SetEnabled(true);
  EXPECT_EQ(chevron->ChevronState(false, true).Hover, 2);

  bar->SetFloating(true);
  auto* parent = dynamic_cast<TSkinFloatingWindowParent*>(bar->FloatingParent());
  ASSERT_NE(parent, nullptr);
  bar->SetText("Tools");
  TSkinFloatingFrameInfo info;
  parent->GetFrameInfo(info, 7);
  EXPECT_EQ(info.CloseButtonState, 1);
  EXPECT_EQ(info.ViewKind, bar->ViewKind());
  EXPECT_EQ(info.Caption, "Tools");
  EXPECT_EQ(info.RedrawParts, 7);
  EXPECT_EQ(info.BackgroundColor, bar->EffectiveColor());
  parent->Perform(WM_NCMOUSEMOVE, bars::HT_BAR_CLOSE, 0);
  EXPECT_TRUE(parent->CloseButtonHover());
  parent->GetFrameInfo(info, 4);
  EXPECT_EQ(info.CloseButtonState, 3);
  parent->Perform(ui::CM_MOUSELEAVE);
  EXPECT_FALSE(parent->CloseButtonHover());
  bar->SetCloseButton(false);
  parent->GetFrameInfo(info, 7);
  EXPECT_EQ(info.CloseButtonState, 0);
}

TEST_F(SkinWindows, AFloatingCloseButtonRepaintsItsWholeSquareAndACaptionRepaintLeavesIt) {
  SkinOfficeXPStart();
  SkinStripesStart();
  SkinAluminumStart();
  const int c = GetSystemMetrics(SM_CYSMCAPTION);
  // Inside the button's square in every theme: the caption's right end, below the border.
  const RECT square{117 - (c - 2), 3, 117, 3 + c - 3};
  auto same = [&](const TestPicture& a, const TestPicture& b) {
    for (int y = square.top; y < square.bottom; ++y)
      for (int x = square.left; x < square.right; ++x)
        if (a.Pixel(x, y) != b.Pixel(x, y)) return false;
    return true;
  };
  for (const char* name : {"OfficeXP", "Stripes", "Aluminum"}) {
    SCOPED_TRACE(name);
    TSkinTheme* theme = ObtainTheme(name);
    ASSERT_NE(theme, nullptr);
    TSkinFloatingFrameInfo info{};
    info.ViewKind = vkToolbar | vkFloating;
    info.BorderSize = {3, 3};
    info.ClientWidth = 114;
    info.ClientHeight = 40;
    info.CaptionShown = 1;
    info.Active = true;
    info.BackgroundColor = theme->GetViewBackColor(info.ViewKind);
    auto draw = [&](TestPicture& picture, int button, int parts, const char* caption) {
      info.CloseButtonState = button;
      info.RedrawParts = parts;
      info.Caption = caption;
      ui::TCanvas canvas;
      canvas.SetHandle(picture.Dc());
      canvas.Brush().SetColor(info.BackgroundColor);
      theme->DrawFloatingFrame(canvas, {0, 0, 120, 60}, info);
      canvas.SetHandle(nullptr);
      GdiFlush();
    };
    TestPicture idle(120, 60, RGB(1, 1, 1)), hot(120, 60, RGB(1, 1, 1)), seen(120, 60, RGB(1, 1, 1));
    draw(idle, 1, 7, "Tools");
    draw(hot, 3, 7, "Tools");
    ASSERT_FALSE(same(idle, hot));
    // The mouse leaves: the button alone is repainted, and its hot face goes.
    draw(seen, 3, 7, "Tools");
    draw(seen, 1, 4, "Tools");
    EXPECT_TRUE(same(seen, idle));
    // The caption changes while the button is hot: the caption stops short of the button.
    draw(seen, 3, 4, "Tools");
    draw(seen, 3, 2, "A much longer caption than the bar holds");
    EXPECT_TRUE(same(seen, hot));
    DropTheme(theme);
  }
}

TEST_F(SkinWindows, FrameDCsFollowTheUpdateRegion) {
  TSkinToolbar* bar = Toolbar(dock);
  HWND window = bar->Handle();
  {
    TNonClientDC whole(window, reinterpret_cast<HRGN>(1));
    EXPECT_NE(whole.Handle(), nullptr);
  }
  RECT wr;
  GetWindowRect(window, &wr);
  HRGN region = CreateRectRgn(wr.left, wr.top, wr.left + 5, wr.bottom);
  {
    TNonClientDC part(window, region);
    EXPECT_NE(part.Handle(), nullptr);
  }
  // The message's region is still the sender's to use and free.
  RECT box;
  EXPECT_EQ(GetRgnBox(region, &box), SIMPLEREGION);
  EXPECT_EQ(box.right, wr.left + 5);
  // The frame paints on either kind of WParam without raising.
  EXPECT_NO_THROW(SendMessageW(window, WM_NCPAINT, 1, 0));
  EXPECT_NO_THROW(SendMessageW(window, WM_NCPAINT, reinterpret_cast<WPARAM>(region), 0));
  DeleteObject(region);
  TNonClientDC none(nullptr, nullptr);
  EXPECT_EQ(none.Handle(), nullptr);
}

}  // namespace
}  // namespace movra::skin
