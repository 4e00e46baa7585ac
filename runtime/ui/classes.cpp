#include "runtime/ui/classes.h"

#include <algorithm>

#include "runtime/text.h"

namespace movra::ui {

const TTextProperty* TPropertyList::FindText(std::string_view name) const {
  for (const auto& p : Texts)
    if (SameTextAscii(p.Name, name)) return &p;
  return nullptr;
}

// --- TPersistent -----------------------------------------------------------------------------

void TPersistent::Assign(const TPersistent& source) {
  if (!source.AssignTo(*this))
    throw EConvertError("Cannot assign a " + source.ClassName() + " to a " + ClassName() + ".");
}

bool TPersistent::AssignTo(TPersistent&) const { return false; }

void TPersistent::GetProperties(TPropertyList&) {}

TPropertyList TPersistent::Properties() {
  TPropertyList list;
  GetProperties(list);
  return list;
}

// --- TComponent ------------------------------------------------------------------------------

void TComponentDeleter::operator()(TComponent* component) const {
  if (!component) return;
  component->BeforeDestruction();
  delete component;
}

TComponent::TComponent(TComponent* owner) {
  if (owner) owner->InsertComponent(this);
}

TComponent::~TComponent() {
  Destroying();
  // Whoever deleted us without the deleter still gets the notifications, only later.
  if (!beforeDestructionDone_) {
    beforeDestructionDone_ = true;
    DestroyComponents();
  }
  // Taken one at a time from the live list: a component told here may free another one of the
  // list, which then unlinks itself instead of being told after its end.
  while (!freeNotifies_.empty()) {
    TComponent* c = freeNotifies_.front().component;
    freeNotifies_.erase(freeNotifies_.begin());
    c->RemoveNotification(this);
    c->Notification(this, TOperation::opRemove);
  }
  if (owner_) owner_->RemoveComponent(this);
}

void TComponent::BeforeDestruction() {
  if (beforeDestructionDone_) return;
  beforeDestructionDone_ = true;
  Destroying();
  DestroyComponents();
}

void TComponent::DestroyComponents() {
  while (!components_.empty()) {
    TComponent* last = components_.back().get();
    RemoveComponent(last);
    TComponentDeleter()(last);
  }
}

void TComponent::AddToOwner(TComponent* owner) {
  owner_ = owner;
  owner->components_.emplace_back(this);
  if (owner->IsLoading()) state_ |= csLoading;
}

void TComponent::InsertComponent(TComponent* component) {
  if (component->owner_) component->owner_->RemoveComponent(component);
  ValidateRename(component, component->name_);
  component->AddToOwner(this);
  Notification(component, TOperation::opInsert);
}

void TComponent::RemoveComponent(TComponent* component) {
  auto it = std::find_if(components_.begin(), components_.end(),
                         [component](const auto& p) { return p.get() == component; });
  if (it == components_.end()) return;
  Notification(component, TOperation::opRemove);
  it = std::find_if(components_.begin(), components_.end(),
                    [component](const auto& p) { return p.get() == component; });
  if (it != components_.end()) {
    (void)it->release();
    components_.erase(it);
  }
  component->owner_ = nullptr;
}

int TComponent::ComponentIndex() const {
  if (!owner_) return -1;
  for (int i = 0; i < owner_->ComponentCount(); ++i)
    if (owner_->Components(i) == this) return i;
  return -1;
}

TComponent* TComponent::FindComponent(std::string_view name) const {
  if (name.empty()) return nullptr;
  for (const auto& c : components_)
    if (SameTextAscii(c->name_, name)) return c.get();
  return nullptr;
}

void TComponent::ValidateRename(TComponent* component, const std::string& newName) const {
  if (newName.empty()) return;
  TComponent* existing = FindComponent(newName);
  if (existing && existing != component)
    throw EComponentError("A component named " + newName + " already exists.");
}

void TComponent::SetName(const std::string& name) {
  if (name == name_) return;
  if (owner_) owner_->ValidateRename(this, name);
  name_ = name;
}

void TComponent::CountFreeLink(TComponent* component, int change) {
  auto it = std::find_if(freeNotifies_.begin(), freeNotifies_.end(),
                         [component](const TFreeLink& link) { return link.component == component; });
  if (it == freeNotifies_.end()) {
    if (change > 0) freeNotifies_.push_back({component, change});
  } else if ((it->requests += change) <= 0) {
    freeNotifies_.erase(it);
  }
}

void TComponent::FreeNotification(TComponent* component) {
  if (!component || component == this) return;
  CountFreeLink(component, 1);
  component->CountFreeLink(this, 1);
}

void TComponent::RemoveNotification(TComponent* component) {
  std::erase_if(freeNotifies_, [component](const TFreeLink& link) { return link.component == component; });
}

void TComponent::RemoveFreeNotification(TComponent* component) {
  if (!component || component == this) return;
  CountFreeLink(component, -1);
  component->CountFreeLink(this, -1);
}

void TComponent::Notification(TComponent* component, TOperation operation) {
  // A freed component takes every request for it along, however many were made.
  if (operation == TOperation::opRemove && component) {
    RemoveNotification(component);
    component->RemoveNotification(this);
  }
  for (int i = ComponentCount() - 1; i >= 0; --i) {
    if (i >= ComponentCount()) continue;
    Components(i)->Notification(component, operation);
  }
}

void TComponent::BeginLoading() {
  state_ |= csLoading;
}

void TComponent::EndLoading() {
  for (int i = 0; i < ComponentCount(); ++i) {
    TComponent* c = Components(i);
    if (c->IsLoading()) {
      c->state_ &= ~csLoading;
      c->Loaded();
    }
  }
  state_ &= ~csLoading;
  Loaded();
}

void TComponent::Loaded() {}

void TComponent::GetProperties(TPropertyList& properties) {
  properties.AddText(
      "Name", [this] { return name_; }, [this](const std::string& s) { SetName(s); });
}

// --- TStrings --------------------------------------------------------------------------------

void TStrings::Put(int index, const std::string& text) {
  void* object = Objects(index);
  Delete(index);
  InsertObject(index, text, object);
}

void TStrings::InsertObject(int index, const std::string& text, void* object) {
  Insert(index, text);
  PutObject(index, object);
}

int TStrings::AddObject(const std::string& text, void* object) {
  int index = Count();
  InsertObject(index, text, object);
  return index;
}

void TStrings::AddStrings(const TStrings& other) {
  TUpdateGuard update(*this);
  for (int i = 0; i < other.Count(); ++i) AddObject(other.Get(i), other.Objects(i));
}

void TStrings::AddStrings(const movra::TStringList& other) {
  TUpdateGuard update(*this);
  for (const auto& line : other) Add(line);
}

int TStrings::IndexOf(std::string_view text) const {
  for (int i = 0; i < Count(); ++i)
    if (SameTextAscii(Get(i), text)) return i;
  return -1;
}

int TStrings::IndexOfObject(const void* object) const {
  for (int i = 0; i < Count(); ++i)
    if (Objects(i) == object) return i;
  return -1;
}

movra::TStringList TStrings::ToPlain() const {
  movra::TStringList plain;
  for (int i = 0; i < Count(); ++i) plain.Add(Get(i));
  return plain;
}

std::string TStrings::Text() const { return ToPlain().Text(); }

void TStrings::SetText(std::string_view text) {
  movra::TStringList plain;
  plain.SetText(text);
  Assign(plain);
}

std::string TStrings::CommaText() const {
  std::string out;
  for (int i = 0; i < Count(); ++i) {
    if (i) out += ',';
    std::string s = Get(i);
    if (s.find_first_of(" ,\"") == std::string::npos && !s.empty()) {
      out += s;
      continue;
    }
    out += '"';
    for (char ch : s) {
      if (ch == '"') out += '"';
      out += ch;
    }
    out += '"';
  }
  return out;
}

void TStrings::BeginUpdate() {
  if (updateCount_++ == 0) SetUpdateState(true);
}

void TStrings::EndUpdate() {
  if (updateCount_ > 0 && --updateCount_ == 0) SetUpdateState(false);
}

void TStrings::Assign(const TPersistent& source) {
  auto* strings = dynamic_cast<const TStrings*>(&source);
  if (!strings) return TPersistent::Assign(source);
  if (strings == this) return;
  TUpdateGuard update(*this);
  Clear();
  AddStrings(*strings);
}

void TStrings::Assign(const movra::TStringList& source) {
  TUpdateGuard update(*this);
  Clear();
  AddStrings(source);
}

bool TStrings::Equals(const TStrings& other) const {
  if (Count() != other.Count()) return false;
  for (int i = 0; i < Count(); ++i)
    if (Get(i) != other.Get(i)) return false;
  return true;
}

// --- TStringList -----------------------------------------------------------------------------

TStringList::TStringList(std::initializer_list<std::string> lines) {
  for (const auto& l : lines) items_.push_back({l, nullptr});
}

void TStringList::Check(int index, bool allowEnd) const {
  int limit = Count() + (allowEnd ? 1 : 0);
  if (index < 0 || index >= limit)
    throw EListError("List index out of bounds (" + std::to_string(index) + ")");
}

std::string TStringList::Get(int index) const {
  Check(index);
  return items_[static_cast<size_t>(index)].text;
}

void TStringList::Put(int index, const std::string& text) {
  if (sorted_) throw EListError("Operation not allowed on sorted list");
  Check(index);
  Changing();
  items_[static_cast<size_t>(index)].text = text;
  Changed();
}

void* TStringList::Objects(int index) const {
  Check(index);
  return items_[static_cast<size_t>(index)].object;
}

void TStringList::PutObject(int index, void* object) {
  Check(index);
  Changing();
  items_[static_cast<size_t>(index)].object = object;
  Changed();
}

int TStringList::FindSortedPlace(const std::string& text) const {
  auto less = [this](const Item& a, const std::string& b) {
    return CaseSensitive ? a.text < b : AsciiUpper(a.text) < AsciiUpper(b);
  };
  return static_cast<int>(std::lower_bound(items_.begin(), items_.end(), text, less) - items_.begin());
}

void TStringList::InsertObject(int index, const std::string& text, void* object) {
  if (sorted_) throw EListError("Operation not allowed on sorted list");
  Check(index, true);
  Changing();
  items_.insert(items_.begin() + index, Item{text, object});
  Changed();
}

int TStringList::AddObject(const std::string& text, void* object) {
  int index = sorted_ ? FindSortedPlace(text) : Count();
  Changing();
  items_.insert(items_.begin() + index, Item{text, object});
  Changed();
  return index;
}

void TStringList::Delete(int index) {
  Check(index);
  Changing();
  items_.erase(items_.begin() + index);
  Changed();
}

void TStringList::Clear() {
  if (items_.empty()) return;
  Changing();
  items_.clear();
  Changed();
}

void TStringList::Exchange(int a, int b) {
  Check(a);
  Check(b);
  Changing();
  std::swap(items_[static_cast<size_t>(a)], items_[static_cast<size_t>(b)]);
  Changed();
}

void TStringList::Sort(const std::function<bool(const std::string&, const std::string&)>& less) {
  Changing();
  std::stable_sort(items_.begin(), items_.end(), [&](const Item& a, const Item& b) {
    if (less) return less(a.text, b.text);
    return CaseSensitive ? a.text < b.text : AsciiUpper(a.text) < AsciiUpper(b.text);
  });
  Changed();
}

void TStringList::SetSorted(bool sorted) {
  if (sorted == sorted_) return;
  if (sorted) Sort();
  sorted_ = sorted;
}

void TStringList::SetUpdateState(bool updating) {
  if (updating)
    Changing();
  else
    Changed();
}

void TStringList::Changing() {
  if (UpdateCount() == 0 && OnChanging) OnChanging(this);
}

void TStringList::Changed() {
  if (UpdateCount() == 0 && OnChange) OnChange(this);
}

// --- Collections -----------------------------------------------------------------------------

int TCollectionItem::Index() const {
  if (!collection_) return -1;
  for (int i = 0; i < collection_->Count(); ++i)
    if (collection_->Items(i) == this) return i;
  return -1;
}

void TCollectionItem::SetIndex(int index) {
  int current = Index();
  if (current >= 0 && current != index) collection_->MoveItem(current, index);
}

void TCollectionItem::Changed(bool all) {
  if (collection_ && collection_->updateCount_ == 0) collection_->Update(all ? nullptr : this);
}

TCollection::~TCollection() { items_.clear(); }

TCollectionItem* TCollection::Items(int index) const {
  if (index < 0 || index >= Count())
    throw EListError("List index out of bounds (" + std::to_string(index) + ")");
  return items_[static_cast<size_t>(index)].get();
}

TCollectionItem* TCollection::InsertItem(int index) {
  index = std::clamp(index, 0, Count());
  auto item = NewItem();
  item->collection_ = this;
  item->id_ = nextId_++;
  TCollectionItem* raw = item.get();
  items_.insert(items_.begin() + index, std::move(item));
  Notify(raw, TCollectionNotification::cnAdded);
  Changed();
  return raw;
}

void TCollection::Delete(int index) {
  TCollectionItem* item = Items(index);
  Notify(item, TCollectionNotification::cnDeleting);
  items_.erase(items_.begin() + index);
  Changed();
}

void TCollection::Clear() {
  if (items_.empty()) return;
  TUpdateGuard update(*this);
  while (!items_.empty()) Delete(Count() - 1);
}

void TCollection::MoveItem(int from, int to) {
  to = std::clamp(to, 0, Count() - 1);
  auto item = std::move(items_[static_cast<size_t>(from)]);
  items_.erase(items_.begin() + from);
  items_.insert(items_.begin() + to, std::move(item));
  Changed();
}

TCollectionItem* TCollection::FindItemID(int id) const {
  for (const auto& i : items_)
    if (i->id_ == id) return i.get();
  return nullptr;
}

void TCollection::BeginUpdate() { ++updateCount_; }

void TCollection::EndUpdate() {
  if (updateCount_ > 0 && --updateCount_ == 0) Changed();
}

void TCollection::Changed() {
  if (updateCount_ == 0) Update(nullptr);
}

void TCollection::Assign(const TPersistent& source) {
  auto* other = dynamic_cast<const TCollection*>(&source);
  if (!other) return TPersistent::Assign(source);
  TUpdateGuard update(*this);
  Clear();
  for (int i = 0; i < other->Count(); ++i) AddItem()->Assign(*other->Items(i));
}

// --- Format ----------------------------------------------------------------------------------

std::string Format(std::string_view format, const std::vector<std::string>& args) {
  std::string out;
  size_t next = 0;
  for (size_t i = 0; i < format.size(); ++i) {
    if (format[i] == '%' && i + 1 < format.size()) {
      char k = format[i + 1];
      if (k == '%') {
        out += '%';
        ++i;
        continue;
      }
      if (k == 's' || k == 'd' || k == 'u') {
        if (next < args.size()) out += args[next++];
        ++i;
        continue;
      }
    }
    out += format[i];
  }
  return out;
}

std::string Format(std::string_view format, std::initializer_list<std::string> args) {
  return Format(format, std::vector<std::string>(args));
}

}  // namespace movra::ui
