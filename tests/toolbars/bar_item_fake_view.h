#pragma once
// A view for item and viewer tests: holds viewers at given bounds and records what the viewers
// ask of it.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "toolbars/bar_view.h"
#include "toolbars/bar_viewer.h"

namespace movra::bars::test {

class FakeView : public IBarView {
 public:
  bool toolbar = true, menuBar = false, vertical = false, floating = false, customizing = false;
  bool hidesAccelerators = false, acceleratorsShown = true, tracking = false;
  ui::TWinControl* window = nullptr;
  ui::TFont* font = nullptr;  // nullptr: the menu font
  IBarView* parentView = nullptr;
  TBarCustomItem* parentItem = nullptr;
  TBarCustomItem* curParentItem = nullptr;
  POINT origin{0, 0};  // the window's client origin on the screen
  std::vector<std::unique_ptr<TBarItemViewer>> viewers;
  TBarItemViewer* selected = nullptr;
  bool mouseOverSelected = false;
  bool capture = false;
  TBarItemViewer* openViewer = nullptr;
  IBarView* openViewerView = nullptr;
  // What the viewers did.
  int endTracking = 0, cancelChildPopups = 0, openChildPopup = 0, setCapture = 0, invalidated = 0;
  TBarItemViewer* doneClick = nullptr;
  TBarItemViewer* promoted = nullptr;
  // OpenChildPopup opens this viewer's popup when set.
  IBarView* popupToOpen = nullptr;

  TBarItemViewer* AddViewer(TBarCustomItem* item, RECT bounds, bool shown = true) {
    viewers.push_back(item->ViewerClass().Create(this, item, 0));
    viewers.back()->BoundsRect = bounds;
    viewers.back()->Show = shown;
    return viewers.back().get();
  }

  bool IsToolbar() const override { return toolbar; }
  bool IsMenuBar() const override { return menuBar; }
  bool IsVertical() const override { return vertical; }
  bool IsFloating() const override { return floating; }
  bool Customizing() const override { return customizing; }
  IBarView* ParentView() const override { return parentView; }
  TBarCustomItem* ParentItem() const override { return parentItem; }
  TBarCustomItem* CurParentItem() const override { return curParentItem ? curParentItem : parentItem; }
  bool HidesAcceleratorsUntilCues() const override { return hidesAccelerators; }
  bool AcceleratorsShown() const override { return acceleratorsShown; }
  bool Tracking() const override { return tracking; }
  ui::TWinControl* Window() const override { return window; }
  ui::TFont& FontForDrawing() override { return font ? *font : BarMenuFont(); }
  POINT ClientToScreen(POINT p) const override { return {p.x + origin.x, p.y + origin.y}; }
  POINT ScreenToClient(POINT p) const override { return {p.x - origin.x, p.y - origin.y}; }
  int ViewerCount() const override { return static_cast<int>(viewers.size()); }
  TBarItemViewer* ViewerAt(int index) const override { return viewers.at(static_cast<size_t>(index)).get(); }
  TBarItemViewer* Selected() const override { return selected; }
  bool MouseOverSelected() const override { return mouseOverSelected; }
  bool Capture() const override { return capture; }
  void SetCapture() override {
    ++setCapture;
    capture = true;
  }
  void CancelCapture() override { capture = false; }
  TBarItemViewer* OpenViewer() const override { return openViewer; }
  IBarView* OpenViewerView() const override { return openViewerView; }
  bool OpenChildPopup(bool) override {
    ++openChildPopup;
    if (popupToOpen) {
      openViewer = selected;
      openViewerView = popupToOpen;
    }
    return openViewer != nullptr;
  }
  void CancelChildPopups() override {
    ++cancelChildPopups;
    openViewer = nullptr;
    openViewerView = nullptr;
  }
  void SetDoneActionClick(TBarItemViewer* viewer) override { doneClick = viewer; }
  void EndTracking() override { ++endTracking; }
  void PromoteViewer(TBarItemViewer* viewer) override { promoted = viewer; }
  void InvalidateViewer(TBarItemViewer*) override { ++invalidated; }
};

}  // namespace movra::bars::test
