// The floating widths of a toolbar and the interactive resize of a floating toolbar, which snaps
// to them.
#include <algorithm>
#include <cstdlib>

#include "toolbars/bar_common.h"
#include "toolbars/bar_toolbar.h"

namespace movra::bars {

std::vector<TBarFloatingWidth> CollectFloatingWidthCandidates(const TBarFloatingLayout& layout, int leastWidth) {
  std::vector<TBarFloatingWidth> list;
  int lines = 1;
  const POINT first = layout(0, lines);
  list.push_back({first, lines, 0});
  int width = first.x - 1;
  while (width >= leastWidth) {
    const POINT size = layout(width, lines);
    if (size.x > width) break;
    if (size.x < width) {
      // Nothing changes between this result and the width asked for: go on from the result.
      width = size.x;
      continue;
    }
    // Each entry keeps the floating width it was laid out with, whatever order the entries are
    // sorted into later.
    TBarFloatingWidth entry{size, lines, width};
    if (list.back().Lines == lines)
      list.back() = entry;
    else
      list.push_back(entry);
    --width;
  }
  return list;
}

namespace {

int AxisOf(const TBarFloatingWidth& entry, bool byHeight) { return byHeight ? entry.Size.y : entry.Size.x; }

int CompareByWidth(const TBarFloatingWidth& a, const TBarFloatingWidth& b, void*) { return a.Size.x - b.Size.x; }
int CompareByHeight(const TBarFloatingWidth& a, const TBarFloatingWidth& b, void*) { return a.Size.y - b.Size.y; }

}  // namespace

void PrepareSizingCandidates(TBarSizingCandidates& c) {
  SortListByCompare(c.List, c.ByHeight ? &CompareByHeight : &CompareByWidth);
  int below = -1, above = -1;
  for (const TBarFloatingWidth& entry : c.List) {
    const int size = AxisOf(entry, c.ByHeight);
    if (size < c.StartSize) below = std::max(below, size);
    if (size > c.StartSize && (above < 0 || size < above)) above = size;
  }
  int snap = 12;
  if (below >= 0) snap = std::min(snap, c.StartSize - below - 1);
  if (above >= 0) snap = std::min(snap, above - c.StartSize - 1);
  c.Snap = std::max(snap, 0);
}

int PickSizingCandidate(const TBarSizingCandidates& c, int wanted) {
  if (c.List.empty() || std::abs(wanted - c.StartSize) <= c.Snap) return -1;
  const int count = static_cast<int>(c.List.size());
  if (wanted > c.StartSize) {
    for (int i = 0; i < count; ++i)
      if (AxisOf(c.List[i], c.ByHeight) >= wanted) return i;
    return count - 1;
  }
  for (int i = count - 1; i >= 0; --i)
    if (AxisOf(c.List[i], c.ByHeight) <= wanted) return i;
  return 0;
}

// --- The toolbar's side ----------------------------------------------------------------------

void TBarCustomToolbar::CollectFloatingWidths(std::vector<TBarFloatingWidth>& list) {
  RECT margins{};
  view_->ContentMargins(bvoFloating, margins);
  const int saved = floatingWidth_;
  auto layout = [this](int width, int& lines) {
    floatingWidth_ = width;
    SIZE size{0, 0};
    ComputeLayout(false, dtFloating, size, nullptr, true);
    lines = lastWrappedLines_;
    return POINT{size.cx, size.cy};
  };
  try {
    list = CollectFloatingWidthCandidates(layout, margins.left + margins.right);
  } catch (...) {
    floatingWidth_ = saved;
    throw;
  }
  floatingWidth_ = saved;
}

void TBarCustomToolbar::SizingBegin(int edge) {
  TBarFloatingWindowParent* parent = FloatingParent();
  if (!parent) return;
  auto data = std::make_unique<SizingData>();
  data->Edge = edge;
  data->ParentBounds = parent->BoundsRect();
  const SIZE frame = parent->NonClientSize();
  data->ClientOffset = parent->BorderSize();
  data->FloatingWidth = floatingWidth_;
  data->ChosenWidth = floatingWidth_;
  CollectFloatingWidths(data->Candidates.List);
  for (TBarFloatingWidth& entry : data->Candidates.List) {
    entry.Size.x += frame.cx;
    entry.Size.y += frame.cy;
  }
  data->Candidates.ByHeight = edge == 2 || edge == 5;
  const RECT& r = data->ParentBounds;
  data->Candidates.StartSize = data->Candidates.ByHeight ? r.bottom - r.top : r.right - r.left;
  PrepareSizingCandidates(data->Candidates);
  sizing_ = std::move(data);
}

void TBarCustomToolbar::SizingTrack(RECT& newRect, const RECT& startRect) {
  if (!sizing_) return;
  SizingData& s = *sizing_;
  const bool byHeight = s.Candidates.ByHeight;
  const int wanted = byHeight ? newRect.bottom - newRect.top : newRect.right - newRect.left;
  const int pick = PickSizingCandidate(s.Candidates, wanted);
  POINT size{startRect.right - startRect.left, startRect.bottom - startRect.top};
  if (pick < 0) {
    s.Chosen = -1;
    s.ChosenWidth = s.FloatingWidth;
  } else {
    s.Chosen = pick;
    size = s.Candidates.List[static_cast<size_t>(pick)].Size;
    s.ChosenWidth = s.Candidates.List[static_cast<size_t>(pick)].FloatingWidth;
  }
  // The edge opposite the dragged one stays where it was.
  const bool leftMoves = s.Edge == 0 || s.Edge == 3 || s.Edge == 6;
  const bool topMoves = s.Edge == 2 || s.Edge == 3 || s.Edge == 4;
  RECT r = startRect;
  if (leftMoves)
    r.left = r.right - size.x;
  else
    r.right = r.left + size.x;
  if (topMoves)
    r.top = r.bottom - size.y;
  else
    r.bottom = r.top + size.y;
  newRect = r;
}

void TBarCustomToolbar::SizingApply() {
  if (sizing_) SetFloatingWidth(sizing_->ChosenWidth);
}

void TBarCustomToolbar::SizingEnd() { sizing_.reset(); }

void TBarCustomToolbar::ReadPositionData(const TBarPositionDataIO& io) {
  if (io.ReadInteger) SetFloatingWidth(io.ReadInteger(Name(), "FloatRightX", 0));
}

void TBarCustomToolbar::WritePositionData(const TBarPositionDataIO& io) {
  if (io.WriteInteger) io.WriteInteger(Name(), "FloatRightX", floatingWidth_);
}

}  // namespace movra::bars
