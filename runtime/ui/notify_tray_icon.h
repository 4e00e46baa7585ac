#pragma once
// The notification-area icon: shown, hidden, animated, restored after a shell restart, with
// the shell's mouse notifications turned into click and button events, a popup menu, and the
// application taken to the tray when it is minimised.
#include <windows.h>
#include <shellapi.h>

#include <memory>
#include <string>

#include "runtime/ui/classes.h"
#include "runtime/ui/controls.h"
#include "runtime/ui/graphics.h"
#include "runtime/ui/simple_timer.h"

namespace movra::ui {

class TPopupMenu;
class TCustomImageList;

// The shell's callback message for every tray icon of the process (WM_USER + 0x400).
inline constexpr UINT TrayCallbackMessage = WM_USER + 0x400;
// The registered "TaskbarCreated" message, or 0 with a comctl32 of version 4.70 or older.
extern const UINT TaskbarCreatedMessage;

using TCycleEvent = TDelegate<TObject*, int>;
using TStartupEvent = TDelegate<TObject*, bool&>;
using TTrayMouseMoveEvent = TDelegate<TObject*, TShiftState, int, int>;

// The shell call the tray icon makes; tests replace it to watch the calls.
using TShellNotifyIconFunc = BOOL (*)(DWORD message, NOTIFYICONDATAW* data);
// Installs `function` (nullptr: the shell's own) and returns the one it replaces.
TShellNotifyIconFunc SetShellNotifyIconFunction(TShellNotifyIconFunc function);

class TNotifyTrayIcon : public TComponent {
 public:
  static const TClassInfo& Class() {
    static const TClassInfo info{"TNotifyTrayIcon", &TComponent::Class()};
    return info;
  }
  const TClassInfo& ClassType() const override { return Class(); }

  explicit TNotifyTrayIcon(TComponent* owner);
  ~TNotifyTrayIcon() override;

  bool DesignPreview = false;
  TCustomImageList* IconList() const { return iconList_; }
  void SetIconList(TCustomImageList* list);
  bool CycleIcons() const { return cycleIcons_; }
  void SetCycleIcons(bool on);
  int CycleInterval() const { return cycleInterval_; }
  void SetCycleInterval(int milliseconds);
  bool Enabled = true;
  const std::string& Hint() const { return hint_; }
  void SetHint(const std::string& hint);
  bool ShowHint() const { return showHint_; }
  void SetShowHint(bool on);
  TIcon& Icon() { return icon_; }
  void SetIcon(const TIcon& icon) { icon_.Assign(icon); }
  bool IconVisible() const { return iconVisible_; }
  void SetIconVisible(bool visible);
  int IconIndex() const { return iconIndex_; }
  void SetIconIndex(int index);
  TPopupMenu* PopupMenu() const { return popupMenu_; }
  void SetPopupMenu(TPopupMenu* menu);
  bool LeftPopup = false;
  bool WantEnterExitEvents() const { return wantEnterExit_; }
  void SetWantEnterExitEvents(bool on);
  bool MinimizeToTray = false;

  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseUp;
  TTrayMouseMoveEvent OnMouseMove;
  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseExit;
  TCycleEvent OnCycle;
  TNotifyEvent OnBalloonHintShow;
  TNotifyEvent OnBalloonHintHide;
  TNotifyEvent OnBalloonHintTimeout;
  TNotifyEvent OnBalloonHintClick;
  TNotifyEvent OnMinimizeToTray;
  TStartupEvent OnStartup;

  void ShowMainWindow();
  void HideMainWindow();

  // The identifier the shell knows this icon by (a small number, not an address).
  UINT Id() const { return id_; }
  // The hidden window that receives the shell's notifications for every icon.
  static HWND HandlerWindow();
  // Handles one shell notification (the lParam of the callback message).
  void HandleNotification(UINT notification);

 protected:
  virtual bool LoadDefaultIcon() { return true; }
  virtual void AddIcon();
  virtual void RemoveIcon();
  virtual void ModifyIcon();
  virtual void Click();
  virtual void DblClick();
  virtual void CycleIcon(int nextIndex);
  virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
  virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
  virtual void MouseMove(TShiftState shift, int x, int y);
  virtual void MouseEnter();
  virtual void MouseExit();
  virtual void DoMinimizeToTray();

  void Loaded() override;
  void Notification(TComponent* component, TOperation operation) override;

 private:
  void RefreshRecord();
  void CallShell(DWORD message);
  void IconChanged(TObject*);
  void CycleTick(TSimpleTimer*);
  void ClickTick(TSimpleTimer*);
  void ExitTick(TSimpleTimer*);
  void PopupAtCursor();
  void ApplicationHook(TMessage& message, bool& handled);
  void OwnerWndProc(TMessage& message);
  void ShowImage(int index);

  UINT id_;
  NOTIFYICONDATAW record_{};
  TCustomImageList* iconList_ = nullptr;
  bool cycleIcons_ = false;
  int cycleInterval_ = 0;
  int cycleIndex_ = 0;
  std::string hint_;
  bool showHint_ = true;
  TIcon icon_;
  bool iconVisible_ = false;
  int iconIndex_ = 0;
  TPopupMenu* popupMenu_ = nullptr;
  bool wantEnterExit_ = false;
  std::unique_ptr<TSimpleTimer> cycleTimer_, clickTimer_, exitTimer_;
  bool clickPending_ = false, clickReleased_ = false, doubleClicked_ = false;
  bool pointerLeft_ = true;
  POINT lastPointerPos_{};
  TWinControl* subclassed_ = nullptr;
  TWndMethod previousWndProc_;
  bool startupCheck_ = true;
  BYTE behaviour_ = 0;
};

}  // namespace movra::ui
