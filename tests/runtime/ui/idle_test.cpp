// The application's idle time updates the actions of every showing action client.
#include <gtest/gtest.h>
#include <windows.h>

#include "runtime/ui/actions.h"
#include "runtime/ui/forms.h"
#include "runtime/ui/stdctrls.h"
#include "tests/runtime/ui/ui_test_support.h"

using namespace movra::ui;
using movra::ui::test::Pump;

namespace {

// Shows actions of its own (as a toolbar does): counts the idle updates it is given.
class TOwnActions : public TWinControl {
 public:
  explicit TOwnActions(TComponent* owner) : TWinControl(owner) { SetControlStyle(ControlStyle() | csActionClient); }
  int updates = 0;
  void InitiateAction() override {
    TWinControl::InitiateAction();
    ++updates;
  }
};

struct TIdleForm : TObject {
  TOwned<TForm> form = MakeOwned<TForm>(nullptr);
  TAction* save;
  TButton* button;
  TOwnActions* shown;
  TOwnActions* hidden;
  TOwnActions* insideHidden;
  TWinControl* hiddenPanel;
  int saveUpdates = 0;
  bool saveEnabled = false;
  TIdleForm() {
    form->SetBounds(80, 80, 300, 200);
    save = new TAction(form.get());  // in no action list: only its client updates it
    save->SetCaption("Save");
    save->OnUpdate = TNotifyEvent(this, &TIdleForm::SaveUpdate);
    button = new TButton(form.get());
    button->SetParent(form.get());
    button->SetAction(save);
    shown = new TOwnActions(form.get());
    shown->SetParent(form.get());
    hidden = new TOwnActions(form.get());
    hidden->SetVisible(false);
    hidden->SetParent(form.get());
    hiddenPanel = new TWinControl(form.get());
    hiddenPanel->SetVisible(false);
    hiddenPanel->SetParent(form.get());
    insideHidden = new TOwnActions(form.get());
    insideHidden->SetParent(hiddenPanel);
  }
  void SaveUpdate(TObject*) {
    ++saveUpdates;
    save->SetEnabled(saveEnabled);
  }
};

}  // namespace

TEST(IdleActions, EveryShowingActionClientOfAVisibleFormIsUpdated) {
  TIdleForm f;
  EXPECT_TRUE(f.button->ControlStyle() & csActionClient) << "a control with an action is a client";
  Application().Idle();
  EXPECT_EQ(f.saveUpdates, 0) << "a hidden form is left alone";
  f.form->Show();
  Pump();
  Application().Idle();
  EXPECT_EQ(f.saveUpdates, 1);
  EXPECT_FALSE(f.button->Enabled()) << "the update reached the client through its action";
  EXPECT_EQ(f.shown->updates, 1);
  EXPECT_EQ(f.hidden->updates, 0);
  EXPECT_EQ(f.insideHidden->updates, 0) << "under a hidden parent";
  f.saveEnabled = true;
  f.hiddenPanel->SetVisible(true);
  Application().Idle();
  EXPECT_TRUE(f.button->Enabled());
  EXPECT_EQ(f.insideHidden->updates, 1);
  EXPECT_EQ(f.shown->updates, 2);
}
