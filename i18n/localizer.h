#pragma once
// The translator of the process: text domains, the interface language and the translation call.
// Every text handed to it and returned by it is UTF-8.
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "i18n/domain.h"
#include "i18n/file_locator.h"
#include "i18n/language.h"

namespace movra {

class TLocalizer {
 public:
  // `programFolder` ends with a backslash; catalogs are looked for below its "locale" folder.
  // Detects the language and binds and selects the domain "default".
  TLocalizer(TFileLocator& locator, const std::string& programFolder,
             TLocalizerEnvironment environment = {});
  virtual ~TLocalizer();
  TLocalizer(const TLocalizer&) = delete;
  TLocalizer& operator=(const TLocalizer&) = delete;

  // The translation of `id` in the domain `domain`; line ends come back as CR LF.
  std::string TranslateInDomain(const std::string& domain, std::string_view id);
  // The domain of that name, created for the current language when there is none yet.
  TDomain& GetDomain(const std::string& name);
  void BindDomainFolder(const std::string& name, const std::string& folder);
  void SelectDomain(const std::string& name);
  // An empty code detects the language from LANG and the user locale.
  void SwitchLanguage(const std::string& code);

  std::string Language() const;
  std::string CurrentDomain() const;
  const std::string& LocaleFolder() const { return localeFolder_; }
  uint32_t OwnerThread() const { return ownerThread_; }
  void ShowMessage(const std::string& title, const std::string& text) const;

 protected:
  virtual void LanguageSwitched(const std::string& /*code*/) {}
  virtual void DomainSelected(const std::string& /*name*/) {}
  virtual void DomainFolderBound(const std::string& /*name*/, const std::string& /*folder*/) {}

 private:
  TFileLocator& locator_;
  const TLocalizerEnvironment environment_;
  const uint32_t ownerThread_;
  const std::string localeFolder_;
  // Guards the language, the current domain and the domain list; never held while a domain
  // translates.
  mutable std::mutex lock_;
  std::string language_;
  std::string currentDomain_ = "default";
  std::vector<std::unique_ptr<TDomain>> domains_;
};

// The translator of the process; null before StartLocalization and after StopLocalization.
TLocalizer* LocalizationInstance();

// The translation of an English id in the current domain and language, or the id itself; line
// ends come back as CR LF either way.
std::string _(std::string_view id);
void SwitchLanguage(const std::string& code);
std::string CurrentLanguage();
// A resource string through the resource-string domains: the first translation that differs
// from the text, else the text. Before start-up and after shut-down the text as it is.
std::string TranslateResourceText(std::string_view text);

// Start-up of the layer, before any window exists: reads the catalog table of the program file
// and creates the translator. Shut-down frees it all again, in reverse order.
void StartLocalization(TLocalizerEnvironment environment = {});
void StopLocalization();

}  // namespace movra
