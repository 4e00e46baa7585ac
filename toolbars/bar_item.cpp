#include "toolbars/bar_item.h"

#include <mmsystem.h>

#include <algorithm>
#include <unordered_map>
#include <utility>

#include "runtime/ui/forms.h"
#include "runtime/ui/resstrings.h"
#include "toolbars/bar_common.h"
#include "toolbars/bar_viewer.h"

namespace movra::bars {

using ui::TBasicAction;
using ui::TComponent;
using ui::TCustomAction;
using ui::TCustomImageList;
using ui::TOperation;

namespace {

[[noreturn]] void RaiseIndexError() { throw EBarItemError(ui::LoadResString(ui::res::BarItemIndex)); }

// An exception of a handler run outside the caller's flow (shortcut search, deferred call)
// goes to the application's handler, and the flow goes on.
template <class F>
void Guarded(F&& call) {
  try {
    call();
  } catch (...) {
    try {
      ui::Application().HandleException(nullptr);
    } catch (...) {
    }
  }
}

IBarPopupHost* popupHost = nullptr;

}  // namespace

void SetBarPopupHost(IBarPopupHost* host) { popupHost = host; }
IBarPopupHost* BarPopupHost() { return popupHost; }

// --- Action link -----------------------------------------------------------------------------

void TBarCustomItemActionLink::AssignClient(ui::TObject* client) {
  ui::TActionLink::AssignClient(client);
  client_ = dynamic_cast<TBarCustomItem*>(client);
}

bool TBarCustomItemActionLink::IsOnExecuteLinked() {
  return ui::TActionLink::IsOnExecuteLinked() && Action() && client_->OnClick == Action()->OnExecute;
}
bool TBarCustomItemActionLink::IsCaptionLinked() {
  return ui::TActionLink::IsCaptionLinked() && client_->Caption() == CustomAction()->Caption();
}
bool TBarCustomItemActionLink::IsCheckedLinked() {
  return ui::TActionLink::IsCheckedLinked() && client_->Checked() == CustomAction()->Checked();
}
bool TBarCustomItemActionLink::IsEnabledLinked() {
  return ui::TActionLink::IsEnabledLinked() && client_->Enabled() == CustomAction()->Enabled();
}
bool TBarCustomItemActionLink::IsHelpContextLinked() {
  return ui::TActionLink::IsHelpContextLinked() && client_->HelpContext() == CustomAction()->HelpContext();
}
bool TBarCustomItemActionLink::IsHintLinked() {
  return ui::TActionLink::IsHintLinked() && client_->Hint() == CustomAction()->Hint();
}
bool TBarCustomItemActionLink::IsImageIndexLinked() {
  return ui::TActionLink::IsImageIndexLinked() && client_->ImageIndex() == CustomAction()->ImageIndex();
}
bool TBarCustomItemActionLink::IsShortCutLinked() {
  return ui::TActionLink::IsShortCutLinked() && client_->ShortCut() == CustomAction()->ShortCut();
}
bool TBarCustomItemActionLink::IsVisibleLinked() {
  return ui::TActionLink::IsVisibleLinked() && client_->Visible() == CustomAction()->Visible();
}
bool TBarCustomItemActionLink::AutoCheckLinked() {
  return CustomAction() && client_->AutoCheck() == CustomAction()->AutoCheck();
}

void TBarCustomItemActionLink::SetOnExecute(const ui::TNotifyEvent& handler) {
  if (IsOnExecuteLinked()) client_->OnClick = handler;
}
void TBarCustomItemActionLink::SetAutoCheck(bool on) {
  if (AutoCheckLinked()) client_->autoCheck_ = on;
}
void TBarCustomItemActionLink::SetCaption(const std::string& caption) {
  if (IsCaptionLinked()) client_->SetCaption(caption);
}
void TBarCustomItemActionLink::SetChecked(bool checked) {
  if (IsCheckedLinked()) client_->SetChecked(checked);
}
void TBarCustomItemActionLink::SetEnabled(bool enabled) {
  if (IsEnabledLinked()) client_->SetEnabled(enabled);
}
void TBarCustomItemActionLink::SetHelpContext(int context) {
  if (IsHelpContextLinked()) client_->helpContext_ = context;
}
void TBarCustomItemActionLink::SetHint(const std::string& hint) {
  if (IsHintLinked()) client_->hint_ = hint;
}
void TBarCustomItemActionLink::SetImageIndex(int index) {
  if (IsImageIndexLinked()) client_->SetImageIndex(index);
}
void TBarCustomItemActionLink::SetShortCut(TShortCut shortcut) {
  if (IsShortCutLinked()) client_->shortcut_ = shortcut;
}
void TBarCustomItemActionLink::SetVisible(bool visible) {
  if (IsVisibleLinked()) client_->SetVisible(visible);
}

// --- Items: life -----------------------------------------------------------------------------

TBarCustomItem::TBarCustomItem(TComponent* owner) : TComponent(owner) { BarObjectCreated(); }

TBarCustomItem::~TBarCustomItem() {
  Teardown();
  BarObjectDestroyed(this);
}

void TBarCustomItem::BeforeDestruction() {
  Teardown();
  TComponent::BeforeDestruction();
}

void TBarCustomItem::Teardown() {
  if (tornDown_) return;
  tornDown_ = true;
  // Pending clicks of this item must not reach it once it is gone.
  MarkDeferredCallsDead(this);
  while (!items_.empty()) ui::Free(items_.back());
  if (parent_) parent_->Remove(this);
  SetLinkSubitems(nullptr);
  for (TBarCustomItem* linker : std::vector<TBarCustomItem*>(linkParents_))
    if (linker->linkSubitems_ == this) linker->SetLinkSubitems(nullptr);
  actionLink_.reset();
  imagesLink_.reset();
  subMenuImagesLink_.reset();
  images_ = subMenuImages_ = nullptr;
}

// --- Child list ------------------------------------------------------------------------------

void TBarCustomItem::CheckIndex(int index, bool allowEnd) const {
  if (index < 0 || index > Count() || (!allowEnd && index == Count())) RaiseIndexError();
}

TBarCustomItem* TBarCustomItem::ChildAt(int index) const {
  CheckIndex(index, false);
  return items_[static_cast<size_t>(index)];
}

int TBarCustomItem::IndexOf(const TBarCustomItem* item) const {
  auto it = std::find(items_.begin(), items_.end(), item);
  return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

void TBarCustomItem::Insert(int index, TBarCustomItem* item) {
  // The item itself or one of its ancestors as a child would make the tree a cycle.
  bool cycle = false;
  for (TBarCustomItem* p = this; p; p = p->parent_)
    if (p == item) cycle = true;
  if (!item || item->parent_ || cycle) throw EBarItemError(ui::LoadResString(ui::res::BarItemInserted));
  CheckIndex(index, true);
  items_.insert(items_.begin() + index, item);
  item->parent_ = this;
  NotifyChange(ickBeginUpdate, -1, nullptr);
  try {
    NotifyChange(ickInserted, index, item);
    item->RecalcEffectiveOptions();
  } catch (...) {
    NotifyChange(ickEndUpdate, -1, nullptr);
    throw;
  }
  NotifyChange(ickEndUpdate, -1, nullptr);
}

void TBarCustomItem::Delete(int index) {
  CheckIndex(index, false);
  TBarCustomItem* child = items_[static_cast<size_t>(index)];
  NotifyChange(ickDeleting, index, child);
  // A listener may have moved things; take the child out wherever it is now.
  child->parent_ = nullptr;
  std::erase(items_, child);
}

void TBarCustomItem::Remove(TBarCustomItem* item) {
  int index = IndexOf(item);
  if (index >= 0) Delete(index);
}

void TBarCustomItem::Move(int currentIndex, int newIndex) {
  if (currentIndex == newIndex) return;
  CheckIndex(currentIndex, false);
  CheckIndex(newIndex, false);
  TBarCustomItem* child = items_[static_cast<size_t>(currentIndex)];
  NotifyChange(ickBeginUpdate, -1, nullptr);
  try {
    Delete(currentIndex);
    Insert(newIndex, child);
  } catch (...) {
    NotifyChange(ickEndUpdate, -1, nullptr);
    throw;
  }
  NotifyChange(ickEndUpdate, -1, nullptr);
}

void TBarCustomItem::SetChildOrder(TBarCustomItem* child, int order) {
  int index = IndexOf(child);
  if (index >= 0) Move(index, order);
}

// --- Listeners -------------------------------------------------------------------------------

void TBarCustomItem::RegisterNotification(const TBarItemChangeEvent& listener) {
  if (!listeners_) listeners_ = std::make_unique<std::vector<Listener>>();
  for (Listener& entry : *listeners_)
    if (entry.Call == listener) {
      ++entry.Count;
      return;
    }
  listeners_->push_back({listener, 1});
}

void TBarCustomItem::UnregisterNotification(const TBarItemChangeEvent& listener) {
  if (!listeners_) return;
  auto it = std::find_if(listeners_->begin(), listeners_->end(), [&](const Listener& e) { return e.Call == listener; });
  if (it == listeners_->end()) return;
  if (--it->Count > 0) return;
  listeners_->erase(it);
  // A walk in progress still reads the list; the outermost one frees it.
  if (listeners_->empty() && notifyDepth_ == 0) listeners_.reset();
}

void TBarCustomItem::NotifyChange(TBarItemChangeKind kind, int index, TBarCustomItem* item) {
  NotifyRelay(this, this, 0, kind, index, item);
}

// An embedded group's children are shown inline in its parent's views, so its changes go on
// to its parent's listeners too; `via` is this item or an item that links to it.
void TBarCustomItem::RelayThrough(TBarCustomItem* via, TBarCustomItem* origin, TBarCustomItem* ancestor, int depth,
                                  TBarItemChangeKind kind, int index, TBarCustomItem* item) {
  if (depth > 10 || !(via->itemStyle_ & isEmbeddedGroup) || !via->parent_) return;
  via->parent_->NotifyRelay(origin, ancestor == origin ? via : ancestor, depth + 1, kind, index, item);
}

void TBarCustomItem::NotifyRelay(TBarCustomItem* origin, TBarCustomItem* ancestor, int depth, TBarItemChangeKind kind,
                                 int index, TBarCustomItem* item) {
  std::weak_ptr<void> alive = Lifetime();
  RelayThrough(this, origin, ancestor, depth, kind, index, item);
  if (alive.expired()) return;
  for (TBarCustomItem* linker : std::vector<TBarCustomItem*>(linkParents_)) {
    if (linker == parent_ || std::find(linkParents_.begin(), linkParents_.end(), linker) == linkParents_.end())
      continue;
    RelayThrough(linker, origin, ancestor, depth, kind, index, item);
    if (alive.expired()) return;
  }
  if (!listeners_) return;
  ++notifyDepth_;
  size_t position = 0;
  // A listener may unregister itself (or others) while it runs: the list is read afresh at
  // each step, and the position moves on only when its entry is still the one just called.
  while (listeners_ && position < listeners_->size()) {
    TBarItemChangeEvent call = (*listeners_)[position].Call;
    try {
      call(ancestor, ancestor != this, kind, index, item);
    } catch (...) {
      if (!alive.expired() && --notifyDepth_ == 0 && listeners_ && listeners_->empty()) listeners_.reset();
      throw;
    }
    if (alive.expired()) return;
    if (listeners_ && position < listeners_->size() && (*listeners_)[position].Call == call) ++position;
  }
  if (--notifyDepth_ == 0 && listeners_ && listeners_->empty()) listeners_.reset();
}

void TBarCustomItem::ReportChange(bool needsResize) {
  static constexpr TBarItemChangeKind kinds[2] = {ickInvalidate, ickInvalidateAndResize};
  if (parent_) parent_->NotifyChange(kinds[needsResize ? 1 : 0], -1, this);
}

void TBarCustomItem::SetName(const std::string& name) {
  if (name == Name()) return;
  TComponent::SetName(name);
  if (parent_) parent_->NotifyChange(ickNameChanged, -1, this);
}

// --- Options ---------------------------------------------------------------------------------

namespace {
TBarItemOptions Normalise(TBarItemOptions options) {
  if (!HasOption(options, tboToolbarStyle)) options &= static_cast<TBarItemOptions>(~BarOption(tboToolbarSize));
  return options;
}
}  // namespace

void TBarCustomItem::RecalcEffectiveOptions() {
  TBarItemOptions inherited = 0;
  if (inheritOptions_ && parent_)
    inherited = static_cast<TBarItemOptions>(parent_->effectiveOptions_ & ~BarOption(tboDefault));
  TBarItemOptions value = Normalise(static_cast<TBarItemOptions>((inherited & ~maskOptions_) | options_));
  if (value == effectiveOptions_) return;
  TBarItemOptions changed = value ^ effectiveOptions_;
  effectiveOptions_ = value;
  if (changed & LayoutOptions) ReportChange(true);
  for (TBarCustomItem* child : std::vector<TBarCustomItem*>(items_))
    if (child->inheritOptions_ && child->parent_ == this) child->RecalcEffectiveOptions();
}

void TBarCustomItem::SetOptions(TBarItemOptions options) {
  options = Normalise(options);
  if (options == options_) return;
  options_ = options;
  RecalcEffectiveOptions();
}

void TBarCustomItem::SetMaskOptions(TBarItemOptions options) {
  if (options == maskOptions_) return;
  maskOptions_ = options;
  RecalcEffectiveOptions();
}

void TBarCustomItem::SetInheritOptions(bool on) {
  if (on == inheritOptions_) return;
  inheritOptions_ = on;
  RecalcEffectiveOptions();
}

// --- Properties ------------------------------------------------------------------------------

void TBarCustomItem::GetProperties(ui::TPropertyList& properties) {
  TComponent::GetProperties(properties);
  properties.AddText("Caption", [this] { return caption_; }, [this](const std::string& s) { SetCaption(s); });
  properties.AddText("Hint", [this] { return hint_; }, [this](const std::string& s) { SetHint(s); });
}

void TBarCustomItem::SetCaption(const std::string& caption) {
  if (caption == caption_) return;
  caption_ = caption;
  ReportChange(true);
}

void TBarCustomItem::SetDisplayMode(TBarItemDisplayMode mode) {
  if (mode == displayMode_) return;
  displayMode_ = mode;
  ReportChange(true);
}

void TBarCustomItem::SetVisible(bool visible) {
  if (visible == visible_) return;
  visible_ = visible;
  ReportChange(true);
}

void TBarCustomItem::SetChecked(bool checked) {
  if (checked == checked_) return;
  checked_ = checked;
  ReportChange(false);
  if (checked_) UncheckGroupSiblings();
}

void TBarCustomItem::SetGroupIndex(int index) {
  if (index == groupIndex_) return;
  groupIndex_ = index;
  if (checked_) UncheckGroupSiblings();
}

void TBarCustomItem::UncheckGroupSiblings() {
  if (!parent_ || groupIndex_ == 0) return;
  for (TBarCustomItem* sibling : std::vector<TBarCustomItem*>(parent_->items_))
    if (sibling != this && sibling->groupIndex_ == groupIndex_) sibling->SetChecked(false);
}

void TBarCustomItem::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  RequestRepaint();
}

void TBarCustomItem::SetImageIndex(int index) {
  if (index == imageIndex_) return;
  int old = imageIndex_;
  imageIndex_ = index;
  ReportChange((old == -1) != (index == -1));
}

void TBarCustomItem::SetImageList(TCustomImageList*& field, std::unique_ptr<TBarImageChangeLink>& link,
                                  TCustomImageList* images, bool subMenu) {
  TCustomImageList* old = field;
  if (old && link) old->UnRegisterChanges(link.get());
  if (old) old->RemoveFreeNotification(this);
  field = images;
  bool resized = (old == nullptr) != (images == nullptr);
  if (!images) {
    link.reset();
  } else {
    if (!link) {
      link = std::make_unique<TBarImageChangeLink>();
      link->OnChange = subMenu ? ui::TNotifyEvent(this, &TBarCustomItem::SubMenuImagesChanged)
                               : ui::TNotifyEvent(this, &TBarCustomItem::ImagesChanged);
    }
    if (old && (old->Width() != images->Width() || old->Height() != images->Height())) resized = true;
    link->LastWidth = images->Width();
    link->LastHeight = images->Height();
    images->RegisterChanges(link.get());
    images->FreeNotification(this);
  }
  if (subMenu)
    NotifyChange(ickSubMenuImagesChanged, -1, nullptr);
  else
    ReportChange(resized);
}

void TBarCustomItem::SetImages(TCustomImageList* images) {
  if (images == images_) return;
  SetImageList(images_, imagesLink_, images, false);
}

void TBarCustomItem::SetSubMenuImages(TCustomImageList* images) {
  if (images == subMenuImages_) return;
  SetImageList(subMenuImages_, subMenuImagesLink_, images, true);
}

void TBarCustomItem::ImagesChanged(ui::TObject*) {
  if (!images_ || !imagesLink_) return;
  bool resized = imagesLink_->LastWidth != images_->Width() || imagesLink_->LastHeight != images_->Height();
  imagesLink_->LastWidth = images_->Width();
  imagesLink_->LastHeight = images_->Height();
  ReportChange(resized);
}

void TBarCustomItem::SubMenuImagesChanged(ui::TObject*) {
  if (!subMenuImages_ || !subMenuImagesLink_) return;
  subMenuImagesLink_->LastWidth = subMenuImages_->Width();
  subMenuImagesLink_->LastHeight = subMenuImages_->Height();
  NotifyChange(ickSubMenuImagesChanged, -1, nullptr);
}

void TBarCustomItem::SetLinkSubitems(TBarCustomItem* target) {
  if (target == this) target = nullptr;
  if (target == linkSubitems_) return;
  if (linkSubitems_) {
    std::erase(linkSubitems_->linkParents_, this);
    RemoveFreeNotification(linkSubitems_);
  }
  linkSubitems_ = target;
  if (target) {
    if (std::find(target->linkParents_.begin(), target->linkParents_.end(), this) == target->linkParents_.end())
      target->linkParents_.push_back(this);
    target->FreeNotification(this);
  }
  NotifyChange(ickSubitemsChanged, -1, nullptr);
}

ui::TComponent* TBarCustomItem::GetParentComponent() const {
  if (!parent_) return nullptr;
  return parent_->parentComponent_ ? parent_->parentComponent_ : parent_;
}

// --- Actions ---------------------------------------------------------------------------------

TBasicAction* TBarCustomItem::Action() const { return actionLink_ ? actionLink_->Action() : nullptr; }

std::unique_ptr<TBarCustomItemActionLink> TBarCustomItem::CreateActionLink() {
  return ui::CreateActionLink<TBarCustomItemActionLink>(this);
}

void TBarCustomItem::SetAction(TBasicAction* action) {
  if (!action) {
    if (Action()) Action()->RemoveFreeNotification(this);
    actionLink_.reset();
    return;
  }
  if (!actionLink_) {
    actionLink_ = CreateActionLink();
    actionLink_->OnChange = ui::TNotifyEvent(this, &TBarCustomItem::ActionChanged);
  }
  if (actionLink_->Action() && actionLink_->Action() != action) actionLink_->Action()->RemoveFreeNotification(this);
  actionLink_->SetAction(action);
  // A loading action leaves the item what it was given already.
  TakeActionProperties(action, action->IsLoading());
  action->FreeNotification(this);
}

void TBarCustomItem::ActionChanged(ui::TObject* sender) {
  if (sender && sender == Action()) TakeActionProperties(Action(), false);
}

void TBarCustomItem::TakeActionProperties(TBasicAction* basic, bool checkDefaults) {
  auto* action = dynamic_cast<TCustomAction*>(basic);
  if (!action) return;
  if (!checkDefaults || !autoCheck_) autoCheck_ = action->AutoCheck();
  if (!checkDefaults || caption_.empty()) SetCaption(action->Caption());
  if (!checkDefaults || !checked_) SetChecked(action->Checked());
  if (!checkDefaults || enabled_) SetEnabled(action->Enabled());
  if (!checkDefaults || helpContext_ == 0) helpContext_ = action->HelpContext();
  if (!checkDefaults || hint_.empty()) hint_ = action->Hint();
  if (!checkDefaults || imageIndex_ == -1) SetImageIndex(action->ImageIndex());
  if (!checkDefaults || shortcut_ == 0) shortcut_ = action->ShortCut();
  if (!checkDefaults || visible_) SetVisible(action->Visible());
  if (!checkDefaults || !OnClick) OnClick = action->OnExecute;
}

void TBarCustomItem::RefreshFromAction() {
  if (actionLink_) actionLink_->Update();
}

void TBarCustomItem::Loaded() {
  TComponent::Loaded();
  if (Action()) TakeActionProperties(Action(), true);
}

void TBarCustomItem::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation != TOperation::opRemove) return;
  std::erase_if(linkParents_, [&](TBarCustomItem* linker) { return static_cast<TComponent*>(linker) == component; });
  // The action forgets its links before it tells its users.
  if (actionLink_ && (!actionLink_->Action() || component == actionLink_->Action())) actionLink_.reset();
  if (component == images_) {
    imagesLink_.reset();
    images_ = nullptr;
    ReportChange(true);
  }
  if (component == subMenuImages_) {
    subMenuImagesLink_.reset();
    subMenuImages_ = nullptr;
    NotifyChange(ickSubMenuImagesChanged, -1, nullptr);
  }
  if (component == linkSubitems_) {
    linkSubitems_ = nullptr;
    NotifyChange(ickSubitemsChanged, -1, nullptr);
  }
}

// --- Clicks and popups -----------------------------------------------------------------------

void TBarCustomItem::Click() {
  if (!enabled_) return;
  if (autoCheck_ && (!actionLink_ || !actionLink_->AutoCheckLinked())) SetChecked(!checked_);
  TBasicAction* action = Action();
  if (OnClick && action && !(OnClick == action->OnExecute))
    OnClick(this);
  else if (actionLink_)
    actionLink_->Execute();
  else if (OnClick)
    OnClick(this);
}

void TBarCustomItem::FirePopup(TBarCustomItem* sender, bool fromLink) {
  std::weak_ptr<void> alive = Lifetime();
  if (OnPopup) OnPopup(sender, fromLink);
  if (!alive.expired() && !(itemStyle_ & isSplitButton)) Click();
}

TBarItemViewerClass TBarCustomItem::ViewerClass() { return ViewerClassOf<TBarItemViewer>(); }

TBarPopupWindowClass TBarCustomItem::PopupWindowClass() {
  return popupHost ? popupHost->DefaultPopupWindowClass() : TBarPopupWindowClass{};
}

TBarPopupWindow* TBarCustomItem::OpenSubmenuPopup(IBarView* parentView, TBarItemViewer* parentViewer, bool asSubmenu,
                                                  bool selectFirst, bool customizing, POINT point, int alignment) {
  std::weak_ptr<void> alive = Lifetime();
  if (linkSubitems_) linkSubitems_->FirePopup(this, true);
  if (alive.expired()) return nullptr;
  FirePopup(this, false);
  if (alive.expired() || !popupHost) return nullptr;
  TBarPopupRequest request{parentView, parentViewer, asSubmenu, selectFirst, customizing, point, alignment};
  return popupHost->OpenPopupWindow(*this, request);
}

void TBarCustomItem::Popup(int x, int y, bool trackRightButton, int alignment) {
  PopupAtPoint(POINT{x, y}, false, trackRightButton, alignment);
}

void TBarCustomItem::PopupAtPoint(POINT point, bool selectFirst, bool trackRightButton, int alignment) {
  if (!popupHost) return;
  TBarPopupRequest request{nullptr, nullptr, false, selectFirst, false, point, alignment};
  TBarDoneAction done = popupHost->TrackPopup(*this, request, trackRightButton);
  ExecuteDoneAction(done);
}

// --- Placement -------------------------------------------------------------------------------

void PopupStartPosition(const TBarPopupOrigin& origin, TBarPopupPlacement& p) {
  const RECT& item = p.ParentItemRect;
  if (!origin.HasParentView) {
    p.X = origin.Point.x;
    p.Y = origin.Point.y;
    if (p.Alignment == bpaRight) p.X -= p.W;
    if (p.Alignment == bpaCentre) p.X -= p.W / 2;
  } else if (p.AsSubmenu) {
    p.X = item.right - p.FrameSize.x;
    p.Y = item.top - p.FrameSize.y;
  } else if (origin.FromChevron) {
    if (origin.ChevronVertical) {
      p.X = item.left - p.W;
      p.Y = item.top;
    } else {
      p.X = item.right - p.W;
      p.Y = item.bottom;
    }
  } else if (origin.ParentVertical) {
    p.X = item.left - p.W;
    p.Y = item.top;
  } else {
    p.X = origin.MenuDropRight ? item.right - p.W : item.left;
    p.Y = item.bottom;
  }
}

void TBarCustomItem::PlacePopup(IBarView* parentView, TBarPopupWindow*, TBarPopupPlacement& p) {
  const RECT& m = p.MonitorRect;
  const RECT& item = p.ParentItemRect;
  const bool vertical = parentView && parentView->IsVertical();
  auto overlapsItem = [&](int x, int y) {
    return x < item.right && item.left < x + p.W && y < item.bottom && item.top < y + p.H;
  };
  // How many of the parent view's shown viewers a place at (x, y) would cover whole.
  auto covered = [&](int x, int y) {
    if (!parentView) return 0;
    int count = 0;
    for (int i = 0; i < parentView->ViewerCount(); ++i) {
      TBarItemViewer* viewer = parentView->ViewerAt(i);
      if (!viewer || !viewer->Show) continue;
      POINT a = parentView->ClientToScreen({viewer->BoundsRect.left, viewer->BoundsRect.top});
      POINT b = parentView->ClientToScreen({viewer->BoundsRect.right, viewer->BoundsRect.bottom});
      if (a.x >= x && a.y >= y && b.x <= x + p.W && b.y <= y + p.H) ++count;
    }
    return count;
  };

  if (p.Y + p.H > m.bottom && !vertical) {
    int y = p.AsSubmenu ? item.bottom + p.FrameSize.y - p.H : item.top - p.H;
    if (y >= m.top) p.Y = y;
  }
  if (p.Y + p.H > m.bottom) p.Y = m.bottom - p.H;
  if (p.Y < m.top) p.Y = m.top;

  if (!p.AsSubmenu) {
    if (!parentView && p.Alignment == bpaRight && p.X < m.left) p.X += p.W;
    if (p.X + p.W > m.right) p.X = (!parentView && p.Alignment == bpaLeft) ? p.X - p.W : m.right - p.W;
    if (p.X < m.left) p.X = m.left;
    if (vertical) {
      if (item.right + p.W <= m.right && (covered(item.right, p.Y) < covered(p.X, p.Y) || overlapsItem(p.X, p.Y)))
        p.X = item.right;
      if (overlapsItem(p.X, p.Y)) {
        p.Y = item.bottom + p.H <= m.bottom ? item.bottom : item.top - p.H;
        if (p.Y < m.top) p.Y = m.top;
      }
    } else {
      if (item.top - p.H >= m.top &&
          (covered(p.X, item.top - p.H) < covered(p.X, p.Y) || overlapsItem(p.X, p.Y)))
        p.Y = item.top - p.H;
      if (overlapsItem(p.X, p.Y)) {
        p.X = item.right + p.W <= m.right ? item.right : item.left - p.W;
        if (p.X < m.left) p.X = m.left;
      }
    }
  } else {
    for (;;) {
      int x = p.X;
      if (p.Opposite || p.X + p.W > m.right) {
        if (parentView) x = item.left + p.FrameSize.x - p.W;
        if (p.Opposite && x < m.left) {
          p.Opposite = false;
          continue;
        }
        p.OpensSubmenusLeft = true;
      }
      p.X = std::max(x, static_cast<int>(m.left));
      break;
    }
  }

  if (p.AsSubmenu) {
    p.AnimateDirections = 2 * p.X + p.W < item.left + item.right ? bpdLeft : bpdRight;
  } else {
    p.AnimateDirections = 0;
    if (p.Y >= item.bottom) p.AnimateDirections |= bpdDown;
    if (p.Y + p.H <= item.top) p.AnimateDirections |= bpdUp;
    if (p.X >= item.right) p.AnimateDirections |= bpdRight;
    if (p.X + p.W <= item.left) p.AnimateDirections |= bpdLeft;
  }
}

// --- Shortcuts -------------------------------------------------------------------------------

std::string TBarCustomItem::ShortCutDisplayText() const {
  size_t tab = caption_.find('\t');
  if (tab != std::string::npos) return caption_.substr(tab + 1);
  if (shortcut_ != 0) return ui::ShortCutToText(shortcut_);
  return {};
}

// The child lists searched so far, each with the fewest link levels it was reached through. A
// list reached again through as many levels or more has nothing new to give: it was searched in
// vain, or it is being searched further up the path. So links that lead back to an ancestor are
// not walked round, and no list is searched more often than there are link levels.
struct TBarCustomItem::TShortCutSearch {
  std::unordered_map<const TBarCustomItem*, int> levels;
};

TBarCustomItem* TBarCustomItem::FindShortCutIn(TShortCutSearch& search, TBarCustomItem* list, TShortCut shortcut,
                                               int linkDepth, TBarCustomItem*& topLevel) {
  // Each redirection through LinkSubitems costs a level; a chain of more than 25 is given up.
  while (list->linkSubitems_) {
    if (++linkDepth > 25) return nullptr;
    list = list->linkSubitems_;
  }
  auto [seen, first] = search.levels.try_emplace(list, linkDepth);
  if (!first) {
    if (seen->second <= linkDepth) return nullptr;
    seen->second = linkDepth;
  }
  for (size_t i = 0; i < list->items_.size(); ++i) {
    TBarCustomItem* child = list->items_[i];
    if (child->shortcut_ == shortcut) return child;
    TBarCustomItem* below = nullptr;
    if (TBarCustomItem* found = FindShortCutIn(search, child, shortcut, linkDepth, below)) {
      topLevel = child;
      return found;
    }
  }
  return nullptr;
}

TBarCustomItem* TBarCustomItem::FindItemByShortCut(TShortCut shortcut, TBarCustomItem*& topLevel) {
  topLevel = nullptr;
  if (shortcut == 0) return nullptr;
  TShortCutSearch search;
  return FindShortCutIn(search, this, shortcut, 0, topLevel);
}

TShortCut TBarCustomItem::ShortCutOfKey(WPARAM keyCode, LPARAM keyData) {
  unsigned shift = 0;
  if (GetKeyState(VK_SHIFT) < 0) shift |= ui::ssShift;
  if (GetKeyState(VK_CONTROL) < 0) shift |= ui::ssCtrl;
  if (keyData & 0x20000000) shift |= ui::ssAlt;
  return ui::ShortCut(static_cast<uint16_t>(keyCode), shift);
}

bool TBarCustomItem::HandleShortCut(WPARAM keyCode, LPARAM keyData) {
  return HandleShortCut(ShortCutOfKey(keyCode, keyData));
}

bool TBarCustomItem::HandleShortCut(TShortCut shortcut) {
  TBarCustomItem* top = nullptr;
  if (!FindItemByShortCut(shortcut, top)) return false;
  TBarCustomItem* item = this;
  // A link back to an ancestor leads the path round in a circle: each item is opened once.
  std::vector<TBarCustomItem*> visited;
  for (;;) {
    if (!item->enabled_) return false;
    visited.push_back(item);
    // Update and popup handlers may free the item or any of its children: each is checked
    // before it is touched again, and a freed item ends the search.
    const std::weak_ptr<void> itemAlive = item->Lifetime();
    std::vector<std::pair<TBarCustomItem*, std::weak_ptr<void>>> children;
    for (TBarCustomItem* child : item->ShownChildList()->items_) children.emplace_back(child, child->Lifetime());
    for (auto& [child, alive] : children)
      if (!alive.expired()) Guarded([&] { child->RefreshFromAction(); });
    if (itemAlive.expired()) return false;
    if (!(item->itemStyle_ & isEmbeddedGroup)) {
      if (TBarCustomItem* target = item->linkSubitems_) Guarded([&] { target->FirePopup(item, true); });
      if (itemAlive.expired()) return false;
      Guarded([&] { item->FirePopup(item, false); });
      if (itemAlive.expired()) return false;
    }
    TBarCustomItem* found = item->FindItemByShortCut(shortcut, top);
    if (!found) return false;
    if (!top) {
      if (!found->enabled_) return false;
      Guarded([&] { found->Click(); });
      return true;
    }
    if (std::find(visited.begin(), visited.end(), top) != visited.end()) return false;
    item = top;
  }
}

// --- Done actions ----------------------------------------------------------------------------

namespace {
TBarHelpHandler helpHandler = nullptr;
}

void SetBarHelpHandler(TBarHelpHandler handler) { helpHandler = handler; }

void ExecuteDoneAction(const TBarDoneAction& action) {
  switch (action.Kind) {
    case bdaClickItem:
      if (action.Extra && SoundSchemeHasEvent("MenuCommand"))
        PlaySoundW(L"MenuCommand", nullptr, SND_ALIAS | SND_ASYNC | SND_NODEFAULT | SND_NOSTOP);
      QueueClick(action.ClickItem);
      break;
    case bdaSysMenuKey:
      SendMessageW(action.Window, WM_SYSCOMMAND, SC_KEYMENU, action.Extra);
      break;
    case bdaHelp: {
      ui::TCustomForm* form = ui::Screen().ActiveForm();
      bool popup = form && form->HandleAllocated() &&
                   (GetWindowLongW(form->Handle(), GWL_EXSTYLE) & WS_EX_CONTEXTHELP);
      if (helpHandler) helpHandler(action.Extra, popup ? HELP_CONTEXTPOPUP : HELP_CONTEXT);
      break;
    }
    default:
      break;
  }
}

// --- Subclasses ------------------------------------------------------------------------------

TBarSeparatorItem::TBarSeparatorItem(TComponent* owner) : TBarCustomItem(owner) {
  SetItemStyle(static_cast<TBarItemStyle>((ItemStyle() & ~0x1802) | isSeparator | isNotClickable));
}

void TBarSeparatorItem::SetBlank(bool blank) {
  if (blank == blank_) return;
  blank_ = blank;
  ReportChange(false);
}

TBarItemViewerClass TBarSeparatorItem::ViewerClass() { return ViewerClassOf<TBarSeparatorItemViewer>(); }

TBarControlItem::TBarControlItem(TComponent* owner) : TBarCustomItem(owner) {
  SetItemStyle(static_cast<TBarItemStyle>((ItemStyle() & ~isSelectable) | isNotClickable));
}

TBarControlItem::TBarControlItem(TComponent* owner, ui::TControl* control) : TBarControlItem(owner) {
  control_ = control;
  if (control) control->FreeNotification(this);
}

TBarControlItem::~TBarControlItem() { ReleaseControl(); }

void TBarControlItem::BeforeDestruction() {
  TBarCustomItem::BeforeDestruction();
  ReleaseControl();
}

void TBarControlItem::ReleaseControl() {
  ui::TControl* control = control_;
  control_ = nullptr;
  if (control) {
    control->RemoveFreeNotification(this);
    if (!DontFreeControl) ui::Free(control);
  }
}

void TBarControlItem::SetControl(ui::TControl* control) {
  if (control == control_) return;
  if (control_) control_->RemoveFreeNotification(this);
  control_ = control;
  if (control) control->FreeNotification(this);
  ReportChange(true);
}

void TBarControlItem::Notification(TComponent* component, TOperation operation) {
  TBarCustomItem::Notification(component, operation);
  if (operation == TOperation::opRemove && component == control_) control_ = nullptr;
}

}  // namespace movra::bars
