#pragma once
// A text domain: the catalog of one name for the current language.
#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <string_view>

#include "i18n/file_locator.h"

namespace movra {

class TDomain {
 public:
  using MessageFunction = std::function<void(const std::string& title, const std::string& text)>;

  TDomain(TFileLocator& locator, MessageFunction showMessage, std::string name, std::string folder,
          std::string language);
  ~TDomain();
  TDomain(const TDomain&) = delete;
  TDomain& operator=(const TDomain&) = delete;

  const std::string& Name() const { return name_; }
  std::string Folder() const;
  std::string Language() const;
  // False for the rest of the run once a catalog of the domain failed the charset check.
  bool Active() const;

  // The folder above the language folders; a trailing backslash is added.
  void SetFolder(const std::string& folder);
  void SetLanguage(const std::string& code);
  // The translation of a UTF-8 id, or the id itself. Opens the catalog on first need.
  std::string Translate(std::string_view id);
  // A field of the open catalog's header, empty when there is none.
  std::string HeaderField(const std::string& name) const;
  void CloseCatalog();

 private:
  // Each returns the text to show the user, if any; called with the lock held.
  std::string OpenCatalog();
  std::string CheckCharset(const std::string& path);
  std::string HeaderFieldLocked(const std::string& name) const;
  void CloseCatalogLocked();

  TFileLocator& locator_;
  MessageFunction showMessage_;
  const std::string name_;
  // Held by every operation, so that a language switch never closes a catalog that a lookup on
  // another thread is reading.
  mutable std::mutex lock_;
  bool active_ = true;
  std::string folder_;
  std::string language_;
  TCatalogRef catalog_;
  bool openFailed_ = false;
  // Catalogs that could not be opened, each told to the user once.
  std::set<std::string> reportedFailures_;
};

}  // namespace movra
