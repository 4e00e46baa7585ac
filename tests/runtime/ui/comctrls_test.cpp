// Common controls under Wine and Xvfb: list view, status bar, page control, spin edit,
// date-time picker, and the dialogs' helpers.
#include <gtest/gtest.h>

#include "tests/support/support.h"
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "runtime/text.h"
#include "runtime/ui/comctrls.h"
#include "runtime/ui/dialogs.h"
#include "runtime/ui/forms.h"
#include "tests/runtime/ui/ui_test_support.h"

using namespace movra::ui;
using movra::ui::test::After;
using movra::ui::test::Pump;

namespace {

class TListForm : public TForm {
 public:
  explicit TListForm(TComponent* owner) : TForm(owner) {
    BeginLoading();
    SetBounds(50, 50, 500, 300);
    list = new TListView(this);
    list->SetName("lvFiles");
    list->SetParent(this);
    list->SetAlign(TAlign::alClient);
    list->SetMultiSelect(true);
    list->SetRowSelect(true);
    list->SetReadOnly(true);
    TListColumn* name = list->Columns().Add();
    name->SetCaption("Name");
    name->SetAutoSize(true);
    TListColumn* size = list->Columns().Add();
    size->SetCaption("Size");
    size->SetWidth(70);
    size->SetAlignment(TAlignment::taRightJustify);
    TListColumn* fragments = list->Columns().Add();
    fragments->SetCaption("Fragments");
    fragments->SetWidth(80);
    EndLoading();
  }
  TListView* list;
};

std::string CellText(TListView* list, int row, int column) {
  wchar_t buffer[256] = {};
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = buffer;
  item.cchTextMax = 256;
  SendMessageW(list->Handle(), LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
  return movra::WideToUtf8(buffer);
}

int HeaderCount(TListView* list) {
  HWND header = reinterpret_cast<HWND>(SendMessageW(list->Handle(), LVM_GETHEADER, 0, 0));
  return static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
}

int StateImageOf(TListView* list, int row) {
  auto state = SendMessageW(list->Handle(), LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_STATEIMAGEMASK);
  return static_cast<int>((state & LVIS_STATEIMAGEMASK) >> 12) - 1;
}

void AddRow(TListView* list, const std::string& caption, const std::string& size, void* data) {
  TListItem* item = list->Items().Add();
  item->SetCaption(caption);
  item->SubItems().Add(size);
  item->SubItems().Add("");
  item->Data = data;
}

}  // namespace

TEST(ListView, ColumnsKeepWidthLimitsAlignmentAndAutoSize) {
  auto form = MakeOwned<TListForm>(nullptr);
  TListView* list = form->list;
  list->HandleNeeded();
  ASSERT_EQ(HeaderCount(list), 3);
  LVCOLUMNW column{};
  column.mask = LVCF_FMT;
  SendMessageW(list->Handle(), LVM_GETCOLUMNW, 1, reinterpret_cast<LPARAM>(&column));
  EXPECT_EQ(column.fmt & LVCFMT_JUSTIFYMASK, LVCFMT_RIGHT);
  // The auto-size column takes what the others leave, also after the list was resized.
  RECT client;
  GetClientRect(list->Handle(), &client);
  EXPECT_EQ(list->Column(0)->Width(), client.right - 150);
  form->SetWidth(form->Width() - 100);
  GetClientRect(list->Handle(), &client);
  EXPECT_EQ(list->Column(0)->Width(), client.right - 150);
  list->SetAlign(TAlign::alNone);
  list->SetWidth(list->Width() + 1);  // the list lays its columns out anew
  GetClientRect(list->Handle(), &client);
  EXPECT_EQ(list->Column(0)->Width(), client.right - 150);

  // A day column of fixed width: neither code nor a drag of its divider changes it.
  TListColumn* day = list->Columns().Add();
  day->SetCaption("Mon");
  day->SetMinWidth(38);
  day->SetMaxWidth(38);
  day->SetWidth(38);
  EXPECT_EQ(HeaderCount(list), 4);
  day->SetWidth(100);
  EXPECT_EQ(day->Width(), 38);
  SendMessageW(list->Handle(), LVM_SETCOLUMNWIDTH, 3, 90);
  EXPECT_EQ(day->Width(), 38);
  list->Columns().Delete(3);
  EXPECT_EQ(HeaderCount(list), 3);
}

TEST(ListView, AColumnCopyThatThrowsEndsItsUpdateAndTheHeaderFollowsAgain) {
  auto form = MakeOwned<TListForm>(nullptr);
  auto other = MakeOwned<TListForm>(nullptr);
  TListView* list = form->list;
  list->HandleNeeded();
  // A column cannot be copied: the copy throws inside the update it began.
  EXPECT_THROW(list->Columns().Assign(other->list->Columns()), EConvertError);
  EXPECT_EQ(list->Columns().UpdateCount(), 0);
  list->Columns().Add()->SetCaption("Fragments");
  EXPECT_EQ(HeaderCount(list), list->Columns().Count());
}

TEST(ListView, RowsCarryTextsDataStateImagesAndSelection) {
  auto form = MakeOwned<TListForm>(nullptr);
  TListView* list = form->list;
  int a = 1, b = 2, c = 3;
  AddRow(list, "first", "10", &a);  // before the window exists
  list->HandleNeeded();
  AddRow(list, "second", "20", &b);
  AddRow(list, "third", "30", &c);
  ASSERT_EQ(list->Items().Count(), 3);
  EXPECT_EQ(CellText(list, 0, 0), "first");
  EXPECT_EQ(CellText(list, 2, 1), "30");
  list->Items()[1]->SubItems()[0] = "changed";  // the plain list returns a copy: no effect
  list->Items()[1]->SubItems().Put(0, "21");
  EXPECT_EQ(CellText(list, 1, 1), "21");
  list->Items()[2]->SetStateIndex(1);
  EXPECT_EQ(StateImageOf(list, 2), 1);
  list->Items()[2]->SetStateIndex(-1);
  EXPECT_EQ(StateImageOf(list, 2), -1);

  list->Items()[0]->SetSelected(true);
  list->Items()[2]->SetSelected(true);
  EXPECT_EQ(list->SelCount(), 2);
  EXPECT_EQ(list->SelectedIndexes(), (std::vector<int>{0, 2}));
  EXPECT_EQ(list->Selected()->Data, &a);
  // A new window (other style) keeps rows and selection.
  list->SetGridLines(true);
  list->SetHideSelection(false);
  EXPECT_EQ(list->SelectedIndexes(), (std::vector<int>{0, 2}));
  EXPECT_EQ(CellText(list, 1, 1), "21");

  list->Items().Delete(0);
  EXPECT_EQ(list->Items().Count(), 2);
  EXPECT_EQ(list->Items()[0]->Data, &b);
  EXPECT_EQ(CellText(list, 0, 0), "second");
  EXPECT_EQ(list->SelectedIndexes(), (std::vector<int>{1}));
  // A row inserted above: the selected and the focused row keep their marks.
  list->Items()[1]->SetFocused(true);
  list->Items().Insert(0)->SetCaption("between");
  EXPECT_EQ(CellText(list, 0, 0), "between");
  EXPECT_EQ(CellText(list, 2, 0), "third");
  EXPECT_EQ(list->SelectedIndexes(), (std::vector<int>{2}));
  EXPECT_EQ(list->FocusedIndex(), 2);
  list->SelectAll();
  EXPECT_EQ(list->SelCount(), 3);
  list->Items().Clear();
  EXPECT_EQ(SendMessageW(list->Handle(), LVM_GETITEMCOUNT, 0, 0), 0);
}

TEST(ListView, SortsWithACompareCallbackAndTheRowsFollow) {
  auto form = MakeOwned<TListForm>(nullptr);
  TListView* list = form->list;
  list->HandleNeeded();
  std::vector<int> data = {0, 1, 2, 3};
  AddRow(list, "b", "200", &data[0]);
  AddRow(list, "A", "9", &data[1]);
  AddRow(list, "c", "1000", &data[2]);
  AddRow(list, "a2", "-1", &data[3]);
  list->Items()[2]->SetSelected(true);
  list->Items()[0]->SetFocused(true);
  auto bySize = [](TListItem* x, TListItem* y) {
    long long a = std::stoll(x->SubItems()[0]), b = std::stoll(y->SubItems()[0]);
    return a < b ? -1 : (a > b ? 1 : 0);
  };
  list->CustomSort(bySize);
  std::vector<std::string> shown;
  for (int i = 0; i < 4; ++i) shown.push_back(CellText(list, i, 1));
  EXPECT_EQ(shown, (std::vector<std::string>{"-1", "9", "200", "1000"}));
  EXPECT_EQ(list->Items()[0]->Data, &data[3]);
  EXPECT_EQ(list->Items()[3]->Data, &data[2]);
  EXPECT_EQ(list->SelectedIndexes(), (std::vector<int>{3}));  // the selection moved with its row
  EXPECT_EQ(list->FocusedIndex(), 2);  // and the focus
  EXPECT_EQ(list->Items()[3]->Index(), 3);

  list->CustomSort([&](TListItem* x, TListItem* y) { return -bySize(x, y); });
  EXPECT_EQ(CellText(list, 0, 1), "1000");
  list->AlphaSort();  // by caption, case-insensitive
  EXPECT_EQ(CellText(list, 0, 0), "A");
  EXPECT_EQ(CellText(list, 1, 0), "a2");
  EXPECT_EQ(list->Items()[1]->Data, &data[3]);
}

namespace {

// What OnSelectItem hears, as "+caption" for a row selected and "-caption" for one deselected.
class TSelectLog : public TObject {
 public:
  void Select(TObject*, TListItem* item, bool selected) { heard += (selected ? "+" : "-") + item->Caption(); }
  std::string Take() { return std::exchange(heard, std::string()); }
  std::string heard;
};

}  // namespace

TEST(ListView, OnSelectItemHearsOfEachRowWhoseSelectionChangedOnce) {
  auto form = MakeOwned<TListForm>(nullptr);
  TListView* list = form->list;
  list->HandleNeeded();
  TSelectLog log;
  list->OnSelectItem = TLVSelectItemEvent(&log, &TSelectLog::Select);
  for (const char* caption : {"d", "b", "c"}) AddRow(list, caption, "", nullptr);
  list->Items()[1]->SetSelected(true);
  EXPECT_EQ(log.Take(), "+b");
  // Rows inserted above it and a sort move the selected row, which stays selected.
  AddRow(list, "e", "", nullptr);
  list->Items().Insert(0)->SetCaption("a");
  list->AlphaSort();
  EXPECT_EQ(log.Take(), "");
  EXPECT_EQ(list->SelectedIndexes(), (std::vector<int>{1}));
  list->SelectAll();
  EXPECT_EQ(log.Take(), "+a+c+d+e");
  list->Items()[2]->SetSelected(false);
  list->ClearSelection();
  EXPECT_EQ(log.Take(), "-c-a-b-d-e");
  // A range as the keyboard extends the selection: from b, Shift+End.
  list->Items()[2]->SetSelected(true);
  list->Items()[1]->SetFocused(true);
  SendMessageW(list->Handle(), LVM_SETSELECTIONMARK, 0, 1);
  EXPECT_EQ(log.Take(), "+c");
  BYTE keys[256];
  GetKeyboardState(keys);
  keys[VK_SHIFT] = 0x80;
  SetKeyboardState(keys);
  SendMessageW(list->Handle(), WM_KEYDOWN, VK_END, 0);
  keys[VK_SHIFT] = 0;
  SetKeyboardState(keys);
  EXPECT_EQ(list->SelectedIndexes(), (std::vector<int>{1, 2, 3, 4}));
  EXPECT_EQ(log.Take(), "+b+d+e");
  // A selected row deleted is told of; the rows below move up as they are.
  list->Items().Delete(2);
  EXPECT_EQ(log.Take(), "-c");
  EXPECT_EQ(list->SelectedIndexes(), (std::vector<int>{1, 2, 3}));
}

namespace {

class TDataSource : public TObject {
 public:
  void Fill(TObject*, TListItem* item) {
    ++calls;
    int i = item->Index();
    item->SetCaption("file" + std::to_string(i));
    item->SubItems().Add(std::to_string(i * 2));
    item->SetStateIndex(checked[static_cast<size_t>(i)] ? 1 : 0);
  }
  void Column(TObject*, TListColumn* column) { clicked.push_back(column->Index()); }
  void Double(TObject*) { ++doubleClicks; }
  void Key(TObject*, WORD& key, TShiftState) { keys.push_back(key); }
  std::vector<bool> checked = std::vector<bool>(1000, false);
  int calls = 0, doubleClicks = 0;
  std::vector<int> clicked;
  std::vector<WORD> keys;
};

}  // namespace

TEST(ListView, OwnerDataRowsComeFromTheCallback) {
  auto form = MakeOwned<TListForm>(nullptr);
  TListView* list = form->list;
  TDataSource source;
  source.checked[500] = true;
  list->SetOwnerData(true);
  list->OnData = TLVOwnerDataEvent(&source, &TDataSource::Fill);
  list->OnColumnClick = TLVColumnClickEvent(&source, &TDataSource::Column);
  list->OnDblClick = TNotifyEvent(&source, &TDataSource::Double);
  list->OnKeyDown = TKeyEvent(&source, &TDataSource::Key);
  list->Items().SetCount(1000);
  list->HandleNeeded();
  EXPECT_EQ(SendMessageW(list->Handle(), LVM_GETITEMCOUNT, 0, 0), 1000);
  EXPECT_THROW(list->Items().Add(), EListError);
  EXPECT_EQ(CellText(list, 500, 0), "file500");
  EXPECT_EQ(CellText(list, 500, 1), "1000");
  EXPECT_GT(source.calls, 0);
  EXPECT_EQ(StateImageOf(list, 500), 1);
  EXPECT_EQ(StateImageOf(list, 501), 0);
  EXPECT_EQ(list->Items()[7]->Caption(), "file7");

  list->SetIndexSelected(3, true);
  list->SetIndexSelected(998, true);
  EXPECT_EQ(list->SelectedIndexes(), (std::vector<int>{3, 998}));
  EXPECT_EQ(list->Selected()->Caption(), "file3");
  list->SelectAll();
  EXPECT_EQ(list->SelCount(), 1000);
  list->Items().SetCount(10);
  EXPECT_EQ(SendMessageW(list->Handle(), LVM_GETITEMCOUNT, 0, 0), 10);

  form->Show();
  Pump();
  // A click on the second header item, a double click and a key reach the handlers.
  HWND header = reinterpret_cast<HWND>(SendMessageW(list->Handle(), LVM_GETHEADER, 0, 0));
  RECT second;
  SendMessageW(header, HDM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&second));
  LPARAM at = MAKELPARAM((second.left + second.right) / 2, (second.top + second.bottom) / 2);
  SendMessageW(header, WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageW(header, WM_LBUTTONUP, 0, at);
  EXPECT_EQ(source.clicked, (std::vector<int>{1}));
  SendMessageW(list->Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(20, 30));
  EXPECT_EQ(source.doubleClicks, 1);
  SendMessageW(list->Handle(), WM_KEYDOWN, VK_SPACE, 0);
  EXPECT_EQ(source.keys, (std::vector<WORD>{VK_SPACE}));
  form->Hide();
}

TEST(StatusBar, PanelsHaveTheirWidthsAndTexts) {
  auto form = MakeOwned<TForm>(nullptr);
  form->SetBounds(0, 0, 600, 200);
  auto* bar = new TStatusBar(form.get());
  bar->SetParent(form.get());
  bar->Panels().Add()->SetWidth(350);
  bar->Panels().Add()->SetWidth(200);
  bar->Panels()[0]->SetText("Defragmenting profile 'x' ...");
  bar->HandleNeeded();
  EXPECT_EQ(bar->PanelWindowText(0), "Defragmenting profile 'x' ...");
  bar->Panels()[1]->SetText("In queue: 2 profile(s)");
  EXPECT_EQ(bar->PanelWindowText(1), "In queue: 2 profile(s)");
  int rights[4] = {};
  ASSERT_EQ(SendMessageW(bar->Handle(), SB_GETPARTS, 4, reinterpret_cast<LPARAM>(rights)), 2);
  EXPECT_EQ(rights[0], 350);
  EXPECT_EQ(rights[1], -1);  // the last panel reaches the edge
  bar->Panels()[0]->SetWidth(bar->ClientWidth() - 200);
  SendMessageW(bar->Handle(), SB_GETPARTS, 4, reinterpret_cast<LPARAM>(rights));
  EXPECT_EQ(rights[0], bar->ClientWidth() - 200);
  // Aligned at the bottom of the form.
  EXPECT_EQ(bar->Top() + bar->Height(), form->ClientHeight());
  EXPECT_EQ(bar->Width(), form->ClientWidth());
}

namespace {

class TPagesForm : public TForm {
 public:
  explicit TPagesForm(TComponent* owner) : TForm(owner) {
    BeginLoading();
    SetBounds(0, 0, 400, 300);
    pages = new TPageControl(this);
    pages->SetParent(this);
    pages->SetAlign(TAlign::alClient);
    for (const char* caption : {"General", "Included file(s)", "Scheduler"}) {
      auto* sheet = new TTabSheet(this);
      sheet->SetPageControl(pages);
      sheet->SetCaption(caption);
      sheets.push_back(sheet);
    }
    edit = new TEdit(this);
    edit->SetParent(sheets[1]);
    pages->OnChange = TNotifyEvent(this, &TPagesForm::Changed);
    EndLoading();
  }
  void Changed(TObject*) { changes.push_back(pages->ActivePageIndex()); }
  TPageControl* pages;
  std::vector<TTabSheet*> sheets;
  TEdit* edit;
  std::vector<int> changes;
};

std::string TabText(HWND tabs, int index) {
  wchar_t buffer[64] = {};
  TCITEMW item{};
  item.mask = TCIF_TEXT;
  item.pszText = buffer;
  item.cchTextMax = 64;
  SendMessageW(tabs, TCM_GETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
  return movra::WideToUtf8(buffer);
}


TEST(ImageList, MaskedBitmapDrawnOnItsCanvasKeepsItsColours) {
  TBitmap strip;
  strip.SetSize(32, 16);
  // Left image a red dot on white, right image green; drawn through the canvas, which keeps
  // the bitmap selected in its drawing context.
  RECT left{0, 0, 16, 16}, right{16, 0, 32, 16}, dot{4, 4, 12, 12}, all{0, 0, 32, 16};
  HBRUSH white = CreateSolidBrush(RGB(255, 255, 255)), red = CreateSolidBrush(RGB(255, 0, 0)),
         green = CreateSolidBrush(RGB(0, 255, 0)), blue = CreateSolidBrush(RGB(0, 0, 255));
  FillRect(strip.Canvas().Handle(), &left, white);
  FillRect(strip.Canvas().Handle(), &dot, red);
  FillRect(strip.Canvas().Handle(), &right, green);
  TImageList images(nullptr, 16, 16);
  ASSERT_GE(images.AddMasked(strip, static_cast<TColor>(RGB(255, 255, 255))), 0);
  ASSERT_EQ(images.Count(), 2);

  TBitmap target;
  target.SetSize(32, 16);
  FillRect(target.Canvas().Handle(), &all, blue);
  images.Draw(target.Canvas(), 0, 0, 0, true);
  images.Draw(target.Canvas(), 16, 0, 1, true);
  GdiFlush();
  EXPECT_EQ(GetPixel(target.Canvas().Handle(), 8, 8), RGB(255, 0, 0));
  EXPECT_EQ(GetPixel(target.Canvas().Handle(), 1, 1), RGB(0, 0, 255));  // masked: background
  EXPECT_EQ(GetPixel(target.Canvas().Handle(), 24, 8), RGB(0, 255, 0));
  for (HBRUSH b : {white, red, green, blue}) DeleteObject(b);
}

}  // namespace

TEST(PageControl, ShowsOneSheetAndFollowsTheTabs) {
  auto form = MakeOwned<TPagesForm>(nullptr);
  TPageControl* pages = form->pages;
  EXPECT_EQ(pages->ActivePageIndex(), 0);
  form->Show();
  Pump();
  HWND tabs = pages->Handle();
  ASSERT_EQ(SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0), 3);
  EXPECT_EQ(TabText(tabs, 1), "Included file(s)");
  EXPECT_TRUE(form->sheets[0]->Visible());
  EXPECT_FALSE(form->sheets[1]->Visible());
  // The sheets fill the display area below the tabs.
  RECT display;
  GetClientRect(tabs, &display);
  SendMessageW(tabs, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
  EXPECT_EQ(form->sheets[0]->Top(), display.top);
  EXPECT_EQ(form->sheets[0]->Width(), display.right - display.left);

  pages->SetActivePageIndex(2);
  EXPECT_EQ(SendMessageW(tabs, TCM_GETCURSEL, 0, 0), 2);
  EXPECT_TRUE(form->sheets[2]->Visible());
  EXPECT_FALSE(form->sheets[0]->Visible());
  EXPECT_TRUE(form->changes.empty());  // code changes are not the user's

  // The user clicks the second tab.
  RECT tab;
  SendMessageW(tabs, TCM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&tab));
  LPARAM at = MAKELPARAM((tab.left + tab.right) / 2, (tab.top + tab.bottom) / 2);
  SendMessageW(tabs, WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageW(tabs, WM_LBUTTONUP, 0, at);
  EXPECT_EQ(form->changes, (std::vector<int>{1}));
  EXPECT_TRUE(form->sheets[1]->Visible());
  EXPECT_TRUE(form->edit->Showing());

  // Hiding a tab: the rest move up, the active page stays.
  form->sheets[0]->SetTabVisible(false);
  EXPECT_EQ(SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0), 2);
  EXPECT_EQ(TabText(tabs, 0), "Included file(s)");
  EXPECT_EQ(pages->ActivePageIndex(), 1);
  EXPECT_EQ(SendMessageW(tabs, TCM_GETCURSEL, 0, 0), 0);
  form->sheets[1]->SetCaption("Files");
  EXPECT_EQ(TabText(tabs, 0), "Files");
  pages->SetActivePage(form->sheets[0]);  // hidden tab: refused
  EXPECT_EQ(pages->ActivePageIndex(), 1);
  form->Hide();
}

TEST(SpinEdit, StaysWithinItsLimitsAndSteps) {
  auto form = MakeOwned<TForm>(nullptr);
  auto* spin = new TSpinEdit(form.get());
  spin->SetParent(form.get());
  spin->SetMinValue(2);
  spin->SetMaxValue(99999);
  spin->SetValue(30);
  EXPECT_EQ(spin->Value(), 30);
  spin->SetValue(1);
  EXPECT_EQ(spin->Value(), 2);
  EXPECT_EQ(spin->GetText(), "2");
  spin->HandleNeeded();
  EXPECT_NE(FindWindowExW(spin->Handle(), nullptr, UPDOWN_CLASSW, nullptr), nullptr);
  SetWindowTextW(spin->Handle(), L"1");  // typed
  EXPECT_EQ(spin->Value(), 2);
  SetWindowTextW(spin->Handle(), L"");
  EXPECT_EQ(spin->Value(), 2);
  SetWindowTextW(spin->Handle(), L"123456");
  EXPECT_EQ(spin->Value(), 99999);
  spin->Increment = 10;
  spin->SetValue(99995);
  SendMessageW(spin->Handle(), WM_KEYDOWN, VK_UP, 0);
  EXPECT_EQ(spin->Value(), 99999);
  SendMessageW(spin->Handle(), WM_KEYDOWN, VK_DOWN, 0);
  EXPECT_EQ(spin->Value(), 99989);
  // The arrows step too.
  HWND arrows = FindWindowExW(spin->Handle(), nullptr, UPDOWN_CLASSW, nullptr);
  NMUPDOWN up{};
  up.hdr.hwndFrom = arrows;
  up.hdr.code = UDN_DELTAPOS;
  up.iDelta = 1;
  SendMessageW(spin->Handle(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&up));
  EXPECT_EQ(spin->Value(), 99999);
  // Both limits 0: no limit.
  spin->SetMinValue(0);
  spin->SetMaxValue(0);
  spin->SetValue(-5);
  EXPECT_EQ(spin->Value(), -5);
}

TEST(DateTimePicker, TimeValueRoundTripsThroughTheWindow) {
  auto form = MakeOwned<TForm>(nullptr);
  auto* picker = new TDateTimePicker(form.get());
  picker->SetParent(form.get());
  picker->SetKind(TDateTimeKind::dtkTime);
  picker->SetFormat("H:mm");
  const movra::TDateTime value = 46000 + (18 * 3600 + 45 * 60 + 30) / 86400.0;  // 18:45:30
  picker->SetDateTime(value);
  picker->HandleNeeded();
  EXPECT_NEAR(picker->DateTime(), value, 1.0 / 86400 / 2);
  SYSTEMTIME shown{};
  SendMessageW(picker->Handle(), DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&shown));
  EXPECT_EQ(shown.wHour, 18);
  EXPECT_EQ(shown.wMinute, 45);
  const movra::TDateTime later = value + 1 + 1.0 / 24;  // next day, 19:45:30
  picker->SetDateTime(later);
  picker->SetKind(TDateTimeKind::dtkDate);  // a new window keeps the value
  EXPECT_NEAR(picker->DateTime(), later, 1.0 / 86400 / 2);
}

TEST(Dialogs, OpenFileAnswersSplitIntoFullPaths) {
  using namespace std::string_view_literals;
  EXPECT_EQ(SplitOpenFileNames(L"C:\\dir\\one.txt\0\0"sv), (std::vector<std::string>{"C:\\dir\\one.txt"}));
  EXPECT_EQ(SplitOpenFileNames(L"C:\\dir\0a.txt\0b c.txt\0\0"sv),
            (std::vector<std::string>{"C:\\dir\\a.txt", "C:\\dir\\b c.txt"}));
  EXPECT_EQ(SplitOpenFileNames(L"C:\\\0a.txt\0\0"sv), (std::vector<std::string>{"C:\\a.txt"}));
  EXPECT_TRUE(SplitOpenFileNames(L"\0\0"sv).empty());
  EXPECT_EQ(OpenDialogFilter("All|*.*"), std::wstring(L"All\0*.*\0\0", 9));
}

TEST(Dialogs, MessageDlgTitlesByTypeAndReturnsTheButton) {
  HWND seen = nullptr;
  After(100, [&] {
    seen = movra::testing::FindThreadWindow(L"#32770", L"Confirm");
    if (!seen) return true;  // not up yet: try again
    PostMessageW(seen, WM_COMMAND, IDNO, 0);
    return false;
  });
  EXPECT_EQ(MessageDlg("Deleting profiles can't be undone!\r\nDo you wish to proceed?",
                       TMsgDlgType::mtConfirmation, mbYesNo),
            mrNo);
  EXPECT_NE(seen, nullptr);
  EXPECT_EQ(MessageDlgCaption(TMsgDlgType::mtError), "Error");
}

TEST(Animate, PlaysOnlyWithAClip) {
  auto form = MakeOwned<TForm>(nullptr);
  auto* animation = new TAnimate(form.get());
  animation->SetParent(form.get());
  animation->Play(1, 0, -1);
  EXPECT_FALSE(animation->Active());  // no clip chosen
  animation->SetCommonAVI(TCommonAVI::aviFindFolder);
  animation->Play(1, 0, -1);
  EXPECT_EQ(animation->Active(), animation->Open());
  animation->Stop();
  EXPECT_FALSE(animation->Active());
}
// Playing the animation inside the description creates the windows before loading ends; the
// alignment held back until then must still run.
TEST(PageControl, WindowsCreatedWhileLoadingAreLaidOutWhenItEnds) {
  auto form = MakeOwned<TForm>(nullptr);
  form->BeginLoading();
  form->SetBounds(0, 0, 500, 400);
  auto* pages = new TPageControl(form.get());
  pages->SetParent(form.get());
  pages->SetBounds(10, 10, 340, 290);
  auto* files = new TTabSheet(form.get());
  files->SetPageControl(pages);
  files->SetCaption("Included file(s)");
  auto* list = new TListView(form.get());
  list->SetParent(files);
  list->SetAlign(TAlign::alClient);
  auto* scheduler = new TTabSheet(form.get());
  scheduler->SetPageControl(pages);
  scheduler->SetCaption("Scheduler");
  auto* animation = new TAnimate(form.get());
  animation->SetParent(scheduler);
  animation->Play(1, 0, -1);
  EXPECT_TRUE(pages->HandleAllocated());
  form->EndLoading();
  RECT display;
  GetClientRect(pages->Handle(), &display);
  SendMessageW(pages->Handle(), TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
  EXPECT_EQ(files->Width(), display.right - display.left);
  EXPECT_EQ(files->Height(), display.bottom - display.top);
  EXPECT_EQ(list->Width(), files->ClientWidth());
  EXPECT_EQ(list->Height(), files->ClientHeight());
}
