// What a user waits for, watched from outside on the screen: the time from starting Palvex.exe
// to its main window's first paint, and from Alt+F to the File menu's first paint, each beside a
// bare window program of the same size started and keyed the same way in the same run. A paint
// counts once some pixel of the window's client area differs from what the screen showed there
// before. The figures and their ratios are printed; nothing is timed against a limit. A second
// case starts the program on 20 and on 5,000 profiles and prints the two start times.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <numeric>
#include <thread>
#include <vector>

#include "runtime/text.h"
#include "tests/app/palvex_drive.h"

namespace movra::testing {
namespace {

constexpr int kStarts = 5;        // process starts of each program, after one not counted
constexpr int kMenusPerStart = 8;  // Alt+F in each started copy
constexpr int kLimitMs = 20000;

struct Figures {
  std::vector<double> Start;      // process start to the main window's first paint
  std::vector<double> FirstMenu;  // the first Alt+F of a process to the popup's first paint
  std::vector<double> Menu;       // every later Alt+F
};

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double Mean(const std::vector<double>& values) {
  return values.empty() ? 0 : std::accumulate(values.begin(), values.end(), 0.0) / static_cast<double>(values.size());
}

void Pause(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// The time until `window` (found anew by `find` until it exists) paints some pixel of its
// client area that differs from `before`; negative when it does not within the limit.
double UntilFirstPaint(double since, const ScreenShot& before, const std::function<HWND()>& find) {
  HWND window = nullptr;
  while (NowMs() - since < kLimitMs) {
    if (!window) window = find();
    if (window) {
      const RECT client = ClientScreenRectOf(window);
      ScreenShot now(client);
      if (now.DiffersIn(before, client)) return NowMs() - since;
    }
    Sleep(0);
  }
  return -1;
}

// A visible top-level window of the process that was not there before and is not a shadow
// around another.
HWND NewWindowOf(DWORD process, const std::vector<HWND>& old) {
  for (HWND window : TopLevelWindows(process)) {
    if (std::find(old.begin(), old.end(), window) != old.end()) continue;
    if (ClassOf(window).find(L"Shadow") != std::wstring::npos) continue;
    return window;
  }
  return nullptr;
}

struct Program {
  const char* Name;
  std::string Path;
  std::vector<std::string> Args;
  std::function<HWND(DWORD)> MainWindow;
};

// One start of the program with its menus; the File popup's size comes back in `popupSize`.
void MeasureOnce(const Program& program, Figures* figures, SIZE& popupSize) {
  SCOPED_TRACE(program.Name);
  // The desktop as it is, once the previous copy's window has gone from it.
  Pause(500);
  const ScreenShot desktop(VirtualScreen());
  const double started = NowMs();
  StartedProgram running(program.Path, program.Args);
  ASSERT_TRUE(running.Started());
  const double start = UntilFirstPaint(started, desktop, [&] { return program.MainWindow(running.Id()); });
  ASSERT_GE(start, 0) << "the main window never painted";
  HWND window = program.MainWindow(running.Id());
  ASSERT_TRUE(window);
  // Start-up is over once the window has settled.
  Pause(1500);
  ASSERT_TRUE(BringToFront(window));

  for (int i = 0; i < kMenusPerStart; ++i) {
    const std::vector<HWND> old = TopLevelWindows(running.Id());
    const ScreenShot screen(VirtualScreen());
    const double pressed = NowMs();
    KeyDown(VK_MENU);
    KeyDown('F');
    KeyUp('F');
    KeyUp(VK_MENU);
    HWND popup = nullptr;
    const double menu = UntilFirstPaint(pressed, screen, [&] { return popup = NewWindowOf(running.Id(), old); });
    ASSERT_GE(menu, 0) << "no popup painted after Alt+F";
    const RECT frame = ScreenRectOf(popup);
    popupSize = {frame.right - frame.left, frame.bottom - frame.top};
    if (figures) (i == 0 ? figures->FirstMenu : figures->Menu).push_back(menu);
    // Escape closes the popup, a second one leaves the menu bar.
    PressKey(VK_ESCAPE);
    PressKey(VK_ESCAPE);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(popup) || !IsWindowVisible(popup); }, 5000));
    Pause(300);
  }
  if (figures) figures->Start.push_back(start);
  PostMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(running.WaitForExit(30000), 0u);
}

void Print(const char* what, const std::vector<double>& palvex, const std::vector<double>& bare) {
  const double p = Median(palvex), b = Median(bare);
  std::printf("%-36s Palvex median %8.1f ms (mean %8.1f, n %zu); bare window median %8.1f ms (mean %8.1f); ratio %.2f\n",
              what, p, Mean(palvex), palvex.size(), b, Mean(bare), b > 0 ? p / b : 0.0);
}

TEST(PalvexBenchmark, StartToFirstPaintAndAltFToTheFileMenuAgainstABareWindow) {
  PalvexCopy palvex;
  ASSERT_TRUE(palvex.Ready());
  TOptions options;
  options.Language = "en_US";
  options.ConfirmExit = false;
  palvex.Seed({{"Mail", ""}, {"Docs", ""}}, options);
  std::string bare = ProgramFileName();
  bare = bare.substr(0, bare.rfind('\\') + 1) + "bare_window.exe";

  SIZE popupSize{};
  Program palvexProgram{"Palvex", palvex.Program(), {}, MainWindowOf};
  // The first start of each reads the program from disk (and, in a new prefix, is the first
  // to meet the system's fonts): it is shown on its own, apart from the medians.
  Figures palvexFirst, bareFirst;
  ASSERT_NO_FATAL_FAILURE(MeasureOnce(palvexProgram, &palvexFirst, popupSize));
  ASSERT_GT(popupSize.cx, 0);
  Program bareProgram{"bare window", bare, {std::to_string(popupSize.cx), std::to_string(popupSize.cy)},
                      [](DWORD process) -> HWND {
                        for (HWND window : TopLevelWindows(process))
                          if (TitleOf(window) == L"Bare window") return window;
                        return nullptr;
                      }};
  SIZE bareSize{};
  ASSERT_NO_FATAL_FAILURE(MeasureOnce(bareProgram, &bareFirst, bareSize));
  EXPECT_EQ(bareSize.cx, popupSize.cx);
  EXPECT_EQ(bareSize.cy, popupSize.cy);

  Figures palvexFigures, bareFigures;
  for (int i = 0; i < kStarts; ++i) {
    ASSERT_NO_FATAL_FAILURE(MeasureOnce(palvexProgram, &palvexFigures, popupSize));
    ASSERT_NO_FATAL_FAILURE(MeasureOnce(bareProgram, &bareFigures, bareSize));
  }
  std::printf("main window 684x554, File menu popup %ldx%ld\n", popupSize.cx, popupSize.cy);
  Print("process start to first paint:", palvexFigures.Start, bareFigures.Start);
  Print("first Alt+F to the popup's paint:", palvexFigures.FirstMenu, bareFigures.FirstMenu);
  Print("later Alt+F to the popup's paint:", palvexFigures.Menu, bareFigures.Menu);
  Print("first start of the run to its paint:", palvexFirst.Start, bareFirst.Start);
  Print("its first Alt+F to the popup's paint:", palvexFirst.FirstMenu, bareFirst.FirstMenu);
}

// Process start to the main window's first paint with 20 profiles in config.cfg and with
// 5,000, the starts taken in turns in one run; each start is checked to show every profile.
double StartOnce(const std::string& program, int profiles) {
  Pause(500);
  const ScreenShot desktop(VirtualScreen());
  const double started = NowMs();
  StartedProgram running(program);
  EXPECT_TRUE(running.Started());
  if (!running.Started()) return -1;
  const double start = UntilFirstPaint(started, desktop, [&] { return MainWindowOf(running.Id()); });
  EXPECT_GE(start, 0) << "the main window never painted";
  if (HWND window = MainWindowOf(running.Id())) {
    RemoteList rows(FindChildOfClass(window, L"SysListView32"));
    EXPECT_TRUE(rows.Ready());
    EXPECT_EQ(rows.Count(), profiles);
    PostMessageW(window, WM_CLOSE, 0, 0);
  }
  EXPECT_EQ(running.WaitForExit(60000), 0u);
  return start;
}

TEST(PalvexBenchmark, StartWithTwentyAndWithFiveThousandProfiles) {
  constexpr int kFew = 20, kMany = 5000, kRounds = 3;
  PalvexCopy palvex;
  ASSERT_TRUE(palvex.Ready());
  TOptions options;
  options.Language = "en_US";
  options.ConfirmExit = false;
  auto seed = [&](int count) {
    std::vector<PalvexCopy::Profile> profiles;
    for (int n = 0; n < count; ++n)
      profiles.push_back({"profile " + std::to_string(n), "C:\\data\\file" + std::to_string(n) + ".dat"});
    palvex.Seed(profiles, options);
  };
  seed(kFew);
  // Not counted: it reads the program from disk.
  StartOnce(palvex.Program(), kFew);
  std::vector<double> few, many;
  for (int round = 0; round < kRounds; ++round) {
    seed(kFew);
    few.push_back(StartOnce(palvex.Program(), kFew));
    seed(kMany);
    many.push_back(StartOnce(palvex.Program(), kMany));
  }
  const double a = Median(few), b = Median(many);
  std::printf("process start to first paint: %d profiles median %8.1f ms (mean %8.1f); %d profiles median "
              "%8.1f ms (mean %8.1f); ratio %.2f\n",
              kFew, a, Mean(few), kMany, b, Mean(many), a > 0 ? b / a : 0.0);
}

}  // namespace
}  // namespace movra::testing
