#include "app/main_form.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <unordered_set>

#include "app/save_failure_dialog.h"
#include "engine/defrag.h"
#include "i18n/component_translation.h"
#include "i18n/localizer.h"
#include "logging/journal.h"
#include "logging/journal_memo.h"
#include "profiles/single_instance.h"
#include "runtime/text.h"

namespace movra::app {

using namespace movra::ui;

namespace {

constexpr unsigned kSchedulerInterval = 30000;
constexpr int kFixedColumns = 4;
constexpr int kDayColumnWidth = 38;
// "All Profiles" and the separator come before the rows in the tray's Run menu.
constexpr int kTrayFixedItems = 2;
constexpr std::array<const char*, TProfile::kDays> kDayNames = {"Mon", "Tue", "Wed", "Thu",
                                                                 "Fri", "Sat", "Sun"};

std::string LocaleShortTime(TDateTime value) {
  const SYSTEMTIME time = DateTimeToSystemTime(value);
  wchar_t text[80] = {};
  if (!GetTimeFormatEx(LOCALE_NAME_USER_DEFAULT, TIME_NOSECONDS, &time, nullptr, text, 80))
    return FormatStartTime(value);
  return WideToUtf8(text);
}

std::string LocaleShortDate(TDateTime value) {
  const SYSTEMTIME time = DateTimeToSystemTime(value);
  wchar_t text[80] = {};
  if (!GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_SHORTDATE, &time, nullptr, text, 80,
                       nullptr))
    return {};
  return WideToUtf8(text);
}

// Adds the images of a bitmap strip resource; magenta is transparent. Loaded here rather than
// through a canvas bitmap, which stays selected into its own device context and then reaches
// the image list black.
void LoadImageStrip(TImageList& list, HINSTANCE instance, const wchar_t* name) {
  auto bitmap = static_cast<HBITMAP>(
      LoadImageW(instance, name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  if (!bitmap) return;
  ImageList_AddMasked(list.Handle(), bitmap, RGB(255, 0, 255));
  DeleteObject(bitmap);
}

// What the user is told of a settings file that could not be read in full.
std::string ConfigNotice(const TConfigRead& read, const std::string& path) {
  switch (read.State) {
    case TConfigState::Damaged:
      return "The settings file " + path +
             " could not be read in full: profiles or options in it may be missing. The file "
             "as it was is kept as " + read.Backup + ".";
    case TConfigState::Unreadable:
      return "The settings file " + path +
             " could not be read in full, and no copy of it could be kept: it is left as it is "
             "and will not be replaced.";
    case TConfigState::Read:
    case TConfigState::Missing:
      break;
  }
  return {};
}

int LanguageTag(const std::string& code) {
  for (int tag = 0; tag < static_cast<int>(std::size(LanguageCodes)); ++tag)
    if (code == LanguageCodes[tag]) return tag;
  return -1;
}

}  // namespace

// --- host defaults -----------------------------------------------------------------------------

namespace {
std::atomic<bool> g_runLeftAtExit{false};
}  // namespace

bool RunLeftAtExit() { return g_runLeftAtExit; }

void TPalvexHost::ShowError(const std::string& text) {
  Application().MessageBox(text, kApplicationTitle, MB_OK | MB_ICONERROR);
}

bool TPalvexHost::Confirm(const std::string& text) {
  return Application().MessageBox(text, kApplicationTitle, MB_YESNO | MB_ICONQUESTION) == IDYES;
}

TSaveFailureAnswer TPalvexHost::AskSaveFailure(const std::string& text) {
  return ExecuteSaveFailure(text);
}

std::vector<std::string> TPalvexHost::ChooseFiles(TOpenDialog& dialog) {
  std::vector<std::string> files;
  if (dialog.Execute())
    for (int i = 0; i < dialog.Files().Count(); ++i) files.push_back(dialog.Files()[i]);
  return files;
}

// --- construction ------------------------------------------------------------------------------

TPalvexForm::TPalvexForm(TComponent* owner, std::unique_ptr<TPalvexHost> host,
                         TPalvexChromeFactory chrome)
    : TForm(owner), host_(std::move(host)) {
  alive_ = Lifetime();
  BeginLoading();
  SetName("PalvexForm");
  SetCaption(kApplicationTitle);
  SetBounds(0, 0, 684, 554);
  SetPosition(TPosition::poScreenCenter);
  Font().SetName("MS Sans Serif");
  Font().SetSize(8);
  CreateComponents();
  chrome_ = chrome(*this);
  CreatePanelContents();
  OnCreate = TNotifyEvent(this, &TPalvexForm::FormCreate);
  OnDestroy = TNotifyEvent(this, &TPalvexForm::FormDestroy);
  EndLoading();
  // The window took its size before its chrome existed: lay the panels out for it now.
  Resize();
}

TPalvexForm::~TPalvexForm() = default;

TAction* TPalvexForm::NewAction(const char* name, const char* caption, const char* hint,
                                TShortCut shortcut, int image,
                                void (TPalvexForm::*execute)(TObject*),
                                void (TPalvexForm::*update)(TObject*)) {
  auto* action = new TAction(this);
  action->SetName(name);
  action->SetActionList(ActionList);
  action->SetCaption(caption);
  action->SetHint(hint);
  action->SetShortCut(shortcut);
  action->SetImageIndex(image);
  action->OnExecute = TNotifyEvent(this, execute);
  if (update) action->OnUpdate = TNotifyEvent(this, update);
  return action;
}

void TPalvexForm::CreateComponents() {
  imgIcons = new TImageList(this, 24, 24);
  imgIcons->SetName("imgIcons");
  imgStates = new TImageList(this, 12, 12);
  imgStates->SetName("imgStates");
  imgTray = new TImageList(this, 16, 16);
  imgTray->SetName("imgTray");
  LoadImages();

  ActionList = new TActionList(this);
  ActionList->SetName("ActionManager1");
  ActionList->SetImages(imgIcons);
  using F = TPalvexForm;
  actProfileAdd = NewAction("actProfileAdd", "Add...", "Adds new profile", VK_INSERT, 0,
                            &F::actProfileAddExecute, nullptr);
  actProfileDelete = NewAction("actProfileDelete", "Delete", "Deletes selected profile", VK_DELETE,
                               1, &F::actProfileDeleteExecute, &F::actProfileDeleteUpdate);
  actProfileSelectAll = NewAction("actProfileSelectAll", "Select All", "", ShortCut('A', ssCtrl),
                                  -1, &F::actProfileSelectAllExecute, nullptr);
  actProfileProps =
      NewAction("actProfileProps", "Properties...", "Edits properties of the selected profile",
                ShortCut(VK_RETURN, ssAlt), 2, &F::actProfilePropsExecute, &F::actProfilePropsUpdate);
  actProfileRun = NewAction("actProfileRun", "Run", "Runs selected profile", VK_F9, 3,
                            &F::actProfileRunExecute, &F::actProfileRunUpdate);
  actProfileRunAll = NewAction("actProfileRunAll", "Run All", "Runs all profiles", scNone, 4,
                               &F::actProfileRunAllExecute, &F::actProfileRunAllUpdate);
  actToolsDefragmentFile =
      NewAction("actToolsDefragmentFile", "Deframent file...", "Defragments file(s)", scNone, -1,
                &F::actToolsDefragmentFileExecute, nullptr);
  actToolsWizard = NewAction("actToolsWizard", "Wizard...",
                             "Creates profiles for the popular programs", scNone, 7,
                             &F::actToolsWizardExecute, nullptr);
  actToolsAnalyze =
      NewAction("actToolsAnalyze", "Analyze disk...",
                "Analyzes disk and defragments the most fragmented files", scNone, 6,
                &F::actToolsAnalyzeExecute, nullptr);
  actViewLog = NewAction("actViewLog", "Log window", "Shows/hides log window", scNone, 5,
                         &F::actViewLogExecute, nullptr);
  actViewLog->SetChecked(true);
  actFileOptions = NewAction("actFileOptions", "Options...", "Edits program options...", scNone, -1,
                             &F::actFileOptionsExecute, nullptr);
  actFileExit =
      NewAction("actFileExit", "Exit", "", scNone, -1, &F::actFileExitExecute, nullptr);
  actHelpAbout =
      NewAction("actHelpAbout", "About...", "", VK_F1, -1, &F::actHelpAboutExecute, nullptr);

  odFile = new TOpenDialog(this);
  odFile->SetName("odFile");
  odFile->Options = ofAllowMultiSelect | ofHideReadOnly | ofEnableSizing;

  popupTray = new TPopupMenu(this);
  popupTray->SetName("popupTray");
  auto addTrayItem = [this](const char* name, const char* caption, TAction* action) {
    auto* item = new TMenuItem(this);
    item->SetName(name);
    if (action)
      item->SetAction(action);
    else
      item->SetCaption(caption);
    popupTray->Items()->Add(item);
    return item;
  };
  TMenuItem* restore = addTrayItem("popuptrayRestore", "Restore", nullptr);
  restore->SetDefault(true);
  restore->OnClick = TNotifyEvent(this, &TPalvexForm::RestoreFromTray);
  addTrayItem("popuptrayN1", "-", nullptr);
  popuptrayRun = addTrayItem("popuptrayRun", "Run", nullptr);
  popupTray->OnPopup = TNotifyEvent(this, &TPalvexForm::popupTrayPopup);
  addTrayItem("popuptrayDefragmentFile", "", actToolsDefragmentFile);
  addTrayItem("popuptrayN2", "-", nullptr);
  addTrayItem("popuptrayOptions", "", actFileOptions);
  addTrayItem("popuptrayAbout", "", actHelpAbout);
  addTrayItem("popuptrayExit", "", actFileExit);
}

void TPalvexForm::CreatePanelContents() {
  memoLog = new TMemo(this);
  memoLog->SetName("memoLog");
  memoLog->SetParent(pnlLog);
  memoLog->SetAlign(TAlign::alClient);
  memoLog->SetReadOnly(true);
  memoLog->SetWordWrap(false);
  memoLog->SetScrollBars(TScrollStyle::ssBoth);
  memoLog->Font().SetName("Courier New");

  lvProfiles = new TListView(this);
  lvProfiles->SetName("lvProfiles");
  lvProfiles->SetParent(pnlProfiles);
  lvProfiles->SetAlign(TAlign::alClient);
  lvProfiles->SetViewStyle(TViewStyle::vsReport);
  lvProfiles->SetMultiSelect(true);
  lvProfiles->SetRowSelect(true);
  lvProfiles->SetReadOnly(true);
  lvProfiles->SetGridLines(true);
  lvProfiles->SetHideSelection(false);
  lvProfiles->SetStateImages(imgStates);
  lvProfiles->SetPopupMenu(BarPopupMenu);
  lvProfiles->OnDblClick = TNotifyEvent(this, &TPalvexForm::lvProfilesDblClick);
  const struct {
    const char* caption;
    int width;
  } columns[] = {{"   Name", 70}, {"Files", 0}, {"Time", 70}, {"Next start", 130}};
  for (const auto& c : columns) {
    TListColumn* column = lvProfiles->Columns().Add();
    column->SetCaption(c.caption);
    if (c.width)
      column->SetWidth(c.width);
    else
      column->SetAutoSize(true);
  }
}

void TPalvexForm::LoadImages() {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  // The program's resources; a test program without them shows no pictures.
  LoadImageStrip(*imgIcons, instance, L"PALVEX_ICONS");
  LoadImageStrip(*imgStates, instance, L"PALVEX_STATES");
  LoadImageStrip(*imgTray, instance, L"PALVEX_TRAY");
  if (HICON icon = LoadIconW(instance, L"MAINICON")) SetIcon(icon);
}

// --- start-up and shut-down ------------------------------------------------------------------

void TPalvexForm::FormCreate(TObject*) {
  Application().HookMainWindow(TWindowHook(this, &TPalvexForm::AppMessage));

  FTrayIcon = new TNotifyTrayIcon(this);
  FTrayIcon->SetName("TrayIcon");
  FTrayIcon->MinimizeToTray = true;
  FTrayIcon->SetIconList(imgTray);
  FTrayIcon->SetIconIndex(0);
  FTrayIcon->OnClick = TNotifyEvent(this, &TPalvexForm::RestoreFromTray);
  FTrayIcon->SetHint(kApplicationTitle);
  FTrayIcon->SetPopupMenu(popupTray);

  FSchedulerTimer = std::make_unique<TSimpleTimer>(
      kSchedulerInterval, TSimpleTimerEvent(this, &TPalvexForm::SchedulerTick));
  FSchedulerTimer->SetEnabled(true);

  FOptions = TOptions();
  FRunLock = std::make_unique<TRunLock>();

  configPath_ = host_->ConfigFile();
  // The rows' texts are written once, in the language the settings name.
  const TConfigRead config = host_->LoadSettings(
      configPath_,
      [this](std::unique_ptr<TProfile> profile) { AddProfileItem(std::move(profile), false); },
      FOptions);
  if (LanguageTag(FOptions.Language) < 0) FOptions.Language = LanguageCodes[0];

  SwitchLanguage("en");
  TranslateComponent(this);
  SwitchLanguage(FOptions.Language);
  CheckLanguageItem();
  RetranslateComponent(this);

  UpdateAllProfileItems();
  RefreshQueueLabel();
  UpdateLogWindow();
  UpdateScheduleColumns();
  SetQueueCount(0);

  if (FOptions.MinimizeOnStartup) SetWindowState(TWindowState::wsMinimized);

  SetLogLevel(FOptions.LogLevel);
  StartVisualFeedback(GlobalJournal(), *memoLog);
  GlobalJournal().SetScrollToLastLine(true);
  GlobalJournal().SetMemoLineLimit(FOptions.LogMaxLines);
  // Profiles that could not be read would otherwise vanish without a word.
  if (const std::string notice = ConfigNotice(config, configPath_); !notice.empty())
    GlobalJournal().Add(JournalLiteral(notice));
}

void TPalvexForm::SaveAll() {
  std::vector<const TProfile*> profiles;
  for (int row = 0; row < ProfileCount(); ++row) profiles.push_back(&ProfileOf(row));
  host_->SaveSettings(configPath_, profiles, FOptions);
}

bool TPalvexForm::SaveBeforeClose(bool& discarded) {
  // Asked before anything is torn down: a failure at the window's destruction could only be
  // reported, and the session's changes would be gone with the window. A file that can never
  // be written must not keep the program from ending, so the user may give the changes up.
  discarded = false;
  for (;;) {
    std::string reason;
    try {
      SaveAll();
      return true;
    } catch (const std::exception& failure) {
      reason = failure.what();
    }
    const std::string text =
        _("The settings cannot be saved") + ": " + reason + "\r\n\r\n" +
        _("Try Again tries to save again; Exit Without Saving ends the program, and the unsaved "
          "changes are lost; Cancel keeps the program open with everything as it is.");
    auto answer = TSaveFailureAnswer::StayOpen;
    const auto ask = [&] { answer = host_->AskSaveFailure(text); };
    // A session end may come while a dialog is open; the question is asked over it.
    if (!Modal(ask)) ask();
    if (answer == TSaveFailureAnswer::StayOpen) return false;
    if (answer == TSaveFailureAnswer::ExitWithoutSaving) {
      discarded = true;
      return true;
    }
  }
}

void TPalvexForm::FormDestroy(TObject*) {
  Application().UnhookMainWindow(TWindowHook(this, &TPalvexForm::AppMessage));
  // The settings go first: a run still going on ends with the process, which may come at once.
  if (!settledAtClose_) {
    try {
      SaveAll();
    } catch (...) {
      Application().HandleException(this);
    }
  }
  if (FRunLock) {
    // Nothing waits for runs: waiting ones are dropped, the running one is left to the end of
    // the process (each of its moves is whole or not done) and calls nothing back any more.
    CancelQueuedRuns();
    if (!FRunLock->Shutdown(0)) g_runLeftAtExit = true;
  }
  FSchedulerTimer.reset();
  if (FTrayIcon) Free(std::exchange(FTrayIcon, nullptr));
  FRunLock.reset();
  lvProfiles->Items().Clear();
  profiles_.clear();
}

void TPalvexForm::AppMessage(TMessage& message, bool& handled) {
  const UINT activate = ActivateWindowMessage();
  if (activate == 0 || message.Msg != activate) return;
  RestoreFromTray();
  SendMessageW(GetDesktopWindow(), WM_SYSCOMMAND, SC_HOTKEY,
               reinterpret_cast<LPARAM>(Application().Handle()));
  // The window, or the dialog open over it, which the window would otherwise cover.
  Application().BringToFront();
  handled = true;
}

void TPalvexForm::RestoreFromTray(TObject*) {
  if (!FTrayIcon) return;
  FTrayIcon->ShowMainWindow();
  FTrayIcon->SetIconVisible(false);
}

// --- rows --------------------------------------------------------------------------------------

int TPalvexForm::ProfileCount() const { return lvProfiles->Items().Count(); }

TProfile& TPalvexForm::ProfileOf(int row) const {
  return *static_cast<TProfile*>(lvProfiles->Items()[row]->Data);
}

void TPalvexForm::AddProfileItem(std::unique_ptr<TProfile> profile, bool fill) {
  TListItem* item = lvProfiles->Items().Add();
  {
    ui::TUpdateGuard update(item->SubItems());
    for (int i = 0; i < 10; ++i) item->SubItems().Add("");
  }
  item->Data = profile.get();
  profiles_.push_back(std::move(profile));
  if (fill) UpdateProfileItem(ProfileCount() - 1);
}

std::string TPalvexForm::FormatNextStart(TDateTime time) const {
  const double day = std::floor(time);
  const double today = std::floor(host_->Now());
  std::string text;
  if (day == today)
    text = "Today";
  else if (day - 1 == today)
    text = "Tomorrow";
  else
    text = LocaleShortDate(time);
  return text + ", " + LocaleShortTime(time);
}

void TPalvexForm::UpdateProfileItem(int row) {
  TListItem* item = lvProfiles->Items()[row];
  const TProfile& profile = ProfileOf(row);
  const bool scheduled = profile.SchedulerActive();
  item->SetCaption(profile.Name());
  ui::TStringList& sub = item->SubItems();
  {
    // One change of the row for all its cells.
    ui::TUpdateGuard update(sub);
    const int files = profile.Files().Count();
    sub.Put(0, files == 1   ? profile.Files()[0]
               : files >= 2 ? std::to_string(files) + " " + _("files")
                            : "");
    sub.Put(1, scheduled ? LocaleShortTime(profile.Start()) : _("manually"));
    sub.Put(2, scheduled && profile.NextRun() != 0 ? FormatNextStart(profile.NextRun()) : "");
    for (int day = 0; day < TProfile::kDays; ++day)
      sub.Put(3 + day, scheduled && profile.Day(day) ? "+" : "");
  }
  switch (profile.RunState()) {
    case TProfileRunState::Idle:
      item->SetStateIndex(-1);
      break;
    case TProfileRunState::Running:
      item->SetStateIndex(1);
      break;
    case TProfileRunState::Queued:
      item->SetStateIndex(0);
      break;
  }
}

void TPalvexForm::UpdateAllProfileItems() {
  // Redrawn once, not row by row.
  ui::TUpdateGuard update(lvProfiles->Items());
  for (int row = 0; row < ProfileCount(); ++row) UpdateProfileItem(row);
}

void TPalvexForm::UpdateScheduleColumns() {
  TListColumns& columns = lvProfiles->Columns();
  {
    ui::TUpdateGuard update(columns);
    if (FOptions.ShowSchedule && columns.Count() == kFixedColumns) {
      for (int day = 0; day < TProfile::kDays; ++day) {
        TListColumn* column = columns.Add();
        column->SetMinWidth(kDayColumnWidth);
        column->SetMaxWidth(kDayColumnWidth);
        column->SetWidth(kDayColumnWidth);
      }
    } else if (!FOptions.ShowSchedule && columns.Count() > kFixedColumns) {
      for (int day = 0; day < TProfile::kDays; ++day) columns.Delete(kFixedColumns);
    }
  }
  if (columns.Count() == kFixedColumns + TProfile::kDays)
    for (int day = 0; day < TProfile::kDays; ++day)
      columns[kFixedColumns + day]->SetCaption(_(kDayNames[static_cast<size_t>(day)]));
  // The list lays its columns out anew when its width changes.
  const int width = lvProfiles->Width();
  if (width > 0) {
    lvProfiles->SetWidth(width - 1);
    lvProfiles->SetWidth(width);
  }
}

// The items belong to the submenu alone: as components of the window, every one of them would
// be told of every other one made or freed, which grows with the square of the rows.
// A profile's name is shown as the user typed it: "R&D" keeps its ampersand, "-" is no line.
void TPalvexForm::AddTrayRunItem(const std::string& caption, intptr_t tag) {
  auto* item = new TMenuItem(nullptr);
  item->SetPlainCaption(caption);
  item->Tag = tag;
  item->OnClick = TNotifyEvent(this, &TPalvexForm::TrayRunItemClick);
  popuptrayRun->Add(item);
}

// The Run submenu follows the rows only when the tray menu opens: a start with thousands of
// profiles makes none of its items, and adding, deleting or renaming a row costs it nothing.
// Items already there are kept and renamed, so the system menu is rebuilt only after a change.
void TPalvexForm::BuildTrayRunMenu() {
  if (popuptrayRun->Count() < kTrayFixedItems) {
    AddTrayRunItem("", -1);
    auto* line = new TMenuItem(nullptr);
    line->SetCaption("-");
    popuptrayRun->Add(line);
  }
  popuptrayRun->Items(0)->SetPlainCaption(_("All Profiles"));
  const int rows = ProfileCount();
  for (int row = 0; row < rows; ++row) {
    if (kTrayFixedItems + row == popuptrayRun->Count()) {
      AddTrayRunItem(ProfileOf(row).Name(), row);
      continue;
    }
    TMenuItem* item = popuptrayRun->Items(kTrayFixedItems + row);
    item->SetPlainCaption(ProfileOf(row).Name());
    item->Tag = row;
  }
  while (popuptrayRun->Count() > kTrayFixedItems + rows) popuptrayRun->Delete(popuptrayRun->Count() - 1);
}

void TPalvexForm::popupTrayPopup(TObject*) { BuildTrayRunMenu(); }

void TPalvexForm::TrayRunItemClick(TObject* sender) {
  const intptr_t tag = static_cast<TComponent*>(sender)->Tag;
  if (tag == -1)
    actProfileRunAll->Execute();
  else if (tag >= 0 && tag < ProfileCount())
    RunProfile(ProfileOf(static_cast<int>(tag)));
}

// --- runs --------------------------------------------------------------------------------------

void TPalvexForm::HandOver(std::function<void()> call) {
  ui::Queue([alive = alive_, call = std::move(call)] {
    if (!alive.expired()) call();
  });
}

bool TPalvexForm::StartExecutor(const std::shared_ptr<TExecutor>& executor,
                                const std::string& what) {
  std::erase_if(runs_, [](const TRun& run) { return run.Executor.expired(); });
  runs_.push_back({executor, executor.get()});
  std::string reason;
  try {
    if (host_->StartRun(*executor)) return true;
    reason = _("it would never run");
  } catch (const std::exception& error) {
    reason = error.what();
  }
  // Nothing will call back for this run: what was counted for it is given back here.
  std::erase_if(runs_, [&](const TRun& run) { return run.Key == executor.get(); });
  executor->Cancel();
  SetQueueCount(std::max(0, FQueueCount - 1));
  const std::string text = _("The run cannot be started") + " ('" + what + "'): " + reason;
  LogMessage(1, text);
  host_->ShowError(text);
  return false;
}

void TPalvexForm::MarkStarted(const TExecutor* key) {
  for (TRun& run : runs_)
    if (run.Key == key) run.Started = true;
}

void TPalvexForm::RunProfile(TProfile& profile) {
  if (profile.RunState() != TProfileRunState::Idle || closing_ || !FRunLock) return;
  auto executor = TExecutor::Create(profile, *FRunLock);
  executor->OnStart = [this](TExecutor& sender) {
    HandOver([this, key = &sender, id = sender.Profile().Id(), name = sender.Profile().Name()] {
      MarkStarted(key);
      ProfileStarted(id, name);
    });
  };
  executor->OnFinish = [this](TExecutor& sender) {
    HandOver([this, id = sender.Profile().Id()] { ProfileFinished(id); });
  };
  SetProfileState(profile.Id(), TProfileRunState::Queued);
  SetQueueCount(FQueueCount + 1);
  if (!StartExecutor(executor, profile.Name())) {
    SetProfileState(profile.Id(), TProfileRunState::Idle);
  }
}

void TPalvexForm::RunFile(const std::string& fileName, TRunMethod runMethod) {
  if (closing_ || !FRunLock) return;
  auto executor = TExecutor::CreateForFile(fileName, *FRunLock);
  executor->Profile().SetRunMethod(runMethod);
  executor->OnStart = [this](TExecutor& sender) {
    HandOver([this, key = &sender, file = sender.Profile().Files()[0]] {
      MarkStarted(key);
      FileStarted(file);
    });
  };
  executor->OnFinish = [this](TExecutor&) { HandOver([this] { FileFinished(); }); };
  SetQueueCount(FQueueCount + 1);
  StartExecutor(executor, fileName);
}

void TPalvexForm::ProfileStarted(int32_t id, const std::string& name) {
  ++running_;
  SetProfileState(id, TProfileRunState::Running);
  AnimateTrayIcon(true);
  StatusBar1->Panels()[0]->SetCaption(_("Defragmenting profile") + " '" + name + "' ...");
  SetQueueCount(FQueueCount - 1);
}

void TPalvexForm::ProfileFinished(int32_t id) {
  AnimateTrayIcon(false);
  SetProfileState(id, TProfileRunState::Idle);
  StatusBar1->Panels()[0]->SetCaption("");
  RunEnded();
}

void TPalvexForm::FileStarted(const std::string& fileName) {
  ++running_;
  AnimateTrayIcon(true);
  StatusBar1->Panels()[0]->SetCaption(_("Defragmenting file") + " '" + fileName + "' ...");
  SetQueueCount(FQueueCount - 1);
}

void TPalvexForm::FileFinished() {
  AnimateTrayIcon(false);
  StatusBar1->Panels()[0]->SetCaption("");
  RunEnded();
}

void TPalvexForm::RunEnded() { running_ = std::max(0, running_ - 1); }

void TPalvexForm::CancelQueuedRuns() {
  for (const TRun& run : runs_) {
    auto executor = run.Executor.lock();
    if (run.Started || !executor || !executor->Cancel()) continue;
    SetProfileState(executor->Profile().Id(), TProfileRunState::Idle);
    SetQueueCount(FQueueCount - 1);
  }
  std::erase_if(runs_, [](const TRun& run) { return !run.Started; });
}

void TPalvexForm::SetProfileState(int32_t id, TProfileRunState state) {
  for (int row = 0; row < ProfileCount(); ++row) {
    TProfile& profile = ProfileOf(row);
    if (profile.Id() != id) continue;
    profile.SetRunState(state);
    lvProfiles->Items()[row]->SetStateIndex(state == TProfileRunState::Idle      ? -1
                                            : state == TProfileRunState::Running ? 1
                                                                                 : 0);
  }
}

void TPalvexForm::SetQueueCount(int n) {
  FQueueCount = n;
  RefreshQueueLabel();
}

void TPalvexForm::RefreshQueueLabel() {
  StatusBar1->Panels()[1]->SetCaption(_("In queue:") + " " + std::to_string(FQueueCount) + " " +
                                      _("profile(s)"));
}

void TPalvexForm::AnimateTrayIcon(bool on) {
  if (!FTrayIcon) return;
  // Switching the animation off in the options must not leave a running one cycling.
  if (on && !FOptions.AnimateTray) return;
  FTrayIcon->SetCycleInterval(100);
  FTrayIcon->SetCycleIcons(on);
  if (!on) FTrayIcon->SetIconIndex(0);
}

void TPalvexForm::SchedulerTick(TSimpleTimer*) {
  try {
    SchedulerTimer();
  } catch (...) {
    Application().HandleException(this);
  }
}

void TPalvexForm::SchedulerTimer() {
  if (FSessionEnding || closing_) return;
  const TDateTime now = host_->Now();
  for (int row = 0; row < ProfileCount(); ++row) {
    TProfile& profile = ProfileOf(row);
    if (!profile.SchedulerActive() || profile.NextRun() == 0 || profile.NextRun() > now) continue;
    RunProfile(profile);
    profile.ComputeNextRun(now);
    UpdateProfileItem(row);
  }
}

// --- commands ----------------------------------------------------------------------------------

bool TPalvexForm::Modal(const std::function<void()>& show) {
  // A second dialog would work on the same settings and profiles as the first; whichever
  // closed last would overwrite the other.
  if (modalOpen_) {
    // What the user asked for waits behind the dialog that is open: it comes to the front.
    Application().BringToFront();
    return false;
  }
  modalOpen_ = true;
  // The dialog's own loop disables only visible windows: a window hidden in the tray would
  // stay enabled and could be restored into a second dialog.
  const HWND window = HandleAllocated() ? Handle() : nullptr;
  const bool disabled = window && IsWindowEnabled(window);
  const HWND active = GetActiveWindow();
  if (disabled) EnableWindow(window, FALSE);
  auto restore = [&] {
    modalOpen_ = false;
    if (!disabled || !IsWindow(window)) return;
    EnableWindow(window, TRUE);
    if (active == window && IsWindowVisible(window)) SetActiveWindow(window);
  };
  try {
    show();
  } catch (...) {
    restore();
    throw;
  }
  restore();
  return true;
}

void TPalvexForm::actProfileAddExecute(TObject*) {
  auto profile = std::make_unique<TProfile>();
  int result = mrCancel;
  Modal([&] { result = host_->ProfileProps(*profile); });
  if (result == mrOk) AddProfileItem(std::move(profile));
}

void TPalvexForm::actProfileDeleteExecute(TObject*) {
  bool yes = false;
  Modal([&] { yes = host_->Confirm("Deleting profiles can't be undone!\r\nDo you wish to proceed?"); });
  if (!yes) return;
  std::unordered_set<const TProfile*> doomed;
  TListItems& items = lvProfiles->Items();
  ui::TUpdateGuard update(items);
  if (lvProfiles->SelCount() == ProfileCount()) {
    items.Clear();
    profiles_.clear();
  } else {
    const std::vector<int> rows = lvProfiles->SelectedIndexes();
    for (auto row = rows.rbegin(); row != rows.rend(); ++row) {
      doomed.insert(&ProfileOf(*row));
      items.Delete(*row);
    }
    std::erase_if(profiles_, [&doomed](const auto& p) { return doomed.count(p.get()) != 0; });
  }
}

void TPalvexForm::actProfileDeleteUpdate(TObject*) {
  actProfileDelete->SetEnabled(lvProfiles->SelCount() > 0);
}

void TPalvexForm::actProfileSelectAllExecute(TObject*) { lvProfiles->SelectAll(); }

void TPalvexForm::actProfilePropsExecute(TObject*) {
  const std::vector<int> rows = lvProfiles->SelectedIndexes();
  if (rows.size() != 1) return;
  int result = mrCancel;
  Modal([&] { result = host_->ProfileProps(ProfileOf(rows[0])); });
  if (result != mrOk) return;
  UpdateProfileItem(rows[0]);
}

void TPalvexForm::actProfilePropsUpdate(TObject*) {
  actProfileProps->SetEnabled(lvProfiles->SelCount() == 1);
}

void TPalvexForm::actProfileRunExecute(TObject*) {
  for (int row : lvProfiles->SelectedIndexes()) RunProfile(ProfileOf(row));
}

void TPalvexForm::actProfileRunUpdate(TObject*) {
  bool idle = false;
  for (int row : lvProfiles->SelectedIndexes())
    idle = idle || ProfileOf(row).RunState() == TProfileRunState::Idle;
  actProfileRun->SetEnabled(idle);
}

void TPalvexForm::actProfileRunAllExecute(TObject*) {
  for (int row = 0; row < ProfileCount(); ++row) RunProfile(ProfileOf(row));
}

void TPalvexForm::actProfileRunAllUpdate(TObject*) {
  bool idle = false;
  for (int row = 0; row < ProfileCount(); ++row)
    idle = idle || ProfileOf(row).RunState() == TProfileRunState::Idle;
  actProfileRunAll->SetEnabled(idle);
}

void TPalvexForm::actToolsDefragmentFileExecute(TObject*) {
  std::vector<std::string> files;
  Modal([&] { files = host_->ChooseFiles(*odFile); });
  for (const std::string& file : files) RunFile(file, TRunMethod::StartOfDisk);
}

void TPalvexForm::actToolsWizardExecute(TObject*) {
  std::vector<std::string> names;
  for (int row = 0; row < ProfileCount(); ++row) names.push_back(ProfileOf(row).Name());
  std::vector<std::unique_ptr<TProfile>> created;
  int result = mrCancel;
  Modal([&] { result = host_->Wizard(names, created); });
  if (result != mrOk || created.empty()) return;
  for (auto& profile : created) AddProfileItem(std::move(profile));
}

void TPalvexForm::actToolsAnalyzeExecute(TObject*) {
  TFileRegionList list;
  bool chosen = false;
  Modal([&] { chosen = host_->Analysis(list); });
  if (!chosen) return;
  TProfile temporary;
  for (const TFileRegionPair& record : list)
    if (record.Checked) temporary.Files().Add(record.Path);
  temporary.SetName(_("most fragmented files"));
  RunProfile(temporary);
}

void TPalvexForm::actViewLogExecute(TObject*) {
  FOptions.ShowLogWindow = !FOptions.ShowLogWindow;
  UpdateLogWindow();
}

void TPalvexForm::UpdateLogWindow() {
  chrome_->ShowLog(FOptions.ShowLogWindow);
  actViewLog->SetChecked(FOptions.ShowLogWindow);
  // Lines that came while the panel was hidden left the memo at its first line; shown, it
  // follows the newest as it does all along while visible.
  if (FOptions.ShowLogWindow && memoLog) memoLog->ScrollToEnd();
}

void TPalvexForm::actFileOptionsExecute(TObject*) {
  bool ok = false;
  Modal([&] { ok = host_->Options(FOptions); });
  if (!ok) return;
  std::string failure;
  try {
    SaveAll();
  } catch (const std::exception& error) {
    failure = error.what();
  }
  // The options the user chose hold whether or not they could be saved.
  ApplyOptions();
  if (!failure.empty()) {
    Modal([&] {
      host_->ShowError(_("The new options are in force, but they cannot be saved") + ": " +
                       failure);
    });
  }
}

void TPalvexForm::ApplyOptions() {
  SetLogLevel(FOptions.LogLevel);
  GlobalJournal().SetMemoLineLimit(FOptions.LogMaxLines);
  UpdateScheduleColumns();
}

void TPalvexForm::actFileExitExecute(TObject*) { ExitProgram(); }

void TPalvexForm::ExitProgram() {
  FClosingViaExit = true;
  try {
    Close();
  } catch (...) {
    FClosingViaExit = false;
    throw;
  }
  FClosingViaExit = false;
}

void TPalvexForm::actHelpAboutExecute(TObject*) {
  Modal([&] { host_->About(kApplicationTitle, "beta"); });
}

void TPalvexForm::lvProfilesDblClick(TObject*) {
  // Several selected rows: Properties is off and Add is not meant, so nothing happens.
  const int selected = lvProfiles->SelCount();
  if (selected == 1)
    actProfileProps->Execute();
  else if (selected == 0)
    actProfileAdd->Execute();
}

bool TPalvexForm::ListKeyElsewhere(uint16_t shortcut) const {
  const bool listKey = shortcut == actProfileDelete->ShortCut() ||
                       shortcut == actProfileSelectAll->ShortCut();
  return listKey && !lvProfiles->Focused();
}

bool TPalvexForm::IsShortCut(uint16_t shortcut) {
  if (ListKeyElsewhere(shortcut)) return false;
  return TForm::IsShortCut(shortcut);
}

// --- language ----------------------------------------------------------------------------------

void TPalvexForm::SetLanguage(TObject* sender) {
  SetLanguageByTag(static_cast<int>(static_cast<TComponent*>(sender)->Tag));
}

void TPalvexForm::SetLanguageByTag(int tag) {
  if (tag < 0 || tag >= static_cast<int>(std::size(LanguageCodes))) return;
  FOptions.Language = LanguageCodes[tag];
  CheckLanguageItem();
  SwitchLanguage(FOptions.Language);
  RetranslateComponent(this);
  UpdateScheduleColumns();
  UpdateAllProfileItems();
  RefreshQueueLabel();
}

void TPalvexForm::CheckLanguageItem() { chrome_->CheckLanguage(LanguageTag(FOptions.Language)); }

// --- closing -----------------------------------------------------------------------------------

bool TPalvexForm::CloseQuery() {
  if (!FSessionEnding) {
    if (!FClosingViaExit && FOptions.MinimizeOnClose) {
      Application().Minimize();
      return false;
    }
    // A dialog still open holds work of the user's that the close would throw away: it comes to
    // the front to be finished first, whether Exit, the taskbar or another program asked.
    if (modalOpen_) {
      Application().BringToFront();
      return false;
    }
    bool yes = true;
    if (FOptions.ConfirmExit) {
      Modal([&] {
        yes = host_->Confirm(
            _("Scheduled tasks will not be executed after exit.\r\nDo you want to exit?"));
      });
    }
    if (!yes) return false;
    bool discarded = false;
    if (!SaveBeforeClose(discarded)) return false;
    // The window is destroyed as this returns.
    settledAtClose_ = true;
  }
  // The window goes: no new runs, and those still waiting never start.
  closing_ = true;
  CancelQueuedRuns();
  return true;
}

void TPalvexForm::WndProc(TMessage& message) {
  switch (message.Msg) {
    case WM_QUERYENDSESSION: {
      // Where the system lets the program ask, a session end that would lose the settings waits
      // for the user: Cancel refuses it, Exit Without Saving lets it come without them.
      bool discarded = false;
      if (!(message.LParam & ENDSESSION_CRITICAL) && !SaveBeforeClose(discarded)) {
        message.Result = FALSE;
        return;
      }
      discardAtSessionEnd_ = discarded;
      FSessionEnding = true;
      message.Result = TRUE;
      return;
    }
    case WM_ENDSESSION:
      if (message.WParam) {
        // The process may end as soon as this returns. Saved again: the session's question may
        // not have been asked, or have been answered a while ago.
        if (discardAtSessionEnd_) {
          settledAtClose_ = true;
        } else {
          try {
            SaveAll();
            settledAtClose_ = true;
          } catch (...) {
          }
        }
      } else {
        FSessionEnding = false;
        // The session goes on, and so may the changes: the answer was for an end that did not
        // come.
        discardAtSessionEnd_ = false;
      }
      message.Result = 0;
      return;
    default:
      TForm::WndProc(message);
  }
}

void TPalvexForm::Resize() {
  TForm::Resize();
  if (!chrome_ || !StatusBar1 || (HandleAllocated() && IsIconic(Handle()))) return;
  chrome_->Resized(std::max(0, ClientWidth()), std::max(0, ClientHeight()));
  StatusBar1->Panels()[0]->SetSize(std::max(0, StatusBar1->ClientWidth() - 200));
}

}  // namespace movra::app
