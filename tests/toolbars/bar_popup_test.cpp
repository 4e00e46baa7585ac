// Popup menus on real windows: the tracking loop driven by posted keys, injected mouse input and
// posted timer messages from steps that run inside the loop, each loop under a watchdog.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <thread>
#include <string>
#include <vector>

#include "runtime/ui/forms.h"
#include "tests/support/support.h"
#include "tests/toolbars/dock_test_support.h"
#include "toolbars/bar_common.h"
#include "toolbars/bar_item.h"
#include "toolbars/bar_modal.h"
#include "toolbars/bar_popup.h"
#include "toolbars/bar_view.h"

namespace movra::bars {
namespace {

using movra::bars::test::ParkCursor;
using movra::bars::test::TWatchdog;
using movra::testing::SendMouseAt;
using movra::testing::TestPicture;

// Steps run one per tick of a thread timer, which the tracking loop dispatches; a waiting step
// is asked again at the next tick until it is satisfied.
class TSteps {
 public:
  TSteps() { current_ = this; }
  ~TSteps() {
    if (timer_) KillTimer(nullptr, timer_);
    current_ = nullptr;
  }
  TSteps& Do(std::function<void()> step) {
    steps_.push_back([step] {
      step();
      return true;
    });
    return *this;
  }
  TSteps& WaitFor(std::function<bool()> condition) {
    steps_.push_back(std::move(condition));
    return *this;
  }
  void Start() { timer_ = SetTimer(nullptr, 0, 25, &Tick); }
  bool Finished() const { return next_ == steps_.size(); }
  size_t Reached() const { return next_; }

 private:
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    TSteps* self = current_;
    if (!self || self->busy_ || self->Finished()) return;
    self->busy_ = true;
    if (self->steps_[self->next_]()) ++self->next_;
    self->busy_ = false;
  }
  static TSteps* current_;
  std::vector<std::function<bool()>> steps_;
  size_t next_ = 0;
  bool busy_ = false;
  UINT_PTR timer_ = 0;
};
TSteps* TSteps::current_ = nullptr;

bool CursorAt(POINT at) {
  POINT now;
  return GetCursorPos(&now) && now.x == at.x && now.y == at.y;
}
// The cursor is there, and the queue knows it: messages posted now carry that position.
bool SettledAt(POINT at) {
  const DWORD position = GetMessagePos();
  return CursorAt(at) && static_cast<short>(LOWORD(position)) == at.x && static_cast<short>(HIWORD(position)) == at.y;
}

// A release of the right button where the cursor is; a real one needs a press first, and
// that would count as a press in the menu.
void ReleaseRightButton() { PostMessageW(GetCapture(), WM_RBUTTONUP, 0, 0); }

void PostKey(HWND window, WORD key) {
  PostMessageW(window, WM_KEYDOWN, key, 1);
  PostMessageW(window, WM_KEYUP, key, 0xC0000001);
}

void Pump(int ms) {
  const DWORD end = GetTickCount() + static_cast<DWORD>(ms);
  while (static_cast<int>(end - GetTickCount()) > 0) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        PostQuitMessage(static_cast<int>(msg.wParam));
        return;
      }
      DispatchMessageW(&msg);
    }
    Sleep(5);
  }
}

// The visible popup windows of this thread, as the tracking loop left them.
std::vector<HWND> VisiblePopups() {
  std::vector<HWND> found;
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND window, LPARAM list) -> BOOL {
        wchar_t name[64] = {};
        GetClassNameW(window, name, 64);
        if (std::wstring(name) == L"MovraTBarPopupWindow" && IsWindowVisible(window))
          reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

RECT ScreenBounds(TBarView& view, TBarItemViewer& viewer) {
  const POINT a = view.ClientToScreen({viewer.BoundsRect.left, viewer.BoundsRect.top});
  const POINT b = view.ClientToScreen({viewer.BoundsRect.right, viewer.BoundsRect.bottom});
  return {a.x, a.y, b.x, b.y};
}
POINT CentreOf(TBarView& view, TBarItemViewer& viewer) {
  const RECT r = ScreenBounds(view, viewer);
  return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

// An item of fixed size, for popups whose geometry must not depend on the font.
class TallItem : public TBarItem {
 public:
  using TBarItem::TBarItem;
  TBarItemViewerClass ViewerClass() override { return ViewerClassOf<Viewer>(); }
  class Viewer : public TBarItemViewer {
   public:
    using TBarItemViewer::TBarItemViewer;
    void MeasureSize(ui::TCanvas&, int& width, int& height) override {
      width = 120;
      height = 20;
    }
  };
};

// An item whose painting prints its own window into a picture of its own first, once: a
// paint inside the window's paint, as an off-screen repaint of a changed layout would be.
class NestingItem : public TBarItem {
 public:
  explicit NestingItem(ui::TComponent* owner) : TBarItem(owner) { SetItemStyle(ItemStyle() & ~isSelectable); }
  TBarItemViewerClass ViewerClass() override { return ViewerClassOf<Viewer>(); }
  int nested = 0;
  class Viewer : public TBarItemViewer {
   public:
    using TBarItemViewer::TBarItemViewer;
    void Paint(ui::TCanvas& canvas, const RECT& rect, bool shadow, bool pushed, bool selected) override {
      auto* item = static_cast<NestingItem*>(Item());
      if (item->nested++ == 0) {
        HWND window = View()->Window()->Handle();
        RECT client;
        GetClientRect(window, &client);
        TestPicture inner(client.right, client.bottom);
        SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(inner.Dc()), PRF_CLIENT);
      }
      TBarItemViewer::Paint(canvas, rect, shadow, pushed, selected);
    }
  };
};

// An item that opens its children as a submenu.
class SubmenuItem : public TBarItem {
 public:
  explicit SubmenuItem(ui::TComponent* owner) : TBarItem(owner) { SetItemStyle(ItemStyle() | isSubmenu); }
};

struct PopupMenus : ::testing::Test {
  ui::TOwned<ui::TComponent> owner = ui::MakeOwned<ui::TComponent>(nullptr);
  TBarPopupMenu* menu = new TBarPopupMenu(owner.get());
  TBarItem* open = Add("&Open");
  TBarItem* save = Add("&Save");
  TBarItem* sub = Add("Mo&re", nullptr, true);
  TBarItem* one = Add("O&ne", sub);
  TBarItem* two = Add("&Two", sub);
  TBarItem* exitItem = Add("E&xit");
  std::vector<TBarCustomItem*> clicked;
  // Whether a popup window or the capture was still there when an item's command ran.
  bool popupLeftAtClick = false;
  bool captureLeftAtClick = false;
  TSteps steps;

  PopupMenus() : hardStop_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    // A loop that even the watchdog cannot end fails the test at once, not at the time limit.
    guard_ = std::thread([this] {
      if (WaitForSingleObject(hardStop_, 40000) == WAIT_TIMEOUT) {
        std::fprintf(stderr, "the test hung: %zu steps done\n", steps.Reached());
        std::fflush(stderr);
        TerminateProcess(GetCurrentProcess(), 3);
      }
    });
    ParkCursor();
  }
  ~PopupMenus() override {
    SetEvent(hardStop_);
    guard_.join();
    CloseHandle(hardStop_);
  }
  HANDLE hardStop_;
  std::thread guard_;

  TBarItem* Add(const std::string& caption, TBarCustomItem* parent = nullptr, bool submenu = false) {
    auto* item = submenu ? new SubmenuItem(owner.get()) : new TBarItem(owner.get());
    item->SetCaption(caption);
    // A submenu item is clicked as it opens: only the commands count.
    if (!submenu) item->OnClick = ui::TNotifyEvent(this, &PopupMenus::ItemClicked);
    (parent ? parent : static_cast<TBarCustomItem*>(menu->Items()))->Add(item);
    return item;
  }
  int popups = 0;
  ui::TObject* popupSender = nullptr;
  void MenuPopped(ui::TObject* sender) {
    ++popups;
    popupSender = sender;
  }
  int presses = 0;
  void FormPressed(ui::TObject*, ui::TMouseButton, ui::TShiftState, int, int) { ++presses; }
  void ItemClicked(ui::TObject* sender) {
    clicked.push_back(dynamic_cast<TBarCustomItem*>(sender));
    popupLeftAtClick = popupLeftAtClick || !VisiblePopups().empty();
    captureLeftAtClick = captureLeftAtClick || GetCapture() != nullptr;
  }

  // The views of the open chain, root first, while the loop runs.
  static TBarView* RootView() {
    for (HWND window : VisiblePopups())
      if (auto* popup = dynamic_cast<TBarPopupWindow*>(ui::FindControl(window)); popup && !popup->ParentView())
        return popup->View();
    return nullptr;
  }
  static TBarView* SubView() {
    TBarView* root = RootView();
    return root ? root->OpenViewerView() : nullptr;
  }
  static HWND WindowOf(TBarView* view) { return view ? view->Window()->Handle() : nullptr; }

  // Steps that select "More" by keys (End, then Up from "Exit") and open its submenu.
  TSteps& OpenMoreByKeys() {
    return steps.WaitFor([] { return RootView() != nullptr; })
        .Do([] {
          HWND w = WindowOf(RootView());
          PostKey(w, VK_END);
          PostKey(w, VK_UP);
          PostKey(w, VK_RIGHT);
        })
        .WaitFor([] { return SubView() != nullptr; });
  }
  // After the loop, the one command chosen runs from the queue, with no popup or capture left.
  void ExpectClickAfterTheLoop(TBarCustomItem* item) {
    Pump(200);
    ASSERT_EQ(clicked.size(), 1u);
    EXPECT_EQ(clicked[0], item);
    EXPECT_FALSE(popupLeftAtClick);
    EXPECT_FALSE(captureLeftAtClick);
  }

  // Runs the menu at `at` under a watchdog; the steps were given before.
  void Track(POINT at, bool rightButton = true) {
    menu->TrackButton = rightButton ? ui::tbRightButton : ui::tbLeftButton;
    TWatchdog dog(8000);
    steps.Start();
    menu->Popup(at.x, at.y);
    EXPECT_FALSE(dog.Fired()) << "the tracking loop had to be stopped; steps done: " << steps.Reached();
    EXPECT_TRUE(steps.Finished());
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_TRUE(VisiblePopups().empty());
  }
};

TEST_F(PopupMenus, KeysMoveThroughItemsOpenASubmenuEscapeClosesOneLevelAndTheCommandRunsAfterTheLoop) {
  menu->OnPopup = ui::TNotifyEvent(this, &PopupMenus::MenuPopped);
  open->SetHint("Open|Opens a file");
  steps.WaitFor([] { return RootView() != nullptr; })
      .Do([&] {
        EXPECT_EQ(RootView()->Selected(), nullptr);
        EXPECT_TRUE(RootView()->State() & vsModalRootPopup);
        PostKey(WindowOf(RootView()), VK_DOWN);
      })
      .Do([&] {
        ASSERT_NE(RootView()->Selected(), nullptr);
        EXPECT_EQ(RootView()->Selected()->Item(), open);
        // The selected item's long hint is the status hint; the hint window shows its short one.
        EXPECT_EQ(ui::Application().Hint(), "Opens a file");
        ui::THintInfo info;
        RootView()->Window()->Perform(ui::CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info));
        EXPECT_EQ(info.HintStr, "Open");
        EXPECT_TRUE(EqualRect(&info.CursorRect, &RootView()->Selected()->BoundsRect));
        PostKey(WindowOf(RootView()), VK_DOWN);
        PostKey(WindowOf(RootView()), VK_DOWN);
        PostKey(WindowOf(RootView()), VK_RIGHT);
      })
      .WaitFor([] { return SubView() != nullptr; })
      .Do([&] {
        EXPECT_EQ(RootView()->Selected()->Item(), sub);
        ASSERT_NE(SubView()->Selected(), nullptr);
        EXPECT_EQ(SubView()->Selected()->Item(), one);
        EXPECT_EQ(VisiblePopups().size(), 2u);
        // An accelerator that only one item of the submenu has runs that item at once.
        PostMessageW(WindowOf(SubView()), WM_CHAR, 't', 1);
      });
  Track({100, 100});
  EXPECT_EQ(popups, 1);
  EXPECT_EQ(popupSender, menu);
  EXPECT_EQ(ui::Application().Hint(), "") << "the status hint is cleared when tracking ends";
  EXPECT_TRUE(clicked.empty()) << "the command runs after the loop, from the queue";
  ExpectClickAfterTheLoop(two);
}

TEST_F(PopupMenus, EscapeClosesOneLevelAndEnterRunsTheSelection) {
  OpenMoreByKeys()
      .Do([&] { PostKey(WindowOf(SubView()), VK_ESCAPE); })
      .Do([&] {
        EXPECT_EQ(SubView(), nullptr) << "Escape closes the submenu";
        ASSERT_NE(RootView(), nullptr) << "and only the submenu";
        EXPECT_EQ(RootView()->Selected()->Item(), sub);
        EXPECT_EQ(RootView()->DoneAction().Kind, bdaNone);
        PostKey(WindowOf(RootView()), VK_UP);
        PostKey(WindowOf(RootView()), VK_RETURN);
      });
  Track({100, 100});
  ExpectClickAfterTheLoop(save);

  // Escape at the root ends tracking with nothing to run.
  TSteps again;
  again.WaitFor([] { return RootView() != nullptr; }).Do([&] { PostKey(WindowOf(RootView()), VK_ESCAPE); });
  TWatchdog dog(8000);
  again.Start();
  menu->Popup(100, 100);
  EXPECT_FALSE(dog.Fired());
  Pump(100);
  EXPECT_EQ(clicked.size(), 1u);
}

TEST_F(PopupMenus, TheMouseOpensASubmenuByHoverAndAClickRunsTheCommand) {
  POINT target{};
  steps.WaitFor([] { return RootView() != nullptr; })
      .Do([&] {
        RootView()->ValidatePositions();
        target = CentreOf(*RootView(), *RootView()->Find(sub));
        SendMouseAt(target);
      })
      .WaitFor([&] { return RootView()->Selected() && RootView()->Selected()->Item() == sub; })
      // The submenu opens when the menu show delay has passed.
      .WaitFor([] { return SubView() != nullptr; })
      .Do([&] {
        EXPECT_EQ(SubView()->Selected(), nullptr);
        SubView()->ValidatePositions();
        target = CentreOf(*SubView(), *SubView()->Find(two));
        SendMouseAt(target);
      })
      .WaitFor([&, ticks = 0]() mutable {
        if (SubView() && SubView()->Selected() && SubView()->Selected()->Item() == two) return true;
        // Under Wine a move injected just as a window appears can be lost: move again, a pixel
        // aside and back, now and then.
        if (++ticks % 10 == 0) SendMouseAt({target.x + (ticks / 10) % 2, target.y});
        return false;
      })
      .Do([&] { SendMouseAt(target, MOUSEEVENTF_LEFTDOWN); })
      .Do([&] { SendMouseAt(target, MOUSEEVENTF_LEFTUP); });
  Track({100, 100});
  ExpectClickAfterTheLoop(two);
}

TEST_F(PopupMenus, AClickOutsideEndsTrackingAndReachesTheWindowUnderTheCursor) {
  auto* form = new ui::TForm(owner.get());
  form->SetBounds(600, 300, 300, 200);
  form->Show();
  form->OnMouseDown = ui::TMouseEvent(this, &PopupMenus::FormPressed);
  Pump(100);
  const POINT inside{750, 400};
  steps.WaitFor([] { return RootView() != nullptr; })
      .Do([&] { SendMouseAt(inside); })
      .WaitFor([&] { return CursorAt(inside); })
      .Do([&] {
        SendMouseAt(inside, MOUSEEVENTF_LEFTDOWN);
        SendMouseAt(inside, MOUSEEVENTF_LEFTUP);
      });
  Track({100, 100});
  Pump(200);
  EXPECT_EQ(presses, 1) << "the press that ended the menu reaches the form";
  EXPECT_TRUE(clicked.empty());
}

TEST_F(PopupMenus, TheFirstReleaseOutsideIsTheOpeningPressAndTheSecondEndsTracking) {
  const POINT away{1200, 950};
  steps.WaitFor([] { return RootView() != nullptr; })
      .Do([&] { SendMouseAt(away); })
      .WaitFor([&] { return SettledAt(away); })
      .Do([] { ReleaseRightButton(); })
      .Do([&] {
        ASSERT_NE(RootView(), nullptr) << "the first release keeps the menu";
        EXPECT_FALSE(RootView()->State() & vsModalRootPopup);
        EXPECT_NE(GetCapture(), nullptr);
        ReleaseRightButton();
      });
  Track({100, 100});
  EXPECT_TRUE(clicked.empty());
}

TEST_F(PopupMenus, KeysDoNothingWhileAButtonIsHeld) {
  POINT corner{};
  steps.WaitFor([] { return RootView() != nullptr; })
      .Do([&] {
        RECT r;
        GetWindowRect(WindowOf(RootView()), &r);
        corner = {r.left + 1, r.top + 1};
        SendMouseAt(corner);
      })
      .Do([&] { SendMouseAt(corner, MOUSEEVENTF_LEFTDOWN); })
      .WaitFor([] { return GetKeyState(VK_LBUTTON) < 0; })
      .Do([&] { PostKey(WindowOf(RootView()), VK_DOWN); })
      .Do([&] {
        EXPECT_EQ(RootView()->Selected(), nullptr);
        SendMouseAt(corner, MOUSEEVENTF_LEFTUP);
      })
      .WaitFor([] { return GetKeyState(VK_LBUTTON) >= 0; })
      .Do([] { EXPECT_NE(RootView(), nullptr) << "a release over an open popup, off its items, goes on tracking"; })
      .Do([&] { PostKey(WindowOf(RootView()), VK_DOWN); })
      .Do([&] {
        ASSERT_NE(RootView()->Selected(), nullptr);
        EXPECT_EQ(RootView()->Selected()->Item(), open);
        PostKey(WindowOf(RootView()), VK_ESCAPE);
      });
  Track({100, 100});
}

TEST_F(PopupMenus, AQuitPostedDuringTrackingEndsTheLoopAndReachesTheProgramsLoop) {
  steps.WaitFor([] { return RootView() != nullptr; }).Do([] { PostQuitMessage(7); });
  Track({100, 100});
  MSG msg;
  // The program's own loop ends on it, with its exit code.
  EXPECT_EQ(GetMessageW(&msg, nullptr, 0, 0), 0);
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(msg.wParam, 7u);
}

TEST_F(PopupMenus, TheViewTimersOpenAndCloseSubmenusAndAWindowWithoutViewSwallowsThem) {
  auto* bare = new TBarPopupWindow(owner.get());
  bare->HandleNeeded();
  steps.WaitFor([] { return RootView() != nullptr; })
      .Do([&] {
        RootView()->SetSelected(RootView()->Find(sub), false);
        PostMessageW(WindowOf(RootView()), WM_TIMER, kViewTimerIdBase + vtOpenSubmenu, 0);
      })
      .Do([&] {
        ASSERT_NE(SubView(), nullptr) << "timer 0 opens the selected submenu";
        EXPECT_EQ(SubView()->Selected(), nullptr);
        PostMessageW(WindowOf(RootView()), WM_TIMER, kViewTimerIdBase + vtCloseSubmenu, 0);
        PostMessageW(bare->Handle(), WM_TIMER, kViewTimerIdBase + vtOpenSubmenu, 0);
      })
      .Do([&] {
        EXPECT_EQ(SubView(), nullptr) << "timer 1 closes it";
        PostKey(WindowOf(RootView()), VK_ESCAPE);
      });
  Track({100, 100});
}

TEST_F(PopupMenus, AnItemFreedUnderItsOpenPopupWithoutADeletingNoticeClosesItAndTrackingGoesOn) {
  // An item of no menu: its end reaches the popup it opened only through the free notice.
  auto* loose = new SubmenuItem(nullptr);
  loose->SetCaption("Loose");
  loose->Add(new TBarItem(owner.get()));
  OpenMoreByKeys()
      .Do([&] {
        TBarView* view = SubView();
        view->CloseChildPopups();
        ASSERT_NE(loose->OpenSubmenuPopup(view, view->Selected(), true, false, false, POINT{}, 0), nullptr);
        ASSERT_NE(view->OpenViewerView(), nullptr);
        EXPECT_EQ(VisiblePopups().size(), 3u);
        ui::Free(loose);
        EXPECT_EQ(view->OpenViewerView(), nullptr);
        EXPECT_EQ(view->OpenViewerWindow(), nullptr);
        EXPECT_EQ(VisiblePopups().size(), 2u);
        // The chain goes on: Escape closes the submenu, then the menu.
        PostKey(WindowOf(view), VK_ESCAPE);
      })
      .WaitFor([] { return SubView() == nullptr; })
      .Do([] { PostKey(WindowOf(RootView()), VK_ESCAPE); });
  Track({150, 100});
  EXPECT_TRUE(clicked.empty());
}

TEST_F(PopupMenus, PopupsPlaceThemselvesOnTheMonitorAndFlipAtItsEdges) {
  const RECT monitor = NearestMonitorRectForPoint({0, 0}, false);
  RECT root{}, submenu{};
  SIZE content{};
  auto record = [&] {
    GetWindowRect(WindowOf(RootView()), &root);
    RECT client;
    GetClientRect(WindowOf(RootView()), &client);
    content = {client.right, client.bottom};
  };
  // At the bottom right corner: the menu opens to the left of and above the point.
  const POINT corner{monitor.right - 10, monitor.bottom - 5};
  steps.WaitFor([] { return RootView() != nullptr; }).Do([&] { record(); });
  OpenMoreByKeys()
      .Do([&] {
        GetWindowRect(WindowOf(SubView()), &submenu);
        EXPECT_TRUE(SubView()->State() & vsSubmenusLeft);
        PostKey(WindowOf(SubView()), VK_ESCAPE);
        PostKey(WindowOf(RootView()), VK_ESCAPE);
      });
  Track(corner);
  EXPECT_EQ(root.right, corner.x);
  EXPECT_EQ(root.bottom, corner.y);
  // The window is its content and a frame of 3 pixels on each side.
  EXPECT_EQ(root.right - root.left, content.cx + 6);
  EXPECT_EQ(root.bottom - root.top, content.cy + 6);
  // No room on the right: the submenu opens to the left, over the frame of its parent.
  EXPECT_LT(submenu.left, root.left);
  EXPECT_LE(submenu.right, root.left + 6);
  EXPECT_GE(submenu.left, monitor.left);
  EXPECT_LE(submenu.bottom, monitor.bottom);

  // At the top left corner everything opens to the right and below.
  TSteps again;
  again.WaitFor([] { return RootView() != nullptr; }).Do([&] {
    record();
    PostKey(WindowOf(RootView()), VK_ESCAPE);
  });
  TWatchdog dog(8000);
  again.Start();
  menu->Popup(monitor.left + 2, monitor.top + 3);
  EXPECT_FALSE(dog.Fired());
  EXPECT_EQ(root.left, monitor.left + 2);
  EXPECT_EQ(root.top, monitor.top + 3);

  // Aligned by its right edge, past the left edge of the monitor, it moves to the right of
  // the point.
  menu->Alignment = ui::paRight;
  TSteps third;
  third.WaitFor([] { return RootView() != nullptr; }).Do([&] {
    record();
    PostKey(WindowOf(RootView()), VK_ESCAPE);
  });
  TWatchdog dog2(8000);
  third.Start();
  menu->Popup(monitor.left + 20, 100);
  EXPECT_FALSE(dog2.Fired());
  EXPECT_EQ(root.left, monitor.left + 20);
  EXPECT_EQ(menu->PopupPoint.x, monitor.left + 20);
}

TEST_F(PopupMenus, APopupTallerThanTheScreenScrollsByItsArrowsTimersAndKeys) {
  auto* tall = new SubmenuItem(owner.get());
  tall->SetCaption("Tall");
  menu->Items()->Add(tall);
  for (int i = 0; i < 80; ++i) {
    auto* item = new TallItem(owner.get());
    item->SetCaption("Row " + std::to_string(i));
    tall->Add(item);
  }
  const RECT monitor = NearestMonitorRectForPoint({0, 0}, false);
  int firstOffset = 0;
  steps.WaitFor([] { return RootView() != nullptr; })
      .Do([&] {
        HWND w = WindowOf(RootView());
        PostKey(w, VK_END);
        PostKey(w, VK_RIGHT);
      })
      .WaitFor([] { return SubView() != nullptr; })
      .Do([&] {
        TBarView* view = SubView();
        RECT r;
        GetWindowRect(WindowOf(view), &r);
        EXPECT_EQ(r.bottom - r.top, monitor.bottom - monitor.top) << "as tall as the monitor, frame included";
        EXPECT_EQ(view->MaxHeight(), monitor.bottom - monitor.top - 6);
        EXPECT_FALSE(view->ShowUpArrow());
        EXPECT_TRUE(view->ShowDownArrow());
        EXPECT_EQ(view->ScrollOffset(), 0);
        // The scroll-down timer moves the content by whole rows.
        PostMessageW(WindowOf(view), WM_TIMER, kViewTimerIdBase + vtScrollDown, 0);
      })
      .Do([&] {
        TBarView* view = SubView();
        firstOffset = view->ScrollOffset();
        EXPECT_GT(firstOffset, 0);
        EXPECT_TRUE(view->ShowUpArrow());
        // The mouse over the bottom arrow keeps scrolling on its own timer.
        RECT r;
        GetWindowRect(WindowOf(view), &r);
        SendMouseAt({(r.left + r.right) / 2, r.bottom - 3 - 5});
      })
      .WaitFor([&] { return SubView()->ScrollOffset() > firstOffset; })
      .Do([&] {
        SendMouseAt({1250, 1000});
        PostKey(WindowOf(SubView()), VK_END);
      })
      .Do([&] {
        TBarView* view = SubView();
        EXPECT_FALSE(view->ShowDownArrow()) << "the last row was scrolled into view";
        EXPECT_TRUE(view->ShowUpArrow());
        // The arrow is drawn in the menu text colour in the middle of its band.
        HWND w = WindowOf(view);
        RECT client;
        GetClientRect(w, &client);
        TestPicture picture(client.right, client.bottom);
        SendMessageW(w, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(picture.Dc()), PRF_CLIENT);
        const int cx = client.right / 2, cy = kScrollArrowHeight / 2 - 1;
        EXPECT_EQ(picture.Pixel(cx, cy + 1), GetSysColor(COLOR_MENUTEXT));
        EXPECT_EQ(picture.Pixel(cx + 8, cy + 1), GetSysColor(COLOR_MENU));
        PostKey(w, VK_ESCAPE);
        PostKey(WindowOf(RootView()), VK_ESCAPE);
      });
  Track({100, 100});
}

TEST_F(PopupMenus, AnOpenMenuIsFramedAndShowsItsSelectionAfterAPaintNestedInItsOwn) {
  auto* nesting = new NestingItem(owner.get());
  nesting->SetCaption("Nested");
  sub->Insert(0, nesting);
  OpenMoreByKeys()
      .Do([&] {
        nesting->nested = 0;
        RECT a, b;
        GetWindowRect(WindowOf(RootView()), &a);
        GetWindowRect(WindowOf(SubView()), &b);
        RECT all;
        UnionRect(&all, &a, &b);
        TestPicture picture(all.right - all.left, all.bottom - all.top);
        for (TBarView* view : {RootView(), SubView()}) {
          RECT r;
          GetWindowRect(WindowOf(view), &r);
          SetViewportOrgEx(picture.Dc(), r.left - all.left, r.top - all.top, nullptr);
          SendMessageW(WindowOf(view), WM_PRINT, reinterpret_cast<WPARAM>(picture.Dc()),
                       PRF_NONCLIENT | PRF_CLIENT | PRF_ERASEBKGND);
        }
        SetViewportOrgEx(picture.Dc(), 0, 0, nullptr);
        picture.Save("bar_popup_menu_with_submenu");
        // The frame of the root popup.
        const int x = a.left - all.left, y = a.top - all.top + 30;
        if (FlatMenusOn()) {
          EXPECT_EQ(picture.Pixel(x, y), GetSysColor(COLOR_BTNSHADOW));
          EXPECT_EQ(picture.Pixel(x + 1, y), GetSysColor(COLOR_MENU));
          EXPECT_EQ(picture.Pixel(x + 2, y), GetSysColor(COLOR_MENU));
        } else {
          EXPECT_EQ(picture.Pixel(x + 2, y), GetSysColor(COLOR_BTNFACE));
        }
        // The selected row of the submenu is filled with the highlight.
        TBarView* view = SubView();
        const RECT row = ScreenBounds(*view, *view->Selected());
        const COLORREF highlight = GetSysColor(FlatMenusOn() ? COLOR_MENUHILIGHT : COLOR_HIGHLIGHT);
        EXPECT_EQ(picture.Pixel(row.left + 1 - all.left, (row.top + row.bottom) / 2 - all.top), highlight);
        EXPECT_EQ(nesting->nested, 2) << "the nested paint ran inside the picture's";
        PostKey(WindowOf(SubView()), VK_ESCAPE);
        PostKey(WindowOf(RootView()), VK_ESCAPE);
      });
  Track({200, 150});
}

TEST_F(PopupMenus, TheMenusShortcutTestRunsTheItem) {
  exitItem->SetShortCut(ui::ShortCut('Q', ui::ssCtrl));
  EXPECT_TRUE(menu->IsShortCut(ui::ShortCut('Q', ui::ssCtrl)));
  EXPECT_FALSE(menu->IsShortCut(ui::ShortCut('W', ui::ssCtrl)));
  ASSERT_EQ(clicked.size(), 1u);
  EXPECT_EQ(clicked[0], exitItem);
}

TEST(ModalMessages, APeekedMessageIsRemovedWithItsOwnWindowAndNumber) {
  HWND a = ui::CreateMessageWindow(L"MovraPopupTestA", DefWindowProcW);
  HWND b = ui::CreateMessageWindow(L"MovraPopupTestA", DefWindowProcW);
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
  }
  PostMessageW(a, WM_APP + 1, 1, 0);
  MSG peeked;
  ASSERT_TRUE(PeekMessageW(&peeked, nullptr, 0, 0, PM_NOREMOVE));
  // Posted after the peek: a removal that takes "the next message" could take these instead.
  PostThreadMessageW(GetCurrentThreadId(), WM_APP + 1, 2, 0);
  PostMessageW(b, WM_APP + 1, 3, 0);
  PostMessageW(a, WM_APP + 2, 4, 0);
  MSG removed;
  ASSERT_TRUE(RemovePeekedMessage(peeked, removed));
  EXPECT_EQ(removed.hwnd, a);
  EXPECT_EQ(removed.wParam, 1u);
  int left = 0;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ++left;
  EXPECT_EQ(left, 3);
  DestroyWindow(a);
  DestroyWindow(b);
}

}  // namespace
}  // namespace movra::bars
