// The drag, sizing and close-button loops driven by injected input in real windows. Each
// script plays on a thread of its own while the test's thread handles messages, so the loops
// run as they do for a user; a watchdog breaks any loop that does not end.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>

#include "tests/runtime/ui/ui_test_support.h"
#include "tests/toolbars/dock_test_support.h"
#include "toolbars/bar_drag.h"

using namespace movra::bars;
using namespace movra::bars::test;

using movra::ui::test::Pump;
using movra::ui::test::PumpUntil;

namespace {

// A shown form with one bar on its top dock, in front, kept visible when inactive.
struct LoopForm : TDockForm {
  TTestBar* Bar;
  explicit LoopForm(const std::function<TTestBar*(movra::ui::TComponent*)>& make = {}) {
    Form->Show();
    SetForegroundWindow(Form->Handle());
    Bar = make ? make(Form) : new TTestBar(Form, 120, 22);
    Bar->SetName("Bar1");
    Bar->SetCaption("Tools");
    Bar->SetHideWhenInactive(false);
    Bar->SetFloatingPosition({700, 200});
    Bar->SetParent(Top);
    Pump();
  }
  // A point on the drag handle of the docked bar.
  POINT Grip() const {
    RECT r = WindowRect(Bar->Handle());
    return {r.left + 4, r.top + 10};
  }
  HWND FloatingHandle() const { return Bar->FloatingParent() ? Bar->FloatingParent()->Handle() : nullptr; }
  // A point in the floating caption, clear of the close button.
  POINT Caption() const {
    RECT frame = WindowRect(FloatingHandle());
    RECT caption = Bar->FloatingParent()->CaptionRect();
    return {frame.left + caption.left + 10, frame.top + (caption.top + caption.bottom) / 2};
  }
};

SIZE FloatingFrameSize(TBarCustomDockableWindow* bar, SIZE client) {
  SIZE border{0, 0};
  bar->FloatingBorderSize(border);
  return {client.cx + 2 * border.cx, client.cy + 2 * border.cy + GetSystemMetrics(SM_CYSMCAPTION) - 1};
}

}  // namespace

TEST(DragLoop, ADockedBarDraggedAcrossTheFormToAnotherDockJoinsItAndKeepsItsWindow) {
  LoopForm f;
  HWND window = f.Bar->Handle();
  const POINT grip = f.Grip();
  const RECT bottom = WindowRect(f.Bottom->Handle());  // empty: no height yet
  const POINT drop{bottom.left + 150, bottom.top - 6};
  TMouseScript script;
  script.MoveTo(grip);
  script.Down();
  script.MoveTo({grip.x + 60, grip.y + 120});  // over the form, far from every dock: floating
  script.MoveTo(drop);
  script.Up();
  Play(script);

  EXPECT_EQ(f.Bar->CurrentDock(), f.Bottom);
  EXPECT_TRUE(f.Bar->Docked());
  EXPECT_EQ(f.Bar->Handle(), window);
  EXPECT_EQ(GetParent(window), f.Bottom->Handle());
  EXPECT_EQ(f.Bar->DockRow(), 0);
  EXPECT_EQ(f.Bar->LastDock(), f.Bottom);
  // Grabbed 4 pixels into the window: it lies 4 pixels left of where the cursor let go.
  EXPECT_EQ(WindowRect(window).left, drop.x - 4);
  EXPECT_EQ(f.Bar->DockPos(), drop.x - 4 - bottom.left);
  EXPECT_EQ(f.Top->Height(), 0);
  EXPECT_EQ(f.Bottom->Height(), 26);
  // The floating parent it passed through on the way is gone.
  EXPECT_EQ(f.Bar->FloatingParent(), nullptr);
  EXPECT_FALSE(f.Bar->Dragging());
}

TEST(DragLoop, ALiveDragKeepsTheRowsAndPositionsItShowedOnRelease) {
  // Bars 130, 90 and 90 long in a row of 500, at 0, 200 and 350.
  LoopForm f;
  ASSERT_TRUE(f.Bar->SmoothDrag());
  TTestBar* b2 = f.AddBar(f.Top, 80, 22, 0, 200, "Bar2");
  TTestBar* b3 = f.AddBar(f.Top, 80, 22, 0, 350, "Bar3");
  Pump();
  ASSERT_EQ(b3->Left(), 350);
  const int dockTop = WindowRect(f.Top->Handle()).top;
  // Grabbed 4 pixels in and 10 down, moved by (dx, dy) with a stop half way.
  auto drag = [](TTestBar* bar, int dx, int dy) {
    const RECT r = WindowRect(bar->Handle());
    const POINT grip{r.left + 4, r.top + 10};
    TMouseScript script;
    NewClick(script);
    script.MoveTo(grip);
    script.Down();
    script.MoveTo({grip.x + dx / 2, grip.y + dy / 2});
    script.MoveTo({grip.x + dx, grip.y + dy});
    script.Up();
    Play(script);
  };

  // Moved 100 to the left, the third bar pushes the second 40 pixels along.
  drag(b3, -100, 0);
  EXPECT_EQ(b3->Left(), 250);
  EXPECT_EQ(b3->DockPos(), 250);
  EXPECT_EQ(b2->Left(), 160);
  EXPECT_EQ(b2->DockPos(), 160);
  EXPECT_EQ(f.Bar->Left(), 0);

  // Let go in the upper quarter of the row: a row of its own above the others.
  drag(b2, 0, -(WindowRect(b2->Handle()).top - dockTop) - 15);
  EXPECT_EQ(b2->DockRow(), 0);
  EXPECT_EQ(f.Bar->DockRow(), 1);
  EXPECT_EQ(b3->DockRow(), 1);
  EXPECT_EQ(b2->Top(), 0);
  EXPECT_EQ(b3->Top(), 26);
  EXPECT_EQ(f.Top->Height(), 52);

  // Let go where the two rows meet: a new row between them.
  drag(b3, 0, -13);
  EXPECT_EQ(b2->DockRow(), 0);
  EXPECT_EQ(b3->DockRow(), 1);
  EXPECT_EQ(f.Bar->DockRow(), 2);
  EXPECT_EQ(b3->Top(), 26);
  EXPECT_EQ(f.Bar->Top(), 52);
  EXPECT_EQ(b3->Left(), 250);
  EXPECT_EQ(f.Top->Height(), 78);
  EXPECT_EQ(f.Top->DraggedBar(), nullptr);
}

TEST(DragLoop, ABarDraggedOffItsDockFloatsControlKeepsItFloatingAndItsCaptionDocksItAgain) {
  LoopForm f;
  HWND window = f.Bar->Handle();
  const POINT grip = f.Grip();
  const RECT bar = WindowRect(window);
  const SIZE reference{bar.right - bar.left - 1, bar.bottom - bar.top - 1};
  const POINT target{800, 500};
  TMouseScript script;
  script.MoveTo(grip);
  script.Down();
  script.MoveTo({650, 450});
  script.MoveTo(target);
  script.Up();
  Play(script);

  ASSERT_TRUE(f.Bar->Floating());
  EXPECT_EQ(f.Bar->Handle(), window);
  HWND floating = f.FloatingHandle();
  EXPECT_EQ(GetParent(window), floating);
  const SIZE frame = FloatingFrameSize(f.Bar, {120, 22});
  RECT placed = WindowRect(floating);
  EXPECT_EQ(placed.right - placed.left, frame.cx);
  EXPECT_EQ(placed.bottom - placed.top, frame.cy);
  // The grab point keeps its share of the window.
  EXPECT_EQ(placed.left, target.x - MulDiv(frame.cx - 1, grip.x - bar.left, reference.cx));
  EXPECT_EQ(placed.top, target.y - MulDiv(frame.cy - 1, grip.y - bar.top, reference.cy));
  EXPECT_EQ(f.Bar->DockRow(), 0);  // a floating window keeps the row it was dragged from
  EXPECT_EQ(f.Top->Height(), 0);

  // Held Control: over the top dock the window stays floating.
  const RECT top = WindowRect(f.Top->Handle());
  const POINT overTop{top.left + 200, top.top + 5};
  POINT caption = f.Caption();
  TMouseScript held;
  NewClick(held);
  held.MoveTo(caption);
  held.Down();
  held.MoveTo({caption.x - 20, caption.y - 40});
  held.PostKey(window, VK_CONTROL, true);
  held.MoveTo(overTop);
  held.Up();
  held.PostKey(window, VK_CONTROL, false);
  Play(held);
  ASSERT_TRUE(f.Bar->Floating());
  EXPECT_EQ(f.FloatingHandle(), floating);
  EXPECT_EQ(f.Top->Height(), 0);
  EXPECT_LT(WindowRect(floating).top, overTop.y);

  // Without it the caption drags the window back into the dock.
  caption = f.Caption();
  TMouseScript back;
  NewClick(back);
  back.MoveTo(caption);
  back.Down();
  back.MoveTo({caption.x + 30, caption.y + 60});
  back.MoveTo(overTop);
  back.Up();
  Play(back);
  EXPECT_TRUE(f.Bar->Docked());
  EXPECT_EQ(f.Bar->CurrentDock(), f.Top);
  EXPECT_EQ(GetParent(window), f.Top->Handle());
  EXPECT_EQ(f.Top->Height(), 26);
  EXPECT_EQ(f.Bar->FloatingParent(), nullptr);
  EXPECT_TRUE(PumpUntil([&] { return !IsWindow(floating); }, 2000));
}

TEST(DragLoop, EscapeEndsAFrameDragWithTheFrameErasedAndNothingMoved) {
  LoopForm f;
  f.Bar->SetSmoothDrag(false);
  auto* neighbour = f.AddBar(f.Top, 80, 22, 0, 200, "Bar2");
  Pump();
  HWND window = f.Bar->Handle();
  const POINT grip = f.Grip();
  const RECT bar = WindowRect(window);
  const RECT before = bar;
  const POINT target{800, 500};
  // Where the frame of a floating target lies: the floating size placed at the grab point.
  const SIZE frame = FloatingFrameSize(f.Bar, {120, 22});
  const RECT expected = PlaceAtGrab(target, frame, {grip.x - bar.left, grip.y - bar.top},
                                    {bar.right - bar.left - 1, bar.bottom - bar.top - 1});
  const POINT edge{expected.left + 8, expected.top};
  std::vector<COLORREF> clear, during, after;
  TMouseScript script;
  script.MoveTo(grip);
  script.Do([&] { clear = ScreenPixels(edge, 24); });
  script.Down();
  script.MoveTo({650, 450});
  script.MoveTo(target);
  script.Wait(300);
  script.Do([&] { during = ScreenPixels(edge, 24); });
  script.PostKey(window, VK_ESCAPE, true);
  script.Wait(300);
  script.Do([&] { after = ScreenPixels(edge, 24); });
  script.Up();
  script.PostKey(window, VK_ESCAPE, false);
  Play(script);

  // A halftone frame inverts every other pixel of its ring.
  EXPECT_GE(Differing(clear, during), 8) << "no drag frame on the screen";
  EXPECT_EQ(Differing(clear, after), 0) << "the frame was left behind";
  EXPECT_TRUE(f.Bar->Docked());
  EXPECT_EQ(f.Bar->CurrentDock(), f.Top);
  EXPECT_EQ(f.Bar->FloatingParent(), nullptr);
  RECT now = WindowRect(window);
  EXPECT_TRUE(EqualRect(&now, &before) != FALSE);
  EXPECT_EQ(f.Bar->DockRow(), 0);
  EXPECT_EQ(f.Bar->DockPos(), 0);
  EXPECT_EQ(neighbour->Left(), 200);
  EXPECT_EQ(f.Top->DraggedBar(), nullptr);
}

TEST(DragLoop, AFrameDragDropsOnReleaseAndABarThatCannotFloatStaysPut) {
  LoopForm f;
  f.Bar->SetSmoothDrag(false);
  HWND window = f.Bar->Handle();
  const POINT grip = f.Grip();
  const RECT bottom = WindowRect(f.Bottom->Handle());
  const POINT drop{bottom.left + 100, bottom.top - 6};
  TMouseScript script;
  script.MoveTo(grip);
  script.Down();
  script.MoveTo({grip.x + 60, grip.y + 120});
  script.MoveTo(drop);
  script.Up();
  Play(script);
  EXPECT_EQ(f.Bar->CurrentDock(), f.Bottom);
  EXPECT_EQ(GetParent(window), f.Bottom->Handle());
  EXPECT_EQ(WindowRect(window).left, drop.x - 4);

  // Nowhere to dock and no floating: the no-drop cursor, and releasing changes nothing.
  f.Bar->SetDockMode(TBarDockMode::dmCannotFloat);
  const RECT placed = WindowRect(window);
  const POINT grip2{placed.left + 4, placed.top + 10};
  struct Watch {
    std::atomic<bool> away{false}, released{false};
    HCURSOR shown = nullptr;
  };
  auto watch = std::make_shared<Watch>();
  TMouseScript refused;
  NewClick(refused);
  refused.MoveTo(grip2);
  refused.Down();
  refused.MoveTo({800, 400});
  refused.Do([watch] { watch->away = true; });
  refused.Wait(200);
  refused.Do([watch] { watch->released = true; });
  refused.Up();
  movra::ui::test::After(30, [watch] {
    // The loop's thread shows the cursor.
    if (watch->away && !watch->released) watch->shown = GetCursor();
    return !watch->released;
  });
  Play(refused);
  EXPECT_EQ(watch->shown, LoadCursorW(nullptr, IDC_NO));
  EXPECT_EQ(f.Bar->CurrentDock(), f.Bottom);
  RECT now = WindowRect(window);
  EXPECT_TRUE(EqualRect(&now, &placed) != FALSE);
  EXPECT_EQ(f.Bar->FloatingParent(), nullptr);
}

TEST(DragLoop, TheLoopsEndOnQuitWhichTheyPostAgainAndWhenTheCaptureIsLost) {
  LoopForm f;
  HWND window = f.Bar->Handle();
  const DWORD thread = GetCurrentThreadId();
  std::atomic<bool> released{false};
  bool endedBeforeRelease = false;
  WPARAM quitCode = 0;
  bool quitSeen = false;
  const POINT grip = f.Grip();
  {
    TWatchdog dog(10000);
    TMouseScript script;
    script.MoveTo(grip);
    script.Down();
    script.MoveTo({grip.x + 200, grip.y + 150});
    script.Do([thread] { PostThreadMessageW(thread, WM_QUIT, 7, 0); });
    script.Wait(500);
    script.Do([&] { released = true; });
    script.Up();
    script.Start();
    // The application's own pump would stop at WM_QUIT: this one notes it and goes on.
    const DWORD start = GetTickCount();
    while (!script.Done() && GetTickCount() - start < 12000) {
      MSG msg;
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
          quitSeen = true;
          quitCode = msg.wParam;
          endedBeforeRelease = !released && !f.Bar->Dragging() && GetCapture() == nullptr;
          continue;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
      Sleep(2);
    }
    EXPECT_TRUE(script.Done());
    EXPECT_FALSE(dog.Fired());
  }
  EXPECT_TRUE(quitSeen);
  EXPECT_EQ(quitCode, 7u);
  EXPECT_TRUE(endedBeforeRelease);
  EXPECT_FALSE(f.Bar->Dragging());
  EXPECT_EQ(f.Bar->Handle(), window);

  // The sizing loop of the (now floating) window ends when something takes its capture away.
  ASSERT_TRUE(f.Bar->Floating());
  Pump();
  HWND floating = f.FloatingHandle();
  RECT frame = WindowRect(floating);
  const POINT edge{frame.right - 2, (frame.top + frame.bottom) / 2};
  struct Watch {
    std::atomic<bool> released{false};
    bool sizing = false;
    bool endedBeforeRelease = false;
  };
  auto watch = std::make_shared<Watch>();
  TMouseScript lost;
  NewClick(lost);
  lost.MoveTo(edge);
  lost.Down();
  lost.MoveTo({edge.x + 30, edge.y});
  lost.Do([window] { PostMessageW(window, WM_CANCELMODE, 0, 0); });
  lost.Wait(500);
  lost.Do([watch] { watch->released = true; });
  lost.Up();
  movra::ui::test::After(50, [watch, window] {
    // Runs inside the sizing loop while it lasts, and on after it.
    if (GetCapture() == window) watch->sizing = true;
    if (watch->sizing && GetCapture() == nullptr && !watch->released) {
      watch->endedBeforeRelease = true;
      return false;
    }
    return !watch->released;
  });
  Play(lost);
  EXPECT_TRUE(watch->sizing);
  EXPECT_TRUE(watch->endedBeforeRelease);
  // What the smooth sizing reached before the capture went stays.
  EXPECT_EQ(WindowRect(floating).right, frame.right + 30);
}

TEST(SizingLoop, DraggingAnEdgeSizesTheFloatingWindowAndEscapeKeepsTheSizeSoFar) {
  LoopForm f;
  f.Bar->SetFloating(true);
  Pump();
  HWND floating = f.FloatingHandle();
  const RECT start = WindowRect(floating);
  const POINT edge{start.right - 2, (start.top + start.bottom) / 2};
  ASSERT_EQ(SendMessageW(floating, WM_NCHITTEST, 0, MAKELPARAM(edge.x, edge.y)), HTRIGHT);
  TMouseScript script;
  script.MoveTo(edge);
  script.Down();
  script.MoveTo({edge.x + 20, edge.y + 5});
  script.MoveTo({edge.x + 40, edge.y + 9});
  script.Up();
  Play(script);
  RECT r = WindowRect(floating);
  EXPECT_EQ(r.left, start.left);
  EXPECT_EQ(r.right, start.right + 40);
  EXPECT_EQ(r.top, start.top);  // the right edge leaves the height alone
  EXPECT_EQ(r.bottom, start.bottom);
  EXPECT_EQ(f.Bar->Width(), 160);  // the window fills the parent's client area
  EXPECT_EQ(f.Bar->Height(), 22);

  // The bottom-left corner, then Escape: a live sizing keeps what it reached.
  const POINT corner{r.left + 1, r.bottom - 2};
  ASSERT_EQ(SendMessageW(floating, WM_NCHITTEST, 0, MAKELPARAM(corner.x, corner.y)), HTBOTTOMLEFT);
  TMouseScript cancelled;
  NewClick(cancelled);
  cancelled.MoveTo(corner);
  cancelled.Down();
  cancelled.MoveTo({corner.x - 30, corner.y + 12});
  cancelled.PostKey(f.Bar->Handle(), VK_ESCAPE, true);
  cancelled.MoveTo({corner.x - 60, corner.y + 40});
  cancelled.Up();
  Play(cancelled);
  RECT s = WindowRect(floating);
  EXPECT_EQ(s.left, r.left - 30);
  EXPECT_EQ(s.right, r.right);
  EXPECT_EQ(s.bottom, r.bottom + 12);
  EXPECT_EQ(f.Bar->Width(), 190);
  EXPECT_EQ(f.Bar->Height(), 34);
}

namespace {

// A bar that will not be narrower than 100 pixels.
class TLimitedBar : public TTestBar {
 public:
  using TTestBar::TTestBar;
  std::vector<std::string> Calls;
  void SizingLimits(int& minWidth, int&, int&, int&) override { minWidth = 100; }
  void SizingBegin(int edge) override { Calls.push_back("begin " + std::to_string(edge)); }
  void SizingEnd() override { Calls.push_back("end"); }
  void SizingApply() override { Calls.push_back("apply"); }
};

}  // namespace

TEST(SizingLoop, AFrameSizingStopsAtTheMinimumWithTheDraggedEdgeGivingWay) {
  TLimitedBar* bar = nullptr;
  LoopForm f([&](movra::ui::TComponent* owner) { return bar = new TLimitedBar(owner, 120, 22); });
  bar->SetSmoothDrag(false);
  bar->SetFloating(true);
  Pump();
  HWND floating = f.FloatingHandle();
  const RECT start = WindowRect(floating);
  const POINT edge{start.left + 1, (start.top + start.bottom) / 2};
  ASSERT_EQ(SendMessageW(floating, WM_NCHITTEST, 0, MAKELPARAM(edge.x, edge.y)), HTLEFT);
  // The frame's left edge can go no further than 20 pixels in: the window's minimum. Moving
  // the frame inverts only where the old and the new one differ: along the top, the 20
  // pixels it left are clear again and the rest still shows it.
  const POINT top{start.left, start.top + 1};
  std::vector<COLORREF> clear, during;
  RECT whileSizing{};
  TMouseScript script;
  script.MoveTo(edge);
  script.Do([&] { clear = ScreenPixels(top, 32); });
  script.Down();
  script.MoveTo({edge.x + 80, edge.y});
  script.Wait(300);
  script.Do([&] {
    during = ScreenPixels(top, 32);
    GetWindowRect(floating, &whileSizing);
  });
  script.Up();
  Play(script);
  EXPECT_TRUE(EqualRect(&whileSizing, &start) != FALSE) << "a frame sizing moved the window early";
  ASSERT_EQ(during.size(), 32u);
  EXPECT_EQ(Differing({clear.begin(), clear.begin() + 20}, {during.begin(), during.begin() + 20}), 0);
  EXPECT_GE(Differing({clear.begin() + 20, clear.end()}, {during.begin() + 20, during.end()}), 5)
      << "no sizing frame on the screen";
  RECT r = WindowRect(floating);
  EXPECT_EQ(r.left, start.left + 20);
  EXPECT_EQ(r.right, start.right);
  EXPECT_EQ(bar->Width(), 100);
  EXPECT_EQ(bar->Calls, (std::vector<std::string>{"begin 0", "apply", "end"}));
}

TEST(CloseButtonLoop, TheCloseButtonClosesOnlyWhenReleasedOverIt) {
  LoopForm f;
  std::vector<std::string> log;
  struct Closer : movra::ui::TObject {
    std::vector<std::string>* log;
    void Closed(TObject*) { log->push_back("close"); }
  } closer;
  closer.log = &log;
  f.Bar->OnClose = movra::ui::TNotifyEvent(&closer, &Closer::Closed);
  f.Bar->SetFloating(true);
  Pump();
  TBarFloatingWindowParent* fp = f.Bar->FloatingParent();
  RECT frame = WindowRect(fp->Handle());
  RECT close = fp->CloseButtonRect();
  OffsetRect(&close, frame.left, frame.top);
  bool pressedInside = false, pressedOutside = true;
  TMouseScript away;
  away.MoveTo(Centre(close));
  away.Down();
  away.Wait(150);
  away.Do([&] { pressedInside = fp->CloseButtonPressed(); });
  away.MoveTo({close.left - 40, close.top + 30});
  away.Wait(150);
  away.Do([&] { pressedOutside = fp->CloseButtonPressed(); });
  away.Up();
  Play(away);
  EXPECT_TRUE(pressedInside);
  EXPECT_FALSE(pressedOutside);  // the pressed state follows the cursor
  EXPECT_TRUE(f.Bar->Visible());
  EXPECT_TRUE(IsWindowVisible(fp->Handle()));
  EXPECT_FALSE(fp->CloseButtonPressed());
  EXPECT_TRUE(log.empty());

  TMouseScript over;
  NewClick(over);
  over.MoveTo(Centre(close));
  over.Down();
  over.Up();
  Play(over);
  EXPECT_TRUE(PumpUntil([&] { return !f.Bar->Visible(); }, 2000));
  EXPECT_FALSE(IsWindowVisible(fp->Handle()));
  EXPECT_EQ(log, std::vector<std::string>{"close"});

  // Docked, with the close button in the drag handle.
  log.clear();
  f.Bar->Show();
  f.Bar->SetCurrentDock(f.Top);
  f.Bar->SetCloseButtonWhenDocked(true);
  Pump();
  RECT button;
  f.Bar->CloseButtonRect(false, button);
  RECT bar = WindowRect(f.Bar->Handle());
  OffsetRect(&button, bar.left, bar.top);
  TMouseScript docked;
  NewClick(docked);
  docked.MoveTo(Centre(button));
  docked.Down();
  docked.Up();
  Play(docked);
  EXPECT_TRUE(PumpUntil([&] { return !f.Bar->Visible(); }, 2000));
  EXPECT_EQ(log, std::vector<std::string>{"close"});
  EXPECT_FALSE(IsWindowVisible(f.Bar->Handle()));
}

TEST(DragLoop, ABarDraggedAlongItsOverflowingRowSplitsItAfterNinePixels) {
  LoopForm f([](movra::ui::TComponent* owner) {
    auto* chevron = new TTestBar(owner, 300, 22);
    chevron->Mode = TBarShrinkMode::tbsmChevron;
    chevron->Shrunk = 60;
    return chevron;
  });
  TTestBar* other = f.AddBar(f.Top, 250, 22, 0, 320, "Bar2");
  Pump();
  // 310 + 260 pixels in a row of 500: the chevron bar gives way.
  ASSERT_EQ(other->EffectiveRow(), 0);
  ASSERT_EQ(f.Bar->Width(), 240);
  ASSERT_EQ(other->Left(), 240);
  const RECT r = WindowRect(other->Handle());
  const POINT grip{r.left + 4, r.top + 10};

  struct Watch {
    std::atomic<bool> released{false};
    bool splitting = false;
    HCURSOR shown = nullptr;
  };
  auto drag = [&](int along) {
    auto watch = std::make_shared<Watch>();
    TMouseScript script;
    NewClick(script);
    script.MoveTo(grip);
    script.Down();
    script.MoveTo({grip.x + along / 2, grip.y});
    script.MoveTo({grip.x + along, grip.y + 1});
    script.Wait(150);
    script.Do([watch] { watch->released = true; });
    script.Up();
    TBarDock* dock = f.Top;
    movra::ui::test::After(30, [watch, dock] {
      if (dock->DragSplitting()) {
        watch->splitting = true;
        watch->shown = GetCursor();
      }
      return !watch->released;
    });
    Play(script);
    return watch;
  };
  auto small = drag(6);
  EXPECT_FALSE(small->splitting);
  auto wide = drag(-30);
  EXPECT_TRUE(wide->splitting);
  EXPECT_EQ(wide->shown, LoadCursorW(nullptr, IDC_SIZEWE));
  // Splitting lives for one drag: the row is whole again and the bar stays in it.
  EXPECT_FALSE(f.Top->DragSplitting());
  EXPECT_EQ(f.Top->DraggedBar(), nullptr);
  EXPECT_TRUE(other->Docked());
  EXPECT_EQ(other->EffectiveRow(), 0);
  EXPECT_EQ(f.Bar->EffectiveRow(), 0);
  EXPECT_EQ(f.Top->Height(), 26);
}
