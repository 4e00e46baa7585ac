#pragma once
// What the docks, the dockable windows and their loops share inside the framework: the modal
// capture loop, activation passing and the floating windows' hook.
#include <windows.h>

#include <functional>

#include "runtime/ui/controls.h"

namespace movra::bars {

class TBarCustomDockableWindow;

// A modal loop's hold on the mouse. It ends when the loop stops, when the capture is lost and
// on WM_QUIT (posted again with its exit code); the capture and the cursor clip are given back
// on every way out.
class TModalCapture {
 public:
  explicit TModalCapture(HWND window);
  ~TModalCapture();
  TModalCapture(const TModalCapture&) = delete;
  TModalCapture& operator=(const TModalCapture&) = delete;

  // The next message for the loop, or false when the loop is over.
  bool Next(MSG& msg);
  void Stop() { stopped_ = true; }
  bool Held() const { return GetCapture() == window_; }

 private:
  HWND window_;
  RECT clip_{};
  bool stopped_ = false;
};

bool ThreadHasActiveWindow();
// The work area of the monitor nearest to the rectangle or point.
RECT NearestMonitorWorkArea(const RECT& r);
RECT NearestMonitorWorkArea(POINT p);
// Clips a window DC to a non-client update region given in screen coordinates.
void ClipToFrameUpdateRegion(HWND window, HDC dc, HRGN region);
// Answers WM_PRINT: the frame through `paintFrame`, then the client area.
void AnswerPrint(movra::ui::TWinControl* control, movra::ui::TMessage& m, const std::function<void(HDC)>& paintFrame);
// Activates the first visible, enabled top-level window of the thread other than the two given
// and the application window (a non-topmost one first).
void PassActivationFrom(HWND self, HWND other);
// Draws the XOR drag frame: the rings of the old and the new rectangle combined, painted once.
void MoveDragFrame(HDC dc, const RECT* newRect, const RECT* oldRect, SIZE newSize, SIZE oldSize);
// Sends every queued paint of the thread now; a WM_QUIT met is posted again.
void DispatchQueuedPaints();

// The floating windows' hook: application activation, window moves and destruction.
void RegisterFloatingHook(TBarCustomDockableWindow* window);
void UnregisterFloatingHook(TBarCustomDockableWindow* window);
void FloatingHookEvent(int kind, HWND window, WPARAM wparam, LPARAM lparam);

}  // namespace movra::bars
