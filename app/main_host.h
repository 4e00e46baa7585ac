#pragma once
// The program's host of the main window: the real dialogs.
#include "app/main_form.h"

namespace movra::app {

class TDialogHost : public TPalvexHost {
 public:
  int ProfileProps(TProfile& profile) override;
  bool Analysis(TFileRegionList& list) override;
  bool Options(TOptions& options) override;
  int Wizard(const std::vector<std::string>& existingNames,
             std::vector<std::unique_ptr<TProfile>>& created) override;
  void About(const std::string& product, const std::string& edition) override;
};

}  // namespace movra::app
