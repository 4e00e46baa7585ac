#include "runtime/ui/classes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace movra::ui;

namespace {

// Records the life of components into a shared journal.
class TProbe : public TComponent {
 public:
  static const TClassInfo& Class() {
    static const TClassInfo info{"TProbe", &TComponent::Class()};
    return info;
  }
  const TClassInfo& ClassType() const override { return Class(); }

  TProbe(TComponent* owner, std::string label, std::vector<std::string>* journal)
      : TComponent(owner), label_(std::move(label)), journal_(journal) {}
  ~TProbe() override { journal_->push_back("destroy " + label_); }

  TComponent* watched = nullptr;
  std::string caption;

  void GetProperties(TPropertyList& properties) override {
    TComponent::GetProperties(properties);
    properties.AddText("Caption", [this] { return caption; }, [this](const std::string& s) { caption = s; });
    properties.AddText("ReadOnlyText", [] { return std::string("fixed"); });
  }

 protected:
  void Notification(TComponent* component, TOperation operation) override {
    TComponent::Notification(component, operation);
    if (operation == TOperation::opRemove && component == watched) {
      journal_->push_back(label_ + " saw removal");
      watched = nullptr;
    }
  }
  void Loaded() override {
    TComponent::Loaded();
    journal_->push_back("loaded " + label_);
  }

 private:
  std::string label_;
  std::vector<std::string>* journal_;
};

}  // namespace

TEST(Component, OwnerDestroysOwnedLastCreatedFirst) {
  std::vector<std::string> journal;
  {
    auto owner = MakeOwned<TProbe>(nullptr, "owner", &journal);
    new TProbe(owner.get(), "a", &journal);
    new TProbe(owner.get(), "b", &journal);
    new TProbe(owner.get(), "c", &journal);
    EXPECT_EQ(owner->ComponentCount(), 3);
  }
  EXPECT_EQ(journal, (std::vector<std::string>{"destroy c", "destroy b", "destroy a", "destroy owner"}));
}

TEST(Component, DeletingAnOwnedComponentLeavesItsOwner) {
  std::vector<std::string> journal;
  auto owner = MakeOwned<TProbe>(nullptr, "owner", &journal);
  auto* a = new TProbe(owner.get(), "a", &journal);
  auto* b = new TProbe(owner.get(), "b", &journal);
  Free(a);
  ASSERT_EQ(owner->ComponentCount(), 1);
  EXPECT_EQ(owner->Components(0), b);
  EXPECT_EQ(b->ComponentIndex(), 0);
}

TEST(Component, FreeNotificationReachesWatcherInAnotherOwner) {
  std::vector<std::string> journal;
  auto ownerA = MakeOwned<TProbe>(nullptr, "ownerA", &journal);
  auto ownerB = MakeOwned<TProbe>(nullptr, "ownerB", &journal);
  auto* target = new TProbe(ownerA.get(), "target", &journal);
  auto* watcher = new TProbe(ownerB.get(), "watcher", &journal);
  watcher->watched = target;
  // Asked for by two properties of the watcher; one letting go leaves the other linked.
  target->FreeNotification(watcher);
  watcher->FreeNotification(target);
  watcher->RemoveFreeNotification(target);
  Free(target);
  EXPECT_EQ(watcher->watched, nullptr);
  EXPECT_NE(std::find(journal.begin(), journal.end(), "watcher saw removal"), journal.end());
  // The link is gone both ways: destroying the watcher later must not touch the target.
  Free(watcher);
}

TEST(Component, SiblingsHearOfRemovalThroughTheOwner) {
  std::vector<std::string> journal;
  auto owner = MakeOwned<TProbe>(nullptr, "owner", &journal);
  auto* images = new TProbe(owner.get(), "images", &journal);
  auto* user = new TProbe(owner.get(), "user", &journal);
  user->watched = images;
  Free(images);
  EXPECT_EQ(user->watched, nullptr);
}

TEST(Component, NamesAreUniquePerOwnerIgnoringCase) {
  std::vector<std::string> journal;
  auto owner = MakeOwned<TProbe>(nullptr, "owner", &journal);
  auto* a = new TProbe(owner.get(), "a", &journal);
  auto* b = new TProbe(owner.get(), "b", &journal);
  a->SetName("btnOK");
  EXPECT_THROW(b->SetName("BTNok"), EComponentError);
  EXPECT_EQ(b->Name(), "");
  b->SetName("btnCancel");
  EXPECT_EQ(owner->FindComponent("BTNOK"), a);
  EXPECT_EQ(owner->FindComponent("btnCancel"), b);
  EXPECT_EQ(owner->FindComponent("missing"), nullptr);
  // The same name under another owner is fine.
  auto other = MakeOwned<TProbe>(nullptr, "other", &journal);
  auto* c = new TProbe(other.get(), "c", &journal);
  EXPECT_NO_THROW(c->SetName("btnOK"));
  // Moving a component into an owner that already has its name is refused.
  EXPECT_THROW(owner->InsertComponent(c), EComponentError);
}

TEST(Component, LoadingBracketCallsLoadedForOwnedThenOwner) {
  std::vector<std::string> journal;
  auto owner = MakeOwned<TProbe>(nullptr, "form", &journal);
  owner->BeginLoading();
  auto* a = new TProbe(owner.get(), "a", &journal);
  EXPECT_TRUE(a->IsLoading());
  new TProbe(owner.get(), "b", &journal);
  EXPECT_TRUE(journal.empty());
  owner->EndLoading();
  EXPECT_EQ(journal, (std::vector<std::string>{"loaded a", "loaded b", "loaded form"}));
  EXPECT_FALSE(a->IsLoading());
}

TEST(Component, ClassAncestry) {
  std::vector<std::string> journal;
  TProbe probe(nullptr, "p", &journal);
  EXPECT_EQ(probe.ClassName(), "TProbe");
  EXPECT_TRUE(probe.InheritsFrom(TComponent::Class()));
  EXPECT_TRUE(probe.InheritsFrom(TPersistent::Class()));
  EXPECT_FALSE(probe.InheritsFrom(TCollection::Class()));
  EXPECT_TRUE(TProbe::Class().InheritsFrom(TProbe::Class()));
}

TEST(Component, TextPropertiesEnumerated) {
  std::vector<std::string> journal;
  TProbe probe(nullptr, "p", &journal);
  probe.SetName("lblTitle");
  TPropertyList props = probe.Properties();
  const TTextProperty* name = props.FindText("Name");
  const TTextProperty* caption = props.FindText("caption");
  const TTextProperty* fixed = props.FindText("ReadOnlyText");
  ASSERT_TRUE(name && caption && fixed);
  EXPECT_EQ(name->Get(), "lblTitle");
  EXPECT_FALSE(fixed->Writable());
  caption->Set("Hallo");
  EXPECT_EQ(probe.caption, "Hallo");
}

TEST(Component, LifetimeExpiresWithTheObject) {
  std::vector<std::string> journal;
  std::weak_ptr<void> life;
  {
    TProbe probe(nullptr, "p", &journal);
    life = probe.Lifetime();
    EXPECT_FALSE(life.expired());
  }
  EXPECT_TRUE(life.expired());
}

namespace {

struct Receiver : TObject {
  int hits = 0;
  TObject* sender = nullptr;
  void OnA(TObject* s) { ++hits, sender = s; }
  void OnB(TObject*) { hits += 10; }
};

int freeCalls = 0;
void FreeHandler(TObject*) { ++freeCalls; }

}  // namespace

TEST(Delegate, ComparesObjectAndMethod) {
  Receiver r1, r2;
  TNotifyEvent a1(&r1, &Receiver::OnA), a1again(&r1, &Receiver::OnA), b1(&r1, &Receiver::OnB),
      a2(&r2, &Receiver::OnA);
  EXPECT_EQ(a1, a1again);
  EXPECT_NE(a1, b1);
  EXPECT_NE(a1, a2);
  EXPECT_NE(a1, TNotifyEvent());
  EXPECT_FALSE(TNotifyEvent());
  a1(&r2);
  EXPECT_EQ(r1.hits, 1);
  EXPECT_EQ(r1.sender, &r2);
  TNotifyEvent f(&FreeHandler);
  f(nullptr);
  EXPECT_EQ(freeCalls, 1);
  EXPECT_EQ(f, TNotifyEvent(&FreeHandler));
}

TEST(StringList, ObjectsFollowTheirLinesThroughTextAndAssign) {
  int x = 1, y = 2;
  TStringList list;
  list.AddObject("first", &x);
  list.AddObject("second", &y);
  list.Insert(1, "middle");
  EXPECT_EQ(list.Text(), "first\r\nmiddle\r\nsecond\r\n");
  EXPECT_EQ(list.Objects(2), &y);
  EXPECT_EQ(list.IndexOfObject(&x), 0);
  list.Put(2, "zweite");
  EXPECT_EQ(list.Objects(2), &y);  // replacing a line keeps its object
  TStringList copy;
  copy.Assign(list);
  EXPECT_TRUE(copy.Equals(list));
  EXPECT_EQ(copy.Objects(0), &x);
  EXPECT_THROW(list.Get(3), EListError);
}

TEST(StringList, TextSplittingMatchesThePlainList) {
  TStringList list;
  list.SetText("a\r\nb\nc\rd\r\n");
  EXPECT_EQ(list.Count(), 4);
  movra::TStringList plain = list.ToPlain();
  EXPECT_EQ(plain.Text(), list.Text());
  list.SetText("");
  EXPECT_EQ(list.Count(), 0);
  list.AddStrings(plain);
  EXPECT_EQ(list.Count(), 4);
}

TEST(StringList, ChangeEventsHeldBackDuringUpdate) {
  struct Counter : TObject {
    int changes = 0;
    void Changed(TObject*) { ++changes; }
  } counter;
  TStringList list;
  list.OnChange = TNotifyEvent(&counter, &Counter::Changed);
  list.Add("x");
  EXPECT_EQ(counter.changes, 1);
  list.BeginUpdate();
  list.Add("y");
  list.Add("z");
  list.Delete(0);
  EXPECT_EQ(counter.changes, 1);
  list.EndUpdate();
  EXPECT_EQ(counter.changes, 2);
}

TEST(StringList, SortedListKeepsOrderAndRefusesInsert) {
  TStringList list;
  list.SetSorted(true);
  list.Add("pear");
  list.Add("Apple");
  list.Add("banana");
  EXPECT_EQ(list.CommaText(), "Apple,banana,pear");
  EXPECT_THROW(list.Insert(0, "x"), EListError);
}

namespace {

class TColumn : public TCollectionItem {
 public:
  std::string caption;
  void Assign(const TPersistent& source) override {
    if (auto* c = dynamic_cast<const TColumn*>(&source)) {
      caption = c->caption;
      return;
    }
    TCollectionItem::Assign(source);
  }
};

class TColumns : public TTypedCollection<TColumn> {
 public:
  int updates = 0;
  TCollectionItem* lastUpdated = reinterpret_cast<TCollectionItem*>(1);

 protected:
  void Update(TCollectionItem* item) override {
    ++updates;
    lastUpdated = item;
  }
};

}  // namespace

TEST(Collection, ItemsKeepIdsAndMoveByIndex) {
  TColumns columns;
  TColumn* a = columns.Add();
  TColumn* b = columns.Add();
  TColumn* c = columns.Insert(0);
  EXPECT_EQ(c->Index(), 0);
  EXPECT_EQ(a->Index(), 1);
  EXPECT_EQ(columns.FindItemID(b->ID()), b);
  b->SetIndex(0);
  EXPECT_EQ(columns[0], b);
  EXPECT_EQ(columns[1], c);
  int removedId = c->ID();
  columns.Delete(1);
  EXPECT_EQ(columns.Count(), 2);
  EXPECT_EQ(columns.FindItemID(removedId), nullptr);
}

TEST(Collection, UpdateBracketReportsOnce) {
  TColumns columns;
  columns.BeginUpdate();
  columns.Add()->caption = "x";
  columns.Add()->caption = "y";
  EXPECT_EQ(columns.updates, 0);
  columns.EndUpdate();
  EXPECT_EQ(columns.updates, 1);
  EXPECT_EQ(columns.lastUpdated, nullptr);
  TColumns copy;
  copy.Assign(columns);
  ASSERT_EQ(copy.Count(), 2);
  EXPECT_EQ(copy[1]->caption, "y");
}

TEST(Format, ReplacesPlaceholdersInOrder) {
  EXPECT_EQ(Format("In queue: %d %s", {"3", "profiles"}), "In queue: 3 profiles");
  EXPECT_EQ(Format("100%% done %s", {}), "100% done ");
}
