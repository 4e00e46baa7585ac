#pragma once
// Item viewers: one item as shown in one view. A viewer measures and paints its item in the
// framework's flat style, turns mouse input on it into selection, submenu opening and clicks, and
// supplies hint and caption text.
#include <windows.h>

#include <memory>
#include <string>

#include "runtime/ui/classes.h"
#include "runtime/ui/controls.h"
#include "runtime/ui/graphics.h"
#include "toolbars/bar_item.h"

namespace movra::bars {

// What a viewer asks of the view that shows it. The view implements it; a viewer never owns it.
class IBarView {
 public:
  // --- What the view is
  virtual bool IsToolbar() const = 0;  // a toolbar's own view (else a popup view)
  // Its items are sized and drawn as on a toolbar: a toolbar's view, or a popup listing what a
  // toolbar's chevron hid.
  virtual bool ToolbarLayout() const { return IsToolbar(); }
  virtual bool IsMenuBar() const = 0;
  virtual bool IsVertical() const = 0;
  virtual bool IsFloating() const = 0;
  virtual bool Customizing() const = 0;
  // The view that opened this popup; nullptr for a root view.
  virtual IBarView* ParentView() const = 0;
  // The item given at creation, and the item whose children are shown (its link target or it).
  virtual TBarCustomItem* ParentItem() const = 0;
  virtual TBarCustomItem* CurParentItem() const = 0;
  // Hides accelerators unless the system shows keyboard cues (style bit 2), and whether the
  // accelerators are shown now (state 0x20).
  virtual bool HidesAcceleratorsUntilCues() const = 0;
  virtual bool AcceleratorsShown() const = 0;
  // A modal tracking loop runs on this view's chain (state 0x01).
  virtual bool Tracking() const = 0;
  // The window the view shows in (nullptr when it has none) and the font its items are drawn
  // in; themed viewers ask the window what kind of view it is.
  virtual ui::TWinControl* Window() const = 0;
  virtual ui::TFont& FontForDrawing() = 0;

  // --- Geometry
  virtual POINT ClientToScreen(POINT point) const = 0;
  virtual POINT ScreenToClient(POINT point) const = 0;
  virtual int ViewerCount() const = 0;
  virtual TBarItemViewer* ViewerAt(int index) const = 0;

  // --- Selection and the mouse
  virtual TBarItemViewer* Selected() const = 0;
  // The cursor is over the selected viewer (and, while the mouse is held, on its button part).
  virtual bool MouseOverSelected() const = 0;
  // The mouse went down on the selected viewer and is held.
  virtual bool Capture() const = 0;
  virtual void SetCapture() = 0;
  virtual void CancelCapture() = 0;

  // --- Child popups
  // The viewer whose popup is open from this view, and that popup's view.
  virtual TBarItemViewer* OpenViewer() const = 0;
  virtual IBarView* OpenViewerView() const = 0;
  // Opens the selected viewer's submenu; true when a child popup is open afterwards.
  virtual bool OpenChildPopup(bool selectFirst) = 0;
  // Closes child popups; a toolbar view also leaves drop-down mode.
  virtual void CancelChildPopups() = 0;

  // --- Tracking
  // Records a click of the viewer's item as the root view's done action.
  virtual void SetDoneActionClick(TBarItemViewer* viewer) = 0;
  virtual void EndTracking() = 0;
  // Moves the viewer to the front of the chevron priority list.
  virtual void PromoteViewer(TBarItemViewer* viewer) = 0;
  // Repaints the viewer.
  virtual void InvalidateViewer(TBarItemViewer* viewer) = 0;

 protected:
  ~IBarView() = default;
};

// Object of the accessibility unit that describes a viewer; the viewer only detaches it.
class IBarAccClient {
 public:
  virtual void DetachClient() = 0;

 protected:
  ~IBarAccClient() = default;
};
using TBarViewerAccFactory = IBarAccClient* (*)(TBarItemViewer* viewer);
// Installed by the accessibility unit when its library is usable.
void SetBarViewerAccFactory(TBarViewerAccFactory factory);

// Viewer flags.
inline constexpr unsigned bvfPaintOffscreen = 1;
inline constexpr unsigned bvfLineBreak = 2;

// Accessible roles a viewer reports.
inline constexpr int barRoleClient = 10;
inline constexpr int barRoleMenuItem = 12;
inline constexpr int barRoleSeparator = 21;
inline constexpr int barRolePushButton = 43;
inline constexpr int barRoleButtonMenu = 57;

class TBarItemViewer : public ui::TObject {
 public:
  static const ui::TClassInfo& Class() {
    static const ui::TClassInfo info{"TBarItemViewer", &ui::TObject::Class()};
    return info;
  }
  const ui::TClassInfo& ClassType() const override { return Class(); }

  TBarItemViewer(IBarView* view, TBarCustomItem* item, int groupLevel);
  ~TBarItemViewer() override;

  RECT BoundsRect{};
  bool Clipped = false;
  bool OffEdge = false;
  bool Show = false;
  unsigned Flags = 0;
  int GroupLevel() const { return groupLevel_; }
  TBarCustomItem* Item() const { return item_; }
  IBarView* View() const { return view_; }

  // --- Virtual operations
  virtual void MeasureSize(ui::TCanvas& canvas, int& width, int& height);
  virtual bool QueueExecute();
  virtual void DrawItemCaption(ui::TCanvas& canvas, RECT rect, UINT flags, bool disabledShadow, const std::string& text);
  virtual void SelectionGained(TBarItemViewer* previous);
  virtual int AccessibleRole();
  virtual bool AccessibleValue(std::string& text);
  virtual std::string GetCaptionText();
  virtual void QueryCursor(POINT point, HCURSOR& cursor);
  virtual bool UsesToolbarSize();
  virtual bool HitsButtonPart(int x, int y);
  virtual void KeyDown(WORD& key, ui::TShiftState shift);
  virtual void SelectionLost();
  virtual void Invalidate();
  virtual void HandleMouseDown(ui::TShiftState shift, int x, int y, bool& mouseDownOnMenu);
  virtual void HandleMouseMove(int x, int y);
  virtual void HandleMouseUp(int x, int y, bool mouseDownOnMenu);
  virtual void HandleMouseWheel(int delta, int x, int y);
  virtual void Paint(ui::TCanvas& canvas, const RECT& clientRect, bool disabledShadow, bool pushed, bool selected);
  virtual bool UsesSameWidth();
  virtual bool UsesToolbarStyle();
  virtual bool CaptionShown();

  // --- Plain operations
  bool IsShown() const { return Show || OffEdge || Clipped; }
  bool IsRotated() const;
  bool ImageShown();
  ui::TCustomImageList* EffectiveImages() const;
  std::string HintText();
  POINT ScreenToViewer(POINT screenPoint) const;
  void TriggerExecute(bool promote);
  // The accessibility object, created on demand; nullptr without the accessibility library.
  IBarAccClient* AccObject();
  // The object went (its last client let it go): the next request makes a new one.
  void ForgetAccObject(const IBarAccClient* object) {
    if (accObject_ == object) accObject_ = nullptr;
  }
  // Runs a deferred accessibility notice later on this thread (dropped when the viewer goes).
  void QueueAccessibilityNotice(bool flag) { QueueViewerNotice(this, flag); }

 protected:
  // The image column of a menu-style row of the given height.
  int MenuImageColumn(int rowHeight) const;

 private:
  IBarView* view_;
  TBarCustomItem* item_;
  int groupLevel_;
  IBarAccClient* accObject_ = nullptr;
};

class TBarSeparatorItemViewer : public TBarItemViewer {
 public:
  static const ui::TClassInfo& Class() {
    static const ui::TClassInfo info{"TBarSeparatorItemViewer", &TBarItemViewer::Class()};
    return info;
  }
  const ui::TClassInfo& ClassType() const override { return Class(); }
  using TBarItemViewer::TBarItemViewer;

  void MeasureSize(ui::TCanvas& canvas, int& width, int& height) override;
  void Paint(ui::TCanvas& canvas, const RECT& clientRect, bool disabledShadow, bool pushed, bool selected) override;
  bool UsesSameWidth() override { return false; }
};

}  // namespace movra::bars
