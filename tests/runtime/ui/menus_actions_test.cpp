// Actions, shortcuts and plain menus.
#include <gtest/gtest.h>
#include <windows.h>

#include "runtime/ui/actions.h"
#include "runtime/ui/forms.h"
#include "runtime/ui/menus.h"
#include "runtime/ui/resstrings.h"
#include "runtime/ui/stdctrls.h"
#include "tests/runtime/ui/ui_test_support.h"

using namespace movra::ui;
using movra::ui::test::Pump;
using movra::ui::test::PumpUntil;

namespace {

class TCommandForm : public TForm {
 public:
  explicit TCommandForm(TComponent* owner) : TForm(owner) {
    BeginLoading();
    actions = new TActionList(this);
    actRun = new TAction(this);
    actRun->SetName("actProfileRun");
    actRun->SetActionList(actions);
    actRun->SetCaption("Run");
    actRun->SetHint("Runs selected profile");
    actRun->SetShortCut(ShortCut(VK_F9, 0));
    actRun->OnExecute = TNotifyEvent(this, &TCommandForm::RunExecute);
    actRun->OnUpdate = TNotifyEvent(this, &TCommandForm::RunUpdate);
    actSelectAll = new TAction(this);
    actSelectAll->SetActionList(actions);
    actSelectAll->SetCaption("Select All");
    actSelectAll->SetShortCut(ShortCut('A', ssCtrl));
    actSelectAll->OnExecute = TNotifyEvent(this, &TCommandForm::SelectAllExecute);
    button = new TButton(this);
    button->SetParent(this);
    button->SetAction(actRun);
    edit = new TEdit(this);
    edit->SetParent(this);
    edit->SetTop(40);
    EndLoading();
  }

  void RunExecute(TObject*) { ++runs; }
  void RunUpdate(TObject*) { actRun->SetEnabled(canRun); }
  void SelectAllExecute(TObject*) { ++selectAlls; }

  TActionList* actions;
  TAction *actRun, *actSelectAll;
  TButton* button;
  TEdit* edit;
  bool canRun = false;
  int runs = 0, selectAlls = 0;
};

void PressKey(HWND target, WORD key, bool ctrl) {
  BYTE state[256]{};
  GetKeyboardState(state);
  state[VK_CONTROL] = ctrl ? 0x80 : 0;
  SetKeyboardState(state);
  PostMessageW(target, WM_KEYDOWN, key, 1);
  Pump();
  state[VK_CONTROL] = 0;
  SetKeyboardState(state);
}

}  // namespace

TEST(Actions, LinkedButtonShowsTheAction) {
  auto form = MakeOwned<TCommandForm>(nullptr);
  EXPECT_EQ(form->button->Caption(), "Run");
  EXPECT_EQ(form->button->Hint(), "Runs selected profile");
  form->actRun->SetCaption("Starten");
  EXPECT_EQ(form->button->Caption(), "Starten");
  form->actRun->SetEnabled(false);
  EXPECT_FALSE(form->button->Enabled());
  EXPECT_FALSE(IsWindowEnabled(form->button->Handle()));
}

TEST(Actions, IdleUpdateEnablesAndClickExecutes) {
  auto form = MakeOwned<TCommandForm>(nullptr);
  form->Show();
  Application().Idle();
  EXPECT_FALSE(form->actRun->Enabled());
  EXPECT_FALSE(form->button->Enabled());
  form->canRun = true;
  Application().Idle();
  EXPECT_TRUE(form->button->Enabled());
  SendMessageW(form->button->Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(form->runs, 1);
  // A state change since the last idle is honoured at execution.
  form->canRun = false;
  form->button->Click();
  EXPECT_EQ(form->runs, 1);
}

TEST(Actions, ClientWithItsOwnHandlerDoesNotRunTheAction) {
  auto form = MakeOwned<TCommandForm>(nullptr);
  form->canRun = true;
  struct Own : TObject {
    int n = 0;
    void Click(TObject*) { ++n; }
  } own;
  form->button->OnClick = TNotifyEvent(&own, &Own::Click);
  form->button->Click();
  EXPECT_EQ(own.n, 1);
  EXPECT_EQ(form->runs, 0);
  // The action's own handler as OnClick still runs the action (and only once).
  form->button->OnClick = form->actRun->OnExecute;
  form->button->Click();
  EXPECT_EQ(form->runs, 1);
}

TEST(Actions, ShortcutsReachActionsBeforeTheFocusedControl) {
  auto form = MakeOwned<TCommandForm>(nullptr);
  form->Show();
  form->edit->SetFocus();
  form->canRun = true;
  PressKey(form->edit->Handle(), VK_F9, false);
  EXPECT_EQ(form->runs, 1);
  PressKey(form->edit->Handle(), 'A', true);
  EXPECT_EQ(form->selectAlls, 1);
  // A disabled action swallows nothing and runs nothing.
  form->canRun = false;
  PressKey(form->edit->Handle(), VK_F9, false);
  EXPECT_EQ(form->runs, 1);
  // Without Ctrl, A is plain typing.
  PressKey(form->edit->Handle(), 'A', false);
  EXPECT_EQ(form->selectAlls, 1);
}

TEST(Actions, GroupedActionsCheckExclusively) {
  auto owner = MakeOwned<TComponent>(nullptr);
  auto* list = new TActionList(owner.get());
  TAction* items[3];
  for (auto*& a : items) {
    a = new TAction(owner.get());
    a->SetActionList(list);
    a->SetGroupIndex(1);
    a->SetAutoCheck(true);
  }
  items[0]->SetChecked(true);
  items[2]->Execute();
  EXPECT_FALSE(items[0]->Checked());
  EXPECT_TRUE(items[2]->Checked());
}

TEST(Shortcuts, TextOfShortcuts) {
  EXPECT_EQ(ShortCutToText(ShortCut('A', ssCtrl)), "Ctrl+A");
  EXPECT_EQ(ShortCutToText(ShortCut(VK_RETURN, ssAlt)), "Alt+Enter");
  EXPECT_EQ(ShortCutToText(ShortCut(VK_F9, 0)), "F9");
  EXPECT_EQ(ShortCutToText(ShortCut(VK_DELETE, 0)), "Del");
  EXPECT_EQ(ShortCutToText(ShortCut(VK_INSERT, ssShift | ssCtrl)), "Shift+Ctrl+Ins");
  EXPECT_EQ(TextToShortCut("Ctrl+A"), ShortCut('A', ssCtrl));
  EXPECT_EQ(TextToShortCut("Alt+Enter"), ShortCut(VK_RETURN, ssAlt));
}

namespace {

std::string GermanKeys(const TResStringRec* rec) {
  if (rec->Identifier == IDS_UI_KEY_CTRL) return "Strg+";
  if (rec->Identifier == IDS_UI_KEY_DEL) return "Entf";
  return PlatformLoadResString(rec);
}

}  // namespace

TEST(Shortcuts, KeyNamesComeThroughTheResourceStringLoader) {
  EXPECT_EQ(LoadResString(res::KeyCtrl), "Ctrl+");  // from the program's string table
  SetResStringLoaders({GermanKeys, nullptr, nullptr});
  EXPECT_EQ(ShortCutToText(ShortCut(VK_DELETE, ssCtrl)), "Strg+Entf");
  ResetResStringLoaders();
  EXPECT_EQ(ShortCutToText(ShortCut(VK_DELETE, ssCtrl)), "Ctrl+Del");
  EXPECT_EQ(LoadStr(IDS_UI_KEY_PGUP), "PgUp");
  EXPECT_EQ(FmtLoadStr(IDS_UI_KEY_PGUP, {"x"}), "PgUp");
  EXPECT_EQ(LoadStr(65000), "");
}

namespace {

struct MenuFixture {
  TOwned<TForm> form = MakeOwned<TForm>(nullptr);
  TMainMenu* menu = new TMainMenu(form.get());
  TMenuItem* view = new TMenuItem(form.get());
  TMenuItem* language = new TMenuItem(form.get());
  TMenuItem* langs[3];
  TMenuItem* log = new TMenuItem(form.get());
  int clicks = 0;

  MenuFixture() {
    view->SetCaption("View");
    menu->Items()->Add(view);
    language->SetCaption("Language");
    view->Add(language);
    const char* names[] = {"English", "Русский", "Deutsch"};
    for (int i = 0; i < 3; ++i) {
      langs[i] = new TMenuItem(form.get());
      langs[i]->SetCaption(names[i]);
      langs[i]->SetRadioItem(true);
      langs[i]->SetGroupIndex(1);
      langs[i]->AutoCheck = true;
      langs[i]->Tag = i;
      language->Add(langs[i]);
    }
    log->SetCaption("Log window");
    log->SetShortCut(ShortCut('L', ssCtrl));
    log->SetChecked(true);
    view->Add(log);
    form->SetMenu(menu);
  }

  static UINT State(HMENU menu, UINT command) { return GetMenuState(menu, command, MF_BYCOMMAND); }
};

}  // namespace

TEST(Menus, BuiltItemsShowCaptionCheckAndShortcut) {
  MenuFixture f;
  f.form->HandleNeeded();
  HMENU bar = GetMenu(f.form->Handle());
  ASSERT_TRUE(bar);
  EXPECT_EQ(GetMenuItemCount(bar), 1);
  HMENU viewMenu = GetSubMenu(bar, 0);
  ASSERT_TRUE(viewMenu);
  EXPECT_EQ(GetMenuItemCount(viewMenu), 2);
  EXPECT_TRUE(MenuFixture::State(bar, f.log->Command()) & MF_CHECKED);
  wchar_t text[64]{};
  GetMenuStringW(bar, f.log->Command(), text, 64, MF_BYCOMMAND);
  EXPECT_STREQ(text, L"Log window\tCtrl+L");
  GetMenuStringW(bar, f.langs[1]->Command(), text, 64, MF_BYCOMMAND);
  EXPECT_STREQ(text, L"Русский");
}

TEST(Menus, RadioGroupAndCheckedStateFollowClicks) {
  MenuFixture f;
  f.form->HandleNeeded();
  f.langs[0]->SetChecked(true);
  // A click through the window's menu command.
  SendMessageW(f.form->Handle(), WM_COMMAND, MAKEWPARAM(f.langs[2]->Command(), 0), 0);
  EXPECT_FALSE(f.langs[0]->Checked());
  EXPECT_TRUE(f.langs[2]->Checked());
  HMENU bar = GetMenu(f.form->Handle());
  EXPECT_FALSE(MenuFixture::State(bar, f.langs[0]->Command()) & MF_CHECKED);
  EXPECT_TRUE(MenuFixture::State(bar, f.langs[2]->Command()) & MF_CHECKED);
  f.log->SetChecked(false);
  EXPECT_FALSE(MenuFixture::State(GetMenu(f.form->Handle()), f.log->Command()) & MF_CHECKED);
  f.log->SetEnabled(false);
  EXPECT_TRUE(MenuFixture::State(GetMenu(f.form->Handle()), f.log->Command()) & MF_GRAYED);
}

TEST(Menus, SubmenuRebuiltAndItemsFreedWithTheirParent) {
  MenuFixture f;
  f.form->HandleNeeded();
  TMenuItem* run = new TMenuItem(f.form.get());
  run->SetCaption("Run");
  f.view->Add(run);
  for (int i = 0; i < 3; ++i) {
    auto* item = new TMenuItem(f.form.get());
    item->SetCaption(i == 1 ? "-" : "profile " + std::to_string(i));
    run->Add(item);
  }
  int components = f.form->ComponentCount();
  HMENU sub = GetSubMenu(GetSubMenu(GetMenu(f.form->Handle()), 0), 2);
  ASSERT_TRUE(sub);
  EXPECT_EQ(GetMenuItemCount(sub), 3);
  UINT separatorState = GetMenuState(sub, 1, MF_BYPOSITION);
  EXPECT_TRUE(separatorState & MF_SEPARATOR);
  run->Clear();
  EXPECT_EQ(f.form->ComponentCount(), components - 3);
  EXPECT_EQ(run->Count(), 0);
}

TEST(Menus, MainMenuShortcutClicksItem) {
  MenuFixture f;
  struct Counter : TObject {
    int n = 0;
    void Click(TObject*) { ++n; }
  } counter;
  f.log->OnClick = TNotifyEvent(&counter, &Counter::Click);
  EXPECT_TRUE(f.form->IsShortCut(ShortCut('L', ssCtrl)));
  EXPECT_EQ(counter.n, 1);
  EXPECT_FALSE(f.form->IsShortCut(ShortCut('K', ssCtrl)));
}

TEST(Menus, MenuItemFollowsItsAction) {
  MenuFixture f;
  auto* list = new TActionList(f.form.get());
  auto* action = new TAction(f.form.get());
  action->SetActionList(list);
  action->SetCaption("Log window");
  action->SetChecked(true);
  action->SetShortCut(ShortCut(VK_F1, 0));
  auto* item = new TMenuItem(f.form.get());
  item->SetAction(action);
  f.view->Add(item);
  EXPECT_EQ(item->Caption(), "Log window");
  EXPECT_TRUE(item->Checked());
  action->SetChecked(false);
  EXPECT_FALSE(item->Checked());
  Free(action);
  EXPECT_EQ(item->Action(), nullptr);
  EXPECT_EQ(item->Caption(), "Log window");
}
