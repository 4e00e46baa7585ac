#include "app/options_dialog.h"

#include <windows.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include "tests/support/support.h"

#include <functional>
#include <string>
#include <vector>

#include "app/dialogs.h"
#include "profiles/registry_settings.h"
#include "runtime/text.h"
#include "tests/app/dialogs2_test_support.h"

namespace movra::app {
namespace {

using namespace movra::ui;
using movra::ui::test::After;

// Every field, named, for telling which ones differ.
std::vector<std::string> ChangedFields(const TOptions& a, const TOptions& b) {
  std::vector<std::string> changed;
  auto check = [&](const char* name, auto TOptions::*field) {
    if (a.*field != b.*field) changed.push_back(name);
  };
  check("Startup", &TOptions::Startup);
  check("MinimizeOnStartup", &TOptions::MinimizeOnStartup);
  check("MinimizeOnClose", &TOptions::MinimizeOnClose);
  check("AnimateTray", &TOptions::AnimateTray);
  check("ContextMenu", &TOptions::ContextMenu);
  check("ConfirmExit", &TOptions::ConfirmExit);
  check("Language", &TOptions::Language);
  check("LogLevel", &TOptions::LogLevel);
  check("LogMaxLines", &TOptions::LogMaxLines);
  check("ShowLogWindow", &TOptions::ShowLogWindow);
  check("ShowSchedule", &TOptions::ShowSchedule);
  return changed;
}

TOptions SampleOptions() {
  TOptions o;
  o.Startup = false;
  o.MinimizeOnStartup = false;
  o.MinimizeOnClose = false;
  o.AnimateTray = true;
  o.ContextMenu = false;
  o.ConfirmExit = true;
  o.Language = "ru_RU";
  o.LogLevel = 1;
  o.LogMaxLines = 100;
  o.ShowLogWindow = true;
  o.ShowSchedule = true;
  return o;
}

// Every control of the dialog set to the opposite of SampleOptions.
void FlipEveryControl(TformOptions& form) {
  for (TCheckBox* check : {form.cbMinimizeOnStart, form.cbStartup, form.cbMinimizeOnClose, form.cbContextMenu,
                           form.cbAnimateIcon, form.cbShowScheduler, form.cbConfirmExit})
    check->SetChecked(!check->Checked());
  form.cbLogLevel->SetItemIndex(2);
  form.seMaxLog->SetValue(2500);
}

void WhenOpen(std::function<void(TformOptions&)> act) { test::WhenOpen<TformOptions>(std::move(act)); }

struct FakeStore {
  std::vector<TOptions> asked;
  bool refuseStartup = false;
  void operator()(TOptions& switches) {
    asked.push_back(switches);
    if (refuseStartup) switches.Startup = false;
  }
};

class OptionsDialog : public ::testing::Test {
 protected:
  void SetUp() override { Application().SetTitle("Movra File Defragmentor"); }
};

TEST_F(OptionsDialog, OpensOnTheGeneralTabWithTheRecordsValues) {
  auto form = MakeOwned<TformOptions>(nullptr, StoreRegistrySwitches);
  TOptions options = SampleOptions();
  options.Startup = true;
  options.LogLevel = 2;
  options.LogMaxLines = 0;  // no limit: the spin edit holds it at its minimum
  form->PageControl1->SetActivePage(form->tsLog);
  form->LoadFrom(options);
  EXPECT_EQ(form->PageControl1->ActivePage(), form->tsGeneral);
  EXPECT_FALSE(form->tsReserved->TabVisible());
  EXPECT_TRUE(form->cbStartup->Checked());
  EXPECT_FALSE(form->cbContextMenu->Checked());
  EXPECT_TRUE(form->cbShowScheduler->Checked());
  EXPECT_EQ(form->cbLogLevel->ItemIndex(), 2);
  EXPECT_EQ(form->cbLogLevel->Items().Text(), "None\r\nShort\r\nVerbose\r\n");
  EXPECT_EQ(form->seMaxLog->Value(), 1);
  EXPECT_EQ(form->seMaxLog->Increment, 10);
  EXPECT_EQ(form->cbMinimizeOnClose->Hint(),
            "Minimize program window on close. Select 'File/Exit' menu item to exit application");
  EXPECT_EQ(form->cbContextMenu->Caption(), "Windows Explorer conext menu");
}

TEST_F(OptionsDialog, ValuesTheControlsCannotShowAreKeptUnlessChanged) {
  auto form = MakeOwned<TformOptions>(nullptr, StoreRegistrySwitches);
  TOptions options = SampleOptions();
  options.LogLevel = 7;      // no entry of the list
  options.LogMaxLines = 0;   // below the spin edit's minimum
  form->LoadFrom(options);
  EXPECT_EQ(form->cbLogLevel->ItemIndex(), -1);
  TOptions written = options;
  form->WriteBack(written);
  EXPECT_EQ(written.LogLevel, 7) << "never -1";
  EXPECT_EQ(written.LogMaxLines, 0);
  form->cbLogLevel->SetItemIndex(0);
  form->seMaxLog->SetValue(40);
  form->WriteBack(written);
  EXPECT_EQ(written.LogLevel, 0);
  EXPECT_EQ(written.LogMaxLines, 40);
}

TEST_F(OptionsDialog, WriteBackCopiesEachControlIntoItsFieldInOrder) {
  const std::vector<std::string> expected{"MinimizeOnStartup", "MinimizeOnClose", "AnimateTray",
                                          "Startup",           "ContextMenu",     "ConfirmExit",
                                          "LogLevel",          "LogMaxLines",     "ShowSchedule"};
  std::vector<std::string> order;
  for (const auto& step : TformOptions::WriteBackSteps()) order.push_back(step.Field);
  EXPECT_EQ(order, expected);

  auto form = MakeOwned<TformOptions>(nullptr, StoreRegistrySwitches);
  const TOptions original = SampleOptions();
  form->LoadFrom(original);
  FlipEveryControl(*form);
  // Each step touches its own field and no other.
  for (const auto& step : TformOptions::WriteBackSteps()) {
    TOptions copy = original;
    step.Apply(*form, copy);
    EXPECT_EQ(ChangedFields(original, copy), std::vector<std::string>{step.Field});
  }
}

TEST_F(OptionsDialog, OkWritesEveryControlBackAndStoresTheSwitches) {
  FakeStore store;
  TOptions options = SampleOptions();
  WhenOpen([](TformOptions& form) {
    FlipEveryControl(form);
    form.btnOK->Click();
  });
  ASSERT_TRUE(ExecuteOptions(options, std::ref(store)));
  EXPECT_TRUE(options.MinimizeOnStartup);
  EXPECT_TRUE(options.Startup);
  EXPECT_TRUE(options.MinimizeOnClose);
  EXPECT_TRUE(options.ContextMenu);
  EXPECT_FALSE(options.AnimateTray);
  EXPECT_FALSE(options.ShowSchedule);
  EXPECT_FALSE(options.ConfirmExit);
  EXPECT_EQ(options.LogLevel, 2);
  EXPECT_EQ(options.LogMaxLines, 2500);
  // Fields the dialog does not show stay.
  EXPECT_EQ(options.Language, "ru_RU");
  EXPECT_TRUE(options.ShowLogWindow);
  ASSERT_EQ(store.asked.size(), 1u);
  EXPECT_TRUE(store.asked[0].Startup);
  EXPECT_TRUE(store.asked[0].ContextMenu);
}

TEST_F(OptionsDialog, CancelLeavesTheRecordAndTheRegistryAlone) {
  FakeStore store;
  TOptions options = SampleOptions();
  WhenOpen([](TformOptions& form) {
    FlipEveryControl(form);
    form.btnCancel->Click();
  });
  EXPECT_FALSE(ExecuteOptions(options, std::ref(store)));
  EXPECT_TRUE(ChangedFields(SampleOptions(), options).empty());
  EXPECT_TRUE(store.asked.empty());
}

TEST_F(OptionsDialog, SwitchTheRegistryRefusedIsShownAsHeldAndReported) {
  FakeStore store;
  store.refuseStartup = true;
  TOptions options = SampleOptions();
  bool uncheckedAfterRefusal = false;
  std::string reported;
  WhenOpen([&](TformOptions& form) {
    form.cbStartup->SetChecked(true);
    form.cbContextMenu->SetChecked(true);
    form.cbConfirmExit->SetChecked(false);
    // The warning comes up inside the click; read it, close it, then look at the dialog.
    After(30, [&] {
      HWND box = movra::testing::FindThreadWindow(L"#32770", L"Movra File Defragmentor");
      if (!box) return true;
      wchar_t text[512] = {};
      GetDlgItemTextW(box, 0xFFFF, text, 512);
      reported = WideToUtf8(text);
      PostMessageW(box, WM_COMMAND, IDOK, 0);
      return false;
    });
    form.btnOK->Click();
  });
  After(60, [&] {
    auto* form = test::OpenDialog<TformOptions>();
    const bool boxGone = !reported.empty() && !movra::testing::FindThreadWindow(L"#32770", L"Movra File Defragmentor");
    if (!form || !boxGone) return true;
    uncheckedAfterRefusal = !form->cbStartup->Checked() && form->cbContextMenu->Checked();
    form->btnOK->Click();  // now as the registry holds it: closes
    return false;
  });
  ASSERT_TRUE(ExecuteOptions(options, std::ref(store)));
  EXPECT_TRUE(uncheckedAfterRefusal);
  EXPECT_NE(reported.find("Launch on startup"), std::string::npos) << reported;
  EXPECT_EQ(reported.find("conext"), std::string::npos) << reported;
  EXPECT_FALSE(options.Startup);
  EXPECT_TRUE(options.ContextMenu);
  EXPECT_FALSE(options.ConfirmExit);
  EXPECT_EQ(store.asked.size(), 2u);
}

// The real switches of the running program, restored afterwards.
class RegistrySwitches : public OptionsDialog {
 protected:
  void SetUp() override {
    OptionsDialog::SetUp();
    ReadRegistrySettings(saved_);
  }
  void TearDown() override { WriteRegistrySettings(saved_); }

  static bool HasRunValue() {
    return SHGetValueW(HKEY_LOCAL_MACHINE, Utf8ToWide(kAutostartKey).c_str(), Utf8ToWide(kAutostartValue).c_str(),
                       nullptr, nullptr, nullptr) == ERROR_SUCCESS;
  }
  static bool HasVerb() {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, Utf8ToWide(kContextMenuKey).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
      return false;
    RegCloseKey(key);
    return true;
  }

  TOptions saved_;
};

TEST_F(RegistrySwitches, OkStoresThemAndCancelLeavesThem) {
  TOptions off = SampleOptions();
  WriteRegistrySettings(off);
  ASSERT_FALSE(HasRunValue());
  ASSERT_FALSE(HasVerb());

  TOptions options = off;
  WhenOpen([](TformOptions& form) {
    form.cbStartup->SetChecked(true);
    form.cbContextMenu->SetChecked(true);
    form.btnCancel->Click();
  });
  EXPECT_FALSE(ExecuteOptions(options));
  EXPECT_FALSE(HasRunValue());
  EXPECT_FALSE(HasVerb());

  WhenOpen([](TformOptions& form) {
    form.cbStartup->SetChecked(true);
    form.cbContextMenu->SetChecked(true);
    form.btnOK->Click();
  });
  ASSERT_TRUE(ExecuteOptions(options));
  EXPECT_TRUE(options.Startup);
  EXPECT_TRUE(options.ContextMenu);
  EXPECT_TRUE(HasRunValue());
  EXPECT_TRUE(HasVerb());
}

TEST(OptionsText, NamesTheSwitchesNotStored) {
  EXPECT_EQ(SwitchesNotStoredText({"Launch on startup", "Windows Explorer conext menu"}),
            "These settings could not be stored in the registry (administrator rights may be needed):\r\n"
            "Launch on startup\r\nWindows Explorer conext menu");
}

}  // namespace
}  // namespace movra::app
