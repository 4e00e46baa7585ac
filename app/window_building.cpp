#include "app/window_building.h"

#include "i18n/component_translation.h"
#include "i18n/localizer.h"
#include "runtime/ui/caption_layout.h"
#include "runtime/ui/dialogs.h"

namespace movra::app {

using namespace movra::ui;

TLabel* TextLabel(TComponent* owner, TWinControl* parent, const std::string& name, const std::string& caption,
                  TBounds bounds) {
  auto* label = Control<TLabel>(owner, parent, name, bounds);
  label->SetCaption(caption);
  return label;
}

void AddMenuItems(TComponent* owner, TPopupMenu& menu, std::initializer_list<TMenuEntry> entries) {
  for (const TMenuEntry& entry : entries) {
    auto* item = Component<TMenuItem>(owner, entry.Name);
    item->SetAction(entry.Action);
    menu.Items()->Add(item);
  }
}

TListColumn* AddColumn(TListView& list, const std::string& caption, int width) {
  TListColumn* column = list.Columns().Add();
  column->SetCaption(caption);
  column->SetWidth(width);
  return column;
}

bool BrowseForFolder(std::string& folder) {
  std::string chosen;
  if (!SelectDirectory(_("Select directory"), chosen)) return false;
  folder = chosen;
  return true;
}

TButton* DialogButton(TComponent* owner, TWinControl* parent, const std::string& name, const std::string& caption,
                      TBounds bounds, TModalResult result) {
  auto* button = Control<TButton>(owner, parent, name, bounds);
  button->SetCaption(caption);
  button->ModalResult = result;
  return button;
}

void TranslateDialog(TWinControl& dialog) {
  RememberLayout(dialog);
  TranslateComponent(&dialog);
  FitCaptions(dialog);
}

TTabSheet* TabSheet(TComponent* owner, TPageControl* pages, const std::string& name,
                    const std::string& caption) {
  auto* sheet = Component<TTabSheet>(owner, name);
  sheet->SetPageControl(pages);
  sheet->SetCaption(caption);
  return sheet;
}

}  // namespace movra::app
