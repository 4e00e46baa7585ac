#pragma once
// The profile properties window: a profile's name, run method, files and folders (each with its
// size and fragment count) and weekly schedule. The profile changes only on OK.
#include <windows.h>
#include <shellapi.h>

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "app/window_building.h"
#include "profiles/profile.h"
#include "runtime/ui/actions.h"
#include "runtime/ui/comctrls.h"
#include "runtime/ui/dialogs.h"
#include "runtime/ui/forms.h"
#include "runtime/ui/menus.h"
#include "runtime/ui/stdctrls.h"

namespace movra::app {

// What one row of the file list shows; -1 is unknown.
struct TFileInfo {
  std::string Path;
  int64_t Size = -1;
  int64_t Fragments = -1;
};

struct TNumberSeparators {
  std::string Thousands = ",";
  std::string Decimal = ".";
};
// The user's locale's separators.
TNumberSeparators LocaleNumberSeparators();

// "5", "1024", "2.00 KB", "1,024.00 KB", "3.50 MB", "1.00 GB": the next unit only above a whole
// one of it.
std::string FormatSize(int64_t bytes, const TNumberSeparators& separators);
std::string FormatSize(int64_t bytes);

// The picture of the start-time picker: "H:mm" on a 24-hour clock, else with the AM/PM marker
// where the locale puts it.
std::string TimePickerFormat(bool clock24, bool markerFirst);
std::string LocaleTimePickerFormat();

class TProfilePropsForm : public ui::TForm {
 public:
  static constexpr int kDays = TProfile::kDays;

  explicit TProfilePropsForm(ui::TComponent* owner);
  ~TProfilePropsForm() override;

  // Fills the window from `profile`, shows it modally and on OK writes it back; the modal
  // result.
  int Execute(TProfile& profile);

  // A row for `path` unless one with exactly this path exists.
  void AddEntry(const std::string& path);
  // Measures the row's entry again and shows the result.
  void RefreshEntry(ui::TListItem* item);
  const TFileInfo& Info(int row);
  int SortColumn() const { return sortColumn_; }
  bool SortAscending() const { return sortAscending_; }

  ui::TPageControl* PC;
  ui::TTabSheet* tabProfile;
  ui::TTabSheet* tabIncluded;
  ui::TTabSheet* tabScheduler;
  ui::TEdit* edProfileName;
  ui::TComboBox* comboPosition;
  ui::TLabel* lblHint;
  ui::TListView* lvFiles;
  ui::TCheckBox* cbSchedulerActive;
  ui::TGroupBox* gbSchedulerParams;
  ui::TDateTimePicker* dtpSchedulerStart;
  ui::TCheckBox* cbDays[kDays];
  ui::TButton* bCheckAll;
  ui::TButton* bResetAll;
  ui::TButton* btnOK;
  ui::TButton* btnCancel;
  ui::TOpenDialog* odAddFile;
  ui::TPopupMenu* popupFiles;
  ui::TAction* actDelete;
  ui::TAction* actSelectAll;
  ui::TAction* actDeleteAll;
  ui::TAction* actAddDir;
  ui::TAction* actAddFile;
  ui::TAction* actRescan;

  // Del and Ctrl+A belong to the file list: elsewhere (the name box) they stay with the control.
  bool IsShortCut(uint16_t shortcut) override;
  void WndProc(ui::TMessage& message) override;

 private:
  void Build();
  void FormCreate(ui::TObject*);
  void FormClose(ui::TObject*, ui::TCloseAction&);
  void Fill(const TProfile& profile);
  void WriteBack(TProfile& profile);
  void DeleteRow(int index);
  void AcceptDroppedFiles(bool on);
  void FilesDropped(HDROP drop);

  void actAddFileExecute(ui::TObject*);
  void actAddDirExecute(ui::TObject*);
  void actDeleteExecute(ui::TObject*);
  void actDeleteUpdate(ui::TObject*);
  void actDeleteAllExecute(ui::TObject*);
  void actRowsUpdate(ui::TObject*);
  void actRescanExecute(ui::TObject*);
  void actSelectAllExecute(ui::TObject*);
  void lvFilesColumnClick(ui::TObject*, ui::TListColumn* column);
  void cbSchedulerActiveClick(ui::TObject*);
  void bCheckAllClick(ui::TObject*);
  void bResetAllClick(ui::TObject*);
  void PCChange(ui::TObject*);
  void SetAllDays(bool on);

  std::vector<std::unique_ptr<TFileInfo>> infos_;
  int sortColumn_ = 0;
  bool sortAscending_ = false;
};

}  // namespace movra::app
