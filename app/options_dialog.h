#pragma once
// The options dialog: edits the settings record. On OK it stores the two switches that live in
// the registry at once and shows them as the registry then holds them, so that the user learns
// when they could not be stored (writing HKEY_LOCAL_MACHINE needs rights).
#include <functional>
#include <string>
#include <vector>

#include "app/window_building.h"
#include "profiles/options.h"
#include "runtime/ui/comctrls.h"
#include "runtime/ui/forms.h"
#include "runtime/ui/stdctrls.h"

namespace movra::app {

// A push button; one with a modal result closes its dialog with it.

// Stores the registry switches (Startup, ContextMenu) of `options`, then puts into them what
// the registry holds afterwards.
using TSwitchStore = std::function<void(TOptions& options)>;
// The store of the running program: writes the registry values and reads them back.
void StoreRegistrySwitches(TOptions& options);

class TformOptions : public ui::TForm {
 public:
  static const ui::TClassInfo& Class() {
    static const ui::TClassInfo info{"TformOptions", &ui::TForm::Class()};
    return info;
  }
  const ui::TClassInfo& ClassType() const override { return Class(); }

  TformOptions(ui::TComponent* owner, TSwitchStore store);

  // Sets every control from its field and shows the General tab.
  void LoadFrom(const TOptions& options);
  // Copies every control into its field, in the order of WriteBackSteps().
  void WriteBack(TOptions& options) const;

  // One field copied back from its control.
  struct TWriteBackStep {
    const char* Field;
    void (*Apply)(const TformOptions& form, TOptions& options);
  };
  static const std::vector<TWriteBackStep>& WriteBackSteps();

  bool CloseQuery() override;

  ui::TPageControl* PageControl1;
  ui::TTabSheet* tsGeneral;
  ui::TCheckBox* cbMinimizeOnStart;
  ui::TCheckBox* cbStartup;
  ui::TCheckBox* cbMinimizeOnClose;
  ui::TCheckBox* cbContextMenu;
  ui::TCheckBox* cbAnimateIcon;
  ui::TCheckBox* cbShowScheduler;
  ui::TTabSheet* tsConfirmations;
  ui::TCheckBox* cbConfirmExit;
  ui::TTabSheet* tsLog;
  ui::TLabel* lblLogLevel;
  ui::TComboBox* cbLogLevel;
  ui::TLabel* lblMaxLog;
  ui::TSpinEdit* seMaxLog;
  ui::TTabSheet* tsReserved;
  ui::TButton* btnOK;
  ui::TButton* btnCancel;

 private:
  // What the line-count control showed when the window opened.
  int shownMaxLines_ = 0;
  // Stores the registry switches as checked; false (after telling the user and showing what
  // the registry holds) when the registry did not take them.
  bool StoreSwitches();

  TSwitchStore store_;
};

// The text telling which switches (their check box captions) the registry did not take.
std::string SwitchesNotStoredText(const std::vector<std::string>& captions);

// ExecuteOptions with another switch store.
bool ExecuteOptions(TOptions& options, const TSwitchStore& store);

}  // namespace movra::app
