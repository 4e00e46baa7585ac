#pragma once
// Finds message catalogs, in the table appended to the program file or on disk, and shares the
// opened catalogs between the text domains.
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "i18n/mo_file.h"

namespace movra {

// One catalog of the table appended to the program file.
struct TEmbeddedFileInfo {
  int64_t Offset = 0;
  int64_t Size = 0;
};

class TFileLocator;

// One use of a shared catalog; gives the use back when it goes.
class TCatalogRef {
 public:
  TCatalogRef() = default;
  TCatalogRef(TCatalogRef&& other) noexcept;
  TCatalogRef& operator=(TCatalogRef&& other) noexcept;
  ~TCatalogRef() { Reset(); }

  const TMoFile* get() const { return catalog_; }
  const TMoFile* operator->() const { return catalog_; }
  explicit operator bool() const { return catalog_ != nullptr; }
  void Reset();

 private:
  friend class TFileLocator;
  TCatalogRef(TFileLocator* locator, const TMoFile* catalog)
      : locator_(locator), catalog_(catalog) {}
  TFileLocator* locator_ = nullptr;
  const TMoFile* catalog_ = nullptr;
};

class TFileLocator {
 public:
  TFileLocator() = default;
  // Every TCatalogRef must be gone before the locator.
  ~TFileLocator() = default;
  TFileLocator(const TFileLocator&) = delete;
  TFileLocator& operator=(const TFileLocator&) = delete;

  // Reads the table appended to `programFile`, whose first entry the program's own table marker
  // names. Returns an empty text, or what is wrong with a damaged table, which is then not used.
  std::string ReadEmbeddedTable(const std::string& programFile);
  // The same with the first entry at `firstEntry` (0: the file carries no table).
  std::string ReadEmbeddedTable(const std::string& programFile, uint64_t firstEntry);

  // Whether `path` names a catalog of the appended table.
  bool HasAppendedCatalog(const std::string& path) const;
  // The shared catalog for `path`, appended or on disk, with one more use. Raises ELocIOError.
  TCatalogRef AcquireCatalog(const std::string& path);

  // The program folder with its trailing backslash; empty when the program carries no table.
  const std::string& ProgramFolder() const { return programFolder_; }
  int AppendedCount() const { return static_cast<int>(appended_.size()); }
  int OpenCount() const;

 private:
  friend class TCatalogRef;
  void ReleaseCatalog(const TMoFile* catalog);
  const TEmbeddedFileInfo* FindAppended(const std::string& path, bool prefixRequired) const;

  struct OpenCatalog {
    std::unique_ptr<TMoFile> File;
    int UseCount = 0;
  };

  std::string programFile_;
  std::string programFolder_;
  std::map<std::string, TEmbeddedFileInfo> appended_;  // by upper-case name
  mutable std::mutex catalogsLock_;
  std::map<std::string, OpenCatalog> open_;  // by upper-case cache key
};

}  // namespace movra
