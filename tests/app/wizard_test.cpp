#include "app/wizard_dialog.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/dialogs.h"
#include "runtime/text.h"
#include "tests/app/dialogs2_test_support.h"

namespace movra::app {
namespace {

using namespace movra::ui;

constexpr wchar_t kTheBatKey[] = L"Software\\RIT\\The Bat!";
constexpr wchar_t kRitKey[] = L"Software\\RIT";
constexpr wchar_t kIdentities[] = L"Identities";

void SetUserString(const std::wstring& key, const wchar_t* name, const std::wstring& value,
                   DWORD type = REG_SZ) {
  HKEY handle = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &handle,
                            nullptr),
            ERROR_SUCCESS);
  RegSetValueExW(handle, name, 0, type, reinterpret_cast<const BYTE*>(value.c_str()),
                 static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(handle);
}

bool UserKeyExists(const wchar_t* key) {
  HKEY handle = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, key, 0, KEY_READ, &handle) != ERROR_SUCCESS) return false;
  RegCloseKey(handle);
  return true;
}

std::wstring StoreKey(const wchar_t* identity) {
  return std::wstring(kIdentities) + L"\\" + identity + L"\\Software\\Microsoft\\Outlook Express\\5.0";
}

// The keys of the two mail clients belong to the test: it refuses to run over real ones and
// removes what it wrote.
class Wizard : public ::testing::Test {
 protected:
  void SetUp() override {
    if (UserKeyExists(kRitKey) || UserKeyExists(kIdentities))
      GTEST_SKIP() << "the mail clients' keys exist already; not touching them";
    owned_ = true;
  }
  void TearDown() override {
    if (!owned_) return;
    RegDeleteTreeW(HKEY_CURRENT_USER, kRitKey);
    RegDeleteKeyW(HKEY_CURRENT_USER, kRitKey);
    RegDeleteTreeW(HKEY_CURRENT_USER, kIdentities);
    RegDeleteKeyW(HKEY_CURRENT_USER, kIdentities);
  }

  static std::vector<std::string> Items(TWizardForm& form) {
    std::vector<std::string> items;
    for (int i = 0; i < form.clbProfiles->Items().Count(); ++i) items.push_back(form.clbProfiles->Items()[i]);
    return items;
  }
  static std::vector<bool> Checks(TWizardForm& form) {
    std::vector<bool> checks;
    for (int i = 0; i < form.clbProfiles->Items().Count(); ++i) checks.push_back(form.clbProfiles->Checked(i));
    return checks;
  }

  void WriteBothClients() {
    SetUserString(kTheBatKey, L"Working Directory", L"C:\\Mail\\%USERNAME%\\");
    SetUserString(StoreKey(L"{11111111-0000-0000-0000-000000000001}"), L"Store Root", L"C:\\OE\\first");
    SetUserString(StoreKey(L"{22222222-0000-0000-0000-000000000002}"), L"Other", L"no store here");
    SetUserString(StoreKey(L"{33333333-0000-0000-0000-000000000003}"), L"Store Root",
                  L"%MOVRA_WIZARD_TEST%\\Outlook Express", REG_EXPAND_SZ);
  }

  bool owned_ = false;
};

TEST_F(Wizard, NothingInstalledProposesNothing) {
  SetUserString(kTheBatKey, L"Working Directory", L"");
  SetUserString(StoreKey(L"{44444444-0000-0000-0000-000000000004}"), L"Other", L"x");
  auto form = MakeOwned<TWizardForm>(nullptr, std::vector<std::string>{});
  form->ProposeProfiles();
  EXPECT_TRUE(Items(*form).empty());
  EXPECT_TRUE(form->TakeChecked().empty());
}

TEST_F(Wizard, ProposesOneProfilePerClientWithTheStoresFound) {
  SetEnvironmentVariableW(L"MOVRA_WIZARD_TEST", L"D:\\Users\\tester");
  WriteBothClients();
  auto form = MakeOwned<TWizardForm>(nullptr, std::vector<std::string>{"Documents"});
  form->ProposeProfiles();
  ASSERT_EQ(Items(*form), (std::vector<std::string>{"The Bat!", "Outlook Express"}));
  EXPECT_EQ(Checks(*form), (std::vector<bool>{true, true}));
  // The Bat!'s folder is used as read; the identities' stores with their variables expanded,
  // and the identity without a store adds nothing.
  EXPECT_EQ(form->Proposal(0).Name(), "The Bat!");
  EXPECT_EQ(form->Proposal(0).Files().Lines(), std::vector<std::string>{"C:\\Mail\\%USERNAME%\\"});
  EXPECT_EQ(form->Proposal(1).Files().Lines(),
            (std::vector<std::string>{"C:\\OE\\first", "D:\\Users\\tester\\Outlook Express"}));
}

TEST_F(Wizard, ExistingNamesInAnyCaseAreUncheckedByDefault) {
  WriteBothClients();
  auto form = MakeOwned<TWizardForm>(nullptr, std::vector<std::string>{"THE BAT!", "Outlook"});
  form->ProposeProfiles();
  EXPECT_EQ(Checks(*form), (std::vector<bool>{false, true}));
  form->btnCheckAll->Click();
  EXPECT_EQ(Checks(*form), (std::vector<bool>{true, true}));
  form->btnDefault->Click();
  EXPECT_EQ(Checks(*form), (std::vector<bool>{false, true}));
  form->btnUncheckAll->Click();
  EXPECT_EQ(Checks(*form), (std::vector<bool>{false, false}));
  form->btnDefault->Click();
  EXPECT_EQ(Checks(*form), (std::vector<bool>{false, true}));
}

void WhenOpen(std::function<void(TWizardForm&)> act) { test::WhenOpen<TWizardForm>(std::move(act)); }

TEST_F(Wizard, OkHandsOverTheCheckedProfilesInListOrder) {
  WriteBothClients();
  std::vector<std::unique_ptr<TProfile>> created;
  created.push_back(std::make_unique<TProfile>());  // what the caller had stays
  // By default only what is not there yet.
  WhenOpen([](TWizardForm& form) { form.btnOK->Click(); });
  EXPECT_EQ(ExecuteWizard({"Outlook Express"}, created), mrOk);
  ASSERT_EQ(created.size(), 2u);
  EXPECT_EQ(created[1]->Name(), "The Bat!");

  created.clear();
  WhenOpen([](TWizardForm& form) {
    form.btnCheckAll->Click();
    form.btnOK->Click();
  });
  EXPECT_EQ(ExecuteWizard({}, created), mrOk);
  ASSERT_EQ(created.size(), 2u);
  EXPECT_EQ(created[0]->Name(), "The Bat!");
  EXPECT_EQ(created[1]->Name(), "Outlook Express");
}

TEST_F(Wizard, CancelHandsOverNothing) {
  WriteBothClients();
  std::vector<std::unique_ptr<TProfile>> created;
  WhenOpen([](TWizardForm& form) { form.btnCancel->Click(); });
  EXPECT_EQ(ExecuteWizard({}, created), mrCancel);
  EXPECT_TRUE(created.empty());
}

TEST(WizardRegistry, MissingKeysAndValuesReadAsEmpty) {
  EXPECT_EQ(ReadUserString("Software\\Movra test key that is not there", "Working Directory"), "");
  EXPECT_TRUE(UserSubkeys("Software\\Movra test key that is not there").empty());
  SetEnvironmentVariableW(L"MOVRA_WIZARD_EMPTY", L"");
  EXPECT_EQ(ExpandEnvironment("%MOVRA_WIZARD_EMPTY%"), "");
  EXPECT_EQ(ExpandEnvironment("a%MOVRA_NOT_SET_ANYWHERE%b"), "a%MOVRA_NOT_SET_ANYWHERE%b");
}

}  // namespace
}  // namespace movra::app
