// Palvex.exe driven from outside, as a user would: a copy in a folder of its own with a seeded
// config.cfg, defragmenting a file on a simulated drive.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <chrono>
#include <functional>
#include <thread>

#include "profiles/options.h"
#include "profiles/profile.h"
#include "profiles/settings.h"
#include "profiles/xml_document.h"
#include "runtime/text.h"
#include "tests/console/run_program.h"
#include "tests/support/support.h"

namespace movra::testing {
namespace {

constexpr wchar_t kTitle[] = L"Movra File Defragmentor";

bool WaitFor(const std::function<bool()>& done, int limitMs = 20000) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return true;
}

std::wstring ClassOf(HWND window) {
  wchar_t name[128] = {};
  GetClassNameW(window, name, 128);
  return name;
}

std::string TextOf(HWND window) {
  const LRESULT length = SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<size_t>(length));
  return WideToUtf8(text);
}

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

// The visible top-level window of the program `image` with the application title and, when
// given, that class.
HWND FindTopLevel(const std::string& image, const std::wstring& className = L"") {
  struct Search {
    std::wstring image;
    std::wstring className;
    HWND found = nullptr;
  } search{Utf8ToWide(image), className};
  EnumWindows(
      [](HWND window, LPARAM data) -> BOOL {
        auto* s = reinterpret_cast<Search*>(data);
        wchar_t title[128] = {};
        GetWindowTextW(window, title, 128);
        if (!IsWindowVisible(window) || std::wstring(title) != kTitle) return TRUE;
        if (_wcsicmp(ProcessImage(window).c_str(), s->image.c_str()) != 0) return TRUE;
        const bool dialog = ClassOf(window) == L"#32770";
        if (s->className.empty() ? dialog : ClassOf(window) != s->className) return TRUE;
        s->found = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND FindChild(HWND parent, const std::wstring& className) {
  struct Search {
    std::wstring className;
    HWND found = nullptr;
  } search{className};
  EnumChildWindows(
      parent,
      [](HWND window, LPARAM data) -> BOOL {
        auto* s = reinterpret_cast<Search*>(data);
        if (ClassOf(window) != s->className) return TRUE;
        s->found = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// A list view of another process, read through memory in that process.
class RemoteList {
 public:
  explicit RemoteList(HWND list) : list_(list) {
    DWORD pid = 0;
    GetWindowThreadProcessId(list, &pid);
    process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (process_)
      memory_ = VirtualAllocEx(process_, nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  }
  ~RemoteList() {
    if (memory_) VirtualFreeEx(process_, memory_, 0, MEM_RELEASE);
    if (process_) CloseHandle(process_);
  }
  bool Ready() const { return memory_ != nullptr; }
  int Count() const { return static_cast<int>(SendMessageW(list_, LVM_GETITEMCOUNT, 0, 0)); }

  std::string Text(int row, int column) {
    auto* remote = static_cast<char*>(memory_);
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = reinterpret_cast<wchar_t*>(remote + sizeof(LVITEMW));
    item.cchTextMax = 1000;
    WriteProcessMemory(process_, remote, &item, sizeof(item), nullptr);
    const auto length = SendMessageW(list_, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(remote));
    std::wstring text(static_cast<size_t>(length), L'\0');
    ReadProcessMemory(process_, item.pszText, text.data(), text.size() * sizeof(wchar_t), nullptr);
    return WideToUtf8(text);
  }

  void Select(int row) {
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    WriteProcessMemory(process_, memory_, &item, sizeof(item), nullptr);
    SendMessageW(list_, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(memory_));
  }

 private:
  HWND list_;
  HANDLE process_ = nullptr;
  void* memory_ = nullptr;
};

void PressKey(WORD key) {
  INPUT input[2] = {};
  for (INPUT& i : input) {
    i.type = INPUT_KEYBOARD;
    i.ki.wVk = key;
  }
  input[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, input, sizeof(INPUT));
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
}

// A status bar panel's text; the bar answers with the text in the caller's own buffer only
// within its process, so the buffer lives there.
std::string RemoteStatusText(HWND bar, int panel) {
  DWORD pid = 0;
  GetWindowThreadProcessId(bar, &pid);
  HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ, FALSE, pid);
  if (!process) return {};
  void* memory = VirtualAllocEx(process, nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  const auto length = LOWORD(SendMessageW(bar, SB_GETTEXTW, panel, reinterpret_cast<LPARAM>(memory)));
  std::wstring text(length, L'\0');
  ReadProcessMemory(process, memory, text.data(), text.size() * sizeof(wchar_t), nullptr);
  VirtualFreeEx(process, memory, 0, MEM_RELEASE);
  CloseHandle(process);
  return WideToUtf8(text);
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

  void SeedConfig(bool confirmExit) {
    TComScope com;
    TProfile mail;
    mail.SetName("Mail");
    mail.Files().Add(drive_->Root() + "frag.bin");
    TProfile docs;
    docs.SetName("Docs");
    TOptions options;
    options.Language = "en_US";
    options.ConfirmExit = confirmExit;
    SaveConfig(programDir_.Path() + "config.cfg", {&mail, &docs}, options);
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
  HWND window = WaitForMainWindow();
  ASSERT_TRUE(window);

  HWND listWindow = FindChild(window, L"SysListView32");
  ASSERT_TRUE(listWindow);
  RemoteList list(listWindow);
  ASSERT_TRUE(list.Ready());
  ASSERT_EQ(list.Count(), 2);
  EXPECT_EQ(list.Text(0, 0), "Mail");
  EXPECT_EQ(list.Text(0, 1), drive_->Root() + "frag.bin");
  EXPECT_EQ(list.Text(1, 0), "Docs");
  EXPECT_EQ(list.Text(1, 2), "manually");

  // F9 runs the selected profile; its log lines reach the log panel.
  list.Select(0);
  PostMessageW(listWindow, WM_KEYDOWN, VK_F9, 0);
  HWND memo = FindChild(window, L"Edit");
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
  ASSERT_TRUE(WaitFor([&] {
    SetForegroundWindow(window);
    return GetForegroundWindow() == window;
  }));
  for (WORD key : {VK_MENU, VK_RIGHT, VK_DOWN, VK_RIGHT, VK_DOWN, VK_DOWN, VK_RETURN}) PressKey(key);
  HWND statusBar = FindChild(window, L"msctls_statusbar32");
  ASSERT_TRUE(statusBar);
  EXPECT_TRUE(WaitFor([&] { return list.Text(1, 2) == "manuell"; })) << list.Text(1, 2);
  EXPECT_EQ(RemoteStatusText(statusBar, 1), "In der Warteschlange: 0 Profil(e)");

  // Closing asks first; Yes ends the program, which saves its settings.
  PostMessageW(window, WM_CLOSE, 0, 0);
  HWND question = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (question = FindTopLevel(program_, L"#32770")) != nullptr; }));
  PostMessageW(question, WM_COMMAND, IDYES, 0);
  const ProgramResult result = palvex.Finish(30000);
  EXPECT_FALSE(result.timedOut);
  EXPECT_EQ(result.exitCode, 0u);
  const std::string config = ReadTextFile(programDir_.Path() + "config.cfg");
  EXPECT_NE(config.find("Language=\"de_DE\""), std::string::npos) << config;
  EXPECT_NE(config.find("Mail"), std::string::npos);
}

TEST_F(PalvexTest, SecondCopyEndsAndBringsTheFirstForward) {
  SeedConfig(false);
  RunningProgram first(program_, {});
  HWND window = WaitForMainWindow();
  ASSERT_TRUE(window);
  // Minimised, the window goes to the tray.
  PostMessageW(window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  ASSERT_TRUE(WaitFor([&] { return !IsWindowVisible(window) || IsIconic(window); }));

  const ProgramResult second = RunProgram(program_, {}, 30000);
  EXPECT_FALSE(second.timedOut);
  EXPECT_EQ(second.exitCode, 0u);
  EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(window) && !IsIconic(window); }));

  PostMessageW(window, WM_CLOSE, 0, 0);
  const ProgramResult result = first.Finish(30000);
  EXPECT_FALSE(result.timedOut);
  EXPECT_EQ(result.exitCode, 0u);
}

}  // namespace
}  // namespace movra::testing
