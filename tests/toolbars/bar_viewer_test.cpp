// Item viewers: what they answer about their item, how mouse input turns into clicks and
// popups, their sizes, and what they paint (into memory pictures, checked at points the
// drawing rules fix).
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "runtime/ui/forms.h"
#include "runtime/ui/graphics.h"
#include "tests/support/support.h"
#include "tests/toolbars/bar_item_fake_view.h"
#include "toolbars/bar_common.h"
#include "toolbars/bar_item.h"
#include "toolbars/bar_viewer.h"

namespace movra::bars {
namespace {

using movra::testing::TestPicture;

class StyledItem : public TBarCustomItem {
 public:
  StyledItem(ui::TComponent* owner, TBarItemStyle style) : TBarCustomItem(owner) { SetItemStyle(style); }
};

COLORREF Sys(int index) { return GetSysColor(index); }

struct Viewers : ::testing::Test {
  ui::TOwned<ui::TComponent> owner = ui::MakeOwned<ui::TComponent>(nullptr);
  test::FakeView view;
  TBarRootItem* root = new TBarRootItem(owner.get());

  Viewers() { view.parentItem = root; }
  template <class T = TBarItem>
  T* NewItem(const std::string& caption = {}) {
    auto* item = new T(owner.get());
    item->SetCaption(caption);
    root->Add(item);
    return item;
  }
  StyledItem* NewStyled(TBarItemStyle style, const std::string& caption = {}) {
    auto* item = new StyledItem(owner.get(), style);
    item->SetCaption(caption);
    root->Add(item);
    return item;
  }
  TBarItemViewer* ViewerOf(TBarCustomItem* item, RECT bounds = {0, 0, 60, 22}) { return view.AddViewer(item, bounds); }
};

TEST_F(Viewers, CaptionsHintsAndStylesFollowTheItemAndTheView) {
  TBarItem* item = NewItem("&Open...\tCtrl+O");
  TBarItemViewer* v = ViewerOf(item);
  EXPECT_EQ(v->GetCaptionText(), "&Open...");
  EXPECT_EQ(v->HintText(), "Open");  // auto hint: label suffix and markers gone
  item->SetHint("Opens a file|Opens a file from the disk");
  EXPECT_EQ(v->HintText(), "Opens a file");
  // The shortcut joins the hint while the application shows shortcuts in hints.
  item->SetShortCut(ui::ShortCut('O', ui::ssCtrl));
  EXPECT_EQ(v->HintText(), "Opens a file (" + ui::ShortCutToText(item->ShortCut()) + ")");
  ui::Application().HintShortCuts = false;
  EXPECT_EQ(v->HintText(), "Opens a file");
  ui::Application().HintShortCuts = true;
  item->SetShortCut(0);
  item->SetHint("");
  root->SetOptions(BarOption(tboNoAutoHint));
  EXPECT_EQ(v->HintText(), "");
  root->SetOptions(0);

  // A submenu item that shows its caption needs no auto hint; a split button does.
  StyledItem* sub = NewStyled(isSubmenu | isSelectable, "Recent:");
  StyledItem* split = NewStyled(isSubmenu | isSplitButton | isSelectable, "Undo");
  EXPECT_EQ(ViewerOf(sub)->HintText(), "");
  EXPECT_EQ(ViewerOf(split)->HintText(), "Undo");
  sub->SetImageIndex(0);  // a toolbar shows its image instead of the caption
  EXPECT_EQ(ViewerOf(sub)->HintText(), "Recent");

  // Toolbar style and size: by the view, or by the item's options.
  view.toolbar = false;
  EXPECT_FALSE(v->UsesToolbarStyle());
  EXPECT_FALSE(v->UsesToolbarSize());
  item->SetOptions(BarOption(tboToolbarStyle) | BarOption(tboToolbarSize));
  EXPECT_TRUE(v->UsesToolbarStyle());
  EXPECT_TRUE(v->UsesToolbarSize());
  EXPECT_FALSE(v->UsesSameWidth());
  item->SetOptions(item->Options() | BarOption(tboImageAboveCaption) | BarOption(tboSameWidth));
  EXPECT_TRUE(v->UsesSameWidth());
  view.toolbar = true;

  // Rotation in vertical views, unless the options keep the text level.
  item->SetOptions(0);
  view.vertical = true;
  EXPECT_TRUE(v->IsRotated());
  item->SetOptions(BarOption(tboNoRotation));
  EXPECT_FALSE(v->IsRotated());
  view.vertical = false;
  v->Show = false;
  EXPECT_FALSE(v->IsShown());
  v->OffEdge = true;
  EXPECT_TRUE(v->IsShown());
}

TEST_F(Viewers, CaptionsAndImagesAreShownByDisplayMode) {
  TBarItem* item = NewItem("Save");
  TBarItemViewer* v = ViewerOf(item);
  EXPECT_TRUE(v->CaptionShown());
  EXPECT_FALSE(v->ImageShown());
  item->SetImageIndex(1);
  EXPECT_TRUE(v->ImageShown());
  EXPECT_FALSE(v->CaptionShown());  // toolbar size with an image: the image alone
  item->SetDisplayMode(bdmImageAndText);
  EXPECT_TRUE(v->CaptionShown());
  EXPECT_TRUE(v->ImageShown());
  item->SetDisplayMode(bdmTextOnly);
  EXPECT_TRUE(v->CaptionShown());
  EXPECT_FALSE(v->ImageShown());
  item->SetDisplayMode(bdmTextOnlyInMenus);
  EXPECT_TRUE(v->ImageShown());  // toolbar style
  view.toolbar = false;
  EXPECT_FALSE(v->ImageShown());
  EXPECT_TRUE(v->CaptionShown());  // menus always show captions
  view.toolbar = true;
  item->SetCaption("");
  item->SetOptions(BarOption(tboImageAboveCaption));
  EXPECT_TRUE(v->CaptionShown());  // an empty caption counts as shown above an image
}

TEST_F(Viewers, ImagesComeFromTheItemOrTheSubmenuImagesOfTheViewChain) {
  auto* own = new ui::TImageList(owner.get());
  auto* linked = new ui::TImageList(owner.get());
  auto* parentImages = new ui::TImageList(owner.get());
  TBarItem* item = NewItem("x");
  TBarItemViewer* v = ViewerOf(item);
  EXPECT_EQ(v->EffectiveImages(), nullptr);
  TBarRootItem outer(nullptr);
  test::FakeView parent;
  parent.parentItem = &outer;
  view.parentView = &parent;
  outer.SetSubMenuImages(parentImages);
  EXPECT_EQ(v->EffectiveImages(), parentImages);
  TBarItem target(nullptr);
  view.curParentItem = &target;
  target.SetSubMenuImages(linked);
  EXPECT_EQ(v->EffectiveImages(), linked);
  item->SetImages(own);
  EXPECT_EQ(v->EffectiveImages(), own);
  view.parentView = nullptr;
}

TEST_F(Viewers, TheButtonPartLeavesOutASplitButtonsArrow) {
  StyledItem* split = NewStyled(isSubmenu | isSplitButton | isSelectable, "Undo");
  StyledItem* sub = NewStyled(isSubmenu | isSelectable, "Menu");
  TBarItem* plain = NewItem("Plain");
  TBarItemViewer* s = ViewerOf(split, {10, 0, 60, 22});
  EXPECT_TRUE(s->HitsButtonPart(38, 5));
  EXPECT_FALSE(s->HitsButtonPart(39, 5));  // 50 wide, arrow 11
  view.toolbar = false;
  int check = GetSystemMetrics(SM_CXMENUCHECK);
  EXPECT_TRUE(s->HitsButtonPart(50 - check - 1, 5));
  EXPECT_FALSE(s->HitsButtonPart(50 - check, 5));
  EXPECT_FALSE(ViewerOf(sub)->HitsButtonPart(0, 0));
  EXPECT_TRUE(ViewerOf(plain)->HitsButtonPart(0, 0));
}

TEST_F(Viewers, AccessibleRolesByKindOfItemAndView) {
  TBarItemViewer* plain = ViewerOf(NewItem("p"));
  TBarItemViewer* sub = ViewerOf(NewStyled(isSubmenu | isSelectable, "s"));
  TBarItemViewer* separator = ViewerOf(NewItem<TBarSeparatorItem>());
  TBarItemViewer* control = ViewerOf(NewItem<TBarControlItem>());
  EXPECT_EQ(plain->AccessibleRole(), 43);
  EXPECT_EQ(sub->AccessibleRole(), 57);
  EXPECT_EQ(separator->AccessibleRole(), 21);
  EXPECT_EQ(control->AccessibleRole(), 10);
  view.menuBar = true;
  EXPECT_EQ(plain->AccessibleRole(), 12);
  EXPECT_EQ(sub->AccessibleRole(), 12);
  view.menuBar = false;
  view.toolbar = false;
  EXPECT_EQ(sub->AccessibleRole(), 12);
  std::string value;
  EXPECT_FALSE(plain->AccessibleValue(value));
}

// --- Mouse -------------------------------------------------------------------------------------

TEST_F(Viewers, APressOnTheButtonHoldsTheMouseAndTheReleaseClicks) {
  TBarItem* item = NewItem("Go");
  TBarItemViewer* v = ViewerOf(item);
  view.selected = v;
  view.mouseOverSelected = true;
  bool downOnMenu = false;
  v->HandleMouseDown(0, 5, 5, downOnMenu);
  EXPECT_EQ(view.cancelChildPopups, 1);
  EXPECT_EQ(view.setCapture, 1);
  EXPECT_GE(view.invalidated, 1);
  v->HandleMouseUp(5, 5, downOnMenu);
  EXPECT_FALSE(view.capture);
  EXPECT_EQ(view.doneClick, v);
  EXPECT_EQ(view.promoted, v);
  EXPECT_EQ(view.endTracking, 0);

  // Released without having been pressed on it: a root toolbar just ends tracking.
  view.doneClick = nullptr;
  v->HandleMouseUp(5, 5, false);
  EXPECT_EQ(view.doneClick, nullptr);
  EXPECT_EQ(view.endTracking, 1);
  // In a menu the release alone clicks.
  view.toolbar = false;
  v->HandleMouseUp(5, 5, false);
  EXPECT_EQ(view.doneClick, v);
}

TEST_F(Viewers, ADisabledItemNeverClicksAndEndsTrackingOnARootToolbar) {
  TBarItem* item = NewItem("Off");
  item->SetEnabled(false);
  TBarItemViewer* v = ViewerOf(item);
  view.selected = v;
  view.mouseOverSelected = true;
  bool downOnMenu = false;
  v->HandleMouseDown(0, 5, 5, downOnMenu);
  EXPECT_EQ(view.endTracking, 1);
  EXPECT_EQ(view.setCapture, 0);
  view.capture = true;
  v->HandleMouseUp(5, 5, false);
  EXPECT_EQ(view.doneClick, nullptr);
  EXPECT_EQ(view.endTracking, 2);
  // In a submenu it does not end the tracking either.
  test::FakeView parent;
  view.parentView = &parent;
  view.toolbar = false;
  v->HandleMouseDown(0, 5, 5, downOnMenu);
  v->HandleMouseUp(5, 5, false);
  EXPECT_EQ(view.endTracking, 2);
  EXPECT_EQ(view.doneClick, nullptr);
  view.parentView = nullptr;
}

TEST_F(Viewers, ASplitButtonPressesLeftOfItsArrowAndOpensOnIt) {
  StyledItem* split = NewStyled(isSubmenu | isSplitButton | isSelectable, "Undo");
  TBarItemViewer* v = ViewerOf(split, {0, 0, 50, 22});
  view.selected = v;
  view.mouseOverSelected = true;
  bool downOnMenu = false;
  v->HandleMouseDown(0, 10, 5, downOnMenu);
  EXPECT_TRUE(view.capture);
  EXPECT_EQ(view.openChildPopup, 0);
  v->HandleMouseUp(10, 5, downOnMenu);
  EXPECT_EQ(view.doneClick, v);

  view.doneClick = nullptr;
  test::FakeView popup;
  view.popupToOpen = &popup;
  v->HandleMouseDown(0, 45, 5, downOnMenu);
  EXPECT_EQ(view.openChildPopup, 1);
  EXPECT_FALSE(view.capture);
  EXPECT_FALSE(downOnMenu);
  // A second press on the open arrow marks the press, and its release then ends tracking.
  v->HandleMouseDown(0, 45, 5, downOnMenu);
  EXPECT_TRUE(downOnMenu);
  v->HandleMouseUp(45, 5, downOnMenu);
  EXPECT_EQ(view.endTracking, 1);
  EXPECT_EQ(view.doneClick, nullptr);
}

TEST_F(Viewers, ADoubleClickOnASubmenuRunsTheDefaultItemOfItsPopup) {
  StyledItem* menu = NewStyled(isSubmenu | isSelectable, "File");
  TBarItemViewer* v = ViewerOf(menu);
  view.selected = v;
  test::FakeView popup;
  popup.toolbar = false;
  popup.parentView = &view;
  TBarItem first(nullptr), hidden(nullptr), chosen(nullptr);
  hidden.SetOptions(BarOption(tboDefault));
  chosen.SetOptions(BarOption(tboDefault));
  // The items' effective options count, so they sit in a tree.
  TBarRootItem menuRoot(nullptr);
  for (TBarItem* i : {&first, &hidden, &chosen}) menuRoot.Add(i);
  popup.AddViewer(&first, {0, 0, 80, 20});
  popup.AddViewer(&hidden, {0, 20, 80, 40}, false);
  TBarItemViewer* target = popup.AddViewer(&chosen, {0, 40, 80, 60});
  view.popupToOpen = &popup;
  bool downOnMenu = false;
  v->HandleMouseDown(ui::ssDouble, 5, 5, downOnMenu);
  EXPECT_EQ(popup.doneClick, target);
  popup.viewers.clear();
  for (TBarItem* i : {&first, &hidden, &chosen}) menuRoot.Remove(i);
}

TEST_F(Viewers, ReleasingASubmenuOffItsButtonPartEndsTrackingOnlyAfterAPressOnTheOpenMenu) {
  StyledItem* menu = NewStyled(isSubmenu | isSelectable, "File");
  TBarItemViewer* v = ViewerOf(menu);
  view.selected = v;
  view.mouseOverSelected = true;
  v->HandleMouseUp(5, 5, false);
  EXPECT_EQ(view.endTracking, 0);
  v->HandleMouseUp(5, 5, true);
  EXPECT_EQ(view.endTracking, 1);
  EXPECT_EQ(view.doneClick, nullptr);
}

TEST_F(Viewers, SelectionEventsAndExecutionReachTheItemAndTheView) {
  TBarItem* item = NewItem("Sel");
  TBarItemViewer* v = ViewerOf(item);
  struct Log : ui::TObject {
    std::vector<bool> calls;
    void Select(TBarCustomItem*, TBarItemViewer*, bool selecting) { calls.push_back(selecting); }
  } log;
  item->OnSelect = TBarSelectEvent(&log, &Log::Select);
  v->SelectionGained(nullptr);
  v->SelectionLost();
  EXPECT_EQ(log.calls, (std::vector<bool>{true, false}));
  v->TriggerExecute(false);
  EXPECT_EQ(view.doneClick, v);
  EXPECT_EQ(view.promoted, nullptr);
  v->TriggerExecute(true);
  EXPECT_EQ(view.promoted, v);
  view.origin = {100, 200};
  v->BoundsRect = {10, 5, 60, 27};
  POINT p = v->ScreenToViewer({115, 210});
  EXPECT_EQ(p.x, 5);
  EXPECT_EQ(p.y, 5);
}

// --- Measuring ---------------------------------------------------------------------------------

struct Measuring : Viewers {
  TestPicture picture{10, 10};
  ui::TCanvas canvas;
  Measuring() { canvas.SetHandle(picture.Dc()); }
  ~Measuring() override { canvas.SetHandle(nullptr); }
  SIZE Measure(TBarItemViewer* v) {
    int w = -1, h = -1;
    v->MeasureSize(canvas, w, h);
    return {w, h};
  }
  int TextHeight() { return DCFontHeight(Dc()); }
  int TextWidth(const std::string& text, bool strip) { return CaptionTextWidth(Dc(), text, strip); }
  HDC Dc() {
    canvas.TextExtent(std::string());
    return canvas.Handle();
  }
};

TEST_F(Measuring, ToolbarButtonsAddTheirImageArrowAndCaption) {
  auto* images = new ui::TImageList(owner.get(), 16, 16);
  TBarItem* item = NewItem("");
  item->SetImages(images);
  item->SetImageIndex(0);
  TBarItemViewer* v = ViewerOf(item);
  EXPECT_EQ(Measure(v).cx, 6 + 16 + 1);
  EXPECT_EQ(Measure(v).cy, 16 + 6);
  item->SetCaption("&Save");
  item->SetDisplayMode(bdmImageAndText);
  SIZE withCaption = Measure(v);
  EXPECT_EQ(withCaption.cx, 6 + TextWidth("&Save", true) + 6 + 16 + 1);
  EXPECT_EQ(withCaption.cy, std::max(6 + TextHeight(), 22));
  item->SetOptions(BarOption(tboImageAboveCaption));
  EXPECT_EQ(Measure(v).cy, 6 + TextHeight() + 16);
  EXPECT_EQ(Measure(v).cx, std::max(12 + TextWidth("&Save", true), 16 + 7));

  StyledItem* split = NewStyled(isSubmenu | isSplitButton | isSelectable);
  StyledItem* drop = NewStyled(isSubmenu | isSelectable);
  TBarItemViewer* s = ViewerOf(split);
  TBarItemViewer* d = ViewerOf(drop);
  EXPECT_EQ(Measure(s).cx, 6 + 11);
  EXPECT_EQ(Measure(d).cx, 6);
  drop->SetOptions(BarOption(tboDropdownArrow));
  EXPECT_EQ(Measure(d).cx, 14);
  view.vertical = true;
  EXPECT_EQ(Measure(d).cx, 6);
  EXPECT_EQ(Measure(d).cy, 14);
}

TEST_F(Measuring, MenuRowsMakeRoomForTheImageColumnShortcutAndArrow) {
  view.toolbar = false;
  TBarItem* item = NewItem("Open");
  TBarItemViewer* v = ViewerOf(item);
  TEXTMETRICW tm{};
  GetTextMetricsW(Dc(), &tm);
  const int row = TextHeight() + tm.tmExternalLeading + 4;
  SIZE plain = Measure(v);
  EXPECT_EQ(plain.cy, row);
  EXPECT_EQ(plain.cx, TextWidth("Open", true) + row + 6 + row);
  item->SetCaption("Open\tCtrl+O");
  SIZE keyed = Measure(v);
  EXPECT_EQ(keyed.cx - plain.cx, TextWidth("Ctrl+O", false) + row - 6);

  // With 16 x 16 images the row is at least 19 high and the column as wide as the row.
  auto* images = new ui::TImageList(owner.get(), 16, 16);
  item->SetCaption("Open");
  item->SetImages(images);
  SIZE imaged = Measure(v);
  EXPECT_EQ(imaged.cy, std::max(row, 19));
  EXPECT_EQ(imaged.cx, TextWidth("Open", true) + MulDiv(19, imaged.cy, 19) + 6 + imaged.cy);
  // Wider images widen the column in proportion.
  images->SetSize(32, 16);
  SIZE wide = Measure(v);
  EXPECT_EQ(wide.cx, TextWidth("Open", true) + MulDiv(35, wide.cy, 19) + 6 + wide.cy);
}

TEST_F(Measuring, SeparatorsAreSixSquareOnToolbarsAndAThirdOfTwoLinesInMenus) {
  TBarItemViewer* v = ViewerOf(NewItem<TBarSeparatorItem>());
  EXPECT_EQ(Measure(v).cx, 6);
  EXPECT_EQ(Measure(v).cy, 6);
  EXPECT_FALSE(v->UsesSameWidth());
  view.toolbar = false;
  EXPECT_EQ(Measure(v).cx, 0);
  EXPECT_EQ(Measure(v).cy, DivideRoundingOut(TextHeight() * 2, 3));
}

// --- Painting ----------------------------------------------------------------------------------

constexpr COLORREF kBack = RGB(10, 200, 30);  // nothing the system paints with

struct Painting : Measuring {
  TestPicture shot{80, 24, kBack};
  ui::TCanvas paper;
  Painting() {
    paper.SetHandle(shot.Dc());
    paper.Brush().SetStyle(ui::TBrushStyle::bsClear);
  }
  ~Painting() override { paper.SetHandle(nullptr); }
  void Paint(TBarItemViewer* v, bool selected = false, bool pushed = false, bool shadow = false) {
    shot.Fill(kBack);
    v->Paint(paper, {0, 0, shot.Width(), shot.Height()}, shadow, pushed, selected);
    GdiFlush();
  }
};

TEST_F(Painting, ToolbarButtonsRaiseWhenSelectedAndSinkWhenPushedOrChecked) {
  TBarItem* item = NewItem("");
  TBarItemViewer* v = ViewerOf(item);
  Paint(v);
  EXPECT_EQ(shot.Pixel(0, 0), kBack);  // nothing without a state
  EXPECT_EQ(shot.Pixel(79, 23), kBack);
  Paint(v, true);
  shot.Save("bar_viewer_toolbar_selected");
  EXPECT_EQ(shot.Pixel(0, 5), Sys(COLOR_BTNHIGHLIGHT));
  EXPECT_EQ(shot.Pixel(5, 0), Sys(COLOR_BTNHIGHLIGHT));
  EXPECT_EQ(shot.Pixel(79, 5), Sys(COLOR_BTNSHADOW));
  EXPECT_EQ(shot.Pixel(5, 23), Sys(COLOR_BTNSHADOW));
  Paint(v, true, true);
  shot.Save("bar_viewer_toolbar_pushed");
  EXPECT_EQ(shot.Pixel(0, 5), Sys(COLOR_BTNSHADOW));
  EXPECT_EQ(shot.Pixel(79, 5), Sys(COLOR_BTNHIGHLIGHT));
  // Checked and not selected: sunken, with the halftone of face and highlight inside.
  item->SetChecked(true);
  Paint(v);
  shot.Save("bar_viewer_toolbar_checked");
  EXPECT_EQ(shot.Pixel(0, 5), Sys(COLOR_BTNSHADOW));
  COLORREF a = shot.Pixel(10, 10), b = shot.Pixel(11, 10);
  EXPECT_NE(a, b);
  for (COLORREF c : {a, b}) EXPECT_TRUE(c == Sys(COLOR_BTNFACE) || c == Sys(COLOR_BTNHIGHLIGHT)) << std::hex << c;
  EXPECT_EQ(shot.Pixel(10, 11), b);
  // Disabled items are not raised when selected.
  item->SetChecked(false);
  item->SetEnabled(false);
  Paint(v, true);
  EXPECT_EQ(shot.Pixel(0, 5), kBack);
}

TEST_F(Painting, DropDownArrowsAreTrianglesInTheFontColourOrEmbossed) {
  StyledItem* drop = NewStyled(isSubmenu | isSelectable);
  drop->SetOptions(BarOption(tboDropdownArrow));
  TBarItemViewer* v = ViewerOf(drop);
  paper.Font().SetColor(ui::clBlue);
  Paint(v);
  shot.Save("bar_viewer_dropdown_arrow");
  const int cx = (72 + 80) / 2, cy = 24 / 2;
  EXPECT_EQ(shot.Pixel(cx, cy), RGB(0, 0, 255));
  EXPECT_EQ(shot.Pixel(cx - 2, cy - 1), RGB(0, 0, 255));
  EXPECT_EQ(shot.Pixel(cx + 2, cy - 1), RGB(0, 0, 255));
  EXPECT_EQ(shot.Pixel(cx, cy + 1), RGB(0, 0, 255));
  EXPECT_EQ(shot.Pixel(cx, cy - 2), kBack);
  EXPECT_EQ(shot.Pixel(cx, cy + 2), kBack);
  // Pushed, a plain drop-down's arrow moves one pixel right and down.
  Paint(v, true, true);
  EXPECT_EQ(shot.Pixel(cx + 1, cy + 2), RGB(0, 0, 255));
  EXPECT_EQ(shot.Pixel(cx - 2, cy - 1), kBack);
  drop->SetEnabled(false);
  Paint(v);
  shot.Save("bar_viewer_dropdown_arrow_disabled");
  EXPECT_EQ(shot.Pixel(cx, cy), Sys(COLOR_BTNSHADOW));
  EXPECT_EQ(shot.Pixel(cx + 3, cy), Sys(COLOR_BTNHIGHLIGHT));
  EXPECT_EQ(shot.Pixel(cx + 1, cy + 2), Sys(COLOR_BTNHIGHLIGHT));
}

TEST_F(Painting, ASplitButtonsArrowPartHasItsOwnEdge) {
  StyledItem* split = NewStyled(isSubmenu | isSplitButton | isSelectable);
  TBarItemViewer* v = ViewerOf(split);
  Paint(v, true);
  shot.Save("bar_viewer_split_selected");
  // The button part ends 11 pixels before the right edge; the arrow part starts there.
  EXPECT_EQ(shot.Pixel(80 - 12, 5), Sys(COLOR_BTNSHADOW));
  EXPECT_EQ(shot.Pixel(80 - 11, 5), Sys(COLOR_BTNHIGHLIGHT));
  EXPECT_EQ(shot.Pixel(79, 5), Sys(COLOR_BTNSHADOW));
  // Pushed without the mouse held (its popup is open): only the arrow part sinks.
  Paint(v, true, true);
  shot.Save("bar_viewer_split_open");
  EXPECT_EQ(shot.Pixel(0, 5), Sys(COLOR_BTNHIGHLIGHT));
  EXPECT_EQ(shot.Pixel(80 - 11, 5), Sys(COLOR_BTNSHADOW));
  // Held by the mouse: the button part sinks, the arrow part stays raised.
  view.capture = true;
  Paint(v, true, true);
  EXPECT_EQ(shot.Pixel(0, 5), Sys(COLOR_BTNSHADOW));
  EXPECT_EQ(shot.Pixel(80 - 11, 5), Sys(COLOR_BTNHIGHLIGHT));
}

TEST_F(Painting, MenuRowsFillTheSelectionBesideTheImageColumn) {
  view.toolbar = false;
  TBarItem* item = NewItem("");
  TBarItemViewer* v = ViewerOf(item);
  paper.Brush().SetStyle(ui::TBrushStyle::bsSolid);
  paper.Brush().SetColor(ui::clRed);
  Paint(v, true);
  shot.Save("bar_viewer_menu_selected");
  EXPECT_EQ(shot.Pixel(0, 12), RGB(255, 0, 0));
  EXPECT_EQ(shot.Pixel(79, 12), RGB(255, 0, 0));
  // A checked row leaves the column (row height wide without images) to its mark.
  item->SetChecked(true);
  Paint(v, true);
  shot.Save("bar_viewer_menu_checked_selected");
  EXPECT_NE(shot.Pixel(2, 12), RGB(255, 0, 0));
  EXPECT_NE(shot.Pixel(24, 12), RGB(255, 0, 0));
  EXPECT_EQ(shot.Pixel(25, 12), RGB(255, 0, 0));
  // An enabled split item's arrow column stays out of the fill.
  StyledItem* split = NewStyled(isSubmenu | isSplitButton | isSelectable);
  Paint(ViewerOf(split), true);
  shot.Save("bar_viewer_menu_split_selected");
  EXPECT_EQ(shot.Pixel(80 - GetSystemMetrics(SM_CXMENUCHECK) - 1, 2), RGB(255, 0, 0));
  EXPECT_NE(shot.Pixel(80 - GetSystemMetrics(SM_CXMENUCHECK) + 1, 2), RGB(255, 0, 0));
}

TEST_F(Painting, ACheckedMenuItemWithoutAnImageGetsACheckMark) {
  view.toolbar = false;
  TBarItem* item = NewItem("");
  item->SetChecked(true);
  TBarItemViewer* v = ViewerOf(item);
  Paint(v);
  shot.Save("bar_viewer_menu_check");
  // Column 24 wide (the row height): centre (12, 12), marks offset by (10, 13).
  EXPECT_EQ(shot.Pixel(10, 13), Sys(COLOR_BTNTEXT));   // (0, 0) of the dark line
  EXPECT_EQ(shot.Pixel(8, 11), Sys(COLOR_BTNTEXT));    // (-2, -2)
  EXPECT_EQ(shot.Pixel(14, 9), Sys(COLOR_BTNTEXT));    // (4, -4)
  EXPECT_EQ(shot.Pixel(7, 11), Sys(COLOR_BTNHIGHLIGHT));  // (-3, -2) of the light line
  EXPECT_EQ(shot.Pixel(10, 15), Sys(COLOR_BTNHIGHLIGHT)); // (0, 2)
  // The column is sunken.
  EXPECT_EQ(shot.Pixel(0, 5), Sys(COLOR_BTNSHADOW));
  EXPECT_EQ(shot.Pixel(23, 5), Sys(COLOR_BTNHIGHLIGHT));
  EXPECT_EQ(shot.Pixel(40, 12), kBack);
}

TEST_F(Painting, SubmenuRowsDrawTheSystemArrowAtTheirRightEdge) {
  view.toolbar = false;
  StyledItem* sub = NewStyled(isSubmenu | isSelectable);
  paper.Font().SetColor(ui::clBlue);
  Paint(ViewerOf(sub));
  shot.Save("bar_viewer_menu_submenu");
  const int cx = GetSystemMetrics(SM_CXMENUCHECK);
  int blue = 0, blueOutside = 0;
  for (int y = 0; y < 24; ++y)
    for (int x = 0; x < 80; ++x)
      if (shot.Pixel(x, y) == RGB(0, 0, 255)) ++(x >= 80 - cx ? blue : blueOutside);
  EXPECT_GT(blue, 3);
  EXPECT_EQ(blueOutside, 0);
}

TEST_F(Painting, SeparatorsDrawAnEtchedLineAcrossOrAlong) {
  auto* item = NewItem<TBarSeparatorItem>();
  TBarItemViewer* v = ViewerOf(item);
  // Toolbar: a vertical line at the middle.
  Paint(v);
  shot.Save("bar_viewer_separator_toolbar");
  EXPECT_EQ(shot.Pixel(39, 12), Sys(COLOR_BTNSHADOW));
  EXPECT_EQ(shot.Pixel(40, 12), Sys(COLOR_BTNHIGHLIGHT));
  EXPECT_EQ(shot.Pixel(41, 12), kBack);
  EXPECT_EQ(shot.Pixel(39, 0), Sys(COLOR_BTNSHADOW));
  // A line break on a toolbar: horizontal, 4 pixels in from each end (1 when floating).
  v->Flags |= bvfLineBreak;
  Paint(v);
  shot.Save("bar_viewer_separator_line_break");
  EXPECT_EQ(shot.Pixel(40, 11), Sys(COLOR_BTNSHADOW));
  EXPECT_EQ(shot.Pixel(40, 12), Sys(COLOR_BTNHIGHLIGHT));
  EXPECT_EQ(shot.Pixel(4, 11), Sys(COLOR_BTNSHADOW));
  EXPECT_EQ(shot.Pixel(3, 11), kBack);
  view.floating = true;
  Paint(v);
  EXPECT_EQ(shot.Pixel(1, 11), Sys(COLOR_BTNSHADOW));
  EXPECT_EQ(shot.Pixel(0, 11), kBack);
  view.floating = false;
  v->Flags = 0;
  // Menu: horizontal, 12 pixels in from each end.
  view.toolbar = false;
  Paint(v);
  shot.Save("bar_viewer_separator_menu");
  EXPECT_EQ(shot.Pixel(12, 11), Sys(COLOR_BTNSHADOW));
  EXPECT_EQ(shot.Pixel(67, 12), Sys(COLOR_BTNHIGHLIGHT));
  EXPECT_EQ(shot.Pixel(11, 11), kBack);
  EXPECT_EQ(shot.Pixel(68, 11), kBack);
  // A blank separator draws nothing.
  item->SetBlank(true);
  Paint(v);
  EXPECT_EQ(shot.Pixel(40, 11), kBack);
}

TEST_F(Painting, DisabledCaptionsAreDrawnTwiceForTheEmbossedLook) {
  TBarItem* item = NewItem("WWWW");
  item->SetEnabled(false);
  TBarItemViewer* v = ViewerOf(item);
  // Text is smoothed, so compare where it lands rather than exact colours of its edges.
  auto inked = [&](RECT& box, std::vector<POINT>& solid) {
    box = {80, 24, -1, -1};
    for (int y = 0; y < 24; ++y)
      for (int x = 0; x < 80; ++x) {
        COLORREF c = shot.Pixel(x, y);
        if (c == kBack) continue;
        box = {std::min<LONG>(box.left, x), std::min<LONG>(box.top, y), std::max<LONG>(box.right, x),
               std::max<LONG>(box.bottom, y)};
        if (c == Sys(COLOR_BTNSHADOW)) solid.push_back({x, y});
      }
  };
  paper.Font().SetColor(ui::clBtnShadow);
  Paint(v);
  RECT plain;
  std::vector<POINT> plainSolid, embossedSolid;
  inked(plain, plainSolid);
  paper.Font().SetColor(ui::clGrayText);
  Paint(v, false, false, true);
  shot.Save("bar_viewer_disabled_caption");
  RECT embossed;
  inked(embossed, embossedSolid);
  ASSERT_FALSE(plainSolid.empty());
  // The highlight copy lies one pixel right and down; the shadow copy on top, in place.
  EXPECT_EQ(embossed.left, plain.left);
  EXPECT_EQ(embossed.top, plain.top);
  EXPECT_EQ(embossed.right, plain.right + 1);
  EXPECT_EQ(embossed.bottom, plain.bottom + 1);
  for (POINT p : plainSolid) EXPECT_EQ(shot.Pixel(p.x, p.y), Sys(COLOR_BTNSHADOW)) << p.x << "," << p.y;
  EXPECT_EQ(paper.Font().Color(), ui::clGrayText);  // restored
}

}  // namespace
}  // namespace movra::bars
