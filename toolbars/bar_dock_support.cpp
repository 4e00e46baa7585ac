#include "toolbars/bar_dock_support.h"

namespace movra::bars {

TModalCapture::TModalCapture(HWND window) : window_(window) {
  GetClipCursor(&clip_);
  SetCapture(window);
}

TModalCapture::~TModalCapture() {
  if (GetCapture() == window_) ReleaseCapture();
  ClipCursor(&clip_);
}

bool TModalCapture::Next(MSG& msg) {
  for (;;) {
    if (stopped_ || GetCapture() != window_) return false;
    if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        PostQuitMessage(static_cast<int>(msg.wParam));
        return false;
      }
      return true;
    }
    // Woken by input, or now and then to notice a capture taken without a message.
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
  }
}

bool TModalCapture::Run(const TMessageHandler& onKey, const TMessageHandler& onMove) {
  MSG msg;
  while (Next(msg)) {
    switch (msg.message) {
      case WM_KEYDOWN:
      case WM_KEYUP:
        if (onKey) onKey(msg);
        break;
      case WM_SYSKEYDOWN:
      case WM_SYSKEYUP:
      case WM_CHAR:
      case WM_SYSCHAR:
      case WM_DEADCHAR:
      case WM_SYSDEADCHAR:
        break;
      case WM_MOUSEMOVE:
        if (onMove) onMove(msg);
        break;
      case WM_LBUTTONDOWN:
      case WM_LBUTTONDBLCLK:
        Stop();
        break;
      case WM_LBUTTONUP:
        releasePoint_ = msg.pt;
        Stop();
        return true;
      case WM_RBUTTONDOWN:
      case WM_RBUTTONUP:
      case WM_RBUTTONDBLCLK:
      case WM_MBUTTONDOWN:
      case WM_MBUTTONUP:
      case WM_MBUTTONDBLCLK:
        break;
      default:
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
        break;
    }
  }
  return false;
}

}  // namespace movra::bars
