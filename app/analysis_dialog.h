#pragma once
// The "Analyze disk" window: scans a folder tree for files in many fragments, lists them with
// check boxes and hands the checked ones back for defragmentation.
#include <cstdint>
#include <string>

#include "engine/folder_scan.h"
#include "runtime/ui/actions.h"
#include "runtime/ui/comctrls.h"
#include "runtime/ui/forms.h"
#include "runtime/ui/graphics.h"
#include "runtime/ui/menus.h"
#include "runtime/ui/stdctrls.h"

namespace movra::app {

// The orders of the result list; the value is the window's sort state.
enum class TAnalysisOrder : uint8_t { PathAsc = 0, PathDesc = 1, FragmentsDesc = 2, FragmentsAsc = 3 };

// The order a click on a column leads to: "File" (column 0) toggles path descending and
// ascending, "Fragments" fewest first and most first.
TAnalysisOrder NextOrder(TAnalysisOrder current, int column);

class TformAnalyze : public ui::TForm {
 public:
  // The window works on `list`, which the caller owns.
  TformAnalyze(ui::TComponent* owner, TFileRegionList& list);

  // The scan's progress callback: shows where the scan is, keeps the window responsive and
  // answers whether to stop.
  bool ScanProgress(const std::string& folder, int found);
  bool Scanning() const { return scanning_; }
  TAnalysisOrder Order() const { return order_; }
  // Toggles the record of a row.
  void ToggleRow(int index);

  ui::TGroupBox* gbParameters;
  ui::TEdit* edtPath;
  ui::TButton* btnSelectDir;
  ui::TSpinEdit* seMinFragments;
  ui::TButton* btnAnalyze;
  ui::TButton* btnStop;
  ui::TListView* lvFiles;
  ui::TAnimate* aniFind;
  ui::TLabel* lblStatusValue;
  ui::TLabel* lblFoundValue;
  ui::TButton* btnDefragment;
  ui::TButton* btnCancel;
  ui::TImageList* ImageList1;
  ui::TPopupMenu* popupContextMenu;
  ui::TAction* actSelectDir;
  ui::TAction* actAnalyze;
  ui::TAction* actStop;
  ui::TAction* actDefragment;
  ui::TAction* actSelect;
  ui::TAction* actReset;
  ui::TAction* actSelectAll;
  ui::TAction* actUnselectAll;

  void WndProc(ui::TMessage& message) override;

 private:
  void Build();
  void BuildCheckImages();
  void Sort();
  void SetChecked(const std::vector<int>& rows, bool on);
  void SetAllChecked(bool on);
  // A close asked for while scanning stops the scan; the window closes when it has ended.
  void RequestCloseWhileScanning();

  void actAnalyzeExecute(ui::TObject*);
  void actStopExecute(ui::TObject*);
  void actSelectDirExecute(ui::TObject*);
  void actDefragmentExecute(ui::TObject*);
  void actDefragmentUpdate(ui::TObject*);
  // Checking and unchecking wait while the list is being refilled.
  void actCheckingUpdate(ui::TObject*);
  void actSelectExecute(ui::TObject*);
  void actResetExecute(ui::TObject*);
  void actSelectAllExecute(ui::TObject*);
  void actUnselectAllExecute(ui::TObject*);
  void lvFilesData(ui::TObject*, ui::TListItem* item);
  void lvFilesColumnClick(ui::TObject*, ui::TListColumn* column);
  void lvFilesMouseDown(ui::TObject*, ui::TMouseButton button, ui::TShiftState, int x, int y);
  void lvFilesKeyDown(ui::TObject*, WORD& key, ui::TShiftState);

  TFileRegionList& list_;
  bool stop_ = false;
  bool scanning_ = false;
  bool closeAfterScan_ = false;
  TAnalysisOrder order_ = TAnalysisOrder::PathAsc;
};

}  // namespace movra::app
