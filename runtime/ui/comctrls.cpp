#include "runtime/ui/comctrls.h"

#include <commctrl.h>

#include <algorithm>
#include <climits>
#include <cstdlib>

#include "runtime/text.h"

namespace movra::ui {

namespace {

int AlignmentFormat(TAlignment alignment) {
  switch (alignment) {
    case TAlignment::taRightJustify:
      return LVCFMT_RIGHT;
    case TAlignment::taCenter:
      return LVCFMT_CENTER;
    default:
      return LVCFMT_LEFT;
  }
}

void CopyText(const std::wstring& text, wchar_t* buffer, int size) {
  if (!buffer || size <= 0) return;
  size_t n = std::min(text.size(), static_cast<size_t>(size - 1));
  std::copy_n(text.data(), n, buffer);
  buffer[n] = L'\0';
}

}  // namespace

// --- TListColumn -----------------------------------------------------------------------------

int TListColumn::Clamp(int width) const {
  if (maxWidth_ > 0) width = std::min(width, maxWidth_);
  return std::max(width, minWidth_);
}

void TListColumn::SetCaption(const std::string& caption) {
  if (caption == caption_) return;
  caption_ = caption;
  Changed(false);
}

int TListColumn::Width() const {
  auto* columns = static_cast<TListColumns*>(Collection());
  if (columns && columns->Owner()->HandleAllocated()) return columns->Owner()->ColumnWidth(Index());
  return width_;
}

void TListColumn::SetWidth(int width) {
  width_ = Clamp(width);
  Changed(false);
}

void TListColumn::SetAutoSize(bool on) {
  autoSize_ = on;
  Changed(true);
}

void TListColumn::SetMinWidth(int width) {
  minWidth_ = std::max(width, 0);
  width_ = Clamp(width_);
  Changed(false);
}

void TListColumn::SetMaxWidth(int width) {
  maxWidth_ = std::max(width, 0);
  width_ = Clamp(width_);
  Changed(false);
}

void TListColumn::SetAlignment(TAlignment alignment) {
  alignment_ = alignment;
  Changed(false);
}

void TListColumn::GetProperties(TPropertyList& properties) {
  properties.AddText("Caption", [this] { return caption_; }, [this](const std::string& s) { SetCaption(s); });
}

TListColumns::TListColumns(TListView* owner) : TTypedCollection<TListColumn>(owner), view_(owner) {}

void TListColumns::Update(TCollectionItem*) { view_->ColumnsChanged(); }

// --- TListItem -------------------------------------------------------------------------------

TListView* TListItem::ListView() const { return owner_->Owner(); }

int TListItem::Index() const {
  if (this == owner_->scratch_.get()) return owner_->scratchIndex_;
  return owner_->IndexOf(this);
}

void TListItem::SetCaption(const std::string& caption) {
  if (caption == caption_) return;
  caption_ = caption;
  Update();
}

void TListItem::SetStateIndex(int index) {
  if (index == stateIndex_) return;
  stateIndex_ = index;
  Update();
}

void TListItem::SetImageIndex(int index) {
  if (index == imageIndex_) return;
  imageIndex_ = index;
  Update();
}

bool TListItem::Selected() const {
  TListView* view = ListView();
  if (view->HandleAllocated()) return view->IsSelected(Index());
  return selected_;
}

void TListItem::SetSelected(bool on) { ListView()->SetIndexSelected(Index(), on); }

bool TListItem::Focused() const { return ListView()->FocusedIndex() == Index(); }

void TListItem::SetFocused(bool on) {
  TListView* view = ListView();
  if (view->HandleAllocated()) view->SetIndexState(Index(), LVIS_FOCUSED, on ? LVIS_FOCUSED : 0);
}

void TListItem::Delete() { owner_->Delete(Index()); }

void TListItem::Update() {
  if (owner_->filling_) return;
  TListView* view = ListView();
  // The window asks for a row's texts and images when it draws the row (they are never
  // stored in it): a change is only a redraw, and none is needed while the whole list is
  // redrawn after an update.
  if (!view->HandleAllocated() || !view->Redrawing()) return;
  const int index = Index();
  if (index >= 0) view->UpdateItems(index, index);
}

// --- TListItems ------------------------------------------------------------------------------

TListItems::TListItems(TListView* owner) : view_(owner) {}

TListItems::~TListItems() = default;

int TListItems::Count() const {
  if (view_->OwnerData()) return virtualCount_;
  return static_cast<int>(items_.size());
}

void TListItems::SetCount(int count) {
  virtualCount_ = std::max(count, 0);
  if (view_->dataSelected_.size() > static_cast<size_t>(virtualCount_)) view_->dataSelected_.resize(virtualCount_);
  if (view_->OwnerData() && view_->HandleAllocated())
    SendMessageW(view_->Handle(), LVM_SETITEMCOUNT, static_cast<WPARAM>(virtualCount_), 0);
}

TListItem* TListItems::Item(int index) {
  if (index < 0 || index >= Count()) throw EListError("List index out of bounds (" + std::to_string(index) + ")");
  if (!view_->OwnerData()) return items_[static_cast<size_t>(index)].get();
  if (!scratch_) scratch_ = std::make_unique<TListItem>(this);
  TListItem& row = *scratch_;
  scratchIndex_ = index;
  filling_ = true;
  row.caption_.clear();
  row.subItems_.Clear();
  row.Data = nullptr;
  row.stateIndex_ = -1;
  row.imageIndex_ = -1;
  try {
    if (view_->OnData) view_->OnData(view_, &row);
  } catch (...) {
    filling_ = false;
    throw;
  }
  filling_ = false;
  return &row;
}

TListItem* TListItems::Insert(int index) {
  if (view_->OwnerData()) throw EListError("Operation not allowed on an owner-data list");
  index = std::clamp(index, 0, Count());
  auto item = std::make_unique<TListItem>(this);
  TListItem* raw = item.get();
  raw->subItems_.OnChange = TNotifyEvent(raw, &TListItem::SubItemsChanged);
  items_.insert(items_.begin() + index, std::move(item));
  raw->indexHint_ = index;
  if (view_->HandleAllocated()) view_->RowInserted(index);
  return raw;
}

void TListItems::Delete(int index) {
  if (view_->OwnerData()) throw EListError("Operation not allowed on an owner-data list");
  if (index < 0 || index >= Count()) throw EListError("List index out of bounds (" + std::to_string(index) + ")");
  if (view_->HandleAllocated()) {
    view_->DeferRedraw();
    // A selected row is told of as deselected while it is still in the list. What the window
    // tells while it deletes the row is of the rows below, which move up unchanged.
    view_->ReportStates();
    if (view_->KnownSelected(index)) {
      view_->SetIndexSelected(index, false);
      view_->ReportStates();
    }
    view_->movingMarks_ = true;
    view_->Call(LVM_DELETEITEM, static_cast<WPARAM>(index), 0);
    view_->movingMarks_ = false;
  }
  items_.erase(items_.begin() + index);
}

void TListItems::Clear() {
  if (view_->OwnerData()) {
    SetCount(0);
    return;
  }
  if (view_->HandleAllocated()) {
    SendMessageW(view_->Handle(), LVM_DELETEALLITEMS, 0, 0);
    view_->ReportStates();
  }
  items_.clear();
}

int TListItems::IndexOf(const TListItem* item) const {
  if (!item) return -1;
  const int hint = item->indexHint_;
  if (hint >= 0 && static_cast<size_t>(hint) < items_.size() && items_[static_cast<size_t>(hint)].get() == item) return hint;
  // The hint went stale (a row was inserted or deleted before it): renumber every row once,
  // so the next lookups are direct again.
  int found = -1;
  for (size_t i = 0; i < items_.size(); ++i) {
    items_[i]->indexHint_ = static_cast<int>(i);
    if (items_[i].get() == item) found = static_cast<int>(i);
  }
  return found;
}

void TListItems::BeginUpdate() {
  if (updateCount_++ == 0 && view_->HandleAllocated() && !view_->redrawDeferred_)
    SendMessageW(view_->Handle(), WM_SETREDRAW, FALSE, 0);
}

void TListItems::EndUpdate() {
  if (updateCount_ == 0 || --updateCount_ > 0 || !view_->HandleAllocated()) return;
  // A deferred redraw turns drawing on when its message comes.
  if (view_->redrawDeferred_) return;
  SendMessageW(view_->Handle(), WM_SETREDRAW, TRUE, 0);
  view_->Invalidate();
}

// --- TListView -------------------------------------------------------------------------------

TListView::TListView(TComponent* owner) : TWinControl(owner) {
  SetInputDefaults(250, 150);
}

TListView::~TListView() { TListView::BeforeDestruction(); }

void TListView::BeforeDestruction() {
  if (handle_) DestroyHandle();
  TWinControl::BeforeDestruction();
}

void TListView::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.SysClassName = WC_LISTVIEWW;
  static constexpr DWORD styles[] = {LVS_ICON, LVS_SMALLICON, LVS_LIST, LVS_REPORT};
  // The window never holds rows, whether the list keeps them or OnData gives them: it keeps
  // their count, selection and focus, and asks for a row's texts, images and state image when
  // it draws the row. A window holding rows would be told of each one by a message, which a
  // list of thousands pays whenever its window is made.
  params.Style |= styles[static_cast<int>(viewStyle_)] | LVS_SHAREIMAGELISTS | LVS_OWNERDATA;
  if (!multiSelect_) params.Style |= LVS_SINGLESEL;
  if (!readOnly_) params.Style |= LVS_EDITLABELS;
  if (!hideSelection_) params.Style |= LVS_SHOWSELALWAYS;
  params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TListView::CreateWnd() {
  redrawDeferred_ = false;
  TWinControl::CreateWnd();
  UpdateStyles();
  Call(LVM_SETCALLBACKMASK, LVIS_STATEIMAGEMASK, 0);
  ApplyImages();
  ApplyColumns();
  Call(LVM_SETITEMCOUNT, static_cast<WPARAM>(items_.Count()), 0);
  if (!ownerData_) RestoreSelection();
}

void TListView::DestroyWnd() {
  redrawDeferred_ = false;
  for (int i = 0; i < columns_.Count(); ++i)
    if (!columns_[i]->autoSize_) columns_[i]->width_ = ColumnWidth(i);
  if (!ownerData_) KeepSelection();
  // The rows keep their marks for the next window; owner-data rows lose theirs with this one.
  movingMarks_ = true;
  TWinControl::DestroyWnd();
  movingMarks_ = false;
  dataSelected_.clear();
  changedFirst_ = INT_MAX;
  changedLast_ = -1;
}

void TListView::KeepSelection() {
  for (auto& item : items_.items_) item->selected_ = false;
  for (int i : SelectedIndexes()) items_.items_[static_cast<size_t>(i)]->selected_ = true;
}

void TListView::RestoreSelection() {
  for (size_t i = 0; i < items_.items_.size(); ++i)
    if (items_.items_[i]->selected_) SetIndexSelected(static_cast<int>(i), true);
}

void TListView::RowInserted(int index) {
  // What is yet to be told is told by the rows' numbers, which change now.
  ReportStates();
  DeferRedraw();
  const int count = items_.Count();
  // The window knows rows by number only: the rows below the new one take their selection
  // and focus along. A row added at the end moves none.
  std::vector<int> moved;
  int focused = -1;
  if (index < count - 1) {
    for (int i = index - 1; (i = static_cast<int>(Call(LVM_GETNEXTITEM, static_cast<WPARAM>(i), LVNI_SELECTED))) >= 0;)
      moved.push_back(i);
    focused = FocusedIndex();
  }
  Call(LVM_SETITEMCOUNT, static_cast<WPARAM>(count), LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
  movingMarks_ = true;
  for (auto row = moved.rbegin(); row != moved.rend(); ++row) {
    SetIndexSelected(*row, false);
    SetIndexSelected(*row + 1, true);
  }
  if (focused >= index) SetIndexState(focused + 1, LVIS_FOCUSED, LVIS_FOCUSED);
  movingMarks_ = false;
}

LRESULT TListView::Call(UINT msg, WPARAM wParam, LPARAM lParam) const {
  if (defWndProc_ && !OwnWindowClass()) return CallWindowProcW(defWndProc_, handle_, msg, wParam, lParam);
  return SendMessageW(handle_, msg, wParam, lParam);
}

void TListView::DeferRedraw() {
  if (!handle_ || !Redrawing()) return;
  // Laying out and drawing the scroll bars is what a row costs most when the window draws
  // after each one. Without the message that turns drawing on again, the window draws as it
  // goes: it would otherwise never draw again.
  if (!PostMessageW(handle_, CM_DEFERREDREDRAW, 0, 0)) return;
  redrawDeferred_ = true;
  SendMessageW(handle_, WM_SETREDRAW, FALSE, 0);
}

void TListView::UpdateStyles() {
  if (!handle_) return;
  DWORD ex = (rowSelect_ ? LVS_EX_FULLROWSELECT : 0) | (gridLines_ ? LVS_EX_GRIDLINES : 0);
  SendMessageW(handle_, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES, ex);
}

void TListView::SetViewStyle(TViewStyle style) {
  if (style == viewStyle_) return;
  viewStyle_ = style;
  RecreateWnd();
}

void TListView::SetMultiSelect(bool on) {
  if (on == multiSelect_) return;
  multiSelect_ = on;
  RecreateWnd();
}

void TListView::SetRowSelect(bool on) {
  rowSelect_ = on;
  UpdateStyles();
}

void TListView::SetReadOnly(bool on) {
  if (on == readOnly_) return;
  readOnly_ = on;
  RecreateWnd();
}

void TListView::SetGridLines(bool on) {
  gridLines_ = on;
  UpdateStyles();
}

void TListView::SetHideSelection(bool on) {
  if (on == hideSelection_) return;
  hideSelection_ = on;
  RecreateWnd();
}

void TListView::SetOwnerData(bool on) {
  if (on == ownerData_) return;
  if (on) items_.Clear();
  ownerData_ = on;
  items_.virtualCount_ = 0;
  dataSelected_.clear();
  RecreateWnd();
}

void TListView::SetStateImages(TCustomImageList* images) {
  if (stateImages_) stateImages_->RemoveFreeNotification(this);
  stateImages_ = images;
  if (images) images->FreeNotification(this);
  ApplyImages();
}

void TListView::SetSmallImages(TCustomImageList* images) {
  if (smallImages_) smallImages_->RemoveFreeNotification(this);
  smallImages_ = images;
  if (images) images->FreeNotification(this);
  ApplyImages();
}

void TListView::ApplyImages() {
  if (!handle_) return;
  SendMessageW(handle_, LVM_SETIMAGELIST, LVSIL_STATE,
               reinterpret_cast<LPARAM>(stateImages_ ? stateImages_->Handle() : nullptr));
  SendMessageW(handle_, LVM_SETIMAGELIST, LVSIL_SMALL,
               reinterpret_cast<LPARAM>(smallImages_ ? smallImages_->Handle() : nullptr));
}

void TListView::Notification(TComponent* component, TOperation operation) {
  TWinControl::Notification(component, operation);
  if (operation != TOperation::opRemove) return;
  if (component == stateImages_) {
    stateImages_ = nullptr;
    ApplyImages();
  }
  if (component == smallImages_) {
    smallImages_ = nullptr;
    ApplyImages();
  }
}

HWND TListView::HeaderHandle() const {
  return handle_ ? reinterpret_cast<HWND>(SendMessageW(handle_, LVM_GETHEADER, 0, 0)) : nullptr;
}

int TListView::ColumnWidth(int index) const {
  return static_cast<int>(SendMessageW(handle_, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(index), 0));
}

void TListView::SetColumnWidth(int index, int width) {
  if (ColumnWidth(index) != width) SendMessageW(handle_, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(index), width);
}

void TListView::ColumnsChanged() {
  if (handle_ && !applyingColumns_) ApplyColumns();
}

void TListView::ApplyColumns() {
  applyingColumns_ = true;
  int existing = 0;
  if (HWND header = HeaderHandle()) existing = static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
  // Columns are changed in place and only the surplus is inserted or deleted, so that the
  // rows keep the texts of the columns that stay.
  for (int i = 0; i < columns_.Count(); ++i) {
    TListColumn* c = columns_[i];
    std::wstring caption = Utf8ToWide(c->caption_);
    LVCOLUMNW col{};
    col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
    col.fmt = i == 0 ? LVCFMT_LEFT : AlignmentFormat(c->alignment_);
    col.cx = c->width_;
    col.pszText = caption.data();
    col.iSubItem = i;
    UINT msg = i < existing ? LVM_SETCOLUMNW : LVM_INSERTCOLUMNW;
    SendMessageW(handle_, msg, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&col));
  }
  for (int i = existing - 1; i >= columns_.Count(); --i) SendMessageW(handle_, LVM_DELETECOLUMN, static_cast<WPARAM>(i), 0);
  // The rows' texts for the new columns are asked for when they are drawn.
  if (columns_.Count() > existing) Invalidate();
  LayoutAutoSizeColumns();
  applyingColumns_ = false;
}

void TListView::LayoutAutoSizeColumns() {
  if (!handle_ || viewStyle_ != TViewStyle::vsReport) return;
  int fixed = 0, autos = 0;
  for (int i = 0; i < columns_.Count(); ++i) {
    if (columns_[i]->autoSize_)
      ++autos;
    else
      fixed += columns_[i]->width_;
  }
  if (autos == 0) return;
  RECT client;
  GetClientRect(handle_, &client);
  int share = std::max(0, static_cast<int>(client.right) - fixed) / autos;
  bool was = applyingColumns_;
  applyingColumns_ = true;
  for (int i = 0; i < columns_.Count(); ++i)
    if (columns_[i]->autoSize_) SetColumnWidth(i, columns_[i]->Clamp(share));
  applyingColumns_ = was;
}

void TListView::ColumnResized(int index) {
  if (applyingColumns_ || index < 0 || index >= columns_.Count()) return;
  TListColumn* c = columns_[index];
  int width = ColumnWidth(index);
  int limited = c->Clamp(width);
  if (!c->autoSize_) c->width_ = limited;
  if (limited != width) {
    applyingColumns_ = true;
    SetColumnWidth(index, limited);
    applyingColumns_ = false;
  }
}

void TListView::Resize() {
  LayoutAutoSizeColumns();
  TWinControl::Resize();
}

bool TListView::IsSelected(int index) const {
  if (!handle_) {
    if (ownerData_ || index < 0 || index >= items_.Count()) return false;
    return items_.items_[static_cast<size_t>(index)]->selected_;
  }
  return Call(LVM_GETITEMSTATE, static_cast<WPARAM>(index), LVIS_SELECTED) & LVIS_SELECTED;
}

void TListView::SetIndexSelected(int index, bool on) {
  if (!handle_) {
    if (!ownerData_ && index >= 0 && index < items_.Count()) items_.items_[static_cast<size_t>(index)]->selected_ = on;
    return;
  }
  SetIndexState(index, LVIS_SELECTED, on ? LVIS_SELECTED : 0);
}

void TListView::SetIndexState(int index, UINT mask, UINT state) {
  LVITEMW item{};
  item.stateMask = mask;
  item.state = state;
  Call(LVM_SETITEMSTATE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
}

std::vector<int> TListView::SelectedIndexes() const {
  std::vector<int> out;
  if (!handle_) {
    for (int i = 0; i < items_.Count(); ++i)
      if (IsSelected(i)) out.push_back(i);
    return out;
  }
  int i = -1;
  while ((i = static_cast<int>(Call(LVM_GETNEXTITEM, static_cast<WPARAM>(i), LVNI_SELECTED))) >= 0)
    out.push_back(i);
  return out;
}

int TListView::SelCount() const {
  if (handle_) return static_cast<int>(SendMessageW(handle_, LVM_GETSELECTEDCOUNT, 0, 0));
  return static_cast<int>(SelectedIndexes().size());
}

TListItem* TListView::Selected() {
  auto selected = SelectedIndexes();
  return selected.empty() ? nullptr : items_.Item(selected.front());
}

void TListView::SetSelected(TListItem* item) {
  ClearSelection();
  if (item) item->SetSelected(true);
}

void TListView::SelectAll() {
  if (!multiSelect_) return;
  if (handle_) {
    SetIndexSelected(-1, true);
    return;
  }
  for (int i = 0; i < items_.Count(); ++i) SetIndexSelected(i, true);
}

void TListView::ClearSelection() {
  if (handle_) {
    SetIndexSelected(-1, false);
    return;
  }
  for (int i = 0; i < items_.Count(); ++i) SetIndexSelected(i, false);
}

POINT TListView::KeyboardPopupPoint() {
  RECT client = ClientRect();
  if (HWND header = HeaderHandle(); header && IsWindowVisible(header)) {
    RECT r;
    GetWindowRect(header, &r);
    client.top = std::min<LONG>(client.bottom, r.bottom - r.top);
  }
  const int row = handle_ ? FocusedIndex() : -1;
  RECT label{};
  label.left = LVIR_LABEL;
  if (row >= 0 && Call(LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&label)) &&
      label.bottom > client.top && label.top < client.bottom && label.left < client.right)
    return {std::max(label.left, client.left), std::max((label.top + label.bottom) / 2, client.top)};
  return {client.left, client.top};
}

int TListView::FocusedIndex() const {
  if (!handle_) return -1;
  return static_cast<int>(SendMessageW(handle_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
}

TListItem* TListView::ItemFocused() {
  int index = FocusedIndex();
  return index >= 0 && index < items_.Count() ? items_.Item(index) : nullptr;
}

int TListView::IndexAt(int x, int y) const {
  if (!handle_) return -1;
  LVHITTESTINFO hit{};
  hit.pt = {x, y};
  SendMessageW(handle_, LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit));
  return (hit.flags & LVHT_ONITEM) ? hit.iItem : -1;
}

TListItem* TListView::GetItemAt(int x, int y) {
  int index = IndexAt(x, y);
  return index >= 0 && index < items_.Count() ? items_.Item(index) : nullptr;
}

void TListView::CustomSort(const std::function<int(TListItem*, TListItem*)>& compare) {
  if (ownerData_) return;
  std::function<int(TListItem*, TListItem*)> call = compare;
  if (!call) {
    call = [this](TListItem* a, TListItem* b) {
      int result = 0;
      if (OnCompare) {
        OnCompare(this, a, b, 0, result);
      } else {
        std::string x = AsciiUpper(a->Caption()), y = AsciiUpper(b->Caption());
        result = x < y ? -1 : (y < x ? 1 : 0);
      }
      return result;
    };
  }
  auto& rows = items_.items_;
  // The order is found first: a comparison that throws leaves the rows as they were.
  std::vector<size_t> order(rows.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(),
                   [&](size_t a, size_t b) { return call(rows[a].get(), rows[b].get()) < 0; });
  // The window knows rows by number only: selection and focus follow their rows by hand.
  TListItem* focused = nullptr;
  if (handle_) {
    ReportStates();
    KeepSelection();
    focused = ItemFocused();
    movingMarks_ = true;
    ClearSelection();
  }
  std::vector<std::unique_ptr<TListItem>> sorted;
  sorted.reserve(rows.size());
  for (size_t i : order) sorted.push_back(std::move(rows[i]));
  rows = std::move(sorted);
  if (!handle_) return;
  RestoreSelection();
  if (focused) SetIndexState(focused->Index(), LVIS_FOCUSED, LVIS_FOCUSED);
  movingMarks_ = false;
  Invalidate();
}

void TListView::AlphaSort() { CustomSort({}); }

void TListView::UpdateItems(int first, int last) {
  if (handle_) SendMessageW(handle_, LVM_REDRAWITEMS, static_cast<WPARAM>(first), last);
}

void TListView::FillDisplayInfo(NMLVDISPINFOW& info) {
  LVITEMW& asked = info.item;
  if (asked.iItem < 0 || asked.iItem >= items_.Count()) return;
  TListItem* row = items_.Item(asked.iItem);
  if (asked.mask & LVIF_TEXT) {
    std::string text;
    if (asked.iSubItem == 0)
      text = row->Caption();
    else if (asked.iSubItem <= row->SubItems().Count())
      text = row->SubItems()[asked.iSubItem - 1];
    displayText_ = Utf8ToWide(text);
    CopyText(displayText_, asked.pszText, asked.cchTextMax);
  }
  if (asked.mask & LVIF_IMAGE) asked.iImage = row->ImageIndex();
  if (asked.mask & LVIF_STATE) {
    asked.state = (asked.state & ~LVIS_STATEIMAGEMASK) | INDEXTOSTATEIMAGEMASK(static_cast<UINT>(row->StateIndex() + 1));
    asked.stateMask |= LVIS_STATEIMAGEMASK;
  }
}

bool TListView::KnownSelected(int row) const {
  if (ownerData_) return static_cast<size_t>(row) < dataSelected_.size() && dataSelected_[static_cast<size_t>(row)];
  return items_.items_[static_cast<size_t>(row)]->selected_;
}

void TListView::SetKnownSelected(int row, bool on) {
  if (!ownerData_) {
    items_.items_[static_cast<size_t>(row)]->selected_ = on;
    return;
  }
  if (static_cast<size_t>(row) >= dataSelected_.size()) dataSelected_.resize(static_cast<size_t>(row) + 1);
  dataSelected_[static_cast<size_t>(row)] = on;
}

void TListView::StatesChanged(int first, int last) {
  if (movingMarks_) return;
  if (first < 0) {
    first = 0;
    last = INT_MAX;
  }
  changedFirst_ = std::min(changedFirst_, first);
  changedLast_ = std::max(changedLast_, last);
  if (handling_ == 0) ReportStates();
}

void TListView::ReportStates() {
  if (changedLast_ < 0) return;
  // A notice for a range, or for every row, does not say which rows changed, and one for a
  // row does not say whether it was told of before; the window may also pass through states
  // on its way (a range the keyboard selects is first cleared). So the window's selection
  // is compared with what was told.
  const int count = items_.Count(), first = changedFirst_, last = std::min(changedLast_, count - 1);
  changedFirst_ = INT_MAX;
  changedLast_ = -1;
  // Every row selected or none, as after selecting all or clearing: no row need be asked.
  const int selected = last > first ? static_cast<int>(Call(LVM_GETSELECTEDCOUNT, 0, 0)) : -1;
  std::vector<int> changed;
  for (int row = first; row <= last; ++row) {
    const bool now = selected == count || (selected != 0 && IsSelected(row));
    if (now == KnownSelected(row)) continue;
    SetKnownSelected(row, now);
    changed.push_back(row);
  }
  if (OnSelectItem)
    for (int row : changed) OnSelectItem(this, items_.Item(row), KnownSelected(row));
  if (OnChange) OnChange(this);
}

int TListView::FindRow(const NMLVFINDITEMW& find) {
  // The window gathers the letters typed in quick succession and asks from the row after the
  // focused one for the first, from the focused one for the others.
  const LVFINDINFOW& what = find.lvfi;
  const int count = items_.Count();
  if (!(what.flags & (LVFI_STRING | LVFI_PARTIAL)) || !what.psz || !*what.psz || count == 0) return -1;
  std::wstring typed = what.psz;
  int start = find.iStart;
  auto same = [](const wchar_t* a, const wchar_t* b, size_t n) {
    return CompareStringOrdinal(a, static_cast<int>(n), b, static_cast<int>(n), TRUE) == CSTR_EQUAL;
  };
  // One letter typed again and again steps through the rows that begin with it.
  bool repeated = typed.size() > 1;
  for (size_t i = 1; i < typed.size() && repeated; ++i) repeated = same(&typed[i], &typed[0], 1);
  if (repeated) {
    typed.resize(1);
    start = FocusedIndex() + 1;
  }
  if (start < 0 || start >= count) start = 0;
  const int end = (what.flags & LVFI_WRAP) ? start + count : count;
  for (int i = start; i < end; ++i) {
    const int row = i % count;
    const std::wstring caption = Utf8ToWide(items_.Item(row)->Caption());
    if (caption.size() < typed.size() || (!(what.flags & LVFI_PARTIAL) && caption.size() != typed.size())) continue;
    if (same(caption.data(), typed.data(), typed.size())) return row;
  }
  return -1;
}

void TListView::WndProc(TMessage& m) {
  if (m.Msg == CM_DEFERREDREDRAW) {
    if (!redrawDeferred_) return;
    redrawDeferred_ = false;
    if (items_.updateCount_ == 0) {
      SendMessageW(handle_, WM_SETREDRAW, TRUE, 0);
      Invalidate();
    }
    return;
  }
  if (m.Msg == WM_NOTIFY && m.LParam) {
    // The header tells its list of width changes: the limits hold for the user too.
    auto* hdr = reinterpret_cast<NMHDR*>(m.LParam);
    if (hdr->hwndFrom == HeaderHandle() &&
        (hdr->code == HDN_ITEMCHANGEDW || hdr->code == HDN_ITEMCHANGEDA || hdr->code == HDN_ENDTRACKW ||
         hdr->code == HDN_ENDTRACKA)) {
      DefaultHandler(m);
      ColumnResized(reinterpret_cast<NMHEADERW*>(m.LParam)->iItem);
      return;
    }
  }
  if (m.Msg == CN_NOTIFY) {
    auto* hdr = reinterpret_cast<NMHDR*>(m.LParam);
    switch (hdr->code) {
      case LVN_GETDISPINFOW:
        FillDisplayInfo(*reinterpret_cast<NMLVDISPINFOW*>(m.LParam));
        return;
      case LVN_DELETEALLITEMS:
        // No notice per row when all go.
        m.Result = TRUE;
        return;
      case LVN_ODFINDITEMW:
        m.Result = FindRow(*reinterpret_cast<NMLVFINDITEMW*>(m.LParam));
        return;
      case LVN_COLUMNCLICK: {
        int column = reinterpret_cast<NMLISTVIEW*>(m.LParam)->iSubItem;
        if (OnColumnClick && column >= 0 && column < columns_.Count()) OnColumnClick(this, columns_[column]);
        return;
      }
      case LVN_ITEMCHANGED: {
        auto* change = reinterpret_cast<NMLISTVIEW*>(m.LParam);
        if (!(change->uChanged & LVIF_STATE)) return;
        StatesChanged(change->iItem, change->iItem);
        return;
      }
      case LVN_ODSTATECHANGED: {
        // A range of rows, as a shift-click selects them.
        auto* change = reinterpret_cast<NMLVODSTATECHANGE*>(m.LParam);
        StatesChanged(change->iFrom, change->iTo);
        return;
      }
      default:
        return;
    }
  }
  ++handling_;
  try {
    TWinControl::WndProc(m);
  } catch (...) {
    --handling_;
    throw;
  }
  if (--handling_ == 0) ReportStates();
}

void TListView::GetProperties(TPropertyList& properties) {
  TWinControl::GetProperties(properties);
  properties.AddObject("Columns", &columns_);
}

// --- Status bar ------------------------------------------------------------------------------

void TStatusPanel::SetText(const std::string& text) {
  if (text == text_) return;
  text_ = text;
  Changed(false);
}

void TStatusPanel::SetWidth(int width) {
  if (width == width_) return;
  width_ = std::max(width, 0);
  Changed(true);
}

void TStatusPanel::GetProperties(TPropertyList& properties) {
  properties.AddText("Text", [this] { return text_; }, [this](const std::string& s) { SetText(s); });
}

TStatusPanels::TStatusPanels(TStatusBar* owner) : TTypedCollection<TStatusPanel>(owner), bar_(owner) {}

void TStatusPanels::Update(TCollectionItem* item) {
  if (item)
    bar_->ApplyPanel(item->Index());
  else
    bar_->ApplyPanels();
}

TStatusBar::TStatusBar(TComponent* owner) : TWinControl(owner) {
  align_ = TAlign::alBottom;
  height_ = 19;
  width_ = 200;
}

void TStatusBar::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.SysClassName = STATUSCLASSNAMEW;
  // We place the bar ourselves.
  params.Style |= CCS_NOPARENTALIGN | CCS_NORESIZE | CCS_NOMOVEY | (sizeGrip_ ? SBARS_SIZEGRIP : 0);
}

void TStatusBar::CreateWnd() {
  TWinControl::CreateWnd();
  ApplyPanels();
}

void TStatusBar::SetSizeGrip(bool on) {
  if (on == sizeGrip_) return;
  sizeGrip_ = on;
  RecreateWnd();
}

void TStatusBar::ApplyPanels() {
  if (!handle_) return;
  std::vector<int> rights;
  int right = 0;
  for (int i = 0; i < panels_.Count(); ++i) {
    right += panels_[i]->Width();
    rights.push_back(right);
  }
  // The last panel reaches the right edge.
  if (!rights.empty()) rights.back() = -1;
  SendMessageW(handle_, SB_SETPARTS, rights.size(), reinterpret_cast<LPARAM>(rights.empty() ? nullptr : rights.data()));
  for (int i = 0; i < panels_.Count(); ++i) ApplyPanel(i);
}

void TStatusBar::ApplyPanel(int index) {
  if (!handle_ || index < 0 || index >= panels_.Count()) return;
  std::wstring text = Utf8ToWide(panels_[index]->Text());
  SendMessageW(handle_, SB_SETTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.c_str()));
}

std::string TStatusBar::PanelWindowText(int index) const {
  if (!handle_) return {};
  auto length = LOWORD(SendMessageW(handle_, SB_GETTEXTLENGTHW, static_cast<WPARAM>(index), 0));
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  SendMessageW(handle_, SB_GETTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
  text.resize(length);
  return WideToUtf8(text);
}

void TStatusBar::GetProperties(TPropertyList& properties) {
  TWinControl::GetProperties(properties);
  properties.AddObject("Panels", &panels_);
}

// --- Page control ----------------------------------------------------------------------------

TTabSheet::TTabSheet(TComponent* owner) : TWinControl(owner) {
  controlStyle_ |= csAcceptsControls;
  visible_ = false;
}

TTabSheet::~TTabSheet() {
  if (pageControl_) pageControl_->RemovePage(this);
}

void TTabSheet::SetPageControl(TPageControl* control) {
  if (control == pageControl_) return;
  if (pageControl_) pageControl_->RemovePage(this);
  SetParent(control);
  if (control) control->InsertPage(this);
}

int TTabSheet::PageIndex() const {
  if (!pageControl_) return -1;
  auto& pages = pageControl_->pages_;
  return static_cast<int>(std::find(pages.begin(), pages.end(), this) - pages.begin());
}

int TTabSheet::TabIndex() const {
  if (!pageControl_ || !tabVisible_) return -1;
  int index = 0;
  for (TTabSheet* page : pageControl_->pages_) {
    if (page == this) return index;
    if (page->tabVisible_) ++index;
  }
  return -1;
}

void TTabSheet::SetTabVisible(bool on) {
  if (on == tabVisible_) return;
  tabVisible_ = on;
  if (!pageControl_) return;
  if (!on && pageControl_->activePage_ == this) {
    pageControl_->activePage_ = nullptr;
    for (TTabSheet* page : pageControl_->pages_)
      if (page->tabVisible_) {
        pageControl_->activePage_ = page;
        break;
      }
  }
  pageControl_->UpdateTabs();
}

void TTabSheet::TextChanged() {
  if (pageControl_) pageControl_->UpdateTabs();
}

TPageControl::TPageControl(TComponent* owner) : TWinControl(owner) {
  tabStop_ = true;
  width_ = 289;
  height_ = 193;
  controlStyle_ |= csAcceptsControls;
}

TPageControl::~TPageControl() { TPageControl::BeforeDestruction(); }

void TPageControl::BeforeDestruction() {
  for (TTabSheet* page : pages_) page->pageControl_ = nullptr;
  pages_.clear();
  activePage_ = nullptr;
  TWinControl::BeforeDestruction();
}

void TPageControl::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.SysClassName = WC_TABCONTROLW;
  params.Style |= WS_CLIPCHILDREN | TCS_TABS;
}

void TPageControl::CreateWnd() {
  TWinControl::CreateWnd();
  UpdateTabs();
}

void TPageControl::InsertPage(TTabSheet* page) {
  pages_.push_back(page);
  page->pageControl_ = this;
  // The page takes its place now, even while the window is being built and aligning waits:
  // controls put on it and anchored to its edges measure from its real size.
  RECT area = ClientRect();
  AdjustClientRect(area);
  page->SetBoundsCore(area.left, area.top, std::max<LONG>(0, area.right - area.left),
                      std::max<LONG>(0, area.bottom - area.top));
  if (!activePage_ && page->tabVisible_) activePage_ = page;
  UpdateTabs();
}

void TPageControl::RemovePage(TTabSheet* page) {
  std::erase(pages_, page);
  page->pageControl_ = nullptr;
  if (activePage_ == page) {
    activePage_ = nullptr;
    for (TTabSheet* p : pages_)
      if (p->tabVisible_) {
        activePage_ = p;
        break;
      }
  }
  if (!IsDestroying()) UpdateTabs();
}

void TPageControl::UpdateTabs() {
  if (handle_) {
    SendMessageW(handle_, TCM_DELETEALLITEMS, 0, 0);
    int index = 0;
    for (TTabSheet* page : pages_) {
      if (!page->tabVisible_) continue;
      std::wstring text = Utf8ToWide(page->text_);
      TCITEMW tab{};
      tab.mask = TCIF_TEXT;
      tab.pszText = text.data();
      SendMessageW(handle_, TCM_INSERTITEMW, static_cast<WPARAM>(index++), reinterpret_cast<LPARAM>(&tab));
    }
    SendMessageW(handle_, TCM_SETCURSEL, static_cast<WPARAM>(activePage_ ? activePage_->TabIndex() : -1), 0);
  }
  ShowActive();
  Realign();
}

void TPageControl::ShowActive() {
  for (TTabSheet* page : pages_) page->SetVisible(page == activePage_);
}

void TPageControl::SetActivePage(TTabSheet* page) {
  if (page && (page->pageControl_ != this || !page->tabVisible_)) return;
  if (page == activePage_) return;
  activePage_ = page;
  if (handle_) SendMessageW(handle_, TCM_SETCURSEL, static_cast<WPARAM>(page ? page->TabIndex() : -1), 0);
  ShowActive();
  Realign();
}

int TPageControl::ActivePageIndex() const { return activePage_ ? activePage_->PageIndex() : -1; }

void TPageControl::SetActivePageIndex(int index) {
  SetActivePage(index >= 0 && index < PageCount() ? pages_[static_cast<size_t>(index)] : nullptr);
}

void TPageControl::AdjustClientRect(RECT& rect) const {
  if (handle_) {
    SendMessageW(handle_, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&rect));
    return;
  }
  rect.left += 4;
  rect.top += 24;
  rect.right -= 4;
  rect.bottom -= 4;
}

void TPageControl::AlignControls(RECT rect) {
  for (TTabSheet* page : pages_)
    page->SetBoundsCore(rect.left, rect.top, std::max<LONG>(0, rect.right - rect.left),
                        std::max<LONG>(0, rect.bottom - rect.top));
  TWinControl::AlignControls(rect);
}

void TPageControl::ChangeActivePage(TTabSheet* page) {
  TTabSheet* const old = activePage_;
  const HWND focus = GetFocus();
  const bool focusOnOld = old && old->HandleAllocated() && focus && IsChild(old->Handle(), focus);
  activePage_ = page;
  if (handle_ && page && SendMessageW(handle_, TCM_GETCURSEL, 0, 0) != page->TabIndex())
    SendMessageW(handle_, TCM_SETCURSEL, static_cast<WPARAM>(page->TabIndex()), 0);
  ShowActive();
  Realign();
  if (focusOnOld && handle_) {
    const HWND first = page && page->HandleAllocated() ? FindNextTabStop(page->Handle(), nullptr, false) : nullptr;
    FocusByKeyboard(first ? first : handle_);
  }
  if (OnChange) OnChange(this);
}

void TPageControl::SelectNextPage(bool forward) {
  std::vector<TTabSheet*> tabs;
  for (TTabSheet* page : pages_)
    if (page->tabVisible_) tabs.push_back(page);
  if (tabs.empty()) return;
  const auto at = std::find(tabs.begin(), tabs.end(), activePage_);
  const size_t count = tabs.size();
  size_t next = forward ? 0 : count - 1;
  if (at != tabs.end()) {
    const size_t i = static_cast<size_t>(at - tabs.begin());
    next = forward ? (i + 1) % count : (i + count - 1) % count;
  }
  if (tabs[next] != activePage_) ChangeActivePage(tabs[next]);
}

void TPageControl::WndProc(TMessage& m) {
  if (m.Msg == CN_NOTIFY) {
    if (reinterpret_cast<NMHDR*>(m.LParam)->code == static_cast<UINT>(TCN_SELCHANGE)) {
      int tab = static_cast<int>(SendMessageW(handle_, TCM_GETCURSEL, 0, 0));
      for (TTabSheet* page : pages_)
        if (page->TabIndex() == tab) {
          ChangeActivePage(page);
          break;
        }
    }
    return;
  }
  if (m.Msg == CM_DIALOGKEY) {
    if (const int turn = PageTurnOf(m.WParam); turn != 0 && Showing() && Enabled()) {
      SelectNextPage(turn > 0);
      m.Result = 1;
      return;
    }
  }
  TWinControl::WndProc(m);
}

// --- Date-time picker ------------------------------------------------------------------------

TDateTimePicker::TDateTimePicker(TComponent* owner) : TWinControl(owner) {
  SetInputDefaults(186, 21);
  value_ = movra::Now();
}

void TDateTimePicker::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.SysClassName = DATETIMEPICK_CLASSW;
  params.Style |= kind_ == TDateTimeKind::dtkTime ? (DTS_TIMEFORMAT | DTS_UPDOWN) : DTS_SHORTDATEFORMAT;
}

void TDateTimePicker::CreateWnd() {
  TWinControl::CreateWnd();
  if (!format_.empty()) SendMessageW(handle_, DTM_SETFORMATW, 0, reinterpret_cast<LPARAM>(Utf8ToWide(format_).c_str()));
  SYSTEMTIME time = DateTimeToSystemTime(value_);
  SendMessageW(handle_, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&time));
}

void TDateTimePicker::DestroyWnd() {
  value_ = DateTime();
  TWinControl::DestroyWnd();
}

void TDateTimePicker::SetKind(TDateTimeKind kind) {
  if (kind == kind_) return;
  kind_ = kind;
  RecreateWnd();
}

void TDateTimePicker::SetFormat(const std::string& format) {
  format_ = format;
  if (handle_)
    SendMessageW(handle_, DTM_SETFORMATW, 0,
                 format.empty() ? 0 : reinterpret_cast<LPARAM>(Utf8ToWide(format).c_str()));
}

TDateTime TDateTimePicker::DateTime() const {
  if (!handle_) return value_;
  SYSTEMTIME time{};
  if (SendMessageW(handle_, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&time)) != GDT_VALID) return value_;
  return SystemTimeToDateTime(time);
}

void TDateTimePicker::SetDateTime(TDateTime value) {
  value_ = value;
  if (!handle_) return;
  SYSTEMTIME time = DateTimeToSystemTime(value);
  SendMessageW(handle_, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&time));
}

void TDateTimePicker::WndProc(TMessage& m) {
  if (m.Msg == CN_NOTIFY) {
    if (reinterpret_cast<NMHDR*>(m.LParam)->code == static_cast<UINT>(DTN_DATETIMECHANGE)) {
      value_ = DateTime();
      if (OnChange) OnChange(this);
    }
    return;
  }
  TWinControl::WndProc(m);
}

// --- Spin edit -------------------------------------------------------------------------------

TSpinEdit::TSpinEdit(TComponent* owner) : TCustomEdit(owner) { text_ = "0"; }

int TSpinEdit::Limit(int value) const {
  if (minValue_ == 0 && maxValue_ == 0) return value;
  return std::clamp(value, minValue_, std::max(minValue_, maxValue_));
}

void TSpinEdit::SetMinValue(int value) { minValue_ = value; }

void TSpinEdit::SetMaxValue(int value) { maxValue_ = value; }

int TSpinEdit::Value() const {
  std::string text = GetText();
  char* end = nullptr;
  long value = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || end == text.c_str()) return minValue_;
  return Limit(static_cast<int>(std::clamp<long>(value, INT_MIN, INT_MAX)));
}

void TSpinEdit::SetValue(int value) { SetText(std::to_string(Limit(value))); }

void TSpinEdit::Step(int steps) {
  if (ReadOnly()) return;
  long long next = static_cast<long long>(Value()) + static_cast<long long>(steps) * Increment;
  SetValue(static_cast<int>(std::clamp<long long>(next, INT_MIN, INT_MAX)));
  SelectAll();
}

void TSpinEdit::CreateWnd() {
  TCustomEdit::CreateWnd();
  arrows_ = CreateWindowExW(0, UPDOWN_CLASSW, nullptr, WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, handle_, nullptr,
                            GetModuleHandleW(nullptr), nullptr);
  // The arrows stay in the middle of a small range and report only the direction.
  SendMessageW(arrows_, UDM_SETRANGE32, 0, 2);
  SendMessageW(arrows_, UDM_SETPOS32, 0, 1);
  PlaceArrows();
}

void TSpinEdit::DestroyWnd() {
  arrows_ = nullptr;  // destroyed with the edit
  TCustomEdit::DestroyWnd();
}

void TSpinEdit::PlaceArrows() {
  if (!arrows_) return;
  RECT client;
  GetClientRect(handle_, &client);
  int width = GetSystemMetrics(SM_CXVSCROLL);
  SetWindowPos(arrows_, nullptr, client.right - width, 0, width, client.bottom, SWP_NOZORDER | SWP_NOACTIVATE);
  SendMessageW(handle_, EM_SETMARGINS, EC_RIGHTMARGIN, MAKELONG(0, width + 1));
}

bool TSpinEdit::DoKeyDown(WORD& key, TShiftState shift) {
  if (key == VK_UP || key == VK_DOWN) {
    Step(key == VK_UP ? 1 : -1);
    key = 0;
    return true;
  }
  return TCustomEdit::DoKeyDown(key, shift);
}

void TSpinEdit::DoExit() {
  std::string shown = std::to_string(Value());
  if (GetText() != shown) SetText(shown);
  TCustomEdit::DoExit();
}

void TSpinEdit::WndProc(TMessage& m) {
  if (arrows_ && m.Msg == WM_NOTIFY && reinterpret_cast<NMHDR*>(m.LParam)->hwndFrom == arrows_) {
    auto* change = reinterpret_cast<NMUPDOWN*>(m.LParam);
    if (change->hdr.code == static_cast<UINT>(UDN_DELTAPOS)) {
      if (change->iDelta != 0) Step(change->iDelta > 0 ? 1 : -1);
      m.Result = 1;  // the arrows keep their position
    }
    return;
  }
  if (arrows_ && m.Msg == WM_VSCROLL && reinterpret_cast<HWND>(m.LParam) == arrows_) return;
  TCustomEdit::WndProc(m);
  if (m.Msg == WM_SIZE) PlaceArrows();
}

void TSpinEdit::GetProperties(TPropertyList& properties) {
  TWinControl::GetProperties(properties);
}

// --- Animation -------------------------------------------------------------------------------

TAnimate::TAnimate(TComponent* owner) : TWinControl(owner) {
  width_ = 100;
  height_ = 80;
}

TAnimate::~TAnimate() {
  if (shell_) FreeLibrary(shell_);
}

void TAnimate::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.SysClassName = ANIMATE_CLASSW;
  params.Style |= ACS_TRANSPARENT | ACS_CENTER;
}

void TAnimate::CreateWnd() {
  TWinControl::CreateWnd();
  opened_ = false;
  active_ = false;
  Open();
}

void TAnimate::SetCommonAVI(TCommonAVI clip) {
  if (clip == commonAvi_) return;
  commonAvi_ = clip;
  opened_ = false;
  if (handle_) Open();
}

bool TAnimate::Open() {
  if (opened_) return true;
  if (!handle_ || commonAvi_ == TCommonAVI::aviNone) return false;
  // The shell's clip resources, in the order of TCommonAVI after aviNone.
  static constexpr WORD ids[] = {150, 151, 152, 160, 161, 162, 163, 164};
  if (!shell_) shell_ = LoadLibraryExW(L"shell32.dll", nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (!shell_) return false;
  WORD id = ids[static_cast<int>(commonAvi_) - 1];
  opened_ = SendMessageW(handle_, ACM_OPENW, reinterpret_cast<WPARAM>(shell_), reinterpret_cast<LPARAM>(MAKEINTRESOURCEW(id))) != 0;
  return opened_;
}

void TAnimate::Play(int fromFrame, int toFrame, int repeat) {
  HandleNeeded();
  if (!Open()) return;
  WORD from = static_cast<WORD>(std::max(fromFrame, 1) - 1);
  WORD to = toFrame <= 0 ? 0xFFFF : static_cast<WORD>(toFrame - 1);
  active_ = SendMessageW(handle_, ACM_PLAY, static_cast<WPARAM>(repeat), MAKELONG(from, to)) != 0;
}

void TAnimate::Stop() {
  if (handle_) SendMessageW(handle_, ACM_STOP, 0, 0);
  active_ = false;
}

}  // namespace movra::ui
