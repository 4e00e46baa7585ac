#pragma once
// Opens a popup window with a slide or a fade. A worker thread keeps time and tells the
// window when a step is due; the window draws each step itself from a picture taken once.
// One animation runs at a time in the process.
#include <windows.h>

#include <cstdint>

namespace movra::bars {

// Sent (without waiting) to the animated window: lParam is the animation's serial number;
// the window answers with PopupAnimationStep(lParam).
constexpr UINT WM_POPUP_ANIM_STEP = 0x955;
// Sent to the window when its animation has ended and it shows whole.
constexpr UINT WM_POPUP_ANIM_DONE = 0x956;

// Direction bits: where the popup moves as it comes in.
enum TPopupAnimDirection : unsigned {
  padLeft = 1,
  padRight = 2,
  padDown = 4,
  padUp = 8,
};

// Shows the hidden popup `window` with an animation of `durationMs` milliseconds: a fade when
// wanted and the system can (layered windows), else a slide in `directions`. A running
// animation of any window is stopped first.
void StartPopupAnimation(HWND window, int durationMs, bool fade, unsigned directions);
// Ends the running animation at once, the window shown whole, when one runs and (if `window`
// is given) belongs to `window`.
void StopPopupAnimation(HWND window = nullptr);
// The window's answer to WM_POPUP_ANIM_STEP; messages of an earlier animation are ignored.
void PopupAnimationStep(LPARAM serial);

bool PopupAnimationRunning();
// The serial number of the latest animation (it goes up by one with each started one).
int PopupAnimationSerial();

// --- The arithmetic of the animation ---

// The clock the thread counts in: the performance counter in counts per millisecond, or the
// tick count where the counter fails or runs slower than 1 kHz.
struct TAnimationClock {
  bool TickCount;
  int64_t CountsPerMs;
};
TAnimationClock ChooseAnimationClock(bool counterWorks, int64_t frequency);

// The level (0 to 255) reached after `elapsedMs` of `durationMs`; negative when it cannot be
// computed (a duration of 0), which ends the animation.
int AnimationLevel(int64_t elapsedMs, int durationMs);
// Milliseconds to wait, at least 1, from `level` until the step after `currentLevel` is due.
int AnimationPause(int currentLevel, int level, int durationMs);
// Where the window region and the picture lie at `level` of a slide of a W x H window.
POINT SlideOffset(int level, int width, int height, unsigned directions);

}  // namespace movra::bars
