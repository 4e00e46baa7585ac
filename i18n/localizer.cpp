#include "i18n/localizer.h"

#include <windows.h>

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

std::unique_ptr<Layer> layer;

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

TLocalizer* LocalizationInstance() { return layer ? layer->Instance.get() : nullptr; }

std::string _(std::string_view id) {
  TLocalizer* instance = LocalizationInstance();
  if (instance == nullptr) return WithCrLf(WithoutCarriageReturns(id));
  return instance->TranslateInDomain(instance->CurrentDomain(), id);
}

void SwitchLanguage(const std::string& code) {
  if (TLocalizer* instance = LocalizationInstance()) instance->SwitchLanguage(code);
}

std::string CurrentLanguage() {
  TLocalizer* instance = LocalizationInstance();
  return instance != nullptr ? instance->Language() : std::string();
}

std::string TranslateResourceText(std::string_view text) {
  if (!layer) return std::string(text);
  std::shared_lock lock(layer->ResourceStringLock);
  for (const std::string& domain : layer->ResourceStringDomains) {
    std::string translated = layer->Instance->TranslateInDomain(domain, text);
    if (translated != text) return translated;
  }
  return std::string(text);
}

void StartLocalization(TLocalizerEnvironment environment) {
  if (layer) return;
  auto started = std::make_unique<Layer>();
  const std::string programFile = ProgramFileName();
  started->Locator = std::make_unique<TFileLocator>();
  const std::string problem = started->Locator->ReadEmbeddedTable(programFile);
  started->ResourceStringDomains = {"default"};
  const std::string programFolder = programFile.substr(0, programFile.find_last_of('\\') + 1);
  started->Instance =
      std::make_unique<TLocalizer>(*started->Locator, programFolder, std::move(environment));
  layer = std::move(started);
  if (!problem.empty()) layer->Instance->ShowMessage(kLocalizationProblem, problem);
}

void StopLocalization() {
  if (!layer) return;
  // Freeing the translator frees every domain, which gives every catalog back to the locator.
  layer->Instance.reset();
  layer.reset();
}

}  // namespace movra
