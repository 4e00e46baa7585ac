#include "app/wizard_dialog.h"

#include <windows.h>

#include <algorithm>
#include <type_traits>

#include "app/dialogs.h"
#include "app/window_building.h"
#include "runtime/text.h"

namespace movra::app {
namespace {

using namespace movra::ui;

struct TKeyCloser {
  void operator()(HKEY key) const { RegCloseKey(key); }
};
using TKey = std::unique_ptr<std::remove_pointer_t<HKEY>, TKeyCloser>;

TKey OpenUserKey(const std::string& keyPath, REGSAM access) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, Utf8ToWide(keyPath).c_str(), 0, access, &key) != ERROR_SUCCESS)
    return nullptr;
  return TKey(key);
}

bool SameName(const std::string& a, const std::string& b) {
  const std::wstring wa = Utf8ToWide(a), wb = Utf8ToWide(b);
  return CompareStringOrdinal(wa.c_str(), static_cast<int>(wa.size()), wb.c_str(),
                              static_cast<int>(wb.size()), TRUE) == CSTR_EQUAL;
}

constexpr char kTheBat[] = "The Bat!";
constexpr char kTheBatKey[] = "Software\\RIT\\The Bat!";
constexpr char kOutlookExpress[] = "Outlook Express";
constexpr char kIdentitiesKey[] = "Identities";
constexpr char kStoreKeyTail[] = "\\Software\\Microsoft\\Outlook Express\\5.0";

}  // namespace

std::string ReadUserString(const std::string& keyPath, const std::string& name) {
  TKey key = OpenUserKey(keyPath, KEY_QUERY_VALUE);
  if (!key) return {};
  const std::wstring valueName = Utf8ToWide(name);
  DWORD type = 0, size = 0;
  if (RegQueryValueExW(key.get(), valueName.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ))
    return {};
  std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
  size = static_cast<DWORD>(text.size() * sizeof(wchar_t));
  if (RegQueryValueExW(key.get(), valueName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(text.data()),
                       &size) != ERROR_SUCCESS)
    return {};
  text.resize(size / sizeof(wchar_t));
  while (!text.empty() && text.back() == L'\0') text.pop_back();
  return WideToUtf8(text);
}

std::vector<std::string> UserSubkeys(const std::string& keyPath) {
  std::vector<std::string> names;
  TKey key = OpenUserKey(keyPath, KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE);
  if (!key) return names;
  wchar_t name[256];  // the longest key name the registry allows, and its end
  for (DWORD index = 0;; ++index) {
    DWORD length = std::size(name);
    const LONG status = RegEnumKeyExW(key.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr);
    if (status != ERROR_SUCCESS) break;
    names.push_back(WideToUtf8(std::wstring_view(name, length)));
  }
  return names;
}

std::string ExpandEnvironment(const std::string& text) {
  const std::wstring source = Utf8ToWide(text);
  std::wstring expanded(ExpandEnvironmentStringsW(source.c_str(), nullptr, 0), L'\0');
  const DWORD length = ExpandEnvironmentStringsW(source.c_str(), expanded.data(),
                                                 static_cast<DWORD>(expanded.size()));
  if (length == 0 || length > expanded.size()) return text;
  expanded.resize(length - 1);  // without the terminating null
  return WideToUtf8(expanded);
}

TWizardForm::TWizardForm(TComponent* owner, std::vector<std::string> existingNames)
    : TForm(owner), existingNames_(std::move(existingNames)) {
  BeginLoading();
  SetName("WizardForm");
  SetCaption("Wizard");
  SetBorderStyle(TFormBorderStyle::bsDialog);
  SetPosition(TPosition::poScreenCenter);
  SetShowHint(true);
  SetClientSize(340, 270);

  gbProfiles = Control<TGroupBox>(this, this, "gbProfiles", {8, 8, 324, 220});
  gbProfiles->SetCaption(" Profiles ");
  lblInfo = Control<TLabel>(this, gbProfiles, "lblInfo", {12, 20, 300, 30});
  lblInfo->SetWordWrap(true);
  lblInfo->SetAnchors(akLeft | akTop | akRight);
  lblInfo->SetCaption("Select profiles and press OK button. Existing profiles are unchecked by default.");
  clbProfiles = Control<TCheckListBox>(this, gbProfiles, "clbProfiles", {12, 56, 200, 150});
  btnCheckAll = DialogButton(this, gbProfiles, "btnCheckAll", "Check all", {222, 56, 90, 25});
  btnCheckAll->SetHint("Checks all profiles");
  btnCheckAll->OnClick = TNotifyEvent(this, &TWizardForm::CheckAllClick);
  btnUncheckAll = DialogButton(this, gbProfiles, "btnUncheckAll", "Reset all", {222, 88, 90, 25});
  btnUncheckAll->SetHint("Unchecks all profiles");
  btnUncheckAll->OnClick = TNotifyEvent(this, &TWizardForm::UncheckAllClick);
  btnDefault = DialogButton(this, gbProfiles, "btnDefault", "Default", {222, 120, 90, 25});
  btnDefault->SetHint("Resets all profiles to default state");
  btnDefault->OnClick = TNotifyEvent(this, &TWizardForm::DefaultClick);

  btnOK = DialogButton(this, this, "btnOK", "OK", {176, 238, 75, 25}, mrOk);
  btnOK->SetDefault(true);
  btnCancel = DialogButton(this, this, "btnCancel", "Cancel", {257, 238, 75, 25}, mrCancel);
  btnCancel->SetCancel(true);
  // A language that needs a larger window keeps them in its corner.
  for (TButton* button : {btnOK, btnCancel}) button->SetAnchors(akRight | akBottom);
  EndLoading();
}

void TWizardForm::AddProposal(std::unique_ptr<TProfile> profile) {
  clbProfiles->Items().AddObject(profile->Name(), profile.get());
  proposals_.push_back(std::move(profile));
}

void TWizardForm::ProposeProfiles() {
  const std::string workingDirectory = ReadUserString(kTheBatKey, "Working Directory");
  if (!workingDirectory.empty()) {
    auto profile = std::make_unique<TProfile>();
    profile->SetName(kTheBat);
    profile->Files().Add(workingDirectory);
    AddProposal(std::move(profile));
  }

  auto outlook = std::make_unique<TProfile>();
  for (const std::string& identity : UserSubkeys(kIdentitiesKey)) {
    const std::string storeRoot = ExpandEnvironment(
        ReadUserString(std::string(kIdentitiesKey) + "\\" + identity + kStoreKeyTail, "Store Root"));
    if (!storeRoot.empty()) outlook->Files().Add(storeRoot);
  }
  if (!outlook->Files().Empty()) {
    outlook->SetName(kOutlookExpress);
    AddProposal(std::move(outlook));
  }
  ApplyDefaultChecks();
}

void TWizardForm::ApplyDefaultChecks() {
  for (int i = 0; i < clbProfiles->Items().Count(); ++i) {
    const std::string& name = Proposal(i).Name();
    clbProfiles->SetChecked(i, std::none_of(existingNames_.begin(), existingNames_.end(),
                                            [&](const std::string& existing) { return SameName(existing, name); }));
  }
}

void TWizardForm::SetAllChecked(bool on) {
  for (int i = 0; i < clbProfiles->Items().Count(); ++i) clbProfiles->SetChecked(i, on);
}

std::vector<std::unique_ptr<TProfile>> TWizardForm::TakeChecked() {
  std::vector<std::unique_ptr<TProfile>> checked;
  for (size_t i = 0; i < proposals_.size(); ++i)
    if (clbProfiles->Checked(static_cast<int>(i))) checked.push_back(std::move(proposals_[i]));
  clbProfiles->Items().Clear();
  proposals_.clear();
  return checked;
}

int ExecuteWizard(const std::vector<std::string>& existingNames, std::vector<std::unique_ptr<TProfile>>& created) {
  auto form = MakeOwned<TWizardForm>(nullptr, existingNames);
  TranslateDialog(*form);
  form->ProposeProfiles();
  const int result = form->ShowModal();
  if (result == mrOk) {
    for (auto& profile : form->TakeChecked()) created.push_back(std::move(profile));
  }
  return result;
}

}  // namespace movra::app
