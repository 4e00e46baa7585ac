#pragma once
// Themed windows of the toolbar framework: the toolbar with its view and chevron, the dock and
// the floating tool window. Each asks the current theme for its borders, padding and colours,
// lets the theme paint its background and frame, registers with the hub for theme changes,
// and answers the view-kind and effective-colour queries.
#include <windows.h>

#include <cstdint>

#include "runtime/ui/controls.h"
#include "themes/skin_items.h"
#include "themes/skin_themes.h"
#include "toolbars/bar_dock.h"
#include "toolbars/bar_toolbar.h"

namespace movra::skin {

// --- Shared routines --------------------------------------------------------------------------

// The DC of a window's frame for a WM_NCPAINT region: WParam 1 (or no region) means the whole
// frame; any other region (screen coordinates) limits the DC to a copy of it, which the system
// takes over. Handle() is nullptr when no DC was had; the caller then paints nothing.
class TNonClientDC {
 public:
  TNonClientDC(HWND window, HRGN updateRegion);
  ~TNonClientDC();
  TNonClientDC(const TNonClientDC&) = delete;
  TNonClientDC& operator=(const TNonClientDC&) = delete;
  HDC Handle() const { return dc_; }

 private:
  HWND window_;
  HDC dc_ = nullptr;
};

// Colours travel in WParam as a 32-bit signed value, so that nothing is cut on x86-64.
inline WPARAM ColorToWParam(TColor color) { return static_cast<WPARAM>(static_cast<LONG_PTR>(static_cast<int32_t>(color))); }
inline TColor ColorFromWParam(WPARAM value) { return static_cast<TColor>(static_cast<int32_t>(value)); }
// Answers SKM_GETEFFECTIVECOLOR.
void AnswerEffectiveColor(ui::TMessage& message, TColor color);

// Hands one canvas over `dc` to a paint step; the DC is given back whatever the step does.
template <class F>
void PaintOnCanvas(HDC dc, F&& paint) {
  ui::TCanvas canvas;
  canvas.SetHandle(dc);
  try {
    paint(canvas);
  } catch (...) {
    canvas.SetHandle(nullptr);
    throw;
  }
  canvas.SetHandle(nullptr);
}

// Paints what lies behind `control` in its parent into `dc` (control coordinates).
void PaintParentBackground(ui::TControl* control, HDC dc, const RECT& rect);
// Sets the client size again, refreshes the frame and invalidates.
void RelayoutWindow(ui::TWinControl* control);
void RedrawFrame(ui::TWinControl* control);

// A themed window's place in the hub's list, from its construction until its teardown begins
// (a theme change must not reach a window half destroyed).
class TNexusMembership {
 public:
  TNexusMembership() = default;
  TNexusMembership(const TNexusMembership&) = delete;
  TNexusMembership& operator=(const TNexusMembership&) = delete;
  ~TNexusMembership() { Leave(); }
  void Join(TSkinListener* listener);
  void Leave();

 private:
  TSkinListener* listener_ = nullptr;
};

// --- Toolbar ----------------------------------------------------------------------------------

enum TSkinItemTransparency { itAuto = 0, itEnable = 1, itDisable = 2 };

class TSkinToolbar;

class TSkinToolbarView : public bars::TBarToolbarView {
 public:
  static const ui::TClassInfo& Class() {
    static const ui::TClassInfo info{"TSkinToolbarView", &bars::TBarToolbarView::Class()};
    return info;
  }
  const ui::TClassInfo& ClassType() const override { return Class(); }
  using bars::TBarToolbarView::TBarToolbarView;

  // The theme's padding of the toolbar's kind, floating or not as asked.
  void ContentMargins(bars::TBarViewOrientation orientation, RECT& margins) override;
};

class TSkinChevronItem : public bars::TBarChevronItem {
 public:
  static const ui::TClassInfo& Class() {
    static const ui::TClassInfo info{"TSkinChevronItem", &bars::TBarChevronItem::Class()};
    return info;
  }
  const ui::TClassInfo& ClassType() const override { return Class(); }
  using bars::TBarChevronItem::TBarChevronItem;

  bars::TBarItemViewerClass ViewerClass() override;
  void PlacePopup(IBarView* parentView, bars::TBarPopupWindow* window, bars::TBarPopupPlacement& placement) override;
  bars::TBarPopupWindowClass PopupWindowClass() override;
};

class TSkinChevronItemViewer : public bars::TBarChevronItemViewer {
 public:
  static const ui::TClassInfo& Class() {
    static const ui::TClassInfo info{"TSkinChevronItemViewer", &bars::TBarChevronItemViewer::Class()};
    return info;
  }
  const ui::TClassInfo& ClassType() const override { return Class(); }
  using bars::TBarChevronItemViewer::TBarChevronItemViewer;

  void Paint(ui::TCanvas& canvas, const RECT& clientRect, bool disabledShadow, bool pushed, bool selected) override;
  // What the theme is told about the chevron.
  TItemDrawState ChevronState(bool pushed, bool selected);
};

class TSkinToolbar : public bars::TBarCustomToolbar, public TSkinListener {
 public:
  static const ui::TClassInfo& Class() {
    static const ui::TClassInfo info{"TSkinToolbar", &bars::TBarCustomToolbar::Class()};
    return info;
  }
  const ui::TClassInfo& ClassType() const override { return Class(); }

  explicit TSkinToolbar(ui::TComponent* owner);
  ~TSkinToolbar() override;
  void BeforeDestruction() override;

  TSkinItemTransparency ItemTransparency() const { return itemTransparency_; }
  void SetItemTransparency(TSkinItemTransparency value);
  int SnapDistance() const { return snapDistance_; }
  void SetSnapDistance(int distance);
  TColor EffectiveColor() const { return effectiveColor_; }
  // The answer to SKM_GETVIEWKIND.
  int ViewKind() const;

  // Fills the record the theme paints the docked frame from.
  virtual void GetNonClientInfo(TSkinToolbarNCInfo& info);

  void PaintNonClient(bool useGivenDc, HDC dc, HRGN updateRegion) override;
  void FloatingBorderSize(SIZE& size) override;
  void SetParent(ui::TWinControl* parent) override;
  bars::TBarFloatingWindowParent* CreateFloatingParent() override;

  void Dispatch(ui::TMessage& message) override { WindowProc(message); }
  void WndProc(ui::TMessage& message) override;

  // Repaints the background behind the items once, after a size change over a dock background.
  void RepaintItemBackground();

 private:
  void UpdateEffectiveColor();
  void BroadcastColor();
  bool EraseBackground(HDC dc);
  void ThemeChanged(WPARAM phase);

  TSkinItemTransparency itemTransparency_ = itAuto;
  int snapDistance_ = 0;
  TColor effectiveColor_ = ui::clBtnFace;
  TNexusMembership nexus_;
};

// --- Dock -------------------------------------------------------------------------------------

class TSkinDock : public bars::TBarDock, public TSkinListener {
 public:
  static const ui::TClassInfo& Class() {
    static const ui::TClassInfo info{"TSkinDock", &bars::TBarDock::Class()};
    return info;
  }
  const ui::TClassInfo& ClassType() const override { return Class(); }

  explicit TSkinDock(ui::TComponent* owner);
  ~TSkinDock() override;
  void BeforeDestruction() override;

  bool UseParentBackground() const { return useParentBackground_; }
  void SetUseParentBackground(bool on);
  bool Moving() const { return moving_; }
  bool Sizing() const { return sizing_; }

  void PaintBackground(HDC dc, const RECT& rect) override;
  bool BackgroundInUse() override;
  // The theme paints this dock's background: no background object, no colour of its own and
  // the theme says so.
  virtual bool ThemePaintsBackground();
  // The colour children blend with.
  TColor EffectiveColor();
  // 1 top, 2 bottom, 3 left, 4 right.
  int DockKind() const;

  void Dispatch(ui::TMessage& message) override { WindowProc(message); }
  void WndProc(ui::TMessage& message) override;

 protected:
  void Resize() override;

 private:
  bool useParentBackground_ = false;
  bool moving_ = false;
  bool sizing_ = false;
  TNexusMembership nexus_;
};

// --- Floating tool window ---------------------------------------------------------------------

class TSkinFloatingWindowParent : public bars::TBarFloatingWindowParent {
 public:
  static const ui::TClassInfo& Class() {
    static const ui::TClassInfo info{"TSkinFloatingWindowParent", &bars::TBarFloatingWindowParent::Class()};
    return info;
  }
  const ui::TClassInfo& ClassType() const override { return Class(); }
  using bars::TBarFloatingWindowParent::TBarFloatingWindowParent;

  int SnapDistance() const { return snapDistance_; }
  void SetSnapDistance(int distance) { snapDistance_ = distance < 0 ? 0 : distance; }
  bool CloseButtonHover() const { return closeHover_; }

  void PaintFrame(bool useGivenDc, HDC dc, unsigned parts, HRGN updateRegion) override;
  // Fills the record the theme paints the frame from.
  void GetFrameInfo(TSkinFloatingFrameInfo& info, unsigned parts);
  // Moves a position of an unchanged size onto the edges of `workArea` it comes near.
  static void SnapToWorkArea(WINDOWPOS& position, const RECT& workArea, int distance);

  void WndProc(ui::TMessage& message) override;

 private:
  void SetCloseHover(bool hover);
  int snapDistance_ = 0;
  bool closeHover_ = false;
};

}  // namespace movra::skin
