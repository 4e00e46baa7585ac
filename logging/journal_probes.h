#pragma once
// Readings of the machine behind the reports.
#include <cstdint>
#include <optional>
#include <string>

#include "logging/journal_reports.h"

namespace movra {

enum class TJLRegistryRoot { LocalMachine, CurrentUser };

// A registry value as text: a string as it stands, an integer in decimal, any other value
// (binary, multi-string, ...) as every character but the last with each zero shown as two
// spaces, trailing spaces removed, enclosed in " (" and ")". Empty when the key or the value is
// missing or cannot be read.
std::string RegistryText(TJLRegistryRoot root, const std::string& key, const std::string& value);

// The 64-bit memory status.
std::optional<TJLMemoryStatus> ReadMemoryStatus();
// Space on the current drive.
std::optional<TJLDiskSpace> ReadDiskSpace();
// The blocks and bytes the program's memory manager has handed out and not yet taken back.
std::optional<TJLSnapshot> ReadHeapUse();
// Throws movra::Exception when the version cannot be read.
TJLOsVersion ReadOsVersion();
TJLCpuInfo ReadCpuInfo();
// The smallest step of the tick count, in milliseconds, as seen by waiting for it to change.
int64_t MeasureTickResolution();

}  // namespace movra
