#include "tests/profiles/profiles_test_support.h"

#include <windows.h>

namespace movra::testing {

TDateTime DateTimeOf(int year, int month, int day, int hours, int minutes) {
  SYSTEMTIME time{};
  time.wYear = static_cast<WORD>(year);
  time.wMonth = static_cast<WORD>(month);
  time.wDay = static_cast<WORD>(day);
  time.wHour = static_cast<WORD>(hours);
  time.wMinute = static_cast<WORD>(minutes);
  return SystemTimeToDateTime(time);
}

}  // namespace movra::testing
