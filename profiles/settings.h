#pragma once
// config.cfg: the profiles and the options in one XML document next to the program, and the
// sequences that load and save it together with the registry switches.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "profiles/options.h"
#include "profiles/profile.h"
#include "profiles/registry_settings.h"

namespace movra {

// The program's folder + "config.cfg".
std::string ConfigPath();

// Takes over each profile read, in file order.
using TProfileSink = std::function<void(std::unique_ptr<TProfile>)>;

enum class TConfigState {
  Read,     // every profile and the options were read
  Missing,  // there is no file: no profiles, every option its default
  Damaged,  // the file, or a profile in it, could not be read; a copy of it is kept
  // The file could not be read in full, and no copy of it could be made (it may be locked):
  // SaveConfig refuses to replace it until a copy can be kept.
  Unreadable,
};

struct TConfigRead {
  TConfigState State = TConfigState::Read;
  std::string Backup;  // the copy kept of a damaged file; empty when none was made
};

// Reads the file: every profile that can be read goes to `addProfile` (one that cannot is
// skipped), and the options always get either their stored values or their defaults. Of a file
// that is not well-formed, the profiles and the options read whole before the damage are kept.
// Nothing is raised. A file that cannot be read in full is copied after reading, under the
// first free name of path + ".bak", path + ".1.bak", path + ".2.bak", ..., so that a later save
// loses nothing of it, nor of a copy kept before.
TConfigRead LoadConfig(const std::string& path, const TProfileSink& addProfile, TOptions& options);

// Writes the profiles in the given order and the options. The file is replaced in one step
// from a temporary file in the same folder, once that file reads back; on failure the old
// file stays as it was and movra::Exception is raised.
void SaveConfig(const std::string& path, const std::vector<const TProfile*>& profiles,
                const TOptions& options);

// LoadConfig, then the registry switches.
TConfigRead LoadSettings(const std::string& path, const TProfileSink& addProfile,
                         TOptions& options);
// The registry switches, then SaveConfig (which raises on failure).
TRegistryWriteResult SaveSettings(const std::string& path,
                                  const std::vector<const TProfile*>& profiles,
                                  const TOptions& options);

}  // namespace movra
