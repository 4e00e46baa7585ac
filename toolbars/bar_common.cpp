#include "toolbars/bar_common.h"

#include <algorithm>
#include <cstdlib>
#include <mutex>

#include "runtime/text.h"
#include "runtime/ui/controls.h"

namespace movra::bars {

namespace {

// The version the system reports, read once.
const OSVERSIONINFOW& SystemVersion() {
  static const OSVERSIONINFOW info = [] {
    OSVERSIONINFOW v{};
    v.dwOSVersionInfoSize = sizeof(v);
    if (!GetVersionExW(&v)) {
      v.dwPlatformId = VER_PLATFORM_WIN32_NT;
      v.dwMajorVersion = 5;
      v.dwMinorVersion = 1;
    }
    return v;
  }();
  return info;
}

bool NtPlatform() { return SystemVersion().dwPlatformId == VER_PLATFORM_WIN32_NT; }

// Length of the UTF-8 sequence that starts with `lead`; stray bytes count as one.
size_t SequenceLength(unsigned char lead) {
  if (lead < 0xC0) return 1;
  if (lead < 0xE0) return 2;
  if (lead < 0xF0) return 3;
  return 4;
}

// The caption without its markers, and where (in bytes of the result) the character of the
// last single "&" starts, or npos.
struct TStrippedCaption {
  std::string Text;
  size_t Accelerator = std::string::npos;
};

TStrippedCaption StripMarkers(std::string_view text) {
  TStrippedCaption result;
  size_t i = 0;
  while (i < text.size()) {
    if (text[i] == '&') {
      if (i + 1 < text.size() && text[i + 1] == '&') {
        result.Text += '&';
        i += 2;
        continue;
      }
      ++i;
      result.Accelerator = i < text.size() ? result.Text.size() : std::string::npos;
      continue;
    }
    const size_t n = std::min(SequenceLength(static_cast<unsigned char>(text[i])), text.size() - i);
    result.Text.append(text.substr(i, n));
    i += n;
  }
  return result;
}

SIZE WideExtent(HDC dc, const std::wstring& text) {
  SIZE size{0, 0};
  if (!text.empty()) GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  return size;
}

RECT ScreenRect() {
  return {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

}  // namespace

// --- Messages and painting ----------------------------------------------------------------

bool ThreadHasActiveWindow() { return GetActiveWindow() != nullptr; }

namespace {

struct TOwnedSearch {
  HWND Owner;
  std::vector<HWND> Found;
};

BOOL CALLBACK CollectOwned(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<TOwnedSearch*>(param);
  if (GetWindow(window, GW_OWNER) == search->Owner && IsWindowVisible(window))
    search->Found.push_back(window);
  return TRUE;
}

}  // namespace

LRESULT AnswerPrintMessage(HWND window, HDC dc, UINT flags, TNcPaintProc ncPaint, void* arg) {
  if ((flags & PRF_CHECKVISIBLE) && !IsWindowVisible(window)) return 1;
  RECT windowRect;
  GetWindowRect(window, &windowRect);
  POINT clientOrigin{0, 0};
  ClientToScreen(window, &clientOrigin);
  // Where the picture's origin lies on the screen: the window's corner with its frame, else
  // the client area's.
  const POINT origin = (flags & PRF_NONCLIENT) ? POINT{windowRect.left, windowRect.top} : clientOrigin;
  if ((flags & PRF_NONCLIENT) && ncPaint) {
    const int saved = SaveDC(dc);
    ncPaint(window, dc, arg);
    RestoreDC(dc, saved);
  }
  if (!(flags & PRF_CLIENT)) return 1;
  {
    const int saved = SaveDC(dc);
    if (flags & PRF_NONCLIENT) {
      RECT client;
      GetClientRect(window, &client);
      OffsetViewportOrgEx(dc, clientOrigin.x - origin.x, clientOrigin.y - origin.y, nullptr);
      IntersectClipRect(dc, 0, 0, client.right, client.bottom);
    }
    if (flags & PRF_ERASEBKGND) SendMessageW(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), flags);
    RestoreDC(dc, saved);
  }
  if (flags & PRF_CHILDREN) ui::PrintChildWindows(window, dc, flags);
  if (flags & PRF_OWNED) {
    TOwnedSearch search{window, {}};
    EnumThreadWindows(GetWindowThreadProcessId(window, nullptr), CollectOwned,
                      reinterpret_cast<LPARAM>(&search));
    for (auto it = search.Found.rbegin(); it != search.Found.rend(); ++it) {
      RECT r;
      GetWindowRect(*it, &r);
      ui::PrintWindowAt(*it, dc, r.left - origin.x, r.top - origin.y, flags);
    }
  }
  return 1;
}

void PaintControlInto(ui::TWinControl* control, HDC dc) {
  const int saved = SaveDC(dc);
  try {
    control->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
  } catch (...) {
    RestoreDC(dc, saved);
    throw;
  }
  RestoreDC(dc, saved);
}

void DispatchPendingPaints() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    DispatchMessageW(&msg);
  }
}

void DiscardQueuedMessages(UINT first, UINT last) {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, first, last, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
  }
}

void ClipDCToFrameUpdateRegion(HWND window, HDC dc, HRGN updateRegion) {
  if (reinterpret_cast<uintptr_t>(updateRegion) <= 1) return;
  RECT r;
  GetWindowRect(window, &r);
  if (SelectClipRgn(dc, updateRegion) == ERROR) {
    HRGN whole = CreateRectRgnIndirect(&r);
    SelectClipRgn(dc, whole);
    DeleteObject(whole);
  }
  OffsetClipRgn(dc, -r.left, -r.top);
}

HRGN NewEmptyRegion() { return CreateRectRgn(0, 0, 0, 0); }

// --- Arithmetic ---------------------------------------------------------------------------

int DivideRoundingOut(int a, int b) {
  const int q = a / b;
  if (a % b == 0) return q;
  // The remainder has the sign of `a`; the quotient moves away from 0 in the quotient's
  // direction (a truncated 0 goes up to 1 for a positive divisor).
  return ((a < 0) != (b < 0)) ? q - 1 : q + 1;
}

int SmallerOf(int a, int b) { return a < b ? a : b; }

bool SamePoint(POINT a, POINT b) { return a.x == b.x && a.y == b.y; }

// --- Caption text -------------------------------------------------------------------------

std::string RemoveAmpersandMarkers(std::string_view text) { return StripMarkers(text).Text; }

std::string DoubleAmpersands(std::string_view text) {
  std::string result;
  result.reserve(text.size());
  for (char c : text) {
    // The bytes of a multi-byte character are never "&", so the text is safe byte by byte.
    result += c;
    if (c == '&') result += '&';
  }
  return result;
}

std::string TrimLabelSuffix(std::string_view text) {
  if (text.size() >= 2 && text.back() == ':') return std::string(text.substr(0, text.size() - 1));
  if (text.size() >= 4 && text.substr(text.size() - 3) == "...")
    return std::string(text.substr(0, text.size() - 3));
  return std::string(text);
}

char32_t AcceleratorOfCaption(std::string_view caption) {
  const TStrippedCaption stripped = StripMarkers(caption);
  if (stripped.Accelerator == std::string::npos) return 0;
  const std::string_view rest = std::string_view(stripped.Text).substr(stripped.Accelerator);
  const std::wstring wide = Utf8ToWide(rest.substr(0, SequenceLength(static_cast<unsigned char>(rest[0]))));
  if (wide.empty()) return 0;
  if (wide.size() == 2 && wide[0] >= 0xD800 && wide[0] < 0xDC00)
    return 0x10000 + ((static_cast<char32_t>(wide[0]) - 0xD800) << 10) + (wide[1] - 0xDC00);
  return wide[0];
}

int DCFontHeight(HDC dc) {
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  return tm.tmHeight;
}

int DCTextWidth(HDC dc, std::string_view text) { return WideExtent(dc, Utf8ToWide(text)).cx; }

int CaptionTextWidth(HDC dc, std::string_view caption, bool stripAmpersands) {
  return stripAmpersands ? DCTextWidth(dc, RemoveAmpersandMarkers(caption)) : DCTextWidth(dc, caption);
}

namespace {

int CALLBACK NoteFontFound(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;
}

}  // namespace

HFONT MakeRotatedFont(HDC dc) {
  LOGFONTW font{};
  GetObjectW(GetCurrentObject(dc, OBJ_FONT), sizeof(font), &font);
  font.lfEscapement = 2700;
  font.lfOrientation = 2700;
  font.lfOutPrecision = OUT_TT_ONLY_PRECIS;
  // The bitmap faces cannot turn.
  if (lstrcmpiW(font.lfFaceName, L"MS Sans Serif") == 0 || lstrcmpiW(font.lfFaceName, L"Microsoft Sans Serif") == 0)
    lstrcpyW(font.lfFaceName, L"Arial");
  // A face with a vertical variant ("@" + face) draws its glyphs upright along the line.
  if (lstrlenW(font.lfFaceName) < 31) {
    LOGFONTW probe{};
    probe.lfCharSet = DEFAULT_CHARSET;
    probe.lfFaceName[0] = L'@';
    lstrcpynW(probe.lfFaceName + 1, font.lfFaceName, LF_FACESIZE - 1);
    bool found = false;
    EnumFontFamiliesExW(dc, &probe, NoteFontFound, reinterpret_cast<LPARAM>(&found), 0);
    if (found) lstrcpyW(font.lfFaceName, probe.lfFaceName);
  }
  return CreateFontIndirectW(&font);
}

void DrawVerticalCaption(HDC dc, std::string_view caption, const RECT& rect, UINT flags) {
  std::wstring text;
  size_t accel = std::wstring::npos;  // in UTF-16 units of `text`
  if (flags & DT_NOPREFIX) {
    text = Utf8ToWide(caption);
  } else {
    const TStrippedCaption stripped = StripMarkers(caption);
    text = Utf8ToWide(stripped.Text);
    if (stripped.Accelerator != std::string::npos && !(flags & DT_HIDEPREFIX))
      accel = Utf8ToWide(std::string_view(stripped.Text).substr(0, stripped.Accelerator)).size();
  }
  HFONT rotated = MakeRotatedFont(dc);
  HGDIOBJ oldFont = SelectObject(dc, rotated);
  const int saved = SaveDC(dc);
  if (!(flags & DT_NOCLIP)) IntersectClipRect(dc, rect.left, rect.top, rect.right, rect.bottom);

  const int height = rect.bottom - rect.top;
  int length = WideExtent(dc, text).cx;
  if ((flags & DT_END_ELLIPSIS) && length > height && !text.empty()) {
    // The longest start that fits with "..." after it; at least the first character.
    size_t keep = text.size() - 1;
    while (keep > 1 && WideExtent(dc, text.substr(0, keep) + L"...").cx > height) --keep;
    if (height < 3) keep = 1;
    text = text.substr(0, std::max<size_t>(keep, 1)) + L"...";
    if (accel != std::wstring::npos && accel >= keep) accel = std::wstring::npos;
    length = WideExtent(dc, text).cx;
  }
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  // Turned by 270 degrees the glyphs' tops face right: the line's cell lies left of the
  // reference point, which sits on the text's top edge.
  const int x = rect.left + (rect.right - rect.left - tm.tmHeight) / 2 + tm.tmHeight;
  const int y = (flags & DT_CENTER) ? rect.top + (height - length) / 2 : rect.top;
  SetTextAlign(dc, TA_LEFT | TA_TOP | TA_NOUPDATECP);
  if (!text.empty()) TextOutW(dc, x, y, text.c_str(), static_cast<int>(text.size()));
  if (accel != std::wstring::npos && accel < text.size()) {
    const int from = y + WideExtent(dc, text.substr(0, accel)).cx;
    const int to = y + WideExtent(dc, text.substr(0, accel + 1)).cx;
    // The underline runs one pixel beyond the baseline, which lies tmAscent left of x.
    const int lineX = x - tm.tmAscent - 1;
    HPEN pen = CreatePen(PS_SOLID, 1, GetTextColor(dc));
    HGDIOBJ oldPen = SelectObject(dc, pen);
    MoveToEx(dc, lineX, from, nullptr);
    LineTo(dc, lineX, to);
    SelectObject(dc, oldPen);
    DeleteObject(pen);
  }
  RestoreDC(dc, saved);
  SelectObject(dc, oldFont);
  DeleteObject(rotated);
}

// --- Drag frame ---------------------------------------------------------------------------

namespace {

// The ring of `rect` of the given thickness, or an empty region.
HRGN FrameRing(const RECT* rect, SIZE thickness) {
  HRGN ring = NewEmptyRegion();
  if (!rect) return ring;
  HRGN outer = CreateRectRgnIndirect(rect);
  RECT innerRect = *rect;
  InflateRect(&innerRect, -thickness.cx, -thickness.cy);
  HRGN inner = (innerRect.right > innerRect.left && innerRect.bottom > innerRect.top)
                   ? CreateRectRgnIndirect(&innerRect)
                   : NewEmptyRegion();
  CombineRgn(ring, outer, inner, RGN_DIFF);
  DeleteObject(outer);
  DeleteObject(inner);
  return ring;
}

}  // namespace

void DrawDragFrame(HDC dc, const RECT* newRect, const RECT* oldRect, SIZE newThickness,
                   SIZE oldThickness) {
  HRGN fresh = FrameRing(newRect, newThickness);
  HRGN stale = FrameRing(oldRect, oldThickness);
  HRGN both = NewEmptyRegion();
  // Where the rings overlap nothing changes: inverting twice would give the same pixels.
  CombineRgn(both, fresh, stale, RGN_XOR);
  HBRUSH brush = MakeCheckerBrush();
  const int saved = SaveDC(dc);
  SelectClipRgn(dc, both);
  HGDIOBJ oldBrush = SelectObject(dc, brush);
  RECT box;
  const int kind = GetClipBox(dc, &box);
  if (kind != NULLREGION && kind != ERROR)
    PatBlt(dc, box.left, box.top, box.right - box.left, box.bottom - box.top, PATINVERT);
  SelectObject(dc, oldBrush);
  RestoreDC(dc, saved);
  DeleteObject(brush);
  DeleteObject(both);
  DeleteObject(stale);
  DeleteObject(fresh);
}

HBRUSH MakeCheckerBrush() {
  WORD rows[8];
  for (int i = 0; i < 8; ++i) rows[i] = (i % 2 == 0) ? 0x5555 : 0xAAAA;
  HBITMAP pattern = CreateBitmap(8, 8, 1, 1, rows);
  HBRUSH brush = CreatePatternBrush(pattern);
  // The brush keeps its own copy of the pattern.
  DeleteObject(pattern);
  return brush;
}

// --- System settings ----------------------------------------------------------------------

int ReadMenuShowDelayValue(HKEY root, const wchar_t* keyPath) {
  HKEY key;
  if (RegOpenKeyExW(root, keyPath, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return 400;
  // Room for 32 characters and their terminating zero, plus one for a value stored without it.
  wchar_t buffer[34] = {};
  DWORD type = 0;
  DWORD size = 33 * sizeof(wchar_t);
  const LONG status = RegQueryValueExW(key, L"MenuShowDelay", nullptr, &type,
                                       reinterpret_cast<BYTE*>(buffer), &size);
  RegCloseKey(key);
  if (status == ERROR_FILE_NOT_FOUND) return 400;
  if (status != ERROR_SUCCESS || type != REG_SZ) return 0;
  buffer[std::min<DWORD>(size / sizeof(wchar_t), 33)] = 0;
  const wchar_t* p = buffer;
  while (*p == L' ') ++p;
  const bool negative = *p == L'-';
  if (*p == L'-' || *p == L'+') ++p;
  auto digit = [](wchar_t c) { return c >= L'0' && c <= L'9'; };
  if (!digit(*p)) return 0;
  long long value = 0;
  for (; digit(*p); ++p) {
    value = value * 10 + (*p - L'0');
    if (value > 0x7FFFFFFF) return 0;
  }
  if (*p != 0) return 0;
  return negative ? 0 : static_cast<int>(value);
}

int SubmenuOpenDelay() {
  if (SystemVersion().dwMajorVersion < 4) return 400;
  int delay = 0;
  if (!SystemParametersInfoW(SPI_GETMENUSHOWDELAY, 0, &delay, 0)) {
    static const int stored = ReadMenuShowDelayValue(HKEY_CURRENT_USER, L"Control Panel\\Desktop");
    delay = stored;
  }
  return delay < 0 ? 0 : delay;
}

bool RunningWinXPOrLater() {
  const OSVERSIONINFOW& v = SystemVersion();
  return NtPlatform() && (v.dwMajorVersion > 5 || (v.dwMajorVersion == 5 && v.dwMinorVersion >= 1));
}

bool FlatMenusOn() {
  BOOL on = FALSE;
  return RunningWinXPOrLater() && SystemParametersInfoW(0x1022 /* SPI_GETFLATMENU */, 0, &on, 0) && on;
}

bool KeyboardCuesShown() {
  if (SystemVersion().dwMajorVersion < 5) return true;
  BOOL on = FALSE;
  if (!SystemParametersInfoW(0x100A /* SPI_GETKEYBOARDCUES */, 0, &on, 0)) return true;
  return on != FALSE;
}

bool SoundSchemeHasEvent(std::string_view name) {
  if (!NtPlatform() || SystemVersion().dwMajorVersion < 5) return true;
  const std::wstring path = L"AppEvents\\Schemes\\Apps\\.Default\\" + Utf8ToWide(name) + L"\\.Current";
  HKEY key;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return false;
  DWORD type = 0;
  DWORD size = 0;
  const LONG status = RegQueryValueExW(key, nullptr, nullptr, &type, nullptr, &size);
  RegCloseKey(key);
  // An empty string still holds its terminating zero.
  return status == ERROR_SUCCESS && size > sizeof(wchar_t);
}

int InputLanguageCodePage() {
  const LANGID language = LOWORD(reinterpret_cast<uintptr_t>(GetKeyboardLayout(0)));
  wchar_t buffer[16] = {};
  if (!GetLocaleInfoW(MAKELCID(language, SORT_DEFAULT), LOCALE_IDEFAULTANSICODEPAGE, buffer, 16)) return 0;
  wchar_t* end = nullptr;
  const long page = std::wcstol(buffer, &end, 10);
  if (end == buffer || *end != 0 || page <= 0 || !IsValidCodePage(static_cast<UINT>(page))) return 0;
  return static_cast<int>(page);
}

// --- Monitors and mouse tracking ----------------------------------------------------------

RECT DesktopAreaRect(bool workArea) {
  RECT r;
  if (workArea && SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0)) return r;
  return ScreenRect();
}

bool SeveralMonitors() {
  const int count = GetSystemMetrics(SM_CMONITORS);
  return count != 0 && count != 1;
}

namespace {

TMonitorFunctions& BoundMonitorFunctions() {
  static TMonitorFunctions functions;
  return functions;
}

}  // namespace

bool LoadMonitorEntryPoints() {
  static std::once_flag once;
  TMonitorFunctions& f = BoundMonitorFunctions();
  std::call_once(once, [&] {
    f.FromRect = BindSystemFunction<decltype(f.FromRect)>(L"user32.dll", "MonitorFromRect");
    f.FromPoint = BindSystemFunction<decltype(f.FromPoint)>(L"user32.dll", "MonitorFromPoint");
    f.FromWindow = BindSystemFunction<decltype(f.FromWindow)>(L"user32.dll", "MonitorFromWindow");
    f.GetInfo = BindSystemFunction<decltype(f.GetInfo)>(L"user32.dll", "GetMonitorInfoA");
  });
  return f.FromRect && f.FromPoint && f.GetInfo;
}

const TMonitorFunctions& MonitorFunctions() {
  LoadMonitorEntryPoints();
  return BoundMonitorFunctions();
}

namespace {

RECT MonitorArea(HMONITOR monitor, bool workArea) {
  MONITORINFO info{};
  info.cbSize = sizeof(info);
  if (monitor && MonitorFunctions().GetInfo(monitor, &info)) return workArea ? info.rcWork : info.rcMonitor;
  return DesktopAreaRect(workArea);
}

}  // namespace

RECT NearestMonitorRectForRect(const RECT& rect, bool workArea) {
  if (!SeveralMonitors() || !LoadMonitorEntryPoints()) return DesktopAreaRect(workArea);
  return MonitorArea(MonitorFunctions().FromRect(&rect, MONITOR_DEFAULTTONEAREST), workArea);
}

RECT NearestMonitorRectForPoint(POINT point, bool workArea) {
  if (!SeveralMonitors() || !LoadMonitorEntryPoints()) return DesktopAreaRect(workArea);
  return MonitorArea(MonitorFunctions().FromPoint(point, MONITOR_DEFAULTTONEAREST), workArea);
}

void NotifyBarWinEvent(DWORD event, HWND window, LONG object, LONG child) {
  using TNotifyWinEvent = void(WINAPI*)(DWORD, HWND, LONG, LONG);
  static const TNotifyWinEvent notify = BindSystemFunction<TNotifyWinEvent>(L"user32.dll", "NotifyWinEvent");
  if (notify) notify(event, window, object, child);
}

bool RequestMouseTracking(HWND window, DWORD flags) {
  using TTrackMouseEvent = BOOL(WINAPI*)(LPTRACKMOUSEEVENT);
  static const TTrackMouseEvent track = [] {
    auto f = BindSystemFunction<TTrackMouseEvent>(L"user32.dll", "TrackMouseEvent");
    if (f) return f;
    const UINT oldMode = SetErrorMode(SEM_NOOPENFILEERRORBOX | SEM_FAILCRITICALERRORS);
    HMODULE comctl = LoadLibraryW(L"comctl32.dll");
    SetErrorMode(oldMode);
    return comctl ? reinterpret_cast<TTrackMouseEvent>(
                        reinterpret_cast<void*>(GetProcAddress(comctl, "_TrackMouseEvent")))
                  : nullptr;
  }();
  if (!track) return false;
  TRACKMOUSEEVENT request{};
  request.cbSize = sizeof(request);
  request.dwFlags = flags;
  request.hwndTrack = window;
  request.dwHoverTime = 0;
  return track(&request) != FALSE;
}

}  // namespace movra::bars
