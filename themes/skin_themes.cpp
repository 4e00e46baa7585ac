#include "themes/skin_themes.h"

#include <algorithm>
#include <memory>

#include "runtime/text.h"
#include "runtime/ui/forms.h"
#include "themes/skin_shadows.h"
#include "themes/skin_uxthemes.h"
#include "toolbars/bar_common.h"

namespace movra::skin {
namespace {

constexpr const char* kUnit = "SkinThemes";
constexpr int kLiveInstanceLine = 582;
constexpr int kNoManagerLine = 497;

constexpr int kFillColorProperty = 3802;  // TMT_FILLCOLOR
constexpr int kTextColorProperty = 3803;  // TMT_TEXTCOLOR

struct ThemeRecord {
  std::string name;
  TSkinThemeClass themeClass = nullptr;
  TSkinTheme* instance = nullptr;
  int references = 0;
};

std::vector<ThemeRecord> registry;
TSkinSystemState systemState;
TSkinThemeManager* manager = nullptr;
TSkinNexus* nexus = nullptr;
TSkinTheme* activeTheme = nullptr;
std::vector<TSkinNamedColor> namedColors;
int themesStarts = 0;

int FindTheme(const std::string& name) {
  for (size_t i = 0; i < registry.size(); ++i)
    if (SameTextAscii(registry[i].name, name)) return static_cast<int>(i);
  return -1;
}

// Hands `message` to each listener of `list`, in order; a listener that leaves the list on
// the way (a theme freed, a control destroyed) is not called afterwards.
void DispatchToAll(const std::vector<TSkinListener*>& list, TMessage& message) {
  const std::vector<TSkinListener*> snapshot = list;
  for (TSkinListener* listener : snapshot) {
    if (std::find(list.begin(), list.end(), listener) == list.end()) continue;
    listener->Dispatch(message);
  }
}

}  // namespace

// --- Registry ----------------------------------------------------------------------------------

void AddThemeClass(const std::string& name, TSkinThemeClass themeClass) {
  if (name.empty() || !themeClass) throw movra::Exception("Cannot register theme");
  if (FindTheme(name) >= 0) throw movra::Exception("Theme " + name + " is already registered");
  ThemeRecord record;
  record.name = name.substr(0, 255);
  record.themeClass = themeClass;
  registry.push_back(std::move(record));
}

bool ThemeClassExists(const std::string& name) { return FindTheme(name) >= 0; }

TSkinTheme* ObtainTheme(const std::string& name) {
  const int index = FindTheme(name);
  if (index < 0) throw movra::Exception("Unknown theme " + name);
  if (registry[index].references == 0) {
    if (registry[index].instance) SkinAssertionFailure(kUnit, kLiveInstanceLine);
    const std::string registeredName = registry[index].name;
    std::unique_ptr<TSkinTheme> theme(registry[index].themeClass(registeredName));
    // The theme reads the system state at once, as after a system change.
    TMessage message{SKM_SYSTEMCHANGE, static_cast<WPARAM>(bars::ThreadHasActiveWindow() ? 1 : 0), 0, 0};
    theme->Dispatch(message);
    registry[index].instance = theme.release();
  }
  ++registry[index].references;
  return registry[index].instance;
}

void DropTheme(TSkinTheme*& theme) {
  auto record = std::find_if(registry.begin(), registry.end(),
                             [&](const ThemeRecord& r) { return theme && r.instance == theme; });
  if (record == registry.end()) throw movra::Exception("Cannot release theme");
  if (record->references < 1) throw movra::Exception("Cannot release theme " + record->name);
  if (--record->references == 0) {
    TSkinTheme* instance = record->instance;
    record->instance = nullptr;
    theme = nullptr;
    delete instance;
  }
}

int ThemeReferenceCount(const std::string& name) {
  const int index = FindTheme(name);
  return index < 0 ? 0 : registry[index].references;
}

// --- System state --------------------------------------------------------------------------

const TSkinSystemState& SkinSystem() { return systemState; }

TSkinMenuLook MenuLookFor(bool systemFlatMenus, int flatMenuStyle, TColor toolbarFill, TColor toolbarText) {
  const TColor menu = ui::SystemColor(COLOR_MENU), menuText = ui::SystemColor(COLOR_MENUTEXT);
  if (systemFlatMenus) {
    if (flatMenuStyle == 1) return {false, toolbarFill, toolbarText};
    return {true, menu, menuText};
  }
  if (flatMenuStyle == 2) return {true, ui::clWindow, ui::clWindowText};
  return {false, menu, menuText};
}

// --- Docked toolbar frame ------------------------------------------------------------------

int ToolbarDragHandleSize(const TSkinToolbarNCInfo& info) {
  if (!info.DragAllowed) return 0;
  if (info.CloseButtonState & 1) return 14;
  switch (info.DragHandleStyle) {
    case 0: return 9;
    case 2: return 6;
    default: return 0;
  }
}

RECT ToolbarCloseButtonRect(const TSkinToolbarNCInfo& info, const RECT& window) {
  const int side = ToolbarDragHandleSize(info) - 1;
  RECT r;
  r.top = window.top + info.BorderSize.cy;
  r.bottom = r.top + side;
  if (info.Vertical) {
    r.right = window.right - info.BorderSize.cx;
    r.left = r.right - side;
  } else {
    r.left = window.left + info.BorderSize.cx;
    r.right = r.left + side;
  }
  return r;
}

// --- Manager -------------------------------------------------------------------------------

namespace {
constexpr wchar_t kManagerClass[] = L"MovraSkinThemeManager";
}  // namespace

LRESULT CALLBACK SkinManagerWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<TSkinThemeManager*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!self) return DefWindowProcW(window, message, wParam, lParam);
  try {
    return self->WndProc(message, wParam, lParam);
  } catch (...) {
    // Nothing may leave a window procedure; the application shows what went wrong.
    ui::Application().HandleException(nullptr);
    return DefWindowProcW(window, message, wParam, lParam);
  }
}

TSkinThemeManager::TSkinThemeManager() {
  static const ATOM atom = [] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &SkinManagerWndProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kManagerClass;
    return RegisterClassExW(&wc);
  }();
  (void)atom;
  // A hidden top-level window: system broadcasts reach top-level windows only.
  window_ = CreateWindowExW(WS_EX_TOOLWINDOW, kManagerClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                            GetModuleHandleW(nullptr), nullptr);
  if (window_) SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  ReRead();
}

TSkinThemeManager::~TSkinThemeManager() {
  if (window_) {
    SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    DestroyWindow(window_);
  }
  CloseThemeData();
  UnbindUxTheme();
}

void TSkinThemeManager::SetEnableVisualStyles(bool enable) {
  if (enable == enableVisualStyles_) return;
  enableVisualStyles_ = enable;
  ReRead();
  SystemChanged();
}

void TSkinThemeManager::SetFlatMenuStyle(int style) {
  if (style == flatMenuStyle_) return;
  flatMenuStyle_ = style;
  ReRead();
  SystemChanged();
}

void TSkinThemeManager::Listen(TSkinListener* listener) {
  if (listener) listeners_.push_back(listener);
}

void TSkinThemeManager::Unlisten(TSkinListener* listener) {
  auto it = std::find(listeners_.begin(), listeners_.end(), listener);
  if (it != listeners_.end()) listeners_.erase(it);
}

LRESULT TSkinThemeManager::Broadcast(UINT message, WPARAM wParam, LPARAM lParam) {
  TMessage record{message, wParam, lParam, 0};
  DispatchToAll(listeners_, record);
  return record.Result;
}

void TSkinThemeManager::SystemChanged() {
  if (listeners_.empty()) return;
  for (WPARAM phase : {scpBefore, scpChange, scpAfter}) Broadcast(SKM_SYSTEMCHANGE, phase, 0);
}

void TSkinThemeManager::CloseThemeData() {
  for (HTHEME& data : systemState.ThemeData) {
    if (data && UxTheme().CloseThemeData) UxTheme().CloseThemeData(data);
    data = nullptr;
  }
}

void TSkinThemeManager::ReRead() {
  RecreateSharedObjects();

  systemState.LowColorDisplay = SkinScreenBits() < 12;
  systemState.ButtonFaceIsWhite = SkinSysColor(COLOR_BTNFACE) == RGB(255, 255, 255);
  systemState.PlainSystemColors = systemState.LowColorDisplay || systemState.ButtonFaceIsWhite;

  CloseThemeData();
  UnbindUxTheme();
  systemState.VisualStylesActive = false;
  if (bars::RunningWinXPOrLater() && enableVisualStyles_ && BindUxTheme()) {
    systemState.VisualStylesActive = UxThemeUsable();
    static constexpr const wchar_t* kClasses[tdcCount] = {L"BUTTON", L"SCROLLBAR", L"REBAR",
                                                          L"TOOLBAR", L"WINDOW", L"COMBOBOX",
                                                          L"EXPLORERBAR", L"STATUS", L"SPIN"};
    if (systemState.VisualStylesActive && UxTheme().OpenThemeData) {
      for (int i = 0; i < tdcCount; ++i) systemState.ThemeData[i] = UxTheme().OpenThemeData(window_, kClasses[i]);
    }
  }

  systemState.ToolbarFillColor = ui::clBtnFace;
  systemState.ToolbarTextColor = ui::clBtnText;
  HTHEME toolbar = systemState.ThemeData[tdcToolbar];
  if (systemState.VisualStylesActive && toolbar && UxTheme().GetThemeColor) {
    COLORREF color = 0;
    if (UxTheme().GetThemeColor(toolbar, 0, 0, kFillColorProperty, &color) == S_OK)
      systemState.ToolbarFillColor = static_cast<TColor>(color & 0xFFFFFF);
    if (UxTheme().GetThemeColor(toolbar, 0, 0, kTextColorProperty, &color) == S_OK)
      systemState.ToolbarTextColor = static_cast<TColor>(color & 0xFFFFFF);
  }

  const TSkinMenuLook look = MenuLookFor(bars::FlatMenusOn(), flatMenuStyle_, systemState.ToolbarFillColor,
                                         systemState.ToolbarTextColor);
  systemState.FlatMenusActive = look.FlatMenusActive;
  systemState.MenuBackColor = look.MenuBackColor;
  systemState.MenuTextColor = look.MenuTextColor;
}

LRESULT TSkinThemeManager::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SYSCOLORCHANGE:
    case WM_DISPLAYCHANGE:
    case WM_THEMECHANGED:
      ReRead();
      ClearDitherCache();
      SystemChanged();
      break;
    case WM_ACTIVATEAPP:
      Broadcast(SKM_SYSTEMCHANGE, wParam ? scpAppActivated : scpAppDeactivated, 0);
      break;
    default:
      break;
  }
  return DefWindowProcW(window_, message, wParam, lParam);
}

TSkinThemeManager* ThemeManagerInstance() { return manager; }

void ThemeManagerListen(TSkinListener* listener) {
  if (manager) manager->Listen(listener);
}

void ThemeManagerUnlisten(TSkinListener* listener) {
  if (manager) manager->Unlisten(listener);
}

void SetManagerParam(int id, int value) {
  if (!manager) return;
  if (id == 1) manager->SetFlatMenuStyle(value);
  if (id == 2) manager->SetEnableVisualStyles(value == 0);
}

int GetManagerParam(int id) {
  if (!manager) SkinAssertionFailure(kUnit, kNoManagerLine);
  if (id == 1) return manager->FlatMenuStyle();
  if (id == 2) return manager->EnableVisualStyles() ? 0 : 2;
  return -1;
}

// --- Hub -----------------------------------------------------------------------------------

TSkinNexus::TSkinNexus() {
  activeTheme = ObtainTheme("Default");
  ThemeManagerListen(this);
}

TSkinNexus::~TSkinNexus() {
  ThemeManagerUnlisten(this);
  if (activeTheme) DropTheme(activeTheme);
  activeTheme = nullptr;
  controls_.clear();
}

void TSkinNexus::Listen(TSkinListener* control) {
  if (control && std::find(controls_.begin(), controls_.end(), control) == controls_.end())
    controls_.push_back(control);
}

void TSkinNexus::Unlisten(TSkinListener* control) {
  auto it = std::find(controls_.begin(), controls_.end(), control);
  if (it != controls_.end()) controls_.erase(it);
}

void TSkinNexus::SelectTheme(const std::string& name) {
  if (!ThemeClassExists(name)) return;
  // The new theme first: when it cannot be made, the current one is still there to paint.
  TSkinTheme* fresh = ObtainTheme(name);
  TSkinTheme* old = activeTheme;
  activeTheme = fresh;
  if (old) DropTheme(old);
  Notify(scpBefore, 1);
  Notify(scpChange, 1);
  Notify(scpAfter, 1);
  const int shadows = fresh->GetShadowKind();
  if (shadows == 2 || shadows == 3) MakeShadowsAhead(systemState.LowColorDisplay);
}

void TSkinNexus::Dispatch(TMessage& message) {
  if (message.Msg == SKM_SYSTEMCHANGE) Notify(message.WParam, 0);
}

void TSkinNexus::Notify(WPARAM phase, LPARAM switched) {
  TMessage record{SKM_THEMECHANGE, phase, switched, 0};
  DispatchToAll(controls_, record);
}

TSkinTheme* ActiveTheme() { return activeTheme; }
TSkinNexus* NexusInstance() { return nexus; }

void NexusListen(TSkinListener* control) {
  if (nexus) nexus->Listen(control);
}

void NexusUnlisten(TSkinListener* control) {
  if (nexus) nexus->Unlisten(control);
}

void SelectTheme(const std::string& name) {
  if (nexus) nexus->SelectTheme(name);
}

std::string CurrentThemeName() { return activeTheme ? activeTheme->Name() : std::string(); }

void AddNamedColor(TColor* variable, const std::string& name) { namedColors.push_back({variable, name}); }

const std::vector<TSkinNamedColor>& NamedColors() { return namedColors; }

// --- Queries -------------------------------------------------------------------------------

int QueryViewKind(ui::TControl* control) {
  if (!control) return 0;
  TMessage message{SKM_GETVIEWKIND, 0, 0, 0};
  control->WindowProc(message);
  return static_cast<int>(message.Result);
}

int QueryViewKind(TSkinListener* component) {
  if (!component) return 0;
  TMessage message{SKM_GETVIEWKIND, 0, 0, 0};
  component->Dispatch(message);
  return static_cast<int>(message.Result);
}

TColor QueryEffectiveColor(ui::TControl* control) {
  if (!control) return ui::clBtnFace;
  TMessage message{SKM_GETEFFECTIVECOLOR, 0, 0, 0};
  control->WindowProc(message);
  if (message.Result) return static_cast<TColor>(message.WParam);
  return control->Color();
}

// --- Start-up ------------------------------------------------------------------------------

void SkinThemesStart() {
  if (themesStarts++ > 0) return;
  SkinUtilsStart();
  systemState.HotLightColor = GetSysColorBrush(COLOR_HOTLIGHT) ? ui::clHotLight : ui::clHighlight;
  registry.clear();
  manager = new TSkinThemeManager();
}

void SkinThemesEnd() {
  if (themesStarts <= 0 || --themesStarts > 0) return;
  delete manager;
  manager = nullptr;
  // Themes still acquired belong to whoever holds them.
  registry.clear();
  FreeKeptShadows();
  SkinUtilsEnd();
}

void SkinNexusStart() {
  if (nexus) return;
  nexus = new TSkinNexus();
  AddNamedColor(&systemState.HotLightColor, "clHotLight");
}

void SkinNexusEnd() {
  delete nexus;
  nexus = nullptr;
  namedColors.clear();
}

}  // namespace movra::skin
