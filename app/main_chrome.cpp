// The main window's plain dress: a standard menu bar, a toolbar over the common controls, a
// caption above each panel and a splitter between them.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>

#include "app/main_chrome.h"
#include "app/main_form.h"
#include "runtime/text.h"

namespace movra::app {

using namespace movra::ui;

namespace {

// A toolbar of the common controls whose buttons show and run actions.
class TPlainToolBar : public TWinControl {
 public:
  static const TClassInfo& Class() {
    static const TClassInfo info{"TPlainToolBar", &TWinControl::Class()};
    return info;
  }
  const TClassInfo& ClassType() const override { return Class(); }

  explicit TPlainToolBar(TComponent* owner) : TWinControl(owner) {
    InitCommonControlClasses();
    width_ = 200;
    height_ = 34;
  }

  void SetImages(TCustomImageList* images) { images_ = images; }
  void AddButton(TAction* action) {
    auto link = std::make_unique<TButtonLink>(this, static_cast<UINT>(kFirstCommand + buttons_.size()));
    link->SetAction(action);
    buttons_.push_back(std::move(link));
  }
  void AddSeparator() { buttons_.push_back(nullptr); }

  void WndProc(TMessage& m) override {
    if (m.Msg == CN_COMMAND) {
      if (TButtonLink* button = Find(LOWORD(m.WParam))) button->Execute();
      return;
    }
    if (m.Msg == WM_NOTIFY) {
      auto* header = reinterpret_cast<NMHDR*>(m.LParam);
      if (header->code == TTN_GETDISPINFOW) {
        auto* info = reinterpret_cast<NMTTDISPINFOW*>(m.LParam);
        if (TButtonLink* button = Find(static_cast<UINT>(info->hdr.idFrom))) {
          auto* action = static_cast<TCustomAction*>(button->Action());
          tip_ = Utf8ToWide(action->Hint().empty() ? action->Caption() : action->Hint());
          info->lpszText = tip_.data();
        }
        return;
      }
    }
    TWinControl::WndProc(m);
  }

 protected:
  void CreateParams(TCreateParams& params) override {
    TWinControl::CreateParams(params);
    params.SysClassName = TOOLBARCLASSNAMEW;
    params.Style |= TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_NODIVIDER | CCS_NORESIZE |
                    CCS_NOPARENTALIGN;
  }
  void CreateWnd() override {
    TWinControl::CreateWnd();
    SendMessageW(handle_, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    if (images_) SendMessageW(handle_, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images_->Handle()));
    std::vector<TBBUTTON> buttons;
    for (size_t i = 0; i < buttons_.size(); ++i) {
      TBBUTTON button{};
      button.idCommand = static_cast<int>(kFirstCommand + i);
      if (!buttons_[i]) {
        button.fsStyle = BTNS_SEP;
        button.iBitmap = 6;
      } else {
        auto* action = static_cast<TCustomAction*>(buttons_[i]->Action());
        button.iBitmap = action->ImageIndex();
        button.fsStyle = BTNS_BUTTON | (action == checkAction_ ? BTNS_CHECK : 0);
        button.fsState = TBSTATE_ENABLED;
      }
      buttons.push_back(button);
    }
    SendMessageW(handle_, TB_ADDBUTTONSW, buttons.size(), reinterpret_cast<LPARAM>(buttons.data()));
    for (auto& button : buttons_)
      if (button) button->Refresh();
  }
  bool HasCaption() const override { return false; }

 public:
  // The action whose button is a check button.
  TCustomAction* checkAction_ = nullptr;

 private:
  static constexpr UINT kFirstCommand = 100;

  class TButtonLink : public TActionLink {
   public:
    TButtonLink(TPlainToolBar* bar, UINT command) : TActionLink(bar), bar_(bar), command_(command) {}
    UINT Command() const { return command_; }
    void Refresh() {
      auto* action = static_cast<TCustomAction*>(Action());
      if (!action || !bar_->HandleAllocated()) return;
      HWND window = bar_->Handle();
      SendMessageW(window, TB_ENABLEBUTTON, command_, MAKELPARAM(action->Enabled(), 0));
      SendMessageW(window, TB_CHECKBUTTON, command_, MAKELPARAM(action->Checked(), 0));
    }

   protected:
    void Change() override { Refresh(); }

   private:
    TPlainToolBar* bar_;
    UINT command_;
  };

  TButtonLink* Find(UINT command) {
    for (auto& button : buttons_)
      if (button && button->Command() == command) return button.get();
    return nullptr;
  }

  TCustomImageList* images_ = nullptr;
  std::vector<std::unique_ptr<TButtonLink>> buttons_;
  std::wstring tip_;
};

}  // namespace

// A bar between two controls that moves the border between them: dragging it changes the
// height of the control below.
class TPlainSplitter : public TCustomControl {
 public:
  static const TClassInfo& Class() {
    static const TClassInfo info{"TPlainSplitter", &TCustomControl::Class()};
    return info;
  }
  const TClassInfo& ClassType() const override { return Class(); }

  TPlainSplitter(TComponent* owner, TControl& below) : TCustomControl(owner), below_(below) {
    height_ = 4;
    SetCursor(LoadCursorW(nullptr, IDC_SIZENS));
  }

 protected:
  bool HasCaption() const override { return false; }
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override {
    TCustomControl::MouseDown(button, shift, x, y);
    if (button != TMouseButton::mbLeft) return;
    GetCursorPos(&start_);
    startHeight_ = below_.Height();
    dragging_ = true;
  }
  void MouseMove(TShiftState shift, int x, int y) override {
    TCustomControl::MouseMove(shift, x, y);
    if (!dragging_ || !(shift & ssLeft)) return;
    POINT now;
    GetCursorPos(&now);
    below_.SetHeight(Limit(startHeight_ - (now.y - start_.y)));
  }
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override {
    TCustomControl::MouseUp(button, shift, x, y);
    dragging_ = false;
  }

 public:
  // The height the control below may have: at least a little, never pushing the one above
  // out of sight.
  int Limit(int height) const {
    const int room = Parent() ? Parent()->ClientHeight() - kKeepAbove : height;
    return std::max(kMinimum, std::min(height, std::max(kMinimum, room)));
  }

 private:
  static constexpr int kMinimum = 30;
  static constexpr int kKeepAbove = 140;
  TControl& below_;
  POINT start_{};
  int startHeight_ = 0;
  bool dragging_ = false;
};

namespace {

// Standard menu items.
struct TPlainMenuBuilder {
  TComponent* Owner;

  TMenuItem* Add(TMenuItem* parent, const char* name) {
    auto* item = new TMenuItem(Owner);
    item->SetName(name);
    parent->Add(item);
    return item;
  }
  TMenuItem* Submenu(TMenuItem* parent, const char* name, const char* caption) {
    return Entry(parent, name, caption);
  }
  TMenuItem* Entry(TMenuItem* parent, const char* name, const char* caption) {
    TMenuItem* item = Add(parent, name);
    item->SetCaption(caption);
    return item;
  }
  TMenuItem* Entry(TMenuItem* parent, const char* name, TAction* action) {
    TMenuItem* item = Add(parent, name);
    item->SetAction(action);
    return item;
  }
  TMenuItem* Separator(TMenuItem* parent, const char* name) { return Entry(parent, name, "-"); }
  void Radio(TMenuItem* item) {
    item->SetRadioItem(true);
    item->SetGroupIndex(1);
    item->AutoCheck = true;
  }
};

class TPlainChrome : public TItemChrome<TMenuItem> {
 public:
  explicit TPlainChrome(TPalvexForm& form) : TItemChrome(form) {
    BuildMenu();
    BuildPlainPopupMenu(form_);
    BuildToolBar();
    panels_ = std::make_unique<TPlainPanels>(form_);
  }

 private:
  void BuildMenu() {
    auto* menu = new TMainMenu(&form_);
    menu->SetName("skMainMenu");
    menu->SetImages(form_.imgIcons);
    TPlainMenuBuilder builder{&form_};
    DescribeMainMenu(form_, builder, menu->Items(), languages_, logEntry_);
    form_.SetMenu(menu);
  }

  void BuildToolBar() {
    auto* bar = new TPlainToolBar(&form_);
    bar->SetName("skToolBar");
    bar->SetImages(form_.imgIcons);
    bar->checkAction_ = form_.actViewLog;
    for (TAction* action : {form_.actProfileAdd, form_.actProfileDelete, form_.actProfileProps})
      bar->AddButton(action);
    bar->AddSeparator();
    bar->AddButton(form_.actProfileRun);
    bar->AddButton(form_.actProfileRunAll);
    bar->AddSeparator();
    bar->AddButton(form_.actToolsAnalyze);
    bar->AddButton(form_.actToolsWizard);
    bar->AddSeparator();
    bar->AddButton(form_.actViewLog);
    bar->SetParent(&form_);
    bar->SetAlign(TAlign::alTop);
  }

};

// A caption strip at the top of a panel.
TPanel* CaptionStrip(TPalvexForm& form, TPanel* panel, const char* name, const char* caption) {
  auto* strip = new TPanel(&form);
  strip->SetName(name);
  strip->SetParent(panel);
  strip->SetAlign(TAlign::alTop);
  strip->SetHeight(18);
  strip->SetBevelOuter(TBevelCut::bvNone);
  strip->SetAlignment(TAlignment::taLeftJustify);
  strip->SetCaption(caption);
  return strip;
}

}  // namespace

void BuildPlainPopupMenu(TPalvexForm& form) {
  form.BarPopupMenu = new TPopupMenu(&form);
  form.BarPopupMenu->SetName("BarPopupMenu");
  form.BarPopupMenu->SetImages(form.imgIcons);
  TPlainMenuBuilder builder{&form};
  DescribeProfileCommands(form, builder, form.BarPopupMenu->Items(), "BarPopup");
  form.lvProfiles->SetPopupMenu(form.BarPopupMenu);
}

TPlainPanels::TPlainPanels(TPalvexForm& form) : form_(form) {
  CaptionStrip(form_, form_.pnlProfiles, "pnlProfilesCaption", "Profiles");
  TPanel* logCaption = CaptionStrip(form_, form_.pnlLog, "pnlLogCaption", "Log");
  auto* close = new TButton(&form_);
  close->SetName("pnlLogClose");
  close->SetParent(logCaption);
  close->SetAlign(TAlign::alRight);
  close->SetWidth(18);
  close->SetCaption("x");
  close->OnClick = TNotifyEvent(&form_, &TPalvexForm::actViewLogExecute);
  splitter_ = new TPlainSplitter(&form_, *form_.pnlLog);
  splitter_->SetName("splLog");
  splitter_->SetParent(&form_);
  splitter_->SetAlign(TAlign::alBottom);
}

void TPlainPanels::ShowLog(bool visible) {
  form_.pnlLog->SetVisible(visible);
  splitter_->SetVisible(visible);
}

void TPlainPanels::Resized() { form_.pnlLog->SetHeight(splitter_->Limit(form_.pnlLog->Height())); }

std::unique_ptr<TPalvexChrome> CreatePlainChrome(TPalvexForm& form) {
  return std::make_unique<TPlainChrome>(form);
}

}  // namespace movra::app
