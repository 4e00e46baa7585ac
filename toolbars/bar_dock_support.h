#pragma once
// What the docks, the dockable windows and their loops share inside the framework: the modal
// capture loop and activation passing.
#include <windows.h>

#include <functional>

namespace movra::bars {

// A modal loop's hold on the mouse. It ends when the loop stops, when the capture is lost and
// on WM_QUIT (posted again with its exit code); the capture and the cursor clip are given back
// on every way out.
class TModalCapture {
 public:
  explicit TModalCapture(HWND window);
  ~TModalCapture();
  TModalCapture(const TModalCapture&) = delete;
  TModalCapture& operator=(const TModalCapture&) = delete;

  using TMessageHandler = std::function<void(const MSG&)>;
  // Runs the loop until it is over. Key presses and releases (WM_KEYDOWN, WM_KEYUP) go to
  // `onKey`, mouse moves to `onMove` (either may be empty: ignored); other keyboard messages
  // and the right and middle buttons are ignored; a left press or double click ends the loop,
  // the left release ends it too and is reported as true; anything else is dispatched. The
  // loops follow each move's own point (MSG::pt): it comes in order with the buttons, where
  // the cursor's present place may already be further on.
  bool Run(const TMessageHandler& onKey, const TMessageHandler& onMove);
  // Where the left button was released (screen coordinates), after Run reported it.
  POINT ReleasePoint() const { return releasePoint_; }

  // The next message for the loop, or false when the loop is over.
  bool Next(MSG& msg);
  void Stop() { stopped_ = true; }
  bool Held() const { return GetCapture() == window_; }

 private:
  HWND window_;
  RECT clip_{};
  bool stopped_ = false;
  POINT releasePoint_{};
};

// Activates the first visible, enabled top-level window of the thread other than the two given
// and the application window (a non-topmost one first).
void PassActivationFrom(HWND self, HWND other);

}  // namespace movra::bars
