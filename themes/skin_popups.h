#pragma once
// Themed popups: the popup window whose border, background and padding come from the current
// theme and which casts soft shadows when the theme asks for them, the root item that opens a
// popup at a control, and the popup menu made of such items.
#include <windows.h>

#include <memory>

#include "themes/skin_items.h"
#include "themes/skin_shadows.h"
#include "themes/skin_themes.h"
#include "themes/skin_windows.h"
#include "toolbars/bar_popup.h"

namespace movra::skin {

class TSkinPopupView : public bars::TBarPopupView {
 public:
  static const ui::TClassInfo& Class() {
    static const ui::TClassInfo info{"TSkinPopupView", &bars::TBarPopupView::Class()};
    return info;
  }
  const ui::TClassInfo& ClassType() const override { return Class(); }
  using bars::TBarPopupView::TBarPopupView;
};

class TSkinPopupWindow : public bars::TBarPopupWindow {
 public:
  static const ui::TClassInfo& Class() {
    static const ui::TClassInfo info{"TSkinPopupWindow", &bars::TBarPopupWindow::Class()};
    return info;
  }
  const ui::TClassInfo& ClassType() const override { return Class(); }

  explicit TSkinPopupWindow(ui::TComponent* owner);
  ~TSkinPopupWindow() override;
  void BeforeDestruction() override;

  // The control the popup opened at (screen coordinates; empty when none).
  const RECT& ControlRect() const { return controlRect_; }
  void SetControlRect(const RECT& rect) { controlRect_ = rect; }
  TShadows* Shadows() const { return shadows_.get(); }
  // The answer to SKM_GETVIEWKIND.
  virtual int ViewKind();
  virtual bool IsChevronPopup() const { return false; }

  virtual void CreateShadows();
  virtual void DestroyShadows();
  // True unless the view is a list popup.
  virtual bool ShadowsWanted();
  // The opening item's rectangle the shadows leave out (screen coordinates; empty for none).
  RECT ShadowOpeningRect();
  // The record the theme paints the border from.
  TSkinPopupBorderInfo BorderInfo();

  void FrameSize(POINT& size) override;
  bars::TBarViewClass PopupViewClass() override;
  void WndProc(ui::TMessage& message) override;

 protected:
  void CreateParams(ui::TCreateParams& params) override;
  void DestroyWnd() override;

 private:
  static void PaintBorder(HWND window, HDC dc, void* self);
  bool EraseBackground(HDC dc);
  void ShowHint(ui::TMessage& message);

  RECT controlRect_{};
  std::unique_ptr<TShadows> shadows_;
  bool destroying_ = false;
};

class TSkinChevronPopupWindow : public TSkinPopupWindow {
 public:
  static const ui::TClassInfo& Class() {
    static const ui::TClassInfo info{"TSkinChevronPopupWindow", &TSkinPopupWindow::Class()};
    return info;
  }
  const ui::TClassInfo& ClassType() const override { return Class(); }
  using TSkinPopupWindow::TSkinPopupWindow;
  bool IsChevronPopup() const override { return true; }
};

// The root of a themed toolbar or popup menu.
class TSkinRootItem : public bars::TBarRootItem {
 public:
  static const ui::TClassInfo& Class() {
    static const ui::TClassInfo info{"TSkinRootItem", &bars::TBarRootItem::Class()};
    return info;
  }
  const ui::TClassInfo& ClassType() const override { return Class(); }
  using bars::TBarRootItem::TBarRootItem;

  void PlacePopup(IBarView* parentView, bars::TBarPopupWindow* window, bars::TBarPopupPlacement& placement) override;
  bars::TBarPopupWindowClass PopupWindowClass() override;
  // Pops the children up under `control` (screen coordinates): the popup keeps out of the
  // control's way and its shadow leaves the control out.
  void PopupAtControl(const RECT& control, bool selectFirst, bool trackRightButton, int alignment = bars::bpaLeft);
  const RECT& StoredControlRect() const { return controlRect_; }

 private:
  RECT controlRect_{};
};

// The placement of a popup opened at `control`: below it, or above when it would pass the
// monitor's bottom and fits there, right-aligned for alignment 1, kept on the monitor.
void PlaceAtControl(const RECT& control, bars::TBarPopupPlacement& placement);

class TSkinPopupMenu : public bars::TBarPopupMenu, public TSkinListener {
 public:
  static const ui::TClassInfo& Class() {
    static const ui::TClassInfo info{"TSkinPopupMenu", &bars::TBarPopupMenu::Class()};
    return info;
  }
  const ui::TClassInfo& ClassType() const override { return Class(); }
  using bars::TBarPopupMenu::TBarPopupMenu;

  void Dispatch(ui::TMessage& message) override;

 protected:
  bars::TBarRootItemClass RootItemClass() override;
};

}  // namespace movra::skin
