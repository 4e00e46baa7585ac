#include "toolbars/bar_view.h"

#include <windowsx.h>

#include <algorithm>
#include <climits>
#include <memory>
#include <unordered_map>
#include <utility>

#include "runtime/text.h"
#include "runtime/ui/resstrings.h"
#include "toolbars/bar_acc.h"
#include "toolbars/bar_common.h"

namespace movra::bars {

using ui::TCanvas;
using ui::TComponent;
using ui::TOperation;

namespace {

TBarModalLoopFactory modalLoopFactory = nullptr;
TBarCursorInvalidator cursorInvalidator = nullptr;
std::unique_ptr<ui::TFont> menuFont;

// The size Windows before Vista knows; every later version accepts it too.
constexpr UINT kNonClientMetricsSize = 340;

void LoadMenuFont(ui::TFont& font) {
  NONCLIENTMETRICSA metrics{};
  metrics.cbSize = kNonClientMetricsSize;
  if (!SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, kNonClientMetricsSize, &metrics, 0)) return;
  const LOGFONTA& lf = metrics.lfMenuFont;
  font.SetName(AnsiToUtf8(lf.lfFaceName));
  font.SetHeight(lf.lfHeight);
  unsigned style = 0;
  if (lf.lfWeight >= FW_BOLD) style |= ui::fsBold;
  if (lf.lfItalic) style |= ui::fsItalic;
  if (lf.lfUnderline) style |= ui::fsUnderline;
  if (lf.lfStrikeOut) style |= ui::fsStrikeOut;
  font.SetStyle(style);
}

bool HasStyle(const TBarItemViewer* viewer, TBarItemStyle bits) {
  return (viewer->Item()->ItemStyle() & bits) != 0;
}

bool IsSeparatorViewer(const TBarItemViewer* viewer) { return HasStyle(viewer, isSeparator); }

// The first code point of UTF-8 text, or 0.
char32_t FirstCharacter(const std::string& text) {
  if (text.empty()) return 0;
  const std::wstring wide = Utf8ToWide(text.substr(0, std::min<size_t>(text.size(), 4)));
  if (wide.empty()) return 0;
  if (wide.size() >= 2 && IS_HIGH_SURROGATE(wide[0]) && IS_LOW_SURROGATE(wide[1]))
    return 0x10000 + ((static_cast<char32_t>(wide[0]) - 0xD800) << 10) + (static_cast<char32_t>(wide[1]) - 0xDC00);
  return wide[0];
}

// Case-insensitive comparison of two characters as the system folds them.
bool SameCharacter(char32_t a, char32_t b) {
  if (a == b) return true;
  if (a > 0xFFFF || b > 0xFFFF) return false;
  wchar_t x[2] = {static_cast<wchar_t>(a), 0}, y[2] = {static_cast<wchar_t>(b), 0};
  CharUpperW(x);
  CharUpperW(y);
  return x[0] == y[0];
}

// Releases a memory device context and what a layout selected into it, on every way out.
class MeasuringContext {
 public:
  MeasuringContext() : dc_(CreateCompatibleDC(nullptr)) { canvas_.SetHandle(dc_); }
  ~MeasuringContext() {
    canvas_.SetHandle(nullptr);
    if (dc_) DeleteDC(dc_);
  }
  MeasuringContext(const MeasuringContext&) = delete;
  MeasuringContext& operator=(const MeasuringContext&) = delete;
  TCanvas& Canvas() { return canvas_; }

 private:
  HDC dc_;
  TCanvas canvas_;
};

// Restores a value when it goes out of scope.
template <class T>
class Restore {
 public:
  Restore(T& field, T value) : field_(field), saved_(field) { field_ = value; }
  ~Restore() { field_ = saved_; }
  Restore(const Restore&) = delete;
  Restore& operator=(const Restore&) = delete;

 private:
  T& field_;
  T saved_;
};

}  // namespace

void SetBarModalLoopFactory(TBarModalLoopFactory factory, TBarCursorInvalidator invalidator) {
  modalLoopFactory = factory;
  cursorInvalidator = invalidator;
}

bool AnswerViewObjectRequest(TBarView& view, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  // The object id arrives as a 32-bit value in a wider parameter.
  if (static_cast<LONG>(static_cast<DWORD>(lParam)) != OBJID_CLIENT) return false;
  TBarViewAccObject* object = view.AccObject();
  return object && BarAccLresultFromObject(wParam, object, result);
}

ui::TFont& BarMenuFont() {
  if (!menuFont) {
    menuFont = std::make_unique<ui::TFont>();
    LoadMenuFont(*menuFont);
  }
  return *menuFont;
}

void RefreshBarMenuFont() { LoadMenuFont(BarMenuFont()); }

// --- Life ------------------------------------------------------------------------------------

TBarView::TBarView(TComponent* owner, TBarView* parentView, TBarCustomItem* parentItem, ui::TWinControl* window,
                   bool isToolbar, bool customizing, bool usePriorityList)
    : TComponent(owner),
      parentView_(parentView),
      parentItem_(parentItem),
      window_(window),
      isToolbar_(isToolbar),
      customizing_(customizing),
      usePriorityList_(usePriorityList) {
  if (parentItem_) {
    parentItem_->RegisterNotification(TBarItemChangeEvent(this, &TBarView::ParentItemNotification));
    parentItem_->FreeNotification(this);
  }
  LinkNotificationsToCurrentItem();
}

TBarView::~TBarView() { Teardown(); }

void TBarView::BeforeDestruction() {
  Teardown();
  TComponent::BeforeDestruction();
}

void TBarView::Teardown() {
  if (tornDown_) return;
  tornDown_ = true;
  CloseChildPopups();
  // Clients that still hold the object get failures from now on.
  if (TBarViewAccObject* object = std::exchange(accObject_, nullptr)) {
    object->DetachClient();
    object->Release();
  }
  StopAllTimers();
  if (parentView_) {
    if (parentView_->isToolbar_) {
      parentView_->state_ |= vsChildPopupDestroyed;
      if (parentView_->openViewer_) parentView_->InvalidateViewer(parentView_->openViewer_);
    }
    if (parentView_->openViewerView_ == this) parentView_->openViewerView_ = nullptr;
  }
  if (parentItem_) parentItem_->UnregisterNotification(TBarItemChangeEvent(this, &TBarView::ParentItemNotification));
  if (curParentItem_) curParentItem_->UnregisterNotification(TBarItemChangeEvent(this, &TBarView::ItemNotification));
  parentItem_ = curParentItem_ = nullptr;
  selected_ = nullptr;
  FreeAllViewers();
  if (parentView_) parentView_->NotifyFocus();
}

void TBarView::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation != TOperation::opRemove || !component) return;
  if (component == openViewerWindow_) {
    openViewer_ = nullptr;
    openViewerView_ = nullptr;
    openViewerWindow_ = nullptr;
  }
  if (component == chevronParentView_) chevronParentView_ = nullptr;
  // An item that sends this is already half destroyed: it is forgotten, never called.
  if (component == curParentItem_) {
    curParentItem_ = nullptr;
    if (component != parentItem_) LinkNotificationsToCurrentItem();
  }
  if (component == parentItem_) {
    parentItem_ = nullptr;
    LinkNotificationsToCurrentItem();
    RecreateAllViewers();
    // Last: closing the parent's popups frees this view's window, and this view with it.
    if (parentView_) parentView_->CloseChildPopups();
  }
}

// --- Linking and change notices -------------------------------------------------------------

void TBarView::LinkNotificationsToCurrentItem() {
  TBarCustomItem* target = parentItem_ ? parentItem_->ShownChildList() : nullptr;
  if (target == curParentItem_) return;
  CloseChildPopups();
  if (curParentItem_) curParentItem_->UnregisterNotification(TBarItemChangeEvent(this, &TBarView::ItemNotification));
  curParentItem_ = target;
  if (target) {
    target->RegisterNotification(TBarItemChangeEvent(this, &TBarView::ItemNotification));
    target->FreeNotification(this);
  }
  RecreateAllViewers();
  for (TBarItemViewer* viewer : std::vector<TBarItemViewer*>(viewers_)) viewer->Item()->RefreshFromAction();
}

void TBarView::ParentItemNotification(TBarCustomItem*, bool, TBarItemChangeKind kind, int, TBarCustomItem*) {
  if (kind == ickSubitemsChanged)
    LinkNotificationsToCurrentItem();
  else if (kind == ickSubMenuImagesChanged && parentItem_ != curParentItem_)
    SubMenuImagesChanged();
}

void TBarView::ItemNotification(TBarCustomItem* ancestor, bool, TBarItemChangeKind kind, int, TBarCustomItem* item) {
  switch (kind) {
    case ickInserted:
      InvalidateLayout();
      InsertViewerFor(ancestor, item);
      break;
    case ickDeleting:
      InvalidateLayout();
      DeleteViewersOf(item);
      break;
    case ickSubitemsChanged:
      RecreateAllViewers();
      break;
    case ickBeginUpdate:
      BeginUpdate();
      break;
    case ickEndUpdate:
      EndUpdate();
      break;
    case ickInvalidate:
      for (TBarItemViewer* viewer : viewers_)
        if (viewer->Item() == item) InvalidateViewer(viewer);
      break;
    case ickInvalidateAndResize:
      InvalidateLayout();
      break;
    case ickRecreateViewers:
      InvalidateLayout();
      RecreateViewersOf(item);
      break;
    case ickSubMenuImagesChanged:
      SubMenuImagesChanged();
      break;
    default:
      return;
  }
  RecalcIfNeeded();
}

void TBarView::SubMenuImagesChanged() {
  for (TBarView* view = this; view; view = view->openViewerView_) {
    view->InvalidateLayout();
    view->RecalcIfNeeded();
  }
}

// --- Viewers ---------------------------------------------------------------------------------

std::unique_ptr<TBarItemViewer> TBarView::NewViewer(TBarCustomItem* item, int groupLevel) {
  const TBarItemViewerClass cls = item->ViewerClass();
  return cls.Create(this, item, groupLevel);
}

int TBarView::AddViewers(TBarCustomItem* item, int index, int groupLevel, bool enterPriority, bool highestPriority) {
  if (groupLevel > 10) return 0;
  TBarItemViewer* viewer = NewViewer(item, groupLevel).release();
  index = std::clamp(index, 0, ViewerCount());
  viewers_.insert(viewers_.begin() + index, viewer);
  if (enterPriority && usePriorityList_) {
    if (highestPriority)
      ListInsertFirstUnique(priorityList_, viewer);
    else
      ListAddUnique(priorityList_, viewer);
  }
  int made = 1;
  if (!customizing_ && (item->ItemStyle() & isEmbeddedGroup)) {
    TBarCustomItem* children = item->ShownChildList();
    for (int i = 0; i < children->Count(); ++i)
      made += AddViewers(children->ChildAt(i), index + made, groupLevel + 1, enterPriority, highestPriority);
  }
  return made;
}

void TBarView::RecreateAllViewers() {
  CloseChildPopups();
  if (selected_) SetSelected(nullptr, false);
  InvalidateLayout();
  FreeAllViewers();
  internalAtFront_ = internalAtEnd_ = 0;
  if (TBarCustomItem* icon = MDIChildIconItem()) internalAtFront_ += AddViewers(icon, ViewerCount(), 0, false, false);
  if (curParentItem_)
    for (int i = 0; i < curParentItem_->Count(); ++i)
      AddViewers(curParentItem_->ChildAt(i), ViewerCount(), 0, true, false);
  if (TBarCustomItem* mdi = MDIControlsItem())
    for (int i = 0; i < mdi->Count(); ++i) internalAtEnd_ += AddViewers(mdi->ChildAt(i), ViewerCount(), 0, false, false);
  if (TBarCustomItem* chevron = ChevronItemQuery()) internalAtEnd_ += AddViewers(chevron, ViewerCount(), 0, false, false);
}

void TBarView::InsertViewerFor(TBarCustomItem* ancestor, TBarCustomItem* item) {
  if (!item) return;
  const int count = ViewerCount();
  const int limit = count - internalAtEnd_;
  int first = -1, last = -1, level = 0;
  if (ancestor == curParentItem_) {
    first = internalAtFront_;
    last = limit;
  } else {
    // Relayed from an embedded group: the first inline run of that group that lacks the item.
    for (int g = 0; g < count && first < 0; ++g) {
      TBarCustomItem* groupItem = viewers_[g]->Item();
      if (groupItem != ancestor && groupItem->LinkSubitems() != ancestor) continue;
      const int runLevel = viewers_[g]->GroupLevel() + 1;
      int end = g + 1;
      bool hasItem = false;
      while (end < limit && viewers_[end]->GroupLevel() >= runLevel) {
        if (viewers_[end]->GroupLevel() == runLevel && viewers_[end]->Item() == item) hasItem = true;
        ++end;
      }
      if (!hasItem) {
        first = g + 1;
        last = end;
        level = runLevel;
      }
    }
    if (first < 0) return;
  }
  int at = last;
  if (TBarCustomItem* parent = item->Parent()) {
    const int position = parent->IndexOf(item);
    TBarCustomItem* next = position >= 0 && position + 1 < parent->Count() ? parent->ChildAt(position + 1) : nullptr;
    if (next)
      for (int i = first; i < last; ++i)
        if (viewers_[i]->GroupLevel() == level && viewers_[i]->Item() == next) {
          at = i;
          break;
        }
  }
  AddViewers(item, at, level, true, newViewersGetHighestPriority_ && !item->IsLoading());
}

void TBarView::ReleaseViewer(TBarItemViewer* viewer) {
  if (openViewer_ == viewer) CloseChildPopups();
  if (selected_ == viewer) {
    capture_ = false;
    mouseOverSelected_ = false;
    selected_ = nullptr;
  }
  if (priorityList_) std::erase(*priorityList_, viewer);
}

void TBarView::DeleteViewersOf(TBarCustomItem* item) {
  for (int i = 0; i < ViewerCount();) {
    if (viewers_[i]->Item() != item) {
      ++i;
      continue;
    }
    const int level = viewers_[i]->GroupLevel();
    int end = i + 1;
    while (end < ViewerCount() && viewers_[end]->GroupLevel() > level) ++end;
    for (int j = i; j < end; ++j) ReleaseViewer(viewers_[j]);
    std::vector<TBarItemViewer*> gone(viewers_.begin() + i, viewers_.begin() + end);
    viewers_.erase(viewers_.begin() + i, viewers_.begin() + end);
    for (TBarItemViewer* viewer : gone) delete viewer;
  }
}

TBarItemViewer* TBarView::ReplaceViewer(int index, std::unique_ptr<TBarItemViewer> replacement) {
  TBarItemViewer* old = viewers_[index];
  if (openViewer_ == old) CloseChildPopups();
  if (selected_ == old) {
    capture_ = false;
    mouseOverSelected_ = false;
    selected_ = nullptr;
  }
  TBarItemViewer* viewer = replacement.release();
  viewers_[index] = viewer;
  if (priorityList_) std::replace(priorityList_->begin(), priorityList_->end(), old, viewer);
  delete old;
  return viewer;
}

void TBarView::RecreateViewersOf(TBarCustomItem* item) {
  for (int i = 0; i < ViewerCount(); ++i)
    if (viewers_[i]->Item() == item) ReplaceViewer(i, NewViewer(item, viewers_[i]->GroupLevel()));
}

void TBarView::FreeAllViewers() {
  priorityList_.reset();
  std::vector<TBarItemViewer*> gone;
  gone.swap(viewers_);
  for (TBarItemViewer* viewer : gone) delete viewer;
}

void TBarView::SetUsePriorityList(bool on) {
  if (on == usePriorityList_) return;
  usePriorityList_ = on;
  RecreateAllViewers();
}

TBarItemViewer* TBarView::ViewerAt(int index) const {
  return index >= 0 && index < ViewerCount() ? viewers_[static_cast<size_t>(index)] : nullptr;
}

TBarItemViewer* TBarView::Find(const TBarCustomItem* item) const {
  for (TBarItemViewer* viewer : viewers_)
    if (viewer->Item() == item) return viewer;
  throw EBarItemError(ui::LoadResString(ui::res::BarViewerNotFound));
}

int TBarView::IndexOf(const TBarItemViewer* viewer) const {
  if (!viewer) return -1;
  auto it = std::find(viewers_.begin(), viewers_.end(), viewer);
  return it == viewers_.end() ? -1 : static_cast<int>(it - viewers_.begin());
}

TBarItemViewer* TBarView::ViewerFromPoint(POINT clientPoint) {
  ValidatePositions();
  for (TBarItemViewer* viewer : viewers_)
    if (viewer->Show && PtInRect(&viewer->BoundsRect, clientPoint)) return viewer;
  return nullptr;
}

bool TBarView::IsControlItem(const TBarCustomItem* item) const {
  return item && item->InheritsFrom(TBarControlItem::Class());
}

void TBarView::GetControls(std::vector<ui::TControl*>& list) {
  for (TBarItemViewer* viewer : viewers_)
    if (viewer->OffEdge && IsControlItem(viewer->Item()))
      if (ui::TControl* control = static_cast<TBarControlItem*>(viewer->Item())->Control()) list.push_back(control);
}

TBarItemViewer* TBarView::HighestPriorityViewer() {
  const std::vector<TBarItemViewer*>& order = priorityList_ ? *priorityList_ : viewers_;
  for (TBarItemViewer* viewer : order)
    if (viewer->Show && !IsSeparatorViewer(viewer)) return viewer;
  return nullptr;
}

void TBarView::SetChevronParentView(TBarView* view) {
  if (chevronParentView_ == view) return;
  if (chevronParentView_) RemoveFreeNotification(chevronParentView_);
  chevronParentView_ = view;
  if (view) view->FreeNotification(this);
}

void TBarView::SetToolbarLayout(bool on) {
  if (toolbarLayout_ == on) return;
  toolbarLayout_ = on;
  InvalidateLayout();
}

void TBarView::SetOpenViewer(TBarItemViewer* viewer, TBarView* view, ui::TWinControl* window) {
  openViewer_ = viewer;
  openViewerView_ = view;
  openViewerWindow_ = window;
  if (window) window->FreeNotification(this);
}

// --- The chain of views ----------------------------------------------------------------------

TBarView* TBarView::RootView() {
  TBarView* view = this;
  while (view->parentView_) view = view->parentView_;
  return view;
}

TBarView* TBarView::NearestToolbarView() {
  TBarView* view = this;
  while (view && !view->isToolbar_) view = view->parentView_;
  return view;
}

bool TBarView::IsSelfOrAncestorOf(const TBarView* view) const {
  for (const TBarView* v = view; v; v = v->parentView_)
    if (v == this) return true;
  return false;
}

POINT TBarView::ClientToScreen(POINT point) const { return window_ ? window_->ClientToScreen(point) : point; }
POINT TBarView::ScreenToClient(POINT point) const { return window_ ? window_->ScreenToClient(point) : point; }

// --- Layout ----------------------------------------------------------------------------------

void TBarView::FitWindowToContent(int, int) {}

void TBarView::ContentMargins(TBarViewOrientation orientation, RECT& margins) {
  margins = orientation == bvoFloating ? RECT{4, 2, 4, 1} : RECT{0, 0, 0, 0};
}

ui::TFont& TBarView::FontForDrawing() { return BarMenuFont(); }

void TBarView::InvalidateLayout() {
  if (!validated_) return;
  validated_ = false;
  if (window_ && window_->HandleAllocated()) InvalidateRect(window_->Handle(), nullptr, TRUE);
}

void TBarView::EndUpdate() {
  if (updating_ > 0 && --updating_ == 0) RecalcIfNeeded();
}

void TBarView::RecalcIfNeeded() {
  if (updating_ > 0) return;
  if (parentItem_ && (parentItem_->IsLoading() || (parentItem_->Owner() && parentItem_->Owner()->IsLoading()))) return;
  ValidatePositions();
}

void TBarView::ValidatePositions() {
  if (validated_) return;
  POINT size{};
  ArrangeViewers(size);
}

POINT TBarView::ContentSize() {
  POINT size{};
  ArrangeViewers(size);
  return size;
}

void TBarView::ArrangeViewers(POINT& size) {
  int lines = 1;
  const bool changed = Layout(true, orientation_, lines, size, baseSize_, chevronSize_, chevronOffset_, wrapOffset_);
  validated_ = true;
  const bool hasWindow = window_ && window_->HandleAllocated();
  if (changed && hasWindow) ValidateRect(window_->Handle(), nullptr);
  FitWindowToContent(size.x, size.y);
  if (changed && hasWindow && IsWindowVisible(window_->Handle())) RepaintWholeWindowOffscreen();
}

// The whole client area painted once into a bitmap and copied, so a new layout does not flicker.
void TBarView::RepaintWholeWindowOffscreen() {
  HWND window = window_->Handle();
  RECT client;
  GetClientRect(window, &client);
  if (IsRectEmpty(&client)) return;
  HDC windowDc = GetDC(window);
  HDC memory = CreateCompatibleDC(windowDc);
  HBITMAP bitmap = CreateCompatibleBitmap(windowDc, client.right, client.bottom);
  HGDIOBJ old = SelectObject(memory, bitmap);
  SendMessageW(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(memory), 0);
  SendMessageW(window, WM_PAINT, reinterpret_cast<WPARAM>(memory), 0);
  BitBlt(windowDc, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(window, windowDc);
  ValidateRect(window, nullptr);
}

bool TBarView::ViewerTakesPart(int index) {
  TBarItemViewer* viewer = viewers_[static_cast<size_t>(index)];
  TBarCustomItem* item = viewer->Item();
  const bool separator = (item->ItemStyle() & isSeparator) != 0;
  if (chevronParentView_) {
    // A chevron popup shows what its toolbar hid, at the same place after the toolbar's own
    // front viewers.
    if (IsControlItem(item)) return false;
    if (separator) return item->Visible();
    const int source = index - internalAtFront_ + chevronParentView_->internalAtFront_;
    TBarItemViewer* sourceViewer = chevronParentView_->ViewerAt(source);
    return sourceViewer && sourceViewer->OffEdge;
  }
  if (IsControlItem(item)) {
    ui::TControl* control = static_cast<TBarControlItem*>(item)->Control();
    return control && control->Parent() == window_ && control->Visible();
  }
  if ((item->ItemStyle() & isEmbeddedGroup) && !customizing_) return false;
  return item->Visible();
}

bool TBarView::Layout(bool commit, TBarViewOrientation orientation, int& wrappedLines, POINT& size,
                      POINT& baseSize, int chevronSize, int chevronOffset, int wrapOffset) {
  Restore<TBarViewOrientation> orientationFor(orientation_, orientation);
  MeasuringContext context;
  TCanvas& canvas = context.Canvas();
  canvas.Font().Assign(FontForDrawing());
  const unsigned plainStyle = canvas.Font().Style();

  TBarCustomItem* chevronItem = ChevronItemQuery();
  int chevronIndex = -1;
  std::vector<TBarLayoutEntry> entries(viewers_.size());
  for (int i = 0; i < ViewerCount(); ++i) {
    if (chevronItem && viewers_[i]->Item() == chevronItem) {
      chevronIndex = i;
      continue;
    }
    entries[i].Show = ViewerTakesPart(i);
    // Known before the clean-up below, which hides separators that lead or double.
    entries[i].Separator = (viewers_[i]->Item()->ItemStyle() & isSeparator) != 0;
  }
  HideRedundantSeparators(entries, orientation);

  for (int i = 0; i < ViewerCount(); ++i) {
    TBarLayoutEntry& e = entries[i];
    if (!e.Show) continue;
    TBarItemViewer* viewer = viewers_[i];
    TBarCustomItem* item = viewer->Item();
    const TBarItemStyle style = item->ItemStyle();
    e.Separator = style & isSeparator;
    e.NoLineBreak = style & isNoLineBreak;
    e.RightAligned = style & isRightAligned;
    e.Stretch = style & isStretch;
    if (IsControlItem(item)) {
      ui::TControl* control = static_cast<TBarControlItem*>(item)->Control();
      e.Control = true;
      e.Width = control->Width();
      e.Height = control->Height();
      e.ToolbarSized = viewer->UsesToolbarSize();
      continue;
    }
    TBarItemViewer* measurer = viewer;
    std::unique_ptr<TBarItemViewer> temporary;
    if (item->ViewerNeedsRecreate(viewer)) {
      if (commit) {
        measurer = ReplaceViewer(i, NewViewer(item, viewer->GroupLevel()));
      } else {
        temporary = NewViewer(item, viewer->GroupLevel());
        measurer = temporary.get();
      }
    }
    const bool bold = HasOption(item->EffectiveOptions(), tboDefault);
    if (bold) canvas.Font().SetStyle(plainStyle | ui::fsBold);
    int width = 0, height = 0;
    measurer->MeasureSize(canvas, width, height);
    if (bold) canvas.Font().SetStyle(plainStyle);
    e.Width = width;
    e.Height = height;
    e.SameWidth = measurer->UsesSameWidth();
    e.ToolbarSized = measurer->UsesToolbarSize();
  }

  // Positions looked up once for the whole list: searching for each would cost the square of
  // the viewer count.
  std::vector<int> priority;
  if (priorityList_) {
    std::unordered_map<const TBarItemViewer*, int> position;
    position.reserve(viewers_.size());
    for (int i = 0; i < ViewerCount(); ++i) position.emplace(viewers_[i], i);
    for (TBarItemViewer* viewer : *priorityList_)
      if (auto it = position.find(viewer); it != position.end()) priority.push_back(it->second);
  }

  TBarLayoutParams params;
  params.Orientation = orientation;
  params.IsToolbar = isToolbar_;
  params.ChevronPopup = IsChevronPopupView();
  ContentMargins(orientation, params.Margins);
  params.StartSize = size;
  params.HasChevron = chevronIndex >= 0;
  params.ChevronOffset = chevronOffset;
  params.ChevronSize = chevronSize;
  params.WrapOffset = wrapOffset;
  params.MaxHeight = maxHeight_;
  params.ScrollOffset = scrollOffset_;
  params.Priority = priorityList_ ? &priority : nullptr;
  TBarLayoutResult result;
  ArrangeEntries(entries, params, result);
  wrappedLines = result.WrappedLines;
  size = result.Size;
  baseSize = result.BaseSize;
  if (!commit) return false;

  scrollOffset_ = result.ScrollOffset;
  showUpArrow_ = result.ShowUpArrow;
  showDownArrow_ = result.ShowDownArrow;
  const int clientWidth = window_ ? window_->ClientWidth() : 0;
  const int clientHeight = window_ ? window_->ClientHeight() : 0;
  bool changed = false;
  for (int i = 0; i < ViewerCount(); ++i) {
    TBarItemViewer* viewer = viewers_[i];
    TBarLayoutEntry& e = entries[i];
    if (i == chevronIndex) {
      chevronItem->SetEnabled(result.ChevronEnabled);
      e.Show = result.ChevronShown;
      e.Bounds = result.ChevronBounds;
    } else if (IsControlItem(viewer->Item())) {
      if (ui::TControl* control = static_cast<TBarControlItem*>(viewer->Item())->Control()) {
        const RECT current = control->BoundsRect();
        if (e.Show && !EqualRect(&e.Bounds, &current))
          control->SetBounds(e.Bounds.left, e.Bounds.top, e.Bounds.right - e.Bounds.left, e.Bounds.bottom - e.Bounds.top);
        else if (e.HiddenByChevron || e.Clipped)
          control->SetBounds(clientWidth, clientHeight, control->Width(), control->Height());
      }
    }
    const bool wasLineBreak = (viewer->Flags & bvfLineBreak) != 0;
    if (!EqualRect(&viewer->BoundsRect, &e.Bounds) || viewer->Show != e.Show || wasLineBreak != e.LineBreak)
      changed = true;
    viewer->BoundsRect = e.Bounds;
    viewer->Show = e.Show;
    viewer->OffEdge = e.HiddenByChevron;
    viewer->Clipped = e.Clipped;
    viewer->Flags = e.LineBreak ? (viewer->Flags | bvfLineBreak) : (viewer->Flags & ~bvfLineBreak);
  }
  return changed;
}

// --- Painting --------------------------------------------------------------------------------

void TBarView::InvalidateViewer(TBarItemViewer* viewer) {
  if (!viewer || !validated_ || !window_ || !window_->HandleAllocated()) return;
  if (!viewer->Show || IsRectEmpty(&viewer->BoundsRect) || IsControlItem(viewer->Item())) return;
  viewer->Flags |= bvfPaintOffscreen;
  InvalidateRect(window_->Handle(), &viewer->BoundsRect, FALSE);
}

void TBarView::DrawAll(TCanvas& canvas) {
  ValidatePositions();
  const bool firstPaint = (state_ & vsFirstPaintPending) != 0;
  TBarItemViewer* last = firstPaint ? nullptr : selected_;
  for (TBarItemViewer* viewer : std::vector<TBarItemViewer*>(viewers_))
    if (viewer != last) DrawViewer(viewer, canvas, false);
  if (last) DrawViewer(last, canvas, false);
  state_ &= ~vsFirstPaintPending;
}

void TBarView::DrawViewer(TBarItemViewer* viewer, TCanvas& canvas, bool offscreen) {
  ValidatePositions();
  if (viewer->Flags & bvfPaintOffscreen) {
    offscreen = true;
    viewer->Flags &= ~bvfPaintOffscreen;
  }
  const RECT bounds = viewer->BoundsRect;
  if (!viewer->Show || IsRectEmpty(&bounds) || IsControlItem(viewer->Item())) return;
  const bool selected = viewer == selected_;
  const bool pushed = selected && (viewer == openViewer_ || (mouseOverSelected_ && capture_));
  HDC dc = canvas.Handle();
  if (!dc) return;
  const int saved = SaveDC(dc);
  IntersectClipRect(dc, bounds.left, bounds.top, bounds.right, bounds.bottom);
  RECT clip;
  if (GetClipBox(dc, &clip) == NULLREGION || IsRectEmpty(&clip)) {
    RestoreDC(dc, saved);
    return;
  }
  const int width = bounds.right - bounds.left, height = bounds.bottom - bounds.top;
  std::unique_ptr<ui::TBitmap> bitmap;
  TCanvas* target = &canvas;
  if (offscreen) {
    bitmap = std::make_unique<ui::TBitmap>(width, height);
    TCanvas& bitmapCanvas = bitmap->Canvas();
    HDC memory = bitmapCanvas.Handle();
    // The background as the window would erase it under this viewer.
    SetWindowOrgEx(memory, bounds.left, bounds.top, nullptr);
    if (window_ && window_->HandleAllocated())
      SendMessageW(window_->Handle(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(memory), 0);
    SetWindowOrgEx(memory, 0, 0, nullptr);
    SetBrushOrgEx(memory, bounds.left & 1, bounds.top & 1, nullptr);
    target = &bitmapCanvas;
  } else {
    OffsetWindowOrgEx(dc, -bounds.left, -bounds.top, nullptr);
    SetBrushOrgEx(dc, bounds.left & 1, bounds.top & 1, nullptr);
  }

  const bool toolbarStyle = viewer->UsesToolbarStyle();
  ui::TBrush& brush = target->Brush();
  if (selected && !toolbarStyle) {
    brush.SetStyle(ui::TBrushStyle::bsSolid);
    brush.SetColor(FlatMenusOn() ? ui::SystemColor(COLOR_MENUHILIGHT) : ui::clHighlight);
  } else {
    brush.SetStyle(ui::TBrushStyle::bsClear);
  }
  ui::TFont& font = target->Font();
  font.Assign(FontForDrawing());
  bool disabledShadow = false;
  if (viewer->Item()->Enabled() || customizing_) {
    font.SetColor(selected && !toolbarStyle ? ui::clHighlightText : toolbarStyle ? ui::clBtnText : ui::SystemColor(COLOR_MENUTEXT));
  } else {
    font.SetColor(ui::clGrayText);
    const COLORREF windowColor = window_ ? ui::ColorToRGB(window_->Color()) : 0;
    const COLORREF gray = ui::ColorToRGB(ui::clGrayText);
    disabledShadow = toolbarStyle || (selected ? windowColor == gray
                                               : windowColor == ui::ColorToRGB(ui::clBtnFace) || windowColor == gray);
  }
  viewer->Paint(*target, RECT{0, 0, width, height}, disabledShadow, pushed, selected);
  if (bitmap) {
    GdiFlush();
    BitBlt(dc, bounds.left, bounds.top, width, height, target->Handle(), 0, 0, SRCCOPY);
  }
  RestoreDC(dc, saved);
}

void TBarView::RepaintViewer(TBarItemViewer* viewer) { InvalidateViewer(viewer); }

// --- Selection -------------------------------------------------------------------------------

void TBarView::SetSelected(TBarItemViewer* viewer, bool viaMouse) {
  TBarItemViewer* old = selected_;
  const bool changed = old != viewer;
  const bool tracking = (state_ & vsTracking) != 0;
  if (changed) {
    if (parentView_ && parentView_->openViewer_ && parentView_->selected_ != parentView_->openViewer_) {
      parentView_->SetSelected(parentView_->openViewer_, viaMouse);
      parentView_->StopTimer(vtCloseSubmenu);
      parentView_->StopTimer(vtOpenSubmenu);
    }
    if (tracking) {
      if (isToolbar_ || !viaMouse) {
        StopTimer(vtCloseSubmenu);
        if (openViewer_ && openViewer_ != viewer) CloseChildPopups();
      } else if (openViewer_ && !(runningTimers_ & (1u << vtCloseSubmenu))) {
        StartTimer(vtCloseSubmenu, SubmenuOpenDelay());
      }
    }
    CancelCapture();
    if (old) old->SelectionLost();
    selected_ = viewer;
    selectedViaMouse_ = viaMouse;
  }

  bool over = false;
  if (selected_ && window_ && window_->HandleAllocated()) {
    const DWORD position = GetMessagePos();
    const POINT screen{GET_X_LPARAM(position), GET_Y_LPARAM(position)};
    if (WindowFromPoint(screen) == window_->Handle()) {
      const POINT client = ScreenToClient(screen);
      if (selected_->Show && PtInRect(&selected_->BoundsRect, client)) {
        over = true;
        if (capture_) {
          const POINT local = selected_->ScreenToViewer(screen);
          over = selected_->HitsButtonPart(local.x, local.y);
        }
      }
    }
  }
  const bool overChanged = over != mouseOverSelected_;
  mouseOverSelected_ = over;

  if (!changed) {
    if (overChanged && capture_ && selected_ && HasStyle(selected_, isRedrawOnMouseOverChange)) RepaintViewer(selected_);
    return;
  }
  if (old && IndexOf(old) >= 0 && HasStyle(old, isRedrawOnSelChange)) RepaintViewer(old);
  if (viewer && HasStyle(viewer, isRedrawOnSelChange)) RepaintViewer(viewer);
  if (viewer) viewer->SelectionGained(old);
  NotifyFocus();

  if (!tracking || selected_ != viewer) return;
  if (!isToolbar_) {
    StopTimer(vtOpenSubmenu);
    if (viaMouse && viewer && HasStyle(viewer, isSubmenu)) StartTimer(vtOpenSubmenu, SubmenuOpenDelay());
  } else {
    if (viaMouse && parentView_) state_ |= vsDropDownMode;
    if ((state_ & vsDropDownMode) && viewer && !(!viaMouse && HasStyle(viewer, isNoAutoOpen))) OpenChildPopup(!viaMouse);
  }
}

void TBarView::SetCapture() { capture_ = true; }

void TBarView::CancelCapture() {
  if (!capture_) return;
  capture_ = false;
  if (cursorInvalidator) cursorInvalidator();
  if (selected_) RepaintViewer(selected_);
}

TBarItemViewer* TBarView::NextSelectable(TBarItemViewer* viewer, bool forward) {
  ValidatePositions();
  const int count = ViewerCount();
  if (count == 0) return nullptr;
  const int start = IndexOf(viewer);
  int i = start;
  // Every other viewer in turn, then the one we started from.
  for (int step = 0; step < count; ++step) {
    if (i < 0)
      i = forward ? 0 : count - 1;
    else
      i = forward ? (i + 1) % count : (i + count - 1) % count;
    TBarItemViewer* candidate = viewers_[i];
    if ((candidate->Show || candidate->Clipped) && candidate->Item()->Visible() && HasStyle(candidate, isSelectable))
      return candidate;
  }
  return nullptr;
}

TBarItemViewer* TBarView::FirstSelectable() {
  TBarItemViewer* first = NextSelectable(nullptr, true);
  TBarItemViewer* viewer = first;
  while (viewer && HasStyle(viewer, isSkipFirstSelect)) {
    viewer = NextSelectable(viewer, true);
    if (viewer == first) break;
  }
  return viewer;
}

void TBarView::SelectNext(bool forward) {
  SetSelected(NextSelectable(selected_, forward), false);
  ScrollSelectedIntoView();
}

void TBarView::MouseMoved(POINT screenPoint, bool force) {
  ValidatePositions();
  const bool tracking = (state_ & vsTracking) != 0;
  TBarItemViewer* candidate = tracking ? selected_ : nullptr;
  const bool hasWindow = window_ && window_->HandleAllocated();
  const bool overWindow = hasWindow && WindowFromPoint(screenPoint) == window_->Handle();
  const POINT client = ScreenToClient(screenPoint);
  if (overWindow) {
    state_ |= vsMouseInWindow;
    mouseEntered_ = true;
    if (IsPopup()) candidate = nullptr;
    if (force || selected_)
      if (TBarItemViewer* under = ViewerFromPoint(client)) candidate = under;
  } else {
    state_ &= ~vsMouseInWindow;
  }
  if (capture_) candidate = selected_;
  if (IsPopup() && mouseEntered_ && !overWindow && !capture_ && candidate &&
      !(openViewer_ && HasStyle(candidate, isSubmenu)))
    candidate = nullptr;
  SetSelected(candidate, true);

  RECT clientRect = window_ ? window_->ClientRect() : RECT{};
  const bool inside = tracking && (state_ & vsMouseInWindow) && PtInRect(&clientRect, client);
  if (inside && showUpArrow_ && client.y < kScrollArrowHeight) {
    StopTimer(vtScrollDown);
    if (!(runningTimers_ & (1u << vtScrollUp))) StartTimer(vtScrollUp, kScrollTimerInterval);
  } else if (inside && showDownArrow_ && client.y >= clientRect.bottom - kScrollArrowHeight) {
    StopTimer(vtScrollUp);
    if (!(runningTimers_ & (1u << vtScrollDown))) StartTimer(vtScrollDown, kScrollTimerInterval);
  } else {
    StopTimer(vtScrollUp);
    StopTimer(vtScrollDown);
  }
}

// --- Child popups and timers -----------------------------------------------------------------

bool TBarView::OpenChildPopup(bool selectFirst) {
  StopTimer(vtCloseSubmenu);
  StopTimer(vtOpenSubmenu);
  if (selected_ != openViewer_) {
    CloseChildPopups();
    TBarItemViewer* viewer = selected_;
    if (viewer && viewer->Item()->Enabled() && HasStyle(viewer, isSubmenu)) {
      std::weak_ptr<void> alive = Lifetime();
      viewer->Item()->OpenSubmenuPopup(this, viewer, IsPopup(), selectFirst, false, POINT{0, 0}, 0);
      if (alive.expired()) return false;
    }
  }
  return openViewer_ != nullptr;
}

void TBarView::CloseChildPopups() {
  if (openViewerView_) openViewerView_->CloseChildPopups();
  StopTimer(vtCloseSubmenu);
  if (ui::TWinControl* window = openViewerWindow_) {
    RemoveFreeNotification(window);
    ui::Free(window);
  }
  openViewer_ = nullptr;
  openViewerView_ = nullptr;
  openViewerWindow_ = nullptr;
}

void TBarView::CancelChildPopups() {
  if (isToolbar_) state_ &= ~vsDropDownMode;
  CloseChildPopups();
}

void TBarView::StartTimer(TBarViewTimer kind, int interval) {
  StopTimer(kind);
  if (IsPopup() && window_ && window_->HandleAllocated()) {
    SetTimer(window_->Handle(), kViewTimerIdBase + kind, static_cast<UINT>(std::max(interval, 0)), nullptr);
    runningTimers_ |= 1u << kind;
  }
}

void TBarView::StopTimer(TBarViewTimer kind) {
  if (!(runningTimers_ & (1u << kind))) return;
  runningTimers_ &= ~(1u << kind);
  if (window_ && window_->HandleAllocated()) KillTimer(window_->Handle(), kViewTimerIdBase + kind);
}

void TBarView::StopAllTimers() {
  for (TBarViewTimer kind : {vtOpenSubmenu, vtCloseSubmenu, vtScrollUp, vtScrollDown}) StopTimer(kind);
}

// --- Tracking --------------------------------------------------------------------------------

void TBarView::EnterToolbarLoop(unsigned options) {
  if ((state_ & vsTracking) || !modalLoopFactory || !window_) return;
  std::unique_ptr<IBarModalLoop> loop = modalLoopFactory(window_->Handle());
  if (!loop) return;
  state_ = (state_ & vsAcceleratorsShown) | vsTracking;
  // The loop dispatches messages, and one of them may free this view (its toolbar, say): then
  // only the loop's own handler is freed, and no done action runs.
  const std::weak_ptr<void> alive = Lifetime();
  auto finish = [&] {
    if (alive.expired()) {
      loop.reset();
      return;
    }
    state_ &= ~vsTracking;
    StopAllTimers();
    CloseChildPopups();
    POINT cursor{};
    GetCursorPos(&cursor);
    MouseMoved(cursor, true);
    loop.reset();
  };
  try {
    if (selected_) NotifyFocus();
    loop->Loop(*this, options & tloMousePress, options & tloExecuteSelected, options & tloFromAccessibility, false);
  } catch (...) {
    finish();
    throw;
  }
  finish();
  if (alive.expired()) return;
  UpdateKeyboardCues(false);
  SetSelected(nullptr, false);
  const TBarDoneAction done = RootView()->doneAction_;
  ExecuteDoneAction(done);
}

void TBarView::EndTracking() { RootView()->doneAction_ = TBarDoneAction{bdaEndTracking}; }

void TBarView::SetDoneActionClick(TBarItemViewer* viewer) {
  TBarDoneAction action;
  action.Kind = bdaClickItem;
  action.ClickItem = viewer ? viewer->Item() : nullptr;
  action.Extra = IsPopup() ? 1 : 0;
  RootView()->doneAction_ = action;
}

void TBarView::SetDoneActionHelp(int context) {
  TBarDoneAction action;
  action.Kind = bdaHelp;
  action.Extra = context;
  RootView()->doneAction_ = action;
}

void TBarView::SetDoneActionSysKey(HWND window, int key) {
  TBarDoneAction action;
  action.Kind = bdaSysMenuKey;
  action.Window = window;
  action.Extra = key;
  RootView()->doneAction_ = action;
}

void TBarView::ExecuteSelected(bool promote) {
  TBarItemViewer* viewer = selected_;
  if (viewer && viewer->Item()->Enabled()) {
    if (!HasStyle(viewer, isSplitButton) && OpenChildPopup(true)) return;
    if (HasStyle(viewer, isSelectable)) {
      viewer->TriggerExecute(promote);
      return;
    }
  }
  EndTracking();
}

void TBarView::PromoteViewer(TBarItemViewer* viewer) {
  if (chevronParentView_) {
    const int source = IndexOf(viewer) - internalAtFront_ + chevronParentView_->internalAtFront_;
    if (TBarItemViewer* sourceViewer = IndexOf(viewer) >= 0 ? chevronParentView_->ViewerAt(source) : nullptr)
      chevronParentView_->PromoteViewer(sourceViewer);
  } else if (priorityList_ && viewer) {
    auto it = std::find(priorityList_->begin(), priorityList_->end(), viewer);
    if (it != priorityList_->end()) {
      std::rotate(priorityList_->begin(), it, it + 1);
      if (!validated_ || viewer->OffEdge) {
        InvalidateLayout();
        validated_ = false;
        ValidatePositions();
      }
    }
  }
  if (parentView_ && parentView_->openViewer_) parentView_->PromoteViewer(parentView_->openViewer_);
}

// --- Keyboard --------------------------------------------------------------------------------

void TBarView::ProcessNavigationKey(WORD& key) {
  TBarView* toolbar = NearestToolbarView();
  const bool shift = GetKeyState(VK_SHIFT) < 0;
  switch (key) {
    case VK_TAB:
      key = 0;
      SelectNext(!shift);
      break;
    case VK_RETURN:
      key = 0;
      ExecuteSelected(true);
      break;
    case VK_ESCAPE:
      key = 0;
      if (parentView_)
        parentView_->CancelChildPopups();
      else
        EndTracking();
      break;
    case VK_MENU:
    case VK_F10:
      key = 0;
      EndTracking();
      break;
    case VK_HOME:
    case VK_END:
      SetSelected(NextSelectable(nullptr, key == VK_HOME), false);
      key = 0;
      ScrollSelectedIntoView();
      break;
    case VK_LEFT:
    case VK_RIGHT: {
      const bool left = key == VK_LEFT;
      key = 0;
      if (toolbar == this && IsVertical()) {
        OpenChildPopup(true);
        break;
      }
      // Each branch may free this view (its popup closes): nothing of it is touched after.
      if (left) {
        TBarView* parent = parentView_;
        if (!toolbar || toolbar->IsVertical()) {
          if (parent) parent->CancelChildPopups();
        } else if (toolbar == this || toolbar == parent) {
          toolbar->SelectNext(false);
        } else if (parent) {
          parent->CloseChildPopups();
        }
      } else {
        if (toolbar != this && OpenChildPopup(true)) break;
        if (toolbar && !toolbar->IsVertical()) toolbar->SelectNext(true);
      }
      break;
    }
    case VK_UP:
    case VK_DOWN: {
      const bool down = key == VK_DOWN;
      key = 0;
      if (toolbar != this || IsVertical())
        SelectNext(down);
      else
        OpenChildPopup(true);
      break;
    }
    case VK_F1: {
      key = 0;
      int context = 0;
      for (TBarView* view = this; view && context == 0; view = view->parentView_)
        if (view->selected_) context = view->selected_->Item()->HelpContext();
      if (context != 0) SetDoneActionHelp(context);
      break;
    }
    default:
      break;
  }
}

TBarItemViewer* TBarView::FindAccelViewer(TBarItemViewer* after, char32_t ch, bool& unique, bool acceleratorsOnly) {
  ValidatePositions();
  unique = false;
  const int count = ViewerCount();
  if (count == 0 || ch == 0) return nullptr;
  const int start = IndexOf(after);
  const int passes = acceleratorsOnly ? 2 : 4;
  for (int pass = 0; pass < passes; ++pass) {
    const bool wantEnabled = pass % 2 == 0;
    const bool byAccelerator = pass < 2;
    TBarItemViewer* found = nullptr;
    int matches = 0;
    for (int step = 1; step <= count; ++step) {
      TBarItemViewer* viewer = viewers_[static_cast<size_t>((start + step + count) % count)];
      TBarCustomItem* item = viewer->Item();
      if (!(viewer->Show || viewer->Clipped) || !HasStyle(viewer, isSelectable) || !item->Visible()) continue;
      if (item->Enabled() != wantEnabled || !viewer->CaptionShown()) continue;
      const std::string caption = viewer->GetCaptionText();
      const char32_t accelerator = AcceleratorOfCaption(caption);
      char32_t key = 0;
      if (byAccelerator) {
        key = accelerator;
      } else if (accelerator == 0) {
        key = FirstCharacter(caption);
        if (key == U' ') key = 0;
      }
      if (key == 0 || !SameCharacter(key, ch)) continue;
      if (!found) found = viewer;
      ++matches;
    }
    if (found) {
      unique = !wantEnabled || matches == 1;
      return found;
    }
  }
  return nullptr;
}

void TBarView::UpdateKeyboardCues(bool force) {
  bool show = true;
  if (!force && (style_ & vstHideAccelerators)) show = KeyboardCuesShown();
  if (show == AcceleratorsShown()) return;
  if (show)
    state_ |= vsAcceleratorsShown;
  else
    state_ &= ~vsAcceleratorsShown;
  if (!window_ || !window_->HandleAllocated() || !IsWindowVisible(window_->Handle())) return;
  for (TBarItemViewer* viewer : viewers_)
    if (viewer->CaptionShown() && AcceleratorOfCaption(viewer->GetCaptionText()) != 0) InvalidateViewer(viewer);
}

// --- Scrolling -------------------------------------------------------------------------------

void TBarView::ScrollStep(bool down) {
  int best = down ? INT_MAX : INT_MIN;
  bool found = false;
  for (TBarItemViewer* viewer : viewers_) {
    if (!viewer->Clipped || IsSeparatorViewer(viewer)) continue;
    const RECT& b = viewer->BoundsRect;
    if (down && b.bottom > maxHeight_ - kScrollArrowHeight && b.bottom < best) {
      best = b.bottom;
      found = true;
    } else if (!down && b.top < kScrollArrowHeight && b.top > best) {
      best = b.top;
      found = true;
    }
  }
  if (!found) return;
  if (down)
    scrollOffset_ += best + kScrollArrowHeight - maxHeight_;
  else
    scrollOffset_ -= kScrollArrowHeight - best;
  InvalidateLayout();
  validated_ = false;
  ValidatePositions();
}

void TBarView::ScrollSelectedIntoView() {
  if (!selected_ || !selected_->Clipped) return;
  const RECT& b = selected_->BoundsRect;
  if (b.top > kScrollArrowHeight - 1 && b.bottom > maxHeight_ - kScrollArrowHeight)
    scrollOffset_ += b.bottom + kScrollArrowHeight - maxHeight_;
  else if (b.top <= kScrollArrowHeight - 1)
    scrollOffset_ -= kScrollArrowHeight - b.top;
  else
    return;
  InvalidateLayout();
  validated_ = false;
  ValidatePositions();
}

// --- Accessibility ---------------------------------------------------------------------------

void TBarView::NotifyFocus() {
  if (!(state_ & vsTracking) || !(RootView()->state_ & vsTracking)) return;
  if (!window_ || !window_->HandleAllocated() || !IsWindowVisible(window_->Handle())) return;
  LONG child = 0;
  if (selected_ && selected_->IsShown()) {
    child = 1;
    for (TBarItemViewer* viewer : viewers_) {
      if (viewer == selected_) break;
      if (viewer->IsShown()) ++child;
    }
  }
  if (child == 0 && parentView_) {
    parentView_->NotifyFocus();
    return;
  }
  NotifyBarWinEvent(EVENT_OBJECT_FOCUS, window_->Handle(), OBJID_CLIENT, child);
}

TBarViewAccObject* TBarView::AccObject() {
  if (!accObject_ && !tornDown_ && BarAccAvailable()) {
    accObject_ = new TBarViewAccObject(this);
    accObject_->AddRef();
  }
  return accObject_;
}

}  // namespace movra::bars
