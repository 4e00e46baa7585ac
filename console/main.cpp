#include <windows.h>

#include <shellapi.h>

#include <string>
#include <vector>

#include "console/console_tool.h"
#include "logging/journal.h"
#include "runtime/text.h"

int main() {
  std::vector<std::string> args;
  int count = 0;
  if (LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count)) {
    for (int i = 1; i < count; ++i) args.push_back(movra::WideToUtf8(argv[i]));
    LocalFree(argv);
  }
  int code = movra::kExitFatal;
  try {
    code = movra::RunConsoleTool(args);
  } catch (const std::exception& error) {
    movra::GlobalJournal().AddException(error, 0);
  }
  // Every queued line reaches the file before the process ends.
  movra::GlobalJournal().Stop();
  return code;
}
