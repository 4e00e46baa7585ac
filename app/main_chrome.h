#pragma once
// What the main window's dresses share: the description of the menus, which each dress builds
// from its own kind of item, and the plain panel layout.
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/main_form.h"

namespace movra::app {

// The builder gives `Submenu(parent, name, caption)`, `Entry(parent, name, action)`,
// `Entry(parent, name, caption)` and `Separator(parent, name)`, each returning its item, and
// `Radio(item)`, which puts an entry into radio group 1, checking itself when chosen.
template <class Builder, class Item>
void DescribeProfileCommands(TPalvexForm& form, Builder& b, Item* parent, const std::string& prefix) {
  const std::pair<const char*, ui::TAction*> commands[] = {
      {"Add", form.actProfileAdd},         {"Delete", form.actProfileDelete},
      {"SelectAll", form.actProfileSelectAll}, {"Run", form.actProfileRun},
      {"RunAll", form.actProfileRunAll}};
  for (const auto& [name, action] : commands) b.Entry(parent, (prefix + name).c_str(), action);
  b.Separator(parent, (prefix + "N1").c_str());
  b.Entry(parent, (prefix + "Props").c_str(), form.actProfileProps);
}

// The menu bar's menus under `root`; the Language entries (by Tag) and the log entry come back.
template <class Builder, class Item>
void DescribeMainMenu(TPalvexForm& form, Builder& b, Item* root, std::vector<Item*>& languages,
                      Item*& logEntry) {
  Item* file = b.Submenu(root, "mnuFile", "&File");
  b.Entry(file, "mnuFileOptions", form.actFileOptions);
  b.Separator(file, "mnuFileN1");
  b.Entry(file, "mnuFileExit", form.actFileExit);

  Item* view = b.Submenu(root, "mnuView", "View");
  Item* language = b.Submenu(view, "mnuViewLanguage", "Language");
  // Each language's name in its own language, the same in every language.
  const std::pair<const char*, const char*> names[] = {
      {"mnuEnglish", "English"}, {"mnuRussian", "Русский"}, {"mnuDeutsch", "Deutsch"}};
  for (int tag = 0; tag < 3; ++tag) {
    Item* item = b.Entry(language, names[tag].first, names[tag].second);
    item->Tag = tag;
    b.Radio(item);
    item->OnClick = ui::TNotifyEvent(&form, &TPalvexForm::SetLanguage);
    languages.push_back(item);
  }
  logEntry = b.Entry(view, "mnuViewLog", "Log window");
  logEntry->SetHint("Shows/hides log window");
  logEntry->SetChecked(true);
  logEntry->OnClick = ui::TNotifyEvent(&form, &TPalvexForm::actViewLogExecute);

  Item* profile = b.Submenu(root, "mnuProfile", "&Profile");
  DescribeProfileCommands(form, b, profile, "mnuProfile");
  Item* tools = b.Submenu(root, "mnuTools", "&Tools");
  b.Entry(tools, "mnuToolsDefragmentFile", form.actToolsDefragmentFile);
  b.Entry(tools, "mnuToolsWizard", form.actToolsWizard);
  b.Entry(tools, "mnuToolsAnalyze", form.actToolsAnalyze);
  Item* help = b.Submenu(root, "mnuHelp", "&Help");
  b.Entry(help, "mnuHelpAbout", form.actHelpAbout);
}

// The profile list's popup menu as a standard popup menu.
void BuildPlainPopupMenu(TPalvexForm& form);

class TPlainSplitter;

// The plain panel layout: a caption strip above each panel, the log panel's close button and a
// splitter above the log panel.
class TPlainPanels {
 public:
  explicit TPlainPanels(TPalvexForm& form);
  void ShowLog(bool visible);
  void Resized();

 private:
  TPalvexForm& form_;
  TPlainSplitter* splitter_ = nullptr;
};

// A dress whose Language entries and log entry are items of one kind, over the plain panels.
template <class Item>
class TItemChrome : public TPalvexChrome {
 public:
  explicit TItemChrome(TPalvexForm& form) : form_(form) {}

  void ShowLog(bool visible) override {
    panels_->ShowLog(visible);
    logEntry_->SetChecked(visible);
  }
  bool LogVisible() const override { return form_.pnlLog->Visible(); }
  void CheckLanguage(int tag) override {
    for (Item* item : languages_) item->SetChecked(item->Tag == tag);
  }
  int CheckedLanguage() const override {
    for (Item* item : languages_)
      if (item->Checked()) return static_cast<int>(item->Tag);
    return -1;
  }
  void Resized(int, int) override { panels_->Resized(); }

 protected:
  TPalvexForm& form_;
  std::vector<Item*> languages_;
  Item* logEntry_ = nullptr;
  std::unique_ptr<TPlainPanels> panels_;
};

}  // namespace movra::app
