#pragma once
// Driving a program of another process as a user would: its windows found by process, class
// and text, keys and clicks sent through the system's input, and what shows on screen copied.
#include <windows.h>
#include <oleacc.h>

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "profiles/options.h"
#include "tests/support/support.h"

namespace movra::testing {

// True once `done` answers true, polled every 20 ms for at most `limitMs`.
bool WaitFor(const std::function<bool()>& done, int limitMs = 20000);

std::wstring ClassOf(HWND window);
std::wstring TitleOf(HWND window);
// The window's text asked for by message, so that it works across processes.
std::string TextOf(HWND window);
DWORD ProcessOf(HWND window);
// The visible top-level windows of the process, front first.
std::vector<HWND> TopLevelWindows(DWORD process);
HWND FindChildWhere(HWND parent, const std::function<bool(HWND)>& wanted);
HWND FindChildOfClass(HWND parent, const std::wstring& className);
// Every descendant of the class, in the system's order.
std::vector<HWND> ChildrenOfClass(HWND parent, const std::wstring& className);
RECT ScreenRectOf(HWND window);
// The window of `window`'s program that has the keyboard focus.
HWND FocusOf(HWND window);
RECT ClientScreenRectOf(HWND window);

// What a toolbar, menu bar or popup window of another process tells of its items through its
// accessible object: the name (the caption without its ampersand, a tab and the shortcut in a
// menu), the STATE_SYSTEM_* flags and the place on screen. Empty when the window gives no object.
struct AccItem {
  std::string Name;
  LONG State = 0;
  RECT Screen{};
  POINT Centre() const { return {(Screen.left + Screen.right) / 2, (Screen.top + Screen.bottom) / 2}; }
  bool Checked() const { return (State & STATE_SYSTEM_CHECKED) != 0; }
};
std::vector<AccItem> AccItems(HWND window);
// The names of the items not marked invisible; menu entries without their shortcut.
std::vector<std::string> AccCaptions(HWND window);

// A list view of another process, read through memory in that process.
class RemoteList {
 public:
  explicit RemoteList(HWND list);
  ~RemoteList();
  RemoteList(const RemoteList&) = delete;
  RemoteList& operator=(const RemoteList&) = delete;
  bool Ready() const { return memory_ != nullptr; }
  int Count() const;
  std::string Text(int row, int column);
  void Select(int row);
  // The row's rectangle on screen.
  RECT RowRect(int row);

 private:
  HWND list_;
  HANDLE process_ = nullptr;
  void* memory_ = nullptr;
};

// A program started with a command line; ended by force if it still runs at destruction.
class StartedProgram {
 public:
  StartedProgram(const std::string& program, const std::vector<std::string>& args = {});
  ~StartedProgram();
  StartedProgram(const StartedProgram&) = delete;
  StartedProgram& operator=(const StartedProgram&) = delete;

  bool Started() const { return process_ != nullptr; }
  DWORD Id() const { return id_; }
  // The exit code once the program ended within `limitMs`, else STILL_ACTIVE.
  DWORD WaitForExit(DWORD limitMs);

 private:
  HANDLE process_ = nullptr;
  DWORD id_ = 0;
};

// Ends the process by force after `limitMs` unless destroyed first, so that a program stuck in a
// loop of its own fails the test instead of hanging it.
class ProgramWatchdog {
 public:
  ProgramWatchdog(DWORD process, int limitMs = 180000);
  ~ProgramWatchdog();
  ProgramWatchdog(const ProgramWatchdog&) = delete;
  ProgramWatchdog& operator=(const ProgramWatchdog&) = delete;

 private:
  std::mutex mutex_;
  std::condition_variable stopped_;
  bool stop_ = false;
  std::thread thread_;
};

// The message the shell sends the tray icon's window of the program when the icon is clicked,
// with the icon's id (the program's one icon: 1) and the mouse message.
inline constexpr UINT kTrayCallback = WM_USER + 0x400;
// The hidden window of the process's tray icon, or nullptr after `limitMs`.
HWND TrayHandlerOf(DWORD process, int limitMs = 20000);

// Keys and mouse buttons through the system's input queue, to whichever window is in front.
void KeyDown(WORD key);
void KeyUp(WORD key);
// Down and up, then a pause for the program to take it.
void PressKey(WORD key);
// `keys` pressed in order and released in reverse order: {VK_MENU, 'F'} is Alt+F.
void PressChord(const std::vector<WORD>& keys);
void MoveMouseTo(POINT screen);
void ClickAt(POINT screen, bool rightButton = false);
// Makes the window the foreground window; false when the system would not.
bool BringToFront(HWND window);

// What the screen shows in a rectangle, copied from the screen: another process's window
// paints into its own surface only.
class ScreenShot {
 public:
  explicit ScreenShot(const RECT& area);
  ~ScreenShot();
  ScreenShot(const ScreenShot&) = delete;
  ScreenShot& operator=(const ScreenShot&) = delete;

  const RECT& Area() const { return area_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  // A pixel by its screen position, as GetPixel gives it; CLR_INVALID outside the area.
  COLORREF At(int screenX, int screenY) const;
  // Whether some pixel of `part` (screen coordinates, inside both areas) differs from `other`.
  bool DiffersIn(const ScreenShot& other, const RECT& part) const;
  // The number of distinct colours in `part` (screen coordinates), up to `limit`.
  int Colours(const RECT& part, int limit = 64) const;

 private:
  uint32_t Raw(int screenX, int screenY) const {
    return bits_[static_cast<size_t>(screenY - area_.top) * width_ + (screenX - area_.left)];
  }
  RECT area_;
  int width_, height_;
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_ = nullptr;
  uint32_t* bits_ = nullptr;
};

RECT VirtualScreen();

// The windows of `window`'s thread that meet `area` (screen coordinates), each drawn by itself
// in its own process (the window printer hook), saved under build/test-artifacts as
// "<name>.bmp"; returns the path, empty when the program drew nothing.
std::string SavePrintedWindows(HWND window, const RECT& area, const std::string& name);

// The application title, which the main window and the program's message boxes carry.
inline constexpr wchar_t kPalvexTitle[] = L"Movra File Defragmentor";

// A copy of Palvex.exe in a folder of its own, next to the settings file it reads and writes.
class PalvexCopy {
 public:
  struct Profile {
    std::string Name;
    std::string File;  // empty: none
  };
  PalvexCopy();
  bool Ready() const { return ready_; }
  const std::string& Program() const { return program_; }
  const std::string& Folder() const { return folder_.Path(); }
  std::string ConfigPath() const { return folder_.Path() + "config.cfg"; }
  // Writes config.cfg with the profiles, in order, and the options.
  void Seed(const std::vector<Profile>& profiles, const TOptions& options) const;
  // The copy's main window once it shows, or nullptr after `limitMs`.
  HWND WaitForMainWindow(DWORD process, int limitMs = 20000) const;

 private:
  TempDir folder_;
  std::string program_;
  bool ready_ = false;
};

// The visible main window of the process: the application title on a window that is not a
// dialog.
HWND MainWindowOf(DWORD process);

// A simulated drive whose folder "many" holds `files` files of three fragments each, with room
// on the volume to put all of them in one piece.
class FragmentedDrive {
 public:
  explicit FragmentedDrive(int files);
  // "X:\many", the folder a profile names.
  std::string Folder() const { return drive_->Root() + "many"; }

 private:
  TempDir volume_;
  std::unique_ptr<MappedDrive> drive_;
};

// On a thread of its own, every `periodMs`: the round trip of a message sent to `window`, as the
// time it was sent and how long the window took to answer.
class RoundTrips {
 public:
  struct Sample {
    double Sent, Ms;
  };
  RoundTrips(HWND window, int periodMs = 100);
  ~RoundTrips();
  RoundTrips(const RoundTrips&) = delete;
  RoundTrips& operator=(const RoundTrips&) = delete;
  // The round trips of the messages sent from `from` to `to` (NowMs times).
  std::vector<double> Between(double from, double to);

 private:
  std::mutex mutex_;
  std::vector<Sample> samples_;
  bool stop_ = false;
  std::thread thread_;
};

// The lines another process appends to a text file, each with the time it was first seen here,
// read on a thread of its own every 20 ms.
class GrowingFile {
 public:
  struct Line {
    std::string Text;
    double Seen;
  };
  explicit GrowingFile(std::string path);
  ~GrowingFile();
  GrowingFile(const GrowingFile&) = delete;
  GrowingFile& operator=(const GrowingFile&) = delete;
  std::vector<Line> Lines();
  // The time the first line holding `text` was seen, or a negative number.
  double SeenAt(const std::string& text);

 private:
  const std::string path_;
  std::mutex mutex_;
  std::vector<Line> lines_;
  std::string partial_;
  bool stop_ = false;
  std::thread thread_;
};

}  // namespace movra::testing
