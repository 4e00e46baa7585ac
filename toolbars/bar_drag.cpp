#include "toolbars/bar_drag.h"

#include <algorithm>
#include <cstdlib>
#include <memory>

#include "toolbars/bar_common.h"
#include "toolbars/bar_dock.h"
#include "toolbars/bar_dock_support.h"

namespace movra::bars {

using namespace movra::ui;

// --- The rules -------------------------------------------------------------------------------

TBarRowPick PickDockRow(int centre, const std::vector<int>& rowThicknesses, bool windowFullSize) {
  int sum = 0;
  for (size_t i = 0; i < rowThicknesses.size(); ++i) {
    int t = rowThicknesses[i] & 0xFFFF;
    if (t == 0) continue;
    bool full = windowFullSize || (rowThicknesses[i] & RowHasFullSizeBar);
    int h = full ? t / 2 : t / 4;
    if (centre < sum + h) return {static_cast<int>(i), true};
    if (!full && centre < sum + t - h) return {static_cast<int>(i), false};
    sum += t;
  }
  return {static_cast<int>(rowThicknesses.size()), true};
}

namespace {

int GrabShare(int span, int grab, int reference) {
  if (reference <= 0) return 0;
  return MulDiv(span, grab, reference);
}

}  // namespace

RECT PlaceAtGrab(POINT cursor, SIZE size, POINT grab, SIZE reference) {
  int left = cursor.x - GrabShare(size.cx - 1, grab.x, reference.cx);
  int top = cursor.y - GrabShare(size.cy - 1, grab.y, reference.cy);
  return {left, top, left + size.cx, top + size.cy};
}

bool InDockingZone(POINT cursor, const RECT& dockRect, bool sideDock, POINT grab, SIZE reference,
                   const RECT& targetRect) {
  RECT r = dockRect;
  InflateRect(&r, 3, 3);
  int gx = GrabShare(25, grab.x, reference.cx);
  int gy = GrabShare(25, grab.y, reference.cy);
  if (cursor.x < r.left + gx - 25 || cursor.x >= r.right + gx) return false;
  if (sideDock && (cursor.y < r.top || cursor.y >= r.bottom)) return false;
  if (cursor.y < r.top + gy - 25 || cursor.y >= r.bottom + gy) return false;
  RECT common;
  return IntersectRect(&common, &targetRect, &r) != FALSE;
}

RECT KeepFloatingTargetOnArea(RECT target, const RECT& area, int border, int topNonClient) {
  const int keep = border + 4;
  int dx = 0, dy = 0;
  if (target.right < area.left + keep) dx = area.left + keep - target.right;
  if (target.left > area.right - keep) dx = area.right - keep - target.left;
  if (target.bottom < area.top + keep) dy = area.top + keep - target.bottom;
  if (target.top > area.bottom - keep) dy = area.bottom - keep - target.top;
  OffsetRect(&target, dx, dy);
  const int highest = area.top - topNonClient + 4;
  if (target.top < highest) OffsetRect(&target, 0, highest - target.top);
  return target;
}

RECT SizedRect(const RECT& start, int edge, POINT delta, SIZE minimum, SIZE maximum) {
  const bool widthChanges = edge != 2 && edge != 5;
  const bool leftMoves = edge == 0 || edge == 3 || edge == 6;
  const bool heightChanges = edge >= 2;
  const bool topMoves = edge >= 2 && edge <= 4;
  RECT r = start;
  if (widthChanges) {
    (leftMoves ? r.left : r.right) += delta.x;
    int width = r.right - r.left;
    int wanted = std::max<int>(width, minimum.cx);
    if (maximum.cx > 0) wanted = std::min<int>(wanted, maximum.cx);
    if (wanted != width) {
      if (leftMoves)
        r.left = r.right - wanted;
      else
        r.right = r.left + wanted;
    }
  }
  if (heightChanges) {
    (topMoves ? r.top : r.bottom) += delta.y;
    int height = r.bottom - r.top;
    int wanted = std::max<int>(height, minimum.cy);
    if (maximum.cy > 0) wanted = std::min<int>(wanted, maximum.cy);
    if (wanted != height) {
      if (topMoves)
        r.top = r.bottom - wanted;
      else
        r.bottom = r.top + wanted;
    }
  }
  return r;
}

// --- The drag loop ---------------------------------------------------------------------------

namespace {

struct TargetRecord {
  TBarDock* Dock = nullptr;  // none: floating
  RECT DockRect{};
  SIZE Size{};
  std::vector<int> Rows;
};

// Locks the desktop's drawing for an XOR frame and gives it back on every way out.
class DesktopFrame {
 public:
  explicit DesktopFrame(bool wanted) {
    if (!wanted) return;
    locked_ = LockWindowUpdate(GetDesktopWindow()) != FALSE;
    dc_ = GetDCEx(GetDesktopWindow(), nullptr, DCX_WINDOW | DCX_CACHE | (locked_ ? DCX_LOCKWINDOWUPDATE : 0));
  }
  ~DesktopFrame() {
    Erase();
    if (dc_) ReleaseDC(GetDesktopWindow(), dc_);
    if (locked_) LockWindowUpdate(nullptr);
  }
  DesktopFrame(const DesktopFrame&) = delete;
  DesktopFrame& operator=(const DesktopFrame&) = delete;

  void Move(const RECT& to, SIZE thickness) {
    if (!dc_) return;
    const RECT* oldRect = shown_ ? &rect_ : nullptr;
    const RECT* newRect = IsRectEmpty(&to) ? nullptr : &to;
    if (!oldRect && !newRect) return;
    if (oldRect && newRect && EqualRect(oldRect, newRect) && thickness.cx == size_.cx && thickness.cy == size_.cy)
      return;
    DrawDragFrame(dc_, newRect, oldRect, thickness, size_);
    shown_ = newRect != nullptr;
    if (newRect) rect_ = to;
    size_ = thickness;
    GdiFlush();
  }
  void Erase() {
    if (dc_ && shown_) {
      DrawDragFrame(dc_, nullptr, &rect_, size_, size_);
      GdiFlush();
    }
    shown_ = false;
  }

 private:
  HDC dc_ = nullptr;
  bool locked_ = false;
  bool shown_ = false;
  RECT rect_{};
  SIZE size_{};
};

// Where the mouse was when the message that started a loop was sent.
POINT MessagePoint() {
  const DWORD pos = GetMessagePos();
  return {static_cast<SHORT>(LOWORD(pos)), static_cast<SHORT>(HIWORD(pos))};
}

bool IsDockOfPosition(TControl* c, TBarDockPosition p) {
  auto* d = dynamic_cast<TBarDock*>(c);
  return d && d->Position() == p;
}

}  // namespace

class TBarDragLoop {
 public:
  explicit TBarDragLoop(TBarCustomDockableWindow* w) : w_(w) {}
  void Run(POINT clientPoint);

 private:
  void CollectDocks();
  void WalkControls(TWinControl* parent);
  void AddCandidate(TBarDock* dock);
  TargetRecord MakeRecord(TBarDock* dock);
  SIZE NonClientSizesOn(TBarDock* dock);
  // `cursor`: where the mouse message that asks for it was sent from, or none for the
  // cursor's present place.
  void Update(bool search, const POINT* cursor = nullptr);
  void Drop(const TargetRecord* target, RECT rect);
  void ShowCursor(HCURSOR c) { ::SetCursor(c); }

  TBarCustomDockableWindow* w_;
  TBarDock* startDock_ = nullptr;
  int startRow_ = 0, startPos_ = 0;
  bool startSide_ = false;
  bool maySplit_ = false;
  bool smooth_ = false;
  POINT grab_{};
  SIZE reference_{};
  bool control_ = false;
  bool cannotFloat_ = false;
  std::vector<TBarDock*> candidates_;
  std::vector<TargetRecord> targets_;
  const TargetRecord* target_ = nullptr;
  RECT targetRect_{};
  POINT cursorStart_{}, cursorLast_{};
  HCURSOR startCursor_ = nullptr;
  DesktopFrame* frame_ = nullptr;
};

void TBarDragLoop::AddCandidate(TBarDock* dock) {
  if (std::find(candidates_.begin(), candidates_.end(), dock) != candidates_.end()) return;
  if (!dock->DragAllowed(w_) || !w_->AcceptsDock(dock)) return;
  candidates_.push_back(dock);
}

void TBarDragLoop::WalkControls(TWinControl* parent) {
  static constexpr TBarDockPosition order[] = {TBarDockPosition::dpTop, TBarDockPosition::dpBottom,
                                               TBarDockPosition::dpLeft, TBarDockPosition::dpRight};
  for (TBarDockPosition p : order)
    for (int i = 0; i < parent->ControlCount(); ++i) {
      TControl* c = parent->Controls(i);
      if (c->Visible() && IsDockOfPosition(c, p)) AddCandidate(static_cast<TBarDock*>(c));
    }
  for (int i = 0; i < parent->ControlCount(); ++i) {
    auto* c = dynamic_cast<TWinControl*>(parent->Controls(i));
    if (!c || !c->Visible() || c == w_ || dynamic_cast<TBarDock*>(c)) continue;
    WalkControls(c);
  }
}

void TBarDragLoop::CollectDocks() {
  TBarDock* current = w_->Docked() ? w_->CurrentDock() : nullptr;
  if (w_->DockMode() == TBarDockMode::dmCannotFloatOrChangeDocks) {
    if (current) candidates_.push_back(current);
  } else {
    if (current) AddCandidate(current);
    TCustomForm* top = w_->TopForm();
    std::vector<TCustomForm*> forms;
    for (int i = 0; i < Screen().FormCount(); ++i) {
      TCustomForm* f = Screen().Forms(i);
      if (f == top || std::find(w_->ExtraForms().begin(), w_->ExtraForms().end(), f) != w_->ExtraForms().end())
        forms.push_back(f);
    }
    // The top form leads whatever the activation order says.
    if (top) {
      std::erase(forms, top);
      forms.insert(forms.begin(), top);
    }
    for (TCustomForm* f : forms) WalkControls(f);
  }
  for (TBarDock* d : candidates_)
    for (int i = 0; i < d->DockListCount(); ++i) {
      TBarCustomDockableWindow* bar = d->DockListAt(i);
      if (bar->Parent() != d || bar->EffectiveRow() < 0) continue;
      bar->dockRow_ = bar->EffectiveRow();
      bar->dockPos_ = bar->EffectivePos();
    }
}

TargetRecord TBarDragLoop::MakeRecord(TBarDock* dock) {
  TargetRecord r;
  r.Dock = dock;
  if (!dock) {
    SIZE size{w_->Width(), w_->Height()};
    if (!w_->Floating()) w_->ComputeLayout(false, w_->DockType(), size, nullptr, true);
    SIZE border{0, 0};
    w_->FloatingBorderSize(border);
    int caption = w_->ShowCaption() ? GetSystemMetrics(SM_CYSMCAPTION) - 1 : 0;
    r.Size = {size.cx + 2 * border.cx, size.cy + 2 * border.cy + caption};
    return r;
  }
  GetWindowRect(dock->Handle(), &r.DockRect);
  if (dock == w_->CurrentDock() && w_->Docked()) {
    r.Size = {w_->Width(), w_->Height()};
  } else {
    SIZE size{w_->Width(), w_->Height()};
    w_->ComputeLayout(false, w_->DockType(), size, dock, false);
    const SIZE nc = NonClientSizesOn(dock);
    r.Size = {size.cx + nc.cx, size.cy + nc.cy};
  }
  for (int row = 0; row <= dock->HighestRow(true); ++row) {
    bool full = false;
    int t = dock->RowThickness(row, full);
    r.Rows.push_back((t & 0xFFFF) | (full ? RowHasFullSizeBar : 0));
  }
  return r;
}

// The window's own frame as it would be on `dock`: the window answers for the dock it is on,
// so it is put there for the question alone.
SIZE TBarDragLoop::NonClientSizesOn(TBarDock* dock) {
  const bool docked = w_->docked_;
  TBarDock* current = w_->currentDock_;
  w_->docked_ = true;
  w_->currentDock_ = dock;
  SIZE nc{0, 0};
  try {
    w_->NonClientSizes(nc);
  } catch (...) {
    w_->docked_ = docked;
    w_->currentDock_ = current;
    throw;
  }
  w_->docked_ = docked;
  w_->currentDock_ = current;
  return nc;
}

void TBarDragLoop::Run(POINT clientPoint) {
  startDock_ = w_->Docked() ? w_->CurrentDock() : nullptr;
  startRow_ = w_->DockRow();
  startPos_ = w_->DockPos();
  if (startDock_) {
    startDock_->SetDraggedBar(w_);
    startDock_->SetDragSplitting(false);
    startDock_->SetDragCanSplit(false);
    startDock_->SetCommitPositions(true);
    startDock_->ArrangeBars();
    startSide_ = startDock_->IsSideDock();
    maySplit_ = startDock_->DragCanSplit();
  }
  smooth_ = w_->SmoothDrag();
  HWND grabbed = w_->Floating() && w_->FloatingParent() ? w_->FloatingParent()->Handle() : w_->Handle();
  RECT grabRect;
  GetWindowRect(grabbed, &grabRect);
  POINT screen = w_->ClientToScreen(clientPoint);
  grab_ = {screen.x - grabRect.left, screen.y - grabRect.top};
  reference_ = {grabRect.right - grabRect.left - 1, grabRect.bottom - grabRect.top - 1};
  control_ = GetKeyState(VK_CONTROL) < 0;
  cannotFloat_ = w_->DockMode() != TBarDockMode::dmCanFloat;

  bool accepted = false;
  w_->dragging_ = true;
  w_->smoothDragging_ = smooth_;
  auto cleanup = [&] {
    w_->smoothDragging_ = false;
    w_->dragging_ = false;
  };
  try {
    CollectDocks();
    targets_.reserve(candidates_.size() + 1);
    for (TBarDock* d : candidates_) targets_.push_back(MakeRecord(d));
    targets_.push_back(MakeRecord(nullptr));
    DispatchPendingPaints();
    startCursor_ = GetCursor();
    cursorStart_ = MessagePoint();
    cursorLast_ = cursorStart_;
    {
      DesktopFrame frame(!smooth_);
      frame_ = &frame;
      TModalCapture capture(w_->Handle());
      Update(w_->Docked());
      accepted = capture.Run(
          [&](const MSG& msg) {
            if (msg.wParam == VK_CONTROL) {
              const bool down = msg.message == WM_KEYDOWN;
              if (down != control_) {
                control_ = down;
                Update(true);
              }
            } else if (msg.wParam == VK_ESCAPE) {
              capture.Stop();
            }
          },
          [&](const MSG& msg) {
            if (!SamePoint(msg.pt, cursorLast_)) Update(true, &msg.pt);
          });
      frame_ = nullptr;
    }
    smooth_ = false;
    w_->smoothDragging_ = false;
    // A live drag has shown every place already, but only this drop commits the rows and
    // positions it shows: without it a new row or a pushed neighbour falls back.
    if (accepted && !IsRectEmpty(&targetRect_)) Drop(target_, targetRect_);
  } catch (...) {
    frame_ = nullptr;
    cleanup();
    if (startDock_) startDock_->SetDraggedBar(nullptr), startDock_->SetDragSplitting(false);
    throw;
  }
  cleanup();
  if (w_->UseLastDock() && w_->Docked() && w_->CurrentDock()) w_->SetLastDock(w_->CurrentDock());
  if (TBarFloatingWindowParent* fp = w_->FloatingParent(); fp && w_->Parent() != fp) w_->FreeFloatingParent();
  for (TBarDock* d : {startDock_, w_->Docked() ? w_->CurrentDock() : nullptr}) {
    if (!d) continue;
    d->SetDraggedBar(nullptr);
    d->SetDragSplitting(false);
  }
  if (!w_->Docked()) {
    w_->dockRow_ = startRow_;
    w_->dockPos_ = startPos_;
  }
  if (w_->Docked() && w_->CurrentDock()) w_->CurrentDock()->ArrangeBars();
}

void TBarDragLoop::Update(bool search, const POINT* at) {
  POINT cursor;
  if (at)
    cursor = *at;
  else
    GetCursorPos(&cursor);
  cursorLast_ = cursor;
  const TargetRecord* target = nullptr;
  TBarDock* current = w_->Docked() ? w_->CurrentDock() : nullptr;
  if (current && current->DragSplitting()) {
    for (const TargetRecord& t : targets_)
      if (t.Dock == current) target = &t;
  } else if (search && !control_) {
    for (const TargetRecord& t : targets_) {
      if (!t.Dock) continue;
      RECT rect = PlaceAtGrab(cursor, t.Size, grab_, reference_);
      if (!InDockingZone(cursor, t.DockRect, t.Dock->IsSideDock(), grab_, reference_, rect)) continue;
      bool accept = true;
      if (t.Dock->OnRequestDock) t.Dock->OnRequestDock(t.Dock, w_, accept);
      if (!accept) continue;
      target = &t;
      break;
    }
  }
  if (!target) {
    RECT area = NearestMonitorRectForPoint(cursor, true);
    cursor.x = std::clamp<LONG>(cursor.x, area.left, area.right - 1);
    cursor.y = std::clamp<LONG>(cursor.y, area.top, area.bottom - 1);
  }
  const TargetRecord& record = target ? *target : targets_.back();
  RECT rect = PlaceAtGrab(cursor, record.Size, grab_, reference_);
  SIZE border{0, 0};
  w_->FloatingBorderSize(border);
  if (!target) {
    int caption = w_->ShowCaption() ? GetSystemMetrics(SM_CYSMCAPTION) - 1 : 0;
    rect = KeepFloatingTargetOnArea(rect, NearestMonitorRectForPoint(cursor, true), border.cx, border.cy + caption);
  }
  HCURSOR shape = startCursor_;
  if (cannotFloat_ && !target) {
    shape = LoadCursorW(nullptr, IDC_NO);
    SetRectEmpty(&rect);
  } else if (target && target->Dock->DragSplitting()) {
    shape = LoadCursorW(nullptr, target->Dock->IsSideDock() ? IDC_SIZENS : IDC_SIZEWE);
  }
  ShowCursor(shape);
  target_ = target;
  targetRect_ = rect;
  if (frame_ && !smooth_) {
    frame_->Move(rect, target ? SIZE{1, 1} : border);
  } else if (smooth_ && !IsRectEmpty(&rect)) {
    Drop(target, rect);
  }
}

void TBarDragLoop::Drop(const TargetRecord* target, RECT rect) {
  if (target && target->Dock) {
    TBarDock* dock = target->Dock;
    RECT r = rect;
    OffsetRect(&r, -target->DockRect.left, -target->DockRect.top);
    const bool side = dock->IsSideDock();
    TBarRowPick pick{w_->DockRow(), false};
    if (!dock->DragSplitting()) {
      int centre = side ? (r.left + r.right) / 2 : (r.top + r.bottom) / 2;
      pick = PickDockRow(centre, target->Rows, w_->FullSize());
      if (pick.NewRowBefore) maySplit_ = false;
    }
    if (maySplit_) {
      int along = startSide_ ? std::abs(cursorLast_.y - cursorStart_.y) : std::abs(cursorLast_.x - cursorStart_.x);
      if (dock == startDock_ && pick.Row == startRow_ && along > 9) {
        dock->SetDragSplitting(true);
        ShowCursor(LoadCursorW(nullptr, side ? IDC_SIZENS : IDC_SIZEWE));
      } else if (dock != startDock_ || pick.Row != startRow_) {
        maySplit_ = false;
      }
    }
    w_->dockRow_ = pick.Row;
    w_->dockPos_ = side ? r.top : r.left;
    if (!smooth_) dock->SetCommitPositions(true);
    w_->SetInsertRowBefore(pick.NewRowBefore);
    try {
      if (w_->Parent() == dock)
        dock->ArrangeBars();
      else
        w_->SetParent(dock);
    } catch (...) {
      w_->SetInsertRowBefore(false);
      throw;
    }
    w_->SetInsertRowBefore(false);
  } else {
    w_->floatingPosition_ = {rect.left, rect.top};
    if (w_->Floating())
      w_->SetFloatingPosition({rect.left, rect.top});
    else
      w_->SetFloating(true);
    w_->KeepOnScreen(true);
  }
  if (w_->HandleAllocated()) UpdateWindow(w_->Handle());
}

void TBarCustomDockableWindow::BeginDrag(POINT clientPoint) {
  if (!CanBeDragged() || dragging_) return;
  TBarDragLoop(this).Run(clientPoint);
}

// --- The sizing loop -------------------------------------------------------------------------

class TBarSizingLoop {
 public:
  TBarSizingLoop(TBarCustomDockableWindow* w, int edge) : w_(w), edge_(edge) {}
  void Run();

 private:
  void Apply(const RECT& r);
  TBarCustomDockableWindow* w_;
  int edge_;
};

void TBarSizingLoop::Apply(const RECT& r) {
  TBarFloatingWindowParent* fp = w_->FloatingParent();
  w_->SuspendArrange();
  try {
    w_->SizingApply();
    w_->floatingPosition_ = {r.left, r.top};
    fp->SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
    SIZE nc = fp->NonClientSize();
    w_->TControl::SetBounds(0, 0, std::max<int>(0, fp->Width() - nc.cx), std::max<int>(0, fp->Height() - nc.cy));
  } catch (...) {
    w_->ResumeArrange();
    throw;
  }
  w_->ResumeArrange();
  w_->KeepOnScreen(true);
}

void TBarSizingLoop::Run() {
  TBarFloatingWindowParent* fp = w_->FloatingParent();
  if (!fp || w_->Parent() != fp) return;
  int minW = 0, minH = 0, maxH = 0, maxW = 0;
  w_->SizingLimits(minW, minH, maxH, maxW);
  const int extraW = fp->Width() - w_->Width(), extraH = fp->Height() - w_->Height();
  SIZE minimum{minW + extraW, minH + extraH};
  SIZE maximum{maxW > 0 ? maxW + extraW : 0, maxH > 0 ? maxH + extraH : 0};
  const bool smooth = w_->SmoothDrag();
  SIZE border{0, 0};
  w_->FloatingBorderSize(border);
  w_->SizingBegin(edge_);
  bool accepted = false;
  RECT current{};
  try {
    DispatchPendingPaints();
    {
      DesktopFrame frame(!smooth);
      TModalCapture capture(w_->Handle());
      if ((w_->DockableStyle() & 2) && !SeveralMonitors()) {
        RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
        ClipCursor(&screen);
      }
      const RECT start = fp->BoundsRect();
      current = start;
      if (!smooth) frame.Move(current, border);
      const POINT cursorStart = MessagePoint();
      POINT cursorLast = cursorStart;
      accepted = capture.Run(
          [&](const MSG& msg) {
            if (msg.wParam == VK_ESCAPE) capture.Stop();
          },
          [&](const MSG& msg) {
            const POINT p = msg.pt;
            if (SamePoint(p, cursorLast)) return;
            cursorLast = p;
            RECT next = SizedRect(start, edge_, {p.x - cursorStart.x, p.y - cursorStart.y}, minimum, maximum);
            w_->SizingTrack(next, start);
            current = next;
            if (smooth)
              Apply(current);
            else
              frame.Move(current, border);
          });
    }
    if (accepted && !smooth) Apply(current);
  } catch (...) {
    w_->SizingEnd();
    throw;
  }
  w_->SizingEnd();
}

void TBarCustomDockableWindow::BeginSizing(int edge) {
  if (!floating_ || !resizable_ || !floatingParent_) return;
  TBarSizingLoop(this, edge).Run();
}

}  // namespace movra::bars
