// Keyboard access to toolbars and menu bars (Alt+letter through SC_KEYMENU, dialog characters,
// F10 and Alt alone), the shortcut registry, the menu bar's get-message hook and the mouse press
// that starts tracking; the tracking loop is a recording stand-in here.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support.h"
#include "tests/runtime/ui/ui_test_support.h"
#include "tests/toolbars/bar_toolbar_test_support.h"
#include "tests/toolbars/dock_test_support.h"
#include "toolbars/bar_hook.h"
#include "toolbars/bar_toolbar.h"

using namespace movra::bars;
using namespace movra::bars::test;

using movra::testing::TestPicture;
using movra::ui::test::Pump;
using movra::ui::test::PumpUntil;

namespace {

TBarItem* AddItem(TBarCustomToolbar* bar, const std::string& caption, bool enabled = true) {
  auto* item = new TBarItem(nullptr);
  item->SetCaption(caption);
  item->SetEnabled(enabled);
  bar->Items()->Add(item);
  return item;
}

LRESULT KeyMenu(TBarCustomToolbar* bar, wchar_t key) {
  return SendMessageW(bar->Handle(), WM_SYSCOMMAND, SC_KEYMENU, key);
}

// Counts the Alt letters a plain child window receives.
struct ChildWatch {
  static LRESULT CALLBACK Proc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_SYSCHAR) {
      ++count;
      return 0;
    }
    return CallWindowProcW(old, w, msg, wp, lp);
  }
  static inline WNDPROC old = nullptr;
  static inline int count = 0;
};

struct Clicks : movra::ui::TObject {
  int count = 0;
  void Click(movra::ui::TObject*) { ++count; }
};

}  // namespace

TEST(MenuBarKeys, AltLetterOpensTheItemItNames) {
  TRecordingLoop loop;
  TDockForm f;
  auto* bar = new TBarToolbar(f.Form);
  TBarItem* file = AddItem(bar, "&File");
  TBarItem* edit = AddItem(bar, "&Edit");
  TBarItem* exit = AddItem(bar, "E&xit");
  TBarItem* next = AddItem(bar, "Ne&xt");
  AddItem(bar, "&Disabled", false);
  TBarItem* open = AddItem(bar, "Open");
  bar->SetMenuBar(true);
  bar->SetParent(f.Top);
  f.Form->Show();
  Pump();
  TLoopRecord& r = LoopRecord();

  // A unique accelerator opens (or runs) its item at once, whatever its case.
  EXPECT_EQ(KeyMenu(bar, L'e'), 1);
  EXPECT_EQ(r.Loops, 1);
  EXPECT_EQ(r.SelectedItem, edit);
  EXPECT_TRUE(r.ExecuteSelected);
  EXPECT_FALSE(r.MousePress);
  EXPECT_TRUE(r.AcceleratorsShown);
  EXPECT_EQ(bar->View()->Selected(), nullptr);  // cleared when the loop ends
  EXPECT_EQ(KeyMenu(bar, L'F'), 1);
  EXPECT_EQ(r.SelectedItem, file);
  // A shared one selects the first and tracks without running it.
  EXPECT_EQ(KeyMenu(bar, L'x'), 1);
  EXPECT_EQ(r.Loops, 3);
  EXPECT_EQ(r.SelectedItem, exit);
  EXPECT_FALSE(r.ExecuteSelected);
  // Without the primary accelerator required, a first caption letter counts.
  EXPECT_EQ(KeyMenu(bar, L'o'), 1);
  EXPECT_EQ(r.SelectedItem, open);
  // Key 0 (F10, Alt alone): the first item, from the keyboard.
  EXPECT_EQ(KeyMenu(bar, 0), 1);
  EXPECT_EQ(r.Loops, 5);
  EXPECT_EQ(r.SelectedItem, file);
  EXPECT_FALSE(r.ExecuteSelected);

  // A disabled item or no match beeps and is taken; "-" and space are left to the window.
  EXPECT_EQ(KeyMenu(bar, L'd'), 1);
  EXPECT_EQ(KeyMenu(bar, L'q'), 1);
  EXPECT_EQ(KeyMenu(bar, L'-'), 0);
  EXPECT_EQ(KeyMenu(bar, L' '), 0);
  EXPECT_EQ(r.Loops, 5);
  // Not while some window holds the mouse, and not for other system commands.
  SetCapture(f.Form->Handle());
  EXPECT_EQ(KeyMenu(bar, L'e'), 0);
  ReleaseCapture();
  EXPECT_EQ(SendMessageW(bar->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0), 0);
  EXPECT_EQ(r.Loops, 5);

  // A toolbar that is not a menu bar does not answer SC_KEYMENU; it takes dialog characters
  // instead, by a unique primary accelerator only.
  EXPECT_FALSE(bar->DialogChar(U'e'));
  bar->SetMenuBar(false);
  EXPECT_EQ(KeyMenu(bar, L'e'), 0);
  EXPECT_TRUE(bar->DialogChar(U'E'));
  EXPECT_EQ(r.SelectedItem, edit);
  EXPECT_TRUE(r.ExecuteSelected);
  EXPECT_FALSE(bar->DialogChar(U'x'));  // shared
  EXPECT_FALSE(bar->DialogChar(U'o'));  // no accelerator
  EXPECT_FALSE(bar->DialogChar(U'd'));  // disabled
  EXPECT_FALSE(bar->DialogChar(0));
  EXPECT_EQ(r.Loops, 6);
  (void)next;
}

TEST(MenuBarKeys, SysCommandsReachMenuBarsThroughDocksAndForms) {
  TRecordingLoop loop;
  TDockForm f;
  auto* bar = new TBarToolbar(f.Form);
  TBarItem* view = AddItem(bar, "&View");
  bar->SetMenuBar(true);
  bar->SetParent(f.Top);
  f.Form->Show();
  ASSERT_TRUE(PumpUntil([&] { return f.Form->Active(); }, 3000));
  TLoopRecord& r = LoopRecord();

  // The form's notice searches its controls: the dock answers nothing for a docked bar, the
  // bar itself answers.
  movra::ui::TMessage m{WM_SYSCOMMAND, SC_KEYMENU, L'v', 0};
  EXPECT_TRUE(ProcessSysCommandNotice(m));
  EXPECT_EQ(r.Loops, 1);
  EXPECT_EQ(r.SelectedItem, view);
  m.LParam = L'z';
  EXPECT_TRUE(ProcessSysCommandNotice(m));  // beeped: taken
  m.LParam = L'-';
  EXPECT_FALSE(ProcessSysCommandNotice(m));
  EXPECT_EQ(r.Loops, 1);

  // Floating, the bar is reached through the dock's relay.
  bar->SetFloating(true);
  Pump();
  ASSERT_TRUE(bar->Floating());
  EXPECT_EQ(f.Top->Perform(WM_SYSCOMMAND, SC_KEYMENU, L'v'), 1);
  EXPECT_EQ(r.Loops, 2);
  bar->SetCurrentDock(f.Top);
}

TEST(ShortCuts, TheRegistryRunsItemsOfTheActiveAndTheMainForm) {
  TDockForm f;
  auto* bar = new TBarToolbar(f.Form);
  TBarItem* refresh = AddItem(bar, "&Refresh");
  refresh->SetShortCut(movra::ui::ShortCut(VK_F5, 0));
  Clicks clicks;
  refresh->OnClick = movra::ui::TNotifyEvent(&clicks, &Clicks::Click);
  bar->SetParent(f.Top);
  f.Form->Show();
  ASSERT_TRUE(PumpUntil([&] { return f.Form->Active(); }, 3000));

  EXPECT_FALSE(ProcessShortCutKeyDown(VK_F5, 0));  // not registered yet
  EXPECT_FALSE(ShortCutHookInstalled());
  bar->SetProcessShortCuts(true);
  EXPECT_TRUE(bar->ShortCutsRegistered());
  EXPECT_TRUE(ShortCutHookInstalled());
  ASSERT_EQ(ShortCutToolbars().size(), 1u);
  EXPECT_TRUE(ProcessShortCutKeyDown(VK_F5, 0));
  EXPECT_EQ(clicks.count, 1);
  EXPECT_FALSE(ProcessShortCutKeyDown(VK_F6, 0));
  // An item bound to an action takes the action's shortcut and runs the action.
  auto* action = new movra::ui::TAction(f.Form);
  Clicks executed;
  action->OnExecute = movra::ui::TNotifyEvent(&executed, &Clicks::Click);
  action->SetShortCut(movra::ui::ShortCut(VK_F8, 0));
  TBarItem* acting = AddItem(bar, "Act");
  acting->SetAction(action);
  EXPECT_EQ(acting->ShortCut(), movra::ui::ShortCut(VK_F8, 0));
  EXPECT_TRUE(ProcessShortCutKeyDown(VK_F8, 0));
  EXPECT_EQ(executed.count, 1);
  // A disabled form takes no shortcuts.
  EnableWindow(f.Form->Handle(), FALSE);
  EXPECT_FALSE(ProcessShortCutKeyDown(VK_F5, 0));
  EnableWindow(f.Form->Handle(), TRUE);

  // The toolbar's own event decides when assigned.
  struct Decider : movra::ui::TObject {
    int asked = 0;
    void Decide(movra::ui::TObject*, WPARAM key, LPARAM, bool& handled) {
      ++asked;
      handled = key == VK_F6;
    }
  } decider;
  bar->OnShortCut = TBarShortCutEvent(&decider, &Decider::Decide);
  EXPECT_TRUE(ProcessShortCutKeyDown(VK_F6, 0));
  EXPECT_FALSE(ProcessShortCutKeyDown(VK_F5, 0));
  EXPECT_EQ(decider.asked, 2);
  EXPECT_EQ(clicks.count, 1);
  bar->OnShortCut = nullptr;

  // Alt alone shows a menu bar's accelerators and is not taken.
  bar->SetMenuBar(true);
  EXPECT_EQ(ShortCutToolbars().size(), 1u);
  EXPECT_FALSE(bar->View()->AcceleratorsShown());
  EXPECT_FALSE(ProcessShortCutKeyDown(VK_MENU, 0));
  EXPECT_TRUE(bar->View()->AcceleratorsShown());

  // A second toolbar on another form that is neither active nor main is not asked.
  movra::ui::TForm* other = new movra::ui::TForm(nullptr);
  auto* otherBar = new TBarToolbar(other);
  TBarItem* otherItem = AddItem(otherBar, "Other");
  otherItem->SetShortCut(movra::ui::ShortCut(VK_F7, 0));
  Clicks otherClicks;
  otherItem->OnClick = movra::ui::TNotifyEvent(&otherClicks, &Clicks::Click);
  otherBar->SetParent(other);
  otherBar->SetProcessShortCuts(true);
  EXPECT_EQ(ShortCutToolbars().size(), 2u);
  EXPECT_FALSE(ProcessShortCutKeyDown(VK_F7, 0));
  movra::ui::TCustomForm* main = movra::ui::Application().MainForm();
  movra::ui::Application().SetMainForm(other);
  other->Show();
  Pump();
  EXPECT_TRUE(ProcessShortCutKeyDown(VK_F7, 0));
  EXPECT_EQ(otherClicks.count, 1);
  movra::ui::Application().SetMainForm(main);
  movra::ui::Free(other);
  EXPECT_EQ(ShortCutToolbars().size(), 1u);

  // A registered menu bar that goes leaves the registry and its hook.
  const int hookUses = WindowsHookUseCount(TWindowsHook::GetMessage);
  movra::ui::Free(bar);
  EXPECT_TRUE(ShortCutToolbars().empty());
  EXPECT_FALSE(ShortCutHookInstalled());
  EXPECT_EQ(WindowsHookUseCount(TWindowsHook::GetMessage), hookUses - 1);
}

TEST(MenuBarHook, AltLettersOfTheMdiClientGoToTheMainForm) {
  TDockForm f;
  struct Watcher : movra::ui::TObject {
    movra::ui::TForm* form = nullptr;
    std::vector<WPARAM> sysChars;
    void Proc(movra::ui::TMessage& m) {
      // Kept from the system's own handling, which would start its menu loop.
      if (m.Msg == WM_SYSCHAR) {
        sysChars.push_back(m.WParam);
        return;
      }
      form->WndProc(m);
    }
  } watcher;
  watcher.form = f.Form;
  f.Form->WindowProc = movra::ui::TWndMethod(&watcher, &Watcher::Proc);
  auto* bar = new TBarToolbar(f.Form);
  AddItem(bar, "&File");
  bar->SetParent(f.Top);
  f.Form->Show();
  Pump();
  movra::ui::TCustomForm* main = movra::ui::Application().MainForm();
  movra::ui::Application().SetMainForm(f.Form);

  CLIENTCREATESTRUCT ccs{nullptr, 1000};
  HWND client = CreateWindowExW(0, L"MDICLIENT", nullptr, WS_CHILD | WS_VISIBLE, 0, 100, 200, 100, f.Form->Handle(),
                                nullptr, GetModuleHandleW(nullptr), &ccs);
  ASSERT_NE(client, nullptr);
  HWND child = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 20, 20, client, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
  ChildWatch::count = 0;
  ChildWatch::old = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(child, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ChildWatch::Proc)));
  auto postAndPump = [&](HWND target, WPARAM key) {
    PostMessageW(target, WM_SYSCHAR, key, 0);
    Pump();
  };

  // Without a menu bar nothing is redirected: the child gets its own.
  postAndPump(child, L'-');
  EXPECT_EQ(ChildWatch::count, 1);
  bar->SetMenuBar(true);
  postAndPump(client, L'f');
  postAndPump(child, L'-');
  postAndPump(child, L'g');
  EXPECT_EQ(watcher.sysChars, (std::vector<WPARAM>{L'f', L'-'}));
  EXPECT_EQ(ChildWatch::count, 2);  // 'g' stays with the child
  // Not while the mouse is captured.
  SetCapture(f.Form->Handle());
  postAndPump(client, L'h');
  ReleaseCapture();
  EXPECT_EQ(watcher.sysChars.size(), 2u);

  SetWindowLongPtrW(child, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ChildWatch::old));
  DestroyWindow(client);
  movra::ui::Application().SetMainForm(main);
}

TEST(ToolbarMouse, APressOnAnItemTracksFromTheMouse) {
  TRecordingLoop loop;
  TDockForm f;
  TBarToolbar* bar = AddFixedToolbar(f.Top, 3, 0, 0);
  auto* notClickable = new TFixedControl(f.Form, 30, 18);
  notClickable->SetParent(bar);
  f.Form->Show();
  Pump();
  TWatchdog watchdog(8000);
  TBarItemViewer* second = bar->View()->ViewerAt(1);
  second->Item()->SetHint("Second|The second item");
  const POINT target = bar->ClientToScreen({(second->BoundsRect.left + second->BoundsRect.right) / 2, 10});
  TMouseScript script;
  script.MoveTo(target);
  script.Down();
  script.Up();
  script.Start();
  ASSERT_TRUE(PumpUntil([&] { return script.Done() && LoopRecord().Loops > 0; }, 6000));
  EXPECT_FALSE(watchdog.Fired());
  EXPECT_EQ(LoopRecord().Loops, 1);
  EXPECT_TRUE(LoopRecord().MousePress);
  EXPECT_EQ(LoopRecord().SelectedItem, second->Item());
  EXPECT_EQ(bar->Parent(), f.Top);  // no drag started
  // The move over the item gave the toolbar the item's hint.
  EXPECT_EQ(bar->Hint(), "Second|The second item");
  // The hint window asks per point: the item under it gives the short hint and its rectangle.
  movra::ui::THintInfo info;
  info.HintControl = bar;
  info.CursorPos = {second->BoundsRect.left + 3, 5};
  info.HintStr = "toolbar";
  EXPECT_EQ(bar->Perform(movra::ui::CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info)), 0);
  EXPECT_EQ(info.HintStr, "Second");
  EXPECT_TRUE(EqualRect(&info.CursorRect, &second->BoundsRect));
  info.CursorPos = {bar->ClientWidth() - 1, 21};  // on the control item, which has no hint
  bar->Perform(movra::ui::CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info));
  EXPECT_EQ(info.HintStr, "");
}

TEST(FloatingToolbar, ResizedByItsRightEdgeItSnapsToAWrappingWidth) {
  TDockForm f;
  TBarToolbar* bar = AddFixedToolbar(f.Top, 4, 0, 0);
  f.Form->Show();
  ASSERT_TRUE(PumpUntil([&] { return f.Form->Active(); }, 3000));
  bar->SetFloatingPosition({300, 500});
  bar->SetFloating(true);
  ASSERT_TRUE(PumpUntil([&] { return bar->FloatingParent() && IsWindowVisible(bar->FloatingParent()->Handle()); }, 3000));
  // Floating, one line: 4 + 4 x 23 + 4 by 2 + 22 + 1.
  EXPECT_EQ(bar->Width(), 100);
  EXPECT_EQ(bar->Height(), 25);
  TBarFloatingWindowParent* parent = bar->FloatingParent();
  const RECT start = WindowRect(parent->Handle());
  const SIZE frame = parent->NonClientSize();
  EXPECT_EQ(start.right - start.left, 100 + frame.cx);

  // Drag the right edge 40 pixels to the left: the next width down that changes the line count
  // is 54 (two lines of two).
  TWatchdog watchdog(10000);
  TMouseScript script;
  const POINT grip{start.right - 2, (start.top + start.bottom) / 2};
  script.MoveTo(grip);
  script.Down();
  for (int dx = 5; dx <= 40; dx += 5) script.MoveTo({grip.x - dx, grip.y});
  script.Up();
  script.Start();
  ASSERT_TRUE(PumpUntil([&] { return script.Done(); }, 8000));
  Pump();
  EXPECT_FALSE(watchdog.Fired());
  EXPECT_EQ(bar->FloatingWidth(), 54);
  EXPECT_EQ(bar->Width(), 54);
  EXPECT_EQ(bar->Height(), 2 + 2 * 22 + 1);
  const RECT after = WindowRect(parent->Handle());
  EXPECT_EQ(after.left, start.left);  // the left edge stayed
  EXPECT_EQ(after.top, start.top);
  EXPECT_EQ(after.right - after.left, 54 + frame.cx);
  EXPECT_EQ(bar->View()->ViewerAt(2)->BoundsRect.left, 4);
  EXPECT_EQ(bar->View()->ViewerAt(2)->BoundsRect.top, 2 + 22);
  // Kept and restored through the position data.
  int stored = -1;
  TBarPositionDataIO io;
  io.WriteInteger = [&](const std::string&, const std::string& value, int data) {
    if (value == "FloatRightX") stored = data;
  };
  io.ReadInteger = [&](const std::string&, const std::string& value, int fallback) {
    return value == "FloatRightX" ? 31 : fallback;
  };
  bar->WritePositionData(io);
  EXPECT_EQ(stored, 54);
  bar->ReadPositionData(io);
  EXPECT_EQ(bar->FloatingWidth(), 31);
  EXPECT_EQ(bar->Width(), 31);
  EXPECT_EQ(bar->Height(), 2 + 4 * 22 + 1);
  bar->SetCurrentDock(f.Top);
}

TEST(ApplicationKeys, PostedKeysReachMenuBarsAndShortcutsThroughTheMessageLoop) {
  TRecordingLoop loop;
  TWatchdog watchdog(10000);
  TDockForm f;
  auto* menu = new TBarToolbar(f.Form);
  AddItem(menu, "&File");
  TBarItem* edit = AddItem(menu, "&Edit");
  menu->SetMenuBar(true);
  menu->SetParent(f.Top);
  auto* tools = new TBarToolbar(f.Form);
  TBarItem* run = AddItem(tools, "&Run");
  TBarItem* refresh = AddItem(tools, "Refresh");
  refresh->SetShortCut(movra::ui::ShortCut(VK_F5, 0));
  Clicks clicks;
  refresh->OnClick = movra::ui::TNotifyEvent(&clicks, &Clicks::Click);
  tools->SetProcessShortCuts(true);
  tools->SetDockRow(1);
  tools->SetParent(f.Top);
  f.Form->Show();
  ASSERT_TRUE(PumpUntil([&] { return f.Form->Active(); }, 3000));
  TLoopRecord& r = LoopRecord();
  HWND form = f.Form->Handle();

  // The form's menu key goes to the menu bar before the system's menu loop.
  PostMessageW(form, WM_SYSCOMMAND, SC_KEYMENU, L'e');
  ASSERT_TRUE(PumpUntil([&] { return r.Loops == 1; }, 3000));
  EXPECT_EQ(r.SelectedItem, edit);
  EXPECT_TRUE(r.ExecuteSelected);
  // F10 and the released Alt come as key 0: the first item, tracked from the keyboard.
  PostMessageW(form, WM_SYSCOMMAND, SC_KEYMENU, 0);
  ASSERT_TRUE(PumpUntil([&] { return r.Loops == 2; }, 3000));
  EXPECT_FALSE(r.ExecuteSelected);
  EXPECT_EQ(r.SelectedItem, menu->Items()->ChildAt(0));

  // Alt+letter reaches the toolbar that is not a menu bar as a dialog character.
  PostMessageW(form, WM_SYSCHAR, L'r', 0x20000000);
  ASSERT_TRUE(PumpUntil([&] { return r.Loops == 3; }, 3000));
  EXPECT_EQ(r.SelectedItem, run);

  // A key-down reaches the shortcut registry before the form's own shortcuts.
  PostMessageW(form, WM_KEYDOWN, VK_F5, 0);
  ASSERT_TRUE(PumpUntil([&] { return clicks.count == 1; }, 3000));
  EXPECT_EQ(r.Loops, 3);
  EXPECT_FALSE(watchdog.Fired());
}

TEST(ToolbarActions, IdleTimeUpdatesTheActionsOfTheItemsShown) {
  TDockForm f;
  auto* bar = new TBarToolbar(f.Form);
  auto* action = new movra::ui::TAction(f.Form);
  Clicks updates;
  action->OnUpdate = movra::ui::TNotifyEvent(&updates, &Clicks::Click);
  TBarItem* item = AddItem(bar, "Act");
  item->SetAction(action);
  bar->SetParent(f.Top);
  f.Form->Show();
  Pump();
  updates.count = 0;
  movra::ui::Application().Idle();
  EXPECT_EQ(updates.count, 1);
  // Without the update flag the toolbar leaves its items' actions alone.
  bar->SetUpdateActionsOn(false);
  movra::ui::Application().Idle();
  EXPECT_EQ(updates.count, 1);
}
