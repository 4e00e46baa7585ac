// The shortcut search: the path of popups it opens, what stops it, and its bounds on links.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "runtime/ui/forms.h"
#include "tests/runtime/ui/ui_test_support.h"
#include "toolbars/bar_item.h"

namespace movra::bars {
namespace {

using ui::TOwned;

class GroupItem : public TBarCustomItem {
 public:
  explicit GroupItem(ui::TComponent* owner) : TBarCustomItem(owner) { SetItemStyle(isEmbeddedGroup); }
};

// Items that write their popups and clicks into one log.
struct ShortCuts : ::testing::Test {
  TOwned<ui::TComponent> owner = ui::MakeOwned<ui::TComponent>(nullptr);
  std::vector<std::string> log;
  const TShortCut key = ui::ShortCut('K', ui::ssCtrl);

  void Popup(TBarCustomItem* sender, bool fromLink) { log.push_back("popup " + sender->Caption() + (fromLink ? " link" : "")); }
  void Click(ui::TObject* sender) { log.push_back("click " + static_cast<TBarCustomItem*>(sender)->Caption()); }

  template <class T = TBarItem>
  T* Item(const std::string& caption, TBarCustomItem* parent = nullptr) {
    auto* item = new T(owner.get());
    item->SetCaption(caption);
    item->OnPopup = TBarPopupEvent(&handlers, &Handlers::Popup);
    item->OnClick = ui::TNotifyEvent(&handlers, &Handlers::Click);
    if (parent) parent->Add(item);
    return item;
  }

  struct Handlers : ui::TObject {
    ShortCuts* test;
    void Popup(TBarCustomItem* sender, bool fromLink) { test->Popup(sender, fromLink); }
    void Click(ui::TObject* sender) { test->Click(sender); }
  } handlers;
  ShortCuts() { handlers.test = this; }
};

TEST_F(ShortCuts, AGrandchildsShortcutOpensEachItemOnThePathBeforeItsClick) {
  TBarRootItem* root = Item<TBarRootItem>("root");
  TBarItem* file = Item("file", root);
  Item("other", root);
  TBarItem* recent = Item("recent", file);
  TBarItem* leaf = Item("leaf", recent);
  leaf->SetShortCut(key);

  TBarCustomItem* top = nullptr;
  EXPECT_EQ(root->FindItemByShortCut(key, top), leaf);
  EXPECT_EQ(top, file);
  EXPECT_EQ(recent->FindItemByShortCut(key, top), leaf);
  EXPECT_EQ(top, nullptr);  // a direct child
  EXPECT_EQ(root->FindItemByShortCut(ui::ShortCut('J', ui::ssCtrl), top), nullptr);

  EXPECT_TRUE(root->HandleShortCut(key));
  EXPECT_EQ(log, (std::vector<std::string>{"popup root", "click root", "popup file", "click file", "popup recent",
                                           "click recent", "click leaf"}));
  log.clear();
  EXPECT_FALSE(root->HandleShortCut(ui::ShortCut('J', ui::ssCtrl)));
  EXPECT_TRUE(log.empty());  // no match: nothing opens
}

TEST_F(ShortCuts, ADisabledItemOnThePathStopsTheSearch) {
  TBarRootItem* root = Item<TBarRootItem>("root");
  TBarItem* file = Item("file", root);
  TBarItem* leaf = Item("leaf", file);
  leaf->SetShortCut(key);
  file->SetEnabled(false);
  EXPECT_FALSE(root->HandleShortCut(key));
  EXPECT_EQ(log, (std::vector<std::string>{"popup root", "click root"}));
  file->SetEnabled(true);
  leaf->SetEnabled(false);
  log.clear();
  EXPECT_FALSE(root->HandleShortCut(key));
  EXPECT_EQ(log.back(), "click file");  // opened, but the disabled match is not clicked
}

TEST_F(ShortCuts, EmbeddedGroupsOpenNothingAndLinkTargetsFireFirst) {
  TBarRootItem* root = Item<TBarRootItem>("root");
  auto* group = Item<GroupItem>("group", root);
  TBarItem* menu = Item("menu", group);
  TBarItem* target = Item("target");
  menu->SetLinkSubitems(target);
  TBarItem* leaf = Item("leaf", target);
  leaf->SetShortCut(key);
  EXPECT_TRUE(root->HandleShortCut(key));
  EXPECT_EQ(log, (std::vector<std::string>{"popup root", "click root", "popup menu link", "click target",
                                           "popup menu", "click menu", "click leaf"}));
}

TEST_F(ShortCuts, LinkChainsLongerThanTwentyFiveAreGivenUp) {
  for (int links : {25, 26}) {
    log.clear();
    TBarRootItem* root = Item<TBarRootItem>("root");
    TBarItem* start = Item("start", root);
    TBarItem* previous = start;
    for (int i = 1; i < links; ++i) {
      TBarItem* next = Item("link" + std::to_string(i));
      previous->SetLinkSubitems(next);
      previous = next;
    }
    TBarItem* holder = Item("holder");
    previous->SetLinkSubitems(holder);
    TBarItem* leaf = Item("leaf", holder);
    leaf->SetShortCut(key);
    TBarCustomItem* top = nullptr;
    EXPECT_EQ(root->FindItemByShortCut(key, top), links == 25 ? leaf : nullptr) << links;
    EXPECT_EQ(root->HandleShortCut(key), links == 25) << links;
    EXPECT_EQ(log.empty() ? "" : log.back(), links == 25 ? "click leaf" : "") << links;
  }
}

TEST_F(ShortCuts, LinksBackToAnAncestorAreNotWalkedRound) {
  TBarRootItem* root = Item<TBarRootItem>("root");
  TBarItem* a = Item("a", root);
  // Siblings that show a's children, themselves among them: walked round, each branch would
  // go 25 links deep and the search would take about 5^25 steps.
  for (int i = 0; i < 5; ++i) Item("b" + std::to_string(i), a)->SetLinkSubitems(a);
  TBarItem* c = Item("c", a);
  c->SetShortCut(key);
  TBarCustomItem* top = nullptr;
  EXPECT_EQ(root->FindItemByShortCut(ui::ShortCut('J', ui::ssCtrl), top), nullptr);
  EXPECT_FALSE(root->HandleShortCut(ui::ShortCut('J', ui::ssCtrl)));
  EXPECT_TRUE(log.empty());
  // The match is found where it is, a's own child, and not through a link back to a.
  EXPECT_EQ(a->FindItemByShortCut(key, top), c);
  EXPECT_EQ(top, nullptr);
  EXPECT_TRUE(root->HandleShortCut(key));
  EXPECT_EQ(log, (std::vector<std::string>{"popup root", "click root", "popup a", "click a", "click c"}));
}

TEST_F(ShortCuts, HandlersThatFreeTheOpenedItemOrASiblingEndOrShortenTheSearch) {
  // Frees a later sibling when asked to refresh from its action.
  struct Refresher : TBarItem {
    using TBarItem::TBarItem;
    TBarCustomItem* victim = nullptr;
    void RefreshFromAction() override {
      if (victim) ui::Free(std::exchange(victim, nullptr));
    }
  };
  TBarRootItem* root = Item<TBarRootItem>("root");
  auto* first = Item<Refresher>("first", root);
  TBarItem* doomed = Item("doomed", root);
  Item("leaf", doomed)->SetShortCut(key);
  TBarItem* last = Item("last", root);
  last->SetShortCut(ui::ShortCut('L', ui::ssCtrl));
  first->victim = doomed;
  // The freed sibling is passed over, and the search finds what is left.
  EXPECT_FALSE(root->HandleShortCut(key));
  EXPECT_EQ(root->Count(), 2);
  log.clear();
  first->victim = Item("doomed again", root);
  EXPECT_TRUE(root->HandleShortCut(ui::ShortCut('L', ui::ssCtrl)));
  EXPECT_EQ(log.back(), "click last");

  // An item whose popup handler frees it opens nothing further and clicks nothing.
  TBarItem* menu = Item("menu", root);
  Item("leaf", menu)->SetShortCut(key);
  struct Freer : ui::TObject {
    void Popup(TBarCustomItem* sender, bool) { ui::Free(sender); }
  } freer;
  menu->OnPopup = TBarPopupEvent(&freer, &Freer::Popup);
  log.clear();
  EXPECT_FALSE(root->HandleShortCut(key));
  EXPECT_EQ(root->IndexOf(menu), -1);
  EXPECT_EQ(log, (std::vector<std::string>{"popup root", "click root"}));
}

TEST_F(ShortCuts, AFailingPopupHandlerIsShownAndTheSearchGoesOn) {
  ui::test::ExceptionTrap trap;
  TBarRootItem* root = Item<TBarRootItem>("root");
  TBarItem* menu = Item("menu", root);
  TBarItem* leaf = Item("leaf", menu);
  leaf->SetShortCut(key);
  struct Thrower : ui::TObject {
    void Popup(TBarCustomItem*, bool) { throw movra::Exception("popup failed"); }
  } thrower;
  menu->OnPopup = TBarPopupEvent(&thrower, &Thrower::Popup);
  EXPECT_TRUE(root->HandleShortCut(key));
  EXPECT_EQ(trap.count, 1);
  EXPECT_EQ(trap.lastMessage, "popup failed");
  EXPECT_EQ(log.back(), "click leaf");
}

TEST_F(ShortCuts, AKeyMessageCarriesTheAltStateInItsKeyData) {
  TBarRootItem* root = Item<TBarRootItem>("root");
  TBarItem* leaf = Item("leaf", root);
  leaf->SetShortCut(ui::ShortCut('R', ui::ssAlt));
  EXPECT_FALSE(root->HandleShortCut('R', 0));
  EXPECT_TRUE(root->HandleShortCut('R', 0x20000000));
  EXPECT_EQ(log.back(), "click leaf");
}

}  // namespace
}  // namespace movra::bars
