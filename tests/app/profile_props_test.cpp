// The profile properties window, shown for real and driven from timers.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <memory>

#include "app/dialogs.h"
#include "app/profile_props_dialog.h"
#include "runtime/text.h"
#include "support.h"
#include "tests/runtime/ui/ui_test_support.h"

namespace movra::app {

// Helpers of the dialog tests, shared with the analysis tests.
namespace dialog_test {

void WhenModal(std::function<bool(ui::TCustomForm&)> drive) {
  // The timer keeps ticking inside the loops the drive runs: it must drive once only.
  auto started = std::make_shared<bool>(false);
  ui::test::After(20, [drive, started] {
    if (*started) return false;
    for (int i = 0; i < ui::Screen().FormCount(); ++i) {
      ui::TCustomForm* form = ui::Screen().Forms(i);
      if (!form->Modal()) continue;
      *started = true;
      if (drive(*form)) return false;
      *started = false;
    }
    return true;
  });
}

void ClickColumn(ui::TListView& list, int column) {
  NMLISTVIEW click{};
  click.hdr.hwndFrom = list.Handle();
  click.hdr.code = LVN_COLUMNCLICK;
  click.iSubItem = column;
  list.Perform(ui::CN_NOTIFY, 0, reinterpret_cast<LPARAM>(&click));
}

}  // namespace dialog_test

namespace {

using namespace movra::ui;
using movra::testing::MappedDrive;
using movra::testing::TempDir;
using movra::testing::WriteTextFile;
using ui::test::After;
using ui::test::PumpUntil;
using dialog_test::ClickColumn;

const TNumberSeparators kEnglish{",", "."};

TEST(FormatSizeTest, UnitsStartAboveAWholeOne) {
  EXPECT_EQ(FormatSize(0, kEnglish), "0");
  EXPECT_EQ(FormatSize(5, kEnglish), "5");
  EXPECT_EQ(FormatSize(1024, kEnglish), "1024");
  EXPECT_EQ(FormatSize(1025, kEnglish), "1.00 KB");
  EXPECT_EQ(FormatSize(2048, kEnglish), "2.00 KB");
  EXPECT_EQ(FormatSize(1048576, kEnglish), "1,024.00 KB");
  EXPECT_EQ(FormatSize(1048576 + 524288, kEnglish), "1.50 MB");
  EXPECT_EQ(FormatSize(1073741824, kEnglish), "1,024.00 MB");
  EXPECT_EQ(FormatSize(5LL * 1073741824 + 10737418, kEnglish), "5.01 GB");
  EXPECT_EQ(FormatSize(2048LL * 1073741824, kEnglish), "2,048.00 GB");
  EXPECT_EQ(FormatSize(1048576, {".", ","}), "1.024,00 KB");
  EXPECT_EQ(FormatSize(1048576, {"", "."}), "1024.00 KB");
}

TEST(FormatSizeTest, TimePickerFollowsTheClockAndMarker) {
  EXPECT_EQ(TimePickerFormat(true, true), "H:mm");
  EXPECT_EQ(TimePickerFormat(false, true), "tt h:mm");
  EXPECT_EQ(TimePickerFormat(false, false), "h:mm tt");
}

double TimePart(TDateTime value) { return value - std::floor(value); }
bool SameMinute(TDateTime a, TDateTime b) { return std::abs(TimePart(a) - TimePart(b)) < 1.0 / 1440 / 2; }

void WhenOpen(std::function<void(TProfilePropsForm&)> drive) {
  dialog_test::WhenModal([drive](TCustomForm& shown) {
    auto* form = dynamic_cast<TProfilePropsForm*>(&shown);
    if (form) drive(*form);
    return form != nullptr;
  });
}

// The user picks another tab.
void SelectPage(TPageControl& pages, int index) {
  SendMessageW(pages.Handle(), TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
  NMHDR hdr{pages.Handle(), 0, static_cast<UINT>(TCN_SELCHANGE)};
  pages.Perform(CN_NOTIFY, 0, reinterpret_cast<LPARAM>(&hdr));
}

std::vector<std::string> Rows(TProfilePropsForm& form) {
  std::vector<std::string> rows;
  for (int i = 0; i < form.lvFiles->Items().Count(); ++i) rows.push_back(form.lvFiles->Items()[i]->Caption());
  return rows;
}

class ProfilePropsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteTextFile(dir_.Path() + "a.txt", std::string(2048, 'a'));
    WriteTextFile(dir_.Path() + "b.txt", "bbbbb");
    profile_.Files().Add(dir_.Path() + "a.txt");
    profile_.Files().Add(dir_.Path());
    profile_.SetName("Mail");
    profile_.SetRunMethod(TRunMethod::EndOfDisk);
    profile_.SetSchedulerActive(true);
    profile_.SetStart(TimeOfDay(7, 30));
    profile_.SetDay(0, true);
    profile_.SetDay(2, true);
  }

  TempDir dir_;
  TProfile profile_;
};

TEST_F(ProfilePropsTest, ShowsTheProfileAndWritesBackOnOk) {
  bool checked = false;
  WhenOpen([&](TProfilePropsForm& form) {
    checked = true;
    EXPECT_EQ(form.Caption(), "Profile properties");
    EXPECT_EQ(form.PC->ActivePage(), form.tabProfile);
    EXPECT_EQ(form.dtpSchedulerStart->Format(), LocaleTimePickerFormat());
    EXPECT_EQ(Rows(form), (std::vector<std::string>{dir_.Path() + "a.txt", dir_.Path()}));
    EXPECT_EQ(form.lvFiles->Items()[0]->SubItems()[0], FormatSize(2048));
    EXPECT_EQ(form.lvFiles->Items()[1]->SubItems()[0], "n/a");
    EXPECT_EQ(form.lvFiles->Items()[1]->SubItems()[1], "n/a");
    EXPECT_EQ(form.edProfileName->GetText(), "Mail");
    EXPECT_EQ(form.comboPosition->ItemIndex(), 1);
    EXPECT_TRUE(form.cbSchedulerActive->Checked());
    EXPECT_TRUE(SameMinute(form.dtpSchedulerStart->DateTime(), TimeOfDay(7, 30)));
    EXPECT_TRUE(form.cbDays[0]->Checked() && form.cbDays[2]->Checked() && !form.cbDays[1]->Checked());
    EXPECT_TRUE(form.dtpSchedulerStart->Enabled() && form.cbDays[6]->Enabled() && form.bCheckAll->Enabled());

    form.AddEntry(dir_.Path() + "b.txt");
    form.edProfileName->SetText("  ");
    form.comboPosition->SetItemIndex(0);
    form.dtpSchedulerStart->SetDateTime(1 + TimeOfDay(21, 15));
    form.cbDays[6]->SetChecked(true);
    form.cbDays[0]->SetChecked(false);
    // Switching the scheduler off greys the settings but keeps them.
    form.cbSchedulerActive->SetChecked(false);
    EXPECT_FALSE(form.dtpSchedulerStart->Enabled());
    EXPECT_FALSE(form.cbDays[6]->Enabled());
    EXPECT_FALSE(form.bResetAll->Enabled());
    EXPECT_TRUE(form.cbDays[6]->Checked());
    form.btnOK->Click();
  });
  EXPECT_EQ(ExecuteProfileProps(profile_), mrOk);
  ASSERT_TRUE(checked);
  EXPECT_EQ(profile_.Files().Lines(),
            (std::vector<std::string>{dir_.Path() + "a.txt", dir_.Path(), dir_.Path() + "b.txt"}));
  EXPECT_EQ(profile_.Name(), "untitled");
  EXPECT_EQ(profile_.RunMethod(), TRunMethod::StartOfDisk);
  EXPECT_FALSE(profile_.SchedulerActive());
  EXPECT_TRUE(SameMinute(profile_.Start(), TimeOfDay(21, 15)));
  EXPECT_LT(profile_.Start(), 1.0);
  EXPECT_FALSE(profile_.Day(0));
  EXPECT_TRUE(profile_.Day(2));
  EXPECT_TRUE(profile_.Day(6));
  // The next run follows the stored time and days.
  TDateTime next = profile_.NextRun();
  EXPECT_TRUE(SameMinute(next, TimeOfDay(21, 15)));
  SYSTEMTIME day = DateTimeToSystemTime(next);
  EXPECT_TRUE(day.wDayOfWeek == 3 || day.wDayOfWeek == 0);
}

TEST_F(ProfilePropsTest, CancelChangesNothing) {
  WhenOpen([&](TProfilePropsForm& form) {
    form.AddEntry(dir_.Path() + "b.txt");
    form.lvFiles->SetIndexSelected(0, true);
    form.actDelete->Execute();
    EXPECT_EQ(Rows(form), (std::vector<std::string>{dir_.Path(), dir_.Path() + "b.txt"}));
    form.edProfileName->SetText("Other");
    form.cbSchedulerActive->SetChecked(false);
    form.bResetAll->Click();
    form.btnCancel->Click();
  });
  EXPECT_EQ(ExecuteProfileProps(profile_), mrCancel);
  EXPECT_EQ(profile_.Files().Lines(), (std::vector<std::string>{dir_.Path() + "a.txt", dir_.Path()}));
  EXPECT_EQ(profile_.Name(), "Mail");
  EXPECT_EQ(profile_.RunMethod(), TRunMethod::EndOfDisk);
  EXPECT_TRUE(profile_.SchedulerActive());
  EXPECT_TRUE(profile_.Day(0));
  EXPECT_TRUE(SameMinute(profile_.Start(), TimeOfDay(7, 30)));
}

TEST_F(ProfilePropsTest, EscapeCancels) {
  WhenOpen([](TProfilePropsForm& form) { PostMessageW(form.edProfileName->Handle(), WM_KEYDOWN, VK_ESCAPE, 1); });
  EXPECT_EQ(ExecuteProfileProps(profile_), mrCancel);
  EXPECT_EQ(profile_.Name(), "Mail");
}

TEST_F(ProfilePropsTest, EntriesAreKeptOncePerExactPath) {
  auto form = MakeOwned<TProfilePropsForm>(nullptr);
  form->AddEntry(dir_.Path() + "a.txt");
  form->AddEntry(dir_.Path() + "a.txt");
  form->AddEntry(AsciiLower(dir_.Path()) + "A.TXT");
  form->AddEntry(dir_.Path() + "missing.txt");
  ASSERT_EQ(form->lvFiles->Items().Count(), 3);
  EXPECT_EQ(form->Info(1).Path, AsciiLower(dir_.Path()) + "A.TXT");
  EXPECT_EQ(form->lvFiles->Items()[2]->SubItems()[0], "n/a");
  EXPECT_EQ(form->lvFiles->Items()[2]->SubItems()[1], "n/a");
  EXPECT_EQ(form->Info(2).Size, -1);
  EXPECT_EQ(form->Info(0).Size, 2048);

  // A file that appears later is measured on Rescan.
  WriteTextFile(dir_.Path() + "missing.txt", "12345");
  form->lvFiles->HandleNeeded();
  form->UpdateActions();
  ASSERT_TRUE(form->actRescan->Enabled());
  form->actRescan->Execute();
  EXPECT_EQ(form->lvFiles->Items()[2]->SubItems()[0], "5");
  EXPECT_EQ(form->Info(2).Size, 5);
}

TEST(ProfilePropsDrive, ShowsFragmentsOfFilesOnASimulatedDrive) {
  TempDir volume;
  WriteTextFile(volume.Path() + "frag.bin", "data");
  WriteTextFile(volume.Path() + "whole.bin", "data");
  WriteTextFile(volume.Path() + "volume.layout",
                "volume\t100000\t4096\nused\t0:100\nfile\tfrag.bin\t0:5000:10 10:6000:5 15:6005:5\n"
                "file\twhole.bin\t0:200:8\n");
  MappedDrive drive(volume.Path());
  auto form = MakeOwned<TProfilePropsForm>(nullptr);
  form->AddEntry(drive.Root() + "frag.bin");
  form->AddEntry(drive.Root() + "whole.bin");
  form->AddEntry(drive.Root());
  EXPECT_EQ(form->lvFiles->Items()[0]->SubItems()[1], "2");
  EXPECT_EQ(form->lvFiles->Items()[0]->SubItems()[0], "4");
  EXPECT_EQ(form->lvFiles->Items()[1]->SubItems()[1], "1");
  EXPECT_EQ(form->lvFiles->Items()[2]->SubItems()[1], "n/a");
}

TEST_F(ProfilePropsTest, ColumnClicksSortAndReverse) {
  WriteTextFile(dir_.Path() + "C.txt", std::string(100, 'c'));
  auto form = MakeOwned<TProfilePropsForm>(nullptr);
  form->lvFiles->HandleNeeded();
  for (const char* name : {"b.txt", "C.txt", "a.txt", "none.txt"}) form->AddEntry(dir_.Path() + name);
  auto names = [&] {
    std::vector<std::string> result;
    for (const std::string& row : Rows(*form)) result.push_back(row.substr(dir_.Path().size()));
    return result;
  };
  EXPECT_EQ(form->SortColumn(), 0);
  EXPECT_FALSE(form->SortAscending());
  ClickColumn(*form->lvFiles, 0);  // the same column again: reversed, so ascending
  EXPECT_EQ(names(), (std::vector<std::string>{"a.txt", "b.txt", "C.txt", "none.txt"}));
  ClickColumn(*form->lvFiles, 0);
  EXPECT_EQ(names(), (std::vector<std::string>{"none.txt", "C.txt", "b.txt", "a.txt"}));
  ClickColumn(*form->lvFiles, 1);  // another column starts ascending
  EXPECT_EQ(names(), (std::vector<std::string>{"none.txt", "b.txt", "C.txt", "a.txt"}));
  ClickColumn(*form->lvFiles, 1);
  EXPECT_EQ(names(), (std::vector<std::string>{"a.txt", "C.txt", "b.txt", "none.txt"}));
  EXPECT_EQ(form->SortColumn(), 1);
  EXPECT_FALSE(form->SortAscending());
  // Row data travels with its row.
  for (int i = 0; i < 4; ++i) EXPECT_EQ(form->Info(i).Path, form->lvFiles->Items()[i]->Caption());
}

TEST_F(ProfilePropsTest, DeleteAndSelectAllKeysOnlyInTheList) {
  auto form = MakeOwned<TProfilePropsForm>(nullptr);
  form->Show();
  form->PC->SetActivePage(form->tabIncluded);
  form->AddEntry(dir_.Path() + "a.txt");
  form->AddEntry(dir_.Path() + "b.txt");
  form->lvFiles->SetIndexSelected(1, true);
  form->PC->SetActivePage(form->tabProfile);
  form->edProfileName->SetFocus();
  ASSERT_TRUE(PumpUntil([&] { return form->edProfileName->Focused(); }));
  EXPECT_FALSE(form->IsShortCut(ShortCut(VK_DELETE, 0)));
  EXPECT_FALSE(form->IsShortCut(ShortCut('A', ssCtrl)));
  EXPECT_EQ(form->lvFiles->Items().Count(), 2);
  EXPECT_EQ(form->lvFiles->SelCount(), 1);

  form->PC->SetActivePage(form->tabIncluded);
  form->lvFiles->SetFocus();
  ASSERT_TRUE(PumpUntil([&] { return form->lvFiles->Focused(); }));
  EXPECT_TRUE(form->IsShortCut(ShortCut('A', ssCtrl)));
  EXPECT_EQ(form->lvFiles->SelCount(), 2);
  EXPECT_TRUE(form->IsShortCut(ShortCut(VK_DELETE, 0)));
  EXPECT_EQ(form->lvFiles->Items().Count(), 0);
  // With no rows Delete has nothing to do and the key stays with the list.
  EXPECT_FALSE(form->IsShortCut(ShortCut(VK_DELETE, 0)));
  form->Hide();
}

TEST_F(ProfilePropsTest, DeleteAllAsksFirst) {
  auto form = MakeOwned<TProfilePropsForm>(nullptr);
  form->Show();
  form->AddEntry(dir_.Path() + "a.txt");
  form->AddEntry(dir_.Path() + "b.txt");
  for (int answer : {IDNO, IDYES}) {
    std::string text;
    After(50, [&text, answer] {
      HWND box = movra::testing::FindThreadWindow(L"#32770", nullptr);
      if (!box) return true;
      wchar_t buffer[512] = {};
      GetDlgItemTextW(box, 0xFFFF, buffer, 512);
      text = WideToUtf8(buffer);
      PostMessageW(box, WM_COMMAND, static_cast<WPARAM>(answer), 0);
      return false;
    });
    form->actDeleteAll->Execute();
    EXPECT_EQ(text, "Excluding files from the profile can't be undone!\r\nDo you wish to process?");
    EXPECT_EQ(form->lvFiles->Items().Count(), answer == IDNO ? 2 : 0);
  }
  form->UpdateActions();
  EXPECT_FALSE(form->actDeleteAll->Enabled());
  EXPECT_FALSE(form->actRescan->Enabled());
  form->Hide();
}

// A drop of `names` as the shell makes it.
HGLOBAL MakeDrop(const std::vector<std::string>& names) {
  std::wstring list;
  for (const std::string& name : names) list += Utf8ToWide(name) + L'\0';
  list += L'\0';
  HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + list.size() * sizeof(wchar_t));
  auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
  drop->pFiles = sizeof(DROPFILES);
  drop->fWide = TRUE;
  std::memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), list.data(), list.size() * sizeof(wchar_t));
  GlobalUnlock(memory);
  return memory;
}

bool AcceptsFiles(TWinControl& window) {
  return (GetWindowLongW(window.Handle(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES) != 0;
}

TEST_F(ProfilePropsTest, DroppedFilesWhileTheFileTabShows) {
  auto form = MakeOwned<TProfilePropsForm>(nullptr);
  form->Show();
  EXPECT_FALSE(AcceptsFiles(*form));
  SelectPage(*form->PC, 1);
  EXPECT_TRUE(AcceptsFiles(*form));
  const std::string longName = dir_.Path() + std::string(240, 'x') + "\\" + std::string(60, 'y') + ".dat";
  SendMessageW(form->Handle(), WM_DROPFILES,
               reinterpret_cast<WPARAM>(MakeDrop({dir_.Path() + "b.txt", longName, dir_.Path() + "b.txt"})), 0);
  EXPECT_EQ(Rows(*form), (std::vector<std::string>{dir_.Path() + "b.txt", longName}));
  SelectPage(*form->PC, 2);
  EXPECT_FALSE(AcceptsFiles(*form));
  SelectPage(*form->PC, 1);
  form->Close();
  EXPECT_FALSE(AcceptsFiles(*form));
}

}  // namespace
}  // namespace movra::app
