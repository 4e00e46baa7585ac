// Each test process logs to a file of its own: tests of one program run side by side.
#include <windows.h>

#include <string>

#include "logging/journal.h"
#include "runtime/text.h"
#include "support.h"

namespace {

const bool redirected = [] {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  movra::SetGlobalJournalFile(movra::WideToUtf8(temp) + "movra-engine-tests-" +
                              std::to_string(GetCurrentProcessId()) + ".log");
  return true;
}();

}  // namespace
