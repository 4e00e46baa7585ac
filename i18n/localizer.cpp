#include "i18n/localizer.h"

#include <windows.h>

#include <memory>
#include <mutex>
#include <shared_mutex>

#include "runtime/text.h"

namespace movra {

namespace {

// Catalog ids end their lines with LF alone.
std::string WithoutCarriageReturns(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (c != '\r') out += c;
  }
  return out;
}

// Every LF not already preceded by CR gets one.
std::string WithCrLf(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out += '\r';
    out += text[i];
  }
  return out;
}

// What the layer holds between start-up and shut-down, freed in reverse order of creation.
struct Layer {
  std::unique_ptr<TFileLocator> Locator;
  std::shared_mutex ResourceStringLock;
  std::vector<std::string> ResourceStringDomains;
  std::unique_ptr<TLocalizer> Instance;
};

// The layer is shared: a lookup on any thread holds it for as long as it translates, so a
// shut-down on another thread only detaches it, and the last holder frees it.
std::mutex layerLock;
std::shared_ptr<Layer> layer;

std::shared_ptr<Layer> HeldLayer() {
  std::lock_guard lock(layerLock);
  return layer;
}

}  // namespace

TLocalizer::TLocalizer(TFileLocator& locator, const std::string& programFolder,
                       TLocalizerEnvironment environment)
    : locator_(locator),
      environment_(std::move(environment)),
      ownerThread_(GetCurrentThreadId()),
      localeFolder_(programFolder + "locale") {
  SwitchLanguage("");
  BindDomainFolder("default", localeFolder_);
  SelectDomain("default");
}

TLocalizer::~TLocalizer() = default;

std::string TLocalizer::TranslateInDomain(const std::string& domain, std::string_view id) {
  return WithCrLf(GetDomain(domain).Translate(WithoutCarriageReturns(id)));
}

TDomain& TLocalizer::GetDomain(const std::string& name) {
  std::lock_guard lock(lock_);
  for (const auto& domain : domains_) {
    if (SameTextAscii(domain->Name(), name)) return *domain;
  }
  auto showMessage = [this](const std::string& title, const std::string& text) {
    ShowMessage(title, text);
  };
  domains_.push_back(
      std::make_unique<TDomain>(locator_, showMessage, name, localeFolder_ + "\\", language_));
  return *domains_.back();
}

void TLocalizer::BindDomainFolder(const std::string& name, const std::string& folder) {
  GetDomain(name).SetFolder(folder);
  DomainFolderBound(name, folder);
}

void TLocalizer::SelectDomain(const std::string& name) {
  {
    std::lock_guard lock(lock_);
    currentDomain_ = name;
  }
  DomainSelected(name);
}

void TLocalizer::SwitchLanguage(const std::string& code) {
  const std::string language = code.empty() ? DetectLanguage(environment_) : code;
  {
    std::lock_guard lock(lock_);
    language_ = language;
    for (const auto& domain : domains_) domain->SetLanguage(language);
  }
  LanguageSwitched(language);
}

std::string TLocalizer::Language() const {
  std::lock_guard lock(lock_);
  return language_;
}

std::string TLocalizer::CurrentDomain() const {
  std::lock_guard lock(lock_);
  return currentDomain_;
}

void TLocalizer::ShowMessage(const std::string& title, const std::string& text) const {
  environment_.ShowMessage(title, text);
}

TLocalizer* LocalizationInstance() {
  const std::shared_ptr<Layer> held = HeldLayer();
  return held ? held->Instance.get() : nullptr;
}

std::string _(std::string_view id) {
  const std::shared_ptr<Layer> held = HeldLayer();
  if (!held) return WithCrLf(WithoutCarriageReturns(id));
  return held->Instance->TranslateInDomain(held->Instance->CurrentDomain(), id);
}

void SwitchLanguage(const std::string& code) {
  if (const std::shared_ptr<Layer> held = HeldLayer()) held->Instance->SwitchLanguage(code);
}

std::string CurrentLanguage() {
  const std::shared_ptr<Layer> held = HeldLayer();
  return held ? held->Instance->Language() : std::string();
}

std::string TranslateResourceText(std::string_view text) {
  const std::shared_ptr<Layer> held = HeldLayer();
  if (!held) return std::string(text);
  std::shared_lock lock(held->ResourceStringLock);
  for (const std::string& domain : held->ResourceStringDomains) {
    std::string translated = held->Instance->TranslateInDomain(domain, text);
    if (translated != text) return translated;
  }
  return std::string(text);
}

void StartLocalization(TLocalizerEnvironment environment) {
  if (HeldLayer()) return;
  auto started = std::make_shared<Layer>();
  const std::string programFile = ProgramFileName();
  started->Locator = std::make_unique<TFileLocator>();
  const std::string problem = started->Locator->ReadEmbeddedTable(programFile);
  started->ResourceStringDomains = {"default"};
  const std::string programFolder = programFile.substr(0, programFile.find_last_of('\\') + 1);
  started->Instance =
      std::make_unique<TLocalizer>(*started->Locator, programFolder, std::move(environment));
  {
    std::lock_guard lock(layerLock);
    layer = started;
  }
  if (!problem.empty()) started->Instance->ShowMessage(kLocalizationProblem, problem);
}

void StopLocalization() {
  // First detached, so that no lookup starts on it any more; freed once no lookup holds it.
  // The translator goes before the locator (the members' order), since freeing it gives every
  // catalog back to the locator.
  std::shared_ptr<Layer> stopped;
  {
    std::lock_guard lock(layerLock);
    stopped = std::move(layer);
  }
}

}  // namespace movra
