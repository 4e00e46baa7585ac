#pragma once
// Popups: the window that shows an item's children as a menu (its view sizes it, it frames,
// scrolls, animates and closes itself), the opening and placing of such windows for items, and
// the popup menu component whose items are a root item's children.
#include <windows.h>

#include <memory>

#include "runtime/ui/controls.h"
#include "runtime/ui/menus.h"
#include "toolbars/bar_item.h"
#include "toolbars/bar_view.h"

namespace movra::bars {

// Sent to a popup window about its showing: WParam 1 asks whether it may animate (a non-zero
// answer vetoes), 2 says the animation finished, 3 that it was shown without animation.
inline constexpr UINT WM_POPUP_NOTIFY = 0x62A;
inline constexpr WPARAM pnMayAnimate = 1;
inline constexpr WPARAM pnAnimationDone = 2;
inline constexpr WPARAM pnShownWithoutAnimation = 3;

class TBarPopupWindow;

// The view of a popup window: it sizes its window to the content and draws in its font.
class TBarPopupView : public TBarView {
 public:
  static const ui::TClassInfo& Class() {
    static const ui::TClassInfo info{"TBarPopupView", &TBarView::Class()};
    return info;
  }
  const ui::TClassInfo& ClassType() const override { return Class(); }
  using TBarView::TBarView;

  void FitWindowToContent(int width, int height) override;
  ui::TFont& FontForDrawing() override;
};

class TBarPopupWindow : public ui::TCustomControl {
 public:
  static const ui::TClassInfo& Class() {
    static const ui::TClassInfo info{"TBarPopupWindow", &ui::TCustomControl::Class()};
    return info;
  }
  const ui::TClassInfo& ClassType() const override { return Class(); }

  // A hidden window; Initialize gives it its view.
  explicit TBarPopupWindow(ui::TComponent* owner);
  ~TBarPopupWindow() override;
  void BeforeDestruction() override;

  // Makes the view from PopupViewClass for `item`'s children, opened from `parentView` (none
  // for a root popup), and takes the parent's font and keyboard-cue state.
  void Initialize(IBarView* parentView, TBarCustomItem* item, bool customizing);

  // --- Virtual operations
  virtual void PaintScrollArrows();
  // Width and height of the frame around the client area.
  virtual void FrameSize(POINT& size);
  virtual TBarViewClass PopupViewClass();

  TBarView* View() const { return view_; }
  TBarView* ParentView() const { return parentView_; }
  // Slide directions of the opening animation (bpd* bits), set from the placement.
  unsigned AnimateDirections() const { return animateDirections_; }
  void SetAnimateDirections(unsigned directions) { animateDirections_ = directions; }
  RECT NonClientMargins() const override;
  void WndProc(ui::TMessage& m) override;

 protected:
  void CreateParams(ui::TCreateParams& params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void Paint() override;
  // Paints the client area into `dc`, whose state is kept.
  void PaintInto(HDC dc);

 private:
  void Teardown();
  void ShowingChanged();
  static void PaintFrame(HWND window, HDC dc, void* self);

  TBarView* view_ = nullptr;  // owned
  TBarView* parentView_ = nullptr;
  unsigned animateDirections_ = 0;
  bool cuesQueried_ = false;
  bool tornDown_ = false;
};

// A class reference for a popup window class: the view is made once the object is whole, so
// that a subclass's PopupViewClass chooses it.
template <class T>
TBarPopupWindowClass PopupWindowClassOf() {
  return {&T::Class(), [](ui::TComponent* owner, IBarView* parentView, TBarCustomItem* item,
                          bool customizing) -> TBarPopupWindow* {
            auto* window = new T(owner);
            try {
              window->Initialize(parentView, item, customizing);
            } catch (...) {
              ui::Free(window);
              throw;
            }
            return window;
          }};
}

// Installs the popup windows and the tracking loop for items, views and toolbars. Every user
// of popups calls it (the popup menu does); calling it again does nothing.
void InstallBarPopups();

// A class reference for root items.
using TBarRootItemClass = TBarRootItem* (*)(ui::TComponent* owner);

// The popup menu component: its items are the children of one root item.
class TBarPopupMenu : public ui::TPopupMenu, public IItemContainer {
 public:
  static const ui::TClassInfo& Class() {
    static const ui::TClassInfo info{"TBarPopupMenu", &ui::TPopupMenu::Class()};
    return info;
  }
  const ui::TClassInfo& ClassType() const override { return Class(); }

  explicit TBarPopupMenu(ui::TComponent* owner);
  ~TBarPopupMenu() override;
  void BeforeDestruction() override;

  // The root item, made on first use from RootItemClass.
  TBarRootItem* Items();
  TBarCustomItem* GetRootItem() override { return Items(); }

  ui::TCustomImageList* Images() { return Items()->SubMenuImages(); }
  void SetImages(ui::TCustomImageList* images) { Items()->SetSubMenuImages(images); }
  TBarCustomItem* LinkSubitems() { return Items()->LinkSubitems(); }
  void SetLinkSubitems(TBarCustomItem* target) { Items()->SetLinkSubitems(target); }
  TBarItemOptions Options() { return Items()->Options(); }
  void SetOptions(TBarItemOptions options) { Items()->SetOptions(options); }

  void Popup(int x, int y) override;
  // Runs the item of the menu that the shortcut gives; true when one ran.
  bool IsShortCut(ui::TShortCut shortcut) override;

 protected:
  // The class of the root item (a subclass returns its own).
  virtual TBarRootItemClass RootItemClass();

 private:
  void RootItemClick(ui::TObject* sender);
  void Teardown();
  TBarRootItem* root_ = nullptr;
  bool tornDown_ = false;
};

}  // namespace movra::bars
