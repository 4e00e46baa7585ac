#pragma once
// The description of the main window's menus, built from whichever kind of item each menu
// takes: themed items on the menu bar, plain bar items in the profile list's popup menu.
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

}  // namespace movra::app
