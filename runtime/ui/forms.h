#pragma once
// Forms, the application object with its message loop, and the screen.
#include <windows.h>

#include <exception>
#include <string>
#include <vector>

#include "runtime/ui/controls.h"

namespace movra::ui {

class TMainMenu;
class TActionList;

enum class TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
enum TBorderIcon : unsigned { biSystemMenu = 1, biMinimize = 2, biMaximize = 4 };
enum class TPosition { poDesigned, poDefault, poScreenCenter, poMainFormCenter, poOwnerFormCenter };
enum class TWindowState { wsNormal, wsMinimized, wsMaximized };
enum class TCloseAction { caNone, caHide, caFree, caMinimize };
enum class TFormStyle { fsNormal, fsStayOnTop };

using TCloseEvent = TDelegate<TObject*, TCloseAction&>;
using TCloseQueryEvent = TDelegate<TObject*, bool&>;

// A top-level window. A derived form builds its controls in its constructor between
// BeginLoading and EndLoading; OnCreate runs when that bracket closes.
class TCustomForm : public TWinControl {
 public:
  static const TClassInfo& Class() {
    static const TClassInfo info{"TCustomForm", &TWinControl::Class()};
    return info;
  }
  const TClassInfo& ClassType() const override { return Class(); }

  explicit TCustomForm(TComponent* owner);
  ~TCustomForm() override;
  void BeforeDestruction() override;

  TFormBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TFormBorderStyle style);
  unsigned BorderIcons() const { return borderIcons_; }
  void SetBorderIcons(unsigned icons);
  TPosition Position() const { return position_; }
  void SetPosition(TPosition position) { position_ = position; }
  TWindowState WindowState() const;
  void SetWindowState(TWindowState state);
  TFormStyle FormStyle() const { return formStyle_; }
  void SetFormStyle(TFormStyle style);
  HICON Icon() const { return icon_; }
  void SetIcon(HICON icon);

  TMainMenu* Menu() const { return menu_; }
  void SetMenu(TMainMenu* menu);
  // Called by the main menu when its items changed.
  void MenuChanged();
  TWinControl* ActiveControl() const { return activeControl_; }
  void SetActiveControl(TWinControl* control);
  bool Active() const { return active_; }

  void Show();
  void Close();
  void Release();
  // Shows the form modally and returns the modal result that closed it.
  TModalResult ShowModal();
  TModalResult ModalResult() const { return modalResult_; }
  void SetModalResult(TModalResult result) { modalResult_ = result; }
  bool Modal() const { return modal_; }
  virtual bool CloseQuery();

  // Runs the form's shortcut: its main menu first, then its action lists. True when handled.
  virtual bool IsShortCut(uint16_t shortcut);
  // The actions of the form's lists run their update handlers.
  void UpdateActions();

  TNotifyEvent OnCreate;
  TNotifyEvent OnDestroy;
  TNotifyEvent OnShow;
  TNotifyEvent OnHide;
  TNotifyEvent OnActivate;
  TNotifyEvent OnDeactivate;
  TCloseQueryEvent OnCloseQuery;
  TCloseEvent OnClose;

  void WndProc(TMessage& message) override;

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void Loaded() override;
  void VisibleChanged() override;
  void Notification(TComponent* component, TOperation operation) override;
  bool HasCaption() const override { return true; }
  virtual void DoCreate();
  virtual void DoClose(TCloseAction& action);
  void PlaceWindow();
  void Activated(bool active);

 private:
  TWinControl* FindButton(bool defaultButton) const;
  void ShowDefaultButton(TWinControl* focused);
  void FocusActiveControl(bool opening = false);
  // Moves the focus to the next (previous) tab stop, round; false when the focus is not in
  // the form or it has none.
  bool SelectNextTabStop(bool backward);
  // Hands the activation of the disabled form to the dialog over it.
  void ActivatePopup();
  TFormBorderStyle borderStyle_ = TFormBorderStyle::bsSizeable;
  unsigned borderIcons_ = biSystemMenu | biMinimize | biMaximize;
  TPosition position_ = TPosition::poDesigned;
  TWindowState windowState_ = TWindowState::wsNormal;
  TFormStyle formStyle_ = TFormStyle::fsNormal;
  HICON icon_ = nullptr;
  TMainMenu* menu_ = nullptr;
  TWinControl* activeControl_ = nullptr;
  TModalResult modalResult_ = mrNone;
  bool modal_ = false;
  bool created_ = false;
  bool active_ = false;
  bool placed_ = false;
};

class TForm : public TCustomForm {
 public:
  static const TClassInfo& Class() {
    static const TClassInfo info{"TForm", &TCustomForm::Class()};
    return info;
  }
  const TClassInfo& ClassType() const override { return Class(); }
  using TCustomForm::TCustomForm;
};

// The window that takes the activation meant for `window`: the window itself while it is enabled,
// else the visible, enabled window it owns that was active last (the dialog open over it, or that
// dialog's own dialog); nullptr when there is none.
HWND ActivationTarget(HWND window);
// The window a dialog about to open goes over, so that it stays above it: the program's active
// window, or the main form when none of the program's windows is in front (hidden in the tray, or
// the hidden application window active after the tray's menu), or the dialog already open on it.
HWND DialogOwner();

using TMessageEvent = TDelegate<MSG&, bool&>;
using TExceptionEvent = TDelegate<TObject*, const std::exception&>;
// A hook on the application window's messages; set `handled` to stop the message there.
using TWindowHook = TDelegate<TMessage&, bool&>;

class TApplication : public TComponent {
 public:
  static const TClassInfo& Class() {
    static const TClassInfo info{"TApplication", &TComponent::Class()};
    return info;
  }
  const TClassInfo& ClassType() const override { return Class(); }

  TApplication();
  ~TApplication() override;
  void BeforeDestruction() override;

  // The hidden application window: owner of the forms and target of broadcasts.
  HWND Handle() const { return handle_; }
  const std::string& Title() const { return title_; }
  void SetTitle(const std::string& title);
  TCustomForm* MainForm() const { return mainForm_; }
  void SetMainForm(TCustomForm* form) { mainForm_ = form; }
  bool ShowMainForm = true;

  // Creates a form owned by the application; the first becomes the main form.
  template <class T, class... A>
  T* CreateForm(A&&... args) {
    T* form = new T(this, std::forward<A>(args)...);
    if (!mainForm_) mainForm_ = form;
    return form;
  }

  void Run();
  void Terminate();
  bool Terminated() const { return terminated_; }
  // Handles every waiting message and returns.
  void ProcessMessages();
  // Waits for one message (idling first when none waits) and handles it.
  void HandleMessage();
  // Idle work: action updates and OnIdle.
  void Idle();

  void Minimize();
  void Restore();
  // Brings the program to the front: the main form, or the dialog open over it.
  void BringToFront();
  void HookMainWindow(const TWindowHook& hook);
  void UnhookMainWindow(const TWindowHook& hook);

  // Shows the exception in flight (call inside a catch block) through OnException or a box.
  void HandleException(TObject* sender);
  void ShowException(const std::exception& error);
  int MessageBox(const std::string& text, const std::string& caption, UINT flags);

  bool ShowHint = true;
  // Hints of items with a shortcut name it: "Open (Ctrl+O)".
  bool HintShortCuts = true;
  // Before a hint shows (ms); between one hint and the next while one shows; until it hides.
  int HintPause = 500;
  int HintShortPause = 50;
  int HintHidePause = 2500;

  // The long hint of the control under the mouse, for a status line; OnHint runs on a change.
  const std::string& Hint() const { return hint_; }
  void SetHint(const std::string& hint);
  TNotifyEvent OnHint;
  // The last word on a hint about to show: may change its text or say no.
  TDelegate<std::string&, bool&, THintInfo&> OnShowHint;
  // Controls hand their mouse moves here (a control tracking the mouse itself passes them
  // on); other mouse messages cancel the hint.
  void HintMouseMessage(TControl* control, TMessage& message);
  // Shows the hint of the control under `cursorPos` (screen) now, as the pause's end does.
  void ActivateHint(POINT cursorPos);
  // Hides the hint and forgets its control; the next mouse move starts over with the pause.
  void CancelHint();
  TControl* HintControl() const { return hintControl_; }
  bool HintShowing() const { return hintShowing_; }
  // The text of the hint on screen (empty when none shows), and its window.
  const std::string& ShownHint() const { return shownHint_; }
  HWND HintWindow() const { return hintWindow_; }

  TMessageEvent OnMessage;
  TNotifyEvent OnIdle;
  TExceptionEvent OnException;
  TNotifyEvent OnMinimize;
  TNotifyEvent OnRestore;

  // Forms report minimise and restore of the main form here.
  void MainFormMinimized();
  void MainFormRestored();

 private:
  friend LRESULT CALLBACK AppWndProc(HWND, UINT, WPARAM, LPARAM);
  bool ProcessMessage(MSG& msg);
  bool IsShortCutMessage(const MSG& msg);
  // Dialog keys and characters go to the form's controls (CM_DIALOGKEY, CM_DIALOGCHAR)
  // before dialog navigation; true when one took it.
  bool IsDialogKeyMessage(MSG& msg);
  bool IsDialogMsg(MSG& msg);
  void Notification(TComponent* component, TOperation operation) override;
  void ActivateHintFor(TControl* control, POINT cursorPos);
  void SetHintControl(TControl* control);
  void StartHintTimer(UINT id, int delayMs);
  void HideHintWindow();
  std::string hint_;
  TControl* hintControl_ = nullptr;
  HWND hintWindow_ = nullptr;
  bool hintShowing_ = false;
  std::string shownHint_;
  // The shown (or refused) hint's cursor rectangle on the screen, while it is valid.
  RECT hintCursorRect_{};
  bool hintRectValid_ = false;
  LRESULT WndProc(UINT msg, WPARAM wparam, LPARAM lparam);
  HWND handle_ = nullptr;
  std::string title_;
  TCustomForm* mainForm_ = nullptr;
  bool terminated_ = false;
  std::vector<TWindowHook> hooks_;
};

// The one application object of the process, created on first use.
TApplication& Application();

class TScreen : public TComponent {
 public:
  TScreen() : TComponent(nullptr) {}
  int FormCount() const { return static_cast<int>(forms_.size()); }
  // Forms in z-order of activation: the active one first.
  TCustomForm* Forms(int index) const { return forms_.at(static_cast<size_t>(index)); }
  TCustomForm* ActiveForm() const;
  int MonitorCount() const;
  RECT WorkAreaRect() const;
  RECT DesktopRect() const;
  int Width() const { return GetSystemMetrics(SM_CXSCREEN); }
  int Height() const { return GetSystemMetrics(SM_CYSCREEN); }
  // The cursor shown everywhere while not null (an hourglass during work).
  HCURSOR Cursor() const { return cursor_; }
  void SetCursor(HCURSOR cursor);

  void AddForm(TCustomForm* form);
  void RemoveForm(TCustomForm* form);
  void FormActivated(TCustomForm* form);

 private:
  std::vector<TCustomForm*> forms_;
  HCURSOR cursor_ = nullptr;
};

TScreen& Screen();

}  // namespace movra::ui
