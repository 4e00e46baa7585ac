#pragma once
// Small Win32 file helpers of the translation layer.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

namespace movra::i18n_detail {

struct HandleCloser {
  void operator()(HANDLE handle) const {
    if (handle != nullptr && handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
  }
};
using UniqueHandle = std::unique_ptr<void, HandleCloser>;

// Opens an existing file for reading; an empty handle when that fails.
UniqueHandle OpenForReading(const std::string& path, DWORD shareMode);

bool FileSize(HANDLE file, uint64_t& size);

// Reads exactly `count` bytes at `offset`; false on an error or a short read.
bool ReadAt(HANDLE file, uint64_t offset, void* buffer, uint32_t count);

// True when `path` names an existing file (not a folder).
bool FileExists(const std::string& path);

}  // namespace movra::i18n_detail
