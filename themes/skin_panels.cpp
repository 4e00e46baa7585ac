#include "themes/skin_panels.h"

#include <windowsx.h>

#include <algorithm>
#include <numeric>

#include "themes/skin_windows.h"
#include "toolbars/bar_common.h"
#include "toolbars/bar_dock_support.h"

namespace movra::skin {

using namespace movra::ui;
using bars::TBarDockPosition;

// --- Sharing the length ------------------------------------------------------------------------

namespace {

// a / n rounded to nearest, ties to even (n > 0).
int DivideRoundingHalfEven(long long a, long long n) {
  long long q = a / n, r = a % n;
  if (r < 0) {
    r += n;
    --q;
  }
  if (2 * r > n || (2 * r == n && (q & 1))) ++q;
  return static_cast<int>(q);
}

int Largest(const TPanelSpan& s) { return std::max(s.Min, s.Max); }

}  // namespace

void ShareLength(std::vector<TPanelSpan>& spans, int length) {
  int sum = 0, sumMin = 0, sumMax = 0;
  for (TPanelSpan& s : spans) {
    if (s.Max < s.Min) s.Max = std::max(length, s.Min);
    s.Size = std::clamp(s.Size, s.Min, Largest(s));
    sum += s.Size;
    sumMin += s.Min;
    sumMax += Largest(s);
  }
  if (sum == length) return;
  if (sumMin >= length) {
    for (TPanelSpan& s : spans) s.Size = s.Min;
    return;
  }
  if (length >= sumMax) {
    for (TPanelSpan& s : spans) s.Size = Largest(s);
    return;
  }
  int difference = length - sum;
  while (difference != 0) {
    std::vector<TPanelSpan*> movable;
    for (TPanelSpan& s : spans)
      if (difference > 0 ? s.Size < Largest(s) : s.Size > s.Min) movable.push_back(&s);
    if (movable.empty()) return;  // unreachable between the sums checked above
    const long long n = static_cast<long long>(movable.size());
    int previous = 0;
    for (long long k = 0; k < n; ++k) {
      const int total = DivideRoundingHalfEven(static_cast<long long>(difference) * (k + 1), n);
      movable[static_cast<size_t>(k)]->Size += total - previous;
      previous = total;
    }
    int left = 0;
    for (TPanelSpan* s : movable) {
      if (s->Size > Largest(*s)) {
        left += s->Size - Largest(*s);
        s->Size = Largest(*s);
      } else if (s->Size < s->Min) {
        left -= s->Min - s->Size;
        s->Size = s->Min;
      }
    }
    difference = left;
  }
}

int MoveSplitter(std::vector<TPanelSpan>& spans, size_t splitter, int delta) {
  if (delta == 0 || splitter + 1 >= spans.size()) return 0;
  const bool grow = delta > 0;
  // Room of a panel before the splitter to take the move, and of one after it to give it.
  auto before = [&](const TPanelSpan& s) { return grow ? Largest(s) - s.Size : s.Size - s.Min; };
  auto after = [&](const TPanelSpan& s) { return grow ? s.Size - s.Min : Largest(s) - s.Size; };
  int roomBefore = 0, roomAfter = 0;
  for (size_t i = 0; i < spans.size(); ++i) {
    if (i <= splitter)
      roomBefore += before(spans[i]);
    else
      roomAfter += after(spans[i]);
  }
  const int amount = std::min({std::abs(delta), roomBefore, roomAfter});
  const int sign = grow ? 1 : -1;
  int left = amount;
  for (size_t i = splitter + 1; i-- > 0 && left > 0;) {
    const int t = std::min(left, before(spans[i]));
    spans[i].Size += sign * t;
    left -= t;
  }
  left = amount;
  for (size_t i = splitter + 1; i < spans.size() && left > 0; ++i) {
    const int t = std::min(left, after(spans[i]));
    spans[i].Size -= sign * t;
    left -= t;
  }
  return sign * amount;
}

int PanelHitTest(const TPanelHitInfo& info, POINT p) {
  const int w = info.Size.cx, h = info.Size.cy;
  const bool left = p.x < 2, right = p.x >= w - 2, top = p.y < 2, bottom = p.y >= h - 2;
  if (info.Resizable) {
    switch (info.DockPosition) {
      case TBarDockPosition::dpTop: if (bottom) return HTBOTTOM; break;
      case TBarDockPosition::dpBottom: if (top) return HTTOP; break;
      case TBarDockPosition::dpLeft: if (right) return HTRIGHT; break;
      case TBarDockPosition::dpRight: if (left) return HTLEFT; break;
    }
  }
  if (info.MultiDock) {
    // A left or right dock stacks its panels from top to bottom: their splitters lie across.
    const bool vertical =
        info.DockPosition == TBarDockPosition::dpLeft || info.DockPosition == TBarDockPosition::dpRight;
    if (!vertical && right && info.NeighbourAfter) return HT_SPLIT_RIGHT;
    if (vertical && bottom && info.NeighbourAfter) return HT_SPLIT_BOTTOM;
    if (!vertical && left && info.NeighbourBefore) return HT_SPLIT_LEFT;
    if (vertical && top && info.NeighbourBefore) return HT_SPLIT_TOP;
  }
  if (!info.CaptionShown) return 0;
  RECT inner{2, 2, w - 2, h - 2};
  if (!PtInRect(&inner, p)) return 0;
  return PtInRect(&info.CloseButton, p) ? bars::HT_BAR_CLOSE : bars::HT_BAR_DRAGHANDLE;
}

// --- The multi-dock ----------------------------------------------------------------------------

namespace {

bool ShownOn(const TBarCustomDockableWindow* w, const TBarDock* dock) {
  return w->Parent() == dock && w->Visible() && !w->IsDestroying();
}

}  // namespace

TSkinMultiDock::TSkinMultiDock(TComponent* owner) : TBarDock(owner) {}

bool TSkinMultiDock::DragAllowed(TBarCustomDockableWindow* window) {
  return dynamic_cast<TSkinDockablePanel*>(window) != nullptr && TBarDock::DragAllowed(window);
}

void TSkinMultiDock::InsertControl(TControl* control) {
  if (!dynamic_cast<TSkinDockablePanel*>(control))
    throw EInvalidOperation(std::string("Cannot insert ") + control->ClassType().Name + " into TSkinMultiDock");
  TBarDock::InsertControl(control);
}

int TSkinMultiDock::Length() const {
  return std::max(0, Vertical() ? Height() - NonClientHeight() : Width() - NonClientWidth());
}

void TSkinMultiDock::ResizeVisiblePanels(int size) {
  SuspendArrange();
  try {
    for (TSkinDockablePanel* p : SortedVisiblePanels()) {
      if (Vertical())
        p->SetDockedWidth(size);
      else
        p->SetDockedHeight(size);
    }
  } catch (...) {
    ResumeArrange();
    throw;
  }
  ResumeArrange();
}

std::vector<TSkinDockablePanel*> TSkinMultiDock::SortedVisiblePanels() const {
  std::vector<TSkinDockablePanel*> panels;
  for (int i = 0; i < DockListCount(); ++i)
    if (auto* p = dynamic_cast<TSkinDockablePanel*>(DockListAt(i)); p && ShownOn(p, this)) panels.push_back(p);
  std::stable_sort(panels.begin(), panels.end(),
                   [](auto* a, auto* b) { return a->EffectivePos() < b->EffectivePos(); });
  return panels;
}

std::vector<TPanelSpan> TSkinMultiDock::Spans(const std::vector<TSkinDockablePanel*>& panels, int length) const {
  std::vector<TPanelSpan> spans;
  const bool vertical = Vertical();
  for (TSkinDockablePanel* p : panels) {
    SIZE nc{0, 0};
    p->NonClientSizes(nc);
    const int across = static_cast<int>(vertical ? nc.cy : nc.cx);
    TPanelSpan s;
    s.Size = vertical ? p->SplitHeight() : p->SplitWidth();
    s.Min = (vertical ? p->MinClientHeight() : p->MinClientWidth()) + across;
    const int maxClient = vertical ? p->MaxClientHeight() : p->MaxClientWidth();
    s.Max = maxClient + across;
    if (maxClient <= 0 || s.Max < s.Min) s.Max = std::max(length, s.Min);
    s.Size = std::clamp(s.Size, s.Min, s.Max);
    spans.push_back(s);
  }
  return spans;
}

void TSkinMultiDock::ArrangeBars() {
  if (ArrangeDeferred()) return;
  TArrangeScope scope(*this);
  const bool vertical = Vertical();
  DropDestroyedBars();

  std::vector<TBarCustomDockableWindow*> bars;
  for (int i = 0; i < DockListCount(); ++i) bars.push_back(DockListAt(i));
  const bool loading = IsLoading();
  auto key = [loading](const TBarCustomDockableWindow* w) {
    return loading && w->DockPos() < 0 ? INT_MAX : w->DockPos();
  };
  auto dragged = std::find(bars.begin(), bars.end(), DraggedBar());
  const std::ptrdiff_t draggedIndex = dragged == bars.end() ? -1 : dragged - bars.begin();
  std::stable_sort(bars.begin(), bars.end(), [&](auto* a, auto* b) { return key(a) < key(b); });
  if (draggedIndex >= 0 && DragSplitting()) {
    std::erase(bars, DraggedBar());
    bars.insert(bars.begin() + draggedIndex, DraggedBar());
  }

  std::vector<TSkinDockablePanel*> visible;
  for (TBarCustomDockableWindow* w : bars)
    if (auto* p = dynamic_cast<TSkinDockablePanel*>(w); p && ShownOn(p, this)) visible.push_back(p);
  const bool commit = CommittingPositions();
  if (visible.empty()) {
    for (TBarCustomDockableWindow* w : bars) SetEffectivePlace(w, 0, w->DockPos(), commit);
    if (commit) SetDockListOrder(bars);
    const int thickness = FixAlign() ? 1 : 0;
    if (vertical)
      ResizeKeepingFarEdge(thickness, Height());
    else
      ResizeKeepingFarEdge(Width(), thickness);
    return;
  }

  const int length = Length();
  std::vector<TPanelSpan> spans = Spans(visible, length);
  ShareLength(spans, length);
  std::vector<int> positions(visible.size());
  for (size_t i = 0, at = 0; i < visible.size(); at += static_cast<size_t>(spans[i].Size), ++i)
    positions[i] = static_cast<int>(at);
  for (TBarCustomDockableWindow* w : bars) {
    auto it = std::find(visible.begin(), visible.end(), w);
    SetEffectivePlace(w, 0, it == visible.end() ? w->DockPos() : positions[static_cast<size_t>(it - visible.begin())],
                      commit);
  }
  if (commit) SetDockListOrder(bars);

  // The breadth: the thickest panel's, or, while an edge is dragged, the dragged panel's within
  // what every panel allows.
  auto breadthOf = [vertical](TSkinDockablePanel* p) {
    SIZE nc{0, 0};
    p->NonClientSizes(nc);
    return static_cast<int>(vertical ? p->DockedWidth() + nc.cx : p->DockedHeight() + nc.cy);
  };
  TSkinDockablePanel* resizing = nullptr;
  for (TSkinDockablePanel* p : visible)
    if (p->InEdgeDrag()) resizing = p;
  int breadth = 0;
  if (!resizing) {
    for (TSkinDockablePanel* p : visible) {
      if (p == DraggedBar() && visible.size() > 1 && breadth_ > 0) continue;
      breadth = std::max(breadth, breadthOf(p));
    }
  } else {
    int largestMin = 0, smallestMax = INT_MAX;
    for (TSkinDockablePanel* p : visible) {
      SIZE nc{0, 0};
      p->NonClientSizes(nc);
      const int across = static_cast<int>(vertical ? nc.cx : nc.cy);
      largestMin = std::max(largestMin, (vertical ? p->MinClientWidth() : p->MinClientHeight()) + across);
      const int maxClient = vertical ? p->MaxClientWidth() : p->MaxClientHeight();
      if (maxClient > 0) smallestMax = std::min(smallestMax, maxClient + across);
    }
    breadth = std::max(std::min(breadthOf(resizing), smallestMax), largestMin);
  }
  if (breadth > 0) breadth_ = breadth;

  for (size_t i = 0; i < visible.size(); ++i) {
    if (vertical)
      PlaceBar(visible[i], 0, positions[i], breadth, spans[i].Size);
    else
      PlaceBar(visible[i], positions[i], 0, spans[i].Size, breadth);
  }
  if (vertical)
    ResizeKeepingFarEdge(NonClientWidth() + breadth, Height());
  else
    ResizeKeepingFarEdge(Width(), NonClientHeight() + breadth);
}

// --- The dockable panel ------------------------------------------------------------------------

namespace {

int SmallCaption() { return GetSystemMetrics(SM_CYSMCAPTION); }

// The DC for WM_NCPAINT: the whole frame for WParam 1 (or 0), else the update region, handed to
// GetDCEx as a copy, since the system takes the region it is given.
HDC FrameDC(HWND window, HRGN region) {
  if (reinterpret_cast<UINT_PTR>(region) <= 1) return GetWindowDC(window);
  HRGN copy = CreateRectRgn(0, 0, 0, 0);
  if (!copy) return nullptr;
  if (CombineRgn(copy, region, nullptr, RGN_COPY) == ERROR) {
    DeleteObject(copy);
    return GetWindowDC(window);
  }
  HDC dc = GetDCEx(window, copy, DCX_WINDOW | DCX_INTERSECTRGN | DCX_CACHE | DCX_CLIPSIBLINGS);
  if (!dc) {
    DeleteObject(copy);
    return nullptr;
  }
  return dc;
}

}  // namespace

TSkinDockablePanel::TSkinDockablePanel(TComponent* owner) : TBarCustomDockableWindow(owner) {
  SetFullSize(true);
  SetDblClickUndock(false);
  SetCloseButtonWhenDocked(true);
  SetBounds(Left(), Top(), 128, 128);
  SetColor(clNone);
  UpdateEffectiveColor();
  if (NexusInstance()) {
    NexusListen(this);
    listening_ = true;
  }
}

TSkinDockablePanel::~TSkinDockablePanel() { TSkinDockablePanel::BeforeDestruction(); }

void TSkinDockablePanel::BeforeDestruction() {
  if (listening_) {
    NexusUnlisten(this);
    listening_ = false;
  }
  TBarCustomDockableWindow::BeforeDestruction();
}

int TSkinDockablePanel::ViewKind() const {
  return vkDockablePanel | (Floating() ? vkFloating : 0) | (Resizable() ? vkResizable : 0);
}

bool TSkinDockablePanel::CaptionShown() { return Docked() && CurrentDock() && showCaptionWhenDocked_; }

bool TSkinDockablePanel::IsVertCaption() {
  switch (captionRotation_) {
    case TDPCaptionRotation::dpcrAlwaysHorz: return false;
    case TDPCaptionRotation::dpcrAlwaysVert: return Docked();
    case TDPCaptionRotation::dpcrAuto: break;
  }
  return Docked() && CurrentDock() && !CurrentDock()->IsSideDock();
}

int TSkinDockablePanel::CloseButtonState() {
  if (!CaptionShown() || !CloseButtonWhenDocked()) return 0;
  return 1 | (CloseButtonHover() ? 2 : 0) | (CloseButtonPressed() ? 4 : 0);
}

// --- Sizes ---

void TSkinDockablePanel::NonClientSizes(SIZE& size) {
  if (!Docked() || !CurrentDock()) {
    size = {0, 0};
    return;
  }
  size = {4, 4};
  if (showCaptionWhenDocked_) (IsVertCaption() ? size.cx : size.cy) += SmallCaption();
}

bool TSkinDockablePanel::AcceptsDock(TBarDock* dock) {
  if (!TBarCustomDockableWindow::AcceptsDock(dock)) return false;
  return (supportedDocks_ & (dynamic_cast<TSkinMultiDock*>(dock) ? dkMultiDock : dkStandardDock)) != 0;
}

void TSkinDockablePanel::BaseSize(SIZE& size) {
  TBarDock* dock = CurrentDock();
  if (!Docked() || !dock) {
    SIZE nc = NonClient();
    size = {std::max<LONG>(0, Width() - nc.cx), std::max<LONG>(0, Height() - nc.cy)};
    return;
  }
  SIZE nc = NonClient();
  if (dock->IsSideDock())
    size = {dockedWidth_, std::max<LONG>(0, dock->Height() - dock->NonClientHeight() - nc.cy)};
  else
    size = {std::max<LONG>(0, dock->Width() - dock->NonClientWidth() - nc.cx), dockedHeight_};
}

void TSkinDockablePanel::ComputeLayout(bool, int, SIZE& size, TBarDock* dockingTo, bool floating) {
  if (floating) {
    SIZE nc = NonClient();
    if (floatingWidth_ == 0) floatingWidth_ = Docked() ? std::max<int>(0, Width() - nc.cx) : dockedWidth_;
    if (floatingHeight_ == 0) floatingHeight_ = Docked() ? std::max<int>(0, Height() - nc.cy) : dockedHeight_;
    size = {floatingWidth_, floatingHeight_};
    return;
  }
  if (dockingTo && dockingTo != CurrentDock()) {
    // The frame there: 2 on each side and the caption as that dock would turn it.
    SIZE nc{4, 4};
    const bool vertCaption = captionRotation_ == TDPCaptionRotation::dpcrAlwaysVert ||
                             (captionRotation_ == TDPCaptionRotation::dpcrAuto && !dockingTo->IsSideDock());
    if (showCaptionWhenDocked_) (vertCaption ? nc.cx : nc.cy) += SmallCaption();
    if (dockingTo->IsSideDock())
      size = {dockedWidth_, std::max<LONG>(0, dockingTo->Height() - dockingTo->NonClientHeight() - nc.cy)};
    else
      size = {std::max<LONG>(0, dockingTo->Width() - dockingTo->NonClientWidth() - nc.cx), dockedHeight_};
    return;
  }
  BaseSize(size);
}

void TSkinDockablePanel::CloseButtonRect(bool, RECT& rect) {
  const int c = SmallCaption();
  if (IsVertCaption()) {
    const int y = ClientHeight() - c + 3;
    rect = {2, y, 2 + c - 1, y + c - 1};
  } else {
    const int x = ClientWidth() - c + 3;
    rect = {x, 2, x + c - 1, 2 + c - 1};
  }
}

void TSkinDockablePanel::SizingLimits(int& minWidth, int& minHeight, int& maxHeight, int& maxWidth) {
  SIZE nc = NonClient();
  minWidth = minClientWidth_ + nc.cx;
  minHeight = minClientHeight_ + nc.cy;
  if (maxClientWidth_ > 0) maxWidth = maxClientWidth_ + nc.cx;
  if (maxClientHeight_ > 0) maxHeight = maxClientHeight_ + nc.cy;
}

void TSkinDockablePanel::SizeChanging(int width, int height) {
  if (ownBounds_ > 0) return;
  SIZE nc = NonClient();
  if (Floating()) {
    floatingWidth_ = std::max<int>(0, width - nc.cx);
    floatingHeight_ = std::max<int>(0, height - nc.cy);
  } else if (Docked() && CurrentDock()) {
    if (CurrentDock()->IsSideDock())
      dockedWidth_ = std::max<int>(minClientWidth_, width - nc.cx);
    else
      dockedHeight_ = std::max<int>(minClientHeight_, height - nc.cy);
  }
}

void TSkinDockablePanel::FloatingBorderSize(SIZE& size) {
  if (TSkinTheme* theme = ActiveTheme())
    theme->GetViewBorderSize(ViewKind() | vkFloating, size);
  else
    TBarCustomDockableWindow::FloatingBorderSize(size);
}

bars::TBarFloatingWindowParent* TSkinDockablePanel::CreateFloatingParent() {
  auto* parent = new TSkinFloatingWindowParent(nullptr);
  parent->SetSnapDistance(snapDistance_);
  return parent;
}

void TSkinDockablePanel::DockChangingHidden(bool floating, TBarDock* dock) {
  // Still docked: an unset floating size is the client's size here.
  if (floating && Docked() && CurrentDock()) {
    SIZE nc = NonClient();
    if (floatingWidth_ == 0) floatingWidth_ = std::max<int>(0, Width() - nc.cx);
    if (floatingHeight_ == 0) floatingHeight_ = std::max<int>(0, Height() - nc.cy);
  }
  TBarCustomDockableWindow::DockChangingHidden(floating, dock);
}

void TSkinDockablePanel::SetSnapDistance(int distance) {
  snapDistance_ = std::max(distance, 0);
  if (auto* parent = dynamic_cast<TSkinFloatingWindowParent*>(Parent())) parent->SetSnapDistance(snapDistance_);
}

void TSkinDockablePanel::SetOwnBounds(int left, int top, int width, int height) {
  ++ownBounds_;
  try {
    SetBounds(left, top, width, height);
  } catch (...) {
    --ownBounds_;
    throw;
  }
  --ownBounds_;
}

// --- Properties ---

void TSkinDockablePanel::SetBorderSize(int size) {
  size = std::max(0, size);
  if (size == borderSize_) return;
  borderSize_ = size;
  Realign();
}

void TSkinDockablePanel::SetCaptionRotation(TDPCaptionRotation rotation) {
  if (rotation == captionRotation_) return;
  captionRotation_ = rotation;
  if (Docked()) RecalcFrame();
}

void TSkinDockablePanel::SetShowCaptionWhenDocked(bool on) {
  if (on == showCaptionWhenDocked_) return;
  showCaptionWhenDocked_ = on;
  if (Docked()) RecalcFrame();
}

void TSkinDockablePanel::RecalcFrame() {
  if (HandleAllocated())
    SetWindowPos(Handle(), nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  RecomputeSize();
}

void TSkinDockablePanel::RedrawFrame() {
  if (Docked() && HandleAllocated())
    RedrawWindow(Handle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_NOERASE | RDW_NOCHILDREN);
}

void TSkinDockablePanel::SetDockedWidth(int width) {
  width = std::max(width, minClientWidth_);
  dockedWidth_ = width;
  if (Docked() && CurrentDock() && CurrentDock()->IsSideDock()) {
    SetOwnBounds(Left(), Top(), width + NonClient().cx, Height());
    RecomputeSize();
  }
}

void TSkinDockablePanel::SetDockedHeight(int height) {
  height = std::max(height, minClientHeight_);
  dockedHeight_ = height;
  if (Docked() && CurrentDock() && !CurrentDock()->IsSideDock()) {
    SetOwnBounds(Left(), Top(), Width(), height + NonClient().cy);
    RecomputeSize();
  }
}

void TSkinDockablePanel::SetFloatingWidth(int width) {
  width = std::max(width, 0);
  if (Floating()) width = std::max(width, minClientWidth_);
  floatingWidth_ = width;
  if (Floating()) RecomputeSize();
}

void TSkinDockablePanel::SetFloatingHeight(int height) {
  height = std::max(height, 0);
  if (Floating()) height = std::max(height, minClientHeight_);
  floatingHeight_ = height;
  if (Floating()) RecomputeSize();
}

void TSkinDockablePanel::SetMinClientWidth(int width) {
  minClientWidth_ = std::max(width, 8);
  if (Docked()) RecomputeSize();
}

void TSkinDockablePanel::SetMinClientHeight(int height) {
  minClientHeight_ = std::max(height, 8);
  if (Docked()) RecomputeSize();
}

void TSkinDockablePanel::SetMaxClientWidth(int width) {
  maxClientWidth_ = std::max(width, 0);
  if (Docked()) RecomputeSize();
}

void TSkinDockablePanel::SetMaxClientHeight(int height) {
  maxClientHeight_ = std::max(height, 0);
  if (Docked()) RecomputeSize();
}

void TSkinDockablePanel::SetSplitWidth(int width) {
  splitWidth_ = std::max(width, 0);
  if (TSkinMultiDock* dock = MultiDock(); dock && !dock->Vertical()) dock->ArrangeBars();
}

void TSkinDockablePanel::SetSplitHeight(int height) {
  splitHeight_ = std::max(height, 0);
  if (TSkinMultiDock* dock = MultiDock(); dock && dock->Vertical()) dock->ArrangeBars();
}

void TSkinDockablePanel::UpdateEffectiveColor() {
  TColor c = Color();
  if (c == clNone) {
    TSkinTheme* theme = ActiveTheme();
    c = theme ? theme->GetViewBackColor(ViewKind()) : clBtnFace;
    if (c == clNone) c = clBtnFace;
  }
  effectiveColor_ = c;
  // The children that take their parent's colour take this one, not the panel's clNone.
  ui::TMessage m{ui::CM_PARENTCOLORCHANGED, 1, static_cast<LPARAM>(static_cast<int32_t>(c)), 0};
  NotifyControls(m);
  Invalidate();
}

void TSkinDockablePanel::ReadPositionData(const bars::TBarPositionDataIO& io) {
  if (!io.ReadInteger) return;
  const std::string name = Name();
  SetDockedWidth(io.ReadInteger(name, "DPDockedWidth", dockedWidth_));
  SetDockedHeight(io.ReadInteger(name, "DPDockedHeight", dockedHeight_));
  SetFloatingWidth(io.ReadInteger(name, "DPFloatingWidth", floatingWidth_));
  SetFloatingHeight(io.ReadInteger(name, "DPFloatingHeight", floatingHeight_));
  SetSplitWidth(io.ReadInteger(name, "DPSplitWidth", splitWidth_));
  SetSplitHeight(io.ReadInteger(name, "DPSplitHeight", splitHeight_));
}

void TSkinDockablePanel::WritePositionData(const bars::TBarPositionDataIO& io) {
  if (!io.WriteInteger) return;
  const std::string name = Name();
  io.WriteInteger(name, "DPDockedWidth", dockedWidth_);
  io.WriteInteger(name, "DPDockedHeight", dockedHeight_);
  io.WriteInteger(name, "DPFloatingWidth", floatingWidth_);
  io.WriteInteger(name, "DPFloatingHeight", floatingHeight_);
  io.WriteInteger(name, "DPSplitWidth", splitWidth_);
  io.WriteInteger(name, "DPSplitHeight", splitHeight_);
}

void TSkinDockablePanel::SetParent(TWinControl* parent) {
  TBarCustomDockableWindow::SetParent(parent);
  if (auto* floating = dynamic_cast<TSkinFloatingWindowParent*>(parent)) floating->SetSnapDistance(snapDistance_);
  if (!IsDestroying()) UpdateEffectiveColor();
}

// --- Edge and split drags ---

bool TSkinDockablePanel::BeginDockedResizing(bool vertical) {
  int size = vertical ? dockedHeight_ : dockedWidth_;
  bool allow = true;
  if (OnDockedResizing) OnDockedResizing(this, vertical, size, TSkinResizingStage::rsBeginResizing, allow);
  if (!allow) return false;
  if (size != (vertical ? dockedHeight_ : dockedWidth_)) (vertical ? SetDockedHeight(size) : SetDockedWidth(size));
  return true;
}

bool TSkinDockablePanel::DockedResizing(bool vertical, int& newSize) {
  // The dock may grow until 32 pixels of its parent are left beside it.
  TBarDock* dock = CurrentDock();
  if (dock && dock->Parent()) {
    const int parentSize = vertical ? dock->Parent()->ClientHeight() : dock->Parent()->ClientWidth();
    const int dockSize = vertical ? dock->Height() : dock->Width();
    const int current = vertical ? dockedHeight_ : dockedWidth_;
    newSize = std::min(newSize, parentSize - dockSize + current - 32);
  }
  const int maxClient = vertical ? maxClientHeight_ : maxClientWidth_;
  if (maxClient > 0) newSize = std::min(newSize, maxClient);
  newSize = std::max(newSize, vertical ? minClientHeight_ : minClientWidth_);
  bool allow = true;
  if (OnDockedResizing) OnDockedResizing(this, vertical, newSize, TSkinResizingStage::rsResizing, allow);
  return allow;
}

bool TSkinDockablePanel::EndDockedResizing(bool vertical) {
  int size = vertical ? dockedHeight_ : dockedWidth_;
  bool allow = true;
  if (OnDockedResizing) OnDockedResizing(this, vertical, size, TSkinResizingStage::rsEndResizing, allow);
  return allow;
}

namespace {

// The inverted 2-pixel bar of a drag that is not shown live, drawn on the desktop.
class TDragBar {
 public:
  ~TDragBar() { Hide(); }
  void Show(const RECT& r) {
    HDC dc = GetDC(nullptr);
    if (!dc) return;
    bars::DrawDragFrame(dc, &r, shown_ ? &rect_ : nullptr, {2, 2}, {2, 2});
    ReleaseDC(nullptr, dc);
    rect_ = r;
    shown_ = true;
  }
  void Hide() {
    if (!shown_) return;
    HDC dc = GetDC(nullptr);
    if (dc) {
      bars::DrawDragFrame(dc, nullptr, &rect_, {2, 2}, {2, 2});
      ReleaseDC(nullptr, dc);
    }
    shown_ = false;
  }

 private:
  RECT rect_{};
  bool shown_ = false;
};

// Clears a flag on every way out.
struct TFlagScope {
  bool& flag;
  explicit TFlagScope(bool& f) : flag(f) { flag = true; }
  ~TFlagScope() { flag = false; }
};

// Runs the modal capture loop for a drag; true when it ended by the mouse (not by Esc, lost
// capture or a quit message).
bool RunDragLoop(HWND window, const bars::TModalCapture::TMessageHandler& onMove) {
  bars::TModalCapture capture(window);
  bool cancelled = false;
  const bool released = capture.Run(
      [&](const MSG& msg) {
        if (msg.wParam == VK_ESCAPE) {
          cancelled = true;
          capture.Stop();
        }
      },
      onMove);
  if (cancelled) return false;
  if (released) return true;
  MSG quit;
  if (PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE)) return false;
  // A left press ends the drag as the release does; a capture taken away cancels it.
  return capture.Held();
}

}  // namespace

void TSkinDockablePanel::RunEdgeDrag(int hit) {
  TBarDock* dock = CurrentDock();
  if (!dock || !dock->HandleAllocated() || !HandleAllocated()) return;
  const bool vertical = hit == HTTOP || hit == HTBOTTOM;
  if (!BeginDockedResizing(vertical)) return;
  const int startSize = vertical ? dockedHeight_ : dockedWidth_;
  const RECT startBounds = BoundsRect();
  // The cursor counts within the dock's parent: held inside the dock itself, an edge that
  // faces into the form could never move outwards.
  HWND area = dock->Parent() && dock->Parent()->HandleAllocated() ? dock->Parent()->Handle() : dock->Handle();
  RECT limit;
  GetClientRect(area, &limit);
  MapWindowPoints(area, nullptr, reinterpret_cast<POINT*>(&limit), 2);
  RECT window;
  GetWindowRect(Handle(), &window);
  const DWORD pressed = GetMessagePos();
  const POINT origin{GET_X_LPARAM(pressed), GET_Y_LPARAM(pressed)};
  const bool smooth = smoothDockedResize_;
  const int sign = hit == HTBOTTOM || hit == HTRIGHT ? 1 : -1;
  int size = startSize;
  TDragBar bar;
  auto barAt = [&](int clientSize) {
    const int delta = sign * (clientSize - startSize);
    RECT r = window;
    switch (hit) {
      case HTBOTTOM: r.top = r.bottom + delta - 2; r.bottom = r.top + 2; break;
      case HTTOP: r.bottom = r.top - delta + 2; r.top = r.bottom - 2; break;
      case HTRIGHT: r.left = r.right + delta - 2; r.right = r.left + 2; break;
      default: r.right = r.left - delta + 2; r.left = r.right - 2; break;
    }
    return r;
  };
  auto apply = [&](int clientSize) {
    dock->SuspendArrange();
    try {
      vertical ? SetDockedHeight(clientSize) : SetDockedWidth(clientSize);
    } catch (...) {
      dock->ResumeArrange();
      throw;
    }
    dock->ResumeArrange();
  };
  bool kept = false;
  {
    TFlagScope dragging(edgeDrag_);
    if (!smooth) bar.Show(barAt(size));
    const bool ended = RunDragLoop(Handle(), [&](const MSG& msg) {
      POINT p{std::clamp<LONG>(msg.pt.x, limit.left, limit.right), std::clamp<LONG>(msg.pt.y, limit.top, limit.bottom)};
      int wanted = startSize + sign * (vertical ? p.y - origin.y : p.x - origin.x);
      if (!DockedResizing(vertical, wanted)) return;
      size = wanted;
      if (smooth)
        apply(size);
      else
        bar.Show(barAt(size));
    });
    bar.Hide();
    if (ended && !smooth) {
      // The end is asked about the size the bar shows.
      const int saved = vertical ? dockedHeight_ : dockedWidth_;
      (vertical ? dockedHeight_ : dockedWidth_) = size;
      kept = EndDockedResizing(vertical);
      (vertical ? dockedHeight_ : dockedWidth_) = saved;
    } else if (ended) {
      kept = EndDockedResizing(vertical);
    }
  }
  if (!smooth) {
    if (kept) apply(size);
  } else if (!kept) {
    apply(startSize);
    SetOwnBounds(startBounds.left, startBounds.top, startBounds.right - startBounds.left,
                 startBounds.bottom - startBounds.top);
    dock->ArrangeBars();
  } else {
    dock->ArrangeBars();
  }
}

void TSkinDockablePanel::RunSplitDrag(int hit) {
  TSkinMultiDock* dock = MultiDock();
  if (!dock || !dock->HandleAllocated() || !HandleAllocated()) return;
  std::vector<TSkinDockablePanel*> panels = dock->SortedVisiblePanels();
  auto self = std::find(panels.begin(), panels.end(), this);
  if (self == panels.end()) return;
  const size_t index = static_cast<size_t>(self - panels.begin());
  const bool before = hit == HT_SPLIT_TOP || hit == HT_SPLIT_LEFT;
  if (before && index == 0) return;
  const size_t splitter = before ? index - 1 : index;
  if (splitter + 1 >= panels.size()) return;
  const bool vertical = dock->Vertical();
  const int length = dock->Length();
  std::vector<TPanelSpan> start = dock->Spans(panels, length);
  int sumMin = 0, sumMax = 0;
  for (size_t i = 0; i < panels.size(); ++i) {
    start[i].Size = vertical ? panels[i]->Height() : panels[i]->Width();
    sumMin += start[i].Min;
    sumMax += start[i].Max;
  }
  if (sumMin > length || length > sumMax) return;
  const bool smooth = std::all_of(panels.begin(), panels.end(), [](auto* p) { return p->SmoothDockedResize(); });

  RECT client;
  GetClientRect(dock->Handle(), &client);
  MapWindowPoints(dock->Handle(), nullptr, reinterpret_cast<POINT*>(&client), 2);
  int splitAt = 0;
  for (size_t i = 0; i <= splitter; ++i) splitAt += start[i].Size;
  auto barAt = [&](int moved) {
    const int at = splitAt + moved - 1;
    return vertical ? RECT{client.left, client.top + at, client.right, client.top + at + 2}
                    : RECT{client.left + at, client.top, client.left + at + 2, client.bottom};
  };
  auto apply = [&](const std::vector<TPanelSpan>& spans) {
    dock->SuspendArrange();
    try {
      for (size_t i = 0; i < panels.size(); ++i)
        vertical ? panels[i]->SetSplitHeight(spans[i].Size) : panels[i]->SetSplitWidth(spans[i].Size);
    } catch (...) {
      dock->ResumeArrange();
      throw;
    }
    dock->ResumeArrange();
  };
  const DWORD pressed = GetMessagePos();
  const POINT origin{GET_X_LPARAM(pressed), GET_Y_LPARAM(pressed)};
  std::vector<TPanelSpan> spans = start;
  TDragBar bar;
  bool ended;
  {
    TFlagScope dragging(splitDrag_);
    if (!smooth) bar.Show(barAt(0));
    ended = RunDragLoop(Handle(), [&](const MSG& msg) {
      spans = start;
      const int moved = MoveSplitter(spans, splitter, vertical ? msg.pt.y - origin.y : msg.pt.x - origin.x);
      if (smooth)
        apply(spans);
      else
        bar.Show(barAt(moved));
    });
    bar.Hide();
  }
  if (ended && !smooth)
    apply(spans);
  else if (!ended && smooth)
    apply(start);
}

// --- Hit test and painting ---

int TSkinDockablePanel::DockedHitTest(POINT screen) {
  TBarDock* dock = CurrentDock();
  if (!Docked() || !dock || !HandleAllocated()) return 0;
  RECT wr;
  GetWindowRect(Handle(), &wr);
  TPanelHitInfo info;
  info.Size = {wr.right - wr.left, wr.bottom - wr.top};
  info.Resizable = Resizable();
  info.DockPosition = dock->Position();
  if (TSkinMultiDock* multi = MultiDock()) {
    info.MultiDock = true;
    std::vector<TSkinDockablePanel*> panels = multi->SortedVisiblePanels();
    auto self = std::find(panels.begin(), panels.end(), this);
    info.NeighbourBefore = self != panels.end() && self != panels.begin();
    info.NeighbourAfter = self != panels.end() && self + 1 != panels.end();
  }
  info.CaptionShown = CaptionShown();
  if (info.CaptionShown && CloseButtonWhenDocked()) {
    // The click zone is a corner square a little larger than the button across the top; down
    // the side it is never smaller than the button drawn there.
    const int c = SmallCaption(), w = info.Size.cx, h = info.Size.cy;
    if (IsVertCaption()) {
      RECT button;
      CloseButtonRect(true, button);
      const RECT zone{0, h - (c - 4), c - 4, h};
      UnionRect(&info.CloseButton, &zone, &button);
    } else {
      info.CloseButton = {w - (c + 4), 0, w, c + 4};
    }
  }
  return PanelHitTest(info, {screen.x - wr.left, screen.y - wr.top});
}

void TSkinDockablePanel::GetPanelInfo(TSkinPanelNCInfo& info) {
  info = TSkinPanelNCInfo{};
  info.Window = HandleAllocated() ? Handle() : nullptr;
  info.ViewKind = ViewKind();
  info.VerticalCaption = IsVertCaption();
  info.DragAllowed = DockAllowsDrag();
  info.BorderStyle = BorderStyle() == bars::TBorderStyle::bsSingle ? 1 : 0;
  if (TSkinTheme* theme = ActiveTheme()) theme->GetViewBorderSize(info.ViewKind, info.BorderSize);
  info.ClientWidth = ClientWidth();
  info.ClientHeight = ClientHeight();
  info.CaptionShown = CaptionShown();
  info.Color = effectiveColor_;
  info.CloseButtonState = CloseButtonState();
  info.Caption = GetText();
}

void TSkinDockablePanel::PaintFrameTo(HDC dc) {
  RECT window{0, 0, Width(), Height()};
  if (HandleAllocated()) {
    GetWindowRect(Handle(), &window);
    OffsetRect(&window, -window.left, -window.top);
  }
  const int saved = SaveDC(dc);
  // The client area belongs to the panel's control.
  SIZE nc = NonClient();
  const bool vertCaption = IsVertCaption();
  const int left = 2 + (vertCaption && CaptionShown() ? SmallCaption() : 0);
  const int top = 2 + (!vertCaption && CaptionShown() ? SmallCaption() : 0);
  ExcludeClipRect(dc, left, top, left + window.right - nc.cx, top + window.bottom - nc.cy);
  TSkinPanelNCInfo info;
  GetPanelInfo(info);
  if (TSkinTheme* theme = ActiveTheme()) {
    TCanvas canvas;
    canvas.SetHandle(dc);
    theme->DrawPanelNonClient(canvas, window, info);
    canvas.SetHandle(nullptr);
  } else {
    FillRectColor(dc, window, effectiveColor_);
  }
  RestoreDC(dc, saved);
}

void TSkinDockablePanel::PaintNonClient(bool useGivenDc, HDC givenDc, HRGN updateRegion) {
  if (!Docked() || !CurrentDock() || !HandleAllocated()) return;
  if (useGivenDc) {
    if (givenDc) PaintFrameTo(givenDc);
    return;
  }
  HDC dc = FrameDC(Handle(), updateRegion);
  if (!dc) return;
  PaintFrameTo(dc);
  ReleaseDC(Handle(), dc);
}

void TSkinDockablePanel::Paint() {
  RECT r = ClientRect();
  FillRectColor(Canvas().Handle(), r, effectiveColor_);
}

void TSkinDockablePanel::ColorChanged() {
  // Not the window control's own broadcast: the children are handed the effective colour.
  ui::TControl::ColorChanged();
  UpdateEffectiveColor();
  if (HandleAllocated()) RedrawFrame();
}

void TSkinDockablePanel::AdjustClientRect(RECT& rect) const {
  TBarCustomDockableWindow::AdjustClientRect(rect);
  InflateRect(&rect, -borderSize_, -borderSize_);
}

// --- Messages ---

void TSkinDockablePanel::ThemeChanged() {
  const RECT before = ClientRect();
  UpdateEffectiveColor();
  if (!HandleAllocated()) return;
  // The window whose frame the theme sizes: the floating parent, or the panel when docked.
  TWinControl* framed = this;
  if (Floating() && FloatingParent() && FloatingParent()->HandleAllocated()) framed = FloatingParent();
  HWND window = framed->Handle();
  SetWindowPos(window, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  RECT after;
  GetClientRect(window, &after);
  const int dx = (before.right - before.left) - (after.right - after.left);
  const int dy = (before.bottom - before.top) - (after.bottom - after.top);
  // The client keeps its size: the frame grows or shrinks around it on every side.
  if (dx != 0 || dy != 0) {
    const RECT b = framed->BoundsRect();
    const int width = b.right - b.left + dx, height = b.bottom - b.top + dy;
    if (framed == this)
      SetOwnBounds(b.left - dx / 2, b.top - dy / 2, width, height);
    else
      framed->SetBounds(b.left - dx / 2, b.top - dy / 2, width, height);
  }
  RedrawWindow(window, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void TSkinDockablePanel::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case SKM_THEMECHANGE:
      if (m.WParam == scpAfter) ThemeChanged();
      break;
    case SKM_GETVIEWKIND:
      m.Result = ViewKind();
      break;
    case SKM_GETEFFECTIVECOLOR:
      AnswerEffectiveColor(m, effectiveColor_);
      break;
    default:
      break;
  }
}

void TSkinDockablePanel::WndProc(TMessage& m) {
  switch (m.Msg) {
    case SKM_GETVIEWKIND:
    case SKM_GETEFFECTIVECOLOR:
    case SKM_THEMECHANGE:
      Dispatch(m);
      return;
    case WM_NCCALCSIZE:
      if (Docked() && CurrentDock()) {
        auto* r = reinterpret_cast<RECT*>(m.LParam);
        InflateRect(r, -2, -2);
        if (CaptionShown()) (IsVertCaption() ? r->left : r->top) += SmallCaption();
        if (r->right < r->left) r->right = r->left;
        if (r->bottom < r->top) r->bottom = r->top;
      }
      m.Result = 0;
      return;
    case WM_NCHITTEST:
      if (Docked() && CurrentDock()) {
        TCustomControl::WndProc(m);
        if (m.Result == HTCLIENT) return;
        m.Result = DockedHitTest({GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)});
        return;
      }
      break;
    case WM_SETCURSOR: {
      const int hit = static_cast<short>(LOWORD(m.LParam));
      LPCWSTR cursor = nullptr;
      if (hit == HT_SPLIT_LEFT || hit == HT_SPLIT_RIGHT || hit == HTLEFT || hit == HTRIGHT) cursor = IDC_SIZEWE;
      if (hit == HT_SPLIT_TOP || hit == HT_SPLIT_BOTTOM || hit == HTTOP || hit == HTBOTTOM) cursor = IDC_SIZENS;
      if (hit == bars::HT_BAR_DRAGHANDLE && DockAllowsDrag() && CaptionShown()) cursor = IDC_ARROW;
      if (cursor) {
        ::SetCursor(LoadCursorW(nullptr, cursor));
        m.Result = 1;
        return;
      }
      break;
    }
    case WM_NCLBUTTONDOWN: {
      const int hit = static_cast<int>(m.WParam);
      if (!Docked()) break;
      if (hit == HTLEFT || hit == HTRIGHT || hit == HTTOP || hit == HTBOTTOM) {
        if (Resizable()) RunEdgeDrag(hit);
        m.Result = 0;
        return;
      }
      if (hit >= HT_SPLIT_LEFT && hit <= HT_SPLIT_BOTTOM) {
        RunSplitDrag(hit);
        m.Result = 0;
        return;
      }
      if (hit == bars::HT_BAR_DRAGHANDLE && CanBeDragged()) ::SetCursor(LoadCursorW(nullptr, IDC_SIZEALL));
      break;
    }
    case CM_TEXTCHANGED:
      TBarCustomDockableWindow::WndProc(m);
      RedrawFrame();
      return;
    case CM_CONTROLLISTCHANGE:
      TBarCustomDockableWindow::WndProc(m);
      if (m.WParam && m.LParam)
        reinterpret_cast<TControl*>(m.WParam)->Perform(CM_PARENTCOLORCHANGED, 1,
                                                       static_cast<LPARAM>(static_cast<int32_t>(effectiveColor_)));
      return;
    case WM_ERASEBKGND:
      if (m.WParam) FillRectColor(reinterpret_cast<HDC>(m.WParam), ClientRect(), effectiveColor_);
      m.Result = 1;
      return;
    default:
      break;
  }
  TBarCustomDockableWindow::WndProc(m);
}

}  // namespace movra::skin
