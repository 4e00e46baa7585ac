#include "engine/volume_path.h"

#include <windows.h>

#include <vector>

#include "runtime/text.h"

namespace movra {
namespace {

bool IsLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

bool HasDriveLetter(const std::wstring& p) { return p.size() >= 2 && IsLetter(p[0]) && p[1] == L':'; }

std::wstring FullPath(const std::wstring& path) {
  DWORD n = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (n == 0) return path;
  std::vector<wchar_t> buf(n + 1);
  n = GetFullPathNameW(path.c_str(), static_cast<DWORD>(buf.size()), buf.data(), nullptr);
  if (n == 0 || n >= buf.size()) return path;
  return std::wstring(buf.data(), n);
}

// "\\server\share\" of a UNC path, or empty.
std::wstring UncRoot(const std::wstring& p) {
  if (p.size() < 3 || p[0] != L'\\' || p[1] != L'\\') return {};
  size_t server = p.find(L'\\', 2);
  if (server == std::wstring::npos || server == 2) return {};
  size_t share = p.find(L'\\', server + 1);
  if (share == std::wstring::npos) return p + L"\\";
  return p.substr(0, share + 1);
}

}  // namespace

bool TVolumePath::OnDriveVolume() const {
  return Letter != 0 && SameTextAscii(VolumeRoot, DriveRoot);
}

std::string TVolumePath::VolumeDevice() const { return std::string("\\\\.\\") + Letter + ":"; }

std::string TVolumePath::VolumeKey() const { return AsciiLower(VolumeRoot); }

int32_t ResolveVolumePath(const std::string& path, TVolumePath& where) {
  where = TVolumePath{};
  if (path.empty()) return ERROR_INVALID_NAME;
  std::wstring w = Utf8ToWide(path);
  // "\\?\X:\..." and "\\?\UNC\server\share\..." name the same files as their plain forms.
  if (w.rfind(L"\\\\?\\", 0) == 0) {
    std::wstring rest = w.substr(4);
    if (HasDriveLetter(rest)) {
      w = rest;
    } else if (rest.size() > 4 && SameTextAscii(WideToUtf8(rest.substr(0, 4)), "UNC\\")) {
      w = L"\\\\" + rest.substr(4);
    }
  }
  if (w.rfind(L"\\\\?\\", 0) != 0 && w.rfind(L"\\\\.\\", 0) != 0) w = FullPath(w);
  where.Absolute = WideToUtf8(w);

  std::wstring driveRoot;
  if (HasDriveLetter(w)) {
    driveRoot = w.substr(0, 2) + L"\\";
    where.Letter = static_cast<char>(w[0] >= L'a' ? w[0] - L'a' + L'A' : w[0]);
  } else {
    driveRoot = UncRoot(w);
  }
  where.DriveRoot = WideToUtf8(driveRoot);

  std::vector<wchar_t> volume(w.size() + MAX_PATH);
  if (GetVolumePathNameW(w.c_str(), volume.data(), static_cast<DWORD>(volume.size()))) {
    where.VolumeRoot = WideToUtf8(volume.data());
  } else {
    where.VolumeRoot = where.DriveRoot;
  }
  return 0;
}

}  // namespace movra
