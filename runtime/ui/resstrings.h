#pragma once
// Resource strings: texts kept in the program's string table and loaded through three
// replaceable loaders, so that the translation layer can put every such load into the current
// language (it sets the loaders at start-up and resets them at shut-down).
#include <windows.h>

#include <string>
#include <vector>

#include "runtime/ui/ui_string_ids.h"

namespace movra::ui {

// One resource string: the module whose string table holds it (nullptr: the program) and its
// identifier; `Fallback` is the English text used when the string table lacks the entry.
struct TResStringRec {
  HMODULE Module;
  unsigned Identifier;
  const char* Fallback;
};

using TResStringLoader = std::string (*)(const TResStringRec* rec);
using TStringResourceLoader = std::string (*)(unsigned identifier);
using TFormattedStringResourceLoader = std::string (*)(unsigned identifier, const std::vector<std::string>& args);

struct TResStringLoaders {
  TResStringLoader ByRecord = nullptr;
  TStringResourceLoader ByIdentifier = nullptr;
  TFormattedStringResourceLoader Formatted = nullptr;
};

// Routes every load through `loaders` (a null member keeps the platform's loader for it).
void SetResStringLoaders(const TResStringLoaders& loaders);
// Back to the platform's loaders.
void ResetResStringLoaders();

// The loads every user of resource strings calls.
std::string LoadResString(const TResStringRec& rec);
std::string LoadStr(unsigned identifier);
std::string FmtLoadStr(unsigned identifier, const std::vector<std::string>& args);

// The platform's loaders, untranslated, for the replacements to build on.
// A string of any length, whole; empty when the module has no such string.
std::wstring LoadStringResource(HMODULE module, unsigned identifier);
std::string PlatformLoadResString(const TResStringRec* rec);
// Searches the program's resource modules in order for the first non-empty string.
std::string PlatformLoadStr(unsigned identifier);
std::string PlatformFmtLoadStr(unsigned identifier, const std::vector<std::string>& args);

// The layer's own resource strings.
namespace res {
inline constexpr TResStringRec KeyBkSp{nullptr, IDS_UI_KEY_BKSP, "BkSp"};
inline constexpr TResStringRec KeyTab{nullptr, IDS_UI_KEY_TAB, "Tab"};
inline constexpr TResStringRec KeyEsc{nullptr, IDS_UI_KEY_ESC, "Esc"};
inline constexpr TResStringRec KeyEnter{nullptr, IDS_UI_KEY_ENTER, "Enter"};
inline constexpr TResStringRec KeySpace{nullptr, IDS_UI_KEY_SPACE, "Space"};
inline constexpr TResStringRec KeyPgUp{nullptr, IDS_UI_KEY_PGUP, "PgUp"};
inline constexpr TResStringRec KeyPgDn{nullptr, IDS_UI_KEY_PGDN, "PgDn"};
inline constexpr TResStringRec KeyEnd{nullptr, IDS_UI_KEY_END, "End"};
inline constexpr TResStringRec KeyHome{nullptr, IDS_UI_KEY_HOME, "Home"};
inline constexpr TResStringRec KeyLeft{nullptr, IDS_UI_KEY_LEFT, "Left"};
inline constexpr TResStringRec KeyUp{nullptr, IDS_UI_KEY_UP, "Up"};
inline constexpr TResStringRec KeyRight{nullptr, IDS_UI_KEY_RIGHT, "Right"};
inline constexpr TResStringRec KeyDown{nullptr, IDS_UI_KEY_DOWN, "Down"};
inline constexpr TResStringRec KeyIns{nullptr, IDS_UI_KEY_INS, "Ins"};
inline constexpr TResStringRec KeyDel{nullptr, IDS_UI_KEY_DEL, "Del"};
inline constexpr TResStringRec KeyShift{nullptr, IDS_UI_KEY_SHIFT, "Shift+"};
inline constexpr TResStringRec KeyCtrl{nullptr, IDS_UI_KEY_CTRL, "Ctrl+"};
inline constexpr TResStringRec KeyAlt{nullptr, IDS_UI_KEY_ALT, "Alt+"};
inline constexpr TResStringRec MsgOk{nullptr, IDS_UI_MSG_OK, "OK"};
inline constexpr TResStringRec MsgCancel{nullptr, IDS_UI_MSG_CANCEL, "Cancel"};
inline constexpr TResStringRec ErrModal{nullptr, IDS_UI_ERR_MODAL, "Cannot make a visible window modal"};
inline constexpr TResStringRec ErrFocus{nullptr, IDS_UI_ERR_FOCUS, "Cannot focus a disabled or invisible window"};
inline constexpr TResStringRec DlgWarning{nullptr, IDS_UI_DLG_WARNING, "Warning"};
inline constexpr TResStringRec DlgError{nullptr, IDS_UI_DLG_ERROR, "Error"};
inline constexpr TResStringRec DlgInformation{nullptr, IDS_UI_DLG_INFORMATION, "Information"};
inline constexpr TResStringRec DlgConfirm{nullptr, IDS_UI_DLG_CONFIRM, "Confirm"};
inline constexpr TResStringRec ErrOwnParent{nullptr, IDS_UI_ERR_OWN_PARENT, "Can't insert own parent"};
inline constexpr TResStringRec ErrNoParentWindow{nullptr, IDS_UI_ERR_NO_PARENT_WINDOW, "Control '%s' has no parent window"};
// The toolbar framework's texts; a framework unit adds its own next to these (identifier in
// ui_string_ids.h, English text in ui_strings.rc and here as the fallback).
inline constexpr TResStringRec BarItemIndex{nullptr, IDS_BAR_ITEM_INDEX, "Toolbar item index out of range"};
inline constexpr TResStringRec BarItemInserted{nullptr, IDS_BAR_ITEM_INSERTED, "Toolbar item already inserted"};
inline constexpr TResStringRec BarMoreButtons{nullptr, IDS_BAR_MORE_BUTTONS, "More Buttons|"};
inline constexpr TResStringRec BarDockParent{nullptr, IDS_BAR_DOCK_PARENT,
                                             "A TBarDock control cannot be placed inside a tool window or another TBarDock"};
inline constexpr TResStringRec BarDockPosition{nullptr, IDS_BAR_DOCK_POSITION,
                                               "Cannot change Position of a TBarDock if it already contains controls"};
inline constexpr TResStringRec BarViewerNotFound{nullptr, IDS_BAR_VIEWER_NOT_FOUND,
                                                 "An item viewer associated the specified item could not be found"};
}  // namespace res

}  // namespace movra::ui
