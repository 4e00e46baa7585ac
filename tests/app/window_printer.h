#pragma once
// The hook library that draws the windows of a program of another process in that process.
#include <windows.h>

namespace movra::testing {

// Sent to a window whose thread carries the hook: WParam is a global atom of the text
// "left top right bottom path", the area of the screen to draw and the BMP file to write.
inline constexpr wchar_t kPrintThreadWindowsMessage[] = L"MovraPrintThreadWindows";
// The hook procedure the library exports, for WH_CALLWNDPROC.
inline constexpr char kPrintThreadWindowsHook[] = "PrintThreadWindowsHook";
inline constexpr wchar_t kWindowPrinterLibrary[] = L"window_printer.dll";

}  // namespace movra::testing
