#pragma once
// Building windows in code: components named as in the window description, created in its
// order inside the loading bracket of their form.
#include <initializer_list>
#include <string>

#include "runtime/ui/actions.h"
#include "runtime/ui/comctrls.h"
#include "runtime/ui/forms.h"
#include "runtime/ui/menus.h"
#include "runtime/ui/stdctrls.h"

namespace movra::app {

struct TBounds {
  int Left, Top, Width, Height;
};

template <class T>
T* Component(ui::TComponent* owner, const std::string& name) {
  auto* component = new T(owner);
  component->SetName(name);
  return component;
}

template <class T>
T* Control(ui::TComponent* owner, ui::TWinControl* parent, const std::string& name, TBounds bounds) {
  T* control = Component<T>(owner, name);
  control->SetParent(parent);
  control->SetBounds(bounds.Left, bounds.Top, bounds.Width, bounds.Height);
  return control;
}

// An action of `list` that runs `run` of `form`.
template <class Form>
ui::TAction* NewAction(Form* form, ui::TActionList* list, const std::string& name, const std::string& caption,
                       void (Form::*run)(ui::TObject*)) {
  auto* action = Component<ui::TAction>(form, name);
  action->SetCaption(caption);
  action->SetActionList(list);
  action->OnExecute = ui::TNotifyEvent(form, run);
  return action;
}

struct TMenuEntry {
  const char* Name;
  ui::TBasicAction* Action;
};
// Menu items bound to actions, appended to `menu` in order.
void AddMenuItems(ui::TComponent* owner, ui::TPopupMenu& menu, std::initializer_list<TMenuEntry> entries);

ui::TLabel* TextLabel(ui::TComponent* owner, ui::TWinControl* parent, const std::string& name,
                      const std::string& caption, TBounds bounds);
ui::TListColumn* AddColumn(ui::TListView& list, const std::string& caption, int width);
// The system's folder browser titled "Select directory"; false (and `folder` untouched) when
// the user cancelled.
bool BrowseForFolder(std::string& folder);

ui::TButton* DialogButton(ui::TComponent* owner, ui::TWinControl* parent, const std::string& name,
                          const std::string& caption, TBounds bounds, ui::TModalResult result = ui::mrNone);
// Translates a dialog and gives each caption the room its text needs in the language.
void TranslateDialog(ui::TWinControl& dialog);
// A page of `pages`.
ui::TTabSheet* TabSheet(ui::TComponent* owner, ui::TPageControl* pages, const std::string& name,
                        const std::string& caption);

}  // namespace movra::app
