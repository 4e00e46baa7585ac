#include "runtime/ui/caption_layout.h"

#include <algorithm>
#include <set>
#include <typeinfo>
#include <utility>
#include <vector>

#include "runtime/text.h"
#include "runtime/ui/comctrls.h"
#include "runtime/ui/stdctrls.h"

namespace movra::ui {
namespace {

// Room beside a push button's text on each side: its frame, the focus rectangle and some air.
constexpr int kButtonPadding = 5;
// Where a check box's text starts: the box and the gap after it.
constexpr int kCheckTextLeft = 19;
// A group box's caption sits this far from the frame's corner, with as much room after it.
constexpr int kGroupCaptionMargin = 8;
// A gap wider than this between neighbours is room that a growing control may take.
constexpr int kTightGap = 8;

constexpr char kRecordName[] = "CaptionLayoutRecord";

// The layout a window was built with, owned by the window.
class TLayoutRecord : public TComponent {
 public:
  static const TClassInfo& Class() {
    static const TClassInfo info{"TLayoutRecord", &TComponent::Class()};
    return info;
  }
  const TClassInfo& ClassType() const override { return Class(); }
  explicit TLayoutRecord(TComponent* owner) : TComponent(owner) {}

  SIZE Client{};
  std::vector<std::pair<TControl*, RECT>> Bounds;

  RECT BaseOf(TControl& control) const {
    for (const auto& [recorded, bounds] : Bounds)
      if (recorded == &control) return bounds;
    return control.BoundsRect();
  }
};

void RecordTree(TWinControl& parent, std::vector<std::pair<TControl*, RECT>>& bounds) {
  for (int i = 0; i < parent.ControlCount(); ++i) {
    TControl* child = parent.Controls(i);
    bounds.emplace_back(child, child->BoundsRect());
    if (auto* inner = dynamic_cast<TWinControl*>(child)) RecordTree(*inner, bounds);
  }
}

TLayoutRecord& Record(TWinControl& window) {
  if (auto* found = dynamic_cast<TLayoutRecord*>(window.FindComponent(kRecordName))) return *found;
  auto* record = new TLayoutRecord(&window);
  record->SetName(kRecordName);
  record->Client = {window.ClientWidth(), window.ClientHeight()};
  RecordTree(window, record->Bounds);
  return *record;
}

// The size the control's caption needs when the control is `at` large: `at` itself where it
// has no caption of its own, less than `at` where the caption leaves room to spare.
SIZE NeedAt(TControl& control, SIZE at) {
  SIZE need = at;
  const std::string text = control.Caption();
  if (text.empty()) return need;
  if (auto* label = dynamic_cast<TLabel*>(&control)) {
    need = MeasureText(control, text, label->WordWrap() ? std::max<int>(at.cx, 1) : 0);
  } else if (dynamic_cast<TButton*>(&control)) {
    need.cx = MeasureText(control, text, 0).cx + 2 * kButtonPadding;
  } else if (dynamic_cast<TCheckBox*>(&control)) {
    need.cx = kCheckTextLeft + MeasureText(control, text, 0).cx;
  } else if (dynamic_cast<TGroupBox*>(&control)) {
    need.cx = MeasureText(control, text, 0).cx + 2 * kGroupCaptionMargin;
  }
  return need;
}

// One control of the layout being worked out, with the controls it holds.
struct Box {
  TControl* Control = nullptr;
  RECT Base{}, Rect{};
  bool Page = false;   // a page of a page control, which places it
  bool Pages = false;  // a page control: its children are its pages
  std::vector<Box> Children;
};

std::vector<Box> Boxes(TWinControl& parent, const TLayoutRecord& record) {
  std::vector<Box> boxes;
  const bool pages = dynamic_cast<TPageControl*>(&parent) != nullptr;
  for (int i = 0; i < parent.ControlCount(); ++i) {
    TControl* child = parent.Controls(i);
    if (child->Align() != TAlign::alNone && !pages) continue;
    Box box;
    box.Control = child;
    box.Base = box.Rect = record.BaseOf(*child);
    box.Page = pages;
    if (auto* inner = dynamic_cast<TWinControl*>(child)) {
      box.Pages = dynamic_cast<TPageControl*>(inner) != nullptr;
      box.Children = Boxes(*inner, record);
    }
    boxes.push_back(std::move(box));
  }
  return boxes;
}

// The two axes through one set of helpers: 0 across, 1 down.
LONG& Near(RECT& r, int axis) { return axis == 0 ? r.left : r.top; }
LONG& Far(RECT& r, int axis) { return axis == 0 ? r.right : r.bottom; }
LONG Near(const RECT& r, int axis) { return axis == 0 ? r.left : r.top; }
LONG Far(const RECT& r, int axis) { return axis == 0 ? r.right : r.bottom; }
LONG Size(const RECT& r, int axis) { return Far(r, axis) - Near(r, axis); }
LONG& Of(SIZE& s, int axis) { return axis == 0 ? s.cx : s.cy; }
// Whether two rectangles share some of the other axis: they stand on one line (across) or in
// one column (down).
bool SameLine(const RECT& a, const RECT& b, int axis) {
  const int other = 1 - axis;
  return Near(a, other) < Far(b, other) && Near(b, other) < Far(a, other);
}

bool NearAnchored(const Box& box, int axis) { return box.Control->Anchors() & (axis == 0 ? akLeft : akTop); }
bool FarAnchored(const Box& box, int axis) { return box.Control->Anchors() & (axis == 0 ? akRight : akBottom); }
// Kept at the parent's far edge: it moves when the parent grows.
bool FarOnly(const Box& box, int axis) { return FarAnchored(box, axis) && !NearAnchored(box, axis); }

// How much of a push across a label of fixed width takes by narrowing, keeping its text whole.
LONG Spare(const Box& box, int axis) {
  auto* label = dynamic_cast<TLabel*>(box.Control);
  if (axis != 0 || !label || label->AutoSize() || label->WordWrap()) return 0;
  const SIZE at{Size(box.Rect, 0), Size(box.Rect, 1)};
  return at.cx - NeedAt(*label, {0, at.cy}).cx;
}

// Moves the neighbours after `from` (where box `moved` stood) by `delta` along `axis`, each as
// far as the gap before it does not take the move: towards the far side when `delta` is
// positive, the near side otherwise. A neighbour kept at the far edge cannot be pushed farther,
// nor one held by its near edge nearer: the parent grows instead (Clearance).
void Push(std::vector<Box>& boxes, size_t moved, const RECT& from, int axis, LONG delta, std::set<size_t>& done) {
  const bool forward = delta > 0;
  auto after = [&](const RECT& r) { return forward ? Near(r, axis) >= Far(from, axis) : Far(r, axis) <= Near(from, axis); };
  auto gapTo = [&](const RECT& r) { return forward ? Near(r, axis) - Far(from, axis) : Near(from, axis) - Far(r, axis); };
  // Which controls stand on one line is a matter of the layout as built: a control moved
  // along one axis keeps its neighbours on the other.
  std::vector<size_t> next;
  for (size_t i = 0; i < boxes.size(); ++i)
    if (i != moved && SameLine(boxes[i].Base, boxes[moved].Base, axis) && after(boxes[i].Rect)) next.push_back(i);
  for (size_t i : next) {
    // Only the nearest neighbours are pushed here; those behind them are pushed by them.
    const bool behind = std::any_of(next.begin(), next.end(), [&](size_t k) {
      return k != i && SameLine(boxes[k].Base, boxes[i].Base, axis) &&
             (forward ? Far(boxes[k].Rect, axis) <= Near(boxes[i].Rect, axis)
                      : Near(boxes[k].Rect, axis) >= Far(boxes[i].Rect, axis));
    });
    if (behind || done.count(i)) continue;
    const LONG slack = std::max<LONG>(0, gapTo(boxes[i].Rect) - kTightGap);
    const LONG shift = std::max<LONG>(0, std::abs(delta) - slack);
    if (shift == 0) continue;
    done.insert(i);
    Box& box = boxes[i];
    if (forward == FarOnly(box, axis)) continue;
    if (forward && Spare(box, axis) >= shift) {
      Near(box.Rect, axis) += shift;
      continue;
    }
    const RECT was = box.Rect;
    const LONG signedShift = forward ? shift : -shift;
    Near(box.Rect, axis) += signedShift;
    Far(box.Rect, axis) += signedShift;
    Push(boxes, i, was, axis, signedShift, done);
  }
}

void Grow(std::vector<Box>& boxes, size_t index, int axis, LONG delta) {
  Box& box = boxes[index];
  const RECT was = box.Rect;
  std::set<size_t> done{index};
  // A control kept at the far edge grows towards the near side.
  if (FarOnly(box, axis)) {
    Near(box.Rect, axis) -= delta;
    Push(boxes, index, was, axis, -delta, done);
  } else {
    Far(box.Rect, axis) += delta;
    Push(boxes, index, was, axis, delta, done);
  }
}

// The growth of the parent that gives back the room the boxes kept at its far edge need: each
// keeps the gap it had (up to a tight one) after whatever holds to the near side before it on
// its line, and none comes nearer to the near edge than the margin the layout kept there.
LONG Clearance(const std::vector<Box>& boxes, int axis) {
  LONG margin = kTightGap;
  for (const Box& box : boxes) margin = std::min(margin, Near(box.Base, axis));
  LONG growth = 0;
  for (const Box& kept : boxes) {
    if (!FarOnly(kept, axis)) continue;
    growth = std::max(growth, std::max<LONG>(margin, 0) - Near(kept.Rect, axis));
    for (const Box& held : boxes) {
      const LONG gap = Near(kept.Base, axis) - Far(held.Base, axis);
      if (FarOnly(held, axis) || gap < 0 || !SameLine(held.Base, kept.Base, axis)) continue;
      growth = std::max(growth, Far(held.Rect, axis) + std::min<LONG>(gap, kTightGap) - Near(kept.Rect, axis));
    }
  }
  return growth;
}

void Follow(std::vector<Box>& boxes, int axis, LONG growth);

// A box that grew by `by` takes its children along.
void FollowInside(Box& box, int axis, LONG by) {
  if (by == 0) return;
  if (box.Pages) {
    for (Box& page : box.Children) Follow(page.Children, axis, by);
  } else {
    Follow(box.Children, axis, by);
  }
}

// The parent grew by `growth`: children kept at its far edge move with it, children anchored
// to both edges stretch with it.
void Follow(std::vector<Box>& boxes, int axis, LONG growth) {
  if (growth <= 0) return;
  for (Box& box : boxes) {
    if (!FarAnchored(box, axis)) continue;
    if (!NearAnchored(box, axis)) {
      Near(box.Rect, axis) += growth;
      Far(box.Rect, axis) += growth;
      continue;
    }
    const LONG edge = std::max(Far(box.Rect, axis), Far(box.Base, axis) + growth);
    const LONG grew = edge - Far(box.Rect, axis);
    Far(box.Rect, axis) = edge;
    FollowInside(box, axis, grew);
  }
}

LONG FitChildren(std::vector<Box>& boxes, int axis);

// The size along `axis` the box needs: its caption's room at its present size, and for a
// box that holds others its present size and what they need.
LONG FitBox(Box& box, int axis) {
  const SIZE size{Size(box.Rect, 0), Size(box.Rect, 1)};
  SIZE caption = NeedAt(*box.Control, size);
  if (box.Children.empty()) return Of(caption, axis);
  LONG growth = 0;
  if (box.Pages) {
    for (Box& page : box.Children) growth = std::max(growth, FitChildren(page.Children, axis));
  } else {
    growth = FitChildren(box.Children, axis);
  }
  FollowInside(box, axis, growth);
  return std::max(Of(caption, axis), (axis == 0 ? size.cx : size.cy) + growth);
}

// Works out the children's places along `axis`; the growth their parent's client area needs
// for them.
LONG FitChildren(std::vector<Box>& boxes, int axis) {
  std::vector<LONG> needs;
  for (Box& box : boxes) needs.push_back(FitBox(box, axis));
  // Controls of one kind that stood in one column with one width keep one width.
  if (axis == 0)
    for (size_t i = 0; i < boxes.size(); ++i)
      for (size_t k = 0; k < boxes.size(); ++k)
        if (typeid(*boxes[i].Control) == typeid(*boxes[k].Control) && boxes[i].Base.left == boxes[k].Base.left &&
            Size(boxes[i].Base, 0) == Size(boxes[k].Base, 0))
          needs[i] = std::max(needs[i], needs[k]);
  for (size_t i = 0; i < boxes.size(); ++i) {
    const LONG delta = needs[i] - Size(boxes[i].Rect, axis);
    if (delta > 0) Grow(boxes, i, axis, delta);
  }
  LONG before = 0, now = 0;
  for (const Box& box : boxes) {
    if (FarOnly(box, axis)) continue;
    before = std::max(before, Far(box.Base, axis));
    now = std::max(now, Far(box.Rect, axis));
  }
  return std::max(Clearance(boxes, axis), now - before);
}

void Apply(std::vector<Box>& boxes) {
  for (Box& box : boxes) {
    if (!box.Page) {
      const RECT& r = box.Rect;
      box.Control->SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
      // A label that sizes itself to its text is as large as its text, whichever language
      // it was laid out in first.
      if (auto* label = dynamic_cast<TLabel*>(box.Control)) label->AdjustBounds();
    }
    Apply(box.Children);
  }
}

}  // namespace

SIZE MeasureText(TControl& control, const std::string& text, int wrapWidth) {
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, control.Font().Handle());
  const std::wstring wide = Utf8ToWide(text);
  RECT r{0, 0, wrapWidth, 0};
  DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &r,
            DT_CALCRECT | DT_EXPANDTABS | (wrapWidth > 0 ? DT_WORDBREAK : DT_SINGLELINE));
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return {r.right, r.bottom};
}

void RememberLayout(TWinControl& window) { Record(window); }

void FitCaptions(TWinControl& window) {
  const TLayoutRecord& record = Record(window);
  std::vector<Box> boxes = Boxes(window, record);
  // Across first: a wrapping text needs its lines counted at the width it will have.
  SIZE growth{0, 0};
  for (int axis = 0; axis < 2; ++axis) {
    Of(growth, axis) = FitChildren(boxes, axis);
    Follow(boxes, axis, Of(growth, axis));
  }
  window.SetClientSize(record.Client.cx + growth.cx, record.Client.cy + growth.cy);
  Apply(boxes);
}

}  // namespace movra::ui
