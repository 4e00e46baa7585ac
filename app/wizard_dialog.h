#pragma once
// The wizard: proposes ready-made profiles for the mail stores of two mail clients it finds in
// the current user's registry.
#include <memory>
#include <string>
#include <vector>

#include "profiles/profile.h"
#include "runtime/ui/forms.h"
#include "runtime/ui/stdctrls.h"

namespace movra::app {

// The string value `name` of the current user's key `keyPath`, as stored; empty on any
// failure.
std::string ReadUserString(const std::string& keyPath, const std::string& name);
// The names of the subkeys of the current user's key `keyPath`; none when it is missing.
std::vector<std::string> UserSubkeys(const std::string& keyPath);
// `text` with its environment variables expanded.
std::string ExpandEnvironment(const std::string& text);

class TWizardForm : public ui::TForm {
 public:
  static const ui::TClassInfo& Class() {
    static const ui::TClassInfo info{"TWizardForm", &ui::TForm::Class()};
    return info;
  }
  const ui::TClassInfo& ClassType() const override { return Class(); }

  TWizardForm(ui::TComponent* owner, std::vector<std::string> existingNames);

  // Looks for the mail stores and lists a profile for each client found, checked by default.
  void ProposeProfiles();
  // Checks exactly the proposals whose name no existing profile has (in any letter case).
  void ApplyDefaultChecks();
  void SetAllChecked(bool on);
  // The proposal of list item `index`.
  const TProfile& Proposal(int index) const { return *proposals_.at(static_cast<size_t>(index)); }
  // Hands over the checked proposals in list order; the rest are freed.
  std::vector<std::unique_ptr<TProfile>> TakeChecked();

  ui::TGroupBox* gbProfiles;
  ui::TLabel* lblInfo;
  ui::TCheckListBox* clbProfiles;
  ui::TButton* btnCheckAll;
  ui::TButton* btnUncheckAll;
  ui::TButton* btnDefault;
  ui::TButton* btnOK;
  ui::TButton* btnCancel;

 private:
  void AddProposal(std::unique_ptr<TProfile> profile);
  void CheckAllClick(ui::TObject*) { SetAllChecked(true); }
  void UncheckAllClick(ui::TObject*) { SetAllChecked(false); }
  void DefaultClick(ui::TObject*) { ApplyDefaultChecks(); }

  std::vector<std::string> existingNames_;
  std::vector<std::unique_ptr<TProfile>> proposals_;
};

}  // namespace movra::app
