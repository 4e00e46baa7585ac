#pragma once
// Dockable panels: themed dockable windows that hold ordinary controls, with a caption, a close
// button, docked and floating sizes and sizing by their inner edge; and the multi-dock, a dock
// that stacks such panels along its length, shares the length among them by their split sizes
// and limits, and lets splitters between neighbours move the share.
#include <windows.h>

#include <string>
#include <vector>

#include "themes/skin_themes.h"
#include "toolbars/bar_dock.h"
#include "toolbars/bar_toolbar.h"

namespace movra::skin {

using bars::TBarCustomDockableWindow;
using bars::TBarDock;
using bars::TBarDockPosition;

enum class TDPCaptionRotation { dpcrAuto, dpcrAlwaysHorz, dpcrAlwaysVert };

// Kinds of dock a panel accepts: a set of these bits.
enum TDockKind : unsigned { dkStandardDock = 1, dkMultiDock = 2 };
using TDockKinds = unsigned;

enum class TSkinResizingStage { rsBeginResizing, rsResizing, rsEndResizing };
// Sender, vertical (the height changes), the new size (may be changed), the stage, allow.
using TSkinDockedResizing = ui::TDelegate<ui::TObject*, bool, int&, TSkinResizingStage, bool&>;

// Hit-test codes of the splitters between the panels of a multi-dock.
inline constexpr int HT_SPLIT_LEFT = 86;
inline constexpr int HT_SPLIT_RIGHT = 87;
inline constexpr int HT_SPLIT_TOP = 88;
inline constexpr int HT_SPLIT_BOTTOM = 89;

// --- The sharing of a multi-dock's length, as numbers ---------------------------------------

// One panel along the dock: its size, least and greatest size (window sizes).
struct TPanelSpan {
  int Size = 0;
  int Min = 0;
  int Max = 0;
};

// Makes the sizes add up to `length` (a maximum below the minimum stands for the length, or the
// minimum when that is larger): every size at its minimum when the minimums reach the
// length; every size at its maximum when the maximums do not; otherwise the difference spread
// in equal shares (running total rounded to nearest, ties to even) over the panels that can
// still move, pass after pass, until it is placed.
void ShareLength(std::vector<TPanelSpan>& spans, int length);

// Moves the splitter after panel `splitter` by `delta`: that panel and, at its limit, the ones
// before it in turn take the change, the ones after it give it back from the nearest on; what
// cannot be placed on both sides is not moved. Returns the distance actually moved.
int MoveSplitter(std::vector<TPanelSpan>& spans, size_t splitter, int delta);

// The hit code of a docked panel's point, in window coordinates of a window `size` big.
struct TPanelHitInfo {
  SIZE Size{};
  bool Resizable = false;
  TBarDockPosition DockPosition = TBarDockPosition::dpTop;
  bool MultiDock = false;
  bool NeighbourBefore = false;
  bool NeighbourAfter = false;
  bool CaptionShown = false;
  RECT CloseButton{};  // empty without a close button
};
int PanelHitTest(const TPanelHitInfo& info, POINT p);

class TSkinDockablePanel;

// --- The multi-dock -------------------------------------------------------------------------

class TSkinMultiDock : public TBarDock {
 public:
  static const ui::TClassInfo& Class() {
    static const ui::TClassInfo info{"TSkinMultiDock", &TBarDock::Class()};
    return info;
  }
  const ui::TClassInfo& ClassType() const override { return Class(); }
  explicit TSkinMultiDock(ui::TComponent* owner);

  // Panels are stacked from top to bottom in a left or right dock.
  bool Vertical() const { return IsSideDock(); }
  int RememberedBreadth() const { return breadth_; }
  // Sets the docked breadth of every visible panel in one arrangement.
  void ResizeVisiblePanels(int size);
  // The visible panels in dock order.
  std::vector<TSkinDockablePanel*> SortedVisiblePanels() const;
  // The panels' spans along the dock, as the arrangement sees them, in the order given.
  std::vector<TPanelSpan> Spans(const std::vector<TSkinDockablePanel*>& panels, int length) const;
  int Length() const;

  bool DragAllowed(TBarCustomDockableWindow* window) override;
  void ArrangeBars() override;
  void InsertControl(ui::TControl* control) override;

 private:
  int breadth_ = 0;
};

// --- The dockable panel ---------------------------------------------------------------------

class TSkinDockablePanel : public TBarCustomDockableWindow, public TSkinListener {
 public:
  static const ui::TClassInfo& Class() {
    static const ui::TClassInfo info{"TSkinDockablePanel", &TBarCustomDockableWindow::Class()};
    return info;
  }
  const ui::TClassInfo& ClassType() const override { return Class(); }
  explicit TSkinDockablePanel(ui::TComponent* owner);
  ~TSkinDockablePanel() override;
  void BeforeDestruction() override;

  int BorderSize() const { return borderSize_; }
  void SetBorderSize(int size);
  TDPCaptionRotation CaptionRotation() const { return captionRotation_; }
  void SetCaptionRotation(TDPCaptionRotation rotation);
  int DockedWidth() const { return dockedWidth_; }
  void SetDockedWidth(int width);
  int DockedHeight() const { return dockedHeight_; }
  void SetDockedHeight(int height);
  int FloatingWidth() const { return floatingWidth_; }
  void SetFloatingWidth(int width);
  int FloatingHeight() const { return floatingHeight_; }
  void SetFloatingHeight(int height);
  int MinClientWidth() const { return minClientWidth_; }
  void SetMinClientWidth(int width);
  int MinClientHeight() const { return minClientHeight_; }
  void SetMinClientHeight(int height);
  int MaxClientWidth() const { return maxClientWidth_; }
  void SetMaxClientWidth(int width);
  int MaxClientHeight() const { return maxClientHeight_; }
  void SetMaxClientHeight(int height);
  int SplitWidth() const { return splitWidth_; }
  void SetSplitWidth(int width);
  int SplitHeight() const { return splitHeight_; }
  void SetSplitHeight(int height);
  bool SmoothDockedResize() const { return smoothDockedResize_; }
  void SetSmoothDockedResize(bool on) { smoothDockedResize_ = on; }
  bool ShowCaptionWhenDocked() const { return showCaptionWhenDocked_; }
  void SetShowCaptionWhenDocked(bool on);
  int SnapDistance() const { return snapDistance_; }
  void SetSnapDistance(int distance);
  TDockKinds SupportedDocks() const { return supportedDocks_; }
  void SetSupportedDocks(TDockKinds kinds) { supportedDocks_ = kinds; }
  // Color(): clNone (the default) stands for the theme's background for the panel's view kind.
  TColor EffectiveColor() const { return effectiveColor_; }
  // The close-button state the theme is given: 1 shown, 2 hot, 4 pressed.
  int CloseButtonState();
  bool InEdgeDrag() const { return edgeDrag_; }
  bool InSplitDrag() const { return splitDrag_; }
  // Whether the panel sits in a multi-dock.
  TSkinMultiDock* MultiDock() const { return dynamic_cast<TSkinMultiDock*>(CurrentDock()); }

  TSkinDockedResizing OnDockedResizing;

  void ReadPositionData(const bars::TBarPositionDataIO& io);
  void WritePositionData(const bars::TBarPositionDataIO& io);

  // --- Dockable window
  void NonClientSizes(SIZE& size) override;
  bool AcceptsDock(TBarDock* dock) override;
  void ComputeLayout(bool recalculate, int previousDockType, SIZE& size, TBarDock* dockingTo,
                     bool floating) override;
  void PaintNonClient(bool useGivenDc, HDC dc, HRGN updateRegion) override;
  void BaseSize(SIZE& size) override;
  void CloseButtonRect(bool vertical, RECT& rect) override;
  void SizingLimits(int& minWidth, int& minHeight, int& maxHeight, int& maxWidth) override;
  void SizeChanging(int width, int height) override;
  void FloatingBorderSize(SIZE& size) override;
  bars::TBarFloatingWindowParent* CreateFloatingParent() override;
  void DockChangingHidden(bool floating, TBarDock* dock) override;

  // --- New operations
  virtual bool BeginDockedResizing(bool vertical);
  virtual bool DockedResizing(bool vertical, int& newSize);
  virtual bool EndDockedResizing(bool vertical);
  virtual void GetPanelInfo(TSkinPanelNCInfo& info);
  virtual bool IsVertCaption();

  // The hit code of a screen point of a docked panel (0 when none of the panel's own).
  int DockedHitTest(POINT screen);
  // Paints the frame into `dc` with its origin at the window's top-left corner.
  void PaintFrameTo(HDC dc);
  int ViewKind() const;

  void WndProc(ui::TMessage& message) override;
  void Dispatch(ui::TMessage& message) override;

 protected:
  void Paint() override;
  void AdjustClientRect(RECT& rect) const override;
  void ColorChanged() override;

 public:
  void SetParent(ui::TWinControl* parent) override;

 private:
  SIZE NonClient() { SIZE s{0, 0}; NonClientSizes(s); return s; }
  void UpdateEffectiveColor();
  void ThemeChanged();
  void RecalcFrame();
  void RedrawFrame();
  void SetOwnBounds(int left, int top, int width, int height);
  void RunEdgeDrag(int hit);
  void RunSplitDrag(int hit);
  bool CaptionShown();
  // The dock-direction limits of the window: least and greatest size across (breadth) or
  // along the dock.
  void WindowLimits(bool vertical, int& minimum, int& maximum);

  int borderSize_ = 0;
  TDPCaptionRotation captionRotation_ = TDPCaptionRotation::dpcrAuto;
  int dockedWidth_ = 128;
  int dockedHeight_ = 128;
  int floatingWidth_ = 0;
  int floatingHeight_ = 0;
  int minClientWidth_ = 32;
  int minClientHeight_ = 32;
  int maxClientWidth_ = 0;
  int maxClientHeight_ = 0;
  int splitWidth_ = 0;
  int splitHeight_ = 0;
  bool smoothDockedResize_ = true;
  bool showCaptionWhenDocked_ = true;
  int snapDistance_ = 0;
  TDockKinds supportedDocks_ = dkStandardDock | dkMultiDock;
  TColor effectiveColor_ = ui::clBtnFace;
  int ownBounds_ = 0;
  bool edgeDrag_ = false;
  bool splitDrag_ = false;
  bool listening_ = false;
};

}  // namespace movra::skin
