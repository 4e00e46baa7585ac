#include "runtime/version_info.h"

#include <windows.h>

#include <vector>

#include "runtime/text.h"

namespace movra {

std::optional<TFileVersion> ReadFileVersion(const std::string& path) {
  const std::wstring name = Utf8ToWide(path);
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(name.c_str(), &ignored);
  if (size == 0) return std::nullopt;
  std::vector<unsigned char> block(size);
  if (!GetFileVersionInfoW(name.c_str(), 0, size, block.data())) return std::nullopt;
  void* value = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(block.data(), L"\\", &value, &length) || !value ||
      length < sizeof(VS_FIXEDFILEINFO)) {
    return std::nullopt;
  }
  const auto& fixed = *static_cast<const VS_FIXEDFILEINFO*>(value);
  if (fixed.dwSignature != VS_FFI_SIGNATURE) return std::nullopt;
  return TFileVersion{HIWORD(fixed.dwFileVersionMS), LOWORD(fixed.dwFileVersionMS),
                      HIWORD(fixed.dwFileVersionLS), LOWORD(fixed.dwFileVersionLS)};
}

std::string VersionText(const TFileVersion& version) {
  return std::to_string(version.Major) + "." + std::to_string(version.Minor) + "." +
         std::to_string(version.Release) + "." + std::to_string(version.Build);
}

}  // namespace movra
