#pragma once
// The common dialogs a window asks the user through: opening files, choosing a folder, and
// message boxes.
#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

#include "runtime/ui/classes.h"
#include "runtime/ui/controls.h"

namespace movra::ui {

enum TOpenOption : unsigned {
  ofReadOnly = 1,
  ofHideReadOnly = 2,
  ofAllowMultiSelect = 4,
  ofPathMustExist = 8,
  ofFileMustExist = 16,
  ofShareAware = 32,
  ofEnableSizing = 64,
  ofDontAddToRecent = 128,
  ofForceShowHidden = 256,
  ofNoChangeDir = 512,
};
using TOpenOptions = unsigned;

// The file-open dialog of the system. Filter is "Text|*.txt|All|*.*".
class TOpenDialog : public TComponent {
 public:
  static const TClassInfo& Class() {
    static const TClassInfo info{"TOpenDialog", &TComponent::Class()};
    return info;
  }
  const TClassInfo& ClassType() const override { return Class(); }

  explicit TOpenDialog(TComponent* owner) : TComponent(owner) {}
  TOpenOptions Options = ofHideReadOnly | ofEnableSizing;
  std::string Title;
  std::string Filter;
  std::string InitialDir;
  std::string DefaultExt;
  // The chosen file (the first one when several are chosen).
  std::string FileName;
  // Every chosen file with its full path, in the dialog's order.
  TStringList& Files() { return files_; }
  // Shows the dialog; false when the user cancelled.
  bool Execute();
  void GetProperties(TPropertyList& properties) override;

 private:
  TStringList files_;
};

// The full paths in a file-open dialog's answer: one full path, or a folder followed by names,
// each ended by a zero, the list ended by another.
std::vector<std::string> SplitOpenFileNames(std::wstring_view answer);
// The dialog's filter: each "|" becomes a zero, and the text ends with two.
std::wstring OpenDialogFilter(const std::string& filter);

// The system's folder browser titled `caption`; true with the chosen folder (no trailing
// backslash) in `directory`.
bool SelectDirectory(const std::string& caption, std::string& directory);

enum class TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum TMsgDlgButton : unsigned { mbYes = 1, mbNo = 2, mbOK = 4, mbCancel = 8, mbAbort = 16, mbRetry = 32, mbIgnore = 64 };
using TMsgDlgButtons = unsigned;
inline constexpr TMsgDlgButtons mbYesNo = mbYes | mbNo;
inline constexpr TMsgDlgButtons mbYesNoCancel = mbYes | mbNo | mbCancel;
inline constexpr TMsgDlgButtons mbOKCancel = mbOK | mbCancel;

// A message box over the active window, titled after its type (the application's title for
// mtCustom); returns the modal result of the button pressed.
TModalResult MessageDlg(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons);
// The title a message box of `type` gets.
std::string MessageDlgCaption(TMsgDlgType type);
void ShowMessage(const std::string& text);

}  // namespace movra::ui
