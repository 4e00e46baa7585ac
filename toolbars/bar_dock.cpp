#include "toolbars/bar_dock.h"

#include <algorithm>

#include "runtime/ui/resstrings.h"
#include "toolbars/bar_common.h"

namespace movra::bars {

using namespace movra::ui;

// --- TBarDock --------------------------------------------------------------------------------

TBarDock::TBarDock(TComponent* owner) : TCustomControl(owner) {
  SetControlStyle((ControlStyle() | csAcceptsControls | csMenuEvents) & ~(csCaptureMouse | csClickEvents | csOpaque));
  SetColor(clBtnFace);
  SetAlign(TAlign::alTop);
}

TBarDock::~TBarDock() { TBarDock::BeforeDestruction(); }

void TBarDock::BeforeDestruction() {
  if (background_) {
    background_->RemoveChangeListener(TNotifyEvent(this, &TBarDock::BackgroundChanged));
    background_->RemoveFreeNotification(this);
    background_ = nullptr;
  }
  // Windows that still remember this dock forget it before it goes.
  for (TBarCustomDockableWindow* w : std::vector<TBarCustomDockableWindow*>(dockList_)) {
    if (w->lastDock_ == this) w->lastDock_ = nullptr;
    if (w->defaultDock_ == this) w->defaultDock_ = nullptr;
  }
  TCustomControl::BeforeDestruction();
  dockList_.clear();
  visibleList_.clear();
}

void TBarDock::CreateParams(TCreateParams& params) {
  TCustomControl::CreateParams(params);
  params.ClassStyle &= ~(CS_HREDRAW | CS_VREDRAW);
}

void TBarDock::SetParent(TWinControl* parent) {
  for (TWinControl* p = parent; p; p = p->Parent())
    if (dynamic_cast<TBarCustomDockableWindow*>(p) || dynamic_cast<TBarDock*>(p) ||
        dynamic_cast<TBarFloatingWindowParent*>(p))
      throw EInvalidOperation(LoadResString(res::BarDockParent));
  TCustomControl::SetParent(parent);
}

void TBarDock::SetPosition(TBarDockPosition position) {
  if (position == position_) return;
  if (ControlCount() > 0)
    throw EInvalidOperation(LoadResString(res::BarDockPosition));
  position_ = position;
  static constexpr TAlign aligns[] = {TAlign::alTop, TAlign::alBottom, TAlign::alLeft, TAlign::alRight};
  SetAlign(aligns[static_cast<int>(position)]);
}

void TBarDock::SetAllowDrag(bool on) {
  if (on == allowDrag_) return;
  allowDrag_ = on;
  for (int i = 0; i < ControlCount(); ++i)
    if (auto* w = dynamic_cast<TBarCustomDockableWindow*>(Controls(i))) w->RecalcNonClient();
}

void TBarDock::SetBoundLines(TBarDockBoundLines lines) {
  if (lines == boundLines_) return;
  boundLines_ = lines;
  ncWidth_ = ((lines & blLeft) ? 1 : 0) + ((lines & blRight) ? 1 : 0);
  ncHeight_ = ((lines & blTop) ? 1 : 0) + ((lines & blBottom) ? 1 : 0);
  if (HandleAllocated())
    SetWindowPos(Handle(), nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  ArrangeBars();
}

void TBarDock::SetBackground(TBarBasicBackground* background) {
  if (background == background_) return;
  if (background_) {
    background_->RemoveChangeListener(TNotifyEvent(this, &TBarDock::BackgroundChanged));
    background_->RemoveFreeNotification(this);
  }
  background_ = background;
  if (background_) {
    background_->FreeNotification(this);
    background_->AddChangeListener(TNotifyEvent(this, &TBarDock::BackgroundChanged));
  }
  RepaintWithBars();
}

void TBarDock::BackgroundChanged(TObject*) { RepaintWithBars(); }

void TBarDock::SetBackgroundOnToolbars(bool on) {
  if (on == backgroundOnToolbars_) return;
  backgroundOnToolbars_ = on;
  RepaintWithBars();
}

void TBarDock::SetFixAlign(bool on) {
  if (on == fixAlign_) return;
  fixAlign_ = on;
  ArrangeBars();
}

void TBarDock::SetLimitToOneRow(bool on) {
  if (on == limitToOneRow_) return;
  limitToOneRow_ = on;
  ArrangeBars();
}

void TBarDock::RepaintWithBars() {
  if (!HandleAllocated()) return;
  RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

bool TBarDock::DragAllowed(TBarCustomDockableWindow*) { return allowDrag_; }

void TBarDock::PaintBackground(HDC dc, const RECT& rect) {
  if (background_) background_->PaintTo(dc, rect);
}

bool TBarDock::BackgroundInUse() { return background_ && background_->InUse(); }

void TBarDock::ResumeArrange() {
  if (arrangeSuspend_ <= 0) return;
  if (--arrangeSuspend_ == 0 && arrangeRequested_) ArrangeBars();
}

namespace {

bool ShownOn(const TBarCustomDockableWindow* w, const TBarDock* dock) {
  return w->Parent() == dock && w->Visible();
}

}  // namespace

bool TBarDock::HasVisibleBars() const {
  return std::any_of(dockList_.begin(), dockList_.end(), [this](auto* w) { return ShownOn(w, this); });
}

int TBarDock::RowThickness(int row, bool& fullSize) const {
  fullSize = false;
  if (row < 0) return 0;
  int result = 0;
  for (TBarCustomDockableWindow* w : dockList_) {
    if (!ShownOn(w, this) || w->effectiveRow_ != row) continue;
    int t = IsSideDock() ? w->Width() : w->Height();
    result = std::max(result, t);
    fullSize = w->FullSize();
  }
  return result;
}

int TBarDock::RowAt(int offset) const {
  int highest = HighestRow(true);
  int sum = 0;
  bool full;
  for (int row = 0; row <= highest + 1; ++row) {
    sum += RowThickness(row, full);
    if (sum > offset) return row;
  }
  return highest + 1;
}

int TBarDock::HighestRow(bool effective) const {
  int highest = -1;
  for (TBarCustomDockableWindow* w : dockList_) highest = std::max(highest, effective ? w->effectiveRow_ : w->dockRow_);
  return highest;
}

int TBarDock::LargestOtherRowSize(int row, const TBarCustomDockableWindow* window) const {
  int result = 0;
  for (TBarCustomDockableWindow* w : dockList_)
    if (w != window && ShownOn(w, this) && w->effectiveRow_ == row) result = std::max(result, w->lastRowSize_);
  return result;
}

void TBarDock::ResizeKeepingFarEdge(int width, int height) {
  switch (Align()) {
    case TAlign::alBottom:
      SetBounds(Left(), Top() + Height() - height, width, height);
      break;
    case TAlign::alRight:
      SetBounds(Left() + Width() - width, Top(), width, height);
      break;
    case TAlign::alTop:
    case TAlign::alLeft:
    case TAlign::alNone:
      SetBounds(Left(), Top(), width, height);
      break;
    case TAlign::alClient:
      break;
  }
}

void TBarDock::AlignControls(RECT) { ArrangeBars(); }

void TBarDock::Loaded() {
  TCustomControl::Loaded();
  ArrangeBars();
}

void TBarDock::Notification(TComponent* component, TOperation operation) {
  TCustomControl::Notification(component, operation);
  if (operation != TOperation::opRemove) return;
  if (component == background_) background_ = nullptr;
  auto* w = dynamic_cast<TBarCustomDockableWindow*>(component);
  if (!w) return;
  std::erase(dockList_, w);
  std::erase(visibleList_, w);
}

void TBarDock::AddToDockList(TBarCustomDockableWindow* window) {
  bool changed = false;
  if (std::find(dockList_.begin(), dockList_.end(), window) == dockList_.end()) {
    dockList_.push_back(window);
    window->FreeNotification(this);
    changed = true;
  }
  (void)changed;
  UpdateVisibleList();
}

void TBarDock::RemoveFromDockList(TBarCustomDockableWindow* window) {
  std::erase(dockList_, window);
  UpdateVisibleList();
}

void TBarDock::UpdateVisibleList(TBarCustomDockableWindow* forcedOut) {
  std::vector<TBarCustomDockableWindow*> inserted, removed;
  for (TBarCustomDockableWindow* w : std::vector<TBarCustomDockableWindow*>(visibleList_)) {
    bool stays = w != forcedOut && ShownOn(w, this) &&
                 std::find(dockList_.begin(), dockList_.end(), w) != dockList_.end();
    if (!stays) {
      std::erase(visibleList_, w);
      removed.push_back(w);
    }
  }
  for (TBarCustomDockableWindow* w : dockList_) {
    if (w == forcedOut || !ShownOn(w, this)) continue;
    if (std::find(visibleList_.begin(), visibleList_.end(), w) != visibleList_.end()) continue;
    visibleList_.push_back(w);
    inserted.push_back(w);
  }
  if (inserted.empty() && removed.empty()) return;
  ArrangeBars();
  if (OnInsertRemoveBar) {
    for (auto* w : removed) OnInsertRemoveBar(this, false, w);
    for (auto* w : inserted) OnInsertRemoveBar(this, true, w);
  }
}

// --- The arrangement -------------------------------------------------------------------------

namespace {

// Moves every record from `first` on (row or effective row at `row` or later) one row down.
void MoveRowsDown(std::vector<TBarArrangeRecord>& records, size_t first, int row, size_t except = SIZE_MAX) {
  for (size_t j = first; j < records.size(); ++j) {
    if (j == except) continue;
    if (records[j].Row >= row) ++records[j].Row;
    if (records[j].EffectiveRow >= row) ++records[j].EffectiveRow;
  }
}

}  // namespace

// Restores the dock's arrangement state whatever way the arrangement ends.
TBarDock::TArrangeScope::TArrangeScope(TBarDock& dock) : dock_(dock) { ++dock_.arrangeSuspend_; }

TBarDock::TArrangeScope::~TArrangeScope() {
  --dock_.arrangeSuspend_;
  dock_.arrangeRequested_ = false;
  dock_.commitPositions_ = false;
}

bool TBarDock::ArrangeDeferred() {
  if (arrangeSuspend_ > 0 || IsLoading()) {
    arrangeRequested_ = true;
    return true;
  }
  return false;
}

void TBarDock::DropDestroyedBars() {
  for (size_t i = dockList_.size(); i-- > 0;) {
    TBarCustomDockableWindow* w = dockList_[i];
    if (w->IsDestroying()) {
      dockList_.erase(dockList_.begin() + static_cast<std::ptrdiff_t>(i));
      std::erase(visibleList_, w);
    }
  }
}

void TBarDock::SetEffectivePlace(TBarCustomDockableWindow* bar, int row, int pos, bool commit) {
  bar->effectiveRow_ = row;
  bar->effectivePos_ = pos;
  if (commit) {
    bar->dockRow_ = row;
    bar->dockPos_ = pos;
  }
}

void TBarDock::PlaceBar(TBarCustomDockableWindow* bar, int left, int top, int width, int height) {
  ++bar->boundsUpdate_;
  try {
    bar->SetBounds(left, top, width, height);
  } catch (...) {
    --bar->boundsUpdate_;
    throw;
  }
  --bar->boundsUpdate_;
}

void TBarDock::ArrangeBars() {
  if (ArrangeDeferred()) return;
  TArrangeScope bracket(*this);
  const bool side = IsSideDock();
  if (!HasVisibleBars()) {
    int thickness = fixAlign_ ? 1 : 0;
    if (side)
      ResizeKeepingFarEdge(thickness, Height());
    else
      ResizeKeepingFarEdge(Width(), thickness);
    return;
  }
  const int clientWidth = std::max(0, Width() - ncWidth_);
  const int clientHeight = std::max(0, Height() - ncHeight_);
  const int rowSpace = side ? clientHeight : clientWidth;

  DropDestroyedBars();
  if (limitToOneRow_)
    for (TBarCustomDockableWindow* w : dockList_) w->dockRow_ = 0;

  std::vector<TBarCustomDockableWindow*> bars = dockList_;
  auto dragged = std::find(bars.begin(), bars.end(), draggedBar_);
  const std::ptrdiff_t draggedIndex = dragged == bars.end() ? -1 : dragged - bars.begin();
  auto byRowThenPos = [](const TBarCustomDockableWindow* a, const TBarCustomDockableWindow* b) {
    if (a->dockRow_ != b->dockRow_) return a->dockRow_ < b->dockRow_;
    return a->dockPos_ < b->dockPos_;
  };
  std::stable_sort(bars.begin(), bars.end(), byRowThenPos);
  if (dragSplitting_ && draggedIndex >= 0) {
    std::erase(bars, draggedBar_);
    bars.insert(bars.begin() + draggedIndex, draggedBar_);
  }
  std::stable_sort(visibleList_.begin(), visibleList_.end(), byRowThenPos);

  std::vector<TBarArrangeRecord> records(bars.size());
  for (size_t i = 0; i < bars.size(); ++i) {
    records[i].Row = bars[i]->dockRow_;
    records[i].EffectiveRow = ShownOn(bars[i], this) ? bars[i]->dockRow_ : -1;
    records[i].Position = bars[i]->dockPos_;
  }
  ArrangeRows(bars, records, rowSpace);

  for (size_t i = 0; i < bars.size(); ++i) SetEffectivePlace(bars[i], records[i].Row, records[i].Position, commitPositions_);
  if (commitPositions_) dockList_ = bars;

  int rowCount = 0;
  for (const TBarArrangeRecord& r : records) rowCount = std::max(rowCount, r.Row);
  ApplyBounds(bars, records, rowCount);
}

void TBarDock::ArrangeRows(std::vector<TBarCustomDockableWindow*>& bars, std::vector<TBarArrangeRecord>& records,
                           int rowSpace) {
  const bool side = IsSideDock();
  const size_t n = bars.size();
  int rowCount = HighestRow(false);

  // Bars that want a row of their own: a dropped bar asking for a new row, then full-size bars.
  for (int pass = 1; pass <= 2; ++pass) {
    if (pass == 1 && limitToOneRow_) continue;
    for (int row = 0; row <= rowCount; ++row) {
      for (size_t i = 0; i < n; ++i) {
        if (records[i].Row != row) continue;
        bool wants = pass == 1 ? bars[i]->insertRowBefore_ : bars[i]->fullSize_;
        if (!wants) continue;
        bool shared = false;
        for (size_t j = 0; j < n; ++j)
          if (j != i && records[j].Row == row) shared = true;
        if (!shared) continue;
        MoveRowsDown(records, 0, row, i);
        ++rowCount;
        break;
      }
    }
  }

  // Rows without any bar close up.
  for (int row = 0; row <= rowCount;) {
    bool used = std::any_of(records.begin(), records.end(), [row](auto& r) { return r.Row == row; });
    if (used) {
      ++row;
      continue;
    }
    for (TBarArrangeRecord& r : records) {
      if (r.Row > row) --r.Row;
      if (r.EffectiveRow > row) --r.EffectiveRow;
    }
    --rowCount;
  }

  // The count is read again on each pass: a split adds a row below.
  for (int row = 0; row <= rowCount; ++row) {
    std::vector<size_t> inRow;
    int sum = 0, total = 0;
    for (size_t i = 0; i < n; ++i) {
      TBarArrangeRecord& r = records[i];
      if (r.EffectiveRow != row) continue;
      SIZE base{0, 0}, nc{0, 0};
      bars[i]->BaseSize(base);
      bars[i]->NonClientSizes(nc);
      r.FullLength = side ? base.cy + nc.cy : base.cx + nc.cx;
      r.CurrentLength = r.FullLength;
      r.ShrinkMode = bars[i]->CurrentShrinkMode();
      int shrunk = r.FullLength;
      bars[i]->MinimumShrunkLength(shrunk);
      r.ShrunkLength = std::min(shrunk, r.FullLength);
      sum += r.ShrinkMode == TBarShrinkMode::tbsmChevron ? r.ShrunkLength : r.FullLength;
      if (!inRow.empty() && sum > rowSpace && !limitToOneRow_) {
        MoveRowsDown(records, i, row);
        ++rowCount;
        break;
      }
      total += r.FullLength;
      inRow.push_back(i);
    }
    if (inRow.empty()) continue;
    int overflow = total - rowSpace;

    // Wished positions: gaps where the row has room, overlaps where bars want to sit inside
    // the previous one.
    int running = 0, shift = 0, previousEnd = 0, shrunkSum = 0, draggedWished = 0;
    for (size_t k = 0; k < inRow.size(); ++k) {
      TBarArrangeRecord& r = records[inRow[k]];
      TBarCustomDockableWindow* w = bars[inRow[k]];
      r.Gap = 0;
      r.Overlap = 0;
      int wished = w->dockPos_ + shift;
      if ((w->fullSize_ || w->stretch_) && running == 0) wished = 0;
      wished = std::max(wished, shrunkSum);
      if (wished > running) {
        if (overflow > 0) {
          // Packed: the bar sits at the running position, and the bars after it keep their
          // distances to it.
          shift -= wished - running;
          wished = running;
        } else {
          r.Gap = wished - running;
          running = wished;
        }
      }
      if (w == draggedBar_) draggedWished = wished;
      if (wished < previousEnd) r.Overlap = previousEnd - wished;
      running += r.CurrentLength;
      previousEnd = wished + r.CurrentLength;
      shrunkSum += r.ShrunkLength;
    }

    // Takes up to `excess` from the gaps of the row's bars from position `from` backwards.
    auto takeGaps = [&](size_t from, int excess) {
      int taken = 0;
      for (size_t k = from + 1; k-- > 0 && excess > 0;) {
        TBarArrangeRecord& r = records[inRow[k]];
        int t = std::min(r.Gap, excess);
        r.Gap -= t;
        excess -= t;
        taken += t;
      }
      return taken;
    };
    auto extentUpTo = [&](size_t last) {
      int e = 0;
      for (size_t k = 0; k <= last; ++k) e += records[inRow[k]].Gap + records[inRow[k]].CurrentLength;
      return e;
    };

    auto draggedAt = std::find_if(inRow.begin(), inRow.end(), [&](size_t i) { return bars[i] == draggedBar_; });
    if (overflow < 0 && draggedAt != inRow.end() && draggedAt != inRow.begin()) {
      size_t d = static_cast<size_t>(draggedAt - inRow.begin());
      int excess = extentUpTo(d - 1) - draggedWished;
      if (excess > 0) {
        int taken = takeGaps(d - 1, excess);
        if (d + 1 < inRow.size()) records[inRow[d + 1]].Gap += taken;
      }
    }
    {
      int excess = extentUpTo(inRow.size() - 1) - rowSpace;
      if (excess > 0) takeGaps(inRow.size() - 1, excess);
    }

    if (overflow > 0) {
      int accumulated = 0;
      // The whole row is walked even once earlier bars have taken the overflow: the dragged
      // bar may still split the row it overflowed.
      for (size_t k = 0; k < inRow.size(); ++k) {
        TBarArrangeRecord& r = records[inRow[k]];
        if (bars[inRow[k]] == draggedBar_ && inRow.size() > 1) dragCanSplit_ = true;
        accumulated = std::min(accumulated + r.Overlap, overflow);
        for (size_t j = k; accumulated > 0 && j-- > 0;) {
          if (bars[inRow[j]] == draggedBar_) break;
          TBarArrangeRecord& p = records[inRow[j]];
          if (p.ShrinkMode != TBarShrinkMode::tbsmChevron) continue;
          int t = std::min(accumulated, p.CurrentLength - p.ShrunkLength);
          if (t <= 0) continue;
          p.CurrentLength -= t;
          overflow -= t;
          accumulated -= t;
        }
      }
    }
    if (overflow > 0) {
      for (size_t k = inRow.size(); k-- > 0 && overflow > 0;) {
        TBarArrangeRecord& r = records[inRow[k]];
        if (r.ShrinkMode == TBarShrinkMode::tbsmNone) continue;
        if (r.ShrinkMode == TBarShrinkMode::tbsmWrap && inRow.size() > 1) continue;
        int t = std::min(overflow, r.CurrentLength - r.ShrunkLength);
        if (t <= 0) continue;
        r.CurrentLength -= t;
        overflow -= t;
      }
    }

    running = 0;
    for (size_t k = 0; k < inRow.size(); ++k) {
      TBarArrangeRecord& r = records[inRow[k]];
      TBarCustomDockableWindow* w = bars[inRow[k]];
      if (w->fullSize_ || w->stretch_) {
        r.CurrentLength += r.Gap;
        r.Gap = 0;
      }
      running += r.Gap;
      if (w->fullSize_) r.CurrentLength = std::max(r.CurrentLength, rowSpace);
      if (w->stretch_) {
        if (k + 1 < inRow.size()) {
          r.CurrentLength += records[inRow[k + 1]].Gap;
          records[inRow[k + 1]].Gap = 0;
        } else {
          r.CurrentLength = std::max(r.CurrentLength, rowSpace - running);
        }
      }
      r.Position = running;
      running += r.CurrentLength;
    }
  }
}

void TBarDock::ApplyBounds(std::vector<TBarCustomDockableWindow*>& bars, std::vector<TBarArrangeRecord>& records,
                           int& rowCount) {
  const bool side = IsSideDock();
  const int dockType = side ? dtLeftRight : dtTopBottom;
  int offset = 0;
  for (int row = 0; row <= rowCount; ++row) {
    int thickness = 0;
    std::vector<size_t> inRow;
    for (size_t i = 0; i < bars.size(); ++i) {
      if (records[i].EffectiveRow != row) continue;
      inRow.push_back(i);
      TBarCustomDockableWindow* w = bars[i];
      TBarArrangeRecord& r = records[i];
      int current = r.CurrentLength < r.FullLength ? r.CurrentLength : 0;
      bool changed = current != w->currentSize_;
      w->currentSize_ = current;
      SIZE size{0, 0};
      if (r.ShrinkMode != TBarShrinkMode::tbsmNone && changed) {
        w->ComputeLayout(true, dockType, size, this, false);
        r.NeedsRelayout = true;
        // Back to its full length it is as thick as its items, as at the first arrangement: the
        // layout's size is never below an empty bar's, which would leave a bar of short items
        // thicker after each time it was shrunk.
        if (current == 0) w->BaseSize(size);
      } else if (r.ShrinkMode == TBarShrinkMode::tbsmWrap && current != 0) {
        SIZE nc{0, 0};
        w->NonClientSizes(nc);
        size = {w->Width() - nc.cx, w->Height() - nc.cy};
      } else {
        w->BaseSize(size);
      }
      w->lastRowSize_ = side ? size.cx : size.cy;
      thickness = std::max(thickness, w->lastRowSize_);
    }
    if (thickness != 0) thickness += 4;
    for (size_t i : inRow) {
      TBarCustomDockableWindow* w = bars[i];
      TBarArrangeRecord& r = records[i];
      int savedCurrent = w->currentSize_;
      ++w->boundsUpdate_;
      try {
        if (r.NeedsRelayout) w->arrangeNeeded_ = true;
        if (side)
          w->SetBounds(offset, r.Position, thickness, r.CurrentLength);
        else
          w->SetBounds(r.Position, offset, r.CurrentLength, thickness);
        if (w->arrangeNeeded_) w->RecomputeSize();
      } catch (...) {
        --w->boundsUpdate_;
        w->currentSize_ = savedCurrent;
        throw;
      }
      --w->boundsUpdate_;
      w->currentSize_ = savedCurrent;
    }
    offset += thickness;
  }
  if (side)
    ResizeKeepingFarEdge(ncWidth_ + offset, Height());
  else
    ResizeKeepingFarEdge(Width(), ncHeight_ + offset);
}

// --- Painting and messages -------------------------------------------------------------------

void TBarDock::PaintNonClient(HDC dc) {
  if (boundLines_ == 0 || !HasVisibleBars()) return;
  RECT window;
  GetWindowRect(Handle(), &window);
  OffsetRect(&window, -window.left, -window.top);
  RECT client{(boundLines_ & blLeft) ? 1 : 0, (boundLines_ & blTop) ? 1 : 0,
              window.right - ((boundLines_ & blRight) ? 1 : 0), window.bottom - ((boundLines_ & blBottom) ? 1 : 0)};
  HPEN shadow = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW));
  HPEN light = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNHIGHLIGHT));
  HGDIOBJ old = SelectObject(dc, shadow);
  if (boundLines_ & blTop) {
    MoveToEx(dc, 0, 0, nullptr);
    LineTo(dc, window.right, 0);
  }
  if (boundLines_ & blLeft) {
    MoveToEx(dc, 0, 0, nullptr);
    LineTo(dc, 0, window.bottom);
  }
  SelectObject(dc, light);
  if (boundLines_ & blBottom) {
    MoveToEx(dc, 0, window.bottom - 1, nullptr);
    LineTo(dc, window.right, window.bottom - 1);
  }
  if (boundLines_ & blRight) {
    MoveToEx(dc, window.right - 1, 0, nullptr);
    LineTo(dc, window.right - 1, window.bottom);
  }
  SelectObject(dc, old);
  DeleteObject(shadow);
  DeleteObject(light);
  RECT inner;
  GetClientRect(Handle(), &inner);
  if (inner.right != client.right - client.left || inner.bottom != client.bottom - client.top) {
    // What the lines leave of the frame that the client area does not cover.
    HRGN ring = CreateRectRgnIndirect(&client);
    HRGN hole = CreateRectRgn(client.left, client.top, client.left + inner.right, client.top + inner.bottom);
    CombineRgn(ring, ring, hole, RGN_DIFF);
    FillRgn(dc, ring, BackgroundBrush());
    DeleteObject(hole);
    DeleteObject(ring);
  }
}

void TBarDock::Paint() {}

bool TBarDock::RelayToFloating(TMessage& m) {
  for (TBarCustomDockableWindow* w : std::vector<TBarCustomDockableWindow*>(dockList_)) {
    if (!(w->ControlStyle() & csMenuEvents) || !w->floating_ || !w->Showing() || !w->Enabled() ||
        !w->HandleAllocated())
      continue;
    LRESULT r = w->Perform(m.Msg, m.WParam, m.LParam);
    if (r != 0) {
      m.Result = r;
      return true;
    }
  }
  return false;
}

void TBarDock::WndProc(TMessage& m) {
  switch (m.Msg) {
    case WM_NCCALCSIZE: {
      auto* r = reinterpret_cast<RECT*>(m.LParam);
      if (boundLines_ & blTop) ++r->top;
      if (boundLines_ & blBottom) --r->bottom;
      if (boundLines_ & blLeft) ++r->left;
      if (boundLines_ & blRight) --r->right;
      if (r->bottom < r->top) r->bottom = r->top;
      if (r->right < r->left) r->right = r->left;
      m.Result = 0;
      return;
    }
    case WM_NCPAINT: {
      HDC dc = GetWindowDC(Handle());
      ClipDCToFrameUpdateRegion(Handle(), dc, reinterpret_cast<HRGN>(m.WParam));
      PaintNonClient(dc);
      ReleaseDC(Handle(), dc);
      m.Result = 0;
      return;
    }
    case WM_PRINT:
      m.Result = AnswerPrintMessage(
          Handle(), reinterpret_cast<HDC>(m.WParam), static_cast<UINT>(m.LParam),
          [](HWND, HDC dc, void* dock) { static_cast<TBarDock*>(dock)->PaintNonClient(dc); }, this);
      return;
    case WM_ERASEBKGND:
      if (BackgroundInUse()) {
        HDC dc = reinterpret_cast<HDC>(m.WParam);
        RECT client;
        GetClientRect(Handle(), &client);
        int saved = SaveDC(dc);
        IntersectClipRect(dc, client.left, client.top, client.right, client.bottom);
        RECT r = client;
        if (Parent() && Parent()->HandleAllocated()) {
          POINT origin{0, 0};
          MapWindowPoints(Parent()->Handle(), Handle(), &origin, 1);
          r.left = origin.x;
          r.top = origin.y;
        }
        PaintBackground(dc, r);
        RestoreDC(dc, saved);
        m.Result = 1;
        return;
      }
      break;
    case WM_MOVE:
      TCustomControl::WndProc(m);
      if (BackgroundInUse()) RepaintWithBars();
      return;
    case CM_SYSCOLORCHANGE:
      if (background_) background_->SystemColorsChanged();
      break;
    case CM_DIALOGKEY:
    case CM_DIALOGCHAR:
      // Floating windows of this dock are no children of it: they hear of the key first.
      if (RelayToFloating(m)) return;
      break;
    case WM_QUERYNEWPALETTE:
    case WM_PALETTECHANGED:
      break;
    case WM_SYSCOMMAND:
      if (!RelayToFloating(m)) m.Result = 0;
      return;
    default:
      break;
  }
  TCustomControl::WndProc(m);
}

}  // namespace movra::bars
