#pragma once
// Menu tracking: while a menu is open the framework keeps the mouse capture and reads every
// message itself, steering the chain of open views from the root view down to the deepest
// open submenu, until the root view records a done action or the capture is lost.
#include <windows.h>

#include "runtime/ui/controls.h"
#include "toolbars/bar_view.h"

namespace movra::bars {

class TBarModalHandler : public IBarModalLoop {
 public:
  // Tracks with the capture on `window`, or on a hidden window of its own when none is given.
  explicit TBarModalHandler(HWND window);
  ~TBarModalHandler() override;
  TBarModalHandler(const TBarModalHandler&) = delete;
  TBarModalHandler& operator=(const TBarModalHandler&) = delete;

  // Runs the tracking loop; afterwards the root view's DoneAction tells what was chosen. The
  // caller runs it once the popup windows and this handler are gone.
  void Loop(TBarView& rootView, bool mousePress, bool executeSelected, bool fromAccessibility,
            bool rightButtonTracks) override;

  HWND Window() const { return window_; }

 private:
  HWND window_ = nullptr;
  bool createdWindow_ = false;
  bool started_ = false;
};

// The loop's last cursor position is forgotten, so that its next pass reads the cursor again
// and refreshes the hover state.
void InvalidateTrackedCursorPos();

// Removes the message `peeked` from the queue with its own window and message number, so that
// a message posted since the peek is not taken in its place. False when it is gone.
bool RemovePeekedMessage(const MSG& peeked, MSG& removed);

}  // namespace movra::bars
