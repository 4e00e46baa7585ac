#pragma once
// The version a program file declares in its version resource.
#include <cstdint>
#include <optional>
#include <string>

namespace movra {

struct TFileVersion {
  uint16_t Major = 0;
  uint16_t Minor = 0;
  uint16_t Release = 0;
  uint16_t Build = 0;

  bool operator==(const TFileVersion&) const = default;
};

// The fixed file version of `path` (UTF-8); none when the file has no version resource or
// cannot be read.
std::optional<TFileVersion> ReadFileVersion(const std::string& path);

// "major.minor.release.build" in decimal.
std::string VersionText(const TFileVersion& version);

}  // namespace movra
