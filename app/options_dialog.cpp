#include "app/options_dialog.h"

#include <utility>

#include "app/dialogs.h"
#include "i18n/localizer.h"
#include "profiles/registry_settings.h"

namespace movra::app {
namespace {

using namespace movra::ui;

TCheckBox* CreateCheck(TComponent* owner, TWinControl* parent, const char* name, int top,
                       const char* caption, const char* hint) {
  auto* check = Control<TCheckBox>(owner, parent, name, {12, top, 330, 17});
  check->SetCaption(caption);
  check->SetHint(hint);
  return check;
}

constexpr int kMaxLogDefault = 9999;

}  // namespace

void StoreRegistrySwitches(TOptions& options) {
  WriteRegistrySettings(options);
  ReadRegistrySettings(options);
}

TformOptions::TformOptions(TComponent* owner, TSwitchStore store)
    : TForm(owner), store_(std::move(store)) {
  BeginLoading();
  SetName("formOptions");
  SetCaption("Options");
  SetBorderStyle(TFormBorderStyle::bsDialog);
  SetPosition(TPosition::poScreenCenter);
  SetShowHint(true);
  SetClientSize(370, 250);

  PageControl1 = Control<TPageControl>(this, this, "PageControl1", {8, 8, 354, 200});
  tsGeneral = TabSheet(this, PageControl1, "tsGeneral", "General");
  cbMinimizeOnStart = CreateCheck(this, tsGeneral, "cbMinimizeOnStart", 12, "Minimize on start",
                                  "Minimize program window on start");
  cbStartup = CreateCheck(this, tsGeneral, "cbStartup", 36, "Launch on startup",
                          "Launch program on Windows startup");
  cbMinimizeOnClose = CreateCheck(
      this, tsGeneral, "cbMinimizeOnClose", 60, "Minimize on close",
      "Minimize program window on close. Select 'File/Exit' menu item to exit application");
  cbContextMenu = CreateCheck(this, tsGeneral, "cbContextMenu", 84, "Windows Explorer conext menu",
                              "Add menu items to the Windows Explorer context menu");
  cbAnimateIcon = CreateCheck(this, tsGeneral, "cbAnimateIcon", 108, "Animate icon in tray", "");
  cbShowScheduler = CreateCheck(this, tsGeneral, "cbShowScheduler", 132, "Show schedule",
                                "Show schedule for every profile");

  tsConfirmations = TabSheet(this, PageControl1, "tsConfirmations", "Confirmations");
  cbConfirmExit = CreateCheck(this, tsConfirmations, "cbConfirmExit", 12, "On program exit",
                              "Ask confirmation on exit");

  tsLog = TabSheet(this, PageControl1, "tsLog", "Log");
  lblLogLevel = TextLabel(this, tsLog, "lblLogLevel", "Log level:", {12, 16, 120, 13});
  cbLogLevel = Control<TComboBox>(this, tsLog, "cbLogLevel", {12, 34, 150, 21});
  cbLogLevel->SetStyle(TComboBoxStyle::csDropDownList);
  for (const char* level : {"None", "Short", "Verbose"}) cbLogLevel->Items().Add(level);
  lblMaxLog = TextLabel(this, tsLog, "lblMaxLog", "Maximum number of lines in log window:", {12, 68, 320, 13});
  seMaxLog = Control<TSpinEdit>(this, tsLog, "seMaxLog", {12, 86, 100, 21});
  seMaxLog->SetMinValue(1);
  seMaxLog->SetMaxValue(999999);
  seMaxLog->Increment = 10;
  seMaxLog->SetValue(kMaxLogDefault);

  // Kept in the window for a later use; it changes no setting and never shows.
  tsReserved = TabSheet(this, PageControl1, "tsReserved", "");

  btnOK = DialogButton(this, this, "btnOK", "OK", {206, 218, 75, 25}, mrOk);
  btnOK->SetDefault(true);
  btnCancel = DialogButton(this, this, "btnCancel", "Cancel", {287, 218, 75, 25}, mrCancel);
  btnCancel->SetCancel(true);
  SetActiveControl(btnOK);
  EndLoading();
}

void TformOptions::LoadFrom(const TOptions& options) {
  tsReserved->SetTabVisible(false);
  PageControl1->SetActivePage(tsGeneral);
  cbMinimizeOnStart->SetChecked(options.MinimizeOnStartup);
  cbStartup->SetChecked(options.Startup);
  cbMinimizeOnClose->SetChecked(options.MinimizeOnClose);
  cbContextMenu->SetChecked(options.ContextMenu);
  cbAnimateIcon->SetChecked(options.AnimateTray);
  cbShowScheduler->SetChecked(options.ShowSchedule);
  cbConfirmExit->SetChecked(options.ConfirmExit);
  cbLogLevel->SetItemIndex(options.LogLevel);
  seMaxLog->SetValue(options.LogMaxLines);
  shownMaxLines_ = seMaxLog->Value();
}

const std::vector<TformOptions::TWriteBackStep>& TformOptions::WriteBackSteps() {
  static const std::vector<TWriteBackStep> steps{
      {"MinimizeOnStartup",
       [](const TformOptions& f, TOptions& o) { o.MinimizeOnStartup = f.cbMinimizeOnStart->Checked(); }},
      {"MinimizeOnClose",
       [](const TformOptions& f, TOptions& o) { o.MinimizeOnClose = f.cbMinimizeOnClose->Checked(); }},
      {"AnimateTray",
       [](const TformOptions& f, TOptions& o) { o.AnimateTray = f.cbAnimateIcon->Checked(); }},
      {"Startup", [](const TformOptions& f, TOptions& o) { o.Startup = f.cbStartup->Checked(); }},
      {"ContextMenu",
       [](const TformOptions& f, TOptions& o) { o.ContextMenu = f.cbContextMenu->Checked(); }},
      {"ConfirmExit",
       [](const TformOptions& f, TOptions& o) { o.ConfirmExit = f.cbConfirmExit->Checked(); }},
      // A value the controls could not show is kept as it was unless the user chose another.
      {"LogLevel",
       [](const TformOptions& f, TOptions& o) {
         if (f.cbLogLevel->ItemIndex() >= 0) o.LogLevel = f.cbLogLevel->ItemIndex();
       }},
      {"LogMaxLines",
       [](const TformOptions& f, TOptions& o) {
         if (f.seMaxLog->Value() != f.shownMaxLines_) o.LogMaxLines = f.seMaxLog->Value();
       }},
      {"ShowSchedule",
       [](const TformOptions& f, TOptions& o) { o.ShowSchedule = f.cbShowScheduler->Checked(); }},
  };
  return steps;
}

void TformOptions::WriteBack(TOptions& options) const {
  for (const TWriteBackStep& step : WriteBackSteps()) step.Apply(*this, options);
}

bool TformOptions::CloseQuery() {
  if (!TForm::CloseQuery()) return false;
  return ModalResult() != mrOk || StoreSwitches();
}

bool TformOptions::StoreSwitches() {
  TOptions switches;
  switches.Startup = cbStartup->Checked();
  switches.ContextMenu = cbContextMenu->Checked();
  store_(switches);
  std::vector<std::string> notStored;
  for (auto [check, held] : {std::pair{cbStartup, switches.Startup},
                             std::pair{cbContextMenu, switches.ContextMenu}}) {
    if (check->Checked() == held) continue;
    notStored.push_back(check->Caption());
    check->SetChecked(held);
  }
  if (notStored.empty()) return true;
  Application().MessageBox(SwitchesNotStoredText(notStored), Application().Title(),
                           MB_OK | MB_ICONWARNING);
  return false;
}

std::string SwitchesNotStoredText(const std::vector<std::string>& captions) {
  std::string text = _("These settings could not be stored in the registry (administrator rights may be needed):");
  for (const std::string& caption : captions) text += "\r\n" + caption;
  return text;
}

bool ExecuteOptions(TOptions& options, const TSwitchStore& store) {
  auto form = MakeOwned<TformOptions>(nullptr, store);
  TranslateDialog(*form);
  form->LoadFrom(options);
  if (form->ShowModal() != mrOk) return false;
  form->WriteBack(options);
  return true;
}

bool ExecuteOptions(TOptions& options) { return ExecuteOptions(options, StoreRegistrySwitches); }

}  // namespace movra::app
