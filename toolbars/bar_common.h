#pragma once
// Helpers the whole toolbar framework leans on: lists, queued messages, painting, caption
// text, system settings, drag frames, monitors and the system functions that older versions
// of Windows lack (bound by name at run time).
#include <windows.h>

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace movra::ui {
class TWinControl;
}

namespace movra::bars {

// --- Lists -------------------------------------------------------------------------------

// Sorts in place with a quicksort (middle element as pivot, recursion on the left part, a
// loop on the right). `compare(a, b, userData)` is negative, 0 or positive. The order of
// equal items is that of this algorithm, so a sort gives the same result on every system.
template <class T, class Compare>
void SortListByCompare(std::vector<T>& list, Compare compare, void* userData = nullptr) {
  if (list.size() < 2) return;
  auto sort = [&](auto& self, std::ptrdiff_t left, std::ptrdiff_t right) -> void {
    std::ptrdiff_t i;
    do {
      i = left;
      std::ptrdiff_t j = right;
      const T pivot = list[static_cast<size_t>((left + right) / 2)];
      do {
        while (compare(list[static_cast<size_t>(i)], pivot, userData) < 0) ++i;
        while (compare(list[static_cast<size_t>(j)], pivot, userData) > 0) --j;
        if (i <= j) {
          if (i != j) std::swap(list[static_cast<size_t>(i)], list[static_cast<size_t>(j)]);
          ++i;
          --j;
        }
      } while (i <= j);
      if (left < j) self(self, left, j);
      left = i;
    } while (i < right);
  };
  sort(sort, 0, static_cast<std::ptrdiff_t>(list.size()) - 1);
}

// Appends `item` unless the list holds it already (the list is made when absent); true when
// it was added.
template <class T>
bool ListAddUnique(std::unique_ptr<std::vector<T>>& list, const T& item) {
  if (!list) list = std::make_unique<std::vector<T>>();
  for (const T& each : *list)
    if (each == item) return false;
  list->push_back(item);
  return true;
}

// Inserts `item` first unless the list holds it already (the list is made when absent); true
// when it was added.
template <class T>
bool ListInsertFirstUnique(std::unique_ptr<std::vector<T>>& list, const T& item) {
  if (!list) list = std::make_unique<std::vector<T>>();
  for (const T& each : *list)
    if (each == item) return false;
  list->insert(list->begin(), item);
  return true;
}

// Removes `item`; a list left empty is freed.
template <class T>
void ListRemoveAndFree(std::unique_ptr<std::vector<T>>& list, const T& item) {
  if (!list) return;
  for (auto it = list->begin(); it != list->end(); ++it)
    if (*it == item) {
      list->erase(it);
      break;
    }
  if (list->empty()) list.reset();
}

// --- Messages and painting ----------------------------------------------------------------

// True when the calling thread has an active window.
bool ThreadHasActiveWindow();

// Draws a window's frame into `dc` (origin at the window's top-left corner).
using TNcPaintProc = void (*)(HWND window, HDC dc, void* arg);

// Answers WM_PRINT (`dc`, PRF_* `flags`) for `window`: the frame through `ncPaint`, then the
// client area through WM_ERASEBKGND and WM_PRINTCLIENT, then the child windows that would show
// with it (ui::PrintChildWindows, so a popup still hidden prints whole) and, with PRF_OWNED,
// the visible owned windows (with `flags`), each at its own offset and clipped to itself. The
// result of the message: 1.
LRESULT AnswerPrintMessage(HWND window, HDC dc, UINT flags, TNcPaintProc ncPaint, void* arg);

// Runs the control's own WM_PAINT handling with `dc` as WParam; the DC's state is kept.
void PaintControlInto(ui::TWinControl* control, HDC dc);

// Takes and dispatches every WM_PAINT queued for this thread now. A WM_QUIT met on the way is
// posted again with its exit code.
void DispatchPendingPaints();

// Removes the queued messages numbered `first` to `last`; a WM_QUIT met is posted again and
// the removal stops.
void DiscardQueuedMessages(UINT first, UINT last);

// For a real update region of WM_NCPAINT (not 0 or 1, screen coordinates): makes it the
// clip region of the window DC `dc` (the window rectangle when it cannot be selected),
// shifted to window coordinates.
void ClipDCToFrameUpdateRegion(HWND window, HDC dc, HRGN updateRegion);

// An empty rectangular region.
HRGN NewEmptyRegion();

// --- Arithmetic ---------------------------------------------------------------------------

// a / b (b not 0), rounded away from 0 when there is a remainder: (7, 2) = 4, (-7, 2) = -4,
// (1, 3) = 1.
int DivideRoundingOut(int a, int b);
int SmallerOf(int a, int b);
bool SamePoint(POINT a, POINT b);

// --- Caption text (UTF-8) -----------------------------------------------------------------

// Removes the accelerator markers: each single "&" goes, "&&" leaves one "&".
std::string RemoveAmpersandMarkers(std::string_view text);
// Doubles each "&", so that the text shows as it stands.
std::string DoubleAmpersands(std::string_view text);
// Removes a final ":" (text of at least 2 characters) or else a final "..." (at least 4).
std::string TrimLabelSuffix(std::string_view text);
// The character after the last single "&" ("&&" is not a marker), or 0.
char32_t AcceleratorOfCaption(std::string_view caption);

// Pixel widths and heights with the DC's font.
int DCFontHeight(HDC dc);
int DCTextWidth(HDC dc, std::string_view text);
int CaptionTextWidth(HDC dc, std::string_view caption, bool stripAmpersands);

// A copy of the DC's font turned by 270 degrees, for text that runs top-down; the caller
// deletes it.
HFONT MakeRotatedFont(HDC dc);

// Draws `caption` top-down in `rect`, centred across its width, with DrawText-style flags:
// DT_NOPREFIX, DT_HIDEPREFIX, DT_END_ELLIPSIS, DT_CENTER (along the height) and DT_NOCLIP.
void DrawVerticalCaption(HDC dc, std::string_view caption, const RECT& rect, UINT flags);

// --- Drag frame ---------------------------------------------------------------------------

// Moves an inverted drag frame from `oldRect` to `newRect` in one pass (either may be null:
// only draw, or only erase). A frame is the rectangle minus itself shrunk by its thickness.
void DrawDragFrame(HDC dc, const RECT* newRect, const RECT* oldRect, SIZE newThickness,
                   SIZE oldThickness);

// A halftone brush: an 8 x 8 monochrome pattern of alternating pixels. The caller deletes it.
HBRUSH MakeCheckerBrush();

// --- System settings ----------------------------------------------------------------------

// Milliseconds before a submenu opens under the mouse.
int SubmenuOpenDelay();
// The menu show delay as the control panel stores it: the string value "MenuShowDelay" of
// `keyPath` under `root`. 400 when the key or the value is missing; 0 for any other failure,
// a value that is not a string or not a number, or a negative number.
int ReadMenuShowDelayValue(HKEY root, const wchar_t* keyPath);

bool FlatMenusOn();
bool KeyboardCuesShown();
// True when the current sound scheme gives the event `name` a sound (always on systems
// without schemes).
bool SoundSchemeHasEvent(std::string_view name);
bool RunningWinXPOrLater();
// The ANSI code page of the current keyboard layout's language, or 0.
int InputLanguageCodePage();

// --- System functions bound by name ---------------------------------------------------------

// A function of an already loaded system module, or nullptr where the system lacks it.
template <class F>
F BindSystemFunction(const wchar_t* module, const char* name) {
  HMODULE handle = GetModuleHandleW(module);
  if (!handle) return nullptr;
  return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(handle, name)));
}

// Announces an accessibility event through NotifyWinEvent (bound on first use); nothing where
// the system lacks the function.
void NotifyBarWinEvent(DWORD event, HWND window, LONG object, LONG child);

// --- Monitors and mouse tracking ----------------------------------------------------------

// The work area (when wanted and known) or the whole primary screen.
RECT DesktopAreaRect(bool workArea);
bool SeveralMonitors();

// The multiple-monitor functions, bound on the first call of LoadMonitorEntryPoints.
struct TMonitorFunctions {
  HMONITOR(WINAPI* FromRect)(LPCRECT, DWORD) = nullptr;
  HMONITOR(WINAPI* FromPoint)(POINT, DWORD) = nullptr;
  HMONITOR(WINAPI* FromWindow)(HWND, DWORD) = nullptr;
  BOOL(WINAPI* GetInfo)(HMONITOR, LPMONITORINFO) = nullptr;
};
// Binds the functions once; true when MonitorFromRect, MonitorFromPoint and GetMonitorInfoA
// exist.
bool LoadMonitorEntryPoints();
const TMonitorFunctions& MonitorFunctions();

// The nearest monitor's work area or whole rectangle; the desktop area on one monitor.
RECT NearestMonitorRectForRect(const RECT& rect, bool workArea);
RECT NearestMonitorRectForPoint(POINT point, bool workArea);

// TrackMouseEvent with the TME_* `flags` (hover time 0); false when the system has no such
// function.
bool RequestMouseTracking(HWND window, DWORD flags);

}  // namespace movra::bars
