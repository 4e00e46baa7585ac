#include "runtime/ui/stdctrls.h"

#include <windowsx.h>

#include <algorithm>

#include "runtime/text.h"
#include "runtime/ui/forms.h"

namespace movra::ui {

// --- Buttons ---------------------------------------------------------------------------------

TButtonControl::TButtonControl(TComponent* owner) : TWinControl(owner) {
  tabStop_ = true;
  width_ = 75;
  height_ = 25;
}

TButton::TButton(TComponent* owner) : TButtonControl(owner) {}

void TButton::CreateParams(TCreateParams& params) {
  TButtonControl::CreateParams(params);
  params.SysClassName = L"BUTTON";
  params.Style |= default_ ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
}

void TButton::SetDefault(bool on) {
  if (on == default_) return;
  default_ = on;
  if (handle_) SendMessageW(handle_, BM_SETSTYLE, on ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

void TButton::ShowAsDefault(bool on) {
  if (!handle_) return;
  const bool shown = (GetWindowLongPtrW(handle_, GWL_STYLE) & 0x0F) == BS_DEFPUSHBUTTON;
  if (shown != on) SendMessageW(handle_, BM_SETSTYLE, on ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

void TButton::Click() {
  if (ModalResult != mrNone)
    if (TCustomForm* form = ParentForm()) form->SetModalResult(ModalResult);
  TButtonControl::Click();
}

void TButton::WndProc(TMessage& m) {
  if (m.Msg == CN_COMMAND && HIWORD(m.WParam) == BN_CLICKED) {
    Click();
    return;
  }
  TButtonControl::WndProc(m);
}

TCheckBox::TCheckBox(TComponent* owner) : TButtonControl(owner) {
  width_ = 97;
  height_ = 17;
}

void TCheckBox::CreateParams(TCreateParams& params) {
  TButtonControl::CreateParams(params);
  params.SysClassName = L"BUTTON";
  params.Style |= BS_3STATE;
}

void TCheckBox::CreateWnd() {
  TButtonControl::CreateWnd();
  SendMessageW(handle_, BM_SETCHECK, static_cast<WPARAM>(state_), 0);
}

TCheckBoxState TCheckBox::State() const { return state_; }

void TCheckBox::SetState(TCheckBoxState state) {
  if (state == state_) return;
  state_ = state;
  if (handle_) SendMessageW(handle_, BM_SETCHECK, static_cast<WPARAM>(state), 0);
  Click();
}

void TCheckBox::WndProc(TMessage& m) {
  if (m.Msg == CN_COMMAND && HIWORD(m.WParam) == BN_CLICKED) {
    SetState(state_ == TCheckBoxState::cbChecked ? TCheckBoxState::cbUnchecked : TCheckBoxState::cbChecked);
    return;
  }
  TButtonControl::WndProc(m);
}

// --- TLabel ----------------------------------------------------------------------------------

TLabel::TLabel(TComponent* owner) : TCustomControl(owner) {
  width_ = 65;
  height_ = 13;
  controlStyle_ |= csSetCaption;
}

void TLabel::SetWordWrap(bool on) {
  if (on == wordWrap_) return;
  wordWrap_ = on;
  AdjustBounds();
  Invalidate();
}

void TLabel::SetAutoSize(bool on) {
  autoSize_ = on;
  AdjustBounds();
}

void TLabel::SetAlignment(TAlignment alignment) {
  alignment_ = alignment;
  Invalidate();
}

void TLabel::TextChanged() {
  AdjustBounds();
  Invalidate();
}

void TLabel::FontChanged() {
  TCustomControl::FontChanged();
  AdjustBounds();
}

void TLabel::AdjustBounds() {
  if (!autoSize_ || IsLoading()) return;
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, Font().Handle());
  std::wstring text = Utf8ToWide(text_.empty() ? " " : text_);
  RECT r{0, 0, wordWrap_ ? std::max(width_, 1) : 0, 0};
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r,
            DT_CALCRECT | DT_EXPANDTABS | (wordWrap_ ? DT_WORDBREAK : 0));
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  int w = wordWrap_ ? width_ : r.right;
  int left = left_;
  if (!wordWrap_ && alignment_ == TAlignment::taRightJustify) left = left_ + width_ - w;
  SetBoundsCore(left, top_, w, r.bottom);
  // Anchors measure from the size the text gave, or the next alignment would undo it.
  RememberAnchors();
}

void TLabel::Paint() {
  RECT r = ClientRect();
  Canvas().FillRect(r);
  UINT format = DT_EXPANDTABS | (wordWrap_ ? DT_WORDBREAK : DT_SINGLELINE);
  if (alignment_ == TAlignment::taCenter) format |= DT_CENTER;
  if (alignment_ == TAlignment::taRightJustify) format |= DT_RIGHT;
  Canvas().Brush().SetStyle(TBrushStyle::bsClear);
  if (!Enabled()) Canvas().Font().SetColor(clGrayText);
  Canvas().TextRect(r, text_, format);
  Canvas().Brush().SetStyle(TBrushStyle::bsSolid);
}

// --- TGroupBox -------------------------------------------------------------------------------

TGroupBox::TGroupBox(TComponent* owner) : TWinControl(owner) {
  width_ = 185;
  height_ = 105;
  controlStyle_ |= csAcceptsControls;
}

void TGroupBox::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.SysClassName = L"BUTTON";
  params.Style |= BS_GROUPBOX;
}

void TGroupBox::AdjustClientRect(RECT& rect) const {
  int text = std::abs(const_cast<TGroupBox*>(this)->Font().Height());
  rect.left += 2;
  rect.right -= 2;
  rect.top += text + 2;
  rect.bottom -= 2;
}

void TGroupBox::WndProc(TMessage& m) {
  if (m.Msg == WM_ERASEBKGND) {
    RECT r;
    GetClientRect(handle_, &r);
    FillRect(reinterpret_cast<HDC>(m.WParam), &r, BackgroundBrush());
    m.Result = 1;
    return;
  }
  TWinControl::WndProc(m);
}

// --- Edits -----------------------------------------------------------------------------------

TCustomEdit::TCustomEdit(TComponent* owner) : TWinControl(owner) {
  SetInputDefaults(121, 21);
}

void TCustomEdit::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.SysClassName = L"EDIT";
  params.Style |= ES_AUTOHSCROLL | (readOnly_ ? ES_READONLY : 0);
  params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TCustomEdit::CreateWnd() {
  TWinControl::CreateWnd();
  SendMessageW(handle_, EM_SETLIMITTEXT, static_cast<WPARAM>(maxLength_), 0);
}

void TCustomEdit::SetReadOnly(bool on) {
  readOnly_ = on;
  if (handle_) SendMessageW(handle_, EM_SETREADONLY, on, 0);
}

void TCustomEdit::SetMaxLength(int length) {
  maxLength_ = length;
  if (handle_) SendMessageW(handle_, EM_SETLIMITTEXT, static_cast<WPARAM>(length), 0);
}

void TCustomEdit::SelectAll() {
  if (handle_) SendMessageW(handle_, EM_SETSEL, 0, -1);
}

void TCustomEdit::Change() {
  if (OnChange) OnChange(this);
}

void TCustomEdit::WndProc(TMessage& m) {
  if (m.Msg == CN_COMMAND) {
    if (HIWORD(m.WParam) == EN_CHANGE) Change();
    return;
  }
  if (m.Msg == CM_TEXTCHANGED && !handle_) Change();
  TWinControl::WndProc(m);
}

void TCustomEdit::GetProperties(TPropertyList& properties) {
  TWinControl::GetProperties(properties);
  properties.AddText("Text", [this] { return GetText(); }, [this](const std::string& s) { SetText(s); });
}

// --- TMemo -----------------------------------------------------------------------------------

TMemo::TMemo(TComponent* owner) : TCustomEdit(owner) {
  width_ = 185;
  height_ = 89;
}

void TMemo::CreateParams(TCreateParams& params) {
  TCustomEdit::CreateParams(params);
  params.Style &= ~ES_AUTOHSCROLL;
  params.Style |= ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL;
  if (!wordWrap_ || scrollBars_ == TScrollStyle::ssHorizontal || scrollBars_ == TScrollStyle::ssBoth)
    params.Style |= ES_AUTOHSCROLL;
  if (scrollBars_ == TScrollStyle::ssVertical || scrollBars_ == TScrollStyle::ssBoth) params.Style |= WS_VSCROLL;
  if (scrollBars_ == TScrollStyle::ssHorizontal || scrollBars_ == TScrollStyle::ssBoth) params.Style |= WS_HSCROLL;
}

void TMemo::SetScrollBars(TScrollStyle style) {
  if (style == scrollBars_) return;
  scrollBars_ = style;
  RecreateWnd();
}

void TMemo::SetWordWrap(bool on) {
  if (on == wordWrap_) return;
  wordWrap_ = on;
  RecreateWnd();
}

void TMemo::SetLineLimit(int limit) {
  lineLimit_ = std::max(limit, 0);
  TrimToLimit();
}

void TMemo::TrimToLimit() {
  if (lineLimit_ <= 0) return;
  int excess = lines_.Count() - lineLimit_;
  if (excess <= 0) return;
  if (!handle_) {
    while (lines_.Count() > lineLimit_) lines_.Delete(0);
    return;
  }
  // One selection over all the oldest lines instead of one deletion each.
  int end = static_cast<int>(SendMessageW(handle_, EM_LINEINDEX, static_cast<WPARAM>(excess), 0));
  SendMessageW(handle_, EM_SETSEL, 0, end);
  SendMessageW(handle_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(L""));
}

// Appending and then trimming are two replacements, and the edit control measures its lines
// again after each; dropping the oldest lines and appending the new ones in one costs half.
void TMemo::ReplaceOldest(const movra::TStringList& added, int excess) {
  const int length = GetWindowTextLengthW(handle_);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  text.resize(static_cast<size_t>(std::max(GetWindowTextW(handle_, text.data(), length + 1), 0)));
  const bool endsWithBreak = text.size() >= 2 && text.compare(text.size() - 2, 2, L"\r\n") == 0;
  const LRESULT keptFrom = SendMessageW(handle_, EM_LINEINDEX, static_cast<WPARAM>(excess), 0);
  std::wstring kept;
  if (keptFrom >= 0 && static_cast<size_t>(keptFrom) < text.size()) kept = text.substr(static_cast<size_t>(keptFrom));
  if (endsWithBreak) kept.resize(kept.size() >= 2 ? kept.size() - 2 : 0);
  const int count = lines_.Count();
  const int skip = std::max(excess - count, 0);
  for (int i = skip; i < added.Count(); ++i) {
    if (excess < count || i > skip) kept += L"\r\n";
    kept += Utf8ToWide(added[i]);
  }
  if (endsWithBreak) kept += L"\r\n";
  SendMessageW(handle_, EM_SETSEL, 0, -1);
  SendMessageW(handle_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(kept.c_str()));
}

void TMemo::AppendLines(const movra::TStringList& lines, bool scrollToEnd) {
  // The edit follows its caret to the new end; unless asked to go there, the memo keeps
  // showing what it showed, as far as that is still in it.
  const bool keepView = handle_ && !scrollToEnd;
  const int firstShown = keepView ? static_cast<int>(SendMessageW(handle_, EM_GETFIRSTVISIBLELINE, 0, 0)) : 0;
  const int countBefore = keepView ? lines_.Count() : 0;
  {
    TUpdateGuard update(lines_);
    const int excess = handle_ && lineLimit_ > 0 ? lines_.Count() + lines.Count() - lineLimit_ : 0;
    if (excess > 0) {
      ReplaceOldest(lines, excess);
    } else {
      lines_.AddLines(lines);
      TrimToLimit();
    }
    if (keepView) {
      const int trimmed = countBefore + lines.Count() - lines_.Count();
      const int wanted = std::max(firstShown - trimmed, 0);
      const int shown = static_cast<int>(SendMessageW(handle_, EM_GETFIRSTVISIBLELINE, 0, 0));
      if (shown != wanted) SendMessageW(handle_, EM_LINESCROLL, 0, wanted - shown);
    }
  }
  if (scrollToEnd) ScrollToEnd();
}

void TMemo::ScrollToEnd() {
  if (!handle_) return;
  LRESULT count = SendMessageW(handle_, EM_GETLINECOUNT, 0, 0);
  SendMessageW(handle_, EM_LINESCROLL, 0, count);
}

// The system's multi-line edit, asked for its keys as in a dialog, answers Escape by closing its
// parent, which here may be a panel rather than a dialog. Escape is the form's key instead, as
// in a one-line edit (it presses the Cancel button), and never reaches the edit. Tab would go
// the same way to the parent and be lost there: unless the memo types tabs, it is the form's
// key too and moves the focus on.
void TMemo::WndProc(TMessage& m) {
  const auto isKey = [](const MSG* msg, WPARAM key) {
    return msg && msg->message == WM_KEYDOWN && msg->wParam == key;
  };
  switch (m.Msg) {
    case WM_GETDLGCODE: {
      TCustomEdit::WndProc(m);
      const auto* msg = reinterpret_cast<const MSG*>(m.LParam);
      if (isKey(msg, VK_ESCAPE)) m.Result &= ~DLGC_WANTALLKEYS;
      if (isKey(msg, VK_TAB) && (ReadOnly() || !wantTabs_)) m.Result &= ~(DLGC_WANTALLKEYS | DLGC_WANTTAB);
      return;
    }
    case WM_KEYDOWN:
      if (m.WParam == VK_ESCAPE) {
        WORD key = VK_ESCAPE;
        DoKeyDown(key, KeyboardShiftState());
        m.Result = 0;
        return;
      }
      break;
    default:
      break;
  }
  TCustomEdit::WndProc(m);
}

void TMemo::GetProperties(TPropertyList& properties) {
  TWinControl::GetProperties(properties);
  properties.AddObject("Lines", &lines_);
}

HWND TMemoStrings::Window() const { return memo_->handle_; }

namespace {

movra::TStringList SplitLines(const std::string& text) {
  movra::TStringList lines;
  lines.SetText(text);
  return lines;
}

std::string JoinLines(const movra::TStringList& lines) { return lines.Text(); }

}  // namespace

int TMemoStrings::Count() const {
  HWND w = Window();
  if (!w) return SplitLines(memo_->text_).Count();
  int count = static_cast<int>(SendMessageW(w, EM_GETLINECOUNT, 0, 0));
  // The line after a final line break is empty and not counted.
  LRESULT lastStart = SendMessageW(w, EM_LINEINDEX, static_cast<WPARAM>(count - 1), 0);
  if (SendMessageW(w, EM_LINELENGTH, static_cast<WPARAM>(lastStart), 0) == 0) --count;
  return count;
}

std::string TMemoStrings::Get(int index) const {
  HWND w = Window();
  if (!w) return SplitLines(memo_->text_)[index];
  LRESULT start = SendMessageW(w, EM_LINEINDEX, static_cast<WPARAM>(index), 0);
  if (start < 0) throw EListError("List index out of bounds (" + std::to_string(index) + ")");
  auto length = static_cast<size_t>(SendMessageW(w, EM_LINELENGTH, static_cast<WPARAM>(start), 0));
  std::wstring buffer(std::max<size_t>(length, 1) + 1, L'\0');
  *reinterpret_cast<WORD*>(buffer.data()) = static_cast<WORD>(std::min<size_t>(buffer.size(), 0xFFFF));
  LRESULT got = SendMessageW(w, EM_GETLINE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buffer.data()));
  buffer.resize(static_cast<size_t>(std::max<LRESULT>(got, 0)));
  return WideToUtf8(buffer);
}

void TMemoStrings::Put(int index, const std::string& text) {
  HWND w = Window();
  if (!w) {
    auto lines = SplitLines(memo_->text_);
    lines[index] = text;
    memo_->text_ = JoinLines(lines);
    return;
  }
  LRESULT start = SendMessageW(w, EM_LINEINDEX, static_cast<WPARAM>(index), 0);
  if (start < 0) throw EListError("List index out of bounds (" + std::to_string(index) + ")");
  LRESULT length = SendMessageW(w, EM_LINELENGTH, static_cast<WPARAM>(start), 0);
  SendMessageW(w, EM_SETSEL, static_cast<WPARAM>(start), start + length);
  std::wstring wide = Utf8ToWide(text);
  SendMessageW(w, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(wide.c_str()));
}

void TMemoStrings::Insert(int index, const std::string& text) { InsertLines(index, movra::TStringList{text}); }

void TMemoStrings::AddLines(const movra::TStringList& lines) { InsertLines(Count(), lines); }

// One replacement in the window for all the lines: the edit control measures every line of its
// text again after each change, so a line at a time costs as often as there are lines.
void TMemoStrings::InsertLines(int index, const movra::TStringList& added) {
  if (added.Count() == 0) return;
  HWND w = Window();
  if (!w) {
    auto lines = SplitLines(memo_->text_);
    std::vector<std::string> v(lines.begin(), lines.end());
    v.insert(v.begin() + std::clamp(index, 0, static_cast<int>(v.size())), added.begin(), added.end());
    movra::TStringList joined;
    for (auto& l : v) joined.Add(l);
    memo_->text_ = JoinLines(joined);
    return;
  }
  LRESULT start = SendMessageW(w, EM_LINEINDEX, static_cast<WPARAM>(index), 0);
  std::wstring text;
  if (start >= 0) {
    for (const auto& line : added) text += Utf8ToWide(line) + L"\r\n";
  } else {
    // After the last line, which has no line break yet.
    start = SendMessageW(w, EM_LINEINDEX, static_cast<WPARAM>(index - 1), 0);
    if (start < 0) return;
    start += SendMessageW(w, EM_LINELENGTH, static_cast<WPARAM>(start), 0);
    for (const auto& line : added) text += L"\r\n" + Utf8ToWide(line);
  }
  SendMessageW(w, EM_SETSEL, static_cast<WPARAM>(start), start);
  SendMessageW(w, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
}

void TMemoStrings::Delete(int index) {
  HWND w = Window();
  if (!w) {
    auto lines = SplitLines(memo_->text_);
    lines.Delete(index);
    memo_->text_ = JoinLines(lines);
    return;
  }
  LRESULT start = SendMessageW(w, EM_LINEINDEX, static_cast<WPARAM>(index), 0);
  if (start < 0) return;
  LRESULT end = SendMessageW(w, EM_LINEINDEX, static_cast<WPARAM>(index + 1), 0);
  if (end < 0) end = start + SendMessageW(w, EM_LINELENGTH, static_cast<WPARAM>(start), 0);
  SendMessageW(w, EM_SETSEL, static_cast<WPARAM>(start), end);
  SendMessageW(w, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(L""));
}

void TMemoStrings::Clear() { memo_->SetText(""); }

void TMemoStrings::SetText(std::string_view text) { memo_->SetText(std::string(text)); }

void TMemoStrings::SetUpdateState(bool updating) {
  HWND w = Window();
  if (!w) return;
  SendMessageW(w, WM_SETREDRAW, updating ? FALSE : TRUE, 0);
  if (!updating) InvalidateRect(w, nullptr, TRUE);
}

// --- Item lists ------------------------------------------------------------------------------

TItemsControl::TItemsControl(TComponent* owner) : TWinControl(owner) {
  SetInputDefaults(width_, height_);
  items_.OnChange = TNotifyEvent(this, &TItemsControl::ItemsChanged);
}

void TItemsControl::CreateWnd() {
  TWinControl::CreateWnd();
  FillWindow();
  SetWindowItemIndex(itemIndex_);
}

void TItemsControl::DestroyWnd() {
  itemIndex_ = WindowItemIndex();
  TWinControl::DestroyWnd();
}

void TItemsControl::ItemsChanged(TObject*) {
  if (itemIndex_ >= items_.Count()) itemIndex_ = -1;
  if (!handle_) return;
  int index = WindowItemIndex();
  FillWindow();
  SetWindowItemIndex(index < items_.Count() ? index : -1);
}

int TItemsControl::ItemIndex() const { return handle_ ? WindowItemIndex() : itemIndex_; }

void TItemsControl::SetItemIndex(int index) {
  if (index < -1 || index >= items_.Count()) index = -1;
  itemIndex_ = index;
  if (handle_) SetWindowItemIndex(index);
}

void TItemsControl::GetProperties(TPropertyList& properties) {
  TWinControl::GetProperties(properties);
  properties.AddObject("Items", &items_);
}

TComboBox::TComboBox(TComponent* owner) : TItemsControl(owner) {
  width_ = 145;
  height_ = 21;
}

void TComboBox::SetStyle(TComboBoxStyle style) {
  if (style == style_) return;
  style_ = style;
  RecreateWnd();
}

void TComboBox::CreateParams(TCreateParams& params) {
  TItemsControl::CreateParams(params);
  params.SysClassName = L"COMBOBOX";
  params.Style |= WS_VSCROLL | (style_ == TComboBoxStyle::csDropDownList ? CBS_DROPDOWNLIST : CBS_DROPDOWN | CBS_AUTOHSCROLL);
  // The height of a combo box window includes its drop-down list.
  params.Height = height_ + DropDownCount * 16;
}

void TComboBox::FillWindow() {
  SendMessageW(handle_, CB_RESETCONTENT, 0, 0);
  for (int i = 0; i < items_.Count(); ++i)
    SendMessageW(handle_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Utf8ToWide(items_[i]).c_str()));
}

int TComboBox::WindowItemIndex() const { return static_cast<int>(SendMessageW(handle_, CB_GETCURSEL, 0, 0)); }

void TComboBox::SetWindowItemIndex(int index) { SendMessageW(handle_, CB_SETCURSEL, static_cast<WPARAM>(index), 0); }

void TComboBox::WndProc(TMessage& m) {
  if (m.Msg == CN_COMMAND) {
    if (HIWORD(m.WParam) == CBN_SELCHANGE || HIWORD(m.WParam) == CBN_EDITCHANGE) {
      itemIndex_ = WindowItemIndex();
      if (OnChange) OnChange(this);
    }
    return;
  }
  if (m.Msg == WM_SIZE || m.Msg == WM_MOVE) {
    // Our height is the edit part's, not the window's.
    DefaultHandler(m);
    return;
  }
  TItemsControl::WndProc(m);
}

TListBox::TListBox(TComponent* owner) : TItemsControl(owner) {
  width_ = 121;
  height_ = 97;
}

void TListBox::CreateParams(TCreateParams& params) {
  TItemsControl::CreateParams(params);
  params.SysClassName = L"LISTBOX";
  params.Style |= WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT;
  params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TListBox::FillWindow() {
  SendMessageW(handle_, LB_RESETCONTENT, 0, 0);
  for (int i = 0; i < items_.Count(); ++i)
    SendMessageW(handle_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Utf8ToWide(items_[i]).c_str()));
}

int TListBox::WindowItemIndex() const { return static_cast<int>(SendMessageW(handle_, LB_GETCURSEL, 0, 0)); }

void TListBox::SetWindowItemIndex(int index) { SendMessageW(handle_, LB_SETCURSEL, static_cast<WPARAM>(index), 0); }

int TListBox::ItemHeight() {
  return std::abs(Font().Height()) + 4;
}

void TListBox::WndProc(TMessage& m) {
  if (m.Msg == CN_COMMAND) {
    if (HIWORD(m.WParam) == LBN_SELCHANGE) {
      itemIndex_ = WindowItemIndex();
      Click();
    } else if (HIWORD(m.WParam) == LBN_DBLCLK) {
      DblClick();
    }
    return;
  }
  TItemsControl::WndProc(m);
}

TCheckListBox::TCheckListBox(TComponent* owner) : TListBox(owner) {}

void TCheckListBox::CreateParams(TCreateParams& params) {
  TListBox::CreateParams(params);
  params.Style |= LBS_OWNERDRAWFIXED | LBS_HASSTRINGS;
}

bool TCheckListBox::Checked(int index) const {
  return index >= 0 && static_cast<size_t>(index) < checked_.size() && checked_[static_cast<size_t>(index)];
}

void TCheckListBox::SetChecked(int index, bool on) {
  if (index < 0 || index >= items_.Count()) throw EListError("List index out of bounds (" + std::to_string(index) + ")");
  if (checked_.size() < static_cast<size_t>(items_.Count())) checked_.resize(static_cast<size_t>(items_.Count()));
  checked_[static_cast<size_t>(index)] = on;
  Invalidate();
}

void TCheckListBox::Toggle(int index) {
  if (index < 0 || index >= items_.Count()) return;
  SetChecked(index, !Checked(index));
  if (OnClickCheck) OnClickCheck(this);
}

void TCheckListBox::WndProc(TMessage& m) {
  switch (m.Msg) {
    case CN_MEASUREITEM:
      reinterpret_cast<MEASUREITEMSTRUCT*>(m.LParam)->itemHeight = static_cast<UINT>(ItemHeight());
      m.Result = TRUE;
      return;
    case CN_DRAWITEM: {
      auto* d = reinterpret_cast<DRAWITEMSTRUCT*>(m.LParam);
      if (static_cast<int>(d->itemID) < 0) return;
      int index = static_cast<int>(d->itemID);
      bool selected = d->itemState & ODS_SELECTED;
      FillRect(d->hDC, &d->rcItem, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
      int box = d->rcItem.bottom - d->rcItem.top - 2;
      RECT check{d->rcItem.left + 2, d->rcItem.top + 1, d->rcItem.left + 2 + box, d->rcItem.top + 1 + box};
      DrawFrameControl(d->hDC, &check, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_FLAT | (Checked(index) ? DFCS_CHECKED : 0));
      RECT text = d->rcItem;
      text.left = check.right + 4;
      SetBkMode(d->hDC, TRANSPARENT);
      SetTextColor(d->hDC, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
      HGDIOBJ old = SelectObject(d->hDC, Font().Handle());
      std::wstring caption = Utf8ToWide(index < items_.Count() ? items_[index] : std::string());
      DrawTextW(d->hDC, caption.c_str(), static_cast<int>(caption.size()), &text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
      SelectObject(d->hDC, old);
      if (d->itemState & ODS_FOCUS) DrawFocusRect(d->hDC, &d->rcItem);
      m.Result = TRUE;
      return;
    }
    case WM_LBUTTONDOWN: {
      LRESULT hit = SendMessageW(handle_, LB_ITEMFROMPOINT, 0, m.LParam);
      int x = GET_X_LPARAM(m.LParam);
      TListBox::WndProc(m);
      if (!HIWORD(hit) && x < ItemHeight() + 2) Toggle(LOWORD(hit));
      return;
    }
    case WM_CHAR:
      if (m.WParam == L' ') {
        Toggle(ItemIndex());
        return;
      }
      break;
    default:
      break;
  }
  TListBox::WndProc(m);
}

}  // namespace movra::ui
