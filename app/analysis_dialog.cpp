#include "app/analysis_dialog.h"

#include <algorithm>

#include "app/dialogs.h"
#include "app/window_building.h"
#include "i18n/localizer.h"

namespace movra::app {

using namespace movra::ui;

namespace {

constexpr int kCheckSize = 14;
// The check box of a row, as the state image draws it.
constexpr int kCheckLeft = 2, kCheckRight = 16;

using TComparator = int (*)(const TFileRegionPair&, const TFileRegionPair&);

TComparator ComparatorOf(TAnalysisOrder order) {
  switch (order) {
    case TAnalysisOrder::PathAsc:
      return ComparePathAsc;
    case TAnalysisOrder::PathDesc:
      return ComparePathDesc;
    case TAnalysisOrder::FragmentsDesc:
      return CompareFragmentsDesc;
    case TAnalysisOrder::FragmentsAsc:
      break;
  }
  return CompareFragmentsAsc;
}

}  // namespace

TAnalysisOrder NextOrder(TAnalysisOrder current, int column) {
  if (column == 0) return current == TAnalysisOrder::PathAsc ? TAnalysisOrder::PathDesc : TAnalysisOrder::PathAsc;
  return current == TAnalysisOrder::FragmentsDesc ? TAnalysisOrder::FragmentsAsc : TAnalysisOrder::FragmentsDesc;
}

TformAnalyze::TformAnalyze(TComponent* owner, TFileRegionList& list) : TForm(owner), list_(list) {
  BeginLoading();
  Build();
  EndLoading();
  BuildCheckImages();
  TranslateDialog(*this);
}

void TformAnalyze::Build() {
  SetName("formAnalyze");
  SetCaption("Analyze disk");
  SetPosition(TPosition::poScreenCenter);
  SetClientSize(520, 400);

  auto* actions = Component<TActionList>(this, "ActionList1");
  auto action = [&](const char* name, const char* caption, void (TformAnalyze::*run)(TObject*)) {
    return NewAction(this, actions, name, caption, run);
  };
  actSelectDir = action("actSelectDir", "...", &TformAnalyze::actSelectDirExecute);
  actAnalyze = action("actAnalyze", "Analyze", &TformAnalyze::actAnalyzeExecute);
  actStop = action("actStop", "Stop", &TformAnalyze::actStopExecute);
  actStop->SetEnabled(false);
  actDefragment = action("actDefragment", "Defragment", &TformAnalyze::actDefragmentExecute);
  actDefragment->OnUpdate = TNotifyEvent(this, &TformAnalyze::actDefragmentUpdate);
  actSelect = action("actSelect", "Check", &TformAnalyze::actSelectExecute);
  actReset = action("actReset", "Reset", &TformAnalyze::actResetExecute);
  actSelectAll = action("actSelectAll", "Check all", &TformAnalyze::actSelectAllExecute);
  actUnselectAll = action("actUnselectAll", "Reset all", &TformAnalyze::actUnselectAllExecute);
  for (TAction* checking : {actSelect, actReset, actSelectAll, actUnselectAll})
    checking->OnUpdate = TNotifyEvent(this, &TformAnalyze::actCheckingUpdate);

  popupContextMenu = Component<TPopupMenu>(this, "popupContextMenu");
  AddMenuItems(this, *popupContextMenu,
               {{"mnuCheck", actSelect}, {"mnuReset", actReset}, {"mnuCheckAll", actSelectAll},
                {"mnuResetAll", actUnselectAll}});
  ImageList1 = new TImageList(this, kCheckSize, kCheckSize);
  ImageList1->SetName("ImageList1");
  ImageList1->BkColor = clWhite;

  gbParameters = Control<TGroupBox>(this, this, "gbParameters", {8, 8, 504, 80});
  gbParameters->SetCaption(" Parameters ");
  gbParameters->SetAnchors(akLeft | akTop | akRight);
  TextLabel(this, gbParameters, "lblPath", "Path:", {12, 24, 130, 13});
  edtPath = Control<TEdit>(this, gbParameters, "edtPath", {150, 20, 310, 21});
  edtPath->SetText("C:\\");
  edtPath->SetAnchors(akLeft | akTop | akRight);
  btnSelectDir = Control<TButton>(this, gbParameters, "btnSelectDir", {466, 19, 26, 23});
  btnSelectDir->SetAction(actSelectDir);
  btnSelectDir->SetAnchors(akTop | akRight);
  TextLabel(this, gbParameters, "lblMinFragments", "Number of fragments:", {12, 52, 130, 13});
  seMinFragments = Control<TSpinEdit>(this, gbParameters, "seMinFragments", {150, 48, 80, 21});
  seMinFragments->SetMinValue(2);
  seMinFragments->SetMaxValue(99999);
  seMinFragments->SetValue(30);

  btnAnalyze = Control<TButton>(this, this, "btnAnalyze", {8, 96, 90, 25});
  btnAnalyze->SetAction(actAnalyze);
  btnStop = Control<TButton>(this, this, "btnStop", {104, 96, 90, 25});
  btnStop->SetAction(actStop);
  aniFind = Control<TAnimate>(this, this, "aniFind", {240, 94, 272, 60});
  aniFind->SetAnchors(akTop | akRight);
  aniFind->SetCommonAVI(TCommonAVI::aviFindFolder);
  aniFind->SetVisible(false);
  TextLabel(this, this, "lblStatus", "Status:", {8, 130, 50, 13});
  lblStatusValue = TextLabel(this, this, "lblStatusValue", "Not started", {60, 130, 176, 13});
  lblStatusValue->SetAutoSize(false);
  TextLabel(this, this, "lblFound", "Found:", {8, 148, 50, 13});
  lblFoundValue = TextLabel(this, this, "lblFoundValue", "--", {60, 148, 176, 13});
  lblFoundValue->SetAutoSize(false);

  lvFiles = Control<TListView>(this, this, "lvFiles", {8, 166, 504, 194});
  lvFiles->SetAnchors(akLeft | akTop | akRight | akBottom);
  lvFiles->SetViewStyle(TViewStyle::vsReport);
  lvFiles->SetOwnerData(true);
  lvFiles->SetStateImages(ImageList1);
  lvFiles->SetMultiSelect(true);
  lvFiles->SetRowSelect(true);
  lvFiles->SetReadOnly(true);
  lvFiles->SetPopupMenu(popupContextMenu);
  AddColumn(*lvFiles, "File", 270);
  AddColumn(*lvFiles, "Fragments", 100);
  lvFiles->OnData = TLVOwnerDataEvent(this, &TformAnalyze::lvFilesData);
  lvFiles->OnColumnClick = TLVColumnClickEvent(this, &TformAnalyze::lvFilesColumnClick);
  lvFiles->OnMouseDown = TMouseEvent(this, &TformAnalyze::lvFilesMouseDown);
  lvFiles->OnKeyDown = TKeyEvent(this, &TformAnalyze::lvFilesKeyDown);

  btnDefragment = Control<TButton>(this, this, "btnDefragment", {352, 368, 80, 25});
  btnDefragment->SetAction(actDefragment);
  btnDefragment->ModalResult = mrOk;
  btnDefragment->SetAnchors(akRight | akBottom);
  btnCancel = Control<TButton>(this, this, "btnCancel", {437, 368, 75, 25});
  btnCancel->SetCaption("Cancel");
  btnCancel->SetCancel(true);
  btnCancel->ModalResult = mrCancel;
  btnCancel->SetAnchors(akRight | akBottom);
  SetActiveControl(btnAnalyze);
}

void TformAnalyze::BuildCheckImages() {
  for (UINT state : {0u, static_cast<UINT>(DFCS_CHECKED)}) {
    TBitmap box(kCheckSize, kCheckSize);
    box.Canvas().Brush().SetColor(clWhite);
    RECT r{0, 0, kCheckSize, kCheckSize};
    box.Canvas().FillRect(r);
    DrawFrameControl(box.Canvas().Handle(), &r, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_FLAT | state);
    ImageList1->Add(box, nullptr);
  }
}

bool TformAnalyze::ScanProgress(const std::string& folder, int found) {
  lblStatusValue->SetCaption(folder);
  lblFoundValue->SetCaption(std::to_string(found));
  Application().ProcessMessages();
  // This loop is the window's only one while the scan goes on: the actions are brought up to
  // date here, as the idle loop would.
  UpdateActions();
  // The list is being refilled: what it holds now has not been shown, so it cannot be chosen.
  if (ModalResult() == mrOk) SetModalResult(mrNone);
  return stop_ || Application().Terminated();
}

void TformAnalyze::actAnalyzeExecute(TObject*) {
  btnCancel->SetEnabled(false);
  actStop->SetEnabled(true);
  actAnalyze->SetEnabled(false);
  stop_ = false;
  scanning_ = true;
  UpdateActions();
  lvFiles->Items().SetCount(0);
  list_.clear();
  aniFind->Show();
  aniFind->Play(1, 0, -1);
  std::string path = edtPath->GetText();
  if (path.empty() || path.back() != '\\') path += '\\';
  try {
    ScanFolder(path, seMinFragments->Value(), list_,
               [this](const std::string& folder, int found) { return ScanProgress(folder, found); });
  } catch (...) {
    scanning_ = false;
    throw;
  }
  scanning_ = false;
  UpdateActions();
  order_ = TAnalysisOrder::FragmentsDesc;
  Sort();
  lblFoundValue->SetCaption(std::to_string(list_.size()));
  actSelectAllExecute(this);
  aniFind->Stop();
  aniFind->Hide();
  lblStatusValue->SetCaption(stop_ ? _("Canceled") : _("Finished"));
  actAnalyze->SetEnabled(true);
  actStop->SetEnabled(false);
  btnCancel->SetEnabled(true);
}

void TformAnalyze::actStopExecute(TObject*) { stop_ = true; }

void TformAnalyze::actSelectDirExecute(TObject*) {
  std::string folder;
  if (BrowseForFolder(folder)) edtPath->SetText(folder);
}

void TformAnalyze::actDefragmentExecute(TObject*) {}

void TformAnalyze::actDefragmentUpdate(TObject*) {
  actDefragment->SetEnabled(!scanning_ && std::any_of(list_.begin(), list_.end(),
                                                      [](const auto& r) { return r.Checked != 0; }));
}

void TformAnalyze::actCheckingUpdate(TObject* sender) {
  static_cast<TAction*>(sender)->SetEnabled(!scanning_);
}

void TformAnalyze::Sort() {
  SortRegionList(list_, ComparatorOf(order_));
  lvFiles->Items().SetCount(static_cast<int>(list_.size()));
  lvFiles->Invalidate();
}

void TformAnalyze::SetChecked(const std::vector<int>& rows, bool on) {
  for (int row : rows)
    if (row >= 0 && row < static_cast<int>(list_.size())) list_[static_cast<size_t>(row)].Checked = on ? 1 : 0;
  lvFiles->Invalidate();
}

void TformAnalyze::SetAllChecked(bool on) {
  for (TFileRegionPair& record : list_) record.Checked = on ? 1 : 0;
  lvFiles->Invalidate();
}

void TformAnalyze::ToggleRow(int index) {
  if (index < 0 || index >= static_cast<int>(list_.size())) return;
  TFileRegionPair& record = list_[static_cast<size_t>(index)];
  record.Checked = record.Checked ? 0 : 1;
  lvFiles->UpdateItems(index, index);
}

void TformAnalyze::actSelectExecute(TObject*) { SetChecked(lvFiles->SelectedIndexes(), true); }

void TformAnalyze::actResetExecute(TObject*) { SetChecked(lvFiles->SelectedIndexes(), false); }

void TformAnalyze::actSelectAllExecute(TObject*) { SetAllChecked(true); }

void TformAnalyze::actUnselectAllExecute(TObject*) { SetAllChecked(false); }

void TformAnalyze::lvFilesData(TObject*, TListItem* item) {
  int index = item->Index();
  if (index < 0 || index >= static_cast<int>(list_.size())) return;
  const TFileRegionPair& record = list_[static_cast<size_t>(index)];
  item->SetCaption(record.Path);
  item->SubItems().Add(std::to_string(record.Fragments));
  item->SetStateIndex(record.Checked ? 1 : 0);
}

void TformAnalyze::lvFilesColumnClick(TObject*, TListColumn* column) {
  order_ = NextOrder(order_, column->Index());
  Sort();
}

void TformAnalyze::lvFilesMouseDown(TObject*, TMouseButton button, TShiftState, int x, int y) {
  if (button == TMouseButton::mbLeft && x >= kCheckLeft && x <= kCheckRight) ToggleRow(lvFiles->IndexAt(x, y));
}

void TformAnalyze::lvFilesKeyDown(TObject*, WORD& key, TShiftState) {
  if (key == VK_SPACE) ToggleRow(lvFiles->FocusedIndex());
}

void TformAnalyze::WndProc(TMessage& message) {
  bool cancel = message.Msg == WM_CLOSE ||
                (message.Msg == WM_COMMAND && LOWORD(message.WParam) == IDCANCEL && message.LParam == 0);
  if (scanning_ && cancel) {
    // The scan runs inside this window's message handling: it must end before the window can.
    stop_ = true;
    SetModalResult(mrCancel);
    message.Result = 0;
    return;
  }
  TForm::WndProc(message);
}

bool ExecuteAnalysis(TFileRegionList& list) {
  auto form = MakeOwned<TformAnalyze>(nullptr, list);
  return form->ShowModal() == mrOk;
}

}  // namespace movra::app
