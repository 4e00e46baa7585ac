#pragma once
// The console tool: defragments one file or every file of a list file, or prints a file's
// extent map, one copy at a time under a system-wide mutex.
#include <string>
#include <vector>

namespace movra {

// Exit codes.
constexpr int kExitSuccess = 0;
constexpr int kExitFatal = 1;
// The engine reported a failure for the file of -d or for a file of -l.
constexpr int kExitEngineFailure = 2;

// Runs the tool on its arguments (without the program name) and returns the exit code.
int RunConsoleTool(const std::vector<std::string>& args);

}  // namespace movra
