// The themed status bar: the layout by sizes and priorities, panels copied from panels, the
// controls panels hold, and the size grip in a real window.
#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "runtime/ui/forms.h"
#include "runtime/ui/stdctrls.h"
#include "tests/runtime/ui/ui_test_support.h"
#include "tests/themes/skin_default_test_support.h"
#include "themes/skin_status.h"

namespace movra::skin {
namespace {

using test::SkinDefault;

std::vector<RECT> Rects(TSkinStatusBar& bar) {
  std::vector<RECT> rects;
  for (int i = 0; i < bar.Panels().Count(); ++i) rects.push_back(bar.Panels().Items(i)->PanelRect());
  return rects;
}

void ExpectRect(const RECT& r, int left, int top, int right, int bottom) {
  EXPECT_EQ(std::make_tuple(r.left, r.top, r.right, r.bottom), std::make_tuple(left, top, right, bottom));
}

// Counts the layouts, so a test can tell whether a change caused one.
class TCountingBar : public TSkinStatusBar {
 public:
  using TSkinStatusBar::TSkinStatusBar;
  int updates = 0;
  void UpdatePanels() override {
    ++updates;
    TSkinStatusBar::UpdatePanels();
  }
};

struct SkinStatusLayout : SkinDefault {
  ui::TOwned<TSkinStatusBar> bar;
  void SetUp() override {
    SkinDefault::SetUp();
    bar = ui::MakeOwned<TSkinStatusBar>(nullptr);
  }
  void TearDown() override {
    bar.reset();
    SkinDefault::TearDown();
  }
  TSkinStatusPanel* Add(int size, int viewPriority = 100, int stretchPriority = 0, int maxSize = 0) {
    TSkinStatusPanel* p = bar->Panels().Add();
    p->SetSize(size);
    p->SetViewPriority(viewPriority);
    p->SetStretchPriority(stretchPriority);
    p->SetMaxSize(maxSize);
    return p;
  }
  void Width(int width) { bar->SetBounds(0, 0, width, 22); }
};

TEST_F(SkinStatusLayout, TheMainWindowsTwoPanelsAndItsQueuePanelOf200) {
  TSkinStatusPanel* activity = Add(350);
  TSkinStatusPanel* queue = Add(200);
  Width(500);
  // Both have the top priority: the second runs past the edge and is clipped, not hidden.
  auto r = Rects(*bar);
  ExpectRect(r[0], 0, 2, 350, 22);
  ExpectRect(r[1], 350, 2, 550, 22);
  EXPECT_TRUE(activity->Shown() && queue->Shown());
  EXPECT_FALSE(activity->AtRightEdge() || queue->AtRightEdge());

  // The window gives the activity panel what is left beside the queue panel's 200 pixels.
  for (int width : {500, 760, 201, 200, 150, 1}) {
    SCOPED_TRACE(width);
    Width(width);
    activity->SetSize(bar->ClientWidth() - 200);
    EXPECT_EQ(activity->ActualWidth(), std::max(width - 200, 0)) << "never below 0";
    EXPECT_EQ(queue->ActualWidth(), 200);
    for (const RECT& rect : Rects(*bar)) EXPECT_LE(rect.left, rect.right) << "no inverted rectangle";
    ExpectRect(queue->PanelRect(), std::max(width - 200, 0), 2, std::max(width - 200, 0) + 200, 22);
    EXPECT_EQ(queue->AtRightEdge(), width >= 200);
  }
  // A bar of no width has no room where any panel could start.
  Width(0);
  EXPECT_FALSE(activity->Shown() || queue->Shown());
}

TEST_F(SkinStatusLayout, PanelsThatDoNotFitGoLowestPriorityFirst) {
  Add(100, 100);
  Add(100, 50);
  Add(100, 10);
  TSkinStatusPanel* never = Add(10, 0);
  Width(400);
  EXPECT_FALSE(never->Shown()) << "priority 0 is never shown, even with room";
  ExpectRect(never->PanelRect(), 0, 0, 0, 0);
  auto shown = [&] {
    std::vector<bool> s;
    for (int i = 0; i < 3; ++i) s.push_back(bar->Panels().Items(i)->Shown());
    return s;
  };
  EXPECT_EQ(shown(), (std::vector<bool>{true, true, true}));
  // A bar exactly as wide as the shown panels: the last one ends at the edge.
  Width(300);
  EXPECT_EQ(shown(), (std::vector<bool>{true, true, true}));
  EXPECT_TRUE(bar->Panels().Items(2)->AtRightEdge());
  EXPECT_FALSE(bar->Panels().Items(1)->AtRightEdge());
  Width(250);
  EXPECT_EQ(shown(), (std::vector<bool>{true, true, false}));
  ExpectRect(bar->Panels().Items(1)->PanelRect(), 100, 2, 200, 22);
  ExpectRect(bar->Panels().Items(2)->PanelRect(), 0, 0, 0, 0);
  Width(150);
  EXPECT_EQ(shown(), (std::vector<bool>{true, false, false}));
  Width(20);
  EXPECT_EQ(shown(), (std::vector<bool>{true, false, false})) << "the top priority stays";
  ExpectRect(bar->Panels().Items(0)->PanelRect(), 0, 2, 100, 22);

  // Hidden in the middle: the others close up, in collection order.
  bar->Panels().Items(0)->SetViewPriority(40);
  Width(250);
  EXPECT_EQ(shown(), (std::vector<bool>{true, true, false}));
  bar->Panels().Items(1)->SetViewPriority(5);
  EXPECT_EQ(shown(), (std::vector<bool>{true, false, true}));
  ExpectRect(bar->Panels().Items(2)->PanelRect(), 100, 2, 200, 22);

  // Panels that start at or past the right edge are hidden.
  bar->Panels().Clear();
  Add(300);
  Add(200);
  TSkinStatusPanel* late = Add(50);
  Width(500);
  EXPECT_TRUE(bar->Panels().Items(1)->AtRightEdge());
  EXPECT_FALSE(late->Shown());
}

TEST_F(SkinStatusLayout, ExtraRoomGoesByStretchPriorityUpToTheMaximum) {
  TSkinStatusPanel* low = Add(100, 100, 20);
  TSkinStatusPanel* high = Add(100, 100, 80);
  TSkinStatusPanel* fixed = Add(100);
  Width(400);
  EXPECT_EQ(high->ActualWidth(), 200) << "no maximum: it takes all 100";
  EXPECT_EQ(low->ActualWidth(), 100);
  EXPECT_EQ(fixed->ActualWidth(), 100);
  ExpectRect(fixed->PanelRect(), 300, 2, 400, 22);
  EXPECT_TRUE(fixed->AtRightEdge());

  high->SetMaxSize(130);
  EXPECT_EQ(high->ActualWidth(), 130);
  EXPECT_EQ(low->ActualWidth(), 170) << "the rest goes to the next";

  // At or above its maximum a panel takes none of the extra room.
  for (int max : {100, 60}) {
    SCOPED_TRACE(max);
    high->SetMaxSize(max);
    EXPECT_EQ(high->ActualWidth(), 100) << "it keeps its size and takes nothing";
    EXPECT_EQ(low->ActualWidth(), 200);
  }
  low->SetMaxSize(150);
  EXPECT_EQ(low->ActualWidth(), 150);
  EXPECT_EQ(high->ActualWidth(), 100);
  ExpectRect(fixed->PanelRect(), 250, 2, 350, 22);
  EXPECT_FALSE(fixed->AtRightEdge()) << "room no panel may take stays empty";

  // No extra room: nobody stretches.
  Width(250);
  EXPECT_EQ(high->ActualWidth() + low->ActualWidth() + fixed->ActualWidth(), 300);
}

TEST_F(SkinStatusLayout, ChangesLayOutOnlyWhenAValueChanges) {
  auto counting = ui::MakeOwned<TCountingBar>(nullptr);
  TSkinStatusPanel* p = counting->Panels().Add();
  p->SetCaption("Ready");
  const int before = counting->updates;
  p->SetCaption("Ready");
  p->SetSize(50);
  p->SetHint("stored only");
  p->SetTag(7);
  p->SetImageIndex(3);  // no image list
  EXPECT_EQ(counting->updates, before);
  p->SetCaption("Busy");
  p->SetFramed(false);
  p->FontSettings().SetBold(tsTrue);
  EXPECT_EQ(counting->updates, before + 3);
  // A theme change lays out once, in its last phase.
  SelectTheme("Default");
  EXPECT_EQ(counting->updates, before + 4);
  counting->SetUseSystemFont(true);
  counting->SetUseSystemFont(true);
  EXPECT_EQ(counting->updates, before + 5);
  p->SetViewPriority(250);
  EXPECT_EQ(p->ViewPriority(), 100);
}

TEST_F(SkinStatusLayout, AssignCopiesEveryValueAndTakesTheControlOfTheSameName) {
  auto source = ui::MakeOwned<ui::TForm>(nullptr);
  auto target = ui::MakeOwned<ui::TForm>(nullptr);
  auto* fromBar = new TSkinStatusBar(source.get());
  auto* toBar = new TSkinStatusBar(target.get());
  auto* theirs = new ui::TEdit(source.get());
  theirs->SetName("edtPath");
  auto* ours = new ui::TEdit(target.get());
  ours->SetName("edtPath");

  TSkinStatusPanel* from = fromBar->Panels().Add();
  from->SetAlignment(TAlignment::taCenter);
  from->SetCaption("Path");
  from->SetControl(theirs);
  from->SetEnabled(false);
  from->SetFramed(false);
  from->FontSettings().SetItalic(tsTrue);
  from->FontSettings().SetSize(120);
  from->SetHint("Where");
  from->SetImageIndex(2);
  from->SetMaxSize(300);
  from->SetViewPriority(60);
  from->SetSize(120);
  from->SetStretchPriority(30);
  from->SetTag(9);
  from->SetTextTruncation(TTextTruncation::twPathEllipsis);

  TSkinStatusPanel* to = toBar->Panels().Add();
  to->Assign(*from);
  EXPECT_EQ(to->Alignment(), TAlignment::taCenter);
  EXPECT_EQ(to->Caption(), "Path");
  EXPECT_EQ(to->Control(), ours) << "this form's control of that name";
  EXPECT_EQ(ours->Parent(), toBar);
  EXPECT_EQ(toBar->Panels().Count(), 1) << "the control brought no panel of its own";
  EXPECT_FALSE(to->Enabled());
  EXPECT_FALSE(to->Framed());
  EXPECT_EQ(to->FontSettings().Italic(), tsTrue);
  EXPECT_EQ(to->FontSettings().Size(), 120);
  EXPECT_EQ(to->Hint(), "Where");
  EXPECT_EQ(to->ImageIndex(), 2);
  EXPECT_EQ(to->MaxSize(), 300);
  EXPECT_EQ(to->ViewPriority(), 60);
  EXPECT_EQ(to->Size(), 120);
  EXPECT_EQ(to->StretchPriority(), 30);
  EXPECT_EQ(to->Tag(), 9);
  EXPECT_EQ(to->TextTruncation(), TTextTruncation::twPathEllipsis);
  EXPECT_EQ(to->DisplayName(), "Path");

  // A source without a control, or with one this form lacks, leaves none.
  TSkinStatusPanel* plain = fromBar->Panels().Add();
  to->Assign(*plain);
  EXPECT_EQ(to->Control(), nullptr);
  EXPECT_EQ(to->Size(), 50);
  theirs->SetName("edtOther");
  to->Assign(*from);
  EXPECT_EQ(to->Control(), nullptr);
  EXPECT_EQ(to->DisplayName(), "Path");

  // Collections copy item by item.
  toBar->SetPanels(fromBar->Panels());
  ASSERT_EQ(toBar->Panels().Count(), 2);
  EXPECT_EQ(toBar->Panels().Items(0)->Caption(), "Path");
  EXPECT_THROW(to->Assign(*theirs), ui::EConvertError) << "only a panel is assigned to a panel";
}

TEST_F(SkinStatusLayout, PanelsHoldControlsPlacedInsideTheirFrames) {
  auto form = ui::MakeOwned<ui::TForm>(nullptr);
  form->SetBounds(0, 0, 600, 200);
  auto* sb = new TSkinStatusBar(form.get());
  sb->SetParent(form.get());
  sb->SetBounds(0, 0, 500, 22);
  sb->SetAlign(ui::TAlign::alNone);
  TSkinStatusPanel* text = sb->Panels().Add();
  text->SetSize(300);
  TSkinStatusPanel* holder = sb->Panels().Add();
  holder->SetSize(150);

  // A windowed control put on the bar brings its own panel.
  auto* loose = new ui::TEdit(form.get());
  loose->SetParent(sb);
  ASSERT_EQ(sb->Panels().Count(), 3);
  EXPECT_EQ(sb->Panels().Items(2)->Control(), loose);
  EXPECT_EQ(sb->Panels().Items(2)->DisplayName(), "[  ]");

  // Given to a panel, a control moves onto the bar, without a second panel, inside the frame.
  auto* edit = new ui::TEdit(form.get());
  edit->SetParent(form.get());
  holder->SetControl(edit);
  EXPECT_EQ(edit->Parent(), sb);
  EXPECT_EQ(sb->Panels().Count(), 3);
  const TSkinMargins m = sb->ContentMargins();
  EXPECT_EQ(edit->Left(), 300 + m.Left);
  EXPECT_EQ(edit->Top(), 2 + m.Top);
  EXPECT_EQ(edit->Width(), 150 - m.Left - m.Right);
  EXPECT_EQ(edit->Height(), 20 - m.Top - m.Bottom);
  holder->SetFramed(false);
  EXPECT_EQ(edit->Width(), 150);

  // Taken by another panel, it leaves the first.
  text->SetControl(edit);
  EXPECT_EQ(holder->Control(), nullptr);
  EXPECT_EQ(edit->Left(), m.Left);
  // A hidden panel parks its control in the empty rectangle.
  text->SetViewPriority(0);
  EXPECT_EQ(edit->Width(), 0);
  EXPECT_EQ(edit->Height(), 0);

  // The bar or its parents cannot be a panel's control; the panel keeps what it had.
  EXPECT_THROW(text->SetControl(sb), ui::EInvalidOperation);
  EXPECT_THROW(text->SetControl(form.get()), ui::EInvalidOperation);
  EXPECT_EQ(text->Control(), edit);

  // Taken off the bar, or destroyed, a control frees its panel.
  edit->SetParent(form.get());
  EXPECT_EQ(sb->Panels().Count(), 2);
  for (int i = 0; i < sb->Panels().Count(); ++i) EXPECT_NE(sb->Panels().Items(i)->Control(), edit);
  ui::Free(loose);
  EXPECT_EQ(sb->Panels().Count(), 1);
  EXPECT_EQ(sb->Panels().Items(0), holder);

  // A panel destroyed while its control lives leaves the control on the bar.
  holder->SetControl(edit);
  sb->Panels().Delete(0);
  EXPECT_EQ(edit->Parent(), sb);
  EXPECT_EQ(sb->Panels().Count(), 0);
}

TEST_F(SkinStatusLayout, ALostImageListLeavesTheBarWithoutImages) {
  auto* images = new ui::TCustomImageList(nullptr);
  bar->SetImages(images);
  EXPECT_EQ(bar->Images(), images);
  ui::Free(images);
  EXPECT_EQ(bar->Images(), nullptr);
}

TEST_F(SkinStatusLayout, EachPanelGivesItsOwnHintOverItsRectangle) {
  Add(100)->SetHint("Profile being run|The profile the worker runs now");
  Add(100)->SetHint("Waiting runs");
  Width(400);
  auto ask = [&](int x) {
    ui::THintInfo info;
    info.CursorPos = {x, 10};
    info.CursorRect = bar->ClientRect();
    info.HintStr = "the bar's own";
    EXPECT_EQ(bar->Perform(ui::CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info)), 0);
    return info;
  };
  ui::THintInfo first = ask(50);
  EXPECT_EQ(first.HintStr, "Profile being run");
  ExpectRect(first.CursorRect, 0, 2, 100, 22);
  ui::THintInfo second = ask(150);
  EXPECT_EQ(second.HintStr, "Waiting runs");
  ExpectRect(second.CursorRect, 100, 2, 200, 22);
  ui::THintInfo outside = ask(300);
  EXPECT_EQ(outside.HintStr, "the bar's own");
  ExpectRect(outside.CursorRect, 0, 0, 400, 22);
  EXPECT_EQ(bar->PanelAt({99, 2}), bar->Panels().Items(0));
  EXPECT_EQ(bar->PanelAt({100, 21}), bar->Panels().Items(1));
  EXPECT_EQ(bar->PanelAt({100, 1}), nullptr) << "above the panels";
}

TEST_F(SkinStatusLayout, AFixedBarGoesToTheBottomBeforeItsVisibilityChanges) {
  auto form = ui::MakeOwned<ui::TForm>(nullptr);
  form->SetBounds(0, 0, 300, 200);
  auto* sb = new TSkinStatusBar(form.get());
  sb->SetParent(form.get());
  sb->SetAlign(ui::TAlign::alNone);
  sb->SetBounds(0, 50, 300, 22);
  sb->Hide();
  EXPECT_EQ(sb->Top(), 50) << "not without FixAlign";
  sb->SetFixAlign(true);
  sb->Show();
  EXPECT_EQ(sb->Top(), form->ClientHeight());
  sb->SetTop(40);
  sb->Hide();
  EXPECT_EQ(sb->Top(), form->ClientHeight());
}

// Remembers the panels the bar reports clicked.
struct TPanelClicks : ui::TObject {
  TSkinStatusPanel* clicked = nullptr;
  TSkinStatusPanel* doubled = nullptr;
  void Click(ui::TObject*, TSkinStatusPanel* panel) { clicked = panel; }
  void Double(ui::TObject*, TSkinStatusPanel* panel) { doubled = panel; }
};

TEST_F(SkinStatusLayout, ClicksReachThePanelWhereTheButtonWas) {
  auto form = ui::MakeOwned<ui::TForm>(nullptr);
  form->SetBounds(0, 0, 300, 100);
  auto* sb = new TSkinStatusBar(form.get());
  sb->SetParent(form.get());
  TSkinStatusPanel* first = sb->Panels().Add();
  TSkinStatusPanel* second = sb->Panels().Add();
  first->SetSize(100);
  second->SetSize(100);
  TPanelClicks clicks;
  sb->OnPanelClick = TSBPanelEvent(&clicks, &TPanelClicks::Click);
  sb->OnPanelDblClick = TSBPanelEvent(&clicks, &TPanelClicks::Double);
  HWND window = sb->Handle();
  SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(150, 10));
  SendMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(150, 10));
  EXPECT_EQ(clicks.clicked, second);
  SendMessageW(window, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(40, 10));
  SendMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(40, 10));
  EXPECT_EQ(clicks.doubled, first);
  EXPECT_EQ(clicks.clicked, second) << "the double click's release is no click";
  clicks.clicked = nullptr;
  SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(250, 10));
  SendMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(250, 10));
  EXPECT_EQ(clicks.clicked, nullptr) << "outside the panels";
}

// --- The size grip, in a real window -------------------------------------------------------

// Swallows the presses a form gets on its sizing corner.
struct TCornerPresses : ui::TObject {
  ui::TWndMethod inner;
  int presses = 0;
  void Proc(ui::TMessage& m) {
    if (m.Msg == WM_NCLBUTTONDOWN && m.WParam == HTBOTTOMRIGHT) {
      ++presses;
      return;
    }
    inner(m);
  }
};

TEST_F(SkinStatusLayout, TheGripSizesTheWindowExceptWhenItIsMaximised) {
  auto form = ui::MakeOwned<ui::TForm>(nullptr);
  form->SetBorderStyle(ui::TFormBorderStyle::bsSizeable);
  form->SetBounds(100, 100, 400, 200);
  auto* sb = new TSkinStatusBar(form.get());
  sb->SetParent(form.get());
  sb->Panels().Add()->SetSize(100);
  form->Show();
  ui::test::Pump();
  ASSERT_EQ(sb->Top() + sb->Height(), form->ClientHeight());
  const int w = sb->ClientWidth(), h = sb->ClientHeight();
  auto hit = [&](int x, int y) {
    POINT p = sb->ClientToScreen({x, y});
    return SendMessageW(sb->Handle(), WM_NCHITTEST, 0, MAKELPARAM(p.x, p.y));
  };
  const RECT grip = sb->GripRect();
  EXPECT_EQ(grip.top, 3);
  EXPECT_EQ(grip.right - grip.left, GetSystemMetrics(SM_CXVSCROLL));
  EXPECT_TRUE(sb->GripShown());
  EXPECT_EQ(hit(w - 2, h - 2), HTBOTTOMRIGHT);
  EXPECT_EQ(hit(grip.left, grip.top), HTBOTTOMRIGHT);
  EXPECT_EQ(hit(grip.left - 1, h - 2), HTCLIENT);
  EXPECT_EQ(hit(w - 2, 2), HTCLIENT);
  EXPECT_EQ(hit(10, 10), HTCLIENT);

  // The press on the grip goes to the form's own corner.
  TCornerPresses corner;
  corner.inner = form->WindowProc;
  form->WindowProc = ui::TWndMethod(&corner, &TCornerPresses::Proc);
  POINT p = sb->ClientToScreen({w - 2, h - 2});
  SendMessageW(sb->Handle(), WM_NCLBUTTONDOWN, HTBOTTOMRIGHT, MAKELPARAM(p.x, p.y));
  ui::test::PumpUntil([&] { return corner.presses > 0; }, 2000);
  EXPECT_EQ(corner.presses, 1);
  form->WindowProc = corner.inner;

  sb->SetSizeGrip(false);
  EXPECT_EQ(hit(w - 2, h - 2), HTCLIENT);
  sb->SetSizeGrip(true);
  // Not at the form's corner: no grip.
  sb->SetAlign(ui::TAlign::alTop);
  EXPECT_FALSE(sb->GripShown());
  EXPECT_EQ(hit(w - 2, h - 2), HTCLIENT);
  sb->SetAlign(ui::TAlign::alBottom);
  EXPECT_TRUE(sb->GripShown());

  form->SetWindowState(ui::TWindowState::wsMaximized);
  ui::test::PumpUntil([&] { return IsZoomed(form->Handle()) != 0; }, 2000);
  ASSERT_TRUE(IsZoomed(form->Handle()));
  EXPECT_FALSE(sb->GripShown());
  EXPECT_EQ(hit(sb->ClientWidth() - 2, sb->ClientHeight() - 2), HTCLIENT);
  form->SetWindowState(ui::TWindowState::wsNormal);
  ui::test::PumpUntil([&] { return !IsZoomed(form->Handle()); }, 2000);
  EXPECT_TRUE(sb->GripShown());
}

}  // namespace
}  // namespace movra::skin
