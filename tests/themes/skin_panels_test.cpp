// Dockable panels and the multi-dock: the sharing of the dock's length as numbers, the hit codes
// of both stack directions, the arrangement of real panels, and their frames drawn through the
// Default and the flat theme into memory pictures.
#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "runtime/ui/extctrls.h"
#include "tests/runtime/ui/ui_test_support.h"
#include "tests/support/support.h"
#include "tests/themes/skin_panels_test_support.h"
#include "tests/themes/skin_test_support.h"
#include "themes/skin_default.h"
#include "themes/skin_officexp.h"
#include "themes/skin_windows.h"

namespace movra::skin {
namespace {

using bars::HT_BAR_CLOSE;
using bars::HT_BAR_DRAGHANDLE;
using bars::TBarDockPosition;
using movra::testing::TestPicture;
using test::ScreenRect;
using test::TPanelForm;
using ui::test::Pump;

std::vector<int> Shared(std::vector<TPanelSpan> spans, int length) {
  ShareLength(spans, length);
  std::vector<int> sizes;
  for (const TPanelSpan& s : spans) sizes.push_back(s.Size);
  return sizes;
}

TEST(PanelSharing, ExtraRoomGoesOutInEqualSharesRoundedToEvenAlongTheRunningTotal) {
  // Minimums small, no maximums (a maximum below the minimum stands for the length).
  EXPECT_EQ(Shared({{100, 10, 0}, {200, 10, 0}}, 314), (std::vector<int>{107, 207}));
  EXPECT_EQ(Shared({{100, 10, 0}, {200, 10, 0}}, 315), (std::vector<int>{108, 207}));
  EXPECT_EQ(Shared({{100, 10, 0}, {200, 10, 0}}, 305), (std::vector<int>{102, 203}));
  EXPECT_EQ(Shared({{50, 10, 0}, {50, 10, 0}, {50, 10, 0}}, 160), (std::vector<int>{53, 54, 53}));
  // Shrinking takes in the same shares.
  EXPECT_EQ(Shared({{100, 10, 0}, {200, 10, 0}}, 286), (std::vector<int>{93, 193}));
  // Sizes that already fit stay.
  EXPECT_EQ(Shared({{240, 40, 0}, {187, 40, 0}}, 427), (std::vector<int>{240, 187}));
}

TEST(PanelSharing, LimitsHoldAndWhatAPanelCannotTakeGoesToTheOthers) {
  // A panel at its maximum takes none of the room.
  EXPECT_EQ(Shared({{100, 10, 100}, {100, 10, 0}}, 250), (std::vector<int>{100, 150}));
  // One that reaches its maximum in the first pass hands the rest on.
  EXPECT_EQ(Shared({{100, 10, 103}, {100, 10, 0}}, 220), (std::vector<int>{103, 117}));
  // Shrinking stops at the minimum.
  EXPECT_EQ(Shared({{100, 95, 0}, {100, 10, 0}}, 150), (std::vector<int>{95, 55}));
  // Below the sum of minimums every panel gets its minimum; above the maximums, its maximum.
  EXPECT_EQ(Shared({{100, 80, 0}, {100, 90, 0}}, 120), (std::vector<int>{80, 90}));
  EXPECT_EQ(Shared({{50, 10, 60}, {50, 10, 70}}, 500), (std::vector<int>{60, 70}));
  // Sizes outside their limits are brought inside first.
  EXPECT_EQ(Shared({{5, 20, 0}, {400, 20, 300}}, 320), (std::vector<int>{20, 300}));
}

std::vector<int> Moved(std::vector<TPanelSpan> spans, size_t splitter, int delta, int* moved = nullptr) {
  const int m = MoveSplitter(spans, splitter, delta);
  if (moved) *moved = m;
  std::vector<int> sizes;
  for (const TPanelSpan& s : spans) sizes.push_back(s.Size);
  return sizes;
}

TEST(PanelSplitter, TheNearestPanelsTakeAndGiveFirstAndWhatCannotBePlacedStays) {
  int moved = 0;
  EXPECT_EQ(Moved({{240, 40, 400}, {187, 40, 400}}, 0, 30, &moved), (std::vector<int>{270, 157}));
  EXPECT_EQ(moved, 30);
  // The panel after the splitter stops at its minimum: the move stops with it.
  EXPECT_EQ(Moved({{240, 40, 400}, {187, 40, 400}}, 0, 200, &moved), (std::vector<int>{387, 40}));
  EXPECT_EQ(moved, 147);
  // Three panels: the second splitter pushed up; the middle panel gives down to its minimum,
  // then the first one gives the rest.
  EXPECT_EQ(Moved({{100, 20, 300}, {50, 30, 300}, {100, 20, 300}}, 1, -40, &moved),
            (std::vector<int>{80, 30, 140}));
  EXPECT_EQ(moved, -40);
  // Growing: the first splitter moved down takes from the second panel, then the third.
  EXPECT_EQ(Moved({{100, 20, 300}, {50, 30, 300}, {100, 20, 300}}, 0, 60), (std::vector<int>{160, 30, 60}));
  // The panel before the splitter is at its maximum and has nobody before it: nothing moves.
  EXPECT_EQ(Moved({{100, 20, 100}, {100, 20, 300}}, 0, 10, &moved), (std::vector<int>{100, 100}));
  EXPECT_EQ(moved, 0);
}

TPanelHitInfo HitInfo(TBarDockPosition position, bool before, bool after) {
  TPanelHitInfo info;
  info.Size = {132, 240};
  info.DockPosition = position;
  info.MultiDock = true;
  info.NeighbourBefore = before;
  info.NeighbourAfter = after;
  info.CaptionShown = true;
  info.CloseButton = {113, 2, 128, 17};
  return info;
}

TEST(PanelHitTest, SplittersFollowTheStackDirectionAndTheSizingEdgeFacesIntoTheDock) {
  for (auto position : {TBarDockPosition::dpLeft, TBarDockPosition::dpRight}) {
    // A vertical stack: the splitters lie across, at the top and bottom edges only.
    const TPanelHitInfo info = HitInfo(position, true, true);
    EXPECT_EQ(PanelHitTest(info, {60, 239}), HT_SPLIT_BOTTOM);
    EXPECT_EQ(PanelHitTest(info, {60, 0}), HT_SPLIT_TOP);
    EXPECT_EQ(PanelHitTest(info, {131, 100}), 0);
    EXPECT_EQ(PanelHitTest(info, {0, 100}), 0);
  }
  for (auto position : {TBarDockPosition::dpTop, TBarDockPosition::dpBottom}) {
    const TPanelHitInfo info = HitInfo(position, true, true);
    EXPECT_EQ(PanelHitTest(info, {131, 100}), HT_SPLIT_RIGHT);
    EXPECT_EQ(PanelHitTest(info, {1, 100}), HT_SPLIT_LEFT);
    EXPECT_EQ(PanelHitTest(info, {60, 239}), 0);
    EXPECT_EQ(PanelHitTest(info, {60, 0}), 0);
  }
  // No neighbour on a side, no splitter there.
  EXPECT_EQ(PanelHitTest(HitInfo(TBarDockPosition::dpLeft, false, true), {60, 0}), 0);
  EXPECT_EQ(PanelHitTest(HitInfo(TBarDockPosition::dpLeft, true, false), {60, 239}), 0);
  // A resizable panel's inner edge sizes it, before any splitter.
  const std::pair<TBarDockPosition, std::pair<POINT, int>> edges[] = {
      {TBarDockPosition::dpTop, {{60, 238}, HTBOTTOM}},
      {TBarDockPosition::dpBottom, {{60, 1}, HTTOP}},
      {TBarDockPosition::dpLeft, {{130, 100}, HTRIGHT}},
      {TBarDockPosition::dpRight, {{1, 100}, HTLEFT}},
  };
  for (const auto& [position, expected] : edges) {
    TPanelHitInfo info = HitInfo(position, true, true);
    info.Resizable = true;
    EXPECT_EQ(PanelHitTest(info, expected.first), expected.second);
  }
  // Inside the border: the close button's own square, and the caption and handle elsewhere;
  // without the caption, nothing.
  TPanelHitInfo info = HitInfo(TBarDockPosition::dpLeft, false, false);
  EXPECT_EQ(PanelHitTest(info, {113, 2}), HT_BAR_CLOSE);
  EXPECT_EQ(PanelHitTest(info, {127, 16}), HT_BAR_CLOSE);
  EXPECT_EQ(PanelHitTest(info, {112, 10}), HT_BAR_DRAGHANDLE);
  EXPECT_EQ(PanelHitTest(info, {120, 17}), HT_BAR_DRAGHANDLE);
  EXPECT_EQ(PanelHitTest(info, {60, 100}), HT_BAR_DRAGHANDLE);
  info.CaptionShown = false;
  EXPECT_EQ(PanelHitTest(info, {60, 100}), 0);
}

// --- Real panels ---

LRESULT HitAt(TSkinDockablePanel* panel, POINT windowPoint) {
  const RECT r = ScreenRect(panel->Handle());
  return SendMessageW(panel->Handle(), WM_NCHITTEST, 0, MAKELPARAM(r.left + windowPoint.x, r.top + windowPoint.y));
}

TEST(MultiDock, TheMainWindowsTwoPanelsShareALeftDockByTheirSplitHeights) {
  TPanelForm f;
  f.Show();
  Pump();
  const int c = GetSystemMetrics(SM_CYSMCAPTION);
  ASSERT_EQ(f.Dock->Height(), 427);
  EXPECT_EQ(f.Profiles->BoundsRect(), (RECT{0, 0, 132, 240}));
  EXPECT_EQ(f.Log->BoundsRect(), (RECT{0, 240, 132, 427}));
  EXPECT_EQ(f.Dock->Width(), 132);
  EXPECT_EQ(f.Dock->RememberedBreadth(), 132);
  EXPECT_EQ(f.Profiles->DockPos(), -1);  // nothing committed: the positions are effective only
  EXPECT_EQ(f.Log->EffectivePos(), 240);
  // The frame: 2 pixels around and the caption across the top.
  RECT client;
  GetClientRect(f.Log->Handle(), &client);
  EXPECT_EQ(client, (RECT{0, 0, 128, 187 - 4 - c}));
  EXPECT_FALSE(f.Log->IsVertCaption());
  EXPECT_EQ(f.Log->CloseButtonState(), 1);
  EXPECT_EQ(QueryViewKind(static_cast<ui::TControl*>(f.Log)), vkDockablePanel | vkResizable);
  EXPECT_EQ(QueryViewKind(static_cast<TSkinListener*>(f.Log)), vkDockablePanel | vkResizable);

  // Hiding one gives the other the whole length; shown again, the split comes back.
  f.Log->SetVisible(false);
  EXPECT_EQ(f.Profiles->BoundsRect(), (RECT{0, 0, 132, 427}));
  f.Log->SetVisible(true);
  EXPECT_EQ(f.Profiles->Height(), 240);
  EXPECT_EQ(f.Log->BoundsRect(), (RECT{0, 240, 132, 427}));

  // 14 pixels short of the length: each grows by 7.
  f.Log->SetSplitHeight(173);
  EXPECT_EQ(f.Profiles->Height(), 247);
  EXPECT_EQ(f.Log->BoundsRect(), (RECT{0, 247, 132, 427}));
  // Minimums above the length: each panel its minimum, the second one reaching past the dock.
  f.Profiles->SetMinClientHeight(300);
  f.Log->SetMinClientHeight(300);
  EXPECT_EQ(f.Profiles->Height(), 300 + 4 + c);
  EXPECT_EQ(f.Log->Top(), 300 + 4 + c);
  EXPECT_EQ(f.Log->Height(), 300 + 4 + c);

  // The breadth follows the docked width of every visible panel.
  f.Dock->ResizeVisiblePanels(150);
  EXPECT_EQ(f.Profiles->DockedWidth(), 150);
  EXPECT_EQ(f.Log->DockedWidth(), 150);
  EXPECT_EQ(f.Dock->Width(), 154);
  EXPECT_EQ(f.Log->Width(), 154);
}

TEST(MultiDock, HitCodesOfRealPanelsInAVerticalStack) {
  TPanelForm f;
  f.Show();
  Pump();
  f.Profiles->SetResizable(false);
  f.Log->SetResizable(false);
  const int c = GetSystemMetrics(SM_CYSMCAPTION);
  EXPECT_EQ(HitAt(f.Profiles, {60, 239}), HT_SPLIT_BOTTOM);
  EXPECT_EQ(HitAt(f.Log, {60, 0}), HT_SPLIT_TOP);
  EXPECT_EQ(HitAt(f.Profiles, {131, 100}), 0);  // no horizontal splitter in a vertical stack
  EXPECT_EQ(HitAt(f.Log, {0, 100}), 0);
  EXPECT_EQ(HitAt(f.Profiles, {60, 1}), 0);  // the first panel has nobody above it
  EXPECT_EQ(HitAt(f.Log, {60, 100}), HTCLIENT);
  EXPECT_EQ(HitAt(f.Log, {20, 6}), HT_BAR_DRAGHANDLE);
  // The close button's zone: a corner square of the caption's height and 4 more, on the
  // caption inside the border; left of it the caption and handle.
  RECT button;
  f.Log->CloseButtonRect(false, button);
  EXPECT_EQ(button, (RECT{128 - c + 3, 2, 128 + 2, c + 1}));
  EXPECT_EQ(HitAt(f.Log, {132 - c - 4, 2}), HT_BAR_CLOSE);
  EXPECT_EQ(HitAt(f.Log, {129, c + 1}), HT_BAR_CLOSE);
  EXPECT_EQ(HitAt(f.Log, {132 - c - 5, 4}), HT_BAR_DRAGHANDLE);
  // Resizable again: the right edge sizes the panels' breadth.
  f.Profiles->SetResizable(true);
  EXPECT_EQ(HitAt(f.Profiles, {131, 100}), HTRIGHT);
  // Without a close button the whole caption is the handle.
  f.Log->SetCloseButtonWhenDocked(false);
  EXPECT_EQ(HitAt(f.Log, {button.left + 2, button.top + 2}), HT_BAR_DRAGHANDLE);
}

TEST(MultiDock, ATopDockStacksAcrossWithCaptionsDownTheLeftAndItsOwnSplitterCodes) {
  TPanelForm f(TBarDockPosition::dpTop, 427, 300);
  f.Show();
  Pump();
  const int c = GetSystemMetrics(SM_CYSMCAPTION);
  f.Profiles->SetResizable(false);
  f.Log->SetResizable(false);
  ASSERT_EQ(f.Dock->Width(), 427);
  EXPECT_EQ(f.Profiles->BoundsRect(), (RECT{0, 0, 240, 132}));
  EXPECT_EQ(f.Log->BoundsRect(), (RECT{240, 0, 427, 132}));
  EXPECT_EQ(f.Dock->Height(), 132);
  EXPECT_TRUE(f.Log->IsVertCaption());
  SIZE nc;
  f.Log->NonClientSizes(nc);
  EXPECT_EQ(nc.cx, 4 + c);
  EXPECT_EQ(nc.cy, 4);
  EXPECT_EQ(HitAt(f.Profiles, {239, 60}), HT_SPLIT_RIGHT);
  EXPECT_EQ(HitAt(f.Log, {0, 60}), HT_SPLIT_LEFT);
  EXPECT_EQ(HitAt(f.Profiles, {100, 131}), 0);  // no vertical splitter in a horizontal stack
  EXPECT_EQ(HitAt(f.Log, {100, 0}), 0);
  // The vertical close button's zone is the button itself, as large as the one drawn.
  RECT button;
  f.Log->CloseButtonRect(true, button);
  EXPECT_EQ(button, (RECT{2, 128 - c + 3, c + 1, 128 + 2}));
  EXPECT_EQ(HitAt(f.Log, {button.left, button.top}), HT_BAR_CLOSE);
  EXPECT_EQ(HitAt(f.Log, {button.right - 1, button.bottom - 1}), HT_BAR_CLOSE);
  EXPECT_EQ(HitAt(f.Log, {button.right - 1, button.top}), HT_BAR_CLOSE);
  EXPECT_EQ(HitAt(f.Log, {button.left + 3, button.top - 1}), HT_BAR_DRAGHANDLE);
  // Always horizontal: the caption turns back across the top.
  f.Log->SetCaptionRotation(TDPCaptionRotation::dpcrAlwaysHorz);
  f.Log->NonClientSizes(nc);
  EXPECT_EQ(nc.cx, 4);
  EXPECT_EQ(nc.cy, 4 + c);
  EXPECT_EQ(f.Log->Height(), 132 + c);  // the docked height is the client's
}

TEST(MultiDock, OnlyPanelsGoInAndThePanelsPropertiesKeepTheirRules) {
  TPanelForm f;
  auto* plain = new ui::TPanel(f.Form);
  try {
    plain->SetParent(f.Dock);
    ADD_FAILURE() << "a plain control went into the multi-dock";
  } catch (const ui::EInvalidOperation& e) {
    EXPECT_STREQ(e.what(), "Cannot insert TPanel into TSkinMultiDock");
  }
  EXPECT_EQ(f.Dock->ControlCount(), 2);
  EXPECT_FALSE(f.Dock->DragAllowed(nullptr));
  EXPECT_TRUE(f.Dock->DragAllowed(f.Log));

  f.Log->SetMinClientWidth(3);
  EXPECT_EQ(f.Log->MinClientWidth(), 8);
  f.Log->SetSplitHeight(-5);
  EXPECT_EQ(f.Log->SplitHeight(), 0);
  f.Log->SetSnapDistance(-1);
  EXPECT_EQ(f.Log->SnapDistance(), 0);
  f.Log->SetDockedWidth(4);
  EXPECT_EQ(f.Log->DockedWidth(), 8);
  // A panel that takes only standard docks refuses the multi-dock.
  f.Log->SetSupportedDocks(dkStandardDock);
  EXPECT_FALSE(f.Log->AcceptsDock(f.Dock));
  f.Log->SetSupportedDocks(dkMultiDock);
  EXPECT_TRUE(f.Log->AcceptsDock(f.Dock));

  // The position data, under the panel's name, in order, each with its current value.
  std::vector<std::string> written;
  std::map<std::string, int> store;
  bars::TBarPositionDataIO io;
  io.WriteInteger = [&](const std::string& name, const std::string& value, int data) {
    written.push_back(name + "." + value);
    store[value] = data;
  };
  f.Profiles->SetDockedWidth(140);
  f.Profiles->WritePositionData(io);
  EXPECT_EQ(written, (std::vector<std::string>{"pnlProfiles.DPDockedWidth", "pnlProfiles.DPDockedHeight",
                                               "pnlProfiles.DPFloatingWidth", "pnlProfiles.DPFloatingHeight",
                                               "pnlProfiles.DPSplitWidth", "pnlProfiles.DPSplitHeight"}));
  EXPECT_EQ(store["DPDockedWidth"], 140);
  EXPECT_EQ(store["DPSplitHeight"], 240);
  store["DPSplitHeight"] = 300;
  std::vector<int> defaults;
  io.ReadInteger = [&](const std::string&, const std::string& value, int defaultValue) {
    defaults.push_back(defaultValue);
    return store[value];
  };
  f.Log->ReadPositionData(io);
  EXPECT_EQ(defaults, (std::vector<int>{8, 128, 0, 0, 0, 0}));  // the docked width went to its least
  EXPECT_EQ(f.Log->DockedWidth(), 140);
  EXPECT_EQ(f.Log->SplitHeight(), 300);
}

// --- Frames through the themes ---

struct PanelPictures : ::testing::Test {
  test::ClassicColors classic;
  void SetUp() override {
    SkinThemesStart();
    RegisterDefaultTheme();
    SkinOfficeXPStart();
    SkinNexusStart();
  }
  void TearDown() override {
    SkinNexusEnd();
    SkinThemesEnd();
  }
  // Shows the two panels in a dock at `position`, draws the dock and its panels as WM_PRINT
  // does, saves the picture as "skin_panels_<theme>_<left|top>" and hands it to `check`.
  static void Picture(const char* theme, TBarDockPosition position,
                      const std::function<void(TPanelForm&, const TestPicture&)>& check) {
    TPanelForm f(position, 427, 427);
    f.Show();
    Pump();
    TestPicture picture(f.Dock->Width(), f.Dock->Height(), RGB(255, 0, 255));
    SendMessageW(f.Dock->Handle(), WM_PRINT, reinterpret_cast<WPARAM>(picture.Dc()),
                 PRF_NONCLIENT | PRF_CLIENT | PRF_CHILDREN | PRF_ERASEBKGND);
    GdiFlush();
    picture.Save(std::string("skin_panels_") + theme + (position == TBarDockPosition::dpLeft ? "_left" : "_top"));
    check(f, picture);
  }
  // The close cross is drawn in black: every black pixel at the caption's far end lies in the
  // button's hit zone, and the hit test there answers the close button.
  static void CheckCloseCross(TSkinDockablePanel* panel, const TestPicture& picture) {
    RECT button;
    panel->CloseButtonRect(panel->IsVertCaption(), button);
    const int c = GetSystemMetrics(SM_CYSMCAPTION);
    const RECT bounds = panel->BoundsRect();
    const RECT screen = ScreenRect(panel->Handle());
    RECT end = panel->IsVertCaption() ? RECT{0, button.top - 3, c + 3, bounds.bottom - bounds.top}
                                      : RECT{button.left - 3, 0, bounds.right - bounds.left, c + 3};
    int black = 0;
    for (int y = end.top; y < end.bottom; ++y)
      for (int x = end.left; x < end.right; ++x) {
        if (picture.Pixel(bounds.left + x, bounds.top + y) != RGB(0, 0, 0)) continue;
        ++black;
        POINT p{x, y};
        EXPECT_TRUE(PtInRect(&button, p)) << "cross pixel outside the zone at " << x << "," << y;
        EXPECT_EQ(panel->DockedHitTest({screen.left + x, screen.top + y}), HT_BAR_CLOSE);
      }
    EXPECT_GT(black, 6);
  }
};

TEST_F(PanelPictures, DefaultThemeFramesTheClientInWindowColourAndDrawsTheCloseButtonInItsZone) {
  SelectTheme("Default");
  for (auto position : {TBarDockPosition::dpLeft, TBarDockPosition::dpTop}) {
    Picture("default", position, [](TPanelForm& f, const TestPicture& picture) {
      for (TSkinDockablePanel* panel : {f.Profiles, f.Log}) {
        const RECT b = panel->BoundsRect();
        const int w = b.right - b.left, h = b.bottom - b.top;
        // The ring around the client, one pixel in, in clWindow; the outer ring is one colour.
        EXPECT_EQ(picture.Pixel(b.left + 1, b.top + h - 3), RGB(255, 255, 255));
        EXPECT_EQ(picture.Pixel(b.left + w - 2, b.top + h - 3), RGB(255, 255, 255));
        EXPECT_EQ(picture.Pixel(b.left, b.top + h - 3), picture.Pixel(b.left + w - 1, b.top + h - 3));
        EXPECT_EQ(picture.Pixel(b.left + 5, b.top + h - 1), picture.Pixel(b.left, b.top + h - 3));
        // The client area in the panel's colour.
        EXPECT_EQ(picture.Pixel(b.left + w / 2, b.top + h - 20), ResolveColor(panel->EffectiveColor()));
        CheckCloseCross(panel, picture);
      }
    });
  }
}

TEST_F(PanelPictures, FlatThemeDrawsTheFaceRingThePanelRingAndTheClosedCaptionStrip) {
  SelectTheme("OfficeXP");
  const int c = GetSystemMetrics(SM_CYSMCAPTION);
  const COLORREF face = RGB(192, 192, 192);
  for (auto position : {TBarDockPosition::dpLeft, TBarDockPosition::dpTop}) {
    Picture("officexp", position, [&](TPanelForm& f, const TestPicture& picture) {
      for (TSkinDockablePanel* panel : {f.Profiles, f.Log}) {
        const COLORREF own = ResolveColor(panel->EffectiveColor());
        EXPECT_EQ(panel->EffectiveColor(), ActiveTheme()->GetViewBackColor(vkDockablePanel | vkResizable));
        const RECT b = panel->BoundsRect();
        const int w = b.right - b.left, h = b.bottom - b.top;
        const bool rotated = panel->IsVertCaption();
        EXPECT_EQ(rotated, f.Dock->Position() == TBarDockPosition::dpTop);
        // Outer ring in the button face, the next one in the panel's colour.
        EXPECT_EQ(picture.Pixel(b.left, b.top + h - 10), face);
        EXPECT_EQ(picture.Pixel(b.left + w - 1, b.top + h - 10), face);
        EXPECT_EQ(picture.Pixel(b.left + 1, b.top + h - 10), own);
        EXPECT_EQ(picture.Pixel(b.left + w - 2, b.top + h - 10), own);
        // The corners at the caption's end are the face's.
        EXPECT_EQ(picture.Pixel(b.left + 1, b.top + 1), face);
        EXPECT_EQ(picture.Pixel(rotated ? b.left + 1 : b.left + w - 2, rotated ? b.top + h - 2 : b.top + 1), face);
        // The strip in the face, closed by a line in the panel's colour.
        if (rotated) {
          EXPECT_EQ(picture.Pixel(b.left + 4, b.top + 3), face);
          EXPECT_EQ(picture.Pixel(b.left + 2 + c - 1, b.top + 20), own);
        } else {
          EXPECT_EQ(picture.Pixel(b.left + 3, b.top + 4), face);
          EXPECT_EQ(picture.Pixel(b.left + 20, b.top + 2 + c - 1), own);
        }
        CheckCloseCross(panel, picture);
      }
    });
  }
}


TEST_F(PanelPictures, AFloatedPanelTakesItsDockedSizeInAThemedToolWindowAndTheThemeSwitchRecoloursIt) {
  SelectTheme("Default");
  TPanelForm f;
  f.Log->SetHideWhenInactive(false);
  f.Log->SetSnapDistance(12);
  f.Log->SetFloatingPosition({700, 200});
  f.Show();
  Pump();
  auto* child = new ui::TPanel(f.Form);
  child->SetParentColor(true);
  child->SetParent(f.Log);
  EXPECT_EQ(child->Color(), f.Log->EffectiveColor());
  const int c = GetSystemMetrics(SM_CYSMCAPTION);

  f.Log->SetFloating(true);
  Pump();
  ASSERT_TRUE(f.Log->Floating());
  auto* parent = dynamic_cast<TSkinFloatingWindowParent*>(f.Log->FloatingParent());
  ASSERT_NE(parent, nullptr);
  EXPECT_EQ(parent->SnapDistance(), 12);
  // The floating size comes from the docked client: 128 wide, the log's 187 less its frame.
  EXPECT_EQ(f.Log->FloatingWidth(), 128);
  EXPECT_EQ(f.Log->FloatingHeight(), 187 - 4 - c);
  EXPECT_EQ(f.Log->Width(), 128);
  EXPECT_EQ(f.Log->Height(), 187 - 4 - c);
  SIZE nc;
  f.Log->NonClientSizes(nc);
  EXPECT_EQ(nc.cx, 0);
  EXPECT_EQ(nc.cy, 0);
  EXPECT_EQ(QueryViewKind(static_cast<ui::TControl*>(f.Log)), vkDockablePanel | vkFloating | vkResizable);
  EXPECT_EQ(f.Log->CloseButtonState(), 0);  // the floating frame has its own button
  // The profiles have the dock to themselves meanwhile.
  EXPECT_EQ(f.Profiles->Height(), 427);
  SIZE border;
  f.Log->FloatingBorderSize(border);
  SIZE expected;
  ActiveTheme()->GetViewBorderSize(vkDockablePanel | vkFloating | vkResizable, expected);
  EXPECT_EQ(border.cx, expected.cx);
  EXPECT_EQ(border.cy, expected.cy);

  // Docked again, the split is as it was.
  f.Log->SetParent(f.Dock);
  Pump();
  EXPECT_EQ(f.Profiles->Height(), 240);
  EXPECT_EQ(f.Log->Height(), 187);

  // Another theme: the panel takes its colour and hands it to the child.
  SelectTheme("OfficeXP");
  const TColor flat = ActiveTheme()->GetViewBackColor(vkDockablePanel | vkResizable);
  EXPECT_EQ(f.Log->EffectiveColor(), flat);
  EXPECT_EQ(child->Color(), flat);
  // What a toolbar or a floating frame on the panel blends with.
  EXPECT_EQ(QueryEffectiveColor(f.Log), flat);
  EXPECT_EQ(f.Log->Color(), ui::clNone);
  // A colour of its own stands whatever the theme, and clNone gives the theme's back.
  const TColor own = static_cast<TColor>(RGB(10, 20, 30));
  f.Log->SetColor(own);
  SelectTheme("Default");
  EXPECT_EQ(f.Log->Color(), own);
  EXPECT_EQ(f.Log->EffectiveColor(), own);
  EXPECT_EQ(QueryEffectiveColor(f.Log), own);
  EXPECT_EQ(child->Color(), own);
  f.Log->SetColor(ui::clNone);
  EXPECT_EQ(child->Color(), ActiveTheme()->GetViewBackColor(vkDockablePanel | vkResizable));
}

}  // namespace
}  // namespace movra::skin
