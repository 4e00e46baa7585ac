#include "i18n/language.h"

#include <windows.h>

#include <utility>

#include "runtime/text.h"

namespace movra {

std::string ReadLangVariable() {
  wchar_t buffer[256];
  DWORD n = GetEnvironmentVariableW(L"LANG", buffer, 256);
  return n == 0 || n >= 256 ? std::string() : WideToUtf8(std::wstring_view(buffer, n));
}

std::string ReadUserLocaleInfo(uint32_t lcType) {
  wchar_t buffer[5];
  int n = GetLocaleInfoW(LOCALE_USER_DEFAULT, lcType, buffer, 5);
  return n <= 1 ? std::string() : WideToUtf8(std::wstring_view(buffer, static_cast<size_t>(n - 1)));
}

uint32_t ReadThreadLocale() { return GetThreadLocale(); }

void ShowLocalizationMessage(const std::string& title, const std::string& text) {
  MessageBoxW(nullptr, Utf8ToWide(text).c_str(), Utf8ToWide(title).c_str(), MB_OK | MB_ICONWARNING);
}

std::string ThreadLocaleLanguage(uint32_t lcid) {
  static constexpr std::pair<uint32_t, const char*> kLanguages[] = {
      {1030, "da_DK"}, {1031, "de_DE"}, {1032, "gr_GR"}, {1033, "en_US"}, {1034, "es_ES"},
      {3082, "es_ES"}, {1035, "fi_FI"}, {1036, "fr_FR"}, {1039, "is_IS"}, {1040, "it_IT"},
      {1042, "ko_KO"}, {1043, "nl_NL"}, {1044, "nb_NO"}, {1045, "pl_PL"}, {1046, "pt_BR"},
      {1049, "ru_RU"}, {1053, "sv_SE"}, {2057, "en_GB"}, {2060, "fr_BE"}, {2067, "nl_BE"},
      {2068, "nn_NO"}, {2070, "pt_PT"}, {2077, "sv_FI"}, {3084, "fr_CA"}, {4103, "de_LU"},
  };
  for (const auto& [id, code] : kLanguages) {
    if (id == lcid) return code;
  }
  return "C";
}

std::string DetectLanguage(const TLocalizerEnvironment& environment) {
  std::string code = environment.LangVariable();
  if (code.empty()) {
    // Two letters each; a longer name (three-letter languages) does not fit the catalog folders.
    const std::string language = environment.UserLocaleInfo(LOCALE_SISO639LANGNAME);
    const std::string country = environment.UserLocaleInfo(LOCALE_SISO3166CTRYNAME);
    code = language.size() == 2 && country.size() == 2
               ? language + "_" + country
               : ThreadLocaleLanguage(environment.ThreadLocale());
  }
  return code.substr(0, code.find('.'));
}

bool IsUsableLanguageCode(const std::string& code) {
  if (code.empty() || code.find("..") != std::string::npos) return false;
  for (char c : code) {
    const bool letterOrDigit =
        (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    if (!letterOrDigit && c != '_' && c != '@' && c != '.') return false;
  }
  return true;
}

}  // namespace movra
