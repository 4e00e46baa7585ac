#pragma once
// One message catalog in the gettext binary format, mapped read-only and looked up in place.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "i18n/file_access.h"

namespace movra {

class TMoFile {
 public:
  static constexpr uint64_t kToEndOfFile = ~uint64_t{0};

  // Maps `fileName` and reads the catalog that starts `offset` bytes into it and is `size` bytes
  // long (kToEndOfFile: up to the end of the file). The whole catalog is checked against its size
  // here, so that no lookup can read outside it. Raises ELocIOError.
  TMoFile(const std::string& fileName, uint64_t offset, uint64_t size);
  ~TMoFile();
  TMoFile(const TMoFile&) = delete;
  TMoFile& operator=(const TMoFile&) = delete;

  // The translation of `id` (bytes compared exactly); it stays valid while the catalog is open.
  std::optional<std::string_view> Lookup(std::string_view id) const;

  bool SwapBytes() const { return swapBytes_; }
  uint32_t Count() const { return count_; }
  uint32_t StartIndex() const { return startIndex_; }
  uint32_t StartStep() const { return startStep_; }

 private:
  uint32_t Read32(uint64_t offset) const;
  // Entry `index` (1-based) of the string table at `table`.
  std::string_view Entry(uint64_t table, uint32_t index) const;
  bool TableFits(uint64_t table) const;

  i18n_detail::UniqueHandle file_;
  i18n_detail::UniqueHandle mapping_;
  const void* view_ = nullptr;
  const unsigned char* base_ = nullptr;
  uint64_t size_ = 0;
  bool swapBytes_ = false;
  uint32_t count_ = 0;
  uint32_t originalTable_ = 0;
  uint32_t translationTable_ = 0;
  uint32_t startIndex_ = 0;
  uint32_t startStep_ = 0;
};

}  // namespace movra
