#include "app/main_host.h"

#include "app/dialogs.h"

namespace movra::app {

int TDialogHost::ProfileProps(TProfile& profile) { return ExecuteProfileProps(profile); }

bool TDialogHost::Analysis(TFileRegionList& list) { return ExecuteAnalysis(list); }

bool TDialogHost::Options(TOptions& options) { return ExecuteOptions(options); }

int TDialogHost::Wizard(const std::vector<std::string>& existingNames,
                        std::vector<std::unique_ptr<TProfile>>& created) {
  return ExecuteWizard(existingNames, created);
}

void TDialogHost::About(const std::string& product, const std::string& edition) {
  ExecuteAbout(product, edition);
}

}  // namespace movra::app
