#include "tests/app/palvex_drive.h"

#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <set>
#include <thread>

#include "profiles/profile.h"
#include "profiles/settings.h"
#include "profiles/xml_document.h"
#include "runtime/text.h"
#include "tests/app/window_printer.h"

namespace movra::testing {

bool WaitFor(const std::function<bool()>& done, int limitMs) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

std::wstring ClassOf(HWND window) {
  wchar_t name[128] = {};
  GetClassNameW(window, name, 128);
  return name;
}

std::wstring TitleOf(HWND window) {
  wchar_t title[256] = {};
  GetWindowTextW(window, title, 256);
  return title;
}

std::string TextOf(HWND window) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length)) return {};
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  DWORD_PTR copied = 0;
  SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG,
                      5000, &copied);
  text.resize(static_cast<size_t>(copied));
  return WideToUtf8(text);
}

DWORD ProcessOf(HWND window) {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  return process;
}

std::vector<HWND> TopLevelWindows(DWORD process) {
  struct Search {
    DWORD process;
    std::vector<HWND> found;
  } search{process, {}};
  EnumWindows(
      [](HWND window, LPARAM data) -> BOOL {
        auto* s = reinterpret_cast<Search*>(data);
        if (IsWindowVisible(window) && ProcessOf(window) == s->process) s->found.push_back(window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND FindChildWhere(HWND parent, const std::function<bool(HWND)>& wanted) {
  struct Search {
    const std::function<bool(HWND)>& wanted;
    HWND found = nullptr;
  } search{wanted};
  EnumChildWindows(
      parent,
      [](HWND window, LPARAM data) -> BOOL {
        auto* s = reinterpret_cast<Search*>(data);
        if (!s->wanted(window)) return TRUE;
        s->found = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND FindChildOfClass(HWND parent, const std::wstring& className) {
  return FindChildWhere(parent, [&](HWND window) { return ClassOf(window) == className; });
}

std::vector<HWND> ChildrenOfClass(HWND parent, const std::wstring& className) {
  std::vector<HWND> found;
  FindChildWhere(parent, [&](HWND window) {
    if (ClassOf(window) == className) found.push_back(window);
    return false;
  });
  return found;
}

RECT ScreenRectOf(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  return rect;
}

HWND FocusOf(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) ? info.hwndFocus : nullptr;
}

RECT ClientScreenRectOf(HWND window) {
  RECT rect{};
  GetClientRect(window, &rect);
  MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

namespace {

// The import library gives the interface's identifier as an imported symbol, which a plain
// reference reads as its thunk: the identifier is spelled out here.
const IID kIidAccessible = {0x618736E0, 0x3C3D, 0x11CF, {0x81, 0x0C, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};

std::string AccText(HRESULT result, BSTR text) {
  std::string out;
  if (SUCCEEDED(result) && text) out = WideToUtf8(std::wstring(text, SysStringLen(text)));
  if (text) SysFreeString(text);
  return out;
}

AccItem DescribeChild(IAccessible* object, VARIANT child) {
  AccItem item;
  BSTR name = nullptr;
  const HRESULT named = object->get_accName(child, &name);
  item.Name = AccText(named, name);
  VARIANT state;
  VariantInit(&state);
  if (SUCCEEDED(object->get_accState(child, &state)) && state.vt == VT_I4) item.State = state.lVal;
  VariantClear(&state);
  LONG left = 0, top = 0, width = 0, height = 0;
  if (SUCCEEDED(object->accLocation(&left, &top, &width, &height, child)))
    item.Screen = {left, top, left + width, top + height};
  return item;
}

}  // namespace

std::vector<AccItem> AccItems(HWND window) {
  std::vector<AccItem> items;
  IAccessible* view = nullptr;
  if (FAILED(AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), kIidAccessible,
                                        reinterpret_cast<void**>(&view))) ||
      !view)
    return items;
  LONG count = 0;
  view->get_accChildCount(&count);
  for (LONG i = 1; i <= count; ++i) {
    VARIANT index;
    VariantInit(&index);
    index.vt = VT_I4;
    index.lVal = i;
    IDispatch* dispatch = nullptr;
    IAccessible* child = nullptr;
    if (SUCCEEDED(view->get_accChild(index, &dispatch)) && dispatch &&
        SUCCEEDED(dispatch->QueryInterface(kIidAccessible, reinterpret_cast<void**>(&child))) && child) {
      VARIANT self;
      VariantInit(&self);
      self.vt = VT_I4;
      self.lVal = CHILDID_SELF;
      items.push_back(DescribeChild(child, self));
      child->Release();
    } else {
      items.push_back(DescribeChild(view, index));
    }
    if (dispatch) dispatch->Release();
  }
  view->Release();
  return items;
}

std::vector<std::string> AccCaptions(HWND window) {
  std::vector<std::string> captions;
  for (const AccItem& item : AccItems(window))
    if (!(item.State & STATE_SYSTEM_INVISIBLE)) captions.push_back(item.Name.substr(0, item.Name.find('\t')));
  return captions;
}

RemoteList::RemoteList(HWND list) : list_(list) {
  process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, ProcessOf(list));
  if (process_) memory_ = VirtualAllocEx(process_, nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
}

RemoteList::~RemoteList() {
  if (memory_) VirtualFreeEx(process_, memory_, 0, MEM_RELEASE);
  if (process_) CloseHandle(process_);
}

int RemoteList::Count() const { return static_cast<int>(SendMessageW(list_, LVM_GETITEMCOUNT, 0, 0)); }

std::string RemoteList::Text(int row, int column) {
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

void RemoteList::Select(int row) {
  LVITEMW item{};
  item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  item.state = LVIS_SELECTED | LVIS_FOCUSED;
  WriteProcessMemory(process_, memory_, &item, sizeof(item), nullptr);
  SendMessageW(list_, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(memory_));
}

RECT RemoteList::RowRect(int row) {
  RECT rect{LVIR_BOUNDS, 0, 0, 0};
  WriteProcessMemory(process_, memory_, &rect, sizeof(rect), nullptr);
  SendMessageW(list_, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(memory_));
  ReadProcessMemory(process_, memory_, &rect, sizeof(rect), nullptr);
  MapWindowPoints(list_, nullptr, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

StartedProgram::StartedProgram(const std::string& program, const std::vector<std::string>& args) {
  std::wstring commandLine = L"\"" + Utf8ToWide(program) + L"\"";
  for (const std::string& arg : args) commandLine += L" " + Utf8ToWide(arg);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
    process_ = info.hProcess;
    id_ = info.dwProcessId;
    CloseHandle(info.hThread);
  }
}

StartedProgram::~StartedProgram() {
  if (!process_) return;
  if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
    TerminateProcess(process_, 99);
    WaitForSingleObject(process_, 10000);
  }
  CloseHandle(process_);
}

DWORD StartedProgram::WaitForExit(DWORD limitMs) {
  if (!process_ || WaitForSingleObject(process_, limitMs) != WAIT_OBJECT_0) return STILL_ACTIVE;
  DWORD code = STILL_ACTIVE;
  GetExitCodeProcess(process_, &code);
  return code;
}

ProgramWatchdog::ProgramWatchdog(DWORD process, int limitMs) {
  thread_ = std::thread([this, process, limitMs] {
    std::unique_lock<std::mutex> lock(mutex_);
    if (stopped_.wait_for(lock, std::chrono::milliseconds(limitMs), [this] { return stop_; })) return;
    if (HANDLE handle = OpenProcess(PROCESS_TERMINATE, FALSE, process)) {
      TerminateProcess(handle, 98);
      CloseHandle(handle);
    }
  });
}

ProgramWatchdog::~ProgramWatchdog() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  stopped_.notify_all();
  thread_.join();
}

HWND TrayHandlerOf(DWORD process, int limitMs) {
  HWND handler = nullptr;
  WaitFor(
      [&] {
        for (HWND w = FindWindowExW(HWND_MESSAGE, nullptr, L"TTrayIconHandler", nullptr); w;
             w = FindWindowExW(HWND_MESSAGE, w, L"TTrayIconHandler", nullptr))
          if (ProcessOf(w) == process) handler = w;
        return handler != nullptr;
      },
      limitMs);
  return handler;
}

namespace {

void SendKey(WORD key, DWORD flags) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = key;
  input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(key, MAPVK_VK_TO_VSC));
  input.ki.dwFlags = flags;
  SendInput(1, &input, sizeof(INPUT));
}

void Pause(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

}  // namespace

void KeyDown(WORD key) { SendKey(key, 0); }
void KeyUp(WORD key) { SendKey(key, KEYEVENTF_KEYUP); }

void PressKey(WORD key) {
  KeyDown(key);
  KeyUp(key);
  Pause(200);
}

void PressChord(const std::vector<WORD>& keys) {
  for (WORD key : keys) KeyDown(key);
  for (auto key = std::rbegin(keys); key != std::rend(keys); ++key) KeyUp(*key);
  Pause(200);
}

void MoveMouseTo(POINT screen) {
  SendMouseAt(screen);
  // The program's window hears of the move from the display, which under load can report an
  // earlier place of the pointer late and take it back there a while: what comes next waits
  // until the pointer has stayed where it was sent.
  for (int i = 0, stayed = 0; i < 100 && stayed < 3; ++i) {
    Pause(20);
    POINT now{};
    stayed = GetCursorPos(&now) && now.x == screen.x && now.y == screen.y ? stayed + 1 : 0;
    if (i % 25 == 24 && stayed == 0) SendMouseAt(screen);
  }
}

void ClickAt(POINT screen, bool rightButton) {
  MoveMouseTo(screen);
  // Each button carries the place, so that it lands there whatever was last reported.
  SendMouseAt(screen, rightButton ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN);
  Pause(30);
  SendMouseAt(screen, rightButton ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP);
  Pause(200);
}

bool BringToFront(HWND window) {
  return WaitFor(
      [&] {
        SetForegroundWindow(window);
        return GetForegroundWindow() == window;
      },
      10000);
}

RECT VirtualScreen() {
  const int left = GetSystemMetrics(SM_XVIRTUALSCREEN), top = GetSystemMetrics(SM_YVIRTUALSCREEN);
  return {left, top, left + GetSystemMetrics(SM_CXVIRTUALSCREEN), top + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

ScreenShot::ScreenShot(const RECT& area)
    : area_(area),
      width_(std::max<int>(1, area.right - area.left)),
      height_(std::max<int>(1, area.bottom - area.top)) {
  area_.right = area_.left + width_;
  area_.bottom = area_.top + height_;
  HDC screen = GetDC(nullptr);
  dc_ = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), width_, -height_, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  bits_ = static_cast<uint32_t*>(bits);
  old_ = SelectObject(dc_, bitmap_);
  BitBlt(dc_, 0, 0, width_, height_, screen, area.left, area.top, SRCCOPY);
  GdiFlush();
  ReleaseDC(nullptr, screen);
}

ScreenShot::~ScreenShot() {
  SelectObject(dc_, old_);
  DeleteObject(bitmap_);
  DeleteDC(dc_);
}

COLORREF ScreenShot::At(int screenX, int screenY) const {
  if (screenX < area_.left || screenY < area_.top || screenX >= area_.right || screenY >= area_.bottom)
    return CLR_INVALID;
  const uint32_t v = Raw(screenX, screenY);
  return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
}

bool ScreenShot::DiffersIn(const ScreenShot& other, const RECT& part) const {
  RECT both{};
  IntersectRect(&both, &area_, &other.area_);
  IntersectRect(&both, &both, &part);
  for (int y = both.top; y < both.bottom; ++y)
    for (int x = both.left; x < both.right; ++x)
      if ((Raw(x, y) & 0xFFFFFF) != (other.Raw(x, y) & 0xFFFFFF)) return true;
  return false;
}

int ScreenShot::Colours(const RECT& part, int limit) const {
  RECT inside{};
  IntersectRect(&inside, &area_, &part);
  std::set<uint32_t> seen;
  for (int y = inside.top; y < inside.bottom; ++y)
    for (int x = inside.left; x < inside.right; ++x) {
      seen.insert(Raw(x, y) & 0xFFFFFF);
      if (static_cast<int>(seen.size()) >= limit) return limit;
    }
  return static_cast<int>(seen.size());
}

std::string SavePrintedWindows(HWND window, const RECT& area, const std::string& name) {
  std::string library = ProgramFileName();
  library = library.substr(0, library.rfind('\\') + 1) + WideToUtf8(kWindowPrinterLibrary);
  HMODULE module = LoadLibraryW(Utf8ToWide(library).c_str());
  if (!module) return {};
  auto hook = reinterpret_cast<HOOKPROC>(reinterpret_cast<void (*)()>(GetProcAddress(module, kPrintThreadWindowsHook)));
  HHOOK set = hook ? SetWindowsHookExW(WH_CALLWNDPROC, hook, module, GetWindowThreadProcessId(window, nullptr)) : nullptr;
  const std::string path = TestArtifactsFolder() + name + ".bmp";
  const std::wstring widePath = Utf8ToWide(path);
  DeleteFileW(widePath.c_str());
  if (set) {
    wchar_t text[256];
    swprintf(text, 256, L"%ld %ld %ld %ld %ls", area.left, area.top, area.right, area.bottom, widePath.c_str());
    const ATOM atom = GlobalAddAtomW(text);
    DWORD_PTR answer = 0;
    SendMessageTimeoutW(window, RegisterWindowMessageW(kPrintThreadWindowsMessage), atom, 0, SMTO_NORMAL, 20000,
                        &answer);
    GlobalDeleteAtom(atom);
    UnhookWindowsHookEx(set);
  }
  FreeLibrary(module);
  return GetFileAttributesW(widePath.c_str()) == INVALID_FILE_ATTRIBUTES ? std::string() : path;
}

HWND MainWindowOf(DWORD process) {
  for (HWND window : TopLevelWindows(process))
    if (TitleOf(window) == kPalvexTitle && ClassOf(window) != L"#32770") return window;
  return nullptr;
}

PalvexCopy::PalvexCopy() {
  std::string built = ProgramFileName();
  built = built.substr(0, built.rfind('\\') + 1) + "Palvex.exe";
  program_ = folder_.Path() + "Palvex.exe";
  ready_ = CopyFileW(Utf8ToWide(built).c_str(), Utf8ToWide(program_).c_str(), FALSE) != 0;
}

void PalvexCopy::Seed(const std::vector<Profile>& profiles, const TOptions& options) const {
  TComScope com;
  std::vector<std::unique_ptr<TProfile>> owned;
  std::vector<const TProfile*> list;
  for (const Profile& p : profiles) {
    owned.push_back(std::make_unique<TProfile>());
    owned.back()->SetName(p.Name);
    if (!p.File.empty()) owned.back()->Files().Add(p.File);
    list.push_back(owned.back().get());
  }
  SaveConfig(ConfigPath(), list, options);
}

HWND PalvexCopy::WaitForMainWindow(DWORD process, int limitMs) const {
  HWND window = nullptr;
  WaitFor([&] { return (window = MainWindowOf(process)) != nullptr; }, limitMs);
  return window;
}

}  // namespace movra::testing

namespace movra::testing {

FragmentedDrive::FragmentedDrive(int files) {
  CreateDirectoryW(Utf8ToWide(volume_.Path() + "many").c_str(), nullptr);
  // Three fragments a file, each apart from the next; the volume is free beyond them.
  LayoutBuilder layout(int64_t{1} << 20);
  layout.Used(0, 1000);
  for (int i = 0; i < files; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "many\\f%05d.bin", i);
    WriteTextFile(volume_.Path() + name, "data");
    const int64_t base = 1000 + int64_t{i} * 16;
    layout.File(name, {{0, base, 2}, {2, base + 5, 2}, {4, base + 10, 2}});
  }
  WriteTextFile(volume_.Path() + "volume.layout", layout.Text());
  drive_ = std::make_unique<MappedDrive>(volume_.Path());
}

RoundTrips::RoundTrips(HWND window, int periodMs)
    : thread_([this, window, periodMs] {
        for (;;) {
          {
            std::lock_guard lock(mutex_);
            if (stop_) return;
          }
          const double sent = NowMs();
          DWORD_PTR answer = 0;
          if (!SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 600000, &answer)) return;
          const double ms = NowMs() - sent;
          {
            std::lock_guard lock(mutex_);
            samples_.push_back({sent, ms});
          }
          const double rest = periodMs - (NowMs() - sent);
          if (rest > 0) Sleep(static_cast<DWORD>(rest));
        }
      }) {}

RoundTrips::~RoundTrips() {
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
  }
  thread_.join();
}

std::vector<double> RoundTrips::Between(double from, double to) {
  std::lock_guard lock(mutex_);
  std::vector<double> found;
  for (const Sample& s : samples_)
    if (s.Sent >= from && s.Sent <= to) found.push_back(s.Ms);
  return found;
}

GrowingFile::GrowingFile(std::string path)
    : path_(std::move(path)), thread_([this] {
        long long offset = 0;
        for (;;) {
          {
            std::lock_guard lock(mutex_);
            if (stop_) return;
          }
          HANDLE file = CreateFileW(Utf8ToWide(path_).c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
          if (file != INVALID_HANDLE_VALUE) {
            LARGE_INTEGER at;
            at.QuadPart = offset;
            SetFilePointerEx(file, at, nullptr, FILE_BEGIN);
            char buffer[65536];
            DWORD got = 0;
            std::string fresh;
            while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) fresh.append(buffer, got);
            CloseHandle(file);
            offset += static_cast<long long>(fresh.size());
            const double now = NowMs();
            std::lock_guard lock(mutex_);
            partial_ += fresh;
            size_t end;
            while ((end = partial_.find("\r\n")) != std::string::npos) {
              lines_.push_back({partial_.substr(0, end), now});
              partial_.erase(0, end + 2);
            }
          }
          Sleep(20);
        }
      }) {}

GrowingFile::~GrowingFile() {
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
  }
  thread_.join();
}

std::vector<GrowingFile::Line> GrowingFile::Lines() {
  std::lock_guard lock(mutex_);
  return lines_;
}

double GrowingFile::SeenAt(const std::string& text) {
  std::lock_guard lock(mutex_);
  for (const Line& line : lines_)
    if (line.Text.find(text) != std::string::npos) return line.Seen;
  return -1;
}

}  // namespace movra::testing
