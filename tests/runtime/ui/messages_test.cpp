// The control messages: relays of system colour and setting changes and of WM_CANCELMODE to
// child controls, dialog keys and characters, and the parent colour carried in the message.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "runtime/ui/forms.h"
#include "runtime/ui/stdctrls.h"
#include "tests/runtime/ui/ui_test_support.h"

using namespace movra::ui;

namespace {

// Records the layer's relayed messages and the system messages its class procedure gets.
class TRecorder : public TWinControl {
 public:
  TRecorder(TComponent* owner, std::vector<std::string>& log, std::string name)
      : TWinControl(owner), log_(log), name_(std::move(name)) {}
  WPARAM dialogKeyTaken = 0;
  WPARAM lastWParam = 0;
  std::wstring lastText;
  void WndProc(TMessage& m) override {
    switch (m.Msg) {
      case CM_SYSCOLORCHANGE:
        log_.push_back(name_ + " colours");
        break;
      case CM_WININICHANGE:
        log_.push_back(name_ + " settings");
        lastWParam = m.WParam;
        lastText = m.LParam ? reinterpret_cast<const wchar_t*>(m.LParam) : L"";
        break;
      case CM_CANCELMODE:
        log_.push_back(name_ + " cancel");
        break;
      case CM_DIALOGKEY:
      case CM_DIALOGCHAR:
        log_.push_back(name_ + (m.Msg == CM_DIALOGKEY ? " key " : " char ") + std::to_string(m.WParam));
        if (dialogKeyTaken && m.WParam == dialogKeyTaken) {
          m.Result = 1;
          return;
        }
        break;
      default:
        break;
    }
    TWinControl::WndProc(m);
    // An answer of a relayed notice stops nobody.
    if (m.Msg == CM_SYSCOLORCHANGE) m.Result = 1;
  }
  void DefaultHandler(TMessage& m) override {
    if (m.Msg == WM_SYSCOLORCHANGE) log_.push_back(name_ + " system colours");
    if (m.Msg == WM_SETTINGCHANGE) log_.push_back(name_ + " system settings");
    TWinControl::DefaultHandler(m);
  }

 private:
  std::vector<std::string>& log_;
  std::string name_;
};

struct TTree {
  std::vector<std::string> log;
  TOwned<TForm> form = MakeOwned<TForm>(nullptr);
  TRecorder* panel;
  TRecorder* first;
  TRecorder* second;
  TTree() {
    form->SetBounds(20, 20, 200, 120);
    panel = new TRecorder(form.get(), log, "panel");
    panel->SetBounds(0, 0, 200, 100);
    panel->SetParent(form.get());
    first = new TRecorder(form.get(), log, "first");
    first->SetBounds(5, 5, 50, 50);
    first->SetParent(panel);
    second = new TRecorder(form.get(), log, "second");
    second->SetBounds(60, 5, 50, 50);
    second->SetParent(panel);
    form->HandleNeeded();
  }
};

std::vector<std::string> Only(const std::vector<std::string>& log, const std::string& word) {
  std::vector<std::string> out;
  for (const std::string& line : log)
    if (line.find(word) != std::string::npos) out.push_back(line);
  return out;
}

}  // namespace

TEST(Relays, SystemColourAndSettingChangesReachEveryControlThroughItsOwnClass) {
  TTree tree;
  SendMessageW(tree.form->Handle(), WM_SYSCOLORCHANGE, 0, 0);
  EXPECT_EQ(Only(tree.log, "colours"),
            (std::vector<std::string>{"panel colours", "panel system colours", "first colours", "first system colours",
                                      "second colours", "second system colours"}));
  tree.log.clear();
  static const wchar_t area[] = L"WindowMetrics";
  SendMessageW(tree.form->Handle(), WM_SETTINGCHANGE, SPI_SETNONCLIENTMETRICS, reinterpret_cast<LPARAM>(area));
  EXPECT_EQ(Only(tree.log, "settings"),
            (std::vector<std::string>{"panel settings", "panel system settings", "first settings",
                                      "first system settings", "second settings", "second system settings"}));
  EXPECT_EQ(tree.second->lastWParam, static_cast<WPARAM>(SPI_SETNONCLIENTMETRICS));
  EXPECT_EQ(tree.second->lastText, L"WindowMetrics");
}

TEST(Relays, CancelModeEndsTheCaptureOfTheControlThatHoldsIt) {
  TTree tree;
  SetCapture(tree.second->Handle());
  ASSERT_EQ(GetCapture(), tree.second->Handle());
  SendMessageW(tree.form->Handle(), WM_CANCELMODE, 0, 0);
  EXPECT_EQ(Only(tree.log, "cancel"), (std::vector<std::string>{"panel cancel", "first cancel", "second cancel"}));
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST(DialogKeys, GoDownTheControlsUntilOneTakesThem) {
  TTree tree;
  tree.first->dialogKeyTaken = VK_ESCAPE;
  EXPECT_NE(tree.form->Perform(CM_DIALOGKEY, VK_ESCAPE, 0), 0);
  EXPECT_EQ(tree.log, (std::vector<std::string>{"panel key 27", "first key 27"})) << "the second never sees it";
  tree.log.clear();
  EXPECT_EQ(tree.form->Perform(CM_DIALOGKEY, VK_TAB, 0), 0);
  EXPECT_EQ(tree.log, (std::vector<std::string>{"panel key 9", "first key 9", "second key 9"}));
  tree.log.clear();
  tree.second->dialogKeyTaken = 'F';
  EXPECT_NE(tree.form->Perform(CM_DIALOGCHAR, 'F', 0), 0);
  EXPECT_EQ(tree.log, (std::vector<std::string>{"panel char 70", "first char 70", "second char 70"}));
}

TEST(ParentColour, TheMessageMayCarryTheColour) {
  EXPECT_EQ(CM_PARENTCOLORCHANGED, 0xB009u);
  auto parent = MakeOwned<TWinControl>(nullptr);
  parent->SetColor(clBtnFace);
  auto* follows = new TWinControl(parent.get());
  follows->SetParent(parent.get());
  auto* own = new TWinControl(parent.get());
  own->SetColor(clWindow);
  own->SetParent(parent.get());
  auto* inner = new TWinControl(parent.get());
  inner->SetParent(follows);
  TMessage m{CM_PARENTCOLORCHANGED, 1, static_cast<LPARAM>(RGB(1, 2, 3)), 0};
  parent->Broadcast(m);
  EXPECT_EQ(follows->Color(), static_cast<TColor>(RGB(1, 2, 3)));
  EXPECT_EQ(inner->Color(), static_cast<TColor>(RGB(1, 2, 3))) << "passed on to its own children";
  EXPECT_EQ(own->Color(), clWindow) << "a control with its own colour keeps it";
  follows->Perform(CM_PARENTCOLORCHANGED, 0, 0);
  EXPECT_EQ(follows->Color(), clBtnFace) << "without the colour it is the parent's";
}
