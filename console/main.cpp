#include <windows.h>

#include <shellapi.h>

#include <cstdio>
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
    // Only arguments can fail before the lock; the log has not started then.
    std::fputs(("Fatal error! " + std::string(error.what()) + "\n").c_str(), stdout);
  }
  // Every queued line reaches the file before the process ends.
  movra::GlobalJournal().Stop();
  return code;
}
