#include "i18n/file_locator.h"

#include <utility>

#include "runtime/text.h"

namespace movra {

namespace {

// The build finds these 36 characters in the program file and writes the file offset of the
// first entry of the appended catalog table into the 8 bytes after them (little-endian). Read
// through volatile, so that the compiler cannot fold the zeros it sees here into the code.
const volatile char kCatalogTableMarker[45] =
    "6637DB2E-62E1-4A60-AC19-C23867046A89\0\0\0\0\0\0\0\0";
constexpr size_t kMarkerLength = 36;

// next, offset and size, each 64 bits.
constexpr uint64_t kEntryFixedSize = 24;
// No catalog path comes near this; a longer name field means the chain is broken.
constexpr uint64_t kMaxNameLength = 32768;

uint64_t LittleEndian64(const unsigned char* bytes) {
  uint64_t v = 0;
  for (int i = 7; i >= 0; --i) v = (v << 8) | bytes[i];
  return v;
}

bool ReadU64(HANDLE file, uint64_t offset, uint64_t& value) {
  unsigned char bytes[8];
  if (!i18n_detail::ReadAt(file, offset, bytes, sizeof bytes)) return false;
  value = LittleEndian64(bytes);
  return true;
}

std::string TrimControls(std::string_view text) {
  size_t first = 0, last = text.size();
  while (first < last && static_cast<unsigned char>(text[first]) <= 32) ++first;
  while (last > first && static_cast<unsigned char>(text[last - 1]) <= 32) --last;
  return std::string(text.substr(first, last - first));
}

// Reads the chain of entries starting at `position`; returns what is wrong with it, if anything.
// Every entry lies after the one before it, so the walk ends even in a damaged file.
std::string ReadTable(const std::string& programFile, uint64_t position,
                      std::map<std::string, TEmbeddedFileInfo>& table) {
  i18n_detail::UniqueHandle file =
      i18n_detail::OpenForReading(programFile, FILE_SHARE_READ | FILE_SHARE_WRITE);
  uint64_t fileSize = 0;
  if (!file || !i18n_detail::FileSize(file.get(), fileSize)) return "the file cannot be read";
  for (;;) {
    uint64_t next = 0;
    if (position > fileSize || !ReadU64(file.get(), position, next)) {
      return "an entry lies past the end of the file";
    }
    if (next == 0) return {};
    if (next < position + kEntryFixedSize) return "an entry points back into the table";
    const uint64_t nameLength = next - position - kEntryFixedSize;
    if (nameLength > kMaxNameLength) return "an entry has a name field that is far too long";
    if (next > fileSize) return "an entry points past the end of the file";
    uint64_t offset = 0, size = 0;
    std::string name(nameLength, '\0');
    if (!ReadU64(file.get(), position + 8, offset) || !ReadU64(file.get(), position + 16, size) ||
        !i18n_detail::ReadAt(file.get(), position + kEntryFixedSize, name.data(),
                             static_cast<uint32_t>(nameLength))) {
      return "an entry cannot be read";
    }
    name = TrimControls(name);
    if (name.empty()) return "an entry has no name";
    if (offset > fileSize || size > fileSize - offset) {
      return "the catalog " + name + " lies past the end of the file";
    }
    const TEmbeddedFileInfo info{static_cast<int64_t>(offset), static_cast<int64_t>(size)};
    if (!table.emplace(AsciiUpper(name), info).second) return "the name " + name + " appears twice";
    position = next;
  }
}

}  // namespace

TCatalogRef::TCatalogRef(TCatalogRef&& other) noexcept
    : locator_(std::exchange(other.locator_, nullptr)),
      catalog_(std::exchange(other.catalog_, nullptr)) {}

TCatalogRef& TCatalogRef::operator=(TCatalogRef&& other) noexcept {
  if (this != &other) {
    Reset();
    locator_ = std::exchange(other.locator_, nullptr);
    catalog_ = std::exchange(other.catalog_, nullptr);
  }
  return *this;
}

void TCatalogRef::Reset() {
  if (catalog_ != nullptr) locator_->ReleaseCatalog(catalog_);
  locator_ = nullptr;
  catalog_ = nullptr;
}

std::string TFileLocator::ReadEmbeddedTable(const std::string& programFile) {
  unsigned char bytes[8];
  for (size_t i = 0; i < sizeof bytes; ++i) {
    bytes[i] = static_cast<unsigned char>(kCatalogTableMarker[kMarkerLength + i]);
  }
  return ReadEmbeddedTable(programFile, LittleEndian64(bytes));
}

std::string TFileLocator::ReadEmbeddedTable(const std::string& programFile, uint64_t firstEntry) {
  appended_.clear();
  programFile_.clear();
  programFolder_.clear();
  if (firstEntry == 0) return {};
  std::map<std::string, TEmbeddedFileInfo> table;
  const std::string problem = ReadTable(programFile, firstEntry, table);
  if (!problem.empty()) {
    return "The catalog table appended to " + programFile + " is damaged: " + problem +
           ". The translations built into the program are not used.";
  }
  appended_ = std::move(table);
  programFile_ = programFile;
  programFolder_ = programFile.substr(0, programFile.find_last_of('\\') + 1);
  return {};
}

const TEmbeddedFileInfo* TFileLocator::FindAppended(const std::string& path,
                                                    bool prefixRequired) const {
  const bool underFolder = path.compare(0, programFolder_.size(), programFolder_) == 0;
  if (!underFolder && prefixRequired) return nullptr;
  auto it = appended_.find(AsciiUpper(underFolder ? path.substr(programFolder_.size()) : path));
  return it == appended_.end() ? nullptr : &it->second;
}

bool TFileLocator::HasAppendedCatalog(const std::string& path) const {
  return FindAppended(path, false) != nullptr;
}

TCatalogRef TFileLocator::AcquireCatalog(const std::string& path) {
  const TEmbeddedFileInfo* info = FindAppended(path, true);
  const std::string& fileName = info != nullptr ? programFile_ : path;
  const uint64_t offset = info != nullptr ? static_cast<uint64_t>(info->Offset) : 0;
  const uint64_t size = info != nullptr ? static_cast<uint64_t>(info->Size) : TMoFile::kToEndOfFile;
  const std::string key = AsciiUpper(std::to_string(offset) + '\0' + fileName);

  std::lock_guard lock(catalogsLock_);
  auto it = open_.find(key);
  if (it == open_.end()) {
    auto file = std::make_unique<TMoFile>(fileName, offset, size);
    it = open_.emplace(key, OpenCatalog{std::move(file), 0}).first;
  }
  ++it->second.UseCount;
  return TCatalogRef(this, it->second.File.get());
}

void TFileLocator::ReleaseCatalog(const TMoFile* catalog) {
  std::lock_guard lock(catalogsLock_);
  for (auto it = open_.begin(); it != open_.end(); ++it) {
    if (it->second.File.get() == catalog) {
      if (--it->second.UseCount <= 0) open_.erase(it);
      return;
    }
  }
}

int TFileLocator::OpenCount() const {
  std::lock_guard lock(catalogsLock_);
  return static_cast<int>(open_.size());
}

}  // namespace movra
