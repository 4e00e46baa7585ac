// The keyboard notices of the application (key-down before the form's shortcuts, the menu key
// of a form) and dialog keys and characters reaching the controls before dialog navigation.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "runtime/ui/actions.h"
#include "runtime/ui/forms.h"
#include "runtime/ui/stdctrls.h"
#include "tests/runtime/ui/ui_test_support.h"

using namespace movra::ui;
using movra::ui::test::After;
using movra::ui::test::Pump;

namespace {

// Hooks the application window and records its notices; answers the ones it is told to.
struct TAppListener : TObject {
  std::vector<std::string> log;
  WPARAM takeKey = 0;
  bool takeMenuKey = false;
  LPARAM menuKeyChar = 0;
  TAppListener() { Application().HookMainWindow(TWindowHook(this, &TAppListener::Hook)); }
  ~TAppListener() override { Application().UnhookMainWindow(TWindowHook(this, &TAppListener::Hook)); }
  void Hook(TMessage& m, bool& handled) {
    if (m.Msg == CM_APPKEYDOWN) {
      log.push_back("key " + std::to_string(m.WParam));
      if (m.WParam == takeKey) {
        m.Result = 1;
        handled = true;
      }
    }
    if (m.Msg == CM_APPSYSCOMMAND) {
      auto* command = reinterpret_cast<TMessage*>(m.LParam);
      log.push_back("menu key " + std::to_string(command->WParam & 0xFFF0));
      menuKeyChar = command->LParam;
      if (takeMenuKey) {
        m.Result = 1;
        handled = true;
      }
    }
  }
};

// Takes the dialog keys and characters it is given, and records every one it sees.
class TKeyTaker : public TWinControl {
 public:
  using TWinControl::TWinControl;
  std::vector<std::string> log;
  std::vector<WPARAM> take;
  void WndProc(TMessage& m) override {
    if (m.Msg == CM_DIALOGKEY || m.Msg == CM_DIALOGCHAR) {
      log.push_back(std::string(m.Msg == CM_DIALOGKEY ? "key " : "char ") + std::to_string(m.WParam));
      for (WPARAM k : take)
        if (k == m.WParam) {
          m.Result = 1;
          return;
        }
    }
    TWinControl::WndProc(m);
  }
};

struct TKeyForm : TObject {
  TOwned<TForm> form = MakeOwned<TForm>(nullptr);
  TActionList* actions;
  TAction* run;
  TEdit* edit;
  TButton* cancel;
  TKeyTaker* taker;
  int runs = 0, cancels = 0;
  TKeyForm() {
    form->SetBounds(60, 60, 300, 200);
    actions = new TActionList(form.get());
    run = new TAction(form.get());
    run->SetActionList(actions);
    run->SetShortCut(ShortCut(VK_F9, 0));
    run->OnExecute = TNotifyEvent(this, &TKeyForm::Run);
    edit = new TEdit(form.get());
    edit->SetBounds(10, 10, 100, 22);
    edit->SetParent(form.get());
    cancel = new TButton(form.get());
    cancel->SetBounds(10, 50, 80, 25);
    cancel->SetCaption("Cancel");
    cancel->SetCancel(true);
    cancel->OnClick = TNotifyEvent(this, &TKeyForm::Cancel);
    cancel->SetParent(form.get());
    taker = new TKeyTaker(form.get());
    taker->SetBounds(150, 10, 100, 100);
    taker->SetParent(form.get());
    form->Show();
    Pump();
  }
  void Run(TObject*) { ++runs; }
  void Cancel(TObject*) { ++cancels; }
  void Post(HWND window, UINT msg, WPARAM w) {
    PostMessageW(window, msg, w, 1);
    Pump();
  }
};

}  // namespace

TEST(KeyDownNotice, ComesBeforeTheFormsShortcutsAndMayTakeTheKey) {
  TKeyForm f;
  TAppListener app;
  f.Post(f.edit->Handle(), WM_KEYDOWN, VK_F9);
  EXPECT_EQ(app.log, (std::vector<std::string>{"key 120"}));
  EXPECT_EQ(f.runs, 1) << "not taken: the action's shortcut runs";
  app.takeKey = VK_F9;
  f.Post(f.edit->Handle(), WM_KEYDOWN, VK_F9);
  EXPECT_EQ(app.log.size(), 2u);
  EXPECT_EQ(f.runs, 1) << "taken by the notice";
}

TEST(MenuKeyNotice, TheFormAsksTheApplicationBeforeTheSystemMenuLoop) {
  TKeyForm f;
  TAppListener app;
  app.takeMenuKey = true;
  // Should the notice not take it, the system's menu loop would run: the watchdog ends it.
  bool watching = true;
  After(3000, [&] {
    if (watching) {
      EndMenu();
      SendMessageW(f.form->Handle(), WM_CANCELMODE, 0, 0);
    }
    return false;
  });
  SendMessageW(f.form->Handle(), WM_SYSCOMMAND, SC_KEYMENU, 'f');
  watching = false;
  EXPECT_EQ(app.log, (std::vector<std::string>{"menu key " + std::to_string(SC_KEYMENU)}));
  EXPECT_EQ(app.menuKeyChar, 'f');
}

TEST(DialogKeys, ReachTheControlsBeforeDialogNavigation) {
  TKeyForm f;
  f.Post(f.cancel->Handle(), WM_KEYDOWN, VK_ESCAPE);
  EXPECT_EQ(f.cancels, 1) << "untaken, Escape still presses the cancel button";
  EXPECT_EQ(f.taker->log, (std::vector<std::string>{"key 27"}));
  f.taker->take = {VK_ESCAPE, 'r'};
  f.Post(f.cancel->Handle(), WM_KEYDOWN, VK_ESCAPE);
  EXPECT_EQ(f.cancels, 1) << "taken by the control";
  f.taker->log.clear();
  // The edit takes arrows and characters itself; Alt+letter goes to the controls anyway.
  f.Post(f.edit->Handle(), WM_KEYDOWN, VK_LEFT);
  f.Post(f.edit->Handle(), WM_CHAR, 'r');
  EXPECT_TRUE(f.taker->log.empty());
  EXPECT_EQ(f.edit->GetText(), "r");
  f.Post(f.edit->Handle(), WM_SYSCHAR, 'r');
  f.Post(f.cancel->Handle(), WM_CHAR, 'x');
  EXPECT_EQ(f.taker->log, (std::vector<std::string>{"char 114", "char 120"}));
}
