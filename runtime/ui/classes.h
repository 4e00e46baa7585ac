#pragma once
// Object model of the user-interface layer: classes with names and ancestry, comparable event
// delegates, enumerable text properties, components with owners, string lists and collections.
#include <array>
#include <cstdint>
#include <cstring>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "runtime/exception.h"
#include "runtime/string_list.h"

namespace movra::ui {

// Name and parent of a class; the chain stands in for run-time class references (ignore rules
// of the translation layer walk it).
struct TClassInfo {
  const char* Name;
  const TClassInfo* Parent;
  bool InheritsFrom(const TClassInfo& other) const {
    for (const TClassInfo* c = this; c; c = c->Parent)
      if (c == &other) return true;
    return false;
  }
};

class TObject {
 public:
  TObject() = default;
  TObject(const TObject&) = delete;
  TObject& operator=(const TObject&) = delete;
  virtual ~TObject() = default;

  static const TClassInfo& Class() {
    static const TClassInfo info{"TObject", nullptr};
    return info;
  }
  virtual const TClassInfo& ClassType() const { return Class(); }
  std::string ClassName() const { return ClassType().Name; }
  bool InheritsFrom(const TClassInfo& c) const { return ClassType().InheritsFrom(c); }

  // Expires when the object is destroyed: records that outlive their targets check it.
  std::weak_ptr<void> Lifetime() const {
    if (!alive_) alive_ = std::make_shared<char>(0);
    return alive_;
  }

 private:
  mutable std::shared_ptr<char> alive_;
};

// An event: an object and one of its member functions (or a plain function). Two delegates are
// equal when they name the same object and function, so a client can tell whether its handler
// is the one an action installed.
template <class... Args>
class TDelegate {
  using Storage = std::array<unsigned char, 2 * sizeof(void*)>;

 public:
  TDelegate() = default;
  TDelegate(std::nullptr_t) {}
  template <class C, class B>
    requires std::is_base_of_v<B, C>
  TDelegate(C* object, void (B::*method)(Args...)) : object_(static_cast<B*>(object)), call_(&CallMember<B>) {
    static_assert(sizeof(method) <= sizeof(Storage));
    std::memcpy(method_.data(), &method, sizeof(method));
  }
  explicit TDelegate(void (*function)(Args...)) : call_(&CallFree) {
    std::memcpy(method_.data(), &function, sizeof(function));
  }

  explicit operator bool() const { return call_ != nullptr; }
  void operator()(Args... args) const {
    if (call_) call_(object_, method_, std::forward<Args>(args)...);
  }
  bool operator==(const TDelegate&) const = default;
  const void* Object() const { return object_; }

 private:
  template <class B>
  static void CallMember(void* object, const Storage& stored, Args... args) {
    void (B::*method)(Args...);
    std::memcpy(&method, stored.data(), sizeof(method));
    (static_cast<B*>(object)->*method)(std::forward<Args>(args)...);
  }
  static void CallFree(void*, const Storage& stored, Args... args) {
    void (*function)(Args...);
    std::memcpy(&function, stored.data(), sizeof(function));
    function(std::forward<Args>(args)...);
  }

  void* object_ = nullptr;
  void (*call_)(void*, const Storage&, Args...) = nullptr;
  Storage method_{};
};

using TNotifyEvent = TDelegate<TObject*>;

class TPersistent;

// One text property as the translation layer sees it.
struct TTextProperty {
  std::string Name;
  std::function<std::string()> Get;
  std::function<void(const std::string&)> Set;  // empty: read-only
  bool Writable() const { return static_cast<bool>(Set); }
};

struct TObjectProperty {
  std::string Name;
  TPersistent* Value;
};

// The published properties of an object that carry text or sub-objects.
struct TPropertyList {
  std::vector<TTextProperty> Texts;
  std::vector<TObjectProperty> Objects;

  void AddText(std::string name, std::function<std::string()> get,
               std::function<void(const std::string&)> set = {}) {
    Texts.push_back({std::move(name), std::move(get), std::move(set)});
  }
  void AddObject(std::string name, TPersistent* value) { Objects.push_back({std::move(name), value}); }
  const TTextProperty* FindText(std::string_view name) const;
};

class EConvertError : public Exception {
 public:
  using Exception::Exception;
};
class EComponentError : public Exception {
 public:
  using Exception::Exception;
};
class EListError : public Exception {
 public:
  using Exception::Exception;
};
// An operation the object cannot do in its present state (a control placed where it cannot
// live, a property that cannot change any more).
class EInvalidOperation : public Exception {
 public:
  using Exception::Exception;
};

class TPersistent : public TObject {
 public:
  static const TClassInfo& Class() {
    static const TClassInfo info{"TPersistent", &TObject::Class()};
    return info;
  }
  const TClassInfo& ClassType() const override { return Class(); }

  // Copies `source` into this object; unsupported pairs raise EConvertError.
  virtual void Assign(const TPersistent& source);
  // Reports the published text and object properties.
  virtual void GetProperties(TPropertyList& properties);
  // Properties gathered into a fresh list.
  TPropertyList Properties();

 protected:
  virtual bool AssignTo(TPersistent& dest) const;
};

enum class TOperation { opInsert, opRemove };

enum TComponentStateFlag : unsigned {
  csLoading = 1,
  csDestroying = 2,
  csUpdating = 4,
};

class TComponent;

struct TComponentDeleter {
  void operator()(TComponent* component) const;
};
// A component held without an owner.
template <class T>
using TOwned = std::unique_ptr<T, TComponentDeleter>;
template <class T, class... A>
TOwned<T> MakeOwned(A&&... args) {
  return TOwned<T>(new T(std::forward<A>(args)...));
}

// A component belongs to its owner, which destroys it (last created first) when it goes.
// Create one with `new T(owner, ...)`; the owner takes it. Without an owner hold it in TOwned.
class TComponent : public TPersistent {
 public:
  explicit TComponent(TComponent* owner);
  ~TComponent() override;

  static const TClassInfo& Class() {
    static const TClassInfo info{"TComponent", &TPersistent::Class()};
    return info;
  }
  const TClassInfo& ClassType() const override { return Class(); }

  TComponent* Owner() const { return owner_; }
  const std::string& Name() const { return name_; }
  // Raises EComponentError when another component of the owner has the name (any case).
  void SetName(const std::string& name);
  intptr_t Tag = 0;

  int ComponentCount() const { return static_cast<int>(components_.size()); }
  TComponent* Components(int index) const { return components_.at(static_cast<size_t>(index)).get(); }
  int ComponentIndex() const;
  TComponent* FindComponent(std::string_view name) const;
  // Takes `component` from its current owner.
  void InsertComponent(TComponent* component);
  // Gives `component` up; the caller then owns it.
  void RemoveComponent(TComponent* component);

  // Links this component and `component` so that each hears when the other is freed. Every
  // request counts: one object held by two properties is asked for twice, and stays linked
  // until both have let it go (or one of the two is freed).
  void FreeNotification(TComponent* component);
  // Gives up one request; the link goes when the last one is given up.
  void RemoveFreeNotification(TComponent* component);

  unsigned ComponentState() const { return state_; }
  bool IsLoading() const { return state_ & csLoading; }
  bool IsDestroying() const { return state_ & csDestroying; }
  // Loading bracket of a window description: components created inside it are loading too,
  // and Loaded runs for each of them, then for this one, when it closes.
  void BeginLoading();
  void EndLoading();

  // Runs while the whole object still exists; the deleter and owners call it before deleting.
  virtual void BeforeDestruction();
  void DestroyComponents();

  void GetProperties(TPropertyList& properties) override;

 protected:
  virtual void Loaded();
  virtual void Notification(TComponent* component, TOperation operation);
  void Destroying() { state_ |= csDestroying; }
  void SetUpdating(bool on) { state_ = on ? (state_ | csUpdating) : (state_ & ~csUpdating); }

 private:
  void AddToOwner(TComponent* owner);
  struct TFreeLink {
    TComponent* component;
    int requests;
  };
  void CountFreeLink(TComponent* component, int change);
  void RemoveNotification(TComponent* component);
  void ValidateRename(TComponent* component, const std::string& newName) const;

  TComponent* owner_ = nullptr;
  std::string name_;
  unsigned state_ = 0;
  bool beforeDestructionDone_ = false;
  std::vector<TOwned<TComponent>> components_;
  std::vector<TFreeLink> freeNotifies_;
};

// Frees a component (owned or not) the way its owner would.
inline void Free(TComponent* component) { TComponentDeleter()(component); }

// Abstract list of UTF-8 lines, each with an attached pointer that the list does not own.
class TStrings : public TPersistent {
 public:
  static const TClassInfo& Class() {
    static const TClassInfo info{"TStrings", &TPersistent::Class()};
    return info;
  }
  const TClassInfo& ClassType() const override { return Class(); }

  virtual int Count() const = 0;
  virtual std::string Get(int index) const = 0;
  virtual void Put(int index, const std::string& text);
  virtual void* Objects(int) const { return nullptr; }
  virtual void PutObject(int, void*) {}
  virtual void Insert(int index, const std::string& text) = 0;
  virtual void InsertObject(int index, const std::string& text, void* object);
  virtual void Delete(int index) = 0;
  virtual void Clear() = 0;

  std::string operator[](int index) const { return Get(index); }
  int Add(const std::string& text) { return AddObject(text, nullptr); }
  virtual int AddObject(const std::string& text, void* object);
  void AddStrings(const TStrings& other);
  void AddStrings(const movra::TStringList& other);
  int IndexOf(std::string_view text) const;
  int IndexOfObject(const void* object) const;

  // Lines joined, each followed by CR LF; setting splits at CR LF, LF or CR.
  std::string Text() const;
  virtual void SetText(std::string_view text);
  std::string CommaText() const;

  void BeginUpdate();
  void EndUpdate();
  int UpdateCount() const { return updateCount_; }

  movra::TStringList ToPlain() const;
  void Assign(const TPersistent& source) override;
  void Assign(const movra::TStringList& source);
  bool Equals(const TStrings& other) const;

 protected:
  virtual void SetUpdateState(bool) {}

 private:
  int updateCount_ = 0;
};

// The layer's concrete string list, with objects, change events and sorting. The plain
// movra::TStringList of the runtime stays the exchange type with the logger and engine.
class TStringList : public TStrings {
 public:
  static const TClassInfo& Class() {
    static const TClassInfo info{"TStringList", &TStrings::Class()};
    return info;
  }
  const TClassInfo& ClassType() const override { return Class(); }

  TStringList() = default;
  TStringList(std::initializer_list<std::string> lines);

  int Count() const override { return static_cast<int>(items_.size()); }
  std::string Get(int index) const override;
  void Put(int index, const std::string& text) override;
  void* Objects(int index) const override;
  void PutObject(int index, void* object) override;
  void Insert(int index, const std::string& text) override { InsertObject(index, text, nullptr); }
  void InsertObject(int index, const std::string& text, void* object) override;
  int AddObject(const std::string& text, void* object) override;
  void Delete(int index) override;
  void Clear() override;
  void Exchange(int a, int b);
  void Sort(const std::function<bool(const std::string&, const std::string&)>& less = {});
  bool Sorted() const { return sorted_; }
  void SetSorted(bool sorted);
  bool CaseSensitive = false;

  TNotifyEvent OnChange;
  TNotifyEvent OnChanging;

 protected:
  void SetUpdateState(bool updating) override;
  void Changing();
  void Changed();

 private:
  struct Item {
    std::string text;
    void* object = nullptr;
  };
  void Check(int index, bool allowEnd = false) const;
  int FindSortedPlace(const std::string& text) const;
  std::vector<Item> items_;
  bool sorted_ = false;
};

class TCollection;

class TCollectionItem : public TPersistent {
 public:
  static const TClassInfo& Class() {
    static const TClassInfo info{"TCollectionItem", &TPersistent::Class()};
    return info;
  }
  const TClassInfo& ClassType() const override { return Class(); }

  TCollection* Collection() const { return collection_; }
  int Index() const;
  void SetIndex(int index);
  int ID() const { return id_; }
  virtual std::string DisplayName() const { return ClassName(); }

 protected:
  // Tells the collection that this item (or, with `all`, every item) needs showing again.
  void Changed(bool all);

 private:
  friend class TCollection;
  TCollection* collection_ = nullptr;
  int id_ = 0;
};

enum class TCollectionNotification { cnAdded, cnExtracting, cnDeleting };

// An owned, ordered list of items of one class.
class TCollection : public TPersistent {
 public:
  static const TClassInfo& Class() {
    static const TClassInfo info{"TCollection", &TPersistent::Class()};
    return info;
  }
  const TClassInfo& ClassType() const override { return Class(); }

  explicit TCollection(TPersistent* owner = nullptr) : owner_(owner) {}
  ~TCollection() override;

  TPersistent* Owner() const { return owner_; }
  int Count() const { return static_cast<int>(items_.size()); }
  TCollectionItem* Items(int index) const;
  TCollectionItem* AddItem() { return InsertItem(Count()); }
  TCollectionItem* InsertItem(int index);
  void Delete(int index);
  void Clear();
  TCollectionItem* FindItemID(int id) const;
  void BeginUpdate();
  void EndUpdate();
  int UpdateCount() const { return updateCount_; }
  void Assign(const TPersistent& source) override;

 protected:
  virtual std::unique_ptr<TCollectionItem> NewItem() = 0;
  // A changed item, or nullptr when everything changed; only outside update brackets.
  virtual void Update(TCollectionItem*) {}
  virtual void Notify(TCollectionItem*, TCollectionNotification) {}
  void Changed();

 private:
  friend class TCollectionItem;
  void MoveItem(int from, int to);
  TPersistent* owner_;
  std::vector<std::unique_ptr<TCollectionItem>> items_;
  int nextId_ = 0;
  int updateCount_ = 0;
};

// A collection whose items are all of class T, with typed access.
template <class T>
class TTypedCollection : public TCollection {
 public:
  using TCollection::TCollection;
  T* Add() { return static_cast<T*>(AddItem()); }
  T* Insert(int index) { return static_cast<T*>(InsertItem(index)); }
  T* operator[](int index) const { return static_cast<T*>(Items(index)); }

 protected:
  std::unique_ptr<TCollectionItem> NewItem() override { return std::make_unique<T>(); }
};

// Begins an update of a string list, a collection or a list view's rows and ends it however
// the scope is left: a throw inside would otherwise leave the target updating for good. A
// null target is none.
template <class T>
class TUpdateGuard {
 public:
  explicit TUpdateGuard(T& target) : TUpdateGuard(&target) {}
  explicit TUpdateGuard(T* target) : target_(target) {
    if (target_) target_->BeginUpdate();
  }
  TUpdateGuard(const TUpdateGuard&) = delete;
  TUpdateGuard& operator=(const TUpdateGuard&) = delete;
  ~TUpdateGuard() noexcept(false) {
    if (!target_) return;
    if (std::uncaught_exceptions() == unwinding_) {
      target_->EndUpdate();
      return;
    }
    // The exception already on its way is the one the caller hears of.
    try {
      target_->EndUpdate();
    } catch (...) {
    }
  }

 private:
  T* target_;
  const int unwinding_ = std::uncaught_exceptions();
};

// %s placeholders replaced by `args` in order; "%%" is a percent sign.
std::string Format(std::string_view format, std::initializer_list<std::string> args);
std::string Format(std::string_view format, const std::vector<std::string>& args);

}  // namespace movra::ui
