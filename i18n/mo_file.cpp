#include "i18n/mo_file.h"

#include <algorithm>
#include <cstring>

#include "i18n/errors.h"
#include "runtime/system_error.h"

namespace movra {

namespace {

constexpr uint32_t kMagic = 0x950412DE;
constexpr uint32_t kSwappedMagic = 0xDE120495;
// Magic, revision, string count and the offsets of the two tables.
constexpr uint64_t kHeaderSize = 20;

uint32_t ByteSwap(uint32_t v) {
  return (v >> 24) | ((v >> 8) & 0xFF00) | ((v << 8) & 0xFF0000) | (v << 24);
}

}  // namespace

TMoFile::TMoFile(const std::string& fileName, uint64_t offset, uint64_t size) {
  const auto invalid = [&] {
    return ELocIOError("This file is not a valid gettext mo file: " + fileName);
  };
  file_ = i18n_detail::OpenForReading(fileName, FILE_SHARE_READ);
  if (!file_) throw ELocIOError("Cannot open file " + fileName);
  uint64_t fileSize = 0;
  if (!i18n_detail::FileSize(file_.get(), fileSize) || offset > fileSize) throw invalid();
  size_ = size == kToEndOfFile ? fileSize - offset : size;
  if (size_ > fileSize - offset || size_ < kHeaderSize) throw invalid();

  mapping_.reset(CreateFileMappingW(file_.get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
  if (!mapping_) throw ELocIOError("Cannot create memory map on file " + fileName);
  view_ = MapViewOfFile(mapping_.get(), FILE_MAP_READ, 0, 0, 0);
  if (view_ == nullptr) {
    throw ELocIOError("Cannot map file " + fileName + " into memory. Reason: " +
                      SystemErrorText(static_cast<int32_t>(GetLastError())).substr(0, 2000));
  }
  base_ = static_cast<const unsigned char*>(view_) + offset;

  // From here on the destructor does not run for a failure: unmap before raising.
  try {
    const uint32_t magic = Read32(0);
    if (magic != kMagic && magic != kSwappedMagic) throw invalid();
    swapBytes_ = magic == kSwappedMagic;
    count_ = Read32(8);
    originalTable_ = Read32(12);
    translationTable_ = Read32(16);
    if (!TableFits(originalTable_) || !TableFits(translationTable_)) throw invalid();
    for (uint32_t i = 0; i < count_; ++i) {
      for (uint64_t table : {uint64_t{originalTable_}, uint64_t{translationTable_}}) {
        const uint64_t length = Read32(table + 8ull * i);
        const uint64_t start = Read32(table + 8ull * i + 4);
        if (start > size_ || length > size_ - start) throw invalid();
      }
    }
  } catch (...) {
    UnmapViewOfFile(view_);
    throw;
  }

  uint32_t p = 1;
  for (uint32_t n = count_; n != 0; n >>= 1) p <<= 1;
  // For a count of 2^31 or more p wraps to 0; the largest power of two is then 2^31.
  startIndex_ = p == 0 ? 0x80000000u : p / 2;
  startStep_ = startIndex_ / 2;
}

TMoFile::~TMoFile() { UnmapViewOfFile(view_); }

uint32_t TMoFile::Read32(uint64_t offset) const {
  uint32_t v;
  std::memcpy(&v, base_ + offset, sizeof v);
  return swapBytes_ ? ByteSwap(v) : v;
}

bool TMoFile::TableFits(uint64_t table) const {
  return table <= size_ && 8ull * count_ <= size_ - table;
}

std::string_view TMoFile::Entry(uint64_t table, uint32_t index) const {
  const uint64_t at = table + 8ull * (index - 1);
  return {reinterpret_cast<const char*>(base_ + Read32(at + 4)), Read32(at)};
}

std::optional<std::string_view> TMoFile::Lookup(std::string_view id) const {
  if (count_ == 0) return std::nullopt;
  uint32_t index = startIndex_;
  uint32_t step = startStep_;
  for (;;) {
    const std::string_view original = Entry(originalTable_, index);
    const size_t common = std::min(id.size(), original.size());
    int order = common == 0 ? 0 : std::memcmp(id.data(), original.data(), common);
    if (order == 0 && id.size() != original.size()) order = id.size() < original.size() ? -1 : 1;
    if (order == 0) return Entry(translationTable_, index);
    if (step == 0) return std::nullopt;
    if (order < 0) {
      index = index > step ? index - step : 1;
    } else {
      index = std::min(index + step, count_);
    }
    step /= 2;
  }
}

}  // namespace movra
