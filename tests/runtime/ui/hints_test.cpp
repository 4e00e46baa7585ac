// Hints: the application's status-line hint, the hint window with its pause, hints per point
// through CM_HINTSHOW and their cursor rectangles, and what cancels them.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "runtime/text.h"
#include "runtime/ui/forms.h"
#include "tests/runtime/ui/ui_test_support.h"

using namespace movra::ui;
using movra::ui::test::Pump;
using movra::ui::test::PumpUntil;

namespace {

// Answers CM_HINTSHOW by halves: the left half and the right half have hints of their own.
class THalves : public TWinControl {
 public:
  using TWinControl::TWinControl;
  int asked = 0;
  bool refuse = false;
  void WndProc(TMessage& m) override {
    if (m.Msg == CM_HINTSHOW) {
      ++asked;
      auto* info = reinterpret_cast<THintInfo*>(m.LParam);
      const int middle = ClientWidth() / 2;
      const bool left = info->CursorPos.x < middle;
      info->CursorRect = left ? RECT{0, 0, middle, ClientHeight()} : RECT{middle, 0, ClientWidth(), ClientHeight()};
      info->HintStr = left ? "left" : "right";
      m.Result = refuse ? 1 : 0;
      return;
    }
    TWinControl::WndProc(m);
  }
};

struct THintScene : TObject {
  TOwned<TForm> form = MakeOwned<TForm>(nullptr);
  TWinControl* plain;
  TWinControl* inner;
  THalves* halves;
  int hintChanges = 0;
  THintScene() {
    // The real cursor is shared by every test: one left over the scene by an earlier test would
    // bring the hint back through the system's own mouse moves whenever a window changes.
    SetCursorPos(20, 20);
    form->SetBounds(100, 100, 300, 200);
    form->SetShowHint(true);
    plain = new TWinControl(form.get());
    plain->SetBounds(10, 10, 100, 60);
    plain->SetHint("Open|Opens a file");
    plain->SetParent(form.get());
    inner = new TWinControl(form.get());
    inner->SetBounds(10, 10, 30, 30);
    inner->SetParent(plain);
    halves = new THalves(form.get());
    halves->SetBounds(10, 90, 200, 60);
    halves->SetParent(form.get());
    form->Show();
    Pump();
    // The system's own mouse moves (the window came up under the cursor) start nothing here.
    Application().CancelHint();
    Application().SetHint("");
    Application().HintPause = 0;
    Application().HintShortPause = 0;
    Application().OnHint = TNotifyEvent(this, &THintScene::HintChanged);
  }
  ~THintScene() override {
    Application().CancelHint();
    Application().OnHint = nullptr;
    Application().HintPause = 500;
    Application().HintShortPause = 50;
    Application().SetHint("");
  }
  void HintChanged(TObject*) { ++hintChanges; }
  static void Move(TControl* control, int x, int y) { control->Perform(WM_MOUSEMOVE, 0, MAKELPARAM(x, y)); }
  static std::string WindowText() {
    wchar_t buffer[200] = L"";
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.hwnd = Application().Handle();
    tool.uId = 1;
    tool.lpszText = buffer;
    SendMessageW(Application().HintWindow(), TTM_GETTEXTW, 200, reinterpret_cast<LPARAM>(&tool));
    return movra::WideToUtf8(buffer);
  }
};

}  // namespace

TEST(HintParts, ShortBeforeTheBarLongAfterIt) {
  EXPECT_EQ(GetShortHint("Open|Opens a file"), "Open");
  EXPECT_EQ(GetLongHint("Open|Opens a file"), "Opens a file");
  EXPECT_EQ(GetShortHint("Open"), "Open");
  EXPECT_EQ(GetLongHint("Open"), "Open");
  EXPECT_EQ(GetShortHint("|Only long"), "");
  EXPECT_EQ(GetLongHint("a|b|c"), "b|c");
}

TEST(ApplicationHint, FollowsTheMouseWithTheLongHintAndShowsTheShortOne) {
  THintScene scene;
  THintScene::Move(scene.plain, 5, 5);
  EXPECT_EQ(Application().Hint(), "Opens a file");
  EXPECT_EQ(scene.hintChanges, 1);
  ASSERT_TRUE(Application().HintShowing());
  EXPECT_EQ(Application().ShownHint(), "Open");
  EXPECT_EQ(Application().HintControl(), scene.plain);
  EXPECT_TRUE(IsWindowVisible(Application().HintWindow()));
  EXPECT_EQ(THintScene::WindowText(), "Open");
  // A control without a hint of its own shows its parent's; the same text is no change.
  THintScene::Move(scene.inner, 5, 5);
  EXPECT_EQ(Application().Hint(), "Opens a file");
  EXPECT_EQ(scene.hintChanges, 1);
  EXPECT_EQ(Application().HintControl(), scene.inner);
  EXPECT_EQ(Application().ShownHint(), "Open");
  // No hint at all: the status line empties, and no window shows.
  THintScene::Move(scene.form.get(), 250, 20);
  EXPECT_EQ(Application().Hint(), "");
  EXPECT_EQ(scene.hintChanges, 2);
  EXPECT_FALSE(Application().HintShowing());
  EXPECT_FALSE(IsWindowVisible(Application().HintWindow()));
}

TEST(ApplicationHint, WaitsForThePauseUnderTheCursor) {
  THintScene scene;
  Application().HintPause = 30;
  POINT centre = scene.plain->ClientToScreen({50, 30});
  SetCursorPos(centre.x, centre.y);
  THintScene::Move(scene.plain, 50, 30);
  EXPECT_FALSE(Application().HintShowing()) << "not before the pause";
  EXPECT_TRUE(PumpUntil([] { return Application().HintShowing(); }, 3000));
  EXPECT_EQ(Application().ShownHint(), "Open");
}

TEST(HintShow, EachPartOfAControlHasItsHintAndLeavingItsRectangleAsksAgain) {
  THintScene scene;
  THintScene::Move(scene.halves, 20, 20);
  EXPECT_EQ(scene.halves->asked, 1);
  EXPECT_EQ(Application().ShownHint(), "left");
  THintScene::Move(scene.halves, 90, 40);
  EXPECT_EQ(scene.halves->asked, 1) << "inside the same rectangle nothing is asked";
  THintScene::Move(scene.halves, 150, 40);
  EXPECT_EQ(scene.halves->asked, 2);
  EXPECT_EQ(Application().ShownHint(), "right");
  EXPECT_EQ(THintScene::WindowText(), "right");
  scene.halves->refuse = true;
  THintScene::Move(scene.halves, 20, 20);
  EXPECT_EQ(scene.halves->asked, 3);
  EXPECT_FALSE(Application().HintShowing()) << "the control said no";
}

TEST(HintShow, CancellingAndSwitchingOff) {
  THintScene scene;
  THintScene::Move(scene.plain, 5, 5);
  ASSERT_TRUE(Application().HintShowing());
  Application().CancelHint();
  EXPECT_FALSE(Application().HintShowing());
  EXPECT_EQ(Application().HintControl(), nullptr);
  EXPECT_EQ(Application().Hint(), "Opens a file") << "the status line is not the hint window";
  // A key press on its way through the message loop cancels the hint.
  THintScene::Move(scene.plain, 5, 5);
  ASSERT_TRUE(Application().HintShowing());
  PostMessageW(scene.plain->Handle(), WM_KEYDOWN, VK_SHIFT, 1);
  Pump();
  EXPECT_FALSE(Application().HintShowing());
  // A control that shows no hints, or an application that shows none, shows nothing.
  scene.plain->SetShowHint(false);
  THintScene::Move(scene.plain, 6, 6);
  EXPECT_FALSE(Application().HintShowing());
  scene.plain->SetShowHint(true);
  Application().ShowHint = false;
  THintScene::Move(scene.plain, 7, 7);
  EXPECT_FALSE(Application().HintShowing());
  Application().ShowHint = true;
  THintScene::Move(scene.plain, 8, 8);
  EXPECT_TRUE(Application().HintShowing());
  // A hint control that goes is forgotten.
  THintScene::Move(scene.inner, 5, 5);
  ASSERT_EQ(Application().HintControl(), scene.inner);
  delete scene.inner;
  EXPECT_EQ(Application().HintControl(), nullptr);
  EXPECT_FALSE(Application().HintShowing());
}
