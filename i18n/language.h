#pragma once
// Where the translation layer learns the user's language, and how it talks to the user.
#include <cstdint>
#include <functional>
#include <string>

namespace movra {

// Title of the message boxes that tell the user why texts stay untranslated.
inline constexpr char kLocalizationProblem[] = "Localization problem";

std::string ReadLangVariable();
std::string ReadUserLocaleInfo(uint32_t lcType);
uint32_t ReadThreadLocale();
void ShowLocalizationMessage(const std::string& title, const std::string& text);

// The system by default; tests replace single members.
struct TLocalizerEnvironment {
  // The value of LANG, empty when it is not set.
  std::function<std::string()> LangVariable = ReadLangVariable;
  // A locale value of the user's default locale (LOCALE_SISO639LANGNAME and the like) as the
  // system gives it into a 5-character buffer; empty when the call fails.
  std::function<std::string(uint32_t lcType)> UserLocaleInfo = ReadUserLocaleInfo;
  std::function<uint32_t()> ThreadLocale = ReadThreadLocale;
  // A message box without owner window with one OK button.
  std::function<void(const std::string& title, const std::string& text)> ShowMessage =
      ShowLocalizationMessage;
};

// The language code of a thread locale identifier, "C" for one without a catalog language.
std::string ThreadLocaleLanguage(uint32_t lcid);

// LANG without its character set, else the user locale's language and country, else the
// language of the thread locale.
std::string DetectLanguage(const TLocalizerEnvironment& environment);

// Whether a code may be put into a catalog path: letters, digits, "_", "@" and "." only, and
// never "..".
bool IsUsableLanguageCode(const std::string& code);

}  // namespace movra
