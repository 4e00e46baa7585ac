#pragma once
// The modal dialogs of the main window. Each is created per call, translated on creation,
// shown modally and freed before the call returns.
#include <memory>
#include <string>
#include <vector>

#include "engine/folder_scan.h"
#include "profiles/options.h"
#include "profiles/profile.h"

namespace movra::app {

// The profile properties dialog on `profile`; the modal result (1 = OK, the profile then holds
// the dialog's values; otherwise it is untouched).
int ExecuteProfileProps(TProfile& profile);

// The folder analysis dialog filling `list`; true when closed with the Defragment button
// (the records to defragment have Checked set).
bool ExecuteAnalysis(TFileRegionList& list);

// The options dialog on `options`; true when closed with OK (the record was updated).
bool ExecuteOptions(TOptions& options);

// The wizard: proposes profiles for the mail stores it finds. The modal result; on OK (1)
// `created` receives the checked profiles in list order and the caller owns them.
int ExecuteWizard(const std::vector<std::string>& existingNames,
                  std::vector<std::unique_ptr<TProfile>>& created);

// The About box with the product name and the edition word.
void ExecuteAbout(const std::string& product, const std::string& edition);

}  // namespace movra::app
