#pragma once
// Helpers shared by the tests of the profiles folder.
#include "runtime/date_time.h"

namespace movra::testing {

// A local date and time of day.
TDateTime DateTimeOf(int year, int month, int day, int hours = 0, int minutes = 0);

}  // namespace movra::testing
