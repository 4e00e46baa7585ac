#pragma once
// Toolbars and menu bars: a dockable window that shows a tree of items through one view, with a
// chevron for the items that do not fit, the widths at which a floating toolbar wraps, child
// controls shown as control items, and its part in the application's shortcut and Alt-key
// handling.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "runtime/ui/controls.h"
#include "runtime/ui/forms.h"
#include "toolbars/bar_dock.h"
#include "toolbars/bar_item.h"
#include "toolbars/bar_view.h"
#include "toolbars/bar_viewer.h"

namespace movra::bars {

class TBarCustomToolbar;
class TBarToolbarView;

// The length of the chevron along a toolbar's line.
inline constexpr int kChevronSize = 12;

// --- Floating widths: the widths at which a floating toolbar's items wrap into another number
// of lines. The arithmetic is kept apart from the windows so that it can be checked with numbers.

// One width a floating toolbar can take: its size there, its line count and the floating width
// that gives it (0: not wrapped).
struct TBarFloatingWidth {
  POINT Size{};
  int Lines = 1;
  int FloatingWidth = 0;
};
// Lays the content out for a floating width; returns its size and the number of lines.
using TBarFloatingLayout = std::function<POINT(int floatingWidth, int& lines)>;
// Lays out unwrapped first, then tries every narrower width down to `leastWidth`, keeping one
// entry per line count (the narrowest width that gives it).
std::vector<TBarFloatingWidth> CollectFloatingWidthCandidates(const TBarFloatingLayout& layout, int leastWidth);

// What an interactive resize of a floating toolbar works with: the candidates as window sizes,
// sorted along the axis the dragged edge moves (heights for the top and bottom edges).
struct TBarSizingCandidates {
  std::vector<TBarFloatingWidth> List;
  bool ByHeight = false;
  int StartSize = 0;  // the window's size along that axis when the resize began
  int Snap = 0;       // the cursor may move this far before the size changes
};
// Sorts the list and works out the snap distance: 12, less than the gap to the neighbouring
// candidates of the start size.
void PrepareSizingCandidates(TBarSizingCandidates& candidates);
// The candidate a resize to `wanted` (along the axis) lands on, or -1 to stay at the start size.
int PickSizingCandidate(const TBarSizingCandidates& candidates, int wanted);

// --- The chevron

// The item at a toolbar's line end that lists, as a popup, the items the toolbar hid.
class TBarChevronItem : public TBarCustomItem {
 public:
  static const ui::TClassInfo& Class() {
    static const ui::TClassInfo info{"TBarChevronItem", &TBarCustomItem::Class()};
    return info;
  }
  const ui::TClassInfo& ClassType() const override { return Class(); }

  explicit TBarChevronItem(ui::TComponent* owner);
  TBarCustomToolbar* Toolbar() const { return toolbar_; }
  void SetToolbar(TBarCustomToolbar* toolbar) { toolbar_ = toolbar; }
  // Sets the hint and, from its short part with every "&" doubled, the caption.
  void SetChevronHint(const std::string& hint);

  IBarView* ChevronSourceView() override;
  TBarItemViewerClass ViewerClass() override;

 private:
  TBarCustomToolbar* toolbar_ = nullptr;
};

class TBarChevronItemViewer : public TBarItemViewer {
 public:
  static const ui::TClassInfo& Class() {
    static const ui::TClassInfo info{"TBarChevronItemViewer", &TBarItemViewer::Class()};
    return info;
  }
  const ui::TClassInfo& ClassType() const override { return Class(); }
  using TBarItemViewer::TBarItemViewer;

  void Paint(ui::TCanvas& canvas, const RECT& clientRect, bool disabledShadow, bool pushed, bool selected) override;
};
// Draws the chevron glyph of a viewer rectangle in `colour` (a COLORREF).
void DrawChevronGlyph(HDC dc, const RECT& rect, bool vertical, bool pushed, COLORREF colour);

// --- The view

class TBarToolbarView : public TBarView {
 public:
  static const ui::TClassInfo& Class() {
    static const ui::TClassInfo info{"TBarToolbarView", &TBarView::Class()};
    return info;
  }
  const ui::TClassInfo& ClassType() const override { return Class(); }

  TBarToolbarView(ui::TComponent* owner, TBarView* parentView, TBarCustomItem* parentItem, ui::TWinControl* window,
                  bool isToolbar, bool customizing, bool usePriorityList);
  TBarCustomToolbar* Toolbar() const { return toolbar_; }

  void FitWindowToContent(int width, int height) override;
  void ArrangeViewers(POINT& size) override;
  TBarCustomItem* ChevronItemQuery() override;
  ui::TFont& FontForDrawing() override;

 private:
  TBarCustomToolbar* toolbar_;
};

// --- Class references a subclass (the themed toolbar) replaces.
using TBarItemFactory = TBarCustomItem* (*)(ui::TComponent* owner);
struct TBarToolbarClasses {
  TBarItemFactory RootItem = nullptr;     // nullptr: TBarRootItem
  TBarItemFactory ChevronItem = nullptr;  // nullptr: TBarChevronItem (the item must derive from it)
  TBarViewClass View{};                   // empty: TBarToolbarView (the view must derive from it)
};

// Reads and writes the position data of a window under its name.
struct TBarPositionDataIO {
  std::function<int(const std::string& name, const std::string& value, int defaultValue)> ReadInteger;
  std::function<void(const std::string& name, const std::string& value, int data)> WriteInteger;
};

// A key message offered to a toolbar as a shortcut; set `handled` to take it.
using TBarShortCutEvent = ui::TDelegate<ui::TObject*, WPARAM, LPARAM, bool&>;

class TBarCustomToolbar : public TBarCustomDockableWindow, public IItemContainer {
 public:
  static const ui::TClassInfo& Class() {
    static const ui::TClassInfo info{"TBarCustomToolbar", &TBarCustomDockableWindow::Class()};
    return info;
  }
  const ui::TClassInfo& ClassType() const override { return Class(); }

  explicit TBarCustomToolbar(ui::TComponent* owner) : TBarCustomToolbar(owner, TBarToolbarClasses{}) {}
  ~TBarCustomToolbar() override;
  void BeforeDestruction() override;

  TBarCustomItem* GetRootItem() override { return rootItem_; }
  TBarCustomItem* Items() const { return rootItem_; }
  TBarToolbarView* View() const { return view_; }
  TBarChevronItem* ChevronItem() const { return chevronItem_; }

  // --- Properties
  bool ChevronMoveItems() const { return chevronMoveItems_; }
  void SetChevronMoveItems(bool on);
  bool ChevronPriorityForNewItems() const { return chevronPriorityForNewItems_; }
  void SetChevronPriorityForNewItems(bool on);
  const std::string& ChevronHint() const { return chevronHint_; }
  void SetChevronHint(const std::string& hint);
  bool MenuBar() const { return menuBar_; }
  void SetMenuBar(bool on);
  bool ProcessShortCuts() const { return processShortCuts_; }
  void SetProcessShortCuts(bool on);
  bool SystemFont() const { return systemFont_; }
  void SetSystemFont(bool on);
  TBarShrinkMode ShrinkMode() const { return shrinkMode_; }
  void SetShrinkMode(TBarShrinkMode mode);
  ui::TCustomImageList* Images() const { return rootItem_->SubMenuImages(); }
  void SetImages(ui::TCustomImageList* images) { rootItem_->SetSubMenuImages(images); }
  TBarCustomItem* LinkSubitems() const { return rootItem_->LinkSubitems(); }
  void SetLinkSubitems(TBarCustomItem* target) { rootItem_->SetLinkSubitems(target); }
  TBarItemOptions Options() const { return rootItem_->Options(); }
  void SetOptions(TBarItemOptions options) { rootItem_->SetOptions(options); }
  // The width the toolbar wraps to while floating; 0: one line.
  int FloatingWidth() const { return floatingWidth_; }
  void SetFloatingWidth(int width);
  bool UpdateActionsOn() const { return updateActions_; }
  void SetUpdateActionsOn(bool on) { updateActions_ = on; }
  // Lines of the last layout that ComputeLayout made without committing.
  int LastWrappedLines() const { return lastWrappedLines_; }
  // Registered with the application's shortcut handling now.
  bool ShortCutsRegistered() const { return shortCutsRegistered_; }
  bool MenuBarHookInstalled() const { return menuBarHook_; }

  TBarShortCutEvent OnShortCut;

  // --- Dockable window
  bool PointOnChildControl(POINT p) override;
  void ComputeLayout(bool recalculate, int previousDockType, SIZE& size, TBarDock* dockingTo, bool floating) override;
  void BaseSize(SIZE& size) override;
  void MinimumShrunkLength(int& length) override;
  TBarShrinkMode CurrentShrinkMode() override { return shrinkMode_; }
  void SizingBegin(int edge) override;
  void SizingEnd() override;
  void SizingTrack(RECT& newRect, const RECT& startRect) override;
  void SizingApply() override;
  virtual void ReadPositionData(const TBarPositionDataIO& io);
  virtual void WritePositionData(const TBarPositionDataIO& io);

  // --- New operations
  // The sizes at which the floating toolbar wraps into another number of lines.
  virtual void CollectFloatingWidths(std::vector<TBarFloatingWidth>& list);
  const TBarToolbarClasses& Classes() const { return classes_; }

  // Opens the item whose accelerator is `key` (0: selects the first item) and tracks the
  // toolbar from the keyboard. False when nothing opened.
  bool KeyboardOpen(char32_t key, bool requirePrimary);
  // A dialog character (Alt+letter) offered to the toolbar; true when taken.
  bool DialogChar(char32_t key);
  // Alt pressed alone: a menu bar shows its accelerators.
  void AltPressed();
  // Runs the item whose shortcut the key message gives (the OnShortCut event decides first).
  bool HandleShortCutKey(WPARAM keyCode, LPARAM keyData);

  void WndProc(ui::TMessage& message) override;
  // The application's idle time: the actions of the items shown run their updates.
  void InitiateAction() override;

 protected:
  TBarCustomToolbar(ui::TComponent* owner, const TBarToolbarClasses& classes);
  void Loaded() override;
  void Paint() override;
  void MouseDown(ui::TMouseButton button, ui::TShiftState shift, int x, int y) override;
  void MouseMove(ui::TShiftState shift, int x, int y) override;
  void AlignControls(RECT rect) override;
  // The view's orientation, chevron and wrap offsets for a dock type, read before each layout.
  void ViewProperties(int dockType, TBarDock* dock, TBarViewOrientation& orientation, int& chevronOffset,
                      int& wrapOffset);
  void UpdateViewProperties();

 private:
  friend class TBarToolbarView;
  void Teardown();
  void AddControlItems();
  void ControlInserted(ui::TControl* control);
  void ControlRemoved(ui::TControl* control);
  TBarControlItem* ControlItemOf(ui::TControl* control) const;
  void UpdateShortCutRegistration();
  void ClearSelectionUnlessCaptured();
  bool HandleSysCommand(ui::TMessage& message);
  void SizeChangedByView();

  TBarToolbarClasses classes_;
  TBarCustomItem* rootItem_ = nullptr;
  TBarChevronItem* chevronItem_ = nullptr;
  TBarToolbarView* view_ = nullptr;
  bool chevronMoveItems_ = true;
  bool chevronPriorityForNewItems_ = false;
  std::string chevronHint_;
  bool menuBar_ = false;
  bool processShortCuts_ = false;
  bool systemFont_ = true;
  TBarShrinkMode shrinkMode_ = TBarShrinkMode::tbsmChevron;
  int floatingWidth_ = 0;
  bool updateActions_ = true;
  POINT baseSize_{};
  int lastWrappedLines_ = 1;
  int alignArrangeDisabled_ = 0;
  bool ignoreMouseLeave_ = false;
  bool menuBarHook_ = false;
  bool shortCutsRegistered_ = false;
  int computing_ = 0;
  bool tornDown_ = false;
  struct SizingData {
    int Edge = 0;
    RECT ParentBounds{};
    SIZE ClientOffset{};
    int FloatingWidth = 0;
    TBarSizingCandidates Candidates;
    int Chosen = -1;
    int ChosenWidth = 0;
  };
  std::unique_ptr<SizingData> sizing_;
};

class TBarToolbar : public TBarCustomToolbar {
 public:
  static const ui::TClassInfo& Class() {
    static const ui::TClassInfo info{"TBarToolbar", &TBarCustomToolbar::Class()};
    return info;
  }
  const ui::TClassInfo& ClassType() const override { return Class(); }
  using TBarCustomToolbar::TBarCustomToolbar;
};

// --- The application's shortcut handling, shared by every toolbar that takes part.

// The toolbars registered now, in registration order.
const std::vector<TBarCustomToolbar*>& ShortCutToolbars();
// Whether the registry's hook on the application's window is in place.
bool ShortCutHookInstalled();
// A key-down the application is about to handle: the registered toolbars of the active form,
// then of the main form, may take it as a shortcut. True when one did.
bool ProcessShortCutKeyDown(WPARAM keyCode, LPARAM keyData);
// A system command (WM_SYSCOMMAND) the active form received: the first dock or toolbar of it
// that answers it non-zero takes it. True when one did.
bool ProcessSysCommandNotice(ui::TMessage& message);

}  // namespace movra::bars
