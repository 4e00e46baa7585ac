// Palvex.exe in its themed chrome, driven from outside as a user would: the menu bar by Alt, by
// Alt+letter, by F10 and by mouse, the languages, the popup menus of the profile list and of the
// tray, the menu bar wrapping in a narrow window, the log panel's close button and the profile
// dialog by keys. The themed bars are not common controls: their items are read through the
// accessible objects they give other processes, the panels by their window texts, what shows by
// copying the screen.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <functional>
#include <thread>
#include <tuple>
#include <utility>

#include "profiles/profile.h"
#include "profiles/settings.h"
#include "profiles/xml_document.h"
#include "runtime/system_error.h"
#include "runtime/text.h"
#include "tests/app/palvex_drive.h"

namespace movra::testing {
namespace {

constexpr int kHitBarClose = 2001;  // the hit-test answer of a panel's close button

bool Contains(const std::wstring& text, const wchar_t* part) { return text.find(part) != std::wstring::npos; }

// Every bar keeps its chevron among its items, by this name; a wrapping menu bar never uses it.
constexpr char kChevron[] = "More Buttons";

// The menus of the menu bar, without its chevron.
std::vector<std::string> Menus(HWND bar) {
  std::vector<std::string> names = AccCaptions(bar);
  names.erase(std::remove(names.begin(), names.end(), kChevron), names.end());
  return names;
}

// A themed bar of the framework: a toolbar or a menu bar.
bool IsBarWindow(HWND window) {
  const std::wstring name = ClassOf(window);
  return name.rfind(L"Movra", 0) == 0 && Contains(name, L"Toolbar");
}

bool IsPopupWindow(HWND window) {
  const std::wstring name = ClassOf(window);
  return name.rfind(L"Movra", 0) == 0 && Contains(name, L"Popup") && !Contains(name, L"Shadow");
}

POINT CenterOf(const RECT& rect) { return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2}; }

// The rows of `area` that show a thin horizontal line across its middle half: one colour there,
// unlike the rows three pixels above and below.
std::vector<int> ThinLines(const ScreenShot& shot, const RECT& area) {
  std::vector<int> lines;
  const int quarter = (area.right - area.left) / 4;
  for (int y = area.top + 3; y < area.bottom - 3; ++y) {
    const COLORREF colour = shot.At(area.left + quarter, y);
    bool line = true;
    for (int x = area.left + quarter; x < area.right - quarter && line; ++x)
      line = shot.At(x, y) == colour && shot.At(x, y - 3) != colour && shot.At(x, y + 3) != colour;
    if (line) lines.push_back(y);
  }
  return lines;
}

std::string Joined(const std::vector<std::string>& parts) {
  std::string text;
  for (const std::string& part : parts) text += "[" + part + "]";
  return text;
}

// Every item with its state and place, for the failure messages.
std::string Described(HWND window) {
  std::string text;
  for (const AccItem& item : AccItems(window)) {
    char line[160];
    std::snprintf(line, sizeof line, "[%s state %lx at %ld,%ld-%ld,%ld]", item.Name.c_str(),
                  static_cast<unsigned long>(item.State), item.Screen.left, item.Screen.top, item.Screen.right,
                  item.Screen.bottom);
    text += line;
  }
  return text;
}

// The windows' classes and texts, for the failure messages.
std::string Windows(const std::vector<HWND>& windows) {
  std::string text;
  for (HWND w : windows) text += "[" + WideToUtf8(ClassOf(w)) + " \"" + TextOf(w) + "\"]";
  return text;
}

// The page a tab control shows.
int PageOf(HWND tabs) { return static_cast<int>(SendMessageW(tabs, TCM_GETCURSEL, 0, 0)); }

size_t Occurrences(const std::string& text, const std::string& part) {
  size_t count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

// The runs of `file` that the log shows finished normally. An operation logs a start line,
// "<<<< "<name>" started. File: "<path>"", and one end line, ">>>> "<name>" finished normally."
// or ">>>> Escaped from "<name>".", which names the operation but not the file: each end closes
// the innermost start of its operation still open (a list run holds the runs of its files).
size_t FinishedRuns(const std::string& log, const std::string& file) {
  struct Open {
    std::string Name;
    bool OfFile;
  };
  std::vector<Open> open;
  size_t finished = 0;
  // The operation's name quoted right after `mark` in `line`, or empty.
  auto nameAfter = [](const std::string& line, const std::string& mark) -> std::string {
    const size_t at = line.find(mark);
    if (at == std::string::npos) return {};
    const size_t from = at + mark.size(), to = line.find('"', from);
    return to == std::string::npos ? std::string() : line.substr(from, to - from);
  };
  const std::string fileMark = "File: \"" + file + "\"";
  size_t begin = 0;
  while (begin < log.size()) {
    size_t end = log.find('\n', begin);
    if (end == std::string::npos) end = log.size();
    std::string line = log.substr(begin, end - begin);
    begin = end + 1;
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
    if (std::string name = nameAfter(line, "<<<< \""); !name.empty()) {
      const bool ofFile = line.size() >= fileMark.size() &&
                          line.compare(line.size() - fileMark.size(), fileMark.size(), fileMark) == 0;
      open.push_back({name, ofFile});
      continue;
    }
    std::string name = nameAfter(line, ">>>> \"");
    const bool normally = !name.empty() && line.find("\" finished normally.") != std::string::npos;
    if (!normally) name = nameAfter(line, ">>>> Escaped from \"");
    if (name.empty()) continue;
    const auto started = std::find_if(open.rbegin(), open.rend(), [&](const Open& o) { return o.Name == name; });
    if (started == open.rend()) continue;
    if (normally && started->OfFile) ++finished;
    open.erase(std::next(started).base(), open.end());
  }
  return finished;
}

class PalvexChromeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    ASSERT_TRUE(palvex_.Ready());
    WriteTextFile(volume_.Path() + "frag.bin", "data");
    WriteTextFile(volume_.Path() + "other.bin", "data");
    WriteTextFile(volume_.Path() + "volume.layout",
                  "volume\t100000\t4096\nused\t0:100\n"
                  "file\tfrag.bin\t0:5000:10 10:6000:5 15:6005:5\n"
                  "file\tother.bin\t0:7000:4 4:8000:4\n");
    drive_ = std::make_unique<MappedDrive>(volume_.Path());
  }

  void TearDown() override {
    watchdog_.reset();
    running_.reset();
    CoUninitialize();
  }

  std::string FragFile() const { return drive_->Root() + "frag.bin"; }
  std::string OtherFile() const { return drive_->Root() + "other.bin"; }

  // Starts the copy on two profiles, "Mail" (frag.bin) and "Docs" (other.bin) unless named
  // otherwise, and waits for its list.
  void Start(const std::string& language = "en_US", const std::string& first = "Mail",
             const std::string& second = "Docs") {
    TOptions options;
    options.Language = language;
    options.ConfirmExit = false;
    palvex_.Seed({{first, FragFile()}, {second, OtherFile()}}, options);
    StartAsSaved();
  }
  // Starts the copy on the settings it saved last, which hold `rows` profiles.
  void StartAsSaved(int rows = 2) {
    running_ = std::make_unique<StartedProgram>(palvex_.Program());
    ASSERT_TRUE(running_->Started());
    watchdog_.reset();
    watchdog_ = std::make_unique<ProgramWatchdog>(running_->Id());
    window_ = palvex_.WaitForMainWindow(running_->Id());
    ASSERT_TRUE(window_);
    ASSERT_TRUE(WaitFor([&] { return (list_ = FindChildOfClass(window_, L"SysListView32")) != nullptr; }));
    ASSERT_TRUE(WaitFor([&] { return RemoteList(list_).Count() == rows; }));
    ASSERT_TRUE(WaitFor([&] { return Bars().size() == 2; })) << "a menu bar and a toolbar";
    ASSERT_TRUE(BringToFront(window_));
    // The pointer away from the window, so that nothing is hot under it.
    MoveMouseTo({2, 2});
  }

  // Closes the window (no question is asked) and waits for the program to save and end.
  void Close() {
    PostMessageW(window_, WM_CLOSE, 0, 0);
    EXPECT_EQ(running_->WaitForExit(30000), 0u);
  }

  // The themed bars of the window, top first.
  std::vector<HWND> Bars() const {
    std::vector<HWND> bars;
    FindChildWhere(window_, [&](HWND child) {
      if (IsBarWindow(child) && IsWindowVisible(child)) bars.push_back(child);
      return false;
    });
    std::sort(bars.begin(), bars.end(), [](HWND a, HWND b) { return ScreenRectOf(a).top < ScreenRectOf(b).top; });
    return bars;
  }
  HWND MenuBar() const {
    const auto bars = Bars();
    return bars.empty() ? nullptr : bars.front();
  }
  HWND ToolBar() const {
    const auto bars = Bars();
    return bars.size() < 2 ? nullptr : bars.back();
  }

  // The program's open popup windows, the last opened first.
  std::vector<HWND> Popups() const {
    std::vector<HWND> popups;
    for (HWND window : TopLevelWindows(running_->Id()))
      if (IsPopupWindow(window)) popups.push_back(window);
    return popups;
  }
  // Waits for `count` popups and gives the front one.
  HWND WaitForPopups(size_t count = 1) const {
    HWND front = nullptr;
    WaitFor(
        [&] {
          const auto popups = Popups();
          front = popups.size() == count ? popups.front() : nullptr;
          return front != nullptr;
        },
        5000);
    return front;
  }
  bool WaitForNoPopup() const {
    return WaitFor([&] { return Popups().empty(); }, 5000);
  }
  // Escape until no popup is open and the menu bar has left its keyboard mode, and then until
  // no loop of the program holds the mouse, which would take the next click for its end.
  void Dismiss() {
    for (int i = 0; i < 3 && (!Popups().empty() || AnyHot(MenuBar())); ++i) PressKey(VK_ESCAPE);
    WaitFor(
        [&] {
          GUITHREADINFO info{};
          info.cbSize = sizeof info;
          return Popups().empty() && !AnyHot(MenuBar()) &&
                 GetGUIThreadInfo(GetWindowThreadProcessId(window_, nullptr), &info) && !info.hwndCapture &&
                 !(info.flags & (GUI_INMENUMODE | GUI_POPUPMENUMODE));
        },
        5000);
  }
  // Clicks until the focus stays on `target`: a menu that just closed may give the focus back
  // to where it was a moment after the click. The clicks are too far apart to be a double one.
  bool FocusByClick(POINT point, HWND target) {
    for (int i = 0; i < 5; ++i) {
      ClickAt(point);
      if (WaitFor([&] { return FocusOf(window_) == target; }, 1000)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        if (FocusOf(window_) == target) return true;
      }
    }
    return false;
  }
  static bool AnyHot(HWND bar) {
    for (const AccItem& item : AccItems(bar))
      if (item.State & STATE_SYSTEM_HOTTRACKED) return true;
    return false;
  }

  // The menu bar's item of that caption (without its ampersand).
  AccItem MenuBarItem(const std::string& caption) const {
    for (const AccItem& item : AccItems(MenuBar()))
      if (item.Name == caption) return item;
    ADD_FAILURE() << "no menu " << caption << " in " << Joined(Menus(MenuBar()));
    return {};
  }
  static AccItem ItemOf(HWND window, const std::string& caption) {
    for (const AccItem& item : AccItems(window))
      if (item.Name.substr(0, item.Name.find('\t')) == caption) return item;
    ADD_FAILURE() << "no entry " << caption << " in " << Joined(AccCaptions(window));
    return {};
  }

  // The tray menu as the shell's right click opens it; it is a standard menu of the system.
  HWND OpenTrayMenu() const {
    HWND handler = TrayHandlerOf(running_->Id());
    if (!handler) return nullptr;
    MoveMouseTo({400, 300});
    PostMessageW(handler, kTrayCallback, 1, WM_RBUTTONDOWN);
    HWND menu = nullptr;
    WaitFor([&] {
      for (HWND w : TopLevelWindows(running_->Id()))
        if (ClassOf(w) == L"#32768") menu = w;
      return menu != nullptr;
    });
    return menu;
  }

  std::string Log() const {
    HWND memo = FindChildOfClass(window_, L"Edit");
    return memo ? TextOf(memo) : std::string();
  }
  // Waits until runs of that file have finished normally `times` times in all.
  bool WaitForRuns(const std::string& file, size_t times) const {
    return WaitFor([&] { return FinishedRuns(Log(), file) >= times; });
  }

  // The window as it shows on screen, for the checks of what a user sees; its picture under
  // build/test-artifacts is drawn by the program's windows themselves.
  std::unique_ptr<ScreenShot> Picture(const std::string& name, RECT area = {}) {
    if (IsRectEmpty(&area)) area = ScreenRectOf(window_);
    // A program busy starting may paint late: the window is painted now, and copied once what
    // shows has settled, two copies a while apart alike.
    RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    auto shot = std::make_unique<ScreenShot>(area);
    for (int i = 0; i < 20; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(300));
      auto next = std::make_unique<ScreenShot>(area);
      const bool settled = !next->DiffersIn(*shot, area);
      shot = std::move(next);
      if (settled) break;
    }
    EXPECT_FALSE(SavePrintedWindows(window_, area, name).empty()) << name;
    return shot;
  }

  PalvexCopy palvex_;
  TempDir volume_;
  std::unique_ptr<MappedDrive> drive_;
  std::unique_ptr<StartedProgram> running_;
  std::unique_ptr<ProgramWatchdog> watchdog_;
  HWND window_ = nullptr;
  HWND list_ = nullptr;
};

const std::vector<std::string> kEnglishMenus = {"File", "View", "Profile", "Tools", "Help"};
const std::vector<std::string> kFileEntries = {"Options...", "", "Exit"};

TEST_F(PalvexChromeTest, MenuBarOpensByAltByMouseByAltLetterAndByF10) {
  ASSERT_NO_FATAL_FAILURE(Start());
  ASSERT_EQ(Menus(MenuBar()), kEnglishMenus) << Described(MenuBar());
  EXPECT_FALSE(AnyHot(MenuBar()));

  // Alt alone puts the menu bar in its keyboard mode on its first menu; Down opens it.
  PressKey(VK_MENU);
  EXPECT_TRUE(WaitFor([&] { return (MenuBarItem("File").State & STATE_SYSTEM_HOTTRACKED) != 0; }, 5000));
  EXPECT_TRUE(Popups().empty());
  PressKey(VK_DOWN);
  HWND popup = WaitForPopups();
  ASSERT_TRUE(popup) << "Alt, Down";
  EXPECT_EQ(AccCaptions(popup), kFileEntries);
  // Right moves to the next menu, which opens in place of the first.
  PressKey(VK_RIGHT);
  ASSERT_TRUE(WaitFor([&] { return Popups().size() == 1 && AccCaptions(Popups().front()).size() == 2; }, 5000))
      << Joined(Popups().empty() ? std::vector<std::string>{} : AccCaptions(Popups().front()));
  EXPECT_EQ(AccCaptions(Popups().front()), (std::vector<std::string>{"Language", "Log window"}));
  Dismiss();
  ASSERT_TRUE(WaitForNoPopup());
  EXPECT_FALSE(AnyHot(MenuBar()));

  // A click opens a menu, a second click on it closes it.
  ClickAt(MenuBarItem("Profile").Centre());
  popup = WaitForPopups();
  ASSERT_TRUE(popup) << "a click on Profile";
  EXPECT_EQ(AccCaptions(popup),
            (std::vector<std::string>{"Add...", "Delete", "Select All", "Run", "Run All", "", "Properties..."}));
  const AccItem add = ItemOf(popup, "Add...");
  EXPECT_EQ(add.Name, "Add...\tIns");
  // With a menu open, pointing at another opens that one in its place.
  MoveMouseTo(MenuBarItem("Tools").Centre());
  EXPECT_TRUE(WaitFor(
      [&] {
        const auto popups = Popups();
        return popups.size() == 1 && AccCaptions(popups.front()).size() == 3;
      },
      5000));
  ClickAt(MenuBarItem("Tools").Centre());
  EXPECT_TRUE(WaitForNoPopup());
  Dismiss();

  // Alt with the underlined letter opens that menu.
  const std::pair<WORD, std::vector<std::string>> letters[] = {
      {'F', kFileEntries},
      {'P', {"Add...", "Delete", "Select All", "Run", "Run All", "", "Properties..."}},
      {'T', {"Deframent file...", "Wizard...", "Analyze disk..."}},
      {'H', {"About..."}}};
  for (const auto& [letter, entries] : letters) {
    SCOPED_TRACE(std::string("Alt+") + static_cast<char>(letter));
    PressChord({VK_MENU, letter});
    popup = WaitForPopups();
    ASSERT_TRUE(popup);
    EXPECT_EQ(AccCaptions(popup), entries);
    Dismiss();
    ASSERT_TRUE(WaitForNoPopup());
  }

  // F10 does what Alt does.
  PressKey(VK_F10);
  EXPECT_TRUE(WaitFor([&] { return (MenuBarItem("File").State & STATE_SYSTEM_HOTTRACKED) != 0; }, 5000));
  PressKey(VK_RETURN);
  popup = WaitForPopups();
  ASSERT_TRUE(popup) << "F10, Enter";
  EXPECT_EQ(AccCaptions(popup), kFileEntries);

  // The picture of the window with the File menu open.
  RECT both{};
  const RECT frame = ScreenRectOf(window_), menu = ScreenRectOf(popup);
  UnionRect(&both, &frame, &menu);
  auto shot = Picture("palvex-file-menu", both);
  EXPECT_TRUE(IsWindowVisible(popup)) << "the menu stayed open";
  EXPECT_GT(shot->Colours(menu), 2) << "the menu shows its entries";
  Dismiss();
  Close();
}

TEST_F(PalvexChromeTest, AltLetterOpensItsMenuFromTheProfileListAndFromTheLogInEachLanguage) {
  struct Case {
    const char* language;
    const char* file;  // the File menu's caption
    std::function<void()> press;
  };
  const Case cases[] = {{"en_US", "File", [] { PressChord({VK_MENU, 'F'}); }},
                        {"de_DE", "Datei", [] { PressChord({VK_MENU, 'D'}); }},
                        // The keyboard here has no Cyrillic layout: the focused control
                        // gets the character as Alt and that key would give it.
                        {"ru_RU", "Файл", [this] {
                           PostMessageW(FocusOf(window_), WM_SYSCHAR, L'ф', 0x20000001);
                           std::this_thread::sleep_for(std::chrono::milliseconds(200));
                         }}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.language);
    ASSERT_NO_FATAL_FAILURE(Start(c.language));
    // The File menu's entries as a click opens them.
    ClickAt(MenuBarItem(c.file).Centre());
    HWND popup = WaitForPopups();
    ASSERT_TRUE(popup);
    const std::vector<std::string> entries = AccCaptions(popup);
    ASSERT_EQ(entries.size(), kFileEntries.size()) << Joined(entries);
    Dismiss();
    ASSERT_TRUE(WaitForNoPopup());

    RemoteList list(list_);
    HWND memo = FindChildOfClass(window_, L"Edit");
    ASSERT_TRUE(memo);
    const std::tuple<const char*, HWND, POINT> places[] = {
        {"the profile list", list_, CenterOf(list.RowRect(0))},
        {"the log", memo, CenterOf(ClientScreenRectOf(memo))}};
    for (const auto& [name, control, point] : places) {
      SCOPED_TRACE(name);
      ASSERT_TRUE(FocusByClick(point, control)) << "the focus is on " << WideToUtf8(ClassOf(FocusOf(window_)));
      c.press();
      popup = WaitForPopups();
      ASSERT_TRUE(popup) << "Alt and the File menu's letter";
      EXPECT_EQ(AccCaptions(popup), entries);
      Dismiss();
      ASSERT_TRUE(WaitForNoPopup());
    }
    Close();
  }
}

// Insert opens the new profile's dialog with the focus in its name, so that a typed name is
// taken; Tab walks the General page before OK, Cancel and the tabs. The pages turn by keys
// wherever the focus is, and the focus follows from a page that goes. Alt+Enter opens the
// selected profile's dialog the same way, its name selected, so that a typed one replaces it.
TEST_F(PalvexChromeTest, ProfileDialogTakesATypedNameAndTabWalksItsPageFirstInEachLanguage) {
  const auto described = Windows;
  for (const char* language : {"en_US", "de_DE", "ru_RU"}) {
    SCOPED_TRACE(language);
    ASSERT_NO_FATAL_FAILURE(Start(language));
    RemoteList list(list_);
    HWND dialog = nullptr;
    auto opened = [&] {
      return WaitFor([&] {
        for (HWND w : TopLevelWindows(running_->Id()))
          if (w != window_ && FindChildOfClass(w, L"SysTabControl32")) dialog = w;
        return dialog != nullptr;
      });
    };
    PressKey(VK_INSERT);
    ASSERT_TRUE(opened());
    HWND name = FindChildOfClass(dialog, L"Edit");
    ASSERT_TRUE(WaitFor([&] { return FocusOf(window_) == name; }, 5000)) << described({FocusOf(window_)});
    PressChord({VK_SHIFT, 'W'});
    for (WORD key : {'E', 'E', 'K', 'L', 'Y'}) PressKey(key);

    std::vector<HWND> buttons;
    for (HWND button : ChildrenOfClass(dialog, L"Button"))
      if (GetParent(button) == dialog) buttons.push_back(button);
    ASSERT_EQ(buttons.size(), 2u);
    std::sort(buttons.begin(), buttons.end(),
              [](HWND a, HWND b) { return ScreenRectOf(a).left < ScreenRectOf(b).left; });
    HWND tabs = FindChildOfClass(dialog, L"SysTabControl32");
    const std::vector<HWND> order{FindChildOfClass(dialog, L"ComboBox"), buttons[0], buttons[1], tabs, name};
    std::vector<HWND> walked;
    for (size_t i = 0; i < order.size(); ++i) {
      PressKey(VK_TAB);
      walked.push_back(FocusOf(window_));
    }
    EXPECT_EQ(walked, order) << described(walked) << " instead of " << described(order);

    if (language == std::string("en_US")) {
      // Each page turned to as a click turns it: dropped files are taken on the second only.
      const auto takesDrops = [&] { return (GetWindowLongPtrW(dialog, GWL_EXSTYLE) & WS_EX_ACCEPTFILES) != 0; };
      const std::pair<std::vector<WORD>, int> turns[] = {
          {{VK_CONTROL, VK_TAB}, 1},           {{VK_CONTROL, VK_NEXT}, 2}, {{VK_CONTROL, VK_NEXT}, 0},
          {{VK_CONTROL, VK_SHIFT, VK_TAB}, 2}, {{VK_CONTROL, VK_PRIOR}, 1}};
      for (const auto& [chord, page] : turns) {
        PressChord(chord);
        EXPECT_EQ(PageOf(tabs), page);
        EXPECT_EQ(takesDrops(), page == 1);
        const HWND focus = FocusOf(window_);
        EXPECT_TRUE(IsWindowVisible(focus) && IsChild(dialog, focus) && focus != tabs)
            << "the focus moved onto the page: " << described({focus});
      }
      // In the position box Ctrl+PgUp turns the page, not the box.
      PressChord({VK_CONTROL, VK_PRIOR});
      ASSERT_EQ(PageOf(tabs), 0);
      PressKey(VK_TAB);
      ASSERT_EQ(FocusOf(window_), order[0]);
      const std::string position = TextOf(order[0]);
      PressChord({VK_CONTROL, VK_NEXT});
      EXPECT_EQ(PageOf(tabs), 1);
      PressChord({VK_CONTROL, VK_PRIOR});
      EXPECT_EQ(PageOf(tabs), 0);
      EXPECT_EQ(TextOf(order[0]), position);
      // Shift+Tab from the name reaches the tabs, where Right and Left turn the pages.
      EXPECT_EQ(FocusOf(window_), name) << described({FocusOf(window_)});
      PressChord({VK_SHIFT, VK_TAB});
      ASSERT_EQ(FocusOf(window_), tabs) << described({FocusOf(window_)});
      PressKey(VK_RIGHT);
      EXPECT_EQ(PageOf(tabs), 1);
      EXPECT_TRUE(takesDrops());
      PressKey(VK_LEFT);
      EXPECT_EQ(PageOf(tabs), 0);
      EXPECT_FALSE(takesDrops());
      EXPECT_EQ(FocusOf(window_), tabs);
      PressKey(VK_TAB);
      EXPECT_EQ(FocusOf(window_), name) << described({FocusOf(window_)});
    }

    PressKey(VK_RETURN);
    ASSERT_TRUE(WaitFor([&] { return list.Count() == 3; })) << list.Count();
    EXPECT_EQ(list.Text(2, 0), "Weekly");
    // The focus is back in the list, where End selects the new profile alone.
    ASSERT_TRUE(WaitFor([&] { return FocusOf(window_) == list_; }, 5000)) << described({FocusOf(window_)});
    PressKey(VK_END);
    dialog = nullptr;
    PressChord({VK_MENU, VK_RETURN});
    ASSERT_TRUE(opened());
    name = FindChildOfClass(dialog, L"Edit");
    EXPECT_TRUE(WaitFor([&] { return FocusOf(window_) == name; }, 5000)) << described({FocusOf(window_)});
    EXPECT_EQ(TextOf(name), "Weekly");
    PressChord({VK_SHIFT, 'X'});
    EXPECT_EQ(TextOf(name), "X");
    PressKey(VK_RETURN);
    EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(dialog); }));
    EXPECT_TRUE(WaitFor([&] { return list.Text(2, 0) == "X"; })) << list.Text(2, 0);
    // Enter presses the button Tab has reached: on Cancel, the typed name is dropped.
    dialog = nullptr;
    PressChord({VK_MENU, VK_RETURN});
    ASSERT_TRUE(opened());
    PressChord({VK_SHIFT, 'Y'});
    for (int i = 0; i < 3; ++i) PressKey(VK_TAB);
    const HWND focused = FocusOf(window_);
    EXPECT_TRUE(GetParent(focused) == dialog && ClassOf(focused) == L"Button" &&
                ScreenRectOf(focused).left > ScreenRectOf(FindChildOfClass(dialog, L"Button")).left)
        << "not on Cancel: " << described({focused});
    PressKey(VK_RETURN);
    EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(dialog); }));
    EXPECT_EQ(list.Text(2, 0), "X");
    Close();
  }
}

TEST_F(PalvexChromeTest, LanguageSubmenuSwitchesLanguagesByKeyboardAndByMouse) {
  ASSERT_NO_FATAL_FAILURE(Start());
  RemoteList list(list_);
  ASSERT_TRUE(list.Ready());
  EXPECT_EQ(list.Text(1, 2), "manually");

  // View > Language > Deutsch by keyboard, the way a user without a mouse goes.
  for (WORD key : {VK_MENU, VK_RIGHT, VK_DOWN, VK_RIGHT, VK_DOWN, VK_DOWN, VK_RETURN}) PressKey(key);
  EXPECT_TRUE(WaitFor([&] { return list.Text(1, 2) == "manuell"; })) << list.Text(1, 2);
  EXPECT_TRUE(WaitForNoPopup());
  EXPECT_EQ(Menus(MenuBar()), (std::vector<std::string>{"Datei", "Ansicht", "Profil", "Extras", "Hilfe"}));
  EXPECT_EQ(TextOf(FindChildWhere(window_, [](HWND w) { return TextOf(w) == "Protokoll"; })), "Protokoll")
      << "the log panel's caption";

  // By mouse: Ansicht, then Sprache, then Русский; the names of the languages stay as they are.
  ClickAt(MenuBarItem("Ansicht").Centre());
  HWND view = WaitForPopups();
  ASSERT_TRUE(view);
  ClickAt(ItemOf(view, "Sprache").Centre());
  HWND languages = WaitForPopups(2);
  ASSERT_TRUE(languages);
  ASSERT_EQ(AccCaptions(languages), (std::vector<std::string>{"English", "Русский", "Deutsch"}));
  EXPECT_TRUE(ItemOf(languages, "Deutsch").Checked());
  EXPECT_FALSE(ItemOf(languages, "English").Checked());
  ClickAt(ItemOf(languages, "Русский").Centre());
  EXPECT_TRUE(WaitFor([&] { return list.Text(1, 2) == "вручную"; })) << list.Text(1, 2);
  EXPECT_TRUE(WaitForNoPopup());
  EXPECT_EQ(Menus(MenuBar()), (std::vector<std::string>{"Файл", "Вид", "Профиль", "Сервис", "Справка"}));

  // The Language entries check the one chosen.
  PressKey(VK_MENU);
  for (WORD key : {VK_RIGHT, VK_DOWN, VK_RIGHT}) PressKey(key);
  languages = WaitForPopups(2);
  ASSERT_TRUE(languages);
  EXPECT_TRUE(ItemOf(languages, "Русский").Checked());
  EXPECT_FALSE(ItemOf(languages, "Deutsch").Checked());
  Dismiss();
  ASSERT_TRUE(WaitForNoPopup());
  Close();
  TOptions saved;
  TComScope com;
  LoadConfig(palvex_.ConfigPath(), [](std::unique_ptr<TProfile>) {}, saved);
  EXPECT_EQ(saved.Language, "ru_RU");
}

TEST_F(PalvexChromeTest, F9RunsTheSelectedProfileAndTheProfileListHasItsPopupMenu) {
  ASSERT_NO_FATAL_FAILURE(Start());
  RemoteList list(list_);
  ASSERT_TRUE(list.Ready());
  ClickAt(CenterOf(list.RowRect(1)));
  PressKey(VK_F9);
  EXPECT_TRUE(WaitForRuns(OtherFile(), 1)) << Log();
  EXPECT_EQ(Occurrences(Log(), FragFile()), 0u) << "only the selected profile ran";

  // A right click on the list opens its popup menu with the profile commands.
  ClickAt(CenterOf(list.RowRect(0)), true);
  HWND popup = WaitForPopups();
  ASSERT_TRUE(popup) << "a right click on the list";
  EXPECT_EQ(AccCaptions(popup),
            (std::vector<std::string>{"Add...", "Delete", "Select All", "Run", "Run All", "", "Properties..."}));
  EXPECT_EQ(ItemOf(popup, "Run").Name, "Run\tF9");
  Picture("palvex-list-popup");
  // Its Run runs the row clicked.
  ClickAt(ItemOf(popup, "Run").Centre());
  EXPECT_TRUE(WaitForNoPopup());
  EXPECT_TRUE(WaitForRuns(FragFile(), 1)) << Log();

  // Shift+F10 and the Menu key open it at the focused row, not over the header.
  ASSERT_TRUE(FocusByClick(CenterOf(list.RowRect(0)), list_));
  PressKey(VK_END);
  const RECT row = list.RowRect(1);
  for (const auto& press : {std::function<void()>([] { PressChord({VK_SHIFT, VK_F10}); }),
                            std::function<void()>([] { PressKey(VK_APPS); })}) {
    press();
    popup = WaitForPopups();
    ASSERT_TRUE(popup) << "Shift+F10, then the Menu key";
    const RECT shown = ScreenRectOf(popup);
    EXPECT_TRUE(shown.left >= row.left && shown.left < row.right && shown.top >= row.top && shown.top < row.bottom)
        << "the popup at " << shown.left << "," << shown.top << ", the row " << row.left << "," << row.top << "-"
        << row.right << "," << row.bottom;
    EXPECT_EQ(AccCaptions(popup).size(), 7u);
    Dismiss();
    ASSERT_TRUE(WaitForNoPopup());
  }
  Close();
}

// Tab and Shift+Tab go round the main window through the log and back to the list, and Ctrl+Tab
// leaves the log too. The options dialog turns its pages by Ctrl+Tab, Ctrl+Shift+Tab, Ctrl+PgDn
// and Ctrl+PgUp from its OK button, and by Left and Right on its tabs, which Tab reaches.
TEST_F(PalvexChromeTest, TabGoesRoundTheMainWindowAndTheOptionsPagesTurnByKeys) {
  ASSERT_NO_FATAL_FAILURE(Start());
  RemoteList list(list_);
  HWND memo = FindChildOfClass(window_, L"Edit");
  ASSERT_TRUE(memo);
  ASSERT_TRUE(FocusByClick(CenterOf(list.RowRect(0)), list_));
  for (bool backward : {false, true}) {
    SCOPED_TRACE(backward ? "Shift+Tab" : "Tab");
    std::vector<HWND> walked;
    for (int i = 0; i < 8 && (walked.empty() || walked.back() != list_); ++i) {
      if (backward)
        PressChord({VK_SHIFT, VK_TAB});
      else
        PressKey(VK_TAB);
      walked.push_back(FocusOf(window_));
    }
    EXPECT_EQ(walked.back(), list_) << Windows(walked);
    EXPECT_NE(std::find(walked.begin(), walked.end(), memo), walked.end()) << Windows(walked);
  }
  ASSERT_TRUE(FocusByClick(CenterOf(ClientScreenRectOf(memo)), memo));
  PressChord({VK_CONTROL, VK_TAB});
  EXPECT_NE(FocusOf(window_), memo);

  PressChord({VK_MENU, 'F'});
  HWND file = WaitForPopups();
  ASSERT_TRUE(file);
  for (int i = 0; i < 3 && !(ItemOf(file, "Options...").State & STATE_SYSTEM_HOTTRACKED); ++i) PressKey(VK_DOWN);
  PressKey(VK_RETURN);
  HWND dialog = nullptr;
  ASSERT_TRUE(WaitFor([&] {
    for (HWND w : TopLevelWindows(running_->Id()))
      if (w != window_ && FindChildOfClass(w, L"SysTabControl32")) dialog = w;
    return dialog != nullptr;
  }));
  HWND tabs = FindChildOfClass(dialog, L"SysTabControl32");
  ASSERT_TRUE(WaitFor([&] { return IsChild(dialog, FocusOf(window_)); }, 5000));
  const HWND ok = FocusOf(window_);
  EXPECT_EQ(PageOf(tabs), 0);
  // Three tabs show: General, Confirmations, Log.
  const std::pair<std::vector<WORD>, int> turns[] = {
      {{VK_CONTROL, VK_TAB}, 1},           {{VK_CONTROL, VK_TAB}, 2},  {{VK_CONTROL, VK_TAB}, 0},
      {{VK_CONTROL, VK_SHIFT, VK_TAB}, 2}, {{VK_CONTROL, VK_PRIOR}, 1}, {{VK_CONTROL, VK_NEXT}, 2}};
  for (const auto& [chord, page] : turns) {
    PressChord(chord);
    EXPECT_EQ(PageOf(tabs), page);
    EXPECT_EQ(FocusOf(window_), ok) << "the focus stays where it was off the pages";
  }
  EXPECT_TRUE(IsWindowVisible(FindChildOfClass(dialog, L"ComboBox"))) << "the Log page shows";
  for (int i = 0; i < 4 && FocusOf(window_) != tabs; ++i) PressKey(VK_TAB);
  ASSERT_EQ(FocusOf(window_), tabs) << Windows({FocusOf(window_)});
  PressKey(VK_LEFT);
  EXPECT_EQ(PageOf(tabs), 1);
  PressKey(VK_LEFT);
  EXPECT_EQ(PageOf(tabs), 0);
  PressKey(VK_RIGHT);
  EXPECT_EQ(PageOf(tabs), 1);
  EXPECT_FALSE(IsWindowVisible(FindChildOfClass(dialog, L"ComboBox")));
  PressKey(VK_ESCAPE);
  EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(dialog); }));
  Close();
}

TEST_F(PalvexChromeTest, TrayRunMenuListsTheProfilesInListOrderBelowAllProfiles) {
  // Names that a menu would take for a key mark and for a line are shown as they are.
  ASSERT_NO_FATAL_FAILURE(Start("en_US", "R&D", "-"));
  auto openRun = [&] {
    HWND menu = OpenTrayMenu();
    // Restore, then Run past the separator, then into its submenu.
    for (WORD key : {VK_DOWN, VK_DOWN, VK_RIGHT}) PressKey(key);
    return menu;
  };
  auto submenu = [&] {
    std::vector<HWND> menus;
    WaitFor(
        [&] {
          menus.clear();
          for (HWND w : TopLevelWindows(running_->Id()))
            if (ClassOf(w) == L"#32768") menus.push_back(w);
          return menus.size() == 2;
        },
        5000);
    return menus.size() == 2 ? menus.front() : nullptr;
  };

  // The first entry runs every profile.
  ASSERT_TRUE(openRun());
  HWND run = submenu();
  ASSERT_TRUE(run);
  // Three entries with a separator line between the first and the others.
  const RECT runRect = ScreenRectOf(run);
  auto shot = Picture("palvex-tray-run-menu", runRect);
  const std::vector<int> lines = ThinLines(*shot, runRect);
  ASSERT_FALSE(lines.empty()) << "a separator line";
  EXPECT_LT(lines.back() - lines.front(), 8) << "one separator: the profile \"-\" is no line";
  PressKey(VK_RETURN);
  EXPECT_TRUE(WaitForRuns(FragFile(), 1)) << Log();
  EXPECT_TRUE(WaitForRuns(OtherFile(), 1)) << Log();

  // "R&D" marks no key: D leaves the menu open and runs nothing.
  ASSERT_TRUE(openRun());
  ASSERT_TRUE(submenu());
  PressKey('D');
  EXPECT_TRUE(submenu()) << "the menu stays open";
  // Below the separator: the profiles in list order, "R&D" then "-", which is an entry.
  for (WORD key : {VK_DOWN, VK_RETURN}) PressKey(key);
  EXPECT_TRUE(WaitForRuns(FragFile(), 2)) << Log();
  EXPECT_EQ(Occurrences(Log(), "File: \"" + OtherFile() + "\""), 1u) << Log();
  ASSERT_TRUE(openRun());
  ASSERT_TRUE(submenu());
  for (WORD key : {VK_DOWN, VK_DOWN, VK_RETURN}) PressKey(key);
  EXPECT_TRUE(WaitForRuns(OtherFile(), 2)) << Log();
  // "-" is the last entry: Up from the first wraps to it.
  ASSERT_TRUE(openRun());
  ASSERT_TRUE(submenu());
  for (WORD key : {VK_UP, VK_RETURN}) PressKey(key);
  EXPECT_TRUE(WaitForRuns(OtherFile(), 3)) << Log();
  EXPECT_EQ(Occurrences(Log(), "File: \"" + FragFile() + "\""), 2u) << Log();

  // In German the first entry is translated and the profiles keep their names.
  ASSERT_TRUE(BringToFront(window_));
  for (WORD key : {VK_MENU, VK_RIGHT, VK_DOWN, VK_RIGHT, VK_DOWN, VK_DOWN, VK_RETURN}) PressKey(key);
  RemoteList list(list_);
  ASSERT_TRUE(WaitFor([&] { return list.Text(1, 2) == "manuell"; })) << list.Text(1, 2);
  ASSERT_TRUE(openRun());
  HWND german = submenu();
  ASSERT_TRUE(german);
  const RECT germanRect = ScreenRectOf(german);
  auto germanShot = Picture("palvex-tray-run-menu-de_DE", germanRect);
  const std::vector<int> germanLines = ThinLines(*germanShot, germanRect);
  ASSERT_FALSE(germanLines.empty());
  const int separator = lines.front() - runRect.top;
  EXPECT_EQ(germanLines.front() - germanRect.top, separator);
  // Rows of the two menus compared from their top left corners, inside the narrower one.
  const int width = std::min(runRect.right - runRect.left, germanRect.right - germanRect.left) - 6;
  auto differ = [&](int top, int bottom) {
    for (int y = top; y < bottom; ++y)
      for (int x = 3; x < width; ++x)
        if (shot->At(runRect.left + x, runRect.top + y) != germanShot->At(germanRect.left + x, germanRect.top + y))
          return true;
    return false;
  };
  EXPECT_TRUE(differ(2, separator - 1)) << "\"All Profiles\" in German";
  EXPECT_FALSE(differ(separator + 2, runRect.bottom - runRect.top - 3)) << "the profile names as they are";
  PressKey(VK_ESCAPE);
  PressKey(VK_ESCAPE);
  Close();
}

TEST_F(PalvexChromeTest, NarrowingTheWindowWrapsTheMenuBar) {
  ASSERT_NO_FATAL_FAILURE(Start());
  HWND bar = MenuBar();
  const RECT wide = ScreenRectOf(bar);
  const int rowHeight = wide.bottom - wide.top;
  const RECT frame = ScreenRectOf(window_);
  SetWindowPos(window_, nullptr, 0, 0, 160, frame.bottom - frame.top, SWP_NOMOVE | SWP_NOZORDER);
  EXPECT_TRUE(WaitFor([&] { return ScreenRectOf(bar).bottom - ScreenRectOf(bar).top > rowHeight; }, 5000))
      << "the menu bar takes more rows";
  const RECT narrow = ScreenRectOf(bar);
  auto items = AccItems(bar);
  items.erase(std::remove_if(items.begin(), items.end(), [](const AccItem& item) { return item.Name == kChevron; }),
              items.end());
  ASSERT_EQ(items.size(), kEnglishMenus.size()) << Described(bar);
  int rows = 0, lastTop = -100000;
  for (const AccItem& item : items) {
    SCOPED_TRACE(item.Name);
    EXPECT_FALSE(item.State & STATE_SYSTEM_INVISIBLE) << "every menu stays on the bar";
    EXPECT_GE(item.Screen.left, narrow.left);
    EXPECT_LE(item.Screen.right, narrow.right);
    EXPECT_LE(item.Screen.bottom, narrow.bottom);
    if (item.Screen.top > lastTop) ++rows, lastTop = item.Screen.top;
  }
  EXPECT_GE(rows, 2);
  Picture("palvex-narrow");
  // Each menu still opens where it wrapped to.
  ClickAt(MenuBarItem("Help").Centre());
  HWND popup = WaitForPopups();
  ASSERT_TRUE(popup);
  EXPECT_EQ(AccCaptions(popup), (std::vector<std::string>{"About..."}));
  Dismiss();

  SetWindowPos(window_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top, SWP_NOMOVE | SWP_NOZORDER);
  // Wide again, the menus go back onto one row.
  EXPECT_TRUE(WaitFor(
      [&] {
        const auto again = AccItems(bar);
        return !again.empty() && std::all_of(again.begin(), again.end(), [&](const AccItem& item) {
          return item.Screen.top == again.front().Screen.top;
        });
      },
      5000))
      << Described(bar);
  EXPECT_LT(ScreenRectOf(bar).bottom - ScreenRectOf(bar).top, 2 * rowHeight);
  Picture("palvex-wide-again");
  Close();
}

// Whether the memo shows its last line of text (a line break at the end leaves an empty one).
bool ShowsLastLine(HWND memo) {
  const auto lineTop = [&](LRESULT line) {
    const LRESULT at = SendMessageW(memo, EM_POSFROMCHAR, SendMessageW(memo, EM_LINEINDEX, line, 0), 0);
    return static_cast<int>(static_cast<short>(HIWORD(at)));
  };
  LRESULT last = SendMessageW(memo, EM_GETLINECOUNT, 0, 0) - 1;
  if (last > 0 && SendMessageW(memo, EM_LINELENGTH, SendMessageW(memo, EM_LINEINDEX, last, 0), 0) == 0) --last;
  if (last < 1) return true;
  const int top = lineTop(last), height = top - lineTop(last - 1);
  RECT client{};
  GetClientRect(memo, &client);
  return height > 0 && top >= 0 && top + height <= client.bottom;
}

TEST_F(PalvexChromeTest, LogPanelHidesOnlyThroughItsCommandStaysSoAndShowsItsLastLine) {
  ASSERT_NO_FATAL_FAILURE(Start());
  auto panel = [&](const char* caption) {
    return FindChildWhere(window_, [&](HWND w) { return Contains(ClassOf(w), L"Panel") && TextOf(w) == caption; });
  };
  HWND profiles = panel("Profiles"), log = panel("Log");
  ASSERT_TRUE(profiles);
  ASSERT_TRUE(log);
  ASSERT_TRUE(IsWindowVisible(log));
  HWND multiDock = GetParent(profiles);
  ASSERT_EQ(GetParent(log), multiDock);
  EXPECT_TRUE(ItemOf(ToolBar(), "Log window").Checked());
  auto viewLogEntry = [&] {
    ClickAt(MenuBarItem("View").Centre());
    HWND view = WaitForPopups();
    AccItem entry = view ? ItemOf(view, "Log window") : AccItem{};
    Dismiss();
    WaitForNoPopup();
    return entry;
  };
  EXPECT_TRUE(viewLogEntry().Checked());

  // Escape in the log leaves the panel as it is.
  HWND memo = FindChildOfClass(log, L"Edit");
  ASSERT_TRUE(memo);
  ASSERT_TRUE(FocusByClick(CenterOf(ClientScreenRectOf(memo)), memo));
  PressKey(VK_ESCAPE);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  ASSERT_TRUE(IsWindow(log) && IsWindow(memo)) << "the panel is still there";
  EXPECT_TRUE(IsWindowVisible(log) && IsWindowVisible(memo));
  EXPECT_TRUE(ItemOf(ToolBar(), "Log window").Checked());
  // A close message hides it through the log command, which keeps its window.
  PostMessageW(log, WM_CLOSE, 0, 0);
  EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(log); }, 5000));
  ASSERT_TRUE(IsWindow(log) && IsWindow(memo));
  EXPECT_FALSE(ItemOf(ToolBar(), "Log window").Checked());
  EXPECT_FALSE(viewLogEntry().Checked());
  ClickAt(ItemOf(ToolBar(), "Log window").Centre());
  EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(log) && IsWindowVisible(memo); }, 5000));
  EXPECT_TRUE(ItemOf(ToolBar(), "Log window").Checked());
  EXPECT_TRUE(viewLogEntry().Checked());

  // The close button is where the panel's caption answers the hit test so.
  const RECT frame = ScreenRectOf(log);
  POINT close{-1, -1};
  for (int y = frame.top; y < frame.top + 24 && close.x < 0; ++y)
    for (int x = frame.right - 1; x > frame.right - 40 && close.x < 0; --x)
      if (SendMessageW(log, WM_NCHITTEST, 0, MAKELPARAM(x, y)) == kHitBarClose) close = {x - 2, y + 2};
  ASSERT_GE(close.x, 0) << "no close button on the log panel";
  Picture("palvex-log-shown");
  ClickAt(close);
  EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(log); }, 5000));
  EXPECT_FALSE(ItemOf(ToolBar(), "Log window").Checked());
  EXPECT_FALSE(viewLogEntry().Checked());
  // The profile panel takes the multi-dock's whole height.
  const RECT profilesRect = ScreenRectOf(profiles);
  RECT dockClient = ClientScreenRectOf(multiDock);
  EXPECT_LE(std::abs(profilesRect.top - dockClient.top), 2);
  EXPECT_LE(std::abs(profilesRect.bottom - dockClient.bottom), 2);
  Picture("palvex-log-closed");

  Close();
  {
    TOptions saved;
    TComScope com;
    LoadConfig(palvex_.ConfigPath(), [](std::unique_ptr<TProfile>) {}, saved);
    EXPECT_FALSE(saved.ShowLogWindow);
  }

  // Started again, the window keeps the log panel hidden; the toolbar button brings it back.
  ASSERT_NO_FATAL_FAILURE(StartAsSaved());
  profiles = panel("Profiles");
  ASSERT_TRUE(profiles);
  multiDock = GetParent(profiles);
  // A panel that never showed may have no window yet.
  log = panel("Log");
  EXPECT_TRUE(!log || !IsWindowVisible(log));
  EXPECT_FALSE(ItemOf(ToolBar(), "Log window").Checked());
  dockClient = ClientScreenRectOf(multiDock);
  EXPECT_LE(std::abs(ScreenRectOf(profiles).bottom - dockClient.bottom), 2) << "the profiles take the height";
  // More lines than the panel shows come while it is hidden: both runs, once their rows are
  // idle again and the logger has handed their lines over.
  ClickAt(ItemOf(ToolBar(), "Run All").Centre());
  ASSERT_TRUE(WaitFor([&] {
    for (int row = 0; row < 2; ++row)
      if (SendMessageW(list_, LVM_GETITEMSTATE, row, LVIS_STATEIMAGEMASK) != 0) return false;
    return true;
  }));
  std::this_thread::sleep_for(std::chrono::seconds(2));
  ClickAt(ItemOf(ToolBar(), "Log window").Centre());
  ASSERT_TRUE(WaitFor([&] { return (log = panel("Log")) != nullptr && IsWindowVisible(log); }, 5000));
  memo = FindChildOfClass(log, L"Edit");
  ASSERT_TRUE(memo);
  EXPECT_EQ(Occurrences(Log(), ">>>> \"Defragment file\" finished normally."), 2u) << Log();
  EXPECT_GT(SendMessageW(memo, EM_GETFIRSTVISIBLELINE, 0, 0), 0) << "the newest lines show";
  EXPECT_TRUE(ShowsLastLine(memo)) << "the last line shows";
  EXPECT_TRUE(ItemOf(ToolBar(), "Log window").Checked());
  EXPECT_TRUE(viewLogEntry().Checked());
  const RECT shownProfiles = ScreenRectOf(profiles), shownLog = ScreenRectOf(log);
  EXPECT_LT(shownProfiles.bottom, shownLog.top + 3) << "the log panel below the profiles";
  EXPECT_LE(std::abs(shownLog.bottom - dockClient.bottom), 2);
  EXPECT_GT(shownProfiles.bottom - shownProfiles.top, shownLog.bottom - shownLog.top) << "240 against 187";
  Close();
  TOptions saved;
  TComScope com;
  LoadConfig(palvex_.ConfigPath(), [](std::unique_ptr<TProfile>) {}, saved);
  EXPECT_TRUE(saved.ShowLogWindow);
}

// Letters typed in a list select the next row whose first column begins with them, in the
// profile list and in the profile dialog's file list alike.
TEST_F(PalvexChromeTest, TypedLettersSelectTheRowTheyBeginInTheProfileAndTheFileList) {
  const std::vector<std::string> names = {"Alpha", "Backup", "Mail", "Music", "Zeta"};
  {
    TComScope com;
    std::vector<std::unique_ptr<TProfile>> owned;
    std::vector<const TProfile*> profiles;
    for (const std::string& name : names) {
      owned.push_back(std::make_unique<TProfile>());
      owned.back()->SetName(name);
      profiles.push_back(owned.back().get());
    }
    // The file list's first column is the path as it was added.
    for (const std::string& name : names) owned[2]->Files().Add(name + ".bin");
    TOptions options;
    options.ConfirmExit = false;
    SaveConfig(palvex_.ConfigPath(), profiles, options);
  }
  ASSERT_NO_FATAL_FAILURE(StartAsSaved(static_cast<int>(names.size())));
  // Each step: the letter keys, pressed in quick succession, and the one row selected after.
  const std::vector<std::pair<std::string, int>> steps = {
      {"Z", 4}, {"M", 2}, {"M", 3}, {"B", 1}, {"Q", 1}, {"MM", 3}, {"A", 0}, {"MU", 3}};
  auto typeInto = [&](HWND list, const char* which) {
    RemoteList rows(list);
    ASSERT_TRUE(rows.Ready());
    ASSERT_TRUE(FocusByClick(CenterOf(rows.RowRect(2)), list)) << which;
    for (const auto& [letters, row] : steps) {
      SCOPED_TRACE(std::string(which) + ": " + letters);
      for (char letter : letters) PressKey(static_cast<WORD>(letter));
      // The next letters begin a search of their own.
      std::this_thread::sleep_for(std::chrono::milliseconds(1500));
      EXPECT_EQ(SendMessageW(list, LVM_GETSELECTEDCOUNT, 0, 0), 1);
      EXPECT_EQ(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED), row);
      EXPECT_EQ(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED), row);
    }
  };
  typeInto(list_, "profiles");

  // Mail's properties, on the page of its files.
  ASSERT_TRUE(FocusByClick(CenterOf(RemoteList(list_).RowRect(2)), list_));
  PressChord({VK_MENU, VK_RETURN});
  HWND props = nullptr;
  ASSERT_TRUE(WaitFor([&] {
    props = nullptr;
    for (HWND w : TopLevelWindows(running_->Id()))
      if (TitleOf(w) == L"Profile properties") props = w;
    return props != nullptr;
  }));
  HWND tabs = FindChildOfClass(props, L"SysTabControl32");
  ASSERT_TRUE(tabs);
  PostMessageW(tabs, WM_KEYDOWN, VK_RIGHT, 0);
  HWND files = nullptr;
  ASSERT_TRUE(WaitFor([&] {
    files = FindChildOfClass(props, L"SysListView32");
    return files && IsWindowVisible(files) && RemoteList(files).Count() == static_cast<int>(names.size());
  }));
  typeInto(files, "files");
  PressKey(VK_ESCAPE);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(props); }));
  Close();
}

// The main window as it starts in each language; the menu bar is what differs.
TEST_F(PalvexChromeTest, MainWindowPicturesInEachLanguage) {
  std::vector<std::unique_ptr<ScreenShot>> shots;
  std::vector<RECT> menuBars;
  for (const char* language : {"en_US", "de_DE", "ru_RU"}) {
    SCOPED_TRACE(language);
    ASSERT_NO_FATAL_FAILURE(Start(language));
    RECT bar = ScreenRectOf(MenuBar());
    const RECT frame = ScreenRectOf(window_);
    OffsetRect(&bar, -frame.left, -frame.top);
    menuBars.push_back(bar);
    shots.push_back(Picture(std::string("palvex-") + language));
    Close();
  }
  for (size_t i = 1; i < shots.size(); ++i) {
    EXPECT_TRUE(EqualRect(&menuBars[i], &menuBars[0]));
    RECT bar = menuBars[0];
    OffsetRect(&bar, shots[0]->Area().left, shots[0]->Area().top);
    // Comparison in the first picture's coordinates: the windows opened at the same place.
    EXPECT_TRUE(EqualRect(&shots[i]->Area(), &shots[0]->Area()));
    EXPECT_TRUE(shots[i]->DiffersIn(*shots[0], bar)) << "the menus are named in the language";
    RECT title = shots[0]->Area();
    title.bottom = title.top + 8;
    EXPECT_FALSE(shots[i]->DiffersIn(*shots[0], title)) << "the frame is the same";
  }
}

// With config.cfg not writable (another program holds it), a profile added by keys, then
// Alt+F4: the program asks in its language before anything goes, with the system's reason and
// the three ways out. Cancel keeps the window, the profile and the file; Try Again, once the
// file can be written, saves it and ends. Started again, a profile added and the file held
// again, the tray's Exit asks the same, and Exit Without Saving ends the program with the file
// as it was. The box is the program's own: its buttons read in the language, as the text names
// them.
class PalvexUnsaveableSettings : public PalvexChromeTest,
                                 public ::testing::WithParamInterface<const char*> {
 protected:
  // Inserts a profile by keys, as the new profile's dialog stands.
  void AddProfile() {
    RemoteList list(list_);
    const int rows = list.Count();
    ASSERT_TRUE(FocusByClick(CenterOf(list.RowRect(0)), list_));
    PressKey(VK_INSERT);
    HWND dialog = nullptr;
    ASSERT_TRUE(WaitFor([&] {
      for (HWND window : TopLevelWindows(running_->Id()))
        if (window != window_ && !IsPopupWindow(window)) dialog = window;
      return dialog != nullptr;
    }));
    ASSERT_TRUE(BringToFront(dialog));
    PressKey(VK_RETURN);
    ASSERT_TRUE(WaitFor([&] { return list.Count() == rows + 1; })) << list.Count();
  }
  // Wine replaces a read-only file; one held open without leave to delete it stays.
  void Hold() {
    held_ = CreateFileW(Utf8ToWide(palvex_.ConfigPath()).c_str(), GENERIC_READ, FILE_SHARE_READ,
                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held_, INVALID_HANDLE_VALUE);
  }
  void Release() {
    if (held_ != INVALID_HANDLE_VALUE) CloseHandle(std::exchange(held_, INVALID_HANDLE_VALUE));
  }
  void TearDown() override {
    Release();
    PalvexChromeTest::TearDown();
  }
  HWND WaitForQuestion() const {
    HWND box = nullptr;
    WaitFor([&] {
      for (HWND window : TopLevelWindows(running_->Id()))
        if (window != window_ && !IsPopupWindow(window) && TitleOf(window) == kPalvexTitle)
          box = window;
      return box != nullptr;
    });
    return box;
  }
  static std::string WithoutMark(std::string caption) {
    caption.erase(std::remove(caption.begin(), caption.end(), '&'), caption.end());
    return caption;
  }
  // Presses the box's button captioned `caption`: by the key it marks when that is on the
  // keyboard, else by a click.
  static void Answer(HWND box, const std::string& caption) {
    HWND button = FindChildWhere(box, [&](HWND child) {
      return ClassOf(child) == L"Button" && TextOf(child) == caption;
    });
    ASSERT_TRUE(button) << "no button " << caption;
    ASSERT_TRUE(BringToFront(box));
    const size_t mark = caption.find('&');
    const bool keyed = mark != std::string::npos && mark + 1 < caption.size() &&
                       std::isalpha(static_cast<unsigned char>(caption[mark + 1]));
    if (keyed)
      PressChord({VK_MENU, static_cast<WORD>(VkKeyScanW(std::toupper(caption[mark + 1])) & 0xFF)});
    else
      ClickAt(CenterOf(ScreenRectOf(button)));
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(box); })) << caption;
  }
  std::vector<std::string> TemporaryFiles() const {
    std::vector<std::string> names;
    WIN32_FIND_DATAW entry{};
    HANDLE find = FindFirstFileW(Utf8ToWide(palvex_.Folder() + "cfg*.tmp").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE) return names;
    do names.push_back(WideToUtf8(entry.cFileName));
    while (FindNextFileW(find, &entry));
    FindClose(find);
    return names;
  }
  int SavedProfiles() const {
    TOptions saved;
    TComScope com;
    int profiles = 0;
    LoadConfig(palvex_.ConfigPath(), [&](std::unique_ptr<TProfile>) { ++profiles; }, saved);
    return profiles;
  }
  HANDLE held_ = INVALID_HANDLE_VALUE;
};

TEST_P(PalvexUnsaveableSettings, AltF4AndTrayExitOfferToTryAgainToExitWithoutSavingOrToStay) {
  const std::string language = GetParam();
  struct Texts {
    const char* Head;
    const char* Ways;
    std::string TryAgain, Exit, Cancel;
  };
  const Texts texts =
      language == "de_DE"
          ? Texts{"Die Einstellungen können nicht gespeichert werden: ",
                  "„Wiederholen“ versucht erneut zu speichern; „Ohne Speichern beenden“ beendet "
                  "das Programm, und die nicht gespeicherten Änderungen gehen verloren; "
                  "„Abbrechen“ lässt das Programm geöffnet und alles, wie es ist.",
                  "&Wiederholen", "&Ohne Speichern beenden", "Abbrechen"}
      : language == "ru_RU"
          ? Texts{"Невозможно сохранить настройки: ",
                  "«Повторить» пробует сохранить ещё раз; «Выйти без сохранения» закрывает "
                  "программу, и несохранённые изменения будут потеряны; «Отмена» оставляет "
                  "программу открытой, ничего не меняя.",
                  "&Повторить", "&Выйти без сохранения", "Отмена"}
          : Texts{"The settings cannot be saved: ",
                  "Try Again tries to save again; Exit Without Saving ends the program, and the "
                  "unsaved changes are lost; Cancel keeps the program open with everything as "
                  "it is.",
                  "&Try Again", "E&xit Without Saving", "Cancel"};
  ASSERT_NO_FATAL_FAILURE(Start(language));
  const std::string before = ReadTextFile(palvex_.ConfigPath());
  ASSERT_NO_FATAL_FAILURE(Hold());
  ASSERT_NO_FATAL_FAILURE(AddProfile());
  RemoteList list(list_);

  ASSERT_TRUE(BringToFront(window_));
  PressChord({VK_MENU, VK_F4});
  HWND box = WaitForQuestion();
  ASSERT_TRUE(box) << "no question";
  HWND text = FindChildWhere(box, [&](HWND child) { return TextOf(child).find(texts.Head) == 0; });
  ASSERT_TRUE(text) << "the question is asked in " << language;
  EXPECT_EQ(TextOf(text), texts.Head + ("Cannot replace " + palvex_.ConfigPath() + ": ") +
                              SystemErrorText(ERROR_ACCESS_DENIED) + "\r\n\r\n" + texts.Ways);
  // Each button is named in the text as it reads.
  std::vector<std::string> captions;
  for (HWND button : ChildrenOfClass(box, L"Button")) {
    captions.push_back(TextOf(button));
    EXPECT_NE(std::string(texts.Ways).find(WithoutMark(captions.back())), std::string::npos)
        << captions.back();
  }
  std::sort(captions.begin(), captions.end());
  std::vector<std::string> expected{texts.TryAgain, texts.Exit, texts.Cancel};
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(captions, expected);
  EXPECT_FALSE(SavePrintedWindows(box, ScreenRectOf(box),
                                  "dialog_save_failure_" + language.substr(0, 2))
                   .empty());
  ASSERT_NO_FATAL_FAILURE(Answer(box, texts.Cancel));
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  EXPECT_EQ(running_->WaitForExit(0), static_cast<DWORD>(STILL_ACTIVE));
  EXPECT_TRUE(IsWindowVisible(window_));
  EXPECT_EQ(list.Count(), 3);
  EXPECT_EQ(ReadTextFile(palvex_.ConfigPath()), before);

  ASSERT_TRUE(BringToFront(window_));
  PressChord({VK_MENU, VK_F4});
  ASSERT_TRUE(box = WaitForQuestion());
  Release();
  ASSERT_NO_FATAL_FAILURE(Answer(box, texts.TryAgain));
  EXPECT_EQ(running_->WaitForExit(30000), 0u);
  EXPECT_EQ(SavedProfiles(), 3);

  ASSERT_NO_FATAL_FAILURE(StartAsSaved(3));
  const std::string saved = ReadTextFile(palvex_.ConfigPath());
  ASSERT_NO_FATAL_FAILURE(AddProfile());
  ASSERT_NO_FATAL_FAILURE(Hold());
  // Exit is the tray menu's last entry: Up from none selected comes to it.
  ASSERT_TRUE(OpenTrayMenu());
  for (WORD key : {VK_UP, VK_RETURN}) PressKey(key);
  ASSERT_TRUE(box = WaitForQuestion()) << "the tray's Exit asks";
  ASSERT_NO_FATAL_FAILURE(Answer(box, texts.Exit));
  EXPECT_EQ(running_->WaitForExit(30000), 0u);
  Release();
  EXPECT_EQ(ReadTextFile(palvex_.ConfigPath()), saved);
  EXPECT_EQ(SavedProfiles(), 3);
  EXPECT_TRUE(TemporaryFiles().empty()) << Joined(TemporaryFiles());
}

INSTANTIATE_TEST_SUITE_P(Languages, PalvexUnsaveableSettings,
                         ::testing::Values("en_US", "de_DE", "ru_RU"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                           return std::string(info.param);
                         });

}  // namespace
}  // namespace movra::testing
