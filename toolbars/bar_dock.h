#pragma once
// Docks along the edges of a form, the windows that dock in them or float in tool windows of
// their own, and the arrangement of docked windows in rows.
#include <windows.h>

#include <string>
#include <vector>

#include "runtime/ui/classes.h"
#include "runtime/ui/controls.h"
#include "runtime/ui/forms.h"

namespace movra::bars {

using movra::ui::TClassInfo;
using movra::ui::TComponent;
using movra::ui::TControl;
using movra::ui::TMessage;
using movra::ui::TNotifyEvent;
using movra::ui::TObject;
using movra::ui::TOperation;
using movra::ui::TWinControl;

using movra::ui::EInvalidOperation;

enum class TBarDockPosition { dpTop, dpBottom, dpLeft, dpRight };
// A set of dock positions: bit (1 << position).
using TBarDockableTo = unsigned;
constexpr TBarDockableTo DockableBit(TBarDockPosition p) { return 1u << static_cast<unsigned>(p); }
inline constexpr TBarDockableTo AllDockPositions = 15;
enum class TBarDockMode { dmCanFloat, dmCannotFloat, dmCannotFloatOrChangeDocks };
enum class TBarFloatingMode { fmOnTopOfParentForm, fmOnTopOfAllForms };
enum class TBarDragHandleStyle { dhDouble, dhNone, dhSingle };
enum class TBarShrinkMode { tbsmNone, tbsmWrap, tbsmChevron };
enum class TBorderStyle { bsNone, bsSingle };
enum TBarDockBoundLine : unsigned { blTop = 1, blBottom = 2, blLeft = 4, blRight = 8 };
using TBarDockBoundLines = unsigned;

// Dock types shared by docks, dockable windows, toolbars and panels.
inline constexpr int dtNotDocked = 0;
inline constexpr int dtFloating = 1;
inline constexpr int dtTopBottom = 2;
inline constexpr int dtLeftRight = 3;

// Private hit-test codes of docked windows and floating parents.
inline constexpr int HT_BAR_DRAGHANDLE = 2000;
inline constexpr int HT_BAR_CLOSE = 2001;
inline constexpr int HT_BAR_CAPTION = 2002;

class TBarDock;
class TBarCustomDockableWindow;
class TBarFloatingWindowParent;

using TBarDockChangingEvent = movra::ui::TDelegate<TObject*, bool, TBarDock*>;
using TBarInsertRemoveEvent = movra::ui::TDelegate<TObject*, bool, TBarCustomDockableWindow*>;
using TBarRequestDockEvent = movra::ui::TDelegate<TObject*, TBarCustomDockableWindow*, bool&>;
using TBarCloseQueryEvent = movra::ui::TDelegate<TObject*, bool&>;

// A shared background that docks and their bars paint; a background component derives from it.
class TBarBasicBackground : public TComponent {
 public:
  static const TClassInfo& Class() {
    static const TClassInfo info{"TBarBasicBackground", &TComponent::Class()};
    return info;
  }
  const TClassInfo& ClassType() const override { return Class(); }
  using TComponent::TComponent;

  virtual void PaintTo(HDC dc, const RECT& rect) = 0;
  virtual HPALETTE PaletteHandle() = 0;
  virtual void AddChangeListener(const TNotifyEvent& listener) = 0;
  virtual void SystemColorsChanged() = 0;
  virtual void RemoveChangeListener(const TNotifyEvent& listener) = 0;
  virtual bool InUse() = 0;
};

// What the arrangement works with for each bar of a dock, in sorted order.
struct TBarArrangeRecord {
  int EffectiveRow = -1;
  int Row = 0;
  int Gap = 0;
  int FullLength = 0;
  int ShrunkLength = 0;
  int CurrentLength = 0;
  int Overlap = 0;
  int Position = 0;
  TBarShrinkMode ShrinkMode = TBarShrinkMode::tbsmNone;
  bool NeedsRelayout = false;
};

class TBarDock : public movra::ui::TCustomControl {
 public:
  static const TClassInfo& Class() {
    static const TClassInfo info{"TBarDock", &TCustomControl::Class()};
    return info;
  }
  const TClassInfo& ClassType() const override { return Class(); }

  explicit TBarDock(TComponent* owner);
  ~TBarDock() override;
  void BeforeDestruction() override;

  TBarDockPosition Position() const { return position_; }
  void SetPosition(TBarDockPosition position);
  bool IsSideDock() const { return position_ == TBarDockPosition::dpLeft || position_ == TBarDockPosition::dpRight; }
  bool AllowDrag() const { return allowDrag_; }
  void SetAllowDrag(bool on);
  TBarDockBoundLines BoundLines() const { return boundLines_; }
  void SetBoundLines(TBarDockBoundLines lines);
  TBarBasicBackground* Background() const { return background_; }
  void SetBackground(TBarBasicBackground* background);
  bool BackgroundOnToolbars() const { return backgroundOnToolbars_; }
  void SetBackgroundOnToolbars(bool on);
  bool FixAlign() const { return fixAlign_; }
  void SetFixAlign(bool on);
  bool LimitToOneRow() const { return limitToOneRow_; }
  void SetLimitToOneRow(bool on);

  TBarInsertRemoveEvent OnInsertRemoveBar;
  TBarRequestDockEvent OnRequestDock;

  void SetParent(TWinControl* parent) override;

  virtual bool DragAllowed(TBarCustomDockableWindow* window);
  virtual void PaintBackground(HDC dc, const RECT& rect);
  virtual bool BackgroundInUse();
  virtual void ArrangeBars();

  void SuspendArrange() { ++arrangeSuspend_; }
  void ResumeArrange();
  bool HasVisibleBars() const;
  // The thickest bar shown in the effective row; `fullSize` tells whether the last one
  // measured is a full-size bar.
  int RowThickness(int row, bool& fullSize) const;
  int RowAt(int offset) const;
  int HighestRow(bool effective) const;
  int LargestOtherRowSize(int row, const TBarCustomDockableWindow* window) const;
  void ResizeKeepingFarEdge(int width, int height);
  int VisibleBarCount() const { return static_cast<int>(visibleList_.size()); }
  TBarCustomDockableWindow* VisibleBarAt(int index) const { return visibleList_.at(static_cast<size_t>(index)); }
  int DockListCount() const { return static_cast<int>(dockList_.size()); }
  TBarCustomDockableWindow* DockListAt(int index) const { return dockList_.at(static_cast<size_t>(index)); }
  int NonClientWidth() const { return ncWidth_; }
  int NonClientHeight() const { return ncHeight_; }

  // The drag loop's handles on the arrangement.
  TBarCustomDockableWindow* DraggedBar() const { return draggedBar_; }
  void SetDraggedBar(TBarCustomDockableWindow* bar) { draggedBar_ = bar; }
  bool DragSplitting() const { return dragSplitting_; }
  void SetDragSplitting(bool on) { dragSplitting_ = on; }
  bool DragCanSplit() const { return dragCanSplit_; }
  void SetDragCanSplit(bool on) { dragCanSplit_ = on; }
  void SetCommitPositions(bool on) { commitPositions_ = on; }

  // Membership, kept by the dockable windows.
  void AddToDockList(TBarCustomDockableWindow* window);
  void RemoveFromDockList(TBarCustomDockableWindow* window);
  // Brings the visible list up to date; `forcedOut` is left out whatever its state.
  void UpdateVisibleList(TBarCustomDockableWindow* forcedOut = nullptr);

  void WndProc(TMessage& message) override;

 protected:
  void CreateParams(movra::ui::TCreateParams& params) override;
  void AlignControls(RECT rect) override;
  void Loaded() override;
  void Notification(TComponent* component, TOperation operation) override;
  void Paint() override;

  // For docks that arrange their bars their own way. True (and the request noted) while
  // arrangement is suspended or the dock is loading.
  bool ArrangeDeferred();
  // Holds arrangement off for its life; at its end the request and the commit flag are reset.
  class TArrangeScope {
   public:
    explicit TArrangeScope(TBarDock& dock);
    ~TArrangeScope();
    TArrangeScope(const TArrangeScope&) = delete;
    TArrangeScope& operator=(const TArrangeScope&) = delete;

   private:
    TBarDock& dock_;
  };
  bool CommittingPositions() const { return commitPositions_; }
  // Bars being destroyed leave both lists.
  void DropDestroyedBars();
  void SetDockListOrder(const std::vector<TBarCustomDockableWindow*>& bars) { dockList_ = bars; }
  // The arrangement's result for one bar; committed, it becomes the bar's row and position.
  static void SetEffectivePlace(TBarCustomDockableWindow* bar, int row, int pos, bool commit);
  // Sets a bar's bounds as the arrangement does: no size bookkeeping of the bar's own.
  static void PlaceBar(TBarCustomDockableWindow* bar, int left, int top, int width, int height);

 private:
  friend class TBarCustomDockableWindow;
  void PaintNonClient(HDC dc);
  void BackgroundChanged(TObject*);
  void RepaintWithBars();
  bool RelayToFloating(TMessage& message);
  void ArrangeRows(std::vector<TBarCustomDockableWindow*>& bars, std::vector<TBarArrangeRecord>& records,
                   int rowSpace);
  void ApplyBounds(std::vector<TBarCustomDockableWindow*>& bars, std::vector<TBarArrangeRecord>& records,
                   int& rowCount);

  TBarDockPosition position_ = TBarDockPosition::dpTop;
  bool allowDrag_ = true;
  TBarDockBoundLines boundLines_ = 0;
  TBarBasicBackground* background_ = nullptr;
  bool backgroundOnToolbars_ = true;
  bool fixAlign_ = false;
  bool limitToOneRow_ = false;
  int arrangeSuspend_ = 0;
  bool arrangeRequested_ = false;
  bool commitPositions_ = false;
  TBarCustomDockableWindow* draggedBar_ = nullptr;
  bool dragSplitting_ = false;
  bool dragCanSplit_ = false;
  int ncWidth_ = 0;
  int ncHeight_ = 0;
  std::vector<TBarCustomDockableWindow*> dockList_;
  std::vector<TBarCustomDockableWindow*> visibleList_;
};

// The drag-handle size of a docked window and the offset of its first grip bar.
int DragHandleSize(bool closeButtonWhenDocked, TBarDragHandleStyle style);
int FirstGripOffset(bool closeButtonWhenDocked, TBarDragHandleStyle style);

class TBarCustomDockableWindow : public movra::ui::TCustomControl {
 public:
  static const TClassInfo& Class() {
    static const TClassInfo info{"TBarCustomDockableWindow", &TCustomControl::Class()};
    return info;
  }
  const TClassInfo& ClassType() const override { return Class(); }

  explicit TBarCustomDockableWindow(TComponent* owner);
  ~TBarCustomDockableWindow() override;
  void BeforeDestruction() override;

  // Properties.
  bool ActivateParent() const { return activateParent_; }
  void SetActivateParent(bool on) { activateParent_ = on; }
  bool AutoResize() const { return autoResize_; }
  void SetAutoResize(bool on);
  TBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TBorderStyle style);
  bool CloseButton() const { return closeButton_; }
  void SetCloseButton(bool on);
  bool CloseButtonWhenDocked() const { return closeButtonWhenDocked_; }
  void SetCloseButtonWhenDocked(bool on);
  TBarDock* CurrentDock() const { return currentDock_; }
  void SetCurrentDock(TBarDock* dock);
  bool DblClickUndock() const { return dblClickUndock_; }
  void SetDblClickUndock(bool on) { dblClickUndock_ = on; }
  TBarDock* DefaultDock() const { return defaultDock_; }
  void SetDefaultDock(TBarDock* dock);
  TBarDockableTo DockableTo() const { return dockableTo_; }
  void SetDockableTo(TBarDockableTo to) { dockableTo_ = to; }
  TBarDockMode DockMode() const { return dockMode_; }
  void SetDockMode(TBarDockMode mode) { dockMode_ = mode; }
  int DockPos() const { return dockPos_; }
  void SetDockPos(int pos);
  int DockRow() const { return dockRow_; }
  void SetDockRow(int row);
  TBarDragHandleStyle DragHandleStyle() const { return dragHandleStyle_; }
  void SetDragHandleStyle(TBarDragHandleStyle style);
  TBarFloatingMode FloatingMode() const { return floatingMode_; }
  void SetFloatingMode(TBarFloatingMode mode);
  bool FullSize() const { return fullSize_; }
  void SetFullSize(bool on);
  bool HideWhenInactive() const { return hideWhenInactive_; }
  void SetHideWhenInactive(bool on);
  TBarDock* LastDock() const { return lastDock_; }
  void SetLastDock(TBarDock* dock);
  bool Resizable() const { return resizable_; }
  void SetResizable(bool on);
  bool ShowCaption() const { return showCaption_; }
  void SetShowCaption(bool on);
  bool SmoothDrag() const { return smoothDrag_; }
  void SetSmoothDrag(bool on) { smoothDrag_ = on; }
  bool Stretch() const { return stretch_; }
  void SetStretch(bool on);
  bool UseLastDock() const { return useLastDock_; }
  void SetUseLastDock(bool on);

  TNotifyEvent OnClose;
  TBarCloseQueryEvent OnCloseQuery;
  TNotifyEvent OnDockChanged;
  TBarDockChangingEvent OnDockChanging;
  TBarDockChangingEvent OnDockChangingHidden;
  TNotifyEvent OnMove;
  TNotifyEvent OnRecreated;
  TNotifyEvent OnRecreating;
  TNotifyEvent OnVisibleChanged;

  // State.
  bool Docked() const { return docked_; }
  bool Floating() const { return floating_; }
  void SetFloating(bool on);
  TBarFloatingWindowParent* FloatingParent() const { return floatingParent_; }
  POINT FloatingPosition() const { return floatingPosition_; }
  void SetFloatingPosition(POINT p);
  int EffectiveRow() const { return effectiveRow_; }
  int EffectivePos() const { return effectivePos_; }
  int CurrentSize() const { return currentSize_; }
  void SetCurrentSize(int size) { currentSize_ = size; }
  int LastRowSize() const { return lastRowSize_; }
  int DockType() const;
  bool Dragging() const { return dragging_; }
  bool CloseButtonHover() const { return closeHover_; }
  bool CloseButtonPressed() const { return closePressed_; }
  bool InactiveCaption() const { return inactiveCaption_; }
  bool InsertRowBefore() const { return insertRowBefore_; }
  // Style bits: resize from eight corners (1), clip the cursor while sizing (2).
  unsigned DockableStyle() const { return styleBits_; }
  void SetDockableStyle(unsigned bits) { styleBits_ = bits; }
  // Forms besides the top form whose docks a drag may reach.
  std::vector<movra::ui::TCustomForm*>& ExtraForms() { return extraForms_; }

  void SetParent(TWinControl* parent) override;
  // A floating window sizes its floating parent around the requested client size.
  void SetBounds(int left, int top, int width, int height) override;
  RECT ClientRect() const override;
  void SuspendArrange() { ++arrangeSuspend_; }
  void ResumeArrange();
  void RecomputeSize();
  void KeepOnScreen(bool onlyIfOffScreen = true);
  bool CanBeDragged() const;
  void Close();
  void ToggleDocking();
  // The top form: the form it sits on, or the owner form of its floating parent.
  movra::ui::TCustomForm* TopForm() const;
  // Re-evaluates whether the window is shown (owner form state, application activity).
  void UpdateShowing();
  bool ShownByRule() const { return shownByRule_; }

  // Sizes and operations the dock and the loops call.
  virtual void NonClientSizes(SIZE& size);
  virtual bool AcceptsDock(TBarDock* dock);
  virtual bool PointOnChildControl(POINT p);
  virtual void ComputeLayout(bool recalculate, int previousDockType, SIZE& size, TBarDock* dockingTo,
                             bool floating) = 0;
  virtual void PaintNonClient(bool useGivenDc, HDC dc, HRGN updateRegion);
  virtual void BaseSize(SIZE& size) = 0;
  virtual void CloseButtonRect(bool vertical, RECT& rect);
  virtual void MinimumShrunkLength(int& length);
  virtual void SizingLimits(int& minWidth, int& minHeight, int& maxHeight, int& maxWidth);
  virtual TBarShrinkMode CurrentShrinkMode();
  virtual void SizeChanging(int width, int height);
  virtual void FloatingBorderSize(SIZE& size);

  virtual bool IsInternalControl(TControl* control);
  virtual void DockChangingHidden(bool floating, TBarDock* dock);
  virtual TBarFloatingWindowParent* CreateFloatingParent();
  virtual void AfterLoadHook() {}
  virtual void SizingBegin(int edge);
  virtual void SizingEnd() {}
  virtual void SizingTrack(RECT& newRect, const RECT& startRect);
  virtual void SizingApply() {}

  // The drag loop and the sizing loop (the loops themselves live with the drag code).
  void BeginDrag(POINT clientPoint);
  void BeginSizing(int edge);

  void WndProc(TMessage& message) override;

 protected:
  void Loaded() override;
  void Notification(TComponent* component, TOperation operation) override;
  void VisibleChanged() override;
  void MouseDown(movra::ui::TMouseButton button, movra::ui::TShiftState shift, int x, int y) override;
  int DragHandleSize() const;
  bool DockAllowsDrag() const { return docked_ && currentDock_ && currentDock_->AllowDrag(); }

 private:
  friend class TBarDock;
  friend class TBarFloatingWindowParent;
  friend class TBarDragLoop;
  friend class TBarSizingLoop;
  void RefreshDockState();
  void UpdateFloatingRegistration();
  void ApplyShowing(bool shown);
  void RunCloseButtonLoop(HWND window, const std::function<bool(POINT)>& inside, const std::function<void()>& repaint);
  void RepaintFrame();
  void RepaintOverBackground();
  void RecalcNonClient();
  void FreeFloatingParent();
  bool ComputeShown();
  void SyncTopmost();
  void PassActivation();
  void SetInsertRowBefore(bool on) { insertRowBefore_ = on; }
  void DoMove();

  bool activateParent_ = true;
  bool autoResize_ = true;
  TBorderStyle borderStyle_ = TBorderStyle::bsSingle;
  bool closeButton_ = true;
  bool closeButtonWhenDocked_ = false;
  TBarDock* currentDock_ = nullptr;
  bool dblClickUndock_ = true;
  TBarDock* defaultDock_ = nullptr;
  TBarDockableTo dockableTo_ = AllDockPositions;
  TBarDockMode dockMode_ = TBarDockMode::dmCanFloat;
  int dockPos_ = -1;
  int dockRow_ = 0;
  TBarDragHandleStyle dragHandleStyle_ = TBarDragHandleStyle::dhSingle;
  TBarFloatingMode floatingMode_ = TBarFloatingMode::fmOnTopOfParentForm;
  bool fullSize_ = false;
  bool hideWhenInactive_ = true;
  TBarDock* lastDock_ = nullptr;
  bool resizable_ = true;
  bool showCaption_ = true;
  bool smoothDrag_ = true;
  bool stretch_ = false;
  bool useLastDock_ = true;

  bool docked_ = false;
  bool floating_ = false;
  int effectiveRow_ = -1;
  int effectivePos_ = 0;
  int currentSize_ = 0;
  int lastRowSize_ = 0;
  POINT floatingPosition_{0, 0};
  TBarFloatingWindowParent* floatingParent_ = nullptr;
  std::vector<movra::ui::TCustomForm*> extraForms_;
  int arrangeSuspend_ = 0;
  bool arrangeNeeded_ = false;
  int boundsUpdate_ = 0;
  int hidden_ = 0;
  int moveSuspend_ = 0;
  bool insertRowBefore_ = false;
  bool dragging_ = false;
  bool smoothDragging_ = false;
  bool closeHover_ = false;
  bool closePressed_ = false;
  bool inactiveCaption_ = false;
  bool moved_ = false;
  bool shownByRule_ = false;
  bool showingKnown_ = false;
  bool inReparent_ = false;
  unsigned styleBits_ = 3;
};

// The tool window a floating dockable window lives in.
class TBarFloatingWindowParent : public movra::ui::TCustomForm {
 public:
  static const TClassInfo& Class() {
    static const TClassInfo info{"TBarFloatingWindowParent", &TCustomForm::Class()};
    return info;
  }
  const TClassInfo& ClassType() const override { return Class(); }

  explicit TBarFloatingWindowParent(TComponent* owner);
  ~TBarFloatingWindowParent() override;

  TBarCustomDockableWindow* DockableWindow() const { return window_; }
  movra::ui::TCustomForm* OwnerForm() const { return ownerForm_; }
  bool CloseButtonPressed() const { return closePressed_; }
  bool ShouldShow() const { return shouldShow_; }

  // Parts: 1 frame, 2 caption, 4 close button.
  virtual void PaintFrame(bool useGivenDc, HDC dc, unsigned parts, HRGN updateRegion);
  // The band heights of the frame: border and caption.
  SIZE BorderSize() const;
  int CaptionHeight() const;
  // In window coordinates.
  RECT CaptionRect() const;
  RECT CloseButtonRect() const;
  // The size of the frame around the client area (left + right, top + bottom).
  SIZE NonClientSize() const;
  int HitTest(int x, int y) const;
  // Shows or hides the window by the rule and the should-show flag.
  void UpdateWindowShowing();

  void WndProc(TMessage& message) override;

 protected:
  void CreateParams(movra::ui::TCreateParams& params) override;
  void AlignControls(RECT) override {}
  void VisibleChanged() override;

 private:
  friend class TBarCustomDockableWindow;
  TBarCustomDockableWindow* window_ = nullptr;
  movra::ui::TCustomForm* ownerForm_ = nullptr;
  bool closePressed_ = false;
  bool shouldShow_ = false;
  bool ownedShown_ = false;
};

// The floating windows the shared hook callback walks.
const std::vector<TBarCustomDockableWindow*>& FloatingWindows();

}  // namespace movra::bars
