#include "runtime/date_time.h"

#include <cmath>

namespace movra {
namespace {

// FILETIME counts 100 ns from 1601-01-01; the day count starts at 1899-12-30.
constexpr double kTicksPerDay = 864000000000.0;
constexpr double kDaysFrom1601To1899 = 109205.0;

double FileTimeTicks(const FILETIME& time) {
  ULARGE_INTEGER v;
  v.LowPart = time.dwLowDateTime;
  v.HighPart = time.dwHighDateTime;
  return static_cast<double>(v.QuadPart);
}

}  // namespace

TDateTime SystemTimeToDateTime(const SYSTEMTIME& time) {
  FILETIME ft{};
  if (!::SystemTimeToFileTime(&time, &ft)) return 0;
  return FileTimeTicks(ft) / kTicksPerDay - kDaysFrom1601To1899;
}

SYSTEMTIME DateTimeToSystemTime(TDateTime value) {
  // Rounded to the millisecond, so that 12:00 stored as a fraction does not read 11:59:59.999.
  double ms = std::round((value + kDaysFrom1601To1899) * 86400000.0);
  ULARGE_INTEGER v;
  v.QuadPart = static_cast<unsigned long long>(ms) * 10000ULL;
  FILETIME ft{v.LowPart, v.HighPart};
  SYSTEMTIME st{};
  ::FileTimeToSystemTime(&ft, &st);
  return st;
}

TDateTime FileTimeToLocalDateTime(const FILETIME& time) {
  FILETIME local{};
  if (!::FileTimeToLocalFileTime(&time, &local)) local = time;
  return FileTimeTicks(local) / kTicksPerDay - kDaysFrom1601To1899;
}

TDateTime Now() {
  SYSTEMTIME st;
  ::GetLocalTime(&st);
  return SystemTimeToDateTime(st);
}

}  // namespace movra
