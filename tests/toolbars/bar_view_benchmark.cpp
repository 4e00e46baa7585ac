// Benchmark, not a timed test: lays out views of 1,000 and of 10 real items (captions measured
// in the menu font) as a tall scrolling popup, a wrapping toolbar and a toolbar with a chevron,
// and prints the time per item of each against the small view's, so that a cost growing faster
// than the item count shows; it also prints the layouts against filling a list view with the
// same 1,000 captions in the same run. It asserts only that every viewer was placed.
#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>

#include "runtime/ui/comctrls.h"
#include "runtime/ui/forms.h"
#include "tests/toolbars/bar_fixed_items.h"
#include "toolbars/bar_item.h"
#include "toolbars/bar_view.h"

namespace movra::bars {
namespace {

constexpr int kMany = 1000;
constexpr int kFew = 10;

double MillisecondsPerRound(const std::function<void()>& work, int rounds) {
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < rounds; ++i) work();
  const auto end = std::chrono::steady_clock::now();
  return std::chrono::duration<double, std::milli>(end - start).count() / rounds;
}

std::string Caption(int n) {
  std::string caption = "Item &" + std::to_string(n);
  if (n % 7 == 0) caption += "\tCtrl+" + std::to_string(n % 10);
  return caption;
}

enum class Shape { TallPopup, WrappingToolbar, ChevronToolbar };

// A view of `count` items of the given shape, laid out once.
struct Scene {
  ui::TOwned<ui::TComponent> owner = ui::MakeOwned<ui::TComponent>(nullptr);
  TBarRootItem* root = new TBarRootItem(owner.get());
  TBarView* view = nullptr;

  Scene(Shape shape, int count) {
    for (int n = 0; n < count; ++n) {
      TBarCustomItem* item = n % 10 == 9 ? static_cast<TBarCustomItem*>(new TBarSeparatorItem(owner.get()))
                                         : new TBarItem(owner.get());
      item->SetCaption(Caption(n));
      root->Add(item);
    }
    switch (shape) {
      case Shape::TallPopup:
        view = new TBarView(owner.get(), nullptr, root, nullptr, false, false, false);
        view->SetMaxHeight(600);
        break;
      case Shape::WrappingToolbar:
        view = new TBarView(owner.get(), nullptr, root, nullptr, true, false, true);
        view->SetWrapOffset(400);
        break;
      case Shape::ChevronToolbar:
        view = new test::ChevronView(owner.get(), root, new TBarItem(owner.get()));
        view->SetChevronSize(12);
        view->SetChevronOffset(400);
        break;
    }
    Relayout();
  }
  void Relayout() {
    view->InvalidateLayout();
    view->ValidatePositions();
  }
  // Every viewer was given its place: shown, clipped by scrolling, hidden in the chevron, or a
  // separator taken out.
  int Placed() const {
    int placed = 0;
    for (TBarItemViewer* viewer : view->Viewers())
      if (viewer->IsShown() || (viewer->Item()->ItemStyle() & isSeparator)) ++placed;
    return placed;
  }
};

struct Row {
  const char* name;
  double few = 0, many = 0;
};

TEST(BarViewBenchmark, LayoutOfAThousandItemsGrowsWithTheItemCount) {
  Row rows[] = {{"tall popup, scrolling"}, {"toolbar, wrapping at 400"}, {"toolbar, chevron at 400"}};
  const Shape shapes[] = {Shape::TallPopup, Shape::WrappingToolbar, Shape::ChevronToolbar};
  for (int s = 0; s < 3; ++s) {
    Scene few(shapes[s], kFew);
    Scene many(shapes[s], kMany);
    EXPECT_EQ(few.Placed(), few.view->ViewerCount()) << rows[s].name;
    EXPECT_EQ(many.Placed(), many.view->ViewerCount()) << rows[s].name;
    rows[s].few = MillisecondsPerRound([&] { few.Relayout(); }, 1000);
    rows[s].many = MillisecondsPerRound([&] { many.Relayout(); }, 10);
  }
  // Something hid in the chevron and something scrolled, or the shapes tested nothing.
  Scene chevron(Shape::ChevronToolbar, kMany);
  EXPECT_TRUE(chevron.view->ViewerAt(kMany - 2)->OffEdge);
  Scene popup(Shape::TallPopup, kMany);
  EXPECT_TRUE(popup.view->ShowDownArrow());

  // The same captions in a list view, filled in one update.
  ui::TOwned<ui::TForm> form = ui::MakeOwned<ui::TForm>(nullptr);
  form->SetBounds(0, 0, 400, 300);
  auto* list = new ui::TListView(form.get());
  list->SetParent(form.get());
  list->SetBounds(0, 0, 380, 280);
  list->SetViewStyle(ui::TViewStyle::vsList);
  list->HandleNeeded();
  const double listFill = MillisecondsPerRound(
      [&] {
        list->Items().BeginUpdate();
        list->Items().Clear();
        for (int n = 0; n < kMany; ++n) list->Items().Add()->SetCaption(Caption(n));
        list->Items().EndUpdate();
      },
      5);
  EXPECT_EQ(list->Items().Count(), kMany);

  std::printf("layout of %d items against %d (per-item ratio 1.0 = linear) and against a list view filled\n"
              "with the same %d captions (%.3f ms):\n",
              kMany, kFew, kMany, listFill);
  for (const Row& row : rows) {
    const double perItem = row.few > 0 ? (row.many / kMany) / (row.few / kFew) : 0.0;
    std::printf("  %-26s %d: %8.3f ms  %d: %8.3f ms  per item x%.2f  vs list view x%.2f\n", row.name, kFew,
                row.few, kMany, row.many, perItem, listFill > 0 ? row.many / listFill : 0.0);
  }
}

}  // namespace
}  // namespace movra::bars
