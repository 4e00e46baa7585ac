// Benchmark, not a timed test: starts the main window five times on a config.cfg of 20 and of
// 5,000 profiles (the median start is given), opens its tray menu, adds 100 profiles one by one
// to each, deletes every other row and opens the tray menu again, then deletes the rest, and
// prints the times side by side with their ratios. It asserts only that every profile came and
// went.
#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <vector>

#include "app/main_form.h"
#include "i18n/localizer.h"
#include "profiles/xml_document.h"
#include "runtime/text.h"
#include "tests/runtime/ui/ui_test_support.h"
#include "tests/support/support.h"

namespace movra::app {
namespace {

using namespace movra::ui;

// The real settings file is read, and how long the read took within the start is kept in
// `reads`; nothing is saved, no dialog is shown.
struct BenchmarkHost : TPalvexHost {
  BenchmarkHost(std::string path, std::vector<double>& reads) : path(std::move(path)), reads(reads) {}
  std::string path;
  std::vector<double>& reads;
  std::string ConfigFile() const override { return path; }
  // The profiles are handed on once the clock has stopped, so that the rows they make are
  // not counted as the read.
  TConfigRead LoadSettings(const std::string& file, const TProfileSink& addProfile, TOptions& options) override {
    std::vector<std::unique_ptr<TProfile>> read;
    const double begin = movra::testing::NowMs();
    const TConfigRead state =
        TPalvexHost::LoadSettings(file, [&](std::unique_ptr<TProfile> p) { read.push_back(std::move(p)); }, options);
    reads.push_back((movra::testing::NowMs() - begin) / 1000);
    for (auto& profile : read) addProfile(std::move(profile));
    return state;
  }
  void SaveSettings(const std::string&, const std::vector<const TProfile*>&,
                    const TOptions&) override {}
  bool StartRun(TExecutor&) override { return false; }
  bool Confirm(const std::string&) override { return true; }
  int ProfileProps(TProfile&) override { return mrOk; }
  bool Analysis(TFileRegionList&) override { return false; }
  bool Options(TOptions&) override { return false; }
  int Wizard(const std::vector<std::string>&, std::vector<std::unique_ptr<TProfile>>&) override {
    return mrCancel;
  }
  void About(const std::string&, const std::string&) override {}
};

std::unique_ptr<TProfile> NumberedProfile(int n) {
  auto profile = std::make_unique<TProfile>();
  profile->SetName("profile " + std::to_string(n));
  profile->SetSchedulerActive(n % 2 == 0);
  profile->SetDay(n % 7, true);
  profile->Files().Add("C:\\data\\file" + std::to_string(n) + ".dat");
  if (n % 3 == 0) profile->Files().Add("C:\\data\\more" + std::to_string(n));
  return profile;
}

template <typename F>
double Seconds(F&& f) {
  const auto start = std::chrono::steady_clock::now();
  f();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Handles this thread's messages until none has come for 200 ms (5 s at most) and returns the
// time the last one was done.
double SettledAt() {
  using movra::testing::NowMs;
  constexpr double kQuietMs = 200, kLimitMs = 5000;
  const double begin = NowMs();
  double last = begin;
  for (;;) {
    MSG msg;
    if (PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
      test::Pump();
      last = NowMs();
      continue;
    }
    const double now = NowMs();
    if (now - last >= kQuietMs || now - begin >= kLimitMs) return last;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(kQuietMs - (now - last)) + 1,
                              QS_ALLINPUT);
  }
}

constexpr int kAdded = 100;
constexpr int kStarts = 5;

struct Figures {
  double load = 0;  // the settings file read, within the start
  double create = 0;
  double start = 0;
  double add = 0;
  double removeHalf = 0;
  double removeAll = 0;
  double trayOpen = 0;    // the tray menu made ready to show, the first time
  double trayReopen = 0;  // the same after half the rows went
};

class MainWindowBenchmark : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { StartLocalization(); }
  static void TearDownTestSuite() { StopLocalization(); }

  Figures Measure(int count) {
    const std::string path = folder.Path() + "config" + std::to_string(count) + ".cfg";
    std::vector<std::unique_ptr<TProfile>> stored;
    std::vector<const TProfile*> order;
    for (int n = 0; n < count; ++n) {
      stored.push_back(NumberedProfile(n));
      order.push_back(stored.back().get());
    }
    TOptions options;
    options.Language = "en_US";
    SaveConfig(path, order, options);

    Figures figures;
    // A start ends with the last message the window handles before it falls quiet, and the
    // median of several starts is given: the log's lines reach the window from their own
    // thread, and whether they came before the queue first ran empty would make one start
    // twice as long as the next.
    TOwned<TPalvexForm> form;
    std::vector<double> starts, creates, loads;
    for (int i = 0; i < kStarts; ++i) {
      form.reset();
      SettledAt();
      const double begin = movra::testing::NowMs();
      form.reset(new TPalvexForm(nullptr, std::make_unique<BenchmarkHost>(path, loads)));
      creates.push_back((movra::testing::NowMs() - begin) / 1000);
      form->Show();
      starts.push_back((SettledAt() - begin) / 1000);
      EXPECT_EQ(form->ProfileCount(), count);
    }
    figures.start = movra::testing::Median(starts);
    figures.create = movra::testing::Median(creates);
    figures.load = movra::testing::Median(loads);
    EXPECT_EQ(loads.size(), creates.size()) << "each start reads the settings once";
    figures.trayOpen = Seconds([&] { form->popupTray->PrepareToShow(); });
    // The same number of profiles added to each window: each costs the same however many
    // the list already holds.
    figures.add = Seconds([&] {
      for (int n = 0; n < kAdded; ++n) form->AddProfileItem(NumberedProfile(count + n));
      test::Pump();
    });
    EXPECT_EQ(form->ProfileCount(), count + kAdded);
    figures.removeHalf = Seconds([&] {
      for (int row = 0; row < form->ProfileCount(); row += 2)
        form->lvProfiles->SetIndexSelected(row, true);
      form->actProfileDelete->Execute();
      test::Pump();
    });
    EXPECT_EQ(form->ProfileCount(), (count + kAdded) / 2);
    figures.trayReopen = Seconds([&] { form->popupTray->PrepareToShow(); });
    EXPECT_EQ(form->popuptrayRun->Count(), 2 + form->ProfileCount());
    figures.removeAll = Seconds([&] {
      form->lvProfiles->SelectAll();
      form->actProfileDelete->Execute();
      test::Pump();
    });
    EXPECT_EQ(form->ProfileCount(), 0);
    test::PumpUntil([] { return false; }, 100);
    form.reset();
    return figures;
  }

  TComScope com;
  movra::testing::TempDir folder;
};

TEST_F(MainWindowBenchmark, StartAddAndDeleteWithFewAndManyProfiles) {
  constexpr int kFew = 20;
  constexpr int kMany = 5000;
  Measure(kFew);  // the first window pays for what every later one finds ready
  const Figures few = Measure(kFew);
  const Figures many = Measure(kMany);
  const double scale = double(kMany) / kFew;
  std::printf("main window with %d and with %d profiles (a cost linear in them: %.0fx; adding "
              "%d, or deleting a row: 1x):\n", kFew, kMany, scale, kAdded);
  auto line = [&](const char* what, double a, double b) {
    std::printf("  %-28s %8.3f s  %8.3f s  ratio %6.1fx\n", what, a, b, b / a);
  };
  line("start (load, rows, window)", few.start, many.start);
  line("  of which config.cfg read", few.load, many.load);
  line("  of which window created", few.create, many.create);
  line("add 100 one by one", few.add, many.add);
  line("delete every other row", few.removeHalf, many.removeHalf);
  line("delete all the rest", few.removeAll, many.removeAll);
  // Made when it opens: not part of the start, and well under a tenth of a second.
  line("tray menu first opened", few.trayOpen, many.trayOpen);
  line("  opened after the deletes", few.trayReopen, many.trayReopen);
  // Deleting costs the same per row however many there are.
  auto perRow = [&](const char* what, double a, double b, bool half) {
    auto rows = [&](int count) { return (count + kAdded + (half ? 1 : 0)) / 2; };
    const double x = a * 1000 / rows(kFew), y = b * 1000 / rows(kMany);
    std::printf("  %-28s %8.3f ms %8.3f ms  ratio %6.1fx\n", what, x, y, y / x);
  };
  perRow("  a row of every other", few.removeHalf, many.removeHalf, true);
  perRow("  a row of the rest", few.removeAll, many.removeAll, false);
  std::printf("  %-28s %8.3f ms %8.3f ms\n", "  one add", few.add * 1000 / kAdded,
              many.add * 1000 / kAdded);
}

}  // namespace
}  // namespace movra::app
