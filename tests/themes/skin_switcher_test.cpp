// The switcher's properties over the theme machinery, and the default colour set's texts.
#include "themes/skin_switcher.h"
#include "themes/skin_toolpals.h"

#include <gtest/gtest.h>

#include "tests/themes/skin_test_support.h"

namespace movra::skin {
namespace {

using test::TBlankTheme;

class SkinSwitcherTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SkinThemesStart();
    AddThemeClass("Default", &MakeSkinTheme<TBlankTheme>);
    AddThemeClass("OfficeXP", &MakeSkinTheme<TBlankTheme>);
    SkinNexusStart();
  }
  void TearDown() override {
    SkinNexusEnd();
    SkinThemesEnd();
  }

 public:
  void Count(ui::TObject* sender) {
    ++changes;
    lastSender = sender;
  }
  int changes = 0;
  ui::TObject* lastSender = nullptr;
};

TEST_F(SkinSwitcherTest, ThemePropertySwitchesAndTellsItsHandlerThreeTimes) {
  auto switcher = ui::MakeOwned<TSkinSwitcher>(nullptr);
  switcher->OnThemeChange = ui::TNotifyEvent(this, &SkinSwitcherTest::Count);
  EXPECT_EQ(switcher->Theme(), "Default");
  switcher->SetTheme("officexp");
  EXPECT_EQ(switcher->Theme(), "OfficeXP");
  EXPECT_EQ(CurrentThemeName(), "OfficeXP");
  EXPECT_EQ(changes, 3);
  EXPECT_EQ(lastSender, switcher.get());
  switcher->SetTheme("Aluminum");  // not registered: ignored, nothing raised
  EXPECT_EQ(switcher->Theme(), "OfficeXP");
  EXPECT_EQ(changes, 3);
  // A system change passed on by the manager: three more.
  SendMessageW(ThemeManagerInstance()->Handle(), WM_SYSCOLORCHANGE, 0, 0);
  EXPECT_EQ(changes, 6);
  switcher.reset();
  SelectTheme("Default");  // a freed switcher is no longer told
  EXPECT_EQ(changes, 6);
}

TEST_F(SkinSwitcherTest, StyleOptionsReadBackWhatWasSet) {
  auto switcher = ui::MakeOwned<TSkinSwitcher>(nullptr);
  EXPECT_TRUE(switcher->EnableXPStyles());
  EXPECT_EQ(switcher->FlatMenuStyle(), TFlatMenuStyle::fmsAuto);
  switcher->SetEnableXPStyles(false);
  EXPECT_FALSE(switcher->EnableXPStyles());
  EXPECT_EQ(GetManagerParam(2), 2);
  EXPECT_FALSE(SkinSystem().VisualStylesActive);
  switcher->SetEnableXPStyles(true);
  EXPECT_TRUE(switcher->EnableXPStyles());
  switcher->SetFlatMenuStyle(TFlatMenuStyle::fmsEnable);
  EXPECT_EQ(switcher->FlatMenuStyle(), TFlatMenuStyle::fmsEnable);
  EXPECT_EQ(GetManagerParam(1), 2);
  switcher->SetFlatMenuStyle(TFlatMenuStyle::fmsDisable);
  EXPECT_EQ(switcher->FlatMenuStyle(), TFlatMenuStyle::fmsDisable);
  EXPECT_EQ(GetManagerParam(1), 1);
  switcher->SetFlatMenuStyle(TFlatMenuStyle::fmsAuto);
  EXPECT_EQ(GetManagerParam(1), 0);
}

TEST(SkinColorSet, DefaultSetNamesItsColoursAndWritesOthersAsHex) {
  test::ClassicColors classic;
  SkinToolPalsStart();
  TSkinDefaultColorSet* set = DefaultColorSet();
  ASSERT_NE(set, nullptr);
  set->SetName("Palette");
  EXPECT_EQ(set->ColCount(), 8);
  EXPECT_EQ(set->RowCount(), 5);
  EXPECT_EQ(set->ColorToString(0x003399), "Brown");
  EXPECT_EQ(set->ColorToString(ui::clWhite), "White");
  EXPECT_EQ(set->ColorToString(0x010203), "#030201");
  EXPECT_EQ(set->ColorToString(ui::clNone), "None");
  EXPECT_EQ(set->ColorToString(ui::clBtnFace), "Gray-25%");  // classic grey C0C0C0
  EXPECT_EQ(set->ColorToString(static_cast<TColor>(0x8000000F)), "Gray-25%");
  // The hot-light colour is a system colour, not red 0x1A.
  EXPECT_EQ(set->ColorToString(ui::clHotLight), "Dark blue");
  EXPECT_EQ(set->ColorToString(static_cast<TColor>(0x8000001A)), "Dark blue");
  EXPECT_EQ(set->Name(), "Palette");  // looking colours up leaves the component's name alone

  std::string name = "x";
  TColor color = 0;
  set->GetColorInfo(7, 4, name, color);
  EXPECT_EQ(name, "White");
  EXPECT_EQ(color, 0xFFFFFF);
  set->GetColorInfo(1, 0, name, color);
  EXPECT_EQ(color, 0x003399);
  set->GetColorInfo(8, 0, name, color);
  EXPECT_EQ(name, "");
  EXPECT_EQ(color, ui::clNone);
  set->GetColorInfo(0, 5, name, color);
  EXPECT_EQ(color, ui::clNone);
  SkinToolPalsEnd();
  EXPECT_EQ(DefaultColorSet(), nullptr);
}

class SizeWatcher : public TSkinColorSetClient {
 public:
  void ColorSetSizeChanged(int columns, int rows) override {
    this->columns = columns;
    this->rows = rows;
  }
  int columns = 0, rows = 0;
};

void AnswerCells(ui::TObject*, int column, int row, std::string& name, TColor& color) {
  if (row != 0) return;
  color = column == 0 ? 0x112233 : ui::clBtnFace;
  name = column == 0 ? "" : "Face";
}

TEST(SkinColorSet, CustomSetAsksItsHandlerAndTellsItsPalettes) {
  test::ClassicColors classic;
  auto set = ui::MakeOwned<TSkinCustomColorSet>(nullptr);
  SizeWatcher watcher;
  set->AddClient(&watcher);
  set->SetSizes(2, 1);
  EXPECT_EQ(watcher.columns, 2);
  EXPECT_EQ(watcher.rows, 1);
  EXPECT_EQ(set->ColorToString(0xC0C0C0), "#C0C0C0");  // no handler: every cell is no colour
  set->OnGetColorInfo = TSkinColorInfoEvent(&AnswerCells);
  EXPECT_EQ(set->ColorToString(0x112233), "#332211");  // a cell without a name
  EXPECT_EQ(set->ColorToString(0xC0C0C0), "Face");     // the cell's system colour resolved
  set->RemoveClient(&watcher);
  set->SetSizes(3, 3);
  EXPECT_EQ(watcher.columns, 2);
}

}  // namespace
}  // namespace movra::skin
