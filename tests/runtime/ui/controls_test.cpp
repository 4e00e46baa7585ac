// Windows under Wine and Xvfb: creation, alignment, modal loops and exceptions in handlers.
#include <gtest/gtest.h>
#include <windows.h>

#include <utility>

#include "runtime/ui/extctrls.h"
#include "runtime/ui/forms.h"
#include "runtime/ui/stdctrls.h"
#include "tests/runtime/ui/ui_test_support.h"

using namespace movra::ui;
using movra::ui::test::ExceptionTrap;
using movra::ui::test::After;
using movra::ui::test::Pump;
using movra::ui::test::PumpUntil;

namespace {

// A window described the way the application's windows are: components built in description
// order, with names and English texts, inside the loading bracket.
class TSampleForm : public TForm {
 public:
  explicit TSampleForm(TComponent* owner) : TForm(owner) {
    BeginLoading();
    SetName("SampleForm");
    SetCaption("Sample");
    SetBounds(100, 100, 400, 300);
    OnCreate = TNotifyEvent(this, &TSampleForm::FormCreate);
    top = new TPanel(this);
    top->SetName("pnlTop");
    top->SetParent(this);
    top->SetHeight(40);
    top->SetAlign(TAlign::alTop);
    bottom = new TPanel(this);
    bottom->SetName("pnlBottom");
    bottom->SetParent(this);
    bottom->SetHeight(30);
    bottom->SetAlign(TAlign::alBottom);
    left = new TPanel(this);
    left->SetName("pnlLeft");
    left->SetParent(this);
    left->SetWidth(80);
    left->SetAlign(TAlign::alLeft);
    memo = new TMemo(this);
    memo->SetName("memoLog");
    memo->SetParent(this);
    memo->SetAlign(TAlign::alClient);
    ok = new TButton(this);
    ok->SetName("btnOK");
    ok->SetParent(bottom);
    ok->SetCaption("OK");
    ok->SetDefault(true);
    ok->ModalResult = mrOk;
    cancel = new TButton(this);
    cancel->SetName("btnCancel");
    cancel->SetParent(bottom);
    cancel->SetLeft(100);
    cancel->SetCaption("Cancel");
    cancel->SetCancel(true);
    cancel->ModalResult = mrCancel;
    EndLoading();
  }

  void FormCreate(TObject*) { ++creates; }

  int creates = 0;
  TPanel *top, *bottom, *left;
  TMemo* memo;
  TButton *ok, *cancel;
};

}  // namespace

TEST(Controls, DescriptionBuildsAndCreatesHandlesOnDemand) {
  auto form = MakeOwned<TSampleForm>(nullptr);
  EXPECT_EQ(form->creates, 1);
  EXPECT_FALSE(form->HandleAllocated());
  EXPECT_FALSE(form->memo->HandleAllocated());
  EXPECT_EQ(form->FindComponent("memoLog"), form->memo);
  HWND memoWindow = form->memo->Handle();  // the parent's window comes first
  EXPECT_TRUE(form->HandleAllocated());
  EXPECT_EQ(GetParent(memoWindow), form->Handle());
  EXPECT_EQ(FindControl(memoWindow), form->memo);
  EXPECT_EQ(FindControl(form->Handle()), form.get());
  wchar_t title[32]{};
  GetWindowTextW(form->Handle(), title, 32);
  EXPECT_STREQ(title, L"Sample");
}

TEST(Controls, TextSurvivesRecreationAndWindowIsForgottenOnDestroy) {
  auto form = MakeOwned<TSampleForm>(nullptr);
  form->memo->SetText("line one\r\nline two");
  HWND before = form->memo->Handle();
  form->memo->SetScrollBars(TScrollStyle::ssBoth);  // recreates the window
  HWND after = form->memo->Handle();
  EXPECT_NE(before, after);
  EXPECT_TRUE(GetWindowLongPtrW(after, GWL_STYLE) & WS_VSCROLL);
  EXPECT_EQ(form->memo->GetText(), "line one\r\nline two");
  EXPECT_EQ(FindControl(before), nullptr);
  HWND formWindow = form->Handle();
  form.reset();
  EXPECT_EQ(FindControl(formWindow), nullptr);
  EXPECT_EQ(FindControl(after), nullptr);
  EXPECT_FALSE(IsWindow(formWindow));
}

TEST(Controls, ReparentingKeepsTheWindow) {
  auto form = MakeOwned<TSampleForm>(nullptr);
  HWND button = form->ok->Handle();
  form->ok->SetParent(form->left);
  EXPECT_EQ(form->ok->Handle(), button);
  EXPECT_EQ(GetParent(button), form->left->Handle());
  EXPECT_EQ(form->ok->Parent(), form->left);
  EXPECT_EQ(form->bottom->ControlCount(), 1);
}

TEST(Controls, DockedChildrenShareTheClientArea) {
  auto form = MakeOwned<TSampleForm>(nullptr);
  form->HandleNeeded();
  form->SetClientSize(400, 300);
  RECT client = form->ClientRect();
  ASSERT_EQ(client.right, 400);
  ASSERT_EQ(client.bottom, 300);
  EXPECT_EQ(form->top->BoundsRect().top, 0);
  EXPECT_EQ(form->top->Width(), 400);
  EXPECT_EQ(form->bottom->Top(), 270);
  EXPECT_EQ(form->bottom->Width(), 400);
  EXPECT_EQ(form->left->Top(), 40);
  EXPECT_EQ(form->left->Height(), 230);
  EXPECT_EQ(form->memo->Left(), 80);
  EXPECT_EQ(form->memo->Top(), 40);
  EXPECT_EQ(form->memo->Width(), 320);
  EXPECT_EQ(form->memo->Height(), 230);
  // The windows follow, in parent coordinates.
  RECT r;
  GetWindowRect(form->memo->Handle(), &r);
  MapWindowPoints(nullptr, form->Handle(), reinterpret_cast<POINT*>(&r), 2);
  EXPECT_EQ(r.left, 80);
  EXPECT_EQ(r.bottom, 270);

  // Hiding a docked panel gives its room to the client control; resizing re-lays everything.
  form->left->Hide();
  EXPECT_EQ(form->memo->Left(), 0);
  form->SetClientSize(500, 200);
  EXPECT_EQ(form->bottom->Top(), 170);
  EXPECT_EQ(form->memo->Width(), 500);
  EXPECT_EQ(form->memo->Height(), 130);
}

TEST(Controls, AnchoredControlFollowsRightAndBottomEdges) {
  auto form = MakeOwned<TForm>(nullptr);
  form->HandleNeeded();
  form->SetClientSize(300, 200);
  auto* button = new TButton(form.get());
  button->SetParent(form.get());
  button->SetBounds(200, 150, 75, 25);
  button->SetAnchors(akRight | akBottom);
  auto* edit = new TEdit(form.get());
  edit->SetParent(form.get());
  edit->SetBounds(10, 10, 280, 21);
  edit->SetAnchors(akLeft | akTop | akRight);
  form->SetClientSize(400, 260);
  EXPECT_EQ(button->Left(), 300);
  EXPECT_EQ(button->Top(), 210);
  EXPECT_EQ(edit->Left(), 10);
  EXPECT_EQ(edit->Width(), 380);
}

TEST(Controls, ParentFontAndColourAreInherited) {
  auto form = MakeOwned<TSampleForm>(nullptr);
  form->Font().SetName("Courier New");
  EXPECT_EQ(form->top->Font().Name(), "Courier New");
  EXPECT_EQ(form->ok->Font().Name(), "Courier New");
  form->memo->Font().SetName("Arial");
  EXPECT_FALSE(form->memo->ParentFont());
  form->Font().SetName("Tahoma");
  EXPECT_EQ(form->memo->Font().Name(), "Arial");
  EXPECT_EQ(form->left->Font().Name(), "Tahoma");
  form->SetColor(clWhite);
  EXPECT_EQ(form->top->Color(), clWhite);
}

namespace {

struct CloseGuard : TObject {
  int asked = 0;
  bool allow = false;
  void Query(TObject*, bool& canClose) {
    ++asked;
    canClose = allow;
    allow = true;  // the second attempt succeeds
  }
};

}  // namespace

TEST(Controls, ModalLoopEndsWithTheButtonsModalResult) {
  auto form = MakeOwned<TSampleForm>(nullptr);
  After(10, [&] { return form->ok->Click(), false; });
  EXPECT_EQ(form->ShowModal(), mrOk);
  EXPECT_FALSE(form->Visible());
  EXPECT_FALSE(IsWindowVisible(form->Handle()));
  // Shown again, it may be closed another way.
  After(10, [&] { return form->cancel->Click(), false; });
  EXPECT_EQ(form->ShowModal(), mrCancel);

  // Opened over another dialog, it is that dialog's, which hands it the activation it gets while
  // disabled; closed, it is left with the owner it had. A floating tool window of that dialog's,
  // in front and enabled while the dialog is not (as the main form is under a command's dialog),
  // is neither the owner nor handed the activation.
  const HWND ownerBefore = GetWindow(form->Handle(), GW_OWNER);
  auto outer = MakeOwned<TSampleForm>(nullptr);
  HWND owner = nullptr;
  bool outerActivated = false, handedOn = false;
  // Each runs once: its timer goes on firing inside the loops it starts.
  bool opened = false, closed = false;
  After(10, [&] {
    if (std::exchange(opened, true)) return false;
    After(10, [&] {
      if (std::exchange(closed, true)) return false;
      owner = GetWindow(form->Handle(), GW_OWNER);
      SetForegroundWindow(outer->Handle());
      outerActivated = GetActiveWindow() == outer->Handle();
      handedOn = PumpUntil([&] { return GetActiveWindow() == form->Handle(); });
      form->cancel->Click();
      return false;
    });
    const HWND tool = CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP | WS_CAPTION, 0, 0, 120, 60,
                                      outer->Handle(), nullptr, nullptr, nullptr);
    ShowWindow(tool, SW_SHOWNOACTIVATE);
    EnableWindow(outer->Handle(), FALSE);
    EXPECT_EQ(form->ShowModal(), mrCancel);
    EnableWindow(outer->Handle(), TRUE);
    DestroyWindow(tool);
    outer->ok->Click();
    return false;
  });
  EXPECT_EQ(outer->ShowModal(), mrOk);
  EXPECT_EQ(owner, outer->Handle());
  EXPECT_TRUE(outerActivated && handedOn) << outerActivated;
  EXPECT_EQ(GetWindow(form->Handle(), GW_OWNER), ownerBefore);
}

TEST(Controls, ModalLoopAsksCloseQuery) {
  auto form = MakeOwned<TSampleForm>(nullptr);
  CloseGuard guard;
  form->OnCloseQuery = TCloseQueryEvent(&guard, &CloseGuard::Query);
  int shots = 0;
  After(10, [&] {
    form->ok->Click();
    return ++shots < 2;
  });
  EXPECT_EQ(form->ShowModal(), mrOk);
  EXPECT_EQ(guard.asked, 2);
}

TEST(Controls, EscapeKeyPressesTheCancelButton) {
  auto form = MakeOwned<TSampleForm>(nullptr);
  form->HandleNeeded();
  HWND memo = form->memo->Handle();
  After(10, [memo] { return PostMessageW(memo, WM_KEYDOWN, VK_ESCAPE, 0x00010001), false; });
  EXPECT_EQ(form->ShowModal(), mrCancel);
}

TEST(Controls, ExceptionInHandlerGoesToTheApplication) {
  ExceptionTrap trap;
  auto form = MakeOwned<TSampleForm>(nullptr);
  struct Thrower : TObject {
    void Click(TObject*) { throw movra::Exception("handler failed"); }
  } thrower;
  form->ok->OnClick = TNotifyEvent(&thrower, &Thrower::Click);
  form->ok->ModalResult = mrNone;
  form->Show();
  // A click through the real button window: the exception must not cross the window procedure.
  SendMessageW(form->ok->Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(trap.count, 1);
  EXPECT_EQ(trap.lastMessage, "handler failed");
  EXPECT_TRUE(IsWindow(form->Handle()));
}

TEST(Controls, MemoLineLimitKeepsTheNewestLines) {
  auto form = MakeOwned<TSampleForm>(nullptr);
  form->HandleNeeded();
  TMemo* memo = form->memo;
  memo->SetLineLimit(5);
  // A last line without a line break is followed, not run into.
  memo->Lines().SetText("line 0");
  movra::TStringList lines;
  for (int i = 1; i <= 8; ++i) lines.Add("line " + std::to_string(i));
  memo->AppendLines(lines, true);
  ASSERT_EQ(memo->Lines().Count(), 5);
  EXPECT_EQ(memo->Lines()[0], "line 4");
  EXPECT_EQ(memo->Lines()[4], "line 8");
  movra::TStringList more{"line 9"};
  memo->AppendLines(more, false);
  EXPECT_EQ(memo->Lines().Count(), 5);
  EXPECT_EQ(memo->Lines()[0], "line 5");
  // Lowering the limit trims at once.
  memo->SetLineLimit(2);
  EXPECT_EQ(memo->Lines().Text(), "line 8\r\nline 9\r\n");
}

TEST(Controls, MemoLinesWithoutAWindow) {
  auto form = MakeOwned<TSampleForm>(nullptr);
  TMemo* memo = form->memo;
  memo->Lines().Add("a");
  memo->Lines().Add("b");
  memo->Lines().Insert(1, "between");
  memo->Lines().Delete(0);
  EXPECT_EQ(memo->Lines().Text(), "between\r\nb\r\n");
  memo->HandleNeeded();
  EXPECT_EQ(memo->Lines().Count(), 2);
  EXPECT_EQ(memo->Lines()[1], "b");
  memo->Lines().Put(0, "first");
  EXPECT_EQ(memo->Lines()[0], "first");
}

TEST(Controls, ComboItemsAndIndexSurviveTheWindow) {
  auto form = MakeOwned<TForm>(nullptr);
  auto* combo = new TComboBox(form.get());
  combo->SetParent(form.get());
  combo->SetStyle(TComboBoxStyle::csDropDownList);
  combo->Items().Add("None");
  combo->Items().Add("Short");
  combo->Items().Add("Verbose");
  combo->SetItemIndex(2);
  combo->HandleNeeded();
  EXPECT_EQ(SendMessageW(combo->Handle(), CB_GETCOUNT, 0, 0), 3);
  EXPECT_EQ(combo->ItemIndex(), 2);
  combo->Items().Put(0, "Keine");  // a translated item keeps the selection
  EXPECT_EQ(combo->ItemIndex(), 2);
  combo->SetItemIndex(7);
  EXPECT_EQ(combo->ItemIndex(), -1);
}

TEST(Controls, CheckBoxStateAndClick) {
  auto form = MakeOwned<TForm>(nullptr);
  auto* box = new TCheckBox(form.get());
  box->SetParent(form.get());
  struct Clicks : TObject {
    int n = 0;
    void On(TObject*) { ++n; }
  } clicks;
  box->OnClick = TNotifyEvent(&clicks, &Clicks::On);
  box->SetChecked(true);
  EXPECT_EQ(clicks.n, 1);
  EXPECT_EQ(SendMessageW(box->Handle(), BM_GETCHECK, 0, 0), BST_CHECKED);
  SendMessageW(box->Handle(), BM_CLICK, 0, 0);
  EXPECT_FALSE(box->Checked());
  EXPECT_EQ(clicks.n, 2);
}

TEST(Controls, SynchronizeRunsOnTheInterfaceThread) {
  DWORD ranOn = 0;
  HANDLE thread = CreateThread(
      nullptr, 0,
      [](LPVOID p) -> DWORD {
        Synchronize([p] { *static_cast<DWORD*>(p) = GetCurrentThreadId(); });
        return 0;
      },
      &ranOn, 0, nullptr);
  ASSERT_TRUE(PumpUntil([&] { return WaitForSingleObject(thread, 0) == WAIT_OBJECT_0; }));
  CloseHandle(thread);
  EXPECT_EQ(ranOn, GetCurrentThreadId());
}
