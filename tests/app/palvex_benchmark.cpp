// What a user waits for, watched from outside on the screen: the time from starting Palvex.exe
// to its main window's first paint, and from Alt+F to the File menu's first paint, each beside a
// bare window program of the same size started and keyed the same way in the same run. A paint
// counts once some pixel of the window's client area differs from what the screen showed there
// before. A second case starts the program on 20 and on 5,000 profiles and prints the two
// start times. A third makes a long run over many files, with the log panel hidden and shown:
// how far the log panel trails the log file, how fast the window answers while the run goes
// on, and how soon File > Exit asks and the settings are written, after the run and in the
// middle of it. The figures and their ratios are printed; nothing is timed against a limit.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <numeric>
#include <string>
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

  // This process's first key mapping loads its keyboard layout, some 20 to 70 ms under Wine,
  // while the clock of the first Alt+F runs: it is done now, before any key is timed, as a
  // user's key press never waits for the program that sends the keys here.
  MapVirtualKeyW(VK_MENU, MAPVK_VK_TO_VSC);

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

// --- Long runs --------------------------------------------------------------------------------

// Enough files that the run logs far faster than one message a turn would show.
constexpr int kRunFiles = 300;
constexpr double kWaitLimitMs = 300000;

struct LongRun {
  double RunMs = -1;          // first to last log line of the run
  int RunLines = -1;          // the log file's lines from the run's first to its last
  double MemoBehindMs = -1;   // the most the memo's last line trailed the log file's
  double MemoCatchUpMs = -1;  // the memo's last line reaching the log's last line, after it
  std::vector<double> Trips;  // round trips while the run went on
  double MenuMs = -1;         // Alt+F to the File menu
  double ConfirmMs = -1;      // Return on Exit to the question
  double SavedMs = -1;        // Yes to config.cfg written
};

FILETIME WriteTimeOf(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  GetFileAttributesExW(Utf8ToWide(path).c_str(), GetFileExInfoStandard, &data);
  return data.ftLastWriteTime;
}

// The memo's lines as the window gives them now; empty when it does not answer within a minute.
std::vector<std::string> MemoLines(HWND memo) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(memo, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, 60000, &length)) return {};
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  DWORD_PTR copied = 0;
  SendMessageTimeoutW(memo, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_NORMAL, 60000,
                      &copied);
  text.resize(static_cast<size_t>(copied));
  std::vector<std::string> lines;
  size_t start = 0, end;
  const std::string narrow = WideToUtf8(text);
  while ((end = narrow.find("\r\n", start)) != std::string::npos) {
    lines.push_back(narrow.substr(start, end - start));
    start = end + 2;
  }
  if (start < narrow.size()) lines.push_back(narrow.substr(start));
  return lines;
}

// How long the memo's last line has trailed the log at `now`: since the log file showed the
// line after it. The last two lines are matched together, since one finish line is like another.
double MemoBehind(const std::vector<std::string>& memo, const std::vector<GrowingFile::Line>& log, double now,
                  bool& atEnd) {
  atEnd = false;
  if (memo.empty()) return 0;
  const size_t k = std::min<size_t>(2, memo.size());
  for (size_t j = log.size(); j-- >= k;) {
    bool same = true;
    for (size_t i = 0; i < k && same; ++i) same = log[j - i].Text == memo[memo.size() - 1 - i];
    if (!same) continue;
    atEnd = j + 1 == log.size();
    return atEnd ? 0 : now - log[j + 1].Seen;
  }
  return 0;  // not in the file as read here yet
}

LongRun MeasureLongRun(bool shown, bool exitMidRun) {
  LongRun figures;
  FragmentedDrive drive(kRunFiles);
  PalvexCopy palvex;
  EXPECT_TRUE(palvex.Ready());
  TOptions options;
  options.Language = "en_US";
  options.ConfirmExit = true;
  options.ShowLogWindow = shown;
  options.LogMaxLines = 100;
  palvex.Seed({{"Many", drive.Folder()}}, options);
  // Older than anything the program writes.
  {
    HANDLE file = CreateFileW(Utf8ToWide(palvex.ConfigPath()).c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    const FILETIME old{0, 0x01C00000};
    SetFileTime(file, nullptr, nullptr, &old);
    CloseHandle(file);
  }
  const FILETIME seeded = WriteTimeOf(palvex.ConfigPath());

  StartedProgram running(palvex.Program());
  HWND window = palvex.WaitForMainWindow(running.Id());
  EXPECT_TRUE(window);
  if (!window) return figures;
  HWND listWindow = FindChildOfClass(window, L"SysListView32");
  // The memo of a hidden log panel may have no window yet.
  HWND memo = FindChildOfClass(window, L"Edit");
  EXPECT_TRUE(listWindow && (memo || !shown));
  if (!listWindow || (!memo && shown)) return figures;
  Pause(1500);
  EXPECT_TRUE(BringToFront(window));

  GrowingFile log(palvex.Folder() + "Palvex.log");
  RoundTrips trips(window);
  std::mutex memoMutex;
  bool memoStop = false;
  double memoBehind = 0, memoAtEnd = -1;
  std::thread memoWatch;
  if (shown) {
    memoWatch = std::thread([&] {
      for (;;) {
        {
          std::lock_guard lock(memoMutex);
          if (memoStop) return;
        }
        const std::vector<std::string> lines = MemoLines(memo);
        const double now = NowMs();
        const std::vector<GrowingFile::Line> logged = log.Lines();
        bool atEnd = false;
        const double behind = MemoBehind(lines, logged, now, atEnd);
        const bool runOver = !logged.empty() && logged.back().Text.find("\"Defragment list\" finished") != std::string::npos;
        {
          std::lock_guard lock(memoMutex);
          memoBehind = std::max(memoBehind, behind);
          if (runOver && atEnd && memoAtEnd < 0) memoAtEnd = now;
        }
        Sleep(100);
      }
    });
  }

  RemoteList list(listWindow);
  list.Select(0);
  PostMessageW(listWindow, WM_KEYDOWN, VK_F9, 0);
  const std::string started = "<<<< \"Defragment list\" started.";
  const std::string finished = ">>>> \"Defragment list\" finished normally.";
  const double pressed = NowMs();
  if (exitMidRun) {
    // A third of the files done.
    WaitFor([&] {
      int done = 0;
      for (const GrowingFile::Line& line : log.Lines()) done += line.Text.find("\" finished normally.") != std::string::npos;
      return done >= kRunFiles / 3;
    }, static_cast<int>(kWaitLimitMs));
  } else {
    EXPECT_TRUE(WaitFor([&] { return log.SeenAt(finished) >= 0; }, static_cast<int>(kWaitLimitMs)))
        << "the run did not end";
    figures.RunMs = log.SeenAt(finished) - log.SeenAt(started);
    const std::vector<GrowingFile::Line> lines = log.Lines();
    auto holds = [](const std::string& text) {
      return [&text](const GrowingFile::Line& line) { return line.Text.find(text) != std::string::npos; };
    };
    const auto first = std::find_if(lines.begin(), lines.end(), holds(started));
    const auto last = std::find_if(first, lines.end(), holds(finished));
    if (last != lines.end()) figures.RunLines = static_cast<int>(last - first) + 1;
  }
  figures.Trips = trips.Between(pressed, NowMs());

  // File > Exit by keys: the last entry of the File menu. Timed from each key's release, so
  // the pauses that let the program take a key are not counted.
  const std::vector<HWND> old = TopLevelWindows(running.Id());
  KeyDown(VK_MENU);
  KeyDown('F');
  KeyUp('F');
  KeyUp(VK_MENU);
  const double altF = NowMs();
  if (WaitFor([&] { return NewWindowOf(running.Id(), old) != nullptr; }, static_cast<int>(kWaitLimitMs)))
    figures.MenuMs = NowMs() - altF;
  PressKey(VK_UP);
  KeyDown(VK_RETURN);
  KeyUp(VK_RETURN);
  const double keys = NowMs();
  HWND question = nullptr;
  if (WaitFor([&] {
        for (HWND w : TopLevelWindows(running.Id()))
          if (ClassOf(w) == L"#32770") question = w;
        return question != nullptr;
      }, static_cast<int>(kWaitLimitMs)))
    figures.ConfirmMs = NowMs() - keys;
  EXPECT_TRUE(question) << "File > Exit asked nothing";
  if (question) {
    const double yes = NowMs();
    PostMessageW(question, WM_COMMAND, IDYES, 0);
    if (WaitFor([&] {
          const FILETIME now = WriteTimeOf(palvex.ConfigPath());
          return CompareFileTime(&seeded, &now) != 0;
        },
                static_cast<int>(kWaitLimitMs)))
      figures.SavedMs = NowMs() - yes;
    EXPECT_GE(figures.SavedMs, 0) << "config.cfg was not written";
    EXPECT_EQ(running.WaitForExit(60000), 0u);
  }
  if (shown) {
    {
      std::lock_guard lock(memoMutex);
      memoStop = true;
    }
    memoWatch.join();
    figures.MemoBehindMs = memoBehind;
    if (!exitMidRun && memoAtEnd >= 0) figures.MemoCatchUpMs = memoAtEnd - log.SeenAt(finished);
  }
  return figures;
}

double Quantile(std::vector<double> values, double q) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  return values[std::min(values.size() - 1, static_cast<size_t>(q * static_cast<double>(values.size())))];
}

void PrintTrips(const char* what, const std::vector<double>& trips) {
  std::printf("  %s: window's round trip during the run median %.1f ms, p90 %.1f ms, max %.1f ms (n %zu)\n", what,
              Median(trips), Quantile(trips, 0.9), trips.empty() ? 0.0 : *std::max_element(trips.begin(), trips.end()),
              trips.size());
}

void PrintExit(const char* what, const LongRun& run) {
  std::printf("  %s: File menu %.2f s after Alt+F, Exit's question %.2f s after Return, config.cfg %.2f s after Yes"
              " (-1: never)\n", what, run.MenuMs / 1000, run.ConfirmMs / 1000, run.SavedMs / 1000);
}

TEST(PalvexBenchmark, LongRunWithTheLogPanelHiddenAndShown) {
  const LongRun hidden = MeasureLongRun(false, false);
  const LongRun shown = MeasureLongRun(true, false);
  const LongRun midRun = MeasureLongRun(true, true);
  std::printf("one profile over %d fragmented files on a simulated drive, LogMaxLines 100; the run's lines in the"
              " log file: panel hidden %d, shown %d (-1: never ended)\n",
              kRunFiles, hidden.RunLines, shown.RunLines);
  std::printf("  run, first to last log line: panel hidden %.1f s, shown %.1f s; ratio %.2f\n", hidden.RunMs / 1000,
              shown.RunMs / 1000, hidden.RunMs > 0 ? shown.RunMs / hidden.RunMs : 0.0);
  PrintTrips("panel hidden", hidden.Trips);
  PrintTrips("panel shown ", shown.Trips);
  std::printf("  panel shown: round trip median ratio shown/hidden %.2f\n",
              Median(hidden.Trips) > 0 ? Median(shown.Trips) / Median(hidden.Trips) : 0.0);
  std::printf("  panel shown: memo's last line at most %.2f s behind the log file's; reaches the log's last line %.2f s after it\n",
              shown.MemoBehindMs / 1000, shown.MemoCatchUpMs / 1000);
  std::printf("  panel shown, exit mid-run: memo's last line at most %.2f s behind the log file's\n",
              midRun.MemoBehindMs / 1000);
  PrintTrips("panel shown, exit mid-run", midRun.Trips);
  PrintExit("panel hidden, after the run", hidden);
  PrintExit("panel shown, after the run ", shown);
  PrintExit("panel shown, mid-run       ", midRun);
}

}  // namespace
}  // namespace movra::testing
