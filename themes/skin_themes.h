#pragma once
// The theme interface every themed control measures and paints through; the registry of theme
// classes; the manager that watches system colour, display, visual-style and activation
// changes and tells its listeners in phases; and the hub that holds the current theme and
// tells every themed control when it changes.
//
// Nothing here is sent through a window's queue: notices are message records handed to the
// listeners' Dispatch, synchronously, on the user-interface thread.
#include <windows.h>
#include <uxtheme.h>

#include <array>
#include <string>
#include <vector>

#include "runtime/ui/controls.h"
#include "runtime/ui/graphics.h"
#include "themes/skin_utils.h"

namespace movra::skin {

using ui::TMessage;

// --- Messages and view kinds ----------------------------------------------------------------
inline constexpr UINT SKM_GETVIEWKIND = 0x4ED;
inline constexpr UINT SKM_GETEFFECTIVECOLOR = 0x4EE;
inline constexpr UINT SKM_SYSTEMCHANGE = 0x538;
inline constexpr UINT SKM_THEMECHANGE = 0x53A;

// WParam of SKM_SYSTEMCHANGE and SKM_THEMECHANGE.
enum TSkinChangePhase : int {
  scpBefore = 1,
  scpChange = 2,
  scpAfter = 3,
  scpAppActivated = 4,
  scpAppDeactivated = 5,
};

inline constexpr int vkToolbarFamily = 0x1000;
inline constexpr int vkToolbar = 0x1001;
inline constexpr int vkMenuBar = 0x1002;
inline constexpr int vkPopupFamily = 0x2000;
inline constexpr int vkPopupMenu = 0x2001;
inline constexpr int vkListPopup = 0x2002;
inline constexpr int vkToolboxPopup = 0x2004;
inline constexpr int vkChevronPopup = 0x2008;
inline constexpr int vkDockablePanel = 0x4001;
inline constexpr int vkStatusBar = 0x10000;
inline constexpr int vkFloating = 0x800;
inline constexpr int vkResizable = 0x400;
inline constexpr int vkTransparentItems = 0x200;

constexpr bool IsPopupView(int kind) { return (kind & 0x2000) != 0; }
constexpr bool IsListPopupView(int kind) { return (kind & 0x2002) == 0x2002; }
constexpr bool IsToolboxPopupView(int kind) { return (kind & 0x2004) == 0x2004; }
constexpr bool IsPopupMenuView(int kind) { return (kind & 0x2001) == 0x2001; }

// --- Records the theme operations receive (zero-filled before use) ------------------------

// Options of TItemDrawState.
enum TItemDrawOption : uint32_t {
  idoToolbarStyle = 0x01,
  idoSubmenu = 0x04,
  idoSplit = 0x08,
  idoDesigning = 0x10,
  idoAppActive = 0x20,
};

// What an item viewer tells the theme about the item it paints.
struct TItemDrawState {
  int32_t ViewKind;
  uint32_t Options;
  uint8_t Enabled;
  uint8_t Pushed;
  uint8_t Hover;  // 0 none, 1 hot but disabled, 2 hot
  uint8_t Checked;
  uint8_t ImageShown;
  int32_t ImageWidth;
  int32_t ImageHeight;
  uint8_t Vertical;
  uint8_t Part;  // 0 whole item, 1 with an arrow, 2 button of a split item, 3 its drop-down
  uint8_t PopupOpen;
  int32_t ImageColumnWidth;
};

// Margins of the theme, in the order left, right, top, bottom.
struct TSkinMargins {
  int Left;
  int Right;
  int Top;
  int Bottom;
};

enum TSkinMarginKind : int { smkToolbarItem = 1, smkMenuItem = 2, smkStatusPanel = 3 };

struct TSkinEditButtonInfo {
  int Kind;   // 1 drop-down, 2 spin
  int State;  // 1 disabled, 2 hot, 4 pressed (spin: 4 up half, 8 down half pressed)
};

struct TSkinEditBoxInfo {
  int LeftWidth;
  int RightButtonWidth;
  TSkinEditButtonInfo Button;
};

struct TSkinCaptionButtonInfo {
  uint8_t Pushed;
  uint8_t Hover;
};

struct TSkinToolbarNCInfo {
  HWND Window;
  int32_t ViewKind;
  uint8_t Vertical;
  uint8_t DragAllowed;
  uint8_t BorderStyle;
  SIZE BorderSize;
  int32_t ClientWidth;
  int32_t ClientHeight;
  int32_t DragHandleStyle;
  int32_t CloseButtonState;  // 0 none, 1 shown, 3 hot, 5 pressed
  TColor EffectiveColor;
};

// The docked toolbar's drag handle depth: 14 when the close button is shown, else 9, 0 or 6 for
// the double, none and single styles; 0 when the dock does not let it be dragged.
int ToolbarDragHandleSize(const TSkinToolbarNCInfo& info);
// The close button: a square with sides of the handle depth less 1, inside the border at the
// top-left corner of `window` (horizontal docks) or at its top-right corner (vertical docks).
RECT ToolbarCloseButtonRect(const TSkinToolbarNCInfo& info, const RECT& window);

struct TSkinFloatingFrameInfo {
  HWND FloatingWindow;
  HWND DockedWindow;
  int32_t ViewKind;
  int32_t ClientWidth;
  int32_t ClientHeight;
  uint8_t CaptionShown;
  SIZE BorderSize;
  int32_t CloseButtonState;  // 1 shown, 3 hot, 5 pressed
  int32_t RedrawParts;
  std::string Caption;
  TColor BackgroundColor;
  bool Active;
};

struct TSkinPopupBorderInfo {
  HWND Window;
  int32_t ViewKind;
  RECT OpeningItem;  // relative to the popup window; empty when none
};

// What a dockable panel tells the theme about its frame.
struct TSkinPanelNCInfo {
  HWND Window;
  int32_t ViewKind;
  uint8_t VerticalCaption;  // the caption runs rotated along the left side
  uint8_t DragAllowed;      // the dock lets it be dragged
  uint8_t BorderStyle;
  SIZE BorderSize;  // from the theme's GetViewBorderSize
  int32_t ClientWidth;
  int32_t ClientHeight;
  uint8_t CaptionShown;
  TColor Color;
  int32_t CloseButtonState;  // bits: 1 shown, 2 hot, 4 pressed
  std::string Caption;
};

// --- Listeners ------------------------------------------------------------------------------

// Anything that hears the manager's or the hub's notices.
class TSkinListener {
 public:
  virtual ~TSkinListener() = default;
  virtual void Dispatch(TMessage& message) = 0;
};

// --- The theme interface --------------------------------------------------------------------

// The operations keep one fixed order, the order every theme lists them in. The theme's
// constructor is the first of them: the registry makes themes through their TSkinThemeClass,
// which stands for a virtual constructor, and 33 abstract operations follow.
class TSkinTheme : public ui::TObject, public TSkinListener {
 public:
  explicit TSkinTheme(const std::string& name) : name_(name) {}
  ~TSkinTheme() override = default;
  const std::string& Name() const { return name_; }

  virtual void GetGlyphShift(ui::TCanvas& canvas, const TItemDrawState& state, POINT& offset) = 0;
  virtual TColor GetItemBackColor(const TItemDrawState& state) = 0;
  virtual TColor GetItemCaptionColor(const TItemDrawState& state) = 0;
  virtual TColor GetGlyphBackColor(const TItemDrawState& state) = 0;
  virtual void GetItemMargins(int kind, TSkinMargins& margins) = 0;
  // 1 system drop shadow, 2 shadow windows with the opening item cut out, 3 shadow windows on
  // Windows NT 5 or later only.
  virtual int GetShadowKind() = 0;
  virtual void GetViewBorderSize(int viewKind, SIZE& size) = 0;
  virtual TColor GetViewBackColor(int viewKind) = 0;
  virtual void GetViewPadding(int viewKind, TSkinMargins& margins) = 0;
  virtual void DrawViewBackground(ui::TCanvas& canvas, const RECT& reference, const RECT& paint, const RECT& clip,
                                  TColor backColor, bool paintedUnderneath, int viewKind) = 0;
  virtual void DrawButtonFace(ui::TCanvas& canvas, const RECT& rect, const TItemDrawState& state) = 0;
  virtual void DrawItemCaption(ui::TCanvas& canvas, const RECT& rect, const TItemDrawState& state,
                               const std::string& caption, UINT format, bool rotated) = 0;
  virtual void DrawCheckGlyph(ui::TCanvas& canvas, const RECT& rect, const TItemDrawState& state) = 0;
  virtual void DrawChevronGlyph(ui::TCanvas& canvas, const RECT& rect, const TItemDrawState& state) = 0;
  virtual void DrawEditBox(ui::TCanvas& canvas, const RECT& rect, const TItemDrawState& state,
                           const TSkinEditBoxInfo& info) = 0;
  virtual void DrawEditBoxButton(ui::TCanvas& canvas, const RECT& rect, const TItemDrawState& state,
                                 const TSkinEditButtonInfo& info) = 0;
  // Dock kind 1 top, 2 bottom, 3 left, 4 right.
  virtual void DrawDockBackground(ui::TCanvas& canvas, const RECT& client, const RECT& clip, int dockKind) = 0;
  virtual void DrawPanelNonClient(ui::TCanvas& canvas, const RECT& rect, const TSkinPanelNCInfo& info) = 0;
  virtual void DrawDropArrow(ui::TCanvas& canvas, const RECT& rect, const TItemDrawState& state) = 0;
  virtual void DrawFloatingFrame(ui::TCanvas& canvas, const RECT& rect, const TSkinFloatingFrameInfo& info) = 0;
  virtual void DrawFieldFrame(ui::TCanvas& canvas, const RECT& rect, const TItemDrawState& state) = 0;
  virtual void DrawGlyph(ui::TCanvas& canvas, const RECT& rect, const TItemDrawState& state,
                         ui::TCustomImageList* images, int index) = 0;
  // Kind 0 close, 1 minimise, 2 maximise, 3 restore.
  virtual void DrawCaptionButton(ui::TCanvas& canvas, const RECT& rect, const TSkinCaptionButtonInfo& info,
                                 int kind) = 0;
  virtual void DrawMenuItemFace(ui::TCanvas& canvas, const RECT& rect, const TItemDrawState& state) = 0;
  virtual void DrawSelectionFill(ui::TCanvas& canvas, const RECT& rect, const TItemDrawState& state) = 0;
  // Direction 1 up, 2 down, 3 left, 4 right.
  virtual void DrawScrollerButton(ui::TCanvas& canvas, const RECT& rect, int direction, bool active) = 0;
  virtual void DrawPopupBorder(ui::TCanvas& canvas, const RECT& rect, const TSkinPopupBorderInfo& info) = 0;
  virtual void DrawSeparatorLine(ui::TCanvas& canvas, const RECT& rect, const TItemDrawState& state,
                                 bool horizontal, bool lineBreak) = 0;
  virtual void DrawToolbarNonClient(ui::TCanvas& canvas, const RECT& rect, const TSkinToolbarNCInfo& info) = 0;
  virtual void DrawCheckControl(ui::TCanvas& canvas, const RECT& rect, int kind, int state) = 0;
  // Part 0 background, 1 and 2 panel frames, 3 size grip.
  virtual void DrawStatusBarPart(ui::TCanvas& canvas, const RECT& rect, int part) = 0;
  // −1 when the theme has no value.
  virtual int GetMetric(int id) = 0;
  // False for identifiers the theme does not know.
  virtual bool GetFlag(int id) = 0;

  // Themes that follow system changes (they listen to the manager) override this; they act on
  // phase 2 of SKM_SYSTEMCHANGE.
  void Dispatch(TMessage&) override {}

 private:
  std::string name_;
};

// Metric and flag identifiers the themed controls ask for.
enum TSkinMetric : int {
  smSplitDropDownWidth = 10,
  smArrowWidth = 20,
  smCaptionArrowGap = 21,
  smMenuItemGap1 = 32,
  smMenuItemGap2 = 33,
  smMenuItemGap3 = 34,
  smMenuSeparatorSize = 35,
  smToolbarSeparatorSize = 50,
  smEditBoxInset = 60,
};
enum TSkinFlag : int {
  sfPopupTouchesItem = 1,
  sfPaintsDockBackground = 5,
  sfToolbarNonClientOnSolidBrush = 6,
  sfToolbarHidesDockBackground = 7,
};

// A theme class: makes a theme of the given registered name.
using TSkinThemeClass = TSkinTheme* (*)(const std::string& name);
template <class T>
TSkinTheme* MakeSkinTheme(const std::string& name) {
  return new T(name);
}

// --- Registry -------------------------------------------------------------------------------

// Raises "Cannot register theme" for an empty name or no class, "Theme <name> is already
// registered" for a name present in any case.
void AddThemeClass(const std::string& name, TSkinThemeClass themeClass);
bool ThemeClassExists(const std::string& name);
// The live theme of that name (made on its first acquisition); raises "Unknown theme <name>".
TSkinTheme* ObtainTheme(const std::string& name);
// Gives one acquisition back; at the last the theme is freed and `theme` becomes nullptr.
void DropTheme(TSkinTheme*& theme);
// The acquisitions not yet given back of the theme registered as `name` (0 when unknown).
int ThemeReferenceCount(const std::string& name);

// --- System state the themes draw from (re-read by the manager) ---------------------------

enum TSkinThemeDataClass : int {
  tdcButton,
  tdcScrollBar,
  tdcRebar,
  tdcToolbar,
  tdcWindow,
  tdcComboBox,
  tdcExplorerBar,
  tdcStatus,
  tdcSpin,
  tdcCount
};

struct TSkinMenuLook {
  bool FlatMenusActive;
  TColor MenuBackColor;
  TColor MenuTextColor;
};

struct TSkinSystemState {
  bool LowColorDisplay = false;
  bool ButtonFaceIsWhite = false;
  bool PlainSystemColors = false;
  bool VisualStylesActive = false;
  std::array<HTHEME, tdcCount> ThemeData{};
  TColor ToolbarFillColor = ui::clBtnFace;
  TColor ToolbarTextColor = ui::clBtnText;
  bool FlatMenusActive = false;
  TColor MenuBackColor = ui::SystemColor(COLOR_MENU);
  TColor MenuTextColor = ui::SystemColor(COLOR_MENUTEXT);
  TColor HotLightColor = ui::clHighlight;
};
const TSkinSystemState& SkinSystem();

// The menu look for the system's flat-menu setting and the manager's flat-menu style (0 auto,
// 1 disable, 2 enable).
TSkinMenuLook MenuLookFor(bool systemFlatMenus, int flatMenuStyle, TColor toolbarFill, TColor toolbarText);

// --- Manager --------------------------------------------------------------------------------

class TSkinThemeManager : public ui::TObject {
 public:
  TSkinThemeManager();
  ~TSkinThemeManager() override;

  bool EnableVisualStyles() const { return enableVisualStyles_; }
  void SetEnableVisualStyles(bool enable);
  int FlatMenuStyle() const { return flatMenuStyle_; }
  void SetFlatMenuStyle(int style);
  HWND Handle() const { return window_; }

  void Listen(TSkinListener* listener);
  void Unlisten(TSkinListener* listener);
  // Hands one record to every listener in list order; the record's Result afterwards.
  LRESULT Broadcast(UINT message, WPARAM wParam, LPARAM lParam);
  // Re-reads the system state the themes draw from.
  void ReRead();

 private:
  friend LRESULT CALLBACK SkinManagerWndProc(HWND, UINT, WPARAM, LPARAM);
  void SystemChanged();
  LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam);
  void CloseThemeData();

  bool enableVisualStyles_ = true;
  int flatMenuStyle_ = 0;
  std::vector<TSkinListener*> listeners_;  // duplicates allowed
  HWND window_ = nullptr;
};

TSkinThemeManager* ThemeManagerInstance();
void ThemeManagerListen(TSkinListener* listener);
void ThemeManagerUnlisten(TSkinListener* listener);
// Id 1: the flat-menu style. Id 2: the visual-style switch (0 enabled, anything else disabled;
// read back as 0 or 2). Other ids read −1.
void SetManagerParam(int id, int value);
int GetManagerParam(int id);

// --- Hub of the themed controls -------------------------------------------------------------

class TSkinNexus : public ui::TObject, public TSkinListener {
 public:
  TSkinNexus();
  ~TSkinNexus() override;

  void Listen(TSkinListener* control);
  void Unlisten(TSkinListener* control);
  // Switches the current theme; an unregistered name does nothing. When the new theme cannot
  // be made, the current one stays and the error goes to the caller.
  void SelectTheme(const std::string& name);
  void Dispatch(TMessage& message) override;

 private:
  void Notify(WPARAM phase, LPARAM switched);
  std::vector<TSkinListener*> controls_;
};

// The theme every themed control paints with (nullptr before the hub starts).
TSkinTheme* ActiveTheme();
TSkinNexus* NexusInstance();
void NexusListen(TSkinListener* control);
void NexusUnlisten(TSkinListener* control);
void SelectTheme(const std::string& name);
std::string CurrentThemeName();

struct TSkinNamedColor {
  TColor* Variable;
  std::string Name;
};
// Extra named colours; the hub registers the hot-light colour as "clHotLight".
void AddNamedColor(TColor* variable, const std::string& name);
const std::vector<TSkinNamedColor>& NamedColors();

// What a control answers to SKM_GETVIEWKIND (0 for none or no answer).
int QueryViewKind(ui::TControl* control);
int QueryViewKind(TSkinListener* component);
// The colour a control's children blend with: its answer to SKM_GETEFFECTIVECOLOR, else its own
// colour; clBtnFace for no control.
TColor QueryEffectiveColor(ui::TControl* control);

// --- Start-up -------------------------------------------------------------------------------
// The libraries are static, so nothing registers itself: the program starts these in order
// and ends them in reverse. The hub needs the theme "Default" registered.
void SkinThemesStart();  // hot-light colour, empty registry, the manager
void SkinThemesEnd();
void SkinNexusStart();  // the hub with "Default" current, "clHotLight" named
void SkinNexusEnd();

}  // namespace movra::skin
