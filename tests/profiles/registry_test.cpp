#include <gtest/gtest.h>
#include <windows.h>
#include <shlwapi.h>

#include <optional>
#include <vector>

#include "profiles/registry_settings.h"
#include "profiles/settings.h"
#include "runtime/text.h"
#include "tests/support/support.h"

namespace movra::testing {
namespace {

std::optional<std::string> Value(const std::string& key, const std::string& name) {
  wchar_t text[2048];
  DWORD size = sizeof text;
  if (RegGetValueW(HKEY_LOCAL_MACHINE, Utf8ToWide(key).c_str(), Utf8ToWide(name).c_str(),
                   RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  return WideToUtf8(text);
}

void SetValue(const std::string& key, const std::string& name, const std::string& value) {
  const std::wstring text = Utf8ToWide(value);
  ASSERT_EQ(
      RegSetKeyValueW(HKEY_LOCAL_MACHINE, Utf8ToWide(key).c_str(), Utf8ToWide(name).c_str(), REG_SZ,
                      text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))),
      ERROR_SUCCESS);
}

bool KeyExists(const std::string& key) {
  HKEY opened = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, Utf8ToWide(key).c_str(), 0, KEY_READ, &opened) !=
      ERROR_SUCCESS) {
    return false;
  }
  RegCloseKey(opened);
  return true;
}

std::string ProgramFolder() {
  const std::string program = ProgramFileName();
  return program.substr(0, program.find_last_of('\\') + 1);
}

// The tests write the program's real entries; what was there before is put back afterwards.
class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    autostart_ = Value(kAutostartKey, kAutostartValue);
    command_ = Value(kContextMenuCommandKey, "");
  }
  void TearDown() override {
    RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, Utf8ToWide(kAutostartKey).c_str(),
                       Utf8ToWide(kAutostartValue).c_str());
    SHDeleteKeyW(HKEY_LOCAL_MACHINE, Utf8ToWide(kContextMenuKey).c_str());
    if (autostart_) SetValue(kAutostartKey, kAutostartValue, *autostart_);
    if (command_) SetValue(kContextMenuCommandKey, "", *command_);
  }

  static TOptions Switches(bool startup, bool contextMenu) {
    TOptions options;
    options.Startup = startup;
    options.ContextMenu = contextMenu;
    return options;
  }

  std::optional<std::string> autostart_;
  std::optional<std::string> command_;
};

TEST_F(RegistryTest, ValuesNameTheProgramInQuotes) {
  const TRegistryWriteResult result = WriteRegistrySettings(Switches(true, true));
  EXPECT_TRUE(result.Startup);
  EXPECT_TRUE(result.ContextMenu);
  EXPECT_EQ(Value("Software\\Microsoft\\Windows\\CurrentVersion\\Run", "Movra File Defragmentor"),
            "\"" + ProgramFileName() + "\"");
  EXPECT_EQ(Value("Software\\Classes\\*\\shell\\Defragment file\\command", ""),
            "\"" + ProgramFolder() + "movra_aux.exe\" -d \"%l\"");

  TOptions options = Switches(false, false);
  ReadRegistrySettings(options);
  EXPECT_TRUE(options.Startup);
  EXPECT_TRUE(options.ContextMenu);
}

TEST_F(RegistryTest, CommandsForAProgramUnderABlankedPath) {
  EXPECT_EQ(AutostartCommand("C:\\Program Files\\Movra\\Palvex.exe"),
            "\"C:\\Program Files\\Movra\\Palvex.exe\"");
  EXPECT_EQ(ContextMenuCommand("C:\\Program Files\\Movra\\Palvex.exe"),
            "\"C:\\Program Files\\Movra\\movra_aux.exe\" -d \"%l\"");
}

TEST_F(RegistryTest, SwitchingOffRemovesTheValueAndTheWholeVerbKey) {
  ASSERT_TRUE(WriteRegistrySettings(Switches(true, true)).Ok());
  SetValue(std::string(kContextMenuKey) + "\\extra\\deeper", "left", "over");

  const TRegistryWriteResult result = WriteRegistrySettings(Switches(false, false));
  EXPECT_TRUE(result.Ok());
  EXPECT_EQ(Value(kAutostartKey, kAutostartValue), std::nullopt);
  EXPECT_TRUE(KeyExists(kAutostartKey));  // the Run key itself belongs to the system
  EXPECT_FALSE(KeyExists(kContextMenuKey));

  TOptions options = Switches(true, true);
  ReadRegistrySettings(options);
  EXPECT_FALSE(options.Startup);
  EXPECT_FALSE(options.ContextMenu);
  // Switching off what is already off succeeds too.
  EXPECT_TRUE(WriteRegistrySettings(Switches(false, false)).Ok());
}

TEST_F(RegistryTest, EmptyValuesReadAsOff) {
  SetValue(kAutostartKey, kAutostartValue, "");
  SetValue(kContextMenuCommandKey, "", "");
  TOptions options = Switches(true, true);
  ReadRegistrySettings(options);
  EXPECT_FALSE(options.Startup);
  EXPECT_FALSE(options.ContextMenu);
}

TEST_F(RegistryTest, SettingsSavedAndLoadedKeepTheSwitches) {
  TempDir dir;
  const std::string path = dir.Path() + "config.cfg";
  TProfile profile;
  profile.SetName("kept");
  TOptions saved = Switches(true, false);
  saved.LogLevel = 2;
  EXPECT_TRUE(SaveSettings(path, {&profile}, saved).Ok());

  TOptions loaded = Switches(false, true);
  std::vector<std::string> names;
  EXPECT_EQ(LoadSettings(
                path, [&](std::unique_ptr<TProfile> p) { names.push_back(p->Name()); }, loaded)
                .State,
            TConfigState::Read);
  EXPECT_EQ(names, std::vector<std::string>{"kept"});
  EXPECT_TRUE(loaded.Startup);
  EXPECT_FALSE(loaded.ContextMenu);
  EXPECT_EQ(loaded.LogLevel, 2);

  // A file that cannot be written leaves the switches as they were.
  EXPECT_ANY_THROW(SaveSettings(dir.Path() + "missing\\config.cfg", {&profile}, Switches(false, true)));
  TOptions after = Switches(false, true);
  ReadRegistrySettings(after);
  EXPECT_TRUE(after.Startup);
  EXPECT_FALSE(after.ContextMenu);
}

}  // namespace
}  // namespace movra::testing
