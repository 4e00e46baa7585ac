// The main window's dress: the menu bar and the toolbar on docks at the top, the profile and log
// panels stacked in a multi-dock, the themed status bar and the profile list's popup menu, all
// drawn by the OfficeXP theme through the window's theme switcher.
#include <windows.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "app/main_chrome.h"
#include "app/main_form.h"
#include "themes/skin_aluminum.h"
#include "themes/skin_default.h"
#include "themes/skin_items.h"
#include "themes/skin_officexp.h"
#include "themes/skin_panels.h"
#include "themes/skin_popups.h"
#include "themes/skin_status.h"
#include "themes/skin_stripes.h"
#include "themes/skin_switcher.h"
#include "themes/skin_toolpals.h"
#include "themes/skin_windows.h"
#include "toolbars/bar_dock.h"
#include "toolbars/bar_item.h"

namespace movra::app {

using namespace movra::ui;
using movra::bars::TBarCustomItem;
using movra::bars::TBarDock;
using movra::bars::TBarDockMode;
using movra::bars::TBarDockPosition;
using movra::bars::TBarShrinkMode;
using movra::bars::DockableBit;

namespace {

// Holds the theme machinery for as long as the window's themed controls live: the window
// frees its components last created first, so this one, created before them, goes after them.
class TSkinMachinery : public TComponent {
 public:
  explicit TSkinMachinery(TComponent* owner) : TComponent(owner) {
    skin::SkinStart();
    // Every theme the program carries is registered, as each would register itself; the
    // window selects one of them.
    skin::SkinOfficeXPStart();
    skin::SkinStripesStart();
    skin::SkinAluminumStart();
    skin::SkinToolPalsStart();
  }
  ~TSkinMachinery() override {
    skin::SkinToolPalsEnd();
    skin::SkinEnd();
  }
};

// Items of the given kinds owned by the window.
template <class EntryItem, class SubmenuItem, class SeparatorItem>
struct TItemBuilder {
  TComponent* Owner;

  template <class T>
  T* Add(TBarCustomItem* parent, const char* name) {
    auto* item = new T(Owner);
    item->SetName(name);
    parent->Add(item);
    return item;
  }
  TBarCustomItem* Submenu(TBarCustomItem* parent, const char* name, const char* caption) {
    auto* item = Add<SubmenuItem>(parent, name);
    item->SetCaption(caption);
    return item;
  }
  TBarCustomItem* Entry(TBarCustomItem* parent, const char* name, const char* caption) {
    auto* item = Add<EntryItem>(parent, name);
    item->SetCaption(caption);
    return item;
  }
  TBarCustomItem* Entry(TBarCustomItem* parent, const char* name, TAction* action) {
    auto* item = Add<EntryItem>(parent, name);
    item->SetAction(action);
    return item;
  }
  TBarCustomItem* Separator(TBarCustomItem* parent, const char* name) {
    return Add<SeparatorItem>(parent, name);
  }
  void Radio(TBarCustomItem* item) {
    item->SetGroupIndex(1);
    item->SetAutoCheck(true);
  }
};
using TSkinMenuBuilder = TItemBuilder<skin::TSkinItem, skin::TSkinSubmenuItem, skin::TSkinSeparatorItem>;
using TBarMenuBuilder = TItemBuilder<bars::TBarItem, bars::TBarItem, bars::TBarSeparatorItem>;

// The panels' breadth in a window of the initial size.
constexpr int kInitialPanelWidth = 672;

class TSkinChrome : public TPalvexChrome {
 public:
  explicit TSkinChrome(TPalvexForm& form) : form_(form) {
    new TSkinMachinery(&form_);
    auto* switcher = new skin::TSkinSwitcher(&form_);
    switcher->SetName("SkinSwitcher");
    switcher->SetTheme("OfficeXP");
    BuildMenuBar();
    BuildToolBar();
    BuildStatusBar();
    BuildPanels();
    BuildPopupMenu();
  }

  void ShowLog(bool visible) override {
    form_.pnlLog->SetVisible(visible);
    logEntry_->SetChecked(visible);
    // A panel hidden while the window changed its width comes back at the present width.
    if (visible) form_.SkinMultiDock->ResizeVisiblePanels(panelWidth_);
  }
  bool LogVisible() const override { return form_.pnlLog->Visible(); }
  void CheckLanguage(int tag) override {
    for (TBarCustomItem* item : languages_) item->SetChecked(item->Tag == tag);
  }
  int CheckedLanguage() const override {
    for (TBarCustomItem* item : languages_)
      if (item->Checked()) return static_cast<int>(item->Tag);
    return -1;
  }
  void Resized(int clientWidth, int) override {
    panelWidth_ = std::max(0, clientWidth - 4);
    form_.SkinMultiDock->ResizeVisiblePanels(panelWidth_);
  }

 private:
  // A bar that stays where the window puts it, across the whole width of its dock.
  template <class Bar>
  Bar* FixedBar(const char* name, TBarDock* dock, int row) {
    auto* bar = new Bar(&form_);
    bar->SetName(name);
    bar->SetFullSize(true);
    bar->SetCloseButton(false);
    bar->SetDockMode(TBarDockMode::dmCannotFloatOrChangeDocks);
    bar->SetImages(form_.imgIcons);
    bar->SetDockRow(row);
    bar->SetParent(dock);
    return bar;
  }
  template <class Dock>
  Dock* TopDock(const char* name, int height) {
    auto* dock = new Dock(&form_);
    dock->SetName(name);
    dock->SetHeight(height);
    dock->SetParent(&form_);
    return dock;
  }

  void BuildMenuBar() {
    auto* dock = TopDock<skin::TSkinDock>("skTopDock", 23);
    auto* bar = FixedBar<skin::TSkinToolbar>("skMainMenu", dock, 0);
    bar->SetMenuBar(true);
    bar->SetProcessShortCuts(true);
    bar->SetShrinkMode(TBarShrinkMode::tbsmWrap);
    // The menu bar is offered keys before the window: it must leave the window's list keys
    // to the control they were typed in.
    bar->OnShortCut = bars::TBarShortCutEvent(this, &TSkinChrome::MenuShortCut);
    menuBar_ = bar;
    TSkinMenuBuilder builder{&form_};
    DescribeMainMenu(form_, builder, bar->Items(), languages_, logEntry_);
  }

  void MenuShortCut(TObject*, WPARAM keyCode, LPARAM keyData, bool& handled) {
    const TShortCut shortcut = TBarCustomItem::ShortCutOfKey(keyCode, keyData);
    if (form_.ListKeyElsewhere(shortcut)) return;
    handled = menuBar_->Items()->HandleShortCut(shortcut);
  }

  void BuildToolBar() {
    auto* dock = TopDock<TBarDock>("skTopDock2", 34);
    auto* bar = FixedBar<skin::TSkinToolbar>("skToolBar", dock, 1);
    bar->SetShowHint(true);
    TSkinMenuBuilder builder{&form_};
    TBarCustomItem* root = bar->Items();
    const std::pair<const char*, TAction*> entries[] = {
        {"tbProfileAdd", form_.actProfileAdd},     {"tbProfileDelete", form_.actProfileDelete},
        {"tbProfileProps", form_.actProfileProps}, {"tbN1", nullptr},
        {"tbProfileRun", form_.actProfileRun},     {"tbProfileRunAll", form_.actProfileRunAll},
        {"tbN2", nullptr},                         {"tbToolsAnalyze", form_.actToolsAnalyze},
        {"tbToolsWizard", form_.actToolsWizard},   {"tbN3", nullptr},
        {"tbViewLog", form_.actViewLog}};
    for (const auto& [name, action] : entries) {
      if (action)
        builder.Entry(root, name, action);
      else
        builder.Separator(root, name);
    }
  }

  void BuildStatusBar() {
    auto* bar = new skin::TSkinStatusBar(&form_);
    bar->SetName("StatusBar1");
    bar->SetUseSystemFont(false);
    bar->SetParent(&form_);
    bar->SetAlign(TAlign::alBottom);
    bar->Panels().Add()->SetSize(350);
    bar->Panels().Add()->SetSize(200);
    form_.StatusBar1 = bar;
  }

  skin::TSkinDockablePanel* NewPanel(const char* name, const char* caption, int splitHeight,
                                     int dockedHeight, TBarDockPosition side) {
    auto* panel = new skin::TSkinDockablePanel(&form_);
    panel->SetName(name);
    panel->SetCaption(caption);
    panel->SetCaptionRotation(skin::TDPCaptionRotation::dpcrAlwaysHorz);
    panel->SetDockedWidth(kInitialPanelWidth);
    panel->SetDockedHeight(dockedHeight);
    panel->SetSplitHeight(splitHeight);
    panel->SetResizable(false);
    panel->SetDockMode(TBarDockMode::dmCannotFloatOrChangeDocks);
    panel->SetDockableTo(DockableBit(side));
    panel->SetSupportedDocks(skin::dkStandardDock | skin::dkMultiDock);
    return panel;
  }

  void BuildPanels() {
    auto* dock = new skin::TSkinMultiDock(&form_);
    dock->SetName("SkinMultiDock");
    dock->SetPosition(TBarDockPosition::dpLeft);
    dock->SetParent(&form_);
    form_.SkinMultiDock = dock;

    form_.pnlProfiles = NewPanel("pnlProfiles", "Profiles", 240, 471, TBarDockPosition::dpTop);
    form_.pnlProfiles->SetCloseButton(false);
    form_.pnlProfiles->SetCloseButtonWhenDocked(false);
    form_.pnlProfiles->SetParent(dock);

    form_.pnlLog = NewPanel("pnlLog", "Log", 187, 489, TBarDockPosition::dpBottom);
    form_.pnlLog->SetDockPos(239);
    form_.pnlLog->OnClose = TNotifyEvent(&form_, &TPalvexForm::actViewLogExecute);
    form_.pnlLog->SetParent(dock);
  }

  void BuildPopupMenu() {
    auto* menu = new skin::TSkinPopupMenu(&form_);
    menu->SetName("BarPopupMenu");
    menu->SetImages(form_.imgIcons);
    TBarMenuBuilder builder{&form_};
    DescribeProfileCommands(form_, builder, menu->Items(), "BarPopup");
    form_.BarPopupMenu = menu;
  }

  TPalvexForm& form_;
  std::vector<TBarCustomItem*> languages_;
  TBarCustomItem* logEntry_ = nullptr;
  skin::TSkinToolbar* menuBar_ = nullptr;
  int panelWidth_ = kInitialPanelWidth;
};

}  // namespace

std::unique_ptr<TPalvexChrome> CreateSkinChrome(TPalvexForm& form) {
  return std::make_unique<TSkinChrome>(form);
}

}  // namespace movra::app
