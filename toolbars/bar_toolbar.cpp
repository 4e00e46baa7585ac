// The toolbar: its items, view and chevron, the sizes it takes on each kind of dock, child
// controls as control items, and the mouse, cursor and paint messages it gives its view.
#include "toolbars/bar_toolbar.h"

#include <windowsx.h>

#include <algorithm>

#include "runtime/ui/resstrings.h"
#include "toolbars/bar_common.h"
#include "toolbars/bar_hook.h"

namespace movra::bars {

using namespace movra::ui;

void MenuBarGetMessageHook(THookProcCode code, HWND window, WPARAM wParam, LPARAM lParam);
void RegisterShortCutToolbar(TBarCustomToolbar* toolbar);
void UnregisterShortCutToolbar(TBarCustomToolbar* toolbar);

// --- The view --------------------------------------------------------------------------------

TBarToolbarView::TBarToolbarView(TComponent* owner, TBarView* parentView, TBarCustomItem* parentItem,
                                 TWinControl* window, bool isToolbar, bool customizing, bool usePriorityList)
    : TBarView(owner, parentView, parentItem, window, isToolbar, customizing, usePriorityList),
      toolbar_(dynamic_cast<TBarCustomToolbar*>(window)) {
  // The base built its viewers before the chevron could be named.
  RecreateAllViewers();
}

TBarCustomItem* TBarToolbarView::ChevronItemQuery() { return toolbar_ ? toolbar_->chevronItem_ : nullptr; }

ui::TFont& TBarToolbarView::FontForDrawing() {
  if (toolbar_ && !toolbar_->systemFont_) return toolbar_->Font();
  return BarMenuFont();
}

void TBarToolbarView::ArrangeViewers(POINT& size) {
  if (!toolbar_) {
    TBarView::ArrangeViewers(size);
    return;
  }
  toolbar_->UpdateViewProperties();
  TBarDock* dock = toolbar_->Docked() ? toolbar_->CurrentDock() : nullptr;
  const bool side = dock && dock->IsSideDock();
  POINT limit{0, 0};
  if (dock) {
    // As thick as the other bars of its row, so that its items centre with theirs.
    const int other = dock->LargestOtherRowSize(toolbar_->EffectiveRow(), toolbar_);
    (side ? limit.x : limit.y) = other;
  }
  if (toolbar_->FullSize()) {
    LONG& along = side ? limit.y : limit.x;
    along = std::max<LONG>(along, WrapOffset());
  }
  size.x = std::max(size.x, limit.x);
  size.y = std::max(size.y, limit.y);
  ++toolbar_->alignArrangeDisabled_;
  try {
    TBarView::ArrangeViewers(size);
  } catch (...) {
    --toolbar_->alignArrangeDisabled_;
    throw;
  }
  --toolbar_->alignArrangeDisabled_;
}

void TBarToolbarView::FitWindowToContent(int, int) {
  if (!toolbar_) return;
  toolbar_->baseSize_ = BaseSize();
  if (toolbar_->computing_ > 0 || toolbar_->tornDown_) return;
  if (toolbar_->AutoResize() || toolbar_->Docked() || toolbar_->Floating()) toolbar_->SizeChangedByView();
}

// --- Construction ----------------------------------------------------------------------------

TBarCustomToolbar::TBarCustomToolbar(TComponent* owner, const TBarToolbarClasses& classes)
    : TBarCustomDockableWindow(owner), classes_(classes) {
  SetControlStyle((ControlStyle() | csAcceptsControls | csActionClient) & ~csCaptureMouse);
  SetDockableStyle(DockableStyle() & ~3u);
  rootItem_ = classes_.RootItem ? classes_.RootItem(nullptr) : new TBarRootItem(nullptr);
  rootItem_->SetParentComponent(this);
  TBarCustomItem* chevron = classes_.ChevronItem ? classes_.ChevronItem(nullptr) : new TBarChevronItem(nullptr);
  chevronItem_ = dynamic_cast<TBarChevronItem*>(chevron);
  if (!chevronItem_) {
    Free(chevron);
    chevronItem_ = new TBarChevronItem(nullptr);
  }
  chevronItem_->SetToolbar(this);
  chevronItem_->SetLinkSubitems(rootItem_);
  chevronHint_ = LoadResString(res::BarMoreButtons);
  chevronItem_->SetChevronHint(chevronHint_);
  TBarView* view = classes_.View.Create ? classes_.View.Create(this, nullptr, rootItem_, this, true, false, true)
                                        : new TBarToolbarView(this, nullptr, rootItem_, this, true, false, true);
  view_ = dynamic_cast<TBarToolbarView*>(view);
  if (!view_) {
    Free(view);
    view_ = new TBarToolbarView(this, nullptr, rootItem_, this, true, false, true);
  }
  view_->SetBackgroundColor(clBtnFace);
  SetColor(clBtnFace);
  SetBounds(Left(), Top(), 22, 23);
}

TBarCustomToolbar::~TBarCustomToolbar() { Teardown(); }

void TBarCustomToolbar::BeforeDestruction() {
  if (!IsDestroying()) Teardown();
  TBarCustomDockableWindow::BeforeDestruction();
}

void TBarCustomToolbar::Teardown() {
  if (tornDown_) return;
  tornDown_ = true;
  if (menuBarHook_) {
    menuBarHook_ = false;
    UnregisterHookCallback(&MenuBarGetMessageHook);
  }
  if (shortCutsRegistered_) {
    shortCutsRegistered_ = false;
    UnregisterShortCutToolbar(this);
  }
  TBarToolbarView* view = view_;
  TBarChevronItem* chevron = chevronItem_;
  TBarCustomItem* root = rootItem_;
  view_ = nullptr;
  chevronItem_ = nullptr;
  Free(view);
  Free(chevron);
  // The control items let their controls go with them; the removal notices that follow find
  // no root item to search.
  Free(root);
  rootItem_ = nullptr;
}

void TBarCustomToolbar::Loaded() {
  TBarCustomDockableWindow::Loaded();
  AddControlItems();
}

// --- Child controls as control items ---------------------------------------------------------

TBarControlItem* TBarCustomToolbar::ControlItemOf(TControl* control) const {
  if (!rootItem_) return nullptr;
  for (int i = 0; i < rootItem_->Count(); ++i)
    if (auto* item = dynamic_cast<TBarControlItem*>(rootItem_->ChildAt(i)); item && item->Control() == control)
      return item;
  return nullptr;
}

void TBarCustomToolbar::AddControlItems() {
  for (int i = 0; i < ControlCount(); ++i) ControlInserted(Controls(i));
}

void TBarCustomToolbar::ControlInserted(TControl* control) {
  if (!rootItem_ || !control || ControlItemOf(control)) return;
  rootItem_->Add(new TBarControlItem(nullptr, control));
}

void TBarCustomToolbar::ControlRemoved(TControl* control) {
  if (!rootItem_) return;
  for (int i = rootItem_->Count() - 1; i >= 0; --i) {
    auto* item = dynamic_cast<TBarControlItem*>(rootItem_->ChildAt(i));
    if (!item || item->Control() != control) continue;
    item->DontFreeControl = true;
    Free(item);
  }
}

void TBarCustomToolbar::AlignControls(RECT rect) {
  // The view places the controls of control items itself.
  if (alignArrangeDisabled_ > 0) return;
  TBarCustomDockableWindow::AlignControls(rect);
}

// --- Properties ------------------------------------------------------------------------------

void TBarCustomToolbar::SetChevronMoveItems(bool on) {
  if (on == chevronMoveItems_) return;
  chevronMoveItems_ = on;
  if (view_) view_->SetUsePriorityList(on);
}

void TBarCustomToolbar::SetChevronPriorityForNewItems(bool on) {
  chevronPriorityForNewItems_ = on;
  if (view_) view_->SetNewViewersGetHighestPriority(!on);
}

void TBarCustomToolbar::SetChevronHint(const std::string& hint) {
  chevronHint_ = hint;
  if (chevronItem_) chevronItem_->SetChevronHint(hint);
}

void TBarCustomToolbar::SetMenuBar(bool on) {
  if (on == menuBar_) return;
  menuBar_ = on;
  if (on) {
    SetControlStyle(ControlStyle() | csMenuEvents);
    view_->SetStyle(view_->Style() | vstMenuBar | vstHideAccelerators);
  } else {
    SetControlStyle(ControlStyle() & ~csMenuEvents);
    view_->SetStyle(view_->Style() & ~(vstMenuBar | vstHideAccelerators));
  }
  view_->InvalidateLayout();
  if (!IsLoading()) {
    SetFullSize(on);
    SetShrinkMode(on ? TBarShrinkMode::tbsmWrap : TBarShrinkMode::tbsmChevron);
    SetCloseButton(!on);
    SetProcessShortCuts(on);
  }
  if (on != menuBarHook_) {
    menuBarHook_ = on;
    if (on)
      RegisterHookCallback(&MenuBarGetMessageHook, HookCodes(hpGetMessage));
    else
      UnregisterHookCallback(&MenuBarGetMessageHook);
  }
  UpdateShortCutRegistration();
}

void TBarCustomToolbar::SetProcessShortCuts(bool on) {
  if (on == processShortCuts_) return;
  processShortCuts_ = on;
  UpdateShortCutRegistration();
}

void TBarCustomToolbar::UpdateShortCutRegistration() {
  const bool wanted = (processShortCuts_ || menuBar_) && !tornDown_;
  if (wanted == shortCutsRegistered_) return;
  shortCutsRegistered_ = wanted;
  if (wanted)
    RegisterShortCutToolbar(this);
  else
    UnregisterShortCutToolbar(this);
}

void TBarCustomToolbar::SetSystemFont(bool on) {
  if (on == systemFont_) return;
  systemFont_ = on;
  view_->InvalidateLayout();
  RecomputeSize();
}

void TBarCustomToolbar::SetShrinkMode(TBarShrinkMode mode) {
  if (mode == shrinkMode_) return;
  shrinkMode_ = mode;
  if (view_) view_->InvalidateLayout();
  if (Docked() && CurrentDock())
    CurrentDock()->ArrangeBars();
  else if (!Floating())
    RecomputeSize();
}

void TBarCustomToolbar::SetFloatingWidth(int width) {
  if (width == floatingWidth_) return;
  floatingWidth_ = width;
  if (Floating()) {
    UpdateViewProperties();
    RecomputeSize();
  }
}

// --- Sizes -----------------------------------------------------------------------------------

namespace {

int DockClientLength(TBarDock* dock) { return dock->IsSideDock() ? dock->ClientHeight() : dock->ClientWidth(); }

}  // namespace

void TBarCustomToolbar::ViewProperties(int dockType, TBarDock* dock, TBarViewOrientation& orientation,
                                       int& chevronOffset, int& wrapOffset) {
  switch (dockType) {
    case dtFloating:
      orientation = bvoFloating;
      break;
    case dtLeftRight:
      orientation = bvoVertical;
      break;
    default:
      orientation = bvoHorizontal;
      break;
  }
  chevronOffset = 0;
  wrapOffset = 0;
  if (dockType == dtFloating || dockType == dtTopBottom || dockType == dtLeftRight) {
    // The frame a docked toolbar has along its row on that dock.
    int ncAlong = 0;
    if (dock && dockType != dtFloating) ncAlong = 4 + (dock->AllowDrag() ? DragHandleSize() : 0);
    if (shrinkMode_ == TBarShrinkMode::tbsmChevron && dock && Docked() && dock == CurrentDock())
      chevronOffset = std::max(0, CurrentSize() - ncAlong);
    if (dockType == dtFloating)
      wrapOffset = floatingWidth_;
    else if (shrinkMode_ == TBarShrinkMode::tbsmWrap && dock)
      wrapOffset = DockClientLength(dock) - ncAlong;
    return;
  }
  // A toolbar placed as an ordinary control shrinks to its width unless it sizes itself.
  const bool stretchedLeftRight = (Anchors() & (akLeft | akRight)) == (akLeft | akRight);
  if (AutoResize() && !stretchedLeftRight) return;
  SIZE nc{0, 0};
  NonClientSizes(nc);
  if (shrinkMode_ == TBarShrinkMode::tbsmChevron) chevronOffset = Width() - nc.cx;
  if (shrinkMode_ == TBarShrinkMode::tbsmWrap) wrapOffset = Width() - nc.cx;
}

void TBarCustomToolbar::UpdateViewProperties() {
  if (!view_) return;
  TBarViewOrientation orientation;
  int chevronOffset, wrapOffset;
  ViewProperties(DockType(), CurrentDock(), orientation, chevronOffset, wrapOffset);
  if (orientation != view_->Orientation() || chevronOffset != view_->ChevronOffset() ||
      wrapOffset != view_->WrapOffset() || view_->ChevronSize() != kChevronSize)
    view_->InvalidateLayout();
  view_->SetOrientation(orientation);
  view_->SetChevronSize(kChevronSize);
  view_->SetChevronOffset(chevronOffset);
  view_->SetWrapOffset(wrapOffset);
}

void TBarCustomToolbar::ComputeLayout(bool recalculate, int previousDockType, SIZE& size, TBarDock* dockingTo,
                                      bool floating) {
  if (!view_) {
    size = {kEmptyViewWidth, kEmptyViewHeight};
    return;
  }
  ++computing_;
  try {
    if (recalculate) {
      UpdateViewProperties();
      POINT content{0, 0};
      view_->ArrangeViewers(content);
      size = {content.x, content.y};
    } else {
      int dockType = previousDockType;
      if (floating)
        dockType = dtFloating;
      else if (dockingTo)
        dockType = dockingTo->IsSideDock() ? dtLeftRight : dtTopBottom;
      TBarViewOrientation orientation;
      int chevronOffset, wrapOffset;
      ViewProperties(dockType, floating ? nullptr : dockingTo ? dockingTo : CurrentDock(), orientation, chevronOffset,
                     wrapOffset);
      POINT content{0, 0}, base{0, 0};
      int lines = 1;
      view_->Layout(false, orientation, lines, content, base, kChevronSize, chevronOffset, wrapOffset);
      lastWrappedLines_ = lines;
      size = {content.x, content.y};
    }
  } catch (...) {
    --computing_;
    throw;
  }
  --computing_;
}

void TBarCustomToolbar::BaseSize(SIZE& size) {
  if (view_) {
    ++computing_;
    try {
      // What the view is laid out for may have changed since (the dock's length, the mode).
      UpdateViewProperties();
      view_->ValidatePositions();
    } catch (...) {
      --computing_;
      throw;
    }
    --computing_;
  }
  size = {baseSize_.x, baseSize_.y};
}

void TBarCustomToolbar::MinimumShrunkLength(int& length) {
  if (!view_) return;
  ++computing_;
  TBarItemViewer* viewer = nullptr;
  try {
    viewer = view_->HighestPriorityViewer();
  } catch (...) {
    --computing_;
    throw;
  }
  --computing_;
  SIZE nc{0, 0};
  NonClientSizes(nc);
  const bool side = CurrentDock() && CurrentDock()->IsSideDock();
  int extent = 0;
  if (viewer) {
    const RECT& r = viewer->BoundsRect;
    extent = side ? r.bottom - r.top : r.right - r.left;
  }
  length = extent + (side ? nc.cy : nc.cx) + kChevronSize;
}

void TBarCustomToolbar::SizeChangedByView() { RecomputeSize(); }

bool TBarCustomToolbar::PointOnChildControl(POINT p) {
  if (TBarCustomDockableWindow::PointOnChildControl(p)) return true;
  if (!view_) return false;
  TBarItemViewer* viewer = view_->ViewerFromPoint(p);
  return viewer && !(viewer->Item()->ItemStyle() & isNotClickable);
}

// --- Mouse, cursor, painting -----------------------------------------------------------------

void TBarCustomToolbar::MouseMove(TShiftState shift, int x, int y) {
  TBarCustomDockableWindow::MouseMove(shift, x, y);
  if (!view_) return;
  view_->MouseMoved(ClientToScreen({x, y}), true);
  TBarItemViewer* selected = view_->Selected();
  SetHint(selected ? selected->Item()->Hint() : std::string());
  if (selected) selected->HandleMouseMove(x - selected->BoundsRect.left, y - selected->BoundsRect.top);
  if (HandleAllocated()) RequestMouseTracking(Handle(), TME_LEAVE);
}

void TBarCustomToolbar::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  TWinControl* parentBefore = Parent();
  TBarCustomDockableWindow::MouseDown(button, shift, x, y);
  if (button != TMouseButton::mbLeft || Parent() != parentBefore || !view_) return;
  view_->MouseMoved(ClientToScreen({x, y}), true);
  TBarItemViewer* selected = view_->Selected();
  if (!selected || (selected->Item()->ItemStyle() & isNotClickable)) return;
  ignoreMouseLeave_ = true;
  // The tracking may free the toolbar.
  const std::weak_ptr<void> alive = Lifetime();
  try {
    view_->EnterToolbarLoop(tloMousePress);
  } catch (...) {
    if (!alive.expired()) ignoreMouseLeave_ = false;
    throw;
  }
  if (!alive.expired()) ignoreMouseLeave_ = false;
}

void TBarCustomToolbar::ClearSelectionUnlessCaptured() {
  if (!view_ || ignoreMouseLeave_ || GetCapture()) return;
  if (!(view_->State() & vsTracking)) view_->SetSelected(nullptr, false);
}

void TBarCustomToolbar::InitiateAction() {
  TBarCustomDockableWindow::InitiateAction();
  if (!updateActions_ || !view_) return;
  std::vector<TBarCustomItem*> items;
  for (TBarItemViewer* viewer : view_->Viewers()) items.push_back(viewer->Item());
  for (TBarCustomItem* item : items) {
    // An update may take items away: only those still shown are asked.
    if (!view_) return;
    const auto& viewers = view_->Viewers();
    if (std::none_of(viewers.begin(), viewers.end(), [item](TBarItemViewer* v) { return v->Item() == item; }))
      continue;
    if (TBarCustomItemActionLink* link = item->ActionLink()) link->Update();
  }
}

void TBarCustomToolbar::Paint() {
  if (view_) view_->DrawAll(Canvas());
}

void TBarCustomToolbar::WndProc(TMessage& m) {
  switch (m.Msg) {
    case WM_SYSCOMMAND:
      // Answered here or not at all: the system's own handling would start its menu loop.
      m.Result = HandleSysCommand(m) ? 1 : 0;
      return;
    case CM_CONTROLLISTCHANGE:
      TBarCustomDockableWindow::WndProc(m);
      if (m.LParam)
        if (!IsLoading()) ControlInserted(reinterpret_cast<TControl*>(m.WParam));
      if (!m.LParam) ControlRemoved(reinterpret_cast<TControl*>(m.WParam));
      return;
    case CM_MOUSELEAVE:
      TBarCustomDockableWindow::WndProc(m);
      ClearSelectionUnlessCaptured();
      return;
    case WM_NCMOUSEMOVE:
      TBarCustomDockableWindow::WndProc(m);
      SetHint(std::string());
      ClearSelectionUnlessCaptured();
      return;
    case WM_CONTEXTMENU:
      ClearSelectionUnlessCaptured();
      break;
    case WM_SETCURSOR:
      if (LOWORD(m.LParam) == HTCLIENT && view_ && view_->Selected()) {
        POINT p;
        GetCursorPos(&p);
        TBarItemViewer* viewer = view_->Selected();
        HCURSOR cursor = nullptr;
        viewer->QueryCursor(viewer->ScreenToViewer(p), cursor);
        if (cursor) {
          ::SetCursor(cursor);
          m.Result = 1;
          return;
        }
      }
      break;
    case CM_COLORCHANGED:
      if (view_) view_->SetBackgroundColor(Color());
      break;
    case CM_FONTCHANGED:
      TBarCustomDockableWindow::WndProc(m);
      if (!systemFont_ && view_) {
        view_->InvalidateLayout();
        RecomputeSize();
      }
      return;
    case CM_SHOWHINTCHANGED:
      TBarCustomDockableWindow::WndProc(m);
      if (view_)
        view_->SetStyle(ShowHint() ? (view_->Style() | vstShowHints) : (view_->Style() & ~vstShowHints));
      return;
    case WM_GETOBJECT: {
      LRESULT result = 0;
      if (view_ && AnswerViewObjectRequest(*view_, m.WParam, m.LParam, result)) {
        m.Result = result;
        return;
      }
      break;
    }
    case CM_WININICHANGE:
      TBarCustomDockableWindow::WndProc(m);
      if (m.WParam == SPI_SETNONCLIENTMETRICS && view_) {
        RefreshBarMenuFont();
        view_->InvalidateLayout();
        RecomputeSize();
      }
      return;
    case CM_HINTSHOW:
      if (auto* info = reinterpret_cast<THintInfo*>(m.LParam); info && view_) {
        TBarItemViewer* viewer = view_->ViewerFromPoint(info->CursorPos);
        if (viewer && !IsRectEmpty(&viewer->BoundsRect)) {
          info->HintStr = viewer->HintText();
          info->CursorRect = viewer->BoundsRect;
        } else {
          info->HintStr.clear();
        }
      }
      m.Result = 0;
      return;
    case CM_DIALOGCHAR:
      if (DialogChar(static_cast<char32_t>(m.WParam))) {
        m.Result = 1;
        return;
      }
      break;
    default:
      break;
  }
  TBarCustomDockableWindow::WndProc(m);
}

}  // namespace movra::bars
