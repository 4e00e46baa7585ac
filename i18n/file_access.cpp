#include "i18n/file_access.h"

#include "runtime/text.h"

namespace movra::i18n_detail {

UniqueHandle OpenForReading(const std::string& path, DWORD shareMode) {
  HANDLE h = CreateFileW(Utf8ToWide(path).c_str(), GENERIC_READ, shareMode, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  return UniqueHandle(h == INVALID_HANDLE_VALUE ? nullptr : h);
}

bool FileSize(HANDLE file, uint64_t& size) {
  LARGE_INTEGER value;
  if (!GetFileSizeEx(file, &value)) return false;
  size = static_cast<uint64_t>(value.QuadPart);
  return true;
}

bool ReadAt(HANDLE file, uint64_t offset, void* buffer, uint32_t count) {
  OVERLAPPED at{};
  at.Offset = static_cast<DWORD>(offset);
  at.OffsetHigh = static_cast<DWORD>(offset >> 32);
  DWORD read = 0;
  return ReadFile(file, buffer, count, &read, &at) && read == count;
}

bool FileExists(const std::string& path) {
  DWORD attributes = GetFileAttributesW(Utf8ToWide(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

}  // namespace movra::i18n_detail
