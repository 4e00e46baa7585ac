#include "i18n/domain.h"

#include "i18n/errors.h"
#include "i18n/file_access.h"
#include "i18n/language.h"
#include "runtime/string_list.h"
#include "runtime/text.h"

namespace movra {

namespace {

std::string WithTrailingBackslash(std::string folder) {
  if (folder.empty() || folder.back() != '\\') folder += '\\';
  return folder;
}

std::string Trim(std::string_view text) {
  size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  size_t last = text.find_last_not_of(' ');
  return std::string(text.substr(first, last - first + 1));
}

}  // namespace

TDomain::TDomain(TFileLocator& locator, MessageFunction showMessage, std::string name,
                 std::string folder, std::string language)
    : locator_(locator),
      showMessage_(std::move(showMessage)),
      name_(std::move(name)),
      folder_(WithTrailingBackslash(std::move(folder))),
      language_(std::move(language)) {}

TDomain::~TDomain() { CloseCatalog(); }

std::string TDomain::Folder() const {
  std::lock_guard lock(lock_);
  return folder_;
}

std::string TDomain::Language() const {
  std::lock_guard lock(lock_);
  return language_;
}

bool TDomain::Active() const {
  std::lock_guard lock(lock_);
  return active_;
}

void TDomain::SetFolder(const std::string& folder) {
  std::lock_guard lock(lock_);
  folder_ = WithTrailingBackslash(folder);
  CloseCatalogLocked();
}

void TDomain::SetLanguage(const std::string& code) {
  std::lock_guard lock(lock_);
  CloseCatalogLocked();
  language_ = code;
}

void TDomain::CloseCatalog() {
  std::lock_guard lock(lock_);
  CloseCatalogLocked();
}

void TDomain::CloseCatalogLocked() {
  catalog_.Reset();
  openFailed_ = false;
}

std::string TDomain::Translate(std::string_view id) {
  std::string problem;
  std::string result;
  {
    std::lock_guard lock(lock_);
    if (active_ && !catalog_ && !openFailed_) problem = OpenCatalog();
    const auto found = active_ && catalog_ ? catalog_->Lookup(id) : std::nullopt;
    result = found ? *found : id;
  }
  // Shown outside the lock: the box waits for the user while other threads go on translating.
  if (!problem.empty()) showMessage_(kLocalizationProblem, problem);
  return result;
}

std::string TDomain::OpenCatalog() {
  const auto pathFor = [this](const std::string& code) {
    return folder_ + code + "\\LC_MESSAGES\\" + name_ + ".mo";
  };
  const auto exists = [this](const std::string& path) {
    return locator_.HasAppendedCatalog(path) || i18n_detail::FileExists(path);
  };
  // A code that could lead out of the folder is never put into a path: it finds nothing, like
  // a language without a catalog.
  std::string path;
  for (const std::string& code : {language_, language_.substr(0, 2)}) {
    if (IsUsableLanguageCode(code) && exists(pathFor(code))) {
      path = pathFor(code);
      break;
    }
  }
  if (path.empty()) {
    openFailed_ = true;
    return {};
  }
  try {
    catalog_ = locator_.AcquireCatalog(path);
  } catch (const ELocIOError& error) {
    // A damaged catalog counts as a missing one: the texts stay English and no window fails.
    openFailed_ = true;
    if (!reportedFailures_.insert(AsciiUpper(path)).second) return {};
    return "The translation for the language code " + language_ +
           " cannot be used. Reason: " + error.Message();
  }
  return CheckCharset(path);
}

std::string TDomain::CheckCharset(const std::string& path) {
  if (AsciiUpper(HeaderFieldLocked("Content-Type")).find("CHARSET=UTF-8") != std::string::npos) {
    return {};
  }
  CloseCatalogLocked();
  active_ = false;
  return "The translation for the language code " + language_ + " (in " + path +
         ") does not have charset=utf-8 in its Content-Type. Translations are turned off.";
}

std::string TDomain::HeaderField(const std::string& name) const {
  std::lock_guard lock(lock_);
  return HeaderFieldLocked(name);
}

std::string TDomain::HeaderFieldLocked(const std::string& name) const {
  if (!catalog_) return {};
  const std::string key = AsciiUpper(name) + ": ";
  TStringList lines;
  lines.SetText(catalog_->Lookup("").value_or(""));
  for (const std::string& line : lines) {
    if (SameTextAscii(std::string_view(line).substr(0, key.size()), key)) {
      return Trim(std::string_view(line).substr(key.size()));
    }
  }
  return {};
}

}  // namespace movra
