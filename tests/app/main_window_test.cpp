// The main window's logic with a host that stands in for the dialogs, the settings file, the
// clock and the executor threads: runs are never started for real; the tests call the
// executors' callbacks themselves, from threads of their own, in the order they choose.
#include <gtest/gtest.h>

#include <cmath>
#include <thread>

#include "app/main_form.h"
#include "support.h"
#include "themes/skin_items.h"
#include "themes/skin_popups.h"
#include "themes/skin_switcher.h"
#include "themes/skin_themes.h"
#include "themes/skin_toolpals.h"
#include "themes/skin_windows.h"
#include "toolbars/bar_dock.h"
#include "toolbars/bar_popup.h"
#include "toolbars/bar_toolbar.h"
#include "i18n/localizer.h"
#include "runtime/exception.h"
#include "runtime/text.h"
#include "tests/runtime/ui/ui_test_support.h"

namespace movra::app {
namespace {

using namespace movra::ui;
using ui::test::PumpUntil;
using ui::test::Pump;

struct FakeHost : TPalvexHost {
  std::vector<std::unique_ptr<TProfile>> seed;
  TOptions seedOptions;
  TConfigRead seedRead;
  TDateTime now = 0;
  std::vector<std::shared_ptr<TExecutor>> started;
  bool confirmAnswer = true;
  std::vector<std::string> questions;
  int propsCalls = 0;
  int propsResult = mrCancel;
  std::string propsName;  // typed into the dialog as the profile's name, when not empty
  int saves = 0;
  std::vector<std::string> savedNames;
  bool savedShowLog = true;

  std::string ConfigFile() const override { return "unused.cfg"; }
  TConfigRead LoadSettings(const std::string&, const TProfileSink& addProfile,
                           TOptions& options) override {
    options = seedOptions;
    for (auto& profile : seed) addProfile(std::move(profile));
    seed.clear();
    return seedRead;
  }
  std::string saveFailure;  // raised by every save while not empty
  void SaveSettings(const std::string&, const std::vector<const TProfile*>& profiles,
                    const TOptions& options) override {
    ++saves;
    if (!saveFailure.empty()) throw Exception(saveFailure);
    savedShowLog = options.ShowLogWindow;
    savedNames.clear();
    for (const TProfile* profile : profiles) savedNames.push_back(profile->Name());
  }
  TDateTime Now() const override { return now; }
  // 0 starts; 1 reports that the run will never run; 2 fails as a thread that cannot be made.
  int startFailure = 0;
  std::vector<std::string> errors;
  bool StartRun(TExecutor& executor) override {
    if (startFailure == 2) throw std::runtime_error("no thread");
    if (startFailure == 1) return false;
    started.push_back(executor.shared_from_this());
    return true;
  }
  void ShowError(const std::string& text) override { errors.push_back(text); }
  bool Confirm(const std::string& text) override {
    questions.push_back(text);
    return confirmAnswer;
  }
  std::vector<TSaveFailureAnswer> failureAnswers;  // taken in order; stay open once they run out
  std::vector<std::string> failureQuestions;
  TSaveFailureAnswer AskSaveFailure(const std::string& text) override {
    failureQuestions.push_back(text);
    if (failureQuestions.size() > failureAnswers.size()) return TSaveFailureAnswer::StayOpen;
    return failureAnswers[failureQuestions.size() - 1];
  }
  // Called inside every dialog with the dialog's name, while it is open.
  std::function<void(const std::string&)> inDialog;
  std::vector<std::string> dialogs;
  void Opened(const std::string& name) {
    dialogs.push_back(name);
    if (inDialog) inDialog(name);
  }
  std::vector<std::string> ChooseFiles(TOpenDialog&) override {
    Opened("files");
    return {};
  }
  int ProfileProps(TProfile& profile) override {
    ++propsCalls;
    Opened("props");
    if (!propsName.empty()) profile.SetName(propsName);
    return propsResult;
  }
  bool Analysis(TFileRegionList&) override { return false; }
  std::function<void(TOptions&)> optionsEdit;  // the user's changes, then OK; none: Cancel
  bool Options(TOptions& options) override {
    Opened("options");
    if (!optionsEdit) return false;
    optionsEdit(options);
    return true;
  }
  std::vector<std::string> wizardNames;  // the profiles the wizard makes
  int Wizard(const std::vector<std::string>&,
             std::vector<std::unique_ptr<TProfile>>& created) override {
    for (const std::string& name : wizardNames) {
      created.push_back(std::make_unique<TProfile>());
      created.back()->SetName(name);
    }
    return created.empty() ? mrCancel : mrOk;
  }
  void About(const std::string&, const std::string&) override { Opened("about"); }
};

// What the window owns: hands every call on to a host the test keeps, so that the test can
// look at it after the window has gone.
struct ProxyHost : TPalvexHost {
  explicit ProxyHost(TPalvexHost& target) : target(target) {}
  TPalvexHost& target;
  std::string ConfigFile() const override { return target.ConfigFile(); }
  TConfigRead LoadSettings(const std::string& path, const TProfileSink& add,
                           TOptions& options) override {
    return target.LoadSettings(path, add, options);
  }
  void SaveSettings(const std::string& path, const std::vector<const TProfile*>& profiles,
                    const TOptions& options) override {
    target.SaveSettings(path, profiles, options);
  }
  TDateTime Now() const override { return target.Now(); }
  bool StartRun(TExecutor& executor) override { return target.StartRun(executor); }
  bool Confirm(const std::string& text) override { return target.Confirm(text); }
  TSaveFailureAnswer AskSaveFailure(const std::string& text) override {
    return target.AskSaveFailure(text);
  }
  void ShowError(const std::string& text) override { target.ShowError(text); }
  std::vector<std::string> ChooseFiles(TOpenDialog& dialog) override {
    return target.ChooseFiles(dialog);
  }
  int ProfileProps(TProfile& profile) override { return target.ProfileProps(profile); }
  bool Analysis(TFileRegionList& list) override { return target.Analysis(list); }
  bool Options(TOptions& options) override { return target.Options(options); }
  int Wizard(const std::vector<std::string>& names,
             std::vector<std::unique_ptr<TProfile>>& created) override {
    return target.Wizard(names, created);
  }
  void About(const std::string& product, const std::string& edition) override {
    target.About(product, edition);
  }
};

std::unique_ptr<TProfile> MakeProfile(const std::string& name, int files = 0) {
  auto profile = std::make_unique<TProfile>();
  profile->SetName(name);
  for (int i = 0; i < files; ++i) profile->Files().Add("C:\\data\\file" + std::to_string(i) + ".dat");
  return profile;
}

std::string LocaleTime(TDateTime value) {
  SYSTEMTIME time = DateTimeToSystemTime(value);
  wchar_t text[80] = {};
  GetTimeFormatEx(LOCALE_NAME_USER_DEFAULT, TIME_NOSECONDS, &time, nullptr, text, 80);
  return WideToUtf8(text);
}

std::string LocaleDate(TDateTime value) {
  SYSTEMTIME time = DateTimeToSystemTime(value);
  wchar_t text[80] = {};
  GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_SHORTDATE, &time, nullptr, text, 80, nullptr);
  return WideToUtf8(text);
}

// Today at 8:00, so that schedules fall on today, tomorrow or later without crossing midnight.
TDateTime MorningToday() { return std::floor(movra::Now()) + 8.0 / 24; }

// Today's weekday as a profile's day index (0 Monday).
int TodayIndex(TDateTime day) {
  return (DateTimeToSystemTime(day).wDayOfWeek + 6) % 7;
}

class MainWindow : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { StartLocalization(); }
  static void TearDownTestSuite() { StopLocalization(); }

  void SetUp() override {
    host->now = MorningToday();
    host->seedOptions.Language = "en_US";
  }
  // The log panel's lines wait for the user-interface thread: let them in before the window
  // goes, as the program's message loop would.
  void TearDown() override {
    Settle();
    form.reset();
  }

  void Seed(std::unique_ptr<TProfile> profile) { host->seed.push_back(std::move(profile)); }
  void Create() { form.reset(new TPalvexForm(nullptr, std::make_unique<ProxyHost>(fake), chrome)); }
  template <class T>
  T* Find(const char* name) {
    return dynamic_cast<T*>(form->FindComponent(name));
  }

  std::string Cell(int row, int sub) { return form->lvProfiles->Items()[row]->SubItems()[sub]; }
  std::string Panel(int index) { return form->StatusBar1->Panels()[index]->Caption(); }
  int StateImage(int row) { return form->lvProfiles->Items()[row]->StateIndex(); }

  // Calls an executor's callback on a thread of its own, as the executor would.
  static void CallFromThread(const TExecutor::TCallback& callback, TExecutor& executor) {
    std::thread([&] { callback(executor); }).join();
  }
  void Started(size_t index) { CallFromThread(host->started.at(index)->OnStart, *host->started.at(index)); }
  void Finished(size_t index) { CallFromThread(host->started.at(index)->OnFinish, *host->started.at(index)); }
  // Lets the user-interface thread apply what the callbacks handed over.
  void Settle() { PumpUntil([] { return false; }, 100); }

  FakeHost fake;
  FakeHost* host = &fake;
  TPalvexChromeFactory chrome = CreateSkinChrome;
  TOwned<TPalvexForm> form;
};

TEST_F(MainWindow, FilesColumnForNoneOneAndSeveralEntries) {
  Seed(MakeProfile("none", 0));
  Seed(MakeProfile("one", 1));
  Seed(MakeProfile("five", 5));
  Create();
  ASSERT_EQ(form->ProfileCount(), 3);
  EXPECT_EQ(form->lvProfiles->Items()[0]->Caption(), "none");
  EXPECT_EQ(Cell(0, 0), "");
  EXPECT_EQ(Cell(1, 0), "C:\\data\\file0.dat");
  EXPECT_EQ(Cell(2, 0), "5 files");
}

TEST_F(MainWindow, ScheduleTextsForManualTodayTomorrowAndLater) {
  const TDateTime now = host->now;
  const int today = TodayIndex(now);
  auto manual = MakeProfile("manual");
  manual->SetStart(TimeOfDay(10, 0));
  for (int day = 0; day < TProfile::kDays; ++day) manual->SetDay(day, true);
  manual->ComputeNextRun(now);
  auto later = [&](const char* name, int hour, std::vector<int> days) {
    auto profile = MakeProfile(name);
    profile->SetSchedulerActive(true);
    profile->SetStart(TimeOfDay(hour, 30));
    for (int day : days) profile->SetDay(day, true);
    profile->ComputeNextRun(now);
    return profile;
  };
  Seed(std::move(manual));
  Seed(later("today", 10, {today}));
  Seed(later("tomorrow", 7, {(today + 1) % 7}));
  Seed(later("next week", 7, {today}));
  Create();

  EXPECT_EQ(Cell(0, 1), "manually");
  EXPECT_EQ(Cell(0, 2), "");
  for (int day = 0; day < TProfile::kDays; ++day) EXPECT_EQ(Cell(0, 3 + day), "") << day;

  const double day0 = std::floor(now);
  EXPECT_EQ(Cell(1, 1), LocaleTime(TimeOfDay(10, 30)));
  EXPECT_EQ(Cell(1, 2), "Today, " + LocaleTime(day0 + TimeOfDay(10, 30)));
  EXPECT_EQ(Cell(1, 3 + today), "+");
  EXPECT_EQ(Cell(1, 3 + (today + 1) % 7), "");
  EXPECT_EQ(Cell(2, 2), "Tomorrow, " + LocaleTime(day0 + 1 + TimeOfDay(7, 30)));
  const TDateTime nextWeek = day0 + 7 + TimeOfDay(7, 30);
  EXPECT_EQ(Cell(3, 2), LocaleDate(nextWeek) + ", " + LocaleTime(nextWeek));
}

TEST_F(MainWindow, DayColumnsFollowShowSchedule) {
  Create();
  TListColumns& columns = form->lvProfiles->Columns();
  ASSERT_EQ(columns.Count(), 11);
  EXPECT_EQ(columns[0]->Caption(), "   Name");
  EXPECT_EQ(columns[4]->Caption(), "Mon");
  EXPECT_EQ(columns[10]->Caption(), "Sun");
  EXPECT_EQ(columns[7]->Width(), 38);

  form->Options().ShowSchedule = false;
  form->ApplyOptions();
  EXPECT_EQ(columns.Count(), 4);
  form->ApplyOptions();
  EXPECT_EQ(columns.Count(), 4);

  form->Options().ShowSchedule = true;
  form->ApplyOptions();
  ASSERT_EQ(columns.Count(), 11);
  EXPECT_EQ(columns[5]->Caption(), "Tue");
}

TEST_F(MainWindow, UpdateRulesFollowSelectionAndRunStates) {
  Seed(MakeProfile("a"));
  Seed(MakeProfile("b"));
  Create();
  auto enabled = [](TAction* action) {
    action->Update();
    return action->Enabled();
  };
  TListView& list = *form->lvProfiles;
  EXPECT_FALSE(enabled(form->actProfileDelete));
  EXPECT_FALSE(enabled(form->actProfileProps));
  EXPECT_FALSE(enabled(form->actProfileRun));
  EXPECT_TRUE(enabled(form->actProfileRunAll));

  list.SetIndexSelected(0, true);
  EXPECT_TRUE(enabled(form->actProfileDelete));
  EXPECT_TRUE(enabled(form->actProfileProps));
  EXPECT_TRUE(enabled(form->actProfileRun));

  list.SetIndexSelected(1, true);
  EXPECT_FALSE(enabled(form->actProfileProps)) << "Properties needs exactly one row";

  form->RunProfile(form->ProfileOf(0));
  EXPECT_TRUE(enabled(form->actProfileRun)) << "b is still idle";
  form->RunProfile(form->ProfileOf(1));
  EXPECT_FALSE(enabled(form->actProfileRun));
  EXPECT_FALSE(enabled(form->actProfileRunAll));
}

TEST_F(MainWindow, QueueCountsUntilEachRunTakesTheLock) {
  Seed(MakeProfile("first"));
  Seed(MakeProfile("second"));
  Create();
  EXPECT_EQ(Panel(1), "In queue: 0 profile(s)");
  form->actProfileRunAll->Execute();
  ASSERT_EQ(host->started.size(), 2u);
  EXPECT_EQ(form->QueueCount(), 2);
  EXPECT_EQ(Panel(1), "In queue: 2 profile(s)");
  EXPECT_EQ(StateImage(0), 0);
  EXPECT_EQ(form->ProfileOf(1).RunState(), TProfileRunState::Queued);

  // Starting a queued profile again changes nothing.
  form->RunProfile(form->ProfileOf(0));
  form->actProfileRunAll->Execute();
  EXPECT_EQ(host->started.size(), 2u);
  EXPECT_EQ(form->QueueCount(), 2);

  // The second gets the lock first: there is no first-come order.
  Started(1);
  Settle();
  EXPECT_EQ(form->QueueCount(), 1);
  EXPECT_EQ(form->ProfileOf(1).RunState(), TProfileRunState::Running);
  EXPECT_EQ(StateImage(1), 1);
  EXPECT_EQ(Panel(0), "Defragmenting profile 'second' ...");

  Finished(1);
  Started(0);
  Settle();
  EXPECT_EQ(form->ProfileOf(1).RunState(), TProfileRunState::Idle);
  EXPECT_EQ(StateImage(1), -1);
  EXPECT_EQ(form->ProfileOf(0).RunState(), TProfileRunState::Running);
  EXPECT_EQ(Panel(1), "In queue: 0 profile(s)");
  EXPECT_EQ(Panel(0), "Defragmenting profile 'first' ...");
}

TEST_F(MainWindow, CallbacksApplyInTheOrderTheyWereMade) {
  Seed(MakeProfile("quick"));
  Create();
  form->RunProfile(form->ProfileOf(0));
  // Start and end handed over before the window had a chance to apply either.
  TExecutor& executor = *host->started.at(0);
  std::thread([&] {
    executor.OnStart(executor);
    executor.OnFinish(executor);
  }).join();
  Settle();
  EXPECT_EQ(form->ProfileOf(0).RunState(), TProfileRunState::Idle);
  EXPECT_EQ(form->QueueCount(), 0);
  EXPECT_EQ(Panel(0), "");
}

TEST_F(MainWindow, RunsOfDeletedProfilesAndFilesReportWithoutRows) {
  Seed(MakeProfile("doomed"));
  Create();
  form->lvProfiles->SetIndexSelected(0, true);
  form->RunProfile(form->ProfileOf(0));
  form->actProfileDelete->Execute();
  ASSERT_EQ(host->questions.size(), 1u);
  EXPECT_EQ(host->questions[0], "Deleting profiles can't be undone!\r\nDo you wish to proceed?");
  EXPECT_EQ(form->ProfileCount(), 0);
  Started(0);
  Settle();
  EXPECT_EQ(Panel(0), "Defragmenting profile 'doomed' ...");
  Finished(0);
  form->RunFile("C:\\one.dat", TRunMethod::StartOfDisk);
  EXPECT_EQ(form->QueueCount(), 1);
  EXPECT_EQ(host->started.at(1)->Profile().RunMethod(), TRunMethod::StartOfDisk);
  Started(1);
  Settle();
  EXPECT_EQ(Panel(0), "Defragmenting file 'C:\\one.dat' ...");
  EXPECT_EQ(form->QueueCount(), 0);
  Finished(1);
  Settle();
  EXPECT_EQ(Panel(0), "");
}

TEST_F(MainWindow, TrayAnimationStopsAtTheEndOfEveryRun) {
  Seed(MakeProfile("a"));
  Seed(MakeProfile("b"));
  Create();
  form->actProfileRunAll->Execute();
  Started(0);
  Settle();
  EXPECT_TRUE(form->TrayIcon().CycleIcons());
  // Switched off in the options during the run: the run's end still stops the cycling.
  form->Options().AnimateTray = false;
  Finished(0);
  Settle();
  EXPECT_FALSE(form->TrayIcon().CycleIcons());
  Started(1);
  Settle();
  EXPECT_FALSE(form->TrayIcon().CycleIcons());
}

TEST_F(MainWindow, SchedulerRunsDueProfilesOnceAndMovesTheirNextStart) {
  auto due = MakeProfile("due");
  due->SetSchedulerActive(true);
  due->SetStart(TimeOfDay(9, 0));
  for (int day = 0; day < TProfile::kDays; ++day) due->SetDay(day, true);
  due->ComputeNextRun(host->now);  // today 9:00
  auto manual = MakeProfile("manual");
  manual->SetStart(TimeOfDay(9, 0));
  for (int day = 0; day < TProfile::kDays; ++day) manual->SetDay(day, true);
  manual->ComputeNextRun(host->now);
  Seed(std::move(due));
  Seed(std::move(manual));
  Create();

  form->SchedulerTimer();
  EXPECT_TRUE(host->started.empty()) << "not due yet";

  host->now += 1.5 / 24;  // 9:30
  form->SchedulerTimer();
  ASSERT_EQ(host->started.size(), 1u);
  EXPECT_EQ(host->started[0]->Profile().Name(), "due");
  EXPECT_GT(form->ProfileOf(0).NextRun(), host->now);
  EXPECT_EQ(Cell(0, 2), "Tomorrow, " + LocaleTime(std::floor(host->now) + 1 + TimeOfDay(9, 0)));
  form->SchedulerTimer();
  EXPECT_EQ(host->started.size(), 1u);
}

TEST_F(MainWindow, ClosingRules) {
  Create();
  TOptions& options = form->Options();
  options.MinimizeOnClose = true;
  options.ConfirmExit = true;
  EXPECT_FALSE(form->CloseQuery()) << "the close button minimises";
  EXPECT_TRUE(host->questions.empty());

  host->confirmAnswer = false;
  form->ExitProgram();
  ASSERT_EQ(host->questions.size(), 1u) << "Exit asks even with MinimizeOnClose";
  EXPECT_EQ(host->questions[0],
            "Scheduled tasks will not be executed after exit.\r\nDo you want to exit?");

  options.MinimizeOnClose = false;
  EXPECT_FALSE(form->CloseQuery());
  host->confirmAnswer = true;
  EXPECT_TRUE(form->CloseQuery());
  options.ConfirmExit = false;
  host->questions.clear();
  EXPECT_TRUE(form->CloseQuery());
  EXPECT_TRUE(host->questions.empty());
}

TEST_F(MainWindow, SessionEndClosesWithoutQuestionUntilCancelled) {
  Create();
  form->Options().MinimizeOnClose = true;
  form->Perform(WM_QUERYENDSESSION, 0, 0);
  EXPECT_TRUE(form->SessionEnding());
  EXPECT_TRUE(form->CloseQuery());
  EXPECT_TRUE(host->questions.empty());

  form->Perform(WM_ENDSESSION, FALSE, 0);
  EXPECT_FALSE(form->SessionEnding());
  EXPECT_FALSE(form->CloseQuery()) << "the close button minimises again";

  // Saved when asked, but the end never comes: what changes later is saved when the window goes.
  const int saves = host->saves;
  EXPECT_EQ(form->Perform(WM_QUERYENDSESSION, 0, 0), TRUE);
  EXPECT_EQ(host->saves, saves + 1);
  form->AddProfileItem(MakeProfile("later"));
  EXPECT_TRUE(form->CloseQuery());
  form.reset();
  EXPECT_EQ(host->saves, saves + 2);
  EXPECT_EQ(host->savedNames, std::vector<std::string>{"later"});

  // Given up for a session end that does not come, the settings are asked about again at the
  // next; given up for one that comes, neither its end nor the destruction saves them.
  Create();
  host->saveFailure = "Access denied.";
  host->failureAnswers = {TSaveFailureAnswer::ExitWithoutSaving,
                          TSaveFailureAnswer::ExitWithoutSaving};
  EXPECT_EQ(form->Perform(WM_QUERYENDSESSION, 0, 0), TRUE);
  form->Perform(WM_ENDSESSION, FALSE, 0);
  EXPECT_EQ(form->Perform(WM_QUERYENDSESSION, 0, 0), TRUE);
  EXPECT_EQ(host->failureQuestions.size(), 2u);
  form->Perform(WM_ENDSESSION, TRUE, 0);
  form.reset();
  EXPECT_EQ(host->saves, saves + 4);
}

// A close whose save fails asks before anything goes: Try Again saves again, Cancel keeps the
// window as it was, Exit Without Saving closes it without saving. Options chosen with OK hold
// even when they cannot be saved.
TEST_F(MainWindow, AFailingSaveAsksBeforeClosingAndOptionsStayInForce) {
  Seed(MakeProfile("kept"));
  Create();
  form->Options().ConfirmExit = false;
  host->saveFailure = "Cannot replace unused.cfg: Access denied.";
  host->failureAnswers = {TSaveFailureAnswer::TryAgain, TSaveFailureAnswer::StayOpen,
                          TSaveFailureAnswer::StayOpen};
  form->ExitProgram();
  EXPECT_FALSE(form->Closing());
  EXPECT_EQ(host->saves, 2) << "saved, then tried again";
  ASSERT_EQ(host->failureQuestions.size(), 2u);
  EXPECT_EQ(host->failureQuestions[0],
            "The settings cannot be saved: Cannot replace unused.cfg: Access denied.\r\n\r\n"
            "Try Again tries to save again; Exit Without Saving ends the program, and the "
            "unsaved changes are lost; Cancel keeps the program open with everything as it is.");
  EXPECT_EQ(form->ProfileCount(), 1);

  // A session end asks the same and is refused on Cancel; one the system will not wait for is not.
  EXPECT_EQ(form->Perform(WM_QUERYENDSESSION, 0, 0), FALSE);
  EXPECT_FALSE(form->SessionEnding());
  EXPECT_EQ(form->Perform(WM_QUERYENDSESSION, 0, ENDSESSION_CRITICAL), TRUE);
  EXPECT_EQ(host->failureQuestions.size(), 3u);
  form->Perform(WM_ENDSESSION, FALSE, 0);

  host->optionsEdit = [](TOptions& options) { options.ShowSchedule = false; };
  form->actFileOptions->Execute();
  EXPECT_EQ(form->lvProfiles->Columns().Count(), 4) << "the new options are applied";
  ASSERT_EQ(host->errors.size(), 1u);
  EXPECT_EQ(host->errors[0], "The new options are in force, but they cannot be saved: Cannot "
                             "replace unused.cfg: Access denied.");

  host->failureAnswers.push_back(TSaveFailureAnswer::ExitWithoutSaving);
  const int saves = host->saves;
  form->ExitProgram();
  EXPECT_TRUE(form->Closing());
  form.reset();
  EXPECT_EQ(host->saves, saves + 1) << "the destruction does not save again";
}

TEST_F(MainWindow, ExitDropsQueuedRunsAndDoesNotWaitForTheRunningOne) {
  Seed(MakeProfile("running"));
  Seed(MakeProfile("waiting"));
  Create();
  form->Options().ConfirmExit = true;
  form->Show();
  form->actProfileRunAll->Execute();
  Started(0);
  Settle();

  host->confirmAnswer = false;
  form->ExitProgram();
  EXPECT_FALSE(form->Closing()) << "No keeps the window and its runs";
  EXPECT_EQ(form->QueueCount(), 1);

  host->confirmAnswer = true;
  const int saves = host->saves;
  EXPECT_TRUE(form->CloseQuery()) << "a running profile does not hold the window";
  EXPECT_TRUE(form->Closing());
  EXPECT_EQ(form->QueueCount(), 0);
  EXPECT_EQ(form->ProfileOf(1).RunState(), TProfileRunState::Idle);
  EXPECT_FALSE(host->started[1]->Start()) << "the waiting run was cancelled: it never runs";
  form->RunProfile(form->ProfileOf(1));
  EXPECT_EQ(host->started.size(), 2u) << "no new runs while closing";

  // The settings are saved at the close, with the run still under way, and not again as the
  // window goes.
  Settle();
  form.reset();
  EXPECT_EQ(host->saves, saves + 1);
  EXPECT_EQ(host->savedNames, (std::vector<std::string>{"running", "waiting"}));
}

TEST_F(MainWindow, ARunThatCannotStartLeavesNothingQueued) {
  Seed(MakeProfile("refused"));
  Seed(MakeProfile("no thread"));
  Create();
  form->Show();
  for (int failure : {1, 2}) {
    host->startFailure = failure;
    const int row = failure - 1;
    form->RunProfile(form->ProfileOf(row));
    EXPECT_EQ(form->ProfileOf(row).RunState(), TProfileRunState::Idle) << failure;
    EXPECT_EQ(StateImage(row), -1);
    EXPECT_EQ(form->QueueCount(), 0);
    EXPECT_EQ(Panel(1), "In queue: 0 profile(s)");
    ASSERT_EQ(host->errors.size(), static_cast<size_t>(failure));
    EXPECT_NE(host->errors.back().find("'" + form->ProfileOf(row).Name() + "'"), std::string::npos)
        << host->errors.back();
  }
  EXPECT_NE(host->errors[1].find("no thread"), std::string::npos);
  form->RunFile("C:\\x.bin", TRunMethod::StartOfDisk);
  EXPECT_EQ(form->QueueCount(), 0);
  ASSERT_EQ(host->errors.size(), 3u);

  // Run is on again for the rows, and a close does not wait for anything.
  host->startFailure = 0;
  form->lvProfiles->Items()[0]->SetSelected(true);
  form->actProfileRun->Update();
  EXPECT_TRUE(form->actProfileRun->Enabled());
  form->Options().ConfirmExit = false;
  EXPECT_TRUE(form->CloseQuery());
}

// Dialogs opened from the tray come up while the main window is hidden.
TEST_F(MainWindow, OneDialogAtATimeWithTheHiddenWindowDisabled) {
  Create();
  form->HandleNeeded();
  ASSERT_FALSE(form->Visible());
  const HWND window = form->Handle();
  std::vector<std::string> nested;
  host->inDialog = [&](const std::string& name) {
    EXPECT_FALSE(IsWindowEnabled(window)) << name;
    EXPECT_TRUE(form->ModalOpen());
    // Restored from the tray meanwhile: the window's commands open nothing more, and it does
    // not close under the dialog.
    const size_t before = host->dialogs.size();
    form->actFileOptions->Execute();
    form->actHelpAbout->Execute();
    form->actToolsDefragmentFile->Execute();
    form->actProfileAdd->Execute();
    form->Options().ConfirmExit = false;
    EXPECT_FALSE(form->CloseQuery());
    if (host->dialogs.size() != before) nested.push_back(name);
  };
  form->actFileOptions->Execute();
  form->actHelpAbout->Execute();
  form->actToolsDefragmentFile->Execute();
  form->actProfileAdd->Execute();
  EXPECT_EQ(host->dialogs, (std::vector<std::string>{"options", "about", "files", "props"}));
  EXPECT_TRUE(nested.empty());
  EXPECT_TRUE(IsWindowEnabled(window));
  EXPECT_FALSE(form->ModalOpen());

  // A dialog that fails still gives the window back.
  host->inDialog = [](const std::string&) { throw std::runtime_error("dialog failed"); };
  EXPECT_THROW(form->actFileOptions->Execute(), std::runtime_error);
  EXPECT_TRUE(IsWindowEnabled(window));
  EXPECT_FALSE(form->ModalOpen());
}

TEST_F(MainWindow, LanguageSwitchRetranslatesMenusColumnsAndStatus) {
  Seed(MakeProfile("p", 3));
  Create();
  auto* file = Find<bars::TBarCustomItem>("mnuFile");
  auto* english = Find<bars::TBarCustomItem>("mnuEnglish");
  auto* deutsch = Find<bars::TBarCustomItem>("mnuDeutsch");
  ASSERT_TRUE(file && english && deutsch);
  EXPECT_TRUE(english->Checked());

  form->SetLanguageByTag(2);
  EXPECT_EQ(form->Options().Language, "de_DE");
  EXPECT_TRUE(deutsch->Checked());
  EXPECT_FALSE(english->Checked());
  EXPECT_EQ(file->Caption(), "&Datei");
  EXPECT_EQ(form->lvProfiles->Columns()[4]->Caption(), "Mo");
  EXPECT_EQ(Cell(0, 0), "3 Dateien");
  EXPECT_EQ(Panel(1), "In der Warteschlange: 0 Profil(e)");
  form->popupTray->PrepareToShow();
  EXPECT_EQ(form->popuptrayRun->Items(0)->Caption(), "Alle Profile");
  EXPECT_EQ(deutsch->Caption(), "Deutsch");
  // Labels read together with what stands beside them.
  EXPECT_EQ(_("Move files to the") + " " + _("start of disk"),
            "Dateien verschieben zum Anfang des Datenträgers");
  EXPECT_EQ(_("Move files to the") + " " + _("end of disk"),
            "Dateien verschieben zum Ende des Datenträgers");
  EXPECT_EQ(_("Special thanks:") + " " + _("The translators of the Russian and German texts."),
            "Besonderer Dank gilt: Den Übersetzern der russischen und deutschen Texte.");

  form->SetLanguageByTag(0);
  EXPECT_EQ(file->Caption(), "&File");
  EXPECT_EQ(form->lvProfiles->Columns()[4]->Caption(), "Mon");
}

TEST_F(MainWindow, UnknownLanguageBecomesEnglish) {
  host->seedOptions.Language = "de_de";
  Create();
  EXPECT_EQ(form->Options().Language, "en_US");
  EXPECT_TRUE(Find<bars::TBarCustomItem>("mnuEnglish")->Checked());
}

TEST_F(MainWindow, TrayRunMenuStartsTheProfileEachItemNames) {
  Seed(MakeProfile("a"));
  Seed(MakeProfile("b"));
  Seed(MakeProfile("c"));
  Create();
  form->lvProfiles->SetIndexSelected(0, true);
  form->actProfileDelete->Execute();
  form->popupTray->PrepareToShow();
  TMenuItem* run = form->popuptrayRun;
  ASSERT_EQ(run->Count(), 4);
  EXPECT_EQ(run->Items(0)->Caption(), "All Profiles");
  EXPECT_TRUE(run->Items(1)->IsLine());
  EXPECT_EQ(run->Items(3)->Caption(), "c");
  run->Items(3)->Click();
  ASSERT_EQ(host->started.size(), 1u);
  EXPECT_EQ(host->started[0]->Profile().Name(), "c");
  run->Items(0)->Click();
  ASSERT_EQ(host->started.size(), 2u);
  EXPECT_EQ(host->started[1]->Profile().Name(), "b");
}

TEST_F(MainWindow, DoubleClickAndListKeysRespectSelectionAndFocus) {
  Seed(MakeProfile("a"));
  Seed(MakeProfile("b"));
  Create();
  TListView& list = *form->lvProfiles;
  list.SetIndexSelected(0, true);
  list.SetIndexSelected(1, true);
  list.DblClick();
  EXPECT_EQ(host->propsCalls, 0) << "two rows: neither Properties nor Add";
  list.ClearSelection();
  list.DblClick();
  EXPECT_EQ(host->propsCalls, 1) << "no row: Add";
  EXPECT_EQ(form->ProfileCount(), 2) << "the Add dialog was cancelled";

  // Del and Ctrl+A are the list's only while it has the focus.
  list.SetIndexSelected(0, true);
  EXPECT_FALSE(form->IsShortCut(VK_DELETE));
  EXPECT_FALSE(form->IsShortCut(ShortCut('A', ssCtrl)));
  EXPECT_EQ(form->ProfileCount(), 2);
  EXPECT_EQ(list.SelCount(), 1);
}

// The menu bar sees keys before the window does: Del typed into the log memo stays there.
TEST_F(MainWindow, DelTypedOutsideTheListDeletesNothing) {
  Seed(MakeProfile("a"));
  Seed(MakeProfile("b"));
  Create();
  form->Show();
  Pump();
  form->lvProfiles->SetIndexSelected(0, true);
  form->memoLog->SetFocus();
  PostMessageW(form->memoLog->Handle(), WM_KEYDOWN, VK_DELETE, 0);
  Pump();
  EXPECT_EQ(form->ProfileCount(), 2);
  form->lvProfiles->SetFocus();
  PostMessageW(form->lvProfiles->Handle(), WM_KEYDOWN, VK_DELETE, 0);
  PumpUntil([&] { return form->ProfileCount() == 1; }, 2000);
  EXPECT_EQ(form->ProfileCount(), 1);
  EXPECT_EQ(form->ProfileOf(0).Name(), "b");
}

TEST_F(MainWindow, DestroySavesTheProfilesInRowOrder) {
  Seed(MakeProfile("x"));
  Seed(MakeProfile("y"));
  Create();
  Settle();
  form.reset();
  EXPECT_EQ(host->saves, 1);
  EXPECT_EQ(host->savedNames, (std::vector<std::string>{"x", "y"}));
}

}  // namespace
}  // namespace movra::app

namespace movra::app {
namespace {

std::string MenuText(HMENU menu, int position) {
  wchar_t text[256] = {};
  GetMenuStringW(menu, static_cast<UINT>(position), text, 256, MF_BYPOSITION);
  return WideToUtf8(text);
}

// The tray's Run menu as it opens lists "All Profiles", a line, then every row with its index
// as Tag, and the system menu shown says the same, each name just as it was typed.
void ExpectTrayMenuInStep(TPalvexForm& form) {
  HMENU tray = form.popupTray->PrepareToShow();
  TMenuItem* run = form.popuptrayRun;
  const int rows = form.ProfileCount();
  ASSERT_EQ(run->Count(), 2 + rows);
  EXPECT_EQ(run->Items(0)->Caption(), _("All Profiles"));
  EXPECT_EQ(run->Items(0)->Tag, -1);
  EXPECT_TRUE(run->Items(1)->IsLine());
  for (int row = 0; row < rows; ++row) {
    EXPECT_EQ(run->Items(2 + row)->Caption(), form.ProfileOf(row).Name()) << row;
    EXPECT_EQ(run->Items(2 + row)->Tag, row);
  }
  MENUITEMINFOW info{};
  info.cbSize = sizeof(info);
  info.fMask = MIIM_SUBMENU;
  ASSERT_TRUE(GetMenuItemInfoW(tray, run->Command(), FALSE, &info));
  HMENU shown = info.hSubMenu;
  ASSERT_TRUE(shown);
  ASSERT_EQ(GetMenuItemCount(shown), 2 + rows);
  EXPECT_EQ(MenuText(shown, 0), _("All Profiles"));
  EXPECT_EQ(GetMenuState(shown, 1, MF_BYPOSITION) & MF_SEPARATOR, static_cast<UINT>(MF_SEPARATOR));
  for (int row = 0; row < rows; ++row) {
    std::string typed;
    for (char c : form.ProfileOf(row).Name()) typed += c == '&' ? std::string("&&") : std::string(1, c);
    EXPECT_EQ(MenuText(shown, 2 + row), typed) << row;
    EXPECT_EQ(GetMenuState(shown, static_cast<UINT>(2 + row), MF_BYPOSITION) & MF_SEPARATOR, 0u) << row;
    EXPECT_EQ(GetMenuItemID(shown, 2 + row), run->Items(2 + row)->Command()) << row;
  }
}

TEST_F(MainWindow, ManyRowsAddNoComponentsAndKeepTheTrayMenuInStep) {
  for (int n = 0; n < 300; ++n) Seed(MakeProfile("p" + std::to_string(n)));
  Create();
  ASSERT_EQ(form->ProfileCount(), 300);
  ExpectTrayMenuInStep(*form);
  // Every component of the window hears of every other one made or freed: the menu's items
  // are not among them, or each row would cost in proportion to all the others.
  const int components = form->ComponentCount();

  host->propsResult = mrOk;
  form->actProfileAdd->Execute();
  form->actProfileAdd->Execute();
  host->wizardNames = {"R&D", "-", "w3"};
  form->actToolsWizard->Execute();
  ASSERT_EQ(form->ProfileCount(), 305);
  EXPECT_EQ(form->ProfileOf(304).Name(), "w3");
  ExpectTrayMenuInStep(*form);
  // Renamed, and the language switched, without the menu opened in between.
  host->propsName = "renamed";
  form->lvProfiles->SetIndexSelected(5, true);
  form->actProfileProps->Execute();
  form->lvProfiles->ClearSelection();
  ASSERT_EQ(form->ProfileOf(5).Name(), "renamed");
  form->SetLanguageByTag(2);
  ExpectTrayMenuInStep(*form);
  EXPECT_EQ(form->popuptrayRun->Items(0)->Caption(), "Alle Profile");
  form->SetLanguageByTag(0);
  EXPECT_EQ(form->ComponentCount(), components);

  for (int row : {0, 7, 8, 304}) form->lvProfiles->SetIndexSelected(row, true);
  form->actProfileDelete->Execute();
  ASSERT_EQ(form->ProfileCount(), 301);
  EXPECT_EQ(form->ProfileOf(0).Name(), "p1");
  EXPECT_EQ(form->ProfileOf(6).Name(), "p9");
  EXPECT_EQ(form->ProfileOf(300).Name(), "-");
  ExpectTrayMenuInStep(*form);
  form->popuptrayRun->Items(2 + 6)->Click();
  ASSERT_EQ(host->started.size(), 1u);
  EXPECT_EQ(host->started[0]->Profile().Name(), "p9");

  form->lvProfiles->SelectAll();
  form->actProfileDelete->Execute();
  EXPECT_EQ(form->ProfileCount(), 0);
  ExpectTrayMenuInStep(*form);
  EXPECT_EQ(form->ComponentCount(), components);
}

TEST_F(MainWindow, ASettingsFileReadOnlyInPartIsReportedInTheLogPanel) {
  host->seedRead = {TConfigState::Damaged, "unused.cfg.2.bak"};
  host->seedOptions.LogLevel = 0;  // no system reports ahead of the line
  Create();
  EXPECT_TRUE(PumpUntil([&] {
    return form->memoLog->Lines().Text().find("unused.cfg.2.bak") != std::string::npos;
  }, 30000));
  const std::string text = form->memoLog->Lines().Text();
  EXPECT_NE(text.find("The settings file unused.cfg could not be read in full"), std::string::npos)
      << text;
  EXPECT_EQ(text.find("unused.cfg.2.bak", text.find("unused.cfg.2.bak") + 1), std::string::npos)
      << "said once";
}

TEST_F(MainWindow, ASettingsFileThatCouldNotBeKeptIsReportedAsLeftAlone) {
  host->seedRead.State = TConfigState::Unreadable;
  host->seedOptions.LogLevel = 0;
  Create();
  EXPECT_TRUE(PumpUntil([&] {
    return form->memoLog->Lines().Text().find("it is left as it is") != std::string::npos;
  }, 30000));
}

TEST_F(MainWindow, ASettingsFileReadInFullIsNotMentioned) {
  Create();
  Settle();
  EXPECT_EQ(form->memoLog->Lines().Text().find("settings file"), std::string::npos);
}


// --- the themed chrome -------------------------------------------------------------------------

class ThemedChrome : public MainWindow {
 protected:
  std::vector<std::string> Captions(bars::TBarCustomItem* parent) {
    std::vector<std::string> captions;
    for (int i = 0; i < parent->Count(); ++i)
      captions.push_back(dynamic_cast<bars::TBarSeparatorItem*>(parent->ChildAt(i)) ? "-" : parent->ChildAt(i)->Caption());
    return captions;
  }
  skin::TSkinToolbar* MenuBar() { return Find<skin::TSkinToolbar>("skMainMenu"); }
  skin::TSkinToolbar* ToolBar() { return Find<skin::TSkinToolbar>("skToolBar"); }
  bars::TBarCustomItem* Item(const char* name) { return Find<bars::TBarCustomItem>(name); }
};

TEST_F(ThemedChrome, MenuBarAndToolbarSitOnTheirDocksInTheOfficeXPTheme) {
  Create();
  EXPECT_EQ(form->Menu(), nullptr);  // the menu bar replaces the window's own menu
  auto* switcher = Find<skin::TSkinSwitcher>("SkinSwitcher");
  ASSERT_TRUE(switcher);
  EXPECT_EQ(switcher->Theme(), "OfficeXP");
  // Every theme is registered, and the process's default colour set starts with them.
  for (const char* name : {"Default", "OfficeXP", "Stripes", "Aluminum"}) EXPECT_TRUE(skin::ThemeClassExists(name)) << name;
  ASSERT_NE(skin::DefaultColorSet(), nullptr);
  EXPECT_EQ(skin::DefaultColorSet()->ColorToString(0x003399), "Brown");

  skin::TSkinToolbar* menu = MenuBar();
  auto* dock = Find<skin::TSkinDock>("skTopDock");
  ASSERT_TRUE(menu && dock);
  EXPECT_EQ(menu->Parent(), dock);
  EXPECT_TRUE(menu->MenuBar());
  EXPECT_TRUE(menu->FullSize());
  EXPECT_TRUE(menu->ProcessShortCuts());
  EXPECT_EQ(menu->ShrinkMode(), bars::TBarShrinkMode::tbsmWrap);
  EXPECT_FALSE(menu->CloseButton());
  EXPECT_EQ(menu->DockMode(), bars::TBarDockMode::dmCannotFloatOrChangeDocks);
  EXPECT_EQ(Captions(menu->Items()),
            (std::vector<std::string>{"&File", "View", "&Profile", "&Tools", "&Help"}));
  EXPECT_TRUE(dynamic_cast<skin::TSkinSubmenuItem*>(menu->Items()->ChildAt(0)));
  EXPECT_EQ(Captions(Item("mnuFile")), (std::vector<std::string>{"Options...", "-", "Exit"}));
  EXPECT_EQ(Captions(Item("mnuView")), (std::vector<std::string>{"Language", "Log window"}));
  EXPECT_EQ(Captions(Item("mnuViewLanguage")), (std::vector<std::string>{"English", "Русский", "Deutsch"}));
  EXPECT_EQ(Captions(Item("mnuProfile")), (std::vector<std::string>{"Add...", "Delete", "Select All", "Run",
                                                                     "Run All", "-", "Properties..."}));
  EXPECT_EQ(Captions(Item("mnuTools")),
            (std::vector<std::string>{"Deframent file...", "Wizard...", "Analyze disk..."}));
  EXPECT_EQ(Item("mnuProfileRun")->ShortCut(), VK_F9);
  EXPECT_TRUE(Item("mnuEnglish")->Checked());
  EXPECT_EQ(Item("mnuDeutsch")->GroupIndex(), 1);

  skin::TSkinToolbar* tools = ToolBar();
  ASSERT_TRUE(tools);
  EXPECT_EQ(tools->Parent(), Find<bars::TBarDock>("skTopDock2"));
  EXPECT_EQ(tools->Images(), form->imgIcons);
  EXPECT_EQ(tools->DockMode(), bars::TBarDockMode::dmCannotFloatOrChangeDocks);
  EXPECT_EQ(Captions(tools->Items()),
            (std::vector<std::string>{"Add...", "Delete", "Properties...", "-", "Run", "Run All", "-",
                                      "Analyze disk...", "Wizard...", "-", "Log window"}));
  EXPECT_EQ(tools->Items()->ChildAt(10)->Action(), form->actViewLog);
  EXPECT_TRUE(tools->Items()->ChildAt(10)->Checked());
  // The docks stack at the top, the menu bar first.
  form->Show();
  Pump();
  EXPECT_EQ(dock->Top(), 0);
  EXPECT_LE(dock->Top() + dock->Height(), Find<bars::TBarDock>("skTopDock2")->Top());
}

TEST_F(ThemedChrome, CommandsRunFromTheirEntriesAndTheLogTogglesEverywhere) {
  Seed(MakeProfile("p", 1));
  Create();
  form->Show();
  Pump();
  EXPECT_TRUE(MenuBar()->ShortCutsRegistered());
  // F9 runs the selected profile.
  form->lvProfiles->SetFocus();
  form->lvProfiles->SetIndexSelected(0, true);
  PostMessageW(form->lvProfiles->Handle(), WM_KEYDOWN, VK_F9, 0);
  PumpUntil([&] { return !host->started.empty(); }, 2000);
  EXPECT_EQ(host->started.size(), 1u);
  EXPECT_EQ(form->QueueCount(), 1);

  // The toolbar's check button, the View entry and the log panel's close button stay in step.
  bars::TBarCustomItem* button = ToolBar()->Items()->ChildAt(10);
  bars::TBarCustomItem* entry = Item("mnuViewLog");
  button->Click();
  EXPECT_FALSE(form->pnlLog->Visible());
  EXPECT_FALSE(button->Checked());
  EXPECT_FALSE(entry->Checked());
  entry->Click();
  EXPECT_TRUE(form->pnlLog->Visible());
  EXPECT_TRUE(button->Checked());
  EXPECT_TRUE(entry->Checked());

  // The log panel's close button.
  form->pnlLog->Close();
  Pump();
  EXPECT_FALSE(form->pnlLog->Visible());
  EXPECT_FALSE(button->Checked());
  EXPECT_FALSE(entry->Checked());
  EXPECT_FALSE(form->actViewLog->Checked());
  // The profile panel takes the room of the log panel.
  EXPECT_EQ(form->pnlProfiles->Top(), 0);
  EXPECT_EQ(form->pnlProfiles->Height(), form->SkinMultiDock->Height());
  EXPECT_EQ(form->SkinMultiDock->Top() + form->SkinMultiDock->Height(), form->StatusBar1->Top());
  Settle();
  form.reset();
  EXPECT_FALSE(host->savedShowLog);
}

TEST_F(ThemedChrome, ResizingKeepsTheQueuePanelAndWrapsTheMenuBar) {
  Create();
  form->Show();
  Pump();
  skin::TSkinToolbar* menu = MenuBar();
  const int oneLine = menu->Height();
  for (int width : {684, 900, 420}) {
    SCOPED_TRACE(width);
    form->SetBounds(form->Left(), form->Top(), width, 554);
    Pump();
    EXPECT_EQ(form->StatusBar1->Panels()[0]->Size(), form->StatusBar1->ClientWidth() - 200);
    EXPECT_EQ(form->StatusBar1->Panels()[1]->Size(), 200);
    EXPECT_EQ(form->StatusBar1->Panels()[1]->ActualWidth(), 200);
    EXPECT_EQ(menu->Width(), form->ClientWidth());
    EXPECT_EQ(form->pnlProfiles->DockedWidth(), form->ClientWidth() - 4);
    EXPECT_EQ(form->SkinMultiDock->Width(), form->ClientWidth());
  }
  EXPECT_EQ(menu->Height(), oneLine);
  // A log panel hidden while the window widened comes back as wide as the profile panel.
  form->actViewLog->Execute();
  form->SetBounds(form->Left(), form->Top(), 800, 554);
  Pump();
  form->actViewLog->Execute();
  Pump();
  ASSERT_TRUE(form->pnlLog->Visible());
  EXPECT_EQ(form->pnlLog->DockedWidth(), form->ClientWidth() - 4);
  EXPECT_EQ(form->pnlLog->Width(), form->ClientWidth());
  EXPECT_EQ(form->SkinMultiDock->Width(), form->ClientWidth());
  // Too narrow for one line: the menus move to further lines rather than going out of sight.
  form->SetBounds(form->Left(), form->Top(), 160, 554);
  Pump();
  EXPECT_GT(menu->Height(), oneLine);
  EXPECT_GE(Find<bars::TBarDock>("skTopDock")->Height(), menu->Height());
  EXPECT_EQ(menu->Width(), form->ClientWidth());
}

TEST_F(ThemedChrome, TheMenuBarComesBackToItsStartingHeightAfterWrapping) {
  Create();
  form->Show();
  Pump();
  skin::TSkinToolbar* menu = MenuBar();
  auto* dock = Find<skin::TSkinDock>("skTopDock");
  auto* toolDock = Find<bars::TBarDock>("skTopDock2");
  // One row: the bar's items, its frame of 2 on either side, and the dock as thick as the row.
  EXPECT_EQ(dock->Height(), 23);
  EXPECT_EQ(menu->Height(), 23);
  EXPECT_EQ(menu->Top(), 0);
  const int toolDockTop = toolDock->Top();
  const int menuWidth = form->ClientWidth();
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    form->SetBounds(form->Left(), form->Top(), 160, 554);
    Pump();
    ASSERT_GT(menu->Height(), 23);
    EXPECT_EQ(dock->Height(), menu->Height());
    form->SetBounds(form->Left(), form->Top(), 900, 554);
    Pump();
    EXPECT_EQ(menu->Height(), 23);
    EXPECT_EQ(dock->Height(), 23);
    EXPECT_EQ(menu->ClientHeight(), 19);
    EXPECT_EQ(toolDock->Top(), toolDockTop);
    EXPECT_EQ(menu->Width(), form->ClientWidth());
    EXPECT_GT(menu->Width(), menuWidth);
  }
}

TEST_F(ThemedChrome, LanguageSwitchRetranslatesCaptionsAndHintsButNotLanguageNames) {
  Create();
  form->SetLanguageByTag(2);
  EXPECT_TRUE(Item("mnuDeutsch")->Checked());
  EXPECT_FALSE(Item("mnuEnglish")->Checked());
  EXPECT_EQ(Item("mnuFile")->Caption(), "&Datei");
  EXPECT_EQ(Item("mnuView")->Caption(), "Ansicht");
  EXPECT_EQ(Item("mnuViewLanguage")->Caption(), "Sprache");
  EXPECT_EQ(Item("mnuViewLog")->Caption(), "Protokollfenster");
  EXPECT_EQ(Item("mnuViewLog")->Hint(), "Blendet das Protokollfenster ein oder aus");
  EXPECT_EQ(Item("mnuProfileRun")->Caption(), "Ausführen");
  EXPECT_EQ(ToolBar()->Items()->ChildAt(4)->Caption(), "Ausführen");
  EXPECT_EQ(form->pnlProfiles->Caption(), "Profile");
  EXPECT_EQ(form->pnlLog->Caption(), "Protokoll");
  EXPECT_EQ(ToolBar()->Items()->ChildAt(0)->Hint(), "Fügt ein neues Profil hinzu");
  auto* popup = dynamic_cast<bars::TBarPopupMenu*>(form->BarPopupMenu);
  ASSERT_TRUE(popup);
  EXPECT_EQ(popup->Items()->ChildAt(0)->Caption(), "Hinzufügen...");
  EXPECT_EQ(popup->Items()->ChildAt(2)->Caption(), "Alles auswählen");
  EXPECT_EQ(form->popupTray->Items()->Items(0)->Caption(), "Wiederherstellen");
  EXPECT_EQ(Panel(1), "In der Warteschlange: 0 Profil(e)");
  EXPECT_EQ(Item("mnuEnglish")->Caption(), "English");
  EXPECT_EQ(Item("mnuRussian")->Caption(), "Русский");
  form->SetLanguageByTag(1);
  EXPECT_NE(Item("mnuFile")->Caption(), "&File");
  EXPECT_EQ(Item("mnuDeutsch")->Caption(), "Deutsch");
  form->SetLanguageByTag(0);
  EXPECT_EQ(Item("mnuFile")->Caption(), "&File");
  EXPECT_EQ(Item("mnuViewLog")->Hint(), "Shows/hides log window");
  EXPECT_EQ(ToolBar()->Items()->ChildAt(4)->Caption(), "Run");
  EXPECT_EQ(ToolBar()->Items()->ChildAt(0)->Hint(), "Adds new profile");
  EXPECT_EQ(popup->Items()->ChildAt(0)->Caption(), "Add...");
  EXPECT_EQ(form->pnlLog->Caption(), "Log");
  EXPECT_EQ(form->popupTray->Items()->Items(0)->Caption(), "Restore");
}

TEST_F(ThemedChrome, PanelsStatusBarAndMenusAreDressedAsDescribed) {
  Create();
  EXPECT_EQ(dynamic_cast<skin::TSkinDock*>(Find<bars::TBarDock>("skTopDock2")), nullptr);
  skin::TSkinMultiDock* dock = form->SkinMultiDock;
  ASSERT_TRUE(dock);
  EXPECT_EQ(dock->Parent(), form.get());
  EXPECT_EQ(dock->Position(), bars::TBarDockPosition::dpLeft);
  struct Expected {
    skin::TSkinDockablePanel* panel;
    const char* caption;
    bool closeButton;
    int dockedHeight, splitHeight;
    bars::TBarDockPosition side;
    TWinControl* content;
  };
  for (const Expected& e : {Expected{form->pnlProfiles, "Profiles", false, 471, 240, bars::TBarDockPosition::dpTop,
                                     form->lvProfiles},
                            Expected{form->pnlLog, "Log", true, 489, 187, bars::TBarDockPosition::dpBottom,
                                     form->memoLog}}) {
    SCOPED_TRACE(e.caption);
    ASSERT_TRUE(e.panel);
    EXPECT_EQ(e.panel->Parent(), dock);
    EXPECT_EQ(e.panel->Caption(), e.caption);
    EXPECT_EQ(e.panel->CaptionRotation(), skin::TDPCaptionRotation::dpcrAlwaysHorz);
    EXPECT_EQ(e.panel->CloseButtonWhenDocked(), e.closeButton);
    EXPECT_EQ(e.panel->DockedWidth(), form->ClientWidth() - 4);
    EXPECT_EQ(e.panel->DockedHeight(), e.dockedHeight);
    EXPECT_EQ(e.panel->SplitHeight(), e.splitHeight);
    EXPECT_FALSE(e.panel->Resizable());
    EXPECT_EQ(e.panel->DockMode(), bars::TBarDockMode::dmCannotFloatOrChangeDocks);
    EXPECT_EQ(e.panel->DockableTo(), bars::DockableBit(e.side));
    EXPECT_EQ(e.panel->SupportedDocks(), skin::dkStandardDock | skin::dkMultiDock);
    EXPECT_EQ(e.content->Parent(), e.panel);
    EXPECT_EQ(e.content->Align(), TAlign::alClient);
  }
  EXPECT_EQ(form->pnlLog->DockPos(), 239);

  skin::TSkinStatusBar* status = form->StatusBar1;
  ASSERT_TRUE(status);
  EXPECT_EQ(status->Align(), TAlign::alBottom);
  EXPECT_FALSE(status->UseSystemFont());
  ASSERT_EQ(status->Panels().Count(), 2);
  EXPECT_EQ(status->Panels()[1]->Size(), 200);

  // The profile list's popup menu: themed, with plain bar items for the profile commands.
  auto* popup = dynamic_cast<skin::TSkinPopupMenu*>(form->BarPopupMenu);
  ASSERT_TRUE(popup);
  EXPECT_EQ(form->lvProfiles->PopupMenu(), popup);
  EXPECT_EQ(popup->Images(), form->imgIcons);
  const std::vector<TAction*> commands{form->actProfileAdd, form->actProfileDelete, form->actProfileSelectAll,
                                       form->actProfileRun, form->actProfileRunAll, nullptr, form->actProfileProps};
  ASSERT_EQ(popup->Items()->Count(), static_cast<int>(commands.size()));
  for (size_t i = 0; i < commands.size(); ++i) {
    SCOPED_TRACE(i);
    bars::TBarCustomItem* item = popup->Items()->ChildAt(static_cast<int>(i));
    if (!commands[i]) {
      EXPECT_TRUE(dynamic_cast<bars::TBarSeparatorItem*>(item));
      continue;
    }
    EXPECT_TRUE(dynamic_cast<bars::TBarItem*>(item));
    EXPECT_FALSE(dynamic_cast<skin::TSkinCustomItem*>(item));
    EXPECT_EQ(item->Action(), commands[i]);
  }
  // The tray menu stays a standard popup menu.
  EXPECT_FALSE(dynamic_cast<bars::TBarPopupMenu*>(form->popupTray));
  EXPECT_EQ(form->popupTray->Items()->Count(), 8);

  // Shown, the multi-dock fills the client area between the toolbar's dock and the status bar
  // and shares its height by the split heights.
  form->Show();
  Pump();
  auto* toolDock = Find<bars::TBarDock>("skTopDock2");
  EXPECT_EQ(dock->Left(), 0);
  EXPECT_EQ(dock->Width(), form->ClientWidth());
  EXPECT_EQ(dock->Top(), toolDock->Top() + toolDock->Height());
  EXPECT_EQ(dock->Top() + dock->Height(), status->Top());
  EXPECT_EQ(status->Top() + status->Height(), form->ClientHeight());
  EXPECT_EQ(form->pnlProfiles->Top(), 0);
  EXPECT_EQ(form->pnlLog->Top(), form->pnlProfiles->Height());
  EXPECT_EQ(form->pnlProfiles->Height() + form->pnlLog->Height(), dock->Height());
  const int profilesGrew = form->pnlProfiles->Height() - 240, logGrew = form->pnlLog->Height() - 187;
  EXPECT_LE(std::abs(profilesGrew - logGrew), 1) << profilesGrew << " " << logGrew;
  EXPECT_EQ(form->pnlLog->Width(), form->ClientWidth());
}

// Every entry of the toolbar fits at the window's initial width, so it shows no chevron; only a
// window too narrow for them puts the last ones into an enabled chevron. The menu bar wraps and
// never shows one.
TEST_F(ThemedChrome, TheToolbarFitsAtTheInitialWidthAndUsesItsChevronOnlyWhenNarrow) {
  Create();
  form->Show();
  Pump();
  ASSERT_EQ(form->Width(), 684);
  skin::TSkinToolbar* tools = ToolBar();
  bars::TBarToolbarView* view = tools->View();
  bars::TBarItemViewer* chevron = view->Find(tools->ChevronItem());
  auto hiddenEntries = [&] {
    int hidden = 0;
    for (int i = 0; i < tools->Items()->Count(); ++i)
      hidden += view->Find(tools->Items()->ChildAt(i))->OffEdge ? 1 : 0;
    return hidden;
  };
  for (int i = 0; i < tools->Items()->Count(); ++i)
    EXPECT_TRUE(view->Find(tools->Items()->ChildAt(i))->Show) << i;
  EXPECT_EQ(hiddenEntries(), 0);
  EXPECT_FALSE(chevron->Show);
  EXPECT_FALSE(tools->ChevronItem()->Enabled());

  form->SetBounds(form->Left(), form->Top(), 200, 554);
  Pump();
  EXPECT_GT(hiddenEntries(), 0);
  EXPECT_TRUE(view->Find(tools->Items()->ChildAt(10))->OffEdge);  // the last goes first
  EXPECT_TRUE(chevron->Show);
  EXPECT_TRUE(tools->ChevronItem()->Enabled());
  EXPECT_LE(chevron->BoundsRect.right, tools->ClientWidth());
  skin::TSkinToolbar* menu = MenuBar();
  EXPECT_FALSE(menu->View()->Find(menu->ChevronItem())->Show);

  // The chevron's popup shows the hidden entries as the toolbar does: buttons side by side in
  // a line, not rows of a menu.
  bars::TBarPopupWindow* popup =
      tools->ChevronItem()->OpenSubmenuPopup(view, chevron, false, false, false, POINT{0, 0}, 0);
  ASSERT_TRUE(popup);
  Pump();
  bars::TBarView* popupView = popup->View();
  int buttons = 0;
  LONG lineEnd = -1;
  for (int i = 0; i < popupView->ViewerCount(); ++i) {
    const bars::TBarItemViewer* v = popupView->ViewerAt(i);
    if (!v->Show) continue;
    const bool separator = (v->Item()->ItemStyle() & bars::isSeparator) != 0;
    if (lineEnd < 0) {
      EXPECT_FALSE(separator) << "a separator leads the list";
    } else {
      EXPECT_EQ(v->BoundsRect.left, lineEnd) << i;
    }
    buttons += separator ? 0 : 1;
    lineEnd = v->BoundsRect.right;
  }
  EXPECT_EQ(buttons, hiddenEntries());
  {
    movra::testing::TestPicture picture(popup->Handle(), false, RGB(255, 0, 255));
    EXPECT_FALSE(picture.Save("palvex_toolbar_chevron_popup").empty());
  }
  view->CancelChildPopups();
  Pump();

  form->SetBounds(form->Left(), form->Top(), 684, 554);
  Pump();
  EXPECT_EQ(hiddenEntries(), 0);
  EXPECT_FALSE(chevron->Show);
}

TEST_F(ThemedChrome, PictureOfTheWholeWindow) {
  Seed(MakeProfile("Mail", 1));
  Seed(MakeProfile("Docs", 3));
  Create();
  form->Show();
  SetForegroundWindow(form->Handle());
  Pump();
  RedrawWindow(form->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  PumpUntil([] { return false; }, 500);
  RECT frame;
  GetWindowRect(form->Handle(), &frame);
  movra::testing::TestPicture picture(form->Handle(), false, RGB(255, 0, 255));
  EXPECT_FALSE(picture.Save("palvex_main_window_officexp").empty());

  POINT client{0, 0};
  ClientToScreen(form->Handle(), &client);
  const int x0 = client.x - frame.left, y0 = client.y - frame.top;
  // Somewhere in a band of the client area, a pixel that `wanted` accepts.
  auto anyIn = [&](TControl* band, int right, const std::function<bool(COLORREF)>& wanted) {
    POINT at{0, 0};
    MapWindowPoints(static_cast<TWinControl*>(band->Parent())->Handle(), form->Handle(), &at, 1);
    for (int y = y0 + at.y + band->Top(); y < y0 + at.y + band->Top() + band->Height(); ++y)
      for (int x = x0 + band->Left(); x < x0 + band->Left() + right; ++x)
        if (wanted(picture.Pixel(x, y))) return true;
    return false;
  };
  auto dark = [](COLORREF c) { return GetRValue(c) < 0x60 && GetGValue(c) < 0x60 && GetBValue(c) < 0x60; };
  auto coloured = [](COLORREF c) {
    const int r = GetRValue(c), g = GetGValue(c), b = GetBValue(c);
    return std::max({r, g, b}) - std::min({r, g, b}) > 60;
  };
  auto* menu = MenuBar();
  // The menus' captions, the checked log button's highlight and the queue text show.
  EXPECT_TRUE(anyIn(menu, menu->Width(), dark));
  EXPECT_TRUE(anyIn(ToolBar(), ToolBar()->Width(), coloured));
  EXPECT_TRUE(anyIn(form->StatusBar1, form->StatusBar1->Width(), dark));
  // Every pixel of the window is painted, the docks' full width included.
  auto* dock = Find<bars::TBarDock>("skTopDock");
  for (int x : {x0 + 1, x0 + dock->Width() / 2, x0 + dock->Width() - 2})
    for (int y : {y0 + 1, y0 + dock->Height() - 2, y0 + form->ClientHeight() - 2})
      EXPECT_NE(picture.Pixel(x, y), RGB(255, 0, 255)) << x << "," << y;
}

}  // namespace
}  // namespace movra::app
