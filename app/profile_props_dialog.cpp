#include "app/profile_props_dialog.h"

#include <shellapi.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "app/dialogs.h"
#include "engine/defrag.h"
#include "i18n/localizer.h"
#include "runtime/text.h"

namespace movra::app {

using namespace movra::ui;

namespace {

constexpr int kIncludedPage = 1;
const TShortCut kDeleteKey = ShortCut(VK_DELETE, 0);
const TShortCut kSelectAllKey = ShortCut('A', ssCtrl);

std::string LocaleInfo(LCTYPE type, const std::string& fallback) {
  wchar_t buffer[16] = {};
  if (GetLocaleInfoW(LOCALE_USER_DEFAULT, type, buffer, 16) <= 0) return fallback;
  return WideToUtf8(buffer);
}

// The digits of `whole` in groups of three.
std::string GroupThousands(int64_t whole, const std::string& separator) {
  std::string digits = std::to_string(whole);
  for (int i = static_cast<int>(digits.size()) - 3; i > 0; i -= 3) digits.insert(static_cast<size_t>(i), separator);
  return digits;
}

std::string FormatUnits(double value, const TNumberSeparators& separators) {
  auto hundredths = static_cast<int64_t>(std::llround(value * 100));
  char fraction[4];
  std::snprintf(fraction, sizeof fraction, "%02d", static_cast<int>(hundredths % 100));
  return GroupThousands(hundredths / 100, separators.Thousands) + separators.Decimal + fraction;
}

// The size and fragment count of an entry; both stay unknown when it cannot be opened.
void Measure(TFileInfo& info) {
  info.Size = info.Fragments = -1;
  HANDLE file = INVALID_HANDLE_VALUE;
  if (OpenFileHandle(info.Path, file) != 0 || file == INVALID_HANDLE_VALUE) return;
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (GetFileAttributesExW(Utf8ToWide(info.Path).c_str(), GetFileExInfoStandard, &data))
    info.Size = static_cast<int64_t>((static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
  info.Fragments = GetFragmentCount(file);
  CloseEngineHandle(file);
}

int Sign(int64_t a, int64_t b) { return a < b ? -1 : (a > b ? 1 : 0); }

}  // namespace

TNumberSeparators LocaleNumberSeparators() {
  return {LocaleInfo(LOCALE_STHOUSAND, ","), LocaleInfo(LOCALE_SDECIMAL, ".")};
}

std::string FormatSize(int64_t bytes, const TNumberSeparators& separators) {
  constexpr int64_t kKilo = 1024, kMega = kKilo * 1024, kGiga = kMega * 1024;
  if (bytes > kGiga) return FormatUnits(static_cast<double>(bytes) / kGiga, separators) + " GB";
  if (bytes > kMega) return FormatUnits(static_cast<double>(bytes) / kMega, separators) + " MB";
  if (bytes > kKilo) return FormatUnits(static_cast<double>(bytes) / kKilo, separators) + " KB";
  return std::to_string(bytes);
}

std::string FormatSize(int64_t bytes) { return FormatSize(bytes, LocaleNumberSeparators()); }

std::string TimePickerFormat(bool clock24, bool markerFirst) {
  if (clock24) return "H:mm";
  return markerFirst ? "tt h:mm" : "h:mm tt";
}

std::string LocaleTimePickerFormat() {
  return TimePickerFormat(LocaleInfo(LOCALE_ITIME, "1") == "1", LocaleInfo(LOCALE_ITIMEMARKPOSN, "0") == "1");
}

TProfilePropsForm::TProfilePropsForm(TComponent* owner) : TForm(owner) {
  BeginLoading();
  Build();
  OnCreate = TNotifyEvent(this, &TProfilePropsForm::FormCreate);
  OnClose = TCloseEvent(this, &TProfilePropsForm::FormClose);
  EndLoading();
  TranslateDialog(*this);
}

TProfilePropsForm::~TProfilePropsForm() = default;

void TProfilePropsForm::Build() {
  SetName("ProfilePropsForm");
  SetCaption("Profile properties");
  SetBorderStyle(TFormBorderStyle::bsDialog);
  SetBorderIcons(biSystemMenu);
  SetPosition(TPosition::poScreenCenter);
  SetClientSize(400, 362);

  auto* actions = Component<TActionList>(this, "ActionList1");
  auto action = [&](const char* name, const char* caption, void (TProfilePropsForm::*run)(TObject*)) {
    return NewAction(this, actions, name, caption, run);
  };
  actDelete = action("actDelete", "Delete", &TProfilePropsForm::actDeleteExecute);
  actDelete->SetShortCut(kDeleteKey);
  actDelete->OnUpdate = TNotifyEvent(this, &TProfilePropsForm::actDeleteUpdate);
  actSelectAll = action("actSelectAll", "Select All", &TProfilePropsForm::actSelectAllExecute);
  actSelectAll->SetShortCut(kSelectAllKey);
  actDeleteAll = action("actDeleteAll", "Delete All", &TProfilePropsForm::actDeleteAllExecute);
  actDeleteAll->OnUpdate = TNotifyEvent(this, &TProfilePropsForm::actRowsUpdate);
  actAddDir = action("actAddDir", "Add dir...", &TProfilePropsForm::actAddDirExecute);
  actAddFile = action("actAddFile", "Add file...", &TProfilePropsForm::actAddFileExecute);
  actRescan = action("actRescan", "Rescan", &TProfilePropsForm::actRescanExecute);
  actRescan->OnUpdate = TNotifyEvent(this, &TProfilePropsForm::actRowsUpdate);

  popupFiles = Component<TPopupMenu>(this, "popupFiles");
  AddMenuItems(this, *popupFiles,
               {{"mnuAddFile", actAddFile}, {"mnuAddDir", actAddDir}, {"mnuDelete", actDelete},
                {"mnuSelectAll", actSelectAll}, {"mnuDeleteAll", actDeleteAll}});

  odAddFile = Component<TOpenDialog>(this, "odAddFile");
  odAddFile->Options = ofReadOnly | ofAllowMultiSelect | ofPathMustExist | ofFileMustExist | ofShareAware |
                       ofEnableSizing | ofDontAddToRecent | ofForceShowHidden;

  PC = Control<TPageControl>(this, this, "PC", {8, 8, 384, 312});
  PC->OnChange = TNotifyEvent(this, &TProfilePropsForm::PCChange);
  tabProfile = TabSheet(this, PC, "tabProfile", "General");
  tabIncluded = TabSheet(this, PC, "tabIncluded", "Included file(s)");
  tabScheduler = TabSheet(this, PC, "tabScheduler", "Scheduler");

  TextLabel(this, tabProfile, "lblProfileName", "Profile name", {8, 12, 360, 13});
  edProfileName = Control<TEdit>(this, tabProfile, "edProfileName", {8, 28, 360, 21});
  TextLabel(this, tabProfile, "lblPosition", "Move files to the", {8, 62, 360, 13});
  comboPosition = Control<TComboBox>(this, tabProfile, "comboPosition", {8, 78, 200, 21});
  comboPosition->SetStyle(TComboBoxStyle::csDropDownList);
  comboPosition->Items().Add("start of disk");
  comboPosition->Items().Add("end of disk");

  lblHint = TextLabel(this, tabIncluded, "lblHint",
                      "Click on the 'Add file' or 'Add dir' buttons or drag and drop files into this window "
                      "from the Windows Explorer",
                      {8, 6, 360, 28});
  lblHint->SetAutoSize(false);
  lblHint->SetWordWrap(true);
  lblHint->SetAnchors(akLeft | akTop | akRight);
  lvFiles = Control<TListView>(this, tabIncluded, "lvFiles", {8, 38, 360, 204});
  lvFiles->SetViewStyle(TViewStyle::vsReport);
  lvFiles->SetMultiSelect(true);
  lvFiles->SetRowSelect(true);
  lvFiles->SetReadOnly(true);
  lvFiles->SetHideSelection(false);
  lvFiles->SetAnchors(akLeft | akTop | akRight);
  lvFiles->SetPopupMenu(popupFiles);
  lvFiles->OnColumnClick = TLVColumnClickEvent(this, &TProfilePropsForm::lvFilesColumnClick);
  AddColumn(*lvFiles, "Name", 0)->SetAutoSize(true);
  AddColumn(*lvFiles, "Size", 70)->SetAlignment(TAlignment::taRightJustify);
  AddColumn(*lvFiles, "Fragments", 80)->SetAlignment(TAlignment::taRightJustify);
  int x = 8;
  for (auto [name, a] : {std::pair{"btnDeleteAll", actDeleteAll}, {"btnDelete", actDelete}, {"btnRescan", actRescan},
                         {"btnAddDir", actAddDir}, {"btnAddFile", actAddFile}}) {
    Control<TButton>(this, tabIncluded, name, {x, 250, 68, 25})->SetAction(a);
    x += 73;
  }

  cbSchedulerActive = Control<TCheckBox>(this, tabScheduler, "cbSchedulerActive", {8, 8, 300, 17});
  cbSchedulerActive->SetCaption("Activate scheduler");
  cbSchedulerActive->OnClick = TNotifyEvent(this, &TProfilePropsForm::cbSchedulerActiveClick);
  gbSchedulerParams = Control<TGroupBox>(this, tabScheduler, "gbSchedulerParams", {8, 32, 360, 244});
  TextLabel(this, gbSchedulerParams, "lblStartTime", "Start time:", {12, 24, 100, 13});
  dtpSchedulerStart = Control<TDateTimePicker>(this, gbSchedulerParams, "dtpSchedulerStart", {120, 20, 90, 21});
  dtpSchedulerStart->SetKind(TDateTimeKind::dtkTime);
  static const char* const kDayNames[kDays] = {"Monday", "Tuesday", "Wednesday", "Thursday",
                                               "Friday", "Saturday", "Sunday"};
  for (int d = 0; d < kDays; ++d) {
    cbDays[d] = Control<TCheckBox>(this, gbSchedulerParams, "cb" + std::to_string(d + 1), {12, 56 + 24 * d, 200, 17});
    cbDays[d]->SetCaption(kDayNames[d]);
  }
  bCheckAll = Control<TButton>(this, gbSchedulerParams, "bCheckAll", {250, 56, 96, 25});
  bCheckAll->SetCaption("Check all");
  bCheckAll->OnClick = TNotifyEvent(this, &TProfilePropsForm::bCheckAllClick);
  bResetAll = Control<TButton>(this, gbSchedulerParams, "bResetAll", {250, 88, 96, 25});
  bResetAll->SetCaption("Reset all");
  bResetAll->OnClick = TNotifyEvent(this, &TProfilePropsForm::bResetAllClick);

  btnOK = Control<TButton>(this, this, "btnOK", {236, 328, 75, 25});
  btnOK->SetCaption("OK");
  btnOK->SetDefault(true);
  btnOK->ModalResult = mrOk;
  btnCancel = Control<TButton>(this, this, "btnCancel", {317, 328, 75, 25});
  btnCancel->SetCaption("Cancel");
  btnCancel->SetCancel(true);
  btnCancel->ModalResult = mrCancel;
  // A language that needs a wider window keeps them in its corner.
  for (TButton* button : {btnOK, btnCancel}) button->SetAnchors(akRight | akBottom);
}

void TProfilePropsForm::FormCreate(TObject*) {
  dtpSchedulerStart->SetFormat(LocaleTimePickerFormat());
  PC->SetActivePage(tabProfile);
}

void TProfilePropsForm::FormClose(TObject*, TCloseAction&) { AcceptDroppedFiles(false); }

int TProfilePropsForm::Execute(TProfile& profile) {
  Fill(profile);
  int result = ShowModal();
  if (result == mrOk) WriteBack(profile);
  return result;
}

void TProfilePropsForm::Fill(const TProfile& profile) {
  for (const std::string& entry : profile.Files().Lines()) AddEntry(entry);
  edProfileName->SetText(profile.Name());
  comboPosition->SetItemIndex(static_cast<int>(profile.RunMethod()));
  cbSchedulerActive->SetChecked(profile.SchedulerActive());
  dtpSchedulerStart->SetDateTime(profile.Start() + 1);
  for (int d = 0; d < kDays; ++d) cbDays[d]->SetChecked(profile.Day(d));
  cbSchedulerActiveClick(cbSchedulerActive);
}

void TProfilePropsForm::WriteBack(TProfile& profile) {
  profile.Files().Clear();
  for (int i = 0; i < lvFiles->Items().Count(); ++i) profile.Files().Add(Info(i).Path);
  profile.SetName(edProfileName->GetText());
  profile.SetRunMethod(static_cast<TRunMethod>(std::max(comboPosition->ItemIndex(), 0)));
  profile.SetSchedulerActive(cbSchedulerActive->Checked());
  TDateTime picked = dtpSchedulerStart->DateTime();
  profile.SetStart(picked - std::floor(picked));
  for (int d = 0; d < kDays; ++d) profile.SetDay(d, cbDays[d]->Checked());
}

const TFileInfo& TProfilePropsForm::Info(int row) {
  return *static_cast<TFileInfo*>(lvFiles->Items()[row]->Data);
}

void TProfilePropsForm::AddEntry(const std::string& path) {
  for (const auto& info : infos_)
    if (info->Path == path) return;
  auto info = std::make_unique<TFileInfo>();
  info->Path = path;
  TListItem* item = lvFiles->Items().Add();
  item->Data = info.get();
  infos_.push_back(std::move(info));
  item->SetCaption(path);
  item->SubItems().Add("");
  item->SubItems().Add("");
  RefreshEntry(item);
}

void TProfilePropsForm::RefreshEntry(TListItem* item) {
  auto& info = *static_cast<TFileInfo*>(item->Data);
  Measure(info);
  item->SubItems().Put(0, info.Size < 0 ? "n/a" : FormatSize(info.Size));
  item->SubItems().Put(1, info.Fragments < 0 ? "n/a" : std::to_string(info.Fragments));
}

void TProfilePropsForm::DeleteRow(int index) {
  const void* data = lvFiles->Items()[index]->Data;
  lvFiles->Items().Delete(index);
  std::erase_if(infos_, [data](const auto& info) { return info.get() == data; });
}

void TProfilePropsForm::actAddFileExecute(TObject*) {
  if (!odAddFile->Execute()) return;
  for (int i = 0; i < odAddFile->Files().Count(); ++i) AddEntry(odAddFile->Files()[i]);
}

void TProfilePropsForm::actAddDirExecute(TObject*) {
  std::string folder;
  if (!BrowseForFolder(folder)) return;
  if (folder.empty() || folder.back() != '\\') folder += '\\';
  AddEntry(folder);
}

void TProfilePropsForm::actDeleteExecute(TObject*) {
  std::vector<int> selected = lvFiles->SelectedIndexes();
  TUpdateGuard update(lvFiles->Items());
  for (auto it = selected.rbegin(); it != selected.rend(); ++it) DeleteRow(*it);
}

void TProfilePropsForm::actDeleteUpdate(TObject*) { actDelete->SetEnabled(lvFiles->SelCount() > 0); }

void TProfilePropsForm::actRowsUpdate(TObject* sender) {
  static_cast<TAction*>(sender)->SetEnabled(lvFiles->Items().Count() > 0);
}

void TProfilePropsForm::actDeleteAllExecute(TObject*) {
  if (MessageDlg(_("Excluding files from the profile can't be undone!\r\nDo you wish to process?"),
                 TMsgDlgType::mtCustom, mbYesNo) != mrYes)
    return;
  lvFiles->Items().Clear();
  infos_.clear();
}

void TProfilePropsForm::actRescanExecute(TObject*) {
  for (int i = 0; i < lvFiles->Items().Count(); ++i) RefreshEntry(lvFiles->Items()[i]);
}

void TProfilePropsForm::actSelectAllExecute(TObject*) { lvFiles->SelectAll(); }

void TProfilePropsForm::lvFilesColumnClick(TObject*, TListColumn* column) {
  if (column->Index() == sortColumn_) {
    sortAscending_ = !sortAscending_;
  } else {
    sortColumn_ = column->Index();
    sortAscending_ = true;
  }
  lvFiles->CustomSort([this](TListItem* a, TListItem* b) {
    const auto& x = *static_cast<TFileInfo*>(a->Data);
    const auto& y = *static_cast<TFileInfo*>(b->Data);
    int order = sortColumn_ == 0   ? Sign(AsciiLower(x.Path).compare(AsciiLower(y.Path)), 0)
                : sortColumn_ == 1 ? Sign(x.Size, y.Size)
                                   : Sign(x.Fragments, y.Fragments);
    return sortAscending_ ? order : -order;
  });
}

void TProfilePropsForm::cbSchedulerActiveClick(TObject*) {
  bool on = cbSchedulerActive->Checked();
  dtpSchedulerStart->SetEnabled(on);
  for (TCheckBox* day : cbDays) day->SetEnabled(on);
  bCheckAll->SetEnabled(on);
  bResetAll->SetEnabled(on);
}

void TProfilePropsForm::SetAllDays(bool on) {
  for (TCheckBox* day : cbDays) day->SetChecked(on);
}

void TProfilePropsForm::bCheckAllClick(TObject*) { SetAllDays(true); }

void TProfilePropsForm::bResetAllClick(TObject*) { SetAllDays(false); }

void TProfilePropsForm::PCChange(TObject*) { AcceptDroppedFiles(PC->ActivePageIndex() == kIncludedPage); }

void TProfilePropsForm::AcceptDroppedFiles(bool on) {
  if (HandleAllocated()) DragAcceptFiles(Handle(), on ? TRUE : FALSE);
}

void TProfilePropsForm::FilesDropped(HDROP drop) {
  UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    std::wstring name(DragQueryFileW(drop, i, nullptr, 0) + 1, L'\0');
    name.resize(DragQueryFileW(drop, i, name.data(), static_cast<UINT>(name.size())));
    AddEntry(WideToUtf8(name));
  }
  DragFinish(drop);
}

bool TProfilePropsForm::IsShortCut(uint16_t shortcut) {
  if ((shortcut == kDeleteKey || shortcut == kSelectAllKey) && !lvFiles->Focused()) return false;
  return TForm::IsShortCut(shortcut);
}

void TProfilePropsForm::WndProc(TMessage& message) {
  if (message.Msg == WM_DROPFILES) {
    FilesDropped(reinterpret_cast<HDROP>(message.WParam));
    message.Result = 0;
    return;
  }
  TForm::WndProc(message);
}

int ExecuteProfileProps(TProfile& profile) {
  auto form = MakeOwned<TProfilePropsForm>(nullptr);
  return form->Execute(profile);
}

}  // namespace movra::app
