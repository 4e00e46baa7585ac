// The panels' modal drags driven by injected input in real windows: the splitter between the
// main window's two panels, the sizing edge, the close button. Each script plays on a thread of
// its own while the test's thread handles messages; a watchdog breaks any loop that does not end.
#include <gtest/gtest.h>

#include <functional>

#include "tests/runtime/ui/ui_test_support.h"
#include "tests/themes/skin_panels_test_support.h"
#include "tests/toolbars/dock_test_support.h"
#include "toolbars/bar_drag.h"

namespace movra::skin {
namespace {

using bars::test::NewClick;
using bars::test::Play;
using bars::test::TMouseScript;
using test::ScreenRect;
using test::TPanelForm;
using ui::test::After;
using ui::test::Pump;

// What the panels' events reported.
struct Recorder : ui::TObject {
  std::vector<bool> stages;  // true for the beginning, false for the end
  bool closed = false;
  void Resizing(ui::TObject*, bool vertical, int&, TSkinResizingStage stage, bool&) {
    EXPECT_FALSE(vertical);
    if (stage != TSkinResizingStage::rsResizing) stages.push_back(stage == TSkinResizingStage::rsBeginResizing);
  }
  void Closed(ui::TObject*) { closed = true; }
};

// Plays one drag from `from` to `to` as a click of its own; `there` runs on the script's thread
// once the pointer is at `to`; with `escapeTo`, an Escape (press or release as `escapeDown`
// says) is posted to that window before the button goes up.
void PlayDrag(POINT from, POINT to, const std::function<void()>& there = {}, HWND escapeTo = nullptr,
              bool escapeDown = true) {
  TMouseScript script;
  NewClick(script);
  script.MoveTo(from);
  script.Down();
  script.MoveTo(to);
  if (there) script.Do(there);
  if (escapeTo) {
    script.PostKey(escapeTo, VK_ESCAPE, escapeDown);
    script.Wait(100);
  }
  script.Up();
  Play(script);
}

struct ShownPanels : TPanelForm {
  ShownPanels() {
    Profiles->SetHideWhenInactive(false);
    Log->SetHideWhenInactive(false);
    Show();
    Pump();
  }
  // A point on the splitter between the two: the first panel's bottom edge.
  POINT Splitter() const {
    const RECT r = ScreenRect(Profiles->Handle());
    return {r.left + 60, r.bottom - 1};
  }
};

TEST(PanelLoops, DraggingTheSplitterDownMovesBothPanelsLiveAndKeepsTheirNewSplitSizes) {
  ShownPanels f;
  const POINT at = f.Splitter();
  ASSERT_EQ(f.Profiles->Perform(WM_NCHITTEST, 0, MAKELPARAM(at.x, at.y)), HT_SPLIT_BOTTOM);
  int seenDuring = 0;
  TMouseScript script;
  script.MoveTo(at);
  script.Down();
  script.MoveTo({at.x, at.y + 15});
  script.MoveTo({at.x + 40, at.y + 30});  // only the move along the stack counts
  script.Do([&] { seenDuring = f.Profiles->InSplitDrag() ? 1 : -1; });
  script.Up();
  Play(script);
  EXPECT_EQ(seenDuring, 1);
  EXPECT_FALSE(f.Profiles->InSplitDrag());
  EXPECT_EQ(f.Profiles->Height(), 270);
  EXPECT_EQ(f.Log->Top(), 270);
  EXPECT_EQ(f.Log->Height(), 157);
  EXPECT_EQ(f.Profiles->SplitHeight(), 270);
  EXPECT_EQ(f.Log->SplitHeight(), 157);

  // From the lower panel's top edge, upwards; the upper panel stops at its minimum.
  f.Profiles->SetMinClientHeight(200);
  const int least = 200 + 4 + GetSystemMetrics(SM_CYSMCAPTION);
  const RECT log = ScreenRect(f.Log->Handle());
  const POINT top{log.left + 60, log.top};
  ASSERT_EQ(f.Log->Perform(WM_NCHITTEST, 0, MAKELPARAM(top.x, top.y)), HT_SPLIT_TOP);
  TMouseScript up;
  NewClick(up);
  up.MoveTo(top);
  up.Down();
  up.MoveTo({top.x, top.y - 100});
  up.Up();
  Play(up);
  EXPECT_EQ(f.Profiles->Height(), least);
  EXPECT_EQ(f.Log->Height(), 427 - least);
}

TEST(PanelLoops, ABarDragIsAppliedAtTheEndAndEscapeLeavesTheSplitAsItWas) {
  ShownPanels f;
  f.Profiles->SetSmoothDockedResize(false);
  const POINT at = f.Splitter();
  int heightDuring = 0;
  PlayDrag(at, {at.x, at.y + 40}, [&] { heightDuring = f.Profiles->Height(); }, f.Profiles->Handle());
  EXPECT_EQ(heightDuring, 240);  // only the bar moved
  EXPECT_EQ(f.Profiles->Height(), 240);
  EXPECT_EQ(f.Log->Height(), 187);

  PlayDrag(at, {at.x, at.y - 40});
  EXPECT_EQ(f.Profiles->Height(), 200);
  EXPECT_EQ(f.Log->Height(), 227);
}

TEST(PanelLoops, TheInnerEdgeSizesTheDocksBreadthAndALostCaptureRestoresIt) {
  ShownPanels f;
  const RECT r = ScreenRect(f.Profiles->Handle());
  const POINT edge{r.right - 1, r.top + 100};
  ASSERT_EQ(f.Profiles->Perform(WM_NCHITTEST, 0, MAKELPARAM(edge.x, edge.y)), HTRIGHT);
  Recorder recorder;
  f.Profiles->OnDockedResizing = TSkinDockedResizing(&recorder, &Recorder::Resizing);
  TMouseScript script;
  script.MoveTo(edge);
  script.Down();
  script.MoveTo({edge.x + 10, edge.y});
  script.MoveTo({edge.x + 20, edge.y + 5});
  script.Up();
  Play(script);
  EXPECT_EQ(recorder.stages, (std::vector<bool>{true, false}));
  EXPECT_EQ(f.Profiles->DockedWidth(), 148);
  EXPECT_EQ(f.Dock->Width(), 152);
  EXPECT_EQ(f.Log->Width(), 152);  // the other panel follows the breadth

  // The capture taken away in the middle: everything as before the drag.
  TMouseScript lost;
  NewClick(lost);
  const POINT again{edge.x + 20, edge.y};
  lost.MoveTo(again);
  lost.Down();
  lost.MoveTo({again.x + 30, again.y});
  lost.Wait(300);
  lost.Up();
  // Watches from this thread's timer, inside the loop, until the drag has moved the edge.
  int widthWhenTaken = 0;
  After(20, [&] {
    if (!f.Profiles->InEdgeDrag() || f.Profiles->DockedWidth() < 178) return true;
    widthWhenTaken = f.Profiles->DockedWidth();
    ReleaseCapture();
    return false;
  });
  Play(lost);
  EXPECT_EQ(widthWhenTaken, 178);
  EXPECT_FALSE(f.Profiles->InEdgeDrag());
  EXPECT_EQ(f.Profiles->DockedWidth(), 148);
  EXPECT_EQ(f.Dock->Width(), 152);
}

TEST(PanelLoops, EscapeDuringABarEdgeDragLeavesTheSizeAndAReleaseAppliesIt) {
  ShownPanels f;
  f.Profiles->SetSmoothDockedResize(false);
  const RECT r = ScreenRect(f.Profiles->Handle());
  const POINT edge{r.right - 1, r.top + 100};
  int widthDuring = 0;
  // A key release cancels too.
  PlayDrag(edge, {edge.x + 25, edge.y}, [&] { widthDuring = f.Dock->Width(); }, f.Profiles->Handle(), false);
  EXPECT_EQ(widthDuring, 132);  // only the bar moved
  EXPECT_EQ(f.Profiles->DockedWidth(), 128);
  EXPECT_EQ(f.Dock->Width(), 132);

  PlayDrag(edge, {edge.x + 25, edge.y});
  EXPECT_EQ(f.Profiles->DockedWidth(), 153);
  EXPECT_EQ(f.Dock->Width(), 157);
}

TEST(PanelLoops, AFrameDragOverAnotherDockShowsThePanelsOwnFrameThere) {
  ShownPanels f;
  auto* top = new TSkinMultiDock(f.Form);
  top->SetName("TopDock");
  top->SetPosition(bars::TBarDockPosition::dpTop);
  top->SetParent(f.Form);
  f.Profiles->SetSmoothDrag(false);
  // No drag handle: a frame made of one would be far narrower than the panel's caption.
  f.Profiles->SetCloseButtonWhenDocked(false);
  f.Profiles->SetDragHandleStyle(bars::TBarDragHandleStyle::dhNone);
  Pump();
  const RECT panel = ScreenRect(f.Profiles->Handle());
  const POINT grip{panel.left + 20, panel.top + 8};
  ASSERT_EQ(f.Profiles->Perform(WM_NCHITTEST, 0, MAKELPARAM(grip.x, grip.y)), bars::HT_BAR_DRAGHANDLE);
  const RECT dock = ScreenRect(top->Handle());
  const POINT over{dock.left + 350, dock.top - 2};
  // On a top dock the caption turns to the left edge: with it the frame spans the dock.
  const RECT expected = bars::PlaceAtGrab(over, {dock.right - dock.left, f.Profiles->DockedHeight() + 4},
                                          {grip.x - panel.left, grip.y - panel.top},
                                          {panel.right - panel.left - 1, panel.bottom - panel.top - 1});
  const POINT from{expected.left - 8, expected.top};
  const int count = static_cast<int>(expected.right - expected.left) + 16;
  std::vector<COLORREF> clear, during;
  TMouseScript script;
  script.MoveTo(grip);
  script.Do([&] { clear = bars::test::ScreenPixels(from, count); });
  script.Down();
  script.MoveTo({over.x, over.y + 60});
  script.MoveTo(over);
  script.Wait(300);
  script.Do([&] { during = bars::test::ScreenPixels(from, count); });
  script.Up();
  Play(script);
  // The halftone frame inverts every other pixel of its top edge, from end to end.
  int first = -1, last = -1;
  for (int i = 0; i < count && i < static_cast<int>(during.size()); ++i)
    if (clear[static_cast<size_t>(i)] != during[static_cast<size_t>(i)]) {
      if (first < 0) first = i;
      last = i;
    }
  EXPECT_LE(std::abs(first - 8), 1);
  EXPECT_LE(std::abs(last - (count - 9)), 1);
  EXPECT_EQ(f.Profiles->CurrentDock(), top);
}

TEST(PanelLoops, TheLogPanelsCloseButtonHidesItAndTheProfilesTakeTheWholeDock) {
  ShownPanels f;
  Recorder recorder;
  f.Log->OnClose = ui::TNotifyEvent(&recorder, &Recorder::Closed);
  RECT button;
  f.Log->CloseButtonRect(false, button);
  const RECT r = ScreenRect(f.Log->Handle());
  const POINT at{r.left + (button.left + button.right) / 2, r.top + (button.top + button.bottom) / 2};
  TMouseScript script;
  script.MoveTo(at);
  script.Down();
  script.Up();
  Play(script);
  EXPECT_TRUE(recorder.closed);
  EXPECT_FALSE(f.Log->Visible());
  EXPECT_EQ(f.Profiles->Height(), 427);
}

}  // namespace
}  // namespace movra::skin
