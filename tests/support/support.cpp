#include "tests/support/support.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <memory>

#include "runtime/exception.h"
#include "runtime/text.h"

namespace movra::testing {
namespace {

std::string ErrorText(DWORD error) { return " (system error " + std::to_string(error) + ")"; }

struct HandleCloser {
  void operator()(HANDLE handle) const {
    if (handle != nullptr && handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
  }
};
using UniqueHandle = std::unique_ptr<void, HandleCloser>;

std::atomic<unsigned> uniqueCounter{0};

std::string UniqueName(const char* prefix) {
  return prefix + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(GetTickCount64()) +
         "-" + std::to_string(uniqueCounter++);
}

std::string TempPath() {
  wchar_t buffer[MAX_PATH + 1];
  const DWORD n = GetTempPathW(MAX_PATH + 1, buffer);
  if (n == 0 || n > MAX_PATH) throw Exception("no temporary path" + ErrorText(GetLastError()));
  return WideToUtf8(std::wstring(buffer, n));
}

void RemoveTree(const std::wstring& folder) {
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = found.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring path = folder + L"\\" + name;
      SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      const bool directory = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
      const bool link = (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
      if (directory && !link) {
        RemoveTree(path);
      } else if (directory) {
        RemoveDirectoryW(path.c_str());
      } else {
        DeleteFileW(path.c_str());
      }
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  RemoveDirectoryW(folder.c_str());
}

std::string UnixPath(const std::string& windowsPath) {
  using UnixNameFunction = char*(CDECL*)(const wchar_t*);
  const auto unixName = reinterpret_cast<UnixNameFunction>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  char* name = unixName ? unixName(Utf8ToWide(windowsPath).c_str()) : nullptr;
  if (name == nullptr) throw Exception("no Unix path for " + windowsPath);
  std::string path = name;
  HeapFree(GetProcessHeap(), 0, name);
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

std::string WinePrefix() {
  wchar_t buffer[MAX_PATH];
  DWORD n = GetEnvironmentVariableW(L"WINEPREFIX", buffer, MAX_PATH);
  if (n > 0 && n < MAX_PATH) return WideToUtf8(std::wstring(buffer, n));
  n = GetEnvironmentVariableW(L"HOME", buffer, MAX_PATH);
  if (n > 0 && n < MAX_PATH) return WideToUtf8(std::wstring(buffer, n)) + "/.wine";
  throw Exception("the Wine prefix is unknown (WINEPREFIX is not set)");
}

// A quoted word for the Unix shell.
std::string ShellWord(const std::string& text) {
  std::string word = "'";
  for (char c : text) word += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return word + "'";
}

// Runs a shell script on the Unix side and returns its exit status. Wine hands back no
// process handle for a Unix program, so the script reports its status through a file that
// appears in one step once the work is done.
int RunUnixScript(const std::string& script) {
  const std::string marker = TempPath() + UniqueName("movra-unix-");
  const std::string unixMarker = UnixPath(marker);
  const std::string command = script + "; echo $? > " + ShellWord(unixMarker + ".new") + " && mv " +
                              ShellWord(unixMarker + ".new") + " " + ShellWord(unixMarker);
  if (command.find('"') != std::string::npos) throw Exception("cannot quote " + command);
  std::wstring commandLine = L"sh -c \"" + Utf8ToWide(command) + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(L"Z:\\bin\\sh", commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &startup, &process)) {
    throw Exception("cannot start /bin/sh" + ErrorText(GetLastError()));
  }
  UniqueHandle processHandle(process.hProcess);
  UniqueHandle threadHandle(process.hThread);
  for (int waited = 0; waited < 30000; waited += 10) {
    const DWORD attributes = GetFileAttributesW(Utf8ToWide(marker).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
      const std::string status = ReadTextFile(marker);
      DeleteFileW(Utf8ToWide(marker).c_str());
      return std::stoi(status);
    }
    Sleep(10);
  }
  throw Exception("the Unix script did not finish: " + script);
}

std::string WithoutTrailingBackslash(std::string path) {
  while (path.size() > 3 && path.back() == '\\') path.pop_back();
  return path;
}

}  // namespace

bool RunningUnderWine() {
  return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

TempDir::TempDir() {
  const std::string base = TempPath();
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string path = base + UniqueName("movra-test-");
    if (CreateDirectoryW(Utf8ToWide(path).c_str(), nullptr)) {
      path_ = path + "\\";
      return;
    }
    if (GetLastError() != ERROR_ALREADY_EXISTS) break;
  }
  throw Exception("cannot create a temporary folder under " + base + ErrorText(GetLastError()));
}

TempDir::~TempDir() { RemoveTree(Utf8ToWide(WithoutTrailingBackslash(path_))); }

MappedDrive::MappedDrive(const std::string& folder) {
  const std::string target = WithoutTrailingBackslash(folder);
  const DWORD inUse = GetLogicalDrives();
  const bool wine = RunningUnderWine();
  const std::string unixTarget = wine ? UnixPath(target) : std::string();
  const std::string devices = wine ? WinePrefix() + "/dosdevices/" : std::string();
  // D onwards: A and B are floppies by habit, C is the system drive, Z is "/" under Wine.
  for (char letter = 'D'; letter < 'Z'; ++letter) {
    if ((inUse & (1u << (letter - 'A'))) != 0) continue;
    const std::string drive{letter, ':'};
    if (wine) {
      // ln fails when the link exists, so two processes never get the same letter.
      const std::string link = devices + static_cast<char>(letter - 'A' + 'a') + ":";
      if (RunUnixScript("ln -sT " + ShellWord(unixTarget) + " " + ShellWord(link) +
                        " 2>/dev/null") == 0) {
        letter_ = letter;
        link_ = link;
        return;
      }
    } else if (wchar_t defined[MAX_PATH];
               QueryDosDeviceW(Utf8ToWide(drive).c_str(), defined, MAX_PATH) == 0 &&
               DefineDosDeviceW(0, Utf8ToWide(drive).c_str(), Utf8ToWide(target).c_str())) {
      letter_ = letter;
      link_ = target;
      return;
    }
  }
  throw Exception("no free drive letter to map " + folder);
}

MappedDrive::~MappedDrive() {
  try {
    if (RunningUnderWine()) {
      RunUnixScript("rm -f " + ShellWord(link_));
    } else {
      const std::wstring drive{static_cast<wchar_t>(letter_), L':'};
      DefineDosDeviceW(DDD_REMOVE_DEFINITION | DDD_EXACT_MATCH_ON_REMOVE, drive.c_str(),
                       Utf8ToWide(link_).c_str());
    }
  } catch (const std::exception&) {
    // A link left behind only takes a letter; a destructor has no one to tell.
  }
}

void WriteTextFile(const std::string& path, const std::string& text) {
  UniqueHandle file(CreateFileW(Utf8ToWide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file.get() == INVALID_HANDLE_VALUE) {
    throw Exception("cannot create " + path + ErrorText(GetLastError()));
  }
  DWORD written = 0;
  if (!WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) ||
      written != text.size()) {
    throw Exception("cannot write " + path + ErrorText(GetLastError()));
  }
}

std::string ReadTextFile(const std::string& path) {
  UniqueHandle file(CreateFileW(Utf8ToWide(path).c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file.get() == INVALID_HANDLE_VALUE) {
    throw Exception("cannot open " + path + ErrorText(GetLastError()));
  }
  std::string text;
  char buffer[65536];
  DWORD read = 0;
  while (ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr) && read > 0) {
    text.append(buffer, read);
  }
  return text;
}

LayoutBuilder::LayoutBuilder(int64_t totalClusters, int64_t bytesPerCluster)
    : text_("volume\t" + std::to_string(totalClusters) + "\t" + std::to_string(bytesPerCluster) +
            "\n") {}

LayoutBuilder& LayoutBuilder::Used(int64_t lcn, int64_t length) {
  text_ += "used\t" + std::to_string(lcn) + ":" + std::to_string(length) + "\n";
  return *this;
}

LayoutBuilder& LayoutBuilder::File(const std::string& path, const std::vector<Extent>& extents) {
  text_ += "file\t" + path;
  char separator = '\t';
  for (const Extent& extent : extents) {
    text_ += separator;
    text_ += std::to_string(extent.Vcn) + ":" + std::to_string(extent.Lcn) + ":" +
             std::to_string(extent.Length);
    separator = ' ';
  }
  text_ += "\n";
  return *this;
}

LayoutBuilder& LayoutBuilder::File(const std::string& path, int64_t lcn, int64_t length) {
  return File(path, {{0, lcn, length}});
}

LayoutBuilder& LayoutBuilder::Resident(const std::string& path) {
  text_ += "resident\t" + path + "\n";
  return *this;
}

void SendMouseAt(POINT screen, DWORD buttons) {
  // Absolute positions run from 0 to 65535 over the virtual screen, and the system takes a
  // pixel as the position times the width over 65536: rounded up, each pixel comes back itself.
  const LONG left = GetSystemMetrics(SM_XVIRTUALSCREEN), top = GetSystemMetrics(SM_YVIRTUALSCREEN);
  const LONG width = std::max(1, GetSystemMetrics(SM_CXVIRTUALSCREEN));
  const LONG height = std::max(1, GetSystemMetrics(SM_CYVIRTUALSCREEN));
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dx = ((screen.x - left) * 65536 + width - 1) / width;
  input.mi.dy = ((screen.y - top) * 65536 + height - 1) / height;
  input.mi.dwFlags = buttons | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_VIRTUALDESK;
  SendInput(1, &input, sizeof input);
}

HWND FindThreadWindow(const wchar_t* className, const wchar_t* title) {
  struct Search {
    const wchar_t* className;
    const wchar_t* title;
    HWND found;
  } search{className, title, nullptr};
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND window, LPARAM context) -> BOOL {
        auto& s = *reinterpret_cast<Search*>(context);
        wchar_t text[256] = {};
        if (s.className) {
          GetClassNameW(window, text, 256);
          if (wcscmp(text, s.className) != 0) return TRUE;
        }
        if (s.title) {
          GetWindowTextW(window, text, 256);
          if (wcscmp(text, s.title) != 0) return TRUE;
        }
        s.found = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

}  // namespace movra::testing

namespace movra::testing {

TestPicture::TestPicture(int width, int height, COLORREF fill) : width_(width), height_(height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down: row 0 is the top row
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  bitmap_ = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  dc_ = CreateCompatibleDC(nullptr);
  if (bitmap_ == nullptr || dc_ == nullptr) throw Exception("cannot create a test picture" + ErrorText(GetLastError()));
  bits_ = static_cast<uint32_t*>(bits);
  old_ = SelectObject(dc_, bitmap_);
  Fill(fill);
}

namespace {

SIZE WindowSize(HWND window, bool clientOnly) {
  RECT r{};
  if (clientOnly) {
    GetClientRect(window, &r);
  } else {
    GetWindowRect(window, &r);
  }
  return {r.right - r.left, r.bottom - r.top};
}

}  // namespace

TestPicture::TestPicture(HWND window, bool clientOnly, COLORREF fill)
    : TestPicture(std::max<LONG>(1, WindowSize(window, clientOnly).cx), std::max<LONG>(1, WindowSize(window, clientOnly).cy),
                  fill) {
  Print(window, 0, 0, clientOnly);
}

void TestPicture::Print(HWND window, int x, int y, bool clientOnly) {
  // Printed at the origin of a buffer, then copied to its place: Wine's buttons print
  // nothing into a DC whose origin is moved.
  const SIZE size = WindowSize(window, clientOnly);
  HDC buffer = CreateCompatibleDC(dc_);
  HBITMAP bitmap = CreateCompatibleBitmap(dc_, std::max<LONG>(1, size.cx), std::max<LONG>(1, size.cy));
  HGDIOBJ old = SelectObject(buffer, bitmap);
  BitBlt(buffer, 0, 0, size.cx, size.cy, dc_, x, y, SRCCOPY);
  PrintWindow(window, buffer, clientOnly ? PW_CLIENTONLY : 0);
  BitBlt(dc_, x, y, size.cx, size.cy, buffer, 0, 0, SRCCOPY);
  SelectObject(buffer, old);
  DeleteObject(bitmap);
  DeleteDC(buffer);
  GdiFlush();
}

TestPicture::~TestPicture() {
  if (dc_ != nullptr) {
    SelectObject(dc_, old_);
    DeleteDC(dc_);
  }
  if (bitmap_ != nullptr) DeleteObject(bitmap_);
}

COLORREF TestPicture::Pixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return CLR_INVALID;
  GdiFlush();
  const uint32_t v = bits_[static_cast<size_t>(y) * width_ + x];  // 0x00RRGGBB in memory order BGRA
  return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
}

void TestPicture::Fill(COLORREF color) {
  GdiFlush();
  const uint32_t v = (GetRValue(color) << 16) | (GetGValue(color) << 8) | GetBValue(color);
  std::fill(bits_, bits_ + static_cast<size_t>(width_) * height_, v);
}

std::string TestArtifactsFolder() {
  std::string folder = ProgramFileName();
  folder = folder.substr(0, folder.rfind('\\'));            // ...\build\bin
  folder = folder.substr(0, folder.rfind('\\') + 1) + "test-artifacts\\";
  CreateDirectoryW(Utf8ToWide(folder).c_str(), nullptr);
  return folder;
}

std::string TestPicture::Save(const std::string& name) const {
  const std::string path = TestArtifactsFolder() + name + ".bmp";
  SaveAs(path);
  return path;
}

void TestPicture::SaveAs(const std::string& path) const {
  GdiFlush();
  const DWORD size = static_cast<DWORD>(width_) * height_ * 4;
  BITMAPINFOHEADER header{sizeof(BITMAPINFOHEADER), width_, -height_, 1, 32, BI_RGB, size, 0, 0, 0, 0};
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof(file) + sizeof(header);
  file.bfSize = file.bfOffBits + size;
  std::string bytes(reinterpret_cast<const char*>(&file), sizeof(file));
  bytes.append(reinterpret_cast<const char*>(&header), sizeof(header));
  bytes.append(reinterpret_cast<const char*>(bits_), size);
  WriteTextFile(path, bytes);
}

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double NowMs() {
  LARGE_INTEGER count, frequency;
  QueryPerformanceCounter(&count);
  QueryPerformanceFrequency(&frequency);
  return 1000.0 * static_cast<double>(count.QuadPart) / static_cast<double>(frequency.QuadPart);
}

void DrainMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

ProcessUsage MeasureProcess() {
  ProcessUsage u;
  HANDLE process = GetCurrentProcess();
  GetProcessHandleCount(process, &u.Handles);
  u.Gdi = GetGuiResources(process, GR_GDIOBJECTS);
  u.User = GetGuiResources(process, GR_USEROBJECTS);
  PROCESS_MEMORY_COUNTERS_EX counters{};
  counters.cb = sizeof(counters);
  if (GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof(counters)))
    u.Private = counters.PrivateUsage ? counters.PrivateUsage : counters.PagefileUsage;
  return u;
}

void ExpectSettled(const ProcessUsage& before, const ProcessUsage& after, DWORD margin, SIZE_T memory) {
  EXPECT_LE(after.Handles, before.Handles + margin) << "handles";
  EXPECT_LE(after.Gdi, before.Gdi + margin) << "GDI objects";
  EXPECT_LE(after.User, before.User + margin) << "USER objects";
  EXPECT_LE(after.Private, before.Private + memory) << "private bytes";
}

}  // namespace movra::testing
