#pragma once
// Controls: the common base of everything on screen, windowed controls over real window
// handles, and controls that paint themselves. One window procedure serves every control and
// dispatches to the class's virtual WndProc.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "runtime/ui/actions.h"
#include "runtime/ui/classes.h"
#include "runtime/ui/graphics.h"

namespace movra::ui {

// The layer's own control messages.
enum : UINT {
  CM_BASE = 0xB000,
  CM_ENABLEDCHANGED = CM_BASE + 1,
  CM_VISIBLECHANGED = CM_BASE + 2,
  CM_COLORCHANGED = CM_BASE + 3,
  CM_FONTCHANGED = CM_BASE + 4,
  CM_TEXTCHANGED = CM_BASE + 5,
  CM_SHOWINGCHANGED = CM_BASE + 6,
  CM_MOUSEENTER = CM_BASE + 7,
  CM_MOUSELEAVE = CM_BASE + 8,
  // The parent's colour changed: WParam 0 take it from the parent; WParam 1 take LParam.
  CM_PARENTCOLORCHANGED = CM_BASE + 9,
  CM_PARENTFONTCHANGED = CM_BASE + 10,
  CM_RELEASE = CM_BASE + 11,
  CM_SHOWHINTCHANGED = CM_BASE + 12,
  CM_PARENTSHOWHINTCHANGED = CM_BASE + 13,
  CM_RECREATEWND = CM_BASE + 14,
  CM_SYNCHRONIZE = CM_BASE + 15,
  // A child control was inserted (LParam 1) or is being removed (LParam 0); WParam is it.
  CM_CONTROLLISTCHANGE = CM_BASE + 16,
  // A dialog key (Tab, arrows, Enter, Escape; WParam the key, LParam the key data) that the
  // focused control does not take, before dialog navigation gets it. Sent to the form and
  // relayed down the controls until one answers non-zero, which takes the key.
  CM_DIALOGKEY = CM_BASE + 17,
  // The same for a character: Alt+letter, or a letter the focused control does not take.
  CM_DIALOGCHAR = CM_BASE + 18,
  // A hint is about to show for the control: LParam is the THintInfo to fill or change;
  // answering non-zero shows no hint.
  CM_HINTSHOW = CM_BASE + 19,
  // The system's colours or settings changed, or a mode (capture, tracking) must end: each
  // control passes the system's message to its own class and then on to its children.
  // CM_WININICHANGE carries WM_SETTINGCHANGE's parameters.
  CM_SYSCOLORCHANGE = CM_BASE + 20,
  CM_WININICHANGE = CM_BASE + 21,
  CM_CANCELMODE = CM_BASE + 22,
  // To the application's window, through its hooks: a key went down (WParam the key, LParam
  // the key data), before the form's shortcuts; non-zero takes it.
  CM_APPKEYDOWN = CM_BASE + 23,
  // To the application's window: a form got WM_SYSCOMMAND with SC_KEYMENU (LParam points
  // at the form's TMessage); non-zero takes it, so the system's menu loop does not start.
  CM_APPSYSCOMMAND = CM_BASE + 24,
  // Posted by a list view to itself: the rows changed since it stopped redrawing are in, so
  // it lays out its scroll bars and draws again.
  CM_DEFERREDREDRAW = CM_BASE + 25,
  // Posted by a form made active while it is disabled: the dialog over it takes the activation.
  CM_ACTIVATEPOPUP = CM_BASE + 26,
  // Notifications of a native control, reflected back to it by its parent.
  CN_BASE = 0xBC00,
  CN_COMMAND = CN_BASE + WM_COMMAND,
  CN_NOTIFY = CN_BASE + WM_NOTIFY,
  CN_DRAWITEM = CN_BASE + WM_DRAWITEM,
  CN_MEASUREITEM = CN_BASE + WM_MEASUREITEM,
  CN_HSCROLL = CN_BASE + WM_HSCROLL,
  CN_VSCROLL = CN_BASE + WM_VSCROLL,
  CN_CTLCOLOREDIT = CN_BASE + WM_CTLCOLOREDIT,
  CN_CTLCOLORLISTBOX = CN_BASE + WM_CTLCOLORLISTBOX,
  CN_CTLCOLORBTN = CN_BASE + WM_CTLCOLORBTN,
  CN_CTLCOLORSTATIC = CN_BASE + WM_CTLCOLORSTATIC,
};

struct TMessage {
  UINT Msg;
  WPARAM WParam;
  LPARAM LParam;
  LRESULT Result;
};
using TWndMethod = TDelegate<TMessage&>;

class TControl;

// What a hint about to show says and where: CM_HINTSHOW hands it to the control, which may
// change any part. While the cursor stays inside CursorRect the hint stays; leaving it asks
// again, so one control can show a hint per part of itself.
struct THintInfo {
  TControl* HintControl = nullptr;
  POINT HintPos{};        // the hint window's top-left corner, screen coordinates
  int HintMaxWidth = 0;   // pixels; longer text wraps
  TColor HintColor = clInfoBk;
  RECT CursorRect{};      // HintControl's client coordinates
  POINT CursorPos{};      // HintControl's client coordinates
  int ReshowTimeout = 0;  // ms: ask again after this long (0: never)
  int HideTimeout = 0;    // ms: hide after this long (0: stay)
  std::string HintStr;
  void* HintData = nullptr;
};

// The parts of a hint "short|long": the short one shows in the hint window, the long one in
// a status line. Without "|" both are the whole text.
std::string GetShortHint(const std::string& hint);
std::string GetLongHint(const std::string& hint);

enum class TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
enum TAnchorKind : unsigned { akLeft = 1, akTop = 2, akRight = 4, akBottom = 8 };
using TAnchors = unsigned;

enum TShiftFlag : unsigned { ssShift = 1, ssAlt = 2, ssCtrl = 4, ssLeft = 8, ssRight = 16, ssMiddle = 32, ssDouble = 64 };
using TShiftState = unsigned;
// The shift state of the keyboard now.
TShiftState KeyboardShiftState();
// The shift state carried by a mouse message's key flags.
TShiftState MouseShiftState(WPARAM keys);

enum class TMouseButton { mbLeft, mbRight, mbMiddle };
using TMouseEvent = TDelegate<TObject*, TMouseButton, TShiftState, int, int>;
using TMouseMoveEvent = TDelegate<TObject*, TShiftState, int, int>;
using TKeyEvent = TDelegate<TObject*, WORD&, TShiftState>;
using TKeyPressEvent = TDelegate<TObject*, wchar_t&>;

enum TControlStyleFlag : unsigned {
  csAcceptsControls = 1,
  csCaptureMouse = 2,
  csClickEvents = 4,
  csDoubleClicks = 8,
  csOpaque = 16,
  csSetCaption = 32,
  // Keyboard menu messages (WM_SYSCOMMAND, dialog characters) are relayed to the control.
  csMenuEvents = 64,
  // The control shows actions of its own and takes part in the idle action updates.
  csActionClient = 128,
};

using TModalResult = int;

inline constexpr TModalResult mrNone = 0;
inline constexpr TModalResult mrOk = IDOK;
inline constexpr TModalResult mrCancel = IDCANCEL;
inline constexpr TModalResult mrAbort = IDABORT;
inline constexpr TModalResult mrRetry = IDRETRY;
inline constexpr TModalResult mrIgnore = IDIGNORE;
inline constexpr TModalResult mrYes = IDYES;
inline constexpr TModalResult mrNo = IDNO;

class TWinControl;
class TPopupMenu;
class TBasicAction;
class TActionLink;
class TCustomForm;

class TControl : public TComponent {
 public:
  static const TClassInfo& Class() {
    static const TClassInfo info{"TControl", &TComponent::Class()};
    return info;
  }
  const TClassInfo& ClassType() const override { return Class(); }

  explicit TControl(TComponent* owner);
  ~TControl() override;

  TWinControl* Parent() const { return parent_; }
  virtual void SetParent(TWinControl* parent);

  int Left() const { return left_; }
  int Top() const { return top_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  void SetLeft(int v) { SetBounds(v, top_, width_, height_); }
  void SetTop(int v) { SetBounds(left_, v, width_, height_); }
  void SetWidth(int v) { SetBounds(left_, top_, v, height_); }
  void SetHeight(int v) { SetBounds(left_, top_, width_, v); }
  RECT BoundsRect() const { return {left_, top_, left_ + width_, top_ + height_}; }
  // Places the control as its user asks; anchors measure from here.
  virtual void SetBounds(int left, int top, int width, int height);
  virtual RECT ClientRect() const { return {0, 0, width_, height_}; }
  int ClientWidth() const { return ClientRect().right; }
  int ClientHeight() const { return ClientRect().bottom; }
  virtual void SetClientSize(int width, int height);
  POINT ClientToScreen(POINT p) const;
  POINT ScreenToClient(POINT p) const;

  TAlign Align() const { return align_; }
  void SetAlign(TAlign align);
  TAnchors Anchors() const { return anchors_; }
  void SetAnchors(TAnchors anchors);

  bool Visible() const { return visible_; }
  virtual void SetVisible(bool visible);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  virtual bool Showing() const;
  bool Enabled() const { return enabled_; }
  virtual void SetEnabled(bool enabled);

  TColor Color() const { return color_; }
  void SetColor(TColor color);
  bool ParentColor() const { return parentColor_; }
  void SetParentColor(bool on);
  TFont& Font() { return *font_; }
  bool ParentFont() const { return parentFont_; }
  void SetParentFont(bool on);

  std::string Caption() const { return GetText(); }
  void SetCaption(const std::string& text) { SetText(text); }
  virtual std::string GetText() const { return text_; }
  virtual void SetText(const std::string& text);

  const std::string& Hint() const { return hint_; }
  void SetHint(const std::string& hint);
  bool ShowHint() const { return showHint_; }
  void SetShowHint(bool on);
  bool ParentShowHint() const { return parentShowHint_; }
  void SetParentShowHint(bool on);

  TPopupMenu* PopupMenu() const { return popupMenu_; }
  void SetPopupMenu(TPopupMenu* menu);
  TBasicAction* Action() const;
  void SetAction(TBasicAction* action);
  HCURSOR Cursor() const { return cursor_; }
  void SetCursor(HCURSOR cursor) { cursor_ = cursor; }

  unsigned ControlStyle() const { return controlStyle_; }
  void SetControlStyle(unsigned style) { controlStyle_ = style; }

  LRESULT Perform(UINT msg, WPARAM wparam = 0, LPARAM lparam = 0);
  // The procedure messages go through; components may replace it to watch a control.
  TWndMethod WindowProc;
  virtual void WndProc(TMessage& message);
  virtual void DefaultHandler(TMessage& message);

  virtual void Invalidate() {}
  virtual void Update() {}
  void Repaint() { Invalidate(); Update(); }
  void BringToFront();
  // The form the control sits on, or nullptr.
  TCustomForm* ParentForm() const;

  virtual void Click();
  virtual void DblClick();
  // The application's idle time reaches every showing action client (csActionClient) of a
  // visible form here: the control's action runs its update; a control that shows actions
  // of its own updates them too.
  virtual void InitiateAction();

  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseUp;
  TMouseMoveEvent OnMouseMove;
  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseLeave;
  TNotifyEvent OnResize;

  void GetProperties(TPropertyList& properties) override;

 protected:
  friend class TWinControl;
  friend class TActionLink;
  void Notification(TComponent* component, TOperation operation) override;
  void Loaded() override;
  // Moves the control without touching its anchors (alignment uses this).
  virtual void SetBoundsCore(int left, int top, int width, int height);
  virtual void Resize();
  virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
  virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
  virtual void MouseMove(TShiftState shift, int x, int y);
  virtual void TextChanged() {}
  virtual void FontChanged();
  virtual void ColorChanged();
  virtual void EnabledChanged() {}
  virtual void VisibleChanged();
  // Whether the control shows its Caption in the window title (true) or keeps it inside.
  virtual bool HasCaption() const { return true; }
  // Controls that mirror more of an action return their own link class here.
  virtual std::unique_ptr<TActionLink> CreateActionLink();
  // Copies the action's properties; with `checkDefaults` only into properties that still
  // have their default value (the action is being loaded).
  virtual void ActionChange(TObject* sender, bool checkDefaults);
  void FontChange(TObject*);
  void RememberAnchors();
  void ApplyAnchors(int parentWidth, int parentHeight);
  void RequestAlign();
  bool IsActionClick() const;

  std::string text_;
  TWinControl* parent_ = nullptr;
  int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  TAlign align_ = TAlign::alNone;
  TAnchors anchors_ = akLeft | akTop;
  struct AnchorBase {
    bool set = false;
    int parentWidth = 0, parentHeight = 0, left = 0, top = 0, width = 0, height = 0;
  } anchorBase_;
  bool visible_ = true;
  bool enabled_ = true;
  TColor color_ = clBtnFace;
  bool parentColor_ = true;
  std::unique_ptr<TFont> font_;
  bool parentFont_ = true;
  bool updatingParentFont_ = false;
  std::string hint_;
  bool showHint_ = false;
  bool parentShowHint_ = true;
  TPopupMenu* popupMenu_ = nullptr;
  std::unique_ptr<TActionLink> actionLink_;
  HCURSOR cursor_ = nullptr;
  unsigned controlStyle_ = csCaptureMouse | csClickEvents | csSetCaption | csDoubleClicks;
  bool mouseInside_ = false;
};

// The link of a control to its action: caption, hint, enabled state, visibility and the
// click handler follow the action while they still show the action's values.
class TControlActionLink : public TActionLink {
 public:
  using TActionLink::TActionLink;
  TControl* Control() const { return control_; }

  bool IsCaptionLinked() override;
  bool IsEnabledLinked() override;
  bool IsHintLinked() override;
  bool IsVisibleLinked() override;
  bool IsOnExecuteLinked() override;
  void SetCaption(const std::string& value) override;
  void SetEnabled(bool value) override;
  void SetHint(const std::string& value) override;
  void SetVisible(bool value) override;
  void SetOnExecute(const TNotifyEvent& value) override;

 protected:
  void AssignClient(TObject* client) override;

 private:
  TControl* control_ = nullptr;
};

// What a windowed control asks CreateWindowEx for.
struct TCreateParams {
  std::wstring Caption;
  DWORD Style = 0;
  DWORD ExStyle = 0;
  int X = 0, Y = 0, Width = 0, Height = 0;
  HWND WndParent = nullptr;
  std::wstring WinClassName;   // the class registered for the control
  std::wstring SysClassName;   // a system class the control subclasses, when not empty
  UINT ClassStyle = CS_DBLCLKS;
  HMENU Menu = nullptr;
};

class TWinControl : public TControl {
 public:
  static const TClassInfo& Class() {
    static const TClassInfo info{"TWinControl", &TControl::Class()};
    return info;
  }
  const TClassInfo& ClassType() const override { return Class(); }

  explicit TWinControl(TComponent* owner);
  ~TWinControl() override;
  void BeforeDestruction() override;

  // The window, created (with the parents' windows) when first asked for.
  HWND Handle();
  bool HandleAllocated() const { return handle_ != nullptr; }
  void HandleNeeded() { Handle(); }
  void DestroyHandle();
  // Destroys the window and creates it again with the current properties.
  void RecreateWnd();

  int ControlCount() const { return static_cast<int>(controls_.size()); }
  TControl* Controls(int index) const { return controls_.at(static_cast<size_t>(index)); }
  // Both tell this control with CM_CONTROLLISTCHANGE: after the insertion, before the removal.
  virtual void InsertControl(TControl* control);
  virtual void RemoveControl(TControl* control);
  // Moving to another parent keeps the window: it is moved to the new parent's window with
  // its frame recomputed, and shown or hidden as the new place asks.
  void SetParent(TWinControl* parent) override;
  // The widths of the frame around the client area (left, top, right, bottom) that the
  // control's window has or will have; ClientRect uses it before the window exists.
  virtual RECT NonClientMargins() const;
  // Lays the aligned and anchored children out in the client area.
  void Realign();
  void DisableAlign() { ++alignDisabled_; }
  void EnableAlign();

  RECT ClientRect() const override;
  void SetClientSize(int width, int height) override;
  bool Showing() const override;
  // Works out whether the control is showing now (a window, visible, on a showing parent)
  // and, on a change, performs CM_SHOWINGCHANGED, whose default shows or hides the window;
  // then does the same for the child controls.
  void UpdateShowing();
  // The showing state last announced.
  bool ShowingState() const { return showing_; }
  void SetVisible(bool visible) override;
  void SetEnabled(bool enabled) override;
  std::string GetText() const override;
  void SetText(const std::string& text) override;

  bool TabStop() const { return tabStop_; }
  void SetTabStop(bool on);
  bool Focused() const;
  virtual bool CanFocus() const;
  virtual void SetFocus();

  void Invalidate() override;
  void Update() override;
  void WndProc(TMessage& message) override;
  void DefaultHandler(TMessage& message) override;
  // The brush that paints the background in the control's colour.
  HBRUSH BackgroundBrush();

  // Paints the control, frame included, and every visible child window into `dc` with the
  // control's top-left corner at (x, y), as the screen would show them.
  void PaintTo(HDC dc, int x, int y);
  // Hands `message` to every child control in turn until one answers non-zero.
  void Broadcast(TMessage& message);
  // Hands a copy of `message` to every child control, whatever they answer.
  void NotifyControls(TMessage& message);
  // Painting goes through a bitmap of the client area first, so the screen never shows a
  // half-painted control; the background is then erased only into the bitmap.
  bool DoubleBuffered() const { return doubleBuffered_; }
  void SetDoubleBuffered(bool on) { doubleBuffered_ = on; }

  TKeyEvent OnKeyDown;
  TKeyEvent OnKeyUp;
  TKeyPressEvent OnKeyPress;
  TNotifyEvent OnEnter;
  TNotifyEvent OnExit;

 protected:
  friend LRESULT CALLBACK StdWndProc(HWND, UINT, WPARAM, LPARAM);
  virtual void CreateParams(TCreateParams& params);
  virtual void CreateWnd();
  virtual void DestroyWnd();
  virtual void CreateWindowHandle(const TCreateParams& params);
  // The part of the client area children are aligned in.
  virtual void AdjustClientRect(RECT&) const {}
  virtual void AlignControls(RECT rect);
  // Runs the alignment that loading held back.
  void Loaded() override;
  void SetBoundsCore(int left, int top, int width, int height) override;
  void FontChanged() override;
  void ColorChanged() override;
  void VisibleChanged() override;
  // Where a menu opened by the keyboard (Shift+F10, the Menu key) shows, in client
  // coordinates: at the part of the control the menu acts on; by default its client origin.
  virtual POINT KeyboardPopupPoint() { return {0, 0}; }
  // Key handlers: return true when the key was consumed.
  virtual bool DoKeyDown(WORD& key, TShiftState shift);
  virtual bool DoKeyPress(wchar_t& key);
  virtual void DoEnter() { if (OnEnter) OnEnter(this); }
  virtual void DoExit() { if (OnExit) OnExit(this); }
  // Defaults of a control the user types or picks in: a tab stop, the window colour and
  // the given size.
  void SetInputDefaults(int width, int height);
  // Reads the window's placement back after the system moved it.
  void UpdateBounds();
  // Paints the client area into `dc`: a WM_PAINT from the queue (after BeginPaint), one whose
  // WParam carries a DC, WM_PRINTCLIENT and the double buffer all end here. A window of a
  // system class paints itself through its own WM_PAINT with the DC.
  virtual void PaintWindow(HDC dc);
  // The window's class procedure is the layer's own (not a system control's).
  bool OwnWindowClass() const { return defWndProc_ == DefWindowProcW; }
  // Replaces the system class procedure; callers use DefaultHandler to reach it.
  WNDPROC defWndProc_ = nullptr;
  HWND handle_ = nullptr;
  std::vector<TControl*> controls_;
  bool tabStop_ = false;
  // The child window identifier, unique in the process (above the dialog button ids).
  UINT controlId_;

 private:
  void DetachHandle();
  void CreateParamsForMeasure(TCreateParams& params);
  void PaintHandler(TMessage& message);
  void PrintHandler(TMessage& message);
  // The memory DC a double-buffered paint is erasing into, while it does.
  HDC bufferDc_ = nullptr;
  bool doubleBuffered_ = false;
  bool showing_ = false;
  bool reparenting_ = false;
  int alignDisabled_ = 0;
  bool alignPending_ = false;
  bool realigning_ = false;
  bool creating_ = false;
  std::unique_ptr<TBrush> brush_;
};

// A windowed control that paints itself on a canvas.
class TCustomControl : public TWinControl {
 public:
  static const TClassInfo& Class() {
    static const TClassInfo info{"TCustomControl", &TWinControl::Class()};
    return info;
  }
  const TClassInfo& ClassType() const override { return Class(); }

  explicit TCustomControl(TComponent* owner);
  TCanvas& Canvas() { return canvas_; }

 protected:
  void CreateParams(TCreateParams& params) override;
  void PaintWindow(HDC dc) override;
  virtual void Paint();

 private:
  TCanvas canvas_;
};

// The control whose window is `window`, or nullptr.
TWinControl* FindControl(HWND window);

// The window after `from` (before it when `backward`) among the tab stops under `root`, round
// from the last to the first: child windows in z-order, each window that holds controls
// (WS_EX_CONTROLPARENT) followed by those it holds, so that one that is a tab stop itself (the
// tabs of a page control) comes before its pages' controls. Hidden and disabled windows and
// what they hold are left out. With `from` null (or outside), the first (last) tab stop.
HWND FindNextTabStop(HWND root, HWND from, bool backward);
// Gives `window` the focus as the keyboard moves it there: a one-line edit shows its text
// selected whole, so that typing replaces it, as in a dialog.
void FocusByKeyboard(HWND window);
// +1 for Ctrl+Tab and Ctrl+PgDn, -1 for Ctrl+Shift+Tab and Ctrl+PgUp, 0 for any other key (as
// the keyboard is now): the keys that turn the pages of a tabbed window wherever its focus is.
int PageTurnOf(WPARAM key);

// Prints `window` into `dc` through WM_PRINT with `flags`, its corner at (`x`, `y`) in the DC's
// logical units and clipped to its own size; the DC's state is kept.
void PrintWindowAt(HWND window, HDC dc, int x, int y, UINT flags);
// Prints the visible child windows of `window` into `dc` through WM_PRINT (frame, background,
// client and their own children), each at its place and clipped to its own rectangle, the
// bottom of the z-order first. The DC's origin is the window's corner with its frame when
// `flags` has PRF_NONCLIENT, else its client area's. The system's own WM_PRINT leaves the
// children out; every control of the layer answers WM_PRINT with PRF_CHILDREN through this.
void PrintChildWindows(HWND window, HDC dc, UINT flags);
// Draws the frame the system gives `window` (border, edges, caption with its buttons, scroll
// bars; menus as plain face) into `dc`, whose origin is the window's corner; `margins` are the
// frame's widths. The system's own WM_PRINT leaves the frame out.
void PrintSystemFrame(HWND window, HDC dc, const RECT& margins);
LRESULT CALLBACK StdWndProc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam);

// Runs `call` on the user-interface thread and waits for it; on that thread it runs at once.
// Exceptions from `call` come back to the caller.
void Synchronize(const std::function<void()>& call);
// Runs `call` on the user-interface thread later, in the order queued.
void Queue(std::function<void()> call);
// Runs the calls waiting for the user-interface thread; true when any ran.
bool CheckSynchronize();
// The thread the layer's windows belong to (the first thread that used it).
DWORD MainThreadId();

// A hidden message-only window of class `className` (registered on first use).
HWND CreateMessageWindow(const wchar_t* className, WNDPROC procedure);

// Loads comctl32's common control classes (once).
void InitCommonControlClasses();

}  // namespace movra::ui
