// The main window's themed dress: a menu bar and a toolbar on docks at the top, drawn by the
// OfficeXP theme through the window's theme switcher.
#include <windows.h>

#include "app/main_chrome.h"
#include "app/main_form.h"
#include "themes/skin_default.h"
#include "themes/skin_items.h"
#include "themes/skin_officexp.h"
#include "themes/skin_switcher.h"
#include "toolbars/bar_dock.h"
#include "toolbars/bar_toolbar.h"

namespace movra::app {

using namespace movra::ui;
using movra::bars::TBarCustomItem;
using movra::bars::TBarDock;
using movra::bars::TBarDockMode;
using movra::bars::TBarShrinkMode;
using movra::bars::TBarToolbar;

namespace {

// Holds the theme machinery for as long as the window's themed controls live: the window
// frees its components last created first, so this one, created before them, goes after them.
class TSkinMachinery : public TComponent {
 public:
  explicit TSkinMachinery(TComponent* owner) : TComponent(owner) {
    skin::SkinStart();
    skin::SkinOfficeXPStart();
  }
  ~TSkinMachinery() override { skin::SkinEnd(); }
};

// Themed items owned by the window.
struct TSkinMenuBuilder {
  TComponent* Owner;

  template <class T>
  T* Add(TBarCustomItem* parent, const char* name) {
    auto* item = new T(Owner);
    item->SetName(name);
    parent->Add(item);
    return item;
  }
  TBarCustomItem* Submenu(TBarCustomItem* parent, const char* name, const char* caption) {
    auto* item = Add<skin::TSkinSubmenuItem>(parent, name);
    item->SetCaption(caption);
    return item;
  }
  TBarCustomItem* Entry(TBarCustomItem* parent, const char* name, const char* caption) {
    auto* item = Add<skin::TSkinItem>(parent, name);
    item->SetCaption(caption);
    return item;
  }
  TBarCustomItem* Entry(TBarCustomItem* parent, const char* name, TAction* action) {
    auto* item = Add<skin::TSkinItem>(parent, name);
    item->SetAction(action);
    return item;
  }
  TBarCustomItem* Separator(TBarCustomItem* parent, const char* name) {
    return Add<skin::TSkinSeparatorItem>(parent, name);
  }
  void Radio(TBarCustomItem* item) {
    item->SetGroupIndex(1);
    item->SetAutoCheck(true);
  }
};

class TSkinChrome : public TItemChrome<TBarCustomItem> {
 public:
  explicit TSkinChrome(TPalvexForm& form) : TItemChrome(form) {
    new TSkinMachinery(&form_);
    auto* switcher = new skin::TSkinSwitcher(&form_);
    switcher->SetName("SkinSwitcher");
    switcher->SetTheme("OfficeXP");
    BuildMenuBar();
    BuildToolBar();
    BuildPlainPopupMenu(form_);
    panels_ = std::make_unique<TPlainPanels>(form_);
  }

 private:
  // A dock at the top of the window, below those made before it.
  TBarDock* TopDock(const char* name, int height) {
    auto* dock = new TBarDock(&form_);
    dock->SetName(name);
    dock->SetHeight(height);
    dock->SetParent(&form_);
    return dock;
  }
  // A bar that stays where the window puts it.
  TBarToolbar* FixedBar(const char* name, TBarDock* dock, int row) {
    auto* bar = new TBarToolbar(&form_);
    bar->SetName(name);
    bar->SetFullSize(true);
    bar->SetCloseButton(false);
    bar->SetDockMode(TBarDockMode::dmCannotFloatOrChangeDocks);
    bar->SetImages(form_.imgIcons);
    bar->SetDockRow(row);
    bar->SetParent(dock);
    return bar;
  }

  void BuildMenuBar() {
    TBarDock* dock = TopDock("skTopDock", 23);
    TBarToolbar* bar = FixedBar("skMainMenu", dock, 0);
    bar->SetMenuBar(true);
    bar->SetProcessShortCuts(true);
    bar->SetShrinkMode(TBarShrinkMode::tbsmWrap);
    TSkinMenuBuilder builder{&form_};
    DescribeMainMenu(form_, builder, bar->Items(), languages_, logEntry_);
  }

  void BuildToolBar() {
    TBarDock* dock = TopDock("skTopDock2", 34);
    TBarToolbar* bar = FixedBar("skToolBar", dock, 1);
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

};

}  // namespace

std::unique_ptr<TPalvexChrome> CreateSkinChrome(TPalvexForm& form) {
  return std::make_unique<TSkinChrome>(form);
}

}  // namespace movra::app
