#include "profiles/registry_settings.h"

#include <windows.h>
#include <shlwapi.h>

#include <exception>
#include <memory>
#include <optional>
#include <type_traits>

#include "runtime/text.h"

namespace movra {
namespace {

struct TKeyCloser {
  void operator()(HKEY key) const { RegCloseKey(key); }
};
using TKey = std::unique_ptr<std::remove_pointer_t<HKEY>, TKeyCloser>;

// The string value `name` ("" for the default value) of the key, or nothing when the key or
// the value is missing or not a string.
std::optional<std::string> ReadString(const std::string& keyPath, const std::string& name) {
  HKEY opened = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, Utf8ToWide(keyPath).c_str(), 0, KEY_QUERY_VALUE, &opened) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  TKey key(opened);
  const std::wstring valueName = Utf8ToWide(name);
  DWORD type = 0;
  DWORD size = 0;
  if (RegQueryValueExW(key.get(), valueName.c_str(), nullptr, &type, nullptr, &size) !=
          ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ)) {
    return std::nullopt;
  }
  std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
  size = static_cast<DWORD>(text.size() * sizeof(wchar_t));
  if (RegQueryValueExW(key.get(), valueName.c_str(), nullptr, &type,
                       reinterpret_cast<BYTE*>(text.data()), &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  text.resize(size / sizeof(wchar_t));
  while (!text.empty() && text.back() == L'\0') text.pop_back();
  return WideToUtf8(text);
}

bool WriteString(const std::string& keyPath, const std::string& name, const std::string& value) {
  HKEY created = nullptr;
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, Utf8ToWide(keyPath).c_str(), 0, nullptr,
                      REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, &created,
                      nullptr) != ERROR_SUCCESS) {
    return false;
  }
  TKey key(created);
  const std::wstring text = Utf8ToWide(value);
  return RegSetValueExW(key.get(), Utf8ToWide(name).c_str(), 0, REG_SZ,
                        reinterpret_cast<const BYTE*>(text.c_str()),
                        static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

// True when the value is gone, also when it was never there.
bool DeleteValue(const std::string& keyPath, const std::string& name) {
  HKEY opened = nullptr;
  const LONG status =
      RegOpenKeyExW(HKEY_LOCAL_MACHINE, Utf8ToWide(keyPath).c_str(), 0, KEY_SET_VALUE, &opened);
  if (status == ERROR_FILE_NOT_FOUND) return true;
  if (status != ERROR_SUCCESS) return false;
  TKey key(opened);
  const LONG deleted = RegDeleteValueW(key.get(), Utf8ToWide(name).c_str());
  return deleted == ERROR_SUCCESS || deleted == ERROR_FILE_NOT_FOUND;
}

// True when the key and everything below it are gone, also when it was never there.
bool DeleteTree(const std::string& keyPath) {
  const DWORD status = SHDeleteKeyW(HKEY_LOCAL_MACHINE, Utf8ToWide(keyPath).c_str());
  return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

bool HasText(const std::optional<std::string>& value) { return value && !value->empty(); }

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

// Each registry step stands alone: one that fails, however, leaves the other to be done.
template <class Step>
bool Guarded(Step step) noexcept {
  try {
    return step();
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace

std::string AutostartCommand(const std::string& programFile) { return Quoted(programFile); }

std::string ContextMenuCommand(const std::string& programFile) {
  const std::string folder = programFile.substr(0, programFile.find_last_of("\\/") + 1);
  return Quoted(folder + "movra_aux.exe") + " -d \"%l\"";
}

TRegistryWriteResult WriteRegistrySettings(const TOptions& options) {
  const std::string program = ProgramFileName();
  TRegistryWriteResult result;
  result.Startup = Guarded([&] {
    return DeleteValue(kAutostartKey, kAutostartValue) &&
           (!options.Startup ||
            WriteString(kAutostartKey, kAutostartValue, AutostartCommand(program)));
  });
  result.ContextMenu = Guarded([&] {
    return DeleteTree(kContextMenuKey) &&
           (!options.ContextMenu ||
            WriteString(kContextMenuCommandKey, "", ContextMenuCommand(program)));
  });
  return result;
}

void ReadRegistrySettings(TOptions& options) {
  options.Startup = Guarded([] { return HasText(ReadString(kAutostartKey, kAutostartValue)); });
  options.ContextMenu = Guarded([] { return HasText(ReadString(kContextMenuCommandKey, "")); });
}

}  // namespace movra
