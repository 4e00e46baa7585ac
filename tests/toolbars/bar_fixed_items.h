#pragma once
// Items whose viewers have fixed sizes, so that layout tests, the accessibility tests and the
// layout benchmark do not depend on fonts; and a toolbar view with a chevron item.
#include <windows.h>

#include <string>

#include "toolbars/bar_item.h"
#include "toolbars/bar_view.h"
#include "toolbars/bar_viewer.h"

namespace movra::bars::test {

// An item whose viewer has a fixed size and paints a recognisable pattern: its whole rectangle
// in the brush the view chose (when not clear) and its top-left pixel in the font colour. Its
// hint, when it has one, is the viewer's accessible value.
class FixedItem : public TBarItem {
 public:
  FixedItem(ui::TComponent* owner, int width, int height, TBarItemStyle extra = 0)
      : TBarItem(owner), Width(width), Height(height) {
    if (extra) SetItemStyle(ItemStyle() | extra);
  }
  void SetStyle(TBarItemStyle style) { SetItemStyle(style); }
  TBarItemViewerClass ViewerClass() override;
  int Width, Height;
};

class FixedViewer : public TBarItemViewer {
 public:
  using TBarItemViewer::TBarItemViewer;
  void MeasureSize(ui::TCanvas&, int& width, int& height) override {
    auto* item = static_cast<FixedItem*>(Item());
    width = item->Width;
    height = item->Height;
  }
  void Paint(ui::TCanvas& canvas, const RECT& rect, bool shadow, bool pushed, bool selected) override {
    LastRect = rect;
    LastShadow = shadow;
    LastPushed = pushed;
    LastSelected = selected;
    ++Paints;
    if (canvas.Brush().Style() != ui::TBrushStyle::bsClear) canvas.FillRect(rect);
    SetPixel(canvas.Handle(), rect.left, rect.top, ui::ColorToRGB(canvas.Font().Color()));
  }
  bool AccessibleValue(std::string& text) override {
    if (Item()->Hint().empty()) return false;
    text = Item()->Hint();
    return true;
  }
  RECT LastRect{};
  bool LastShadow = false, LastPushed = false, LastSelected = false;
  int Paints = 0;
};

inline TBarItemViewerClass FixedItem::ViewerClass() { return ViewerClassOf<FixedViewer>(); }

class FixedSeparator : public TBarSeparatorItem {
 public:
  FixedSeparator(ui::TComponent* owner, TBarItemStyle extra = 0) : TBarSeparatorItem(owner) {
    if (extra) SetItemStyle(ItemStyle() | extra);
  }
  TBarItemViewerClass ViewerClass() override { return ViewerClassOf<FixedSeparatorViewer>(); }
  class FixedSeparatorViewer : public TBarSeparatorItemViewer {
   public:
    using TBarSeparatorItemViewer::TBarSeparatorItemViewer;
    void MeasureSize(ui::TCanvas&, int& width, int& height) override { width = height = 6; }
  };
};

// A toolbar view with a chevron item, as a toolbar builds it.
class ChevronView : public TBarView {
 public:
  ChevronView(ui::TComponent* owner, TBarCustomItem* root, TBarCustomItem* chevron, ui::TWinControl* window = nullptr)
      : TBarView(owner, nullptr, root, window, true, false, true), chevron_(chevron) {
    RecreateAllViewers();
  }
  TBarCustomItem* ChevronItemQuery() override { return chevron_; }

 private:
  TBarCustomItem* chevron_;
};

}  // namespace movra::bars::test
