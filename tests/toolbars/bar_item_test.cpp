// The item tree: child list and its errors, listeners and change kinds, options, properties,
// image lists and deferred clicks.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "runtime/ui/forms.h"
#include "tests/runtime/ui/ui_test_support.h"
#include "toolbars/bar_item.h"
#include "toolbars/bar_viewer.h"

namespace movra::bars {
namespace {

using ui::TOwned;

// An item with a chosen style (the style is fixed by the class otherwise).
class StyledItem : public TBarCustomItem {
 public:
  StyledItem(ui::TComponent* owner, TBarItemStyle style) : TBarCustomItem(owner) { SetItemStyle(style); }
};

struct Notice {
  TBarCustomItem* ancestor;
  bool relayed;
  TBarItemChangeKind kind;
  int index;
  TBarCustomItem* item;
  bool operator==(const Notice&) const = default;
};

// Records every notice of the items it listens to.
struct Recorder : ui::TObject {
  std::vector<Notice> notices;
  void Listen(TBarCustomItem* a, bool relayed, TBarItemChangeKind kind, int index, TBarCustomItem* item) {
    notices.push_back({a, relayed, kind, index, item});
  }
  TBarItemChangeEvent Event() { return TBarItemChangeEvent(this, &Recorder::Listen); }
  int Count(TBarItemChangeKind kind) const {
    int n = 0;
    for (const Notice& notice : notices) n += notice.kind == kind;
    return n;
  }
  std::vector<TBarItemChangeKind> Kinds() const {
    std::vector<TBarItemChangeKind> kinds;
    for (const Notice& notice : notices) kinds.push_back(notice.kind);
    return kinds;
  }
};

template <class F>
std::string ErrorOf(F call) {
  try {
    call();
  } catch (const EBarItemError& e) {
    return e.what();
  }
  return "no error";
}

// A tree of items owned by one component, as a form would own them.
struct Tree : ::testing::Test {
  TOwned<ui::TComponent> owner = ui::MakeOwned<ui::TComponent>(nullptr);
  TBarItem* NewItem(const std::string& caption = {}) {
    auto* item = new TBarItem(owner.get());
    item->SetCaption(caption);
    return item;
  }
};

TEST_F(Tree, ChildListChecksIndexesAndRejectsItemsThatCannotBeInserted) {
  TBarRootItem root(nullptr);
  TBarItem* a = NewItem("a");
  TBarItem* b = NewItem("b");
  EXPECT_EQ(ErrorOf([&] { root.Insert(1, a); }), "Toolbar item index out of range");
  EXPECT_EQ(ErrorOf([&] { root.Insert(-1, a); }), "Toolbar item index out of range");
  root.Insert(0, a);
  root.Insert(1, b);  // at Count
  EXPECT_EQ(root.Count(), 2);
  EXPECT_EQ(a->Parent(), &root);
  EXPECT_EQ(ErrorOf([&] { root.Add(a); }), "Toolbar item already inserted");
  TBarItem* c = NewItem("c");
  EXPECT_EQ(ErrorOf([&] { root.Insert(3, c); }), "Toolbar item index out of range");
  EXPECT_EQ(ErrorOf([&] { root.ChildAt(2); }), "Toolbar item index out of range");
  EXPECT_EQ(ErrorOf([&] { root.ChildAt(-1); }), "Toolbar item index out of range");
  EXPECT_EQ(ErrorOf([&] { root.Delete(2); }), "Toolbar item index out of range");
  EXPECT_EQ(ErrorOf([&] { root.Move(0, 2); }), "Toolbar item index out of range");
  // The item itself and its ancestors would make a cycle, even where they have no parent.
  a->Add(c);
  EXPECT_EQ(ErrorOf([&] { c->Add(c); }), "Toolbar item already inserted");
  EXPECT_EQ(ErrorOf([&] { c->Add(&root); }), "Toolbar item already inserted");
  EXPECT_EQ(ErrorOf([&] { root.Insert(0, nullptr); }), "Toolbar item already inserted");
  EXPECT_EQ(c->Count(), 0);
  EXPECT_EQ(root.Parent(), nullptr);

  root.Move(0, 1);
  EXPECT_EQ(root.ChildAt(0), b);
  EXPECT_EQ(root.ChildAt(1), a);
  root.SetChildOrder(a, 0);
  EXPECT_EQ(root.IndexOf(a), 0);
  root.Remove(b);
  EXPECT_EQ(root.Count(), 1);
  EXPECT_EQ(b->Parent(), nullptr);
  EXPECT_EQ(root.IndexOf(b), -1);
  root.Remove(b);  // absent: nothing
  EXPECT_EQ(root.Count(), 1);
}

TEST_F(Tree, FreeingAnItemFreesItsChildrenAndLeavesItsParent) {
  TBarRootItem root(nullptr);
  Recorder rec;
  root.RegisterNotification(rec.Event());
  TBarItem* a = NewItem("a");
  TBarItem* a1 = NewItem("a1");
  TBarItem* a2 = NewItem("a2");
  root.Add(a);
  a->Add(a1);
  a->Add(a2);
  auto a1Alive = a1->Lifetime(), a2Alive = a2->Lifetime();
  int live = BarLiveObjectCount();
  ui::Free(a);
  EXPECT_TRUE(a1Alive.expired());
  EXPECT_TRUE(a2Alive.expired());
  EXPECT_EQ(root.Count(), 0);
  EXPECT_EQ(owner->ComponentCount(), 0);
  EXPECT_EQ(BarLiveObjectCount(), live - 3);
  ASSERT_FALSE(rec.notices.empty());
  EXPECT_EQ(rec.notices.back(), (Notice{&root, false, ickDeleting, 0, a}));
  root.UnregisterNotification(rec.Event());
}

TEST_F(Tree, ChangesReachListenersWithTheirKinds) {
  TBarRootItem root(nullptr);
  Recorder rec;
  root.RegisterNotification(rec.Event());
  TBarItem* a = NewItem("a");
  TBarItem* b = NewItem("b");
  root.Add(a);
  EXPECT_EQ(rec.notices, (std::vector<Notice>{{&root, false, ickBeginUpdate, -1, nullptr},
                                              {&root, false, ickInserted, 0, a},
                                              {&root, false, ickEndUpdate, -1, nullptr}}));
  root.Add(b);
  rec.notices.clear();
  root.Move(1, 0);
  EXPECT_EQ(rec.Kinds(), (std::vector<TBarItemChangeKind>{ickBeginUpdate, ickDeleting, ickBeginUpdate, ickInserted,
                                                          ickEndUpdate, ickEndUpdate}));
  EXPECT_EQ(rec.notices[1].index, 1);
  EXPECT_EQ(rec.notices[3].index, 0);

  struct Step {
    std::function<void()> change;
    std::vector<TBarItemChangeKind> kinds;
  };
  std::vector<Step> steps = {
      {[&] { a->SetCaption("A"); }, {ickInvalidateAndResize}},
      {[&] { a->SetCaption("A"); }, {}},
      {[&] { a->SetVisible(false); }, {ickInvalidateAndResize}},
      {[&] { a->SetDisplayMode(bdmTextOnly); }, {ickInvalidateAndResize}},
      {[&] { a->SetEnabled(false); }, {ickInvalidate}},
      {[&] { a->SetChecked(true); }, {ickInvalidate}},
      {[&] { a->SetImageIndex(2); }, {ickInvalidateAndResize}},
      {[&] { a->SetImageIndex(3); }, {ickInvalidate}},
      {[&] { a->SetImageIndex(-1); }, {ickInvalidateAndResize}},
      {[&] { a->SetName("ItemA"); }, {ickNameChanged}},
      {[&] { a->SetHint("tip"); }, {}},
  };
  for (size_t i = 0; i < steps.size(); ++i) {
    rec.notices.clear();
    steps[i].change();
    EXPECT_EQ(rec.Kinds(), steps[i].kinds) << "step " << i;
    for (const Notice& notice : rec.notices) EXPECT_EQ(notice.item, a) << "step " << i;
  }

  // Link changes go to the item's own listeners.
  Recorder own;
  a->RegisterNotification(own.Event());
  a->SetLinkSubitems(b);
  a->SetLinkSubitems(a);  // itself: no link
  EXPECT_EQ(a->LinkSubitems(), nullptr);
  EXPECT_EQ(own.Kinds(), (std::vector<TBarItemChangeKind>{ickSubitemsChanged, ickSubitemsChanged}));
  a->UnregisterNotification(own.Event());
  root.UnregisterNotification(rec.Event());
}

TEST_F(Tree, EmbeddedGroupsAndLinkersRelayTheirChildListChanges) {
  TBarRootItem root(nullptr);
  auto* group = new StyledItem(owner.get(), isEmbeddedGroup);
  auto* linker = new StyledItem(owner.get(), isEmbeddedGroup);
  TBarItem* plain = NewItem("plain");
  TBarRootItem other(nullptr);
  root.Add(group);
  other.Add(linker);
  other.Add(plain);
  linker->SetLinkSubitems(group);
  Recorder atRoot, atOther, atGroup;
  root.RegisterNotification(atRoot.Event());
  other.RegisterNotification(atOther.Event());
  group->RegisterNotification(atGroup.Event());
  TBarItem* child = NewItem("child");
  group->Add(child);
  EXPECT_EQ(atGroup.notices[1], (Notice{group, false, ickInserted, 0, child}));
  ASSERT_EQ(atRoot.notices.size(), 3u);
  EXPECT_EQ(atRoot.notices[1], (Notice{group, true, ickInserted, 0, child}));
  // Through the linker, which shows the group's children inline in its own parent.
  ASSERT_EQ(atOther.notices.size(), 3u);
  EXPECT_EQ(atOther.notices[1], (Notice{linker, true, ickInserted, 0, child}));
  // A plain item's children stay with its own listeners.
  atRoot.notices.clear();
  atOther.notices.clear();
  plain->Add(NewItem("deep"));
  EXPECT_TRUE(atOther.notices.empty());
  for (auto* item : {&root, &other}) item->UnregisterNotification((item == &root ? atRoot : atOther).Event());
  group->UnregisterNotification(atGroup.Event());
  linker->SetLinkSubitems(nullptr);
  EXPECT_TRUE(group->LinkParents().empty());
}

// A listener that unregisters itself when told, optionally freeing its item's tree position.
struct Quitter : ui::TObject {
  TBarCustomItem* item = nullptr;
  int calls = 0;
  void Listen(TBarCustomItem*, bool, TBarItemChangeKind, int, TBarCustomItem*) {
    ++calls;
    item->UnregisterNotification(Event());
  }
  TBarItemChangeEvent Event() { return TBarItemChangeEvent(this, &Quitter::Listen); }
};

TEST_F(Tree, ListenersMayUnregisterThemselvesDuringTheWalk) {
  TBarRootItem root(nullptr);
  Quitter first, last;
  first.item = last.item = &root;
  Recorder middle;
  root.RegisterNotification(first.Event());
  root.RegisterNotification(middle.Event());
  root.RegisterNotification(last.Event());
  root.NotifyChange(ickInvalidate, -1, nullptr);
  EXPECT_EQ(first.calls, 1);
  EXPECT_EQ(middle.notices.size(), 1u);  // not skipped over by the one before it leaving
  EXPECT_EQ(last.calls, 1);              // the last entry leaving ends the walk cleanly
  root.NotifyChange(ickInvalidate, -1, nullptr);
  EXPECT_EQ(first.calls, 1);
  EXPECT_EQ(last.calls, 1);
  EXPECT_EQ(middle.notices.size(), 2u);

  // The only listener leaving empties the list under the walk; registering again works.
  root.UnregisterNotification(middle.Event());
  Quitter only;
  only.item = &root;
  root.RegisterNotification(only.Event());
  root.NotifyChange(ickInvalidate, -1, nullptr);
  EXPECT_EQ(only.calls, 1);
  root.RegisterNotification(middle.Event());
  root.NotifyChange(ickInvalidate, -1, nullptr);
  EXPECT_EQ(middle.notices.size(), 3u);
  EXPECT_EQ(only.calls, 1);

  // Registered twice, a listener needs two unregistrations.
  root.RegisterNotification(middle.Event());
  root.UnregisterNotification(middle.Event());
  root.NotifyChange(ickInvalidate, -1, nullptr);
  EXPECT_EQ(middle.notices.size(), 4u);
  root.UnregisterNotification(middle.Event());
  root.NotifyChange(ickInvalidate, -1, nullptr);
  EXPECT_EQ(middle.notices.size(), 4u);
}

TEST_F(Tree, AListenerThatFreesTheItemEndsTheWalk) {
  TBarItem* victim = NewItem("victim");
  struct Killer : ui::TObject {
    TBarCustomItem* item;
    void Listen(TBarCustomItem*, bool, TBarItemChangeKind, int, TBarCustomItem*) { ui::Free(item); }
  } killer;
  killer.item = victim;
  Recorder after;
  victim->RegisterNotification(TBarItemChangeEvent(&killer, &Killer::Listen));
  victim->RegisterNotification(after.Event());
  victim->NotifyChange(ickInvalidate, -1, nullptr);
  EXPECT_TRUE(after.notices.empty());
  EXPECT_EQ(owner->ComponentCount(), 0);
}

TEST_F(Tree, OptionsAreInheritedMaskedAndNormalised) {
  TBarRootItem root(nullptr);
  TBarItem* parent = NewItem("p");
  TBarItem* child = NewItem("c");
  parent->Add(child);
  root.Add(parent);
  root.SetOptions(BarOption(tboDefault) | BarOption(tboShowHint) | BarOption(tboToolbarSize));
  // tboToolbarSize needs tboToolbarStyle; tboDefault is never inherited.
  EXPECT_EQ(root.Options(), BarOption(tboDefault) | BarOption(tboShowHint));
  EXPECT_EQ(parent->EffectiveOptions(), BarOption(tboShowHint));
  EXPECT_EQ(child->EffectiveOptions(), BarOption(tboShowHint));

  parent->SetMaskOptions(BarOption(tboShowHint));
  parent->SetOptions(BarOption(tboToolbarStyle) | BarOption(tboToolbarSize));
  EXPECT_EQ(parent->EffectiveOptions(), BarOption(tboToolbarStyle) | BarOption(tboToolbarSize));
  EXPECT_EQ(child->EffectiveOptions(), BarOption(tboToolbarStyle) | BarOption(tboToolbarSize));
  child->SetMaskOptions(BarOption(tboToolbarStyle));  // size alone is dropped too
  EXPECT_EQ(child->EffectiveOptions(), 0);
  child->SetMaskOptions(0);
  child->SetInheritOptions(false);
  EXPECT_EQ(child->EffectiveOptions(), 0);
  child->SetInheritOptions(true);
  EXPECT_EQ(child->EffectiveOptions(), BarOption(tboToolbarStyle) | BarOption(tboToolbarSize));

  // Hint options reach descendants without asking for a new layout; layout options do.
  Recorder atRoot, atParent;
  root.RegisterNotification(atRoot.Event());
  parent->RegisterNotification(atParent.Event());
  parent->SetMaskOptions(0);  // tboShowHint comes back from the root
  parent->SetOptions(parent->Options() | BarOption(tboNoAutoHint) | BarOption(tboLongHintInMenuOnly));
  EXPECT_TRUE(HasOption(child->EffectiveOptions(), tboNoAutoHint));
  EXPECT_TRUE(HasOption(child->EffectiveOptions(), tboShowHint));
  EXPECT_EQ(atRoot.Count(ickInvalidateAndResize), 0);
  EXPECT_EQ(atParent.Count(ickInvalidateAndResize), 0);
  parent->SetOptions(parent->Options() | BarOption(tboDropdownArrow));
  EXPECT_EQ(atRoot.notices, (std::vector<Notice>{{&root, false, ickInvalidateAndResize, -1, parent}}));
  EXPECT_EQ(atParent.notices, (std::vector<Notice>{{parent, false, ickInvalidateAndResize, -1, child}}));

  // A new child takes its effective options when inserted.
  TBarItem* late = NewItem("late");
  parent->Add(late);
  EXPECT_EQ(late->EffectiveOptions(), child->EffectiveOptions());
  root.UnregisterNotification(atRoot.Event());
  parent->UnregisterNotification(atParent.Event());
}

TEST_F(Tree, CheckingUnchecksOnlySiblingsOfTheSameNonZeroGroup) {
  TBarRootItem root(nullptr);
  TBarItem* items[4];
  int groups[4] = {1, 1, 2, 0};
  for (int i = 0; i < 4; ++i) {
    items[i] = NewItem();
    items[i]->SetGroupIndex(groups[i]);
    items[i]->SetChecked(true);
    root.Add(items[i]);
  }
  items[0]->SetChecked(false);
  items[0]->SetChecked(true);
  EXPECT_TRUE(items[0]->Checked());
  EXPECT_FALSE(items[1]->Checked());
  EXPECT_TRUE(items[2]->Checked());
  EXPECT_TRUE(items[3]->Checked());
  TBarItem* zero = NewItem();
  root.Add(zero);
  zero->SetChecked(true);
  EXPECT_TRUE(items[3]->Checked());  // group 0 never unchecks
  // Joining a group while checked unchecks the group's others.
  items[3]->SetGroupIndex(2);
  EXPECT_FALSE(items[2]->Checked());
  EXPECT_TRUE(items[3]->Checked());
}

TEST_F(Tree, ImageListChangesRelayoutOnlyWhenTheSizeChanges) {
  TBarRootItem root(nullptr);
  TBarItem* item = NewItem("i");
  root.Add(item);
  // Lists of another owner: only the item's own free notices tell it of their end.
  auto lists = ui::MakeOwned<ui::TComponent>(nullptr);
  auto* small = new ui::TImageList(lists.get(), 16, 16);
  auto* same = new ui::TImageList(lists.get(), 16, 16);
  auto* large = new ui::TImageList(lists.get(), 24, 24);
  Recorder rec;
  root.RegisterNotification(rec.Event());
  item->SetImages(small);
  item->SetImages(same);
  item->SetImages(large);
  item->SetImages(nullptr);
  EXPECT_EQ(rec.Kinds(), (std::vector<TBarItemChangeKind>{ickInvalidateAndResize, ickInvalidate, ickInvalidateAndResize,
                                                          ickInvalidateAndResize}));
  item->SetImages(small);
  rec.notices.clear();
  ui::TBitmap picture(16, 16);
  small->AddMasked(picture, ui::clNone);  // same size: repaint
  small->SetSize(20, 20);                 // new size: layout
  EXPECT_EQ(rec.Kinds(), (std::vector<TBarItemChangeKind>{ickInvalidate, ickInvalidateAndResize}));
  // A freed list is forgotten.
  rec.notices.clear();
  ui::Free(small);
  EXPECT_EQ(item->Images(), nullptr);
  EXPECT_EQ(rec.Kinds(), (std::vector<TBarItemChangeKind>{ickInvalidateAndResize}));

  Recorder own;
  item->RegisterNotification(own.Event());
  item->SetSubMenuImages(large);
  large->SetSize(32, 32);
  ui::Free(large);
  EXPECT_EQ(item->SubMenuImages(), nullptr);
  EXPECT_EQ(own.Kinds(), (std::vector<TBarItemChangeKind>{ickSubMenuImagesChanged, ickSubMenuImagesChanged,
                                                          ickSubMenuImagesChanged}));
  // One list held as both: letting go of it as Images still forgets it as SubMenuImages when freed.
  item->SetImages(same);
  item->SetSubMenuImages(same);
  auto* other = new ui::TImageList(lists.get(), 16, 16);
  item->SetImages(other);
  ui::Free(same);
  EXPECT_EQ(item->SubMenuImages(), nullptr);
  EXPECT_EQ(item->Images(), other);
  item->UnregisterNotification(own.Event());
  root.UnregisterNotification(rec.Event());
}

TEST_F(Tree, ClassesSetTheirStylesAndViewerClasses) {
  TBarItem item(nullptr);
  TBarSeparatorItem separator(nullptr);
  TBarControlItem control(nullptr);
  EXPECT_EQ(item.ItemStyle(), 0x1802);
  EXPECT_EQ(separator.ItemStyle(), isSeparator | isNotClickable);
  EXPECT_EQ(control.ItemStyle(), isRedrawOnSelChange | isRedrawOnMouseOverChange | isNotClickable);
  EXPECT_EQ(item.ViewerClass().Info, &TBarItemViewer::Class());
  EXPECT_EQ(separator.ViewerClass().Info, &TBarSeparatorItemViewer::Class());
  EXPECT_TRUE(item.Enabled());
  EXPECT_TRUE(item.Visible());
  EXPECT_TRUE(item.InheritOptions());
  EXPECT_EQ(item.ImageIndex(), -1);
  EXPECT_FALSE(item.ViewerNeedsRecreate(nullptr));
  EXPECT_EQ(item.ChevronSourceView(), nullptr);
}

TEST_F(Tree, ControlItemsFreeTheirControlUnlessAskedNotTo) {
  auto* kept = new ui::TControl(owner.get());
  auto* freed = new ui::TControl(owner.get());
  auto keptAlive = kept->Lifetime(), freedAlive = freed->Lifetime();
  auto* a = new TBarControlItem(owner.get(), freed);
  auto* b = new TBarControlItem(nullptr);
  b->SetControl(kept);
  b->DontFreeControl = true;
  EXPECT_EQ(a->Control(), freed);
  ui::Free(a);
  ui::Free(b);
  EXPECT_TRUE(freedAlive.expired());
  EXPECT_FALSE(keptAlive.expired());
  {
    TBarControlItem onStack(nullptr, new ui::TControl(nullptr));
    freedAlive = onStack.Control()->Lifetime();
  }
  EXPECT_TRUE(freedAlive.expired());
  TBarControlItem c(nullptr, kept);
  c.DontFreeControl = true;
  ui::Free(kept);
  EXPECT_EQ(c.Control(), nullptr);
}

TEST_F(Tree, ShortCutDisplayTextPrefersTheCaptionsTab) {
  TBarItem* item = NewItem("Open\tCtrl+O");
  EXPECT_EQ(item->ShortCutDisplayText(), "Ctrl+O");
  item->SetCaption("Open");
  EXPECT_EQ(item->ShortCutDisplayText(), "");
  item->SetShortCut(ui::ShortCut(VK_F9, 0));
  EXPECT_EQ(item->ShortCutDisplayText(), "F9");
  item->SetCaption("Run\tAlt+R");
  EXPECT_EQ(item->ShortCutDisplayText(), "Alt+R");
}

// --- Deferred clicks --------------------------------------------------------------------------

struct ClickCounter : ui::TObject {
  int clicks = 0;
  void Click(ui::TObject*) { ++clicks; }
  ui::TNotifyEvent Event() { return ui::TNotifyEvent(this, &ClickCounter::Click); }
};

TEST_F(Tree, DeferredClicksRunLaterAndNeverReachADestroyedItem) {
  ClickCounter counter;
  TBarItem* doomed = NewItem("doomed");
  TBarItem* kept = NewItem("kept");
  TBarItem* keeper = NewItem("keeper");  // keeps the thread's queue alive
  doomed->OnClick = kept->OnClick = counter.Event();
  QueueClick(doomed);
  EXPECT_EQ(counter.clicks, 0);  // not at once
  ui::Free(doomed);
  // The dead slot keeps its place: the next click takes a new one and runs exactly once.
  QueueClick(kept);
  ui::test::PumpUntil([&] { return counter.clicks > 0; }, 2000);
  ui::test::Pump();
  EXPECT_EQ(counter.clicks, 1);
  QueueClick(kept);
  QueueClick(kept);
  ui::test::PumpUntil([&] { return counter.clicks >= 3; }, 2000);
  EXPECT_EQ(counter.clicks, 3);
  // A disabled item does not run its click.
  kept->SetEnabled(false);
  QueueClick(kept);
  ui::test::Pump();
  Sleep(20);
  ui::test::Pump();
  EXPECT_EQ(counter.clicks, 3);
  (void)keeper;
}

TEST_F(Tree, AnExceptionOfADeferredClickGoesToTheApplication) {
  ui::test::ExceptionTrap trap;
  TBarItem* item = NewItem("boom");
  struct Thrower : ui::TObject {
    void Click(ui::TObject*) { throw movra::Exception("click failed"); }
  } thrower;
  item->OnClick = ui::TNotifyEvent(&thrower, &Thrower::Click);
  QueueClick(item);
  ui::test::PumpUntil([&] { return trap.count > 0; }, 2000);
  EXPECT_EQ(trap.count, 1);
  EXPECT_EQ(trap.lastMessage, "click failed");
}

TEST_F(Tree, DoneActionsClickLaterOrSendTheSystemMenuKey) {
  ClickCounter counter;
  TBarItem* item = NewItem("x");
  item->OnClick = counter.Event();
  ExecuteDoneAction({bdaClickItem, item, nullptr, 1});
  EXPECT_EQ(counter.clicks, 0);
  ui::test::PumpUntil([&] { return counter.clicks > 0; }, 2000);
  EXPECT_EQ(counter.clicks, 1);

  static std::vector<std::pair<WPARAM, LPARAM>> received;
  received.clear();
  HWND window = ui::CreateMessageWindow(L"BarItemTestKeyMenu", [](HWND w, UINT msg, WPARAM wp, LPARAM lp) -> LRESULT {
    if (msg == WM_SYSCOMMAND) {
      received.emplace_back(wp, lp);
      return 0;
    }
    return DefWindowProcW(w, msg, wp, lp);
  });
  ExecuteDoneAction({bdaSysMenuKey, nullptr, window, ' '});
  ExecuteDoneAction({bdaEndTracking, item, window, 0});
  ASSERT_EQ(received.size(), 1u);
  EXPECT_EQ(received[0].first, static_cast<WPARAM>(SC_KEYMENU));
  EXPECT_EQ(received[0].second, ' ');
  DestroyWindow(window);

  static std::vector<std::pair<int, UINT>> help;
  SetBarHelpHandler([](int context, UINT command) { help.emplace_back(context, command); });
  ExecuteDoneAction({bdaHelp, nullptr, nullptr, 77});
  SetBarHelpHandler(nullptr);
  ASSERT_EQ(help.size(), 1u);
  EXPECT_EQ(help[0].first, 77);
}

// --- Popups through the host --------------------------------------------------------------------

struct FakeHost : IBarPopupHost {
  std::vector<std::string> log;
  TBarDoneAction done;
  TBarPopupWindowClass DefaultPopupWindowClass() override { return {&ui::TObject::Class(), nullptr}; }
  TBarPopupWindow* OpenPopupWindow(TBarCustomItem& item, const TBarPopupRequest& request) override {
    log.push_back("open " + item.Caption() + (request.AsSubmenu ? " submenu" : ""));
    return nullptr;
  }
  TBarDoneAction TrackPopup(TBarCustomItem& item, const TBarPopupRequest& request, bool right) override {
    log.push_back("track " + item.Caption() + " at " + std::to_string(request.Point.x) + "," +
                  std::to_string(request.Point.y) + " align " + std::to_string(request.Alignment) +
                  (right ? " right" : "") + (request.SelectFirst ? " first" : ""));
    item.OpenSubmenuPopup(nullptr, nullptr, false, request.SelectFirst, false, request.Point, request.Alignment);
    return done;
  }
};

TEST_F(Tree, OpeningAPopupFiresTheLinkTargetThenTheItemThenAsksTheHost) {
  FakeHost host;
  SetBarPopupHost(&host);
  struct Log : ui::TObject {
    std::vector<std::string>* log;
    void Popup(TBarCustomItem* sender, bool fromLink) {
      log->push_back("popup from " + sender->Caption() + (fromLink ? " link" : ""));
    }
    void Click(ui::TObject* sender) { log->push_back("click " + static_cast<TBarCustomItem*>(sender)->Caption()); }
  } handler;
  handler.log = &host.log;
  TBarItem* menu = NewItem("menu");
  TBarItem* target = NewItem("target");
  menu->SetLinkSubitems(target);
  for (TBarItem* i : {menu, target}) {
    i->OnPopup = TBarPopupEvent(&handler, &Log::Popup);
    i->OnClick = ui::TNotifyEvent(&handler, &Log::Click);
  }
  menu->OpenSubmenuPopup(nullptr, nullptr, true, false, false, {0, 0}, 0);
  EXPECT_EQ(host.log, (std::vector<std::string>{"popup from menu link", "click target", "popup from menu",
                                                "click menu", "open menu submenu"}));
  EXPECT_EQ(menu->PopupWindowClass().Info, &ui::TObject::Class());

  // A modal popup runs the host's tracking, then the action it chose.
  host.log.clear();
  menu->SetLinkSubitems(nullptr);
  host.done = {bdaClickItem, target, nullptr, 0};
  menu->Popup(10, 20, true, bpaCentre);
  EXPECT_EQ(host.log[0], "track menu at 10,20 align 2 right");
  EXPECT_EQ(host.log.back(), "open menu");
  ui::test::PumpUntil([&] { return host.log.back() == "click target"; }, 2000);
  EXPECT_EQ(host.log.back(), "click target");
  SetBarPopupHost(nullptr);
  EXPECT_EQ(menu->OpenSubmenuPopup(nullptr, nullptr, false, false, false, {0, 0}, 0), nullptr);
}

TEST_F(Tree, SplitButtonsFireTheirPopupEventWithoutAClick) {
  auto* split = new StyledItem(owner.get(), isSubmenu | isSplitButton | isSelectable);
  ClickCounter counter;
  split->OnClick = counter.Event();
  split->FirePopup(split, false);
  EXPECT_EQ(counter.clicks, 0);
  TBarItem* plain = NewItem();
  plain->OnClick = counter.Event();
  plain->FirePopup(plain, false);
  EXPECT_EQ(counter.clicks, 1);
}

}  // namespace
}  // namespace movra::bars

namespace movra::bars {
namespace {

// --- The action link ----------------------------------------------------------------------------

struct Linking : ::testing::Test {
  ui::TOwned<ui::TComponent> owner = ui::MakeOwned<ui::TComponent>(nullptr);
  ui::TAction* action = new ui::TAction(owner.get());
  TBarItem* item = new TBarItem(owner.get());
  int executed = 0;
  void Execute(ui::TObject*) { ++executed; }
  Linking() {
    action->SetCaption("&Run");
    action->SetHint("Runs|Runs the profile");
    action->SetShortCut(ui::ShortCut(VK_F9, 0));
    action->SetImageIndex(4);
    action->SetHelpContext(12);
    action->OnExecute = ui::TNotifyEvent(this, &Linking::Execute);
  }
};

TEST_F(Linking, TheItemTakesTheActionsPropertiesAndFollowsItsChanges) {
  item->SetAction(action);
  EXPECT_EQ(item->Action(), action);
  EXPECT_EQ(item->Caption(), "&Run");
  EXPECT_EQ(item->Hint(), "Runs|Runs the profile");
  EXPECT_EQ(item->ShortCut(), ui::ShortCut(VK_F9, 0));
  EXPECT_EQ(item->ImageIndex(), 4);
  EXPECT_EQ(item->HelpContext(), 12);
  EXPECT_TRUE(item->OnClick == action->OnExecute);
  TBarCustomItemActionLink* link = item->ActionLink();
  ASSERT_NE(link, nullptr);
  EXPECT_TRUE(link->IsCaptionLinked());
  EXPECT_TRUE(link->IsOnExecuteLinked());
  EXPECT_TRUE(link->AutoCheckLinked());

  action->SetCaption("R&un now");
  action->SetEnabled(false);
  action->SetChecked(true);
  action->SetVisible(false);
  EXPECT_EQ(item->Caption(), "R&un now");
  EXPECT_FALSE(item->Enabled());
  EXPECT_TRUE(item->Checked());
  EXPECT_FALSE(item->Visible());

  // A value the item set itself is no longer linked.
  item->SetCaption("Mine");
  EXPECT_FALSE(link->IsCaptionLinked());
  EXPECT_TRUE(link->IsCheckedLinked());
  link->SetCaption("From the link");
  EXPECT_EQ(item->Caption(), "Mine");
  item->SetShortCut(0);
  EXPECT_FALSE(link->IsShortCutLinked());
  item->SetAutoCheck(true);
  EXPECT_FALSE(link->AutoCheckLinked());

  // Unbinding keeps the values; a freed action unbinds itself.
  ui::Free(action);
  EXPECT_EQ(item->Action(), nullptr);
  EXPECT_EQ(item->ActionLink(), nullptr);
}

TEST_F(Linking, AClickRunsTheActionAndAutoCheckFollowsWhoOwnsIt) {
  item->SetAction(action);
  item->Click();
  EXPECT_EQ(executed, 1);
  // The action checks itself, and the item follows it, once.
  action->SetAutoCheck(true);
  EXPECT_TRUE(item->AutoCheck());
  item->Click();
  EXPECT_EQ(executed, 2);
  EXPECT_TRUE(action->Checked());
  EXPECT_TRUE(item->Checked());
  // The item's own handler wins over the action when it is another one.
  int own = 0;
  struct Own : ui::TObject {
    int* count;
    void Click(ui::TObject*) { ++*count; }
  } handler;
  handler.count = &own;
  item->OnClick = ui::TNotifyEvent(&handler, &Own::Click);
  item->Click();
  EXPECT_EQ(own, 1);
  EXPECT_EQ(executed, 2);
  // A disabled action does not run; the item copies the state and then never clicks.
  item->OnClick = action->OnExecute;
  action->SetEnabled(false);
  item->Click();
  EXPECT_EQ(executed, 2);
}

TEST_F(Linking, ALoadingActionKeepsWhatTheItemHasAlready) {
  item->SetCaption("Given");
  action->BeginLoading();
  item->SetAction(action);
  EXPECT_EQ(item->Caption(), "Given");
  EXPECT_EQ(item->ImageIndex(), 4);  // still the default: taken
  action->EndLoading();
}

TEST_F(Linking, TheShortcutSearchRefreshesTheChildrenFromTheirActions) {
  TBarRootItem root(nullptr);
  root.Add(item);
  item->SetAction(action);
  int updates = 0;
  struct Update : ui::TObject {
    int* count;
    ui::TAction* action;
    void Run(ui::TObject*) {
      ++*count;
      action->SetEnabled(false);
    }
  } updater;
  updater.count = &updates;
  updater.action = action;
  action->OnUpdate = ui::TNotifyEvent(&updater, &Update::Run);
  EXPECT_FALSE(root.HandleShortCut(ui::ShortCut(VK_F9, 0)));  // disabled by its update
  EXPECT_EQ(updates, 1);
  EXPECT_EQ(executed, 0);
  root.Remove(item);
}

}  // namespace
}  // namespace movra::bars
