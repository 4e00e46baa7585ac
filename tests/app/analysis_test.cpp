// The folder analysis window, scanning a simulated drive and driven from timers.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <memory>

#include "app/analysis_dialog.h"
#include "app/dialogs.h"
#include "runtime/text.h"
#include "support.h"
#include "tests/runtime/ui/ui_test_support.h"

namespace movra::app {

namespace dialog_test {
// With the profile properties tests: runs `drive` on the first modal window it accepts (returns
// true for), once; clicks a column header.
void WhenModal(std::function<bool(ui::TCustomForm&)> drive);
void ClickColumn(ui::TListView& list, int column);
}  // namespace dialog_test

namespace {

using namespace movra::ui;
using movra::testing::MappedDrive;
using movra::testing::TempDir;
using movra::testing::WriteTextFile;
using ui::test::After;
using dialog_test::ClickColumn;

TEST(AnalysisOrderTest, ColumnClicksSwitchOrders) {
  using O = TAnalysisOrder;
  EXPECT_EQ(NextOrder(O::PathAsc, 0), O::PathDesc);
  for (O from : {O::PathDesc, O::FragmentsDesc, O::FragmentsAsc}) EXPECT_EQ(NextOrder(from, 0), O::PathAsc);
  EXPECT_EQ(NextOrder(O::FragmentsDesc, 1), O::FragmentsAsc);
  for (O from : {O::PathAsc, O::PathDesc, O::FragmentsAsc}) EXPECT_EQ(NextOrder(from, 1), O::FragmentsDesc);
}

void WhenOpen(std::function<void(TformAnalyze&)> drive) {
  dialog_test::WhenModal([drive](TCustomForm& shown) {
    auto* form = dynamic_cast<TformAnalyze*>(&shown);
    if (form) drive(*form);
    return form != nullptr;
  });
}

// The rows as the list shows them: file name and fragment count.
std::vector<std::string> Rows(TformAnalyze& form, const std::string& root) {
  std::vector<std::string> rows;
  for (int i = 0; i < form.lvFiles->Items().Count(); ++i) {
    TListItem* row = form.lvFiles->Items()[i];
    rows.push_back(row->Caption().substr(root.size()) + " " + row->SubItems()[0] +
                   (row->StateIndex() == 1 ? " x" : ""));
  }
  return rows;
}

// A folder on a simulated drive with files in 1 to 4 pieces.
class AnalysisTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Add("data\\four.bin", "0:100:1 1:200:1 2:300:1 3:400:1");
    Add("data\\one.bin", "0:500:3");
    Add("data\\sub\\Three.bin", "0:600:1 1:700:1 2:800:1");
    Add("data\\sub\\two.bin", "0:900:1 1:1000:1");
    Add("data\\sub\\deeper\\also_two.bin", "0:1100:1 1:1200:1");
  }

  void Add(const std::string& name, const std::string& extents) {
    std::string path = volume_.Path() + name;
    for (size_t slash = path.find('\\', volume_.Path().size()); slash != std::string::npos;
         slash = path.find('\\', slash + 1))
      CreateDirectoryW(Utf8ToWide(path.substr(0, slash)).c_str(), nullptr);
    WriteTextFile(path, "data");
    layout_ += "file\t" + name + "\t" + extents + "\n";
  }

  void Map() {
    WriteTextFile(volume_.Path() + "volume.layout", "volume\t100000\t4096\n" + layout_);
    drive_ = std::make_unique<MappedDrive>(volume_.Path());
  }

  std::string Data() const { return drive_->Root() + "data\\"; }

  TempDir volume_;
  std::string layout_;
  std::unique_ptr<MappedDrive> drive_;
  TFileRegionList list_;
};

TEST_F(AnalysisTest, ScansListsSortsAndReturnsTheCheckedFiles) {
  Map();
  bool driven = false;
  WhenOpen([&](TformAnalyze& form) {
    driven = true;
    EXPECT_EQ(form.Caption(), "Analyze disk");
    EXPECT_EQ(form.edtPath->GetText(), "C:\\");
    EXPECT_EQ(form.seMinFragments->Value(), 30);
    EXPECT_EQ(form.lblStatusValue->Caption(), "Not started");
    EXPECT_EQ(form.lblFoundValue->Caption(), "--");
    EXPECT_FALSE(form.actStop->Enabled());
    EXPECT_FALSE(form.aniFind->Visible());
    EXPECT_EQ(form.ActiveControl(), form.btnAnalyze);
    form.UpdateActions();
    EXPECT_FALSE(form.actDefragment->Enabled());
    // The spin edit does not go below 2.
    form.seMinFragments->SetValue(1);
    EXPECT_EQ(form.seMinFragments->Value(), 2);

    form.edtPath->SetText(Data().substr(0, Data().size() - 1));  // no trailing backslash
    form.btnAnalyze->Click();
    EXPECT_EQ(form.lblStatusValue->Caption(), "Finished");
    EXPECT_EQ(form.lblFoundValue->Caption(), "4");
    EXPECT_TRUE(form.actAnalyze->Enabled());
    EXPECT_FALSE(form.actStop->Enabled());
    EXPECT_TRUE(form.btnCancel->Enabled());
    EXPECT_FALSE(form.aniFind->Visible());
    EXPECT_EQ(form.Order(), TAnalysisOrder::FragmentsDesc);
    std::vector<std::string> rows = Rows(form, Data());
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0], "four.bin 4 x");
    EXPECT_EQ(rows[1], "sub\\Three.bin 3 x");
    EXPECT_EQ(rows[2].substr(rows[2].size() - 4), " 2 x");
    EXPECT_EQ(rows[3].substr(rows[3].size() - 4), " 2 x");

    ClickColumn(*form.lvFiles, 1);  // first click on "Fragments": fewest first
    rows = Rows(form, Data());
    EXPECT_EQ(rows[2], "sub\\Three.bin 3 x");
    EXPECT_EQ(rows[3], "four.bin 4 x");
    ClickColumn(*form.lvFiles, 1);
    EXPECT_EQ(Rows(form, Data())[0], "four.bin 4 x");
    ClickColumn(*form.lvFiles, 0);  // path ascending, letters folded
    EXPECT_EQ(Rows(form, Data()), (std::vector<std::string>{"four.bin 4 x", "sub\\deeper\\also_two.bin 2 x",
                                                            "sub\\Three.bin 3 x", "sub\\two.bin 2 x"}));
    ClickColumn(*form.lvFiles, 0);
    EXPECT_EQ(Rows(form, Data())[0], "sub\\two.bin 2 x");
    ClickColumn(*form.lvFiles, 0);
    EXPECT_EQ(Rows(form, Data())[0], "four.bin 4 x");

    // Unchecking everything leaves nothing to defragment.
    form.actUnselectAll->Execute();
    form.UpdateActions();
    EXPECT_FALSE(form.actDefragment->Enabled());
    // A press on the check box of row 2, and Space on the focused row 3.
    RECT r{LVIR_BOUNDS, 0, 0, 0};
    SendMessageW(form.lvFiles->Handle(), LVM_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&r));
    LPARAM at = MAKELPARAM(8, (r.top + r.bottom) / 2);
    PostMessageW(form.lvFiles->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(form.lvFiles->Handle(), WM_LBUTTONUP, 0, at);
    ui::test::Pump();
    EXPECT_EQ(Rows(form, Data())[2], "sub\\Three.bin 3 x");
    // A press outside the check box only selects.
    SendMessageW(form.lvFiles->Handle(), LVM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&r));
    at = MAKELPARAM(60, (r.top + r.bottom) / 2);
    PostMessageW(form.lvFiles->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(form.lvFiles->Handle(), WM_LBUTTONUP, 0, at);
    ui::test::Pump();
    EXPECT_EQ(Rows(form, Data())[1], "sub\\deeper\\also_two.bin 2");
    form.lvFiles->Items()[3]->SetFocused(true);
    SendMessageW(form.lvFiles->Handle(), WM_KEYDOWN, VK_SPACE, 1);
    EXPECT_EQ(Rows(form, Data())[3], "sub\\two.bin 2 x");
    // Check / Reset work on the selected rows.
    form.lvFiles->ClearSelection();
    form.lvFiles->SetIndexSelected(0, true);
    form.lvFiles->SetIndexSelected(3, true);
    form.actReset->Execute();
    form.actSelect->Execute();
    form.lvFiles->ClearSelection();
    form.lvFiles->SetIndexSelected(2, true);
    form.actReset->Execute();
    form.UpdateActions();
    EXPECT_TRUE(form.actDefragment->Enabled());
    form.btnDefragment->Click();
  });
  ASSERT_TRUE(ExecuteAnalysis(list_));
  ASSERT_TRUE(driven);
  std::vector<std::string> checked;
  for (const TFileRegionPair& record : list_)
    if (record.Checked) checked.push_back(record.Path.substr(Data().size()));
  EXPECT_EQ(checked, (std::vector<std::string>{"four.bin", "sub\\two.bin"}));
  EXPECT_EQ(list_.size(), 4u);
}

TEST_F(AnalysisTest, NothingFoundLeavesDefragmentDisabled) {
  Map();
  WhenOpen([&](TformAnalyze& form) {
    form.edtPath->SetText(Data());
    form.seMinFragments->SetValue(5);
    form.btnAnalyze->Click();
    EXPECT_EQ(form.lblFoundValue->Caption(), "0");
    EXPECT_EQ(form.lvFiles->Items().Count(), 0);
    form.UpdateActions();
    EXPECT_FALSE(form.actDefragment->Enabled());
    form.btnCancel->Click();
  });
  EXPECT_FALSE(ExecuteAnalysis(list_));
}

TEST_F(AnalysisTest, StopKeepsWhatWasFoundAllChecked) {
  constexpr int kFolders = 400;
  for (int i = 0; i < kFolders; ++i)
    Add("many\\f" + std::to_string(i) + "\\x.bin", "0:" + std::to_string(2000 + 4 * i) + ":1 1:" +
                                                       std::to_string(2002 + 4 * i) + ":1");
  Map();
  WhenOpen([&](TformAnalyze& form) {
    form.edtPath->SetText(drive_->Root() + "many");
    form.seMinFragments->SetValue(2);
    // Stop as soon as something has been found (the timer fires inside the scan's callbacks).
    After(1, [&form, this] {
      if (list_.empty()) return true;
      EXPECT_TRUE(form.Scanning());
      EXPECT_FALSE(form.btnCancel->Enabled());
      EXPECT_FALSE(form.actAnalyze->Enabled());
      EXPECT_TRUE(form.aniFind->Visible());
      form.btnStop->Click();
      return false;
    });
    form.btnAnalyze->Click();
    EXPECT_FALSE(form.Scanning());
    EXPECT_EQ(form.lblStatusValue->Caption(), "Canceled");
    EXPECT_GT(list_.size(), 0u);
    EXPECT_LT(list_.size(), static_cast<size_t>(kFolders));
    EXPECT_EQ(form.lblFoundValue->Caption(), std::to_string(list_.size()));
    for (const TFileRegionPair& record : list_) EXPECT_EQ(record.Checked, 1);
    EXPECT_TRUE(form.btnCancel->Enabled());
    form.btnCancel->Click();
  });
  EXPECT_FALSE(ExecuteAnalysis(list_));
}

// Escape and closing the window during a scan stop the scan, then the window closes.
TEST_F(AnalysisTest, EscapeOrCloseDuringAScanStopsItFirst) {
  Map();
  for (UINT how : {WM_KEYDOWN, WM_CLOSE}) {
    bool scanned = false;
    WhenOpen([&](TformAnalyze& form) {
      form.edtPath->SetText(Data());
      form.seMinFragments->SetValue(2);
      if (how == WM_KEYDOWN)
        PostMessageW(form.edtPath->Handle(), WM_KEYDOWN, VK_ESCAPE, 1);
      else
        PostMessageW(form.Handle(), WM_CLOSE, 0, 0);
      form.btnAnalyze->Click();
      scanned = true;
      EXPECT_EQ(form.lblStatusValue->Caption(), "Canceled");
      EXPECT_EQ(form.ModalResult(), mrCancel);
    });
    EXPECT_FALSE(ExecuteAnalysis(list_));
    EXPECT_TRUE(scanned);
    EXPECT_TRUE(list_.empty());
  }
}

// Defragment pressed during a second scan: the records being found have not been seen, so the
// press is refused and the window stays open.
TEST_F(AnalysisTest, DefragmentPressedDuringASecondScanIsRefused) {
  for (int i = 0; i < 300; ++i)
    Add("data\\many\\f" + std::to_string(i) + "\\x.bin",
        "0:" + std::to_string(3000 + 4 * i) + ":1 1:" + std::to_string(3002 + 4 * i) + ":1");
  Map();
  bool pressed = false;
  WhenOpen([&](TformAnalyze& form) {
    form.edtPath->SetText(Data() + "sub");
    form.seMinFragments->SetValue(2);
    form.btnAnalyze->Click();
    form.UpdateActions();
    ASSERT_TRUE(form.actDefragment->Enabled()) << "the first scan's results can be chosen";

    form.edtPath->SetText(Data());
    After(1, [&form, &pressed] {
      if (!form.Scanning()) return true;
      EXPECT_FALSE(form.actDefragment->Enabled());
      EXPECT_FALSE(IsWindowEnabled(form.btnDefragment->Handle()));
      EXPECT_FALSE(form.actSelectAll->Enabled());
      // What a press of the button sends its window, had it got through.
      SendMessageW(form.Handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(form.btnDefragment->Handle()), BN_CLICKED),
                   reinterpret_cast<LPARAM>(form.btnDefragment->Handle()));
      pressed = true;
      return false;
    });
    form.btnAnalyze->Click();
    EXPECT_TRUE(pressed);
    EXPECT_EQ(form.ModalResult(), mrNone);
    EXPECT_EQ(form.lblStatusValue->Caption(), "Finished");
    form.UpdateActions();
    EXPECT_TRUE(form.actDefragment->Enabled()) << "the new results are shown and can be chosen";
    EXPECT_TRUE(form.actSelectAll->Enabled());
    form.btnCancel->Click();
  });
  EXPECT_FALSE(ExecuteAnalysis(list_));
  EXPECT_TRUE(pressed);
}

TEST_F(AnalysisTest, CancellingTheFolderBrowserKeepsThePath) {
  bool browsed = false;
  WhenOpen([&](TformAnalyze& form) {
    form.edtPath->SetText("D:\\kept");
    After(100, [&browsed] {
      HWND box = movra::testing::FindThreadWindow(L"#32770", nullptr);
      if (!box) return true;
      browsed = true;
      PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
      return false;
    });
    form.btnSelectDir->Click();
    EXPECT_EQ(form.edtPath->GetText(), "D:\\kept");
    form.btnCancel->Click();
  });
  EXPECT_FALSE(ExecuteAnalysis(list_));
  EXPECT_TRUE(browsed);
}

}  // namespace
}  // namespace movra::app
