#pragma once
// The two switches kept in the registry under HKEY_LOCAL_MACHINE: start with Windows, and the
// Explorer verb that defragments a file.
#include <string>

#include "profiles/options.h"

namespace movra {

constexpr char kAutostartKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kAutostartValue[] = "Movra File Defragmentor";
constexpr char kContextMenuKey[] = "Software\\Classes\\*\\shell\\Defragment file";
constexpr char kContextMenuCommandKey[] = "Software\\Classes\\*\\shell\\Defragment file\\command";

// The Run value for the program file: its path in quotes, so that a path with blanks starts.
std::string AutostartCommand(const std::string& programFile);
// The verb's command: the companion program beside the program file, quoted, with -d and the
// quoted file name.
std::string ContextMenuCommand(const std::string& programFile);

// For each switch, true when the registry now holds what the options ask for.
struct TRegistryWriteResult {
  bool Startup = false;
  bool ContextMenu = false;
  bool Ok() const { return Startup && ContextMenu; }
};

// Removes both entries, then writes those the options switch on, for the running program.
TRegistryWriteResult WriteRegistrySettings(const TOptions& options);
// Startup and ContextMenu: on when the entry exists with a text that is not empty.
void ReadRegistrySettings(TOptions& options);

}  // namespace movra
