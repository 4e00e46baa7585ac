#pragma once
// Dates and times as day counts from 1899-12-30 with the time of day as the fraction.
#include <windows.h>

namespace movra {

using TDateTime = double;

TDateTime SystemTimeToDateTime(const SYSTEMTIME& time);
SYSTEMTIME DateTimeToSystemTime(TDateTime value);
// A file time (UTC) in the local time zone, as a directory listing shows it.
TDateTime FileTimeToLocalDateTime(const FILETIME& time);
TDateTime Now();

}  // namespace movra
