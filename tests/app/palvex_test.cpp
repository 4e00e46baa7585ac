// Palvex.exe driven from outside, as a user would: a copy in a folder of its own with a seeded
// config.cfg, defragmenting a file on a simulated drive.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <dlgs.h>

#include <chrono>
#include <functional>
#include <thread>
#include <vector>

#include "profiles/options.h"
#include "profiles/profile.h"
#include "profiles/settings.h"
#include "profiles/xml_document.h"
#include "runtime/text.h"
#include "tests/app/palvex_drive.h"
#include "tests/console/run_program.h"
#include "tests/support/support.h"

namespace movra::testing {
namespace {

std::wstring ProcessImage(HWND window) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
  if (!process) return {};
  wchar_t path[MAX_PATH] = {};
  DWORD size = MAX_PATH;
  if (!QueryFullProcessImageNameW(process, 0, path, &size)) path[0] = 0;
  CloseHandle(process);
  return path;
}

// The first visible top-level window of the program `image` that `wanted` accepts.
HWND FindWindowOf(const std::string& image, const std::function<bool(HWND)>& wanted) {
  struct Search {
    std::wstring image;
    const std::function<bool(HWND)>& wanted;
    HWND found = nullptr;
  } search{Utf8ToWide(image), wanted};
  EnumWindows(
      [](HWND window, LPARAM data) -> BOOL {
        auto* s = reinterpret_cast<Search*>(data);
        if (!IsWindowVisible(window)) return TRUE;
        if (_wcsicmp(ProcessImage(window).c_str(), s->image.c_str()) != 0) return TRUE;
        if (!s->wanted(window)) return TRUE;
        s->found = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// The window of `image` with the application title and, when given, that class.
HWND FindTopLevel(const std::string& image, const std::wstring& className = L"") {
  return FindWindowOf(image, [&](HWND window) {
    if (TitleOf(window) != kPalvexTitle) return false;
    const bool dialog = ClassOf(window) == L"#32770";
    return className.empty() ? !dialog : ClassOf(window) == className;
  });
}

HWND FindButton(HWND parent, const std::string& caption) {
  return FindChildWhere(parent, [&](HWND window) { return ClassOf(window) == L"Button" && TextOf(window) == caption; });
}

// A click as the button reports it to its parent; it works on a page that is not showing.
void Click(HWND button) {
  PostMessageW(GetParent(button), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
               reinterpret_cast<LPARAM>(button));
}

void SetText(HWND window, const std::string& text) {
  const std::wstring wide = Utf8ToWide(text);
  SendMessageW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()));
}

// A window as it shows on screen, 24 bits a pixel, rows bottom-up as a BMP file holds them.
struct Capture {
  int width = 0;
  int height = 0;
  int clientTop = 0;  // the first row of the client area, where the menu bar's dock begins
  std::vector<uint8_t> pixels;

  int Stride() const { return (width * 3 + 3) & ~3; }
  COLORREF Pixel(int x, int y) const {
    const uint8_t* p = &pixels[static_cast<size_t>((height - 1 - y) * Stride() + x * 3)];
    return RGB(p[2], p[1], p[0]);
  }
  bool SameRows(const Capture& other, int top, int bottom) const {
    if (other.width != width) return false;
    for (int y = top; y < bottom; ++y)
      for (int x = 0; x < width; ++x)
        if (Pixel(x, y) != other.Pixel(x, y)) return false;
    return true;
  }
  bool OneColour() const {
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x)
        if (Pixel(x, y) != Pixel(0, 0)) return false;
    return true;
  }
};

// Copied from the screen: another process's window paints into its own surface only.
Capture CaptureWindow(HWND window) {
  RECT frame{};
  GetWindowRect(window, &frame);
  POINT client{0, 0};
  ClientToScreen(window, &client);
  Capture shot{frame.right - frame.left, frame.bottom - frame.top, static_cast<int>(client.y - frame.top), {}};
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, shot.width, shot.height);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, shot.width, shot.height, screen, frame.left, frame.top, SRCCOPY);
  SelectObject(memory, old);
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), shot.width, shot.height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  shot.pixels.resize(static_cast<size_t>(shot.Stride() * shot.height));
  GetDIBits(memory, bitmap, 0, static_cast<UINT>(shot.height), shot.pixels.data(), &info, DIB_RGB_COLORS);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return shot;
}

void SaveBitmap(const Capture& shot, const std::string& path) {
  BITMAPINFOHEADER header{sizeof(BITMAPINFOHEADER), shot.width, shot.height, 1, 24, BI_RGB,
                          static_cast<DWORD>(shot.pixels.size()), 0, 0, 0, 0};
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof(file) + sizeof(header);
  file.bfSize = file.bfOffBits + header.biSizeImage;
  std::string bytes(reinterpret_cast<const char*>(&file), sizeof(file));
  bytes.append(reinterpret_cast<const char*>(&header), sizeof(header));
  bytes.append(shot.pixels.begin(), shot.pixels.end());
  WriteTextFile(path, bytes);
}

class PalvexTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string built = ProgramFileName();
    built = built.substr(0, built.rfind('\\') + 1) + "Palvex.exe";
    program_ = programDir_.Path() + "Palvex.exe";
    ASSERT_TRUE(CopyFileW(Utf8ToWide(built).c_str(), Utf8ToWide(program_).c_str(), FALSE));
    WriteTextFile(volume_.Path() + "frag.bin", "data");
    WriteTextFile(volume_.Path() + "volume.layout",
                  "volume\t100000\t4096\nused\t0:100\nfile\tfrag.bin\t0:5000:10 10:6000:5 15:6005:5\n");
    drive_ = std::make_unique<MappedDrive>(volume_.Path());
  }

  void SeedConfig(bool confirmExit, const std::string& language = "en_US") {
    TComScope com;
    TProfile mail;
    mail.SetName("Mail");
    mail.Files().Add(drive_->Root() + "frag.bin");
    TProfile docs;
    docs.SetName("Docs");
    TOptions options;
    options.Language = language;
    options.ConfirmExit = confirmExit;
    SaveConfig(programDir_.Path() + "config.cfg", {&mail, &docs}, options);
  }

  // Closing asks first when the options say so; Yes ends the program, which saves its settings.
  void CloseAnsweringYes(HWND window, RunningProgram& palvex) {
    PostMessageW(window, WM_CLOSE, 0, 0);
    HWND question = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (question = FindTopLevel(program_, L"#32770")) != nullptr; }));
    PostMessageW(question, WM_COMMAND, IDYES, 0);
    const ProgramResult result = palvex.Finish(30000);
    EXPECT_FALSE(result.timedOut);
    EXPECT_EQ(result.exitCode, 0u);
  }

  // The main window of the started copy and its list, which shows the two seeded profiles.
  void WaitForProfileList(HWND& window, HWND& listWindow) {
    window = WaitForMainWindow();
    ASSERT_TRUE(window);
    listWindow = FindChildOfClass(window, L"SysListView32");
    ASSERT_TRUE(listWindow);
    ASSERT_EQ(RemoteList(listWindow).Count(), 2);
  }

  HWND WaitForMainWindow() {
    HWND window = nullptr;
    WaitFor([&] { return (window = FindTopLevel(program_)) != nullptr; });
    return window;
  }

  TempDir programDir_;
  TempDir volume_;
  std::string program_;
  std::unique_ptr<MappedDrive> drive_;
};

TEST_F(PalvexTest, RunsAProfileSwitchesToGermanAndSavesOnExit) {
  SeedConfig(true);
  RunningProgram palvex(program_, {});
  ASSERT_TRUE(palvex.Started());
  HWND window = nullptr, listWindow = nullptr;
  ASSERT_NO_FATAL_FAILURE(WaitForProfileList(window, listWindow));
  RemoteList list(listWindow);
  ASSERT_TRUE(list.Ready());
  EXPECT_EQ(list.Text(0, 0), "Mail");
  EXPECT_EQ(list.Text(0, 1), drive_->Root() + "frag.bin");
  EXPECT_EQ(list.Text(1, 0), "Docs");
  EXPECT_EQ(list.Text(1, 2), "manually");

  // F9 runs the selected profile; its log lines reach the log panel.
  list.Select(0);
  PostMessageW(listWindow, WM_KEYDOWN, VK_F9, 0);
  HWND memo = FindChildOfClass(window, L"Edit");
  ASSERT_TRUE(memo);
  EXPECT_TRUE(WaitFor([&] {
    return TextOf(memo).find(">>>> \"Defragment file\" finished normally.") != std::string::npos;
  })) << TextOf(memo);
  EXPECT_NE(TextOf(memo).find("<<<< \"Defragment file\" started. File: \"" + drive_->Root() + "frag.bin\""),
            std::string::npos);
  // The file is in one piece now.
  const std::string layout = ReadTextFile(volume_.Path() + "volume.layout");
  const size_t record = layout.find("file\tfrag.bin\t");
  ASSERT_NE(record, std::string::npos);
  const std::string extents = layout.substr(record, layout.find('\n', record) - record);
  EXPECT_EQ(extents.find(' '), std::string::npos) << extents;

  // View > Language > Deutsch, by keyboard: the menus of another process cannot be read here.
  ASSERT_TRUE(BringToFront(window));
  for (WORD key : {VK_MENU, VK_RIGHT, VK_DOWN, VK_RIGHT, VK_DOWN, VK_DOWN, VK_RETURN}) PressKey(key);
  EXPECT_TRUE(WaitFor([&] { return list.Text(1, 2) == "manuell"; })) << list.Text(1, 2);

  CloseAnsweringYes(window, palvex);
  if (HasFatalFailure()) return;
  const std::string config = ReadTextFile(programDir_.Path() + "config.cfg");
  EXPECT_NE(config.find("Language=\"de_DE\""), std::string::npos) << config;
  EXPECT_NE(config.find("Mail"), std::string::npos);
}

// Whether `upper` lies above `lower` in the order the system shows top-level windows in.
bool Above(HWND upper, HWND lower) {
  for (HWND w = GetWindow(upper, GW_HWNDNEXT); w; w = GetWindow(w, GW_HWNDNEXT))
    if (w == lower) return true;
  return false;
}

// The dialog in front with the keyboard, above the main window it keeps disabled (when shown).
void ExpectInFront(HWND dialog, HWND window, const char* route) {
  EXPECT_TRUE(WaitFor([&] { return GetForegroundWindow() == dialog; }, 10000))
      << route << ": in front is \"" << WideToUtf8(TitleOf(GetForegroundWindow())) << "\"";
  if (IsWindowVisible(window)) {
    EXPECT_TRUE(Above(dialog, window)) << route;
  }
  const HWND focus = FocusOf(dialog);
  EXPECT_TRUE(focus == dialog || IsChild(dialog, focus)) << route;
}

TEST_F(PalvexTest, SecondCopyEndsAndBringsTheFirstForward) {
  SeedConfig(true);
  RunningProgram first(program_, {});
  HWND window = WaitForMainWindow();
  ASSERT_TRUE(window);
  ProgramWatchdog watchdog(ProcessOf(window));
  // Minimised, the window goes to the tray.
  PostMessageW(window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  ASSERT_TRUE(WaitFor([&] { return !IsWindowVisible(window) || IsIconic(window); }));

  // Another program in front, where the user works meanwhile, so that what comes forward is
  // seen to come.
  std::string bare = ProgramFileName();
  bare = bare.substr(0, bare.rfind('\\') + 1) + "bare_window.exe";
  StartedProgram other(bare, {"100", "100"});
  ASSERT_TRUE(other.Started());
  HWND otherWindow = nullptr;
  ASSERT_TRUE(WaitFor([&] {
    for (HWND w : TopLevelWindows(other.Id()))
      if (ClassOf(w) == L"BareWindow") otherWindow = w;
    return otherWindow != nullptr;
  }));
  auto workElsewhere = [&] { ASSERT_TRUE(BringToFront(otherWindow)); };
  auto startSecond = [&] {
    const ProgramResult second = RunProgram(program_, {}, 30000);
    EXPECT_FALSE(second.timedOut);
    EXPECT_EQ(second.exitCode, 0u);
  };
  startSecond();
  EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(window) && !IsIconic(window); }));

  // With a dialog open, the dialog comes forward: the window it keeps disabled takes no key.
  auto dialogNamed = [&](const wchar_t* title) {
    HWND dialog = nullptr;
    WaitFor([&] { return (dialog = FindWindowOf(program_, [&](HWND w) { return TitleOf(w) == title; })) != nullptr; });
    return dialog;
  };
  auto closeByEscape = [&](HWND dialog) {
    PressKey(VK_ESCAPE);
    EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(dialog); }));
  };
  ASSERT_TRUE(BringToFront(window));
  PressKey(VK_F1);
  HWND about = dialogNamed(L"About");
  ASSERT_TRUE(about);
  ASSERT_NO_FATAL_FAILURE(workElsewhere());
  startSecond();
  ExpectInFront(about, window, "a second start");
  // The taskbar's Close, or another program's, brings it forward too and leaves it open.
  ASSERT_NO_FATAL_FAILURE(workElsewhere());
  PostMessageW(window, WM_CLOSE, 0, 0);
  ExpectInFront(about, window, "a close from outside");
  closeByEscape(about);

  // Opened from the tray's menu while the window is in the tray, the dialog comes forward with
  // every command of the menu and with the icon's click.
  PostMessageW(window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  ASSERT_TRUE(WaitFor([&] { return !IsWindowVisible(window); }));
  const HWND tray = TrayHandlerOf(ProcessOf(window));
  ASSERT_TRUE(tray);
  // The entry so many from the bottom: 1 Exit, 2 About..., 3 Options...
  auto trayCommand = [&](int fromBottom) {
    PostMessageW(tray, kTrayCallback, 1, WM_RBUTTONDOWN);
    EXPECT_TRUE(WaitFor([&] {
      for (HWND w : TopLevelWindows(ProcessOf(window)))
        if (ClassOf(w) == L"#32768") return true;
      return false;
    }));
    for (int i = 0; i < fromBottom; ++i) PressKey(VK_UP);
    PressKey(VK_RETURN);
  };
  trayCommand(2);
  about = dialogNamed(L"About");
  ASSERT_TRUE(about);
  trayCommand(1);
  ExpectInFront(about, window, "the tray's Exit");
  trayCommand(3);
  ExpectInFront(about, window, "the tray's Options");
  ASSERT_NO_FATAL_FAILURE(workElsewhere());
  PostMessageW(tray, kTrayCallback, 1, WM_LBUTTONDOWN);
  PostMessageW(tray, kTrayCallback, 1, WM_LBUTTONUP);
  EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(window); }));
  ExpectInFront(about, window, "the tray icon's click");
  closeByEscape(about);

  // The exit question, a box of the system's, is the main window's and comes forward too.
  PostMessageW(window, WM_CLOSE, 0, 0);
  HWND question = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (question = FindTopLevel(program_, L"#32770")) != nullptr; }));
  EXPECT_EQ(GetWindow(question, GW_OWNER), window);
  ASSERT_NO_FATAL_FAILURE(workElsewhere());
  startSecond();
  ExpectInFront(question, window, "a second start over the exit question");
  // Yes, its default button, ends the program.
  PressKey(VK_RETURN);
  const ProgramResult result = first.Finish(30000);
  EXPECT_FALSE(result.timedOut);
  EXPECT_EQ(result.exitCode, 0u);
}

TEST_F(PalvexTest, InsAddsAProfileThroughItsPropertiesDialog) {
  SeedConfig(true);
  RunningProgram palvex(program_, {});
  HWND window = nullptr, listWindow = nullptr;
  ASSERT_NO_FATAL_FAILURE(WaitForProfileList(window, listWindow));
  RemoteList list(listWindow);
  ASSERT_TRUE(list.Ready());

  PostMessageW(listWindow, WM_KEYDOWN, VK_INSERT, 0);
  HWND props = nullptr;
  ASSERT_TRUE(WaitFor([&] {
    props = FindWindowOf(program_, [](HWND w) { return TitleOf(w) == L"Profile properties"; });
    return props != nullptr;
  }));
  HWND name = FindChildOfClass(props, L"Edit");
  ASSERT_TRUE(name);
  EXPECT_EQ(TextOf(name), "");
  SetText(name, "Weekly");

  // One file through the open dialog of the "Included file(s)" page.
  const std::string file = drive_->Root() + "frag.bin";
  // The page's controls come with the page: the arrow key the tabs answer to shows it.
  HWND tabs = FindChildOfClass(props, L"SysTabControl32");
  ASSERT_TRUE(tabs);
  PostMessageW(tabs, WM_KEYDOWN, VK_RIGHT, 0);
  HWND addFile = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (addFile = FindButton(props, "Add file...")) != nullptr; }));
  Click(addFile);
  HWND open = nullptr;
  ASSERT_TRUE(WaitFor([&] {
    open = FindWindowOf(program_, [](HWND w) { return ClassOf(w) == L"#32770" && TitleOf(w) != kPalvexTitle; });
    return open != nullptr;
  }));
  HWND fileName = GetDlgItem(open, edt1);
  if (!fileName) fileName = GetDlgItem(open, cmb13);
  ASSERT_TRUE(fileName);
  SetText(fileName, file);
  PostMessageW(open, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(open) || !IsWindowVisible(open); }));
  RemoteList files(FindChildOfClass(props, L"SysListView32"));
  ASSERT_TRUE(files.Ready());
  EXPECT_TRUE(WaitFor([&] { return files.Count() == 1; })) << files.Count();
  EXPECT_EQ(files.Text(0, 0), file);

  HWND ok = FindButton(props, "OK");
  ASSERT_TRUE(ok);
  Click(ok);
  ASSERT_TRUE(WaitFor([&] { return list.Count() == 3; })) << list.Count();
  EXPECT_EQ(list.Text(2, 0), "Weekly");
  EXPECT_EQ(list.Text(2, 1), file);
  EXPECT_EQ(list.Text(2, 2), "manually");

  CloseAnsweringYes(window, palvex);
  const std::string config = ReadTextFile(programDir_.Path() + "config.cfg");
  EXPECT_NE(config.find("Name=\"Weekly\""), std::string::npos) << config;
  EXPECT_NE(config.find("Name=\"Docs\""), std::string::npos) << config;
}

// The main window as it starts in each language, saved as BMP files next to the program.
TEST_F(PalvexTest, MainWindowShowsInEachLanguage) {
  std::vector<Capture> shots;
  for (const char* language : {"en_US", "de_DE", "ru_RU"}) {
    SCOPED_TRACE(language);
    SeedConfig(false, language);
    RunningProgram palvex(program_, {});
    HWND window = WaitForMainWindow();
    ASSERT_TRUE(window);
    ASSERT_TRUE(BringToFront(window));
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    std::this_thread::sleep_for(std::chrono::milliseconds(1000));
    shots.push_back(CaptureWindow(window));
    SaveBitmap(shots.back(), programDir_.Path() + "palvex-" + language + ".bmp");
    PostMessageW(window, WM_CLOSE, 0, 0);
    const ProgramResult result = palvex.Finish(30000);
    EXPECT_FALSE(result.timedOut);
    EXPECT_FALSE(shots.back().OneColour());
    ASSERT_GT(shots.back().clientTop, 0);
  }
  const Capture& english = shots[0];
  // The title bar is the same in every language; the menu bar, on its dock of 23 pixels at the
  // top of the client area, is not.
  const int menuTop = english.clientTop, menuBottom = english.clientTop + 23;
  EXPECT_TRUE(english.SameRows(shots[1], 0, menuTop / 2));
  EXPECT_FALSE(english.SameRows(shots[1], menuTop, menuBottom));
  EXPECT_FALSE(english.SameRows(shots[2], menuTop, menuBottom));
  EXPECT_FALSE(shots[1].SameRows(shots[2], menuTop, menuBottom));
  const std::string saved = ReadTextFile(programDir_.Path() + "palvex-ru_RU.bmp");
  EXPECT_EQ(saved.substr(0, 2), "BM");
  EXPECT_EQ(saved.size(), sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER) + shots[2].pixels.size());
}

}  // namespace
}  // namespace movra::testing
