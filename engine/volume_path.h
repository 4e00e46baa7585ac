#pragma once
// Where a path lies: its absolute form, its drive and the volume that holds it.
#include <cstdint>
#include <string>

namespace movra {

struct TVolumePath {
  std::string Absolute;   // the path made absolute, "\\?\" removed before a drive letter
  std::string DriveRoot;  // "X:\" or "\\server\share\"
  std::string VolumeRoot; // the root of the volume holding the path (a mount folder too)
  char Letter = 0;        // the drive letter, 0 for other forms

  // True when the path lies on the volume its drive letter names.
  bool OnDriveVolume() const;
  // "\\.\X:"
  std::string VolumeDevice() const;
  // The same text for every path on one volume.
  std::string VolumeKey() const;
};

// 0, or ERROR_INVALID_NAME for an empty path.
int32_t ResolveVolumePath(const std::string& path, TVolumePath& where);

}  // namespace movra
