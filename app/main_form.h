#pragma once
// The main window: the profile list, the commands on it, the run queue, the scheduler, the tray
// icon and the log panel. The window's logic talks to the outside world (dialogs, settings,
// clock, executor threads) through TPalvexHost, so that tests can stand in for it, and to its
// menu bar, toolbar and panel layout through TPalvexChrome.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/folder_scan.h"
#include "profiles/executor.h"
#include "profiles/options.h"
#include "profiles/profile.h"
#include "profiles/settings.h"
#include "runtime/ui/actions.h"
#include "runtime/ui/comctrls.h"
#include "runtime/ui/dialogs.h"
#include "runtime/ui/extctrls.h"
#include "runtime/ui/forms.h"
#include "runtime/ui/menus.h"
#include "runtime/ui/notify_tray_icon.h"
#include "runtime/ui/simple_timer.h"
#include "runtime/ui/stdctrls.h"
#include "themes/skin_panels.h"
#include "themes/skin_status.h"

namespace movra::app {

inline constexpr char kApplicationTitle[] = "Movra File Defragmentor";
// Indexed by the Tag of the Language menu items.
inline constexpr const char* LanguageCodes[] = {"en_US", "ru_RU", "de_DE"};

// The user's answer when the settings cannot be saved at a close.
enum class TSaveFailureAnswer { TryAgain, ExitWithoutSaving, StayOpen };

// What the main window needs from outside itself. The defaults use the system; the dialogs are
// supplied by the program (main_host.h) or by a test.
class TPalvexHost {
 public:
  virtual ~TPalvexHost() = default;

  virtual std::string ConfigFile() const { return ConfigPath(); }
  // How far the file could be read, and the copy kept of a damaged one.
  virtual TConfigRead LoadSettings(const std::string& path, const TProfileSink& addProfile,
                                   TOptions& options) {
    return movra::LoadSettings(path, addProfile, options);
  }
  virtual void SaveSettings(const std::string& path, const std::vector<const TProfile*>& profiles,
                            const TOptions& options) {
    movra::SaveSettings(path, profiles, options);
  }
  virtual TDateTime Now() const { return movra::Now(); }
  // Starts a created executor's run; false when it will never run.
  virtual bool StartRun(TExecutor& executor) { return executor.Start(); }
  // An error box titled with the application title.
  virtual void ShowError(const std::string& text);
  // A Yes/No question titled with the application title; true for Yes.
  virtual bool Confirm(const std::string& text);
  // The program's error box with Try Again, Exit Without Saving and Cancel (stay open), titled
  // with the application title.
  virtual TSaveFailureAnswer AskSaveFailure(const std::string& text);
  // The open-file dialog; the chosen files in the dialog's order, none when cancelled.
  virtual std::vector<std::string> ChooseFiles(ui::TOpenDialog& dialog);

  virtual int ProfileProps(TProfile& profile) = 0;
  virtual bool Analysis(TFileRegionList& list) = 0;
  virtual bool Options(TOptions& options) = 0;
  virtual int Wizard(const std::vector<std::string>& existingNames,
                     std::vector<std::unique_ptr<TProfile>>& created) = 0;
  virtual void About(const std::string& product, const std::string& edition) = 0;
};

class TPalvexForm;

// The menu bar, toolbar, panels, status bar and the profile list's popup menu. Built inside the
// window's loading bracket, after the window's actions, images and tray menu exist and before
// the profile list and the log memo, which go into the panels it makes.
class TPalvexChrome {
 public:
  virtual ~TPalvexChrome() = default;
  // Shows or hides the log panel and checks its menu entry.
  virtual void ShowLog(bool visible) = 0;
  virtual bool LogVisible() const = 0;
  // Checks the Language entry of that Tag, unchecking the others.
  virtual void CheckLanguage(int tag) = 0;
  // The Tag of the checked Language entry, -1 for none.
  virtual int CheckedLanguage() const = 0;
  // After a resize of the window's client area.
  virtual void Resized(int clientWidth, int clientHeight) = 0;
};

// True once a main window was destroyed while a run was still going on: the program then ends
// its process without tearing down what the run may still use.
bool RunLeftAtExit();

using TPalvexChromeFactory = std::unique_ptr<TPalvexChrome> (*)(TPalvexForm& form);
// The themed chrome: the menu bar and toolbar on docks, the panels in a multi-dock and the
// themed status bar, in the OfficeXP theme.
std::unique_ptr<TPalvexChrome> CreateSkinChrome(TPalvexForm& form);

class TPalvexForm : public ui::TForm {
 public:
  static const ui::TClassInfo& Class() {
    static const ui::TClassInfo info{"TPalvexForm", &ui::TForm::Class()};
    return info;
  }
  const ui::TClassInfo& ClassType() const override { return Class(); }

  TPalvexForm(ui::TComponent* owner, std::unique_ptr<TPalvexHost> host,
              TPalvexChromeFactory chrome = CreateSkinChrome);
  ~TPalvexForm() override;

  // --- components the logic uses (owned by the window) ---
  ui::TActionList* ActionList = nullptr;
  ui::TAction* actProfileAdd = nullptr;
  ui::TAction* actProfileDelete = nullptr;
  ui::TAction* actProfileSelectAll = nullptr;
  ui::TAction* actProfileProps = nullptr;
  ui::TAction* actProfileRun = nullptr;
  ui::TAction* actProfileRunAll = nullptr;
  ui::TAction* actToolsDefragmentFile = nullptr;
  ui::TAction* actToolsWizard = nullptr;
  ui::TAction* actToolsAnalyze = nullptr;
  ui::TAction* actViewLog = nullptr;
  ui::TAction* actFileOptions = nullptr;
  ui::TAction* actFileExit = nullptr;
  ui::TAction* actHelpAbout = nullptr;
  ui::TImageList* imgIcons = nullptr;
  ui::TImageList* imgStates = nullptr;
  ui::TImageList* imgTray = nullptr;
  ui::TOpenDialog* odFile = nullptr;
  ui::TPopupMenu* popupTray = nullptr;
  ui::TMenuItem* popuptrayRun = nullptr;
  // Made by the chrome.
  ui::TPopupMenu* BarPopupMenu = nullptr;
  skin::TSkinMultiDock* SkinMultiDock = nullptr;
  skin::TSkinDockablePanel* pnlProfiles = nullptr;
  skin::TSkinDockablePanel* pnlLog = nullptr;
  skin::TSkinStatusBar* StatusBar1 = nullptr;
  ui::TListView* lvProfiles = nullptr;
  ui::TMemo* memoLog = nullptr;

  // --- operations other parts and tests use ---
  // A row for the profile; its texts are left empty when `fill` is false, for whoever fills
  // every row afterwards.
  void AddProfileItem(std::unique_ptr<TProfile> profile, bool fill = true);
  TProfile& ProfileOf(int row) const;
  int ProfileCount() const;
  void UpdateProfileItem(int row);
  void UpdateAllProfileItems();
  // The tray's Run submenu brought in step with the rows: "All Profiles", a line, every row.
  // Done when the tray menu opens, not after each change of the rows.
  void BuildTrayRunMenu();
  // "Today, t", "Tomorrow, t" or the short date and t.
  std::string FormatNextStart(TDateTime time) const;
  void RunProfile(TProfile& profile);
  void RunFile(const std::string& fileName, TRunMethod runMethod);
  void SchedulerTimer();
  void UpdateScheduleColumns();
  void UpdateLogWindow();
  void ApplyOptions();
  void SetLanguageByTag(int tag);
  void RestoreFromTray(ui::TObject* sender = nullptr);

  TOptions& Options() { return FOptions; }
  int QueueCount() const { return FQueueCount; }
  ui::TNotifyTrayIcon& TrayIcon() { return *FTrayIcon; }
  TPalvexHost& Host() { return *host_; }
  bool SessionEnding() const { return FSessionEnding; }
  // The window has agreed to close: no run starts any more.
  bool Closing() const { return closing_; }
  // A dialog of this window is open.
  bool ModalOpen() const { return modalOpen_; }
  // The exit command (menu and tray).
  void ExitProgram();
  bool CloseQuery() override;
  // Del and Ctrl+A belong to the profile list only while it has the focus: typed elsewhere,
  // they are that control's own keys and no command's.
  bool ListKeyElsewhere(uint16_t shortcut) const;
  bool IsShortCut(uint16_t shortcut) override;
  void WndProc(ui::TMessage& message) override;

  // The handlers of the chrome's own entries.
  void actViewLogExecute(ui::TObject* sender);
  void SetLanguage(ui::TObject* sender);

 protected:
  void Resize() override;

 private:
  void CreateComponents();
  // The profile list and the log memo, in the chrome's panels.
  void CreatePanelContents();
  void AddTrayRunItem(const std::string& caption, intptr_t tag);
  ui::TAction* NewAction(const char* name, const char* caption, const char* hint,
                         ui::TShortCut shortcut, int image, void (TPalvexForm::*execute)(ui::TObject*),
                         void (TPalvexForm::*update)(ui::TObject*));
  void LoadImages();
  void FormCreate(ui::TObject* sender);
  void FormDestroy(ui::TObject* sender);
  void AppMessage(ui::TMessage& message, bool& handled);
  void lvProfilesDblClick(ui::TObject* sender);
  void lvProfilesKeyDown(ui::TObject* sender, WORD& key, ui::TShiftState shift);
  void SchedulerTick(ui::TSimpleTimer* timer);
  void TrayRunItemClick(ui::TObject* sender);
  void popupTrayPopup(ui::TObject* sender);

  void actProfileAddExecute(ui::TObject*);
  void actProfileDeleteExecute(ui::TObject*);
  void actProfileDeleteUpdate(ui::TObject*);
  void actProfileSelectAllExecute(ui::TObject*);
  void actProfilePropsExecute(ui::TObject*);
  void actProfilePropsUpdate(ui::TObject*);
  void actProfileRunExecute(ui::TObject*);
  void actProfileRunUpdate(ui::TObject*);
  void actProfileRunAllExecute(ui::TObject*);
  void actProfileRunAllUpdate(ui::TObject*);
  void actToolsDefragmentFileExecute(ui::TObject*);
  void actToolsWizardExecute(ui::TObject*);
  void actToolsAnalyzeExecute(ui::TObject*);
  void actFileOptionsExecute(ui::TObject*);
  void actFileExitExecute(ui::TObject*);
  void actHelpAboutExecute(ui::TObject*);

  // Runs on the executor's thread: hands `call` to the user-interface thread, where it runs in
  // the order the calls were made, and only while the window exists.
  void HandOver(std::function<void()> call);
  // False when the run cannot start; the failure is then logged and shown, and the queue count
  // given back. `what` names the run in the message.
  bool StartExecutor(const std::shared_ptr<TExecutor>& executor, const std::string& what);
  void ProfileStarted(int32_t id, const std::string& name);
  void ProfileFinished(int32_t id);
  void FileStarted(const std::string& fileName);
  void FileFinished();
  void RunEnded();
  void SetProfileState(int32_t id, TProfileRunState state);
  void SetQueueCount(int n);
  void RefreshQueueLabel();
  void AnimateTrayIcon(bool on);
  void CheckLanguageItem();
  void SwitchToLanguage();
  void SaveAll();
  // The save of a close, asking while it fails whether to try again, to exit without saving
  // (`discarded` set) or to stay open; false for the last, and the close is then refused with
  // everything as it was.
  bool SaveBeforeClose(bool& discarded);
  // Shows one modal dialog through `show` with this window disabled, hidden or not; false (and
  // nothing shown) while another one is open.
  bool Modal(const std::function<void()>& show);
  void CancelQueuedRuns();

  std::unique_ptr<TPalvexHost> host_;
  // The rows' profiles; each row's Data points at one of them.
  std::vector<std::unique_ptr<TProfile>> profiles_;
  std::weak_ptr<void> alive_;
  std::unique_ptr<TPalvexChrome> chrome_;
  bool FSessionEnding = false;
  bool FClosingViaExit = false;
  TOptions FOptions;
  std::unique_ptr<ui::TSimpleTimer> FSchedulerTimer;
  ui::TNotifyTrayIcon* FTrayIcon = nullptr;
  int FQueueCount = 0;
  std::unique_ptr<TRunLock> FRunLock;
  std::string configPath_;
  // Executors handed out, so that a close can cancel those whose start has not come.
  struct TRun {
    std::weak_ptr<TExecutor> Executor;
    const TExecutor* Key;  // compared only: the executor may be gone
    bool Started = false;
  };
  std::vector<TRun> runs_;
  void MarkStarted(const TExecutor* key);
  int running_ = 0;  // runs that have started and not yet finished
  bool closing_ = false;
  bool modalOpen_ = false;
  // The close that destroys the window saved the settings or the user gave them up: the
  // destruction leaves them alone. Set only where nothing can change before the window goes.
  bool settledAtClose_ = false;
  // The user gave the settings up when asked whether the session may end: its end leaves them.
  bool discardAtSessionEnd_ = false;
};

}  // namespace movra::app
