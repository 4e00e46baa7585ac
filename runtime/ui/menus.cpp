#include "runtime/ui/menus.h"

#include <algorithm>
#include <unordered_map>

#include "runtime/text.h"
#include "runtime/ui/forms.h"

namespace movra::ui {

namespace {

std::unordered_map<UINT, TMenuItem*>& Commands() {
  static auto* map = new std::unordered_map<UINT, TMenuItem*>;
  return *map;
}

UINT AllocateCommand(TMenuItem* item) {
  // Above the dialog button identifiers and the child-window identifiers.
  static UINT next = 0x4000;
  while (Commands().count(next) || next < 0x4000) next = next >= 0xEFFF ? 0x4000 : next + 1;
  UINT id = next++;
  Commands()[id] = item;
  return id;
}

// A menu item follows its action's caption, state, image and shortcut while it still shows
// the action's values.
class TMenuActionLink : public TActionLink {
 public:
  using TActionLink::TActionLink;

  bool IsCaptionLinked() override { return TActionLink::IsCaptionLinked() && item_->Caption() == CustomAction()->Caption(); }
  bool IsCheckedLinked() override { return TActionLink::IsCheckedLinked() && item_->Checked() == CustomAction()->Checked(); }
  bool IsEnabledLinked() override { return TActionLink::IsEnabledLinked() && item_->Enabled() == CustomAction()->Enabled(); }
  bool IsHintLinked() override { return TActionLink::IsHintLinked() && item_->Hint() == CustomAction()->Hint(); }
  bool IsImageIndexLinked() override {
    return TActionLink::IsImageIndexLinked() && item_->ImageIndex() == CustomAction()->ImageIndex();
  }
  bool IsShortCutLinked() override { return TActionLink::IsShortCutLinked() && item_->ShortCut() == CustomAction()->ShortCut(); }
  bool IsVisibleLinked() override { return TActionLink::IsVisibleLinked() && item_->Visible() == CustomAction()->Visible(); }
  void SetCaption(const std::string& v) override { if (IsCaptionLinked()) item_->SetCaption(v); }
  void SetChecked(bool v) override { if (IsCheckedLinked()) item_->SetChecked(v); }
  void SetEnabled(bool v) override { if (IsEnabledLinked()) item_->SetEnabled(v); }
  void SetHint(const std::string& v) override { if (IsHintLinked()) item_->SetHint(v); }
  void SetImageIndex(int v) override { if (IsImageIndexLinked()) item_->SetImageIndex(v); }
  void SetShortCut(TShortCut v) override { if (IsShortCutLinked()) item_->SetShortCut(v); }
  void SetVisible(bool v) override { if (IsVisibleLinked()) item_->SetVisible(v); }

 protected:
  void AssignClient(TObject* client) override {
    TActionLink::AssignClient(client);
    item_ = static_cast<TMenuItem*>(client);
  }

 private:
  TMenuItem* item_ = nullptr;
};

}  // namespace

TMenuItem* FindMenuItemByCommand(UINT command) {
  auto it = Commands().find(command);
  return it == Commands().end() ? nullptr : it->second;
}

// --- TMenuItem -------------------------------------------------------------------------------

TMenuItem::TMenuItem(TComponent* owner) : TComponent(owner), command_(AllocateCommand(this)) {}

TMenuItem::~TMenuItem() {
  TMenuItem::BeforeDestruction();
  Commands().erase(command_);
}

void TMenuItem::BeforeDestruction() {
  if (!IsDestroying()) Destroying();
  actionLink_.reset();
  if (parent_) parent_->Remove(this);
  Clear();
  TComponent::BeforeDestruction();
}

TMenu* TMenuItem::GetParentMenu() const {
  const TMenuItem* item = this;
  while (item->parent_) item = item->parent_;
  return item->menu_;
}

void TMenuItem::Changed() {
  if (TMenu* menu = GetParentMenu()) menu->MenuChanged();
}

void TMenuItem::SetCaption(const std::string& caption) {
  if (caption == caption_ && !plain_) return;
  caption_ = caption;
  plain_ = false;
  Changed();
}

void TMenuItem::SetPlainCaption(const std::string& text) {
  if (text == caption_ && plain_) return;
  caption_ = text;
  plain_ = true;
  Changed();
}

void TMenuItem::SetChecked(bool checked) {
  if (checked == checked_) return;
  checked_ = checked;
  if (checked && radioItem_ && parent_) {
    for (TMenuItem* sibling : parent_->items_)
      if (sibling != this && sibling->radioItem_ && sibling->groupIndex_ == groupIndex_) sibling->SetChecked(false);
  }
  Changed();
}

void TMenuItem::SetRadioItem(bool on) {
  if (on == radioItem_) return;
  radioItem_ = on;
  if (on && checked_) {
    checked_ = false;
    SetChecked(true);
  }
  Changed();
}

void TMenuItem::SetGroupIndex(int index) {
  groupIndex_ = index;
  Changed();
}

void TMenuItem::SetDefault(bool on) {
  if (on == default_) return;
  if (on && parent_)
    for (TMenuItem* sibling : parent_->items_) sibling->default_ = false;
  default_ = on;
  Changed();
}

void TMenuItem::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  Changed();
}

void TMenuItem::SetVisible(bool visible) {
  if (visible == visible_) return;
  visible_ = visible;
  Changed();
}

void TMenuItem::SetShortCut(TShortCut shortcut) {
  if (shortcut == shortcut_) return;
  shortcut_ = shortcut;
  Changed();
}

void TMenuItem::SetImageIndex(int index) {
  if (index == imageIndex_) return;
  imageIndex_ = index;
  Changed();
}

TBasicAction* TMenuItem::Action() const { return actionLink_ ? actionLink_->Action() : nullptr; }

void TMenuItem::SetAction(TBasicAction* action) {
  if (!action) {
    actionLink_.reset();
    return;
  }
  if (!actionLink_) actionLink_ = CreateActionLink<TMenuActionLink>(this);
  actionLink_->SetAction(action);
  ActionChanged(action);
}

void TMenuItem::ActionChanged(TObject* sender) {
  auto* action = dynamic_cast<TCustomAction*>(sender);
  if (!action || !actionLink_ || actionLink_->Action() != sender) return;
  SetCaption(action->Caption());
  SetHint(action->Hint());
  SetEnabled(action->Enabled());
  SetChecked(action->Checked());
  SetVisible(action->Visible());
  SetShortCut(action->ShortCut());
  SetImageIndex(action->ImageIndex());
}

int TMenuItem::IndexOf(const TMenuItem* item) const {
  auto it = std::find(items_.begin(), items_.end(), item);
  return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

void TMenuItem::Insert(int index, TMenuItem* item) {
  if (item->parent_) throw EComponentError("Menu item inserted twice");
  index = std::clamp(index, 0, Count());
  items_.insert(items_.begin() + index, item);
  item->parent_ = this;
  if (item->checked_ && item->radioItem_) {
    item->checked_ = false;
    item->SetChecked(true);
  }
  Changed();
}

void TMenuItem::Remove(TMenuItem* item) {
  // From the end: a menu is emptied last item first.
  auto it = std::find(items_.rbegin(), items_.rend(), item);
  if (it == items_.rend()) return;
  items_.erase(std::next(it).base());
  item->parent_ = nullptr;
  Changed();
}

void TMenuItem::Delete(int index) {
  TMenuItem* item = Items(index);
  Remove(item);
  Free(item);
}

void TMenuItem::Clear() {
  while (!items_.empty()) Delete(Count() - 1);
}

TMenuItem* TMenuItem::Find(std::string_view caption) const {
  auto strip = [](std::string_view s) {
    std::string out;
    for (char c : s)
      if (c != '&') out += c;
    return out;
  };
  for (TMenuItem* item : items_)
    if (SameTextAscii(strip(item->caption_), strip(caption))) return item;
  return nullptr;
}

void TMenuItem::Click() {
  if (!enabled_) return;
  if (AutoCheck && !(actionLink_ && dynamic_cast<TCustomAction*>(actionLink_->Action()) &&
                     static_cast<TCustomAction*>(actionLink_->Action())->AutoCheck()))
    SetChecked(!checked_);
  if (actionLink_ && actionLink_->Action() && (!OnClick || OnClick == actionLink_->Action()->OnExecute))
    actionLink_->Execute();
  else if (OnClick)
    OnClick(this);
}

void TMenuItem::GetProperties(TPropertyList& properties) {
  TComponent::GetProperties(properties);
  properties.AddText("Caption", [this] { return caption_; }, [this](const std::string& s) { SetCaption(s); });
  properties.AddText("Hint", [this] { return hint_; }, [this](const std::string& s) { SetHint(s); });
}

// --- TMenu -----------------------------------------------------------------------------------

TMenu::TMenu(TComponent* owner) : TComponent(owner), items_(new TMenuItem(nullptr)) { items_->menu_ = this; }

TMenu::~TMenu() { TMenu::BeforeDestruction(); }

void TMenu::BeforeDestruction() {
  if (items_) {
    items_->menu_ = nullptr;
    items_.reset();
  }
  if (handle_) {
    DestroyMenu(handle_);
    handle_ = nullptr;
  }
  TComponent::BeforeDestruction();
}

void TMenu::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == TOperation::opRemove && component == images_) images_ = nullptr;
}

void TMenu::MenuChanged() { dirty_ = true; }

void TMainMenu::MenuChanged() {
  TMenu::MenuChanged();
  if (auto* form = dynamic_cast<TCustomForm*>(Owner()); form && form->Menu() == this && !IsDestroying())
    form->MenuChanged();
}

void TMenu::Build(HMENU menu, TMenuItem* parent) {
  for (TMenuItem* item : parent->items_) {
    if (!item->visible_) continue;
    MENUITEMINFOW mi{};
    mi.cbSize = sizeof(mi);
    if (item->IsLine()) {
      mi.fMask = MIIM_FTYPE;
      mi.fType = MFT_SEPARATOR;
      InsertMenuItemW(menu, GetMenuItemCount(menu), TRUE, &mi);
      continue;
    }
    std::string caption;
    for (char c : item->caption_) {
      if (c == '&' && item->plain_) caption += '&';
      caption += c;
    }
    if (!IsMenuBar() || parent != items_.get())
      if (std::string keys = ShortCutToText(item->shortcut_); !keys.empty()) caption += "\t" + keys;
    std::wstring text = Utf8ToWide(caption);
    mi.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_STRING;
    mi.fType = item->radioItem_ ? MFT_RADIOCHECK : MFT_STRING;
    mi.fState = (item->checked_ ? MFS_CHECKED : 0) | (item->enabled_ ? 0 : MFS_DISABLED) |
                (item->default_ ? MFS_DEFAULT : 0);
    mi.wID = item->command_;
    mi.dwTypeData = text.data();
    if (!item->items_.empty()) {
      mi.fMask |= MIIM_SUBMENU;
      mi.hSubMenu = CreatePopupMenu();
      Build(mi.hSubMenu, item);
    }
    InsertMenuItemW(menu, GetMenuItemCount(menu), TRUE, &mi);
  }
}

HMENU TMenu::Handle() {
  if (dirty_ || !handle_) {
    HMENU fresh = IsMenuBar() ? CreateMenu() : CreatePopupMenu();
    Build(fresh, items_.get());
    HMENU old = handle_;
    handle_ = fresh;
    dirty_ = false;
    if (old) {
      // A menu bar shown by its form is swapped there before the old one goes.
      auto* form = dynamic_cast<TCustomForm*>(Owner());
      if (form && form->HandleAllocated() && GetMenu(form->Handle()) == old) ::SetMenu(form->Handle(), fresh);
      DestroyMenu(old);
    }
  }
  return handle_;
}

namespace {

TMenuItem* FindShortCut(TMenuItem* parent, TShortCut shortcut) {
  for (int i = 0; i < parent->Count(); ++i) {
    TMenuItem* item = parent->Items(i);
    if (item->ShortCut() == shortcut && item->Visible()) return item;
    if (TMenuItem* found = FindShortCut(item, shortcut)) return found;
  }
  return nullptr;
}

}  // namespace

bool TMenu::IsShortCut(TShortCut shortcut) {
  TMenuItem* item = FindShortCut(items_.get(), shortcut);
  if (!item) return false;
  if (auto* action = dynamic_cast<TCustomAction*>(item->Action())) action->Update();
  if (!item->Enabled()) return false;
  item->Click();
  return true;
}

bool TMenu::DispatchCommand(UINT command) {
  TMenuItem* item = FindMenuItemByCommand(command);
  if (!item || item->GetParentMenu() != this) return false;
  item->Click();
  return true;
}

// --- TPopupMenu ------------------------------------------------------------------------------

void TPopupMenu::Notification(TComponent* component, TOperation operation) {
  TMenu::Notification(component, operation);
  if (operation == TOperation::opRemove && component == PopupComponent) PopupComponent = nullptr;
}

HMENU TPopupMenu::PrepareToShow() {
  if (OnPopup) OnPopup(this);
  for (int i = 0; i < items_->Count(); ++i)
    if (auto* action = dynamic_cast<TCustomAction*>(items_->Items(i)->Action())) action->Update();
  return Handle();
}

void TPopupMenu::Popup(int x, int y) {
  PopupPoint = {x, y};
  HMENU menu = PrepareToShow();
  HWND owner = Application().Handle();
  static constexpr UINT alignments[] = {TPM_LEFTALIGN, TPM_RIGHTALIGN, TPM_CENTERALIGN};
  const UINT flags = TPM_RETURNCMD | alignments[Alignment] | (TrackButton == tbRightButton ? TPM_RIGHTBUTTON : 0);
  UINT command = TrackPopupMenuEx(menu, flags, x, y, owner, nullptr);
  if (command) DispatchCommand(command);
}

}  // namespace movra::ui
