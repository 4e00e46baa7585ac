#pragma once
// Views: the children of one item shown in one window (a toolbar's client area or a popup
// window). A view listens to its item, keeps one viewer per child, lays the viewers out (the
// arithmetic is in bar_view_layout.h), tracks the selected viewer, opens and closes child
// popups through timers and the keyboard, records the action chosen while a menu is tracked,
// and paints its viewers.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "runtime/ui/classes.h"
#include "runtime/ui/controls.h"
#include "runtime/ui/graphics.h"
#include "toolbars/bar_item.h"
#include "toolbars/bar_view_layout.h"
#include "toolbars/bar_viewer.h"

namespace movra::bars {

class TBarView;
class TBarViewAccObject;

// State bits of a view.
inline constexpr unsigned vsTracking = 0x01;          // a modal tracking loop runs on this chain
inline constexpr unsigned vsMouseInWindow = 0x02;
inline constexpr unsigned vsFirstPaintPending = 0x04; // set when the popup opens
inline constexpr unsigned vsSubmenusLeft = 0x08;      // submenus of this view open to the left
inline constexpr unsigned vsModalRootPopup = 0x10;    // opened by an item's Popup
inline constexpr unsigned vsAcceleratorsShown = 0x20;
inline constexpr unsigned vsDropDownMode = 0x40;      // buttons open their popups as the selection moves
inline constexpr unsigned vsChildPopupDestroyed = 0x80;

// Style bits of a view.
inline constexpr unsigned vstMenuBar = 0x01;
inline constexpr unsigned vstHideAccelerators = 0x02;  // hide accelerators unless keyboard cues are on
inline constexpr unsigned vstShowHints = 0x04;         // copied into the view of a chevron popup

// View timers: identifier kTimerIdBase + kind, on popup windows only.
enum TBarViewTimer : int { vtOpenSubmenu = 0, vtCloseSubmenu = 1, vtScrollUp = 2, vtScrollDown = 3 };
inline constexpr UINT_PTR kViewTimerIdBase = 9000;
inline constexpr int kScrollTimerInterval = 100;

// Options of EnterToolbarLoop.
inline constexpr unsigned tloMousePress = 1;
inline constexpr unsigned tloExecuteSelected = 2;
inline constexpr unsigned tloFromAccessibility = 4;

// A class reference for views.
struct TBarViewClass {
  const ui::TClassInfo* Info = nullptr;
  TBarView* (*Create)(ui::TComponent* owner, TBarView* parentView, TBarCustomItem* parentItem,
                      ui::TWinControl* window, bool isToolbar, bool customizing, bool usePriorityList) = nullptr;
};

// The menu-tracking loop of a window; the popup unit supplies it (SetBarModalLoopFactory).
class IBarModalLoop {
 public:
  virtual ~IBarModalLoop() = default;
  // Tracks the chain of `rootView` until a done action is recorded or the capture is lost.
  virtual void Loop(TBarView& rootView, bool mousePress, bool executeSelected, bool fromAccessibility,
                    bool rightButtonTracks) = 0;
};
using TBarModalLoopFactory = std::unique_ptr<IBarModalLoop> (*)(HWND window);
// Marks the loop's last cursor position unknown, so that its next pass reads the cursor again.
using TBarCursorInvalidator = void (*)();
void SetBarModalLoopFactory(TBarModalLoopFactory factory, TBarCursorInvalidator invalidator);

// The answer of a view's window to WM_GETOBJECT: true, with `result` set, for a request of the
// client object when the accessibility library is there; false leaves the message to the window.
bool AnswerViewObjectRequest(TBarView& view, WPARAM wParam, LPARAM lParam, LRESULT& result);

// The process-wide menu font (the system's menu font), made on first use.
ui::TFont& BarMenuFont();
// Reads the system's menu font again (after a settings change).
void RefreshBarMenuFont();

class TBarView : public ui::TComponent, public IBarView {
 public:
  static const ui::TClassInfo& Class() {
    static const ui::TClassInfo info{"TBarView", &ui::TComponent::Class()};
    return info;
  }
  const ui::TClassInfo& ClassType() const override { return Class(); }

  // Links to `parentItem` (or its LinkSubitems target) and builds the viewers. A subclass whose
  // overrides add viewers (the chevron, MDI items) calls RecreateAllViewers when constructed.
  TBarView(ui::TComponent* owner, TBarView* parentView, TBarCustomItem* parentItem, ui::TWinControl* window,
           bool isToolbar, bool customizing, bool usePriorityList);
  ~TBarView() override;
  void BeforeDestruction() override;

  // --- Virtual operations
  virtual void FitWindowToContent(int width, int height);
  virtual void ArrangeViewers(POINT& size);
  virtual TBarCustomItem* ChevronItemQuery() { return nullptr; }
  virtual void ContentMargins(TBarViewOrientation orientation, RECT& margins);
  virtual TBarCustomItem* MDIControlsItem() { return nullptr; }
  virtual TBarCustomItem* MDIChildIconItem() { return nullptr; }
  virtual void ProcessNavigationKey(WORD& key);
  ui::TFont& FontForDrawing() override;
  virtual void InvalidateLayout();

  // --- IBarView
  bool IsToolbar() const override { return isToolbar_; }
  bool ToolbarLayout() const override { return isToolbar_ || toolbarLayout_; }
  bool IsMenuBar() const override { return (style_ & vstMenuBar) != 0; }
  bool IsVertical() const override { return orientation_ == bvoVertical; }
  bool IsFloating() const override { return orientation_ == bvoFloating; }
  bool Customizing() const override { return customizing_; }
  TBarView* ParentView() const override { return parentView_; }
  TBarCustomItem* ParentItem() const override { return parentItem_; }
  TBarCustomItem* CurParentItem() const override { return curParentItem_; }
  bool HidesAcceleratorsUntilCues() const override { return (style_ & vstHideAccelerators) != 0; }
  bool AcceleratorsShown() const override { return (state_ & vsAcceleratorsShown) != 0; }
  bool Tracking() const override { return (state_ & vsTracking) != 0; }
  POINT ClientToScreen(POINT point) const override;
  POINT ScreenToClient(POINT point) const override;
  int ViewerCount() const override { return static_cast<int>(viewers_.size()); }
  TBarItemViewer* ViewerAt(int index) const override;
  TBarItemViewer* Selected() const override { return selected_; }
  bool MouseOverSelected() const override { return mouseOverSelected_; }
  bool Capture() const override { return capture_; }
  void SetCapture() override;
  void CancelCapture() override;
  TBarItemViewer* OpenViewer() const override { return openViewer_; }
  TBarView* OpenViewerView() const override { return openViewerView_; }
  bool OpenChildPopup(bool selectFirst) override;
  void CancelChildPopups() override;
  void SetDoneActionClick(TBarItemViewer* viewer) override;
  void EndTracking() override;
  void PromoteViewer(TBarItemViewer* viewer) override;
  void InvalidateViewer(TBarItemViewer* viewer) override;

  // --- Fields
  bool IsPopup() const { return !isToolbar_; }
  ui::TColor BackgroundColor() const { return backgroundColor_; }
  void SetBackgroundColor(ui::TColor color) { backgroundColor_ = color; }
  TBarView* ChevronParentView() const { return chevronParentView_; }
  void SetChevronParentView(TBarView* view);
  // Sizes and draws the items as on a toolbar, laid along lines that wrap at WrapOffset.
  void SetToolbarLayout(bool on);
  TBarDoneAction& DoneAction() { return doneAction_; }
  int MaxHeight() const { return maxHeight_; }
  void SetMaxHeight(int height) { maxHeight_ = height; }
  const RECT& MonitorRect() const { return monitorRect_; }
  void SetMonitorRect(const RECT& rect) { monitorRect_ = rect; }
  bool NewViewersGetHighestPriority() const { return newViewersGetHighestPriority_; }
  void SetNewViewersGetHighestPriority(bool on) { newViewersGetHighestPriority_ = on; }
  ui::TWinControl* OpenViewerWindow() const { return openViewerWindow_; }
  // Recorded by whoever opened a child popup of `viewer`: its view and window (the view frees
  // the window when it closes its child popups).
  void SetOpenViewer(TBarItemViewer* viewer, TBarView* view, ui::TWinControl* window);
  // Chevron priority order, highest first; nullptr while the view keeps none.
  const std::vector<TBarItemViewer*>* PriorityList() const { return priorityList_.get(); }
  TBarViewOrientation Orientation() const { return orientation_; }
  void SetOrientation(TBarViewOrientation orientation) { orientation_ = orientation; }
  int ScrollOffset() const { return scrollOffset_; }
  void SetScrollOffset(int offset) { scrollOffset_ = offset; }
  bool SelectedViaMouse() const { return selectedViaMouse_; }
  unsigned State() const { return state_; }
  void SetState(unsigned state) { state_ = state; }
  void IncludeState(unsigned bits) { state_ |= bits; }
  void ExcludeState(unsigned bits) { state_ &= ~bits; }
  unsigned Style() const { return style_; }
  void SetStyle(unsigned style) { style_ = style; }
  bool ShowUpArrow() const { return showUpArrow_; }
  bool ShowDownArrow() const { return showDownArrow_; }
  bool UsePriorityList() const { return usePriorityList_; }
  void SetUsePriorityList(bool on);
  int Updating() const { return updating_; }
  bool Validated() const { return validated_; }
  const std::vector<TBarItemViewer*>& Viewers() const { return viewers_; }
  int InternalViewersAtFront() const { return internalAtFront_; }
  int InternalViewersAtEnd() const { return internalAtEnd_; }
  ui::TWinControl* Window() const override { return window_; }
  int WrapOffset() const { return wrapOffset_; }
  void SetWrapOffset(int offset) { wrapOffset_ = offset; }
  POINT BaseSize() const { return baseSize_; }
  int ChevronOffset() const { return chevronOffset_; }
  void SetChevronOffset(int offset) { chevronOffset_ = offset; }
  int ChevronSize() const { return chevronSize_; }
  void SetChevronSize(int size) { chevronSize_ = size; }
  unsigned RunningTimers() const { return runningTimers_; }

  // --- Viewers
  // Raises EBarItemError when no viewer shows `item`.
  TBarItemViewer* Find(const TBarCustomItem* item) const;
  int IndexOf(const TBarItemViewer* viewer) const;
  TBarItemViewer* ViewerFromPoint(POINT clientPoint);
  // The controls of control items that the chevron hides.
  void GetControls(std::vector<ui::TControl*>& list);
  TBarItemViewer* HighestPriorityViewer();
  // Frees every viewer and builds them again from the current parent item.
  void RecreateAllViewers();

  // --- The chain of views
  TBarView* RootView();
  TBarView* NearestToolbarView();
  bool IsSelfOrAncestorOf(const TBarView* view) const;

  // --- Layout and painting
  void BeginUpdate() { ++updating_; }
  void EndUpdate();
  void RecalcIfNeeded();
  void ValidatePositions();
  POINT ContentSize();
  // Lays the viewers out for `orientation` and the given limits; `size` enters as the least
  // size and leaves as the content's. Only `commit` changes the viewers; true when their
  // bounds, visibility or line breaks changed.
  bool Layout(bool commit, TBarViewOrientation orientation, int& wrappedLines, POINT& size, POINT& baseSize,
              int chevronSize, int chevronOffset, int wrapOffset);
  void DrawViewer(TBarItemViewer* viewer, ui::TCanvas& canvas, bool offscreen);
  void DrawAll(ui::TCanvas& canvas);

  // --- Selection
  void SetSelected(TBarItemViewer* viewer, bool viaMouse);
  TBarItemViewer* FirstSelectable();
  TBarItemViewer* NextSelectable(TBarItemViewer* viewer, bool forward);
  void SelectNext(bool forward);
  void MouseMoved(POINT screenPoint, bool force);

  // --- Child popups and timers
  void CloseChildPopups();
  void StartTimer(TBarViewTimer kind, int interval);
  void StopTimer(TBarViewTimer kind);
  void StopAllTimers();

  // --- Tracking
  void EnterToolbarLoop(unsigned options);
  void SetDoneActionHelp(int context);
  void SetDoneActionSysKey(HWND window, int key);
  void ExecuteSelected(bool promote);

  // --- Keyboard
  // The next viewer after `after` whose accelerator (or, unless `acceleratorsOnly`, first
  // caption character) is `ch`; `unique` tells whether no other viewer of that pass matches.
  TBarItemViewer* FindAccelViewer(TBarItemViewer* after, char32_t ch, bool& unique, bool acceleratorsOnly);
  void UpdateKeyboardCues(bool force);

  // --- Scrolling
  void ScrollStep(bool down);
  void ScrollSelectedIntoView();

  // --- Accessibility
  // The view's accessibility object, made on demand (the view keeps one reference); nullptr
  // without the accessibility library.
  TBarViewAccObject* AccObject();
  // Announces the selection as the focused child while the chain is tracking.
  void NotifyFocus();

 protected:
  void Notification(ui::TComponent* component, ui::TOperation operation) override;

 private:
  void Teardown();
  void ParentItemNotification(TBarCustomItem* ancestor, bool relayed, TBarItemChangeKind kind, int index,
                              TBarCustomItem* item);
  void ItemNotification(TBarCustomItem* ancestor, bool relayed, TBarItemChangeKind kind, int index,
                        TBarCustomItem* item);
  void LinkNotificationsToCurrentItem();
  void SubMenuImagesChanged();
  // Creates the viewers of `item` at `index` (and, for an embedded group, of its children);
  // returns how many it made.
  int AddViewers(TBarCustomItem* item, int index, int groupLevel, bool enterPriority, bool highestPriority);
  void InsertViewerFor(TBarCustomItem* ancestor, TBarCustomItem* item);
  void DeleteViewersOf(TBarCustomItem* item);
  void RecreateViewersOf(TBarCustomItem* item);
  std::unique_ptr<TBarItemViewer> NewViewer(TBarCustomItem* item, int groupLevel);
  TBarItemViewer* ReplaceViewer(int index, std::unique_ptr<TBarItemViewer> replacement);
  // Takes the viewer out of the selection, its popup and the priority list before it goes.
  void ReleaseViewer(TBarItemViewer* viewer);
  void FreeAllViewers();
  bool IsControlItem(const TBarCustomItem* item) const;
  bool IsChevronPopupView() const { return chevronParentView_ != nullptr; }
  bool ViewerTakesPart(int index);
  void RepaintViewer(TBarItemViewer* viewer);
  void RepaintWholeWindowOffscreen();
  void PromoteInList(TBarItemViewer* viewer);

  TBarView* parentView_;
  TBarCustomItem* parentItem_;
  TBarCustomItem* curParentItem_ = nullptr;
  ui::TWinControl* window_;
  bool isToolbar_;
  bool customizing_;
  bool usePriorityList_;

  unsigned runningTimers_ = 0;
  ui::TColor backgroundColor_ = ui::clDefault;
  TBarView* chevronParentView_ = nullptr;
  bool toolbarLayout_ = false;
  TBarDoneAction doneAction_;
  int maxHeight_ = 0;
  RECT monitorRect_{};
  bool newViewersGetHighestPriority_ = true;
  TBarItemViewer* openViewer_ = nullptr;
  TBarView* openViewerView_ = nullptr;
  ui::TWinControl* openViewerWindow_ = nullptr;
  std::unique_ptr<std::vector<TBarItemViewer*>> priorityList_;
  TBarViewOrientation orientation_ = bvoHorizontal;
  int scrollOffset_ = 0;
  TBarItemViewer* selected_ = nullptr;
  bool selectedViaMouse_ = false;
  bool mouseOverSelected_ = false;
  bool capture_ = false;
  unsigned state_ = 0;
  unsigned style_ = 0;
  bool showUpArrow_ = false;
  bool showDownArrow_ = false;
  int updating_ = 0;
  bool validated_ = false;
  std::vector<TBarItemViewer*> viewers_;  // owned
  int internalAtFront_ = 0;
  int internalAtEnd_ = 0;
  int wrapOffset_ = 0;
  POINT baseSize_{};
  int chevronOffset_ = 0;
  int chevronSize_ = 0;
  bool mouseEntered_ = false;  // a popup the mouse has been in since it opened
  TBarViewAccObject* accObject_ = nullptr;  // one counted reference
  bool tornDown_ = false;
};

template <class T>
TBarViewClass ViewClassOf() {
  return {&T::Class(), [](ui::TComponent* owner, TBarView* parentView, TBarCustomItem* parentItem,
                          ui::TWinControl* window, bool isToolbar, bool customizing, bool usePriorityList) -> TBarView* {
            return new T(owner, parentView, parentItem, window, isToolbar, customizing, usePriorityList);
          }};
}

}  // namespace movra::bars
