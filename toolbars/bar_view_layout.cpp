#include "toolbars/bar_view_layout.h"

#include <algorithm>
#include <climits>

namespace movra::bars {
namespace {

// Along the line is x, or y in a vertical view; across is the other axis.
struct Axes {
  bool vertical;
  int Length(const TBarLayoutEntry& e) const { return vertical ? e.Height : e.Width; }
  int Thickness(const TBarLayoutEntry& e) const { return vertical ? e.Width : e.Height; }
  LONG& Along(POINT& p) const { return vertical ? p.y : p.x; }
  LONG& Across(POINT& p) const { return vertical ? p.x : p.y; }
  LONG& Start(RECT& r) const { return vertical ? r.top : r.left; }
  LONG& End(RECT& r) const { return vertical ? r.bottom : r.right; }
  LONG& CrossStart(RECT& r) const { return vertical ? r.left : r.top; }
  LONG& CrossEnd(RECT& r) const { return vertical ? r.right : r.bottom; }
  // Moves a rectangle along the line, keeping its size.
  void MoveAlong(RECT& r, int to) const {
    const LONG len = End(r) - Start(r);
    Start(r) = to;
    End(r) = to + len;
  }
  void MoveAcross(RECT& r, int to) const {
    const LONG len = CrossEnd(r) - CrossStart(r);
    CrossStart(r) = to;
    CrossEnd(r) = to + len;
  }
};

// Leading separators and separators right after a shown separator; a control item counts as a
// non-separator. Returns the lengths of what was hidden.
int HideLeadingAndDoubledSeparators(std::vector<TBarLayoutEntry>& entries, const Axes& axes) {
  int hidden = 0;
  bool afterSeparator = true;
  for (auto& e : entries) {
    if (!e.Show) continue;
    if (e.Separator && afterSeparator) {
      e.Show = false;
      hidden += axes.Length(e);
      continue;
    }
    afterSeparator = e.Separator;
  }
  return hidden;
}

int HideTrailingSeparators(std::vector<TBarLayoutEntry>& entries, const Axes& axes) {
  int hidden = 0;
  for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
    if (!it->Show) continue;
    if (!it->Separator) break;
    it->Show = false;
    hidden += axes.Length(*it);
  }
  return hidden;
}

int CountShownNonSeparators(const std::vector<TBarLayoutEntry>& entries) {
  return static_cast<int>(std::count_if(entries.begin(), entries.end(),
                                         [](const TBarLayoutEntry& e) { return e.Show && !e.Separator; }));
}

// The shown entries as a doubly linked list, so that taking one out is one step however many
// entries lie hidden between the shown ones.
class ShownList {
 public:
  explicit ShownList(const std::vector<TBarLayoutEntry>& entries)
      : prev_(entries.size(), -1), next_(entries.size(), -1) {
    for (int i = 0; i < static_cast<int>(entries.size()); ++i) {
      if (!entries[i].Show) continue;
      prev_[i] = last_;
      if (last_ >= 0)
        next_[last_] = i;
      else
        first_ = i;
      last_ = i;
    }
  }
  int Last() const { return last_; }
  int Prev(int i) const { return prev_[i]; }
  int Next(int i) const { return next_[i]; }
  void Remove(int i) {
    const int p = prev_[i], q = next_[i];
    (p >= 0 ? next_[p] : first_) = q;
    (q >= 0 ? prev_[q] : last_) = p;
  }

 private:
  std::vector<int> prev_, next_;
  int first_ = -1, last_ = -1;
};

// The shown non-separators in the order the chevron takes them: the lowest in priority first,
// or from the end. Entries are only ever hidden while it runs, so it never looks back.
class ChevronVictims {
 public:
  ChevronVictims(const std::vector<TBarLayoutEntry>& entries, const ShownList& shown, const std::vector<int>* priority)
      : entries_(entries), shown_(shown), priority_(priority) {}
  int Next() {
    if (!priority_) {
      int i = shown_.Last();
      while (i >= 0 && entries_[i].Separator) i = shown_.Prev(i);
      return i;
    }
    for (; taken_ < priority_->size(); ++taken_) {
      const int i = (*priority_)[priority_->size() - 1 - taken_];
      if (i >= 0 && i < static_cast<int>(entries_.size()) && entries_[i].Show && !entries_[i].Separator) return i;
    }
    return -1;
  }

 private:
  const std::vector<TBarLayoutEntry>& entries_;
  const ShownList& shown_;
  const std::vector<int>* priority_;
  size_t taken_ = 0;
};

// Moves viewers into the chevron until the rest fits in `available`, never leaving fewer than
// two shown non-separators. Returns whether a non-control item was hidden. Each step costs the
// same however long the line, so a long toolbar does not take quadratic time.
bool HideIntoChevron(std::vector<TBarLayoutEntry>& entries, const Axes& axes, int total, int available,
                     const std::vector<int>* priority) {
  bool nonControlHidden = false;
  ShownList shown(entries);
  ChevronVictims victims(entries, shown, priority);
  int nonSeparators = CountShownNonSeparators(entries);
  bool firstStep = true;
  while (total > available) {
    const int last = shown.Last();
    if (last < 0) break;
    int gone = last;
    if (!entries[last].Separator) {
      if (nonSeparators <= 2) break;
      gone = victims.Next();
      if (gone < 0) break;
      entries[gone].HiddenByChevron = true;
      if (!entries[gone].Control) nonControlHidden = true;
      --nonSeparators;
    }
    const int before = shown.Prev(gone);
    int after = shown.Next(gone);
    entries[gone].Show = false;
    total -= axes.Length(entries[gone]);
    shown.Remove(gone);
    if (firstStep) {
      // The entries may come in with separators to clean up anywhere.
      firstStep = false;
      if (const int cleaned = HideLeadingAndDoubledSeparators(entries, axes)) {
        total -= cleaned;
        shown = ShownList(entries);
      }
      continue;
    }
    // Only the two neighbours of what went have met: a separator after it now leads or doubles.
    while (after >= 0 && entries[after].Separator && (before < 0 || entries[before].Separator)) {
      entries[after].Show = false;
      total -= axes.Length(entries[after]);
      const int next = shown.Next(after);
      shown.Remove(after);
      after = next;
    }
  }
  HideTrailingSeparators(entries, axes);
  return nonControlHidden;
}

// Lengths of the shown viewers after `index` up to the next shown separator.
int RunAfter(const std::vector<TBarLayoutEntry>& entries, size_t index, const Axes& axes) {
  int run = 0;
  for (size_t i = index + 1; i < entries.size(); ++i) {
    if (!entries[i].Show) continue;
    if (entries[i].Separator) break;
    run += axes.Length(entries[i]);
  }
  return run;
}

class LinePlacer {
 public:
  LinePlacer(std::vector<TBarLayoutEntry>& entries, const TBarLayoutParams& params, TBarLayoutResult& result)
      : entries_(entries), params_(params), result_(result), axes_{params.Orientation == bvoVertical} {
    const RECT& m = params.Margins;
    wrapLimit_ = params.WrapOffset > 0 ? std::max(1, static_cast<int>(params.WrapOffset - m.right)) : 0;
    marginAlong_ = axes_.vertical ? m.top : m.left;
    pen_ = {m.left, m.top};
    result_.Size = params.StartSize;
  }

  void Run() {
    bool any = false, previousToolbarSized = false;
    for (size_t i = 0; i < entries_.size(); ++i) {
      TBarLayoutEntry& e = entries_[i];
      if (!e.Show) continue;
      e.Bounds = {0, 0, e.Width, e.Height};
      if (any && e.ToolbarSized != previousToolbarSized) {
        // Menu rows and runs of toolbar-sized viewers each start under everything so far, in a
        // line of their own: centred in a shared line they would lie over one another.
        CloseLine(false);
        pen_ = {params_.Margins.left, result_.Size.y};
      }
      any = true;
      previousToolbarSized = e.ToolbarSized;
      if (!Place(i)) continue;
      if (e.ToolbarSized && !axes_.vertical)
        pen_.x += e.Width;
      else
        pen_.y += e.Height;
    }
    CloseLine(true);
  }

  int WrapLimit() const { return wrapLimit_; }

 private:
  // Places entry `i` at the pen, wrapping first when it must; false for a line break, which
  // moves the pen itself.
  bool Place(size_t i) {
    TBarLayoutEntry& e = entries_[i];
    if (!lineStarted_) StartLine();
    const int length = axes_.Length(e);
    const int along = axes_.Along(pen_);
    if (wrapLimit_ > 0 && along > 0) {
      const int end = along + length;
      if (e.Separator &&
          ((overflowWrapped_ && !e.NoLineBreak) || end + RunAfter(entries_, i, axes_) > wrapLimit_)) {
        ++result_.WrappedLines;
        CloseLine(false);
        axes_.Along(pen_) = 0;
        axes_.Across(pen_) = lineAcross_ + thickness_;
        e.LineBreak = true;
        e.Bounds = {};
        axes_.End(e.Bounds) = 0;
        axes_.CrossEnd(e.Bounds) = kLineBreakThickness;
        MoveToPen(e);
        axes_.Along(pen_) = marginAlong_;
        axes_.Across(pen_) += kLineBreakThickness;
        overflowWrapped_ = false;
        return false;
      }
      // A viewer that starts a line stays on it, however long: wrapping would only leave an
      // empty line behind.
      if (end > wrapLimit_ && !line_.empty()) {
        ++result_.WrappedLines;
        CloseLine(false);
        axes_.Along(pen_) = marginAlong_;
        axes_.Across(pen_) = lineAcross_ + thickness_;
        overflowWrapped_ = true;
        StartLine();
      }
    }
    thickness_ = std::max(thickness_, axes_.Thickness(e));
    widest_ = std::max(widest_, length);
    MoveToPen(e);
    line_.push_back(i);
    return true;
  }

  void StartLine() {
    lineStarted_ = true;
    line_.clear();
    thickness_ = 0;
    widest_ = 0;
    lineAcross_ = axes_.Across(pen_);
  }

  void MoveToPen(TBarLayoutEntry& e) {
    const int w = e.Bounds.right - e.Bounds.left, h = e.Bounds.bottom - e.Bounds.top;
    e.Bounds.left = std::max<LONG>(pen_.x, 0);
    e.Bounds.top = std::max<LONG>(pen_.y, 0);
    e.Bounds.right = e.Bounds.left + w;
    e.Bounds.bottom = e.Bounds.top + h;
    Grow(e.Bounds);
  }

  void Grow(const RECT& r) {
    result_.Size.x = std::max(result_.Size.x, r.right);
    result_.Size.y = std::max(result_.Size.y, r.bottom);
  }

  void CloseLine(bool last) {
    if (!lineStarted_) return;
    lineStarted_ = false;
    LONG& sizeAlong = axes_.Along(result_.Size);
    if (result_.WrappedLines > 1 && !params_.ChevronPopup) sizeAlong = std::max<LONG>(sizeAlong, wrapLimit_);
    int thickness = thickness_;
    if (params_.IsToolbar && last && result_.WrappedLines == 1 && params_.Orientation != bvoFloating)
      thickness = std::max(thickness, static_cast<int>(axes_.Across(result_.Size) - lineAcross_));
    for (size_t i : line_) {
      TBarLayoutEntry& e = entries_[i];
      if (!params_.IsToolbar && !e.ToolbarSized) {
        axes_.End(e.Bounds) = axes_.Start(e.Bounds) + widest_;
      } else if (e.Separator || e.Stretch) {
        axes_.CrossStart(e.Bounds) = lineAcross_;
        axes_.CrossEnd(e.Bounds) = lineAcross_ + thickness;
      } else {
        axes_.MoveAcross(e.Bounds, lineAcross_ + (thickness - axes_.Thickness(e)) / 2);
      }
      Grow(e.Bounds);
    }
    AlignRight();
  }

  void AlignRight() {
    auto first = std::find_if(line_.begin(), line_.end(), [&](size_t i) { return entries_[i].RightAligned; });
    if (first == line_.end()) return;
    const int limit = wrapLimit_ > 0 ? wrapLimit_ : INT_MAX;
    const int target = std::min<int>(limit, axes_.Along(result_.Size));
    const int shift = target - axes_.End(entries_[line_.back()].Bounds);
    if (shift <= 0) return;
    for (auto it = first; it != line_.end(); ++it) {
      RECT& b = entries_[*it].Bounds;
      axes_.MoveAlong(b, axes_.Start(b) + shift);
    }
  }

  std::vector<TBarLayoutEntry>& entries_;
  const TBarLayoutParams& params_;
  TBarLayoutResult& result_;
  Axes axes_;
  int wrapLimit_ = 0;
  int marginAlong_ = 0;
  POINT pen_{};
  bool lineStarted_ = false;
  bool overflowWrapped_ = false;
  std::vector<size_t> line_;
  int thickness_ = 0;
  int widest_ = 0;
  int lineAcross_ = 0;
};

void ScrollTallPopup(std::vector<TBarLayoutEntry>& entries, const TBarLayoutParams& params,
                     TBarLayoutResult& result) {
  result.ShowUpArrow = result.ShowDownArrow = false;
  const int height = result.Size.y;
  if (params.IsToolbar || params.MaxHeight <= 0 || height <= params.MaxHeight) {
    result.ScrollOffset = 0;
    return;
  }
  const int range = height - params.MaxHeight;
  result.ScrollOffset = std::clamp(params.ScrollOffset, 0, range);
  result.ShowUpArrow = result.ScrollOffset > 0;
  result.ShowDownArrow = result.ScrollOffset < range;
  const int top = result.ShowUpArrow ? kScrollArrowHeight : 0;
  const int bottom = params.MaxHeight - (result.ShowDownArrow ? kScrollArrowHeight : 0);
  for (auto& e : entries) {
    if (!e.Show) continue;
    OffsetRect(&e.Bounds, 0, -result.ScrollOffset);
    if (e.Bounds.top < top || e.Bounds.bottom > bottom) {
      e.Show = false;
      e.Clipped = true;
    }
  }
  result.Size.y = params.MaxHeight;
}

}  // namespace

int HideRedundantSeparators(std::vector<TBarLayoutEntry>& entries, TBarViewOrientation orientation) {
  const Axes axes{orientation == bvoVertical};
  const int hidden = HideLeadingAndDoubledSeparators(entries, axes);
  return hidden + HideTrailingSeparators(entries, axes);
}

void ArrangeEntries(std::vector<TBarLayoutEntry>& entries, const TBarLayoutParams& params,
                    TBarLayoutResult& result) {
  const Axes axes{params.Orientation == bvoVertical};
  result = {};
  for (auto& e : entries) {
    e.Bounds = {};
    e.HiddenByChevron = e.LineBreak = e.Clipped = false;
  }

  // Same width: the widest of the viewers that ask for it.
  int widest = 0;
  for (const auto& e : entries)
    if (e.Show && e.SameWidth) widest = std::max(widest, e.Width);
  int total = 0;
  for (auto& e : entries) {
    if (!e.Show) continue;
    if (e.SameWidth) e.Width = widest;
    total += axes.Length(e);
  }
  POINT base{};
  axes.Along(base) = total;

  // The chevron takes what does not fit.
  bool availableKnown = false;
  int available = 0;
  if (params.HasChevron && params.ChevronOffset > 0 && params.ChevronOffset < total) {
    availableKnown = true;
    available = params.ChevronOffset - params.ChevronSize;
    result.ChevronEnabled = HideIntoChevron(entries, axes, total, available, params.Priority);
  }

  for (const auto& e : entries)
    if (e.Show) axes.Across(base) = std::max<LONG>(axes.Across(base), axes.Thickness(e));

  LinePlacer placer(entries, params, result);
  placer.Run();
  result.Size.x += params.Margins.right;
  result.Size.y += params.Margins.bottom;
  if (axes.vertical) {
    for (auto& e : entries) {
      if (!e.Show) continue;
      const LONG left = e.Bounds.left;
      e.Bounds.left = result.Size.x - e.Bounds.right;
      e.Bounds.right = result.Size.x - left;
    }
  }

  ScrollTallPopup(entries, params, result);

  if (params.IsToolbar) {
    for (auto& e : entries) {
      if (!e.Show || !e.LineBreak) continue;
      axes.Start(e.Bounds) = 0;
      axes.End(e.Bounds) = axes.Along(result.Size);
    }
  }
  // A line that fits has no chevron: it would only stand past the content, or past the wrap
  // limit of a wrapping bar.
  if (params.HasChevron && availableKnown) {
    result.ChevronShown = true;
    const int at = std::max<int>(available, axes.Along(result.Size));
    RECT& c = result.ChevronBounds;
    axes.Start(c) = at;
    axes.End(c) = at + params.ChevronSize;
    axes.CrossStart(c) = 0;
    axes.CrossEnd(c) = axes.Across(result.Size);
  }

  if (base.x == 0 || base.y == 0) base = {kEmptyViewWidth, kEmptyViewHeight};
  result.BaseSize = base;
  result.Size.x = std::max<LONG>(result.Size.x, kEmptyViewWidth);
  result.Size.y = std::max<LONG>(result.Size.y, kEmptyViewHeight);
}

}  // namespace movra::bars
