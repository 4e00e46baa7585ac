#include "toolbars/bar_modal.h"

#include <imm.h>
#include <windowsx.h>

#include <memory>
#include <vector>

#include "runtime/ui/forms.h"
#include "toolbars/bar_common.h"
#include "toolbars/bar_popup.h"

namespace movra::bars {

namespace {

constexpr UINT WM_KEYF1 = 0x4D;
constexpr UINT WM_SYSTIMER = 0x118;
constexpr LONG kInvalidCursorX = static_cast<LONG>(0x80000000u);

POINT lastCursor{kInvalidCursorX, 0};

void SetStatusHint(const std::string& text) { ui::Application().SetHint(text); }
void CancelHint() { ui::Application().CancelHint(); }

// The application's hint window follows the mouse over `control` as if the move had reached it.
void HintMouseMove(ui::TWinControl* control, POINT client) {
  ui::TMessage move{WM_MOUSEMOVE, 0, MAKELPARAM(client.x, client.y), 0};
  ui::Application().HintMouseMessage(control, move);
}

POINT MessagePosition() {
  const DWORD position = GetMessagePos();
  return {GET_X_LPARAM(position), GET_Y_LPARAM(position)};
}

// The screen point of a mouse message. The capture window may be a message-only window, whose
// client coordinates say nothing about the screen: the message's own cursor position does.
POINT ScreenPointOf(const MSG& msg) { return msg.pt; }

HWND ViewWindowHandle(const TBarView& view) {
  ui::TWinControl* window = view.Window();
  return window && window->HandleAllocated() ? window->Handle() : nullptr;
}

bool ViewUnderPoint(const TBarView& view, POINT screen) {
  HWND window = ViewWindowHandle(view);
  return window && WindowFromPoint(screen) == window;
}

bool SelectedUnderPoint(const TBarView& view, POINT screen) {
  TBarItemViewer* selected = view.Selected();
  if (!selected || !selected->Show || !ViewUnderPoint(view, screen)) return false;
  const POINT client = view.ScreenToClient(screen);
  return PtInRect(&selected->BoundsRect, client) != FALSE;
}

// The open views from the root down to the deepest open submenu.
std::vector<TBarView*> OpenChain(TBarView& root) {
  std::vector<TBarView*> chain;
  for (TBarView* view = &root; view; view = view->OpenViewerView()) chain.push_back(view);
  return chain;
}

TBarView& DeepestView(TBarView& root) { return *OpenChain(root).back(); }

// Runs `call` on the views of the chain from the deepest to the root; a view that an earlier
// call closed is passed over.
template <class F>
void DeepestFirst(TBarView& root, F call) {
  const std::vector<TBarView*> chain = OpenChain(root);
  std::vector<std::weak_ptr<void>> alive;
  for (TBarView* view : chain) alive.push_back(view->Lifetime());
  for (size_t i = chain.size(); i-- > 0;)
    if (!alive[i].expired()) call(*chain[i]);
}

// The selection follows the mouse: in the view that holds the mouse only, else in them all.
void UpdateHover(TBarView& root, POINT screen, bool force) {
  const std::vector<TBarView*> chain = OpenChain(root);
  for (size_t i = chain.size(); i-- > 0;)
    if (chain[i]->Capture()) {
      chain[i]->MouseMoved(screen, force);
      return;
    }
  DeepestFirst(root, [&](TBarView& view) { view.MouseMoved(screen, force); });
}

struct TTarget {
  TBarItemViewer* Viewer = nullptr;
  TBarView* View = nullptr;
};

// The viewer that mouse input goes to: the one that holds the mouse, else the first selected
// viewer under the point; or only the view under the point.
TTarget TargetAt(TBarView& root, POINT screen) {
  const std::vector<TBarView*> chain = OpenChain(root);
  for (TBarView* view : chain)
    if (view->Capture()) return {view->Selected(), view};
  for (TBarView* view : chain) {
    if (SelectedUnderPoint(*view, screen)) return {view->Selected(), view};
    if (ViewUnderPoint(*view, screen)) return {nullptr, view};
  }
  return {};
}

void RefreshHover(TBarView& root) {
  UpdateHover(root, lastCursor, true);
  TBarView& deepest = DeepestView(root);
  TBarItemViewer* selected = deepest.Selected();
  ui::TWinControl* window = deepest.Window();
  if (!selected || !window) return;
  const bool hints = (deepest.Style() & vstShowHints) || HasOption(selected->Item()->EffectiveOptions(), tboShowHint);
  if (hints && !deepest.Capture() && window->HandleAllocated()) {
    window->Update();
    HintMouseMove(window, deepest.ScreenToClient(lastCursor));
  } else {
    CancelHint();
  }
  HCURSOR cursor = nullptr;
  selected->QueryCursor(selected->ScreenToViewer(lastCursor), cursor);
  SetCursor(cursor ? cursor : LoadCursorW(nullptr, IDC_ARROW));
}

// The long hint of the deepest selected item along the open submenus.
std::string StatusHintOf(TBarView& root) {
  TBarView* view = &root;
  if (!view->Selected()) return {};
  while (TBarView* next = view->OpenViewerView()) {
    if (!next->Selected()) break;
    view = next;
  }
  return ui::GetLongHint(view->Selected()->Item()->Hint());
}

bool ButtonHeld(bool rightButtonTracks) {
  return GetKeyState(VK_LBUTTON) < 0 || (rightButtonTracks && GetKeyState(VK_RBUTTON) < 0);
}

// A popup window of the chain whose root is `root`.
bool IsChainPopup(TBarView& root, HWND window) {
  auto* popup = dynamic_cast<TBarPopupWindow*>(ui::FindControl(window));
  return popup && popup->View() && root.IsSelfOrAncestorOf(popup->View());
}

// What the tracking loop keeps while it runs.
class TTracking {
 public:
  TTracking(TBarView& root, bool rightButtonTracks)
      : root_(root), rootAlive_(root.Lifetime()), right_(rightButtonTracks) {}

  // A message dispatched inside the loop may free the root view (its toolbar, say): that ends
  // tracking, and nothing of the view is touched again.
  bool RootGone() const { return rootAlive_.expired(); }
  bool Done() const { return RootGone() || root_.DoneAction().Kind != bdaNone; }
  bool MouseDownOnMenu = false;

  // True when a peeked button press ends tracking and stays in the queue for its window.
  bool PressEndsTracking(const MSG& msg) {
    const POINT screen = ScreenPointOf(msg);
    HWND under = WindowFromPoint(screen);
    if (IsChainPopup(root_, under)) return false;
    HWND rootWindow = ViewWindowHandle(root_);
    if (root_.IsPopup() || !rootWindow || under != rootWindow) return true;
    RECT client;
    GetClientRect(rootWindow, &client);
    if (!PtInRect(&client, root_.ScreenToClient(screen))) return true;
    if (msg.message != WM_LBUTTONDOWN) return false;
    UpdateHover(root_, screen, true);
    TBarItemViewer* selected = root_.Selected();
    return !selected || !root_.MouseOverSelected() || (selected->Item()->ItemStyle() & isNotClickable);
  }

  // Handles a removed message; false when tracking ends.
  bool Handle(MSG& msg) {
    switch (msg.message) {
      case WM_KEYF1:
      case WM_CONTEXTMENU:
      case WM_SYSTIMER:
      case WM_KEYUP:
      case WM_SYSKEYUP:
      case WM_DEADCHAR:
      case WM_SYSDEADCHAR:
      case WM_RBUTTONDBLCLK:
      case WM_MBUTTONDOWN:
      case WM_MBUTTONUP:
      case WM_MBUTTONDBLCLK:
        return true;
      case WM_KEYDOWN:
      case WM_SYSKEYDOWN:
        KeyDown(msg);
        return true;
      case WM_CHAR:
      case WM_SYSCHAR:
        Char(msg);
        return true;
      case WM_TIMER:
        Timer(msg);
        return true;
      case WM_MOUSEMOVE: {
        // A move says that the mouse moved; where it is now is what counts. A window that
        // appears under the mouse has the system queue a move of its own, and that one can
        // arrive after later real moves, with the older position.
        POINT screen = ScreenPointOf(msg);
        GetCursorPos(&screen);
        if (!SamePoint(screen, lastCursor)) {
          lastCursor = screen;
          RefreshHover(root_);
        }
        if (TBarItemViewer* viewer = TargetAt(root_, screen).Viewer) {
          const POINT local = viewer->ScreenToViewer(screen);
          viewer->HandleMouseMove(local.x, local.y);
        }
        return true;
      }
      case WM_RBUTTONDOWN:
        if (!right_) break;
        [[fallthrough]];
      case WM_LBUTTONDOWN:
      case WM_LBUTTONDBLCLK:
        ButtonDown(msg);
        return true;
      case WM_RBUTTONUP:
        if (!right_) break;
        [[fallthrough]];
      case WM_LBUTTONUP:
        return ButtonUp(msg);
      case WM_MOUSEWHEEL: {
        const POINT screen = ScreenPointOf(msg);
        if (TBarItemViewer* viewer = TargetAt(root_, screen).Viewer) {
          const POINT local = viewer->ScreenToViewer(screen);
          viewer->HandleMouseWheel(GET_WHEEL_DELTA_WPARAM(msg.wParam), local.x, local.y);
        }
        return true;
      }
      default:
        break;
    }
    DispatchMessageW(&msg);
    return true;
  }

  // After each message: the cursor read again when it was forgotten, and the status hint.
  void AfterMessage() {
    if (lastCursor.x == kInvalidCursorX) {
      lastCursor = MessagePosition();
      RefreshHover(root_);
    }
    SetStatusHint(StatusHintOf(root_));
  }

 private:
  void KeyDown(MSG& msg) {
    CancelHint();
    WORD key = static_cast<WORD>(msg.wParam);
    if (key == VK_PROCESSKEY) key = static_cast<WORD>(ImmGetVirtualKey(msg.hwnd));
    if (ButtonHeld(right_) && key != VK_F1) return;
    TBarView& deepest = DeepestView(root_);
    if (TBarItemViewer* selected = deepest.Selected()) selected->KeyDown(key, ui::KeyboardShiftState());
    // The navigation may close the deepest view: nothing of it is touched afterwards.
    if (key != 0) DeepestView(root_).ProcessNavigationKey(key);
    if (key != 0 && !Done()) TranslateMessage(&msg);
  }

  void Char(const MSG& msg) {
    if (ButtonHeld(right_)) return;
    const char32_t ch = static_cast<char32_t>(msg.wParam);
    TBarView& deepest = DeepestView(root_);
    bool unique = false;
    if (TBarItemViewer* found = deepest.FindAccelViewer(deepest.Selected(), ch, unique, false)) {
      deepest.SetSelected(found, false);
      deepest.ScrollSelectedIntoView();
      if (unique) deepest.ExecuteSelected(true);
      return;
    }
    HWND active = GetActiveWindow();
    if ((ch == U' ' || ch == U'-') && &deepest == &root_ && !root_.IsPopup() && active) {
      root_.SetDoneActionSysKey(active, static_cast<int>(ch));
      return;
    }
    MessageBeep(0);
  }

  void Timer(MSG& msg) {
    auto* popup = dynamic_cast<TBarPopupWindow*>(ui::FindControl(msg.hwnd));
    if (!popup || msg.wParam < kViewTimerIdBase || msg.wParam > kViewTimerIdBase + vtScrollDown) {
      DispatchMessageW(&msg);
      return;
    }
    TBarView* view = popup->View();
    if (!view) return;
    switch (static_cast<int>(msg.wParam - kViewTimerIdBase)) {
      case vtOpenSubmenu:
        view->CloseChildPopups();
        view->OpenChildPopup(false);
        break;
      case vtCloseSubmenu:
        view->CloseChildPopups();
        break;
      case vtScrollUp:
        if (view->ShowUpArrow())
          view->ScrollStep(false);
        else
          view->StopTimer(vtScrollUp);
        break;
      case vtScrollDown:
        if (view->ShowDownArrow())
          view->ScrollStep(true);
        else
          view->StopTimer(vtScrollDown);
        break;
      default:
        break;
    }
  }

  void ButtonDown(const MSG& msg) {
    CancelHint();
    MouseDownOnMenu = false;
    root_.ExcludeState(vsModalRootPopup);
    const POINT screen = ScreenPointOf(msg);
    UpdateHover(root_, screen, true);
    if (TBarItemViewer* viewer = TargetAt(root_, screen).Viewer) {
      const POINT local = viewer->ScreenToViewer(screen);
      viewer->HandleMouseDown(msg.message == WM_LBUTTONDBLCLK ? ui::TShiftState{ui::ssDouble} : ui::TShiftState{0}, local.x, local.y, MouseDownOnMenu);
    }
    lastCursor = MessagePosition();
  }

  // The release rule: a release over no view, or over the root toolbar, first clears the
  // modal-root mark of a menu opened by a press (its own release), and ends tracking after that;
  // a release over another open popup goes on tracking.
  bool ButtonUp(const MSG& msg) {
    const POINT screen = ScreenPointOf(msg);
    UpdateHover(root_, screen, false);
    const TTarget target = TargetAt(root_, screen);
    if (target.Viewer) {
      const POINT local = target.Viewer->ScreenToViewer(screen);
      target.Viewer->HandleMouseUp(local.x, local.y, MouseDownOnMenu);
      return true;
    }
    if (!target.View || (target.View == &root_ && root_.IsToolbar())) {
      if (!(root_.State() & vsModalRootPopup)) return false;
      root_.ExcludeState(vsModalRootPopup);
    }
    return true;
  }

  TBarView& root_;
  std::weak_ptr<void> rootAlive_;
  bool right_;
};

}  // namespace

void InvalidateTrackedCursorPos() { lastCursor.x = kInvalidCursorX; }

bool RemovePeekedMessage(const MSG& peeked, MSG& removed) {
  return PeekMessageW(&removed, peeked.hwnd, peeked.message, peeked.message, PM_REMOVE) != FALSE;
}

// --- TBarModalHandler ------------------------------------------------------------------------

namespace {

using TLockSetForegroundWindow = BOOL(WINAPI*)(UINT);

TLockSetForegroundWindow LockForeground() {
  static const TLockSetForegroundWindow lock =
      BindSystemFunction<TLockSetForegroundWindow>(L"user32.dll", "LockSetForegroundWindow");
  return lock;
}

// A hidden window to hold the capture when tracking has no window of its own. Not a
// message-only window: mouse input under the capture of one does not always arrive.
HWND CreateTrackingWindow() {
  static const ATOM atom = [] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"MovraBarTracking";
    return RegisterClassExW(&wc);
  }();
  if (!atom) return nullptr;
  return CreateWindowExW(WS_EX_TOOLWINDOW, L"MovraBarTracking", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                         GetModuleHandleW(nullptr), nullptr);
}

}  // namespace

TBarModalHandler::TBarModalHandler(HWND window) {
  lastCursor = MessagePosition();
  if (window) {
    window_ = window;
  } else {
    window_ = CreateTrackingWindow();
    createdWindow_ = window_ != nullptr;
  }
  if (TLockSetForegroundWindow lock = LockForeground()) lock(LSFW_LOCK);
  SetCapture(window_);
  SetCursor(LoadCursorW(nullptr, IDC_ARROW));
  NotifyBarWinEvent(EVENT_SYSTEM_MENUSTART, window_, OBJID_CLIENT, CHILDID_SELF);
  started_ = true;
}

TBarModalHandler::~TBarModalHandler() {
  if (TLockSetForegroundWindow lock = LockForeground()) lock(LSFW_UNLOCK);
  if (window_ && GetCapture() == window_) ReleaseCapture();
  if (started_) NotifyBarWinEvent(EVENT_SYSTEM_MENUEND, window_, OBJID_CLIENT, CHILDID_SELF);
  if (createdWindow_) DestroyWindow(window_);
}

void TBarModalHandler::Loop(TBarView& root, bool mousePress, bool executeSelected, bool fromAccessibility,
                            bool rightButtonTracks) {
  root.DoneAction() = TBarDoneAction{};
  root.ValidatePositions();
  TTracking tracking(root, rightButtonTracks);

  auto run = [&] {
    if (mousePress) {
      if (TBarItemViewer* selected = root.Selected()) {
        const POINT local = selected->ScreenToViewer(MessagePosition());
        selected->HandleMouseDown(0, local.x, local.y, tracking.MouseDownOnMenu);
      }
      if (tracking.Done()) return;
      tracking.MouseDownOnMenu = false;
    } else if (executeSelected) {
      root.ExecuteSelected(!fromAccessibility);
      if (tracking.Done()) return;
    }
    bool first = true;
    while (GetCapture() == window_) {
      // Woken by any message, or now and then to notice a capture taken without one.
      if (!first) MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
      first = false;
      MSG msg;
      while (GetCapture() == window_ && PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
        // Peeking delivers messages sent from elsewhere, and those may free the root view.
        if (tracking.RootGone()) return;
        if (msg.message == WM_QUIT) {
          // The program is ending: the quit goes on to the loop that ends it.
          MSG quit;
          RemovePeekedMessage(msg, quit);
          PostQuitMessage(static_cast<int>(msg.wParam));
          return;
        }
        if ((msg.message == WM_LBUTTONDOWN || msg.message == WM_RBUTTONDOWN) && tracking.PressEndsTracking(msg)) return;
        if (tracking.Done()) return;
        MSG removed;
        // Gone in between (taken by a window of its own accord): the queue is read afresh
        // after a wait, never spun on.
        if (!RemovePeekedMessage(msg, removed)) break;
        if (!tracking.Handle(removed) || tracking.Done()) return;
        tracking.AfterMessage();
      }
    }
  };

  auto finish = [&] {
    if (!tracking.RootGone()) root.CancelCapture();
    SetStatusHint(std::string());
    DiscardQueuedMessages(WM_CHAR, WM_DEADCHAR);
    DiscardQueuedMessages(WM_SYSCHAR, WM_SYSDEADCHAR);
    DiscardQueuedMessages(WM_KEYF1, WM_KEYF1);
  };
  try {
    run();
  } catch (...) {
    finish();
    throw;
  }
  finish();
}

}  // namespace movra::bars
