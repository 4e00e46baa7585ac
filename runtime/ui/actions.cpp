#include "runtime/ui/actions.h"

#include <windows.h>

#include <algorithm>

#include "runtime/text.h"
#include "runtime/ui/controls.h"
#include "runtime/ui/graphics.h"
#include "runtime/ui/resstrings.h"

namespace movra::ui {

// --- Shortcuts -------------------------------------------------------------------------------

TShortCut ShortCut(uint16_t key, unsigned shift) {
  if (key & 0xFF00) return 0;
  TShortCut s = key;
  if (shift & ssShift) s |= scShift;
  if (shift & ssCtrl) s |= scCtrl;
  if (shift & ssAlt) s |= scAlt;
  return s;
}

void ShortCutToKey(TShortCut shortcut, uint16_t& key, unsigned& shift) {
  key = shortcut & 0xFF;
  shift = 0;
  if (shortcut & scShift) shift |= ssShift;
  if (shortcut & scCtrl) shift |= ssCtrl;
  if (shortcut & scAlt) shift |= ssAlt;
}

namespace {

std::string KeyName(uint16_t key) {
  switch (key) {
    case VK_BACK: return LoadResString(res::KeyBkSp);
    case VK_TAB: return LoadResString(res::KeyTab);
    case VK_ESCAPE: return LoadResString(res::KeyEsc);
    case VK_RETURN: return LoadResString(res::KeyEnter);
    case VK_SPACE: return LoadResString(res::KeySpace);
    case VK_PRIOR: return LoadResString(res::KeyPgUp);
    case VK_NEXT: return LoadResString(res::KeyPgDn);
    case VK_END: return LoadResString(res::KeyEnd);
    case VK_HOME: return LoadResString(res::KeyHome);
    case VK_LEFT: return LoadResString(res::KeyLeft);
    case VK_UP: return LoadResString(res::KeyUp);
    case VK_RIGHT: return LoadResString(res::KeyRight);
    case VK_DOWN: return LoadResString(res::KeyDown);
    case VK_INSERT: return LoadResString(res::KeyIns);
    case VK_DELETE: return LoadResString(res::KeyDel);
    default: break;
  }
  if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z')) return std::string(1, static_cast<char>(key));
  if (key >= VK_F1 && key <= VK_F24) return "F" + std::to_string(key - VK_F1 + 1);
  UINT scan = MapVirtualKeyW(key, MAPVK_VK_TO_VSC);
  wchar_t name[64]{};
  if (scan && GetKeyNameTextW(static_cast<LONG>(scan << 16), name, 64) > 0) return WideToUtf8(name);
  return {};
}

}  // namespace

std::string ShortCutToText(TShortCut shortcut) {
  uint16_t key = shortcut & 0xFF;
  std::string name = KeyName(key);
  if (name.empty()) return {};
  std::string prefix;
  if (shortcut & scShift) prefix += LoadResString(res::KeyShift);
  if (shortcut & scCtrl) prefix += LoadResString(res::KeyCtrl);
  if (shortcut & scAlt) prefix += LoadResString(res::KeyAlt);
  return prefix + name;
}

TShortCut TextToShortCut(std::string_view text) {
  TShortCut modifiers = 0;
  std::string rest(text);
  const std::pair<const TResStringRec*, TShortCut> prefixes[] = {
      {&res::KeyShift, scShift}, {&res::KeyCtrl, scCtrl}, {&res::KeyAlt, scAlt}};
  for (bool found = true; found;) {
    found = false;
    for (auto [rec, bit] : prefixes) {
      std::string p = LoadResString(*rec);
      if (rest.size() > p.size() && SameTextAscii(rest.substr(0, p.size()), p)) {
        modifiers |= bit;
        rest.erase(0, p.size());
        found = true;
      }
    }
  }
  for (unsigned key = 1; key < 0xFF; ++key)
    if (std::string name = KeyName(static_cast<uint16_t>(key)); !name.empty() && SameTextAscii(name, rest))
      return static_cast<TShortCut>(modifiers | key);
  return 0;
}

// --- Action links ----------------------------------------------------------------------------

TBasicActionLink::~TBasicActionLink() { SetAction(nullptr); }

void TBasicActionLink::SetAction(TBasicAction* action) {
  if (action == action_) return;
  if (action_) std::erase(action_->clients_, this);
  action_ = action;
  if (action_) action_->clients_.push_back(this);
}

bool TBasicActionLink::Execute(TObject* component) {
  if (!action_) return false;
  action_->ActionComponent = component ? component : client_;
  bool done = false;
  try {
    done = action_->Execute();
  } catch (...) {
    if (action_) action_->ActionComponent = nullptr;
    throw;
  }
  if (action_) action_->ActionComponent = nullptr;
  return done;
}

bool TBasicActionLink::Update() { return action_ && action_->Update(); }

void TBasicActionLink::Change() {
  if (OnChange) OnChange(action_);
}

TCustomAction* TActionLink::CustomAction() const { return dynamic_cast<TCustomAction*>(Action()); }

bool TActionLink::IsCaptionLinked() { return CustomAction() != nullptr; }
bool TActionLink::IsCheckedLinked() { return CustomAction() != nullptr; }
bool TActionLink::IsEnabledLinked() { return CustomAction() != nullptr; }
bool TActionLink::IsHelpContextLinked() { return CustomAction() != nullptr; }
bool TActionLink::IsHintLinked() { return CustomAction() != nullptr; }
bool TActionLink::IsImageIndexLinked() { return CustomAction() != nullptr; }
bool TActionLink::IsShortCutLinked() { return CustomAction() != nullptr; }
bool TActionLink::IsVisibleLinked() { return CustomAction() != nullptr; }

// --- Actions ---------------------------------------------------------------------------------

TBasicAction::~TBasicAction() {
  auto clients = clients_;
  for (TBasicActionLink* link : clients) link->action_ = nullptr;
  clients_.clear();
}

bool TBasicAction::Execute() {
  if (!OnExecute) return false;
  OnExecute(this);
  return true;
}

bool TBasicAction::Update() {
  if (!OnUpdate) return false;
  OnUpdate(this);
  return true;
}

void TBasicAction::Change() {
  if (OnChange) OnChange(this);
  for (TBasicActionLink* link : std::vector<TBasicActionLink*>(clients_))
    if (std::find(clients_.begin(), clients_.end(), link) != clients_.end()) link->Change();
}

TContainedAction::~TContainedAction() { SetActionList(nullptr); }

void TContainedAction::SetActionList(TCustomActionList* list) {
  if (list == actionList_) return;
  if (actionList_) std::erase(actionList_->actions_, this);
  actionList_ = list;
  if (list) list->actions_.push_back(this);
}

bool TContainedAction::Execute() {
  if (actionList_ && actionList_->ExecuteAction(this)) return true;
  return TBasicAction::Execute();
}

bool TContainedAction::Update() {
  if (actionList_ && actionList_->UpdateAction(this)) return true;
  return TBasicAction::Update();
}

void TCustomAction::SetCaption(const std::string& caption) {
  if (caption == caption_) return;
  ForEachLink([&](TActionLink& link) { link.SetCaption(caption); });
  caption_ = caption;
  Change();
}

void TCustomAction::SetHint(const std::string& hint) {
  if (hint == hint_) return;
  ForEachLink([&](TActionLink& link) { link.SetHint(hint); });
  hint_ = hint;
  Change();
}

void TCustomAction::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  ForEachLink([&](TActionLink& link) { link.SetEnabled(enabled); });
  enabled_ = enabled;
  Change();
}

void TCustomAction::SetChecked(bool checked) {
  if (checked == checked_) return;
  ForEachLink([&](TActionLink& link) { link.SetChecked(checked); });
  checked_ = checked;
  if (checked && groupIndex_ > 0 && ActionList()) {
    for (int i = 0; i < ActionList()->ActionCount(); ++i) {
      auto* other = dynamic_cast<TCustomAction*>(ActionList()->Actions(i));
      if (other && other != this && other->groupIndex_ == groupIndex_) other->SetChecked(false);
    }
  }
  Change();
}

void TCustomAction::SetVisible(bool visible) {
  if (visible == visible_) return;
  ForEachLink([&](TActionLink& link) { link.SetVisible(visible); });
  visible_ = visible;
  Change();
}

void TCustomAction::SetImageIndex(int index) {
  if (index == imageIndex_) return;
  ForEachLink([&](TActionLink& link) { link.SetImageIndex(index); });
  imageIndex_ = index;
  Change();
}

void TCustomAction::SetShortCut(TShortCut shortcut) {
  if (shortcut == shortcut_) return;
  ForEachLink([&](TActionLink& link) { link.SetShortCut(shortcut); });
  shortcut_ = shortcut;
  Change();
}

void TCustomAction::SetAutoCheck(bool on) {
  if (on == autoCheck_) return;
  ForEachLink([&](TActionLink& link) { link.SetAutoCheck(on); });
  autoCheck_ = on;
  Change();
}

void TCustomAction::SetHelpContext(int context) {
  if (context == helpContext_) return;
  ForEachLink([&](TActionLink& link) { link.SetHelpContext(context); });
  helpContext_ = context;
  Change();
}

bool TCustomAction::DoHint(std::string& hint) {
  bool show = true;
  if (OnHint) OnHint(hint, show);
  return show;
}

void TCustomAction::SetGroupIndex(int index) {
  groupIndex_ = index;
  if (checked_ && index > 0) {
    checked_ = false;
    SetChecked(true);
  }
}

bool TCustomAction::Execute() {
  // Update first, so that a command whose state has changed since the last idle does not run.
  Update();
  if (!enabled_) return false;
  if (autoCheck_) SetChecked(!checked_);
  return TContainedAction::Execute();
}

void TCustomAction::GetProperties(TPropertyList& properties) {
  TContainedAction::GetProperties(properties);
  properties.AddText("Caption", [this] { return caption_; }, [this](const std::string& s) { SetCaption(s); });
  properties.AddText("Hint", [this] { return hint_; }, [this](const std::string& s) { SetHint(s); });
  properties.AddText("Category", [this] { return Category; }, [this](const std::string& s) { Category = s; });
}

// --- Action lists ----------------------------------------------------------------------------

TCustomActionList::~TCustomActionList() {
  for (TContainedAction* action : std::vector<TContainedAction*>(actions_)) action->SetActionList(nullptr);
}

void TCustomActionList::SetImages(TCustomImageList* images) {
  if (images_) images_->RemoveFreeNotification(this);
  images_ = images;
  if (images) images->FreeNotification(this);
}

void TCustomActionList::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == TOperation::opRemove && component == images_) images_ = nullptr;
}

bool TCustomActionList::ExecuteAction(TBasicAction* action) {
  bool handled = false;
  if (OnExecute) OnExecute(action, handled);
  return handled;
}

bool TCustomActionList::UpdateAction(TBasicAction* action) {
  bool handled = false;
  if (OnUpdate) OnUpdate(action, handled);
  return handled;
}

bool TCustomActionList::IsShortCut(TShortCut shortcut) {
  for (TContainedAction* a : std::vector<TContainedAction*>(actions_)) {
    auto* action = dynamic_cast<TCustomAction*>(a);
    if (!action || action->ShortCut() != shortcut) continue;
    action->Update();
    if (!action->Enabled()) return false;
    action->Execute();
    return true;
  }
  return false;
}

void TCustomActionList::UpdateAll() {
  for (TContainedAction* a : std::vector<TContainedAction*>(actions_)) a->Update();
}

}  // namespace movra::ui
